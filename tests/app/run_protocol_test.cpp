// The run protocol on the real window: a stand-in engine loop started from the
// daily-file page's start control through its real RunControl.

#include <stdexcept>
#include <tuple>

#include "app/run_protocol.h"
#include "support/app_fixture.h"
#include "pages/cleaning/junk_files_page.h"
#include "pages/cleaning/daily_files_page.h"
#include "pages/tools/shredder_page.h"
#include "pages/tools/music_page.h"
#include "ui/notify.h"
#include "platform/text.h"
#include "support/test_support.h"
#include "ui/messages.h"

namespace wv::test {
namespace {

// A scan of `total` items; every item drains the queue, so a posted press lands before the next one.
struct FakeScan {
  explicit FakeScan(DailyFilesControls& p) : page(p), interval(DrainInterval()) {
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
    run.start(1, {&page.deleteSelectedButton, &page.deleteAllButton});
    run.progressStart(static_cast<std::uint32_t>(total));
    for (int i = 0; i < total && run.proceed(); ++i) {
      ++items;
      if (atItem) atItem(i);
      run.progressStep();
    }
    run.finishCounted(L"扫描完成", L"扫描被停止");
  }

  DailyFilesControls& page;
  double interval;
  int total = 2000;
  std::function<void(int item)> atItem;
  int starts = 0, items = 0, stopHandledAt = -1;
};

using RunProtocolTest = FormTest;

TEST_F(RunProtocolTest, ASecondPressEndsTheRunBeforeItsNextItemAndAnotherStartsNothingUntilTheRunEnds) {
  DailyFilesControls& page = Controls(form->page<DailyFilesPage>());
  FakeScan scan(page);
  scan.atItem = [&](int i) {
    if (i == 5) {
      EXPECT_TRUE(page.scanButton.caption() == L"停止" && page.runState == 1 && page.scanButton.enabled());
      EXPECT_FALSE(form->ToolsEnabled() || page.deleteSelectedButton.enabled() || page.deleteAllButton.enabled());
      EXPECT_TRUE(form->progressGauge.visible() && form->progressGauge.maximum() == static_cast<std::uint32_t>(scan.total));
    }
    if (i == 100) page.scanButton.setCaption(L"扫描");  // a caption alone stops nothing
    if (i == 200) PostMessageW(page.scanButton.handle(), BM_CLICK, 0, 0);  // the user's second press
  };
  page.scanButton.click();
  EXPECT_TRUE(scan.starts == 1 && scan.stopHandledAt == 201);
  EXPECT_EQ(scan.items, 201) << "an item ran after the stop press";
  EXPECT_TRUE(page.scanButton.caption() == L"扫描" && page.runState == 0 && form->ToolsEnabled());
  EXPECT_FALSE(form->progressGauge.visible());
  EXPECT_EQ(form->statusLine.text(), L"扫描被停止");
  // While the run state is still set (the engine has not yet reached its next
  // item after a stop), a press on the idle caption starts nothing.
  page.runState = 1;
  page.scanButton.click();
  EXPECT_TRUE(scan.starts == 1 && page.scanButton.caption() == L"扫描");
  page.runState = 0;
  scan.total = 40;
  page.scanButton.click();
  EXPECT_TRUE(scan.starts == 2 && form->statusLine.text() == L"扫描完成") << "the new run inherited the old stop request";
}

TEST_F(RunProtocolTest, ClosingDuringARunStopsItThenSavesAndDestroysTheWindow) {
  DailyFilesControls& page = Controls(form->page<DailyFilesPage>());
  FakeScan scan(page);
  HWND hwnd = form->handle();
  scan.atItem = [&](int i) {
    if (i == 100) PostMessageW(hwnd, WM_CLOSE, 0, 0);
  };
  page.scanButton.click();
  EXPECT_TRUE(!IsWindow(hwnd) && saves == 1 && !visibleAtSave);
  EXPECT_EQ(captionAtSave, L"扫描") << "the stop was not requested before saving";
  EXPECT_TRUE(scan.items == 101 && page.runState == 0);
}

TEST_F(RunProtocolTest, StoppingEveryPageStopsOnlyWhatRunsAndStartsNothing) {
  JunkFilesControls& junk = Controls(form->page<JunkFilesPage>());
  ShredderPage& shred = form->page<ShredderPage>();
  MusicPage& music = form->page<MusicPage>();
  FileToolControls &shredTool = SharedControls<FileToolControls>(shred), &musicTool = SharedControls<FileToolControls>(music);
  const std::tuple<RunControl*, Button*, const wchar_t*> running[] = {
      {&shredTool.importRun, &shredTool.chooseFilesButton, L"文件选择"},
      {&musicTool.importRun, &musicTool.chooseFilesButton, L"音乐选择"}};
  for (const auto& [run, button, idle] : running) run->markStarted(1);
  for (const std::unique_ptr<Page>& page : form->pages()) page->stopRuns();
  for (const auto& [run, button, idle] : running) {
    EXPECT_TRUE(run->stopRequested());
    EXPECT_EQ(button->caption(), idle);
    run->finish(L"");
  }
  EXPECT_TRUE(junk.runState == 0 && junk.scanButton.caption() == L"扫描") << "an idle run was started";
  EXPECT_FALSE(junk.scanRun.stopRequested());
  EXPECT_TRUE(form->ToolsEnabled());
}

TEST_F(RunProtocolTest, AHundredThousandRowsArriveWithTheLastInView) {
  form->sideBar.button(Module::JunkFiles).click();
  JunkFilesControls& page = Controls(form->page<JunkFilesPage>());
  constexpr int kRows = 100000;
  page.scanRun.start(1);
  for (int i = 0; i < kRows && page.scanRun.proceed(); ++i) {
    page.resultModel.append(ListRow{L"C:\\Windows\\Temp\\~DF" + std::to_wstring(i) + L".tmp", {L"1.00 KB"}, 6, 0, false, 1024});
    page.scanRun.rowAdded();
  }
  page.scanRun.finish(L"扫描完成");
  ASSERT_EQ(page.resultList.count(), kRows);
  HWND list = page.resultList.handle();
  EXPECT_GE(ListView_GetTopIndex(list) + ListView_GetCountPerPage(list), kRows) << "the last row is not in view";
}

// A fault whose own clean-up fails too: the status line refuses the fault text, so
// the end step throws while the first fault unwinds. The module still ends idle,
// and both faults are logged; a log that cannot be written is told on the status line.
TEST_F(RunProtocolTest, AFaultedRunEndsIdleEvenWhenItsEndStepFailsAndEveryFaultIsTold) {
  DailyFilesControls& page = Controls(form->page<DailyFilesPage>());
  const std::wstring log = form->programFolder + std::wstring(kFaultLogName);
  const bool existed = PathExists(log);
  const std::string before = existed ? ReadBytes(log) : std::string();
  const auto press = [&] {
    HWND h = page.scanButton.handle();
    SendMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), BN_CLICKED), reinterpret_cast<LPARAM>(h));
  };
  page.scanButton.onClick = [&] {
    RunGuard run(page.scanRun, L"faulting_scan", 1, {&page.deleteSelectedButton},
                 [&] { throw std::runtime_error("buttons refused"); });
    throw std::runtime_error("scan refused");
  };
  std::vector<std::wstring> shown;
  RunInfoSink previous = SetRunInfoSink([&](std::wstring_view text) {
    if (text == kFaultStatusText) throw std::runtime_error("status refused");
    shown.emplace_back(text);
  });
  press();
  EXPECT_TRUE(page.runState == 0 && page.scanButton.caption() == L"扫描");
  EXPECT_TRUE(page.scanRun.canStart() && form->ToolsEnabled());
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
