#include "pages/registry/registry_results.h"

#include <algorithm>

#include "core/utilities.h"

namespace wv {

ListRow RegistryListRow(const RegistryRow& row, int image) {
  ListRow out;
  out.caption = RootName(row.root);
  out.sub = {row.keyPath, ValueNameCell(row), row.display};
  out.image = image;
  return out;
}

std::wstring RegistryEditorPath(const RegistryRow& row) { return std::wstring(RootName(row.root)) + row.keyPath; }

std::size_t RegistryResults::deleteRows(std::vector<std::size_t> indices) {
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  indices.erase(std::lower_bound(indices.begin(), indices.end(), rows_.size()), indices.end());
  std::size_t deleted = 0;
  for (auto it = indices.rbegin(); it != indices.rend(); ++it)
    if (DeleteRegistryRow(entry(*it)) == RowDeletion::Deleted) ++deleted;
  rows_.eraseMany(std::move(indices));
  return deleted;
}

void RegistryResults::open(std::size_t index) const {
  const RegistryRow& row = entry(index);
  if (row.kind == RegRowKind::Value) OpenRegeditAt(RegistryEditorPath(row), row.valueName, 1);
  else OpenRegeditAt(RegistryEditorPath(row), L"", 0);
}

}  // namespace wv
