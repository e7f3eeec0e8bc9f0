// The shredder page in the real main window: import by drop, the count header,
// shred selected and all with their questions and failure messages, a stop
// press, the popup menu, sorting and refresh.

#include <gtest/gtest.h>

#include "app/appfixture.h"
#include "tools/shred_fixtures.h"
#include "tools/wjfspage.h"

namespace wv::test {
namespace {

class WjfsPageTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form->Panel2.button(L"wjfs").click();
  }
  WjfsPage& page() { return form->page<WjfsPage>(); }
  std::vector<std::wstring> shown() {
    std::vector<std::wstring> out;
    for (const ListRow& row : page().wjfs_rows.rows()) out.push_back(row.caption);
    return out;
  }
  void expectIdle() {
    EXPECT_EQ(page().wjfs_runstate, 0);
    EXPECT_TRUE(form->ToolsEnabled());
    EXPECT_EQ(page().wjfs_filesel.caption(), L"文件选择");
    EXPECT_EQ(page().wjfs_selfs.caption(), L"选定粉碎");
    EXPECT_EQ(page().wjfs_allselfs.caption(), L"全部粉碎");
    EXPECT_TRUE(page().wjfs_filesel.enabled());
    const bool rows = !page().wjfs_entries.empty();
    for (Button* b : {&page().wjfs_selfs, &page().wjfs_allselfs, &page().wjfs_refresh}) EXPECT_EQ(b->enabled(), rows);
    EXPECT_EQ(page().wjfs_showlist.columnCaption(0), ShredCountCaption(page().wjfs_entries.size()));
    EXPECT_EQ(page().wjfs_showlist.count(), static_cast<int>(page().wjfs_entries.size()));
  }
  void select(const std::wstring& path) {
    for (std::size_t i = 0; i < page().wjfs_entries.size(); ++i)
      if (page().wjfs_entries.at(i).path == path) page().wjfs_showlist.select(static_cast<int>(i));
  }
};

TEST_F(WjfsPageTest, DroppedFilesAndFoldersAreListedOnceWithSizeOrFolderWord) {
  TempFolder t(L"wjfsdrop");
  const std::wstring file = PatternFile(t / L"a.txt", 1536);
  const std::wstring folder = t.folder(L"folder");
  PatternFile(folder + L"\\inside.txt", 10);
  expectIdle();
  page().drop({file, folder, t / L"missing.txt"});
  page().drop({file});  // listed already
  EXPECT_EQ(shown(), (std::vector<std::wstring>{file, folder}));
  EXPECT_EQ(page().wjfs_rows.at(0).column(1), L"1.50 KB");
  EXPECT_EQ(page().wjfs_rows.at(1).column(1), L"目录");
  EXPECT_EQ(page().wjfs_showlist.columnCaption(0), L"待粉碎的文件或目录名     (共 2 项)");
  EXPECT_EQ(form->zdk_runinfo.text(), L"文件或目录导入完成");
  expectIdle();
}

TEST_F(WjfsPageTest, ShredSelectedAsksFirstAndReportsWhatItCouldNotShred) {
  TempFolder t(L"wjfssel");
  const std::wstring file = PatternFile(t / L"a.txt", 3000);
  const std::wstring held = PatternFile(t / L"held.txt", 3000);
  page().drop({file, held});
  ScriptedMsgBox box;

  select(file);
  page().wjfs_selfs.click();  // declined: nothing happens
  EXPECT_TRUE(PathExists(file));
  box.answer(IDOK);
  page().wjfs_selfs.click();
  EXPECT_FALSE(PathExists(file));
  EXPECT_EQ(shown(), std::vector<std::wstring>{held});
  EXPECT_EQ(form->zdk_runinfo.text(), L"已完成对当前选中文件的不可恢复性删除");
  expectIdle();

  UniqueFile hold = HoldOpen(held);
  select(held);
  box.answer(IDOK);
  page().wjfs_selfs.click();
  ASSERT_EQ(box.shown().size(), 4u);  // declined, accepted, accepted, the failure
  for (const auto& s : box.shown()) EXPECT_EQ(s.heading, s.icon == 1 ? L"文件粉碎" : L"粉碎失败");
  EXPECT_EQ(box.shown()[0].text, L"您确定对当前选中的文件或目录进行不可恢复性删除吗？");
  EXPECT_EQ(box.shown()[3].icon, 2);
  EXPECT_EQ(box.shown()[3].text, L"文件 \"" + held + L"\" 正在运行或对其操作权限不够，无法粉碎！");
  EXPECT_EQ(shown(), std::vector<std::wstring>{held});
  EXPECT_EQ(form->zdk_runinfo.text(), L"");
  expectIdle();
}

TEST_F(WjfsPageTest, AStopPressDuringShredAllLeavesTheRest) {
  TempFolder t(L"wjfsall");
  std::vector<std::wstring> files;
  for (const wchar_t* name : {L"1.txt", L"2.txt", L"3.txt"}) files.push_back(PatternFile(t / name, 200 * 1024));
  page().drop(files);
  ScriptedMsgBox box;
  box.answer(IDOK);
  bool pressed = false;
  RunInfoSink previous = SetRunInfoSink([&](std::wstring_view text) {
    form->zdk_runinfo.setText(text);
    if (!pressed && text == std::wstring(kShreddingText) + files[1]) {
      pressed = true;
      EXPECT_EQ(page().wjfs_allselfs.caption(), L"停止");
      EXPECT_FALSE(page().wjfs_filesel.enabled() || page().wjfs_selfs.enabled() || page().wjfs_refresh.enabled());
      page().wjfs_allselfs.click();  // the stop request; the file under way is finished
    }
  });
  page().wjfs_allselfs.click();
  SetRunInfoSink(previous);

  EXPECT_TRUE(pressed);
  EXPECT_EQ(shown(), std::vector<std::wstring>{files[2]});
  EXPECT_FALSE(PathExists(files[0]) || PathExists(files[1]));
  EXPECT_EQ(ReadBytes(files[2]).substr(0, 3), "ABC");
  EXPECT_EQ(form->zdk_runinfo.text(), L"粉碎操作被停止");
  expectIdle();

  UniqueFile hold = HoldOpen(files[2]);
  box.answer(IDOK);
  page().wjfs_allselfs.click();
  EXPECT_EQ(box.shown().back().text, L"某些文件或目录正在运行或对其操作权限不够，无法全部粉碎！");
  EXPECT_EQ(shown(), std::vector<std::wstring>{files[2]});
  expectIdle();
}

TEST_F(WjfsPageTest, MenuSortingAndRefreshChangeOnlyTheList) {
  TempFolder t(L"wjfsmenu");
  const std::wstring a = PatternFile(t / L"a.txt", 10), b = PatternFile(t / L"b.txt", 2000),
                     c = PatternFile(t / L"c.txt", 30);
  page().wjfs_menuPopup();
  EXPECT_FALSE(page().wjfs_menu.item(WjfsPage::kMenuDelAll).enabled);
  page().drop({b, a, c});
  page().wjfs_menuPopup();
  EXPECT_TRUE(page().wjfs_menu.item(WjfsPage::kMenuDelAll).enabled);

  // b, a, c: first below last, so the first click sorts descending, the next ascending.
  page().wjfs_showlistColumnClick(0);
  EXPECT_EQ(shown(), (std::vector<std::wstring>{c, b, a}));
  page().wjfs_showlistColumnClick(0);
  EXPECT_EQ(shown(), (std::vector<std::wstring>{a, b, c}));
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(page().wjfs_entries.at(i).path, shown()[i]);

  select(b);
  page().wjfs_menu.choose(WjfsPage::kMenuDelUnsel);
  EXPECT_EQ(shown(), std::vector<std::wstring>{b});
  page().drop({a, c});
  select(a);
  page().wjfs_menu.choose(WjfsPage::kMenuDelSel);
  EXPECT_EQ(shown(), (std::vector<std::wstring>{b, c}));

  PatternFile(b, 5000);
  DeleteFileW(c.c_str());
  page().wjfs_refresh.click();
  EXPECT_EQ(shown(), std::vector<std::wstring>{b});
  EXPECT_EQ(page().wjfs_rows.at(0).column(1), L"4.88 KB");
  EXPECT_EQ(form->zdk_runinfo.text(), L"文件或目录信息刷新完成");
  expectIdle();

  page().wjfs_menu.choose(WjfsPage::kMenuDelAll);
  EXPECT_TRUE(shown().empty());
  EXPECT_TRUE(PathExists(a) && PathExists(b));
  expectIdle();
}

}  // namespace
}  // namespace wv::test
