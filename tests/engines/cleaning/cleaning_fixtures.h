#pragma once
// What the cleaning tests share: a run that stops on demand, the real shell with
// its file operations recorded, searches that fail on demand, files planted for
// one test and removed again. Engine tests use it alone; page tests beside the
// window's own fixtures.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_context.h"
#include "engines/cleaning/found_row.h"
#include "platform/text.h"
#include "platform/win32/win32_platform.h"
#include "support/test_support.h"

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"  // designated initializers leave defaults on purpose

namespace wv::test {

struct FakeRun : RunContext {  // stops for good once stopWhen answers true
  std::function<bool()> stopWhen;
  bool stopped = false;
  bool proceed() override { return !(stopped = stopped || (stopWhen && stopWhen())); }
  void status(std::wstring_view) override {}
};

// The real shell while it lives: file operations recorded and run without questions, only
// the sources `takes` picks (unset: all), `answer` replacing the result; the folder browser
// answers from `folders` (none: Cancel).
class TestShell : public Win32Shell {
 public:
  struct Call {
    FileOpFunc func;
    std::vector<std::wstring> sources;
    unsigned flags;
  };
  std::vector<Call> calls;
  std::deque<std::wstring> folders;
  std::vector<std::wstring> opened;  // file + " " + parameters, documents and programs alike
  std::function<bool(const std::wstring& source)> takes;
  std::optional<int> answer;
  std::function<void()> duringFileOperation;

  int fileOperation(HWND owner, FileOpFunc func, const std::vector<std::wstring>& sources, std::wstring_view target,
                    unsigned flags) override {
    if (duringFileOperation) duringFileOperation();
    calls.push_back({func, sources, flags});
    std::vector<std::wstring> run;
    std::copy_if(sources.begin(), sources.end(), std::back_inserter(run), [&](auto& s) { return !takes || takes(s); });
    const unsigned quiet = flags | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR;
    const int result = run.empty() ? 0 : Win32Shell::fileOperation(owner, func, run, target, quiet);
    return answer.value_or(result);
  }
  // Recorded as a Move call (flags as given) with its destinations; runs as fileOperation does.
  std::vector<std::vector<std::wstring>> destinations;
  int moveEach(HWND owner, const std::vector<std::wstring>& sources, const std::vector<std::wstring>& to,
               unsigned flags) override {
    if (duringFileOperation) duringFileOperation();
    calls.push_back({FileOpFunc::Move, sources, flags});
    destinations.push_back(to);
    std::vector<std::wstring> from, dest;
    for (std::size_t i = 0; i < sources.size(); ++i)
      if (!takes || takes(sources[i])) from.push_back(sources[i]), dest.push_back(to[i]);
    const unsigned quiet = flags | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR;
    const int result = from.empty() ? 0 : Win32Shell::moveEach(owner, from, dest, quiet);
    return answer.value_or(result);
  }
  std::vector<std::wstring> longRecycles;  // paths handed to the long-path interface
  int recycleLongPath(HWND owner, std::wstring_view path) override {
    longRecycles.emplace_back(path);
    return Win32Shell::recycleLongPath(owner, path);
  }
  std::wstring browseForFolder(HWND, std::wstring_view, std::wstring_view, std::wstring_view) override {
    std::wstring folder = folders.empty() ? L"" : std::move(folders.front());
    if (!folders.empty()) folders.pop_front();
    return folder;
  }
  void open(std::wstring_view, std::wstring_view file, std::wstring_view params, int) override {
    opened.push_back(std::wstring(file) + L" " + std::wstring(params));
  }
  UniqueHandle start(std::wstring_view program, std::wstring_view params, int) override {
    opened.push_back(std::wstring(program) + L" " + std::wstring(params));
    return {};
  }

 private:
  Substitute<Shell> swap_{&Platform::shell, *this};
};

// Searches `refuses` picks fail as an unreadable folder does, or throw as an engine fault would.
struct RefusingFiles : Win32FileSystem {
  RefusingFiles(std::function<bool(std::wstring_view)> r, bool t) : refuses(std::move(r)), throws(t) {}
  std::unique_ptr<DirSearch> search(std::wstring_view pattern, bool foldersOnly) override {
    if (!refuses(pattern)) return Win32FileSystem::search(pattern, foldersOnly);
    if (throws) throw std::runtime_error("search refused");
    return nullptr;
  }
  std::function<bool(std::wstring_view)> refuses;
  bool throws;
  Substitute<FileSystem> swap{&Platform::files, *this};
};

// Files and folders made for one test, at full paths or below C:\WindowsVantorraTests\<tag>_<n>
// (the junk scan leaves the temporary folder out); removed again, deepest first.
class Planted {
 public:
  explicit Planted(std::wstring_view tag = L"t") {
    static std::atomic<int> counter{0};
    root_ = folder(L"C:\\WindowsVantorraTests\\" + std::wstring(tag) + L"_" +
                   std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter));
  }
  ~Planted() {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) RemoveTree(*it);
  }
  Planted(const Planted&) = delete;
  Planted& operator=(const Planted&) = delete;
  [[nodiscard]] const std::wstring& root() const { return root_; }
  [[nodiscard]] std::wstring operator/(std::wstring_view relative) const { return root_ + L"\\" + std::wstring(relative); }
  std::wstring folder(std::wstring_view path) {
    const std::wstring p = full(path);
    for (std::size_t i = 3; i <= p.size(); ++i) {
      if (i < p.size() && p[i] != L'\\') continue;
      const std::wstring part = p.substr(0, i);
      if (!PathExists(part) && CreateDirectoryW(part.c_str(), nullptr)) made_.push_back(part);
    }
    return p;
  }
  // Never overwrites a file that is there already: empty then.
  std::wstring file(std::wstring_view path, std::size_t bytes = 4) {
    const std::wstring p = full(path);
    if (PathExists(p)) return {};
    folder(ExcludeTrailingBackslash(ExtractFilePath(p)));
    WriteBytes(p, std::string(bytes, 'j'));
    made_.push_back(p);
    return p;
  }

 private:
  [[nodiscard]] std::wstring full(std::wstring_view path) const {
    return path.size() > 1 && path[1] == L':' ? std::wstring(path) : *this / path;
  }
  std::wstring root_;
  std::vector<std::wstring> made_;
};

// The file opened without sharing, as another program holds it.
inline UniqueFile Hold(const std::wstring& path) {
  return UniqueFile(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

inline std::vector<std::wstring> Sorted(std::vector<std::wstring> paths) { return std::ranges::sort(paths), paths; }

inline std::vector<std::wstring> Paths(const std::vector<FoundRow>& rows) {
  std::vector<std::wstring> out;
  for (const FoundRow& r : rows) out.push_back(r.path);
  return out;
}

// Index of the row with this path, letters compared without regard to case; -1 when none.
inline int RowIndex(const std::vector<FoundRow>& rows, std::wstring_view path) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (EqualsNoCase(rows[i].path, path)) return static_cast<int>(i);
  return -1;
}

}  // namespace wv::test
