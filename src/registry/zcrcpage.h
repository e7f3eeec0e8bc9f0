#pragma once
// The registry daily-cleaning page (zcrctab): thirteen scan items, scan and
// delete, and the list of traces found.

#include <cstdint>

#include "app/page.h"
#include "app/runprotocol.h"
#include "core/rows.h"

namespace wv {

class ZcrcPage : public Page {
 public:
  explicit ZcrcPage(Tfrmmain& form);

  ListView zcrc_select;
  SelectAllLabel zcrc_sel;
  LinkLabel zcrc_mr;
  Button zcrc_sm;
  Button zcrc_delsel;
  Button zcrc_delall;
  RowModel zcrc_results;
  OwnerDataListView zcrc_showlist;

  std::int32_t zcrc_runstate = 0;
  RunControl zcrc_run;

  void initialise() override;
  void stopRuns() override;
  void fitColumns() override;

  void zcrc_smClick();
  void zcrc_selClick();
  void zcrc_mrClick();

 protected:
  void build() override;
  void layout(int width, int height) override;
};

}  // namespace wv
