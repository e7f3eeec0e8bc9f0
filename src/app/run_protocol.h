#pragma once
// How every long operation runs: inside the click handler that started it, on the
// window's one thread. The start control's caption turns to "停止" and the module's
// run-state word takes the operation's number; a second press puts the idle
// caption back, which the engine notices before its next item; at the end the
// status line, gauge, caption, run state and side bar return to idle.
//
//   void DailyFilesPage::onScanClicked() {
//     if (!scanRun.canStart()) { scanRun.requestStop(); return; }
//     RunGuard run(scanRun, L"onScanClicked", 1, {&deleteSelectedButton, &deleteAllButton}, [this] { ...buttons... });
//     ... engine(input, scanRun) ...      // calls scanRun.proceed() before each item
//     run.finish(summary);
//   }
//
// A fault that escapes the engine still ends the run (RunGuard), and the window's
// dispatch writes it to the fault log beside the program.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_APP, "the main window and its pages are above every other layer");

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "core/run_context.h"
#include "ui/window.h"

namespace wv {

class Button;
class Control;
class ListView;
class OwnerDataListView;
class MainWindow;

inline constexpr std::wstring_view kStopCaption = L"停止";
// Beside the program: one line per fault that escaped a handler.
inline constexpr std::wstring_view kFaultLogName = L"WindowsVantorra.log";
// The status line after a run that a fault ended.
inline constexpr std::wstring_view kFaultStatusText = L"操作出错已中止，详情记录在程序目录的 WindowsVantorra.log 中";
// The same when that log could not be written.
inline constexpr std::wstring_view kFaultUnloggedStatusText = L"操作出错已中止（程序目录的 WindowsVantorra.log 无法写入）";

class RunControl : public RunContext {
 public:
  RunControl(MainWindow& form, Button& start, std::wstring idleCaption, std::int32_t& runState);

  // The start test: the module is idle (its run state is 0).
  [[nodiscard]] bool canStart() const { return runState_ == 0; }
  // Side bar off, caption "停止", the page's other action controls off, run state set.
  void start(std::int32_t operation, std::initializer_list<Control*> disable = {});
  // Caption "停止" and the run state, as start() without touching other controls:
  // an operation started by a drop (the import engine takes the rest).
  void markStarted(std::int32_t operation);
  // The stop request: the idle caption again (what the user sees) and the stop
  // flag (what the engine reads), nothing else.
  void requestStop();
  // True once a stop was requested since the run started.
  [[nodiscard]] bool stopRequested() const { return stop_; }

  // The end step, finished or stopped: status text, gauge hidden and at 0, idle
  // caption, run state 0, side bar on. The page re-enables its own buttons.
  void finish(std::wstring_view statusText);
  // The same with the "完成" text when the gauge reached its maximum, else the "被停止" text.
  void finishCounted(std::wstring_view finishedText, std::wstring_view stoppedText);
  // What must hold after any run, for when finish itself failed: the module idle,
  // the side bar on, the idle caption. Assignments and window calls only.
  void abandon() noexcept;

  // Result list whose last row stays in view while rows arrive (rowAdded).
  void setFollow(OwnerDataListView* list) { follow_ = list; }
  // The list whose ticks stillTicked reads while the run goes on (null: the snapshot's).
  void setTickedRows(const ListView* list) { ticked_ = list; }

  // RunContext: drain (throttled), then read the stop flag.
  [[nodiscard]] bool proceed() override;
  void status(std::wstring_view text) override;
  void progressStart(std::uint32_t maximum) override;
  void progressStep() override;
  void rowAdded() override;
  [[nodiscard]] bool stillTicked(std::size_t row, bool ticked) override;

 private:
  MainWindow& form_;
  Button& start_;
  std::wstring idle_;
  std::int32_t& runState_;
  OwnerDataListView* follow_ = nullptr;
  const ListView* ticked_ = nullptr;
  bool stop_ = false;
};

// One run of a start handler, from start to end step. The end step comes
// however the handler ends: finish() with the summary, or, when a fault unwinds
// the handler (or it returns without finishing), the destructor with the fault
// text. afterEnd re-enables the page's own buttons after either. Also names the
// handler for the fault log.
class RunGuard {
 public:
  RunGuard(RunControl& run, std::wstring_view handler, std::int32_t operation,
           std::initializer_list<Control*> disable = {}, std::function<void()> afterEnd = {});
  ~RunGuard();
  RunGuard(const RunGuard&) = delete;
  RunGuard& operator=(const RunGuard&) = delete;

  void finish(std::wstring_view statusText);
  void finishCounted(std::wstring_view finishedText, std::wstring_view stoppedText);

 private:
  void ended();
  HandlerScope scope_;
  RunControl& run_;
  std::function<void()> afterEnd_;
  bool finished_ = false;
};

// Appends "date time  handler  what" to the fault log in the folder (UTF-8).
// False when the line could not be written.
bool AppendFaultLog(std::wstring_view folder, const FaultReport& fault);

}  // namespace wv
