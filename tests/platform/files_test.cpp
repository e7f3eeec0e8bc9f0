#include <gtest/gtest.h>

#include <map>

#include "platform/platform.h"
#include "platform/win32/win32_platform.h"
#include "support/testsupport.h"

namespace wv {
namespace {

using test::PathExists;
using test::ReadBytes;
using test::TempFolder;

std::map<std::wstring, FindEntry> Listing(std::wstring_view pattern, bool foldersOnly = false) {
  std::map<std::wstring, FindEntry> entries;
  FindEntry e;
  if (auto search = Fs().search(pattern, foldersOnly))
    while (search->next(e)) entries[e.name] = e;
  return entries;
}

std::uint64_t Ticks(FILETIME t) { return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

TEST(FileSystem, SearchReportsHiddenSystemAndFolders) {
  TempFolder t;
  const auto hidden = t.file(L"hidden.txt", "12345"), system = t.file(L"system.dat"), sub = t.folder(L"子目录");
  t.file(L"plain.txt");
  ASSERT_TRUE(Fs().setAttributes(hidden, FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(Fs().setAttributes(system, FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(Fs().setAttributes(sub, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
  const auto all = Listing(t / L"*.*");
  EXPECT_EQ(all.size(), 6u);  // with "." and ".."
  EXPECT_EQ(all.at(L"hidden.txt").attributes & FILE_ATTRIBUTE_HIDDEN, DWORD{FILE_ATTRIBUTE_HIDDEN});
  EXPECT_EQ(all.at(L"hidden.txt").size, 5u);
  EXPECT_TRUE(all.at(L"system.dat").attributes & FILE_ATTRIBUTE_SYSTEM);
  EXPECT_TRUE(all.at(L"子目录").isFolder());
  EXPECT_TRUE(Listing(t / L"*", true).count(L"子目录"));  // a hint: every folder must come
  // A folder without a match can be searched; a missing folder cannot.
  auto none = Fs().search(t / L"*.none");
  FindEntry e;
  ASSERT_TRUE(none);
  EXPECT_FALSE(none->next(e));
  EXPECT_EQ(Fs().search(t / L"missing\\*.*"), nullptr);
}

TEST(FileSystem, AttributesTimesAndNames) {
  TempFolder t;
  for (const std::wstring& path : {t.file(L"f.txt"), t.folder(L"d")}) {
    const DWORD kind = Fs().attributes(path) & FILE_ATTRIBUTE_DIRECTORY;
    // Wine keeps no read-only mark on folders.
    const DWORD marks = kind ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    ASSERT_TRUE(Fs().setAttributes(path, marks));
    EXPECT_EQ(Fs().attributes(path) & (marks | FILE_ATTRIBUTE_DIRECTORY), marks | kind);
    ASSERT_TRUE(Fs().setAttributes(path, FILE_ATTRIBUTE_NORMAL));
    const FILETIME access{0x12345678, 0x01C9A000}, write{0x9ABCDEF0, 0x01C19000};
    ASSERT_TRUE(Fs().setFileTimes(path, nullptr, &access, &write));
    FILETIME c{}, a{}, w{};
    ASSERT_TRUE(Fs().fileTimes(path, &c, &a, &w));
    EXPECT_EQ(Ticks(a), Ticks(access));
    EXPECT_EQ(Ticks(w), Ticks(write));
  }
  EXPECT_EQ(Fs().attributes(t / L"missing"), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(Fs().setFileTimes(t / L"missing", nullptr, nullptr, nullptr));
  const auto file = t.file(L"A long folder name\\Long File Name With Spaces.text", "abc");
  const std::wstring shortPath = Fs().shortPath(file);
  EXPECT_EQ(shortPath.find(L' '), std::wstring::npos);
  EXPECT_LE(shortPath.size() - shortPath.rfind(L'\\') - 1, 12u);
  EXPECT_EQ(ReadBytes(shortPath), "abc");  // the same file
  EXPECT_TRUE(Fs().shortPath(t / L"missing.txt").empty());
  EXPECT_EQ(Fs().fullPath(t / L"x\\..\\y.txt"), t / L"y.txt");
}

TEST(FileSystem, ChangesAndTheirErrors) {
  TempFolder t;
  const auto a = t.file(L"a.txt", "first"), b = t.file(L"b.txt", "second"), sub = t.folder(L"sub");
  EXPECT_FALSE(Fs().copyFile(a, b, true));
  EXPECT_EQ(Fs().lastError(), DWORD{ERROR_FILE_EXISTS});
  EXPECT_EQ(ReadBytes(b), "second");
  ASSERT_TRUE(Fs().copyFile(a, sub + L"\\copy.txt", false));
  EXPECT_FALSE(Fs().removeFolder(sub));  // not empty
  ASSERT_TRUE(Fs().deleteFile(sub + L"\\copy.txt"));
  EXPECT_TRUE(Fs().removeFolder(sub));
  EXPECT_FALSE(Fs().deleteFile(sub + L"\\copy.txt"));
  EXPECT_TRUE(Fs().lastError() == ERROR_FILE_NOT_FOUND || Fs().lastError() == ERROR_PATH_NOT_FOUND);
  ASSERT_TRUE(Fs().createFolder(t / L"new"));
  EXPECT_FALSE(Fs().createFolder(t / L"new"));
  EXPECT_EQ(Fs().lastError(), DWORD{ERROR_ALREADY_EXISTS});
  EXPECT_TRUE(Fs().createFolderTree(t / L"一\\二\\三\\"));
  EXPECT_TRUE(Fs().attributes(t / L"一\\二\\三") & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(Fs().createFolderTree(t / L"一\\二"));  // exists already
  EXPECT_FALSE(Fs().createFolderTree(a));
  EXPECT_FALSE(Fs().createFolderTree(a + L"\\below"));
  const std::wstring first = Fs().uniqueTempFile(t.path(), L"QVX");
  const std::wstring second = Fs().uniqueTempFile(t.path() + L"\\", L"QV");
  EXPECT_NE(first, second);
  EXPECT_EQ(first.rfind(t.path() + L"\\QVX", 0), 0u) << first;  // three characters of the prefix
  for (const auto& path : {first, second}) {
    EXPECT_EQ(path.rfind(t.path() + L"\\QV", 0), 0u) << path;
    EXPECT_EQ(path.substr(path.size() - 4), L".tmp");
    EXPECT_TRUE(PathExists(path));
  }
  EXPECT_TRUE(Fs().uniqueTempFile(t / L"missing", L"QV").empty());
}

TEST(FileSystem, OpenFileReadsWritesAndLocks) {
  TempFolder t;
  const auto path = t / L"data.bin";
  {
    auto f = Fs().openFile(path, FileAccess::ReadWrite, FileShare::None, FileDisposition::CreateNew);
    ASSERT_TRUE(f);
    ASSERT_TRUE(f->write("0123456789", 10));
    // No sharing: nobody else gets in while it is open.
    EXPECT_EQ(Fs().openFile(path, FileAccess::Read, FileShare::All, FileDisposition::OpenExisting), nullptr);
    EXPECT_EQ(Fs().lastError(), DWORD{ERROR_SHARING_VIOLATION});
    ASSERT_TRUE(f->seek(4) && f->truncateHere() && f->flush());
    EXPECT_EQ(f->size(), 4u);
    ASSERT_TRUE(f->seek(1));
    char buffer[8] = {};
    EXPECT_EQ(f->read(buffer, sizeof buffer), 3u);
    EXPECT_EQ(std::string(buffer), "123");
    EXPECT_EQ(f->read(buffer, sizeof buffer), 0u);
  }
  EXPECT_EQ(ReadBytes(path), "0123");
  EXPECT_EQ(Fs().openFile(path, FileAccess::Write, FileShare::None, FileDisposition::CreateNew), nullptr);
  EXPECT_EQ(Fs().lastError(), DWORD{ERROR_FILE_EXISTS});
  auto reopened = Fs().openFile(path, FileAccess::Write, FileShare::Read, FileDisposition::CreateAlways);
  ASSERT_TRUE(reopened);
  EXPECT_EQ(reopened->size(), 0u);
}

TEST(FileSystem, PathsBeyondTheClassicLimit) {
  TempFolder t;
  std::wstring deep = t.path();
  for (int i = 0; deep.size() < 300; ++i) deep += L"\\深层目录_" + std::wstring(40, static_cast<wchar_t>(L'a' + i));
  ASSERT_TRUE(Fs().createFolderTree(deep));
  const std::wstring file = deep + L"\\文件.txt", parent = deep.substr(0, deep.rfind(L'\\'));
  {
    auto f = Fs().openFile(file, FileAccess::Write, FileShare::None, FileDisposition::CreateNew);
    ASSERT_TRUE(f && f->write("long", 4));
  }
  ASSERT_TRUE(Listing(deep + L"\\*.*").count(L"文件.txt"));
  // Resolved as the system resolves a shorter path: a doubled separator, a trailing dot.
  EXPECT_EQ(Fs().attributes(deep + L"\\\\文件.txt"), Fs().attributes(file));
  EXPECT_EQ(Fs().attributes(file + L"."), Fs().attributes(file));
  EXPECT_EQ(Fs().shortPath(file).rfind(t.path().substr(0, 3), 0), 0u);  // in the form it was given
  // Resolving the "." parts takes away as many characters as the prefix adds.
  EXPECT_EQ(Fs().shortPath(deep + L"\\.\\.\\文件.txt").rfind(t.path().substr(0, 3), 0), 0u);
  ASSERT_TRUE(Fs().copyFile(file, deep + L"\\copy.txt", true));
  ASSERT_TRUE(Fs().moveFile(deep + L"\\copy.txt", deep + L"\\..\\moved.txt"));  // resolved before the prefix
  EXPECT_TRUE(Fs().deleteFile(parent + L"\\moved.txt"));
  EXPECT_TRUE(Fs().deleteFile(file));
  EXPECT_TRUE(Fs().removeFolder(deep));
  EXPECT_EQ(Fs().attributes(deep), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(Fs().attributes(parent), INVALID_FILE_ATTRIBUTES);
  const std::wstring tail(250, L'x');
  EXPECT_EQ(ExtendedPath(L"C:\\short\\a.txt"), L"C:\\short\\a.txt");
  EXPECT_EQ(ExtendedPath(L"C:\\" + tail), L"\\\\?\\C:\\" + tail);
  // The prefix turns off the system's own resolving of "." and "..", so it is done first.
  EXPECT_EQ(ExtendedPath(L"C:\\a\\..\\b/./" + tail), L"\\\\?\\C:\\b\\" + tail);
  EXPECT_EQ(ExtendedPath(L"\\\\server\\share\\" + tail), L"\\\\?\\UNC\\server\\share\\" + tail);
  EXPECT_EQ(ExtendedPath(L"\\\\?\\C:\\" + tail), L"\\\\?\\C:\\" + tail);
  EXPECT_EQ(ExtendedPath(L"relative\\" + tail), L"relative\\" + tail);
}

// Fault injection through platform(): the failing part is the one engines see.
class FailingDelete : public Win32FileSystem {
 public:
  bool deleteFile(std::wstring_view) override {
    SetLastError(ERROR_ACCESS_DENIED);
    return note(false);
  }
};

TEST(Substitute, PutsAPartInPlaceNestsAndRestoresIt) {
  TempFolder t;
  const auto path = t.file(L"keep.txt");
  FailingDelete outer, inner;
  {
    Substitute<FileSystem> a(&Platform::files, outer);
    {
      Substitute<FileSystem> b(&Platform::files, inner);
      EXPECT_EQ(&Fs(), &inner);
    }
    EXPECT_EQ(&Fs(), &outer);
    EXPECT_FALSE(Fs().deleteFile(path));
    EXPECT_EQ(Fs().lastError(), DWORD{ERROR_ACCESS_DENIED});
    EXPECT_NE(Fs().attributes(path), INVALID_FILE_ATTRIBUTES);  // the other operations are the real ones
  }
  EXPECT_TRUE(Fs().deleteFile(path));  // the real part is back
  EXPECT_FALSE(PathExists(path));
}

}  // namespace
}  // namespace wv
