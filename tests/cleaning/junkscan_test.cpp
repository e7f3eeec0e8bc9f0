#include <gtest/gtest.h>

#include <algorithm>

#include "cleaning/cleaning_fixtures.h"
#include "cleaning/wjqlline.h"
#include "core/initline.h"
#include "core/publline.h"
#include "support/testsupport.h"

namespace wv::test {
namespace {

std::vector<std::wstring> CatalogueMasks() {
  std::vector<std::wstring> out;
  for (const CatalogueRow& row : CatalogueRows(L"wjql")) out.emplace_back(row.caption);
  return out;
}

struct Scan {
  RowModel rows;
  FakeRun run;
  JunkScanResult result;

  explicit Scan(std::function<bool()> stopWhen = {}) : run(std::move(stopWhen)) {}

  void folder(const std::wstring& path, std::vector<std::wstring> masks = CatalogueMasks(),
              std::vector<std::wstring> exclusions = {}, KnownFolders known = {}) {
    JunkScanInput in;
    in.mode = JunkScanMode::ChosenFolder;
    in.folder = path;
    in.masks = std::move(masks);
    in.exclusions = std::move(exclusions);
    in.known = std::move(known);
    result = JunkFileScan(in, run, rows);
    ASSERT_FALSE(run.limitHit) << "the walk did not end";
  }
  bool listed(const std::wstring& path) const { return RowIndex(rows, path) >= 0; }
};

// Masks as the scan applies them, on real files.
TEST(JunkScan, MasksMatchWholeNamesWithoutRegardToCase) {
  struct Case {
    const wchar_t* name;
    bool listed;
  };
  const Case cases[] = {
      {L"~WRL0001", true},        // "~*.*" also takes a name without a dot
      {L"~a.tmp", true},          //
      {L"x.ab$", true},           // "*.??$"
      {L"x.a$", false},           // one character too few
      {L"01234567.nch", true},    // "0???????.nch"
      {L"0abcdefg.NCH", true},    //
      {L"0123456.nch", false},    // seven characters
      {L"11234567.nch", false},   // does not begin with 0
      {L"chklist.ms", true},      // "chklist.*"
      {L"chklist", false},        // ... needs the dot
      {L"REPORT.BAK", true},      // letters in any case
      {L"errorlog.txt", true},    // a whole name
      {L"myerrorlog.txt", false}, // ... matched as a whole
      {L"Thumbs.db", true},
      {L"Thumbs.db.txt", false},
      {L"x.$$$", true},
      {L"picture.cdr_", true},    // an optional mask, given here
      {L"notes.txt", false},
      {L"README", false},
  };
  TempFolder root(L"masks");
  for (const Case& c : cases) root.file(c.name, "abc");
  Scan scan;
  scan.folder(root.path());
  for (const Case& c : cases) EXPECT_EQ(scan.listed(root / c.name), c.listed) << c.name;

  for (const ListRow& row : scan.rows.rows()) {
    EXPECT_EQ(row.size, 3u) << row.caption;
    EXPECT_EQ(row.column(1), FormatSize(3)) << row.caption;
    EXPECT_EQ(row.image, kJunkRowImage);
  }
}

TEST(JunkScan, NoMaskWalksNothing) {
  TempFolder root(L"nomask");
  root.file(L"a.tmp");
  Scan scan;
  scan.rows.append(ListRow{L"left over from before", {}, -1, 0, false, 0});
  // Masks that are not valid give no pattern either.
  for (const std::vector<std::wstring>& masks : {std::vector<std::wstring>{}, std::vector<std::wstring>{L"[a-"}}) {
    scan.run = FakeRun();
    scan.folder(root.path(), masks);
    EXPECT_EQ(scan.rows.size(), 0u);
    EXPECT_EQ(scan.run.calls, 0) << "nothing may be walked";
    EXPECT_EQ(scan.run.statuses, std::vector<std::wstring>{L"未扫描到符合条件的垃圾文件"});
  }
  // An empty chosen folder is not the root of the current drive.
  scan.run = FakeRun();
  scan.folder(L"");
  EXPECT_EQ(scan.run.calls, 0);
  EXPECT_EQ(scan.rows.size(), 0u);
}

TEST(JunkScan, BuiltInNamesAndFoldersAreLeftOut) {
  struct Case {
    const wchar_t* path;
    bool listed;
  };
  const Case cases[] = {
      {L"Desktop.INI", false},          // a skipped name, in another case
      {L"mydata.bak", false},           // contains "data.bak"
      {L"olddata.bak.tmp", false},      // ... anywhere in the name
      {L"my.bak", true},
      {L"Travel\\x.tmp", false},        // the folder's path contains "rav"
      {L"Trek\\x.tmp", true},
      {L"deep\\WinSxS\\y.tmp", false},
      {L"System Volume Information\\z.tmp", false},
      {L"Resources\\Themes\\t.tmp", false},
      {L"Resources\\Themed\\t.tmp", true},
  };
  TempFolder root(L"builtin");
  for (const Case& c : cases) root.file(c.path);
  std::vector<std::wstring> masks = CatalogueMasks();
  masks.push_back(L"*.ini");
  Scan scan;
  scan.folder(root.path(), masks);
  for (const Case& c : cases) EXPECT_EQ(scan.listed(root / c.path), c.listed) << c.path;
  EXPECT_EQ(JunkSkippedNames().size(), 31u);
  EXPECT_EQ(JunkSkippedFragments().size(), 16u);
}

TEST(JunkScan, ExclusionsAreTestedAsTextInPathAndShortForm) {
  TempFolder root(L"exclude");
  root.file(L"Keep\\a.tmp");
  root.file(L"Keeper\\b.tmp");
  root.file(L"Other\\c.tmp");
  root.file(L"A Long Kept Folder\\d.tmp");
  const std::wstring longKept = root / L"A Long Kept Folder";
  const std::wstring shortKept = ShortPathOf(longKept);
  ASSERT_FALSE(shortKept.empty());
  ASSERT_NE(ToUpper(shortKept), ToUpper(longKept)) << "the prefix should give this folder a short name";

  struct Case {
    std::wstring exclusion;
    bool keep, keeper, other, longFolder;
  };
  const Case cases[] = {
      {root / L"Keep", false, false, true, true},       // a sibling that begins the same goes too
      {root / L"Keep\\", false, true, true, true},      // with the backslash only the folder itself
      {ToUpper(root / L"keep"), false, false, true, true},
      {shortKept, true, true, true, false},             // found in the short form only
      {L"", true, true, true, true},                    // an empty row excludes nothing
  };
  for (const Case& c : cases) {
    Scan scan;
    scan.folder(root.path(), CatalogueMasks(), {c.exclusion});
    EXPECT_EQ(scan.listed(root / L"Keep\\a.tmp"), c.keep) << c.exclusion;
    EXPECT_EQ(scan.listed(root / L"Keeper\\b.tmp"), c.keeper) << c.exclusion;
    EXPECT_EQ(scan.listed(root / L"Other\\c.tmp"), c.other) << c.exclusion;
    EXPECT_EQ(scan.listed(longKept + L"\\d.tmp"), c.longFolder) << c.exclusion;
  }
}

TEST(JunkScan, UserFoldersAreLeftOutButUnresolvedOnesExcludeNothing) {
  TempFolder root(L"userdirs");
  const wchar_t* folders[] = {L"Recent", L"SendTo", L"Cookies", L"Cache", L"UserTemp"};
  for (const wchar_t* f : folders) root.file(std::wstring(f) + L"\\x.tmp");
  root.file(L"Elsewhere\\y.tmp");

  KnownFolders known;
  known.RecentDir = root / L"Recent";
  known.SendToDir = root / L"SendTo";
  known.CookiesDir = root / L"Cookies";
  known.InternetCacheDir = root / L"Cache";
  known.TempDir = root / L"UserTemp";
  Scan resolved;
  resolved.folder(root.path(), CatalogueMasks(), {}, known);
  for (const wchar_t* f : folders) EXPECT_FALSE(resolved.listed(root / (std::wstring(f) + L"\\x.tmp"))) << f;
  EXPECT_TRUE(resolved.listed(root / L"Elsewhere\\y.tmp"));

  Scan unresolved;  // every known folder empty
  unresolved.folder(root.path(), CatalogueMasks(), {}, KnownFolders{});
  EXPECT_EQ(unresolved.rows.size(), 6u);
}

TEST(JunkScan, AttributesDecide) {
  TempFolder root(L"attrs");
  const std::wstring system = root.file(L"system.tmp");
  const std::wstring hidden = root.file(L"hidden.tmp");
  const std::wstring readOnly = root.file(L"readonly.tmp");
  const std::wstring inSystemFolder = root.file(L"SysDir\\x.tmp");
  const std::wstring inHiddenFolder = root.file(L"HidDir\\y.tmp");
  ASSERT_TRUE(SetFileAttributesW(system.c_str(), FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(SetFileAttributesW((root / L"SysDir").c_str(), FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(SetFileAttributesW((root / L"HidDir").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(GetFileAttributesW((root / L"SysDir").c_str()) & FILE_ATTRIBUTE_SYSTEM);

  Scan scan;
  scan.folder(root.path());
  EXPECT_FALSE(scan.listed(system));
  EXPECT_TRUE(scan.listed(hidden));
  EXPECT_TRUE(scan.listed(readOnly));
  EXPECT_FALSE(scan.listed(inSystemFolder));
  EXPECT_TRUE(scan.listed(inHiddenFolder));
  EXPECT_EQ(scan.rows.size(), 3u);
  SetFileAttributesW((root / L"SysDir").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(JunkScan, FilesInUseAreNotListed) {
  TempFolder root(L"inuse");
  const std::wstring busy = root.file(L"busy.tmp");
  const std::wstring free = root.file(L"free.tmp");
  {
    HeldOpen hold(busy);
    ASSERT_TRUE(hold.held());
    Scan scan;
    scan.folder(root.path());
    EXPECT_FALSE(scan.listed(busy));
    EXPECT_TRUE(scan.listed(free));
  }
  Scan again;
  again.folder(root.path());
  EXPECT_TRUE(again.listed(busy));
}

TEST(JunkScan, FilesComeBeforeSubfoldersAndSubfoldersDepthFirst) {
  TempFolder root(L"order");
  const std::wstring files[] = {L"a.tmp", L"b.tmp", L"A\\c.tmp", L"A\\B\\d.tmp", L"A\\B\\e.tmp", L"A\\f.tmp",
                                L"C\\g.tmp", L"C\\D\\h.tmp"};
  for (const std::wstring& f : files) root.file(f);
  Scan scan;
  scan.folder(root.path());
  ASSERT_EQ(scan.rows.size(), std::size(files));

  auto pos = [&](const std::wstring& f) { return RowIndex(scan.rows, root / f); };
  // A folder's own files precede everything below it.
  EXPECT_LT(std::max(pos(L"a.tmp"), pos(L"b.tmp")), 2);
  EXPECT_LT(std::max(pos(L"A\\c.tmp"), pos(L"A\\f.tmp")), std::min(pos(L"A\\B\\d.tmp"), pos(L"A\\B\\e.tmp")));
  EXPECT_LT(pos(L"C\\g.tmp"), pos(L"C\\D\\h.tmp"));
  // Each subtree is listed in one piece.
  auto span = [&](std::initializer_list<const wchar_t*> fs) {
    int lo = 1000, hi = -1;
    for (const wchar_t* f : fs) lo = std::min(lo, pos(f)), hi = std::max(hi, pos(f));
    return std::pair{lo, hi};
  };
  const auto a = span({L"A\\c.tmp", L"A\\B\\d.tmp", L"A\\B\\e.tmp", L"A\\f.tmp"});
  const auto c = span({L"C\\g.tmp", L"C\\D\\h.tmp"});
  EXPECT_EQ(a.second - a.first, 3);
  EXPECT_EQ(c.second - c.first, 1);
}

TEST(JunkScan, StatusLineAndSizes) {
  TempFolder root(L"status");
  root.file(L"one.tmp", std::string(1536, 'x'));
  root.file(L"Sub\\nothing.txt");
  // A sparse file past 4 GiB: the size is kept in full.
  const std::wstring big = root / L"big.tmp";
  {
    HANDLE h = CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER at;
    at.QuadPart = 5LL * 1024 * 1024 * 1024;
    ASSERT_TRUE(SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h));
    CloseHandle(h);
  }
  Scan scan;
  scan.folder(root.path());
  ASSERT_EQ(scan.rows.size(), 2u);
  const std::uint64_t bigSize = 5ULL * 1024 * 1024 * 1024;
  const int bigRow = RowIndex(scan.rows, big);
  ASSERT_GE(bigRow, 0);
  EXPECT_EQ(scan.rows.at(bigRow).size, bigSize);
  EXPECT_EQ(scan.rows.at(bigRow).column(1), L"5.00 GB");
  EXPECT_EQ(scan.result.total, bigSize + 1536);
  EXPECT_EQ(scan.run.rowsAdded, 2);

  const std::wstring folder = root.path() + L"\\";
  const auto& s = scan.run.statuses;
  ASSERT_GE(s.size(), 5u);
  EXPECT_EQ(s.front(), L"已扫描到 0 项(0.00 B) -- " + folder);
  EXPECT_NE(std::find(s.begin(), s.end(), L"已扫描到 2 项(" + FormatSize(bigSize + 1536) + L") -- " + folder),
            s.end());
  EXPECT_NE(std::find(s.begin(), s.end(), L"已扫描到 2 项(" + FormatSize(bigSize + 1536) + L") -- " + folder +
                                              L"Sub\\"),
            s.end());
  EXPECT_EQ(s.back(), L"扫描到符合条件的垃圾文件共 2 项,占用 " + FormatSize(bigSize + 1536) + L" 硬盘空间");
}

TEST(JunkScan, StopKeepsTheRowsFoundSoFar) {
  TempFolder root(L"stop");
  for (const wchar_t* f : {L"A\\1.tmp", L"A\\2.tmp", L"A\\3.tmp", L"B\\4.tmp", L"B\\5.tmp", L"B\\6.tmp",
                           L"C\\7.tmp", L"C\\8.tmp", L"C\\D\\9.tmp", L"C\\D\\10.tmp"})
    root.file(f);
  RowModel* model = nullptr;
  Scan scan([&] { return model->size() >= 4; });
  model = &scan.rows;
  scan.folder(root.path());
  EXPECT_TRUE(scan.result.stopped);
  EXPECT_EQ(scan.rows.size(), 4u);
  EXPECT_EQ(scan.result.rows, 4u);
  std::uint64_t total = 0;
  for (const ListRow& r : scan.rows.rows()) total += r.size;
  EXPECT_EQ(scan.result.total, total);
  // After the row that triggered the stop nothing more was walked.
  const auto& s = scan.run.statuses;
  ASSERT_GE(s.size(), 2u);
  EXPECT_EQ(s[s.size() - 2].rfind(L"已扫描到 4 项(", 0), 0u) << s[s.size() - 2];
  EXPECT_EQ(s.back(), L"扫描到符合条件的垃圾文件共 4 项,占用 " + FormatSize(total) + L" 硬盘空间");
}

TEST(JunkScan, TickedDrivesAreWalkedFromTheirRoot) {
  EXPECT_EQ(DriveFromCaption(L"本地磁盘 (C:)"), L"C:");
  EXPECT_EQ(DriveFromCaption(L")"), L"");

  Planted planted;
  const std::wstring tag = std::to_wstring(GetCurrentProcessId());
  const std::wstring junk =
      planted.file(L"C:\\WindowsVantorraTests\\drive_walk_" + tag + L"\\found_" + tag + L".vtjunk");
  ASSERT_FALSE(junk.empty());

  JunkScanInput in;
  in.mode = JunkScanMode::TickedDrives;
  in.drives = {DriveFromCaption(L"本地磁盘 (C:)")};
  in.masks = {L"found_" + tag + L".vtjunk"};
  RowModel rows;
  FakeRun run;
  const JunkScanResult r = JunkFileScan(in, run, rows);
  EXPECT_FALSE(run.limitHit);
  EXPECT_FALSE(r.stopped);
  EXPECT_EQ(Captions(rows), std::vector<std::wstring>{junk});
  EXPECT_EQ(run.statuses.front(), L"已扫描到 0 项(0.00 B) -- C:\\");

  // A stop before the first drive walks nothing.
  FakeRun stopAtOnce([] { return true; });
  const JunkScanResult none = JunkFileScan(in, stopAtOnce, rows);
  EXPECT_TRUE(none.stopped);
  EXPECT_EQ(rows.size(), 0u);
  EXPECT_EQ(stopAtOnce.statuses, std::vector<std::wstring>{L"未扫描到符合条件的垃圾文件"});
}

TEST(JunkScan, LinkedFoldersAreNotEntered) {
  const std::wstring tree = LinksRoot() + L"\\tree";
  ASSERT_NE(GetFileAttributesW(tree.c_str()), INVALID_FILE_ATTRIBUTES)
      << "fixture missing: run through ctest (make_test_links)";
  ASSERT_TRUE(GetFileAttributesW((tree + L"\\out").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
  ASSERT_TRUE(GetFileAttributesW((tree + L"\\sub\\loop").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
  // Through the link the outside file can be reached; the walk must not go there.
  ASSERT_TRUE(PathExists(tree + L"\\out\\outside.tmp"));

  Scan scan;
  scan.folder(tree);
  std::vector<std::wstring> listed = Captions(scan.rows);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::wstring>{tree + L"\\inside.tmp", tree + L"\\sub\\deeper.tmp"}));
}

}  // namespace
}  // namespace wv::test
