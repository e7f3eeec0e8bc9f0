#pragma once
// The run context of page operations that cannot be stopped (reading the startup
// items, the registry editor's export and import): the window keeps painting and
// the status line is the main window's.

#include "core/run_context.h"
#include "core/utilities.h"
#include "ui/messages.h"

namespace wv {

class PaintingRun : public RunContext {
 public:
  bool proceed() override {
    (void)DrainMessagesIfDue();
    return true;
  }
  void status(std::wstring_view text) override { SetRunInfo(text); }
};

}  // namespace wv
