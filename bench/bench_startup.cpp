// Start-up: the time from starting the program until the side bar's first
// button exists and is visible, against a bare Win32 program that shows one
// window with one button (bare_window.exe). Both are started the same way in the
// same prefix, in turns, several times; the figure is the ratio of the medians.
// One more start of the program runs with the start-up trace on and this program
// as its debugger, and its steps are printed as a table.
//   bench_startup.exe [runs]     (the program is looked for in C:\WindowsVantorra)

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/startup_trace.h"
#include "harness/bench.h"
#include "platform/text.h"

namespace {

constexpr wchar_t kProgram[] = L"C:\\WindowsVantorra\\WindowsVantorra.exe";
constexpr wchar_t kFirstButton[] = L" 文件日常清理 ";

std::wstring OwnFolder() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

struct Search {
  DWORD pid = 0;
  HWND top = nullptr;
  bool ready = false;
};

BOOL CALLBACK FindButton(HWND child, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  wchar_t text[32] = {};
  if (GetWindowTextW(child, text, 32) > 0 && lstrcmpW(text, kFirstButton) == 0 && IsWindowVisible(child)) {
    s->ready = true;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindTop(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->pid || !IsWindowVisible(hwnd)) return TRUE;
  EnumChildWindows(hwnd, FindButton, param);
  if (!s->ready) return TRUE;
  s->top = hwnd;
  return FALSE;
}

// The process's visible top-level window once its first side-bar button shows; null before.
HWND ReadyWindow(DWORD pid) {
  Search s;
  s.pid = pid;
  EnumWindows(FindTop, reinterpret_cast<LPARAM>(&s));
  return s.top;
}

struct Started {
  PROCESS_INFORMATION pi{};
  double seconds = 0;  // until ready; negative when it never was
};

void CloseAndWait(Started& run, HWND window) {
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(run.pi.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(run.pi.hProcess, 1);
  CloseHandle(run.pi.hThread);
  CloseHandle(run.pi.hProcess);
}

// Starts the program in its own folder and waits (polling every millisecond) until it is ready.
double TimeStart(const std::wstring& exe) {
  Started run;
  std::wstring command = L"\"" + exe + L"\"";
  const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  const auto start = std::chrono::steady_clock::now();
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &run.pi)) {
    std::fprintf(stderr, "cannot start %ls (error %lu)\n", exe.c_str(), GetLastError());
    std::exit(1);
  }
  HWND window = nullptr;
  while (!(window = ReadyWindow(run.pi.dwProcessId))) {
    if (WaitForSingleObject(run.pi.hProcess, 1) == WAIT_OBJECT_0) break;  // ended without a window
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(60)) break;
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  CloseAndWait(run, window);
  return window ? took.count() : -1;
}

// The program once more, with the trace on and this program as its debugger: its lines, in order.
std::vector<std::wstring> TraceStart(const std::wstring& exe) {
  std::vector<std::wstring> lines;
  SetEnvironmentVariableW(L"VANTORRA_TRACE", L"startup");
  std::wstring command = L"\"" + exe + L"\"";
  const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  Started run;
  const BOOL made = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr,
                                   folder.c_str(), &si, &run.pi);
  SetEnvironmentVariableW(L"VANTORRA_TRACE", nullptr);
  if (!made) return lines;
  HWND window = nullptr;
  const auto start = std::chrono::steady_clock::now();
  for (bool attached = true; attached;) {
    DEBUG_EVENT event{};
    if (WaitForDebugEvent(&event, 1)) {
      if (event.dwDebugEventCode == OUTPUT_DEBUG_STRING_EVENT) {
        const OUTPUT_DEBUG_STRING_INFO& info = event.u.DebugString;
        std::wstring text(info.nDebugStringLength, L'\0');
        SIZE_T got = 0;
        if (info.fUnicode) {
          ReadProcessMemory(run.pi.hProcess, info.lpDebugStringData, text.data(), text.size() * sizeof(wchar_t), &got);
          text.resize(got / sizeof(wchar_t));
        } else {
          std::string narrow(info.nDebugStringLength, '\0');
          ReadProcessMemory(run.pi.hProcess, info.lpDebugStringData, narrow.data(), narrow.size(), &got);
          narrow.resize(got);
          // Wine hands the debugger the ANSI form of a wide string: the titles come back through the code page.
          const int bytes = static_cast<int>(narrow.size());
          text.assign(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, narrow.data(), bytes, nullptr, 0)), L'\0');
          MultiByteToWideChar(CP_ACP, 0, narrow.data(), bytes, text.data(), static_cast<int>(text.size()));
        }
        while (!text.empty() && (text.back() == L'\0' || text.back() == L'\n')) text.pop_back();
        if (text.starts_with(wv::kStartupTracePrefix)) lines.push_back(text.substr(wv::kStartupTracePrefix.size()));
      } else if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT && event.u.LoadDll.hFile) {
        CloseHandle(event.u.LoadDll.hFile);
      } else if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT && event.u.CreateProcessInfo.hFile) {
        CloseHandle(event.u.CreateProcessInfo.hFile);
      } else if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) {
        attached = false;
      }
      ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
    }
    if (!window) window = ReadyWindow(run.pi.dwProcessId);
    // The steps after the window shows (pages made while idle) come within a few seconds.
    if (window && std::chrono::steady_clock::now() - start > std::chrono::seconds(8)) break;
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(60)) break;
  }
  DebugActiveProcessStop(run.pi.dwProcessId);
  CloseAndWait(run, window);
  return lines;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 7;
  const std::wstring bare = OwnFolder() + L"bare_window.exe";
  if (GetFileAttributesW(kProgram) == INVALID_FILE_ATTRIBUTES ||
      GetFileAttributesW(bare.c_str()) == INVALID_FILE_ATTRIBUTES) {
    std::fprintf(stderr, "bench_startup: %ls or %ls is missing\n", kProgram, bare.c_str());
    return 1;
  }
  // One start of each first: the prefix's caches, and the program's Config.ini as it saves it.
  TimeStart(bare);
  TimeStart(kProgram);

  // The table and the single runs go to the error stream: scripts/bench passes only the figure lines of
  // the output on, and these are for the reader.
  std::fprintf(stderr, "start-up steps of the program (the trace, under this program as debugger):\n");
  for (const std::wstring& line : TraceStart(kProgram)) std::fprintf(stderr, "  %s\n", wv::ToUtf8(line).c_str());

  std::vector<double> program, baseline;
  for (int i = 0; i < runs; ++i) {
    baseline.push_back(TimeStart(bare));
    program.push_back(TimeStart(kProgram));
    std::fprintf(stderr, "run %d: program %.3f s, bare window %.3f s\n", i + 1, program.back(), baseline.back());
  }
  if (std::ranges::count_if(program, [](double s) { return s < 0; }) ||
      std::ranges::count_if(baseline, [](double s) { return s < 0; })) {
    std::fprintf(stderr, "bench_startup: a start showed no window\n");
    return 1;
  }
  wv::bench::Report({"startup", Median(program), Median(baseline), 2.0});
  return 0;
}
