#include "registry/zcrcpage.h"

#include "app/mainform.h"

namespace wv {

ZcrcPage::ZcrcPage(Tfrmmain& form)
    : Page(form, L"zcrc", L"注册日常清理", L"清理注册表中的使用历史记录，以及已失效的软件、菜单、字体等注册信息。"),
      zcrc_run(form, zcrc_sm, L"扫描", zcrc_runstate) {}

void ZcrcPage::build() {
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
                       {{L"主键", 140}, {L"子键", 200}, {L"键名", 90}, {L"描述", 90}}, zcrc_results);
  zcrc_showlist.setImageList(form().publicImageList());

  zcrc_sm.onClick = [this] { zcrc_smClick(); };
  zcrc_sel.onClick = [this] { zcrc_selClick(); };
  zcrc_mr.onClick = [this] { zcrc_mrClick(); };
  zcrc_run.setFollow(&zcrc_showlist);
}

void ZcrcPage::layout(int width, int height) {
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

void ZcrcPage::initialise() {
  FillCatalogue(L"zcrc", zcrc_select);
  zcrc_select.setImageList(form().publicImageList());
}

void ZcrcPage::stopRuns() { PressRunning({&zcrc_sm}); }

void ZcrcPage::fitColumns() {
  FitListColumn(zcrc_select, 0);
  FitListColumn(zcrc_showlist, 1);
}

void ZcrcPage::zcrc_smClick() {
  if (!zcrc_run.canStart()) {
    zcrc_run.requestStop();
    return;
  }
  // The scan itself is the trace scanner's.
}

void ZcrcPage::zcrc_selClick() { ToggleAllTicks(zcrc_sel, zcrc_select); }

void ZcrcPage::zcrc_mrClick() { RestoreDefaults(zcrc_select); }

}  // namespace wv
