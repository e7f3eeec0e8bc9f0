#include "app/run_protocol.h"

#include "app/main_window.h"
#include "core/utilities.h"
#include "platform/text.h"
#include "ui/controls.h"
#include "ui/list_view.h"
#include "ui/messages.h"
#include "platform/platform.h"

namespace wv {

RunControl::RunControl(MainWindow& form, Button& start, std::wstring idleCaption, std::int32_t& runState)
    : form_(form), start_(start), idle_(std::move(idleCaption)), runState_(runState) {}


void RunControl::start(std::int32_t operation, std::initializer_list<Control*> disable) {
  form_.setSideBarEnabled(false);
  stop_ = false;
  start_.setCaption(kStopCaption);
  for (Control* c : disable)
    if (c) c->setEnabled(false);
  runState_ = operation;
}

void RunControl::markStarted(std::int32_t operation) {
  stop_ = false;
  start_.setCaption(kStopCaption);
  runState_ = operation;
}

void RunControl::requestStop() {
  stop_ = true;
  start_.setCaption(idle_);
}

void RunControl::finish(std::wstring_view statusText) {
  SetRunInfo(statusText);
  Gauge& gauge = form_.progressGauge;
  gauge.setVisible(false);
  gauge.setPosition(0);
  start_.setCaption(idle_);
  if (follow_) follow_->flush();
  runState_ = 0;
  form_.setSideBarEnabled(true);
}

void RunControl::finishCounted(std::wstring_view finishedText, std::wstring_view stoppedText) {
  const Gauge& gauge = form_.progressGauge;
  finish(gauge.position() >= gauge.maximum() ? finishedText : stoppedText);
}

bool RunControl::proceed() {
  // Once the program is ending no message is taken any more: the operation ends too.
  const bool alive = DrainMessagesIfDue();
  return alive && !stopRequested();
}

void RunControl::status(std::wstring_view text) { SetRunInfo(text); }

void RunControl::progressStart(std::uint32_t maximum) {
  Gauge& gauge = form_.progressGauge;
  gauge.setMaximum(maximum);
  gauge.setPosition(0);
  gauge.setVisible(true);
}

void RunControl::progressStep() { form_.progressGauge.step(); }

void RunControl::rowAdded() {
  if (follow_) follow_->followTail();
}

RunGuard::RunGuard(RunControl& run, std::wstring_view handler, std::int32_t operation,
                   std::initializer_list<Control*> disable, std::function<void()> afterEnd)
    : scope_(handler), run_(run), afterEnd_(std::move(afterEnd)) {
  run_.start(operation, disable);
}

void RunControl::abandon() noexcept {
  runState_ = 0;
  stop_ = false;
  form_.setSideBarEnabled(true);
  // The caption held the idle text before the run, so this assignment needs no memory.
  start_.setCaption(idle_);
}

RunGuard::~RunGuard() {
  if (finished_) return;
  // Unwinding from a fault, so nothing may escape from here. The run ends whatever
  // else fails on the way, so that the page and the side bar stay usable, and a
  // failure of the end step itself is recorded beside the fault that caused it.
  try {
    run_.finish(kFaultStatusText);
  } catch (...) {
    run_.abandon();
    RecordFault({L"end of a faulted run", L"the status line, gauge or list could not be reset"});
  }
  try {
    ended();
  } catch (...) {
    RecordFault({L"end of a faulted run", L"the page's buttons could not be restored"});
  }
}

void RunGuard::finish(std::wstring_view statusText) {
  run_.finish(statusText);
  ended();
}

void RunGuard::finishCounted(std::wstring_view finishedText, std::wstring_view stoppedText) {
  run_.finishCounted(finishedText, stoppedText);
  ended();
}

void RunGuard::ended() {
  finished_ = true;
  if (afterEnd_) afterEnd_();
}

namespace {

std::wstring TwoDigits(unsigned v) { return std::wstring{static_cast<wchar_t>(L'0' + v / 10 % 10), static_cast<wchar_t>(L'0' + v % 10)}; }

}  // namespace

bool RunControl::stillTicked(std::size_t row, bool ticked) {
  if (!ticked_) return ticked;
  return row < static_cast<std::size_t>(ticked_->count()) && ticked_->checked(static_cast<int>(row));
}

bool AppendFaultLog(std::wstring_view folder, const FaultReport& fault) {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  std::wstring line = ToDecimal(t.wYear) + L"-" + TwoDigits(t.wMonth) + L"-" + TwoDigits(t.wDay) + L" " +
                      TwoDigits(t.wHour) + L":" + TwoDigits(t.wMinute) + L":" + TwoDigits(t.wSecond) + L"  " +
                      fault.handler + L"  " + ReplaceAll(ReplaceAll(fault.what, L"\r", L" "), L"\n", L" ") + L"\r\n";
  const std::wstring path = IncludeTrailingBackslash(folder) + std::wstring(kFaultLogName);
  std::unique_ptr<File> file = Fs().openFile(path, FileAccess::Write, FileShare::Read, FileDisposition::OpenAlways);
  if (!file) return false;
  const std::optional<std::uint64_t> size = file->size();
  if (!size || !file->seek(*size)) return false;
  std::string bytes = *size == 0 ? std::string("\xEF\xBB\xBF") : std::string();  // Notepad reads it as UTF-8
  bytes += ToUtf8(line);
  return file->write(bytes.data(), bytes.size());
}

}  // namespace wv
