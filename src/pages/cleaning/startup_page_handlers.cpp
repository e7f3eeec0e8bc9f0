// The startup page's handlers: reading the startup items, removing the ticked
// ones with their backups, opening the backup manager, sorting.
#include "app/main_window.h"
#include "pages/cleaning/startup_page.h"
#include "pages/registry/backup_manager_page.h"
#include "pages/registry/painting_run.h"

namespace wv {

void StartupPage::writeHeader() { itemList.setColumnCaption(0, StartupHeader(itemList.count())); }

void StartupPage::refreshList() {
  form().setSideBarEnabled(false);
  for (Button* b : {&refreshButton, &restoreButton, &deleteTickedButton}) b->setEnabled(false);
  itemList.clear();
  items.clear();
  writeHeader();

  const KnownFolders& known = form().knownFolders;
  // Values that name no program, or a program that is not there, show the registry editor's icon.
  const int fallbackIcon = GetSysIconIndex(known.WindowsDir + L"\\regedit.exe");
  PaintingRun run;
  ReadStartupItems({known.StartupDir, known.CommonStartupDir, known.SystemDir}, run, [&](StartupItem item) {
    ListRow row;
    row.caption = item.name;
    const bool file = item.kind == StartupKind::File;
    row.sub = {item.location, file ? L"启动菜单" : L"注册表", RegistryLocation(item)};
    row.image = item.iconPath.empty() ? -1 : GetSysIconIndex(item.iconPath);
    if (row.image < 0) row.image = fallbackIcon;
    row.state = static_cast<int>(items.size());
    items.push_back(std::move(item));
    itemList.appendRow(row);
  });

  writeHeader();
  for (Button* b : {&refreshButton, &restoreButton, &deleteTickedButton}) b->setEnabled(true);
  form().setSideBarEnabled(true);
}

void StartupPage::onDeleteTickedClicked() {
  if (itemList.checkedCount() == 0) return;
  const std::wstring& backupDir = form().startupBackupFolder;
  if (backupDir.empty() || !Fs().createFolderTree(ExcludeTrailingBackslash(backupDir))) {
    MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"备份失败", L"备份目录无效请重新选择！");
    return;
  }
  // An item that is gone already simply leaves the list; one the system refused
  // stays, named with the system's reason.
  std::wstring failed;
  for (int i = itemList.count() - 1; i >= 0; --i) {
    if (!itemList.checked(i)) continue;
    const StartupItem& item = items.at(static_cast<std::size_t>(itemList.state(i)));
    if (const SysResult removed = RemoveStartupItem(item, backupDir); removed) {
      itemList.deleteRow(i);
    } else {
      failed += (failed.empty() ? L"" : L"、") + item.name + L"（" + SystemErrorText(removed.error()) + L"）";
    }
  }
  writeHeader();
  if (!failed.empty()) MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"删除失败", L"以下启动项目未能删除，已保留在列表中：" + failed);
}

void StartupPage::onRestoreClicked() { form().page<BackupManagerPage>().openFor(Module::Startup); }

void StartupPage::onColumnClicked(int column) {
  if (!refreshButton.enabled()) return;
  std::vector<ListRow> rows = itemList.rows();
  SortListByColumn(rows, column);
  itemList.setRows(rows);
}

}  // namespace wv
