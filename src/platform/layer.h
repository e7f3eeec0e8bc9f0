#pragma once
// The layers the build keeps apart, each a static library that links only the
// ones below it. A layer's sources compile with its number in WV_LAYER; code
// outside the layered libraries (tests, benchmarks, the screenshot driver) sees
// every layer. A header states the lowest layer that may include it:
//   WV_REQUIRE_LAYER(WV_LAYER_UI, "...");

#define WV_LAYER_PLATFORM 1
#define WV_LAYER_CORE 2
#define WV_LAYER_ENGINES 3
#define WV_LAYER_UI 4
#define WV_LAYER_APP 5
#define WV_LAYER_PAGES 6
#define WV_LAYER_CLI 7

#ifndef WV_LAYER
#define WV_LAYER 9
#endif

#define WV_REQUIRE_LAYER(level, why) static_assert(WV_LAYER >= (level), why)

// The message of every window header: engines and core hold no window code.
#define WV_WINDOW_CODE "window code (src/ui, src/app, pages) cannot be included here: engines and core hold no window code"
