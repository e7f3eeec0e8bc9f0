// The daily file scan over real folders of the prefix: the known folders where
// the program reads them, and the user's own folders.

#include <gtest/gtest.h>

#include "engines/cleaning/cleaning_fixtures.h"
#include "engines/cleaning/daily_files_scan.h"
#include "engines/cleaning/junk_scan.h"
#include "core/known_folders.h"

namespace wv::test {
namespace {

// A daily scan and its rows; stops once stopAt rows are listed.
struct Daily {
  std::vector<FoundRow> rows;
  FakeRun run;
  DailyScanResult result;
  explicit Daily(const DailyScanInput& in, std::size_t stopAt = SIZE_MAX) {
    run.stopWhen = [this, stopAt] { return rows.size() >= stopAt; };
    result = DailyFileScan(in, run, [this](FoundRow row) { rows.push_back(std::move(row)); });
  }
  [[nodiscard]] int index(const std::wstring& path) const { return RowIndex(rows, path); }
  [[nodiscard]] const FoundRow* row(const std::wstring& path) const { return index(path) < 0 ? nullptr : &rows[index(path)]; }
  // The row, or an empty one (item -1) when none has this path.
  [[nodiscard]] FoundRow at(const std::wstring& p) const { return row(p) ? *row(p) : FoundRow{}; }
  [[nodiscard]] bool waste(const std::wstring& p) const { return row(p) && row(p)->kind == FoundKind::WasteFolder; }
  [[nodiscard]] bool file(const std::wstring& p) const { return row(p) && row(p)->kind == FoundKind::File; }
};

// The scan items by catalogue position.
constexpr int kTempFolders = 0, kRecentDocuments = 1, kSystemLogs = 2, kSoftwareLogs = 3, kUserFolders = 4;

DailyScanInput UserRows(const std::vector<UserCleanFolder>& rows) {
  DailyScanInput in{.userFolders = rows};
  in.items[kUserFolders] = true;
  return in;
}

UserCleanFolder User(const std::wstring& folder, bool subfolders = true, const wchar_t* types = nullptr) {
  return UserCleanFolder{true, folder, subfolders, types != nullptr, types ? types : L""};
}

// The same tree in both temporary folders and among the recent documents, where
// "desktop.ini" is a skipped name. A folder with a file in use is no waste, nor
// is any folder above it.
TEST(DailyScan, WasteFoldersAreThoseLeftEmptyDeepestFirst) {
  const KnownFolders k = ResolveKnownFolders();
  const std::wstring tag = L"\\VantorraDaily_" + std::to_wstring(GetCurrentProcessId());
  const std::pair<std::wstring, int> bases[] = {
      {k.WindowsTempDir + tag, kTempFolders}, {k.TempDir + tag, kTempFolders}, {k.RecentDir + tag, kRecentDocuments}};
  Planted p;
  std::vector<UniqueFile> held;
  for (const auto& [base, item] : bases) {
    ASSERT_GT(base.size(), tag.size());  // the folder is known
    for (const wchar_t* f : {L"\\x.tmp", L"\\sub\\deeper\\y.dat", L"\\busy\\deep\\z.tmp", L"\\Logs\\keep.log",
                             L"\\Log\\gone.log", L"\\mixed\\Desktop.ini"})
      ASSERT_FALSE(p.file(base + f).empty());
    for (const wchar_t* f : {L"\\busy\\deep\\z.tmp", L"\\Logs\\keep.log"}) ASSERT_TRUE(held.emplace_back(Hold(base + f)).valid());
  }
  const Daily daily(DailyScanInput{.items = {true, true, false, false, false}, .known = k});
  for (const auto& [base, item] : bases) {
    SCOPED_TRACE(base);
    const bool recent = item == kRecentDocuments;
    for (const wchar_t* f : {L"\\x.tmp", L"\\sub\\deeper\\y.dat", L"\\Log\\gone.log"}) EXPECT_TRUE(daily.file(base + f));
    EXPECT_EQ(daily.file(base + L"\\mixed\\Desktop.ini"), !recent);
    EXPECT_EQ(daily.waste(base + L"\\mixed"), !recent);
    EXPECT_TRUE(daily.waste(base + L"\\sub\\deeper") && daily.waste(base + L"\\sub"));
    EXPECT_LT(daily.index(base + L"\\x.tmp"), daily.index(base + L"\\sub\\deeper"));
    EXPECT_LT(daily.index(base + L"\\sub\\deeper"), daily.index(base + L"\\sub"));
    // "Log" lies beside the incomplete "Logs".
    for (const wchar_t* kept : {L"\\busy\\deep\\z.tmp", L"\\Logs\\keep.log", L"\\busy\\deep", L"\\busy", L"\\Logs",
                                L"\\Log", L""})
      EXPECT_EQ(daily.index(base + kept), -1) << kept;
    for (const wchar_t* f : {L"\\x.tmp", L"\\sub"}) EXPECT_EQ(daily.at(base + f).item, item) << f;
    EXPECT_EQ(daily.at(base + L"\\x.tmp").size, 4u);
  }
}

// The two log items at their real folders: only the named logs, only in the
// folder itself, never a waste folder.
TEST(DailyScan, TheLogItemsFindTheirLogsAndNothingElse) {
  const KnownFolders k = ResolveKnownFolders();
  ASSERT_FALSE(k.WindowsDir.empty() || k.SystemDir.empty() || k.ProgramFilesDir.empty());
  const std::wstring id = std::to_wstring(GetCurrentProcessId()), ewido = k.ProgramFilesDir + L"\\Ewido Anti-Malware";
  const std::pair<std::wstring, int> plants[] = {  // the item that lists it, -1 for none
      {k.WindowsDir + L"\\KB" + id + L".log", kSystemLogs},
      {k.WindowsDir + L"\\Vantorra" + id + L".log", -1},
      {k.WindowsDir + L"\\Vantorra" + id + L"\\KB1.log", -1},
      {k.SystemDir + L"\\wbem\\Logs\\Vantorra" + id + L".log", kSystemLogs},
      {ewido + L"\\logfile.txt", kSoftwareLogs},
      {ewido + L"\\sub\\logfile.txt", -1},
  };
  Planted p;
  for (const auto& [path, item] : plants) ASSERT_FALSE(p.file(path).empty()) << path;
  const Daily daily(DailyScanInput{.items = {false, false, true, true, false}, .known = k});
  for (const auto& [path, item] : plants) EXPECT_EQ(daily.at(path).item, item) << path;
  for (const FoundRow& r : daily.rows) EXPECT_EQ(r.kind, FoundKind::File) << r.path;
}

// Never "\repair" and the like, taken from the current drive's root.
TEST(DailyScan, UnresolvedKnownFoldersYieldNothing) {
  for (int position = 0; position < 4; ++position)
    for (const DailyLocation& l : DailyLocations(position, KnownFolders{})) EXPECT_EQ(l.folder, L"") << position;
}

// A folder that is no full path (a settings file edited by hand) is skipped,
// never taken relative to the current folder, where it does exist here.
TEST(DailyScan, UserDefinedFolders) {
  Planted t(L"userdef");
  for (const wchar_t* f : {L"a.tmp", L"~wrl0001", L"b.txt", L"x.[abc", L"sub\\c.tmp", L"sub\\d.txt", L"sub\\deep\\e.tmp"})
    t.file(f);
  const std::wstring rootRelative = t.root().substr(2) + L"\\sub";  // "\WindowsVantorraTests\...\sub"
  struct Case { const wchar_t* label; UserCleanFolder row; std::vector<std::wstring> files, waste; };  // waste in order
  const Case cases[] = {
      {L"types with a padded and an empty piece", User(t.root(), true, L" *.tmp |  | ~*.* "),
       {L"a.tmp", L"sub\\c.tmp", L"sub\\deep\\e.tmp", L"~wrl0001"}, {}},
      {L"a piece that is no mask is left out", User(t.root(), false, L"[abc|*.txt"), {L"b.txt"}, {}},
      {L"no valid piece at all", User(t.root(), true, L"[abc"), {}, {}},
      {L"everything, subfolders excluded", User(t.root(), false), {L"a.tmp", L"b.txt", L"x.[abc", L"~wrl0001"}, {}},
      {L"everything with subfolders", User(t.root()),
       {L"a.tmp", L"b.txt", L"sub\\c.tmp", L"sub\\d.txt", L"sub\\deep\\e.tmp", L"x.[abc", L"~wrl0001"},
       {L"sub\\deep", L"sub"}},
      {L"not ticked", {false, t.root(), true, false, L""}, {}, {}},
      {L"relative", User(L"sub"), {}, {}},
      {L"relative to the current folder of C:", User(L"C:sub"), {}, {}},
      {L"relative to the current drive", User(rootRelative), {}, {}},
  };
  std::wstring previous(MAX_PATH, L'\0');
  previous.resize(GetCurrentDirectoryW(MAX_PATH, previous.data()));
  ASSERT_TRUE(SetCurrentDirectoryW(t.root().c_str()));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const Daily daily(UserRows({c.row}));
    std::vector<std::wstring> files, waste;
    for (const FoundRow& r : daily.rows) {
      (r.kind == FoundKind::WasteFolder ? waste : files).push_back(r.path.substr(t.root().size() + 1));
      EXPECT_EQ(r.item, kUserFolders);
    }
    EXPECT_EQ(Sorted(files), c.files);
    EXPECT_EQ(waste, c.waste);
  }
  for (const wchar_t* relative : {L"sub", L"C:sub"}) EXPECT_TRUE(DirectoryExists(relative)) << relative;
  EXPECT_TRUE(DirectoryExists(rootRelative));
  SetCurrentDirectoryW(previous.c_str());
}

// A stopped scan lists no waste folders; a folder that cannot be read (no rights,
// say) may still hold anything.
TEST(DailyScan, NoWasteFromAStoppedScanOrAnUnreadableFolder) {
  Planted t(L"nowaste");
  for (const wchar_t* f : {L"A\\1.tmp", L"A\\2.tmp", L"B\\3.tmp", L"Locked\\inner\\secret.doc"}) t.file(f);
  const Daily stopped(UserRows({User(t.root())}), 2);
  EXPECT_TRUE(stopped.result.stopped && stopped.rows.size() == 2 && !stopped.waste(t / L"A"));
  const std::wstring locked = t / L"Locked\\";
  RefusingFiles files([&](std::wstring_view pattern) { return StartsWithNoCase(pattern, locked); }, false);
  const Daily daily(UserRows({User(t.root())}));
  EXPECT_TRUE(daily.waste(t / L"A") && daily.waste(t / L"B"));
  EXPECT_TRUE(daily.index(t / L"Locked") == -1 && daily.index(t / L"Locked\\inner") == -1);
}

// The links of scripts/make-test-links: "out" leads out of the tree, "sub\loop"
// back to its own parent, so "sub" is no waste folder either; the junk scan
// walks the same tree.
TEST(FileScans, LinkedFoldersAreNeitherEnteredNorWaste) {
  const std::wstring tree = L"C:\\WindowsVantorraFixtures\\links\\tree";
  const DWORD link = GetFileAttributesW((tree + L"\\sub\\loop").c_str());
  ASSERT_TRUE(link != INVALID_FILE_ATTRIBUTES && (link & FILE_ATTRIBUTE_REPARSE_POINT)) << "run through ctest";
  ASSERT_TRUE(FileExists(tree + L"\\out\\outside.tmp"));
  const std::vector<std::wstring> inside = {tree + L"\\inside.tmp", tree + L"\\sub\\deeper.tmp"};
  std::vector<FoundRow> junk;
  FakeRun run;
  JunkFileScan({.mode = JunkScanMode::ChosenFolder, .folder = tree, .masks = {L"*.tmp"}}, run,
               [&](FoundRow row) { junk.push_back(std::move(row)); });
  EXPECT_EQ(Sorted(Paths(junk)), inside);
  EXPECT_EQ(Sorted(Paths(Daily(UserRows({User(tree)})).rows)), inside);
}

}  // namespace
}  // namespace wv::test
