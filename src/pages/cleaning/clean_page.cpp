#include "pages/cleaning/clean_page.h"

#include <algorithm>

#include "core/utilities.h"
#include "ui/notify.h"
#include "platform/text.h"

namespace wv {

// Before a removal: in the move mode, a missing target folder is reported and
// the user is asked to confirm (allRows picks the text for "全部删除"); false
// means stop. The other modes ask nothing here.
bool ConfirmRemoval(const RemovalOptions& options, bool allRows) {
  if (options.mode != RemovalMode::MoveToFolder) return true;
  if (TargetMissing(options)) {
    MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"目录错误", L"您指定的用于存放垃圾文件的目录错误，请重新选择！");
    return false;
  }
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

std::size_t RemoveFound(ResultRows<FoundRow>& rows, std::vector<std::size_t> indices, const RemovalOptions& options) {
  std::vector<std::size_t> gone = RemoveFoundRows(rows.rows(), std::move(indices), options);
  const std::size_t count = gone.size();
  rows.eraseMany(std::move(gone));
  return count;
}

ListRow FoundRowText(const FoundRow& row, int picture) {
  ListRow shown;
  shown.caption = row.path;
  shown.sub.push_back(row.kind == FoundKind::WasteFolder ? std::wstring(kWasteFolderText) : FormatSize(row.size));
  shown.size = row.size;
  shown.image = picture;
  return shown;
}

void RemoveResultRows(OwnerDataListView& list, ResultRows<FoundRow>& rows, bool allRows,
                      const RemovalOptions& options, const ResultButtons& buttons, std::wstring_view cleanedText) {
  // The control's row numbers are the model's once both hold the same rows.
  list.flush();
  std::vector<std::size_t> indices;
  if (allRows) {
    indices = AllRowIndices(rows.size());
  } else {
    for (int i : list.selection()) indices.push_back(static_cast<std::size_t>(i));
  }
  if (indices.empty()) return;
  if (!ConfirmRemoval(options, allRows)) return;

  for (Button* b : {&buttons.scan, &buttons.deleteSelected, &buttons.deleteAll}) b->setEnabled(false);
  static_cast<void>(RemoveFound(rows, std::move(indices), options));
  buttons.scan.setEnabled(true);
  const bool left = !rows.empty();
  buttons.deleteSelected.setEnabled(left);
  buttons.deleteAll.setEnabled(left);
  if (!left) SetRunInfo(cleanedText);
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
