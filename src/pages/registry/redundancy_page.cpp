#include "pages/registry/redundancy_page.h"

#include "app/main_window.h"
#include "app/catalogue.h"
#include "pages/registry/registry_list_actions.h"
#include "engines/registry/redundancy_scan.h"

namespace wv {

RedundancyPage::RedundancyPage(MainWindow& form)
    : Page(form, Module::Redundancy, L"扫描注册表中指向已不存在的文件或目录的冗余信息，清理前可备份注册表。"),
      RedundancyControls(form) {}

void RedundancyPage::build() {
  HWND h = handle();
  hiveList.create(h, ListStyle{.checkBoxes = true}, {{L"扫描项目", 300}, {L"建议", 60}});
  hivesToggle.create(h, L"全选");
  scanButton.create(h, L"扫描");
  deleteSelectedButton.create(h, L"选定删除");
  deleteAllButton.create(h, L"全部删除");
  deleteSelectedButton.setEnabled(false);
  deleteAllButton.setEnabled(false);
  backupButton.create(h, L"备份");
  restoreButton.create(h, L"恢复");
  resultList.create(h, ListStyle{.multiSelect = true},
                    {{L"主键", kRootColumnWidth}, {L"子键", 200}, {L"键名", 90}, {L"键值", 90}}, results.model());
  resultList.setImageList(form().rowPictures());

  scanButton.onClick = [this] { onScanClicked(); };
  hivesToggle.onClick = [this] { onSelectAllClicked(); };
  deleteSelectedButton.onClick = [this] { onDeleteSelectedClicked(); };
  deleteAllButton.onClick = [this] { onDeleteAllClicked(); };
  resultList.onDblClick = [this] { onResultDoubleClicked(); };
  backupButton.onClick = [this] { onBackupClicked(); };
  restoreButton.onClick = [this] { onRestoreClicked(); };
  scanRun.setFollow(&resultList);
}

void RedundancyPage::layout(int width, int height) {
  const int right = width - kMargin;
  const int buttonsX = right - kButtonW;
  const int listW = buttonsX - kGap - kMargin;
  hiveList.setBounds(kMargin + 1, kTop + 1, listW - 2, 98);
  StackButtons({&scanButton, &deleteSelectedButton, &deleteAllButton}, buttonsX, kTop);
  const int rowY = kTop + 104;
  hivesToggle.setBounds(kMargin, rowY + 4, 30, 18);
  RowButtonsRight({&backupButton, &restoreButton}, right, rowY, 72, 26);
  const int listY = rowY + 26 + kGap;
  resultList.setBounds(kMargin + 1, listY + 1, width - 2 * kMargin - 2, height - listY - kMargin - 2);
}

void RedundancyPage::initialise() {
  FillCatalogue(Module::Redundancy, hiveList);
  hiveList.setImageList(form().rowPictures());
}

void RedundancyPage::stopRuns() { StopRunning({&scanRun}); }

void RedundancyPage::fitColumns() {
  FitListColumn(hiveList, 0);
  FitListColumn(resultList, 1);
}

void RedundancyPage::onScanClicked() {
  if (!scanRun.canStart()) {
    scanRun.requestStop();
    return;
  }
  RunGuard run(scanRun, L"RedundancyPage::onScanClicked", 1,
               {&deleteSelectedButton, &deleteAllButton, &backupButton, &restoreButton}, [this] {
                 deleteSelectedButton.setEnabled(!results.empty());
                 deleteAllButton.setEnabled(!results.empty());
                 backupButton.setEnabled(true);
                 restoreButton.setEnabled(true);
               });
  results.clear();
  RedundancyScanInput input;
  for (std::size_t i = 0; i < input.hives.size(); ++i)
    input.hives[i] = static_cast<int>(i) < hiveList.count() && hiveList.checked(static_cast<int>(i));
  scanRun.setTickedRows(&hiveList);
  input.known = form().knownFolders;
  const RegistryScanResult result = RedundancyScan(
      input, scanRun, [this](RegistryRow&& row) { results.add(std::move(row), kRedundancyRowImage); });
  run.finish(RegistryScanSummary(result.rows));
}

void RedundancyPage::onSelectAllClicked() { ToggleAllTicks(hivesToggle, hiveList); }

void RedundancyPage::onDeleteSelectedClicked() {
  DeleteRegistryRowsAsked(results, resultList, false,
                          L"您“确定”删除当前选中的注册表冗余信息吗？（提醒：删除前最好先备份注册表！）",
                          form().registryBackupFolder, deleteSelectedButton, deleteAllButton);
}

void RedundancyPage::onDeleteAllClicked() {
  DeleteRegistryRowsAsked(results, resultList, true,
                          L"您“确定”删除所有扫描到的注册表冗余信息吗？（提醒：删除前最好先备份注册表！）",
                          form().registryBackupFolder, deleteSelectedButton, deleteAllButton);
}

void RedundancyPage::onResultDoubleClicked() { OpenSelectedRegistryRow(results, resultList); }

}  // namespace wv
