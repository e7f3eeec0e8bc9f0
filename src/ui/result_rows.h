#pragma once
// The page side of an engine's rows. An engine hands out small structs of plain
// values (a path, a size in bytes, a kind, an item index); the page keeps each
// struct together with the text row its owner-data list view shows, in the same
// order. The view reads the RowModel; handlers read the structs, never the text.
// Change the rows only through this class, so that the two stay in step.
//
//   ResultRows<JunkFile> found{resultModel, FormatJunkRow};
//   JunkFileScan(input, scanRun, found.sink());
//   ... found.at(i).path ...

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_UI, WV_WINDOW_CODE);

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include "ui/list_rows.h"

namespace wv {

template <class Row>
class ResultRows {
 public:
  // How a struct looks as a list row: captions, size text, picture.
  using Format = std::function<ListRow(const Row&)>;

  ResultRows(RowModel& model, Format format) : model_(model), format_(std::move(format)) {}
  ResultRows(const ResultRows&) = delete;
  ResultRows& operator=(const ResultRows&) = delete;

  [[nodiscard]] RowModel& model() const { return model_; }
  [[nodiscard]] std::size_t size() const { return rows_.size(); }
  [[nodiscard]] bool empty() const { return rows_.empty(); }
  [[nodiscard]] const Row& at(std::size_t index) const { return rows_.at(index); }
  [[nodiscard]] const std::vector<Row>& rows() const { return rows_; }

  void clear() {
    rows_.clear();
    model_.clear();
  }

  void append(Row row) {
    ListRow shown = format_(row);
    rows_.push_back(std::move(row));
    model_.append(std::move(shown));
  }

  // Replaces one row and its text.
  void update(std::size_t index, Row row) {
    model_.edit(index) = format_(row);
    rows_.at(index) = std::move(row);
    model_.updated(index);
  }

  // Removes these rows (any order; repeats and indices past the end are ignored)
  // from both sides, with one notice to the view.
  void eraseMany(std::vector<std::size_t> indices) {
    indices = EraseAt(rows_, std::move(indices));
    if (!indices.empty()) model_.eraseMany(std::move(indices));
  }

  // Puts the rows in a new order (order[i]: the present index of the row that
  // comes i-th; a permutation), their texts moved along, not formatted again.
  void reorder(const std::vector<std::size_t>& order) {
    std::vector<Row> rows;
    std::vector<ListRow> shown;
    rows.reserve(order.size());
    shown.reserve(order.size());
    for (const std::size_t i : order) {
      rows.push_back(std::move(rows_.at(i)));
      shown.push_back(model_.at(i));
    }
    rows_ = std::move(rows);
    model_.assign(std::move(shown));
  }

  // What an engine takes to hand out its rows: each one is appended here.
  [[nodiscard]] std::function<void(Row)> sink() {
    return [this](Row row) { append(std::move(row)); };
  }

 private:
  RowModel& model_;
  Format format_;
  std::vector<Row> rows_;
};

}  // namespace wv
