#include "ui/flat_button.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/handles.h"
#include "ui/dpi.h"
#include "ui/theme.h"

namespace wv {

void FlatButton::create(HWND parent, std::wstring_view caption, Look look, ToggleGroup* group, int x, int y, int w,
                        int h) {
  caption_ = caption;
  look_ = look;
  group_ = group;
  if (group_) group_->add(*this);
  createOwn(parent, WS_VISIBLE, 0, caption, x, y, w, h);
  updateTabStop();
}

void FlatButton::updateTabStop() {
  // A group is one stop for Tab, at its pressed button; the arrows move inside it.
  if (!hwnd_) return;
  const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  const bool stop = !group_ || down_;
  SetWindowLongPtrW(hwnd_, GWL_STYLE, stop ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP));
}

void FlatButton::setCaption(std::wstring_view caption) {
  caption_ = caption;
  if (hwnd_) SetWindowTextW(hwnd_, caption_.c_str());
  invalidate();
}

void FlatButton::setDown(bool down) {
  if (down && group_) group_->released(*this);
  if (down_ == down) return;
  down_ = down;
  updateTabStop();
  invalidate();
}

void FlatButton::setIcon(HIMAGELIST icons, int index) {
  icons_ = icons;
  icon_ = index;
  invalidate();
}

void FlatButton::click() {
  if (!usable() || !visible()) return;
  setDown(true);
  if (onClick) onClick();
}

void FlatButton::paint(HDC dc, const RECT& r) {
  const bool enabled = usable();
  SelectGuard font(dc, down_ ? theme::BoldFont() : theme::UiFont());
  SetBkMode(dc, TRANSPARENT);
  if (look_ == Look::SideBar) {
    COLORREF back = theme::kSideBar;
    if (down_) back = theme::kPage;
    else if (hot_ && enabled) back = theme::kSideHover;
    theme::FillSolid(dc, r, back);
    if (down_) {
      RECT bar{r.left, r.top + 4, r.left + 4, r.bottom - 4};
      theme::FillSolid(dc, bar, enabled ? theme::kAccent : theme::kDisabledText);
      RECT line{r.left, r.top, r.right, r.top + 1};
      theme::FillSolid(dc, line, theme::kSideHeading);
      line = RECT{r.left, r.bottom - 1, r.right, r.bottom};
      theme::FillSolid(dc, line, theme::kSideHeading);
    }
    int textLeft = r.left + 16;
    if (icons_ && icon_ >= 0 && icon_ < ImageList_GetImageCount(icons_)) {
      // A 24-unit square; the list holds its pictures at the present DPI's size,
      // drawn 1:1 in device pixels.
      const int top = r.top + (r.bottom - r.top - 24) / 2;
      dpi::DeviceUnits device(dc);
      const POINT at = device.toDevice(POINT{r.left + 14, top});
      int cx = 0, cy = 0;
      ImageList_GetIconSize(icons_, &cx, &cy);
      ImageList_DrawEx(icons_, icon_, dc, at.x, at.y, cx, cy, CLR_NONE, CLR_NONE,
                       enabled ? ILD_NORMAL : ILD_BLEND50);
      textLeft = r.left + 46;
    }
    RECT t{textLeft, r.top, r.right - 4, r.bottom};
    SetTextColor(dc, !enabled ? theme::kDisabledText : down_ ? theme::kAccentDark : theme::kText);
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &t,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    return;
  }
  COLORREF back = theme::kTabIdle;
  if (down_) back = theme::kPage;
  else if (hot_ && enabled) back = theme::kTabHover;
  theme::FillSolid(dc, r, back);
  if (down_) {
    RECT top{r.left, r.top, r.right, r.top + 2};
    theme::FillSolid(dc, top, enabled ? theme::kAccent : theme::kDisabledText);
    RECT left{r.left, r.top, r.left + 1, r.bottom};
    theme::FillSolid(dc, left, theme::kFrame);
    RECT right{r.right - 1, r.top, r.right, r.bottom};
    theme::FillSolid(dc, right, theme::kFrame);
  } else {
    RECT bottom{r.left, r.bottom - 1, r.right, r.bottom};
    theme::FillSolid(dc, bottom, theme::kFrame);
  }
  RECT t = r;
  SetTextColor(dc, !enabled ? theme::kDisabledText : down_ ? theme::kAccentDark : theme::kText);
  DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &t,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT FlatButton::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintBuffered(hwnd_, [this](HDC dc, const RECT& r) {
        paint(dc, r);
        if (GetFocus() != hwnd_) return;
        RECT focus{r.left + 3, r.top + 3, r.right - 3, r.bottom - 3};
        DrawFocusRect(dc, &focus);
      });
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      invalidate();
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE || wParam == VK_RETURN) {
        click();
        return 0;
      }
      if (group_ && (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_LEFT || wParam == VK_RIGHT)) {
        if (FlatButton* next = group_->neighbour(*this, wParam == VK_DOWN || wParam == VK_RIGHT ? 1 : -1)) {
          SetFocus(next->handle());
          next->click();
        }
        return 0;
      }
      return Control::handleMessage(message, wParam, lParam);
    case WM_ENABLE:
      invalidate();
      return 0;
    case WM_MOUSEMOVE:
      if (StartHover(hwnd_, hot_)) invalidate();
      return 0;
    case WM_MOUSELEAVE:
      hot_ = false;
      invalidate();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      pressed_ = true;
      SetCapture(hwnd_);
      return 0;
    case WM_LBUTTONUP: {
      const bool was = pressed_;
      pressed_ = false;
      if (GetCapture() == hwnd_) ReleaseCapture();
      RECT r;
      GetClientRect(hwnd_, &r);
      const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (was && PtInRect(&r, pt)) click();
      return 0;
    }
    case WM_CAPTURECHANGED:
      pressed_ = false;
      return 0;
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return TRUE;
    default:
      return Control::handleMessage(message, wParam, lParam);
  }
}

FlatButton* ToggleGroup::neighbour(const FlatButton& from, int step) const {
  const auto at = std::find(buttons_.begin(), buttons_.end(), &from);
  if (at == buttons_.end()) return nullptr;
  const int count = static_cast<int>(buttons_.size());
  int i = static_cast<int>(at - buttons_.begin());
  for (int tried = 1; tried < count; ++tried) {
    i = (i + step + count) % count;
    FlatButton* b = buttons_[static_cast<std::size_t>(i)];
    if (b->usable() && b->visible()) return b;
  }
  return nullptr;
}

void ToggleGroup::released(FlatButton& except) {
  for (FlatButton* b : buttons_)
    if (b != &except) b->setDown(false);
}

}  // namespace wv
