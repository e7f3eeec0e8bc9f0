// The cleaning pages' "导出报告" and the daily page's "定时清理", in the real main window.
#include <deque>
#include <map>

#include "support/app_fixture.h"
#include "support/csv_reader.h"
#include "engines/cleaning/cleaning_fixtures.h"
#include "engines/unattended/schedule.h"
#include "pages/cleaning/daily_files_page.h"
#include "pages/cleaning/junk_files_page.h"
#include "pages/cleaning/schedule_choice.h"

namespace wv::test {
namespace {

// The save dialog answers from `saves` (none left: Cancel) and records what it was asked.
class ExportShell : public TestShell {
 public:
  std::deque<std::wstring> saves;
  std::vector<SaveFileRequest> asked;
  std::wstring saveFile(const SaveFileRequest& request) override {
    asked.push_back(request);
    if (saves.empty()) return {};
    std::wstring path = std::move(saves.front());
    saves.pop_front();
    return path;
  }
};

// A scheduler that keeps every task exactly as it was given, as Windows does;
// or one that cannot be reached.
class KeepingScheduler : public TaskScheduler {
 public:
  std::map<std::wstring, std::wstring> tasks;
  SysResult reach;
  SysResult connect() override { return reach; }
  SysResult registerTask(std::wstring_view name, std::wstring_view xml) override {
    tasks[std::wstring(name)] = xml;
    return {};
  }
  SysResult taskXml(std::wstring_view name, std::wstring& xml) override {
    const auto it = tasks.find(std::wstring(name));
    if (it == tasks.end()) return SysResult(ERROR_FILE_NOT_FOUND);
    xml = it->second;
    return {};
  }
  SysResult deleteTask(std::wstring_view name) override {
    return tasks.erase(std::wstring(name)) ? SysResult() : SysResult(ERROR_FILE_NOT_FOUND);
  }
  std::wstring currentUser() override { return L"S-1-5-21-1-2-3-1000"; }

 private:
  Substitute<TaskScheduler> swap_{&Platform::tasks, *this};
};

class ReportAndScheduleTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    // Only the user's folders: the other items would clean the prefix's real folders.
    for (int i = 0; i < daily().itemList.count(); ++i) daily().itemList.setChecked(i, i == 4);
  }
  JunkFilesControls& junk() { return Controls(form->page<JunkFilesPage>()); }
  DailyFilesControls& daily() { return Controls(form->page<DailyFilesPage>()); }
  ScheduleChoice& schedule() { return daily().schedule; }
  void openSchedule() {
    form->sideBar.button(Module::DailyFiles).click();
    daily().scheduleTab.click();
  }
  ExportShell shell;
};


// "导出报告" writes the result list as it stands: every row "将删除" with the rule
// that chose it; it is off without rows, a cancelled dialog writes nothing, and
// after a removal only the rows left are reported.
TEST_F(ReportAndScheduleTest, ExportWritesTheResultListWithTheRuleOfEachRow) {
  Planted t(L"export");
  const std::vector<std::wstring> files = {t.file(L"a.tmp", 3), t.file(L"b.log", 5), t.file(L"sub\\c.tmp", 7)};
  EXPECT_FALSE(daily().exportButton.enabled());
  EXPECT_FALSE(junk().exportButton.enabled());

  daily().userFolderList.appendRow(UserCleanFolderRow({true, t.root(), true, true, L"*.tmp|*.log"}));
  daily().scanButton.click();
  ASSERT_TRUE(daily().exportButton.enabled());
  daily().exportButton.click();  // cancelled
  ASSERT_EQ(shell.asked.size(), 1u);
  EXPECT_EQ(shell.asked[0].title, L"导出报告");
  EXPECT_EQ(shell.asked[0].defaultExtension, L"csv");
  shell.saves = {t / L"daily.csv"};
  daily().exportButton.click();
  const std::optional<CsvRecords> dailyReport = ReadCsv(ReadBytes(t / L"daily.csv"));
  ASSERT_TRUE(dailyReport);
  EXPECT_EQ(CsvColumn(*dailyReport, 3), files);
  EXPECT_EQ(CsvColumn(*dailyReport, 2), (std::vector<std::wstring>{L"用户自定：" + t.root() + L" *.tmp",
                                                                 L"用户自定：" + t.root() + L" *.log",
                                                                 L"用户自定：" + t.root() + L" *.tmp"}));
  EXPECT_EQ(CsvColumn(*dailyReport, 4), (std::vector<std::wstring>{L"3", L"5", L"7"}));
  EXPECT_EQ(CsvColumn(*dailyReport, 5), std::vector<std::wstring>(3, L"将删除"));
  EXPECT_EQ(form->statusLine.text(), L"报告已导出到 " + t / L"daily.csv");

  form->sideBar.button(Module::JunkFiles).click();
  for (int i = 0; i < junk().typeList.count(); ++i)
    junk().typeList.setChecked(i, junk().typeList.text(i, 0) == L"*.tmp" || junk().typeList.text(i, 0) == L"~*.*");
  t.file(L"~draft");
  shell.folders.push_back(t.root());
  junk().scanFolderButton.click();
  junk().removal.modes.select(0);
  for (std::size_t i = 0; i < junk().resultModel.size(); ++i)
    if (junk().resultModel.at(i).caption == files[0]) junk().resultList.select(static_cast<int>(i));
  junk().deleteSelectedButton.click();  // a.tmp goes
  ASSERT_TRUE(junk().exportButton.enabled());
  shell.saves = {t / L"junk.html"};
  junk().exportButton.click();
  const std::wstring page = ToWide(ReadBytes(t / L"junk.html").substr(3));
  EXPECT_EQ(page.find(files[0]), std::wstring::npos);
  for (const std::wstring& part : std::vector<std::wstring>{files[2], L"<td>*.tmp</td>", L"<td>~*.*</td>",
                                                           t / L"~draft", L"磁盘文件清理"})
    EXPECT_NE(page.find(part), std::wstring::npos) << ToUtf8(part);
  junk().deleteAllButton.click();
  EXPECT_FALSE(junk().exportButton.enabled());
}

// With a scheduler that keeps what it is given (as Windows does): the tab reads
// back the task and shows it; "应用" registers what the controls say, and "关闭"
// removes it again. Without a scheduler the choice says so and stays off.
TEST_F(ReportAndScheduleTest, TheScheduleTabShowsWhatTheTaskHolds) {
  KeepingScheduler scheduler;
  openSchedule();
  EXPECT_EQ(schedule().stateLine.caption(), L"当前没有定时清理。");
  EXPECT_EQ(schedule().kindCombo.text(), L"关闭");
  EXPECT_FALSE(schedule().dayCombo.visible() || schedule().hourEdit.visible() || schedule().junkCheck.enabled());

  schedule().kindCombo.setIndex(3);
  schedule().kindCombo.onChange();
  EXPECT_TRUE(schedule().dayCombo.visible() && schedule().hourEdit.visible() && schedule().junkCheck.enabled());
  schedule().dayCombo.selectText(L"星期三");
  schedule().hourEdit.setValue(21);
  schedule().minuteEdit.setValue(15);
  schedule().junkCheck.setChecked(true);
  schedule().applyButton.click();
  ASSERT_EQ(scheduler.tasks.count(std::wstring(kScheduleTaskName)), 1u);
  const ScheduleReadBack stored = ParseScheduleTaskXml(scheduler.tasks[std::wstring(kScheduleTaskName)]);
  EXPECT_EQ(stored.schedule, (CleaningSchedule{ScheduleKind::Weekly, 21, 15, 3, true}));
  EXPECT_EQ(stored.reportFolder, form->backupBase + L"\\Report\\");
  EXPECT_EQ(schedule().stateLine.caption(), L"当前：每周星期三 21:15 清理（含磁盘垃圾文件），以最高权限运行。");
  EXPECT_EQ(schedule().reportLine.caption(), L"报告保存在：" + form->backupBase + L"\\Report\\");
  EXPECT_TRUE(schedule().programLine.caption().starts_with(L"运行："));

  // Another day: the controls are set from the task, not left as they were.
  scheduler.tasks[std::wstring(kScheduleTaskName)] = ScheduleTaskXml(
      {ScheduleKind::Daily, 6, 5, 1, false}, {L"C:\\W\\WindowsVantorra.exe", L"/clean /quiet /report C:\\R\\", L"C:\\W\\", L""},
      SYSTEMTIME{2026, 1, 0, 2});
  daily().resultsTab.click();
  daily().scheduleTab.click();
  EXPECT_EQ(schedule().kindCombo.text(), L"每天");
  EXPECT_EQ(schedule().hourEdit.value() * 100 + schedule().minuteEdit.value(), 605);
  EXPECT_FALSE(schedule().junkCheck.checked());
  EXPECT_EQ(schedule().stateLine.caption(), L"当前：每天 06:05 清理，以最高权限运行。");

  schedule().kindCombo.setIndex(0);
  schedule().kindCombo.onChange();
  schedule().applyButton.click();
  EXPECT_TRUE(scheduler.tasks.empty());
  EXPECT_EQ(schedule().stateLine.caption(), L"当前没有定时清理。");

  scheduler.reach = SysResult(static_cast<DWORD>(0x80041315));  // the service is not running
  daily().resultsTab.click();
  daily().scheduleTab.click();
  EXPECT_EQ(schedule().stateLine.caption(), L"任务计划程序不可用，无法定时清理（任务计划程序服务没有运行）。");
  EXPECT_FALSE(schedule().kindCombo.enabled() || schedule().applyButton.enabled());
  EXPECT_EQ(schedule().kindCombo.text(), L"关闭");
}

// Through the system's own scheduler: what "应用" registered is found by the
// scheduler and read back; where the scheduler keeps less than it was given
// (Wine keeps no trigger and no command) the tab says the task will not clean.
TEST_F(ReportAndScheduleTest, ApplyRegistersTheTaskWithTheRealScheduler) {
  openSchedule();
  ASSERT_TRUE(schedule().applyButton.enabled()) << ToUtf8(schedule().stateLine.caption());
  schedule().kindCombo.setIndex(2);
  schedule().kindCombo.onChange();
  schedule().hourEdit.setValue(3);
  schedule().applyButton.click();
  std::wstring xml;
  ASSERT_TRUE(Tasks().taskXml(kScheduleTaskName, xml).ok());
  const bool kept = xml.find(L"ScheduleByDay") != std::wstring::npos;
  EXPECT_EQ(schedule().stateLine.caption().starts_with(L"当前：每天 03:00 清理"), kept) << ToUtf8(schedule().stateLine.caption());
  EXPECT_EQ(schedule().stateLine.caption().find(L"不会按这里的设置清理") != std::wstring::npos, !kept);
  schedule().kindCombo.setIndex(0);
  schedule().kindCombo.onChange();
  schedule().applyButton.click();
  EXPECT_TRUE(Tasks().taskXml(kScheduleTaskName, xml).notFound());
  EXPECT_EQ(schedule().stateLine.caption(), L"当前没有定时清理。");
}

}  // namespace
}  // namespace wv::test
