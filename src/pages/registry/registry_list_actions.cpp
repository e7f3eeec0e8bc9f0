#include "pages/registry/registry_list_actions.h"

#include "core/utilities.h"
#include "engines/registry/registry_undo.h"
#include "pages/registry/registry_reports.h"
#include "ui/notify.h"

namespace wv {

void DeleteRegistryRowsAsked(RegistryResults& results, OwnerDataListView& list, bool all, std::wstring_view question,
                             std::wstring_view regBackupDir, Button& deleteSelected, Button& deleteAll) {
  std::vector<std::size_t> rows;
  if (all) {
    for (std::size_t i = 0; i < results.size(); ++i) rows.push_back(i);
  } else {
    for (const int i : list.selection()) rows.push_back(static_cast<std::size_t>(i));
    if (rows.empty()) return;
  }
  if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, kRegistryCleanHeading, question))) return;
  // What the undo file cannot carry stays, listed: deleting it could not be taken back.
  std::vector<UndoTarget> targets;
  std::vector<std::size_t> deletable;
  std::size_t asked = 0;
  targets.reserve(rows.size());
  for (const std::size_t i : rows) {
    if (i >= results.size()) continue;  // as deleteRows skips it
    ++asked;
    const RegistryRow& row = results.entry(i);
    UndoTarget target{row.root, row.keyPath, row.kind == RegRowKind::Key, row.valueName};
    if (!UndoCanCarry(target)) continue;
    targets.push_back(std::move(target));
    deletable.push_back(i);
  }
  if (const UndoFile undo = WriteUndoFile(targets, regBackupDir); !undo.written) {
    ReportUndoFailure(undo);
    return;
  }
  const std::size_t deleted = results.deleteRows(std::move(deletable));
  if (deleted < asked) {
    SetRunInfo(RegistryPartlyCleanedText(deleted, asked - deleted));
    return;
  }
  if (!results.empty()) return;
  deleteSelected.setEnabled(false);
  deleteAll.setEnabled(false);
  SetRunInfo(kRegistryCleanedText);
}

void OpenSelectedRegistryRow(const RegistryResults& results, const OwnerDataListView& list) {
  const int i = list.selected();
  if (i >= 0 && static_cast<std::size_t>(i) < results.size()) results.open(static_cast<std::size_t>(i));
}

}  // namespace wv
