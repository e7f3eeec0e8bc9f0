#pragma once
// Cleaning without the window: the daily-file scan (and the junk-file scan)
// with the user's saved choices, then, unless only a preview is asked for, the
// removal of exactly what was listed, with nobody there to answer the shell.
// Every listed item becomes a report row with the rule that chose it and what
// became of it.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_ENGINES, "engines stand above core: core uses none of them");

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "engines/cleaning/daily_files_scan.h"
#include "engines/cleaning/junk_scan.h"
#include "engines/cleaning/removal.h"
#include "engines/unattended/report.h"

namespace wv {

struct UnattendedPart {
  std::wstring page;                        // the page's title, for the report
  std::vector<std::wstring> itemCaptions;   // the daily scan's item captions by position; empty for junk
  RemovalOptions removal;                   // the saved mode and folder
};

struct UnattendedRequest {
  bool preview = false;  // list only
  std::optional<DailyScanInput> daily;
  UnattendedPart dailyPart;
  std::optional<JunkScanInput> junk;
  UnattendedPart junkPart;
  // Between the listing and the removal: how many items and bytes were listed
  // (the command line tells its console).
  std::function<void(std::size_t rows, std::uint64_t bytes)> onListed;
};

struct UnattendedOutcome {
  std::vector<ReportRow> rows;  // daily rows first, then junk rows, each in the order found
  std::size_t listed = 0;
  std::size_t removed = 0;
  std::size_t kept = 0;
  std::uint64_t listedBytes = 0;
  std::uint64_t removedBytes = 0;
  bool stopped = false;  // the run asked to stop part way
};

// The scans, then the removal per part with the part's options made unattended
// (no question, no progress, no error box; a move never replaces a file in the
// target folder). A file whose size changed since it was listed, one another
// program holds, and in the move mode one whose name the target folder (or an
// earlier listed item) already has, is kept, and so is whatever the removal
// left: each kept row says why. A file both scans list is listed once, by the daily scan.
UnattendedOutcome RunUnattendedClean(const UnattendedRequest& request, RunContext& run);

// Why an item the removal left is still there (empty when it is gone).
std::wstring WhyKept(const FoundRow& row);
inline constexpr std::wstring_view kChangedSinceListed = L"列出后文件已改变";
inline constexpr std::wstring_view kNameTakenInTarget = L"存放垃圾文件的目录中已有同名文件";

}  // namespace wv
