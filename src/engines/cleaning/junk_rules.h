#pragma once
// What the junk-file scan leaves out and what it lists, shared by its two ways
// through a drive: walking the folders and reading an NTFS drive's file table.
// Either way a row holds the same identity and root, read through the file's
// own handle, so that the removal checks both alike.

#include <cstdint>
#include <optional>
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

  // A drive or folder to go through (root with its trailing backslash): false
  // when it only shows one gone through before under another name (a SUBST
  // drive, a volume mounted in a folder, a link). endRoot() once it is done.
  [[nodiscard]] bool beginRoot(std::wstring_view root);
  void endRoot();
  // Whether the root is where it says it is: not a SUBST drive or a link to a
  // folder elsewhere (whose volume's table would list that volume's whole tree).
  [[nodiscard]] bool rootIsItself() const;

  // A folder below the root (path with its trailing backslash, and its 8.3
  // form) left out with everything below it: built-in fragments, the user's
  // known folders and exclusions, by their text and by where they really are.
  [[nodiscard]] bool skipsFolder(std::wstring_view path, std::wstring_view shortPath);
  // The mask as listed ("*.tmp") that makes a file name junk: the first ticked
  // mask that matches it, unless a built-in name rules it out; null when none.
  [[nodiscard]] const std::wstring* junkMaskOf(std::wstring_view name);
  // The row of a junk file at path (mask: the one that chose it), read through
  // its handle; nothing when it is in use, gone, a folder, or listed before
  // under another name.
  [[nodiscard]] std::optional<FoundRow> listFile(const std::wstring& path, const std::wstring& mask);

 private:
  FoldedNeedles names_;
  FoldedNeedles fragments_;
  std::vector<FileMask> masks_;
  std::vector<std::wstring> captions_;  // beside masks_
  std::vector<std::wstring> excludedFinal_;  // folded, trailing backslash
  std::vector<std::wstring> walkedFinal_;    // roots gone through so far, as excludedFinal_
  std::wstring root_;
  std::wstring rootFinal_;
  cleanscan::VolumeSerials serials_;
  cleanscan::ListedOnce once_;
  std::wstring folderFinal_, folderOfFinal_;
  std::wstring scratch_, finalScratch_;
};

// How reading a drive from its NTFS table went.
enum class TableScan {
  Listed,       // the drive was listed from its table
  Stopped,      // a stop request ended it
  Unavailable,  // not a local NTFS volume, no access, or the table did not hold together: walk it
};

// Lists one drive ("C:", begun with rules.beginRoot) from its file table in the
// walk's order with the walk's rules, or answers Unavailable before handing out
// any row.
TableScan ScanDriveFromTable(std::wstring_view drive, JunkRules& rules, cleanscan::FoundTally& tally);

}  // namespace wv
