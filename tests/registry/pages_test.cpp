// The registry pages, the backup manager and the startup page in the real main
// window, against the prefix's registry editor, startup folder and Run key.
#include <gtest/gtest.h>

#include <tuple>

#include "support/app_fixture.h"
#include "pages/cleaning/startup_page.h"
#include "platform/text.h"
#include "platform/win32/win32_platform.h"
#include "pages/registry/backup_manager_page.h"
#include "registry/fixtures.h"
#include "pages/registry/redundancy_page.h"
#include "pages/registry/registry_traces_page.h"

namespace wv::test {
namespace {

const std::wstring kRun = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// What the registry editor was made to type: into its key tree and its value list.
struct EditorShell : Win32Shell {
  static HWND At(std::uintptr_t n) { return reinterpret_cast<HWND>(n); }  // 1: the editor, 2: its tree, 3: its list
  std::wstring tree, list;
  HWND findWindow(std::wstring_view) override { return At(1); }
  HWND findChild(HWND, std::wstring_view name) override {
    return At(name == L"SysTreeView32" ? 2 : name == L"SysListView32" ? 3 : 0);
  }
  void showAndActivate(HWND) override {}
  void sendKeyDown(HWND window, unsigned key) override {
    if (window == At(3) && key == VK_HOME) list += L"<home>";
    if (window == At(2) && key == VK_RIGHT) tree += L'\\';
  }
  void sendChar(HWND window, wchar_t ch) override { (window == At(2) ? tree : list) += ch; }
  void sleep(unsigned) override {}
};

class Pages : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form->setBackupBase(base_.path());
  }
  RedundancyPage& zcql() { return form->page<RedundancyPage>(); }
  BackupManagerPage& manager() { return form->page<BackupManagerPage>(); }
  std::wstring key() const { return L"\\" + temp_.path(); }
  int row(const RegistryResults& r, std::wstring_view keyPath, std::wstring_view valueName = {}) {
    for (std::size_t i = 0; i < r.size(); ++i)
      if (r.entry(i).keyPath == keyPath && r.entry(i).valueName == valueName) return static_cast<int>(i);
    return -1;
  }
  int row(std::wstring_view valueName) { return row(zcql().zcql_results, key(), valueName); }
  int row(ListView& list, std::wstring_view caption, int column = 0) {
    for (int i = 0; i < list.count(); ++i)
      if (list.text(i, column) == caption) return i;
    return -1;
  }
  bool hasValue(std::wstring_view name) { return RawValue(kCU, key(), name).has_value(); }
  bool zcqlUsable() {
    return form->sideBarEnabled() && zcql().zcql_sm.caption() == L"扫描" && zcql().zcql_runstate == 0 &&
           zcql().zcql_bf.enabled() && zcql().zcql_hy.enabled();
  }
  void answers(std::initializer_list<int> buttons) {
    for (const int b : buttons) boxes_.answer(b);
  }
  // What the registry editor was made to type when the list's row was opened: "tree|list".
  std::wstring opened(OwnerDataListView& list, int row, const std::function<void()>& dblClick) {
    EditorShell editor;
    Substitute<Shell> use(&Platform::shell, editor);
    list.select(row);
    dblClick();
    return editor.tree + L"|" + editor.list;
  }
  std::vector<std::wstring> records(const std::wstring& dir, const wchar_t* section) {
    return Ini().sectionLines(dir + L"BackupInfo.ZINF", section);
  }

  TempFolder base_{L"backup base "}, folder_{L"pages"};
  TempKey temp_{L"pages"};
  std::wstring gone_ = folder_ / L"gone.exe";
  Planted plant_;
  ScriptedMsgBox boxes_;
};

TEST_F(Pages, RedundancyPageStopsScansDeletesOwnValuesAndOpensThem) {
  for (const wchar_t* name : {L"", L"REG_D-E-F", L"a", L"b"}) plant_.text(kCU, key(), name, gone_);
  for (int i = 0; i < 20; ++i) plant_.text(kCU, key() + L"\\K" + std::to_wstring(i), L"v", gone_);
  bool pressed = false;
  {
    StatusHook during([&](std::wstring_view) {
      if (pressed || zcql().zcql_results.size() < 2) return;
      pressed = true;
      EXPECT_EQ(zcql().zcql_sm.caption(), L"停止");
      for (Button* b : {&zcql().zcql_delsel, &zcql().zcql_delall, &zcql().zcql_bf, &zcql().zcql_hy})
        EXPECT_FALSE(b->enabled() || form->sideBarEnabled());
      zcql().zcql_sm.click();  // the stop press, handled while the scan drains messages
    });
    form->sideBar.button(Module::Redundancy).click();
    for (int i = 0; i < zcql().zcql_select.count(); ++i) zcql().zcql_select.setChecked(i, i == 0);  // the user's hive
    for (Button* b : {&zcql().zcql_delsel, &zcql().zcql_delall}) b->setEnabled(true);  // as an earlier scan leaves them
    zcql().zcql_sm.click();
  }
  const RegistryResults& results = zcql().zcql_results;
  EXPECT_TRUE(pressed && results.size() >= 2u && results.size() < 24u) << "the rows found before the stop are kept";
  EXPECT_TRUE(zcqlUsable());
  zcql().zcql_sm.click();
  ASSERT_EQ(results.size(), 24u);
  ASSERT_TRUE(row(L"") >= 0 && row(L"REG_D-E-F") >= 0);
  EXPECT_EQ(form->statusLine.text(), L"扫描到符合条件的注册表冗余信息共 24 项");
  EXPECT_TRUE(zcqlUsable() && zcql().zcql_delsel.enabled() && zcql().zcql_delall.enabled());

  // The value really named like the marker opens and deletes as itself; the first step opens the computer node.
  EXPECT_EQ(opened(zcql().zcql_showlist, row(L"REG_D-E-F"), [&] { zcql().zcql_showlistDblClick(); }),
            L"\\HKEY_CURRENT_USER" + key() + L"|<home>REG_D-E-F");
  plant_.text(kCU, key(), L"a", gone_ + L".new");  // changed since the scan
  zcql().zcql_showlist.select(-1);
  zcql().zcql_delsel.click();
  EXPECT_TRUE(boxes_.shown().empty()) << "nothing selected, nothing asked";
  for (const int answer : {IDCANCEL, IDOK}) {
    zcql().zcql_showlist.select(row(L"REG_D-E-F"));
    zcql().zcql_showlist.setSelected(row(L"a"), true);
    boxes_.answer(answer);
    zcql().zcql_delsel.click();
    EXPECT_EQ(boxes_.shown().back().text, L"您“确定”删除当前选中的注册表冗余信息吗？（提醒：删除前最好先备份注册表！）");
    EXPECT_EQ(std::pair(hasValue(L"REG_D-E-F"), row(L"REG_D-E-F") >= 0), std::pair(answer == IDCANCEL, answer == IDCANCEL));
  }
  EXPECT_TRUE(hasValue(L"") && hasValue(L"a")) << "the unnamed value is another value; a changed since the scan";
  ASSERT_EQ(zcql().zcql_showlist.count(), static_cast<int>(results.size()));
  for (std::size_t i = 0; i < results.size(); ++i)  // each line still shows its own row
    EXPECT_EQ(results.model().at(i).column(2), ValueNameCell(results.entry(i)));
  boxes_.answer(IDOK);
  zcql().zcql_delall.click();
  EXPECT_FALSE(!results.empty() || zcql().zcql_showlist.count() || hasValue(L"") || hasValue(L"b") ||
               zcql().zcql_delsel.enabled() || zcql().zcql_delall.enabled());
  EXPECT_EQ(form->statusLine.text(), L"所有扫描到的注册表冗余信息已清理完成");
}

// A missing uninstaller: a key row that opens no value and deletes the whole entry.
TEST_F(Pages, DailyPageKeyRows) {
  form->sideBar.button(Module::RegistryTraces).click();
  RegistryTracesPage& zcrc = form->page<RegistryTracesPage>();
  const std::wstring un = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantorra" +
                          std::to_wstring(GetCurrentProcessId());
  plant_.text(kLM, un, L"UninstallString", gone_ + L" /x");
  plant_.text(kLM, un + L"\\Sub", L"a", L"b");
  for (int i = 0; i < zcrc.zcrc_select.count(); ++i) zcrc.zcrc_select.setChecked(i, i == 6);
  zcrc.zcrc_sm.click();
  const int mine = row(zcrc.zcrc_results, un);
  ASSERT_GE(mine, 0);
  EXPECT_EQ(opened(zcrc.zcrc_showlist, mine, [&] { zcrc.zcrc_showlistDblClick(); }), L"\\HKEY_LOCAL_MACHINE" + un + L"|")
      << "a key row selects no value";
  for (const int answer : {IDCANCEL, IDOK}) {
    boxes_.answer(answer);
    zcrc.zcrc_showlist.select(mine);
    zcrc.zcrc_delsel.click();
    EXPECT_EQ(boxes_.shown().back().text, L"您“确定”删除当前选中的注册表冗余信息吗？");
    EXPECT_EQ(Reg().keyExists(kLM, un + L"\\Sub"), answer == IDCANCEL);
  }
  EXPECT_FALSE(Reg().keyExists(kLM, un));
}

TEST_F(Pages, RegistryBackupsTakenListedAndDeletedFromTheRedundancyPageAndAnotherBaseFolderListed) {
  form->setActivePage(zcql());
  {  // the editor cannot be started: the failure is reported and the page is usable again
    struct NoEditor : Win32Shell {
      UniqueHandle start(std::wstring_view, std::wstring_view, int) override { return {}; }
    } shell;
    Substitute<Shell> swap(&Platform::shell, shell);
    boxes_.answer(IDOK);
    zcql().zcql_bf.click();
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(std::tie(boxes_.shown()[0].heading, boxes_.shown()[0].icon), std::tuple(L"备份失败", 2));
    EXPECT_TRUE(zcqlUsable() && records(form->registryBackupFolder, L"FileBackup").empty());
  }
  manager().bfgl_chxSelCom.setChecked(true);
  manager().bfgl_cbxComSta.setIndex(2);
  boxes_.answer(IDOK);
  zcql().zcql_bf.click();
  EXPECT_EQ(boxes_.shown().back().heading, L"备份成功");
  zcql().zcql_hy.click();
  ListView& list = manager().bfgl_showlist;
  EXPECT_EQ(&form->activePage(), &manager());
  ASSERT_EQ(list.count(), 1);
  EXPECT_TRUE(list.image(0) == 11 && list.text(0, 1).ends_with(L".reg.zcom"));
  EXPECT_FALSE(manager().bfgl_btnBack.enabled() || manager().bfgl_btnDelSel.enabled());
  // The archive goes away outside the program: listed as missing, and its record can still be deleted.
  RemoveTree(form->registryBackupFolder + std::wstring(ExtractFileName(list.text(0, 4))));
  manager().RefreshBackupList();
  EXPECT_EQ(list.image(0), 12);
  list.select(0);
  boxes_.answer(IDOK);
  manager().bfgl_btnDelSel.click();
  EXPECT_TRUE(list.count() == 0 && records(form->registryBackupFolder, L"FileBackup").empty());

  // The folder browser answers another base folder: its backups are listed, unless the change is declined.
  struct PickingShell : Win32Shell {
    std::wstring answer;
    std::wstring browseForFolder(HWND, std::wstring_view, std::wstring_view, std::wstring_view) override { return answer; }
  } shell;
  TempFolder other(L"other base");
  ASSERT_TRUE(WriteRecord(form->registryBackupFolder, L"FileBackup", form->registryBackupFolder + L"Reg_old.reg"));
  Substitute<Shell> swap(&Platform::shell, shell);
  for (const auto& [folder, answer, listed] : {std::tuple{other.path(), IDOK, 0}, std::tuple{base_.path(), IDCANCEL, 0},
                                               std::tuple{base_.path(), IDOK, 1}}) {
    shell.answer = folder;
    boxes_.answer(answer);
    manager().bfgl_btnPathSel.click();
    EXPECT_EQ(list.count(), listed);
  }
  EXPECT_EQ(form->startupBackupFolder, base_.path() + L"\\AutoRun\\");
}

// A clean from the page is written down before anything goes and taken back from the
// manager through the registry editor: every type and byte as it was, and no more.
TEST_F(Pages, ACleanFromThePageIsTakenBackFromTheManager) {
  std::vector<std::uint8_t> blob(200);
  for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<std::uint8_t>(i * 7);
  const std::wstring tree = key() + L"\\tree";
  const std::tuple<std::wstring, std::wstring, RegRawValue> values[] = {
      {key(), L"", {REG_EXPAND_SZ, TextBytes(L"%TEMP%")}},
      {key(), L"sz", {REG_SZ, TextBytes(L"C:\\路径\\a.exe \"quoted\"")}},
      {key(), L"expand", {REG_EXPAND_SZ, TextBytes(L"%SystemRoot%\\x")}},
      {key(), L"multi", {REG_MULTI_SZ, TextBytes(std::wstring_view(L"one\0two\0\0", 9), false)}},
      {key(), L"qword", {REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}}},
      {key(), L"dword", {REG_DWORD, {0xff, 0, 0, 0x7f}}},
      {key(), L"binary", {REG_BINARY, blob}},  // wrapped over many lines
      {key(), L"empty", {REG_BINARY, {}}},
      {key(), L"na=me \"q\" \\", {REG_SZ, TextBytes(L"odd name")}},
      {key(), L"lines", {REG_SZ, TextBytes(L"a\r\nb")}},  // the quoted form cannot carry it
      {tree, L"", {REG_SZ, TextBytes(L"默认值")}},
      {tree, L"n", {REG_DWORD, {2, 0, 0, 0}}},
      {tree + L"\\child\\grandchild", L"deep", {REG_QWORD, {9, 0, 0, 0, 0, 0, 0, 1}}},
      {tree + L"\\empty child", L"", {REG_SZ, TextBytes(L"")}},
  };
  for (const auto& [path, name, value] : values) plant_.raw(kCU, path, name, value);
  plant_.text(kCU, key(), L"stays", L"not a row");
  form->sideBar.button(Module::Redundancy).click();
  RegistryResults& results = zcql().zcql_results;
  for (const auto& [path, name, value] : values) {
    RegistryRow row;
    std::tie(row.keyPath, row.valueName, row.value) = std::tie(path, name, value);
    if (path == key()) results.add(std::move(row), kRedundancyRowImage);
  }
  RegistryRow treeRow;
  std::tie(treeRow.keyPath, treeRow.kind) = std::tuple(tree, RegRowKind::Key);
  ASSERT_TRUE(Reg().openKey(kCU, tree)->info(treeRow.keyState));
  results.add(std::move(treeRow), kRedundancyRowImage);
  const std::size_t rows = results.size();
  zcql().zcql_showlist.flush();
  zcql().zcql_delall.setEnabled(true);  // as the end of a scan leaves it
  auto all = [&](bool there) {
    for (const auto& [path, name, value] : values)
      EXPECT_EQ(RawValue(kCU, path, name), there ? std::optional(value) : std::nullopt) << ToUtf8(path + L"|" + name);
  };

  // The undo file cannot be written: nothing is deleted, and the user is told why.
  const std::wstring regDir = form->registryBackupFolder;
  form->registryBackupFolder = base_.file(L"blocker") + L"\\Registry\\";
  boxes_.answer(IDOK);
  zcql().zcql_delall.click();
  ASSERT_EQ(boxes_.shown().size(), 2u);
  EXPECT_TRUE(boxes_.shown()[1].heading == L"删除失败" && boxes_.shown()[1].text.find(L"未删除任何项目") != std::wstring::npos);
  EXPECT_EQ(results.size(), rows);
  all(true);

  form->registryBackupFolder = regDir;  // not made yet: the clean makes it
  boxes_.answer(IDOK);
  zcql().zcql_delall.click();
  EXPECT_TRUE(boxes_.shown().size() == 3u && results.empty()) << "the question alone";
  all(false);
  EXPECT_FALSE(Reg().keyExists(kCU, tree));
  plant_.text(kCU, key(), L"stays", L"changed after the clean");

  zcql().zcql_hy.click();
  ListView& list = manager().bfgl_showlist;
  ASSERT_EQ(list.count(), 1);
  EXPECT_TRUE(list.text(0, 1).starts_with(L"RegUndo_"));
  list.select(0);
  answers({IDOK, IDOK});
  manager().bfgl_showlistDblClick();
  EXPECT_EQ(boxes_.shown().back().heading, L"恢复成功");
  EXPECT_TRUE(&form->activePage() == &zcql() && form->sideBarEnabled() && zcql().zcql_sm.enabled());
  all(true);
  EXPECT_EQ(RawValue(kCU, key(), L"stays"), (RegRawValue{REG_SZ, TextBytes(L"changed after the clean")}));
  EXPECT_EQ(Reg().openKeyReadOnly(kCU, tree)->valueNames().size(), 2u) << "nothing more than was there";
}

TEST_F(Pages, StartupItemsRemovedRestoredFromTheManagerAndTheirBackupsDeleted) {
  const std::wstring startup = form->knownFolders.StartupDir;
  ASSERT_TRUE(Fs().createFolderTree(startup));
  const std::wstring valueName = L"WvPage" + std::to_wstring(GetCurrentProcessId()), fileName = valueName + L".lnk";
  plant_.file(startup + L"\\" + fileName, "shortcut");
  plant_.text(kCU, kRun, valueName, L"\"C:\\a b\\tool.exe\" /x=1");
  form->sideBar.button(Module::Startup).click();
  StartupPage& qdsz = form->page<StartupPage>();
  ListView& items = qdsz.qdsz_showlist;
  const int count = items.count(), fileRow = row(items, fileName), valueRow = row(items, valueName);
  ASSERT_TRUE(fileRow >= 0 && valueRow >= 0);
  EXPECT_EQ(items.text(valueRow, 3), L"HKEY_CURRENT_USER" + kRun);
  items.setChecked(fileRow, true);
  items.setChecked(valueRow, true);
  items.select(0);  // highlighting is not ticking
  qdsz.qdsz_autoseldel.click();
  EXPECT_EQ(items.count(), count - 2);
  EXPECT_FALSE(PathExists(startup + L"\\" + fileName) || RawValue(kCU, kRun, valueName));

  qdsz.qdsz_autohf.click();
  ListView& list = manager().bfgl_showlist;
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.text(0, 1) + L"|" + list.text(1, 1), fileName + L"|" + valueName);
  // A selected file whose copy is gone stops the restore with a warning, without a page change.
  RemoveTree(form->startupBackupFolder + fileName);
  manager().RefreshBackupList();
  list.selectAll(true);
  answers({IDOK, IDOK});
  manager().bfgl_btnBack.click();
  EXPECT_EQ(boxes_.shown().back().text, L"您选择的备份记录已不存在！");
  EXPECT_TRUE(&form->activePage() == &manager() && !RawValue(kCU, kRun, valueName)) << "after the stop: untouched";
  list.selectAll(false);
  list.select(1);
  answers({IDOK, IDOK});
  manager().bfgl_btnBack.click();
  EXPECT_EQ(boxes_.shown().back().text, L"您选择的启动项目备份已成功恢复！");
  EXPECT_TRUE(&form->activePage() == &qdsz && RawValue(kCU, kRun, valueName));
  EXPECT_EQ(items.count(), count - 1);  // the startup list was read again

  // Sorting by a column reverses on the second click and keeps each row's item.
  qdsz.qdsz_showlistColumnClick(0);
  const std::wstring first = items.text(0, 0);
  qdsz.qdsz_showlistColumnClick(0);
  EXPECT_EQ(items.text(items.count() - 1, 0), first);
  items.setChecked(row(items, valueName), true);
  qdsz.qdsz_autoseldel.click();
  EXPECT_FALSE(RawValue(kCU, kRun, valueName).has_value());
  EXPECT_EQ(items.count(), count - 2);

  qdsz.qdsz_autohf.click();
  EXPECT_EQ(list.count(), 2) << "the value removed twice keeps one record";
  boxes_.answer(IDOK);
  manager().bfgl_btnDelAll.click();
  EXPECT_EQ(list.count(), 0);
  EXPECT_TRUE(records(form->startupBackupFolder, L"FileBackup").empty() && records(form->startupBackupFolder, L"RegBackup").empty());
}

}  // namespace
}  // namespace wv::test
