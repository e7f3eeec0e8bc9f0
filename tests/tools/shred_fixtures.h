#pragma once
// Fixtures of the shredder tests: a run context that records what the gauge and
// status line were told and stops on request, a file system that logs every
// open, write, flush and truncation (and can report links or named streams, or
// fail, where Wine cannot), and small file helpers.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine.h"
#include "platform/handles.h"
#include "platform/win32/win32_platform.h"
#include "support/testsupport.h"
#include "tools/wjfsline.h"

namespace wv::test {

class ShredRun : public RunContext {
 public:
  explicit ShredRun(std::function<bool(const ShredRun&)> stopWhen = {}) : stopWhen_(std::move(stopWhen)) {}
  bool proceed() override {
    ++proceeds;
    if (!stopped && stopWhen_ && stopWhen_(*this)) stopped = true;
    return !stopped;
  }
  void status(std::wstring_view text) override { statuses.emplace_back(text); }
  void progressStart(std::uint32_t maximum) override {
    maxima.push_back(maximum);
    position = 0;
  }
  void progressStep() override { ++position; }
  // Status texts that start with "正在粉碎 ".
  [[nodiscard]] std::size_t shreddingTexts() const;
  [[nodiscard]] std::wstring lastStatus() const { return statuses.empty() ? L"" : statuses.back(); }

  bool stopped = false;
  std::uint64_t proceeds = 0;
  std::vector<std::wstring> statuses;
  std::vector<std::uint32_t> maxima;
  std::uint64_t position = 0;

 private:
  std::function<bool(const ShredRun&)> stopWhen_;
};

// The real file system with a log ("open P", "write P N", "flush P", "truncate P",
// "close P") of what happens to files opened in place, in place while it lives.
class LoggingFs : public Win32FileSystem {
 public:
  LoggingFs();
  ~LoggingFs() override;

  std::unique_ptr<File> openFile(std::wstring_view path, FileAccess access, FileShare share,
                                 FileDisposition disposition) override;
  std::unique_ptr<File> openInPlace(std::wstring_view path) override;
  std::vector<StreamEntry> namedStreams(std::wstring_view path) override;
  bool moveFile(std::wstring_view from, std::wstring_view to) override;

  std::vector<std::wstring> log;
  std::vector<std::wstring> truncatingOpens;  // openFile calls with create-always
  std::set<std::wstring> reportedAsLink;      // their handles say: reparse point
  std::set<std::wstring> countOnly;           // writes counted, not made (huge files)
  std::map<std::wstring, std::vector<StreamEntry>> streams;  // named streams, kept in streamBytes
  std::map<std::wstring, std::string> streamBytes;           // path + name -> contents
  std::map<std::wstring, std::string> streamsAtCut;          // their contents as they were cut
  std::uint64_t failWritesAfter = UINT64_MAX;  // bytes a handle may write before writes fail
  bool failRename = false;
  std::uint64_t writeCalls = 0;

 private:
  Substitute<FileSystem> swap_;
};

// A file (and its folders) of the given size whose contents are a repeating non-zero pattern.
std::wstring PatternFile(std::wstring_view path, std::size_t size);
// A sparse file of the given size (only its end is written).
bool SparseFile(std::wstring_view path, std::uint64_t size);
// The file opened for reading and writing without sharing, as another program holds it.
UniqueFile HoldOpen(std::wstring_view path);
bool AllZero(std::string_view bytes);

// The list as a page keeps it, counting the changes its view would hear of.
class CountingRows : public ShredRowVector {
 public:
  using ShredRowVector::ShredRowVector;
  void append(ShredRow row) override {
    ++added;
    ShredRowVector::append(std::move(row));
  }
  void update(std::size_t index, ShredRow row) override {
    ++updated;
    ShredRowVector::update(index, std::move(row));
  }
  void erase(std::vector<std::size_t> indices) override {
    removed += indices.size();
    ShredRowVector::erase(std::move(indices));
  }
  [[nodiscard]] std::vector<std::wstring> paths() const;
  std::size_t added = 0, removed = 0, updated = 0;
};

// Records what the engine tells the page.
struct ShredPageLog {
  ShredEvents events();
  std::vector<std::pair<ShredFailure, std::wstring>> failures;
  std::vector<std::wstring> captions;
};

// Where scripts/make-shred-links plants folder links (Unix links: Wine cannot make them).
std::wstring ShredLinkFixture();

}  // namespace wv::test
