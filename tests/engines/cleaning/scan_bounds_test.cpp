// What the file scans may take, by where a folder really is, and what they
// record of each row for the removal.

#include <gtest/gtest.h>

#include "engines/cleaning/cleaning_fixtures.h"
#include "engines/cleaning/daily_files_scan.h"
#include "engines/cleaning/junk_scan.h"
#include "core/known_folders.h"

namespace wv::test {
namespace {

const std::wstring kLinks = L"C:\\WindowsVantorraFixtures\\links";

struct Scanned {
  std::vector<FoundRow> rows;
  DailyScanResult result;
};

Scanned Daily(const DailyScanInput& in) {
  Scanned s;
  FakeRun run;
  s.result = DailyFileScan(in, run, [&](FoundRow row) { s.rows.push_back(std::move(row)); });
  return s;
}

UserCleanFolder User(const std::wstring& folder, bool subfolders = true, const wchar_t* types = nullptr) {
  return UserCleanFolder{true, folder, subfolders, types != nullptr, types ? types : L""};
}

// A location that would take a folder whole (every file, its subfolders, its
// waste folders) is left alone when the folder, by its name or by where it
// really leads, is a drive's root, a protected folder, or holds a known folder
// (the temporary folder of a user without TEMP and TMP is the profile); the
// result says which and why. Named files in such a folder are still found.
TEST(ScanBounds, AWholeFolderOutOfBoundsYieldsNothingAndSaysWhy) {
  ASSERT_TRUE(GetFileAttributesW((kLinks + L"\\tosub").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) << "run through ctest";
  Planted t(L"bounds");
  const std::wstring profile = t.folder(L"profile"), holder = t.folder(L"holder"), plain = t.folder(L"plain");
  for (const wchar_t* f : {L"profile\\a.tmp", L"holder\\recent\\b.lnk", L"holder\\c.tmp", L"plain\\d.tmp"}) t.file(f);
  const ProtectedFolders protect({{profile, FolderProtection::UserFolder},
                                  {kLinks + L"\\tree\\sub", FolderProtection::DocumentFolder}});
  struct Case {
    const char* label;
    KnownFolders known;
    int item;
    std::vector<UserCleanFolder> users;
    std::vector<std::wstring> listed;  // files
    std::vector<std::pair<std::wstring, FolderProtection>> refused;
  };
  KnownFolders tempIsProfile, tempHoldsRecent;
  tempIsProfile.TempDir = profile;
  tempHoldsRecent.WindowsTempDir = holder;
  tempHoldsRecent.RecentDir = holder + L"\\recent";
  const Case cases[] = {
      {"temporary folder is the profile", tempIsProfile, 0, {}, {}, {{profile, FolderProtection::UserFolder}}},
      {"temporary folder holds the recent documents", tempHoldsRecent, 0, {}, {},
       {{holder, FolderProtection::HoldsProtected}}},
      {"a drive's root", {}, 4, {User(L"C:\\")}, {}, {{L"C:\\", FolderProtection::DriveRoot}}},
      {"a link into a document folder", {}, 4, {User(kLinks + L"\\tosub")}, {},
       {{kLinks + L"\\tosub", FolderProtection::DocumentFolder}}},
      {"named files in the profile", {}, 4, {User(profile, false, L"*.tmp")}, {profile + L"\\a.tmp"}, {}},
      {"an ordinary folder", {}, 4, {User(plain)}, {plain + L"\\d.tmp"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    DailyScanInput in{.userFolders = c.users, .known = c.known, .protectedFolders = protect};
    in.items[static_cast<std::size_t>(c.item)] = true;
    const Scanned s = Daily(in);
    EXPECT_EQ(Sorted(Paths(s.rows)), c.listed);
    std::vector<std::pair<std::wstring, FolderProtection>> refused;
    for (const RefusedLocation& r : s.result.refused) {
      refused.emplace_back(r.folder, r.why);
      EXPECT_EQ(r.item, c.item);
    }
    EXPECT_EQ(refused, c.refused);
  }
}

// An exclusion (or a known folder the junk scan leaves out) excludes the folder
// itself, also when the chosen folder is a link that leads into it; the daily
// scan lists a file reached through two of its folders once.
TEST(ScanBounds, ExclusionsExcludeTheFolderNotItsName) {
  const std::wstring tosub = kLinks + L"\\tosub", sub = kLinks + L"\\tree\\sub";
  ASSERT_TRUE(GetFileAttributesW(tosub.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) << "run through ctest";
  KnownFolders tempIsSub;
  tempIsSub.TempDir = sub;
  const std::tuple<const char*, std::vector<std::wstring>, KnownFolders, std::size_t> cases[] = {
      {"nothing excluded", {}, {}, 1},
      {"the folder excluded", {sub}, {}, 0},
      {"its parent excluded", {kLinks + L"\\tree"}, {}, 0},
      {"the temporary folder", {}, tempIsSub, 0},
  };
  for (const auto& [label, exclusions, known, count] : cases) {
    SCOPED_TRACE(label);
    std::vector<FoundRow> rows;
    FakeRun run;
    JunkFileScan({.mode = JunkScanMode::ChosenFolder, .folder = tosub, .masks = {L"*.tmp"}, .exclusions = exclusions,
                  .known = known},
                 run, [&](FoundRow row) { rows.push_back(std::move(row)); });
    EXPECT_EQ(Paths(rows), count ? std::vector<std::wstring>{tosub + L"\\deeper.tmp"} : std::vector<std::wstring>{});
  }
  DailyScanInput twice{.userFolders = {User(sub, false, L"*.tmp"), User(tosub, false, L"*.tmp")}};
  twice.items[4] = true;
  EXPECT_EQ(Paths(Daily(twice).rows), std::vector<std::wstring>{sub + L"\\deeper.tmp"});
}

// Each row keeps what the scan saw: the file's ID and volume, its size and
// last-write time, and where the walked folder ends in its path.
TEST(ScanBounds, RowsKeepWhatTheScanSaw) {
  Planted t(L"identity");
  const std::wstring file = t.file(L"sub\\e.tmp", 6), waste = t / L"sub";
  BY_HANDLE_FILE_INFORMATION info{};
  {
    UniqueFile f(CreateFileW(file.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(GetFileInformationByHandle(f.get(), &info));
  }
  DailyScanInput in{.userFolders = {User(t.root())}};
  in.items[4] = true;
  const Scanned s = Daily(in);
  ASSERT_EQ(Paths(s.rows), (std::vector<std::wstring>{file, waste}));
  const FoundIdentity& id = s.rows[0].identity;
  EXPECT_EQ(id.fileId, (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
  EXPECT_EQ(id.volumeSerial, info.dwVolumeSerialNumber);
  EXPECT_EQ(id.lastWrite, (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                              info.ftLastWriteTime.dwLowDateTime);
  EXPECT_EQ(s.rows[0].size, 6u);
  EXPECT_NE(s.rows[1].identity.fileId, 0u);
  for (const FoundRow& r : s.rows) EXPECT_EQ(r.rootLength, t.root().size() + 1) << r.path;
  std::vector<FoundRow> junk;
  FakeRun run;
  JunkFileScan({.mode = JunkScanMode::ChosenFolder, .folder = t.root(), .masks = {L"*.tmp"}}, run,
               [&](FoundRow row) { junk.push_back(std::move(row)); });
  ASSERT_EQ(junk.size(), 1u);
  EXPECT_EQ(junk[0].identity, id);
  EXPECT_EQ(junk[0].rootLength, t.root().size() + 1);
}

}  // namespace
}  // namespace wv::test
