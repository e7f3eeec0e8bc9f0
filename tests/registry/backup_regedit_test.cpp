// The whole-registry backup and restore against the prefix's own registry editor.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <regex>

#include "platform/win32/win32_platform.h"
#include "registry/backup_fixtures.h"
#include "registry/bfglline.h"
#include "registry/regbackup.h"
#include "support/testsupport.h"

namespace wv {
namespace {

using test::CountingRun;
using test::TempFolder;
using test::TempKey;

// Keeps each export the backup deletes after packing it, so that the archive
// can be compared with the editor's own bytes.
class KeepingFiles : public Win32FileSystem {
 public:
  bool deleteFile(std::wstring_view path) override {
    if (EndsWithNoCase(path, L".reg")) (void)copyFile(path, std::wstring(path) + L".kept", false);
    return Win32FileSystem::deleteFile(path);
  }
};

// A system that keeps no short names: the long path, blanks and all, goes to the editor.
class NoShortNames : public Win32FileSystem {
 public:
  std::wstring shortPath(std::wstring_view) override { return {}; }
};

TEST(RegistryBackup, ExportsPacksAndRecordsAtEveryLevel) {
  TempFolder base(L"back up ");  // a blank in the folder's name
  TempKey marker(L"marker");
  test::SetTextValue(HKEY_CURRENT_USER, marker.path(), L"probe", L"备份标记");
  const std::wstring regDir = base / L"deep\\Registry\\";  // neither folder exists yet
  KeepingFiles files;
  Substitute<FileSystem> keep(&Platform::files, files);

  std::vector<std::wstring> recorded;
  for (const int level : {-1, 0, 1, 2}) {  // -1: packing off
    SCOPED_TRACE(level);
    CountingRun run;
    const BackupResult r = RegistryBackup({regDir, level >= 0, level}, run);
    ASSERT_EQ(r.status, BackupStatus::Done);
    EXPECT_EQ(run.statuses.front(), L"注册表备份中,请等待...");
    EXPECT_EQ(run.statuses.back(), L"");
    const std::wstring name(ExtractFileName(r.file));
    EXPECT_TRUE(std::regex_match(ToUtf8(name), std::regex(level >= 0 ? R"(Reg_\d{4}Y\d\dM\d\dD\d\dH\d\dM\d\dS(_\d+)?\.reg\.zcom)"
                                                                     : R"(Reg_\d{4}Y\d\dM\d\dD\d\dH\d\dM\d\dS(_\d+)?\.reg)")))
        << ToUtf8(name);
    ASSERT_TRUE(test::PathExists(regDir + name));
    std::string exported;
    if (level >= 0) {
      const std::wstring plain = regDir + name.substr(0, name.size() - 5);
      EXPECT_FALSE(test::PathExists(plain));  // only the archive stays
      exported = test::ReadBytes(plain + L".kept");
      const std::optional<std::string> inflated = test::InflateFile(regDir + name);
      ASSERT_TRUE(inflated.has_value());
      EXPECT_TRUE(*inflated == exported);
      EXPECT_LT(test::ReadBytes(regDir + name).size(), exported.size() / 2);
    } else {
      exported = test::ReadBytes(regDir + name);
    }
    // The editor's export of the whole registry, our key in it.
    std::wstring wide(exported.size() / 2, L'\0');
    std::memcpy(wide.data(), exported.data(), wide.size() * 2);
    // The current user's keys appear below HKEY_USERS in a whole export.
    EXPECT_NE(wide.find(L"\\" + marker.path() + L"]\r\n\"probe\"=\"备份标记\""), std::wstring::npos);
    EXPECT_NE(wide.find(L"[HKEY_LOCAL_MACHINE\\"), std::wstring::npos);
    recorded.push_back(r.file);
  }

  // One record per backup, each naming the file as created with today's stamp.
  const std::vector<std::wstring> lines = test::RecordLines(regDir, L"FileBackup");
  ASSERT_EQ(lines.size(), recorded.size());
  const std::wstring stamp = RecordStamp();
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], recorded[i] + L"=" + stamp);
  EXPECT_TRUE(std::regex_match(ToUtf8(stamp), std::regex(R"(\d{4}-\d\d-\d\d\|Windows.*)")));
}

TEST(RegistryBackup, QuotesALongFolderPathForTheEditor) {
  TempFolder base(L"no short name ");
  NoShortNames files;
  Substitute<FileSystem> swap(&Platform::files, files);
  CountingRun run;
  const BackupResult r = RegistryBackup({base / L"Registry", false, 1}, run);
  ASSERT_EQ(r.status, BackupStatus::Done);
  EXPECT_EQ(r.file, base / L"Registry\\" + std::wstring(ExtractFileName(r.file)));
  EXPECT_GT(test::ReadBytes(r.file).size(), 1000u);
}

// Starts a command shell in the editor's place, with a command made from the
// editor's parameters (no command: nothing can be started).
class StandInEditor : public Win32Shell {
 public:
  using Command = std::function<std::wstring(std::wstring_view editorParams)>;
  explicit StandInEditor(Command command = {}) : command_(std::move(command)) {}
  UniqueHandle start(std::wstring_view file, std::wstring_view params, int show) override {
    startedWith = std::wstring(file) + L" " + std::wstring(params);
    if (!command_) return {};
    return Win32Shell::start(L"cmd.exe", command_(params), show);
  }
  std::wstring startedWith;

 private:
  Command command_;
};

class FailingRecord : public Win32Profiles {
 public:
  bool write(std::wstring_view, std::wstring_view, std::wstring_view, std::wstring_view) override { return false; }
};

// Archives cannot be created: packing fails after the export succeeded.
class NoArchives : public Win32FileSystem {
 public:
  std::unique_ptr<File> openFile(std::wstring_view path, FileAccess access, FileShare share,
                                 FileDisposition disposition) override {
    if (EndsWithNoCase(path, L".zcom")) return nullptr;
    return Win32FileSystem::openFile(path, access, share, disposition);
  }
};

bool FolderHoldsFiles(const std::wstring& folder) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool any = false;
  do any = any || !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  while (FindNextFileW(h, &fd));
  FindClose(h);
  return any;
}

TEST(RegistryBackup, FailuresEndTheWaitAndLeaveNothingRecorded) {
  TempFolder base(L"fail");
  const std::wstring regDir = base / L"Registry";
  {
    StandInEditor editor([](std::wstring_view) { return L"/c exit 0"; });  // ends at once, writes nothing
    Substitute<Shell> swap(&Platform::shell, editor);
    CountingRun run;
    EXPECT_EQ(RegistryBackup({regDir, true, 1}, run).status, BackupStatus::ExportFailed);
    EXPECT_NE(editor.startedWith.find(L"/E \""), std::wstring::npos);
    EXPECT_EQ(run.statuses.back(), L"");
  }
  {
    // Writes part of the export file, then fails: the part is no backup.
    StandInEditor editor([](std::wstring_view params) {
      return L"/c echo partial>" + std::wstring(params.substr(3)) + L"& exit 1";
    });
    Substitute<Shell> swap(&Platform::shell, editor);
    CountingRun run;
    EXPECT_EQ(RegistryBackup({regDir, false, 1}, run).status, BackupStatus::ExportFailed);
  }
  {
    StandInEditor editor;
    Substitute<Shell> swap(&Platform::shell, editor);
    CountingRun run;
    EXPECT_EQ(RegistryBackup({regDir, true, 1}, run).status, BackupStatus::EditorMissing);
  }
  {
    NoArchives files;
    Substitute<FileSystem> swap(&Platform::files, files);
    CountingRun run;
    EXPECT_EQ(RegistryBackup({regDir, true, 2}, run).status, BackupStatus::CompressFailed);
  }
  EXPECT_FALSE(test::PathExists(regDir + L"\\BackupInfo.ZINF"));
  EXPECT_FALSE(FolderHoldsFiles(regDir));  // no export, part or archive stays behind
  {
    FailingRecord profiles;
    Substitute<Profiles> swap(&Platform::profiles, profiles);
    CountingRun run;
    const BackupResult r = RegistryBackup({regDir, false, 1}, run);
    EXPECT_EQ(r.status, BackupStatus::RecordFailed);
    EXPECT_TRUE(test::PathExists(r.file));  // a good backup is never thrown away
  }
  // A folder that cannot be made: below a file.
  const std::wstring blocker = base.file(L"blocker");
  CountingRun run;
  EXPECT_EQ(RegistryBackup({blocker + L"\\Registry\\", true, 1}, run).status, BackupStatus::FolderInvalid);
  EXPECT_TRUE(run.statuses.empty());
}

TEST(RegistryRestore, BringsBackADeletedKeyAndCleansUpAfterAnArchive) {
  TempFolder base(L"restore");
  TempKey k(L"restore");
  const RegRawValue number{REG_DWORD, {7, 0, 0, 0}};
  test::SetTextValue(HKEY_CURRENT_USER, k / L"sub", L"text", L"C:\\程序\\a.exe /x=1");
  test::SetRawValue(HKEY_CURRENT_USER, k / L"sub", L"number", REG_DWORD, number.data.data(), 4);
  CountingRun run;
  const BackupResult archive = RegistryBackup({base.path(), true, 0}, run);
  ASSERT_EQ(archive.status, BackupStatus::Done);
  const BackupResult plain = RegistryBackup({base.path(), false, 0}, run);
  ASSERT_EQ(plain.status, BackupStatus::Done);

  test::DeleteKeyTree(HKEY_CURRENT_USER, k.path());
  ASSERT_FALSE(test::KeyExists(HKEY_CURRENT_USER, k / L"sub"));
  run.statuses.clear();
  EXPECT_EQ(RestoreRegistryBackup(archive.file, run), RestoreStatus::Done);
  EXPECT_EQ(run.statuses.front(), L"注册表恢复中,请等待...");
  const std::optional<RegRawValue> text = test::GetRawValue(HKEY_CURRENT_USER, k / L"sub", L"text");
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->type, static_cast<DWORD>(REG_SZ));
  const std::optional<RegRawValue> got = test::GetRawValue(HKEY_CURRENT_USER, k / L"sub", L"number");
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(got->type, number.type);
  EXPECT_EQ(got->data, number.data);
  EXPECT_TRUE(test::PathExists(archive.file));  // the archive stays, its inflated export goes
  EXPECT_FALSE(test::PathExists(archive.file.substr(0, archive.file.size() - 5)));

  test::DeleteKeyTree(HKEY_CURRENT_USER, k.path());
  EXPECT_EQ(RestoreRegistryBackup(plain.file, run), RestoreStatus::Done);
  EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, k / L"sub"));
  EXPECT_TRUE(test::PathExists(plain.file));  // an uncompressed backup stays in place
}

// A tiny registry file the editor can import, setting one value.
std::string RegFileSetting(const std::wstring& keyPath, const std::wstring& value) {
  const std::wstring text = L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" + keyPath +
                            L"]\r\n\"v\"=\"" + value + L"\"\r\n\r\n";
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

TEST(RegistryRestore, ImportsOnlyWholeFilesAndNamesTheExportByTheTrailingExtension) {
  TempFolder base(L"damaged");
  TempKey k(L"damaged");
  CountingRun run;
  // A registry file whose name holds ".zcom" elsewhere is imported as it is.
  const std::wstring inner = base.file(L"a.zcom.reg", RegFileSetting(k / L"inner", L"imported"));
  EXPECT_EQ(RestoreRegistryBackup(inner, run), RestoreStatus::Done);
  EXPECT_TRUE(test::GetRawValue(HKEY_CURRENT_USER, k / L"inner", L"v").has_value());
  EXPECT_TRUE(test::PathExists(inner));

  // An archive cut short is never imported, and leaves no export behind.
  const std::wstring source = base.file(L"b.reg", RegFileSetting(k / L"cut", L"never"));
  ASSERT_TRUE(CompressFile(source, base / L"c.reg.ZCOM", 1, false));
  std::string bytes = test::ReadBytes(base / L"c.reg.ZCOM");
  test::WriteBytes(base / L"c.reg.ZCOM", bytes.substr(0, bytes.size() - 3));
  EXPECT_EQ(RestoreRegistryBackup(base / L"c.reg.ZCOM", run), RestoreStatus::Damaged);
  EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, k / L"cut"));
  EXPECT_FALSE(test::PathExists(base / L"c.reg"));

  // An archive beside a file of its export's name inflates elsewhere and leaves that file alone.
  ASSERT_TRUE(CompressFile(source, base / L"b.reg.zcom", 1, false));
  test::WriteBytes(source, "a backup of its own");
  EXPECT_EQ(RestoreRegistryBackup(base / L"b.reg.zcom", run), RestoreStatus::Done);
  EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, k / L"cut"));
  EXPECT_EQ(test::ReadBytes(source), "a backup of its own");

  EXPECT_EQ(RestoreRegistryBackup(base / L"gone.reg.zcom", run), RestoreStatus::Missing);
}

TEST(RegistryRestore, AFailingOrMissingEditorEndsTheWait) {
  TempFolder base(L"noeditor");
  const std::wstring file = base.file(L"x.reg", "x");
  CountingRun run;
  {
    StandInEditor editor([](std::wstring_view) { return L"/c exit 1"; });
    Substitute<Shell> swap(&Platform::shell, editor);
    EXPECT_EQ(RestoreRegistryBackup(file, run), RestoreStatus::ImportFailed);
  }
  StandInEditor editor;
  Substitute<Shell> swap(&Platform::shell, editor);
  EXPECT_EQ(RestoreRegistryBackup(file, run), RestoreStatus::EditorMissing);
  EXPECT_EQ(editor.startedWith, L"Regedit /s \"" + file + L"\"");
  EXPECT_EQ(run.statuses.back(), L"");
}

}  // namespace
}  // namespace wv
