// The redundancy page's backup and restore of the whole registry.
#include "app/mainform.h"
#include "registry/bfglpage.h"
#include "registry/bfglpage_run.h"
#include "registry/regbackup.h"
#include "registry/zcqlpage.h"

namespace wv {

void ZcqlPage::setBackupRunning(bool running) {
  form().SetToolsEnabled(!running);
  for (Button* b : {&zcql_sm, &zcql_bf, &zcql_hy}) b->setEnabled(!running);
  const bool rows = !running && !zcql_results.empty();
  zcql_delsel.setEnabled(rows);
  zcql_delall.setEnabled(rows);
}

void ZcqlPage::zcql_bfClick() {
  const BfglPage& manager = form().page<BfglPage>();
  const BackupOptions options{form().RegBackupDir, manager.bfgl_chxSelCom.checked(), manager.bfgl_cbxComSta.index()};
  setBackupRunning(true);
  PaintingRun run;
  const BackupResult result = RegistryBackup(options, run);
  ReportBackup(result);
  setBackupRunning(false);
}

void ZcqlPage::zcql_hyClick() {
  BfglPage& manager = form().page<BfglPage>();
  manager.backupCaller = L"zcql";
  manager.RefreshBackupList();
}

void ZcqlPage::RegistryRestore(std::wstring_view backupFile) {
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
