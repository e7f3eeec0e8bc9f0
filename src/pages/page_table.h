#pragma once
// Every page of the program, in side-bar order: what the program and the tests
// hand to the main window (FormOptions::pages).

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_PAGES, "the pages stand above the main window");

#include "app/page_table.h"

namespace wv {

PageTable AllPages();

}  // namespace wv
