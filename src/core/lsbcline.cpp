#include "core/lsbcline.h"

#include <algorithm>
#include <array>

#include "core/publline.h"
#include "core/text.h"
#include "platform/platform.h"

namespace wv {
namespace {

constexpr std::wstring_view kVersionKey = L"Version";

// The order the sections have in the file.
constexpr std::array<std::wstring_view, 7> kSectionOrder = {L"WJQL", L"BFGL", L"ZCQL", L"ZCRC",
                                                            L"WJRC", L"QTRC", L"RJQL"};

std::size_t SectionRank(std::wstring_view name) {
  for (std::size_t i = 0; i < kSectionOrder.size(); ++i)
    if (EqualsNoCase(kSectionOrder[i], name)) return i;
  return kSectionOrder.size();
}

bool MakeNormal(const std::wstring& path) { return Fs().setAttributes(path, FILE_ATTRIBUTE_ARCHIVE); }

}  // namespace

const std::wstring* SettingsSection::find(std::wstring_view key) const {
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

SettingsFile::SettingsFile(std::wstring path) : path_(std::move(path)) {
  readable_ = FileExists(path_) && !IsFileInUse(path_);
  if (readable_) static_cast<void>(MakeNormal(path_));
}

std::optional<SettingsSection> SettingsFile::section(std::wstring_view name, std::wstring_view version) const {
  if (!readable_ || !Ini().sectionExists(path_, name)) return std::nullopt;
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
  if (FileExists(file)) {
    if (IsFileInUse(file)) return true;  // another program holds it: the choices are not saved
    static_cast<void>(MakeNormal(file));
  }
  for (const SettingsSection& section : sections) {
    bool written = (!Ini().sectionExists(file, section.name) || Ini().eraseSection(file, section.name)) &&
                   Ini().write(file, section.name, kVersionKey, section.version);
    for (auto it = section.values.begin(); written && it != section.values.end(); ++it)
      written = Ini().write(file, section.name, it->first, it->second);
    if (!written) {
      ShowErrorText(L"Unable to write to " + file);
      return false;
    }
  }
  return true;
}

void SortSettingsSections(std::vector<SettingsSection>& sections) {
  std::stable_sort(sections.begin(), sections.end(), [](const SettingsSection& a, const SettingsSection& b) {
    return SectionRank(a.name) < SectionRank(b.name);
  });
}

}  // namespace wv
