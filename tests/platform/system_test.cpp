#include <gtest/gtest.h>

#include <algorithm>

#include "platform/platform.h"
#include "support/testsupport.h"

namespace wv {
namespace {

using test::ReadBytes;
using test::TempFolder;

TEST(Volumes, DriveCIsAFixedDiskWithSpace) {
  const std::uint32_t drives = Vol().logicalDrives();
  ASSERT_TRUE(drives & (1u << 2));
  EXPECT_EQ(Vol().driveType(L"C:\\"), static_cast<unsigned>(DRIVE_FIXED));
  const auto info = Vol().volumeInformation(L"C:\\");
  ASSERT_TRUE(info);
  EXPECT_FALSE(info->fileSystem.empty());
  std::uint64_t total = 0, free = 0;
  ASSERT_TRUE(Vol().diskSpace(L"C:\\", total, free));
  EXPECT_GT(free, 0u);
  EXPECT_GE(total, free);

  // A letter that names no drive.
  int missing = 25;
  while (missing > 3 && (drives & (1u << missing))) --missing;
  const std::wstring root = std::wstring(1, static_cast<wchar_t>(L'A' + missing)) + L":\\";
  EXPECT_EQ(Vol().driveType(root), static_cast<unsigned>(DRIVE_NO_ROOT_DIR));
  EXPECT_FALSE(Vol().volumeInformation(root));
  EXPECT_FALSE(Vol().diskSpace(root, total, free));
}

TEST(SystemInfo, TheTestUserIsInTheAdministratorsGroup) {
  const SidBytes admins = Sys().administratorsGroup();
  const SidBytes wellKnown{1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 32, 2, 0, 0};  // S-1-5-32-544
  EXPECT_EQ(admins, wellKnown);
  const auto groups = Sys().tokenGroups();
  ASSERT_TRUE(groups);
  EXPECT_NE(std::find(groups->begin(), groups->end(), admins), groups->end());

  // With an impersonation token the thread's own token is the one read.
  if (ImpersonateSelf(SecurityImpersonation)) {
    const auto threadGroups = Sys().tokenGroups();
    RevertToSelf();
    ASSERT_TRUE(threadGroups);
    EXPECT_NE(std::find(threadGroups->begin(), threadGroups->end(), admins), threadGroups->end());
  }
}

TEST(SystemInfo, VersionIsTheNtFamily) {
  const OsVersion v = Sys().version();
  EXPECT_EQ(v.platformId, static_cast<std::uint32_t>(VER_PLATFORM_WIN32_NT));
  EXPECT_EQ(v.major, 6u);
  EXPECT_EQ(v.minor, 1u);
  EXPECT_GT(v.build, 0u);
}

TEST(UrlCache, FindsFiltersAndDeletesEntries) {
  // A URL long enough that its entry outgrows the search's first buffer.
  const std::wstring url = L"http://wv-test.invalid/" + std::to_wstring(GetCurrentProcessId()) + L"/" +
                           std::wstring(3000, L'p') + L".html";
  wchar_t local[MAX_PATH] = {};
  ASSERT_TRUE(CreateUrlCacheEntryW(url.c_str(), 5, L"html", local, 0));
  {
    HANDLE h = CreateFileW(local, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD put = 0;
    WriteFile(h, "12345", 5, &put, nullptr);
    CloseHandle(h);
  }
  const FILETIME never{};
  ASSERT_TRUE(CommitUrlCacheEntryW(url.c_str(), local, never, never, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr));

  const auto findIt = [&](std::uint32_t filter) {
    std::optional<UrlCacheEntry> found;
    auto search = UrlCacheOps().find(L"", filter);
    UrlCacheEntry e;
    while (search->next(e))
      if (e.url == url) found = e;
    return found;
  };
  const auto entry = findIt(UrlCache::kAllEntries);
  ASSERT_TRUE(entry);
  EXPECT_TRUE(entry->entryType & NORMAL_CACHE_ENTRY);
  EXPECT_EQ(entry->localFile, std::wstring(local));
  EXPECT_EQ(ReadBytes(entry->localFile), "12345");
  EXPECT_FALSE(findIt(COOKIE_CACHE_ENTRY));  // not of the asked type

  EXPECT_TRUE(UrlCacheOps().deleteEntry(url));
  EXPECT_FALSE(findIt(UrlCache::kAllEntries));
  EXPECT_FALSE(UrlCacheOps().deleteEntry(url));
}

class FakeEventLogs : public EventLogs {
 public:
  std::unique_ptr<EventLog> open(std::wstring_view) override { return nullptr; }
};

TEST(Substitute, NestsAndRestoresInOrder) {
  EventLogs* const original = platform().eventLogs;
  FakeEventLogs outer, inner;
  {
    Substitute<EventLogs> a(&Platform::eventLogs, outer);
    {
      Substitute<EventLogs> b(&Platform::eventLogs, inner);
      EXPECT_EQ(&EventLogOps(), &inner);
    }
    EXPECT_EQ(&EventLogOps(), &outer);
    EXPECT_EQ(EventLogOps().open(L"Application"), nullptr);
  }
  EXPECT_EQ(platform().eventLogs, original);
}

std::string Gbk(std::wstring_view text) {
  const int n = WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

TEST(Profiles, NewFilesAreWrittenInTheAnsiCodePage) {
  TempFolder t;
  const auto file = t / L"BackupInfo.ZINF";
  ASSERT_TRUE(Ini().write(file, L"FileBackup", L"C:\\备份\\Reg_2026Y12M05D13H07M09S.reg", L"2026-12-05|Windows 7"));
  ASSERT_TRUE(Ini().write(file, L"中文节", L"键", L"值"));
  const std::string bytes = ReadBytes(file);
  EXPECT_EQ(bytes.find('\0'), std::string::npos) << "written as UTF-16";
  EXPECT_NE(bytes.find(Gbk(L"C:\\备份\\Reg_2026Y12M05D13H07M09S.reg=2026-12-05|Windows 7")), std::string::npos);
  EXPECT_NE(bytes.find(Gbk(L"[中文节]")), std::string::npos);
  EXPECT_NE(bytes.find(Gbk(L"键=值")), std::string::npos);
  EXPECT_EQ(Ini().read(file, L"中文节", L"键"), L"值");
  EXPECT_EQ(Ini().read(file, L"filebackup", L"c:\\备份\\REG_2026Y12M05D13H07M09S.REG"), L"2026-12-05|Windows 7");
}

TEST(Profiles, KeysSectionsAndDeletion) {
  TempFolder t;
  const auto file = t / L"Config.ini";
  EXPECT_FALSE(Ini().read(file, L"WJQL", L"Version"));
  EXPECT_FALSE(Ini().sectionExists(file, L"WJQL"));
  EXPECT_TRUE(Ini().keys(file, L"WJQL").empty());

  std::vector<std::wstring> order;
  for (int i = 0; i < 150; ++i) order.push_back(L"JumpPath" + std::to_wstring((i * 37) % 150) + L"_长的键名");
  for (const auto& key : order) ASSERT_TRUE(Ini().write(file, L"WJQL", key, L"C:\\x"));
  ASSERT_TRUE(Ini().write(file, L"WJQL", L"Empty", L""));
  ASSERT_TRUE(Ini().write(file, L"ZCQL", L"Version", L"2"));
  const std::wstring longValue(5000, L'值');
  ASSERT_TRUE(Ini().write(file, L"ZCQL", L"Long", longValue));

  auto keys = Ini().keys(file, L"wjql");
  ASSERT_EQ(keys.size(), order.size() + 1);
  EXPECT_TRUE(std::equal(order.begin(), order.end(), keys.begin()));  // the file's order
  EXPECT_EQ(Ini().read(file, L"WJQL", L"Empty"), L"");  // empty is not missing
  EXPECT_EQ(Ini().read(file, L"ZCQL", L"Long"), longValue);
  EXPECT_TRUE(Ini().sectionExists(file, L"zcql"));

  ASSERT_TRUE(Ini().deleteKey(file, L"ZCQL", L"Version"));
  EXPECT_FALSE(Ini().read(file, L"ZCQL", L"Version"));
  EXPECT_TRUE(Ini().read(file, L"ZCQL", L"Long"));
  ASSERT_TRUE(Ini().eraseSection(file, L"WJQL"));
  EXPECT_FALSE(Ini().sectionExists(file, L"WJQL"));
  EXPECT_TRUE(Ini().keys(file, L"WJQL").empty());
  EXPECT_TRUE(Ini().sectionExists(file, L"ZCQL"));
}

}  // namespace
}  // namespace wv
