#pragma once
// What the junk-file scan leaves out and what it lists, shared by its two ways
// through a drive: walking the folders and reading an NTFS drive's file table.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engines/cleaning/clean_scan.h"
#include "engines/cleaning/junk_scan.h"
#include "platform/text.h"

namespace wv {

class JunkRules {
 public:
  explicit JunkRules(const JunkScanInput& input);

  [[nodiscard]] bool hasPatterns() const { return !masks_.empty(); }
  // A folder (path with its trailing backslash, and its 8.3 form) left out with
  // everything below it: built-in fragments, the user's known folders, exclusions.
  [[nodiscard]] bool skipsFolder(std::wstring_view path, std::wstring_view shortPath);
  // The mask as listed ("*.tmp") that makes a file name junk: the first ticked
  // mask that matches it, unless a built-in name rules it out; null when none.
  [[nodiscard]] const std::wstring* junkMaskOf(std::wstring_view name);

 private:
  FoldedNeedles names_;
  FoldedNeedles fragments_;
  std::vector<FileMask> masks_;
  std::vector<std::wstring> captions_;  // beside masks_
  std::wstring scratch_;
};

// A junk row, whichever way the scan came to the file: its path, its size and
// the mask that chose it.
FoundRow JunkRow(const std::wstring& path, std::uint64_t size, const std::wstring& mask);

// How reading a drive from its NTFS table went.
enum class TableScan {
  Listed,       // the drive was listed from its table
  Stopped,      // a stop request ended it
  Unavailable,  // not a local NTFS volume, no access, or the table did not hold together: walk it
};

// Lists one drive ("C:") from its file table in the walk's order with the walk's
// rules, or answers Unavailable before handing out any row.
TableScan ScanDriveFromTable(std::wstring_view drive, JunkRules& rules, cleanscan::FoundTally& tally);

}  // namespace wv
