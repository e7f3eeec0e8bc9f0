// The junk-file and daily-file scans over real folders of the prefix.

#include <gtest/gtest.h>

#include "cleaning/cleaning_fixtures.h"
#include "pages/cleaning/clean_page.h"
#include "pages/cleaning/junk_files_page.h"
#include "pages/cleaning/daily_files_page.h"
#include "app/catalogue.h"
#include "core/known_folders.h"

namespace wv::test {
namespace {

std::vector<std::wstring> Junk(const JunkScanInput& in, JunkScanResult* result = nullptr) {
  RowModel rows;
  FakeRun run;
  const JunkScanResult r = JunkFileScan(in, run, ShowIn(rows, FormatJunkRow));
  if (result) *result = r;
  return Captions(rows.rows());
}

// The catalogue's masks, and "*.ini" to show that a skipped name is skipped by name.
JunkScanInput FolderScan(const std::wstring& folder) {
  JunkScanInput in{.mode = JunkScanMode::ChosenFolder, .folder = folder};
  for (const CatalogueRow& row : CatalogueRows(Module::JunkFiles)) in.masks.emplace_back(row.caption);
  in.masks.push_back(L"*.ini");
  return in;
}

TEST(JunkScan, SkippedNamesAttributesAndFilesInUseDecide) {
  const std::tuple<const wchar_t*, bool, DWORD> cases[] = {  // path, listed, attributes
      {L"Trek\\x.tmp", true, 0},
      {L"hidden.tmp", true, FILE_ATTRIBUTE_HIDDEN},
      {L"readonly.tmp", true, FILE_ATTRIBUTE_READONLY},
      {L"notes.txt", false, 0},
      {L"Desktop.INI", false, 0},    // a skipped name, in another case
      {L"mydata.bak", false, 0},     // "data.bak" anywhere in the name
      {L"Travel\\x.tmp", false, 0},  // the folder's path contains "rav"
      {L"system.tmp", false, FILE_ATTRIBUTE_SYSTEM},
      {L"SysDir\\x.tmp", false, 0},  // in a system folder
      {L"busy.tmp", false, 0},       // in use
  };
  Planted t(L"names");
  std::vector<std::wstring> want = {t.file(L"big.tmp")};  // grown past 4 GiB below: the size is kept in full
  for (const auto& [path, listed, attributes] : cases) {
    const std::wstring f = t.file(path);
    ASSERT_TRUE(!attributes || SetFileAttributesW(f.c_str(), attributes));
    if (listed) want.push_back(f);
  }
  ASSERT_TRUE(SetFileAttributesW((t / L"SysDir").c_str(), FILE_ATTRIBUTE_SYSTEM));
  {
    UniqueFile h(CreateFileW(want[0].c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(SetFilePointerEx(h.get(), LARGE_INTEGER{.QuadPart = 5LL << 30}, nullptr, FILE_BEGIN) && SetEndOfFile(h.get()));
  }
  UniqueFile busy = Hold(t / L"busy.tmp");
  ASSERT_TRUE(busy.valid());
  JunkScanResult result;
  EXPECT_EQ(Sorted(Junk(FolderScan(t.root()), &result)), Sorted(want));
  EXPECT_EQ(result.total, (5ULL << 30) + 12);
  EXPECT_EQ(JunkScanSummary(result), L"扫描到符合条件的垃圾文件共 4 项,占用 5.00 GB 硬盘空间");
}

TEST(JunkScan, ExclusionsAndKnownFoldersAreFoundAsTextInThePathOrItsShortForm) {
  Planted t(L"exclude");
  const std::vector<std::wstring> all = {t.file(L"A Long Kept Folder\\c.tmp"), t.file(L"Keep\\a.tmp"),
                                         t.file(L"Keeper\\b.tmp"), t.file(L"Recent\\d.tmp")};  // sorted
  const std::wstring longKept = t / L"A Long Kept Folder";
  std::wstring shortKept(MAX_PATH, L'\0');
  shortKept.resize(GetShortPathNameW(longKept.c_str(), shortKept.data(), MAX_PATH));
  ASSERT_NE(ToUpper(shortKept), ToUpper(longKept)) << "the prefix should give this folder a short name";
  KnownFolders recent;
  recent.RecentDir = t / L"Recent";
  const std::tuple<std::wstring, KnownFolders, std::vector<std::wstring>> cases[] = {
      {t / L"Keep", {}, {all[0], all[3]}},                    // a sibling that begins the same goes too
      {ToUpper(t / L"keep\\"), {}, {all[0], all[2], all[3]}},  // with the backslash only the folder itself
      {shortKept, {}, {all[1], all[2], all[3]}},              // found in the short form only
      {L"", recent, {all[0], all[1], all[2]}},                // an empty row excludes nothing
      {L"", {}, all},                                         // nor does an unresolved known folder
  };
  for (const auto& [exclusion, known, listed] : cases) {
    JunkScanInput in = FolderScan(t.root());
    in.exclusions = {exclusion};
    in.known = known;
    EXPECT_EQ(Sorted(Junk(in)), listed) << exclusion;
  }
}

// A daily scan, its rows as the page shows them; stops once stopAt rows are listed.
struct Daily {
  RowModel rows;
  FakeRun run;
  DailyScanResult result;
  explicit Daily(const DailyScanInput& in, std::size_t stopAt = SIZE_MAX) {
    run.stopWhen = [this, stopAt] { return rows.size() >= stopAt; };
    result = DailyFileScan(in, run, ShowIn(rows, FormatDailyRow));
  }
  [[nodiscard]] int index(const std::wstring& path) const { return RowIndex(rows, path); }
  [[nodiscard]] bool waste(const std::wstring& p) const { return index(p) >= 0 && rows.at(index(p)).column(1) == kWasteFolderText; }
  [[nodiscard]] bool file(const std::wstring& path) const { return index(path) >= 0 && !waste(path); }
};

DailyScanInput UserRows(const std::vector<UserCleanFolder>& rows) {
  DailyScanInput in{.userFolders = rows};
  in.items[4] = true;
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
  const std::pair<std::wstring, std::wstring> bases[] = {
      {k.WindowsTempDir + tag, L"系统临时文件"}, {k.TempDir + tag, L"系统临时文件"}, {k.RecentDir + tag, L"文档访问记录"}};
  Planted p;
  std::vector<UniqueFile> held;
  for (const auto& [base, description] : bases) {
    ASSERT_GT(base.size(), tag.size());  // the folder is known
    for (const wchar_t* f : {L"\\x.tmp", L"\\sub\\deeper\\y.dat", L"\\busy\\deep\\z.tmp", L"\\Logs\\keep.log",
                             L"\\Log\\gone.log", L"\\mixed\\Desktop.ini"})
      ASSERT_FALSE(p.file(base + f).empty());
    for (const wchar_t* f : {L"\\busy\\deep\\z.tmp", L"\\Logs\\keep.log"}) ASSERT_TRUE(held.emplace_back(Hold(base + f)).valid());
  }
  const Daily daily(DailyScanInput{.items = {true, true, false, false, false}, .known = k});
  for (const auto& [base, description] : bases) {
    SCOPED_TRACE(base);
    const bool recent = description == L"文档访问记录";
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
    EXPECT_EQ(daily.rows.at(daily.index(base + L"\\sub")).column(2), description);
  }
}

// The two log items at their real folders: only the named logs, only in the
// folder itself, never a waste folder.
TEST(DailyScan, TheLogItemsFindTheirLogsAndNothingElse) {
  const KnownFolders k = ResolveKnownFolders();
  ASSERT_FALSE(k.WindowsDir.empty() || k.SystemDir.empty() || k.ProgramFilesDir.empty());
  const std::wstring id = std::to_wstring(GetCurrentProcessId()), ewido = k.ProgramFilesDir + L"\\Ewido Anti-Malware";
  const std::pair<std::wstring, const wchar_t*> plants[] = {  // nullptr: not listed
      {k.WindowsDir + L"\\KB" + id + L".log", L"系统操作日志"},
      {k.WindowsDir + L"\\Vantorra" + id + L".log", nullptr},
      {k.WindowsDir + L"\\Vantorra" + id + L"\\KB1.log", nullptr},
      {k.SystemDir + L"\\wbem\\Logs\\Vantorra" + id + L".log", L"系统操作日志"},
      {ewido + L"\\logfile.txt", L"软件使用日志"},
      {ewido + L"\\sub\\logfile.txt", nullptr},
  };
  Planted p;
  for (const auto& [path, description] : plants) ASSERT_FALSE(p.file(path).empty()) << path;
  const Daily daily(DailyScanInput{.items = {false, false, true, true, false}, .known = k});
  for (const auto& [path, description] : plants) {
    const int row = daily.index(path);
    EXPECT_EQ(row < 0 ? std::wstring() : daily.rows.at(row).column(2), description ? description : L"") << path;
  }
  for (const ListRow& r : daily.rows.rows()) EXPECT_NE(r.column(1), kWasteFolderText) << r.caption;
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
    for (const ListRow& r : daily.rows.rows()) {
      (r.column(1) == kWasteFolderText ? waste : files).push_back(r.caption.substr(t.root().size() + 1));
      EXPECT_EQ(r.column(2), L"用户自定");
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
// back to its own parent, so "sub" is no waste folder either.
TEST(CleaningScans, LinkedFoldersAreNeitherEnteredNorWaste) {
  const std::wstring tree = L"C:\\WindowsVantorraFixtures\\links\\tree";
  const DWORD link = GetFileAttributesW((tree + L"\\sub\\loop").c_str());
  ASSERT_TRUE(link != INVALID_FILE_ATTRIBUTES && (link & FILE_ATTRIBUTE_REPARSE_POINT)) << "run through ctest";
  ASSERT_TRUE(FileExists(tree + L"\\out\\outside.tmp"));
  const std::vector<std::wstring> inside = {tree + L"\\inside.tmp", tree + L"\\sub\\deeper.tmp"};
  EXPECT_EQ(Sorted(Junk({.mode = JunkScanMode::ChosenFolder, .folder = tree, .masks = {L"*.tmp"}})), inside);
  EXPECT_EQ(Sorted(Captions(Daily(UserRows({User(tree)})).rows.rows())), inside);
}

}  // namespace
}  // namespace wv::test
