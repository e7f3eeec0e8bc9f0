// Startup items: read, removed with their backups, listed by the manager, put back.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "cleaning/qdszline.h"
#include "platform/win32/win32_platform.h"
#include "registry/backup_fixtures.h"
#include "registry/bfglline.h"
#include "support/testsupport.h"

namespace wv {
namespace {

using test::CountingRun;
using test::TempFolder;

constexpr wchar_t kRunBase[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\";

// Values planted in the real Run keys under names of this run only, removed afterwards.
class PlantedRunValues {
 public:
  PlantedRunValues() : prefix_(L"WvTest" + std::to_wstring(GetCurrentProcessId()) + L"_") {}
  ~PlantedRunValues() {
    for (const auto& [root, key, name] : planted_) test::DeleteRawValue(root, key, name);
  }
  std::wstring name(std::wstring_view tag) const { return prefix_ + std::wstring(tag); }
  void text(HKEY root, std::wstring_view keyName, std::wstring_view tag, const std::wstring& data) {
    raw(root, keyName, tag, REG_SZ, Bytes(data));
  }
  void raw(HKEY root, std::wstring_view keyName, std::wstring_view tag, DWORD type, const std::vector<std::uint8_t>& data) {
    const std::wstring key = kRunBase + std::wstring(keyName);
    planted_.push_back({root, key, name(tag)});
    test::SetRawValue(root, key, name(tag), type, data.data(), data.size());
  }
  static std::vector<std::uint8_t> Bytes(const std::wstring& text) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.c_str());
    return {p, p + (text.size() + 1) * sizeof(wchar_t)};
  }
  std::optional<RegRawValue> get(HKEY root, std::wstring_view keyName, std::wstring_view tag) const {
    return test::GetRawValue(root, kRunBase + std::wstring(keyName), name(tag));
  }
  [[nodiscard]] bool ours(const StartupItem& item) const { return item.name.rfind(prefix_, 0) == 0; }

 private:
  std::wstring prefix_;
  std::vector<std::tuple<HKEY, std::wstring, std::wstring>> planted_;
};

std::vector<StartupItem> Read(const StartupSources& sources, const PlantedRunValues& values,
                              const std::vector<std::wstring>& fileNames) {
  CountingRun run;
  std::vector<StartupItem> items;
  ReadStartupItems(sources, run, [&](StartupItem item) {
    const bool planted = item.kind == StartupKind::Value
                             ? values.ours(item)
                             : std::find(fileNames.begin(), fileNames.end(), item.name) != fileNames.end();
    if (planted) items.push_back(std::move(item));
  });
  return items;
}

TEST(StartupItems, ReadInOrderWithTheirDataShownAndTheOddKeysLeftOut) {
  TempFolder user(L"startup user"), common(L"startup common");
  user.file(L"b.lnk", "user");
  user.file(L"desktop.ini", "[.ShellClassInfo]");
  user.folder(L"sub");
  common.file(L"a.exe", "common");
  PlantedRunValues values;
  values.text(HKEY_CURRENT_USER, L"Run", L"user", L"notepad.exe");
  values.text(HKEY_LOCAL_MACHINE, L"RunOnce", L"machine", L"\"C:\\Program Files\\x.exe\" /y");
  // Planted in name order: a key's values come in the order the system keeps them.
  values.raw(HKEY_CURRENT_USER, L"RunOnce", L"bytes", REG_BINARY, {1, 0xab});
  values.raw(HKEY_CURRENT_USER, L"RunOnce", L"number", REG_DWORD, {0x2a, 0, 0, 0});
  values.text(HKEY_CURRENT_USER, L"RunOnceEx", L"never", L"c:\\never.exe");
  values.text(HKEY_CURRENT_USER, L"RunServices", L"never2", L"c:\\never.exe");

  const StartupSources sources{user.path(), common.path(), L"C:\\windows\\system32"};
  const std::vector<StartupItem> items = Read(sources, values, {L"a.exe", L"b.lnk", L"desktop.ini", L"sub"});
  // Name, shown data, registry location (empty for files).
  const std::vector<std::tuple<std::wstring, std::wstring, std::wstring>> expected{
      {L"b.lnk", user.path(), L""},
      {L"a.exe", common.path(), L""},
      {values.name(L"machine"), L"\"C:\\Program Files\\x.exe\" /y",
       L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
      {values.name(L"user"), L"notepad.exe", L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {values.name(L"bytes"), L"hex:01,ab", L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
      {values.name(L"number"), L"dword:0000002a",
       L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
  };
  ASSERT_EQ(items.size(), expected.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(items[i].name, std::get<0>(expected[i]));
    EXPECT_EQ(items[i].location, std::get<1>(expected[i]));
    EXPECT_EQ(RegistryLocation(items[i]), std::get<2>(expected[i]));
  }
  EXPECT_EQ(items[0].iconPath, user / L"b.lnk");
  EXPECT_EQ(items[3].iconPath, L"C:\\windows\\system32\\notepad.exe");  // a bare name lives in the system folder
  EXPECT_EQ(items[2].iconPath, L"C:\\Program Files\\x.exe");
}

TEST(StartupItems, RemovedWithBackupsListedRestoredAndDeleted) {
  TempFolder user(L"su"), common(L"sc"), backup(L"autorun");
  const std::wstring autoRun = backup / L"AutoRun\\";
  ASSERT_TRUE(Fs().createFolderTree(backup / L"AutoRun"));
  user.file(L"tool.lnk", "user tool");
  user.file(L"same.lnk", "the user's");
  common.file(L"same.lnk", "everyone's");
  PlantedRunValues values;
  values.text(HKEY_CURRENT_USER, L"Run", L"cmd", L"\"C:\\a b\\x.exe\" /opt=1|2");
  values.text(HKEY_LOCAL_MACHINE, L"Run", L"machine", L"c:\\m.exe");
  values.text(HKEY_CURRENT_USER, L"Run", L"looks", L"dword:00000001");  // text that reads like a number
  values.raw(HKEY_CURRENT_USER, L"RunOnce", L"number", REG_DWORD, {0x2a, 0, 0, 0});
  values.raw(HKEY_CURRENT_USER, L"RunOnce", L"qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});

  const StartupSources sources{user.path(), common.path(), L""};
  const std::vector<std::wstring> files{L"tool.lnk", L"same.lnk"};
  std::vector<StartupItem> items = Read(sources, values, files);
  ASSERT_EQ(items.size(), 8u);
  std::map<std::wstring, std::optional<RegRawValue>> before;
  for (const wchar_t* tag : {L"cmd", L"looks"}) before[tag] = values.get(HKEY_CURRENT_USER, L"Run", tag);
  for (const wchar_t* tag : {L"number", L"qword"}) before[tag] = values.get(HKEY_CURRENT_USER, L"RunOnce", tag);
  before[L"machine"] = values.get(HKEY_LOCAL_MACHINE, L"Run", L"machine");

  for (auto it = items.rbegin(); it != items.rend(); ++it) EXPECT_TRUE(RemoveStartupItem(*it, autoRun)) << ToUtf8(it->name);
  EXPECT_TRUE(Read(sources, values, files).empty());
  // Both same-named files are kept: the earlier copy is never overwritten.
  EXPECT_EQ(test::ReadBytes(autoRun + L"same.lnk"), "everyone's");  // removed first (last row first)
  EXPECT_EQ(test::ReadBytes(autoRun + L"same (2).lnk"), "the user's");

  std::vector<BackupEntry> list = ListStartupBackups(autoRun);
  ASSERT_EQ(list.size(), 8u);
  EXPECT_EQ(std::count_if(list.begin(), list.end(), [](const BackupEntry& e) { return e.kind == BackupKind::StartupFile; }), 3);
  for (const BackupEntry& e : list) EXPECT_TRUE(e.present) << ToUtf8(e.key);

  const StartupRestoreResult restored = RestoreStartupEntries(list);
  EXPECT_FALSE(restored.missingCopy);
  EXPECT_TRUE(restored.failed.empty());
  EXPECT_EQ(restored.restored, 8);
  EXPECT_EQ(test::ReadBytes(user / L"tool.lnk"), "user tool");
  EXPECT_EQ(test::ReadBytes(common / L"same.lnk"), "everyone's");
  // The second copy comes back under the name it was kept as.
  EXPECT_EQ(test::ReadBytes(user / L"same (2).lnk"), "the user's");
  for (const auto& [keyName, tag] : {std::pair{L"Run", L"cmd"}, std::pair{L"Run", L"looks"},
                                     std::pair{L"RunOnce", L"number"}, std::pair{L"RunOnce", L"qword"}}) {
    SCOPED_TRACE(ToUtf8(tag));
    const std::optional<RegRawValue> now = values.get(HKEY_CURRENT_USER, keyName, tag);
    ASSERT_TRUE(now.has_value());
    EXPECT_EQ(now->type, before[tag]->type);
    EXPECT_EQ(now->data, before[tag]->data);
  }
  EXPECT_TRUE(values.get(HKEY_LOCAL_MACHINE, L"Run", L"machine").has_value());

  // Restoring again writes over what is there; deleting the backups leaves the items alone.
  test::WriteBytes(user / L"tool.lnk", "changed");
  const auto tool = std::find_if(list.begin(), list.end(), [](const BackupEntry& e) { return e.name == L"tool.lnk"; });
  ASSERT_NE(tool, list.end());
  EXPECT_EQ(RestoreStartupEntries({*tool}).restored, 1);
  EXPECT_EQ(test::ReadBytes(user / L"tool.lnk"), "user tool");
  DeleteBackupEntries(autoRun, list);
  EXPECT_TRUE(ListStartupBackups(autoRun).empty());
  EXPECT_FALSE(test::PathExists(autoRun + L"same.lnk"));
  EXPECT_FALSE(test::PathExists(autoRun + L"same (2).lnk"));
  EXPECT_EQ(Read(sources, values, {L"tool.lnk", L"same.lnk", L"same (2).lnk"}).size(), 8u);
}

TEST(StartupItems, ARestoreStopsAtAMissingCopyAndNamesRowsThatFailed) {
  TempFolder user(L"mu"), backup(L"missing");
  const std::wstring autoRun = backup.path() + L"\\";
  user.file(L"first.lnk", "1");
  user.file(L"second.lnk", "2");
  const StartupSources sources{user.path(), L"", L""};
  PlantedRunValues none;
  std::vector<StartupItem> items = Read(sources, none, {L"first.lnk", L"second.lnk"});
  ASSERT_EQ(items.size(), 2u);
  for (const StartupItem& item : items) ASSERT_TRUE(RemoveStartupItem(item, autoRun));
  std::vector<BackupEntry> list = ListStartupBackups(autoRun);
  ASSERT_EQ(list.size(), 2u);
  test::RemoveTree(list[1].file);
  const StartupRestoreResult r = RestoreStartupEntries(list);
  EXPECT_TRUE(r.missingCopy);
  EXPECT_EQ(r.restored, 1);
  EXPECT_TRUE(test::PathExists(list[0].key));
  EXPECT_FALSE(test::PathExists(list[1].key));

  // A value whose Run key cannot be opened is not restored, and says so.
  ASSERT_TRUE(WriteRecord(autoRun, kRegSection, L"HKEY_CURRENT_USER\\Software\\WindowsVantorraTests\\NoSuchKey|v|c:\\x.exe"));
  list = ListStartupBackups(autoRun);
  ASSERT_EQ(list.back().kind, BackupKind::StartupValue);
  const StartupRestoreResult v = RestoreStartupEntries({list.back()});
  EXPECT_EQ(v.restored, 0);
  EXPECT_EQ(v.failed, std::vector<std::wstring>{L"v"});
  EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, L"Software\\WindowsVantorraTests\\NoSuchKey"));
}

// Deletion fails for the one path: the item must stay, with no record and no copy.
class UndeletableFile : public Win32FileSystem {
 public:
  explicit UndeletableFile(std::wstring path) : path_(std::move(path)) {}
  bool deleteFile(std::wstring_view path) override {
    return EqualsNoCase(path, path_) ? false : Win32FileSystem::deleteFile(path);
  }

 private:
  std::wstring path_;
};

TEST(StartupItems, AnItemThatCannotBeRemovedKeepsNoBackup) {
  TempFolder user(L"stuck"), backup(L"stuckbackup");
  const std::wstring autoRun = backup.path() + L"\\";
  const std::wstring stuck = user.file(L"stuck.lnk", "s");
  UndeletableFile files(stuck);
  Substitute<FileSystem> swap(&Platform::files, files);
  StartupItem item;
  item.name = L"stuck.lnk";
  item.location = user.path();
  EXPECT_FALSE(RemoveStartupItem(item, autoRun));
  EXPECT_TRUE(test::PathExists(stuck));
  EXPECT_FALSE(test::PathExists(autoRun + L"stuck.lnk"));
  EXPECT_TRUE(ListStartupBackups(autoRun).empty());
}

}  // namespace
}  // namespace wv
