#include <gtest/gtest.h>

#include <algorithm>

#include "core/publline.h"
#include "tools/shred_fixtures.h"

namespace wv::test {
namespace {

// Bytes handed to the file at path, write by write, from the log.
std::vector<std::size_t> Writes(const LoggingFs& fs, const std::wstring& path) {
  std::vector<std::size_t> sizes;
  const std::wstring prefix = L"write " + path + L" ";
  for (const std::wstring& entry : fs.log)
    if (entry.rfind(prefix, 0) == 0) sizes.push_back(std::stoul(entry.substr(prefix.size())));
  return sizes;
}

std::size_t Position(const LoggingFs& fs, const std::wstring& entry) {
  return static_cast<std::size_t>(std::find(fs.log.begin(), fs.log.end(), entry) - fs.log.begin());
}

std::size_t FilesIn(const std::wstring& folder) {
  std::size_t n = 0;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do n += (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
  while (FindNextFileW(h, &fd));
  FindClose(h);
  return n;
}

TEST(ShredFile, ZerosCoverTheWholeFileInPlaceBeforeItIsCutRenamedAndDeleted) {
  struct Case {
    std::size_t size;
    std::vector<std::size_t> writes;
    DWORD marks;  // read-only, hidden and system files are shredded alike
  };
  const std::vector<Case> cases = {
      {0, {}, 0},
      {1, {1}, FILE_ATTRIBUTE_READONLY},
      {1024, {1024}, FILE_ATTRIBUTE_HIDDEN},
      {2500, {1024, 1024, 452}, FILE_ATTRIBUTE_SYSTEM},
      {5 * 1024 + 3, {1024, 1024, 1024, 1024, 1024, 3}, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    TempFolder t(L"shz");
    const std::wstring path = PatternFile(t / L"secret.doc", c.size);
    if (c.marks) ASSERT_TRUE(SetFileAttributesW(path.c_str(), c.marks));
    LoggingFs fs;
    ShredRun run;
    std::string seen = "not called";
    ShredEvents events;
    events.overwritten = [&](std::wstring_view p) {
      EXPECT_EQ(p, path);
      seen = ReadBytes(path);
    };
    EXPECT_EQ(ShredFile(path, run, events), ShredFileResult::Shredded);

    // Through a second handle, after the overwrite: as long as before, and all zeros.
    EXPECT_EQ(seen.size(), c.size);
    EXPECT_TRUE(AllZero(seen));
    EXPECT_EQ(Writes(fs, path), c.writes);
    // Never opened with truncation; cut only after the zeros were flushed.
    EXPECT_TRUE(fs.truncatingOpens.empty());
    const std::size_t flushed = Position(fs, L"flush " + path);
    const std::size_t cut = Position(fs, L"truncate " + path + L" 0");
    ASSERT_LT(cut, fs.log.size());
    EXPECT_LT(flushed, cut);
    // One gauge step per full block, ending at the maximum.
    EXPECT_EQ(run.maxima, std::vector<std::uint32_t>{static_cast<std::uint32_t>(c.size / 1024 + 1)});
    EXPECT_EQ(run.position, c.size / 1024 + 1);
    EXPECT_FALSE(PathExists(path));
    EXPECT_EQ(FilesIn(t.path()), 0u);  // no temporary name left behind
  }
}

TEST(ShredFile, ASparseFileBeyondFourGiBIsWrittenToItsFullLength) {
  TempFolder t(L"shbig");
  const std::uint64_t size = (std::uint64_t{1} << 32) + 5000;
  const std::wstring path = t / L"huge.vhd";
  ASSERT_TRUE(SparseFile(path, size));
  ASSERT_EQ(GetFileSizeOf(path), size);
  LoggingFs fs;
  fs.countOnly.insert(path);  // counted, not written: the disk is spared 4 GiB of zeros
  ShredRun run;
  EXPECT_EQ(ShredFile(path, run), ShredFileResult::Shredded);
  EXPECT_EQ(fs.writeCalls, size / 1024 + 1);  // every block, then the 904 bytes left
  EXPECT_EQ(run.maxima, std::vector<std::uint32_t>{static_cast<std::uint32_t>(size / 1024 + 1)});
  EXPECT_EQ(run.position, size / 1024 + 1);
  EXPECT_GE(run.proceeds, size / 1024);  // the window works after every block
  EXPECT_FALSE(PathExists(path));
}

// Files held by others, sharing their contents with other names, or links: the
// zeros would reach what is not on the list, so nothing is written at all.
TEST(ShredFile, FilesThatCannotBeOverwrittenAloneKeepTheirContentsAndMarks) {
  TempFolder t(L"shkeep");
  const std::wstring held = PatternFile(t / L"held.txt", 2000);
  const std::wstring linked = PatternFile(t / L"linked.txt", 2000);
  const std::wstring otherName = t / L"other name.txt";
  ASSERT_TRUE(CreateHardLinkW(otherName.c_str(), linked.c_str(), nullptr));
  const std::wstring symlink = PatternFile(t / L"symlink.txt", 2000);
  const std::string before = ReadBytes(held);
  ASSERT_TRUE(SetFileAttributesW(linked.c_str(), FILE_ATTRIBUTE_HIDDEN));

  LoggingFs fs;
  fs.reportedAsLink.insert(symlink);
  UniqueFile hold = HoldOpen(held);
  ASSERT_TRUE(hold.valid());
  ShredRun run;
  EXPECT_EQ(ShredFile(held, run), ShredFileResult::CannotOpen);
  EXPECT_EQ(ShredFile(linked, run), ShredFileResult::Linked);
  EXPECT_EQ(ShredFile(symlink, run), ShredFileResult::Linked);
  hold.reset();

  for (const std::wstring& p : {held, linked, otherName, symlink}) EXPECT_EQ(ReadBytes(p), before) << p;
  EXPECT_TRUE(GetFileAttributesW(linked.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(fs.writeCalls, 0u);
  EXPECT_TRUE(run.maxima.empty());
}

TEST(ShredFile, NamedStreamsAreOverwrittenAndCutBeforeTheFile) {
  TempFolder t(L"shads");
  const std::wstring path = PatternFile(t / L"report.doc", 1500);
  const std::wstring stream = path + L":secret:$DATA";
  LoggingFs fs;
  fs.streams[path] = {{L":secret:$DATA", 3000}};
  fs.streamBytes[stream] = std::string(3000, 'S');
  ShredRun run;
  EXPECT_EQ(ShredFile(path, run), ShredFileResult::Shredded);

  const std::string atCut = fs.streamsAtCut[stream];
  EXPECT_EQ(atCut.size(), 3000u);
  EXPECT_TRUE(AllZero(atCut));
  EXPECT_EQ(Writes(fs, stream), (std::vector<std::size_t>{1024, 1024, 952}));
  const std::size_t streamFlushed = Position(fs, L"flush " + stream);
  const std::size_t streamCut = Position(fs, L"truncate " + stream + L" 0");
  const std::size_t fileCut = Position(fs, L"truncate " + path + L" 0");
  ASSERT_LT(fileCut, fs.log.size());
  EXPECT_LT(streamFlushed, streamCut);
  EXPECT_LT(streamCut, fileCut);
  EXPECT_TRUE(fs.streamBytes[stream].empty());
  // The stream's blocks do not move the file's gauge.
  EXPECT_EQ(run.maxima, std::vector<std::uint32_t>{2});
}

TEST(ShredFile, AFileNotOverwrittenOrStillThereIsNotReportedShredded) {
  TempFolder t(L"shfail");
  const std::wstring failing = PatternFile(t / L"failing.txt", 5000);
  const std::wstring stuck = PatternFile(t / L"stuck.txt", 5000);
  ShredRun run;
  {
    LoggingFs fs;
    fs.failWritesAfter = 2048;  // a disk error in the third block
    EXPECT_EQ(ShredFile(failing, run), ShredFileResult::WriteFailed);
    EXPECT_EQ(GetFileSizeOf(failing), 5000u);  // never cut: its rest may still hold data
    EXPECT_EQ(std::count_if(fs.log.begin(), fs.log.end(),
                            [](const std::wstring& e) { return e.rfind(L"truncate", 0) == 0; }),
              0);
  }
  {
    LoggingFs fs;
    fs.failRename = true;
    EXPECT_EQ(ShredFile(stuck, run), ShredFileResult::NotRemoved);
    EXPECT_TRUE(PathExists(stuck));
    EXPECT_EQ(GetFileSizeOf(stuck), 0u);
    EXPECT_EQ(FilesIn(t.path()), 2u);  // the temporary name was given up again
  }
  EXPECT_EQ(ShredFile(t / L"missing.txt", run), ShredFileResult::NoFile);
  EXPECT_EQ(ShredFile(t.path(), run), ShredFileResult::NoFile);
  EXPECT_TRUE(PathExists(t.path()));
}

}  // namespace
}  // namespace wv::test
