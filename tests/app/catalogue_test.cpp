// The scan-item lists' recommended ticks, their restore controls, and the select-all toggles.

#include "support/app_fixture.h"
#include "pages/cleaning/other_traces_page.h"
#include "pages/cleaning/junk_files_page.h"
#include "pages/cleaning/daily_files_page.h"
#include "pages/registry/redundancy_page.h"
#include "pages/registry/registry_traces_page.h"

namespace wv::test {
namespace {

using CatalogueTest = FormTest;

// Each list ticks its recommended rows (and says so in its second column); a
// restore control brings those ticks back after any change.
TEST_F(CatalogueTest, EveryListTicksTheRecommendedRowsItsRestoreControlBringsThemBackAndSelectAllFollowsItsState) {
  JunkFilesControls& junk = Controls(form->page<JunkFilesPage>());
  const std::tuple<ListView*, std::string_view, std::function<void()>> lists[] = {
      {&Controls(form->page<RedundancyPage>()).hiveList, "111", nullptr},
      {&Controls(form->page<RegistryTracesPage>()).itemList, "1111111111100", [&] { Controls(form->page<RegistryTracesPage>()).defaultsLabel.click(); }},
      {&junk.typeList, "10101111111011111111110000011111011", [&] { junk.recommendedButton.onClick(); }},
      {&Controls(form->page<DailyFilesPage>()).itemList, "11110", [&] { Controls(form->page<DailyFilesPage>()).defaultsLabel.click(); }},
      {&Controls(form->page<OtherTracesPage>()).itemList, "1100000", [&] { Controls(form->page<OtherTracesPage>()).defaultsLabel.click(); }},
  };
  for (const auto& [list, recommended, restore] : lists) {
    ASSERT_EQ(list->count(), static_cast<int>(recommended.size()));
    const auto expectTicks = [&] {
      for (int i = 0; i < list->count(); ++i) {
        const bool on = recommended[i] == '1';
        EXPECT_TRUE(list->checked(i) == on && list->state(i) == (on ? 1 : 0)) << list->row(i).caption;
        EXPECT_TRUE(list == &junk.typeList || list->row(i).column(1) == (on ? L"推荐" : L"可选")) << list->row(i).caption;
      }
    };
    expectTicks();
    if (!restore) continue;
    for (int i = 0; i < list->count(); ++i) list->setChecked(i, !list->checked(i));
    restore();
    expectTicks();
  }
  // A select-all toggle follows its state, not its caption.
  ListView& types = junk.typeList;
  SelectAllButton& toggle = junk.typesToggle;
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
