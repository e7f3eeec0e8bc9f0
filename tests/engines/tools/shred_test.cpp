// The shredder engine over real files and folders, and its list operations.

#include "engines/tools/fixtures.h"

namespace wv::test {
namespace {

using Failures = std::vector<std::pair<ShredFailure, std::wstring>>;

TEST(ShredFile, ZerosOverTheWholeFileInPlaceFlushedBeforeTheCut) {
  const struct { std::size_t size; DWORD marks; } cases[] = {  // read-only, hidden, system: shredded alike
      {0, 0}, {1, FILE_ATTRIBUTE_READONLY}, {1024, FILE_ATTRIBUTE_HIDDEN}, {2500, FILE_ATTRIBUTE_SYSTEM},
               {5 * 1024 + 3, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    TempFolder t(L"shz");
    const std::wstring path = PatternFile(t / L"secret.doc", c.size);
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), c.marks | FILE_ATTRIBUTE_ARCHIVE));
    LoggingFs fs;
    TestRun run;
    std::string seen = "not called";
    ShredEvents events{.overwritten = [&](std::wstring_view p) { seen = p == path ? ReadBytes(path) : "other"; }};
    EXPECT_EQ(ShredFile(path, run, events), ShredFileResult::Shredded);

    EXPECT_TRUE(seen.size() == c.size && AllZero(seen));  // read through a second handle before the cut
    // Never opened truncating: zeros in place in 1024-byte blocks, flushed, only then cut.
    EXPECT_EQ(fs.log, ZerosLog(L"secret.doc", c.size, true));
    EXPECT_TRUE(fs.truncatingOpens.empty());
    const auto blocks = static_cast<std::uint32_t>(c.size / 1024 + 1);  // one gauge step per block
    EXPECT_TRUE(run.maxima == std::vector{blocks} && run.position == blocks);
    EXPECT_TRUE(RemoveDirectoryW(t.path().c_str()));  // the file gone, and no temporary name left
  }
}

TEST(ShredFile, ASparseFileBeyondFourGiBIsWrittenToItsFullLength) {
  TempFolder t(L"shbig");
  const std::uint64_t size = (std::uint64_t{1} << 32) + 5000;
  const std::wstring path = t / L"huge.vhd";
  ASSERT_TRUE(SparseFile(path, size));
  LoggingFs fs;
  fs.countOnly.insert(path);  // counted, not written: the disk is spared 4 GiB of zeros
  TestRun run;
  EXPECT_EQ(ShredFile(path, run), ShredFileResult::Shredded);
  EXPECT_EQ(fs.writeCalls, size / 1024 + 1);  // every block, then the 904 bytes left
  const auto blocks = static_cast<std::uint32_t>(size / 1024 + 1);
  EXPECT_TRUE(run.maxima == std::vector{blocks} && run.position == blocks && run.proceeds >= blocks - 1);
  EXPECT_FALSE(PathExists(path));
}

// Held, sharing its contents with another name, or a link: nothing is written (the zeros would reach what is not
// listed). A file whose zeros did not all go out is not cut; one that keeps its name is not reported gone.
TEST(ShredFile, WhatCannotBeShreddedWholeIsNeitherCutNorReportedGone) {
  TempFolder t(L"shkeep");
  const std::wstring held = PatternFile(t / L"held.txt", 3000), linked = PatternFile(t / L"linked.txt", 3000);
  const std::wstring symlink = PatternFile(t / L"symlink.txt", 3000), otherName = t / L"other name.txt";
  const std::wstring failing = PatternFile(t / L"failing.txt", 3000), stuck = PatternFile(t / L"stuck.txt", 100);
  ASSERT_TRUE(CreateHardLinkW(otherName.c_str(), linked.c_str(), nullptr) &&
              SetFileAttributesW(linked.c_str(), FILE_ATTRIBUTE_HIDDEN));
  const std::string before = ReadBytes(held);
  LoggingFs fs;
  fs.reportedAsLink.insert(symlink);  // Wine cannot make a file link
  fs.failWritesAfter = 2048;          // a disk error in the third block
  fs.failRename = true;
  TestRun run;
  {
    UniqueFile hold = HoldOpen(held);
    ASSERT_TRUE(hold.valid());
    EXPECT_EQ(ShredFile(held, run), ShredFileResult::CannotOpen);
  }
  EXPECT_EQ(ShredFile(linked, run), ShredFileResult::Linked);
  EXPECT_EQ(ShredFile(symlink, run), ShredFileResult::Linked);
  EXPECT_EQ(ShredFile(failing, run), ShredFileResult::WriteFailed);
  EXPECT_EQ(ShredFile(stuck, run), ShredFileResult::NotRemoved);
  EXPECT_EQ(ShredFile(t / L"missing.txt", run), ShredFileResult::NoFile);
  EXPECT_EQ(ShredFile(t.path(), run), ShredFileResult::NoFile);
  for (const std::wstring& p : {held, linked, otherName, symlink}) EXPECT_EQ(ReadBytes(p), before) << p;
  EXPECT_TRUE(GetFileAttributesW(linked.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(fs.log, Names(2, L"failing.txt zeros 1024") + ZerosLog(L"stuck.txt", 100, true));
  EXPECT_EQ(GetFileSizeOf(failing), 3000u);
  WIN32_FIND_DATAW fd;
  EXPECT_FALSE(UniqueFind(FindFirstFileW((t / L"QV*").c_str(), &fd)).valid());  // the temporary name was given up again

  // The stuck file's row stays, and the user hears of it.
  ShredRowVector rows({{stuck, false, 0}});
  ShredPageLog page;
  RunShredTask({ShredTask::ShredSelected, {}}, rows, run, page.events());
  RunShredTask({ShredTask::ShredAll, {}}, rows, run, page.events());
  EXPECT_EQ(Paths(rows), Names{stuck});
  EXPECT_EQ(page.failures, (Failures{{ShredFailure::File, stuck}, {ShredFailure::SomeEntries, L""}}));
}

TEST(ShredFile, NamedStreamsAreOverwrittenAndCutBeforeTheFile) {
  TempFolder t(L"shads");
  const std::wstring path = PatternFile(t / L"report.doc", 1500);
  PatternFile(path + L":secret:$DATA", 3000);  // a stream on Windows; Wine makes a file of it, and lists no streams
  LoggingFs fs;
  fs.streams[path] = {{L":secret:$DATA", 3000}};
  TestRun run;
  EXPECT_EQ(ShredFile(path, run), ShredFileResult::Shredded);
  EXPECT_EQ(fs.log,
            ZerosLog(L"report.doc", 1500) + ZerosLog(L"report.doc:secret:$DATA", 3000, true) + Names{L"report.doc truncate 0"});
  EXPECT_EQ(run.maxima, std::vector<std::uint32_t>{2});  // the stream's blocks do not move the file's gauge
}

TEST(ShredFolder, TheTreeGoesBottomUpButForWhatIsHeldAndRecycled) {
  TempFolder t(L"shtree");
  const std::wstring root = t.folder(L"victim");
  Names shredded;
  for (const wchar_t* f : {L"a.txt", L"b.dat", L"sub\\c.txt", L"sub\\deep\\d.txt", L"held\\f.txt"})
    shredded.push_back(PatternFile(root + L"\\" + f, 700));
  ASSERT_TRUE(SetFileAttributesW(shredded[1].c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  const std::wstring held = PatternFile(root + L"\\held\\e.txt", 700),
                     recycled = PatternFile(root + L"\\rEcYcLeD\\g.txt", 700);
  t.folder(L"victim\\empty\\emptier");
  const std::string before = ReadBytes(held);
  Names overwritten;
  ShredEvents events{.overwritten = [&](std::wstring_view p) {
    EXPECT_TRUE(AllZero(ReadBytes(p))) << std::wstring(p);
    overwritten.emplace_back(p);
  }};
  TestRun run;
  {
    UniqueFile hold = HoldOpen(held);
    ASSERT_TRUE(hold.valid());
    ShredFolder(root, run, events);
  }
  EXPECT_EQ(overwritten.size(), shredded.size());
  for (const std::wstring& p : shredded) EXPECT_FALSE(PathExists(p)) << p;
  EXPECT_FALSE(PathExists(root + L"\\sub") || PathExists(root + L"\\empty"));
  // Passed over: the held file and the recycle folder, and so the folders holding them.
  EXPECT_TRUE(ReadBytes(held) == before && ReadBytes(recycled) == before && DirectoryExists(root));
  EXPECT_EQ(run.shreddingTexts(), shredded.size() + 1);  // the held file too was looked at
}

// Wherever the stop falls, the first file of each folder after it is left; folders with no file in them still go.
TEST(ShredFolder, AStopEndsTheWalkAtTheNextFile) {
  TempFolder t(L"shstop");
  const std::wstring root = t.folder(L"victim");
  const std::wstring one = PatternFile(root + L"\\full\\one.txt", 100), two = PatternFile(root + L"\\full\\two.txt", 100);
  const std::wstring later = PatternFile(root + L"\\later\\three.txt", 100);
  t.folder(L"victim\\empty\\emptier");
  TestRun run([](const TestRun& r) { return r.shreddingTexts() >= 1; });
  ShredFolder(root, run);
  EXPECT_TRUE(run.shreddingTexts() == 1 && PathExists(one) + PathExists(two) + PathExists(later) == 2);
  EXPECT_TRUE(!PathExists(root + L"\\empty") && DirectoryExists(root));
}

TEST(ShredFolder, FolderLinksAreNeverEntered) {
  const std::wstring fixture = L"C:\\WindowsVantorraFixtures\\shred";  // Unix links: Wine cannot make them
  ASSERT_TRUE(GetFileAttributesW((fixture + L"\\tree\\out").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT)
      << "planted by scripts/make-shred-links (a ctest fixture)";
  TestRun run;
  ShredFolder(fixture + L"\\tree", run);
  ShredFolder(fixture + L"\\toplink", run);
  EXPECT_FALSE(PathExists(fixture + L"\\tree\\inside.txt") || PathExists(fixture + L"\\tree\\sub"));
  EXPECT_EQ(ReadBytes(fixture + L"\\outside\\keep.txt") + ReadBytes(fixture + L"\\outside2\\keep.txt"), "keep thiskeep that");
  EXPECT_EQ(run.shreddingTexts(), 2u);
}

TEST(ShredTask, ImportListsFilesAndFoldersOnceAndSkipsWhatIsMissing) {
  TempFolder t(L"shimp");
  const std::wstring listed = PatternFile(t / L"listed.txt", 10), file = PatternFile(t / L"file.txt", 2500);
  const std::wstring folder = t.folder(L"Folder"), huge = t / L"huge.img";
  PatternFile(folder + L"\\inner.txt", 10);
  ASSERT_TRUE(SparseFile(huge, (std::uint64_t{5} << 30) + 7));
  ShredRowVector rows({{listed, false, 10}});
  ShredPageLog page;
  TestRun run;
  const Names pending = {file, ToUpper(listed), folder, t / L"missing.txt", ToUpper(file), huge};
  EXPECT_FALSE(RunShredTask({ShredTask::Import, pending}, rows, run, page.events()).stopped);
  ASSERT_EQ(Paths(rows), (Names{listed, file, folder, huge}));
  // A folder is one row (what is inside is not listed); sizes are 64-bit.
  EXPECT_TRUE(rows.at(1).size == 2500u && rows.at(2).isFolder && rows.at(3).size == (std::uint64_t{5} << 30) + 7);
}

TEST(ShredTask, ARowGoesOnlyWhenItsEntryIsGone) {
  TempFolder t(L"shsel");
  const std::wstring file = PatternFile(t / L"file.txt", 3000), held = PatternFile(t / L"held.txt", 3000);
  const std::wstring clean = t.folder(L"clean"), busy = t.folder(L"busy");
  PatternFile(clean + L"\\x\\y.txt", 3000);
  PatternFile(busy + L"\\free.txt", 3000);
  const std::wstring locked = PatternFile(busy + L"\\locked.txt", 3000);
  ShredRowVector rows({{file, false, 3000}, {held, false, 3000}, {clean, true, 0}, {busy, true, 0}});
  UniqueFile holdHeld = HoldOpen(held), holdLocked = HoldOpen(locked);
  ASSERT_TRUE(holdHeld.valid() && holdLocked.valid());
  const struct { std::wstring path, status; Names left; Failures failures; } steps[] = {
      {file, L"已完成对当前选中文件的不可恢复性删除", {held, clean, busy}, {}},
      {held, L"", {held, clean, busy}, {{ShredFailure::File, held}}},
      {clean, L"已完成对当前选中目录的不可恢复性删除", {held, busy}, {}},
      {busy, L"", {held, busy}, {{ShredFailure::Folder, busy}}},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.path);
    const Names paths = Paths(rows);
    const auto index = static_cast<std::size_t>(std::find(paths.begin(), paths.end(), step.path) - paths.begin());
    ShredPageLog page;
    TestRun run;
    EXPECT_FALSE(RunShredTask({ShredTask::ShredSelected, {}, index}, rows, run, page.events()).stopped);
    EXPECT_TRUE(run.last() == step.status && page.failures == step.failures);
    EXPECT_EQ(Paths(rows), step.left);
    EXPECT_EQ(page.counts.back(), step.left.size());
  }
  EXPECT_FALSE(PathExists(busy + L"\\free.txt"));

  // Shred all leaves the same two, and says so once; freed, they go.
  ShredPageLog page;
  TestRun run;
  EXPECT_FALSE(RunShredTask({ShredTask::ShredAll, {}}, rows, run, page.events()).stopped);
  EXPECT_TRUE(Paths(rows) == (Names{held, busy}) && run.last().empty());
  EXPECT_EQ(page.failures, (Failures{{ShredFailure::SomeEntries, L""}}));
  holdHeld.reset(), holdLocked.reset();
  EXPECT_TRUE(ReadBytes(locked).starts_with("ABC") && ReadBytes(held).starts_with("ABC"));
  EXPECT_FALSE(RunShredTask({ShredTask::ShredAll, {}}, rows, run, page.events()).stopped);
  EXPECT_TRUE(Paths(rows).empty() && run.last() == L"已完成对当前所有文件或目录的不可恢复性删除");
  EXPECT_FALSE(PathExists(held) || PathExists(busy));
}

}  // namespace
}  // namespace wv::test
