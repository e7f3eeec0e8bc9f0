// The installed software: registrations planted at the real Uninstall keys under names of this
// process, uninstall commands that start this very program as a recorder (see main.cpp), the page.
#include <algorithm>
#include <tuple>

#include "support/app_fixture.h"
#include "engines/cleaning/installed_software.h"
#include "pages/cleaning/software_page.h"
#include "platform/win32/win32_platform.h"
#include "support/test_support.h"

namespace wv::test {
namespace {

using Texts = std::vector<std::wstring>;
using Values = std::vector<std::pair<std::wstring, std::wstring>>;
constexpr auto kNative = UninstallView::Native, kWow32 = UninstallView::Wow32;
constexpr auto kLM = RegRoot::LocalMachine;

const std::wstring kSelf = [] {
  wchar_t path[MAX_PATH] = {};
  return std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
}();

// A command line that starts this program to write "its path|tag" into the file.
std::wstring Recorder(std::wstring_view file, std::wstring_view tag) {
  return L"\"" + kSelf + L"\" --record \"" + std::wstring(file) + L"\" " + std::wstring(tag);
}

// What the recorder wrote; empty when it did not run within some seconds.
std::wstring WaitForRecord(const std::wstring& file) {
  for (int i = 0; i < 400; ++i, Sleep(50))
    if (const std::string bytes = ReadBytes(file); !bytes.empty())
      return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
  return {};
}

// The shell's default action, recorded instead of starting a browser.
struct RecordingShell : Win32Shell {
  Texts opened;
  void open(std::wstring_view verb, std::wstring_view file, std::wstring_view, int) override {
    opened.push_back(std::wstring(verb) + L"|" + std::wstring(file));
  }
};

class SoftwareTest : public FormTest {
 protected:
  void TearDown() override {
    for (const auto& [view, name] : planted) (void)Reg().deleteKey(kLM, RegistrationPath(view, name));
    if (!wowExisted) (void)Reg().deleteKey(kLM, kUninstallKeyWow32);
    FormTest::TearDown();
  }
  std::wstring plant(std::wstring_view tag, const Values& values, UninstallView view = kNative) {
    const std::wstring name = prefix + std::wstring(tag);
    const auto key = Reg().createKey(kLM, RegistrationPath(view, name));
    EXPECT_TRUE(key) << name;
    planted.emplace_back(view, name);
    for (const auto& [value, text] : values) EXPECT_TRUE(key && key->writeText(value, text));
    return name;
  }
  bool exists(UninstallView view, const std::wstring& name) { return Reg().keyExists(kLM, RegistrationPath(view, name)); }
  // This test's rows, in the order they were read.
  std::vector<SoftwareRow> read() {
    struct : RunContext {
      bool proceed() override { return true; }
      void status(std::wstring_view) override {}
    } run;
    std::vector<SoftwareRow> rows;
    ReadInstalledSoftware(SoftwareFilter::ShowAll, run, [&](SoftwareRow r) {
      if (r.subkey.starts_with(prefix)) rows.push_back(std::move(r));
    });
    return rows;
  }

  SoftwarePage& page() { return form->page<SoftwarePage>(); }
  ListView& list() { return page().rjql_showlist; }
  int rowWith(int column, std::wstring_view text) {
    for (int i = 0; i < list().count(); ++i)
      if (list().text(i, column) == text) return i;
    return -1;
  }

  const std::wstring prefix = L"WVTest-" + std::to_wstring(GetCurrentProcessId()) + L"-";
  const bool wowExisted = Reg().keyExists(kLM, kUninstallKeyWow32);
  std::vector<std::pair<UninstallView, std::wstring>> planted;
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

  EXPECT_TRUE(DeleteRegistration(wow));
  EXPECT_TRUE(!exists(kWow32, name) && exists(kNative, name));
  EXPECT_TRUE(DeleteRegistration(two));
  EXPECT_TRUE(!exists(kNative, name) && exists(kNative, first));
  // Gone already: nothing to run, and its row may go. A row without a key name never takes the Uninstall key.
  EXPECT_EQ(RunUninstaller(two), UninstallOutcome::RegistrationGone);
  EXPECT_TRUE(DeleteRegistration(two));
  SoftwareRow nameless = one;
  nameless.subkey.clear();
  EXPECT_TRUE(!DeleteRegistration(nameless) && Reg().keyExists(kLM, kUninstallKey));
  // Only an existing program path with blanks is quoted.
  EXPECT_EQ(SafeCommandLine(L"  " + rec + L"  "), L"\"" + rec + L"\"");
  for (const std::wstring& kept : {t.path() + L"\\No Such\\app.exe /q", std::wstring(L"MsiExec.exe /X{1234}")})
    EXPECT_EQ(SafeCommandLine(kept), kept);
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

TEST_F(SoftwareTest, TheListFollowsItsFilterAndItsRowsActOnTheirOwnRegistrationHoweverSorted) {
  TempFolder t;
  const std::wstring first = plant(L"t1", {{L"DisplayName", L"Twin"}, {L"Publisher", L"aa"}, {L"URLInfoAbout", L" "}});
  const std::wstring second = plant(L"t2", {{L"DisplayName", L"Twin"}, {L"Publisher", L"zz"},
                                            {L"UninstallString", Recorder(t / L"ran", L"page")}});
  plant(L"kb", {{L"DisplayName", L"Page Update (KB77)"}, {L"HelpLink", L"C:\\Windows\\notepad.exe"}});
  page().rjql_showtype.setIndex(0);
  page().rjql_sxClick();
  EXPECT_FALSE(rowWith(0, L"Page Update (KB77)") >= 0 || page().rjql_xz.enabled() || page().rjql_sc.enabled() ||
               page().rjql_wz.enabled());
  list().select(rowWith(1, L"aa"));
  EXPECT_TRUE(page().rjql_xz.enabled() && page().rjql_sc.enabled() && !page().rjql_wz.enabled());  // a blank address

  page().rjql_showtype.setIndex(2);
  page().rjql_showtype.onChange();  // the filter's change refreshes
  const int count = list().count();
  EXPECT_EQ(list().columnCaption(0), SoftwareHeader(count));
  list().select(rowWith(0, L"Page Update (KB77)"));
  ScriptedMsgBox box;
  page().rjql_wz.click();
  ASSERT_TRUE(shell.opened.empty() && box.shown().size() == 1u);  // a local program is not an address to open
  EXPECT_NE(box.shown()[0].text.find(L"C:\\Windows\\notepad.exe"), std::wstring::npos);

  page().rjql_showlistColumnClick(1);
  const bool zzFirst = rowWith(1, L"zz") < rowWith(1, L"aa");
  page().rjql_showlistColumnClick(1);
  const int row = rowWith(1, L"zz");
  EXPECT_NE(row < rowWith(1, L"aa"), zzFirst);  // each click reverses
  ASSERT_TRUE(page().registrationOf(row) && page().registrationOf(row)->subkey == second);
  list().select(row);
  box.answer(IDOK);
  page().rjql_xz.click();
  EXPECT_EQ(box.shown().back().heading + box.shown().back().text, L"软件卸载您确定从计算机中卸载该软件吗？");
  EXPECT_TRUE(WaitForRecord(t / L"ran").ends_with(L"|page"));
  page().rjql_sc.click();  // declined
  EXPECT_TRUE(exists(kNative, second));
  box.answer(IDOK);
  page().rjql_sc.click();
  ASSERT_EQ(box.shown().size(), 4u);
  EXPECT_EQ(box.shown()[3].heading + box.shown()[3].text, L"信息删除您确定从注册表中删除该软件的注册信息吗？");
  EXPECT_TRUE(!exists(kNative, second) && exists(kNative, first));
  EXPECT_TRUE(rowWith(1, L"zz") < 0 && rowWith(1, L"aa") >= 0);  // the row that went is the one deleted
  EXPECT_EQ(list().columnCaption(0), SoftwareHeader(count - 1));
}

}  // namespace
}  // namespace wv::test
