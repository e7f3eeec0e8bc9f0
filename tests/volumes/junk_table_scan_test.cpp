// The junk scan of a whole NTFS drive: from its file table, row for row what the
// folder walk finds; walked where the table cannot be used.

#include <gtest/gtest.h>

#include "engines/cleaning/removal.h"
#include "platform/text.h"
#include "platform/win32/win32_platform.h"
#include "support/test_support.h"
#include "volumes/volume_fixtures.h"

namespace wv::test {
namespace {

using JunkTableScan = NtfsVolumeTest;

// Records the rows and every status line; stops when told to.
class RecordingRun : public RunContext {
 public:
  explicit RecordingRun(std::size_t stopAfter = SIZE_MAX) : stopAfter_(stopAfter) {}
  bool proceed() override { return ++calls_ <= stopAfter_; }
  void status(std::wstring_view text) override {
    if (lines.empty() || lines.back() != text) lines.emplace_back(text);  // a line shown twice is seen once
  }
  std::vector<std::wstring> lines;

 private:
  std::size_t stopAfter_;
  std::size_t calls_ = 0;
};

struct Scan {
  std::vector<FoundRow> rows;
  JunkScanResult result;
  std::vector<std::wstring> lines;
};

JunkScanInput DriveScan(std::vector<std::wstring> drives, bool fromTable,
                        std::vector<std::wstring> exclusions = {L"X:\\Excluded by the user", L"Y:\\Excluded by the user"}) {
  JunkScanInput in;
  in.mode = JunkScanMode::TickedDrives;
  in.driveTicks.assign(drives.size(), true);
  in.drives = std::move(drives);
  in.masks = {L"*.tmp", L"*.bak", L"~*.*", L"*.txt"};
  in.exclusions = std::move(exclusions);
  in.fromTable = fromTable;
  return in;
}

Scan ScanOf(const JunkScanInput& in, std::size_t stopAfter = SIZE_MAX) {
  Scan s;
  RecordingRun run(stopAfter);
  s.result = JunkFileScan(in, run, [&](FoundRow row) { s.rows.push_back(std::move(row)); });
  s.lines = std::move(run.lines);
  return s;
}

// Rows and lines with their drive letter changed, to hold one drive's scan against another's.
std::vector<std::wstring> OnDrive(std::vector<std::wstring> texts, wchar_t letter) {
  for (std::wstring& t : texts)
    for (std::size_t at = t.find(L":\\"); at != std::wstring::npos; at = t.find(L":\\", at + 2))
      if (at > 0) t[at - 1] = letter;
  return texts;
}

// Everything a row says, what the removal checks included.
std::vector<std::wstring> Rows(const Scan& s) {
  std::vector<std::wstring> out;
  for (const FoundRow& r : s.rows)
    out.push_back(r.path + L" | " + std::to_wstring(r.size) + L" | " + std::to_wstring(static_cast<int>(r.kind)) +
                  L" | " + std::to_wstring(r.item) + L" | " + std::to_wstring(r.identity.volumeSerial) + L" | " +
                  std::to_wstring(r.identity.fileId) + L" | " + std::to_wstring(r.identity.lastWrite) + L" | " +
                  std::to_wstring(r.rootLength) + L" | " + r.rule.mask);
  return out;
}

bool Listed(const Scan& s, std::wstring_view path) {
  return std::any_of(s.rows.begin(), s.rows.end(), [&](const FoundRow& r) { return r.path == path; });
}

TEST_F(JunkTableScan, TheTableGivesTheWalksRowsInTheWalksOrder) {
  const Scan walked = ScanOf(DriveScan({L"X:"}, false));
  const Scan read = ScanOf(DriveScan({L"X:"}, true));
  EXPECT_EQ(walked.result.drivesFromTable, 0u);
  ASSERT_EQ(read.result.drivesFromTable, 1u) << "X: was walked, not read from its table";
  EXPECT_EQ(Rows(read), Rows(walked));  // path, size, kind, identity, root and the mask that chose it, in order
  EXPECT_EQ(read.lines, walked.lines);  // "已扫描到 N 项(size) -- folder", folder by folder
  EXPECT_EQ(std::tie(read.result.rows, read.result.total, read.result.stopped),
            std::tie(walked.result.rows, walked.result.total, walked.result.stopped));

  // What the rows must hold, whichever way they came.
  EXPECT_GT(read.rows.size(), 2550u);  // the file with 150 names is one row
  // The first ticked mask that matches names the row: "~junk 1.tmp" is "*.tmp"'s, not "~*.*"'s.
  for (const auto& [path, mask] : std::initializer_list<std::pair<std::wstring_view, std::wstring_view>>{
           {L"X:\\中文资料\\临时文件.tmp", L"*.tmp"},
           {L"X:\\many files\\~junk 1.tmp", L"*.tmp"},
           {L"X:\\中文资料\\子目录\\备份.bak", L"*.bak"},
           {L"X:\\Documents and Settings of a Long Folder Name\\~large temporary", L"~*.*"}})
  {
    const auto row = std::find_if(read.rows.begin(), read.rows.end(), [&](const FoundRow& r) { return r.path == path; });
    ASSERT_NE(row, read.rows.end()) << ToUtf8(path);
    EXPECT_EQ(row->rule.mask, mask) << ToUtf8(path);
  }
  for (const wchar_t* path : {L"X:\\中文资料\\临时文件.tmp", L"X:\\attributes\\hidden.tmp",
                              L"X:\\target of the junction\\behind the junction.tmp",
                              L"X:\\links\\original name.tmp",
                              L"X:\\many names\\the file with many names, name 000.tmp",
                              L"X:\\Documents and Settings of a Long Folder Name\\~large temporary",
                              L"X:\\short names\\Folder with a short name\\inside.tmp"})
    EXPECT_TRUE(Listed(read, path)) << path;
  for (const wchar_t* path : {L"X:\\junction\\behind the junction.tmp", L"X:\\attributes\\system.tmp",
                              L"X:\\attributes\\system folder\\inside system folder.tmp",
                              L"X:\\Travel photos\\skipped.tmp", L"X:\\Excluded by the user\\skipped.tmp",
                              L"X:\\Excluded by the user and more\\skipped too.tmp",
                              L"X:\\deleted\\gone but still in the table.tmp",
                              // One file is listed once, under the first of its names the walk meets.
                              L"X:\\links elsewhere\\second name.tmp",
                              L"X:\\many names\\the file with many names, name 149.tmp"})
    EXPECT_FALSE(Listed(read, path)) << path;
}

// A row from the table holds what the removal reads of the file through its
// handle, and that is what the table holds of its record: the file ID is the
// record's file reference (record number low, sequence number high; Wine over
// ntfs-3g gives the inode, which is the record number alone), the last write
// that of $STANDARD_INFORMATION, the root the drive's. So the removal checks a
// row from the table exactly as a walked one, and removes it.
TEST_F(JunkTableScan, RowsFromTheTableHoldTheirRecordsIdentityAndAreRemovedAsChecked) {
  const Scan read = ScanOf(DriveScan({L"X:"}, true));
  ASSERT_EQ(read.result.drivesFromTable, 1u);
  const NtfsTable table = ReadTable(kVolume);
  ASSERT_FALSE(read.rows.empty());
  for (const FoundRow& r : read.rows) {
    const std::optional<std::uint32_t> record = RecordAt(table, std::wstring_view(r.path).substr(3));
    ASSERT_TRUE(record) << r.path;
    const NtfsFile& file = table.files[*record];
    EXPECT_EQ(r.identity.fileId & 0xFFFF'FFFF'FFFFull, *record) << r.path;
    const std::uint64_t sequence = r.identity.fileId >> 48;
    EXPECT_TRUE(sequence == file.sequence || sequence == 0) << r.path;
    const std::uint64_t lastWrite =
        (static_cast<std::uint64_t>(file.lastWrite.dwHighDateTime) << 32) | file.lastWrite.dwLowDateTime;
    EXPECT_EQ(r.identity.lastWrite, lastWrite) << r.path;
    EXPECT_EQ(r.size, file.size) << r.path;
    EXPECT_EQ(r.rootLength, 3u) << r.path;  // "X:\\"
    // Windows' serial is the low half of the volume's; Wine cannot read it of an image's drive.
    EXPECT_TRUE(r.identity.volumeSerial == static_cast<std::uint32_t>(table.serial) || r.identity.volumeSerial == 0)
        << r.path;
  }

  // Planted after the image was filled, removed through the checked removal: it
  // goes, and one written to since the scan stays and says why.
  const std::wstring going = L"X:\\removal check\\goes.tmp", changed = L"X:\\removal check\\changed.tmp";
  ASSERT_TRUE(CreateDirectoryW(L"X:\\removal check", nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  WriteBytes(going, "junk");
  WriteBytes(changed, "junk");
  const Scan again = ScanOf(DriveScan({L"X:"}, true));
  ASSERT_EQ(again.result.drivesFromTable, 1u);
  std::vector<std::size_t> chosen;
  for (std::size_t i = 0; i < again.rows.size(); ++i)
    if (again.rows[i].path == going || again.rows[i].path == changed) chosen.push_back(i);
  ASSERT_EQ(chosen.size(), 2u) << "the planted files were not read from the table";
  WriteBytes(changed, "junk, written again");
  RecordingRun run;
  RemovalOptions direct;
  direct.mode = RemovalMode::DeleteDirectly;
  const RemovalReport report = RemoveFoundRows(again.rows, chosen, direct, run);
  EXPECT_FALSE(PathExists(going));
  EXPECT_TRUE(PathExists(changed));
  ASSERT_EQ(report.kept.size(), 1u);
  EXPECT_EQ(again.rows[report.kept[0].first].path, changed);
  EXPECT_EQ(report.kept[0].second, KeptReason::Changed);
  static_cast<void>(DeleteFileW(changed.c_str()));
  static_cast<void>(RemoveDirectoryW(L"X:\\removal check"));
}

// Substitutes for the volume part: the drive as another kind of drive, or unopenable.
class OtherVolumes : public Win32Volumes {
 public:
  unsigned type = DRIVE_FIXED;
  std::wstring fileSystem = L"NTFS";
  bool opens = true;
  unsigned driveType(std::wstring_view) override { return type; }
  std::optional<std::wstring> fileSystemName(std::wstring_view root) override {
    return Win32Volumes::fileSystemName(root) ? std::optional<std::wstring>(fileSystem) : std::nullopt;
  }
  std::unique_ptr<File> openVolume(wchar_t letter) override {
    return opens ? Win32Volumes::openVolume(letter) : nullptr;
  }
};

TEST_F(JunkTableScan, DrivesWhoseTableCannotBeReadAreWalkedWithTheSameRows) {
  const Scan walked = ScanOf(DriveScan({L"X:"}, false));
  ASSERT_FALSE(walked.rows.empty());
  struct Case {
    const char* what;
    unsigned type;
    const wchar_t* fileSystem;
    bool opens;
  };
  const Case cases[] = {
      {"FAT32", DRIVE_FIXED, L"FAT32", true},
      {"exFAT", DRIVE_REMOVABLE, L"exFAT", true},
      {"a network drive", DRIVE_REMOTE, L"NTFS", true},
      {"a CD", DRIVE_CDROM, L"NTFS", true},
      {"no access to the volume", DRIVE_FIXED, L"NTFS", false},
  };
  for (const Case& c : cases) {
    OtherVolumes volumes;
    volumes.type = c.type;
    volumes.fileSystem = c.fileSystem;
    volumes.opens = c.opens;
    Substitute<Volumes> swap(&Platform::volumes, volumes);
    const Scan s = ScanOf(DriveScan({L"X:"}, true));
    EXPECT_EQ(s.result.drivesFromTable, 0u) << c.what;
    EXPECT_EQ(Rows(s), Rows(walked)) << c.what;
  }
  // The damaged copy: its table does not hold together, so the same tree is walked.
  const Scan damaged = ScanOf(DriveScan({L"Y:"}, true));
  EXPECT_EQ(damaged.result.drivesFromTable, 0u);
  EXPECT_EQ(OnDrive(Rows(damaged), L'X'), Rows(walked));
  NtfsReadResult why;
  static_cast<void>(ReadTable(kDamaged, &why));
  EXPECT_EQ(why.fault, NtfsFault::Record);
}

// Y: shows the very tree X: does (the one ntfs-3g mount behind both letters), as
// a SUBST drive or a second letter of a volume would: whichever way the first
// drive went, from its table or walked, the second adds nothing, so no file is
// listed twice.
TEST_F(JunkTableScan, ADriveShowingOneGoneThroughBeforeAddsNothing) {
  const Scan alone = ScanOf(DriveScan({L"X:"}, false));
  ASSERT_FALSE(alone.rows.empty());
  struct Case {
    std::vector<std::wstring> drives;
    std::size_t fromTable;  // X: first: from its table; Y: first: walked, its table being damaged
  };
  for (const Case& c : {Case{{L"X:", L"Y:"}, 1}, Case{{L"Y:", L"X:"}, 0}}) {
    const Scan walked = ScanOf(DriveScan(c.drives, false));
    const Scan mixed = ScanOf(DriveScan(c.drives, true));
    EXPECT_EQ(mixed.result.drivesFromTable, c.fromTable);
    EXPECT_EQ(Rows(mixed), Rows(walked));
    EXPECT_EQ(mixed.lines, walked.lines);
    EXPECT_EQ(OnDrive(Rows(mixed), L'X'), Rows(alone));  // the first drive's rows, nothing more
  }

  // An unticked drive is neither read nor walked.
  JunkScanInput in = DriveScan({L"X:"}, true);
  in.driveTicks = {false};
  const Scan none = ScanOf(in);
  EXPECT_TRUE(none.rows.empty());
  EXPECT_EQ(none.result.drivesFromTable, 0u);
}

TEST_F(JunkTableScan, AStopEndsTheScanWhereverItIs) {
  const Scan whole = ScanOf(DriveScan({L"X:", L"Y:"}, true));
  for (std::size_t stopAfter : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{500}}) {
    const Scan s = ScanOf(DriveScan({L"X:", L"Y:"}, true), stopAfter);
    EXPECT_TRUE(s.result.stopped) << stopAfter;
    EXPECT_LT(s.rows.size(), whole.rows.size()) << stopAfter;
    // What was found before the stop is the start of the whole scan's rows.
    ASSERT_LE(s.rows.size(), whole.rows.size());
    for (std::size_t i = 0; i < s.rows.size(); ++i) EXPECT_EQ(s.rows[i].path, whole.rows[i].path) << stopAfter;
    // Y: is never walked after a stop on X:.
    for (const FoundRow& r : s.rows) EXPECT_EQ(r.path.rfind(L"X:", 0), 0u) << r.path;
  }
}

// The table holds the 8.3 names Windows keeps on the volume; a folder is left out
// when its short form holds an exclusion, as a walk on Windows does. (Under Wine
// a walk sees names Wine makes up itself, so only the table is held to this.)
TEST_F(JunkTableScan, AFolderIsLeftOutByTheVolumesShortForm) {
  const Scan s = ScanOf(DriveScan({L"X:"}, true, {L"\\FOLDER~1\\"}));
  ASSERT_EQ(s.result.drivesFromTable, 1u);
  EXPECT_FALSE(Listed(s, L"X:\\short names\\Folder with a short name\\inside.tmp"));
  EXPECT_TRUE(Listed(s, L"X:\\short names\\Long file name here.tmp"));
}

}  // namespace
}  // namespace wv::test
