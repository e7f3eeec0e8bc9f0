#pragma once
// A tiny harness: time an operation and a bare baseline in the same run, report
// their ratio as "bench NAME: ratio R (goal G)". Best-of-N wall-clock times keep
// the figure steady on a busy machine.

#include <functional>
#include <string>
#include <string_view>

namespace wv::bench {

// Seconds of the fastest of `repeats` runs of fn (setup, when given, runs before each and is not timed).
double BestSeconds(const std::function<void()>& fn, int repeats, const std::function<void()>& setup = {});

struct Figure {
  std::string name;
  double seconds = 0;
  double baselineSeconds = 0;
  double goal = 0;  // the ratio to stay within
};

// Prints the line scripts/bench collects, plus the two times for the record.
void Report(const Figure& figure);
// For goals stated as an absolute time: ratio = seconds / limit.
void ReportAbsolute(std::string_view name, double seconds, double limitSeconds);

// A scratch folder for the benchmark's files, removed with everything in it at the end.
class ScratchFolder {
 public:
  explicit ScratchFolder(std::wstring_view tag);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  [[nodiscard]] const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

}  // namespace wv::bench
