#pragma once
// The registry redundancy page: the three hives to walk, scan, delete, back up
// and restore, and the list of redundant entries found.

#include <cstdint>
#include <string_view>

#include "app/page.h"
#include "app/run_protocol.h"
#include "pages/registry/registry_results.h"

namespace wv {

struct RedundancyControls {
  explicit RedundancyControls(MainWindow& form) : scanRun(form, scanButton, L"扫描", runState) {}

  ListView hiveList;  // HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS
  SelectAllLabel hivesToggle;
  Button scanButton;
  Button deleteSelectedButton;
  Button deleteAllButton;
  Button backupButton;
  Button restoreButton;  // opens the backup manager for registry backups
  RegistryResults results;
  OwnerDataListView resultList;

  std::int32_t runState = 0;
  RunControl scanRun;
};

class RedundancyPage : public Page, private RedundancyControls {
 public:
  explicit RedundancyPage(MainWindow& form);

  void initialise() override;
  void stopRuns() override;
  void fitColumns() override;
  // Config.ini (pages/page_settings.cpp).
  void loadSettings(SettingsFile& file) override;
  void saveSettings(std::vector<SettingsSection>& sections) override;

  // Imports a registry backup (the backup manager's restore) with this page shown
  // and its buttons off meanwhile.
  void restoreRegistry(std::wstring_view backupFile);

 protected:
  void build() override;
  void layout(int width, int height) override;

 private:
  using Controls = RedundancyControls;
  friend class PageTestAccess;

  void onScanClicked();
  void onSelectAllClicked();
  void onDeleteSelectedClicked();
  void onDeleteAllClicked();
  void onResultDoubleClicked();
  // The whole-registry backup, and the backup manager opened for registry backups.
  void onBackupClicked();
  void onRestoreClicked();
  void setBackupRunning(bool running);
};

}  // namespace wv
