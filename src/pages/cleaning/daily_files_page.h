#pragma once
// The daily-file cleaning page (wjrctab, the start page): the five scan items,
// the scan and removal buttons, and three inner pages: results, user-defined
// folders and removal mode.

#include <cstdint>

#include "app/page.h"
#include "app/run_protocol.h"
#include "engines/cleaning/found_row.h"
#include "engines/cleaning/daily_files_scan.h"
#include "ui/result_rows.h"
#include "ui/list_rows.h"

namespace wv {

// A daily-file row as the result list shows it: path, size text or "废目录", the
// item's description and its catalogue picture.
ListRow FormatDailyRow(const FoundRow& row);
// The status line at the end of a scan: count and total size, or that nothing was found.
std::wstring DailyScanSummary(const DailyScanResult& result);

// A list row of the user-defined list (caption, "包含"/"排除", "指定类型"/"全部清理", types).
UserCleanFolder UserCleanFolderFromRow(const ListRow& row);
// The row of an entry: the texts above, ticked as the entry, the folder picture.
ListRow UserCleanFolderRow(const UserCleanFolder& entry);
inline constexpr int kUserFolderRowImage = picture::Folder;

class DailyFilesPage : public Page {
 public:
  explicit DailyFilesPage(MainWindow& form);

  ListView wjrc_select;
  SelectAllLabel wjrc_sel;
  LinkLabel wjrc_mr;
  Button wjrc_sm;
  Button wjrc_delsel;
  Button wjrc_delall;

  ToggleGroup tabs;
  FlatButton FlatButton10;  // results
  FlatButton FlatButton11;  // user-defined folders
  FlatButton FlatButton12;  // removal mode
  InnerPages PageControl3;

  RowModel wjrc_results;  // what the result list shows
  ResultRows<FoundRow> wjrc_found{wjrc_results, FormatDailyRow};  // the scan's rows behind it
  OwnerDataListView wjrc_showlist;

  ListView wjrc_selflist;
  Label wjrc_selfpathLabel;
  Edit wjrc_selfpath;
  Button wjrc_selfpathsel;
  Label wjrc_selfsubLabel;
  ComboBox wjrc_selfsub;
  Label wjrc_selfmodeLabel;
  ComboBox wjrc_selfmode;
  Label wjrc_selftypeLabel;
  Edit wjrc_selftype;
  Button wjrc_selfadd;
  Button wjrc_selfdel;
  SelectAllButton wjrc_selfsel;
  Button wjrc_selfret;

  RadioButton wjrc_scszzj;
  RadioButton wjrc_scszpath;
  RadioButton wjrc_scszhs;
  RadioGroup wjrc_scsz;
  Edit wjrc_scszpath_pathname;
  Button wjrc_scszpath_pathsel;

  std::int32_t wjrc_runstate = 0;
  RunControl wjrc_run;

  void initialise() override;
  [[nodiscard]] Control* firstControl() override { return &wjrc_select; }
  void stopRuns() override;
  void fitColumns() override;
  // Config.ini (app/pagesettings.cpp).
  void loadSettings(SettingsFile& file) override;
  void saveSettings(std::vector<SettingsSection>& sections) override;

  void wjrc_smClick();
  void wjrc_delselClick();
  void wjrc_delallClick();
  void wjrc_selClick();
  void wjrc_mrClick();
  void wjrc_scszpath_pathselClick();
  void wjrc_selfpathselClick();
  void wjrc_selfaddClick();
  void wjrc_selfdelClick();
  void wjrc_selfretClick();
  void wjrc_selfmodeChange();
  void wjrc_selflistSelectItem(int index);
  void wjrc_selfselClick();
  void wjrc_selflistColumnClick(int column);
  [[nodiscard]] bool wjrc_selflistDragOver() const;
  void wjrc_selflistDragDrop(int target);
  void wjrc_showlistDblClick();
  void FlatButton10Click();
  void FlatButton11Click();
  void FlatButton12Click();

 protected:
  void build() override;
  void layout(int width, int height) override;

 private:
  void layoutSelf(int width, int height);
  void removeRows(bool allRows);
  void setSelfEditorLocked(bool locked);
};

}  // namespace wv
