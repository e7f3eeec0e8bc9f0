#include "tools/wjszpage.h"

#include "app/mainform.h"
#include "platform/platform.h"

namespace wv {

WjszPage::WjszPage(Tfrmmain& form)
    : FileToolPage(form, {.key = L"wjsz",
                          .title = L"文件信息设置",
                          .description = L"批量修改文件的名称、时间和属性：先模拟，确认无误后再正式执行。可将文件拖放到此页。",
                          .importCaption = L"文件选择",
                          .dialogTitle = L"请选择您要设置的文件...",
                          .filterName = L"所有格式",
                          .filterPattern = L"*.*",
                          .followShortcuts = false,
                          .expandFolders = true}),
      wjsz_mnchgRun(form, wjsz_mnchg, L"模拟", wjsz_runstate),
      wjsz_zschgRun(form, wjsz_zschg, L"正式执行", wjsz_runstate) {}

void WjszPage::build() {
  HWND h = handle();
  wjsz_reset.create(h, L"重置");
  createFileButton();
  wjsz_mnobj.create(h, {L"名称", L"时间", L"属性"}, 0);
  wjsz_mnchg.create(h, L"模拟");
  wjsz_mnret.create(h, L"重置");
  wjsz_zspth.create(h, {L"目录保持不变", L"目录更改剪切", L"目录更改复制"}, 0);
  wjsz_zschg.create(h, L"正式执行");
  for (Button* b : {&wjsz_mnchg, &wjsz_mnret, &wjsz_zschg}) b->setEnabled(false);
  wjsz_showlist.create(h, ListStyle{.multiSelect = true, .editLabels = true},
                       {{L"新文件名！", 240},
                        {L"原文件名", 240},
                        {L"新修改时间！", 126},
                        {L"原修改时间", 126},
                        {L"新创建时间！", 126},
                        {L"原创建时间", 126},
                        {L"新属性！", 60},
                        {L"原属性", 60},
                        {L"原目录", 500}},
                       wjsz_rows);
  wjsz_reset.onClick = [this] { wjsz_resetClick(); };
  wjsz_mnobj.onChange = [this] { wjsz_mnobjChange(); };
  wjsz_fileselRun.setFollow(&wjsz_showlist);
}

void WjszPage::layout(int width, int height) {
  const int right = width - kMargin;
  wjsz_reset.setBounds(kMargin, kTop + 5, 30, 18);
  wjsz_filesel.setBounds(right - kButtonW, kTop, kButtonW, kButtonH);
  const int barY = kTop + kButtonH + 10;
  wjsz_mnobj.setBounds(kMargin, barY + 2, 90, 200);
  wjsz_mnchg.setBounds(kMargin + 98, barY, 80, kButtonH);
  wjsz_mnret.setBounds(kMargin + 186, barY, 80, kButtonH);
  wjsz_zschg.setBounds(right - kButtonW, barY, kButtonW, kButtonH);
  wjsz_zspth.setBounds(right - kButtonW - kGap - 120, barY + 2, 120, 200);
  const int listY = barY + kButtonH + 10;
  wjsz_showlist.setBounds(kMargin + 1, listY + 1, right - kMargin - 2, height - listY - kMargin - 2);
}

void WjszPage::initialise() {
  FileToolPage::initialise();
  wjsz_showlist.setImageList(Sh().smallIconList());
  wjsz_resetClick();
  wjsz_mnobjChange();
}

void WjszPage::stopRuns() { PressRunning({&wjsz_filesel, &wjsz_mnchg, &wjsz_zschg}); }

void WjszPage::wjsz_resetClick() {
  // The rule controls that this resets belong to the file-info editor.
}

void WjszPage::wjsz_mnobjChange() {
  // Which rule panel shows is the file-info editor's.
}

void WjszPage::RunFileInfoTask() {
  // Until the file-info engine runs here, every operation ends at once and the
  // pending files stay pending.
  wjsz_mnchgRun.requestStop();
  wjsz_zschgRun.requestStop();
  wjsz_fileselRun.finish(L"");
}

}  // namespace wv
