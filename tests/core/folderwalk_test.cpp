// The one folder walk against the plain recursive walk it replaces: the order,
// folders left out, links never entered, stops, and the short forms it builds.
#include <gtest/gtest.h>

#include <tuple>

#include "core/folderwalk.h"
#include "core/publline.h"
#include "support/testsupport.h"

namespace wv {
namespace {

// Records every call; leaves out folders named "skip", does not enter "flat",
// stops at "stop.txt", and lets `left` subfolders begin.
class Recorder : public FolderVisitor {
 public:
  std::vector<std::wstring> events;
  int left = 1000;
  bool shorts = false;
  bool enter(const WalkFolder& f) override {
    if (EndsWithNoCase(f.path, L"\\skip\\")) return false;
    // The short form is built from the names the searches report, and only when asked for.
    std::wstring expected = shorts ? Fs().shortPath(f.path) : L"";
    if (shorts && expected.empty()) expected = f.path;  // a missing root has none
    if (shorts && expected.back() != L'\\') expected += L'\\';
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
  bool listed(const WalkFolder& f) override {
    events.push_back(L"listed " + f.path);
    return true;
  }
  bool proceed() override { return left-- > 0; }
  void leave(const WalkFolder& f) override { events.push_back(L"leave " + f.path); }
};

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
    for (const std::wstring& e : walked.events)
      for (const wchar_t* never : {L"hidden.txt", L"never.txt", L"outside.tmp", L"loop\\"})
        EXPECT_EQ(e.find(never), std::wstring::npos) << e;
  }

  Recorder none;
  EXPECT_TRUE(WalkFolders(L"", none));
  EXPECT_TRUE(none.events.empty()) << "an empty root is never the current folder";
}

}  // namespace
}  // namespace wv
