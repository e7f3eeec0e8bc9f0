#pragma once
// The backup register: the record file "BackupInfo.ZINF" kept in each backup
// folder (registry backups in one, startup items in the other), and what the
// backup manager does with its entries: list them, put startup entries back,
// delete them. Every file an entry stands for is looked for inside the folder
// of its record file under the plain name the record's key ends in; a key whose
// name part is no plain name is a damaged record (no file, never opened).

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wv {

inline constexpr std::wstring_view kRecordFileName = L"BackupInfo.ZINF";
inline constexpr std::wstring_view kFileSection = L"FileBackup";
inline constexpr std::wstring_view kRegSection = L"RegBackup";

// A backup file's name in local time: prefix + "2026Y12M05D13H07M09S" + ".reg";
// a serial above 1 goes before the extension ("..._2.reg") to tell apart files of
// the same second.
std::wstring BackupFileName(std::wstring_view prefix, const SYSTEMTIME& local, int serial = 1);
// folder (with its backslash) + the name of now with the first serial whose
// file is not there yet, nor that file + alsoFree (an archive it may become).
std::wstring FreeBackupPath(std::wstring_view folder, std::wstring_view prefix, std::wstring_view alsoFree = {});

// Today's record value: local date "yyyy-mm-dd", "|", the system's name.
std::wstring RecordStamp();
// One entry of folder + "BackupInfo.ZINF" through the profile functions; a key
// that exists has its value replaced.
[[nodiscard]] bool WriteRecord(std::wstring_view folder, std::wstring_view section, std::wstring_view key);
// Removes an entry as written by WriteRecord, also one whose key holds "=".
[[nodiscard]] bool DeleteRecord(std::wstring_view folder, std::wstring_view section, std::wstring_view key);

enum class BackupKind {
  RegistryFile,  // a whole-registry backup or an undo file (registry folder)
  StartupFile,   // a startup file's copy (startup folder, "FileBackup")
  StartupValue,  // a Run value kept in the record itself ("RegBackup")
};

struct BackupEntry {
  BackupKind kind = BackupKind::RegistryFile;
  std::wstring key;     // the record's key: a full path, or location|name|data
  std::wstring date;    // the value up to its first "|"
  std::wstring system;  // the value after it
  std::wstring name;    // the file's name part, or the value's name
  std::wstring file;    // where the backup lies (record folder + name); empty for values and damaged records
  bool archive = false; // a registry backup whose key holds ".zcom"
  bool present = false; // the file exists (values: always)
  std::uint64_t size = 0;
};

// The "FileBackup" entries of the registry folder, in the record file's order.
std::vector<BackupEntry> ListRegistryBackups(std::wstring_view regBackupDir);
// The startup folder's "FileBackup" entries, then its "RegBackup" entries.
std::vector<BackupEntry> ListStartupBackups(std::wstring_view autoRunBackupDir);

// A "RegBackup" key split into its parts: the location's root and key path,
// the value's name and its data text. The root comes from the leading root name
// and only that prefix is taken off.
struct StartupValueRecord {
  bool localMachine = false;
  std::wstring keyPath;  // "\Software\...\Run"
  std::wstring name;
  std::wstring data;
};
[[nodiscard]] bool ParseStartupValueKey(std::wstring_view key, StartupValueRecord& out);

// Deletes the entries' files inside the record's folder and their record
// entries; the registry and the startup folders stay as they are. An entry
// whose file cannot be deleted keeps its record; the indexes of the entries
// that stay are returned.
[[nodiscard]] std::vector<std::size_t> DeleteBackupEntries(std::wstring_view folder, const std::vector<BackupEntry>& entries);

}  // namespace wv
