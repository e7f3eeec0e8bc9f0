#pragma once
// The two file-cleaning pages' saved choices (the daily page's rule file among
// them) as plain values, read from Config.ini without any window: the pages'
// load applies them to their controls, and the command line cleans with them.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_PAGES, "the pages' settings stand beside the pages");

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings_store.h"
#include "engines/cleaning/daily_files_scan.h"
#include "engines/cleaning/removal.h"

namespace wv {

// The versions the two sections are written with and read only in.
inline constexpr std::wstring_view kJunkFilesSettingsVersion = L"1";
inline constexpr std::wstring_view kDailyFilesSettingsVersion = L"2";

// A row's stored tick, keyed by its caption: nullopt when the section does not
// name the row (it keeps its default tick).
std::optional<bool> StoredTick(const SettingsSection& section, std::wstring_view caption);

// "DelSel" and "DelSavPath": each empty when the section does not hold it.
struct RemovalChoices {
  std::optional<RemovalMode> mode;  // "1" recycle bin, "2" direct, anything else move
  std::optional<std::wstring> moveFolder;
};
RemovalChoices ReadRemovalChoices(const SettingsSection& section);

// A "SelfPath" value: tick, folder, subfolders, mode, types joined by "/";
// fields past the fifth are dropped, missing ones keep the editor's defaults.
UserCleanFolder ParseSelfPath(std::wstring_view value);

// The daily-file page's section ("WJRC", version 2): its rows are looked up
// with StoredTick; the user's folders in the file's order; the removal choice.
struct DailyFilesChoices {
  SettingsSection section;
  std::vector<UserCleanFolder> userFolders;
  RemovalChoices removal;
};
// nullopt when the section is missing or has another version.
std::optional<DailyFilesChoices> ReadDailyFilesChoices(const SettingsFile& file);

// The junk-file page's section ("WJQL", version 1): drive and mask rows by
// caption, the excluded folders in the file's order, the removal choice.
struct JunkFilesChoices {
  SettingsSection section;
  std::vector<std::wstring> exclusions;
  RemovalChoices removal;
};
std::optional<JunkFilesChoices> ReadJunkFilesChoices(const SettingsFile& file);

// The rule file's section ("WINAPP2", version 1): the file's path when it is not
// the one beside the program (empty then), and the names of the ticked entries
// as the file writes them, in the section's order.
struct RuleFileChoices {
  std::wstring file;
  std::vector<std::wstring> ticked;
};
std::optional<RuleFileChoices> ReadRuleFileChoices(const SettingsFile& file);

// The backup base folder the backup page keeps ("BFGL" "SavPath"); nullopt when
// absent or blank.
std::optional<std::wstring> ReadBackupBase(const SettingsFile& file);

}  // namespace wv
