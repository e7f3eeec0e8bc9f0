#include "engines/unattended/report.h"

#include "core/utilities.h"
#include "engines/registry/redundancy_scan.h"
#include "engines/unattended/text_forms.h"
#include "platform/text.h"

namespace wv {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A spreadsheet takes a field starting with one of these for a formula; a
// file or rule name must never run as one.
bool LooksLikeFormula(std::wstring_view field) {
  return !field.empty() && (field[0] == L'=' || field[0] == L'+' || field[0] == L'-' || field[0] == L'@' ||
                            field[0] == L'\t' || field[0] == L'\r');
}

void AppendCsvField(std::wstring& line, std::wstring_view field) {
  std::wstring text = LooksLikeFormula(field) ? L"'" + std::wstring(field) : std::wstring(field);
  const bool quoted = text.find_first_of(L",\"\r\n") != std::wstring::npos || (!text.empty() && (text.front() == L' ' || text.back() == L' '));
  if (!quoted) {
    line += text;
    return;
  }
  line += L'"';
  line += ReplaceAll(text, L"\"", L"\"\"");
  line += L'"';
}

void AppendCsvLine(std::wstring& out, const std::vector<std::wstring>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out += L',';
    AppendCsvField(out, fields[i]);
  }
  out += L"\r\n";
}

std::wstring SizeText(const std::optional<std::uint64_t>& size) {
  return size ? std::to_wstring(*size) : std::wstring();
}

std::vector<std::wstring> Fields(const ReportRow& row) {
  return {ReportTimeText(row.time), row.page, row.rule, row.path, SizeText(row.size),
          std::wstring(ReportActionText(row.action)), row.reason};
}

}  // namespace

std::wstring RuleText(std::wstring_view itemCaption, const FoundRow& row) {
  std::wstring text;
  if (row.rule.fromRuleFile()) {
    // The entry as the file's section header writes it, so that it can be found there.
    text = L"winapp2.ini [" + row.rule.entry + L"] " + row.rule.key;
  } else {
    text = itemCaption;
    if (!row.rule.mask.empty()) {
      if (!text.empty()) text += L"：";
      text += row.rule.mask;
    }
  }
  if (row.kind == FoundKind::WasteFolder) text += L"（废目录）";
  return text;
}

ReportRow ReportRowOf(const FoundRow& row, std::wstring_view page, std::wstring_view itemCaption, ReportAction action,
                      const SYSTEMTIME& time, std::wstring reason) {
  ReportRow out;
  out.time = time;
  out.page = page;
  out.rule = RuleText(itemCaption, row);
  out.path = row.path;
  if (row.kind == FoundKind::RegistryValue && row.registry)
    out.path += L"|" + (row.registry->valueName.empty() ? std::wstring(kDefaultValueMarker) : row.registry->valueName);
  if (row.kind == FoundKind::File) out.size = row.size;
  out.action = action;
  out.reason = std::move(reason);
  return out;
}

ReportFormat ReportFormatOf(std::wstring_view path) {
  return EndsWithNoCase(path, L".html") || EndsWithNoCase(path, L".htm") ? ReportFormat::Html : ReportFormat::Csv;
}

std::wstring ReportTimeText(const SYSTEMTIME& t) {
  return ZeroPadded(t.wYear, 4) + L"-" + ZeroPadded(t.wMonth, 2) + L"-" + ZeroPadded(t.wDay, 2) + L" " + ZeroPadded(t.wHour, 2) + L":" +
         ZeroPadded(t.wMinute, 2) + L":" + ZeroPadded(t.wSecond, 2);
}

const std::vector<std::wstring_view>& ReportColumns() {
  static const std::vector<std::wstring_view> columns = {L"时间", L"页面", L"规则或项目", L"路径",
                                                         L"大小(字节)", L"操作", L"保留原因"};
  return columns;
}

std::wstring_view ReportActionText(ReportAction action) {
  switch (action) {
    case ReportAction::WouldRemove: return L"将删除";
    case ReportAction::Removed: return L"已删除";
    case ReportAction::Kept: return L"保留";
  }
  return L"";
}

std::string CsvReport(const std::vector<ReportRow>& rows) {
  std::wstring text;
  AppendCsvLine(text, std::vector<std::wstring>(ReportColumns().begin(), ReportColumns().end()));
  for (const ReportRow& row : rows) AppendCsvLine(text, Fields(row));
  return std::string(kByteOrderMark) + ToUtf8(text);
}

std::string HtmlReport(const std::vector<ReportRow>& rows, const ReportHeading& heading) {
  std::size_t counts[3] = {};
  std::uint64_t bytes[3] = {};
  for (const ReportRow& row : rows) {
    const auto a = static_cast<std::size_t>(row.action);
    ++counts[a];
    bytes[a] += row.size.value_or(0);
  }
  std::wstring text =
      L"<!DOCTYPE html>\r\n<html lang=\"zh-CN\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
      L"<title>WindowsVantorra 清理报告</title>\r\n<style>\r\n"
      L"body{font-family:\"Microsoft YaHei\",SimSun,sans-serif;font-size:13px;margin:16px}\r\n"
      L"table{border-collapse:collapse}th,td{border:1px solid #b8c8dc;padding:2px 6px;text-align:left}\r\n"
      L"th{background:#e0e9f5}td.size{text-align:right}tr.kept td{background:#fff4e0}\r\n"
      L"</style>\r\n</head>\r\n<body>\r\n<h1>WindowsVantorra 清理报告</h1>\r\n<p>";
  text += MarkupEscaped(heading.run) + L"，" + ReportTimeText(heading.written) + L"</p>\r\n<ul>\r\n";
  for (ReportAction a : {ReportAction::WouldRemove, ReportAction::Removed, ReportAction::Kept}) {
    const auto i = static_cast<std::size_t>(a);
    if (counts[i] == 0) continue;
    text += L"<li>" + std::wstring(ReportActionText(a)) + L" " + ToDecimal(static_cast<std::int64_t>(counts[i])) +
            L" 项，" + FormatSize(bytes[i]) + L"</li>\r\n";
  }
  if (rows.empty()) text += L"<li>没有符合条件的项目</li>\r\n";
  text += L"</ul>\r\n<table>\r\n<tr>";
  for (std::wstring_view column : ReportColumns()) text += L"<th>" + MarkupEscaped(column) + L"</th>";
  text += L"</tr>\r\n";
  for (const ReportRow& row : rows) {
    const std::vector<std::wstring> fields = Fields(row);
    text += row.action == ReportAction::Kept ? L"<tr class=\"kept\">" : L"<tr>";
    for (std::size_t i = 0; i < fields.size(); ++i)
      text += (i == 4 ? L"<td class=\"size\">" : L"<td>") + MarkupEscaped(fields[i]) + L"</td>";
    text += L"</tr>\r\n";
  }
  text += L"</table>\r\n</body>\r\n</html>\r\n";
  return std::string(kByteOrderMark) + ToUtf8(text);
}

std::wstring ReportFileName(const SYSTEMTIME& t) {
  return L"清理报告_" + ZeroPadded(t.wYear, 4) + ZeroPadded(t.wMonth, 2) + ZeroPadded(t.wDay, 2) + L"_" + ZeroPadded(t.wHour, 2) +
         ZeroPadded(t.wMinute, 2) + ZeroPadded(t.wSecond, 2) + L".csv";
}

SysResult ReportFile::open(std::wstring_view path, const SYSTEMTIME& now) {
  std::wstring target(path);
  const bool folder = !target.empty() && (target.back() == L'\\' || target.back() == L'/' || DirectoryExists(target));
  if (folder) {
    const std::wstring base = IncludeTrailingBackslash(ExcludeTrailingBackslash(target));
    if (!DirectoryExists(base) && !Fs().createFolderTree(ExcludeTrailingBackslash(base))) return SysResult(Fs().lastError() ? Fs().lastError() : ERROR_PATH_NOT_FOUND);
    // Two runs within the same second get names of their own.
    const std::wstring name = ReportFileName(now);
    target = base + name;
    for (int n = 2; FileExists(target) && n < 100; ++n)
      target = base + name.substr(0, name.size() - 4) + L"_" + ToDecimal(n) + L".csv";
  }
  file_ = Fs().openFile(target, FileAccess::Write, FileShare::Read, FileDisposition::CreateAlways);
  if (!file_) return SysResult(Fs().lastError() ? Fs().lastError() : ERROR_GEN_FAILURE);
  path_ = Fs().fullPath(target);
  if (path_.empty()) path_ = target;
  return {};
}

bool ReportFile::write(const std::vector<ReportRow>& rows, const ReportHeading& heading) {
  if (!file_) return false;
  const std::string bytes = format() == ReportFormat::Html ? HtmlReport(rows, heading) : CsvReport(rows);
  const bool written = file_->write(bytes.data(), bytes.size()) && file_->flush();
  file_.reset();
  return written;
}

SysResult WriteReportFile(std::wstring_view path, const std::vector<ReportRow>& rows, const ReportHeading& heading) {
  ReportFile file;
  if (const SysResult opened = file.open(path, heading.written); !opened) return opened;
  return file.write(rows, heading) ? SysResult() : SysResult(ERROR_WRITE_FAULT);
}

}  // namespace wv
