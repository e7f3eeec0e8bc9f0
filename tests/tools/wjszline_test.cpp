#include <gtest/gtest.h>

#include "core/publline.h"
#include "core/text.h"
#include "platform/win32/win32_platform.h"
#include "tools/fileinfo_fixtures.h"

namespace wv::test {
namespace {

// The file's times and attributes as the system reports them, bypassing the engine.
struct OnDisk {
  LocalTime modified, created;
  DWORD attributes = 0;
};
OnDisk ReadDisk(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  EXPECT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) << ToUtf8(path);
  const auto local = [](const FILETIME& utc) {
    FILETIME lft{};
    SYSTEMTIME st{};
    FileTimeToLocalFileTime(&utc, &lft);
    FileTimeToSystemTime(&lft, &st);
    return At(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
  };
  return {local(data.ftLastWriteTime), local(data.ftCreationTime), data.dwFileAttributes & kFileInfoAttributes};
}

void SetDiskTime(const std::wstring& path, const LocalTime& t) {
  SYSTEMTIME st{static_cast<WORD>(t.year), static_cast<WORD>(t.month), 0, static_cast<WORD>(t.day),
                static_cast<WORD>(t.hour), static_cast<WORD>(t.minute), static_cast<WORD>(t.second), 0};
  FILETIME local{}, utc{};
  ASSERT_TRUE(SystemTimeToFileTime(&st, &local) && LocalFileTimeToFileTime(&local, &utc));
  UniqueFile h(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(h.valid());
  ASSERT_TRUE(SetFileTime(h.get(), nullptr, nullptr, &utc));
}

FileInfoSettings Names(NameRule rule) {
  FileInfoSettings s;
  s.rule = rule;
  return s;
}

FileInfoSettings InsertText(std::wstring text) {
  FileInfoSettings s = Names(NameRule::InsertText);
  s.insertText = std::move(text);
  return s;
}

FileInfoSettings Time(const LocalTime& begin, const LocalTime& end, bool random, bool creation = false) {
  FileInfoSettings s;
  s.object = FileInfoObject::Time;
  s.creationTime = creation;
  s.randomTime = random;
  s.beginDate = DateText(begin), s.beginTime = TimeText(begin);
  s.endDate = DateText(end), s.endTime = TimeText(end);
  return s;
}

// Three files a.txt, b.txt and c.txt, listed with the new names na.txt, nb.txt, nc.txt.
struct ThreeRenamed {
  explicit ThreeRenamed(std::wstring_view tag)
      : t(tag), a(t.file(L"a.txt")), b(t.file(L"b.txt")), c(t.file(L"c.txt")) {
    ImportFiles(rows, {a, b, c});
    Answers answers;
    EXPECT_FALSE(RunOp(rows, FileInfoOp::Simulate, InsertText(L"n"), answers).stopped);
  }
  TempFolder t;
  std::wstring a, b, c;
  FileInfoRows rows;
};

// One file a.txt, listed.
struct OneListed {
  explicit OneListed(std::wstring_view tag) : t(tag), a(t.file(L"a.txt")) { ImportFiles(rows, {a}); }
  TempFolder t;
  std::wstring a;
  FileInfoRows rows;
};

// ---------------------------------------------------------------- import

TEST(FileInfoImport, RowsOfExistingFilesNotListedBefore) {
  TempFolder t(L"wjszimp");
  const std::wstring a = t.file(L"a.txt"), b = t.file(L"B.txt"), sub = t.folder(L"sub");
  t.file(L"sub\\inner.txt");
  ASSERT_TRUE(SetFileAttributesW(b.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  SetDiskTime(b, At(2011, 7, 8, 9, 10, 11));

  FileInfoRows rows;
  ImportFiles(rows, {a});
  ASSERT_EQ(rows.size(), 1u);

  FileInfoTask task;
  task.files = {ToUpper(a), b, b, sub, t / L"missing.txt"};
  CountingRun run;
  const FileInfoResult result = RunFileInfoTask(task, run, rows);
  EXPECT_FALSE(result.stopped);
  EXPECT_EQ(result.summary, L"文件信息导入完成");
  EXPECT_EQ(run.statuses.back(), L"文件信息导入完成");
  EXPECT_TRUE(task.files.empty());  // the pending list is consumed
  EXPECT_EQ(run.gaugeMax, 5u);
  EXPECT_EQ(run.gauge, 5u);  // skipped paths advance the gauge too
  // The same path in other letter case is listed already; a path given twice in one
  // import is added twice; a folder and a missing path are not files.
  ASSERT_EQ(rows.size(), 3u);
  const FileInfoRow& row = rows.at(1);
  EXPECT_EQ(row.oldName, L"B.txt");
  EXPECT_EQ(row.newName, L"B.txt");
  EXPECT_EQ(row.folder, t.path() + L"\\");
  EXPECT_EQ(row.path(), b);
  EXPECT_EQ(row.oldModified, At(2011, 7, 8, 9, 10, 11));
  EXPECT_EQ(row.oldCreated, ReadDisk(b).created);
  EXPECT_EQ(row.oldAttributes, ReadDisk(b).attributes);
  EXPECT_TRUE(*row.oldAttributes & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_FALSE(row.newModified || row.newCreated || row.newAttributes);
  EXPECT_EQ(rows.at(2).path(), b);
}

TEST(FileInfoImport, StopKeepsTheRowsAddedSoFar) {
  TempFolder t(L"wjszstop");
  FileInfoRows rows;
  FileInfoTask task;
  task.files = {t.file(L"1.txt"), t.file(L"2.txt"), t.file(L"3.txt")};
  CountingRun run(2);
  const FileInfoResult result = RunFileInfoTask(task, run, rows);
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(result.summary, L"文件信息导入被停止");
  EXPECT_EQ(rows.size(), 2u);
  EXPECT_TRUE(task.files.empty());
}

// ---------------------------------------------------------------- simulate

TEST(FileInfoSimulate, NamesBuildOnEachOtherUntilARunFails) {
  FileInfoRows rows = NameRows({L"a.txt", L"b", L".profile"});
  rows.edit(2).newName = L"c.txt";  // hand-edited earlier
  Answers answers;
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Simulate, InsertText(L"x"), answers).stopped);
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Simulate, InsertText(L"y"), answers).stopped);
  EXPECT_EQ(NewNames(rows), (std::vector<std::wstring>{L"yxa.txt", L"yxb", L"yxc.txt"}));
  EXPECT_TRUE(answers.asked.empty());

  // ".profile" joins to a name that starts with a dot: refused, and every row falls
  // back to its old name, also the results of the runs before.
  rows.edit(2).newName = L".profile";
  FileInfoSettings s = Names(NameRule::Replace);
  s.replaceFrom = L"x", s.replaceTo = L"z";
  const FileInfoResult result = RunOp(rows, FileInfoOp::Simulate, s, answers);
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(result.summary, L"名称信息模拟设置被停止");
  ASSERT_EQ(answers.asked.size(), 1u);
  EXPECT_EQ(answers.asked[0].kind, FileInfoAskKind::InvalidName);
  EXPECT_EQ(answers.asked[0].error, L"文件名不能为空！");
  EXPECT_EQ(NewNames(rows), (std::vector<std::wstring>{L"a.txt", L"b", L".profile"}));
}

TEST(FileInfoSimulate, NameChecksRefuseWhatTheSystemWouldRefuse) {
  const struct {
    const wchar_t* insert;
    const wchar_t* error;
  } cases[] = {
      {L"a:b", L"文件名中不能包含以下特殊字符  \\ / < > * \" : ? | "},
      {L"x|", L"文件名中不能包含以下特殊字符  \\ / < > * \" : ? | "},
  };
  for (const auto& c : cases) {
    FileInfoRows rows = NameRows({L"ok.txt"});
    Answers answers;
    EXPECT_TRUE(RunOp(rows, FileInfoOp::Simulate, InsertText(c.insert), answers).stopped);
    ASSERT_EQ(answers.asked.size(), 1u);
    EXPECT_EQ(FileInfoAskText(answers.asked[0]), c.error);
    EXPECT_EQ(rows.at(0).newName, L"ok.txt");
  }
  // 100 Chinese characters are 200 bytes: allowed; one more letter is too long.
  FileInfoRows rows = NameRows({L"a"});
  Answers answers;
  FileInfoSettings s = Names(NameRule::Overwrite);
  s.overwriteLen = 1, s.overwriteText = std::wstring(100, L'名');
  EXPECT_FALSE(RunOp(rows, FileInfoOp::Simulate, s, answers).stopped);
  EXPECT_TRUE(RunOp(rows, FileInfoOp::Simulate, InsertText(L"z"), answers).stopped);
  EXPECT_EQ(answers.asked.back().error, L"文件名过长！");
  // Trailing dots go: "abc." is stored as "abc".
  rows = NameRows({L"abc"});
  s = Names(NameRule::InsertText);
  s.insertPos = 3, s.insertText = L".";
  EXPECT_FALSE(RunOp(rows, FileInfoOp::Simulate, s, answers).stopped);
  EXPECT_EQ(rows.at(0).newName, L"abc");
}

TEST(FileInfoSimulate, DuplicateNamesInAnyLetterCase) {
  const FileInfoSettings keep = Names(NameRule::None);
  {
    FileInfoRows rows = NameRows({L"Foo.txt", L"bar.txt", L"foo.TXT"});
    rows.edit(1).newName = L"x.txt";  // a later row's old value is not compared
    Answers answers;  // OK: the name stays and the run goes on
    const FileInfoResult result = RunOp(rows, FileInfoOp::Simulate, keep, answers);
    EXPECT_FALSE(result.stopped);
    ASSERT_EQ(answers.asked.size(), 1u);
    EXPECT_EQ(answers.asked[0].kind, FileInfoAskKind::DuplicateName);
    EXPECT_EQ(FileInfoAskText(answers.asked[0]), L"文件 \"foo.TXT\" 存在重名，确定忽略并继续模拟吗？");
    EXPECT_EQ(FileInfoAskHeading(answers.asked[0].kind), L"模拟失败");
    EXPECT_EQ(NewNames(rows), (std::vector<std::wstring>{L"Foo.txt", L"x.txt", L"foo.TXT"}));
  }
  {
    FileInfoRows rows = NameRows({L"a.txt", L"b.txt", L"A.txt", L"c.txt"});
    Answers answers;
    answers.script = {false};  // Cancel: rolled back
    FileInfoSettings upper = Names(NameRule::ChangeCase);
    upper.caseLen = 5;
    EXPECT_TRUE(RunOp(rows, FileInfoOp::Simulate, upper, answers).stopped);
    EXPECT_EQ(NewNames(rows), (std::vector<std::wstring>{L"a.txt", L"b.txt", L"A.txt", L"c.txt"}));
  }
  {
    FileInfoRows rows = NameRows({L"a.txt", L"A.TXT"});
    Answers answers;
    FileInfoSettings unchecked = keep;
    unchecked.duplicateCheck = false;
    EXPECT_FALSE(RunOp(rows, FileInfoOp::Simulate, unchecked, answers).stopped);
    EXPECT_TRUE(answers.asked.empty());
  }
}

TEST(FileInfoSimulate, StopRollsBackEveryObject) {
  FileInfoRows rows = NameRows({L"a.txt", L"b.txt", L"c.txt"});
  Answers answers;
  const LocalTime t = At(2001, 2, 3, 4, 5, 6);
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Simulate, Time(t, t, false, true), answers).stopped);
  FileInfoSettings attrs;
  attrs.object = FileInfoObject::Attributes;
  attrs.attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Simulate, attrs, answers).stopped);
  EXPECT_EQ(rows.at(2).newCreated, t);
  EXPECT_EQ(rows.at(2).newAttributes, DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});

  const auto stoppedAfterOne = [&](const FileInfoSettings& s) {
    FileInfoTask task;
    task.op = FileInfoOp::Simulate;
    task.settings = s;
    CountingRun run(1);
    return RunFileInfoTask(task, run, rows);
  };
  // The time run empties both time columns, the attribute run the attribute column.
  EXPECT_EQ(stoppedAfterOne(Time(t, t, false)).summary, L"时间信息模拟设置被停止");
  for (const FileInfoRow& row : rows.rows()) EXPECT_FALSE(row.newModified || row.newCreated);
  EXPECT_TRUE(rows.at(0).newAttributes);
  EXPECT_EQ(stoppedAfterOne(attrs).summary, L"属性信息模拟设置被停止");
  for (const FileInfoRow& row : rows.rows()) EXPECT_FALSE(row.newAttributes);
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Simulate, InsertText(L"n"), answers).stopped);
  EXPECT_EQ(stoppedAfterOne(InsertText(L"m")).summary, L"名称信息模拟设置被停止");
  EXPECT_EQ(NewNames(rows), (std::vector<std::wstring>{L"a.txt", L"b.txt", L"c.txt"}));
}

TEST(FileInfoSimulate, FixedAndRandomTimes) {
  FileInfoRows rows = NameRows({L"1", L"2", L"3", L"4", L"5", L"6"});
  Answers answers;
  const LocalTime lo = At(2020, 1, 1, 8, 0, 0), hi = At(2020, 12, 31, 8, 0, 0);
  const FileInfoResult fixed = RunOp(rows, FileInfoOp::Simulate, Time(lo, hi, false), answers);
  EXPECT_EQ(fixed.summary, L"时间信息模拟设置完成");
  for (const FileInfoRow& row : rows.rows()) {
    EXPECT_EQ(row.newModified, lo);
    EXPECT_FALSE(row.newCreated);
  }

  // From the program's start state the draws for a span of 366 days are 0, 11, 315:
  // the generator's step is the one the editor has always used.
  const auto draw = [&](const LocalTime& a, const LocalTime& b) {
    TimeRandom().restart();
    EXPECT_FALSE(RunOp(rows, FileInfoOp::Simulate, Time(a, b, true, true), answers).stopped);
    std::vector<LocalTime> out;
    for (const FileInfoRow& row : rows.rows()) out.push_back(*row.newCreated);
    return out;
  };
  const std::vector<LocalTime> forward = draw(lo, hi);
  EXPECT_EQ(forward[0], At(2020, 1, 1, 8, 0, 0));
  EXPECT_EQ(forward[1], At(2020, 1, 12, 8, 0, 0));
  EXPECT_EQ(forward[2], At(2020, 11, 11, 8, 0, 0));
  EXPECT_EQ(draw(hi, lo), forward);  // swapped bounds act as the two in order
  EXPECT_EQ(draw(lo, hi), forward);  // a fresh start draws the same sequence

  // Equal dates: only the time varies, inside its bounds, both ends included.
  const std::vector<LocalTime> clock = draw(At(2015, 6, 1, 23, 59, 50), At(2015, 6, 1, 23, 59, 59));
  bool varied = false;
  for (const LocalTime& t : clock) {
    EXPECT_EQ(DateText(t), L"2015" + std::wstring(1, DateSeparator()) + L"06" + DateSeparator() + L"01");
    EXPECT_TRUE(t.hour == 23 && t.minute == 59 && t.second >= 50 && t.second <= 59);
    varied |= t != clock[0];
  }
  EXPECT_TRUE(varied);
  // Both equal: exactly that time, and nothing drawn.
  TimeRandom().restart();
  const LocalTime same = At(2030, 3, 3, 3, 3, 3);
  EXPECT_FALSE(RunOp(rows, FileInfoOp::Simulate, Time(same, same, true), answers).stopped);
  EXPECT_EQ(rows.at(5).newModified, same);
  EXPECT_EQ(TimeRandom().state(), 0u);
}

// ---------------------------------------------------------------- execute

TEST(FileInfoExecute, RenameInPlaceAndTheQuestionsOnTheWay) {
  TempFolder t(L"wjszren");
  const std::wstring a = t.file(L"a.txt", "A"), b = t.file(L"b.txt", "B"), c = t.file(L"c.txt", "C");
  const std::wstring d = t.file(L"d.txt", "D");
  t.file(L"taken.txt", "T");
  FileInfoRows rows;
  ImportFiles(rows, {a, b, c, d});
  rows.edit(0).newName = L"first.txt";
  rows.edit(1).newName = L"taken.txt";  // a file of that name exists
  rows.edit(3).newName = L"D.TXT";      // only the letter case changes
  ASSERT_TRUE(DeleteFileW(c.c_str()));  // gone before execute
  Answers answers;
  const FileInfoResult result = RunOp(rows, FileInfoOp::Execute, {}, answers);
  EXPECT_FALSE(result.stopped);
  EXPECT_EQ(result.summary, L"文件信息正式设置完成");
  ASSERT_EQ(answers.asked.size(), 2u);
  EXPECT_EQ(FileInfoAskText(answers.asked[0]), L"文件 \"taken.txt\" 存在重名，确定跳过吗？");
  EXPECT_EQ(FileInfoAskText(answers.asked[1]), L"文件 \"c.txt\" 已不存在，确定跳过吗？");
  EXPECT_EQ(FileInfoAskHeading(answers.asked[1].kind), L"设置失败");

  EXPECT_EQ(ReadBytes(t / L"first.txt"), "A");
  EXPECT_FALSE(PathExists(a));
  EXPECT_EQ(rows.at(0).oldName, L"first.txt");
  EXPECT_EQ(ReadBytes(b), "B");  // not forced over the other file
  EXPECT_EQ(ReadBytes(t / L"taken.txt"), "T");
  EXPECT_EQ(rows.at(1).oldName, L"b.txt");
  EXPECT_EQ(rows.at(1).newName, L"taken.txt");
  EXPECT_EQ(rows.at(3).oldName, L"D.TXT");
  WIN32_FIND_DATAW found{};
  UniqueFind find(FindFirstFileW((t / L"d.txt").c_str(), &found));
  ASSERT_TRUE(find.valid());
  EXPECT_STREQ(found.cFileName, L"D.TXT");
}

TEST(FileInfoExecute, CancelEndsTheRunAndKeepsWhatWasDone) {
  ThreeRenamed three(L"wjszcan");
  auto& [t, a, b, c, rows] = three;
  Answers answers;
  {
    UniqueFile busy(CreateFileW(b.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(busy.valid());
    answers.script = {false};
    const FileInfoResult result = RunOp(rows, FileInfoOp::Execute, {}, answers);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.summary, L"文件信息正式设置被停止");
  }
  ASSERT_EQ(answers.asked.size(), 1u);
  EXPECT_EQ(FileInfoAskText(answers.asked[0]), L"文件 \"b.txt\" 正在运行或对其操作权限不够，确定跳过吗？");
  EXPECT_TRUE(PathExists(t / L"na.txt"));
  EXPECT_TRUE(PathExists(b));
  EXPECT_TRUE(PathExists(c));  // after the cancel nothing more
  EXPECT_EQ(rows.at(2).newName, L"nc.txt");

  // A stop press ends it the same way: the rows it did not reach stay as they were.
  FileInfoTask task;
  task.op = FileInfoOp::Execute;
  task.ask = answers.asker();
  CountingRun stopping(1);
  EXPECT_EQ(RunFileInfoTask(task, stopping, rows).summary, L"文件信息正式设置被停止");
  EXPECT_TRUE(PathExists(b));
  EXPECT_TRUE(PathExists(c));
  EXPECT_EQ(answers.asked.size(), 1u);
}

TEST(FileInfoExecute, CopyLeavesTheSourceAndPointsTheRowAtTheCopy) {
  TempFolder t(L"wjszcopy");
  const std::wstring src = t.file(L"src\\song.txt", "content");
  const std::wstring target = t.folder(L"target") + L"\\";
  const LocalTime before = At(2005, 5, 5, 5, 5, 6);
  SetDiskTime(src, before);
  ASSERT_TRUE(SetFileAttributesW(src.c_str(), FILE_ATTRIBUTE_ARCHIVE));
  FileInfoRows rows;
  ImportFiles(rows, {src});
  Answers answers;
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Simulate, InsertText(L"copy_"), answers).stopped);
  const LocalTime wanted = At(2012, 12, 12, 12, 12, 12);
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Simulate, Time(wanted, wanted, false), answers).stopped);
  FileInfoSettings hidden;
  hidden.object = FileInfoObject::Attributes;
  hidden.attributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN;
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Simulate, hidden, answers).stopped);

  ASSERT_FALSE(RunOp(rows, FileInfoOp::Execute, {}, answers, FilePlacement::CopyToFolder, target).stopped);
  EXPECT_TRUE(answers.asked.empty());
  const std::wstring copy = target + L"copy_song.txt";
  EXPECT_EQ(ReadBytes(copy), "content");
  EXPECT_EQ(ReadBytes(src), "content");
  EXPECT_EQ(ReadDisk(src).modified, before);
  EXPECT_EQ(ReadDisk(src).attributes, DWORD{FILE_ATTRIBUTE_ARCHIVE});
  const FileInfoRow& row = rows.at(0);
  EXPECT_EQ(row.path(), copy);
  EXPECT_EQ(row.oldName, L"copy_song.txt");
  EXPECT_EQ(ReadDisk(copy).modified, wanted);
  EXPECT_EQ(row.oldModified, wanted);
  EXPECT_EQ(row.oldCreated, ReadDisk(copy).created);  // the copy's own creation time
  EXPECT_EQ(row.oldAttributes, DWORD{FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN});
  EXPECT_FALSE(row.newModified || row.newAttributes);

  // Again: the copy's name is taken in the target now.
  rows.edit(0).folder = t / L"src\\";
  rows.edit(0).oldName = L"song.txt";
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Execute, {}, answers, FilePlacement::CopyToFolder, target).stopped);
  ASSERT_EQ(answers.asked.size(), 1u);
  EXPECT_EQ(FileInfoAskText(answers.asked[0]), L"文件 \"copy_song.txt\" 已存在或目录访问权限不够，确定跳过吗？");
  EXPECT_EQ(rows.at(0).oldName, L"song.txt");
}

TEST(FileInfoExecute, MoveTakesTheFileToTheFolder) {
  TempFolder t(L"wjszmove");
  const std::wstring src = t.file(L"a.txt", "moved");
  const std::wstring target = t.folder(L"to") + L"\\";
  FileInfoRows rows;
  ImportFiles(rows, {src});
  Answers answers;
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Execute, {}, answers, FilePlacement::MoveToFolder, target).stopped);
  EXPECT_FALSE(PathExists(src));
  EXPECT_EQ(ReadBytes(target + L"a.txt"), "moved");
  EXPECT_EQ(rows.at(0).folder, target);
  EXPECT_TRUE(answers.asked.empty());
}

TEST(FileInfoExecute, ModifiedTimeSetAndReadBack) {
  TempFolder t(L"wjsztime");
  const std::wstring a = t.file(L"a.txt"), b = t.file(L"b.txt");
  ASSERT_TRUE(SetFileAttributesW(b.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  FileInfoRows rows;
  ImportFiles(rows, {a, b});
  Answers answers;
  const LocalTime modified = At(1999, 12, 31, 23, 59, 58);
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Simulate, Time(modified, modified, false), answers).stopped);
  rows.edit(1).newName = L"readonly.txt";  // a read-only file is renamed too
  const OnDisk beforeB = ReadDisk(b);
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Execute, {}, answers).stopped);
  EXPECT_TRUE(answers.asked.empty());
  for (std::size_t r = 0; r < 2; ++r) {
    EXPECT_EQ(ReadDisk(rows.at(r).path()).modified, modified);
    EXPECT_EQ(rows.at(r).oldModified, modified);
    EXPECT_FALSE(rows.at(r).newModified);
  }
  EXPECT_EQ(rows.at(1).path(), t / L"readonly.txt");
  EXPECT_EQ(ReadDisk(t / L"readonly.txt").attributes, beforeB.attributes);  // and keeps its marks
}

// The real file system, recording which times it was asked to set.
class RecordingTimes : public Win32FileSystem {
 public:
  bool setFileTimes(std::wstring_view path, const FILETIME* creation, const FILETIME* lastAccess,
                    const FILETIME* lastWrite) override {
    calls.push_back({creation ? std::optional<FILETIME>(*creation) : std::nullopt, lastAccess != nullptr,
                     lastWrite != nullptr});
    return Win32FileSystem::setFileTimes(path, creation, lastAccess, lastWrite);
  }
  struct Call {
    std::optional<FILETIME> creation;
    bool lastAccess, lastWrite;
  };
  std::vector<Call> calls;
};

TEST(FileInfoExecute, CreationTimeSetAndReadBack) {
  OneListed one(L"wjszcrt");
  auto& [t, a, rows] = one;
  Answers answers;
  const LocalTime created = At(2003, 4, 5, 6, 7, 9);
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Simulate, Time(created, created, false, true), answers).stopped);
  const LocalTime modifiedBefore = ReadDisk(a).modified;
  RecordingTimes fs;
  {
    Substitute<FileSystem> swap(&Platform::files, fs);
    ASSERT_FALSE(RunOp(rows, FileInfoOp::Execute, {}, answers).stopped);
  }
  // Only the creation slot is handed over, as the local time asked for.
  ASSERT_EQ(fs.calls.size(), 1u);
  ASSERT_TRUE(fs.calls[0].creation);
  EXPECT_FALSE(fs.calls[0].lastAccess || fs.calls[0].lastWrite);
  FILETIME local{};
  SYSTEMTIME st{};
  ASSERT_TRUE(FileTimeToLocalFileTime(&*fs.calls[0].creation, &local) && FileTimeToSystemTime(&local, &st));
  EXPECT_EQ(At(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond), created);

  // Read again, the row shows what the file has. Wine keeps no creation time of its
  // own (it reports the modified time), so there the value does not take and the
  // question says so; on Windows it takes and nothing is asked.
  const OnDisk disk = ReadDisk(a);
  EXPECT_EQ(disk.modified, modifiedBefore);
  EXPECT_EQ(rows.at(0).oldCreated, disk.created);
  if (disk.created == created) {
    EXPECT_TRUE(answers.asked.empty());
    EXPECT_FALSE(rows.at(0).newCreated);
  } else {
    ASSERT_EQ(answers.asked.size(), 1u);
    EXPECT_EQ(FileInfoAskText(answers.asked[0]), L"文件 \"a.txt\" 的创建时间未能设置成功，确定继续吗？");
    EXPECT_EQ(rows.at(0).newCreated, created);
  }
}

TEST(FileInfoExecute, AttributesSetAndCleared) {
  OneListed one(L"wjszattr");
  auto& [t, a, rows] = one;
  Answers answers;
  FileInfoSettings s;
  s.object = FileInfoObject::Attributes;
  s.attributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Simulate, s, answers).stopped);
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Execute, {}, answers).stopped);
  EXPECT_TRUE(answers.asked.empty());
  EXPECT_EQ(GetFileAttributesW(a.c_str()) & kFileInfoAttributes, s.attributes);
  EXPECT_EQ(rows.at(0).oldAttributes, s.attributes);
  EXPECT_FALSE(rows.at(0).newAttributes);

  // Clearing R, H and S. Wine keeps the archive mark whatever it is told, so the
  // request "----" does not fully take there: the row then shows what the file
  // really has and the question says so, instead of the value looking applied.
  s.attributes = 0;
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Simulate, s, answers).stopped);
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Execute, {}, answers).stopped);
  const DWORD now = GetFileAttributesW(a.c_str()) & kFileInfoAttributes;
  EXPECT_EQ(now & ~DWORD{FILE_ATTRIBUTE_ARCHIVE}, 0u);
  EXPECT_EQ(rows.at(0).oldAttributes, now);
  if (now == 0) {
    EXPECT_TRUE(answers.asked.empty());
    EXPECT_FALSE(rows.at(0).newAttributes);
  } else {
    ASSERT_EQ(answers.asked.size(), 1u);
    EXPECT_EQ(FileInfoAskText(answers.asked[0]), L"文件 \"a.txt\" 的属性未能设置成功，确定继续吗？");
    EXPECT_EQ(rows.at(0).newAttributes, DWORD{0});  // still pending, visibly
  }
}

// A file system part whose time setting reports success and does nothing, as on a
// volume that keeps no such time.
class TimesIgnored : public Win32FileSystem {
 public:
  bool setFileTimes(std::wstring_view, const FILETIME*, const FILETIME*, const FILETIME*) override { return true; }
};

TEST(FileInfoExecute, ATimeThatDidNotTakeIsReportedNotShownAsDone) {
  TempFolder t(L"wjszfail");
  const std::wstring a = t.file(L"a.txt"), b = t.file(L"b.txt");
  const LocalTime before = At(2010, 1, 1, 0, 0, 0);
  SetDiskTime(a, before);
  SetDiskTime(b, before);
  FileInfoRows rows;
  ImportFiles(rows, {a, b});
  Answers answers;
  const LocalTime wanted = At(2020, 2, 2, 2, 2, 2);
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Simulate, Time(wanted, wanted, false), answers).stopped);
  TimesIgnored fs;
  Substitute<FileSystem> swap(&Platform::files, fs);
  answers.script = {false};
  EXPECT_TRUE(RunOp(rows, FileInfoOp::Execute, {}, answers).stopped);
  ASSERT_EQ(answers.asked.size(), 1u);
  EXPECT_EQ(answers.asked[0].kind, FileInfoAskKind::NotApplied);
  EXPECT_EQ(FileInfoAskText(answers.asked[0]), L"文件 \"a.txt\" 的修改时间未能设置成功，确定继续吗？");
  EXPECT_EQ(rows.at(0).oldModified, before);
  EXPECT_EQ(rows.at(0).newModified, wanted);
  EXPECT_EQ(rows.at(1).newModified, wanted);  // the run ended before it
}

// ---------------------------------------------------------------- refresh

TEST(FileInfoRefresh, RereadsEveryRowAndDropsTheDeleted) {
  ThreeRenamed three(L"wjszref");
  auto& [t, a, b, c, rows] = three;
  Answers answers;
  FileInfoSettings attrs;
  attrs.object = FileInfoObject::Attributes;
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Simulate, attrs, answers).stopped);
  ASSERT_TRUE(DeleteFileW(b.c_str()));
  const LocalTime changed = At(2008, 8, 8, 8, 8, 8);
  SetDiskTime(c, changed);

  FileInfoTask task;
  task.op = FileInfoOp::Refresh;
  CountingRun run(0);  // a stop request does not end a refresh
  const FileInfoResult result = RunFileInfoTask(task, run, rows);
  EXPECT_FALSE(result.stopped);
  EXPECT_EQ(result.summary, L"文件信息刷新完成");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows.at(0).path(), a);
  EXPECT_EQ(rows.at(1).path(), c);
  for (const FileInfoRow& row : rows.rows()) {
    EXPECT_EQ(row.newName, row.oldName);
    EXPECT_FALSE(row.newAttributes || row.newModified || row.newCreated);
  }
  EXPECT_EQ(rows.at(1).oldModified, changed);
}

}  // namespace
}  // namespace wv::test
