#include "engines/cleaning/removal.h"

#include <algorithm>
#include <set>

#include "core/files.h"
#include "core/folder_walk.h"
#include "engines/cleaning/removal_steps.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace wv {
namespace removal {

RemovalReport Outcomes::report(const std::vector<std::size_t>& indices, bool stopped) const {
  RemovalReport r;
  r.stopped = stopped;
  for (std::size_t i : indices) {
    switch (done_[i]) {
      case Done::Removed:
        ++r.removed;
        r.gone.push_back(i);
        break;
      case Done::Gone:
        r.gone.push_back(i);
        break;
      case Done::Kept:
        r.kept.emplace_back(i, why_[i]);
        break;
      case Done::Untried:
        break;
    }
  }
  return r;
}

void DeleteThroughHandle(const FoundRow& row, std::size_t index, HeldFolders& folders, Outcomes& out) {
  EntryCheck check = CheckEntry(row, folders, EntryOpen::Remove);
  if (check.gone) return out.gone(index);
  if (check.problem != KeptReason::None) return out.kept(index, check.problem);
  const DWORD attributes = check.facts.attributes;
  const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  if (readOnly) {
    // The mark is the file's, not the name's: its other names would lose it too.
    if (check.facts.linkCount > 1) return out.kept(index, KeptReason::OtherNames);
    if (const SysResult cleared = check.entry->setAttributes(attributes & ~FILE_ATTRIBUTE_READONLY); !cleared)
      return out.kept(index, ReasonOfError(cleared.error()));
  }
  if (const SysResult marked = check.entry->markForDeletion(); !marked) {
    if (readOnly) static_cast<void>(check.entry->setAttributes(attributes));
    return out.kept(index, ReasonOfError(marked.error()));
  }
  check.entry.reset();  // the last handle: the entry goes now
  out.removed(index);
}

bool HoldsNoFiles(const std::wstring& folder) {
  class Check : public FolderVisitor {
   public:
    bool empty = true;
    void unreadable(const WalkFolder&) override { empty = false; }
    bool listed(const WalkFolder&) override { return empty; }
    Step entry(const WalkFolder&, const FindEntry& entry) override {
      if (!entry.isFolder() || (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) empty = false;
      return empty ? Step::Enter : Step::Stop;
    }
  } check;
  return WalkFolders(folder, check) && check.empty;
}

}  // namespace removal

namespace {

// Only files and folders are removed here: registry and refused rows of the rule
// file are left to their own removal, and never count as gone or kept here.
void SortIndices(std::vector<std::size_t>& indices, const std::vector<FoundRow>& rows) {
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  indices.erase(std::lower_bound(indices.begin(), indices.end(), rows.size()), indices.end());
  std::erase_if(indices, [&](std::size_t i) { return !IsFileKind(rows[i].kind); });
}

// A folder's path made full, folded, with a trailing backslash.
std::wstring FoldedFolderText(std::wstring_view folder) {
  std::wstring full = Fs().fullPath(folder);
  if (full.empty()) full.assign(folder);
  std::wstring folded;
  FoldInto(IncludeTrailingBackslash(full), folded);
  return folded;
}

// The folder a row was scanned in (its root), or its parent when the scan did not say.
std::wstring RootOf(const FoundRow& row) {
  if (row.rootLength > 0 && row.rootLength <= row.path.size()) return row.path.substr(0, row.rootLength);
  return ParentFolder(row.path);
}

}  // namespace

bool TargetMissing(const RemovalOptions& options) {
  return options.mode == RemovalMode::MoveToFolder &&
         (options.moveFolder.empty() || !DirectoryExists(options.moveFolder));
}

MoveTarget CheckMoveTarget(const RemovalOptions& options, const std::vector<FoundRow>& rows,
                           const std::vector<std::size_t>& indices) {
  if (options.mode != RemovalMode::MoveToFolder) return MoveTarget::Usable;
  if (TargetMissing(options)) return MoveTarget::Missing;
  // By the text and by where both really are: a link or a SUBST drive may name the same folder.
  const std::wstring targetFinal = cleanscan::FinalFolderPath(options.moveFolder, true);
  const std::wstring targetText = FoldedFolderText(options.moveFolder);
  std::set<std::wstring> seen;
  for (std::size_t i : indices) {
    if (i >= rows.size() || !IsFileKind(rows[i].kind)) continue;
    const std::wstring root = RootOf(rows[i]);
    const std::wstring rootText = FoldedFolderText(root);
    if (!seen.insert(rootText).second) continue;
    if (cleanscan::IsAtOrBelow(targetText, rootText) ||
        cleanscan::IsAtOrBelow(targetFinal, cleanscan::FinalFolderPath(root, true)))
      return MoveTarget::InsideScan;
  }
  return MoveTarget::Usable;
}

RemovalReport RemoveFoundRows(const std::vector<FoundRow>& rows, std::vector<std::size_t> indices,
                              const RemovalOptions& options, RunContext& run) {
  SortIndices(indices, rows);
  if (indices.empty() || CheckMoveTarget(options, rows, indices) != MoveTarget::Usable) return {};
  std::vector<std::size_t> files, waste;
  for (std::size_t i : indices) (rows[i].kind == FoundKind::WasteFolder ? waste : files).push_back(i);
  removal::Outcomes out(rows.size());
  bool stopped = false;
  run.progressStart(static_cast<std::uint32_t>(indices.size()));
  if (options.mode == RemovalMode::DeleteDirectly) {
    HeldFolders folders;
    for (const std::vector<std::size_t>* group : {&files, &waste}) {
      for (std::size_t i : *group) {
        if (!run.proceed()) {
          stopped = true;
          break;
        }
        // Only this row's way stays held: a waste folder must not be held when its turn comes.
        folders.keepOnly(ParentFolder(rows[i].path));
        removal::DeleteThroughHandle(rows[i], i, folders, out);
        run.progressStep();
      }
      if (stopped) break;
    }
  } else {
    removal::RemoveThroughShell(rows, files, waste, options, run, out, stopped);
  }
  return out.report(indices, stopped);
}

std::wstring_view KeptReasonText(KeptReason reason) {
  switch (reason) {
    case KeptReason::None: return L"";
    case KeptReason::Changed: return L"扫描后已改动";
    case KeptReason::NotListed: return L"已非原文件";
    case KeptReason::PathChanged: return L"路径已改变";
    case KeptReason::InUse: return L"正在使用";
    case KeptReason::Refused: return L"拒绝访问";
    case KeptReason::OtherNames: return L"有多个名称";
    case KeptReason::NotEmpty: return L"目录不为空";
    case KeptReason::TooLong: return L"路径过长";
    case KeptReason::Declined: return L"已取消";
    case KeptReason::Failed: return L"未能删除";
  }
  return L"";
}

std::vector<std::size_t> AllRowIndices(std::size_t count) {
  std::vector<std::size_t> out(count);
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = i;
  return out;
}

std::wstring FreeName(std::wstring_view folder, std::wstring_view name, std::set<std::wstring>& taken) {
  const std::size_t dot = name.rfind(L'.');
  const bool hasExt = dot != std::wstring_view::npos && dot > 0;
  const std::wstring_view stem = hasExt ? name.substr(0, dot) : name;
  const std::wstring_view ext = hasExt ? name.substr(dot) : std::wstring_view();
  const std::wstring base = IncludeTrailingBackslash(folder);
  std::wstring folded;
  for (unsigned n = 1;; ++n) {
    std::wstring candidate(name);
    if (n > 1) candidate = std::wstring(stem) + L" (" + std::to_wstring(n) + L")" + std::wstring(ext);
    FoldInto(candidate, folded);
    if (taken.contains(folded)) continue;
    if (Fs().attributes(base + candidate) != INVALID_FILE_ATTRIBUTES) continue;
    taken.insert(folded);
    return candidate;
  }
}

}  // namespace wv
