#pragma once
// The daily file scan: the known temporary folders, recent-document links,
// system and software logs and the user's own folders, with the folders that
// will be empty once their listed files are gone ("废目录" rows).

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <optional>

#include "engines/cleaning/found_row.h"
#include "core/run_context.h"
#include "core/known_folders.h"
#include "core/protected_folders.h"

namespace wv {

// One row of the user-defined folder list.
struct UserCleanFolder {
  bool ticked = false;
  std::wstring folder;
  bool includeSubfolders = true;  // "包含"; "排除" is false
  bool givenTypes = true;         // "指定类型"; any other mode cleans everything
  std::wstring types;             // patterns separated by "|"
};


// The add handler's rules for an entry typed into the editor: folder and types
// trimmed and rid of every "/", the types emptied when everything is cleaned.
// Then, in this order, the reason it cannot be added (the text under the heading
// "增加失败"), or empty: no folder; no types; the folder is not an existing
// folder given by its full path; a types piece is not a valid mask.
std::wstring PrepareUserCleanFolder(UserCleanFolder& entry);

// The patterns of a types text: pieces between "|", trimmed, empty ones dropped,
// each through NormalizeMask; pieces that are not valid masks are left out.
std::vector<std::wstring> TypesToPatterns(std::wstring_view types);
// For the add handler: true when the text has at least one piece and every
// non-empty piece is a valid mask (no "[" left open).
bool IsValidTypesText(std::wstring_view types);

struct DailyScanInput {
  // Ticks of the five scan items, by catalogue position, when the scan starts;
  // the run is asked again (stillTicked) as the scan reaches each item.
  std::array<bool, 5> items{};
  std::vector<UserCleanFolder> userFolders;
  KnownFolders known;
  // Called once when the user-defined item is reached (the page locks the
  // list's add and delete buttons for the rest of the scan).
  std::function<void()> userFoldersReached;
  // What no location may take as a whole; unset: this machine's folders
  // (ProtectedFolders::Resolve()).
  std::optional<ProtectedFolders> protectedFolders;
};

// A location the scan left alone because taking it whole would take a folder
// it must not (a temporary folder that resolves to the profile or the Windows
// folder, a user's folder that is a drive's root ...).
struct RefusedLocation {
  int item = -1;  // catalogue position
  std::wstring folder;
  FolderProtection why = FolderProtection::None;
};

struct DailyScanResult : FileScanResult {
  std::vector<RefusedLocation> refused;  // in scan order
};

// Scans the ticked items in order and hands out one row per file found (kind
// File, size in bytes) and per folder left empty once those files are gone
// (kind WasteFolder, size 0), each with its item's position and what the scan
// saw of it (identity, root); paths have no trailing backslash. An entry reached
// twice (two locations that are one folder) is listed once. A location that
// takes a folder whole (every file, or its subfolders, or its waste folders)
// yields nothing when LocationBound refuses it, and the result says why.
// run.scanned() tells where it is; the page makes the text.
DailyScanResult DailyFileScan(const DailyScanInput& input, RunContext& run, const FoundSink& found);

// One location of an item as the scan handles it (exposed for the page's tests
// and for checking the table against the known folders).
struct DailyLocation {
  std::wstring folder;  // empty when its known folder is unresolved: nothing is scanned
  std::vector<std::wstring> patterns;  // empty: every file
  std::vector<std::wstring> skippedNames;
  bool withSubfolders = false;
  bool wasteFolders = false;
};
// The fixed locations of items 0 to 3, in order; empty for any other position.
std::vector<DailyLocation> DailyLocations(int position, const KnownFolders& known);
// Whether a location takes its folder as a whole (every file, its subfolders or
// its waste folders), which only a folder within bounds may give.
bool TakesWholeFolder(const DailyLocation& location);

}  // namespace wv
