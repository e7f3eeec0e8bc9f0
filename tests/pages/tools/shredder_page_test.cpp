// The shredder page in the real main window: the question before anything on disk changes, a stop
// press, the menu.

#include "support/app_fixture.h"
#include "engines/tools/fixtures.h"
#include "pages/tools/shredder_page.h"

namespace wv::test {
namespace {

class ShredderPageTest : public FormTest {
 protected:
  void SetUp() override { FormTest::SetUp(), form->sideBar.button(Module::Shredder).click(); }
  ShredderPage& page() { return form->page<ShredderPage>(); }
  auto& controls() { return Controls(page()); }
  FileToolControls& tool() { return SharedControls<FileToolControls>(page()); }
  Names shown() { return Each(controls().shownRows, [](const ListRow& r) { return r.caption; }); }
  // Every operation ends with the page idle, its captions back and the buttons as the list allows.
  void expectIdle() {
    auto& c = controls();
    EXPECT_TRUE(tool().runState == 0 && form->sideBarEnabled() && tool().chooseFilesButton.enabled());
    EXPECT_EQ(tool().chooseFilesButton.caption() + c.shredSelectedButton.caption() + c.shredAllButton.caption(),
              L"文件选择选定粉碎全部粉碎");
    for (Button* b : {&c.shredSelectedButton, &c.shredAllButton, &c.refreshButton})
      EXPECT_EQ(b->enabled(), !c.entries.empty());
    const std::wstring counted = c.entries.empty() ? L"" : L"     (共 " + std::to_wstring(c.entries.size()) + L" 项)";
    EXPECT_TRUE(c.entryList.columnCaption(0) == L"待粉碎的文件或目录名" + counted &&
                c.entryList.count() == static_cast<int>(c.entries.size()));
  }
  void select(const std::wstring& path) {
    for (std::size_t i = 0; i < controls().entries.size(); ++i)
      if (controls().entries.at(i).path == path) controls().entryList.select(static_cast<int>(i));
  }
  ScriptedMsgBox box;  // unscripted questions are declined
};

TEST_F(ShredderPageTest, DroppedEntriesAreShreddedOnlyAfterTheQuestionAndTheMenuTouchesNoFile) {
  TempFolder t(L"shredselected");
  const std::wstring file = PatternFile(t / L"a.txt", 1536), held = PatternFile(t / L"held.txt", 3000),
                     folder = t.folder(L"folder");
  page().drop({file, folder, held});
  EXPECT_EQ(shown(), (Names{file, folder, held}));

  auto& c = controls();
  select(file);
  c.shredSelectedButton.click();  // declined: nothing happens
  EXPECT_TRUE(PathExists(file));
  box.answer(IDOK);
  c.shredSelectedButton.click();
  EXPECT_TRUE(!PathExists(file) && shown() == (Names{folder, held}));

  UniqueFile hold = HoldOpen(held);
  select(held);
  box.answer(IDOK);
  c.shredSelectedButton.click();
  ASSERT_EQ(box.shown().size(), 4u);  // declined, accepted, accepted, the failure
  EXPECT_EQ(box.shown()[0].text, L"您确定对当前选中的文件或目录进行不可恢复性删除吗？");
  EXPECT_EQ(box.shown()[3].heading + box.shown()[3].text, L"粉碎失败文件 \"" + held + L"\" 正在运行或对其操作权限不够，无法粉碎！");
  EXPECT_EQ(shown(), (Names{folder, held}));
  expectIdle();

  // The menu changes only the list.
  select(held);
  c.listMenu.choose(c.removeUnselectedItem);
  EXPECT_EQ(shown(), Names{held});
  page().drop({folder});
  select(held);
  c.listMenu.choose(c.removeSelectedItem);
  EXPECT_EQ(shown(), Names{folder});
  c.listMenu.choose(c.clearItem);
  EXPECT_TRUE(shown().empty() && PathExists(folder) && PathExists(held));
  expectIdle();
}

TEST_F(ShredderPageTest, AStopPressDuringShredAllLeavesTheRest) {
  TempFolder t(L"shredall");
  Names files;
  for (const wchar_t* name : {L"1.txt", L"2.txt", L"3.txt"}) files.push_back(PatternFile(t / name, 200 * 1024));
  page().drop(files);
  box.answer(IDOK);
  auto& c = controls();
  bool pressed = false;
  RunInfoSink previous = SetRunInfoSink([&](std::wstring_view text) {
    form->statusLine.setText(text);
    if (pressed || text != std::wstring(kShreddingText) + files[1]) return;
    pressed = true;
    EXPECT_EQ(c.shredAllButton.caption(), L"停止");
    EXPECT_FALSE(tool().chooseFilesButton.enabled() || c.shredSelectedButton.enabled() || c.refreshButton.enabled());
    c.shredAllButton.click();  // the stop request; the file under way is finished
  });
  c.shredAllButton.click();
  SetRunInfoSink(previous);
  ASSERT_TRUE(pressed);
  EXPECT_TRUE(shown() == Names{files[2]} && !PathExists(files[0]) && !PathExists(files[1]));
  EXPECT_TRUE(ReadBytes(files[2]).starts_with("ABC") && form->statusLine.text() == L"粉碎操作被停止");
  expectIdle();

  UniqueFile hold = HoldOpen(files[2]);
  box.answer(IDOK);
  c.shredAllButton.click();
  EXPECT_EQ(box.shown().back().text, L"某些文件或目录正在运行或对其操作权限不够，无法全部粉碎！");
  EXPECT_EQ(shown(), Names{files[2]});
  expectIdle();
}

}  // namespace
}  // namespace wv::test
