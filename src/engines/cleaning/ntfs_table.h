#pragma once
// The master file table of an NTFS volume, read from the volume's sectors: every
// file in use with its names, parent folders, attributes and size, in the compact
// form a scan of the whole drive needs. Reading the one table in large sequential
// blocks is many times faster than opening and listing every folder.
//
// Everything read from the disk is checked before use: a damaged or hostile
// volume yields a fault, never a read outside a buffer, and nothing loops longer
// than the table is long.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_ENGINES, "engines stand above core: core uses none of them");

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace wv {

// One name of a file: a record can hold several (hard links, the 8.3 form).
struct NtfsName {
  std::uint32_t record = 0;      // whose name it is
  std::uint32_t parent = 0;      // the folder it is listed in
  std::uint16_t parentSequence = 0;
  std::uint16_t length = 0;      // characters in NtfsTable::text from offset
  std::uint32_t offset = 0;
  std::uint8_t space = 0;        // kPosixName, kWin32Name, kDosName, kWin32AndDosName
};

inline constexpr std::uint8_t kPosixName = 0;
inline constexpr std::uint8_t kWin32Name = 1;
inline constexpr std::uint8_t kDosName = 2;  // the 8.3 form of a Win32 name in the same folder
inline constexpr std::uint8_t kWin32AndDosName = 3;

// What the table says of one record in use (a base record: extension records are
// folded into theirs).
struct NtfsFile {
  std::uint16_t sequence = 0;
  bool inUse = false;
  bool directory = false;
  DWORD attributes = 0;       // FILE_ATTRIBUTE_ bits of the standard information, plus DIRECTORY
  std::uint64_t size = 0;     // bytes of the unnamed data stream (0 for folders)
  FILETIME lastWrite{};       // the contents' last change
};

// What went wrong; the scan then lists the drive by walking its folders.
enum class NtfsFault {
  None,
  Stopped,        // the run was asked to stop while the table was read
  ReadFailed,     // the volume could not be read or sought where the layout says
  BootSector,     // not NTFS, or a layout that does not add up
  TableRecord,    // the record of the table itself ($MFT) or its data runs
  Record,         // a record in use: header, fixups, attribute bounds
  Attribute,      // an attribute's lengths, runs or values
  Structure,      // records that contradict each other (extension without base, folder names)
  UpcaseTable,    // $UpCase missing or of the wrong size
  TooLarge,       // more records than the reader keeps in memory
};

struct NtfsReadStats {
  std::uint64_t recordsRead = 0;   // records of the table read from the disk
  std::uint64_t bytesRead = 0;     // of the table, $UpCase and the boot sector
  std::size_t tableFragments = 0;  // data runs of the table itself
  std::size_t extensionRecords = 0;  // records holding attributes moved out of their base
  std::size_t attributeLists = 0;  // base records with an attribute list
};

struct NtfsTable {
  std::uint64_t serial = 0;          // the volume's serial number (its low half is what Windows shows)
  std::uint32_t bytesPerRecord = 0;
  std::uint64_t bytesPerCluster = 0;
  std::vector<NtfsFile> files;       // by record number
  std::vector<NtfsName> names;       // every name of every file in use, in record order
  std::vector<wchar_t> text;         // the characters of all names
  std::vector<std::uint16_t> upcase; // the volume's upper-case table, 65,536 entries
  NtfsReadStats stats;

  [[nodiscard]] std::wstring_view nameOf(const NtfsName& name) const {
    return {text.data() + name.offset, name.length};
  }
};

// The folder the volume's tree starts at, and the first record of an ordinary
// file: records below it (the table itself, its mirror, the log, $UpCase ...)
// belong to the file system and are never listed.
inline constexpr std::uint32_t kRootRecord = 5;
inline constexpr std::uint32_t kFirstUserRecord = 16;

struct NtfsReadResult {
  NtfsFault fault = NtfsFault::None;
  std::uint64_t record = 0;  // the record (or byte offset for the boot sector) where it went wrong
  [[nodiscard]] bool ok() const { return fault == NtfsFault::None; }
};

// Reads the whole table from an open volume (Volumes::openVolume). proceed is
// asked between blocks; false ends the read with NtfsFault::Stopped.
[[nodiscard]] NtfsReadResult ReadNtfsTable(File& volume, NtfsTable& table,
                                           const std::function<bool()>& proceed = {});

// NTFS's name order within a folder: upper-cased through the volume's own table,
// unit by unit, a shorter name before a longer one that starts with it; names
// equal in upper case in the order of their own units.
[[nodiscard]] bool NtfsNameBefore(const std::vector<std::uint16_t>& upcase, std::wstring_view a, std::wstring_view b);

}  // namespace wv
