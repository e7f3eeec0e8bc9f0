#include <gtest/gtest.h>

#include "core/text.h"

namespace wv {
namespace {

TEST(Text, TrimAndCaseOfEveryScript) {
  EXPECT_EQ(Trim(L" \t\x01 a b \r\n\x1f"), L"a b");
  EXPECT_EQ(Trim(L"\x3000中\x3000"), L"\x3000中\x3000");  // only units up to the blank count
  EXPECT_EQ(ToUpper(L"abc é я ω ａ 中"), L"ABC É Я Ω Ａ 中");
  EXPECT_EQ(ToLower(L"ABC É Я 中"), L"abc é я 中");
  EXPECT_EQ(FoldCase(L'\xD83D'), L'\xD83D');  // a lone surrogate half stays
  EXPECT_TRUE(EqualsNoCase(L"Ünïcödé", L"üNÏCÖDÉ"));
  EXPECT_FALSE(EndsWithNoCase(L"txt", L".txt"));
  EXPECT_EQ(FindNoCase(L"C:\\Windows\\System32\\CatRoot2", L"system32\\catroot"), 11u);
  EXPECT_EQ(FindNoCase(L"aaab", L"AAB"), 1u);  // a false start just before the hit
  EXPECT_EQ(FindNoCase(L"ab", L"abc"), std::wstring_view::npos);
  EXPECT_EQ(ReplaceAll(L"a\\\\b\\\\\\c", L"\\\\", L"\\"), L"a\\b\\\\c");  // hits do not overlap
  EXPECT_EQ(ReplaceAll(L"Xaxa", L"x", L"yy"), L"Xayya");
  EXPECT_EQ(ReplaceAll(L"Xaxa", L"x", L"yy", true), L"yyayya");
  EXPECT_EQ(ReplaceAll(L"abc", L"", L"z"), L"abc");
}

TEST(Text, PathPartsAndConversions) {
  const struct {
    const wchar_t *path, *folder, *name, *ext;
  } cases[] = {
      {L"C:\\x\\y.txt", L"C:\\x\\", L"y.txt", L".txt"}, {L"C:y.tar.gz", L"C:", L"y.tar.gz", L".gz"},
      {L"C:\\x.d\\y", L"C:\\x.d\\", L"y", L""},         {L"", L"", L"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.path), c.folder) << c.path;
    EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
    EXPECT_EQ(ExtractFileExt(c.path), c.ext) << c.path;
  }
  EXPECT_EQ(ExcludeTrailingBackslash(L"C:\\a\\"), L"C:\\a");
  EXPECT_EQ(ToWide(ToUtf8(L"注册表 backup 😀")), L"注册表 backup 😀");
  EXPECT_EQ(ToUtf8(std::wstring(1, L'\xD800')), "\xEF\xBF\xBD");  // a lone half becomes U+FFFD
  EXPECT_EQ(AnsiByteLength(std::wstring(32000, L'中') + L"a"), 64001u);
  EXPECT_GE(AnsiByteLength(L"😀"), 1u);  // missing from the code page, still counted
}

}  // namespace
}  // namespace wv
