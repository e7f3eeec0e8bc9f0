#pragma once
// The other-traces page (qtrctab): seven browser and event-log items, each with a
// result cell that scans and cleans fill.

#include <cstdint>
#include <string>

#include "app/page.h"
#include "app/run_protocol.h"
#include "engines/cleaning/other_traces.h"

namespace wv {

class OtherTracesPage : public Page {
 public:
  explicit OtherTracesPage(MainWindow& form);

  ListView qtrc_showlist;
  SelectAllLabel qtrc_sel;
  LinkLabel qtrc_mr;
  Button qtrc_sm;
  Button qtrc_delsel;

  std::int32_t qtrc_runstate = 0;
  RunControl qtrc_smRun;      // 1 scan all
  RunControl qtrc_delselRun;  // 2 clean the ticked rows

  void initialise() override;
  void stopRuns() override;
  void fitColumns() override;
  // Config.ini (app/pagesettings.cpp).
  void loadSettings(SettingsFile& file) override;
  void saveSettings(std::vector<SettingsSection>& sections) override;

  void qtrc_smClick();
  void qtrc_delselClick();
  void qtrc_selClick();
  void qtrc_mrClick();

 protected:
  void build() override;
  void layout(int width, int height) override;

 private:
  void clearResults();
  // Runs the items with the run's button reading "停止", writing each result cell as it comes.
  void runItems(TraceRun mode, RunControl& run);
};

// The text of an item's result cell; empty for an item stopped part way or not reached.
std::wstring TraceResultText(TraceRun mode, const TraceResult& result);

}  // namespace wv
