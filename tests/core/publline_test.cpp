// Sizes, times, system names, drives, list rows, message boxes and the shell jumps.
#include <gtest/gtest.h>

#include <clocale>
#include <thread>
#include <tuple>

#include "core/publline.h"
#include "platform/win32/win32_platform.h"
#include "support/testsupport.h"

namespace wv {
namespace {

TEST(FormatSize, UnitsStepsAndRounding) {
  constexpr std::uint64_t KB = 1024, MB = KB * KB, GB = MB * KB, TB = GB * KB;
  const std::pair<std::uint64_t, const wchar_t*> cases[] = {
      {0, L"0.00 B"},  {1023, L"1023.00 B"}, {1024, L"1.00 KB"}, {1030, L"1.01 KB"}, {1536, L"1.50 KB"},
      {MB - 1, L"1024.00 KB"}, {MB, L"1.00 MB"}, {GB, L"1.00 GB"}, {GB + GB / 4, L"1.25 GB"},
      {1024 * TB - 1, L"1024.00 TB"}, {1024 * TB, L""}, {UINT64_MAX, L""}};
  for (const auto& [bytes, text] : cases) EXPECT_EQ(FormatSize(bytes), text) << bytes;
}

TEST(FormatSize, DecimalPointIgnoresTheLocale) {
  const char* chosen = nullptr;
  for (const char* name : {"de-DE", "German_Germany.1252", "fr-FR"})
    if (!chosen && std::setlocale(LC_ALL, name) && std::localeconv()->decimal_point[0] == ',') chosen = name;
  const std::wstring text = FormatSize(1536);
  std::setlocale(LC_ALL, "C");
  if (!chosen) GTEST_SKIP() << "no locale with a decimal comma here";
  EXPECT_EQ(text, L"1.50 KB") << chosen;
}

TEST(FileTimes, ClassicFormatsOfLocalTime) {
  FILETIME utc{};
  ASSERT_TRUE(DateTimeToFileTime(SYSTEMTIME{2026, 12, 0, 5, 13, 7, 9, 0}, utc));
  EXPECT_EQ(FormatFileTime(utc, L"yyyy-mm-dd hh:nn:ss"), L"2026-12-05 13:07:08");  // two-second resolution
  EXPECT_EQ(FormatFileTime(utc, L"yy/m/d h:n:s"), L"26/12/5 13:7:8");
  EXPECT_EQ(FormatFileTime(utc, L"HH:MM"), L"13:07");  // minutes right after the hour
  EXPECT_EQ(FormatFileTime(utc, L"'yyyy' \"at\" dd.mm"), L"yyyy at 05.12");
  ASSERT_TRUE(DateTimeToFileTime(SYSTEMTIME{2200, 1, 0, 1, 0, 0, 0, 0}, utc));
  for (const FILETIME& outside : {utc, FILETIME{}, FILETIME{0xFFFFFFFF, 0xFFFFFFFF}})
    EXPECT_EQ(FormatFileTime(outside, L"yyyy"), L"");  // beyond what the classic file date holds
}

class FakeSystemInfo : public SystemInfo {
 public:
  std::optional<std::vector<SidBytes>> groups;
  SidBytes admins{1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 32, 2, 0, 0};  // S-1-5-32-544
  OsVersion os;
  std::optional<std::vector<SidBytes>> tokenGroups() override { return groups; }
  SidBytes administratorsGroup() override { return admins; }
  OsVersion version() override { return os; }
};

TEST(SystemNames, OsNameAndUiFont) {
  FakeSystemInfo fake;
  Substitute<SystemInfo> use(&Platform::system, fake);
  const struct {
    std::uint32_t platformId, major, minor;
    const wchar_t *servicePack, *name;
  } cases[] = {
      {0, 3, 11, L"", L"Windows 3.11"},          {1, 4, 0, L"", L"Windows 95"},
      {1, 4, 10, L" A ", L"Windows 98 第二版"},  {1, 4, 10, L"A", L"Windows 98 第一版"},  // the second character
      {1, 4, 90, L"", L"Windows ME"},            {1, 6, 50, L"", L"Unknown Version"},
      {2, 3, 51, L"", L"Windows NT "},           {2, 4, 0, L"", L"Windows NT "},
      {2, 5, 0, L"", L"Windows 2000"},           {2, 5, 1, L"", L"Windows XP"},
      {2, 5, 2, L"", L"Windows 2003"},           {2, 5, 3, L"", L"Unknown Version"},
      {2, 6, 0, L"", L"Windows Vista"},          {2, 6, 1, L"Service Pack 1", L"Windows 7"},
      {2, 6, 2, L"", L"Unknown Version"},        {2, 10, 0, L"", L"Unknown Version"},
      {3, 6, 1, L"", L"Unknown Platform"},
  };
  for (const auto& c : cases) {
    fake.os = OsVersion{c.platformId, c.major, c.minor, 0, c.servicePack};
    EXPECT_EQ(GetOSName(), c.name) << c.platformId << L" " << c.major << L"." << c.minor;
  }
  const struct {
    std::uint32_t platformId, major;
    const wchar_t* font;
  } fonts[] = {{2, 5, L"宋体"}, {2, 6, L"微软雅黑"}, {2, 10, L"微软雅黑"}, {1, 6, L"宋体"}, {0, 6, L"宋体"}};
  for (const auto& f : fonts) {
    fake.os = OsVersion{f.platformId, f.major, 0, 0, L""};
    EXPECT_EQ(GetUIFontName(), f.font) << f.platformId << L" " << f.major;
  }
}

TEST(SystemNames, IsAdminWantsTheExactAdministratorsSid) {
  FakeSystemInfo fake;
  Substitute<SystemInfo> use(&Platform::system, fake);
  const SidBytes users{1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 33, 2, 0, 0};  // S-1-5-32-545
  const SidBytes truncated(fake.admins.begin(), fake.admins.end() - 4);    // S-1-5-32
  std::vector<SidBytes> many(200, users);                                  // past any fixed buffer
  many.push_back(fake.admins);  // a deny-only membership counts: attributes are not looked at
  const std::pair<std::optional<std::vector<SidBytes>>, bool> cases[] = {
      {std::nullopt, false}, {std::vector<SidBytes>{users, truncated}, false}, {many, true}};
  for (const auto& [groups, admin] : cases) {
    fake.groups = groups;
    EXPECT_EQ(IsAdmin(), admin);
  }
  fake.admins.clear();  // the identifier could not be built, nor one group's read
  fake.groups = std::vector<SidBytes>(1);
  EXPECT_FALSE(IsAdmin());
}

class FixedSerial : public Win32Volumes {
 public:
  std::optional<VolumeInformation> volumeInformation(std::wstring_view root) override {
    auto info = Win32Volumes::volumeInformation(root);
    if (info) info->serial = 0xAB;
    return info;
  }
};

TEST(Drives, VolumeDetailsAndDiskSpace) {
  FixedSerial fixed;
  VolumeDetails out;
  {
    Substitute<Volumes> use(&Platform::volumes, fixed);
    ASSERT_TRUE(GetVolumeInfo(L'C', out));
  }
  EXPECT_EQ(out.serial, L"000000AB");
  EXPECT_FALSE(out.fileSystem.empty());
  std::uint64_t total = 0, free = 0;
  GetDiskSpace(L'C', total, free);
  EXPECT_GE(total, free);
  wchar_t unused = L'Z';
  while (unused > L'D' && (GetLogicalDrives() & (1u << (unused - L'A')))) --unused;
  GetDiskSpace(unused, total, free);
  EXPECT_EQ(total + free, 0u);  // both 0 on failure, whatever the call left
}

std::vector<ListRow> Rows(std::initializer_list<const wchar_t*> captions) {
  std::vector<ListRow> rows;
  for (const wchar_t* c : captions) rows.push_back(ListRow{c, {}});
  return rows;
}

std::wstring Captions(const std::vector<ListRow>& rows) {
  std::wstring out;
  for (const ListRow& r : rows) out += (out.empty() ? L"" : L",") + r.caption;
  return out;
}

TEST(ListRows, SortDirectionComesFromTheEnds) {
  const std::tuple<std::vector<ListRow>, const wchar_t*, const wchar_t*> cases[] = {  // rows, sorted once, twice
      {Rows({L"a", L"c", L"b"}), L"c,b,a", L"a,b,c"},
      {Rows({L"apple", L"Banana"}), L"Banana,apple", L"apple,Banana"},  // ascending, though "a" > "B" by code
      {Rows({L"9.00 KB", L"10.00 KB", L"1.50 MB"}), L"1.50 MB,10.00 KB,9.00 KB", L"9.00 KB,10.00 KB,1.50 MB"},
      {Rows({L"\xE9", L"\xC9", L"z"}), L"z,\xC9,\xE9", L"\xE9,\xC9,z"},  // only ASCII letters fold
  };
  for (auto [rows, once, twice] : cases) {
    SortListByColumn(rows, 0);
    EXPECT_EQ(Captions(rows), once);
    SortListByColumn(rows, 0);
    EXPECT_EQ(Captions(rows), twice);
  }
  std::vector<ListRow> rows = {{L"r1", {L"x", L"B"}}, {L"r2", {L"y"}}, {L"r3", {L"z", L"a"}}, {L"r4", {L"w", L"c"}}};
  SortListByColumn(rows, 2);  // by the second sub-item, "B" below "c": descending; r2 has none
  EXPECT_EQ(Captions(rows), L"r4,r1,r3,r2");
}

TEST(ListRows, MoveLandsBeforeOrAfterTheTarget) {
  const std::tuple<int, int, const wchar_t*, int> cases[] = {  // source, target, order, new index
      {0, 2, L"B,C,A,D,E", 2},  {3, 1, L"A,D,B,C,E", 1},  // down: just after the target; up: just before
      {4, 0, L"E,A,B,C,D", 0},  {1, -1, L"A,C,D,E,B", 4},  // no row under the drop point: the last row
      {1, 99, L"A,C,D,E,B", 4}, {2, 2, L"A,B,C,D,E", 2},
      {-1, 2, L"A,B,C,D,E", -1}, {5, 0, L"A,B,C,D,E", -1},  // nothing selected
  };
  for (const auto& [source, target, order, index] : cases) {
    std::vector<ListRow> rows = Rows({L"A", L"B", L"C", L"D", L"E"});
    if (index >= 0) rows[static_cast<std::size_t>(source)].sub = {L"kept"};
    ASSERT_EQ(MoveListItem(rows, source, target), index) << source << L"->" << target;
    EXPECT_EQ(Captions(rows), order) << source << L"->" << target;
    EXPECT_TRUE(index < 0 || rows[static_cast<std::size_t>(index)].sub.size() == 1u);  // the row moved whole
  }
  std::vector<ListRow> empty;
  EXPECT_EQ(MoveListItem(empty, 0, -1), -1);
}

// Reads the system message box from another thread ("text;buttons;icon;owner"), then presses a button.
std::thread AnswerBox(std::wstring& seen, int button) {
  return std::thread([&seen, button] {
    HWND box = nullptr;
    for (int i = 0; i < 200 && !(box = FindWindowW(L"#32770", L"WindowsVantorra")); ++i) Sleep(50);
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    seen = text;
    for (const int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO})
      if (HWND b = GetDlgItem(box, id); b && IsWindowVisible(b)) seen += L";" + std::to_wstring(id);
    const LRESULT icon = SendDlgItemMessageW(box, 0x0440, STM_GETICON, 0, 0);
    seen += L";" + std::to_wstring(icon) + L";" + std::to_wstring(reinterpret_cast<LPARAM>(GetWindow(box, GW_OWNER)));
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  });
}

TEST(MsgBox, SystemBoxShowsCaptionTextButtonsIconAndOwner) {
  const HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
  // Icon kind, button set, button pressed, buttons shown, system icon, owner.
  const std::tuple<int, int, int, const wchar_t*, LPCWSTR, HWND> cases[] = {
      {1, 1, IDOK, L"1", IDI_QUESTION, nullptr},       {2, 2, IDCANCEL, L"1;2", IDI_WARNING, owner},
      {3, 3, IDNO, L"2;6;7", IDI_ERROR, nullptr},      {0, 4, IDRETRY, L"3;4;5", IDI_INFORMATION, nullptr},
      {9, 5, IDRETRY, L"2;4", IDI_INFORMATION, nullptr}, {1, 6, IDYES, L"6;7", IDI_QUESTION, nullptr},
      {1, 7, IDOK, L"1", IDI_QUESTION, nullptr},
  };
  for (const auto& [icon, buttons, press, shown, systemIcon, boxOwner] : cases) {
    std::wstring seen;
    SetMsgBoxOwner(boxOwner);
    std::thread answer = AnswerBox(seen, press);
    EXPECT_EQ(MsgBox(icon, buttons, L"备份失败", L"注册表备份文件创建失败！"), press) << buttons;
    answer.join();
    SetMsgBoxOwner(nullptr);
    EXPECT_EQ(seen, L"备份失败 -- 注册表备份文件创建失败！;" + std::wstring(shown) + L";" +
                        std::to_wstring(reinterpret_cast<LPARAM>(LoadIconW(nullptr, systemIcon))) + L";" +
                        std::to_wstring(reinterpret_cast<LPARAM>(boxOwner)));
  }
  DestroyWindow(owner);
}

// Records the calls that drive other programs as one text: "|" between arguments, ";" after each call.
class RecordingShell : public Win32Shell {
 public:
  std::wstring calls, browseAnswer;
  HWND editor = nullptr, editorAfterStart = nullptr;  // what findWindow answers before and after startRegedit

  void open(std::wstring_view verb, std::wstring_view file, std::wstring_view params, int show) override {
    Note({verb, file, params, std::to_wstring(show)});
  }
  std::wstring browseForFolder(HWND owner, std::wstring_view title, std::wstring_view, std::wstring_view at) override {
    Note({title, at, Name(owner)});
    return browseAnswer;
  }
  void startRegedit() override {
    Note({L"start"});
    editor = editorAfterStart;
  }
  HWND findWindow(std::wstring_view className) override {
    Note({className});
    return editor;
  }
  HWND findChild(HWND, std::wstring_view className) override {
    return className == L"SysTreeView32" ? kTree : className == L"SysListView32" ? kList : nullptr;
  }
  void showAndActivate(HWND window) override { Note({L"show", Name(window)}); }
  void sendKeyDown(HWND window, unsigned key) override { Note({Name(window), std::to_wstring(key)}); }
  void sendChar(HWND window, wchar_t ch) override { Note({Name(window), std::wstring(1, ch)}); }
  void sleep(unsigned milliseconds) override { Note({L"sleep", std::to_wstring(milliseconds)}); }

 private:
  inline static const HWND kTree = reinterpret_cast<HWND>(0x21), kList = reinterpret_cast<HWND>(0x22);
  std::wstring Name(HWND w) const {
    if (w == kTree || w == kList) return w == kTree ? L"tree" : L"list";
    return w && w == editor ? L"editor" : std::to_wstring(reinterpret_cast<LPARAM>(w));
  }
  void Note(std::initializer_list<std::wstring_view> parts) {
    for (const std::wstring_view part : parts) (calls += part) += L'|';
    calls.back() = L';';
  }
};

TEST(ShellJumps, ChooseFolderAndShowInExplorer) {
  test::TempFolder tmp(L"choose");
  RecordingShell shell;
  Substitute<Shell> use(&Platform::shell, shell);
  SetMsgBoxOwner(reinterpret_cast<HWND>(0x42));
  std::wstring folder = tmp.path();
  shell.browseAnswer = L"C:\\chosen";
  const bool chosen = ChooseFolder(L"请选择一个您要扫描的目录...", L"", folder);
  SetMsgBoxOwner(nullptr);
  EXPECT_TRUE(chosen);
  EXPECT_EQ(folder, L"C:\\chosen");
  shell.browseAnswer.clear();
  folder = tmp.path();
  EXPECT_FALSE(ChooseFolder(L"t", L"", folder));
  EXPECT_EQ(folder, tmp.path());  // cancelled: unchanged
  folder = tmp / L"gone";
  EXPECT_FALSE(ChooseFolder(L"t", L"", folder));
  EXPECT_EQ(folder, L"");  // a folder that does not exist is cleared first, so nothing is preselected
  ShowInExplorer(L"C:\\a b\\c.tmp");
  EXPECT_EQ(shell.calls, L"请选择一个您要扫描的目录...|" + tmp.path() + L"|66;t|" + tmp.path() +
                             L"|0;t||0;open|Explorer.exe|/n,/select,C:\\a b\\c.tmp|1;");
}

TEST(ShellJumps, OpenRegeditAtWalksTheTreeAndSelectsTheValue) {
  std::wstring walk = L"show|editor;show|tree;";  // collapse everything, then down by typing
  for (int i = 0; i < 50; ++i) walk += L"tree|37;";
  walk += L"tree|36;tree|39;tree|H;tree|K;tree|39;tree|测;";
  const std::wstring find = L"RegEdit_RegEdit;", editor = L"show|editor;";
  const HWND window = reinterpret_cast<HWND>(0x10);
  // The editor's window while running and after a start, select value, the calls made.
  const std::tuple<HWND, HWND, int, std::wstring> cases[] = {
      {window, nullptr, 0, find + walk + editor},
      {nullptr, window, 1, find + L"start;" + find + walk + L"show|list;sleep|300;list|36;list|R;list|u;" + editor},
      {nullptr, nullptr, 1, find + L"start;" + find},  // the editor never comes up
  };
  for (const auto& [running, afterStart, select, calls] : cases) {
    RecordingShell shell;
    shell.editor = running;
    shell.editorAfterStart = afterStart;
    Substitute<Shell> use(&Platform::shell, shell);
    OpenRegeditAt(L"HK\\测", L"Ru", select);
    OpenRegeditAt(L"", L"x", 1);  // nothing to do
    EXPECT_EQ(shell.calls, calls);
  }
}

}  // namespace
}  // namespace wv
