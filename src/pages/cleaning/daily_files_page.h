#pragma once
// The daily-file cleaning page (the start page): the five scan items and below
// them the detected entries of the rule file winapp2.ini, the scan and removal
// buttons, and five inner pages: results, the user's own folders, removal mode,
// the rule file and the schedule.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "app/page.h"
#include "app/run_protocol.h"
#include "engines/cleaning/found_row.h"
#include "engines/cleaning/daily_files_scan.h"
#include "engines/cleaning/winapp2_file.h"
#include "engines/cleaning/winapp2_folders.h"
#include "engines/cleaning/winapp2_scan.h"
#include "pages/cleaning/clean_page.h"
#include "pages/cleaning/schedule_choice.h"
#include "ui/result_rows.h"
#include "ui/list_rows.h"

namespace wv {

// A daily-file row as the result list shows it: path, size text or "废目录", the
// item's description and its catalogue picture.
ListRow FormatDailyRow(const FoundRow& row);
// A row the rule file chose: the entry's name as its kind; registry rows name
// their key (and value), refused rules say why.
ListRow FormatRuleRow(const FoundRow& row);
// The status line at the end of a scan: count and total size (the rule file's
// rows included, refused rules counted apart), or that nothing was found.
std::wstring DailyScanSummary(const DailyScanResult& result, const Winapp2ScanResult& rules = {});

// The catalogue's five scan items come first in the item list; the rule file's
// rows follow them, and its rows of results carry this item number.
inline constexpr int kCatalogueItems = 5;
inline constexpr int kRuleFileItem = 5;
// Config.ini's section of the rule file: "File", the file's path, and "Tick0" ...
// the names of the ticked entries.
inline constexpr std::wstring_view kRuleFileSection = L"WINAPP2";
// The file beside the program that the page reads unless told another.
inline constexpr std::wstring_view kRuleFileName = L"Winapp2.ini";
// The group an entry is listed under: its "Section", else the group its
// "LangSecRef" number stands for, else "其它".
std::wstring RuleGroupCaption(const Winapp2Entry& entry);
// The entry's name as the list shows it: without the file's closing " *".
std::wstring RuleEntryCaption(std::wstring_view name);

// A list row of the user-defined list (caption, "包含"/"排除", "指定类型"/"全部清理", types).
UserCleanFolder UserCleanFolderFromRow(const ListRow& row);
// The row of an entry: the texts above, ticked as the entry, the folder picture.
ListRow UserCleanFolderRow(const UserCleanFolder& entry);
inline constexpr int kUserFolderRowImage = picture::Folder;

// The inner pages, in the order of their tabs.
enum class DailyTab { Results, UserFolders, Removal, RuleFile, Schedule };

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
  Button exportButton;  // "导出报告": the result list as a report

  ToggleGroup tabGroup;
  FlatButton resultsTab;
  FlatButton userFoldersTab;
  FlatButton removalTab;
  FlatButton ruleFileTab;
  FlatButton scheduleTab;  // "定时清理": read back from the scheduler whenever shown
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
  ScheduleChoice schedule;

  // The rule file: its path (changeable), what reading it gave, and the entries it could not read.
  Label ruleFileLabel;
  Edit ruleFileEdit;
  Button ruleFileBrowseButton;
  Button ruleFileReadButton;  // "读取": the file in the edit, read again
  Label ruleFileSummary;
  ListView ruleProblemList;  // entry name, reason

  // What the item list's rows after the catalogue stand for: an entry's index in
  // rules.entries, or -1 for a group heading (no check box).
  std::wstring ruleFilePath;  // the file read last
  Winapp2File rules;
  std::vector<int> ruleRows;
  // Entries ticked in Config.ini that the list does not show now (not detected,
  // or the file missing): kept so that their ticks come back.
  std::set<std::wstring> keptTicks;
  RuleFolders ruleFolders{{}};
  bool tickingQuietly = false;  // ticks set by the page, not the user: no warnings asked

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
  void onExportClicked();
  void onScheduleTabClicked();
  void onApplyScheduleClicked();

  // A user folder row may be dragged elsewhere only while no scan runs.
  [[nodiscard]] bool userFoldersMovable() const;
  void resetEditor();
  void layoutUserFolders(int width, int height);
  void removeRows(bool allRows);
  void setEditorLocked(bool locked);

  // The rule file (daily_files_page_rules.cpp).
  void buildRuleFileTab(Panel& page);
  void layoutRuleFileTab(int width, int height);
  // Reads the file, detects its entries and lists them below the catalogue
  // rows, ticks kept; the tab shows what reading gave.
  void readRuleFile(std::wstring_view path);
  void onRuleFileBrowseClicked();
  void onItemCheckChanged(int index);
  void onItemsToggleClicked();
  void onDefaultsClicked();
  // The entry behind an item-list row, or null (catalogue rows, headings).
  [[nodiscard]] const Winapp2Entry* ruleEntryAt(int row) const;
  [[nodiscard]] std::vector<std::wstring> tickedRuleNames() const;
  void applyRuleTicks();
  // After the built-in items: the ticked entries' scan.
  [[nodiscard]] Winapp2ScanResult scanRuleEntries(RunContext& run);
  void loadRuleSettings(const SettingsFile& file);
  void saveRuleSettings(std::vector<SettingsSection>& sections) const;
};

}  // namespace wv
