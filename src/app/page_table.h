#pragma once
// The one list of the program's pages. The main window builds, initialises,
// stops and offers drops to the pages in this order; the side bar makes one
// button per entry that has a heading. Adding a page is one entry here plus the
// page's own files (docs/ARCHITECTURE.md, "How to add a page").

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_APP, "the main window and its pages are above every other layer");

#include <memory>
#include <span>
#include <string_view>

#include "core/modules.h"

namespace wv {

class Page;
class MainWindow;

// The side-bar heading a page's button sits under; None: the page has no button
// (it is opened by other pages).
enum class SideGroup { None, Cleaning, FileTools };

// The icons of the side-bar strip (IDB_SIDEBUTTONS), 24 x 24 each.
enum class SidePicture : int {
  DailyFiles = 0,
  DailyRegistry = 1,
  OtherTraces = 2,
  Startup = 3,
  Software = 4,
  JunkFiles = 5,
  RegistryRedundancy = 6,
  FileInfo = 7,
  Shredder = 8,
  Music = 9,
  NoPicture = -1,
};

struct PageEntry {
  Module module;              // its title and side-bar caption come from the module table
  SideGroup group;
  SidePicture picture;
  bool buttonShown;           // false: the button exists but nothing shows it
  std::unique_ptr<Page> (*make)(MainWindow& form);
};

// In side-bar order; the first entry is the start page. The pages library fills
// it (pages/page_table.h) and the program hands it to the main window.
using PageTable = std::span<const PageEntry>;

}  // namespace wv
