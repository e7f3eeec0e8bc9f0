// Removing found rows in each mode, over real folders: what goes, what stays
// and why, what the shell is given.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "engines/cleaning/cleaning_fixtures.h"
#include "engines/cleaning/removal.h"

namespace wv::test {
namespace {

constexpr DWORD kMarks = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

FoundRow Waste(const std::wstring& folder) { return {folder, 0, FoundKind::WasteFolder}; }
FoundRow File(const std::wstring& file) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return {file};
  return {file, (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow};
}

// Removes the chosen rows (all when none given); the paths of the rows left. A
// row leaves exactly when its path is gone.
std::vector<std::wstring> RemoveAndLeft(const std::vector<FoundRow>& rows, RemovalMode mode,
                                        std::vector<std::size_t> chosen = {}, RemovalReport* report = nullptr) {
  RemovalOptions options;
  options.mode = mode;
  FakeRun run;
  const RemovalReport r = RemoveFoundRows(rows, chosen.empty() ? AllRowIndices(rows.size()) : chosen, options, run);
  std::vector<std::wstring> left;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const bool went = std::ranges::binary_search(r.gone, i);
    EXPECT_NE(PathExists(rows[i].path), went) << rows[i].path;
    if (!went) left.push_back(rows[i].path);
  }
  if (report) *report = r;
  return left;
}

void EmptyRecycleBin() { SHEmptyRecycleBinW(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND); }

// A file in use stays and says so, a vanished one is not handed over, and a
// folder goes only as a waste folder; files go first. Direct deletion needs no
// shell; the recycle bin gets the files in one operation.
TEST(Removal, OnlyWhatIsStillThereGoesAsItsKindSays) {
  for (RemovalMode mode : {RemovalMode::DeleteDirectly, RemovalMode::RecycleBin}) {
    SCOPED_TRACE(static_cast<int>(mode));
    Planted t(L"rmstay");
    const std::wstring a = t.file(L"a.tmp"), busy = t.file(L"busy.tmp"), asFile = t.folder(L"listed as file"),
                       waste = t.folder(L"waste");
    const std::vector<FoundRow> rows = {Waste(waste), File(a), File(busy), {t / L"gone.tmp"}, {asFile}};
    TestShell shell;
    UniqueFile hold = Hold(busy);
    ASSERT_TRUE(hold.valid());
    RemovalReport report;
    EXPECT_EQ(RemoveAndLeft(rows, mode, {}, &report), (std::vector<std::wstring>{busy, asFile}));
    EXPECT_EQ(report.removed, 2u);  // a and the waste folder; gone.tmp was gone already
    EXPECT_EQ(report.kept, (std::vector<std::pair<std::size_t, KeptReason>>{{2, KeptReason::InUse},
                                                                           {4, KeptReason::NotListed}}));
    if (mode == RemovalMode::DeleteDirectly) {
      EXPECT_TRUE(shell.calls.empty());
    } else {
      ASSERT_EQ(shell.calls.size(), 2u);
      EXPECT_EQ(shell.calls[0].sources, (std::vector<std::wstring>{a}));
      EXPECT_EQ(shell.calls[1].sources, (std::vector<std::wstring>{waste}));
    }
    EmptyRecycleBin();
  }
}

// What the daily scan lists for a small tree, waste folders deepest first. A "No"
// to the shell's question or a stop in its progress removes nothing more: no
// empty waste folder goes behind the user's back. When the shell fails on its own
// the waste folders go that are empty by then. What is left keeps its marks.
TEST(Removal, TheShellsResultDecidesWhatElseGoes) {
  struct Case { const char* label; std::vector<std::size_t> takes; std::optional<int> answer; std::vector<std::size_t> left; std::size_t calls; };
  const Case cases[] = {
      {"declined", {}, ERROR_CANCELLED, {0, 1, 2, 3, 4}, 1},
      {"aborted", {0}, ERROR_CANCELLED, {1, 2, 3, 4}, 1},
      {"partly taken, success reported", {0, 4}, std::nullopt, {1, 2, 3}, 2},
      {"failed, sub emptied", {0, 1}, 1, {}, 2},
      {"failed, sub still holding b.tmp", {0}, 1, {1, 3}, 2},
  };
  const DWORD marks[] = {0, kMarks, 0, FILE_ATTRIBUTE_HIDDEN, 0};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Planted t(L"rmtree");
    const std::vector<FoundRow> rows = {
        File(t.file(L"a.tmp")), File(t.file(L"sub\\b.tmp")), Waste(t.folder(L"sub\\deep")), Waste(t / L"sub"),
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
    RemovalReport report;
    EXPECT_EQ(RemoveAndLeft(rows, RemovalMode::RecycleBin, {}, &report), left);
    ASSERT_EQ(shell.calls.size(), c.calls);
    EXPECT_EQ(shell.calls[0].sources, (std::vector<std::wstring>{rows[0].path, rows[1].path}));
    for (std::size_t i : c.left) EXPECT_EQ(GetFileAttributesW(rows[i].path.c_str()) & kMarks, marks[i]) << i;
    if (c.answer == ERROR_CANCELLED)
      for (const auto& [index, why] : report.kept) EXPECT_EQ(why, KeptReason::Declined) << index;
    EmptyRecycleBin();
  }
}

// Between the scan and the removal a folder may stop being waste: a file arrived
// in it, its listed file is not chosen, or it holds a link (scripts/make-test-links:
// "out" leads out of the tree, "sub\loop" back to its parent). It stays.
TEST(Removal, AWasteFolderGoesOnlyWhileStillWaste) {
  for (RemovalMode mode : {RemovalMode::DeleteDirectly, RemovalMode::RecycleBin}) {
    SCOPED_TRACE(static_cast<int>(mode));
    Planted t(L"rmrecheck");
    const std::wstring links = L"C:\\WindowsVantorraFixtures\\links\\tree";
    ASSERT_TRUE(PathExists(links + L"\\out")) << "run through ctest";
    std::vector<FoundRow> rows = {File(t.file(L"going\\g.tmp")), File(t.file(L"kept\\k.tmp"))};
    for (const std::wstring& d : {t / L"going", t / L"kept", t.folder(L"late"), links + L"\\sub", links})
      rows.push_back(Waste(d));
    t.file(L"late\\arrived.txt");
    TestShell shell;
    RemovalReport report;
    EXPECT_EQ(RemoveAndLeft(rows, mode, {0, 2, 3, 4, 5, 6}, &report),
              (std::vector<std::wstring>{rows[1].path, rows[3].path, rows[4].path, rows[5].path, rows[6].path}));
    for (std::size_t i : {3, 4, 5, 6}) EXPECT_EQ(report.kept.at(i - 3).second, KeptReason::NotEmpty) << i;
    EXPECT_TRUE(PathExists(links + L"\\sub\\deeper.tmp") && PathExists(links + L"\\out"));
    EmptyRecycleBin();
  }
}

// The move mode never replaces: two listed files of one name and one already in
// the target get free names, each row reports its own result; a target inside
// what was scanned, or none, moves nothing.
TEST(Removal, MovingNeverReplacesAndNeverMovesIntoTheScannedTree) {
  Planted t(L"rmmove"), dest(L"rmdest");
  const std::wstring first = t.file(L"one\\errorlog.txt", 3), second = t.file(L"two\\errorlog.txt", 5),
                     there = dest.file(L"errorlog.txt", 7), busy = t.file(L"three\\errorlog.txt", 9);
  std::vector<FoundRow> rows = {File(first), File(second), File(busy)};
  for (FoundRow& r : rows) r.rootLength = static_cast<std::uint32_t>(t.root().size() + 1);
  RemovalOptions options;
  options.mode = RemovalMode::MoveToFolder;
  for (const std::wstring& bad : {std::wstring(), dest / L"nowhere", t / L"one", t.root()}) {
    options.moveFolder = bad;
    EXPECT_NE(CheckMoveTarget(options, rows, {0, 1}), MoveTarget::Usable) << bad;
    FakeRun run;
    const RemovalReport none = RemoveFoundRows(rows, {0, 1}, options, run);
    EXPECT_TRUE(none.gone.empty() && none.kept.empty());
  }
  EXPECT_EQ(CheckMoveTarget(options, rows, {0}), MoveTarget::InsideScan);
  options.moveFolder = dest.root();
  ASSERT_EQ(CheckMoveTarget(options, rows, {0, 1, 2}), MoveTarget::Usable);
  TestShell shell;
  UniqueFile hold = Hold(busy);
  FakeRun run;
  const RemovalReport report = RemoveFoundRows(rows, {0, 1, 2}, options, run);
  EXPECT_EQ(report.gone, (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(report.kept, (std::vector<std::pair<std::size_t, KeptReason>>{{2, KeptReason::InUse}}));
  EXPECT_EQ(ReadBytes(there), std::string(7, 'j'));
  EXPECT_EQ(ReadBytes(dest / L"errorlog (2).txt"), std::string(3, 'j'));
  EXPECT_EQ(ReadBytes(dest / L"errorlog (3).txt"), std::string(5, 'j'));
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_TRUE(shell.calls[0].flags & FOF_RENAMEONCOLLISION);
}

// A file "long.tmp" at the bottom of folders named by letter, its path over 300 characters.
std::wstring PlantLongPath(const Planted& t, wchar_t letter) {
  std::wstring deep = L"\\\\?\\" + t.root();
  while (deep.size() < 300) {
    deep += L"\\" + std::wstring(60, letter);
    if (!CreateDirectoryW(deep.c_str(), nullptr)) return {};
  }
  const std::wstring file = deep.substr(4) + L"\\long.tmp";
  WriteBytes(file, "long");
  return file;
}

// A path of 260 characters or more goes like any other in each mode, or stays
// with its reason; it never ends the removal of the rows after it.
TEST(Removal, LongPathsGoLikeTheOthers) {
  for (RemovalMode mode : {RemovalMode::DeleteDirectly, RemovalMode::RecycleBin, RemovalMode::MoveToFolder}) {
    SCOPED_TRACE(static_cast<int>(mode));
    Planted t(L"rmlong"), dest(L"rmdest");
    const std::wstring longFile = PlantLongPath(t, L'd');
    ASSERT_TRUE(PathExists(longFile));
    const std::wstring deep = longFile.substr(0, longFile.rfind(L'\\'));
    const std::wstring after = t.file(L"after.tmp");
    std::vector<FoundRow> rows = {File(longFile), File(after), Waste(deep)};
    for (FoundRow& r : rows) r.rootLength = static_cast<std::uint32_t>(t.root().size() + 1);
    RemovalOptions options;
    options.mode = mode;
    options.moveFolder = dest.root();
    TestShell shell;
    FakeRun run;
    const RemovalReport report = RemoveFoundRows(rows, AllRowIndices(rows.size()), options, run);
    EXPECT_FALSE(PathExists(after));
    const bool longWent = std::ranges::binary_search(report.gone, std::size_t{0});
    EXPECT_NE(PathExists(longFile), longWent);
    if (mode != RemovalMode::RecycleBin) EXPECT_TRUE(longWent);
    if (!longWent) EXPECT_EQ(report.kept.at(0), (std::pair<std::size_t, KeptReason>{0, KeptReason::TooLong}));
    if (mode == RemovalMode::MoveToFolder) EXPECT_EQ(ReadBytes(dest / L"long.tmp"), "long");
    if (mode == RemovalMode::RecycleBin) EXPECT_EQ(shell.longRecycles.at(0), longFile);  // asked first, here
    EmptyRecycleBin();
  }
}

// With nobody to answer, a long path never reaches the long-path interface
// (which may ask); whatever goes to the shell goes without a question.
TEST(Removal, UnattendedLongPathsAskNothing) {
  Planted t(L"rmquiet");
  const std::wstring longFile = PlantLongPath(t, L'q');
  ASSERT_TRUE(PathExists(longFile));
  std::vector<FoundRow> rows = {File(longFile), File(t.file(L"after.tmp"))};
  for (FoundRow& r : rows) r.rootLength = static_cast<std::uint32_t>(t.root().size() + 1);
  RemovalOptions options;
  options.mode = RemovalMode::RecycleBin;
  options.unattended = true;
  TestShell shell;
  FakeRun run;
  const RemovalReport report = RemoveFoundRows(rows, AllRowIndices(rows.size()), options, run);
  EXPECT_TRUE(shell.longRecycles.empty());
  ASSERT_FALSE(shell.calls.empty());
  for (const TestShell::Call& call : shell.calls) EXPECT_TRUE(call.flags & FOF_NOCONFIRMATION);
  EXPECT_TRUE(std::ranges::binary_search(report.gone, std::size_t{1}));
  EXPECT_NE(PathExists(longFile), std::ranges::binary_search(report.gone, std::size_t{0}));
  EmptyRecycleBin();
}

// A stop before a row leaves it and every later one untried and listed.
TEST(Removal, AStopLeavesTheRestUntouched) {
  for (RemovalMode mode : {RemovalMode::DeleteDirectly, RemovalMode::RecycleBin}) {
    Planted t(L"rmstop");
    const std::vector<FoundRow> rows = {File(t.file(L"1.tmp")), File(t.file(L"2.tmp")), File(t.file(L"3.tmp"))};
    TestShell shell;
    int asked = 0;
    FakeRun run;
    run.stopWhen = [&] { return ++asked > 1; };
    RemovalOptions options;
    options.mode = mode;
    const RemovalReport report = RemoveFoundRows(rows, AllRowIndices(3), options, run);
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(PathExists(rows[0].path), mode == RemovalMode::RecycleBin);  // the shell's batch is never called
    EXPECT_TRUE(PathExists(rows[1].path) && PathExists(rows[2].path));
    EXPECT_TRUE(report.kept.empty());
    EmptyRecycleBin();
  }
}

}  // namespace
}  // namespace wv::test
