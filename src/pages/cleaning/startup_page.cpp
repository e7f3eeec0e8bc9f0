#include "pages/cleaning/startup_page.h"

#include "app/main_window.h"
#include "platform/platform.h"

namespace wv {

std::wstring StartupHeader(int rows) { return L"程序名称     (共 " + ToDecimal(rows) + L" 项)"; }

StartupPage::StartupPage(MainWindow& form)
    : Page(form, Module::Startup, L"管理随Windows一起启动的程序，删除前自动备份，可随时恢复。") {}

void StartupPage::build() {
  HWND h = handle();
  itemList.create(h, ListStyle{.checkBoxes = true},
                  {{StartupHeader(0), 170}, {L"程序位置", 260}, {L"类型", 70}, {L"注册表中的位置", 200}});
  refreshButton.create(h, L"刷新");
  deleteTickedButton.create(h, L"选定删除");
  restoreButton.create(h, L"恢复");
  for (Button* b : {&refreshButton, &deleteTickedButton, &restoreButton}) b->setEnabled(false);
  refreshButton.onClick = [this] { refreshList(); };
  deleteTickedButton.onClick = [this] { onDeleteTickedClicked(); };
  restoreButton.onClick = [this] { onRestoreClicked(); };
  itemList.onColumnClick = [this](int column) { onColumnClicked(column); };
}

void StartupPage::layout(int width, int height) {
  const int right = width - kMargin;
  const int buttonsX = right - kButtonW;
  itemList.setBounds(kMargin + 1, kTop + 1, buttonsX - kGap - kMargin - 2, height - kTop - kMargin - 2);
  StackButtons({&refreshButton, &deleteTickedButton, &restoreButton}, buttonsX, kTop);
}

void StartupPage::initialise() { itemList.setImageList(Sh().smallIconList()); }

void StartupPage::fitColumns() {
  // The registry location stays in the rows but takes no room.
  itemList.setColumnWidth(3, 0);
  FitListColumn(itemList, 1);
}

void StartupPage::activated() {
  if (itemList.count() == 0) refreshList();
}

}  // namespace wv
