// The scan-item lists as the window fills them, against the table below, their
// restore-the-recommendation controls, and the select-all toggles.

#include <ranges>

#include "appfixture.h"
#include "cleaning/qtrcpage.h"
#include "cleaning/wjqlpage.h"
#include "cleaning/wjrcpage.h"
#include "registry/zcqlpage.h"
#include "registry/zcrcpage.h"

namespace wv::test {
namespace {

using CatalogueTest = FormTest;

TEST_F(CatalogueTest, EveryListHoldsItsItemsInOrderAndTicksTheRecommendedOnes) {
  WjqlPage& junk = form->page<WjqlPage>();
  struct Catalogue {
    ListView* list;
    std::wstring_view captions;  // in order, separated by '|'
    std::vector<int> icons;      // one per row, or one for every row
    std::string_view recommended;
    std::function<void()> restore;
  };
  const Catalogue lists[] = {
      {&form->page<ZcqlPage>().zcql_select,
       L"HKEY_CURRENT_USER中的冗余信息|HKEY_LOCAL_MACHINE中的冗余信息|HKEY_USERS中的冗余信息", {1}, "111", nullptr},
      {&form->page<ZcrcPage>().zcrc_select,
       L"用户操作历史信息|软件使用历史信息|文件扩展名历史信息|无效动态链接库信息|无效软件安装信息|无效安装文件夹信息|"
       L"无效软件反安装信息|无效开始菜单信息|无效右键菜单信息|无效帮助信息|无效字体信息|无效组件信息|无效文件关联信息",
       {15, 15, 15, 16, 0, 0, 0, 17, 17, 18, 19, 20, 20}, "1111111111100", [&] { form->page<ZcrcPage>().zcrc_mr.click(); }},
      {&junk.wjql_wjlxlist,
       L"*.~*|*.^*|*.??$|*.??~|*.$*|*._mp|*.tmp|~*.*|*.bak|*.old|*.prv|*.syd|*.err|errorlog.txt|*.gid|*.ftg|*.fts|"
       L"*.$$$|*.@@@|*.dmp|chklist.*|*.chk|*.diz|*.wbk|*.xlk|*.cdr_|*.#Res|*.---|mscreate.dir|imagedb.aid|"
       L"0???????.nch|*.fnd|*.spc|*.mch|Thumbs.db",
       {6}, "10101111111011111111110000011111011", [&] { junk.wjql_lxtj.onClick(); }},
      {&form->page<WjrcPage>().wjrc_select, L"Windows临时文件夹|文档访问历史记录|系统操作日志|软件使用日志|用户自定",
       {14, 15, 22, 22, 21}, "11110", [&] { form->page<WjrcPage>().wjrc_mr.click(); }},
      {&form->page<QtrcPage>().qtrc_showlist,
       L"Internet Explorer中的所有临时文件|Internet Explorer中的所有历史记录|Internet Explorer中地址栏历史网址|"
       L"Internet Explorer中的所有Cookies|Windows系统日志-应用程序|Windows系统日志-安全性|Windows系统日志-系统",
       {3, 3, 3, 3, 22, 22, 22}, "1100000", [&] { form->page<QtrcPage>().qtrc_mr.click(); }},
  };
  for (const Catalogue& c : lists) {
    std::vector<std::wstring> captions;
    for (const auto part : std::views::split(c.captions, L'|')) captions.emplace_back(part.begin(), part.end());
    ASSERT_EQ(c.list->count(), static_cast<int>(captions.size()));
    const auto expectTicks = [&] {
      for (int i = 0; i < c.list->count(); ++i) {
        SCOPED_TRACE(captions[i]);
        EXPECT_EQ(c.list->checked(i), c.recommended[i] == '1');
        EXPECT_EQ(c.list->state(i), c.recommended[i] == '1' ? 1 : 0);
      }
    };
    for (int i = 0; i < c.list->count(); ++i) {
      SCOPED_TRACE(captions[i]);
      const ListRow row = c.list->row(i);
      EXPECT_EQ(row.caption, captions[i]);
      EXPECT_EQ(row.image, c.icons[c.icons.size() == 1 ? 0 : i]);
      if (c.list != &junk.wjql_wjlxlist) {
        EXPECT_EQ(row.column(1), c.recommended[i] == '1' ? L"推荐" : L"可选");
      }
    }
    expectTicks();
    if (!c.restore) continue;
    for (int i = 0; i < c.list->count(); ++i) c.list->setChecked(i, !c.list->checked(i));
    c.restore();
    expectTicks();
  }
}

TEST_F(CatalogueTest, SelectAllTogglesFollowTheirStateNotTheirCaption) {
  WjqlPage& junk = form->page<WjqlPage>();
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
