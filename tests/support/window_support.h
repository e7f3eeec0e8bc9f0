#pragma once
// Fixtures of the window side: pumping messages, scripted answers for message
// boxes and the status line's texts.

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "support/test_support.h"
#include "ui/notify.h"

namespace wv::test {

// Processes pending messages for about the given time.
void Pump(int milliseconds = 50);
// Pumps until the condition holds or the time is up; the condition's last answer.
bool PumpUntil(const std::function<bool()>& condition, int milliseconds = 2000);

// Answers the program's message boxes in order and records what they said.
class ScriptedMsgBox {
 public:
  struct Shown {
    int icon;
    int buttons;
    std::wstring heading;
    std::wstring text;
  };
  ScriptedMsgBox();
  ~ScriptedMsgBox();
  ScriptedMsgBox(const ScriptedMsgBox&) = delete;
  ScriptedMsgBox& operator=(const ScriptedMsgBox&) = delete;

  void answer(int button) { answers_.push_back(button); }  // IDOK, IDCANCEL, ...
  [[nodiscard]] const std::vector<Shown>& shown() const { return shown_; }

 private:
  std::deque<int> answers_;
  std::vector<Shown> shown_;
  MsgBoxHandler previous_;
};

// Collects status-line texts.
class StatusRecorder {
 public:
  StatusRecorder();
  ~StatusRecorder();
  StatusRecorder(const StatusRecorder&) = delete;
  StatusRecorder& operator=(const StatusRecorder&) = delete;
  [[nodiscard]] const std::vector<std::wstring>& texts() const { return texts_; }
  [[nodiscard]] std::wstring last() const { return texts_.empty() ? std::wstring() : texts_.back(); }

 private:
  std::vector<std::wstring> texts_;
  RunInfoSink previous_;
};

// Every status text still reaches the status line; onText sees it afterwards.
class StatusHook {
 public:
  explicit StatusHook(std::function<void(std::wstring_view text)> onText);
  ~StatusHook() { SetRunInfoSink(std::move(previous_)); }
  StatusHook(const StatusHook&) = delete;
  StatusHook& operator=(const StatusHook&) = delete;

 private:
  RunInfoSink previous_;
};

// A stop press in the middle of a run: the first time the status line starts
// with prefix, check() runs (what must hold while the run goes on) and a click
// is posted to the button. Every item drains the queue while this lives, so the
// press lands before the run's next item.
class PressOnStatus {
 public:
  PressOnStatus(HWND button, std::wstring prefix, std::function<void()> check = {});
  ~PressOnStatus();
  PressOnStatus(const PressOnStatus&) = delete;
  PressOnStatus& operator=(const PressOnStatus&) = delete;
  [[nodiscard]] bool pressed() const { return pressed_; }

 private:
  double interval_;
  bool pressed_ = false;
  StatusHook hook_;
};

}  // namespace wv::test
