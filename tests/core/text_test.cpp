// The text helpers where a slip is easy: units that count as blank, false starts,
// overlapping hits, and lone surrogate halves.
#include <gtest/gtest.h>

#include "core/text.h"

namespace wv {
namespace {

TEST(Text, BlanksFalseStartsOverlapsAndLoneHalves) {
  EXPECT_EQ(Trim(L" \t\x01 a b \r\n\x1f"), L"a b");
  EXPECT_EQ(Trim(L"\x3000中\x3000"), L"\x3000中\x3000");  // only units up to the blank count
  EXPECT_EQ(ToUpper(L"abc é я ω ａ 中"), L"ABC É Я Ω Ａ 中");
  EXPECT_EQ(FindNoCase(L"aaab", L"AAB"), 1u);  // a false start just before the hit
  EXPECT_EQ(ReplaceAll(L"a\\\\b\\\\\\c", L"\\\\", L"\\"), L"a\\b\\\\c");  // hits do not overlap
  EXPECT_EQ(ReplaceAll(L"abc", L"", L"z"), L"abc");
  EXPECT_EQ(FoldCase(L'\xD83D'), L'\xD83D');
  EXPECT_EQ(ToUtf8(std::wstring(1, L'\xD800')), "\xEF\xBF\xBD");  // becomes U+FFFD
  EXPECT_GE(AnsiByteLength(L"😀"), 1u);  // missing from the code page, still counted
}

}  // namespace
}  // namespace wv
