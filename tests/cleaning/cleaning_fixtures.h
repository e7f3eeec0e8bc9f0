#pragma once
// Fixtures of the cleaning tests: a run context that can stop, a shell that
// records its file operations, the recycle bin as the shell shows it, and
// files planted in the prefix's real folders.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine.h"
#include "core/rows.h"
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"

namespace wv::test {

// Records what the engine says; stops (for good) once stopWhen answers true.
class FakeRun : public RunContext {
 public:
  explicit FakeRun(std::function<bool()> stopWhen = {}, long limit = 2'000'000)
      : stopWhen_(std::move(stopWhen)), limit_(limit) {}
  bool proceed() override;
  void status(std::wstring_view text) override { statuses.emplace_back(text); }
  void rowAdded() override { ++rowsAdded; }

  long calls = 0;
  long callsAfterStop = 0;
  bool stopped = false;
  bool limitHit = false;  // the walk did not end by itself
  long rowsAdded = 0;
  std::vector<std::wstring> statuses;

 private:
  std::function<bool()> stopWhen_;
  long limit_;
};

// The real shell, but file operations are recorded and run with the shell's
// own confirmations turned off (no one answers them here).
class RecordingShell : public Win32Shell {
 public:
  struct Call {
    FileOpFunc func;
    std::vector<std::wstring> sources;
    std::wstring target;
    unsigned flags;
  };
  RecordingShell() : substitute_(&Platform::shell, *this) {}

  std::vector<Call> calls;
  // When set, the operation runs only over the sources that are files and then
  // reports failure, as the shell does when one item of a list fails.
  bool failAfterFiles = false;

  int fileOperation(HWND owner, FileOpFunc func, const std::vector<std::wstring>& sources, std::wstring_view target,
                    unsigned flags) override;

 private:
  Substitute<Shell> substitute_;
};

// The recycle bin as the shell enumerates it (CSIDL_BITBUCKET).
// True when an item of that name, deleted from that folder, is in the bin.
bool RecycleBinHolds(std::wstring_view path);
// Puts the item back where it came from (so that the test can remove it).
bool RestoreFromRecycleBin(std::wstring_view path);

// Folders and files made inside the prefix's real folders, removed again
// (deepest first) when the object goes; folders that already existed stay.
class Planted {
 public:
  Planted() = default;
  ~Planted();
  Planted(const Planted&) = delete;
  Planted& operator=(const Planted&) = delete;
  // Makes the folder and its missing parents; returns the path.
  std::wstring folder(const std::wstring& path);
  // Makes the file (and its folder); returns the path. Never overwrites an
  // existing file: returns empty then.
  std::wstring file(const std::wstring& path, std::string_view content = "junk");

 private:
  std::vector<std::wstring> made_;  // in creation order
};

// Opens the file for reading and writing without sharing, as another program would.
class HeldOpen {
 public:
  explicit HeldOpen(const std::wstring& path);
  ~HeldOpen();
  HeldOpen(const HeldOpen&) = delete;
  HeldOpen& operator=(const HeldOpen&) = delete;
  [[nodiscard]] bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// Captions of the rows, in order.
std::vector<std::wstring> Captions(const RowModel& rows);
// Index of the row with that caption (any case), or -1.
int RowIndex(const RowModel& rows, std::wstring_view caption);
std::wstring ShortPathOf(const std::wstring& path);

// The folder links made by scripts/make-test-links (ctest fixture).
std::wstring LinksRoot();  // C:\WindowsVantorraFixtures\links

}  // namespace wv::test
