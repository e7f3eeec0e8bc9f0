// The settings store over a real Config.ini: the version rule, whole-section
// rewrites, marked files, files in use, and a failed write.
#include <gtest/gtest.h>

#include <optional>

#include "core/settings_store.h"
#include "core/utilities.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "core/modules.h"
#include "platform/win32/win32_platform.h"
#include "support/test_support.h"

namespace wv {
namespace {

TEST(SettingsStore, VersionsWholeSectionRewritesMarkedFilesAndFilesInUse) {
  test::TempFolder tmp(L"settings");
  const std::wstring file = tmp / L"Config.ini";
  const auto showType = [&]() -> std::wstring {
    const std::optional<SettingsSection> software = SettingsFile(file).section(L"RJQL", L"1");
    return software && software->find(L"showTYPE") ? *software->find(L"showTYPE") : L"<none>";  // case-blind
  };
  EXPECT_TRUE(SaveSettings(file, {}));
  EXPECT_FALSE(test::PathExists(file)) << "nothing to save creates no file";
  const std::wstring logs = L"0/D:\\Logs/1/0/*.log", x = L"1/E:\\x/0/1/";
  ASSERT_TRUE(SaveSettings(file, {{L"WJRC", L"2", {{L"SelfPath0", logs}, {L"Other", L"1"}, {L"selfpath1", x}}},
                                  {L"RJQL", L"1", {{L"ShowType", L"显示所有软件"}, {L"DelSel", L"3"}}}}));
  const std::optional<SettingsSection> daily = SettingsFile(file).section(L"wjrc", L"2");
  ASSERT_TRUE(daily);
  EXPECT_EQ(daily->values.size(), 3u) << "without the version";
  EXPECT_EQ(daily->valuesOfKeysContaining(L"SELFpath"), (std::vector<std::wstring>{logs, x}));
  EXPECT_FALSE(SettingsFile(file).section(L"WJRC", L"1")) << "a section of another layout is not read at all";
  // A marked file is made normal; a section is erased before it is written, other sections stay.
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  SettingsSection shorter{L"RJQL", L"1", {{L"ShowType", L"x"}}};
  shorter.set(L"showtype", L"隐藏微软相关");
  ASSERT_TRUE(SaveSettings(file, {shorter}));
  EXPECT_EQ(GetFileAttributesW(file.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
  EXPECT_EQ(SettingsFile(file).section(L"RJQL", L"1").value().values,
            (std::vector<std::pair<std::wstring, std::wstring>>{{L"ShowType", L"隐藏微软相关"}}));
  EXPECT_TRUE(SettingsFile(file).section(L"WJRC", L"2"));
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(showType(), L"隐藏微软相关") << "a read-only file is read";
  {
    UniqueFile holder(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.valid());
    EXPECT_FALSE(SettingsFile(file).readable());
    EXPECT_TRUE(SaveSettings(file, {{L"RJQL", L"1", {{L"ShowType", L"隐藏更新补丁"}}}}));
  }
  EXPECT_EQ(showType(), L"隐藏微软相关") << "a file in use is not written";
}

// A section is read in one call, not key by key: what it gives must be what the
// profile functions give for each key, however the line is written.
TEST(SettingsStore, ASectionReadAtOnceGivesWhatTheProfileFunctionsGiveKeyByKey) {
  test::TempFolder tmp(L"settings2");
  const std::wstring file = tmp / L"Config.ini";
  test::WriteBytes(file,
                   "[WJQL]\r\n"
                   "Version=1\r\n"
                   "  Spaced  =  two words  \r\n"
                   "Quoted=\"C:\\Program Files\\\"\r\n"
                   "Single='x'\r\n"
                   "HalfQuoted=\"x\r\n"
                   "Mixed=\"x'\r\n"
                   "Equals=a=b\r\n"
                   "Empty=\r\n"
                   "Bare\r\n"
                   ";comment=1\r\n"
                   "[BFGL]\r\n"
                   "version = 1 \r\n"
                   "SavPath=D:\\B\r\n"
                   "[ZCQL]\r\n"
                   "Other=1\r\n"
                   "[RJQL]\r\n"
                   "Version=2\r\n"
                   "Version=1\r\n");
  const SettingsFile settings(file);
  const std::optional<SettingsSection> junk = settings.section(L"wjql", L"1");
  ASSERT_TRUE(junk);
  std::vector<std::wstring> keys;
  for (const auto& [key, value] : junk->values) {
    keys.push_back(key);
    EXPECT_EQ(value, Ini().read(file, L"WJQL", key).value_or(L"<missing>")) << ToUtf8(key);
  }
  // A line without "=" is no key for the profile functions either.
  EXPECT_EQ(keys, (std::vector<std::wstring>{L"Spaced", L"Quoted", L"Single", L"HalfQuoted", L"Mixed", L"Equals",
                                             L"Empty"}));
  EXPECT_EQ(*junk->find(L"Quoted"), L"C:\\Program Files\\");
  EXPECT_EQ(*junk->find(L"Equals"), L"a=b");
  // The version: blanks and case do not matter; a missing one, or the first of two
  // that differs, means another layout.
  ASSERT_TRUE(settings.section(L"BFGL", L"1"));
  EXPECT_EQ(settings.section(L"BFGL", L"1")->values,
            (std::vector<std::pair<std::wstring, std::wstring>>{{L"SavPath", L"D:\\B"}}));
  EXPECT_FALSE(settings.section(L"ZCQL", L"1"));
  EXPECT_FALSE(settings.section(L"RJQL", L"1"));
  EXPECT_FALSE(settings.section(L"QTRC", L"1"));
}

// A ".tmp" beside the file, left by a crash or planted as a link to another file:
// saving makes its copy anew, so the other file keeps its bytes.
TEST(SettingsStore, TheCopyIsAlwaysANewFileSoNothingIsWrittenThroughALinkInItsPlace) {
  test::TempFolder tmp(L"settings4");
  const std::wstring file = tmp / L"Config.ini", other = tmp / L"other.txt";
  for (const bool existing : {false, true}) {
    SCOPED_TRACE(existing);
    if (existing) ASSERT_TRUE(SaveSettings(file, {{L"BFGL", L"1", {{L"ComSav", L"0"}}}}));
    test::WriteBytes(other, "keep me");
    ASSERT_TRUE(CreateHardLinkW((file + L".tmp").c_str(), other.c_str(), nullptr));
    ASSERT_TRUE(SaveSettings(file, {{L"WJQL", L"1", {{L"JumpPath0", L"C:\\x"}}}}));
    EXPECT_EQ(test::ReadBytes(other), "keep me");
    EXPECT_FALSE(test::PathExists(file + L".tmp"));
    const std::optional<SettingsSection> junk = SettingsFile(file).section(L"WJQL", L"1");
    ASSERT_TRUE(junk && junk->find(L"JumpPath0"));
    EXPECT_EQ(*junk->find(L"JumpPath0"), L"C:\\x");
    EXPECT_EQ(SettingsFile(file).section(L"BFGL", L"1").has_value(), existing) << "the file's other sections stay";
    ASSERT_TRUE(DeleteFileW(file.c_str()) && DeleteFileW(other.c_str()));
  }
}

// Profiles that refuse one key; files that cannot be put in the place of another.
struct FailingProfiles : Win32Profiles {
  bool write(std::wstring_view file, std::wstring_view section, std::wstring_view key, std::wstring_view value) override {
    return key != L"Broken" && Win32Profiles::write(file, section, key, value);
  }
};
struct NoReplaceFiles : Win32FileSystem {
  SysResult replaceFile(std::wstring_view, std::wstring_view) override { return SysResult(ERROR_ACCESS_DENIED); }
};

TEST(SettingsStore, AFailedSaveSaysSoAndLeavesThePreviousFileWhole) {
  test::TempFolder tmp(L"settings3");
  const std::wstring file = tmp / L"Config.ini", copy = file + L".tmp";
  EXPECT_EQ(SettingsWriteError(file), L"Unable to write to " + file);
  ASSERT_TRUE(SaveSettings(file, {{L"WJQL", L"1", {{L"Before", L"0"}}}, {L"BFGL", L"1", {{L"ComSav", L"0"}}}}));
  const std::string before = test::ReadBytes(file);
  FailingProfiles profiles;
  NoReplaceFiles files;
  // A key refused, the copy refused the file's place, the copy's name held by another program.
  for (int fault = 0; fault < 3; ++fault) {
    SCOPED_TRACE(fault);
    std::optional<Substitute<Profiles>> refuseKey;
    std::optional<Substitute<FileSystem>> refuseReplace;
    if (fault == 0) refuseKey.emplace(&Platform::profiles, profiles);
    if (fault == 1) refuseReplace.emplace(&Platform::files, files);
    if (fault == 2) test::WriteBytes(copy, "");
    UniqueFile holder(fault == 2 ? CreateFileW(copy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                                 : INVALID_HANDLE_VALUE);
    EXPECT_FALSE(SaveSettings(file, {{L"WJQL", L"1", {{L"Before", L"1"}, {L"Broken", L"x"}, {L"After", L"1"}}},
                                     {L"BFGL", L"1", {{L"ComSav", L"1"}}}}));
    EXPECT_EQ(test::ReadBytes(file), before);
    EXPECT_EQ(test::PathExists(copy), fault == 2);
  }
}

// The table is indexed by the enum and the file's section order is named by module:
// a module out of place would hand a page another module's title or section.
TEST(ModuleTable, EachModuleFindsItsOwnRowAndSectionsSortInTheFilesOrder) {
  for (const ModuleInfo& info : Modules()) {
    EXPECT_EQ(&ModuleInfoOf(info.module), &info);
    EXPECT_FALSE(info.key.empty() || info.title.empty());
    // A stored section is the key in capitals.
    if (!info.section.empty()) {
      ASSERT_EQ(info.section.size(), info.key.size());
      for (std::size_t i = 0; i < info.key.size(); ++i) EXPECT_EQ(info.section[i], info.key[i] - L'a' + L'A');
    }
  }
  std::vector<SettingsSection> sections;
  for (const wchar_t* name : {L"RJQL", L"Unknown", L"QTRC", L"WJRC", L"ZCRC", L"ZCQL", L"BFGL", L"WJQL"})
    sections.push_back({name, L"1", {}});
  SortSettingsSections(sections);
  std::vector<std::wstring> order;
  for (const SettingsSection& s : sections) order.push_back(s.name);
  EXPECT_EQ(order, (std::vector<std::wstring>{L"WJQL", L"BFGL", L"ZCQL", L"ZCRC", L"WJRC", L"QTRC", L"RJQL", L"Unknown"}));
}

}  // namespace
}  // namespace wv
