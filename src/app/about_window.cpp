#include "app/about_window.h"

#include "core/utilities.h"
#include "ui/dpi.h"
#include "ui/theme.h"

namespace wv {

AboutWindow::AboutWindow() : picture_(IDB_SPLASH) { ensureCreated(); }

AboutWindow::~AboutWindow() = default;

void AboutWindow::ensureCreated() {
  if (hwnd_) return;
  createOwn(nullptr, WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"WindowsVantorra", 0, 0, kWidth, kHeight);
  centre();
}

void AboutWindow::centre() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int w = dpi::S(kWidth), h = dpi::S(kHeight);
  const int x = work.left + (work.right - work.left - w) / 2;
  const int y = work.top + (work.bottom - work.top - h) / 2;
  SetWindowPos(hwnd_, HWND_TOPMOST, x, y, w, h, SWP_NOACTIVATE);
}

void AboutWindow::prepareShow() {
  // Double-buffered painting is in WM_PAINT; the face follows the system.
  const std::wstring face = GetUIFontName();
  textFont_ = theme::MakeFont(face, 12, FW_NORMAL);
  titleFont_ = theme::MakeFont(face, 30, FW_BOLD);
  SetWindowRgn(hwnd_, CreateRoundRectRgn(0, 0, dpi::S(kWidth), dpi::S(kHeight), dpi::S(5), dpi::S(5)), TRUE);
  invalidate();
}

void AboutWindow::showSplash() {
  ensureCreated();
  modal_ = false;
  centre();
  ShowWindow(hwnd_, SW_SHOWNA);
  prepareShow();
  UpdateWindow(hwnd_);
}

void AboutWindow::hideSplash() {
  if (hwnd_ && !modal_) ShowWindow(hwnd_, SW_HIDE);
}

void AboutWindow::showModal(HWND owner) {
  ensureCreated();
  if (modal_) return;
  modal_ = true;
  closed_ = false;
  SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  if (owner) EnableWindow(owner, FALSE);
  centre();
  ShowWindow(hwnd_, SW_SHOW);
  prepareShow();
  SetForegroundWindow(hwnd_);
  MSG msg;
  while (!closed_ && hwnd_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
      break;
    }
    if (got == -1) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (owner) {
    EnableWindow(owner, TRUE);
    SetForegroundWindow(owner);
  }
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
  modal_ = false;
}

void AboutWindow::onClicked() {
  if (!mainVisible || !mainVisible()) return;
  closed_ = true;
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void AboutWindow::paint(HDC dc, const RECT& client) {
  if (picture_.loaded()) {
    picture_.draw(dc, client);
  } else {
    theme::FillGradient(dc, client, RGB(0x2c, 0x6c, 0xc4), RGB(0x10, 0x34, 0x6e));
    SelectGuard font(dc, titleFont_ ? titleFont_.get() : theme::HeadingFont());
    SetTextColor(dc, RGB(255, 255, 255));
    RECT t{0, 70, client.right, 120};
    DrawTextW(dc, L"WindowsVantorra", -1, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  SelectGuard font(dc, textFont_ ? textFont_.get() : theme::UiFont());
  SetTextColor(dc, RGB(255, 255, 255));
  RECT l1{118, 205, 118 + 200, 205 + 18};
  DrawTextW(dc, versionLine_.c_str(), -1, &l1, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  RECT l2{118, 225, 118 + 200, 225 + 18};
  DrawTextW(dc, secondLine_.c_str(), -1, &l2, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT AboutWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintBuffered(hwnd_, [this](HDC dc, const RECT& r) {
        SetBkMode(dc, TRANSPARENT);
        paint(dc, r);
      });
      return 0;
    case WM_LBUTTONUP:
      onClicked();
      return 0;
    case WM_CLOSE:
      // Alt+F4 on the about box closes it like a click; the splash stays.
      onClicked();
      return 0;
    default:
      return Control::handleMessage(message, wParam, lParam);
  }
}

}  // namespace wv
