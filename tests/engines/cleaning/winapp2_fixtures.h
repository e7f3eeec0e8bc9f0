#pragma once
// What the rule-file tests share: the real winapp2.ini (linked into the prefix by
// scripts/link-rule-file, read once), its entries by name, a planted profile that
// the rule file's folder names lead into, and a scan that keeps its rows.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "engines/cleaning/cleaning_fixtures.h"
#include "engines/cleaning/winapp2_file.h"
#include "engines/cleaning/winapp2_folders.h"
#include "engines/cleaning/winapp2_scan.h"

namespace wv::test {

inline constexpr std::wstring_view kRealRuleFile = L"C:\\WindowsVantorraFixtures\\winapp2\\Winapp2.ini";

inline const Winapp2File& RealRuleFile() {
  static const Winapp2File file = ReadWinapp2(kRealRuleFile);
  return file;
}

// The entry of the real file by its name; fails the test when it is not there.
inline const Winapp2Entry& RealEntry(std::wstring_view name) {
  for (const Winapp2Entry& e : RealRuleFile().entries)
    if (e.name == name) return e;
  ADD_FAILURE() << "no entry " << ToUtf8(name);
  static const Winapp2Entry none;
  return none;
}

// The rule file's names leading into folders below a planted root, as on a
// 64-bit system: "Program Files" and "Program Files (x86)" both.
inline RuleFolders PlantedFolders(const std::wstring& root) {
  return RuleFolders({
      {L"LocalAppData", {root + L"\\Users\\me\\AppData\\Local"}},
      {L"AppData", {root + L"\\Users\\me\\AppData\\Roaming"}},
      {L"UserProfile", {root + L"\\Users\\me"}},
      {L"ProgramFiles", {root + L"\\Program Files", root + L"\\Program Files (x86)"}},
      {L"ProgramData", {root + L"\\ProgramData"}},
      {L"WinDir", {root + L"\\Windows"}},
      {L"SystemDrive", {root}},
  });
}

// The planted profile's protected folders: what ProtectedFolders::Resolve gives
// for the real ones.
inline ProtectedFolders PlantedProtection(const std::wstring& root) {
  return ProtectedFolders({
      {root + L"\\Windows", FolderProtection::SystemFolder},
      {root + L"\\Program Files", FolderProtection::ProgramFolder},
      {root + L"\\Program Files (x86)", FolderProtection::ProgramFolder},
      {root + L"\\ProgramData", FolderProtection::ProgramFolder},
      {root + L"\\Users\\me", FolderProtection::UserFolder},
      {root + L"\\Users\\me\\AppData\\Local", FolderProtection::UserFolder},
      {root + L"\\Users\\me\\AppData\\Roaming", FolderProtection::UserFolder},
  });
}

// A scan of the given entries (all ticked) over the planted profile, with its rows.
struct RuleScan {
  std::vector<FoundRow> rows;
  FakeRun run;
  Winapp2ScanResult result;
  RuleScan(const std::vector<const Winapp2Entry*>& entries, const std::wstring& root) {
    Winapp2ScanInput in;
    for (const Winapp2Entry* e : entries) in.entries.push_back({e, in.entries.size(), true});
    in.folders = PlantedFolders(root);
    in.protection = PlantedProtection(root);
    in.item = 5;
    result = Winapp2Scan(in, run, [this](FoundRow row) { rows.push_back(std::move(row)); });
  }
  [[nodiscard]] const FoundRow* row(std::wstring_view path) const {
    const int i = RowIndex(rows, path);
    return i < 0 ? nullptr : &rows[static_cast<std::size_t>(i)];
  }
  [[nodiscard]] std::vector<std::wstring> paths(FoundKind kind) const {
    std::vector<std::wstring> out;
    for (const FoundRow& r : rows)
      if (r.kind == kind) out.push_back(r.path);
    return Sorted(out);
  }
};

// Entries written for one test, parsed from text.
inline Winapp2File RuleText(std::string_view text) { return ParseWinapp2(text); }

}  // namespace wv::test
