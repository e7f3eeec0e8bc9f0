// Reading a music file's tags: which kind of tag the file holds, the bytes that
// hold it, and the text decoding that every kind shares.
#include "engines/tools/music_tags.h"

#include <algorithm>
#include <memory>

#include "engines/tools/music_tags_internal.h"
#include "platform/code_page.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace wv {
namespace tags {

bool ByteView::startsWith(const std::uint8_t* bytes, std::size_t count) const {
  return holds(0, count) && std::equal(bytes, bytes + count, data_);
}

std::uint32_t ByteView::be24(std::uint64_t o) const {
  if (!holds(o, 3)) return 0;
  return std::uint32_t{data_[o]} << 16 | std::uint32_t{data_[o + 1]} << 8 | data_[o + 2];
}

std::uint32_t ByteView::be32(std::uint64_t o) const {
  if (!holds(o, 4)) return 0;
  return std::uint32_t{data_[o]} << 24 | std::uint32_t{data_[o + 1]} << 16 | std::uint32_t{data_[o + 2]} << 8 |
         data_[o + 3];
}

std::uint16_t ByteView::le16(std::uint64_t o) const {
  if (!holds(o, 2)) return 0;
  return static_cast<std::uint16_t>(data_[o] | data_[o + 1] << 8);
}

std::uint32_t ByteView::le32(std::uint64_t o) const {
  if (!holds(o, 4)) return 0;
  return std::uint32_t{le16(o)} | std::uint32_t{le16(o + 2)} << 16;
}

std::uint64_t ByteView::le64(std::uint64_t o) const {
  if (!holds(o, 8)) return 0;
  return std::uint64_t{le32(o)} | std::uint64_t{le32(o + 4)} << 32;
}

std::wstring DecodeUtf16(ByteView bytes, bool bigEndian) {
  std::wstring out;
  out.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const std::uint8_t a = bytes.at(i), b = bytes.at(i + 1);
    const wchar_t unit = static_cast<wchar_t>(bigEndian ? a << 8 | b : b << 8 | a);
    if (unit == 0) break;
    out.push_back(unit);
  }
  return out;
}

std::wstring Cleaned(std::wstring text) {
  const std::wstring_view kept = TrimView(text);
  return kept.size() == text.size() ? text : std::wstring(kept);
}

std::wstring YearOf(std::wstring text) {
  text = Cleaned(std::move(text));
  const bool digits = text.size() >= 4 && std::all_of(text.begin(), text.begin() + 4, [](wchar_t c) {
                        return c >= L'0' && c <= L'9';
                      });
  if (digits && text.size() > 4 && (text[4] == L'-' || text[4] == L'T')) text.resize(4);
  return text;
}

}  // namespace tags

namespace {

using tags::ByteView;

// Well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool IsUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const std::uint8_t c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t extra = 0;
    std::uint8_t low = 0x80, high = 0xBF;  // the range of the second byte
    if (c >= 0xC2 && c <= 0xDF) extra = 1;
    else if (c >= 0xE0 && c <= 0xEF) extra = 2, low = c == 0xE0 ? 0xA0 : 0x80, high = c == 0xED ? 0x9F : 0xBF;
    else if (c >= 0xF0 && c <= 0xF4) extra = 3, low = c == 0xF0 ? 0x90 : 0x80, high = c == 0xF4 ? 0x8F : 0xBF;
    else return false;
    if (extra > n - i - 1) return false;
    if (p[i + 1] < low || p[i + 1] > high) return false;
    for (std::size_t k = 2; k <= extra; ++k)
      if (p[i + k] < 0x80 || p[i + k] > 0xBF) return false;
    i += extra + 1;
  }
  return true;
}

// GBK's two-byte form throughout, with at least one trail byte of 0x80 or more.
bool LooksLikeGbk(std::string_view text) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
  bool highTrail = false;
  for (std::size_t i = 0; i < text.size();) {
    const std::uint8_t lead = p[i];
    if (lead < 0x80) {
      ++i;
      continue;
    }
    if (lead == 0x80 || lead == 0xFF || i + 1 >= text.size()) return false;
    const std::uint8_t trail = p[i + 1];
    if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return false;
    highTrail = highTrail || trail >= 0x80;
    i += 2;
  }
  return highTrail;
}

std::wstring Latin1(std::string_view bytes) {
  std::wstring out(bytes.size(), L'\0');
  std::transform(bytes.begin(), bytes.end(), out.begin(), [](char c) { return static_cast<wchar_t>(static_cast<unsigned char>(c)); });
  return out;
}

// Where the bytes come from: a file opened for reading, or a file in memory.
class TagSource {
 public:
  virtual ~TagSource() = default;
  [[nodiscard]] virtual std::uint64_t size() const = 0;
  // The count bytes from offset into out; false when they cannot all be read.
  [[nodiscard]] virtual bool read(std::uint64_t offset, std::size_t count, std::string& out) = 0;
};

class FileSource : public TagSource {
 public:
  explicit FileSource(std::unique_ptr<File> file) : file_(std::move(file)), size_(file_->size().value_or(0)) {}
  [[nodiscard]] std::uint64_t size() const override { return size_; }
  bool read(std::uint64_t offset, std::size_t count, std::string& out) override {
    out.resize(count);
    if (!file_->seek(offset)) return false;
    std::size_t got = 0;
    while (got < count) {
      const std::optional<std::size_t> n = file_->read(out.data() + got, count - got);
      if (!n || *n == 0) return false;
      got += *n;
    }
    return true;
  }

 private:
  std::unique_ptr<File> file_;
  std::uint64_t size_;
};

class MemorySource : public TagSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  [[nodiscard]] std::uint64_t size() const override { return bytes_.size(); }
  bool read(std::uint64_t offset, std::size_t count, std::string& out) override {
    if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
    out.assign(bytes_.substr(static_cast<std::size_t>(offset), count));
    return true;
  }

 private:
  std::string_view bytes_;
};

// The first read covers a tag without pictures and an ASF header whole.
constexpr std::size_t kHeadBytes = 32 * 1024;
constexpr std::size_t kId3v1Bytes = 128;

// The first `need` bytes of the file in head (at most kMostTagBytes, at most the file).
bool ReadStart(TagSource& source, std::uint64_t need, std::string& head) {
  need = std::min<std::uint64_t>({need, source.size(), kMostTagBytes});
  return need <= head.size() || source.read(0, static_cast<std::size_t>(need), head);
}

void Fill(std::wstring& field, const std::wstring& fallback) {
  if (field.empty()) field = fallback;
}

MusicTags ReadTags(TagSource& source) {
  const std::uint64_t size = source.size();
  std::string head;
  if (size == 0 || !source.read(0, static_cast<std::size_t>(std::min<std::uint64_t>(size, kHeadBytes)), head))
    return {};
  if (tags::IsAsf(ByteView(head))) {
    const std::uint64_t headerSize = tags::AsfHeaderSize(ByteView(head));
    if (!ReadStart(source, headerSize, head)) return {};
    return tags::ParseAsfHeader(ByteView(head).sub(0, headerSize));
  }
  MusicTags found;
  const std::uint64_t tagSize = tags::Id3v2Size(ByteView(head));
  if (tagSize > 0 && ReadStart(source, tagSize, head)) found = tags::ParseId3v2(ByteView(head).sub(0, tagSize));
  // The ID3v1 tag follows the audio: the last bytes of a file that is all ID3v2 tag are no ID3v1 tag.
  if (size >= kId3v1Bytes && size - kId3v1Bytes >= tagSize) {
    const std::uint64_t at = size - kId3v1Bytes;
    std::string tail;
    const bool inHead = at + kId3v1Bytes <= head.size();
    if (inHead || source.read(at, kId3v1Bytes, tail)) {
      const MusicTags v1 = tags::ParseId3v1(inHead ? ByteView(head).sub(at, kId3v1Bytes) : ByteView(tail));
      Fill(found.title, v1.title);
      Fill(found.artist, v1.artist);
      Fill(found.album, v1.album);
      Fill(found.year, v1.year);
      Fill(found.comment, v1.comment);
    }
  }
  return found;
}

}  // namespace

std::wstring DecodeSingleByteText(std::string_view bytes) {
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return Latin1(bytes);
  // A tool on a UTF-8 system writes UTF-8 bytes under the Latin-1 label; Chinese GBK text is
  // practically never well-formed UTF-8 (its lead bytes stand where UTF-8 wants continuations).
  if (IsUtf8(bytes)) return ToWide(bytes);
  if (LooksLikeGbk(bytes)) {
    std::wstring gbk = FromCodePage936(bytes);
    if (!gbk.empty()) return gbk;
  }
  return Latin1(bytes);
}

const std::wstring& TagText(const MusicTags& tags, MusicTag tag) {
  switch (tag) {
    case MusicTag::Title: return tags.title;
    case MusicTag::Artist: return tags.artist;
    case MusicTag::Album: return tags.album;
    case MusicTag::Year: return tags.year;
    case MusicTag::Comment: return tags.comment;
  }
  return tags.title;
}

MusicTags ReadMusicTags(std::wstring_view path) {
  std::unique_ptr<File> file = Fs().openFile(path, FileAccess::Read, FileShare::All, FileDisposition::OpenExisting);
  if (!file) return {};
  FileSource source(std::move(file));
  return ReadTags(source);
}

MusicTags ParseMusicTags(std::string_view file) {
  MemorySource source(file);
  return ReadTags(source);
}

}  // namespace wv
