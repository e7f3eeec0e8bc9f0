#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "cleaning/rjqlline.h"
#include "platform/win32/win32_platform.h"
#include "support/testsupport.h"
#include "tracesoft_support.h"

namespace wv {
namespace {

using test::CountingRun;
using test::SelfPath;
using test::TempFolder;
using test::WaitForRecord;

class SoftwareTest : public ::testing::Test {
 protected:
  std::wstring plant(std::wstring_view tag, const test::RegistrationValues& values,
                     UninstallView view = UninstallView::Native) {
    return planted.plant(tag, values, view);
  }
  // The rows of this test's registrations, in the order they were read.
  std::vector<SoftwareRow> read(SoftwareFilter filter) {
    std::vector<SoftwareRow> rows;
    CountingRun run;
    ReadInstalledSoftware(filter, run, [&](SoftwareRow r) {
      if (planted.ours(r.subkey)) rows.push_back(std::move(r));
    });
    return rows;
  }
  std::set<std::wstring> names(SoftwareFilter filter) {
    std::set<std::wstring> out;
    for (const SoftwareRow& r : read(filter)) out.insert(r.displayName);
    return out;
  }

  test::PlantedRegistrations planted;
};

TEST_F(SoftwareTest, FiltersHideUpdatesOrMicrosoftSoftware) {
  plant(L"tool", {{L"DisplayName", L"Acme Tool"}, {L"Publisher", L"Acme"}});
  plant(L"hotfix", {{L"DisplayName", L"Hotfix for Windows (KB123456)"}, {L"Publisher", L"Microsoft Corporation"}});
  plant(L"update", {{L"DisplayName", L"Security Update KB999"}});  // a Microsoft update without publisher
  plant(L"lower", {{L"DisplayName", L"patch (kb42)"}, {L"Publisher", L"Acme"}});
  plant(L"kbtool", {{L"DisplayName", L"KBTool"}, {L"Publisher", L"Acme"}});
  plant(L"office", {{L"DisplayName", L"Office"}, {L"Publisher", L"MICROSOFT"}});
  plant(L"noname", {{L"Publisher", L"Acme"}});
  plant(L"blank", {{L"DisplayName", L""}, {L"Publisher", L"Acme"}});

  using S = std::set<std::wstring>;
  EXPECT_EQ(names(SoftwareFilter::HideUpdates), (S{L"Acme Tool", L"KBTool", L"Office"}));
  EXPECT_EQ(names(SoftwareFilter::HideMicrosoft),
            (S{L"Acme Tool", L"Security Update KB999", L"patch (kb42)", L"KBTool"}));
  EXPECT_EQ(names(SoftwareFilter::ShowAll), (S{L"Acme Tool", L"Hotfix for Windows (KB123456)",
                                               L"Security Update KB999", L"patch (kb42)", L"KBTool", L"Office"}));
}

TEST_F(SoftwareTest, RowsCarryTheirRegistrationItsValuesAndItsDate) {
  TempFolder t;
  const std::wstring icon = t.file(L"App\\app.ico", "ico");
  const std::wstring exe = t.file(L"App\\uninst.exe", "exe");
  FILETIME before{}, after{};
  GetSystemTimeAsFileTime(&before);
  before.dwLowDateTime &= ~0xFFFFFu;  // the registry keeps coarser times than the clock
  const std::wstring full = plant(L"full", {{L"DisplayName", L"Full App"},
                                            {L"Publisher", L"Full Co"},
                                            {L"DisplayVersion", L"2.5.1"},
                                            {L"DisplayIcon", icon + L",0"},
                                            {L"UninstallString", L"\"" + exe + L"\" /S"},
                                            {L"URLInfoAbout", L"https://full.invalid/"},
                                            {L"HelpLink", L"https://help.full.invalid/"}});
  GetSystemTimeAsFileTime(&after);
  plant(L"help", {{L"DisplayName", L"Help Only"}, {L"HelpLink", L"www.help.invalid"},
                  {L"DisplayIcon", t.path() + L"\\missing.ico"}, {L"UninstallString", exe + L" /remove"}});
  plant(L"bare", {{L"DisplayName", L"Bare"}, {L"UninstallString", L"MsiExec.exe /X{00000000-0000}"}});
  const std::wstring wow = plant(L"wow", {{L"DisplayName", L"Old 32-bit App"}}, UninstallView::Wow32);

  const std::vector<SoftwareRow> rows = read(SoftwareFilter::ShowAll);
  ASSERT_EQ(rows.size(), 4u);
  const auto find = [&](std::wstring_view name) {
    return *std::find_if(rows.begin(), rows.end(), [&](const SoftwareRow& r) { return r.displayName == name; });
  };
  const SoftwareRow a = find(L"Full App");
  EXPECT_EQ(a.subkey, full);
  EXPECT_EQ(a.view, UninstallView::Native);
  EXPECT_EQ(std::tie(a.publisher, a.version), std::make_tuple(L"Full Co", L"2.5.1"));
  EXPECT_EQ(a.webAddress, L"https://full.invalid/");
  EXPECT_EQ(a.uninstallCommand, L"\"" + exe + L"\" /S");
  EXPECT_TRUE(EqualsNoCase(a.iconFile, icon));
  ASSERT_TRUE(a.hasInstalled);
  EXPECT_GE(CompareFileTime(&a.installed, &before), 0);
  EXPECT_LE(CompareFileTime(&a.installed, &after), 0);

  const SoftwareRow h = find(L"Help Only");
  EXPECT_EQ(h.webAddress, L"www.help.invalid");
  EXPECT_TRUE(EqualsNoCase(h.iconFile, exe));  // the icon file is missing: the uninstaller's
  EXPECT_EQ(find(L"Bare").iconFile, L"");
  EXPECT_EQ(find(L"Bare").webAddress, L"");

  // The 32-bit programs' registrations come after every native one.
  EXPECT_EQ(rows.back().subkey, wow);
  EXPECT_EQ(rows.back().view, UninstallView::Wow32);
}

TEST_F(SoftwareTest, TwinsAreUninstalledAndDeletedByTheirOwnRegistration) {
  TempFolder t;
  const std::wstring record = t / L"ran.txt";
  const auto command = [&](std::wstring_view tag) { return test::RecorderCommand(record, tag); };
  const std::wstring first = plant(L"twin1", {{L"DisplayName", L"Twin"}, {L"UninstallString", command(L"first")}});
  const std::wstring second = plant(L"twin2", {{L"DisplayName", L"Twin"}, {L"UninstallString", command(L"second")}});

  std::vector<SoftwareRow> rows = read(SoftwareFilter::ShowAll);
  ASSERT_EQ(rows.size(), 2u);
  const SoftwareRow& picked = rows[0].subkey == second ? rows[0] : rows[1];
  ASSERT_EQ(picked.subkey, second);

  ASSERT_EQ(RunUninstaller(picked), UninstallOutcome::Started);
  const std::wstring ran = WaitForRecord(record);
  EXPECT_TRUE(ran.ends_with(L"|second")) << ran;

  EXPECT_TRUE(DeleteRegistration(picked));
  EXPECT_FALSE(Reg().keyExists(RegRoot::LocalMachine, RegistrationPath(UninstallView::Native, second)));
  EXPECT_TRUE(Reg().keyExists(RegRoot::LocalMachine, RegistrationPath(UninstallView::Native, first)));
  rows = read(SoftwareFilter::ShowAll);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].subkey, first);

  // Gone already: nothing to run, and its row may go.
  EXPECT_EQ(RunUninstaller(picked), UninstallOutcome::RegistrationGone);
  EXPECT_TRUE(DeleteRegistration(picked));
  SoftwareRow nameless = picked;
  nameless.subkey.clear();
  EXPECT_FALSE(DeleteRegistration(nameless));  // never the Uninstall key itself
  EXPECT_TRUE(Reg().keyExists(RegRoot::LocalMachine, kUninstallKey));
}

TEST_F(SoftwareTest, TheSameSubkeyNameInBothViewsStaysTwoRegistrations) {
  TempFolder t;
  const std::wstring record = t / L"ran.txt";
  const auto command = [&](std::wstring_view tag) { return test::RecorderCommand(record, tag); };
  const std::wstring name = plant(L"both", {{L"DisplayName", L"Both 64"}, {L"UninstallString", command(L"native")}});
  plant(L"both", {{L"DisplayName", L"Both 32"}, {L"UninstallString", command(L"wow")}}, UninstallView::Wow32);
  const std::vector<SoftwareRow> rows = read(SoftwareFilter::ShowAll);
  ASSERT_EQ(rows.size(), 2u);
  const SoftwareRow& wow = rows[1];
  ASSERT_EQ(std::tie(wow.displayName, wow.view), std::make_tuple(L"Both 32", UninstallView::Wow32));

  ASSERT_EQ(RunUninstaller(wow), UninstallOutcome::Started);
  EXPECT_TRUE(WaitForRecord(record).ends_with(L"|wow"));
  EXPECT_TRUE(DeleteRegistration(wow));
  EXPECT_FALSE(Reg().keyExists(RegRoot::LocalMachine, RegistrationPath(UninstallView::Wow32, name)));
  EXPECT_TRUE(Reg().keyExists(RegRoot::LocalMachine, RegistrationPath(UninstallView::Native, name)));
}

TEST_F(SoftwareTest, TheCommandIsReadAgainFromTheRegistration) {
  const std::wstring name = plant(L"cmd", {{L"DisplayName", L"Changing"}, {L"UninstallString", L"   "}});
  std::vector<SoftwareRow> rows = read(SoftwareFilter::ShowAll);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(RunUninstaller(rows[0]), UninstallOutcome::NoCommand);
  // A row made before the command was registered runs what the key holds now.
  TempFolder t;
  const std::wstring record = t / L"ran.txt";
  auto key = Reg().openKey(RegRoot::LocalMachine, RegistrationPath(UninstallView::Native, name));
  ASSERT_TRUE(key);
  ASSERT_TRUE(key->writeText(L"UninstallString", test::RecorderCommand(record, L"now")));
  EXPECT_EQ(RunUninstaller(rows[0]), UninstallOutcome::Started);
  EXPECT_TRUE(WaitForRecord(record).ends_with(L"|now"));
}

TEST_F(SoftwareTest, AnUnquotedProgramPathWithBlanksRunsThatProgramNotADecoy) {
  TempFolder t;
  const std::wstring self = SelfPath();
  ASSERT_TRUE(CopyFileW(self.c_str(), t.folder(L"My App").append(L"\\rec.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(self.c_str(), (t / L"My.exe").c_str(), FALSE));  // what "C:\...\My" would start
  const std::wstring record = t / L"ran.txt";
  plant(L"blank", {{L"DisplayName", L"Blank Path"},
                   {L"UninstallString", t.path() + L"\\My App\\rec.exe --record " + record + L" right"}});
  const std::vector<SoftwareRow> rows = read(SoftwareFilter::ShowAll);
  ASSERT_EQ(rows.size(), 1u);
  ASSERT_EQ(RunUninstaller(rows[0]), UninstallOutcome::Started);
  const std::wstring ran = WaitForRecord(record);
  EXPECT_TRUE(EqualsNoCase(ran, t.path() + L"\\My App\\rec.exe|right")) << ran;
  Sleep(300);  // let the program end before its folder goes
}

TEST(SafeCommandLine, QuotesOnlyAnExistingProgramPathWithBlanks) {
  TempFolder t;
  const std::wstring exe = t.file(L"Some Tool\\uninst.exe", "x");
  const std::wstring plain = t.file(L"plain.exe", "x");
  struct Case {
    std::wstring command, expected;
  };
  const Case cases[] = {
      {exe + L" /S", L"\"" + exe + L"\" /S"},
      {L"  " + exe + L"  ", L"\"" + exe + L"\""},
      {L"\"" + exe + L"\" /S", L"\"" + exe + L"\" /S"},  // already quoted
      {plain + L" /x", plain + L" /x"},                 // no blank in the path
      {L"MsiExec.exe /X{1234}", L"MsiExec.exe /X{1234}"},
      {t.path() + L"\\No Such\\app.exe /q", t.path() + L"\\No Such\\app.exe /q"},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(SafeCommandLine(c.command), c.expected) << c.command;
}

// The shell's default action, recorded instead of starting a browser.
class RecordingShell : public Win32Shell {
 public:
  std::vector<std::wstring> opened;
  void open(std::wstring_view verb, std::wstring_view file, std::wstring_view, int) override {
    opened.push_back(std::wstring(verb) + L"|" + std::wstring(file));
  }
};

TEST(WebAddress, OnlyWebAndMailAddressesAreOpened) {
  struct Case {
    const wchar_t* text;
    WebAddressKind kind;
    const wchar_t* opened;
  };
  const Case cases[] = {
      {L"  http://vendor.invalid/app  ", WebAddressKind::Web, L"http://vendor.invalid/app"},
      {L"HTTPS://vendor.invalid", WebAddressKind::Web, L"HTTPS://vendor.invalid"},
      {L"ftp://files.invalid/pub", WebAddressKind::Web, L"ftp://files.invalid/pub"},
      {L"mailto:support@vendor.invalid", WebAddressKind::Web, L"mailto:support@vendor.invalid"},
      {L"www.vendor.invalid", WebAddressKind::Web, L"http://www.vendor.invalid"},
      {L"   ", WebAddressKind::Empty, nullptr},
      {L"http://", WebAddressKind::NotWeb, nullptr},
      {L"C:\\Windows\\notepad.exe", WebAddressKind::NotWeb, nullptr},
      {L"\\\\server\\share\\setup.exe", WebAddressKind::NotWeb, nullptr},
      {L"file:///C:/Windows/notepad.exe", WebAddressKind::NotWeb, nullptr},
      {L"javascript:alert(1)", WebAddressKind::NotWeb, nullptr},
      {L"notepad.exe http://x.invalid", WebAddressKind::NotWeb, nullptr},
  };
  RecordingShell shell;
  Substitute<Shell> inPlace(&Platform::shell, shell);
  for (const Case& c : cases) {
    shell.opened.clear();
    EXPECT_EQ(CheckWebAddress(c.text).kind, c.kind) << c.text;
    EXPECT_EQ(OpenWebAddress(c.text), c.opened != nullptr) << c.text;
    if (c.opened) EXPECT_EQ(shell.opened, std::vector<std::wstring>{std::wstring(L"|") + c.opened});
    else EXPECT_TRUE(shell.opened.empty()) << c.text;
  }
}

}  // namespace
}  // namespace wv
