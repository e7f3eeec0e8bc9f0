#pragma once
// Pieces the two file-cleaning scans share: the compiled pattern list, the
// tests on directory entries, and what a listed entry is (its identity), which
// the removal checks again with the same helpers.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
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

// The serial number of the volume that holds a folder (given by its final
// path), asked of the system once per folder and once per volume. 0 when the
// system cannot say.
class VolumeSerials {
 public:
  std::uint32_t of(std::wstring_view finalFolder);

 private:
  std::wstring lastFolder_;
  std::uint32_t lastSerial_ = 0;
  std::map<std::wstring, std::uint32_t> byFolder_;  // folded, with trailing backslash
  std::map<std::wstring, std::uint32_t> byVolume_;  // folded volume roots
};

// The folder part of a final path, with its trailing backslash.
std::wstring FinalFolderOf(std::wstring_view finalPath);
// Where a folder really is: the final path of its handle with a trailing
// backslash (links, SUBST drives and mounted volumes resolved), or the path
// itself made full when the folder cannot be opened; folded when asked.
std::wstring FinalFolderPath(std::wstring_view folder, bool folded = false);
// Whether folder (folded, trailing backslash) is outer or lies below it.
bool IsAtOrBelow(std::wstring_view folder, std::wstring_view outer);

// What a listed entry is, read once the scan decided to list it. Also the
// scans' in-use test: a file that another program has open (so that it could
// not be removed now) is not listed, nor one that vanished.
struct ListedEntry {
  FoundIdentity identity;
  std::uint64_t size = 0;
};
// A file: opened without sharing and as itself (a link at its own name is not
// followed); nullopt when that fails. folderFinal caches the final path of the
// walked folder the file lies in (the scans list a folder's files together).
std::optional<ListedEntry> ReadListedFile(const std::wstring& path, VolumeSerials& serials, std::wstring& folderFinal,
                                          std::wstring& folderOfFinal);
// A folder (a waste folder): its volume and file ID; nullopt when it cannot be opened.
std::optional<ListedEntry> ReadListedFolder(const std::wstring& path, VolumeSerials& serials);

// The rows a scan has listed by identity, so that one entry reached under two
// names (two drive letters of one folder, a location that holds another, a
// file with two names) is listed once.
class ListedOnce {
 public:
  // True the first time an identity comes; always for one without a file ID.
  bool first(const FoundIdentity& identity) {
    if (identity.fileId == 0) return true;
    return seen_.insert({identity.volumeSerial, identity.fileId}).second;
  }

 private:
  std::set<std::pair<std::uint32_t, std::uint64_t>> seen_;
};

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
