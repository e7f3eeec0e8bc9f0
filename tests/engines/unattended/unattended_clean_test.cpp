// Cleaning without the window over planted trees: what a preview lists, what a
// clean removes, and why what stays is kept.
#include <gtest/gtest.h>

#include <algorithm>

#include "engines/cleaning/cleaning_fixtures.h"
#include "engines/unattended/unattended_clean.h"

namespace wv::test {
namespace {

const std::vector<std::wstring> kCaptions = {L"Windows临时文件夹", L"文档访问历史记录", L"系统操作日志", L"软件使用日志",
                                             L"用户自定"};

// Only the user's folders: the other items would clean the prefix's own folders.
UnattendedRequest UserFolders(std::vector<UserCleanFolder> folders, RemovalMode mode = RemovalMode::DeleteDirectly) {
  UnattendedRequest r;
  DailyScanInput input;
  input.items = {false, false, false, false, true};
  input.userFolders = std::move(folders);
  r.daily = std::move(input);
  r.dailyPart.page = L"文件日常清理";
  r.dailyPart.itemCaptions = kCaptions;
  r.dailyPart.removal.mode = mode;
  return r;
}

UserCleanFolder AllOf(const std::wstring& folder) { return {true, folder, true, false, L""}; }
UserCleanFolder TypesOf(const std::wstring& folder, const std::wstring& types) { return {true, folder, true, true, types}; }

std::vector<std::wstring> PathsWith(const UnattendedOutcome& o, ReportAction action) {
  std::vector<std::wstring> out;
  for (const ReportRow& r : o.rows)
    if (r.action == action) out.push_back(r.path);
  return Sorted(out);
}

std::size_t CountFiles(const std::wstring& folder) {
  std::size_t n = 0;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do n += !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  while (FindNextFileW(h, &data));
  FindClose(h);
  return n;
}

const ReportRow* RowOf(const UnattendedOutcome& o, const std::wstring& path) {
  for (const ReportRow& r : o.rows)
    if (EqualsNoCase(r.path, path)) return &r;
  return nullptr;
}

// A preview removes nothing; the clean that follows removes exactly what the
// preview listed, folders left empty included, and leaves the rest; each row
// names the rule that chose it.
TEST(UnattendedClean, CleanRemovesExactlyWhatThePreviewListed) {
  Planted t(L"uc");
  const std::wstring logs = t.folder(L"logs"), all = t.folder(L"all");
  const std::vector<std::wstring> planted = {t.file(L"logs\\a.log"), t.file(L"logs\\sub\\b.log"), t.file(L"logs\\keep.txt"),
                                             t.file(L"all\\x.dat"), t.file(L"all\\deep\\y.dat")};
  UnattendedRequest request = UserFolders({TypesOf(logs, L"*.log"), AllOf(all)});
  request.preview = true;
  FakeRun run;
  const UnattendedOutcome preview = RunUnattendedClean(request, run);
  for (const std::wstring& p : planted) EXPECT_TRUE(PathExists(p)) << ToUtf8(p);
  const std::vector<std::wstring> listed = PathsWith(preview, ReportAction::WouldRemove);
  EXPECT_EQ(listed, Sorted({planted[0], planted[1], planted[3], planted[4], t / L"all\\deep"}));
  EXPECT_EQ(preview.listed, listed.size());
  EXPECT_EQ(preview.removed + preview.kept, 0u);
  EXPECT_EQ(RowOf(preview, planted[0])->rule, L"用户自定：" + logs + L" *.log");
  EXPECT_EQ(RowOf(preview, planted[3])->rule, L"用户自定：" + all);
  EXPECT_EQ(RowOf(preview, t / L"all\\deep")->rule, L"用户自定：" + all + L"（废目录）");

  request.preview = false;
  const UnattendedOutcome clean = RunUnattendedClean(request, run);
  EXPECT_EQ(PathsWith(clean, ReportAction::Removed), listed);
  EXPECT_EQ(clean.kept, 0u);
  EXPECT_EQ(clean.removedBytes, 16u);
  for (const std::wstring& p : listed) EXPECT_FALSE(PathExists(p)) << ToUtf8(p);
  EXPECT_TRUE(PathExists(planted[2]));
}

// What changed between the listing and the removal stays, and so does what
// another program takes while the shell works; the report says why of each, in
// the words the page's list uses, and the folder above a kept file stays too.
TEST(UnattendedClean, AChangedOrHeldFileIsKeptWithItsReason) {
  Planted t(L"uckeep");
  const std::wstring root = t.folder(L"r");
  const std::wstring held = t.file(L"r\\held\\h.tmp"), changed = t.file(L"r\\c.tmp"), plain = t.file(L"r\\p.tmp");
  UnattendedRequest request = UserFolders({AllOf(root)}, RemovalMode::RecycleBin);
  request.onListed = [&](std::size_t rows, std::uint64_t bytes) {
    EXPECT_EQ(rows, 4u);  // three files and the folder "held"
    EXPECT_EQ(bytes, 12u);
    WriteBytes(changed, "grown since it was listed");
  };
  TestShell shell;
  UniqueFile hold;
  shell.duringFileOperation = [&] { hold = Hold(held); };
  FakeRun run;
  const UnattendedOutcome o = RunUnattendedClean(request, run);
  EXPECT_EQ(PathsWith(o, ReportAction::Removed), (std::vector<std::wstring>{plain}));
  EXPECT_EQ(o.kept, 3u);
  EXPECT_EQ(RowOf(o, changed)->reason, KeptReasonText(KeptReason::Changed));
  EXPECT_EQ(RowOf(o, held)->reason, KeptReasonText(KeptReason::InUse));
  EXPECT_EQ(RowOf(o, t / L"r\\held")->reason, KeptReasonText(KeptReason::NotEmpty));
  EXPECT_EQ(RowOf(o, changed)->size, std::optional<std::uint64_t>(4));
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(std::count(shell.calls[0].sources.begin(), shell.calls[0].sources.end(), changed), 0);
  // Nobody is there to answer: no question, no progress, no error box.
  for (unsigned flag : {FOF_NOCONFIRMATION, FOF_SILENT, FOF_NOERRORUI, FOF_NOCONFIRMMKDIR})
    EXPECT_TRUE(shell.calls[0].flags & flag) << flag;
  EXPECT_TRUE(PathExists(changed) && PathExists(held));
}

// A move never replaces: a listed file whose name the target folder already
// holds, or that another listed file has, moves to a free name ("name (2).ext");
// what the target held stays whole.
TEST(UnattendedClean, AMoveNeverReplacesAFileOfTheSameName) {
  Planted t(L"ucmove");
  const std::wstring root = t.folder(L"src"), target = t.folder(L"target");
  const std::wstring clash = t.file(L"src\\errorlog.txt", 7), there = t.file(L"target\\errorlog.txt", 3),
                     first = t.file(L"src\\a\\same.txt", 5), second = t.file(L"src\\b\\same.txt", 6),
                     free = t.file(L"src\\free.txt", 2);
  UnattendedRequest request = UserFolders({TypesOf(root, L"*.txt")}, RemovalMode::MoveToFolder);
  request.dailyPart.removal.moveFolder = target;
  FakeRun run;
  const UnattendedOutcome o = RunUnattendedClean(request, run);
  EXPECT_EQ(PathsWith(o, ReportAction::Removed), Sorted({clash, first, second, free}));
  EXPECT_EQ(o.kept, 0u);
  EXPECT_EQ(ReadBytes(there), "jjj");
  EXPECT_EQ(ReadBytes(target + L"\\errorlog (2).txt"), "jjjjjjj");
  EXPECT_EQ(ReadBytes(target + L"\\free.txt"), "jj");
  std::vector<std::string> same = {ReadBytes(target + L"\\same.txt"), ReadBytes(target + L"\\same (2).txt")};
  std::sort(same.begin(), same.end());
  EXPECT_EQ(same, (std::vector<std::string>{"jjjjj", "jjjjjj"}));
  EXPECT_EQ(CountFiles(target), 5u);
  for (const std::wstring& p : {clash, first, second, free}) EXPECT_FALSE(PathExists(p)) << ToUtf8(p);
}

// A file both scans list is listed once, by the daily scan; the junk scan's
// rows name their mask; a stopped run removes nothing and says so.
TEST(UnattendedClean, BothScansListAFileOnceAndAStopRemovesNothing) {
  Planted t(L"ucboth");
  const std::wstring user = t.folder(L"user");
  const std::wstring both = t.file(L"user\\both.tmp"), junkOnly = t.file(L"junk.bak"), other = t.file(L"user\\o.dat");
  UnattendedRequest request = UserFolders({TypesOf(user, L"*.tmp")});
  JunkScanInput junk;
  junk.mode = JunkScanMode::ChosenFolder;
  junk.folder = t.root();
  junk.masks = {L"*.tmp", L"*.bak"};
  request.junk = junk;
  request.junkPart.page = L"磁盘文件清理";
  request.junkPart.removal.mode = RemovalMode::DeleteDirectly;
  request.preview = true;
  FakeRun run;
  const UnattendedOutcome preview = RunUnattendedClean(request, run);
  ASSERT_EQ(preview.rows.size(), 2u);
  EXPECT_EQ(preview.rows[0].page, L"文件日常清理");
  EXPECT_EQ(preview.rows[0].path, both);
  EXPECT_EQ(preview.rows[1].page, L"磁盘文件清理");
  EXPECT_EQ(preview.rows[1].rule, L"*.bak");
  EXPECT_EQ(preview.rows[1].path, junkOnly);

  request.preview = false;
  int asked = 0;
  run.stopWhen = [&] { return ++asked > 2; };
  const UnattendedOutcome stopped = RunUnattendedClean(request, run);
  EXPECT_TRUE(stopped.stopped);
  EXPECT_EQ(stopped.removed, 0u);
  for (const ReportRow& r : stopped.rows) EXPECT_EQ(r.action, ReportAction::Kept);
  for (const std::wstring& p : {both, junkOnly, other}) EXPECT_TRUE(PathExists(p));
}

}  // namespace
}  // namespace wv::test
