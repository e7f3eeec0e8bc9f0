#pragma once
// The scan-item catalogue: the fixed rows of each cleaning page's checkable list.
// Engines identify an item only by its position, the settings file by its
// caption, so order and texts are binding.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_APP, "the catalogue is what the pages show: window side");

#include <string_view>
#include <vector>

#include "ui/list_rows.h"
#include "core/modules.h"

namespace wv {

struct CatalogueRow {
  std::wstring_view caption;
  std::wstring_view advice;  // "推荐"/"可选", or the type description of a junk mask
  int icon;                  // index into the shared picture list
  int recommended;           // 1 or 0
};

// The rows of a cleaning module (redundancy, registry traces, junk files, daily
// files, other traces), empty for any other module.
const std::vector<CatalogueRow>& CatalogueRows(Module module);

// Appends the module's rows to the list's rows (image = icon, state = recommended
// flag, first sub-item the advice, the other-traces page also an empty result
// column), then ticks every row whose state is 1 (rows already there included).
void FillCatalogue(Module module, std::vector<ListRow>& rows);

// Ticks exactly the rows whose recommended flag (state) is 1.
void RestoreDefaults(std::vector<ListRow>& rows);

}  // namespace wv
