#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/knownfolders.h"
#include "core/publline.h"
#include "core/text.h"
#include "registry/regscan_fixtures.h"
#include "registry/zcqlline.h"
#include "support/testsupport.h"

namespace wv::test::regscan {
namespace {

constexpr RegRoot kCU = RegRoot::CurrentUser;

// A key of its own below HKEY_CURRENT_USER, a fixed-disk folder with one file, and
// a missing path in that folder.
class Redundancy : public ::testing::Test {
 protected:
  std::wstring key(std::wstring_view tail = {}) const { return L"\\" + temp_.path() + std::wstring(tail); }
  RegistryScanResult scanTree(ScanRun& run) {
    const bool finished = ScanKeyTree(kCU, key(), rules_, run, found_.sink(), count_);
    return RegistryScanResult{count_, !finished};
  }

  TempKey temp_{L"redundancy"};
  TempFolder folder_{L"redundancy"};
  std::wstring live_ = folder_.file(L"live.exe");
  std::wstring gone_ = folder_ / L"gone.exe";
  KnownFolders known_ = ResolveKnownFolders();
  RedundancyRules rules_{known_};
  Planted plant_;
  Collected found_;
  std::size_t count_ = 0;
};

TEST_F(Redundancy, ValuesReportedByDataOrByName) {
  plant_.text(kCU, key(), L"data", gone_);
  plant_.expandText(kCU, key(), L"expanded", gone_ + L" /run");
  plant_.text(kCU, key(), L"live", live_);
  plant_.integer(kCU, key(), gone_, 1);
  plant_.integer(kCU, key(), live_, 1);
  plant_.text(kCU, key(), folder_ / L"gone2.exe", live_);  // the data is live; the name still counts
  plant_.text(kCU, key(), L"InstallTemplate", gone_);
  plant_.text(kCU, key(), L"MyCachePath", gone_);
  ScanRun run;
  scanTree(run);

  std::vector<std::wstring> names;
  for (const RegistryRow& r : found_.rows) names.push_back(r.valueName);
  EXPECT_EQ(names.size(), 4u);
  const RegistryRow* data = found_.find(key(), L"data");
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->display, gone_);
  EXPECT_EQ(data->value.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(data->root, kCU);
  const RegistryRow* expanded = found_.find(key(), L"expanded");
  ASSERT_NE(expanded, nullptr);
  EXPECT_EQ(expanded->value.type, static_cast<DWORD>(REG_EXPAND_SZ));
  const RegistryRow* byName = found_.find(key(), gone_);
  ASSERT_NE(byName, nullptr);
  EXPECT_EQ(byName->value.type, static_cast<DWORD>(REG_DWORD)) << "the DWORD, not the string of the same name";
  EXPECT_TRUE(byName->display.empty());
}

// The unnamed value shows the marker; a value really named so keeps its name.
TEST_F(Redundancy, UnnamedValueAndAValueNamedLikeTheMarker) {
  plant_.text(kCU, key(), L"", gone_);
  plant_.text(kCU, key(), kDefaultValueMarker, gone_ + L"x");
  ScanRun run;
  scanTree(run);
  ASSERT_EQ(found_.rows.size(), 2u);
  const RegistryRow* unnamed = found_.find(key(), L"");
  const RegistryRow* literal = found_.find(key(), kDefaultValueMarker);
  ASSERT_NE(unnamed, nullptr);
  ASSERT_NE(literal, nullptr);
  EXPECT_EQ(ValueNameCell(*unnamed), kDefaultValueMarker);
  EXPECT_EQ(ValueNameCell(*literal), kDefaultValueMarker);
  EXPECT_EQ(literal->display, gone_ + L"x");
}

TEST_F(Redundancy, SkippedKeysAreSubstringsOfThePath) {
  plant_.text(kCU, key(L"\\Software\\Classes\\App"), L"a", gone_);
  plant_.text(kCU, key(L"\\My Templates\\Deep"), L"a", gone_);
  plant_.text(kCU, key(L"\\Shared Components"), L"a", gone_);
  plant_.text(kCU, key(L"\\Software\\Vendor"), L"a", gone_);
  plant_.text(kCU, key(L"\\   "), L"a", gone_);  // a blank name is not walked
  ScanRun run;
  scanTree(run);
  ASSERT_EQ(found_.rows.size(), 1u);
  EXPECT_EQ(found_.rows[0].keyPath, key(L"\\Software\\Vendor"));
}

// Depth first: a key's own rows come after those of everything below it.
TEST_F(Redundancy, RowsOfSubkeysComeFirst) {
  plant_.text(kCU, key(), L"top", gone_);
  plant_.text(kCU, key(L"\\A"), L"a", gone_);
  plant_.text(kCU, key(L"\\A\\Deep"), L"deep", gone_);
  plant_.text(kCU, key(L"\\B"), L"b", gone_);
  ScanRun run;
  scanTree(run);
  std::vector<std::wstring> order;
  for (const RegistryRow& r : found_.rows) order.push_back(r.valueName);
  EXPECT_EQ(order, (std::vector<std::wstring>{L"deep", L"a", L"b", L"top"}));
  EXPECT_EQ(run.statuses.back(), L"已扫描到 4 项 -- HKEY_CURRENT_USER" + key());
}

TEST_F(Redundancy, StopKeepsTheRowsFound) {
  for (int i = 0; i < 5; ++i) plant_.text(kCU, key(L"\\K" + std::to_wstring(i)), L"v", gone_);
  ScanRun run([this] { return found_.rows.size() >= 2; });
  const RegistryScanResult r = scanTree(run);
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(found_.rows.size(), 2u);
  EXPECT_EQ(run.callsAfterStop, 0u) << "every level ends at the stop it saw";
}

// The whole scan over the ticked hives, with its summary.
TEST_F(Redundancy, WholeScanOfTheUserHive) {
  plant_.text(kCU, key(), L"v", gone_);
  RedundancyScanInput in;
  in.known = known_;
  ScanRun idle;
  Collected none;
  EXPECT_EQ(RedundancyScan(in, idle, none.sink()).rows, 0u);
  EXPECT_EQ(idle.statuses.back(), L"未扫描到符合条件的注册表冗余信息");

  in.hives = {true, false, false};
  ScanRun run;
  const RegistryScanResult r = RedundancyScan(in, run, found_.sink());
  EXPECT_FALSE(r.stopped);
  EXPECT_EQ(r.rows, found_.rows.size());
  EXPECT_NE(found_.find(key(), L"v"), nullptr);
  for (const RegistryRow& row : found_.rows) EXPECT_EQ(row.root, kCU);
  EXPECT_EQ(run.statuses.back(), L"扫描到符合条件的注册表冗余信息共 " + std::to_wstring(r.rows) + L" 项");

  ScanRun stopping([this] { return true; });
  Collected stopped;
  in.hives = {true, true, true};
  const RegistryScanResult s = RedundancyScan(in, stopping, stopped.sink());
  EXPECT_TRUE(s.stopped);
  EXPECT_EQ(stopping.calls, 1u) << "the later hives are not started";
  EXPECT_EQ(stopping.statuses.back(), L"未扫描到符合条件的注册表冗余信息");
}

// ---------------------------------------------------------------- deletion

RegistryRow KeyRow(RegRoot root, const std::wstring& path) {
  RegistryRow row;
  row.root = root;
  row.keyPath = path;
  row.kind = RegRowKind::Key;
  auto k = Reg().openKey(root, path);
  EXPECT_TRUE(k && k->info(row.keyState));
  return row;
}

bool HasValue(const std::wstring& path, std::wstring_view name) {
  auto k = Reg().openKey(kCU, path);
  return k && k->valueExists(name);
}

TEST_F(Redundancy, DeletionActsOnTheValueTheRowNames) {
  plant_.text(kCU, key(), L"", gone_);
  plant_.text(kCU, key(), kDefaultValueMarker, gone_);
  plant_.text(kCU, key(), L"plain", gone_);
  ScanRun run;
  scanTree(run);
  ASSERT_EQ(found_.rows.size(), 3u);

  EXPECT_EQ(DeleteRegistryRow(*found_.find(key(), kDefaultValueMarker)), RowDeletion::Deleted);
  EXPECT_FALSE(HasValue(key(), kDefaultValueMarker));
  EXPECT_TRUE(HasValue(key(), L"")) << "the unnamed value stays";
  EXPECT_EQ(DeleteRegistryRow(*found_.find(key(), L"")), RowDeletion::Deleted);
  EXPECT_FALSE(HasValue(key(), L""));
  EXPECT_TRUE(HasValue(key(), L"plain"));
  EXPECT_EQ(DeleteRegistryRow(*found_.find(key(), L"plain")), RowDeletion::Deleted);
  EXPECT_EQ(DeleteRegistryRow(*found_.find(key(), L"plain")), RowDeletion::Missing);
}

// A value that changed since the scan (or a key that gained entries) stays.
TEST_F(Redundancy, DeletionLeavesWhatChangedSinceTheScan) {
  plant_.text(kCU, key(), L"same", gone_);
  plant_.text(kCU, key(), L"retyped", gone_);
  plant_.text(kCU, key(), L"rewritten", gone_);
  ScanRun run;
  scanTree(run);
  ASSERT_EQ(found_.rows.size(), 3u);
  plant_.expandText(kCU, key(), L"retyped", gone_);
  plant_.text(kCU, key(), L"rewritten", live_);
  EXPECT_EQ(DeleteRegistryRow(*found_.find(key(), L"retyped")), RowDeletion::Changed);
  EXPECT_EQ(DeleteRegistryRow(*found_.find(key(), L"rewritten")), RowDeletion::Changed);
  EXPECT_TRUE(HasValue(key(), L"retyped"));
  EXPECT_TRUE(HasValue(key(), L"rewritten"));
  EXPECT_EQ(DeleteRegistryRow(*found_.find(key(), L"same")), RowDeletion::Deleted);

  plant_.text(kCU, key(L"\\Tree\\Below"), L"x", L"1");
  const RegistryRow tree = KeyRow(kCU, key(L"\\Tree"));
  Sleep(20);  // a later write time than the one the row keeps
  plant_.text(kCU, key(L"\\Tree"), L"new", L"1");
  EXPECT_EQ(DeleteRegistryRow(tree), RowDeletion::Changed);
  EXPECT_TRUE(Reg().keyExists(kCU, key(L"\\Tree\\Below")));
  const RegistryRow again = KeyRow(kCU, key(L"\\Tree"));
  EXPECT_EQ(DeleteRegistryRow(again), RowDeletion::Deleted);
  EXPECT_FALSE(Reg().keyExists(kCU, key(L"\\Tree")));
  EXPECT_EQ(DeleteRegistryRow(again), RowDeletion::Missing);
  EXPECT_TRUE(Reg().keyExists(kCU, key())) << "only the row's own key goes";
}

}  // namespace
}  // namespace wv::test::regscan
