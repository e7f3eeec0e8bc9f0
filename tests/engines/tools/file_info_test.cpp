// The file-information editor's operations over real files: import, simulate, execute, refresh.

#include "engines/tools/fixtures.h"

namespace wv::test {
namespace {

using Op = FileInfoOp;
constexpr DWORD kArchiveHidden = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN;  // Wine cannot clear the archive mark

LocalTime Local(const FILETIME& utc) {
  FILETIME local{};
  SYSTEMTIME st{};
  EXPECT_TRUE(FileTimeToLocalFileTime(&utc, &local) && FileTimeToSystemTime(&local, &st));
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

// The file's times and attributes as the system reports them, bypassing the engine.
struct OnDisk { LocalTime modified, created; DWORD attributes = 0; };
OnDisk ReadDisk(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  EXPECT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) << ToUtf8(path);
  return {Local(data.ftLastWriteTime), Local(data.ftCreationTime), data.dwFileAttributes & kFileInfoAttributes};
}

void SetDiskTime(const std::wstring& path, const LocalTime& t) {
  SYSTEMTIME st{static_cast<WORD>(t.year), static_cast<WORD>(t.month), 0, static_cast<WORD>(t.day),
                static_cast<WORD>(t.hour), static_cast<WORD>(t.minute), static_cast<WORD>(t.second), 0};
  FILETIME local{}, utc{};
  UniqueFile h(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(SystemTimeToFileTime(&st, &local) && LocalFileTimeToFileTime(&local, &utc) &&
              SetFileTime(h.get(), nullptr, nullptr, &utc));
}

FileInfoSettings Insert(std::wstring text) { return {.rule = NameRule::InsertText, .insertText = std::move(text)}; }
FileInfoSettings Attrs(DWORD attributes) { return {.object = FileInfoObject::Attributes, .attributes = attributes}; }
FileInfoSettings Time(const LocalTime& begin, const LocalTime& end, bool random, bool creation = false) {
  return {.object = FileInfoObject::Time, .creationTime = creation, .randomTime = random,
          .beginDate = DateText(begin), .beginTime = TimeText(begin), .endDate = DateText(end), .endTime = TimeText(end)};
}

TEST(FileInfoImport, RowsOfExistingFilesNotListedBeforeAndRefreshed) {
  TempFolder t(L"infoimport");
  const std::wstring a = t.file(L"a.txt"), b = t.file(L"B.txt");
  ASSERT_TRUE(SetFileAttributesW(b.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  SetDiskTime(b, {2011, 7, 8, 9, 10, 11});
  FileInfoRows rows;
  ImportFiles(rows, {a});
  // Other letter case: listed already; given twice in one import: added twice; a folder or missing path: skipped.
  FileInfoTask task{Op::Import, {ToUpper(a), b, b, t.folder(L"sub"), t / L"missing.txt"}};
  TestRun run;
  EXPECT_EQ(RunFileInfoTask(task, run, rows).summary, L"文件信息导入完成");
  EXPECT_TRUE(task.files.empty() && run.position == 5u);  // consumed; skipped paths advance the gauge too
  ASSERT_EQ(rows.size(), 3u);
  const FileInfoRow& row = rows.at(1);
  EXPECT_TRUE(row.path() == b && rows.at(2).path() == b && row.newName == L"B.txt");
  EXPECT_TRUE(row.oldModified == (LocalTime{2011, 7, 8, 9, 10, 11}) && row.oldCreated == ReadDisk(b).created);
  EXPECT_EQ(row.oldAttributes, DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE});
  EXPECT_FALSE(row.newModified || row.newCreated || row.newAttributes);

  // A refresh rereads every row, drops the deleted and undoes what was simulated; a stop does not end it.
  Answers answers;
  ASSERT_FALSE(RunOp(rows, Op::Simulate, Insert(L"n"), answers).stopped);
  ASSERT_FALSE(RunOp(rows, Op::Simulate, Attrs(0), answers).stopped);
  ASSERT_TRUE(DeleteFileW(a.c_str()));
  SetDiskTime(b, {2008, 8, 8, 8, 8, 8});
  task = {Op::Refresh};
  TestRun stopping(StopAfter(0));
  EXPECT_EQ(RunFileInfoTask(task, stopping, rows).summary, L"文件信息刷新完成");
  ASSERT_EQ(rows.size(), 2u);
  for (const FileInfoRow& r : rows.rows())
    EXPECT_TRUE(r.path() == b && r.newName == r.oldName && !r.newAttributes && !r.newModified && !r.newCreated);
  EXPECT_EQ(rows.at(1).oldModified, (LocalTime{2008, 8, 8, 8, 8, 8}));
}

// Runs build on each other; a stop empties the columns of its object, a refused name rolls back every name run.
TEST(FileInfoSimulate, RunsBuildOnEachOtherUntilAStopOrARefusal) {
  FileInfoRows rows = NameRows({L"a.txt", L"b", L".profile"});
  rows.edit(2).newName = L"c.txt";  // hand-edited earlier
  Answers answers;
  const LocalTime t{2001, 2, 3, 4, 5, 6};
  for (const FileInfoSettings& s : {Insert(L"x"), Insert(L"y"), Time(t, t, false, true), Attrs(FILE_ATTRIBUTE_HIDDEN)})
    ASSERT_FALSE(RunOp(rows, Op::Simulate, s, answers).stopped);
  EXPECT_EQ(NewNames(rows), (Names{L"yxa.txt", L"yxb", L"yxc.txt"}));
  EXPECT_TRUE(answers.asked.empty());
  const auto stoppedAfterOne = [&](const FileInfoSettings& s) {
    FileInfoTask task{Op::Simulate, {}, s};
    TestRun run(StopAfter(1));
    return RunFileInfoTask(task, run, rows).summary;
  };
  EXPECT_EQ(stoppedAfterOne(Time(t, t, false)), L"时间信息模拟设置被停止");
  for (const FileInfoRow& row : rows.rows()) EXPECT_FALSE(row.newModified || row.newCreated);
  EXPECT_EQ(rows.at(2).newAttributes, DWORD{FILE_ATTRIBUTE_HIDDEN});
  EXPECT_EQ(stoppedAfterOne(Attrs(0)), L"属性信息模拟设置被停止");
  for (const FileInfoRow& row : rows.rows()) EXPECT_FALSE(row.newAttributes);
  EXPECT_EQ(rows.at(2).newName, L"yxc.txt");
  EXPECT_EQ(stoppedAfterOne(Insert(L"m")), L"名称信息模拟设置被停止");
  EXPECT_EQ(NewNames(rows), (Names{L"a.txt", L"b", L".profile"}));

  // ".profile" joined to a name that starts with a dot: refused, and the run before is undone too.
  ASSERT_FALSE(RunOp(rows, Op::Simulate, Insert(L"x"), answers).stopped);
  rows.edit(2).newName = L".profile";
  EXPECT_EQ(RunOp(rows, Op::Simulate, {.replaceFrom = L"x", .replaceTo = L"z"}, answers).summary,
            L"名称信息模拟设置被停止");
  ASSERT_EQ(answers.asked.size(), 1u);
  EXPECT_TRUE(answers.asked[0].kind == FileInfoAskKind::InvalidName && answers.asked[0].error == L"文件名不能为空！");
  EXPECT_EQ(NewNames(rows), (Names{L"a.txt", L"b", L".profile"}));
}

TEST(FileInfoSimulate, DuplicateNamesInAnyLetterCase) {
  FileInfoRows rows = NameRows({L"Foo.txt", L"bar.txt", L"foo.TXT", L"c.txt"});
  const Names old = NewNames(rows);
  Answers answers;  // OK: the name stays and the run goes on; only earlier rows count
  EXPECT_FALSE(RunOp(rows, Op::Simulate, {.rule = NameRule::None}, answers).stopped);
  EXPECT_EQ(answers.texts(), Names{L"文件 \"foo.TXT\" 存在重名，确定忽略并继续模拟吗？"});
  EXPECT_EQ(NewNames(rows), old);
  const FileInfoSettings upper{.rule = NameRule::ChangeCase, .caseLen = 9};
  answers.script = {false};  // Cancel: rolled back
  EXPECT_TRUE(RunOp(rows, Op::Simulate, upper, answers).stopped);
  EXPECT_EQ(NewNames(rows), old);
  FileInfoSettings unchecked = upper;
  unchecked.duplicateCheck = false;
  answers = {};
  EXPECT_FALSE(RunOp(rows, Op::Simulate, unchecked, answers).stopped);
  EXPECT_TRUE(answers.asked.empty());
  EXPECT_EQ(NewNames(rows), (Names{L"FOO.txt", L"BAR.txt", L"FOO.TXT", L"C.txt"}));
}

TEST(FileInfoSimulate, FixedAndRandomTimes) {
  FileInfoRows rows = NameRows({L"1", L"2", L"3", L"4", L"5", L"6"});
  Answers answers;
  const LocalTime lo{2020, 1, 1, 8, 0, 0}, hi{2020, 12, 31, 8, 0, 0};
  EXPECT_EQ(RunOp(rows, Op::Simulate, Time(lo, hi, false), answers).summary, L"时间信息模拟设置完成");
  for (const FileInfoRow& row : rows.rows()) EXPECT_TRUE(row.newModified == lo && !row.newCreated);

  // From the start state the draws over 366 days are 0, 11, 315: the step the editor has always used.
  const auto draw = [&](const LocalTime& a, const LocalTime& b) {
    TimeRandom().restart();
    EXPECT_FALSE(RunOp(rows, Op::Simulate, Time(a, b, true, true), answers).stopped);
    std::vector<LocalTime> out;
    for (const FileInfoRow& row : rows.rows()) out.push_back(*row.newCreated);
    return out;
  };
  const std::vector<LocalTime> forward = draw(lo, hi);
  EXPECT_TRUE(forward[0] == lo && forward[1] == (LocalTime{2020, 1, 12, 8, 0, 0}) &&
              forward[2] == (LocalTime{2020, 11, 11, 8, 0, 0}));
  EXPECT_EQ(draw(hi, lo), forward);  // swapped bounds act as the two in order

  // Equal dates: only the time varies, inside its bounds, both ends included.
  const std::vector<LocalTime> clock = draw({2015, 6, 1, 23, 59, 50}, {2015, 6, 1, 23, 59, 59});
  for (const LocalTime& t : clock)
    EXPECT_TRUE(t.year == 2015 && t.month == 6 && t.day == 1 && t.hour == 23 && t.minute == 59 && t.second >= 50);
  EXPECT_NE(std::count(clock.begin(), clock.end(), clock[0]), 6);
  // Both equal: exactly that time, and nothing drawn.
  TimeRandom().restart();
  const LocalTime same{2030, 3, 3, 3, 3, 3};
  EXPECT_FALSE(RunOp(rows, Op::Simulate, Time(same, same, true), answers).stopped);
  EXPECT_TRUE(rows.at(5).newModified == same && TimeRandom().state() == 0u);
}

TEST(FileInfoExecute, InPlaceWithTheQuestionsOnTheWayUntilCancelOrStop) {
  TempFolder t(L"inforename");
  Names paths;
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt", L"d.txt", L"e.txt", L"f.txt"})
    paths.push_back(t.file(name, ToUtf8(name)));
  t.file(L"taken.txt", "T");
  FileInfoRows rows;
  ImportFiles(rows, paths);
  const std::pair<std::size_t, const wchar_t*> renames[] = {{0, L"first.txt"}, {1, L"taken.txt"}, {3, L"D.TXT"}, {5, L"g.txt"}};
  for (const auto& [r, name] : renames) rows.edit(r).newName = name;
  ASSERT_TRUE(DeleteFileW(paths[2].c_str()));  // gone before execute
  Answers answers{{true, true, false}};  // skip, skip, Cancel
  {
    UniqueFile busy(CreateFileW(paths[4].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(RunOp(rows, Op::Execute, {}, answers).summary, L"文件信息正式设置被停止");
  }
  EXPECT_EQ(answers.texts(), (Names{L"文件 \"taken.txt\" 存在重名，确定跳过吗？", L"文件 \"c.txt\" 已不存在，确定跳过吗？",
                                    L"文件 \"e.txt\" 正在运行或对其操作权限不够，确定跳过吗？"}));
  EXPECT_TRUE(ReadBytes(t / L"first.txt") == "a.txt" && rows.at(0).oldName == L"first.txt");
  EXPECT_TRUE(ReadBytes(t / L"taken.txt") == "T" && rows.at(1).oldName == L"b.txt");  // not forced over the other file
  WIN32_FIND_DATAW found{};  // only the letter case changes
  UniqueFind find(FindFirstFileW(paths[3].c_str(), &found));
  EXPECT_TRUE(rows.at(3).oldName == L"D.TXT" && std::wstring(found.cFileName) == L"D.TXT");
  EXPECT_TRUE(PathExists(paths[5]));  // after the Cancel nothing more
  FileInfoTask task{Op::Execute, {}, {}, FilePlacement::KeepFolder, {}, answers.asker()};
  TestRun stopping(StopAfter(1));  // a stop press ends it the same way: the rows it did not reach stay
  EXPECT_EQ(RunFileInfoTask(task, stopping, rows).summary, L"文件信息正式设置被停止");
  EXPECT_TRUE(answers.asked.size() == 3 && PathExists(paths[5]));
}

TEST(FileInfoExecute, CopyOrMoveToAFolderPointsTheRowAtTheFileThere) {
  for (const FilePlacement placement : {FilePlacement::CopyToFolder, FilePlacement::MoveToFolder}) {
    const bool copy = placement == FilePlacement::CopyToFolder;
    SCOPED_TRACE(copy);
    TempFolder t(L"infocopy");
    const std::wstring src = t.file(L"src\\song.txt", "content"), target = t.folder(L"target") + L"\\",
                       there = target + L"new_song.txt";
    const OnDisk before = ReadDisk(src);
    const LocalTime wanted{2012, 12, 12, 12, 12, 12};
    FileInfoRows rows;
    ImportFiles(rows, {src});
    Answers answers;
    for (const FileInfoSettings& s : {Insert(L"new_"), Time(wanted, wanted, false), Attrs(kArchiveHidden)})
      ASSERT_FALSE(RunOp(rows, Op::Simulate, s, answers).stopped);
    ASSERT_FALSE(RunOp(rows, Op::Execute, {}, answers, placement, target).stopped);
    EXPECT_TRUE(answers.asked.empty());
    // The source stays as it was (copy) or is gone (move); the row stands for the file there.
    EXPECT_TRUE(ReadBytes(there) == "content" && PathExists(src) == copy);
    EXPECT_TRUE(!copy || (ReadDisk(src).modified == before.modified && ReadDisk(src).attributes == before.attributes));
    const FileInfoRow& row = rows.at(0);
    EXPECT_TRUE(row.path() == there && row.oldCreated == ReadDisk(there).created);  // the copy's own creation time
    EXPECT_TRUE(ReadDisk(there).modified == wanted && row.oldModified == wanted && !row.newModified);
    EXPECT_TRUE(row.oldAttributes == kArchiveHidden && !row.newAttributes);

    // Again from a file of that name: the name is taken in the target now.
    rows.edit(0).folder = t / L"src\\";
    WriteBytes(t / L"src\\new_song.txt", "second");
    ASSERT_FALSE(RunOp(rows, Op::Execute, {}, answers, placement, target).stopped);
    EXPECT_EQ(answers.texts(), Names{L"文件 \"new_song.txt\" 已存在或目录访问权限不够，确定跳过吗？"});
    EXPECT_TRUE(rows.at(0).folder == t / L"src\\" && ReadBytes(there) == "content");
  }
}

// Refuses every rename, as a file system without the right to rename would; a file called gone.txt
// disappears just before its rename instead.
class RefusingRenames : public Win32FileSystem {
 public:
  SysResult moveFile(std::wstring_view from, std::wstring_view to) override {
    if (!from.ends_with(L"gone.txt")) return SysResult(ERROR_ACCESS_DENIED);
    (void)Win32FileSystem::deleteFile(from);
    return Win32FileSystem::moveFile(from, to);
  }
};

// A taken name is what the question says already; any other refusal adds the system's own words, and a file
// that went meanwhile is asked about as gone.
TEST(FileInfoExecute, ARefusedRenameOrMoveAddsTheSystemsReason) {
  TempFolder t(L"inforefused");
  FileInfoRows rows;
  ImportFiles(rows, {t.file(L"a.txt"), t.file(L"gone.txt")});
  rows.edit(0).newName = L"new a.txt";
  rows.edit(1).newName = L"new gone.txt";
  Answers answers;
  {
    RefusingRenames fs;
    Substitute<FileSystem> swap(&Platform::files, fs);
    ASSERT_FALSE(RunOp(rows, Op::Execute, {}, answers).stopped);
  }
  EXPECT_EQ(answers.texts(), (Names{L"文件 \"new a.txt\" 存在重名，确定跳过吗？\n" + SystemErrorText(ERROR_ACCESS_DENIED),
                                    L"文件 \"gone.txt\" 已不存在，确定跳过吗？"}));
  EXPECT_TRUE(PathExists(t / L"a.txt") && rows.at(0).oldName == L"a.txt");

  answers = {};  // a target folder that is not there
  ASSERT_FALSE(RunOp(rows, Op::Execute, {}, answers, FilePlacement::MoveToFolder, t / L"missing\\").stopped);
  ASSERT_EQ(answers.asked.size(), 2u);
  const std::wstring question = L"文件 \"new a.txt\" 已存在或目录访问权限不够，确定跳过吗？";
  EXPECT_EQ(answers.texts()[0], question + L"\n" + SystemErrorText(answers.asked[0].systemError));
  EXPECT_TRUE(answers.asked[0].systemError != ERROR_SUCCESS && answers.asked[0].systemError != ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(PathExists(t / L"a.txt") && rows.at(0).folder == t.path() + L"\\");
}

// Records creation times set alone; with ignore, reports success and sets nothing.
class TimesFs : public Win32FileSystem {
 public:
  bool setFileTimes(std::wstring_view path, const FILETIME* creation, const FILETIME* access,
                    const FILETIME* write) override {
    creations.push_back(creation && !access && !write ? Local(*creation) : LocalTime{});
    return ignore || Win32FileSystem::setFileTimes(path, creation, access, write);
  }
  std::vector<LocalTime> creations;
  bool ignore = false;
};

TEST(FileInfoExecute, TimesAndAttributesSetAndReadBack) {
  TempFolder t(L"infotimes");
  const std::wstring a = t.file(L"a.txt"), b = t.file(L"b.txt");
  ASSERT_TRUE(SetFileAttributesW(b.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  const DWORD marks = ReadDisk(b).attributes;
  FileInfoRows rows;
  ImportFiles(rows, {a, b});
  Answers answers;
  const LocalTime modified{1999, 12, 31, 23, 59, 58}, created{2003, 4, 5, 6, 7, 9};
  ASSERT_FALSE(RunOp(rows, Op::Simulate, Time(modified, modified, false), answers).stopped);
  rows.edit(1).newName = L"readonly.txt";  // a read-only file is renamed and set too, and keeps its marks
  ASSERT_TRUE(!RunOp(rows, Op::Execute, {}, answers).stopped && answers.asked.empty());
  for (const FileInfoRow& row : rows.rows())
    EXPECT_TRUE(ReadDisk(row.path()).modified == modified && row.oldModified == modified && !row.newModified);
  EXPECT_EQ(ReadDisk(t / L"readonly.txt").attributes, marks);

  // Only the creation slot is handed over, as the local time asked for.
  ASSERT_FALSE(RunOp(rows, Op::Simulate, Time(created, created, false, true), answers).stopped);
  TimesFs fs;
  {
    Substitute<FileSystem> swap(&Platform::files, fs);
    ASSERT_FALSE(RunOp(rows, Op::Execute, {}, answers).stopped);
  }
  EXPECT_EQ(fs.creations, std::vector<LocalTime>(2, created));
  // The row shows what the file has; where the value did not take (Wine keeps no creation time) it is asked about.
  const OnDisk disk = ReadDisk(a);
  EXPECT_TRUE(disk.modified == modified && rows.at(0).oldCreated == disk.created);
  const bool took = disk.created == created;
  EXPECT_EQ(answers.texts(), (took ? Names{} : Names{L"文件 \"a.txt\" 的创建时间未能设置成功，确定继续吗？",
                                                    L"文件 \"readonly.txt\" 的创建时间未能设置成功，确定继续吗？"}));
  EXPECT_EQ(rows.at(0).newCreated, took ? std::nullopt : std::optional(created));

  // R, H and S set and cleared; what did not take (Wine keeps the archive mark) is asked about, left pending.
  ResetSimulated(rows, FileInfoObject::Time);
  answers = {};
  ASSERT_FALSE(RunOp(rows, Op::Simulate, Attrs(kFileInfoAttributes), answers).stopped);
  ASSERT_TRUE(!RunOp(rows, Op::Execute, {}, answers).stopped && answers.asked.empty());
  EXPECT_TRUE(ReadDisk(a).attributes == kFileInfoAttributes && rows.at(0).oldAttributes == kFileInfoAttributes &&
              !rows.at(0).newAttributes);
  ASSERT_FALSE(RunOp(rows, Op::Simulate, Attrs(0), answers).stopped);
  ASSERT_FALSE(RunOp(rows, Op::Execute, {}, answers).stopped);
  const DWORD now = ReadDisk(a).attributes;
  EXPECT_TRUE((now & ~DWORD{FILE_ATTRIBUTE_ARCHIVE}) == 0 && rows.at(0).oldAttributes == now);
  EXPECT_EQ(answers.texts(), (now ? Names{L"文件 \"a.txt\" 的属性未能设置成功，确定继续吗？",
                                         L"文件 \"readonly.txt\" 的属性未能设置成功，确定继续吗？"}
                                  : Names{}));
  EXPECT_EQ(rows.at(0).newAttributes, now ? std::optional(DWORD{0}) : std::nullopt);

  // A time that reports success but does not take is asked about, not shown as done.
  const LocalTime wanted{2020, 2, 2, 2, 2, 2};
  ResetSimulated(rows, FileInfoObject::Attributes);
  ASSERT_FALSE(RunOp(rows, Op::Simulate, Time(wanted, wanted, false), answers).stopped);
  fs.ignore = true;
  Substitute<FileSystem> swap(&Platform::files, fs);
  answers = {{false}, {}};
  EXPECT_TRUE(RunOp(rows, Op::Execute, {}, answers).stopped);
  EXPECT_EQ(answers.texts(), Names{L"文件 \"a.txt\" 的修改时间未能设置成功，确定继续吗？"});
  // Row 1: the run ended before it.
  EXPECT_TRUE(rows.at(0).oldModified == modified && rows.at(0).newModified == wanted && rows.at(1).newModified == wanted);
}

// To another volume a move is a copy and a deletion, and the system reports it
// done when the original could not be deleted: such a move is not done, the row
// stays with the original, and the copy left in the folder is named.
TEST(FileInfoExecute, AMoveThatLeavesTheOriginalIsNotDone) {
  struct CopyingMove : Win32FileSystem {  // as MoveFileEx across volumes with an undeletable original
    SysResult moveFile(std::wstring_view from, std::wstring_view to) override { return copyFile(from, to, true); }
    SysResult deleteFile(std::wstring_view path) override {
      return EndsWithNoCase(path, L"\\src\\song.txt") ? SysResult(ERROR_ACCESS_DENIED) : Win32FileSystem::deleteFile(path);
    }
  } files;
  TempFolder t(L"infoleft");
  const std::wstring src = t.file(L"src\\song.txt", "content"), target = t.folder(L"target") + L"\\";
  FileInfoRows rows;
  ImportFiles(rows, {src});
  Answers answers;
  ASSERT_FALSE(RunOp(rows, Op::Simulate, Insert(L"new_"), answers).stopped);
  {
    Substitute<FileSystem> swap(&Platform::files, files);
    ASSERT_FALSE(RunOp(rows, Op::Execute, {}, answers, FilePlacement::MoveToFolder, target).stopped);
  }
  EXPECT_TRUE(PathExists(src) && PathExists(target + L"new_song.txt"));
  EXPECT_EQ(rows.at(0).folder, t / L"src\\") << "the row stays with the original";
  EXPECT_EQ(rows.at(0).oldName, L"song.txt");
  ASSERT_EQ(answers.asked.size(), 1u);
  EXPECT_NE(answers.texts()[0].find(target + L"new_song.txt"), std::wstring::npos) << ToUtf8(answers.texts()[0]);
}

}  // namespace
}  // namespace wv::test
