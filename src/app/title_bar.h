#pragma once
// The main window's own title bar: a stretched background picture, the menu icon
// with the main menu, the caption, and three picture buttons (minimise, maximise
// or restore, close) whose glyphs are cut from one strip. Dragging the bar moves
// the window; a double-click maximises or restores it.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_APP, "the main window and its pages are above every other layer");

#include <functional>
#include <string>
#include <string_view>

#include "ui/panel.h"
#include "ui/pictures.h"
#include "ui/popup_menu.h"

namespace wv {

class MainWindow;

// A horizontal pixel range of the glyph strip (17 px high).
struct Glyph {
  int left = 0;
  int right = 0;
  friend bool operator==(const Glyph&, const Glyph&) = default;
};

namespace glyphs {
inline constexpr Glyph kMinNormal{0, 27}, kMinPressed{54, 81};
inline constexpr Glyph kMaxNormal{81, 108}, kMaxPressed{135, 162};
inline constexpr Glyph kRestoreNormal{162, 189}, kRestorePressed{216, 243};
inline constexpr Glyph kCloseNormal{243, 286}, kClosePressed{329, 372};
}  // namespace glyphs

// One picture button of the bar; mouse presses and releases go to the bar's shared handlers.
class TitleButton : public Control {
 public:
  void create(HWND parent, std::wstring_view name, const Picture* strip);
  [[nodiscard]] const std::wstring& name() const { return name_; }
  [[nodiscard]] Glyph glyph() const { return glyph_; }
  void drawGlyph(Glyph glyph);
  // Left button, coordinates in the button.
  std::function<void(TitleButton& sender, int x, int y)> onMouseDown;
  std::function<void(TitleButton& sender, int x, int y)> onMouseUp;

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void paint(HDC dc, const RECT& r);
  std::wstring name_;
  const Picture* strip_ = nullptr;
  Glyph glyph_{};
};

// The menu icon at the left of the bar.
class MenuIcon : public Control {
 public:
  void create(HWND parent, const Picture* icon);
  void click();
  std::function<void()> onClick;

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  const Picture* icon_ = nullptr;
  bool hot_ = false;
};

class TitleBar : public Panel {
 public:
  static constexpr COLORREF kActiveCaption = RGB(255, 255, 255);
  static constexpr COLORREF kInactiveCaption = 15648684;  // a light blue

  void create(MainWindow& form);

  MenuIcon zdk_mainmenu1;
  TitleButton zdk_minbtn;
  TitleButton zdk_maxbtn;
  TitleButton zdk_clsbtn;
  PopupMenu main_menu;
  // Indices of the menu's items.
  int N20 = -1, N23 = -1, N27 = -1, EMAIL1 = -1, N22 = -1, N15 = -1, N17 = -1;

  [[nodiscard]] const std::wstring& caption() const { return caption_; }

  // Handlers (coordinates in the bar).
  void Panel1MouseDown(int x, int y);
  void Panel1MouseMove();
  void Panel1MouseUp();
  void Panel1DblClick();
  void zdk_mainmenu1Click();
  void zdk_minbtnMouseDown(TitleButton& sender, int x, int y);
  void zdk_minbtnMouseUp(TitleButton& sender, int x, int y);
  // The application was activated (true) or deactivated.
  void ApplicationActivate(bool active);
  void N20Click();
  void N23Click();
  void N27Click();
  void EMAIL1Click();
  void N22Click();
  void N17Click();

  // The normal glyphs (at creation).
  void DrawNormalGlyphs();
  // The three buttons and the bar picture, hidden while the window changes size.
  void setDecorVisible(bool visible);

 protected:
  void paint(HDC dc, const RECT& client) override;
  void resized(int width, int height) override;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  MainWindow* form_ = nullptr;
  Picture zdk_imgcaption;
  Picture zdk_allbtn;
  Picture menuIcon_;
  std::wstring caption_ = L"WindowsVantorra";
  COLORREF captionColour_ = kActiveCaption;
  bool drag_ = false;
  bool decor_ = true;
};

}  // namespace wv
