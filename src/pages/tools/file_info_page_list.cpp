// The file-information page's list: its columns, in-place editing of new names,
// sorting, dragging and the name preview of the selected row.
#include "core/utilities.h"
#include "pages/tools/file_info_page.h"

namespace wv {

void FileInfoPage::buildList() {
  createList({{L"新文件名！", 240},
              {L"原文件名", 240},
              {L"新修改时间！", 126},
              {L"原修改时间", 126},
              {L"新创建时间！", 126},
              {L"原创建时间", 126},
              {L"新属性！", 60},
              {L"原属性", 60},
              {L"原目录", 500}});
  fileList.onSelectItem = [this](int) { showNamePreview(); };
  fileList.onEdited = [this](int index, std::wstring& text) {
    onNameEdited(index, text);
    return false;  // the row shows what the model holds now
  };
  fileList.onDragDrop = [this](int target) { onRowDropped(target); };
}

void FileInfoPage::fitColumns() { FitListColumn(fileList, 8); }

void FileInfoPage::onMenuPopup() {
  SimulationPage::onMenuPopup();
  listMenu.item(editNameItem).visible = objectChoice.index() == 0;
}

void FileInfoPage::showNamePreview() {
  const int row = fileList.selected();
  if (row < 0 || static_cast<std::size_t>(row) >= entries.size()) {
    namePreview.setText(L"");
    return;
  }
  namePreview.setText(WorkingPart(entries.at(static_cast<std::size_t>(row)).newName, namePartChoice.index() == 1));
}

void FileInfoPage::onNameEdited(int index, std::wstring text) {
  if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return;
  (void)ApplyEditedName(entries, static_cast<std::size_t>(index), std::move(text), duplicateCheckBox.checked(),
                        AskWithMsgBox);
  showNamePreview();
}

void FileInfoPage::sortRows(int column) { SortFileInfoRows(entries, column); }

void FileInfoPage::onRowDropped(int target) {
  if (runState != 0) return;
  const int source = fileList.selected();
  if (source < 0 || entries.empty()) return;
  // A drop below the last row counts as a drop on the last row.
  if (target < 0 || static_cast<std::size_t>(target) >= entries.size()) target = static_cast<int>(entries.size()) - 1;
  const int place = entries.moveTo(source, target);
  if (place >= 0) fileList.select(place);
}

}  // namespace wv
