#pragma once
// The startup items: files of the two startup folders and values of the Run keys,
// read in a fixed order; removing one keeps a backup in the startup backup folder
// and a record entry, from which the backup manager puts it back.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_context.h"
#include "engines/registry/backup_records.h"
#include "platform/platform.h"

namespace wv {

enum class StartupKind { File, Value };

struct StartupItem {
  StartupKind kind = StartupKind::File;
  std::wstring name;      // file name, or value name
  // The folder (no trailing backslash) of a file; a value's data: its text for
  // text values, the registry editor's notation (dword:..., hex:...) for others.
  std::wstring location;
  RegRoot root = RegRoot::CurrentUser;
  std::wstring keyPath;   // "\Software\Microsoft\Windows\CurrentVersion\Run" and the like
  std::wstring iconPath;  // what the row's small icon is taken from
};

struct StartupSources {
  std::wstring userFolder;    // StartupDir
  std::wstring commonFolder;  // CommonStartupDir
  std::wstring systemDir;     // a bare program name in a Run value lives here
};

// The Run keys, in reading order: five under HKEY_LOCAL_MACHINE, two under
// HKEY_CURRENT_USER.
struct RunKeySource {
  RegRoot root;
  std::wstring_view path;
};
const std::vector<RunKeySource>& RunKeySources();

// "HKEY_LOCAL_MACHINE\Software\...\Run": the row's registry location.
std::wstring RegistryLocation(const StartupItem& item);

// Reads every startup item into the sink, the user's folder first, then the
// all-users folder, then the Run keys in order. Missing folders and keys are
// skipped; "desktop.ini" is not a startup item.
void ReadStartupItems(const StartupSources& sources, RunContext& ctx, const std::function<void(StartupItem)>& sink);

// Removes one item after backing it up into the startup backup folder (which
// must exist): a file is copied there under a free name before it is deleted; a
// value is recorded before it is deleted. Success when the item is gone (backed
// up and recorded, or gone before); otherwise the system's error of the step
// that failed, and the item stays in place with no record and no copy.
[[nodiscard]] SysResult RemoveStartupItem(const StartupItem& item, std::wstring_view autoRunBackupDir);

struct StartupRestoreResult {
  bool missingCopy = false;           // a selected file's copy is gone: the restore stopped there
  std::vector<std::wstring> failed;   // names of entries that could not be put back
  std::vector<std::wstring> refused;  // record keys naming a place where no startup item lives
  int restored = 0;
};
// Puts the startup entries back in order: a file copied over the current one, a
// value written into its Run key (text, or the type its data notation names).
// Only the places startup items are read from are written: the two folders of
// the sources (a plain file name directly inside one) and the Run keys; a record
// naming anything else is refused and named. Restoring keeps the copy and the
// record, so it can be done again.
StartupRestoreResult RestoreStartupEntries(const std::vector<BackupEntry>& entries, const StartupSources& places);

}  // namespace wv
