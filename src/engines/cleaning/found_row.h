#pragma once
// What the junk-file and daily-file scans find, as plain values: the removal
// decides by the kind, the pages make the text.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_ENGINES, "engines stand above core: core uses none of them");

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace wv {

struct RegistryRow;
enum class FolderProtection;  // core/protected_folders.h

enum class FoundKind {
  File,           // a file to remove
  WasteFolder,    // a folder left empty once the listed files are gone ("废目录")
  RegistryKey,    // a registry key with everything below it (a rule of the rule file)
  RegistryValue,  // one registry value (a rule of the rule file)
  RefusedFolder,  // a rule's folder that is never scanned (protection says why)
  RefusedKey,     // a rule's registry key that is never deleted whole (a root or a key every program shares)
};

// Rows the shell's file operation removes; the other kinds never go through it.
inline bool IsFileKind(FoundKind kind) { return kind == FoundKind::File || kind == FoundKind::WasteFolder; }

// What chose a row, for the lists and the report. A rule-file row names the
// entry and its key ("FileKey3", "RegKey1"); a row of the built-in scans names
// what within its item chose it: the junk mask as listed ("*.tmp"), a location's
// mask, the user's folder and its mask. Empty when an item's location takes every
// file.
struct FoundRule {
  std::wstring entry;  // rule-file rows: the section name as the file writes it
  std::wstring key;    // rule-file rows
  std::wstring mask;   // the built-in scans' rows

  [[nodiscard]] bool fromRuleFile() const { return !entry.empty(); }
};

struct FoundRow {
  std::wstring path;       // full path, no trailing backslash; registry rows: the key as the editor names it
  std::uint64_t size = 0;  // bytes; 0 for folders
  FoundKind kind = FoundKind::File;
  int item = -1;           // the daily scan's item (catalogue position); -1 for the junk scan
  FoundRule rule;          // what chose the row
  // Registry rows: the entry exactly as the scan saw it, so that removal acts on
  // it only while it is unchanged; RefusedKey rows: the key, with no value read.
  std::shared_ptr<const RegistryRow> registry;
  FolderProtection protection{};  // RefusedFolder rows: why (None otherwise)
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
