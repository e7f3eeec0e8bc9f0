#pragma once
// Flat toggle buttons that belong to a group in which exactly one is down: the
// side bar's module buttons (icon and caption) and the tab-like buttons that
// switch a page's inner pages. Drawn by the program, with hover and disabled looks.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_UI, WV_WINDOW_CODE);

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/window.h"

namespace wv {

class ToggleGroup;

class FlatButton : public Control {
 public:
  enum class Look { SideBar, Tab };
  void create(HWND parent, std::wstring_view caption, Look look, ToggleGroup* group, int x = 0, int y = 0,
              int w = 90, int h = 26);
  [[nodiscard]] const std::wstring& caption() const { return caption_; }
  void setCaption(std::wstring_view caption);
  [[nodiscard]] bool down() const { return down_; }
  // Puts this button down (and the others of its group up) without running the handler.
  void setDown(bool down);
  void setIcon(HIMAGELIST icons, int index);
  // A user's press: down, then the handler; nothing when the button cannot be pressed.
  void click();
  std::function<void()> onClick;

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void paint(HDC dc, const RECT& r);
  void updateTabStop();
  std::wstring caption_;
  Look look_ = Look::Tab;
  ToggleGroup* group_ = nullptr;
  HIMAGELIST icons_ = nullptr;
  int icon_ = -1;
  bool down_ = false;
  bool hot_ = false;
  bool pressed_ = false;
};

class ToggleGroup {
 public:
  void add(FlatButton& button) { buttons_.push_back(&button); }
  // The next button step places away (wrapping) that can be pressed; none when there is no other.
  [[nodiscard]] FlatButton* neighbour(const FlatButton& from, int step) const;

 private:
  friend class FlatButton;
  void released(FlatButton& except);
  std::vector<FlatButton*> buttons_;
};

}  // namespace wv
