#include "ui/list_view.h"

#include <windowsx.h>

#include <algorithm>

#include "ui/dpi.h"

namespace wv {
namespace {

// Posted to an owner-data list after the first of a burst of appended rows.
constexpr UINT kFlushMessage = WM_APP + 0x51;

}  // namespace

// ---------------------------------------------------------------- ListViewBase

void ListViewBase::createList(HWND parent, const ListStyle& style, const std::vector<ListColumn>& columns,
                              bool ownerData) {
  DWORD s = WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS;
  if (!style.multiSelect) s |= LVS_SINGLESEL;
  if (!style.headers) s |= LVS_NOCOLUMNHEADER;
  if (style.editLabels) s |= LVS_EDITLABELS;
  if (ownerData) s |= LVS_OWNERDATA;
  createSystem(parent, WC_LISTVIEWW, s, 0, L"", 0, 0, 100, 100);
  if (!hwnd_) return;
  setFramed(true);
  DWORD ex = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP;
  if (style.checkBoxes) ex |= LVS_EX_CHECKBOXES;
  ListView_SetExtendedListViewStyle(hwnd_, ex);
  for (const ListColumn& c : columns) addColumn(c);
}

int ListViewBase::columnCount() const {
  HWND header = hwnd_ ? ListView_GetHeader(hwnd_) : nullptr;
  return header ? Header_GetItemCount(header) : 0;
}

void ListViewBase::addColumn(const ListColumn& column) {
  if (!hwnd_) return;
  std::wstring caption = column.caption;
  LVCOLUMNW c{};
  c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
  c.fmt = column.format;
  c.cx = dpi::S(column.width);
  c.pszText = caption.data();
  const int index = columnCount();
  c.iSubItem = index;
  SendMessageW(hwnd_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&c));
}

int ListViewBase::columnWidth(int index) const {
  return hwnd_ ? dpi::U(static_cast<int>(SendMessageW(hwnd_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index), 0))) : 0;
}

void ListViewBase::setColumnWidth(int index, int width) {
  // Negative widths are the control's auto-size codes, not lengths.
  const int device = width >= 0 ? dpi::S(width) : width;
  if (hwnd_) SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), MAKELPARAM(device, 0));
}

std::wstring ListViewBase::columnCaption(int index) const {
  if (!hwnd_) return {};
  wchar_t buffer[512] = {};
  LVCOLUMNW c{};
  c.mask = LVCF_TEXT;
  c.pszText = buffer;
  c.cchTextMax = 511;
  SendMessageW(hwnd_, LVM_GETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&c));
  return buffer;
}

void ListViewBase::setColumnCaption(int index, std::wstring_view caption) {
  if (!hwnd_) return;
  std::wstring text(caption);
  LVCOLUMNW c{};
  c.mask = LVCF_TEXT;
  c.pszText = text.data();
  SendMessageW(hwnd_, LVM_SETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&c));
}

int ListViewBase::count() const { return hwnd_ ? ListView_GetItemCount(hwnd_) : 0; }

std::vector<int> ListViewBase::selection() const {
  std::vector<int> out;
  if (!hwnd_) return out;
  for (int i = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED); i >= 0;
       i = ListView_GetNextItem(hwnd_, i, LVNI_SELECTED))
    out.push_back(i);
  return out;
}

int ListViewBase::selected() const { return hwnd_ ? ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED) : -1; }

int ListViewBase::selectedCount() const { return hwnd_ ? static_cast<int>(ListView_GetSelectedCount(hwnd_)) : 0; }

void ListViewBase::select(int index) {
  if (!hwnd_) return;
  ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (index < 0 || index >= count()) return;
  ListView_SetItemState(hwnd_, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(hwnd_, index, FALSE);
}

void ListViewBase::setSelected(int index, bool selected) {
  if (hwnd_) ListView_SetItemState(hwnd_, index, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void ListViewBase::selectAll(bool selected) {
  if (hwnd_) ListView_SetItemState(hwnd_, -1, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

int ListViewBase::topIndex() const { return hwnd_ ? ListView_GetTopIndex(hwnd_) : 0; }

void ListViewBase::setImageList(HIMAGELIST images) {
  if (hwnd_) ListView_SetImageList(hwnd_, images, LVSIL_SMALL);
}

bool ListViewBase::acceptEdit(int index, std::wstring& text) { return onEdited ? onEdited(index, text) : true; }

bool ListViewBase::onNotify(NMHDR* header, LRESULT& result) {
  switch (header->code) {
    case NM_DBLCLK:
      if (onDblClick) onDblClick();
      return true;
    case NM_RCLICK:
      if (onContextMenu) {
        POINT pt;
        GetCursorPos(&pt);
        onContextMenu(pt);
      }
      return true;
    case LVN_COLUMNCLICK:
      if (onColumnClick) onColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      return true;
    case LVN_ITEMCHANGED: {
      auto* nm = reinterpret_cast<NMLISTVIEW*>(header);
      if ((nm->uChanged & LVIF_STATE) && ((nm->uNewState ^ nm->uOldState) & LVIS_SELECTED) && onSelectItem)
        onSelectItem(nm->iItem);
      return false;
    }
    case LVN_BEGINLABELEDITW: {
      auto* nm = reinterpret_cast<NMLVDISPINFOW*>(header);
      result = (onEditing && !onEditing(nm->item.iItem)) ? TRUE : FALSE;
      return true;
    }
    case LVN_ENDLABELEDITW: {
      auto* nm = reinterpret_cast<NMLVDISPINFOW*>(header);
      if (!nm->item.pszText) {  // cancelled
        result = FALSE;
        return true;
      }
      std::wstring text = nm->item.pszText;
      const bool ok = acceptEdit(nm->item.iItem, text);
      if (ok && text != nm->item.pszText) {
        ListView_SetItemText(hwnd_, nm->item.iItem, 0, text.data());
        result = FALSE;  // already stored, in its corrected form
      } else {
        result = ok ? TRUE : FALSE;
      }
      return true;
    }
    case LVN_BEGINDRAG:
      if (onDragDrop && (!onDragOver || onDragOver())) {
        dragging_ = true;
        SetCapture(hwnd_);
      }
      return true;
    default:
      return false;
  }
}

LRESULT ListViewBase::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (dragging_) {
    switch (message) {
      case WM_MOUSEMOVE: {
        const bool allowed = !onDragOver || onDragOver();
        SetCursor(LoadCursorW(nullptr, allowed ? IDC_ARROW : IDC_NO));
        return 0;
      }
      case WM_LBUTTONUP: {
        dragging_ = false;
        ReleaseCapture();
        if (!onDragOver || onDragOver()) {
          LVHITTESTINFO hit{};
          hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
          const int target = ListView_HitTest(hwnd_, &hit);
          if (onDragDrop) onDragDrop(target);
        }
        return 0;
      }
      case WM_CAPTURECHANGED:
        dragging_ = false;
        break;
      default:
        break;
    }
  }
  return Control::handleMessage(message, wParam, lParam);
}

// ---------------------------------------------------------------- ListView

void ListView::create(HWND parent, const ListStyle& style, const std::vector<ListColumn>& columns) {
  createList(parent, style, columns, false);
}

std::wstring ListView::text(int index, int column) const {
  if (!hwnd_) return {};
  std::wstring buffer(256, L'\0');
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const auto n = static_cast<std::size_t>(
        SendMessageW(hwnd_, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    if (n + 1 < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

void ListView::setText(int index, int column, std::wstring_view text) {
  if (!hwnd_) return;
  std::wstring t(text);
  ListView_SetItemText(hwnd_, index, column, t.data());
}

int ListView::image(int index) const {
  if (!hwnd_) return -1;
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = index;
  SendMessageW(hwnd_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return item.iImage < 0 ? -1 : item.iImage;
}

int ListView::state(int index) const {
  if (!hwnd_) return 0;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  SendMessageW(hwnd_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return static_cast<int>(item.lParam);
}

ListRow ListView::row(int index) const {
  ListRow r;
  r.caption = text(index, 0);
  const int columns = columnCount();
  for (int c = 1; c < columns; ++c) r.sub.push_back(text(index, c));
  LVITEMW item{};
  item.mask = LVIF_IMAGE | LVIF_PARAM;
  item.iItem = index;
  SendMessageW(hwnd_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  r.image = item.iImage < 0 ? -1 : item.iImage;
  r.state = static_cast<int>(item.lParam);
  r.checked = checked(index);
  return r;
}

std::vector<ListRow> ListView::rows() const {
  std::vector<ListRow> out;
  const int n = count();
  out.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) out.push_back(row(i));
  return out;
}

void ListView::writeRow(int index, const ListRow& row, bool insert) {
  std::wstring caption = row.caption;
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = index;
  item.pszText = caption.data();
  item.iImage = row.image < 0 ? I_IMAGENONE : row.image;  // -1 would ask for a callback
  item.lParam = row.state;
  if (insert) {
    index = static_cast<int>(SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) return;
  } else {
    SendMessageW(hwnd_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  const int columns = columnCount();
  for (int c = 1; c < columns; ++c) {
    const std::size_t s = static_cast<std::size_t>(c - 1);
    std::wstring t = s < row.sub.size() ? row.sub[s] : std::wstring();
    ListView_SetItemText(hwnd_, index, c, t.data());
  }
  ListView_SetCheckState(hwnd_, index, row.checked ? TRUE : FALSE);
}

int ListView::appendRow(const ListRow& row) {
  if (!hwnd_) return -1;
  const int index = count();
  writeRow(index, row, true);
  return index;
}

void ListView::setRow(int index, const ListRow& row) {
  if (hwnd_ && index >= 0 && index < count()) writeRow(index, row, false);
}

void ListView::setRows(const std::vector<ListRow>& rows) {
  if (!hwnd_) return;
  SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(hwnd_);
  for (const ListRow& r : rows) writeRow(count(), r, true);
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void ListView::deleteRow(int index) {
  if (hwnd_) ListView_DeleteItem(hwnd_, index);
}

void ListView::clear() {
  if (hwnd_) ListView_DeleteAllItems(hwnd_);
}

// A row without a check box (state picture 0) is not ticked.
bool ListView::checked(int index) const { return hwnd_ && ListView_GetCheckState(hwnd_, index) == 1; }

void ListView::setCheckBoxShown(int index, bool shown) {
  if (!hwnd_) return;
  if (shown) {
    ListView_SetCheckState(hwnd_, index, FALSE);
  } else {
    ListView_SetItemState(hwnd_, index, INDEXTOSTATEIMAGEMASK(0), LVIS_STATEIMAGEMASK);
  }
}

bool ListView::checkBoxShown(int index) const {
  return hwnd_ && (ListView_GetItemState(hwnd_, index, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) != 0;
}

void ListView::setChecked(int index, bool checked) {
  if (hwnd_) ListView_SetCheckState(hwnd_, index, checked ? TRUE : FALSE);
}

void ListView::setAllChecked(bool checked) {
  const int n = count();
  for (int i = 0; i < n; ++i) setChecked(i, checked);
}

int ListView::checkedCount() const {
  int n = 0;
  const int total = count();
  for (int i = 0; i < total; ++i)
    if (checked(i)) ++n;
  return n;
}

bool ListView::onNotify(NMHDR* header, LRESULT& result) {
  if (header->code == LVN_ITEMCHANGED) {
    auto* nm = reinterpret_cast<NMLISTVIEW*>(header);
    if ((nm->uChanged & LVIF_STATE) && ((nm->uNewState ^ nm->uOldState) & LVIS_STATEIMAGEMASK) && nm->iItem >= 0 &&
        onCheckChanged)
      onCheckChanged(nm->iItem);
  }
  return ListViewBase::onNotify(header, result);
}

// ---------------------------------------------------------------- OwnerDataListView

OwnerDataListView::~OwnerDataListView() {
  if (model_) model_->setObserver({});
}

void OwnerDataListView::create(HWND parent, const ListStyle& style, const std::vector<ListColumn>& columns,
                               RowModel& model) {
  ListStyle s = style;
  s.checkBoxes = false;
  createList(parent, s, columns, true);
  model_ = &model;
  model_->setObserver([this](RowModel::Change change, std::size_t index) { changed(change, index); });
  if (hwnd_) ListView_SetItemCountEx(hwnd_, static_cast<int>(model_->size()), 0);
}

void OwnerDataListView::changed(RowModel::Change change, std::size_t index) {
  if (!hwnd_) return;
  switch (change) {
    case RowModel::Change::Appended:
      pending_ = true;
      if (!posted_) posted_ = PostMessageW(hwnd_, kFlushMessage, 0, 0) != FALSE;
      break;
    case RowModel::Change::Removed:
      // The control shifts its selection with the row; pending appends come first.
      if (pending_) flush();
      ListView_DeleteItem(hwnd_, static_cast<int>(index));
      if (count() != static_cast<int>(model_->size()))
        ListView_SetItemCountEx(hwnd_, static_cast<int>(model_->size()), LVSICF_NOSCROLL);
      break;
    case RowModel::Change::RemovedMany:
      removedMany();
      break;
    case RowModel::Change::Reset:
      pending_ = false;
      dropSelection();
      ListView_SetItemCountEx(hwnd_, static_cast<int>(model_->size()), 0);
      InvalidateRect(hwnd_, nullptr, TRUE);
      break;
    case RowModel::Change::Updated:
      if (static_cast<int>(index) < count()) ListView_RedrawItems(hwnd_, static_cast<int>(index), static_cast<int>(index));
      break;
  }
}

void OwnerDataListView::dropSelection() {
  // The control holds no rows of its own, so emptying it costs nothing, and it
  // forgets its highlight in one step: clearing that row by row sends a notice
  // per highlighted row (about 0.2 ms each under Wine).
  ListView_DeleteAllItems(hwnd_);
}

void OwnerDataListView::removedMany() {
  // One step with the drawing held: deleting row by row repaints each time
  // (about 15 ms under Wine, minutes for a long list).
  const std::vector<std::size_t>& gone = model_->removedIndices();
  auto shifted = [&](int i) -> int {
    if (i < 0) return -1;
    const auto at = std::lower_bound(gone.begin(), gone.end(), static_cast<std::size_t>(i));
    if (at != gone.end() && *at == static_cast<std::size_t>(i)) return -1;
    return i - static_cast<int>(at - gone.begin());
  };
  // Highlighted rows that stay keep their highlight, found at a message each;
  // past this many (a removal that big rarely leaves any) it is dropped.
  constexpr int kKeptHighlightLimit = 500;
  std::vector<int> keep;
  if (selectedCount() <= kKeptHighlightLimit)
    for (int i : selection())
      if (const int to = shifted(i); to >= 0) keep.push_back(to);
  const int focus = shifted(ListView_GetNextItem(hwnd_, -1, LVNI_FOCUSED));
  const int top = std::max(0, shifted(topIndex()));

  pending_ = false;
  SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  dropSelection();
  ListView_SetItemCountEx(hwnd_, static_cast<int>(model_->size()), LVSICF_NOSCROLL);
  for (int i : keep) ListView_SetItemState(hwnd_, i, LVIS_SELECTED, LVIS_SELECTED);
  if (focus >= 0) ListView_SetItemState(hwnd_, focus, LVIS_FOCUSED, LVIS_FOCUSED);
  RECT row{};
  if (top > 0 && ListView_GetItemRect(hwnd_, 0, &row, LVIR_BOUNDS))
    ListView_Scroll(hwnd_, 0, top * (row.bottom - row.top));
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void OwnerDataListView::flush() {
  if (!hwnd_ || !model_) return;
  const int n = static_cast<int>(model_->size());
  if (pending_ || count() != n) {
    pending_ = false;
    ListView_SetItemCountEx(hwnd_, n, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  }
  if (follow_ && n > 0) {
    follow_ = false;
    ListView_EnsureVisible(hwnd_, n - 1, FALSE);
  }
}

void OwnerDataListView::followTail() {
  follow_ = true;
  if (hwnd_ && !posted_) posted_ = PostMessageW(hwnd_, kFlushMessage, 0, 0) != FALSE;
}

LRESULT OwnerDataListView::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kFlushMessage) {
    posted_ = false;
    flush();
    return 0;
  }
  return ListViewBase::handleMessage(message, wParam, lParam);
}

bool OwnerDataListView::acceptEdit(int index, std::wstring& text) {
  if (!ListViewBase::acceptEdit(index, text)) return false;
  if (index >= 0 && static_cast<std::size_t>(index) < model_->size()) {
    model_->edit(static_cast<std::size_t>(index)).caption = text;
    model_->updated(static_cast<std::size_t>(index));
  }
  return false;  // the model holds the caption; the control keeps none of its own
}

bool OwnerDataListView::onNotify(NMHDR* header, LRESULT& result) {
  if (header->code == LVN_GETDISPINFOW) {
    auto* nm = reinterpret_cast<NMLVDISPINFOW*>(header);
    LVITEMW& item = nm->item;
    if (!model_ || item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= model_->size()) return true;
    const ListRow& row = model_->at(static_cast<std::size_t>(item.iItem));
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
      const std::wstring& t = row.column(item.iSubItem);
      const std::size_t n = std::min(t.size(), static_cast<std::size_t>(item.cchTextMax - 1));
      t.copy(item.pszText, n);
      item.pszText[n] = L'\0';
    }
    if (item.mask & LVIF_IMAGE) item.iImage = row.image < 0 ? I_IMAGENONE : row.image;
    result = 0;
    return true;
  }
  if (header->code == LVN_DELETEALLITEMS) {
    result = TRUE;  // no notice per row: the control holds none
    return true;
  }
  if (header->code == LVN_ODFINDITEMW) {
    result = -1;
    return true;
  }
  return ListViewBase::onNotify(header, result);
}

// ---------------------------------------------------------------- FitListColumn

void FitListColumn(ListViewBase& list, int column) {
  if (!list.created() || column < 0 || column >= list.columnCount()) return;
  const int listWidth = list.width();
  const RECT client = list.clientRect();
  const int clientWidth = client.right - client.left;
  // Negative widths are the control's auto-size codes: a column never goes below 0.
  auto setWidth = [&](int w) { list.setColumnWidth(column, std::max(0, w)); };
  if (list.columnWidth(column) < 100) setWidth(100);
  setWidth(list.columnWidth(column) + (listWidth - clientWidth - 18));
  int sum = 0;
  for (int c = 0; c < list.columnCount(); ++c) sum += list.columnWidth(c);
  // Columns wider than the list (after a restore from maximised) shrink back too,
  // the stretched one never below 100 px.
  if (listWidth - sum != 18) setWidth(std::max(100, list.columnWidth(column) + (listWidth - sum - 18)));
}

}  // namespace wv
