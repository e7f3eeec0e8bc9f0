// The command-line cleaning in this process, over planted trees and a Config.ini
// of its own: what it lists, removes and reports, its exit codes, and what it
// tells (console, message box, or with /quiet only the fault log).
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "cli/clean_command.h"
#include "core/files.h"
#include "engines/cleaning/cleaning_fixtures.h"
#include "support/csv_reader.h"
#include "support/window_support.h"

namespace wv::test {
namespace {

const std::vector<std::wstring> kItems = {L"Windows临时文件夹", L"文档访问历史记录", L"系统操作日志", L"软件使用日志",
                                          L"用户自定"};

// A program folder of its own: Config.ini and the fault log live there.
class CleanCommandTest : public ::testing::Test {
 protected:
  Planted t{L"cli"};
  std::wstring folder = t.folder(L"program") + L"\\";
  std::wstring settings = folder + L"Config.ini";
  std::vector<std::wstring> told;  // what went to the console
  bool withConsole = false;
  ScriptedMsgBox boxes;

  CliEnvironment env() {
    CliEnvironment e;
    e.programFolder = folder;
    if (withConsole) e.console = [this](std::wstring_view text) { return told.emplace_back(text), true; };
    return e;
  }
  int run(std::vector<std::wstring> words) { return RunCommandLine(words, env()); }

  // The daily page's section: only the user's folders ticked, the given rows, a
  // removal mode; other sections after it.
  void save(const std::vector<std::wstring>& selfPaths, std::wstring mode = L"2", std::wstring moveFolder = L"",
            std::vector<SettingsSection> others = {}) {
    SettingsSection daily{L"WJRC", L"2", {}};
    for (const std::wstring& item : kItems) daily.values.emplace_back(item, item == L"用户自定" ? L"1" : L"0");
    for (std::size_t i = 0; i < selfPaths.size(); ++i) daily.values.emplace_back(L"SelfPath" + std::to_wstring(i), selfPaths[i]);
    daily.values.emplace_back(L"DelSel", mode);
    daily.values.emplace_back(L"DelSavPath", moveFolder);
    others.insert(others.begin(), daily);
    ASSERT_TRUE(SaveSettings(settings, others));
  }
  std::vector<std::wstring> logLines() {
    const std::string bytes = PathExists(folder + L"WindowsVantorra.log") ? ReadBytes(folder + L"WindowsVantorra.log") : "";
    std::vector<std::wstring> lines;
    std::wstring text = ToWide(bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes);
    for (std::size_t at; (at = text.find(L"\r\n")) != std::wstring::npos; text.erase(0, at + 2)) lines.push_back(text.substr(0, at));
    return lines;
  }
  std::vector<std::wstring> boxTexts() {
    std::vector<std::wstring> out;
    for (const auto& b : boxes.shown()) out.push_back(b.heading + L" -- " + b.text);
    return out;
  }
};


// The report of a preview, read by a CSV reader: one row per listed item with its
// rule; nothing removed. The clean then removes exactly those paths and reports
// them removed; the console hears both summaries, no box opens.
TEST_F(CleanCommandTest, PreviewRemovesNothingAndCleanRemovesWhatItListed) {
  const std::wstring logs = t.folder(L"logs");
  const std::vector<std::wstring> planted = {t.file(L"logs\\a.log", 10), t.file(L"logs\\old\\b.log", 20),
                                             t.file(L"logs\\keep.txt")};
  save({L"1/" + logs + L"/0/0/*.log", L"0/" + t.folder(L"unticked") + L"/0/1/"});
  t.file(L"unticked\\u.tmp");
  withConsole = true;
  const std::wstring previewReport = t / L"preview.csv", cleanReport = t / L"clean.csv";

  EXPECT_EQ(run({L"/clean", L"/preview", L"/report", previewReport}), kExitDone);
  for (const std::wstring& p : planted) EXPECT_TRUE(PathExists(p));
  const std::optional<CsvRecords> listed = ReadCsv(ReadBytes(previewReport));
  ASSERT_TRUE(listed);
  ASSERT_EQ(listed->size(), 3u);
  EXPECT_EQ((*listed)[0], (std::vector<std::wstring>{L"时间", L"页面", L"规则或项目", L"路径", L"大小(字节)", L"操作", L"保留原因"}));
  EXPECT_EQ(Sorted(CsvColumn(*listed, 3)), Sorted({planted[0], planted[1]}));
  EXPECT_EQ(CsvColumn(*listed, 1), (std::vector<std::wstring>(2, L"文件日常清理")));
  EXPECT_EQ(CsvColumn(*listed, 2), (std::vector<std::wstring>(2, L"用户自定：" + logs + L" *.log")));
  EXPECT_EQ(Sorted(CsvColumn(*listed, 4)), (std::vector<std::wstring>{L"10", L"20"}));
  EXPECT_EQ(CsvColumn(*listed, 5), (std::vector<std::wstring>(2, L"将删除")));
  EXPECT_EQ((*listed)[1][0].size(), 19u);  // "2026-12-07 18:05:09"

  EXPECT_EQ(run({L"/clean", L"/report", cleanReport}), kExitDone);
  const std::optional<CsvRecords> cleaned = ReadCsv(ReadBytes(cleanReport));
  ASSERT_TRUE(cleaned);
  EXPECT_EQ(Sorted(CsvColumn(*cleaned, 3)), Sorted(CsvColumn(*listed, 3)));
  EXPECT_EQ(CsvColumn(*cleaned, 5), (std::vector<std::wstring>(2, L"已删除")));
  EXPECT_FALSE(PathExists(planted[0]) || PathExists(planted[1]));
  EXPECT_TRUE(PathExists(planted[2]) && PathExists(t / L"unticked\\u.tmp"));

  ASSERT_EQ(told.size(), 2u);
  EXPECT_NE(told[0].find(L"预览完成：将删除 2 项，共 30.00 B，没有删除任何文件。"), std::wstring::npos) << ToUtf8(told[0]);
  EXPECT_NE(told[1].find(L"清理完成：已删除 2 项（30.00 B）。\r\n报告：" + cleanReport), std::wstring::npos) << ToUtf8(told[1]);
  EXPECT_TRUE(boxes.shown().empty());
}

// The exit codes: nothing to clean is success; a kept item is 1; without usable
// settings, with bad words, with a move folder that is gone or a report that
// cannot be made, nothing is removed and the code is 2.
TEST_F(CleanCommandTest, EachOutcomeHasItsExitCodeAndOnlyACleanRemoves) {
  const std::wstring work = t.folder(L"work");
  const std::wstring file = t.file(L"work\\a.tmp");
  const std::wstring row = L"1/" + work + L"/0/1/";
  struct Case {
    const char* label;
    std::function<void()> prepare;
    std::vector<std::wstring> words;
    int code;
    std::wstring told;  // a fragment of the message box
  };
  const Case cases[] = {
      {"no Config.ini", [&] { DeleteFileW(settings.c_str()); }, {L"/clean"}, kExitNothingDone, L"找不到设置文件：" + settings},
      {"no daily section", [&] { ASSERT_TRUE(SaveSettings(settings, {{L"RJQL", L"1", {{L"ShowType", L"x"}}}})); },
       {L"/clean"}, kExitNothingDone, L"没有“文件日常清理”页保存的选择"},
      {"daily section of an older version", [&] { ASSERT_TRUE(SaveSettings(settings, {{L"WJRC", L"1", {{L"SelfPath0", row}}}})); },
       {L"/clean"}, kExitNothingDone, L"没有“文件日常清理”页保存的选择"},
      {"no junk section", [&] { save({row}); }, {L"/clean", L"/junk"}, kExitNothingDone, L"没有“磁盘文件清理”页保存的选择"},
      {"move folder gone", [&] { save({row}, L"3", t / L"gone"); }, {L"/clean"}, kExitNothingDone,
       L"指定的用于存放垃圾文件的目录错误"},
      {"report cannot be made", [&] { save({row}); }, {L"/clean", L"/report", t / L"no\\such\\r.csv"}, kExitNothingDone,
       L"本次清理没有进行"},
      {"bad words", [&] { save({row}); }, {L"/clean", L"/now"}, kExitNothingDone, L"无法识别的参数“/now”"},
      {"usage", [&] { save({row}); }, {L"/?"}, kExitDone, L"命令行用法 -- WindowsVantorra 命令行清理"},
      {"preview", [&] { save({row}); }, {L"/clean", L"/preview"}, kExitDone, L"预览完成：将删除 1 项"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    c.prepare();
    const std::size_t before = boxes.shown().size();
    EXPECT_EQ(run(c.words), c.code);
    EXPECT_TRUE(PathExists(file));
    ASSERT_EQ(boxes.shown().size(), before + 1);
    EXPECT_NE(boxTexts().back().find(c.told), std::wstring::npos) << ToUtf8(boxTexts().back());
  }
  // Config.ini held by another program: its choices are unknown, nothing runs.
  save({row});
  {
    UniqueFile hold = Hold(settings);
    ASSERT_TRUE(hold.valid());
    EXPECT_EQ(run({L"/clean"}), kExitNothingDone);
    EXPECT_NE(boxTexts().back().find(L"设置文件正被其他程序占用"), std::wstring::npos);
  }
  EXPECT_TRUE(PathExists(file));

  // A file taken by another program after the listing, while the shell recycles it,
  // stays: 1, with its reason in the report (in the words of the page's list).
  save({row}, L"1");
  TestShell shell;
  UniqueFile held;
  shell.duringFileOperation = [&] { held = Hold(file); };
  EXPECT_EQ(run({L"/clean", L"/report", t / L"kept.csv"}), kExitSomeKept);
  const std::optional<CsvRecords> report = ReadCsv(ReadBytes(t / L"kept.csv"));
  ASSERT_TRUE(report && report->size() == 2);
  EXPECT_EQ((*report)[1][5], L"保留");
  EXPECT_EQ((*report)[1][6], KeptReasonText(KeptReason::InUse));
  EXPECT_NE(boxTexts().back().find(L"保留 1 项（原因见报告）"), std::wstring::npos);
  held = UniqueFile();
  shell.duringFileOperation = nullptr;
  EXPECT_EQ(run({L"/clean"}), kExitDone);
  EXPECT_FALSE(PathExists(file));
}

// The rule file's entries ticked in Config.ini run with the daily items: the
// report names each row's entry and key, a refused rule is kept with its reason
// (so the code is 1), registry rows go after an undo file in the backup base.
// Without "File" the rule file beside the program is meant; when it cannot be
// read, the report says so.
TEST_F(CleanCommandTest, TickedRuleFileEntriesAreCleanedAndReportedByEntryAndKey) {
  const std::wstring logs = t.folder(L"applogs");
  const std::wstring log = t.file(L"applogs\\a.log", 3), keep = t.file(L"applogs\\keep.txt");
  TempKey key(L"clirulekeys");
  {
    const std::unique_ptr<RegKey> k = Reg().createKey(RegRoot::CurrentUser, key.path());
    ASSERT_TRUE(k && k->writeInteger(L"Name", 1));
  }
  const std::string hkcu = "HKCU\\" + ToUtf8(key.path());
  const std::wstring rules = t.folder(L"rules") + L"\\Winapp2.ini";
  WriteBytes(rules, "[App Logs *]\r\nLangSecRef=3021\r\nFileKey1=" + ToUtf8(logs) + "|*.log\r\n"
                    "[App Keys *]\r\nLangSecRef=3021\r\nRegKey1=" + hkcu + "|Name\r\n"
                    "[System Logs *]\r\nLangSecRef=3025\r\nFileKey1=%WinDir%|*.log\r\n"
                    "[Unticked *]\r\nLangSecRef=3025\r\nFileKey1=" + ToUtf8(logs) + "|*.txt\r\n");
  const SettingsSection backup{L"BFGL", L"1", {{L"SavPath", t / L"backup"}}};
  save({}, L"2", L"", {{L"WINAPP2", L"1", {{L"File", rules}, {L"Tick0", L"App Logs *"}, {L"Tick1", L"App Keys *"},
                                          {L"Tick2", L"System Logs *"}}}, backup});
  withConsole = true;
  const std::wstring value = L"HKEY_CURRENT_USER\\" + key.path() + L"|Name";
  const std::wstring windows = ExcludeTrailingBackslash(Sh().windowsFolder());
  const auto valueThere = [&] {
    const std::unique_ptr<RegKey> k = Reg().openKeyReadOnly(RegRoot::CurrentUser, key.path());
    return k && k->valueExists(L"Name");
  };

  EXPECT_EQ(run({L"/clean", L"/preview", L"/report", t / L"preview.csv"}), kExitSomeKept);
  const std::optional<CsvRecords> listed = ReadCsv(ReadBytes(t / L"preview.csv"));
  ASSERT_TRUE(listed);
  ASSERT_EQ(listed->size(), 4u) << ReadBytes(t / L"preview.csv");
  EXPECT_EQ(CsvColumn(*listed, 2), (std::vector<std::wstring>{L"winapp2.ini [App Logs *] FileKey1",
                                                              L"winapp2.ini [App Keys *] RegKey1",
                                                              L"winapp2.ini [System Logs *] FileKey1"}));
  EXPECT_EQ(CsvColumn(*listed, 3), (std::vector<std::wstring>{log, value, windows}));
  EXPECT_EQ(CsvColumn(*listed, 4), (std::vector<std::wstring>{L"3", L"", L""}));
  EXPECT_EQ(CsvColumn(*listed, 5), (std::vector<std::wstring>{L"将删除", L"将删除", L"保留"}));
  EXPECT_EQ((*listed)[3][6], L"规则被拒绝：该目录是Windows系统目录");
  EXPECT_TRUE(PathExists(log) && valueThere());

  EXPECT_EQ(run({L"/clean", L"/report", t / L"clean.csv"}), kExitSomeKept);
  const std::optional<CsvRecords> cleaned = ReadCsv(ReadBytes(t / L"clean.csv"));
  ASSERT_TRUE(cleaned);
  EXPECT_EQ(CsvColumn(*cleaned, 3), CsvColumn(*listed, 3));
  EXPECT_EQ(CsvColumn(*cleaned, 5), (std::vector<std::wstring>{L"已删除", L"已删除", L"保留"}));
  EXPECT_FALSE(PathExists(log) || valueThere());
  EXPECT_TRUE(PathExists(keep));
  std::vector<std::wstring> undo;
  CollectFiles(t / L"backup\\Registry", undo);
  EXPECT_EQ(std::count_if(undo.begin(), undo.end(),
                          [](const std::wstring& f) { return ExtractFileName(f).starts_with(L"RegUndo_"); }),
            1);
  ASSERT_EQ(told.size(), 2u);
  EXPECT_NE(told[1].find(L"注册表撤销文件：" + t / L"backup\\Registry\\RegUndo_"), std::wstring::npos) << ToUtf8(told[1]);

  save({}, L"2", L"", {{L"WINAPP2", L"1", {{L"File", L""}, {L"Tick0", L"App Logs *"}}}, backup});
  EXPECT_EQ(run({L"/clean", L"/report", t / L"unread.csv"}), kExitSomeKept);
  const std::optional<CsvRecords> unread = ReadCsv(ReadBytes(t / L"unread.csv"));
  ASSERT_TRUE(unread && unread->size() == 2);
  EXPECT_EQ((*unread)[1][2], L"winapp2.ini");
  EXPECT_TRUE(EqualsNoCase((*unread)[1][3], folder + L"Winapp2.ini")) << ToUtf8((*unread)[1][3]);
  EXPECT_EQ((*unread)[1][5], L"保留");
  EXPECT_NE((*unread)[1][6].find(L"勾选的 1 项规则没有运行"), std::wstring::npos);
}

// With /quiet nothing is shown anywhere; what kept the run from cleaning is a
// line of the fault log beside the program.
TEST_F(CleanCommandTest, QuietShowsNothingAndLogsWhyNothingWasDone) {
  EXPECT_EQ(run({L"/clean", L"/quiet"}), kExitNothingDone);
  EXPECT_EQ(run({L"/clean", L"/quiet", L"/bogus"}), kExitNothingDone);
  EXPECT_TRUE(boxes.shown().empty());
  const std::vector<std::wstring> lines = logLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find(L"  命令行清理  找不到设置文件："), std::wstring::npos) << ToUtf8(lines[0]);
  EXPECT_NE(lines[1].find(L"无法识别的参数“/bogus”"), std::wstring::npos) << ToUtf8(lines[1]);
}

// Another copy of the program holds its mutex: with /quiet the run ends at once
// with 2 and a line in the log; without, it waits until that copy has gone and
// then cleans.
TEST_F(CleanCommandTest, AnotherCopyMakesQuietGiveUpAndOthersWait) {
  const std::wstring work = t.folder(L"work");
  const std::wstring file = t.file(L"work\\a.tmp");
  save({L"1/" + work + L"/0/1/"});
  HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, nullptr), release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread other([&] {  // the other copy: a thread that owns the mutex
    HANDLE mutex = CreateMutexW(nullptr, TRUE, L"ZDKVantorra");
    SetEvent(taken);
    WaitForSingleObject(release, 30000);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
  });
  WaitForSingleObject(taken, 30000);

  EXPECT_EQ(run({L"/clean", L"/quiet"}), kExitNothingDone);
  EXPECT_TRUE(PathExists(file));
  ASSERT_EQ(logLines().size(), 1u);
  EXPECT_NE(logLines()[0].find(L"另一个 WindowsVantorra 正在运行，本次清理没有进行。"), std::wstring::npos);

  CliEnvironment e = env();
  bool waited = false;
  e.beforeWaiting = [&] {
    waited = true;
    EXPECT_TRUE(PathExists(file));
    SetEvent(release);
  };
  EXPECT_EQ(RunCommandLine({L"/clean"}, e), kExitDone);
  EXPECT_TRUE(waited);
  EXPECT_FALSE(PathExists(file));
  other.join();
  CloseHandle(taken);
  CloseHandle(release);
}

}  // namespace
}  // namespace wv::test
