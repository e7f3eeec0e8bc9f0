// The built program, started twice from its installed place in the prefix: the
// second copy ends at once without showing any window; the first closes normally.

#include "support/app_fixture.h"
#include "platform/handles.h"
#include "support/test_support.h"

namespace wv::test {
namespace {

// A started copy; one that a failed check left running does not outlive the test.
struct Started {
  UniqueHandle process;
  DWORD id = 0;
  Started() {
    std::wstring command = L"\"C:\\WindowsVantorra\\WindowsVantorra.exe\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, L"C:\\WindowsVantorra", &si, &pi))
      return;
    CloseHandle(pi.hThread);
    process.reset(pi.hProcess);
    id = pi.dwProcessId;
  }
  ~Started() {
    if (process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) TerminateProcess(process.get(), 1);
  }
  DWORD waitForExit(DWORD milliseconds) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.get(), milliseconds) == WAIT_OBJECT_0) GetExitCodeProcess(process.get(), &code);
    return code;
  }
  // How many top-level windows the copy has, visible or not; `main` gets its visible main window.
  int windows(HWND* main = nullptr) const {
    int count = 0;
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(h, &pid);
      count += pid == id;
      if (pid == id && main && IsWindowVisible(h) && (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_APPWINDOW)) *main = h;
    }
    return count;
  }
};

// Never skipped: scripts/test installs the program before the tests run.
TEST(InstanceTest, ASecondCopyEndsAtOnceWithoutAWindow) {
  // The installed program's settings as they were before the first copy's close saved them.
  const std::wstring settings = L"C:\\WindowsVantorra\\Config.ini";
  const bool had = PathExists(settings);
  const std::string kept = had ? ReadBytes(settings) : std::string();
  [&] {  // a failed check ends only this part
    Started first;
    ASSERT_TRUE(first.process) << "error " << GetLastError();
    HWND main = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return first.windows(&main) && main; }, 30000)) << "the first copy never showed its window";
    Started second;
    ASSERT_TRUE(second.process) << "error " << GetLastError();
    int windowsSeen = 0;
    for (const ULONGLONG giveUp = GetTickCount64() + 10000;
         WaitForSingleObject(second.process.get(), 1) == WAIT_TIMEOUT && GetTickCount64() < giveUp;)
      windowsSeen += second.windows();
    EXPECT_EQ(second.waitForExit(0), 0u);
    EXPECT_EQ(windowsSeen, 0);
    EXPECT_TRUE(IsWindowVisible(main)) << "the first copy goes on";
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.waitForExit(20000), 0u) << "closing did not end the program";
  }();
  SetFileAttributesW(settings.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (had) WriteBytes(settings, kept);
  else DeleteFileW(settings.c_str());
}

}  // namespace
}  // namespace wv::test
