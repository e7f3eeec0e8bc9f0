#pragma once
// Removing what the junk-file and daily-file scans found: the checks and the
// question of the move mode, one shell file operation over all chosen rows, and
// dropping the rows whose files are gone afterwards.

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engines/cleaning/found_row.h"

namespace wv {

// As stored in the settings: "1", "2", "3".
enum class RemovalMode { RecycleBin = 1, DeleteDirectly = 2, MoveToFolder = 3 };

struct RemovalOptions {
  RemovalMode mode = RemovalMode::RecycleBin;
  std::wstring moveFolder;  // the target of MoveToFolder
  HWND owner = nullptr;     // owner of the shell's own dialogs
  // Nobody is there to answer (the command line, the schedule): the shell asks
  // nothing, shows no progress and no error box.
  bool unattended = false;
};

// The move mode's target folder is not given or does not exist (the page says
// so and removes nothing).
bool TargetMissing(const RemovalOptions& options);

// Each chosen row of kind File whose file still exists, then each WasteFolder
// row (the daily page's "废目录") whose folder still holds nothing but files going in the same call (and
// no link), gets the archive attribute alone and goes into one shell file
// operation. When the user declines the shell's question or aborts it, nothing
// further happens; when the shell fails otherwise, each such folder still there
// is removed if empty. Whatever is left gets its read-only, hidden and system
// attributes back. Indices may come in any order and repeat; rows of other
// kinds (the rule file's registry and refused rows) are left out. The result: the
// chosen rows whose path exists neither as file nor as folder any more
// (ascending), which the page then drops. Nothing happens in the move mode when
// the target folder does not exist.
std::vector<std::size_t> RemoveFoundRows(const std::vector<FoundRow>& rows, std::vector<std::size_t> indices,
                                         const RemovalOptions& options);

// 0 .. count-1, for the "全部删除" buttons.
std::vector<std::size_t> AllRowIndices(std::size_t count);

}  // namespace wv
