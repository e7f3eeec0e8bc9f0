// The other-traces page in the real main window: the result cells, the question
// before a clean, a stop press.
#include <algorithm>

#include "support/app_fixture.h"
#include "engines/cleaning/trace_fixtures.h"
#include "pages/cleaning/other_traces_page.h"

namespace wv::test {
namespace {

class OtherTracesPageTest : public FormTest {
 protected:
  OtherTracesPage& page() { return form->page<OtherTracesPage>(); }
  auto& controls() { return Controls(page()); }
  Texts results() {
    Texts out;
    for (int i = 0; i < controls().itemList.count(); ++i) out.push_back(controls().itemList.text(i, 2));
    return out;
  }
  void tickOnly(std::initializer_list<int> rows) {
    for (int i = 0; i < controls().itemList.count(); ++i)
      controls().itemList.setChecked(i, std::find(rows.begin(), rows.end(), i) != rows.end());
  }

  TraceWorld world;
};

TEST_F(OtherTracesPageTest, AScanWritesEveryCellAndACleanAfterTheQuestionTheTickedOnes) {
  const std::wstring content = Plant(NORMAL_CACHE_ENTRY, "12345");
  Plant(STICKY_CACHE_ENTRY, "1234567");
  Plant(NORMAL_CACHE_ENTRY, "its file is gone", true);
  Plant(URLHISTORY_CACHE_ENTRY);
  Plant(URLHISTORY_CACHE_ENTRY);
  Plant(COOKIE_CACHE_ENTRY, "cookie=1234");
  Plant(COOKIE_CACHE_ENTRY, "gone=1", true);
  world.plantTyped(2);
  world.logs.logs = {{L"Application", {3, true}}, {L"Security", {std::nullopt, true}}};  // the system log cannot be opened
  tickOnly({});
  controls().scanButton.click();
  EXPECT_EQ(results(), (Texts{L"共 3 项,占用 12.00 B 硬盘空间", L"共 2 项", L"共 2 项", L"共 2 项,占用 11.00 B 硬盘空间",
                              L"共 3 项", L"扫描失败", L"扫描失败"}));
  EXPECT_TRUE(world.cache.calls.empty() && controls().cleanButton.enabled());
  EXPECT_EQ(form->statusLine.text(), L"其它日常清理项目扫描完成");

  ScriptedMsgBox box;
  controls().cleanButton.click();
  EXPECT_TRUE(box.shown().empty());  // nothing ticked: no question, nothing done
  tickOnly({0, 1, 2, 4, 5, 6});
  controls().cleanButton.click();  // declined
  ASSERT_EQ(box.shown().size(), 1u);
  EXPECT_EQ(box.shown()[0].heading + box.shown()[0].text, L"其它清理您“确定”清理当前选中的信息吗？");
  EXPECT_TRUE(Entry(content));

  world.logs.logs = {{L"Security", {9, false}}, {L"System", {6, true}}};  // the application log cannot be opened now
  box.answer(IDOK);
  controls().cleanButton.click();
  EXPECT_EQ(results(), (Texts{L"清理完成", L"清理完成", L"清理完成", L"", L"清理失败", L"清理失败", L"清理完成"}));
  EXPECT_TRUE(!Entry(content) && controls().scanButton.enabled() && controls().runState == 0);
  EXPECT_EQ(form->statusLine.text(), L"其它日常清理项目清理完成");
}

// A second press during the history's clean: that cell empties, every later cell
// stays empty, and the page is idle again.
TEST_F(OtherTracesPageTest, AStopPressEmptiesTheInterruptedCellAndEndsTheRun) {
  Plant(NORMAL_CACHE_ENTRY, "abc");
  Plant(URLHISTORY_CACHE_ENTRY);
  Plant(URLHISTORY_CACHE_ENTRY);
  world.logs.logs = {{L"Application", {2, true}}};
  world.cache.onClearHistory = [&] {
    EXPECT_EQ(controls().cleanButton.caption(), L"停止");
    EXPECT_FALSE(controls().scanButton.enabled() || form->sideBarEnabled());
    controls().cleanButton.click();
  };
  tickOnly({0, 1, 3, 4});
  ScriptedMsgBox box;
  box.answer(IDOK);
  controls().cleanButton.click();
  EXPECT_EQ(results(), (Texts{L"清理完成", L"", L"", L"", L"", L"", L""}));
  EXPECT_TRUE(world.logs.cleared.empty());
  EXPECT_TRUE(controls().runState == 0 && controls().cleanButton.caption() == L"选定清理" && form->sideBarEnabled());
  EXPECT_EQ(form->statusLine.text(), L"其它日常清理已被停止");
}

}  // namespace
}  // namespace wv::test
