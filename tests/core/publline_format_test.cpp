#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>

#include "core/publline.h"
#include "core_fakes.h"

namespace wv {
namespace {

constexpr std::uint64_t KB = 1024;
constexpr std::uint64_t MB = KB * 1024;
constexpr std::uint64_t GB = MB * 1024;
constexpr std::uint64_t TB = GB * 1024;

TEST(FormatSize, UnitsStepsAndRounding) {
  const struct {
    std::uint64_t bytes;
    const wchar_t* text;
  } cases[] = {
      {0, L"0.00 B"},
      {1, L"1.00 B"},
      {1023, L"1023.00 B"},
      {1024, L"1.00 KB"},
      {1025, L"1.00 KB"},
      {1030, L"1.01 KB"},      // 1.005859... rounds up
      {1535, L"1.50 KB"},      // 1.49902... rounds up
      {1536, L"1.50 KB"},
      {MB - 1, L"1024.00 KB"},  // below one MB, so still counted in KB
      {MB, L"1.00 MB"},
      {GB, L"1.00 GB"},
      {GB + GB / 4, L"1.25 GB"},
      {TB, L"1.00 TB"},
      {1023 * TB, L"1023.00 TB"},
      {1024 * TB - 1, L"1024.00 TB"},
      {1024 * TB, L""},
      {UINT64_MAX, L""},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatSize(c.bytes), c.text) << c.bytes;
}

TEST(FormatSize, DecimalPointIgnoresTheLocale) {
  const char* const names[] = {"de-DE", "German_Germany.1252", "German", "fr-FR", "French"};
  const char* chosen = nullptr;
  for (const char* name : names) {
    if (std::setlocale(LC_ALL, name) && std::localeconv()->decimal_point[0] == ',') {
      chosen = name;
      break;
    }
  }
  const std::wstring text = FormatSize(1536);
  std::setlocale(LC_ALL, "C");
  if (!chosen) GTEST_SKIP() << "no locale with a decimal comma here";
  EXPECT_EQ(text, L"1.50 KB") << chosen;
}

SYSTEMTIME Local(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME st{};
  st.wYear = year;
  st.wMonth = month;
  st.wDay = day;
  st.wHour = hour;
  st.wMinute = minute;
  st.wSecond = second;
  return st;
}

TEST(FileTimes, LocalRoundTrip) {
  const SYSTEMTIME cases[] = {Local(2026, 12, 5, 13, 7, 9), Local(1999, 1, 1, 0, 0, 0), Local(2038, 6, 30, 23, 59, 58),
                              Local(1601, 1, 2, 0, 0, 0)};
  for (const SYSTEMTIME& st : cases) {
    FILETIME utc{};
    ASSERT_TRUE(DateTimeToFileTime(st, utc));
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToDateTime(utc, back));
    EXPECT_EQ(back.wYear, st.wYear);
    EXPECT_EQ(back.wMonth, st.wMonth);
    EXPECT_EQ(back.wDay, st.wDay);
    EXPECT_EQ(back.wHour, st.wHour);
    EXPECT_EQ(back.wMinute, st.wMinute);
    EXPECT_EQ(back.wSecond, st.wSecond);
  }
  FILETIME utc{};
  EXPECT_FALSE(DateTimeToFileTime(Local(2026, 13, 1, 0, 0, 0), utc));
  EXPECT_FALSE(DateTimeToFileTime(Local(2026, 2, 30, 0, 0, 0), utc));
}

TEST(FileTimes, FormatFileTimeClassicFormats) {
  FILETIME utc{};
  ASSERT_TRUE(DateTimeToFileTime(Local(2026, 12, 5, 13, 7, 9), utc));
  const struct {
    const wchar_t* format;
    const wchar_t* text;
  } cases[] = {
      {L"yyyy-mm-dd", L"2026-12-05"},
      {L"yyyy-mm-dd hh:nn:ss", L"2026-12-05 13:07:08"},  // two-second resolution
      {L"YYYY-MM-DD HH:NN:SS", L"2026-12-05 13:07:08"},
      {L"yy/m/d h:n:s", L"26/12/5 13:7:8"},
      {L"hh:mm", L"13:07"},  // minutes right after the hour
      {L"dd.mm.yyyy", L"05.12.2026"},
      {L"'yyyy' yyyy", L"yyyy 2026"},
      {L"\"at\" hh", L"at 13"},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFileTime(utc, c.format), c.text) << c.format;

  FILETIME early{};  // 1601: outside what the two-second format holds
  EXPECT_EQ(FormatFileTime(early, L"yyyy-mm-dd"), L"");
  FILETIME late{};
  ASSERT_TRUE(DateTimeToFileTime(Local(2200, 1, 1, 0, 0, 0), late));
  EXPECT_EQ(FormatFileTime(late, L"yyyy-mm-dd"), L"");
  FILETIME invalid{0xFFFFFFFF, 0xFFFFFFFF};
  EXPECT_EQ(FormatFileTime(invalid, L"yyyy"), L"");
}

TEST(SystemNames, OsNameTable) {
  test::FakeSystemInfo fake;
  Substitute<SystemInfo> use(&Platform::system, fake);
  const struct {
    std::uint32_t platformId, major, minor;
    const wchar_t* servicePack;
    const wchar_t* name;
  } cases[] = {
      {0, 3, 11, L"", L"Windows 3.11"},
      {1, 4, 0, L"", L"Windows 95"},
      {1, 4, 10, L" A ", L"Windows 98 第二版"},
      {1, 4, 10, L"", L"Windows 98 第一版"},
      {1, 4, 10, L"A", L"Windows 98 第一版"},  // the mark is the second character
      {1, 4, 90, L"", L"Windows ME"},
      {1, 4, 50, L"", L"Unknown Version"},
      {2, 3, 51, L"", L"Windows NT "},
      {2, 4, 0, L"Service Pack 6", L"Windows NT "},
      {2, 5, 0, L"", L"Windows 2000"},
      {2, 5, 1, L"Service Pack 3", L"Windows XP"},
      {2, 5, 2, L"", L"Windows 2003"},
      {2, 6, 0, L"", L"Windows Vista"},
      {2, 6, 1, L"Service Pack 1", L"Windows 7"},
      {2, 6, 2, L"", L"Unknown Version"},
      {2, 10, 0, L"", L"Unknown Version"},
      {2, 5, 3, L"", L"Unknown Version"},
      {3, 6, 1, L"", L"Unknown Platform"},
  };
  for (const auto& c : cases) {
    fake.os = OsVersion{c.platformId, c.major, c.minor, 0, c.servicePack};
    EXPECT_EQ(GetOSName(), c.name) << c.platformId << L" " << c.major << L"." << c.minor;
  }
}

TEST(SystemNames, UiFontFollowsTheNtMajorVersion) {
  test::FakeSystemInfo fake;
  Substitute<SystemInfo> use(&Platform::system, fake);
  const struct {
    std::uint32_t platformId, major, minor;
    const wchar_t* font;
  } cases[] = {
      {2, 6, 1, L"微软雅黑"}, {2, 6, 0, L"微软雅黑"}, {2, 5, 1, L"宋体"},
      {2, 10, 0, L"宋体"},    {1, 6, 0, L"宋体"},    {1, 4, 10, L"宋体"},
  };
  for (const auto& c : cases) {
    fake.os = OsVersion{c.platformId, c.major, c.minor, 0, L""};
    EXPECT_EQ(GetUIFontName(), c.font);
  }
}

TEST(SystemNames, IsAdminLooksForTheExactAdministratorsSid) {
  test::FakeSystemInfo fake;
  Substitute<SystemInfo> use(&Platform::system, fake);
  const SidBytes users{1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 33, 2, 0, 0};     // S-1-5-32-545
  const SidBytes everyone{1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};                // S-1-1-0
  const SidBytes truncated(fake.admins.begin(), fake.admins.end() - 4);       // S-1-5-32
  std::vector<SidBytes> many(200, users);                                     // past any fixed buffer
  many.push_back(fake.admins);

  fake.groups = std::nullopt;
  EXPECT_FALSE(IsAdmin());
  fake.groups = std::vector<SidBytes>{};
  EXPECT_FALSE(IsAdmin());
  fake.groups = std::vector<SidBytes>{everyone, users};
  EXPECT_FALSE(IsAdmin());
  fake.groups = std::vector<SidBytes>{everyone, truncated};
  EXPECT_FALSE(IsAdmin());
  fake.groups = std::vector<SidBytes>{everyone, fake.admins, users};
  EXPECT_TRUE(IsAdmin());
  fake.groups = many;
  EXPECT_TRUE(IsAdmin());
}

}  // namespace
}  // namespace wv
