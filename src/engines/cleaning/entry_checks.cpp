#include "engines/cleaning/entry_checks.h"

#include <utility>
#include <vector>

#include "platform/text.h"

namespace wv {
namespace {

// Where the folders of a path start: after "C:\" or "\\server\share\".
std::size_t RootEnd(std::wstring_view path) {
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return 3;
  if (path.starts_with(L"\\\\")) {
    const std::size_t server = path.find(L'\\', 2);
    if (server == std::wstring_view::npos) return path.size();
    const std::size_t share = path.find(L'\\', server + 1);
    return share == std::wstring_view::npos ? path.size() : share + 1;
  }
  return 0;
}

bool IsLink(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

std::wstring ParentFolder(std::wstring_view path) { return std::wstring(ExtractFilePath(path)); }

KeptReason ReasonOfError(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return KeptReason::InUse;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_WRITE_PROTECT:
      return KeptReason::Refused;
    case ERROR_DIR_NOT_EMPTY:
      return KeptReason::NotEmpty;
    case ERROR_CANCELLED:
      return KeptReason::Declined;
    default:
      return KeptReason::Failed;
  }
}

const HeldFolder& HeldFolders::hold(const std::wstring& folder, std::size_t rootLength) {
  const std::size_t start = RootEnd(folder);
  const HeldFolder* above = nullptr;
  // From the drive's root down, each level once.
  for (std::size_t end = start == 0 ? folder.size() : start; end <= folder.size();) {
    const std::wstring_view level = std::wstring_view(folder).substr(0, end);
    FoldInto(level, key_);
    auto [it, added] = held_.try_emplace(key_);
    HeldFolder& h = it->second;
    if (added) {
      if (above && (above->gone || above->problem != KeptReason::None)) {
        h.gone = above->gone;
        h.problem = above->problem;
      } else {
        SysResult why;
        h.entry = Fs().openEntry(level, EntryOpen::Hold, &why);
        if (!h.entry) {
          if (why.notFound()) h.gone = true;
          else h.problem = ReasonOfError(why.error());
        } else {
          const std::optional<EntryFacts> facts = h.entry->facts();
          h.finalPath = h.entry->finalPath();
          if (!h.finalPath.empty()) h.finalPath = IncludeTrailingBackslash(h.finalPath);
          const bool below = end > rootLength;
          // The handle shows a link that was opened as itself; the name's own
          // attributes (asked without the trailing backslash, which would lead
          // through it) show one that the system followed anyway (Wine); and a
          // folder whose handle leads anywhere but to that name in the folder
          // above was reached through something other than a real folder.
          const std::wstring name = ExcludeTrailingBackslash(level);
          if (!facts || !(facts->attributes & FILE_ATTRIBUTE_DIRECTORY)) h.problem = KeptReason::PathChanged;
          else if (below && above && (IsLink(facts->attributes) || IsLink(Fs().attributes(name))))
            h.problem = KeptReason::PathChanged;
          else if (below && above && !above->finalPath.empty() && !h.finalPath.empty() &&
                   !EqualsNoCase(h.finalPath, above->finalPath + std::wstring(ExtractFileName(name)) + L"\\"))
            h.problem = KeptReason::PathChanged;
          if (h.problem != KeptReason::None) h.entry.reset();
        }
      }
    }
    above = &h;
    if (end == folder.size()) break;
    const std::size_t next = folder.find(L'\\', end);
    end = next == std::wstring::npos ? folder.size() : next + 1;
  }
  return *above;
}

void HeldFolders::keepOnly(const std::wstring& folder) {
  FoldInto(folder, key_);
  for (auto it = held_.begin(); it != held_.end();) {
    if (key_.starts_with(it->first)) ++it;
    else it = held_.erase(it);
  }
}

EntryCheck CheckEntry(const FoundRow& row, HeldFolders& folders, EntryOpen how) {
  EntryCheck check;
  const std::wstring parentPath = ParentFolder(row.path);
  const HeldFolder& parent = folders.hold(parentPath, row.rootLength);
  if (parent.gone) {
    check.gone = true;
    return check;
  }
  if (parent.problem != KeptReason::None) {
    check.problem = parent.problem;
    return check;
  }
  SysResult why;
  check.entry = Fs().openEntry(row.path, how, &why);
  if (!check.entry) {
    if (why.notFound()) check.gone = true;
    else check.problem = ReasonOfError(check.error = why.error());
    return check;
  }
  const auto fail = [&](KeptReason reason) {
    check.problem = reason;
    check.entry.reset();
    return std::move(check);
  };
  const std::optional<EntryFacts> facts = check.entry->facts();
  if (!facts) return fail(KeptReason::Failed);
  check.facts = *facts;
  const bool folder = (facts->attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (folder != (row.kind == FoundKind::WasteFolder)) return fail(KeptReason::NotListed);
  if (folder && IsLink(facts->attributes)) return fail(KeptReason::PathChanged);
  // The handle leads to the entry of that name in the held parent, not through
  // a link at its own name to somewhere else.
  const std::wstring finalPath = check.entry->finalPath();
  if (!finalPath.empty() && !parent.finalPath.empty() &&
      !EqualsNoCase(ExcludeTrailingBackslash(finalPath), parent.finalPath + std::wstring(ExtractFileName(row.path))))
    return fail(KeptReason::PathChanged);
  const FoundIdentity& seen = row.identity;
  if (seen.fileId != 0 && facts->fileId != 0 && seen.fileId != facts->fileId) return fail(KeptReason::NotListed);
  if (seen.volumeSerial != 0) {
    // A folder's own volume, a file's the volume of its folder: as the scans read them.
    const std::uint32_t serial =
        folders.serials().of(folder ? IncludeTrailingBackslash(finalPath) : parent.finalPath);
    if (serial != 0 && serial != seen.volumeSerial) return fail(KeptReason::NotListed);
  }
  if (!folder && (facts->size != row.size || (seen.lastWrite != 0 && facts->lastWrite != seen.lastWrite)))
    return fail(KeptReason::Changed);
  return check;
}

}  // namespace wv
