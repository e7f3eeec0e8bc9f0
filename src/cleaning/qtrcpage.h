#pragma once
// The other-traces page (qtrctab): seven browser and event-log items, each with a
// result cell that scans and cleans fill.

#include <cstdint>

#include "app/page.h"
#include "app/runprotocol.h"

namespace wv {

class QtrcPage : public Page {
 public:
  explicit QtrcPage(Tfrmmain& form);

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

  void qtrc_smClick();
  void qtrc_delselClick();
  void qtrc_selClick();
  void qtrc_mrClick();

 protected:
  void build() override;
  void layout(int width, int height) override;
};

}  // namespace wv
