#pragma once
// Ordering lists of plain values: removing items by index, sorting by a text the
// way the lists sort their columns, and moving one item (drag reordering).

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace wv {

// Removes the items at these indices (any order; repeats and indices past the
// end are ignored) in one pass; returns the indices removed, ascending.
template <class T>
std::vector<std::size_t> EraseAt(std::vector<T>& items, std::vector<std::size_t> indices) {
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  indices.erase(std::lower_bound(indices.begin(), indices.end(), items.size()), indices.end());
  if (indices.empty()) return indices;
  std::size_t write = indices.front();
  auto next = indices.begin();
  for (std::size_t read = indices.front(); read < items.size(); ++read) {
    if (next != indices.end() && *next == read) {
      ++next;
      continue;
    }
    items[write++] = std::move(items[read]);
  }
  items.resize(write);
  return indices;
}

// Code-unit order with only ASCII letters folded, as the classic text comparison does.
int CompareAsciiNoCase(std::wstring_view a, std::wstring_view b);

// Sorts by text(item) without regard to ASCII case, stably; descending when the
// first item is below the last one by that same comparison, else ascending, so
// that each call with the same text reverses the order.
template <class T, class Text>
void SortByText(std::vector<T>& items, Text text) {
  if (items.size() < 2) return;
  // The direction is fixed once from the items' current ends, by the same comparison
  // as the sort: judged by exact code order, a list ascending as "apple" .. "Banana"
  // would look descending and every later click would sort it ascending again.
  const bool descending = CompareAsciiNoCase(text(items.front()), text(items.back())) < 0;
  std::stable_sort(items.begin(), items.end(), [&text, descending](const T& a, const T& b) {
    const int c = CompareAsciiNoCase(text(a), text(b));
    return descending ? c > 0 : c < 0;
  });
}

// Moves item source to the place of item target (insert before target, after it
// when target lies below source); target -1 or out of range means the last item.
// Returns the new index of the moved item, -1 when source is out of range.
template <class T>
int MoveItem(std::vector<T>& items, int source, int target) {
  const int count = static_cast<int>(items.size());
  if (source < 0 || source >= count) return -1;
  if (target < 0 || target >= count) target = count - 1;
  const auto first = items.begin();
  if (target > source) std::rotate(first + source, first + source + 1, first + target + 1);
  else if (target < source) std::rotate(first + target, first + source, first + source + 1);
  return target;
}

}  // namespace wv
