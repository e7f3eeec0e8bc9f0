#include "app/title_bar.h"

#include <windowsx.h>

#include "app/about_window.h"
#include "app/main_window.h"
#include "core/utilities.h"
#include "platform/platform.h"
#include "ui/dpi.h"
#include "ui/theme.h"

namespace wv {
namespace {

constexpr wchar_t kWebPage[] = L"https://vantorra.example.org/";
constexpr wchar_t kMailTo[] = L"mailto:support@vantorra.example.org?subject=WindowsVantorra";
constexpr int kGlyphHeight = 17;
constexpr UINT kMoveByCaption = 61458;  // SC_MOVE | HTCAPTION
constexpr UINT kMinimize = 61472;       // SC_MINIMIZE

// Plain glyphs for a strip that is missing: white strokes on the bar's blue.
void DrawSubstituteGlyph(HDC dc, const RECT& r, Glyph g) {
  const bool pressed = g == glyphs::kMinPressed || g == glyphs::kMaxPressed || g == glyphs::kRestorePressed ||
                       g == glyphs::kClosePressed;
  const bool close = g == glyphs::kCloseNormal || g == glyphs::kClosePressed;
  COLORREF back = pressed ? theme::kAccentDark : theme::kTitleTop;
  if (close && pressed) back = RGB(0xc4, 0x2b, 0x1c);
  theme::FillSolid(dc, r, back);
  UniquePen pen(CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
  SelectGuard keep(dc, pen.get());
  SelectGuard noFill(dc, GetStockObject(NULL_BRUSH));
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  if (g == glyphs::kMinNormal || g == glyphs::kMinPressed) {
    MoveToEx(dc, cx - 4, cy + 3, nullptr);
    LineTo(dc, cx + 5, cy + 3);
  } else if (g == glyphs::kMaxNormal || g == glyphs::kMaxPressed) {
    Rectangle(dc, cx - 4, cy - 4, cx + 5, cy + 4);
    MoveToEx(dc, cx - 4, cy - 3, nullptr);
    LineTo(dc, cx + 5, cy - 3);
  } else if (g == glyphs::kRestoreNormal || g == glyphs::kRestorePressed) {
    Rectangle(dc, cx - 4, cy - 1, cx + 3, cy + 5);
    MoveToEx(dc, cx - 2, cy - 3, nullptr);
    LineTo(dc, cx + 5, cy - 3);
    LineTo(dc, cx + 5, cy + 3);
  } else if (close) {
    MoveToEx(dc, cx - 4, cy - 4, nullptr);
    LineTo(dc, cx + 5, cy + 5);
    MoveToEx(dc, cx + 4, cy - 4, nullptr);
    LineTo(dc, cx - 5, cy + 5);
  }
}


}  // namespace

// ---------------------------------------------------------------- TitleButton

void TitleButton::create(HWND parent, const Picture* strip) {
  strip_ = strip;
  createOwn(parent, WS_VISIBLE, 0, L"", 0, 0, 27, kGlyphHeight);
}

void TitleButton::drawGlyph(Glyph glyph) {
  glyph_ = glyph;
  invalidate();
}

void TitleButton::paint(HDC dc, const RECT& r) {
  if (strip_ && strip_->loaded()) {
    theme::FillSolid(dc, r, theme::kTitleTop);
    strip_->draw(dc, r, RECT{glyph_.left, 0, glyph_.right, kGlyphHeight});
  } else {
    DrawSubstituteGlyph(dc, r, glyph_);
  }
}

LRESULT TitleButton::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintBuffered(hwnd_, [this](HDC dc, const RECT& r) { paint(dc, r); });
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SetCapture(hwnd_);
      if (const POINT at = dpi::MousePoint(lParam); onMouseDown) onMouseDown(*this, at.x, at.y);
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == hwnd_) ReleaseCapture();
      if (const POINT at = dpi::MousePoint(lParam); onMouseUp) onMouseUp(*this, at.x, at.y);
      return 0;
    default:
      return Control::handleMessage(message, wParam, lParam);
  }
}

// ---------------------------------------------------------------- MenuIcon

void MenuIcon::create(HWND parent, const Picture* icon) {
  icon_ = icon;
  createOwn(parent, WS_VISIBLE, 0, L"", 0, 0, 22, 22);
}

void MenuIcon::click() {
  if (onClick) onClick();
}

LRESULT MenuIcon::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintBuffered(hwnd_, [this](HDC dc, const RECT& r) {
        theme::FillSolid(dc, r, hot_ ? theme::kAccent : theme::kTitleTop);
        if (icon_ && icon_->loaded()) {
          icon_->draw(dc, r);
          return;
        }
        // A plain emblem: a white disc with a blue mark.
        SelectGuard pen(dc, GetStockObject(NULL_PEN));
        SelectGuard brush(dc, theme::Brush(RGB(255, 255, 255)));
        Ellipse(dc, 4, 4, 19, 19);
        SelectGuard inner(dc, theme::Brush(theme::kAccent));
        Ellipse(dc, 8, 8, 15, 15);
      });
      return 0;
    case WM_MOUSEMOVE:
      if (StartHover(hwnd_, hot_)) invalidate();
      return 0;
    case WM_MOUSELEAVE:
      hot_ = false;
      invalidate();
      return 0;
    case WM_LBUTTONDOWN:
      click();
      return 0;
    default:
      return Control::handleMessage(message, wParam, lParam);
  }
}

// ---------------------------------------------------------------- TitleBar

void TitleBar::create(MainWindow& form) {
  form_ = &form;
  background_ = Picture(IDB_CAPTION);
  glyphStrip_ = Picture(IDB_TITLEBUTTONS);
  menuIcon_ = Picture(IDB_MENUICON);
  Panel::create(form.handle(), theme::kTitleBottom);

  menuButton.create(handle(), &menuIcon_);
  menuButton.onClick = [this] { onMenuButtonClicked(); };
  for (TitleButton* b : {&minimizeButton, &maximizeButton, &closeButton}) {
    b->create(handle(), &glyphStrip_);
    b->onMouseDown = [this](TitleButton& s, int, int) { onTitleButtonDown(s); };
    b->onMouseUp = [this](TitleButton& s, int x, int y) { onTitleButtonUp(s, x, y); };
  }

  helpItem = mainMenu.add(L"帮助", [this] { onHelpChosen(); });
  updateItem = mainMenu.add(L"更新升级", [this] { onUpdateChosen(); });
  mainMenu.item(updateItem).visible = false;
  websiteItem = mainMenu.add(L"访问官方网站", [this] { onWebsiteChosen(); });
  feedbackItem = mainMenu.add(L"问题与建议", [this] { onFeedbackChosen(); });
  aboutItem = mainMenu.add(L"关于", [this] { onAboutChosen(); });
  mainMenu.addSeparator();
  exitItem = mainMenu.add(L"退出...", [this] { onExitChosen(); });
}

void TitleBar::resized(int width, int height) {
  (void)height;
  // The buttons keep their distance from the right edge (700, 726, 752 of 800).
  menuButton.setBounds(0, 0, 22, 22);
  minimizeButton.setBounds(width - 100, 0, 27, kGlyphHeight);
  maximizeButton.setBounds(width - 74, 0, 27, kGlyphHeight);
  closeButton.setBounds(width - 48, 0, 43, kGlyphHeight);
}

void TitleBar::paint(HDC dc, const RECT& client) {
  if (decor_ && background_.loaded()) background_.draw(dc, client);
  else theme::FillGradient(dc, client, theme::kTitleTop, theme::kTitleBottom);
  SelectGuard font(dc, theme::UiFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, captionColour_);
  RECT t{23 + 4, 0, client.right - 110, client.bottom};
  DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &t,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT TitleBar::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      onBarMouseDown();
      return 0;
    case WM_MOUSEMOVE:
      onBarMouseMove();
      return 0;
    case WM_LBUTTONUP:
      onBarMouseUp();
      return 0;
    case WM_LBUTTONDBLCLK:
      onBarDoubleClicked();
      return 0;
    default:
      return Panel::handleMessage(message, wParam, lParam);
  }
}

void TitleBar::onBarMouseDown() {
  if (!form_->isMaximized()) dragging_ = true;
}

void TitleBar::onBarMouseMove() {
  if (!dragging_) return;
  dragging_ = false;
  ReleaseCapture();
  SendMessageW(form_->handle(), WM_SYSCOMMAND, kMoveByCaption, 0);
}

void TitleBar::onBarMouseUp() { dragging_ = false; }

// As a release on the maximise button at its corner: maximise or restore.
void TitleBar::onBarDoubleClicked() { onTitleButtonUp(maximizeButton, 0, 0); }

void TitleBar::onMenuButtonClicked() {
  RECT r;
  GetWindowRect(form_->handle(), &r);
  const RECT icon = menuButton.deviceBounds();
  mainMenu.popup(form_->handle(), POINT{r.left + 1, r.top + icon.bottom - icon.top});
}

void TitleBar::onTitleButtonDown(TitleButton& sender) {
  if (&sender == &minimizeButton) sender.drawGlyph(glyphs::kMinPressed);
  else if (&sender == &maximizeButton)
    sender.drawGlyph(form_->isMaximized() ? glyphs::kRestorePressed : glyphs::kMaxPressed);
  else if (&sender == &closeButton) sender.drawGlyph(glyphs::kClosePressed);
}

// Acts only when the button is released over itself; a release elsewhere only redraws it.
void TitleBar::onTitleButtonUp(TitleButton& sender, int x, int y) {
  const RECT r = sender.clientRect();
  const bool inside = x >= 0 && x <= r.right && y >= 0 && y <= r.bottom;
  if (&sender == &minimizeButton) {
    sender.drawGlyph(glyphs::kMinNormal);
    if (inside) PostMessageW(form_->handle(), WM_SYSCOMMAND, kMinimize, 0);
  } else if (&sender == &maximizeButton) {
    sender.drawGlyph(form_->isMaximized() ? glyphs::kRestoreNormal : glyphs::kMaxNormal);
    if (inside) form_->toggleMaximized();
  } else if (&sender == &closeButton) {
    sender.drawGlyph(glyphs::kCloseNormal);
    if (inside) PostMessageW(form_->handle(), WM_CLOSE, 0, 0);
  }
}

void TitleBar::onApplicationActivated(bool active) {
  const COLORREF colour = active ? kActiveCaption : kInactiveCaption;
  if (colour == captionColour_) return;
  captionColour_ = colour;
  invalidate();
}

void TitleBar::onHelpChosen() {
  const std::wstring help = form_->programFolder + L"HelpMe.chm";
  if (!FileExists(help)) {
    MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"文件丢失", L"帮助文件已丢失！");
    return;
  }
  // The help viewer of the Windows folder, handed the file's full path; only a
  // Windows without one leaves the file to whatever opens it there.
  if (Sh().systemProgramPath(SystemProgramFile(SystemProgram::HelpViewer)).empty())
    Sh().open(L"", help, L"", SW_SHOWNORMAL);
  else
    (void)StartSystemProgram(SystemProgram::HelpViewer, L"\"" + help + L"\"", SW_SHOWNORMAL);
}

// The update item is hidden; it leads to the same web page.
void TitleBar::onUpdateChosen() { Sh().open(L"open", kWebPage, L"", SW_SHOWNORMAL); }

void TitleBar::onWebsiteChosen() { Sh().open(L"open", kWebPage, L"", SW_SHOWNORMAL); }

void TitleBar::onFeedbackChosen() { Sh().open(L"open", kMailTo, L"", SW_SHOWNORMAL); }

void TitleBar::onAboutChosen() { form_->about().showModal(form_->handle()); }

void TitleBar::onExitChosen() { PostMessageW(form_->handle(), WM_CLOSE, 0, 0); }

void TitleBar::drawNormalGlyphs() {
  minimizeButton.drawGlyph(glyphs::kMinNormal);
  maximizeButton.drawGlyph(form_->isMaximized() ? glyphs::kRestoreNormal : glyphs::kMaxNormal);
  closeButton.drawGlyph(glyphs::kCloseNormal);
}

void TitleBar::setDecorVisible(bool visible) {
  decor_ = visible;
  for (TitleButton* b : {&minimizeButton, &maximizeButton, &closeButton}) b->setVisible(visible);
  invalidate();
}

}  // namespace wv
