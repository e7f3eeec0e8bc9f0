#pragma once
// The backup manager page (no side-bar button): the common backup folder, the
// compression options and the list of registry or startup backups. The
// redundancy page and the startup page open it for their own backups.

#include <optional>
#include <string>
#include <vector>

#include "app/page.h"
#include "engines/registry/backup_records.h"
#include "engines/registry/registry_backup.h"

namespace wv {

struct BackupManagerControls {
  Label folderLabel;
  Edit baseFolderEdit;  // read-only: changed through chooseFolderButton
  Button chooseFolderButton;
  CheckBox compressCheck;
  ComboBox levelCombo;  // fastest, standard, best
  ListView backupList;
  Button deleteSelectedButton;
  Button deleteAllButton;
  Button restoreButton;
  Button returnButton;

  std::vector<BackupEntry> shownBackups;  // one per row of backupList, in its order
};

class BackupManagerPage : public Page, private BackupManagerControls {
 public:
  explicit BackupManagerPage(MainWindow& form);

  // Shows the backup base folder of the main window.
  void initialise() override;
  void fitColumns() override;
  // Config.ini (pages/page_settings.cpp).
  void loadSettings(SettingsFile& file) override;
  void loadWindowSettings(const SettingsFile& file) override;
  void saveSettings(std::vector<SettingsSection>& sections) override;

  // Shows the backups of a page (Module::Redundancy: registry backups,
  // Module::Startup: startup items) and makes the manager the active page; its
  // return button goes back to that page.
  void openFor(Module caller);
  // How a registry backup is taken: the registry backup folder and the
  // compression chosen here.
  [[nodiscard]] BackupOptions backupOptions() const;

 protected:
  void build() override;
  void layout(int width, int height) override;

 private:
  using Controls = BackupManagerControls;
  friend class PageTestAccess;

  void connectHandlers();
  // Fills the list from the caller's record file and makes the page active.
  void refreshList();
  void onChooseFolderClicked();
  void onReturnClicked();
  void onRestoreClicked();
  void onBackupDoubleClicked();
  void onDeleteSelectedClicked();
  void onDeleteAllClicked();
  void onSelectionChanged();

  [[nodiscard]] bool callerIs(Module module) const;
  [[nodiscard]] const std::wstring& folder() const;  // the caller's backup folder
  void deleteRows(const std::vector<int>& rows);
  void updateButtons();
  void restoreStartupRows(const std::vector<int>& rows);

  // The page that opened the manager last; its backups are the ones listed.
  std::optional<Module> caller_;
};

}  // namespace wv
