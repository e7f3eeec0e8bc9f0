#pragma once
// What the trace and software tests share: a run context that stops on cue,
// an event-log substitute, and entries planted in the prefix's real URL cache.

#include <windows.h>
#include <wininet.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cleaning/rjqlline.h"
#include "core/engine.h"
#include "platform/platform.h"
#include "support/testsupport.h"

namespace wv::test {

// Answers proceed() true a given number of times, then false for good.
class CountingRun : public RunContext {
 public:
  explicit CountingRun(int allowed = 1 << 30) : allowed_(allowed) {}
  bool proceed() override { return ++asked_ <= allowed_; }
  void status(std::wstring_view) override {}
  void rowAdded() override { ++rowsAdded_; }
  int asked() const { return asked_; }
  int rowsAdded() const { return rowsAdded_; }

 private:
  int allowed_;
  int asked_ = 0;
  int rowsAdded_ = 0;
};

// Logs by name: missing ones cannot be opened; a log may refuse its count or its clear.
class FakeEventLogs : public EventLogs {
 public:
  struct Log {
    std::optional<std::uint32_t> records;  // nullopt: the count cannot be read
    bool clearable = true;
  };
  std::map<std::wstring, Log> logs;
  std::vector<std::wstring> opened, cleared;

  std::unique_ptr<EventLog> open(std::wstring_view name) override;
};

// An entry of the prefix's URL cache. With content, a local file holding it.
void PlantCacheEntry(const std::wstring& url, DWORD type, const std::optional<std::string>& content);
// The local file the cache keeps for the URL (empty when none).
std::wstring CacheLocalFile(const std::wstring& url);
bool CacheHas(const std::wstring& url);
// Deletes every entry that a search with the pattern finds (URLs first, then deletion).
void EmptyCacheContainer(std::wstring_view pattern);

// The typed-address key as it was is put back when this goes.
class TypedUrlsGuard {
 public:
  TypedUrlsGuard();
  ~TypedUrlsGuard();
  TypedUrlsGuard(const TypedUrlsGuard&) = delete;
  TypedUrlsGuard& operator=(const TypedUrlsGuard&) = delete;
  // Leaves exactly count values "url1".. in the key (created if need be).
  void plant(int count);

 private:
  bool existed_ = false;
  std::vector<std::pair<std::wstring, std::wstring>> saved_;
};

// A URL of this test run, unique to the process; prefix "Visited: ", "Cookie:" or "".
std::wstring TestUrl(std::wstring_view prefix, std::wstring_view tail);

// Registrations planted at the real Uninstall keys, each under a name of this
// process; removed when this goes, with the 32-bit Uninstall key if it made it.
using RegistrationValues = std::vector<std::pair<std::wstring, std::wstring>>;
class PlantedRegistrations {
 public:
  PlantedRegistrations();
  ~PlantedRegistrations();
  PlantedRegistrations(const PlantedRegistrations&) = delete;
  PlantedRegistrations& operator=(const PlantedRegistrations&) = delete;
  // The subkey name made from the tag.
  std::wstring plant(std::wstring_view tag, const RegistrationValues& values,
                     UninstallView view = UninstallView::Native);
  [[nodiscard]] bool ours(std::wstring_view subkey) const { return subkey.starts_with(prefix_); }

 private:
  std::wstring prefix_;
  bool wowExisted_ = false;
  std::vector<std::pair<UninstallView, std::wstring>> planted_;
};

// The box was asked exactly one question, this one.
void ExpectAskedOnce(const ScriptedMsgBox& box, std::wstring_view heading, std::wstring_view text);

// This test program's path, and a command line that starts it as the recording
// program ("--record FILE TAG"); WaitForRecord gives what it wrote ("its path|tag"),
// empty when it did not run within some seconds.
std::wstring SelfPath();
std::wstring RecorderCommand(std::wstring_view recordFile, std::wstring_view tag);
std::wstring WaitForRecord(const std::wstring& recordFile);

}  // namespace wv::test
