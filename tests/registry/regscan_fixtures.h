#pragma once
// Fixtures of the registry scan tests: a run context that stops on request,
// keys and values planted at the real paths the scans read (and removed again),
// and a folder of the prefix mapped as a drive of another kind.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine.h"
#include "core/publline.h"
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"
#include "registry/zcqlline.h"

namespace wv::test::regscan {

// Counts proceed() calls and stops for good once stopWhen answers true.
class ScanRun : public RunContext {
 public:
  explicit ScanRun(std::function<bool()> stopWhen = {}) : stopWhen_(std::move(stopWhen)) {}
  bool proceed() override {
    ++calls;
    if (stopped) ++callsAfterStop;
    if (!stopped && stopWhen_ && stopWhen_()) stopped = true;
    return !stopped;
  }
  void status(std::wstring_view text) override { statuses.emplace_back(text); }
  std::size_t calls = 0;
  std::size_t callsAfterStop = 0;
  bool stopped = false;
  std::vector<std::wstring> statuses;

 private:
  std::function<bool()> stopWhen_;
};

struct Collected {
  std::vector<RegistryRow> rows;
  RegistryRowSink sink() {
    return [this](RegistryRow&& row) { rows.push_back(std::move(row)); };
  }
  // Rows below the key (its own and its subkeys'), in order.
  [[nodiscard]] std::vector<const RegistryRow*> under(std::wstring_view keyPath) const;
  [[nodiscard]] const RegistryRow* find(std::wstring_view keyPath, std::wstring_view valueName,
                                        RegRowKind kind = RegRowKind::Value) const;
};

// Keys and values written for one test. A key that did not exist is removed with
// everything below it (its topmost missing ancestor goes); a value written into a
// key that was already there is deleted alone.
class Planted {
 public:
  Planted() = default;
  ~Planted();
  Planted(const Planted&) = delete;
  Planted& operator=(const Planted&) = delete;

  void key(RegRoot root, std::wstring_view path);
  void text(RegRoot root, std::wstring_view path, std::wstring_view name, std::wstring_view data);
  void expandText(RegRoot root, std::wstring_view path, std::wstring_view name, std::wstring_view data);
  void integer(RegRoot root, std::wstring_view path, std::wstring_view name, DWORD data);

 private:
  void track(RegRoot root, std::wstring_view path, std::wstring_view name);
  struct Entry {
    RegRoot root;
    std::wstring path;
    std::wstring name;
  };
  std::vector<Entry> keys_;
  std::vector<Entry> values_;
};

// A folder of the prefix shown as drive `letter` of the given type (DRIVE_REMOTE,
// DRIVE_REMOVABLE...), through the prefix's drive settings; undone afterwards.
class MappedDrive {
 public:
  MappedDrive(wchar_t letter, std::wstring_view folder, unsigned type);
  ~MappedDrive();
  MappedDrive(const MappedDrive&) = delete;
  MappedDrive& operator=(const MappedDrive&) = delete;
  [[nodiscard]] bool ok() const { return ok_; }

 private:
  bool define(unsigned type, const std::string& unixPath);
  wchar_t letter_;
  bool ok_ = false;
};

// A drive letter that nothing uses.
wchar_t FreeDriveLetter();

}  // namespace wv::test::regscan
