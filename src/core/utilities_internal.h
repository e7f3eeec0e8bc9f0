#pragma once
// Shared between the publline source files only.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <windows.h>

namespace wv::detail {

// The window that owns message boxes and the folder browser (null before the main window exists).
HWND AppOwner();

}  // namespace wv::detail
