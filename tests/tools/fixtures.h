#pragma once
// What the file-tool tests share: a run context that records the status line and
// gauge and stops on request, an answering machine for the file-information
// editor's per-row questions, and a file system that logs what the shredder does
// to the files it opens in place (and reports links or fails where Wine cannot).

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <set>

#include "core/engine.h"
#include "core/publline.h"
#include "core/text.h"
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

using Names = std::vector<std::wstring>;

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
  [[nodiscard]] std::wstring last() const { return statuses.empty() ? L"" : statuses.back(); }
  [[nodiscard]] std::size_t shreddingTexts() const {
    return static_cast<std::size_t>(std::count_if(statuses.begin(), statuses.end(), [](const std::wstring& s) {
      return s.starts_with(kShreddingText);
    }));
  }

  bool stopped = false;
  std::uint64_t proceeds = 0, position = 0;
  Names statuses;
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
  FileInfoAsker asker() {
    return [this](const FileInfoAsk& ask) {
      asked.push_back(ask);
      const bool answer = script.empty() || script.front();
      if (!script.empty()) script.pop_front();
      return answer;
    };
  }
  [[nodiscard]] Names texts() const {
    Names out;
    for (const FileInfoAsk& ask : asked) out.push_back(FileInfoAskText(ask));
    return out;
  }
};

inline FileInfoResult RunOp(FileInfoRows& rows, FileInfoOp op, const FileInfoSettings& settings, Answers& answers,
                            FilePlacement placement = FilePlacement::KeepFolder, std::wstring targetDir = {}) {
  FileInfoTask task{op, {}, settings, placement, std::move(targetDir), answers.asker()};
  TestRun run;
  return RunFileInfoTask(task, run, rows);
}
inline void ImportFiles(FileInfoRows& rows, Names paths) {
  FileInfoTask task{FileInfoOp::Import, std::move(paths)};
  TestRun run;
  EXPECT_FALSE(RunFileInfoTask(task, run, rows).stopped);
}
// Rows without files behind them, for the rules that never look at the disk.
inline FileInfoRows NameRows(std::initializer_list<const wchar_t*> names) {
  FileInfoRows rows;
  for (const wchar_t* name : names) rows.append({.newName = name, .oldName = name, .folder = L"C:\\nowhere\\"});
  return rows;
}
inline Names NewNames(const FileInfoRows& rows) {
  Names out;
  for (const FileInfoRow& row : rows.rows()) out.push_back(row.newName);
  return out;
}

// ---------------------------------------------------------------- shredder

// A file opened in place by the shredder: what is done to it goes to the real file
// (or, for countOnly, nowhere) and to the log as "name zeros N" or "name bytes N"
// for a write, "name flush", and "name truncate SIZE-AFTER".
class LoggingFile : public File {
 public:
  LoggingFile(Names& log, std::uint64_t& writes, std::uint64_t failAfter, std::wstring_view path,
              std::unique_ptr<File> real, bool countOnly, bool link)
      : log_(log), writes_(writes), failAfter_(failAfter), name_(path.substr(path.rfind(L'\\') + 1)),
        real_(std::move(real)), countOnly_(countOnly), link_(link) {}
  std::optional<std::size_t> read(void* buffer, std::size_t size) override { return real_->read(buffer, size); }
  bool write(const void* data, std::size_t size) override {
    ++writes_;
    if ((written_ += size) > failAfter_) return false;
    if (countOnly_) return true;
    const auto bytes = static_cast<const char*>(data);
    note((std::all_of(bytes, bytes + size, [](char c) { return c == 0; }) ? L"zeros " : L"bytes ") +
         std::to_wstring(size));
    return real_->write(data, size);
  }
  bool seek(std::uint64_t offset) override { return real_->seek(offset); }
  bool truncateHere() override {
    const bool done = real_->truncateHere();
    note(L"truncate " + std::to_wstring(real_->size().value_or(UINT64_MAX)));
    return done;
  }
  bool flush() override {
    note(L"flush");
    return real_->flush();
  }
  std::optional<std::uint64_t> size() override { return real_->size(); }
  std::optional<FileIdentity> identity() override {
    std::optional<FileIdentity> id = real_->identity();
    if (id && link_) id->attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    return id;
  }

 private:
  void note(const std::wstring& what) { log_.push_back(name_ + L" " + what); }
  Names& log_;
  std::uint64_t& writes_;
  std::uint64_t failAfter_, written_ = 0;
  std::wstring name_;
  std::unique_ptr<File> real_;
  bool countOnly_, link_;
};

// The real file system with that log, in place while it lives; it can report file
// links and named streams (Wine makes neither), and fail writes or renames.
class LoggingFs : public Win32FileSystem {
 public:
  LoggingFs() : swap_(&Platform::files, *this) {}
  std::unique_ptr<File> openFile(std::wstring_view path, FileAccess access, FileShare share,
                                 FileDisposition disposition) override {
    if (disposition == FileDisposition::CreateAlways) truncatingOpens.emplace_back(path);
    return Win32FileSystem::openFile(path, access, share, disposition);
  }
  std::unique_ptr<File> openInPlace(std::wstring_view path) override {
    std::unique_ptr<File> real = Win32FileSystem::openInPlace(path);
    const std::wstring p(path);
    if (!real) return nullptr;
    return std::make_unique<LoggingFile>(log, writeCalls, failWritesAfter, p, std::move(real), countOnly.count(p) > 0,
                                         reportedAsLink.count(p) > 0);
  }
  std::vector<StreamEntry> namedStreams(std::wstring_view path) override {
    auto it = streams.find(std::wstring(path));
    return it == streams.end() ? Win32FileSystem::namedStreams(path) : it->second;
  }
  bool moveFile(std::wstring_view from, std::wstring_view to) override {
    return !failRename && Win32FileSystem::moveFile(from, to);
  }

  Names log;
  Names truncatingOpens;               // openFile with create-always
  std::set<std::wstring> reportedAsLink, countOnly;  // countOnly: writes counted, not made (huge files)
  std::map<std::wstring, std::vector<StreamEntry>> streams;
  std::uint64_t failWritesAfter = UINT64_MAX;  // bytes a handle may write
  std::uint64_t writeCalls = 0;
  bool failRename = false;

 private:
  Substitute<FileSystem> swap_;
};
// The log of zeros over a file of that size in 1024-byte blocks, flushed.
inline Names ZerosLog(const std::wstring& name, std::uint64_t size) {
  Names out(size / 1024, name + L" zeros 1024");
  if (size % 1024) out.push_back(name + L" zeros " + std::to_wstring(size % 1024));
  out.push_back(name + L" flush");
  return out;
}

// A file (and its folders) whose contents are a repeating non-zero pattern.
inline std::wstring PatternFile(std::wstring_view path, std::size_t size) {
  (void)Win32FileSystem().createFolderTree(ExcludeTrailingBackslash(ExtractFilePath(path)));
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('A' + i % 23);
  WriteBytes(path, bytes);
  return std::wstring(path);
}
// A sparse file of that size: only its last byte written.
inline bool SparseFile(const std::wstring& path, std::uint64_t size) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  LARGE_INTEGER end{.QuadPart = static_cast<LONGLONG>(size - 1)};
  DWORD put = 0;
  return file && SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && WriteFile(file.get(), "z", 1, &put, nullptr);
}
// Opened for reading and writing without sharing, as another program holds it.
inline UniqueFile HoldOpen(const std::wstring& path) {
  return UniqueFile(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}
inline bool AllZero(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; });
}
inline Names Paths(const ShredRows& rows) {
  Names out;
  for (std::size_t i = 0; i < rows.size(); ++i) out.push_back(rows.at(i).path);
  return out;
}

// What the engine tells the page.
struct ShredPageLog {
  ShredEvents events() {
    return {[this](std::wstring_view caption) { captions.emplace_back(caption); },
            [this](ShredFailure failure, std::wstring_view path) { failures.emplace_back(failure, path); }};
  }
  std::vector<std::pair<ShredFailure, std::wstring>> failures;
  Names captions;
};

// Where scripts/make-shred-links plants folder links (Unix links: Wine cannot make them).
inline std::wstring ShredLinkFixture() { return L"C:\\WindowsVantorraFixtures\\shred"; }

}  // namespace wv::test
