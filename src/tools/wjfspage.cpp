#include "tools/wjfspage.h"

#include "app/mainform.h"
#include "platform/platform.h"

namespace wv {

WjfsPage::WjfsPage(Tfrmmain& form)
    : FileToolPage(form, {.key = L"wjfs",
                          .title = L"文件资料粉碎",
                          .description = L"彻底粉碎文件和目录，使其内容无法再被恢复。可将文件或目录拖放到此页。",
                          .importCaption = L"文件选择",
                          .dialogTitle = L"请选择您要粉碎的文件...",
                          .filterName = L"所有格式",
                          .filterPattern = L"*.*",
                          .followShortcuts = true,
                          .expandFolders = false}),
      wjfs_selfsRun(form, wjfs_selfs, L"选定粉碎", wjfs_runstate),
      wjfs_allselfsRun(form, wjfs_allselfs, L"全部粉碎", wjfs_runstate) {}

void WjfsPage::build() {
  HWND h = handle();
  createFileButton();
  wjfs_showlist.create(h, ListStyle{}, {{L"待粉碎的文件或目录名", 400}, {L"大小", 90, LVCFMT_RIGHT}}, wjfs_rows);
  wjfs_selfs.create(h, L"选定粉碎");
  wjfs_allselfs.create(h, L"全部粉碎");
  wjfs_refresh.create(h, L"刷新");
  for (Button* b : {&wjfs_selfs, &wjfs_allselfs, &wjfs_refresh}) b->setEnabled(false);
  wjfs_fileselRun.setFollow(&wjfs_showlist);
}

void WjfsPage::layout(int width, int height) {
  const int right = width - kMargin;
  wjfs_filesel.setBounds(right - kButtonW, kTop, kButtonW, kButtonH);
  const int listY = kTop + kButtonH + 10;
  const int buttonsY = height - kMargin - kButtonH;
  wjfs_showlist.setBounds(kMargin + 1, listY + 1, right - kMargin - 2, buttonsY - kGap - listY - 2);
  RowButtonsRight({&wjfs_selfs, &wjfs_allselfs, &wjfs_refresh}, right, buttonsY);
}

void WjfsPage::initialise() {
  FileToolPage::initialise();
  wjfs_showlist.setImageList(Sh().smallIconList());
}

void WjfsPage::fitColumns() { FitListColumn(wjfs_showlist, 0); }

void WjfsPage::stopRuns() { PressRunning({&wjfs_filesel, &wjfs_selfs, &wjfs_allselfs}); }

void WjfsPage::RunShredTask() {
  // Until the shredder runs here, every operation ends at once and the pending
  // entries stay pending.
  wjfs_selfsRun.requestStop();
  wjfs_allselfsRun.requestStop();
  wjfs_fileselRun.finish(L"");
}

}  // namespace wv
