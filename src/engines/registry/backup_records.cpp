#include "engines/registry/backup_records.h"

#include <cstdio>
#include <optional>

#include "core/path_rules.h"
#include "core/utilities.h"
#include "platform/platform.h"
#include "engines/registry/registry_undo.h"

namespace wv {
namespace {

std::wstring RecordFile(std::wstring_view folder) { return IncludeTrailingBackslash(folder) + std::wstring(kRecordFileName); }

// The record's own key as the profile functions see it: up to the first "=".
std::wstring ProfileKey(std::wstring_view key) { return std::wstring(key.substr(0, key.find(L'='))); }

// A line split at its last "=": the value ("date|system") holds none, while a
// key (a path, a command line) may.
bool SplitLine(const std::wstring& line, std::wstring& key, std::wstring& value) {
  const std::size_t eq = line.rfind(L'=');
  if (eq == std::wstring::npos || eq == 0) return false;
  key = line.substr(0, eq);
  value = line.substr(eq + 1);
  return true;
}

// The key of the section's first line whose key matches up to its first "=";
// nullopt when there is none.
std::optional<std::wstring> FirstMatch(const std::wstring& file, std::wstring_view section, std::wstring_view key) {
  const std::wstring wanted = ProfileKey(key);
  for (const std::wstring& line : Ini().sectionLines(file, section)) {
    std::wstring lineKey, value;
    if (SplitLine(line, lineKey, value) && EqualsNoCase(ProfileKey(lineKey), wanted)) return lineKey;
  }
  return std::nullopt;
}

bool HasLine(const std::wstring& file, std::wstring_view section, std::wstring_view key) {
  for (const std::wstring& line : Ini().sectionLines(file, section)) {
    std::wstring lineKey, value;
    if (SplitLine(line, lineKey, value) && EqualsNoCase(lineKey, key)) return true;
  }
  return false;
}

// The profile functions know a key that holds "=" by its whole text while they
// keep the file in memory and by its text up to the "=" once they read it again:
// the whole key is tried first, the short one only when it names this very line.
bool RemoveLine(const std::wstring& file, std::wstring_view section, std::wstring_view key) {
  if (!HasLine(file, section, key)) return true;
  (void)Ini().deleteKey(file, section, key);
  if (!HasLine(file, section, key)) return true;
  const std::optional<std::wstring> first = FirstMatch(file, section, key);
  if (first && EqualsNoCase(*first, key)) (void)Ini().deleteKey(file, section, ProfileKey(key));
  return !HasLine(file, section, key);
}

// Written through the profile functions, a file that starts with the UTF-16
// byte-order mark keeps every character; one in the ANSI code page would turn
// the others into "?". A new record file starts so; an older ANSI one is turned
// into that form, its text kept, before anything is added to it.
bool EnsureUnicodeRecord(const std::wstring& file) {
  constexpr std::uint64_t kMaxRecordBytes = 64ull << 20;  // far beyond any real record file
  const wchar_t bom = 0xFEFF;
  std::string bytes;
  if (Fs().attributes(file) != INVALID_FILE_ATTRIBUTES) {
    const std::unique_ptr<File> in = Fs().openFile(file, FileAccess::Read, FileShare::ReadWrite, FileDisposition::OpenExisting);
    const std::optional<std::uint64_t> size = in ? in->size() : std::nullopt;
    if (!size || *size > kMaxRecordBytes) return false;
    bytes.resize(static_cast<std::size_t>(*size));
    if (!bytes.empty()) {
      const std::optional<std::size_t> got = in->read(bytes.data(), bytes.size());
      if (!got || *got != bytes.size()) return false;
    }
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE)
      return true;
  }
  std::wstring text;
  if (!bytes.empty()) {
    const int chars = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (chars <= 0) return false;
    text.resize(static_cast<std::size_t>(chars));
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), chars);
  }
  // A new file beside the old one, put in its place once complete: the old text is never half overwritten.
  const std::wstring temp = file + L".new";
  (void)Fs().deleteFile(temp);  // a leftover of an interrupted run
  {
    const std::unique_ptr<File> out = Fs().openFile(temp, FileAccess::Write, FileShare::None, FileDisposition::CreateNew);
    const bool ok = out && out->write(&bom, sizeof bom) &&
                    (text.empty() || out->write(text.data(), text.size() * sizeof(wchar_t))) && out->flush();
    if (!ok) {
      (void)Fs().deleteFile(temp);
      return false;
    }
  }
  if (Fs().replaceFile(temp, file)) return true;
  (void)Fs().deleteFile(temp);
  return false;
}

// Entries of one section, each with its date and system name filled in.
std::vector<BackupEntry> ReadSection(std::wstring_view folder, std::wstring_view section, BackupKind kind) {
  std::vector<BackupEntry> entries;
  const std::wstring file = RecordFile(folder);
  if (!FileExists(file)) return entries;
  for (const std::wstring& line : Ini().sectionLines(file, section)) {
    BackupEntry e;
    std::wstring value;
    if (!SplitLine(line, e.key, value)) continue;
    e.kind = kind;
    const std::size_t bar = value.find(L'|');
    e.date = value.substr(0, bar);
    if (bar != std::wstring::npos) e.system = value.substr(bar + 1);
    entries.push_back(std::move(e));
  }
  return entries;
}

// A file entry's backup lies in the record's own folder under the key's name
// part, and only a plain name is taken for one: anything that could lead
// elsewhere (a path, a device, the record file itself under any of its names)
// makes the entry damaged, listed but never opened.
std::wstring FileInFolder(std::wstring_view folder, std::wstring_view key) {
  const std::wstring_view name = ExtractFileName(key);
  if (!IsPlainFileName(name) || EqualsNoCase(name, kRecordFileName)) return {};
  std::wstring path = IncludeTrailingBackslash(folder) + std::wstring(name);
  const std::wstring record = RecordFile(folder);
  if (Fs().attributes(path) != INVALID_FILE_ATTRIBUTES) {
    const std::wstring shortName = Fs().shortPath(path), recordShort = Fs().shortPath(record);
    if (!shortName.empty() && EqualsNoCase(shortName, recordShort)) return {};
  }
  return path;
}

void FillFile(std::wstring_view folder, BackupEntry& e) {
  e.name = std::wstring(ExtractFileName(e.key));
  e.file = FileInFolder(folder, e.key);
  e.present = !e.file.empty() && FileExists(e.file);
  e.size = e.present ? GetFileSizeOf(e.file) : 0;
}

// Deletes a backup file, read-only or hidden alike; true when it is gone.
bool DeleteBackupFile(const std::wstring& file) {
  const DWORD attributes = Fs().attributes(file);
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;  // a folder under a backup's name is no backup
  const DWORD plain = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  if (plain != attributes) (void)Fs().setAttributes(file, plain == 0 ? FILE_ATTRIBUTE_NORMAL : plain);
  if (Fs().deleteFile(file) || Fs().attributes(file) == INVALID_FILE_ATTRIBUTES) return true;
  if (plain != attributes) (void)Fs().setAttributes(file, attributes);
  return false;
}

}  // namespace

std::wstring BackupFileName(std::wstring_view prefix, const SYSTEMTIME& t, int serial) {
  wchar_t stamp[64];
  std::swprintf(stamp, 64, L"%04uY%02uM%02uD%02uH%02uM%02uS", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  std::wstring name = std::wstring(prefix) + stamp;
  if (serial > 1) name += L"_" + ToDecimal(serial);
  return name + L".reg";
}

std::wstring FreeBackupPath(std::wstring_view folder, std::wstring_view prefix, std::wstring_view alsoFree) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const auto taken = [&](const std::wstring& path) {
    return Fs().attributes(path) != INVALID_FILE_ATTRIBUTES ||
           (!alsoFree.empty() && Fs().attributes(path + std::wstring(alsoFree)) != INVALID_FILE_ATTRIBUTES);
  };
  std::wstring path = std::wstring(folder) + BackupFileName(prefix, now);
  for (int n = 2; taken(path); ++n) path = std::wstring(folder) + BackupFileName(prefix, now, n);
  return path;
}

std::wstring RecordStamp() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  wchar_t date[32];
  std::swprintf(date, 32, L"%04u-%02u-%02u|", t.wYear, t.wMonth, t.wDay);
  return date + GetOSName();
}

bool WriteRecord(std::wstring_view folder, std::wstring_view section, std::wstring_view key) {
  const std::wstring file = RecordFile(folder);
  if (!EnsureUnicodeRecord(file)) return false;
  // Written again, an entry replaces its value; one whose key holds "=" would be
  // appended a second time, so its earlier line goes first.
  if (key.find(L'=') != std::wstring_view::npos) (void)RemoveLine(file, section, key);
  return Ini().write(file, section, key, RecordStamp());
}

bool DeleteRecord(std::wstring_view folder, std::wstring_view section, std::wstring_view key) {
  return RemoveLine(RecordFile(folder), section, key);
}

std::vector<BackupEntry> ListRegistryBackups(std::wstring_view regBackupDir) {
  std::vector<BackupEntry> entries = ReadSection(regBackupDir, kFileSection, BackupKind::RegistryFile);
  for (BackupEntry& e : entries) {
    FillFile(regBackupDir, e);
    e.archive = ContainsNoCase(e.key, L".zcom");
  }
  return entries;
}

std::vector<BackupEntry> ListStartupBackups(std::wstring_view autoRunBackupDir) {
  std::vector<BackupEntry> entries = ReadSection(autoRunBackupDir, kFileSection, BackupKind::StartupFile);
  for (BackupEntry& e : entries) FillFile(autoRunBackupDir, e);
  for (BackupEntry& e : ReadSection(autoRunBackupDir, kRegSection, BackupKind::StartupValue)) {
    StartupValueRecord record;
    e.name = ParseStartupValueKey(e.key, record) ? record.name : e.key;
    e.present = true;
    entries.push_back(std::move(e));
  }
  return entries;
}

bool ParseStartupValueKey(std::wstring_view key, StartupValueRecord& out) {
  constexpr std::wstring_view kMachine = L"HKEY_LOCAL_MACHINE", kUser = L"HKEY_CURRENT_USER";
  if (StartsWithNoCase(key, kMachine)) {
    out.localMachine = true;
    key.remove_prefix(kMachine.size());
  } else if (StartsWithNoCase(key, kUser)) {
    out.localMachine = false;
    key.remove_prefix(kUser.size());
  } else {
    return false;
  }
  const std::size_t first = key.find(L'|');
  if (first == std::wstring_view::npos) return false;
  const std::size_t second = key.find(L'|', first + 1);
  if (second == std::wstring_view::npos) return false;
  out.keyPath = std::wstring(key.substr(0, first));
  out.name = std::wstring(key.substr(first + 1, second - first - 1));
  out.data = std::wstring(key.substr(second + 1));
  return true;
}

std::vector<std::size_t> DeleteBackupEntries(std::wstring_view folder, const std::vector<BackupEntry>& entries) {
  std::vector<std::size_t> kept;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const BackupEntry& e = entries[i];
    const bool isValue = e.kind == BackupKind::StartupValue;
    // A file and its record go together or neither goes: a record without its
    // file lists a missing backup, a file without its record is one nobody sees.
    if (!isValue) {
      const std::wstring file = FileInFolder(folder, e.key);
      if (!file.empty() && !DeleteBackupFile(file)) {
        kept.push_back(i);
        continue;
      }
    }
    if (!DeleteRecord(folder, isValue ? kRegSection : kFileSection, e.key)) kept.push_back(i);
  }
  return kept;
}

}  // namespace wv
