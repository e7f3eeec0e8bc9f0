#pragma once
// The junk-file scan: walks the ticked drives or one chosen folder depth first
// and lists every file whose name matches a ticked junk mask, leaving out the
// built-in names and folders and the user's excluded folders.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine.h"
#include "core/knownfolders.h"
#include "core/rows.h"

namespace wv {

enum class JunkScanMode { TickedDrives = 1, ChosenFolder = 2 };

// What the page reads from its controls when a scan starts.
struct JunkScanInput {
  JunkScanMode mode = JunkScanMode::TickedDrives;
  // "C:" for each row of the drive list, in row order (DriveFromCaption).
  std::vector<std::wstring> drives;
  // Asked for a row's tick when the walk reaches that row, so that a row
  // unticked during a scan is left out; unset: every row is walked.
  std::function<bool(std::size_t row)> driveTicked;
  // The folder ChooseFolder returned (ChosenFolder mode).
  std::wstring folder;
  // Captions of the ticked mask rows in row order, as shown; the scan passes
  // each through NormalizeMask.
  std::vector<std::wstring> masks;
  // Captions of the exclusion list, in row order.
  std::vector<std::wstring> exclusions;
  KnownFolders known;
};

struct JunkScanResult {
  std::size_t rows = 0;       // rows in the result model at the end
  std::uint64_t total = 0;    // bytes of all listed files
  bool stopped = false;       // a stop request ended the walk early
};

// Image index of the result rows: the junk-mask picture of the catalogue.
inline constexpr int kJunkRowImage = 6;
// Image index of the rows of the exclusion list (a folder).
inline constexpr int kExclusionRowImage = 4;

// Clears rows, walks, appends one row per junk file (caption = full path,
// sub[0] = FormatSize text, size = bytes, image kJunkRowImage) and ends with the
// summary on the status line. The page does the run protocol around it.
JunkScanResult JunkFileScan(const JunkScanInput& input, RunContext& run, RowModel& rows);
// The status line at the end of a scan: count and total size, or that nothing was found.
std::wstring JunkScanSummary(const JunkScanResult& result);

// The drive of a drive-list caption such as "系统 (C:)": the two characters
// before its last one; empty when the caption is too short.
std::wstring DriveFromCaption(std::wstring_view caption);

}  // namespace wv
