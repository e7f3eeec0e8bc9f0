#pragma once
// Fixtures of the cleaning tests.

#include <windows.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cleaning/foundrow.h"
#include "core/engine.h"
#include "core/rows.h"
#include "platform/win32/win32_platform.h"
#include "support/testsupport.h"

namespace wv::test {

// Stops for good once stopWhen answers true.
class FakeRun : public RunContext {
 public:
  explicit FakeRun(std::function<bool()> stopWhen = {}) : stopWhen_(std::move(stopWhen)) {}
  bool proceed() override { return !(stopped = stopped || (stopWhen_ && stopWhen_())); }
  void status(std::wstring_view) override {}
  bool stopped = false;

 private:
  std::function<bool()> stopWhen_;
};

// The real shell, in place while it lives: file operations are recorded and run
// without the shell's own questions; `takes` picks the sources that really go
// (all when unset) and `answer` replaces the result, so a test can make it
// decline, abort, fail or take only some. The folder browser answers from
// `folders` (none left: Cancel).
class TestShell : public Win32Shell {
 public:
  struct Call {
    FileOpFunc func;
    std::vector<std::wstring> sources;
    unsigned flags;
  };
  TestShell() : swap_(&Platform::shell, *this) {}
  std::vector<Call> calls;
  std::deque<std::wstring> folders;
  std::vector<std::wstring> opened;  // file + " " + parameters
  std::function<bool(const std::wstring& source)> takes;
  std::optional<int> answer;
  std::function<void()> duringFileOperation;

  int fileOperation(HWND owner, FileOpFunc func, const std::vector<std::wstring>& sources, std::wstring_view target,
                    unsigned flags) override;
  std::wstring browseForFolder(HWND, std::wstring_view, std::wstring_view, std::wstring_view) override;
  void open(std::wstring_view, std::wstring_view file, std::wstring_view params, int) override {
    opened.push_back(std::wstring(file) + L" " + std::wstring(params));
  }

 private:
  Substitute<Shell> swap_;
};

// Folder searches whose pattern `refuses` picks fail: as an unreadable folder
// does, or with an exception, as a fault deep in an engine would.
class RefusingFiles : public Win32FileSystem {
 public:
  RefusingFiles(std::function<bool(std::wstring_view pattern)> refuses, bool throws)
      : refuses_(std::move(refuses)), throws_(throws), swap_(&Platform::files, *this) {}
  std::unique_ptr<DirSearch> search(std::wstring_view pattern, bool foldersOnly) override;

 private:
  std::function<bool(std::wstring_view)> refuses_;
  bool throws_;
  Substitute<FileSystem> swap_;
};

// Files and folders made for one test, at full paths or below its own root
// C:\WindowsVantorraTests\<tag>_<n> (outside the temporary folder, which the junk
// scan leaves out); what it made goes again, deepest first, with the object.
class Planted {
 public:
  explicit Planted(std::wstring_view tag = L"t");
  ~Planted();
  Planted(const Planted&) = delete;
  Planted& operator=(const Planted&) = delete;
  [[nodiscard]] const std::wstring& root() const { return root_; }
  [[nodiscard]] std::wstring operator/(std::wstring_view relative) const { return root_ + L"\\" + std::wstring(relative); }
  std::wstring folder(std::wstring_view path);
  // Never overwrites a file that is there already: empty then.
  std::wstring file(std::wstring_view path, std::size_t bytes = 4);

 private:
  std::wstring root_;
  std::vector<std::wstring> made_;
};

// The file opened without sharing, as another program holds it.
UniqueFile Hold(const std::wstring& path);

std::vector<std::wstring> Captions(const std::vector<ListRow>& rows);
std::vector<std::wstring> Sorted(std::vector<std::wstring> paths);
// "heading icon buttons text" of every message shown.
std::vector<std::wstring> Shown(const ScriptedMsgBox& box);
int RowIndex(const RowModel& rows, std::wstring_view caption);
// A scan's rows, shown as the page shows them.
inline FoundSink ShowIn(RowModel& rows, ListRow (*format)(const FoundRow&)) {
  return [&rows, format](FoundRow row) { rows.append(format(row)); };
}

}  // namespace wv::test
