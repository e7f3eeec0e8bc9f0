// The redundancy page's backup and restore of the whole registry.
#include "app/main_window.h"
#include "pages/registry/backup_manager_page.h"
#include "pages/registry/painting_run.h"
#include "engines/registry/registry_backup.h"
#include "pages/registry/redundancy_page.h"
#include "pages/registry/registry_reports.h"

namespace wv {

void RedundancyPage::setBackupRunning(bool running) {
  form().setSideBarEnabled(!running);
  for (Button* b : {&scanButton, &backupButton, &restoreButton}) b->setEnabled(!running);
  const bool rows = !running && !results.empty();
  deleteSelectedButton.setEnabled(rows);
  deleteAllButton.setEnabled(rows);
}

void RedundancyPage::onBackupClicked() {
  const BackupOptions options = form().page<BackupManagerPage>().backupOptions();
  setBackupRunning(true);
  PaintingRun run;
  const BackupResult result = RegistryBackup(options, run);
  ReportBackup(result);
  setBackupRunning(false);
}

void RedundancyPage::onRestoreClicked() { form().page<BackupManagerPage>().openFor(Module::Redundancy); }

void RedundancyPage::restoreRegistry(std::wstring_view backupFile) {
  if (!FileExists(backupFile)) {
    ReportRestore(RestoreStatus::Missing);
    return;
  }
  form().setActivePage(*this);
  setBackupRunning(true);
  PaintingRun run;
  const RestoreStatus status = RestoreRegistryBackup(backupFile, run);
  ReportRestore(status);
  setBackupRunning(false);
}

}  // namespace wv
