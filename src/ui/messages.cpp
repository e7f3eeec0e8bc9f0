#include "ui/messages.h"

#include <cstdint>

namespace wv {
namespace {

struct PumpState {
  MessageHook hook;
  bool quit = false;
  std::int64_t frequency = 0;
  std::int64_t intervalTicks = 0;
  std::int64_t lastDrainEnd = 0;
  double intervalMs = 10.0;
};

PumpState& State() {
  static PumpState s = [] {
    PumpState p;
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    p.frequency = f.QuadPart;
    p.intervalTicks = static_cast<std::int64_t>(p.frequency * p.intervalMs / 1000.0);
    return p;
  }();
  return s;
}

std::int64_t Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

void Dispatch(MSG& msg) {
  PumpState& s = State();
  if (s.hook && s.hook(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

}  // namespace

MessageHook SetMessageHook(MessageHook hook) {
  MessageHook previous = std::move(State().hook);
  State().hook = std::move(hook);
  return previous;
}

int RunMessageLoop() {
  MSG msg{};
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) break;
    if (got == -1) {
      msg.wParam = 1;
      break;
    }
    Dispatch(msg);
  }
  State().quit = true;
  return static_cast<int>(msg.wParam);
}

bool DrainMessages() {
  PumpState& s = State();
  if (s.quit) return false;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      s.quit = true;
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    Dispatch(msg);
  }
  s.lastDrainEnd = Now();
  return !s.quit;
}

bool DrainMessagesIfDue() {
  PumpState& s = State();
  if (s.quit) return false;
  if (Now() - s.lastDrainEnd < s.intervalTicks) return true;
  return DrainMessages();
}

void SetDrainInterval(double milliseconds) {
  PumpState& s = State();
  s.intervalMs = milliseconds < 0 ? 0 : milliseconds;
  s.intervalTicks = static_cast<std::int64_t>(s.frequency * s.intervalMs / 1000.0);
}

double DrainInterval() { return State().intervalMs; }

void ClearQuitRequest() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  State().quit = false;
}

}  // namespace wv
