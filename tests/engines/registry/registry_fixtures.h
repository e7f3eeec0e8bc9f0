#pragma once
// Fixtures of the registry tests (engines and pages): a run that stops on
// request, the rows a scan reported, and keys, values and files planted at real
// places (removed again).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/utilities.h"
#include "platform/text.h"
#include "platform/platform.h"
#include "engines/registry/redundancy_scan.h"
#include "support/test_support.h"

namespace wv::test {

constexpr RegRoot kCU = RegRoot::CurrentUser, kLM = RegRoot::LocalMachine;

// Stops for good once stopWhen answers true; counts the calls made after that.
class ScanRun : public RunContext {
 public:
  explicit ScanRun(std::function<bool()> stopWhen = {}) : stopWhen_(std::move(stopWhen)) {}
  bool proceed() override {
    ++calls;
    callsAfterStop += stopped_;
    stopped_ = stopped_ || (stopWhen_ && stopWhen_());
    return !stopped_;
  }
  void status(std::wstring_view text) override { statuses.emplace_back(text); }
  std::size_t calls = 0, callsAfterStop = 0;
  std::vector<std::wstring> statuses;

 private:
  std::function<bool()> stopWhen_;
  bool stopped_ = false;
};

struct Collected {
  std::vector<RegistryRow> rows;
  RegistryRowSink sink() {
    return [this](RegistryRow&& row) { rows.push_back(std::move(row)); };
  }
  [[nodiscard]] std::size_t under(std::wstring_view keyPath) const {  // rows of the key or below it
    return std::ranges::count_if(rows, [&](const RegistryRow& r) { return StartsWithNoCase(r.keyPath, keyPath); });
  }
  [[nodiscard]] const RegistryRow* find(std::wstring_view keyPath, std::wstring_view valueName,
                                        RegRowKind kind = RegRowKind::Value) const {
    for (const RegistryRow& r : rows)
      if (r.kind == kind && EqualsNoCase(r.keyPath, keyPath) && r.valueName == valueName) return &r;
    return nullptr;
  }
};

// A text's UTF-16 bytes, with its closing NUL unless told otherwise.
inline std::vector<std::uint8_t> TextBytes(std::wstring_view text, bool withNul = true) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
  std::vector<std::uint8_t> out(p, p + text.size() * sizeof(wchar_t));
  if (withNul) out.resize(out.size() + sizeof(wchar_t));  // zero bytes
  return out;
}

// A key that did not exist goes with everything below it (its topmost missing
// ancestor goes); a value written into a key that was already there goes alone.
class PlantedRegistry {
 public:
  PlantedRegistry() = default;
  PlantedRegistry(const PlantedRegistry&) = delete;
  PlantedRegistry& operator=(const PlantedRegistry&) = delete;
  ~PlantedRegistry() {
    for (auto it = values_.rbegin(); it != values_.rend(); ++it)
      if (auto key = Reg().openKey(it->root, it->path)) (void)key->deleteValue(it->name);
    for (auto it = keys_.rbegin(); it != keys_.rend(); ++it) (void)Reg().deleteKey(it->root, it->path);
    for (const std::wstring& f : files_) RemoveTree(f);
  }
  void key(RegRoot root, std::wstring_view path) {
    for (std::size_t at = 1;;) {  // the topmost component that is missing is what this test adds
      const std::size_t next = path.find(L'\\', at);
      if (!Reg().keyExists(root, path.substr(0, next))) {
        keys_.push_back({root, std::wstring(path.substr(0, next)), {}});
        break;
      }
      if (next == std::wstring_view::npos) break;
      at = next + 1;
    }
    if (!Reg().createKey(root, path)) ADD_FAILURE() << "cannot plant " << ToUtf8(path);
  }
  void raw(RegRoot root, std::wstring_view path, std::wstring_view name, const RegRawValue& value) {
    if (!Reg().keyExists(root, path)) key(root, path);
    else if (auto k = Reg().openKey(root, path); k && !k->valueExists(name))
      values_.push_back({root, std::wstring(path), std::wstring(name)});
    auto k = Reg().openKey(root, path);
    if (!k || !k->writeRaw(name, value)) ADD_FAILURE() << "cannot plant " << ToUtf8(path) << " : " << ToUtf8(name);
  }
  void text(RegRoot root, std::wstring_view path, std::wstring_view name, std::wstring_view data, DWORD type = REG_SZ) {
    raw(root, path, name, {type, TextBytes(data)});
  }
  void integer(RegRoot root, std::wstring_view path, std::wstring_view name, std::uint8_t data) {
    raw(root, path, name, {REG_DWORD, {data, 0, 0, 0}});
  }
  std::wstring file(std::wstring_view path, std::string_view content = "x") {
    files_.emplace_back(path);
    WriteBytes(path, content);
    return files_.back();
  }

 private:
  struct Entry {
    RegRoot root;
    std::wstring path, name;
  };
  std::vector<Entry> keys_, values_;
  std::vector<std::wstring> files_;
};

// What the registry holds now (nullopt when the value is missing).
inline std::optional<RegRawValue> RawValue(RegRoot root, std::wstring_view path, std::wstring_view name) {
  RegRawValue value;
  auto k = Reg().openKeyReadOnly(root, path);
  if (!k || !k->readRaw(name, value)) return std::nullopt;
  return value;
}

}  // namespace wv::test
