#include "pages/cleaning/other_traces_page.h"

#include <algorithm>

#include "app/main_window.h"
#include "core/utilities.h"

namespace wv {

std::wstring TraceResultText(TraceRun mode, const TraceResult& result) {
  switch (result.status) {
    case TraceStatus::Untouched:
    case TraceStatus::Interrupted: return {};
    case TraceStatus::Working: return mode == TraceRun::Scan ? L"扫描中..." : L"清理中...";
    case TraceStatus::Nothing: return L"干净";
    case TraceStatus::Found: {
      std::wstring text = L"共 " + ToDecimal(static_cast<std::int64_t>(result.count)) + L" 项";
      if (result.bytes > 0) text += L",占用 " + FormatSize(result.bytes) + L" 硬盘空间";
      return text;
    }
    case TraceStatus::Cleaned: return L"清理完成";
    case TraceStatus::ScanFailed: return L"扫描失败";
    case TraceStatus::CleanFailed: return L"清理失败";
  }
  return {};
}

OtherTracesPage::OtherTracesPage(MainWindow& form)
    : Page(form, Module::OtherTraces, L"清理浏览器的临时文件、历史记录、地址栏网址和Cookies，以及Windows系统日志。"),
      qtrc_smRun(form, qtrc_sm, L"全部扫描", qtrc_runstate),
      qtrc_delselRun(form, qtrc_delsel, L"选定清理", qtrc_runstate) {}

void OtherTracesPage::build() {
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

void OtherTracesPage::layout(int width, int height) {
  const int right = width - kMargin;
  const int buttonsX = right - kButtonW;
  const int listW = buttonsX - kGap - kMargin;
  const int listH = height - kTop - kMargin - 26;
  qtrc_showlist.setBounds(kMargin + 1, kTop + 1, listW - 2, listH - 2);
  StackButtons({&qtrc_sm, &qtrc_delsel}, buttonsX, kTop);
  qtrc_sel.setBounds(kMargin, kTop + listH + 6, 30, 18);
  qtrc_mr.setBounds(kMargin + 40, kTop + listH + 6, 30, 18);
}

void OtherTracesPage::initialise() {
  FillCatalogue(Module::OtherTraces, qtrc_showlist);
  qtrc_showlist.setImageList(form().rowPictures());
}

void OtherTracesPage::stopRuns() { StopRunning({&qtrc_smRun, &qtrc_delselRun}); }

void OtherTracesPage::fitColumns() { FitListColumn(qtrc_showlist, 2); }

void OtherTracesPage::qtrc_smClick() {
  if (!qtrc_smRun.canStart()) {
    qtrc_smRun.requestStop();
    return;
  }
  clearResults();
  qtrc_smRun.start(1, {&qtrc_delsel});
  runItems(TraceRun::Scan, qtrc_smRun);
}

void OtherTracesPage::qtrc_delselClick() {
  if (!qtrc_delselRun.canStart()) {
    qtrc_delselRun.requestStop();
    return;
  }
  if (qtrc_showlist.checkedCount() == 0) return;
  if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"其它清理", L"您“确定”清理当前选中的信息吗？"))) return;
  clearResults();
  qtrc_delselRun.start(2, {&qtrc_sm});
  runItems(TraceRun::Clean, qtrc_delselRun);
}

void OtherTracesPage::clearResults() {
  for (int i = 0; i < qtrc_showlist.count(); ++i) qtrc_showlist.setText(i, 2, L"");
}

void OtherTracesPage::runItems(TraceRun mode, RunControl& run) {
  std::array<bool, kTraceItemCount> ticked{};
  for (int i = 0; i < qtrc_showlist.count() && i < static_cast<int>(kTraceItemCount); ++i)
    ticked[static_cast<std::size_t>(i)] = qtrc_showlist.checked(i);
  const TraceResults results = RunTraces(mode, ticked, run, [&](TraceItem item, const TraceResult& result) {
    const int row = static_cast<int>(item);
    if (row < qtrc_showlist.count()) qtrc_showlist.setText(row, 2, TraceResultText(mode, result));
  });
  const bool stopped = std::any_of(results.begin(), results.end(),
                                   [](const TraceResult& r) { return r.status == TraceStatus::Interrupted; });
  if (stopped) run.finish(L"其它日常清理已被停止");
  else run.finish(mode == TraceRun::Scan ? L"其它日常清理项目扫描完成" : L"其它日常清理项目清理完成");
  qtrc_sm.setEnabled(true);
  qtrc_delsel.setEnabled(true);
}

void OtherTracesPage::qtrc_selClick() { ToggleAllTicks(qtrc_sel, qtrc_showlist); }

void OtherTracesPage::qtrc_mrClick() { RestoreDefaults(qtrc_showlist); }

}  // namespace wv
