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

std::map<std::wstring, DWORD> Listing(std::wstring_view pattern, bool foldersOnly = false) {
  std::map<std::wstring, DWORD> names;
  auto search = Fs().search(pattern, foldersOnly);
  if (!search) return names;
  FindEntry e;
  while (search->next(e)) names[e.name] = e.attributes;
  return names;
}

FILETIME Time(int year, int month, int day) {
  SYSTEMTIME s{};
  s.wYear = static_cast<WORD>(year);
  s.wMonth = static_cast<WORD>(month);
  s.wDay = static_cast<WORD>(day);
  s.wHour = 10;
  FILETIME f{};
  SystemTimeToFileTime(&s, &f);
  return f;
}

bool Same(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// A folder path below t longer than the classic limit (about 300 characters).
std::wstring DeepFolder(const TempFolder& t) {
  std::wstring p = t.path();
  for (int i = 0; p.size() < 300; ++i) p += L"\\深层目录_" + std::wstring(40, static_cast<wchar_t>(L'a' + i));
  return p;
}

TEST(FileSystem, SearchReportsHiddenSystemAndFolders) {
  TempFolder t;
  const auto hidden = t.file(L"hidden.txt", "12345");
  const auto system = t.file(L"system.dat");
  t.file(L"plain.txt");
  const auto sub = t.folder(L"子目录");
  ASSERT_TRUE(Fs().setAttributes(hidden, FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(Fs().setAttributes(system, FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(Fs().setAttributes(sub, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));

  const auto all = Listing(t / L"*.*");
  EXPECT_EQ(all.size(), 6u);  // with "." and ".."
  EXPECT_TRUE(all.count(L".") && all.count(L".."));
  EXPECT_TRUE(all.at(L"hidden.txt") & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(all.at(L"system.dat") & FILE_ATTRIBUTE_SYSTEM);
  EXPECT_TRUE(all.at(L"子目录") & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(all.at(L"子目录") & FILE_ATTRIBUTE_HIDDEN);

  auto search = Fs().search(t / L"hidden.txt");
  ASSERT_TRUE(search);
  FindEntry e;
  ASSERT_TRUE(search->next(e));
  EXPECT_EQ(e.size, 5u);
  EXPECT_FALSE(e.isFolder());
  EXPECT_FALSE(search->next(e));

  const auto folders = Listing(t / L"*", true);  // a hint: every folder must come
  EXPECT_TRUE(folders.count(L"子目录"));
  EXPECT_EQ(Listing(t / L"*.txt").size(), 2u);

  // A folder without a match can be searched; a missing folder cannot.
  auto none = Fs().search(t / L"*.none");
  ASSERT_TRUE(none);
  EXPECT_FALSE(none->next(e));
  EXPECT_EQ(Fs().search(t / L"missing\\*.*"), nullptr);
}

TEST(FileSystem, AttributesAndTimesRoundTrip) {
  TempFolder t;
  for (const std::wstring& path : {t.file(L"f.txt"), t.folder(L"d")}) {
    const DWORD kind = Fs().attributes(path) & FILE_ATTRIBUTE_DIRECTORY;
    // Wine keeps no read-only mark on folders.
    const DWORD marks = kind ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    ASSERT_TRUE(Fs().setAttributes(path, marks));
    EXPECT_EQ(Fs().attributes(path) & (marks | FILE_ATTRIBUTE_DIRECTORY), marks | kind);
    ASSERT_TRUE(Fs().setAttributes(path, FILE_ATTRIBUTE_NORMAL));

    const FILETIME access = Time(2009, 3, 4), write = Time(2001, 2, 3);
    ASSERT_TRUE(Fs().setFileTimes(path, nullptr, &access, &write));
    FILETIME c{}, a{}, w{};
    ASSERT_TRUE(Fs().fileTimes(path, &c, &a, &w));
    EXPECT_TRUE(Same(a, access));
    EXPECT_TRUE(Same(w, write));
  }
  EXPECT_EQ(Fs().attributes(t / L"missing"), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(Fs().fileTimes(t / L"missing", nullptr, nullptr, nullptr));
  EXPECT_FALSE(Fs().setFileTimes(t / L"missing", nullptr, nullptr, nullptr));
}

TEST(FileSystem, ShortAndFullPaths) {
  TempFolder t;
  const auto file = t.file(L"A long folder name\\Long File Name With Spaces.text", "abc");
  const std::wstring s = Fs().shortPath(file);
  ASSERT_FALSE(s.empty());
  EXPECT_EQ(s.find(L' '), std::wstring::npos);
  const std::wstring name = s.substr(s.rfind(L'\\') + 1);
  EXPECT_LE(name.size(), 12u);
  EXPECT_EQ(ReadBytes(s), "abc");  // the same file
  EXPECT_TRUE(Fs().shortPath(t / L"missing.txt").empty());
  EXPECT_EQ(Fs().fullPath(t / L"x\\..\\y.txt"), t / L"y.txt");
}

TEST(FileSystem, ChangesAndTheirErrors) {
  TempFolder t;
  const auto a = t.file(L"a.txt", "first");
  const auto b = t.file(L"b.txt", "second");
  EXPECT_FALSE(Fs().copyFile(a, b, true));
  EXPECT_EQ(Fs().lastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_EQ(ReadBytes(b), "second");
  ASSERT_TRUE(Fs().copyFile(a, b, false));
  EXPECT_EQ(ReadBytes(b), "first");

  const auto sub = t.folder(L"sub");
  ASSERT_TRUE(Fs().moveFile(b, sub + L"\\moved.txt"));
  EXPECT_FALSE(PathExists(b));
  EXPECT_EQ(ReadBytes(sub + L"\\moved.txt"), "first");
  EXPECT_FALSE(Fs().removeFolder(sub));  // not empty
  ASSERT_TRUE(Fs().deleteFile(sub + L"\\moved.txt"));
  EXPECT_TRUE(Fs().removeFolder(sub));
  EXPECT_FALSE(Fs().deleteFile(sub + L"\\moved.txt"));
  EXPECT_TRUE(Fs().lastError() == ERROR_FILE_NOT_FOUND || Fs().lastError() == ERROR_PATH_NOT_FOUND);

  ASSERT_TRUE(Fs().createFolder(t / L"new"));
  EXPECT_FALSE(Fs().createFolder(t / L"new"));
  EXPECT_EQ(Fs().lastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

TEST(FileSystem, CreateFolderTreeMakesEveryMissingLevel) {
  TempFolder t;
  EXPECT_TRUE(Fs().createFolderTree(t / L"一\\二\\三\\四\\"));
  EXPECT_TRUE(Fs().attributes(t / L"一\\二\\三\\四") & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(Fs().createFolderTree(t / L"一\\二"));  // exists already
  const auto blocker = t.file(L"file");
  EXPECT_FALSE(Fs().createFolderTree(blocker));
  EXPECT_FALSE(Fs().createFolderTree(blocker + L"\\below"));
}

TEST(FileSystem, UniqueTempFiles) {
  TempFolder t;
  const std::wstring first = Fs().uniqueTempFile(t.path(), L"QVX");
  const std::wstring second = Fs().uniqueTempFile(t.path() + L"\\", L"QV");
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_NE(first, second);
  for (const auto& path : {first, second}) {
    EXPECT_EQ(path.rfind(t.path() + L"\\QV", 0), 0u);
    EXPECT_EQ(path.substr(path.size() - 4), L".tmp");
    EXPECT_TRUE(PathExists(path));
    EXPECT_EQ(ReadBytes(path), "");
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
    EXPECT_EQ(Fs().lastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    ASSERT_TRUE(f->seek(4));
    ASSERT_TRUE(f->truncateHere());
    ASSERT_TRUE(f->flush());
    EXPECT_EQ(f->size(), 4u);
    ASSERT_TRUE(f->seek(1));
    char buffer[8] = {};
    EXPECT_EQ(f->read(buffer, sizeof buffer), 3u);
    EXPECT_EQ(std::string(buffer), "123");
    EXPECT_EQ(f->read(buffer, sizeof buffer), 0u);
  }
  EXPECT_EQ(ReadBytes(path), "0123");
  EXPECT_EQ(Fs().openFile(path, FileAccess::Write, FileShare::None, FileDisposition::CreateNew), nullptr);
  EXPECT_EQ(Fs().lastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_EQ(Fs().openFile(t / L"missing", FileAccess::Read, FileShare::Read, FileDisposition::OpenExisting), nullptr);
  EXPECT_EQ(Fs().lastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  auto reopened = Fs().openFile(path, FileAccess::Write, FileShare::Read, FileDisposition::CreateAlways);
  ASSERT_TRUE(reopened);
  EXPECT_EQ(reopened->size(), 0u);
}

TEST(FileSystem, PathsBeyondTheClassicLimit) {
  TempFolder t;
  const std::wstring deep = DeepFolder(t);
  ASSERT_GT(deep.size(), 260u);
  ASSERT_TRUE(Fs().createFolderTree(deep));
  const std::wstring file = deep + L"\\文件.txt";
  {
    auto f = Fs().openFile(file, FileAccess::Write, FileShare::None, FileDisposition::CreateNew);
    ASSERT_TRUE(f);
    ASSERT_TRUE(f->write("long", 4));
  }
  const auto names = Listing(deep + L"\\*.*");
  ASSERT_TRUE(names.count(L"文件.txt"));
  ASSERT_TRUE(Fs().setAttributes(file, FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(Fs().attributes(file) & FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(Fs().deleteFile(file));  // read-only
  ASSERT_TRUE(Fs().setAttributes(file, FILE_ATTRIBUTE_NORMAL));
  const FILETIME when = Time(2005, 6, 7);
  FILETIME w{};
  ASSERT_TRUE(Fs().setFileTimes(file, nullptr, nullptr, &when));
  ASSERT_TRUE(Fs().fileTimes(file, nullptr, nullptr, &w));
  EXPECT_TRUE(Same(w, when));
  EXPECT_FALSE(Fs().shortPath(file).empty());
  ASSERT_TRUE(Fs().copyFile(file, deep + L"\\copy.txt", true));
  ASSERT_TRUE(Fs().moveFile(deep + L"\\copy.txt", deep + L"\\..\\moved.txt"));
  const std::wstring parent = deep.substr(0, deep.rfind(L'\\'));
  EXPECT_TRUE(Fs().deleteFile(parent + L"\\moved.txt"));
  EXPECT_TRUE(Fs().deleteFile(file));
  EXPECT_EQ(Fs().attributes(file), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(Fs().removeFolder(deep));
  EXPECT_EQ(Fs().attributes(deep), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(Fs().attributes(parent), INVALID_FILE_ATTRIBUTES);
}

TEST(FileSystem, ExtendedPrefixOnlyForLongAbsolutePaths) {
  const std::wstring tail(250, L'x');
  EXPECT_EQ(ExtendedPath(L"C:\\short\\a.txt"), L"C:\\short\\a.txt");
  EXPECT_EQ(ExtendedPath(L"C:\\" + tail), L"\\\\?\\C:\\" + tail);
  EXPECT_EQ(ExtendedPath(L"\\\\server\\share\\" + tail), L"\\\\?\\UNC\\server\\share\\" + tail);
  EXPECT_EQ(ExtendedPath(L"\\\\?\\C:\\" + tail), L"\\\\?\\C:\\" + tail);
  EXPECT_EQ(ExtendedPath(L"relative\\" + tail), L"relative\\" + tail);
  // The prefix turns off the system's own resolving of "." and "..", so it is done first.
  EXPECT_EQ(ExtendedPath(L"C:\\a\\..\\b/./" + tail), L"\\\\?\\C:\\b\\" + tail);
}

// Fault injection through platform(): the failing part is the one engines see.
class FailingDelete : public Win32FileSystem {
 public:
  bool deleteFile(std::wstring_view) override {
    SetLastError(ERROR_ACCESS_DENIED);
    return note(false);
  }
};

TEST(Substitute, PutsAPartInPlaceAndRestoresIt) {
  TempFolder t;
  const auto path = t.file(L"keep.txt");
  FileSystem* const original = platform().files;
  {
    FailingDelete failing;
    Substitute<FileSystem> s(&Platform::files, failing);
    EXPECT_EQ(&Fs(), &failing);
    EXPECT_FALSE(Fs().deleteFile(path));
    EXPECT_EQ(Fs().lastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(PathExists(path));
    EXPECT_NE(Fs().attributes(path), INVALID_FILE_ATTRIBUTES);  // the other operations are the real ones
  }
  EXPECT_EQ(platform().files, original);
  EXPECT_TRUE(Fs().deleteFile(path));
  EXPECT_FALSE(PathExists(path));
}

}  // namespace
}  // namespace wv
