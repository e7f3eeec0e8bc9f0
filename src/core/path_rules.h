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

}  // namespace wv
