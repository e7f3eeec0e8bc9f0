#pragma once
// What the junk-file and daily-file scans find, as plain values: the removal
// decides by the kind, the pages make the text.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_ENGINES, "engines stand above core: core uses none of them");

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace wv {

enum class FoundKind {
  File,         // a file to remove
  WasteFolder,  // a folder left empty once the listed files are gone ("废目录")
};

struct FoundRow {
  std::wstring path;       // full path, no trailing backslash
  std::uint64_t size = 0;  // bytes; 0 for folders
  FoundKind kind = FoundKind::File;
  int item = -1;           // the daily scan's item (catalogue position); -1 for the junk scan
  // What within its item chose the row, for the report: the junk mask as listed,
  // the location's mask, the user's folder and mask; empty when the item's
  // location takes every file.
  std::wstring rule;
};

// Where a scan hands its rows, one call per row in the order found.
using FoundSink = std::function<void(FoundRow)>;

// What a file scan reports at its end.
struct FileScanResult {
  std::size_t rows = 0;     // rows handed out
  std::uint64_t total = 0;  // bytes of the listed files
  bool stopped = false;     // a stop request ended the walk early
};

}  // namespace wv
