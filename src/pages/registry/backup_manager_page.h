#pragma once
// The backup manager page (bfgltab, no side-bar button): the common backup
// folder, the compression options and the list of registry or startup backups.

#include <optional>
#include <string>
#include <vector>

#include "app/page.h"
#include "engines/registry/backup_records.h"

namespace wv {

class BackupManagerPage : public Page {
 public:
  explicit BackupManagerPage(MainWindow& form);

  Label Label7;
  Edit bfgl_edtSavPath;
  Button bfgl_btnPathSel;
  CheckBox bfgl_chxSelCom;
  ComboBox bfgl_cbxComSta;
  ListView bfgl_showlist;
  Button bfgl_btnDelSel;
  Button bfgl_btnDelAll;
  Button bfgl_btnBack;
  Button bfgl_btnReturn;
  Button bfgl_btnRef;  // never visible: its handler is the list refresh

  // Shows the backup base folder of the main window.
  void initialise() override;
  void fitColumns() override;
  // Config.ini (app/pagesettings.cpp).
  void loadSettings(SettingsFile& file) override;
  void saveSettings(std::vector<SettingsSection>& sections) override;

  // Module::Redundancy (registry backups) or Module::Startup (startup items): the page that opened the
  // manager; set just before RefreshBackupList.
  std::optional<Module> backupCaller;

  // Opens the manager for a page's backups (Module::Redundancy or Module::Startup),
  // to which its return button goes back.
  void openFor(Module caller) {
    backupCaller = caller;
    RefreshBackupList();
  }
  // Fills the list from the caller's record file and makes the page active.
  void RefreshBackupList();
  void bfgl_btnRefClick() { RefreshBackupList(); }
  void bfgl_btnPathSelClick();
  void bfgl_btnReturnClick();
  void bfgl_btnBackClick();
  void bfgl_showlistDblClick();
  void bfgl_btnDelSelClick();
  void bfgl_btnDelAllClick();
  void bfgl_showlistSelectItem();

 protected:
  void build() override;
  void layout(int width, int height) override;

 private:
  void connectHandlers();
  [[nodiscard]] bool callerIs(Module module) const;
  [[nodiscard]] const std::wstring& folder() const;  // the caller's backup folder
  void deleteRows(const std::vector<int>& rows);
  void updateButtons();
  void restoreStartupRows(const std::vector<int>& rows);

  std::vector<BackupEntry> entries_;  // one per row, in the list's order
};

}  // namespace wv
