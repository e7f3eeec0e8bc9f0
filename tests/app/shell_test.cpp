// The main window as it starts, the side bar and switching pages, the status
// line's room, known folders the shell cannot resolve, and the administrator gate.

#include <algorithm>

#include "app/page.h"
#include "app/page_table.h"
#include "pages/page_table.h"
#include "platform/win32/win32_platform.h"
#include "support/app_fixture.h"
#include "support/test_support.h"

namespace wv::test {
namespace {

using ShellTest = FormTest;

auto VisiblePages(MainWindow& f) { return std::ranges::count_if(f.pageHost.pages(), &Page::visible); }
auto ButtonsDown(MainWindow& f) { return std::ranges::count_if(f.sideBar.buttons(), &FlatButton::down); }

TEST_F(ShellTest, StartsOnTheFirstPageWithAnEmptyStatusAndEveryFixedDriveTicked) {
  EXPECT_TRUE(&form->activePage() == form->pages().front().get() && VisiblePages(*form) == 1);
  EXPECT_TRUE(form->statusLine.text().empty() && !form->progressGauge.visible());
  std::vector<std::wstring> drives;
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter)
    if (GetDriveTypeW((std::wstring(1, letter) + L":\\").c_str()) == DRIVE_FIXED) drives.push_back({letter, L':'});
  auto* driveList = dynamic_cast<ListView*>(ListHeaded(*form->findPage(Module::JunkFiles), L"磁盘分区列表"));
  ASSERT_NE(driveList, nullptr);
  const std::vector<ListRow> rows = driveList->rows();
  ASSERT_EQ(rows.size(), drives.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_TRUE(rows[i].caption.ends_with(L" (" + drives[i] + L")")) << rows[i].caption;
    EXPECT_TRUE(rows[i].checked && rows[i].column(1).ends_with(L"  剩余")) << rows[i].column(1);
  }
}

TEST_F(ShellTest, TheSideBarFollowsThePageTableAndOnlyAChangeOfPageClearsTheStatus) {
  MainWindow& f = *form;
  SideBar& bar = f.sideBar;
  // The backup page has no button: the side bar stays as it was.
  Page& backups = *f.findPage(Module::BackupManager);
  f.switchToPage(backups);
  EXPECT_TRUE(&f.activePage() == &backups && bar.buttonOf(*f.pages().front())->down());
  const auto table = AllPages();
  ASSERT_EQ(f.pages().size(), table.size());
  std::size_t withButton = 0;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const PageEntry& e = table[i];
    SCOPED_TRACE(static_cast<int>(e.module));
    Page* page = f.findPage(e.module);
    ASSERT_EQ(page, f.pages()[i].get());
    FlatButton* button = bar.buttonOf(*page);
    ASSERT_EQ(button == nullptr, e.group == SideGroup::None);
    if (!button) continue;
    EXPECT_EQ(bar.buttons().at(withButton++), button) << "side-bar order is table order";
    EXPECT_TRUE(button->caption() == ModuleInfoOf(e.module).sideCaption && button->visible() == e.buttonShown && bar.pageOf(*button) == page);
    if (!e.buttonShown) continue;
    SetRunInfo(L"上一页的状态");
    button->click();
    EXPECT_TRUE(&f.activePage() == page && f.statusLine.text().empty() && VisiblePages(f) == 1);
    EXPECT_TRUE(button->down() && ButtonsDown(f) == 1);
  }
  EXPECT_EQ(bar.buttons().size(), withButton);
  SetRunInfo(L"上一页的状态");
  bar.buttonOf(f.activePage())->click();
  EXPECT_EQ(f.statusLine.text(), L"上一页的状态");
  // Switched off (during a run), the side bar opens no page, also for the mouse.
  Page& before = f.activePage();
  f.setSideBarEnabled(false);
  FlatButton& other = bar.button(Module::OtherTraces);
  other.click();
  SendMessageW(other.handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(other.handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(&f.activePage(), &before);
  f.setSideBarEnabled(true);
}

// Without a mouse: the side bar is one Tab stop, at the pressed button; the arrows
// open the next shown page (wrapping), Space presses; a switched-off bar opens nothing.
TEST_F(ShellTest, TheKeyboardReachesEveryPageOfTheSideBar) {
  MainWindow& f = *form;
  SideBar& bar = f.sideBar;
  std::vector<FlatButton*> shown;
  for (FlatButton* b : bar.buttons())
    if (b->visible()) shown.push_back(b);
  ASSERT_GE(shown.size(), 3u);
  shown[0]->click();
  for (FlatButton* b : bar.buttons())
    EXPECT_EQ((GetWindowLongPtrW(b->handle(), GWL_STYLE) & WS_TABSTOP) != 0, b == shown[0]) << b->caption();
  HWND at = shown[0]->handle();
  for (int steps = 0; steps < 300; ++steps) {
    at = GetNextDlgTabItem(f.handle(), at, FALSE);
    if (at == shown[0]->handle()) break;
    EXPECT_EQ(GetParent(at) == bar.moduleButtons.handle(), false) << "a second stop in the side bar";
  }
  EXPECT_EQ(at, shown[0]->handle()) << "Tab never came back to the side bar";

  SetFocus(shown[0]->handle());
  for (std::size_t i = 1; i <= shown.size(); ++i) {
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_DOWN, 0);
    const FlatButton* expected = shown[i % shown.size()];
    EXPECT_TRUE(GetFocus() == expected->handle() && &f.activePage() == bar.pageOf(*expected)) << expected->caption();
  }
  SendMessageW(GetFocus(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(&f.activePage(), bar.pageOf(*shown.back()));
  SendMessageW(shown[1]->handle(), WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(&f.activePage(), bar.pageOf(*shown[1]));
  f.setSideBarEnabled(false);
  SendMessageW(shown[1]->handle(), WM_KEYDOWN, VK_DOWN, 0);
  SendMessageW(shown[2]->handle(), WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(&f.activePage(), bar.pageOf(*shown[1]));
  f.setSideBarEnabled(true);
}

TEST_F(ShellTest, TheStatusTextTakesTheGaugesRoom) {
  Gauge& gauge = form->progressGauge;
  for (const bool maximized : {false, true}) {
    SCOPED_TRACE(maximized ? "maximized" : "normal");
    if (maximized) form->toggleMaximized();
    const int width = form->clientRect().right;
    EXPECT_EQ(form->statusLine.width(), width) << "the gauge is hidden";
    gauge.setVisible(true);
    EXPECT_TRUE(gauge.width() == 142 && gauge.bounds().right == width && form->statusLine.width() == width - 142);
    gauge.setVisible(false);
    EXPECT_EQ(form->statusLine.width(), width);
  }
  form->toggleMaximized();
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
  for (const std::wstring* f : {&k.ProgramsDir, &k.StartupDir, &k.WindowsDir, &k.SystemDir})
    EXPECT_TRUE(DirectoryExists(*f) && f->back() != L'\\') << *f;
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
  options.pages = AllPages();
  options.quitOnDestroy = false;
  options.onSaveSettings = [&] { ++saves; };
  MainWindow form(std::move(options));
  form.create();
  HWND hwnd = form.handle();
  bool everVisible = false;
  EXPECT_TRUE(PumpUntil([&] { everVisible |= IsWindowVisible(hwnd) != FALSE; return !IsWindow(hwnd); }));
  EXPECT_TRUE(!everVisible && saves == 0);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].text, L"只有以系统管理员的身份登录才能使用本软件！");
}

}  // namespace
}  // namespace wv::test
