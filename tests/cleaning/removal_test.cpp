#include <gtest/gtest.h>

#include <algorithm>

#include "cleaning/cleaning_fixtures.h"
#include "cleaning/removal.h"
#include "cleaning/wjqlline.h"
#include "cleaning/wjrcline.h"
#include "core/publline.h"
#include "support/testsupport.h"

namespace wv::test {
namespace {

void ScanJunk(const std::wstring& folder, RowModel& rows) {
  JunkScanInput in;
  in.mode = JunkScanMode::ChosenFolder;
  in.folder = folder;
  in.masks = {L"*.tmp"};
  FakeRun run;
  static_cast<void>(JunkFileScan(in, run, rows));
}

void ScanDaily(const std::wstring& folder, RowModel& rows) {
  DailyScanInput in;
  in.items[4] = true;
  UserCleanFolder u;
  u.ticked = true;
  u.folder = folder;
  u.includeSubfolders = true;
  u.givenTypes = false;
  in.userFolders = {u};
  FakeRun run;
  static_cast<void>(DailyFileScan(in, run, rows));
}

std::vector<std::size_t> Indices(const RowModel& rows, std::initializer_list<std::wstring> paths) {
  std::vector<std::size_t> out;
  for (const std::wstring& p : paths) {
    const int i = RowIndex(rows, p);
    EXPECT_GE(i, 0) << p;
    if (i >= 0) out.push_back(static_cast<std::size_t>(i));
  }
  return out;
}

TEST(Removal, EachModeRunsOneShellOperationAndDropsTheRowsOfGoneFiles) {
  struct Case {
    const wchar_t* label;
    RemovalMode mode;
    FileOpFunc func;
    unsigned flags;
  };
  const Case cases[] = {
      {L"recycle bin", RemovalMode::RecycleBin, FileOpFunc::Delete, FOF_ALLOWUNDO | FOF_NOERRORUI},
      {L"direct", RemovalMode::DeleteDirectly, FileOpFunc::Delete, FOF_SILENT | FOF_NOERRORUI},
      {L"move", RemovalMode::MoveToFolder, FileOpFunc::Move, FOF_ALLOWUNDO | FOF_NOERRORUI},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TempFolder root(L"rm");
    TempFolder dest(L"dest");
    const std::wstring a = root.file(L"a_" + std::to_wstring(GetTickCount64()) + L".tmp");
    const std::wstring b = root.file(L"sub\\b.tmp");
    const std::wstring keep = root.file(L"keep.tmp");
    ASSERT_TRUE(SetFileAttributesW(a.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    RowModel rows;
    ScanJunk(root.path(), rows);
    ASSERT_EQ(rows.size(), 3u);

    RemovalOptions options;
    options.mode = c.mode;
    if (c.mode == RemovalMode::MoveToFolder) options.moveFolder = dest.path();
    RecordingShell shell;
    std::vector<std::size_t> chosen = Indices(rows, {b, a});
    std::sort(chosen.begin(), chosen.end());
    std::vector<std::wstring> expectedSources;
    for (std::size_t i : chosen) expectedSources.push_back(rows.at(i).caption);

    EXPECT_EQ(RemoveJunkRows(rows, Indices(rows, {b, a}), options), 2u);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].func, c.func);
    EXPECT_EQ(shell.calls[0].flags, c.flags);
    EXPECT_EQ(shell.calls[0].sources, expectedSources);
    EXPECT_EQ(shell.calls[0].target, options.moveFolder);
    EXPECT_EQ(Captions(rows), std::vector<std::wstring>{keep});
    EXPECT_FALSE(PathExists(a));
    EXPECT_FALSE(PathExists(b));
    EXPECT_TRUE(PathExists(keep));

    std::wstring landed;  // where a.tmp is now, to see its marks
    if (c.mode == RemovalMode::MoveToFolder) {
      landed = dest / std::wstring(ExtractFileName(a));
      EXPECT_TRUE(PathExists(landed));
      EXPECT_TRUE(PathExists(dest / L"b.tmp"));
    } else if (c.mode == RemovalMode::RecycleBin) {
      EXPECT_TRUE(RecycleBinHolds(a));
      EXPECT_TRUE(RecycleBinHolds(b));
      EXPECT_TRUE(RestoreFromRecycleBin(b));
      EXPECT_TRUE(RestoreFromRecycleBin(a));
      landed = a;
    } else {
      EXPECT_FALSE(RecycleBinHolds(a));
    }
    if (!landed.empty()) {
      const DWORD attrs = GetFileAttributesW(landed.c_str());
      ASSERT_NE(attrs, INVALID_FILE_ATTRIBUTES);
      EXPECT_EQ(attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u) << "the marks go before removal";
    }
  }
}

TEST(Removal, RowsOfFilesStillThereStay) {
  TempFolder root(L"rmstay");
  const std::wstring a = root.file(L"a.tmp");
  const std::wstring busy = root.file(L"busy.tmp");
  const std::wstring gone = root.file(L"gone.tmp");
  RowModel rows;
  ScanJunk(root.path(), rows);
  ASSERT_EQ(rows.size(), 3u);
  ASSERT_TRUE(DeleteFileW(gone.c_str()));

  RecordingShell shell;
  RemovalOptions options;
  options.mode = RemovalMode::DeleteDirectly;
  std::size_t removed = 0;
  {
    HeldOpen hold(busy);
    ASSERT_TRUE(hold.held());
    removed = RemoveJunkRows(rows, AllRowIndices(rows), options);
  }
  EXPECT_EQ(removed, 2u);
  EXPECT_EQ(Captions(rows), std::vector<std::wstring>{busy});
  ASSERT_EQ(shell.calls.size(), 1u);
  std::vector<std::wstring> sources = shell.calls[0].sources;
  std::sort(sources.begin(), sources.end());
  EXPECT_EQ(sources, (std::vector<std::wstring>{a, busy}));  // a vanished file is not handed over
  EXPECT_FALSE(PathExists(a));
  EXPECT_TRUE(PathExists(busy));
}

TEST(Removal, NothingChosenOrOutOfRange) {
  TempFolder root(L"rmnone");
  root.file(L"a.tmp");
  root.file(L"b.tmp");
  RowModel rows;
  ScanJunk(root.path(), rows);
  ASSERT_EQ(rows.size(), 2u);
  RecordingShell shell;
  RemovalOptions options;
  options.mode = RemovalMode::DeleteDirectly;
  EXPECT_EQ(RemoveJunkRows(rows, {}, options), 0u);
  EXPECT_TRUE(shell.calls.empty());

  const std::wstring second = rows.at(1).caption;
  EXPECT_EQ(RemoveJunkRows(rows, {1, 1, 7}, options), 1u);
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].sources, std::vector<std::wstring>{second});
  EXPECT_EQ(rows.size(), 1u);
}

TEST(Removal, MoveModeChecksItsFolderAndAsks) {
  TempFolder root(L"rmmove");
  TempFolder dest(L"rmdest");
  const std::wstring a = root.file(L"a.tmp");
  RowModel rows;
  ScanJunk(root.path(), rows);
  ASSERT_EQ(rows.size(), 1u);

  const std::wstring wrongText = L"您指定的用于存放垃圾文件的目录错误，请重新选择！";
  const std::wstring selectedText = L"您“确定”把当前选中的垃圾文件移动到指定的目录吗？";
  const std::wstring allText = L"您“确定”把所有扫描到的垃圾文件移动到指定的目录吗？";
  struct Case {
    const wchar_t* label;
    RemovalMode mode;
    std::wstring folder;
    bool all;
    int answer;  // 0: no question expected
    bool proceed;
    int icon, buttons;
    std::wstring heading, text;
  };
  const Case cases[] = {
      {L"missing folder", RemovalMode::MoveToFolder, root / L"missing", false, 0, false, 2, 1, L"目录错误", wrongText},
      {L"empty folder text", RemovalMode::MoveToFolder, L"", true, 0, false, 2, 1, L"目录错误", wrongText},
      {L"cancelled", RemovalMode::MoveToFolder, dest.path(), false, IDCANCEL, false, 1, 2, L"文件清理", selectedText},
      {L"confirmed, all rows", RemovalMode::MoveToFolder, dest.path(), true, IDOK, true, 1, 2, L"文件清理", allText},
      {L"recycle bin asks nothing", RemovalMode::RecycleBin, L"", false, -1, true, 0, 0, L"", L""},
      {L"direct asks nothing", RemovalMode::DeleteDirectly, L"", true, -1, true, 0, 0, L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ScriptedMsgBox box;
    if (c.answer > 0) box.answer(c.answer);
    RemovalOptions options;
    options.mode = c.mode;
    options.moveFolder = c.folder;
    EXPECT_EQ(ConfirmRemoval(options, c.all), c.proceed);
    if (c.answer < 0) {
      EXPECT_TRUE(box.shown().empty());
      continue;
    }
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].icon, c.icon);
    EXPECT_EQ(box.shown()[0].buttons, c.buttons);
    EXPECT_EQ(box.shown()[0].heading, c.heading);
    EXPECT_EQ(box.shown()[0].text, c.text);
  }

  // Even without the check the removal never moves into a folder that is not there.
  RecordingShell shell;
  RemovalOptions missing;
  missing.mode = RemovalMode::MoveToFolder;
  missing.moveFolder = root / L"missing";
  EXPECT_EQ(RemoveJunkRows(rows, {0}, missing), 0u);
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_EQ(rows.size(), 1u);
  EXPECT_TRUE(PathExists(a));
}

TEST(Removal, DailyRowsFilesFirstThenWasteFolders) {
  TempFolder root(L"rmdaily");
  root.file(L"a.tmp");
  root.file(L"sub\\b.tmp");
  root.file(L"sub\\deep\\c.tmp");
  RowModel rows;
  ScanDaily(root.path(), rows);
  ASSERT_EQ(rows.size(), 5u);  // three files, two waste folders

  std::vector<std::wstring> files, folders;
  for (const ListRow& r : rows.rows()) (r.column(1) == kWasteFolderText ? folders : files).push_back(r.caption);
  ASSERT_EQ(folders, (std::vector<std::wstring>{root / L"sub\\deep", root / L"sub"}));
  std::vector<std::wstring> expected = files;
  expected.insert(expected.end(), folders.begin(), folders.end());

  RecordingShell shell;
  RemovalOptions options;
  options.mode = RemovalMode::DeleteDirectly;
  EXPECT_EQ(RemoveDailyRows(rows, AllRowIndices(rows), options), 5u);
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].sources, expected);
  EXPECT_EQ(shell.calls[0].flags, static_cast<unsigned>(FOF_SILENT | FOF_NOERRORUI));
  EXPECT_TRUE(rows.empty());
  EXPECT_FALSE(PathExists(root / L"sub"));
  EXPECT_FALSE(PathExists(root / L"a.tmp"));
  EXPECT_TRUE(PathExists(root.path()));
}

TEST(Removal, DailyFallbackRemovesOnlyEmptyWasteFolders) {
  TempFolder root(L"rmfallback");
  root.file(L"a.tmp");
  root.file(L"sub\\deep\\c.tmp");
  root.file(L"other\\x.tmp");
  RowModel rows;
  ScanDaily(root.path(), rows);
  ASSERT_EQ(rows.size(), 6u);  // three files; sub\deep, sub, other
  root.file(L"other\\arrived later.txt");

  RecordingShell shell;
  shell.failAfterFiles = true;  // the files go, the shell reports failure
  RemovalOptions options;
  options.mode = RemovalMode::DeleteDirectly;
  EXPECT_EQ(RemoveDailyRows(rows, AllRowIndices(rows), options), 5u);
  EXPECT_FALSE(PathExists(root / L"sub"));
  EXPECT_TRUE(PathExists(root / L"other\\arrived later.txt"));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows.at(0).caption, root / L"other");
  EXPECT_EQ(rows.at(0).column(1), kWasteFolderText);
}

}  // namespace
}  // namespace wv::test
