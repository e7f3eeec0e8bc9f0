#include "pages/cleaning/junk_files_page.h"

#include "app/main_window.h"
#include "engines/cleaning/junk_scan.h"
#include "pages/cleaning/report_export.h"
#include "core/utilities.h"
#include "platform/text.h"
#include "platform/platform.h"

namespace wv {
namespace {

int TabIndex(JunkTab tab) { return static_cast<int>(tab); }

}  // namespace

ListRow FormatJunkRow(const FoundRow& row) { return FoundRowText(row, picture::JunkFile); }

std::wstring JunkScanSummary(const JunkScanResult& result) {
  return FoundSummary(L"垃圾文件", result.rows, result.total);
}

std::wstring DriveCaption(std::wstring_view label, wchar_t letter) {
  return std::wstring(label) + L" (" + letter + L":)";
}

std::vector<FixedDrive> FixedDrives(bool withFreeSpace) {
  std::vector<FixedDrive> drives;
  const std::uint32_t mask = Vol().logicalDrives();
  for (int bit = 0; bit < 26; ++bit) {
    if (!(mask & (1u << bit))) continue;
    const wchar_t letter = static_cast<wchar_t>(L'A' + bit);
    const std::wstring root = std::wstring(1, letter) + L":\\";
    if (Vol().driveType(root) != DRIVE_FIXED) continue;
    FixedDrive drive;
    drive.letter = letter;
    VolumeDetails details;
    if (GetVolumeInfo(letter, details)) drive.label = Trim(details.label);
    if (drive.label.empty()) drive.label = L"本地磁盘";
    if (withFreeSpace) {
      std::uint64_t total = 0;
      GetDiskSpace(letter, total, drive.freeBytes);
    }
    drives.push_back(std::move(drive));
  }
  return drives;
}

ListRow DriveRow(std::wstring_view label, wchar_t letter, std::uint64_t freeBytes) {
  ListRow row;
  row.caption = DriveCaption(label, letter);
  row.sub.push_back(FormatSize(freeBytes) + L"  剩余");
  row.image = picture::FixedDrive;
  row.state = letter;
  row.checked = true;
  return row;
}

JunkFilesControls::JunkFilesControls(MainWindow& form)
    : scanRun(form, scanButton, L"扫描", runState),
      removeSelectedRun(form, deleteSelectedButton, L"选定删除", runState),
      removeAllRun(form, deleteAllButton, L"全部删除", runState) {}

JunkFilesPage::JunkFilesPage(MainWindow& form)
    : Page(form, Module::JunkFiles, L"扫描磁盘分区中的临时文件、备份文件、错误日志等垃圾文件，并安全地清除它们。"),
      JunkFilesControls(form) {}

void JunkFilesPage::build() {
  HWND h = handle();
  driveList.create(h, ListStyle{.checkBoxes = true, .headers = false}, {{L"磁盘分区列表", 300}, {L"可用空间", 130}});
  drivesToggle.create(h, L"全选");
  scanButton.create(h, L"扫描");
  scanFolderButton.create(h, L"...");
  scanFolderButton.setHint(L"选项自定");
  deleteSelectedButton.create(h, L"选定删除");
  deleteAllButton.create(h, L"全部删除");
  exportButton.create(h, L"导出报告");
  deleteSelectedButton.setEnabled(false);
  deleteAllButton.setEnabled(false);
  exportButton.setEnabled(false);

  CreateTabs(h, tabGroup, tabPages,
             {{resultsTab, L"扫描结果"}, {typesTab, L"扫描类型"}, {removalTab, L"删除方式"}, {exclusionsTab, L"扫描排除"}});
  CreateResultList(tabPages.page(TabIndex(JunkTab::Results)), resultList, {{L"垃圾文件名", 400}, {L"大小", 90, LVCFMT_RIGHT}},
                   resultModel);

  Panel& types = tabPages.page(TabIndex(JunkTab::Types));
  typeList.create(types.handle(), ListStyle{.checkBoxes = true}, {{L"垃圾文件类型", 120}, {L"类型说明", 200}});
  typesToggle.create(types.handle(), L"全选");
  recommendedButton.create(types.handle(), L"推荐");
  types.onSize = [this](int w, int hh) {
    const int bx = w - kButtonW;
    typeList.setBounds(1, 1, bx - kGap - 2, hh - 2);
    StackButtons({&typesToggle, &recommendedButton}, bx, 0);
  };

  removal.create(tabPages.page(TabIndex(JunkTab::Removal)), kEditH);

  Panel& excluded = tabPages.page(TabIndex(JunkTab::Exclusions));
  exclusionList.create(excluded.handle(), ListStyle{.multiSelect = true}, {{L"排除对以下目录的扫描", 300}});
  addExclusionButton.create(excluded.handle(), L"增加");
  deleteExclusionButton.create(excluded.handle(), L"删除");
  excluded.onSize = [this](int w, int hh) {
    const int bx = w - kButtonW;
    exclusionList.setBounds(1, 1, bx - kGap - 2, hh - 2);
    StackButtons({&addExclusionButton, &deleteExclusionButton}, bx, 0);
  };

  scanButton.onClick = [this] { onScanClicked(); };
  scanFolderButton.onClick = [this] { onScanFolderClicked(); };
  drivesToggle.onClick = [this] { ToggleAllTicks(drivesToggle, driveList); };
  typesToggle.onClick = [this] { ToggleAllTicks(typesToggle, typeList); };
  recommendedButton.onClick = [this] { RestoreDefaults(typeList); };
  deleteSelectedButton.onClick = [this] { onDeleteSelectedClicked(); };
  deleteAllButton.onClick = [this] { onDeleteAllClicked(); };
  exportButton.onClick = [this] { onExportClicked(); };
  removal.moveFolderBrowse.onClick = [this] { removal.browseMoveFolder(); };
  addExclusionButton.onClick = [this] { onAddExclusionClicked(); };
  deleteExclusionButton.onClick = [this] { onDeleteExclusionClicked(); };
  resultList.onDblClick = [this] { onResultDoubleClicked(); };
  scanRun.setFollow(&resultList);
}

void JunkFilesPage::layout(int width, int height) {
  const int right = width - kMargin;
  const int buttonsX = right - kButtonW;
  const int listW = buttonsX - kGap - kMargin;
  // The drive list as tall as the four buttons beside it.
  driveList.setBounds(kMargin + 1, kTop + 1, listW - 2, 110);
  scanButton.setBounds(buttonsX, kTop, kButtonW - kButtonH - 4, kButtonH);
  scanFolderButton.setBounds(right - kButtonH, kTop, kButtonH, kButtonH);
  StackButtons({&deleteSelectedButton, &deleteAllButton, &exportButton}, buttonsX, kTop + kButtonH + kGap);
  drivesToggle.setBounds(kMargin, kTop + 116, 30, 18);
  const int tabsY = kTop + 142;
  RowTabs({&resultsTab, &typesTab, &removalTab, &exclusionsTab}, kMargin, tabsY, right);
  tabPages.setBounds(kMargin, tabsY + kTabH, width - 2 * kMargin, height - tabsY - kTabH - kMargin);
}

void JunkFilesPage::initialise() {
  fillDriveRows();
  FillCatalogue(Module::JunkFiles, typeList);
  for (ListViewBase* list : std::initializer_list<ListViewBase*>{&driveList, &typeList, &exclusionList, &resultList})
    list->setImageList(form().rowPictures());
}

void JunkFilesPage::fillDriveRows() {
  for (const FixedDrive& drive : FixedDrives(true)) driveList.appendRow(DriveRow(drive.label, drive.letter, drive.freeBytes));
}

void JunkFilesPage::stopRuns() { StopRunning({&scanRun, &removeSelectedRun, &removeAllRun}); }

void JunkFilesPage::fitColumns() {
  FitListColumn(driveList, 0);
  FitListColumn(resultList, 0);
  FitListColumn(typeList, 1);
  FitListColumn(exclusionList, 0);
}

void JunkFilesPage::onScanClicked() {
  if (!scanRun.canStart()) {
    scanRun.requestStop();
    scanFolderButton.setEnabled(true);
    return;
  }
  scan(JunkScanMode::TickedDrives);
}

void JunkFilesPage::onScanFolderClicked() {
  std::wstring folder = chosenFolder;
  if (!ChooseFolder(L"请选择一个您要扫描的目录...", L"", folder)) return;
  if (!scanRun.canStart()) return;
  chosenFolder = folder;
  scan(JunkScanMode::ChosenFolder);
}

void JunkFilesPage::scan(JunkScanMode mode) {
  const bool oneFolder = mode == JunkScanMode::ChosenFolder;
  RunGuard run(scanRun, oneFolder ? L"JunkFilesPage::onScanFolderClicked" : L"JunkFilesPage::onScanClicked",
               static_cast<std::int32_t>(mode), {&deleteSelectedButton, &deleteAllButton, &exportButton, &scanFolderButton},
               [this] {
                 scanFolderButton.setEnabled(true);
                 deleteSelectedButton.setEnabled(!foundRows.empty());
                 deleteAllButton.setEnabled(!foundRows.empty());
                 exportButton.setEnabled(!foundRows.empty());
               });
  resultsTab.setDown(true);
  tabPages.show(TabIndex(JunkTab::Results));

  // Masks and exclusions as they are now; a drive's tick when the walk reaches its row.
  JunkScanInput input;
  input.mode = mode;
  input.folder = chosenFolder;
  for (int i = 0; i < driveList.count(); ++i) {
    const int letter = driveList.state(i);
    input.drives.push_back(letter > 0 ? std::wstring{static_cast<wchar_t>(letter), L':'} : std::wstring());
    input.driveTicks.push_back(driveList.checked(i));
  }
  scanRun.setTickedRows(&driveList);
  for (int i = 0; i < typeList.count(); ++i)
    if (typeList.checked(i)) input.masks.push_back(typeList.text(i, 0));
  for (int i = 0; i < exclusionList.count(); ++i) input.exclusions.push_back(exclusionList.text(i, 0));
  input.known = form().knownFolders;

  foundRows.clear();
  const JunkScanResult result = JunkFileScan(input, scanRun, foundRows.sink());
  run.finish(JunkScanSummary(result));
}

void JunkFilesPage::removeRows(bool allRows) {
  const JunkRemoval operation = allRows ? JunkRemoval::All : JunkRemoval::Selected;
  RunRemoval(allRows ? removeAllRun : removeSelectedRun,
             allRows ? L"JunkFilesPage::onDeleteAllClicked" : L"JunkFilesPage::onDeleteSelectedClicked",
             static_cast<std::int32_t>(operation), resultList, foundRows, allRows, removal.options(form().handle()),
             {scanButton, &scanFolderButton, deleteSelectedButton, deleteAllButton, exportButton}, kJunkCleanedText);
}

void JunkFilesPage::onDeleteSelectedClicked() { removeRows(false); }

void JunkFilesPage::onDeleteAllClicked() { removeRows(true); }

void JunkFilesPage::onExportClicked() { ExportFoundRows(form().handle(), foundRows.rows(), Module::JunkFiles, {}); }

void JunkFilesPage::onAddExclusionClicked() {
  std::wstring folder;
  if (!ChooseFolder(L"请选择一个扫描时要排除的目录...", L"", folder)) return;
  if (FindFolderRow(exclusionList, folder) >= 0) {
    MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"扫描排除", L"您选择的扫描排除项已存在！");
    return;
  }
  ListRow row;
  row.caption = folder;
  row.image = picture::Folder;
  exclusionList.appendRow(row);
}

void JunkFilesPage::onDeleteExclusionClicked() {
  if (exclusionList.selectedCount() == 0) return;
  if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"扫描排除", L"您“确定”删除当前选中的扫描排除项吗？"))) return;
  DeleteSelectedRows(exclusionList);
}

void JunkFilesPage::onResultDoubleClicked() {
  const int i = resultList.selected();
  if (i >= 0 && static_cast<std::size_t>(i) < foundRows.size()) ShowInExplorer(foundRows.at(i).path);
}

}  // namespace wv
