// What each page keeps in Config.ini, in one place so that the file's layout
// reads at a glance. Catalogue and drive rows are keyed by their caption, never
// by position: a row the file does not name keeps its default tick, and a name
// the lists no longer hold is dropped at the next save.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "pages/page_settings.h"

#include "app/main_window.h"
#include "core/protected_folders.h"
#include "pages/cleaning/other_traces_page.h"
#include "pages/cleaning/software_page.h"
#include "pages/cleaning/junk_files_page.h"
#include "pages/cleaning/daily_files_page.h"
#include "platform/text.h"
#include "pages/registry/backup_manager_page.h"
#include "pages/registry/redundancy_page.h"
#include "pages/registry/registry_traces_page.h"

namespace wv {
namespace {

// The removal radio buttons in their order on the page, and what the file calls them.
constexpr int kDirectRadio = 0;
constexpr int kMoveRadio = 1;
constexpr int kRecycleRadio = 2;

std::wstring Tick(bool on) { return on ? L"1" : L"0"; }

// A folder from the file that the program would move files or write backups into:
// only a full local or UNC path that is no protected folder (a relative path would
// follow the current folder; "C:\" or the Windows folder must never fill up with
// moved junk). Anything else leaves the choice at its default.
bool WritableFolderChoice(std::wstring_view folder) {
  return ProtectedFolders::Resolve().check(folder) == FolderProtection::None;
}

// The ticks of the list's first rows (all of them unless told how many).
void LoadTicks(const SettingsSection& section, ListView& list, int rows = -1) {
  const int n = rows < 0 ? list.count() : std::min(rows, list.count());
  for (int i = 0; i < n; ++i)
    if (const std::optional<bool> tick = StoredTick(section, list.text(i, 0))) list.setChecked(i, *tick);
}

void SaveTicks(SettingsSection& section, const ListView& list, int rows = -1) {
  const int n = rows < 0 ? list.count() : std::min(rows, list.count());
  for (int i = 0; i < n; ++i) section.values.emplace_back(list.text(i, 0), Tick(list.checked(i)));
}

// The pages whose section holds only their list's ticks (version "1").
void LoadTickSection(const SettingsFile& file, std::wstring_view name, ListView& list) {
  if (const std::optional<SettingsSection> section = file.section(name, L"1")) LoadTicks(*section, list);
}

void SaveTickSection(std::vector<SettingsSection>& sections, std::wstring_view name, const ListView& list) {
  SaveTicks(sections.emplace_back(SettingsSection{std::wstring(name), L"1", {}}), list);
}

void LoadRemoval(const RemovalChoices& stored, RemovalChoice& removal) {
  if (stored.mode)
    removal.modes.select(*stored.mode == RemovalMode::RecycleBin       ? kRecycleRadio
                         : *stored.mode == RemovalMode::DeleteDirectly ? kDirectRadio
                                                                       : kMoveRadio);
  if (stored.moveFolder) removal.moveFolder.setText(*stored.moveFolder);
}

void SaveRemoval(SettingsSection& section, const RemovalChoice& removal) {
  const int chosen = removal.modes.index();
  section.values.emplace_back(L"DelSel", chosen == kRecycleRadio ? L"1" : chosen == kDirectRadio ? L"2" : L"3");
  section.values.emplace_back(L"DelSavPath", removal.moveFolder.text());
}

int IndexOf(const std::vector<std::wstring>& items, const std::wstring& text) {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i] == text) return static_cast<int>(i);
  return -1;
}

std::wstring SelfPathValue(const ListRow& row, const ComboBox& sub, const ComboBox& mode) {
  return Tick(row.checked) + L"/" + row.caption + L"/" + std::to_wstring(IndexOf(sub.items(), row.column(1))) +
         L"/" + std::to_wstring(IndexOf(mode.items(), row.column(2))) + L"/" + row.column(3);
}

std::optional<std::wstring> BackupBaseOf(const SettingsSection& section) {
  // A blank base would put the backups at the root of whatever drive is current.
  const std::wstring* base = section.find(L"SavPath");
  if (!base || TrimView(*base).empty() || !WritableFolderChoice(*base)) return std::nullopt;
  return *base;
}

}  // namespace

// ---------------------------------------------------------------- plain values

std::optional<bool> StoredTick(const SettingsSection& section, std::wstring_view caption) {
  if (const std::wstring* value = section.find(caption)) return *value == L"1";
  return std::nullopt;
}

RemovalChoices ReadRemovalChoices(const SettingsSection& section) {
  RemovalChoices out;
  if (const std::wstring* value = section.find(L"DelSel"))
    out.mode = *value == L"1" ? RemovalMode::RecycleBin : *value == L"2" ? RemovalMode::DeleteDirectly
                                                                         : RemovalMode::MoveToFolder;
  if (const std::wstring* value = section.find(L"DelSavPath"); value && WritableFolderChoice(*value))
    out.moveFolder = *value;
  return out;
}

UserCleanFolder ParseSelfPath(std::wstring_view value) {
  std::vector<std::wstring> fields;
  for (std::size_t start = 0; fields.size() < 5;) {
    const std::size_t slash = value.find(L'/', start);
    fields.emplace_back(value.substr(start, slash == std::wstring_view::npos ? value.npos : slash - start));
    if (slash == std::wstring_view::npos) break;
    start = slash + 1;
  }
  fields.resize(5);
  UserCleanFolder entry;
  entry.ticked = fields[0] != L"0";
  entry.folder = fields[1];
  entry.includeSubfolders = fields[2] != L"1";
  entry.givenTypes = fields[3] != L"1";
  entry.types = fields[4];
  return entry;
}

std::optional<DailyFilesChoices> ReadDailyFilesChoices(const SettingsFile& file) {
  std::optional<SettingsSection> section = file.section(ModuleInfoOf(Module::DailyFiles).section, kDailyFilesSettingsVersion);
  if (!section) return std::nullopt;
  DailyFilesChoices out;
  for (const std::wstring& value : section->valuesOfKeysContaining(L"SelfPath")) out.userFolders.push_back(ParseSelfPath(value));
  out.removal = ReadRemovalChoices(*section);
  out.section = std::move(*section);
  return out;
}

std::optional<JunkFilesChoices> ReadJunkFilesChoices(const SettingsFile& file) {
  std::optional<SettingsSection> section = file.section(ModuleInfoOf(Module::JunkFiles).section, kJunkFilesSettingsVersion);
  if (!section) return std::nullopt;
  JunkFilesChoices out;
  out.exclusions = section->valuesOfKeysContaining(L"JumpPath");
  out.removal = ReadRemovalChoices(*section);
  out.section = std::move(*section);
  return out;
}

std::optional<RuleFileChoices> ReadRuleFileChoices(const SettingsFile& file) {
  const std::optional<SettingsSection> section = file.section(kRuleFileSection, L"1");
  if (!section) return std::nullopt;
  RuleFileChoices out;
  if (const std::wstring* path = section->find(L"File"); path && !TrimView(*path).empty()) out.file = *path;
  out.ticked = section->valuesOfKeysContaining(L"Tick");
  return out;
}

std::optional<std::wstring> ReadBackupBase(const SettingsFile& file) {
  const std::optional<SettingsSection> section = file.section(ModuleInfoOf(Module::BackupManager).section, L"1");
  return section ? BackupBaseOf(*section) : std::nullopt;
}

// ---------------------------------------------------------------- junk files

void JunkFilesPage::loadSettings(SettingsFile& file) {
  const std::optional<JunkFilesChoices> stored = ReadJunkFilesChoices(file);
  if (!stored) return;
  LoadTicks(stored->section, driveList);
  LoadTicks(stored->section, typeList);
  for (const std::wstring& folder : stored->exclusions) exclusionList.appendRow(ListRow{folder, {}, picture::Folder});
  LoadRemoval(stored->removal, removal);
}

void JunkFilesPage::saveSettings(std::vector<SettingsSection>& sections) {
  SettingsSection section{std::wstring(settingsSection()), std::wstring(kJunkFilesSettingsVersion), {}};
  SaveTicks(section, driveList);
  SaveTicks(section, typeList);
  for (int i = 0; i < exclusionList.count(); ++i)
    section.values.emplace_back(L"JumpPath" + std::to_wstring(i), exclusionList.text(i, 0));
  SaveRemoval(section, removal);
  sections.push_back(std::move(section));
}

// ---------------------------------------------------------------- backup manager

void BackupManagerPage::loadWindowSettings(const SettingsFile& file) {
  // The other pages back up below the base whether or not this page was ever opened;
  // the page shows the base when it is made (initialise).
  const std::optional<SettingsSection> section = file.section(settingsSection(), L"1");
  if (!section) return;
  if (const std::optional<std::wstring> base = BackupBaseOf(*section)) form().setBackupBase(*base);
}

void BackupManagerPage::loadSettings(SettingsFile& file) {
  const std::optional<SettingsSection> section = file.section(settingsSection(), L"1");
  if (!section) return;
  if (const std::wstring* compress = section->find(L"ComSav")) compressCheck.setChecked(*compress == L"1");
  if (const std::wstring* level = section->find(L"ComTypeSel"); level && level->size() == 1 && (*level)[0] >= L'0' &&
                                                                (*level)[0] <= L'2')
    levelCombo.setIndex((*level)[0] - L'0');
}

void BackupManagerPage::saveSettings(std::vector<SettingsSection>& sections) {
  sections.push_back({std::wstring(settingsSection()),
                      L"1",
                      {{L"SavPath", baseFolderEdit.text()},
                       {L"ComSav", Tick(compressCheck.checked())},
                       {L"ComTypeSel", std::to_wstring(levelCombo.index())}}});
}

// ---------------------------------------------------------------- registry pages

void RedundancyPage::loadSettings(SettingsFile& file) { LoadTickSection(file, settingsSection(), hiveList); }
void RedundancyPage::saveSettings(std::vector<SettingsSection>& sections) { SaveTickSection(sections, settingsSection(), hiveList); }

void RegistryTracesPage::loadSettings(SettingsFile& file) { LoadTickSection(file, settingsSection(), itemList); }
void RegistryTracesPage::saveSettings(std::vector<SettingsSection>& sections) { SaveTickSection(sections, settingsSection(), itemList); }

// ---------------------------------------------------------------- daily files

// The daily page's section holds the catalogue rows' ticks only; the rule
// file's entries below them keep theirs in a section of their own.
void DailyFilesPage::loadSettings(SettingsFile& file) {
  loadRuleSettings(file);
  const std::optional<DailyFilesChoices> stored = ReadDailyFilesChoices(file);
  if (!stored) return;
  LoadTicks(stored->section, itemList, kCatalogueItems);
  for (const UserCleanFolder& entry : stored->userFolders) userFolderList.appendRow(UserCleanFolderRow(entry));
  LoadRemoval(stored->removal, removal);
}

void DailyFilesPage::saveSettings(std::vector<SettingsSection>& sections) {
  saveRuleSettings(sections);
  SettingsSection section{std::wstring(settingsSection()), std::wstring(kDailyFilesSettingsVersion), {}};
  SaveTicks(section, itemList, kCatalogueItems);
  const std::vector<ListRow> rows = userFolderList.rows();
  for (std::size_t i = 0; i < rows.size(); ++i)
    section.values.emplace_back(L"SelfPath" + std::to_wstring(i), SelfPathValue(rows[i], subfoldersCombo, modeCombo));
  SaveRemoval(section, removal);
  sections.push_back(std::move(section));
}

// The rule file: "File" when it is not the one beside the program, then the
// names of the ticked entries ("Tick0" ...), values rather than keys so that any
// character a name holds survives.
void DailyFilesPage::loadRuleSettings(const SettingsFile& file) {
  const std::optional<RuleFileChoices> stored = ReadRuleFileChoices(file);
  if (!stored) return;
  const std::vector<std::wstring>& ticked = stored->ticked;
  keptTicks = {ticked.begin(), ticked.end()};
  if (!stored->file.empty() && !EqualsNoCase(stored->file, ruleFilePath)) {
    // readRuleFile keeps the ticks of the rows it replaces: none are ticked yet.
    readRuleFile(stored->file);
    keptTicks = {ticked.begin(), ticked.end()};
  }
  applyRuleTicks();
}

void DailyFilesPage::saveRuleSettings(std::vector<SettingsSection>& sections) const {
  SettingsSection section{std::wstring(kRuleFileSection), L"1", {}};
  const std::wstring besideProgram = form().programFolder + std::wstring(kRuleFileName);
  section.values.emplace_back(L"File", EqualsNoCase(ruleFilePath, besideProgram) ? L"" : ruleFilePath);
  const std::vector<std::wstring> names = tickedRuleNames();
  for (std::size_t i = 0; i < names.size(); ++i) section.values.emplace_back(L"Tick" + std::to_wstring(i), names[i]);
  sections.push_back(std::move(section));
}

// ---------------------------------------------------------------- other traces, software

void OtherTracesPage::loadSettings(SettingsFile& file) { LoadTickSection(file, settingsSection(), itemList); }
void OtherTracesPage::saveSettings(std::vector<SettingsSection>& sections) { SaveTickSection(sections, settingsSection(), itemList); }

void SoftwarePage::loadSettings(SettingsFile& file) {
  const std::optional<SettingsSection> section = file.section(settingsSection(), L"1");
  if (!section) return;
  if (const std::wstring* shown = section->find(L"ShowType"); shown && !filterCombo.selectText(*shown))
    filterCombo.setIndex(0);
}

void SoftwarePage::saveSettings(std::vector<SettingsSection>& sections) {
  sections.push_back({std::wstring(settingsSection()), L"1", {{L"ShowType", filterCombo.text()}}});
}

}  // namespace wv
