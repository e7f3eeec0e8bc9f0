// The music page's operations, the names built from tags, and the list's rules.
#include "engines/tools/music.h"

#include <algorithm>
#include <unordered_set>

#include "core/utilities.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace wv {
namespace {

// No built name is longer (the file-information editor's limit for a name).
constexpr std::size_t kMostNameLength = 200;
constexpr std::wstring_view kForbidden = L"\\/:*?\"<>|";

bool Ask(const FileInfoAsker& ask, const FileInfoAsk& question) { return !ask || ask(question); }

MusicResult Finish(RunContext& run, bool stopped, std::wstring summary) {
  run.status(summary);
  return {stopped, std::move(summary)};
}

bool IsMusicFile(std::wstring_view path) {
  const std::wstring_view ext = ExtractFileExt(path);
  return EqualsNoCase(ext, L".MP3") || EqualsNoCase(ext, L".WMA");
}

MusicResult Import(MusicTask& task, RunContext& run, MusicRows& rows) {
  run.status(L"音乐信息导入中...");
  run.progressStart(static_cast<std::uint32_t>(task.files.size()));
  // Only the rows listed before this import count: a path given twice is added twice.
  std::unordered_set<std::wstring> listed;
  for (const MusicRow& row : rows.rows()) listed.insert(ToUpper(row.path()));
  bool stopped = false;
  for (const std::wstring& path : task.files) {
    if (!run.proceed()) {
      stopped = true;
      break;
    }
    if (IsMusicFile(path) && !listed.contains(ToUpper(path)) && FileExists(path)) {
      MusicRow row;
      row.image = task.imageOf ? task.imageOf(path) : -1;
      row.oldName = ExtractFileName(path);
      row.newName = row.oldName;
      row.folder = ExtractFilePath(path);
      row.tags = ReadMusicTags(path);
      rows.append(std::move(row));
      run.rowAdded();
    }
    run.progressStep();
  }
  task.files.clear();
  task.files.shrink_to_fit();
  return Finish(run, stopped, stopped ? L"音乐信息导入被停止" : L"音乐信息导入完成！");
}

// Whether another file than the row's own, and than those of listed rows (which
// may move away; the list's own names are compared among themselves), already
// has the name in the row's folder.
bool TakenInFolder(const MusicRow& row, const std::wstring& name, const std::unordered_set<std::wstring>& listed) {
  const std::wstring path = row.folder + name;
  return !EqualsNoCase(path, row.path()) && !listed.contains(ToUpper(path)) &&
         Fs().attributes(path) != INVALID_FILE_ATTRIBUTES;
}

MusicResult Simulate(MusicTask& task, RunContext& run, MusicRows& rows) {
  const MusicSettings& s = task.settings;
  run.status(L"名称信息模拟设置中...");
  run.progressStart(static_cast<std::uint32_t>(rows.size()));
  std::unordered_set<std::wstring> earlier, listed;  // folded: new names of the rows before, listed files
  if (s.duplicateCheck)
    for (const MusicRow& row : rows.rows()) listed.insert(ToUpper(row.path()));
  bool stopped = false;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (!run.proceed()) {
      stopped = true;
      break;
    }
    MusicRow& row = rows.edit(r);
    std::wstring name = BuildMusicName(s, row);
    if (name.empty()) name = row.newName;  // nothing to build it from: the name stays
    if (s.duplicateCheck && (!earlier.insert(ToUpper(name)).second || TakenInFolder(row, name, listed)) &&
        !Ask(task.ask, {FileInfoAskKind::DuplicateName, name, {}})) {
      stopped = true;
      break;
    }
    row.newName = std::move(name);
    rows.updated(r);
    run.progressStep();
  }
  if (!stopped) return Finish(run, false, L"名称信息模拟设置完成！");
  // A simulation that did not finish leaves nothing behind, also not of the ones before it.
  ResetMusicNames(rows);
  return Finish(run, true, L"名称信息模拟设置被停止");
}

// The run with the status line left to the music page: the file-information
// editor's texts name files, this page's name music.
class OwnStatusLine : public RunContext {
 public:
  explicit OwnStatusLine(RunContext& run) : run_(run) {}
  bool proceed() override { return run_.proceed(); }
  void status(std::wstring_view) override {}
  void progressStart(std::uint32_t maximum) override { run_.progressStart(maximum); }
  void progressStep() override { run_.progressStep(); }

 private:
  RunContext& run_;
};

MusicResult Execute(MusicTask& task, RunContext& run, MusicRows& rows) {
  run.status(L"音乐信息正式设置中...");
  // The file-information editor executes the names: its questions, its care
  // never to overwrite, its passing names for swaps and cycles.
  FileInfoRows files;
  for (const MusicRow& row : rows.rows()) {
    FileInfoRow file;
    file.newName = row.newName;
    file.oldName = row.oldName;
    file.folder = row.folder;
    files.append(std::move(file));
  }
  // Each file placed shows in its music row at once, with the tags read from where it is now.
  files.setObserver([&](FileInfoRows::Change change, std::size_t r) {
    if (change != FileInfoRows::Change::Updated || r >= rows.size()) return;
    MusicRow& row = rows.edit(r);
    row.oldName = files.at(r).oldName;
    row.folder = files.at(r).folder;
    row.tags = ReadMusicTags(row.path());
    rows.updated(r);
  });
  FileInfoTask execute;
  execute.op = FileInfoOp::Execute;
  execute.placement = task.placement;
  execute.targetDir = task.targetDir;
  execute.ask = task.ask;
  OwnStatusLine quiet(run);
  const bool stopped = RunFileInfoTask(execute, quiet, files).stopped;
  return Finish(run, stopped, stopped ? L"音乐信息正式设置被停止" : L"音乐信息正式设置完成！");
}

// Refresh, or with tagsOnly the tag object's reset. Neither can be stopped.
MusicResult ReadAgain(RunContext& run, MusicRows& rows, bool tagsOnly) {
  run.status(tagsOnly ? L"标签信息读取中..." : L"音乐信息刷新中...");
  run.progressStart(static_cast<std::uint32_t>(rows.size()));
  std::vector<bool> present(rows.size());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    (void)run.proceed();  // lets the window paint
    MusicRow& row = rows.edit(r);
    if (FileExists(row.path())) {
      present[r] = true;
      if (!tagsOnly) row.newName = row.oldName;
      row.tags = ReadMusicTags(row.path());
    }
    run.progressStep();
  }
  // Every row may have changed: one notice, whether or not rows went.
  if (tagsOnly || rows.keepIf([&](std::size_t r) { return present[r]; }) == 0) rows.changedAll();
  return Finish(run, false, tagsOnly ? L"标签模拟信息重置完成！" : L"音乐信息刷新完成！");
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\x3000'; }

void TrimEnds(std::wstring& text) {
  while (!text.empty() && (IsBlank(text.back()) || text.back() == L'.')) text.pop_back();
  const std::size_t lead = std::find_if_not(text.begin(), text.end(), IsBlank) - text.begin();
  text.erase(0, lead);
}

// Windows gives these names to devices: "CON.mp3" cannot be made as a file.
bool IsDeviceName(std::wstring_view base) {
  base = TrimView(base.substr(0, base.find(L'.')));
  static constexpr std::wstring_view kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL"};
  if (std::ranges::any_of(kDevices, [&](std::wstring_view d) { return EqualsNoCase(base, d); })) return true;
  return base.size() == 4 && (StartsWithNoCase(base, L"COM") || StartsWithNoCase(base, L"LPT")) && base[3] >= L'1' &&
         base[3] <= L'9';
}

// Tag text made fit for a file name of at most room characters.
std::wstring FileNameBase(std::wstring_view text, std::size_t room) {
  std::wstring base;
  base.reserve(text.size());
  for (wchar_t c : text) base.push_back(c < 0x20 || kForbidden.find(c) != std::wstring_view::npos ? L'_' : c);
  TrimEnds(base);
  if (base.size() > room) {
    base.resize(room);
    if (!base.empty() && base.back() >= 0xD800 && base.back() <= 0xDBFF) base.pop_back();  // half a pair
    TrimEnds(base);
  }
  if (!base.empty() && IsDeviceName(base)) base += L'_';
  return base;
}

}  // namespace

std::wstring BuildMusicName(const MusicSettings& settings, const MusicRow& row) {
  if (settings.rule == MusicNameRule::RemoveBlanks) {
    std::wstring name;
    std::ranges::copy_if(row.newName, std::back_inserter(name), [](wchar_t c) { return !IsBlank(c); });
    // Nothing but an extension is no name.
    return name.empty() || ExtractFileExt(name).size() == name.size() ? std::wstring() : name;
  }
  std::wstring joined;
  for (const std::optional<MusicTag>& part : settings.parts) {
    if (!part) continue;
    const std::wstring& text = TagText(row.tags, *part);
    if (TrimView(text).empty()) continue;
    if (!joined.empty()) joined += settings.separator;
    joined += text;
  }
  const std::wstring_view ext = ExtractFileExt(row.oldName);
  const std::wstring base = FileNameBase(joined, kMostNameLength - std::min(ext.size(), kMostNameLength - 1));
  return base.empty() ? std::wstring() : base + std::wstring(ext);
}

void ResetMusicNames(MusicRows& rows) {
  for (std::size_t r = 0; r < rows.size(); ++r) rows.edit(r).newName = rows.at(r).oldName;
  rows.changedAll();
}

std::wstring ApplyTypedMusicName(MusicRows& rows, std::size_t index, std::wstring_view typed) {
  if (index >= rows.size()) return {};
  std::wstring name(typed);
  while (!name.empty() && (name.back() <= L' ' || name.back() == L'.')) name.pop_back();
  if (TrimView(name).empty()) return L"文件名不能为空。";
  if (std::ranges::any_of(name, [](wchar_t c) { return c < 0x20 || kForbidden.find(c) != std::wstring_view::npos; }))
    return L"文件名中不能包含特殊字符。";
  rows.edit(index).newName = std::move(name);
  rows.updated(index);
  return {};
}

MusicResult RunMusicTask(MusicTask& task, RunContext& run, MusicRows& rows) {
  switch (task.op) {
    case MusicOp::Import: return Import(task, run, rows);
    case MusicOp::Simulate: return Simulate(task, run, rows);
    case MusicOp::Execute: return Execute(task, run, rows);
    case MusicOp::Refresh: return ReadAgain(run, rows, false);
    case MusicOp::ReadTags: return ReadAgain(run, rows, true);
  }
  return {};
}

std::wstring MusicColumnText(const MusicRow& row, int column) {
  switch (column) {
    case 0: return row.newName;
    case 1: return row.oldName;
    case 2: return row.tags.title;
    case 3: return row.tags.artist;
    case 4: return row.tags.album;
    case 5: return row.tags.year;
    case 6: return row.tags.comment;
    case 7: return row.folder;
    default: return {};
  }
}

void SortMusicRows(MusicRows& rows, int column) {
  SortRowsByText(rows, [column](const MusicRow& row) { return MusicColumnText(row, column); });
}

int MoveMusicRow(MusicRows& rows, int source, int target) {
  const int count = static_cast<int>(rows.size());
  if (source < 0 || source >= count) return -1;
  if (target < 0 || target >= count) target = count - 1;
  // Before the target: moving down, the rows between close up first.
  const int place = target > source ? target - 1 : target;
  if (place == source) return -1;
  return rows.moveTo(source, place);
}

}  // namespace wv
