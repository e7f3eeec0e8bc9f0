// The junk-file page in the real main window: a scan of a chosen folder, what
// it reads from the page, a stop press, and removing what it found.

#include <gtest/gtest.h>

#include <algorithm>

#include "app/appfixture.h"
#include "cleaning/cleaning_fixtures.h"
#include "cleaning/removal.h"
#include "cleaning/wjqlline.h"
#include "cleaning/wjqlpage.h"
#include "core/text.h"
#include "support/testsupport.h"

namespace wv::test {
namespace {

class WjqlPageTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form->Panel2.button(L"wjql").click();
  }
  WjqlPage& page() { return form->page<WjqlPage>(); }
  // wjql_smsel, the folder browser answering the folder.
  void scanFolder(const std::wstring& folder) {
    shell.folders.push_back(folder);
    page().wjql_smsel.click();
  }
  std::vector<std::wstring> rows() { return Captions(page().wjql_results.rows()); }
  void expectIdle() {
    EXPECT_EQ(page().wjql_sm.caption(), L"扫描");
    EXPECT_EQ(page().wjql_runstate, 0);
    EXPECT_TRUE(form->ToolsEnabled());
    EXPECT_TRUE(page().wjql_sm.enabled() && page().wjql_smsel.enabled());
    EXPECT_EQ(page().wjql_delall.enabled(), !page().wjql_results.empty());
    EXPECT_EQ(page().wjql_showlist.count(), static_cast<int>(page().wjql_results.size()));
  }

  TestShell shell;
};

TEST_F(WjqlPageTest, AChosenFolderIsScannedAndItsJunkListed) {
  Planted t(L"scan");
  const std::wstring a = t.file(L"a.tmp", 1500), b = t.file(L"sub\\b.BAK", 3000), c = t.file(L"sub\\deep\\~report", 10);
  t.file(L"keep.txt");
  page().FlatButton9.click();  // the results show whatever inner page was open

  bool checkedRunning = false;
  StatusHook during([&](std::wstring_view text) {
    if (checkedRunning || text.rfind(L"已扫描到", 0) != 0) return;
    checkedRunning = true;
    EXPECT_EQ(page().wjql_sm.caption(), L"停止");
    EXPECT_NE(page().wjql_runstate, 0);
    EXPECT_FALSE(form->ToolsEnabled());
    for (Button* x : {&page().wjql_smsel, &page().wjql_delsel, &page().wjql_delall}) EXPECT_FALSE(x->enabled());
    EXPECT_TRUE(page().wjql_sm.enabled()) << "the stop press must stay possible";
  });
  scanFolder(t.root());

  EXPECT_TRUE(checkedRunning);
  EXPECT_EQ(rows(), (std::vector<std::wstring>{a, b, c}));  // a folder's files before its subfolders'
  EXPECT_EQ(page().wjql_results.at(1).column(1), FormatSize(3000));
  EXPECT_EQ(form->zdk_runinfo.text(), L"扫描到符合条件的垃圾文件共 3 项,占用 " + FormatSize(4510) + L" 硬盘空间");
  EXPECT_EQ(page().PageControl6.active(), 0);
  expectIdle();
  page().wjql_showlist.select(1);
  page().wjql_showlist.onDblClick();
  EXPECT_EQ(shell.opened, std::vector<std::wstring>{L"Explorer.exe /n,/select," + b});
}

TEST_F(WjqlPageTest, TheScanReadsMasksAndExclusionsFromThePage) {
  Planted t(L"reads");
  const std::wstring a = t.file(L"a.tmp"), b = t.file(L"a.bak"), c = t.file(L"skip\\c.tmp"),
                     d = t.file(L"skipper\\d.tmp");
  struct Step {
    const wchar_t* label;
    std::function<void()> change;
    std::vector<std::wstring> listed;  // sorted
  };
  const Step steps[] = {
      {L"catalogue ticks", [] {}, {b, a, c, d}},
      {L"*.bak not ticked",
       [&] {
         for (int i = 0; i < page().wjql_wjlxlist.count(); ++i)
           if (page().wjql_wjlxlist.text(i, 0) == L"*.bak") page().wjql_wjlxlist.setChecked(i, false);
       },
       {a, c, d}},
      {L"an excluded folder",
       [&] {
         shell.folders.push_back(t / L"skip");
         page().wjql_jumpadd.click();
       },
       {a}},
      {L"no mask ticked", [&] { page().wjql_wjlxlist.setAllChecked(false); }, {}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.label);
    s.change();
    scanFolder(t.root());
    std::vector<std::wstring> got = rows();
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, s.listed);
    expectIdle();
  }
  EXPECT_EQ(form->zdk_runinfo.text(), L"未扫描到符合条件的垃圾文件");
}

// A drive's tick counts when the walk reaches its row. Rows for a drive that is
// not there (walked at once) and for C: follow the real ones, which are unticked;
// the walk of C: is stopped as soon as it shows.
TEST_F(WjqlPageTest, ADrivesTickIsReadWhenTheWalkReachesIt) {
  ASSERT_EQ(GetLogicalDrives() & (1u << (L'Q' - L'A')), 0u);
  ListView& drives = page().wjql_select;
  drives.setAllChecked(false);
  const int q = drives.count();
  for (const wchar_t* caption : {L"无此盘 (Q:)", L"本地磁盘 (C:)"}) {
    ListRow row;
    row.caption = caption;
    row.checked = true;
    drives.appendRow(row);
  }
  for (const bool untick : {true, false}) {
    SCOPED_TRACE(untick ? "C: unticked while Q: is walked" : "C: left ticked");
    drives.setChecked(q + 1, true);
    bool walkedQ = false, walkedC = false;
    StatusHook during([&](std::wstring_view text) {
      if (text.ends_with(L"-- Q:\\")) {
        walkedQ = true;
        if (untick) drives.setChecked(q + 1, false);
      } else if (text.find(L"-- C:\\") != std::wstring_view::npos && !walkedC) {
        walkedC = true;
        page().wjql_run.requestStop();
      }
    });
    page().wjql_sm.click();
    EXPECT_TRUE(walkedQ);
    EXPECT_EQ(walkedC, !untick);
    expectIdle();
  }
}

TEST_F(WjqlPageTest, AStopPressKeepsTheRowsFoundSoFar) {
  Planted t(L"stop");
  for (int i = 0; i < 4; ++i) t.file(L"f" + std::to_wstring(i) + L"\\x.tmp");
  // Every item drains the queue, so the posted press lands before the next one.
  const double interval = DrainInterval();
  SetDrainInterval(0);
  bool pressed = false;
  StatusHook press([&](std::wstring_view text) {
    if (pressed || text.rfind(L"已扫描到 2 项", 0) != 0) return;
    pressed = true;
    PostMessageW(page().wjql_sm.handle(), BM_CLICK, 0, 0);
  });
  scanFolder(t.root());
  SetDrainInterval(interval);
  ASSERT_TRUE(pressed);
  EXPECT_EQ(page().wjql_results.size(), 2u);
  EXPECT_EQ(form->zdk_runinfo.text(), L"扫描到符合条件的垃圾文件共 2 项,占用 " + FormatSize(8) + L" 硬盘空间");
  expectIdle();
}

TEST_F(WjqlPageTest, EachRemovalModeTakesTheChosenRowsInOneShellOperation) {
  struct Case {
    const wchar_t* label;
    int radio;  // 0 direct, 1 move, 2 recycle bin
    bool all;
    FileOpFunc func;
    unsigned flags;
  };
  const Case cases[] = {
      {L"direct, selected", 0, false, FileOpFunc::Delete, FOF_SILENT | FOF_NOERRORUI},
      {L"move, all", 1, true, FileOpFunc::Move, FOF_ALLOWUNDO | FOF_NOERRORUI},
      {L"recycle bin, selected", 2, false, FileOpFunc::Delete, FOF_ALLOWUNDO | FOF_NOERRORUI},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Planted t(L"remove"), dest(L"dest");
    const std::vector<std::wstring> files = {t.file(L"a.tmp"), t.file(L"b.tmp"), t.file(L"sub\\c.tmp")};
    ASSERT_TRUE(SetFileAttributesW(files[0].c_str(), FILE_ATTRIBUTE_READONLY));
    scanFolder(t.root());
    ASSERT_EQ(rows(), files);
    page().wjql_scsz.select(c.radio);
    page().wjql_scszpath_pathname.setText(dest.root());
    std::vector<std::wstring> chosen = files;
    if (!c.all) {
      page().wjql_showlist.setSelected(0, true);
      page().wjql_showlist.setSelected(2, true);
      chosen = {files[0], files[2]};
    }
    shell.calls.clear();
    shell.duringFileOperation = [&] {
      for (Button* b : {&page().wjql_sm, &page().wjql_delsel, &page().wjql_delall}) EXPECT_FALSE(b->enabled());
    };
    ScriptedMsgBox box;
    box.answer(IDOK);
    (c.all ? page().wjql_delall : page().wjql_delsel).click();
    shell.duringFileOperation = nullptr;

    EXPECT_EQ(box.shown().size(), c.radio == 1 ? 1u : 0u) << "only the move mode asks";
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].func, c.func);
    EXPECT_EQ(shell.calls[0].flags, c.flags);
    EXPECT_EQ(shell.calls[0].sources, chosen);
    for (const std::wstring& f : chosen) {
      EXPECT_FALSE(PathExists(f)) << f;
      EXPECT_TRUE(c.radio != 1 || PathExists(dest / ExtractFileName(f))) << f;
      EXPECT_TRUE(c.radio != 2 || InRecycleBin(f)) << f;
    }
    EXPECT_EQ(rows(), c.all ? std::vector<std::wstring>{} : std::vector<std::wstring>{files[1]});
    EXPECT_EQ(form->zdk_runinfo.text() == kJunkCleanedText, c.all);
    expectIdle();
    page().wjql_showlist.selectAll(false);
    EmptyRecycleBin();
  }
}

TEST_F(WjqlPageTest, RemovalThatCannotGoAheadChangesNothing) {
  Planted t(L"norm");
  const std::vector<std::wstring> files = {t.file(L"a.tmp"), t.file(L"b.tmp")};
  struct Case {
    const wchar_t* label;
    int radio;
    std::wstring folder;
    bool all;
    bool highlight;
    int answer;
    std::vector<std::wstring> texts;  // the messages shown
  };
  const std::wstring wrong = L"目录错误 2 1 您指定的用于存放垃圾文件的目录错误，请重新选择！";
  const Case cases[] = {
      {L"nothing highlighted", 0, L"", false, false, IDOK, {}},
      {L"move folder missing", 1, t / L"nowhere", false, true, IDOK, {wrong}},
      {L"move folder empty", 1, L"", true, false, IDOK, {wrong}},
      {L"move question cancelled", 1, t.root(), true, false, IDCANCEL,
       {L"文件清理 1 2 您“确定”把所有扫描到的垃圾文件移动到指定的目录吗？"}},
  };
  scanFolder(t.root());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    page().wjql_scsz.select(c.radio);
    page().wjql_scszpath_pathname.setText(c.folder);
    page().wjql_showlist.selectAll(false);
    if (c.highlight) page().wjql_showlist.setSelected(1, true);
    shell.calls.clear();
    ScriptedMsgBox box;
    box.answer(c.answer);
    (c.all ? page().wjql_delall : page().wjql_delsel).click();
    EXPECT_EQ(Shown(box), c.texts);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(rows(), files);
    EXPECT_TRUE(PathExists(files[0]) && PathExists(files[1]));
  }
}

TEST_F(WjqlPageTest, TheExclusionListTakesEachFolderOnceAndDeletesOnlyAfterTheQuestion) {
  Planted t(L"jump");
  const std::wstring other = t.folder(L"other");
  ListView& jump = page().wjql_jumplist;
  const std::wstring exists = L"扫描排除 2 1 您选择的扫描排除项已存在！";
  const std::wstring ask = L"扫描排除 1 2 您“确定”删除当前选中的扫描排除项吗？";
  struct Step {
    const wchar_t* label;
    std::function<void(ScriptedMsgBox&)> act;
    std::vector<std::wstring> shown;
    std::vector<std::wstring> rows;
  };
  const Step steps[] = {
      {L"added", [&](ScriptedMsgBox&) { shell.folders = {t.root()}; page().wjql_jumpadd.click(); }, {}, {t.root()}},
      {L"the same in other letters",
       [&](ScriptedMsgBox&) { shell.folders = {ToUpper(t.root())}; page().wjql_jumpadd.click(); }, {exists},
       {t.root()}},
      {L"browser cancelled", [&](ScriptedMsgBox&) { page().wjql_jumpadd.click(); }, {}, {t.root()}},
      {L"another", [&](ScriptedMsgBox&) { shell.folders = {other}; page().wjql_jumpadd.click(); }, {},
       {t.root(), other}},
      {L"delete with nothing highlighted", [&](ScriptedMsgBox&) { page().wjql_jumpdel.click(); }, {},
       {t.root(), other}},
      {L"delete cancelled",
       [&](ScriptedMsgBox& box) {
         jump.select(0);
         box.answer(IDCANCEL);
         page().wjql_jumpdel.click();
       },
       {ask}, {t.root(), other}},
      {L"delete confirmed",
       [&](ScriptedMsgBox& box) {
         box.answer(IDOK);
         page().wjql_jumpdel.click();
       },
       {ask}, {other}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.label);
    ScriptedMsgBox box;
    s.act(box);
    EXPECT_EQ(Shown(box), s.shown);
    EXPECT_EQ(Captions(jump.rows()), s.rows);
  }
}

TEST_F(WjqlPageTest, SelectAllTogglesTicksAndCaption) {
  const std::tuple<std::function<void()>, std::function<std::wstring()>, ListView*> toggles[] = {
      {[&] { page().wjql_sel.click(); }, [&] { return page().wjql_sel.caption(); }, &page().wjql_select},
      {[&] { page().wjql_lxsel.click(); }, [&] { return page().wjql_lxsel.caption(); }, &page().wjql_wjlxlist},
  };
  for (const auto& [press, caption, list] : toggles) {
    list->setChecked(0, false);
    EXPECT_EQ(caption(), L"全选");
    press();
    EXPECT_EQ(caption(), L"全否");
    EXPECT_EQ(list->checkedCount(), list->count());
    press();
    EXPECT_EQ(caption(), L"全选");
    EXPECT_EQ(list->checkedCount(), 0);
  }
}

}  // namespace
}  // namespace wv::test
