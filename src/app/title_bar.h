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
  void create(HWND parent, const Picture* strip);
  [[nodiscard]] Glyph glyph() const { return glyph_; }
  void drawGlyph(Glyph glyph);
  // Left button, coordinates in the button.
  std::function<void(TitleButton& sender, int x, int y)> onMouseDown;
  std::function<void(TitleButton& sender, int x, int y)> onMouseUp;

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void paint(HDC dc, const RECT& r);
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

  MenuIcon menuButton;
  TitleButton minimizeButton;
  TitleButton maximizeButton;
  TitleButton closeButton;
  PopupMenu mainMenu;
  // Indices of the menu's items (a separator stands between about and exit).
  int helpItem = -1, updateItem = -1, websiteItem = -1, feedbackItem = -1, aboutItem = -1, exitItem = -1;

  [[nodiscard]] const std::wstring& caption() const { return caption_; }

  // The application was activated (true) or deactivated: the caption's colour.
  void onApplicationActivated(bool active);
  // The normal glyphs (at creation).
  void drawNormalGlyphs();
  // The three buttons and the bar picture, hidden while the window changes size.
  void setDecorVisible(bool visible);

 protected:
  void paint(HDC dc, const RECT& client) override;
  void resized(int width, int height) override;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // The bar itself (its picture and caption): a press starts dragging the window,
  // a double-click maximises or restores it.
  void onBarMouseDown();
  void onBarMouseMove();
  void onBarMouseUp();
  void onBarDoubleClicked();
  void onMenuButtonClicked();
  // Shared by the three title buttons (coordinates in the button).
  void onTitleButtonDown(TitleButton& sender);
  void onTitleButtonUp(TitleButton& sender, int x, int y);
  void onHelpChosen();
  void onUpdateChosen();
  void onWebsiteChosen();
  void onFeedbackChosen();
  void onAboutChosen();
  void onExitChosen();

  MainWindow* form_ = nullptr;
  Picture background_;
  Picture glyphStrip_;
  Picture menuIcon_;
  std::wstring caption_ = L"WindowsVantorra";
  COLORREF captionColour_ = kActiveCaption;
  bool dragging_ = false;
  bool decor_ = true;
};

}  // namespace wv
