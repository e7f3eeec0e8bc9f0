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

// An entry that is gone before the shredder opens it (a drive unplugged, a file
// renamed or deleted by another program) is reported as gone, never as shredded.
TEST(ShredTask, AnEntryGoneBeforehandIsReportedGoneNotShredded) {
  TempFolder t(L"shgone");
  const std::wstring here = PatternFile(t / L"here.txt", 100);
  for (const bool folder : {false, true}) {
    ShredRowVector rows({{t / L"gone", folder, 0}});
    ShredPageLog page;
    TestRun run;
    RunShredTask({ShredTask::ShredSelected, {}, 0}, rows, run, page.events());
    EXPECT_EQ(run.last(), folder ? L"当前选中的目录已不存在，未作粉碎" : L"当前选中的文件已不存在，未作粉碎");
    EXPECT_TRUE(Paths(rows).empty() && page.failures.empty());
  }
  ShredRowVector rows({{here, false, 100}, {t / L"gone.txt", false, 100}, {t / L"gone dir", true, 0}});
  TestRun run;
  RunShredTask({ShredTask::ShredAll, {}}, rows, run);
  EXPECT_EQ(run.last(), L"已完成对 1 个文件或目录的不可恢复性删除，另有 2 个在粉碎前已不存在");
  EXPECT_TRUE(Paths(rows).empty() && !PathExists(here));
}

// Overwritten, cut and renamed, but the renamed file cannot be deleted: no
// shredding. It goes back under its own name and its row stays.
TEST(ShredFile, ARenamedFileLeftBehindIsAFailure) {
  TempFolder t(L"shleft");
  const std::wstring path = PatternFile(t / L"left.txt", 2000);
  LoggingFs fs;
  fs.failDeleteOfRenamed = true;
  TestRun run;
  EXPECT_EQ(ShredFile(path, run), ShredFileResult::NotRemoved);
  EXPECT_TRUE(PathExists(path) && GetFileSizeOf(path) == 0u);
  WIN32_FIND_DATAW fd;
  EXPECT_FALSE(UniqueFind(FindFirstFileW((t / L"QV*").c_str(), &fd)).valid());
  ShredRowVector rows({{path, false, 0}});
  ShredPageLog page;
  RunShredTask({ShredTask::ShredSelected, {}, 0}, rows, run, page.events());
  EXPECT_EQ(Paths(rows), Names{path});
  EXPECT_EQ(page.failures, (Failures{{ShredFailure::File, path}}));
}

// A read-only folder loses its mark to be removed once empty; one that must stay gets it back.
TEST(ShredFolder, AReadOnlyFolderGoesAfterItsFiles) {
  TempFolder t(L"shro");
  const std::wstring root = t.folder(L"victim"), sub = t.folder(L"victim\\sub"), kept = t.folder(L"kept");
  PatternFile(root + L"\\a.txt", 100);
  PatternFile(sub + L"\\b.txt", 100);
  const std::wstring held = PatternFile(kept + L"\\held.txt", 100);
  LoggingFs fs;
  for (const std::wstring& f : {root, sub, kept}) fs.readOnlyFolders.insert(LoggingFs::Folded(f));
  TestRun run;
  ShredFolder(root, run);
  EXPECT_FALSE(PathExists(root));
  {
    UniqueFile hold = HoldOpen(held);
    ShredFolder(kept, run);
  }
  EXPECT_TRUE(PathExists(held));
  EXPECT_TRUE(fs.attributes(kept) & FILE_ATTRIBUTE_READONLY) << "the folder that stays keeps its mark";
}

// Compressed and encrypted contents are kept elsewhere than where zeros written
// in place would go: such a file is left as it was, and said so.
TEST(ShredFile, CompressedOrEncryptedContentsAreLeftUnwritten) {
  for (const DWORD kept : {DWORD{FILE_ATTRIBUTE_COMPRESSED}, DWORD{FILE_ATTRIBUTE_ENCRYPTED}}) {
    SCOPED_TRACE(kept);
    TempFolder t(L"shcomp");
    const std::wstring path = PatternFile(t / L"packed.doc", 3000);
    const std::string before = ReadBytes(path);
    LoggingFs fs;
    fs.keptAs[path] = kept;
    TestRun run;
    EXPECT_NE(ShredFile(path, run), ShredFileResult::Shredded);
    EXPECT_TRUE(fs.log.empty() && ReadBytes(path) == before);
    ShredRowVector rows({{path, false, 3000}});
    ShredPageLog page;
    RunShredTask({ShredTask::ShredSelected, {}, 0}, rows, run, page.events());
    EXPECT_EQ(Paths(rows), Names{path});
    ASSERT_EQ(page.failures.size(), 1u);
    EXPECT_NE(page.failures[0].first, ShredFailure::File) << "not a file in use";
  }
}

// A drive's root and the Windows, program and user folders are never listed (nor
// anything holding them); an ordinary folder is.
TEST(ShredTask, ProtectedFoldersAreNeverListed) {
  TempFolder t(L"shprot");
  const std::wstring mine = t.folder(L"mine");
  Shell& shell = Sh();
  const Names pending = {L"C:\\", shell.windowsFolder(), shell.specialFolder(0x26), shell.specialFolder(0x28),
                         std::wstring(ExtractFilePath(ExcludeTrailingBackslash(shell.specialFolder(0x28)))), mine};
  ShredRowVector rows;
  TestRun run;
  RunShredTask({ShredTask::Import, pending}, rows, run);
  EXPECT_EQ(Paths(rows), Names{mine});
}

}  // namespace
}  // namespace wv::test
