// The text helpers where a slip is easy: units that count as blank, false starts,
// overlapping hits, path parts, and the two encodings.
#include <gtest/gtest.h>

#include "core/text.h"

namespace wv {
namespace {

TEST(Text, SearchReplaceTrimPartsAndEncodings) {
  EXPECT_EQ(Trim(L" \t\x01 a b \r\n\x1f"), L"a b");
  EXPECT_EQ(Trim(L"\x3000中\x3000"), L"\x3000中\x3000");  // only units up to the blank count
  EXPECT_EQ(ToUpper(L"abc é я ω ａ 中"), L"ABC É Я Ω Ａ 中");
  EXPECT_EQ(FoldCase(L'\xD83D'), L'\xD83D');  // a lone surrogate half stays
  EXPECT_EQ(FindNoCase(L"aaab", L"AAB"), 1u);  // a false start just before the hit
  EXPECT_EQ(FindNoCase(L"ab", L"abc"), std::wstring_view::npos);
  EXPECT_EQ(ReplaceAll(L"a\\\\b\\\\\\c", L"\\\\", L"\\"), L"a\\b\\\\c");  // hits do not overlap
  EXPECT_EQ(ReplaceAll(L"Xaxa", L"x", L"yy"), L"Xayya");
  EXPECT_EQ(ReplaceAll(L"abc", L"", L"z"), L"abc");
  EXPECT_EQ(ExtractFilePath(L"C:y.tar.gz"), L"C:");
  EXPECT_EQ(ExtractFileExt(L"C:\\x.d\\y"), L"");
  EXPECT_EQ(ToWide(ToUtf8(L"注册表 backup 😀")), L"注册表 backup 😀");
  EXPECT_EQ(ToUtf8(std::wstring(1, L'\xD800')), "\xEF\xBF\xBD");  // a lone half becomes U+FFFD
  EXPECT_EQ(AnsiByteLength(std::wstring(32000, L'中') + L"a"), 64001u);
  EXPECT_GE(AnsiByteLength(L"😀"), 1u);  // missing from the code page, still counted
}

}  // namespace
}  // namespace wv
