#include "cleaning/page_fixtures.h"

#include "support/testsupport.h"

namespace wv::test {

std::wstring PageShell::browseForFolder(HWND, std::wstring_view title, std::wstring_view, std::wstring_view) {
  browseTitles.emplace_back(title);
  if (folders.empty()) return {};
  std::wstring answer = std::move(folders.front());
  folders.pop_front();
  return answer;
}

void PageShell::open(std::wstring_view, std::wstring_view file, std::wstring_view params, int) {
  opened.push_back(std::wstring(file) + L" " + std::wstring(params));
}

int PageShell::fileOperation(HWND owner, FileOpFunc func, const std::vector<std::wstring>& sources,
                             std::wstring_view target, unsigned flags) {
  if (duringFileOperation) duringFileOperation();
  return RecordingShell::fileOperation(owner, func, sources, target, flags);
}

StatusHook::StatusHook(std::function<void(std::wstring_view text)> onText) {
  previous_ = SetRunInfoSink([this, onText = std::move(onText)](std::wstring_view text) {
    if (previous_) previous_(text);
    onText(text);
  });
}

StatusHook::~StatusHook() { SetRunInfoSink(std::move(previous_)); }

PlantedTree::PlantedTree(std::wstring_view tag) {
  const std::wstring base = L"C:\\VantorraPageTests";
  CreateDirectoryW(base.c_str(), nullptr);
  root_ = base + L"\\" + std::wstring(tag) + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
          std::to_wstring(GetTickCount64());
  RemoveTree(root_);
  CreateDirectoryW(root_.c_str(), nullptr);
}

PlantedTree::~PlantedTree() {
  RemoveTree(root_);
  // The base goes once the last tree is gone.
  RemoveDirectoryW(L"C:\\VantorraPageTests");
}

std::wstring PlantedTree::operator/(std::wstring_view relative) const { return root_ + L"\\" + std::wstring(relative); }

std::wstring PlantedTree::folder(std::wstring_view relative) {
  const std::wstring full = *this / relative;
  for (std::size_t i = root_.size() + 1; i <= full.size(); ++i)
    if (i == full.size() || full[i] == L'\\') CreateDirectoryW(full.substr(0, i).c_str(), nullptr);
  return full;
}

std::wstring PlantedTree::file(std::wstring_view relative, std::size_t bytes) {
  const std::wstring full = *this / relative;
  const std::size_t slash = full.rfind(L'\\');
  if (slash > root_.size()) folder(std::wstring_view(full).substr(root_.size() + 1, slash - root_.size() - 1));
  WriteBytes(full, std::string(bytes, 'j'));
  return full;
}

namespace {

void Notify(ListViewBase& list, NMLISTVIEW& nm) {
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

void DoubleClick(ListViewBase& list) {
  NMLISTVIEW nm{};
  nm.hdr.code = NM_DBLCLK;
  nm.iItem = list.selected();
  Notify(list, nm);
}

void DragRow(ListViewBase& list, int source, int target) {
  HWND h = list.handle();
  // The control highlights the row under the pointer when the drag begins.
  list.select(source);
  NMLISTVIEW nm{};
  nm.hdr.code = LVN_BEGINDRAG;
  nm.iItem = source;
  Notify(list, nm);
  POINT at{4, 0};
  if (target >= 0) {
    RECT r{};
    ListView_GetItemRect(h, target, &r, LVIR_BOUNDS);
    at = {r.left + 30, (r.top + r.bottom) / 2};
  } else {
    RECT c{};
    GetClientRect(h, &c);
    at = {30, c.bottom - 3};
  }
  SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

void ChooseComboItem(HWND combo, int index) {
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
}

std::vector<std::wstring> ListCaptions(const ListView& list) {
  std::vector<std::wstring> out;
  for (int i = 0; i < list.count(); ++i) out.push_back(list.text(i, 0));
  return out;
}

}  // namespace wv::test
