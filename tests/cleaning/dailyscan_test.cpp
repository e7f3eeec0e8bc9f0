#include <gtest/gtest.h>

#include <algorithm>

#include "cleaning/cleaning_fixtures.h"
#include "cleaning/wjqlline.h"
#include "cleaning/wjrcline.h"
#include "cleaning/wjrcpage.h"
#include "cleaning/wjqlpage.h"
#include "cleaning/cleanpage.h"
#include "core/knownfolders.h"
#include "core/text.h"

namespace wv::test {
namespace {

struct Daily {
  RowModel rows;
  FakeRun run;
  DailyScanResult result;
  // Stops once stopAt rows are listed.
  explicit Daily(const DailyScanInput& in, std::size_t stopAt = SIZE_MAX)
      : run([this, stopAt] { return rows.size() >= stopAt; }) {
    result = DailyFileScan(in, run, ShowIn(rows, FormatDailyRow));
  }
  int index(const std::wstring& path) const { return RowIndex(rows, path); }
  bool file(const std::wstring& path) const { return index(path) >= 0 && !waste(path); }
  bool waste(const std::wstring& path) const {
    return index(path) >= 0 && rows.at(index(path)).column(1) == kWasteFolderText;
  }
  // Paths below root, files and waste folders apart, as listed.
  void split(const std::wstring& root, std::vector<std::wstring>& files, std::vector<std::wstring>& folders) const {
    for (const ListRow& r : rows.rows())
      (r.column(1) == kWasteFolderText ? folders : files).push_back(r.caption.substr(root.size() + 1));
  }
};

UserCleanFolder User(const std::wstring& folder, bool subfolders, bool givenTypes, std::wstring types = L"") {
  return UserCleanFolder{true, folder, subfolders, givenTypes, std::move(types)};
}

DailyScanInput UserRows(std::vector<UserCleanFolder> rows) {
  DailyScanInput in;
  in.items[4] = true;
  in.userFolders = std::move(rows);
  return in;
}

// The same tree in both temporary folders and among the recent documents, where
// "desktop.ini" is a skipped name.
TEST(DailyScan, WasteFoldersAreThoseLeftEmptyDeepestFirst) {
  const KnownFolders k = ResolveKnownFolders();
  const std::wstring tag = L"\\VantorraDaily_" + std::to_wstring(GetCurrentProcessId());
  struct Base {
    std::wstring path;
    const wchar_t* description;
    bool recent;
  };
  const Base bases[] = {{k.WindowsTempDir + tag, L"系统临时文件", false},
                        {k.TempDir + tag, L"系统临时文件", false},
                        {k.RecentDir + tag, L"文档访问记录", true}};
  Planted p;
  std::vector<UniqueFile> held;
  for (const Base& b : bases) {
    ASSERT_GT(b.path.size(), tag.size());
    for (const wchar_t* f : {L"\\x.tmp", L"\\sub\\deeper\\y.dat", L"\\busy\\deep\\z.tmp", L"\\Logs\\keep.log",
                             L"\\Log\\gone.log", L"\\mixed\\Desktop.ini"})
      ASSERT_FALSE(p.file(b.path + f).empty());
    held.push_back(Hold(b.path + L"\\busy\\deep\\z.tmp"));
    held.push_back(Hold(b.path + L"\\Logs\\keep.log"));
    ASSERT_TRUE(held[held.size() - 2].valid() && held.back().valid());
  }
  DailyScanInput in;
  in.items = {true, true, false, false, false};
  in.known = k;
  const Daily daily(in);
  for (const Base& b : bases) {
    SCOPED_TRACE(b.path);
    const std::wstring base = b.path;
    for (const wchar_t* f : {L"\\x.tmp", L"\\sub\\deeper\\y.dat", L"\\Log\\gone.log"}) EXPECT_TRUE(daily.file(base + f));
    EXPECT_EQ(daily.file(base + L"\\mixed\\Desktop.ini"), !b.recent);
    EXPECT_EQ(daily.waste(base + L"\\mixed"), !b.recent);
    EXPECT_TRUE(daily.waste(base + L"\\sub\\deeper"));
    EXPECT_TRUE(daily.waste(base + L"\\sub"));
    EXPECT_LT(daily.index(base + L"\\sub\\deeper"), daily.index(base + L"\\sub"));
    EXPECT_LT(daily.index(base + L"\\x.tmp"), daily.index(base + L"\\sub\\deeper"));
    // In use, with every folder above it; "Log" lies beside the incomplete "Logs".
    for (const wchar_t* kept : {L"\\busy\\deep\\z.tmp", L"\\Logs\\keep.log", L"\\busy\\deep", L"\\busy", L"\\Logs",
                                L"\\Log", L""})
      EXPECT_EQ(daily.index(base + kept), -1) << kept;
    EXPECT_EQ(daily.rows.at(daily.index(base + L"\\sub")).column(2), b.description);
  }
}

// The two log items at their real folders: only the named logs, only in the
// folder itself, never a waste folder. Files that are there already are left alone.
TEST(DailyScan, TheLogItemsFindTheirLogsAndNothingElse) {
  const KnownFolders k = ResolveKnownFolders();
  const std::wstring id = std::to_wstring(GetCurrentProcessId());
  Planted p;
  struct Plant {
    std::wstring path;
    const wchar_t* description;  // nullptr: must not be listed
  };
  const wchar_t* system = L"系统操作日志";
  const wchar_t* software = L"软件使用日志";
  const std::wstring programs = k.ProgramFilesDir;
  const Plant plants[] = {
      {k.WindowsDir + L"\\KB" + id + L".log", system},
      {k.WindowsDir + L"\\setuperr.log", system},
      {k.WindowsDir + L"\\Vantorra" + id + L".log", nullptr},
      {k.WindowsDir + L"\\Vantorra" + id + L"\\KB1.log", nullptr},  // below: not walked
      {k.WindowsDir + L"\\repair\\setupapi.log", system},
      {k.WindowsDir + L"\\repair\\setupact.log", nullptr},
      {k.SystemDir + L"\\wbem\\Logs\\Vantorra" + id + L".log", system},
      {k.SystemDir + L"\\wbem\\Logs\\Vantorra" + id + L".txt", nullptr},
      {k.SystemDir + L"\\CatRoot2\\dberr.txt", system},
      {programs + L"\\Real\\RealPlayer\\realplayer.ste", software},
      {programs + L"\\Ahead\\Nero\\NeroHistory.log", software},
      {programs + L"\\Raxco\\PerfectDisk\\7.0\\PerfectDisk.log", software},
      {programs + L"\\Ewido\\Security Suite\\logfile.txt", software},
      {programs + L"\\Ewido Anti-Malware\\logfile.txt", software},
      {programs + L"\\Ewido Anti-Malware\\other.txt", nullptr},
      {programs + L"\\ewido anti-spyware 4.0\\logfile.txt", software},
      {programs + L"\\Grisoft\\AVG Anti-Spyware 7.5\\logfile.txt", software},
      {programs + L"\\Grisoft\\AVG Anti-Spyware 7.5\\sub\\logfile.txt", nullptr},
  };
  ASSERT_FALSE(k.WindowsDir.empty() || k.SystemDir.empty() || programs.empty());
  std::vector<const Plant*> planted;
  for (const Plant& plant : plants)
    if (!p.file(plant.path).empty()) planted.push_back(&plant);
  ASSERT_GE(planted.size(), 14u) << "most of them are new to the prefix";

  DailyScanInput in;
  in.items = {false, false, true, true, false};
  in.known = k;
  const Daily daily(in);
  for (const Plant* plant : planted) {
    SCOPED_TRACE(plant->path);
    const int row = daily.index(plant->path);
    ASSERT_EQ(row >= 0, plant->description != nullptr);
    if (row >= 0) {
      EXPECT_EQ(daily.rows.at(static_cast<std::size_t>(row)).column(2), plant->description);
    }
  }
  for (const ListRow& r : daily.rows.rows()) EXPECT_NE(r.column(1), kWasteFolderText) << r.caption;
}

TEST(DailyScan, UnresolvedKnownFoldersYieldNothing) {
  for (int position = 0; position < 4; ++position)
    for (const DailyLocation& l : DailyLocations(position, KnownFolders{})) EXPECT_EQ(l.folder, L"") << position;
  DailyScanInput in;
  in.items = {true, true, true, true, false};
  const Daily daily(in);
  EXPECT_TRUE(daily.rows.empty());
  EXPECT_EQ(DailyScanSummary(daily.result), L"未扫描到符合条件的垃圾文件或目录");
}

TEST(DailyScan, UserDefinedFolders) {
  Planted t(L"userdef");
  for (const wchar_t* f : {L"a.tmp", L"~wrl0001", L"b.txt", L"x.[abc", L"sub\\c.tmp", L"sub\\d.txt", L"sub\\deep\\e.tmp"})
    t.file(f);
  UserCleanFolder unticked = User(t.root(), true, false);
  unticked.ticked = false;
  struct Case {
    const wchar_t* label;
    UserCleanFolder row;
    std::vector<std::wstring> files;  // sorted
    std::vector<std::wstring> waste;  // in order
  };
  const Case cases[] = {
      {L"types with a padded and an empty piece", User(t.root(), true, true, L" *.tmp |  | ~*.* "),
       {L"a.tmp", L"sub\\c.tmp", L"sub\\deep\\e.tmp", L"~wrl0001"}, {}},
      {L"a piece that is no mask is left out", User(t.root(), false, true, L"[abc|*.txt"), {L"b.txt"}, {}},
      {L"no valid piece at all", User(t.root(), true, true, L"[abc"), {}, {}},
      {L"everything, subfolders excluded", User(t.root(), false, false), {L"a.tmp", L"b.txt", L"x.[abc", L"~wrl0001"}, {}},
      {L"everything with subfolders", User(t.root(), true, false),
       {L"a.tmp", L"b.txt", L"sub\\c.tmp", L"sub\\d.txt", L"sub\\deep\\e.tmp", L"x.[abc", L"~wrl0001"},
       {L"sub\\deep", L"sub"}},
      {L"not ticked", unticked, {}, {}},
      {L"a folder that is gone", User(t / L"gone", true, false), {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const Daily daily(UserRows({c.row}));
    std::vector<std::wstring> files, waste;
    daily.split(t.root(), files, waste);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, c.files);
    EXPECT_EQ(waste, c.waste);
    for (const ListRow& r : daily.rows.rows()) EXPECT_EQ(r.column(2), L"用户自定");
  }
}

// A settings file edited by hand may hold a folder that is no full path: it is
// skipped, never taken relative to the current folder, where it does exist here.
TEST(DailyScan, AUserFolderThatIsNoFullPathIsSkipped) {
  Planted t(L"relative");
  const std::wstring file = t.file(L"rel\\a.tmp");
  std::wstring previous(MAX_PATH, L'\0');
  previous.resize(GetCurrentDirectoryW(MAX_PATH, previous.data()));
  ASSERT_TRUE(SetCurrentDirectoryW(t.root().c_str()));
  const std::wstring rootRelative = t.root().substr(2) + L"\\rel";  // "\WindowsVantorraTests\...\rel"
  for (const std::wstring& folder : {std::wstring(L"rel"), std::wstring(L".\\rel"), std::wstring(L"C:rel"), rootRelative}) {
    SCOPED_TRACE(folder);
    ASSERT_TRUE(DirectoryExists(folder)) << "the current folder makes it exist";
    EXPECT_TRUE(Daily(UserRows({User(folder, true, false)})).rows.empty());
  }
  const Daily full(UserRows({User(t / L"rel", true, false)}));
  EXPECT_EQ(Captions(full.rows.rows()), std::vector<std::wstring>{file});
  SetCurrentDirectoryW(previous.c_str());
}

TEST(DailyScan, AStoppedScanListsNoWasteFolders) {
  Planted t(L"dailystop");
  for (const wchar_t* f : {L"A\\1.tmp", L"A\\2.tmp", L"B\\3.tmp", L"B\\4.tmp", L"C\\5.tmp"}) t.file(f);
  const Daily daily(UserRows({User(t.root(), true, false)}), 2);
  EXPECT_TRUE(daily.result.stopped);
  EXPECT_EQ(daily.rows.size(), 2u);
  EXPECT_FALSE(daily.waste(t / L"A"));
}

// A folder that cannot be read (no rights, say) may still hold anything.
class UnreadableFolder : public Win32FileSystem {
 public:
  explicit UnreadableFolder(std::wstring folder) : prefix_(std::move(folder) + L"\\") {}
  std::unique_ptr<DirSearch> search(std::wstring_view pattern, bool foldersOnly) override {
    return StartsWithNoCase(pattern, prefix_) ? nullptr : Win32FileSystem::search(pattern, foldersOnly);
  }

 private:
  std::wstring prefix_;
};

TEST(DailyScan, AFolderThatCannotBeReadIsNoWaste) {
  Planted t(L"unreadable");
  t.file(L"clean\\b.tmp");
  t.file(L"Locked\\inner\\secret.doc");
  UnreadableFolder files(t / L"Locked");
  Substitute<FileSystem> swap(&Platform::files, files);
  const Daily daily(UserRows({User(t.root(), true, false)}));
  EXPECT_TRUE(daily.waste(t / L"clean"));
  EXPECT_EQ(daily.index(t / L"Locked"), -1);
  EXPECT_EQ(daily.index(t / L"Locked\\inner"), -1);
}

// The links of scripts/make-test-links: one out of the tree, one back to its own parent.
TEST(CleaningScans, LinkedFoldersAreNeitherEnteredNorWaste) {
  const std::wstring tree = L"C:\\WindowsVantorraFixtures\\links\\tree";
  const DWORD link = GetFileAttributesW((tree + L"\\sub\\loop").c_str());
  ASSERT_TRUE(link != INVALID_FILE_ATTRIBUTES && (link & FILE_ATTRIBUTE_REPARSE_POINT)) << "run through ctest";
  ASSERT_TRUE(FileExists(tree + L"\\out\\outside.tmp"));
  const std::vector<std::wstring> inside = {tree + L"\\inside.tmp", tree + L"\\sub\\deeper.tmp"};

  JunkScanInput junk;
  junk.mode = JunkScanMode::ChosenFolder;
  junk.folder = tree;
  junk.masks = {L"*.tmp"};
  RowModel rows;
  FakeRun run;
  static_cast<void>(JunkFileScan(junk, run, ShowIn(rows, FormatJunkRow)));
  std::vector<std::wstring> listed = Captions(rows.rows());
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, inside);

  // "sub" holds the link back to itself, so it is no waste folder either.
  const Daily daily(UserRows({User(tree, true, false)}));
  listed = Captions(daily.rows.rows());
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, inside);
}

}  // namespace
}  // namespace wv::test
