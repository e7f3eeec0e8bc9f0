// The choices of every page kept in the real Config.ini beside the test program:
// the real main window is closed (which saves) and created again (which loads).
// Each test starts without one and removes the one it leaves.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>

#include "support/app_fixture.h"
#include "pages/page_table.h"
#include "pages/cleaning/other_traces_page.h"
#include "pages/cleaning/software_page.h"
#include "pages/cleaning/junk_files_page.h"
#include "pages/cleaning/daily_files_page.h"
#include "platform/handles.h"
#include "platform/win32/win32_platform.h"
#include "pages/registry/backup_manager_page.h"
#include "pages/registry/redundancy_page.h"
#include "pages/registry/registry_traces_page.h"
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

std::wstring Stored(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
  wchar_t value[256]{};
  GetPrivateProfileStringW(section, key, L"(none)", value, 256, file.c_str());
  return value;
}

std::vector<std::wstring> SectionNames(const std::wstring& file) {
  std::vector<wchar_t> list(4096);
  GetPrivateProfileSectionNamesW(list.data(), static_cast<DWORD>(list.size()), file.c_str());
  std::vector<std::wstring> names;
  for (const wchar_t* p = list.data(); *p; p += names.back().size() + 1) names.emplace_back(p);
  return names;
}

// Everything the file keeps, as the controls show it.
struct Choices {
  std::vector<bool> ticks;  // every row of every ticked list
  std::vector<std::wstring> jumpRows, selfRows;
  int junkMode = -1, dailyMode = -1, level = -1, showType = -1;
  std::wstring junkFolder, dailyFolder, base, regDir, autoRunDir;
  bool compress = false;
  bool operator==(const Choices&) const = default;
};

std::vector<ListView*> TickedLists(MainWindow& f) {
  return {&Controls(f.page<JunkFilesPage>()).driveList, &Controls(f.page<JunkFilesPage>()).typeList, &Controls(f.page<RedundancyPage>()).hiveList,
          &Controls(f.page<RegistryTracesPage>()).itemList,  &Controls(f.page<DailyFilesPage>()).itemList,    &Controls(f.page<OtherTracesPage>()).itemList};
}

Choices Read(MainWindow& f) {
  const JunkFilesControls& junk = Controls(f.page<JunkFilesPage>());
  const DailyFilesControls& daily = Controls(f.page<DailyFilesPage>());
  const auto& manager = Controls(f.page<BackupManagerPage>());
  Choices c{.ticks = {}, .jumpRows = {}, .selfRows = {}, .junkMode = junk.removal.modes.index(),
            .dailyMode = daily.removal.modes.index(), .level = manager.levelCombo.index(),
            .showType = Controls(f.page<SoftwarePage>()).filterCombo.index(), .junkFolder = junk.removal.moveFolder.text(),
            .dailyFolder = daily.removal.moveFolder.text(), .base = manager.baseFolderEdit.text(),
            .regDir = f.RegBackupDir, .autoRunDir = f.AutoRunBackupDir, .compress = manager.compressCheck.checked()};
  for (ListView* list : TickedLists(f))
    for (int i = 0; i < list->count(); ++i) c.ticks.push_back(list->checked(i));
  for (const ListRow& row : junk.exclusionList.rows()) c.jumpRows.push_back(row.caption);
  for (const ListRow& row : daily.userFolderList.rows())
    c.selfRows.push_back((row.checked ? L"+" : L"-") + row.caption + L"|" + row.column(1) + L"|" + row.column(2) +
                         L"|" + row.column(3));
  return c;
}

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

  const std::wstring file = SettingsFileOfTests();
  std::unique_ptr<MainWindow> form;
};

TEST_F(SettingsStoreTest, FirstStartShowsDefaultsAndEveryChoiceSurvivesARestart) {
  open();  // the default ticks are pinned by the catalogue's and the shell's tests
  EXPECT_TRUE(Controls(form->page<BackupManagerPage>()).baseFolderEdit.text() == form->programFolder + L"Backup" &&
              form->RegBackupDir == form->programFolder + L"Backup\\Registry\\") << form->RegBackupDir;
  const Choices defaults = Read(*form);
  const std::wstring caption = Controls(form->page<RedundancyPage>()).hiveList.text(0, 0);
  close();
  const std::vector<std::wstring> sections = {L"WJQL", L"BFGL", L"ZCQL", L"ZCRC", L"WJRC", L"QTRC", L"RJQL"};
  EXPECT_EQ(SectionNames(file), sections);
  for (const std::wstring& name : sections)
    EXPECT_EQ(Stored(file, name.c_str(), L"Version"), name == L"WJRC" ? L"2" : L"1") << name;
  EXPECT_NE(ReadBytes(file).find(Ansi(caption + L"=1")), std::string::npos) << "keyed by caption, in the ANSI code page";
  open();
  EXPECT_EQ(Read(*form), defaults);

  // Every kind of value changed: each row's tick turned over, folders, modes, backup options, filter.
  for (ListView* list : TickedLists(*form))
    for (int i = 0; i < list->count(); ++i) list->setChecked(i, !list->checked(i));
  JunkFilesControls& junk = Controls(form->page<JunkFilesPage>());
  for (const wchar_t* folder : {L"C:\\保留目录", L"D:\\Keep me"}) junk.exclusionList.appendRow(ListRow{folder, {}, picture::Folder});
  junk.removal.moveFolder.setText(L"C:\\移到这里");
  DailyFilesControls& daily = Controls(form->page<DailyFilesPage>());
  daily.userFolderList.appendRow(ListRow{L"D:\\日志", {L"排除", L"指定类型", L"*.log|*.txt"}, picture::Folder});
  daily.userFolderList.appendRow(ListRow{L"C:\\Temp2", {L"包含", L"全部清理", L""}, picture::Folder, 0, true});
  daily.removal.moveFolder.setText(L"E:\\Moved");
  form->SetBackupBase(L"C:\\备份");
  Controls(form->page<BackupManagerPage>()).baseFolderEdit.setText(L"C:\\备份");
  Controls(form->page<SoftwarePage>()).filterCombo.setIndex(2);
  for (int mode = 0; mode < 3; ++mode) {  // the three removal modes on both pages, over three restarts
    Controls(form->page<JunkFilesPage>()).removal.modes.select(mode);
    Controls(form->page<DailyFilesPage>()).removal.modes.select((mode + 1) % 3);
    Controls(form->page<BackupManagerPage>()).compressCheck.setChecked(mode == 1);
    Controls(form->page<BackupManagerPage>()).levelCombo.setIndex(2 - mode);
    const Choices changed = Read(*form);
    ASSERT_NE(changed, defaults);
    close();
    open();
    EXPECT_EQ(Read(*form), changed) << "mode " << mode;
  }
  EXPECT_EQ(form->AutoRunBackupDir, L"C:\\备份\\AutoRun\\");
}

TEST_F(SettingsStoreTest, HandWrittenFilesAreReadByTheirRules) {
  open();
  const std::wstring drive = Controls(form->page<JunkFilesPage>()).driveList.text(0, 0);
  const ListView& types = Controls(form->page<JunkFilesPage>()).typeList;
  int tmpRow = 0;
  while (tmpRow < types.count() && types.text(tmpRow, 0) != L"*.tmp") ++tmpRow;
  ASSERT_LT(tmpRow, types.count());
  const auto tmpTick = static_cast<std::size_t>(Controls(form->page<JunkFilesPage>()).driveList.count() + tmpRow);
  const Choices defaults = Read(*form);
  form.reset();  // closed without saving
  // A file, and what it changes of the defaults.
  const std::tuple<const char*, std::string, std::function<void(Choices&)>> cases[] = {
      {"older layouts and unexpected values",
       Ansi(L"[WJQL]\r\nVersion=1\r\n" + drive + L"=0\r\n旧盘 (Q:)=1\r\n*.tmp=0\r\nJumpPath0=C:\\保留\r\n"
           L"jumppath7=C:\\Other\r\nDelSel=7\r\nDelSavPath=C:\\移到\r\n[WJRC]\r\nVersion=1\r\nSelfPath0=1/C:\\x/0/0/*.x\r\n"
           L"DelSel=2\r\n[BFGL]\r\nVersion=1\r\nSavPath=C:\\备份库\r\nComSav=0\r\nComTypeSel=12\r\n"
           L"[RJQL]\r\nversion=1\r\nShowType=显示全部\r\n"),
       [&](Choices& c) {  // every row the file does not name keeps its tick; the daily section of version 1 is not read
         c.ticks[0] = c.ticks[tmpTick] = false;
         c.jumpRows = {L"C:\\保留", L"C:\\Other"};
         c.junkMode = 1;
         c.junkFolder = L"C:\\移到";
         c.base = L"C:\\备份库";
         c.regDir = L"C:\\备份库\\Registry\\";
         c.autoRunDir = L"C:\\备份库\\AutoRun\\";
         c.compress = false;
         c.level = 1;
         c.showType = 0;
       }},
      {"user folders",
       Ansi(L"[WJQL]\r\nVersion=1\r\n旧盘 (Q:)=0\r\n[WJRC]\r\nVERSION=2\r\nSelfPath0=0/D:\\Logs/1/0/*.log\r\nselfpath1=1/C:\\a/0/1/x/lost\r\n"
       L"[BFGL]\r\nVersion=1\r\nComTypeSel=5\r\n[RJQL]\r\nVersion=1\r\nShowType=隐藏微软相关\r\n"),
       [&](Choices& c) {  // drives the file does not name (new ones) are ticked
         c.selfRows = {L"-D:\\Logs|排除|指定类型|*.log", L"+C:\\a|包含|全部清理|x"};
         c.level = 1;
         c.showType = 1;
       }},
      {"garbage",
       std::string("\0\x01\xff\x80\r\n", 6) +
           Ansi(L"[WJQL]\r\nVersion=1\r\n" + drive + L"\r\nDelSel\r\n[WJQL]\r\nVersion\r\n" + std::wstring(300000, L'甲') +
                L"\r\n[BFGL]\r\nVersion=1\r\nComSav\r\nSavPath=\r\nComTypeSel=\r\n[[ZCQL]\r\n=1\r\n"),
       [](Choices&) {}},
  };
  for (const auto& [name, bytes, change] : cases) {
    SCOPED_TRACE(name);
    Choices want = defaults;
    change(want);
    WriteBytes(file, bytes);
    open();
    EXPECT_TRUE(Read(*form) == want);
    close();
    EXPECT_EQ(Stored(file, L"WJRC", L"Version"), L"2");
    EXPECT_EQ(Stored(file, L"WJQL", L"旧盘 (Q:)"), L"(none)") << "keys of rows no longer listed go";
    EXPECT_EQ(std::ranges::count(SectionNames(file), L"WJQL"), 1);
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

// Marked files and failed writes are pinned on the store itself (core's settings tests).
TEST_F(SettingsStoreTest, AFileHeldForAMomentIsReadAndOneHeldThroughoutIsNeverOverwritten) {
  const std::wstring text = L"[RJQL]\r\nVersion=1\r\nShowType=显示所有软件\r\n";
  const auto openAndChange = [&] {
    open();
    const int shown = Controls(form->page<SoftwarePage>()).filterCombo.index();
    Controls(form->page<SoftwarePage>()).filterCombo.setIndex(1);
    return shown;
  };
  WriteBytes(file, Ansi(text));
  {
    BriefHold hold;
    Substitute<FileSystem> swap(&Platform::files, hold);
    EXPECT_TRUE(openAndChange() == 2 && hold.tries == 3) << hold.tries;
  }
  close();
  EXPECT_EQ(Stored(file, L"RJQL", L"ShowType"), L"隐藏微软相关");
  // Held throughout the start: nothing read, and nothing written at close even though it is free by then.
  WriteBytes(file, Ansi(text));
  {
    UniqueFile holder(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.valid());
    EXPECT_EQ(openAndChange(), 0);
  }
  ScriptedMsgBox boxes;
  close();
  EXPECT_EQ(ReadBytes(file), Ansi(text));
  EXPECT_TRUE(boxes.shown().empty());
}

}  // namespace
}  // namespace wv::test
