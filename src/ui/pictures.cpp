#include "ui/pictures.h"

#include <cstdint>

namespace wv {
namespace {

HBITMAP LoadDib(int resourceId) {
  return static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0,
                                         0, LR_CREATEDIBSECTION));
}

}  // namespace

Picture::Picture(int resourceId) {
  bitmap_.reset(LoadDib(resourceId));
  if (!bitmap_) return;
  DIBSECTION dib{};
  if (GetObjectW(bitmap_.get(), sizeof dib, &dib) != sizeof dib) {
    BITMAP bm{};
    GetObjectW(bitmap_.get(), sizeof bm, &bm);
    width_ = bm.bmWidth;
    height_ = bm.bmHeight;
    return;
  }
  width_ = dib.dsBm.bmWidth;
  height_ = dib.dsBm.bmHeight < 0 ? -dib.dsBm.bmHeight : dib.dsBm.bmHeight;
  if (dib.dsBm.bmBitsPixel != 32 || !dib.dsBm.bmBits) return;
  // AlphaBlend wants premultiplied colours; a picture whose alpha is all zero is opaque.
  auto* px = static_cast<std::uint8_t*>(dib.dsBm.bmBits);
  const std::size_t n = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
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
  alpha_ = true;
}

void Picture::draw(HDC dc, const RECT& dest, const RECT& src) const {
  if (!bitmap_) return;
  UniqueMemoryDc memDc(CreateCompatibleDC(dc));
  if (!memDc) return;
  HDC mem = memDc.get();
  SelectGuard keep(mem, bitmap_.get());
  const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  const int sw = src.right - src.left, sh = src.bottom - src.top;
  if (alpha_) {
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, dest.left, dest.top, dw, dh, mem, src.left, src.top, sw, sh, bf);
  } else if (dw == sw && dh == sh) {
    BitBlt(dc, dest.left, dest.top, dw, dh, mem, src.left, src.top, SRCCOPY);
  } else {
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, dest.left, dest.top, dw, dh, mem, src.left, src.top, sw, sh, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
  }
}

void Picture::draw(HDC dc, const RECT& dest) const { draw(dc, dest, RECT{0, 0, width_, height_}); }

UniqueImageList LoadImageStrip(int resourceId, int size) {
  UniqueImageList list(ImageList_Create(size, size, ILC_COLOR32, 24, 8));
  UniqueBitmap strip(LoadDib(resourceId));
  if (list && strip) ImageList_Add(list.get(), strip.get(), nullptr);
  return list;
}

HICON AppIcon(bool small) {
  const int cx = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
  const int cy = GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON);
  return static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, cx, cy, LR_SHARED));
}

}  // namespace wv
