// The four operations of the file-information editor and its per-row questions.
#include <algorithm>
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>

#include "core/utilities.h"
#include "engines/tools/file_info_internal.h"

namespace wv {
namespace {

std::wstring Quoted(std::wstring_view name) { return L"文件 \"" + std::wstring(name) + L"\""; }

// A question about a failed rename, move or copy: a name that is taken is what the
// text says already; any other refusal adds the system's own words on a line of its own.
std::wstring WithReason(std::wstring text, DWORD systemError) {
  if (systemError == ERROR_SUCCESS || systemError == ERROR_ALREADY_EXISTS || systemError == ERROR_FILE_EXISTS)
    return text;
  return text + L"\n" + SystemErrorText(systemError);
}

// The old columns as the file has them now.
void ReadBack(FileInfoRow& row, const FindEntry& entry) {
  row.oldModified = LocalTimeOf(entry.lastWriteTime);
  row.oldCreated = LocalTimeOf(entry.creationTime);
  row.oldAttributes = entry.attributes & kFileInfoAttributes;
}

// A question without an asker is answered OK.
bool Ask(const FileInfoAsker& ask, const FileInfoAsk& question) { return !ask || ask(question); }

FileInfoRow RowOf(std::wstring_view path, const FindEntry& entry, const RowImageLookup& imageOf) {
  FileInfoRow row;
  row.image = imageOf ? imageOf(path) : -1;
  row.oldName = ExtractFileName(path);
  row.newName = row.oldName;
  row.folder = ExtractFilePath(path);
  ReadBack(row, entry);
  return row;
}

void ClearNew(FileInfoRow& row) {
  row.newModified.reset();
  row.newCreated.reset();
  row.newAttributes.reset();
}

std::int64_t SecondsOf(const LocalTime& t) {
  return DayNumber(t) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

// A file system that keeps times in steps of two seconds (FAT) rounds what it is given.
bool SameTime(const std::optional<LocalTime>& is, const LocalTime& wanted) {
  return is && std::llabs(SecondsOf(*is) - SecondsOf(wanted)) < 2;
}

FileInfoResult Finish(RunContext& run, bool stopped, std::wstring summary) {
  run.status(summary);
  return {stopped, std::move(summary)};
}

FileInfoResult Import(FileInfoTask& task, RunContext& run, FileInfoRows& rows) {
  run.status(L"文件信息导入中...");
  run.progressStart(static_cast<std::uint32_t>(task.files.size()));
  // Only the rows listed before this import count: a path given twice is added twice.
  std::unordered_set<std::wstring> listed;
  for (const FileInfoRow& row : rows.rows()) listed.insert(ToUpper(row.path()));
  bool stopped = false;
  for (const std::wstring& path : task.files) {
    if (!run.proceed()) {
      stopped = true;
      break;
    }
    if (!listed.contains(ToUpper(path))) {
      if (const std::optional<FindEntry> entry = ReadFileEntry(path)) {
        rows.append(RowOf(path, *entry, task.imageOf));
        run.rowAdded();
      }
    }
    run.progressStep();
  }
  task.files.clear();
  task.files.shrink_to_fit();
  return Finish(run, stopped, stopped ? L"文件信息导入被停止" : L"文件信息导入完成");
}

struct TimeRule {
  LocalTime beginDate, endDate, beginTime, endTime;
  bool random = false;
};

std::optional<TimeRule> ReadTimeRule(const FileInfoSettings& s) {
  const std::optional<LocalTime> d = ParseDateText(s.beginDate), t = ParseTimeText(s.beginTime);
  if (!d || !t) return std::nullopt;
  TimeRule rule{*d, *d, *t, *t, s.randomTime};
  if (!s.randomTime) return rule;
  const std::optional<LocalTime> d2 = ParseDateText(s.endDate), t2 = ParseTimeText(s.endTime);
  if (!d2 || !t2) return std::nullopt;
  rule.endDate = *d2;
  rule.endTime = *t2;
  return rule;
}

LocalTime DrawTime(const TimeRule& rule) {
  LocalTime out = rule.beginDate;
  if (rule.random) {
    const std::int64_t a = DayNumber(rule.beginDate), b = DayNumber(rule.endDate);
    if (a != b) {
      const std::int64_t lo = std::min(a, b);
      out = DateOfDayNumber(lo + TimeRandom().next(static_cast<std::uint32_t>(std::max(a, b) - lo + 1)));
    }
  }
  int seconds = rule.beginTime.hour * 3600 + rule.beginTime.minute * 60 + rule.beginTime.second;
  if (rule.random) {
    const int other = rule.endTime.hour * 3600 + rule.endTime.minute * 60 + rule.endTime.second;
    if (other != seconds) {
      const int lo = std::min(seconds, other);
      seconds = lo + static_cast<int>(TimeRandom().next(static_cast<std::uint32_t>(std::max(seconds, other) - lo + 1)));
    }
  }
  out.hour = seconds / 3600;
  out.minute = seconds / 60 % 60;
  out.second = seconds % 60;
  return out;
}

FileInfoResult Simulate(FileInfoTask& task, RunContext& run, FileInfoRows& rows) {
  const FileInfoSettings& s = task.settings;
  const std::wstring caption(ObjectCaption(s.object));
  run.status(caption + L"信息模拟设置中...");
  run.progressStart(static_cast<std::uint32_t>(rows.size()));
  const std::optional<TimeRule> timeRule = s.object == FileInfoObject::Time ? ReadTimeRule(s) : std::nullopt;
  bool stopped = s.object == FileInfoObject::Time && !timeRule;
  std::unordered_set<std::wstring> earlier;  // new names of the rows before, folded
  for (std::size_t r = 0; r < rows.size() && !stopped; ++r) {
    if (!run.proceed()) {
      stopped = true;
      break;
    }
    FileInfoRow& row = rows.edit(r);
    switch (s.object) {
      case FileInfoObject::Names: {
        std::wstring name = ApplyNameRule(s, row.newName, r);
        const std::wstring error = CheckFileName(name);
        if (!error.empty()) {
          (void)Ask(task.ask, {FileInfoAskKind::InvalidName, name, error});
          stopped = true;
          break;
        }
        if (s.duplicateCheck && !earlier.insert(ToUpper(name)).second &&
            !Ask(task.ask, {FileInfoAskKind::DuplicateName, name, {}})) {
          stopped = true;
          break;
        }
        row.newName = std::move(name);
        break;
      }
      case FileInfoObject::Time:
        (s.creationTime ? row.newCreated : row.newModified) = DrawTime(*timeRule);
        break;
      case FileInfoObject::Attributes:
        row.newAttributes = s.attributes & kFileInfoAttributes;
        break;
    }
    if (stopped) break;
    rows.updated(r);
    run.progressStep();
  }
  if (!stopped) return Finish(run, false, caption + L"信息模拟设置完成");
  // A simulation that did not finish leaves nothing behind, also not of the ones before it.
  ResetSimulated(rows, s.object);
  return Finish(run, true, caption + L"信息模拟设置被停止");
}

enum class FileState { Free, Gone, InUse };

// Whether the file is there and nobody else holds it. One exclusive open answers
// both for nearly every file; only when it fails (missing, a folder, read-only or
// really in use) is the file looked at closer.
FileState StateOf(const std::wstring& path) {
  if (Fs().openFile(path, FileAccess::ReadWrite, FileShare::None, FileDisposition::OpenExisting)) return FileState::Free;
  if (!FileExists(path)) return FileState::Gone;
  return IsFileInUse(path) ? FileState::InUse : FileState::Free;
}

// A rename in the file's folder. A change of letter case alone goes through a
// passing name: some file systems report the rename onto the "same" name as done
// and keep the old spelling.
// A free name in the folder for a file on its way to another name; empty when none is.
std::wstring PassingName(const std::wstring& folder) {
  for (int i = 0; i < 100; ++i) {
    std::wstring passing = folder + L"~vt" + ToDecimal(i) + L".tmp";
    if (Fs().attributes(passing) == INVALID_FILE_ATTRIBUTES) return passing;
  }
  return {};
}

SysResult Rename(const FileInfoRow& row) {
  const std::wstring from = row.path(), to = row.folder + row.newName;
  if (!EqualsNoCase(row.oldName, row.newName)) return Fs().moveFile(from, to);
  const std::wstring passing = PassingName(row.folder);
  if (passing.empty()) return SysResult(ERROR_FILE_EXISTS);
  if (const SysResult away = Fs().moveFile(from, passing); !away) return away;
  const SysResult renamed = Fs().moveFile(passing, to);
  if (!renamed) (void)Fs().moveFile(passing, from);
  return renamed;
}

// Where execute puts the row's file.
std::wstring TargetOf(const FileInfoRow& row, const FileInfoTask& task) {
  return (task.placement == FilePlacement::KeepFolder ? row.folder : task.targetDir) + row.newName;
}

// Files that rows not yet handled will take away from where they are, by the
// folded path they have now. A row whose new place is one of them cannot go there
// yet: two rows that swap their names, or a chain or cycle of names, would stop
// at the first rename. Such a row waits under a passing name until the end.
std::unordered_map<std::wstring, std::size_t> LeavingFiles(const FileInfoRows& rows, const FileInfoTask& task) {
  std::unordered_map<std::wstring, std::size_t> leaving;
  if (task.placement == FilePlacement::CopyToFolder) return leaving;  // a copy leaves its source in place
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const FileInfoRow& row = rows.at(r);
    if (!EqualsNoCase(TargetOf(row, task), row.path())) leaving.emplace(ToUpper(row.path()), r);
  }
  return leaving;
}

struct Parked {
  std::size_t row;
  std::wstring passing;  // where the file waits
};

// Renames, moves or copies the row's file to its new name.
SysResult Place(FileInfoRow& row, const FileInfoTask& task) {
  const std::wstring from = row.path();
  SysResult placed;
  switch (task.placement) {
    case FilePlacement::KeepFolder:
      if (row.newName != row.oldName) placed = Rename(row);
      break;
    case FilePlacement::MoveToFolder:
      placed = Fs().moveFile(from, task.targetDir + row.newName);
      break;
    case FilePlacement::CopyToFolder:
      placed = Fs().copyFile(from, task.targetDir + row.newName, true);
      break;
  }
  if (!placed) return placed;
  if (task.placement != FilePlacement::KeepFolder) row.folder = task.targetDir;
  row.oldName = row.newName;
  return placed;
}

// Sets the new times and attributes, reads the file again and clears each new
// value that took; answers which did not.
unsigned Apply(FileInfoRow& row) {
  const std::wstring path = row.path();
  if (row.newModified) (void)WriteFileTime(path, 0, *row.newModified);
  if (row.newCreated) (void)WriteFileTime(path, 1, *row.newCreated);
  if (row.newAttributes) (void)WriteFileAttr(path, *row.newAttributes);
  const std::optional<FindEntry> entry = ReadFileEntry(path);
  if (entry) ReadBack(row, *entry);
  unsigned notSet = 0;
  if (row.newModified) {
    if (entry && SameTime(row.oldModified, *row.newModified)) row.newModified.reset();
    else notSet |= kModifiedNotSet;
  }
  if (row.newCreated) {
    if (entry && SameTime(row.oldCreated, *row.newCreated)) row.newCreated.reset();
    else notSet |= kCreatedNotSet;
  }
  if (row.newAttributes) {
    if (entry && row.oldAttributes == *row.newAttributes) row.newAttributes.reset();
    else notSet |= kAttributesNotSet;
  }
  return notSet;
}

FileInfoResult Execute(FileInfoTask& task, RunContext& run, FileInfoRows& rows) {
  run.status(L"文件信息正式设置中...");
  run.progressStart(static_cast<std::uint32_t>(rows.size()));
  bool stopped = false;
  const auto skip = [&](FileInfoAskKind kind, const std::wstring& name, unsigned notSet = 0, DWORD why = 0) {
    if (!Ask(task.ask, {kind, name, {}, notSet, why})) stopped = true;
  };
  const FileInfoAskKind refused =
      task.placement == FilePlacement::KeepFolder ? FileInfoAskKind::RenameClash : FileInfoAskKind::PlaceFailed;
  // The file is in its new place: the new times and attributes, then the row shows the file.
  const auto placedRow = [&](std::size_t r) {
    FileInfoRow& row = rows.edit(r);
    const bool changesFile = row.newModified || row.newCreated || row.newAttributes ||
                             task.placement == FilePlacement::CopyToFolder;
    // A copy is a new file with times of its own: the row shows what it has.
    const unsigned notSet = changesFile ? Apply(row) : 0;
    rows.updated(r);
    if (notSet && !stopped) skip(FileInfoAskKind::NotApplied, row.oldName, notSet);
  };
  std::unordered_map<std::wstring, std::size_t> leaving = LeavingFiles(rows, task);
  std::vector<Parked> parked;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (!run.proceed()) {
      stopped = true;
      break;
    }
    FileInfoRow& row = rows.edit(r);
    const std::wstring path = row.path();
    leaving.erase(ToUpper(path));  // from here on the file is where this row leaves it
    const FileState state = StateOf(path);
    std::wstring passing;
    if (state == FileState::Gone) {
      skip(FileInfoAskKind::FileGone, row.oldName);
    } else if (state == FileState::InUse) {
      skip(FileInfoAskKind::FileInUse, row.oldName);
    } else if (leaving.contains(ToUpper(TargetOf(row, task))) && !(passing = PassingName(row.folder)).empty() &&
               Fs().moveFile(path, passing)) {
      parked.push_back({r, std::move(passing)});
    } else if (const SysResult placed = Place(row, task); !placed) {
      if (!FileExists(path)) skip(FileInfoAskKind::FileGone, row.oldName);  // went meanwhile: nothing was refused
      else skip(refused, row.newName, 0, placed.error());
    } else {
      placedRow(r);
    }
    run.progressStep();
    if (stopped) break;
  }
  // The waiting files go to their new places now that the rows before them left
  // them free; one whose place is still taken (its row was skipped) gets its old
  // name back. This happens also after a stop: no file stays under a passing name.
  for (const Parked& p : parked) {
    FileInfoRow& row = rows.edit(p.row);
    const std::wstring target = TargetOf(row, task);
    if (const SysResult placed = Fs().moveFile(p.passing, target); placed) {
      if (task.placement != FilePlacement::KeepFolder) row.folder = task.targetDir;
      row.oldName = row.newName;
      placedRow(p.row);
    } else {
      (void)Fs().moveFile(p.passing, row.path());
      if (!stopped) skip(refused, row.newName, 0, placed.error());
    }
  }
  return Finish(run, stopped, stopped ? L"文件信息正式设置被停止" : L"文件信息正式设置完成");
}

FileInfoResult Refresh(RunContext& run, FileInfoRows& rows) {
  run.status(L"文件信息刷新中...");
  run.progressStart(static_cast<std::uint32_t>(rows.size()));
  std::vector<bool> present(rows.size());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    (void)run.proceed();  // lets the window paint; a refresh cannot be stopped
    FileInfoRow& row = rows.edit(r);
    if (const std::optional<FindEntry> entry = ReadFileEntry(row.path())) {
      present[r] = true;
      row.newName = row.oldName;
      ClearNew(row);
      ReadBack(row, *entry);
    }
    run.progressStep();
  }
  // Every row may have changed: one notice, whether or not rows went.
  if (rows.keepIf([&](std::size_t r) { return present[r]; }) == 0) rows.changedAll();
  return Finish(run, false, L"文件信息刷新完成");
}

}  // namespace

void ResetSimulated(FileInfoRows& rows, FileInfoObject object) {
  for (std::size_t r = 0; r < rows.size(); ++r) {
    FileInfoRow& row = rows.edit(r);
    switch (object) {
      case FileInfoObject::Names: row.newName = row.oldName; break;
      case FileInfoObject::Time: row.newModified.reset(); row.newCreated.reset(); break;
      case FileInfoObject::Attributes: row.newAttributes.reset(); break;
    }
  }
  rows.changedAll();
}

bool ApplyEditedName(FileInfoRows& rows, std::size_t index, std::wstring typed, bool duplicateCheck,
                     const FileInfoAsker& ask) {
  FileInfoRow& row = rows.edit(index);
  const std::wstring error = CheckFileName(typed);
  bool taken = error.empty();
  if (!taken) {
    (void)Ask(ask, {FileInfoAskKind::EditInvalid, typed, error});
  } else if (duplicateCheck) {
    const std::wstring folded = ToUpper(typed);
    for (std::size_t r = 0; r < rows.size() && taken; ++r)
      if (r != index && ToUpper(rows.at(r).newName) == folded) taken = Ask(ask, {FileInfoAskKind::EditDuplicate, typed, {}});
  }
  row.newName = taken ? std::move(typed) : row.oldName;
  rows.updated(index);
  return taken;
}

std::wstring FileInfoColumnText(const FileInfoRow& row, int column) {
  const auto time = [](const std::optional<LocalTime>& t) { return t ? FileTimeText(*t) : std::wstring(); };
  const auto attrs = [](const std::optional<DWORD>& a) { return a ? AttrText(*a) : std::wstring(); };
  switch (column) {
    case 0: return row.newName;
    case 1: return row.oldName;
    case 2: return time(row.newModified);
    case 3: return time(row.oldModified);
    case 4: return time(row.newCreated);
    case 5: return time(row.oldCreated);
    case 6: return attrs(row.newAttributes);
    case 7: return attrs(row.oldAttributes);
    case 8: return row.folder;
    default: return {};
  }
}

void SortFileInfoRows(FileInfoRows& rows, int column) {
  SortRowsByText(rows, [column](const FileInfoRow& row) { return FileInfoColumnText(row, column); });
}

std::wstring_view ObjectCaption(FileInfoObject object) {
  switch (object) {
    case FileInfoObject::Names: return L"名称";
    case FileInfoObject::Time: return L"时间";
    case FileInfoObject::Attributes: return L"属性";
  }
  return L"名称";
}

std::wstring FileInfoAskHeading(FileInfoAskKind kind) {
  switch (kind) {
    case FileInfoAskKind::InvalidName:
    case FileInfoAskKind::DuplicateName:
    case FileInfoAskKind::EditInvalid:
    case FileInfoAskKind::EditDuplicate:
      return L"模拟失败";
    default:
      return L"设置失败";
  }
}

std::wstring FileInfoAskText(const FileInfoAsk& ask) {
  switch (ask.kind) {
    case FileInfoAskKind::InvalidName:
    case FileInfoAskKind::EditInvalid: return ask.error;
    case FileInfoAskKind::EditDuplicate: return Quoted(ask.name) + L" 存在重名，确定忽略吗？";
    case FileInfoAskKind::DuplicateName: return Quoted(ask.name) + L" 存在重名，确定忽略并继续模拟吗？";
    case FileInfoAskKind::FileGone: return Quoted(ask.name) + L" 已不存在，确定跳过吗？";
    case FileInfoAskKind::FileInUse: return Quoted(ask.name) + L" 正在运行或对其操作权限不够，确定跳过吗？";
    case FileInfoAskKind::RenameClash: return WithReason(Quoted(ask.name) + L" 存在重名，确定跳过吗？", ask.systemError);
    case FileInfoAskKind::PlaceFailed:
      return WithReason(Quoted(ask.name) + L" 已存在或目录访问权限不够，确定跳过吗？", ask.systemError);
    case FileInfoAskKind::NotApplied: {
      std::wstring what;
      const auto add = [&what](std::wstring_view part) {
        if (!what.empty()) what += L'、';
        what += part;
      };
      if (ask.notSet & kModifiedNotSet) add(L"修改时间");
      if (ask.notSet & kCreatedNotSet) add(L"创建时间");
      if (ask.notSet & kAttributesNotSet) add(L"属性");
      return Quoted(ask.name) + L" 的" + what + L"未能设置成功，确定继续吗？";
    }
  }
  return {};
}

FileInfoResult RunFileInfoTask(FileInfoTask& task, RunContext& run, FileInfoRows& rows) {
  run.status(L"");
  switch (task.op) {
    case FileInfoOp::Import: return Import(task, run, rows);
    case FileInfoOp::Simulate: return Simulate(task, run, rows);
    case FileInfoOp::Execute: return Execute(task, run, rows);
    case FileInfoOp::Refresh: return Refresh(run, rows);
  }
  return {};
}

}  // namespace wv
