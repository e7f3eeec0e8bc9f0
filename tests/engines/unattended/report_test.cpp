// The cleaning report read back as a spreadsheet and a browser would read it.
#include <gtest/gtest.h>

#include "engines/registry/redundancy_scan.h"
#include "engines/unattended/report.h"
#include "support/csv_reader.h"
#include "support/test_support.h"

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"  // rows given by the fields that matter

namespace wv::test {
namespace {

const SYSTEMTIME kAt{2026, 12, 1, 7, 18, 5, 9, 0};

ReportRow Row(std::wstring rule, std::wstring path, std::optional<std::uint64_t> size, ReportAction action,
              std::wstring reason = {}) {
  return ReportRow{kAt, L"文件日常清理", std::move(rule), std::move(path), size, action, std::move(reason)};
}

std::vector<std::wstring> Header() { return {ReportColumns().begin(), ReportColumns().end()}; }

// Every awkward text comes back unchanged through a CSV reader: commas, quotes,
// line breaks, blanks at either end, and characters outside any code page.
TEST(Report, CsvFieldsComeBackAsWrittenThroughAReader) {
  const std::vector<ReportRow> rows = {
      Row(L"系统操作日志：setupapi.log", L"C:\\Windows\\setupapi.log", 4096, ReportAction::Removed),
      Row(L"用户自定：D:\\a,b (*.log)", L"D:\\a,b\\say \"hi\".log", 0, ReportAction::Kept, L"文件正被其他程序使用"),
      Row(L"Firefox Cache：FileKey1", L"C:\\x\\line\nbreak.tmp", std::nullopt, ReportAction::WouldRemove),
      Row(L" padded ", L"C:\\사진\\保留.tmp", 18446744073709551615ull, ReportAction::Removed),
  };
  const std::optional<CsvRecords> read = ReadCsv(CsvReport(rows));
  ASSERT_TRUE(read);
  ASSERT_EQ(read->size(), rows.size() + 1);
  EXPECT_EQ((*read)[0], Header());
  const std::vector<std::vector<std::wstring>> expected = {
      {L"2026-12-07 18:05:09", L"文件日常清理", L"系统操作日志：setupapi.log", L"C:\\Windows\\setupapi.log", L"4096", L"已删除", L""},
      {L"2026-12-07 18:05:09", L"文件日常清理", L"用户自定：D:\\a,b (*.log)", L"D:\\a,b\\say \"hi\".log", L"0", L"保留", L"文件正被其他程序使用"},
      {L"2026-12-07 18:05:09", L"文件日常清理", L"Firefox Cache：FileKey1", L"C:\\x\\line\nbreak.tmp", L"", L"将删除", L""},
      {L"2026-12-07 18:05:09", L"文件日常清理", L" padded ", L"C:\\사진\\保留.tmp", L"18446744073709551615", L"已删除", L""},
  };
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ((*read)[i + 1], expected[i]) << "row " << i;
}

// A field a spreadsheet would run as a formula is written as text; nothing else changes.
TEST(Report, CsvNeverHandsASpreadsheetAFormula) {
  struct Case { std::wstring rule, expected; };
  const Case cases[] = {
      {L"=HYPERLINK(\"x\")", L"'=HYPERLINK(\"x\")"}, {L"+1", L"'+1"}, {L"-*.tmp", L"'-*.tmp"},
      {L"@SUM(A1)", L"'@SUM(A1)"},                   {L"*.tmp", L"*.tmp"}, {L"a=b", L"a=b"},
  };
  for (const Case& c : cases) {
    const std::optional<CsvRecords> read = ReadCsv(CsvReport({Row(c.rule, L"C:\\f", 1, ReportAction::Removed)}));
    ASSERT_TRUE(read);
    EXPECT_EQ((*read)[1][2], c.expected);
  }
}

// The HTML page holds the same rows, escaped, with the counts of each action.
TEST(Report, HtmlHoldsTheRowsEscapedAndTheCounts) {
  const std::vector<ReportRow> rows = {
      Row(L"<script>", L"C:\\a&b.tmp", 2048, ReportAction::Removed),
      Row(L"*.tmp", L"C:\\kept.tmp", 1024, ReportAction::Kept, L"列出后文件已改变"),
  };
  const std::string page = HtmlReport(rows, {kAt, L"命令行清理"});
  ASSERT_TRUE(page.starts_with("\xEF\xBB\xBF<!DOCTYPE html>"));
  const std::wstring text = ToWide(page.substr(3));
  EXPECT_EQ(text.find(L"<script>"), std::wstring::npos);
  for (std::wstring_view part : {L"&lt;script&gt;", L"C:\\a&amp;b.tmp", L"<meta charset=\"utf-8\">", L"已删除 1 项，2.00 KB",
                                 L"保留 1 项，1.00 KB", L"列出后文件已改变", L"命令行清理，2026-12-07 18:05:09"})
    EXPECT_NE(text.find(part), std::wstring::npos) << ToUtf8(part);
}

// The rule column: the item's caption, what within it chose the row, a waste
// folder's mark; the junk scan's rows name their mask alone, the rule file's
// rows their entry and key. A registry value's path names the value.
TEST(Report, RuleTextNamesTheItemAndWhatChoseTheRow) {
  struct Case { std::wstring caption; FoundRow row; std::wstring expected; };
  const Case cases[] = {
      {L"Windows临时文件夹", {L"C:\\t\\a", 1, FoundKind::File, 0, {}}, L"Windows临时文件夹"},
      {L"系统操作日志", {L"C:\\w\\setupapi.log", 1, FoundKind::File, 2, {.mask = L"setupapi.log"}}, L"系统操作日志：setupapi.log"},
      {L"用户自定", {L"D:\\L\\sub", 0, FoundKind::WasteFolder, 4, {.mask = L"D:\\L"}}, L"用户自定：D:\\L（废目录）"},
      {L"", {L"C:\\j\\a.tmp", 1, FoundKind::File, -1, {.mask = L"*.tmp"}}, L"*.tmp"},
      {L"", {L"C:\\z\\a.log", 1, FoundKind::File, 5, {.entry = L"Zynga Games *", .key = L"FileKey2"}},
       L"winapp2.ini [Zynga Games *] FileKey2"},
      {L"", {L"C:\\z\\Logs", 0, FoundKind::WasteFolder, 5, {.entry = L"Zynga Games *", .key = L"FileKey1"}},
       L"winapp2.ini [Zynga Games *] FileKey1（废目录）"},
      {L"", {L"HKEY_CURRENT_USER\\Software\\Zynga", 0, FoundKind::RegistryKey, 5, {.entry = L"Zynga Games *", .key = L"RegKey1"}},
       L"winapp2.ini [Zynga Games *] RegKey1"},
  };
  for (const Case& c : cases) EXPECT_EQ(RuleText(c.caption, c.row), c.expected);
  const ReportRow folder = ReportRowOf(cases[2].row, L"文件日常清理", cases[2].caption, ReportAction::Removed, kAt);
  EXPECT_FALSE(folder.size.has_value());

  FoundRow value{L"HKEY_CURRENT_USER\\Software\\Zynga", 0, FoundKind::RegistryValue, 5, {.entry = L"Zynga Games *", .key = L"RegKey2"}};
  auto entry = std::make_shared<RegistryRow>();
  entry->valueName = L"LastRun";
  value.registry = entry;
  EXPECT_EQ(ReportRowOf(value, L"文件日常清理", L"", ReportAction::Removed, kAt).path,
            L"HKEY_CURRENT_USER\\Software\\Zynga|LastRun");
  entry->valueName.clear();  // the unnamed value, as the result list names it
  EXPECT_EQ(ReportRowOf(value, L"文件日常清理", L"", ReportAction::Removed, kAt).path,
            L"HKEY_CURRENT_USER\\Software\\Zynga|" + std::wstring(kDefaultValueMarker));
}

// A report asked for in a folder gets a dated name there (the folder made when
// missing, a second report of the same second a name of its own); the format
// follows the name; a file that cannot be made says why before anything runs.
TEST(Report, AFolderGetsADatedReportAndAnUnwritablePathSaysWhy) {
  TempFolder t(L"report");
  ReportFile first, second;
  ASSERT_TRUE(first.open(t / L"new\\reports\\", kAt).ok());
  ASSERT_TRUE(second.open(t / L"new\\reports", kAt).ok());
  EXPECT_TRUE(EndsWithNoCase(first.path(), L"\\new\\reports\\清理报告_20261207_180509.csv")) << ToUtf8(first.path());
  EXPECT_TRUE(EndsWithNoCase(second.path(), L"\\new\\reports\\清理报告_20261207_180509_2.csv")) << ToUtf8(second.path());
  ASSERT_TRUE(first.write({Row(L"*.tmp", L"C:\\a.tmp", 1, ReportAction::Removed)}, {kAt, L"x"}));
  EXPECT_EQ(ReadCsv(ReadBytes(first.path()))->size(), 2u);

  EXPECT_EQ(ReportFormatOf(L"C:\\r\\Report.HTM"), ReportFormat::Html);
  EXPECT_EQ(ReportFormatOf(L"C:\\r\\report.html"), ReportFormat::Html);
  EXPECT_EQ(ReportFormatOf(L"C:\\r\\report.txt"), ReportFormat::Csv);
  ASSERT_TRUE(WriteReportFile(t / L"r.html", {}, {kAt, L"导出"}).ok());
  EXPECT_NE(ReadBytes(t / L"r.html").find("没有符合条件的项目"), std::string::npos);

  ReportFile bad;
  const SysResult why = bad.open(t / L"missing\\folder\\r.csv", kAt);
  EXPECT_TRUE(why.notFound()) << why.error();
}

}  // namespace
}  // namespace wv::test
