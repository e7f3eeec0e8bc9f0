#include "pages/registry/redundancy_page.h"

#include "app/main_window.h"
#include "app/catalogue.h"
#include "pages/registry/registry_list_actions.h"
#include "engines/registry/redundancy_scan.h"

namespace wv {

RedundancyPage::RedundancyPage(MainWindow& form)
    : Page(form, Module::Redundancy, L"扫描注册表中指向已不存在的文件或目录的冗余信息，清理前可备份注册表。"),
      zcql_run(form, zcql_sm, L"扫描", zcql_runstate) {}

void RedundancyPage::build() {
  HWND h = handle();
  zcql_select.create(h, ListStyle{.checkBoxes = true}, {{L"扫描项目", 300}, {L"建议", 60}});
  zcql_sel.create(h, L"全选");
  zcql_sm.create(h, L"扫描");
  zcql_delsel.create(h, L"选定删除");
  zcql_delall.create(h, L"全部删除");
  zcql_delsel.setEnabled(false);
  zcql_delall.setEnabled(false);
  zcql_bf.create(h, L"备份");
  zcql_hy.create(h, L"恢复");
  zcql_showlist.create(h, ListStyle{.multiSelect = true},
                       {{L"主键", kRootColumnWidth}, {L"子键", 200}, {L"键名", 90}, {L"键值", 90}}, zcql_results.model());
  zcql_showlist.setImageList(form().rowPictures());

  zcql_sm.onClick = [this] { zcql_smClick(); };
  zcql_sel.onClick = [this] { zcql_selClick(); };
  zcql_delsel.onClick = [this] { zcql_delselClick(); };
  zcql_delall.onClick = [this] { zcql_delallClick(); };
  zcql_showlist.onDblClick = [this] { zcql_showlistDblClick(); };
  zcql_bf.onClick = [this] { zcql_bfClick(); };
  zcql_hy.onClick = [this] { zcql_hyClick(); };
  zcql_run.setFollow(&zcql_showlist);
}

void RedundancyPage::layout(int width, int height) {
  const int right = width - kMargin;
  const int buttonsX = right - kButtonW;
  const int listW = buttonsX - kGap - kMargin;
  zcql_select.setBounds(kMargin + 1, kTop + 1, listW - 2, 98);
  StackButtons({&zcql_sm, &zcql_delsel, &zcql_delall}, buttonsX, kTop);
  const int rowY = kTop + 104;
  zcql_sel.setBounds(kMargin, rowY + 4, 30, 18);
  RowButtonsRight({&zcql_bf, &zcql_hy}, right, rowY, 72, 26);
  const int listY = rowY + 26 + kGap;
  zcql_showlist.setBounds(kMargin + 1, listY + 1, width - 2 * kMargin - 2, height - listY - kMargin - 2);
}

void RedundancyPage::initialise() {
  FillCatalogue(Module::Redundancy, zcql_select);
  zcql_select.setImageList(form().rowPictures());
}

void RedundancyPage::stopRuns() { StopRunning({&zcql_run}); }

void RedundancyPage::fitColumns() {
  FitListColumn(zcql_select, 0);
  FitListColumn(zcql_showlist, 1);
}

void RedundancyPage::zcql_smClick() {
  if (!zcql_run.canStart()) {
    zcql_run.requestStop();
    return;
  }
  RunGuard run(zcql_run, L"zcql_smClick", 1, {&zcql_delsel, &zcql_delall, &zcql_bf, &zcql_hy}, [this] {
    zcql_delsel.setEnabled(!zcql_results.empty());
    zcql_delall.setEnabled(!zcql_results.empty());
    zcql_bf.setEnabled(true);
    zcql_hy.setEnabled(true);
  });
  zcql_results.clear();
  RedundancyScanInput input;
  for (std::size_t i = 0; i < input.hives.size(); ++i)
    input.hives[i] = static_cast<int>(i) < zcql_select.count() && zcql_select.checked(static_cast<int>(i));
  zcql_run.setTickedRows(&zcql_select);
  input.known = form().knownFolders;
  const RegistryScanResult result = RedundancyScan(
      input, zcql_run, [this](RegistryRow&& row) { zcql_results.add(std::move(row), kRedundancyRowImage); });
  run.finish(RegistryScanSummary(result.rows));
}

void RedundancyPage::zcql_selClick() { ToggleAllTicks(zcql_sel, zcql_select); }

void RedundancyPage::zcql_delselClick() {
  DeleteRegistryRowsAsked(zcql_results, zcql_showlist, false,
                          L"您“确定”删除当前选中的注册表冗余信息吗？（提醒：删除前最好先备份注册表！）",
                          form().registryBackupFolder, zcql_delsel, zcql_delall);
}

void RedundancyPage::zcql_delallClick() {
  DeleteRegistryRowsAsked(zcql_results, zcql_showlist, true,
                          L"您“确定”删除所有扫描到的注册表冗余信息吗？（提醒：删除前最好先备份注册表！）",
                          form().registryBackupFolder, zcql_delsel, zcql_delall);
}

void RedundancyPage::zcql_showlistDblClick() { OpenSelectedRegistryRow(zcql_results, zcql_showlist); }

}  // namespace wv
