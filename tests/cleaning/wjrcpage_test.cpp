// The daily-file page in the real main window: a scan of user-defined folders
// and its removal, the user-defined list's editor with its messages, selection,
// sorting and dragging, and what a running scan locks.

#include <gtest/gtest.h>

#include <algorithm>

#include "app/appfixture.h"
#include "cleaning/page_fixtures.h"
#include "cleaning/removal.h"
#include "cleaning/wjrcline.h"
#include "cleaning/wjrcpage.h"
#include "core/initline.h"
#include "core/text.h"
#include "support/testsupport.h"

namespace wv::test {
namespace {

constexpr int kUserItem = 4;

class WjrcPageTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    // Only the user's folders: the other items would clean the prefix's real folders.
    for (int i = 0; i < page().wjrc_select.count(); ++i) page().wjrc_select.setChecked(i, i == kUserItem);
  }
  WjrcPage& page() { return *form->wjrctab; }
  ListView& self() { return page().wjrc_selflist; }

  void addRow(const std::wstring& folder, bool sub, bool given, const std::wstring& types, bool ticked = true) {
    UserCleanFolder u;
    u.folder = folder;
    u.includeSubfolders = sub;
    u.givenTypes = given;
    u.types = types;
    u.ticked = ticked;
    self().appendRow(UserCleanFolderRow(u));
  }
  // The editor as a user fills it.
  void fillEditor(const std::wstring& folder, int sub, int mode, const std::wstring& types) {
    page().wjrc_selfpath.setText(folder);
    ChooseComboItem(page().wjrc_selfsub.handle(), sub);
    ChooseComboItem(page().wjrc_selfmode.handle(), mode);
    page().wjrc_selftype.setText(types);
  }
  void expectEditorReset() {
    EXPECT_EQ(page().wjrc_selfpath.text(), L"");
    EXPECT_EQ(page().wjrc_selfsub.text(), L"包含");
    EXPECT_EQ(page().wjrc_selfmode.text(), L"指定类型");
    EXPECT_EQ(page().wjrc_selftype.text(), L"");
    EXPECT_TRUE(page().wjrc_selftype.visible());
  }
  std::vector<std::wstring> rowTexts(int row) {
    const ListRow r = self().row(row);
    return {r.caption, r.column(1), r.column(2), r.column(3), r.checked ? L"ticked" : L"not ticked"};
  }

  PageShell shell;
};

TEST_F(WjrcPageTest, AUserFolderScanListsFilesAndWasteFoldersAndRemovalTakesBoth) {
  TempFolder root(L"daily");
  const std::wstring a = root.file(L"a.log", std::string(700, 'a'));
  const std::wstring b = root.file(L"sub\\b.tmp", std::string(300, 'b'));
  const std::wstring c = root.file(L"sub\\deep\\c.dat", "c");
  const std::wstring held = root.file(L"busy\\d.tmp", "d");
  root.folder(L"empty");
  addRow(root.path(), true, false, L"");
  addRow(root / L"gone", true, false, L"");  // a folder that no longer exists is skipped
  page().FlatButton11.click();
  {
    HeldOpen busy(held);
    ASSERT_TRUE(busy.held());
    page().wjrc_sm.click();
  }

  const RowModel& rows = page().wjrc_results;
  std::vector<std::wstring> got = Captions(rows);
  std::vector<std::wstring> want = {a, b, c, root / L"sub", root / L"sub\\deep", root / L"empty"};
  std::sort(got.begin(), got.end());
  std::sort(want.begin(), want.end());
  EXPECT_EQ(got, want) << "busy\\ keeps a file in use, so it is no waste";
  EXPECT_LT(RowIndex(rows, root / L"sub\\deep"), RowIndex(rows, root / L"sub")) << "deeper folders first";
  const int icon = CatalogueRows(L"wjrc")[kUserItem].icon;
  for (const ListRow& r : rows.rows()) {
    EXPECT_EQ(r.column(2), L"用户自定");
    EXPECT_EQ(r.image, icon);
  }
  EXPECT_EQ(rows.at(static_cast<std::size_t>(RowIndex(rows, a))).column(1), FormatSize(700));
  EXPECT_EQ(rows.at(static_cast<std::size_t>(RowIndex(rows, root / L"empty"))).column(1), kWasteFolderText);
  EXPECT_EQ(form->zdk_runinfo.text(), L"扫描到符合条件的垃圾文件或目录共 6 项,占用 " + FormatSize(1001) + L" 硬盘空间");
  EXPECT_TRUE(page().FlatButton10.down());
  EXPECT_EQ(page().PageControl3.active(), 0);
  EXPECT_TRUE(page().wjrc_delsel.enabled() && page().wjrc_delall.enabled());
  EXPECT_TRUE(page().wjrc_selfadd.enabled() && page().wjrc_selfdel.enabled());
  EXPECT_EQ(page().wjrc_sm.caption(), L"扫描");
  EXPECT_EQ(page().wjrc_runstate, 0);
  EXPECT_TRUE(form->ToolsEnabled());

  // Delete directly, everything: files first, then the folders, in one operation.
  page().wjrc_scsz.select(0);
  ScriptedMsgBox box;
  page().wjrc_delall.click();
  EXPECT_TRUE(box.shown().empty());
  ASSERT_EQ(shell.calls.size(), 1u);
  const std::vector<std::wstring>& sources = shell.calls[0].sources;
  ASSERT_EQ(sources.size(), 6u);
  EXPECT_TRUE(std::is_partitioned(sources.begin(), sources.end(),
                                  [&](const std::wstring& s) { return s == a || s == b || s == c; }));
  EXPECT_TRUE(rows.empty());
  EXPECT_EQ(form->zdk_runinfo.text(), kDailyCleanedText);
  EXPECT_FALSE(page().wjrc_delsel.enabled() || page().wjrc_delall.enabled());
  EXPECT_TRUE(page().wjrc_sm.enabled());
  for (const std::wstring& gone : {a, b, c, root / L"sub", root / L"empty"}) EXPECT_FALSE(PathExists(gone)) << gone;
  EXPECT_TRUE(PathExists(held));
  EXPECT_TRUE(DirectoryExists(root.path())) << "the folder itself is never removed";
}

TEST_F(WjrcPageTest, DeletingSelectedRowsLeavesTheOthers) {
  TempFolder root(L"dailysel");
  const std::wstring a = root.file(L"a.log");
  const std::wstring b = root.file(L"b.log");
  addRow(root.path(), false, true, L"*.log");
  page().wjrc_sm.click();
  ASSERT_EQ(page().wjrc_results.size(), 2u);
  page().wjrc_scsz.select(0);
  page().wjrc_delsel.click();  // nothing highlighted
  EXPECT_TRUE(shell.calls.empty());
  const int ia = RowIndex(page().wjrc_results, a);
  page().wjrc_showlist.setSelected(ia, true);
  page().wjrc_delsel.click();
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].sources, std::vector<std::wstring>{a});
  EXPECT_EQ(Captions(page().wjrc_results), std::vector<std::wstring>{b});
  EXPECT_TRUE(page().wjrc_delsel.enabled() && page().wjrc_delall.enabled());

  DoubleClick(page().wjrc_showlist);
  EXPECT_TRUE(shell.opened.empty()) << "the selected row went with its file";
  page().wjrc_showlist.select(0);
  DoubleClick(page().wjrc_showlist);
  EXPECT_EQ(shell.opened, std::vector<std::wstring>{L"Explorer.exe /n,/select," + b});
}

TEST_F(WjrcPageTest, TheEditorRefusesIncompleteEntriesWithItsMessagesInOrder) {
  TempFolder root(L"editor");
  const std::wstring there = root.path();
  const std::wstring missing = root / L"missing";
  struct Case {
    std::wstring folder;
    int mode;  // 0 given types, 1 everything
    std::wstring types;
    std::wstring message;      // empty: added
    std::wstring folderAfter;  // what the edits hold afterwards
    std::wstring typesAfter;
  };
  const Case cases[] = {
      {L"", 0, L"*.tmp", L"清理目录需要填写！", L"", L"*.tmp"},
      {L"  /  ", 0, L"", L"清理目录需要填写！", L"", L""},
      {there, 0, L"  ", L"清理类型需要填写！", there, L""},
      {missing, 0, L"", L"清理类型需要填写！", missing, L""},
      {missing, 0, L"*.tmp", L"清理目录无效请重新填写！", missing, L"*.tmp"},
      {L"C:/windows", 0, L"*.tmp", L"清理目录无效请重新填写！", L"C:windows", L"*.tmp"},
      {there, 0, L"*.tmp|[a-", L"清理类型格式错误请重新填写！", there, L"*.tmp|[a-"},
      {there, 0, L" | ", L"清理类型格式错误请重新填写！", there, L"|"},
      {L" " + there + L"/ ", 0, L" *.t/mp ", L"", L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder + L" | " + c.types);
    fillEditor(c.folder, 0, c.mode, c.types);
    const int before = self().count();
    ScriptedMsgBox box;
    page().wjrc_selfadd.click();
    if (c.message.empty()) {
      EXPECT_TRUE(box.shown().empty());
      ASSERT_EQ(self().count(), before + 1);
      EXPECT_EQ(rowTexts(before), (std::vector<std::wstring>{there, L"包含", L"指定类型", L"*.tmp", L"ticked"}));
      EXPECT_EQ(self().image(before), kUserFolderRowImage);
      expectEditorReset();
      continue;
    }
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].heading, L"增加失败");
    EXPECT_EQ(box.shown()[0].text, c.message);
    EXPECT_EQ(box.shown()[0].icon, 2);
    EXPECT_EQ(box.shown()[0].buttons, 1);
    EXPECT_EQ(self().count(), before);
    EXPECT_EQ(page().wjrc_selfpath.text(), c.folderAfter);
    EXPECT_EQ(page().wjrc_selftype.text(), c.typesAfter);
  }
}

TEST_F(WjrcPageTest, CleaningEverythingNeedsNoTypesAndKeepsNone) {
  TempFolder root(L"editall");
  fillEditor(root.path(), 1, 1, L"*.tmp");
  EXPECT_FALSE(page().wjrc_selftype.visible());
  ScriptedMsgBox box;
  page().wjrc_selfadd.click();
  EXPECT_TRUE(box.shown().empty());
  ASSERT_EQ(self().count(), 1);
  EXPECT_EQ(rowTexts(0), (std::vector<std::wstring>{root.path(), L"排除", L"全部清理", L"", L"ticked"}));
  expectEditorReset();
}

TEST_F(WjrcPageTest, AddingAFolderTwiceAsksBeforeOverwritingAndKeepsTheTick) {
  TempFolder root(L"dup");
  const std::wstring other = root.folder(L"other");
  addRow(other, true, true, L"*.bak");
  addRow(root.path(), true, true, L"*.log", false);
  struct Step {
    int answer;
    std::vector<std::wstring> row1;
  };
  const Step steps[] = {
      {IDCANCEL, {root.path(), L"包含", L"指定类型", L"*.log", L"not ticked"}},
      {IDOK, {ToLower(root.path()), L"排除", L"指定类型", L"*.tmp", L"not ticked"}},
  };
  for (const Step& s : steps) {
    fillEditor(ToLower(root.path()), 1, 0, L"*.tmp");
    ScriptedMsgBox box;
    box.answer(s.answer);
    page().wjrc_selfadd.click();
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].heading, L"目录重复");
    EXPECT_EQ(box.shown()[0].text, L"您新增的清理目录已存在，是否覆盖？");
    EXPECT_EQ(box.shown()[0].icon, 1);
    EXPECT_EQ(box.shown()[0].buttons, 2);
    ASSERT_EQ(self().count(), 2);
    EXPECT_EQ(rowTexts(1), s.row1);
    EXPECT_EQ(rowTexts(0), (std::vector<std::wstring>{other, L"包含", L"指定类型", L"*.bak", L"ticked"}));
    if (s.answer == IDOK) expectEditorReset();
    else EXPECT_EQ(page().wjrc_selfpath.text(), ToLower(root.path())) << "Cancel leaves the editor as it was";
  }
}

TEST_F(WjrcPageTest, SelectingARowCopiesItIntoTheEditor) {
  page().FlatButton11.click();
  addRow(L"C:\\one", true, true, L"*.tmp|*.log");
  addRow(L"C:\\two", false, false, L"");
  struct Step {
    int select;
    std::vector<std::wstring> editor;  // folder, subfolders, mode, types
    bool typesShown;
  };
  const Step steps[] = {
      {0, {L"C:\\one", L"包含", L"指定类型", L"*.tmp|*.log"}, true},
      {1, {L"C:\\two", L"排除", L"全部清理", L""}, false},
      {-1, {L"", L"包含", L"指定类型", L""}, true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.select);
    self().select(s.select);
    EXPECT_EQ((std::vector<std::wstring>{page().wjrc_selfpath.text(), page().wjrc_selfsub.text(),
                                         page().wjrc_selfmode.text(), page().wjrc_selftype.text()}),
              s.editor);
    EXPECT_EQ(page().wjrc_selftype.visible(), s.typesShown);
  }
  // The mode rule on the user's own choice, and the reset button.
  ChooseComboItem(page().wjrc_selfmode.handle(), 1);
  EXPECT_FALSE(page().wjrc_selftype.visible());
  EXPECT_FALSE(page().wjrc_selftypeLabel.visible());
  ChooseComboItem(page().wjrc_selfmode.handle(), 0);
  EXPECT_TRUE(page().wjrc_selftype.visible());
  fillEditor(L"C:\\three", 1, 1, L"x");
  page().wjrc_selfret.click();
  expectEditorReset();
}

TEST_F(WjrcPageTest, UserRowsAreDeletedAfterAQuestionAndTickedTogether) {
  for (const wchar_t* f : {L"C:\\a", L"C:\\b", L"C:\\c"}) addRow(f, true, true, L"*.tmp", false);
  ScriptedMsgBox box;
  page().wjrc_selfdel.click();
  EXPECT_TRUE(box.shown().empty()) << "nothing highlighted";
  self().setSelected(0, true);
  self().setSelected(2, true);
  box.answer(IDCANCEL);
  page().wjrc_selfdel.click();
  EXPECT_EQ(self().count(), 3);
  box.answer(IDOK);
  page().wjrc_selfdel.click();
  ASSERT_EQ(box.shown().size(), 2u);
  EXPECT_EQ(box.shown()[1].heading, L"目录删除");
  EXPECT_EQ(box.shown()[1].text, L"您“确定”删除当前选中的自定清理项吗？");
  EXPECT_EQ(ListCaptions(self()), std::vector<std::wstring>{L"C:\\b"});

  addRow(L"C:\\d", true, true, L"*.tmp", false);
  page().wjrc_selfsel.click();
  EXPECT_EQ(self().checkedCount(), 2);
  EXPECT_EQ(page().wjrc_selfsel.caption(), L"全否");
  page().wjrc_selfsel.click();
  EXPECT_EQ(self().checkedCount(), 0);
  EXPECT_EQ(page().wjrc_selfsel.caption(), L"全选");
}

TEST_F(WjrcPageTest, ColumnClicksSortAndDragsMoveRowsWithTheirTicks) {
  page().FlatButton11.click();
  addRow(L"C:\\b", true, true, L"*.b");
  addRow(L"C:\\c", true, false, L"");
  addRow(L"C:\\a", false, true, L"*.a", false);
  struct Step {
    const wchar_t* label;
    std::function<void()> act;
    std::vector<std::wstring> order;
  };
  const Step steps[] = {
      {L"sort by folder", [&] { ClickColumn(self(), 0); }, {L"C:\\a", L"C:\\b", L"C:\\c"}},
      {L"again: reversed", [&] { ClickColumn(self(), 0); }, {L"C:\\c", L"C:\\b", L"C:\\a"}},
      // "排除" above "包含" by code; rows with equal texts keep their order.
      {L"sort by subfolders", [&] { ClickColumn(self(), 1); }, {L"C:\\a", L"C:\\c", L"C:\\b"}},
      {L"drag the first onto the last", [&] { DragRow(self(), 0, 2); }, {L"C:\\c", L"C:\\b", L"C:\\a"}},
      {L"drag the last onto the first", [&] { DragRow(self(), 2, 0); }, {L"C:\\a", L"C:\\c", L"C:\\b"}},
      {L"drag below the rows", [&] { DragRow(self(), 0, -1); }, {L"C:\\c", L"C:\\b", L"C:\\a"}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.label);
    s.act();
    EXPECT_EQ(ListCaptions(self()), s.order);
    for (int i = 0; i < self().count(); ++i) EXPECT_EQ(self().checked(i), self().text(i, 0) != L"C:\\a");
  }
  EXPECT_EQ(self().selected(), 2) << "the moved row stays selected";
}

TEST_F(WjrcPageTest, ARunningScanLocksTheUserListOnceItGetsThere) {
  TempFolder root(L"lock");
  root.file(L"x.tmp");
  addRow(root.path(), true, false, L"");
  addRow(L"C:\\zz", true, true, L"*.tmp", false);
  page().FlatButton11.click();
  bool checked = false;
  StatusHook during([&](std::wstring_view text) {
    if (checked || !ContainsNoCase(text, root.path())) return;
    checked = true;
    EXPECT_FALSE(page().wjrc_selfadd.enabled());
    EXPECT_FALSE(page().wjrc_selfdel.enabled());
    EXPECT_TRUE(page().wjrc_selfsel.enabled());
    const std::vector<std::wstring> order = {root.path(), L"C:\\zz"};
    DragRow(self(), 0, 1);
    EXPECT_EQ(ListCaptions(self()), order) << "dragged during the scan";
    ClickColumn(self(), 0);
    EXPECT_EQ(ListCaptions(self()), order) << "sorted during the scan";
  });
  page().wjrc_sm.click();
  EXPECT_TRUE(checked);
  EXPECT_EQ(page().wjrc_results.size(), 1u);
  EXPECT_TRUE(page().wjrc_selfadd.enabled());
  EXPECT_TRUE(page().wjrc_selfdel.enabled());
  DragRow(self(), 0, 1);
  EXPECT_EQ(ListCaptions(self()), (std::vector<std::wstring>{L"C:\\zz", root.path()}));
}

TEST_F(WjrcPageTest, TheUserListIsReadWhenTheScanReachesIt) {
  TempFolder root(L"late");
  const std::wstring x = root.file(L"x.tmp");
  // A row added while the scan is still on an earlier item is scanned too.
  page().wjrc_select.setChecked(2, true);  // the system logs first (the Windows folder is always there)
  bool added = false;
  StatusHook during([&](std::wstring_view text) {
    if (added || text.rfind(L"已扫描到", 0) != 0) return;
    added = true;
    EXPECT_TRUE(page().wjrc_selfadd.enabled());
    fillEditor(root.path(), 0, 1, L"");
    page().wjrc_selfadd.click();
  });
  page().wjrc_sm.click();
  ASSERT_TRUE(added);
  EXPECT_GE(RowIndex(page().wjrc_results, x), 0);
}

}  // namespace
}  // namespace wv::test
