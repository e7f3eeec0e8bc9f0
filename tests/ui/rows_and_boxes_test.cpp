// List rows (and the typed rows beside them), message boxes and folder choosing.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/win32/win32_platform.h"
#include "support/test_support.h"
#include "ui/notify.h"
#include "ui/result_rows.h"

namespace wv {
namespace {

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
