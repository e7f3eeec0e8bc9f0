#pragma once
// The program's pictures, loaded from its resources by identifier. A picture
// that is missing loads as empty; every caller then draws a plain substitute,
// so the window never fails for want of a picture.

#include "core/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_UI, WV_WINDOW_CODE);

#include <windows.h>

#include "platform/handles.h"
#include "resource.h"

namespace wv {

class Picture {
 public:
  Picture() = default;
  // Loads a bitmap resource; 32-bit pictures keep their transparency.
  explicit Picture(int resourceId);

  [[nodiscard]] bool loaded() const { return bitmap_.valid(); }
  [[nodiscard]] int width() const { return width_; }
  [[nodiscard]] int height() const { return height_; }

  // Draws the part src of the picture into dest (stretched when sizes differ).
  void draw(HDC dc, const RECT& dest, const RECT& src) const;
  void draw(HDC dc, const RECT& dest) const;

 private:
  UniqueBitmap bitmap_;
  int width_ = 0;
  int height_ = 0;
  bool alpha_ = false;
};

// A picture list of square images cut from a horizontal strip resource; an empty
// list of that size when the resource is missing.
UniqueImageList LoadImageStrip(int resourceId, int size);

// The program's icon (large or small), shared: never destroyed.
HICON AppIcon(bool small);

}  // namespace wv
