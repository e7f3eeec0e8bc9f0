#include "pages/cleaning/clean_page.h"

#include <algorithm>

#include "core/utilities.h"
#include "ui/notify.h"
#include "platform/text.h"

namespace wv {

bool ConfirmRemoval(const RemovalOptions& options, const std::vector<FoundRow>& rows,
                    const std::vector<std::size_t>& indices, bool allRows) {
  switch (CheckMoveTarget(options, rows, indices)) {
    case MoveTarget::Usable:
      break;
    case MoveTarget::Missing:
      MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"目录错误", L"您指定的用于存放垃圾文件的目录错误，请重新选择！");
      return false;
    case MoveTarget::InsideScan:
      MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"目录错误",
             L"您指定的用于存放垃圾文件的目录位于扫描范围之内，请重新选择！");
      return false;
  }
  if (options.mode != RemovalMode::MoveToFolder) return true;
  return Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"文件清理",
                          allRows ? L"您“确定”把所有扫描到的垃圾文件移动到指定的目录吗？"
                                  : L"您“确定”把当前选中的垃圾文件移动到指定的目录吗？"));
}

std::wstring FoundSummary(std::wstring_view what, std::size_t rows, std::uint64_t total) {
  if (rows == 0) return L"未扫描到符合条件的" + std::wstring(what);
  return L"扫描到符合条件的" + std::wstring(what) + L"共 " + ToDecimal(static_cast<std::int64_t>(rows)) + L" 项,占用 " +
         FormatSize(total) + L" 硬盘空间";
}

RemovalMode RemovalModeOfRadio(int index) {
  switch (index) {
    case 0:
      return RemovalMode::DeleteDirectly;
    case 1:
      return RemovalMode::MoveToFolder;
    default:
      return RemovalMode::RecycleBin;
  }
}

void CreateTabs(HWND parent, ToggleGroup& group, InnerPages& pages, std::initializer_list<PageTab> tabs) {
  int index = 0;
  for (const PageTab& tab : tabs) {
    tab.button.create(parent, tab.caption, FlatButton::Look::Tab, &group);
    tab.button.onClick = [&pages, index] { pages.show(index); };
    ++index;
  }
  if (tabs.size() > 0) tabs.begin()->button.setDown(true);
  pages.create(parent, static_cast<int>(tabs.size()));
}

void CreateResultList(Panel& page, OwnerDataListView& list, const std::vector<ListColumn>& columns, RowModel& model) {
  list.create(page.handle(), ListStyle{.multiSelect = true}, columns, model);
  page.onSize = [&list](int w, int h) { list.setBounds(1, 1, w - 2, h - 2); };
}

void RemovalChoice::create(Panel& page, int editHeight) {
  const HWND h = page.handle();
  deleteDirectly.create(h, L"将垃圾文件直接删除", true);
  moveToFolder.create(h, L"将垃圾文件移动到指定的目录", false);
  recycleBin.create(h, L"将垃圾文件放进回收站", false);
  for (RadioButton* r : {&deleteDirectly, &moveToFolder, &recycleBin}) modes.add(*r);
  modes.select(2);
  moveFolder.create(h, L"", 300);
  moveFolderBrowse.create(h, L"...");
  page.onSize = [this, editHeight](int width, int) {
    deleteDirectly.setBounds(16, 16, 320, 20);
    moveToFolder.setBounds(16, 46, 320, 20);
    const int editW = std::min(420, width - 40 - editHeight - 8 - 16);
    moveFolder.setBounds(36, 72, editW, editHeight);
    moveFolderBrowse.setBounds(36 + editW + 6, 72, editHeight, editHeight);
    recycleBin.setBounds(16, 106, 320, 20);
  };
}

RemovalOptions RemovalChoice::options(HWND owner) const {
  RemovalOptions options;
  options.mode = RemovalModeOfRadio(modes.index());
  if (options.mode == RemovalMode::MoveToFolder) options.moveFolder = moveFolder.text();
  options.owner = owner;
  return options;
}

void RemovalChoice::browseMoveFolder() {
  std::wstring folder = moveFolder.text();
  if (ChooseFolder(L"请选择一个您要存放垃圾文件的目录...", L"", folder)) moveFolder.setText(folder);
}

ListRow FoundRowText(const FoundRow& row, int picture) {
  ListRow shown;
  shown.caption = row.path;
  if (row.kept != KeptReason::None) shown.sub.emplace_back(KeptReasonText(row.kept));
  else shown.sub.push_back(row.kind == FoundKind::WasteFolder ? std::wstring(kWasteFolderText) : FormatSize(row.size));
  shown.size = row.size;
  shown.image = picture;
  return shown;
}

std::wstring ApplyRemoval(ResultRows<FoundRow>& rows, const RemovalReport& report, std::wstring_view cleanedText) {
  for (const auto& [index, why] : report.kept) {
    if (index >= rows.size()) continue;
    FoundRow row = rows.at(index);
    row.kept = why;
    rows.update(index, std::move(row));
  }
  rows.eraseMany(report.gone);
  if (rows.empty()) return std::wstring(cleanedText);
  std::wstring text = (report.stopped ? L"清理被停止，已清理 " : L"已清理 ") +
                      ToDecimal(static_cast<std::int64_t>(report.removed)) + L" 项";
  if (!report.kept.empty())
    text += L"，另有 " + ToDecimal(static_cast<std::int64_t>(report.kept.size())) +
            L" 项未能清理，原因显示在其大小一栏";
  return text;
}

void RunRemoval(RunControl& removalRun, std::wstring_view handler, std::int32_t operation, OwnerDataListView& list,
                ResultRows<FoundRow>& rows, bool allRows, const RemovalOptions& options,
                const RemovalControls& controls, std::wstring_view cleanedText) {
  if (!removalRun.canStart()) {
    removalRun.requestStop();
    return;
  }
  // The control's row numbers are the model's once both hold the same rows.
  list.flush();
  std::vector<std::size_t> indices;
  if (allRows) {
    indices = AllRowIndices(rows.size());
  } else {
    for (int i : list.selection()) indices.push_back(static_cast<std::size_t>(i));
  }
  if (indices.empty()) return;
  if (!ConfirmRemoval(options, rows.rows(), indices, allRows)) return;

  Button& other = allRows ? controls.deleteSelected : controls.deleteAll;
  RunGuard run(removalRun, handler, operation, {&controls.scan, controls.scanFolder, &other, &controls.exportRows},
               [&rows, controls] {
                 controls.scan.setEnabled(true);
                 if (controls.scanFolder) controls.scanFolder->setEnabled(true);
                 controls.deleteSelected.setEnabled(!rows.empty());
                 controls.deleteAll.setEnabled(!rows.empty());
                 controls.exportRows.setEnabled(!rows.empty());
               });
  const RemovalReport report = RemoveFoundRows(rows.rows(), std::move(indices), options, removalRun);
  run.finish(ApplyRemoval(rows, report, cleanedText));
}

int FindFolderRow(const ListView& list, std::wstring_view folder) {
  const int n = list.count();
  for (int i = 0; i < n; ++i)
    if (EqualsNoCase(list.text(i, 0), folder)) return i;
  return -1;
}

void DeleteSelectedRows(ListView& list) {
  const std::vector<int> chosen = list.selection();
  for (auto it = chosen.rbegin(); it != chosen.rend(); ++it) list.deleteRow(*it);
}

}  // namespace wv
