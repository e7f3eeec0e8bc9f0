#include "engines/cleaning/removal.h"

#include <algorithm>
#include <set>

#include "core/folder_walk.h"
#include "core/utilities.h"
#include "platform/text.h"
#include "platform/platform.h"

namespace wv {
namespace {

// Only files and folders go to the shell: registry and refused rows of the rule
// file are left to their own removal, and never count as gone here.
void SortIndices(std::vector<std::size_t>& indices, const std::vector<FoundRow>& rows) {
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  indices.erase(std::lower_bound(indices.begin(), indices.end(), rows.size()), indices.end());
  std::erase_if(indices, [&](std::size_t i) { return !IsFileKind(rows[i].kind); });
}

// A path handed to the shell, with the attributes it had before.
struct Source {
  std::wstring path;
  DWORD attributes;
};

// Read-only, hidden and system are cleared so that the shell takes the item
// without asking; they come back on whatever is still there afterwards.
void AddSource(std::vector<Source>& sources, const std::wstring& path) {
  const DWORD attributes = Fs().attributes(path);
  static_cast<void>(Fs().setAttributes(path, FILE_ATTRIBUTE_ARCHIVE));
  sources.push_back({path, attributes});
}

void RestoreAttributes(const std::vector<Source>& sources) {
  constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  for (const Source& s : sources) {
    if (s.attributes == INVALID_FILE_ATTRIBUTES || !(s.attributes & kKept)) continue;
    const DWORD now = Fs().attributes(s.path);
    if (now == INVALID_FILE_ATTRIBUTES) continue;  // gone, as asked
    static_cast<void>(Fs().setAttributes(s.path, (now & ~FILE_ATTRIBUTE_DIRECTORY) | (s.attributes & kKept)));
  }
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

int RunShell(const std::vector<Source>& sources, const RemovalOptions& options) {
  if (sources.empty()) return 0;
  std::vector<std::wstring> paths;
  paths.reserve(sources.size());
  for (const Source& s : sources) paths.push_back(s.path);
  ShellRemoval call = ShellRemovalFor(options.mode);
  if (options.unattended) call.flags |= fileop::NoConfirmation | fileop::NoConfirmMkdir | fileop::Silent | fileop::NoErrorUi;
  const std::wstring_view target =
      options.mode == RemovalMode::MoveToFolder ? std::wstring_view(options.moveFolder) : std::wstring_view();
  return Sh().fileOperation(options.owner, call.func, paths, target, call.flags);
}

// The user said no to the shell's own question, or stopped its progress: that
// ends the removal, nothing further goes.
bool DeclinedOrAborted(int shellResult) {
  constexpr int kOperationCancelled = 0x75;  // DE_OPCANCELLED of the older shells
  return shellResult == ERROR_CANCELLED || shellResult == kOperationCancelled;
}

// A waste folder qualifies only while everything in it goes in the same
// operation: a file put there since the scan, or a link to elsewhere, keeps it.
// A folder that cannot be read cannot be shown to be waste.
bool StillWaste(const std::wstring& folder, const std::set<std::wstring>& goingFiles) {
  const DWORD attributes = Fs().attributes(folder);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  class Check : public FolderVisitor {
   public:
    explicit Check(const std::set<std::wstring>& going) : going_(going) {}
    bool waste = true;
    void unreadable(const WalkFolder&) override { waste = false; }
    bool listed(const WalkFolder&) override { return waste; }
    Step entry(const WalkFolder& at, const FindEntry& entry) override {
      if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) waste = false;
      else if (entry.isFolder()) return Step::Enter;
      else if (!going_.contains(ToUpper(at.path + entry.name))) waste = false;
      return waste ? Step::Next : Step::Stop;
    }

   private:
    const std::set<std::wstring>& going_;
  } check(goingFiles);
  return WalkFolders(folder, check) && check.waste;
}

std::vector<std::size_t> GoneRows(const std::vector<FoundRow>& rows, const std::vector<std::size_t>& indices) {
  std::vector<std::size_t> gone;
  for (std::size_t i : indices)
    if (Fs().attributes(rows[i].path) == INVALID_FILE_ATTRIBUTES) gone.push_back(i);
  return gone;
}

bool IsWasteRow(const FoundRow& row) { return row.kind == FoundKind::WasteFolder; }

}  // namespace

bool TargetMissing(const RemovalOptions& options) {
  return options.mode == RemovalMode::MoveToFolder &&
         (options.moveFolder.empty() || !DirectoryExists(options.moveFolder));
}

std::vector<std::size_t> RemoveFoundRows(const std::vector<FoundRow>& rows, std::vector<std::size_t> indices,
                                         const RemovalOptions& options) {
  SortIndices(indices, rows);
  if (indices.empty() || TargetMissing(options)) return {};
  std::vector<Source> sources;
  std::set<std::wstring> goingFiles;
  for (std::size_t i : indices) {
    const FoundRow& row = rows[i];
    if (IsWasteRow(row) || !FileExists(row.path)) continue;
    goingFiles.insert(ToUpper(row.path));
    AddSource(sources, row.path);
  }
  // Checked before any attribute of them changes; a row that no longer
  // qualifies stays in the list, untouched.
  std::vector<std::wstring> waste;
  for (std::size_t i : indices) {
    const FoundRow& row = rows[i];
    if (IsWasteRow(row) && DirectoryExists(row.path) && StillWaste(row.path, goingFiles)) waste.push_back(row.path);
  }
  for (const std::wstring& folder : waste) AddSource(sources, folder);

  const int result = RunShell(sources, options);
  if (result != 0 && !DeclinedOrAborted(result)) {
    // Deepest first, as the scan listed them: a parent empties once its children went.
    for (const std::wstring& folder : waste)
      if (DirectoryExists(folder)) static_cast<void>(Fs().removeFolder(folder));
  }
  RestoreAttributes(sources);
  return GoneRows(rows, indices);
}

std::vector<std::size_t> AllRowIndices(std::size_t count) {
  std::vector<std::size_t> out(count);
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = i;
  return out;
}

}  // namespace wv
