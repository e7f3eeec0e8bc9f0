#include "pages/registry/backup_manager_page.h"

#include "app/main_window.h"

namespace wv {

BackupManagerPage::BackupManagerPage(MainWindow& form)
    : Page(form, Module::BackupManager, L"注册表和启动项目的备份都保存在同一个目录中，可在此恢复或删除。") {}

void BackupManagerPage::build() {
  HWND h = handle();
  Label7.create(h, L"以下为本软件中各种数据备份后的统一存放目录");
  bfgl_edtSavPath.create(h, L"", 300);
  bfgl_edtSavPath.setReadOnly(true);
  bfgl_btnPathSel.create(h, L"...");
  bfgl_chxSelCom.create(h, L"备份时使用压缩算法");
  bfgl_chxSelCom.setChecked(true);
  bfgl_cbxComSta.create(h, {L"最快压缩率", L"标准压缩率", L"最好压缩率"}, 1);
  bfgl_showlist.create(h, ListStyle{},
                       {{L"备份日期", 90}, {L"备份文件名称", 200}, {L"大小", 90, LVCFMT_RIGHT}, {L"操作系统", 130},
                        {L"保存目录", 200}});
  bfgl_showlist.setImageList(form().rowPictures());
  bfgl_btnDelSel.create(h, L"选定删除");
  bfgl_btnDelAll.create(h, L"全部删除");
  bfgl_btnBack.create(h, L"选定恢复");
  bfgl_btnReturn.create(h, L"返回");
  bfgl_btnRef.create(h, L"刷新");
  bfgl_btnRef.setVisible(false);
  connectHandlers();
}

void BackupManagerPage::layout(int width, int height) {
  const int right = width - kMargin;
  Label7.setBounds(kMargin, kTop, right - kMargin, 18);
  const int editY = kTop + 22;
  bfgl_btnPathSel.setBounds(right - kEditH, editY, kEditH, kEditH);
  bfgl_edtSavPath.setBounds(kMargin, editY, right - kEditH - 6 - kMargin, kEditH);
  const int optY = editY + kEditH + 10;
  bfgl_chxSelCom.setBounds(kMargin, optY + 1, 160, 20);
  bfgl_cbxComSta.setBounds(kMargin + 170, optY, 120, 200);
  const int listY = optY + 32;
  const int buttonsY = height - kMargin - kButtonH;
  bfgl_showlist.setBounds(kMargin + 1, listY + 1, right - kMargin - 2, buttonsY - kGap - listY - 2);
  RowButtonsRight({&bfgl_btnDelSel, &bfgl_btnDelAll, &bfgl_btnBack, &bfgl_btnReturn}, right, buttonsY);
}

void BackupManagerPage::initialise() { bfgl_edtSavPath.setText(form().backupBase); }

void BackupManagerPage::fitColumns() {
  // The folder column stays in the rows but takes no room.
  bfgl_showlist.setColumnWidth(4, 0);
  FitListColumn(bfgl_showlist, 1);
}

}  // namespace wv
