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
#include "cleaning/wjrcpage.h"
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
