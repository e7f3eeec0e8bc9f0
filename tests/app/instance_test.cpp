// The built program, started twice from its installed place in the prefix: the
// second copy ends at once without showing any window; the first closes normally.

#include "appfixture.h"
#include "platform/handles.h"

namespace wv::test {
namespace {

constexpr wchar_t kProgram[] = L"C:\\WindowsVantorra\\WindowsVantorra.exe";

struct Started {
  UniqueHandle process;
  DWORD id = 0;
  Started() = default;
  Started(Started&&) = default;
  Started& operator=(Started&&) = default;
  // A copy that a failed check left running must not outlive the test.
  ~Started() {
    if (process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(process.get(), 1);
      WaitForSingleObject(process.get(), 5000);
    }
  }
};

Started Start() {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring command = std::wstring(L"\"") + kProgram + L"\"";
  Started s;
  if (CreateProcessW(kProgram, command.data(), nullptr, nullptr, FALSE, 0, nullptr, L"C:\\WindowsVantorra", &si,
                     &pi)) {
    CloseHandle(pi.hThread);
    s.process.reset(pi.hProcess);
    s.id = pi.dwProcessId;
  }
  return s;
}

HWND MainWindowOf(DWORD pid) {
  for (HWND h : WindowsOfProcess(pid))
    if (IsWindowVisible(h) && (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_APPWINDOW)) return h;
  return nullptr;
}

TEST(InstanceTest, ASecondCopyEndsAtOnceWithoutAWindow) {
  if (GetFileAttributesW(kProgram) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "scripts/test installs the program";
  Started first = Start();
  ASSERT_TRUE(first.process.valid());
  HWND main = nullptr;
  for (int i = 0; i < 600 && !main; ++i) {
    Sleep(50);
    main = MainWindowOf(first.id);
    ASSERT_NE(WaitForSingleObject(first.process.get(), 0), WAIT_OBJECT_0) << "the first copy ended by itself";
  }
  ASSERT_NE(main, nullptr) << "the first copy never showed its window";
  EXPECT_EQ(WindowText(main), L"WindowsVantorra");

  Started second = Start();
  ASSERT_TRUE(second.process.valid());
  std::size_t windowsSeen = 0;
  const ULONGLONG t0 = GetTickCount64();
  while (WaitForSingleObject(second.process.get(), 1) == WAIT_TIMEOUT && GetTickCount64() - t0 < 10000)
    windowsSeen += WindowsOfProcess(second.id).size();
  const ULONGLONG took = GetTickCount64() - t0;
  ASSERT_EQ(WaitForSingleObject(second.process.get(), 0), WAIT_OBJECT_0) << "the second copy is still running";
  DWORD code = 1;
  GetExitCodeProcess(second.process.get(), &code);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(windowsSeen, 0u);
  EXPECT_LT(took, 3000u);
  // The first copy goes on, and was not brought forward or changed.
  EXPECT_NE(WaitForSingleObject(first.process.get(), 0), WAIT_OBJECT_0);
  EXPECT_TRUE(IsWindowVisible(main));

  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(first.process.get(), 20000), WAIT_OBJECT_0) << "closing did not end the program";
  GetExitCodeProcess(first.process.get(), &code);
  EXPECT_EQ(code, 0u);

  // With the first copy gone the name is free again: a new copy starts normally.
  Started third = Start();
  ASSERT_TRUE(third.process.valid());
  HWND again = nullptr;
  for (int i = 0; i < 600 && !again; ++i) {
    Sleep(50);
    again = MainWindowOf(third.id);
  }
  EXPECT_NE(again, nullptr);
  if (again) PostMessageW(again, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(third.process.get(), 20000), WAIT_OBJECT_0);
}

}  // namespace
}  // namespace wv::test
