// Scaling with the screen's DPI: the rounding rule, the wrappers' design units,
// fonts and pictures at each scale, and the real main window laid out at 120,
// 144 and 192 DPI (substituted: the prefix's own DPI is never touched).

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "app/mainform.h"
#include "appfixture.h"
#include "platform/handles.h"
#include "ui/dpi.h"
#include "ui/panel.h"
#include "ui/pictures.h"
#include "ui/theme.h"

namespace wv::test {
namespace {

constexpr int kDpis[] = {120, 144, 192};

TEST(DpiRule, RoundsHalfUpKeepsEdgesTogetherAndComesBackExactly) {
  // 125 %: 1 -> 1.25 -> 1, 2 -> 2.5 -> 3, 22 -> 27.5 -> 28; 150 %: 17 -> 25.5 -> 26; negative edges round alike.
  EXPECT_EQ(dpi::Scale(1, 120), 1);
  EXPECT_EQ(dpi::Scale(2, 120), 3);
  EXPECT_EQ(dpi::Scale(22, 120), 28);
  EXPECT_EQ(dpi::Scale(17, 144), 26);
  EXPECT_EQ(dpi::Scale(-3, 144), -4);  // -4.5 -> -4, as +4.5 -> 5 one unit further on
  EXPECT_EQ(dpi::Scale(800, 192), 1600);
  for (int d : kDpis)
    for (int v = -600; v <= 2000; ++v) {
      ASSERT_EQ(dpi::Unscale(dpi::Scale(v, d), d), v) << v << " at " << d;
      // A client area's size: exact when it came from Scale, else never more than the device has.
      if (v >= 0) ASSERT_EQ(dpi::UnscaleSize(dpi::Scale(v, d), d), v) << v << " at " << d;
      if (v >= 0) ASSERT_LE(dpi::Scale(dpi::UnscaleSize(v, d), d), v) << v << " at " << d;
    }
  EXPECT_EQ(dpi::Unscale(367, 120), 294);      // 293.6: scaled back it would be 368 ...
  EXPECT_EQ(dpi::UnscaleSize(367, 120), 293);  // ... one pixel more than the parent has
  // Two rectangles that touch in design units touch on screen; at 96 nothing changes.
  const RECT left{12, 58, 137, 90}, right{137, 58, 233, 90};
  for (int d : kDpis) EXPECT_EQ(dpi::ScaleRect(left, d).right, dpi::ScaleRect(right, d).left);
  const RECT same = dpi::ScaleRect(left, 96);
  EXPECT_TRUE(EqualRect(&same, &left));
}

int FontHeight(HFONT font) {
  LOGFONTW lf{};
  GetObjectW(font, sizeof lf, &lf);
  return lf.lfHeight;
}

TEST(DpiFonts, WindowsGetScaledSizesPaintingsDesignSizesAndEachFontHasItsPartner) {
  dpi::Substitute at(96);
  dpi::SetCurrent(96);
  const HFONT ui96 = theme::UiFont(), bold96 = theme::BoldFont(), heading96 = theme::HeadingFont();
  EXPECT_EQ(FontHeight(ui96), -12);
  EXPECT_EQ(FontHeight(heading96), -15);
  const std::pair<int, int> expected[] = {{120, 19}, {144, 23}, {192, 30}};  // heading 15 at each scale
  for (const auto& [d, heading] : expected) {
    dpi::SetCurrent(d);
    EXPECT_EQ(FontHeight(theme::UiFont()), -dpi::Scale(12, d));
    EXPECT_EQ(FontHeight(theme::HeadingFont()), -heading);
    {
      dpi::DesignPainting painting(true);
      EXPECT_EQ(theme::UiFont(), ui96);  // GDI scales a painting in design units
    }
    EXPECT_EQ(theme::SameFontAt(ui96, 96, d), theme::UiFont());
    EXPECT_EQ(theme::SameFontAt(bold96, 96, d), theme::BoldFont());
    EXPECT_EQ(theme::SameFontAt(theme::HeadingFont(), d, 96), heading96);
    EXPECT_EQ(theme::SameFontAt(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), 96, d), nullptr);
  }
}

// The pixels of a 32 bpp top-down DIB.
struct Canvas {
  Canvas(int w, int h) : width(w), height(h) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* p = nullptr;
    bitmap.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0));
    bits = static_cast<std::uint32_t*>(p);
    dc.reset(CreateCompatibleDC(nullptr));
    old = SelectObject(dc.get(), bitmap.get());
  }
  ~Canvas() { SelectObject(dc.get(), old); }
  std::uint32_t at(int x, int y) const { return bits[y * width + x] & 0xffffff; }
  int width, height;
  UniqueBitmap bitmap;
  UniqueMemoryDc dc;
  HGDIOBJ old = nullptr;
  std::uint32_t* bits = nullptr;
};

TEST(DpiPictures, EachScaleDrawsItsOwnRenderingPixelForPixel) {
  EXPECT_EQ(ResourceForDpi(IDB_SIDEBAR, 96).id, IDB_SIDEBAR);
  EXPECT_EQ(ResourceForDpi(IDB_SIDEBAR, 120).id, IDB_SIDEBAR + IDB_SCALE_STEP);
  EXPECT_EQ(ResourceForDpi(IDB_SIDEBAR, 144).percent, 150);
  EXPECT_EQ(ResourceForDpi(IDB_SIDEBAR, 168).percent, 200);  // between: the larger one, shrunk
  const Picture picture(IDB_SIDEBAR);
  ASSERT_TRUE(picture.loaded());
  EXPECT_EQ(picture.width(), 142);
  for (int d : kDpis) {
    // The rendering itself, as the resource holds it.
    UniqueBitmap raw(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
                                                     MAKEINTRESOURCEW(ResourceForDpi(IDB_SIDEBAR, d).id),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ASSERT_TRUE(raw) << d;
    BITMAP bm{};
    GetObjectW(raw.get(), sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, dpi::Scale(142, d));
    EXPECT_EQ(bm.bmHeight, dpi::Scale(60, d));
    Canvas expected(bm.bmWidth, bm.bmHeight), drawn(bm.bmWidth, bm.bmHeight);
    {
      UniqueMemoryDc src(CreateCompatibleDC(nullptr));
      SelectGuard keep(src.get(), raw.get());
      BitBlt(expected.dc.get(), 0, 0, bm.bmWidth, bm.bmHeight, src.get(), 0, 0, SRCCOPY);
    }
    // A painting in design units, as PaintBuffered sets it up.
    SetMapMode(drawn.dc.get(), MM_ANISOTROPIC);
    SetWindowExtEx(drawn.dc.get(), 96, 96, nullptr);
    SetViewportExtEx(drawn.dc.get(), d, d, nullptr);
    EXPECT_EQ(dpi::OfDc(drawn.dc.get()), d);
    picture.draw(drawn.dc.get(), RECT{0, 0, 142, 60});
    GdiFlush();
    int differ = 0;
    for (int y = 0; y < bm.bmHeight; ++y)
      for (int x = 0; x < bm.bmWidth; ++x) differ += expected.at(x, y) != drawn.at(x, y);
    EXPECT_EQ(differ, 0) << "at " << d << " DPI the picture was stretched";
  }
}

TEST(DpiPictures, ImageStripsHaveTheScaledSizeAndEveryPictureAtEachDpi) {
  const std::pair<int, int> strips[] = {{IDB_IMAGELIST, 16}, {IDB_SIDEBUTTONS, 24}};
  for (const auto& [id, size] : strips) {
    const int count = ImageList_GetImageCount(LoadImageStrip(id, size, 96).get());
    ASSERT_GT(count, 0);
    for (int d : {120, 144, 168, 192}) {  // 168: no rendering of its own, the 200 % one shrunk
      UniqueImageList list = LoadImageStrip(id, size, d);
      int cx = 0, cy = 0;
      ImageList_GetIconSize(list.get(), &cx, &cy);
      EXPECT_EQ(cx, dpi::Scale(size, d));
      EXPECT_EQ(cy, cx);
      EXPECT_EQ(ImageList_GetImageCount(list.get()), count) << id << " at " << d;
    }
    // Filled anew in place: the handle stays, size and pictures follow.
    UniqueImageList list = LoadImageStrip(id, size, 96);
    ASSERT_TRUE(ReloadImageStrip(list.get(), id, size, 144));
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list.get(), &cx, &cy);
    EXPECT_EQ(cx, dpi::Scale(size, 144));
    EXPECT_EQ(ImageList_GetImageCount(list.get()), count);
  }
}

TEST(DpiPictures, APictureOfOneSizeFitsAListOfTheScaledSize) {
  // A shell icon comes at 16 px only; a list of 24 px takes no narrower picture.
  Canvas icon(16, 16);
  for (int i = 0; i < 16 * 16; ++i) icon.bits[i] = 0xff2b67c0;
  SelectObject(icon.dc.get(), icon.old);
  UniqueImageList list(ImageList_Create(24, 24, ILC_COLOR32, 4, 4));
  UniqueBitmap fitted = FitSquare(UniqueBitmap(reinterpret_cast<HBITMAP>(CopyImage(icon.bitmap.get(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))), 24);
  BITMAP bm{};
  ASSERT_TRUE(GetObjectW(fitted.get(), sizeof bm, &bm));
  EXPECT_EQ(bm.bmWidth, 24);
  EXPECT_EQ(std::abs(bm.bmHeight), 24);
  EXPECT_EQ(ImageList_Add(list.get(), fitted.get(), nullptr), 0);
  EXPECT_EQ(ImageList_GetImageCount(list.get()), 1);
  // At its own size the picture is handed back as it is.
  UniqueBitmap same(reinterpret_cast<HBITMAP>(CopyImage(icon.bitmap.get(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  const HBITMAP handle = same.get();
  EXPECT_EQ(FitSquare(std::move(same), 16).get(), handle);
  icon.old = SelectObject(icon.dc.get(), icon.bitmap.get());
}

TEST(DpiWrappers, BoundsAreDesignUnitsOnScreenTheyAreScaled) {
  dpi::Substitute at(144);
  dpi::SetCurrent(144);
  HWND top = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
  Panel parent;
  parent.create(top, theme::kPage, 0, 0, 400, 300);
  Panel child;
  child.create(parent.handle(), theme::kPage, 10, 20, 101, 33);
  RECT device = child.deviceBounds();
  EXPECT_EQ(device.left, 15);
  EXPECT_EQ(device.top, 30);
  EXPECT_EQ(device.right, 167);   // 111 * 1.5 = 166.5
  EXPECT_EQ(device.bottom, 80);   // 53 * 1.5 = 79.5
  RECT design = child.bounds();
  const RECT want{10, 20, 111, 53};
  EXPECT_TRUE(EqualRect(&design, &want));
  EXPECT_EQ(child.width(), 101);
  int sizes = 0;
  RECT last{};
  parent.onSize = [&](int w, int h) {
    ++sizes;
    last = RECT{0, 0, w, h};
  };
  parent.setBounds(0, 0, 300, 200);
  EXPECT_GE(sizes, 1);
  EXPECT_EQ(last.right, 300);  // WM_SIZE arrives in design units
  EXPECT_EQ(last.bottom, 200);
  RECT client = parent.clientRect();
  EXPECT_EQ(client.right, 300);
  RECT pixels{};
  GetClientRect(parent.handle(), &pixels);
  EXPECT_EQ(pixels.right, 450);
  DestroyWindow(top);
}

// A window for a fault message: its class, text and place in design units (so
// that the faults at two DPIs compare).
std::wstring Name(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  RECT r{};
  GetWindowRect(hwnd, &r);
  if (HWND parent = GetParent(hwnd)) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  r = dpi::UnscaleRect(r, dpi::Current());
  // A combo box makes its own height from its font: its bottom is not the layout's.
  const bool combo = lstrcmpiW(name, WC_COMBOBOXW) == 0;
  return std::wstring(name) + L" '" + WindowText(hwnd).substr(0, 12) + L"' (" + std::to_wstring(r.left) + L"," +
         std::to_wstring(r.top) + L"," + std::to_wstring(r.right) + L"," +
         (combo ? std::wstring(L"*") : std::to_wstring(r.bottom)) + L")";
}

// Every visible window below parent lies inside its parent's client area, and no
// two visible siblings overlap. What scrolls (a scroll box's content), the parts
// of system controls (a list's header) and an up-down arrow beside its edit
// (the control places itself against its buddy) are not the layout's business.
void CheckLayout(HWND parent, std::set<std::wstring>& faults) {
  RECT client{};
  GetClientRect(parent, &client);
  const bool scrolls = (GetWindowLongW(parent, GWL_STYLE) & WS_VSCROLL) != 0;
  std::vector<std::pair<HWND, RECT>> shown;
  wchar_t parentClass[64] = {};
  GetClassNameW(parent, parentClass, 64);
  const bool system = lstrcmpiW(parentClass, L"WvWindow") != 0;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    if (r.right <= r.left || r.bottom <= r.top) continue;
    wchar_t childClass[64] = {};
    GetClassNameW(child, childClass, 64);
    if (lstrcmpiW(childClass, UPDOWN_CLASSW) == 0) continue;
    const std::wstring name = Name(parent) + L" > " + Name(child);
    if (!scrolls && !system && (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom))
      faults.insert(name + L" leaves its parent");
    if (!system) {
      for (const auto& [other, o] : shown) {
        RECT both{};
        if (IntersectRect(&both, &r, &o))
          faults.insert(name + L" overlaps " + Name(other));
      }
      shown.emplace_back(child, r);
    }
    CheckLayout(child, faults);
  }
}

// The font height of every push button, check box and edit of the window (system
// controls keep the font they were given); 0 when they differ.
int ControlFontHeight(HWND root) {
  struct Seen {
    int height = 1;
    bool mixed = false;
  } seen;
  EnumChildWindows(
      root,
      [](HWND child, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Seen*>(data);
        wchar_t name[32] = {};
        GetClassNameW(child, name, 32);
        if (lstrcmpiW(name, L"Button") != 0 && lstrcmpiW(name, L"Edit") != 0) return TRUE;
        const int h = FontHeight(reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
        if (s.height == 1) s.height = h;
        else if (h != s.height) s.mixed = true;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&seen));
  return seen.mixed ? 0 : seen.height;
}

// The faults, one a line (UTF-8), for the failure message; empty when there are none.
std::string LayoutFaults(Tfrmmain& form) {
  std::set<std::wstring> faults;
  // Every page in turn, so that each page's own visible children are checked.
  for (const auto& page : form.pages()) {
    form.SwitchToPage(*page);
    Pump(10);
    CheckLayout(form.handle(), faults);
  }
  std::string text;
  for (const std::wstring& f : faults) {
    std::string line(f.size() * 3 + 1, '\0');
    line.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, f.c_str(), static_cast<int>(f.size()),
                                                             line.data(), static_cast<int>(line.size()), nullptr,
                                                             nullptr)));
    text += line + "\n";
  }
  return text;
}

class DpiWindowTest : public ::testing::Test {
 protected:
  void TearDown() override {
    form.reset();
    Pump(10);
  }
  void open() {
    RemoveSavedSettings();
    form = std::make_unique<Tfrmmain>(FormOptions::Hosted());
    form->create();
    form->showMain();
    Pump(20);
  }
  std::unique_ptr<Tfrmmain> form;
};

TEST_F(DpiWindowTest, AtEachDpiTheWindowIsScaledAndNothingOverlapsOrLeavesItsParent) {
  // At 96 the layout is the reference, as the pages give it: the title buttons
  // share one column by design (their glyphs leave it plain).
  std::string reference;
  {
    dpi::Substitute at(96);
    open();
    reference = LayoutFaults(*form);
    form.reset();
  }
  EXPECT_EQ(reference,
            "WvWindow '' (0,0,800,22) > WvWindow '' (726,0,753,17) overlaps WvWindow '' (700,0,727,17)\n"
            "WvWindow '' (0,0,800,22) > WvWindow '' (752,0,795,17) overlaps WvWindow '' (726,0,753,17)\n");
  for (int d : kDpis) {
    SCOPED_TRACE(d);
    dpi::Substitute at(d);
    open();
    EXPECT_EQ(dpi::Current(), d);
    RECT client{};
    GetClientRect(form->handle(), &client);
    EXPECT_EQ(client.right, dpi::Scale(Tfrmmain::kClientWidth, d));
    EXPECT_EQ(client.bottom, dpi::Scale(Tfrmmain::kClientHeight, d));
    EXPECT_EQ(ControlFontHeight(form->handle()), -dpi::Scale(12, d));
    int cx = 0, cy = 0;
    ImageList_GetIconSize(form->publicImageList(), &cx, &cy);
    EXPECT_EQ(cx, dpi::Scale(16, d));
    EXPECT_EQ(LayoutFaults(*form), reference);  // nothing more at any scale
    form.reset();
  }
  EXPECT_EQ(dpi::Current(), dpi::ForScreen());  // the substitutes are gone again
}

TEST_F(DpiWindowTest, AMoveToAMonitorOfAnotherDpiRescalesEverything) {
  std::string reference;
  {
    dpi::Substitute at(144);
    open();
    reference = LayoutFaults(*form);
    form.reset();
  }
  dpi::Substitute at(96);
  open();
  HWND h = form->handle();
  RECT before{};
  GetWindowRect(h, &before);
  const RECT suggested{before.left, before.top, before.left + 1200, before.top + 845};
  SendMessageW(h, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  Pump(20);
  EXPECT_EQ(dpi::Current(), 144);
  RECT after{};
  GetWindowRect(h, &after);
  EXPECT_TRUE(EqualRect(&after, &suggested));
  // Fonts, pictures and the layout followed; design bounds are what they were.
  Page& page = *form->pages().front();
  EXPECT_EQ(ControlFontHeight(h), -18);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(form->publicImageList(), &cx, &cy);
  EXPECT_EQ(cx, 24);
  const RECT side = form->Panel2.deviceBounds();
  EXPECT_EQ(side.left, 1200 - 213);
  EXPECT_EQ(side.right - side.left, 213);
  EXPECT_EQ(page.width(), Tfrmmain::kClientWidth - Tfrmmain::kSideWidth);
  EXPECT_EQ(LayoutFaults(*form), reference);
}

}  // namespace
}  // namespace wv::test
