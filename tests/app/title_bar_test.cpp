// The title bar's buttons and menu, maximising to the work area, and the about
// window's click rule.

#include "app/about_window.h"
#include "support/app_fixture.h"
#include "pages/cleaning/startup_page.h"
#include "pages/cleaning/daily_files_page.h"
#include "pages/registry/redundancy_page.h"
#include "support/test_support.h"

namespace wv::test {
namespace {

using TitleBarTest = FormTest;

void Press(Control& c, int x, int y) {
  const LPARAM at = MAKELPARAM(static_cast<WORD>(x), y);
  SendMessageW(c.handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(c.handle(), WM_LBUTTONUP, 0, at);
  Pump(30);
}

// A release beside a button does nothing; maximise fills the work area and a double
// click restores, with the lists' columns refitted; a press inside the close button closes.
TEST_F(TitleBarTest, ButtonsActOnlyOnAReleaseInsideMaximiseFillsTheWorkAreaAndADoubleClickRestores) {
  HWND h = form->handle();
  RECT normal, r;
  GetWindowRect(h, &normal);
  for (TitleButton* b : {&form->titleBar.zdk_minbtn, &form->titleBar.zdk_maxbtn, &form->titleBar.zdk_clsbtn}) {
    Press(*b, -6, 3);
    EXPECT_TRUE(IsWindowVisible(h) && !IsIconic(h) && !form->isMaximized());
  }
  GetWindowRect(h, &r);
  EXPECT_TRUE(EqualRect(&r, &normal) && saves == 0);
  ListViewBase& daily = Controls(form->page<DailyFilesPage>()).resultList;
  // Columns together 18 px narrower than their list; a hidden column stays hidden.
  const auto expectFitted = [&] {
    for (ListViewBase* list : std::initializer_list<ListViewBase*>{&daily, &Controls(form->page<RedundancyPage>()).resultList, &Controls(form->page<StartupPage>()).itemList}) {
      int sum = 0;
      for (int i = 0; i < list->columnCount(); ++i) sum += list->columnWidth(i);
      EXPECT_EQ(sum, list->width() - 18);
    }
    EXPECT_EQ(Controls(form->page<StartupPage>()).itemList.columnWidth(3), 0);
  };
  expectFitted();
  const int width = daily.columnWidth(0);
  Press(form->titleBar.zdk_maxbtn, 3, 3);
  ASSERT_TRUE(form->isMaximized());
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoW(MonitorFromWindow(h, MONITOR_DEFAULTTONEAREST), &mi);
  GetWindowRect(h, &r);
  EXPECT_TRUE(EqualRect(&r, &mi.rcWork) && form->titleBar.zdk_maxbtn.glyph() == glyphs::kRestoreNormal);
  expectFitted();
  EXPECT_GT(daily.columnWidth(0), width);
  SendMessageW(form->titleBar.handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(300, 10));
  Pump(30);
  GetWindowRect(h, &r);
  EXPECT_TRUE(!form->isMaximized() && EqualRect(&r, &normal));
  expectFitted();
  EXPECT_EQ(daily.columnWidth(0), width);
  Press(form->titleBar.zdk_clsbtn, 5, 5);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(h); }) && saves == 1);
}

// What a timer saw from inside the about box's modal loop before it clicked.
struct {
  AboutWindow* about;
  HWND main;
  bool modal, ownerDisabled;
} g_seen;

// Before the main window shows, a click on the splash does not close it; the modal box closes on one.
TEST_F(TitleBarTest, OneClickClosesTheModalAboutBoxButNotTheSplash) {
  {
    AboutWindow splash;
    splash.mainVisible = [] { return false; };
    splash.showSplash();
    PostMessageW(splash.handle(), WM_LBUTTONUP, 0, MAKELPARAM(200, 210));
    Pump(30);
    EXPECT_TRUE(splash.showing());
  }
  AboutWindow& about = form->about();
  g_seen = {&about, form->handle(), false, false};
  SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    g_seen.modal = g_seen.about->showing() && g_seen.about->modal();
    g_seen.ownerDisabled = !IsWindowEnabled(g_seen.main);
    PostMessageW(g_seen.about->handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  });
  form->titleBar.main_menu.choose(form->titleBar.N22);  // returns once the box is closed
  EXPECT_TRUE(g_seen.modal && g_seen.ownerDisabled);
  EXPECT_TRUE(!about.showing() && IsWindowEnabled(form->handle()));
}

}  // namespace
}  // namespace wv::test
