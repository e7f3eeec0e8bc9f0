// The whole program as a user runs it: WindowsVantorra.exe in its own process,
// driven only by window messages to its real controls (found by class and text),
// then judged on disk, in the registry and in Config.ini after it has closed.
// Walks the junk-file road (a prepared folder chosen through the folder button,
// everything into the recycle bin) and the registry road (scan, whole backup,
// delete one planted dead value, restore it from the backup manager).

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::wstring kJunkDir = L"C:\\wv_e2e_junk";
const std::vector<std::wstring> kJunk = {L"a.tmp", L"b.bak", L"sub\\c.old", L"sub\\ro.tmp"};
// Kept: no mask matches, or a skipped name ("data.bak") does.
const std::vector<std::wstring> kKept = {L"keep.txt", L"mydata.bak", L"note.tmp.txt", L"sub\\keep.doc"};
const wchar_t kKey[] = L"Software\\WvE2E";
const wchar_t kValue[] = L"DeadTool";
const std::wstring kDeadPath = L"C:\\wv_e2e_gone\\tool.exe";
constexpr int kWait = 60;         // seconds, for anything but the registry editor's work
constexpr int kEditorWait = 180;  // a whole-registry export or import

std::string Utf8(const std::wstring& w) {
  std::string s(WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), static_cast<int>(s.size()), nullptr, nullptr);
  s.pop_back();
  return s;
}

[[noreturn]] void Fail(const std::wstring& why) { throw std::runtime_error(Utf8(why)); }

std::wstring TextOf(HWND w) {
  wchar_t buf[1024] = L"";
  GetWindowTextW(w, buf, 1024);
  return buf;
}
std::wstring ClassOf(HWND w) {
  wchar_t buf[256] = L"";
  GetClassNameW(w, buf, 256);
  return buf;
}
std::wstring Trim(std::wstring s) {
  while (!s.empty() && s.back() == L' ') s.pop_back();
  while (!s.empty() && s.front() == L' ') s.erase(0, 1);
  return s;
}

std::vector<HWND> Children(HWND root) {
  std::vector<HWND> out;
  EnumChildWindows(root, [](HWND w, LPARAM p) { reinterpret_cast<std::vector<HWND>*>(p)->push_back(w); return TRUE; },
                   reinterpret_cast<LPARAM>(&out));
  return out;
}

// A buffer inside the program's process, for the messages that carry pointers.
class Remote {
 public:
  Remote(HANDLE process, std::size_t size) : process_(process) {
    at_ = static_cast<char*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!at_) Fail(L"VirtualAllocEx failed");
  }
  ~Remote() { VirtualFreeEx(process_, at_, 0, MEM_RELEASE); }
  char* at(std::size_t offset = 0) const { return at_ + offset; }
  void write(const void* data, std::size_t size, std::size_t offset = 0) {
    WriteProcessMemory(process_, at_ + offset, data, size, nullptr);
  }
  void read(void* data, std::size_t size, std::size_t offset = 0) const {
    ReadProcessMemory(process_, at_ + offset, data, size, nullptr);
  }

 private:
  HANDLE process_;
  char* at_;
};

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Windows of the program.
  std::vector<HWND> topWindows(const wchar_t* className) const;
  HWND mainWindow() const;
  HWND control(const std::wstring& text, const wchar_t* className = nullptr) const;
  HWND visibleList() const;
  bool statusStartsWith(const std::wstring& prefix) const;
  std::wstring boxText(HWND dialog) const;

  // Waits, each bounded, failing with what it waited for.
  void waitFor(const std::wstring& what, const std::function<bool()>& done, int seconds = kWait,
               const std::function<bool(HWND)>& dialog = nullptr);
  void answerBox(const std::wstring& expected, int button, int seconds = kWait);

  // Input.
  void click(const std::wstring& text, const wchar_t* className = L"Button");
  void sideBar(const std::wstring& title);
  std::wstring listText(HWND list, int row, int column) const;
  void selectRow(HWND list, int row) const;
  void chooseFolder(const std::wstring& folder);

  std::wstring appDir_ = L"C:\\WindowsVantorra";
  PROCESS_INFORMATION app_{};
  std::set<std::wstring> backupsBefore_;
  std::string savedConfig_;
  bool hadConfig_ = false;
};

std::vector<HWND> EndToEnd::topWindows(const wchar_t* className) const {
  struct Search { DWORD pid; const wchar_t* cls; std::vector<HWND> found; } s{app_.dwProcessId, className, {}};
  EnumWindows([](HWND w, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == s->pid && IsWindowVisible(w) && ClassOf(w) == s->cls) s->found.push_back(w);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND EndToEnd::mainWindow() const {
  for (HWND w : topWindows(L"WvWindow"))
    if (TextOf(w) == L"WindowsVantorra") return w;
  return nullptr;
}

// The visible control with this text (blanks around it ignored); only the active page's are visible.
HWND EndToEnd::control(const std::wstring& text, const wchar_t* className) const {
  for (HWND w : Children(mainWindow()))
    if (IsWindowVisible(w) && Trim(TextOf(w)) == Trim(text) && (!className || ClassOf(w) == className)) return w;
  return nullptr;
}

// The page's visible result list: the one without check boxes (the item lists have them).
HWND EndToEnd::visibleList() const {
  for (HWND w : Children(mainWindow()))
    if (IsWindowVisible(w) && ClassOf(w) == WC_LISTVIEWW &&
        !(ListView_GetExtendedListViewStyle(w) & LVS_EX_CHECKBOXES))
      return w;
  Fail(L"no visible result list");
}

bool EndToEnd::statusStartsWith(const std::wstring& prefix) const {
  for (HWND w : Children(mainWindow()))
    if (IsWindowVisible(w) && TextOf(w).rfind(prefix, 0) == 0) return true;
  return false;
}

std::wstring EndToEnd::boxText(HWND dialog) const {
  std::wstring text = TextOf(dialog) + L":";
  for (HWND w : Children(dialog))
    if (ClassOf(w) == L"Static" && !TextOf(w).empty()) text += L" " + TextOf(w);
  return text;
}

// Polls done() until it holds; any dialog of the program that dialog() does not
// take care of is a failure that reports its text.
void EndToEnd::waitFor(const std::wstring& what, const std::function<bool()>& done, int seconds,
                       const std::function<bool(HWND)>& dialog) {
  const ULONGLONG end = GetTickCount64() + seconds * 1000ULL;
  for (;;) {
    if (done()) return;
    for (HWND box : topWindows(L"#32770"))
      if (!dialog || !dialog(box)) {
        const std::wstring text = boxText(box);
        PostMessageW(box, WM_CLOSE, 0, 0);
        Fail(L"unexpected dialog while waiting for " + what + L": " + text);
      }
    if (WaitForSingleObject(app_.hProcess, 0) == WAIT_OBJECT_0 && !done())
      Fail(L"the program ended while waiting for " + what);
    if (GetTickCount64() > end) Fail(L"timed out after " + std::to_wstring(seconds) + L" s waiting for " + what);
    Sleep(100);
  }
}

// Waits for the program's message box whose text contains expected and presses the button.
void EndToEnd::answerBox(const std::wstring& expected, int button, int seconds) {
  HWND answered = nullptr;
  waitFor(L"the message \"" + expected + L"\"", [&] { return answered != nullptr; }, seconds, [&](HWND box) {
    if (boxText(box).find(expected) == std::wstring::npos) return false;
    HWND b = GetDlgItem(box, button);
    if (!b) Fail(L"the message \"" + expected + L"\" has no button " + std::to_wstring(button));
    PostMessageW(b, BM_CLICK, 0, 0);
    answered = box;
    return true;
  });
  waitFor(L"the message \"" + expected + L"\" to close", [&] { return !IsWindowVisible(answered); }, kWait,
          [&](HWND box) { return box == answered; });
}

// Posted, since a handler may run long (a scan, a dialog) before it returns.
void EndToEnd::click(const std::wstring& text, const wchar_t* className) {
  HWND w = nullptr;
  waitFor(L"the control \"" + text + L"\"", [&] { return (w = control(text, className)) != nullptr; });
  waitFor(L"the control \"" + text + L"\" to be enabled",
          [&] { return IsWindowEnabled(w) && IsWindowEnabled(GetParent(w)); });
  if (ClassOf(w) == L"Button") {
    PostMessageW(w, BM_CLICK, 0, 0);
  } else {  // the program's own flat buttons answer the mouse
    PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    PostMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  }
}

// The side-bar button reads " title "; the page it shows has the title as its window text.
void EndToEnd::sideBar(const std::wstring& title) {
  click(title, L"WvWindow");  // the page is hidden yet: only the button matches
  waitFor(L"the page " + title, [&] {
    for (HWND w : Children(mainWindow()))
      if (IsWindowVisible(w) && TextOf(w) == title) return true;
    return false;
  });
}

std::wstring EndToEnd::listText(HWND list, int row, int column) const {
  Remote mem(app_.hProcess, sizeof(LVITEMW) + 2048);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = reinterpret_cast<wchar_t*>(mem.at(sizeof item));
  item.cchTextMax = 1000;
  mem.write(&item, sizeof item);
  DWORD_PTR length = 0;
  SendMessageTimeoutW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(mem.at()), SMTO_NORMAL, 10000, &length);
  std::wstring text(std::min<DWORD_PTR>(length, 1000), L'\0');
  mem.read(text.data(), text.size() * sizeof(wchar_t), sizeof item);
  return text;
}

void EndToEnd::selectRow(HWND list, int row) const {
  Remote mem(app_.hProcess, sizeof(LVITEMW));
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  mem.write(&item, sizeof item);
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(mem.at()));
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  mem.write(&item, sizeof item);
  SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(mem.at()));
}

// The shell's folder browser of the program: sets its tree to the folder, checks
// that the tree shows it, then presses OK.
void EndToEnd::chooseFolder(const std::wstring& folder) {
  HWND dialog = nullptr, tree = nullptr;
  waitFor(L"the folder browser", [&] { return dialog != nullptr; }, kWait, [&](HWND box) {
    for (HWND w : Children(box))
      if (ClassOf(w) == WC_TREEVIEWW) tree = w, dialog = box;
    return dialog == box;
  });
  const std::wstring name = folder.substr(folder.rfind(L'\\') + 1);
  Remote mem(app_.hProcess, sizeof(TVITEMW) + 2048);
  mem.write(folder.c_str(), (folder.size() + 1) * sizeof(wchar_t), sizeof(TVITEMW));
  SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(mem.at(sizeof(TVITEMW))));
  std::wstring shown;
  waitFor(L"the folder browser to select " + folder, [&] {
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    item.pszText = reinterpret_cast<wchar_t*>(mem.at(sizeof item));
    item.cchTextMax = 1000;
    mem.write(&item, sizeof item);
    if (!item.hItem || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(mem.at()))) return false;
    wchar_t text[1001] = L"";
    mem.read(text, sizeof text - sizeof(wchar_t), sizeof item);
    shown = text;
    return lstrcmpiW(text, name.c_str()) == 0;
  }, 10, [&](HWND box) { return box == dialog; });
  PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  waitFor(L"the folder browser to close", [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, kWait,
          [&](HWND box) { return box == dialog; });
}

// ------------------------------------------------------------ what the test plants and removes

void PlantFile(const std::wstring& path, const char* text) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << Utf8(path);
  DWORD written = 0;
  WriteFile(h, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
  CloseHandle(h);
}

void RemoveTree(const std::wstring& dir) {
  WIN32_FIND_DATAW f;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &f);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = f.cFileName, path = dir + L"\\" + name;
    if (name == L"." || name == L"..") continue;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
    else DeleteFileW(path.c_str());
  } while (FindNextFileW(h, &f));
  FindClose(h);
  RemoveDirectoryW(dir.c_str());
}

std::set<std::wstring> FilesIn(const std::wstring& dir) {
  std::set<std::wstring> out;
  WIN32_FIND_DATAW f;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &f);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    if (!(f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) out.insert(f.cFileName);
  } while (FindNextFileW(h, &f));
  FindClose(h);
  return out;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool PlantedValue(DWORD* type = nullptr, std::wstring* data = nullptr) {
  wchar_t buf[512] = L"";
  DWORD t = 0, size = sizeof buf - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_ANY | RRF_NOEXPAND, &t, buf, &size) != ERROR_SUCCESS)
    return false;
  if (type) *type = t;
  if (data) *data = buf;
  return true;
}

std::string ReadAll(const std::wstring& path) {
  std::string out;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return out;
  out.resize(GetFileSize(h, nullptr));
  DWORD got = 0;
  ReadFile(h, out.data(), static_cast<DWORD>(out.size()), &got, nullptr);
  CloseHandle(h);
  return out;
}

void EndToEnd::SetUp() {
  if (const char* dir = getenv("WV_APP_DIR")) appDir_.assign(dir, dir + strlen(dir));
  // First what TearDown puts back: the program starts from its defaults, the user's settings return afterwards.
  const std::wstring config = appDir_ + L"\\Config.ini";
  hadConfig_ = Exists(config);
  savedConfig_ = ReadAll(config);
  DeleteFileW(config.c_str());
  backupsBefore_ = FilesIn(appDir_ + L"\\Backup\\Registry");
  ASSERT_TRUE(Exists(appDir_ + L"\\WindowsVantorra.exe")) << "the program is not installed in " << Utf8(appDir_);
  RemoveTree(kJunkDir);
  ASSERT_TRUE(CreateDirectoryW(kJunkDir.c_str(), nullptr) && CreateDirectoryW((kJunkDir + L"\\sub").c_str(), nullptr));
  for (const std::wstring& f : kJunk) PlantFile(kJunkDir + L"\\" + f, "junk");
  for (const std::wstring& f : kKept) PlantFile(kJunkDir + L"\\" + f, "keep");
  SetFileAttributesW((kJunkDir + L"\\sub\\ro.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_FALSE(Exists(L"C:\\wv_e2e_gone"));
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_EXPAND_SZ, kDeadPath.c_str(),
                            static_cast<DWORD>((kDeadPath.size() + 1) * sizeof(wchar_t))), ERROR_SUCCESS);
}

void EndToEnd::TearDown() {
  if (app_.hProcess) {
    if (WaitForSingleObject(app_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(app_.hProcess, 1);
      WaitForSingleObject(app_.hProcess, 10000);
    }
    CloseHandle(app_.hProcess);
    CloseHandle(app_.hThread);
  }
  RemoveTree(kJunkDir);
  RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
  // Backups and undo records this run made, with their entries in the record file.
  const std::wstring registry = appDir_ + L"\\Backup\\Registry", record = registry + L"\\BackupInfo.ZINF";
  std::vector<wchar_t> keys(1 << 16);
  keys.resize(GetPrivateProfileStringW(L"FileBackup", nullptr, L"", keys.data(), 1 << 16, record.c_str()));
  for (const wchar_t* k = keys.data(); k < keys.data() + keys.size() && *k; k += wcslen(k) + 1) {
    const std::wstring key = k, name = key.substr(key.rfind(L'\\') + 1);
    if (!backupsBefore_.count(name)) WritePrivateProfileStringW(L"FileBackup", k, nullptr, record.c_str());
  }
  for (const std::wstring& f : FilesIn(registry))
    if (!backupsBefore_.count(f) && f != L"BackupInfo.ZINF") DeleteFileW((registry + L"\\" + f).c_str());
  if (!backupsBefore_.count(L"BackupInfo.ZINF")) {  // folders this run made go too (when empty)
    DeleteFileW(record.c_str());
    RemoveDirectoryW(registry.c_str());
    RemoveDirectoryW((appDir_ + L"\\Backup").c_str());
  }
  const std::wstring config = appDir_ + L"\\Config.ini";
  DeleteFileW(config.c_str());
  if (hadConfig_) {
    HANDLE h = CreateFileW(config.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, savedConfig_.data(), static_cast<DWORD>(savedConfig_.size()), &written, nullptr);
    CloseHandle(h);
  }
}

// Names (with their original folders) of what the shell's recycle bin holds.
std::vector<std::wstring> RecycleBinItems() {
  std::vector<std::wstring> out;
  CoInitialize(nullptr);
  IShellFolder* desktop = nullptr;
  IShellFolder2* bin = nullptr;
  PIDLIST_ABSOLUTE binPidl = nullptr;
  IEnumIDList* items = nullptr;
  if (SUCCEEDED(SHGetDesktopFolder(&desktop)) &&
      SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &binPidl)) &&
      SUCCEEDED(desktop->BindToObject(binPidl, nullptr, IID_IShellFolder2, reinterpret_cast<void**>(&bin))) &&
      bin->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items) == S_OK) {
    PITEMID_CHILD child = nullptr;
    while (items->Next(1, &child, nullptr) == S_OK) {
      wchar_t name[MAX_PATH] = L"", from[MAX_PATH] = L"";
      STRRET s;
      if (SUCCEEDED(bin->GetDisplayNameOf(child, SHGDN_NORMAL, &s))) StrRetToBufW(&s, child, name, MAX_PATH);
      SHELLDETAILS d{};
      if (SUCCEEDED(bin->GetDetailsOf(child, 1, &d))) StrRetToBufW(&d.str, child, from, MAX_PATH);
      out.push_back(std::wstring(from) + L"|" + name);
      CoTaskMemFree(child);
    }
    items->Release();
  }
  if (bin) bin->Release();
  if (binPidl) CoTaskMemFree(binPidl);
  if (desktop) desktop->Release();
  CoUninitialize();
  return out;
}

TEST_F(EndToEnd, JunkFilesAndRegistryRoadsAsAUserWalksThem) {
  const ULONGLONG started = GetTickCount64();
  std::wstring command = L"\"" + appDir_ + L"\\WindowsVantorra.exe\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  ASSERT_TRUE(
      CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, appDir_.c_str(), &si, &app_));
  waitFor(L"the main window", [&] { return mainWindow() != nullptr; });

  // The junk-file road: the prepared folder through the folder button, all into the recycle bin.
  sideBar(L"磁盘文件清理");
  click(L"删除方式", L"WvWindow");
  click(L"将垃圾文件放进回收站");
  waitFor(L"the recycle-bin mode", [&] {
    return SendMessageW(control(L"将垃圾文件放进回收站"), BM_GETCHECK, 0, 0) == BST_CHECKED;
  });
  click(L"扫描结果", L"WvWindow");  // the removal page has a "..." button of its own
  waitFor(L"the results page", [&] { return control(L"将垃圾文件放进回收站") == nullptr; });
  click(L"...");
  chooseFolder(kJunkDir);
  waitFor(L"the junk scan's summary", [&] {
    return control(L"扫描") && (statusStartsWith(L"扫描到符合条件的垃圾文件共 ") || statusStartsWith(L"未扫描到"));
  });
  HWND results = visibleList();
  std::set<std::wstring> listed, expected;
  for (int i = 0; i < ListView_GetItemCount(results); ++i) listed.insert(listText(results, i, 0));
  for (const std::wstring& f : kJunk) expected.insert(kJunkDir + L"\\" + f);
  EXPECT_EQ(listed, expected) << "rows of the junk list";
  EXPECT_TRUE(control(L"扫描到符合条件的垃圾文件共 4 项,占用 16.00 B 硬盘空间")) << "the status line after the scan";
  click(L"全部删除");
  std::wstring shellQuestion;
  const auto listEmpty = [&] { return ListView_GetItemCount(results) == 0; };
  waitFor(L"the junk files to leave the list", listEmpty, kWait, [&](HWND box) {
    if (TextOf(box) == L"WindowsVantorra") return false;  // the program asks nothing in this mode
    shellQuestion = boxText(box);  // the shell's own confirmation
    PostMessageW(GetDlgItem(box, GetDlgItem(box, IDYES) ? IDYES : IDOK), BM_CLICK, 0, 0);
    return true;
  });
  if (!shellQuestion.empty()) std::printf("answered the shell: %s\n", Utf8(shellQuestion).c_str());
  EXPECT_TRUE(control(L"所有扫描到的垃圾文件已清理完成")) << "the status line after cleaning";

  // The registry road: scan, back up, delete the planted value, restore it from the backup manager.
  sideBar(L"注册信息清理");
  click(L"扫描");
  waitFor(L"the redundancy scan's summary", [&] {
    return control(L"扫描") && statusStartsWith(L"扫描到符合条件的注册表冗余信息共 ");
  }, kEditorWait);
  HWND found = visibleList();
  int row = -1;
  for (int i = 0; i < ListView_GetItemCount(found) && row < 0; ++i)
    if (listText(found, i, 0) == L"HKEY_CURRENT_USER" && listText(found, i, 1) == L"\\Software\\WvE2E" &&
        listText(found, i, 2) == kValue)
      row = i;
  if (row < 0) {
    std::wstring rows;
    for (int i = 0; i < ListView_GetItemCount(found); ++i)
      rows += L"\n  " + listText(found, i, 0) + L" | " + listText(found, i, 1) + L" | " + listText(found, i, 2);
    FAIL() << "the planted value is not among the rows:" << Utf8(rows);
  }
  EXPECT_EQ(listText(found, row, 3), kDeadPath);
  const int rowsBefore = ListView_GetItemCount(found);

  click(L"备份");
  answerBox(L"您已成功备份注册表！", IDOK, kEditorWait);
  std::set<std::wstring> made;
  for (const std::wstring& f : FilesIn(appDir_ + L"\\Backup\\Registry"))
    if (!backupsBefore_.count(f) && f != L"BackupInfo.ZINF") made.insert(f);
  ASSERT_EQ(made.size(), 1u) << "one new backup file, the first: " << Utf8(made.empty() ? L"" : *made.begin());
  EXPECT_EQ(made.begin()->rfind(L"Reg_", 0), 0u);
  EXPECT_NE(made.begin()->find(L".zcom"), std::wstring::npos) << "compressed, as ticked by default";

  selectRow(found, row);
  click(L"选定删除");
  answerBox(L"您“确定”删除当前选中的注册表冗余信息吗？", IDOK);
  waitFor(L"the planted value to be deleted", [] { return !PlantedValue(); });
  waitFor(L"its row to leave the list", [&] { return ListView_GetItemCount(found) == rowsBefore - 1; });

  click(L"恢复");
  waitFor(L"the backup manager", [&] { return control(L"选定恢复") != nullptr; });
  HWND backups = visibleList();
  int whole = -1;  // the whole-registry archive this run made (the delete's undo record is listed too)
  for (int i = 0; i < ListView_GetItemCount(backups); ++i)
    if (listText(backups, i, 1) == *made.begin()) whole = i;
  ASSERT_GE(whole, 0) << "the new backup is not among the " << ListView_GetItemCount(backups) << " listed";
  selectRow(backups, whole);
  click(L"选定恢复");
  answerBox(L"您“确定”选用该备份记录进行恢复吗？", IDOK);
  answerBox(L"您已成功恢复注册表！", IDOK, kEditorWait);
  DWORD type = 0;
  std::wstring data;
  EXPECT_TRUE(PlantedValue(&type, &data)) << "the planted value came back";
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(data, kDeadPath);

  // Closing: the program ends and leaves its settings beside itself.
  PostMessageW(mainWindow(), WM_CLOSE, 0, 0);
  waitFor(L"the program to end", [&] { return WaitForSingleObject(app_.hProcess, 0) == WAIT_OBJECT_0; });
  DWORD code = 1;
  GetExitCodeProcess(app_.hProcess, &code);
  EXPECT_EQ(code, 0u) << "the program's exit code";
  std::printf("the walk took %.1f s\n", static_cast<double>(GetTickCount64() - started) / 1000);

  for (const std::wstring& f : kJunk) EXPECT_FALSE(Exists(kJunkDir + L"\\" + f)) << Utf8(f) << " is still there";
  for (const std::wstring& f : kKept) EXPECT_TRUE(Exists(kJunkDir + L"\\" + f)) << Utf8(f) << " was removed";
  const std::vector<std::wstring> bin = RecycleBinItems();
  for (const std::wstring& f : kJunk) {
    const std::wstring name = f.substr(f.rfind(L'\\') + 1);
    EXPECT_TRUE(std::any_of(bin.begin(), bin.end(), [&](const std::wstring& item) {
      return StrStrIW(item.c_str(), L"wv_e2e_junk") && item.substr(item.rfind(L'|') + 1) == name;
    })) << Utf8(f) << " is not in the recycle bin";
  }
  const std::wstring config = appDir_ + L"\\Config.ini";
  std::vector<wchar_t> names(4096);
  names.resize(GetPrivateProfileSectionNamesW(names.data(), 4096, config.c_str()));
  std::set<std::wstring> sections;
  for (const wchar_t* n = names.data(); n < names.data() + names.size() && *n; n += wcslen(n) + 1) sections.insert(n);
  EXPECT_EQ(sections,
            (std::set<std::wstring>{L"WJQL", L"BFGL", L"ZCQL", L"ZCRC", L"WJRC", L"QTRC", L"RJQL", L"WINAPP2"}));
  wchar_t mode[8] = L"";
  GetPrivateProfileStringW(L"WJQL", L"DelSel", L"", mode, 8, config.c_str());
  EXPECT_STREQ(mode, L"1") << "the recycle-bin mode saved";
}

}  // namespace
