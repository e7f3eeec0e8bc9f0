// The junk scan of a whole NTFS drive from its file table, against the fastest
// bare directory walk of the same tree: 200,000 small files in 20,000 folders.
// scripts/bench builds the volume (drive W:, an ntfs-3g image) before this runs;
// the same tree is made here on the prefix's own drive C, where a walk is not
// slowed by the FUSE mount. The walk over the mount is reported beside it.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "engines/cleaning/junk_scan.h"
#include "engines/cleaning/ntfs_table.h"
#include "harness/bench.h"
#include "harness/junk_tree.h"
#include "pages/cleaning/junk_files_page.h"
#include "platform/platform.h"

namespace {

constexpr int kRounds = 5;

class CheapRun : public wv::RunContext {
 public:
  bool proceed() override { return true; }
  void status(std::wstring_view) override {}
};

double Seconds(const std::function<void()>& fn) {
  const auto start = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main() {
  using namespace wv;
  if (Vol().fileSystemName(L"W:\\") != L"NTFS" || !Vol().openVolume(L'W')) {
    std::printf("drive W: is not the benchmark's NTFS volume (scripts/bench makes it with scripts/make-test-volume)\n");
    return 1;
  }
  bench::ScratchFolder scratch(L"junkmft");
  const auto made = std::chrono::steady_clock::now();
  const int files = bench::BuildJunkTree(scratch.path());
  const std::chrono::duration<double> building = std::chrono::steady_clock::now() - made;
  std::printf("tree on C: %d files in %d folders, built in %.1f s\n", files, bench::kJunkTreeFolders, building.count());

  JunkScanInput input;
  input.mode = JunkScanMode::TickedDrives;
  input.drives = {L"W:"};
  input.driveTicks = {true};
  for (const CatalogueRow& row : CatalogueRows(Module::JunkFiles)) input.masks.emplace_back(row.caption);
  input.known = ResolveKnownFolders();

  // The rows as the page keeps them: each found file also made into its list row.
  RowModel rows;
  ResultRows<FoundRow> kept(rows, FormatJunkRow);
  JunkScanResult result;
  auto scan = [&](bool fromTable) {
    CheapRun run;
    kept.clear();
    input.fromTable = fromTable;
    result = JunkFileScan(input, run, kept.sink());
  };

  std::size_t entries = bench::BareWalk(scratch.path());  // warms the cache for both
  scan(true);
  std::vector<double> table, bare;
  for (int round = 0; round < kRounds; ++round) {
    bare.push_back(Seconds([&] { entries = bench::BareWalk(scratch.path()); }));
    table.push_back(Seconds([&] { scan(true); }));
  }
  if (result.drivesFromTable != 1) {
    std::printf("W: was not read from its table\n");
    return 1;
  }
  std::vector<std::wstring> fromTable;
  for (std::size_t i = 0; i < kept.size(); ++i) fromTable.push_back(kept.at(i).path);
  std::printf("bare walk of C: %zu entries, fastest %.3f s; table scan of W: %zu rows, median %.3f s\n", entries,
              *std::min_element(bare.begin(), bare.end()), fromTable.size(), Median(table));

  // The table alone: records read per second.
  NtfsTable t;
  double reading = 1e9;
  for (int round = 0; round < 3; ++round) {
    std::unique_ptr<File> volume = Vol().openVolume(L'W');
    reading = std::min(reading, Seconds([&] { static_cast<void>(ReadNtfsTable(*volume, t)); }));
  }
  std::printf("table read: %llu records (%.1f MiB, %zu fragments) in %.3f s, %.0f records per second\n",
              static_cast<unsigned long long>(t.stats.recordsRead), t.stats.bytesRead / 1048576.0,
              t.stats.tableFragments, reading, t.stats.recordsRead / reading);

  // The same scan walking the mount, and a bare walk of it: slower than drive C
  // (every entry crosses the FUSE mount), and the rows to hold the table's against.
  const double mountBare = Seconds([] { static_cast<void>(bench::BareWalk(L"W:")); });
  const double mountScan = Seconds([&] { scan(false); });
  std::vector<std::wstring> walked;
  for (std::size_t i = 0; i < kept.size(); ++i) walked.push_back(kept.at(i).path);
  std::printf("walk over the mount: bare %.3f s, junk scan %.3f s; same rows as the table: %s (%zu)\n", mountBare,
              mountScan, walked == fromTable ? "yes" : "NO", walked.size());

  bench::Report({"junk_mft", Median(table), *std::min_element(bare.begin(), bare.end()), 0.10});
  return walked == fromTable ? 0 : 1;
}
