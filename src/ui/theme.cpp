#include "ui/theme.h"

#include <map>
#include <string>

#include "platform/handles.h"

namespace wv::theme {
namespace {

struct Fonts {
  std::wstring face = L"宋体";
  UniqueFont ui;
  UniqueFont bold;
  UniqueFont heading;
};

Fonts& TheFonts() {
  static Fonts fonts;
  return fonts;
}

}  // namespace

UniqueFont MakeFont(std::wstring_view face, int pixels, int weight) {
  LOGFONTW lf{};
  lf.lfHeight = -pixels;
  lf.lfWeight = weight;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  face.substr(0, LF_FACESIZE - 1).copy(lf.lfFaceName, LF_FACESIZE - 1);
  return UniqueFont(CreateFontIndirectW(&lf));
}

void SetFontFace(const wchar_t* face) {
  Fonts& f = TheFonts();
  if (f.face == face) return;  // fonts in use by live windows stay valid
  f.face = face;
  f.ui.reset();
  f.bold.reset();
  f.heading.reset();
}

HFONT UiFont() {
  Fonts& f = TheFonts();
  if (!f.ui) f.ui = MakeFont(f.face, 12, FW_NORMAL);
  return f.ui.get();
}

HFONT BoldFont() {
  Fonts& f = TheFonts();
  if (!f.bold) f.bold = MakeFont(f.face, 12, FW_BOLD);
  return f.bold.get();
}

HFONT HeadingFont() {
  Fonts& f = TheFonts();
  if (!f.heading) f.heading = MakeFont(f.face, 15, FW_BOLD);
  return f.heading.get();
}

HBRUSH Brush(COLORREF colour) {
  static std::map<COLORREF, UniqueBrush> brushes;
  auto it = brushes.find(colour);
  if (it == brushes.end()) it = brushes.emplace(colour, UniqueBrush(CreateSolidBrush(colour))).first;
  return it->second.get();
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) { FillRect(dc, &rect, Brush(colour)); }

void FrameSolid(HDC dc, const RECT& rect, COLORREF colour) { FrameRect(dc, &rect, Brush(colour)); }

void FillGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom) {
  TRIVERTEX v[2]{};
  v[0].x = rect.left;
  v[0].y = rect.top;
  v[0].Red = static_cast<COLOR16>(GetRValue(top) << 8);
  v[0].Green = static_cast<COLOR16>(GetGValue(top) << 8);
  v[0].Blue = static_cast<COLOR16>(GetBValue(top) << 8);
  v[1].x = rect.right;
  v[1].y = rect.bottom;
  v[1].Red = static_cast<COLOR16>(GetRValue(bottom) << 8);
  v[1].Green = static_cast<COLOR16>(GetGValue(bottom) << 8);
  v[1].Blue = static_cast<COLOR16>(GetBValue(bottom) << 8);
  GRADIENT_RECT g{0, 1};
  GradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V);
}

}  // namespace wv::theme
