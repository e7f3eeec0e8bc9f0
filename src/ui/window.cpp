#include "ui/window.h"

#include <exception>
#include <utility>

#include "platform/text.h"
#include "platform/handles.h"
#include "ui/dpi.h"
#include "ui/theme.h"

namespace wv {
namespace {

constexpr wchar_t kOwnClass[] = L"WvWindow";
constexpr UINT_PTR kSubclassId = 0x5756;  // "WV"

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

bool IsChildWindow(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) != 0; }

// Design bounds to device pixels: a child's on the grid; a top-level window keeps
// its screen position and has its size scaled.
RECT DeviceBounds(HWND parent, bool child, int x, int y, int w, int h) {
  const int d = dpi::Current();
  if (!child) return RECT{x, y, x + dpi::Scale(w, d), y + dpi::Scale(h, d)};
  const GridOrigin o = OriginOnGrid(parent);
  RECT r = dpi::ScaleRect(RECT{o.design.x + x, o.design.y + y, o.design.x + x + w, o.design.y + y + h}, d);
  OffsetRect(&r, -o.device.x, -o.device.y);
  return r;
}

FaultSink& Sink() {
  static FaultSink sink;
  return sink;
}

thread_local std::wstring_view currentHandler;
// The scope a fault unwound out of; the dispatch that stops the fault reports it.
thread_local std::wstring_view faultedHandler;

std::wstring ClassName(HWND hwnd) {
  wchar_t name[64] = {};
  const int n = GetClassNameW(hwnd, name, 64);
  return std::wstring(name, static_cast<std::size_t>(n > 0 ? n : 0));
}

std::wstring HexMessage(UINT message) {
  wchar_t text[16] = {};
  wsprintfW(text, L"0x%04X", message);
  return text;
}

void ReportFault(HWND hwnd, UINT message, std::wstring what) {
  FaultReport report;
  if (!faultedHandler.empty()) {
    report.handler = faultedHandler;
  } else if (!currentHandler.empty()) {
    report.handler = currentHandler;
  } else {
    report.handler = L"message " + HexMessage(message) + L" to " + ClassName(hwnd);
  }
  faultedHandler = {};
  report.what = std::move(what);
  RecordFault(report);
}

}  // namespace

FaultSink SetFaultSink(FaultSink sink) { return std::exchange(Sink(), std::move(sink)); }

void RecordFault(const FaultReport& report) noexcept {
  OutputDebugStringW(L"WindowsVantorra fault: ");
  OutputDebugStringW(report.handler.c_str());
  OutputDebugStringW(L": ");
  OutputDebugStringW(report.what.c_str());
  OutputDebugStringW(L"\n");
  try {
    if (Sink()) Sink()(report);
  } catch (...) {
    // The sink (the log file, the status line) failed: the debugger output above
    // is all that is left, and the program goes on.
    OutputDebugStringW(L"WindowsVantorra: the fault could not be recorded by its sink\n");
  }
}

HandlerScope::HandlerScope(std::wstring_view name)
    : previous_(currentHandler), exceptions_(std::uncaught_exceptions()) {
  currentHandler = name;
}

HandlerScope::~HandlerScope() {
  if (std::uncaught_exceptions() > exceptions_ && faultedHandler.empty()) faultedHandler = currentHandler;
  currentHandler = previous_;
}

std::wstring WindowText(HWND hwnd) {
  if (!hwnd) return {};
  const int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

Control::~Control() {
  if (hwnd_) {
    HWND h = hwnd_;
    detach();
    DestroyWindow(h);
  }
}

Control* Control::fromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  return reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void Control::createOwn(HWND parent, DWORD style, DWORD exStyle, std::wstring_view text, int x, int y, int w,
                        int h) {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Control::OwnProc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(Instance(), MAKEINTRESOURCEW(1));
    wc.lpszClassName = kOwnClass;
    return RegisterClassExW(&wc);
  }();
  (void)atom;
  const std::wstring caption(text);
  if (parent) style |= WS_CHILD;
  const RECT r = DeviceBounds(parent, parent != nullptr, x, y, w, h);
  CreateWindowExW(exStyle, kOwnClass, caption.c_str(), style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                  parent, nullptr, Instance(), this);
  if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(theme::UiFont()), FALSE);
}

void Control::createSystem(HWND parent, const wchar_t* className, DWORD style, DWORD exStyle,
                           std::wstring_view text, int x, int y, int w, int h) {
  const std::wstring caption(text);
  const RECT r = DeviceBounds(parent, true, x, y, w, h);
  HWND hwnd = CreateWindowExW(exStyle, className, caption.c_str(), style | WS_CHILD, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, parent, nullptr, Instance(), nullptr);
  if (!hwnd) return;
  hwnd_ = hwnd;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  subclassed_ = SetWindowSubclass(hwnd, &Control::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(theme::UiFont()), FALSE);
}

void Control::detach() {
  if (!hwnd_) return;
  if (subclassed_) RemoveWindowSubclass(hwnd_, &Control::SubclassProc, kSubclassId);
  subclassed_ = false;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
}

LRESULT CALLBACK Control::OwnProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Control* self = fromHandle(hwnd);
  if (message == WM_NCCREATE) {
    self = static_cast<Control*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (self) {
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  }
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->dispatch(message, wParam, lParam);
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR data) {
  auto* self = reinterpret_cast<Control*>(data);
  if (!self || self->hwnd_ != hwnd) return DefSubclassProc(hwnd, message, wParam, lParam);
  return self->dispatch(message, wParam, lParam);
}

GridOrigin OriginOnGrid(HWND hwnd) {
  GridOrigin o;
  if (!hwnd) return o;
  HWND root = GetAncestor(hwnd, GA_ROOT);
  if (root && root != hwnd) MapWindowPoints(hwnd, root, &o.device, 1);
  o.design = POINT{dpi::U(o.device.x), dpi::U(o.device.y)};
  return o;
}

LRESULT Control::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = hwnd_;
  LRESULT result = 0;
  // A fault in one handler must not unwind through the system's code: it is
  // reported, and the message gets the default answer.
  bool faulted = false;
  try {
    result = handleMessage(message, wParam, lParam);
  } catch (const std::exception& e) {
    faulted = true;
    ReportFault(hwnd, message, ToWide(e.what()));
  } catch (...) {
    faulted = true;
    ReportFault(hwnd, message, L"unknown exception");
  }
  if (faulted)
    result = subclassed_ ? DefSubclassProc(hwnd, message, wParam, lParam)
                         : DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY && hwnd_ == hwnd) detach();
  return result;
}

LRESULT Control::callDefault(UINT message, WPARAM wParam, LPARAM lParam) {
  if (subclassed_) return DefSubclassProc(hwnd_, message, wParam, lParam);
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT Control::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (reflect(message, wParam, lParam, result)) return result;
  return callDefault(message, wParam, lParam);
}

bool Control::reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND: {
      if (!lParam) return false;
      Control* child = fromHandle(reinterpret_cast<HWND>(lParam));
      if (child && child != this && child->onCommand(HIWORD(wParam))) {
        result = 0;
        return true;
      }
      return false;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      Control* child = header ? fromHandle(header->hwndFrom) : nullptr;
      if (child && child != this) {
        LRESULT r = 0;
        if (child->onNotify(header, r)) {
          result = r;
          return true;
        }
      }
      return false;
    }
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      Control* child = item ? fromHandle(item->hwndItem) : nullptr;
      if (child && child != this && child->onDrawItem(item)) {
        result = TRUE;
        return true;
      }
      return false;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      HBRUSH parent = backgroundBrush();
      Control* child = fromHandle(reinterpret_cast<HWND>(lParam));
      HBRUSH brush = (child && child != this) ? child->onColor(dc, parent) : nullptr;
      if (!brush && parent && (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN)) {
        LOGBRUSH lb{};
        GetObjectW(parent, sizeof lb, &lb);
        SetBkColor(dc, lb.lbColor);
        SetTextColor(dc, theme::kText);
        brush = parent;
      }
      if (!brush) return false;
      result = reinterpret_cast<LRESULT>(brush);
      return true;
    }
    default:
      return false;
  }
}

void Control::setBounds(int x, int y, int width, int height) {
  if (!hwnd_) return;
  const RECT r = DeviceBounds(GetParent(hwnd_), IsChildWindow(hwnd_), x, y, width, height);
  MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

RECT Control::deviceBounds() const {
  RECT r{};
  if (!hwnd_) return r;
  GetWindowRect(hwnd_, &r);
  HWND parent = GetParent(hwnd_);
  if (parent && IsChildWindow(hwnd_)) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT Control::bounds() const {
  RECT r = deviceBounds();
  if (!hwnd_ || !IsChildWindow(hwnd_)) return r;
  const GridOrigin o = OriginOnGrid(GetParent(hwnd_));
  OffsetRect(&r, o.device.x, o.device.y);
  r = dpi::UnscaleRect(r, dpi::Current());
  OffsetRect(&r, -o.design.x, -o.design.y);
  return r;
}

SIZE Control::designSize() const {
  // A child measures on the grid; a top-level window has only its size scaled.
  const bool child = hwnd_ && IsChildWindow(hwnd_);
  const RECT r = child ? bounds() : deviceBounds();
  const SIZE s{r.right - r.left, r.bottom - r.top};
  return child ? s : SIZE{dpi::USize(s.cx), dpi::USize(s.cy)};
}

int Control::width() const { return designSize().cx; }

int Control::height() const { return designSize().cy; }

RECT Control::clientRect() const {
  RECT r{};
  if (!hwnd_) return r;
  GetClientRect(hwnd_, &r);
  // The largest design size whose children, laid out on the grid, stay inside.
  const GridOrigin o = OriginOnGrid(hwnd_);
  return RECT{0, 0, dpi::USize(o.device.x + r.right) - o.design.x, dpi::USize(o.device.y + r.bottom) - o.design.y};
}

void Control::setVisible(bool visible) {
  if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

bool Control::visible() const { return hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }

void Control::setEnabled(bool enabled) {
  if (hwnd_) EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

bool Control::enabled() const { return hwnd_ && IsWindowEnabled(hwnd_); }

bool Control::usable() const {
  for (HWND h = hwnd_; h; h = GetParent(h)) {
    if (!IsWindowEnabled(h)) return false;
    if (!(GetWindowLongW(h, GWL_STYLE) & WS_CHILD)) break;
  }
  return hwnd_ != nullptr;
}

void Control::focus() {
  if (hwnd_) SetFocus(hwnd_);
}

void Control::invalidate() {
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void PaintBuffered(HWND hwnd, const std::function<void(HDC, const RECT&)>& paint) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT r;
  GetClientRect(hwnd, &r);
  // Away from 96 DPI the painting is in design units on a context that GDI
  // scales: its client rectangle is rounded up, so that fills reach the edges.
  const int d = dpi::Current();
  const bool scaled = d != dpi::kDesign;
  const RECT design = scaled ? RECT{0, 0, (r.right * dpi::kDesign + d - 1) / d, (r.bottom * dpi::kDesign + d - 1) / d}
                             : r;
  auto designUnits = [&](HDC target) {
    if (!scaled) return;
    SetMapMode(target, MM_ANISOTROPIC);
    SetWindowExtEx(target, dpi::kDesign, dpi::kDesign, nullptr);
    SetViewportExtEx(target, d, d, nullptr);
  };
  dpi::DesignPainting designFonts(scaled);
  if (r.right > 0 && r.bottom > 0) {
    UniqueMemoryDc mem(CreateCompatibleDC(dc));
    UniqueBitmap bmp(CreateCompatibleBitmap(dc, r.right, r.bottom));
    if (mem && bmp) {
      SelectGuard keep(mem.get(), bmp.get());
      designUnits(mem.get());
      paint(mem.get(), design);
      SetMapMode(mem.get(), MM_TEXT);  // the copy below is in device pixels
      const RECT& u = ps.rcPaint;
      BitBlt(dc, u.left, u.top, u.right - u.left, u.bottom - u.top, mem.get(), u.left, u.top, SRCCOPY);
    } else {
      const int saved = SaveDC(dc);
      designUnits(dc);
      paint(dc, design);  // out of memory for the buffer: flicker rather than a blank window
      RestoreDC(dc, saved);
    }
  }
  EndPaint(hwnd, &ps);
}

bool StartHover(HWND hwnd, bool& hot) {
  if (hot) return false;
  hot = true;
  TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
  TrackMouseEvent(&tme);
  return true;
}

}  // namespace wv
