#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <atomic>
#include <thread>

#include "platform/platform.h"
#include "support/testsupport.h"

namespace wv {
namespace {

using test::PathExists;
using test::ReadBytes;
using test::TempFolder;

constexpr unsigned kNoConfirmation = 16;  // FOF_NOCONFIRMATION: no dialog may stop a test

bool IsFolder(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Waits up to ten seconds for cond, pumping this thread's messages.
template <class Cond>
bool WaitFor(Cond cond) {
  for (int i = 0; i < 200; ++i) {
    if (cond()) return true;
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    Sleep(50);
  }
  return cond();
}

// Names in the shell's recycle bin, as the shell itself lists them.
std::vector<std::wstring> RecycleBinNames() {
  std::vector<std::wstring> names;
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop))) return names;
  LPITEMIDLIST bin = nullptr;
  IShellFolder* folder = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &bin)) &&
      SUCCEEDED(desktop->BindToObject(bin, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder)))) {
    IEnumIDList* items = nullptr;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items) == S_OK) {
      LPITEMIDLIST item = nullptr;
      while (items->Next(1, &item, nullptr) == S_OK) {
        STRRET name;
        wchar_t* text = nullptr;
        if (SUCCEEDED(folder->GetDisplayNameOf(item, SHGDN_INFOLDER, &name)) &&
            SUCCEEDED(StrRetToStrW(&name, item, &text))) {
          names.emplace_back(text);
          CoTaskMemFree(text);
        }
        CoTaskMemFree(item);
      }
      items->Release();
    }
    folder->Release();
  }
  CoTaskMemFree(bin);
  desktop->Release();
  return names;
}

// Presses a button of the first dialog this thread shows, from a second thread.
class DialogPresser {
 public:
  explicit DialogPresser(int button) : thread_([this, button, owner = GetCurrentThreadId()] {
      for (int i = 0; i < 400 && !done_; ++i) {
        HWND dialog = nullptr;
        EnumThreadWindows(owner, [](HWND w, LPARAM p) {
          wchar_t name[16] = {};
          GetClassNameW(w, name, 16);
          if (std::wstring(name) != L"#32770" || !IsWindowVisible(w)) return TRUE;
          *reinterpret_cast<HWND*>(p) = w;
          return FALSE;
        }, reinterpret_cast<LPARAM>(&dialog));
        if (dialog) {
          Sleep(300);  // let the dialog settle (the folder browser selects its start)
          PostMessageW(dialog, WM_COMMAND, button, 0);
          return;
        }
        Sleep(50);
      }
    }) {}
  ~DialogPresser() {
    done_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> done_{false};
  std::thread thread_;
};

TEST(Shell, FileOperationDeletesMovesAndRecycles) {
  TempFolder t;
  const auto a = t.file(L"a.tmp"), b = t.file(L"子 b.tmp");
  const unsigned direct = fileop::Silent | fileop::NoErrorUi | kNoConfirmation;
  EXPECT_EQ(Sh().fileOperation(nullptr, FileOpFunc::Delete, {a, L"", b}, L"", direct), 0);
  EXPECT_FALSE(PathExists(a));
  EXPECT_FALSE(PathExists(b));
  EXPECT_NE(Sh().fileOperation(nullptr, FileOpFunc::Delete, {a}, L"", direct), 0);
  EXPECT_EQ(Sh().fileOperation(nullptr, FileOpFunc::Delete, {}, L"", direct), 0);

  // The flags alone let the shell ask; declining leaves the file and is no success.
  const auto kept = t.file(L"kept.tmp");
  {
    DialogPresser no(IDNO);
    EXPECT_NE(Sh().fileOperation(nullptr, FileOpFunc::Delete, {kept}, L"", fileop::Silent | fileop::NoErrorUi), 0);
  }
  EXPECT_TRUE(PathExists(kept));

  const auto target = t.folder(L"target");
  const auto c = t.file(L"c.log", "moved"), d = t.file(L"d.log", "too");
  EXPECT_EQ(Sh().fileOperation(nullptr, FileOpFunc::Move, {c, d}, target,
                               fileop::AllowUndo | fileop::NoErrorUi | kNoConfirmation),
            0);
  EXPECT_FALSE(PathExists(c));
  EXPECT_EQ(ReadBytes(target + L"\\c.log"), "moved");
  EXPECT_EQ(ReadBytes(target + L"\\d.log"), "too");

  const std::wstring name = L"recycled_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                            std::to_wstring(GetTickCount()) + L".tmp";
  const auto e = t.file(name);
  EXPECT_EQ(Sh().fileOperation(nullptr, FileOpFunc::Delete, {e}, L"",
                               fileop::AllowUndo | fileop::NoErrorUi | kNoConfirmation),
            0);
  EXPECT_FALSE(PathExists(e));
  const auto bin = RecycleBinNames();
  EXPECT_NE(std::find(bin.begin(), bin.end(), name), bin.end()) << "not in the recycle bin";
  // The bin belongs to the test set-up (it lives in the build folder): leave it empty.
  SHEmptyRecycleBinW(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
  const auto after = RecycleBinNames();
  EXPECT_EQ(std::find(after.begin(), after.end(), name), after.end());
}

TEST(Shell, SpecialFoldersResolveWithoutTrailingBackslash) {
  struct Case {
    int csidl;
    bool mustExist;
  };
  const Case cases[] = {{CSIDL_APPDATA, true},       {CSIDL_PERSONAL, true},  {CSIDL_WINDOWS, true},
                        {CSIDL_SYSTEM, true},        {CSIDL_FONTS, true},     {CSIDL_PROGRAM_FILES, true},
                        {CSIDL_PROGRAMS, true},      {CSIDL_STARTUP, false},  {CSIDL_RECENT, false},
                        {CSIDL_INTERNET_CACHE, false}, {CSIDL_COOKIES, false}, {CSIDL_SENDTO, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.csidl);
    const std::wstring path = Sh().specialFolder(c.csidl);
    ASSERT_GT(path.size(), 3u);
    EXPECT_EQ(path.rfind(L"C:\\", 0), 0u);  // inside the prefix's drive
    EXPECT_NE(path.back(), L'\\');
    if (c.mustExist) {
      EXPECT_TRUE(IsFolder(path));
    }
  }
  EXPECT_EQ(Sh().specialFolder(CSIDL_WINDOWS), Sh().windowsFolder());
  EXPECT_EQ(Sh().specialFolder(CSIDL_SYSTEM), Sh().systemFolder());
  EXPECT_TRUE(Sh().specialFolder(0x7E).empty());
  EXPECT_TRUE(Sh().specialFolder(-1).empty());
  const std::wstring temp = Sh().tempPath();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), L'\\');
  EXPECT_TRUE(IsFolder(temp));
}

TEST(Shell, DroppedFilesComeWhole) {
  const std::vector<std::wstring> paths{L"C:\\a.txt", L"C:\\文件夹\\中文 名.doc",
                                        L"C:\\" + std::wstring(320, L'n') + L".txt"};
  std::wstring list;
  for (const auto& p : paths) list += p + L'\0';
  list += L'\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  ASSERT_TRUE(memory);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::copy(list.begin(), list.end(), reinterpret_cast<wchar_t*>(drop + 1));
  GlobalUnlock(memory);
  EXPECT_EQ(Sh().droppedFiles(static_cast<HDROP>(memory)), paths);
  Sh().finishDrop(static_cast<HDROP>(memory));  // frees the block
}

TEST(Shell, SmallIcons) {
  const std::wstring notepad = Sh().windowsFolder() + L"\\notepad.exe";
  ASSERT_TRUE(Sh().smallIconList());
  EXPECT_GE(Sh().smallIconIndex(notepad), 0);
  EXPECT_GE(Sh().smallIconIndex(Sh().windowsFolder()), 0);
  EXPECT_EQ(Sh().smallIconIndex(L"C:\\missing\\nothing.exe"), -1);
  EXPECT_FALSE(Sh().smallIconBitmap(L"C:\\missing\\nothing.exe"));

  UniqueBitmap bitmap = Sh().smallIconBitmap(notepad);
  ASSERT_TRUE(bitmap);
  DIBSECTION dib{};
  ASSERT_EQ(GetObjectW(bitmap.get(), sizeof dib, &dib), static_cast<int>(sizeof dib));
  EXPECT_EQ(dib.dsBm.bmWidth, 16);
  EXPECT_EQ(dib.dsBm.bmHeight, 16);
  EXPECT_EQ(dib.dsBm.bmBitsPixel, 32);
  const auto* pixels = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
  EXPECT_NE(std::count(pixels, pixels + 256, pixels[0]), 256) << "nothing was drawn";
}

TEST(Shell, StartAndRunCommand) {
  UniqueHandle process = Sh().start(L"cmd.exe", L"/c exit 7", SW_HIDE);
  ASSERT_TRUE(process);
  ASSERT_EQ(WaitForSingleObject(process.get(), 20000), WAIT_OBJECT_0);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(process.get(), &code));
  EXPECT_EQ(code, 7u);
  EXPECT_FALSE(Sh().start(L"C:\\missing\\nothing.exe", L"", SW_HIDE));

  TempFolder t;
  const std::wstring out = t / L"out.txt";
  Sh().runCommand(L"cmd.exe /c echo ran> \"" + out + L"\"");
  EXPECT_TRUE(WaitFor([&] { return ReadBytes(out).rfind("ran", 0) == 0; }));
}

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

TEST(Shell, FindsWindowsAndDrivesThemByMessages) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"WvPlatformTestTop";
  RegisterClassW(&wc);
  HWND top = CreateWindowExW(0, wc.lpszClassName, L"t", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                             wc.hInstance, nullptr);
  ASSERT_TRUE(top);
  HWND pane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, top, nullptr, wc.hInstance,
                              nullptr);
  HWND edit = CreateWindowExW(0, L"EDIT", L"bc", WS_CHILD | WS_VISIBLE, 0, 0, 200, 20, pane, nullptr, wc.hInstance,
                              nullptr);
  EXPECT_EQ(Sh().findWindow(L"WvPlatformTestTop"), top);
  EXPECT_EQ(Sh().findChild(top, L"edit"), edit);  // a grandchild, class compared without case
  EXPECT_EQ(Sh().findChild(top, L"SysTreeView32"), nullptr);
  EXPECT_EQ(Sh().findWindow(L"WvNoSuchClass"), nullptr);

  Sh().showAndActivate(top);
  EXPECT_TRUE(IsWindowVisible(top));
  Sh().showAndActivate(edit);
  EXPECT_EQ(GetFocus(), edit);
  SendMessageW(edit, EM_SETSEL, 2, 2);
  Sh().sendKeyDown(edit, VK_HOME);
  Sh().sendChar(edit, L'中');
  wchar_t text[16] = {};
  GetWindowTextW(edit, text, 16);
  EXPECT_EQ(std::wstring(text), L"中bc");
  DestroyWindow(top);
  UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

TEST(Shell, StartsTheRegistryEditorWithTheExpectedWindows) {
  Sh().startRegedit();
  HWND editor = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (editor = Sh().findWindow(L"RegEdit_RegEdit")) != nullptr; }));
  // The panes come a moment after the frame.
  EXPECT_TRUE(WaitFor([&] { return Sh().findChild(editor, L"SysTreeView32") != nullptr; }));
  EXPECT_TRUE(WaitFor([&] { return Sh().findChild(editor, L"SysListView32") != nullptr; }));
  DWORD pid = 0;
  GetWindowThreadProcessId(editor, &pid);
  UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid));
  PostMessageW(editor, WM_CLOSE, 0, 0);
  if (process && WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0) TerminateProcess(process.get(), 1);
}

TEST(Shell, BrowseForFolderStartsAtTheInitialFolder) {
  TempFolder t;
  const auto folder = t.folder(L"选中");
  const UINT before = SetErrorMode(0);
  SetErrorMode(before);
  {
    DialogPresser ok(IDOK);
    EXPECT_EQ(Sh().browseForFolder(nullptr, L"标题", L"", folder), folder);
  }
  {
    DialogPresser cancel(IDCANCEL);
    EXPECT_EQ(Sh().browseForFolder(nullptr, L"标题", L"", folder), L"");
  }
  const UINT after = SetErrorMode(0);
  SetErrorMode(after);
  EXPECT_EQ(after, before);  // error boxes are suppressed only while the dialog is open
}

}  // namespace
}  // namespace wv
