#pragma once
// File times as local date and time, and their classic texts.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <windows.h>

#include <string>
#include <string_view>

namespace wv {

[[nodiscard]] bool FileTimeToDateTime(const FILETIME& utc, SYSTEMTIME& local);
[[nodiscard]] bool DateTimeToFileTime(const SYSTEMTIME& local, FILETIME& utc);
// Local date and time text in a classic format ("yyyy-mm-dd", "yyyy-mm-dd hh:nn:ss"),
// two-second resolution; empty when the time cannot be converted.
std::wstring FormatFileTime(const FILETIME& utc, std::wstring_view format);

}  // namespace wv
