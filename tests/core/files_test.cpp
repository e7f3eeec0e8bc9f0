// The one folder walk against the plain recursive walk it replaces (the order,
// folders left out, links never entered, stops, the short forms it builds), the
// file listing and queries, the in-use test and the ".zcom" archive.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <set>
#include <tuple>

#include "core/folder_walk.h"
#include "core/utilities.h"
#include "platform/win32/win32_platform.h"
#include "support/test_support.h"

namespace wv {
namespace {

// Records every call; leaves out folders named "skip", does not enter "flat",
// stops at "stop.txt", and lets `left` subfolders begin.
struct Recorder : FolderVisitor {
  std::vector<std::wstring> events;
  int left = 1000;
  bool shorts = false;
  bool enter(const WalkFolder& f) override {
    if (EndsWithNoCase(f.path, L"\\skip\\")) return false;
    // The short form is built from the names the searches report, and only when asked for (a missing root has none).
    const std::wstring given = shorts ? Fs().shortPath(f.path) : L"";
    const std::wstring expected = shorts ? IncludeTrailingBackslash(given.empty() ? f.path : given) : L"";
    EXPECT_TRUE(EqualsNoCase(f.shortPath, expected)) << f.path << L" -> " << f.shortPath;
    events.push_back(L"enter " + f.path + L" " + std::to_wstring(f.depth));
    return true;
  }
  void unreadable(const WalkFolder& f) override { events.push_back(L"unreadable " + f.path); }
  Step entry(const WalkFolder& f, const FindEntry& e) override {
    events.push_back(L"entry " + f.path + e.name);
    if (e.name == L"stop.txt") return Step::Stop;
    return e.isFolder() && e.name != L"flat" ? Step::Enter : Step::Next;
  }
  bool listed(const WalkFolder& f) override { return events.push_back(L"listed " + f.path), true; }
  bool proceed() override { return left-- > 0; }
  void leave(const WalkFolder& f) override { events.push_back(L"leave " + f.path); }
};

bool Reference(const std::wstring& folder, std::size_t depth, Recorder& r) {
  const WalkFolder here{folder, L"", depth};
  if (!r.enter(here)) return true;
  std::vector<std::wstring> keep;
  FindEntry e;
  const std::unique_ptr<DirSearch> search = Fs().search(folder + L"*.*");
  if (!search) r.unreadable(here);
  while (search && search->next(e)) {
    if (e.isFolder() && e.isDots()) continue;
    const FolderVisitor::Step step = r.entry(here, e);
    if (step == FolderVisitor::Step::Stop) return false;
    if (step == FolderVisitor::Step::Enter && !(e.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) keep.push_back(e.name);
  }
  r.listed(here);
  for (const std::wstring& name : keep)
    if (!r.proceed() || !Reference(folder + name + L"\\", depth + 1, r)) return false;
  r.leave(here);
  return true;
}

TEST(FolderWalk, FollowsTheRecursiveOrderLeavingOutLinksAndStopping) {
  test::TempFolder tmp(L"walk");
  for (const wchar_t* f : {L"b.txt", L"a\\a1.txt", L"a\\x\\deep.txt", L"a\\y\\z\\deeper.txt", L"a\\a2.txt",
                           L"c\\c.txt", L"skip\\hidden.txt", L"flat\\never.txt", L"d\\e\\f\\g\\h.txt",
                           L"A long folder name\\Another long name here\\f.txt"})
    tmp.file(f);
  tmp.folder(L"a\\empty");
  const std::wstring root = tmp.path() + L"\\";
  // Made by scripts/make-test-links: tree\out leads outside, tree\sub\loop back to sub.
  const std::wstring links = L"C:\\WindowsVantorraFixtures\\links\\tree\\";
  ASSERT_TRUE(GetFileAttributesW((links + L"out").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) << "run through ctest";
  // Root, subfolders allowed to begin, and a stop planted first; a missing folder is reported unreadable.
  const std::tuple<std::wstring, int, const wchar_t*> cases[] = {{root, 1000, nullptr}, {links, 1000, nullptr},
                                                                 {root + L"gone\\", 1000, nullptr}, {root, 1, nullptr},
                                                                 {root, 1000, L"a\\x\\stop.txt"}};
  for (const auto& [start, left, stop] : cases) {
    if (stop) tmp.file(stop);
    Recorder walked, expected;
    walked.left = expected.left = left;
    walked.shorts = left > 1;
    const std::wstring given = stop ? start : ExcludeTrailingBackslash(start);  // either form names the folder
    EXPECT_EQ(WalkFolders(given, walked, {.shortPaths = walked.shorts}), Reference(start, 0, expected));
    EXPECT_EQ(walked.events, expected.events) << start << L" " << left;
  }

  Recorder none;
  EXPECT_TRUE(WalkFolders(L"", none));
  EXPECT_TRUE(none.events.empty()) << "an empty root is never the current folder";
}

// Which files are listed (the walk's order is pinned above), and what is known of one path.
TEST(FileQueries, EveryFileButRecycledFoldersListedExistsSizeAndInUseWithTheMarksKept) {
  test::TempFolder tmp(L"query");
  // Beyond the classic 260 characters, and past 4 GB (the size's high half counts).
  const std::wstring longFile = tmp.folder(std::wstring(100, L'a') + L"\\" + std::wstring(100, L'b') + L"\\" +
                                           std::wstring(100, L'c')) + L"\\long.bin",
                     huge = tmp / L"sparse.bin";
  test::WriteBytes(longFile, std::string(300, 'L'));
  UniqueFile h(CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(SetFilePointerEx(h.get(), LARGE_INTEGER{{3, 1}}, nullptr, FILE_BEGIN) && SetEndOfFile(h.get()));
  h.reset();
  std::set<std::wstring> expected = {longFile, huge};
  for (const wchar_t* f : {L"1.txt", L"a\\b\\c\\deeper.txt", L"Recycled.old\\kept.txt", L"中文\\文件.txt", L"a\\hidden.sys"})
    expected.insert(tmp.file(f));
  ASSERT_TRUE(SetFileAttributesW((tmp / L"a\\hidden.sys").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  tmp.file(L"RECYCLED\\gone.txt");
  tmp.file(L"a\\reCycled\\inner\\gone.txt");
  std::vector<std::wstring> list = {L"already there"}, none;
  CollectFiles(tmp.path(), list);
  ASSERT_EQ(list.front(), L"already there");
  EXPECT_EQ(std::set<std::wstring>(list.begin() + 1, list.end()), expected);
  EXPECT_EQ(list.size(), expected.size() + 1);
  CollectFiles(tmp / L"missing", none);
  EXPECT_TRUE(none.empty());

  const std::tuple<std::wstring, bool, bool, std::uint64_t> cases[] = {  // path, file, folder, size
      {tmp.file(L"small.bin", "12345"), true, false, 5}, {longFile, true, false, 300},
      {huge, true, false, (1ull << 32) + 3},             {tmp.folder(L"sub.d"), false, true, 0},
      {tmp / L"sub.d\\", false, true, 0},                {tmp / L"missing.bin", false, false, 0},
      {tmp / L"*.bin", false, false, 0},  {L"", false, false, 0}};  // a pattern names no one file
  for (const auto& [path, file, folder, size] : cases) {
    EXPECT_EQ(FileExists(path), file) << path;
    EXPECT_EQ(DirectoryExists(path), folder) << path;
    EXPECT_EQ(GetFileSizeOf(path), size) << path;
    EXPECT_FALSE(IsFileInUse(path)) << path;  // nor a folder, nor a file only marked
  }
  constexpr DWORD kMarks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  for (const auto& [file, share] : {std::pair{longFile, 0}, {tmp / L"small.bin", FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
    const std::wstring path = L"\\\\?\\" + file;
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), kMarks)) << file;
    // The archive mark cannot be cleared under Wine, so it is left out of the comparison.
    const DWORD before = GetFileAttributesW(path.c_str()) & ~FILE_ATTRIBUTE_ARCHIVE;
    EXPECT_FALSE(IsFileInUse(file));  // a read-only mark alone does not make a file busy
    UniqueFile holder(CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.valid());
    EXPECT_TRUE(IsFileInUse(file)) << file;  // held, even when shared: no exclusive open
    EXPECT_EQ(GetFileAttributesW(path.c_str()) & ~FILE_ATTRIBUTE_ARCHIVE, before) << file;
  }
  EXPECT_EQ(test::ReadBytes(longFile), std::string(300, 'L'));
}

// Random bytes, which do not compress (the backup tests pack real exports).
std::string Sample(std::size_t size) {
  std::mt19937 random(7);
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(random());
  return out;
}

// Standard zlib's one-call functions, as another program would use them.
std::string Zlib(const std::string& in, int level, std::size_t outSize) {
  std::string out(outSize, '\0');
  uLongf length = static_cast<uLongf>(out.size());
  const auto* from = reinterpret_cast<const Bytef*>(in.data());
  auto* to = reinterpret_cast<Bytef*>(out.data());
  const int rc = level < 0 ? uncompress(to, &length, from, static_cast<uLong>(in.size()))
                           : compress2(to, &length, from, static_cast<uLong>(in.size()), level);
  out.resize(length);
  return rc == Z_OK ? out : "<zlib failed>";
}

// The real file system, whose files fail their reads (or writes) after so many calls.
struct FaultyFileSystem : Win32FileSystem {
  FaultyFileSystem(bool r, int a) : reads(r), after(a) {}
  std::unique_ptr<File> openFile(std::wstring_view path, FileAccess access, FileShare share,
                                 FileDisposition disposition) override {
    std::unique_ptr<File> file = Win32FileSystem::openFile(path, access, share, disposition);
    return file ? std::make_unique<Faulty>(std::move(file), reads, after) : nullptr;
  }
  struct Faulty : File {
    Faulty(std::unique_ptr<File> file, bool r, int a) : inner(std::move(file)), reads(r), after(a) {}
    std::optional<std::size_t> read(void* buffer, std::size_t size) override {
      return reads && after-- <= 0 ? std::nullopt : inner->read(buffer, size);
    }
    bool write(const void* data, std::size_t size) override { return (reads || after-- > 0) && inner->write(data, size); }
    bool seek(std::uint64_t offset) override { return inner->seek(offset); }
    bool truncateHere() override { return inner->truncateHere(); }
    bool flush() override { return inner->flush(); }
    std::optional<std::uint64_t> size() override { return inner->size(); }
    std::unique_ptr<File> inner;
    bool reads;
    int after;
  };
  bool reads;
  int after;
};

TEST(ZcomArchive, RoundTripStandardZlibReadsItBothWaysAndFailuresLeaveNoTarget) {
  test::TempFolder tmp(L"zcom");
  // Beyond the classic 260 characters, as a backup folder may be.
  const std::wstring dir = tmp.folder(std::wstring(120, L'k') + L"\\" + std::wstring(150, L'l'));
  const std::wstring exported = dir + L"\\export.reg", packedFile = exported + L".zcom", restored = dir + L"\\back.reg";
  // The level index, and the second header byte zlib writes for the level it was given.
  const std::pair<int, unsigned char> levels[] = {{0, 0x01}, {1, 0x9C}, {2, 0xDA}, {3, 0x01}, {7, 0x9C}};
  for (const int size : {0, 1, 300000}) {
    const std::string data = Sample(static_cast<std::size_t>(size));
    test::WriteBytes(exported, data);
    for (const auto& [level, flag] : levels) {
      ASSERT_TRUE(CompressFile(exported, packedFile, level, false)) << size << L" level " << level;
      const std::string packed = test::ReadBytes(packedFile);
      ASSERT_GE(packed.size(), 2u);
      EXPECT_EQ(static_cast<unsigned char>(packed[1]), flag) << L"level " << level;
      EXPECT_EQ(Zlib(packed, -1, data.size() + 16), data) << size << L" level " << level;
      EXPECT_TRUE(level != 3 || packed.size() > data.size()) << size;  // stored, not compressed
    }
    test::WriteBytes(packedFile, Zlib(data, 9, data.size() + 1000));
    ASSERT_TRUE(DecompressFile(packedFile, restored, size == 0)) << size;
    EXPECT_EQ(test::ReadBytes(restored), data);
    EXPECT_EQ(test::PathExists(packedFile), size != 0);  // deleted after success only when asked
  }
  const std::string data = Sample(600000);  // failures: several blocks of input and output
  const std::wstring source = tmp.file(L"s.reg", data), archive = tmp / L"s.zcom", target = tmp / L"t";
  ASSERT_TRUE(CompressFile(source, archive, 1, false));
  const std::string good = test::ReadBytes(archive);
  std::string flipped = good, badChecksum = good;
  for (std::size_t i = good.size() / 3; i < good.size() / 3 + 16; ++i) flipped[i] = static_cast<char>(~flipped[i]);
  badChecksum.back() ^= 0x55;
  for (const std::string& bytes : {std::string(), std::string("not a zlib stream at all"), good.substr(0, 2),
                                   good.substr(0, good.size() / 2), good.substr(0, good.size() - 3), flipped,
                                   badChecksum}) {
    const std::wstring broken = tmp.file(L"broken.zcom", bytes);
    EXPECT_FALSE(DecompressFile(broken, target, true)) << bytes.size();
    EXPECT_FALSE(test::PathExists(target)) << bytes.size();
    EXPECT_EQ(test::ReadBytes(broken), bytes);
  }
  // Reads failing at once or later, writes failing at once or after a block.
  for (const auto& [reads, after] : {std::pair{true, 0}, {true, 3}, {false, 0}, {false, 1}}) {
    FaultyFileSystem faulty(reads, after);
    Substitute<FileSystem> use(&Platform::files, faulty);
    EXPECT_FALSE(CompressFile(source, target, 2, true));
    EXPECT_FALSE(test::PathExists(target));
    EXPECT_FALSE(DecompressFile(archive, target, true));
    EXPECT_FALSE(test::PathExists(target));
  }
  // Files that cannot be opened or created.
  EXPECT_FALSE(CompressFile(tmp / L"nothing.reg", target, 1, true));
  EXPECT_FALSE(test::PathExists(target));
  EXPECT_FALSE(CompressFile(source, tmp / L"missing\\t.zcom", 1, true));
  EXPECT_FALSE(DecompressFile(archive, tmp / L"missing\\t.reg", true));
  EXPECT_FALSE(CompressFile(source, source, 1, true));  // onto itself: cannot create while open
  UniqueFile held(CreateFileW(source.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(CompressFile(source, target, 1, true));
  held.reset();
  EXPECT_FALSE(test::PathExists(target));
  EXPECT_EQ(test::ReadBytes(source), data);
  EXPECT_EQ(test::ReadBytes(archive), good);
}

}  // namespace
}  // namespace wv
