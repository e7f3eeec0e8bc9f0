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
  for (Button* b : {&zcql_sm, &zcql_bf, &zcql_hy}) b->setEnabled(!running);
  const bool rows = !running && !zcql_results.empty();
  zcql_delsel.setEnabled(rows);
  zcql_delall.setEnabled(rows);
}

void RedundancyPage::zcql_bfClick() {
  const BackupManagerPage& manager = form().page<BackupManagerPage>();
  const BackupOptions options{form().registryBackupFolder, manager.bfgl_chxSelCom.checked(), manager.bfgl_cbxComSta.index()};
  setBackupRunning(true);
  PaintingRun run;
  const BackupResult result = RegistryBackup(options, run);
  ReportBackup(result);
  setBackupRunning(false);
}

void RedundancyPage::zcql_hyClick() {
  BackupManagerPage& manager = form().page<BackupManagerPage>();
  manager.openFor(Module::Redundancy);
}

void RedundancyPage::RegistryRestore(std::wstring_view backupFile) {
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
