// ID3 tags of MP3 files: ID3v2.2, 2.3 and 2.4 at the start of the file, ID3v1
// and v1.1 in its last 128 bytes.
#include <algorithm>
#include <optional>
#include <vector>

#include "engines/tools/music_tags_internal.h"
#include "platform/text.h"

namespace wv::tags {
namespace {

constexpr std::uint8_t kId3[] = {'I', 'D', '3'};
constexpr std::uint8_t kTag[] = {'T', 'A', 'G'};

// Tag-header flags, and the flags of a frame's second flag byte in 2.3 and 2.4.
constexpr std::uint8_t kUnsynchronised = 0x80, kExtendedHeader = 0x40, kFooter = 0x10;
constexpr std::uint8_t kCompressed22 = 0x40;
constexpr std::uint8_t kCompressed23 = 0x80, kEncrypted23 = 0x40, kGrouped23 = 0x20;
constexpr std::uint8_t kGrouped24 = 0x40, kCompressed24 = 0x08, kEncrypted24 = 0x04, kUnsynchronised24 = 0x02,
                       kLengthGiven24 = 0x01;

bool IsSyncsafe(ByteView b, std::uint64_t at) {
  return b.holds(at, 4) && ((b.at(at) | b.at(at + 1) | b.at(at + 2) | b.at(at + 3)) & 0x80) == 0;
}

std::uint32_t Syncsafe(ByteView b, std::uint64_t at) {
  return std::uint32_t{b.at(at)} << 21 | std::uint32_t{b.at(at + 1)} << 14 | std::uint32_t{b.at(at + 2)} << 7 |
         b.at(at + 3);
}

// Unsynchronisation undone: every 0xFF 0x00 back to 0xFF.
std::string Resynchronised(ByteView b) {
  std::string out;
  out.reserve(b.size());
  for (std::size_t i = 0; i < b.size(); ++i) {
    out.push_back(static_cast<char>(b.at(i)));
    if (b.at(i) == 0xFF && b.at(i + 1) == 0x00 && i + 1 < b.size()) ++i;
  }
  return out;
}

bool IsFrameId(ByteView b, std::uint64_t at, std::size_t length) {
  if (!b.holds(at, length)) return false;
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint8_t c = b.at(at + i);
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

// Where one frame ends another one, the padding or the tag's end must begin.
bool FrameOrEndAt(ByteView body, std::uint64_t at) {
  return at == body.size() || (body.holds(at, 1) && body.at(at) == 0) || IsFrameId(body, at, 4);
}

enum class Field { None, Title, Artist, AlbumArtist, Album, Year, RecordingDate, ReleaseDate, Comment, UserText };

Field FieldOf(std::string_view id) {
  struct Name {
    std::string_view v22, v23;
    Field field;
  };
  static constexpr Name kNames[] = {
      {"TT2", "TIT2", Field::Title},          {"TP1", "TPE1", Field::Artist},
      {"TP2", "TPE2", Field::AlbumArtist},    {"TAL", "TALB", Field::Album},
      {"TYE", "TYER", Field::Year},           {"", "TDRC", Field::RecordingDate},
      {"TOR", "TORY", Field::ReleaseDate},    {"", "TDOR", Field::ReleaseDate},
      {"", "TDRL", Field::ReleaseDate},       {"COM", "COMM", Field::Comment},
      {"TXX", "TXXX", Field::UserText},
  };
  for (const Name& n : kNames)
    if (id == (id.size() == 3 ? n.v22 : n.v23)) return n.field;
  return Field::None;
}

// The strings of a text field in its encoding (0 ISO-8859-1, 1 UTF-16 with
// byte-order mark, 2 UTF-16BE, 3 UTF-8), each ending at its terminator.
std::vector<std::wstring> Strings(ByteView data, std::uint8_t encoding) {
  std::vector<std::wstring> out;
  const std::size_t unit = encoding == 1 || encoding == 2 ? 2 : 1;
  std::size_t start = 0;
  const auto decode = [&](ByteView s) {
    switch (encoding) {
      case 0: return DecodeSingleByteText(s.chars());
      case 3: return ToWide(s.chars());
      case 2: return DecodeUtf16(s, true);
      default: {
        if (s.holds(0, 2) && s.at(0) == 0xFE && s.at(1) == 0xFF) return DecodeUtf16(s.sub(2), true);
        if (s.holds(0, 2) && s.at(0) == 0xFF && s.at(1) == 0xFE) return DecodeUtf16(s.sub(2), false);
        // No byte-order mark: little-endian, as the Windows writers that leave it out use,
        // unless the text's zero bytes (Latin letters) say otherwise.
        std::size_t evenZeros = 0, oddZeros = 0;
        for (std::size_t i = 0; i + 1 < s.size(); i += 2) evenZeros += s.at(i) == 0, oddZeros += s.at(i + 1) == 0;
        return DecodeUtf16(s, evenZeros > oddZeros);
      }
    }
  };
  for (std::size_t i = 0; i + unit <= data.size(); i += unit) {
    if (data.at(i) != 0 || (unit == 2 && data.at(i + 1) != 0)) continue;
    out.push_back(decode(data.sub(start, i - start)));
    start = i + unit;
  }
  if (start < data.size()) out.push_back(decode(data.sub(start)));
  return out;
}

// A text frame: its values joined by "/". Only 2.4 separates several values by
// terminators; before it, what follows the first terminator is no text.
std::wstring TextOf(ByteView frame, std::uint8_t major) {
  if (frame.empty() || frame.at(0) > 3) return {};
  std::vector<std::wstring> values = Strings(frame.sub(1), frame.at(0));
  if (major < 4 && values.size() > 1) values.resize(1);
  std::wstring joined;
  for (std::wstring& value : values) {
    value = Cleaned(std::move(value));
    if (value.empty()) continue;
    if (!joined.empty()) joined += L'/';
    joined += value;
  }
  return joined;
}

// A comment frame: encoding, language, a short description, then the text.
struct Comment {
  std::wstring description, text;
};
std::optional<Comment> CommentOf(ByteView frame) {
  if (!frame.holds(0, 4) || frame.at(0) > 3) return std::nullopt;
  std::vector<std::wstring> parts = Strings(frame.sub(4), frame.at(0));
  if (parts.empty()) return std::nullopt;
  Comment c{std::move(parts[0]), {}};
  for (std::size_t i = 1; i < parts.size() && c.text.empty(); ++i) c.text = Cleaned(std::move(parts[i]));
  return c;
}

struct Found {
  std::uint8_t major = 0;
  MusicTags tags;
  std::wstring albumArtist, recordingDate, releaseDate;
  std::wstring userComment;  // a user text frame named "comment", as ffmpeg writes the comment
  bool commentDescribed = false;  // the comment kept so far has a description
};

void Take(Found& found, Field field, ByteView data) {
  const auto first = [&](std::wstring& slot) {
    if (slot.empty()) slot = TextOf(data, found.major);
  };
  switch (field) {
    case Field::Title: first(found.tags.title); break;
    case Field::Artist: first(found.tags.artist); break;
    case Field::AlbumArtist: first(found.albumArtist); break;
    case Field::Album: first(found.tags.album); break;
    case Field::Year: first(found.tags.year); break;
    case Field::RecordingDate: first(found.recordingDate); break;
    case Field::ReleaseDate: first(found.releaseDate); break;
    case Field::Comment: {
      // The comment without a description is the comment; one with a description
      // stands in for it, except the players' own notes ("iTunNORM" and the like).
      std::optional<Comment> c = CommentOf(data);
      if (!c || c->text.empty() || StartsWithNoCase(c->description, L"iTun")) break;
      if (found.tags.comment.empty() || (found.commentDescribed && c->description.empty())) {
        found.tags.comment = std::move(c->text);
        found.commentDescribed = !c->description.empty();
      }
      break;
    }
    case Field::UserText: {
      // Encoding, a description, the value: the same layout as a comment without its language.
      if (!found.userComment.empty() || data.empty() || data.at(0) > 3) break;
      std::vector<std::wstring> parts = Strings(data.sub(1), data.at(0));
      if (parts.size() >= 2 && EqualsNoCase(Cleaned(parts[0]), L"comment")) found.userComment = Cleaned(std::move(parts[1]));
      break;
    }
    case Field::None: break;
  }
}

}  // namespace

std::uint64_t Id3v2Size(ByteView head) {
  if (!head.startsWith(kId3, 3) || !head.holds(0, 10)) return 0;
  const std::uint8_t major = head.at(3);
  if (major < 2 || major > 4 || head.at(4) == 0xFF || !IsSyncsafe(head, 6)) return 0;
  const bool footer = major == 4 && (head.at(5) & kFooter);
  return 10 + std::uint64_t{Syncsafe(head, 6)} + (footer ? 10 : 0);
}

MusicTags ParseId3v2(ByteView tag) {
  const std::uint64_t size = Id3v2Size(tag);
  if (size == 0) return {};
  const std::uint8_t major = tag.at(3), flags = tag.at(5);
  if (major == 2 && (flags & kCompressed22)) return {};  // 2.2 defined no compression scheme
  ByteView body = tag.sub(10, Syncsafe(tag, 6));
  // Before 2.4 the whole tag is unsynchronised at once, extended header included.
  std::string resynced;
  if (major < 4 && (flags & kUnsynchronised)) {
    resynced = Resynchronised(body);
    body = ByteView(resynced);
  }
  std::uint64_t pos = 0;
  if (major >= 3 && (flags & kExtendedHeader)) {
    // 2.3 counts the extended header's size without its own four bytes, 2.4 with them (syncsafe).
    const std::uint64_t extended = major == 3 ? 4 + std::uint64_t{body.be32(0)} : Syncsafe(body, 0);
    if (!body.holds(0, 4) || (major == 4 && (!IsSyncsafe(body, 0) || extended < 6)) || !body.holds(0, extended))
      return {};
    pos = extended;
  }
  const std::size_t idLength = major == 2 ? 3 : 4, headerLength = major == 2 ? 6 : 10;
  Found found;
  found.major = major;
  while (body.holds(pos, headerLength) && body.at(pos) != 0 && IsFrameId(body, pos, idLength)) {
    std::uint64_t length = major == 2 ? body.be24(pos + 3) : body.be32(pos + 4);
    if (major == 4 && IsSyncsafe(body, pos + 4)) {
      // 2.4 sizes are syncsafe; some writers put plain ones there: the size that
      // lands on the next frame is the one meant.
      const std::uint64_t syncsafe = Syncsafe(body, pos + 4);
      if (syncsafe == length || FrameOrEndAt(body, pos + headerLength + syncsafe) ||
          !FrameOrEndAt(body, pos + headerLength + length))
        length = syncsafe;
    }
    if (!body.holds(pos + headerLength, length)) break;  // a frame past the tag's end: it and the rest are lost
    ByteView data = body.sub(pos + headerLength, length);
    const std::string_view id = body.sub(pos, idLength).chars();
    const std::uint8_t frameFlags = major == 2 ? 0 : body.at(pos + 9);
    pos += headerLength + length;

    std::string resyncedFrame;
    bool readable = true;
    if (major == 3) {
      readable = !(frameFlags & (kCompressed23 | kEncrypted23));
      if (frameFlags & kGrouped23) data = data.sub(1);
    } else if (major == 4) {
      readable = !(frameFlags & (kCompressed24 | kEncrypted24));
      if (frameFlags & kGrouped24) data = data.sub(1);
      if (frameFlags & kLengthGiven24) data = data.sub(4);
      if ((frameFlags & kUnsynchronised24) || (flags & kUnsynchronised)) {
        resyncedFrame = Resynchronised(data);
        data = ByteView(resyncedFrame);
      }
    }
    if (readable) Take(found, FieldOf(id), data);
  }
  MusicTags& t = found.tags;
  if (t.artist.empty()) t.artist = std::move(found.albumArtist);
  if (t.comment.empty()) t.comment = std::move(found.userComment);
  if (t.year.empty()) t.year = found.recordingDate.empty() ? std::move(found.releaseDate) : std::move(found.recordingDate);
  t.year = YearOf(std::move(t.year));
  return t;
}

MusicTags ParseId3v1(ByteView last) {
  if (last.size() != 128 || !last.startsWith(kTag, 3)) return {};
  const auto field = [&](std::size_t at, std::size_t length) {
    std::string_view bytes = last.sub(at, length).chars();
    bytes = bytes.substr(0, bytes.find('\0'));
    return Cleaned(DecodeSingleByteText(bytes));
  };
  // v1.1 keeps a track number in the comment's last byte, after a zero that ends the comment.
  return {field(3, 30), field(33, 30), field(63, 30), field(93, 4), field(97, 30)};
}

}  // namespace wv::tags
