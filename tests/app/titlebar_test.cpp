// The title bar: glyphs of the three picture buttons, maximising to the work
// area and back, dragging, the activation colours and the main menu.

#include "appfixture.h"
#include "app/infoform.h"
#include "support/testsupport.h"

namespace wv::test {
namespace {

using TitleBarTest = FormTest;

RECT WorkAreaOf(HWND hwnd) {
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &mi);
  return mi.rcWork;
}

TEST_F(TitleBarTest, ButtonsShowPressedGlyphsAndActOnlyWhenReleasedInside) {
  TitleBar& bar = form->Panel1;
  EXPECT_EQ(bar.zdk_minbtn.glyph(), glyphs::kMinNormal);
  EXPECT_EQ(bar.zdk_maxbtn.glyph(), glyphs::kMaxNormal);
  EXPECT_EQ(bar.zdk_clsbtn.glyph(), glyphs::kCloseNormal);
  EXPECT_EQ(bar.zdk_minbtn.bounds().left, 700);
  EXPECT_EQ(bar.zdk_maxbtn.bounds().left, 726);
  EXPECT_EQ(bar.zdk_clsbtn.bounds().left, 752);
  EXPECT_EQ(bar.zdk_clsbtn.width(), 43);

  struct Case {
    TitleButton* button;
    Glyph pressed;
    Glyph normal;
  };
  const Case cases[] = {{&bar.zdk_minbtn, glyphs::kMinPressed, glyphs::kMinNormal},
                        {&bar.zdk_maxbtn, glyphs::kMaxPressed, glyphs::kMaxNormal},
                        {&bar.zdk_clsbtn, glyphs::kClosePressed, glyphs::kCloseNormal}};
  RECT before;
  GetWindowRect(form->handle(), &before);
  for (const Case& c : cases) {
    HWND h = c.button->handle();
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(c.button->glyph(), c.pressed);
    // Released beside the button: only the glyph changes back.
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(-6), 3));
    EXPECT_EQ(c.button->glyph(), c.normal);
    Pump(30);
    EXPECT_TRUE(IsWindow(form->handle()));
    EXPECT_TRUE(IsWindowVisible(form->handle()));
    EXPECT_FALSE(IsIconic(form->handle()));
    EXPECT_FALSE(form->isMaximized());
  }
  RECT after;
  GetWindowRect(form->handle(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));
  EXPECT_EQ(saves, 0);
}

TEST_F(TitleBarTest, MaximiseFillsTheWorkAreaAndADoubleClickRestores) {
  TitleBar& bar = form->Panel1;
  RECT normal;
  GetWindowRect(form->handle(), &normal);
  HWND max = bar.zdk_maxbtn.handle();
  SendMessageW(max, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageW(max, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  Pump(30);
  ASSERT_TRUE(form->isMaximized());
  RECT r;
  GetWindowRect(form->handle(), &r);
  const RECT work = WorkAreaOf(form->handle());
  EXPECT_TRUE(EqualRect(&r, &work)) << r.left << "," << r.top << " " << r.right << "," << r.bottom;
  EXPECT_EQ(bar.zdk_maxbtn.glyph(), glyphs::kRestoreNormal);
  EXPECT_TRUE(bar.zdk_minbtn.visible());
  // The buttons follow the right edge.
  EXPECT_EQ(bar.zdk_clsbtn.bounds().left, (work.right - work.left) - 48);
  // The pressed glyph of a maximised window is the restore one.
  SendMessageW(max, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  EXPECT_EQ(bar.zdk_maxbtn.glyph(), glyphs::kRestorePressed);
  SendMessageW(max, WM_LBUTTONUP, 0, MAKELPARAM(200, 3));  // outside: nothing
  EXPECT_TRUE(form->isMaximized());
  EXPECT_EQ(bar.zdk_maxbtn.glyph(), glyphs::kRestoreNormal);

  // No dragging while maximised.
  bar.Panel1MouseDown(300, 10);
  EXPECT_FALSE(bar.dragging());

  SendMessageW(bar.handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(300, 10));
  Pump(30);
  EXPECT_FALSE(form->isMaximized());
  GetWindowRect(form->handle(), &r);
  EXPECT_TRUE(EqualRect(&r, &normal));
  EXPECT_EQ(bar.zdk_maxbtn.glyph(), glyphs::kMaxNormal);
  EXPECT_EQ(bar.zdk_clsbtn.bounds().left, 752);
}

TEST_F(TitleBarTest, ThePressOnTheBarArmsTheDragUntilTheRelease) {
  TitleBar& bar = form->Panel1;
  EXPECT_FALSE(bar.dragging());
  SendMessageW(bar.handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 10));
  EXPECT_TRUE(bar.dragging());
  SendMessageW(bar.handle(), WM_LBUTTONUP, 0, MAKELPARAM(300, 10));
  EXPECT_FALSE(bar.dragging());
}

TEST_F(TitleBarTest, TheCaptionTurnsLightBlueWhileTheApplicationIsInactive) {
  TitleBar& bar = form->Panel1;
  SendMessageW(form->handle(), WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_EQ(bar.captionColour(), static_cast<COLORREF>(15648684));
  SendMessageW(form->handle(), WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_EQ(bar.captionColour(), RGB(255, 255, 255));
}

TEST_F(TitleBarTest, MenuHasItsItemsAndHelpReportsAMissingFile) {
  TitleBar& bar = form->Panel1;
  PopupMenu& menu = bar.main_menu;
  const std::vector<std::wstring> captions = {L"帮助", L"更新升级", L"访问官方网站", L"问题与建议",
                                              L"关于", L"-", L"退出..."};
  ASSERT_EQ(menu.count(), static_cast<int>(captions.size()));
  for (int i = 0; i < menu.count(); ++i) EXPECT_EQ(menu.item(i).caption, captions[static_cast<std::size_t>(i)]);
  EXPECT_FALSE(menu.item(bar.N23).visible);
  EXPECT_EQ(bar.N15, 5);

  ASSERT_FALSE(FileExists(form->programFolder + L"HelpMe.chm"));
  ScriptedMsgBox boxes;
  boxes.answer(IDOK);
  menu.choose(bar.N20);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].icon, 2);
  EXPECT_EQ(boxes.shown()[0].buttons, 1);
  EXPECT_EQ(boxes.shown()[0].heading, L"文件丢失");
  EXPECT_EQ(boxes.shown()[0].text, L"帮助文件已丢失！");
  // A hidden item cannot be chosen.
  menu.choose(bar.N23);
  EXPECT_TRUE(IsWindowVisible(form->handle()));
}

TEST_F(TitleBarTest, ExitAndTheCloseButtonCloseTheWindowAndSave) {
  HWND hwnd = form->handle();
  form->Panel1.main_menu.choose(form->Panel1.N17);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(hwnd); }));
  EXPECT_EQ(saves, 1);
  EXPECT_FALSE(visibleAtSave);

  DestroyForm();
  SetUp();
  hwnd = form->handle();
  HWND close = form->Panel1.zdk_clsbtn.handle();
  SendMessageW(close, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(close, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(hwnd); }));
  EXPECT_EQ(saves, 1);
}

}  // namespace
}  // namespace wv::test
