#pragma once
// Cleaning without the window: the daily-file scan with the ticked entries of
// the rule file winapp2.ini (and the junk-file scan) with the user's saved
// choices, then, unless only a preview is asked for, the removal of exactly
// what was listed, with nobody there to answer the shell. Every listed item
// becomes a report row with the rule that chose it and what became of it.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_ENGINES, "engines stand above core: core uses none of them");

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/protected_folders.h"
#include "core/run_context.h"
#include "engines/cleaning/daily_files_scan.h"
#include "engines/cleaning/winapp2_folders.h"
#include "engines/cleaning/junk_scan.h"
#include "engines/cleaning/removal.h"
#include "engines/unattended/report.h"

namespace wv {

struct UnattendedPart {
  std::wstring page;                        // the page's title, for the report
  std::vector<std::wstring> itemCaptions;   // the daily scan's item captions by position; empty for junk
  RemovalOptions removal;                   // the saved mode and folder
};

// The rule file's entries ticked on the daily page, run after its items as the
// page runs them: only entries that apply to this machine; their rows belong to
// the daily part (files through its removal, registry rows after an undo file).
struct UnattendedRules {
  std::wstring file;                 // the rule file
  std::vector<std::wstring> ticked;  // entry names as the file writes them
  RuleFolders folders{{}};
  ProtectedFolders protection{{}};
  std::wstring registryBackupFolder;  // where the undo file goes, as the registry pages' do
};

struct UnattendedRequest {
  bool preview = false;  // list only
  std::optional<DailyScanInput> daily;
  std::optional<UnattendedRules> rules;  // with daily only
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
  std::wstring undoFile;  // the undo file written before registry rows went; empty when none
};

// The scans, then the removal per part with the part's options made unattended
// (no question, no progress, no error box), through the page's removal
// (RemoveFoundRows): each entry checked just before it goes, a move giving a
// free name in the target folder rather than replace a file. What it keeps
// (changed since it was listed, held by another program, reached through a
// folder that changed ...) says why with its KeptReason's text; so does a
// missing or unusable move target. A file both scans list is listed once, by the daily scan.
// Rule-file rows: a refused rule is kept with its reason, in a preview too;
// registry rows go only after their undo file is written, and when it cannot
// be, nothing of the daily part goes; a registry entry changed since it was
// listed stays. A rule file that cannot be read while entries are ticked is a
// kept row of its own, the rest being cleaned.
UnattendedOutcome RunUnattendedClean(const UnattendedRequest& request, RunContext& run);

inline constexpr std::wstring_view kUndoNotWritten = L"无法写入注册表撤销文件，没有删除任何项目：";
inline constexpr std::wstring_view kRegistryChanged = L"列出后注册表项目已改变";
// Why a rule-file row is never removed (RefusedFolder, RefusedKey).
std::wstring RefusalReason(const FoundRow& row);

}  // namespace wv
