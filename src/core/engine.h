#pragma once
// What an engine sees of the window that runs it: a way to let the window work
// and hear a stop request, and the status line. Engines hold no window code.

#include "core/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <cstdint>
#include <string_view>

namespace wv {

class RunContext {
 public:
  virtual ~RunContext() = default;
  // Called before each item: lets the window process its pending messages (the
  // implementation may skip the drain when the last one was only just done) and
  // answers true while no stop has been requested.
  [[nodiscard]] virtual bool proceed() = 0;
  // The status line (SetRunInfo on the main window).
  virtual void status(std::wstring_view text) = 0;
  // The progress gauge, for operations that know their item count.
  virtual void progressStart(std::uint32_t maximum) { (void)maximum; }
  virtual void progressStep() {}
  // Result lists keep their last row in view while rows arrive.
  virtual void rowAdded() {}
};

}  // namespace wv
