// The installed-software page in the real main window: its filter, its rows
// acting on their own registrations however sorted, and what it says when a
// registration cannot be deleted.
#include "support/app_fixture.h"
#include "engines/cleaning/software_fixtures.h"
#include "engines/registry/backup_records.h"
#include "pages/cleaning/software_page.h"

namespace wv::test {
namespace {

// Deleting registration keys is refused, as a policy or another program's lock would.
struct RefusingRegistry : Win32Registry {
  SysResult deleteKey(RegRoot, std::wstring_view) override { return SysResult(ERROR_ACCESS_DENIED); }
};

class SoftwarePageTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form->setBackupBase(backups.path());  // undo files of deleted registrations go here
  }
  SoftwarePage& page() { return form->page<SoftwarePage>(); }
  auto& controls() { return Controls(page()); }
  ListView& list() { return controls().programList; }
  int rowWith(int column, std::wstring_view text) {
    for (int i = 0; i < list().count(); ++i)
      if (list().text(i, column) == text) return i;
    return -1;
  }
  // The registration behind a row, as the row keeps it.
  const SoftwareRow& registrationOf(int row) { return controls().registrations.at(static_cast<std::size_t>(list().state(row))); }

  TempFolder backups{L"software backups"};
  Registrations registrations;
  RecordingShell shell;
  Substitute<Shell> shellInPlace{&Platform::shell, shell};
};

TEST_F(SoftwarePageTest, TheListFollowsItsFilterAndItsRowsActOnTheirOwnRegistrationHoweverSorted) {
  shell.runs = false;
  const std::wstring first = registrations.plant(L"t1", {{L"DisplayName", L"Twin"}, {L"Publisher", L"aa"}, {L"URLInfoAbout", L" "}});
  const std::wstring uninstaller = backups.file(L"Twin\\uninst.exe");  // only recorded, never run
  const std::wstring second = registrations.plant(L"t2", {{L"DisplayName", L"Twin"}, {L"Publisher", L"zz"},
                                                          {L"UninstallString", L"\"" + uninstaller + L"\" /page"}});
  registrations.plant(L"kb", {{L"DisplayName", L"Page Update (KB77)"}, {L"HelpLink", L"C:\\Windows\\notepad.exe"}});
  form->sideBar.button(Module::Software).click();  // opening the page reads the list
  controls().filterCombo.setIndex(0);
  controls().refreshButton.click();
  EXPECT_FALSE(rowWith(0, L"Page Update (KB77)") >= 0 || controls().uninstallButton.enabled() ||
               controls().deleteRecordButton.enabled() || controls().visitAddressButton.enabled());
  list().select(rowWith(1, L"aa"));
  EXPECT_TRUE(controls().uninstallButton.enabled() && controls().deleteRecordButton.enabled() &&
              !controls().visitAddressButton.enabled());  // a blank address

  controls().filterCombo.setIndex(2);
  controls().filterCombo.onChange();  // the filter's change refreshes
  const int count = list().count();
  EXPECT_EQ(list().columnCaption(0), SoftwareHeader(count));
  list().select(rowWith(0, L"Page Update (KB77)"));
  ScriptedMsgBox box;
  controls().visitAddressButton.click();
  ASSERT_TRUE(shell.opened.empty() && box.shown().size() == 1u);  // a local program is not an address to open
  EXPECT_NE(box.shown()[0].text.find(L"C:\\Windows\\notepad.exe"), std::wstring::npos);

  list().onColumnClick(1);
  const bool zzFirst = rowWith(1, L"zz") < rowWith(1, L"aa");
  list().onColumnClick(1);
  const int row = rowWith(1, L"zz");
  EXPECT_NE(row < rowWith(1, L"aa"), zzFirst);  // each click reverses
  ASSERT_EQ(registrationOf(row).subkey, second);
  list().select(row);
  box.answer(IDOK);
  controls().uninstallButton.click();
  EXPECT_EQ(box.shown().back().heading + box.shown().back().text, L"软件卸载您确定从计算机中卸载该软件吗？");
  EXPECT_EQ(shell.ran, Texts{L"\"" + uninstaller + L"\" /page"});
  controls().deleteRecordButton.click();  // declined
  EXPECT_TRUE(Registrations::exists(kNative, second));
  box.answer(IDOK);
  controls().deleteRecordButton.click();
  ASSERT_EQ(box.shown().size(), 4u);
  EXPECT_EQ(box.shown()[3].heading + box.shown()[3].text, L"信息删除您确定从注册表中删除该软件的注册信息吗？");
  EXPECT_TRUE(!Registrations::exists(kNative, second) && Registrations::exists(kNative, first));
  EXPECT_TRUE(rowWith(1, L"zz") < 0 && rowWith(1, L"aa") >= 0);  // the row that went is the one deleted
  EXPECT_EQ(list().columnCaption(0), SoftwareHeader(count - 1));
  // The registration was written down first, like a clean of the registry pages,
  // and the backup manager lists that undo file.
  const std::vector<BackupEntry> undo = ListRegistryBackups(form->registryBackupFolder);
  ASSERT_EQ(undo.size(), 1u);
  EXPECT_TRUE(undo[0].name.starts_with(L"RegUndo_") && undo[0].present);
  const std::string text = ReadBytes(undo[0].file);
  const std::wstring wide(reinterpret_cast<const wchar_t*>(text.data()), text.size() / sizeof(wchar_t));
  EXPECT_NE(wide.find(L"[HKEY_LOCAL_MACHINE\\" + RegistrationPath(kNative, second) + L"]"), std::wstring::npos);
  EXPECT_NE(wide.find(L"\"DisplayName\"=\"Twin\""), std::wstring::npos);
}

// A registration the system will not let go keeps its row, and the message says
// why; one that someone else removed meanwhile simply leaves the list.
TEST_F(SoftwarePageTest, ARefusedDeletionKeepsItsRowAndSaysWhyAGoneOneJustLeaves) {
  const std::wstring kept = registrations.plant(L"kept", {{L"DisplayName", L"Kept App"}});
  const std::wstring gone = registrations.plant(L"gone", {{L"DisplayName", L"Gone App"}});
  form->sideBar.button(Module::Software).click();
  controls().filterCombo.setIndex(2);
  controls().filterCombo.onChange();
  ScriptedMsgBox box;
  {
    RefusingRegistry registry;
    Substitute<Registry> inPlace(&Platform::registry, registry);
    list().select(rowWith(0, L"Kept App"));
    box.answer(IDOK);
    controls().deleteRecordButton.click();
  }
  ASSERT_EQ(box.shown().size(), 2u);
  EXPECT_EQ(box.shown()[1].heading + L" " + box.shown()[1].text,
            L"信息删除 该软件的注册信息未能删除。" + SystemErrorText(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(rowWith(0, L"Kept App") >= 0 && Registrations::exists(kNative, kept));

  ASSERT_TRUE(Reg().deleteKey(kLM, RegistrationPath(kNative, gone)));
  list().select(rowWith(0, L"Gone App"));
  box.answer(IDOK);
  controls().deleteRecordButton.click();
  EXPECT_EQ(box.shown().size(), 3u) << "only the question";
  EXPECT_LT(rowWith(0, L"Gone App"), 0);
}

}  // namespace
}  // namespace wv::test
