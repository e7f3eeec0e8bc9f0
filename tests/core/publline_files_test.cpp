#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/publline.h"
#include "core_fakes.h"
#include "support/testsupport.h"

namespace wv {
namespace {

std::wstring Extended(const std::wstring& path) { return L"\\\\?\\" + path; }

// A folder path below the temporary folder longer than the classic 260 characters.
std::wstring LongFolder(test::TempFolder& tmp) {
  std::wstring relative;
  for (int i = 0; i < 6; ++i) relative += (i ? L"\\" : L"") + std::wstring(50, static_cast<wchar_t>(L'a' + i));
  const std::wstring full = tmp.folder(relative);
  EXPECT_GT(full.size(), 300u);
  return full;
}

// Runs a host program on paths of the prefix and waits until done() holds (the
// handle Wine gives for a host process does not tell when it ends).
template <class Done>
bool RunOnHost(const std::wstring& program, const std::wstring& options, const std::vector<std::wstring>& paths,
               Done done) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  const auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  if (!toUnix) return false;
  std::wstring command = L"\"\\\\?\\unix\\bin\\" + program + L"\" " + options;
  for (const std::wstring& path : paths) {
    // A path that does not exist yet: convert its folder and append the name.
    const std::size_t slash = path.rfind(L'\\');
    char* folder = toUnix(path.substr(0, slash).c_str());
    if (!folder) return false;
    command += L" \"" + ToWide(folder) + L"/" + path.substr(slash + 1) + L"\"";
    HeapFree(GetProcessHeap(), 0, folder);
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  for (int i = 0; i < 100 && !done(); ++i) Sleep(50);
  return done();
}

// A symbolic link made on the host side, since Wine's own call creates nothing;
// Wine shows it as a folder with the reparse-point mark. Removed again on the host
// side, as Wine will neither delete nor remove it.
class HostLink {
 public:
  HostLink(std::wstring link, const std::wstring& target) : link_(std::move(link)) {
    made_ = RunOnHost(L"ln", L"-s", {target, link_}, [this] { return IsLink(); });
  }
  ~HostLink() {
    if (!made_) return;
    (void)RunOnHost(L"rm", L"-f", {link_}, [this] { return GetFileAttributesW(link_.c_str()) == INVALID_FILE_ATTRIBUTES; });
  }
  HostLink(const HostLink&) = delete;
  HostLink& operator=(const HostLink&) = delete;
  [[nodiscard]] bool made() const { return made_; }

 private:
  bool IsLink() const {
    const DWORD a = GetFileAttributesW(link_.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
  }
  std::wstring link_;
  bool made_ = false;
};

// Checks the walk order: a folder's own files come before anything below it, and
// each subfolder's files form one unbroken run.
void ExpectDepthFirst(const std::vector<std::wstring>& list, const std::wstring& root) {
  std::map<std::wstring, std::pair<std::size_t, std::size_t>> spans;  // folder -> first, last index below it
  for (std::size_t i = 0; i < list.size(); ++i) {
    for (std::size_t cut = list[i].find(L'\\', root.size() + 1); cut != std::wstring::npos;
         cut = list[i].find(L'\\', cut + 1)) {
      const std::wstring folder = list[i].substr(0, cut + 1);
      auto [it, fresh] = spans.try_emplace(folder, i, i);
      EXPECT_TRUE(fresh || it->second.second == i - 1 || it->second.second == i) << L"run broken at " << list[i];
      it->second.second = i;
    }
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::wstring folder(ExtractFilePath(list[i]));
    for (const auto& [sub, span] : spans)
      if (sub.size() > folder.size() && sub.rfind(folder, 0) == 0) {
        EXPECT_LT(i, span.first) << list[i] << L" after " << sub;
      }
  }
}

TEST(CollectFiles, FilesFirstThenSubfoldersSkippingRecycled) {
  test::TempFolder tmp(L"collect");
  const std::wstring root = tmp.path();
  std::set<std::wstring> expected;
  for (const wchar_t* f : {L"1.txt", L"2.dat", L"a\\a1.txt", L"a\\b\\deep.txt", L"a\\b\\c\\deeper.txt", L"a\\z.txt",
                           L"Recycled.old\\kept.txt", L"z\\last.txt", L"中文\\文件.txt"})
    expected.insert(tmp.file(f));
  const std::wstring hidden = tmp.file(L"a\\hidden.sys");
  ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  expected.insert(hidden);
  tmp.file(L"RECYCLED\\gone.txt");
  tmp.file(L"RECYCLED\\inner\\gone2.txt");
  tmp.file(L"a\\recycled\\gone3.txt");
  tmp.file(L"z\\ReCyClEd\\gone4.txt");
  tmp.folder(L"empty");

  for (const std::wstring& start : {root, root + L"\\"}) {
    std::vector<std::wstring> list = {L"already there"};
    CollectFiles(start, list);
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.front(), L"already there");
    list.erase(list.begin());
    EXPECT_EQ(std::set<std::wstring>(list.begin(), list.end()), expected);
    EXPECT_EQ(list.size(), expected.size());
    ExpectDepthFirst(list, root);
  }

  std::vector<std::wstring> none;
  CollectFiles(root + L"\\missing", none);
  CollectFiles(root + L"\\RECYCLED", none);  // asked for directly, it is walked: only its subfolders are names
  EXPECT_EQ(none.size(), 2u);
}

TEST(CollectFiles, DoesNotFollowLinks) {
  test::TempFolder tmp(L"links");
  test::TempFolder outside(L"outside");
  const std::wstring inside = tmp.file(L"tree\\f.txt");
  outside.file(L"secret.txt");
  const HostLink loop(tmp / L"tree\\loop", tmp / L"tree");
  const HostLink out(tmp / L"tree\\out", outside.path());
  if (!loop.made() || !out.made()) GTEST_SKIP() << "cannot make links here";
  std::vector<std::wstring> list;
  CollectFiles(tmp / L"tree", list);
  EXPECT_EQ(list, std::vector<std::wstring>{inside});
}

TEST(CollectFiles, LongPaths) {
  test::TempFolder tmp(L"collectlong");
  const std::wstring deep = LongFolder(tmp);
  const std::wstring file = deep + L"\\" + std::wstring(40, L'f') + L".txt";
  test::WriteBytes(file, "x");
  std::vector<std::wstring> list;
  CollectFiles(tmp.path(), list);
  EXPECT_EQ(list, std::vector<std::wstring>{file});
}

TEST(FileQueries, ExistsAndSize) {
  test::TempFolder tmp(L"query");
  const std::wstring small = tmp.file(L"small.bin", "12345");
  const std::wstring empty = tmp.file(L"empty.bin", "");
  const std::wstring big = tmp.file(L"big.bin", std::string(70000, 'x'));
  const std::wstring folder = tmp.folder(L"sub.d");
  const std::wstring longFile = LongFolder(tmp) + L"\\long.bin";
  test::WriteBytes(longFile, std::string(300, 'L'));
  const struct {
    std::wstring path;
    bool file, folder;
    std::uint64_t size;
  } cases[] = {
      {small, true, false, 5},
      {empty, true, false, 0},
      {big, true, false, 70000},
      {longFile, true, false, 300},
      {folder, false, true, 0},
      {folder + L"\\", false, true, 0},
      {tmp / L"missing.bin", false, false, 0},
      {tmp / L"*.bin", false, false, 0},  // a pattern names no one file
      {tmp / L"small.?in", false, false, 0},
      {L"", false, false, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileExists(c.path), c.file) << c.path;
    EXPECT_EQ(DirectoryExists(c.path), c.folder) << c.path;
    EXPECT_EQ(GetFileSizeOf(c.path), c.size) << c.path;
  }
}

TEST(FileQueries, SizeBeyondFourGigabytes) {
  test::TempFolder tmp(L"huge");
  const std::wstring path = tmp / L"sparse.bin";
  const std::uint64_t size = (5ull << 30) + 3;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size);
  const bool grown = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  CloseHandle(h);
  ASSERT_TRUE(grown);
  EXPECT_EQ(GetFileSizeOf(path), size);
}

class HeldFile {
 public:
  HeldFile(const std::wstring& path, bool hold, DWORD share)
      : handle_(hold ? CreateFileW(Extended(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)
                     : INVALID_HANDLE_VALUE) {}
  ~HeldFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  [[nodiscard]] bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

TEST(IsFileInUse, HeldFilesAndAttributesKept) {
  test::TempFolder tmp(L"inuse");
  const std::wstring longFolder = LongFolder(tmp);
  constexpr DWORD kMarks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  const struct {
    std::wstring path;
    DWORD attributes;
    bool hold;
    DWORD share;
    bool inUse;
  } cases[] = {
      {tmp / L"free.txt", FILE_ATTRIBUTE_NORMAL, false, 0, false},
      {tmp / L"readonly.txt", kMarks, false, 0, false},  // marks alone do not make a file busy
      {tmp / L"held.txt", FILE_ATTRIBUTE_NORMAL, true, 0, true},
      {tmp / L"heldmarked.txt", kMarks, true, 0, true},
      {tmp / L"shared.txt", FILE_ATTRIBUTE_HIDDEN, true, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, true},
      {longFolder + L"\\long_free.txt", FILE_ATTRIBUTE_READONLY, false, 0, false},
      {longFolder + L"\\long_held.txt", FILE_ATTRIBUTE_HIDDEN, true, 0, true},
  };
  for (const auto& c : cases) {
    test::WriteBytes(c.path, "content");
    ASSERT_TRUE(SetFileAttributesW(Extended(c.path).c_str(), c.attributes)) << c.path;
    const DWORD before = GetFileAttributesW(Extended(c.path).c_str());
    {
      HeldFile holder(c.path, c.hold, c.share);
      ASSERT_EQ(holder.held(), c.hold);
      EXPECT_EQ(IsFileInUse(c.path), c.inUse) << c.path;
      // The archive mark cannot be cleared under Wine, so it is left out of the comparison.
      const DWORD after = GetFileAttributesW(Extended(c.path).c_str());
      EXPECT_EQ(after & ~FILE_ATTRIBUTE_ARCHIVE, before & ~FILE_ATTRIBUTE_ARCHIVE) << c.path;
    }
    EXPECT_EQ(test::ReadBytes(c.path), "content");
    SetFileAttributesW(Extended(c.path).c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  EXPECT_FALSE(IsFileInUse(tmp / L"missing.txt"));
  EXPECT_FALSE(IsFileInUse(tmp.path()));  // a folder is no file
  EXPECT_FALSE(IsFileInUse(L""));
}

TEST(ChooseFolder, AnswersFromTheBrowser) {
  test::TempFolder tmp(L"choose");
  test::RecordingShell shell;
  Substitute<Shell> use(&Platform::shell, shell);

  std::wstring folder = tmp.path();
  shell.browseAnswer = L"C:\\chosen";
  EXPECT_TRUE(ChooseFolder(L"请选择一个您要扫描的目录...", L"", folder));
  EXPECT_EQ(folder, L"C:\\chosen");
  EXPECT_EQ(shell.browseInitial, tmp.path());  // an existing folder is preselected
  EXPECT_EQ(shell.calls.back(), L"browse 请选择一个您要扫描的目录...");

  folder = tmp.path();
  shell.browseAnswer.clear();
  EXPECT_FALSE(ChooseFolder(L"t", L"", folder));
  EXPECT_EQ(folder, tmp.path());  // cancelled: unchanged

  folder = tmp / L"gone";
  EXPECT_FALSE(ChooseFolder(L"t", L"", folder));
  EXPECT_EQ(shell.browseInitial, L"");
  EXPECT_EQ(folder, L"");  // a folder that does not exist is cleared first

  HWND owner = reinterpret_cast<HWND>(0x4242);
  SetMsgBoxOwner(owner);
  shell.browseAnswer = L"D:\\x";
  EXPECT_TRUE(ChooseFolder(L"t", L"", folder));
  SetMsgBoxOwner(nullptr);
  EXPECT_EQ(shell.browseOwner, owner);
}

}  // namespace
}  // namespace wv
