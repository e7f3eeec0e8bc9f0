// The daily-trace scan: each checker over its real key, where the test plants entries it
// must find and near misses it must not; whatever else the prefix holds there is ignored.
#include <gtest/gtest.h>

#include <optional>

#include "core/known_folders.h"
#include "platform/text.h"
#include "registry/fixtures.h"
#include "engines/registry/trace_scan.h"

namespace wv::test {
namespace {

const std::wstring kTag = L"Vantorra" + std::to_wstring(GetCurrentProcessId());
const std::wstring kCurrent = L"\\Software\\Microsoft\\Windows\\CurrentVersion";

struct Spot {
  std::wstring path;
  std::optional<std::wstring> name = {};  // none: the key's own row
};

TEST(Trace, EachCheckerFindsItsHitsAndNotItsNearMisses) {
  const KnownFolders known = ResolveKnownFolders();
  TempFolder folder(L"trace");
  const std::wstring live = folder.file(L"live.dll"), gone = folder / L"gone.dll";
  Planted plant;
  ScanRun run;
  Collected found;
  std::size_t count = 0;
  RegistryRowSink sink = found.sink();
  TraceCheckers check{known, run, sink, count};
  const std::wstring history = kCurrent + L"\\Explorer\\RecentDocs\\" + kTag;
  const std::wstring clips = L"\\Software\\RealNetworks\\RealPlayer\\6.0\\Preferences";
  const std::wstring exts = kCurrent + L"\\Explorer\\FileExts", ext = L"\\.v" + std::to_wstring(GetCurrentProcessId());
  const std::wstring dlls = kCurrent + L"\\SharedDLLs", vendor = L"\\Software\\" + kTag;
  const std::wstring arp = kCurrent + L"\\App Management\\ARPCache", installer = kCurrent + L"\\Installer\\Folders";
  const std::wstring un = kCurrent + L"\\Uninstall\\" + kTag, help = L"\\Software\\Microsoft\\Windows\\Help";
  const std::wstring menu = kCurrent + L"\\Explorer\\MenuOrder\\Start Menu\\Programs";
  const std::wstring verbs = L"\\Software\\CLASSES\\Directory\\shell\\" + kTag;
  const std::wstring fonts = L"\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
  const std::wstring classes = L"\\Software\\CLASSES", lib = classes + L"\\TypeLib\\{" + kTag + L"}";
  const std::wstring goneFolder = folder / L"GoneFolder\\", bareFont = kTag + L".ttf";
  ASSERT_TRUE(!known.ProgramsDir.empty() && !known.FontsDir.empty() && Reg().keyExists(kLM, classes + L"\\txtfile"));
  struct Case {
    const char* checker;
    RegRoot root;
    int category;
    std::function<void()> plantAndRun;
    std::vector<Spot> hits, misses;
  };
  const Case cases[] = {
      {"history: every value below, any type", kCU, 0, [&] {
         plant.text(kCU, history + L"\\Inner", L"a", L"x");
         plant.integer(kCU, history, L"MRUListEx", 7);
         plant.text(kCU, history, L"", L"unnamed");
         check.ListHistoryKey(history);
         check.ListHistoryKey(history + L"\\Missing");
       }, {{history + L"\\Inner", L"a"}, {history, L"MRUListEx"}, {history, L""}}, {}},
      {"keys named after a fragment", kCU, 1, [&] {
         for (const wchar_t* name : {L"\\mostrecentclips3", L"\\OtherClips"}) plant.key(kCU, clips + name);
         check.ListKeysNamed(clips, L"MostRecentClips");
       }, {{clips + L"\\mostrecentclips3"}}, {{clips + L"\\OtherClips"}}},
      {"file extensions", kCU, 2, [&] {
         // Nothing below, an empty list; known to the classes root, a list's name not matching exactly.
         for (const wchar_t* tail : {L"a", L"b\\OpenWithList", L"d", L"e\\openwithlist", L"f\\UserChoice"})
           plant.key(kCU, exts + ext + tail);
         plant.text(kCU, exts + ext + L"c\\OpenWithList", L"a", L"x.exe");
         plant.key(kLM, classes + ext + L"d");
         check.CheckFileExts(exts);
       }, {{exts + ext + L"a"}, {exts + ext + L"b"}},
       {{exts + ext + L"c"}, {exts + ext + L"d"}, {exts + ext + L"e"}, {exts + ext + L"f"}}},
      {"shared libraries", kLM, 3, [&] {
         for (const std::wstring& file : {gone, live}) plant.integer(kLM, dlls, file, 1);
         check.CheckSharedDlls(dlls);
       }, {{dlls, gone}}, {{dlls, live}}},
      {"empty vendor keys", kCU, 4, [&] {
         for (const std::wstring& path : {vendor + L"Empty", std::wstring(L"\\Software\\Secure")}) plant.key(kCU, path);
         plant.text(kCU, vendor + L"Full", L"a", L"b");
         check.CheckEmptyVendorKeys(L"\\Software");
       }, {{vendor + L"Empty"}}, {{vendor + L"Full"}, {L"\\Software\\Secure"}}},
      {"install cache", kLM, 4, [&] {
         for (const std::wstring& name : {kTag + L"Gone", L"{" + kTag + L"}", kTag + L"Kept"}) plant.key(kLM, arp + L"\\" + name);
         plant.key(kLM, un + L"Kept");
         check.CheckArpCache(arp);
       }, {{arp + L"\\" + kTag + L"Gone"}}, {{arp + L"\\{" + kTag + L"}"}, {arp + L"\\" + kTag + L"Kept"}}},
      {"installer folders", kLM, 5, [&] {
         plant.text(kLM, installer, goneFolder, L"");
         plant.text(kLM, installer, folder.path() + L"\\", L"");
         plant.integer(kLM, installer, folder / L"AlsoGone\\", 1);  // not a text value
         check.CheckInstallerFolders(installer);
       }, {{installer, goneFolder}}, {{installer, folder.path() + L"\\"}, {installer, folder / L"AlsoGone\\"}}},
      {"uninstall entries", kLM, 6, [&] {
         for (const auto& [name, command] : {std::pair{L"Gone", L"\"" + folder.path() + L"\\unins000.exe\" /x"},
                                             std::pair{L"Live", live}, std::pair{L"Blank", std::wstring(L"   ")},
                                             std::pair{L"Msi", std::wstring(L"MsiExec.exe /X{12345678-1234-1234-1234-123456789012}")}})
           plant.text(kLM, un + name, L"UninstallString", command);
         plant.text(kLM, un + L"Gone\\Sub", L"a", L"b");
         check.CheckUninstall(kCurrent + L"\\Uninstall");
       }, {{un + L"Gone"}}, {{un + L"Gone\\Sub"}, {un + L"Live"}, {un + L"Msi"}, {un + L"Blank"}}},
      {"start menu order", kCU, 7, [&] {
         for (const std::wstring& name : {kTag + L"Gone", std::wstring(L"附件"), kTag + L"Here"}) plant.key(kCU, menu + L"\\" + name);
         ASSERT_TRUE(Fs().createFolder(known.ProgramsDir + L"\\" + kTag + L"Here"));
         check.CheckStartMenuOrder(menu);
         EXPECT_TRUE(Fs().removeFolder(known.ProgramsDir + L"\\" + kTag + L"Here"));
       }, {{menu + L"\\" + kTag + L"Gone"}}, {{menu + L"\\附件"}, {menu + L"\\" + kTag + L"Here"}}},
      {"folder verbs", kLM, 8, [&] {
         plant.key(kLM, verbs + L"Bare");
         plant.text(kLM, verbs + L"Whole\\command", L"", live);
         check.CheckFolderVerbs(L"\\Software\\CLASSES\\Directory\\shell");
       }, {{verbs + L"Bare"}}, {{verbs + L"Whole"}}},
      {"help files", kLM, 9, [&] {
         WriteBytes(folder / L"here.hlp", "x");
         for (const std::wstring& name : {kTag + L"gone.hlp", std::wstring(L"here.hlp")}) plant.text(kLM, help, name, folder.path());
         plant.text(kLM, help, kTag + L"nofolder.hlp", folder / L"NoFolder");
         check.CheckHelpFiles(help);
       }, {{help, kTag + L"gone.hlp"}}, {{help, L"here.hlp"}, {help, kTag + L"nofolder.hlp"}}},
      {"fonts", kLM, 10, [&] {
         plant.file(known.FontsDir + L"\\" + bareFont);
         for (const auto& [name, file] : {std::pair{L" Gone", kTag + L"gone.ttf"}, std::pair{L" Bare", bareFont},
                                          std::pair{L" Path", live}, std::pair{L" Moved", gone}})
           plant.text(kLM, fonts, kTag + name + L" (TrueType)", file);
         check.CheckFonts(fonts);
       }, {{fonts, kTag + L" Gone (TrueType)"}, {fonts, kTag + L" Moved (TrueType)"}},
       {{fonts, kTag + L" Bare (TrueType)"}, {fonts, kTag + L" Path (TrueType)"}}},
      {"type libraries", kLM, 11, [&] {
         for (const auto& [version, name, file] : {std::tuple{L"\\1.0", L"Gone library", gone},  // "\\3.0": no name
                                                   std::tuple{L"\\2.0", L"Live library", live}, std::tuple{L"\\3.0", L"  ", gone}}) {
           plant.text(kLM, lib + version, L"", name);
           plant.text(kLM, lib + version + L"\\0\\win32", L"", file);
         }
         check.CheckTypeLibs(classes + L"\\TypeLib");
       }, {{lib + L"\\1.0"}}, {{lib + L"\\2.0"}, {lib + L"\\3.0"}}},
      {"classes", kLM, 12, [&] {
         plant.text(kLM, classes + ext + L"a", L"", kTag + L".GoneProgId");
         plant.text(kLM, classes + ext + L"b", L"", L"txtfile");
         plant.text(kLM, classes + L"\\" + kTag + L".Cls\\CLSID", L"", L"{" + kTag + L"}");
         plant.text(kLM, classes + L"\\" + kTag + L".NoBraces\\CLSID", L"", kTag);
         plant.text(kLM, classes + L"\\" + kTag + L".Search.CustomWordbreaker\\CLSID", L"", L"{" + kTag + L"}");
         check.CheckClasses(classes);
       }, {{classes + ext + L"a"}, {classes + L"\\" + kTag + L".Cls"}},
       {{classes + ext + L"b"}, {classes + L"\\" + kTag + L".NoBraces"}, {classes + L"\\" + kTag + L".Search.CustomWordbreaker"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.checker);
    found.rows.clear();
    check.setItem(c.root, c.category);
    c.plantAndRun();
    for (const Spot& s : c.hits) {
      const RegistryRow* row = found.find(s.path, s.name.value_or(L""), s.name ? RegRowKind::Value : RegRowKind::Key);
      ASSERT_NE(row, nullptr) << ToUtf8(s.path) << " " << ToUtf8(s.name.value_or(L""));
      EXPECT_TRUE(row->root == c.root && row->category == c.category);
    }
    for (const Spot& s : c.misses)
      EXPECT_TRUE(s.name ? !found.find(s.path, *s.name) : found.under(s.path) == 0)
          << ToUtf8(s.path) << " " << ToUtf8(s.name.value_or(L""));
  }
}

}  // namespace
}  // namespace wv::test
