// The control wrappers on a window of their own: what pages read back is what
// they (or the user) put in.

#include "appfixture.h"
#include "ui/controls.h"
#include "ui/flatbutton.h"
#include "ui/listview.h"
#include "ui/panel.h"
#include "ui/popupmenu.h"

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

ListRow Row(std::wstring caption, std::vector<std::wstring> sub, int image, int state, bool checked) {
  ListRow r;
  r.caption = std::move(caption);
  r.sub = std::move(sub);
  r.image = image;
  r.state = state;
  r.checked = checked;
  return r;
}

TEST_F(ControlsTest, ListViewGivesBackTheRowsItWasGiven) {
  ListView list;
  list.create(host.handle(), ListStyle{.checkBoxes = true, .multiSelect = true},
              {{L"名称", 200}, {L"大小", 80, LVCFMT_RIGHT}, {L"说明", 120}});
  list.setBounds(0, 0, 500, 300);
  const std::vector<ListRow> rows = {
      Row(L"C:\\a.tmp", {L"1.00 KB", L"临时文件"}, 6, 1, true),
      Row(L"C:\\很长的名字\\b.bak", {L"2.00 MB"}, 0, 0, false),  // fewer sub-items than columns
      Row(L"", {L"", L"", L"ignored: no fourth column"}, -1, 7, true),
  };
  list.setRows(rows);
  ASSERT_EQ(list.count(), 3);
  const std::vector<ListRow> back = list.rows();
  ASSERT_EQ(back.size(), 3u);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(back[i].caption, rows[i].caption);
    ASSERT_EQ(back[i].sub.size(), 2u);  // one per column after the first
    for (std::size_t k = 0; k < 2; ++k) EXPECT_EQ(back[i].sub[k], k < rows[i].sub.size() ? rows[i].sub[k] : L"");
    EXPECT_EQ(back[i].state, rows[i].state);
    EXPECT_EQ(back[i].checked, rows[i].checked);
  }
  EXPECT_EQ(back[0].image, 6);
  EXPECT_EQ(back[2].image, -1);
  EXPECT_EQ(list.checkedCount(), 2);

  list.insertRow(1, Row(L"中间", {L"0.00 B"}, 2, 0, true));
  list.deleteRow(0);
  list.setText(0, 2, L"改过");
  EXPECT_EQ(list.text(0, 0), L"中间");
  EXPECT_EQ(list.text(0, 2), L"改过");
  EXPECT_EQ(list.text(1, 0), L"C:\\很长的名字\\b.bak");
  EXPECT_EQ(list.count(), 3);

  // A caption longer than any first guess of a buffer.
  const std::wstring longText(1000, L'长');
  list.setText(2, 0, longText);
  EXPECT_EQ(list.text(2, 0), longText);

  list.select(2);
  list.setSelected(0, true);
  EXPECT_EQ(list.selection(), (std::vector<int>{0, 2}));
  EXPECT_EQ(list.selected(), 0);
  list.select(-1);
  EXPECT_EQ(list.selectedCount(), 0);
}

TEST_F(ControlsTest, ListViewReportsTickChangesAndHeaderCaptions) {
  ListView list;
  list.create(host.handle(), ListStyle{.checkBoxes = true}, {{L"程序名称", 200}});
  list.setBounds(0, 0, 300, 200);
  list.setRows({Row(L"a", {}, -1, 0, false), Row(L"b", {}, -1, 0, false)});
  std::vector<int> changed;
  list.onCheckChanged = [&](int i) { changed.push_back(i); };
  list.setChecked(1, true);
  EXPECT_EQ(changed, std::vector<int>{1});
  EXPECT_TRUE(list.checked(1));
  list.setAllChecked(false);
  EXPECT_EQ(list.checkedCount(), 0);
  list.setColumnCaption(0, L"程序名称     (共 2 项)");
  EXPECT_EQ(list.columnCaption(0), L"程序名称     (共 2 项)");

  // A single-selection list keeps one row highlighted.
  list.setSelected(0, true);
  list.setSelected(1, true);
  EXPECT_EQ(list.selectedCount(), 1);
}

TEST_F(ControlsTest, OwnerDataListShowsTheModelAndFollowsItsChanges) {
  RowModel model;
  OwnerDataListView list;
  list.create(host.handle(), ListStyle{.multiSelect = true, .editLabels = true}, {{L"文件", 300}, {L"大小", 80}},
              model);
  list.setBounds(0, 0, 500, 300);
  for (int i = 0; i < 10; ++i) model.append(Row(L"f" + std::to_wstring(i), {std::to_wstring(i) + L" B"}, 1, 0, false));
  list.flush();
  ASSERT_EQ(list.count(), 10);
  wchar_t buffer[64] = {};
  ListView_GetItemText(list.handle(), 3, 1, buffer, 64);
  EXPECT_STREQ(buffer, L"3 B");

  model.edit(3).sub[0] = L"3.00 KB";
  model.updated(3);
  ListView_GetItemText(list.handle(), 3, 1, buffer, 64);
  EXPECT_STREQ(buffer, L"3.00 KB");

  // Removing a row above the selection moves the selection with its row.
  list.select(5);
  model.erase(2);
  EXPECT_EQ(list.count(), 9);
  EXPECT_EQ(list.selection(), std::vector<int>{4});
  EXPECT_EQ(model.at(4).caption, L"f5");

  // A new caption typed in place lands in the model, as the handler corrected it.
  list.onEdited = [](int, std::wstring& text) {
    while (!text.empty() && text.back() == L' ') text.pop_back();
    return !text.empty();
  };
  list.focus();
  HWND edit = ListView_EditLabel(list.handle(), 0);
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, L"新名字.txt   ");
  SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  Pump(20);
  EXPECT_EQ(model.at(0).caption, L"新名字.txt");
  // A refused edit changes nothing.
  edit = ListView_EditLabel(list.handle(), 1);
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, L"   ");
  SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  Pump(20);
  EXPECT_EQ(model.at(1).caption, L"f1");

  model.clear();
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.selectedCount(), 0);
}

// Rows removed together leave the highlighted rows that stay highlighted, at their new places.
TEST_F(ControlsTest, OwnerDataListTakesManyRemovedRowsAtOnce) {
  RowModel model;
  OwnerDataListView list;
  list.create(host.handle(), ListStyle{.multiSelect = true}, {{L"文件", 300}}, model);
  list.setBounds(0, 0, 500, 300);
  for (int i = 0; i < 12; ++i) model.append(Row(L"f" + std::to_wstring(i), {}, -1, 0, false));
  list.flush();
  for (int i : {1, 4, 5, 9}) list.setSelected(i, true);
  ListView_SetItemState(list.handle(), 9, LVIS_FOCUSED, LVIS_FOCUSED);

  model.eraseMany({5, 0, 4, 0, 40, 11});  // any order, repeats and indices past the end ignored
  std::vector<std::wstring> captions;
  for (const ListRow& r : model.rows()) captions.push_back(r.caption);
  EXPECT_EQ(captions, (std::vector<std::wstring>{L"f1", L"f2", L"f3", L"f6", L"f7", L"f8", L"f9", L"f10"}));
  EXPECT_EQ(list.count(), 8);
  EXPECT_EQ(list.selection(), (std::vector<int>{0, 6}));  // f1 and f9
  EXPECT_EQ(ListView_GetNextItem(list.handle(), -1, LVNI_FOCUSED), 6);
  wchar_t buffer[16] = {};
  ListView_GetItemText(list.handle(), 6, 0, buffer, 16);
  EXPECT_STREQ(buffer, L"f9");

  model.eraseMany({});
  EXPECT_EQ(list.count(), 8);
  model.eraseMany({0, 1, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.selectedCount(), 0);
}

TEST_F(ControlsTest, ChoicesNumbersAndTheGaugeStayInRange) {
  ComboBox combo;
  combo.create(host.handle(), {L"包含", L"排除"}, 0);
  EXPECT_EQ(combo.index(), 0);
  EXPECT_EQ(combo.text(), L"包含");
  EXPECT_TRUE(combo.selectText(L"排除"));
  EXPECT_EQ(combo.index(), 1);
  EXPECT_FALSE(combo.selectText(L"其它"));
  EXPECT_EQ(combo.index(), 1);

  SpinEdit spin;
  spin.create(host.handle(), 1, 200, 1);
  spin.setValue(500);
  EXPECT_EQ(spin.value(), 200);
  SetWindowTextW(spin.handle(), L"0");
  EXPECT_EQ(spin.value(), 1);
  SetWindowTextW(spin.handle(), L"");
  EXPECT_EQ(spin.value(), 1);
  SetWindowTextW(spin.handle(), L"37");
  EXPECT_EQ(spin.value(), 37);

  Gauge gauge;
  gauge.create(host.handle());
  gauge.setMaximum(3);
  gauge.step();
  gauge.step(5);
  EXPECT_EQ(gauge.position(), 3u);
  gauge.setMaximum(4000000000u);  // more than the bar's signed range
  gauge.setPosition(3999999999u);
  EXPECT_EQ(gauge.position(), 3999999999u);
  const int shown = static_cast<int>(SendMessageW(gauge.handle(), PBM_GETPOS, 0, 0));
  const int range = static_cast<int>(SendMessageW(gauge.handle(), PBM_GETRANGE, FALSE, 0));
  EXPECT_GT(shown, 0);
  EXPECT_LE(shown, range);
  EXPECT_GT(static_cast<double>(shown) / range, 0.99);

  RadioButton a, b, c;
  a.create(host.handle(), L"直接删除", true);
  b.create(host.handle(), L"移动", false);
  c.create(host.handle(), L"回收站", false);
  RadioGroup group;
  group.add(a);
  group.add(b);
  group.add(c);
  group.select(2);
  EXPECT_EQ(group.index(), 2);
  group.select(0);
  EXPECT_EQ(group.index(), 0);
  EXPECT_FALSE(c.checked());
}

TEST_F(ControlsTest, ButtonsKeepTheirCaptionAndIgnorePressesWhileDisabled) {
  Button button;
  button.create(host.handle(), L"扫描");
  int clicks = 0;
  button.onClick = [&] { ++clicks; };
  button.setCaption(L"停止");
  EXPECT_EQ(button.caption(), L"停止");
  EXPECT_EQ(WindowText(button.handle()), L"停止");
  SendMessageW(button.handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  button.setEnabled(false);
  button.click();
  SendMessageW(button.handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  button.setEnabled(true);
  host.setEnabled(false);  // a disabled parent takes the presses too
  button.click();
  EXPECT_EQ(clicks, 1);
  host.setEnabled(true);

  ToggleGroup tabs;
  FlatButton one, two;
  one.create(host.handle(), L"扫描结果", FlatButton::Look::Tab, &tabs);
  two.create(host.handle(), L"删除方式", FlatButton::Look::Tab, &tabs);
  one.setDown(true);
  int opened = 0;
  two.onClick = [&] { ++opened; };
  two.click();
  EXPECT_EQ(tabs.current(), &two);
  EXPECT_FALSE(one.down());
  EXPECT_EQ(opened, 1);
  two.setEnabled(false);
  one.click();
  two.click();
  EXPECT_EQ(tabs.current(), &one);
  EXPECT_EQ(opened, 1);
}

TEST_F(ControlsTest, PopupMenuRunsOnlyVisibleEnabledItems) {
  PopupMenu menu;
  std::vector<int> ran;
  const int a = menu.add(L"排除选中", [&] { ran.push_back(0); });
  const int b = menu.add(L"排除未选", [&] { ran.push_back(1); });
  const int c = menu.add(L"清空", [&] { ran.push_back(2); });
  menu.item(b).enabled = false;
  menu.item(c).visible = false;
  menu.choose(a);
  menu.choose(b);
  menu.choose(c);
  menu.choose(99);
  EXPECT_EQ(ran, std::vector<int>{0});
}

TEST_F(ControlsTest, AWrapperOutlivingItsWindowForgetsTheHandle) {
  Button button;
  Panel inner;
  inner.create(host.handle(), RGB(1, 2, 3));
  button.create(inner.handle(), L"扫描");
  HWND old = button.handle();
  DestroyWindow(inner.handle());
  EXPECT_FALSE(IsWindow(old));
  EXPECT_EQ(button.handle(), nullptr);
  EXPECT_EQ(inner.handle(), nullptr);
  button.setCaption(L"停止");  // still answers, touches no window
  EXPECT_EQ(button.caption(), L"停止");
  EXPECT_FALSE(button.enabled());
}

}  // namespace
}  // namespace wv::test
