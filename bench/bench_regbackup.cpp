// The whole-registry backup and restore against the registry editor run bare
// (sizes of the export and of each backup go to the error stream):
// "regedit /E" and "regedit /s" started with CreateProcess and waited for. The
// program adds the shell's start, its polling waits with message drains, the
// completeness checks, the archive at each level and the record.
#include <windows.h>

#include <cstdio>
#include <string>

#include "core/run_context.h"
#include "core/utilities.h"
#include "harness/bench.h"
#include "engines/registry/registry_backup.h"

namespace {

class QuietRun : public wv::RunContext {
 public:
  bool proceed() override { return true; }
  void status(std::wstring_view) override {}
};

void RunBare(const std::wstring& params) {
  std::wstring command = L"regedit.exe " + params;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return;
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

double MiB(std::uint64_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

}  // namespace

int main() {
  wv::bench::ScratchFolder scratch(L"regbackup");
  const std::wstring bare = scratch.path() + L"\\bare.reg";
  QuietRun run;

  const double bareExport = wv::bench::BestSeconds([&] { RunBare(L"/E \"" + bare + L"\""); }, 3);
  const std::uint64_t exportBytes = wv::GetFileSizeOf(bare);
  std::fprintf(stderr, "registry export: %.2f MiB\n", MiB(exportBytes));

  struct Level {
    const char* name;
    bool compress;
    int index;
    double goal;
  };
  const Level levels[] = {{"regbackup_plain", false, 1, 1.30},
                          {"regbackup_fastest", true, 0, 1.50},
                          {"regbackup_standard", true, 1, 2.00},
                          {"regbackup_best", true, 2, 3.00}};
  std::wstring lastArchive, lastPlain;
  for (const Level& level : levels) {
    std::wstring file;
    const double seconds = wv::bench::BestSeconds(
        [&] {
          const wv::BackupResult r = wv::RegistryBackup({scratch.path() + L"\\Registry", level.compress, level.index}, run);
          file = r.file;
        },
        3);
    std::fprintf(stderr, "%s: %.2f MiB\n", level.name, MiB(wv::GetFileSizeOf(file)));
    wv::bench::Report({level.name, seconds, bareExport, level.goal});
    (level.compress ? lastArchive : lastPlain) = file;
  }

  const double bareImport = wv::bench::BestSeconds([&] { RunBare(L"/s \"" + bare + L"\""); }, 3);
  const double plainRestore = wv::bench::BestSeconds([&] { (void)wv::RestoreRegistryBackup(lastPlain, run); }, 3);
  wv::bench::Report({"regrestore_plain", plainRestore, bareImport, 1.80});
  const double archiveRestore = wv::bench::BestSeconds([&] { (void)wv::RestoreRegistryBackup(lastArchive, run); }, 3);
  wv::bench::Report({"regrestore_archive", archiveRestore, bareImport, 1.80});
  return 0;
}
