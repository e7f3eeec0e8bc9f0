#pragma once
// Fixtures of the cleaning tests: a run context that stops on request, a shell
// that records its file operations and answers the folder browser, the recycle
// bin as the shell shows it, files planted at real paths of the prefix, and the
// notifications a mouse sends to a list.

#include <windows.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine.h"
#include "core/publline.h"
#include "cleaning/foundrow.h"
#include "core/rows.h"
#include "platform/win32/win32_platform.h"
#include "support/testsupport.h"
#include "ui/listview.h"

namespace wv::test {

// Records the status texts; stops for good once stopWhen answers true.
class FakeRun : public RunContext {
 public:
  explicit FakeRun(std::function<bool()> stopWhen = {}) : stopWhen_(std::move(stopWhen)) {}
  bool proceed() override {
    if (!stopped && stopWhen_ && stopWhen_()) stopped = true;
    return !stopped;
  }
  void status(std::wstring_view text) override { statuses.emplace_back(text); }
  bool stopped = false;
  std::vector<std::wstring> statuses;

 private:
  std::function<bool()> stopWhen_;
};

// The real shell, in place while it lives: file operations are recorded and run
// without the shell's own questions, the folder browser answers from `folders`
// (none left: Cancel), and what it is asked to open is recorded. A test makes the
// file operation decline, abort, fail or take only some sources with `takes` and
// `answer`.
class TestShell : public Win32Shell {
 public:
  struct Call {
    FileOpFunc func;
    std::vector<std::wstring> sources;
    std::wstring target;
    unsigned flags;
  };
  TestShell() : swap_(&Platform::shell, *this) {}
  std::vector<Call> calls;
  std::deque<std::wstring> folders;
  std::vector<std::wstring> opened;  // file + " " + parameters
  // Which sources really go (all when unset), judged before any goes.
  std::function<bool(const std::wstring& source)> takes;
  // The result reported afterwards; unset: the real shell's own.
  std::optional<int> answer;
  // The user says no to the shell's question: nothing goes, the shell reports the cancel.
  void decline() {
    takes = [](const std::wstring&) { return false; };
    answer = ERROR_CANCELLED;
  }
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

// True when the recycle bin holds an item deleted from that path.
bool InRecycleBin(std::wstring_view path);
void EmptyRecycleBin();

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
  [[nodiscard]] std::wstring operator/(std::wstring_view relative) const;
  std::wstring folder(std::wstring_view path);
  // Never overwrites a file that is there already: empty then.
  std::wstring file(std::wstring_view path, std::size_t bytes = 4);

 private:
  [[nodiscard]] std::wstring full(std::wstring_view path) const;
  std::wstring root_;
  std::vector<std::wstring> made_;
};

// The file opened without sharing, as another program holds it.
UniqueFile Hold(const std::wstring& path);

std::vector<std::wstring> Captions(const std::vector<ListRow>& rows);
// "heading icon buttons text" of every message shown, for example
// "扫描排除 2 1 您选择的扫描排除项已存在！" (warning, OK).
std::vector<std::wstring> Shown(const ScriptedMsgBox& box);
int RowIndex(const RowModel& rows, std::wstring_view caption);
// Where a scan's rows go in a test: shown as the page shows them.
inline FoundSink ShowIn(RowModel& rows, ListRow (*format)(const FoundRow&)) {
  return [&rows, format](FoundRow row) { rows.append(format(row)); };
}

// A click on a column header; a row dragged onto another.
void ClickColumn(ListViewBase& list, int column);
void DragRow(ListViewBase& list, int source, int target);

// Every status text still reaches the status line; onText sees it afterwards.
class StatusHook {
 public:
  explicit StatusHook(std::function<void(std::wstring_view text)> onText);
  ~StatusHook() { SetRunInfoSink(std::move(previous_)); }
  StatusHook(const StatusHook&) = delete;
  StatusHook& operator=(const StatusHook&) = delete;

 private:
  RunInfoSink previous_;
};

}  // namespace wv::test
