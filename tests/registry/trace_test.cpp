#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/knownfolders.h"
#include "core/publline.h"
#include "core/text.h"
#include "registry/regscan_fixtures.h"
#include "registry/zcrcline.h"
#include "support/testsupport.h"

namespace wv::test::regscan {
namespace {

constexpr RegRoot kCU = RegRoot::CurrentUser;
constexpr RegRoot kLM = RegRoot::LocalMachine;
const std::wstring kTag = L"Vantorra" + std::to_wstring(GetCurrentProcessId());
const std::wstring kCurrent = L"\\Software\\Microsoft\\Windows\\CurrentVersion";

// Each checker runs over its real key, where the test plants one entry it must
// find and entries it must not; whatever else the prefix holds there is ignored.
class Trace : public ::testing::Test {
 protected:
  void item(RegRoot root, int category) { check_.setItem(root, category); }
  const RegistryRow* key(const std::wstring& path) const { return found_.find(path, L"", RegRowKind::Key); }
  const RegistryRow* value(const std::wstring& path, std::wstring_view name) const { return found_.find(path, name); }
  std::size_t rowsUnder(const std::wstring& prefix) const { return found_.under(prefix).size(); }

  KnownFolders known_ = ResolveKnownFolders();
  TempFolder folder_{L"trace"};
  std::wstring live_ = folder_.file(L"live.dll");
  std::wstring gone_ = folder_ / L"gone.dll";
  Planted plant_;
  ScanRun run_;
  Collected found_;
  std::size_t count_ = 0;
  RegistryRowSink sink_ = found_.sink();
  TraceCheckers check_{known_, run_, sink_, count_};
};

// Every value below the key, its subkeys' first; any name, type or data.
TEST_F(Trace, HistoryKeysListEveryValueDeepestFirst) {
  const std::wstring h = kCurrent + L"\\Explorer\\RecentDocs\\" + kTag;
  plant_.text(kCU, h + L"\\Inner", L"a", L"x");
  plant_.integer(kCU, h, L"MRUListEx", 7);
  plant_.text(kCU, h, L"", L"unnamed");
  item(kCU, 0);
  check_.ListHistoryKey(h);
  check_.ListHistoryKey(h + L"\\Missing");
  const std::vector<const RegistryRow*> rows = found_.under(h);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0]->keyPath, h + L"\\Inner");
  EXPECT_EQ(rows[0]->valueName, L"a");
  EXPECT_EQ(rows[1]->keyPath, h);
  for (const RegistryRow* r : rows) {
    EXPECT_EQ(r->kind, RegRowKind::Value);
    EXPECT_EQ(r->category, 0);
    EXPECT_EQ(r->display, L"操作历史");
  }
  ASSERT_NE(value(h, L""), nullptr);
  EXPECT_EQ(ValueNameCell(*value(h, L"")), kDefaultValueMarker);
}

TEST_F(Trace, KeysNamedAfterAFragment) {
  const std::wstring p = L"\\Software\\RealNetworks\\RealPlayer\\6.0\\Preferences";
  plant_.key(kCU, p + L"\\mostrecentclips3");
  plant_.key(kCU, p + L"\\OtherClips");
  item(kCU, 1);
  check_.ListKeysNamed(p, L"MostRecentClips");
  ASSERT_EQ(found_.rows.size(), 1u);
  EXPECT_NE(key(p + L"\\mostrecentclips3"), nullptr);
}

TEST_F(Trace, FileExtensionHistory) {
  const std::wstring p = kCurrent + L"\\Explorer\\FileExts";
  const std::wstring e = L"\\.v" + std::to_wstring(GetCurrentProcessId());
  plant_.key(kCU, p + e + L"a");                      // nothing below: a hit
  plant_.key(kCU, p + e + L"b\\OpenWithList");        // an empty list: a hit
  plant_.text(kCU, p + e + L"c\\OpenWithList", L"a", L"x.exe");
  plant_.key(kCU, p + e + L"d");
  plant_.key(kLM, L"\\Software\\Classes" + e + L"d");  // known to the classes root
  plant_.key(kCU, p + e + L"e\\openwithlist");        // the name must match exactly
  plant_.key(kCU, p + e + L"f\\UserChoice");
  item(kCU, 2);
  check_.CheckFileExts(p);
  EXPECT_NE(key(p + e + L"a"), nullptr);
  EXPECT_NE(key(p + e + L"b"), nullptr);
  EXPECT_EQ(rowsUnder(p + e), 2u);
}

TEST_F(Trace, SharedLibrariesNamedAfterMissingFiles) {
  const std::wstring p = kCurrent + L"\\SharedDLLs";
  plant_.integer(kLM, p, gone_, 1);
  plant_.integer(kLM, p, live_, 1);
  item(kLM, 3);
  check_.CheckSharedDlls(p);
  ASSERT_NE(value(p, gone_), nullptr);
  EXPECT_EQ(value(p, gone_)->display, L"无效动态库");
  EXPECT_EQ(value(p, live_), nullptr);
}

TEST_F(Trace, EmptyVendorKeysAndInstallCache) {
  plant_.key(kCU, L"\\Software\\" + kTag + L"Empty");
  plant_.text(kCU, L"\\Software\\" + kTag + L"Full", L"a", L"b");
  const bool plantSecure = !Reg().keyExists(kCU, L"\\Software\\Secure");
  if (plantSecure) plant_.key(kCU, L"\\Software\\Secure");
  item(kCU, 4);
  check_.CheckEmptyVendorKeys(L"\\Software");
  EXPECT_NE(key(L"\\Software\\" + kTag + L"Empty"), nullptr);
  EXPECT_EQ(key(L"\\Software\\" + kTag + L"Full"), nullptr);
  if (plantSecure) {
    EXPECT_EQ(key(L"\\Software\\Secure"), nullptr);
  }

  const std::wstring arp = kCurrent + L"\\App Management\\ARPCache";
  plant_.key(kLM, arp + L"\\" + kTag + L"Gone");
  plant_.key(kLM, arp + L"\\{" + kTag + L"}");
  plant_.key(kLM, arp + L"\\" + kTag + L"Kept");
  plant_.key(kLM, kCurrent + L"\\Uninstall\\" + kTag + L"Kept");
  item(kLM, 4);
  check_.CheckArpCache(arp);
  EXPECT_EQ(rowsUnder(arp), 1u);
  ASSERT_NE(key(arp + L"\\" + kTag + L"Gone"), nullptr);
  EXPECT_EQ(key(arp + L"\\" + kTag + L"Gone")->root, kLM);
}

TEST_F(Trace, InstallerFoldersAndUninstallEntries) {
  const std::wstring folders = kCurrent + L"\\Installer\\Folders";
  const std::wstring goneFolder = folder_ / L"GoneFolder\\";
  plant_.text(kLM, folders, goneFolder, L"");
  plant_.text(kLM, folders, folder_.path() + L"\\", L"");
  plant_.integer(kLM, folders, folder_ / L"AlsoGone\\", 1);  // not a text value
  item(kLM, 5);
  check_.CheckInstallerFolders(folders);
  EXPECT_EQ(rowsUnder(folders), 1u);
  EXPECT_NE(value(folders, goneFolder), nullptr);

  const std::wstring un = kCurrent + L"\\Uninstall\\" + kTag;
  plant_.text(kLM, un + L"Gone", L"UninstallString", L"\"" + folder_.path() + L"\\unins000.exe\" /x");
  plant_.text(kLM, un + L"Gone\\Sub", L"a", L"b");
  plant_.text(kLM, un + L"Live", L"UninstallString", live_);
  plant_.text(kLM, un + L"Msi", L"UninstallString", L"MsiExec.exe /X{12345678-1234-1234-1234-123456789012}");
  plant_.text(kLM, un + L"Blank", L"UninstallString", L"   ");
  item(kLM, 6);
  check_.CheckUninstall(kCurrent + L"\\Uninstall");
  EXPECT_EQ(rowsUnder(un), 1u);
  const RegistryRow* row = key(un + L"Gone");
  ASSERT_NE(row, nullptr);
  // A key row deletes the uninstall entry with everything below it.
  EXPECT_EQ(DeleteRegistryRow(*row), RowDeletion::Deleted);
  EXPECT_FALSE(Reg().keyExists(kLM, un + L"Gone"));
}

TEST_F(Trace, StartMenuOrderAndFolderVerbs) {
  ASSERT_FALSE(known_.ProgramsDir.empty());
  const std::wstring p = kCurrent + L"\\Explorer\\MenuOrder\\Start Menu\\Programs";
  plant_.key(kCU, p + L"\\" + kTag + L"Gone");
  plant_.key(kCU, p + L"\\附件");
  plant_.key(kCU, p + L"\\" + kTag + L"Here");
  const std::wstring here = known_.ProgramsDir + L"\\" + kTag + L"Here";
  ASSERT_TRUE(Fs().createFolder(here));
  item(kCU, 7);
  check_.CheckStartMenuOrder(p);
  EXPECT_TRUE(Fs().removeFolder(here));
  EXPECT_NE(key(p + L"\\" + kTag + L"Gone"), nullptr);
  EXPECT_EQ(key(p + L"\\附件"), nullptr);
  EXPECT_EQ(key(p + L"\\" + kTag + L"Here"), nullptr);

  const std::wstring verbs = L"\\Software\\CLASSES\\Directory\\shell";
  plant_.key(kLM, verbs + L"\\" + kTag + L"Bare");
  plant_.text(kLM, verbs + L"\\" + kTag + L"Whole\\command", L"", live_);
  item(kLM, 8);
  check_.CheckFolderVerbs(verbs);
  EXPECT_NE(key(verbs + L"\\" + kTag + L"Bare"), nullptr);
  EXPECT_EQ(key(verbs + L"\\" + kTag + L"Whole"), nullptr);
}

TEST_F(Trace, HelpFilesAndFonts) {
  const std::wstring help = L"\\Software\\Microsoft\\Windows\\Help";
  WriteBytes(folder_ / L"here.hlp", "x");
  plant_.text(kLM, help, kTag + L"gone.hlp", folder_.path());
  plant_.text(kLM, help, L"here.hlp", folder_.path());
  plant_.text(kLM, help, kTag + L"nofolder.hlp", folder_ / L"NoFolder");
  item(kLM, 9);
  check_.CheckHelpFiles(help);
  EXPECT_NE(value(help, kTag + L"gone.hlp"), nullptr);
  EXPECT_EQ(value(help, L"here.hlp"), nullptr);
  EXPECT_EQ(value(help, kTag + L"nofolder.hlp"), nullptr);

  ASSERT_FALSE(known_.FontsDir.empty());
  const std::wstring fonts = L"\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
  const std::wstring bare = kTag + L".ttf";
  WriteBytes(known_.FontsDir + L"\\" + bare, "x");
  plant_.text(kLM, fonts, kTag + L" Gone (TrueType)", kTag + L"gone.ttf");
  plant_.text(kLM, fonts, kTag + L" Bare (TrueType)", bare);
  plant_.text(kLM, fonts, kTag + L" Path (TrueType)", live_);
  plant_.text(kLM, fonts, kTag + L" Moved (TrueType)", gone_);
  item(kLM, 10);
  check_.CheckFonts(fonts);
  EXPECT_TRUE(Fs().deleteFile(known_.FontsDir + L"\\" + bare));
  EXPECT_NE(value(fonts, kTag + L" Gone (TrueType)"), nullptr);
  EXPECT_NE(value(fonts, kTag + L" Moved (TrueType)"), nullptr);
  EXPECT_EQ(value(fonts, kTag + L" Bare (TrueType)"), nullptr);
  EXPECT_EQ(value(fonts, kTag + L" Path (TrueType)"), nullptr);
}

TEST_F(Trace, TypeLibrariesAndClasses) {
  const std::wstring libs = L"\\Software\\CLASSES\\TypeLib";
  const std::wstring id = libs + L"\\{" + kTag + L"}";
  plant_.text(kLM, id + L"\\1.0", L"", L"Gone library");
  plant_.text(kLM, id + L"\\1.0\\0\\win32", L"", folder_ / L"gone.tlb");
  plant_.text(kLM, id + L"\\2.0", L"", L"Live library");
  plant_.text(kLM, id + L"\\2.0\\0\\win32", L"", live_);
  plant_.text(kLM, id + L"\\3.0", L"", L"  ");  // no name: not looked at
  plant_.text(kLM, id + L"\\3.0\\0\\win32", L"", folder_ / L"gone.tlb");
  item(kLM, 11);
  check_.CheckTypeLibs(libs);
  EXPECT_EQ(rowsUnder(id), 1u);
  EXPECT_NE(key(id + L"\\1.0"), nullptr);

  const std::wstring classes = L"\\Software\\CLASSES";
  const std::wstring ext = L"\\.v" + std::to_wstring(GetCurrentProcessId());
  plant_.text(kLM, classes + ext + L"a", L"", kTag + L".GoneProgId");
  plant_.text(kLM, classes + ext + L"b", L"", L"txtfile");
  plant_.text(kLM, classes + L"\\" + kTag + L".Cls\\CLSID", L"", L"{" + kTag + L"}");
  plant_.text(kLM, classes + L"\\" + kTag + L".NoBraces\\CLSID", L"", kTag);
  plant_.text(kLM, classes + L"\\" + kTag + L".Search.CustomWordbreaker\\CLSID", L"", L"{" + kTag + L"}");
  ASSERT_TRUE(Reg().keyExists(kLM, classes + L"\\txtfile"));
  item(kLM, 12);
  check_.CheckClasses(classes);
  EXPECT_NE(key(classes + ext + L"a"), nullptr);
  EXPECT_EQ(key(classes + ext + L"b"), nullptr);
  EXPECT_NE(key(classes + L"\\" + kTag + L".Cls"), nullptr);
  EXPECT_EQ(key(classes + L"\\" + kTag + L".NoBraces"), nullptr);
  EXPECT_EQ(key(classes + L"\\" + kTag + L".Search.CustomWordbreaker"), nullptr);
}

// Item 4 looks under both roots; a stop during item 0 leaves the later items out.
TEST_F(Trace, WholeScanSwitchesRootsAndStops) {
  plant_.key(kCU, L"\\Software\\" + kTag + L"Empty");
  plant_.key(kLM, L"\\Software\\" + kTag + L"Empty");
  TraceScanInput in;
  in.known = known_;
  in.items[4] = true;
  ScanRun run;
  Collected rows;
  TraceScan(in, run, rows.sink());
  const RegistryRow* user = nullptr;
  const RegistryRow* machine = nullptr;
  for (const RegistryRow& r : rows.rows) {
    if (r.keyPath != L"\\Software\\" + kTag + L"Empty") continue;
    (r.root == kCU ? user : machine) = &r;
    EXPECT_EQ(r.category, 4);
  }
  EXPECT_NE(user, nullptr);
  EXPECT_NE(machine, nullptr);
  EXPECT_EQ(run.statuses.back(), L"扫描到符合条件的注册表冗余信息共 " + std::to_wstring(rows.rows.size()) + L" 项");

  const std::wstring h = kCurrent + L"\\Explorer\\RecentDocs\\" + kTag;
  plant_.text(kCU, h, L"a", L"x");
  plant_.text(kCU, h, L"b", L"x");
  in.items.fill(true);
  Collected some;
  ScanRun stopping([&some] { return !some.rows.empty(); });
  const RegistryScanResult r = TraceScan(in, stopping, some.sink());
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(some.rows.size(), 1u);
  EXPECT_EQ(some.rows[0].category, 0);
  EXPECT_EQ(stopping.callsAfterStop, 0u);

  in.items.fill(false);
  ScanRun idle;
  Collected none;
  TraceScan(in, idle, none.sink());
  EXPECT_TRUE(none.rows.empty());
  EXPECT_EQ(idle.statuses.back(), L"未扫描到符合条件的注册表冗余信息");
}

}  // namespace
}  // namespace wv::test::regscan
