#pragma once
// What the junk-file and daily-file scans find, as plain values: the removal
// decides by the kind, the pages make the text.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_ENGINES, "engines stand above core: core uses none of them");

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace wv {

struct RegistryRow;
enum class FolderProtection;  // core/protected_folders.h

enum class FoundKind {
  File,           // a file to remove
  WasteFolder,    // a folder left empty once the listed files are gone ("废目录")
  RegistryKey,    // a registry key with everything below it (a rule of the rule file)
  RegistryValue,  // one registry value (a rule of the rule file)
  RefusedFolder,  // a rule's folder that is never scanned (protection says why)
  RefusedKey,     // a rule's registry key that is never deleted whole (a root or a key every program shares)
};

// Rows the shell's file operation removes; the other kinds never go through it.
inline bool IsFileKind(FoundKind kind) { return kind == FoundKind::File || kind == FoundKind::WasteFolder; }

// What chose a row, for the lists and the report. A rule-file row names the
// entry and its key ("FileKey3", "RegKey1"); a row of the built-in scans names
// what within its item chose it: the junk mask as listed ("*.tmp"), a location's
// mask, the user's folder and its mask. Empty when an item's location takes every
// file.
struct FoundRule {
  std::wstring entry;  // rule-file rows: the section name as the file writes it
  std::wstring key;    // rule-file rows
  std::wstring mask;   // the built-in scans' rows

  [[nodiscard]] bool fromRuleFile() const { return !entry.empty(); }
};

// What the scan saw of a row, so that the removal can tell that the entry at
// its path is still the object that was listed. Every field is 0 when the scan
// could not learn it; a removal then checks what it has.
struct FoundIdentity {
  // The volume's serial number as GetVolumeInformationW and
  // GetFileInformationByHandle report it (the low 32 bits of NTFS's 64-bit one).
  std::uint32_t volumeSerial = 0;
  // The file ID on that volume (GetFileInformationByHandle's index, high part
  // first). On NTFS it is the master file table's file reference: the record
  // number in the low 48 bits, the record's sequence number in the high 16.
  std::uint64_t fileId = 0;
  // The last-write time as a FILETIME read as one number (UTC, 100 ns units
  // since 1601). Files only: a folder's changes whenever its files go.
  std::uint64_t lastWrite = 0;
  friend bool operator==(const FoundIdentity&, const FoundIdentity&) = default;
};

// Why a row stays in the list after a removal that chose it.
enum class KeptReason {
  None,          // not kept back (or not reached: the removal was stopped first)
  Changed,       // the file was written to since the scan (its size or last-write time differs)
  NotListed,     // another file or folder is at the path now (another file ID or volume)
  PathChanged,   // a folder on the way is now a link, or the path leads somewhere else
  InUse,         // another program holds it
  Refused,       // the system refused (access denied)
  OtherNames,    // a file with more names whose read-only mark blocks removal: clearing it would clear theirs
  NotEmpty,      // a waste folder that holds more than what went
  TooLong,       // a path the recycle bin cannot take on this system
  Declined,      // the user said no to the shell's question, or stopped it
  Failed,        // it could not be removed for another reason
};

struct FoundRow {
  std::wstring path;       // full path, no trailing backslash; registry rows: the key as the editor names it
  std::uint64_t size = 0;  // bytes; 0 for folders
  FoundKind kind = FoundKind::File;
  int item = -1;           // the daily scan's item (catalogue position); -1 for the junk scan
  FoundRule rule;          // what chose the row
  FoundIdentity identity;
  // How many characters of path name the folder the scan walked (its root, with
  // its trailing backslash: "C:\" for a whole drive). Every folder between the
  // root and the entry was a real folder, not a link, when it was scanned; 0
  // when unknown (the removal then checks every folder of the path).
  std::uint32_t rootLength = 0;
  // Set by a removal that chose the row and left it (the page shows why).
  KeptReason kept = KeptReason::None;
  // Registry rows: the entry exactly as the scan saw it, so that removal acts on
  // it only while it is unchanged; RefusedKey rows: the key, with no value read.
  std::shared_ptr<const RegistryRow> registry;
  FolderProtection protection{};  // RefusedFolder rows: why (None otherwise)
};

// Where a scan hands its rows, one call per row in the order found.
using FoundSink = std::function<void(FoundRow)>;

// What a file scan reports at its end.
struct FileScanResult {
  std::size_t rows = 0;     // rows handed out
  std::uint64_t total = 0;  // bytes of the listed files
  bool stopped = false;     // a stop request ended the walk early
};

}  // namespace wv
