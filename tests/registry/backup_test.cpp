// The whole-registry backup and its restore against the prefix's own registry
// editor, the record file the backup manager lists, the undo file's notation.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>

#include "platform/win32/win32_platform.h"
#include "engines/registry/backup_records.h"
#include "registry/fixtures.h"
#include "engines/registry/registry_backup.h"
#include "engines/registry/registry_undo.h"

namespace wv::test {
namespace {

// Knows no short names: the long folder path, blank and all, must reach the editor quoted.
struct NoShortNames : Win32FileSystem {
  std::wstring shortPath(std::wstring_view) override { return {}; }
};

// The archive's own format is pinned by the archive tests; here the restore shows it holds the whole export.
TEST(RegistryBackup, ExportsPacksRecordsAndRestores) {
  TempFolder base(L"back up ");  // a blank in the folder's name
  TempKey marker(L"marker");
  ASSERT_TRUE(Reg().openKey(kCU, marker.path())->writeText(L"probe", L"备份标记"));
  const std::wstring regDir = base / L"deep\\Registry\\";  // neither folder exists yet
  NoShortNames files;
  Substitute<FileSystem> keep(&Platform::files, files);
  std::vector<std::wstring> recorded, expected;
  for (const int level : {-1, 0, 1, 2}) {  // -1: packing off
    SCOPED_TRACE(level);
    ScanRun run;
    const BackupResult r = RegistryBackup({regDir, level >= 0, level}, run);
    ASSERT_EQ(r.status, BackupStatus::Done);
    EXPECT_EQ(run.statuses.front() + L"|" + run.statuses.back(), L"注册表备份中,请等待...|");
    EXPECT_TRUE(r.file.ends_with(level >= 0 ? L".reg.zcom" : L".reg")) << ToUtf8(r.file);
    EXPECT_FALSE(level >= 0 && PathExists(r.file.substr(0, r.file.size() - 5)));  // only the archive stays
    recorded.push_back(r.file);
  }
  const std::vector<std::uint8_t> machine = TextBytes(L"[HKEY_LOCAL_MACHINE\\", false);  // a whole export
  EXPECT_NE(ReadBytes(recorded.front()).find(std::string(machine.begin(), machine.end())), std::string::npos);
  // One record per backup, each naming the file as created with today's stamp.
  const std::wstring stamp = RecordStamp();
  EXPECT_TRUE(std::regex_match(ToUtf8(stamp), std::regex(R"(\d{4}-\d\d-\d\d\|Windows.*)")));
  for (const std::wstring& file : recorded) expected.push_back(file + L"=" + stamp);
  EXPECT_EQ(Ini().sectionLines(regDir + L"BackupInfo.ZINF", L"FileBackup"), expected);

  // An archive brings back a deleted key; it stays, its inflated export goes.
  ScanRun run;
  ASSERT_TRUE(Reg().deleteKey(kCU, marker.path()));
  EXPECT_EQ(RestoreRegistryBackup(recorded.back(), run), RestoreStatus::Done);
  EXPECT_EQ(run.statuses.front(), L"注册表恢复中,请等待...");
  EXPECT_EQ(RawValue(kCU, marker.path(), L"probe"), (RegRawValue{REG_SZ, TextBytes(L"备份标记")}));
  EXPECT_TRUE(PathExists(recorded.back()) && !PathExists(recorded.back().substr(0, recorded.back().size() - 5)));
}

// Starts a command shell in the editor's place, with a command made from the
// editor's parameters (no command: nothing can be started).
struct StandInEditor : Win32Shell {
  explicit StandInEditor(std::function<std::wstring(std::wstring_view)> c = {}) : command(std::move(c)) {}
  UniqueHandle start(std::wstring_view file, std::wstring_view params, int show) override {
    startedWith = std::wstring(file) + L" " + std::wstring(params);
    return command ? Win32Shell::start(L"cmd.exe", command(params), show) : UniqueHandle{};
  }
  std::function<std::wstring(std::wstring_view editorParams)> command;
  std::wstring startedWith;
};

// Each failure ends the wait on the editor; nothing but a good backup is recorded or left behind.
TEST(RegistryBackup, FailuresEndTheWaitAndLeaveNothingRecorded) {
  struct NoArchives : Win32FileSystem {  // packing fails after the export succeeded
    std::unique_ptr<File> openFile(std::wstring_view path, FileAccess access, FileShare share, FileDisposition how) override {
      return EndsWithNoCase(path, L".zcom") ? nullptr : Win32FileSystem::openFile(path, access, share, how);
    }
  } noArchives;
  struct FailingRecord : Win32Profiles {
    bool write(std::wstring_view, std::wstring_view, std::wstring_view, std::wstring_view) override { return false; }
  } failingRecord;
  TempFolder base(L"fail");
  const std::wstring regDir = base / L"Registry";
  StandInEditor exitsAtOnce([](std::wstring_view) { return L"/c exit 0"; });  // writes nothing
  StandInEditor writesPart([](std::wstring_view params) {  // part of the export, then a failure
    return L"/c echo partial>" + std::wstring(params.substr(3)) + L"& exit 1";
  });
  StandInEditor missing;
  const std::tuple<Shell*, FileSystem*, bool, BackupStatus> failures[] = {
      {&exitsAtOnce, nullptr, true, BackupStatus::ExportFailed}, {&writesPart, nullptr, false, BackupStatus::ExportFailed},
      {&missing, nullptr, true, BackupStatus::EditorMissing}, {nullptr, &noArchives, true, BackupStatus::CompressFailed},
  };
  for (const auto& [shell, files, compress, status] : failures) {
    Substitute<Shell> useShell(&Platform::shell, shell ? *shell : Sh());
    Substitute<FileSystem> useFiles(&Platform::files, files ? *files : Fs());
    ScanRun run;
    EXPECT_EQ(RegistryBackup({regDir, compress, 2}, run).status, status);
    EXPECT_EQ(run.statuses.back(), L"");
  }
  EXPECT_NE(exitsAtOnce.startedWith.find(L"/E \""), std::wstring::npos);
  std::error_code ec;  // no record, export, part or archive stays behind
  for (const auto& e : std::filesystem::directory_iterator(regDir, ec)) EXPECT_TRUE(e.is_directory()) << e.path().string();
  ScanRun run;
  {
    Substitute<Profiles> swap(&Platform::profiles, failingRecord);
    const BackupResult r = RegistryBackup({regDir, false, 1}, run);
    EXPECT_EQ(r.status, BackupStatus::RecordFailed);
    EXPECT_TRUE(PathExists(r.file)) << "a good backup is never thrown away";
  }
  run.statuses.clear();  // a folder that cannot be made: below a file
  EXPECT_EQ(RegistryBackup({base.file(L"blocker") + L"\\Registry\\", true, 1}, run).status, BackupStatus::FolderInvalid);
  EXPECT_TRUE(run.statuses.empty());

  const std::wstring file = base.file(L"x.reg", "x");
  StandInEditor failsImport([](std::wstring_view) { return L"/c exit 1"; });
  for (const auto& [shell, status] : {std::pair{&failsImport, RestoreStatus::ImportFailed},
                                      std::pair{&missing, RestoreStatus::EditorMissing}}) {
    Substitute<Shell> swap(&Platform::shell, *shell);
    EXPECT_EQ(RestoreRegistryBackup(file, run), status);
    EXPECT_EQ(run.statuses.back(), L"");
  }
  EXPECT_EQ(missing.startedWith, L"Regedit /s \"" + file + L"\"");
}

// A tiny registry file the editor can import, setting one value.
std::string RegFileSetting(const std::wstring& keyPath) {
  const std::wstring text = L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" + keyPath +
                            L"]\r\n\"v\"=\"imported\"\r\n\r\n";
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

TEST(RegistryRestore, ImportsOnlyWholeFilesAndNamesTheExportByTheTrailingExtension) {
  TempFolder base(L"damaged");
  TempKey k(L"damaged");
  ScanRun run;
  // A registry file whose name holds ".zcom" elsewhere is imported as it is.
  const std::wstring inner = base.file(L"a.zcom.reg", RegFileSetting(k / L"inner"));
  EXPECT_EQ(RestoreRegistryBackup(inner, run), RestoreStatus::Done);
  EXPECT_TRUE(RawValue(kCU, k / L"inner", L"v").has_value() && PathExists(inner));

  // An archive cut short is never imported, and leaves no export behind.
  const std::wstring source = base.file(L"b.reg", RegFileSetting(k / L"cut"));
  ASSERT_TRUE(CompressFile(source, base / L"c.reg.ZCOM", 1, false));
  const std::string bytes = ReadBytes(base / L"c.reg.ZCOM");
  WriteBytes(base / L"c.reg.ZCOM", bytes.substr(0, bytes.size() - 3));
  EXPECT_EQ(RestoreRegistryBackup(base / L"c.reg.ZCOM", run), RestoreStatus::Damaged);
  EXPECT_FALSE(Reg().keyExists(kCU, k / L"cut") || PathExists(base / L"c.reg"));

  // An archive beside a file of its export's name inflates elsewhere and leaves that file alone.
  ASSERT_TRUE(CompressFile(source, base / L"b.reg.zcom", 1, false));
  WriteBytes(source, "a backup of its own");
  EXPECT_EQ(RestoreRegistryBackup(base / L"b.reg.zcom", run), RestoreStatus::Done);
  EXPECT_TRUE(Reg().keyExists(kCU, k / L"cut") && ReadBytes(source) == "a backup of its own");
  EXPECT_EQ(RestoreRegistryBackup(base / L"gone.reg.zcom", run), RestoreStatus::Missing);
}

// The notation startup backups keep values in: read back as written, the rest refused.
TEST(RegNotation, ReadsBackExactlyWhatItWritesAndNothingElse) {
  std::vector<std::uint8_t> long_(300);
  for (std::size_t i = 0; i < long_.size(); ++i) long_[i] = static_cast<std::uint8_t>(i);
  const RegRawValue values[] = {{REG_DWORD, {1, 2}},  // a short number keeps its bytes
                                {REG_BINARY, {}}, {REG_BINARY, long_}, {REG_NONE, {0xff}},
                                {REG_MULTI_SZ, TextBytes(std::wstring_view(L"a\0b\0", 4))}};
  for (const RegRawValue& v : values) EXPECT_EQ(ParseRegNotation(RegNotation(v)), v) << ToUtf8(RegNotation(v));
  EXPECT_EQ(RegDataText({REG_SZ, TextBytes(L"ab", false)}), L"hex(1):61,00,62,00");  // a text without its end
  for (const wchar_t* text : {L"dword:2a", L"dword:0000002g", L"hex:1,2", L"hex:01,", L"hex:01;02", L"hex(:01",
                              L"hex():01", L"hex(zz):01", L"c:\\x.exe", L"\"hex:01\"", L"hex:01,02 /x"})
    EXPECT_FALSE(ParseRegNotation(text).has_value()) << ToUtf8(text);
}

// A name no value line can carry stops the clean; what is gone already needs no file.
TEST(RegistryUndo, AnUnwritableNameStopsTheCleanAndWhatIsGoneNeedsNoFile) {
  TempFolder base(L"undofail");
  TempKey k(L"undofail");
  ASSERT_TRUE(Reg().openKey(kCU, k.path())->writeText(L"two\nlines", L"x"));
  EXPECT_FALSE(WriteUndoFile({{kCU, k.path(), false, L"two\nlines"}}, base / L"Registry").written);
  EXPECT_FALSE(PathExists(base / L"Registry\\BackupInfo.ZINF"));
  const UndoFile nothing = WriteUndoFile({{kCU, k / L"missing", true, L""}}, base / L"Registry");
  EXPECT_TRUE(nothing.written && nothing.path.empty());
}

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
