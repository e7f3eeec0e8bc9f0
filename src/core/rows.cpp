#include "core/rows.h"

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
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  indices.erase(std::lower_bound(indices.begin(), indices.end(), rows_.size()), indices.end());
  if (indices.empty()) return;
  std::size_t write = indices.front();
  auto next = indices.begin();
  for (std::size_t read = indices.front(); read < rows_.size(); ++read) {
    if (next != indices.end() && *next == read) {
      ++next;
      continue;
    }
    rows_[write++] = std::move(rows_[read]);
  }
  rows_.resize(write);
  removed_ = std::move(indices);
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

}  // namespace wv
