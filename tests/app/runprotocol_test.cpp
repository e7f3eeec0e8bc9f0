// The run protocol on the real window: a stand-in engine loop started from a real
// start control with the page's real RunControl. Stop presses, the idle-caption
// guard, painting during a run, the gauge rule, closing mid-run, and result lists
// that take a flood of rows.

#include <cstdio>

#include "appfixture.h"
#include "cleaning/wjqlpage.h"
#include "cleaning/wjrcpage.h"
#include "ui/messages.h"

namespace wv::test {
namespace {

double NowMs() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

void Work(double milliseconds) {
  const double end = NowMs() + milliseconds;
  while (NowMs() < end) {
  }
}

// A scan of `total` items on the daily-file page, each taking `itemMs`.
struct FakeScan {
  explicit FakeScan(WjrcPage& p) : page(p) {}
  WjrcPage& page;
  int total = 2000;
  double itemMs = 0.2;
  bool counted = false;
  std::function<void(int item)> atItem;

  int starts = 0;
  int items = 0;
  int stopHandledAt = -1;  // items done when the stop press ran
  double endedAtMs = 0;

  void install() {
    page.wjrc_sm.onClick = [this] { press(); };
  }
  void press() {
    RunControl& run = page.wjrc_run;
    if (!run.canStart()) {
      run.requestStop();
      stopHandledAt = items;
      return;
    }
    ++starts;
    run.start(1, {&page.wjrc_delsel, &page.wjrc_delall});
    if (counted) run.progressStart(static_cast<std::uint32_t>(total));
    for (int i = 0; i < total; ++i) {
      if (!run.proceed()) break;
      ++items;
      if (atItem) atItem(i);
      Work(itemMs);
      if (counted) run.progressStep();
    }
    endedAtMs = NowMs();
    if (counted) run.finishCounted(L"扫描完成", L"扫描被停止");
    else run.finish(L"扫描到 " + std::to_wstring(items) + L" 项");
  }
};

using RunProtocolTest = FormTest;

TEST_F(RunProtocolTest, ASecondPressEndsTheRunBeforeItsNextItem) {
  WjrcPage& page = *form->wjrctab;
  FakeScan scan(page);
  double postedAtMs = 0;
  bool checkedRunning = false;
  scan.atItem = [&](int i) {
    if (i == 5) {
      checkedRunning = true;
      EXPECT_EQ(page.wjrc_sm.caption(), L"停止");
      EXPECT_EQ(page.wjrc_runstate, 1);
      EXPECT_FALSE(form->ToolsEnabled());
      EXPECT_FALSE(page.wjrc_delsel.enabled());
      EXPECT_FALSE(page.wjrc_delall.enabled());
      EXPECT_TRUE(page.wjrc_sm.enabled());
    }
    if (i == 200) {
      postedAtMs = NowMs();
      PostMessageW(page.wjrc_sm.handle(), BM_CLICK, 0, 0);  // the user's second press
    }
  };
  scan.install();
  page.wjrc_sm.click();

  EXPECT_TRUE(checkedRunning);
  EXPECT_EQ(scan.starts, 1);
  ASSERT_GE(scan.stopHandledAt, 201);
  EXPECT_EQ(scan.items, scan.stopHandledAt) << "an item ran after the stop press";
  EXPECT_LT(scan.items, scan.total);
  const double latency = scan.endedAtMs - postedAtMs;
  std::printf("stop latency %.2f ms (drain interval %.1f ms)\n", latency, DrainInterval());
  EXPECT_LT(latency, 50.0);

  EXPECT_EQ(page.wjrc_sm.caption(), L"扫描");
  EXPECT_EQ(page.wjrc_runstate, 0);
  EXPECT_TRUE(form->ToolsEnabled());
  EXPECT_FALSE(form->zdk_runprog.visible());
  EXPECT_EQ(form->zdk_runinfo.text(), L"扫描到 " + std::to_wstring(scan.items) + L" 项");
}

TEST_F(RunProtocolTest, AnIdleCaptionWithTheRunStateStillSetStartsNothing) {
  WjrcPage& page = *form->wjrctab;
  FakeScan scan(page);
  scan.install();
  page.wjrc_runstate = 1;  // a stop was requested, the engine has not reached its next item
  page.wjrc_sm.click();
  EXPECT_EQ(scan.starts, 0);
  EXPECT_EQ(page.wjrc_sm.caption(), L"扫描");
  EXPECT_EQ(page.wjrc_runstate, 1);
  EXPECT_TRUE(form->ToolsEnabled());
  page.wjrc_runstate = 0;
  scan.total = 3;
  page.wjrc_sm.click();
  EXPECT_EQ(scan.starts, 1);
  EXPECT_EQ(scan.items, 3);
}

TEST_F(RunProtocolTest, TheWindowKeepsPaintingDuringARun) {
  WjrcPage& page = *form->wjrctab;
  FakeScan scan(page);
  scan.total = 1000;
  double invalidatedAt = 0, paintedAt = 0;
  scan.atItem = [&](int i) {
    HWND status = form->zdk_runinfo.handle();
    if (i == 50) {
      SetRunInfo(L"已扫描到 50 项");
      InvalidateRect(status, nullptr, FALSE);
      invalidatedAt = NowMs();
    } else if (i > 50 && paintedAt == 0 && !GetUpdateRect(status, nullptr, FALSE)) {
      paintedAt = NowMs();
    }
  };
  scan.install();
  page.wjrc_sm.click();
  ASSERT_GT(paintedAt, 0.0) << "the status line was never repainted during the run";
  EXPECT_LT(paintedAt - invalidatedAt, 50.0);
}

TEST_F(RunProtocolTest, CountedRunsEndWithTheFinishedOrStoppedText) {
  WjrcPage& page = *form->wjrctab;
  FakeScan scan(page);
  scan.counted = true;
  scan.total = 40;
  bool gaugeShown = false;
  scan.atItem = [&](int i) {
    if (i == 10) gaugeShown = form->zdk_runprog.visible() && form->zdk_runprog.maximum() == 40u;
  };
  scan.install();
  page.wjrc_sm.click();
  EXPECT_TRUE(gaugeShown);
  EXPECT_EQ(form->zdk_runinfo.text(), L"扫描完成");
  EXPECT_FALSE(form->zdk_runprog.visible());
  EXPECT_EQ(form->zdk_runprog.position(), 0u);

  scan.total = 400;
  scan.items = 0;
  scan.atItem = [&](int i) {
    if (i == 20) page.wjrc_run.requestStop();
  };
  page.wjrc_sm.click();
  EXPECT_EQ(scan.items, 21);
  EXPECT_EQ(form->zdk_runinfo.text(), L"扫描被停止");
  EXPECT_FALSE(form->zdk_runprog.visible());
}

TEST_F(RunProtocolTest, ClosingDuringARunStopsItSavesAndDestroysTheWindow) {
  WjrcPage& page = *form->wjrctab;
  FakeScan scan(page);
  HWND hwnd = form->handle();
  int closedAt = -1;
  scan.atItem = [&](int i) {
    if (i == 100) PostMessageW(hwnd, WM_CLOSE, 0, 0);
    if (closedAt < 0 && !IsWindow(hwnd)) closedAt = i;
  };
  scan.install();
  page.wjrc_sm.click();

  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(saves, 1);
  ASSERT_EQ(captionsAtSave.size(), 1u);
  EXPECT_EQ(captionsAtSave[0], L"扫描") << "the stop was not requested before saving";
  EXPECT_FALSE(visibleAtSave);
  EXPECT_LT(scan.items, scan.total);
  EXPECT_EQ(scan.items, scan.stopHandledAt);
  EXPECT_EQ(page.wjrc_runstate, 0);
}

// Rows that an engine appends reach the control in coalesced steps, not one by one.
TEST_F(RunProtocolTest, ResultListsCoalesceAppendedRows) {
  WjqlPage& page = *form->wjqltab;
  for (int i = 0; i < 1000; ++i) {
    ListRow row;
    row.caption = L"C:\\junk\\" + std::to_wstring(i) + L".tmp";
    page.wjql_results.append(std::move(row));
  }
  EXPECT_EQ(page.wjql_showlist.count(), 0);
  EXPECT_TRUE(page.wjql_showlist.pending());
  DrainMessages();
  EXPECT_EQ(page.wjql_showlist.count(), 1000);
  EXPECT_FALSE(page.wjql_showlist.pending());
  // Removing and clearing reach the control at once.
  page.wjql_results.erase(0);
  EXPECT_EQ(page.wjql_showlist.count(), 999);
  page.wjql_results.clear();
  EXPECT_EQ(page.wjql_showlist.count(), 0);
}

TEST_F(RunProtocolTest, AHundredThousandRowsArriveWithoutSlowingTheWindow) {
  form->Panel2.zdk_wjql.click();
  WjqlPage& page = *form->wjqltab;
  RunControl& run = page.wjql_run;
  constexpr int kRows = 100000;
  const double start = NowMs();
  run.start(1);
  for (int i = 0; i < kRows; ++i) {
    if (!run.proceed()) break;
    ListRow row;
    row.caption = L"C:\\Windows\\Temp\\~DF" + std::to_wstring(i) + L".tmp";
    row.sub.push_back(L"1.00 KB");
    page.wjql_results.append(std::move(row));
    run.rowAdded();
  }
  run.finish(L"扫描完成");
  const double elapsed = NowMs() - start;
  std::printf("100000 rows appended and shown in %.0f ms\n", elapsed);
  EXPECT_EQ(page.wjql_showlist.count(), kRows);
  HWND list = page.wjql_showlist.handle();
  const int top = ListView_GetTopIndex(list);
  const int perPage = ListView_GetCountPerPage(list);
  EXPECT_GT(perPage, 0);
  EXPECT_GE(top + perPage, kRows) << "the last row is not in view (top " << top << ")";
  EXPECT_LT(elapsed, 5000.0);
}

}  // namespace
}  // namespace wv::test
