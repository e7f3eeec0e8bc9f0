#include "app/startup_trace.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace wv {
namespace {

struct Clock {
  bool traced = false;
  LARGE_INTEGER frequency{};
  LARGE_INTEGER previous{};
  double sinceCreation = 0;  // ms from the process's creation to `previous`
};

Clock& TheClock() {
  static Clock clock = [] {
    Clock c;
    wchar_t value[16] = {};
    const DWORD n = GetEnvironmentVariableW(L"VANTORRA_TRACE", value, 16);
    c.traced = n > 0 && n < 16 && lstrcmpiW(value, L"startup") == 0;
    if (!c.traced) return c;
    QueryPerformanceFrequency(&c.frequency);
    QueryPerformanceCounter(&c.previous);
    // The first mark counts from the process's creation: loading the program and its
    // libraries comes before any of its own code runs.
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    GetSystemTimeAsFileTime(&now);
    if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
      const auto ticks = [](const FILETIME& t) { return (ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
      if (ticks(now) > ticks(created)) c.sinceCreation = static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
    }
    return c;
  }();
  return clock;
}

}  // namespace

bool StartupTraced() { return TheClock().traced; }

void StartupMark(std::wstring_view step) {
  Clock& c = TheClock();
  if (!c.traced) return;
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  const double step_ms = static_cast<double>(now.QuadPart - c.previous.QuadPart) * 1000.0 /
                         static_cast<double>(c.frequency.QuadPart);
  static bool first = true;
  // The first mark's step is everything since the process was created.
  const double delta = first ? c.sinceCreation + step_ms : step_ms;
  if (first) first = false;
  c.sinceCreation += step_ms;
  c.previous = now;
  wchar_t times[64] = {};
  std::swprintf(times, 64, L"%8.1f ms  +%7.1f ms  ", c.sinceCreation, delta);
  std::wstring line(kStartupTracePrefix);
  line += times;
  line += step;
  line += L'\n';
  OutputDebugStringW(line.c_str());
}

}  // namespace wv
