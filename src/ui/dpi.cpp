#include "ui/dpi.h"

namespace wv::dpi {
namespace {

int current = 0;      // 0 until the main window (or a test) sets it: ForScreen then
int substitute = 0;   // 0: the system's answer
thread_local bool designPainting = false;

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

GetDpiForWindowFn DpiForWindow() {
  // Windows 10 1607 and later (and Wine 8); older systems have only LOGPIXELSY.
  static const auto fn = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  return fn;
}

int Sane(int dpi) { return dpi >= 48 && dpi <= 960 ? dpi : kDesign; }

}  // namespace

RECT ScaleRect(const RECT& r, int dpi) {
  return RECT{Scale(r.left, dpi), Scale(r.top, dpi), Scale(r.right, dpi), Scale(r.bottom, dpi)};
}

RECT UnscaleRect(const RECT& r, int dpi) {
  return RECT{Unscale(r.left, dpi), Unscale(r.top, dpi), Unscale(r.right, dpi), Unscale(r.bottom, dpi)};
}

int Current() { return current ? current : (current = ForScreen()); }

void SetCurrent(int value) { current = Sane(value); }

int S(int value) { return Scale(value, Current()); }

int U(int value) { return Unscale(value, Current()); }

int USize(int device) { return UnscaleSize(device, Current()); }

POINT MousePoint(LPARAM lParam) {
  return POINT{U(static_cast<short>(LOWORD(lParam))), U(static_cast<short>(HIWORD(lParam)))};
}

int ForScreen() {
  if (substitute) return substitute;
  HDC dc = GetDC(nullptr);
  const int value = dc ? GetDeviceCaps(dc, LOGPIXELSY) : kDesign;
  if (dc) ReleaseDC(nullptr, dc);
  return Sane(value);
}

int ForWindow(HWND hwnd) {
  if (substitute) return substitute;
  if (hwnd && DpiForWindow()) {
    const UINT value = DpiForWindow()(hwnd);
    if (value) return Sane(static_cast<int>(value));
  }
  return ForScreen();
}

Substitute::Substitute(int value) : previous_(substitute), previousCurrent_(current) { substitute = Sane(value); }

Substitute::~Substitute() {
  substitute = previous_;
  current = previousCurrent_;
}

int OfDc(HDC dc) {
  if (!dc || GetMapMode(dc) != MM_ANISOTROPIC) return kDesign;
  SIZE window{}, viewport{};
  GetWindowExtEx(dc, &window);
  GetViewportExtEx(dc, &viewport);
  if (window.cx != kDesign || viewport.cx <= 0) return kDesign;
  return viewport.cx;
}

DeviceUnits::DeviceUnits(HDC dc) : dc_(dc), dpi_(OfDc(dc)) {
  if (dpi_ != kDesign) SetMapMode(dc_, MM_TEXT);
}

DeviceUnits::~DeviceUnits() {
  if (dpi_ == kDesign) return;
  SetMapMode(dc_, MM_ANISOTROPIC);
  SetWindowExtEx(dc_, kDesign, kDesign, nullptr);
  SetViewportExtEx(dc_, dpi_, dpi_, nullptr);
}

RECT DeviceUnits::toDevice(const RECT& design) const { return ScaleRect(design, dpi_); }

POINT DeviceUnits::toDevice(POINT design) const { return POINT{Scale(design.x, dpi_), Scale(design.y, dpi_)}; }

DesignPainting::DesignPainting(bool active) : previous_(designPainting) { designPainting = active; }

DesignPainting::~DesignPainting() { designPainting = previous_; }

bool DesignPainting::active() { return designPainting; }

}  // namespace wv::dpi
