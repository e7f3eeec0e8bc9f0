// The rule file's ticked entries in a clean without the window, over a planted
// tree, a registry key and a rule file of the test's own: listed by entry and
// key, files removed with the daily rows, registry rows only after their undo
// file, refused rules and what cannot go safely kept with the reason.
#include <gtest/gtest.h>

#include <algorithm>

#include "engines/cleaning/cleaning_fixtures.h"
#include "engines/unattended/unattended_clean.h"

namespace wv::test {
namespace {

class UnattendedRuleFile : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::unique_ptr<RegKey> k = Reg().createKey(RegRoot::CurrentUser, key.path());
    ASSERT_TRUE(k && k->writeInteger(L"Name", 1) && k->writeInteger(L"Other", 2));
    ASSERT_TRUE(Reg().createKey(RegRoot::CurrentUser, key.path() + L"\\Sub"));
    const std::string hkcu = "HKCU\\" + ToUtf8(key.path());
    WriteBytes(ruleFile, "[Files *]\r\nLangSecRef=3021\r\nFileKey1=" + ToUtf8(logs) + "|*.log|RECURSE\r\n"
                      "[Keys *]\r\nLangSecRef=3025\r\nRegKey1=" + hkcu + "|Name\r\nRegKey2=" + hkcu + "\\Sub\r\n"
                      "[Refused *]\r\nLangSecRef=3025\r\nFileKey1=%WinDir%|*.log\r\n"
                      "[Unticked *]\r\nLangSecRef=3025\r\nFileKey1=" + ToUtf8(logs) + "|*.txt\r\n"
                      "[Absent *]\r\nLangSecRef=3025\r\nDetect=" + hkcu + "\\Absent\r\nFileKey1=" + ToUtf8(logs) +
                      "|*.txt\r\n");
  }

  // The user's folder lists a.log first; the entries run after it; the junk scan
  // of the tree lists what neither lists.
  UnattendedRequest request(std::vector<std::wstring> ticked = {L"Files *", L"Keys *", L"Refused *", L"Absent *"}) {
    UnattendedRequest r;
    DailyScanInput daily;
    daily.items = {false, false, false, false, true};
    daily.userFolders = {{true, logs, true, true, L"a.log"}};
    r.daily = std::move(daily);
    r.dailyPart = {L"文件日常清理", {L"Windows临时文件夹", L"文档访问历史记录", L"系统操作日志", L"软件使用日志", L"用户自定"},
                   {.mode = RemovalMode::DeleteDirectly}};
    UnattendedRules& rules = r.rules.emplace();
    rules.file = ruleFile;
    rules.ticked = std::move(ticked);
    rules.folders = RuleFolders({{L"WinDir", {windows}}});
    rules.protection = ProtectedFolders({{windows, FolderProtection::SystemFolder}});
    rules.registryBackupFolder = t / L"backup\\Registry\\";
    JunkScanInput junk;
    junk.mode = JunkScanMode::ChosenFolder;
    junk.folder = t / L"app";
    junk.masks = {L"*.log"};
    r.junk = std::move(junk);
    r.junkPart = {L"磁盘文件清理", {}, {.mode = RemovalMode::DeleteDirectly}};
    return r;
  }

  // Each row as "action | rule | path | reason".
  static std::vector<std::wstring> Rows(const UnattendedOutcome& o) {
    std::vector<std::wstring> out;
    for (const ReportRow& r : o.rows)
      out.push_back(std::wstring(ReportActionText(r.action)) + L" | " + r.rule + L" | " + r.path + L" | " + r.reason);
    return out;
  }

  bool valueThere(std::wstring_view name) {
    const std::unique_ptr<RegKey> k = Reg().openKeyReadOnly(RegRoot::CurrentUser, key.path());
    return k && k->valueExists(name);
  }

  Planted t{L"ucrules"};
  TempKey key{L"ucrulekeys"};
  std::wstring logs = t.folder(L"app\\logs");
  std::wstring windows = t.folder(L"Windows");
  std::wstring a = t.file(L"app\\logs\\a.log"), b = t.file(L"app\\logs\\deep\\b.log"), txt = t.file(L"app\\logs\\keep.txt"),
               other = t.file(L"app\\other.log"), inWindows = t.file(L"Windows\\w.log");
  std::wstring ruleFile = t / L"rules.ini";
  std::wstring regPath = L"HKEY_CURRENT_USER\\" + key.path();
  FakeRun run;
};

// A preview lists each entry's rows after the daily ones, by entry and key, a
// path the user's folder listed not again, a refused rule kept with its reason,
// unticked and undetected entries not at all; the clean then removes files and
// registry rows alike, the registry after its undo file, and the refused stays.
TEST_F(UnattendedRuleFile, TickedEntriesAreListedByEntryAndKeyAndCleanedAfterTheUndoFile) {
  UnattendedRequest r = request();
  r.preview = true;
  const UnattendedOutcome preview = RunUnattendedClean(r, run);
  const std::vector<std::wstring> listed = {
      L"将删除 | 用户自定：" + logs + L" a.log | " + a + L" | ",
      L"将删除 | winapp2.ini [Files *] FileKey1 | " + b + L" | ",
      L"将删除 | winapp2.ini [Keys *] RegKey1 | " + regPath + L"|Name | ",
      L"将删除 | winapp2.ini [Keys *] RegKey2 | " + regPath + L"\\Sub | ",
      L"保留 | winapp2.ini [Refused *] FileKey1 | " + windows + L" | 规则被拒绝：该目录是Windows系统目录",
      L"将删除 | *.log | " + other + L" | ",
  };
  EXPECT_EQ(Rows(preview), listed);
  EXPECT_EQ(preview.listed, 5u);
  EXPECT_EQ(preview.kept, 1u);
  for (const std::wstring& p : {a, b, txt, other, inWindows}) EXPECT_TRUE(PathExists(p)) << ToUtf8(p);
  EXPECT_TRUE(valueThere(L"Name") && Reg().keyExists(RegRoot::CurrentUser, key.path() + L"\\Sub"));
  EXPECT_FALSE(PathExists(t / L"backup"));

  r.preview = false;
  const UnattendedOutcome clean = RunUnattendedClean(r, run);
  std::vector<std::wstring> removed = listed;
  for (std::wstring& row : removed)
    if (row.starts_with(L"将删除")) row.replace(0, 3, L"已删除");
  EXPECT_EQ(Rows(clean), removed);
  EXPECT_EQ(clean.removed, 5u);
  EXPECT_EQ(clean.kept, 1u);
  EXPECT_FALSE(PathExists(a) || PathExists(b) || PathExists(other));
  EXPECT_TRUE(PathExists(txt) && PathExists(inWindows));
  EXPECT_FALSE(valueThere(L"Name"));
  EXPECT_TRUE(valueThere(L"Other"));
  EXPECT_FALSE(Reg().keyExists(RegRoot::CurrentUser, key.path() + L"\\Sub"));
  // The undo file holds what went, in the backup base's registry folder.
  ASSERT_FALSE(clean.undoFile.empty());
  EXPECT_TRUE(StartsWithNoCase(clean.undoFile, t / L"backup\\Registry\\RegUndo_")) << ToUtf8(clean.undoFile);
  const std::string undo = ReadBytes(clean.undoFile);
  const std::wstring undoText(reinterpret_cast<const wchar_t*>(undo.data()), undo.size() / sizeof(wchar_t));
  EXPECT_NE(undoText.find(L"\"Name\"=dword:00000001"), std::wstring::npos);
  EXPECT_NE(undoText.find(L"[" + regPath + L"\\Sub]"), std::wstring::npos);
}

// Without its undo file no registry row may go, and as on the page nothing
// else of the daily part goes either; the junk part is cleaned on its own. A
// registry entry changed between the listing and the removal stays.
TEST_F(UnattendedRuleFile, WhatCannotGoSafelyIsKeptWithItsReason) {
  UnattendedRequest r = request({L"Files *", L"Keys *"});
  const std::wstring blocker = t.file(L"blocker");
  r.rules->registryBackupFolder = blocker + L"\\Registry\\";  // below a file: never made
  const UnattendedOutcome blocked = RunUnattendedClean(r, run);
  ASSERT_EQ(blocked.rows.size(), 5u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(blocked.rows[i].action, ReportAction::Kept) << ToUtf8(blocked.rows[i].path);
    EXPECT_TRUE(blocked.rows[i].reason.starts_with(kUndoNotWritten)) << ToUtf8(blocked.rows[i].reason);
  }
  EXPECT_EQ(blocked.rows[4].path, other);
  EXPECT_EQ(blocked.rows[4].action, ReportAction::Removed);
  EXPECT_TRUE(blocked.undoFile.empty());
  EXPECT_TRUE(PathExists(a) && PathExists(b) && valueThere(L"Name"));
  EXPECT_TRUE(Reg().keyExists(RegRoot::CurrentUser, key.path() + L"\\Sub"));

  r = request({L"Keys *"});
  r.onListed = [&](std::size_t, std::uint64_t) {
    const std::unique_ptr<RegKey> k = Reg().openKey(RegRoot::CurrentUser, key.path());
    ASSERT_TRUE(k && k->writeInteger(L"Name", 7));
  };
  const UnattendedOutcome changed = RunUnattendedClean(r, run);
  const auto at = [&](const std::wstring& path) {
    return std::find_if(changed.rows.begin(), changed.rows.end(), [&](const ReportRow& row) { return row.path == path; });
  };
  ASSERT_NE(at(regPath + L"|Name"), changed.rows.end());
  EXPECT_EQ(at(regPath + L"|Name")->action, ReportAction::Kept);
  EXPECT_EQ(at(regPath + L"|Name")->reason, kRegistryChanged);
  ASSERT_NE(at(regPath + L"\\Sub"), changed.rows.end());
  EXPECT_EQ(at(regPath + L"\\Sub")->action, ReportAction::Removed);
  EXPECT_TRUE(valueThere(L"Name"));
  EXPECT_FALSE(changed.undoFile.empty());
}

// Ticked entries in a rule file that cannot be read are a kept row naming the
// file, and everything else is cleaned; with no entry ticked the file is not
// even looked for.
TEST_F(UnattendedRuleFile, AnUnreadableRuleFileIsAKeptRowAndTheRestIsCleaned) {
  UnattendedRequest r = request({L"Files *", L"Keys *"});
  r.rules->file = t / L"missing\\Winapp2.ini";
  r.junk.reset();
  const UnattendedOutcome o = RunUnattendedClean(r, run);
  ASSERT_EQ(o.rows.size(), 2u);
  EXPECT_EQ(o.rows[0].path, a);
  EXPECT_EQ(o.rows[0].action, ReportAction::Removed);
  EXPECT_EQ(o.rows[1].rule, L"winapp2.ini");
  EXPECT_EQ(o.rows[1].path, t / L"missing\\Winapp2.ini");
  EXPECT_EQ(o.rows[1].action, ReportAction::Kept);
  EXPECT_TRUE(o.rows[1].reason.starts_with(L"无法读取规则文件")) << ToUtf8(o.rows[1].reason);
  EXPECT_NE(o.rows[1].reason.find(L"勾选的 2 项规则没有运行"), std::wstring::npos) << ToUtf8(o.rows[1].reason);
  EXPECT_EQ(o.kept, 1u);
  EXPECT_TRUE(PathExists(b) && valueThere(L"Name"));

  r = request({});
  r.rules->file = t / L"missing\\Winapp2.ini";
  r.junk.reset();
  t.file(L"app\\logs\\a.log");
  const UnattendedOutcome none = RunUnattendedClean(r, run);
  EXPECT_EQ(none.kept, 0u);
  ASSERT_EQ(none.rows.size(), 1u);
  EXPECT_EQ(none.rows[0].path, a);
}

}  // namespace
}  // namespace wv::test
