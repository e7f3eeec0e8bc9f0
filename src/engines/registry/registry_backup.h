#pragma once
// The whole-registry backup and its restore through the registry editor of the
// Windows folder, started by its full path: "regedit /E" exports everything into
// the registry backup folder, the export is packed into a ".zcom" archive when
// asked and recorded in the folder's record file; "regedit /s" imports a backup again. Each wait on the editor ends when its
// process has ended, so a failed or missing editor never leaves the page waiting.

#include <string>
#include <string_view>

#include "core/run_context.h"

namespace wv {

struct BackupOptions {
  std::wstring regBackupDir;  // with or without its trailing backslash
  bool compress = true;
  int levelIndex = 1;  // 0 fastest, 1 standard, 2 best
};

enum class BackupStatus {
  Done,
  FolderInvalid,   // the folder cannot be created
  EditorMissing,   // the registry editor could not be started
  ExportFailed,    // the editor ended without a complete export file
  CompressFailed,  // the archive could not be written
  RecordFailed,    // the backup exists but could not be recorded
};

struct BackupResult {
  BackupStatus status = BackupStatus::Done;
  std::wstring file;  // the backup as recorded (or as left behind when the record failed)
};

// Status texts go through the run context; it is drained while the editor works
// but a backup cannot be stopped.
BackupResult RegistryBackup(const BackupOptions& options, RunContext& ctx);

enum class RestoreStatus {
  Done,
  Missing,        // the backup file is gone
  Damaged,        // the archive does not inflate to a whole file
  EditorMissing,
  ImportFailed,   // the editor reported a failure
};

// Imports the backup file (an archive is inflated beside it first, and that
// temporary export removed afterwards).
RestoreStatus RestoreRegistryBackup(std::wstring_view backupFile, RunContext& ctx);

}  // namespace wv
