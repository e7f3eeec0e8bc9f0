#pragma once
// The disk junk-file page: the fixed drives, the scan buttons, and four inner
// pages: results, junk-file types, removal mode and excluded folders.

#include <cstdint>
#include <string>
#include <vector>

#include "app/page.h"
#include "app/run_protocol.h"
#include "engines/cleaning/found_row.h"
#include "engines/cleaning/junk_scan.h"
#include "pages/cleaning/clean_page.h"
#include "ui/result_rows.h"
#include "ui/list_rows.h"

namespace wv {

// A junk-file row as the result list shows it: path, size text, the junk picture.
ListRow FormatJunkRow(const FoundRow& row);
// The status line at the end of a scan: count and total size, or that nothing was found.
std::wstring JunkScanSummary(const JunkScanResult& result);

// A fixed drive as the drive list shows it.
struct FixedDrive {
  wchar_t letter = L'C';
  std::wstring label;            // the trimmed volume label, or "本地磁盘"
  std::uint64_t freeBytes = 0;   // only when asked for
};
// The fixed drives in letter order (the command line lists them as the page does).
std::vector<FixedDrive> FixedDrives(bool withFreeSpace);
// "label (C:)": a drive row's caption, which its tick is saved under.
std::wstring DriveCaption(std::wstring_view label, wchar_t letter);

// A row of the drive list: "label (C:)", the free space, ticked; the drive's
// letter stays with the row as its state, so that a scan never reads it back
// from the caption.
ListRow DriveRow(std::wstring_view label, wchar_t letter, std::uint64_t freeBytes);

// The inner pages, in the order of their tabs.
enum class JunkTab { Results, Types, Removal, Exclusions };

// The run states of the removals, after the scans' (JunkScanMode).
enum class JunkRemoval { Selected = 3, All = 4 };

struct JunkFilesControls {
  explicit JunkFilesControls(MainWindow& form);

  ListView driveList;
  SelectAllLabel drivesToggle;
  Button scanButton;
  Button scanFolderButton;  // scans one folder the user picks
  Button deleteSelectedButton;
  Button deleteAllButton;
  Button exportButton;  // "导出报告": the result list as a report

  ToggleGroup tabGroup;
  FlatButton resultsTab;
  FlatButton typesTab;
  FlatButton removalTab;
  FlatButton exclusionsTab;
  InnerPages tabPages;  // by JunkTab

  RowModel resultModel;  // what the result list shows
  ResultRows<FoundRow> foundRows{resultModel, FormatJunkRow};  // the scan's rows behind it
  OwnerDataListView resultList;

  ListView typeList;  // the junk-file masks of the catalogue
  SelectAllButton typesToggle;
  Button recommendedButton;

  RemovalChoice removal;

  ListView exclusionList;
  Button addExclusionButton;
  Button deleteExclusionButton;

  std::int32_t runState = 0;  // 0 idle, else the running JunkScanMode or JunkRemoval
  RunControl scanRun;         // also the stop control of the one-folder scan
  RunControl removeSelectedRun;
  RunControl removeAllRun;
  std::wstring chosenFolder;  // what the one-folder scan walks (the last one chosen)
};

class JunkFilesPage : public Page, private JunkFilesControls {
  friend class PageTestAccess;
  using Controls = JunkFilesControls;

 public:
  explicit JunkFilesPage(MainWindow& form);

  // The drive rows, the junk-file types and the lists' pictures.
  void initialise() override;
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
  void onScanFolderClicked();
  void onDeleteSelectedClicked();
  void onDeleteAllClicked();
  void onExportClicked();
  void onAddExclusionClicked();
  void onDeleteExclusionClicked();
  void onResultDoubleClicked();

  // The run protocol around one junk-file scan.
  void scan(JunkScanMode mode);
  // One ticked row per fixed drive: label and drive, free space.
  void fillDriveRows();
  void removeRows(bool allRows);
};

}  // namespace wv
