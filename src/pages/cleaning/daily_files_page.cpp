#include "pages/cleaning/daily_files_page.h"

#include <algorithm>
#include <array>

#include "app/main_window.h"
#include "pages/cleaning/clean_page.h"
#include "pages/cleaning/report_export.h"
#include "engines/cleaning/daily_files_scan.h"
#include "engines/registry/redundancy_scan.h"
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

int TabIndex(DailyTab tab) { return static_cast<int>(tab); }

}  // namespace

ListRow FormatDailyRow(const FoundRow& row) {
  if (row.item == kRuleFileItem) return FormatRuleRow(row);
  const auto& items = CatalogueRows(Module::DailyFiles);
  const bool known = row.item >= 0 && static_cast<std::size_t>(row.item) < kDescriptions.size();
  ListRow shown = FoundRowText(row, known && static_cast<std::size_t>(row.item) < items.size() ? items[row.item].icon : -1);
  shown.sub.emplace_back(known ? kDescriptions[static_cast<std::size_t>(row.item)] : std::wstring_view());
  return shown;
}

std::wstring DailyScanSummary(const DailyScanResult& result, const Winapp2ScanResult& rules) {
  std::wstring text = FoundSummary(L"垃圾文件或目录", result.rows + rules.rows, result.total + rules.total);
  if (rules.refused > 0)
    text += L"（其中 " + ToDecimal(static_cast<std::int64_t>(rules.refused)) + L" 条规则因目录受保护而被拒绝）";
  // A location left alone says which item's folder it was and why.
  for (const RefusedLocation& refused : result.refused) {
    const bool known = refused.item >= 0 && static_cast<std::size_t>(refused.item) < kDescriptions.size();
    text += L"；";
    if (known) text += std::wstring(kDescriptions[static_cast<std::size_t>(refused.item)]) + L"未扫描 ";
    else text += L"未扫描 ";
    text += refused.folder + L"（" + std::wstring(FolderProtectionText(refused.why)) + L"）";
  }
  return text;
}

DailyFilesControls::DailyFilesControls(MainWindow& form)
    : scanRun(form, scanButton, L"扫描", runState),
      removeSelectedRun(form, deleteSelectedButton, L"选定删除", runState),
      removeAllRun(form, deleteAllButton, L"全部删除", runState) {}

DailyFilesPage::DailyFilesPage(MainWindow& form)
    : Page(form, Module::DailyFiles, L"清理Windows临时文件夹、文档访问记录、系统与软件日志，以及您自定的目录。"),
      DailyFilesControls(form) {}

void DailyFilesPage::build() {
  HWND h = handle();
  itemList.create(h, ListStyle{.checkBoxes = true}, {{L"扫描项目", 300}, {L"建议", 60}});
  itemsToggle.create(h, L"全选");
  defaultsLabel.create(h, L"默认");
  scanButton.create(h, L"扫描");
  deleteSelectedButton.create(h, L"选定删除");
  deleteAllButton.create(h, L"全部删除");
  exportButton.create(h, L"导出报告");
  deleteSelectedButton.setEnabled(false);
  deleteAllButton.setEnabled(false);
  exportButton.setEnabled(false);

  CreateTabs(h, tabGroup, tabPages,
             {{resultsTab, L"扫描结果"}, {userFoldersTab, L"用户自定"}, {removalTab, L"删除方式"}, {ruleFileTab, L"规则文件"},
              {scheduleTab, L"定时清理"}});
  CreateResultList(tabPages.page(TabIndex(DailyTab::Results)), resultList,
                   {{L"垃圾文件或目录名", 300}, {L"大小", 90, LVCFMT_RIGHT}, {L"描述", 110}}, resultModel);

  Panel& own = tabPages.page(TabIndex(DailyTab::UserFolders));
  HWND self = own.handle();
  folderLabel.create(self, L"清理目录");
  folderEdit.create(self, L"", 300);
  folderBrowseButton.create(self, L"...");
  subfoldersLabel.create(self, L"子目录");
  subfoldersCombo.create(self, {L"包含", L"排除"}, 0);
  modeLabel.create(self, L"清理方式");
  modeCombo.create(self, {L"指定类型", L"全部清理"}, 0);
  typesLabel.create(self, L"清理类型");
  typesEdit.create(self, L"", 50);
  addFolderButton.create(self, L"增加");
  deleteFolderButton.create(self, L"删除");
  userFoldersToggle.create(self, L"全选");
  resetEditorButton.create(self, L"重置");
  userFolderList.create(self, ListStyle{.checkBoxes = true, .multiSelect = true},
                        {{L"以下为自定清理目录", 240}, {L"子目录", 60}, {L"清理方式", 80}, {L"清理类型", 120}});
  own.onSize = [this](int w, int hh) { layoutUserFolders(w, hh); };

  removal.create(tabPages.page(TabIndex(DailyTab::Removal)), kEditH);
  buildRuleFileTab(tabPages.page(TabIndex(DailyTab::RuleFile)));
  schedule.create(tabPages.page(TabIndex(DailyTab::Schedule)));

  scanButton.onClick = [this] { onScanClicked(); };
  deleteSelectedButton.onClick = [this] { removeRows(false); };
  deleteAllButton.onClick = [this] { removeRows(true); };
  exportButton.onClick = [this] { onExportClicked(); };
  scheduleTab.onClick = [this] { onScheduleTabClicked(); };
  schedule.applyButton.onClick = [this] { onApplyScheduleClicked(); };
  itemsToggle.onClick = [this] { onItemsToggleClicked(); };
  defaultsLabel.onClick = [this] { onDefaultsClicked(); };
  itemList.onCheckChanged = [this](int index) { onItemCheckChanged(index); };
  removal.moveFolderBrowse.onClick = [this] { removal.browseMoveFolder(); };
  folderBrowseButton.onClick = [this] { onFolderBrowseClicked(); };
  addFolderButton.onClick = [this] { onAddFolderClicked(); };
  deleteFolderButton.onClick = [this] { onDeleteFolderClicked(); };
  resetEditorButton.onClick = [this] { resetEditor(); };
  userFoldersToggle.onClick = [this] { ToggleAllTicks(userFoldersToggle, userFolderList); };
  modeCombo.onChange = [this] { onModeChanged(); };
  userFolderList.onSelectItem = [this](int index) { onUserFolderSelected(index); };
  userFolderList.onColumnClick = [this](int column) { onUserFolderColumnClicked(column); };
  userFolderList.onDragOver = [this] { return userFoldersMovable(); };
  userFolderList.onDragDrop = [this](int target) { onUserFolderDropped(target); };
  resultList.onDblClick = [this] { onResultDoubleClicked(); };
  scanRun.setFollow(&resultList);
}

void DailyFilesPage::layout(int width, int height) {
  const int right = width - kMargin;
  const int buttonsX = right - kButtonW;
  const int listW = buttonsX - kGap - kMargin;
  // Room for the header and all five items, so that none hides behind a scroll
  // bar; with the rule file's entries below them, a larger share of the page.
  const int kItemsH = ruleRows.empty() ? 116 : std::clamp((height - kTop) * 2 / 5, 116, 300);
  itemList.setBounds(kMargin + 1, kTop + 1, listW - 2, kItemsH);
  StackButtons({&scanButton, &deleteSelectedButton, &deleteAllButton, &exportButton}, buttonsX, kTop);
  itemsToggle.setBounds(kMargin, kTop + kItemsH + 6, 30, 18);
  defaultsLabel.setBounds(kMargin + 40, kTop + kItemsH + 6, 30, 18);
  const int tabsY = kTop + kItemsH + 32;
  RowTabs({&resultsTab, &userFoldersTab, &removalTab, &ruleFileTab, &scheduleTab}, kMargin, tabsY, right);
  tabPages.setBounds(kMargin, tabsY + kTabH, width - 2 * kMargin, height - tabsY - kTabH - kMargin);
}

void DailyFilesPage::layoutUserFolders(int width, int height) {
  const int labelW = 52, pick = kEditH;
  int y = 8;
  const int modeX = width - 1 - 96;
  modeCombo.setBounds(modeX, y - 1, 96, 200);
  modeLabel.setBounds(modeX - 56, y, 52, kEditH);
  const int subX = modeX - 56 - kGap - 64;
  subfoldersCombo.setBounds(subX, y - 1, 64, 200);
  subfoldersLabel.setBounds(subX - 42, y, 40, kEditH);
  const int pickX = subX - 42 - kGap - pick;
  folderBrowseButton.setBounds(pickX, y, pick, pick);
  folderLabel.setBounds(0, y, labelW, kEditH);
  folderEdit.setBounds(labelW + 4, y, pickX - 4 - labelW - 4, kEditH);
  y += kEditH + 8;
  typesLabel.setBounds(0, y, labelW, kEditH);
  const int left = RowButtonsRight({&addFolderButton, &deleteFolderButton, &userFoldersToggle, &resetEditorButton},
                                   width - 1, y - 2, 64, 26);
  typesEdit.setBounds(labelW + 4, y, left - kGap - labelW - 4, kEditH);
  y += kEditH + 10;
  userFolderList.setBounds(1, y, width - 2, height - y - 1);
}

void DailyFilesPage::initialise() {
  FillCatalogue(Module::DailyFiles, itemList);
  ruleFolders = RuleFolders::Resolve();
  readRuleFile(form().programFolder + std::wstring(kRuleFileName));
  for (ListViewBase* list : std::initializer_list<ListViewBase*>{&itemList, &resultList, &userFolderList})
    list->setImageList(form().rowPictures());
}

void DailyFilesPage::stopRuns() { StopRunning({&scanRun, &removeSelectedRun, &removeAllRun}); }

void DailyFilesPage::fitColumns() {
  FitListColumn(itemList, 0);
  FitListColumn(resultList, 0);
  FitListColumn(userFolderList, 0);
  FitListColumn(ruleProblemList, 1);
}

void DailyFilesPage::onScanClicked() {
  if (!scanRun.canStart()) {
    scanRun.requestStop();
    return;
  }
  // The rule file's entries stay as they are while the scan reads them.
  RunGuard run(scanRun, L"DailyFilesPage::onScanClicked", 1,
               {&deleteSelectedButton, &deleteAllButton, &exportButton, &ruleFileReadButton, &ruleFileBrowseButton},
               [this] {
    setEditorLocked(false);
    ruleFileReadButton.setEnabled(true);
    ruleFileBrowseButton.setEnabled(true);
    deleteSelectedButton.setEnabled(!foundRows.empty());
    deleteAllButton.setEnabled(!foundRows.empty());
    exportButton.setEnabled(!foundRows.empty());
  });
  resultsTab.setDown(true);
  tabPages.show(TabIndex(DailyTab::Results));

  DailyScanInput input;
  for (std::size_t i = 0; i < input.items.size(); ++i)
    input.items[i] = static_cast<int>(i) < itemList.count() && itemList.checked(static_cast<int>(i));
  scanRun.setTickedRows(&itemList);
  input.known = form().knownFolders;
  // The user's folders as the list holds them when the scan gets there: until
  // then they can still be added, deleted and ticked.
  input.userFoldersReached = [this, &input] {
    setEditorLocked(true);
    for (const ListRow& row : userFolderList.rows()) input.userFolders.push_back(UserCleanFolderFromRow(row));
  };

  foundRows.clear();
  const DailyScanResult result = DailyFileScan(input, scanRun, foundRows.sink());
  const Winapp2ScanResult ruleResult = result.stopped ? Winapp2ScanResult{} : scanRuleEntries(scanRun);
  run.finish(DailyScanSummary(result, ruleResult));
}

void DailyFilesPage::setEditorLocked(bool locked) {
  addFolderButton.setEnabled(!locked);
  deleteFolderButton.setEnabled(!locked);
}

void DailyFilesPage::onFolderBrowseClicked() {
  std::wstring folder = folderEdit.text();
  if (ChooseFolder(L"请选择一个您要清理的目录...", L"", folder)) folderEdit.setText(folder);
}

void DailyFilesPage::onAddFolderClicked() {
  UserCleanFolder entry;
  entry.ticked = true;
  entry.folder = folderEdit.text();
  entry.includeSubfolders = subfoldersCombo.text() == L"包含";
  entry.givenTypes = modeCombo.text() == L"指定类型";
  entry.types = typesEdit.text();
  const std::wstring failure = PrepareUserCleanFolder(entry);
  folderEdit.setText(entry.folder);
  typesEdit.setText(entry.types);
  if (!failure.empty()) {
    MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"增加失败", failure);
    return;
  }
  const int same = FindFolderRow(userFolderList, entry.folder);
  if (same >= 0) {
    if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"目录重复", L"您新增的清理目录已存在，是否覆盖？"))) return;
    entry.ticked = userFolderList.checked(same);
    userFolderList.setRow(same, UserCleanFolderRow(entry));
  } else {
    userFolderList.appendRow(UserCleanFolderRow(entry));
  }
  resetEditor();
}

void DailyFilesPage::onDeleteFolderClicked() {
  if (userFolderList.selectedCount() == 0) return;
  if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"目录删除", L"您“确定”删除当前选中的自定清理项吗？"))) return;
  DeleteSelectedRows(userFolderList);
}

void DailyFilesPage::resetEditor() {
  folderEdit.setText(L"");
  subfoldersCombo.setIndex(0);
  modeCombo.setIndex(0);
  typesEdit.setText(L"");
  onModeChanged();
}

void DailyFilesPage::onModeChanged() {
  const bool types = modeCombo.text() != L"全部清理";
  typesEdit.setVisible(types);
  typesLabel.setVisible(types);
}

void DailyFilesPage::onUserFolderSelected(int index) {
  const std::vector<int> chosen = userFolderList.selection();
  if (chosen.empty()) {
    resetEditor();
    return;
  }
  // The row that just became selected, else the first one still selected.
  const bool isChosen = std::find(chosen.begin(), chosen.end(), index) != chosen.end();
  const ListRow row = userFolderList.row(isChosen ? index : chosen.front());
  folderEdit.setText(row.caption);
  subfoldersCombo.selectText(row.column(1));
  modeCombo.selectText(row.column(2));
  typesEdit.setText(row.column(3));
  onModeChanged();
}

void DailyFilesPage::onUserFolderColumnClicked(int column) {
  if (runState != 0) return;
  std::vector<ListRow> rows = userFolderList.rows();
  SortListByColumn(rows, column);
  userFolderList.setRows(rows);
}

bool DailyFilesPage::userFoldersMovable() const { return runState == 0; }

void DailyFilesPage::onUserFolderDropped(int target) {
  const int source = userFolderList.selected();
  if (source < 0 || !userFoldersMovable()) return;
  std::vector<ListRow> rows = userFolderList.rows();
  const int moved = MoveListItem(rows, source, target);
  userFolderList.setRows(rows);
  userFolderList.select(moved);
}

void DailyFilesPage::onResultDoubleClicked() {
  const int i = resultList.selected();
  if (i < 0 || static_cast<std::size_t>(i) >= foundRows.size()) return;
  const FoundRow& row = foundRows.at(static_cast<std::size_t>(i));
  if (row.registry) {
    const bool value = row.kind == FoundKind::RegistryValue;
    OpenRegeditAt(std::wstring(RootName(row.registry->root)) + row.registry->keyPath,
                  value ? row.registry->valueName : L"", value ? 1 : 0);
  } else {
    ShowInExplorer(row.path);
  }
}

void DailyFilesPage::onExportClicked() {
  std::vector<std::wstring> captions;
  for (const CatalogueRow& item : CatalogueRows(Module::DailyFiles)) captions.emplace_back(item.caption);
  ExportFoundRows(form().handle(), foundRows.rows(), Module::DailyFiles, captions);
}

void DailyFilesPage::onScheduleTabClicked() {
  tabPages.show(TabIndex(DailyTab::Schedule));
  static_cast<void>(schedule.refresh());
}

void DailyFilesPage::onApplyScheduleClicked() {
  const std::wstring program = ProgramPath();
  // The reports go beside the backups, in the folder the backup page shows.
  schedule.apply({program, ScheduledArguments(schedule.chosen().withJunk, form().backupBase + L"\\Report"),
                  std::wstring(ExtractFilePath(program)), L""});
}

}  // namespace wv
