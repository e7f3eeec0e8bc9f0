#pragma once
// The junk-file scan: walks the ticked drives or one chosen folder depth first
// and lists every file whose name matches a ticked junk mask, leaving out the
// built-in names and folders and the user's excluded folders.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engines/cleaning/found_row.h"
#include "core/run_context.h"
#include "core/known_folders.h"

namespace wv {

enum class JunkScanMode { TickedDrives = 1, ChosenFolder = 2 };

// What the page reads from its controls when a scan starts.
struct JunkScanInput {
  JunkScanMode mode = JunkScanMode::TickedDrives;
  // The drive of each row of the drive list ("C:"), in row order.
  std::vector<std::wstring> drives;
  // Each row's tick when the scan starts; the run is asked again (stillTicked)
  // when the walk reaches the row, so that a row unticked during a scan is left out.
  std::vector<bool> driveTicks;
  // The folder the user chose (ChosenFolder mode).
  std::wstring folder;
  // Captions of the ticked mask rows in row order, as shown; the scan passes
  // each through NormalizeMask.
  std::vector<std::wstring> masks;
  // Captions of the exclusion list, in row order.
  std::vector<std::wstring> exclusions;
  KnownFolders known;
  // Drives on a local NTFS volume that can be opened are listed from the volume's
  // file table (the same rows in the same order, many times faster); false walks
  // every drive.
  bool fromTable = true;
};

struct JunkScanResult : FileScanResult {
  std::size_t drivesFromTable = 0;  // drives listed from their NTFS table rather than walked
};

// Lists and hands out one row per junk file (kind File, path, size in bytes),
// in the order found; run.scanned() tells where it is. The page does the run
// protocol around it and makes the text.
JunkScanResult JunkFileScan(const JunkScanInput& input, RunContext& run, const FoundSink& found);

}  // namespace wv
