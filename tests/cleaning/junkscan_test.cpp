#include <gtest/gtest.h>

#include <algorithm>

#include "cleaning/cleaning_fixtures.h"
#include "cleaning/wjqlline.h"
#include "cleaning/wjqlpage.h"
#include "core/initline.h"
#include "core/text.h"

namespace wv::test {
namespace {

// The catalogue's masks, and "*.ini" to show that a skipped name is skipped by name.
JunkScanInput FolderScan(const std::wstring& folder) {
  JunkScanInput in;
  in.mode = JunkScanMode::ChosenFolder;
  in.folder = folder;
  for (const CatalogueRow& row : CatalogueRows(L"wjql")) in.masks.emplace_back(row.caption);
  in.masks.push_back(L"*.ini");
  return in;
}

TEST(JunkScan, NamesAttributesAndBuiltInSkipsDecide) {
  struct Case {
    const wchar_t* path;
    bool listed;
    DWORD attributes = 0;
  };
  const Case cases[] = {
      {L"~WRL0001", true},                         // "~*.*" also takes a name without a dot
      {L"x.ab$", true},                            // "*.??$"
      {L"x.a$", false},                            // ... one character too few
      {L"01234567.nch", true},                     // "0???????.nch"
      {L"0123456.nch", false},                     // ... seven characters
      {L"11234567.nch", false},                    // ... not beginning with 0
      {L"REPORT.BAK", true},                       // letters in any case
      {L"myerrorlog.txt", false},                  // "errorlog.txt" is a whole name
      {L"notes.txt", false},
      {L"Desktop.INI", false},                     // a skipped name, in another case
      {L"mydata.bak", false},                      // "data.bak" anywhere in the name
      {L"Travel\\x.tmp", false},                   // the folder's path contains "rav"
      {L"Trek\\x.tmp", true},
      {L"hidden.tmp", true, FILE_ATTRIBUTE_HIDDEN},
      {L"readonly.tmp", true, FILE_ATTRIBUTE_READONLY},
      {L"system.tmp", false, FILE_ATTRIBUTE_SYSTEM},
      {L"SysDir\\x.tmp", false},                   // in a system folder
      {L"busy.tmp", false},                        // in use
  };
  Planted t(L"names");
  for (const Case& c : cases) {
    t.file(c.path);
    SetFileAttributesW((t / c.path).c_str(), c.attributes ? c.attributes : FILE_ATTRIBUTE_NORMAL);
  }
  ASSERT_TRUE(SetFileAttributesW((t / L"SysDir").c_str(), FILE_ATTRIBUTE_SYSTEM));
  // Past 4 GiB (a sparse file): the size is kept in full.
  const std::uint64_t bigSize = 5ULL << 30;
  const std::wstring big = t.file(L"big.tmp");
  {
    UniqueFile h(CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(bigSize);
    ASSERT_TRUE(SetFilePointerEx(h.get(), at, nullptr, FILE_BEGIN) && SetEndOfFile(h.get()));
  }

  RowModel rows;
  FakeRun run;
  JunkScanResult result;
  {
    UniqueFile busy = Hold(t / L"busy.tmp");
    ASSERT_TRUE(busy.valid());
    result = JunkFileScan(FolderScan(t.root()), run, ShowIn(rows, FormatJunkRow));
  }
  std::uint64_t total = bigSize;
  for (const Case& c : cases) {
    EXPECT_EQ(RowIndex(rows, t / c.path) >= 0, c.listed) << c.path;
    total += c.listed ? 4 : 0;
  }
  const int bigRow = RowIndex(rows, big);
  ASSERT_GE(bigRow, 0);
  EXPECT_EQ(rows.at(bigRow).column(1), L"5.00 GB");
  EXPECT_EQ(result.total, total);
  EXPECT_EQ(JunkScanSummary(result), L"扫描到符合条件的垃圾文件共 " + std::to_wstring(rows.size()) + L" 项,占用 " +
                                        FormatSize(total) + L" 硬盘空间");
}

TEST(JunkScan, ExclusionsAndKnownFoldersAreFoundAsTextInThePathOrItsShortForm) {
  Planted t(L"exclude");
  // In sorted order, as the results are compared.
  const std::vector<std::wstring> all = {t.file(L"A Long Kept Folder\\c.tmp"), t.file(L"Keep\\a.tmp"),
                                         t.file(L"Keeper\\b.tmp"), t.file(L"Recent\\d.tmp")};
  const std::wstring longKept = t / L"A Long Kept Folder";
  std::wstring shortKept(MAX_PATH, L'\0');
  shortKept.resize(GetShortPathNameW(longKept.c_str(), shortKept.data(), MAX_PATH));
  ASSERT_NE(ToUpper(shortKept), ToUpper(longKept)) << "the prefix should give this folder a short name";
  KnownFolders recent;
  recent.RecentDir = t / L"Recent";

  struct Case {
    std::wstring exclusion;
    KnownFolders known;
    std::vector<std::wstring> listed;
  };
  const Case cases[] = {
      {t / L"Keep", {}, {all[0], all[3]}},                    // a sibling that begins the same goes too
      {ToUpper(t / L"keep\\"), {}, {all[0], all[2], all[3]}},  // with the backslash only the folder itself
      {shortKept, {}, {all[1], all[2], all[3]}},              // found in the short form only
      {L"", recent, {all[0], all[1], all[2]}},                // an empty row excludes nothing
      {L"", {}, all},                                         // nor does an unresolved known folder
  };
  for (const Case& c : cases) {
    JunkScanInput in = FolderScan(t.root());
    in.exclusions = {c.exclusion};
    in.known = c.known;
    RowModel rows;
    FakeRun run;
    static_cast<void>(JunkFileScan(in, run, ShowIn(rows, FormatJunkRow)));
    std::vector<std::wstring> listed = Captions(rows.rows());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, c.listed) << c.exclusion;
  }
}

TEST(JunkScan, TickedDrivesAreWalkedFromTheirRoot) {
  Planted t(L"drive");
  const std::wstring junk = t.file(L"found_" + std::to_wstring(GetCurrentProcessId()) + L".vtjunk");
  JunkScanInput in;
  in.drives = {DriveFromCaption(L"本地磁盘 (C:)")};
  in.masks = {std::wstring(ExtractFileName(junk))};
  RowModel rows;
  FakeRun run;
  static_cast<void>(JunkFileScan(in, run, ShowIn(rows, FormatJunkRow)));
  EXPECT_EQ(Captions(rows.rows()), std::vector<std::wstring>{junk});
}

}  // namespace
}  // namespace wv::test
