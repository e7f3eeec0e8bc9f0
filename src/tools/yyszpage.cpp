#include "tools/yyszpage.h"

#include "app/mainform.h"
#include "platform/platform.h"

namespace wv {

YyszPage::YyszPage(Tfrmmain& form)
    : FileToolPage(form, {.key = L"yysz",
                          .title = L"音乐信息设置",
                          .description = L"批量整理音乐文件的名称：先模拟，确认无误后再正式执行。可将音乐文件拖放到此页。",
                          .importCaption = L"音乐选择",
                          .dialogTitle = L"请选择您要设置的音乐文件...",
                          .filterName = L"*.mp3;*.wma",
                          .filterPattern = L"*.mp3;*.wma",
                          .followShortcuts = true,
                          .expandFolders = true}),
      yysz_mnchgRun(form, yysz_mnchg, L"模拟", yysz_runstate),
      yysz_zschgRun(form, yysz_zschg, L"正式执行", yysz_runstate) {}

void YyszPage::build() {
  HWND h = handle();
  createFileButton();
  yysz_mnobj.create(h, {L"名称", L"标签"}, 0);
  yysz_mnchg.create(h, L"模拟");
  yysz_mnret.create(h, L"重置");
  yysz_zspth.create(h, {L"目录保持不变", L"目录更改剪切", L"目录更改复制"}, 0);
  yysz_zschg.create(h, L"正式执行");
  for (Button* b : {&yysz_mnchg, &yysz_mnret, &yysz_zschg}) b->setEnabled(false);
  yysz_showlist.create(h, ListStyle{.multiSelect = true, .editLabels = true},
                       {{L"新文件名！", 200},
                        {L"原文件名", 200},
                        {L"标题", 180},
                        {L"艺术家", 180},
                        {L"专缉", 180},
                        {L"年代", 100},
                        {L"备注", 200},
                        {L"路径", 500}},
                       yysz_rows);
  yysz_fileselRun.setFollow(&yysz_showlist);
}

void YyszPage::layout(int width, int height) {
  const int right = width - kMargin;
  yysz_filesel.setBounds(right - kButtonW, kTop, kButtonW, kButtonH);
  const int barY = kTop + kButtonH + 10;
  yysz_mnobj.setBounds(kMargin, barY + 2, 90, 200);
  yysz_mnchg.setBounds(kMargin + 98, barY, 80, kButtonH);
  yysz_mnret.setBounds(kMargin + 186, barY, 80, kButtonH);
  yysz_zschg.setBounds(right - kButtonW, barY, kButtonW, kButtonH);
  yysz_zspth.setBounds(right - kButtonW - kGap - 120, barY + 2, 120, 200);
  const int listY = barY + kButtonH + 10;
  yysz_showlist.setBounds(kMargin + 1, listY + 1, right - kMargin - 2, height - listY - kMargin - 2);
}

void YyszPage::initialise() {
  FileToolPage::initialise();
  yysz_showlist.setImageList(Sh().smallIconList());
}

void YyszPage::stopRuns() { PressRunning({&yysz_filesel}); }

void YyszPage::RunMusicTask() {
  // Until the music import runs here, every operation ends at once and the
  // pending files stay pending.
  yysz_mnchgRun.requestStop();
  yysz_zschgRun.requestStop();
  yysz_fileselRun.finish(L"");
}

}  // namespace wv
