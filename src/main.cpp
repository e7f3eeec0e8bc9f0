// The program's start: DLLs only from the system folder, one copy at a time, the
// about window as splash, the main window created hidden (the administrator gate
// shows it), then the message loop.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "app/about_window.h"
#include "app/main_window.h"
#include "app/startup_trace.h"
#include "cli/clean_command.h"
#include "pages/page_table.h"
#include "platform/handles.h"
#include "platform/libraries.h"
#include "ui/messages.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // First of all: the program may have been unpacked where anyone can drop a DLL.
  wv::LimitLibrarySearchToSystem();
  // Any word on the command line ("/clean", "/?"): cleaning without the window, which ends the program.
  if (std::vector<std::wstring> args = wv::ProcessArguments(); !args.empty())
    return wv::RunCommandLine(args, wv::ProcessEnvironment());
  wv::StartupMark(L"program and libraries loaded");
  SetLastError(0);
  wv::UniqueHandle mutex(CreateMutexW(nullptr, TRUE, L"ZDKVantorra"));
  if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;  // another copy runs: end silently

  int code = 0;
  {
    wv::AboutWindow splash;
    splash.showSplash();
    wv::StartupMark(L"splash shown");
    wv::FormOptions options;
    options.pages = wv::AllPages();
    options.about = &splash;
    wv::MainWindow form(std::move(options));
    form.create();
    splash.hideSplash();
    wv::StartupMark(L"splash hidden");
    // Without its window nothing could ever end the loop, and the copy would hold the mutex for good.
    code = form.handle() ? wv::RunMessageLoop() : 1;
  }
  if (mutex) ReleaseMutex(mutex.get());
  return code;
}
