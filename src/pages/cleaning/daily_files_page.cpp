#include "pages/cleaning/daily_files_page.h"

#include <algorithm>
#include <array>

#include "app/main_window.h"
#include "pages/cleaning/clean_page.h"
#include "engines/cleaning/daily_files_scan.h"
#include "app/catalogue.h"
#include "core/utilities.h"

namespace wv {

UserCleanFolder UserCleanFolderFromRow(const ListRow& row) {
  UserCleanFolder u;
  u.ticked = row.checked;
  u.folder = row.caption;
  u.includeSubfolders = row.column(1) == L"包含";
  u.givenTypes = row.column(2) == L"指定类型";
  u.types = row.column(3);
  return u;
}

ListRow UserCleanFolderRow(const UserCleanFolder& entry) {
  ListRow row;
  row.caption = entry.folder;
  row.sub = {entry.includeSubfolders ? L"包含" : L"排除", entry.givenTypes ? L"指定类型" : L"全部清理", entry.types};
  row.image = kUserFolderRowImage;
  row.checked = entry.ticked;
  return row;
}
namespace {

// The description column of each scan item's rows.
constexpr std::array<std::wstring_view, 5> kDescriptions = {
    L"系统临时文件", L"文档访问记录", L"系统操作日志", L"软件使用日志", L"用户自定",
};

}  // namespace

ListRow FormatDailyRow(const FoundRow& row) {
  const auto& items = CatalogueRows(Module::DailyFiles);
  const bool known = row.item >= 0 && static_cast<std::size_t>(row.item) < kDescriptions.size();
  ListRow shown = FoundRowText(row, known && static_cast<std::size_t>(row.item) < items.size() ? items[row.item].icon : -1);
  shown.sub.emplace_back(known ? kDescriptions[static_cast<std::size_t>(row.item)] : std::wstring_view());
  return shown;
}

std::wstring DailyScanSummary(const DailyScanResult& result) {
  return FoundSummary(L"垃圾文件或目录", result.rows, result.total);
}

DailyFilesPage::DailyFilesPage(MainWindow& form)
    : Page(form, Module::DailyFiles, L"清理Windows临时文件夹、文档访问记录、系统与软件日志，以及您自定的目录。"),
      wjrc_run(form, wjrc_sm, L"扫描", wjrc_runstate) {}

void DailyFilesPage::build() {
  HWND h = handle();
  wjrc_select.create(h, ListStyle{.checkBoxes = true}, {{L"扫描项目", 300}, {L"建议", 60}});
  wjrc_sel.create(h, L"全选");
  wjrc_mr.create(h, L"默认");
  wjrc_sm.create(h, L"扫描");
  wjrc_delsel.create(h, L"选定删除");
  wjrc_delall.create(h, L"全部删除");
  wjrc_delsel.setEnabled(false);
  wjrc_delall.setEnabled(false);

  FlatButton10.create(h, L"扫描结果", FlatButton::Look::Tab, &tabs);
  FlatButton11.create(h, L"用户自定", FlatButton::Look::Tab, &tabs);
  FlatButton12.create(h, L"删除方式", FlatButton::Look::Tab, &tabs);
  FlatButton10.setDown(true);
  PageControl3.create(h, 3);

  HWND results = PageControl3.page(0).handle();
  wjrc_showlist.create(results, ListStyle{.multiSelect = true},
                       {{L"垃圾文件或目录名", 300}, {L"大小", 90, LVCFMT_RIGHT}, {L"描述", 110}}, wjrc_results);
  PageControl3.page(0).onSize = [this](int w, int hh) { wjrc_showlist.setBounds(1, 1, w - 2, hh - 2); };

  HWND self = PageControl3.page(1).handle();
  wjrc_selfpathLabel.create(self, L"清理目录");
  wjrc_selfpath.create(self, L"", 300);
  wjrc_selfpathsel.create(self, L"...");
  wjrc_selfsubLabel.create(self, L"子目录");
  wjrc_selfsub.create(self, {L"包含", L"排除"}, 0);
  wjrc_selfmodeLabel.create(self, L"清理方式");
  wjrc_selfmode.create(self, {L"指定类型", L"全部清理"}, 0);
  wjrc_selftypeLabel.create(self, L"清理类型");
  wjrc_selftype.create(self, L"", 50);
  wjrc_selfadd.create(self, L"增加");
  wjrc_selfdel.create(self, L"删除");
  wjrc_selfsel.create(self, L"全选");
  wjrc_selfret.create(self, L"重置");
  wjrc_selflist.create(self, ListStyle{.checkBoxes = true, .multiSelect = true},
                       {{L"以下为自定清理目录", 240}, {L"子目录", 60}, {L"清理方式", 80}, {L"清理类型", 120}});
  PageControl3.page(1).onSize = [this](int w, int hh) { layoutSelf(w, hh); };

  const RemovalControls removal{wjrc_scszzj, wjrc_scszpath, wjrc_scszhs, wjrc_scsz, wjrc_scszpath_pathname,
                                 wjrc_scszpath_pathsel};
  CreateRemovalPage(PageControl3.page(2), removal, kEditH);

  wjrc_sm.onClick = [this] { wjrc_smClick(); };
  wjrc_delsel.onClick = [this] { wjrc_delselClick(); };
  wjrc_delall.onClick = [this] { wjrc_delallClick(); };
  wjrc_sel.onClick = [this] { wjrc_selClick(); };
  wjrc_mr.onClick = [this] { wjrc_mrClick(); };
  wjrc_scszpath_pathsel.onClick = [this] { wjrc_scszpath_pathselClick(); };
  wjrc_selfpathsel.onClick = [this] { wjrc_selfpathselClick(); };
  wjrc_selfadd.onClick = [this] { wjrc_selfaddClick(); };
  wjrc_selfdel.onClick = [this] { wjrc_selfdelClick(); };
  wjrc_selfret.onClick = [this] { wjrc_selfretClick(); };
  wjrc_selfsel.onClick = [this] { wjrc_selfselClick(); };
  wjrc_selfmode.onChange = [this] { wjrc_selfmodeChange(); };
  wjrc_selflist.onSelectItem = [this](int index) { wjrc_selflistSelectItem(index); };
  wjrc_selflist.onColumnClick = [this](int column) { wjrc_selflistColumnClick(column); };
  wjrc_selflist.onDragOver = [this] { return wjrc_selflistDragOver(); };
  wjrc_selflist.onDragDrop = [this](int target) { wjrc_selflistDragDrop(target); };
  wjrc_showlist.onDblClick = [this] { wjrc_showlistDblClick(); };
  FlatButton10.onClick = [this] { FlatButton10Click(); };
  FlatButton11.onClick = [this] { FlatButton11Click(); };
  FlatButton12.onClick = [this] { FlatButton12Click(); };
  wjrc_run.setFollow(&wjrc_showlist);
}

void DailyFilesPage::layout(int width, int height) {
  const int right = width - kMargin;
  const int buttonsX = right - kButtonW;
  const int listW = buttonsX - kGap - kMargin;
  // Room for the header and all five items, so that none hides behind a scroll bar.
  constexpr int kSelectH = 116;
  wjrc_select.setBounds(kMargin + 1, kTop + 1, listW - 2, kSelectH);
  StackButtons({&wjrc_sm, &wjrc_delsel, &wjrc_delall}, buttonsX, kTop);
  wjrc_sel.setBounds(kMargin, kTop + kSelectH + 6, 30, 18);
  wjrc_mr.setBounds(kMargin + 40, kTop + kSelectH + 6, 30, 18);
  const int tabsY = kTop + kSelectH + 32;
  RowTabs({&FlatButton10, &FlatButton11, &FlatButton12}, kMargin, tabsY, right);
  PageControl3.setBounds(kMargin, tabsY + kTabH, width - 2 * kMargin, height - tabsY - kTabH - kMargin);
}

void DailyFilesPage::layoutSelf(int width, int height) {
  const int labelW = 52, pick = kEditH;
  int y = 8;
  const int modeX = width - 1 - 96;
  wjrc_selfmode.setBounds(modeX, y - 1, 96, 200);
  wjrc_selfmodeLabel.setBounds(modeX - 56, y, 52, kEditH);
  const int subX = modeX - 56 - kGap - 64;
  wjrc_selfsub.setBounds(subX, y - 1, 64, 200);
  wjrc_selfsubLabel.setBounds(subX - 42, y, 40, kEditH);
  const int pickX = subX - 42 - kGap - pick;
  wjrc_selfpathsel.setBounds(pickX, y, pick, pick);
  wjrc_selfpathLabel.setBounds(0, y, labelW, kEditH);
  wjrc_selfpath.setBounds(labelW + 4, y, pickX - 4 - labelW - 4, kEditH);
  y += kEditH + 8;
  wjrc_selftypeLabel.setBounds(0, y, labelW, kEditH);
  const int left = RowButtonsRight({&wjrc_selfadd, &wjrc_selfdel, &wjrc_selfsel, &wjrc_selfret}, width - 1, y - 2,
                                   64, 26);
  wjrc_selftype.setBounds(labelW + 4, y, left - kGap - labelW - 4, kEditH);
  y += kEditH + 10;
  wjrc_selflist.setBounds(1, y, width - 2, height - y - 1);
}

void DailyFilesPage::initialise() {
  FillCatalogue(Module::DailyFiles, wjrc_select);
  for (ListViewBase* list : std::initializer_list<ListViewBase*>{&wjrc_select, &wjrc_showlist, &wjrc_selflist})
    list->setImageList(form().rowPictures());
}

void DailyFilesPage::stopRuns() { StopRunning({&wjrc_run}); }

void DailyFilesPage::fitColumns() {
  FitListColumn(wjrc_select, 0);
  FitListColumn(wjrc_showlist, 0);
  FitListColumn(wjrc_selflist, 0);
}

void DailyFilesPage::wjrc_smClick() {
  if (!wjrc_run.canStart()) {
    wjrc_run.requestStop();
    return;
  }
  RunGuard run(wjrc_run, L"wjrc_smClick", 1, {&wjrc_delsel, &wjrc_delall}, [this] {
    setSelfEditorLocked(false);
    wjrc_delsel.setEnabled(!wjrc_found.empty());
    wjrc_delall.setEnabled(!wjrc_found.empty());
  });
  FlatButton10.setDown(true);
  PageControl3.show(0);

  DailyScanInput input;
  for (std::size_t i = 0; i < input.items.size(); ++i)
    input.items[i] = static_cast<int>(i) < wjrc_select.count() && wjrc_select.checked(static_cast<int>(i));
  wjrc_run.setTickedRows(&wjrc_select);
  input.known = form().knownFolders;
  // The user's folders as the list holds them when the scan gets there: until
  // then they can still be added, deleted and ticked.
  input.userFoldersReached = [this, &input] {
    setSelfEditorLocked(true);
    for (const ListRow& row : wjrc_selflist.rows()) input.userFolders.push_back(UserCleanFolderFromRow(row));
  };

  wjrc_found.clear();
  const DailyScanResult result = DailyFileScan(input, wjrc_run, wjrc_found.sink());
  run.finish(DailyScanSummary(result));
}

void DailyFilesPage::setSelfEditorLocked(bool locked) {
  wjrc_selfadd.setEnabled(!locked);
  wjrc_selfdel.setEnabled(!locked);
}

void DailyFilesPage::removeRows(bool allRows) {
  RemoveResultRows(wjrc_showlist, wjrc_found, allRows, ReadRemovalOptions(wjrc_scsz, wjrc_scszpath_pathname, form().handle()),
                   {wjrc_sm, wjrc_delsel, wjrc_delall}, kDailyCleanedText);
}

void DailyFilesPage::wjrc_delselClick() { removeRows(false); }

void DailyFilesPage::wjrc_delallClick() { removeRows(true); }

void DailyFilesPage::wjrc_scszpath_pathselClick() {
  std::wstring folder = wjrc_scszpath_pathname.text();
  if (ChooseFolder(L"请选择一个您要存放垃圾文件的目录...", L"", folder)) wjrc_scszpath_pathname.setText(folder);
}

void DailyFilesPage::wjrc_selfpathselClick() {
  std::wstring folder = wjrc_selfpath.text();
  if (ChooseFolder(L"请选择一个您要清理的目录...", L"", folder)) wjrc_selfpath.setText(folder);
}

void DailyFilesPage::wjrc_selfaddClick() {
  UserCleanFolder entry;
  entry.ticked = true;
  entry.folder = wjrc_selfpath.text();
  entry.includeSubfolders = wjrc_selfsub.text() == L"包含";
  entry.givenTypes = wjrc_selfmode.text() == L"指定类型";
  entry.types = wjrc_selftype.text();
  const std::wstring failure = PrepareUserCleanFolder(entry);
  wjrc_selfpath.setText(entry.folder);
  wjrc_selftype.setText(entry.types);
  if (!failure.empty()) {
    MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"增加失败", failure);
    return;
  }
  const int same = FindFolderRow(wjrc_selflist, entry.folder);
  if (same >= 0) {
    if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"目录重复", L"您新增的清理目录已存在，是否覆盖？"))) return;
    entry.ticked = wjrc_selflist.checked(same);
    wjrc_selflist.setRow(same, UserCleanFolderRow(entry));
  } else {
    wjrc_selflist.appendRow(UserCleanFolderRow(entry));
  }
  wjrc_selfretClick();
}

void DailyFilesPage::wjrc_selfdelClick() {
  if (wjrc_selflist.selectedCount() == 0) return;
  if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"目录删除", L"您“确定”删除当前选中的自定清理项吗？"))) return;
  DeleteSelectedRows(wjrc_selflist);
}

void DailyFilesPage::wjrc_selfretClick() {
  wjrc_selfpath.setText(L"");
  wjrc_selfsub.setIndex(0);
  wjrc_selfmode.setIndex(0);
  wjrc_selftype.setText(L"");
  wjrc_selfmodeChange();
}

void DailyFilesPage::wjrc_selfmodeChange() {
  const bool types = wjrc_selfmode.text() != L"全部清理";
  wjrc_selftype.setVisible(types);
  wjrc_selftypeLabel.setVisible(types);
}

void DailyFilesPage::wjrc_selflistSelectItem(int index) {
  const std::vector<int> chosen = wjrc_selflist.selection();
  if (chosen.empty()) {
    wjrc_selfretClick();
    return;
  }
  // The row that just became selected, else the first one still selected.
  const bool isChosen = std::find(chosen.begin(), chosen.end(), index) != chosen.end();
  const ListRow row = wjrc_selflist.row(isChosen ? index : chosen.front());
  wjrc_selfpath.setText(row.caption);
  wjrc_selfsub.selectText(row.column(1));
  wjrc_selfmode.selectText(row.column(2));
  wjrc_selftype.setText(row.column(3));
  wjrc_selfmodeChange();
}

void DailyFilesPage::wjrc_selfselClick() { ToggleAllTicks(wjrc_selfsel, wjrc_selflist); }

void DailyFilesPage::wjrc_selflistColumnClick(int column) {
  if (wjrc_runstate != 0) return;
  std::vector<ListRow> rows = wjrc_selflist.rows();
  SortListByColumn(rows, column);
  wjrc_selflist.setRows(rows);
}

bool DailyFilesPage::wjrc_selflistDragOver() const { return wjrc_runstate == 0; }

void DailyFilesPage::wjrc_selflistDragDrop(int target) {
  const int source = wjrc_selflist.selected();
  if (source < 0 || !wjrc_selflistDragOver()) return;
  std::vector<ListRow> rows = wjrc_selflist.rows();
  const int moved = MoveListItem(rows, source, target);
  wjrc_selflist.setRows(rows);
  wjrc_selflist.select(moved);
}

void DailyFilesPage::wjrc_showlistDblClick() {
  const int i = wjrc_showlist.selected();
  if (i >= 0 && static_cast<std::size_t>(i) < wjrc_found.size()) ShowInExplorer(wjrc_found.at(i).path);
}

void DailyFilesPage::wjrc_selClick() { ToggleAllTicks(wjrc_sel, wjrc_select); }

void DailyFilesPage::wjrc_mrClick() { RestoreDefaults(wjrc_select); }

void DailyFilesPage::FlatButton10Click() { PageControl3.show(0); }

void DailyFilesPage::FlatButton11Click() { PageControl3.show(1); }

void DailyFilesPage::FlatButton12Click() { PageControl3.show(2); }

}  // namespace wv
