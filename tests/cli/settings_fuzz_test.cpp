// Seeded mutations of a Config.ini as the program writes it, read the way the
// window and the command line read it: the settings store and the pages'
// plain-value readers. No input may crash or hang them, reading never changes
// the file, a file that cannot be read is never replaced, and a folder the
// program would move files or write backups into always passes the folder checks.
#include <gtest/gtest.h>

#include <chrono>

#include "core/protected_folders.h"
#include "core/settings_store.h"
#include "pages/page_settings.h"
#include "platform/handles.h"
#include "support/fuzz.h"
#include "support/test_support.h"

namespace wv::test {
namespace {

std::string Ansi(std::wstring_view text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring FromAnsi(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

std::string Utf16(std::wstring_view text) {
  std::string out("\xFF\xFE", 2);
  out.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  return out;
}

// A folder the program would move files or write backups into.
void ExpectChecked(const std::optional<std::wstring>& folder, std::string_view what, std::wstring_view from) {
  if (!folder) return;
  EXPECT_TRUE(IsFullPath(*folder) && ProtectedFolders::Resolve().check(*folder) == FolderProtection::None)
      << what << ": " << ToUtf8(*folder) << " from\n" << ToUtf8(from.substr(0, 600));
}

TEST(SettingsFuzz, AnEditedConfigIniIsReadWithoutHarmAndNeverChanged) {
  const unsigned seed = FuzzSeed();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  TempFolder t(L"settingsfuzz");
  const std::wstring path = t / L"Config.ini", moved = t.folder(L"Moved"), base = t.folder(L"Backup");
  const std::vector<std::wstring> drives = {L"[Data] (D:)", L"本地磁盘 (C:)"};
  // A Config.ini as the program writes it.
  ASSERT_TRUE(SaveSettings(
      path, {{L"WJQL", L"1", {{drives[0], L"1"}, {drives[1], L"0"}, {L"*.tmp", L"1"}, {L"JumpPath0", moved},
                              {L"DelSel", L"3"}, {L"DelSavPath", moved}}},
             {L"BFGL", L"1", {{L"SavPath", base}, {L"ComSav", L"1"}, {L"ComTypeSel", L"2"}}},
             {L"WJRC", L"2", {{L"Windows临时文件夹", L"1"}, {L"SelfPath0", L"1/" + moved + L"/0/1/*.log"},
                              {L"DelSel", L"3"}, {L"DelSavPath", moved}}},
             {L"WINAPP2", L"1", {{L"File", t / L"Winapp2.ini"}, {L"Tick0", L"Google Chrome *"}}},
             {L"RJQL", L"1", {{L"ShowType", L"显示所有软件"}}}}));
  const std::wstring text = FromAnsi(ReadBytes(path));
  ASSERT_NE(text.find(L"[WJRC]"), std::wstring::npos);
  int junkRead = 0, backupRead = 0;
  const auto started = std::chrono::steady_clock::now();
  for (int i = 0; i < 1000; ++i) {  // about 20 ms each under Wine: every read goes through the profile functions
    const std::wstring mutated = Mutate(text, random);
    const std::string bytes = i % 3 == 0 ? Utf16(mutated) : Ansi(mutated);  // the profile functions take both
    WriteBytes(path, bytes);
    const auto readStart = std::chrono::steady_clock::now();
    {
      const SettingsFile file(path, 1, 0);
      ASSERT_TRUE(file.readable());
      if (const std::optional<JunkFilesChoices> junk = ReadJunkFilesChoices(file)) {
        ++junkRead;
        for (const std::wstring& caption : drives) (void)StoredTick(junk->section, caption);
        ExpectChecked(junk->removal.moveFolder, "junk move folder", mutated);
      }
      if (const std::optional<DailyFilesChoices> daily = ReadDailyFilesChoices(file)) {
        for (const std::wstring& value : daily->section.valuesOfKeysContaining(L"SelfPath")) (void)ParseSelfPath(value);
        ExpectChecked(daily->removal.moveFolder, "daily move folder", mutated);
      }
      (void)ReadRuleFileChoices(file);
      const std::optional<std::wstring> backupBase = ReadBackupBase(file);
      backupRead += backupBase.has_value();
      ExpectChecked(backupBase, "backup base", mutated);
      for (const wchar_t* name : {L"ZCQL", L"ZCRC", L"QTRC", L"RJQL"}) (void)file.section(name, L"1");
    }
    ASSERT_LT(std::chrono::steady_clock::now() - readStart, std::chrono::seconds(5)) << ToUtf8(mutated.substr(0, 600));
    ASSERT_EQ(ReadBytes(path), bytes) << "reading never writes";
    if (i % 100 == 0) {
      // Held by another program, the file cannot be read: it is neither read nor replaced.
      const UniqueFile holder(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      ASSERT_TRUE(holder.valid());
      EXPECT_TRUE(SettingsFile(path, 1, 0).held());
      EXPECT_TRUE(SaveSettings(path, {{L"RJQL", L"1", {{L"ShowType", L"隐藏更新补丁"}}}}));
      EXPECT_FALSE(PathExists(path + L".tmp"));
    }
    if (i % 100 == 0) {
      ASSERT_EQ(ReadBytes(path), bytes) << "a held file is left as it was";
    }
  }
  // Most mutations leave the sections readable: the readers did see values.
  EXPECT_GT(junkRead, 100);
  EXPECT_GT(backupRead, 100);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(120));
}

}  // namespace
}  // namespace wv::test
