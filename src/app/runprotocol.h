#pragma once
// How every long operation runs: inside the click handler that started it, on the
// window's one thread. The start control's caption turns to "停止" and the module's
// run-state word takes the operation's number; a second press puts the idle
// caption back, which the engine notices before its next item; at the end the
// status line, gauge, caption, run state and side bar return to idle.
//
//   void WjrcPage::wjrc_smClick() {
//     if (!wjrc_run.canStart()) { wjrc_run.requestStop(); return; }
//     wjrc_run.start(1, {&wjrc_delsel, &wjrc_delall});
//     ... engine(wjrc_run) ...      // calls wjrc_run.proceed() before each item
//     wjrc_run.finish(summary);
//   }

#include "core/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_APP, "the main window and its pages are above every other layer");

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "core/engine.h"

namespace wv {

class Button;
class Control;
class OwnerDataListView;
class Tfrmmain;

inline constexpr std::wstring_view kStopCaption = L"停止";

class RunControl : public RunContext {
 public:
  RunControl(Tfrmmain& form, Button& start, std::wstring idleCaption, std::int32_t& runState);

  [[nodiscard]] Button& startControl() const { return start_; }
  [[nodiscard]] const std::wstring& idleCaption() const { return idle_; }
  [[nodiscard]] std::int32_t runState() const { return runState_; }

  // The start test: the caption (without surrounding blanks) is the idle caption
  // and the module is idle.
  [[nodiscard]] bool canStart() const;
  // Side bar off, caption "停止", the page's other action controls off, run state set.
  void start(std::int32_t operation, std::initializer_list<Control*> disable = {});
  // The stop request: the idle caption again, nothing else.
  void requestStop();
  // True once the caption shows the idle caption (a stop was requested).
  [[nodiscard]] bool stopRequested() const;

  // The end step, finished or stopped: status text, gauge hidden and at 0, idle
  // caption, run state 0, side bar on. The page re-enables its own buttons.
  void finish(std::wstring_view statusText);
  // The same with the "完成" text when the gauge reached its maximum, else the "被停止" text.
  void finishCounted(std::wstring_view finishedText, std::wstring_view stoppedText);

  // Result list whose last row stays in view while rows arrive (rowAdded).
  void setFollow(OwnerDataListView* list) { follow_ = list; }

  // RunContext: drain (throttled), then compare the caption.
  [[nodiscard]] bool proceed() override;
  void status(std::wstring_view text) override;
  void progressStart(std::uint32_t maximum) override;
  void progressStep() override;
  void rowAdded() override;

 private:
  Tfrmmain& form_;
  Button& start_;
  std::wstring idle_;
  std::int32_t& runState_;
  OwnerDataListView* follow_ = nullptr;
};

}  // namespace wv
