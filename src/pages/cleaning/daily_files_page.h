#pragma once
// The daily-file cleaning page (the start page): the five scan items, the scan
// and removal buttons, and three inner pages: results, the user's own folders
// and removal mode.

#include <cstdint>

#include "app/page.h"
#include "app/run_protocol.h"
#include "engines/cleaning/found_row.h"
#include "engines/cleaning/daily_files_scan.h"
#include "pages/cleaning/clean_page.h"
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

// The inner pages, in the order of their tabs.
enum class DailyTab { Results, UserFolders, Removal };

// The run states of the removals, after the scan's (1).
enum class DailyRemoval { Selected = 2, All = 3 };

struct DailyFilesControls {
  explicit DailyFilesControls(MainWindow& form);

  ListView itemList;  // the five scan items of the catalogue
  SelectAllLabel itemsToggle;
  LinkLabel defaultsLabel;
  Button scanButton;
  Button deleteSelectedButton;
  Button deleteAllButton;

  ToggleGroup tabGroup;
  FlatButton resultsTab;
  FlatButton userFoldersTab;
  FlatButton removalTab;
  InnerPages tabPages;  // by DailyTab

  RowModel resultModel;  // what the result list shows
  ResultRows<FoundRow> foundRows{resultModel, FormatDailyRow};  // the scan's rows behind it
  OwnerDataListView resultList;

  // The user's own folders, and the editor of one entry above them.
  ListView userFolderList;
  Label folderLabel;
  Edit folderEdit;
  Button folderBrowseButton;
  Label subfoldersLabel;
  ComboBox subfoldersCombo;  // "包含", "排除"
  Label modeLabel;
  ComboBox modeCombo;  // "指定类型", "全部清理"
  Label typesLabel;
  Edit typesEdit;  // masks separated by "|"
  Button addFolderButton;
  Button deleteFolderButton;
  SelectAllButton userFoldersToggle;
  Button resetEditorButton;

  RemovalChoice removal;

  std::int32_t runState = 0;  // 0 idle, 1 scanning, else the running DailyRemoval
  RunControl scanRun;
  RunControl removeSelectedRun;
  RunControl removeAllRun;
};

class DailyFilesPage : public Page, private DailyFilesControls {
  friend class PageTestAccess;
  using Controls = DailyFilesControls;

 public:
  explicit DailyFilesPage(MainWindow& form);

  void initialise() override;
  [[nodiscard]] Control* firstControl() override { return &itemList; }
  void stopRuns() override;
  void fitColumns() override;
  // Config.ini (pages/page_settings.cpp).
  void loadSettings(SettingsFile& file) override;
  void saveSettings(std::vector<SettingsSection>& sections) override;

 protected:
  void build() override;
  void layout(int width, int height) override;

 private:
  void onScanClicked();
  void onFolderBrowseClicked();
  void onAddFolderClicked();
  void onDeleteFolderClicked();
  void onModeChanged();
  void onUserFolderSelected(int index);
  void onUserFolderColumnClicked(int column);
  void onUserFolderDropped(int target);
  void onResultDoubleClicked();

  // A user folder row may be dragged elsewhere only while no scan runs.
  [[nodiscard]] bool userFoldersMovable() const;
  void resetEditor();
  void layoutUserFolders(int width, int height);
  void removeRows(bool allRows);
  void setEditorLocked(bool locked);
};

}  // namespace wv
