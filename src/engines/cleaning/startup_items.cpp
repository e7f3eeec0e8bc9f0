#include "engines/cleaning/startup_items.h"

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

// What the record keeps, so that the manager writes back the same type: text as
// it is, unless the text itself reads as a notation; then its bytes as a string.
std::wstring RecordedData(const RegRawValue& value) {
  if (!IsTextType(value.type)) return RegNotation(value);
  const std::wstring text = ValueText(value);
  if (!ParseRegNotation(text)) return text;
  RegRawValue asString{REG_SZ, {}};
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.c_str());
  asString.data.assign(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
  return RegNotation(asString);
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
  // An earlier copy of the same name is another item's backup: keep both.
  const std::wstring copyName = FreeName(backupDir, item.name);
  const std::wstring copy = backupDir + copyName;
  SysResult copied = Fs().copyFile(source, copy, true);
  if (copied && !FileExists(copy)) copied = SysResult(ERROR_WRITE_FAULT);
  if (!copied) return copied;
  const std::wstring recordKey = item.location + L"\\" + copyName;
  if (const SysResult recorded = SysResult::Checked(WriteRecord(backupDir, kFileSection, recordKey)); !recorded) {
    (void)Fs().deleteFile(copy);
    return recorded;
  }
  const DWORD attributes = Fs().attributes(source);
  if (attributes & FILE_ATTRIBUTE_READONLY) (void)Fs().setAttributes(source, attributes & ~FILE_ATTRIBUTE_READONLY);
  const SysResult deleted = Fs().deleteFile(source);
  if (deleted || !FileExists(source)) return {};
  (void)Fs().setAttributes(source, attributes);
  (void)DeleteRecord(backupDir, kFileSection, recordKey);
  (void)Fs().deleteFile(copy);
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
  const std::wstring recordKey = RegistryLocation(item) + L"|" + item.name + L"|" + RecordedData(value);
  if (const SysResult recorded = SysResult::Checked(WriteRecord(backupDir, kRegSection, recordKey)); !recorded)
    return recorded;
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
  if (!key) return false;
  if (const std::optional<RegRawValue> typed = ParseRegNotation(record.data)) return key->writeRaw(record.name, *typed);
  return key->writeText(record.name, record.data);
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
