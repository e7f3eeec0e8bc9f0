#pragma once
// The registry redundancy page (zcqltab): the three hive items, scan, delete,
// backup and restore, and the list of redundant entries found.

#include <cstdint>

#include "app/page.h"
#include "app/run_protocol.h"
#include "pages/registry/registry_results.h"

namespace wv {

class RedundancyPage : public Page {
 public:
  explicit RedundancyPage(MainWindow& form);

  ListView zcql_select;
  SelectAllLabel zcql_sel;
  Button zcql_sm;
  Button zcql_delsel;
  Button zcql_delall;
  Button zcql_bf;
  Button zcql_hy;
  RegistryResults zcql_results;
  OwnerDataListView zcql_showlist;

  std::int32_t zcql_runstate = 0;
  RunControl zcql_run;

  void initialise() override;
  void stopRuns() override;
  void fitColumns() override;
  // Config.ini (app/pagesettings.cpp).
  void loadSettings(SettingsFile& file) override;
  void saveSettings(std::vector<SettingsSection>& sections) override;

  void zcql_smClick();
  void zcql_selClick();
  void zcql_delselClick();
  void zcql_delallClick();
  void zcql_showlistDblClick();
  // The whole-registry backup, and the backup manager opened for registry backups.
  void zcql_bfClick();
  void zcql_hyClick();
  // Imports a registry backup (the manager's restore), the page's buttons off meanwhile.
  void RegistryRestore(std::wstring_view backupFile);

 protected:
  void build() override;
  void layout(int width, int height) override;

 private:
  void setBackupRunning(bool running);
};

}  // namespace wv
