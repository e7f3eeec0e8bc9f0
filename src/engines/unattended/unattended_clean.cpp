#include "engines/unattended/unattended_clean.h"

#include <set>
#include <utility>

#include "core/utilities.h"
#include "engines/cleaning/winapp2_detect.h"
#include "engines/cleaning/winapp2_scan.h"
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

bool IsRegistryRow(const FoundRow& row) {
  return row.registry && (row.kind == FoundKind::RegistryKey || row.kind == FoundKind::RegistryValue);
}

bool IsRefusedRow(const FoundRow& row) {
  return row.kind == FoundKind::RefusedFolder || row.kind == FoundKind::RefusedKey;
}

// The registry rows of a part go first, after their undo file. False when the
// undo file could not be written: then nothing of the part may go.
bool RemoveRegistryPart(const std::vector<FoundRow>& rows, std::wstring_view regBackupDir, std::vector<bool>& removed,
                        std::vector<std::wstring>& reasons, UnattendedOutcome& out) {
  std::vector<std::size_t> keys;
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (reasons[i].empty() && IsRegistryRow(rows[i])) keys.push_back(i);
  if (keys.empty()) return true;
  const RegistryRemoval done = RemoveRegistryRows(rows, keys, regBackupDir);
  if (!done.undo.written) {
    const std::wstring why = std::wstring(kUndoNotWritten) + done.undo.error;
    for (std::wstring& reason : reasons)
      if (reason.empty()) reason = why;
    return false;
  }
  out.undoFile = done.undo.path;
  for (std::size_t i : done.gone) removed[i] = true;
  for (const auto& [i, result] : done.left)
    reasons[i] = result == RowDeletion::Changed ? std::wstring(kRegistryChanged) : L"系统未能删除此注册表项目";
  return true;
}

// Why nothing of the chosen file rows went: the move mode's target folder.
std::wstring_view TargetProblem(MoveTarget target) {
  switch (target) {
    case MoveTarget::Missing: return L"存放垃圾文件的目录不存在";
    case MoveTarget::InsideScan: return L"存放垃圾文件的目录位于扫描范围之内";
    case MoveTarget::Usable: break;
  }
  return {};
}

// One part's rows: listed only, or removed and judged.
void Finish(const std::vector<Listed>& listed, const UnattendedPart& part, bool remove, std::wstring_view regBackupDir,
            RunContext& run, UnattendedOutcome& out) {
  std::vector<FoundRow> rows;
  rows.reserve(listed.size());
  std::vector<std::wstring> reasons(listed.size());
  for (std::size_t i = 0; i < listed.size(); ++i) {
    rows.push_back(listed[i].row);
    if (IsRefusedRow(rows[i])) {
      reasons[i] = RefusalReason(rows[i]);
      continue;
    }
    ++out.listed;
    out.listedBytes += rows[i].size;
  }
  if (!remove) {
    for (std::size_t i = 0; i < listed.size(); ++i) {
      const bool refused = !reasons[i].empty();
      out.kept += refused;
      out.rows.push_back(ReportRowOf(rows[i], part.page, CaptionOf(part, rows[i]),
                                     refused ? ReportAction::Kept : ReportAction::WouldRemove, listed[i].time, reasons[i]));
    }
    return;
  }

  std::vector<bool> removed(rows.size(), false);
  bool stopped = false;
  if (RemoveRegistryPart(rows, regBackupDir, removed, reasons, out)) {
    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (reasons[i].empty() && IsFileKind(rows[i].kind)) chosen.push_back(i);
    RemovalOptions options = part.removal;
    options.unattended = true;
    options.owner = nullptr;
    // The page's removal: each entry checked just before it goes (a file changed
    // since it was listed, or reached through a folder swapped for a link, stays),
    // and a move gives a free name rather than replace anything.
    const std::wstring_view target = TargetProblem(CheckMoveTarget(options, rows, chosen));
    if (!target.empty()) {
      for (std::size_t i : chosen) reasons[i] = target;
    } else {
      const RemovalReport report = RemoveFoundRows(rows, chosen, options, run);
      for (std::size_t i : report.gone) removed[i] = true;
      for (const auto& [i, why] : report.kept) reasons[i] = KeptReasonText(why);
      stopped = report.stopped;
    }
  }
  const SYSTEMTIME when = Now();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const FoundRow& row = rows[i];
    if (removed[i]) {
      ++out.removed;
      out.removedBytes += row.size;
      out.rows.push_back(ReportRowOf(row, part.page, CaptionOf(part, row), ReportAction::Removed, when));
      continue;
    }
    std::wstring why = reasons[i];
    if (why.empty()) why = stopped ? L"清理被中止，未删除" : std::wstring(KeptReasonText(KeptReason::Failed));
    ++out.kept;
    out.rows.push_back(ReportRowOf(row, part.page, CaptionOf(part, row), ReportAction::Kept, when, std::move(why)));
  }
}

// The ticked entries that apply here, read and detected as the daily page does,
// scanned after the daily items (whose paths they do not list again); their
// rows join the daily ones. A rule file that cannot be read gives a kept row.
// False when the run was stopped.
bool ScanRuleEntries(const UnattendedRules& rules, const UnattendedPart& part, int item, RunContext& run,
                     std::vector<Listed>& daily, std::set<std::wstring>& dailyPaths, std::optional<ReportRow>& unread) {
  if (rules.ticked.empty()) return true;
  const Winapp2File file = ReadWinapp2(rules.file);
  if (file.refused()) {
    ReportRow row;
    row.time = Now();
    row.page = part.page;
    row.rule = L"winapp2.ini";
    row.path = rules.file;
    row.action = ReportAction::Kept;
    row.reason = L"无法读取规则文件（" + file.refusal + L"），勾选的 " +
                 ToDecimal(static_cast<std::int64_t>(rules.ticked.size())) + L" 项规则没有运行";
    unread = std::move(row);
    return true;
  }
  const std::vector<bool> detected = DetectEntries(file.entries, rules.folders, Sys().version());
  const std::set<std::wstring> ticked(rules.ticked.begin(), rules.ticked.end());
  Winapp2ScanInput input;
  for (std::size_t i = 0; i < file.entries.size(); ++i)
    if (detected[i] && ticked.contains(file.entries[i].name)) input.entries.push_back({&file.entries[i], i, true});
  if (input.entries.empty()) return true;
  input.folders = rules.folders;
  input.protection = rules.protection;
  input.item = item;
  std::wstring folded;
  for (const Listed& l : daily) {
    FoldInto(l.row.path, folded);
    input.alreadyListed.insert(folded);
  }
  const Winapp2ScanResult result = Winapp2Scan(input, run, [&](FoundRow row) {
    if (row.kind == FoundKind::File) dailyPaths.insert(ToUpper(row.path));
    daily.push_back({std::move(row), Now()});
  });
  return !result.stopped;
}

}  // namespace

std::wstring RefusalReason(const FoundRow& row) {
  if (row.kind == FoundKind::RefusedKey) return L"规则被拒绝：系统共用的注册表键";
  return L"规则被拒绝：该目录" + std::wstring(FolderProtectionText(row.protection));
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
  std::optional<ReportRow> unread;
  if (request.daily && request.rules && !out.stopped) {
    const int item = static_cast<int>(request.daily->items.size());  // after the built-in items, as on the page
    out.stopped = !ScanRuleEntries(*request.rules, request.dailyPart, item, run, daily, dailyPaths, unread);
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
  const std::wstring regBackupDir = request.rules ? request.rules->registryBackupFolder : std::wstring();
  Finish(daily, request.dailyPart, remove, regBackupDir, run, out);
  if (unread) {
    out.rows.push_back(std::move(*unread));
    ++out.kept;
  }
  Finish(junk, request.junkPart, remove, regBackupDir, run, out);
  if (out.stopped && !request.preview) {
    for (ReportRow& row : out.rows)
      if (row.action != ReportAction::Kept) {
        row.action = ReportAction::Kept;
        row.reason = L"清理被中止，未删除";
      }
    out.kept = out.rows.size();
  }
  return out;
}

}  // namespace wv
