#pragma once
// The daily-file cleaning page (wjrctab, the start page): the five scan items,
// the scan and removal buttons, and three inner pages: results, user-defined
// folders and removal mode.

#include <cstdint>

#include "app/page.h"
#include "app/runprotocol.h"
#include "core/rows.h"

namespace wv {

class WjrcPage : public Page {
 public:
  explicit WjrcPage(Tfrmmain& form);

  ListView wjrc_select;
  LinkLabel wjrc_sel;
  LinkLabel wjrc_mr;
  Button wjrc_sm;
  Button wjrc_delsel;
  Button wjrc_delall;

  ToggleGroup tabs;
  FlatButton FlatButton10;  // results
  FlatButton FlatButton11;  // user-defined folders
  FlatButton FlatButton12;  // removal mode
  InnerPages PageControl3;

  RowModel wjrc_results;
  OwnerDataListView wjrc_showlist;

  ListView wjrc_selflist;
  Label wjrc_selfpathLabel;
  Edit wjrc_selfpath;
  Button wjrc_selfpathsel;
  Label wjrc_selfsubLabel;
  ComboBox wjrc_selfsub;
  Label wjrc_selfmodeLabel;
  ComboBox wjrc_selfmode;
  Label wjrc_selftypeLabel;
  Edit wjrc_selftype;
  Button wjrc_selfadd;
  Button wjrc_selfdel;
  Button wjrc_selfsel;
  Button wjrc_selfret;

  RadioButton wjrc_scszzj;
  RadioButton wjrc_scszpath;
  RadioButton wjrc_scszhs;
  RadioGroup wjrc_scsz;
  Edit wjrc_scszpath_pathname;
  Button wjrc_scszpath_pathsel;

  std::int32_t wjrc_runstate = 0;
  RunControl wjrc_run;

  void fitColumns() override;

  void wjrc_smClick();
  void wjrc_selClick();
  void wjrc_mrClick();
  void FlatButton10Click();
  void FlatButton11Click();
  void FlatButton12Click();

 protected:
  void build() override;
  void layout(int width, int height) override;

 private:
  void layoutSelf(int width, int height);
  void layoutRemoval(int width, int height);
};

}  // namespace wv
