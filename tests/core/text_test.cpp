#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "core/text.h"

namespace wv {
namespace {

TEST(Text, TrimDropsBlanksAndControlCharactersAtBothEnds) {
  const struct {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"", L""},
      {L"   \t\r\n", L""},
      {L"  a b \t\r\n", L"a b"},
      {L"\x01x\x1f", L"x"},
      {L"\x3000中文\x3000", L"\x3000中文\x3000"},  // only units up to the blank count
      {L"x", L"x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TrimView(c.in), c.out) << c.in;
    EXPECT_EQ(Trim(c.in), c.out) << c.in;
  }
}

TEST(Text, FoldCaseFoldsLettersOfEveryScript) {
  const struct {
    wchar_t in, out;
  } cases[] = {
      {L'a', L'A'},   {L'z', L'Z'},   {L'A', L'A'},   {L'1', L'1'},    {L'~', L'~'},
      {L'\xE9', L'\xC9'},       // é
      {L'\x44F', L'\x42F'},     // я
      {L'\x3C9', L'\x3A9'},     // ω
      {L'\xFF41', L'\xFF21'},   // fullwidth a
      {L'中', L'中'},           {L'\xD83D', L'\xD83D'},  // a lone surrogate half stays
  };
  for (const auto& c : cases) EXPECT_EQ(FoldCase(c.in), c.out) << static_cast<int>(c.in);
  EXPECT_EQ(ToUpper(L"abc é я 中"), L"ABC É Я 中");
  EXPECT_EQ(ToLower(L"ABC É Я 中"), L"abc é я 中");
}

TEST(Text, CaseInsensitiveComparisons) {
  EXPECT_TRUE(EqualsNoCase(L"Recycled", L"RECYCLED"));
  EXPECT_TRUE(EqualsNoCase(L"Ünïcödé", L"üNÏCÖDÉ"));
  EXPECT_FALSE(EqualsNoCase(L"Recycled", L"Recycle"));
  EXPECT_TRUE(EqualsNoCase(L"", L""));
  EXPECT_TRUE(StartsWithNoCase(L"HKEY_Current_User\\x", L"hkey_current_user"));
  EXPECT_FALSE(StartsWithNoCase(L"HK", L"HKEY"));
  EXPECT_TRUE(EndsWithNoCase(L"file.TXT", L".txt"));
  EXPECT_FALSE(EndsWithNoCase(L"txt", L".txt"));

  const struct {
    const wchar_t* text;
    const wchar_t* needle;
    std::size_t at;
  } finds[] = {
      {L"C:\\Windows\\System32\\CatRoot2\\", L"system32\\catroot2\\", 11},
      {L"abcabc", L"CA", 2},
      {L"abc", L"", 0},
      {L"", L"", 0},
      {L"ab", L"abc", std::wstring_view::npos},
      {L"aaab", L"AAB", 1},
      {L"Дом", L"ом", 1},
  };
  for (const auto& f : finds) EXPECT_EQ(FindNoCase(f.text, f.needle), f.at) << f.text << L" / " << f.needle;
  EXPECT_TRUE(ContainsNoCase(L"KISTempDB.BAK.old", L"kistempdb.bak"));
}

TEST(Text, ReplaceAll) {
  EXPECT_EQ(ReplaceAll(L"a\\\\b\\\\\\c", L"\\\\", L"\\"), L"a\\b\\\\c");
  EXPECT_EQ(ReplaceAll(L"Xaxa", L"x", L"yy"), L"Xayya");
  EXPECT_EQ(ReplaceAll(L"Xaxa", L"x", L"yy", true), L"yyayya");
  EXPECT_EQ(ReplaceAll(L"abc", L"", L"z"), L"abc");
  EXPECT_EQ(ReplaceAll(L"", L"a", L"z"), L"");
  EXPECT_EQ(ReplaceAll(L"aaa", L"a", L""), L"");
}

TEST(Text, PathParts) {
  const struct {
    const wchar_t* path;
    const wchar_t* folder;
    const wchar_t* name;
    const wchar_t* ext;
  } cases[] = {
      {L"C:\\x\\y.txt", L"C:\\x\\", L"y.txt", L".txt"},
      {L"C:y.tar.gz", L"C:", L"y.tar.gz", L".gz"},
      {L"C:\\x.d\\y", L"C:\\x.d\\", L"y", L""},
      {L"noext", L"", L"noext", L""},
      {L".bashrc", L"", L".bashrc", L".bashrc"},
      {L"C:\\dir\\", L"C:\\dir\\", L"", L""},
      {L"", L"", L"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.path), c.folder) << c.path;
    EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
    EXPECT_EQ(ExtractFileExt(c.path), c.ext) << c.path;
  }
  EXPECT_EQ(IncludeTrailingBackslash(L"C:\\a"), L"C:\\a\\");
  EXPECT_EQ(IncludeTrailingBackslash(L"C:\\a\\"), L"C:\\a\\");
  EXPECT_EQ(ExcludeTrailingBackslash(L"C:\\a\\"), L"C:\\a");
  EXPECT_EQ(ExcludeTrailingBackslash(L"C:\\a"), L"C:\\a");
  EXPECT_EQ(ExcludeTrailingBackslash(L""), L"");
}

TEST(Text, Utf8RoundTripAndBrokenUnits) {
  const std::wstring text = L"注册表 backup 😀";
  EXPECT_EQ(ToWide(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(L"中"), "\xE4\xB8\xAD");
  EXPECT_EQ(ToUtf8(std::wstring(1, L'\xD800')), "\xEF\xBF\xBD");  // a lone half becomes U+FFFD
  EXPECT_EQ(ToWide(""), L"");
  EXPECT_EQ(ToUtf8(L""), "");
}

TEST(Text, AnsiByteLengthCountsGbkBytes) {
  const struct {
    std::wstring text;
    std::size_t bytes;
  } cases[] = {
      {L"", 0},
      {L"abc", 3},
      {L"中文", 4},
      {L"a中b", 4},
      {L"文件名过长！", 12},
      {std::wstring(32000, L'中'), 64000},
  };
  for (const auto& c : cases) EXPECT_EQ(AnsiByteLength(c.text), c.bytes);
  // Characters the code page lacks still count (as its replacement), never as nothing.
  EXPECT_GE(AnsiByteLength(L"😀"), 1u);
  EXPECT_GE(AnsiByteLength(std::wstring(1, L'\xDC00')), 1u);
}

TEST(Text, ToDecimal) {
  EXPECT_EQ(ToDecimal(0), L"0");
  EXPECT_EQ(ToDecimal(-42), L"-42");
  EXPECT_EQ(ToDecimal(LLONG_MIN), L"-9223372036854775808");
}

}  // namespace
}  // namespace wv
