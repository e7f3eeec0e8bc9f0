#include <gtest/gtest.h>

#include <algorithm>

#include "cleaning/qtrcline.h"
#include "platform/win32/win32_platform.h"
#include "support/testsupport.h"
#include "tracesoft_support.h"

namespace wv {
namespace {

using test::CacheHas;
using test::CacheLocalFile;
using test::CountingRun;
using test::EmptyCacheContainer;
using test::FakeEventLogs;
using test::PlantCacheEntry;
using test::TestUrl;

constexpr std::array<bool, kTraceItemCount> kNothingTicked{};
constexpr std::array<bool, kTraceItemCount> kAllTicked{true, true, true, true, true, true, true};

std::array<bool, kTraceItemCount> Ticked(std::initializer_list<TraceItem> items) {
  std::array<bool, kTraceItemCount> t{};
  for (TraceItem i : items) t[static_cast<std::size_t>(i)] = true;
  return t;
}

const TraceResult& At(const TraceResults& r, TraceItem item) { return r[static_cast<std::size_t>(item)]; }

// The three containers start empty, and the event logs are a substitute that
// every test fills as it needs (by default none can be opened).
class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (std::wstring_view p : {L"", L"Visited:", L"Cookie:"}) EmptyCacheContainer(p);
  }
  void TearDown() override { SetUp(); }

  FakeEventLogs logs;
  Substitute<EventLogs> logsInPlace{&Platform::eventLogs, logs};
};

TEST_F(TraceTest, ScanCountsEachContainerWithTheSizesOfItsLocalFiles) {
  PlantCacheEntry(TestUrl(L"", L"a.txt"), NORMAL_CACHE_ENTRY, "12345");
  PlantCacheEntry(TestUrl(L"", L"b.txt"), NORMAL_CACHE_ENTRY, "1234567");
  const std::wstring gone = TestUrl(L"", L"c.txt");
  PlantCacheEntry(gone, STICKY_CACHE_ENTRY, "its file is removed");
  ASSERT_TRUE(DeleteFileW(CacheLocalFile(gone).c_str()));
  PlantCacheEntry(TestUrl(L"Visited: ", L"v1"), URLHISTORY_CACHE_ENTRY, std::nullopt);
  PlantCacheEntry(TestUrl(L"Visited: ", L"v2"), URLHISTORY_CACHE_ENTRY, std::nullopt);
  PlantCacheEntry(TestUrl(L"Cookie:", L""), COOKIE_CACHE_ENTRY, "cookie=1234");

  CountingRun run;
  std::vector<std::pair<TraceItem, TraceStatus>> heard;
  const TraceResults r = RunTraces(TraceRun::Scan, kNothingTicked, run,
                                   [&](TraceItem i, const TraceResult& x) { heard.emplace_back(i, x.status); });

  EXPECT_EQ(At(r, TraceItem::TemporaryFiles).status, TraceStatus::Found);
  EXPECT_EQ(At(r, TraceItem::TemporaryFiles).count, 3u);
  EXPECT_EQ(At(r, TraceItem::TemporaryFiles).bytes, 12u);
  EXPECT_EQ(At(r, TraceItem::History).status, TraceStatus::Found);
  EXPECT_EQ(At(r, TraceItem::History).count, 2u);
  EXPECT_EQ(At(r, TraceItem::History).bytes, 0u);
  EXPECT_EQ(At(r, TraceItem::Cookies).count, 1u);
  EXPECT_EQ(At(r, TraceItem::Cookies).bytes, 11u);

  // A scan reaches every item, ticked or not; the URL-cache items say first that they are working.
  std::vector<std::pair<TraceItem, TraceStatus>> firstHeard;
  for (const auto& h : heard)
    if (std::none_of(firstHeard.begin(), firstHeard.end(), [&](const auto& f) { return f.first == h.first; }))
      firstHeard.push_back(h);
  ASSERT_EQ(firstHeard.size(), kTraceItemCount);
  for (std::size_t i = 0; i < kTraceItemCount; ++i) {
    const auto item = static_cast<TraceItem>(i);
    EXPECT_EQ(firstHeard[i].first, item);
    const bool cache = item == TraceItem::TemporaryFiles || item == TraceItem::History || item == TraceItem::Cookies;
    EXPECT_EQ(firstHeard[i].second == TraceStatus::Working, cache) << i;
  }
}

TEST_F(TraceTest, CookiesWhoseFilesAreGoneCountWithoutSize) {
  const std::wstring a = TestUrl(L"Cookie:", L""), b = TestUrl(L"Cookie:", L"");
  PlantCacheEntry(a, COOKIE_CACHE_ENTRY, "a=1");
  PlantCacheEntry(b, COOKIE_CACHE_ENTRY, "b=22");
  for (const std::wstring& url : {a, b}) ASSERT_TRUE(DeleteFileW(CacheLocalFile(url).c_str()));

  CountingRun run;
  const TraceResult r = UrlCacheTrace(L"Cookie:", TraceRun::Scan, run);
  EXPECT_EQ(r.status, TraceStatus::Found);
  EXPECT_EQ(r.count, 2u);
  EXPECT_EQ(r.bytes, 0u);

  EmptyCacheContainer(L"Cookie:");
  EXPECT_EQ(UrlCacheTrace(L"Cookie:", TraceRun::Scan, run).status, TraceStatus::Nothing);
}

TEST_F(TraceTest, CleanEmptiesTheTickedContainersOnly) {
  std::vector<std::wstring> content, visited, cookies;
  for (int i = 0; i < 4; ++i) {
    content.push_back(TestUrl(L"", std::to_wstring(i) + L".txt"));
    PlantCacheEntry(content.back(), i % 2 ? NORMAL_CACHE_ENTRY : STICKY_CACHE_ENTRY, "data");
    visited.push_back(TestUrl(L"Visited: ", L"page"));
    PlantCacheEntry(visited.back(), URLHISTORY_CACHE_ENTRY, std::nullopt);
    cookies.push_back(TestUrl(L"Cookie:", L""));
    PlantCacheEntry(cookies.back(), COOKIE_CACHE_ENTRY, "k=v");
  }
  const std::wstring contentFile = CacheLocalFile(content[1]);
  ASSERT_FALSE(contentFile.empty());

  CountingRun run;
  const TraceResults r = RunTraces(TraceRun::Clean, Ticked({TraceItem::TemporaryFiles, TraceItem::Cookies}), run);
  EXPECT_EQ(At(r, TraceItem::TemporaryFiles).status, TraceStatus::Cleaned);
  EXPECT_EQ(At(r, TraceItem::Cookies).status, TraceStatus::Cleaned);
  EXPECT_EQ(At(r, TraceItem::History).status, TraceStatus::Untouched);
  EXPECT_EQ(At(r, TraceItem::TypedAddresses).status, TraceStatus::Untouched);
  EXPECT_TRUE(logs.opened.empty());

  for (const std::wstring& url : content) EXPECT_FALSE(CacheHas(url)) << url;
  for (const std::wstring& url : cookies) EXPECT_FALSE(CacheHas(url)) << url;
  for (const std::wstring& url : visited) EXPECT_TRUE(CacheHas(url)) << url;
  EXPECT_FALSE(test::PathExists(contentFile));

  const TraceResults again = RunTraces(TraceRun::Scan, kNothingTicked, run);
  EXPECT_EQ(At(again, TraceItem::TemporaryFiles).status, TraceStatus::Nothing);
  EXPECT_EQ(At(again, TraceItem::Cookies).status, TraceStatus::Nothing);
  EXPECT_EQ(At(again, TraceItem::History).count, visited.size());
}

// Records the order in which the history is cleared and entries deleted.
class RecordingCache : public Win32UrlCache {
 public:
  std::vector<std::wstring> calls;
  bool deleteEntry(std::wstring_view url) override {
    calls.emplace_back(url);
    return Win32UrlCache::deleteEntry(url);
  }
  bool clearHistory() override {
    calls.emplace_back(L"<clear history>");
    return Win32UrlCache::clearHistory();
  }
};

TEST_F(TraceTest, HistoryCleanAsksTheHistoryObjectBeforeDeletingVisitedEntries) {
  const std::wstring a = TestUrl(L"Visited: ", L"one"), b = TestUrl(L"Visited: ", L"two");
  PlantCacheEntry(a, URLHISTORY_CACHE_ENTRY, std::nullopt);
  PlantCacheEntry(b, URLHISTORY_CACHE_ENTRY, std::nullopt);
  const std::wstring cookie = TestUrl(L"Cookie:", L"");
  PlantCacheEntry(cookie, COOKIE_CACHE_ENTRY, "c=1");

  RecordingCache cache;
  Substitute<UrlCache> inPlace(&Platform::urlCache, cache);
  CountingRun run;
  const TraceResults r = RunTraces(TraceRun::Clean, Ticked({TraceItem::History}), run);
  EXPECT_EQ(At(r, TraceItem::History).status, TraceStatus::Cleaned);
  ASSERT_FALSE(cache.calls.empty());
  EXPECT_EQ(cache.calls.front(), L"<clear history>");
  EXPECT_FALSE(CacheHas(a));
  EXPECT_FALSE(CacheHas(b));
  EXPECT_TRUE(CacheHas(cookie));

  // A scan never clears anything.
  cache.calls.clear();
  (void)RunTraces(TraceRun::Scan, kAllTicked, run);
  EXPECT_TRUE(cache.calls.empty());
}

TEST_F(TraceTest, StopDuringTheContentScanEmptiesThatCellAndLeavesLaterItemsAlone) {
  for (int i = 0; i < 3; ++i) PlantCacheEntry(TestUrl(L"", L"s.txt"), NORMAL_CACHE_ENTRY, "abc");
  logs.logs[L"Application"] = {7, true};

  CountingRun stopAtOnce(0);
  std::vector<std::pair<TraceItem, TraceStatus>> heard;
  const TraceResults r = RunTraces(TraceRun::Scan, kAllTicked, stopAtOnce,
                                   [&](TraceItem i, const TraceResult& x) { heard.emplace_back(i, x.status); });
  EXPECT_EQ(At(r, TraceItem::TemporaryFiles).status, TraceStatus::Interrupted);
  for (std::size_t i = 1; i < kTraceItemCount; ++i) EXPECT_EQ(r[i].status, TraceStatus::Untouched) << i;
  EXPECT_EQ(heard, (std::vector<std::pair<TraceItem, TraceStatus>>{
                       {TraceItem::TemporaryFiles, TraceStatus::Working},
                       {TraceItem::TemporaryFiles, TraceStatus::Interrupted}}));
  EXPECT_TRUE(logs.opened.empty());

  // Stopped part way through a clean, what was not reached stays in the cache.
  CountingRun stopAfterOne(1);
  EXPECT_EQ(UrlCacheTrace(L"", TraceRun::Clean, stopAfterOne).status, TraceStatus::Interrupted);
  CountingRun run;
  EXPECT_EQ(UrlCacheTrace(L"", TraceRun::Scan, run).count, 1u);
}

TEST_F(TraceTest, ACleanWithNothingTickedTouchesNothing) {
  const std::wstring url = TestUrl(L"", L"kept.txt");
  PlantCacheEntry(url, NORMAL_CACHE_ENTRY, "keep");
  logs.logs[L"System"] = {3, true};
  CountingRun run;
  const TraceResults r = RunTraces(TraceRun::Clean, kNothingTicked, run);
  for (const TraceResult& x : r) EXPECT_EQ(x.status, TraceStatus::Untouched);
  EXPECT_TRUE(CacheHas(url));
  EXPECT_TRUE(logs.opened.empty());
  EXPECT_EQ(run.asked(), 0);
}

TEST_F(TraceTest, EventLogsReportFailuresAsFailures) {
  struct Case {
    const wchar_t* what;
    std::optional<FakeEventLogs::Log> log;  // nullopt: cannot be opened
    TraceResult scan, clean;
    bool clearCalled;
  };
  const Case cases[] = {
      {L"records", FakeEventLogs::Log{4, true}, {TraceStatus::Found, 4, 0}, {TraceStatus::Cleaned, 0, 0}, true},
      {L"empty", FakeEventLogs::Log{0, true}, {TraceStatus::Nothing, 0, 0}, {TraceStatus::Cleaned, 0, 0}, false},
      {L"uncountable", FakeEventLogs::Log{std::nullopt, true}, {TraceStatus::ScanFailed, 0, 0},
       {TraceStatus::CleanFailed, 0, 0}, false},
      {L"refuses to clear", FakeEventLogs::Log{5, false}, {TraceStatus::Found, 5, 0},
       {TraceStatus::CleanFailed, 5, 0}, false},
      {L"cannot be opened", std::nullopt, {TraceStatus::ScanFailed, 0, 0}, {TraceStatus::CleanFailed, 0, 0}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    logs.logs.clear();
    logs.cleared.clear();
    if (c.log) logs.logs[L"Security"] = *c.log;
    const TraceResult scan = EventLogTrace(L"Security", TraceRun::Scan);
    EXPECT_EQ(std::tie(scan.status, scan.count), std::tie(c.scan.status, c.scan.count));
    const TraceResult clean = EventLogTrace(L"Security", TraceRun::Clean);
    EXPECT_EQ(clean.status, c.clean.status);
    EXPECT_EQ(!logs.cleared.empty(), c.clearCalled);
  }
}

TEST_F(TraceTest, ALogThatRefusesToClearDoesNotStopTheNextOne) {
  logs.logs[L"Application"] = {2, true};
  logs.logs[L"Security"] = {9, false};
  logs.logs[L"System"] = {6, true};
  CountingRun run;
  const TraceResults r = RunTraces(TraceRun::Clean, Ticked({TraceItem::SecurityLog, TraceItem::SystemLog}), run);
  EXPECT_EQ(At(r, TraceItem::ApplicationLog).status, TraceStatus::Untouched);
  EXPECT_EQ(At(r, TraceItem::SecurityLog).status, TraceStatus::CleanFailed);
  EXPECT_EQ(At(r, TraceItem::SystemLog).status, TraceStatus::Cleaned);
  EXPECT_EQ(logs.cleared, std::vector<std::wstring>{L"System"});
  EXPECT_EQ(logs.logs[L"Application"].records, 2u);
}

class TypedAddressTest : public ::testing::Test {
 protected:
  test::TypedUrlsGuard saved;
};

TEST_F(TypedAddressTest, CountedAndClearedWithTheKeyKept) {
  saved.plant(3);
  EXPECT_EQ(TypedAddressTrace(TraceRun::Scan).status, TraceStatus::Found);
  EXPECT_EQ(TypedAddressTrace(TraceRun::Scan).count, 3u);
  EXPECT_EQ(TypedAddressTrace(TraceRun::Clean).status, TraceStatus::Cleaned);
  auto key = Reg().openKey(RegRoot::CurrentUser, kTypedUrlsKey);
  ASSERT_TRUE(key);
  EXPECT_TRUE(key->valueNames().empty());
  EXPECT_EQ(TypedAddressTrace(TraceRun::Scan).status, TraceStatus::Nothing);
}

TEST_F(TypedAddressTest, AMissingKeyIsCleanAndStaysMissing) {
  (void)Reg().deleteKey(RegRoot::CurrentUser, kTypedUrlsKey);
  EXPECT_EQ(TypedAddressTrace(TraceRun::Scan).status, TraceStatus::Nothing);
  EXPECT_EQ(TypedAddressTrace(TraceRun::Clean).status, TraceStatus::Cleaned);
  EXPECT_FALSE(Reg().keyExists(RegRoot::CurrentUser, kTypedUrlsKey));
}

// A key whose values cannot be deleted (a policy, another program holding them).
class StubbornKey : public RegKey {
 public:
  explicit StubbornKey(std::unique_ptr<RegKey> inner) : inner_(std::move(inner)) {}
  std::vector<std::wstring> subkeyNames() override { return inner_->subkeyNames(); }
  std::vector<std::wstring> valueNames() override { return inner_->valueNames(); }
  bool valueExists(std::wstring_view n) override { return inner_->valueExists(n); }
  RegValueType valueType(std::wstring_view n) override { return inner_->valueType(n); }
  std::optional<std::wstring> readText(std::wstring_view n) override { return inner_->readText(n); }
  bool writeText(std::wstring_view n, std::wstring_view t) override { return inner_->writeText(n, t); }
  bool writeInteger(std::wstring_view n, std::uint32_t v) override { return inner_->writeInteger(n, v); }
  bool writeBinary(std::wstring_view n, const void* d, std::size_t s) override { return inner_->writeBinary(n, d, s); }
  bool deleteValue(std::wstring_view) override { return false; }
  bool info(RegKeyInfo& out) override { return inner_->info(out); }

 private:
  std::unique_ptr<RegKey> inner_;
};

class StubbornRegistry : public Win32Registry {
 public:
  std::unique_ptr<RegKey> openKey(RegRoot root, std::wstring_view path) override {
    auto key = Win32Registry::openKey(root, path);
    return key ? std::make_unique<StubbornKey>(std::move(key)) : nullptr;
  }
};

TEST_F(TypedAddressTest, ValuesThatStayAreNotReportedAsCleaned) {
  saved.plant(2);
  StubbornRegistry registry;
  Substitute<Registry> inPlace(&Platform::registry, registry);
  const TraceResult r = TypedAddressTrace(TraceRun::Clean);
  EXPECT_EQ(r.status, TraceStatus::CleanFailed);
  EXPECT_EQ(r.count, 2u);
}

}  // namespace
}  // namespace wv
