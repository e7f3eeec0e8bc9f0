#pragma once
// A popup menu of captioned items with click handlers. Items can be hidden or
// disabled; the menu is built afresh each time it pops up, so changes show at once.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_UI, WV_WINDOW_CODE);

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

namespace wv {

class PopupMenu {
 public:
  struct Item {
    std::wstring caption;  // "-" for a separator
    std::function<void()> onClick;
    bool visible = true;
    bool enabled = true;
  };

  // Returns the item's index.
  int add(std::wstring_view caption, std::function<void()> onClick = {});
  int addSeparator() { return add(L"-"); }
  [[nodiscard]] Item& item(int index) { return items_.at(static_cast<std::size_t>(index)); }
  [[nodiscard]] int count() const { return static_cast<int>(items_.size()); }

  // Runs before the menu shows (to enable or hide items).
  std::function<void()> onPopup;

  // Shows the menu at a screen point, owned by the window; runs the chosen item's
  // handler after the menu has closed. Returns the chosen index or -1.
  int popup(HWND owner, POINT screen, UINT align = TPM_LEFTALIGN | TPM_TOPALIGN);
  // Runs an item's handler as if it had been chosen (when it is visible and enabled).
  void choose(int index);

 private:
  std::vector<Item> items_;
};

}  // namespace wv
