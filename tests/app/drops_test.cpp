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
  const auto paths = [](const auto& rows) {
    std::vector<std::wstring> out;
    for (const auto& row : rows.rows()) out.push_back(row.path());
    return out;
  };
  WjszPage& wjsz = form->page<WjszPage>();
  YyszPage& yysz = form->page<YyszPage>();
  Drop(wjsz.handle(), {folder.path(), loose});
  // A folder's own files before its subfolders'; the import consumes the pending list.
  EXPECT_EQ(paths(wjsz.wjsz_files), (std::vector<std::wstring>{top, inner, deeper, loose}));
  EXPECT_TRUE(wjsz.wjsz_filelist.empty());
  EXPECT_EQ(wjsz.wjsz_runstate, 0) << "the import ran and ended";
  Drop(yysz.handle(), {folder.path(), loose});
  EXPECT_EQ(paths(yysz.yysz_files), (std::vector<std::wstring>{deeper, loose}));  // music files only
  EXPECT_TRUE(yysz.yysz_filelist.empty());
  EXPECT_EQ(yysz.yysz_runstate, 0);
  EXPECT_TRUE(form->ToolsEnabled());
}

TEST_F(DropsTest, TheShredderKeepsDroppedFoldersWholeAndABusyPageIgnoresDrops) {
  WjszPage& wjsz = form->page<WjszPage>();
  WjfsPage& wjfs = form->page<WjfsPage>();
  const auto listed = [&wjfs] {
    std::vector<std::wstring> paths;
    for (const ShredRow& row : wjfs.wjfs_entries.rows()) paths.push_back(row.path);
    return paths;
  };
  Drop(wjfs.handle(), {folder.path(), loose, folder / L"missing.txt"});
  const std::vector<std::wstring> before = {folder.path(), loose};
  EXPECT_EQ(listed(), before);  // imported as dropped, the folder as one entry
  EXPECT_TRUE(wjfs.wjfs_filelist.empty());

  wjsz.wjsz_filelist = before;
  wjsz.wjsz_runstate = 2;  // simulating
  wjfs.wjfs_runstate = 3;  // shredding all
  Drop(wjsz.handle(), {elsewhere.path()});
  Drop(wjfs.handle(), {elsewhere.path()});
  EXPECT_EQ(wjsz.wjsz_filelist, before);
  EXPECT_EQ(listed(), before);
  EXPECT_TRUE(wjfs.wjfs_filelist.empty());
  EXPECT_EQ(wjsz.wjsz_runstate, 2);
  wjsz.wjsz_runstate = wjfs.wjfs_runstate = 0;
}

}  // namespace
}  // namespace wv::test
