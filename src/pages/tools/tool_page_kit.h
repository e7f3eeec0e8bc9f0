#pragma once
// Pieces of the file-tool pages beyond the file-tool base: the scrolling
// settings area and the list that follows the engine's rows (file information,
// music), the popup menu's removals and the counted column caption (all three).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/list_rows.h"
#include "engines/tools/tool_rows.h"
#include "ui/list_view.h"
#include "ui/panel.h"

namespace wv {

// A panel with a vertical scroll bar over one child panel taller than itself.
class ScrollBox : public Panel {
 public:
  void create(HWND parent);
  // The inner panel's height; the scroll range follows it.
  void setContentHeight(int height);
  void scrollTo(int offset);
  void scrollLines(int lines);  // positive: down
  [[nodiscard]] int offset() const { return offset_; }
  // The inner panel's width (design units) beside the scroll bar when the box,
  // where it lies now, is width wide: what rules that must clear the bar may use.
  [[nodiscard]] int widthBesideBar(int width) const;
  Panel content;
  static constexpr int kLine = 28;

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void resized(int width, int height) override;

 private:
  void updateBar();
  int contentHeight_ = 0;
  int offset_ = 0;
};

// Keeps the shown rows in step with the engine's rows: one shown row formatted
// per changed engine row, all of them again after a reset.
template <class Row, class Format>
void FollowRows(const ToolRows<Row>& rows, RowModel& shown, typename ToolRows<Row>::Change change,
                std::size_t index, Format format) {
  using Change = typename ToolRows<Row>::Change;
  if (change == Change::Appended) {
    shown.append(format(rows.at(index)));
  } else if (change == Change::Updated) {
    shown.edit(index) = format(rows.at(index));
    shown.updated(index);
  } else {
    std::vector<ListRow> all;
    all.reserve(rows.size());
    for (const Row& row : rows.rows()) all.push_back(format(row));
    shown.assign(std::move(all));
  }
}

// The popup's removals: the rows that "排除选中" (selected) or "排除未选" (the
// others) take out of a list of count rows, ascending; none (nullopt) when the
// whole list goes instead (every row chosen, or none).
std::optional<std::vector<std::size_t>> RowsToExclude(const std::vector<int>& chosen, std::size_t count,
                                                      bool selected);

// RowsToExclude on the rows of a list. Answers false when the whole list goes instead.
template <class Row>
bool RemoveBySelection(ToolRows<Row>& rows, ListViewBase& list, bool selected) {
  const std::optional<std::vector<std::size_t>> gone = RowsToExclude(list.selection(), rows.size(), selected);
  if (!gone) return false;
  std::vector<bool> goes(rows.size());
  for (const std::size_t r : *gone) goes[r] = true;
  list.selectAll(false);
  rows.keepIf([&](std::size_t r) { return !goes[r]; });
  return true;
}

// Starts in-place editing of the first selected row's caption.
void EditSelectedCaption(ListViewBase& list);

// A column caption that counts the list's rows: the bare name for an empty list,
// else the name and "     (共 N 项)".
std::wstring CountedCaption(std::wstring_view name, std::size_t rows);

}  // namespace wv
