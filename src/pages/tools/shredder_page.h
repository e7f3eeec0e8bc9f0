#pragma once
// The shredder page (wjfstab): files and folders collected by the file button or
// a drop, then overwritten, truncated, renamed and deleted (engine wjfsline).

#include <cstdint>
#include <string>
#include <vector>

#include "ui/result_rows.h"
#include "ui/list_rows.h"
#include "pages/tools/file_tool_page.h"
#include "engines/tools/shredder.h"
#include "ui/popup_menu.h"

namespace wv {

class ShredderPage : public FileToolPage {
 public:
  explicit ShredderPage(MainWindow& form);

  // The shared file-tool parts under this page's names.
  Button& wjfs_filesel = filesel;
  std::vector<std::wstring>& wjfs_filelist = filelist;
  std::int32_t& wjfs_runstate = runstate;
  RunControl& wjfs_fileselRun = fileselRun;  // 1 import

  RowModel wjfs_rows;                                  // what the list shows
  ResultRows<ShredRow> wjfs_entries{wjfs_rows, FormatShredRow};
  OwnerDataListView wjfs_showlist;
  PopupMenu wjfs_menu;
  Button wjfs_selfs;
  Button wjfs_allselfs;
  Button wjfs_refresh;

  RunControl wjfs_selfsRun;     // 2 shred the selected row
  RunControl wjfs_allselfsRun;  // 3 shred all rows
  RunControl wjfs_refreshRun;   // 4 refresh: no stop, its button stays "刷新"

  void initialise() override;
  void fitColumns() override;
  void stopRuns() override;

  void wjfs_fileselClick() { fileselClick(); }
  void wjfs_selfsClick();
  void wjfs_allselfsClick();
  void wjfs_menurefreshClick();  // also the button wjfs_refresh
  void wjfs_menuPopup();
  void wjfs_menudelselClick();
  void wjfs_menudelunselClick();
  void wjfs_menudelallClick();
  void wjfs_showlistColumnClick(int column);
  // The operation that wjfs_runstate names.
  void RunShredTask();
  // The count in the list's header.
  void UpdateShredCount();

  // Menu items, in order.
  static constexpr int kMenuDelSel = 0, kMenuDelUnsel = 1, kMenuDelAll = 2, kMenuRefresh = 3;

  // A row as the list shows it: the path, the size text or "目录", the shell's icon.
  static ListRow FormatShredRow(const ShredRow& row);

 protected:
  void RunTask() override { RunShredTask(); }
  void build() override;
  void layout(int width, int height) override;

 private:
  // The start of shred selected (2) and shred all (3): a stop request while one
  // runs, else the question and, on OK, the run.
  void startShred(RunControl& run, std::int32_t operation, std::wstring_view question);
  // The three action buttons: enabled exactly when idle with rows.
  void enableActions();
  void removeRows(std::vector<std::size_t> indices);
  // "排除选中" (selected) or "排除未选"; the whole list when every row or none is chosen.
  void removeBySelection(bool selected);
  void shredFailed(ShredFailure failure, std::wstring_view path);
};

}  // namespace wv
