#pragma once
// The settings store: the user's choices between runs, in Config.ini beside the
// program. Read once while the main window is created, written once when it
// closes. The store knows the file, never a window: each page hands it plain
// values (a section of keys and texts) and takes plain values back.

#include "core/layer.h"
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

// Config.ini for reading. A missing file or one in use gives no sections; a
// readable one is made normal (archive only) first.
class SettingsFile {
 public:
  explicit SettingsFile(std::wstring path);
  [[nodiscard]] bool readable() const { return readable_; }
  [[nodiscard]] const std::wstring& path() const { return path_; }
  // The section when it exists and its "Version" is the one given (case-blind).
  [[nodiscard]] std::optional<SettingsSection> section(std::wstring_view name, std::wstring_view version) const;

 private:
  std::wstring path_;
  bool readable_ = false;
};

// Writes the sections in their order, each erased first and then written whole
// ("Version" first). Nothing happens when there are none or the file is in use;
// a missing file is created. A failed write stops the save with the error
// "Unable to write to <file>" in a message box; what was written stays. False then.
bool SaveSettings(std::wstring_view path, const std::vector<SettingsSection>& sections);

// The file's section order, whatever order the pages hand their sections in.
void SortSettingsSections(std::vector<SettingsSection>& sections);

}  // namespace wv
