// The rule file winapp2.ini on the daily page in the real main window: its
// entries below the catalogue rows, unticked, under their groups; warnings asked
// before a tick; ticks in a section of their own; the scan and removal of the
// ticked entries, registry rows through an undo file.

#include <algorithm>

#include "support/app_fixture.h"
#include "engines/cleaning/cleaning_fixtures.h"
#include "engines/cleaning/winapp2_folders.h"
#include "pages/cleaning/clean_page.h"
#include "pages/cleaning/daily_files_page.h"

namespace wv::test {
namespace {

constexpr std::wstring_view kRealRuleFile = L"C:\\WindowsVantorraFixtures\\winapp2\\Winapp2.ini";

class RuleFilePageTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    // None of the built-in items: they would clean the prefix's real folders.
    for (int i = 0; i < kCatalogueItems; ++i) daily().itemList.setChecked(i, false);
  }
  DailyFilesControls& daily() { return Controls(form->page<DailyFilesPage>()); }
  void read(std::wstring_view path) {
    daily().ruleFileEdit.setText(path);
    daily().ruleFileReadButton.click();
  }
  // The item-list row of an entry (caption as shown) or a group heading; -1 when none.
  int row(std::wstring_view caption) {
    for (int i = kCatalogueItems; i < daily().itemList.count(); ++i)
      if (daily().itemList.text(i, 0) == caption) return i;
    return -1;
  }
  // A rule file of the test's own in a folder of its own.
  std::wstring writeRules(std::string_view text) {
    const std::wstring path = folder.file(L"rules\\Winapp2.ini", text);
    return path;
  }

  TempFolder folder{L"rulepage"};
  TestShell shell;
};

TEST_F(RuleFilePageTest, DetectedEntriesOfTheRealFileAreListedUnderTheirGroupsUnticked) {
  const std::wstring zynga = RuleFolders::Resolve().find(L"LocalAppData")->front() + L"\\Zynga";
  Planted planted(L"zynga");
  planted.folder(zynga);  // detects "Zynga Games *"
  read(kRealRuleFile);
  const std::wstring summary = daily().ruleFileSummary.caption();
  EXPECT_NE(summary.find(L"共 4067 项：已读取 4061 项"), std::wstring::npos) << ToUtf8(summary);
  EXPECT_NE(summary.find(L"6 项无法读取"), std::wstring::npos) << ToUtf8(summary);
  // The entries not read, in the file's order, each with the line and key at fault.
  const std::pair<std::wstring_view, std::wstring_view> unread[] = {
      {L"Dolby Access *", L"第 11029 行，FileKey5："},
      {L"Dropbox *", L"第 11252 行，FileKey7："},
      {L"Moonlighter *", L"第 21517 行，DetectFile："},
      {L"Samsung Live Wallpaper *", L"第 27107 行，FileKey5："},
      {L"Samsung Odyssey 3D Hub *", L"第 27152 行，FileKey1："},
      {L"Windows Signature Verification *", L"第 33663 行，DetectFile："},
  };
  ASSERT_EQ(daily().ruleProblemList.count(), static_cast<int>(std::size(unread)));
  for (int i = 0; i < daily().ruleProblemList.count(); ++i) {
    const auto& [name, fault] = unread[i];
    EXPECT_EQ(daily().ruleProblemList.text(i, 0), name);
    EXPECT_TRUE(daily().ruleProblemList.text(i, 1).starts_with(fault)) << ToUtf8(daily().ruleProblemList.text(i, 1));
    EXPECT_GT(daily().ruleProblemList.text(i, 1).size(), fault.size()) << "the reason follows its place";
  }

  const int games = row(L"Games");
  const int entry = row(L"Zynga Games");
  ASSERT_GE(games, kCatalogueItems);
  ASSERT_GT(entry, games);
  EXPECT_FALSE(daily().itemList.checkBoxShown(games));
  // Every entry unticked, each below its group's heading, headings in their order.
  std::wstring heading, previous;
  for (int i = kCatalogueItems; i < daily().itemList.count(); ++i) {
    const ListRow r = daily().itemList.row(i);
    EXPECT_FALSE(r.checked) << ToUtf8(r.caption);
    if (!daily().itemList.checkBoxShown(i)) {
      EXPECT_LT(ToUpper(previous), ToUpper(r.caption));
      previous = heading = r.caption;
      continue;
    }
    ASSERT_FALSE(heading.empty());
    EXPECT_TRUE(r.column(1) == L"可选" || r.column(1) == L"注意");
  }
  EXPECT_EQ(daily().itemList.row(entry).column(1), L"可选");

  // "全选" ticks the catalogue and every entry without a warning; "默认" unticks the entries.
  daily().itemsToggle.click();
  EXPECT_TRUE(daily().itemList.checked(0) && daily().itemList.checked(entry));
  EXPECT_FALSE(daily().itemList.checked(games));
  for (int i = kCatalogueItems; i < daily().itemList.count(); ++i)
    if (daily().itemList.text(i, 1) == L"注意") {
      EXPECT_FALSE(daily().itemList.checked(i));
    }
  daily().defaultsLabel.click();
  EXPECT_FALSE(daily().itemList.checked(entry));
  EXPECT_TRUE(daily().itemList.checked(0));
}

TEST_F(RuleFilePageTest, AFileThatIsNoRuleFileLeavesTheCatalogueAlone) {
  read(writeRules(std::string("\0\1\2binary", 9)));
  EXPECT_EQ(daily().itemList.count(), kCatalogueItems);
  EXPECT_NE(daily().ruleFileSummary.caption().find(L"不是文本文件"), std::wstring::npos);
  read(folder / L"missing.ini");
  EXPECT_NE(daily().ruleFileSummary.caption().find(L"未找到规则文件"), std::wstring::npos);
  EXPECT_EQ(daily().ruleProblemList.count(), 0);
}

TEST_F(RuleFilePageTest, AWarningIsAskedBeforeItsEntryIsTickedAndTicksAreSavedApart) {
  const std::wstring path = writeRules(
      "[Careful *]\r\nLangSecRef=3021\r\nWarning=Deletes its settings.\r\nFileKey1=%Temp%\\careful|*\r\n"
      "[Plain *]\r\nLangSecRef=3021\r\nFileKey1=%Temp%\\plain|*\r\n");
  read(path);
  const int heading = row(L"应用程序"), careful = row(L"Careful"), plain = row(L"Plain");
  ASSERT_TRUE(heading > 0 && careful > heading && plain > heading);
  EXPECT_EQ(daily().itemList.text(careful, 1), L"注意");
  {
    ScriptedMsgBox box;
    box.answer(IDCANCEL);
    daily().itemList.setChecked(careful, true);
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_NE(box.shown()[0].text.find(L"Careful：Deletes its settings."), std::wstring::npos);
    EXPECT_FALSE(daily().itemList.checked(careful));
    box.answer(IDOK);
    daily().itemList.setChecked(careful, true);
    EXPECT_TRUE(daily().itemList.checked(careful));
    daily().itemList.setChecked(plain, true);
    daily().itemList.setChecked(heading, true);  // a heading takes no tick
    EXPECT_EQ(box.shown().size(), 2u);
  }
  EXPECT_FALSE(daily().itemList.checked(heading) || daily().itemList.checkBoxShown(heading));

  std::vector<SettingsSection> sections;
  form->page<DailyFilesPage>().saveSettings(sections);
  const auto named = [&](std::wstring_view name) {
    return std::find_if(sections.begin(), sections.end(), [&](const SettingsSection& s) { return s.name == name; });
  };
  ASSERT_NE(named(L"WINAPP2"), sections.end());
  const SettingsSection& rules = *named(L"WINAPP2");
  EXPECT_EQ(rules.version, L"1");
  EXPECT_EQ(rules.values, (std::vector<std::pair<std::wstring, std::wstring>>{
                              {L"File", path}, {L"Tick0", L"Careful *"}, {L"Tick1", L"Plain *"}}));
  ASSERT_NE(named(L"WJRC"), sections.end());
  for (const auto& [key, value] : named(L"WJRC")->values) EXPECT_EQ(key.find(L"Plain"), std::wstring::npos);

  // Read back: the file named there, its ticks, and the tick of an entry it lacks kept for later.
  const std::wstring config = folder.file(L"Config.ini", "[WINAPP2]\r\nVersion=1\r\nFile=" + ToUtf8(path) +
                                                             "\r\nTick0=Plain *\r\nTick1=Gone *\r\n");
  read(folder / L"elsewhere.ini");
  EXPECT_EQ(row(L"Plain"), -1);
  SettingsFile file(config);
  form->page<DailyFilesPage>().loadSettings(file);
  EXPECT_EQ(daily().ruleFileEdit.text(), path);
  EXPECT_TRUE(daily().itemList.checked(row(L"Plain")));
  EXPECT_FALSE(daily().itemList.checked(row(L"Careful")));
  sections.clear();
  form->page<DailyFilesPage>().saveSettings(sections);
  EXPECT_EQ(named(L"WINAPP2")->values, (std::vector<std::pair<std::wstring, std::wstring>>{
                                           {L"File", path}, {L"Tick0", L"Gone *"}, {L"Tick1", L"Plain *"}}));
}

// The ticked entries are scanned after the built-in items, in the order the list
// shows them (group by group, as the user ticked them), not the file's: each row
// names its entry; refused rules are listed and stay; registry rows go after the
// undo file.
TEST_F(RuleFilePageTest, TickedEntriesAreScannedAndRemovedWithRegistryRowsUndoable) {
  const std::wstring logs = folder.folder(L"app\\logs");
  const std::wstring a = folder.file(L"app\\logs\\a.log"), b = folder.file(L"app\\logs\\deep\\b.log");
  const std::wstring kept = folder.file(L"app\\logs\\keep.txt");
  TempKey key(L"rulekeys");
  {
    const std::unique_ptr<RegKey> k = Reg().createKey(RegRoot::CurrentUser, key.path());
    ASSERT_TRUE(k && k->writeInteger(L"Name", 1) && k->writeInteger(L"Other", 2));
    ASSERT_TRUE(Reg().createKey(RegRoot::CurrentUser, key.path() + L"\\Sub"));
  }
  const std::string k = "HKCU\\" + ToUtf8(key.path());
  read(writeRules("[Files *]\r\nLangSecRef=3021\r\nFileKey1=" + ToUtf8(logs) + "|*.log|RECURSE\r\n"
                  "[Keys *]\r\nLangSecRef=3025\r\nRegKey1=" + k + "|Name\r\nRegKey2=" + k + "\\Sub\r\n"
                  "[Refused *]\r\nLangSecRef=3025\r\nFileKey1=%WinDir%|*.log\r\n"
                  "[Unticked *]\r\nLangSecRef=3025\r\nFileKey1=" + ToUtf8(logs) + "|*.txt\r\n"));
  for (const wchar_t* entry : {L"Files", L"Keys", L"Refused"}) daily().itemList.setChecked(row(entry), true);
  daily().scanButton.click();

  std::vector<std::vector<std::wstring>> shown;
  for (const ListRow& r : daily().resultModel.rows()) shown.push_back({r.caption, r.column(1), r.column(2)});
  const std::wstring regPath = L"HKEY_CURRENT_USER\\" + key.path();
  const std::wstring windows = ExcludeTrailingBackslash(Sh().windowsFolder());
  // "Windows" (Keys, Refused) is listed above "应用程序" (Files), though "Files" comes first in the file.
  ASSERT_LT(row(L"Windows"), row(L"应用程序"));
  EXPECT_EQ(shown, (std::vector<std::vector<std::wstring>>{
                       {regPath + L"|Name", L"注册表值", L"Keys"},
                       {regPath + L"\\Sub", L"注册表键", L"Keys"},
                       {windows, L"已拒绝", L"Refused（FileKey1 是Windows系统目录）"},
                       {a, FormatSize(1), L"Files"},
                       {b, FormatSize(1), L"Files"},
                   }));
  EXPECT_NE(form->statusLine.text().find(L"共 5 项"), std::wstring::npos);
  EXPECT_NE(form->statusLine.text().find(L"1 条规则"), std::wstring::npos);

  form->setBackupBase(folder / L"backup");
  daily().removal.modes.select(0);  // delete directly
  ScriptedMsgBox box;
  box.answer(IDOK);
  daily().deleteAllButton.click();
  ASSERT_EQ(box.shown().size(), 1u);
  EXPECT_EQ(box.shown()[0].heading, L"注册清理");
  EXPECT_FALSE(PathExists(a) || PathExists(b));
  EXPECT_TRUE(PathExists(kept));
  const std::unique_ptr<RegKey> after = Reg().openKeyReadOnly(RegRoot::CurrentUser, key.path());
  ASSERT_TRUE(after);
  EXPECT_FALSE(after->valueExists(L"Name"));
  EXPECT_TRUE(after->valueExists(L"Other"));
  EXPECT_FALSE(Reg().keyExists(RegRoot::CurrentUser, key.path() + L"\\Sub"));
  std::vector<std::wstring> undo;
  CollectFiles(folder / L"backup\\Registry", undo);
  EXPECT_TRUE(std::any_of(undo.begin(), undo.end(), [](const std::wstring& f) {
    return ExtractFileName(f).starts_with(L"RegUndo_");
  }));
  // The refused rule stays listed; nothing is left to clean.
  ASSERT_EQ(daily().resultModel.size(), 1u);
  EXPECT_EQ(daily().resultModel.at(0).column(1), L"已拒绝");
  EXPECT_EQ(form->statusLine.text(), kDailyCleanedText);
}

}  // namespace
}  // namespace wv::test
