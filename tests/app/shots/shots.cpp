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
#include "registry/bfglpage.h"
#include "tools/wjszpage.h"
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

    // The file-information page with the demo files, one shot per settings panel.
    wv::WjszPage& info = form.page<wv::WjszPage>();
    form.Panel2.button(L"wjsz").click();
    info.drop({kDemo});
    info.wjsz_nameechchk.setChecked(false);  // the demo has two Thumbs.db
    info.wjsz_namereprbt.setChecked(false);
    info.wjsz_nameistrbt.setChecked(true);
    info.wjsz_nameistedt.setText(L"2024_");
    info.wjsz_mnchgClick();
    info.wjsz_showlist.select(2);
    info.wjsz_showlistSelectItem();
    shoot(L"wjsz_names");
    info.wjsz_mnobj.setIndex(1);
    info.wjsz_mnobjChange();
    info.wjsz_timedattyp.setIndex(1);
    info.wjsz_timedattypChange();
    info.wjsz_timedatbeg.setText(wv::DateText({2020, 1, 1, 0, 0, 0}));
    info.wjsz_timedatend.setText(wv::DateText({2023, 12, 31, 0, 0, 0}));
    info.wjsz_timetimbeg.setText(wv::TimeText({2020, 1, 1, 8, 0, 0}));
    info.wjsz_timetimend.setText(wv::TimeText({2020, 1, 1, 18, 0, 0}));
    info.wjsz_mnchgClick();
    shoot(L"wjsz_time");
    info.wjsz_mnobj.setIndex(2);
    info.wjsz_mnobjChange();
    info.wjsz_attrhidechk.setChecked(true);
    info.wjsz_mnchgClick();
    shoot(L"wjsz_attributes");
    info.wjsz_menudelallClick();
    info.wjsz_mnobj.setIndex(0);
    info.wjsz_mnobjChange();
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
