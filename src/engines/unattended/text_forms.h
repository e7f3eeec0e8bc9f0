#pragma once
// Text forms the report and the task definition share.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_ENGINES, "engines stand above core: core uses none of them");

#include <string>
#include <string_view>

namespace wv {

// The number in decimal, zeros in front up to width digits ("07", "2026").
std::wstring ZeroPadded(unsigned value, int width);
// The text for an HTML page or an XML file: & < > " ' as entities.
std::wstring MarkupEscaped(std::wstring_view text);

}  // namespace wv
