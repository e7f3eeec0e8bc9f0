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
  std::vector<std::size_t> gone;
  gone.reserve(indices.size());
  for (auto it = indices.rbegin(); it != indices.rend(); ++it) {
    const RowDeletion result = DeleteRegistryRow(entry(*it));
    if (result == RowDeletion::Deleted || result == RowDeletion::Missing) gone.push_back(*it);
  }
  const std::size_t count = gone.size();
  rows_.eraseMany(std::move(gone));
  return count;
}

std::wstring RegistryPartlyCleanedText(std::size_t deleted, std::size_t kept) {
  return L"已删除 " + ToDecimal(static_cast<std::int64_t>(deleted)) + L" 项注册表冗余信息，" +
         ToDecimal(static_cast<std::int64_t>(kept)) + L" 项未删除（扫描后已改变、被系统拒绝或无法写入撤销文件），仍在列表中";
}

void RegistryResults::open(std::size_t index) const {
  const RegistryRow& row = entry(index);
  if (row.kind == RegRowKind::Value) OpenRegeditAt(RegistryEditorPath(row), row.valueName, 1);
  else OpenRegeditAt(RegistryEditorPath(row), L"", 0);
}

}  // namespace wv
