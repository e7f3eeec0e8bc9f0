// The junk-file and daily-file pages in the real main window.

#include <shlobj.h>

#include "support/app_fixture.h"
#include "engines/cleaning/cleaning_fixtures.h"
#include "pages/cleaning/clean_page.h"
#include "pages/cleaning/junk_files_page.h"
#include "pages/cleaning/daily_files_page.h"
#include "app/catalogue.h"

namespace wv::test {
namespace {

const std::vector<std::wstring> kEmptyEditor = {L"", L"包含", L"指定类型", L""};

std::vector<std::wstring> Captions(const std::vector<ListRow>& rows) {
  std::vector<std::wstring> out;
  for (const ListRow& r : rows) out.push_back(r.caption);
  return out;
}

int RowIndex(const RowModel& rows, std::wstring_view caption) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (EqualsNoCase(rows.at(i).caption, caption)) return static_cast<int>(i);
  return -1;
}

std::vector<std::wstring> Texts(const ListRow& row) { return {row.caption, row.column(1), row.column(2)}; }

// "heading icon buttons text" of every message shown.
std::vector<std::wstring> Shown(const ScriptedMsgBox& box) {
  std::vector<std::wstring> out;
  for (const auto& m : box.shown())
    out.push_back(m.heading + L" " + std::to_wstring(m.icon) + L" " + std::to_wstring(m.buttons) + L" " + m.text);
  return out;
}

class CleanPageTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form->sideBar.button(Module::JunkFiles).click();
    // Only the user's folders: the other items would clean the prefix's real folders.
    for (int i = 0; i < daily().itemList.count(); ++i) daily().itemList.setChecked(i, i == 4);
  }
  JunkFilesControls& junk() { return Controls(form->page<JunkFilesPage>()); }
  DailyFilesControls& daily() { return Controls(form->page<DailyFilesPage>()); }
  ListView& self() { return daily().userFolderList; }
  void scanFolder(const std::wstring& folder) {
    shell.folders.push_back(folder);
    junk().scanFolderButton.click();
  }
  std::vector<std::wstring> junkRows() { return Captions(junk().resultModel.rows()); }
  void expectJunkIdle() {
    EXPECT_TRUE(junk().scanButton.caption() == L"扫描" && junk().runState == 0 && form->sideBarEnabled());
    EXPECT_TRUE(junk().scanButton.enabled() && junk().scanFolderButton.enabled());
    EXPECT_EQ(junk().deleteAllButton.enabled(), !junk().resultModel.empty());
    EXPECT_EQ(junk().resultList.count(), static_cast<int>(junk().resultModel.size()));
  }
  void addRow(const std::wstring& folder, bool givenTypes = false, const std::wstring& types = L"", bool ticked = true) {
    self().appendRow(UserCleanFolderRow(UserCleanFolder{ticked, folder, true, givenTypes, types}));
  }
  // The editor as the user fills it (index 0: "包含", "指定类型"), then "增加".
  void add(const std::wstring& folder, int sub, int mode, const std::wstring& types) {
    daily().folderEdit.setText(folder);
    daily().subfoldersCombo.setIndex(sub);
    daily().modeCombo.setIndex(mode);
    daily().typesEdit.setText(types);
    daily().addFolderButton.click();
  }
  std::vector<std::wstring> rowTexts(int row) {
    const ListRow r = self().row(row);
    return {r.caption, r.column(1), r.column(2), r.column(3), r.checked ? L"ticked" : L"not ticked"};
  }
  std::vector<std::wstring> editor() {
    return {daily().folderEdit.text(), daily().subfoldersCombo.text(), daily().modeCombo.text(), daily().typesEdit.text()};
  }

  TestShell shell;
};

// While a scan runs its button is the stop button and nothing else starts; a stop
// press keeps the rows found so far; a double click shows a row's own file.
TEST_F(CleanPageTest, AJunkScanLocksThePageUntilAStopPress) {
  Planted t(L"stop");
  for (int i = 0; i < 4; ++i) t.file(L"f" + std::to_wstring(i) + L"\\x.tmp");
  junk().exclusionsTab.click();  // the results show whatever inner page was open
  const PressOnStatus press(junk().scanButton.handle(), L"已扫描到 2 项", [&] {
    for (Button* x : {&junk().scanFolderButton, &junk().deleteSelectedButton, &junk().deleteAllButton}) EXPECT_FALSE(x->enabled());
    EXPECT_TRUE(junk().scanButton.enabled());
  });
  scanFolder(t.root());
  ASSERT_TRUE(press.pressed());
  ASSERT_EQ(junkRows().size(), 2u);
  EXPECT_EQ(junk().resultModel.at(1).column(1), FormatSize(4));
  EXPECT_EQ(form->statusLine.text(), L"扫描到符合条件的垃圾文件共 2 项,占用 " + FormatSize(8) + L" 硬盘空间");
  EXPECT_EQ(junk().tabPages.active(), static_cast<int>(JunkTab::Results));
  expectJunkIdle();
  junk().resultList.select(1);
  junk().resultList.onDblClick();
  EXPECT_EQ(shell.opened, std::vector<std::wstring>{Win32Shell().systemProgramPath(L"explorer.exe") + L" /n,/select," +
                                                     junkRows()[1]});
}

// Each found row shows its size (or "废目录" for a folder left empty), its item's
// description and picture; the status line counts both rows and sums the file's bytes.
TEST_F(CleanPageTest, ADailyScanShowsEachRowWithItsItem) {
  Planted t(L"shown");
  const std::wstring file = t.file(L"sub\\y.tmp");
  addRow(t.root());
  daily().scanButton.click();
  ASSERT_EQ(Captions(daily().resultModel.rows()), (std::vector<std::wstring>{file, t / L"sub"}));
  const int picture = CatalogueRows(Module::DailyFiles).at(4).icon;
  for (const auto& [row, size] : {std::pair{0, FormatSize(4)}, std::pair{1, std::wstring(kWasteFolderText)}}) {
    const ListRow& shown = daily().resultModel.at(static_cast<std::size_t>(row));
    EXPECT_EQ(Texts(shown), (std::vector<std::wstring>{shown.caption, size, L"用户自定"}));
    EXPECT_EQ(shown.image, picture);
  }
  EXPECT_EQ(form->statusLine.text(), L"扫描到符合条件的垃圾文件或目录共 2 项,占用 " + FormatSize(4) + L" 硬盘空间");
  EXPECT_TRUE(daily().deleteAllButton.enabled() && daily().deleteSelectedButton.enabled());
}

// Each mode takes the chosen rows: direct deletion itself, the others in one
// shell operation; meanwhile the removal is a run (the pressed button is the
// stop button, the side bar and every other start control off). Only the move
// mode asks, after checking its folder. Nothing chosen, a wrong folder, one
// inside the scanned folder or a "Cancel" changes nothing.
TEST_F(CleanPageTest, JunkRemovalTakesTheChosenRowsAsARun) {
  const std::wstring wrong = L"目录错误 2 1 您指定的用于存放垃圾文件的目录错误，请重新选择！";
  const std::wstring inside = L"目录错误 2 1 您指定的用于存放垃圾文件的目录位于扫描范围之内，请重新选择！";
  const std::wstring ask = L"文件清理 1 2 您“确定”把所有扫描到的垃圾文件移动到指定的目录吗？";
  // radio: 0 direct, 1 move, 2 recycle bin; folder to move to: 0 empty, 1 there, 2 missing, 3 inside the
  // scanned folder; all: "全部删除", otherwise rows 0 and 2 highlighted, or none; func unset: no shell call.
  struct Case { const wchar_t* label; int radio, folder; bool all, highlight; int answer;
                std::vector<std::wstring> shown; bool goes; std::optional<FileOpFunc> func; unsigned flags; };
  const Case cases[] = {
      {L"nothing highlighted", 0, 0, false, false, IDOK, {}, false, {}, 0},
      {L"move folder missing", 1, 2, false, true, IDOK, {wrong}, false, {}, 0},
      {L"move folder empty", 1, 0, true, false, IDOK, {wrong}, false, {}, 0},
      {L"move folder inside the scan", 1, 3, true, false, IDOK, {inside}, false, {}, 0},
      {L"move question cancelled", 1, 1, true, false, IDCANCEL, {ask}, false, {}, 0},
      {L"direct, highlighted", 0, 0, false, true, IDOK, {}, true, {}, 0},
      {L"move, all", 1, 1, true, false, IDOK, {ask}, true, FileOpFunc::Move,
       FOF_ALLOWUNDO | FOF_NOERRORUI | FOF_RENAMEONCOLLISION},
      {L"recycle bin, highlighted", 2, 0, false, true, IDOK, {}, true, FileOpFunc::Delete, FOF_ALLOWUNDO | FOF_NOERRORUI},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Planted t(L"remove"), dest(L"dest");
    const std::vector<std::wstring> files = {t.file(L"a.tmp"), t.file(L"b.tmp"), t.file(L"sub\\c.tmp")};
    scanFolder(t.root());
    ASSERT_EQ(junkRows(), files);
    junk().removal.modes.select(c.radio);
    junk().removal.moveFolder.setText(c.folder == 0   ? L""
                                      : c.folder == 1 ? dest.root()
                                      : c.folder == 2 ? dest / L"nowhere"
                                                      : t.folder(L"sub"));
    for (int i : {0, 2}) junk().resultList.setSelected(i, c.highlight);
    const std::vector<std::wstring> chosen = c.highlight ? std::vector{files[0], files[2]} : files,
                                    left = c.highlight ? std::vector{files[1]} : std::vector<std::wstring>{};
    shell.calls.clear();
    Button& pressed = c.all ? junk().deleteAllButton : junk().deleteSelectedButton;
    shell.duringFileOperation = [&] {
      for (Button* b : {&junk().scanButton, &junk().scanFolderButton, &junk().deleteSelectedButton, &junk().deleteAllButton})
        EXPECT_EQ(b->enabled(), b == &pressed);
      EXPECT_FALSE(form->sideBarEnabled());
      EXPECT_EQ(pressed.caption(), kStopCaption);
    };
    ScriptedMsgBox box;
    box.answer(c.answer);
    pressed.click();
    junk().resultList.selectAll(false);
    EXPECT_EQ(Shown(box), c.shown);
    ASSERT_EQ(shell.calls.size(), c.func ? 1u : 0u);
    EXPECT_TRUE(!c.func || (shell.calls[0].func == *c.func && shell.calls[0].flags == c.flags && shell.calls[0].sources == chosen));
    EXPECT_EQ(junkRows(), c.goes ? left : files);  // a row leaves once its file is gone
    for (const std::wstring& f : chosen) EXPECT_EQ(PathExists(f), !c.goes) << f;
    for (const std::wstring& f : chosen) EXPECT_EQ(PathExists(dest / ExtractFileName(f)), c.goes && c.radio == 1) << f;
    EXPECT_EQ(form->statusLine.text() == kJunkCleanedText, c.goes && c.all);
    expectJunkIdle();
    SHEmptyRecycleBinW(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
  }
}

// A row that a removal leaves says why in its size column, and the status line
// counts what went and what stayed.
TEST_F(CleanPageTest, ARowThatStaysSaysWhy) {
  Planted t(L"removekept");
  const std::wstring busy = t.file(L"busy.tmp"), changed = t.file(L"changed.tmp"), other = t.file(L"other.tmp");
  scanFolder(t.root());
  ASSERT_EQ(junkRows(), (std::vector<std::wstring>{busy, changed, other}));
  WriteBytes(changed, "written after the scan");
  junk().removal.modes.select(0);
  UniqueFile hold = Hold(busy);
  junk().deleteAllButton.click();
  ASSERT_EQ(junkRows(), (std::vector<std::wstring>{busy, changed}));
  EXPECT_EQ(junk().resultModel.at(0).column(1), KeptReasonText(KeptReason::InUse));
  EXPECT_EQ(junk().resultModel.at(1).column(1), KeptReasonText(KeptReason::Changed));
  EXPECT_EQ(form->statusLine.text(), L"已清理 1 项，另有 2 项未能清理，原因显示在其大小一栏");
  expectJunkIdle();
}

// The exclusion list takes each folder once, letters compared without regard to
// case; both folder lists delete only after the question.
TEST_F(CleanPageTest, FolderListsTakeEachFolderOnceAndDeleteOnlyAfterTheQuestion) {
  Planted t(L"lists");
  const std::wstring other = t.folder(L"other");
  ScriptedMsgBox exists;
  for (const std::wstring& f : {t.root(), ToUpper(t.root()), std::wstring(), other}) {
    if (!f.empty()) shell.folders = {f};  // none: the browser is cancelled
    junk().addExclusionButton.click();
  }
  EXPECT_EQ(Shown(exists), std::vector<std::wstring>{L"扫描排除 2 1 您选择的扫描排除项已存在！"});
  addRow(t.root());
  addRow(other);
  const std::tuple<ListView*, Button*, std::wstring> lists[] = {
      {&junk().exclusionList, &junk().deleteExclusionButton, L"扫描排除 1 2 您“确定”删除当前选中的扫描排除项吗？"},
      {&self(), &daily().deleteFolderButton, L"目录删除 1 2 您“确定”删除当前选中的自定清理项吗？"}};
  for (const auto& [list, del, ask] : lists) {
    EXPECT_EQ(Captions(list->rows()), (std::vector<std::wstring>{t.root(), other}));
    for (const auto& [highlight, answer] : {std::pair{-1, IDOK}, std::pair{0, IDCANCEL}, std::pair{0, IDOK}}) {
      list->select(highlight);
      ScriptedMsgBox box;
      box.answer(answer);
      del->click();
      EXPECT_EQ(Shown(box), highlight < 0 ? std::vector<std::wstring>{} : std::vector<std::wstring>{ask});
    }
    EXPECT_EQ(Captions(list->rows()), std::vector<std::wstring>{other});
  }
}

// Refusals come with their message, in this order, and leave the editor for mending.
TEST_F(CleanPageTest, TheDailyEditorAddsCompleteEntriesAndRefusesOthersWithItsMessagesInOrder) {
  Planted t(L"editor");
  const std::wstring there = t.root(), other = t.folder(L"other"), missing = t / L"missing";
  // Folder, subfolders, mode, types; the message (empty: added); the new row, or the editor after the refusal.
  const std::tuple<std::wstring, int, int, std::wstring, std::wstring, std::vector<std::wstring>> cases[] = {
      {L"  /  ", 0, 0, L"*.tmp", L"清理目录需要填写！", {L"", L"包含", L"指定类型", L"*.tmp"}},
      {missing, 0, 0, L"  ", L"清理类型需要填写！", {missing, L"包含", L"指定类型", L""}},
      {missing, 0, 0, L"*.tmp", L"清理目录无效请重新填写！", {missing, L"包含", L"指定类型", L"*.tmp"}},
      {L"C:/windows", 0, 0, L"*.tmp", L"清理目录无效请重新填写！", {L"C:windows", L"包含", L"指定类型", L"*.tmp"}},
      {there, 0, 0, L"*.tmp|[a-", L"清理类型格式错误请重新填写！", {there, L"包含", L"指定类型", L"*.tmp|[a-"}},
      {L" " + there + L"/ ", 0, 0, L" *.t/mp ", L"", {there, L"包含", L"指定类型", L"*.tmp", L"ticked"}},
      {other, 1, 1, L"*.tmp", L"", {other, L"排除", L"全部清理", L"", L"ticked"}},
  };
  for (const auto& [folder, sub, mode, types, message, result] : cases) {
    SCOPED_TRACE(folder + L" | " + types);
    const int before = self().count();
    ScriptedMsgBox box;
    add(folder, sub, mode, types);
    const bool added = message.empty();
    EXPECT_EQ(Shown(box), added ? std::vector<std::wstring>{} : std::vector<std::wstring>{L"增加失败 2 1 " + message});
    ASSERT_EQ(self().count(), before + (added ? 1 : 0));
    EXPECT_EQ(added ? rowTexts(before) : editor(), result);
    EXPECT_TRUE(!added || editor() == kEmptyEditor) << "the editor is reset";
  }
}

// A highlighted row fills the editor. Adding its folder again asks: Cancel leaves
// row and editor as they were; OK overwrites the row, keeping its tick.
TEST_F(CleanPageTest, AddingAFolderTwiceOverwritesItsRowOnlyAfterAYes) {
  Planted t(L"dup");
  addRow(t.root(), true, L"*.log", false);
  self().select(0);
  EXPECT_EQ(editor(), (std::vector<std::wstring>{t.root(), L"包含", L"指定类型", L"*.log"}));
  const std::vector<std::wstring> before = rowTexts(0), again = {ToLower(t.root()), L"排除", L"指定类型", L"*.tmp"},
                                  overwritten = {again[0], again[1], again[2], again[3], L"not ticked"};
  for (const int answer : {IDCANCEL, IDOK}) {
    ScriptedMsgBox box;
    box.answer(answer);
    add(again[0], 1, 0, again[3]);
    EXPECT_EQ(Shown(box), std::vector<std::wstring>{L"目录重复 1 2 您新增的清理目录已存在，是否覆盖？"});
    ASSERT_EQ(self().count(), 1);
    EXPECT_EQ(rowTexts(0), answer == IDOK ? overwritten : before);
    EXPECT_EQ(editor(), answer == IDOK ? kEmptyEditor : again);
  }
}

// A row's tick counts when the walk reaches it. Junk: rows for a drive that is not
// there (walked at once) and for C: follow the real, unticked ones; C:'s walk is
// stopped as soon as it shows. Daily: the user's folders come after the system
// logs; a folder added meanwhile counts too, and from then on the editor is locked.
TEST_F(CleanPageTest, TicksAreReadWhenTheWalkReachesTheirRow) {
  ASSERT_EQ(GetLogicalDrives() & (1u << (L'Q' - L'A')), 0u);
  ListView& drives = junk().driveList;
  drives.setAllChecked(false);
  const int c = drives.count() + 1;
  drives.appendRow(DriveRow(L"无此盘", L'Q', 0));
  drives.appendRow(DriveRow(L"本地磁盘", L'C', 0));
  Planted early(L"early");
  const std::wstring x = early.file(L"x.tmp");
  addRow(early.root());
  for (const bool untick : {true, false}) {
    SCOPED_TRACE(untick ? "unticked during the walk" : "ticked during the walk");
    drives.setChecked(c, true);
    bool walkedQ = false, walkedC = false;
    {
      StatusHook during([&](std::wstring_view text) {
        if (text.ends_with(L"-- Q:\\")) {
          walkedQ = true;
          if (untick) drives.setChecked(c, false);
        } else if (!walkedC && text.find(L"-- C:\\") != std::wstring_view::npos) {
          walkedC = true;
          junk().scanRun.requestStop();
        }
      });
      junk().scanButton.click();
    }
    EXPECT_TRUE(walkedQ);
    EXPECT_EQ(walkedC, !untick);
    expectJunkIdle();

    Planted late(L"late");
    const std::wstring y = late.file(L"y.tmp");
    daily().itemList.setChecked(2, true);  // the system logs first (the Windows folder is always there)
    daily().itemList.setChecked(4, untick);
    bool changed = false, locked = false;
    StatusHook during([&](std::wstring_view text) {
      if (!changed && text.starts_with(L"已扫描到")) {
        changed = true;
        daily().itemList.setChecked(4, !untick);
        add(late.root(), 0, 1, L"");
      } else if (!locked && ContainsNoCase(text, early.root())) {
        locked = true;
        EXPECT_FALSE(daily().addFolderButton.enabled() || daily().deleteFolderButton.enabled());
      }
    });
    daily().scanButton.click();
    ASSERT_TRUE(changed);
    EXPECT_EQ(locked, !untick);
    for (const std::wstring& f : {x, y}) EXPECT_EQ(RowIndex(daily().resultModel, f) >= 0, !untick) << f;
    EXPECT_TRUE(daily().addFolderButton.enabled() && daily().deleteFolderButton.enabled());
  }
}

// A fault inside a scan ends the run on its page (run state and buttons back) and goes to the log
// naming the handler; the run protocol's tests pin the rest.
TEST_F(CleanPageTest, AFaultInsideAScanEndsTheRunAndIsLogged) {
  Planted t(L"fault");
  addRow(t.root());
  const std::wstring log = form->programFolder + std::wstring(kFaultLogName);
  const bool logExisted = PathExists(log);
  const std::string logBefore = logExisted ? ReadBytes(log) : std::string();
  {
    RefusingFiles files([](std::wstring_view) { return true; }, true);
    HWND h = daily().scanButton.handle();  // the press as the system delivers it
    SendMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), BN_CLICKED), reinterpret_cast<LPARAM>(h));
  }
  EXPECT_TRUE(daily().scanButton.caption() == L"扫描" && daily().runState == 0 && daily().addFolderButton.enabled());
  const std::string now = PathExists(log) ? ReadBytes(log) : std::string();
  const std::wstring added = ToWide(now.substr(std::min(now.size(), logBefore.size())));
  EXPECT_NE(added.find(L"  DailyFilesPage::onScanClicked  search refused\r\n"), std::wstring::npos) << added;
  if (logExisted) WriteBytes(log, logBefore);
  else DeleteFileW(log.c_str());
}

}  // namespace
}  // namespace wv::test
