// The record file and what the backup manager does with its entries.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "registry/backup_fixtures.h"
#include "registry/bfglline.h"
#include "support/testsupport.h"

namespace wv {
namespace {

using test::TempFolder;

// Writes the record file as the system would have stored it (ANSI lines).
void PlantRecord(const std::wstring& folder, const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
  test::WriteBytes(folder + L"\\BackupInfo.ZINF", bytes);
}

TEST(BackupRegister, ListsRegistryBackupsInRecordOrderFromTheirOwnFolder) {
  TempFolder reg(L"reglist");
  TempFolder elsewhere(L"elsewhere");
  reg.file(L"Reg_2026Y12M05D13H07M09S.reg", std::string(3000, 'r'));
  reg.file(L"Reg_2026Y12M06D08H00M00S.reg.zcom", "zz");
  elsewhere.file(L"Reg_2020Y01M01D00H00M00S.reg", "x");
  PlantRecord(reg.path(),
              L"[FileBackup]\r\n"
              L"C:\\OLD~1\\Registry\\Reg_2026Y12M05D13H07M09S.reg=2026-12-05|Windows 7\r\n"
              L"C:\\OLD~1\\Registry\\Reg_2026Y12M06D08H00M00S.reg.zcom=2026-12-06|Windows 7 Service Pack 1\r\n"
              L"C:\\OLD~1\\Registry\\Reg_2026Y12M07D08H00M00S.reg.ZCOM=2026-12-07|Windows 7\r\n"
              L"C:\\OLD~1\\Registry\\Reg_2026Y12M08D08H00M00S.reg=2026-12-08|\r\n"
              L"" + elsewhere / L"Reg_2020Y01M01D00H00M00S.reg" + L"=2020-01-01|Windows XP\r\n");
  const std::vector<BackupEntry> list = ListRegistryBackups(reg.path() + L"\\");
  ASSERT_EQ(list.size(), 5u);
  // Name, date, system, archive, present, size.
  const std::tuple<std::wstring, std::wstring, std::wstring, bool, bool, std::uint64_t> expected[] = {
      {L"Reg_2026Y12M05D13H07M09S.reg", L"2026-12-05", L"Windows 7", false, true, 3000},
      {L"Reg_2026Y12M06D08H00M00S.reg.zcom", L"2026-12-06", L"Windows 7 Service Pack 1", true, true, 2},
      {L"Reg_2026Y12M07D08H00M00S.reg.ZCOM", L"2026-12-07", L"Windows 7", true, false, 0},
      {L"Reg_2026Y12M08D08H00M00S.reg", L"2026-12-08", L"", false, false, 0},
      // Named elsewhere: looked for in this folder only.
      {L"Reg_2020Y01M01D00H00M00S.reg", L"2020-01-01", L"Windows XP", false, false, 0},
  };
  for (std::size_t i = 0; i < list.size(); ++i) {
    SCOPED_TRACE(i);
    const auto& [name, date, system, archive, present, size] = expected[i];
    EXPECT_EQ(list[i].kind, BackupKind::RegistryFile);
    EXPECT_EQ(list[i].name, name);
    EXPECT_EQ(list[i].date, date);
    EXPECT_EQ(list[i].system, system);
    EXPECT_EQ(list[i].archive, archive);
    EXPECT_EQ(list[i].present, present);
    EXPECT_EQ(list[i].size, size);
    EXPECT_EQ(list[i].file, reg / name);
  }
  EXPECT_TRUE(ListRegistryBackups(elsewhere.path()).empty());  // no record file
}

TEST(BackupRegister, DeletingTouchesOnlyFilesOfTheRecordsOwnFolder) {
  TempFolder reg(L"regdel");
  TempFolder elsewhere(L"victim");
  const std::wstring victim = elsewhere.file(L"important.dat", "keep me");
  const std::wstring own = reg.file(L"important.dat", "backup");
  const std::wstring kept = reg.file(L"Reg_kept.reg", "kept");
  ASSERT_TRUE(WriteRecord(reg.path(), kFileSection, victim));
  ASSERT_TRUE(WriteRecord(reg.path(), kFileSection, reg / L"Reg_kept.reg"));
  std::vector<BackupEntry> list = ListRegistryBackups(reg.path());
  ASSERT_EQ(list.size(), 2u);
  DeleteBackupEntries(reg.path(), {list[0]});
  EXPECT_EQ(test::ReadBytes(victim), "keep me");
  EXPECT_FALSE(test::PathExists(own));
  EXPECT_TRUE(test::PathExists(kept));
  list = ListRegistryBackups(reg.path());
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].name, L"Reg_kept.reg");
  // A record whose file is gone is still deleted.
  test::RemoveTree(kept);
  DeleteBackupEntries(reg.path(), list);
  EXPECT_TRUE(ListRegistryBackups(reg.path()).empty());
}

TEST(BackupRegister, StartupEntriesSplitAtTheLastEqualsAndTheLeadingRoot) {
  TempFolder run(L"autorun");
  run.file(L"tool.lnk", "link");
  PlantRecord(run.path(),
              L"[RegBackup]\r\n"
              L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run|a=b|\"C:\\x.exe\" /set=1 "
              L"HKEY_LOCAL_MACHINE=2026-12-05|Windows 7\r\n"
              L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce|once|c:\\y.exe=2026-12-06|"
              L"Windows 7\r\n"
              L"[FileBackup]\r\n"
              L"C:\\users\\u\\Start Menu\\Programs\\Startup\\tool.lnk=2026-12-04|Windows 7\r\n"
              L"C:\\users\\u\\Start Menu\\Programs\\Startup\\gone=x.lnk=2026-12-04|Windows 7\r\n");
  const std::vector<BackupEntry> list = ListStartupBackups(run.path());
  ASSERT_EQ(list.size(), 4u);
  // Files first, whatever the order of the sections.
  EXPECT_EQ(list[0].kind, BackupKind::StartupFile);
  EXPECT_EQ(list[0].name, L"tool.lnk");
  EXPECT_TRUE(list[0].present);
  EXPECT_EQ(list[0].size, 4u);
  EXPECT_EQ(list[1].name, L"gone=x.lnk");
  EXPECT_FALSE(list[1].present);
  EXPECT_EQ(list[2].kind, BackupKind::StartupValue);
  EXPECT_EQ(list[2].name, L"a=b");
  EXPECT_EQ(list[2].date, L"2026-12-05");
  EXPECT_EQ(list[3].name, L"once");

  StartupValueRecord r;
  ASSERT_TRUE(ParseStartupValueKey(list[2].key, r));
  EXPECT_FALSE(r.localMachine);  // the other root's name in the command changes nothing
  EXPECT_EQ(r.keyPath, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  EXPECT_EQ(r.data, L"\"C:\\x.exe\" /set=1 HKEY_LOCAL_MACHINE");
  ASSERT_TRUE(ParseStartupValueKey(list[3].key, r));
  EXPECT_TRUE(r.localMachine);
  EXPECT_EQ(r.data, L"c:\\y.exe");
  EXPECT_FALSE(ParseStartupValueKey(L"\\Software\\Run|n|d", r));  // no root named
  EXPECT_FALSE(ParseStartupValueKey(L"HKEY_CURRENT_USER\\Software\\Run|only a name", r));

  // Entries whose keys hold "=" can be deleted too.
  DeleteBackupEntries(run.path(), list);
  EXPECT_TRUE(ListStartupBackups(run.path()).empty());
  EXPECT_FALSE(test::PathExists(run / L"tool.lnk"));
}

}  // namespace
}  // namespace wv
