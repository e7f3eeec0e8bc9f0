// The control wrappers on a window of their own.

#include <gtest/gtest.h>

#include "support/window_support.h"
#include "ui/controls.h"
#include "ui/list_view.h"
#include "ui/panel.h"

namespace wv::test {
namespace {

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.create(nullptr, RGB(255, 255, 255), 100, 100, 600, 400);
    ShowWindow(host.handle(), SW_SHOWNA);
  }
  Panel host;
};

TEST_F(ControlsTest, OwnerDataListFollowsItsModel) {
  RowModel model;
  OwnerDataListView list;
  list.create(host.handle(), ListStyle{.multiSelect = true, .editLabels = true}, {{L"文件", 300}, {L"大小", 80}},
              model);
  list.setBounds(0, 0, 500, 300);
  for (int i = 0; i < 12; ++i) model.append(ListRow{L"f" + std::to_wstring(i), {L"0 B"}, -1, 0, false, 0});
  list.flush();
  ASSERT_EQ(list.count(), 12);
  // Rows removed together: the highlighted and focused rows that stay keep so at their new places.
  for (int i : {1, 4, 5, 9}) list.setSelected(i, true);
  ListView_SetItemState(list.handle(), 9, LVIS_FOCUSED, LVIS_FOCUSED);
  model.eraseMany({5, 0, 4, 0, 40, 11});  // any order, repeats and indices past the end ignored
  std::wstring captions;
  for (const ListRow& r : model.rows()) captions += r.caption + L" ";
  EXPECT_TRUE(captions == L"f1 f2 f3 f6 f7 f8 f9 f10 " && list.count() == 8) << captions;
  EXPECT_EQ(list.selection(), (std::vector<int>{0, 6}));
  EXPECT_EQ(ListView_GetNextItem(list.handle(), -1, LVNI_FOCUSED), 6);
  // A caption typed in place lands in the model as the handler corrected it; a refused one changes nothing.
  list.onEdited = [](int, std::wstring& text) {
    while (!text.empty() && text.back() == L' ') text.pop_back();
    return !text.empty();
  };
  list.focus();
  for (const wchar_t* typed : {L"新名字.txt   ", L"   "}) {
    HWND edit = ListView_EditLabel(list.handle(), 0);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, typed);
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    Pump(20);
    EXPECT_EQ(model.at(0).caption, L"新名字.txt");
  }
  model.clear();
  EXPECT_TRUE(list.count() == 0 && list.selectedCount() == 0);
}

TEST_F(ControlsTest, AFittedColumnTakesTheRestButNeverLessThan100) {
  ListView list;
  list.create(host.handle(), ListStyle{}, {{L"a", 20}, {L"b", 300}, {L"c", 200}});
  list.setBounds(0, 0, 400, 200);
  FitListColumn(list, 0);
  EXPECT_EQ(list.columnWidth(0), 100);  // the others already overfill the list
  list.setColumnWidth(1, 50);
  list.setColumnWidth(2, 50);
  FitListColumn(list, 0);
  EXPECT_EQ(list.columnWidth(0), 400 - 18 - 100);
}

TEST_F(ControlsTest, TheGaugeShowsPositionsPastTheBarsSignedRange) {
  Gauge gauge;
  gauge.create(host.handle());
  gauge.setMaximum(3);
  gauge.step(5);
  EXPECT_EQ(gauge.position(), 3u);
  gauge.setMaximum(4000000000u);
  gauge.setPosition(3999999999u);
  const int shown = static_cast<int>(SendMessageW(gauge.handle(), PBM_GETPOS, 0, 0));
  const int range = static_cast<int>(SendMessageW(gauge.handle(), PBM_GETRANGE, FALSE, 0));
  EXPECT_TRUE(shown > 0 && shown <= range && static_cast<double>(shown) / range > 0.99) << shown << "/" << range;
}

// Pages handle their controls as Control (the run protocol disables them so): the arrows go along.
TEST_F(ControlsTest, ASpinEditsArrowsFollowItThroughTheBase) {
  SpinEdit spin;
  spin.create(host.handle(), 1, 99, 5);
  HWND arrows = FindWindowExW(host.handle(), nullptr, UPDOWN_CLASSW, nullptr);
  ASSERT_NE(arrows, nullptr);
  Control& control = spin;
  control.setBounds(200, 50, 80, 22);
  RECT r{};
  GetWindowRect(arrows, &r);
  MapWindowPoints(HWND_DESKTOP, host.handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_TRUE(r.top == 50 && r.left >= 200 && r.right <= 290) << r.left << "," << r.top << "," << r.right;
  for (const bool on : {false, true}) {
    control.setEnabled(on);
    control.setVisible(on);
    EXPECT_TRUE(IsWindowEnabled(arrows) == on && IsWindowVisible(arrows) == on) << on;
  }
}

}  // namespace
}  // namespace wv::test
