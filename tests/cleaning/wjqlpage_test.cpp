// The junk-file page in the real main window: a scan of a chosen folder, what
// the scan reads from the page, a stop press, the three ways of removing what
// was found, the move-mode checks, the scan exclusions and the other handlers.

#include <gtest/gtest.h>

#include "app/appfixture.h"
#include "cleaning/page_fixtures.h"
#include "cleaning/removal.h"
#include "cleaning/wjqlline.h"
#include "cleaning/wjqlpage.h"
#include "cleaning/wjrcpage.h"
#include "core/text.h"
#include "support/testsupport.h"
#include "ui/messages.h"

namespace wv::test {
namespace {

class WjqlPageTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form->Panel2.zdk_wjql.click();
  }
  WjqlPage& page() { return *form->wjqltab; }

  // wjql_smsel with the folder browser answering the folder.
  void scanFolder(const std::wstring& folder) {
    shell.folders.push_back(folder);
    page().wjql_smsel.click();
  }
  std::vector<std::wstring> rows() { return Captions(page().wjql_results); }
  void untickMask(std::wstring_view mask) {
    ListView& masks = page().wjql_wjlxlist;
    for (int i = 0; i < masks.count(); ++i)
      if (masks.text(i, 0) == mask) masks.setChecked(i, false);
  }
  // Idle again, the delete buttons as the rows say.
  void expectIdle() {
    EXPECT_EQ(page().wjql_sm.caption(), L"扫描");
    EXPECT_EQ(page().wjql_runstate, 0);
    EXPECT_TRUE(form->ToolsEnabled());
    EXPECT_TRUE(page().wjql_sm.enabled());
    EXPECT_TRUE(page().wjql_smsel.enabled());
    EXPECT_EQ(page().wjql_delsel.enabled(), !page().wjql_results.empty());
    EXPECT_EQ(page().wjql_delall.enabled(), !page().wjql_results.empty());
    EXPECT_EQ(page().wjql_showlist.count(), static_cast<int>(page().wjql_results.size()));
  }

  PageShell shell;
};

TEST_F(WjqlPageTest, AChosenFolderIsScannedAndItsJunkListedWithSizes) {
  PlantedTree tree(L"scan");
  const std::wstring a = tree.file(L"a.tmp", 1500);
  const std::wstring b = tree.file(L"sub\\b.BAK", 3000);
  const std::wstring c = tree.file(L"sub\\deep\\~report", 10);
  tree.file(L"keep.txt");
  tree.file(L"mydata.bak");  // a name that programs keep
  ASSERT_TRUE(SetFileAttributesW(b.c_str(), FILE_ATTRIBUTE_READONLY));
  page().FlatButton9.click();  // the scan shows its results whatever page was open

  bool checkedRunning = false;
  StatusHook during([&](std::wstring_view text) {
    if (checkedRunning || text.rfind(L"已扫描到", 0) != 0) return;
    checkedRunning = true;
    EXPECT_EQ(page().wjql_sm.caption(), L"停止");
    EXPECT_EQ(page().wjql_runstate, 2);
    EXPECT_FALSE(form->ToolsEnabled());
    for (Button* b : {&page().wjql_smsel, &page().wjql_delsel, &page().wjql_delall}) EXPECT_FALSE(b->enabled());
    EXPECT_TRUE(page().wjql_sm.enabled()) << "the stop press must stay possible";
  });
  scanFolder(tree.path());

  EXPECT_TRUE(checkedRunning);
  EXPECT_EQ(shell.browseTitles, std::vector<std::wstring>{L"请选择一个您要扫描的目录..."});
  EXPECT_EQ(page().wjql_folder, tree.path());
  // A folder's files before its subfolders.
  EXPECT_EQ(rows(), (std::vector<std::wstring>{a, b, c}));
  const std::uint64_t sizes[] = {1500, 3000, 10};
  for (std::size_t i = 0; i < 3; ++i) {
    const ListRow& row = page().wjql_results.at(i);
    EXPECT_EQ(row.column(1), FormatSize(sizes[i]));
    EXPECT_EQ(row.image, kJunkRowImage);
  }
  EXPECT_EQ(form->zdk_runinfo.text(), L"扫描到符合条件的垃圾文件共 3 项,占用 " + FormatSize(4510) + L" 硬盘空间");
  EXPECT_TRUE(page().FlatButton1.down());
  EXPECT_EQ(page().PageControl6.active(), 0);
  expectIdle();
  // The list keeps its last row in view.
  const HWND list = page().wjql_showlist.handle();
  EXPECT_GE(ListView_GetTopIndex(list) + ListView_GetCountPerPage(list), 3);
}

TEST_F(WjqlPageTest, TheScanReadsMasksAndExclusionsFromThePageWhenItStarts) {
  PlantedTree tree(L"reads");
  const std::wstring a = tree.file(L"a.tmp");
  const std::wstring b = tree.file(L"a.bak");
  const std::wstring c = tree.file(L"skip\\c.tmp");
  const std::wstring d = tree.file(L"skipper\\d.tmp");  // beside the excluded folder, same beginning
  const std::wstring e = tree.file(L"other\\e.tmp");

  struct Step {
    const wchar_t* label;
    std::function<void()> change;
    std::vector<std::wstring> listed;
  };
  const Step steps[] = {
      {L"catalogue ticks", [] {}, {a, b, c, d, e}},
      {L"*.bak not ticked", [&] { untickMask(L"*.bak"); }, {a, c, d, e}},
      {L"an excluded folder",
       [&] {
         shell.folders.push_back(tree / L"skip");
         page().wjql_jumpadd.click();
       },
       {a, e}},
      {L"no mask ticked", [&] { page().wjql_wjlxlist.setAllChecked(false); }, {}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.label);
    s.change();
    scanFolder(tree.path());
    std::vector<std::wstring> got = rows();
    std::sort(got.begin(), got.end());
    std::vector<std::wstring> want = s.listed;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
    expectIdle();
  }
  EXPECT_EQ(form->zdk_runinfo.text(), L"未扫描到符合条件的垃圾文件");
}

TEST_F(WjqlPageTest, ACancelledFolderBrowserStartsNothing) {
  PlantedTree tree(L"cancel");
  tree.file(L"a.tmp");
  scanFolder(tree.path());
  ASSERT_EQ(page().wjql_results.size(), 1u);
  const std::wstring status = form->zdk_runinfo.text();
  page().wjql_smsel.click();  // no answer: Cancel
  EXPECT_EQ(shell.browseTitles.size(), 2u);
  EXPECT_EQ(page().wjql_results.size(), 1u);
  EXPECT_EQ(form->zdk_runinfo.text(), status);
  EXPECT_EQ(page().wjql_folder, tree.path());
  expectIdle();
}

TEST_F(WjqlPageTest, AStopPressKeepsTheRowsFoundSoFar) {
  PlantedTree tree(L"stop");
  for (int i = 0; i < 4; ++i) tree.file(L"f" + std::to_wstring(i) + L"\\x" + std::to_wstring(i) + L".tmp");
  // Every item drains the queue, so the posted press lands before the next one.
  const double interval = DrainInterval();
  SetDrainInterval(0);
  bool pressed = false;
  StatusHook press([&](std::wstring_view text) {
    if (pressed || text.rfind(L"已扫描到 2 项", 0) != 0) return;
    pressed = true;
    PostMessageW(page().wjql_sm.handle(), BM_CLICK, 0, 0);
  });
  scanFolder(tree.path());
  SetDrainInterval(interval);

  ASSERT_TRUE(pressed);
  EXPECT_EQ(page().wjql_results.size(), 2u);
  EXPECT_EQ(form->zdk_runinfo.text(), L"扫描到符合条件的垃圾文件共 2 项,占用 " + FormatSize(8) + L" 硬盘空间");
  expectIdle();
  EXPECT_TRUE(page().wjql_delsel.enabled());
}

TEST_F(WjqlPageTest, EachRemovalModeRemovesTheChosenRowsInOneShellOperation) {
  struct Case {
    const wchar_t* label;
    int radio;  // 0 direct, 1 move, 2 recycle bin
    bool all;
    FileOpFunc func;
    unsigned flags;
  };
  const Case cases[] = {
      {L"direct, selected", 0, false, FileOpFunc::Delete, FOF_SILENT | FOF_NOERRORUI},
      {L"direct, all", 0, true, FileOpFunc::Delete, FOF_SILENT | FOF_NOERRORUI},
      {L"move, selected", 1, false, FileOpFunc::Move, FOF_ALLOWUNDO | FOF_NOERRORUI},
      {L"move, all", 1, true, FileOpFunc::Move, FOF_ALLOWUNDO | FOF_NOERRORUI},
      {L"recycle bin, selected", 2, false, FileOpFunc::Delete, FOF_ALLOWUNDO | FOF_NOERRORUI},
      {L"recycle bin, all", 2, true, FileOpFunc::Delete, FOF_ALLOWUNDO | FOF_NOERRORUI},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    PlantedTree tree(L"remove");
    PlantedTree dest(L"dest");
    const std::wstring tag = std::to_wstring(GetTickCount64());
    const std::vector<std::wstring> files = {tree.file(L"a" + tag + L".tmp"), tree.file(L"b" + tag + L".tmp"),
                                             tree.file(L"sub\\c" + tag + L".tmp")};
    scanFolder(tree.path());
    ASSERT_EQ(page().wjql_results.size(), 3u);
    page().wjql_scsz.select(c.radio);
    page().wjql_scszpath_pathname.setText(dest.path());
    std::vector<std::wstring> chosen = files;
    if (!c.all) {
      page().wjql_showlist.setSelected(0, true);
      page().wjql_showlist.setSelected(2, true);
      chosen = {files[0], files[2]};
    }
    shell.calls.clear();
    bool checkedDuring = false;
    shell.duringFileOperation = [&] {
      checkedDuring = true;
      for (Button* b : {&page().wjql_sm, &page().wjql_delsel, &page().wjql_delall}) EXPECT_FALSE(b->enabled());
    };
    ScriptedMsgBox box;
    box.answer(IDOK);
    (c.all ? page().wjql_delall : page().wjql_delsel).click();
    shell.duringFileOperation = nullptr;

    EXPECT_TRUE(checkedDuring);
    if (c.radio == 1) {
      ASSERT_EQ(box.shown().size(), 1u);
      EXPECT_EQ(box.shown()[0].heading, L"文件清理");
      EXPECT_EQ(box.shown()[0].text, c.all ? L"您“确定”把所有扫描到的垃圾文件移动到指定的目录吗？"
                                            : L"您“确定”把当前选中的垃圾文件移动到指定的目录吗？");
      EXPECT_EQ(box.shown()[0].icon, 1);
      EXPECT_EQ(box.shown()[0].buttons, 2);
    } else {
      EXPECT_TRUE(box.shown().empty()) << "only the move mode asks";
    }
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].func, c.func);
    EXPECT_EQ(shell.calls[0].flags, c.flags);
    EXPECT_EQ(shell.calls[0].sources, chosen);
    EXPECT_EQ(shell.calls[0].target, c.radio == 1 ? dest.path() : L"");
    for (const std::wstring& f : chosen) {
      EXPECT_FALSE(PathExists(f)) << f;
      if (c.radio == 1) {
        EXPECT_TRUE(PathExists(dest / ExtractFileName(f))) << f;
      } else if (c.radio == 2) {
        EXPECT_TRUE(RecycleBinHolds(f) && RestoreFromRecycleBin(f)) << f;
      }
    }
    if (c.all) {
      EXPECT_TRUE(page().wjql_results.empty());
      EXPECT_EQ(form->zdk_runinfo.text(), kJunkCleanedText);
    } else {
      EXPECT_EQ(rows(), std::vector<std::wstring>{files[1]});
      EXPECT_TRUE(PathExists(files[1]));
    }
    expectIdle();
    page().wjql_showlist.selectAll(false);
  }
}

TEST_F(WjqlPageTest, RemovalThatCannotGoAheadChangesNothing) {
  PlantedTree tree(L"norm");
  const std::wstring a = tree.file(L"a.tmp");
  const std::wstring b = tree.file(L"b.tmp");
  struct Case {
    const wchar_t* label;
    int radio;
    std::wstring folder;
    bool all;
    bool highlight;
    int answer;
    std::vector<std::wstring> headings;  // the messages shown
  };
  const Case cases[] = {
      {L"nothing highlighted", 2, L"", false, false, IDOK, {}},
      {L"nothing highlighted, move folder missing", 1, L"", false, false, IDOK, {}},
      {L"move folder missing, selected", 1, tree / L"nowhere", false, true, IDOK, {L"目录错误"}},
      {L"move folder missing, all", 1, tree / L"nowhere", true, false, IDOK, {L"目录错误"}},
      {L"move folder empty", 1, L"", true, false, IDOK, {L"目录错误"}},
      {L"move question cancelled", 1, tree.path(), true, false, IDCANCEL, {L"文件清理"}},
  };
  scanFolder(tree.path());
  ASSERT_EQ(page().wjql_results.size(), 2u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    page().wjql_scsz.select(c.radio);
    page().wjql_scszpath_pathname.setText(c.folder);
    page().wjql_showlist.selectAll(false);
    if (c.highlight) page().wjql_showlist.setSelected(1, true);
    SetRunInfo(L"之前");
    shell.calls.clear();
    ScriptedMsgBox box;
    box.answer(c.answer);
    (c.all ? page().wjql_delall : page().wjql_delsel).click();
    std::vector<std::wstring> headings;
    for (const auto& m : box.shown()) headings.push_back(m.heading);
    EXPECT_EQ(headings, c.headings);
    if (!box.shown().empty() && c.headings[0] == L"目录错误") {
      EXPECT_EQ(box.shown()[0].text, L"您指定的用于存放垃圾文件的目录错误，请重新选择！");
      EXPECT_EQ(box.shown()[0].icon, 2);
      EXPECT_EQ(box.shown()[0].buttons, 1);
    }
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(rows(), (std::vector<std::wstring>{a, b}));
    EXPECT_TRUE(PathExists(a) && PathExists(b));
    EXPECT_EQ(form->zdk_runinfo.text(), L"之前");
    expectIdle();
  }
}

TEST_F(WjqlPageTest, ExclusionsAreAddedOnceAndDeletedAfterAQuestion) {
  PlantedTree tree(L"jump");
  const std::wstring one = tree.folder(L"One");
  const std::wstring two = tree.folder(L"Two");
  ListView& list = page().wjql_jumplist;
  ScriptedMsgBox box;

  shell.folders = {one, ToUpper(one), two, L""};
  for (int i = 0; i < 4; ++i) page().wjql_jumpadd.click();
  EXPECT_EQ(shell.browseTitles, std::vector<std::wstring>(4, L"请选择一个扫描时要排除的目录..."));
  EXPECT_EQ(ListCaptions(list), (std::vector<std::wstring>{one, two}));
  EXPECT_EQ(list.image(0), kExclusionRowImage);
  ASSERT_EQ(box.shown().size(), 1u);
  EXPECT_EQ(box.shown()[0].heading, L"扫描排除");
  EXPECT_EQ(box.shown()[0].text, L"您选择的扫描排除项已存在！");
  EXPECT_EQ(box.shown()[0].icon, 2);

  page().wjql_jumpdel.click();  // nothing highlighted: no question
  EXPECT_EQ(box.shown().size(), 1u);
  list.setSelected(0, true);
  box.answer(IDCANCEL);
  page().wjql_jumpdel.click();
  EXPECT_EQ(list.count(), 2);
  box.answer(IDOK);
  page().wjql_jumpdel.click();
  ASSERT_EQ(box.shown().size(), 3u);
  EXPECT_EQ(box.shown()[2].heading, L"扫描排除");
  EXPECT_EQ(box.shown()[2].text, L"您“确定”删除当前选中的扫描排除项吗？");
  EXPECT_EQ(box.shown()[2].buttons, 2);
  EXPECT_EQ(ListCaptions(list), std::vector<std::wstring>{two});
}

TEST_F(WjqlPageTest, ADoubleClickShowsTheSelectedFileInTheFileBrowser) {
  PlantedTree tree(L"dbl");
  tree.file(L"a.tmp");
  const std::wstring b = tree.file(L"b.tmp");
  scanFolder(tree.path());
  DoubleClick(page().wjql_showlist);
  EXPECT_TRUE(shell.opened.empty());
  page().wjql_showlist.select(1);
  DoubleClick(page().wjql_showlist);
  EXPECT_EQ(shell.opened, std::vector<std::wstring>{L"Explorer.exe /n,/select," + b});
}

// The folder buttons of both pages: the browser's title, the chosen folder in the edit, Cancel changes nothing.
TEST_F(WjqlPageTest, FolderButtonsFillTheirEdits) {
  WjrcPage& daily = *form->wjrctab;
  struct Case {
    Button* button;
    Edit* edit;
    const wchar_t* title;
  };
  const Case cases[] = {
      {&page().wjql_scszpath_pathsel, &page().wjql_scszpath_pathname, L"请选择一个您要存放垃圾文件的目录..."},
      {&daily.wjrc_scszpath_pathsel, &daily.wjrc_scszpath_pathname, L"请选择一个您要存放垃圾文件的目录..."},
      {&daily.wjrc_selfpathsel, &daily.wjrc_selfpath, L"请选择一个您要清理的目录..."},
  };
  PlantedTree tree(L"pick");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    shell.browseTitles.clear();
    shell.folders = {tree.path()};
    c.edit->setText(L"之前的");
    c.button->click();
    EXPECT_EQ(c.edit->text(), tree.path());
    c.button->click();  // Cancel
    EXPECT_EQ(c.edit->text(), tree.path());
    EXPECT_EQ(shell.browseTitles, std::vector<std::wstring>(2, c.title));
  }
}

TEST_F(WjqlPageTest, FolderEditsTakeThreeHundredCharactersAndTypesFifty) {
  WjrcPage& daily = *form->wjrctab;
  const std::pair<Edit*, int> cases[] = {{&page().wjql_scszpath_pathname, 300},
                                         {&daily.wjrc_scszpath_pathname, 300},
                                         {&daily.wjrc_selfpath, 300},
                                         {&daily.wjrc_selftype, 50}};
  for (const auto& [edit, limit] : cases) {
    edit->setText(L"");
    // Typed text stops at the limit.
    SendMessageW(edit->handle(), EM_REPLACESEL, TRUE,
                 reinterpret_cast<LPARAM>(std::wstring(static_cast<std::size_t>(limit) + 20, L'x').c_str()));
    EXPECT_EQ(edit->text().size(), static_cast<std::size_t>(limit));
  }
}

}  // namespace
}  // namespace wv::test
