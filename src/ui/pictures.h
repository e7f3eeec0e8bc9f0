#pragma once
// The program's pictures, loaded from its resources by identifier. A picture
// that is missing loads as empty; every caller then draws a plain substitute,
// so the window never fails for want of a picture.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_UI, WV_WINDOW_CODE);

#include <windows.h>

#include <string_view>

#include "platform/handles.h"
#include "resource.h"

namespace wv {

// The resources rendered at 125, 150 and 200 % (resource.h), by scale: the
// identifier of the rendering to use at dpi (the 100 % one below 120 DPI, the
// nearest larger one above, 200 % beyond) and its percentage.
struct ScaledResource {
  int id = 0;
  int percent = 100;
};
ScaledResource ResourceForDpi(int resourceId, int dpi);

class Picture {
 public:
  Picture() = default;
  // Loads a bitmap resource (its 100 % rendering); 32-bit pictures keep their
  // transparency. The larger renderings load when a painting first needs them.
  explicit Picture(int resourceId);

  [[nodiscard]] bool loaded() const { return base_.bitmap.valid(); }
  // In design units (the 100 % rendering's pixels).
  [[nodiscard]] int width() const { return base_.width; }
  [[nodiscard]] int height() const { return base_.height; }

  // Draws the part src (design units) of the picture into dest, stretched when
  // sizes differ. On a painting in design units at another DPI the rendering of
  // that scale is drawn in device pixels: 1:1 when the sizes meet.
  void draw(HDC dc, const RECT& dest, const RECT& src) const;
  void draw(HDC dc, const RECT& dest) const;

 private:
  struct Bitmap {
    UniqueBitmap bitmap;
    int width = 0;
    int height = 0;
    bool alpha = false;
    void load(int id);
  };
  const Bitmap& forDpi(int dpi) const;
  static void blit(HDC dc, const RECT& dest, const Bitmap& from, const RECT& src);

  int id_ = 0;
  Bitmap base_;
  mutable Bitmap scaled_;  // the last larger rendering drawn
  mutable int scaledId_ = 0;
};

// A picture list of square images cut from a horizontal strip resource, at the
// present DPI: images of dpi::S(size) pixels from the rendering of that scale
// (stretched when no rendering has the size); an empty list of that size when
// the resource is missing.
UniqueImageList LoadImageStrip(int resourceId, int size);
// The same for a given DPI.
UniqueImageList LoadImageStrip(int resourceId, int size, int dpi);
// Fills an existing list anew at dpi (its handle stays: lists and buttons that
// hold it keep it). False when the resource is missing.
bool ReloadImageStrip(HIMAGELIST list, int resourceId, int size, int dpi);

// A square picture at side x side pixels: the same bitmap when it has that size,
// else a 32 bpp copy stretched smoothly (for pictures that come at one size only,
// such as the shell's small icons, going into a list of the present DPI's size).
UniqueBitmap FitSquare(UniqueBitmap picture, int side);

// The program's icon (large or small), shared: never destroyed.
HICON AppIcon(bool small);

// A path's small shell icon: its index in the shared system list, or a new 16 x 16
// bitmap of it (invalid when there is none).
int GetSysIconIndex(std::wstring_view path);
UniqueBitmap GetFileIconBitmap(std::wstring_view path);

}  // namespace wv
