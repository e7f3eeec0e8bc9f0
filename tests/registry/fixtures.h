#pragma once
// Fixtures of the registry tests: a run context that stops on request, keys,
// values and files planted at the real places the program reads (removed again),
// and a folder of the prefix shown as a drive of another kind.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine.h"
#include "core/publline.h"
#include "platform/platform.h"
#include "registry/zcqlline.h"
#include "core/text.h"
#include "support/testsupport.h"

namespace wv::test {

constexpr RegRoot kCU = RegRoot::CurrentUser;
constexpr RegRoot kLM = RegRoot::LocalMachine;

// Stops for good once stopWhen answers true; counts the calls made after that.
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
  std::size_t calls = 0, callsAfterStop = 0;
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
  // Rows of the key or below it.
  [[nodiscard]] std::size_t under(std::wstring_view keyPath) const;
  [[nodiscard]] const RegistryRow* find(std::wstring_view keyPath, std::wstring_view valueName,
                                        RegRowKind kind = RegRowKind::Value) const;
};

// A text's UTF-16 bytes, with its closing NUL unless told otherwise.
std::vector<std::uint8_t> TextBytes(std::wstring_view text, bool withNul = true);

// Keys, values and files written for one test. A key that did not exist goes with
// everything below it (its topmost missing ancestor goes); a value written into a
// key that was already there is deleted alone.
class Planted {
 public:
  Planted() = default;
  ~Planted();
  Planted(const Planted&) = delete;
  Planted& operator=(const Planted&) = delete;

  void key(RegRoot root, std::wstring_view path);
  void raw(RegRoot root, std::wstring_view path, std::wstring_view name, const RegRawValue& value);
  void text(RegRoot root, std::wstring_view path, std::wstring_view name, std::wstring_view data, DWORD type = REG_SZ) {
    raw(root, path, name, {type, TextBytes(data)});
  }
  void integer(RegRoot root, std::wstring_view path, std::wstring_view name, DWORD data) {
    raw(root, path, name, {REG_DWORD, {std::uint8_t(data), std::uint8_t(data >> 8), std::uint8_t(data >> 16),
                                       std::uint8_t(data >> 24)}});
  }
  std::wstring file(std::wstring_view path, std::string_view content = "x");

 private:
  struct Entry {
    RegRoot root;
    std::wstring path, name;
  };
  std::vector<Entry> keys_, values_;
  std::vector<std::wstring> files_;
};

// What the registry holds now (nullopt when the value is missing).
std::optional<RegRawValue> RawValue(RegRoot root, std::wstring_view path, std::wstring_view name);

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

}  // namespace wv::test
