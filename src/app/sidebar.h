#pragma once
// The side bar on the right: a picture on top, then the panel zdk_bartools with
// two heading bands and the ten module buttons in one group (exactly one down).
// The whole panel is disabled while an operation runs, so no page change can
// happen mid-run.

#include <string>
#include <vector>

#include "platform/handles.h"
#include "ui/flatbutton.h"
#include "ui/panel.h"
#include "ui/pictures.h"

namespace wv {

class Tfrmmain;
class Page;

class SideBar : public Panel {
 public:
  static constexpr int kPictureHeight = 60;
  static constexpr int kHeadingHeight = 30;
  static constexpr int kButtonHeight = 42;

  void create(Tfrmmain& form);

  Panel zdk_bartools;
  ToggleGroup group;
  FlatButton zdk_wjrc, zdk_zcrc, zdk_qtrc, zdk_qdsz, zdk_rjql, zdk_wjql, zdk_zcql;
  FlatButton zdk_wjsz, zdk_wjfs, zdk_yysz;

  // The ten buttons in their order, and each one's page.
  [[nodiscard]] std::vector<FlatButton*> buttons();
  [[nodiscard]] Page* pageOf(const FlatButton& button) const;
  // The button that opens a page (null for a page without one).
  [[nodiscard]] FlatButton* buttonOf(const Page& page);

  void setToolsEnabled(bool enabled);
  [[nodiscard]] bool toolsEnabled() const { return zdk_bartools.enabled(); }

 protected:
  void paint(HDC dc, const RECT& client) override;
  void resized(int width, int height) override;

 private:
  void layoutTools(int width, int height);
  void paintTools(HDC dc, const RECT& client);

  Tfrmmain* form_ = nullptr;
  Picture Image1;
  UniqueImageList icons_;
  int heading2Top_ = 0;
};

}  // namespace wv
