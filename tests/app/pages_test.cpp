// Page switching through the side bar: the page, the button that is down, the
// status line, and a side bar that is switched off.

#include "app/page.h"
#include "appfixture.h"
#include "cleaning/qtrcpage.h"
#include "registry/bfglpage.h"
#include "registry/zcqlpage.h"
#include "cleaning/wjqlpage.h"
#include "cleaning/wjrcpage.h"

namespace wv::test {
namespace {

using PagesTest = FormTest;

TEST_F(PagesTest, EachSideBarButtonOpensItsPageAndClearsTheStatus) {
  for (FlatButton* b : form->Panel2.buttons()) {
    if (!b->visible()) continue;
    Page* page = form->Panel2.pageOf(*b);
    ASSERT_NE(page, nullptr);
    SCOPED_TRACE(std::string(page->key().begin(), page->key().end()));
    const bool wasActive = &form->activePage() == page;
    SetRunInfo(L"上一页的状态");
    b->click();
    EXPECT_EQ(&form->activePage(), page);
    EXPECT_TRUE(page->visible());
    EXPECT_TRUE(b->down());
    EXPECT_EQ(form->Panel2.group.current(), b);
    // Only a change of page clears the status line.
    EXPECT_EQ(form->zdk_runinfo.text(), wasActive ? L"上一页的状态" : L"");
    int visible = 0;
    for (Page* p : form->PageControl1.pages()) visible += p->visible() ? 1 : 0;
    EXPECT_EQ(visible, 1);
  }
}

TEST_F(PagesTest, PressingTheActivePagesButtonChangesNothing) {
  form->Panel2.zdk_zcql.click();
  SetRunInfo(L"扫描到符合条件的垃圾文件共 3 项");
  form->Panel2.zdk_zcql.click();
  EXPECT_EQ(&form->activePage(), form->zcqltab.get());
  EXPECT_EQ(form->zdk_runinfo.text(), L"扫描到符合条件的垃圾文件共 3 项");
}

TEST_F(PagesTest, ASwitchedOffSideBarOpensNoPage) {
  form->SetToolsEnabled(false);
  EXPECT_FALSE(form->ToolsEnabled());
  SetRunInfo(L"运行中");
  form->Panel2.zdk_wjql.click();
  // The real mouse goes the same way: a click on the disabled panel's button.
  SendMessageW(form->Panel2.zdk_qtrc.handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(form->Panel2.zdk_qtrc.handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(&form->activePage(), form->wjrctab.get());
  EXPECT_TRUE(form->Panel2.zdk_wjrc.down());
  EXPECT_EQ(form->zdk_runinfo.text(), L"运行中");
  form->SetToolsEnabled(true);
  SendMessageW(form->Panel2.zdk_qtrc.handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(form->Panel2.zdk_qtrc.handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(&form->activePage(), form->qtrctab.get());
}

TEST_F(PagesTest, TheBackupPageOpensFromCodeAndLeavesTheSideBarAsItWas) {
  form->Panel2.zdk_zcql.click();
  form->setActivePage(*form->bfgltab);
  EXPECT_EQ(&form->activePage(), form->bfgltab.get());
  EXPECT_TRUE(form->Panel2.zdk_zcql.down());
  // Back to the page that opened it, with its button still down.
  form->SwitchToPage(*form->zcqltab);
  EXPECT_EQ(&form->activePage(), form->zcqltab.get());
  EXPECT_TRUE(form->Panel2.zdk_zcql.down());
}

TEST_F(PagesTest, InnerPagesFollowTheirToggleButtons) {
  struct Case {
    ToggleGroup* group;
    InnerPages* pages;
  };
  const Case cases[] = {{&form->wjrctab->tabs, &form->wjrctab->PageControl3},
                        {&form->wjqltab->tabs, &form->wjqltab->PageControl6}};
  for (const Case& c : cases) {
    ASSERT_EQ(static_cast<int>(c.group->buttons().size()), c.pages->count());
    EXPECT_EQ(c.group->currentIndex(), 0);  // results first
    EXPECT_EQ(c.pages->active(), 0);
    for (int i = c.pages->count() - 1; i >= 0; --i) {
      c.group->buttons()[static_cast<std::size_t>(i)]->click();
      EXPECT_EQ(c.group->currentIndex(), i);
      EXPECT_EQ(c.pages->active(), i);
      for (int k = 0; k < c.pages->count(); ++k) EXPECT_EQ(c.pages->page(k).visible(), k == i) << k;
    }
  }
}

}  // namespace
}  // namespace wv::test
