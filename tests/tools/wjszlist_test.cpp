#include <gtest/gtest.h>

#include "tools/fileinfo_fixtures.h"
#include "tools/yyszline.h"

namespace wv::test {
namespace {

TEST(FileInfoList, TypedNamesAreCleanedCheckedAndComparedWithTheOthers) {
  const std::wstring tooLong(101, L'名');  // 202 bytes in the system's code page
  const struct {
    const wchar_t* what;
    std::wstring typed;
    std::deque<bool> answers;
    std::wstring stored;
    std::vector<FileInfoAskKind> asked;
  } cases[] = {
      {L"trailing dot and blanks go", L"  abc. ", {}, L"abc", {}},
      {L"empty falls back to the old name", L"", {}, L"one.txt", {FileInfoAskKind::EditInvalid}},
      {L"a colon is refused", L"a:b.txt", {}, L"one.txt", {FileInfoAskKind::EditInvalid}},
      {L"over the length limit", tooLong, {}, L"one.txt", {FileInfoAskKind::EditInvalid}},
      {L"another row's new name, OK", L"TWO.TXT", {true}, L"TWO.TXT", {FileInfoAskKind::EditDuplicate}},
      {L"another row's new name, Cancel", L"two.txt", {false}, L"one.txt", {FileInfoAskKind::EditDuplicate}},
      {L"its own name is no duplicate", L"ONE.txt", {}, L"ONE.txt", {}},
  };
  for (const auto& c : cases) {
    FileInfoRows rows = NameRows({L"one.txt", L"x.txt"});
    rows.edit(0).newName = L"edited-before.txt";
    rows.edit(1).newName = L"two.txt";
    Answers answers;
    answers.script = c.answers;
    const bool taken = ApplyEditedName(rows, 0, c.typed, true, answers.asker());
    EXPECT_EQ(rows.at(0).newName, c.stored) << c.what;
    EXPECT_EQ(taken, c.stored != L"one.txt") << c.what;
    std::vector<FileInfoAskKind> kinds;
    for (const FileInfoAsk& a : answers.asked) kinds.push_back(a.kind);
    EXPECT_EQ(kinds, c.asked) << c.what;
  }
  FileInfoRows rows = NameRows({L"a.txt", L"b.txt"});
  Answers answers;
  EXPECT_TRUE(ApplyEditedName(rows, 1, L"A.TXT", false, answers.asker()));  // duplicate check off
  EXPECT_TRUE(answers.asked.empty());
  EXPECT_EQ(FileInfoAskText({FileInfoAskKind::EditDuplicate, L"A.TXT", {}, 0}), L"文件 \"A.TXT\" 存在重名，确定忽略吗？");
}

TEST(FileInfoList, ResetUndoesOneObjectOnly) {
  FileInfoRows rows = NameRows({L"a.txt", L"b.txt"});
  const LocalTime t = At(2001, 1, 1, 1, 1, 1);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    FileInfoRow& row = rows.edit(r);
    row.newName = L"n" + row.oldName;
    row.newModified = row.newCreated = t;
    row.newAttributes = FILE_ATTRIBUTE_HIDDEN;
  }
  ResetSimulated(rows, FileInfoObject::Time);
  EXPECT_FALSE(rows.at(1).newModified || rows.at(1).newCreated);
  EXPECT_EQ(rows.at(1).newName, L"nb.txt");
  EXPECT_TRUE(rows.at(1).newAttributes);
  ResetSimulated(rows, FileInfoObject::Attributes);
  EXPECT_FALSE(rows.at(0).newAttributes);
  EXPECT_EQ(rows.at(0).newName, L"na.txt");
  ResetSimulated(rows, FileInfoObject::Names);
  EXPECT_EQ(NewNames(rows), (std::vector<std::wstring>{L"a.txt", L"b.txt"}));
}

TEST(FileInfoList, ColumnTextsAndSorting) {
  FileInfoRows rows = NameRows({L"b.txt", L"C.txt", L"a.txt"});
  rows.edit(1).newModified = At(2020, 1, 2, 3, 4, 5);
  rows.edit(1).oldAttributes = FILE_ATTRIBUTE_READONLY;
  EXPECT_EQ(FileInfoColumnText(rows.at(1), 2), FileTimeText(At(2020, 1, 2, 3, 4, 5)));
  EXPECT_EQ(FileInfoColumnText(rows.at(1), 3), L"");  // no time held: empty
  EXPECT_EQ(FileInfoColumnText(rows.at(1), 7), L"-R--");
  EXPECT_EQ(FileInfoColumnText(rows.at(1), 8), L"C:\\nowhere\\");

  // Text order without regard to case; the next click on the column reverses it.
  SortFileInfoRows(rows, 1);
  EXPECT_EQ(NewNames(rows), (std::vector<std::wstring>{L"a.txt", L"b.txt", L"C.txt"}));
  SortFileInfoRows(rows, 1);
  EXPECT_EQ(NewNames(rows), (std::vector<std::wstring>{L"C.txt", L"b.txt", L"a.txt"}));
  SortFileInfoRows(rows, 1);
  EXPECT_EQ(NewNames(rows), (std::vector<std::wstring>{L"a.txt", L"b.txt", L"C.txt"}));
  // Rows without a value sort as empty texts.
  SortFileInfoRows(rows, 2);
  EXPECT_EQ(rows.at(0).newName, L"C.txt");
  SortFileInfoRows(rows, 2);
  EXPECT_EQ(rows.at(2).newName, L"C.txt");
}

TEST(FileInfoList, DragAndRemovalKeepTheOtherRowsInOrder) {
  FileInfoRows rows = NameRows({L"1", L"2", L"3", L"4"});
  std::size_t resets = 0;
  rows.setObserver([&](FileInfoRows::Change change, std::size_t) { resets += change == FileInfoRows::Change::Reset; });
  EXPECT_EQ(rows.moveTo(0, 2), 2);  // moved down: just after the target
  EXPECT_EQ(NewNames(rows), (std::vector<std::wstring>{L"2", L"3", L"1", L"4"}));
  EXPECT_EQ(rows.moveTo(3, 0), 0);  // moved up: just before it
  EXPECT_EQ(NewNames(rows), (std::vector<std::wstring>{L"4", L"2", L"3", L"1"}));
  EXPECT_EQ(rows.moveTo(1, 4), -1);
  EXPECT_EQ(resets, 2u);
  EXPECT_EQ(rows.keepIf([](std::size_t r) { return r % 2 == 1; }), 2u);
  EXPECT_EQ(NewNames(rows), (std::vector<std::wstring>{L"2", L"1"}));
  EXPECT_EQ(rows.keepIf([](std::size_t) { return true; }), 0u);
  EXPECT_EQ(resets, 3u);  // nothing removed, nothing announced
}

TEST(MusicList, ColumnTextsAndSorting) {
  MusicRows rows;
  for (const wchar_t* name : {L"b.mp3", L"A.wma", L"c.mp3"}) {
    MusicRow row;
    row.newName = row.oldName = name;
    row.folder = L"D:\\music\\";
    rows.append(row);
  }
  EXPECT_EQ(MusicColumnText(rows.at(0), 7), L"D:\\music\\");
  EXPECT_EQ(MusicColumnText(rows.at(0), 2), L"");
  SortMusicRows(rows, 0);
  EXPECT_EQ(rows.at(0).newName, L"c.mp3");
  SortMusicRows(rows, 0);
  EXPECT_EQ(rows.at(0).newName, L"A.wma");
}

}  // namespace
}  // namespace wv::test
