#pragma once
// The startup-items page (qdsztab): programs started at logon, from the startup
// folders and the Run keys, with refresh, delete and restore.

#include "app/page.h"

namespace wv {

class QdszPage : public Page {
 public:
  explicit QdszPage(Tfrmmain& form);

  ListView qdsz_showlist;
  Button qdsz_autosx;
  Button qdsz_autoseldel;
  Button qdsz_autohf;

  void initialise() override;
  void fitColumns() override;
  // Opening the page reads the startup items when the list is empty.
  void activated() override;

  void qdsz_autosxClick();

 protected:
  void build() override;
  void layout(int width, int height) override;
};

}  // namespace wv
