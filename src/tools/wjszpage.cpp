#include "tools/wjszpage.h"

#include <windowsx.h>

#include "app/mainform.h"
#include "core/publline.h"
#include "platform/platform.h"

namespace wv {

// ---------------------------------------------------------------- preview

void PreviewEdit::selection(int& start, int& length) const {
  DWORD from = 0, to = 0;
  SendMessageW(handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  start = static_cast<int>(std::min(from, to));
  length = static_cast<int>(from > to ? from - to : to - from);
}

LRESULT PreviewEdit::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = Edit::handleMessage(message, wParam, lParam);
  if ((message == WM_LBUTTONUP || message == WM_KEYUP) && onSelectionDone) onSelectionDone();
  return result;
}

// ---------------------------------------------------------------- the page

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
  wjsz_setscl.create(h);
  wjsz_setscl.onClick = [this](int, int) { wjsz_setsclMouseDown(); };
  for (Panel* p : {&wjsz_namepnl, &wjsz_timepnl, &wjsz_attrpnl}) {
    p->create(wjsz_setpnl.handle(), theme::kPage);
    p->setVisible(false);
    p->onClick = [this](int, int) { wjsz_setsclMouseDown(); };
  }
  buildNamePanel();
  buildTimePanel();
  buildAttrPanel();

  wjsz_mnobj.create(h, {L"名称", L"时间", L"属性"}, 0);
  wjsz_mnchg.create(h, L"模拟");
  wjsz_mnret.create(h, L"重置");
  wjsz_zspth.create(h, {L"目录保持不变", L"目录更改剪切", L"目录更改复制"}, 0);
  wjsz_zschg.create(h, L"正式执行");
  for (Button* b : {&wjsz_mnchg, &wjsz_mnret, &wjsz_zschg}) b->setEnabled(false);
  wjsz_reset.onClick = [this] { wjsz_resetClick(); };
  wjsz_mnobj.onChange = [this] { wjsz_mnobjChange(); };
  wjsz_mnchg.onClick = [this] { wjsz_mnchgClick(); };
  wjsz_mnret.onClick = [this] { wjsz_mnretClick(); };
  wjsz_zschg.onClick = [this] { wjsz_zschgClick(); };
  buildList();
}

// The settings area is as high as the panel shown, at most the name panel's
// first rows: its other rules are scrolled to.
constexpr int kMostSettingsHeight = 6 * ScrollBox::kLine + 8;

void WjszPage::layout(int width, int height) {
  const int right = width - kMargin;
  wjsz_reset.setBounds(kMargin, kTop + 5, 30, 18);
  wjsz_filesel.setBounds(right - kButtonW, kTop, kButtonW, kButtonH);
  const int setY = kTop + kButtonH + 8;
  const int setW = right - kMargin;
  // The name rules end left of the scroll bar that the name panel always needs.
  layoutNamePanel(setW - GetSystemMetrics(SM_CXVSCROLL));
  layoutTimePanel();
  layoutAttrPanel();
  const int contentH = visiblePanel().height();
  const int setH = std::min(contentH, kMostSettingsHeight);
  wjsz_setscl.setBounds(kMargin, setY, setW, setH);
  wjsz_setscl.setContentHeight(contentH);

  const int barY = setY + setH + 8;
  wjsz_mnobj.setBounds(kMargin, barY + 3, 90, 200);
  wjsz_mnchg.setBounds(kMargin + 98, barY, 80, kButtonH);
  wjsz_mnret.setBounds(kMargin + 186, barY, 80, kButtonH);
  wjsz_zschg.setBounds(right - kButtonW, barY, kButtonW, kButtonH);
  wjsz_zspth.setBounds(right - kButtonW - kGap - 120, barY + 3, 120, 200);
  const int listY = barY + kButtonH + 8;
  wjsz_showlist.setBounds(kMargin + 1, listY + 1, right - kMargin - 2, height - listY - kMargin - 2);
}

void WjszPage::initialise() {
  FileToolPage::initialise();
  wjsz_showlist.setImageList(Sh().smallIconList());
  wjsz_resetClick();
  wjsz_mnobjChange();
}

void WjszPage::stopRuns() { PressRunning({&wjsz_filesel, &wjsz_mnchg, &wjsz_zschg}); }

Panel& WjszPage::visiblePanel() {
  switch (wjsz_mnobj.index()) {
    case 1: return wjsz_timepnl;
    case 2: return wjsz_attrpnl;
    default: return wjsz_namepnl;
  }
}

void WjszPage::wjsz_mnobjChange() {
  Panel& show = visiblePanel();
  if (show.visible()) return;
  for (Panel* p : {&wjsz_namepnl, &wjsz_timepnl, &wjsz_attrpnl}) p->setVisible(p == &show);
  wjsz_setscl.scrollTo(0);
  relayout();  // the settings area takes the shown panel's height
}

// ---------------------------------------------------------------- operations

void WjszPage::wjsz_mnchgClick() {
  if (!wjsz_mnchgRun.canStart()) {
    wjsz_mnchgRun.requestStop();
    return;
  }
  if (wjsz_mnobj.index() == 1) {
    Edit* edits[] = {&wjsz_timedatbeg, &wjsz_timedatend, &wjsz_timetimbeg, &wjsz_timetimend};
    const int bad = FirstInvalidTimeEdit(ReadSettings());
    if (bad >= 0) {
      (void)MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"模拟失败", L"时间格式填写有误，请重新填写！");
      edits[bad]->focus();
      return;
    }
  }
  wjsz_runstate = 2;
  RunFileInfoTask();
}

void WjszPage::wjsz_zschgClick() {
  if (!wjsz_zschgRun.canStart()) {
    wjsz_zschgRun.requestStop();
    return;
  }
  if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"文件设置", L"您确定对当前所有的文件信息进行正式设置吗？")))
    return;
  wjsz_targetdir.clear();
  if (wjsz_zspth.index() != 0) {
    std::wstring folder;
    if (!ChooseFolder(L"请选择一个您要保存的目录...", L"", folder)) return;
    wjsz_targetdir = IncludeTrailingBackslash(folder);
  }
  wjsz_runstate = 3;
  RunFileInfoTask();
}

void WjszPage::wjsz_mnretClick() {
  if (wjsz_runstate != 0) return;
  const FileInfoObject object = static_cast<FileInfoObject>(std::max(0, wjsz_mnobj.index()));
  ResetSimulated(wjsz_files, object);
  if (object == FileInfoObject::Names) wjsz_showlistSelectItem();
  SetRunInfo(std::wstring(ObjectCaption(object)) + L"模拟信息重置完成");
}

void WjszPage::wjsz_menurefreshClick() {
  if (wjsz_runstate != 0) return;
  if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"信息刷新", L"刷新的同时会重置当前所有的模拟信息，您确定吗？")))
    return;
  wjsz_runstate = 4;
  RunFileInfoTask();
}

void WjszPage::RunFileInfoTask() {
  const int op = wjsz_runstate;
  FileInfoTask task;
  task.op = static_cast<FileInfoOp>(op);
  RunControl* run = &wjsz_fileselRun;
  switch (task.op) {
    case FileInfoOp::Import:
      task.files = std::move(wjsz_filelist);
      wjsz_filelist.clear();
      wjsz_fileselRun.start(1, {&wjsz_mnchg, &wjsz_mnret, &wjsz_zschg});
      break;
    case FileInfoOp::Simulate:
      task.settings = ReadSettings();
      run = &wjsz_mnchgRun;
      run->start(2, {&wjsz_filesel, &wjsz_mnobj, &wjsz_mnret, &wjsz_zschg, &wjsz_setscl});
      break;
    case FileInfoOp::Execute:
      task.placement = static_cast<FilePlacement>(std::max(0, wjsz_zspth.index()));
      task.targetDir = wjsz_targetdir;
      run = &wjsz_zschgRun;
      run->start(3, {&wjsz_filesel, &wjsz_mnchg, &wjsz_mnret, &wjsz_setscl, &wjsz_zspth});
      break;
    case FileInfoOp::Refresh:
      // Nothing can stop it: the file button only stands in for its run protocol.
      wjsz_fileselRun.start(4, {&wjsz_filesel, &wjsz_mnchg, &wjsz_mnret, &wjsz_zschg});
      wjsz_filesel.setCaption(L"文件选择");
      break;
    default:
      wjsz_runstate = 0;
      return;
  }
  const FileInfoResult result = wv::RunFileInfoTask(task, *run, wjsz_files);
  run->finish(result.summary);
  endOperation();
}

void WjszPage::endOperation() {
  wjsz_showlist.flush();
  UpdateFileInfoCount();
  for (Control* c : std::initializer_list<Control*>{&wjsz_filesel, &wjsz_setscl, &wjsz_zspth, &wjsz_mnobj})
    c->setEnabled(true);
  wjsz_filesel.setCaption(L"文件选择");
  wjsz_mnchg.setCaption(L"模拟");
  wjsz_zschg.setCaption(L"正式执行");
  wjsz_showlistSelectItem();
  const bool rows = !wjsz_files.empty();
  for (Button* b : {&wjsz_mnchg, &wjsz_mnret, &wjsz_zschg}) b->setEnabled(rows);
  wjsz_runstate = 0;
}

}  // namespace wv
