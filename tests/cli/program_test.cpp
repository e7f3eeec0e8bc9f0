// The built program started with words, as an administrator's script or the
// scheduler starts it: a copy of the installed program in a folder of its own,
// with a Config.ini of its own beside it.
#include <gtest/gtest.h>

#include "engines/cleaning/cleaning_fixtures.h"
#include "support/csv_reader.h"
#include "core/settings_store.h"

namespace wv::test {
namespace {

const std::wstring kInstalled = L"C:\\WindowsVantorra\\WindowsVantorra.exe";

struct Finished {
  DWORD code = STILL_ACTIVE;
  int visibleWindows = 0;  // the most top-level windows of the program seen at once
  std::string output;      // what it wrote to its standard output
};

int VisibleWindowsOf(DWORD pid) {
  struct Count { DWORD pid; int n; } count{pid, 0};
  EnumWindows([](HWND w, LPARAM p) {
    auto* c = reinterpret_cast<Count*>(p);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == c->pid && IsWindowVisible(w)) ++c->n;
    return TRUE;
  }, reinterpret_cast<LPARAM>(&count));
  return count.n;
}

// Runs the program with the words, its standard output into a pipe, watching its windows until it ends.
Finished Start(const std::wstring& program, const std::wstring& words) {
  Finished f;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return f;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = writeEnd;
  PROCESS_INFORMATION pi{};
  std::wstring line = L"\"" + program + L"\" " + words;
  const bool started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    return f;
  }
  const ULONGLONG end = GetTickCount64() + 120000;
  while (WaitForSingleObject(pi.hProcess, 20) == WAIT_TIMEOUT && GetTickCount64() < end)
    f.visibleWindows = std::max(f.visibleWindows, VisibleWindowsOf(pi.dwProcessId));
  if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
  GetExitCodeProcess(pi.hProcess, &f.code);
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got) f.output.append(buffer, got);
  CloseHandle(readEnd);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return f;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PathExists(kInstalled)) << "scripts/test installs the program before the tests";
    ASSERT_TRUE(CopyFileW(kInstalled.c_str(), program.c_str(), FALSE));
  }
  Planted t{L"cliexe"};
  std::wstring folder = t.folder(L"程序 目录");
  std::wstring program = folder + L"\\WindowsVantorra.exe";
};

// "/clean /quiet /report" cleans the saved user folder, writes the report and
// ends with 0, and no window of it ever shows.
TEST_F(ProgramTest, AQuietCleanShowsNoWindowAndReports) {
  const std::wstring work = t.folder(L"work");
  const std::wstring a = t.file(L"work\\a.tmp"), b = t.file(L"work\\sub\\b.tmp");
  SettingsSection daily{L"WJRC", L"2", {{L"Windows临时文件夹", L"0"}, {L"文档访问历史记录", L"0"}, {L"系统操作日志", L"0"},
                                        {L"软件使用日志", L"0"}, {L"用户自定", L"1"}, {L"SelfPath0", L"1/" + work + L"/0/1/"},
                                        {L"DelSel", L"2"}}};
  ASSERT_TRUE(SaveSettings(folder + L"\\Config.ini", {daily}));
  const Finished run = Start(program, L"/clean /quiet /report \"" + t / L"报告 目录\\\\\"");
  EXPECT_EQ(run.code, 0u);
  EXPECT_EQ(run.visibleWindows, 0);
  EXPECT_FALSE(PathExists(a) || PathExists(b) || PathExists(t / L"work\\sub"));
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((t / L"报告 目录\\清理报告_*.csv").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  FindClose(search);
  const std::optional<CsvRecords> report = ReadCsv(ReadBytes(t / (L"报告 目录\\" + std::wstring(found.cFileName))));
  ASSERT_TRUE(report);
  EXPECT_EQ(report->size(), 4u);  // two files and the folder left empty
}

// The second copy's rule: while another copy holds the program's mutex, a quiet
// clean gives up at once with 2 and a line in the log beside the program.
TEST_F(ProgramTest, AQuietCleanGivesUpWhileAnotherCopyRuns) {
  HANDLE mutex = CreateMutexW(nullptr, TRUE, L"ZDKVantorra");
  ASSERT_TRUE(mutex);
  const Finished run = Start(program, L"/clean /quiet");
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  EXPECT_EQ(run.code, 2u);
  EXPECT_EQ(run.visibleWindows, 0);
  const std::string log = ReadBytes(folder + L"\\WindowsVantorra.log");
  EXPECT_NE(log.find(ToUtf8(L"  命令行清理  另一个 WindowsVantorra 正在运行，本次清理没有进行。")), std::string::npos) << log;
}

// "/?" with its output redirected writes the usage there in UTF-8 and shows no
// box; bad words write why, and the code is 2.
TEST_F(ProgramTest, UsageAndErrorsGoToRedirectedOutput) {
  const Finished help = Start(program, L"/?");
  EXPECT_EQ(help.code, 0u);
  EXPECT_EQ(help.visibleWindows, 0);
  EXPECT_NE(help.output.find(ToUtf8(L"WindowsVantorra.exe /clean [/junk] [/preview] [/report 文件] [/quiet]")),
            std::string::npos) << help.output;
  const Finished bad = Start(program, L"/clean /fast");
  EXPECT_EQ(bad.code, 2u);
  EXPECT_NE(bad.output.find(ToUtf8(L"无法识别的参数“/fast”")), std::string::npos) << bad.output;
}

}  // namespace
}  // namespace wv::test
