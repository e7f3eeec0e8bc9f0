#include "pages/registry/registry_traces_page.h"

#include "app/main_window.h"
#include "app/catalogue.h"
#include "pages/registry/registry_list_actions.h"
#include "engines/registry/trace_scan.h"

namespace wv {

RegistryTracesPage::RegistryTracesPage(MainWindow& form)
    : Page(form, Module::RegistryTraces, L"清理注册表中的使用历史记录，以及已失效的软件、菜单、字体等注册信息。"),
      RegistryTracesControls(form) {}

void RegistryTracesPage::build() {
  HWND h = handle();
  itemList.create(h, ListStyle{.checkBoxes = true}, {{L"扫描项目", 300}, {L"建议", 60}});
  itemsToggle.create(h, L"全选");
  defaultsLabel.create(h, L"默认");
  scanButton.create(h, L"扫描");
  deleteSelectedButton.create(h, L"选定删除");
  deleteAllButton.create(h, L"全部删除");
  deleteSelectedButton.setEnabled(false);
  deleteAllButton.setEnabled(false);
  resultList.create(h, ListStyle{.multiSelect = true},
                    {{L"主键", kRootColumnWidth}, {L"子键", 200}, {L"键名", 90}, {L"描述", 90}}, results.model());
  resultList.setImageList(form().rowPictures());

  scanButton.onClick = [this] { onScanClicked(); };
  itemsToggle.onClick = [this] { onSelectAllClicked(); };
  defaultsLabel.onClick = [this] { onDefaultsClicked(); };
  deleteSelectedButton.onClick = [this] { onDeleteSelectedClicked(); };
  deleteAllButton.onClick = [this] { onDeleteAllClicked(); };
  resultList.onDblClick = [this] { onResultDoubleClicked(); };
  scanRun.setFollow(&resultList);
}

void RegistryTracesPage::layout(int width, int height) {
  const int right = width - kMargin;
  const int buttonsX = right - kButtonW;
  const int listW = buttonsX - kGap - kMargin;
  itemList.setBounds(kMargin + 1, kTop + 1, listW - 2, 134);
  StackButtons({&scanButton, &deleteSelectedButton, &deleteAllButton}, buttonsX, kTop);
  const int rowY = kTop + 140;
  itemsToggle.setBounds(kMargin, rowY, 30, 18);
  defaultsLabel.setBounds(kMargin + 40, rowY, 30, 18);
  const int listY = rowY + 26;
  resultList.setBounds(kMargin + 1, listY + 1, width - 2 * kMargin - 2, height - listY - kMargin - 2);
}

void RegistryTracesPage::initialise() {
  FillCatalogue(Module::RegistryTraces, itemList);
  itemList.setImageList(form().rowPictures());
}

void RegistryTracesPage::stopRuns() { StopRunning({&scanRun}); }

void RegistryTracesPage::fitColumns() {
  FitListColumn(itemList, 0);
  FitListColumn(resultList, 1);
}

void RegistryTracesPage::onScanClicked() {
  if (!scanRun.canStart()) {
    scanRun.requestStop();
    return;
  }
  RunGuard run(scanRun, L"RegistryTracesPage::onScanClicked", 1, {&deleteSelectedButton, &deleteAllButton}, [this] {
    deleteSelectedButton.setEnabled(!results.empty());
    deleteAllButton.setEnabled(!results.empty());
  });
  results.clear();
  TraceScanInput input;
  for (std::size_t i = 0; i < input.items.size(); ++i)
    input.items[i] = static_cast<int>(i) < itemList.count() && itemList.checked(static_cast<int>(i));
  scanRun.setTickedRows(&itemList);
  input.known = form().knownFolders;
  // Each row shows the picture of the scan item that found it.
  const std::vector<CatalogueRow>& items = CatalogueRows(Module::RegistryTraces);
  const RegistryScanResult result = TraceScan(input, scanRun, [this, &items](RegistryRow&& row) {
    const auto position = static_cast<std::size_t>(row.category);
    results.add(std::move(row), position < items.size() ? items[position].icon : -1);
  });
  run.finish(RegistryScanSummary(result.rows));
}

void RegistryTracesPage::onSelectAllClicked() { ToggleAllTicks(itemsToggle, itemList); }

void RegistryTracesPage::onDefaultsClicked() { RestoreDefaults(itemList); }

void RegistryTracesPage::onDeleteSelectedClicked() {
  DeleteRegistryRowsAsked(results, resultList, false, L"您“确定”删除当前选中的注册表冗余信息吗？", form().registryBackupFolder,
                          deleteSelectedButton, deleteAllButton);
}

void RegistryTracesPage::onDeleteAllClicked() {
  DeleteRegistryRowsAsked(results, resultList, true, L"您“确定”删除所有扫描到的注册表冗余信息吗？", form().registryBackupFolder,
                          deleteSelectedButton, deleteAllButton);
}

void RegistryTracesPage::onResultDoubleClicked() { OpenSelectedRegistryRow(results, resultList); }

}  // namespace wv
