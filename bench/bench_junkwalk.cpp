// The junk-file walk against a bare directory walk of the same tree: 200,000
// small files in 20,000 folders, a few of them junk, walked with the 35 masks
// of the catalogue. Both run in the same process on a warm cache.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "engines/cleaning/junk_scan.h"
#include "pages/cleaning/junk_files_page.h"
#include "app/catalogue.h"
#include "core/known_folders.h"
#include "harness/bench.h"
#include "platform/platform.h"

namespace {

constexpr int kTopFolders = 100;
constexpr int kSubfolders = 199;  // per top folder: 100 + 100 * 199 = 20,000 folders
constexpr int kFilesPerFolder = 10;

// Like the page's context: answers at once, looks at the clock now and then.
class CheapRun : public wv::RunContext {
 public:
  bool proceed() override {
    if ((++calls_ & 255) == 0) last_ = std::chrono::steady_clock::now();
    return true;
  }
  void status(std::wstring_view) override {}

 private:
  unsigned long calls_ = 0;
  std::chrono::steady_clock::time_point last_{};
};

void MakeFile(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(h, "bench", 5, &written, nullptr);
  CloseHandle(h);
}

// Ordinary long names (so the folders have short forms) and one junk file in 500.
std::wstring FileName(int n) {
  static const wchar_t* const kJunk[] = {L"~WRL%04d.tmp", L"backup copy %d.bak", L"crash %d.dmp", L"Thumbs.db"};
  static const wchar_t* const kPlain[] = {L"Document number %d.docx", L"photo_%06d.jpeg", L"notes %d.txt",
                                          L"component-%d.dll", L"readme %d"};
  wchar_t buffer[64];
  if (n % 500 == 7)
    std::swprintf(buffer, 64, kJunk[(n / 500) % 4], n);
  else
    std::swprintf(buffer, 64, kPlain[n % 5], n);
  return buffer;
}

int BuildTree(const std::wstring& root, std::vector<std::wstring>& folders) {
  int n = 0;
  auto fill = [&](const std::wstring& folder) {
    folders.push_back(folder);
    for (int f = 0; f < kFilesPerFolder; ++f) MakeFile(folder + L"\\" + FileName(n++));
  };
  for (int t = 0; t < kTopFolders; ++t) {
    const std::wstring top = root + L"\\Project Folder " + std::to_wstring(t);
    CreateDirectoryW(top.c_str(), nullptr);
    fill(top);
    for (int s = 0; s < kSubfolders; ++s) {
      const std::wstring sub = top + L"\\module_component_" + std::to_wstring(s);
      CreateDirectoryW(sub.c_str(), nullptr);
      fill(sub);
    }
  }
  return n;
}

// The baseline: every folder read once, nothing done per entry.
void BareWalk(const std::wstring& folder) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                              FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !(fd.cFileName[0] == L'.' && (fd.cFileName[1] == 0 || (fd.cFileName[1] == L'.' && fd.cFileName[2] == 0))))
      BareWalk(folder + L"\\" + fd.cFileName);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
}

}  // namespace

int main() {
  using namespace wv;
  bench::ScratchFolder scratch(L"junkwalk");
  std::vector<std::wstring> folders;
  const auto made = std::chrono::steady_clock::now();
  const int files = BuildTree(scratch.path(), folders);
  const std::chrono::duration<double> building = std::chrono::steady_clock::now() - made;
  std::printf("tree: %d files in %zu folders, built in %.1f s\n", files, folders.size(), building.count());

  JunkScanInput input;
  input.mode = JunkScanMode::ChosenFolder;
  input.folder = scratch.path();
  for (const CatalogueRow& row : CatalogueRows(Module::JunkFiles)) input.masks.emplace_back(row.caption);
  input.known = ResolveKnownFolders();
  input.known.TempDir.clear();  // the scratch tree lies in it and would be skipped whole

  // The rows as the page keeps them: each found file also made into its list row.
  RowModel rows;
  ResultRows<FoundRow> kept(rows, FormatJunkRow);
  std::size_t found = 0;
  auto scan = [&] {
    CheapRun run;
    kept.clear();
    found = JunkFileScan(input, run, kept.sink()).rows;
  };
  auto bare = [&] { BareWalk(scratch.path()); };

  bare();  // warm the cache for both
  scan();
  const double baseline = bench::BestSeconds(bare, 3);
  const double seconds = bench::BestSeconds(scan, 3);
  std::printf("junk rows: %zu\n", found);

  // What asking the system for each folder's short form would add (timed on
  // every tenth folder, counted for all).
  const double shortForms = 10 * bench::BestSeconds(
                                     [&] {
                                       for (std::size_t i = 0; i < folders.size(); i += 10)
                                         static_cast<void>(Fs().shortPath(folders[i] + L"\\"));
                                     },
                                     1);
  std::printf("short-form lookups, one per folder: %.3f s (%.2f x the bare walk)\n", shortForms,
              shortForms / baseline);

  bench::Report({"junk_walk", seconds, baseline, 1.30});
  return 0;
}
