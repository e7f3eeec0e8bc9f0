// The page table drives the window: every entry is a page, the side bar has one
// button per entry with a heading, in table order, and the pages answer the
// window's start, close and drop steps through their interface.

#include <algorithm>
#include <set>

#include "app/pagetable.h"
#include "appfixture.h"
#include "cleaning/wjqlpage.h"
#include "cleaning/wjrcpage.h"
#include "platform/win32/win32_platform.h"
#include "support/testsupport.h"
#include "tools/wjfspage.h"
#include "tools/wjszpage.h"
#include "tools/yyszpage.h"

namespace wv::test {
namespace {

using PageTableTest = FormTest;

TEST_F(PageTableTest, EveryEntryIsOnePageAndTheSideBarFollowsTheTable) {
  const auto table = PageTable();
  ASSERT_EQ(form->pages().size(), table.size());
  std::set<std::wstring_view> keys;
  std::size_t withButton = 0;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const PageEntry& entry = table[i];
    SCOPED_TRACE(std::string(entry.key.begin(), entry.key.end()));
    EXPECT_TRUE(keys.insert(entry.key).second) << "a key twice";
    Page* page = form->findPage(entry.key);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page, form->pages()[i].get());
    FlatButton* button = form->Panel2.buttonOf(*page);
    if (entry.group == SideGroup::None) {
      EXPECT_EQ(button, nullptr);
      continue;
    }
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(form->Panel2.buttons().at(withButton++), button) << "side-bar order is table order";
    EXPECT_EQ(button->caption(), entry.caption);
    EXPECT_EQ(button->visible(), entry.buttonShown);
    EXPECT_EQ(form->Panel2.pageOf(*button), page);
  }
  EXPECT_EQ(form->Panel2.buttons().size(), withButton);
  EXPECT_EQ(form->findPage(L"none"), nullptr);
  EXPECT_EQ(&form->activePage(), form->pages().front().get()) << "the first entry is the start page";

  // The visible buttons of the second heading sit below every button of the first.
  LONG lowestCleaning = 0;
  for (const PageEntry& entry : table) {
    if (entry.group == SideGroup::Cleaning)
      lowestCleaning = std::max(lowestCleaning, form->Panel2.button(entry.key).bounds().bottom);
  }
  for (const PageEntry& entry : table) {
    if (entry.group == SideGroup::FileTools && entry.buttonShown)
      EXPECT_GT(form->Panel2.button(entry.key).bounds().top, lowestCleaning);
  }
}

TEST_F(PageTableTest, OnlyIdleFileToolPagesTakeDrops) {
  for (const std::unique_ptr<Page>& page : form->pages()) {
    const bool fileTool = page->key() == L"wjsz" || page->key() == L"wjfs" || page->key() == L"yysz";
    EXPECT_EQ(page->acceptsDrop(), fileTool) << std::string(page->key().begin(), page->key().end());
  }
  YyszPage& music = form->page<YyszPage>();
  music.yysz_runstate = 3;
  EXPECT_FALSE(music.acceptsDrop());
  music.yysz_runstate = 0;
  EXPECT_TRUE(music.acceptsDrop());
}

TEST_F(PageTableTest, ClosingStopsTheRunningOperationsOfEveryPage) {
  // Stop requests only: a press on a start control that shows "停止" puts its idle caption back.
  WjqlPage& junk = form->page<WjqlPage>();
  WjfsPage& shred = form->page<WjfsPage>();
  YyszPage& music = form->page<YyszPage>();
  junk.wjql_sm.setCaption(kStopCaption);
  shred.wjfs_filesel.setCaption(kStopCaption);
  music.yysz_filesel.setCaption(kStopCaption);
  for (const std::unique_ptr<Page>& page : form->pages()) page->stopRuns();
  EXPECT_EQ(junk.wjql_sm.caption(), L"扫描");
  EXPECT_EQ(shred.wjfs_filesel.caption(), L"文件选择");
  EXPECT_EQ(music.yysz_filesel.caption(), L"音乐选择");
  // An idle start control is not pressed: the scan does not start.
  EXPECT_EQ(form->page<WjqlPage>().wjql_runstate, 0);
  EXPECT_TRUE(form->ToolsEnabled());
}

TEST_F(PageTableTest, SelectAllTogglesFollowTheirStateNotTheirCaption) {
  WjqlPage& junk = form->page<WjqlPage>();
  ListView& types = junk.wjql_wjlxlist;
  ASSERT_GT(types.count(), 1);
  ASSERT_LT(types.checkedCount(), types.count()) << "some masks start unticked";
  SelectAllButton& toggle = junk.wjql_lxsel;
  EXPECT_TRUE(toggle.offersAll());
  EXPECT_EQ(toggle.caption(), L"全选");
  toggle.click();
  EXPECT_EQ(types.checkedCount(), types.count());
  EXPECT_EQ(toggle.caption(), L"全否");
  toggle.click();
  EXPECT_EQ(types.checkedCount(), 0);
  EXPECT_EQ(toggle.caption(), L"全选");
  // A caption changed by other code does not change what the toggle does next.
  toggle.setCaption(L"全否");
  toggle.click();
  EXPECT_EQ(types.checkedCount(), types.count());
  EXPECT_FALSE(toggle.offersAll());
}

TEST_F(PageTableTest, AStopRequestHoldsWhateverTheCaptionShows) {
  WjrcPage& page = form->page<WjrcPage>();
  RunControl& run = page.wjrc_run;
  run.start(1);
  EXPECT_TRUE(run.proceed());
  run.requestStop();
  EXPECT_EQ(page.wjrc_sm.caption(), L"扫描");
  page.wjrc_sm.setCaption(kStopCaption);  // the caption alone says nothing to the engine
  EXPECT_FALSE(run.proceed());
  run.finish(L"");
  run.start(1);
  EXPECT_TRUE(run.proceed()) << "a new run does not inherit the old request";
  run.finish(L"");
  EXPECT_EQ(page.wjrc_runstate, 0);
}

// The open-file dialog, answered by a substitute that records each request.
class DialogShell : public Win32Shell {
 public:
  std::vector<OpenFilesRequest> requests;
  std::vector<std::vector<std::wstring>> answers;  // one per call; none left: Cancel
  std::vector<std::wstring> openFiles(const OpenFilesRequest& request) override {
    requests.push_back(request);
    if (answers.empty()) return {};
    std::vector<std::wstring> answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
};

TEST_F(PageTableTest, TheSharedFileDialogFillsThePagesPendingListAndRemembersTheFolder) {
  DialogShell shell;
  Substitute<Shell> swap(&Platform::shell, shell);
  TempFolder folder(L"pick");
  const std::wstring a = folder.file(L"a.txt"), b = folder.file(L"sub\\b.mp3");
  WjszPage& info = form->page<WjszPage>();
  WjfsPage& shred = form->page<WjfsPage>();
  YyszPage& music = form->page<YyszPage>();

  shell.answers = {{a, b}};
  EXPECT_TRUE(form->PickFiles(L"wjsz"));
  EXPECT_EQ(info.wjsz_filelist, (std::vector<std::wstring>{a, b}));
  // Cancel leaves the pending files as they are.
  EXPECT_FALSE(form->PickFiles(L"WJSZ"));
  EXPECT_EQ(info.wjsz_filelist, (std::vector<std::wstring>{a, b}));
  shell.answers = {{b}};
  EXPECT_TRUE(form->PickFiles(L"yysz"));
  EXPECT_EQ(music.yysz_filelist, (std::vector<std::wstring>{b}));
  EXPECT_FALSE(form->PickFiles(L"wjfs"));
  EXPECT_TRUE(shred.wjfs_filelist.empty());
  EXPECT_FALSE(form->PickFiles(L"wjql")) << "only the file-tool pages have the dialog";

  ASSERT_EQ(shell.requests.size(), 4u);
  const OpenFilesRequest& first = shell.requests[0];
  EXPECT_EQ(first.title, L"请选择您要设置的文件...");
  EXPECT_EQ(first.filterName, L"所有格式");
  EXPECT_EQ(first.filterPattern, L"*.*");
  EXPECT_FALSE(first.followShortcuts) << "the file-info page works on shortcuts themselves";
  EXPECT_EQ(first.initialFolder, L"c:");
  EXPECT_EQ(first.owner, form->handle());
  // The next dialog opens in the folder of the first file chosen, whichever page asks.
  EXPECT_EQ(shell.requests[1].initialFolder, folder.path());
  EXPECT_EQ(shell.requests[2].title, L"请选择您要设置的音乐文件...");
  EXPECT_EQ(shell.requests[2].filterPattern, L"*.mp3;*.wma");
  EXPECT_TRUE(shell.requests[2].followShortcuts);
  EXPECT_EQ(shell.requests[3].initialFolder, folder.path() + L"\\sub");
  EXPECT_EQ(shell.requests[3].title, L"请选择您要粉碎的文件...");
  EXPECT_TRUE(shell.requests[3].followShortcuts);
}

}  // namespace
}  // namespace wv::test
