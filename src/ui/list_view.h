#pragma once
// List views in report style. ListView keeps its rows in the control (catalogue
// lists, folder lists: a few dozen rows, read back as ListRow values);
// OwnerDataListView shows a RowModel that engines append to, and follows it in
// coalesced steps so that a hundred thousand appended rows cost one count update
// per message drain instead of one repaint each.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_UI, WV_WINDOW_CODE);

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/list_rows.h"
#include "ui/window.h"

namespace wv {

struct ListColumn {
  std::wstring caption;
  int width = 100;
  int format = LVCFMT_LEFT;  // LVCFMT_RIGHT for sizes
};

struct ListStyle {
  bool checkBoxes = false;
  bool multiSelect = false;
  bool headers = true;
  bool editLabels = false;  // the caption can be edited in place
};

class ListViewBase : public Control {
 public:
  [[nodiscard]] int columnCount() const;
  void addColumn(const ListColumn& column);
  // Column widths are in design units (ui/dpi.h).
  [[nodiscard]] int columnWidth(int index) const;
  void setColumnWidth(int index, int width);
  [[nodiscard]] std::wstring columnCaption(int index) const;
  void setColumnCaption(int index, std::wstring_view caption);

  // Rows the control shows (an owner-data list may be a step behind its model).
  [[nodiscard]] int count() const;

  [[nodiscard]] std::vector<int> selection() const;  // highlighted rows, ascending
  [[nodiscard]] int selected() const;                // first highlighted row or -1
  [[nodiscard]] int selectedCount() const;
  void select(int index);  // only this row, focused and in view; -1 clears
  void setSelected(int index, bool selected);
  void selectAll(bool selected);
  [[nodiscard]] int topIndex() const;

  // The list never frees its picture list: its owner keeps it alive.
  void setImageList(HIMAGELIST images);

  std::function<void()> onDblClick;
  std::function<void(int column)> onColumnClick;
  std::function<void(int index)> onSelectItem;          // a row became (or stopped being) selected
  std::function<void(POINT screen)> onContextMenu;      // right click
  std::function<bool(int index)> onEditing;             // may the caption be edited?
  std::function<bool(int index, std::wstring& text)> onEdited;  // accept the new caption?
  // Dragging rows within the list: onDragOver says whether a drop is allowed now,
  // onDragDrop gets the target row under the pointer (-1 below the last row).
  std::function<bool()> onDragOver;
  std::function<void(int target)> onDragDrop;

 protected:
  void createList(HWND parent, const ListStyle& style, const std::vector<ListColumn>& columns, bool ownerData);
  bool onNotify(NMHDR* header, LRESULT& result) override;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual bool acceptEdit(int index, std::wstring& text);

 private:
  bool dragging_ = false;
};

class ListView : public ListViewBase {
 public:
  void create(HWND parent, const ListStyle& style, const std::vector<ListColumn>& columns);

  [[nodiscard]] std::vector<ListRow> rows() const;
  [[nodiscard]] ListRow row(int index) const;
  void setRows(const std::vector<ListRow>& rows);
  int appendRow(const ListRow& row);  // the new row's index
  void setRow(int index, const ListRow& row);
  void deleteRow(int index);
  void clear();

  [[nodiscard]] std::wstring text(int index, int column) const;
  void setText(int index, int column, std::wstring_view text);
  [[nodiscard]] int image(int index) const;
  [[nodiscard]] int state(int index) const;  // the row's own number (catalogue: recommended flag)

  [[nodiscard]] bool checked(int index) const;
  void setChecked(int index, bool checked);
  void setAllChecked(bool checked);
  [[nodiscard]] int checkedCount() const;
  // A row without a check box (a heading among ticked rows) is never ticked;
  // showing the box again shows it empty, as setChecked does.
  void setCheckBoxShown(int index, bool shown);
  [[nodiscard]] bool checkBoxShown(int index) const;
  std::function<void(int index)> onCheckChanged;

 protected:
  bool onNotify(NMHDR* header, LRESULT& result) override;

 private:
  void writeRow(int index, const ListRow& row, bool insert);
};

class OwnerDataListView : public ListViewBase {
 public:
  ~OwnerDataListView() override;
  void create(HWND parent, const ListStyle& style, const std::vector<ListColumn>& columns, RowModel& model);
  [[nodiscard]] RowModel& model() { return *model_; }
  [[nodiscard]] const RowModel& model() const { return *model_; }

  // Shows the model's rows now (otherwise this happens at the next message drain).
  void flush();
  // Keeps the last row in view from the next flush on, while rows arrive.
  void followTail();
  [[nodiscard]] bool pending() const { return pending_; }

 protected:
  bool onNotify(NMHDR* header, LRESULT& result) override;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool acceptEdit(int index, std::wstring& text) override;

 private:
  void changed(RowModel::Change change, std::size_t index);
  void removedMany();
  void dropSelection();
  RowModel* model_ = nullptr;
  bool pending_ = false;
  bool posted_ = false;
  bool follow_ = false;
};

// Widens the column so that all columns together are 18 px narrower than the list
// (room for a vertical scroll bar); the stretched column is at least 100 px.
void FitListColumn(ListViewBase& list, int column);

}  // namespace wv
