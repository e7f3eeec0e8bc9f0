// Scaling with the screen's DPI: the rounding rule, fonts and pictures at each
// scale, and the real main window laid out at 96, 120, 144 and 192 DPI, where
// every bound is compared in design units (substituted: the prefix's own DPI is
// never touched).

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/main_window.h"
#include "pages/page_table.h"
#include "support/app_fixture.h"
#include "platform/text.h"
#include "platform/handles.h"
#include "ui/dpi.h"
#include "ui/pictures.h"
#include "ui/theme.h"

namespace wv::test {
namespace {

constexpr int kDpis[] = {120, 144, 192};

TEST(DpiRule, RoundsHalfUpKeepsEdgesTogetherAndComesBackExactly) {
  // 1.25 -> 1, 2.5 -> 3, 27.5 -> 28, 25.5 -> 26; -4.5 -> -4, as +4.5 -> 5 one unit further on.
  for (const auto& [v, d, scaled] : {std::tuple{1, 120, 1}, {2, 120, 3}, {22, 120, 28}, {17, 144, 26}, {-3, 144, -4},
                                     {800, 192, 1600}})
    EXPECT_EQ(dpi::Scale(v, d), scaled) << v << " at " << d;
  for (int d : kDpis)
    for (int v = -600; v <= 2000; ++v) {
      ASSERT_EQ(dpi::Unscale(dpi::Scale(v, d), d), v) << v << " at " << d;
      if (v < 0) continue;
      // A client area's size: exact when it came from Scale, else never more than the device has.
      ASSERT_EQ(dpi::UnscaleSize(dpi::Scale(v, d), d), v) << v << " at " << d;
      ASSERT_LE(dpi::Scale(dpi::UnscaleSize(v, d), d), v) << v << " at " << d;
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
  EXPECT_TRUE(FontHeight(ui96) == -12 && FontHeight(heading96) == -15);
  for (const auto& [d, heading] : {std::pair{120, 19}, {144, 23}, {192, 30}}) {  // heading 15 at each scale
    dpi::SetCurrent(d);
    EXPECT_TRUE(FontHeight(theme::UiFont()) == -dpi::Scale(12, d) && FontHeight(theme::HeadingFont()) == -heading) << d;
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

BITMAPINFO Rgb32(int w, int h) { return {{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}}; }  // top-down

UniqueBitmap Dib(int w, int h) {
  const BITMAPINFO bi = Rgb32(w, h);
  void* bits = nullptr;
  return UniqueBitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
}

// A bitmap's colours (no alpha), row by row.
std::vector<std::uint32_t> Pixels(HBITMAP bitmap, int w, int h) {
  BITMAPINFO bi = Rgb32(w, h);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w * h));
  UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  EXPECT_EQ(GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(h), pixels.data(), &bi, DIB_RGB_COLORS), h);
  for (std::uint32_t& p : pixels) p &= 0xffffff;
  return pixels;
}

TEST(DpiPictures, EachScaleDrawsItsOwnRenderingPixelForPixel) {
  EXPECT_TRUE(ResourceForDpi(IDB_SIDEBAR, 96).id == IDB_SIDEBAR && ResourceForDpi(IDB_SIDEBAR, 144).percent == 150);
  EXPECT_EQ(ResourceForDpi(IDB_SIDEBAR, 120).id, IDB_SIDEBAR + IDB_SCALE_STEP);
  EXPECT_EQ(ResourceForDpi(IDB_SIDEBAR, 168).percent, 200);  // between: the larger one, shrunk
  const Picture picture(IDB_SIDEBAR);
  ASSERT_TRUE(picture.loaded());
  EXPECT_EQ(picture.width(), 142);
  for (int d : kDpis) {
    const int w = dpi::Scale(142, d), h = dpi::Scale(60, d);
    UniqueBitmap raw(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
                                                     MAKEINTRESOURCEW(ResourceForDpi(IDB_SIDEBAR, d).id),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP bm{};
    ASSERT_TRUE(GetObjectW(raw.get(), sizeof bm, &bm)) << d;
    EXPECT_TRUE(bm.bmWidth == w && bm.bmHeight == h) << d;  // the rendering itself, as the resource holds it
    UniqueBitmap drawn = Dib(w, h);
    {  // a painting in design units, as PaintBuffered sets it up
      UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
      SelectGuard keep(dc.get(), drawn.get());
      SetMapMode(dc.get(), MM_ANISOTROPIC);
      SetWindowExtEx(dc.get(), 96, 96, nullptr);
      SetViewportExtEx(dc.get(), d, d, nullptr);
      EXPECT_EQ(dpi::OfDc(dc.get()), d);
      picture.draw(dc.get(), RECT{0, 0, 142, 60});
      GdiFlush();
    }
    EXPECT_TRUE(Pixels(drawn.get(), w, h) == Pixels(raw.get(), w, h)) << "at " << d << " DPI the picture was stretched";
  }
}

TEST(DpiPictures, ImageStripsHaveTheScaledSizeAndEveryPictureAtEachDpiAndOneSizeFitsAListOfAnother) {
  for (const auto& [id, size] : {std::pair{IDB_IMAGELIST, 16}, {IDB_SIDEBUTTONS, 24}}) {
    const int count = ImageList_GetImageCount(LoadImageStrip(id, size, 96).get());
    ASSERT_GT(count, 0);
    UniqueImageList refilled = LoadImageStrip(id, size, 96);
    for (int d : {120, 144, 168, 192}) {  // 168: no rendering of its own, the 200 % one shrunk
      // Loaded at the scale, or filled anew in place (the handle stays): size and pictures follow.
      ASSERT_TRUE(ReloadImageStrip(refilled.get(), id, size, d));
      UniqueImageList loaded = LoadImageStrip(id, size, d);
      for (HIMAGELIST list : {loaded.get(), refilled.get()}) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(list, &cx, &cy);
        EXPECT_TRUE(cx == dpi::Scale(size, d) && cy == cx) << id << " at " << d << ": " << cx;
        EXPECT_EQ(ImageList_GetImageCount(list), count) << id << " at " << d;
      }
    }
  }
  // A shell icon comes at 16 px only; a list of 24 px takes no narrower picture.
  UniqueImageList list(ImageList_Create(24, 24, ILC_COLOR32, 4, 4));
  UniqueBitmap fitted = FitSquare(Dib(16, 16), 24);
  BITMAP bm{};
  ASSERT_TRUE(GetObjectW(fitted.get(), sizeof bm, &bm));
  EXPECT_TRUE(bm.bmWidth == 24 && std::abs(bm.bmHeight) == 24) << bm.bmWidth << "x" << bm.bmHeight;
  EXPECT_EQ(ImageList_Add(list.get(), fitted.get(), nullptr), 0);
  UniqueBitmap same = Dib(16, 16);  // at its own size the picture is handed back as it is
  const HBITMAP handle = same.get();
  EXPECT_EQ(FitSquare(std::move(same), 16).get(), handle);
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

// A window for a fault message: its class, text and place in design units (so
// that the faults at two DPIs compare). A combo box makes its own height from its font.
std::wstring Name(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  if (HWND parent = GetParent(hwnd)) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  r = dpi::UnscaleRect(r, dpi::Current());
  const std::wstring kind = ClassOf(hwnd);
  return kind + L" '" + WindowText(hwnd).substr(0, 12) + L"' (" + std::to_wstring(r.left) + L"," +
         std::to_wstring(r.top) + L"," + std::to_wstring(r.right) + L"," +
         (EqualsNoCase(kind, WC_COMBOBOXW) ? L"*" : std::to_wstring(r.bottom)) + L")";
}

// Every push button, check box and edit below parent has the given font height; every
// shown window lies inside its parent's client area, and no two shown siblings overlap.
// What scrolls, the parts of system controls (a list's header) and an up-down arrow
// beside its edit (it places itself against its buddy) are not the layout's business.
void CheckLayout(HWND parent, int fontHeight, std::set<std::wstring>& faults, bool shown = true) {
  RECT client{};
  GetClientRect(parent, &client);
  const bool scrolls = (GetWindowLongW(parent, GWL_STYLE) & WS_VSCROLL) != 0;
  const bool system = !EqualsNoCase(ClassOf(parent), L"WvWindow");
  std::vector<std::pair<HWND, RECT>> siblings;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::wstring kind = ClassOf(child), name = Name(parent) + L" > " + Name(child);
    if ((EqualsNoCase(kind, L"Button") || EqualsNoCase(kind, L"Edit")) &&
        FontHeight(reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0))) != fontHeight)
      faults.insert(name + L" has another font");
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    const bool visible = shown && (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) && r.right > r.left &&
                         r.bottom > r.top && !EqualsNoCase(kind, UPDOWN_CLASSW);
    if (visible && !system) {
      if (!scrolls && (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom))
        faults.insert(name + L" leaves its parent");
      for (const auto& [other, o] : siblings) {
        RECT both{};
        if (IntersectRect(&both, &r, &o)) faults.insert(name + L" overlaps " + Name(other));
      }
      siblings.emplace_back(child, r);
    }
    CheckLayout(child, fontHeight, faults, visible);
  }
}

// The faults of every page in turn (so that each page's own children are shown), one a line.
std::string LayoutFaults(MainWindow& form) {
  std::set<std::wstring> faults;
  for (const auto& page : form.pages()) {
    form.SwitchToPage(*page);
    Pump(10);
    CheckLayout(form.handle(), -dpi::Scale(12, dpi::Current()), faults);
  }
  std::string text;
  for (const std::wstring& f : faults) text += ToUtf8(f) + "\n";
  return text;
}

// The real window at each DPI, then moved to a monitor of another: scaled, with
// the scale's fonts and pictures, and nothing overlapping or leaving its parent
// but the title buttons, which share one column by design (their glyphs leave it plain).
TEST(DpiWindow, AtEachDpiAndAfterAMoveTheWindowIsScaledAndNothingOverlapsOrLeavesItsParent) {
  std::unique_ptr<MainWindow> form;
  const auto open = [&] {
    RemoveSavedSettings();
    form = std::make_unique<MainWindow>(FormOptions::Hosted(AllPages()));
    form->create();
    form->showMain();
    Pump(20);
  };
  const auto expectScaled = [&](int d) {
    SCOPED_TRACE(d);
    EXPECT_EQ(dpi::Current(), d);
    RECT client{};
    GetClientRect(form->handle(), &client);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(form->publicImageList(), &cx, &cy);
    EXPECT_TRUE(client.right == dpi::Scale(MainWindow::kClientWidth, d) && client.bottom == dpi::Scale(MainWindow::kClientHeight, d));
    EXPECT_EQ(cx, dpi::Scale(16, d));
    EXPECT_EQ(LayoutFaults(*form),
              "WvWindow '' (0,0,800,22) > WvWindow '' (726,0,753,17) overlaps WvWindow '' (700,0,727,17)\n"
              "WvWindow '' (0,0,800,22) > WvWindow '' (752,0,795,17) overlaps WvWindow '' (726,0,753,17)\n");
  };
  for (int d : {96, 120, 144, 192}) {
    dpi::Substitute at(d);
    open();
    expectScaled(d);
    form.reset();
  }
  EXPECT_EQ(dpi::Current(), dpi::ForScreen());  // the substitutes are gone again

  dpi::Substitute at(96);
  open();
  HWND h = form->handle();
  RECT before{}, after{};
  GetWindowRect(h, &before);
  const RECT suggested{before.left, before.top, before.left + 1200, before.top + 845};
  SendMessageW(h, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  Pump(20);
  GetWindowRect(h, &after);
  EXPECT_TRUE(EqualRect(&after, &suggested));
  expectScaled(144);  // fonts, pictures and the layout followed; design bounds are what they were
  const RECT side = form->sideBar.deviceBounds();
  EXPECT_TRUE(side.left == 1200 - 213 && side.right == 1200);
  EXPECT_EQ(form->pages().front()->width(), MainWindow::kClientWidth - MainWindow::kSideWidth);
  form.reset();
  Pump(10);
}

}  // namespace
}  // namespace wv::test
