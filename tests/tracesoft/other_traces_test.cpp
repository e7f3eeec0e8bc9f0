// The other traces through the real page: the prefix's own URL cache and typed-address
// key, and a substitute for the event logs (Wine's are stubs).
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <functional>
#include <map>

#include "support/app_fixture.h"
#include "engines/cleaning/other_traces.h"
#include "pages/cleaning/other_traces_page.h"
#include "platform/win32/win32_platform.h"
#include "support/test_support.h"

namespace wv::test {
namespace {

using Texts = std::vector<std::wstring>;

// Event logs by name: records (nullopt: unreadable), whether a clear works; one not named cannot be opened.
struct FakeEventLogs : EventLogs {
  std::map<std::wstring, std::pair<std::optional<std::uint32_t>, bool>> logs;
  Texts cleared;
  std::unique_ptr<EventLog> open(std::wstring_view name) override {
    struct One : EventLog {
      One(FakeEventLogs& a, std::wstring_view n) : all(a), name(n) {}
      FakeEventLogs& all;
      std::wstring name;
      std::optional<std::uint32_t> recordCount() override { return all.logs[name].first; }
      bool clear() override { return all.logs[name].second && (all.cleared.push_back(name), true); }
    };
    return logs.contains(std::wstring(name)) ? std::make_unique<One>(*this, name) : nullptr;
  }
};

// The real cache, with the history's clear and each deletion recorded in order.
struct RecordingCache : Win32UrlCache {
  Texts calls;
  std::function<void()> onClearHistory;
  bool deleteEntry(std::wstring_view url) override {
    calls.emplace_back(url);
    return Win32UrlCache::deleteEntry(url);
  }
  bool clearHistory() override {
    calls.emplace_back(L"<clear history>");
    if (onClearHistory) onClearHistory();
    return Win32UrlCache::clearHistory();
  }
};

// Plants an entry of the type's container, unique to this run; with content, a
// local file holding it (deleted again when fileGone). Returns its URL.
std::wstring Plant(DWORD type, const char* content = nullptr, bool fileGone = false) {
  static int planted = 0;
  std::wstring url = type == COOKIE_CACHE_ENTRY ? L"Cookie:tester@" : type == URLHISTORY_CACHE_ENTRY ? L"Visited: tester@" : L"";
  url += L"http://wv" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++planted) + L".invalid/";
  wchar_t local[MAX_PATH] = {};
  if (content) {
    EXPECT_TRUE(CreateUrlCacheEntryW(url.c_str(), 0, L"txt", local, 0));
    WriteBytes(local, content);
  }
  const FILETIME never{};
  EXPECT_TRUE(CommitUrlCacheEntryW(url.c_str(), content ? local : nullptr, never, never, type, nullptr, 0, nullptr, nullptr));
  if (fileGone && !DeleteFileW(local)) ADD_FAILURE() << "its file stays";
  return url;
}

// The entry's local file ("" when it has none); nullopt when the cache no longer holds the URL.
std::optional<std::wstring> Entry(const std::wstring& url) {
  DWORD size = 0;
  GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size);
  std::vector<std::uint64_t> buffer(size / sizeof(std::uint64_t) + 1);
  auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
  if (size == 0 || !GetUrlCacheEntryInfoW(url.c_str(), info, &size)) return std::nullopt;
  return info->lpszLocalFileName ? info->lpszLocalFileName : L"";
}

void EmptyCache() {
  for (std::wstring_view pattern : {L"", L"Visited:", L"Cookie:"}) {
    Texts urls;
    UrlCacheEntry e;
    for (auto search = UrlCacheOps().find(pattern); search && search->next(e);) urls.push_back(e.url);
    for (const std::wstring& url : urls) (void)UrlCacheOps().deleteEntry(url);
  }
}

// Values that cannot be deleted (a policy, another program holding them).
struct StubbornKey : Win32RegKey {
  using Win32RegKey::Win32RegKey;
  SysResult deleteValue(std::wstring_view) override { return SysResult(ERROR_ACCESS_DENIED); }
};
struct StubbornRegistry : Win32Registry {
  std::unique_ptr<RegKey> openKey(RegRoot root, std::wstring_view path, SysResult* why) override {
    const auto key = Win32Registry::openKey(root, path, why);
    HKEY same = nullptr;
    if (!key || RegOpenKeyExW(static_cast<Win32RegKey&>(*key).handle(), L"", 0, KEY_ALL_ACCESS, &same)) return nullptr;
    return std::make_unique<StubbornKey>(UniqueHKey(same));
  }
};

class OtherTracesTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    EmptyCache();
    typedExisted = Reg().keyExists(RegRoot::CurrentUser, kTypedUrlsKey);
    if (auto key = Reg().openKey(RegRoot::CurrentUser, kTypedUrlsKey))
      for (const auto& name : key->valueNames()) typedBefore.emplace_back(name, key->readText(name).value_or(L""));
  }
  void TearDown() override {
    EmptyCache();
    (void)Reg().deleteKey(RegRoot::CurrentUser, kTypedUrlsKey);  // the typed addresses as they were
    if (auto key = typedExisted ? Reg().createKey(RegRoot::CurrentUser, kTypedUrlsKey) : nullptr)
      for (const auto& [name, text] : typedBefore) (void)key->writeText(name, text);
    FormTest::TearDown();
  }
  void plantTyped(int count) {
    auto key = Reg().createKey(RegRoot::CurrentUser, kTypedUrlsKey);
    for (int i = 1; i <= count; ++i) ASSERT_TRUE(key && key->writeText(L"url" + std::to_wstring(i), L"www.t.invalid"));
  }
  OtherTracesPage& page() { return form->page<OtherTracesPage>(); }
  Texts results() {
    Texts out;
    for (int i = 0; i < page().qtrc_showlist.count(); ++i) out.push_back(page().qtrc_showlist.text(i, 2));
    return out;
  }
  void tickOnly(std::initializer_list<int> rows) {
    for (int i = 0; i < page().qtrc_showlist.count(); ++i)
      page().qtrc_showlist.setChecked(i, std::find(rows.begin(), rows.end(), i) != rows.end());
  }

  bool typedExisted = false;
  std::vector<std::pair<std::wstring, std::wstring>> typedBefore;
  FakeEventLogs logs;
  Substitute<EventLogs> logsInPlace{&Platform::eventLogs, logs};
  RecordingCache cache;
  Substitute<UrlCache> cacheInPlace{&Platform::urlCache, cache};
};

TEST_F(OtherTracesTest, AScanReportsEveryItemAndACleanAfterTheQuestionEmptiesTheTickedOnesOnly) {
  const std::wstring content = Plant(NORMAL_CACHE_ENTRY, "12345"), contentFile = Entry(content).value_or(L"");
  ASSERT_FALSE(contentFile.empty());
  Plant(STICKY_CACHE_ENTRY, "1234567");
  Plant(NORMAL_CACHE_ENTRY, "its file is gone", true);
  const std::wstring visited = Plant(URLHISTORY_CACHE_ENTRY);
  Plant(URLHISTORY_CACHE_ENTRY);
  const std::wstring cookie = Plant(COOKIE_CACHE_ENTRY, "cookie=1234");
  Plant(COOKIE_CACHE_ENTRY, "gone=1", true);
  plantTyped(2);
  logs.logs = {{L"Application", {3, true}}, {L"Security", {std::nullopt, true}}};  // the system log cannot be opened
  tickOnly({});
  page().qtrc_sm.click();
  EXPECT_EQ(results(), (Texts{L"共 3 项,占用 12.00 B 硬盘空间", L"共 2 项", L"共 2 项", L"共 2 项,占用 11.00 B 硬盘空间",
                              L"共 3 项", L"扫描失败", L"扫描失败"}));
  EXPECT_TRUE(cache.calls.empty() && page().qtrc_delsel.enabled());

  ScriptedMsgBox box;
  page().qtrc_delsel.click();
  EXPECT_TRUE(box.shown().empty());  // nothing ticked: no question, nothing done
  tickOnly({0, 1, 2, 4, 5, 6});
  page().qtrc_delsel.click();  // declined
  ASSERT_EQ(box.shown().size(), 1u);
  EXPECT_EQ(box.shown()[0].heading + box.shown()[0].text, L"其它清理您“确定”清理当前选中的信息吗？");
  EXPECT_TRUE(Entry(content));

  logs.logs = {{L"Security", {9, false}}, {L"System", {6, true}}};  // the application log cannot be opened now
  box.answer(IDOK);
  page().qtrc_delsel.click();
  // Logs that fail are never shown clean, and do not keep the next one from its clear.
  EXPECT_EQ(results(), (Texts{L"清理完成", L"清理完成", L"清理完成", L"", L"清理失败", L"清理失败", L"清理完成"}));
  EXPECT_EQ(logs.cleared, Texts{L"System"});
  EXPECT_TRUE(!Entry(content) && !Entry(visited) && !PathExists(contentFile) && Entry(cookie));
  // The history object clears first; what it leaves is deleted entry by entry.
  const auto clear = std::find(cache.calls.begin(), cache.calls.end(), L"<clear history>");
  ASSERT_NE(clear, cache.calls.end());
  EXPECT_TRUE(std::none_of(cache.calls.begin(), clear, [](const auto& c) { return c.starts_with(L"Visited:"); }));
  auto typed = Reg().openKey(RegRoot::CurrentUser, kTypedUrlsKey);  // emptied, kept
  EXPECT_TRUE(typed && typed->valueNames().empty() && page().qtrc_sm.enabled());
}

TEST_F(OtherTracesTest, AStopEmptiesTheInterruptedCellOnlyAndLeavesTheRestUndone) {
  Plant(NORMAL_CACHE_ENTRY, "abc");
  const std::wstring visited[] = {Plant(URLHISTORY_CACHE_ENTRY), Plant(URLHISTORY_CACHE_ENTRY)};
  const std::wstring cookie = Plant(COOKIE_CACHE_ENTRY, "k=v");
  logs.logs = {{L"Application", {2, true}}};
  cache.onClearHistory = [&] { page().qtrc_delsel.click(); };  // the user presses stop as the history starts
  tickOnly({0, 1, 3, 4});
  ScriptedMsgBox box;
  box.answer(IDOK);
  page().qtrc_delsel.click();
  EXPECT_EQ(results(), (Texts{L"清理完成", L"", L"", L"", L"", L"", L""}));
  EXPECT_NE(Entry(visited[0]).has_value(), Entry(visited[1]).has_value());  // the entry after the stop stays
  EXPECT_TRUE(Entry(cookie) && logs.cleared.empty());
  EXPECT_TRUE(page().qtrc_runstate == 0 && page().qtrc_delsel.caption() == L"选定清理");
}

TEST_F(OtherTracesTest, TypedAddressesThatStayAreNotCleanedAndAMissingKeyIsNotMade) {
  plantTyped(2);
  {
    StubbornRegistry registry;
    Substitute<Registry> inPlace(&Platform::registry, registry);
    const TraceResult r = TypedAddressTrace(TraceRun::Clean);
    EXPECT_EQ(std::tie(r.status, r.count), std::make_tuple(TraceStatus::CleanFailed, std::size_t{2}));
  }
  ASSERT_TRUE(Reg().deleteKey(RegRoot::CurrentUser, kTypedUrlsKey));
  EXPECT_EQ(TypedAddressTrace(TraceRun::Scan).status, TraceStatus::Nothing);
  EXPECT_EQ(TypedAddressTrace(TraceRun::Clean).status, TraceStatus::Cleaned);
  EXPECT_FALSE(Reg().keyExists(RegRoot::CurrentUser, kTypedUrlsKey));
}

}  // namespace
}  // namespace wv::test
