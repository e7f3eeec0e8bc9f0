#pragma once
// The scan-item catalogue: the fixed rows of each cleaning page's checkable list.
// Engines identify an item only by its position, the settings file by its
// caption, so order and texts are binding.

#include "core/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <string_view>
#include <vector>

#include "core/rows.h"

namespace wv {

struct CatalogueRow {
  std::wstring_view caption;
  std::wstring_view advice;  // "推荐"/"可选", or the type description of a junk mask
  int icon;                  // index into the shared picture list
  int recommended;           // 1 or 0
};

// The rows of a module key ("zcql", "zcrc", "wjql", "wjrc", "qtrc"; any case),
// empty for any other key.
const std::vector<CatalogueRow>& CatalogueRows(std::wstring_view moduleKey);

// Appends the key's rows to the list's rows (image = icon, state = recommended flag,
// first sub-item the advice, "qtrc" also an empty result column), then ticks every
// row whose state is 1 (rows already there included).
void FillCatalogue(std::wstring_view moduleKey, std::vector<ListRow>& rows);

// Ticks exactly the rows whose recommended flag (state) is 1.
void RestoreDefaults(std::vector<ListRow>& rows);

}  // namespace wv
