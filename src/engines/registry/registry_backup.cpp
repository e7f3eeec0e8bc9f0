#include "engines/registry/registry_backup.h"

#include <optional>

#include "core/utilities.h"
#include "platform/platform.h"
#include "engines/registry/backup_records.h"

namespace wv {
namespace {

constexpr std::wstring_view kArchiveExt = L".zcom";
constexpr unsigned kPollMs = 50;
// After the editor has ended, how long a file still held open (by some other
// program) is waited for before the export counts as incomplete.
constexpr int kReleasePolls = 200;

// Starts the registry editor of the Windows folder (never one found by its bare
// name beside the program) with the parameters and drains the window's messages
// until its process has ended: its exit code, or nullopt when it could not be started.
std::optional<std::uint32_t> RunEditor(const std::wstring& params, RunContext& ctx) {
  const UniqueHandle process = StartSystemProgram(SystemProgram::RegistryEditor, params, SW_HIDE);
  if (!process) return std::nullopt;
  for (;;) {
    if (const std::optional<std::uint32_t> code = Sh().waitForExit(process.get(), kPollMs)) return code;
    (void)ctx.proceed();  // the window keeps painting; there is no stop
  }
}

// The editor needs the path in quotes: a folder without a short name keeps its blanks.
std::wstring Quote(std::wstring_view path) { return L"\"" + std::wstring(path) + L"\""; }

// The export is complete when the file exists, holds something and nobody writes it any more.
bool ExportComplete(const std::wstring& path, RunContext& ctx) {
  for (int i = 0; i < kReleasePolls && IsFileInUse(path); ++i) {
    Sh().sleep(kPollMs);
    (void)ctx.proceed();
  }
  return FileExists(path) && !IsFileInUse(path) && GetFileSizeOf(path) > 0;
}

BackupResult Finish(BackupStatus status, RunContext& ctx, std::wstring file = {}) {
  ctx.status(L"");
  return {status, std::move(file)};
}

}  // namespace

BackupResult RegistryBackup(const BackupOptions& options, RunContext& ctx) {
  const std::wstring folder = IncludeTrailingBackslash(options.regBackupDir);
  if (options.regBackupDir.empty() || !Fs().createFolderTree(ExcludeTrailingBackslash(folder)))
    return {BackupStatus::FolderInvalid, {}};
  ctx.status(L"注册表备份中,请等待...");
  (void)ctx.proceed();

  // The short form where the system keeps one; the record's key is the path as created.
  std::wstring shortFolder = Fs().shortPath(folder);
  shortFolder = shortFolder.empty() ? folder : IncludeTrailingBackslash(shortFolder);
  std::wstring path = FreeBackupPath(shortFolder, L"Reg_", kArchiveExt);

  const std::optional<std::uint32_t> code = RunEditor(L"/E " + Quote(path), ctx);
  if (!code) return Finish(BackupStatus::EditorMissing, ctx);
  if (*code != 0 || !ExportComplete(path, ctx)) {
    if (!IsFileInUse(path)) (void)Fs().deleteFile(path);  // a partial export is no backup
    return Finish(BackupStatus::ExportFailed, ctx);
  }
  if (options.compress) {
    const std::wstring archive = path + std::wstring(kArchiveExt);
    if (!CompressFile(path, archive, options.levelIndex, true)) {
      // The complete export is a backup all the same: kept as it is, and recorded.
      if (!WriteRecord(folder, kFileSection, path)) return Finish(BackupStatus::RecordFailed, ctx, path);
      return Finish(BackupStatus::CompressFailed, ctx, path);
    }
    path = archive;
  }
  if (!WriteRecord(folder, kFileSection, path)) return Finish(BackupStatus::RecordFailed, ctx, path);
  return Finish(BackupStatus::Done, ctx, path);
}

RestoreStatus RestoreRegistryBackup(std::wstring_view backupFile, RunContext& ctx) {
  const std::wstring path(backupFile);
  if (!FileExists(path)) return RestoreStatus::Missing;
  ctx.status(L"注册表恢复中,请等待...");
  (void)ctx.proceed();

  std::wstring exportFile = path;
  const bool archive = EndsWithNoCase(path, kArchiveExt);
  if (archive) {
    exportFile = path.substr(0, path.size() - kArchiveExt.size());
    // Never inflate over a file of that name: it may be a backup of its own.
    if (Fs().attributes(exportFile) != INVALID_FILE_ATTRIBUTES)
      exportFile = Fs().uniqueTempFile(ExtractFilePath(path), L"reg");
    if (exportFile.empty() || !DecompressFile(path, exportFile, false, &ctx)) {
      ctx.status(L"");
      return RestoreStatus::Damaged;
    }
  }
  const std::optional<std::uint32_t> code = RunEditor(L"/s " + Quote(exportFile), ctx);
  if (archive) (void)Fs().deleteFile(exportFile);
  ctx.status(L"");
  if (!code) return RestoreStatus::EditorMissing;
  return *code == 0 ? RestoreStatus::Done : RestoreStatus::ImportFailed;
}

}  // namespace wv
