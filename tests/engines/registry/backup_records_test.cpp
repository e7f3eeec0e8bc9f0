// The record file of a backup folder: its entries listed in order, each file
// looked for in the record's own folder, and deleted with the file it names.
#include <gtest/gtest.h>

#include "engines/registry/backup_records.h"
#include "engines/registry/registry_fixtures.h"

namespace wv::test {
namespace {

// Records list in their order, each file looked for in the record's own folder only;
// deleting them touches nothing elsewhere, and a record whose file is gone goes too.
TEST(BackupRecord, ListedAndDeletedOnlyInTheirOwnFolder) {
  TempFolder reg(L"reglist"), elsewhere(L"elsewhere");
  reg.file(L"Reg_1.reg", std::string(3000, 'r'));
  const std::wstring own = reg.file(L"Reg_5.reg", "own"), victim = elsewhere.file(L"Reg_5.reg", "keep me");
  WriteBytes(reg / L"BackupInfo.ZINF", ToUtf8(L"[FileBackup]\r\nC:\\OLD~1\\Registry\\Reg_1.reg=2026-12-05|Windows 7 SP1\r\n"
                                              L"C:\\OLD~1\\Registry\\Reg_3.reg.ZCOM=2026-12-07|\r\n" +
                                              victim + L"=2020-01-01|Windows XP\r\n"));
  // Name, date, system, archive, present, size.
  const std::tuple<std::wstring, std::wstring, std::wstring, bool, bool, std::uint64_t> expected[] = {
      {L"Reg_1.reg", L"2026-12-05", L"Windows 7 SP1", false, true, 3000},
      {L"Reg_3.reg.ZCOM", L"2026-12-07", L"", true, false, 0},
      {L"Reg_5.reg", L"2020-01-01", L"Windows XP", false, true, 3},
  };
  std::vector<BackupEntry> list = ListRegistryBackups(reg.path() + L"\\");
  ASSERT_EQ(list.size(), std::size(expected));
  for (std::size_t i = 0; i < list.size(); ++i) {
    const BackupEntry& e = list[i];
    EXPECT_EQ(std::tie(e.name, e.date, e.system, e.archive, e.present, e.size), expected[i]) << i;
    EXPECT_EQ(e.file, reg / e.name);
  }
  EXPECT_TRUE(ListRegistryBackups(elsewhere.path()).empty());  // no record file
  DeleteBackupEntries(reg.path(), {list[2]});
  EXPECT_TRUE(!PathExists(own) && ListRegistryBackups(reg.path()).size() == 2u);
  DeleteBackupEntries(reg.path(), list);
  EXPECT_TRUE(ListRegistryBackups(reg.path()).empty() && !PathExists(reg / L"Reg_1.reg"));
  EXPECT_EQ(ReadBytes(victim), "keep me");
}

TEST(BackupRecord, StartupEntriesSplitAtTheLastEqualsAndTheLeadingRoot) {
  TempFolder run(L"autorun");
  WriteBytes(run / L"BackupInfo.ZINF", ToUtf8(L"[RegBackup]\r\nHKEY_CURRENT_USER\\Software\\Run|a=b|\"C:\\x.exe\" "
                                              L"/set=1 HKEY_LOCAL_MACHINE=2026-12-05|Windows 7\r\n"
                                              L"[FileBackup]\r\nC:\\Startup\\gone=x.lnk=2026-12-04|Windows 7\r\n"));
  const std::vector<BackupEntry> list = ListStartupBackups(run.path());
  ASSERT_EQ(list.size(), 2u);  // files first, whatever the order of the sections
  EXPECT_EQ(std::tie(list[0].kind, list[0].name, list[0].present), std::tuple(BackupKind::StartupFile, L"gone=x.lnk", false));
  EXPECT_EQ(std::tie(list[1].kind, list[1].name, list[1].date), std::tuple(BackupKind::StartupValue, L"a=b", L"2026-12-05"));
  StartupValueRecord r;
  ASSERT_TRUE(ParseStartupValueKey(list[1].key, r));
  EXPECT_FALSE(r.localMachine);  // the other root's name in the command changes nothing
  EXPECT_EQ(r.keyPath + L"|" + r.data, L"\\Software\\Run|\"C:\\x.exe\" /set=1 HKEY_LOCAL_MACHINE");
  EXPECT_FALSE(ParseStartupValueKey(L"\\Software\\Run|n|d", r));  // no root named
  EXPECT_FALSE(ParseStartupValueKey(L"HKEY_CURRENT_USER\\Software\\Run|only a name", r));
  DeleteBackupEntries(run.path(), list);  // entries whose keys hold "=" can be deleted too
  EXPECT_TRUE(ListStartupBackups(run.path()).empty());
}

}  // namespace
}  // namespace wv::test
