// Text helpers where a slip is easy, size and time texts, the administrator test.
#include <gtest/gtest.h>

#include <clocale>
#include <tuple>

#include "core/utilities.h"
#include "platform/text.h"
#include "platform/win32/win32_platform.h"
#include "support/test_support.h"

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

TEST(ClassicTexts, SizesInUnitsStepsAndRoundingWhateverTheLocaleAndFileTimesInTheirFormats) {
  const char* comma = nullptr;  // the point stays a point under a decimal-comma locale
  for (const char* name : {"de-DE", "German_Germany.1252", "fr-FR"})
    if (!comma && std::setlocale(LC_ALL, name) && std::localeconv()->decimal_point[0] == ',') comma = name;
  constexpr std::uint64_t KB = 1024, MB = KB * KB, GB = MB * KB, TB = GB * KB;
  const std::pair<std::uint64_t, const wchar_t*> cases[] = {
      {0, L"0.00 B"},  {1023, L"1023.00 B"}, {1024, L"1.00 KB"}, {1030, L"1.01 KB"}, {1536, L"1.50 KB"},
      {MB - 1, L"1024.00 KB"}, {MB, L"1.00 MB"}, {GB, L"1.00 GB"}, {GB + GB / 4, L"1.25 GB"},
      {1024 * TB - 1, L"1024.00 TB"}, {1024 * TB, L""}, {UINT64_MAX, L""}};
  for (const auto& [bytes, text] : cases) EXPECT_EQ(FormatSize(bytes), text) << bytes << (comma ? comma : "");
  std::setlocale(LC_ALL, "C");
  // File times in the classic formats, of local time.
  FILETIME utc{};
  ASSERT_TRUE(DateTimeToFileTime(SYSTEMTIME{2026, 12, 0, 5, 13, 7, 9, 0}, utc));
  EXPECT_EQ(FormatFileTime(utc, L"yyyy-mm-dd hh:nn:ss"), L"2026-12-05 13:07:08");  // two-second resolution
  EXPECT_EQ(FormatFileTime(utc, L"yy/m/d h:n:s"), L"26/12/5 13:7:8");
  EXPECT_EQ(FormatFileTime(utc, L"HH:MM"), L"13:07");  // minutes right after the hour
  EXPECT_EQ(FormatFileTime(utc, L"'yyyy' \"at\" dd.mm"), L"yyyy at 05.12");
  ASSERT_TRUE(DateTimeToFileTime(SYSTEMTIME{2200, 1, 0, 1, 0, 0, 0, 0}, utc));
  for (const FILETIME& outside : {utc, FILETIME{}, FILETIME{0xFFFFFFFF, 0xFFFFFFFF}})
    EXPECT_EQ(FormatFileTime(outside, L"yyyy"), L"");  // beyond what the classic file date holds
}

struct FakeSystemInfo : SystemInfo {
  std::optional<std::vector<SidBytes>> groups;
  SidBytes admins{1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 32, 2, 0, 0};  // S-1-5-32-544
  OsVersion answer;
  std::optional<std::vector<SidBytes>> tokenGroups() override { return groups; }
  SidBytes administratorsGroup() override { return admins; }
  OsVersion version() override { return answer; }
  std::wstring userSidText() override { return {}; }
};

// Every record names the system it was made on, today's systems too: Windows 11
// is version 10.0 from build 22000 on.
TEST(GetOSName, NamesTodaysSystemsFromTheirTrueVersion) {
  FakeSystemInfo fake;
  const std::pair<OsVersion, const wchar_t*> cases[] = {
      {{2, 5, 1, 2600, L"Service Pack 3"}, L"Windows XP"}, {{2, 6, 1, 7601, L""}, L"Windows 7"},
      {{2, 6, 2, 9200, L""}, L"Windows 8"},                {{2, 6, 3, 9600, L""}, L"Windows 8.1"},
      {{2, 10, 0, 10240, L""}, L"Windows 10"},             {{2, 10, 0, 19045, L""}, L"Windows 10"},
      {{2, 10, 0, 21999, L""}, L"Windows 10"},             {{2, 10, 0, 22000, L""}, L"Windows 11"},
      {{2, 10, 0, 26100, L""}, L"Windows 11"},             {{2, 10, 1, 30000, L""}, L"Unknown Version"},
      {{1, 4, 10, 0, L" A "}, L"Windows 98 第二版"},
  };
  {
    Substitute<SystemInfo> use(&Platform::system, fake);
    for (const auto& [version, name] : cases) {
      fake.answer = version;
      EXPECT_EQ(GetOSName(), name) << version.major << "." << version.minor << "." << version.build;
    }
  }
  // The system these tests run on (Wine reports a Windows of today) has a name.
  EXPECT_NE(GetOSName(), L"Unknown Version");
}

TEST(IsAdmin, WantsTheExactAdministratorsSid) {
  FakeSystemInfo fake;
  Substitute<SystemInfo> use(&Platform::system, fake);
  const SidBytes admins = fake.admins, users{1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 33, 2, 0, 0};  // S-1-5-32-545
  const SidBytes truncated(admins.begin(), admins.end() - 4);  // S-1-5-32
  std::vector<SidBytes> many(200, users);                      // past any fixed buffer
  many.push_back(admins);  // a deny-only membership counts: attributes are not looked at
  // The groups, the identifier (none: it could not be built, nor one group's read), the answer.
  const std::tuple<std::optional<std::vector<SidBytes>>, SidBytes, bool> cases[] = {
      {std::nullopt, admins, false}, {std::vector<SidBytes>{users, truncated}, admins, false}, {many, admins, true},
      {std::vector<SidBytes>(1), SidBytes{}, false}};
  for (const auto& [groups, identifier, admin] : cases) {
    fake.groups = groups;
    fake.admins = identifier;
    EXPECT_EQ(IsAdmin(), admin);
  }
}

}  // namespace
}  // namespace wv
