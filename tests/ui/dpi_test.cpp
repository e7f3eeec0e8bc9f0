// Scaling with the screen's DPI: the rounding rule, and fonts and pictures at each
// scale (substituted: the prefix's own DPI is never touched).

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <tuple>
#include <vector>

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

}  // namespace
}  // namespace wv::test
