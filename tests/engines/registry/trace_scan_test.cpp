// The daily-trace scan: each checker over its real key, where the test plants
// entries it must find and near misses it must not (whatever else the prefix
// holds there is ignored), and the scan's walk over its items.
#include <gtest/gtest.h>

#include <optional>

#include "core/known_folders.h"
#include "engines/registry/registry_fixtures.h"
#include "engines/registry/trace_scan.h"
#include "platform/text.h"

namespace wv::test {
namespace {

const std::wstring kTag = L"Vantorra" + std::to_wstring(GetCurrentProcessId());
const std::wstring kCurrent = L"\\Software\\Microsoft\\Windows\\CurrentVersion";
const std::wstring kClasses = L"\\Software\\CLASSES";
// An extension of this run's own.
const std::wstring kExt = L"\\.v" + std::to_wstring(GetCurrentProcessId());

// A row a checker must report, or must not: a value, or the key's own row.
struct Spot {
  std::wstring path;
  std::optional<std::wstring> name = {};
};

// One checker at a time as the scan runs it: the item's root and category set, rows collected.
class TraceChecker : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(!known_.ProgramsDir.empty() && !known_.FontsDir.empty()); }
  void item(RegRoot root, int category) {
    root_ = root;
    category_ = category;
    check_.setItem(root, category);
  }
  // Every hit found once as a row of the item, none of the misses.
  void expectRows(const std::vector<Spot>& hits, const std::vector<Spot>& misses) {
    for (const Spot& s : hits) {
      const RegistryRow* row = found_.find(s.path, s.name.value_or(L""), s.name ? RegRowKind::Value : RegRowKind::Key);
      ASSERT_NE(row, nullptr) << ToUtf8(s.path) << " " << ToUtf8(s.name.value_or(L""));
      EXPECT_TRUE(row->root == root_ && row->category == category_);
      EXPECT_EQ(row->display, TraceCategoryText(category_));
    }
    for (const Spot& s : misses)
      EXPECT_TRUE(s.name ? !found_.find(s.path, *s.name) : found_.under(s.path) == 0)
          << ToUtf8(s.path) << " " << ToUtf8(s.name.value_or(L""));
  }

  const KnownFolders known_ = ResolveKnownFolders();
  TempFolder folder_{L"trace"};
  const std::wstring live_ = folder_.file(L"live.dll"), gone_ = folder_ / L"gone.dll";
  PlantedRegistry plant_;
  ScanRun run_;
  Collected found_;
  std::size_t count_ = 0;
  RegistryRowSink sink_ = found_.sink();
  TraceCheckers check_{known_, run_, sink_, count_};
  RegRoot root_ = kCU;
  int category_ = -1;
};

TEST_F(TraceChecker, HistoryListsEveryValueOfTheKeyAndBelowOfAnyType) {
  const std::wstring history = kCurrent + L"\\Explorer\\RecentDocs\\" + kTag;
  item(kCU, 0);
  plant_.text(kCU, history + L"\\Inner", L"a", L"x");
  plant_.integer(kCU, history, L"MRUListEx", 7);
  plant_.text(kCU, history, L"", L"unnamed");
  check_.ListHistoryKey(history);
  check_.ListHistoryKey(history + L"\\Missing");
  expectRows({{history + L"\\Inner", L"a"}, {history, L"MRUListEx"}, {history, L""}}, {});
  ASSERT_EQ(found_.rows.size(), 3u);
  EXPECT_EQ(found_.rows.front().keyPath, history + L"\\Inner") << "the keys below come before the key's own values";
}

TEST_F(TraceChecker, KeysNamedAfterAFragment) {
  const std::wstring clips = L"\\Software\\RealNetworks\\RealPlayer\\6.0\\Preferences";
  item(kCU, 1);
  for (const wchar_t* name : {L"\\mostrecentclips3", L"\\OtherClips"}) plant_.key(kCU, clips + name);
  check_.ListKeysNamed(clips, L"MostRecentClips");
  expectRows({{clips + L"\\mostrecentclips3"}}, {{clips + L"\\OtherClips"}});
}

TEST_F(TraceChecker, FileExtensionsWithNothingBelowThatNoClassKnows) {
  const std::wstring exts = kCurrent + L"\\Explorer\\FileExts";
  item(kCU, 2);
  // Nothing below, an empty list; with a listed program, known to the classes root, a list's name not matching exactly.
  for (const wchar_t* tail : {L"a", L"b\\OpenWithList", L"d", L"e\\openwithlist", L"f\\UserChoice"})
    plant_.key(kCU, exts + kExt + tail);
  plant_.text(kCU, exts + kExt + L"c\\OpenWithList", L"a", L"x.exe");
  plant_.key(kLM, kClasses + kExt + L"d");
  check_.CheckFileExts(exts);
  expectRows({{exts + kExt + L"a"}, {exts + kExt + L"b"}},
             {{exts + kExt + L"c"}, {exts + kExt + L"d"}, {exts + kExt + L"e"}, {exts + kExt + L"f"}});
}

TEST_F(TraceChecker, SharedLibrariesNamedAfterMissingFiles) {
  const std::wstring dlls = kCurrent + L"\\SharedDLLs";
  item(kLM, 3);
  for (const std::wstring& file : {gone_, live_}) plant_.integer(kLM, dlls, file, 1);
  check_.CheckSharedDlls(dlls);
  expectRows({{dlls, gone_}}, {{dlls, live_}});
}

TEST_F(TraceChecker, EmptyVendorKeysButClassesAndSecure) {
  const std::wstring vendor = L"\\Software\\" + kTag;
  item(kCU, 4);
  for (const std::wstring& path : {vendor + L"Empty", std::wstring(L"\\Software\\Secure")}) plant_.key(kCU, path);
  plant_.text(kCU, vendor + L"Full", L"a", L"b");
  check_.CheckEmptyVendorKeys(L"\\Software");
  expectRows({{vendor + L"Empty"}}, {{vendor + L"Full"}, {L"\\Software\\Secure"}});
}

TEST_F(TraceChecker, InstallCacheEntriesWithoutTheirUninstallKey) {
  const std::wstring arp = kCurrent + L"\\App Management\\ARPCache";
  item(kLM, 4);
  for (const std::wstring& name : {kTag + L"Gone", L"{" + kTag + L"}", kTag + L"Kept"}) plant_.key(kLM, arp + L"\\" + name);
  plant_.key(kLM, kCurrent + L"\\Uninstall\\" + kTag + L"Kept");
  check_.CheckArpCache(arp);
  expectRows({{arp + L"\\" + kTag + L"Gone"}}, {{arp + L"\\{" + kTag + L"}"}, {arp + L"\\" + kTag + L"Kept"}});
}

TEST_F(TraceChecker, InstallerFoldersThatAreGone) {
  const std::wstring installer = kCurrent + L"\\Installer\\Folders", goneFolder = folder_ / L"GoneFolder\\";
  item(kLM, 5);
  plant_.text(kLM, installer, goneFolder, L"");
  plant_.text(kLM, installer, folder_.path() + L"\\", L"");
  plant_.integer(kLM, installer, folder_ / L"AlsoGone\\", 1);  // not a text value
  check_.CheckInstallerFolders(installer);
  expectRows({{installer, goneFolder}}, {{installer, folder_.path() + L"\\"}, {installer, folder_ / L"AlsoGone\\"}});
}

TEST_F(TraceChecker, UninstallEntriesWhoseUninstallerIsGone) {
  const std::wstring un = kCurrent + L"\\Uninstall\\" + kTag;
  item(kLM, 6);
  for (const auto& [name, command] : {std::pair{L"Gone", L"\"" + folder_.path() + L"\\unins000.exe\" /x"},
                                      std::pair{L"Live", live_}, std::pair{L"Blank", std::wstring(L"   ")},
                                      std::pair{L"Msi", std::wstring(L"MsiExec.exe /X{12345678-1234-1234-1234-123456789012}")}})
    plant_.text(kLM, un + name, L"UninstallString", command);
  plant_.text(kLM, un + L"Gone\\Sub", L"a", L"b");
  check_.CheckUninstall(kCurrent + L"\\Uninstall");
  expectRows({{un + L"Gone"}}, {{un + L"Gone\\Sub"}, {un + L"Live"}, {un + L"Msi"}, {un + L"Blank"}});
}

TEST_F(TraceChecker, StartMenuOrderWithoutItsFolderButTheSystemsOwn) {
  const std::wstring menu = kCurrent + L"\\Explorer\\MenuOrder\\Start Menu\\Programs";
  item(kCU, 7);
  for (const std::wstring& name : {kTag + L"Gone", std::wstring(L"附件"), kTag + L"Here"}) plant_.key(kCU, menu + L"\\" + name);
  ASSERT_TRUE(Fs().createFolder(known_.ProgramsDir + L"\\" + kTag + L"Here"));
  check_.CheckStartMenuOrder(menu);
  EXPECT_TRUE(Fs().removeFolder(known_.ProgramsDir + L"\\" + kTag + L"Here"));
  expectRows({{menu + L"\\" + kTag + L"Gone"}}, {{menu + L"\\附件"}, {menu + L"\\" + kTag + L"Here"}});
}

TEST_F(TraceChecker, FolderVerbsWithoutACommand) {
  const std::wstring verbs = kClasses + L"\\Directory\\shell\\" + kTag;
  item(kLM, 8);
  plant_.key(kLM, verbs + L"Bare");
  plant_.text(kLM, verbs + L"Whole\\command", L"", live_);
  check_.CheckFolderVerbs(kClasses + L"\\Directory\\shell");
  expectRows({{verbs + L"Bare"}}, {{verbs + L"Whole"}});
}

TEST_F(TraceChecker, HelpFilesMissingFromAFolderThatIsThere) {
  const std::wstring help = L"\\Software\\Microsoft\\Windows\\Help";
  item(kLM, 9);
  WriteBytes(folder_ / L"here.hlp", "x");
  for (const std::wstring& name : {kTag + L"gone.hlp", std::wstring(L"here.hlp")}) plant_.text(kLM, help, name, folder_.path());
  plant_.text(kLM, help, kTag + L"nofolder.hlp", folder_ / L"NoFolder");
  check_.CheckHelpFiles(help);
  expectRows({{help, kTag + L"gone.hlp"}}, {{help, L"here.hlp"}, {help, kTag + L"nofolder.hlp"}});
}

TEST_F(TraceChecker, FontsFoundNeitherAtTheirPathNorInTheFontsFolder) {
  const std::wstring fonts = L"\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", bareFont = kTag + L".ttf";
  item(kLM, 10);
  plant_.file(known_.FontsDir + L"\\" + bareFont);
  for (const auto& [name, file] : {std::pair{L" Gone", kTag + L"gone.ttf"}, std::pair{L" Bare", bareFont},
                                   std::pair{L" Path", live_}, std::pair{L" Moved", gone_}})
    plant_.text(kLM, fonts, kTag + name + L" (TrueType)", file);
  check_.CheckFonts(fonts);
  expectRows({{fonts, kTag + L" Gone (TrueType)"}, {fonts, kTag + L" Moved (TrueType)"}},
             {{fonts, kTag + L" Bare (TrueType)"}, {fonts, kTag + L" Path (TrueType)"}});
}

TEST_F(TraceChecker, NamedTypeLibrariesWhoseFileIsGone) {
  const std::wstring lib = kClasses + L"\\TypeLib\\{" + kTag + L"}";
  item(kLM, 11);
  for (const auto& [version, name, file] : {std::tuple{L"\\1.0", L"Gone library", gone_},
                                            std::tuple{L"\\2.0", L"Live library", live_},
                                            std::tuple{L"\\3.0", L"  ", gone_}}) {  // no name: not judged
    plant_.text(kLM, lib + version, L"", name);
    plant_.text(kLM, lib + version + L"\\0\\win32", L"", file);
  }
  check_.CheckTypeLibs(kClasses + L"\\TypeLib");
  expectRows({{lib + L"\\1.0"}}, {{lib + L"\\2.0"}, {lib + L"\\3.0"}});
}

TEST_F(TraceChecker, ClassesNamingAProgIdOrClassIdThatIsGone) {
  ASSERT_TRUE(Reg().keyExists(kLM, kClasses + L"\\txtfile"));
  item(kLM, 12);
  plant_.text(kLM, kClasses + kExt + L"a", L"", kTag + L".GoneProgId");
  plant_.text(kLM, kClasses + kExt + L"b", L"", L"txtfile");
  plant_.text(kLM, kClasses + L"\\" + kTag + L".Cls\\CLSID", L"", L"{" + kTag + L"}");
  plant_.text(kLM, kClasses + L"\\" + kTag + L".NoBraces\\CLSID", L"", kTag);
  plant_.text(kLM, kClasses + L"\\" + kTag + L".Search.CustomWordbreaker\\CLSID", L"", L"{" + kTag + L"}");
  check_.CheckClasses(kClasses);
  expectRows({{kClasses + kExt + L"a"}, {kClasses + L"\\" + kTag + L".Cls"}},
             {{kClasses + kExt + L"b"}, {kClasses + L"\\" + kTag + L".NoBraces"},
              {kClasses + L"\\" + kTag + L".Search.CustomWordbreaker"}});
}

// The run is asked for each item's tick as the scan reaches it, and a stop leaves the later items unscanned.
TEST(TraceScan, AsksEachItemsTickWhenItGetsThereAndAStopEndsTheWalk) {
  struct Unticking : ScanRun {
    std::vector<std::size_t> asked;
    bool stillTicked(std::size_t row, bool) override {
      asked.push_back(row);
      return false;
    }
  } unticking;
  TraceScanInput input;
  input.items.fill(true);
  input.known = ResolveKnownFolders();
  const RegistryScanResult none = TraceScan(input, unticking, Collected().sink());
  EXPECT_EQ(unticking.asked.size(), kTraceItemCount);
  EXPECT_TRUE(none.rows == 0 && !none.stopped && unticking.calls == 0) << "an unticked item is not started";
  EXPECT_EQ(unticking.statuses.back(), L"未扫描到符合条件的注册表冗余信息");

  ScanRun stopping([] { return true; });
  EXPECT_TRUE(TraceScan(input, stopping, Collected().sink()).stopped);
  EXPECT_EQ(stopping.calls, 1u) << "no item after the stop asks again";
  EXPECT_EQ(stopping.statuses.back(), L"未扫描到符合条件的注册表冗余信息");
}

}  // namespace
}  // namespace wv::test
