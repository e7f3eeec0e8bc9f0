#pragma once
// Fonts and colours shared by every window of the program. The fonts are made
// once, from the face the system should use (GetUIFontName), on first use.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_UI, WV_WINDOW_CODE);

#include <windows.h>

#include <string_view>

#include "platform/handles.h"

namespace wv::theme {

// 12 px UI font, its bold form, and the 15 px bold page heading (design sizes:
// scaled to the present DPI for windows, kept for paintings in design units).
HFONT UiFont();
HFONT BoldFont();
HFONT HeadingFont();
// One of the three fonts above made for fromDpi: the same font for toDpi (null for
// any other font). A change of DPI hands every window its new font so.
HFONT SameFontAt(HFONT font, int fromDpi, int toDpi);
// A font of this face and pixel height, for windows that need their own sizes
// (a height in design units when it is selected into a painting).
UniqueFont MakeFont(std::wstring_view face, int pixels, int weight);
// Rebuilds the fonts with this face (the main window does it once at start).
void SetFontFace(const wchar_t* face);

inline constexpr COLORREF kPage = RGB(255, 255, 255);
inline constexpr COLORREF kSideBar = RGB(0xea, 0xf1, 0xfa);
inline constexpr COLORREF kSideHeading = RGB(0xd3, 0xe0, 0xf1);
inline constexpr COLORREF kSideHeadingText = RGB(0x1f, 0x3f, 0x6e);
inline constexpr COLORREF kSideHover = RGB(0xf6, 0xf9, 0xfe);
inline constexpr COLORREF kAccent = RGB(0x2b, 0x67, 0xc0);
inline constexpr COLORREF kAccentDark = RGB(0x1d, 0x4c, 0x93);
inline constexpr COLORREF kTitleTop = RGB(0x24, 0x5a, 0xa6);
inline constexpr COLORREF kTitleBottom = RGB(0x16, 0x3f, 0x7c);
inline constexpr COLORREF kStatusBar = RGB(0xf0, 0xf0, 0xf0);
inline constexpr COLORREF kStatusLine = RGB(0xb9, 0xc4, 0xd3);
inline constexpr COLORREF kText = RGB(0x20, 0x20, 0x20);
inline constexpr COLORREF kMutedText = RGB(0x70, 0x78, 0x84);
inline constexpr COLORREF kDisabledText = RGB(0xa0, 0xa6, 0xae);
inline constexpr COLORREF kFrame = RGB(0xb4, 0xc0, 0xd0);
inline constexpr COLORREF kLink = RGB(0x1a, 0x5f, 0xc8);
inline constexpr COLORREF kBand = RGB(0xf4, 0xf7, 0xfb);
inline constexpr COLORREF kTabIdle = RGB(0xee, 0xf2, 0xf7);
inline constexpr COLORREF kTabHover = RGB(0xe0, 0xe9, 0xf5);

// Solid brushes that live as long as the program (never freed by callers).
HBRUSH Brush(COLORREF colour);

void FillSolid(HDC dc, const RECT& rect, COLORREF colour);
void FrameSolid(HDC dc, const RECT& rect, COLORREF colour);
// Vertical gradient from top to bottom colour.
void FillGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom);

}  // namespace wv::theme
