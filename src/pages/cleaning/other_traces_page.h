#pragma once
// The other-traces page: seven browser and event-log items, each with a result
// cell that scans and cleans fill.

#include <cstdint>
#include <string>

#include "app/page.h"
#include "app/run_protocol.h"
#include "engines/cleaning/other_traces.h"

namespace wv {

// The text of an item's result cell; empty for an item stopped part way or not reached.
std::wstring TraceResultText(TraceRun mode, const TraceResult& result);

struct OtherTracesControls {
  explicit OtherTracesControls(MainWindow& form);

  ListView itemList;  // the seven items of the catalogue, with their result cells
  SelectAllLabel itemsToggle;
  LinkLabel defaultsLabel;
  Button scanButton;   // scans every item
  Button cleanButton;  // cleans the ticked items

  std::int32_t runState = 0;  // 0 idle, else the running TraceRun
  RunControl scanRun;
  RunControl cleanRun;
};

class OtherTracesPage : public Page, private OtherTracesControls {
  friend class PageTestAccess;
  using Controls = OtherTracesControls;

 public:
  explicit OtherTracesPage(MainWindow& form);

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
  void onScanClicked();
  void onCleanClicked();

  void clearResults();
  // Runs the items with the run's button reading "停止", writing each result cell as it comes.
  void runItems(TraceRun mode, RunControl& run);
};

}  // namespace wv
