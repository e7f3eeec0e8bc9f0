// A copy of the built program unpacked into a folder where stand-ins of msimg32.dll
// and wininet.dll (DLLs of Windows that are not among its known DLLs) were planted,
// and started from another such folder: it shows its window and closes without
// loading either. ctest runs this program with Windows' search order asked of
// Wine's loader for those two (tests/CMakeLists.txt), which the programs it starts
// inherit; a program that imports msimg32 is started the same way first, to show
// that the planting would be noticed.

#include <optional>

#include "support/app_fixture.h"
#include "platform/handles.h"
#include "stand_ins.h"
#include "support/test_support.h"

namespace wv::test {
namespace {

// A started program, ended if a failed check leaves it running.
struct Started {
  UniqueHandle process;
  DWORD id = 0;
  Started(const std::wstring& program, const std::wstring& currentFolder) {
    std::wstring command = L"\"" + program + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, currentFolder.c_str(),
                        &si, &pi))
      return;
    CloseHandle(pi.hThread);
    process.reset(pi.hProcess);
    id = pi.dwProcessId;
  }
  ~Started() {
    if (process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(process.get(), 1);
      WaitForSingleObject(process.get(), 5000);  // its files must be free for the folder's removal
    }
  }
  std::optional<DWORD> waitForExit(DWORD milliseconds) const {
    DWORD code = 0;
    if (WaitForSingleObject(process.get(), milliseconds) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.get(), &code))
      return std::nullopt;
    return code;
  }
  HWND mainWindow() const {
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(h, &pid);
      if (pid == id && IsWindowVisible(h) && (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_APPWINDOW)) return h;
    }
    return nullptr;
  }
};

// Never skipped: scripts/test installs the program before the tests run.
TEST(PlantedLibraries, TheUnpackedProgramLoadsNoneOfTheDllsPlantedBesideItOrInItsCurrentFolder) {
  TempFolder unpacked(L"unpacked"), current(L"current");
  const std::wstring program = unpacked / L"WindowsVantorra.exe";
  ASSERT_TRUE(CopyFileW(L"C:\\WindowsVantorra\\WindowsVantorra.exe", program.c_str(), FALSE)) << GetLastError();
  const PlantedStandIns planted({unpacked.path(), current.path()},
                                {StandIn::Msimg32, StandIn::WinInet, StandIn::Msimg32Importer});
  ASSERT_TRUE(planted.planted());

  // The control: an importer of msimg32 takes the one beside it.
  {
    const Started importer(unpacked / L"foreign_import.exe", current.path());
    ASSERT_TRUE(importer.process) << GetLastError();
    EXPECT_TRUE(importer.waitForExit(30000));
  }
  const std::wstring control = unpacked / L"msimg32.dll.loaded";
  ASSERT_TRUE(PathExists(control)) << "a planted msimg32.dll is not taken even by a program that imports it";
  DeleteFileW(control.c_str());
  ASSERT_EQ(planted.markers(), std::vector<std::wstring>{});

  // The program: its window up (its pictures drawn), then closed as a user would.
  [&] {
    const Started run(program, current.path());
    ASSERT_TRUE(run.process) << GetLastError();
    HWND main = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (main = run.mainWindow()) != nullptr; }, 30000)) << "no window came up";
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpUntil([] { return false; }, 500);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.waitForExit(20000), std::optional<DWORD>(0)) << "closing did not end the program";
  }();
  EXPECT_EQ(planted.markers(), std::vector<std::wstring>{});
}

}  // namespace
}  // namespace wv::test
