#pragma once
// Sorting and reordering the rows of a list.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <vector>

#include "core/list_rows.h"

namespace wv {

// Sorts by the column (0 caption, k >= 1 sub-item k-1) as text without regard to
// ASCII case; descending when the first row is below the last one by that same
// comparison, else ascending, so that each call on the same column reverses the order.
void SortListByColumn(std::vector<ListRow>& rows, int column);
// Moves row source to the place of row target (insert before target, after it when
// target lies below source); target -1 or out of range means the last row.
// Returns the new index of the moved row.
int MoveListItem(std::vector<ListRow>& rows, int source, int target);

}  // namespace wv
