#pragma once
// Removing what the junk-file and daily-file scans found. Every chosen entry is
// checked just before it goes: the folders on its way are held and must not have
// become links below the scan's root, and the entry must be the object the scan
// listed (volume, file ID, size and last-write time). Direct deletion removes it
// through the handle that was checked; the recycle bin and the move go through
// the shell, checked before its call and after it. Rows that stay say why.

#include <windows.h>

#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/run_context.h"
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

// What the move mode's target folder is to the chosen rows.
enum class MoveTarget {
  Usable,
  Missing,     // not given, or not an existing folder
  InsideScan,  // where a chosen row was scanned (at or below its root): its files would be found again
};
// Usable in the other modes.
MoveTarget CheckMoveTarget(const RemovalOptions& options, const std::vector<FoundRow>& rows,
                           const std::vector<std::size_t>& indices);

struct RemovalReport {
  std::vector<std::size_t> gone;                          // ascending: rows whose entry is gone
  std::vector<std::pair<std::size_t, KeptReason>> kept;   // ascending: rows tried that stay, and why
  std::size_t removed = 0;  // of gone, those this removal took (the others were gone already)
  bool stopped = false;     // a stop request came before every chosen row was tried
};

// Removes the chosen rows (indices in any order; repeats, those past the end and
// rows of other kinds than File and WasteFolder, the rule file's registry and
// refused rows, are ignored): files first, in list order, then waste folders ("废目录"), which
// go only while they hold nothing but what went. Before each step run.proceed()
// is asked; a stop leaves the rows not yet tried as they were. Nothing happens
// when the move mode's target is not usable.
//  - Direct deletion: each entry is opened as itself, checked and deleted
//    through that handle; a read-only mark is cleared first, except on a file
//    with other names (it stays: clearing the mark would clear theirs).
//  - Recycle bin: the checked files in one shell operation, then the waste
//    folders in a second; paths the shell's file operation cannot take go one by
//    one through the interface that takes long paths, or stay. When the user
//    declines or stops the shell's question, nothing further goes; when the
//    shell fails otherwise, the waste folders that are empty by then go.
//  - Move: each file to a free name in the target ("name (2).ext": nothing there
//    is ever replaced) in one shell operation, long paths through the checked
//    handle; then the waste folders are deleted as in direct deletion.
// Read-only, hidden and system marks cleared for the shell come back on what is left.
RemovalReport RemoveFoundRows(const std::vector<FoundRow>& rows, std::vector<std::size_t> indices,
                              const RemovalOptions& options, RunContext& run);

// Why a row stayed, in a few words: the size column of the result lists and the
// report of a cleaning with nobody there show the same text.
std::wstring_view KeptReasonText(KeptReason reason);

// 0 .. count-1, for the "全部删除" buttons.
std::vector<std::size_t> AllRowIndices(std::size_t count);

// The first of name, "stem (2).ext", "stem (3).ext" ... that is neither in the
// folder (trailing backslash) nor among taken (folded names, to which it is added).
std::wstring FreeName(std::wstring_view folder, std::wstring_view name, std::set<std::wstring>& taken);

}  // namespace wv
