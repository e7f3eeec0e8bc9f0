#pragma once
// Where the start goes: each step of the program's start marks the moment it
// ends, and with the environment variable VANTORRA_TRACE set to "startup" the
// marks go to the debugger output as they are made, one line each:
//   WindowsVantorra start-up:   412.8 ms  +  35.1 ms  side bar
// (time since the process was created, time since the previous mark, the step).
// Without the variable a mark costs one test of a flag. bench/bench_startup
// reads the lines as the program's debugger and prints the table.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_APP, "the main window and its pages are above every other layer");

#include <string_view>

namespace wv {

// The text every line of the trace starts with.
inline constexpr std::wstring_view kStartupTracePrefix = L"WindowsVantorra start-up: ";

// True when the start is traced (read once from the environment).
[[nodiscard]] bool StartupTraced();
// The step that has just ended.
void StartupMark(std::wstring_view step);

}  // namespace wv
