#include "ui/pictures.h"

#include <cstdint>
#include <utility>

#include "platform/platform.h"
#include "ui/dpi.h"

namespace wv {
namespace {

HBITMAP LoadDib(int resourceId) {
  return static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0,
                                         0, LR_CREATEDIBSECTION));
}

}  // namespace

ScaledResource ResourceForDpi(int resourceId, int dpi) {
  if (dpi < 120) return {resourceId, 100};
  if (dpi <= 120) return {resourceId + IDB_SCALE_STEP, 125};
  if (dpi <= 144) return {resourceId + 2 * IDB_SCALE_STEP, 150};
  return {resourceId + 3 * IDB_SCALE_STEP, 200};
}

void Picture::Bitmap::load(int id) {
  bitmap.reset(LoadDib(id));
  width = height = 0;
  alpha = false;
  if (!bitmap) return;
  DIBSECTION dib{};
  if (GetObjectW(bitmap.get(), sizeof dib, &dib) != sizeof dib) {
    BITMAP bm{};
    GetObjectW(bitmap.get(), sizeof bm, &bm);
    width = bm.bmWidth;
    height = bm.bmHeight;
    return;
  }
  width = dib.dsBm.bmWidth;
  height = dib.dsBm.bmHeight < 0 ? -dib.dsBm.bmHeight : dib.dsBm.bmHeight;
  if (dib.dsBm.bmBitsPixel != 32 || !dib.dsBm.bmBits) return;
  // AlphaBlend wants premultiplied colours; a picture whose alpha is all zero is opaque.
  auto* px = static_cast<std::uint8_t*>(dib.dsBm.bmBits);
  const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  bool anyAlpha = false;
  for (std::size_t i = 0; i < n && !anyAlpha; ++i) anyAlpha = px[i * 4 + 3] != 0;
  if (!anyAlpha) return;
  for (std::size_t i = 0; i < n; ++i) {
    std::uint8_t* p = px + i * 4;
    const unsigned a = p[3];
    p[0] = static_cast<std::uint8_t>(p[0] * a / 255);
    p[1] = static_cast<std::uint8_t>(p[1] * a / 255);
    p[2] = static_cast<std::uint8_t>(p[2] * a / 255);
  }
  alpha = true;
}

Picture::Picture(int resourceId) : id_(resourceId) { base_.load(resourceId); }

const Picture::Bitmap& Picture::forDpi(int dpi) const {
  const ScaledResource r = ResourceForDpi(id_, dpi);
  if (r.percent == 100 || !base_.bitmap) return base_;
  if (scaledId_ != r.id) {
    scaledId_ = r.id;
    scaled_.load(r.id);
  }
  return scaled_.bitmap ? scaled_ : base_;
}

void Picture::blit(HDC dc, const RECT& dest, const Bitmap& from, const RECT& src) {
  UniqueMemoryDc memDc(CreateCompatibleDC(dc));
  if (!memDc) return;
  HDC mem = memDc.get();
  SelectGuard keep(mem, from.bitmap.get());
  const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  const int sw = src.right - src.left, sh = src.bottom - src.top;
  if (from.alpha) {
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    // gdi32's own entry, which msimg32's AlphaBlend forwards to: gdi32 is one of
    // Windows' known DLLs, msimg32 is not and would be looked for beside the program.
    GdiAlphaBlend(dc, dest.left, dest.top, dw, dh, mem, src.left, src.top, sw, sh, bf);
  } else if (dw == sw && dh == sh) {
    BitBlt(dc, dest.left, dest.top, dw, dh, mem, src.left, src.top, SRCCOPY);
  } else {
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, dest.left, dest.top, dw, dh, mem, src.left, src.top, sw, sh, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
  }
}

void Picture::draw(HDC dc, const RECT& dest, const RECT& src) const {
  if (!base_.bitmap) return;
  const int d = dpi::OfDc(dc);
  if (d == dpi::kDesign) {
    blit(dc, dest, base_, src);
    return;
  }
  const Bitmap& b = forDpi(d);
  // The source part in the rendering's pixels, the destination in the device's.
  auto along = [](int v, int size, int base) { return base ? (v * size + base / 2) / base : v; };
  const RECT from{along(src.left, b.width, base_.width), along(src.top, b.height, base_.height),
                  along(src.right, b.width, base_.width), along(src.bottom, b.height, base_.height)};
  dpi::DeviceUnits device(dc);
  blit(dc, device.toDevice(dest), b, from);
}

void Picture::draw(HDC dc, const RECT& dest) const { draw(dc, dest, RECT{0, 0, base_.width, base_.height}); }

namespace {

// A 32 bpp copy of the whole bitmap at width x height (null when GDI fails).
UniqueBitmap StretchedCopy(HBITMAP from, int width, int height, int mode) {
  BITMAP bm{};
  if (!GetObjectW(from, sizeof bm, &bm) || bm.bmHeight == 0) return {};
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof bi.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  UniqueBitmap out(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueMemoryDc source(CreateCompatibleDC(nullptr)), target(CreateCompatibleDC(nullptr));
  if (!out || !source || !target) return {};
  {
    SelectGuard a(source.get(), from), b(target.get(), out.get());
    SetStretchBltMode(target.get(), mode);
    SetBrushOrgEx(target.get(), 0, 0, nullptr);
    const int sourceHeight = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    StretchBlt(target.get(), 0, 0, width, height, source.get(), 0, 0, bm.bmWidth, sourceHeight, SRCCOPY);
  }
  GdiFlush();
  return out;
}

bool FillStrip(HIMAGELIST list, int resourceId, int size, int dpi) {
  const int side = dpi::Scale(size, dpi);
  const ScaledResource r = ResourceForDpi(resourceId, dpi);
  UniqueBitmap strip(LoadDib(r.id));
  int cell = dpi::Scale(size, dpi::kDesign * r.percent / 100);
  if (!strip) {
    strip.reset(LoadDib(resourceId));
    cell = size;
  }
  if (!strip) return false;
  if (cell != side) {
    BITMAP bm{};
    GetObjectW(strip.get(), sizeof bm, &bm);
    // Nearest pixel, so that the alpha of each cell is kept.
    const int count = cell > 0 ? bm.bmWidth / cell : 0;
    UniqueBitmap stretched = count > 0 ? StretchedCopy(strip.get(), count * side, side, COLORONCOLOR) : UniqueBitmap();
    if (stretched) strip = std::move(stretched);
  }
  return ImageList_Add(list, strip.get(), nullptr) >= 0;
}

}  // namespace

UniqueBitmap FitSquare(UniqueBitmap picture, int side) {
  BITMAP bm{};
  if (!picture || !GetObjectW(picture.get(), sizeof bm, &bm)) return picture;
  const int height = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
  if (bm.bmWidth == side && height == side) return picture;
  UniqueBitmap out = StretchedCopy(picture.get(), side, side, HALFTONE);
  return out ? std::move(out) : std::move(picture);
}

UniqueImageList LoadImageStrip(int resourceId, int size) { return LoadImageStrip(resourceId, size, dpi::Current()); }

UniqueImageList LoadImageStrip(int resourceId, int size, int dpi) {
  const int side = dpi::Scale(size, dpi);
  UniqueImageList list(ImageList_Create(side, side, ILC_COLOR32, 24, 8));
  if (list) FillStrip(list.get(), resourceId, size, dpi);
  return list;
}

bool ReloadImageStrip(HIMAGELIST list, int resourceId, int size, int dpi) {
  const int side = dpi::Scale(size, dpi);
  if (!list || !ImageList_SetIconSize(list, side, side)) return false;  // empties the list
  return FillStrip(list, resourceId, size, dpi);
}

HICON AppIcon(bool small) {
  const int cx = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
  const int cy = GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON);
  return static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, cx, cy, LR_SHARED));
}

int GetSysIconIndex(std::wstring_view path) { return Sh().smallIconIndex(path); }

UniqueBitmap GetFileIconBitmap(std::wstring_view path) { return Sh().smallIconBitmap(path); }

}  // namespace wv
