#pragma once
// What an engine sees of the window that runs it: a way to let the window work
// and hear a stop request, and the status line. Engines hold no window code.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <cstddef>
#include <cstdint>
#include <string>
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
  // Whether row `row` of the list the run's items come from (drives, hives, scan
  // items) is ticked now, asked when the run reaches that row: a row the user
  // unticks or ticks while a scan runs counts. ticked is the input's snapshot,
  // the answer when the page gave no list to ask.
  [[nodiscard]] virtual bool stillTicked(std::size_t row, bool ticked) {
    (void)row;
    return ticked;
  }
  // What a walk has found so far (rows and their bytes) and where it is, for the
  // status line "已扫描到 N 项(size) -- folder". Engines hand over the numbers;
  // the text is made here, into one reused buffer.
  virtual void scanned(std::size_t rows, std::uint64_t bytes, std::wstring_view folder);

 private:
  std::wstring scannedText_;
};

// "已扫描到 N 项(size) -- folder", built into out so that a walk reuses one buffer.
void ScanProgressText(std::size_t rows, std::uint64_t bytes, std::wstring_view folder, std::wstring& out);

}  // namespace wv
