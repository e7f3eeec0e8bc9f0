#include "pages/cleaning/report_export.h"

#include "platform/platform.h"
#include "ui/notify.h"

namespace wv {

std::vector<ReportRow> ReportRowsOf(const std::vector<FoundRow>& rows, Module module,
                                    const std::vector<std::wstring>& itemCaptions, const SYSTEMTIME& time) {
  const std::wstring_view page = ModuleInfoOf(module).title;
  std::vector<ReportRow> out;
  out.reserve(rows.size());
  for (const FoundRow& row : rows) {
    const bool known = row.item >= 0 && static_cast<std::size_t>(row.item) < itemCaptions.size();
    out.push_back(ReportRowOf(row, page, known ? std::wstring_view(itemCaptions[static_cast<std::size_t>(row.item)])
                                               : std::wstring_view(),
                              ReportAction::WouldRemove, time));
  }
  return out;
}

void ExportFoundRows(HWND owner, const std::vector<FoundRow>& rows, Module module,
                     const std::vector<std::wstring>& itemCaptions) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  SaveFileRequest request;
  request.owner = owner;
  request.title = L"导出报告";
  request.filters = {{L"表格文件 (*.csv)", L"*.csv"}, {L"网页 (*.html)", L"*.html"}};
  request.defaultExtension = L"csv";
  request.fileName = ReportFileName(now);
  const std::wstring path = Sh().saveFile(request);
  if (path.empty()) return;
  const std::wstring run = L"“" + std::wstring(ModuleInfoOf(module).title) + L"”页的扫描结果（尚未删除）";
  if (const SysResult written = WriteReportFile(path, ReportRowsOf(rows, module, itemCaptions, now), {now, run}); !written) {
    MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"导出报告", L"无法写入报告文件 " + path + L"：" + SystemErrorText(written.error()));
    return;
  }
  SetRunInfo(L"报告已导出到 " + path);
}

}  // namespace wv
