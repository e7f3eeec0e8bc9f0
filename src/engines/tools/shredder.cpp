#include "engines/tools/shredder.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <limits>
#include <memory>
#include <unordered_set>

#include "core/protected_folders.h"
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

  // Removes a folder once it is empty; a read-only one loses that mark first
  // (Windows will not remove it otherwise) and gets it back when it stays.
  static void removeEmptyFolder(const std::wstring& folder);

  RunContext& run_;
  const ShredEvents& events_;
  bool stopped_ = false;
  std::wstring last_;
};

void Shredder::removeEmptyFolder(const std::wstring& folder) {
  const std::wstring path = ExcludeTrailingBackslash(folder);
  const DWORD attributes = Fs().attributes(path);
  const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
  if (readOnly) (void)Fs().setAttributes(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  if (!Fs().removeFolder(path) && readOnly && !PathGone(path))
    (void)Fs().setAttributes(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

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
    // Such contents do not lie where zeros written through the file would go.
    constexpr DWORD kElsewhere = FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_ENCRYPTED | FILE_ATTRIBUTE_SPARSE_FILE;
    if (identity->attributes & kElsewhere) return ShredFileResult::StoredElsewhere;
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
      if (Fs().deleteFile(temp) || PathGone(temp)) break;
      // Left behind under the temporary name, nobody would know it for the
      // entry that was to go: it takes its own name back and counts as a failure.
      (void)Fs().moveFile(temp, path);
      return ShredFileResult::NotRemoved;
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
      removeEmptyFolder(level.folder);
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
  const ProtectedFolders protectedFolders = ProtectedFolders::Resolve();
  for (const std::wstring& path : pending) {
    if (!shredder.proceed()) break;
    run.progressStep();
    const DWORD attributes = Fs().attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !listed.insert(ToUpper(path)).second) continue;
    const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isFolder && protectedFolders.isProtected(path)) {
      list.fail(ShredFailure::Protected, path);
      continue;
    }
    list.add({path, isFolder, isFolder ? 0 : GetFileSizeOf(path)});
    run.rowAdded();
  }
  shredder.status(shredder.stopped() ? kImportStoppedText : kImportedText);
}

// What became of a row's entry.
enum class RowOutcome { Shredded, GoneBefore, Stayed, StoredElsewhere };

// A file row of the list. It counts as destroyed only when the shredder
// overwrote it and its name is gone from the disk.
RowOutcome ShredFileRow(const ShredRow& row, Shredder& shredder) {
  std::wstring status(kShreddingText);
  shredder.status(status += row.path);
  if (PathGone(row.path)) return RowOutcome::GoneBefore;
  if (IsFileInUse(row.path)) return RowOutcome::Stayed;
  switch (shredder.file(row.path)) {
    case ShredFileResult::Shredded: return RowOutcome::Shredded;
    case ShredFileResult::StoredElsewhere: return RowOutcome::StoredElsewhere;
    case ShredFileResult::NoFile: return PathGone(row.path) ? RowOutcome::GoneBefore : RowOutcome::Stayed;
    default: return RowOutcome::Stayed;
  }
}

RowOutcome ShredFolderRow(const ShredRow& row, Shredder& shredder) {
  if (!DirectoryExists(row.path)) return RowOutcome::GoneBefore;
  shredder.folder(row.path);
  return DirectoryExists(row.path) ? RowOutcome::Stayed : RowOutcome::Shredded;
}

void ShredSelected(std::size_t index, Shredder& shredder, RunContext& run, ShredList& list) {
  shredder.status(L"");
  (void)run.proceed();  // paints the cleared status; the stop is looked at afterwards
  if (index >= list.size()) return;
  const ShredRow row = list.at(index);
  const RowOutcome outcome = row.isFolder ? ShredFolderRow(row, shredder) : ShredFileRow(row, shredder);
  switch (outcome) {
    case RowOutcome::Shredded:
      list.remove({index});
      shredder.status(row.isFolder ? kFolderShreddedText : kFileShreddedText);
      break;
    case RowOutcome::GoneBefore:
      list.remove({index});
      shredder.status(row.isFolder ? kFolderGoneText : kFileGoneText);
      break;
    case RowOutcome::StoredElsewhere:
      shredder.status(L"");
      list.fail(ShredFailure::StoredElsewhere, row.path);
      break;
    case RowOutcome::Stayed:
      if (row.isFolder && !shredder.proceed()) {
        shredder.status(kShredStoppedText);
        break;
      }
      shredder.status(L"");
      list.fail(row.isFolder ? ShredFailure::Folder : ShredFailure::File, row.path);
      break;
  }
}

void ShredAll(Shredder& shredder, ShredList& list) {
  shredder.status(L"");
  std::size_t i = 0, shredded = 0, goneBefore = 0;
  while (i < list.size() && shredder.proceed()) {
    const ShredRow row = list.at(i);
    switch (row.isFolder ? ShredFolderRow(row, shredder) : ShredFileRow(row, shredder)) {
      case RowOutcome::Shredded: ++shredded; list.remove({i}); break;
      case RowOutcome::GoneBefore: ++goneBefore; list.remove({i}); break;
      default: ++i; break;
    }
  }
  if (list.size() == 0) {
    shredder.status(goneBefore == 0 ? std::wstring(kAllShreddedText) : AllShreddedSomeGoneText(shredded, goneBefore));
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

std::wstring AllShreddedSomeGoneText(std::size_t shredded, std::size_t gone) {
  return L"已完成对 " + ToDecimal(static_cast<std::int64_t>(shredded)) + L" 个文件或目录的不可恢复性删除，另有 " +
         ToDecimal(static_cast<std::int64_t>(gone)) + L" 个在粉碎前已不存在";
}

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
