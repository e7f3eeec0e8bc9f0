// The main window as it starts, the side bar switching its pages, and the
// administrator gate.

#include <algorithm>

#include "app/page.h"
#include "appfixture.h"
#include "cleaning/qdszpage.h"
#include "cleaning/qtrcpage.h"
#include "cleaning/rjqlpage.h"
#include "cleaning/wjqlline.h"
#include "cleaning/wjqlpage.h"
#include "cleaning/wjrcpage.h"
#include "platform/win32/win32_platform.h"
#include "registry/bfglpage.h"
#include "registry/zcqlpage.h"
#include "registry/zcrcpage.h"
#include "support/testsupport.h"
#include "tools/wjfspage.h"
#include "tools/wjszpage.h"

namespace wv::test {
namespace {

using ShellTest = FormTest;

auto VisiblePages(Tfrmmain& f) { return std::ranges::count_if(f.PageControl1.pages(), &Page::visible); }
auto ButtonsDown(Tfrmmain& f) { return std::ranges::count_if(f.Panel2.buttons(), &FlatButton::down); }

TEST_F(ShellTest, StartsOnTheDailyFilePageWithAnEmptyStatusBarAndTheDrivesTicked) {
  EXPECT_EQ(&form->activePage(), &form->page<WjrcPage>());
  EXPECT_EQ(VisiblePages(*form), 1);
  EXPECT_EQ(ButtonsDown(*form), 1);
  EXPECT_TRUE(form->Panel2.button(L"wjrc").down());
  EXPECT_FALSE(form->Panel2.button(L"yysz").visible());
  EXPECT_TRUE(form->ToolsEnabled());
  EXPECT_EQ(form->zdk_runinfo.text(), L"");
  EXPECT_FALSE(form->zdk_runprog.visible());
  SetRunInfo(L"已扫描到 3 项");
  EXPECT_EQ(form->zdk_runinfo.text(), L"已扫描到 3 项");
  // One ticked row per fixed drive.
  std::vector<std::wstring> drives;
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter)
    if (GetDriveTypeW((std::wstring(1, letter) + L":\\").c_str()) == DRIVE_FIXED) drives.push_back({letter, L':'});
  const std::vector<ListRow> rows = form->page<WjqlPage>().wjql_select.rows();
  ASSERT_EQ(rows.size(), drives.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(DriveFromCaption(rows[i].caption), drives[i]) << rows[i].caption;
    EXPECT_TRUE(rows[i].checked);
    EXPECT_TRUE(rows[i].column(1).ends_with(L"  剩余")) << rows[i].column(1);
  }
}

TEST_F(ShellTest, ItemListsShowTheirHeadersAndTheStatusTextTakesTheGaugesRoom) {
  const std::pair<ListView*, bool> lists[] = {{&form->page<WjrcPage>().wjrc_select, true},
                                              {&form->page<ZcqlPage>().zcql_select, true},
                                              {&form->page<ZcrcPage>().zcrc_select, true},
                                              {&form->page<WjqlPage>().wjql_select, false}};
  for (const auto& [list, headers] : lists)
    EXPECT_EQ((GetWindowLongW(list->handle(), GWL_STYLE) & LVS_NOCOLUMNHEADER) == 0, headers) << list->text(0, 0);

  Gauge& gauge = form->zdk_runprog;
  for (const bool maximized : {false, true}) {
    SCOPED_TRACE(maximized ? "maximized" : "normal");
    if (maximized) form->ToggleMaximized();
    const int width = form->clientRect().right;
    EXPECT_EQ(form->zdk_runinfo.width(), width) << "the gauge is hidden";
    gauge.setVisible(true);
    EXPECT_EQ(gauge.width(), 142);
    EXPECT_EQ(gauge.bounds().right, width);
    EXPECT_EQ(form->zdk_runinfo.width(), width - 142);
    gauge.setVisible(false);
    EXPECT_EQ(form->zdk_runinfo.width(), width);
  }
  form->ToggleMaximized();
}

TEST_F(ShellTest, CatalogueListsTickTheRecommendedRowsAndRestoreThem) {
  struct Case {
    ListView* list;
    int rows, ticked;
    std::function<void()> defaults;
  };
  const Case cases[] = {
      {&form->page<ZcqlPage>().zcql_select, 3, 3, nullptr},
      {&form->page<ZcrcPage>().zcrc_select, 13, 11, [&] { form->page<ZcrcPage>().zcrc_mr.click(); }},
      {&form->page<WjqlPage>().wjql_wjlxlist, 35, 26, [&] { form->page<WjqlPage>().wjql_lxtj.onClick(); }},
      {&form->page<WjrcPage>().wjrc_select, 5, 4, [&] { form->page<WjrcPage>().wjrc_mr.click(); }},
      {&form->page<QtrcPage>().qtrc_showlist, 7, 2, [&] { form->page<QtrcPage>().qtrc_mr.click(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rows);
    ASSERT_EQ(c.list->count(), c.rows);
    EXPECT_EQ(c.list->checkedCount(), c.ticked);
    for (int i = 0; i < c.list->count(); ++i) EXPECT_EQ(c.list->checked(i), c.list->state(i) == 1) << i;
    if (!c.defaults) continue;
    for (int i = 0; i < c.list->count(); ++i) c.list->setChecked(i, !c.list->checked(i));
    c.defaults();
    EXPECT_EQ(c.list->checkedCount(), c.ticked);
    for (int i = 0; i < c.list->count(); ++i) EXPECT_EQ(c.list->checked(i), c.list->state(i) == 1) << i;
  }
}

TEST_F(ShellTest, TheSideBarSwitchesPagesAndClearsTheStatus) {
  Tfrmmain& f = *form;
  SideBar& bar = f.Panel2;
  const std::pair<FlatButton*, Page*> table[] = {
      {&bar.button(L"zcrc"), &f.page<ZcrcPage>()}, {&bar.button(L"qtrc"), &f.page<QtrcPage>()}, {&bar.button(L"qdsz"), &f.page<QdszPage>()},
      {&bar.button(L"rjql"), &f.page<RjqlPage>()}, {&bar.button(L"wjql"), &f.page<WjqlPage>()}, {&bar.button(L"zcql"), &f.page<ZcqlPage>()},
      {&bar.button(L"wjsz"), &f.page<WjszPage>()}, {&bar.button(L"wjfs"), &f.page<WjfsPage>()}, {&bar.button(L"wjrc"), &f.page<WjrcPage>()},
  };
  for (const auto& [button, page] : table) {
    SCOPED_TRACE(std::string(page->key().begin(), page->key().end()));
    SetRunInfo(L"上一页的状态");
    button->click();
    EXPECT_EQ(&f.activePage(), page);
    EXPECT_EQ(f.zdk_runinfo.text(), L"");
    EXPECT_EQ(VisiblePages(f), 1);
    EXPECT_TRUE(button->down());
    EXPECT_EQ(ButtonsDown(f), 1);
  }
  // Only a change of page clears the status.
  SetRunInfo(L"上一页的状态");
  bar.button(L"wjrc").click();
  EXPECT_EQ(f.zdk_runinfo.text(), L"上一页的状态");
  // The backup page has no button: the side bar stays as it was.
  f.SwitchToPage(f.page<BfglPage>());
  EXPECT_EQ(&f.activePage(), &f.page<BfglPage>());
  EXPECT_TRUE(bar.button(L"wjrc").down());
  // Switched off (during a run), the side bar opens no page, also for the mouse.
  f.SetToolsEnabled(false);
  bar.button(L"qtrc").click();
  SendMessageW(bar.button(L"qtrc").handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(bar.button(L"qtrc").handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(&f.activePage(), &f.page<BfglPage>());
  f.SetToolsEnabled(true);
}

// A shell that resolves no cookies, internet cache or recent documents, and a
// drive root for the temporary folder (every cleaner would work on the drive).
class PartialShell : public Win32Shell {
 public:
  std::wstring specialFolder(int csidl) override {
    return csidl == 33 || csidl == 32 || csidl == 8 ? std::wstring() : Win32Shell::specialFolder(csidl);
  }
  std::wstring tempPath() override { return L"C:\\"; }
};

TEST(KnownFolders, ThoseTheShellCannotResolveStayEmpty) {
  PartialShell shell;
  Substitute<Shell> swap(&Platform::shell, shell);
  const KnownFolders k = ResolveKnownFolders();
  for (const std::wstring* f : {&k.CookiesDir, &k.InternetCacheDir, &k.RecentDir, &k.TempDir}) EXPECT_EQ(*f, L"");
  for (const std::wstring* f : {&k.ProgramsDir, &k.StartupDir, &k.WindowsDir, &k.SystemDir}) {
    EXPECT_TRUE(DirectoryExists(*f)) << *f;
    EXPECT_NE(f->back(), L'\\');
  }
}

// The system as a user outside the administrators group sees it.
class NoAdminSystem : public Win32SystemInfo {
 public:
  std::optional<std::vector<SidBytes>> tokenGroups() override {
    std::vector<SidBytes> groups = Win32SystemInfo::tokenGroups().value_or(std::vector<SidBytes>{});
    std::erase(groups, administratorsGroup());
    return groups;
  }
};

TEST(AdminGate, AnyOtherUserIsToldAndTheProgramEndsUnsaved) {
  NoAdminSystem system;
  Substitute<SystemInfo> swap(&Platform::system, system);
  ScriptedMsgBox boxes;
  int saves = 0;
  FormOptions options;
  options.quitOnDestroy = false;
  options.onSaveSettings = [&] { ++saves; };
  Tfrmmain form(std::move(options));
  form.create();
  HWND hwnd = form.handle();
  bool everVisible = false;
  EXPECT_TRUE(PumpUntil([&] {
    everVisible = everVisible || IsWindowVisible(hwnd);
    return !IsWindow(hwnd);
  }));
  EXPECT_FALSE(everVisible);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].text, L"只有以系统管理员的身份登录才能使用本软件！");
  EXPECT_EQ(saves, 0);
}

TEST(FitListColumnTest, TheColumnTakesTheRestButNeverLessThan100) {
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  {
    ListView list;
    list.create(parent, ListStyle{}, {{L"a", 20}, {L"b", 300}, {L"c", 200}});
    list.setBounds(0, 0, 400, 200);
    FitListColumn(list, 0);
    EXPECT_EQ(list.columnWidth(0), 100);  // the others already overfill the list
    list.setColumnWidth(1, 50);
    list.setColumnWidth(2, 50);
    FitListColumn(list, 0);
    EXPECT_EQ(list.columnWidth(0), 400 - 18 - 100);
  }
  DestroyWindow(parent);
}

}  // namespace
}  // namespace wv::test
