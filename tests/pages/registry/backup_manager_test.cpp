// The backup manager in the real main window, opened from the redundancy page
// (registry backups taken, cleans undone) and from the startup page (startup
// items removed, restored and their backups deleted).
#include <gtest/gtest.h>

#include <tuple>

#include "pages/registry/registry_pages_fixture.h"
#include "platform/text.h"

namespace wv::test {
namespace {

TEST_F(RegistryPages, RegistryBackupsTakenListedAndDeletedFromTheRedundancyPageAndAnotherBaseFolderListed) {
  form->setActivePage(redundancyPage());
  {  // the editor cannot be started: the failure is reported and the page is usable again
    struct NoEditor : Win32Shell {
      UniqueHandle start(std::wstring_view, std::wstring_view, int) override { return {}; }
    } shell;
    Substitute<Shell> swap(&Platform::shell, shell);
    boxes_.answer(IDOK);
    redundancy().backupButton.click();
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(std::tie(boxes_.shown()[0].heading, boxes_.shown()[0].icon), std::tuple(L"备份失败", 2));
    EXPECT_TRUE(redundancyUsable() && records(form->registryBackupFolder, L"FileBackup").empty());
  }
  manager().compressCheck.setChecked(true);
  manager().levelCombo.setIndex(2);
  boxes_.answer(IDOK);
  redundancy().backupButton.click();
  EXPECT_EQ(boxes_.shown().back().heading, L"备份成功");
  redundancy().restoreButton.click();
  ListView& list = manager().backupList;
  EXPECT_EQ(&form->activePage(), &managerPage());
  ASSERT_EQ(list.count(), 1);
  EXPECT_TRUE(list.image(0) == 11 && list.text(0, 1).ends_with(L".reg.zcom"));
  EXPECT_FALSE(manager().restoreButton.enabled() || manager().deleteSelectedButton.enabled());
  // The archive goes away outside the program: listed as missing, and its record can still be deleted.
  RemoveTree(form->registryBackupFolder + std::wstring(ExtractFileName(list.text(0, 4))));
  managerPage().openFor(Module::Redundancy);
  EXPECT_EQ(list.image(0), 12);
  list.select(0);
  boxes_.answer(IDOK);
  manager().deleteSelectedButton.click();
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
    manager().chooseFolderButton.click();
    EXPECT_EQ(list.count(), listed);
  }
  EXPECT_EQ(form->startupBackupFolder, base_.path() + L"\\AutoRun\\");
}

// A clean from the page is written down before anything goes and taken back from the
// manager through the registry editor: every type and byte as it was, and no more.
TEST_F(RegistryPages, ACleanFromThePageIsTakenBackFromTheManager) {
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
  RegistryResults& results = redundancy().results;
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
  redundancy().resultList.flush();
  redundancy().deleteAllButton.setEnabled(true);  // as the end of a scan leaves it
  auto all = [&](bool there) {
    for (const auto& [path, name, value] : values)
      EXPECT_EQ(RawValue(kCU, path, name), there ? std::optional(value) : std::nullopt) << ToUtf8(path + L"|" + name);
  };

  // The undo file cannot be written: nothing is deleted, and the user is told why.
  const std::wstring regDir = form->registryBackupFolder;
  form->registryBackupFolder = base_.file(L"blocker") + L"\\Registry\\";
  boxes_.answer(IDOK);
  redundancy().deleteAllButton.click();
  ASSERT_EQ(boxes_.shown().size(), 2u);
  EXPECT_TRUE(boxes_.shown()[1].heading == L"删除失败" && boxes_.shown()[1].text.find(L"未删除任何项目") != std::wstring::npos);
  EXPECT_EQ(results.size(), rows);
  all(true);

  form->registryBackupFolder = regDir;  // not made yet: the clean makes it
  boxes_.answer(IDOK);
  redundancy().deleteAllButton.click();
  EXPECT_TRUE(boxes_.shown().size() == 3u && results.empty()) << "the question alone";
  all(false);
  EXPECT_FALSE(Reg().keyExists(kCU, tree));
  plant_.text(kCU, key(), L"stays", L"changed after the clean");

  redundancy().restoreButton.click();
  ListView& list = manager().backupList;
  ASSERT_EQ(list.count(), 1);
  EXPECT_TRUE(list.text(0, 1).starts_with(L"RegUndo_"));
  list.select(0);
  answers({IDOK, IDOK});
  list.onDblClick();
  EXPECT_EQ(boxes_.shown().back().heading, L"恢复成功");
  EXPECT_TRUE(&form->activePage() == &redundancyPage() && redundancyUsable());
  all(true);
  EXPECT_EQ(RawValue(kCU, key(), L"stays"), (RegRawValue{REG_SZ, TextBytes(L"changed after the clean")}));
  EXPECT_EQ(Reg().openKeyReadOnly(kCU, tree)->valueNames().size(), 2u) << "nothing more than was there";
}

// The startup page (driven by its captions, as a user sees it) removes two items
// into the backup folder; the manager opened from it lists, restores and deletes them.
TEST_F(RegistryPages, StartupItemsRemovedRestoredFromTheManagerAndTheirBackupsDeleted) {
  const std::wstring run = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::wstring startup = form->knownFolders.StartupDir;
  ASSERT_TRUE(Fs().createFolderTree(startup));
  const std::wstring valueName = L"WvPage" + std::to_wstring(GetCurrentProcessId()), fileName = valueName + L".lnk";
  plant_.file(startup + L"\\" + fileName, "shortcut");
  plant_.text(kCU, run, valueName, L"\"C:\\a b\\tool.exe\" /x=1");
  form->sideBar.button(Module::Startup).click();
  const Page& startupPage = form->activePage();
  ListView& items = ChildOf<ListView>(startupPage);
  Button& removeButton = ChildOf<Button>(startupPage, L"选定删除");
  Button& backupsButton = ChildOf<Button>(startupPage, L"恢复");
  const int count = items.count(), fileRow = row(items, fileName), valueRow = row(items, valueName);
  ASSERT_TRUE(fileRow >= 0 && valueRow >= 0);
  EXPECT_EQ(items.text(valueRow, 3), L"HKEY_CURRENT_USER" + run);
  items.setChecked(fileRow, true);
  items.setChecked(valueRow, true);
  items.select(0);  // highlighting is not ticking
  removeButton.click();
  EXPECT_EQ(items.count(), count - 2);
  EXPECT_FALSE(PathExists(startup + L"\\" + fileName) || RawValue(kCU, run, valueName));

  backupsButton.click();
  ListView& list = manager().backupList;
  EXPECT_EQ(&form->activePage(), &managerPage());
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.text(0, 1) + L"|" + list.text(1, 1), fileName + L"|" + valueName);
  // A selected file whose copy is gone stops the restore with a warning, without a page change.
  RemoveTree(form->startupBackupFolder + fileName);
  managerPage().openFor(Module::Startup);
  list.selectAll(true);
  answers({IDOK, IDOK});
  manager().restoreButton.click();
  EXPECT_EQ(boxes_.shown().back().text, L"您选择的备份记录已不存在！");
  EXPECT_TRUE(&form->activePage() == &managerPage() && !RawValue(kCU, run, valueName)) << "after the stop: untouched";
  list.selectAll(false);
  list.select(1);
  answers({IDOK, IDOK});
  manager().restoreButton.click();
  EXPECT_EQ(boxes_.shown().back().text, L"您选择的启动项目备份已成功恢复！");
  EXPECT_TRUE(&form->activePage() == &startupPage && RawValue(kCU, run, valueName));
  EXPECT_EQ(items.count(), count - 1);  // the startup list was read again

  // Sorting by a column reverses on the second click and keeps each row's item.
  items.onColumnClick(0);
  const std::wstring first = items.text(0, 0);
  items.onColumnClick(0);
  EXPECT_EQ(items.text(items.count() - 1, 0), first);
  items.setChecked(row(items, valueName), true);
  removeButton.click();
  EXPECT_FALSE(RawValue(kCU, run, valueName).has_value());
  EXPECT_EQ(items.count(), count - 2);

  backupsButton.click();
  EXPECT_EQ(list.count(), 2) << "the value removed twice keeps one record";
  boxes_.answer(IDOK);
  manager().deleteAllButton.click();
  EXPECT_EQ(list.count(), 0);
  EXPECT_TRUE(records(form->startupBackupFolder, L"FileBackup").empty() && records(form->startupBackupFolder, L"RegBackup").empty());
}

}  // namespace
}  // namespace wv::test
