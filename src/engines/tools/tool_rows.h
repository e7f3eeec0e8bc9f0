#pragma once
// Rows of the file-tool lists as plain values: the engine reads and writes them,
// an owner-data list view shows them and hears of each change, so that a list of
// ten thousand files never copies its texts into the control.

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/list_order.h"

namespace wv {

// The page's picture for a row of this path (its shell icon); an engine that
// imports rows stores what it answers. Unset: rows have no picture (-1).
using RowImageLookup = std::function<int(std::wstring_view path)>;

template <class Row>
class ToolRows {
 public:
  // Updated: one row changed (index); Appended: a new last row (index); Reset:
  // anything else (many rows changed, rows removed or reordered; index unused).
  enum class Change { Appended, Updated, Reset };
  using Observer = std::function<void(Change change, std::size_t index)>;

  [[nodiscard]] std::size_t size() const { return rows_.size(); }
  [[nodiscard]] bool empty() const { return rows_.empty(); }
  [[nodiscard]] const Row& at(std::size_t index) const { return rows_.at(index); }
  Row& edit(std::size_t index) { return rows_.at(index); }  // then updated(index) or changedAll()
  [[nodiscard]] const std::vector<Row>& rows() const { return rows_; }

  void append(Row row) {
    rows_.push_back(std::move(row));
    notify(Change::Appended, rows_.size() - 1);
  }
  void updated(std::size_t index) { notify(Change::Updated, index); }
  void changedAll() { notify(Change::Reset, 0); }
  void clear() {
    rows_.clear();
    changedAll();
  }
  // Removes the rows whose keep() answers false, in one pass and one notice.
  template <class Keep>
  std::size_t keepIf(Keep keep) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      if (!keep(i)) continue;
      if (kept != i) rows_[kept] = std::move(rows_[i]);
      ++kept;
    }
    const std::size_t removed = rows_.size() - kept;
    rows_.resize(kept);
    if (removed) changedAll();
    return removed;
  }
  // Replaces every row at once (sorting).
  void assign(std::vector<Row> rows) {
    rows_ = std::move(rows);
    changedAll();
  }
  // Moves row source to stand at index place (0 .. size-1); the rows between
  // shift by one. Returns place, or -1 when either index is outside the list.
  int moveTo(int source, int place) {
    const int count = static_cast<int>(rows_.size());
    if (source < 0 || source >= count || place < 0 || place >= count) return -1;
    const auto first = rows_.begin();
    if (place > source) std::rotate(first + source, first + source + 1, first + place + 1);
    else if (place < source) std::rotate(first + place, first + source, first + source + 1);
    if (place != source) changedAll();
    return place;
  }

  void setObserver(Observer observer) { observer_ = std::move(observer); }

 private:
  void notify(Change change, std::size_t index) {
    if (observer_) observer_(change, index);
  }
  std::vector<Row> rows_;
  Observer observer_;
};

// Sorts the rows by the text a column shows, exactly as a list sorts a column
// (SortByText): without regard to ASCII case, each call on the same column reversing the order.
template <class Row, class Text>
void SortRowsByText(ToolRows<Row>& rows, Text text) {
  if (rows.size() < 2) return;
  // Each row's text is made once, not once per comparison.
  std::vector<std::pair<std::wstring, std::size_t>> keys;
  keys.reserve(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) keys.emplace_back(text(rows.at(i)), i);
  SortByText(keys, [](const std::pair<std::wstring, std::size_t>& key) -> const std::wstring& { return key.first; });
  std::vector<Row> sorted;
  sorted.reserve(keys.size());
  for (const auto& key : keys) sorted.push_back(rows.at(key.second));
  rows.assign(std::move(sorted));
}

}  // namespace wv
