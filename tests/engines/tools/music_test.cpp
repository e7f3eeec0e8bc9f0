#include "engines/tools/fixtures.h"
#include "engines/tools/music.h"

namespace wv::test {
namespace {

Names OldNames(const MusicRows& rows) { return Each(rows, [](const MusicRow& r) { return r.oldName; }); }

TEST(MusicImport, OnlyMp3AndWmaFilesOnce) {
  TempFolder t(L"musicimport");
  const std::wstring a = t.file(L"A.MP3"), b = t.file(L"b.wma");
  MusicRows rows;
  Names files{a, b, t.file(L"c.ogg"), t.folder(L"album.mp3"), t / L"gone.mp3"};
  TestRun run;
  EXPECT_EQ(RunMusicTask(MusicOp::Import, files, run, rows).summary, L"音乐信息导入完成！");
  EXPECT_TRUE(run.statuses.front() == L"音乐信息导入中..." && run.position == 5u && files.empty());
  ASSERT_EQ(OldNames(rows), (Names{L"A.MP3", L"b.wma"}));
  EXPECT_TRUE(rows.at(0).newName == L"A.MP3" && rows.at(0).folder == t.path() + L"\\");
  // Listed already, also when named in other letter case.
  files = {a, t.path() + L"\\a.mp3", ToLower(b)};
  EXPECT_FALSE(RunMusicTask(MusicOp::Import, files, run, rows).stopped);
  EXPECT_EQ(rows.size(), 2u);
}

TEST(MusicList, DraggedRowsLandBeforeTheTarget) {
  // Down: before the target; up: before it too; below all rows: before the last one.
  const struct { int source, target; Names order; } cases[] = {
      {0, 2, {L"2", L"1", L"3"}}, {2, 0, {L"3", L"1", L"2"}}, {0, -1, {L"2", L"1", L"3"}}, {1, 2, {L"1", L"2", L"3"}}};
  for (const auto& c : cases) {
    MusicRows rows;
    for (const wchar_t* name : {L"1", L"2", L"3"}) rows.append({name, name});
    (void)MoveMusicRow(rows, c.source, c.target);
    EXPECT_EQ(OldNames(rows), c.order) << c.source << " onto " << c.target;
  }
}

}  // namespace
}  // namespace wv::test
