#include "ui/panel.h"

#include <windowsx.h>

#include "platform/handles.h"
#include "ui/dpi.h"

namespace wv {

void Panel::create(HWND parent, COLORREF background, int x, int y, int w, int h) {
  background_ = background;
  createOwn(parent, WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, L"", x, y, w, h);
}

void Panel::paint(HDC dc, const RECT& client) {
  theme::FillSolid(dc, client, background_);
  if (onPaint) onPaint(dc, client);
  // One device pixel around each framed child, at any DPI.
  dpi::DeviceUnits device(dc);
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    Control* c = fromHandle(child);
    if (!c || !c->framed() || !IsWindowVisible(child)) continue;
    RECT r = c->deviceBounds();
    InflateRect(&r, 1, 1);
    theme::FrameSolid(dc, r, theme::kFrame);
  }
}

void Panel::resized(int width, int height) {
  if (onSize) onSize(width, height);
}

LRESULT Panel::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintBuffered(hwnd_, [this](HDC dc, const RECT& client) {
        SelectGuard font(dc, theme::UiFont());
        SetBkMode(dc, TRANSPARENT);
        paint(dc, client);
      });
      return 0;
    case WM_SIZE: {
      // In design units, on the top-level window's grid (Control::clientRect).
      const RECT client = clientRect();
      resized(client.right, client.bottom);
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    }
    case WM_LBUTTONDOWN:
      if (onClick) {
        const POINT at = dpi::MousePoint(lParam);
        onClick(at.x, at.y);
      }
      return 0;
    default:
      return Control::handleMessage(message, wParam, lParam);
  }
}

void InnerPages::create(HWND parent, int count, COLORREF background) {
  Panel::create(parent, background);
  for (int i = 0; i < count; ++i) {
    auto page = std::make_unique<Panel>();
    page->create(hwnd_, background);
    page->setVisible(i == 0);
    pages_.push_back(std::move(page));
  }
  active_ = 0;
}

void InnerPages::show(int index) {
  if (index < 0 || index >= count()) return;
  active_ = index;
  for (int i = 0; i < count(); ++i)
    if (i != index) pages_[static_cast<std::size_t>(i)]->setVisible(false);
  pages_[static_cast<std::size_t>(index)]->setVisible(true);
}

void InnerPages::resized(int width, int height) {
  for (auto& page : pages_) page->setBounds(0, 0, width, height);
  Panel::resized(width, height);
}

void StatusPanel::create(HWND parent, COLORREF background) { Panel::create(parent, background); }

void StatusPanel::setText(std::wstring_view text) {
  if (text == text_) return;
  text_ = text;
  // Screen readers and UI automation read the window text, not the painting.
  if (handle()) SetWindowTextW(handle(), text_.c_str());
  invalidate();
}

void StatusPanel::paint(HDC dc, const RECT& client) {
  theme::FillSolid(dc, client, background());
  RECT r = client;
  r.left += 8;
  r.right -= 4;
  SetTextColor(dc, theme::kText);
  DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &r,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
}

}  // namespace wv
