#include "engines/cleaning/startup_items.h"

#include <algorithm>

#include "core/path_rules.h"
#include "core/utilities.h"
#include "engines/registry/backup_records.h"
#include "engines/registry/registry_undo.h"
#include "engines/registry/redundancy_scan.h"

namespace wv {
namespace {

// What the row shows: text as stored, anything else in the editor's notation.
std::wstring ShownData(const RegRawValue& value) {
  return IsTextType(value.type) ? ValueText(value) : RegNotation(value);
}

// A text the record can keep as it is: a line of the profile file holds no line
// break, and blanks at either end of a key are lost when it is read again.
bool FitsRecordLine(std::wstring_view text) {
  if (text.find_first_of(L"\r\n") != std::wstring_view::npos) return false;
  return text.empty() || (text.front() > L' ' && text.back() > L' ');
}

// What the record keeps, so that the manager writes back the same value: a plain
// string that fits a record line and ends in its one terminator stays text;
// everything else (an expandable string, odd bytes, text that reads like the
// notation itself) goes in the registry editor's notation, which keeps the type
// and every byte.
std::wstring RecordedData(const RegRawValue& value) {
  if (value.type == REG_SZ) {
    const std::wstring text = ValueText(value);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.c_str());
    const bool exact = std::equal(value.data.begin(), value.data.end(), bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
    if (exact && FitsRecordLine(text) && !ParseRegNotation(text)) return text;
  }
  return RegNotation(value);
}

// The value a record's data text puts back (as RestoreValue writes it).
RegRawValue RestoredValue(const std::wstring& data) {
  if (std::optional<RegRawValue> typed = ParseRegNotation(data)) return *typed;
  RegRawValue text{REG_SZ, {}};
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.c_str());
  text.data.assign(bytes, bytes + (data.size() + 1) * sizeof(wchar_t));
  return text;
}

// The record's entry as the backup manager will read it: exactly this key, in its section.
bool RecordReadsBack(const std::wstring& backupDir, BackupKind kind, const std::wstring& key) {
  const std::vector<BackupEntry> entries = ListStartupBackups(backupDir);
  return std::ranges::any_of(entries, [&](const BackupEntry& e) { return e.kind == kind && e.key == key; });
}

std::wstring IconPathOf(const std::wstring& command, const std::wstring& systemDir) {
  const std::wstring path = ExtractPathFromCommand(command);
  if (path.empty() || path.find(L'\\') != std::wstring::npos || systemDir.empty()) return path;
  return systemDir + L"\\" + path;
}

void ReadFolder(const std::wstring& folder, RunContext& ctx, const std::function<void(StartupItem)>& sink) {
  if (folder.empty() || !DirectoryExists(folder)) return;
  const std::unique_ptr<DirSearch> search = Fs().search(folder + L"\\*");
  if (!search) return;
  FindEntry entry;
  while (search->next(entry)) {
    if (!ctx.proceed()) return;
    if (entry.isFolder() || EqualsNoCase(entry.name, L"desktop.ini")) continue;
    StartupItem item;
    item.kind = StartupKind::File;
    item.name = entry.name;
    item.location = folder;
    item.iconPath = folder + L"\\" + entry.name;
    sink(std::move(item));
    ctx.rowAdded();
  }
}

void ReadRunKey(const RunKeySource& source, const std::wstring& systemDir, RunContext& ctx,
                const std::function<void(StartupItem)>& sink) {
  const std::unique_ptr<RegKey> key = Reg().openKeyReadOnly(source.root, source.path);
  if (!key) return;
  for (const std::wstring& name : key->valueNames()) {
    if (!ctx.proceed()) return;
    RegRawValue value;
    if (!key->readRaw(name, value)) continue;  // gone since the names were read
    StartupItem item;
    item.kind = StartupKind::Value;
    item.name = name;
    item.location = ShownData(value);
    item.root = source.root;
    item.keyPath = std::wstring(source.path);
    if (IsTextType(value.type)) item.iconPath = IconPathOf(item.location, systemDir);
    sink(std::move(item));
    ctx.rowAdded();
  }
}

// "name.ext", then "name (2).ext", "name (3).ext" ... whichever is not taken yet.
std::wstring FreeName(const std::wstring& folder, const std::wstring& name) {
  if (Fs().attributes(folder + name) == INVALID_FILE_ATTRIBUTES) return name;
  const std::size_t dot = name.rfind(L'.');
  const std::wstring stem = dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
  const std::wstring ext = stem.size() == name.size() ? std::wstring() : name.substr(dot);
  for (int n = 2;; ++n) {
    std::wstring candidate = stem + L" (" + ToDecimal(n) + L")" + ext;
    if (Fs().attributes(folder + candidate) == INVALID_FILE_ATTRIBUTES) return candidate;
  }
}

SysResult RemoveFile(const StartupItem& item, const std::wstring& backupDir) {
  const std::wstring source = item.location + L"\\" + item.name;
  if (!FileExists(source)) return {};  // gone already: nothing to keep
  // The same file removed before (and restored since) has its backup already:
  // the new copy takes its place, so that one record brings back one file.
  // An earlier copy of the same name from elsewhere is another item's backup: keep both.
  const std::wstring sameKey = source;
  const bool again = RecordReadsBack(backupDir, BackupKind::StartupFile, sameKey) && FileExists(backupDir + item.name);
  const std::wstring copyName = again ? item.name : FreeName(backupDir, item.name);
  const std::wstring copy = backupDir + copyName;
  const std::wstring recordKey = item.location + L"\\" + copyName;
  if (!IsPlainFileName(copyName)) return SysResult(ERROR_INVALID_NAME);
  std::wstring previous;  // the earlier backup, kept aside until the new one is recorded
  if (again) {
    previous = backupDir + copyName + L".old";
    (void)Fs().deleteFile(previous);
    if (const SysResult aside = Fs().moveFile(copy, previous); !aside) return aside;
  }
  const auto putBack = [&] {
    if (!previous.empty()) (void)Fs().replaceFile(previous, copy);
  };
  SysResult copied = Fs().copyFile(source, copy, true);
  if (copied && !FileExists(copy)) copied = SysResult(ERROR_WRITE_FAULT);
  if (!copied) {
    (void)Fs().deleteFile(copy);
    putBack();
    return copied;
  }
  if (const SysResult recorded = SysResult::Checked(WriteRecord(backupDir, kFileSection, recordKey) &&
                                                    RecordReadsBack(backupDir, BackupKind::StartupFile, recordKey));
      !recorded) {
    if (!again) (void)DeleteRecord(backupDir, kFileSection, recordKey);
    (void)Fs().deleteFile(copy);
    putBack();
    return recorded;
  }
  const DWORD attributes = Fs().attributes(source);
  if (attributes & FILE_ATTRIBUTE_READONLY) (void)Fs().setAttributes(source, attributes & ~FILE_ATTRIBUTE_READONLY);
  const SysResult deleted = Fs().deleteFile(source);
  if (deleted || !FileExists(source)) {
    if (!previous.empty()) (void)Fs().deleteFile(previous);
    return {};
  }
  (void)Fs().setAttributes(source, attributes);
  if (!again) (void)DeleteRecord(backupDir, kFileSection, recordKey);  // an earlier removal's record stays with its copy
  (void)Fs().deleteFile(copy);
  putBack();
  return deleted;
}

SysResult RemoveValue(const StartupItem& item, const std::wstring& backupDir) {
  SysResult opened;
  const std::unique_ptr<RegKey> key = Reg().openKey(item.root, item.keyPath, &opened);
  if (!key) {
    // A key that is gone holds nothing to remove.
    if (opened.notFound() || !Reg().keyExists(item.root, item.keyPath)) return {};
    return opened ? SysResult(ERROR_ACCESS_DENIED) : opened;
  }
  RegRawValue value;
  if (!key->readRaw(item.name, value)) return key->valueExists(item.name) ? SysResult(ERROR_READ_FAULT) : SysResult();
  // The record's key is "location|name|data": a name holding "|" or a line
  // break could not be told apart again, so such an item stays.
  if (item.name.find_first_of(L"|\r\n") != std::wstring::npos) return SysResult(ERROR_INVALID_NAME);
  const std::wstring recordKey = RegistryLocation(item) + L"|" + item.name + L"|" + RecordedData(value);
  if (const SysResult recorded = SysResult::Checked(WriteRecord(backupDir, kRegSection, recordKey)); !recorded)
    return recorded;
  // Deleted only when the record, read back as the backup manager reads it,
  // would write back exactly this value.
  StartupValueRecord back;
  if (!RecordReadsBack(backupDir, BackupKind::StartupValue, recordKey) || !ParseStartupValueKey(recordKey, back) ||
      back.name != item.name || !(RestoredValue(back.data) == value)) {
    (void)DeleteRecord(backupDir, kRegSection, recordKey);
    return SysResult(ERROR_INVALID_DATA);
  }
  const SysResult deleted = key->deleteValue(item.name);
  if (deleted || !key->valueExists(item.name)) return {};
  (void)DeleteRecord(backupDir, kRegSection, recordKey);
  return deleted;
}

// The Run key a record names, when it is one the startup page reads.
const RunKeySource* RunKeyOf(const StartupValueRecord& record) {
  const RegRoot root = record.localMachine ? RegRoot::LocalMachine : RegRoot::CurrentUser;
  for (const RunKeySource& source : RunKeySources())
    if (source.root == root && EqualsNoCase(record.keyPath, source.path)) return &source;
  return nullptr;
}

// The file a record puts back, when it is a plain name directly inside one of
// the startup folders; empty otherwise.
std::wstring StartupFileOf(const BackupEntry& e, const StartupSources& places) {
  const std::wstring_view name = ExtractFileName(e.key);
  if (!IsPlainFileName(name) || e.key.size() <= name.size()) return {};
  const std::wstring_view folder(e.key.data(), e.key.size() - name.size() - 1);
  for (const std::wstring* place : {&places.userFolder, &places.commonFolder}) {
    if (place->empty()) continue;
    if (EqualsNoCase(Fs().fullPath(folder), Fs().fullPath(ExcludeTrailingBackslash(*place))))
      return ExcludeTrailingBackslash(*place) + L"\\" + std::wstring(name);
  }
  return {};
}

bool RestoreValue(const StartupValueRecord& record) {
  const std::unique_ptr<RegKey> key =
      Reg().openKey(record.localMachine ? RegRoot::LocalMachine : RegRoot::CurrentUser, record.keyPath);
  return key && key->writeRaw(record.name, RestoredValue(record.data));
}

}  // namespace

const std::vector<RunKeySource>& RunKeySources() {
  static const std::vector<RunKeySource> sources{
      {RegRoot::LocalMachine, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {RegRoot::LocalMachine, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
      {RegRoot::LocalMachine, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx"},
      {RegRoot::LocalMachine, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices"},
      {RegRoot::LocalMachine, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce"},
      {RegRoot::CurrentUser, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {RegRoot::CurrentUser, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
  };
  return sources;
}

std::wstring RegistryLocation(const StartupItem& item) {
  if (item.kind != StartupKind::Value) return {};
  return std::wstring(RootName(item.root)) + item.keyPath;
}

void ReadStartupItems(const StartupSources& sources, RunContext& ctx, const std::function<void(StartupItem)>& sink) {
  ReadFolder(sources.userFolder, ctx, sink);
  ReadFolder(sources.commonFolder, ctx, sink);
  for (const RunKeySource& source : RunKeySources()) ReadRunKey(source, sources.systemDir, ctx, sink);
}

SysResult RemoveStartupItem(const StartupItem& item, std::wstring_view autoRunBackupDir) {
  const std::wstring backupDir = IncludeTrailingBackslash(autoRunBackupDir);
  return item.kind == StartupKind::File ? RemoveFile(item, backupDir) : RemoveValue(item, backupDir);
}

}  // namespace wv

namespace wv {

StartupRestoreResult RestoreStartupEntries(const std::vector<BackupEntry>& entries, const StartupSources& places) {
  StartupRestoreResult result;
  for (const BackupEntry& e : entries) {
    bool ok = false;
    if (e.kind == BackupKind::StartupValue) {
      StartupValueRecord record;
      if (!ParseStartupValueKey(e.key, record) || !RunKeyOf(record)) {
        result.refused.push_back(e.key);
        continue;
      }
      ok = RestoreValue(record);
    } else {
      const std::wstring target = StartupFileOf(e, places);
      if (e.file.empty() || target.empty()) {
        result.refused.push_back(e.key);
        continue;
      }
      if (!FileExists(e.file)) {
        result.missingCopy = true;
        return result;
      }
      // Copied over the current file: deleting it first would lose it if the copy failed.
      ok = Fs().copyFile(e.file, target, false).ok();
    }
    if (ok)
      ++result.restored;
    else
      result.failed.push_back(e.name);
  }
  return result;
}

}  // namespace wv
