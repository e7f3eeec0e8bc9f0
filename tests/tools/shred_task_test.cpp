#include <gtest/gtest.h>

#include "core/publline.h"
#include "core/text.h"
#include "tools/shred_fixtures.h"

namespace wv::test {
namespace {

ShredJob Job(ShredTask task, std::vector<std::wstring> pending = {}, std::size_t selected = 0) {
  return ShredJob{task, std::move(pending), selected};
}

TEST(ShredTask, ImportListsFilesAndFoldersOnceAndSkipsWhatIsMissing) {
  TempFolder t(L"shimp");
  const std::wstring listed = PatternFile(t / L"listed.txt", 10);
  const std::wstring file = PatternFile(t / L"file.txt", 2500);
  const std::wstring folder = t.folder(L"Folder");
  PatternFile(folder + L"\\inner.txt", 10);
  const std::wstring huge = t / L"huge.img";
  ASSERT_TRUE(SparseFile(huge, (std::uint64_t{5} << 30) + 7));
  CountingRows rows({{listed, false, 10}});
  ShredPageLog page;
  ShredRun run;
  const std::vector<std::wstring> pending = {file, ToUpper(listed), folder, t / L"missing.txt", ToUpper(file),
                                             huge};
  EXPECT_FALSE(RunShredTask(Job(ShredTask::Import, pending), rows, run, page.events()).stopped);

  ASSERT_EQ(rows.paths(), (std::vector<std::wstring>{listed, file, folder, huge}));
  EXPECT_EQ(rows.at(1).size, 2500u);
  EXPECT_TRUE(rows.at(2).isFolder);  // one row; what is inside is not listed
  EXPECT_EQ(rows.at(3).size, (std::uint64_t{5} << 30) + 7);
  EXPECT_EQ(rows.added, 3u);
  EXPECT_EQ(page.captions.back(), L"待粉碎的文件或目录名     (共 4 项)");
  EXPECT_EQ(run.statuses, (std::vector<std::wstring>{L"", std::wstring(kImportingText), std::wstring(kImportedText)}));
  EXPECT_EQ(run.maxima, std::vector<std::uint32_t>{6});
  EXPECT_EQ(run.position, 6u);

  // A stop before the third path: two listed (the first rows of this list), the rest left.
  CountingRows fresh;
  ShredRun stopping([](const ShredRun& r) { return r.proceeds >= 3; });
  EXPECT_TRUE(RunShredTask(Job(ShredTask::Import, pending), fresh, stopping).stopped);
  EXPECT_EQ(fresh.paths(), (std::vector<std::wstring>{file, ToUpper(listed)}));
  EXPECT_EQ(stopping.lastStatus(), kImportStoppedText);
  EXPECT_EQ(ShredCountCaption(0), L"待粉碎的文件或目录名");
}

TEST(ShredTask, ShredSelectedRemovesTheRowOnlyWhenTheEntryIsGone) {
  TempFolder t(L"shsel");
  const std::wstring file = PatternFile(t / L"file.txt", 3000);
  const std::wstring held = PatternFile(t / L"held.txt", 3000);
  const std::wstring clean = t.folder(L"clean");
  PatternFile(clean + L"\\x\\y.txt", 3000);
  const std::wstring busy = t.folder(L"busy");
  PatternFile(busy + L"\\free.txt", 3000);
  const std::wstring locked = PatternFile(busy + L"\\locked.txt", 3000);
  CountingRows rows({{file, false, 3000}, {held, false, 3000}, {clean, true, 0}, {busy, true, 0}});
  UniqueFile holdHeld = HoldOpen(held), holdLocked = HoldOpen(locked);
  ASSERT_TRUE(holdHeld.valid() && holdLocked.valid());

  struct Step {
    std::wstring path;
    std::wstring status;  // last status text
    std::vector<std::wstring> left;
    std::vector<std::pair<ShredFailure, std::wstring>> failures;
  };
  const std::vector<Step> steps = {
      {file, std::wstring(kFileShreddedText), {held, clean, busy}, {}},
      {held, L"", {held, clean, busy}, {{ShredFailure::File, held}}},
      {clean, std::wstring(kFolderShreddedText), {held, busy}, {}},
      {busy, L"", {held, busy}, {{ShredFailure::Folder, busy}}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.path);
    std::size_t index = 0;
    while (rows.at(index).path != step.path) ++index;
    ShredPageLog page;
    ShredRun run;
    EXPECT_FALSE(RunShredTask(Job(ShredTask::ShredSelected, {}, index), rows, run, page.events()).stopped);
    EXPECT_EQ(run.lastStatus(), step.status);
    EXPECT_EQ(rows.paths(), step.left);
    EXPECT_EQ(page.failures, step.failures);
    EXPECT_EQ(page.captions.back(), ShredCountCaption(step.left.size()));
  }
  EXPECT_FALSE(PathExists(busy + L"\\free.txt"));
  holdHeld.reset();
  holdLocked.reset();
  EXPECT_EQ(ReadBytes(locked).size(), 3000u);
  EXPECT_EQ(ReadBytes(held).size(), 3000u);
}

// A file truncated but left under its name is not destroyed as far as the user can see.
TEST(ShredTask, AFileThatKeepsItsNameKeepsItsRowAndIsReported) {
  TempFolder t(L"shname");
  const std::wstring file = PatternFile(t / L"file.txt", 100);
  CountingRows rows({{file, false, 100}});
  LoggingFs fs;
  fs.failRename = true;
  ShredPageLog page;
  ShredRun run;
  RunShredTask(Job(ShredTask::ShredSelected), rows, run, page.events());
  RunShredTask(Job(ShredTask::ShredAll), rows, run, page.events());
  EXPECT_EQ(rows.paths(), std::vector<std::wstring>{file});
  EXPECT_EQ(page.failures, (std::vector<std::pair<ShredFailure, std::wstring>>{{ShredFailure::File, file},
                                                                              {ShredFailure::SomeEntries, L""}}));
}

TEST(ShredTask, ShredAllKeepsTheRowsOfWhatItHadToLeaveAndReportsOnce) {
  TempFolder t(L"shall");
  const std::wstring a = PatternFile(t / L"a.txt", 2000);
  const std::wstring held = PatternFile(t / L"held.txt", 2000);
  const std::wstring folder = t.folder(L"folder");
  PatternFile(folder + L"\\inner.txt", 2000);
  const std::wstring recycling = t.folder(L"recycling");
  PatternFile(recycling + L"\\RECYCLED\\kept.txt", 2000);
  const std::wstring b = PatternFile(t / L"b.txt", 2000);
  CountingRows rows({{a, false, 0}, {held, false, 0}, {folder, true, 0}, {recycling, true, 0}, {b, false, 0}});
  UniqueFile hold = HoldOpen(held);
  ASSERT_TRUE(hold.valid());
  ShredPageLog page;
  ShredRun run;
  EXPECT_FALSE(RunShredTask(Job(ShredTask::ShredAll), rows, run, page.events()).stopped);

  EXPECT_EQ(rows.paths(), (std::vector<std::wstring>{held, recycling}));
  EXPECT_EQ(rows.removed, 3u);
  ASSERT_EQ(page.failures.size(), 1u);
  EXPECT_EQ(page.failures[0].first, ShredFailure::SomeEntries);
  EXPECT_EQ(run.lastStatus(), L"");
  EXPECT_TRUE(PathExists(recycling + L"\\RECYCLED\\kept.txt"));

  hold.reset();
  EXPECT_FALSE(RunShredTask(Job(ShredTask::ShredAll), rows, run, page.events()).stopped);
  EXPECT_EQ(rows.paths(), (std::vector<std::wstring>{recycling}));
}

TEST(ShredTask, AStopDuringShredAllLeavesTheRestUntouched) {
  TempFolder t(L"shallstop");
  std::vector<ShredRow> all;
  for (const wchar_t* name : {L"1.txt", L"2.txt", L"3.txt", L"4.txt"})
    all.push_back({PatternFile(t / name, 5000), false, 5000});
  CountingRows rows(all);
  ShredPageLog page;
  // Asked while the second file is written: that file is finished, the next is not begun.
  ShredRun run([](const ShredRun& r) { return r.shreddingTexts() == 2 && r.position >= 2; });
  const ShredResult result = RunShredTask(Job(ShredTask::ShredAll), rows, run, page.events());
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(result.status, kShredStoppedText);  // the summary the page ends the run with

  EXPECT_EQ(rows.paths(), (std::vector<std::wstring>{all[2].path, all[3].path}));
  EXPECT_FALSE(PathExists(all[0].path));
  EXPECT_FALSE(PathExists(all[1].path));
  for (std::size_t i = 2; i < 4; ++i) EXPECT_EQ(ReadBytes(all[i].path).substr(0, 3), "ABC");
  EXPECT_EQ(run.lastStatus(), kShredStoppedText);
  EXPECT_TRUE(page.failures.empty());
  EXPECT_EQ(page.captions.back(), ShredCountCaption(2));
}

TEST(ShredTask, RefreshDropsVanishedEntriesAndRereadsSizes) {
  TempFolder t(L"shref");
  const std::wstring grown = PatternFile(t / L"grown.txt", 10);
  const std::wstring same = PatternFile(t / L"same.txt", 10);
  const std::wstring folder = t.folder(L"folder");
  const std::wstring nowFolder = t.folder(L"now a folder");
  CountingRows rows({{grown, false, 10}, {t / L"vanished.txt", false, 10}, {folder, true, 0},
                     {t / L"gone", true, 0}, {same, false, 10}, {nowFolder, false, 10}});
  PatternFile(grown, 5000);
  ShredPageLog page;
  ShredRun run;
  RunShredTask(Job(ShredTask::Refresh), rows, run, page.events());

  EXPECT_EQ(rows.paths(), (std::vector<std::wstring>{grown, folder, same}));
  EXPECT_EQ(rows.at(0).size, 5000u);
  EXPECT_EQ(rows.updated, 1u);
  EXPECT_EQ(run.maxima, std::vector<std::uint32_t>{6});
  EXPECT_EQ(run.position, 6u);
  EXPECT_EQ(run.lastStatus(), kRefreshedText);
  EXPECT_EQ(page.captions.back(), ShredCountCaption(3));
}

}  // namespace
}  // namespace wv::test
