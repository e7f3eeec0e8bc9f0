// The record file of a backup folder: its entries listed in order, each file
// looked for in the record's own folder, and deleted with the file it names.
#include <gtest/gtest.h>

#include "engines/registry/backup_records.h"
#include "engines/registry/registry_fixtures.h"
#include "platform/win32/win32_platform.h"

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
  EXPECT_TRUE(DeleteBackupEntries(reg.path(), {list[2]}).empty());
  EXPECT_TRUE(!PathExists(own) && ListRegistryBackups(reg.path()).size() == 2u);
  EXPECT_TRUE(DeleteBackupEntries(reg.path(), list).empty());
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
  EXPECT_TRUE(DeleteBackupEntries(run.path(), list).empty());  // entries whose keys hold "=" can be deleted too
  EXPECT_TRUE(ListStartupBackups(run.path()).empty());
}

// A key is taken for the file it names only by a plain name in the record's own
// folder: paths, devices and the record file itself are damaged records, listed
// but never opened, and deleting them removes no file anywhere.
TEST(BackupRecord, AKeyNamingAnythingButAPlainFileOfItsFolderIsDamagedAndNeverOpened) {
  TempFolder reg(L"regdamaged"), victims(L"victims");
  const std::wstring victim = victims.file(L"hosts", "keep me");
  const std::wstring outside = std::wstring(ExtractFileName(victims.path()));  // a sibling of the record's folder
  reg.file(L"Reg_ok.reg", "ok");
  const std::wstring record = reg / L"BackupInfo.ZINF";
  std::vector<std::wstring> hostile = {
      L"C:\\x\\../" + outside + L"/hosts",       // the form: the name part leads out
      L"C:\\x\\..\\..\\" + outside + L"/hosts",  // cut at the last "\": still a path
      L"C:\\x\\BackupInfo.ZINF",                 // the record file itself
      L"C:\\x\\backupinfo.zinf.",                // ... which Windows finds under this name too
      L"C:\\x\\CON", L"C:\\x\\nul.reg", L"C:\\x\\..", L"C:\\x\\", L"C:\\x\\a|b.reg",
  };
  wchar_t shortName[MAX_PATH] = {};
  WriteBytes(record, "");
  if (GetShortPathNameW(record.c_str(), shortName, MAX_PATH) && !EqualsNoCase(shortName, record))
    hostile.push_back(L"C:\\x\\" + std::wstring(ExtractFileName(shortName)));  // its 8.3 alias
  std::wstring text = L"[FileBackup]\r\nC:\\x\\Reg_ok.reg=2026-12-05|Windows 10\r\n";
  for (const std::wstring& key : hostile) text += key + L"=2026-12-06|Windows 10\r\n";
  WriteBytes(record, ToUtf8(text));

  const std::vector<BackupEntry> list = ListRegistryBackups(reg.path());
  ASSERT_EQ(list.size(), hostile.size() + 1);
  EXPECT_TRUE(list[0].present && list[0].file == reg / L"Reg_ok.reg");
  for (std::size_t i = 1; i < list.size(); ++i) {
    EXPECT_TRUE(!list[i].present && list[i].file.empty()) << ToUtf8(list[i].key);
    EXPECT_EQ(list[i].size, 0u) << ToUtf8(list[i].key);
  }
  // Deleting every damaged record: their lines go, no file goes with them.
  EXPECT_TRUE(DeleteBackupEntries(reg.path(), std::vector<BackupEntry>(list.begin() + 1, list.end())).empty());
  EXPECT_EQ(ReadBytes(victim), "keep me");
  ASSERT_TRUE(PathExists(record)) << "the record file is no backup";
  const std::vector<BackupEntry> left = ListRegistryBackups(reg.path());
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].name, L"Reg_ok.reg");

  // The startup folder's records follow the same rule; a value key that cannot be split is damaged too.
  TempFolder run(L"rundamaged");
  WriteBytes(run / L"BackupInfo.ZINF", ToUtf8(L"[FileBackup]\r\nC:\\Startup\\../" + outside + L"/hosts=2026-12-05|x\r\n"
                                              L"[RegBackup]\r\nHKEY_CLASSES_ROOT\\x|v|d=2026-12-05|x\r\n"));
  const std::vector<BackupEntry> startup = ListStartupBackups(run.path());
  ASSERT_EQ(startup.size(), 2u);
  EXPECT_TRUE(startup[0].file.empty() && !startup[0].present);
  EXPECT_TRUE(DeleteBackupEntries(run.path(), startup).empty());
  EXPECT_TRUE(ListStartupBackups(run.path()).empty());
  EXPECT_EQ(ReadBytes(victim), "keep me");
}

// Deleting a backup deletes its file and its record together: a read-only file
// goes too, and a file the system keeps keeps its record (never an unlisted backup).
TEST(BackupRecord, ABackupFileGoesWithItsRecordOrNeitherGoes) {
  TempFolder reg(L"regreadonly");
  const std::wstring readOnly = reg.file(L"Reg_ro.reg", "ro"), stuck = reg.file(L"Reg_stuck.reg", "stuck");
  ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  for (const std::wstring& file : {readOnly, stuck}) ASSERT_TRUE(WriteRecord(reg.path(), kFileSection, file));
  struct KeepsOne : Win32FileSystem {
    std::wstring path;
    SysResult deleteFile(std::wstring_view p) override {
      return EqualsNoCase(p, path) ? SysResult(ERROR_SHARING_VIOLATION) : Win32FileSystem::deleteFile(p);
    }
  } files;
  files.path = stuck;
  Substitute<FileSystem> swap(&Platform::files, files);
  EXPECT_EQ(DeleteBackupEntries(reg.path(), ListRegistryBackups(reg.path())), std::vector<std::size_t>{1});
  EXPECT_FALSE(PathExists(readOnly));
  const std::vector<BackupEntry> left = ListRegistryBackups(reg.path());
  ASSERT_EQ(left.size(), 1u) << "the read-only one went with its record; the kept one kept its record";
  EXPECT_TRUE(left[0].name == L"Reg_stuck.reg" && left[0].present);
}

}  // namespace
}  // namespace wv::test
