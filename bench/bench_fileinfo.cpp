// The file-information editor renaming 10,000 files: simulate (insert a text at
// the start of every name, duplicate check on) then execute in place, against a
// bare loop of MoveFileW over the same files in the same run. The files lie in 20
// folders of 500: Wine looks for a name that does not exist yet (every rename's
// target) by reading the whole folder, which in one folder of 10,000 would make
// both sides wait on that scan alone.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "harness/bench.h"
#include "engines/tools/file_info.h"

namespace {

constexpr int kFolders = 20;
constexpr int kPerFolder = 500;
constexpr int kFiles = kFolders * kPerFolder;

std::wstring Name(int i) {
  wchar_t buffer[32];
  swprintf(buffer, 32, L"track_%05d.txt", i);
  return buffer;
}

std::wstring FolderOf(const std::wstring& root, int i) { return root + L"d" + std::to_wstring(i / kPerFolder) + L"\\"; }

class QuietRun : public wv::RunContext {
 public:
  bool proceed() override { return true; }
  void status(std::wstring_view) override {}
};

// Puts every file back under its first name (whatever prefix a run gave it).
void RenameAll(const std::wstring& root, const std::wstring& fromPrefix, const std::wstring& toPrefix) {
  for (int i = 0; i < kFiles; ++i) {
    const std::wstring folder = FolderOf(root, i);
    const std::wstring from = folder + fromPrefix + Name(i), to = folder + toPrefix + Name(i);
    MoveFileW(from.c_str(), to.c_str());
  }
}

}  // namespace

int main() {
  wv::bench::ScratchFolder scratch(L"fileinfo");
  const std::wstring folder = scratch.path() + L"\\";
  for (int d = 0; d < kFolders; ++d) CreateDirectoryW(FolderOf(folder, d * kPerFolder).c_str(), nullptr);
  for (int i = 0; i < kFiles; ++i) {
    HANDLE h = CreateFileW((FolderOf(folder, i) + Name(i)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }

  wv::FileInfoRows rows;
  bool failed = false;
  const double program = wv::bench::BestSeconds(
      [&] {
        QuietRun run;
        wv::FileInfoTask task;
        task.op = wv::FileInfoOp::Simulate;
        task.settings.rule = wv::NameRule::InsertText;
        task.settings.insertText = L"new_";
        task.ask = [&failed](const wv::FileInfoAsk&) { return !(failed = true); };
        failed |= wv::RunFileInfoTask(task, run, rows).stopped;
        task.op = wv::FileInfoOp::Execute;
        failed |= wv::RunFileInfoTask(task, run, rows).stopped;
      },
      3,
      [&] {
        RenameAll(folder, L"new_", L"");
        std::vector<wv::FileInfoRow> fresh(kFiles);
        for (int i = 0; i < kFiles; ++i) {
          fresh[i].oldName = fresh[i].newName = Name(i);
          fresh[i].folder = FolderOf(folder, i);
        }
        rows.assign(std::move(fresh));
      });
  if (failed || GetFileAttributesW((FolderOf(folder, kFiles - 1) + L"new_" + Name(kFiles - 1)).c_str()) == INVALID_FILE_ATTRIBUTES) {
    std::printf("bench fileinfo_rename: the program did not rename every file\n");
    return 1;
  }

  const double baseline = wv::bench::BestSeconds(
      [&] {
        for (int i = 0; i < kFiles; ++i) {
          const std::wstring from = FolderOf(folder, i) + Name(i), to = FolderOf(folder, i) + L"new_" + Name(i);
          MoveFileW(from.c_str(), to.c_str());
        }
      },
      3, [&] { RenameAll(folder, L"new_", L""); });

  wv::bench::Report({"fileinfo_rename", program, baseline, 1.5});
  return 0;
}
