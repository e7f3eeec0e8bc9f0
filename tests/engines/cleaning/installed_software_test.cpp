// The installed software: registrations planted at the real Uninstall keys under
// names of this process, uninstall commands that start this very program as a
// recorder (see main.cpp).
#include <algorithm>
#include <tuple>

#include "engines/cleaning/software_fixtures.h"
#include "engines/registry/backup_records.h"

namespace wv::test {
namespace {

const std::wstring kSelf = SelfPath();

class SoftwareTest : public ::testing::Test {
 protected:
  // This test's rows, in the order they were read.
  std::vector<SoftwareRow> read() {
    struct : RunContext {
      bool proceed() override { return true; }
      void status(std::wstring_view) override {}
    } run;
    std::vector<SoftwareRow> rows;
    ReadInstalledSoftware(SoftwareFilter::ShowAll, run, [&](SoftwareRow r) {
      if (r.subkey.starts_with(registrations.prefix)) rows.push_back(std::move(r));
    });
    return rows;
  }
  std::wstring plant(std::wstring_view tag, const Values& values, UninstallView view = kNative) {
    return registrations.plant(tag, values, view);
  }
  static bool exists(UninstallView view, const std::wstring& name) { return Registrations::exists(view, name); }

  Registrations registrations;
  RecordingShell shell;
  Substitute<Shell> shellInPlace{&Platform::shell, shell};
};

TEST(SoftwareFilter, HidesUpdatesOrMicrosoftSoftware) {
  const std::tuple<const wchar_t*, const wchar_t*, bool, bool> cases[] = {  // shown without updates, without Microsoft
      {L"Acme Tool", L"Acme", true, true}, {L"Hotfix for Windows (KB123456)", L"Microsoft Corporation", false, false},
      {L"Security Update KB999", L"", false, true},  // a Microsoft update without publisher
      {L"patch (kb42)", L"Acme", false, true}, {L"KBTool", L"Acme", true, true}, {L"Office", L"MICROSOFT", true, false},
  };
  for (const auto& [name, publisher, withoutUpdates, withoutMicrosoft] : cases) {
    EXPECT_EQ(PassesSoftwareFilter(SoftwareFilter::HideUpdates, name, publisher), withoutUpdates) << name;
    EXPECT_EQ(PassesSoftwareFilter(SoftwareFilter::HideMicrosoft, name, publisher), withoutMicrosoft) << name;
  }
}

TEST_F(SoftwareTest, RowsCarryTheirValuesAndEachActsOnItsOwnRegistrationAsItIsNow) {
  TempFolder t;
  const std::wstring icon = t.file(L"App\\app.ico", "ico"), exe = t.file(L"App\\uninst.exe", "exe");
  const std::wstring rec = t.folder(L"My App") + L"\\rec.exe";
  ASSERT_TRUE(CopyFileW(kSelf.c_str(), rec.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(kSelf.c_str(), (t / L"My.exe").c_str(), FALSE));  // what the unquoted path's first word names
  FILETIME before{}, after{};
  GetSystemTimeAsFileTime(&before);
  before.dwLowDateTime &= ~0xFFFFFu;  // the registry keeps coarser times than the clock
  const std::wstring full = plant(
      L"full", {{L"DisplayName", L"Full App"}, {L"Publisher", L"Full Co"}, {L"DisplayVersion", L"2.5.1"},
                {L"DisplayIcon", icon + L",0"}, {L"UninstallString", L"\"" + exe + L"\" /S"},
                {L"URLInfoAbout", L"https://full.invalid/"}, {L"HelpLink", L"https://help.full.invalid/"}});
  GetSystemTimeAsFileTime(&after);
  plant(L"help", {{L"DisplayName", L"Help Only"}, {L"HelpLink", L"www.help.invalid"},
                  {L"DisplayIcon", t / L"missing.ico"}, {L"UninstallString", exe + L" /remove"}});
  plant(L"noname", {{L"Publisher", L"Acme"}});  // registrations without a name are never listed
  plant(L"blank", {{L"DisplayName", L""}, {L"Publisher", L"Acme"}});
  // Twins by display name, and a 32-bit registration under the second one's key name.
  const std::wstring first = plant(L"t1", {{L"DisplayName", L"Twin"}, {L"UninstallString", L"   "}}),
                     name = plant(L"t2", {{L"DisplayName", L"Twin"}, {L"UninstallString", Recorder(t / L"x", L"x")}});
  plant(L"t2", {{L"DisplayName", L"Twin"}, {L"UninstallString", Recorder(t / L"wow", L"wow")}}, kWow32);

  const std::vector<SoftwareRow> rows = read();
  ASSERT_EQ(rows.size(), 5u);
  const auto find = [&](auto is) {
    const auto it = std::ranges::find_if(rows, is);
    return it == rows.end() ? SoftwareRow{} : *it;
  };
  const auto row = [&](std::wstring_view shown) { return find([&](auto& r) { return r.displayName == shown; }); };
  const SoftwareRow a = row(L"Full App");
  EXPECT_EQ(std::tie(a.subkey, a.view, a.publisher, a.version, a.webAddress, a.uninstallCommand),
            std::make_tuple(full, kNative, L"Full Co", L"2.5.1", L"https://full.invalid/", L"\"" + exe + L"\" /S"));
  EXPECT_TRUE(EqualsNoCase(a.iconFile, icon));
  EXPECT_TRUE(a.hasInstalled && CompareFileTime(&a.installed, &before) >= 0 && CompareFileTime(&a.installed, &after) <= 0);
  EXPECT_EQ(row(L"Help Only").webAddress, L"www.help.invalid");
  EXPECT_TRUE(EqualsNoCase(row(L"Help Only").iconFile, exe));  // its icon file is missing: the uninstaller's
  const auto twin = [&](UninstallView v, const std::wstring& key) {
    return find([&](auto& r) { return r.view == v && r.subkey == key; });
  };
  const SoftwareRow one = twin(kNative, first), two = twin(kNative, name), wow = twin(kWow32, name);
  ASSERT_TRUE(one.subkey == first && two.subkey == name && wow.subkey == name);
  EXPECT_EQ(std::tie(rows.back().subkey, rows.back().view), std::tie(name, kWow32)) << "the 32-bit registrations come last";

  // Changed since the list was read: an unquoted path with blanks, and words a command shell would take apart.
  auto key = Reg().openKey(kLM, RegistrationPath(kNative, name));
  ASSERT_TRUE(key && key->writeText(L"UninstallString", rec + L" --record " + (t / L"now") + L" %TEMP%&now"));
  EXPECT_EQ(RunUninstaller(one), UninstallOutcome::NoCommand);
  ASSERT_EQ(RunUninstaller(two), UninstallOutcome::Started);
  EXPECT_TRUE(EqualsNoCase(WaitForRecord(t / L"now"), rec + L"|%TEMP%&now"));
  ASSERT_EQ(RunUninstaller(wow), UninstallOutcome::Started);
  EXPECT_TRUE(WaitForRecord(t / L"wow").ends_with(L"|wow"));

  // Each deleted registration is written to an undo file first, listed among the registry backups.
  const std::wstring undo = t / L"Registry";
  EXPECT_TRUE(DeleteRegistration(wow, undo));
  EXPECT_TRUE(!exists(kWow32, name) && exists(kNative, name));
  EXPECT_TRUE(DeleteRegistration(two, undo));
  EXPECT_TRUE(!exists(kNative, name) && exists(kNative, first));
  const std::vector<BackupEntry> undoFiles = ListRegistryBackups(undo);
  ASSERT_EQ(undoFiles.size(), 2u);
  const std::string first32 = ReadBytes(undoFiles[0].file);
  const std::wstring_view text(reinterpret_cast<const wchar_t*>(first32.data()), first32.size() / sizeof(wchar_t));
  EXPECT_NE(text.find(L"\\Wow6432Node\\"), std::wstring_view::npos);
  EXPECT_NE(text.find(L"\"DisplayName\"=\"Twin\""), std::wstring_view::npos);
  // Gone already: nothing to run, nothing to keep, and its row may go. A row without a key name never takes the Uninstall key.
  EXPECT_EQ(RunUninstaller(two), UninstallOutcome::RegistrationGone);
  EXPECT_TRUE(DeleteRegistration(two, undo));
  EXPECT_EQ(ListRegistryBackups(undo).size(), 2u);
  SoftwareRow nameless = one;
  nameless.subkey.clear();
  EXPECT_EQ(DeleteRegistration(nameless, undo).error(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  // No undo file, no deletion.
  WriteBytes(t / L"blocked", "a file where the backup folder would be");
  std::wstring why;
  EXPECT_EQ(DeleteRegistration(one, t / L"blocked", &why).error(), static_cast<DWORD>(ERROR_CANNOT_MAKE));
  EXPECT_TRUE(exists(kNative, first) && !why.empty());
  EXPECT_TRUE(Reg().keyExists(kLM, kUninstallKey));
  // The program's whole path, exactly as written, is quoted; a bare name comes from Windows' own folders;
  // a missing program, a folder or a relative path (whatever the current folder holds) is never found.
  const std::wstring system = IncludeTrailingBackslash(Sh().systemFolder());
  const std::tuple<std::wstring, bool, std::wstring> lines[] = {
      {L"  " + rec + L"  ", true, L"\"" + rec + L"\""},
      {rec + L" /x", true, L"\"" + rec + L"\" /x"},
      {L"MsiExec.exe /X{1234}", true, L"\"" + system + L"MsiExec.exe\" /X{1234}"},
      {L"\"" + rec + L"\"/q", true, L"\"" + rec + L"\"/q"},
      {t.path() + L"\\No Such\\app.exe /q", false, L""},
      {L"\"" + t.path() + L"\\My App\\gone.exe\" /q", false, L""},
      {L"NoSuchProgram.exe /q", false, L""},
      {t.path() + L"\\My App", false, L""},  // a folder is no program
      {L".\\regedit.exe", false, L""},
      {L"C:regedit.exe /s", false, L""},
      {L"system32\\regedit.exe /s", false, L""},
  };
  for (const auto& [text, found, line] : lines) {
    const UninstallCommand command = ResolveUninstallCommand(text);
    EXPECT_EQ(command.found, found) << ToUtf8(text);
    EXPECT_TRUE(EqualsNoCase(command.commandLine, line)) << ToUtf8(text) << " -> " << ToUtf8(command.commandLine);
  }
  Sleep(300);  // let the copied program end before its folder goes
}

TEST_F(SoftwareTest, OnlyWebAndMailAddressesAreOpened) {
  using K = WebAddressKind;
  const std::tuple<const wchar_t*, K, const wchar_t*> cases[] = {  // the text, its kind, what the shell is handed
      {L"  http://vendor.invalid/app  ", K::Web, L"http://vendor.invalid/app"}, {L"   ", K::Empty, nullptr},
      {L"HTTPS://vendor.invalid", K::Web, L"HTTPS://vendor.invalid"}, {L"ftp://f.invalid/pub", K::Web, L"ftp://f.invalid/pub"},
      {L"mailto:support@vendor.invalid", K::Web, L"mailto:support@vendor.invalid"}, {L"http://", K::NotWeb, nullptr},
      {L"www.vendor.invalid", K::Web, L"http://www.vendor.invalid"},
      {L"\\\\server\\share\\setup.exe", K::NotWeb, nullptr}, {L"file:///C:/Windows/notepad.exe", K::NotWeb, nullptr},
      {L"javascript:alert(1)", K::NotWeb, nullptr}, {L"notepad.exe http://x.invalid", K::NotWeb, nullptr},
  };
  for (const auto& [text, kind, opened] : cases) {
    shell.opened.clear();
    EXPECT_EQ(CheckWebAddress(text).kind, kind) << text;
    EXPECT_EQ(OpenWebAddress(text), opened != nullptr) << text;
    EXPECT_EQ(shell.opened, opened ? Texts{std::wstring(L"|") + opened} : Texts{}) << text;
  }
}

// The registration's program is missing: the first words of its unquoted path
// name another program ("C:\Games\My.exe" for "C:\Games\My Game\uninst.exe"),
// which must never run. Nothing starts.
TEST_F(SoftwareTest, AMissingUninstallerStartsNothingElse) {
  TempFolder t(L"games");
  ASSERT_TRUE(CopyFileW(kSelf.c_str(), (t / L"My.exe").c_str(), FALSE));  // planted where the blank splits the path
  const std::wstring record = t / L"planted.txt";
  const std::wstring name = plant(L"missing", {{L"DisplayName", L"Missing Uninstaller"},
                                               {L"UninstallString", t / L"My Game\\uninst.exe --record " + record + L" planted"}});
  const std::vector<SoftwareRow> rows = read();
  ASSERT_EQ(rows.size(), 1u);
  std::wstring missing;
  EXPECT_EQ(RunUninstaller(rows[0], &missing), UninstallOutcome::UninstallerMissing);
  EXPECT_TRUE(EqualsNoCase(missing, t / L"My Game\\uninst.exe")) << ToUtf8(missing);
  EXPECT_TRUE(shell.ran.empty()) << ToUtf8(shell.ran.empty() ? L"" : shell.ran[0]);
  Sleep(1500);
  EXPECT_FALSE(PathExists(record)) << "the planted program ran";
  Sleep(300);  // let a started program end before its folder goes
}

}  // namespace
}  // namespace wv::test
