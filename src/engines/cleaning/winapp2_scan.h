#pragma once
// The scan of the rule file's ticked entries, and the removal of the registry
// rows it lists. Each row carries the entry's name and the key that chose it
// ("FileKey3"), so that a list or a report can say which rule chose what.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_ENGINES, "engines stand above core: core uses none of them");

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/protected_folders.h"
#include "core/run_context.h"
#include "engines/cleaning/found_row.h"
#include "engines/cleaning/winapp2_file.h"
#include "engines/cleaning/winapp2_folders.h"
#include "engines/registry/redundancy_scan.h"
#include "engines/registry/registry_undo.h"

namespace wv {

// One entry to scan, with the row of the page's list that ticks it.
struct Winapp2Pick {
  const Winapp2Entry* entry = nullptr;
  std::size_t row = 0;  // asked again with stillTicked when the scan reaches the entry
  bool ticked = true;   // the snapshot
};

struct Winapp2ScanInput {
  std::vector<Winapp2Pick> entries;
  RuleFolders folders{{}};
  // Folders no rule may scan: a rule whose folder is one of them is listed as
  // refused and never walked.
  ProtectedFolders protection{{}};
  // Paths (folded with FoldInto) the result list already holds: not listed twice.
  std::unordered_set<std::wstring> alreadyListed;
  int item = -1;  // FoundRow::item of every row
};

struct Winapp2ScanResult {
  std::size_t rows = 0;          // every row handed out
  std::uint64_t total = 0;       // bytes of the listed files
  std::size_t registryRows = 0;  // of rows: registry keys and values
  std::size_t refused = 0;       // of rows: refused folders and keys
  bool stopped = false;
};

// Scans each ticked entry in order: files of every FileKey (with RECURSE the
// whole tree below, never entering a link or junction), the folders themselves
// for REMOVESELF (deepest first, each only when everything in it is listed),
// registry keys and values of every RegKey in both views; ExcludeKey keeps files,
// folders, keys and values out. Files in use are skipped.
Winapp2ScanResult Winapp2Scan(const Winapp2ScanInput& input, RunContext& run, const FoundSink& found);

// Whole keys the program never deletes: a root, a first-level key, the
// "Software\Microsoft"-like keys every program shares, anything in
// HKEY_CLASSES_ROOT or HKEY_CURRENT_CONFIG (both views of other keys).
bool IsSharedRegistryKey(const RuleKey& key);

struct RegistryRemoval {
  UndoFile undo;                   // nothing was deleted unless undo.written
  std::vector<std::size_t> gone;  // chosen rows whose entry is gone now, ascending
  // Chosen rows whose entry is still there, ascending, and why: changed since
  // the scan saw it, or the system did not delete it.
  std::vector<std::pair<std::size_t, RowDeletion>> left;
};
// The registry rows among the chosen ones: first what they would remove goes
// into an undo file in regBackupDir (and its record), then each is deleted while
// it is as the scan saw it, parents before the keys below them. Other rows are
// left alone.
RegistryRemoval RemoveRegistryRows(const std::vector<FoundRow>& rows, std::vector<std::size_t> indices,
                                   std::wstring_view regBackupDir);

}  // namespace wv
