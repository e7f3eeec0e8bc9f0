// Column sorting and drag reordering of list rows.
#include <algorithm>

#include "core/utilities.h"

namespace wv {
namespace {

inline wchar_t AsciiUpper(wchar_t ch) { return (ch >= L'a' && ch <= L'z') ? static_cast<wchar_t>(ch - 32) : ch; }

// Code-unit order with only ASCII letters folded, as the classic text comparison does.
int CompareAsciiNoCase(std::wstring_view a, std::wstring_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const wchar_t x = AsciiUpper(a[i]);
    const wchar_t y = AsciiUpper(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace

void SortListByColumn(std::vector<ListRow>& rows, int column) {
  if (rows.size() < 2) return;
  // The direction is fixed once from the rows' current ends, by the same comparison
  // as the sort: judged by exact code order, a list ascending as "apple" .. "Banana"
  // would look descending and every later click would sort it ascending again.
  const bool descending = CompareAsciiNoCase(rows.front().column(column), rows.back().column(column)) < 0;
  std::stable_sort(rows.begin(), rows.end(), [column, descending](const ListRow& a, const ListRow& b) {
    const int c = CompareAsciiNoCase(a.column(column), b.column(column));
    return descending ? c > 0 : c < 0;
  });
}

int MoveListItem(std::vector<ListRow>& rows, int source, int target) {
  const int count = static_cast<int>(rows.size());
  if (source < 0 || source >= count) return -1;
  if (target < 0 || target >= count) target = count - 1;
  const auto first = rows.begin();
  if (target > source) std::rotate(first + source, first + source + 1, first + target + 1);
  else if (target < source) std::rotate(first + target, first + source, first + source + 1);
  return target;
}

}  // namespace wv
