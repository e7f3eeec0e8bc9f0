// Execute with names that other rows' files hold now: swaps, cycles and chains of names arrive in
// place, and a file that waited for a name its row cannot get has its old name back.

#include "engines/tools/fixtures.h"

namespace wv::test {
namespace {

FileInfoRows Renamed(const TempFolder& t, std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> renames) {
  FileInfoRows rows;
  Names paths;
  for (const auto& [from, to] : renames) paths.push_back(t / from);
  ImportFiles(rows, paths);
  std::size_t r = 0;
  for (const auto& [from, to] : renames) rows.edit(r++).newName = to;
  return rows;
}

Names Contents(const TempFolder& t, std::initializer_list<const wchar_t*> names) {
  Names out;
  for (const wchar_t* name : names) out.push_back(ToWide(ReadBytes(t / name)));
  return out;
}

TEST(FileInfoExecuteCycles, SwapsCyclesAndChainsArriveWithTheirNewValues) {
  TempFolder t(L"infocycles");
  for (const wchar_t* name : {L"a", L"b", L"c", L"x", L"y", L"1", L"2"}) t.file(name, ToUtf8(name));
  // A cycle of three, a swap, a chain whose end is free.
  FileInfoRows rows = Renamed(t, {{L"a", L"b"}, {L"b", L"c"}, {L"c", L"a"}, {L"x", L"y"}, {L"y", L"x"}, {L"1", L"2"}, {L"2", L"3"}});
  for (std::size_t r = 0; r < rows.size(); ++r) rows.edit(r).newAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN;
  Answers answers;
  EXPECT_FALSE(RunOp(rows, FileInfoOp::Execute, {}, answers).stopped);
  EXPECT_TRUE(answers.asked.empty());
  EXPECT_EQ(Contents(t, {L"a", L"b", L"c", L"x", L"y", L"2", L"3"}), (Names{L"c", L"a", L"b", L"y", L"x", L"1", L"2"}));
  EXPECT_FALSE(PathExists(t / L"1") || PathExists(t / L"~vt0.tmp"));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    EXPECT_EQ(rows.at(r).oldName, rows.at(r).newName);
    EXPECT_EQ(GetFileAttributesW(rows.at(r).path().c_str()) & kFileInfoAttributes, DWORD{FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN})
        << "the new attributes reach a file that waited too";
    EXPECT_FALSE(rows.at(r).newAttributes);
  }
}

// The file whose name a waiting row wants stays where it is (its row is skipped): the waiting file gets
// its old name back and its row is asked about as any refused rename.
TEST(FileInfoExecuteCycles, AWaitingFileWhoseNameStaysTakenGoesBack) {
  TempFolder t(L"infowait");
  t.file(L"a", "A");
  t.file(L"b", "B");
  FileInfoRows rows = Renamed(t, {{L"a", L"b"}, {L"b", L"a"}});
  Answers answers;
  {
    UniqueFile busy(CreateFileW((t / L"b").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    (void)RunOp(rows, FileInfoOp::Execute, {}, answers);
  }
  EXPECT_EQ(answers.texts(), (Names{L"文件 \"b\" 正在运行或对其操作权限不够，确定跳过吗？", L"文件 \"b\" 存在重名，确定跳过吗？"}));
  EXPECT_EQ(Contents(t, {L"a", L"b"}), (Names{L"A", L"B"}));
  EXPECT_FALSE(PathExists(t / L"~vt0.tmp"));
  EXPECT_TRUE(rows.at(0).oldName == L"a" && rows.at(1).oldName == L"b");
}

}  // namespace
}  // namespace wv::test
