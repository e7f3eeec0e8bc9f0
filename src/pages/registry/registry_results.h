#pragma once
// What the two registry pages share about their result lists: each shown row
// keeps the registry entry it stands for, so that deleting or opening a row acts
// on that entry and never on whatever its text would also fit.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ui/result_rows.h"
#include "ui/list_rows.h"
#include "engines/registry/redundancy_scan.h"

namespace wv {

// Wide enough for "HKEY_LOCAL_MACHINE" beside its picture in the page font.
inline constexpr int kRootColumnWidth = 156;
// The picture of the redundancy page's rows.
inline constexpr int kRedundancyRowImage = 8;
// The status text once deleting has emptied a registry result list.
inline constexpr std::wstring_view kRegistryCleanedText = L"所有扫描到的注册表冗余信息已清理完成";
inline constexpr std::wstring_view kRegistryCleanHeading = L"注册清理";
// The status text after a clean that left some of its rows listed.
std::wstring RegistryPartlyCleanedText(std::size_t deleted, std::size_t kept);

// The text row of an entry: root name, key path, value-name cell, the fourth column.
ListRow RegistryListRow(const RegistryRow& row, int image);
// The key as the registry editor shows it ("HKEY_CURRENT_USER\Software\...").
std::wstring RegistryEditorPath(const RegistryRow& row);

// The rows of one page: the entries and, index for index, the text rows its
// owner-data list shows.
class RegistryResults {
 public:
  [[nodiscard]] RowModel& model() { return model_; }
  [[nodiscard]] const RowModel& model() const { return model_; }
  [[nodiscard]] std::size_t size() const { return rows_.size(); }
  [[nodiscard]] bool empty() const { return rows_.empty(); }
  [[nodiscard]] const RegistryRow& entry(std::size_t index) const { return rows_.at(index).row; }

  void clear() { rows_.clear(); }
  void add(RegistryRow&& row, int image) { rows_.append({std::move(row), image}); }
  // Deletes the entries at these indices, from the last to the first (each only
  // while unchanged since the scan), then takes out of the list those whose
  // entries are gone (deleted now, or by someone else before). Returns how many
  // went; the others (changed since the scan, refused) stay listed.
  std::size_t deleteRows(std::vector<std::size_t> indices);
  // The registry editor at the row's key, on its value for a value row.
  void open(std::size_t index) const;

 private:
  // The picture differs by row (the daily-trace rows take their item's).
  struct Shown {
    RegistryRow row;
    int image = -1;
  };

  RowModel model_;
  ResultRows<Shown> rows_{model_, [](const Shown& s) { return RegistryListRow(s.row, s.image); }};
};

}  // namespace wv
