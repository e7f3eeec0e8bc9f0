#include <gtest/gtest.h>

#include "core/publline.h"
#include "tools/shred_fixtures.h"

namespace wv::test {
namespace {

TEST(ShredFolder, TheTreeGoesBottomUpButForWhatIsHeldAndRecycled) {
  TempFolder t(L"shtree");
  const std::wstring root = t.folder(L"victim");
  const std::vector<std::wstring> shredded = {
      PatternFile(root + L"\\a.txt", 3000),       PatternFile(root + L"\\b.dat", 10),
      PatternFile(root + L"\\sub\\c.txt", 1024),  PatternFile(root + L"\\sub\\deep\\d.txt", 0),
      PatternFile(root + L"\\held\\f.txt", 700),
  };
  ASSERT_TRUE(SetFileAttributesW(shredded[1].c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  const std::wstring held = PatternFile(root + L"\\held\\e.txt", 700);
  const std::wstring recycled = PatternFile(root + L"\\rEcYcLeD\\g.txt", 700);
  t.folder(L"victim\\empty\\emptier");
  const std::string before = ReadBytes(held);

  std::vector<std::wstring> overwritten;
  ShredEvents events;
  events.overwritten = [&](std::wstring_view p) {
    const std::string bytes = ReadBytes(p);
    EXPECT_TRUE(AllZero(bytes)) << std::wstring(p);
    overwritten.emplace_back(p);
  };
  ShredRun run;
  {
    UniqueFile hold = HoldOpen(held);
    ASSERT_TRUE(hold.valid());
    ShredFolder(root, run, events);
  }
  EXPECT_EQ(overwritten.size(), shredded.size());
  for (const std::wstring& p : shredded) EXPECT_FALSE(PathExists(p)) << p;
  for (const wchar_t* gone : {L"\\sub", L"\\empty"}) EXPECT_FALSE(PathExists(root + gone)) << gone;
  // Passed over: the held file and the recycle folder, and so the folders holding them.
  EXPECT_EQ(ReadBytes(held), before);
  EXPECT_EQ(ReadBytes(recycled), before);
  EXPECT_TRUE(DirectoryExists(root));
  EXPECT_EQ(run.shreddingTexts(), shredded.size() + 1);  // the held file too was looked at
}

// Wherever the stop falls, the first file of each folder after it is left, and
// folders with no file in them still go.
TEST(ShredFolder, AStopEndsTheWalkAtTheNextFile) {
  TempFolder t(L"shstop");
  const std::wstring root = t.folder(L"victim");
  const std::wstring one = PatternFile(root + L"\\full\\one.txt", 100);
  const std::wstring two = PatternFile(root + L"\\full\\two.txt", 100);
  const std::wstring later = PatternFile(root + L"\\later\\three.txt", 100);
  t.folder(L"victim\\empty\\emptier");
  ShredRun run([](const ShredRun& r) { return r.shreddingTexts() >= 1; });
  ShredFolder(root, run);

  EXPECT_EQ(run.shreddingTexts(), 1u);
  EXPECT_EQ(PathExists(one) + PathExists(two) + PathExists(later), 2);
  EXPECT_FALSE(PathExists(root + L"\\empty"));
  EXPECT_TRUE(DirectoryExists(root));
}

TEST(ShredFolder, FolderLinksAreNeverEntered) {
  const std::wstring fixture = ShredLinkFixture();
  ASSERT_TRUE(DirectoryExists(fixture + L"\\tree")) << "planted by scripts/make-shred-links (a ctest fixture)";
  ASSERT_TRUE(GetFileAttributesW((fixture + L"\\tree\\out").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
  ShredRun run;
  ShredFolder(fixture + L"\\tree", run);
  ShredFolder(fixture + L"\\toplink", run);

  EXPECT_FALSE(PathExists(fixture + L"\\tree\\inside.txt"));
  EXPECT_FALSE(PathExists(fixture + L"\\tree\\sub"));
  EXPECT_EQ(ReadBytes(fixture + L"\\outside\\keep.txt"), "keep this");
  EXPECT_EQ(ReadBytes(fixture + L"\\outside2\\keep.txt"), "keep that");
  EXPECT_EQ(run.shreddingTexts(), 2u);
}

}  // namespace
}  // namespace wv::test
