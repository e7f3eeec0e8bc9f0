#include "cleaning/removal.h"

#include <algorithm>

#include "cleaning/wjrcline.h"
#include "core/publline.h"
#include "platform/platform.h"

namespace wv {
namespace {

void SortIndices(std::vector<std::size_t>& indices, std::size_t count) {
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  indices.erase(std::lower_bound(indices.begin(), indices.end(), count), indices.end());
}

// Clears read-only, hidden and system so that the shell takes the item without asking.
void AddSource(std::vector<std::wstring>& sources, const std::wstring& path) {
  static_cast<void>(Fs().setAttributes(path, FILE_ATTRIBUTE_ARCHIVE));
  sources.push_back(path);
}

// The shell operation a mode uses.
struct ShellRemoval {
  FileOpFunc func;
  unsigned flags;
};

ShellRemoval ShellRemovalFor(RemovalMode mode) {
  switch (mode) {
    case RemovalMode::DeleteDirectly:
      return {FileOpFunc::Delete, fileop::Silent | fileop::NoErrorUi};
    case RemovalMode::MoveToFolder:
      return {FileOpFunc::Move, fileop::AllowUndo | fileop::NoErrorUi};
    case RemovalMode::RecycleBin:
    default:
      return {FileOpFunc::Delete, fileop::AllowUndo | fileop::NoErrorUi};
  }
}

int RunShell(const std::vector<std::wstring>& sources, const RemovalOptions& options) {
  const ShellRemoval call = ShellRemovalFor(options.mode);
  const std::wstring_view target =
      options.mode == RemovalMode::MoveToFolder ? std::wstring_view(options.moveFolder) : std::wstring_view();
  return Sh().fileOperation(options.owner, call.func, sources, target, call.flags);
}

bool TargetMissing(const RemovalOptions& options) {
  return options.mode == RemovalMode::MoveToFolder &&
         (options.moveFolder.empty() || !DirectoryExists(options.moveFolder));
}

std::size_t DropGoneRows(RowModel& rows, const std::vector<std::size_t>& indices) {
  std::vector<std::size_t> gone;
  for (std::size_t i : indices)
    if (Fs().attributes(rows.at(i).caption) == INVALID_FILE_ATTRIBUTES) gone.push_back(i);
  rows.eraseMany(gone);
  return gone.size();
}

bool IsWasteRow(const ListRow& row) { return row.column(1) == kWasteFolderText; }

}  // namespace

bool ConfirmRemoval(const RemovalOptions& options, bool allRows) {
  if (options.mode != RemovalMode::MoveToFolder) return true;
  if (TargetMissing(options)) {
    MsgBox(2, 1, L"目录错误", L"您指定的用于存放垃圾文件的目录错误，请重新选择！");
    return false;
  }
  return Confirmed(MsgBox(1, 2, L"文件清理",
                          allRows ? L"您“确定”把所有扫描到的垃圾文件移动到指定的目录吗？"
                                  : L"您“确定”把当前选中的垃圾文件移动到指定的目录吗？"));
}

std::size_t RemoveFoundRows(RowModel& rows, std::vector<std::size_t> indices, const RemovalOptions& options) {
  SortIndices(indices, rows.size());
  if (indices.empty() || TargetMissing(options)) return 0;
  std::vector<std::wstring> sources;
  for (std::size_t i : indices) {
    const ListRow& row = rows.at(i);
    if (!IsWasteRow(row) && FileExists(row.caption)) AddSource(sources, row.caption);
  }
  for (std::size_t i : indices) {
    const ListRow& row = rows.at(i);
    if (IsWasteRow(row) && DirectoryExists(row.caption)) AddSource(sources, row.caption);
  }
  const int result = sources.empty() ? 0 : RunShell(sources, options);
  if (result != 0) {
    for (std::size_t i : indices) {
      const ListRow& row = rows.at(i);
      if (IsWasteRow(row) && DirectoryExists(row.caption)) static_cast<void>(Fs().removeFolder(row.caption));
    }
  }
  return DropGoneRows(rows, indices);
}

std::vector<std::size_t> AllRowIndices(const RowModel& rows) {
  std::vector<std::size_t> out(rows.size());
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = i;
  return out;
}

}  // namespace wv
