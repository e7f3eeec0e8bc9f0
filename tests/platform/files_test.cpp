// The file-system part: long paths, and failures that must not harm what is there.
#include <gtest/gtest.h>

#include "platform/handles.h"
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"
#include "support/test_support.h"

namespace wv {
namespace {

using test::PathExists;
using test::ReadBytes;
using test::TempFolder;

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
  FindEntry e;
  auto search = Fs().search(deep + L"\\*.txt");
  ASSERT_TRUE(search && search->next(e));
  EXPECT_EQ(e.name, L"文件.txt");
  search.reset();  // an open search keeps its folder
  // Resolved as the system resolves a shorter path: a doubled separator, a trailing dot.
  EXPECT_EQ(Fs().attributes(deep + L"\\\\文件.txt"), Fs().attributes(file));
  EXPECT_EQ(Fs().attributes(file + L"."), Fs().attributes(file));
  EXPECT_EQ(Fs().shortPath(file).rfind(t.path().substr(0, 3), 0), 0u);  // in the form it was given
  // Resolving the "." parts takes away as many characters as the prefix adds.
  EXPECT_EQ(Fs().shortPath(deep + L"\\.\\.\\文件.txt").rfind(t.path().substr(0, 3), 0), 0u);
  ASSERT_TRUE(Fs().copyFile(file, deep + L"\\copy.txt", true));
  ASSERT_TRUE(Fs().moveFile(deep + L"\\copy.txt", deep + L"\\..\\moved.txt"));  // resolved before the prefix
  EXPECT_EQ(ReadBytes(parent + L"\\moved.txt"), "long");
  EXPECT_TRUE(Fs().deleteFile(parent + L"\\moved.txt") && Fs().deleteFile(file) && Fs().removeFolder(deep));
  EXPECT_FALSE(PathExists(deep));
  EXPECT_TRUE(PathExists(parent));
  const std::wstring tail(250, L'x');
  const std::pair<std::wstring, std::wstring> extended[] = {
      {L"C:\\short\\a.txt", L"C:\\short\\a.txt"},
      {L"C:\\" + tail, L"\\\\?\\C:\\" + tail},
      // The prefix turns off the system's own resolving of "." and "..", so it is done first.
      {L"C:\\a\\..\\b/./" + tail, L"\\\\?\\C:\\b\\" + tail},
      {L"\\\\server\\share\\" + tail, L"\\\\?\\UNC\\server\\share\\" + tail},
      {L"\\\\?\\C:\\" + tail, L"\\\\?\\C:\\" + tail},
      {L"relative\\" + tail, L"relative\\" + tail}};
  for (const auto& [in, out] : extended) EXPECT_EQ(ExtendedPath(in), out) << in.substr(0, 20);
}

// What a failed deletion says: a file that is not there (or whose folder is not)
// is not found; one another program holds, or one marked read-only, is refused.
// No failure is both, and a refused file is still there.
TEST(FileSystem, AFailedDeletionTellsAMissingFileFromARefusedOne) {
  TempFolder t;
  const std::wstring held = t.file(L"held.txt"), readOnly = t.file(L"readonly.txt");
  ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  UniqueFile holder(CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder.valid());
  const struct {
    const char* what;
    std::wstring path;
    bool notFound;
  } cases[] = {{"missing file", t / L"missing.txt", true},
               {"missing folder", t / L"missing\\file.txt", true},
               {"held by another program", held, false},
               {"read-only", readOnly, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const SysResult result = Fs().deleteFile(c.path);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.notFound(), c.notFound) << result.error();
    EXPECT_EQ(result.refused(), !c.notFound) << result.error();
    EXPECT_EQ(PathExists(c.path), !c.notFound);
  }
  holder.reset();
  ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(Fs().deleteFile(held).ok() && Fs().deleteFile(readOnly).ok());
}

// Exclusive opens are pinned by the in-use test of the core.
TEST(FileSystem, RefusalsLeaveWhatIsThere) {
  TempFolder t;
  const auto a = t.file(L"a.txt", "first"), b = t.file(L"b.txt", "second"), sub = t.folder(L"sub");
  t.file(L"sub\\inner.txt");
  EXPECT_FALSE(Fs().copyFile(a, b, true));
  EXPECT_EQ(Fs().lastError(), DWORD{ERROR_FILE_EXISTS});
  EXPECT_FALSE(Fs().openFile(b, FileAccess::Write, FileShare::None, FileDisposition::CreateNew));
  EXPECT_EQ(ReadBytes(b), "second");
  EXPECT_FALSE(Fs().removeFolder(sub));  // not empty
  EXPECT_TRUE(PathExists(sub + L"\\inner.txt"));
  EXPECT_FALSE(Fs().createFolderTree(a + L"\\below"));
  EXPECT_EQ(ReadBytes(a), "first");
}

}  // namespace
}  // namespace wv
