// Removing found rows with the shell's file operation, over real folders.
#include <gtest/gtest.h>

#include "engines/cleaning/cleaning_fixtures.h"
#include "engines/cleaning/removal.h"

namespace wv::test {
namespace {

constexpr DWORD kMarks = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

FoundRow Waste(const std::wstring& folder) { return {folder, 0, FoundKind::WasteFolder}; }

// Deletes the chosen rows (all when none given) directly; the paths of the rows
// left. A row leaves exactly when its path is gone.
std::vector<std::wstring> RemoveAndLeft(const std::vector<FoundRow>& rows, std::vector<std::size_t> chosen = {}) {
  RemovalOptions direct;
  direct.mode = RemovalMode::DeleteDirectly;
  const std::vector<std::size_t> gone =
      RemoveFoundRows(rows, chosen.empty() ? AllRowIndices(rows.size()) : chosen, direct);
  std::vector<std::wstring> left;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const bool went = std::binary_search(gone.begin(), gone.end(), i);
    EXPECT_NE(PathExists(rows[i].path), went) << rows[i].path;
    if (!went) left.push_back(rows[i].path);
  }
  return left;
}

// A file in use stays, a vanished one is not handed over, and a folder goes
// only as a waste folder; files go first.
TEST(Removal, OnlyWhatIsStillThereGoesAsItsKindSays) {
  Planted t(L"rmstay");
  const std::wstring a = t.file(L"a.tmp"), busy = t.file(L"busy.tmp"), asFile = t.folder(L"listed as file"),
                     waste = t.folder(L"waste");
  const std::vector<FoundRow> rows = {Waste(waste), {a}, {busy}, {t / L"gone.tmp"}, {asFile}};
  TestShell shell;
  UniqueFile hold = Hold(busy);
  ASSERT_TRUE(hold.valid());
  EXPECT_EQ(RemoveAndLeft(rows), (std::vector<std::wstring>{busy, asFile}));
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].sources, (std::vector<std::wstring>{a, busy, waste}));
}

// What the daily scan lists for a small tree, waste folders deepest first. A "No"
// to the shell's question or a stop in its progress removes nothing more: no
// empty waste folder goes behind the user's back. When the shell fails on its own
// the waste folders go that are empty by then. What is left keeps its marks.
TEST(Removal, TheShellsResultDecidesWhatElseGoes) {
  struct Case { const char* label; std::vector<std::size_t> takes; std::optional<int> answer; std::vector<std::size_t> left; };
  const Case cases[] = {
      {"declined", {}, ERROR_CANCELLED, {0, 1, 2, 3, 4}},
      {"aborted", {0}, ERROR_CANCELLED, {1, 2, 3, 4}},
      {"partly taken, success reported", {0, 4}, std::nullopt, {1, 2, 3}},
      {"failed, sub emptied", {0, 1}, 1, {}},
      {"failed, sub still holding b.tmp", {0}, 1, {1, 3}},
  };
  const DWORD marks[] = {0, kMarks, 0, FILE_ATTRIBUTE_HIDDEN, 0};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Planted t(L"rmtree");
    const std::vector<FoundRow> rows = {
        {t.file(L"a.tmp")}, {t.file(L"sub\\b.tmp")}, Waste(t.folder(L"sub\\deep")), Waste(t / L"sub"),
        Waste(t.folder(L"empty"))};
    for (std::size_t i = 0; i < rows.size(); ++i)
      ASSERT_TRUE(!marks[i] || SetFileAttributesW(rows[i].path.c_str(), marks[i]));
    TestShell shell;
    shell.takes = [&](const std::wstring& s) {
      return std::ranges::any_of(c.takes, [&](std::size_t i) { return rows[i].path == s; });
    };
    shell.answer = c.answer;
    std::vector<std::wstring> left;
    for (std::size_t i : c.left) left.push_back(rows[i].path);
    EXPECT_EQ(RemoveAndLeft(rows), left);
    ASSERT_TRUE(shell.calls.size() == 1 && shell.calls[0].sources.size() == 5);
    for (std::size_t i : c.left) EXPECT_EQ(GetFileAttributesW(rows[i].path.c_str()) & kMarks, marks[i]) << i;
  }
}

// Between the scan and the removal a folder may stop being waste: a file arrived
// in it, its listed file is not chosen, or it holds a link (scripts/make-test-links:
// "out" leads out of the tree, "sub\loop" back to its parent). It stays.
TEST(Removal, AWasteFolderGoesOnlyWhileStillWaste) {
  Planted t(L"rmrecheck");
  const std::wstring links = L"C:\\WindowsVantorraFixtures\\links\\tree";
  ASSERT_TRUE(PathExists(links + L"\\out")) << "run through ctest";
  std::vector<FoundRow> rows = {{t.file(L"going\\g.tmp")}, {t.file(L"kept\\k.tmp")}, {links + L"\\inside.tmp"},
                                {links + L"\\sub\\deeper.tmp"}};
  for (const std::wstring& d : {t / L"going", t / L"kept", t.folder(L"late"), links + L"\\sub", links})
    rows.push_back(Waste(d));
  t.file(L"late\\arrived.txt");
  TestShell shell;
  shell.takes = [](const std::wstring&) { return false; };  // only looks
  EXPECT_EQ(RemoveAndLeft(rows, {0, 2, 3, 4, 5, 6, 7, 8}).size(), rows.size());
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].sources, (std::vector<std::wstring>{rows[0].path, rows[2].path, rows[3].path, t / L"going"}));
}

}  // namespace
}  // namespace wv::test
