#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cwchar>

#include "platform/text.h"
#include "platform/win32/win32_platform.h"

#include <commdlg.h>  // after windows.h

namespace wv {
namespace {

// The classic buffer for one dropped path; longer paths are read whole anyway.
constexpr UINT kDropBuffer = 300;

const wchar_t* OrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

// Calls fill(buffer, size) -> length, growing the buffer until the text fits.
template <class Fill>
std::wstring GrowingText(Fill fill) {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  for (;;) {
    const DWORD got = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (got == 0) return {};
    if (got < buffer.size()) {
      buffer.resize(got);
      return buffer;
    }
    buffer.resize(got + 1);
  }
}

// Balances CoInitialize where this thread had not initialised COM already.
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT hr_;
};

class ErrorModeScope {
 public:
  ErrorModeScope() : previous_(GetErrorMode()) { SetErrorMode(previous_ | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX); }
  ~ErrorModeScope() { SetErrorMode(previous_); }
  ErrorModeScope(const ErrorModeScope&) = delete;
  ErrorModeScope& operator=(const ErrorModeScope&) = delete;

 private:
  UINT previous_;
};

struct PidlDeleter {
  void operator()(ITEMIDLIST* pidl) const noexcept { CoTaskMemFree(pidl); }
};
using UniquePidl = std::unique_ptr<ITEMIDLIST, PidlDeleter>;

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data != 0) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

// "X:\..." or "\\server\...": one file whatever the current folder. A bare name,
// a relative path or a path from the current drive's root would be looked for.
bool IsFullFilePath(std::wstring_view path) {
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\')
    return (path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z');
  return path.size() > 2 && path.starts_with(L"\\\\") && path[2] != L'\\' && path[2] != L'.' && path[2] != L'?';
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

struct ChildSearch {
  const std::wstring* className;
  HWND found;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ChildSearch*>(param);
  wchar_t name[257];  // class names are at most 256 characters
  if (GetClassNameW(window, name, 257) > 0 && lstrcmpiW(name, search->className->c_str()) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int Win32Shell::fileOperation(HWND owner, FileOpFunc func, const std::vector<std::wstring>& sources,
                              std::wstring_view target, unsigned flags) {
  std::wstring from;
  std::size_t count = 0;
  for (const std::wstring& source : sources) {
    if (source.empty()) continue;  // an empty entry would end the list early
    from += source;
    from += L'\0';
    ++count;
  }
  if (count == 0) return 0;  // nothing to do
  from += L'\0';
  std::wstring to(target);
  if (func == FileOpFunc::Move && count > 1 && !target.empty()) {
    // Wine cancels a move of several files into one folder; naming each file's
    // destination does the same everywhere.
    std::wstring folder(target);
    if (folder.back() != L'\\') folder += L'\\';
    to.clear();
    for (const std::wstring& source : sources) {
      if (source.empty()) continue;
      std::wstring_view name(source);
      while (name.size() > 1 && name.back() == L'\\') name.remove_suffix(1);
      name = name.substr(name.rfind(L'\\') + 1);
      to += folder;
      to += name;
      to += L'\0';
    }
    flags |= FOF_MULTIDESTFILES;
  }
  to += L'\0';
  to += L'\0';
  SHFILEOPSTRUCTW op{};
  op.hwnd = owner;
  op.wFunc = static_cast<UINT>(func);
  op.pFrom = from.c_str();
  op.pTo = target.empty() ? nullptr : to.c_str();
  op.fFlags = static_cast<FILEOP_FLAGS>(flags);
  const int result = SHFileOperationW(&op);
  // A confirmation the user declined, or a progress the user stopped, leaves
  // files behind: that is no success, and the caller must not go on removing.
  if (op.fAnyOperationsAborted) return ERROR_CANCELLED;
  return result;
}

void Win32Shell::open(std::wstring_view verb, std::wstring_view file, std::wstring_view params, int show) {
  const std::wstring v(verb), f(file), p(params);
  ShellExecuteW(nullptr, OrNull(v), f.c_str(), OrNull(p), nullptr, show);
}

UniqueHandle Win32Shell::start(std::wstring_view program, std::wstring_view params, int show) {
  if (!IsFullFilePath(program)) return {};
  const std::wstring f(program), p(params);
  // Started in the system folder: a program that looks for a DLL in its current
  // folder must not find one planted where this program was unpacked.
  const std::wstring folder = systemFolder();
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // The caller learns of a failure from the missing process; no box may stop it.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpFile = f.c_str();
  info.lpParameters = OrNull(p);
  info.lpDirectory = OrNull(folder);
  info.nShow = show;
  if (!ShellExecuteExW(&info)) return {};
  return UniqueHandle(info.hProcess);
}

std::wstring Win32Shell::systemProgramPath(std::wstring_view fileName) {
  if (fileName.empty() || fileName.find_first_of(L"\\/:") != std::wstring_view::npos) return {};
  // The system's own Windows folder, also for a user whose session has a private one.
  const std::wstring windows =
      GrowingText([](wchar_t* buffer, DWORD size) { return GetSystemWindowsDirectoryW(buffer, size); });
  for (const std::wstring& folder : {windows, systemFolder()}) {
    if (folder.empty()) continue;
    const std::wstring path = IncludeTrailingBackslash(folder) + std::wstring(fileName);
    if (IsFile(path)) return path;
  }
  return {};
}

bool Win32Shell::runProgram(std::wstring_view program, std::wstring_view commandLine) {
  if (!IsFullFilePath(program)) return false;
  const std::wstring file(program);
  std::wstring command(commandLine);  // CreateProcess may write into it
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process{};
  // Started in its own folder, not in this program's current folder (where a DLL
  // may have been planted); with the program named apart from its command line,
  // nothing is looked for.
  const std::wstring folder = file.substr(0, file.find_last_of(L'\\') + 1);
  if (!CreateProcessW(file.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                      &process))
    return false;
  const UniqueHandle thread(process.hThread), child(process.hProcess);
  return true;
}

std::wstring Win32Shell::browseForFolder(HWND owner, std::wstring_view title, std::wstring_view root,
                                         std::wstring_view initial) {
  ComScope com;  // the new dialog style needs an apartment
  ErrorModeScope quiet;  // no "drive not ready" boxes while the tree is browsed
  const std::wstring caption(title), start(initial);
  UniquePidl rootPidl;
  if (!root.empty()) {
    ITEMIDLIST* pidl = nullptr;
    if (SUCCEEDED(SHParseDisplayName(std::wstring(root).c_str(), nullptr, &pidl, 0, nullptr))) rootPidl.reset(pidl);
  }
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = rootPidl.get();
  info.lpszTitle = caption.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = BrowseCallback;
  info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
  UniquePidl chosen(SHBrowseForFolderW(&info));
  if (!chosen) return {};
  wchar_t* path = nullptr;
  if (FAILED(SHGetNameFromIDList(chosen.get(), SIGDN_FILESYSPATH, &path)) || !path) return {};
  std::wstring result(path);
  CoTaskMemFree(path);
  return result;
}

HIMAGELIST Win32Shell::smallIconList() {
  SHFILEINFOW info{};
  // By attributes alone: no disk access, the list is the same for every path.
  return reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(L"file", FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                                                     SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES));
}

int Win32Shell::smallIconIndex(std::wstring_view path) {
  SHFILEINFOW info{};
  if (!SHGetFileInfoW(std::wstring(path).c_str(), 0, &info, sizeof info,
                      SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_TYPENAME))
    return -1;
  return info.iIcon;
}

UniqueBitmap Win32Shell::smallIconBitmap(std::wstring_view path) {
  const HIMAGELIST list = smallIconList();
  const int index = smallIconIndex(path);
  if (!list || index < 0) return {};
  constexpr int kSide = 16;
  BITMAPINFO bits{};
  bits.bmiHeader.biSize = sizeof bits.bmiHeader;
  bits.bmiHeader.biWidth = kSide;
  bits.bmiHeader.biHeight = -kSide;  // top-down
  bits.bmiHeader.biPlanes = 1;
  bits.bmiHeader.biBitCount = 32;
  bits.bmiHeader.biCompression = BI_RGB;
  WindowDc screen(nullptr);
  void* pixels = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(screen.get(), &bits, DIB_RGB_COLORS, &pixels, nullptr, 0));
  UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
  if (!bitmap || !dc) return {};
  {
    SelectGuard select(dc.get(), bitmap.get());
    const RECT all{0, 0, kSide, kSide};
    FillRect(dc.get(), &all, GetSysColorBrush(COLOR_WINDOW));
    if (!ImageList_Draw(list, index, dc.get(), 0, 0, ILD_NORMAL)) return {};
  }
  return bitmap;
}

std::wstring Win32Shell::specialFolder(int csidl) {
  std::wstring path(MAX_PATH + 1, L'\0');  // the size the call demands
  if (SHGetFolderPathW(nullptr, csidl & ~CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path.data()) != S_OK)
    return {};
  path.resize(std::wcslen(path.c_str()));
  if (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

std::wstring Win32Shell::tempPath() {
  return GrowingText([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); });
}

std::wstring Win32Shell::windowsFolder() {
  return GrowingText([](wchar_t* buffer, DWORD size) { return GetWindowsDirectoryW(buffer, size); });
}

std::wstring Win32Shell::systemFolder() {
  return GrowingText([](wchar_t* buffer, DWORD size) { return GetSystemDirectoryW(buffer, size); });
}

std::vector<std::wstring> Win32Shell::droppedFiles(HDROP drop) {
  std::vector<std::wstring> files;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  std::wstring buffer;
  for (UINT i = 0; i < count; ++i) {
    // A path cut at the buffer's end could name its own parent folder, and the
    // file tools would then work on that: read every path whole.
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    buffer.assign(std::max(kDropBuffer, length + 1), L'\0');
    const UINT got = DragQueryFileW(drop, i, buffer.data(), static_cast<UINT>(buffer.size()));
    if (got == 0) continue;
    files.emplace_back(buffer.data(), got);
  }
  return files;
}

void Win32Shell::finishDrop(HDROP drop) { DragFinish(drop); }

int Win32Shell::messageBox(HWND owner, std::wstring_view text, std::wstring_view caption, unsigned style) {
  return MessageBoxW(owner, std::wstring(text).c_str(), std::wstring(caption).c_str(), style);
}

std::vector<std::wstring> Win32Shell::openFiles(const OpenFilesRequest& request) {
  std::wstring filter = request.filterName + L'\0' + request.filterPattern + L'\0';
  filter += L'\0';
  // Large enough for thousands of chosen names.
  std::vector<wchar_t> buffer(1 << 17, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = request.owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrInitialDir = OrNull(request.initialFolder);
  ofn.lpstrTitle = OrNull(request.title);
  ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY |
              OFN_ENABLESIZING;
  if (!request.followShortcuts) ofn.Flags |= OFN_NODEREFERENCELINKS;
  if (!GetOpenFileNameW(&ofn)) return {};

  // A multiple-selection answer: the folder, then the names; or one full path.
  std::vector<std::wstring> parts;
  for (const wchar_t* p = buffer.data(); *p; p += std::wcslen(p) + 1) parts.emplace_back(p);
  if (parts.size() <= 1) return parts;
  std::wstring folder = parts[0];
  if (folder.back() != L'\\') folder += L'\\';
  std::vector<std::wstring> files;
  for (std::size_t i = 1; i < parts.size(); ++i) files.push_back(folder + parts[i]);
  return files;
}

std::wstring Win32Shell::saveFile(const SaveFileRequest& request) {
  std::wstring filter;
  for (const auto& [caption, masks] : request.filters) {
    filter += caption;
    filter += L'\0';
    filter += masks;
    filter += L'\0';
  }
  filter += L'\0';
  std::vector<wchar_t> buffer(32768, L'\0');
  request.fileName.copy(buffer.data(), std::min(request.fileName.size(), buffer.size() - 1));
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = request.owner;
  ofn.lpstrFilter = request.filters.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrTitle = OrNull(request.title);
  ofn.lpstrDefExt = OrNull(request.defaultExtension);
  ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLESIZING |
              OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&ofn)) return {};
  return buffer.data();
}

void Win32Shell::acceptDrops(HWND window, bool accept) { DragAcceptFiles(window, accept ? TRUE : FALSE); }

void Win32Shell::startRegedit() {
  const UniqueHandle process = StartSystemProgram(SystemProgram::RegistryEditor, L"", SW_SHOWNORMAL);
  if (process) WaitForInputIdle(process.get(), 200);
}

HWND Win32Shell::findWindow(std::wstring_view className) {
  return FindWindowW(std::wstring(className).c_str(), nullptr);
}

HWND Win32Shell::findChild(HWND parent, std::wstring_view className) {
  if (!parent) return nullptr;
  // Any depth: the registry editor's panes may sit inside a splitter window.
  const std::wstring name(className);
  ChildSearch search{&name, nullptr};
  EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void Win32Shell::showAndActivate(HWND window) {
  if (!window) return;
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(GetAncestor(window, GA_ROOT));
  BringWindowToTop(window);
  // Focus can only be set within one input queue: share the window's for the call.
  const DWORD theirs = GetWindowThreadProcessId(window, nullptr);
  const DWORD ours = GetCurrentThreadId();
  const bool attached = theirs != ours && AttachThreadInput(ours, theirs, TRUE);
  SetFocus(window);
  if (attached) AttachThreadInput(ours, theirs, FALSE);
}

void Win32Shell::sendKeyDown(HWND window, unsigned virtualKey) { SendMessageW(window, WM_KEYDOWN, virtualKey, 0); }

void Win32Shell::sendChar(HWND window, wchar_t ch) { SendMessageW(window, WM_CHAR, ch, 0); }

void Win32Shell::sleep(unsigned milliseconds) { Sleep(milliseconds); }

}  // namespace wv

namespace wv {

std::optional<std::uint32_t> Win32Shell::waitForExit(HANDLE process, unsigned milliseconds) {
  if (process == nullptr) return std::uint32_t{0};  // nothing to wait for
  if (WaitForSingleObject(process, milliseconds) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(process, &code)) return std::uint32_t{0xFFFFFFFFu};
  return std::uint32_t{code};
}

}  // namespace wv
