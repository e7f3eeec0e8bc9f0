#pragma once
// A list row as the pages show it, and the model that an owner-data list view
// shows: the page appends, the view reads by index. Also the pictures of the
// shared row list, and sorting and reordering rows.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_UI, WV_WINDOW_CODE);

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/list_order.h"

namespace wv {

// The pictures of the shared row image list (IDB_IMAGELIST, 16 x 16 each): the
// image index of catalogue, result and folder rows.
namespace picture {
enum RowPicture : int {
  Software = 0,
  RegistryHive = 1,
  FixedDrive = 2,
  Browser = 3,
  Folder = 4,
  File = 5,
  JunkFile = 6,
  RecycleBin = 7,
  MissingTarget = 8,
  RegistryBackup = 9,
  RegistryBackupMissing = 10,
  Archive = 11,
  ArchiveMissing = 12,
  Program = 13,
  TempFolders = 14,
  History = 15,
  SharedLibrary = 16,
  Menu = 17,
  Help = 18,
  Font = 19,
  Component = 20,
  UserFolders = 21,
  Logs = 22,
};
}  // namespace picture

struct ListRow {
  std::wstring caption;
  std::vector<std::wstring> sub;  // sub-items, column 1 onwards
  int image = -1;                 // index into the list's image list (picture:: for the shared one)
  int state = 0;                  // catalogue rows: the recommended flag
  bool checked = false;
  std::uint64_t size = 0;         // file rows: the size in bytes behind the size text

  // Column 0 is the caption, column k >= 1 sub-item k-1 (empty when absent).
  [[nodiscard]] const std::wstring& column(int k) const;
};

// Rows in order. Observers hear of every change so that a view can follow; a
// view may defer its own repaint (it is told the new count each time).
class RowModel {
 public:
  // RemovedMany: index is the number of rows removed; removedIndices() names them.
  enum class Change { Appended, Removed, Reset, Updated, RemovedMany };
  using Observer = std::function<void(Change change, std::size_t index)>;

  [[nodiscard]] std::size_t size() const { return rows_.size(); }
  [[nodiscard]] bool empty() const { return rows_.empty(); }
  [[nodiscard]] const ListRow& at(std::size_t index) const { return rows_.at(index); }
  ListRow& edit(std::size_t index) { return rows_.at(index); }  // call updated() afterwards
  [[nodiscard]] const std::vector<ListRow>& rows() const { return rows_; }

  void append(ListRow row);
  void erase(std::size_t index);
  // Removes these rows (any order; repeats and indices past the end are ignored)
  // in one pass and one notice: a view told of each row alone repaints each time.
  void eraseMany(std::vector<std::size_t> indices);
  // During a RemovedMany notice: the removed rows' former indices, ascending.
  [[nodiscard]] const std::vector<std::size_t>& removedIndices() const { return removed_; }
  void clear();
  // Replaces every row at once (sorting, loading).
  void assign(std::vector<ListRow> rows);
  void updated(std::size_t index);

  void setObserver(Observer observer) { observer_ = std::move(observer); }

 private:
  void notify(Change change, std::size_t index) {
    if (observer_) observer_(change, index);
  }
  std::vector<ListRow> rows_;
  std::vector<std::size_t> removed_;
  Observer observer_;
};

// Sorts by the column (0 caption, k >= 1 sub-item k-1) as text without regard to
// ASCII case; descending when the first row is below the last one by that same
// comparison, else ascending, so that each call on the same column reverses the order.
void SortListByColumn(std::vector<ListRow>& rows, int column);
// Moves row source to the place of row target (insert before target, after it when
// target lies below source); target -1 or out of range means the last row.
// Returns the new index of the moved row.
int MoveListItem(std::vector<ListRow>& rows, int source, int target);

}  // namespace wv
