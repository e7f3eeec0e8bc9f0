#pragma once
// The shredder: each file is overwritten with zeros to its full length, cut to
// zero length, given a meaningless temporary name and deleted; each folder is
// emptied that way, bottom-up, and removed. The list of entries to shred is the
// page's; this unit imports into it, shreds from it and refreshes it, and tells
// the page of every change through ShredEvents.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/run_context.h"

namespace wv {

// One entry of the list.
struct ShredRow {
  std::wstring path;
  bool isFolder = false;
  std::uint64_t size = 0;  // files: bytes, from the directory entry; folders: 0
};

// The operations, numbered as the page's run state.
enum class ShredTask : std::int32_t { Import = 1, ShredSelected = 2, ShredAll = 3, Refresh = 4 };

// What a failure message is about: the selected file, the selected folder, the
// entries that shred-all had to leave, a selected file whose contents the
// system keeps elsewhere than in place (compressed, encrypted, sparse), or a
// folder refused on import (a drive's root, the system's, programs' or users' folders).
enum class ShredFailure { File, Folder, SomeEntries, StoredElsewhere, Protected };

enum class ShredFileResult {
  Shredded,      // overwritten, truncated, renamed and deleted: the path is gone
  NoFile,        // no regular file at the path: nothing done
  CannotOpen,    // not openable for writing (in use, access denied): contents kept
  Linked,        // more names share the contents, or the path is a link: contents kept
  WriteFailed,   // the zeros (or a named stream's) could not all be written and flushed: not truncated
  NotRemoved,    // overwritten and truncated, but the name could not be changed or deleted
  StoredElsewhere,  // compressed, encrypted or sparse: zeros written in place would not reach
                    // the old clusters (or would fill the holes): contents kept, nothing written
};

// The list the engine works on. The page keeps its list view in step with it
// (ResultRows); ShredRowVector is the plain form.
class ShredRows {
 public:
  virtual ~ShredRows() = default;
  [[nodiscard]] virtual std::size_t size() const = 0;
  [[nodiscard]] virtual const ShredRow& at(std::size_t index) const = 0;
  virtual void append(ShredRow row) = 0;
  virtual void update(std::size_t index, ShredRow row) = 0;
  // Removes these rows (any order) in one step.
  virtual void erase(std::vector<std::size_t> indices) = 0;
};

class ShredRowVector : public ShredRows {
 public:
  ShredRowVector() = default;
  explicit ShredRowVector(std::vector<ShredRow> rows) : rows_(std::move(rows)) {}
  [[nodiscard]] std::size_t size() const override { return rows_.size(); }
  [[nodiscard]] const ShredRow& at(std::size_t index) const override { return rows_.at(index); }
  void append(ShredRow row) override { rows_.push_back(std::move(row)); }
  void update(std::size_t index, ShredRow row) override { rows_.at(index) = std::move(row); }
  void erase(std::vector<std::size_t> indices) override;
  [[nodiscard]] const std::vector<ShredRow>& rows() const { return rows_; }

 private:
  std::vector<ShredRow> rows_;
};

// What the page hears while the engine works; every member may be empty.
struct ShredEvents {
  // The number of rows, after each added or removed row and at the end of every
  // operation (the page shows it in the list's header).
  std::function<void(std::size_t rows)> countChanged;
  // A failure the user hears of by a message box; path is empty for SomeEntries.
  std::function<void(ShredFailure failure, std::wstring_view path)> failed;
  // A seam for tests: a file's contents and named streams are overwritten and
  // flushed, the file is not yet cut; the engine's handle lets others read it.
  std::function<void(std::wstring_view path)> overwritten;
};

struct ShredJob {
  ShredTask task = ShredTask::Import;
  std::vector<std::wstring> pending;  // Import: full paths of files and folders
  std::size_t selected = 0;           // ShredSelected: the row
};

// Status texts.
inline constexpr std::wstring_view kShreddingText = L"正在粉碎 ";
inline constexpr std::wstring_view kImportingText = L"文件或目录导入中...";
inline constexpr std::wstring_view kImportedText = L"文件或目录导入完成";
inline constexpr std::wstring_view kImportStoppedText = L"文件或目录导入被停止";
inline constexpr std::wstring_view kFileShreddedText = L"已完成对当前选中文件的不可恢复性删除";
inline constexpr std::wstring_view kFolderShreddedText = L"已完成对当前选中目录的不可恢复性删除";
inline constexpr std::wstring_view kAllShreddedText = L"已完成对当前所有文件或目录的不可恢复性删除";
inline constexpr std::wstring_view kFileGoneText = L"当前选中的文件已不存在，未作粉碎";
inline constexpr std::wstring_view kFolderGoneText = L"当前选中的目录已不存在，未作粉碎";
// Shred-all when some entries were gone before the shredder came to them.
std::wstring AllShreddedSomeGoneText(std::size_t shredded, std::size_t gone);
inline constexpr std::wstring_view kShredStoppedText = L"粉碎操作被停止";
inline constexpr std::wstring_view kRefreshingText = L"文件或目录信息刷新中...";
inline constexpr std::wstring_view kRefreshedText = L"文件或目录信息刷新完成";

struct ShredResult {
  bool stopped = false;  // a stop request ended the run
  std::wstring status;   // the status line at its end
};

// Performs the job on rows. Import, shred selected and shred all end at a stop
// request (run.proceed() false); refresh runs to its end. An entry that is gone
// before it is shredded leaves the list reported as gone, never as shredded;
// the import refuses protected folders (each named through events.failed).
ShredResult RunShredTask(ShredJob job, ShredRows& rows, RunContext& run, const ShredEvents& events = {});

// Shreds one file; a stop request is not honoured inside it. The gauge counts
// its 1024-byte blocks.
ShredFileResult ShredFile(std::wstring_view path, RunContext& run, const ShredEvents& events = {});

// Shreds a folder tree: its files (those in use passed over), then its
// subfolders, then the folder itself when it is empty. Links to folders are
// removed, never entered; folders named "Recycled" are left alone. After a stop
// no further file is shredded, but folders already empty are still removed.
// Does nothing when no folder exists at path.
void ShredFolder(std::wstring_view path, RunContext& run, const ShredEvents& events = {});

}  // namespace wv
