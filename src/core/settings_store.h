#pragma once
// The settings store: the user's choices between runs, in Config.ini beside the
// program. Read once while the main window is created, written once when it
// closes. The store knows the file, never a window: each page hands it plain
// values (a section of keys and texts) and takes plain values back.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace wv {

// One section as plain values: its name ("WJQL"), the "Version" the program
// writes and expects, and its other keys with their texts in order.
struct SettingsSection {
  std::wstring name;
  std::wstring version;
  std::vector<std::pair<std::wstring, std::wstring>> values;

  // Case-blind look-up of a key; null when absent.
  [[nodiscard]] const std::wstring* find(std::wstring_view key) const;
  // Appends the key, or replaces the value of an existing one.
  void set(std::wstring_view key, std::wstring_view value);
  // The values of the keys that contain fragment (case-blind), in order: numbered rows ("JumpPath0").
  [[nodiscard]] std::vector<std::wstring> valuesOfKeysContaining(std::wstring_view fragment) const;
};

// Config.ini for reading. A missing file gives no sections; a readable one is
// made normal (archive only) first. A file another program holds (a virus scanner
// or an indexer may, for a moment) is tried again attempts - 1 more times, pauseMs
// apart; still held, it counts as held and gives no sections.
class SettingsFile {
 public:
  static constexpr int kAttempts = 5;
  static constexpr unsigned kPauseMs = 250;  // five tries over about a second

  explicit SettingsFile(std::wstring path, int attempts = kAttempts, unsigned pauseMs = kPauseMs);
  [[nodiscard]] bool readable() const { return state_ == State::Readable; }
  // The file exists but could not be read: its choices are unknown, so it must not be replaced.
  [[nodiscard]] bool held() const { return state_ == State::Held; }
  [[nodiscard]] const std::wstring& path() const { return path_; }
  // The section when it exists and its "Version" is the one given (case-blind).
  [[nodiscard]] std::optional<SettingsSection> section(std::wstring_view name, std::wstring_view version) const;

 private:
  enum class State { Missing, Readable, Held };
  std::wstring path_;
  State state_ = State::Missing;
};

// Writes the sections in their order, each erased first and then written whole
// ("Version" first). Nothing happens when there are none or the file is in use;
// a missing file is created. The sections go into a new copy beside the file
// (path + ".tmp", whatever stood there removed first), flushed to the disk, that
// then takes the file's place in one step, so a save that
// fails half-way leaves the previous file as it was, and the result is false (the
// window then shows SettingsWriteError).
[[nodiscard]] bool SaveSettings(std::wstring_view path, const std::vector<SettingsSection>& sections);
// The system's own words for a failed save: "Unable to write to <file>".
std::wstring SettingsWriteError(std::wstring_view path);

// The file's section order, whatever order the pages hand their sections in.
void SortSettingsSections(std::vector<SettingsSection>& sections);

}  // namespace wv
