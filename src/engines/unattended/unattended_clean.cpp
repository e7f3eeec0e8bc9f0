#include "engines/unattended/unattended_clean.h"

#include <set>
#include <utility>

#include "core/utilities.h"
#include "platform/text.h"
#include "platform/platform.h"

namespace wv {
namespace {

SYSTEMTIME Now() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return t;
}

struct Listed {
  FoundRow row;
  SYSTEMTIME time;
};

std::wstring_view CaptionOf(const UnattendedPart& part, const FoundRow& row) {
  if (row.item < 0 || static_cast<std::size_t>(row.item) >= part.itemCaptions.size()) return {};
  return part.itemCaptions[static_cast<std::size_t>(row.item)];
}

bool FolderHoldsAnything(const std::wstring& folder) {
  const std::unique_ptr<DirSearch> search = Fs().search(IncludeTrailingBackslash(folder) + L"*.*");
  if (!search) return true;  // cannot be read: as good as full
  FindEntry entry;
  while (search->next(entry))
    if (!entry.isDots()) return true;
  return false;
}

// One part's rows: listed only, or removed and judged.
void Finish(const std::vector<Listed>& listed, const UnattendedPart& part, bool remove, UnattendedOutcome& out) {
  std::vector<FoundRow> rows;
  rows.reserve(listed.size());
  for (const Listed& l : listed) {
    rows.push_back(l.row);
    ++out.listed;
    out.listedBytes += l.row.size;
  }
  if (!remove) {
    for (const Listed& l : listed)
      out.rows.push_back(ReportRowOf(l.row, part.page, CaptionOf(part, l.row), ReportAction::WouldRemove, l.time));
    return;
  }

  std::vector<std::wstring> reasons(rows.size());
  std::vector<std::size_t> chosen;
  const bool move = part.removal.mode == RemovalMode::MoveToFolder;
  std::set<std::wstring> namesInTarget;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const FoundRow& row = rows[i];
    // A file that changed since it was listed is no longer what the scan judged.
    if (row.kind == FoundKind::File && FileExists(row.path) && GetFileSizeOf(row.path) != row.size) {
      reasons[i] = std::wstring(kChangedSinceListed);
      continue;
    }
    // Nobody is there to say whether a file of the same name may be replaced: it may not.
    if (move) {
      const std::wstring name = ToUpper(ExtractFileName(row.path));
      if (namesInTarget.contains(name) ||
          Fs().attributes(IncludeTrailingBackslash(part.removal.moveFolder) + std::wstring(ExtractFileName(row.path))) !=
              INVALID_FILE_ATTRIBUTES) {
        reasons[i] = std::wstring(kNameTakenInTarget);
        continue;
      }
      namesInTarget.insert(name);
    }
    chosen.push_back(i);
  }
  RemovalOptions options = part.removal;
  options.unattended = true;
  options.owner = nullptr;
  const std::vector<std::size_t> gone = RemoveFoundRows(rows, chosen, options);
  std::vector<bool> removed(rows.size(), false);
  for (std::size_t i : gone) removed[i] = true;
  const SYSTEMTIME when = Now();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const FoundRow& row = rows[i];
    if (removed[i]) {
      ++out.removed;
      out.removedBytes += row.size;
      out.rows.push_back(ReportRowOf(row, part.page, CaptionOf(part, row), ReportAction::Removed, when));
      continue;
    }
    std::wstring why = reasons[i].empty() ? WhyKept(row) : reasons[i];
    if (why.empty()) why = L"未能删除";
    ++out.kept;
    out.rows.push_back(ReportRowOf(row, part.page, CaptionOf(part, row), ReportAction::Kept, when, std::move(why)));
  }
}

}  // namespace

std::wstring WhyKept(const FoundRow& row) {
  if (row.kind == FoundKind::WasteFolder) {
    if (!DirectoryExists(row.path)) return {};
    return FolderHoldsAnything(row.path) ? L"目录中还有未删除的文件" : L"系统未能删除此目录";
  }
  if (!FileExists(row.path)) return {};
  if (IsFileInUse(row.path)) return L"文件正被其他程序使用";
  if (GetFileSizeOf(row.path) != row.size) return std::wstring(kChangedSinceListed);
  return L"系统未能删除此文件";
}

UnattendedOutcome RunUnattendedClean(const UnattendedRequest& request, RunContext& run) {
  UnattendedOutcome out;
  std::vector<Listed> daily, junk;
  std::set<std::wstring> dailyPaths;
  if (request.daily) {
    const FileScanResult result = DailyFileScan(*request.daily, run, [&](FoundRow row) {
      if (row.kind == FoundKind::File) dailyPaths.insert(ToUpper(row.path));
      daily.push_back({std::move(row), Now()});
    });
    out.stopped = result.stopped;
  }
  if (request.junk && !out.stopped) {
    const FileScanResult result = JunkFileScan(*request.junk, run, [&](FoundRow row) {
      if (!dailyPaths.contains(ToUpper(row.path))) junk.push_back({std::move(row), Now()});
    });
    out.stopped = result.stopped;
  }
  // A run stopped part way removes nothing: what it listed is reported as kept.
  const bool remove = !request.preview && !out.stopped;
  if (request.onListed) {
    std::uint64_t bytes = 0;
    for (const auto* part : {&daily, &junk})
      for (const Listed& l : *part) bytes += l.row.size;
    request.onListed(daily.size() + junk.size(), bytes);
  }
  Finish(daily, request.dailyPart, remove, out);
  Finish(junk, request.junkPart, remove, out);
  if (out.stopped && !request.preview) {
    for (ReportRow& row : out.rows) {
      row.action = ReportAction::Kept;
      row.reason = L"清理被中止，未删除";
    }
    out.kept = out.rows.size();
  }
  return out;
}

}  // namespace wv
