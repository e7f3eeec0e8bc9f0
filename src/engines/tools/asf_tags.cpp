// The Windows Media attributes of a WMA file: the objects of its ASF header
// object (the content description, the extended content description, and the
// metadata objects inside the header extension).
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string_view>

#include "engines/tools/music_tags_internal.h"
#include "platform/text.h"

namespace wv::tags {
namespace {

// The objects' identifiers in the text form that documents them; in the file the
// first three groups are little-endian.
struct Guid {
  std::uint8_t bytes[16] = {};
};
constexpr std::uint8_t Hex(char c) {
  return static_cast<std::uint8_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
}
constexpr Guid GuidOf(std::string_view text) {
  // Where each byte's two digits stand in "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx", in file order.
  constexpr int kAt[16] = {6, 4, 2, 0, 11, 9, 16, 14, 19, 21, 24, 26, 28, 30, 32, 34};
  Guid g;
  for (int i = 0; i < 16; ++i) g.bytes[i] = static_cast<std::uint8_t>(Hex(text[kAt[i]]) << 4 | Hex(text[kAt[i] + 1]));
  return g;
}
constexpr Guid kHeader = GuidOf("75B22630-668E-11CF-A6D9-00AA0062CE6C");
constexpr Guid kContentDescription = GuidOf("75B22633-668E-11CF-A6D9-00AA0062CE6C");
constexpr Guid kExtendedContentDescription = GuidOf("D2D0A440-E307-11D2-97F0-00A0C95EA850");
constexpr Guid kHeaderExtension = GuidOf("5FBF03B5-A92E-11CF-8EE3-00C00C205365");
constexpr Guid kMetadata = GuidOf("C5F8CBEA-5BAF-4877-8467-AA8C44FA4CCA");
constexpr Guid kMetadataLibrary = GuidOf("44231C94-9498-49D1-A141-1D134E457054");

constexpr std::size_t kObjectHeader = 24;  // GUID and 64-bit size
constexpr std::size_t kHeaderObjectStart = 30;  // and the count of objects and two reserved bytes

// Attribute value types.
enum : std::uint16_t { kText = 0, kBytes = 1, kBool = 2, kDword = 3, kQword = 4, kWord = 5 };

struct Attributes {
  std::map<std::wstring, std::wstring> named;  // by upper-case name; the first non-empty value
  std::wstring title, author, description;     // of the content description object

  void add(ByteView name, std::uint16_t type, ByteView value) {
    std::wstring text;
    switch (type) {
      case kText: text = Cleaned(DecodeUtf16(value, false)); break;
      case kDword: if (value.size() == 4) text = ToDecimal(value.le32(0)); break;
      case kQword:
        if (value.size() == 8 && value.le64(0) <= INT64_MAX) text = ToDecimal(static_cast<std::int64_t>(value.le64(0)));
        break;
      case kWord: if (value.size() == 2) text = ToDecimal(value.le16(0)); break;
      default: break;  // pictures, flags and identifiers name nothing the list shows
    }
    if (!text.empty()) named.emplace(ToUpper(DecodeUtf16(name, false)), std::move(text));
  }
  [[nodiscard]] std::wstring first(std::initializer_list<std::wstring_view> names,
                                   std::wstring_view fallback = {}) const {
    for (std::wstring_view n : names)
      if (auto it = named.find(std::wstring(n)); it != named.end()) return it->second;
    return std::wstring(fallback);
  }
};

bool Is(ByteView object, const Guid& guid) { return object.startsWith(guid.bytes, sizeof guid.bytes); }

// Five lengths, then title, author, copyright, description and rating, UTF-16LE.
void ReadContentDescription(ByteView body, Attributes& out) {
  if (!body.holds(0, 10)) return;
  std::uint64_t pos = 10;
  std::wstring* slots[] = {&out.title, &out.author, nullptr, &out.description, nullptr};
  for (int i = 0; i < 5; ++i) {
    const std::uint16_t length = body.le16(2 * i);
    if (!body.holds(pos, length)) return;
    if (slots[i]) *slots[i] = Cleaned(DecodeUtf16(body.sub(pos, length), false));
    pos += length;
  }
}

// A count, then per descriptor: name length, name, value type, value length, value.
void ReadExtendedContentDescription(ByteView body, Attributes& out) {
  const std::uint16_t count = body.le16(0);
  std::uint64_t pos = 2;
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::uint16_t nameLength = body.le16(pos);
    if (!body.holds(pos, 2 + std::uint64_t{nameLength} + 4)) return;
    const ByteView name = body.sub(pos + 2, nameLength);
    pos += 2 + nameLength;
    const std::uint16_t type = body.le16(pos), valueLength = body.le16(pos + 2);
    if (!body.holds(pos + 4, valueLength)) return;
    out.add(name, type, body.sub(pos + 4, valueLength));
    pos += 4 + std::uint64_t{valueLength};
  }
}

// A count, then per record: language or reserved, stream, name length, type,
// data length (32 bits), name, data. Only records of the whole file (stream 0) count.
void ReadMetadata(ByteView body, Attributes& out) {
  const std::uint16_t count = body.le16(0);
  std::uint64_t pos = 2;
  for (std::uint16_t i = 0; i < count; ++i) {
    if (!body.holds(pos, 12)) return;
    const std::uint16_t stream = body.le16(pos + 2), nameLength = body.le16(pos + 4), type = body.le16(pos + 6);
    const std::uint32_t dataLength = body.le32(pos + 8);
    pos += 12;
    if (!body.holds(pos, nameLength) || !body.holds(pos + nameLength, dataLength)) return;
    if (stream == 0) out.add(body.sub(pos, nameLength), type, body.sub(pos + nameLength, dataLength));
    pos += std::uint64_t{nameLength} + dataLength;
  }
}

// Objects one after the other; one whose size does not fit ends the list.
void ReadObjects(ByteView area, Attributes& out, bool insideExtension) {
  std::uint64_t pos = 0;
  while (area.holds(pos, kObjectHeader)) {
    const ByteView object = area.sub(pos);
    const std::uint64_t size = object.le64(16);
    if (size < kObjectHeader || !object.holds(0, size)) return;
    const ByteView body = object.sub(kObjectHeader, size - kObjectHeader);
    if (insideExtension) {
      if (Is(object, kMetadata) || Is(object, kMetadataLibrary)) ReadMetadata(body, out);
    } else if (Is(object, kContentDescription)) {
      ReadContentDescription(body, out);
    } else if (Is(object, kExtendedContentDescription)) {
      ReadExtendedContentDescription(body, out);
    } else if (Is(object, kHeaderExtension) && body.holds(0, 22)) {
      // A reserved GUID and word, then the size of the objects inside.
      ReadObjects(body.sub(22, body.le32(18)), out, true);
    }
    pos += size;
  }
}

}  // namespace

bool IsAsf(ByteView head) { return Is(head, kHeader); }

std::uint64_t AsfHeaderSize(ByteView head) {
  const std::uint64_t size = head.le64(16);
  return IsAsf(head) && size >= kHeaderObjectStart ? size : 0;
}

MusicTags ParseAsfHeader(ByteView header) {
  const std::uint64_t size = AsfHeaderSize(header);
  if (size == 0) return {};
  Attributes found;
  ReadObjects(header.sub(kHeaderObjectStart, size - kHeaderObjectStart), found, false);
  MusicTags tags;
  // The named attribute first; the content description's field where it is missing.
  tags.title = found.first({L"WM/TITLE", L"TITLE"}, found.title);
  tags.artist = found.first({L"WM/AUTHOR", L"AUTHOR"}, found.author);
  if (tags.artist.empty()) tags.artist = found.first({L"WM/ALBUMARTIST"});
  tags.album = found.first({L"WM/ALBUMTITLE"});
  tags.year = YearOf(found.first({L"WM/YEAR", L"WM/ORIGINALRELEASEYEAR"}));
  tags.comment = found.first({L"WM/DESCRIPTION", L"DESCRIPTION"}, found.description);
  return tags;
}

}  // namespace wv::tags
