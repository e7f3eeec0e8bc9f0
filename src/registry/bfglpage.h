#pragma once
// The backup manager page (bfgltab, no side-bar button): the common backup
// folder, the compression options and the list of registry or startup backups.

#include "app/page.h"

namespace wv {

class BfglPage : public Page {
 public:
  explicit BfglPage(Tfrmmain& form);

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

 protected:
  void build() override;
  void layout(int width, int height) override;
};

}  // namespace wv
