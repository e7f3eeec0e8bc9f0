// The title bar's buttons and menu, maximising to the work area, and the about
// window's click rule.

#include "app/about_window.h"
#include "support/app_fixture.h"
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

int ColumnsWidth(const ListViewBase& list) {
  int sum = 0;
  for (int i = 0; i < list.columnCount(); ++i) sum += list.columnWidth(i);
  return sum;
}

// A release beside a button does nothing; maximise fills the work area and a double
// click restores, with the lists' columns refitted; a press inside the close button closes.
TEST_F(TitleBarTest, ButtonsActOnlyOnAReleaseInsideMaximiseFillsTheWorkAreaAndADoubleClickRestores) {
  HWND h = form->handle();
  TitleBar& bar = form->titleBar;
  RECT normal, r;
  GetWindowRect(h, &normal);
  for (TitleButton* b : {&bar.minimizeButton, &bar.maximizeButton, &bar.closeButton}) {
    Press(*b, -6, 3);
    EXPECT_TRUE(IsWindowVisible(h) && !IsIconic(h) && !form->isMaximized());
  }
  GetWindowRect(h, &r);
  EXPECT_TRUE(EqualRect(&r, &normal) && saves == 0);
  // The lists the pages fit have all columns together 18 px narrower than the
  // list, and keep so at every size; a hidden column stays hidden.
  std::vector<ListViewBase*> fitted, hidingColumns;
  for (const std::unique_ptr<Page>& page : form->pages())
    for (ListViewBase* list : Descendants<ListViewBase>(*page)) {
      if (ColumnsWidth(*list) == list->width() - 18) fitted.push_back(list);
      for (int i = 0; i < list->columnCount(); ++i)
        if (list->columnWidth(i) == 0) hidingColumns.push_back(list);
    }
  ASSERT_GE(fitted.size(), 10u);
  ASSERT_FALSE(hidingColumns.empty());  // the startup page's registry location, the backups' folder
  std::vector<int> widths;
  for (ListViewBase* list : fitted) widths.push_back(list->width());
  const auto expectFitted = [&] {
    for (ListViewBase* list : fitted) EXPECT_EQ(ColumnsWidth(*list), list->width() - 18) << list->columnCaption(0);
    for (ListViewBase* list : hidingColumns) {
      int hidden = 0;
      for (int i = 0; i < list->columnCount(); ++i) hidden += list->columnWidth(i) == 0;
      EXPECT_EQ(hidden, 1) << list->columnCaption(0);
    }
  };
  Press(bar.maximizeButton, 3, 3);
  ASSERT_TRUE(form->isMaximized());
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoW(MonitorFromWindow(h, MONITOR_DEFAULTTONEAREST), &mi);
  GetWindowRect(h, &r);
  EXPECT_TRUE(EqualRect(&r, &mi.rcWork) && bar.maximizeButton.glyph() == glyphs::kRestoreNormal);
  expectFitted();
  EXPECT_GT(fitted.front()->width(), widths.front());
  SendMessageW(bar.handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(300, 10));
  Pump(30);
  GetWindowRect(h, &r);
  EXPECT_TRUE(!form->isMaximized() && EqualRect(&r, &normal) && bar.maximizeButton.glyph() == glyphs::kMaxNormal);
  expectFitted();
  for (std::size_t i = 0; i < fitted.size(); ++i) EXPECT_EQ(fitted[i]->width(), widths[i]);
  Press(bar.closeButton, 5, 5);
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
  form->titleBar.mainMenu.choose(form->titleBar.aboutItem);  // returns once the box is closed
  EXPECT_TRUE(g_seen.modal && g_seen.ownerDisabled);
  EXPECT_TRUE(!about.showing() && IsWindowEnabled(form->handle()));
}

}  // namespace
}  // namespace wv::test
