#pragma once
// The installed-software page (rjqltab): the uninstall list with a filter, and
// uninstall, delete-record and web-address buttons.

#include "app/page.h"
#include "platform/handles.h"

namespace wv {

class RjqlPage : public Page {
 public:
  explicit RjqlPage(Tfrmmain& form);

  ListView rjql_showlist;
  ComboBox rjql_showtype;
  Button rjql_sx;
  Button rjql_xz;
  Button rjql_sc;
  Button rjql_wz;
  // The list's own pictures: each program's icon, 16 x 16.
  UniqueImageList rjql_images;

  void initialise() override;
  // Opening the page reads the software list when it is empty.
  void activated() override;

  void rjql_sxClick();

 protected:
  void build() override;
  void layout(int width, int height) override;
};

}  // namespace wv
