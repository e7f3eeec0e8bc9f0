#include "app/runprotocol.h"

#include "app/mainform.h"
#include "core/publline.h"
#include "core/text.h"
#include "ui/controls.h"
#include "ui/listview.h"
#include "ui/messages.h"

namespace wv {

RunControl::RunControl(Tfrmmain& form, Button& start, std::wstring idleCaption, std::int32_t& runState)
    : form_(form), start_(start), idle_(std::move(idleCaption)), runState_(runState) {}

bool RunControl::canStart() const { return TrimView(start_.caption()) == idle_ && runState_ == 0; }

void RunControl::start(std::int32_t operation, std::initializer_list<Control*> disable) {
  form_.SetToolsEnabled(false);
  start_.setCaption(kStopCaption);
  for (Control* c : disable)
    if (c) c->setEnabled(false);
  runState_ = operation;
}

void RunControl::requestStop() { start_.setCaption(idle_); }

bool RunControl::stopRequested() const { return TrimView(start_.caption()) == idle_; }

void RunControl::finish(std::wstring_view statusText) {
  SetRunInfo(statusText);
  Gauge& gauge = form_.zdk_runprog;
  gauge.setVisible(false);
  gauge.setPosition(0);
  start_.setCaption(idle_);
  if (follow_) follow_->flush();
  runState_ = 0;
  form_.SetToolsEnabled(true);
}

void RunControl::finishCounted(std::wstring_view finishedText, std::wstring_view stoppedText) {
  const Gauge& gauge = form_.zdk_runprog;
  finish(gauge.position() >= gauge.maximum() ? finishedText : stoppedText);
}

bool RunControl::proceed() {
  // Once the program is ending no message is taken any more: the operation ends too.
  const bool alive = DrainMessagesIfDue();
  return alive && !stopRequested();
}

void RunControl::status(std::wstring_view text) { SetRunInfo(text); }

void RunControl::progressStart(std::uint32_t maximum) {
  Gauge& gauge = form_.zdk_runprog;
  gauge.setMaximum(maximum);
  gauge.setPosition(0);
  gauge.setVisible(true);
}

void RunControl::progressStep() { form_.zdk_runprog.step(); }

void RunControl::rowAdded() {
  if (follow_) follow_->followTail();
}

}  // namespace wv
