// The other traces: the prefix's own URL cache and typed-address key, and a
// substitute for the event logs (Wine's are stubs).
#include <algorithm>

#include "engines/cleaning/cleaning_fixtures.h"
#include "engines/cleaning/trace_fixtures.h"

namespace wv::test {
namespace {

using Status = TraceStatus;

// Status, count and bytes of each item, in item order.
std::vector<std::tuple<Status, std::uint64_t, std::uint64_t>> Outcome(const TraceResults& results) {
  std::vector<std::tuple<Status, std::uint64_t, std::uint64_t>> out;
  for (const TraceResult& r : results) out.emplace_back(r.status, r.count, r.bytes);
  return out;
}

class OtherTraces : public ::testing::Test {
 protected:
  TraceWorld world;
  FakeRun run;
  std::array<bool, kTraceItemCount> none{};
};

// A scan counts every item, ticked or not, and deletes nothing. Entries whose
// files are gone count with no bytes; a log that cannot be opened or counted is
// never called clean.
TEST_F(OtherTraces, AScanCountsEveryItemAndChangesNothing) {
  Plant(NORMAL_CACHE_ENTRY, "12345");
  Plant(STICKY_CACHE_ENTRY, "1234567");
  Plant(NORMAL_CACHE_ENTRY, "its file is gone", true);
  Plant(URLHISTORY_CACHE_ENTRY);
  Plant(URLHISTORY_CACHE_ENTRY);
  Plant(COOKIE_CACHE_ENTRY, "gone=1", true);
  world.plantTyped(2);
  world.logs.logs = {{L"Application", {3, true}}, {L"Security", {std::nullopt, true}}};  // no system log
  std::vector<std::pair<TraceItem, Status>> heard;
  const TraceResults results =
      RunTraces(TraceRun::Scan, none, run, [&](TraceItem item, const TraceResult& r) { heard.emplace_back(item, r.status); });
  EXPECT_EQ(Outcome(results), (std::vector<std::tuple<Status, std::uint64_t, std::uint64_t>>{
                                  {Status::Found, 3, 12}, {Status::Found, 2, 0}, {Status::Found, 2, 0},
                                  {Status::Found, 1, 0}, {Status::Found, 3, 0}, {Status::ScanFailed, 0, 0},
                                  {Status::ScanFailed, 0, 0}}));
  // The URL-cache items say first that they are working, so the page can show it at once.
  ASSERT_EQ(heard.size(), kTraceItemCount + 3);
  EXPECT_EQ(heard[0], std::pair(TraceItem::TemporaryFiles, Status::Working));
  EXPECT_EQ(heard[1], std::pair(TraceItem::TemporaryFiles, Status::Found));
  EXPECT_TRUE(world.cache.calls.empty() && world.logs.cleared.empty());
  world.logs.logs = {{L"Application", {0, true}}};
  EmptyCache();
  ASSERT_TRUE(Reg().deleteKey(RegRoot::CurrentUser, kTypedUrlsKey));
  EXPECT_EQ(Outcome(RunTraces(TraceRun::Scan, none, run))[0], std::make_tuple(Status::Nothing, 0ULL, 0ULL));
  EXPECT_EQ(TypedAddressTrace(TraceRun::Scan).status, Status::Nothing);
  EXPECT_EQ(EventLogTrace(L"Application", TraceRun::Scan).status, Status::Nothing);
}

// A clean takes the ticked items only; the history object clears before the
// history's entries are deleted one by one; a log that fails is not called
// cleaned and does not keep the next one from its clear.
TEST_F(OtherTraces, ACleanEmptiesTheTickedItemsOnly) {
  const std::wstring content = Plant(NORMAL_CACHE_ENTRY, "12345"), contentFile = Entry(content).value_or(L"");
  ASSERT_FALSE(contentFile.empty());
  const std::wstring visited = Plant(URLHISTORY_CACHE_ENTRY), cookie = Plant(COOKIE_CACHE_ENTRY, "cookie=1234");
  world.plantTyped(2);
  world.logs.logs = {{L"Security", {9, false}}, {L"System", {6, true}}};  // the application log cannot be opened
  const TraceResults results = RunTraces(TraceRun::Clean, {true, true, true, false, true, true, true}, run);
  std::vector<Status> statuses;
  for (const TraceResult& r : results) statuses.push_back(r.status);
  EXPECT_EQ(statuses, (std::vector<Status>{Status::Cleaned, Status::Cleaned, Status::Cleaned, Status::Untouched,
                                           Status::CleanFailed, Status::CleanFailed, Status::Cleaned}));
  EXPECT_EQ(world.logs.cleared, Texts{L"System"});
  EXPECT_TRUE(!Entry(content) && !Entry(visited) && !PathExists(contentFile) && Entry(cookie));
  const auto clear = std::find(world.cache.calls.begin(), world.cache.calls.end(), L"<clear history>");
  ASSERT_NE(clear, world.cache.calls.end());
  EXPECT_TRUE(std::none_of(world.cache.calls.begin(), clear, [](const auto& c) { return c.starts_with(L"Visited:"); }));
  auto typed = Reg().openKey(RegRoot::CurrentUser, kTypedUrlsKey);  // emptied, kept
  EXPECT_TRUE(typed && typed->valueNames().empty());
}

// A stop heard inside a URL-cache item interrupts it after the entry at hand and
// leaves every later item untouched.
TEST_F(OtherTraces, AStopInterruptsTheItemAtHandAndLeavesTheRestUntouched) {
  Plant(NORMAL_CACHE_ENTRY, "abc");
  const std::wstring visited[] = {Plant(URLHISTORY_CACHE_ENTRY), Plant(URLHISTORY_CACHE_ENTRY)};
  const std::wstring cookie = Plant(COOKIE_CACHE_ENTRY, "k=v");
  world.logs.logs = {{L"Application", {2, true}}};
  world.cache.onClearHistory = [&] { run.stopWhen = [] { return true; }; };  // the stop arrives as the history starts
  const TraceResults results = RunTraces(TraceRun::Clean, {true, true, false, true, true, false, false}, run);
  std::vector<Status> statuses;
  for (const TraceResult& r : results) statuses.push_back(r.status);
  EXPECT_EQ(statuses, (std::vector<Status>{Status::Cleaned, Status::Interrupted, Status::Untouched, Status::Untouched,
                                           Status::Untouched, Status::Untouched, Status::Untouched}));
  EXPECT_NE(Entry(visited[0]).has_value(), Entry(visited[1]).has_value());  // the entry after the stop stays
  EXPECT_TRUE(Entry(cookie) && world.logs.cleared.empty());
}

// Typed addresses that stay are not called cleaned; a missing key is clean and not made.
TEST_F(OtherTraces, TypedAddressesThatStayAreNotCleanedAndAMissingKeyIsNotMade) {
  world.plantTyped(2);
  {
    StubbornRegistry registry;
    Substitute<Registry> inPlace(&Platform::registry, registry);
    const TraceResult r = TypedAddressTrace(TraceRun::Clean);
    EXPECT_EQ(std::tie(r.status, r.count), std::make_tuple(Status::CleanFailed, std::uint64_t{2}));
  }
  ASSERT_TRUE(Reg().deleteKey(RegRoot::CurrentUser, kTypedUrlsKey));
  EXPECT_EQ(TypedAddressTrace(TraceRun::Clean).status, Status::Cleaned);
  EXPECT_FALSE(Reg().keyExists(RegRoot::CurrentUser, kTypedUrlsKey));
}

}  // namespace
}  // namespace wv::test
