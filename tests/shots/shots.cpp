// Screenshot driver for scripts/screenshots: the real main window, every page in
// turn (and the inner pages, scan results, the maximised window and the about
// box), each saved as a bitmap of the screen where the window is.
//   shots.exe <output folder>

#include <windows.h>
#include <shlobj.h>
#include <wininet.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "app/about_window.h"
#include "app/main_window.h"
#include "pages/page_table.h"
#include "app/page.h"
#include "pages/cleaning/other_traces_page.h"
#include "pages/cleaning/software_page.h"
#include "pages/cleaning/junk_files_page.h"
#include "engines/cleaning/daily_files_scan.h"
#include "pages/cleaning/daily_files_page.h"
#include "engines/unattended/schedule.h"
#include "pages/tools/shredder_page.h"
#include "platform/handles.h"
#include "platform/win32/win32_platform.h"
#include "pages/cleaning/startup_page.h"
#include "support/page_access.h"
#include "engines/registry/backup_records.h"
#include "pages/registry/backup_manager_page.h"
#include "pages/registry/redundancy_page.h"
#include "pages/registry/registry_traces_page.h"
#include "pages/tools/file_info_page.h"
#include "pages/tools/music_page.h"
#include "support/page_access.h"
#include "ui/messages.h"

namespace {

void Pump(int milliseconds) {
  for (const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds); GetTickCount64() < end;) {
    wv::DrainMessages();
    Sleep(10);
  }
}

bool SaveScreen(const RECT& r, const std::wstring& path) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof bi.bmiHeader, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  wv::WindowDc screen(nullptr);
  wv::UniqueMemoryDc mem(CreateCompatibleDC(screen.get()));
  void* bits = nullptr;
  wv::UniqueBitmap bmp(CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!mem || !bmp || !bits) return false;
  wv::SelectGuard keep(mem.get(), bmp.get());
  BitBlt(mem.get(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY | CAPTUREBLT);
  GdiFlush();
  const DWORD size = static_cast<DWORD>((w * 3 + 3) & ~3) * static_cast<DWORD>(h);
  BITMAPFILEHEADER fh{0x4d42, 0, 0, 0, sizeof fh + sizeof bi.bmiHeader};
  fh.bfSize = fh.bfOffBits + size;
  std::ofstream f(std::filesystem::path(path), std::ios::binary);
  f.write(reinterpret_cast<const char*>(&fh), sizeof fh);
  f.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
  f.write(static_cast<const char*>(bits), size);
  return f.good();
}

// The folder browser answers with a fixed folder (nobody is there to choose one).
class ShotShell : public wv::Win32Shell {
 public:
  std::wstring answer;
  std::wstring browseForFolder(HWND, std::wstring_view, std::wstring_view, std::wstring_view) override {
    return answer;
  }
};

// Everything the demo plants is taken away again, newest first, by Unplant().
std::vector<std::function<void()>> g_undo;

void Unplant() {
  for (; !g_undo.empty(); g_undo.pop_back()) g_undo.back()();
}

// A file of the given size, its folders created as needed.
void PlantFile(const std::wstring& path, LONGLONG size) {
  SHCreateDirectoryExW(nullptr, path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
  wv::UniqueFile h(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER at;
  at.QuadPart = size;
  SetFilePointerEx(h.get(), at, nullptr, FILE_BEGIN);
  SetEndOfFile(h.get());
}

// A text value (no name: the key alone). Undone as the first key it created, or
// as the value alone where its key was there before.
void PlantText(HKEY root, const std::wstring& path, const wchar_t* name = nullptr, const std::wstring& data = L"") {
  for (std::size_t end = 0; end != std::wstring::npos;) {
    end = path.find(L'\\', end + 1);
    const std::wstring part = path.substr(0, end);
    HKEY probe = nullptr;
    if (RegOpenKeyExW(root, part.c_str(), 0, KEY_READ, &probe) != ERROR_SUCCESS) {
      g_undo.push_back([=] {
        RegDeleteTreeW(root, part.c_str());
        RegDeleteKeyW(root, part.c_str());
      });
      break;
    }
    RegCloseKey(probe);
    if (end == std::wstring::npos && name) g_undo.push_back([=] { RegDeleteKeyValueW(root, path.c_str(), name); });
  }
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  if (name)
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

// A tree of everyday junk below the prefix's drive C.
const std::wstring kDemo = L"C:\\VantorraDemo";

void PlantDemo() {
  const std::pair<const wchar_t*, LONGLONG> files[] = {
      {L"办公文档\\季度报告.doc.bak", 126 * 1024}, {L"办公文档\\~$会议纪要.docx", 162}, {L"下载\\setup_1f3a.tmp", 2411724},
      {L"下载\\Thumbs.db", 24576}, {L"下载\\安装包\\~update.dat", 731000},     {L"图片\\Thumbs.db", 18432},
      {L"图片\\旅行.jpg", 901120},  {L"工程\\crash_0412.dmp", 5347737},          {L"工程\\build.err", 3277}};
  for (const auto& [name, size] : files) PlantFile(kDemo + L"\\" + name, size);
}

// Startup items (a shortcut in the user's startup folder, Run values of the
// current user) and registry backups recorded in the demo's backup folder.
void PlantStartup(const std::wstring& startupDir, const std::wstring& regDir) {
  const std::wstring link = startupDir + L"\\每日提醒.lnk";
  PlantFile(link, 0);
  g_undo.push_back([=] { DeleteFileW(link.c_str()); });
  const std::wstring run = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  PlantText(HKEY_CURRENT_USER, run, L"输入法助手", L"\"C:\\Program Files\\InputHelper\\helper.exe\" /autorun");
  PlantText(HKEY_CURRENT_USER, run, L"DiskMonitor", L"C:\\Program Files\\DiskMonitor\\monitor.exe -tray");
  PlantText(HKEY_CURRENT_USER, run, L"系统托盘音量", L"notepad.exe");
  SHCreateDirectoryExW(nullptr, regDir.c_str(), nullptr);
  (void)wv::WriteRecord(regDir, wv::kFileSection, regDir + L"Reg_2026Y11M20D18H30M00S.reg.zcom");  // deleted since
  const std::pair<const wchar_t*, LONGLONG> files[] = {{L"Reg_2026Y11M28D09H15M02S.reg.zcom", 1402311},
                                                       {L"Reg_2026Y12M03D20H41M37S.reg", 31876240},
                                                       {L"RegUndo_2026Y12M06D10H02M44S.reg", 5130}};
  for (const auto& [name, size] : files) {
    PlantFile(regDir + name, size);
    (void)wv::WriteRecord(regDir, wv::kFileSection, regDir + name);
  }
}

// Redundant entries and traces for the two registry pages.
void PlantRegistryDemo() {
  const HKEY cu = HKEY_CURRENT_USER, lm = HKEY_LOCAL_MACHINE;
  const std::wstring app = L"Software\\VantorraDemo\\", win = L"Software\\Microsoft\\Windows\\CurrentVersion\\";
  PlantText(cu, app + L"影音播放器", L"InstallPath", L"C:\\Program Files\\影音播放器\\player.exe");
  PlantText(cu, app + L"影音播放器\\Skins", L"", L"C:\\Program Files\\影音播放器\\Skins\\默认");
  PlantText(cu, app + L"PhotoTool", L"Helper", L"\"C:\\Program Files\\PhotoTool\\helper.exe\" /tray");
  PlantText(cu, app + L"ZipDemo", L"ShellExt", L"C:\\Program Files\\DemoZip\\zipext.dll,0");
  PlantText(cu, L"Software\\旧版看图软件");
  PlantText(cu, win + L"Explorer\\RecentDocs\\.doc", L"0", L"季度报告.doc");
  PlantText(lm, win + L"Uninstall\\VantorraDemoPlayer", L"UninstallString",
            L"\"C:\\Program Files\\影音播放器\\uninst.exe\" /S");
  PlantText(lm, win + L"SharedDLLs", L"C:\\Program Files\\Common Files\\DemoShared\\demoui.dll");
}

// Browser traces for the other-traces page: cached pages, visited addresses,
// cookies and typed addresses.
void PlantCache(const std::wstring& url, DWORD type, LONGLONG size) {
  wchar_t local[MAX_PATH] = {};
  if (size > 0 && CreateUrlCacheEntryW(url.c_str(), static_cast<DWORD>(size), L"htm", local, 0)) PlantFile(local, size);
  const FILETIME never{};
  if (CommitUrlCacheEntryW(url.c_str(), size > 0 ? local : nullptr, never, never, type, nullptr, 0, nullptr, nullptr))
    g_undo.push_back([=] { DeleteUrlCacheEntryW(url.c_str()); });
}

void PlantTraces() {
  PlantCache(L"http://www.example.com/index.htm", NORMAL_CACHE_ENTRY, 18342);
  PlantCache(L"http://news.example.org/today.htm", NORMAL_CACHE_ENTRY, 52113);
  PlantCache(L"Visited: user@http://www.example.com/", URLHISTORY_CACHE_ENTRY, 0);
  PlantCache(L"Cookie:user@example.com/", COOKIE_CACHE_ENTRY, 120);
  PlantText(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\TypedURLs", L"url1", L"http://www.example.com/");
}

// Installed programs for the software page.
const wchar_t kChosenProgram[] = L"影音播放器";

void PlantPrograms() {
  const wchar_t* programs[][6] = {
      {L"1", L"极速浏览器 12.0", L"示例网络科技", L"12.0.3", L"http://www.example.com/browser",
       L"C:\\windows\\notepad.exe /uninstall"},
      {L"2", kChosenProgram, L"示例软件有限公司", L"5.2.1", L"https://player.example.cn/", L"C:\\windows\\regedit.exe /u"},
  };
  const wchar_t* names[] = {L"DisplayName", L"Publisher", L"DisplayVersion", L"URLInfoAbout", L"UninstallString"};
  for (const auto& p : programs)
    for (int i = 0; i < 5; ++i)
      PlantText(HKEY_LOCAL_MACHINE,
                std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VantorraDemo") + p[0],
                names[i], p[i + 1]);
}

// A scheduler that keeps each task as it was given, as Windows does (Wine keeps
// no trigger), or one that cannot be reached.
class ShotScheduler : public wv::TaskScheduler {
 public:
  std::wstring xml;
  wv::SysResult reach;
  wv::SysResult connect() override { return reach; }
  wv::SysResult registerTask(std::wstring_view, std::wstring_view given) override { return xml = given, wv::SysResult(); }
  wv::SysResult taskXml(std::wstring_view, std::wstring& out) override {
    out = xml;
    return xml.empty() ? wv::SysResult(ERROR_FILE_NOT_FOUND) : wv::SysResult();
  }
  wv::SysResult deleteTask(std::wstring_view) override { return xml.clear(), wv::SysResult(); }
  std::wstring currentUser() override { return L"S-1-5-21-1-2-3-1000"; }
};

// An MP3 file of a tone's length whose ID3v2.3 tag (UTF-16) holds title, artist, album and year.
void PlantSong(const std::wstring& path, std::initializer_list<std::wstring_view> tags) {
  std::string body;
  const char* ids[] = {"TIT2", "TPE1", "TALB", "TYER"};
  int i = 0;
  for (std::wstring_view text : tags) {
    std::string data("\x01\xFF\xFE", 3);
    for (wchar_t c : text) data += {static_cast<char>(c), static_cast<char>(c >> 8)};
    const auto n = static_cast<std::uint32_t>(data.size());
    body += std::string(ids[i++]) + char(n >> 24) + char(n >> 16) + char(n >> 8) + char(n) + std::string(2, '\0') + data;
  }
  const auto n = static_cast<std::uint32_t>(body.size());
  std::string file = std::string("ID3\x03\0\0", 6) + char(n >> 21 & 0x7F) + char(n >> 14 & 0x7F) + char(n >> 7 & 0x7F) +
                     char(n & 0x7F) + body + std::string(4000, '\x55');
  std::ofstream(std::filesystem::path(path), std::ios::binary) << file;
}

// The file name of a page's first screenshot.
std::wstring PageShotName(wv::Module module) {
  switch (module) {
    case wv::Module::DailyFiles: return L"daily_files";
    case wv::Module::RegistryTraces: return L"registry_traces";
    case wv::Module::OtherTraces: return L"other_traces";
    case wv::Module::Startup: return L"startup";
    case wv::Module::Software: return L"software";
    case wv::Module::JunkFiles: return L"junk_files";
    case wv::Module::Redundancy: return L"redundancy";
    case wv::Module::FileInfo: return L"file_info";
    case wv::Module::Shredder: return L"shredder";
    case wv::Module::Music: return L"music";
    case wv::Module::BackupManager: return L"backup_manager";
  }
  return L"page";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring out = argc > 1 ? std::wstring(argv[1]) + L"\\" : std::wstring();
  wv::MainWindow form(wv::FormOptions::Hosted(wv::AllPages()));
  form.create();
  form.showMain();
  Pump(800);
  int n = 0, failures = 0;
  auto shoot = [&](const std::wstring& name) {
    Pump(400);
    RECT r;
    GetWindowRect(form.handle(), &r);
    wchar_t number[8];
    swprintf(number, 8, L"%02d_", ++n);
    if (!SaveScreen(r, out + number + name + L".bmp")) ++failures;
  };
  auto show = [&](wv::Module module) { form.sideBar.button(module).click(); };
  auto tickOnly = [](wv::ListView& list, const std::function<bool(int)>& ticked) {
    for (int i = 0; i < list.count(); ++i) list.setChecked(i, ticked(i));
  };

  PlantPrograms();
  for (wv::FlatButton* b : form.sideBar.buttons()) {
    wv::Page* page = form.sideBar.pageOf(*b);
    if (b->visible()) b->click();
    else form.switchToPage(*page);
    shoot(PageShotName(page->module()));
  }
  form.switchToPage(form.page<wv::BackupManagerPage>());
  shoot(L"backup_manager");
  wv::DailyFilesControls& daily = wv::test::Controls(form.page<wv::DailyFilesPage>());
  wv::JunkFilesControls& junk = wv::test::Controls(form.page<wv::JunkFilesPage>());
  show(wv::Module::DailyFiles);
  for (const auto& [tab, name] : {std::pair{&daily.userFoldersTab, L"daily_files_user"}, {&daily.removalTab, L"daily_files_removal"}}) {
    tab->click();
    shoot(name);
  }
  daily.resultsTab.click();
  show(wv::Module::JunkFiles);
  for (wv::FlatButton* t : {&junk.typesTab, &junk.removalTab, &junk.exclusionsTab}) {
    t->click();
    shoot(L"junk_files_tab" + std::to_wstring(junk.tabPages.active()));
  }
  junk.resultsTab.click();

  // The junk and daily-file pages with the results of real scans of the demo tree.
  PlantDemo();
  ShotShell shell;
  wv::Substitute<wv::Shell> substitute(&wv::Platform::shell, shell);
  shell.answer = kDemo;
  junk.scanFolderButton.click();
  junk.resultList.setSelected(1, true);
  shoot(L"junk_files_results");
  shell.answer = kDemo + L"\\工程";
  junk.addExclusionButton.click();
  junk.exclusionsTab.click();
  shoot(L"junk_files_exclusions");
  junk.resultsTab.click();

  show(wv::Module::DailyFiles);
  tickOnly(daily.itemList, [](int i) { return i == 4; });
  daily.userFoldersTab.click();
  daily.userFolderList.appendRow(wv::UserCleanFolderRow({true, kDemo + L"\\下载", true, false, L""}));
  daily.userFolderList.appendRow(wv::UserCleanFolderRow({true, kDemo + L"\\办公文档", true, true, L"*.bak|~*.*|*.old"}));
  daily.userFolderList.select(1);
  shoot(L"daily_files_user_rows");
  daily.scanButton.click();
  shoot(L"daily_files_results");
  daily.removalTab.click();
  daily.removal.modes.select(1);
  daily.removal.moveFolder.setText(L"C:\\垃圾文件暂存");
  shoot(L"daily_files_removal_move");
  daily.resultsTab.click();

  // The file-information page with the demo files, one shot per settings panel.
  wv::FileInfoPage& info = form.page<wv::FileInfoPage>();
  auto& infoRules = wv::test::Controls(info);
  auto& infoList = wv::test::SharedControls<wv::SimulationControls<wv::FileInfoRow>>(info);
  const auto chooseObject = [&](int object) {
    infoList.objectChoice.setIndex(object);
    infoList.objectChoice.onChange();
  };
  show(wv::Module::FileInfo);
  info.drop({kDemo});
  infoRules.duplicateCheckBox.setChecked(false);  // the demo has two Thumbs.db
  infoRules.replaceRule.setChecked(false);
  infoRules.insertTextRule.setChecked(true);
  infoRules.insertText.setText(L"2024_");
  infoList.simulateButton.click();
  infoList.fileList.select(2);
  shoot(L"file_info_names");
  chooseObject(1);
  infoRules.timeKindChoice.setIndex(1);
  infoRules.timeKindChoice.onChange();
  infoRules.beginDateEdit.setText(wv::DateText({2020, 1, 1, 0, 0, 0}));
  infoRules.endDateEdit.setText(wv::DateText({2023, 12, 31, 0, 0, 0}));
  infoRules.beginTimeEdit.setText(wv::TimeText({2020, 1, 1, 8, 0, 0}));
  infoRules.endTimeEdit.setText(wv::TimeText({2020, 1, 1, 18, 0, 0}));
  infoList.simulateButton.click();
  shoot(L"file_info_time");
  chooseObject(2);
  infoRules.hiddenBox.setChecked(true);
  infoList.simulateButton.click();
  shoot(L"file_info_attributes");
  infoList.listMenu.choose(infoList.clearItem);
  chooseObject(0);
  // The shredder with files and folders dropped on it.
  wv::ShredderPage& shredder = form.page<wv::ShredderPage>();
  show(wv::Module::Shredder);
  shredder.drop({kDemo + L"\\办公文档", kDemo + L"\\下载\\setup_1f3a.tmp", kDemo + L"\\工程\\crash_0412.dmp"});
  wv::test::Controls(shredder).entryList.select(1);
  shoot(L"shredder_rows");

  // The music page with tagged songs, names simulated from artist and title.
  wv::MusicPage& music = form.page<wv::MusicPage>();
  auto& musicRules = wv::test::Controls(music);
  auto& musicList = wv::test::SharedControls<wv::SimulationControls<wv::MusicRow>>(music);
  const std::wstring songs = kDemo + L"\\音乐";
  CreateDirectoryW(songs.c_str(), nullptr);
  PlantSong(songs + L"\\track01.mp3", {L"吻别", L"张学友", L"吻别", L"1993"});
  PlantSong(songs + L"\\track02.mp3", {L"月亮代表我的心", L"邓丽君", L"淡淡幽情", L"1977"});
  PlantSong(songs + L"\\track03.mp3", {L"童话", L"光良", L"童话", L"2005"});
  PlantSong(songs + L"\\Track 04.mp3", {L"后来", L"刘若英", L"我等你", L"1999"});
  show(wv::Module::Music);
  music.drop({songs});
  musicRules.firstTag.setIndex(1);
  musicRules.secondTag.setIndex(0);
  musicRules.tagSeparator.setText(L" - ");
  musicList.simulateButton.click();
  musicList.fileList.select(1);
  shoot(L"music_rows");

  // The other-traces page after a scan of the planted traces; the software page with a program chosen.
  PlantTraces();
  show(wv::Module::OtherTraces);
  wv::test::Controls(form.page<wv::OtherTracesPage>()).scanButton.click();
  shoot(L"other_traces_results");
  show(wv::Module::Software);
  wv::ListView& programs = wv::test::Controls(form.page<wv::SoftwarePage>()).programList;
  for (int i = 0; i < programs.count(); ++i)
    if (programs.text(i, 0) == kChosenProgram) programs.select(i);
  SetFocus(programs.handle());
  shoot(L"software_results");
  Unplant();

  // The startup page with its items, two of them removed into the demo backup
  // folder; the backup manager opened from the startup page and from the redundancy page.
  form.setBackupBase(kDemo + L"\\备份");
  PlantStartup(form.knownFolders.StartupDir, form.registryBackupFolder);
  wv::StartupPage& startupPage = form.page<wv::StartupPage>();
  wv::StartupControls& startup = wv::test::Controls(startupPage);
  show(wv::Module::Startup);
  startupPage.refreshList();
  tickOnly(startup.itemList, [&](int i) {
    return startup.itemList.text(i, 0) == L"DiskMonitor" || startup.itemList.text(i, 0) == L"每日提醒.lnk";
  });
  startup.deleteTickedButton.click();
  startup.itemList.setChecked(0, true);
  startup.itemList.select(1);
  shoot(L"startup_items");
  startup.restoreButton.click();
  wv::test::Controls(form.page<wv::BackupManagerPage>()).backupList.select(1);
  shoot(L"backup_manager_startup");
  show(wv::Module::Redundancy);
  wv::test::Controls(form.page<wv::RedundancyPage>()).restoreButton.click();
  wv::test::Controls(form.page<wv::BackupManagerPage>()).backupList.select(2);
  shoot(L"backup_manager_registry");
  Unplant();
  show(wv::Module::DailyFiles);
  static_cast<void>(wv::Sh().fileOperation(nullptr, wv::FileOpFunc::Delete, {kDemo}, L"",
                                           FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI));

  // Both registry pages with the results of real scans of planted entries.
  PlantRegistryDemo();
  auto& redundancy = wv::test::Controls(form.page<wv::RedundancyPage>());
  show(wv::Module::Redundancy);
  tickOnly(redundancy.hiveList, [](int i) { return i == 0; });
  redundancy.scanButton.click();
  redundancy.resultList.setSelected(1, true);
  shoot(L"redundancy_results");
  auto& traces = wv::test::Controls(form.page<wv::RegistryTracesPage>());
  show(wv::Module::RegistryTraces);
  tickOnly(traces.itemList, [](int i) { return i == 0 || i == 3 || i == 4 || i == 6; });
  traces.scanButton.click();
  traces.resultList.setSelected(0, true);
  shoot(L"registry_traces_results");
  Unplant();

  form.toggleMaximized();
  // Under load the new size can arrive after the first pumps: wait until the window fills the work area.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  for (int i = 0; i < 100; ++i) {
    RECT now{};
    GetWindowRect(form.handle(), &now);
    if (now.right - now.left == work.right - work.left && now.bottom - now.top == work.bottom - work.top) break;
    Pump(50);
  }
  shoot(L"maximised");
  form.toggleMaximized();
  show(wv::Module::DailyFiles);
  form.about().showSplash();
  shoot(L"about");
  form.about().hideSplash();

  // The daily page's schedule: as the system's scheduler has it (none), a weekly
  // cleaning applied and read back, and a scheduler that cannot be reached.
  show(wv::Module::DailyFiles);
  daily.scheduleTab.click();
  shoot(L"daily_files_schedule");
  {
    ShotScheduler scheduler;
    wv::Substitute<wv::TaskScheduler> swap(&wv::Platform::tasks, scheduler);
    daily.schedule.kindCombo.setIndex(3);
    daily.schedule.kindCombo.onChange();
    daily.schedule.dayCombo.selectText(L"星期三");
    daily.schedule.hourEdit.setValue(21);
    daily.schedule.minuteEdit.setValue(30);
    daily.schedule.junkCheck.setChecked(true);
    daily.schedule.applyButton.click();
    shoot(L"daily_files_schedule_weekly");
    scheduler.reach = wv::SysResult(static_cast<DWORD>(0x80041315));
    daily.resultsTab.click();
    daily.scheduleTab.click();
    shoot(L"daily_files_schedule_unavailable");
  }
  daily.resultsTab.click();

  // The daily page with the rule file (the shared winapp2.ini, linked into the prefix
  // by the script): three applications planted so that their entries are detected,
  // two of them ticked and scanned, then the rule file's own tab.
  const std::wstring local = wv::Sh().specialFolder(CSIDL_LOCAL_APPDATA);
  const std::wstring roaming = wv::Sh().specialFolder(CSIDL_APPDATA);
  const std::vector<std::pair<std::wstring, LONGLONG>> apps = {
      {local + L"\\Google\\Chrome\\User Data\\Default\\Cache\\Cache_Data\\data_0", 45056},
      {local + L"\\Google\\Chrome\\User Data\\Default\\Cache\\Cache_Data\\f_0000a1", 183204},
      {local + L"\\Google\\Chrome\\User Data\\Default\\Code Cache\\js\\index", 24},
      {local + L"\\Zynga\\Logs\\session.log", 5210},
      {roaming + L"\\Everything\\Run History.csv", 812}};
  for (const auto& [file, size] : apps) PlantFile(file, size);
  show(wv::Module::DailyFiles);
  daily.ruleFileEdit.setText(L"C:\\WindowsVantorraFixtures\\winapp2\\Winapp2.ini");
  daily.ruleFileReadButton.click();
  tickOnly(daily.itemList, [&](int i) {
    const std::wstring caption = daily.itemList.text(i, 0);
    return caption == L"Google Chrome Caches" || caption == L"Zynga Games";
  });
  daily.scanButton.click();
  for (int i = 0; i < daily.itemList.count(); ++i)
    if (daily.itemList.checked(i)) daily.itemList.select(i);
  shoot(L"daily_files_rule_results");
  daily.ruleFileTab.click();
  shoot(L"daily_files_rule_file");
  daily.resultsTab.click();
  for (const std::wstring& root : {local + L"\\Google", local + L"\\Zynga", roaming + L"\\Everything"})
    static_cast<void>(wv::Sh().fileOperation(nullptr, wv::FileOpFunc::Delete, {root}, L"",
                                             FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI));
  std::printf("%d shots failed\n", failures);
  return failures == 0 ? 0 : 1;
}
