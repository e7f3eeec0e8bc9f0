#pragma once
// The handlers' bodies the two registry pages share: deleting rows after the
// page's question, and the double-click into the registry editor.

#include <string_view>

#include "pages/registry/registry_results.h"
#include "ui/controls.h"
#include "ui/list_view.h"

namespace wv {

// Asks the question (OK and Cancel); on OK first writes what the rows (all of
// them, or the list's selection) would remove to an undo file in regBackupDir,
// then deletes them and, once the list is empty, disables both delete buttons
// and says so on the status line. Nothing selected: no question. An undo file
// that cannot be written deletes nothing and tells the user why.
void DeleteRegistryRowsAsked(RegistryResults& results, OwnerDataListView& list, bool all, std::wstring_view question,
                             std::wstring_view regBackupDir, Button& deleteSelected, Button& deleteAll);
// The registry editor at the first selected row's entry.
void OpenSelectedRegistryRow(const RegistryResults& results, const OwnerDataListView& list);

}  // namespace wv
