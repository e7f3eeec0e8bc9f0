#pragma once
// The cleaning report: one row per listed item with the rule that chose it and
// what became of it, written as UTF-8 with a byte-order mark, either as CSV that
// a spreadsheet opens directly or as the same rows in an HTML page.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_ENGINES, "engines stand above core: core uses none of them");

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engines/cleaning/found_row.h"
#include "platform/platform.h"

namespace wv {

enum class ReportAction { WouldRemove, Removed, Kept };

struct ReportRow {
  SYSTEMTIME time{};  // local time the row was listed (preview) or its removal was tried
  std::wstring page;  // the page's title: "文件日常清理", "磁盘文件清理"
  // What chose the item: a catalogue caption, a mask, a user folder, a
  // winapp2.ini entry and its key ("winapp2.ini [Entry *] FileKey1").
  std::wstring rule;
  std::wstring path;  // a registry value: its key, "|" and its name
  std::optional<std::uint64_t> size;  // bytes of a file; none for a folder
  ReportAction action = ReportAction::WouldRemove;
  std::wstring reason;  // why a kept item stayed
};

// The rule column of a found row: the item's caption (empty for the junk scan,
// whose rows name their mask), then what within the item chose the row; for a
// rule-file row the entry and its key instead; a mark for a folder that goes
// with its files.
std::wstring RuleText(std::wstring_view itemCaption, const FoundRow& row);
// A found row as a report row of the page, at the given time.
ReportRow ReportRowOf(const FoundRow& row, std::wstring_view page, std::wstring_view itemCaption, ReportAction action,
                      const SYSTEMTIME& time, std::wstring reason = {});

// What the report's title block says (the HTML page only; CSV holds rows alone).
struct ReportHeading {
  SYSTEMTIME written{};
  std::wstring run;  // what was run: "命令行清理", "预览", a page's export
};

enum class ReportFormat { Csv, Html };
// HTML for a name ending in ".htm" or ".html" (any case), CSV otherwise.
ReportFormat ReportFormatOf(std::wstring_view path);

// The whole document, UTF-8 with byte-order mark. CSV: a heading row, then one
// line per row, fields separated by commas, CRLF line ends, quoted where they
// hold a comma, quote or line break; a field a spreadsheet would take for a
// formula (starting with "=", "+", "-", "@") is written with a leading "'".
std::string CsvReport(const std::vector<ReportRow>& rows);
std::string HtmlReport(const std::vector<ReportRow>& rows, const ReportHeading& heading);

// "2026-12-07 18:45:00".
std::wstring ReportTimeText(const SYSTEMTIME& time);
// The column headings and action words, as the report writes them.
const std::vector<std::wstring_view>& ReportColumns();
std::wstring_view ReportActionText(ReportAction action);

// A report file opened for writing before any work starts, so that a run that
// could not record what it did never starts: created (or emptied), shared for
// reading only.
class ReportFile {
 public:
  // path may name a folder (it ends in a backslash, or is an existing folder):
  // the report then gets a new name in it, "清理报告_YYYYMMDD_HHMMSS.csv", the
  // folder being created when missing.
  [[nodiscard]] SysResult open(std::wstring_view path, const SYSTEMTIME& now);
  [[nodiscard]] const std::wstring& path() const { return path_; }
  [[nodiscard]] ReportFormat format() const { return ReportFormatOf(path_); }
  // Writes the whole report in the file's format; false when the write failed.
  [[nodiscard]] bool write(const std::vector<ReportRow>& rows, const ReportHeading& heading);

 private:
  std::wstring path_;
  std::unique_ptr<File> file_;
};

// The name a report gets in a folder at that time (no folder part).
std::wstring ReportFileName(const SYSTEMTIME& time);

// Writes a report at once (the pages' "导出报告"); the system's error when it could not.
[[nodiscard]] SysResult WriteReportFile(std::wstring_view path, const std::vector<ReportRow>& rows,
                                   const ReportHeading& heading);

}  // namespace wv
