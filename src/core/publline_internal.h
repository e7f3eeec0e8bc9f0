#pragma once
// Shared between the publline source files only.

#include <windows.h>

namespace wv::detail {

// The window that owns message boxes and the folder browser (null before the main window exists).
HWND AppOwner();

}  // namespace wv::detail
