// The real main window laid out at 96, 120, 144 and 192 DPI, where every bound is
// compared in design units (substituted: the prefix's own DPI is never touched).

#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "pages/page_table.h"
#include "platform/text.h"
#include "support/app_fixture.h"
#include "ui/dpi.h"

namespace wv::test {
namespace {

int FontHeight(HFONT font) {
  LOGFONTW lf{};
  GetObjectW(font, sizeof lf, &lf);
  return lf.lfHeight;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

// A window for a fault message: its class, text and place in design units (so
// that the faults at two DPIs compare). A combo box makes its own height from its font.
std::wstring Name(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  if (HWND parent = GetParent(hwnd)) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  r = dpi::UnscaleRect(r, dpi::Current());
  const std::wstring kind = ClassOf(hwnd);
  return kind + L" '" + WindowText(hwnd).substr(0, 12) + L"' (" + std::to_wstring(r.left) + L"," +
         std::to_wstring(r.top) + L"," + std::to_wstring(r.right) + L"," +
         (EqualsNoCase(kind, WC_COMBOBOXW) ? L"*" : std::to_wstring(r.bottom)) + L")";
}

// Every push button, check box and edit below parent has the given font height; every
// shown window lies inside its parent's client area, and no two shown siblings overlap.
// What scrolls, the parts of system controls (a list's header) and an up-down arrow
// beside its edit (it places itself against its buddy) are not the layout's business.
void CheckLayout(HWND parent, int fontHeight, std::set<std::wstring>& faults, bool shown = true) {
  RECT client{};
  GetClientRect(parent, &client);
  const bool scrolls = (GetWindowLongW(parent, GWL_STYLE) & WS_VSCROLL) != 0;
  const bool system = !EqualsNoCase(ClassOf(parent), L"WvWindow");
  std::vector<std::pair<HWND, RECT>> siblings;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::wstring kind = ClassOf(child), name = Name(parent) + L" > " + Name(child);
    if ((EqualsNoCase(kind, L"Button") || EqualsNoCase(kind, L"Edit")) &&
        FontHeight(reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0))) != fontHeight)
      faults.insert(name + L" has another font");
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    const bool visible = shown && (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) && r.right > r.left &&
                         r.bottom > r.top && !EqualsNoCase(kind, UPDOWN_CLASSW);
    if (visible && !system) {
      if (!scrolls && (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom))
        faults.insert(name + L" leaves its parent");
      for (const auto& [other, o] : siblings) {
        RECT both{};
        if (IntersectRect(&both, &r, &o)) faults.insert(name + L" overlaps " + Name(other));
      }
      siblings.emplace_back(child, r);
    }
    CheckLayout(child, fontHeight, faults, visible);
  }
}

// The faults of every page in turn (so that each page's own children are shown), one a line.
std::string LayoutFaults(MainWindow& form) {
  std::set<std::wstring> faults;
  for (const auto& page : form.pages()) {
    form.switchToPage(*page);
    Pump(10);
    CheckLayout(form.handle(), -dpi::Scale(12, dpi::Current()), faults);
  }
  std::string text;
  for (const std::wstring& f : faults) text += ToUtf8(f) + "\n";
  return text;
}

// The real window at each DPI, then moved to a monitor of another: scaled, with
// the scale's fonts and pictures, and nothing overlapping or leaving its parent
// but the title buttons, which share one column by design (their glyphs leave it plain).
TEST(DpiWindow, AtEachDpiAndAfterAMoveTheWindowIsScaledAndNothingOverlapsOrLeavesItsParent) {
  std::unique_ptr<MainWindow> form;
  const auto open = [&] {
    RemoveSavedSettings();
    form = std::make_unique<MainWindow>(FormOptions::Hosted(AllPages()));
    form->create();
    form->showMain();
    Pump(20);
  };
  const auto expectScaled = [&](int d) {
    SCOPED_TRACE(d);
    EXPECT_EQ(dpi::Current(), d);
    RECT client{};
    GetClientRect(form->handle(), &client);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(form->rowPictures(), &cx, &cy);
    EXPECT_TRUE(client.right == dpi::Scale(MainWindow::kClientWidth, d) && client.bottom == dpi::Scale(MainWindow::kClientHeight, d));
    EXPECT_EQ(cx, dpi::Scale(16, d));
    EXPECT_EQ(LayoutFaults(*form),
              "WvWindow '' (0,0,800,22) > WvWindow '' (726,0,753,17) overlaps WvWindow '' (700,0,727,17)\n"
              "WvWindow '' (0,0,800,22) > WvWindow '' (752,0,795,17) overlaps WvWindow '' (726,0,753,17)\n");
  };
  for (int d : {96, 120, 144, 192}) {
    dpi::Substitute at(d);
    open();
    expectScaled(d);
    form.reset();
  }
  EXPECT_EQ(dpi::Current(), dpi::ForScreen());  // the substitutes are gone again

  dpi::Substitute at(96);
  open();
  HWND h = form->handle();
  RECT before{}, after{};
  GetWindowRect(h, &before);
  const RECT suggested{before.left, before.top, before.left + 1200, before.top + 845};
  SendMessageW(h, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  Pump(20);
  GetWindowRect(h, &after);
  EXPECT_TRUE(EqualRect(&after, &suggested));
  expectScaled(144);  // fonts, pictures and the layout followed; design bounds are what they were
  const RECT side = form->sideBar.deviceBounds();
  EXPECT_TRUE(side.left == 1200 - 213 && side.right == 1200);
  EXPECT_EQ(form->pages().front()->width(), MainWindow::kClientWidth - MainWindow::kSideWidth);
  form.reset();
  Pump(10);
}

}  // namespace
}  // namespace wv::test
