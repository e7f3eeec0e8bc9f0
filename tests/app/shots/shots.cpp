// Screenshot driver for scripts/screenshots: the real main window, every page in
// turn (and the inner pages, the maximised window and the about box), each saved
// as a bitmap of the screen where the window is.
//   shots.exe <output folder>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/infoform.h"
#include "app/mainform.h"
#include "app/page.h"
#include "cleaning/wjqlpage.h"
#include "cleaning/wjrcline.h"
#include "cleaning/wjrcpage.h"
#include "platform/win32/win32_platform.h"
#include "registry/bfglpage.h"
#include "tools/yyszpage.h"
#include "ui/messages.h"

namespace {

void Pump(int milliseconds) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
  while (GetTickCount64() < end) {
    wv::DrainMessages();
    Sleep(10);
  }
}

bool SaveScreen(const RECT& r, const std::wstring& path) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
  GdiFlush();
  const DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
  const DWORD size = stride * static_cast<DWORD>(h);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4d42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + size;
  bool ok = false;
  if (FILE* f = _wfopen(path.c_str(), L"wb")) {
    ok = fwrite(&fh, sizeof fh, 1, f) == 1 && fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
         fwrite(bits, size, 1, f) == 1;
    fclose(f);
  }
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
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
const wchar_t kDemo[] = L"C:\\VantorraDemo";

void DemoFile(const std::wstring& relative, LONGLONG size) {
  const std::wstring path = std::wstring(kDemo) + L"\\" + relative;
  for (std::size_t i = 3; i < path.size(); ++i)
    if (path[i] == L'\\') CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER at;
  at.QuadPart = size;
  SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
  SetEndOfFile(h);
  CloseHandle(h);
}

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
  for (const auto& [name, size] : files) DemoFile(name, size);
}

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(child);
      else DeleteFileW(child.c_str());
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(path.c_str());
}

RECT WindowRect(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return r;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring out = argc > 1 ? std::wstring(argv[1]) + L"\\" : std::wstring();
  int failures = 0;
  auto shoot = [&](const std::wstring& name, const RECT& r) {
    Pump(400);
    if (!SaveScreen(r, out + name + L".bmp")) ++failures;
  };

  wv::FormOptions options;
  options.adminGate = false;
  options.quitOnDestroy = false;
  wv::Tfrmmain form(std::move(options));
  form.create();
  form.showMain();
  Pump(800);
  const RECT normal = WindowRect(form.handle());

  int n = 1;
  auto number = [&]() {
    wchar_t b[8];
    swprintf(b, 8, L"%02d_", n++);
    return std::wstring(b);
  };
  for (wv::FlatButton* b : form.Panel2.buttons()) {
    wv::Page* page = form.Panel2.pageOf(*b);
    if (!page) continue;
    if (b->visible()) b->click();
    else form.SwitchToPage(*page);
    shoot(number() + page->key(), normal);
  }
  form.SwitchToPage(*form.bfgltab);
  shoot(number() + L"bfgl", normal);

  form.Panel2.zdk_wjrc.click();
  form.wjrctab->FlatButton11.click();
  shoot(number() + L"wjrc_user", normal);
  form.wjrctab->FlatButton12.click();
  shoot(number() + L"wjrc_removal", normal);
  form.wjrctab->FlatButton10.click();
  form.Panel2.zdk_wjql.click();
  for (wv::FlatButton* t : {&form.wjqltab->FlatButton3, &form.wjqltab->FlatButton6, &form.wjqltab->FlatButton9}) {
    t->click();
    shoot(number() + L"wjql_" + std::to_wstring(form.wjqltab->PageControl6.active()), normal);
  }
  form.wjqltab->FlatButton1.click();

  // Both pages with the results of real scans of the demo tree.
  PlantDemo();
  {
    ShotShell shell;
    shell.answer = kDemo;
    wv::Substitute<wv::Shell> substitute(&wv::Platform::shell, shell);
    wv::WjqlPage& junk = *form.wjqltab;
    junk.wjql_smsel.click();
    junk.wjql_showlist.setSelected(1, true);
    shoot(number() + L"wjql_results", normal);
    junk.wjql_showlist.setSelected(1, false);
    shell.answer = std::wstring(kDemo) + L"\\工程";
    junk.wjql_jumpadd.click();
    junk.FlatButton9.click();
    shoot(number() + L"wjql_exclusions", normal);
    junk.FlatButton1.click();

    form.Panel2.zdk_wjrc.click();
    wv::WjrcPage& daily = *form.wjrctab;
    for (int i = 0; i < daily.wjrc_select.count(); ++i) daily.wjrc_select.setChecked(i, i == 4);
    daily.FlatButton11.click();
    daily.wjrc_selfpath.setText(std::wstring(kDemo) + L"\\下载");
    daily.wjrc_selfmode.setIndex(1);
    daily.wjrc_selfmodeChange();
    daily.wjrc_selfaddClick();
    daily.wjrc_selfpath.setText(std::wstring(kDemo) + L"\\办公文档");
    daily.wjrc_selftype.setText(L"*.bak|~*.*|*.old");
    daily.wjrc_selfaddClick();
    daily.wjrc_selflist.select(1);
    shoot(number() + L"wjrc_user_rows", normal);
    daily.wjrc_sm.click();
    shoot(number() + L"wjrc_results", normal);
    daily.FlatButton12.click();
    daily.wjrc_scsz.select(1);
    daily.wjrc_scszpath_pathname.setText(L"C:\\垃圾文件暂存");
    shoot(number() + L"wjrc_removal_move", normal);
    daily.wjrc_scsz.select(2);
    daily.wjrc_scszpath_pathname.setText(L"");
    daily.FlatButton10.click();
  }
  RemoveTree(kDemo);

  form.ToggleMaximized();
  shoot(number() + L"maximised", WindowRect(form.handle()));
  form.ToggleMaximized();

  form.Panel2.zdk_wjrc.click();
  form.about().showSplash();
  shoot(number() + L"about", normal);
  form.about().hideSplash();

  std::printf("%d shots failed\n", failures);
  return failures == 0 ? 0 : 1;
}
