#pragma once
// What the file-information and music tests share: a run context that can stop
// after a number of items and records the status line, rows imported from real
// files, and an answering machine for the engine's per-row questions.

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "core/engine.h"
#include "support/testsupport.h"
#include "tools/wjszline.h"

namespace wv::test {

class CountingRun : public RunContext {
 public:
  // Stops once proceed() has answered true stopAfter times (never when negative).
  explicit CountingRun(int stopAfter = -1) : stopAfter_(stopAfter) {}
  bool proceed() override {
    if (stopAfter_ >= 0 && calls_ >= stopAfter_) return false;
    ++calls_;
    return true;
  }
  void status(std::wstring_view text) override { statuses.emplace_back(text); }
  void progressStart(std::uint32_t maximum) override { gaugeMax = maximum, gauge = 0; }
  void progressStep() override { ++gauge; }
  std::vector<std::wstring> statuses;
  std::uint32_t gaugeMax = 0, gauge = 0;

 private:
  int stopAfter_;
  int calls_ = 0;
};

// Answers the questions in order (none left: OK) and keeps them.
struct Answers {
  std::deque<bool> script;
  std::vector<FileInfoAsk> asked;
  FileInfoAsker asker() {
    return [this](const FileInfoAsk& ask) {
      asked.push_back(ask);
      if (script.empty()) return true;
      const bool answer = script.front();
      script.pop_front();
      return answer;
    };
  }
};

// Imports the paths into rows; fails the test when the import stops.
void ImportFiles(FileInfoRows& rows, std::vector<std::wstring> paths);
// Runs one operation with the settings and answers; returns the result.
FileInfoResult RunOp(FileInfoRows& rows, FileInfoOp op, const FileInfoSettings& settings, Answers& answers,
                     FilePlacement placement = FilePlacement::KeepFolder, std::wstring targetDir = {});
// Rows without files behind them, for the rules that never look at the disk.
FileInfoRows NameRows(std::initializer_list<const wchar_t*> names);
std::vector<std::wstring> NewNames(const FileInfoRows& rows);
LocalTime At(int year, int month, int day, int hour, int minute, int second);

}  // namespace wv::test
