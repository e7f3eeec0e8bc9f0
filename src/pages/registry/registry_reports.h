#pragma once
// What the registry pages tell the user about a whole-registry backup, its
// restore and the undo file of a clean, from the engines' results.

#include "engines/registry/registry_backup.h"
#include "engines/registry/registry_undo.h"

namespace wv {

// The user's message for each outcome, as the backup and the manager show it.
void ReportBackup(const BackupResult& result);
void ReportRestore(RestoreStatus status);
// Why the clean did not start: its undo file could not be written.
void ReportUndoFailure(const UndoFile& undo);

}  // namespace wv
