#include "ui/list_rows.h"

#include <algorithm>

namespace wv {

const std::wstring& ListRow::column(int k) const {
  static const std::wstring kEmpty;
  if (k <= 0) return caption;
  const auto i = static_cast<std::size_t>(k - 1);
  return i < sub.size() ? sub[i] : kEmpty;
}

void RowModel::append(ListRow row) {
  rows_.push_back(std::move(row));
  notify(Change::Appended, rows_.size() - 1);
}

void RowModel::erase(std::size_t index) {
  if (index >= rows_.size()) return;
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
  notify(Change::Removed, index);
}

void RowModel::eraseMany(std::vector<std::size_t> indices) {
  removed_ = EraseAt(rows_, std::move(indices));
  if (removed_.empty()) return;
  notify(Change::RemovedMany, removed_.size());
  removed_.clear();
}

void RowModel::clear() {
  rows_.clear();
  notify(Change::Reset, 0);
}

void RowModel::assign(std::vector<ListRow> rows) {
  rows_ = std::move(rows);
  notify(Change::Reset, 0);
}

void RowModel::updated(std::size_t index) { notify(Change::Updated, index); }

void SortListByColumn(std::vector<ListRow>& rows, int column) {
  SortByText(rows, [column](const ListRow& row) -> const std::wstring& { return row.column(column); });
}

int MoveListItem(std::vector<ListRow>& rows, int source, int target) { return MoveItem(rows, source, target); }

}  // namespace wv
