#include <gtest/gtest.h>

#include <algorithm>

#include "cleaning/cleaning_fixtures.h"
#include "cleaning/removal.h"
#include "cleaning/cleanpage.h"
#include "cleaning/wjrcpage.h"
#include "support/testsupport.h"

namespace wv::test {
namespace {

constexpr DWORD kMarks = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

FoundRow Row(const std::wstring& path, std::wstring_view size = L"4.00 B") {
  return FoundRow{path, 4, size == kWasteFolderText ? FoundKind::WasteFolder : FoundKind::File, 4};
}

// The found rows as a page keeps them: the structs, and the rows shown for them.
struct Rows {
  RowModel shown;
  ResultRows<FoundRow> found{shown, FormatDailyRow};
  void append(FoundRow row) { found.append(std::move(row)); }
  [[nodiscard]] std::size_t size() const { return found.size(); }
  [[nodiscard]] const std::vector<ListRow>& rows() const { return shown.rows(); }
};

std::size_t RemoveFoundRows(Rows& rows, std::vector<std::size_t> indices, const RemovalOptions& options) {
  return RemoveFound(rows.found, std::move(indices), options);
}

std::vector<std::size_t> AllRowIndices(const Rows& rows) { return wv::AllRowIndices(rows.size()); }
int RowIndex(const Rows& rows, std::wstring_view path) { return test::RowIndex(rows.shown, path); }

DWORD Marks(const std::wstring& path) { return GetFileAttributesW(path.c_str()) & kMarks; }

RemovalOptions Direct() {
  RemovalOptions options;
  options.mode = RemovalMode::DeleteDirectly;
  return options;
}

TEST(Removal, RowsOfFilesStillThereStay) {
  Planted t(L"rmstay");
  const std::wstring a = t.file(L"a.tmp"), busy = t.file(L"busy.tmp"), gone = t / L"gone.tmp";
  Rows rows;
  for (const std::wstring& p : {a, busy, gone}) rows.append(Row(p));
  TestShell shell;
  {
    UniqueFile hold = Hold(busy);
    ASSERT_TRUE(hold.valid());
    EXPECT_EQ(RemoveFoundRows(rows, AllRowIndices(rows), Direct()), 2u);
  }
  EXPECT_EQ(Captions(rows.rows()), std::vector<std::wstring>{busy});
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].sources, (std::vector<std::wstring>{a, busy}));  // a vanished file is not handed over
  EXPECT_FALSE(PathExists(a));
}

// What the daily scan lists for a small tree: two files (one hidden and system,
// in a hidden folder), then the waste folders deepest first, one of them empty.
struct DailyTree {
  Planted t{L"rmtree"};
  Rows rows;
  std::wstring a = t.file(L"a.tmp");
  std::wstring marked = t.file(L"sub\\b.tmp");
  std::wstring deep = t.folder(L"sub\\deep");
  std::wstring sub = t / L"sub";
  std::wstring empty = t.folder(L"empty");
  DailyTree() {
    EXPECT_TRUE(SetFileAttributesW(marked.c_str(), kMarks));
    EXPECT_TRUE(SetFileAttributesW(sub.c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    for (const std::wstring& f : {a, marked}) rows.append(Row(f));
    for (const std::wstring& d : {deep, sub, empty}) rows.append(Row(d, kWasteFolderText));
  }
};

// A "No" to the shell's question, or a stop in its progress, removes nothing
// more: no empty waste folder goes behind the user's back, and what is left keeps
// its marks. Only what the shell took before the stop leaves the list.
TEST(Removal, ADeclinedOrAbortedShellEndsTheRemoval) {
  for (const bool aborted : {false, true}) {
    SCOPED_TRACE(aborted ? "aborted" : "declined");
    DailyTree tree;
    TestShell shell;
    shell.decline();
    if (aborted) shell.takes = [&](const std::wstring& s) { return s == tree.a; };
    EXPECT_EQ(RemoveFoundRows(tree.rows, AllRowIndices(tree.rows), Direct()), aborted ? 1u : 0u);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].sources.size(), 5u);
    EXPECT_EQ(PathExists(tree.a), !aborted);
    for (const std::wstring& d : {tree.deep, tree.empty}) EXPECT_TRUE(PathExists(d)) << d;
    EXPECT_EQ(Marks(tree.marked), kMarks);
    EXPECT_EQ(Marks(tree.sub), DWORD{FILE_ATTRIBUTE_HIDDEN});
    EXPECT_EQ(tree.rows.size(), aborted ? 4u : 5u);
    EXPECT_EQ(RowIndex(tree.rows, tree.a) < 0, aborted);
  }
}

// The shell reports success but left some sources (skipped, held by another
// program): their rows stay and their marks come back.
TEST(Removal, APartialRemovalGivesTheMarksBack) {
  DailyTree tree;
  TestShell shell;
  shell.takes = [&](const std::wstring& s) { return s == tree.a || s == tree.empty; };
  EXPECT_EQ(RemoveFoundRows(tree.rows, AllRowIndices(tree.rows), Direct()), 2u);
  EXPECT_EQ(Captions(tree.rows.rows()), (std::vector<std::wstring>{tree.marked, tree.deep, tree.sub}));
  EXPECT_EQ(Marks(tree.marked), kMarks);
  EXPECT_EQ(Marks(tree.sub), DWORD{FILE_ATTRIBUTE_HIDDEN});
}

// The shell fails on its own after the files went: the waste folders go only when empty.
TEST(Removal, AFailedDailyRemovalTakesOnlyEmptyWasteFolders) {
  Planted t(L"rmfallback");
  Rows rows;
  for (const wchar_t* f : {L"a.tmp", L"sub\\deep\\c.tmp", L"other\\x.tmp"}) rows.append(Row(t.file(f)));
  for (const wchar_t* f : {L"sub\\deep", L"sub", L"other"}) rows.append(Row(t / f, kWasteFolderText));
  TestShell shell;
  shell.takes = [](const std::wstring& s) { return FileExists(s); };
  shell.answer = 1;
  // Held open, x.tmp stays: its folder is not empty when the fallback comes.
  UniqueFile hold = Hold(t / L"other\\x.tmp");
  ASSERT_TRUE(hold.valid());
  EXPECT_EQ(RemoveFoundRows(rows, AllRowIndices(rows), Direct()), 4u);
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].sources.size(), 6u);
  EXPECT_FALSE(PathExists(t / L"sub"));
  EXPECT_EQ(Captions(rows.rows()), (std::vector<std::wstring>{t / L"other\\x.tmp", t / L"other"}));
}

// Between the scan and the removal a folder may stop being waste: a program put
// a file into it, its listed file is not among the chosen rows, or it holds a
// link. Such a folder is not handed to the shell and its row stays.
TEST(Removal, AWasteFolderGoesOnlyWhileStillWaste) {
  Planted t(L"rmrecheck");
  const std::wstring links = L"C:\\WindowsVantorraFixtures\\links\\tree";
  ASSERT_TRUE(PathExists(links + L"\\out")) << "scripts/make-test-links makes the link";
  Rows rows;
  const std::wstring going = t.file(L"going\\g.tmp"), kept = t.file(L"kept\\k.tmp");
  t.folder(L"late");
  for (const std::wstring& f : {going, kept, links + L"\\inside.tmp", links + L"\\sub\\deeper.tmp"})
    rows.append(Row(f));
  for (const std::wstring& d : {t / L"going", t / L"kept", t / L"late", links + L"\\sub", links})
    rows.append(Row(d, kWasteFolderText));
  t.file(L"late\\arrived.txt");

  TestShell shell;
  shell.takes = [](const std::wstring&) { return false; };  // only looks
  std::vector<std::size_t> chosen = AllRowIndices(rows);
  chosen.erase(chosen.begin() + 1);  // kept\k.tmp stays unchosen
  EXPECT_EQ(RemoveFoundRows(rows, chosen, Direct()), 0u);
  ASSERT_EQ(shell.calls.size(), 1u);
  const std::vector<std::wstring>& sources = shell.calls[0].sources;
  for (const std::wstring& d : {t / L"kept", t / L"late", links})
    EXPECT_EQ(std::count(sources.begin(), sources.end(), d), 0) << d;
  EXPECT_EQ(std::count(sources.begin(), sources.end(), t / L"going"), 1);
  EXPECT_EQ(std::count(sources.begin(), sources.end(), links + L"\\sub"), 0) << "holds a link to itself";
  EXPECT_EQ(rows.size(), 9u);
}

TEST(Removal, TheRowsKindSaysWhatItIsNotItsText) {
  Planted t(L"rmkind");
  const std::wstring file = t.file(L"a.tmp");
  const std::wstring asFile = t.folder(L"listed as file"), asWaste = t.folder(L"listed as waste");
  std::vector<FoundRow> rows = {{file, 4, FoundKind::File, 0},
                                {asFile, 0, FoundKind::File, 0},
                                {asWaste, 0, FoundKind::WasteFolder, 0}};
  TestShell shell;
  shell.takes = [](const std::wstring&) { return false; };  // only looks
  EXPECT_TRUE(wv::RemoveFoundRows(rows, wv::AllRowIndices(rows.size()), Direct()).empty());
  ASSERT_EQ(shell.calls.size(), 1u);
  // A folder goes only as a waste folder; files first, then the folders.
  EXPECT_EQ(shell.calls[0].sources, (std::vector<std::wstring>{file, asWaste}));

  // What the page shows is made from the kind.
  EXPECT_EQ(FormatDailyRow(rows[2]).column(1), kWasteFolderText);
  EXPECT_EQ(FormatDailyRow(rows[0]).column(1), FormatSize(4));
  EXPECT_EQ(FormatDailyRow(rows[0]).column(2), L"系统临时文件");
}

}  // namespace
}  // namespace wv::test
