#include "pages/cleaning/startup_page.h"

#include "app/main_window.h"
#include "platform/platform.h"

namespace wv {

StartupPage::StartupPage(MainWindow& form)
    : Page(form, Module::Startup, L"管理随Windows一起启动的程序，删除前自动备份，可随时恢复。") {}

void StartupPage::build() {
  HWND h = handle();
  qdsz_showlist.create(h, ListStyle{.checkBoxes = true},
                       {{L"程序名称     (共 0 项)", 170}, {L"程序位置", 260}, {L"类型", 70}, {L"注册表中的位置", 200}});
  qdsz_autosx.create(h, L"刷新");
  qdsz_autoseldel.create(h, L"选定删除");
  qdsz_autohf.create(h, L"恢复");
  for (Button* b : {&qdsz_autosx, &qdsz_autoseldel, &qdsz_autohf}) b->setEnabled(false);
  connectHandlers();
}

void StartupPage::layout(int width, int height) {
  const int right = width - kMargin;
  const int buttonsX = right - kButtonW;
  qdsz_showlist.setBounds(kMargin + 1, kTop + 1, buttonsX - kGap - kMargin - 2, height - kTop - kMargin - 2);
  StackButtons({&qdsz_autosx, &qdsz_autoseldel, &qdsz_autohf}, buttonsX, kTop);
}

void StartupPage::initialise() { qdsz_showlist.setImageList(Sh().smallIconList()); }

void StartupPage::fitColumns() {
  // The registry location stays in the rows but takes no room.
  qdsz_showlist.setColumnWidth(3, 0);
  FitListColumn(qdsz_showlist, 1);
}

void StartupPage::activated() {
  if (qdsz_showlist.count() == 0) qdsz_autosxClick();
}

}  // namespace wv
