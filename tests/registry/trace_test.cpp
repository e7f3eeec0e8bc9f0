// The daily-trace scan: each checker over its real key, where the test plants
// entries it must find and near misses it must not; whatever else the prefix
// holds there is ignored.
#include <gtest/gtest.h>

#include <optional>

#include "core/knownfolders.h"
#include "core/text.h"
#include "registry/fixtures.h"
#include "registry/zcrcline.h"

namespace wv::test {
namespace {

const std::wstring kTag = L"Vantorra" + std::to_wstring(GetCurrentProcessId());
const std::wstring kCurrent = L"\\Software\\Microsoft\\Windows\\CurrentVersion";

struct Spot {
  std::wstring path;
  std::optional<std::wstring> name = {};  // none: the key's own row
};

class Trace : public ::testing::Test {
 protected:
  KnownFolders known_ = ResolveKnownFolders();
  TempFolder folder_{L"trace"};
  std::wstring live_ = folder_.file(L"live.dll"), gone_ = folder_ / L"gone.dll";
  Planted plant_;
  ScanRun run_;
  Collected found_;
  std::size_t count_ = 0;
  RegistryRowSink sink_ = found_.sink();
  TraceCheckers check_{known_, run_, sink_, count_};
};

TEST_F(Trace, EachCheckerFindsItsHitsAndNotItsNearMisses) {
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
  const std::wstring goneFolder = folder_ / L"GoneFolder\\", bareFont = kTag + L".ttf";
  ASSERT_FALSE(known_.ProgramsDir.empty() || known_.FontsDir.empty());
  ASSERT_TRUE(Reg().keyExists(kLM, classes + L"\\txtfile"));
  struct Case {
    const char* checker;
    RegRoot root;
    int category;
    std::function<void()> plantAndRun;
    std::vector<Spot> hits, misses;
  };
  const Case cases[] = {
      {"history: every value below, any type", kCU, 0, [&] {
         plant_.text(kCU, history + L"\\Inner", L"a", L"x");
         plant_.integer(kCU, history, L"MRUListEx", 7);
         plant_.text(kCU, history, L"", L"unnamed");
         check_.ListHistoryKey(history);
         check_.ListHistoryKey(history + L"\\Missing");
       }, {{history + L"\\Inner", L"a"}, {history, L"MRUListEx"}, {history, L""}}, {}},
      {"keys named after a fragment", kCU, 1, [&] {
         plant_.key(kCU, clips + L"\\mostrecentclips3");
         plant_.key(kCU, clips + L"\\OtherClips");
         check_.ListKeysNamed(clips, L"MostRecentClips");
       }, {{clips + L"\\mostrecentclips3"}}, {{clips + L"\\OtherClips"}}},
      {"file extensions", kCU, 2, [&] {
         // Nothing below, an empty list; known to the classes root, a list's name not matching exactly.
         for (const wchar_t* tail : {L"a", L"b\\OpenWithList", L"d", L"e\\openwithlist", L"f\\UserChoice"})
           plant_.key(kCU, exts + ext + tail);
         plant_.text(kCU, exts + ext + L"c\\OpenWithList", L"a", L"x.exe");
         plant_.key(kLM, classes + ext + L"d");
         check_.CheckFileExts(exts);
       }, {{exts + ext + L"a"}, {exts + ext + L"b"}},
       {{exts + ext + L"c"}, {exts + ext + L"d"}, {exts + ext + L"e"}, {exts + ext + L"f"}}},
      {"shared libraries", kLM, 3, [&] {
         plant_.integer(kLM, dlls, gone_, 1);
         plant_.integer(kLM, dlls, live_, 1);
         check_.CheckSharedDlls(dlls);
       }, {{dlls, gone_}}, {{dlls, live_}}},
      {"empty vendor keys", kCU, 4, [&] {
         plant_.key(kCU, vendor + L"Empty");
         plant_.text(kCU, vendor + L"Full", L"a", L"b");
         plant_.key(kCU, L"\\Software\\Secure");
         check_.CheckEmptyVendorKeys(L"\\Software");
       }, {{vendor + L"Empty"}}, {{vendor + L"Full"}, {L"\\Software\\Secure"}}},
      {"install cache", kLM, 4, [&] {
         for (const std::wstring& name : {kTag + L"Gone", L"{" + kTag + L"}", kTag + L"Kept"}) plant_.key(kLM, arp + L"\\" + name);
         plant_.key(kLM, un + L"Kept");
         check_.CheckArpCache(arp);
       }, {{arp + L"\\" + kTag + L"Gone"}}, {{arp + L"\\{" + kTag + L"}"}, {arp + L"\\" + kTag + L"Kept"}}},
      {"installer folders", kLM, 5, [&] {
         plant_.text(kLM, installer, goneFolder, L"");
         plant_.text(kLM, installer, folder_.path() + L"\\", L"");
         plant_.integer(kLM, installer, folder_ / L"AlsoGone\\", 1);  // not a text value
         check_.CheckInstallerFolders(installer);
       }, {{installer, goneFolder}}, {{installer, folder_.path() + L"\\"}, {installer, folder_ / L"AlsoGone\\"}}},
      {"uninstall entries", kLM, 6, [&] {
         for (const auto& [name, command] : {std::pair{L"Gone", L"\"" + folder_.path() + L"\\unins000.exe\" /x"},
                                             std::pair{L"Live", live_}, std::pair{L"Blank", std::wstring(L"   ")},
                                             std::pair{L"Msi", std::wstring(L"MsiExec.exe /X{12345678-1234-1234-1234-123456789012}")}})
           plant_.text(kLM, un + name, L"UninstallString", command);
         plant_.text(kLM, un + L"Gone\\Sub", L"a", L"b");
         check_.CheckUninstall(kCurrent + L"\\Uninstall");
       }, {{un + L"Gone"}}, {{un + L"Gone\\Sub"}, {un + L"Live"}, {un + L"Msi"}, {un + L"Blank"}}},
      {"start menu order", kCU, 7, [&] {
         for (const std::wstring& name : {kTag + L"Gone", std::wstring(L"附件"), kTag + L"Here"}) plant_.key(kCU, menu + L"\\" + name);
         ASSERT_TRUE(Fs().createFolder(known_.ProgramsDir + L"\\" + kTag + L"Here"));
         check_.CheckStartMenuOrder(menu);
         EXPECT_TRUE(Fs().removeFolder(known_.ProgramsDir + L"\\" + kTag + L"Here"));
       }, {{menu + L"\\" + kTag + L"Gone"}}, {{menu + L"\\附件"}, {menu + L"\\" + kTag + L"Here"}}},
      {"folder verbs", kLM, 8, [&] {
         plant_.key(kLM, verbs + L"Bare");
         plant_.text(kLM, verbs + L"Whole\\command", L"", live_);
         check_.CheckFolderVerbs(L"\\Software\\CLASSES\\Directory\\shell");
       }, {{verbs + L"Bare"}}, {{verbs + L"Whole"}}},
      {"help files", kLM, 9, [&] {
         WriteBytes(folder_ / L"here.hlp", "x");
         for (const std::wstring& name : {kTag + L"gone.hlp", std::wstring(L"here.hlp")}) plant_.text(kLM, help, name, folder_.path());
         plant_.text(kLM, help, kTag + L"nofolder.hlp", folder_ / L"NoFolder");
         check_.CheckHelpFiles(help);
       }, {{help, kTag + L"gone.hlp"}}, {{help, L"here.hlp"}, {help, kTag + L"nofolder.hlp"}}},
      {"fonts", kLM, 10, [&] {
         plant_.file(known_.FontsDir + L"\\" + bareFont);
         for (const auto& [name, file] : {std::pair{L" Gone", kTag + L"gone.ttf"}, std::pair{L" Bare", bareFont},
                                          std::pair{L" Path", live_}, std::pair{L" Moved", gone_}})
           plant_.text(kLM, fonts, kTag + name + L" (TrueType)", file);
         check_.CheckFonts(fonts);
       }, {{fonts, kTag + L" Gone (TrueType)"}, {fonts, kTag + L" Moved (TrueType)"}},
       {{fonts, kTag + L" Bare (TrueType)"}, {fonts, kTag + L" Path (TrueType)"}}},
      {"type libraries", kLM, 11, [&] {
         for (const auto& [version, name, file] : {std::tuple{L"\\1.0", L"Gone library", gone_},
                                                   std::tuple{L"\\2.0", L"Live library", live_},
                                                   std::tuple{L"\\3.0", L"  ", gone_}}) {  // no name: not looked at
           plant_.text(kLM, lib + version, L"", name);
           plant_.text(kLM, lib + version + L"\\0\\win32", L"", file);
         }
         check_.CheckTypeLibs(classes + L"\\TypeLib");
       }, {{lib + L"\\1.0"}}, {{lib + L"\\2.0"}, {lib + L"\\3.0"}}},
      {"classes", kLM, 12, [&] {
         plant_.text(kLM, classes + ext + L"a", L"", kTag + L".GoneProgId");
         plant_.text(kLM, classes + ext + L"b", L"", L"txtfile");
         plant_.text(kLM, classes + L"\\" + kTag + L".Cls\\CLSID", L"", L"{" + kTag + L"}");
         plant_.text(kLM, classes + L"\\" + kTag + L".NoBraces\\CLSID", L"", kTag);
         plant_.text(kLM, classes + L"\\" + kTag + L".Search.CustomWordbreaker\\CLSID", L"", L"{" + kTag + L"}");
         check_.CheckClasses(classes);
       }, {{classes + ext + L"a"}, {classes + L"\\" + kTag + L".Cls"}},
       {{classes + ext + L"b"}, {classes + L"\\" + kTag + L".NoBraces"},
        {classes + L"\\" + kTag + L".Search.CustomWordbreaker"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.checker);
    found_.rows.clear();
    check_.setItem(c.root, c.category);
    c.plantAndRun();
    for (const Spot& s : c.hits) {
      const RegistryRow* row = found_.find(s.path, s.name.value_or(L""), s.name ? RegRowKind::Value : RegRowKind::Key);
      ASSERT_NE(row, nullptr) << ToUtf8(s.path) << " " << ToUtf8(s.name.value_or(L""));
      EXPECT_EQ(row->root, c.root);
      EXPECT_EQ(row->category, c.category);
    }
    for (const Spot& s : c.misses)
      EXPECT_TRUE(s.name ? !found_.find(s.path, *s.name) : found_.under(s.path) == 0)
          << ToUtf8(s.path) << " " << ToUtf8(s.name.value_or(L""));
  }
}

}  // namespace
}  // namespace wv::test
