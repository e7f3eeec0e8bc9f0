// The about window: its shape, the splash that ignores clicks, and the modal
// about box that one click closes.

#include "app/infoform.h"
#include "appfixture.h"

namespace wv::test {
namespace {

TEST(InfoFormTest, ABorderlessRoundedTopmostWindowOf430By250) {
  Tfrminfo info;
  info.showSplash();
  Pump(20);
  HWND h = info.handle();
  RECT client;
  GetClientRect(h, &client);
  EXPECT_EQ(client.right, 430);
  EXPECT_EQ(client.bottom, 250);
  const LONG style = GetWindowLongW(h, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER), 0);
  EXPECT_NE(GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(WindowText(h), L"WindowsVantorra");
  EXPECT_EQ(info.Label1(), L"Ver 3.15 Build 9.1220");
  // Rounded corners: the region leaves the very corner out but keeps the edge's middle.
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(h, rgn), ERROR);
  EXPECT_FALSE(PtInRegion(rgn, 0, 0));
  EXPECT_TRUE(PtInRegion(rgn, 215, 0));
  EXPECT_TRUE(PtInRegion(rgn, 2, 125));
  DeleteObject(rgn);
  info.hideSplash();
  EXPECT_FALSE(info.showing());
}

TEST(InfoFormTest, ClicksOnTheSplashChangeNothing) {
  Tfrminfo info;
  bool mainShown = false;
  info.mainVisible = [&] { return mainShown; };
  info.showSplash();
  PostMessageW(info.handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 210));
  PostMessageW(info.handle(), WM_LBUTTONUP, 0, MAKELPARAM(200, 210));
  Pump(30);
  EXPECT_TRUE(info.showing());
  info.hideSplash();
  EXPECT_FALSE(info.showing());
}

using AboutBoxTest = FormTest;

// What a timer saw from inside the about box's modal loop, before it clicked.
struct SeenInside {
  Tfrminfo* about = nullptr;
  HWND main = nullptr;
  bool showing = false;
  bool modal = false;
  bool ownerDisabled = false;
  int ticks = 0;
};
SeenInside g_seen;

void CALLBACK LookThenClick(HWND, UINT, UINT_PTR id, DWORD) {
  if (++g_seen.ticks > 1) return;
  KillTimer(nullptr, id);
  g_seen.showing = g_seen.about->showing();
  g_seen.modal = g_seen.about->modal();
  g_seen.ownerDisabled = !IsWindowEnabled(g_seen.main);
  PostMessageW(g_seen.about->handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
}

TEST_F(AboutBoxTest, OneClickClosesTheModalAboutBox) {
  g_seen = SeenInside{&form->about(), form->handle()};
  SetTimer(nullptr, 0, 100, &LookThenClick);
  const ULONGLONG t0 = GetTickCount64();
  form->Panel1.main_menu.choose(form->Panel1.N22);
  EXPECT_LT(GetTickCount64() - t0, 5000u);
  EXPECT_EQ(g_seen.ticks, 1);
  EXPECT_TRUE(g_seen.showing);
  EXPECT_TRUE(g_seen.modal);
  EXPECT_TRUE(g_seen.ownerDisabled);
  EXPECT_FALSE(form->about().showing());
  EXPECT_FALSE(form->about().modal());
  EXPECT_TRUE(IsWindowEnabled(form->handle()));
}

}  // namespace
}  // namespace wv::test
