#pragma once
// What the file-tool tests share: a run context that records the status line and
// gauge and stops on request, an answering machine for the file-information
// editor's per-row questions, and a file system that logs what the shredder does
// to the files it opens in place (and reports links or fails where Wine cannot).

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/engine.h"
#include "platform/handles.h"
#include "platform/win32/win32_platform.h"
#include "support/testsupport.h"
#include "tools/wjfsline.h"
#include "tools/wjszline.h"

// Settings and jobs are written as designated initializers: the members left out
// keep their defaults, which is the point, not an oversight.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif

namespace wv::test {

class TestRun : public RunContext {
 public:
  // Asked at every proceed(); once it answers true the run stays stopped.
  explicit TestRun(std::function<bool(const TestRun&)> stopWhen = {}) : stopWhen_(std::move(stopWhen)) {}
  bool proceed() override {
    ++proceeds;
    stopped = stopped || (stopWhen_ && stopWhen_(*this));
    return !stopped;
  }
  void status(std::wstring_view text) override { statuses.emplace_back(text); }
  void progressStart(std::uint32_t maximum) override { maxima.push_back(maximum), position = 0; }
  void progressStep() override { ++position; }
  [[nodiscard]] std::size_t shreddingTexts() const;  // statuses that start with "正在粉碎 "
  [[nodiscard]] std::wstring last() const { return statuses.empty() ? L"" : statuses.back(); }

  bool stopped = false;
  std::uint64_t proceeds = 0, position = 0;
  std::vector<std::wstring> statuses;
  std::vector<std::uint32_t> maxima;

 private:
  std::function<bool(const TestRun&)> stopWhen_;
};
// Lets proceed() answer true n times.
inline auto StopAfter(std::uint64_t n) {
  return [n](const TestRun& r) { return r.proceeds > n; };
}

// ---------------------------------------------------------------- file information

// Answers the questions in order (none left: OK) and keeps them.
struct Answers {
  std::deque<bool> script;
  std::vector<FileInfoAsk> asked;
  FileInfoAsker asker();
  [[nodiscard]] std::vector<std::wstring> texts() const;
};

void ImportFiles(FileInfoRows& rows, std::vector<std::wstring> paths);
FileInfoResult RunOp(FileInfoRows& rows, FileInfoOp op, const FileInfoSettings& settings, Answers& answers,
                     FilePlacement placement = FilePlacement::KeepFolder, std::wstring targetDir = {});
// Rows without files behind them, for the rules that never look at the disk.
FileInfoRows NameRows(std::initializer_list<const wchar_t*> names);
std::vector<std::wstring> NewNames(const FileInfoRows& rows);

// ---------------------------------------------------------------- shredder

// The real file system, logging ("name zeros N" or "name bytes N" for a write,
// "name flush", "name truncate SIZE-AFTER")
// what happens to the files it opens in place, in place while it lives.
class LoggingFs : public Win32FileSystem {
 public:
  LoggingFs() : swap_(&Platform::files, *this) {}
  std::unique_ptr<File> openFile(std::wstring_view path, FileAccess access, FileShare share,
                                 FileDisposition disposition) override;
  std::unique_ptr<File> openInPlace(std::wstring_view path) override;
  std::vector<StreamEntry> namedStreams(std::wstring_view path) override;
  bool moveFile(std::wstring_view from, std::wstring_view to) override;

  std::vector<std::wstring> log;
  std::vector<std::wstring> truncatingOpens;  // openFile with create-always
  std::set<std::wstring> reportedAsLink;      // their handles say: reparse point
  std::set<std::wstring> countOnly;           // writes counted, not made (huge files)
  std::map<std::wstring, std::vector<StreamEntry>> streams;  // reported named streams
  std::uint64_t failWritesAfter = UINT64_MAX;  // bytes a handle may write
  std::uint64_t writeCalls = 0;
  bool failRename = false;

 private:
  Substitute<FileSystem> swap_;
};
// The log of zeros over a file of that size in 1024-byte blocks, flushed.
std::vector<std::wstring> ZerosLog(const std::wstring& name, std::uint64_t size);

// A file (and its folders) whose contents are a repeating non-zero pattern.
std::wstring PatternFile(std::wstring_view path, std::size_t size);
bool SparseFile(std::wstring_view path, std::uint64_t size);  // only its end written
// Opened for reading and writing without sharing, as another program holds it.
UniqueFile HoldOpen(std::wstring_view path);
bool AllZero(std::string_view bytes);
std::vector<std::wstring> Paths(const ShredRows& rows);

// Records what the engine tells the page.
struct ShredPageLog {
  ShredEvents events();
  std::vector<std::pair<ShredFailure, std::wstring>> failures;
  std::vector<std::wstring> captions;
};

// Where scripts/make-shred-links plants folder links (Unix links: Wine cannot make them).
inline std::wstring ShredLinkFixture() { return L"C:\\WindowsVantorraFixtures\\shred"; }

}  // namespace wv::test
