// The junk-file scan over real folders of the prefix.

#include <gtest/gtest.h>

#include "engines/cleaning/cleaning_fixtures.h"
#include "engines/cleaning/junk_scan.h"
#include "core/known_folders.h"

namespace wv::test {
namespace {

// The masks of the junk-file catalogue that these trees meet, and "*.ini" to
// show that a skipped name is skipped by name.
const std::vector<std::wstring> kMasks = {L"*.tmp", L"*.bak", L"~*.*", L"*.ini"};

std::vector<FoundRow> Junk(const JunkScanInput& in, JunkScanResult* result = nullptr) {
  std::vector<FoundRow> rows;
  FakeRun run;
  const JunkScanResult r = JunkFileScan(in, run, [&](FoundRow row) { rows.push_back(std::move(row)); });
  if (result) *result = r;
  return rows;
}

JunkScanInput FolderScan(const std::wstring& folder) {
  return JunkScanInput{.mode = JunkScanMode::ChosenFolder, .folder = folder, .masks = kMasks};
}

TEST(JunkScan, SkippedNamesAttributesAndFilesInUseDecide) {
  const std::tuple<const wchar_t*, bool, DWORD> cases[] = {  // path, listed, attributes
      {L"Trek\\x.tmp", true, 0},
      {L"hidden.tmp", true, FILE_ATTRIBUTE_HIDDEN},
      {L"readonly.tmp", true, FILE_ATTRIBUTE_READONLY},
      {L"~wrl0001", true, 0},        // "~*.*" takes names without a dot too
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
  const std::vector<FoundRow> rows = Junk(FolderScan(t.root()), &result);
  EXPECT_EQ(Sorted(Paths(rows)), Sorted(want));
  for (const FoundRow& r : rows)
    EXPECT_TRUE(r.kind == FoundKind::File && r.item == -1 && r.size == (r.path == want[0] ? 5ULL << 30 : 4)) << r.path;
  EXPECT_EQ(std::tie(result.rows, result.total, result.stopped), std::make_tuple(want.size(), (5ULL << 30) + 16, false));
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
    EXPECT_EQ(Sorted(Paths(Junk(in))), listed) << exclusion;
  }
}

// The drives in row order, each walked only while its row is ticked when the walk
// gets there; a row without a drive, or no mask at all, walks nothing.
TEST(JunkScan, DrivesAreWalkedInRowOrderWhileTicked) {
  struct DriveRun : FakeRun {
    std::vector<std::size_t> asked;
    std::vector<std::wstring> walked;  // each walked folder's status names it
    bool stillTicked(std::size_t row, bool) override { return asked.push_back(row), row != 2; }
    void scanned(std::size_t, std::uint64_t, std::wstring_view folder) override { walked.emplace_back(folder); }
  };
  ASSERT_EQ(GetLogicalDrives() & ((1u << (L'Q' - L'A')) | (1u << (L'R' - L'A'))), 0u);
  for (const bool noMasks : {false, true}) {
    SCOPED_TRACE(noMasks ? "no mask" : "masks");
    const JunkScanInput in{.drives = {L"Q:", L"", L"R:"}, .driveTicks = {true, true, true},
                           .masks = noMasks ? std::vector<std::wstring>{} : kMasks};
    DriveRun run;
    EXPECT_EQ(JunkFileScan(in, run, [](FoundRow) {}).rows, 0u);
    EXPECT_EQ(run.asked, noMasks ? std::vector<std::size_t>{} : (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_EQ(run.walked, noMasks ? std::vector<std::wstring>{} : std::vector<std::wstring>{L"Q:\\"});
  }
}

}  // namespace
}  // namespace wv::test
