// Files that reach the three file-tool pages: dropped from the shell, or chosen
// in the shared open-file dialog.

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include "app/mainform.h"
#include "core/publline.h"
#include "core/text.h"
#include "platform/platform.h"
#include "tools/wjfspage.h"
#include "tools/wjszpage.h"
#include "tools/yyszpage.h"

namespace wv {
namespace {

// Every file of a folder (its own first, then its subfolders' ; "Recycled" skipped) or the file itself.
std::vector<std::wstring> ExpandDropped(const std::vector<std::wstring>& paths) {
  std::vector<std::wstring> out;
  for (const std::wstring& p : paths) {
    if (DirectoryExists(p)) CollectFiles(p, out);
    else if (FileExists(p)) out.push_back(p);
  }
  return out;
}

// Files and folders as dropped, folders whole.
std::vector<std::wstring> KeepDropped(const std::vector<std::wstring>& paths) {
  std::vector<std::wstring> out;
  for (const std::wstring& p : paths)
    if (DirectoryExists(p) || FileExists(p)) out.push_back(p);
  return out;
}

// The names of a multiple-selection answer: a folder then names, or one full path.
std::vector<std::wstring> ChosenFiles(const wchar_t* buffer) {
  std::vector<std::wstring> parts;
  for (const wchar_t* p = buffer; *p; p += wcslen(p) + 1) parts.emplace_back(p);
  if (parts.size() <= 1) return parts;
  std::vector<std::wstring> files;
  const std::wstring folder = IncludeTrailingBackslash(parts[0]);
  for (std::size_t i = 1; i < parts.size(); ++i) files.push_back(folder + parts[i]);
  return files;
}

}  // namespace

bool Tfrmmain::OnFilesDropped(MSG& message) {
  if (message.message != WM_DROPFILES || !message.hwnd) return false;
  auto drop = reinterpret_cast<HDROP>(message.wParam);
  // A busy page leaves the drop alone (the page itself releases it).
  auto take = [&](auto& page, std::int32_t runState, std::vector<std::wstring>& pending, bool expandFolders) {
    if (runState != 0) return false;
    const std::vector<std::wstring> dropped = Sh().droppedFiles(drop);
    pending = expandFolders ? ExpandDropped(dropped) : KeepDropped(dropped);
    Sh().finishDrop(drop);
    if (!pending.empty()) page.StartImport();
    return true;
  };
  if (wjsztab && message.hwnd == wjsztab->handle())
    return take(*wjsztab, wjsztab->wjsz_runstate, wjsztab->wjsz_filelist, true);
  if (yysztab && message.hwnd == yysztab->handle())
    return take(*yysztab, yysztab->yysz_runstate, yysztab->yysz_filelist, true);
  if (wjfstab && message.hwnd == wjfstab->handle())
    return take(*wjfstab, wjfstab->wjfs_runstate, wjfstab->wjfs_filelist, false);
  return false;
}

bool Tfrmmain::PickFiles(std::wstring_view moduleKey) {
  constexpr DWORD kCommon = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
                            OFN_HIDEREADONLY | OFN_ENABLESIZING;
  const wchar_t* title = nullptr;
  std::wstring filter;
  DWORD flags = kCommon;
  std::vector<std::wstring>* pending = nullptr;
  if (EqualsNoCase(moduleKey, L"wjsz")) {
    title = L"请选择您要设置的文件...";
    filter = std::wstring(L"所有格式") + L'\0' + L"*.*" + L'\0';
    flags |= OFN_NODEREFERENCELINKS;
    pending = &wjsztab->wjsz_filelist;
  } else if (EqualsNoCase(moduleKey, L"wjfs")) {
    title = L"请选择您要粉碎的文件...";
    filter = std::wstring(L"所有格式") + L'\0' + L"*.*" + L'\0';
    pending = &wjfstab->wjfs_filelist;
  } else if (EqualsNoCase(moduleKey, L"yysz")) {
    title = L"请选择您要设置的音乐文件...";
    filter = std::wstring(L"*.mp3;*.wma") + L'\0' + L"*.mp3;*.wma" + L'\0';
    pending = &yysztab->yysz_filelist;
  } else {
    return false;
  }
  filter += L'\0';

  // Large enough for thousands of chosen names.
  std::vector<wchar_t> buffer(1 << 17, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd_;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrInitialDir = pickFolder_.c_str();
  ofn.lpstrTitle = title;
  ofn.Flags = flags;
  if (!GetOpenFileNameW(&ofn)) return false;

  std::vector<std::wstring> files = ChosenFiles(buffer.data());
  if (files.empty()) return false;
  pickFolder_ = ExcludeTrailingBackslash(ExtractFilePath(files.front()));
  *pending = std::move(files);
  return true;
}

}  // namespace wv
