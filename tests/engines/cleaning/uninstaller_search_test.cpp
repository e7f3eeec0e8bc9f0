// The uninstaller is started by its full path. A bare program name is one of
// Windows' programs, taken from the Windows or system folder and never from a
// stand-in planted beside this test program or in its current folder; a relative
// path, or a name Windows does not keep, starts nothing and says so.
#include <tuple>

#include "engines/cleaning/software_fixtures.h"
#include "stand_ins.h"

namespace wv::test {
namespace {

// Whether the registry editor has written the file whole and let go of it, within some seconds.
bool ExportWritten(const std::wstring& file) {
  for (int i = 0; i < 600; ++i, Sleep(50)) {
    const UniqueFile whole(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (whole && GetFileSize(whole.get(), nullptr) > 0) return true;
  }
  return false;
}

TEST(Uninstaller, ABareNameIsWindowsOwnProgramNeverOnePlantedBesideThisProgram) {
  PlantedAroundThisProgram planted({StandIn::RegistryEditor});
  ASSERT_TRUE(planted.planted());
  const std::wstring nested = planted.currentFolder() + L"\\sub";  // what a relative path would name
  ASSERT_TRUE(CreateDirectoryW(nested.c_str(), nullptr) &&
              CopyFileW((planted.currentFolder() + L"\\regedit.exe").c_str(), (nested + L"\\regedit.exe").c_str(), TRUE));
  TempKey key(L"uninstall");
  ASSERT_TRUE(Reg().createKey(RegRoot::CurrentUser, key.path()));
  const std::wstring exported = planted.currentFolder() + L"\\export.reg";
  const std::wstring exportKey = L" /E \"" + exported + L"\" \"HKEY_CURRENT_USER\\" + key.path() + L"\"";
  const std::wstring editor = Sh().systemProgramPath(L"regedit.exe");
  ASSERT_FALSE(editor.empty());

  Registrations registrations;
  const std::tuple<const wchar_t*, std::wstring, UninstallOutcome> cases[] = {
      {L"bare", L"regedit.exe" + exportKey, UninstallOutcome::Started},
      {L"noext", L"  regedit" + exportKey, UninstallOutcome::Started},  // ".exe" added, as the system would
      {L"relative", L"sub\\regedit.exe" + exportKey, UninstallOutcome::UninstallerMissing},
      {L"unknown", L"wv_no_such_uninstaller.exe /S", UninstallOutcome::UninstallerMissing},
      {L"gone", L"C:\\wv_no_such_folder\\uninst.exe /S", UninstallOutcome::UninstallerMissing},
  };
  for (const auto& [tag, command, outcome] : cases) {
    SCOPED_TRACE(ToUtf8(command));
    const SoftwareRow row{kNative, registrations.plant(tag, {{L"DisplayName", tag}, {L"UninstallString", command}})};
    EXPECT_EQ(RunUninstaller(row), outcome);
    if (outcome != UninstallOutcome::Started) continue;
    EXPECT_TRUE(ExportWritten(exported)) << "the Windows folder's editor did not export the key";
    DeleteFileW(exported.c_str());
  }
  // The command line names the program found, with the arguments as written.
  const auto msiexec = ResolveUninstallCommand(L"MsiExec.exe /X{00000000-0000-0000-0000-000000000000}");
  ASSERT_TRUE(msiexec);
  EXPECT_TRUE(EqualsNoCase(msiexec->program, IncludeTrailingBackslash(Sh().systemFolder()) + L"msiexec.exe"));
  EXPECT_EQ(msiexec->commandLine, L"\"" + msiexec->program + L"\" /X{00000000-0000-0000-0000-000000000000}");
  const auto quoted = ResolveUninstallCommand(L"\"C:\\Some App\\uninst.exe\" /S");
  ASSERT_TRUE(quoted);
  EXPECT_EQ(std::tie(quoted->program, quoted->commandLine),
            std::make_tuple(std::wstring(L"C:\\Some App\\uninst.exe"), std::wstring(L"\"C:\\Some App\\uninst.exe\" /S")));
  EXPECT_FALSE(ResolveUninstallCommand(L".\\regedit.exe") || ResolveUninstallCommand(L"C:regedit.exe /s"));

  EXPECT_FALSE(PathExists(nested + L"\\regedit.exe.ran"));
  DeleteFileW((nested + L"\\regedit.exe").c_str());
  RemoveDirectoryW(nested.c_str());
  EXPECT_EQ(planted.markers(), std::vector<std::wstring>{});
}

}  // namespace
}  // namespace wv::test
