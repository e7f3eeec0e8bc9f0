// The URL cache and profile files as the platform part reaches them.
#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>  // plants the entries itself

#include "platform/platform.h"
#include "support/test_support.h"

namespace wv {
namespace {

using test::ReadBytes;
using test::TempFolder;

// An entry that outgrows the search's first buffer (the trace tests pin the rest on ordinary ones).
TEST(UrlCache, AnOverLongEntryIsFoundWholeAndDeleted) {
  const std::wstring url = L"http://wv-test.invalid/" + std::to_wstring(GetCurrentProcessId()) + L"/" +
                           std::wstring(3000, L'p') + L".html";
  wchar_t local[MAX_PATH] = {};
  ASSERT_TRUE(CreateUrlCacheEntryW(url.c_str(), 5, L"html", local, 0));
  test::WriteBytes(local, "12345");
  const FILETIME never{};
  ASSERT_TRUE(CommitUrlCacheEntryW(url.c_str(), local, never, never, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr));
  const auto content = [&] {
    UrlCacheEntry e;
    for (auto search = UrlCacheOps().find(L"", UrlCache::kAllEntries); search->next(e);)
      if (e.url == url) return ReadBytes(e.localFile);
    return std::string("<not found>");
  };
  EXPECT_EQ(content(), "12345");
  EXPECT_TRUE(UrlCacheOps().deleteEntry(url));
  EXPECT_EQ(content(), "<not found>");
}

std::string Gbk(std::wstring_view text) {
  std::string out(text.size() * 2, '\0');
  out.resize(static_cast<std::size_t>(WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()),
                                                          out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}

TEST(Profiles, CodePage936AndKeysInTheFilesOrderBeyondAFirstBuffer) {
  TempFolder t;
  const auto file = t / L"BackupInfo.ZINF";
  ASSERT_TRUE(Ini().write(file, L"FileBackup", L"C:\\备份\\Reg_2026Y12M05D13H07M09S.reg", L"2026-12-05|Windows 7"));
  const std::string bytes = ReadBytes(file);
  EXPECT_EQ(bytes.find('\0'), std::string::npos) << "written as UTF-16";
  EXPECT_NE(bytes.find(Gbk(L"C:\\备份\\Reg_2026Y12M05D13H07M09S.reg=2026-12-05|Windows 7")), std::string::npos);
  EXPECT_EQ(Ini().read(file, L"filebackup", L"c:\\备份\\REG_2026Y12M05D13H07M09S.REG"), L"2026-12-05|Windows 7");
  std::vector<std::wstring> order;  // long names, not in sorted order
  for (int i = 0; i < 150; ++i) order.push_back(L"JumpPath" + std::to_wstring((i * 37) % 150) + L"_长的键名");
  for (const auto& key : order) ASSERT_TRUE(Ini().write(file, L"WJQL", key, L"C:\\x"));
  ASSERT_TRUE(Ini().write(file, L"WJQL", L"Empty", L""));
  ASSERT_TRUE(Ini().write(file, L"ZCQL", L"Long", std::wstring(5000, L'值')));
  order.emplace_back(L"Empty");
  EXPECT_EQ(Ini().keys(file, L"wjql"), order);
  EXPECT_EQ(Ini().read(file, L"WJQL", L"Empty"), L"");  // empty is not missing
  EXPECT_FALSE(Ini().read(file, L"WJQL", L"Missing"));
  EXPECT_EQ(Ini().read(file, L"ZCQL", L"Long"), std::wstring(5000, L'值'));
  ASSERT_TRUE(Ini().eraseSection(file, L"WJQL"));
  EXPECT_TRUE(Ini().keys(file, L"WJQL").empty());
  EXPECT_TRUE(Ini().sectionExists(file, L"zcql"));
}

}  // namespace
}  // namespace wv
