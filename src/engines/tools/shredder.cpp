#include "engines/tools/shredder.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <limits>
#include <memory>
#include <unordered_set>

#include "core/utilities.h"
#include "platform/text.h"
#include "platform/platform.h"

namespace wv {
namespace {

constexpr std::size_t kBlock = 1024;
constexpr std::array<std::uint8_t, kBlock> kZeros{};

bool PathGone(std::wstring_view path) { return Fs().attributes(path) == INVALID_FILE_ATTRIBUTES; }

// Four upper-case hexadecimal digits, as temporary names have them.
std::wstring Hex4(std::uint32_t value) {
  static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring out(4, L'0');
  for (int i = 3; i >= 0; --i, value >>= 4) out[static_cast<std::size_t>(i)] = kDigits[value & 15];
  return out;
}

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// One shredding run: the stop request, once heard, holds for the rest of it.
class Shredder {
 public:
  Shredder(RunContext& run, const ShredEvents& events) : run_(run), events_(events) {}

  [[nodiscard]] bool stopped() const { return stopped_; }

  // The status line; the last text is the run's summary.
  void status(std::wstring_view text) {
    last_.assign(text);
    run_.status(text);
  }
  [[nodiscard]] const std::wstring& lastStatus() const { return last_; }

  // Lets the window work; false once a stop was requested.
  bool proceed() {
    if (!stopped_ && !run_.proceed()) stopped_ = true;
    return !stopped_;
  }

  ShredFileResult file(std::wstring_view path);
  void folder(std::wstring_view path);

 private:
  ShredFileResult overwriteAndRemove(std::wstring_view path);
  // Zeros over the whole of an open file or stream, from byte 0 on, then flushed:
  // the system must not keep them in its cache while the file is cut and freed.
  bool overwrite(File& file, std::uint64_t size, bool gauge);
  bool overwriteStreams(std::wstring_view path, const std::vector<StreamEntry>& streams);
  ShredFileResult removeName(std::wstring_view path);
  // Shreds the files of folder (with its backslash); false when a stop ended that.
  bool folderFiles(const std::wstring& folder, std::vector<std::wstring>& subfolders);

  RunContext& run_;
  const ShredEvents& events_;
  bool stopped_ = false;
  std::wstring last_;
};

bool Shredder::overwrite(File& file, std::uint64_t size, bool gauge) {
  if (!file.seek(0)) return false;
  const std::uint64_t blocks = size / kBlock;
  for (std::uint64_t i = 0; i < blocks; ++i) {
    if (!file.write(kZeros.data(), kBlock)) return false;
    if (!gauge) continue;
    proceed();  // the window keeps working; the stop waits for the next item
    run_.progressStep();
  }
  if (gauge) run_.progressStep();  // the last step: the gauge at its maximum
  const std::size_t rest = static_cast<std::size_t>(size % kBlock);
  if (rest > 0 && !file.write(kZeros.data(), rest)) return false;
  return file.flush();
}

bool Shredder::overwriteStreams(std::wstring_view path, const std::vector<StreamEntry>& streams) {
  // Named streams hold contents of their own, which deleting the file would free unwritten.
  for (const StreamEntry& stream : streams) {
    std::wstring streamPath(path);
    streamPath += stream.name;
    std::unique_ptr<File> file = Fs().openInPlace(streamPath);
    if (!file || !overwrite(*file, stream.size, false)) return false;
    if (!file->seek(0) || !file->truncateHere()) return false;
  }
  return true;
}

ShredFileResult Shredder::file(std::wstring_view path) {
  const DWORD attributes = Fs().attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return ShredFileResult::NoFile;
  // Read-only, hidden and system files must be writable; a file that stays gets its marks back.
  constexpr DWORD kMarks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  const bool marked = (attributes & kMarks) != 0;
  if (marked) (void)Fs().setAttributes(path, FILE_ATTRIBUTE_ARCHIVE);
  const ShredFileResult result = overwriteAndRemove(path);
  if (marked && result != ShredFileResult::Shredded && !PathGone(path)) (void)Fs().setAttributes(path, attributes);
  return result;
}

ShredFileResult Shredder::overwriteAndRemove(std::wstring_view path) {
  const std::vector<StreamEntry> streams = Fs().namedStreams(path);
  {
    // Opened as it is, never truncated: truncating first would free the old
    // clusters with their contents still on them.
    std::unique_ptr<File> file = Fs().openInPlace(path);
    if (!file) return ShredFileResult::CannotOpen;
    // Zeros through a link or into contents that other names still show would
    // destroy what is not on the list; a file that cannot tell is left alone too.
    const std::optional<FileIdentity> identity = file->identity();
    if (!identity || IsLink(identity->attributes) || identity->linkCount > 1) return ShredFileResult::Linked;
    // The open file's own size: a directory entry may lag behind it.
    const std::optional<std::uint64_t> handleSize = file->size();
    const std::uint64_t size = handleSize ? *handleSize : GetFileSizeOf(path);
    run_.progressStart(static_cast<std::uint32_t>(
        std::min<std::uint64_t>(size / kBlock + 1, std::numeric_limits<std::uint32_t>::max())));
    if (!overwrite(*file, size, true) || !overwriteStreams(path, streams)) return ShredFileResult::WriteFailed;
    if (events_.overwritten) events_.overwritten(path);
    if (!file->seek(0) || !file->truncateHere()) return ShredFileResult::NotRemoved;
  }
  return removeName(path);
}

ShredFileResult Shredder::removeName(std::wstring_view path) {
  // The old name says what the file was: it goes under a meaningless one that
  // is free in its folder (a rename never replaces an existing file).
  static std::uint32_t counter = static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  const std::wstring folder(ExtractFilePath(path));
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring temp = folder + L"QV" + Hex4(++counter) + L".tmp";
    if (Fs().moveFile(path, temp)) {
      (void)Fs().deleteFile(temp);
      break;
    }
    if (Fs().attributes(temp) == INVALID_FILE_ATTRIBUTES) break;  // not a name clash: the rename cannot be done
  }
  return PathGone(path) ? ShredFileResult::Shredded : ShredFileResult::NotRemoved;
}

bool Shredder::folderFiles(const std::wstring& folder, std::vector<std::wstring>& subfolders) {
  // The whole listing first: shredding renames files inside the folder being searched.
  std::vector<std::wstring> files;
  if (std::unique_ptr<DirSearch> search = Fs().search(folder + L"*.*")) {
    FindEntry entry;
    while (search->next(entry)) {
      if (!entry.isFolder()) {
        files.push_back(std::move(entry.name));
      } else if (!entry.isDots() && !EqualsNoCase(entry.name, L"Recycled")) {
        subfolders.push_back(std::move(entry.name));
      }
    }
  }
  std::wstring path;
  for (const std::wstring& name : files) {
    if (!proceed()) return false;
    path = folder + name;
    std::wstring text(kShreddingText);
    text += path;
    status(text);
    if (!IsFileInUse(path)) (void)file(path);
  }
  return true;
}

void Shredder::folder(std::wstring_view path) {
  const DWORD attributes = Fs().attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  if (IsLink(attributes)) {
    (void)Fs().removeFolder(path);  // the link alone, never what it leads to
    return;
  }
  // Depth first with an explicit stack: a folder's files, then its subfolders one
  // by one, then the folder itself. A deep tree cannot exhaust the thread's stack.
  struct Level {
    std::wstring folder;  // with its backslash
    std::vector<std::wstring> subfolders;
    std::size_t next = 0;
  };
  std::vector<Level> stack;
  const auto enter = [&](std::wstring folder) {
    Level level{IncludeTrailingBackslash(folder), {}, 0};
    if (!folderFiles(level.folder, level.subfolders)) level.subfolders.clear();  // stopped: straight to its removal
    stack.push_back(std::move(level));
  };
  enter(std::wstring(path));
  while (!stack.empty()) {
    Level& level = stack.back();
    if (level.next == level.subfolders.size()) {
      (void)Fs().removeFolder(level.folder);  // only an empty one goes
      stack.pop_back();
      continue;
    }
    std::wstring sub = level.folder + level.subfolders[level.next++];
    proceed();  // a stopped walk still visits subfolders to remove the empty ones
    const DWORD subAttributes = Fs().attributes(sub);
    if (subAttributes == INVALID_FILE_ATTRIBUTES || !(subAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (IsLink(subAttributes)) {
      (void)Fs().removeFolder(sub);
      continue;
    }
    enter(std::move(sub));  // may move the stack: level is not used below
  }
}

bool Exists(const ShredRow& row) {
  const DWORD attributes = Fs().attributes(row.path);
  return attributes != INVALID_FILE_ATTRIBUTES && ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == row.isFolder;
}

// The list, its count in the header, and the failures the user hears of.
class ShredList {
 public:
  ShredList(ShredRows& rows, const ShredEvents& events) : rows_(rows), events_(events) {}
  [[nodiscard]] std::size_t size() const { return rows_.size(); }
  [[nodiscard]] const ShredRow& at(std::size_t index) const { return rows_.at(index); }
  void add(ShredRow row) {
    rows_.append(std::move(row));
    counted();
  }
  void remove(std::vector<std::size_t> indices) {
    rows_.erase(std::move(indices));
    counted();
  }
  void update(std::size_t index, ShredRow row) { rows_.update(index, std::move(row)); }
  void counted() const {
    if (events_.countChanged) events_.countChanged(rows_.size());
  }
  void fail(ShredFailure failure, std::wstring_view path) const {
    if (events_.failed) events_.failed(failure, path);
  }

 private:
  ShredRows& rows_;
  const ShredEvents& events_;
};

void Import(const std::vector<std::wstring>& pending, Shredder& shredder, RunContext& run, ShredList& list) {
  shredder.status(L"");
  shredder.status(kImportingText);
  run.progressStart(static_cast<std::uint32_t>(pending.size()));
  std::unordered_set<std::wstring> listed;
  for (std::size_t i = 0; i < list.size(); ++i) listed.insert(ToUpper(list.at(i).path));
  for (const std::wstring& path : pending) {
    if (!shredder.proceed()) break;
    run.progressStep();
    const DWORD attributes = Fs().attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !listed.insert(ToUpper(path)).second) continue;
    const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    list.add({path, isFolder, isFolder ? 0 : GetFileSizeOf(path)});
    run.rowAdded();
  }
  shredder.status(shredder.stopped() ? kImportStoppedText : kImportedText);
}

// A file row of the list; true when its entry is gone. It counts as destroyed
// only when its name is gone from the disk.
bool ShredFileRow(const ShredRow& row, Shredder& shredder) {
  std::wstring status(kShreddingText);
  shredder.status(status += row.path);
  if (!IsFileInUse(row.path)) (void)shredder.file(row.path);
  return PathGone(row.path);
}

void ShredSelected(std::size_t index, Shredder& shredder, RunContext& run, ShredList& list) {
  shredder.status(L"");
  (void)run.proceed();  // paints the cleared status; the stop is looked at afterwards
  if (index >= list.size()) return;
  const ShredRow row = list.at(index);
  if (row.isFolder) {
    shredder.folder(row.path);
    if (!DirectoryExists(row.path)) {
      list.remove({index});
      shredder.status(kFolderShreddedText);
    } else if (!shredder.proceed()) {
      shredder.status(kShredStoppedText);
    } else {
      shredder.status(L"");
      list.fail(ShredFailure::Folder, row.path);
    }
    return;
  }
  if (ShredFileRow(row, shredder)) {
    list.remove({index});
    shredder.status(kFileShreddedText);
  } else {
    shredder.status(L"");
    list.fail(ShredFailure::File, row.path);
  }
}

void ShredAll(Shredder& shredder, ShredList& list) {
  shredder.status(L"");
  std::size_t i = 0;
  while (i < list.size() && shredder.proceed()) {
    const ShredRow row = list.at(i);
    if (row.isFolder) {
      shredder.folder(row.path);
      if (DirectoryExists(row.path)) {
        ++i;
      } else {
        list.remove({i});
      }
      continue;
    }
    if (ShredFileRow(row, shredder)) {
      list.remove({i});
    } else {
      ++i;
    }
  }
  if (list.size() == 0) {
    shredder.status(kAllShreddedText);
  } else if (shredder.stopped()) {
    shredder.status(kShredStoppedText);
  } else {
    shredder.status(L"");
    list.fail(ShredFailure::SomeEntries, L"");
  }
}

void Refresh(Shredder& shredder, RunContext& run, ShredList& list) {
  shredder.status(L"");
  shredder.status(kRefreshingText);
  run.progressStart(static_cast<std::uint32_t>(list.size()));
  std::vector<std::size_t> gone;
  for (std::size_t i = 0; i < list.size(); ++i) {
    (void)run.proceed();  // not stoppable: the window only keeps working
    run.progressStep();
    const ShredRow& row = list.at(i);
    if (!Exists(row)) {
      gone.push_back(i);
    } else if (!row.isFolder) {
      const std::uint64_t size = GetFileSizeOf(row.path);
      if (size != row.size) list.update(i, {row.path, false, size});
    }
  }
  if (!gone.empty()) list.remove(std::move(gone));
  shredder.status(kRefreshedText);
}

}  // namespace

void ShredRowVector::erase(std::vector<std::size_t> indices) { (void)EraseAt(rows_, std::move(indices)); }

ShredResult RunShredTask(ShredJob job, ShredRows& rows, RunContext& run, const ShredEvents& events) {
  Shredder shredder(run, events);
  ShredList list(rows, events);
  switch (job.task) {
    case ShredTask::Import: Import(job.pending, shredder, run, list); break;
    case ShredTask::ShredSelected: ShredSelected(job.selected, shredder, run, list); break;
    case ShredTask::ShredAll: ShredAll(shredder, list); break;
    case ShredTask::Refresh: Refresh(shredder, run, list); break;
  }
  list.counted();
  return {shredder.stopped(), shredder.lastStatus()};
}

ShredFileResult ShredFile(std::wstring_view path, RunContext& run, const ShredEvents& events) {
  Shredder shredder(run, events);
  return shredder.file(path);
}

void ShredFolder(std::wstring_view path, RunContext& run, const ShredEvents& events) {
  Shredder shredder(run, events);
  shredder.folder(path);
}

}  // namespace wv
