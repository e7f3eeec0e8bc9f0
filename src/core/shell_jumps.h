#pragma once
// Jumps into the shell's file browser and the registry editor.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <string_view>

namespace wv {

void ShowInExplorer(std::wstring_view path);
// keyPath as the registry editor shows it ("HKEY_CURRENT_USER\Software\..."); selectValue 0 or 1.
void OpenRegeditAt(std::wstring_view keyPath, std::wstring_view valueName, int selectValue);

}  // namespace wv
