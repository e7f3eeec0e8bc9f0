// The main window right after start: geometry, side bar, pages, catalogue ticks,
// drive rows, backup folders, status bar and column fitting.

#include <shlobj.h>

#include "app/page.h"
#include "appfixture.h"
#include "cleaning/qdszpage.h"
#include "cleaning/qtrcpage.h"
#include "cleaning/rjqlpage.h"
#include "cleaning/wjqlpage.h"
#include "cleaning/wjrcpage.h"
#include "core/initline.h"
#include "registry/bfglpage.h"
#include "registry/zcqlpage.h"
#include "registry/zcrcpage.h"
#include "tools/wjfspage.h"
#include "tools/wjszpage.h"
#include "tools/yyszpage.h"

namespace wv::test {
namespace {

using StartupTest = FormTest;

TEST_F(StartupTest, WindowIsAFramelessCentredClientOf800By563) {
  HWND h = form->handle();
  RECT client;
  GetClientRect(h, &client);
  EXPECT_EQ(client.right, 800);
  EXPECT_EQ(client.bottom, 563);
  const LONG style = GetWindowLongW(h, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, 0);
  EXPECT_EQ(style & WS_THICKFRAME, 0);
  RECT window, work;
  GetWindowRect(h, &window);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_LE(std::abs((window.left + window.right) - (work.left + work.right)), 1);
  EXPECT_LE(std::abs((window.top + window.bottom) - (work.top + work.bottom)), 1);
  EXPECT_EQ(WindowText(h), L"WindowsVantorra");
  EXPECT_EQ(form->Panel1.caption(), L"WindowsVantorra");
  EXPECT_EQ(form->Panel1.height(), 22);
  EXPECT_EQ(form->Panel2.width(), 142);
  EXPECT_EQ(form->Panel3.height(), 21);
}

TEST_F(StartupTest, StartsOnTheDailyFilePageWithItsButtonDown) {
  EXPECT_EQ(&form->activePage(), form->wjrctab.get());
  EXPECT_TRUE(form->wjrctab->visible());
  int visiblePages = 0;
  for (Page* p : form->PageControl1.pages()) visiblePages += p->visible() ? 1 : 0;
  EXPECT_EQ(visiblePages, 1);
  EXPECT_EQ(form->PageControl1.pages().size(), 11u);
  EXPECT_EQ(form->Panel2.group.current(), &form->Panel2.zdk_wjrc);
  EXPECT_EQ(GetFocus(), form->wjrctab->wjrc_select.handle());
  // Tab moves on to the next control of the page.
  PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
  Pump(20);
  EXPECT_NE(GetFocus(), form->wjrctab->wjrc_select.handle());
  EXPECT_TRUE(IsChild(form->wjrctab->handle(), GetFocus()));
}

TEST_F(StartupTest, SideBarHoldsTenButtonsInOrderOneDownMusicHidden) {
  const std::vector<std::wstring> captions = {L" 文件日常清理 ", L" 注册日常清理 ", L" 其它日常清理 ", L" 启动项目清理 ",
                                              L" 软件卸载清理 ", L" 磁盘文件清理 ", L" 注册信息清理 ", L" 文件信息设置 ",
                                              L" 文件资料粉碎 ", L" 音乐信息设置 "};
  const std::vector<Page*> pages = {form->wjrctab.get(), form->zcrctab.get(), form->qtrctab.get(),
                                    form->qdsztab.get(), form->rjqltab.get(), form->wjqltab.get(),
                                    form->zcqltab.get(), form->wjsztab.get(), form->wjfstab.get(),
                                    form->yysztab.get()};
  const auto buttons = form->Panel2.buttons();
  ASSERT_EQ(buttons.size(), captions.size());
  int down = 0;
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(buttons[i]->caption(), captions[i]);
    EXPECT_EQ(form->Panel2.pageOf(*buttons[i]), pages[i]);
    EXPECT_EQ(buttons[i]->visible(), i != 9);
    down += buttons[i]->down() ? 1 : 0;
    // Buttons stack downwards in table order, the second heading between 7 and 8.
    if (i > 0 && i < 9) {
      EXPECT_GT(buttons[i]->bounds().top, buttons[i - 1]->bounds().top);
    }
  }
  EXPECT_EQ(down, 1);
  EXPECT_EQ(form->Panel2.buttonOf(*form->bfgltab), nullptr);
  EXPECT_TRUE(form->ToolsEnabled());
}

TEST_F(StartupTest, StatusBarIsEmptyAndTheGaugeHiddenAtZero) {
  EXPECT_EQ(form->zdk_runinfo.text(), L"");
  EXPECT_FALSE(form->zdk_runprog.visible());
  EXPECT_EQ(form->zdk_runprog.position(), 0u);
  EXPECT_EQ(form->zdk_runprog.width(), 142 - 6);
  SetRunInfo(L"已扫描到 3 项");
  EXPECT_EQ(form->zdk_runinfo.text(), L"已扫描到 3 项");
  SetRunInfo(L"");
  EXPECT_EQ(form->zdk_runinfo.text(), L"");
}

// The catalogue as the lists show it: every row, and exactly the recommended ones ticked.
TEST_F(StartupTest, CatalogueListsHoldTheirRowsWithTheRecommendedTicks) {
  struct Case {
    const wchar_t* key;
    ListView* list;
    int rows;
    int ticked;
  };
  const Case cases[] = {
      {L"zcql", &form->zcqltab->zcql_select, 3, 3},     {L"zcrc", &form->zcrctab->zcrc_select, 13, 11},
      {L"wjql", &form->wjqltab->wjql_wjlxlist, 35, 26}, {L"wjrc", &form->wjrctab->wjrc_select, 5, 4},
      {L"qtrc", &form->qtrctab->qtrc_showlist, 7, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const std::vector<ListRow> shown = c.list->rows();
    const std::vector<CatalogueRow>& expected = CatalogueRows(c.key);
    ASSERT_EQ(static_cast<int>(shown.size()), c.rows);
    ASSERT_EQ(expected.size(), shown.size());
    EXPECT_EQ(c.list->checkedCount(), c.ticked);
    for (std::size_t i = 0; i < shown.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(shown[i].caption, expected[i].caption);
      ASSERT_GE(shown[i].sub.size(), 1u);
      EXPECT_EQ(shown[i].sub[0], expected[i].advice);
      EXPECT_EQ(shown[i].image, expected[i].icon);
      EXPECT_EQ(shown[i].state, expected[i].recommended);
      EXPECT_EQ(shown[i].checked, expected[i].recommended == 1);
    }
  }
  // The result column of the other-traces list starts empty.
  EXPECT_EQ(form->qtrctab->qtrc_showlist.columnCount(), 3);
  EXPECT_EQ(form->qtrctab->qtrc_showlist.text(0, 2), L"");
}

TEST_F(StartupTest, DefaultsAndSelectAllRestoreAndToggleTheTicks) {
  struct Case {
    ListView* list;
    std::function<void()> defaults;
  };
  const Case cases[] = {
      {&form->wjrctab->wjrc_select, [&] { form->wjrctab->wjrc_mr.click(); }},
      {&form->zcrctab->zcrc_select, [&] { form->zcrctab->zcrc_mr.click(); }},
      {&form->qtrctab->qtrc_showlist, [&] { form->qtrctab->qtrc_mr.click(); }},
      {&form->wjqltab->wjql_wjlxlist, [&] { form->wjqltab->wjql_lxtj.onClick(); }},
  };
  for (const Case& c : cases) {
    const std::vector<ListRow> fresh = c.list->rows();
    // The user turns every tick around.
    for (int i = 0; i < c.list->count(); ++i) c.list->setChecked(i, !c.list->checked(i));
    c.defaults();
    const std::vector<ListRow> restored = c.list->rows();
    ASSERT_EQ(restored.size(), fresh.size());
    for (std::size_t i = 0; i < fresh.size(); ++i) EXPECT_EQ(restored[i].checked, fresh[i].checked) << i;
  }

  LinkLabel& sel = form->wjrctab->wjrc_sel;
  ListView& list = form->wjrctab->wjrc_select;
  ASSERT_EQ(sel.caption(), L"全选");
  sel.click();
  EXPECT_EQ(list.checkedCount(), list.count());
  EXPECT_EQ(sel.caption(), L"全否");
  sel.click();
  EXPECT_EQ(list.checkedCount(), 0);
  EXPECT_EQ(sel.caption(), L"全选");
}

TEST_F(StartupTest, DriveListHoldsOneTickedRowPerFixedDrive) {
  std::vector<std::wstring> expected;
  const DWORD mask = GetLogicalDrives();
  for (int bit = 0; bit < 26; ++bit) {
    if (!(mask & (1u << bit))) continue;
    const wchar_t letter = static_cast<wchar_t>(L'A' + bit);
    const wchar_t root[] = {letter, L':', L'\\', 0};
    if (GetDriveTypeW(root) != DRIVE_FIXED) continue;
    wchar_t label[MAX_PATH + 1] = {};
    std::wstring name;
    if (GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) name = label;
    while (!name.empty() && name.back() == L' ') name.pop_back();
    while (!name.empty() && name.front() == L' ') name.erase(0, 1);
    if (name.empty()) name = L"本地磁盘";
    expected.push_back(name + L" (" + letter + L":)");
  }
  ASSERT_FALSE(expected.empty()) << "the prefix has drive C:";
  const std::vector<ListRow> rows = form->wjqltab->wjql_select.rows();
  ASSERT_EQ(rows.size(), expected.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i].caption, expected[i]);
    EXPECT_TRUE(rows[i].checked);
    EXPECT_EQ(rows[i].image, 2);
    ASSERT_EQ(rows[i].sub.size(), 1u);
    const std::wstring& free = rows[i].sub[0];
    ASSERT_GT(free.size(), 4u);
    EXPECT_EQ(free.substr(free.size() - 4), L"  剩余");
    EXPECT_NE(free.find(L'.'), std::wstring::npos);
    // Consumers take the drive from the two characters before the closing parenthesis.
    const std::wstring& c = rows[i].caption;
    EXPECT_EQ(c.substr(c.size() - 3, 2), expected[i].substr(expected[i].size() - 3, 2));
  }
  EXPECT_EQ(form->wjqltab->wjql_select.columnCount(), 2);
}

TEST_F(StartupTest, BackupFoldersLieBelowTheProgramsBackupFolder) {
  const std::wstring& folder = form->programFolder;
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), L'\\');
  EXPECT_EQ(form->bfgltab->bfgl_edtSavPath.text(), folder + L"Backup");
  EXPECT_EQ(form->RegBackupDir, folder + L"Backup\\Registry\\");
  EXPECT_EQ(form->AutoRunBackupDir, folder + L"Backup\\AutoRun\\");
  form->SetBackupBase(L"D:\\Saves");
  EXPECT_EQ(form->RegBackupDir, L"D:\\Saves\\Registry\\");
  EXPECT_EQ(form->AutoRunBackupDir, L"D:\\Saves\\AutoRun\\");
  EXPECT_EQ(form->bfgltab->bfgl_edtSavPath.text(), L"D:\\Saves");
}

TEST_F(StartupTest, KnownFoldersAreTheShellsFoldersWithoutBackslash) {
  wchar_t path[MAX_PATH] = {};
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_RECENT, nullptr, 0, path)));
  EXPECT_EQ(form->knownFolders.RecentDir, path);
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  ASSERT_GT(n, 3u);
  EXPECT_EQ(form->knownFolders.TempDir, std::wstring(temp, n - 1));
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  EXPECT_EQ(form->knownFolders.WindowsTempDir, std::wstring(windows) + L"\\Temp");
}

// Every list of the fitting table: columns together 18 px narrower than the list.
struct FitCase {
  const char* name;
  ListViewBase* list;
  int stretched;
  int hidden;  // a column kept at width 0, or -1
};

std::vector<FitCase> FitCases(Tfrmmain& f) {
  return {
      {"wjrc_select", &f.wjrctab->wjrc_select, 0, -1},   {"wjrc_showlist", &f.wjrctab->wjrc_showlist, 0, -1},
      {"wjrc_selflist", &f.wjrctab->wjrc_selflist, 0, -1}, {"zcrc_select", &f.zcrctab->zcrc_select, 0, -1},
      {"zcrc_showlist", &f.zcrctab->zcrc_showlist, 1, -1}, {"qtrc_showlist", &f.qtrctab->qtrc_showlist, 2, -1},
      {"wjql_select", &f.wjqltab->wjql_select, 0, -1},   {"wjql_showlist", &f.wjqltab->wjql_showlist, 0, -1},
      {"wjql_wjlxlist", &f.wjqltab->wjql_wjlxlist, 1, -1}, {"wjql_jumplist", &f.wjqltab->wjql_jumplist, 0, -1},
      {"zcql_select", &f.zcqltab->zcql_select, 0, -1},   {"zcql_showlist", &f.zcqltab->zcql_showlist, 1, -1},
      {"qdsz_showlist", &f.qdsztab->qdsz_showlist, 1, 3}, {"bfgl_showlist", &f.bfgltab->bfgl_showlist, 1, 4},
      {"wjfs_showlist", &f.wjfstab->wjfs_showlist, 0, -1},
  };
}

void ExpectFitted(Tfrmmain& f) {
  for (const FitCase& c : FitCases(f)) {
    SCOPED_TRACE(c.name);
    int sum = 0;
    for (int i = 0; i < c.list->columnCount(); ++i) sum += c.list->columnWidth(i);
    EXPECT_EQ(sum, c.list->width() - 18);
    EXPECT_GE(c.list->columnWidth(c.stretched), 100);
    if (c.hidden >= 0) {
      EXPECT_EQ(c.list->columnWidth(c.hidden), 0);
    }
  }
}

TEST_F(StartupTest, ListColumnsFitTheirListsAfterStartMaximiseAndRestore) {
  ExpectFitted(*form);
  const int before = form->wjrctab->wjrc_showlist.columnWidth(0);

  form->ToggleMaximized();
  Pump(50);
  ASSERT_TRUE(form->isMaximized());
  ExpectFitted(*form);
  EXPECT_GT(form->wjrctab->wjrc_showlist.columnWidth(0), before);

  form->ToggleMaximized();
  Pump(50);
  ASSERT_FALSE(form->isMaximized());
  ExpectFitted(*form);
  EXPECT_EQ(form->wjrctab->wjrc_showlist.columnWidth(0), before);
}

TEST(FitListColumnTest, StretchedColumnNeverBelow100) {
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  {
    ListView list;
    list.create(parent, ListStyle{}, {{L"a", 20}, {L"b", 300}, {L"c", 200}});
    list.setBounds(0, 0, 400, 200);
    FitListColumn(list, 0);
    EXPECT_EQ(list.columnWidth(0), 100);  // the others already overfill the list
    list.setColumnWidth(1, 50);
    list.setColumnWidth(2, 50);
    FitListColumn(list, 0);
    EXPECT_EQ(list.columnWidth(0), 400 - 18 - 100);
  }
  DestroyWindow(parent);
}

}  // namespace
}  // namespace wv::test
