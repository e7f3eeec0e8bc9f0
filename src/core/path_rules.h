#pragma once
// The path rules for registry values and command lines, and the file-name check.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <string>
#include <string_view>

namespace wv {

bool LooksLikeFilePath(std::wstring_view text);
std::wstring ExtractPathFromCommand(std::wstring_view text);
// Trims the name (stored back) and strips its trailing dots; the error text, or empty.
std::wstring CheckFileName(std::wstring& name);
// A name Windows keeps for a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, also
// with an extension or blanks before it): opening it opens the device.
bool IsDeviceName(std::wstring_view name);
// One file's name, exactly as given, that stays inside the folder it is joined
// to: no separator, no "." or "..", no device, no control character, no "\:*?"<>|",
// no blank or dot at its end (Windows would drop them and find another file).
bool IsPlainFileName(std::wstring_view name);

}  // namespace wv
