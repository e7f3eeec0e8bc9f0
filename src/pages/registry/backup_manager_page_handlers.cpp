// The backup manager's handlers: the list of the caller's backups, restoring,
// deleting and the choice of the common backup folder.

#include <algorithm>

#include "app/main_window.h"
#include "engines/cleaning/startup_items.h"
#include "pages/cleaning/startup_page.h"
#include "pages/registry/backup_manager_page.h"
#include "engines/registry/registry_backup.h"
#include "pages/registry/redundancy_page.h"

namespace wv {
namespace {

int PictureOf(const BackupEntry& e) {
  if (e.kind == BackupKind::RegistryFile && e.archive) return e.present ? picture::Archive : picture::ArchiveMissing;
  return e.present ? picture::RegistryBackup : picture::RegistryBackupMissing;
}

ListRow RowOf(const BackupEntry& e) {
  ListRow row;
  row.caption = e.date;
  std::wstring size;
  if (e.kind == BackupKind::StartupValue)
    size = L"注册表";
  else if (e.present)
    size = FormatSize(e.size);
  row.sub = {e.name, size, e.system, e.key};
  row.image = PictureOf(e);
  row.size = e.size;
  return row;
}

std::wstring JoinNames(const std::vector<std::wstring>& names) {
  std::wstring text;
  for (const std::wstring& n : names) text += (text.empty() ? L"" : L"、") + n;
  return text;
}

std::wstring JoinLines(const std::vector<std::wstring>& lines) {
  std::wstring text;
  for (const std::wstring& line : lines) text += (text.empty() ? L"" : L"\r\n") + line;
  return text;
}

}  // namespace

void BackupManagerPage::connectHandlers() {
  chooseFolderButton.onClick = [this] { onChooseFolderClicked(); };
  returnButton.onClick = [this] { onReturnClicked(); };
  restoreButton.onClick = [this] { onRestoreClicked(); };
  deleteSelectedButton.onClick = [this] { onDeleteSelectedClicked(); };
  deleteAllButton.onClick = [this] { onDeleteAllClicked(); };
  backupList.onDblClick = [this] { onBackupDoubleClicked(); };
  backupList.onSelectItem = [this](int) { onSelectionChanged(); };
  deleteSelectedButton.setEnabled(false);
  restoreButton.setEnabled(false);
  deleteAllButton.setEnabled(false);
}

void BackupManagerPage::openFor(Module caller) {
  caller_ = caller;
  refreshList();
}

bool BackupManagerPage::callerIs(Module module) const { return caller_ == module; }

const std::wstring& BackupManagerPage::folder() const {
  return callerIs(Module::Startup) ? form().startupBackupFolder : form().registryBackupFolder;
}

void BackupManagerPage::refreshList() {
  baseFolderEdit.setText(form().backupBase);  // the folder whose records are listed
  backupList.clear();
  shownBackups.clear();
  const bool registry = callerIs(Module::Redundancy), startup = callerIs(Module::Startup);
  if (registry || startup) {
    backupList.setColumnCaption(1, registry ? L"备份文件名称 (注册表备份)" : L"备份文件名称 (启动项目备份)");
    // One registry backup is restored at a time; startup items go back together.
    const HWND list = backupList.handle();
    LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
    style = registry ? (style | LVS_SINGLESEL) : (style & ~static_cast<LONG_PTR>(LVS_SINGLESEL));
    SetWindowLongPtrW(list, GWL_STYLE, style);
    shownBackups = registry ? ListRegistryBackups(form().registryBackupFolder) : ListStartupBackups(form().startupBackupFolder);
    std::vector<ListRow> rows;
    rows.reserve(shownBackups.size());
    for (const BackupEntry& e : shownBackups) rows.push_back(RowOf(e));
    backupList.setRows(rows);
  }
  updateButtons();
  FitListColumn(backupList, 1);
  form().setActivePage(*this);
}

void BackupManagerPage::updateButtons() {
  const bool selected = backupList.selectedCount() > 0;
  deleteSelectedButton.setEnabled(selected);
  restoreButton.setEnabled(selected);
  deleteAllButton.setEnabled(backupList.count() > 0);
}

void BackupManagerPage::onSelectionChanged() { updateButtons(); }

void BackupManagerPage::onBackupDoubleClicked() {
  if (backupList.selectedCount() > 0) onRestoreClicked();
}

void BackupManagerPage::onRestoreClicked() {
  const std::vector<int> rows = backupList.selection();
  if (rows.empty()) return;
  if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"备份恢复", L"您“确定”选用该备份记录进行恢复吗？"))) return;
  if (callerIs(Module::Redundancy)) {
    form().page<RedundancyPage>().restoreRegistry(shownBackups.at(static_cast<std::size_t>(rows.front())).file);
  } else if (callerIs(Module::Startup)) {
    restoreStartupRows(rows);
  }
}

void BackupManagerPage::restoreStartupRows(const std::vector<int>& rows) {
  std::vector<BackupEntry> chosen;
  for (int row : rows) chosen.push_back(shownBackups.at(static_cast<std::size_t>(row)));
  const KnownFolders& known = form().knownFolders;
  const StartupRestoreResult result =
      RestoreStartupEntries(chosen, {known.StartupDir, known.CommonStartupDir, known.SystemDir});
  if (result.missingCopy) {
    MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"恢复失败", L"您选择的备份记录已不存在！");
    return;
  }
  form().page<StartupPage>().refreshList();
  form().setActivePage(form().page<StartupPage>());
  if (!result.refused.empty()) {
    // A hand-edited record must not make the administrator's restore write elsewhere.
    MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"恢复失败",
           L"以下备份记录指向启动文件夹和启动注册表项以外的位置，未予恢复：\r\n" + JoinLines(result.refused));
    return;
  }
  if (!result.failed.empty()) {
    MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"恢复失败", L"以下启动项目未能恢复：" + JoinNames(result.failed));
    return;
  }
  MsgBox(MsgIcon::Information, MsgButtons::Ok, L"恢复成功", L"您选择的启动项目备份已成功恢复！");
}

void BackupManagerPage::deleteRows(const std::vector<int>& rows) {
  if (!callerIs(Module::Redundancy) && !callerIs(Module::Startup)) return;
  std::vector<BackupEntry> chosen;
  for (int row : rows) chosen.push_back(shownBackups.at(static_cast<std::size_t>(row)));
  const std::vector<std::size_t> kept = DeleteBackupEntries(folder(), chosen);
  // The list is set once: deleting its rows one by one repaints it each time.
  std::vector<std::size_t> gone;
  std::vector<std::wstring> keptNames;
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    if (std::ranges::find(kept, i) == kept.end())
      gone.push_back(static_cast<std::size_t>(rows[i]));
    else
      keptNames.push_back(chosen[i].name);
  }
  std::vector<ListRow> shown = backupList.rows();
  (void)EraseAt(shown, gone);
  (void)EraseAt(shownBackups, gone);
  backupList.setRows(shown);
  if (!keptNames.empty())
    MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"删除备份", L"以下备份未能删除（文件正被使用或无权删除），仍在列表中：" + JoinNames(keptNames));
}

void BackupManagerPage::onDeleteSelectedClicked() {
  const std::vector<int> rows = backupList.selection();
  if (!rows.empty() && Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"删除备份", L"您“确定”删除当前选中的备份记录吗？"))) deleteRows(rows);
  updateButtons();
}

void BackupManagerPage::onDeleteAllClicked() {
  if (Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"删除备份", L"您“确定”删除当前所有的备份记录吗？"))) {
    std::vector<int> rows(static_cast<std::size_t>(backupList.count()));
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<int>(i);
    deleteRows(rows);
  }
  updateButtons();
}

void BackupManagerPage::onChooseFolderClicked() {
  std::wstring chosen;
  if (!ChooseFolder(L"请选择备份存放目录...", L"", chosen) || chosen.empty()) return;
  if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"目录更改", L"您确定更改备份存放目录吗？"))) return;
  form().setBackupBase(ExcludeTrailingBackslash(chosen));
  refreshList();
}

void BackupManagerPage::onReturnClicked() {
  if (callerIs(Module::Redundancy))
    form().setActivePage(form().page<RedundancyPage>());
  else if (callerIs(Module::Startup))
    form().setActivePage(form().page<StartupPage>());
}

}  // namespace wv
