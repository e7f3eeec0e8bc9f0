#pragma once
// Text in code page 936 (GBK), the ANSI code page of Simplified Chinese Windows,
// that old programs wrote into files without saying so.

#include <string>
#include <string_view>

namespace wv {

// The bytes read as code page 936; empty when they are not valid in it.
std::wstring FromCodePage936(std::string_view bytes);

}  // namespace wv
