#pragma once
// The base of every wrapper: owns one window, finds its wrapper again from the
// handle, and receives what its parent reflects back to it (commands,
// notifications, owner drawing, colours). Common controls are subclassed so that
// a wrapper hears of its window's end and never touches a handle that has gone.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_UI, WV_WINDOW_CODE);

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>

namespace wv {

class Control {
 public:
  Control() = default;
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  [[nodiscard]] HWND handle() const { return hwnd_; }
  [[nodiscard]] bool created() const { return hwnd_ != nullptr; }

  // Positions and sizes are in design units (96-DPI pixels, ui/dpi.h), scaled
  // here to the present DPI; a top-level window's position is in screen pixels.
  // Virtual: a control made of two windows moves, shows and enables both.
  virtual void setBounds(int x, int y, int width, int height);
  [[nodiscard]] RECT bounds() const;  // in the parent's client coordinates
  [[nodiscard]] int width() const;
  [[nodiscard]] int height() const;
  [[nodiscard]] RECT clientRect() const;
  // In device pixels: the parent's client coordinates (a top-level window's screen rectangle).
  [[nodiscard]] RECT deviceBounds() const;
  [[nodiscard]] SIZE designSize() const;

  // The window's own flags, not whether an ancestor hides or disables it.
  virtual void setVisible(bool visible);
  [[nodiscard]] bool visible() const;
  virtual void setEnabled(bool enabled);
  [[nodiscard]] bool enabled() const;
  // Enabled itself and every ancestor enabled: what a user can actually press.
  [[nodiscard]] bool usable() const;

  void focus();
  void invalidate();

  // Controls that want a one-pixel frame drawn around them by their parent panel.
  [[nodiscard]] bool framed() const { return framed_; }
  void setFramed(bool framed) { framed_ = framed; }

  static Control* fromHandle(HWND hwnd);

  // Reflected by the parent; true when handled.
  virtual bool onCommand(int code) {
    (void)code;
    return false;
  }
  virtual bool onNotify(NMHDR* header, LRESULT& result) {
    (void)header;
    (void)result;
    return false;
  }
  virtual bool onDrawItem(DRAWITEMSTRUCT* item) {
    (void)item;
    return false;
  }
  // WM_CTLCOLOR*: the brush to paint with, or null for the parent's choice.
  virtual HBRUSH onColor(HDC dc, HBRUSH parentBrush) {
    (void)dc;
    (void)parentBrush;
    return nullptr;
  }

 protected:
  // A window of the program's own class whose messages come to handleMessage.
  void createOwn(HWND parent, DWORD style, DWORD exStyle, std::wstring_view text, int x, int y, int w, int h);
  // A system control (button, list view ...), subclassed; gets the UI font.
  void createSystem(HWND parent, const wchar_t* className, DWORD style, DWORD exStyle, std::wstring_view text,
                    int x, int y, int w, int h);

  // Own windows: everything; system controls: what their subclass sees.
  virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT callDefault(UINT message, WPARAM wParam, LPARAM lParam);
  // Hands WM_COMMAND, WM_NOTIFY, WM_DRAWITEM and WM_CTLCOLOR* to the child's wrapper.
  bool reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // The brush behind this window's static children (labels, check boxes).
  virtual HBRUSH backgroundBrush() { return nullptr; }

  HWND hwnd_ = nullptr;

 private:
  static LRESULT CALLBACK OwnProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);
  LRESULT dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void detach();

  bool subclassed_ = false;
  bool framed_ = false;
};

// A fault that escaped a handler: dispatch stops it there, before it unwinds
// through the system's code, and hands it to the fault sink (the main window
// writes it to the fault log). handler names the innermost HandlerScope the
// fault left, else the message and window class it arrived with.
struct FaultReport {
  std::wstring handler;
  std::wstring what;
};
using FaultSink = std::function<void(const FaultReport&)>;
// Installs the sink; returns the previous one.
FaultSink SetFaultSink(FaultSink sink);
// Hands a report to the sink. Never throws: when the sink itself fails, the
// fault still reaches a debugger's output.
void RecordFault(const FaultReport& report) noexcept;

// Names the handler running on this thread for as long as it lives; handlers
// that run inside another (a drain during a run) stack. The name must outlive
// the scope (a literal).
class HandlerScope {
 public:
  explicit HandlerScope(std::wstring_view name);
  ~HandlerScope();
  HandlerScope(const HandlerScope&) = delete;
  HandlerScope& operator=(const HandlerScope&) = delete;

 private:
  std::wstring_view previous_;
  int exceptions_;
};

// Window text as a string.
std::wstring WindowText(HWND hwnd);

// Where a window's client area starts in its top-level window's client area, in
// device pixels and in design units. Every edge is scaled on that one grid, the
// top-level window's: a child laid out over its parent's whole design width ends
// on the parent's last pixel wherever the parent lies, and siblings that touch in
// design units touch on screen.
struct GridOrigin {
  POINT device{};
  POINT design{};
};
GridOrigin OriginOnGrid(HWND hwnd);

// Paints the whole client area through a memory bitmap, so that nothing flickers.
// The painting is in design units: away from 96 DPI the context is scaled
// (MM_ANISOTROPIC), the rectangle given is the client area in design units and
// the theme's fonts come in their design sizes; pictures and image lists are
// drawn in device pixels (dpi::DeviceUnits) so that they stay sharp.
void PaintBuffered(HWND hwnd, const std::function<void(HDC, const RECT&)>& paint);
// Asks for WM_MOUSELEAVE once the pointer has left; true when hot was newly set.
bool StartHover(HWND hwnd, bool& hot);

}  // namespace wv
