#include "cleaning/cleaning_fixtures.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <atomic>

#include "core/text.h"
#include "support/testsupport.h"

namespace wv::test {
namespace {

std::wstring Text(STRRET& s, LPCITEMIDLIST item) {
  wchar_t* text = nullptr;
  if (FAILED(StrRetToStrW(&s, item, &text)) || !text) return {};
  std::wstring out(text);
  CoTaskMemFree(text);
  return out;
}

}  // namespace

int TestShell::fileOperation(HWND owner, FileOpFunc func, const std::vector<std::wstring>& sources,
                             std::wstring_view target, unsigned flags) {
  if (duringFileOperation) duringFileOperation();
  calls.push_back({func, sources, std::wstring(target), flags});
  std::vector<std::wstring> run;
  for (const std::wstring& s : sources)
    if (!takes || takes(s)) run.push_back(s);
  const int result =
      run.empty() ? 0 : Win32Shell::fileOperation(owner, func, run, target, flags | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR);
  return answer.value_or(result);
}

std::wstring TestShell::browseForFolder(HWND, std::wstring_view, std::wstring_view, std::wstring_view) {
  if (folders.empty()) return {};
  std::wstring answer = std::move(folders.front());
  folders.pop_front();
  return answer;
}

// The bin's items by name (first column) and original folder (second column).
bool InRecycleBin(std::wstring_view path) {
  const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  bool found = false;
  IShellFolder* desktop = nullptr;
  IShellFolder2* bin = nullptr;
  IEnumIDList* items = nullptr;
  LPITEMIDLIST binId = nullptr, item = nullptr;
  if (SUCCEEDED(SHGetDesktopFolder(&desktop)) && SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &binId)) &&
      SUCCEEDED(desktop->BindToObject(binId, nullptr, IID_IShellFolder2, reinterpret_cast<void**>(&bin))) &&
      bin->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &items) == S_OK && items) {
    while (!found && items->Next(1, &item, nullptr) == S_OK) {
      STRRET name{};
      SHELLDETAILS from{};
      found = SUCCEEDED(bin->GetDisplayNameOf(item, SHGDN_INFOLDER, &name)) &&
              SUCCEEDED(bin->GetDetailsOf(item, 1, &from)) &&
              EqualsNoCase(IncludeTrailingBackslash(Text(from.str, item)) + Text(name, item), path);
      CoTaskMemFree(item);
    }
  }
  for (IUnknown* p : std::initializer_list<IUnknown*>{items, bin, desktop})
    if (p) p->Release();
  CoTaskMemFree(binId);
  if (com) CoUninitialize();
  return found;
}

void EmptyRecycleBin() {
  static_cast<void>(SHEmptyRecycleBinW(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND));
}

Planted::Planted(std::wstring_view tag) {
  static std::atomic<int> counter{0};
  root_ = folder(L"C:\\WindowsVantorraTests\\" + std::wstring(tag) + L"_" + std::to_wstring(GetCurrentProcessId()) +
                 L"_" + std::to_wstring(++counter));
}

Planted::~Planted() {
  for (auto it = made_.rbegin(); it != made_.rend(); ++it) RemoveTree(*it);
}

std::wstring Planted::operator/(std::wstring_view relative) const { return root_ + L"\\" + std::wstring(relative); }

std::wstring Planted::full(std::wstring_view path) const {
  return path.size() > 1 && path[1] == L':' ? std::wstring(path) : *this / path;
}

std::wstring Planted::folder(std::wstring_view path) {
  const std::wstring p = full(path);
  for (std::size_t i = 3; i <= p.size(); ++i) {
    if (i < p.size() && p[i] != L'\\') continue;
    const std::wstring part = p.substr(0, i);
    if (!PathExists(part) && CreateDirectoryW(part.c_str(), nullptr)) made_.push_back(part);
  }
  return p;
}

std::wstring Planted::file(std::wstring_view path, std::size_t bytes) {
  const std::wstring p = full(path);
  if (PathExists(p)) return {};
  folder(ExcludeTrailingBackslash(ExtractFilePath(p)));
  WriteBytes(p, std::string(bytes, 'j'));
  made_.push_back(p);
  return p;
}

UniqueFile Hold(const std::wstring& path) {
  return UniqueFile(
      CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::vector<std::wstring> Captions(const std::vector<ListRow>& rows) {
  std::vector<std::wstring> out;
  for (const ListRow& r : rows) out.push_back(r.caption);
  return out;
}

std::vector<std::wstring> Shown(const ScriptedMsgBox& box) {
  std::vector<std::wstring> out;
  for (const auto& m : box.shown())
    out.push_back(m.heading + L" " + std::to_wstring(m.icon) + L" " + std::to_wstring(m.buttons) + L" " + m.text);
  return out;
}

int RowIndex(const RowModel& rows, std::wstring_view caption) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (EqualsNoCase(rows.at(i).caption, caption)) return static_cast<int>(i);
  return -1;
}

namespace {

void Notify(ListViewBase& list, NMLISTVIEW nm) {
  nm.hdr.hwndFrom = list.handle();
  nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list.handle()));
  SendMessageW(GetParent(list.handle()), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

}  // namespace

void ClickColumn(ListViewBase& list, int column) {
  NMLISTVIEW nm{};
  nm.hdr.code = LVN_COLUMNCLICK;
  nm.iItem = -1;
  nm.iSubItem = column;
  Notify(list, nm);
}

void DragRow(ListViewBase& list, int source, int target) {
  HWND h = list.handle();
  list.select(source);  // the control highlights the row under the pointer as the drag begins
  NMLISTVIEW nm{};
  nm.hdr.code = LVN_BEGINDRAG;
  nm.iItem = source;
  Notify(list, nm);
  RECT r{};
  ListView_GetItemRect(h, target, &r, LVIR_BOUNDS);
  const LPARAM at = MAKELPARAM(r.left + 30, (r.top + r.bottom) / 2);
  SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, at);
  SendMessageW(h, WM_LBUTTONUP, 0, at);
}

StatusHook::StatusHook(std::function<void(std::wstring_view text)> onText) {
  previous_ = SetRunInfoSink([this, onText = std::move(onText)](std::wstring_view text) {
    if (previous_) previous_(text);
    onText(text);
  });
}

}  // namespace wv::test
