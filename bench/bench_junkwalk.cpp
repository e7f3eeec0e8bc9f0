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
#include "harness/junk_tree.h"
#include "platform/platform.h"

namespace {

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

}  // namespace

int main() {
  using namespace wv;
  bench::ScratchFolder scratch(L"junkwalk");
  std::vector<std::wstring> folders;
  const auto made = std::chrono::steady_clock::now();
  const int files = bench::BuildJunkTree(scratch.path(), &folders);
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
  auto bare = [&] { static_cast<void>(bench::BareWalk(scratch.path())); };

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
