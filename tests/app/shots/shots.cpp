// Screenshot driver for scripts/screenshots: the real main window, every page in
// turn (and the inner pages, scan results, the maximised window and the about
// box), each saved as a bitmap of the screen where the window is.
//   shots.exe <output folder>

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/infoform.h"
#include "app/mainform.h"
#include "app/page.h"
#include "cleaning/wjqlpage.h"
#include "cleaning/wjrcline.h"
#include "cleaning/wjrcpage.h"
#include "platform/handles.h"
#include "platform/win32/win32_platform.h"
#include "cleaning/qdszpage.h"
#include "registry/bfglline.h"
#include "registry/bfglpage.h"
#include "registry/zcqlpage.h"
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

// Startup items and backups for the startup page and the backup manager: a
// shortcut in the user's startup folder and Run values of the current user,
// removed again at the end; registry backups recorded in a demo backup folder.
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::pair<const wchar_t*, const wchar_t*> kRunValues[] = {
    {L"输入法助手", L"\"C:\\Program Files\\InputHelper\\helper.exe\" /autorun"},
    {L"DiskMonitor", L"C:\\Program Files\\DiskMonitor\\monitor.exe -tray"},
    {L"系统托盘音量", L"notepad.exe"},
};

void PlantStartup(const std::wstring& startupDir) {
  SHCreateDirectoryExW(nullptr, startupDir.c_str(), nullptr);
  wv::UniqueFile link(CreateFileW((startupDir + L"\\每日提醒.lnk").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  for (const auto& [name, command] : kRunValues)
    RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, name, REG_SZ, command,
                    static_cast<DWORD>((wcslen(command) + 1) * sizeof(wchar_t)));
}

void RemoveStartup(const std::wstring& startupDir) {
  DeleteFileW((startupDir + L"\\每日提醒.lnk").c_str());
  for (const auto& [name, command] : kRunValues) RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, name);
}

void PlantRegistryBackups(const std::wstring& regDir) {
  SHCreateDirectoryExW(nullptr, regDir.c_str(), nullptr);
  const std::pair<const wchar_t*, LONGLONG> files[] = {{L"Reg_2026Y11M28D09H15M02S.reg.zcom", 1402311},
                                                       {L"Reg_2026Y12M03D20H41M37S.reg", 31876240},
                                                       {L"Reg_2026Y12M05D13H07M09S.reg.zcom", 1436980},
                                                       {L"RegUndo_2026Y12M06D10H02M44S.reg", 5130}};
  for (const auto& [name, size] : files) {
    wv::UniqueFile h(CreateFileW((regDir + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER at;
    at.QuadPart = size;
    SetFilePointerEx(h.get(), at, nullptr, FILE_BEGIN);
    SetEndOfFile(h.get());
  }
  (void)wv::WriteRecord(regDir, wv::kFileSection, regDir + L"Reg_2026Y11M20D18H30M00S.reg.zcom");  // deleted since
  for (const auto& [name, size] : files) (void)wv::WriteRecord(regDir, wv::kFileSection, regDir + name);
}

// A small tree of everyday junk below the prefix's drive C, removed again at the end.
const std::wstring kDemo = L"C:\\VantorraDemo";

void PlantDemo() {
  const std::pair<const wchar_t*, LONGLONG> files[] = {
      {L"办公文档\\季度报告.doc.bak", 126 * 1024},   {L"办公文档\\~$会议纪要.docx", 162},
      {L"办公文档\\说明.txt", 2048},                 {L"办公文档\\备份\\预算表.xls.old", 48 * 1024 + 300},
      {L"下载\\setup_1f3a.tmp", 2411724},            {L"下载\\Thumbs.db", 24576},
      {L"下载\\安装包\\~update.dat", 731000},        {L"下载\\安装包\\日志\\install.log", 5120},
      {L"图片\\Thumbs.db", 18432},                   {L"图片\\旅行.jpg", 901120},
      {L"工程\\crash_0412.dmp", 5347737},            {L"工程\\build.err", 3277},
      {L"工程\\源码\\main.cpp.$$$", 14336},
  };
  for (const auto& [name, size] : files) {
    const std::wstring path = kDemo + L"\\" + name;
    SHCreateDirectoryExW(nullptr, path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
    wv::UniqueFile h(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) continue;
    LARGE_INTEGER at;
    at.QuadPart = size;
    SetFilePointerEx(h.get(), at, nullptr, FILE_BEGIN);
    SetEndOfFile(h.get());
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring out = argc > 1 ? std::wstring(argv[1]) + L"\\" : std::wstring();
  wv::FormOptions options = wv::FormOptions::Hosted();
  wv::Tfrmmain form(std::move(options));
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

  for (wv::FlatButton* b : form.Panel2.buttons()) {
    wv::Page* page = form.Panel2.pageOf(*b);
    if (b->visible()) b->click();
    else form.SwitchToPage(*page);
    shoot(page->key());
  }
  form.SwitchToPage(form.page<wv::BfglPage>());
  shoot(L"bfgl");
  wv::WjrcPage& daily = form.page<wv::WjrcPage>();
  wv::WjqlPage& junk = form.page<wv::WjqlPage>();
  form.Panel2.button(L"wjrc").click();
  daily.FlatButton11.click();
  shoot(L"wjrc_user");
  daily.FlatButton12.click();
  shoot(L"wjrc_removal");
  daily.FlatButton10.click();
  form.Panel2.button(L"wjql").click();
  for (wv::FlatButton* t : {&junk.FlatButton3, &junk.FlatButton6, &junk.FlatButton9}) {
    t->click();
    shoot(L"wjql_" + std::to_wstring(junk.PageControl6.active()));
  }
  junk.FlatButton1.click();

  // Both pages with the results of real scans of the demo tree.
  PlantDemo();
  {
    ShotShell shell;
    wv::Substitute<wv::Shell> substitute(&wv::Platform::shell, shell);
    shell.answer = kDemo;
    junk.wjql_smsel.click();
    junk.wjql_showlist.setSelected(1, true);
    shoot(L"wjql_results");
    shell.answer = kDemo + L"\\工程";
    junk.wjql_jumpadd.click();
    junk.FlatButton9.click();
    shoot(L"wjql_exclusions");
    junk.FlatButton1.click();

    form.Panel2.button(L"wjrc").click();
    for (int i = 0; i < daily.wjrc_select.count(); ++i) daily.wjrc_select.setChecked(i, i == 4);
    daily.FlatButton11.click();
    daily.wjrc_selflist.appendRow(wv::UserCleanFolderRow({true, kDemo + L"\\下载", true, false, L""}));
    daily.wjrc_selflist.appendRow(wv::UserCleanFolderRow({true, kDemo + L"\\办公文档", true, true, L"*.bak|~*.*|*.old"}));
    daily.wjrc_selflist.select(1);
    shoot(L"wjrc_user_rows");
    daily.wjrc_sm.click();
    shoot(L"wjrc_results");
    daily.FlatButton12.click();
    daily.wjrc_scsz.select(1);
    daily.wjrc_scszpath_pathname.setText(L"C:\\垃圾文件暂存");
    shoot(L"wjrc_removal_move");
    daily.FlatButton10.click();
  }
  {
    // The startup page with its items, two of them removed into the demo backup
    // folder; the backup manager opened from the startup page and from the
    // redundancy page.
    const std::wstring startupDir = form.knownFolders.StartupDir;
    form.SetBackupBase(kDemo + L"\\备份");
    PlantStartup(startupDir);
    PlantRegistryBackups(form.RegBackupDir);
    wv::QdszPage& startup = form.page<wv::QdszPage>();
    form.Panel2.button(L"qdsz").click();
    startup.qdsz_autosxClick();
    for (int i = 0; i < startup.qdsz_showlist.count(); ++i)
      startup.qdsz_showlist.setChecked(i, startup.qdsz_showlist.text(i, 0) == L"DiskMonitor" ||
                                              startup.qdsz_showlist.text(i, 0) == L"每日提醒.lnk");
    startup.qdsz_autoseldel.click();
    startup.qdsz_showlist.setChecked(0, true);
    startup.qdsz_showlist.select(1);
    shoot(L"qdsz_items");
    startup.qdsz_autohf.click();
    form.page<wv::BfglPage>().bfgl_showlist.select(1);
    shoot(L"bfgl_qdsz");
    form.Panel2.button(L"zcql").click();
    form.page<wv::ZcqlPage>().zcql_hy.click();
    form.page<wv::BfglPage>().bfgl_showlist.select(2);
    shoot(L"bfgl_zcql");
    RemoveStartup(startupDir);
    form.Panel2.button(L"wjrc").click();
  }
  static_cast<void>(wv::Sh().fileOperation(nullptr, wv::FileOpFunc::Delete, {kDemo}, L"",
                                           FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI));

  form.ToggleMaximized();
  shoot(L"maximised");
  form.ToggleMaximized();
  form.Panel2.button(L"wjrc").click();
  form.about().showSplash();
  shoot(L"about");
  form.about().hideSplash();

  std::printf("%d shots failed\n", failures);
  return failures == 0 ? 0 : 1;
}
