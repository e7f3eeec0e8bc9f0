// Files that reach the three file-tool pages: dropped from the shell over real
// folders of the prefix, or chosen in the shared open-file dialog.

#include <shlobj.h>

#include <tuple>
#include <utility>

#include "support/app_fixture.h"
#include "platform/win32/win32_platform.h"
#include "support/test_support.h"
#include "pages/tools/shredder_page.h"
#include "pages/tools/file_info_page.h"
#include "pages/tools/music_page.h"

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
                     deeper = folder.file(L"sub\\deeper\\c.mp3"), loose = elsewhere.file(L"loose.wma");
  auto pages() { return std::tie(form->page<FileInfoPage>(), form->page<ShredderPage>(), form->page<MusicPage>()); }
  // The pending files, run state and file dialog of a file-tool page.
  template <class P>
  static FileToolControls& tool(P& page) {
    return SharedControls<FileToolControls>(page);
  }
};

// The window hands a drop to the page under it, which imports it at once; a busy page ignores drops.
TEST_F(DropsTest, EachFileToolPageImportsWhatIsDroppedOnItUnlessBusy) {
  auto [info, shred, music] = pages();
  folder.file(L"RECYCLED\\gone.txt");
  const auto paths = [](const auto& rows) {
    std::vector<std::wstring> out;
    for (const auto& row : rows.rows()) {
      if constexpr (requires { row.path(); }) out.push_back(row.path());
      else out.push_back(row.path);
    }
    return out;
  };
  const std::vector<std::wstring> dropped = {folder.path(), loose};
  Drop(info.handle(), dropped);
  EXPECT_EQ(paths(SharedControls<SimulationControls<FileInfoRow>>(info).entries),
            (std::vector<std::wstring>{top, inner, deeper, loose}));
  Drop(music.handle(), dropped);
  EXPECT_EQ(paths(SharedControls<SimulationControls<MusicRow>>(music).entries),
            (std::vector<std::wstring>{deeper, loose}));  // music files only
  Drop(shred.handle(), {folder.path(), loose, folder / L"missing.txt"});
  EXPECT_EQ(paths(Controls(shred).entries), dropped) << "the shredder keeps a dropped folder whole";
  EXPECT_TRUE(tool(info).pendingFiles.empty() && tool(music).pendingFiles.empty() && tool(shred).pendingFiles.empty())
      << "the import consumes the pending list";
  EXPECT_TRUE(tool(info).runState == 0 && tool(music).runState == 0 && form->sideBarEnabled()) << "the imports ended";

  tool(info).pendingFiles = dropped;
  tool(info).runState = 2;   // simulating
  tool(shred).runState = 3;  // shredding all
  Drop(info.handle(), {elsewhere.path()});
  Drop(shred.handle(), {elsewhere.path()});
  EXPECT_TRUE(tool(info).pendingFiles == dropped && tool(info).runState == 2);
  EXPECT_TRUE(paths(Controls(shred).entries) == dropped && tool(shred).pendingFiles.empty());
  tool(info).runState = tool(shred).runState = 0;
}

// The open-file dialog, answered by a substitute that records each request.
class DialogShell : public Win32Shell {
 public:
  std::vector<OpenFilesRequest> requests;
  std::vector<std::wstring> answer;  // for the next call only; none: Cancel
  std::vector<std::wstring> openFiles(const OpenFilesRequest& request) override {
    requests.push_back(request);
    return std::exchange(answer, {});
  }
};

TEST_F(DropsTest, TheFileDialogFillsThePagesPendingListAndRemembersTheFolder) {
  DialogShell shell;
  Substitute<Shell> swap(&Platform::shell, shell);
  auto [info, shred, music] = pages();
  shell.answer = {top, inner};
  EXPECT_EQ(form->pickFiles(tool(info).fileDialog), (std::vector<std::wstring>{top, inner}));
  EXPECT_TRUE(form->pickFiles(tool(info).fileDialog).empty());  // Cancel
  shell.answer = {inner};
  EXPECT_EQ(form->pickFiles(tool(music).fileDialog), std::vector<std::wstring>{inner});
  EXPECT_TRUE(form->pickFiles(tool(shred).fileDialog).empty());
  // The first dialog opens on drive C, every later one in the folder of the last
  // answer's first file, whichever page asks.
  const struct {
    const wchar_t *title, *filterName, *filterPattern;
    bool followShortcuts;
    std::wstring folder;
  } want[] = {{L"请选择您要设置的文件...", L"所有格式", L"*.*", false, L"c:"},
              {L"请选择您要设置的文件...", L"所有格式", L"*.*", false, folder.path()},
              {L"请选择您要设置的音乐文件...", L"*.mp3;*.wma", L"*.mp3;*.wma", true, folder.path()},
              {L"请选择您要粉碎的文件...", L"所有格式", L"*.*", true, folder.path() + L"\\sub"}};
  ASSERT_EQ(shell.requests.size(), std::size(want));
  for (std::size_t i = 0; i < std::size(want); ++i) {
    const OpenFilesRequest& r = shell.requests[i];
    SCOPED_TRACE(r.title);
    EXPECT_TRUE(r.title == want[i].title && r.filterName == want[i].filterName && r.filterPattern == want[i].filterPattern);
    EXPECT_EQ(r.followShortcuts, want[i].followShortcuts) << "the file-info page works on shortcuts themselves";
    EXPECT_TRUE(r.initialFolder == want[i].folder && r.owner == form->handle()) << r.initialFolder;
  }
}

}  // namespace
}  // namespace wv::test
