#include "cleaning/qtrcpage.h"

#include "app/mainform.h"

namespace wv {

QtrcPage::QtrcPage(Tfrmmain& form)
    : Page(form, L"qtrc", L"其它日常清理", L"清理浏览器的临时文件、历史记录、地址栏网址和Cookies，以及Windows系统日志。"),
      qtrc_smRun(form, qtrc_sm, L"全部扫描", qtrc_runstate),
      qtrc_delselRun(form, qtrc_delsel, L"选定清理", qtrc_runstate) {}

void QtrcPage::build() {
  HWND h = handle();
  qtrc_showlist.create(h, ListStyle{.checkBoxes = true},
                       {{L"清理项目", 250}, {L"建议", 50}, {L"扫描或清理结果", 200}});
  qtrc_sel.create(h, L"全选");
  qtrc_mr.create(h, L"默认");
  qtrc_sm.create(h, L"全部扫描");
  qtrc_delsel.create(h, L"选定清理");

  qtrc_sm.onClick = [this] { qtrc_smClick(); };
  qtrc_delsel.onClick = [this] { qtrc_delselClick(); };
  qtrc_sel.onClick = [this] { qtrc_selClick(); };
  qtrc_mr.onClick = [this] { qtrc_mrClick(); };
}

void QtrcPage::layout(int width, int height) {
  const int right = width - kMargin;
  const int buttonsX = right - kButtonW;
  const int listW = buttonsX - kGap - kMargin;
  const int listH = height - kTop - kMargin - 26;
  qtrc_showlist.setBounds(kMargin + 1, kTop + 1, listW - 2, listH - 2);
  StackButtons({&qtrc_sm, &qtrc_delsel}, buttonsX, kTop);
  qtrc_sel.setBounds(kMargin, kTop + listH + 6, 30, 18);
  qtrc_mr.setBounds(kMargin + 40, kTop + listH + 6, 30, 18);
}

void QtrcPage::initialise() {
  FillCatalogue(L"qtrc", qtrc_showlist);
  qtrc_showlist.setImageList(form().publicImageList());
}

void QtrcPage::stopRuns() { PressRunning({&qtrc_sm, &qtrc_delsel}); }

void QtrcPage::fitColumns() { FitListColumn(qtrc_showlist, 2); }

void QtrcPage::qtrc_smClick() {
  if (!qtrc_smRun.canStart()) {
    qtrc_smRun.requestStop();
    return;
  }
  // The scan itself is the trace cleaner's.
}

void QtrcPage::qtrc_delselClick() {
  if (!qtrc_delselRun.canStart()) {
    qtrc_delselRun.requestStop();
    return;
  }
  // The clean itself is the trace cleaner's.
}

void QtrcPage::qtrc_selClick() { ToggleAllTicks(qtrc_sel, qtrc_showlist); }

void QtrcPage::qtrc_mrClick() { RestoreDefaults(qtrc_showlist); }

}  // namespace wv
