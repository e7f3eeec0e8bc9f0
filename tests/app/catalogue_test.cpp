// The scan-item catalogue: each module's rows with their recommended ticks, the
// restore and select-all rules, and each cleaning page showing its rows with a
// restore control that brings the recommended ticks back.

#include <string_view>
#include <tuple>

#include "app/catalogue.h"
#include "app/page.h"
#include "support/app_fixture.h"

namespace wv::test {
namespace {

// Per module: which rows are recommended ('1'), and the caption of the control
// that restores them on its page (none on the redundancy page).
const std::tuple<Module, std::string_view, const wchar_t*> kLists[] = {
    {Module::Redundancy, "111", nullptr},
    {Module::RegistryTraces, "1111111111100", L"默认"},
    {Module::JunkFiles, "10101111111011111111110000011111011", L"推荐"},
    {Module::DailyFiles, "11110", L"默认"},
    {Module::OtherTraces, "1100000", L"默认"},
};

std::string Ticks(const std::vector<ListRow>& rows) {
  std::string out;
  for (const ListRow& row : rows) out += row.checked ? '1' : '0';
  return out;
}

// The recommended rows start ticked and say so (the junk masks describe their type
// instead); the other-traces rows also have an empty result column. Filling ticks
// the recommended rows already in the list too; restoring unticks everything else.
TEST(Catalogue, RecommendedRowsStartTickedAndRestoringDefaultsTicksExactlyThose) {
  for (const auto& [module, recommended, restore] : kLists) {
    SCOPED_TRACE(static_cast<int>(module));
    std::vector<ListRow> rows{ListRow{L"已有的行", {}, 0, 1, false}, ListRow{L"另一行", {}, 0, 0, true}};
    FillCatalogue(module, rows);
    ASSERT_EQ(rows.size(), recommended.size() + 2);
    EXPECT_TRUE(rows[0].checked && rows[1].checked) << "a row already there is ticked by its state, never unticked";
    rows.erase(rows.begin(), rows.begin() + 2);
    EXPECT_EQ(Ticks(rows), recommended);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const bool on = recommended[i] == '1';
      EXPECT_EQ(rows[i].state, on ? 1 : 0) << rows[i].caption;
      EXPECT_EQ(rows[i].sub.size(), module == Module::OtherTraces ? 2u : 1u) << rows[i].caption;
      if (module != Module::JunkFiles) EXPECT_EQ(rows[i].column(1), on ? L"推荐" : L"可选") << rows[i].caption;
      rows[i].checked = !on;
    }
    RestoreDefaults(rows);
    EXPECT_EQ(Ticks(rows), recommended);
  }
  std::vector<ListRow> none;
  FillCatalogue(Module::Software, none);
  EXPECT_TRUE(none.empty()) << "a module without scan items";
}

using CataloguePagesTest = FormTest;

// Presses a select-all toggle, whichever kind of control it is.
void Press(Control& toggle) {
  if (auto* label = dynamic_cast<SelectAllLabel*>(&toggle)) label->click();
  else if (auto* button = dynamic_cast<SelectAllButton*>(&toggle)) button->click();
}
std::wstring Caption(const Control& toggle) { return WindowText(toggle.handle()); }

// Each cleaning page lists its module's rows as the catalogue has them; its
// restore control brings the recommended ticks back after any change, and
// exactly one of its select-all toggles ticks them all and then none.
TEST_F(CataloguePagesTest, EachPageShowsItsRowsWithARestoreControlAndASelectAllToggle) {
  for (const auto& [module, recommended, restore] : kLists) {
    SCOPED_TRACE(static_cast<int>(module));
    Page& page = *form->findPage(module);
    const std::vector<CatalogueRow>& items = CatalogueRows(module);
    ListView* list = nullptr;
    for (ListView* candidate : Descendants<ListView>(page))
      if (candidate->count() == static_cast<int>(items.size()) && candidate->text(0, 0) == items.front().caption)
        list = candidate;
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < list->count(); ++i)
      EXPECT_TRUE(list->text(i, 0) == items[i].caption && list->text(i, 1) == items[i].advice) << i;
    EXPECT_EQ(Ticks(list->rows()), recommended);
    if (restore) {
      for (int i = 0; i < list->count(); ++i) list->setChecked(i, !list->checked(i));
      if (auto* label = FindByText<LinkLabel>(page, restore)) label->click();
      else if (auto* button = FindByText<Button>(page, restore)) button->click();
      else ADD_FAILURE() << "no restore control";
      EXPECT_EQ(Ticks(list->rows()), recommended);
    }
    std::vector<Control*> toggles;
    for (SelectAllLabel* t : Descendants<SelectAllLabel>(page)) toggles.push_back(t);
    for (SelectAllButton* t : Descendants<SelectAllButton>(page)) toggles.push_back(t);
    int owners = 0;
    for (Control* toggle : toggles) {
      RestoreDefaults(*list);
      Press(*toggle);
      if (list->checkedCount() != list->count()) {
        EXPECT_EQ(Ticks(list->rows()), recommended) << "another list's toggle changed this one";
        continue;
      }
      ++owners;
      EXPECT_EQ(Caption(*toggle), L"全否");
      Press(*toggle);
      EXPECT_TRUE(list->checkedCount() == 0 && Caption(*toggle) == L"全选");
    }
    EXPECT_EQ(owners, 1);
    RestoreDefaults(*list);
  }
}

// A select-all toggle over a list: ticks all rows or none as it offers, then
// offers the other; what it does follows its state, not its caption.
TEST_F(CataloguePagesTest, ASelectAllToggleFollowsItsStateNotItsCaption) {
  ListView list;
  list.create(form->pages().front()->handle(), ListStyle{.checkBoxes = true}, {{L"扫描项目", 200}});
  std::vector<ListRow> rows;
  FillCatalogue(Module::JunkFiles, rows);
  list.setRows(rows);
  SelectAllButton toggle;
  toggle.create(form->pages().front()->handle(), L"全选");
  toggle.onClick = [&] { ToggleAllTicks(toggle, list); };
  for (const int ticked : {list.count(), 0}) {
    toggle.click();
    EXPECT_EQ(list.checkedCount(), ticked);
    EXPECT_EQ(toggle.caption(), ticked ? L"全否" : L"全选");
  }
  // A caption changed by other code does not change what the toggle does next.
  toggle.setCaption(L"全否");
  toggle.click();
  EXPECT_EQ(list.checkedCount(), list.count());
}

}  // namespace
}  // namespace wv::test
