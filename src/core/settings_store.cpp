#include "core/settings_store.h"

#include <algorithm>
#include <array>

#include "core/modules.h"
#include "core/utilities.h"
#include "platform/text.h"
#include "platform/platform.h"

namespace wv {
namespace {

constexpr std::wstring_view kVersionKey = L"Version";

// The order the sections have in the file.
constexpr std::array<Module, 7> kSectionOrder = {Module::JunkFiles,      Module::BackupManager, Module::Redundancy,
                                                 Module::RegistryTraces, Module::DailyFiles,    Module::OtherTraces,
                                                 Module::Software};

std::size_t SectionRank(std::wstring_view name) {
  for (std::size_t i = 0; i < kSectionOrder.size(); ++i)
    if (EqualsNoCase(ModuleInfoOf(kSectionOrder[i]).section, name)) return i;
  return kSectionOrder.size();
}

bool MakeNormal(const std::wstring& path) { return Fs().setAttributes(path, FILE_ATTRIBUTE_ARCHIVE); }

// Erases the section (every copy of it, should the file hold it twice), then writes it whole.
bool WriteSection(const std::wstring& file, const SettingsSection& section) {
  for (int copies = 0; Ini().sectionExists(file, section.name); ++copies)
    if (copies == 16 || !Ini().eraseSection(file, section.name)) return false;
  if (!Ini().write(file, section.name, kVersionKey, section.version)) return false;
  for (const auto& [key, value] : section.values)
    if (!Ini().write(file, section.name, key, value)) return false;
  return true;
}

}  // namespace

const std::wstring* SettingsSection::find(std::wstring_view key) const {
  // The profile functions keep key names without surrounding blanks.
  key = TrimView(key);
  for (const auto& [k, v] : values)
    if (EqualsNoCase(k, key)) return &v;
  return nullptr;
}

void SettingsSection::set(std::wstring_view key, std::wstring_view value) {
  for (auto& [k, v] : values) {
    if (EqualsNoCase(k, key)) {
      v.assign(value);
      return;
    }
  }
  values.emplace_back(std::wstring(key), std::wstring(value));
}

std::vector<std::wstring> SettingsSection::valuesOfKeysContaining(std::wstring_view fragment) const {
  std::vector<std::wstring> out;
  for (const auto& [k, v] : values)
    if (ContainsNoCase(k, fragment)) out.push_back(v);
  return out;
}

SettingsFile::SettingsFile(std::wstring path, int attempts, unsigned pauseMs) : path_(std::move(path)) {
  for (int attempt = 1; FileExists(path_); ++attempt) {
    if (!IsFileInUse(path_)) {
      state_ = State::Readable;
      static_cast<void>(MakeNormal(path_));
      return;
    }
    if (attempt >= attempts) {
      state_ = State::Held;
      return;
    }
    Sleep(pauseMs);
  }
}

std::optional<SettingsSection> SettingsFile::section(std::wstring_view name, std::wstring_view version) const {
  if (!readable() || !Ini().sectionExists(path_, name)) return std::nullopt;
  const std::optional<std::wstring> stored = Ini().read(path_, name, kVersionKey);
  if (!stored || !EqualsNoCase(*stored, version)) return std::nullopt;
  SettingsSection out{std::wstring(name), std::wstring(version), {}};
  for (const std::wstring& key : Ini().keys(path_, name)) {
    if (EqualsNoCase(key, kVersionKey)) continue;
    if (std::optional<std::wstring> value = Ini().read(path_, name, key)) out.values.emplace_back(key, *value);
  }
  return out;
}

bool SaveSettings(std::wstring_view path, const std::vector<SettingsSection>& sections) {
  if (sections.empty()) return true;
  const std::wstring file(path);
  const bool exists = FileExists(file);
  if (exists) {
    if (IsFileInUse(file)) return true;  // another program holds it: the choices are not saved
    static_cast<void>(MakeNormal(file));
  }
  // Sections the program does not know stay, so the copy starts as the file. A
  // new file of the same name also makes the profile functions drop what they
  // remember of an earlier copy.
  const std::wstring temp = file + L".tmp";
  if (FileExists(temp)) static_cast<void>(MakeNormal(temp));
  bool written = exists ? Fs().copyFile(file, temp, false).ok()
                        : Fs().openFile(temp, FileAccess::ReadWrite, FileShare::None, FileDisposition::CreateAlways) !=
                              nullptr;
  for (auto section = sections.begin(); written && section != sections.end(); ++section)
    written = WriteSection(temp, *section);
  if (written) written = Fs().replaceFile(temp, file).ok();
  if (!written) {
    if (FileExists(temp)) static_cast<void>(Fs().deleteFile(temp));
  }
  return written;
}

std::wstring SettingsWriteError(std::wstring_view path) { return L"Unable to write to " + std::wstring(path); }

void SortSettingsSections(std::vector<SettingsSection>& sections) {
  std::stable_sort(sections.begin(), sections.end(), [](const SettingsSection& a, const SettingsSection& b) {
    return SectionRank(a.name) < SectionRank(b.name);
  });
}

}  // namespace wv
