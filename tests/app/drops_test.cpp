// Files dropped from the shell on the three file-tool pages, and the shared
// open-file dialog, over real folders of the prefix.

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "appfixture.h"
#include "support/testsupport.h"
#include "tools/wjfspage.h"
#include "tools/wjszpage.h"
#include "tools/yyszpage.h"

namespace wv::test {
namespace {

// A drop as the shell posts it: a DROPFILES block with wide paths.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
  std::size_t chars = 1;
  for (const std::wstring& p : paths) chars += p.size() + 1;
  HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto* df = static_cast<DROPFILES*>(GlobalLock(mem));
  df->pFiles = sizeof(DROPFILES);
  df->fWide = TRUE;
  auto* out = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(df) + sizeof(DROPFILES));
  for (const std::wstring& p : paths) {
    p.copy(out, p.size());
    out += p.size() + 1;
  }
  GlobalUnlock(mem);
  return static_cast<HDROP>(mem);
}

void Drop(HWND target, const std::vector<std::wstring>& paths) {
  PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
  Pump(30);
}

class DropsTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    top = folder.file(L"a.txt");
    inner = folder.file(L"sub\\b.txt");
    deeper = folder.file(L"sub\\deeper\\c.mp3");
    recycled = folder.file(L"RECYCLED\\gone.txt");
    loose = elsewhere.file(L"loose.wma");
  }
  TempFolder folder{L"drops"};
  TempFolder elsewhere{L"drops2"};
  std::wstring top, inner, deeper, recycled, loose;
};

TEST_F(DropsTest, TheFileInfoAndMusicPagesTakeEveryFileBelowAFolderButRecycled) {
  struct Case {
    Page* page;
    std::vector<std::wstring>* pending;
    const std::int32_t* runState;
    Button* start;
    const wchar_t* idle;
  };
  const Case cases[] = {
      {form->wjsztab.get(), &form->wjsztab->wjsz_filelist, &form->wjsztab->wjsz_runstate, &form->wjsztab->wjsz_filesel,
       L"文件选择"},
      {form->yysztab.get(), &form->yysztab->yysz_filelist, &form->yysztab->yysz_runstate, &form->yysztab->yysz_filesel,
       L"音乐选择"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.page->key().begin(), c.page->key().end()));
    c.pending->clear();
    Drop(c.page->handle(), {folder.path(), loose});
    // A folder's own files before its subfolders'; nothing from below "RECYCLED".
    const std::vector<std::wstring> expected = {top, inner, deeper, loose};
    EXPECT_EQ(*c.pending, expected);
    // The import ran and ended: the page is idle again.
    EXPECT_EQ(*c.runState, 0);
    EXPECT_EQ(c.start->caption(), c.idle);
    EXPECT_TRUE(form->ToolsEnabled());
  }
}

TEST_F(DropsTest, TheShredderKeepsDroppedFoldersWhole) {
  Drop(form->wjfstab->handle(), {folder.path(), loose, folder / L"missing.txt"});
  const std::vector<std::wstring> expected = {folder.path(), loose};
  EXPECT_EQ(form->wjfstab->wjfs_filelist, expected);
  EXPECT_EQ(form->wjfstab->wjfs_runstate, 0);
}

TEST_F(DropsTest, ABusyPageIgnoresDrops) {
  WjszPage& wjsz = *form->wjsztab;
  WjfsPage& wjfs = *form->wjfstab;
  wjsz.wjsz_filelist = {L"C:\\before.txt"};
  wjfs.wjfs_filelist = {L"C:\\before.txt"};
  wjsz.wjsz_runstate = 2;  // simulating
  wjsz.wjsz_mnchg.setCaption(L"停止");
  wjfs.wjfs_runstate = 3;  // shredding all
  Drop(wjsz.handle(), {folder.path()});
  Drop(wjfs.handle(), {folder.path()});
  EXPECT_EQ(wjsz.wjsz_filelist, std::vector<std::wstring>{L"C:\\before.txt"});
  EXPECT_EQ(wjfs.wjfs_filelist, std::vector<std::wstring>{L"C:\\before.txt"});
  EXPECT_EQ(wjsz.wjsz_runstate, 2);
  EXPECT_EQ(wjfs.wjfs_runstate, 3);
  EXPECT_EQ(wjsz.wjsz_filesel.caption(), L"文件选择");
  EXPECT_EQ(wjsz.wjsz_mnchg.caption(), L"停止");
  wjsz.wjsz_runstate = 0;
  wjfs.wjfs_runstate = 0;
}

TEST_F(DropsTest, AnEmptyDropStartsNothing) {
  WjszPage& wjsz = *form->wjsztab;
  const std::wstring empty = folder.folder(L"empty");
  wjsz.wjsz_filelist = {L"C:\\before.txt"};
  SetRunInfo(L"未动");
  Drop(wjsz.handle(), {empty});
  EXPECT_TRUE(wjsz.wjsz_filelist.empty());
  EXPECT_EQ(form->zdk_runinfo.text(), L"未动");  // no run began and ended
}

// Drives the open-file dialog from a second thread: finds it by its title, types
// the names and presses OK (or Cancel when names is empty).
class DialogDriver {
 public:
  DialogDriver(std::wstring title, std::wstring names) : title_(std::move(title)), names_(std::move(names)) {
    thread_ = std::thread([this] { run(); });
  }
  ~DialogDriver() { thread_.join(); }
  [[nodiscard]] bool found() const { return found_; }

 private:
  void run() {
    const DWORD pid = GetCurrentProcessId();
    for (int i = 0; i < 400 && !found_; ++i) {
      Sleep(25);
      for (HWND h : WindowsOfProcess(pid)) {
        wchar_t cls[64] = {};
        GetClassNameW(h, cls, 64);
        if (std::wstring(cls) != L"#32770" || !IsWindowVisible(h)) continue;
        if (WindowText(h) == title_) {
          found_ = true;
          Sleep(100);
          if (names_.empty()) {
            PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
          } else {
            SendMessageW(h, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(names_.c_str()));
            SendMessageW(h, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(names_.c_str()));
            PostMessageW(h, WM_COMMAND, IDOK, 0);
          }
        } else {
          PostMessageW(h, WM_COMMAND, IDCANCEL, 0);  // a dialog with the wrong title
        }
      }
    }
  }
  std::wstring title_;
  std::wstring names_;
  std::atomic<bool> found_{false};
  std::thread thread_;
};

TEST_F(DropsTest, PickFilesFillsThePendingListAndRemembersTheFolder) {
  WjszPage& wjsz = *form->wjsztab;
  const std::wstring second = folder.file(L"sub\\b2.txt");
  EXPECT_FALSE(form->PickFiles(L"wjql"));  // no dialog for other pages
  EXPECT_EQ(form->PickFilesFolder(), L"c:");

  wjsz.wjsz_filelist = {L"C:\\before.txt"};
  {
    DialogDriver driver(L"请选择您要设置的文件...", L"");
    EXPECT_FALSE(form->PickFiles(L"wjsz"));
    EXPECT_TRUE(driver.found());
  }
  EXPECT_EQ(wjsz.wjsz_filelist, std::vector<std::wstring>{L"C:\\before.txt"});

  {
    DialogDriver driver(L"请选择您要设置的文件...", inner);
    EXPECT_TRUE(form->PickFiles(L"wjsz"));
    EXPECT_TRUE(driver.found());
  }
  EXPECT_EQ(wjsz.wjsz_filelist, std::vector<std::wstring>{inner});
  EXPECT_EQ(form->PickFilesFolder(), folder / L"sub");

  // The dialog now opens in that folder: bare names are found there.
  {
    DialogDriver driver(L"请选择您要粉碎的文件...", L"\"b.txt\" \"b2.txt\"");
    EXPECT_TRUE(form->PickFiles(L"wjfs"));
    EXPECT_TRUE(driver.found());
  }
  std::vector<std::wstring> got = form->wjfstab->wjfs_filelist;
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, (std::vector<std::wstring>{inner, second}));

  {
    DialogDriver driver(L"请选择您要设置的音乐文件...", L"");
    EXPECT_FALSE(form->PickFiles(L"yysz"));
    EXPECT_TRUE(driver.found());
  }
}

}  // namespace
}  // namespace wv::test
