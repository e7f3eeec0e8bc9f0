#pragma once
// The registry daily-cleaning page: thirteen scan items, scan and delete, and
// the list of traces found.

#include <cstdint>

#include "app/page.h"
#include "app/run_protocol.h"
#include "pages/registry/registry_results.h"

namespace wv {

struct RegistryTracesControls {
  explicit RegistryTracesControls(MainWindow& form) : scanRun(form, scanButton, L"扫描", runState) {}

  ListView itemList;  // the thirteen scan items of the catalogue
  SelectAllLabel itemsToggle;
  LinkLabel defaultsLabel;  // ticks the recommended items again
  Button scanButton;
  Button deleteSelectedButton;
  Button deleteAllButton;
  RegistryResults results;
  OwnerDataListView resultList;

  std::int32_t runState = 0;
  RunControl scanRun;
};

class RegistryTracesPage : public Page, private RegistryTracesControls {
 public:
  explicit RegistryTracesPage(MainWindow& form);

  void initialise() override;
  void stopRuns() override;
  void fitColumns() override;
  // Config.ini (pages/page_settings.cpp).
  void loadSettings(SettingsFile& file) override;
  void saveSettings(std::vector<SettingsSection>& sections) override;

 protected:
  void build() override;
  void layout(int width, int height) override;

 private:
  using Controls = RegistryTracesControls;
  friend class PageTestAccess;

  void onScanClicked();
  void onSelectAllClicked();
  void onDefaultsClicked();
  void onDeleteSelectedClicked();
  void onDeleteAllClicked();
  void onResultDoubleClicked();
};

}  // namespace wv
