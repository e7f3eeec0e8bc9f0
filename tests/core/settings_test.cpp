// The settings store over a real Config.ini in a temporary folder: sections as
// plain values, the version rule, whole-section rewrites, files in use or marked
// read-only, and a failed write; and the message boxes going through the platform.

#include <gtest/gtest.h>

#include <optional>

#include "core/lsbcline.h"
#include "core/publline.h"
#include "platform/handles.h"
#include "platform/win32/win32_platform.h"
#include "support/testsupport.h"

namespace wv {
namespace {

SettingsSection Section(std::wstring name, std::wstring version,
                        std::vector<std::pair<std::wstring, std::wstring>> values) {
  return SettingsSection{std::move(name), std::move(version), std::move(values)};
}

TEST(SettingsStore, SectionsRoundTripUnderTheirVersionAndAreRewrittenWhole) {
  test::TempFolder tmp(L"settings");
  const std::wstring file = tmp / L"Config.ini";
  EXPECT_FALSE(SettingsFile(file).readable());
  EXPECT_TRUE(SaveSettings(file, {}));
  EXPECT_FALSE(test::PathExists(file)) << "nothing to save creates no file";

  std::vector<SettingsSection> sections = {
      Section(L"WJRC", L"2", {{L"Windows临时文件夹", L"1"}, {L"SelfPath0", L"0/D:\\Logs/1/0/*.log"}, {L"SelfPath1", L"1/E:\\x/0/1/"}}),
      Section(L"ZCQL", L"1", {{L"HKEY_CLASSES_ROOT", L"0"}}),
      Section(L"WJQL", L"1", {{L"JumpPath0", L"C:\\Keep"}, {L"DelSel", L"3"}}),
  };
  SortSettingsSections(sections);
  ASSERT_EQ(sections[0].name, L"WJQL");
  ASSERT_EQ(sections[1].name, L"ZCQL");
  ASSERT_EQ(sections[2].name, L"WJRC");
  ASSERT_TRUE(SaveSettings(file, sections));

  SettingsFile read(file);
  ASSERT_TRUE(read.readable());
  const std::optional<SettingsSection> wjrc = read.section(L"wjrc", L"2");
  ASSERT_TRUE(wjrc);
  EXPECT_EQ(wjrc->values, sections[2].values) << "keys in the file's order, without the version";
  ASSERT_NE(wjrc->find(L"selfpath0"), nullptr);
  EXPECT_EQ(*wjrc->find(L"SELFPATH0"), L"0/D:\\Logs/1/0/*.log");
  EXPECT_EQ(wjrc->valuesOfKeysContaining(L"selfpath"),
            (std::vector<std::wstring>{L"0/D:\\Logs/1/0/*.log", L"1/E:\\x/0/1/"}));
  EXPECT_EQ(wjrc->find(L"Missing"), nullptr);
  // A section written by another layout is not read at all.
  EXPECT_FALSE(read.section(L"WJRC", L"1"));
  EXPECT_FALSE(read.section(L"BFGL", L"1"));

  // A section is erased before it is written: keys of the older layout go.
  SettingsSection shorter = Section(L"WJQL", L"1", {{L"DelSel", L"1"}});
  shorter.set(L"delsel", L"2");  // replaces, case-blind
  ASSERT_TRUE(SaveSettings(file, {shorter}));
  const std::optional<SettingsSection> wjql = SettingsFile(file).section(L"WJQL", L"1");
  ASSERT_TRUE(wjql);
  EXPECT_EQ(wjql->values, (std::vector<std::pair<std::wstring, std::wstring>>{{L"DelSel", L"2"}}));
  EXPECT_TRUE(SettingsFile(file).section(L"ZCQL", L"1")) << "other sections stay";
}

TEST(SettingsStore, MarkedFilesAreMadeNormalAndFilesInUseAreLeftAlone) {
  test::TempFolder tmp(L"settings2");
  const std::wstring file = tmp / L"Config.ini";
  ASSERT_TRUE(SaveSettings(file, {Section(L"RJQL", L"1", {{L"ShowType", L"显示所有软件"}})}));

  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SaveSettings(file, {Section(L"RJQL", L"1", {{L"ShowType", L"隐藏微软相关"}})}));
  EXPECT_EQ(GetFileAttributesW(file.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
  std::optional<SettingsSection> rjql = SettingsFile(file).section(L"RJQL", L"1");
  ASSERT_TRUE(rjql);
  EXPECT_EQ(*rjql->find(L"ShowType"), L"隐藏微软相关");

  {
    UniqueFile holder(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.valid());
    EXPECT_FALSE(SettingsFile(file).readable());
    EXPECT_TRUE(SaveSettings(file, {Section(L"RJQL", L"1", {{L"ShowType", L"隐藏更新补丁"}})}));
  }
  rjql = SettingsFile(file).section(L"RJQL", L"1");
  ASSERT_TRUE(rjql);
  EXPECT_EQ(*rjql->find(L"ShowType"), L"隐藏微软相关") << "a file in use is not written";
}

// Profiles that refuse one key; files that cannot be put in the place of another.
class FailingProfiles : public Win32Profiles {
 public:
  bool write(std::wstring_view file, std::wstring_view section, std::wstring_view key, std::wstring_view value) override {
    if (key == L"Broken") return false;
    return Win32Profiles::write(file, section, key, value);
  }
};
class NoReplaceFiles : public Win32FileSystem {
 public:
  bool replaceFile(std::wstring_view, std::wstring_view) override { return false; }
};

TEST(SettingsStore, AFailedSaveSaysSoAndLeavesThePreviousFileWhole) {
  test::TempFolder tmp(L"settings3");
  const std::wstring file = tmp / L"Config.ini";
  ASSERT_TRUE(SaveSettings(file, {Section(L"WJQL", L"1", {{L"Before", L"0"}}), Section(L"BFGL", L"1", {{L"ComSav", L"0"}})}));
  const std::string before = test::ReadBytes(file);
  FailingProfiles profiles;
  NoReplaceFiles files;
  enum Fault { RefusedKey, RefusedReplace, HeldCopy };
  for (Fault fault : {RefusedKey, RefusedReplace, HeldCopy}) {
    SCOPED_TRACE(fault);
    std::optional<Substitute<Profiles>> refuseKey;
    std::optional<Substitute<FileSystem>> refuseReplace;
    UniqueFile holder;
    if (fault == RefusedKey) refuseKey.emplace(&Platform::profiles, profiles);
    if (fault == RefusedReplace) refuseReplace.emplace(&Platform::files, files);
    if (fault == HeldCopy) {  // another program holds the copy's name
      test::WriteBytes(file + L".tmp", "");
      holder.reset(CreateFileW((file + L".tmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      ASSERT_TRUE(holder.valid());
    }
    test::ScriptedMsgBox boxes;
    boxes.answer(IDOK);
    EXPECT_FALSE(SaveSettings(file, {Section(L"WJQL", L"1", {{L"Before", L"1"}, {L"Broken", L"x"}, {L"After", L"1"}}),
                                     Section(L"BFGL", L"1", {{L"ComSav", L"1"}})}));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, L"Unable to write to " + file);
    EXPECT_EQ(boxes.shown()[0].heading, L"");
    EXPECT_EQ(boxes.shown()[0].icon, static_cast<int>(MsgIcon::Error));
    EXPECT_EQ(test::ReadBytes(file), before);
    if (!holder.valid()) {
      EXPECT_FALSE(test::PathExists(file + L".tmp"));
    }
  }
}

// The system's message box, as the platform is asked to show it.
class BoxShell : public Win32Shell {
 public:
  struct Call {
    HWND owner;
    std::wstring text, caption;
    unsigned style;
  };
  std::vector<Call> calls;
  int answer = IDNO;
  int messageBox(HWND owner, std::wstring_view text, std::wstring_view caption, unsigned style) override {
    calls.push_back({owner, std::wstring(text), std::wstring(caption), style});
    return answer;
  }
};

TEST(MsgBox, GoesThroughThePlatformWithItsCaptionAndStyle) {
  BoxShell shell;
  Substitute<Shell> swap(&Platform::shell, shell);
  EXPECT_EQ(MsgBox(MsgIcon::Question, MsgButtons::YesNo, L"扫描排除", L"删除吗？"), IDNO);
  ShowErrorText(L"Unable to write to C:\\Config.ini");
  ASSERT_EQ(shell.calls.size(), 2u);
  EXPECT_EQ(shell.calls[0].text, L"扫描排除 -- 删除吗？");
  EXPECT_EQ(shell.calls[0].caption, L"WindowsVantorra");
  EXPECT_EQ(shell.calls[0].style, static_cast<unsigned>(MB_ICONQUESTION | MB_YESNO | MB_TASKMODAL));
  EXPECT_EQ(shell.calls[1].text, L"Unable to write to C:\\Config.ini");
  EXPECT_EQ(shell.calls[1].style, static_cast<unsigned>(MB_ICONERROR | MB_OK | MB_TASKMODAL));
}

}  // namespace
}  // namespace wv
