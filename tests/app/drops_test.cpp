// Files dropped from the shell on the three file-tool pages, over real folders
// of the prefix.

#include <shlobj.h>

#include "appfixture.h"
#include "support/testsupport.h"
#include "tools/wjfspage.h"
#include "tools/wjszpage.h"
#include "tools/yyszpage.h"

namespace wv::test {
namespace {

// A drop as the shell posts it: a DROPFILES block with wide paths.
void Drop(HWND target, const std::vector<std::wstring>& paths) {
  std::size_t chars = 1;
  for (const std::wstring& p : paths) chars += p.size() + 1;
  HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto* df = static_cast<DROPFILES*>(GlobalLock(mem));
  df->pFiles = sizeof(DROPFILES);
  df->fWide = TRUE;
  auto* out = reinterpret_cast<wchar_t*>(df + 1);
  for (const std::wstring& p : paths) out += p.copy(out, p.size()) + 1;
  GlobalUnlock(mem);
  PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(mem), 0);
  Pump(30);
}

class DropsTest : public FormTest {
 protected:
  TempFolder folder{L"drops"}, elsewhere{L"drops2"};
  const std::wstring top = folder.file(L"a.txt"), inner = folder.file(L"sub\\b.txt"),
                     deeper = folder.file(L"sub\\deeper\\c.mp3"), recycled = folder.file(L"RECYCLED\\gone.txt"),
                     loose = elsewhere.file(L"loose.wma");
};

TEST_F(DropsTest, TheFileInfoAndMusicPagesTakeEveryFileBelowAFolderButRecycled) {
  // The import takes the pending files at once: the file-information page lists
  // them all, a folder's own files before its subfolders'; the music page only its kinds.
  WjszPage& info = form->page<WjszPage>();
  Drop(info.handle(), {folder.path(), loose});
  std::vector<std::wstring> listed;
  for (const FileInfoRow& row : info.wjsz_files.rows()) listed.push_back(row.path());
  EXPECT_EQ(listed, (std::vector<std::wstring>{top, inner, deeper, loose}));
  EXPECT_TRUE(info.wjsz_filelist.empty());
  EXPECT_EQ(info.wjsz_runstate, 0) << "the import ran and ended";
  EXPECT_TRUE(form->ToolsEnabled());

  YyszPage& music = form->page<YyszPage>();
  Drop(music.handle(), {folder.path(), loose});
  listed.clear();
  for (const MusicRow& row : music.yysz_files.rows()) listed.push_back(row.path());
  EXPECT_EQ(listed, (std::vector<std::wstring>{deeper, loose}));
  EXPECT_EQ(music.yysz_runstate, 0);
  EXPECT_TRUE(form->ToolsEnabled());
}

TEST_F(DropsTest, TheShredderKeepsDroppedFoldersWholeAndABusyPageIgnoresDrops) {
  WjszPage& wjsz = form->page<WjszPage>();
  WjfsPage& wjfs = form->page<WjfsPage>();
  Drop(wjfs.handle(), {folder.path(), loose, folder / L"missing.txt"});
  const std::vector<std::wstring> before = {folder.path(), loose};
  EXPECT_EQ(wjfs.wjfs_filelist, before);

  wjsz.wjsz_filelist = before;
  wjsz.wjsz_runstate = 2;  // simulating
  wjfs.wjfs_runstate = 3;  // shredding all
  Drop(wjsz.handle(), {elsewhere.path()});
  Drop(wjfs.handle(), {elsewhere.path()});
  EXPECT_EQ(wjsz.wjsz_filelist, before);
  EXPECT_EQ(wjfs.wjfs_filelist, before);
  EXPECT_EQ(wjsz.wjsz_runstate, 2);
  wjsz.wjsz_runstate = wjfs.wjfs_runstate = 0;
}

}  // namespace
}  // namespace wv::test
