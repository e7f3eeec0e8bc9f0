// The whole-registry backup and its restore against the prefix's own registry
// editor, and how each failure of the editor, the archive or the record ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>

#include "engines/registry/backup_records.h"
#include "engines/registry/registry_backup.h"
#include "engines/registry/registry_fixtures.h"
#include "platform/win32/win32_platform.h"
#include "stand_ins.h"

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
    return command ? Win32Shell::start(systemProgramPath(L"cmd.exe"), command(params), show) : UniqueHandle{};
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
  EXPECT_EQ(missing.startedWith, Win32Shell().systemProgramPath(L"regedit.exe") + L" /s \"" + file + L"\"");
}

// A tiny registry file the editor can import, setting one value.
std::string RegFileSetting(const std::wstring& keyPath) {
  const std::wstring text = L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" + keyPath +
                            L"]\r\n\"v\"=\"imported\"\r\n\r\n";
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

TEST(RestoreRegistryBackup, ImportsOnlyWholeFilesAndNamesTheExportByTheTrailingExtension) {
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

// A registry editor planted beside this program and in its current folder (where a
// search by the bare name "regedit" looks first) never runs: the Windows folder's
// editor makes the whole backup and imports the restore.
TEST(RegistryBackup, TheWindowsFoldersEditorWorksWhateverIsPlantedBesideTheProgram) {
  PlantedAroundThisProgram planted({StandIn::RegistryEditor});
  ASSERT_TRUE(planted.planted());
  TempFolder base(L"planted");
  TempKey k(L"planted");
  ScanRun run;
  const BackupResult backup = RegistryBackup({base / L"Registry", false, 1}, run);
  ASSERT_EQ(backup.status, BackupStatus::Done);
  const std::vector<std::uint8_t> machine = TextBytes(L"[HKEY_LOCAL_MACHINE\\", false);
  EXPECT_NE(ReadBytes(backup.file).find(std::string(machine.begin(), machine.end())), std::string::npos);
  const std::wstring small = base.file(L"small.reg", RegFileSetting(k / L"restored"));
  EXPECT_EQ(RestoreRegistryBackup(small, run), RestoreStatus::Done);
  EXPECT_EQ(RawValue(kCU, k / L"restored", L"v"), (RegRawValue{REG_SZ, TextBytes(L"imported")}));
  EXPECT_EQ(planted.markers(), std::vector<std::wstring>{});
}

}  // namespace
}  // namespace wv::test
