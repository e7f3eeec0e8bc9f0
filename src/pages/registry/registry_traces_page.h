#pragma once
// The registry daily-cleaning page (zcrctab): thirteen scan items, scan and
// delete, and the list of traces found.

#include <cstdint>

#include "app/page.h"
#include "app/run_protocol.h"
#include "pages/registry/registry_results.h"

namespace wv {

class RegistryTracesPage : public Page {
 public:
  explicit RegistryTracesPage(MainWindow& form);

  ListView zcrc_select;
  SelectAllLabel zcrc_sel;
  LinkLabel zcrc_mr;
  Button zcrc_sm;
  Button zcrc_delsel;
  Button zcrc_delall;
  RegistryResults zcrc_results;
  OwnerDataListView zcrc_showlist;

  std::int32_t zcrc_runstate = 0;
  RunControl zcrc_run;

  void initialise() override;
  void stopRuns() override;
  void fitColumns() override;
  // Config.ini (app/pagesettings.cpp).
  void loadSettings(SettingsFile& file) override;
  void saveSettings(std::vector<SettingsSection>& sections) override;

  void zcrc_smClick();
  void zcrc_selClick();
  void zcrc_delselClick();
  void zcrc_delallClick();
  void zcrc_showlistDblClick();
  void zcrc_mrClick();

 protected:
  void build() override;
  void layout(int width, int height) override;
};

}  // namespace wv
