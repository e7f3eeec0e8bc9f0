#pragma once
// Scaling with the screen's DPI. Every layout of the program is written in
// design units, the pixels of a 96-DPI screen; the wrappers (window.h) turn them
// into device pixels where windows are created and moved, and painting through
// PaintBuffered draws in design units on a device context that GDI scales. At
// 96 DPI every conversion is the identity.
//
// One DPI holds for the whole user interface at a time (Current): the main
// window's. It sets it when it is created and when its monitor's DPI changes.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_UI, WV_WINDOW_CODE);

#include <windows.h>

namespace wv::dpi {

inline constexpr int kDesign = 96;

// Design units to device pixels at dpi, rounded half up (the pictures in res/dpi
// are rendered with the same rule).
constexpr int Scale(int value, int dpi) {
  const long long p = static_cast<long long>(value) * dpi + kDesign / 2;
  return static_cast<int>(p >= 0 ? p / kDesign : -((-p + kDesign - 1) / kDesign));
}
// Device pixels to design units, rounded half up: Unscale(Scale(v)) == v for dpi >= 96.
constexpr int Unscale(int value, int dpi) {
  const long long p = static_cast<long long>(value) * kDesign + dpi / 2;
  return static_cast<int>(p >= 0 ? p / dpi : -((-p + dpi - 1) / dpi));
}
// A device size as the largest design size that scales to no more than it: what is
// laid out inside a client area of that size stays inside it (exact for sizes that
// came from Scale).
constexpr int UnscaleSize(int device, int dpi) {
  const int design = Unscale(device, dpi);
  return Scale(design, dpi) > device ? design - 1 : design;
}
// A rectangle edge by edge, so that controls that touch in design units touch on screen.
RECT ScaleRect(const RECT& design, int dpi);
RECT UnscaleRect(const RECT& device, int dpi);

// The DPI the interface is laid out and drawn at now.
int Current();
void SetCurrent(int dpi);
int S(int value);  // Scale(value, Current())
int U(int value);  // Unscale(value, Current())
int USize(int device);  // UnscaleSize(device, Current())
// A mouse message's position (client pixels in lParam) in design units.
POINT MousePoint(LPARAM lParam);

// The DPI of the monitor a window is on (GetDpiForWindow where the system has it),
// else the screen's (LOGPIXELSY).
int ForWindow(HWND hwnd);
int ForScreen();

// While it lives, ForWindow and ForScreen report this DPI (tests and the screenshot
// driver lay the real window out at a DPI the screen does not have). Restores
// Current as well at its end.
class Substitute {
 public:
  explicit Substitute(int dpi);
  ~Substitute();
  Substitute(const Substitute&) = delete;
  Substitute& operator=(const Substitute&) = delete;

 private:
  int previous_;
  int previousCurrent_;
};

// The scale of a device context: kDesign when it draws in device pixels, else the
// DPI its design units are drawn at (PaintBuffered's).
int OfDc(HDC dc);

// While it lives, a device context that draws in design units draws in device
// pixels (pictures and image lists are drawn 1:1 so, never stretched).
class DeviceUnits {
 public:
  explicit DeviceUnits(HDC dc);
  ~DeviceUnits();
  DeviceUnits(const DeviceUnits&) = delete;
  DeviceUnits& operator=(const DeviceUnits&) = delete;
  // Design coordinates of the painting to device pixels.
  [[nodiscard]] RECT toDevice(const RECT& design) const;
  [[nodiscard]] POINT toDevice(POINT design) const;

 private:
  HDC dc_;
  int dpi_;
};

// While it lives, a painting on this thread is in design units (the theme's
// fonts come in their design size); set by PaintBuffered.
class DesignPainting {
 public:
  explicit DesignPainting(bool active);
  ~DesignPainting();
  DesignPainting(const DesignPainting&) = delete;
  DesignPainting& operator=(const DesignPainting&) = delete;
  [[nodiscard]] static bool active();

 private:
  bool previous_;
};

}  // namespace wv::dpi
