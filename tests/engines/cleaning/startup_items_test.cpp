// Startup items: read, removed with their backups into the registry's backup
// records, listed as the backup manager lists them, put back.
#include <gtest/gtest.h>

#include <algorithm>

#include "engines/cleaning/startup_items.h"
#include "engines/registry/backup_records.h"
#include "engines/registry/registry_fixtures.h"
#include "platform/win32/win32_platform.h"

namespace wv::test {
namespace {

const std::wstring kRun = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kTag = L"WvTest" + std::to_wstring(GetCurrentProcessId()) + L"_";

// The items this test planted: values named with its tag, files of the given names.
std::vector<StartupItem> Read(const StartupSources& sources, const std::vector<std::wstring>& fileNames) {
  ScanRun run;
  std::vector<StartupItem> items;
  ReadStartupItems(sources, run, [&](StartupItem item) {
    if (item.kind == StartupKind::Value ? item.name.starts_with(kTag)
                                        : std::ranges::find(fileNames, item.name) != fileNames.end())
      items.push_back(std::move(item));
  });
  return items;
}

TEST(StartupItems, ReadInOrderWithTheirDataShownAndTheOddKeysLeftOut) {
  TempFolder user(L"startup user"), common(L"startup common");
  for (const wchar_t* name : {L"b.lnk", L"desktop.ini"}) user.file(name);
  user.folder(L"sub");
  common.file(L"a.exe");
  PlantedRegistry plant;
  plant.text(kCU, kRun, kTag + L"user", L"notepad.exe");
  plant.text(kLM, kRun + L"Once", kTag + L"machine", L"\"C:\\Program Files\\x.exe\" /y");
  // PlantedRegistry in name order: a key's values come in the order the system keeps them.
  plant.raw(kCU, kRun + L"Once", kTag + L"bytes", {REG_BINARY, {1, 0xab}});
  plant.integer(kCU, kRun + L"Once", kTag + L"number", 0x2a);
  for (const wchar_t* tail : {L"OnceEx", L"Services"}) plant.text(kCU, kRun + tail, kTag + L"never", L"c:\\never.exe");

  const std::vector<StartupItem> items =
      Read({user.path(), common.path(), L"C:\\windows\\system32"}, {L"a.exe", L"b.lnk", L"desktop.ini", L"sub"});
  const std::wstring cu = L"HKEY_CURRENT_USER" + kRun;
  // Name, shown data, registry location (empty for files), icon.
  const std::vector<std::tuple<std::wstring, std::wstring, std::wstring, std::wstring>> expected{
      {L"b.lnk", user.path(), L"", user / L"b.lnk"},
      {L"a.exe", common.path(), L"", common / L"a.exe"},
      {kTag + L"machine", L"\"C:\\Program Files\\x.exe\" /y", L"HKEY_LOCAL_MACHINE" + kRun + L"Once",
       L"C:\\Program Files\\x.exe"},
      {kTag + L"user", L"notepad.exe", cu, L"C:\\windows\\system32\\notepad.exe"},  // a bare name: the system folder
      {kTag + L"bytes", L"hex:01,ab", cu + L"Once", L""},
      {kTag + L"number", L"dword:0000002a", cu + L"Once", L""},
  };
  ASSERT_EQ(items.size(), expected.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    const auto& [name, shown, location, icon] = expected[i];
    EXPECT_EQ(std::tie(items[i].name, items[i].location), std::tie(name, shown)) << i;
    EXPECT_TRUE(RegistryLocation(items[i]) == location && (icon.empty() || items[i].iconPath == icon)) << i;
  }
}

TEST(StartupItems, RemovedWithBackupsListedRestoredAndDeleted) {
  TempFolder user(L"su"), common(L"sc"), backup(L"autorun");
  const std::wstring autoRun = backup.folder(L"AutoRun") + L"\\";
  user.file(L"tool.lnk", "user tool");
  user.file(L"same.lnk", "the user's");
  common.file(L"same.lnk", "everyone's");
  PlantedRegistry plant;
  const std::tuple<RegRoot, std::wstring, std::wstring, RegRawValue> values[] = {
      {kCU, kRun, kTag + L"cmd", {REG_SZ, TextBytes(L"\"C:\\a b\\x.exe\" /opt=1|2")}},
      {kLM, kRun, kTag + L"machine", {REG_SZ, TextBytes(L"c:\\m.exe")}},
      {kCU, kRun, kTag + L"looks", {REG_SZ, TextBytes(L"dword:00000001")}},  // text that reads like a number
      {kCU, kRun + L"Once", kTag + L"number", {REG_DWORD, {0x2a, 0, 0, 0}}},
      {kCU, kRun + L"Once", kTag + L"qword", {REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}}},
  };
  for (const auto& [root, key, name, value] : values) plant.raw(root, key, name, value);
  const StartupSources sources{user.path(), common.path(), L""};
  const std::vector<StartupItem> items = Read(sources, {L"tool.lnk", L"same.lnk"});
  ASSERT_EQ(items.size(), 8u);

  for (auto it = items.rbegin(); it != items.rend(); ++it) EXPECT_TRUE(RemoveStartupItem(*it, autoRun)) << ToUtf8(it->name);
  EXPECT_TRUE(Read(sources, {L"tool.lnk", L"same.lnk"}).empty());
  // Both same-named files are kept: the earlier copy (the common one, last row first) is never overwritten.
  EXPECT_EQ(ReadBytes(autoRun + L"same.lnk") + "|" + ReadBytes(autoRun + L"same (2).lnk"), "everyone's|the user's");

  const std::vector<BackupEntry> list = ListStartupBackups(autoRun);
  ASSERT_EQ(list.size(), 8u);
  EXPECT_EQ(std::ranges::count(list, BackupKind::StartupFile, &BackupEntry::kind), 3);
  for (const BackupEntry& e : list) EXPECT_TRUE(e.present) << ToUtf8(e.key);
  const StartupRestoreResult restored = RestoreStartupEntries(list, sources);
  EXPECT_TRUE(!restored.missingCopy && restored.failed.empty() && restored.restored == 8);
  EXPECT_EQ(ReadBytes(user / L"tool.lnk") + "|" + ReadBytes(common / L"same.lnk"), "user tool|everyone's");
  EXPECT_EQ(ReadBytes(user / L"same (2).lnk"), "the user's");  // back under the name it was kept as
  for (const auto& [root, key, name, value] : values) EXPECT_EQ(RawValue(root, key, name), value) << ToUtf8(name);

  // Restoring again writes over what is there; deleting the backups leaves the items alone.
  WriteBytes(user / L"tool.lnk", "changed");
  const auto tool = std::ranges::find(list, L"tool.lnk", &BackupEntry::name);
  ASSERT_NE(tool, list.end());
  EXPECT_TRUE(RestoreStartupEntries({*tool}, sources).restored == 1 && ReadBytes(user / L"tool.lnk") == "user tool");
  EXPECT_TRUE(DeleteBackupEntries(autoRun, list).empty());
  EXPECT_TRUE(ListStartupBackups(autoRun).empty() && !PathExists(autoRun + L"same.lnk") &&
              !PathExists(autoRun + L"same (2).lnk"));
  EXPECT_EQ(Read(sources, {L"tool.lnk", L"same.lnk", L"same (2).lnk"}).size(), 8u);
}

// A missing copy stops the restore where it stands; a value that cannot be put back is named.
TEST(StartupItems, ARestoreStopsAtAMissingCopyAndNamesRowsThatFailed) {
  TempFolder user(L"mu"), backup(L"missing");
  const std::wstring autoRun = backup.path() + L"\\";
  for (const wchar_t* name : {L"1.lnk", L"2.lnk", L"3.lnk"}) user.file(name);
  const StartupSources sources{user.path(), L"", L""};
  for (const StartupItem& item : Read(sources, {L"1.lnk", L"2.lnk", L"3.lnk"}))
    ASSERT_TRUE(RemoveStartupItem(item, autoRun));
  std::vector<BackupEntry> list = ListStartupBackups(autoRun);
  ASSERT_EQ(list.size(), 3u);
  RemoveTree(list[1].file);
  const StartupRestoreResult r = RestoreStartupEntries(list, sources);
  EXPECT_TRUE(r.missingCopy && r.restored == 1);
  EXPECT_TRUE(PathExists(list[0].key) && !PathExists(list[1].key) && !PathExists(list[2].key));

  ASSERT_TRUE(WriteRecord(autoRun, kRegSection, L"HKEY_CURRENT_USER\\Software\\WindowsVantorraTests\\NoSuchKey|v|c:\\x.exe"));
  list = ListStartupBackups(autoRun);
  ASSERT_EQ(list.back().kind, BackupKind::StartupValue);
  const StartupRestoreResult v = RestoreStartupEntries({list.back()}, sources);
  EXPECT_TRUE(v.restored == 0 && v.refused == std::vector<std::wstring>{list.back().key});  // no Run key
  EXPECT_FALSE(Reg().keyExists(kCU, L"\\Software\\WindowsVantorraTests\\NoSuchKey"));
}

// Deletion fails for the one file: the item stays, with no record and no copy.
TEST(StartupItems, AnItemThatCannotBeRemovedKeepsNoBackup) {
  struct Undeletable : Win32FileSystem {
    std::wstring path;
    SysResult deleteFile(std::wstring_view p) override {
      return EqualsNoCase(p, path) ? SysResult(ERROR_ACCESS_DENIED) : Win32FileSystem::deleteFile(p);
    }
  } files;
  TempFolder user(L"stuck"), backup(L"stuckbackup");
  const std::wstring autoRun = backup.path() + L"\\", stuck = files.path = user.file(L"stuck.lnk");
  Substitute<FileSystem> swap(&Platform::files, files);
  StartupItem item;
  std::tie(item.name, item.location) = std::tuple(L"stuck.lnk", user.path());
  EXPECT_FALSE(RemoveStartupItem(item, autoRun));
  EXPECT_TRUE(PathExists(stuck) && !PathExists(autoRun + L"stuck.lnk") && ListStartupBackups(autoRun).empty());
}

// Every removed value comes back exactly: its type (an expandable string stays
// one), every character (beyond the ANSI code page too), data holding "|", "=",
// line breaks, blanks at an end or text that reads like the record's own
// notation. A name the record cannot tell apart again ("|", a line break) stays
// where it is, with no record.
TEST(StartupItems, AValueComesBackWithItsTypeAndEveryCharacter) {
  TempFolder backup(L"exact");
  const std::wstring autoRun = backup.path() + L"\\";
  PlantedRegistry plant;
  const std::pair<std::wstring, RegRawValue> values[] = {
      {kTag + L"expand", {REG_EXPAND_SZ, TextBytes(L"%SystemRoot%\\system32\\x.exe /a")}},
      {kTag + L"pipe", {REG_SZ, TextBytes(L"c:\\pipe.exe /a|b")}},
      {kTag + L"eq=ual", {REG_SZ, TextBytes(L"c:\\x.exe /opt = 1 /k=v")}},
      {kTag + L"break", {REG_SZ, TextBytes(L"c:\\a.exe\r\n/second line")}},
      {kTag + L" padded ", {REG_SZ, TextBytes(L"  c:\\padded.exe  ")}},
      {kTag + L"hex(1):41,00", {REG_SZ, TextBytes(L"hex:01,02")}},
      {kTag + L"中文😀", {REG_SZ, TextBytes(L"C:\\程序\\😀.exe")}},
      {kTag + L"nul", {REG_SZ, TextBytes(std::wstring_view(L"a\0b", 3))}},
      {kTag + L"bare", {REG_SZ, TextBytes(L"no end", false)}},
  };
  const std::pair<std::wstring, RegRawValue> kept[] = {
      {kTag + L"a|b", {REG_SZ, TextBytes(L"c:\\pipe.exe")}},
      {kTag + L"line\r\nbreak", {REG_SZ, TextBytes(L"c:\\a.exe")}},
  };
  for (const auto& [name, value] : values) plant.raw(kCU, kRun, name, value);
  for (const auto& [name, value] : kept) plant.raw(kCU, kRun, name, value);
  const StartupSources sources{L"", L"", L""};
  const std::vector<StartupItem> items = Read(sources, {});
  ASSERT_EQ(items.size(), std::size(values) + std::size(kept));
  for (const StartupItem& item : items) {
    const bool keeps = std::ranges::any_of(kept, [&](const auto& k) { return k.first == item.name; });
    EXPECT_EQ(static_cast<bool>(RemoveStartupItem(item, autoRun)), !keeps) << ToUtf8(item.name);
  }
  for (const auto& [name, value] : values) EXPECT_FALSE(RawValue(kCU, kRun, name)) << ToUtf8(name);
  for (const auto& [name, value] : kept) EXPECT_EQ(RawValue(kCU, kRun, name), value) << ToUtf8(name);
  const std::vector<BackupEntry> list = ListStartupBackups(autoRun);
  ASSERT_EQ(list.size(), std::size(values));
  std::vector<std::wstring> names;
  for (const BackupEntry& e : list) names.push_back(e.name);
  for (const auto& [name, value] : values) EXPECT_NE(std::ranges::find(names, name), names.end()) << ToUtf8(name);
  const StartupRestoreResult restored = RestoreStartupEntries(list, sources);
  EXPECT_EQ(restored.restored, static_cast<int>(std::size(values)));
  for (const auto& [name, value] : values) EXPECT_EQ(RawValue(kCU, kRun, name), value) << ToUtf8(name);
  const std::string record = ReadBytes(autoRun + L"BackupInfo.ZINF");
  EXPECT_TRUE(record.size() >= 2 && record[0] == '\xFF' && record[1] == '\xFE') << "a new record file is UTF-16";
}

// Removed, restored and removed again, a file keeps one backup and one record:
// restoring everything never brings back two copies that both start at logon.
TEST(StartupItems, RemovingARestoredFileAgainKeepsOneBackup) {
  TempFolder user(L"again"), backup(L"againbackup");
  const std::wstring autoRun = backup.path() + L"\\";
  user.file(L"tool.lnk", "first");
  const StartupSources sources{user.path(), L"", L""};
  for (const char* content : {"first", "second"}) {
    WriteBytes(user / L"tool.lnk", content);
    const std::vector<StartupItem> items = Read(sources, {L"tool.lnk"});
    ASSERT_EQ(items.size(), 1u);
    ASSERT_TRUE(RemoveStartupItem(items[0], autoRun));
    const std::vector<BackupEntry> list = ListStartupBackups(autoRun);
    ASSERT_EQ(list.size(), 1u) << content;
    ASSERT_EQ(RestoreStartupEntries(list, sources).restored, 1);
    EXPECT_EQ(ReadBytes(user / L"tool.lnk"), content) << "the newest backup comes back";
  }
  WIN32_FIND_DATAW fd;
  int files = 0;
  for (UniqueFind find(FindFirstFileW((user / L"*.lnk").c_str(), &fd)); find.valid() && ++files && FindNextFileW(find.get(), &fd);) {
  }
  EXPECT_EQ(files, 1);
}

// An older record file in the ANSI code page keeps what it lists and takes entries
// of any character from then on.
TEST(StartupItems, AnOlderAnsiRecordFileKeepsItsEntriesAndTakesAnyCharacter) {
  TempFolder user(L"ansi"), backup(L"ansibackup");
  const std::wstring autoRun = backup.path() + L"\\";
  WriteBytes(autoRun + L"BackupInfo.ZINF", "[RegBackup]\r\nHKEY_CURRENT_USER\\Software\\Old|old|c:\\old.exe=2020-01-01|Windows XP\r\n");
  user.file(L"😀 tool.lnk", "smile");
  const StartupSources sources{user.path(), L"", L""};
  const std::vector<StartupItem> items = Read(sources, {L"😀 tool.lnk"});
  ASSERT_EQ(items.size(), 1u);
  ASSERT_TRUE(RemoveStartupItem(items[0], autoRun));
  const std::vector<BackupEntry> list = ListStartupBackups(autoRun);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_TRUE(list[0].name == L"😀 tool.lnk" && list[0].present);
  EXPECT_EQ(list[1].name + L"|" + list[1].date, L"old|2020-01-01");
  ASSERT_EQ(RestoreStartupEntries({list[0]}, sources).restored, 1);
  EXPECT_EQ(ReadBytes(user / L"😀 tool.lnk"), "smile");
}

// A record naming a file outside the startup folders, or a key that is no Run
// key, is refused: nothing is written there.
TEST(StartupItems, ARestoreWritesOnlyWhereStartupItemsLive) {
  TempFolder user(L"places"), elsewhere(L"elsewhere"), backup(L"placesbackup");
  TempKey other(L"notrun");
  const std::wstring autoRun = backup.path() + L"\\";
  backup.file(L"evil.lnk", "evil");
  backup.file(L"good.lnk", "good");
  const std::wstring otherKey = L"HKEY_CURRENT_USER\\" + other.path();
  PlantedRegistry plant;
  plant.text(kCU, kRun, kTag + L"run", L"c:\\run.exe");  // so that the Run key's value is planted and removed again
  WriteBytes(autoRun + L"BackupInfo.ZINF",
             ToUtf8(L"[FileBackup]\r\n" + elsewhere.path() + L"\\evil.lnk=2026-12-05|x\r\n" + user.path() +
                    L"\\good.lnk=2026-12-05|x\r\n[RegBackup]\r\n" + otherKey + L"|v|c:\\evil.exe=2026-12-05|x\r\n"
                    L"HKEY_CURRENT_USER" + kRun + L"|" + kTag + L"run|c:\\restored.exe=2026-12-05|x\r\n"));
  const std::vector<BackupEntry> list = ListStartupBackups(autoRun);
  ASSERT_EQ(list.size(), 4u);
  const StartupRestoreResult r = RestoreStartupEntries(list, {user.path(), L"", L""});
  EXPECT_FALSE(PathExists(elsewhere / L"evil.lnk"));
  EXPECT_FALSE(RawValue(kCU, other.path(), L"v").has_value());
  EXPECT_EQ(ReadBytes(user / L"good.lnk"), "good");
  EXPECT_EQ(RawValue(kCU, kRun, kTag + L"run"), (RegRawValue{REG_SZ, TextBytes(L"c:\\restored.exe")}));
  EXPECT_EQ(r.restored, 2);
  EXPECT_EQ(r.refused, (std::vector<std::wstring>{elsewhere.path() + L"\\evil.lnk", otherKey + L"|v|c:\\evil.exe"}));
}

}  // namespace
}  // namespace wv::test
