// The daily-file page in the real main window: a scan of user-defined folders
// and its removal, the user-defined list's editor, and what a running scan locks.

#include <gtest/gtest.h>

#include <algorithm>

#include "app/appfixture.h"
#include "cleaning/cleanpage.h"
#include "cleaning/cleaning_fixtures.h"
#include "cleaning/removal.h"
#include "cleaning/wjrcline.h"
#include "cleaning/wjrcpage.h"
#include "core/text.h"
#include "support/testsupport.h"

namespace wv::test {
namespace {

class WjrcPageTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    // Only the user's folders: the other items would clean the prefix's real folders.
    for (int i = 0; i < page().wjrc_select.count(); ++i) page().wjrc_select.setChecked(i, i == 4);
  }
  WjrcPage& page() { return form->page<WjrcPage>(); }
  ListView& self() { return page().wjrc_selflist; }
  void addRow(const std::wstring& folder, bool sub, bool given, const std::wstring& types, bool ticked = true) {
    self().appendRow(UserCleanFolderRow(UserCleanFolder{ticked, folder, sub, given, types}));
  }
  // The editor as the user fills it (index 0: "包含", "指定类型"), then "增加".
  void add(const std::wstring& folder, int sub, int mode, const std::wstring& types) {
    page().wjrc_selfpath.setText(folder);
    page().wjrc_selfsub.setIndex(sub);
    page().wjrc_selfmode.setIndex(mode);
    page().wjrc_selftype.setText(types);
    page().wjrc_selfadd.click();
  }
  std::vector<std::wstring> rowTexts(int row) {
    const ListRow r = self().row(row);
    return {r.caption, r.column(1), r.column(2), r.column(3), r.checked ? L"ticked" : L"not ticked"};
  }
  std::vector<std::wstring> editor() {
    return {page().wjrc_selfpath.text(), page().wjrc_selfsub.text(), page().wjrc_selfmode.text(),
            page().wjrc_selftype.text()};
  }

  TestShell shell;
};

TEST_F(WjrcPageTest, AUserFolderScanListsFilesAndWasteFoldersAndRemovalTakesBoth) {
  Planted t(L"daily");
  const std::wstring a = t.file(L"a.log", 700), b = t.file(L"sub\\b.tmp", 300), c = t.file(L"sub\\deep\\c.dat", 1);
  const std::wstring held = t.file(L"busy\\d.tmp");
  t.folder(L"empty");
  addRow(t.root(), true, false, L"");
  addRow(t / L"gone", true, false, L"");  // a folder that no longer exists is skipped
  {
    UniqueFile busy = Hold(held);
    ASSERT_TRUE(busy.valid());
    page().wjrc_sm.click();
  }
  const RowModel& rows = page().wjrc_results;
  std::vector<std::wstring> got = Captions(rows.rows());
  std::vector<std::wstring> want = {a, b, c, t / L"sub", t / L"sub\\deep", t / L"empty"};
  std::sort(got.begin(), got.end());
  std::sort(want.begin(), want.end());
  EXPECT_EQ(got, want) << "busy\\ keeps a file in use, so it is no waste";
  EXPECT_LT(RowIndex(rows, t / L"sub\\deep"), RowIndex(rows, t / L"sub"));
  EXPECT_EQ(rows.at(static_cast<std::size_t>(RowIndex(rows, t / L"empty"))).column(1), kWasteFolderText);
  EXPECT_EQ(form->zdk_runinfo.text(), L"扫描到符合条件的垃圾文件或目录共 6 项,占用 " + FormatSize(1001) + L" 硬盘空间");
  EXPECT_TRUE(page().wjrc_delsel.enabled() && page().wjrc_delall.enabled() && page().wjrc_selfadd.enabled());
  EXPECT_EQ(page().wjrc_runstate, 0);

  // Delete directly, everything: the files, then the folders, in one operation.
  page().wjrc_scsz.select(0);
  page().wjrc_delall.click();
  ASSERT_EQ(shell.calls.size(), 1u);
  const std::vector<std::wstring>& sources = shell.calls[0].sources;
  ASSERT_EQ(sources.size(), 6u);
  EXPECT_TRUE(std::is_partitioned(sources.begin(), sources.end(),
                                  [&](const std::wstring& s) { return s == a || s == b || s == c; }));
  EXPECT_TRUE(rows.empty());
  EXPECT_EQ(form->zdk_runinfo.text(), kDailyCleanedText);
  for (const std::wstring& gone : {a, b, c, t / L"sub", t / L"empty"}) EXPECT_FALSE(PathExists(gone)) << gone;
  EXPECT_TRUE(PathExists(held));
  EXPECT_TRUE(PathExists(t.root())) << "the folder itself is never removed";
}

TEST_F(WjrcPageTest, TheEditorAddsCompleteEntriesAndRefusesOthersWithItsMessagesInOrder) {
  Planted t(L"editor");
  const std::wstring there = t.root(), other = t.folder(L"other"), missing = t / L"missing";
  struct Case {
    std::wstring folder;
    int sub, mode;
    std::wstring types;
    std::wstring message;              // empty: added
    std::vector<std::wstring> result;  // the new row, or what the editor holds after the refusal
  };
  const Case cases[] = {
      {L"  /  ", 0, 0, L"*.tmp", L"清理目录需要填写！", {L"", L"包含", L"指定类型", L"*.tmp"}},
      {missing, 0, 0, L"  ", L"清理类型需要填写！", {missing, L"包含", L"指定类型", L""}},
      {missing, 0, 0, L"*.tmp", L"清理目录无效请重新填写！", {missing, L"包含", L"指定类型", L"*.tmp"}},
      {L"C:/windows", 0, 0, L"*.tmp", L"清理目录无效请重新填写！", {L"C:windows", L"包含", L"指定类型", L"*.tmp"}},
      {there, 0, 0, L"*.tmp|[a-", L"清理类型格式错误请重新填写！", {there, L"包含", L"指定类型", L"*.tmp|[a-"}},
      {L" " + there + L"/ ", 0, 0, L" *.t/mp ", L"", {there, L"包含", L"指定类型", L"*.tmp", L"ticked"}},
      {other, 1, 1, L"*.tmp", L"", {other, L"排除", L"全部清理", L"", L"ticked"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder + L" | " + c.types);
    const int before = self().count();
    ScriptedMsgBox box;
    add(c.folder, c.sub, c.mode, c.types);
    if (c.message.empty()) {
      EXPECT_TRUE(box.shown().empty());
      ASSERT_EQ(self().count(), before + 1);
      EXPECT_EQ(rowTexts(before), c.result);
      EXPECT_EQ(editor(), (std::vector<std::wstring>{L"", L"包含", L"指定类型", L""})) << "the editor is reset";
      continue;
    }
    EXPECT_EQ(Shown(box), std::vector<std::wstring>{L"增加失败 2 1 " + c.message});
    EXPECT_EQ(self().count(), before);
    EXPECT_EQ(editor(), c.result);
  }
}

// Cancel leaves row and editor as they were; OK overwrites the row, keeping its tick.
TEST_F(WjrcPageTest, AddingAFolderTwiceOverwritesItsRowOnlyAfterAYes) {
  Planted t(L"dup");
  addRow(t.root(), true, true, L"*.log", false);
  const std::vector<std::wstring> before = rowTexts(0);
  for (const int answer : {IDCANCEL, IDOK}) {
    SCOPED_TRACE(answer);
    ScriptedMsgBox box;
    box.answer(answer);
    add(ToLower(t.root()), 1, 0, L"*.tmp");
    EXPECT_EQ(Shown(box), std::vector<std::wstring>{L"目录重复 1 2 您新增的清理目录已存在，是否覆盖？"});
    ASSERT_EQ(self().count(), 1);
    if (answer == IDCANCEL) {
      EXPECT_EQ(rowTexts(0), before);
      EXPECT_EQ(editor(), (std::vector<std::wstring>{ToLower(t.root()), L"排除", L"指定类型", L"*.tmp"}));
    } else {
      EXPECT_EQ(rowTexts(0),
                (std::vector<std::wstring>{ToLower(t.root()), L"排除", L"指定类型", L"*.tmp", L"not ticked"}));
      EXPECT_EQ(editor(), (std::vector<std::wstring>{L"", L"包含", L"指定类型", L""}));
    }
  }
}

// A selected row fills the editor; "全部清理" hides the types; "重置" empties it;
// deleting asks first.
TEST_F(WjrcPageTest, TheEditorFollowsTheSelectedRowAndDeletesAfterTheQuestion) {
  addRow(L"C:\\a", true, true, L"*.tmp|*.log");
  addRow(L"C:\\b", false, false, L"");
  auto typesShown = [&] { return page().wjrc_selftype.visible(); };
  self().select(1);
  EXPECT_EQ(editor(), (std::vector<std::wstring>{L"C:\\b", L"排除", L"全部清理", L""}));
  EXPECT_FALSE(typesShown());
  self().select(0);
  EXPECT_EQ(editor(), (std::vector<std::wstring>{L"C:\\a", L"包含", L"指定类型", L"*.tmp|*.log"}));
  EXPECT_TRUE(typesShown());
  // The user picks "全部清理" in the combo.
  page().wjrc_selfmode.setIndex(1);
  HWND combo = page().wjrc_selfmode.handle();
  SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  EXPECT_FALSE(typesShown());
  page().wjrc_selfret.click();
  EXPECT_EQ(editor(), (std::vector<std::wstring>{L"", L"包含", L"指定类型", L""}));
  EXPECT_TRUE(typesShown());

  const std::wstring ask = L"目录删除 1 2 您“确定”删除当前选中的自定清理项吗？";
  for (const int answer : {IDCANCEL, IDOK}) {
    self().select(0);
    ScriptedMsgBox box;
    box.answer(answer);
    page().wjrc_selfdel.click();
    EXPECT_EQ(Shown(box), std::vector<std::wstring>{ask});
    const std::vector<std::wstring> left = answer == IDOK ? std::vector<std::wstring>{L"C:\\b"}
                                                          : std::vector<std::wstring>{L"C:\\a", L"C:\\b"};
    EXPECT_EQ(Captions(self().rows()), left);
  }
  self().selectAll(false);
  ScriptedMsgBox none;
  page().wjrc_selfdel.click();
  EXPECT_TRUE(none.shown().empty()) << "nothing highlighted, nothing asked";
}

// An item's tick counts when the scan reaches the item: ticking or unticking the
// user-defined item while the system logs are scanned takes effect in that scan.
TEST_F(WjrcPageTest, AnItemsTickIsReadWhenTheScanReachesIt) {
  Planted t(L"ticks");
  const std::wstring x = t.file(L"x.tmp");
  addRow(t.root(), true, false, L"");
  for (const bool tickedAtStart : {true, false}) {
    SCOPED_TRACE(tickedAtStart ? "unticked during the scan" : "ticked during the scan");
    page().wjrc_select.setChecked(2, true);
    page().wjrc_select.setChecked(4, tickedAtStart);
    bool changed = false;
    StatusHook during([&](std::wstring_view text) {
      if (changed || text.rfind(L"已扫描到", 0) != 0) return;
      changed = true;
      page().wjrc_select.setChecked(4, !tickedAtStart);
    });
    page().wjrc_sm.click();
    ASSERT_TRUE(changed);
    EXPECT_EQ(RowIndex(page().wjrc_results, x) >= 0, !tickedAtStart);
  }
}

// The user's list is read when the scan gets to it; from then on it is locked.
TEST_F(WjrcPageTest, ARunningScanReadsTheUserListLateAndLocksIt) {
  Planted t(L"lock");
  const std::wstring x = t.file(L"x.tmp");
  addRow(L"C:\\zz", true, true, L"*.none", false);
  page().wjrc_select.setChecked(2, true);  // the system logs first (the Windows folder is always there)
  bool added = false, locked = false;
  StatusHook during([&](std::wstring_view text) {
    if (!added && text.rfind(L"已扫描到", 0) == 0) {
      added = true;
      EXPECT_TRUE(page().wjrc_selfadd.enabled());
      add(t.root(), 0, 1, L"");
    } else if (!locked && ContainsNoCase(text, t.root())) {
      locked = true;
      EXPECT_FALSE(page().wjrc_selfadd.enabled());
      EXPECT_FALSE(page().wjrc_selfdel.enabled());
      DragRow(self(), 0, 1);
      ClickColumn(self(), 0);
      EXPECT_EQ(Captions(self().rows()), (std::vector<std::wstring>{L"C:\\zz", t.root()})) << "sorted or dragged";
    }
  });
  page().wjrc_sm.click();
  ASSERT_TRUE(added && locked);
  EXPECT_GE(RowIndex(page().wjrc_results, x), 0);
  EXPECT_TRUE(page().wjrc_selfadd.enabled() && page().wjrc_selfdel.enabled());
  // Idle again: a drag moves the row with its tick.
  DragRow(self(), 0, 1);
  EXPECT_EQ(Captions(self().rows()), (std::vector<std::wstring>{t.root(), L"C:\\zz"}));
  EXPECT_TRUE(self().checked(0));
  EXPECT_FALSE(self().checked(1));
}

}  // namespace
}  // namespace wv::test
