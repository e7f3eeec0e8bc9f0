// The shell part: deleting and moving through the shell, and dropped file lists.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <thread>

#include "platform/platform.h"
#include "support/test_support.h"

namespace wv {
namespace {

using test::PathExists;
using test::TempFolder;

std::int64_t RecycleBinItems() {
  SHQUERYRBINFO info{sizeof info, 0, 0};
  return SUCCEEDED(SHQueryRecycleBinW(nullptr, &info)) ? info.i64NumItems : -1;
}

// Presses a button of the first dialog the calling thread shows, from a second thread.
std::thread PressInDialog(int button) {
  return std::thread([button, owner = GetCurrentThreadId()] {
    for (int i = 0; i < 400; ++i, Sleep(50)) {
      HWND dialog = nullptr;
      EnumThreadWindows(owner, [](HWND w, LPARAM found) {
        wchar_t name[16] = {};
        GetClassNameW(w, name, 16);
        if (std::wstring(name) == L"#32770" && IsWindowVisible(w)) *reinterpret_cast<HWND*>(found) = w;
        return *reinterpret_cast<HWND*>(found) ? FALSE : TRUE;
      }, reinterpret_cast<LPARAM>(&dialog));
      if (!dialog) continue;
      Sleep(200);  // let the dialog settle
      PostMessageW(dialog, WM_COMMAND, button, 0);
      return;
    }
  });
}

TEST(Shell, FileOperationDeletesAndRecyclesOnlyWhatItWasGivenAndADeclineIsNoSuccess) {
  TempFolder t;
  const auto a = t.file(L"a.tmp"), b = t.file(L"子 b.tmp"), kept = t.file(L"kept.tmp");
  const unsigned direct = fileop::Silent | fileop::NoErrorUi | 16;  // FOF_NOCONFIRMATION: no dialog may stop a test
  EXPECT_EQ(Sh().fileOperation(nullptr, FileOpFunc::Delete, {a, L"", b}, L"", direct), 0);  // an empty entry skipped
  EXPECT_FALSE(PathExists(a) || PathExists(b));
  EXPECT_TRUE(PathExists(kept) && PathExists(t.path()));
  EXPECT_NE(Sh().fileOperation(nullptr, FileOpFunc::Delete, {a}, L"", direct), 0);
  // The flags alone let the shell ask; declining leaves the file and is no success.
  std::thread no = PressInDialog(IDNO);
  EXPECT_NE(Sh().fileOperation(nullptr, FileOpFunc::Delete, {kept}, L"", fileop::Silent | fileop::NoErrorUi), 0);
  no.join();
  EXPECT_TRUE(PathExists(kept));
  const unsigned undo = fileop::AllowUndo | fileop::NoErrorUi | 16;
  const std::int64_t before = RecycleBinItems();
  EXPECT_EQ(Sh().fileOperation(nullptr, FileOpFunc::Delete, {kept}, L"", undo), 0);
  EXPECT_FALSE(PathExists(kept));
  EXPECT_EQ(RecycleBinItems(), before + 1) << "not in the recycle bin";
  // The bin belongs to the test set-up (it lives in the build folder): leave it empty.
  SHEmptyRecycleBinW(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
}

TEST(Shell, DroppedFilesComeWhole) {
  const std::vector<std::wstring> paths{L"C:\\文件夹\\中文 名.doc", L"C:\\" + std::wstring(320, L'n') + L".txt"};
  const std::wstring list = paths[0] + L'\0' + paths[1] + L'\0' + L'\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::copy(list.begin(), list.end(), reinterpret_cast<wchar_t*>(drop + 1));
  GlobalUnlock(memory);
  EXPECT_EQ(Sh().droppedFiles(static_cast<HDROP>(memory)), paths);
  Sh().finishDrop(static_cast<HDROP>(memory));  // frees the block
}

}  // namespace
}  // namespace wv
