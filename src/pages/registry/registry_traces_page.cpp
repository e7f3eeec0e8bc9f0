#include "pages/registry/registry_traces_page.h"

#include "app/main_window.h"
#include "app/catalogue.h"
#include "pages/registry/registry_list_actions.h"
#include "engines/registry/trace_scan.h"

namespace wv {

RegistryTracesPage::RegistryTracesPage(MainWindow& form)
    : Page(form, Module::RegistryTraces, L"清理注册表中的使用历史记录，以及已失效的软件、菜单、字体等注册信息。"),
      zcrc_run(form, zcrc_sm, L"扫描", zcrc_runstate) {}

void RegistryTracesPage::build() {
  HWND h = handle();
  zcrc_select.create(h, ListStyle{.checkBoxes = true}, {{L"扫描项目", 300}, {L"建议", 60}});
  zcrc_sel.create(h, L"全选");
  zcrc_mr.create(h, L"默认");
  zcrc_sm.create(h, L"扫描");
  zcrc_delsel.create(h, L"选定删除");
  zcrc_delall.create(h, L"全部删除");
  zcrc_delsel.setEnabled(false);
  zcrc_delall.setEnabled(false);
  zcrc_showlist.create(h, ListStyle{.multiSelect = true},
                       {{L"主键", kRootColumnWidth}, {L"子键", 200}, {L"键名", 90}, {L"描述", 90}}, zcrc_results.model());
  zcrc_showlist.setImageList(form().rowPictures());

  zcrc_sm.onClick = [this] { zcrc_smClick(); };
  zcrc_sel.onClick = [this] { zcrc_selClick(); };
  zcrc_mr.onClick = [this] { zcrc_mrClick(); };
  zcrc_delsel.onClick = [this] { zcrc_delselClick(); };
  zcrc_delall.onClick = [this] { zcrc_delallClick(); };
  zcrc_showlist.onDblClick = [this] { zcrc_showlistDblClick(); };
  zcrc_run.setFollow(&zcrc_showlist);
}

void RegistryTracesPage::layout(int width, int height) {
  const int right = width - kMargin;
  const int buttonsX = right - kButtonW;
  const int listW = buttonsX - kGap - kMargin;
  zcrc_select.setBounds(kMargin + 1, kTop + 1, listW - 2, 134);
  StackButtons({&zcrc_sm, &zcrc_delsel, &zcrc_delall}, buttonsX, kTop);
  const int rowY = kTop + 140;
  zcrc_sel.setBounds(kMargin, rowY, 30, 18);
  zcrc_mr.setBounds(kMargin + 40, rowY, 30, 18);
  const int listY = rowY + 26;
  zcrc_showlist.setBounds(kMargin + 1, listY + 1, width - 2 * kMargin - 2, height - listY - kMargin - 2);
}

void RegistryTracesPage::initialise() {
  FillCatalogue(Module::RegistryTraces, zcrc_select);
  zcrc_select.setImageList(form().rowPictures());
}

void RegistryTracesPage::stopRuns() { StopRunning({&zcrc_run}); }

void RegistryTracesPage::fitColumns() {
  FitListColumn(zcrc_select, 0);
  FitListColumn(zcrc_showlist, 1);
}

void RegistryTracesPage::zcrc_smClick() {
  if (!zcrc_run.canStart()) {
    zcrc_run.requestStop();
    return;
  }
  RunGuard run(zcrc_run, L"zcrc_smClick", 1, {&zcrc_delsel, &zcrc_delall}, [this] {
    zcrc_delsel.setEnabled(!zcrc_results.empty());
    zcrc_delall.setEnabled(!zcrc_results.empty());
  });
  zcrc_results.clear();
  TraceScanInput input;
  for (std::size_t i = 0; i < input.items.size(); ++i)
    input.items[i] = static_cast<int>(i) < zcrc_select.count() && zcrc_select.checked(static_cast<int>(i));
  zcrc_run.setTickedRows(&zcrc_select);
  input.known = form().knownFolders;
  const std::vector<CatalogueRow>& items = CatalogueRows(Module::RegistryTraces);
  const RegistryScanResult result = TraceScan(input, zcrc_run, [this, &items](RegistryRow&& row) {
    const auto position = static_cast<std::size_t>(row.category);
    zcrc_results.add(std::move(row), position < items.size() ? items[position].icon : -1);
  });
  run.finish(RegistryScanSummary(result.rows));
}

void RegistryTracesPage::zcrc_selClick() { ToggleAllTicks(zcrc_sel, zcrc_select); }

void RegistryTracesPage::zcrc_mrClick() { RestoreDefaults(zcrc_select); }

void RegistryTracesPage::zcrc_delselClick() {
  DeleteRegistryRowsAsked(zcrc_results, zcrc_showlist, false, L"您“确定”删除当前选中的注册表冗余信息吗？", form().registryBackupFolder,
                          zcrc_delsel, zcrc_delall);
}

void RegistryTracesPage::zcrc_delallClick() {
  DeleteRegistryRowsAsked(zcrc_results, zcrc_showlist, true, L"您“确定”删除所有扫描到的注册表冗余信息吗？", form().registryBackupFolder,
                          zcrc_delsel, zcrc_delall);
}

void RegistryTracesPage::zcrc_showlistDblClick() { OpenSelectedRegistryRow(zcrc_results, zcrc_showlist); }

}  // namespace wv
