#pragma once
// What the tag readers share: a view of bytes read from a file that never hands
// out a byte it does not hold, the text decoders, and the parsers of each kind
// of tag over the bytes that were read.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engines/tools/music_tags.h"

namespace wv::tags {

// Bytes read from a file. Every access names an offset and a count; holds()
// answers whether they lie inside, and the readers answer 0 or an empty view
// outside, so a size taken from the file can never lead past its bytes.
class ByteView {
 public:
  ByteView() = default;
  ByteView(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  explicit ByteView(std::string_view bytes)
      : data_(reinterpret_cast<const std::uint8_t*>(bytes.data())), size_(bytes.size()) {}

  [[nodiscard]] std::size_t size() const { return size_; }
  [[nodiscard]] bool empty() const { return size_ == 0; }
  [[nodiscard]] bool holds(std::uint64_t offset, std::uint64_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }
  [[nodiscard]] std::uint8_t at(std::uint64_t offset) const { return offset < size_ ? data_[offset] : 0; }
  // The bytes from offset on, at most count of them (fewer at the end).
  [[nodiscard]] ByteView sub(std::uint64_t offset, std::uint64_t count = UINT64_MAX) const {
    if (offset >= size_) return {};
    const std::size_t left = size_ - static_cast<std::size_t>(offset);
    return {data_ + offset, count < left ? static_cast<std::size_t>(count) : left};
  }
  [[nodiscard]] std::string_view chars() const { return {reinterpret_cast<const char*>(data_), size_}; }
  [[nodiscard]] bool startsWith(const std::uint8_t* bytes, std::size_t count) const;

  [[nodiscard]] std::uint32_t be24(std::uint64_t offset) const;
  [[nodiscard]] std::uint32_t be32(std::uint64_t offset) const;
  [[nodiscard]] std::uint16_t le16(std::uint64_t offset) const;
  [[nodiscard]] std::uint32_t le32(std::uint64_t offset) const;
  [[nodiscard]] std::uint64_t le64(std::uint64_t offset) const;

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

// UTF-16 text up to its first zero unit, without a byte-order mark (an odd last
// byte is dropped).
std::wstring DecodeUtf16(ByteView bytes, bool bigEndian);
// A value's text without blanks and control characters at either end.
std::wstring Cleaned(std::wstring text);
// "2001-05-06T12:00" and "2001" both give "2001"; other texts stay as they are.
std::wstring YearOf(std::wstring text);

// ID3v2: the whole size of the tag that starts these bytes (header, frames,
// footer), or 0 when they start with none; then its tags from as much of it as
// was read.
std::uint64_t Id3v2Size(ByteView head);
MusicTags ParseId3v2(ByteView tag);
// ID3v1 and v1.1: the file's last 128 bytes; empty tags unless they start with "TAG".
MusicTags ParseId3v1(ByteView last);
// ASF: whether the bytes start with its header object, that object's size, and
// the Windows Media attributes from as much of it as was read.
bool IsAsf(ByteView head);
std::uint64_t AsfHeaderSize(ByteView head);
MusicTags ParseAsfHeader(ByteView header);

}  // namespace wv::tags
