#pragma once
// What the junk-file and daily-file pages share: the removal-mode inner page and
// the options it gives, the run of their two delete buttons, and the look-up of a
// folder among the rows of a folder list.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "app/run_protocol.h"
#include "engines/cleaning/found_row.h"
#include "engines/cleaning/removal.h"
#include "ui/result_rows.h"
#include "ui/list_rows.h"
#include "ui/controls.h"
#include "ui/flat_button.h"
#include "ui/list_view.h"
#include "ui/panel.h"

namespace wv {

// The status line at the end of a scan for what: the count and total size of
// what was found, or that none was.
std::wstring FoundSummary(std::wstring_view what, std::size_t rows, std::uint64_t total);

// The status line once every found row is gone.
inline constexpr std::wstring_view kJunkCleanedText = L"所有扫描到的垃圾文件已清理完成";
inline constexpr std::wstring_view kDailyCleanedText = L"所有扫描到的垃圾文件或目录已清理完成";

// The removal-mode inner page, the same on both pages: the three modes in this
// order (the recycle bin chosen at start) and the move mode's folder with its
// browse button, placed on every resize.
struct RemovalChoice {
  RadioButton deleteDirectly;
  RadioButton moveToFolder;
  RadioButton recycleBin;
  RadioGroup modes;
  Edit moveFolder;
  Button moveFolderBrowse;

  void create(Panel& page, int editHeight);
  [[nodiscard]] RemovalOptions options(HWND owner) const;
  // The move mode's folder from the folder browser.
  void browseMoveFolder();
};

// A tab button and the caption it shows.
struct PageTab {
  FlatButton& button;
  std::wstring_view caption;
};
// The tab buttons over the inner pages, one page per tab in the same order, the
// first tab down: a click on a tab shows its page.
void CreateTabs(HWND parent, ToggleGroup& group, InnerPages& pages, std::initializer_list<PageTab> tabs);
// The multi-select result list filling its inner page.
void CreateResultList(Panel& page, OwnerDataListView& list, const std::vector<ListColumn>& columns, RowModel& model);

// The mode of a radio button by its position on the page.
RemovalMode RemovalModeOfRadio(int index);

// Before a removal: in the move mode, a missing target folder or one inside
// the scanned tree is reported and the user is asked to confirm (allRows picks
// the text for "全部删除"); false means stop. The other modes ask nothing here.
bool ConfirmRemoval(const RemovalOptions& options, const std::vector<FoundRow>& rows,
                    const std::vector<std::size_t>& indices, bool allRows);

// The controls a removal run locks besides its own button (the scan buttons and
// the other delete button), and gives back at its end.
struct RemovalControls {
  Button& scan;
  Button* scanFolder;  // the junk page's one-folder scan; null on the daily page
  Button& deleteSelected;
  Button& deleteAll;
  Button& exportRows;  // "导出报告": the rows it would save are changing
};

// A removal of the highlighted rows of the result list, or of all of them, as a
// run like a scan: nothing when there is none; the move mode's checks and
// question; then the pressed button is the stop button, the side bar and the
// page's other start controls are off until the run ends, and no scan can
// replace the rows meanwhile. The rows that went leave the list, those that
// stay show why; the status line sums it up (the cleaned text once no row is
// left). A second press of the pressed button (removalRun) stops the run.
void RunRemoval(RunControl& removalRun, std::wstring_view handler, std::int32_t operation, OwnerDataListView& list,
                ResultRows<FoundRow>& rows, bool allRows, const RemovalOptions& options,
                const RemovalControls& controls, std::wstring_view cleanedText);
// The rows of a removal's report: those gone leave both sides, those kept show
// their reason. The status line for it (cleanedText when no row is left).
std::wstring ApplyRemoval(ResultRows<FoundRow>& rows, const RemovalReport& report, std::wstring_view cleanedText);


// The size column of a waste-folder row.
inline constexpr std::wstring_view kWasteFolderText = L"废目录";
// A found row as the result lists show it: path, size text (or "废目录"; or
// why a removal left it), the size in bytes behind it, and a picture.
ListRow FoundRowText(const FoundRow& row, int picture);

// Index of the row whose caption is the folder, letters compared without regard to case; -1 when none.
int FindFolderRow(const ListView& list, std::wstring_view folder);
// Deletes the highlighted rows, last first.
void DeleteSelectedRows(ListView& list);

}  // namespace wv
