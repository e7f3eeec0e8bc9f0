#pragma once
// The disk junk-file page (wjqltab): the fixed drives, the scan buttons, and four
// inner pages: results, junk-file types, removal mode and excluded folders.

#include <cstdint>
#include <string>

#include "app/page.h"
#include "app/run_protocol.h"
#include "engines/cleaning/found_row.h"
#include "engines/cleaning/junk_scan.h"
#include "ui/result_rows.h"
#include "ui/list_rows.h"

namespace wv {

// A junk-file row as the result list shows it: path, size text, the junk picture.
ListRow FormatJunkRow(const FoundRow& row);
// The status line at the end of a scan: count and total size, or that nothing was found.
std::wstring JunkScanSummary(const JunkScanResult& result);

class JunkFilesPage : public Page {
 public:
  explicit JunkFilesPage(MainWindow& form);

  ListView wjql_select;
  SelectAllLabel wjql_sel;
  Button wjql_sm;
  Button wjql_smsel;
  Button wjql_delsel;
  Button wjql_delall;

  ToggleGroup tabs;
  FlatButton FlatButton1;  // results
  FlatButton FlatButton3;  // types
  FlatButton FlatButton6;  // removal mode
  FlatButton FlatButton9;  // exclusions
  InnerPages PageControl6;

  RowModel wjql_results;  // what the result list shows
  ResultRows<FoundRow> wjql_found{wjql_results, FormatJunkRow};  // the scan's rows behind it
  OwnerDataListView wjql_showlist;

  ListView wjql_wjlxlist;
  SelectAllButton wjql_lxsel;
  Button wjql_lxtj;

  RadioButton wjql_scszzj;
  RadioButton wjql_scszpath;
  RadioButton wjql_scszhs;
  RadioGroup wjql_scsz;
  Edit wjql_scszpath_pathname;
  Button wjql_scszpath_pathsel;

  ListView wjql_jumplist;
  Button wjql_jumpadd;
  Button wjql_jumpdel;

  std::int32_t wjql_runstate = 0;
  RunControl wjql_run;  // also the stop control of the one-folder scan
  // The folder that wjql_smsel scans (the last one chosen).
  std::wstring wjql_folder;

  // The drive rows, the junk-file types and the lists' pictures.
  void initialise() override;
  void stopRuns() override;
  void fitColumns() override;
  // Config.ini (app/pagesettings.cpp).
  void loadSettings(SettingsFile& file) override;
  void saveSettings(std::vector<SettingsSection>& sections) override;

  void wjql_smClick();
  void wjql_smselClick();
  void wjql_selClick();
  void wjql_lxselClick();
  void wjql_lxtjClick();
  void wjql_delselClick();
  void wjql_delallClick();
  void wjql_scszpath_pathselClick();
  void wjql_jumpaddClick();
  void wjql_jumpdelClick();
  void wjql_showlistDblClick();
  void FlatButton1Click();
  void FlatButton3Click();
  void FlatButton6Click();
  void FlatButton9Click();

 protected:
  void build() override;
  void layout(int width, int height) override;

 private:
  // The scan driver: the run protocol around one junk-file scan (operation 1 or 2).
  void scan(std::int32_t operation);
  // One ticked row per fixed drive: label and drive, free space.
  void fillDriveRows();
  void removeRows(bool allRows);
};

}  // namespace wv
