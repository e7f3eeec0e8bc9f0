#include <gtest/gtest.h>

#include <algorithm>

#include "cleaning/cleaning_fixtures.h"
#include "cleaning/wjrcline.h"
#include "core/knownfolders.h"
#include "core/publline.h"
#include "core/text.h"
#include "platform/win32/win32_platform.h"
#include "support/testsupport.h"

namespace wv::test {
namespace {

const std::wstring kWaste(kWasteFolderText);

std::wstring Tag() { return std::to_wstring(GetCurrentProcessId()); }

struct Daily {
  RowModel rows;
  FakeRun run;
  DailyScanResult result;

  explicit Daily(std::function<bool()> stopWhen = {}) : run(std::move(stopWhen)) {}

  void scan(const DailyScanInput& in) {
    result = DailyFileScan(in, run, rows);
    ASSERT_FALSE(run.limitHit) << "the walk did not end";
  }
  int index(const std::wstring& path) const { return RowIndex(rows, path); }
  bool file(const std::wstring& path) const {
    const int i = index(path);
    return i >= 0 && rows.at(i).column(1) != kWaste;
  }
  bool waste(const std::wstring& path) const {
    const int i = index(path);
    return i >= 0 && rows.at(i).column(1) == kWaste;
  }
  std::size_t wasteRows() const {
    return std::count_if(rows.rows().begin(), rows.rows().end(),
                         [](const ListRow& r) { return r.column(1) == kWaste; });
  }
};

DailyScanInput Only(int position, const KnownFolders& known) {
  DailyScanInput in;
  in.items[static_cast<std::size_t>(position)] = true;
  in.known = known;
  return in;
}

DailyScanInput UserRows(std::vector<UserCleanFolder> rows) {
  DailyScanInput in;
  in.items[4] = true;
  in.userFolders = std::move(rows);
  return in;
}

UserCleanFolder User(const std::wstring& folder, bool subfolders, bool givenTypes, std::wstring types = L"") {
  UserCleanFolder u;
  u.ticked = true;
  u.folder = folder;
  u.includeSubfolders = subfolders;
  u.givenTypes = givenTypes;
  u.types = std::move(types);
  return u;
}

TEST(DailyScan, RecentDocumentsWithTheirWasteFolders) {
  const KnownFolders k = ResolveKnownFolders();
  ASSERT_FALSE(k.RecentDir.empty());
  Planted p;
  const std::wstring base = k.RecentDir + L"\\VantorraRecent_" + Tag();
  const std::wstring a = p.file(base + L"\\a.lnk");
  const std::wstring b = p.file(base + L"\\inner\\b.lnk");
  const std::wstring d = p.file(base + L"\\inner\\deeper\\d.lnk", "1234567");
  const std::wstring c = p.file(base + L"\\mixed\\c.lnk");
  const std::wstring ini = p.file(base + L"\\mixed\\Desktop.ini");
  ASSERT_FALSE(a.empty() || ini.empty());

  Daily daily;
  daily.scan(Only(1, k));
  for (const std::wstring& f : {a, b, c, d}) EXPECT_TRUE(daily.file(f)) << f;
  EXPECT_FALSE(daily.file(ini));
  const ListRow& row = daily.rows.at(daily.index(d));
  EXPECT_EQ(row.column(1), FormatSize(7));
  EXPECT_EQ(row.column(2), L"文档访问记录");
  EXPECT_EQ(row.image, 15);
  EXPECT_EQ(row.size, 7u);

  EXPECT_TRUE(daily.waste(base + L"\\inner\\deeper"));
  EXPECT_TRUE(daily.waste(base + L"\\inner"));
  EXPECT_LT(daily.index(base + L"\\inner\\deeper"), daily.index(base + L"\\inner"));  // deepest first
  EXPECT_LT(daily.index(b), daily.index(base + L"\\inner\\deeper"));                  // after the files
  EXPECT_EQ(daily.rows.at(daily.index(base + L"\\inner")).size, 0u);
  EXPECT_EQ(daily.rows.at(daily.index(base + L"\\inner")).column(2), L"文档访问记录");
  // A folder whose desktop.ini stays is no waste, nor is the folder above it.
  EXPECT_EQ(daily.index(base + L"\\mixed"), -1);
  EXPECT_EQ(daily.index(base), -1);
}

TEST(DailyScan, TemporaryFoldersKeepBackWhatHoldsAFileInUse) {
  const KnownFolders k = ResolveKnownFolders();
  ASSERT_FALSE(k.WindowsTempDir.empty());
  ASSERT_FALSE(k.TempDir.empty());
  Planted p;
  std::vector<std::wstring> bases;
  for (const std::wstring& dir : {k.WindowsTempDir, k.TempDir}) {
    const std::wstring base = dir + L"\\VantorraDaily_" + Tag();
    bases.push_back(base);
    p.file(base + L"\\x.tmp");
    p.file(base + L"\\sub\\deeper\\y.dat");
    p.file(base + L"\\busy\\deep\\z.tmp");
    p.file(base + L"\\Logs\\keep.log");
    p.file(base + L"\\Log\\gone.log");
  }
  std::vector<std::unique_ptr<HeldOpen>> held;
  for (const std::wstring& base : bases) {
    held.push_back(std::make_unique<HeldOpen>(base + L"\\busy\\deep\\z.tmp"));
    held.push_back(std::make_unique<HeldOpen>(base + L"\\Logs\\keep.log"));
    ASSERT_TRUE(held.back()->held());
  }

  Daily daily;
  daily.scan(Only(0, k));
  for (const std::wstring& base : bases) {
    SCOPED_TRACE(base);
    EXPECT_TRUE(daily.file(base + L"\\x.tmp"));
    EXPECT_TRUE(daily.file(base + L"\\sub\\deeper\\y.dat"));
    EXPECT_TRUE(daily.file(base + L"\\Log\\gone.log"));
    EXPECT_FALSE(daily.file(base + L"\\busy\\deep\\z.tmp"));
    EXPECT_FALSE(daily.file(base + L"\\Logs\\keep.log"));
    EXPECT_TRUE(daily.waste(base + L"\\sub\\deeper"));
    EXPECT_TRUE(daily.waste(base + L"\\sub"));
    EXPECT_LT(daily.index(base + L"\\sub\\deeper"), daily.index(base + L"\\sub"));
    for (const wchar_t* kept : {L"\\busy\\deep", L"\\busy", L"\\Logs", L"\\Log", L""})
      EXPECT_EQ(daily.index(base + kept), -1) << kept;  // "Log" lies beside the incomplete "Logs"
    const ListRow& row = daily.rows.at(daily.index(base + L"\\x.tmp"));
    EXPECT_EQ(row.column(2), L"系统临时文件");
    EXPECT_EQ(row.image, 14);
  }
  // The Windows temporary folder comes first.
  EXPECT_LT(daily.index(bases[0] + L"\\sub"), daily.index(bases[1] + L"\\x.tmp"));
}

TEST(DailyScan, SystemLogsOnlyTheirNamesAndNoSubfolders) {
  const KnownFolders k = ResolveKnownFolders();
  ASSERT_FALSE(k.WindowsDir.empty());
  ASSERT_FALSE(k.SystemDir.empty());
  Planted p;
  const std::wstring kb = p.file(k.WindowsDir + L"\\KBVantorra" + Tag() + L".log");
  const std::wstring other = p.file(k.WindowsDir + L"\\Vantorra" + Tag() + L".log");
  const std::wstring nested = p.file(k.WindowsDir + L"\\VantorraSub" + Tag() + L"\\KB" + Tag() + L".log");
  const std::wstring wbem = p.file(k.SystemDir + L"\\wbem\\Logs\\vantorra" + Tag() + L".log");
  const std::wstring wbemText = p.file(k.SystemDir + L"\\wbem\\Logs\\vantorra" + Tag() + L".txt");
  const std::wstring repair = p.file(k.WindowsDir + L"\\repair\\setupapi.log");
  ASSERT_FALSE(kb.empty() || other.empty() || nested.empty() || wbem.empty() || wbemText.empty());

  Daily daily;
  daily.scan(Only(2, k));
  EXPECT_TRUE(daily.file(kb));
  EXPECT_TRUE(daily.file(wbem));
  EXPECT_FALSE(daily.file(other));
  EXPECT_FALSE(daily.file(nested));
  EXPECT_FALSE(daily.file(wbemText));
  if (!repair.empty()) {
    EXPECT_TRUE(daily.file(repair));
  }
  EXPECT_EQ(daily.wasteRows(), 0u);
  EXPECT_EQ(daily.rows.at(daily.index(kb)).column(2), L"系统操作日志");
  EXPECT_EQ(daily.rows.at(daily.index(kb)).image, 22);
}

TEST(DailyScan, SoftwareLogsInProgramFiles) {
  const KnownFolders k = ResolveKnownFolders();
  ASSERT_FALSE(k.ProgramFilesDir.empty());
  Planted p;
  const std::wstring nero = p.file(k.ProgramFilesDir + L"\\Ahead\\Nero\\NeroHistory.log");
  const std::wstring neroOther = p.file(k.ProgramFilesDir + L"\\Ahead\\Nero\\other.log");
  const std::wstring ewido = p.file(k.ProgramFilesDir + L"\\Ewido Anti-Malware\\logfile.txt");
  ASSERT_FALSE(nero.empty() || neroOther.empty() || ewido.empty());

  Daily daily;
  daily.scan(Only(3, k));
  EXPECT_TRUE(daily.file(nero));
  EXPECT_TRUE(daily.file(ewido));
  EXPECT_FALSE(daily.file(neroOther));
  EXPECT_LT(daily.index(nero), daily.index(ewido));
  EXPECT_EQ(daily.rows.at(daily.index(ewido)).column(2), L"软件使用日志");
  EXPECT_EQ(daily.wasteRows(), 0u);
}

TEST(DailyScan, UnresolvedKnownFoldersScanNothing) {
  for (int position = 0; position < 4; ++position) {
    const std::vector<DailyLocation> locations = DailyLocations(position, KnownFolders{});
    EXPECT_FALSE(locations.empty());
    for (const DailyLocation& l : locations) EXPECT_EQ(l.folder, L"") << position;
  }
  DailyScanInput in;
  in.items = {true, true, true, true, false};
  Daily daily;
  daily.scan(in);
  EXPECT_EQ(daily.rows.size(), 0u);
  EXPECT_EQ(daily.run.statuses, std::vector<std::wstring>{L"未扫描到符合条件的垃圾文件或目录"});

  // With resolved folders every location lies below its known folder.
  const KnownFolders k = ResolveKnownFolders();
  for (const DailyLocation& l : DailyLocations(2, k)) EXPECT_FALSE(l.folder.empty());
  EXPECT_EQ(DailyLocations(2, k)[1].folder, k.WindowsDir + L"\\repair");
  EXPECT_EQ(DailyLocations(3, k).size(), 7u);
}

TEST(DailyScan, TypesTextGivesExactlyItsValidPatterns) {
  EXPECT_EQ(TypesToPatterns(L" *.tmp |  | ~*.* "), (std::vector<std::wstring>{L"*.tmp", L"~*"}));
  EXPECT_EQ(TypesToPatterns(L"|*.log||"), std::vector<std::wstring>{L"*.log"});
  EXPECT_EQ(TypesToPatterns(L"[abc|*.log"), std::vector<std::wstring>{L"*.log"});
  EXPECT_TRUE(TypesToPatterns(L"  ").empty());
  EXPECT_TRUE(IsValidTypesText(L"*.log| |"));
  EXPECT_FALSE(IsValidTypesText(L"[abc|*.log"));
  EXPECT_FALSE(IsValidTypesText(L" | "));
  EXPECT_TRUE(IsValidTypesText(L"[a-c]*.tmp"));

  ListRow row;
  row.caption = L"D:\\x";
  row.sub = {L"排除", L"全部清理", L""};
  row.checked = true;
  const UserCleanFolder u = UserCleanFolderFromRow(row);
  EXPECT_TRUE(u.ticked);
  EXPECT_EQ(u.folder, L"D:\\x");
  EXPECT_FALSE(u.includeSubfolders);
  EXPECT_FALSE(u.givenTypes);
  row.sub = {L"包含", L"指定类型", L"*.a|*.b"};
  const UserCleanFolder v = UserCleanFolderFromRow(row);
  EXPECT_TRUE(v.includeSubfolders);
  EXPECT_TRUE(v.givenTypes);
  EXPECT_EQ(v.types, L"*.a|*.b");
}

TEST(DailyScan, UserDefinedFolders) {
  TempFolder root(L"userdef");
  const wchar_t* files[] = {L"a.tmp", L"~wrl0001", L"b.txt", L"sub\\c.tmp", L"sub\\d.txt", L"sub\\deep\\e.tmp",
                            L"x.[abc"};
  for (const wchar_t* f : files) root.file(f);

  struct Case {
    const wchar_t* label;
    UserCleanFolder row;
    std::vector<std::wstring> files;  // listed, relative
    std::vector<std::wstring> waste;  // waste folders, relative, in order
  };
  const Case cases[] = {
      {L"types with a padded and an empty piece", User(root.path(), true, true, L" *.tmp |  | ~*.* "),
       {L"a.tmp", L"~wrl0001", L"sub\\c.tmp", L"sub\\deep\\e.tmp"}, {}},
      {L"types without subfolders", User(root.path(), false, true, L"*.tmp"), {L"a.tmp"}, {}},
      {L"a type that is no mask is skipped", User(root.path(), false, true, L"[abc|*.txt"), {L"b.txt"}, {}},
      {L"only invalid types", User(root.path(), true, true, L"[abc"), {}, {}},
      {L"everything, subfolders excluded", User(root.path(), false, false),
       {L"a.tmp", L"~wrl0001", L"b.txt", L"x.[abc"}, {}},
      {L"everything with subfolders", User(root.path(), true, false),
       {L"a.tmp", L"~wrl0001", L"b.txt", L"x.[abc", L"sub\\c.tmp", L"sub\\d.txt", L"sub\\deep\\e.tmp"},
       {L"sub\\deep", L"sub"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    int reached = 0;
    DailyScanInput in = UserRows({c.row});
    in.userFoldersReached = [&] { ++reached; };
    Daily daily;
    daily.scan(in);
    EXPECT_EQ(reached, 1);
    std::vector<std::wstring> listed, waste;
    for (const ListRow& r : daily.rows.rows()) {
      const std::wstring rel = r.caption.substr(root.path().size() + 1);
      (r.column(1) == kWaste ? waste : listed).push_back(rel);
      EXPECT_EQ(r.column(2), L"用户自定");
      EXPECT_EQ(r.image, 21);
    }
    std::sort(listed.begin(), listed.end());
    std::vector<std::wstring> expected = c.files;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(waste, c.waste);
  }
}

TEST(DailyScan, UserRowsThatAreOffOrGoneAreSkipped) {
  TempFolder root(L"userskip");
  root.file(L"a.tmp");
  UserCleanFolder off = User(root.path(), true, false);
  off.ticked = false;
  const UserCleanFolder gone = User(root / L"vanished", true, false);
  const UserCleanFolder asFile = User(root / L"a.tmp", true, false);
  Daily daily;
  daily.scan(UserRows({off, gone, asFile}));
  EXPECT_EQ(daily.rows.size(), 0u);

  // The user-defined item itself unticked: its rows are not looked at.
  DailyScanInput in = UserRows({User(root.path(), true, false)});
  in.items[4] = false;
  Daily unticked;
  unticked.scan(in);
  EXPECT_EQ(unticked.rows.size(), 0u);
}

TEST(DailyScan, StatusLine) {
  TempFolder root(L"dailystatus");
  root.file(L"a.bin", std::string(2048, 'a'));
  root.file(L"sub\\b.bin", std::string(1024, 'b'));
  Daily daily;
  daily.scan(UserRows({User(root.path(), true, false)}));
  ASSERT_EQ(daily.rows.size(), 3u);  // two files and one waste folder
  EXPECT_EQ(daily.result.total, 3072u);
  const auto& s = daily.run.statuses;
  ASSERT_FALSE(s.empty());
  EXPECT_EQ(s.front(), L"已扫描到 0 项(0.00 B) -- " + root.path() + L"\\");
  EXPECT_NE(std::find(s.begin(), s.end(), L"已扫描到 1 项(2.00 KB) -- " + root.path() + L"\\"), s.end());
  EXPECT_NE(std::find(s.begin(), s.end(), L"已扫描到 2 项(3.00 KB) -- " + root.path() + L"\\sub\\"), s.end());
  EXPECT_EQ(s.back(), L"扫描到符合条件的垃圾文件或目录共 3 项,占用 3.00 KB 硬盘空间");
}

TEST(DailyScan, StopReportsNoWasteFolders) {
  TempFolder root(L"dailystop");
  for (const wchar_t* f : {L"A\\1.tmp", L"A\\2.tmp", L"B\\3.tmp", L"B\\4.tmp", L"C\\5.tmp"}) root.file(f);
  RowModel* model = nullptr;
  Daily daily([&] { return model->size() >= 2; });
  model = &daily.rows;
  daily.scan(UserRows({User(root.path(), true, false)}));
  EXPECT_TRUE(daily.result.stopped);
  EXPECT_EQ(daily.rows.size(), 2u);
  EXPECT_EQ(daily.wasteRows(), 0u);
  EXPECT_EQ(daily.run.statuses.back().rfind(L"扫描到符合条件的垃圾文件或目录共 2 项", 0), 0u);
}

// A folder that cannot be read (no rights, say) may still hold anything.
class UnreadableFolder : public Win32FileSystem {
 public:
  explicit UnreadableFolder(const std::wstring& folder) : prefix_(folder + L"\\") {}
  std::unique_ptr<DirSearch> search(std::wstring_view pattern, bool foldersOnly) override {
    if (StartsWithNoCase(pattern, prefix_)) return nullptr;
    return Win32FileSystem::search(pattern, foldersOnly);
  }

 private:
  std::wstring prefix_;
};

TEST(DailyScan, AFolderThatCannotBeReadIsNoWaste) {
  TempFolder root(L"unreadable");
  root.file(L"a.tmp");
  root.file(L"clean\\b.tmp");
  const std::wstring secret = root.file(L"Locked\\inner\\secret.doc");
  UnreadableFolder files(root / L"Locked");
  Substitute<FileSystem> substitute(&Platform::files, files);
  Daily daily;
  daily.scan(UserRows({User(root.path(), true, false)}));
  EXPECT_TRUE(daily.file(root / L"a.tmp"));
  EXPECT_TRUE(daily.waste(root / L"clean"));
  EXPECT_EQ(daily.index(root / L"Locked"), -1);
  EXPECT_EQ(daily.index(root / L"Locked\\inner"), -1);
  EXPECT_EQ(daily.index(secret), -1);
}

TEST(DailyScan, LinkedFoldersAreNeitherEnteredNorWaste) {
  const std::wstring tree = LinksRoot() + L"\\tree";
  ASSERT_NE(GetFileAttributesW(tree.c_str()), INVALID_FILE_ATTRIBUTES)
      << "fixture missing: run through ctest (make_test_links)";
  Daily daily;
  daily.scan(UserRows({User(tree, true, false)}));
  std::vector<std::wstring> listed = Captions(daily.rows);
  std::sort(listed.begin(), listed.end());
  // "sub" holds the link back to itself, so it is no waste folder either.
  EXPECT_EQ(listed, (std::vector<std::wstring>{tree + L"\\inside.tmp", tree + L"\\sub\\deeper.tmp"}));
}

}  // namespace
}  // namespace wv::test
