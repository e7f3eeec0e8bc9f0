#include "pages/registry/backup_manager_page.h"

#include "app/main_window.h"

namespace wv {

BackupManagerPage::BackupManagerPage(MainWindow& form)
    : Page(form, Module::BackupManager, L"注册表和启动项目的备份都保存在同一个目录中，可在此恢复或删除。") {}

void BackupManagerPage::build() {
  HWND h = handle();
  folderLabel.create(h, L"以下为本软件中各种数据备份后的统一存放目录");
  baseFolderEdit.create(h, L"", 300);
  baseFolderEdit.setReadOnly(true);
  chooseFolderButton.create(h, L"...");
  compressCheck.create(h, L"备份时使用压缩算法");
  compressCheck.setChecked(true);
  levelCombo.create(h, {L"最快压缩率", L"标准压缩率", L"最好压缩率"}, 1);
  backupList.create(h, ListStyle{},
                    {{L"备份日期", 90}, {L"备份文件名称", 200}, {L"大小", 90, LVCFMT_RIGHT}, {L"操作系统", 130},
                     {L"保存目录", 200}});
  backupList.setImageList(form().rowPictures());
  deleteSelectedButton.create(h, L"选定删除");
  deleteAllButton.create(h, L"全部删除");
  restoreButton.create(h, L"选定恢复");
  returnButton.create(h, L"返回");
  connectHandlers();
}

void BackupManagerPage::layout(int width, int height) {
  const int right = width - kMargin;
  folderLabel.setBounds(kMargin, kTop, right - kMargin, 18);
  const int editY = kTop + 22;
  chooseFolderButton.setBounds(right - kEditH, editY, kEditH, kEditH);
  baseFolderEdit.setBounds(kMargin, editY, right - kEditH - 6 - kMargin, kEditH);
  const int optY = editY + kEditH + 10;
  compressCheck.setBounds(kMargin, optY + 1, 160, 20);
  levelCombo.setBounds(kMargin + 170, optY, 120, 200);
  const int listY = optY + 32;
  const int buttonsY = height - kMargin - kButtonH;
  backupList.setBounds(kMargin + 1, listY + 1, right - kMargin - 2, buttonsY - kGap - listY - 2);
  RowButtonsRight({&deleteSelectedButton, &deleteAllButton, &restoreButton, &returnButton}, right, buttonsY);
}

void BackupManagerPage::initialise() { baseFolderEdit.setText(form().backupBase); }

void BackupManagerPage::fitColumns() {
  // The folder column stays in the rows but takes no room.
  backupList.setColumnWidth(4, 0);
  FitListColumn(backupList, 1);
}

BackupOptions BackupManagerPage::backupOptions() const {
  return {form().registryBackupFolder, compressCheck.checked(), levelCombo.index()};
}

}  // namespace wv
