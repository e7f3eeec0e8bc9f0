#include "cleaning/cleaning_fixtures.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "core/text.h"
#include "support/testsupport.h"

namespace wv::test {
namespace {

// COM for one helper call.
class ComScope {
 public:
  ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (ok_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool ok_;
};

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T** put() { return &p_; }
  void** putVoid() { return reinterpret_cast<void**>(&p_); }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

struct ItemIdList {
  ~ItemIdList() { CoTaskMemFree(p); }
  LPITEMIDLIST p = nullptr;
};

std::wstring StrRet(STRRET& s, LPCITEMIDLIST item) {
  wchar_t* text = nullptr;
  if (FAILED(StrRetToStrW(&s, item, &text)) || !text) return {};
  std::wstring out(text);
  CoTaskMemFree(text);
  return out;
}

// Calls fn(folder, item) for every item of the bin until fn answers true.
bool ForEachBinItem(const std::function<bool(IShellFolder2*, LPCITEMIDLIST)>& fn) {
  ComPtr<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(desktop.put()))) return false;
  ItemIdList binId;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &binId.p))) return false;
  ComPtr<IShellFolder2> bin;
  if (FAILED(desktop->BindToObject(binId.p, nullptr, IID_IShellFolder2, bin.putVoid()))) return false;
  ComPtr<IEnumIDList> items;
  if (bin->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, items.put()) != S_OK ||
      !items)
    return false;
  ItemIdList item;
  ULONG got = 0;
  while (items->Next(1, &item.p, &got) == S_OK) {
    if (fn(bin.operator->(), item.p)) return true;
    CoTaskMemFree(item.p);
    item.p = nullptr;
  }
  return false;
}

// Name (first column) and original folder (second column) of a bin item.
bool IsBinItemOf(IShellFolder2* bin, LPCITEMIDLIST item, std::wstring_view path) {
  const std::wstring_view folder = ExtractFilePath(path);
  const std::wstring_view name = ExtractFileName(path);
  STRRET s{};
  if (FAILED(bin->GetDisplayNameOf(item, SHGDN_INFOLDER, &s))) return false;
  if (!EqualsNoCase(StrRet(s, item), name)) return false;
  SHELLDETAILS d{};
  if (FAILED(bin->GetDetailsOf(item, 1, &d))) return false;
  return EqualsNoCase(ExcludeTrailingBackslash(StrRet(d.str, item)), ExcludeTrailingBackslash(folder));
}

}  // namespace

bool FakeRun::proceed() {
  ++calls;
  if (stopped) {
    ++callsAfterStop;
    return false;
  }
  if (calls > limit_) {
    limitHit = true;
    stopped = true;
    return false;
  }
  if (stopWhen_ && stopWhen_()) {
    stopped = true;
    return false;
  }
  return true;
}

int RecordingShell::fileOperation(HWND owner, FileOpFunc func, const std::vector<std::wstring>& sources,
                                  std::wstring_view target, unsigned flags) {
  calls.push_back({func, sources, std::wstring(target), flags});
  std::vector<std::wstring> run = sources;
  if (failAfterFiles) {
    run.clear();
    for (const std::wstring& s : sources) {
      const DWORD a = GetFileAttributesW(s.c_str());
      if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY)) run.push_back(s);
    }
  }
  int result = 0;
  if (!run.empty())
    result = Win32Shell::fileOperation(owner, func, run, target, flags | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR);
  return failAfterFiles ? 1 : result;
}

bool RecycleBinHolds(std::wstring_view path) {
  ComScope com;
  return ForEachBinItem([&](IShellFolder2* bin, LPCITEMIDLIST item) { return IsBinItemOf(bin, item, path); });
}

bool RestoreFromRecycleBin(std::wstring_view path) {
  ComScope com;
  ForEachBinItem([&](IShellFolder2* bin, LPCITEMIDLIST item) {
    if (!IsBinItemOf(bin, item, path)) return false;
    ComPtr<IContextMenu> menu;
    LPCITEMIDLIST items[1] = {item};
    if (FAILED(bin->GetUIObjectOf(nullptr, 1, items, IID_IContextMenu, nullptr, menu.putVoid()))) return true;
    HMENU popup = CreatePopupMenu();
    if (SUCCEEDED(menu->QueryContextMenu(popup, 0, 0, 0x7fff, CMF_NORMAL))) {
      // The bin's first command, "restore", is number 301 in this shell.
      CMINVOKECOMMANDINFO info{};
      info.cbSize = sizeof info;
      info.lpVerb = MAKEINTRESOURCEA(301);
      info.nShow = SW_HIDE;
      static_cast<void>(menu->InvokeCommand(&info));
    }
    DestroyMenu(popup);
    return true;
  });
  return PathExists(path);
}

Planted::~Planted() {
  for (auto it = made_.rbegin(); it != made_.rend(); ++it) RemoveTree(*it);
}

std::wstring Planted::folder(const std::wstring& path) {
  for (std::size_t i = 3; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != L'\\') continue;
    const std::wstring part = path.substr(0, i);
    if (GetFileAttributesW(part.c_str()) == INVALID_FILE_ATTRIBUTES && CreateDirectoryW(part.c_str(), nullptr))
      made_.push_back(part);
  }
  return path;
}

std::wstring Planted::file(const std::wstring& path, std::string_view content) {
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return {};
  folder(std::wstring(ExcludeTrailingBackslash(ExtractFilePath(path))));
  WriteBytes(path, content);
  made_.push_back(path);
  return path;
}

HeldOpen::HeldOpen(const std::wstring& path)
    : handle_(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {}

HeldOpen::~HeldOpen() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

std::vector<std::wstring> Captions(const RowModel& rows) {
  std::vector<std::wstring> out;
  for (const ListRow& r : rows.rows()) out.push_back(r.caption);
  return out;
}

int RowIndex(const RowModel& rows, std::wstring_view caption) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (EqualsNoCase(rows.at(i).caption, caption)) return static_cast<int>(i);
  return -1;
}

std::wstring ShortPathOf(const std::wstring& path) {
  const DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring out(n, L'\0');
  const DWORD got = GetShortPathNameW(path.c_str(), out.data(), n);
  out.resize(got);
  return out;
}

std::wstring LinksRoot() { return L"C:\\WindowsVantorraFixtures\\links"; }

}  // namespace wv::test
