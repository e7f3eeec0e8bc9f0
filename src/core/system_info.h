#pragma once
// The system the program runs on: its name, the interface font, the administrator test.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <string>

namespace wv {

// "微软雅黑" on an NT-family system of major version 6 or later, else "宋体".
std::wstring GetUIFontName();
std::wstring GetOSName();

bool IsAdmin();

// The full path of the running program.
std::wstring ProgramPath();

}  // namespace wv
