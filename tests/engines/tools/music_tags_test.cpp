// Tags of music files: files written by real tools (made at test set-up, with what those tools read
// back), tag layouts the tools do not write made byte by byte, and damaged or hostile files.

#include <fstream>
#include <random>
#include <sstream>

#include "engines/tools/music_fixtures.h"

namespace wv::test {
namespace {

using namespace std::string_literals;

// ---------------------------------------------------------------- files of real tools

constexpr std::wstring_view kToolFiles = L"C:\\WindowsVantorraFixtures\\music\\";

struct ToolFile {
  std::wstring name;
  MusicTags expected;
};
std::vector<ToolFile> ToolFiles() {
  std::ifstream in(ToUtf8(std::wstring(kToolFiles) + L"expected.tsv"));  // the prefix's drive C under Wine's C runtime
  std::vector<ToolFile> files;
  for (std::string line; std::getline(in, line);) {
    std::vector<std::wstring> f;
    std::stringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');) f.push_back(ToWide(field));
    f.resize(6);
    files.push_back({f[0], Tags(f[1], f[2], f[3], f[4], f[5])});
  }
  return files;
}

// What id3v2, eyeD3, lame and ffmpeg wrote, read as those tools read it back.
TEST(MusicTagsOfRealTools, EveryFileReadsAsTheToolsReadIt) {
  const std::vector<ToolFile> files = ToolFiles();
  ASSERT_GE(files.size(), 17u) << "scripts/make-music-files runs before this test";
  for (const ToolFile& f : files) EXPECT_EQ(ReadMusicTags(std::wstring(kToolFiles) + f.name), f.expected) << ToUtf8(f.name);
}

// Every prefix of every real file (a file cut short anywhere) and thousands of single-byte changes:
// never a crash, never a text longer than the bytes could hold.
TEST(MusicTagsOfRealTools, CutOrChangedAnywhereTheyGiveWhatTheBytesHold) {
  const std::vector<ToolFile> files = ToolFiles();
  ASSERT_FALSE(files.empty());
  std::mt19937 random(25);
  const auto check = [](const std::string& bytes, const std::wstring& name) {
    const MusicTags t = ParseMusicTags(bytes);
    for (const std::wstring* field : {&t.title, &t.artist, &t.album, &t.year, &t.comment})
      ASSERT_LE(field->size(), bytes.size()) << ToUtf8(name);
  };
  for (const ToolFile& f : files) {
    const std::string bytes = ReadBytes(std::wstring(kToolFiles) + f.name);
    for (std::size_t n = 0; n <= std::min<std::size_t>(bytes.size(), 1200); ++n) check(bytes.substr(0, n), f.name);
    for (int i = 0; i < 400; ++i) {
      std::string changed = bytes;
      const std::size_t at = random() % std::min<std::size_t>(changed.size(), 1024);
      changed[at] = static_cast<char>(random());
      check(changed, f.name);
    }
  }
}

// ---------------------------------------------------------------- layouts made byte by byte

TEST(MusicTagsLayouts, EveryId3v2VersionAndTextEncoding) {
  const std::string utf16Title = "\x01" + kBom + Utf16(L"标题");
  const struct {
    const char* what;
    std::string file;
    MusicTags tags;
  } cases[] = {
      {"2.2 with its three-letter frames",
       Tag(2, 0, Frame22("TT2", "\0Title 2.2"s) + Frame22("TP1", "\0Artist"s) + Frame22("TAL", "\0Album"s) +
                     Frame22("TYE", "\0" "1990"s) + Frame22("COM", "\0eng\0Two-two"s)),
       Tags(L"Title 2.2", L"Artist", L"Album", L"1990", L"Two-two")},
      {"2.3 in UTF-16 with a byte-order mark, big- and little-endian",
       Tag(3, 0, Frame23("TIT2", utf16Title) + Frame23("TPE1", "\x01\xFE\xFF"s + Utf16(L"艺术家", true))),
       Tags(L"标题", L"艺术家")},
      {"UTF-16 without a byte-order mark",
       Tag(3, 0, Frame23("TIT2", "\x01" + Utf16(L"无标记")) + Frame23("TPE1", "\x01" + Utf16(L"Plain", true))),
       Tags(L"无标记", L"Plain")},
      {"2.4 in UTF-16BE and UTF-8, several values, a full recording time",
       Tag(4, 0, Frame24("TIT2", "\x02" + Utf16(L"歌名", true)) + Frame24("TPE1", "\x03" + ToUtf8(L"甲") + '\0' + ToUtf8(L"乙")) +
                     Frame24("TDRC", "\x03" "2001-05-06T10:00"s)),
       Tags(L"歌名", L"甲/乙", L"", L"2001")},
      {"2.3: text after the terminator is no second value",
       Tag(3, 0, Frame23("TIT2", "\0One\0Two"s)), Tags(L"One")},
      {"2.3 unsynchronised as a whole, extended header too",
       Tag(3, '\xC0', Unsynchronised(Be32(6) + std::string(6, '\0') + Frame23("TIT2", "\0"s + Latin1(L"ÿàÿ") + "\xFF"s) +
                                     Frame23("TPE1", "\0Next"s))),
       Tags(L"ÿàÿÿ", L"Next")},
      {"2.3 extended header with its CRC",
       Tag(3, '\x40', Be32(10) + std::string("\x80\0\0\0\0\0\0\0\0\0", 10) + Frame23("TIT2", "\0After the header"s)),
       Tags(L"After the header")},
      {"2.4 extended header, its size syncsafe and counting itself",
       Tag(4, '\x40', Syncsafe(6) + "\x01\0"s + Frame24("TIT2", "\0Four"s)), Tags(L"Four")},
      {"2.4 frames unsynchronised one by one, with their data length",
       Tag(4, 0, Frame24("TIT2", Syncsafe(4) + Unsynchronised("\0"s + Latin1(L"aÿà")), '\x03') + Frame24("TPE1", "\0Who"s)),
       Tags(L"aÿà", L"Who")},
      {"2.4 with plain frame sizes (over 127, as some writers put them)",
       Tag(4, 0, Frame23("COMM", "\0eng\0"s + std::string(300, 'c')) + Frame23("TIT2", "\0Plain sizes"s)),
       Tags(L"Plain sizes", L"", L"", L"", std::wstring(300, L'c'))},
      {"compressed, encrypted and grouped frames",
       Tag(3, 0, Frame23("TIT2", "zzzz", '\x80') + Frame23("TPE1", "zzzz", '\x40') + Frame23("TALB", "g\0Grouped"s, '\x20') +
                     Frame23("TIT2", "\0Readable"s)),
       Tags(L"Readable", L"", L"Grouped")},
      {"the players' own comments give way to the comment; a comment frame with a description stands in",
       Tag(3, 0, Frame23("COMM", "\0eng" "iTunNORM\0 000001"s) + Frame23("COMM", "\0engnote\0Described"s) +
                     Frame23("COMM", "\0eng\0Plain comment"s)),
       Tags(L"", L"", L"", L"", L"Plain comment")},
      {"the album artist stands in for a missing artist, a release year for a missing year",
       Tag(4, 0, Frame24("TPE2", "\0Band"s) + Frame24("TDRL", "\0" "1985-01-01"s)), Tags(L"", L"Band", L"", L"1985")},
      {"ID3v1 fills what ID3v2 lacks; v1.1's track is no part of the comment",
       Tag(3, 0, Frame23("TIT2", utf16Title)) + kAudio + V1("v1 title", "v1 artist", "v1 album", "1999", "v1.1 note" + std::string(19, '\0') + "\0\x07"s),
       Tags(L"标题", L"v1 artist", L"v1 album", L"1999", L"v1.1 note")},
      {"ID3v1 alone, its fields filled with blanks",
       kAudio + V1("Spaced out                    ", "A", "", "2000", "x"), Tags(L"Spaced out", L"A", L"", L"2000", L"x")},
      {"a picture before the text, larger than the first read", Tag(3, 0, Frame23("APIC", std::string(100000, 'p')) + Frame23("TIT2", "\0Late"s)),
       Tags(L"Late")},
  };
  TempFolder t(L"id3layouts");
  int n = 0;
  for (const auto& c : cases) {
    const std::wstring path = t.file(L"f" + std::to_wstring(n++) + L".mp3", c.file);
    EXPECT_EQ(ReadMusicTags(path), c.tags) << c.what;
  }
}

// Single-byte fields: GBK when the bytes read as Chinese text, Latin-1 otherwise, UTF-8 when they are UTF-8.
TEST(MusicTagsLayouts, SingleByteFieldsInGbkLatin1OrUtf8) {
  const struct {
    std::string bytes;
    std::wstring text;
  } cases[] = {
      {"\xC7\xE0\xBB\xA8\xB4\xC9", L"青花瓷"},                // GBK
      {"Jay \xD6\xDC\xBD\xDC\xC2\xD7", L"Jay 周杰伦"},          // GBK among ASCII
      {"\x8F\x88\xB2\xA1", L"張病"},                            // a GBK character beyond GB2312
      {"Bj\xF6rk", L"Björk"},                                   // pairs as GBK, but no trail byte from 0x80
      {"Caf\xE9", L"Café"},                                     // a lead byte at the end: no GBK
      {"\xC3\xA9t\xC3\xA9", L"été"},                            // UTF-8 under the Latin-1 label
      {"plain", L"plain"},
      {"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeSingleByteText(c.bytes), c.text) << c.bytes;
}

// ASF headers: the content description, the extended content description, the metadata objects.
std::string AsfObject(const std::string& guid, const std::string& body) { return guid + Le64(24 + body.size()) + body; }
const std::string kAsfHeader("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string kAsfContent("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string kAsfExtended("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50", 16);
const std::string kAsfExtension("\xB5\x03\xBF\x5F\x2E\xA9\xCF\x11\x8E\xE3\x00\xC0\x0C\x20\x53\x65", 16);
const std::string kAsfLibrary("\x94\x1C\x23\x44\x98\x94\xD1\x49\xA1\x41\x1D\x13\x4E\x45\x70\x54", 16);
std::string AsfText(std::wstring_view text) { return Utf16(text) + std::string(2, '\0'); }
std::string Content(std::wstring_view title, std::wstring_view author, std::wstring_view description) {
  const std::string t = AsfText(title), a = AsfText(author), d = AsfText(description);
  return AsfObject(kAsfContent, Le16(t.size()) + Le16(a.size()) + Le16(0) + Le16(d.size()) + Le16(0) + t + a + d);
}
std::string Descriptor(std::wstring_view name, std::uint16_t type, const std::string& value) {
  const std::string n = AsfText(name);
  return Le16(n.size()) + n + Le16(type) + Le16(value.size()) + value;
}
std::string Asf(const std::string& objects, std::uint32_t count, std::uint64_t sizeShown = 0) {
  return kAsfHeader + Le64(sizeShown ? sizeShown : 30 + objects.size()) + Le32(count) + "\x01\x02"s + objects + kAudio;
}

TEST(MusicTagsLayouts, WindowsMediaAttributes) {
  const std::string extended = AsfObject(kAsfExtended, Le16(4) + Descriptor(L"WM/AlbumTitle", 0, AsfText(L"专辑")) +
                                                           Descriptor(L"WM/AUTHOR", 0, AsfText(L"Named")) +
                                                           Descriptor(L"WM/Picture", 1, std::string(50, 'p')) +
                                                           Descriptor(L"WM/Year", 3, Le32(1994)));
  const std::string library = Le16(1) + Le16(0) + Le16(0) + Le16(AsfText(L"WM/Description").size()) + Le16(0) +
                              Le32(AsfText(L"在扩展里").size()) + AsfText(L"WM/Description") + AsfText(L"在扩展里");
  const std::string extension = kAsfExtension + Le64(24 + 22 + 24 + library.size()) + std::string(18, '\0') +
                                Le32(24 + library.size()) + AsfObject(kAsfLibrary, library);
  TempFolder t(L"asf");
  EXPECT_EQ(ReadMusicTags(t.file(L"content.wma", Asf(Content(L"标题", L"作者", L"描述"), 1))), Tags(L"标题", L"作者", L"", L"", L"描述"));
  EXPECT_EQ(ReadMusicTags(t.file(L"all.wma", Asf(Content(L"标题", L"作者", L"描述") + extended + extension, 3))),
            Tags(L"标题", L"Named", L"专辑", L"1994", L"在扩展里"))
      << "a named attribute goes before the content description's field";
  EXPECT_EQ(ReadMusicTags(t.file(L"named.mp3", Asf(extended, 1))), Tags(L"", L"Named", L"专辑", L"1994"))
      << "the bytes say what the file is, not its name";
}

// ---------------------------------------------------------------- damaged and hostile files

TEST(MusicTagsDamaged, SizesThatPointPastTheBytesGiveWhatIsWhole) {
  const std::string good = Frame23("TIT2", "\0Whole"s);
  const struct {
    const char* what;
    std::string file;
    MusicTags tags;
  } cases[] = {
      {"an empty file", "", {}},
      {"a header alone", "ID3\x03\0\0\0\0\x7F\x7F"s, {}},
      {"a tag whose size points far past the end", "ID3\x03\0\0\x7F\x7F\x7F\x7F"s + good + Frame23("TPE1", "\0Cut off here"s).substr(0, 14), Tags(L"Whole")},
      {"a frame whose size points past the tag", Tag(3, 0, good + "TPE1"s + Be32(0x7FFFFFF0) + "\0\0\0Lost"s), Tags(L"Whole")},
      {"a tag size that is no syncsafe number", "ID3\x03\0\0\x80\0\0\x20"s + good, {}},
      {"an extended header larger than the tag", Tag(3, '\x40', Be32(0xFFFFFFF0) + good), {}},
      {"a 2.4 extended header of size 0", Tag(4, '\x40', Syncsafe(0) + good), {}},
      {"an unknown text encoding", Tag(3, 0, Frame23("TIT2", "\x07Odd"s) + Frame23("TPE1", "\0Known"s)), Tags(L"", L"Known")},
      {"a version that is no ID3v2", Tag(5, 0, good), {}},
      {"a file shorter than an ID3v1 tag", "TAG"s + std::string(60, 'x'), {}},
      {"an ASF header whose size points past the end", Asf(Content(L"T", L"A", L"C"), 1, 1ull << 40), Tags(L"T", L"A", L"", L"", L"C")},
      {"an ASF object of size 0", Asf(kAsfContent + Le64(0) + Content(L"T", L"A", L"C"), 2), {}},
      {"ASF string lengths past their object",
       Asf(AsfObject(kAsfContent, Le16(0xFFFF) + Le16(2) + Le16(0) + Le16(0) + Le16(0) + "T\0"s), 1), {}},
      {"an ASF descriptor count far beyond the descriptors",
       Asf(AsfObject(kAsfExtended, Le16(0xFFFF) + Descriptor(L"WM/AlbumTitle", 0, AsfText(L"Kept"))), 1),
       Tags(L"", L"", L"Kept")},
  };
  TempFolder t(L"damaged");
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReadMusicTags(t.file(L"d" + std::to_wstring(n++) + L".mp3", c.file)), c.tags);
    EXPECT_EQ(ParseMusicTags(c.file), c.tags) << "the same in memory";
  }
  EXPECT_EQ(ReadMusicTags(t / L"missing.mp3"), MusicTags{});
}

}  // namespace
}  // namespace wv::test
