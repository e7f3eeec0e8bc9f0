// The built program, started twice from its installed place in the prefix: the
// second copy ends at once without showing any window; the first closes normally.

#include "appfixture.h"
#include "platform/handles.h"

namespace wv::test {
namespace {

constexpr wchar_t kProgram[] = L"C:\\WindowsVantorra\\WindowsVantorra.exe";

// A copy that a failed check left running does not outlive the test.
struct Started {
  UniqueHandle process;
  DWORD id = 0;
  ~Started() {
    if (WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) TerminateProcess(process.get(), 1);
  }
  DWORD waitForExit(DWORD milliseconds) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.get(), milliseconds) == WAIT_OBJECT_0) GetExitCodeProcess(process.get(), &code);
    return code;
  }
};

// Top-level windows of a process, visible or not.
std::vector<HWND> WindowsOfProcess(DWORD processId) {
  std::vector<HWND> found;
  for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == processId) found.push_back(h);
  }
  return found;
}

bool Start(Started& s) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring command = std::wstring(L"\"") + kProgram + L"\"";
  if (!CreateProcessW(kProgram, command.data(), nullptr, nullptr, FALSE, 0, nullptr, L"C:\\WindowsVantorra", &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  s.process.reset(pi.hProcess);
  s.id = pi.dwProcessId;
  return true;
}

TEST(InstanceTest, ASecondCopyEndsAtOnceWithoutAWindow) {
  // Never skipped: scripts/test installs the program before the tests run.
  ASSERT_NE(GetFileAttributesW(kProgram), INVALID_FILE_ATTRIBUTES) << "scripts/test installs the program";
  Started first, second;
  ASSERT_TRUE(Start(first)) << "error " << GetLastError();
  HWND main = nullptr;
  ASSERT_TRUE(PumpUntil(
      [&] {
        for (HWND h : WindowsOfProcess(first.id))
          if (IsWindowVisible(h) && (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_APPWINDOW)) main = h;
        return main != nullptr;
      },
      30000))
      << "the first copy never showed its window";

  ASSERT_TRUE(Start(second)) << "error " << GetLastError();
  std::size_t windowsSeen = 0;
  const ULONGLONG giveUp = GetTickCount64() + 10000;
  while (WaitForSingleObject(second.process.get(), 1) == WAIT_TIMEOUT && GetTickCount64() < giveUp)
    windowsSeen += WindowsOfProcess(second.id).size();
  EXPECT_EQ(second.waitForExit(0), 0u);
  EXPECT_EQ(windowsSeen, 0u);
  EXPECT_TRUE(IsWindowVisible(main)) << "the first copy goes on";

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.waitForExit(20000), 0u) << "closing did not end the program";
}

}  // namespace
}  // namespace wv::test
