#include "registry/regresults.h"

#include <algorithm>

#include "core/publline.h"

namespace wv {

ListRow RegistryListRow(const RegistryRow& row, int image) {
  ListRow out;
  out.caption = RootName(row.root);
  out.sub = {row.keyPath, ValueNameCell(row), row.display};
  out.image = image;
  return out;
}

std::wstring RegistryEditorPath(const RegistryRow& row) { return std::wstring(RootName(row.root)) + row.keyPath; }

void RegistryResults::clear() {
  entries_.clear();
  model_.clear();
}

void RegistryResults::add(RegistryRow&& row, int image) {
  ListRow text = RegistryListRow(row, image);
  entries_.push_back(std::move(row));
  model_.append(std::move(text));
}

std::size_t RegistryResults::deleteRows(std::vector<std::size_t> indices) {
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  indices.erase(std::lower_bound(indices.begin(), indices.end(), entries_.size()), indices.end());
  std::size_t deleted = 0;
  for (auto it = indices.rbegin(); it != indices.rend(); ++it)
    if (DeleteRegistryRow(entries_[*it]) == RowDeletion::Deleted) ++deleted;
  // One pass, not one erase per row: "delete all" may meet tens of thousands.
  std::vector<RegistryRow> kept;
  kept.reserve(entries_.size() - indices.size());
  auto next = indices.begin();
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (next != indices.end() && *next == i) {
      ++next;
      continue;
    }
    kept.push_back(std::move(entries_[i]));
  }
  entries_ = std::move(kept);
  model_.eraseMany(std::move(indices));
  return deleted;
}

void RegistryResults::open(std::size_t index) const {
  const RegistryRow& row = entries_.at(index);
  if (row.kind == RegRowKind::Value) OpenRegeditAt(RegistryEditorPath(row), row.valueName, 1);
  else OpenRegeditAt(RegistryEditorPath(row), L"", 0);
}

}  // namespace wv
