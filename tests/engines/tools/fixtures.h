#pragma once
// What the file-tool tests share: a recording run, scripted answers, a logging file system.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <set>

#include "core/run_context.h"
#include "core/utilities.h"
#include "platform/text.h"
#include "platform/win32/win32_platform.h"
#include "support/test_support.h"
#include "engines/tools/shredder.h"
#include "engines/tools/file_info.h"

// Designated initializers leave members at their defaults on purpose.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif

namespace wv::test {

using Names = std::vector<std::wstring>;

// A text of every row (or item), in order.
template <class Rows, class F> Names Each(const Rows& rows, F text) {
  Names out;
  for (std::size_t i = 0; i < rows.size(); ++i) out.push_back(text(rows.at(i)));
  return out;
}

// stopWhen is asked at every proceed(); once it answers true the run stays stopped.
struct TestRun : RunContext {
  explicit TestRun(std::function<bool(const TestRun&)> stop = {}) : stopWhen(std::move(stop)) {}
  bool proceed() override { return ++proceeds, !(stopped = stopped || (stopWhen && stopWhen(*this))); }
  void status(std::wstring_view text) override { statuses.emplace_back(text); }
  void progressStart(std::uint32_t maximum) override { maxima.push_back(maximum), position = 0; }
  void progressStep() override { ++position; }
  [[nodiscard]] std::wstring last() const { return statuses.empty() ? L"" : statuses.back(); }
  [[nodiscard]] std::size_t shreddingTexts() const {
    return std::ranges::count_if(statuses, [](auto& s) { return s.starts_with(kShreddingText); });
  }

  std::function<bool(const TestRun&)> stopWhen;
  bool stopped = false;
  std::uint64_t proceeds = 0, position = 0;
  Names statuses;
  std::vector<std::uint32_t> maxima;
};
inline auto StopAfter(std::uint64_t n) { return [n](const TestRun& r) { return r.proceeds > n; }; }  // n trues

struct Answers {  // answers the questions in order (none left: OK) and keeps them
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
  [[nodiscard]] Names texts() const { return Each(asked, FileInfoAskText); }
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
inline Names NewNames(const FileInfoRows& rows) { return Each(rows, [](const FileInfoRow& r) { return r.newName; }); }

inline bool AllZero(std::string_view bytes) { return std::ranges::all_of(bytes, [](char c) { return c == '\0'; }); }

// The real file system while it lives, logging "name zeros|bytes N", "name flush", "name truncate SIZE"
// for files opened in place; it reports links, streams and how contents are kept where Wine cannot,
// fails writes, renames or the deletion of a renamed file, and keeps read-only folders as Windows does.
class LoggingFs : public Win32FileSystem {
 public:
  LoggingFs() : swap_(&Platform::files, *this) {}
  std::unique_ptr<File> openFile(std::wstring_view path, FileAccess access, FileShare share,
                                 FileDisposition disposition) override {
    if (disposition == FileDisposition::CreateAlways) truncatingOpens.emplace_back(path);
    return Win32FileSystem::openFile(path, access, share, disposition);
  }
  std::unique_ptr<File> openInPlace(std::wstring_view path) override {
    auto real = Win32FileSystem::openInPlace(path);
    return real ? std::make_unique<Logged>(*this, std::wstring(path), std::move(real)) : nullptr;
  }
  std::vector<StreamEntry> namedStreams(std::wstring_view path) override {
    auto it = streams.find(std::wstring(path));
    return it == streams.end() ? Win32FileSystem::namedStreams(path) : it->second;
  }
  SysResult moveFile(std::wstring_view from, std::wstring_view to) override {
    return failRename ? SysResult(ERROR_ACCESS_DENIED) : Win32FileSystem::moveFile(from, to);
  }
  SysResult deleteFile(std::wstring_view path) override {
    if (failDeleteOfRenamed && ExtractFileName(path).starts_with(L"QV")) return SysResult(ERROR_ACCESS_DENIED);
    return Win32FileSystem::deleteFile(path);
  }
  // Wine keeps no read-only mark on folders: the folders named here carry one as
  // Windows keeps it, and, as Windows, will not be removed while they do.
  DWORD attributes(std::wstring_view path) override {
    const DWORD real = Win32FileSystem::attributes(path);
    return real != INVALID_FILE_ATTRIBUTES && readOnlyFolders.contains(Folded(path)) ? real | FILE_ATTRIBUTE_READONLY : real;
  }
  bool setAttributes(std::wstring_view path, DWORD attributes) override {
    if (readOnlyFolders.contains(Folded(path)) && !(attributes & FILE_ATTRIBUTE_READONLY)) readOnlyFolders.erase(Folded(path));
    else if ((attributes & FILE_ATTRIBUTE_READONLY) && (Win32FileSystem::attributes(path) & FILE_ATTRIBUTE_DIRECTORY))
      readOnlyFolders.insert(Folded(path));
    return Win32FileSystem::setAttributes(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  }
  SysResult removeFolder(std::wstring_view path) override {
    if (readOnlyFolders.contains(Folded(path))) return SysResult(ERROR_ACCESS_DENIED);
    return Win32FileSystem::removeFolder(path);
  }
  static std::wstring Folded(std::wstring_view path) { return ToUpper(ExcludeTrailingBackslash(path)); }

  Names log, truncatingOpens;                        // truncatingOpens: openFile with create-always
  std::set<std::wstring> reportedAsLink, countOnly;  // countOnly: writes counted, not made (huge files)
  std::map<std::wstring, std::vector<StreamEntry>> streams;
  std::map<std::wstring, DWORD> keptAs;
  std::set<std::wstring> readOnlyFolders;  // Folded  // FILE_ATTRIBUTE_COMPRESSED, ENCRYPTED, SPARSE_FILE as the handle reports them
  std::uint64_t failWritesAfter = UINT64_MAX, writeCalls = 0;  // bytes a handle may write
  bool failRename = false, failDeleteOfRenamed = false;

 private:
  class Logged : public File {
   public:
    Logged(LoggingFs& fs, std::wstring path, std::unique_ptr<File> real)
        : fs_(fs), path_(std::move(path)), real_(std::move(real)) {}
    std::optional<std::size_t> read(void* buffer, std::size_t size) override { return real_->read(buffer, size); }
    bool write(const void* data, std::size_t size) override {
      ++fs_.writeCalls;
      if ((written_ += size) > fs_.failWritesAfter) return false;
      if (fs_.countOnly.contains(path_)) return true;
      note((AllZero({static_cast<const char*>(data), size}) ? L"zeros " : L"bytes ") + std::to_wstring(size));
      return real_->write(data, size);
    }
    bool seek(std::uint64_t offset) override { return real_->seek(offset); }
    bool truncateHere() override {
      const bool done = real_->truncateHere();
      note(L"truncate " + std::to_wstring(real_->size().value_or(UINT64_MAX)));
      return done;
    }
    bool flush() override { return note(L"flush"), real_->flush(); }
    std::optional<std::uint64_t> size() override { return real_->size(); }
    std::optional<FileIdentity> identity() override {
      auto id = real_->identity();
      if (id && fs_.reportedAsLink.contains(path_)) id->attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
      if (const auto kept = fs_.keptAs.find(path_); id && kept != fs_.keptAs.end()) id->attributes |= kept->second;
      return id;
    }

   private:
    void note(const std::wstring& what) { fs_.log.push_back(path_.substr(path_.rfind(L'\\') + 1) + L" " + what); }
    LoggingFs& fs_;
    std::wstring path_;
    std::unique_ptr<File> real_;
    std::uint64_t written_ = 0;
  };
  Substitute<FileSystem> swap_;
};
inline Names operator+(Names a, const Names& b) { return a.insert(a.end(), b.begin(), b.end()), a; }
// The log of zeros over a file of that size in 1024-byte blocks, flushed (and then cut).
inline Names ZerosLog(const std::wstring& name, std::uint64_t size, bool cut = false) {
  Names out(size / 1024, name + L" zeros 1024");
  if (size % 1024) out.push_back(name + L" zeros " + std::to_wstring(size % 1024));
  out.push_back(name + L" flush");
  return cut ? out + Names{name + L" truncate 0"} : out;
}

// A file (and its folders) of a repeating non-zero pattern.
inline std::wstring PatternFile(std::wstring_view path, std::size_t size) {
  (void)Win32FileSystem().createFolderTree(ExcludeTrailingBackslash(ExtractFilePath(path)));
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('A' + i % 23);
  WriteBytes(path, bytes);
  return std::wstring(path);
}
// A file of that size with nothing written (sparse where the volume allows).
inline bool SparseFile(const std::wstring& path, std::uint64_t size) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  const LARGE_INTEGER end{.QuadPart = static_cast<LONGLONG>(size)};
  return file && SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.get());
}
// Opened for reading and writing without sharing, as another program holds it.
inline UniqueFile HoldOpen(const std::wstring& p) {
  return UniqueFile(CreateFileW(p.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}
inline Names Paths(const ShredRows& rows) { return Each(rows, [](const ShredRow& r) { return r.path; }); }

struct ShredPageLog {  // what the engine tells the page
  ShredEvents events() {
    return {[this](std::size_t rows) { counts.push_back(rows); },
            [this](ShredFailure failure, std::wstring_view path) { failures.emplace_back(failure, path); }};
  }
  std::vector<std::pair<ShredFailure, std::wstring>> failures;
  std::vector<std::size_t> counts;  // the row count after each change
};

}  // namespace wv::test
