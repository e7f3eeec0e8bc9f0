// The redundancy scan: which values and keys it reports, how a stop ends it, and
// deleting its rows only while their entries are as the scan saw them.
#include <gtest/gtest.h>

#include "core/known_folders.h"
#include "engines/registry/registry_fixtures.h"
#include "platform/text.h"
#include "platform/win32/win32_platform.h"

namespace wv::test {
namespace {

// A key of its own below HKEY_CURRENT_USER, a folder with one file, a missing path in it.
class Redundancy : public ::testing::Test {
 protected:
  std::wstring key(std::wstring_view tail = {}) const { return L"\\" + temp_.path() + std::wstring(tail); }
  bool scan(ScanRun& run) { return ScanKeyTree(kCU, key(), rules_, run, found_.sink(), count_); }
  bool hasValue(std::wstring_view name) const { return RawValue(kCU, key(), name).has_value(); }

  TempKey temp_{L"redundancy"};
  TempFolder folder_{L"redundancy"};
  std::wstring live_ = folder_.file(L"live.exe"), gone_ = folder_ / L"gone.exe";
  RedundancyRules rules_{ResolveKnownFolders()};
  PlantedRegistry plant_;
  Collected found_;
  std::size_t count_ = 0;
};

// Values count by their data or their name; subkeys' rows come first; skipped keys are substrings.
TEST_F(Redundancy, ReportsValuesByDataOrNameSubkeysFirstAndSkipsKeysByFragment) {
  plant_.text(kCU, key(), L"expanded", gone_ + L" /run", REG_EXPAND_SZ);
  plant_.integer(kCU, key(), gone_, 1);
  plant_.integer(kCU, key(), live_, 1);
  plant_.text(kCU, key(), folder_ / L"gone2.exe", live_);  // the data is live; the name still counts
  for (const wchar_t* name : {L"data", L"InstallTemplate", L"MyCachePath"}) plant_.text(kCU, key(), name, gone_);
  plant_.text(kCU, key(), L"live", live_);
  for (const wchar_t* tail : {L"\\A\\Deep", L"\\Software\\Vendor", L"\\Software\\Classes\\App", L"\\My Templates\\Deep",
                              L"\\Shared Components", L"\\   "})  // the last four are skipped
    plant_.text(kCU, key(tail), L"v", gone_);
  ScanRun run;
  ASSERT_TRUE(scan(run));

  std::vector<std::wstring> order;
  for (const RegistryRow& r : found_.rows) order.push_back(r.keyPath.substr(key().size()) + L"|" + r.valueName);
  ASSERT_EQ(order.size(), 6u);
  EXPECT_EQ(order[0] + order[1], L"\\A\\Deep|v\\Software\\Vendor|v");
  // Name, type of the row's value.
  for (const auto& [name, type] : {std::pair{std::wstring(L"data"), REG_SZ}, std::pair{std::wstring(L"expanded"), REG_EXPAND_SZ},
                                   std::pair{folder_ / L"gone2.exe", REG_SZ}, std::pair{gone_, REG_DWORD}}) {
    const RegistryRow* row = found_.find(key(), name);
    ASSERT_NE(row, nullptr) << ToUtf8(name);
    EXPECT_TRUE(row->value.type == static_cast<DWORD>(type) && row->root == kCU) << ToUtf8(name);
  }
  EXPECT_EQ(found_.find(key(), L"data")->display, gone_);
  EXPECT_EQ(run.statuses.back(), L"已扫描到 6 项 -- HKEY_CURRENT_USER" + key());
}

TEST_F(Redundancy, AStopKeepsTheRowsFoundAndLeavesLaterHivesOut) {
  for (int i = 0; i < 5; ++i) plant_.text(kCU, key(L"\\K" + std::to_wstring(i)), L"v", gone_);
  ScanRun run([this] { return found_.rows.size() >= 2; });
  EXPECT_FALSE(scan(run));
  EXPECT_EQ(found_.rows.size(), 2u);
  EXPECT_EQ(run.callsAfterStop, 0u) << "every level ends at the stop it saw";

  RedundancyScanInput in;
  std::tie(in.hives, in.known) = std::tuple(std::array{true, true, true}, ResolveKnownFolders());
  ScanRun stopping([] { return true; });
  EXPECT_TRUE(RedundancyScan(in, stopping, Collected().sink()).stopped);
  EXPECT_EQ(stopping.calls, 1u) << "the later hives are not started";
  EXPECT_EQ(stopping.statuses.back(), L"未扫描到符合条件的注册表冗余信息");
}

// A value that changed since the scan, or a key that gained entries, stays.
TEST_F(Redundancy, DeletionLeavesWhatChangedSinceTheScan) {
  for (const wchar_t* name : {L"same", L"retyped", L"rewritten"}) plant_.text(kCU, key(), name, gone_);
  ScanRun run;
  ASSERT_TRUE(scan(run));
  ASSERT_EQ(found_.rows.size(), 3u);
  plant_.text(kCU, key(), L"retyped", gone_, REG_EXPAND_SZ);
  plant_.text(kCU, key(), L"rewritten", live_);
  for (const wchar_t* name : {L"retyped", L"rewritten"}) {
    EXPECT_EQ(DeleteRegistryRow(*found_.find(key(), name)), RowDeletion::Changed);
    EXPECT_TRUE(hasValue(name));
  }
  EXPECT_EQ(DeleteRegistryRow(*found_.find(key(), L"same")), RowDeletion::Deleted);
  EXPECT_EQ(DeleteRegistryRow(*found_.find(key(), L"same")), RowDeletion::Missing);

  plant_.text(kCU, key(L"\\Tree\\Below"), L"x", L"1");
  auto keyRow = [this] {
    RegistryRow row;
    std::tie(row.keyPath, row.kind) = std::tuple(key(L"\\Tree"), RegRowKind::Key);
    EXPECT_TRUE(Reg().openKey(kCU, row.keyPath)->info(row.keyState));
    return row;
  };
  const RegistryRow tree = keyRow();
  Sleep(20);  // a later write time than the one the row keeps
  plant_.text(kCU, key(L"\\Tree"), L"new", L"1");
  EXPECT_EQ(DeleteRegistryRow(tree), RowDeletion::Changed);
  EXPECT_TRUE(Reg().keyExists(kCU, key(L"\\Tree\\Below")));
  const RegistryRow unchanged = keyRow();
  EXPECT_EQ(DeleteRegistryRow(unchanged), RowDeletion::Deleted);
  EXPECT_FALSE(Reg().keyExists(kCU, key(L"\\Tree")));
  EXPECT_TRUE(Reg().keyExists(kCU, key())) << "only the row's own key goes";
  EXPECT_EQ(DeleteRegistryRow(unchanged), RowDeletion::Missing) << "a key gone already is no failure";
}

// A key the system refuses to open is a failure, not an entry gone already.
TEST_F(Redundancy, ARefusedKeyIsAFailureNotAMissingEntry) {
  plant_.text(kCU, key(), L"v", gone_);
  ScanRun run;
  ASSERT_TRUE(scan(run));
  ASSERT_EQ(found_.rows.size(), 1u);
  struct Refusing : Win32Registry {
    std::unique_ptr<RegKey> openKey(RegRoot, std::wstring_view, SysResult* why) override {
      if (why) *why = SysResult(ERROR_ACCESS_DENIED);
      return nullptr;
    }
  } refusing;
  {
    Substitute<Registry> swap(&Platform::registry, refusing);
    EXPECT_EQ(DeleteRegistryRow(found_.rows[0]), RowDeletion::Failed);
  }
  EXPECT_TRUE(hasValue(L"v"));
  EXPECT_EQ(DeleteRegistryRow(found_.rows[0]), RowDeletion::Deleted);
}

// HKEY_USERS holds the user's own hive under the user's identifier, which is
// HKEY_CURRENT_USER: with both ticked each of its entries is listed once.
TEST_F(Redundancy, TheUsersOwnHiveIsListedOnceWithBothRootsTicked) {
  plant_.text(kCU, key(), L"once", gone_);
  RedundancyScanInput in;
  std::tie(in.hives, in.known) = std::tuple(std::array{true, false, true}, ResolveKnownFolders());
  ScanRun run;
  Collected all;
  ASSERT_FALSE(RedundancyScan(in, run, all.sink()).stopped);
  std::vector<std::wstring> mine;
  for (const RegistryRow& r : all.rows)
    if (EndsWithNoCase(r.keyPath, key()) && r.valueName == L"once") mine.push_back(std::wstring(RootName(r.root)) + r.keyPath);
  EXPECT_EQ(mine, std::vector<std::wstring>{L"HKEY_CURRENT_USER" + key()});

  // Without the user's root ticked, HKEY_USERS still lists it (once).
  in.hives = {false, false, true};
  Collected users;
  ASSERT_FALSE(RedundancyScan(in, run, users.sink()).stopped);
  EXPECT_EQ(std::ranges::count_if(users.rows, [&](const RegistryRow& r) {
              return r.root == RegRoot::Users && EndsWithNoCase(r.keyPath, key()) && r.valueName == L"once";
            }),
            1);
}

}  // namespace
}  // namespace wv::test
