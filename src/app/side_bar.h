#pragma once
// The side bar on the right: a picture on top, then the panel moduleButtons with
// two heading bands and one module button per page of the page table that has a
// heading, all in one group (exactly one down). The whole panel is disabled
// while an operation runs, so no page change can happen mid-run.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_APP, "the main window and its pages are above every other layer");

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/modules.h"
#include "platform/handles.h"
#include "ui/flat_button.h"
#include "ui/panel.h"
#include "ui/pictures.h"

namespace wv {

class MainWindow;
class Page;

class SideBar : public Panel {
 public:
  static constexpr int kPictureHeight = 60;
  static constexpr int kHeadingHeight = 30;
  // Two headings, the gap above the second and ten buttons fit in the 460 units
  // under the picture at the window's own size, the smallest it has (456 of them).
  static constexpr int kButtonHeight = 39;

  void create(MainWindow& form);

  Panel moduleButtons;
  ToggleGroup group;

  // The module buttons in their order, and each one's page.
  [[nodiscard]] std::vector<FlatButton*> buttons() const;
  [[nodiscard]] Page* pageOf(const FlatButton& button) const;
  // The button that opens a page (null for a page without one).
  [[nodiscard]] FlatButton* buttonOf(const Page& page) const;
  // The button of a module; the module must have one.
  [[nodiscard]] FlatButton& button(Module module) const;

  void setButtonsEnabled(bool enabled);
  [[nodiscard]] bool buttonsEnabled() const { return moduleButtons.enabled(); }
  // The button pictures again at the present DPI (after a change of DPI).
  void reloadIcons();

 protected:
  void paint(HDC dc, const RECT& client) override;
  void resized(int width, int height) override;

 private:
  void layoutButtons(int width);
  void paintHeadings(HDC dc, const RECT& client);

  struct Entry {
    Module module;
    bool secondGroup = false;  // under the second heading
    std::unique_ptr<FlatButton> button;
  };

  MainWindow* form_ = nullptr;
  std::vector<Entry> entries_;
  Picture picture_;
  UniqueImageList icons_;
  int fileToolsHeadingTop_ = 0;
};

}  // namespace wv
