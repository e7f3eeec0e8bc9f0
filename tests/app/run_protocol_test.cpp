// The run protocol on the real window, over a page of the test's own: a stand-in
// engine loop started from the page's start button through its real RunControl.

#include <stdexcept>

#include "app/page.h"
#include "app/run_protocol.h"
#include "platform/text.h"
#include "support/app_fixture.h"
#include "support/test_support.h"
#include "ui/messages.h"
#include "ui/notify.h"

namespace wv::test {
namespace {

// Two operations, each with its start button and run-state word, an action button
// that a run switches off, and a result list that keeps its last row in view.
class ProbePage : public Page {
 public:
  explicit ProbePage(MainWindow& form) : Page(form, Module::DailyFiles, L"运行规程的试验页") {}
  Button scanButton, cleanButton, deleteButton;
  std::int32_t scanState = 0, cleanState = 0;
  RunControl scanRun{form(), scanButton, L"扫描", scanState};
  RunControl cleanRun{form(), cleanButton, L"选定清理", cleanState};
  RowModel rows;
  OwnerDataListView results;

  void stopRuns() override { StopRunning({&scanRun, &cleanRun}); }

 protected:
  void build() override {
    scanButton.create(handle(), L"扫描");
    cleanButton.create(handle(), L"选定清理");
    deleteButton.create(handle(), L"选定删除");
    results.create(handle(), ListStyle{}, {{L"文件", 300}}, rows);
    scanRun.setFollow(&results);
  }
  void layout(int width, int height) override {
    StackButtons({&scanButton, &cleanButton, &deleteButton}, kMargin, kTop);
    const int left = kMargin + kButtonW + kGap;
    results.setBounds(left, kTop, width - left - kMargin, height - kTop - kMargin);
  }
};

std::unique_ptr<Page> MakeProbe(MainWindow& form) { return std::make_unique<ProbePage>(form); }
const PageEntry kProbePages[] = {{Module::DailyFiles, SideGroup::Cleaning, SidePicture::DailyFiles, true, MakeProbe}};

// A scan of `total` items; every item drains the queue, so a posted press lands before the next one.
struct FakeScan {
  explicit FakeScan(ProbePage& p) : page(p), interval(DrainInterval()) {
    SetDrainInterval(0);
    page.scanButton.onClick = [this] { press(); };
  }
  ~FakeScan() { SetDrainInterval(interval); }
  void press() {
    RunControl& run = page.scanRun;
    if (!run.canStart()) {
      run.requestStop();
      stopHandledAt = items;
      return;
    }
    ++starts;
    run.start(1, {&page.deleteButton});
    run.progressStart(static_cast<std::uint32_t>(total));
    for (int i = 0; i < total && run.proceed(); ++i) {
      ++items;
      if (atItem) atItem(i);
      run.progressStep();
    }
    run.finishCounted(L"扫描完成", L"扫描被停止");
  }

  ProbePage& page;
  double interval;
  int total = 2000;
  std::function<void(int item)> atItem;
  int starts = 0, items = 0, stopHandledAt = -1;
};

class RunProtocolTest : public FormTest {
 protected:
  [[nodiscard]] PageTable pageTable() const override { return kProbePages; }
  ProbePage& probe() { return form->page<ProbePage>(); }
};

TEST_F(RunProtocolTest, ASecondPressEndsTheRunBeforeItsNextItemAndAnotherStartsNothingUntilTheRunEnds) {
  ProbePage& page = probe();
  FakeScan scan(page);
  scan.atItem = [&](int i) {
    if (i == 5) {
      EXPECT_TRUE(page.scanButton.caption() == L"停止" && page.scanState == 1 && page.scanButton.enabled());
      EXPECT_FALSE(form->sideBarEnabled() || page.deleteButton.enabled());
      EXPECT_TRUE(form->progressGauge.visible() && form->progressGauge.maximum() == static_cast<std::uint32_t>(scan.total));
    }
    if (i == 100) page.scanButton.setCaption(L"扫描");  // a caption alone stops nothing
    if (i == 200) PostMessageW(page.scanButton.handle(), BM_CLICK, 0, 0);  // the user's second press
  };
  page.scanButton.click();
  EXPECT_TRUE(scan.starts == 1 && scan.stopHandledAt == 201);
  EXPECT_EQ(scan.items, 201) << "an item ran after the stop press";
  EXPECT_TRUE(page.scanButton.caption() == L"扫描" && page.scanState == 0 && form->sideBarEnabled());
  EXPECT_FALSE(form->progressGauge.visible());
  EXPECT_EQ(form->statusLine.text(), L"扫描被停止");
  // While the run state is still set (the engine has not yet reached its next
  // item after a stop), a press on the idle caption starts nothing.
  page.scanState = 1;
  page.scanButton.click();
  EXPECT_TRUE(scan.starts == 1 && page.scanButton.caption() == L"扫描");
  page.scanState = 0;
  scan.total = 40;
  page.scanButton.click();
  EXPECT_TRUE(scan.starts == 2 && form->statusLine.text() == L"扫描完成") << "the new run inherited the old stop request";
}

TEST_F(RunProtocolTest, ClosingDuringARunStopsItThenSavesAndDestroysTheWindow) {
  ProbePage& page = probe();
  FakeScan scan(page);
  HWND hwnd = form->handle();
  std::wstring captionAtSave;
  atSave = [&] { captionAtSave = page.scanButton.caption(); };
  scan.atItem = [&](int i) {
    if (i == 100) PostMessageW(hwnd, WM_CLOSE, 0, 0);
  };
  page.scanButton.click();
  EXPECT_TRUE(!IsWindow(hwnd) && saves == 1 && !visibleAtSave);
  EXPECT_EQ(captionAtSave, L"扫描") << "the stop was not requested before saving";
  EXPECT_TRUE(scan.items == 101 && page.scanState == 0);
}

TEST_F(RunProtocolTest, StoppingEveryPageStopsOnlyWhatRunsAndStartsNothing) {
  ProbePage& page = probe();
  page.scanRun.markStarted(1);  // as a drop starts an import
  for (const std::unique_ptr<Page>& p : form->pages()) p->stopRuns();
  EXPECT_TRUE(page.scanRun.stopRequested() && page.scanButton.caption() == L"扫描");
  page.scanRun.finish(L"");
  EXPECT_TRUE(page.cleanState == 0 && page.cleanButton.caption() == L"选定清理") << "an idle run was started";
  EXPECT_FALSE(page.cleanRun.stopRequested());
  EXPECT_TRUE(page.scanState == 0 && form->sideBarEnabled());
}

TEST_F(RunProtocolTest, AHundredThousandRowsArriveWithTheLastInView) {
  ProbePage& page = probe();
  constexpr int kRows = 100000;
  page.scanRun.start(1);
  for (int i = 0; i < kRows && page.scanRun.proceed(); ++i) {
    page.rows.append(ListRow{L"C:\\Windows\\Temp\\~DF" + std::to_wstring(i) + L".tmp", {}, 6, 0, false, 1024});
    page.scanRun.rowAdded();
  }
  page.scanRun.finish(L"扫描完成");
  ASSERT_EQ(page.results.count(), kRows);
  HWND list = page.results.handle();
  EXPECT_GE(ListView_GetTopIndex(list) + ListView_GetCountPerPage(list), kRows) << "the last row is not in view";
}

// A fault whose own clean-up fails too: the status line refuses the fault text, so
// the end step throws while the first fault unwinds. The module still ends idle,
// and both faults are logged; a log that cannot be written is told on the status line.
TEST_F(RunProtocolTest, AFaultedRunEndsIdleEvenWhenItsEndStepFailsAndEveryFaultIsTold) {
  ProbePage& page = probe();
  const std::wstring log = form->programFolder + std::wstring(kFaultLogName);
  const bool existed = PathExists(log);
  const std::string before = existed ? ReadBytes(log) : std::string();
  const auto press = [&] {
    HWND h = page.scanButton.handle();
    SendMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), BN_CLICKED), reinterpret_cast<LPARAM>(h));
  };
  page.scanButton.onClick = [&] {
    RunGuard run(page.scanRun, L"faulting_scan", 1, {&page.deleteButton},
                 [&] { throw std::runtime_error("buttons refused"); });
    throw std::runtime_error("scan refused");
  };
  std::vector<std::wstring> shown;
  RunInfoSink previous = SetRunInfoSink([&](std::wstring_view text) {
    if (text == kFaultStatusText) throw std::runtime_error("status refused");
    shown.emplace_back(text);
  });
  press();
  EXPECT_TRUE(page.scanState == 0 && page.scanButton.caption() == L"扫描");
  EXPECT_TRUE(page.scanRun.canStart() && form->sideBarEnabled());
  const std::string bytes = ReadBytes(log);
  const std::wstring added = ToWide(bytes.substr(std::min(bytes.size(), before.size())));
  for (const wchar_t* line : {L"the status line, gauge or list could not be reset",
                              L"the page's buttons could not be restored", L"faulting_scan  scan refused"})
    EXPECT_NE(added.find(line), std::wstring::npos) << added;
  if (existed) WriteBytes(log, before);
  else DeleteFileW(log.c_str());

  // Outside any run, with nowhere to write the log: the status line says so.
  SetRunInfoSink(std::move(previous));
  const std::wstring folder = form->programFolder;
  form->programFolder = folder + L"missing\\";
  page.scanButton.onClick = [] { throw std::runtime_error("click refused"); };
  press();
  form->programFolder = folder;
  EXPECT_EQ(form->statusLine.text(), kFaultUnloggedStatusText);
  EXPECT_FALSE(PathExists(folder + L"missing"));
}

}  // namespace
}  // namespace wv::test
