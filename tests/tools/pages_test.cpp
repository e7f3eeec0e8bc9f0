// The shredder and file-information pages: the question before anything on disk changes, a stop
// press, the menu.

#include "support/app_fixture.h"
#include "tools/fixtures.h"
#include "pages/tools/shredder_page.h"
#include "pages/tools/file_info_page.h"

namespace wv::test {
namespace {

class ToolPageTest : public FormTest {
 protected:
  void SetUp() override { FormTest::SetUp(), form->sideBar.button(Module::Shredder).click(); }
  ShredderPage& page() { return form->page<ShredderPage>(); }
  Names shown() { return Each(page().wjfs_rows, [](const ListRow& r) { return r.caption; }); }
  // Every operation ends with the page idle, its captions back and the buttons as the list allows.
  void expectIdle() {
    ShredderPage& p = page();
    EXPECT_TRUE(p.wjfs_runstate == 0 && form->sideBarEnabled() && p.wjfs_filesel.enabled());
    EXPECT_EQ(p.wjfs_filesel.caption() + p.wjfs_selfs.caption() + p.wjfs_allselfs.caption(), L"文件选择选定粉碎全部粉碎");
    for (Button* b : {&p.wjfs_selfs, &p.wjfs_allselfs, &p.wjfs_refresh}) EXPECT_EQ(b->enabled(), !p.wjfs_entries.empty());
    EXPECT_TRUE(p.wjfs_showlist.columnCaption(0) == ShredCountCaption(p.wjfs_entries.size()) &&
                p.wjfs_showlist.count() == static_cast<int>(p.wjfs_entries.size()));
  }
  void select(const std::wstring& path) {
    for (std::size_t i = 0; i < page().wjfs_entries.size(); ++i)
      if (page().wjfs_entries.at(i).path == path) page().wjfs_showlist.select(static_cast<int>(i));
  }
  ScriptedMsgBox box;  // unscripted questions are declined
};

TEST_F(ToolPageTest, DroppedEntriesAreShreddedOnlyAfterTheQuestionAndTheMenuTouchesNoFile) {
  TempFolder t(L"wjfssel");
  const std::wstring file = PatternFile(t / L"a.txt", 1536), held = PatternFile(t / L"held.txt", 3000),
                     folder = t.folder(L"folder");
  page().drop({file, folder, held});
  EXPECT_EQ(shown(), (Names{file, folder, held}));

  select(file);
  page().wjfs_selfs.click();  // declined: nothing happens
  EXPECT_TRUE(PathExists(file));
  box.answer(IDOK);
  page().wjfs_selfs.click();
  EXPECT_TRUE(!PathExists(file) && shown() == (Names{folder, held}));

  UniqueFile hold = HoldOpen(held);
  select(held);
  box.answer(IDOK);
  page().wjfs_selfs.click();
  ASSERT_EQ(box.shown().size(), 4u);  // declined, accepted, accepted, the failure
  EXPECT_EQ(box.shown()[0].text, L"您确定对当前选中的文件或目录进行不可恢复性删除吗？");
  EXPECT_EQ(box.shown()[3].heading + box.shown()[3].text, L"粉碎失败文件 \"" + held + L"\" 正在运行或对其操作权限不够，无法粉碎！");
  EXPECT_EQ(shown(), (Names{folder, held}));
  expectIdle();

  // The menu changes only the list.
  select(held);
  page().wjfs_menu.choose(ShredderPage::kMenuDelUnsel);
  EXPECT_EQ(shown(), Names{held});
  page().drop({folder});
  select(held);
  page().wjfs_menu.choose(ShredderPage::kMenuDelSel);
  EXPECT_EQ(shown(), Names{folder});
  page().wjfs_menu.choose(ShredderPage::kMenuDelAll);
  EXPECT_TRUE(shown().empty() && PathExists(folder) && PathExists(held));
  expectIdle();
}

TEST_F(ToolPageTest, AStopPressDuringShredAllLeavesTheRest) {
  TempFolder t(L"wjfsall");
  Names files;
  for (const wchar_t* name : {L"1.txt", L"2.txt", L"3.txt"}) files.push_back(PatternFile(t / name, 200 * 1024));
  page().drop(files);
  box.answer(IDOK);
  bool pressed = false;
  RunInfoSink previous = SetRunInfoSink([&](std::wstring_view text) {
    form->statusLine.setText(text);
    if (pressed || text != std::wstring(kShreddingText) + files[1]) return;
    pressed = true;
    EXPECT_EQ(page().wjfs_allselfs.caption(), L"停止");
    EXPECT_FALSE(page().wjfs_filesel.enabled() || page().wjfs_selfs.enabled() || page().wjfs_refresh.enabled());
    page().wjfs_allselfs.click();  // the stop request; the file under way is finished
  });
  page().wjfs_allselfs.click();
  SetRunInfoSink(previous);
  ASSERT_TRUE(pressed);
  EXPECT_TRUE(shown() == Names{files[2]} && !PathExists(files[0]) && !PathExists(files[1]));
  EXPECT_TRUE(ReadBytes(files[2]).starts_with("ABC") && form->statusLine.text() == L"粉碎操作被停止");
  expectIdle();

  UniqueFile hold = HoldOpen(files[2]);
  box.answer(IDOK);
  page().wjfs_allselfs.click();
  EXPECT_EQ(box.shown().back().text, L"某些文件或目录正在运行或对其操作权限不够，无法全部粉碎！");
  EXPECT_EQ(shown(), Names{files[2]});
  expectIdle();
}

// Renaming waits for the page's question: declined, the disk stays as it was.
TEST_F(ToolPageTest, FileInformationRenamesOnlyAfterItsQuestion) {
  form->sideBar.button(Module::FileInfo).click();
  FileInfoPage& p = form->page<FileInfoPage>();
  TempFolder t(L"wjszpage");
  t.file(L"a.txt");
  p.drop({t.path()});  // a dropped folder brings the files below it
  ASSERT_EQ(p.wjsz_files.size(), 1u);
  p.wjsz_nameistrbt.setChecked(true);
  p.wjsz_namereprbt.setChecked(false);
  p.wjsz_nameistedt.setText(L"x_");
  p.wjsz_mnchgClick();
  p.wjsz_zschgClick();
  EXPECT_TRUE(PathExists(t / L"a.txt") && !PathExists(t / L"x_a.txt"));
  box.answer(IDOK);
  p.wjsz_zschgClick();
  EXPECT_TRUE(PathExists(t / L"x_a.txt") && !PathExists(t / L"a.txt"));
  EXPECT_EQ(p.wjsz_files.at(0).oldName, L"x_a.txt");
}

}  // namespace
}  // namespace wv::test
