// The choices of every page kept in the real Config.ini beside the test program:
// the real main window is closed (which saves) and created again (which loads).
// A file the window reads and saves again comes back as the store writes it, so
// the tests hold files against files. Each test starts without one and removes
// the one it leaves.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>

#include "app/catalogue.h"
#include "pages/page_table.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "platform/win32/win32_platform.h"
#include "support/app_fixture.h"
#include "support/test_support.h"
#include "ui/messages.h"

namespace wv::test {
namespace {

std::string Ansi(std::wstring_view text) {
  std::string out(text.size() * 2 + 1, '\0');
  out.resize(static_cast<std::size_t>(WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()),
                                                          out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}

std::wstring FromAnsi(std::string_view bytes) {
  std::wstring out(bytes.size(), L'\0');
  out.resize(static_cast<std::size_t>(
      MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), static_cast<int>(out.size()))));
  return out;
}

// A settings file as the store writes it: each section "[name]" and its "key=value"
// lines in order, CRLF, in the Chinese ANSI code page.
struct Ini {
  struct Section {
    std::wstring name;
    std::vector<std::pair<std::wstring, std::wstring>> keys;
  };
  std::vector<Section> sections;

  static Ini Parse(std::string_view bytes) {
    Ini ini;
    const std::wstring text = FromAnsi(bytes);
    for (std::size_t start = 0; start < text.size();) {
      std::size_t end = text.find(L"\r\n", start);
      if (end == std::wstring::npos) end = text.size();
      const std::wstring line = text.substr(start, end - start);
      start = end + 2;
      if (line.starts_with(L"[") && line.ends_with(L"]")) ini.sections.push_back({line.substr(1, line.size() - 2), {}});
      else if (const std::size_t eq = line.find(L'='); eq != std::wstring::npos && !ini.sections.empty())
        ini.sections.back().keys.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return ini;
  }
  [[nodiscard]] std::wstring text() const {
    std::wstring out;
    for (const Section& s : sections) {
      out += L"[" + s.name + L"]\r\n";
      for (const auto& [key, value] : s.keys) out += key + L"=" + value + L"\r\n";
    }
    return out;
  }
  [[nodiscard]] std::string bytes() const { return Ansi(text()); }
  // Readable where a comparison fails.
  [[nodiscard]] std::string utf8() const { return ToUtf8(text()); }
  [[nodiscard]] std::vector<std::wstring> names() const {
    std::vector<std::wstring> out;
    for (const Section& s : sections) out.push_back(s.name);
    return out;
  }
  Section& section(std::wstring_view name) {
    for (Section& s : sections)
      if (s.name == name) return s;
    throw std::out_of_range("no such section");
  }
  // The key's new value; a key the section lacks is added before `before` (at the end without it).
  void set(std::wstring_view name, std::wstring_view key, std::wstring_view value, std::wstring_view before = {}) {
    auto& keys = section(name).keys;
    for (auto& [k, v] : keys)
      if (k == key) {
        v = value;
        return;
      }
    auto at = std::ranges::find_if(keys, [&](const auto& kv) { return kv.first == before; });
    keys.emplace(at, std::wstring(key), std::wstring(value));
  }
};

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { RemoveSavedSettings(); }
  void TearDown() override {
    form.reset();
    Pump(10);
    ClearQuitRequest();
    RemoveSavedSettings();
  }
  void open() {
    form = std::make_unique<MainWindow>(FormOptions::Hosted(AllPages()));
    form->create();
    form->showMain();
    Pump(20);
  }
  // Closing as the user does: the window saves and goes.
  void close() {
    HWND hwnd = form->handle();
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd)) << "the program did not end";
    form.reset();
    ClearQuitRequest();
  }
  // What a window saves that read nothing: the defaults.
  Ini defaults() {
    open();
    close();
    Ini ini = Ini::Parse(ReadBytes(file));
    RemoveSavedSettings();
    return ini;
  }
  // The software page's filter, found as the user finds it: the list offering "显示所有软件".
  ComboBox& softwareFilter() {
    for (ComboBox* combo : Descendants<ComboBox>(*form->findPage(Module::Software)))
      if (std::ranges::count(combo->items(), L"显示所有软件")) return *combo;
    throw std::runtime_error("the software page has no filter");
  }

  const std::wstring file = SettingsFileOfTests();
  std::unique_ptr<MainWindow> form;
};

TEST_F(SettingsStoreTest, FirstStartSavesEverySectionAndEveryChoiceComesBackByteForByte) {
  open();
  EXPECT_EQ(form->backupBase, form->programFolder + L"Backup");
  EXPECT_EQ(form->registryBackupFolder, form->programFolder + L"Backup\\Registry\\");
  EXPECT_EQ(form->startupBackupFolder, form->programFolder + L"Backup\\AutoRun\\");
  close();
  const std::string saved = ReadBytes(file);
  const Ini first = Ini::Parse(saved);
  ASSERT_EQ(first.bytes(), saved) << "the file is not in the store's plain form";
  // The seven sections as before, then the rule file's own: the one beside the
  // program ("File" empty) and no entry ticked.
  EXPECT_EQ(first.names(),
            (std::vector<std::wstring>{L"WJQL", L"BFGL", L"ZCQL", L"ZCRC", L"WJRC", L"QTRC", L"RJQL", L"WINAPP2"}));
  ASSERT_FALSE(first.sections.empty());
  EXPECT_EQ(first.sections.back().keys,
            (std::vector<std::pair<std::wstring, std::wstring>>{{L"Version", L"1"}, {L"File", L""}}));
  for (const Ini::Section& s : first.sections) {
    ASSERT_FALSE(s.keys.empty());
    EXPECT_EQ(s.keys.front(), (std::pair<std::wstring, std::wstring>{L"Version", s.name == L"WJRC" ? L"2" : L"1"}));
  }
  const std::wstring caption(CatalogueRows(Module::Redundancy).front().caption);
  EXPECT_NE(saved.find(Ansi(caption + L"=1")), std::string::npos) << "keyed by caption, in the ANSI code page";
  open();
  close();
  EXPECT_EQ(ReadBytes(file), saved) << "the same choices saved again";

  // Every kind of value changed: each row's tick turned over, folder rows, folders,
  // removal modes, backup options, the software filter, the rule file and its ticks
  // (of entries it does not list, as it is not there: kept all the same).
  Ini changed = first;
  const std::wstring plainKeys[] = {L"Version", L"DelSel", L"DelSavPath", L"SavPath", L"ComSav", L"ComTypeSel", L"ShowType",
                                    L"File"};
  for (Ini::Section& s : changed.sections)
    for (auto& [key, value] : s.keys)
      if (std::ranges::count(plainKeys, key) == 0) value = value == L"1" ? L"0" : L"1";
  changed.set(L"WJQL", L"JumpPath0", L"C:\\保留目录", L"DelSel");
  changed.set(L"WJQL", L"JumpPath1", L"D:\\Keep me", L"DelSel");
  changed.set(L"WJQL", L"DelSavPath", L"C:\\移到这里");
  changed.set(L"WJRC", L"SelfPath0", L"1/D:\\日志/1/0/*.log|*.txt", L"DelSel");
  changed.set(L"WJRC", L"SelfPath1", L"0/C:\\Temp2/0/1/", L"DelSel");
  changed.set(L"WJRC", L"DelSavPath", L"E:\\Moved");
  changed.set(L"BFGL", L"SavPath", L"C:\\备份");
  changed.set(L"RJQL", L"ShowType", L"显示所有软件");
  changed.set(L"WINAPP2", L"File", L"C:\\规则\\Winapp2.ini");
  changed.set(L"WINAPP2", L"Tick0", L"Other Tool *");
  changed.set(L"WINAPP2", L"Tick1", L"某工具 *");
  for (int mode = 0; mode < 3; ++mode) {  // the three removal modes on both pages, over three restarts
    changed.set(L"WJQL", L"DelSel", std::to_wstring(mode + 1));
    changed.set(L"WJRC", L"DelSel", std::to_wstring((mode + 1) % 3 + 1));
    changed.set(L"BFGL", L"ComSav", mode == 1 ? L"1" : L"0");
    changed.set(L"BFGL", L"ComTypeSel", std::to_wstring(2 - mode));
    WriteBytes(file, changed.bytes());
    open();
    EXPECT_EQ(form->registryBackupFolder, L"C:\\备份\\Registry\\");
    EXPECT_EQ(form->startupBackupFolder, L"C:\\备份\\AutoRun\\");
    close();
    EXPECT_EQ(Ini::Parse(ReadBytes(file)).utf8(), changed.utf8()) << "mode " << mode;
    EXPECT_EQ(ReadBytes(file), changed.bytes()) << "mode " << mode;
  }
}

// Only the start page is made before the window shows; the others follow while the
// queue is idle. A page closed before it was ever made still saves its choices as
// the file had them, and the backup base counts before the manager's page exists.
TEST_F(SettingsStoreTest, PagesMadeLateOrNeverStillSaveTheirChoicesAsRead) {
  Ini changed = defaults();
  for (Ini::Section& s : changed.sections)
    for (auto& [key, value] : s.keys)
      if (value == L"1" && key != L"Version" && key != L"DelSel") value = L"0";
  changed.set(L"WJQL", L"JumpPath0", L"C:\\保留目录", L"DelSel");
  changed.set(L"WJQL", L"DelSel", L"2");
  changed.set(L"WJRC", L"SelfPath0", L"1/D:\\日志/1/0/*.log", L"DelSel");
  changed.set(L"BFGL", L"SavPath", L"C:\\备份");
  changed.set(L"RJQL", L"ShowType", L"显示所有软件");
  const auto allMade = [&] {
    return std::ranges::all_of(AllPages(), [&](const PageEntry& e) { return form->pageMade(e.module); });
  };
  // Closed at once: nothing but the start page was made.
  WriteBytes(file, changed.bytes());
  form = std::make_unique<MainWindow>(FormOptions::Hosted(AllPages()));
  form->create();
  for (const PageEntry& e : AllPages())
    EXPECT_EQ(form->pageMade(e.module), e.module == AllPages().front().module) << ToUtf8(ModuleInfoOf(e.module).title);
  EXPECT_EQ(form->pageHost.pages().size(), 1u);
  EXPECT_EQ(form->registryBackupFolder, L"C:\\备份\\Registry\\");
  EXPECT_EQ(form->startupBackupFolder, L"C:\\备份\\AutoRun\\");
  close();
  EXPECT_EQ(Ini::Parse(ReadBytes(file)).utf8(), changed.utf8());
  EXPECT_EQ(ReadBytes(file), changed.bytes());
  // Shown and left alone: every page is made, at the page area's size, behind the start page.
  open();
  ASSERT_TRUE(PumpUntil(allMade, 20000));
  const RECT area = form->pageHost.pages().front()->deviceBounds();  // placed with the page area
  for (Page* page : form->pageHost.pages()) {
    const RECT r = page->deviceBounds();
    EXPECT_TRUE(EqualRect(&r, &area) && r.right > 0) << ToUtf8(page->title());
    EXPECT_EQ(page->visible(), page == &form->activePage());
  }
  EXPECT_EQ(form->activePage().module(), AllPages().front().module);
  close();
  EXPECT_EQ(ReadBytes(file), changed.bytes());
}

TEST_F(SettingsStoreTest, HandWrittenFilesAreReadByTheirRules) {
  const Ini plain = defaults();
  const std::wstring drive = plain.sections.front().keys.at(1).first;  // the first drive row
  // A file, and what it changes of the defaults once read and saved again.
  const std::tuple<const char*, std::string, std::function<void(Ini&)>> cases[] = {
      {"older layouts and unexpected values",
       Ansi(L"[WJQL]\r\nVersion=1\r\n" + drive + L"=0\r\n旧盘 (Q:)=1\r\n*.tmp=0\r\nJumpPath0=C:\\保留\r\n"
           L"jumppath7=C:\\Other\r\nDelSel=7\r\nDelSavPath=C:\\移到\r\n[WJRC]\r\nVersion=1\r\nSelfPath0=1/C:\\x/0/0/*.x\r\n"
           L"DelSel=2\r\n[BFGL]\r\nVersion=1\r\nSavPath=C:\\备份库\r\nComSav=0\r\nComTypeSel=12\r\n"
           L"[RJQL]\r\nversion=1\r\nShowType=显示全部\r\n"),
       [&](Ini& want) {  // rows the file does not name keep their ticks; the daily section of version 1 is not read
         want.set(L"WJQL", drive, L"0");
         want.set(L"WJQL", L"*.tmp", L"0");
         want.set(L"WJQL", L"JumpPath0", L"C:\\保留", L"DelSel");
         want.set(L"WJQL", L"JumpPath1", L"C:\\Other", L"DelSel");
         want.set(L"WJQL", L"DelSel", L"3");  // anything but 1 and 2 moves
         want.set(L"WJQL", L"DelSavPath", L"C:\\移到");
         want.set(L"BFGL", L"SavPath", L"C:\\备份库");
         want.set(L"BFGL", L"ComSav", L"0");
         want.set(L"RJQL", L"ShowType", L"隐藏更新补丁");  // an unknown filter: the first
       }},
      {"user folders",
       Ansi(L"[WJQL]\r\nVersion=1\r\n旧盘 (Q:)=0\r\n[WJRC]\r\nVERSION=2\r\nSelfPath0=0/D:\\Logs/1/0/*.log\r\nselfpath1=1/C:\\a/0/1/x/lost\r\n"
            L"[BFGL]\r\nVersion=1\r\nComTypeSel=5\r\n[RJQL]\r\nVersion=1\r\nShowType=隐藏微软相关\r\n"),
       [](Ini& want) {  // drives the file does not name (new ones) are ticked; a sixth field is lost
         want.set(L"WJRC", L"SelfPath0", L"0/D:\\Logs/1/0/*.log", L"DelSel");
         want.set(L"WJRC", L"SelfPath1", L"1/C:\\a/0/1/x", L"DelSel");
         want.set(L"RJQL", L"ShowType", L"隐藏微软相关");
       }},
      {"folders the program must not move into or back up below",
       Ansi(L"[WJQL]\r\nVersion=1\r\nDelSavPath=C:\\Windows\r\n[WJRC]\r\nVersion=2\r\nDelSavPath=Moved\\Here\r\n"
            L"[BFGL]\r\nVersion=1\r\nSavPath=C:\\\r\n"),
       [](Ini&) {}},  // each stays at its default
      {"full local and network folders",
       Ansi(L"[WJQL]\r\nVersion=1\r\nDelSavPath=\\\\server\\share\\移到\r\n[BFGL]\r\nVersion=1\r\nSavPath=D:\\备份\r\n"),
       [](Ini& want) {
         want.set(L"WJQL", L"DelSavPath", L"\\\\server\\share\\移到");
         want.set(L"BFGL", L"SavPath", L"D:\\备份");
       }},
      {"garbage",
       std::string("\0\x01\xff\x80\r\n", 6) +
           Ansi(L"[WJQL]\r\nVersion=1\r\n" + drive + L"\r\nDelSel\r\n[WJQL]\r\nVersion\r\n" + std::wstring(300000, L'甲') +
                L"\r\n[BFGL]\r\nVersion=1\r\nComSav\r\nSavPath=\r\nComTypeSel=\r\n[[ZCQL]\r\n=1\r\n"),
       [](Ini& want) {  // a section the program does not know stays where it was
         want.sections.insert(want.sections.begin(), Ini::Section{L"[ZCQL", {{L"", L"1"}}});
       }},
  };
  for (const auto& [name, bytes, change] : cases) {
    SCOPED_TRACE(name);
    Ini want = plain;
    change(want);
    WriteBytes(file, bytes);
    open();
    close();
    // Also: the daily section is written in its present version, a drive no longer
    // there loses its key, and the junk section appears once.
    EXPECT_EQ(Ini::Parse(ReadBytes(file)).utf8(), want.utf8());
  }
}

// The held file's first openings fail, as a virus scanner holding it for a moment makes them.
class BriefHold : public Win32FileSystem {
 public:
  int tries = 0;
  std::unique_ptr<File> openFile(std::wstring_view path, FileAccess access, FileShare share,
                                 FileDisposition disposition) override {
    if (path.ends_with(L"Config.ini") && share == FileShare::None && ++tries <= 2) return nullptr;
    return Win32FileSystem::openFile(path, access, share, disposition);
  }
};

TEST_F(SettingsStoreTest, AFileHeldForAMomentIsReadAndOneHeldThroughoutIsNeverOverwritten) {
  const std::string text = Ansi(L"[RJQL]\r\nVersion=1\r\nShowType=显示所有软件\r\n");
  const auto openAndChange = [&] {
    open();
    const int shown = softwareFilter().index();
    softwareFilter().setIndex(1);
    return shown;
  };
  WriteBytes(file, text);
  {
    BriefHold hold;
    Substitute<FileSystem> swap(&Platform::files, hold);
    EXPECT_TRUE(openAndChange() == 2 && hold.tries == 3) << hold.tries;
  }
  close();
  EXPECT_EQ(Ini::Parse(ReadBytes(file)).section(L"RJQL").keys.back().second, L"隐藏微软相关");
  // Held throughout the start: nothing read, and nothing written at close even though it is free by then.
  WriteBytes(file, text);
  {
    UniqueFile holder(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.valid());
    EXPECT_EQ(openAndChange(), 0);
  }
  ScriptedMsgBox boxes;
  close();
  EXPECT_EQ(ReadBytes(file), text);
  EXPECT_TRUE(boxes.shown().empty());
}

// Profiles that write nothing, as on a full or write-protected disk.
struct RefusingProfiles : Win32Profiles {
  bool write(std::wstring_view, std::wstring_view, std::wstring_view, std::wstring_view) override { return false; }
};

// The store says a save failed; the window tells the user once, in the system's
// words without a heading, and the program still ends. (The store's own side is in core's tests.)
TEST_F(SettingsStoreTest, AFailedSaveAtCloseShowsOneErrorBoxAndTheProgramStillEnds) {
  open();
  RefusingProfiles profiles;
  Substitute<Profiles> swap(&Platform::profiles, profiles);
  ScriptedMsgBox boxes;
  close();
  ASSERT_EQ(boxes.shown().size(), 1u);
  const ScriptedMsgBox::Shown& box = boxes.shown().front();
  EXPECT_TRUE(box.icon == static_cast<int>(MsgIcon::Error) && box.buttons == static_cast<int>(MsgButtons::Ok));
  EXPECT_EQ(box.heading, L"");
  EXPECT_EQ(box.text, L"Unable to write to " + file);
  EXPECT_FALSE(PathExists(file) || PathExists(file + L".tmp")) << "a failed save leaves nothing behind";
}

}  // namespace
}  // namespace wv::test
