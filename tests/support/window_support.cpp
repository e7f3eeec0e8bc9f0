#include "support/window_support.h"

#include <utility>

#include "ui/messages.h"

namespace wv::test {

void Pump(int milliseconds) { PumpUntil([] { return false; }, milliseconds); }

bool PumpUntil(const std::function<bool()>& condition, int milliseconds) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
  for (;;) {
    DrainMessages();
    if (condition()) return true;
    if (GetTickCount64() >= end) return condition();
    Sleep(5);
  }
}

ScriptedMsgBox::ScriptedMsgBox() {
  previous_ = SetMsgBoxHandler([this](int icon, int buttons, std::wstring_view heading, std::wstring_view text) {
    shown_.push_back({icon, buttons, std::wstring(heading), std::wstring(text)});
    if (answers_.empty()) return IDCANCEL;  // an unexpected question is declined
    const int a = answers_.front();
    answers_.pop_front();
    return a;
  });
}

ScriptedMsgBox::~ScriptedMsgBox() { SetMsgBoxHandler(previous_); }

StatusRecorder::StatusRecorder() {
  previous_ = SetRunInfoSink([this](std::wstring_view text) { texts_.emplace_back(text); });
}

StatusRecorder::~StatusRecorder() { SetRunInfoSink(previous_); }

StatusHook::StatusHook(std::function<void(std::wstring_view text)> onText) {
  previous_ = SetRunInfoSink([this, onText = std::move(onText)](std::wstring_view text) {
    if (previous_) previous_(text);
    onText(text);
  });
}

PressOnStatus::PressOnStatus(HWND button, std::wstring prefix, std::function<void()> check)
    : interval_(DrainInterval()),
      hook_([this, button, prefix = std::move(prefix), check = std::move(check)](std::wstring_view text) {
        if (pressed_ || !text.starts_with(prefix)) return;
        pressed_ = true;
        if (check) check();
        PostMessageW(button, BM_CLICK, 0, 0);
      }) {
  SetDrainInterval(0);
}

PressOnStatus::~PressOnStatus() { SetDrainInterval(interval_); }

}  // namespace wv::test
