#pragma once
// The shredder page: files and folders collected by the file button or a drop,
// then overwritten, truncated, renamed and deleted (engines/tools/shredder).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/result_rows.h"
#include "ui/list_rows.h"
#include "pages/tools/file_tool_page.h"
#include "engines/tools/shredder.h"
#include "ui/popup_menu.h"

namespace wv {

struct ShredderControls {
  ShredderControls(MainWindow& form, std::int32_t& runState);

  RowModel shownRows;             // what the list shows
  ResultRows<ShredRow> entries;   // the engine's rows beside their shown rows
  OwnerDataListView entryList;
  PopupMenu listMenu;
  int removeSelectedItem = -1, removeUnselectedItem = -1, clearItem = -1, refreshItem = -1;
  Button shredSelectedButton;
  Button shredAllButton;
  Button refreshButton;

  RunControl shredSelectedRun;  // operation 2
  RunControl shredAllRun;       // operation 3
  RunControl refreshRun;        // operation 4: no stop, its button keeps its caption
};

class ShredderPage : public FileToolPage, private ShredderControls {
 public:
  explicit ShredderPage(MainWindow& form);

  void initialise() override;
  void fitColumns() override;
  void stopRuns() override;

 protected:
  void runOperation() override;
  void build() override;
  void layout(int width, int height) override;

 private:
  using Controls = ShredderControls;
  friend class PageTestAccess;

  void onShredSelectedClicked();
  void onShredAllClicked();
  void onRefreshClicked();  // the button and the menu item
  void onMenuPopup();
  void onRemoveSelectedChosen();
  void onRemoveUnselectedChosen();
  void onClearChosen();
  void onColumnClicked(int column);

  // The start of shred selected (2) and shred all (3): a stop request while one
  // runs, else the question and, on OK, the run.
  void startShred(RunControl& run, std::int32_t operation, std::wstring_view question);
  // The count in the list's header.
  void showCount();
  // The three action buttons: enabled exactly when idle with rows.
  void enableActions();
  void removeRows(std::vector<std::size_t> indices);
  // "排除选中" (selected) or "排除未选"; the whole list when every row or none is chosen.
  void removeBySelection(bool selected);
  void shredFailed(ShredFailure failure, std::wstring_view path);
};

}  // namespace wv
