// Text helpers where a slip is easy, size and time texts, the administrator test,
// list rows (and the typed rows beside them), message boxes and folder choosing.
#include <gtest/gtest.h>

#include <clocale>
#include <tuple>

#include "core/utilities.h"
#include "core/result_rows.h"
#include "platform/text.h"
#include "platform/win32/win32_platform.h"
#include "support/test_support.h"

namespace wv {
namespace {

TEST(Text, BlanksFalseStartsOverlapsAndLoneHalves) {
  EXPECT_EQ(Trim(L" \t\x01 a b \r\n\x1f"), L"a b");
  EXPECT_EQ(Trim(L"\x3000中\x3000"), L"\x3000中\x3000");  // only units up to the blank count
  EXPECT_EQ(ToUpper(L"abc é я ω ａ 中"), L"ABC É Я Ω Ａ 中");
  EXPECT_EQ(FindNoCase(L"aaab", L"AAB"), 1u);  // a false start just before the hit
  EXPECT_EQ(ReplaceAll(L"a\\\\b\\\\\\c", L"\\\\", L"\\"), L"a\\b\\\\c");  // hits do not overlap
  EXPECT_EQ(ReplaceAll(L"abc", L"", L"z"), L"abc");
  EXPECT_EQ(FoldCase(L'\xD83D'), L'\xD83D');
  EXPECT_EQ(ToUtf8(std::wstring(1, L'\xD800')), "\xEF\xBF\xBD");  // becomes U+FFFD
  EXPECT_GE(AnsiByteLength(L"😀"), 1u);  // missing from the code page, still counted
}

TEST(ClassicTexts, SizesInUnitsStepsAndRoundingWhateverTheLocaleAndFileTimesInTheirFormats) {
  const char* comma = nullptr;  // the point stays a point under a decimal-comma locale
  for (const char* name : {"de-DE", "German_Germany.1252", "fr-FR"})
    if (!comma && std::setlocale(LC_ALL, name) && std::localeconv()->decimal_point[0] == ',') comma = name;
  constexpr std::uint64_t KB = 1024, MB = KB * KB, GB = MB * KB, TB = GB * KB;
  const std::pair<std::uint64_t, const wchar_t*> cases[] = {
      {0, L"0.00 B"},  {1023, L"1023.00 B"}, {1024, L"1.00 KB"}, {1030, L"1.01 KB"}, {1536, L"1.50 KB"},
      {MB - 1, L"1024.00 KB"}, {MB, L"1.00 MB"}, {GB, L"1.00 GB"}, {GB + GB / 4, L"1.25 GB"},
      {1024 * TB - 1, L"1024.00 TB"}, {1024 * TB, L""}, {UINT64_MAX, L""}};
  for (const auto& [bytes, text] : cases) EXPECT_EQ(FormatSize(bytes), text) << bytes << (comma ? comma : "");
  std::setlocale(LC_ALL, "C");
  // File times in the classic formats, of local time.
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

struct FakeSystemInfo : SystemInfo {
  std::optional<std::vector<SidBytes>> groups;
  SidBytes admins{1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 32, 2, 0, 0};  // S-1-5-32-544
  std::optional<std::vector<SidBytes>> tokenGroups() override { return groups; }
  SidBytes administratorsGroup() override { return admins; }
  OsVersion version() override { return {}; }
};

TEST(IsAdmin, WantsTheExactAdministratorsSid) {
  FakeSystemInfo fake;
  Substitute<SystemInfo> use(&Platform::system, fake);
  const SidBytes admins = fake.admins, users{1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 33, 2, 0, 0};  // S-1-5-32-545
  const SidBytes truncated(admins.begin(), admins.end() - 4);  // S-1-5-32
  std::vector<SidBytes> many(200, users);                      // past any fixed buffer
  many.push_back(admins);  // a deny-only membership counts: attributes are not looked at
  // The groups, the identifier (none: it could not be built, nor one group's read), the answer.
  const std::tuple<std::optional<std::vector<SidBytes>>, SidBytes, bool> cases[] = {
      {std::nullopt, admins, false}, {std::vector<SidBytes>{users, truncated}, admins, false}, {many, admins, true},
      {std::vector<SidBytes>(1), SidBytes{}, false}};
  for (const auto& [groups, identifier, admin] : cases) {
    fake.groups = groups;
    fake.admins = identifier;
    EXPECT_EQ(IsAdmin(), admin);
  }
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

// The direction from the ends is pinned by the pages' tests; here how texts compare.
TEST(ListRows, SortComparesSizesAndFoldsOnlyAsciiAndAMoveLandsBeforeOrAfterTheTarget) {
  const std::tuple<std::vector<ListRow>, const wchar_t*, const wchar_t*> cases[] = {  // rows, sorted once, twice
      {Rows({L"9.00 KB", L"10.00 KB", L"1.50 MB"}), L"1.50 MB,10.00 KB,9.00 KB", L"9.00 KB,10.00 KB,1.50 MB"},
      {Rows({L"\xE9", L"\xC9", L"z"}), L"z,\xC9,\xE9", L"\xE9,\xC9,z"}};  // only ASCII letters fold
  for (auto [rows, once, twice] : cases) {
    SortListByColumn(rows, 0);
    EXPECT_EQ(Captions(rows), once);
    SortListByColumn(rows, 0);
    EXPECT_EQ(Captions(rows), twice);
  }
  std::vector<ListRow> rows = {{L"r1", {L"x", L"B"}}, {L"r2", {L"y"}}, {L"r3", {L"z", L"a"}}, {L"r4", {L"w", L"c"}}};
  SortListByColumn(rows, 2);  // by the second sub-item, "B" below "c": descending; r2 has none
  EXPECT_EQ(Captions(rows), L"r4,r1,r3,r2");
  // A move: down, just after the target; up, just before; no row under the drop point: the last row.
  const std::tuple<int, int, const wchar_t*, int> moves[] = {  // source, target, order, new index
      {0, 2, L"B,C,A,D,E", 2},  {3, 1, L"A,D,B,C,E", 1},   {1, -1, L"A,C,D,E,B", 4}, {1, 99, L"A,C,D,E,B", 4},
      {2, 2, L"A,B,C,D,E", 2},  {-1, 2, L"A,B,C,D,E", -1}, {5, 0, L"A,B,C,D,E", -1}};  // the last two: nothing selected
  for (const auto& [source, target, order, index] : moves) {
    rows = Rows({L"A", L"B", L"C", L"D", L"E"});
    if (index >= 0) rows[static_cast<std::size_t>(source)].sub = {L"kept"};
    ASSERT_EQ(MoveListItem(rows, source, target), index) << source << L"->" << target;
    EXPECT_EQ(Captions(rows), order) << source << L"->" << target;
    EXPECT_TRUE(index < 0 || rows[static_cast<std::size_t>(index)].sub.size() == 1u);  // the row moved whole
  }
  rows.clear();
  EXPECT_EQ(MoveListItem(rows, 0, -1), -1);
}

// The typed rows beside a page's list rows stay in step, so a row acts on its own entry (removals: controls' tests).
TEST(ResultRows, RemovalAndUpdateKeepBothSidesInStep) {
  struct Found { std::wstring path; std::uint64_t size = 0; };
  RowModel model;
  ResultRows<Found> rows(model, [](const Found& f) { return ListRow{f.path, {std::to_wstring(f.size)}}; });
  auto sink = rows.sink();
  for (int i = 0; i < 6; ++i) sink(Found{L"C:\\f" + std::to_wstring(i), static_cast<std::uint64_t>(i * 10)});
  const auto inStep = [&](const std::wstring& expected) {
    std::wstring shown;
    ASSERT_EQ(rows.size(), model.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
      shown += rows.at(i).path + L"=" + model.at(i).caption + L"," + model.at(i).column(1) + L"=" +
               std::to_wstring(rows.at(i).size) + L";";
    EXPECT_EQ(shown, expected);
  };
  rows.eraseMany({4, 1, 99, 3, 1});
  inStep(L"C:\\f0=C:\\f0,0=0;C:\\f2=C:\\f2,20=20;C:\\f5=C:\\f5,50=50;");
  rows.eraseMany({7, 8});
  rows.update(1, Found{L"D:\\moved", 5});
  inStep(L"C:\\f0=C:\\f0,0=0;D:\\moved=D:\\moved,5=5;C:\\f5=C:\\f5,50=50;");
  rows.clear();
  EXPECT_TRUE(model.empty());
}

// Records the system boxes and the folder browser as "owner|texts;" per call.
struct RecordingShell : Win32Shell {
  std::wstring calls, browseAnswer;
  int messageBox(HWND owner, std::wstring_view text, std::wstring_view caption, unsigned style) override {
    calls += std::to_wstring(reinterpret_cast<LPARAM>(owner)) + L"|" + std::wstring(text) + L"|" +
             std::wstring(caption) + L"|" + std::to_wstring(style) + L";";
    return IDNO;
  }
  std::wstring browseForFolder(HWND owner, std::wstring_view title, std::wstring_view, std::wstring_view at) override {
    calls += std::to_wstring(reinterpret_cast<LPARAM>(owner)) + L"|" + std::wstring(title) + L"|" + std::wstring(at) + L";";
    return browseAnswer;
  }
};

TEST(SystemBoxes, MessageBoxesAndTheFolderBrowserGetIconButtonsOwnerAndOnlyAFolderThatExists) {
  test::TempFolder tmp(L"choose");
  RecordingShell shell;
  Substitute<Shell> use(&Platform::shell, shell);
  // Icon kind, button set, the style asked of the system: task-modal without an owner, unknown kinds the first.
  for (const auto& [icon, buttons, style] : {std::tuple{2, 2, MB_ICONWARNING | MB_OKCANCEL},
                                             {3, 3, MB_ICONERROR | MB_YESNOCANCEL},
                                             {9, 5, MB_ICONINFORMATION | MB_RETRYCANCEL}, {1, 7, MB_ICONQUESTION | MB_OK}}) {
    shell.calls.clear();
    EXPECT_EQ(MsgBox(icon, buttons, L"备份失败", L"文件创建失败！"), IDNO);
    EXPECT_EQ(shell.calls, L"0|备份失败 -- 文件创建失败！|WindowsVantorra|" + std::to_wstring(style | MB_TASKMODAL) + L";");
  }
  shell.calls.clear();
  SetMsgBoxOwner(reinterpret_cast<HWND>(0x42));
  ShowErrorText(L"Unable to write to C:\\Config.ini");
  SetMsgBoxOwner(nullptr);
  EXPECT_EQ(shell.calls, L"66|Unable to write to C:\\Config.ini|WindowsVantorra|" + std::to_wstring(MB_ICONERROR) + L";");
  // The browser's answer, folder before, result, folder after: kept when cancelled, preselected only when it exists.
  shell.calls.clear();
  const std::tuple<const wchar_t*, std::wstring, bool, std::wstring> cases[] = {
      {L"C:\\chosen", tmp.path(), true, L"C:\\chosen"}, {L"", tmp.path(), false, tmp.path()},
      {L"", tmp / L"gone", false, L""}};
  for (auto [answer, folder, chosen, after] : cases) {
    shell.browseAnswer = answer;
    EXPECT_EQ(ChooseFolder(L"t", L"", folder), chosen);
    EXPECT_EQ(folder, after);
  }
  EXPECT_EQ(shell.calls, L"0|t|" + tmp.path() + L";0|t|" + tmp.path() + L";0|t|;");
}

}  // namespace
}  // namespace wv
