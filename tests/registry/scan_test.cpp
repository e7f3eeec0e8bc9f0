// The redundancy scan: which paths are dead, which values and keys it reports,
// and deleting its rows only while their entries are as the scan saw them.
#include <gtest/gtest.h>

#include "core/known_folders.h"
#include "platform/text.h"
#include "platform/win32/win32_platform.h"
#include "registry/fixtures.h"

namespace wv::test {
namespace {

// A folder of its own on drive C: (a fixed disk of the prefix); every "gone"
// path lies inside it too.
class DeadPath : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t* f : {L"\\Foo 2.0", L"\\Python3.11", L"\\中文目录"}) ASSERT_TRUE(Fs().createFolderTree(at(f)));
    for (const wchar_t* f : {L"\\tool.exe", L"\\lib.dll"}) WriteBytes(at(f), "x");
  }
  void TearDown() override { RemoveTree(base_); }
  std::wstring at(std::wstring_view tail) const { return base_ + std::wstring(tail); }

  std::wstring base_ = L"C:\\VantorraDead_" + std::to_wstring(GetCurrentProcessId());
  KnownFolders known_ = ResolveKnownFolders();
  RedundancyRules rules_{known_};
};

TEST_F(DeadPath, Rules) {
  const std::wstring win = known_.WindowsDir;  // holds notepad.exe under Wine
  ASSERT_TRUE(FileExists(win + L"\\notepad.exe") && !known_.WindowsHelpDir.empty());
  const std::pair<std::wstring, bool> cases[] = {
      {win + L"\\notepad.exe %1", false}, {win, false}, {at(L"\\Old\\Data"), true},
      {L"%SystemRoot%\\system32\\x.dll", false}, {at(L"\\Gone\\*.tmp"), false},
      // Quotes: only the quoted part counts, an empty pair leaves the text whole.
      {L"\"" + at(L"\\Gone\\app.exe") + L"\" -run", true},
      {L"  \"" + at(L"\\tool.exe") + L"\" --gone C:\\nothing.exe", false}, {L"\"\"" + at(L"\\gone.exe"), true},
      // Pairs of backslashes as some programs store them.
      {ReplaceAll(at(L"\\tool.exe"), L"\\", L"\\\\"), false}, {ReplaceAll(at(L"\\gone.exe"), L"\\", L"\\\\"), true},
      // Only "X:\" paths, with no second drive reference.
      {L"gone.exe", false}, {L"\\\\server\\share\\gone.exe", false}, {L"C:gone.exe", false},
      {at(L"\\gone.exe /log:C:\\x.txt"), false}, {L"http://example.invalid/gone.exe", false},
      // file\index and file,index name an existing file; file\ with an extension is the file.
      {at(L"\\tool.exe\\3"), false}, {at(L"\\tool.exe\\-12"), false}, {at(L"\\tool.exe\\$1F"), false},
      {at(L"\\tool.exe\\0x10"), false}, {at(L"\\lib.dll,-101"), false}, {at(L"\\gone.dll,-101"), true},
      {at(L"\\tool.exe\\"), false}, {at(L"\\gone.exe\\"), true},
      // Comma and space rules pick the file name out of a command line.
      {at(L"\\tool.exe -x,y"), false}, {at(L"\\tool.exe,1 -y"), false}, {at(L"\\gone.exe,1 -y"), true},
      {at(L"\\tool.exec"), false}, {at(L"\\tool.e"), true}, {at(L"\\tool."), false},
      // Names that cannot be files end the name; the rest is judged as a folder.
      {at(L"\\(gone)"), false}, {at(L"\\gone_x"), true}, {at(L"\\gone\\"), true},
      // Every character beyond ASCII is ordinary: the whole name is judged.
      {at(L"\\中文目录"), false}, {at(L"\\中文目录\\数据"), true}, {at(L"\\中文目录\\文档.doc"), true},
      // Skipped names and the help folder.
      {at(L"\\Gone\\THUNDER.EXE"), false}, {at(L"\\Gone\\Templates\\x.dot"), false}, {at(L"\\Office\\Data\\x.dat"), false},
      {ToUpper(known_.WindowsHelpDir) + L"\\GONE.HLP", false}, {win + L"\\gone_vantorra.chm", true},
      // A dot in a folder name does not cut the path inside that folder.
      {at(L"\\Foo 2.0\\foo.exe /tray"), false}, {at(L"\\Python3.11\\python.exe -m x"), false},
      {at(L"\\Bar 2.0\\bar.exe /tray"), true}, {at(L"\\Python2.7\\python.exe -m x"), true},
      {at(L"\\tool.exe /x \\y"), false}, {at(L"\\gone.exe /x \\y"), true},  // no folder among the arguments
  };
  for (const auto& [text, dead] : cases) EXPECT_EQ(IsDeadPath(text, rules_, RegView::Native), dead) << ToUtf8(text);
  // From the 32-bit view (a key below Wow6432Node) a file said to be in System32 may be in SysWOW64.
  Planted plant;
  const std::wstring name = L"\\vantorra32_" + std::to_wstring(GetCurrentProcessId()) + L".dll";
  plant.file(win + L"\\SysWOW64" + name);
  EXPECT_TRUE(IsDeadPath(known_.SystemDir + name, rules_, RegView::Native));
  EXPECT_FALSE(IsDeadPath(known_.SystemDir + name, rules_, ViewOfPath(L"\\Software\\Wow6432Node\\Vendor")));
  EXPECT_EQ(ViewOfPath(L"\\Software\\MyWow6432Nodes"), RegView::Native);

  // A missing file counts only on a fixed disk.
  struct Typed : Win32Volumes {
    unsigned type = DRIVE_FIXED;
    unsigned driveType(std::wstring_view) override { return type; }
  } volumes;
  Substitute<Volumes> swap(&Platform::volumes, volumes);
  for (const unsigned type : {DRIVE_REMOTE, DRIVE_REMOVABLE, DRIVE_NO_ROOT_DIR, DRIVE_FIXED}) {
    volumes.type = type;
    EXPECT_EQ(IsDeadPath(at(L"\\gone\\tool.exe"), RedundancyRules(known_)), type == DRIVE_FIXED) << type;
  }
}

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
  Planted plant_;
  Collected found_;
  std::size_t count_ = 0;
};

// Values count by their data or their name; subkeys' rows come first; skipped keys are substrings.
TEST_F(Redundancy, WhatTheScanReports) {
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
  EXPECT_EQ(DeleteRegistryRow(keyRow()), RowDeletion::Deleted);
  EXPECT_FALSE(Reg().keyExists(kCU, key(L"\\Tree")));
  EXPECT_TRUE(Reg().keyExists(kCU, key())) << "only the row's own key goes";
}

}  // namespace
}  // namespace wv::test
