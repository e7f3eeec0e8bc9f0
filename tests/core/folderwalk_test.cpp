// The one folder walk: the order every engine promises (a folder's entries as
// its search lists them, then its kept subfolders one whole subtree after the
// other), folders left out, stops, and the short forms it builds on the way.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/folderwalk.h"
#include "core/publline.h"
#include "platform/win32/win32_platform.h"
#include "support/testsupport.h"

namespace wv {
namespace {

// Records every call as one line; leaves out folders named "skip", does not
// enter folders named "flat", stops at a file named "stop.txt".
class Recorder : public FolderVisitor {
 public:
  std::vector<std::wstring> events;
  bool enter(const WalkFolder& f) override {
    if (EndsWithNoCase(f.path, L"\\skip\\")) return false;
    events.push_back(L"enter " + f.path + L" " + std::to_wstring(f.depth));
    return true;
  }
  void unreadable(const WalkFolder& f) override { events.push_back(L"unreadable " + f.path); }
  Step entry(const WalkFolder& f, const FindEntry& e) override {
    events.push_back(L"entry " + f.path + e.name);
    if (e.name == L"stop.txt") return Step::Stop;
    return e.isFolder() && e.name != L"flat" ? Step::Enter : Step::Next;
  }
  bool listed(const WalkFolder& f) override {
    events.push_back(L"listed " + f.path);
    return true;
  }
  void leave(const WalkFolder& f) override { events.push_back(L"leave " + f.path); }
};

// The same walk written the plain recursive way: the order to keep.
bool Reference(const std::wstring& folder, std::size_t depth, Recorder& r) {
  const WalkFolder here{folder, L"", depth};
  if (!r.enter(here)) return true;
  std::vector<std::wstring> keep;
  FindEntry e;
  if (std::unique_ptr<DirSearch> search = Fs().search(folder + L"*.*")) {
    while (search->next(e)) {
      if (e.isFolder() && e.isDots()) continue;
      const FolderVisitor::Step step = r.entry(here, e);
      if (step == FolderVisitor::Step::Stop) return false;
      if (step == FolderVisitor::Step::Enter && !(e.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) keep.push_back(e.name);
    }
  } else {
    r.unreadable(here);
  }
  r.listed(here);
  for (const std::wstring& name : keep)
    if (!Reference(folder + name + L"\\", depth + 1, r)) return false;
  r.leave(here);
  return true;
}

TEST(FolderWalk, VisitsInTheRecursiveOrderLeavingOutAndStopping) {
  test::TempFolder tmp(L"walk");
  for (const wchar_t* f : {L"b.txt", L"a\\a1.txt", L"a\\x\\deep.txt", L"a\\y\\z\\deeper.txt", L"a\\a2.txt",
                           L"c\\c.txt", L"skip\\hidden.txt", L"flat\\never.txt", L"d\\e\\f\\g\\h.txt"})
    tmp.file(f);
  tmp.folder(L"a\\empty");
  const std::wstring root = tmp.path() + L"\\";

  Recorder walked, expected;
  EXPECT_TRUE(WalkFolders(tmp.path(), walked));  // without its backslash
  ASSERT_TRUE(Reference(root, 0, expected));
  EXPECT_EQ(walked.events, expected.events);
  EXPECT_EQ(walked.events.front(), L"enter " + root + L" 0");
  EXPECT_EQ(walked.events.back(), L"leave " + root);
  for (const std::wstring& e : walked.events) {
    EXPECT_EQ(e.find(L"hidden.txt"), std::wstring::npos) << "a left-out folder is not listed";
    EXPECT_EQ(e.find(L"never.txt"), std::wstring::npos) << "a folder not entered is not listed";
  }

  // A stop ends everything at once: no further entry, no leave.
  tmp.file(L"a\\x\\stop.txt");
  Recorder stopped, stoppedExpected;
  EXPECT_FALSE(WalkFolders(root, stopped));
  EXPECT_FALSE(Reference(root, 0, stoppedExpected));
  EXPECT_EQ(stopped.events, stoppedExpected.events);
  EXPECT_EQ(stopped.events.back(), L"entry " + root + L"a\\x\\stop.txt");

  // A folder that cannot be searched is reported, and nothing is listed from it.
  Recorder missing;
  EXPECT_TRUE(WalkFolders(root + L"gone", missing));
  EXPECT_EQ(missing.events, (std::vector<std::wstring>{L"enter " + root + L"gone\\ 0", L"unreadable " + root + L"gone\\",
                                                        L"listed " + root + L"gone\\", L"leave " + root + L"gone\\"}));
  Recorder none;
  EXPECT_TRUE(WalkFolders(L"", none));
  EXPECT_TRUE(none.events.empty()) << "an empty root is never the current folder";
}

TEST(FolderWalk, ProceedEndsTheWalkBeforeTheNextSubfolder) {
  test::TempFolder tmp(L"walk2");
  for (const wchar_t* f : {L"one\\1.txt", L"two\\2.txt", L"three\\3.txt"}) tmp.file(f);
  class Limited : public Recorder {
   public:
    int left = 1;
    bool proceed() override { return left-- > 0; }
  } limited;
  EXPECT_FALSE(WalkFolders(tmp.path(), limited));
  int entered = 0;
  for (const std::wstring& e : limited.events) entered += e.starts_with(L"enter ");
  EXPECT_EQ(entered, 2) << "the root and one subfolder";
  EXPECT_EQ(std::count(limited.events.begin(), limited.events.end(), L"leave " + tmp.path() + L"\\"), 0)
      << "a stopped walk does not leave the root";
}

TEST(FolderWalk, ShortFormsFollowTheSearchNames) {
  test::TempFolder tmp(L"walk3");
  tmp.file(L"A long folder name\\Another long name here\\f.txt");
  class Shorts : public FolderVisitor {
   public:
    std::vector<WalkFolder> seen;
    bool enter(const WalkFolder& f) override {
      seen.push_back(f);
      return true;
    }
    Step entry(const WalkFolder&, const FindEntry& e) override { return e.isFolder() ? Step::Enter : Step::Next; }
  } shorts;
  ASSERT_TRUE(WalkFolders(tmp.path(), shorts, {.shortPaths = true}));
  ASSERT_EQ(shorts.seen.size(), 3u);
  for (const WalkFolder& f : shorts.seen) {
    std::wstring expected = Fs().shortPath(f.path);
    ASSERT_FALSE(expected.empty()) << f.path;
    if (expected.back() != L'\\') expected += L'\\';
    EXPECT_TRUE(EqualsNoCase(f.shortPath, expected)) << f.path << L" -> " << f.shortPath;
  }
  EXPECT_EQ(shorts.seen[2].depth, 2u);
  EXPECT_TRUE(WalkFolders(tmp.path(), shorts));
  EXPECT_TRUE(shorts.seen.back().shortPath.empty()) << "short forms only when asked";
}

}  // namespace
}  // namespace wv
