#pragma once
// The program's one message loop and the drain that long operations call between
// items. A drain processes every pending message (input, painting, posted work)
// so that the window stays alive and a stop press can run its handler.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_UI, WV_WINDOW_CODE);

#include <windows.h>

#include <functional>

namespace wv {

// Sees every message taken from the queue before it is dispatched; true when it
// handled the message itself (the application-wide hook).
using MessageHook = std::function<bool(MSG& message)>;
MessageHook SetMessageHook(MessageHook hook);  // returns the previous one

// Runs until WM_QUIT; the quit code.
int RunMessageLoop();

// Processes all pending messages now. False once the loop is ending (WM_QUIT seen:
// it is posted again for the outer loop and no further messages are taken here).
bool DrainMessages();

// The per-item step of long operations. Taking a message costs tens of
// microseconds under Wine, so the queue is drained only when the drain interval
// has passed since the previous drain ended; in between this is a clock read.
bool DrainMessagesIfDue();
void SetDrainInterval(double milliseconds);
[[nodiscard]] double DrainInterval();

// Tests: forget a seen WM_QUIT and remove it from the queue.
void ClearQuitRequest();

}  // namespace wv
