#pragma once
// What removal does before it touches a listed entry: it holds every folder on
// the way from the drive's root to the entry (so that none of them can be
// renamed, removed or swapped for a link while the removal works), checks that
// none below the scan's root is a link, opens the entry itself and confirms
// through that handle that it is the object the scan listed.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_ENGINES, "engines stand above core: core uses none of them");

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "engines/cleaning/clean_scan.h"
#include "engines/cleaning/found_row.h"
#include "platform/platform.h"

namespace wv {

// One held folder and what was found on the way to it.
struct HeldFolder {
  std::unique_ptr<Entry> entry;  // null when it could not be held
  KeptReason problem = KeptReason::None;  // why nothing below it may be removed
  bool gone = false;          // it is not there: neither is anything below it
  std::wstring finalPath;     // where the handle leads, trailing backslash; empty when unknown
};

// The folders held for the rows being removed, by path.
class HeldFolders {
 public:
  // Holds folder (trailing backslash) and every folder above it; those longer
  // than rootLength characters must be real folders, not links. The record of
  // folder itself.
  const HeldFolder& hold(const std::wstring& folder, std::size_t rootLength);
  // Lets go of every held folder that is not folder or above it (direct removal
  // keeps only the current row's way held).
  void keepOnly(const std::wstring& folder);
  // Lets go of everything.
  void release() { held_.clear(); }
  [[nodiscard]] std::size_t size() const { return held_.size(); }
  cleanscan::VolumeSerials& serials() { return serials_; }

 private:
  std::map<std::wstring, HeldFolder> held_;  // by folded path
  cleanscan::VolumeSerials serials_;
  std::wstring key_;
};

// The outcome of checking one row's entry.
struct EntryCheck {
  KeptReason problem = KeptReason::None;  // None: it is the listed object, where it was listed
  bool gone = false;                      // nothing is at the path
  std::unique_ptr<Entry> entry;           // open as asked, when there is no problem
  EntryFacts facts;
  DWORD error = ERROR_SUCCESS;            // the system's answer behind InUse, Refused, Failed
};

// The entry of a row, its parent held through folders: opened as itself (a link
// at its own name is not followed) with the access asked for, and compared with
// what the scan saw: kind, final path (the held parent's and its own name),
// volume, file ID, and for files size and last-write time.
EntryCheck CheckEntry(const FoundRow& row, HeldFolders& folders, EntryOpen how);

// The row's parent folder with a trailing backslash ("C:\x\" for "C:\x\y").
std::wstring ParentFolder(std::wstring_view path);
// The reason a failed open gives.
KeptReason ReasonOfError(DWORD error);

}  // namespace wv
