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

namespace {

// One line of a section as the profile functions keep it ("key=value") split into
// its key and the value a key-by-key read gives: blanks around both dropped, and a
// value in matching quotes without them.
std::pair<std::wstring, std::wstring> SettingsLine(std::wstring_view line) {
  const std::size_t equals = line.find(L'=');
  const std::wstring_view key = TrimView(line.substr(0, equals));
  std::wstring_view value = equals == std::wstring_view::npos ? std::wstring_view{} : TrimView(line.substr(equals + 1));
  // The profile functions hand a quoted value out without its quotes.
  if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return {std::wstring(key), std::wstring(value)};
}

}  // namespace

std::optional<SettingsSection> SettingsFile::section(std::wstring_view name, std::wstring_view version) const {
  if (!readable()) return std::nullopt;
  // One read of the section's lines, not one per key: the profile functions read the whole file on every call.
  const std::vector<std::wstring> lines = Ini().sectionLines(path_, name);
  SettingsSection out{std::wstring(name), std::wstring(version), {}};
  bool versionFound = false;
  for (const std::wstring& line : lines) {
    // A comment is no choice, and a line without "=" is no key for the profile functions.
    if (line.starts_with(L';') || line.find(L'=') == std::wstring::npos) continue;
    std::pair<std::wstring, std::wstring> entry = SettingsLine(line);
    if (!EqualsNoCase(entry.first, kVersionKey)) {
      out.values.push_back(std::move(entry));
    } else if (!versionFound) {
      // The first "Version" counts, as it does for the profile functions.
      versionFound = true;
      if (!EqualsNoCase(entry.second, version)) return std::nullopt;
    }
  }
  if (!versionFound) return std::nullopt;
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
  // The copy is always a new file: a ".tmp" left behind (or a link someone put there) is removed
  // first, so the sections are never written into another file through it.
  const std::wstring temp = file + L".tmp";
  if (FileExists(temp)) {
    static_cast<void>(MakeNormal(temp));
    if (!Fs().deleteFile(temp).ok()) return false;
  }
  bool written = exists ? Fs().copyFile(file, temp, true).ok()
                        : Fs().openFile(temp, FileAccess::ReadWrite, FileShare::None, FileDisposition::CreateNew) !=
                              nullptr;
  for (auto section = sections.begin(); written && section != sections.end(); ++section)
    written = WriteSection(temp, *section);
  // On the disk before it takes the file's place: a power cut after the swap must not leave an empty file.
  if (written) {
    const std::unique_ptr<File> copy =
        Fs().openFile(temp, FileAccess::ReadWrite, FileShare::Read, FileDisposition::OpenExisting);
    written = copy && copy->flush();
  }
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
