#pragma once
// The tags of a music file, as the music page lists them and builds names from
// them: title, artist, album, year and comment. An MP3 file carries them in an
// ID3v2 tag at its start (versions 2.2, 2.3 and 2.4) and in an ID3v1 tag in its
// last 128 bytes; a WMA file in the attributes of its ASF header. What the file
// is comes from its first bytes, not from its name.
//
// Every size is read from the file, so every size is checked before it is used:
// a damaged or hostile file gives empty (or fewer) tags, never a read past the
// bytes that are there.

#include <cstdint>
#include <string>
#include <string_view>

namespace wv {

struct MusicTags {
  std::wstring title, artist, album, year, comment;
  friend bool operator==(const MusicTags&, const MusicTags&) = default;
};

// The tags a name can be built from, in the order of the page's tag choices.
enum class MusicTag { Title = 0, Artist = 1, Album = 2, Year = 3, Comment = 4 };
[[nodiscard]] const std::wstring& TagText(const MusicTags& tags, MusicTag tag);

// The file's tags; empty when it has none or cannot be read. Reads the file's
// first bytes, as much of its ID3v2 tag or ASF header as there is (up to
// kMostTagBytes) and its last 128 bytes.
[[nodiscard]] MusicTags ReadMusicTags(std::wstring_view path);
// The same over a whole file already in memory.
[[nodiscard]] MusicTags ParseMusicTags(std::string_view file);

// No more than this is read of one ID3v2 tag or ASF header (pictures inside
// them can be large; the text comes first in every writer seen).
inline constexpr std::uint32_t kMostTagBytes = 16u << 20;

// Text in a single-byte field (ID3v1, or ID3v2 labelled ISO-8859-1): old
// Chinese rippers wrote code page 936 (GBK) bytes there. Decoded as GBK when the
// bytes are valid GBK, not plain ASCII, and at least one of their two-byte
// characters has a trail byte of 0x80 or more; otherwise as ISO-8859-1. The last
// condition keeps Western names such as "Björk" ("ö" then "r" would pair as one
// GBK character) in Latin-1, while real Chinese text nearly always has such a
// character.
[[nodiscard]] std::wstring DecodeSingleByteText(std::string_view bytes);

}  // namespace wv
