#include "ui/theme.h"

#include <map>
#include <string>

#include "platform/handles.h"
#include "ui/dpi.h"

namespace wv::theme {
namespace {

struct FontSet {
  UniqueFont ui;
  UniqueFont bold;
  UniqueFont heading;
};

struct Fonts {
  std::wstring face = L"宋体";
  std::map<int, FontSet> sets;  // by pixel scale (DPI)
};

Fonts& TheFonts() {
  static Fonts fonts;
  return fonts;
}

// Paintings in design units get the design sizes (GDI scales them); windows
// (WM_SETFONT) get the sizes of the present DPI.
int FontDpi() { return dpi::DesignPainting::active() ? dpi::kDesign : dpi::Current(); }

// The three fonts of the theme: where each is kept, its design size and weight.
struct Kind {
  UniqueFont FontSet::*member;
  int pixels;
  int weight;
};
constexpr Kind kUi{&FontSet::ui, 12, FW_NORMAL};
constexpr Kind kBold{&FontSet::bold, 12, FW_BOLD};
constexpr Kind kHeading{&FontSet::heading, 15, FW_BOLD};

HFONT Get(const Kind& kind, int dpiValue) {
  Fonts& f = TheFonts();
  UniqueFont& font = f.sets[dpiValue].*kind.member;
  if (!font) font = MakeFont(f.face, dpi::Scale(kind.pixels, dpiValue), kind.weight);
  return font.get();
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
  f.sets.clear();
}

HFONT UiFont() { return Get(kUi, FontDpi()); }

HFONT BoldFont() { return Get(kBold, FontDpi()); }

HFONT HeadingFont() { return Get(kHeading, FontDpi()); }

HFONT SameFontAt(HFONT font, int fromDpi, int toDpi) {
  Fonts& f = TheFonts();
  auto it = f.sets.find(fromDpi);
  if (!font || it == f.sets.end()) return nullptr;
  for (const Kind* kind : {&kUi, &kBold, &kHeading})
    if (font == (it->second.*kind->member).get()) return Get(*kind, toDpi);
  return nullptr;
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
  // gdi32's own entry (a known DLL), not msimg32's forwarder, which the program's folder could supply.
  GdiGradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V);
}

}  // namespace wv::theme
