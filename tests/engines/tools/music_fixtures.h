#pragma once
// What the music tests share: the bytes of ID3 tags and ASF headers made by hand,
// and music files with simple tags in real temporary folders.

#include <ostream>
#include <string>
#include <string_view>

#include "engines/tools/fixtures.h"
#include "engines/tools/music.h"
#include "engines/tools/music_tags.h"

namespace wv {
// Tags print as their five texts when a comparison fails.
inline std::ostream& operator<<(std::ostream& out, const MusicTags& t) {
  return out << ToUtf8(t.title + L" | " + t.artist + L" | " + t.album + L" | " + t.year + L" | " + t.comment);
}
}  // namespace wv

namespace wv::test {

using namespace std::string_literals;

inline std::string Be32(std::uint32_t n) { return {char(n >> 24), char(n >> 16), char(n >> 8), char(n)}; }
inline std::string Syncsafe(std::uint32_t n) { return {char(n >> 21 & 0x7F), char(n >> 14 & 0x7F), char(n >> 7 & 0x7F), char(n & 0x7F)}; }
inline std::string Le16(std::uint32_t n) { return {char(n), char(n >> 8)}; }
inline std::string Le32(std::uint32_t n) { return Le16(n) + Le16(n >> 16); }
inline std::string Le64(std::uint64_t n) { return Le32(static_cast<std::uint32_t>(n)) + Le32(static_cast<std::uint32_t>(n >> 32)); }
inline std::string Utf16(std::wstring_view text, bool bigEndian = false) {
  std::string out;
  for (wchar_t c : text) out += bigEndian ? std::string{char(c >> 8), char(c)} : std::string{char(c), char(c >> 8)};
  return out;
}
inline std::string Latin1(std::wstring_view text) {
  std::string out;
  for (wchar_t c : text) out.push_back(static_cast<char>(c));
  return out;
}
inline const std::string kBom = "\xFF\xFE";

inline std::string Frame22(std::string_view id, const std::string& data) { return std::string(id) + Be32(static_cast<std::uint32_t>(data.size())).substr(1) + data; }
inline std::string Frame23(std::string_view id, const std::string& data, char flags = 0) {
  return std::string(id) + Be32(static_cast<std::uint32_t>(data.size())) + '\0' + flags + data;
}
inline std::string Frame24(std::string_view id, const std::string& data, char flags = 0) {
  return std::string(id) + Syncsafe(static_cast<std::uint32_t>(data.size())) + '\0' + flags + data;
}
inline std::string Tag(int major, char flags, const std::string& body, std::size_t padding = 16) {
  return std::string("ID3") + char(major) + '\0' + flags + Syncsafe(static_cast<std::uint32_t>(body.size() + padding)) +
         body + std::string(padding, '\0');
}
// Unsynchronisation: a zero after every 0xFF that a zero or a byte from 0xE0 up follows.
inline std::string Unsynchronised(const std::string& bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out.push_back(bytes[i]);
    const auto next = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
    if (static_cast<unsigned char>(bytes[i]) == 0xFF && (next == 0 || next >= 0xE0)) out.push_back('\0');
  }
  return out;
}
inline std::string V1(std::string title, std::string artist, std::string album, std::string year, std::string comment) {
  const auto pad = [](std::string s, std::size_t n) { return s.resize(n, '\0'), s; };
  return "TAG" + pad(title, 30) + pad(artist, 30) + pad(album, 30) + pad(year, 4) + pad(comment, 30) + '\xFF';
}
// Bytes that stand for audio: no tag layout in them.
inline const std::string kAudio(2000, '\x55');

inline MusicTags Tags(std::wstring title, std::wstring artist = {}, std::wstring album = {}, std::wstring year = {},
               std::wstring comment = {}) {
  return {std::move(title), std::move(artist), std::move(album), std::move(year), std::move(comment)};
}
// An MP3 file with an ID3v2.3 tag of these texts (UTF-16, every field given) before its audio.
inline std::string TaggedMp3(const MusicTags& t) {
  std::string body;
  const auto text = [&](std::string_view id, const std::wstring& value) {
    if (!value.empty()) body += Frame23(id, "\x01" + kBom + Utf16(value));
  };
  text("TIT2", t.title);
  text("TPE1", t.artist);
  text("TALB", t.album);
  text("TYER", t.year);
  if (!t.comment.empty()) body += Frame23("COMM", "\x01" "eng"s + kBom + "\0\0"s + kBom + Utf16(t.comment));
  return Tag(3, 0, body) + kAudio;
}

}  // namespace wv::test
