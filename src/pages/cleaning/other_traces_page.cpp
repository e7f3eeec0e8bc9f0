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

OtherTracesControls::OtherTracesControls(MainWindow& form)
    : scanRun(form, scanButton, L"全部扫描", runState), cleanRun(form, cleanButton, L"选定清理", runState) {}

OtherTracesPage::OtherTracesPage(MainWindow& form)
    : Page(form, Module::OtherTraces, L"清理浏览器的临时文件、历史记录、地址栏网址和Cookies，以及Windows系统日志。"),
      OtherTracesControls(form) {}

void OtherTracesPage::build() {
  HWND h = handle();
  itemList.create(h, ListStyle{.checkBoxes = true}, {{L"清理项目", 250}, {L"建议", 50}, {L"扫描或清理结果", 200}});
  itemsToggle.create(h, L"全选");
  defaultsLabel.create(h, L"默认");
  scanButton.create(h, L"全部扫描");
  cleanButton.create(h, L"选定清理");

  scanButton.onClick = [this] { onScanClicked(); };
  cleanButton.onClick = [this] { onCleanClicked(); };
  itemsToggle.onClick = [this] { ToggleAllTicks(itemsToggle, itemList); };
  defaultsLabel.onClick = [this] { RestoreDefaults(itemList); };
}

void OtherTracesPage::layout(int width, int height) {
  const int right = width - kMargin;
  const int buttonsX = right - kButtonW;
  const int listW = buttonsX - kGap - kMargin;
  const int listH = height - kTop - kMargin - 26;
  itemList.setBounds(kMargin + 1, kTop + 1, listW - 2, listH - 2);
  StackButtons({&scanButton, &cleanButton}, buttonsX, kTop);
  itemsToggle.setBounds(kMargin, kTop + listH + 6, 30, 18);
  defaultsLabel.setBounds(kMargin + 40, kTop + listH + 6, 30, 18);
}

void OtherTracesPage::initialise() {
  FillCatalogue(Module::OtherTraces, itemList);
  itemList.setImageList(form().rowPictures());
}

void OtherTracesPage::stopRuns() { StopRunning({&scanRun, &cleanRun}); }

void OtherTracesPage::fitColumns() { FitListColumn(itemList, 2); }

void OtherTracesPage::onScanClicked() {
  if (!scanRun.canStart()) {
    scanRun.requestStop();
    return;
  }
  clearResults();
  scanRun.start(static_cast<std::int32_t>(TraceRun::Scan), {&cleanButton});
  runItems(TraceRun::Scan, scanRun);
}

void OtherTracesPage::onCleanClicked() {
  if (!cleanRun.canStart()) {
    cleanRun.requestStop();
    return;
  }
  if (itemList.checkedCount() == 0) return;
  if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"其它清理", L"您“确定”清理当前选中的信息吗？"))) return;
  clearResults();
  cleanRun.start(static_cast<std::int32_t>(TraceRun::Clean), {&scanButton});
  runItems(TraceRun::Clean, cleanRun);
}

void OtherTracesPage::clearResults() {
  for (int i = 0; i < itemList.count(); ++i) itemList.setText(i, 2, L"");
}

void OtherTracesPage::runItems(TraceRun mode, RunControl& run) {
  std::array<bool, kTraceItemCount> ticked{};
  for (int i = 0; i < itemList.count() && i < static_cast<int>(kTraceItemCount); ++i)
    ticked[static_cast<std::size_t>(i)] = itemList.checked(i);
  const TraceResults results = RunTraces(mode, ticked, run, [&](TraceItem item, const TraceResult& result) {
    const int row = static_cast<int>(item);
    if (row < itemList.count()) itemList.setText(row, 2, TraceResultText(mode, result));
  });
  const bool stopped = std::any_of(results.begin(), results.end(),
                                   [](const TraceResult& r) { return r.status == TraceStatus::Interrupted; });
  if (stopped) run.finish(L"其它日常清理已被停止");
  else run.finish(mode == TraceRun::Scan ? L"其它日常清理项目扫描完成" : L"其它日常清理项目清理完成");
  scanButton.setEnabled(true);
  cleanButton.setEnabled(true);
}

}  // namespace wv
