// The music engine over real temporary folders: import with tags, names built from tags, the duplicate
// check, execute through the file-information editor (never overwriting, swaps and cycles), refresh.

#include "engines/tools/music_fixtures.h"

namespace wv::test {
namespace {

Names OldNames(const MusicRows& rows) { return Each(rows, [](const MusicRow& r) { return r.oldName; }); }
Names NewNames(const MusicRows& rows) { return Each(rows, [](const MusicRow& r) { return r.newName; }); }

MusicResult RunMusic(MusicRows& rows, MusicTask task, Answers* answers = nullptr, TestRun* run = nullptr) {
  TestRun quiet;
  if (answers) task.ask = answers->asker();
  return RunMusicTask(task, run ? *run : quiet, rows);
}
MusicTask Op(MusicOp op) {
  MusicTask task;
  task.op = op;
  return task;
}
MusicTask Simulation(MusicSettings settings) {
  MusicTask task = Op(MusicOp::Simulate);
  task.settings = std::move(settings);
  return task;
}
MusicRows Imported(Names files) {
  MusicRows rows;
  MusicTask task = Op(MusicOp::Import);
  task.files = std::move(files);
  EXPECT_FALSE(RunMusic(rows, std::move(task)).stopped);
  return rows;
}
MusicSettings ByTags(std::optional<MusicTag> a, std::optional<MusicTag> b = {}, std::optional<MusicTag> c = {},
                     std::wstring separator = L" - ", bool duplicateCheck = true) {
  MusicSettings s;
  s.parts = {a, b, c};
  s.separator = std::move(separator);
  s.duplicateCheck = duplicateCheck;
  return s;
}

TEST(MusicImport, OnlyMp3AndWmaFilesOnceWithTheirTags) {
  TempFolder t(L"musicimport");
  const std::wstring a = t.file(L"A.MP3", TaggedMp3(Tags(L"标题", L"歌手", L"专辑", L"2001", L"备注"))),
                     b = t.file(L"b.wma");
  MusicRows rows;
  MusicTask task = Op(MusicOp::Import);
  task.files = {a, b, t.file(L"c.ogg"), t.folder(L"album.mp3"), t / L"gone.mp3"};
  TestRun run;
  EXPECT_EQ(RunMusic(rows, task, nullptr, &run).summary, L"音乐信息导入完成！");
  EXPECT_TRUE(run.statuses.front() == L"音乐信息导入中..." && run.position == 5u);
  ASSERT_EQ(OldNames(rows), (Names{L"A.MP3", L"b.wma"}));
  EXPECT_EQ(rows.at(0).tags, Tags(L"标题", L"歌手", L"专辑", L"2001", L"备注"));
  EXPECT_EQ(rows.at(1).tags, MusicTags{}) << "a file without tags";
  EXPECT_TRUE(rows.at(0).newName == L"A.MP3" && rows.at(0).folder == t.path() + L"\\");
  // Listed already, also when named in other letter case.
  task.files = {a, t.path() + L"\\a.mp3", ToLower(b)};
  EXPECT_FALSE(RunMusic(rows, task).stopped);
  EXPECT_EQ(rows.size(), 2u);
}

// The rule's names for rows that need no disk: tags joined, empty ones skipped, what Windows forbids
// replaced, the extension kept; blanks removed from the current name.
TEST(MusicNames, BuiltFromTagsOrWithoutBlanks) {
  MusicRow row{L"old name.Mp3", L"old name.Mp3", Tags(L"Song: \"One\"?", L"周 杰伦", L"", L"2003"), L"C:\\m\\"};
  MusicSettings blanks;
  blanks.rule = MusicNameRule::RemoveBlanks;
  const struct {
    const char* what;
    MusicSettings settings;
    MusicRow row;
    std::wstring name;
  } cases[] = {
      {"title alone", ByTags(MusicTag::Title), row, L"Song_ _One__.Mp3"},
      {"artist, empty album skipped, year", ByTags(MusicTag::Artist, MusicTag::Album, MusicTag::Year), row, L"周 杰伦 - 2003.Mp3"},
      {"a separator Windows forbids", ByTags(MusicTag::Year, MusicTag::Artist, {}, L"/"), row, L"2003_周 杰伦.Mp3"},
      {"every chosen tag empty: no name", ByTags(MusicTag::Album), row, L""},
      {"blanks and dots at the ends go", ByTags(MusicTag::Title), {L"x.mp3", L"x.mp3", Tags(L"  Ende... ")}, L"Ende.mp3"},
      {"a device's name gets a mark", ByTags(MusicTag::Title), {L"x.wma", L"x.wma", Tags(L"con")}, L"con_.wma"},
      {"no longer than 200 characters", ByTags(MusicTag::Title), {L"x.mp3", L"x.mp3", Tags(std::wstring(300, L'长'))},
       std::wstring(196, L'长') + L".mp3"},
      {"blanks removed from the current new name", blanks, {L" a b\x3000" L"c .mp3", L"x.mp3"}, L"abc.mp3"},
      {"blanks alone make no name", blanks, {L"   .mp3", L"x.mp3"}, L""},
  };
  for (const auto& c : cases) EXPECT_EQ(BuildMusicName(c.settings, c.row), c.name) << c.what;
}

// With the check, a name an earlier row has or another file in the folder has is asked about; OK goes on,
// Cancel puts every old name back. Files of listed rows do not count: they may move away.
TEST(MusicSimulate, DuplicatesInTheListAndTheFolderAreAsked) {
  TempFolder t(L"musicdup");
  t.file(L"Taken.mp3");  // not listed
  MusicRows rows = Imported({t.file(L"1.mp3", TaggedMp3(Tags(L"Same"))), t.file(L"2.mp3", TaggedMp3(Tags(L"same"))),
                             t.file(L"3.mp3", TaggedMp3(Tags(L"Taken"))), t.file(L"4.mp3", TaggedMp3(Tags(L"1"))),
                             t.file(L"5.mp3")});
  Answers answers;
  EXPECT_EQ(RunMusic(rows, Simulation(ByTags(MusicTag::Title)), &answers).summary, L"名称信息模拟设置完成！");
  EXPECT_EQ(answers.texts(), (Names{L"文件 \"same.mp3\" 存在重名，确定忽略并继续模拟吗？",
                                    L"文件 \"Taken.mp3\" 存在重名，确定忽略并继续模拟吗？"}));
  EXPECT_EQ(NewNames(rows), (Names{L"Same.mp3", L"same.mp3", L"Taken.mp3", L"1.mp3", L"5.mp3"}))
      << "row 4 takes row 1's name, which row 1 gives up; row 5 has no title and keeps its name";
  answers = Answers{{true, false}};
  EXPECT_TRUE(RunMusic(rows, Simulation(ByTags(MusicTag::Title)), &answers).stopped);
  EXPECT_EQ(NewNames(rows), OldNames(rows));
  answers = Answers{};
  EXPECT_FALSE(RunMusic(rows, Simulation(ByTags(MusicTag::Title, {}, {}, L"", false)), &answers).stopped);
  EXPECT_TRUE(answers.asked.empty()) << "without the check nothing is asked";
}

// Execute renames through the file-information editor: names that swap or go round in a cycle arrive,
// a name that another file has is never taken, and no file stays under a passing name.
TEST(MusicExecute, SwapsAndCyclesArriveAndNothingIsOverwritten) {
  TempFolder t(L"musicexec");
  const auto song = [&](const wchar_t* name, const wchar_t* title) { return t.file(name, TaggedMp3(Tags(title)) + ToUtf8(name)); };
  MusicRows rows = Imported({song(L"a.mp3", L"b"), song(L"b.mp3", L"c"), song(L"c.mp3", L"a"),  // a cycle of three
                             song(L"x.mp3", L"y"), song(L"y.mp3", L"x"),                         // a swap
                             song(L"k.mp3", L"Kept"), song(L"d.mp3", L"Kept"),                   // the same name twice
                             song(L"z.mp3", L"Other")});
  t.file(L"Other.mp3", "someone else's");
  Answers answers;
  (void)RunMusic(rows, Simulation(ByTags(MusicTag::Title, {}, {}, L"", false)), &answers);
  (void)RunMusic(rows, Op(MusicOp::Execute), &answers);
  EXPECT_EQ(answers.texts(), (Names{L"文件 \"Kept.mp3\" 存在重名，确定跳过吗？", L"文件 \"Other.mp3\" 存在重名，确定跳过吗？"}));
  for (const auto& [file, was] : {std::pair{L"b.mp3", L"a.mp3"}, {L"c.mp3", L"b.mp3"}, {L"a.mp3", L"c.mp3"}, {L"y.mp3", L"x.mp3"},
                                  {L"x.mp3", L"y.mp3"}, {L"Kept.mp3", L"k.mp3"}, {L"d.mp3", L"d.mp3"}, {L"z.mp3", L"z.mp3"}})
    EXPECT_TRUE(ReadBytes(t / file).ends_with(ToUtf8(was))) << ToUtf8(file) << " holds " << ToUtf8(was);
  EXPECT_EQ(ReadBytes(t / L"Other.mp3"), "someone else's");
  EXPECT_EQ(OldNames(rows), (Names{L"b.mp3", L"c.mp3", L"a.mp3", L"y.mp3", L"x.mp3", L"Kept.mp3", L"d.mp3", L"z.mp3"}));
  EXPECT_EQ(rows.at(0).tags, Tags(L"b")) << "tags read from where the file is now";
  EXPECT_FALSE(PathExists(t / L"~vt0.tmp"));
}

// A stop while a file waits under a passing name puts it back: the rows after it never moved.
TEST(MusicExecute, AStopLeavesNoFileUnderAPassingName) {
  TempFolder t(L"musicstop");
  MusicRows rows = Imported({t.file(L"a.mp3", TaggedMp3(Tags(L"b")) + "A"), t.file(L"b.mp3", TaggedMp3(Tags(L"a")) + "B")});
  (void)RunMusic(rows, Simulation(ByTags(MusicTag::Title)));
  TestRun run(StopAfter(1));
  MusicTask task = Op(MusicOp::Execute);
  EXPECT_EQ(RunMusic(rows, task, nullptr, &run).summary, L"音乐信息正式设置被停止");
  EXPECT_TRUE(ReadBytes(t / L"a.mp3").ends_with("A") && ReadBytes(t / L"b.mp3").ends_with("B"));
  EXPECT_FALSE(PathExists(t / L"~vt0.tmp"));
  EXPECT_EQ(OldNames(rows), (Names{L"a.mp3", L"b.mp3"}));
}

// Copied files: the rows stand for the copies, whose tags are read; the sources stay.
TEST(MusicExecute, CopiesToAFolderPointTheRowsThere) {
  TempFolder t(L"musiccopy");
  MusicRows rows = Imported({t.file(L"src\\1.mp3", TaggedMp3(Tags(L"副本", L"歌手")))});
  (void)RunMusic(rows, Simulation(ByTags(MusicTag::Artist, MusicTag::Title)));
  MusicTask task = Op(MusicOp::Execute);
  task.placement = FilePlacement::CopyToFolder;
  task.targetDir = t.folder(L"dst") + L"\\";
  EXPECT_EQ(RunMusic(rows, task).summary, L"音乐信息正式设置完成！");
  EXPECT_TRUE(PathExists(t / L"src\\1.mp3") && PathExists(t / L"dst\\歌手 - 副本.mp3"));
  EXPECT_TRUE(rows.at(0).folder == task.targetDir && rows.at(0).oldName == L"歌手 - 副本.mp3");
  EXPECT_EQ(rows.at(0).tags, Tags(L"副本", L"歌手"));
}

// Refresh puts the names back, reads the tags again and drops rows of files that went; the tag
// object's reset reads the tags and changes nothing else.
TEST(MusicRefresh, TagsReadAgainRowsOfGoneFilesDropped) {
  TempFolder t(L"musicrefresh");
  MusicRows rows = Imported({t.file(L"1.mp3", TaggedMp3(Tags(L"Before"))), t.file(L"2.mp3")});
  (void)RunMusic(rows, Simulation(ByTags(MusicTag::Title)));
  WriteBytes(t / L"1.mp3", TaggedMp3(Tags(L"After")));
  EXPECT_EQ(RunMusic(rows, Op(MusicOp::ReadTags)).summary, L"标签模拟信息重置完成！");
  EXPECT_EQ(rows.at(0).tags, Tags(L"After"));
  EXPECT_EQ(NewNames(rows), (Names{L"Before.mp3", L"2.mp3"})) << "names stay";
  ASSERT_TRUE(DeleteFileW((t / L"2.mp3").c_str()));
  EXPECT_EQ(RunMusic(rows, Op(MusicOp::Refresh)).summary, L"音乐信息刷新完成！");
  EXPECT_EQ(NewNames(rows), (Names{L"1.mp3"}));
}

// A typed name: refused when blank or with a character no file name may hold, else taken without the
// blanks and dots at its end.
TEST(MusicList, TypedNamesAreCheckedAndTaken) {
  const struct {
    std::wstring typed, stored, refusal;
  } cases[] = {
      {L"   ", L"a.mp3", L"文件名不能为空。"},
      {L" . ..", L"a.mp3", L"文件名不能为空。"},
      {L"a:b.mp3", L"a.mp3", L"文件名中不能包含特殊字符。"},
      {L"tab\there.mp3", L"a.mp3", L"文件名中不能包含特殊字符。"},
      {L" new name .mp3 ..", L" new name .mp3", L""},
  };
  for (const auto& c : cases) {
    MusicRows rows;
    rows.append({L"a.mp3", L"a.mp3"});
    EXPECT_EQ(ApplyTypedMusicName(rows, 0, c.typed), c.refusal) << ToUtf8(c.typed);
    EXPECT_EQ(rows.at(0).newName, c.stored) << ToUtf8(c.typed);
  }
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
