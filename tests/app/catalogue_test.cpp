// The scan-item lists' recommended ticks, their restore controls, and the select-all toggles.

#include "appfixture.h"
#include "cleaning/qtrcpage.h"
#include "cleaning/wjqlpage.h"
#include "cleaning/wjrcpage.h"
#include "registry/zcqlpage.h"
#include "registry/zcrcpage.h"

namespace wv::test {
namespace {

using CatalogueTest = FormTest;

// Each list ticks its recommended rows (and says so in its second column); a
// restore control brings those ticks back after any change.
TEST_F(CatalogueTest, EveryListTicksTheRecommendedRowsItsRestoreControlBringsThemBackAndSelectAllFollowsItsState) {
  WjqlPage& junk = form->page<WjqlPage>();
  const std::tuple<ListView*, std::string_view, std::function<void()>> lists[] = {
      {&form->page<ZcqlPage>().zcql_select, "111", nullptr},
      {&form->page<ZcrcPage>().zcrc_select, "1111111111100", [&] { form->page<ZcrcPage>().zcrc_mr.click(); }},
      {&junk.wjql_wjlxlist, "10101111111011111111110000011111011", [&] { junk.wjql_lxtj.onClick(); }},
      {&form->page<WjrcPage>().wjrc_select, "11110", [&] { form->page<WjrcPage>().wjrc_mr.click(); }},
      {&form->page<QtrcPage>().qtrc_showlist, "1100000", [&] { form->page<QtrcPage>().qtrc_mr.click(); }},
  };
  for (const auto& [list, recommended, restore] : lists) {
    ASSERT_EQ(list->count(), static_cast<int>(recommended.size()));
    const auto expectTicks = [&] {
      for (int i = 0; i < list->count(); ++i) {
        const bool on = recommended[i] == '1';
        EXPECT_TRUE(list->checked(i) == on && list->state(i) == (on ? 1 : 0)) << list->row(i).caption;
        EXPECT_TRUE(list == &junk.wjql_wjlxlist || list->row(i).column(1) == (on ? L"推荐" : L"可选")) << list->row(i).caption;
      }
    };
    expectTicks();
    if (!restore) continue;
    for (int i = 0; i < list->count(); ++i) list->setChecked(i, !list->checked(i));
    restore();
    expectTicks();
  }
  // A select-all toggle follows its state, not its caption.
  ListView& types = junk.wjql_wjlxlist;
  SelectAllButton& toggle = junk.wjql_lxsel;
  EXPECT_EQ(toggle.caption(), L"全选");
  for (const int ticked : {types.count(), 0}) {
    toggle.click();
    EXPECT_EQ(types.checkedCount(), ticked);
    EXPECT_EQ(toggle.caption(), ticked ? L"全否" : L"全选");
  }
  // A caption changed by other code does not change what the toggle does next.
  toggle.setCaption(L"全否");
  toggle.click();
  EXPECT_EQ(types.checkedCount(), types.count());
}

}  // namespace
}  // namespace wv::test
