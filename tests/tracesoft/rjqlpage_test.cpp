// The installed-software page in the real main window: the list and its header,
// the filter, the row buttons, deleting a record, the web-address check.

#include <gtest/gtest.h>

#include "app/appfixture.h"
#include "cleaning/rjqlline.h"
#include "cleaning/rjqlpage.h"
#include "platform/win32/win32_platform.h"
#include "support/testsupport.h"
#include "tracesoft_support.h"

namespace wv::test {
namespace {

class OpeningShell : public Win32Shell {
 public:
  std::vector<std::wstring> opened;
  void open(std::wstring_view, std::wstring_view file, std::wstring_view, int) override { opened.emplace_back(file); }
};

class RjqlPageTest : public FormTest {
 protected:
  RjqlPage& page() { return form->page<RjqlPage>(); }
  ListView& list() { return page().rjql_showlist; }
  int rowOf(std::wstring_view name) {
    for (int i = 0; i < list().count(); ++i)
      if (list().text(i, 0) == name) return i;
    return -1;
  }
  int header() {  // the count the first column's header shows
    const std::wstring h = list().columnCaption(0);
    const auto at = h.find(L"(共 ");
    return at == std::wstring::npos ? -1 : std::stoi(h.substr(at + 3));
  }
  PlantedRegistrations planted;
  OpeningShell shell;
  Substitute<Shell> shellInPlace{&Platform::shell, shell};
};

TEST_F(RjqlPageTest, RefreshListsTheRegistrationsUnderTheFilterWithTheCountHeader) {
  planted.plant(L"app", {{L"DisplayName", L"Page App"}, {L"Publisher", L"Acme"}, {L"DisplayVersion", L"1.0"},
                         {L"URLInfoAbout", L"http://acme.invalid/"}, {L"UninstallString", L"C:\\none\\u.exe"}});
  planted.plant(L"kb", {{L"DisplayName", L"Page Update (KB77)"}, {L"Publisher", L"Microsoft"}});
  page().rjql_showtype.setIndex(0);
  page().rjql_sxClick();
  ASSERT_GE(rowOf(L"Page App"), 0);
  EXPECT_EQ(rowOf(L"Page Update (KB77)"), -1);
  const ListRow row = list().row(rowOf(L"Page App"));
  EXPECT_EQ(row.sub[0], L"Acme");
  EXPECT_EQ(row.sub[1], L"1.0");
  EXPECT_EQ(row.sub[2].size(), 10u);  // yyyy-mm-dd
  EXPECT_EQ(row.sub[3], L"http://acme.invalid/");
  EXPECT_EQ(row.sub[4], L"C:\\none\\u.exe");
  EXPECT_EQ(header(), list().count());
  EXPECT_TRUE(page().rjql_sx.enabled() && page().rjql_showtype.enabled());
  EXPECT_FALSE(page().rjql_xz.enabled() || page().rjql_sc.enabled() || page().rjql_wz.enabled());

  page().rjql_showtype.setIndex(2);
  page().rjql_showtype.onChange();  // the filter's change refreshes
  EXPECT_GE(rowOf(L"Page Update (KB77)"), 0);
  EXPECT_EQ(header(), list().count());
}

TEST_F(RjqlPageTest, SelectionEnablesTheRowButtonsAndABlankAddressKeepsVisitOff) {
  planted.plant(L"blank", {{L"DisplayName", L"Blank Site"}, {L"URLInfoAbout", L"   "}});
  planted.plant(L"site", {{L"DisplayName", L"Local Site"}, {L"HelpLink", L"C:\\Windows\\notepad.exe"}});
  page().rjql_sxClick();
  list().select(rowOf(L"Blank Site"));
  EXPECT_TRUE(page().rjql_xz.enabled() && page().rjql_sc.enabled());
  EXPECT_FALSE(page().rjql_wz.enabled());

  list().select(rowOf(L"Local Site"));
  EXPECT_TRUE(page().rjql_wz.enabled());
  ScriptedMsgBox box;
  page().rjql_wz.click();
  EXPECT_TRUE(shell.opened.empty());  // a local program is not an address to open
  ASSERT_EQ(box.shown().size(), 1u);
  EXPECT_NE(box.shown()[0].text.find(L"C:\\Windows\\notepad.exe"), std::wstring::npos);
}

TEST_F(RjqlPageTest, DeletingARecordRemovesItsKeyAndRowAndARefreshAgreesTwinsApart) {
  const std::wstring first = planted.plant(L"t1", {{L"DisplayName", L"Page Twin"}});
  const std::wstring second = planted.plant(L"t2", {{L"DisplayName", L"Page Twin"}});
  page().rjql_showtype.setIndex(2);
  page().rjql_sxClick();
  const int count = list().count();
  // The second twin's row, found through the key each row keeps.
  int row = -1;
  for (int i = 0; i < list().count(); ++i)
    if (list().text(i, 0) == L"Page Twin" && page().registrationOf(i) && page().registrationOf(i)->subkey == second) row = i;
  ASSERT_GE(row, 0);
  list().select(row);

  ScriptedMsgBox box;
  box.answer(IDOK);
  page().rjql_sc.click();
  ExpectAskedOnce(box, L"信息删除", L"您确定从注册表中删除该软件的注册信息吗？");
  EXPECT_FALSE(Reg().keyExists(RegRoot::LocalMachine, RegistrationPath(UninstallView::Native, second)));
  EXPECT_TRUE(Reg().keyExists(RegRoot::LocalMachine, RegistrationPath(UninstallView::Native, first)));
  EXPECT_EQ(list().count(), count - 1);
  EXPECT_EQ(header(), count - 1);

  page().rjql_sxClick();
  EXPECT_EQ(list().count(), count - 1);
  EXPECT_GE(rowOf(L"Page Twin"), 0);
}

TEST_F(RjqlPageTest, UninstallAsksThenRunsTheSelectedRegistrationsCommand) {
  TempFolder t;
  const std::wstring record = t / L"ran.txt";
  planted.plant(L"u", {{L"DisplayName", L"Page Uninstall"}, {L"UninstallString", RecorderCommand(record, L"page")}});
  page().rjql_sxClick();
  list().select(rowOf(L"Page Uninstall"));
  ScriptedMsgBox box;
  box.answer(IDOK);
  page().rjql_xz.click();
  ExpectAskedOnce(box, L"软件卸载", L"您确定从计算机中卸载该软件吗？");
  EXPECT_TRUE(WaitForRecord(record).ends_with(L"|page"));
}

TEST_F(RjqlPageTest, ColumnClicksSortAndRowsKeepTheirRegistration) {
  const std::wstring b = planted.plant(L"sb", {{L"DisplayName", L"Page Sort B"}, {L"Publisher", L"zz"}});
  const std::wstring a = planted.plant(L"sa", {{L"DisplayName", L"Page Sort A"}, {L"Publisher", L"aa"}});
  page().rjql_sxClick();
  page().rjql_showlistColumnClick(1);
  const bool aFirst = rowOf(L"Page Sort A") < rowOf(L"Page Sort B");
  page().rjql_showlistColumnClick(1);
  EXPECT_NE(rowOf(L"Page Sort A") < rowOf(L"Page Sort B"), aFirst);  // each click reverses
  EXPECT_EQ(page().registrationOf(rowOf(L"Page Sort A"))->subkey, a);
  EXPECT_EQ(page().registrationOf(rowOf(L"Page Sort B"))->subkey, b);
}

}  // namespace
}  // namespace wv::test
