#pragma once
// Pieces the two file-cleaning scans share: the compiled pattern list and the
// tests on directory entries.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engines/cleaning/found_row.h"
#include "core/run_context.h"
#include "core/utilities.h"
#include "platform/text.h"

namespace wv::cleanscan {

// Directory entries that are old-style volume labels carry this bit.
inline constexpr DWORD kVolumeLabel = 0x8;

// A folder entry that is a junction or a link to a folder: never entered, since
// it leads out of the walked tree (or back into it, round and round).
inline bool IsLinkedFolder(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Patterns in order; a text that is not a valid mask is left out.
std::vector<FileMask> CompileMasks(const std::vector<std::wstring>& patterns);
// The first mask the name matches (the one that chose it); null when none does.
const FileMask* FirstMatch(const std::vector<FileMask>& masks, std::wstring_view name);

// The rows a file scan has handed out, their bytes, and whether a stop was asked.
class FoundTally {
 public:
  FoundTally(RunContext& run, const FoundSink& found) : run_(run), found_(found) {}

  // Once a stop is asked, the run is not asked again.
  bool proceed() {
    if (!stopped_ && !run_.proceed()) stopped_ = true;
    return !stopped_;
  }
  [[nodiscard]] bool stopped() const { return stopped_; }
  void add(FoundRow row) {
    const std::uint64_t size = row.size;
    found_(std::move(row));
    run_.rowAdded();
    ++count_;
    total_ += size;
  }
  void status(std::wstring_view folder) { run_.scanned(count_, total_, folder); }
  [[nodiscard]] FileScanResult result() const { return {count_, total_, stopped_}; }

 private:
  RunContext& run_;
  const FoundSink& found_;
  std::size_t count_ = 0;
  std::uint64_t total_ = 0;
  bool stopped_ = false;
};

}  // namespace wv::cleanscan
