// The startup page's handlers: reading the startup items, removing the ticked
// ones with their backups, opening the backup manager, sorting.
#include "app/main_window.h"
#include "pages/cleaning/startup_page.h"
#include "pages/registry/backup_manager_page.h"
#include "pages/registry/painting_run.h"

namespace wv {

void StartupPage::connectHandlers() {
  qdsz_autosx.onClick = [this] { qdsz_autosxClick(); };
  qdsz_autoseldel.onClick = [this] { qdsz_autoseldelClick(); };
  qdsz_autohf.onClick = [this] { qdsz_autohfClick(); };
  qdsz_showlist.onColumnClick = [this](int column) { qdsz_showlistColumnClick(column); };
}

void StartupPage::writeHeader() {
  qdsz_showlist.setColumnCaption(0, L"程序名称     (共 " + ToDecimal(qdsz_showlist.count()) + L" 项)");
}

void StartupPage::qdsz_autosxClick() {
  form().setSideBarEnabled(false);
  for (Button* b : {&qdsz_autosx, &qdsz_autohf, &qdsz_autoseldel}) b->setEnabled(false);
  qdsz_showlist.clear();
  items_.clear();
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
    row.state = static_cast<int>(items_.size());
    items_.push_back(std::move(item));
    qdsz_showlist.appendRow(row);
  });

  writeHeader();
  for (Button* b : {&qdsz_autosx, &qdsz_autohf, &qdsz_autoseldel}) b->setEnabled(true);
  form().setSideBarEnabled(true);
}

void StartupPage::qdsz_autoseldelClick() {
  if (qdsz_showlist.checkedCount() == 0) return;
  const std::wstring& backupDir = form().startupBackupFolder;
  if (backupDir.empty() || !Fs().createFolderTree(ExcludeTrailingBackslash(backupDir))) {
    MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"备份失败", L"备份目录无效请重新选择！");
    return;
  }
  std::wstring failed;
  for (int i = qdsz_showlist.count() - 1; i >= 0; --i) {
    if (!qdsz_showlist.checked(i)) continue;
    const StartupItem& item = items_.at(static_cast<std::size_t>(qdsz_showlist.state(i)));
    if (RemoveStartupItem(item, backupDir))
      qdsz_showlist.deleteRow(i);
    else
      failed += (failed.empty() ? L"" : L"、") + item.name;
  }
  writeHeader();
  if (!failed.empty()) MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"删除失败", L"以下启动项目未能删除，已保留在列表中：" + failed);
}

void StartupPage::qdsz_autohfClick() {
  BackupManagerPage& manager = form().page<BackupManagerPage>();
  manager.openFor(Module::Startup);
}

void StartupPage::qdsz_showlistColumnClick(int column) {
  if (!qdsz_autosx.enabled()) return;
  std::vector<ListRow> rows = qdsz_showlist.rows();
  SortListByColumn(rows, column);
  qdsz_showlist.setRows(rows);
}

}  // namespace wv
