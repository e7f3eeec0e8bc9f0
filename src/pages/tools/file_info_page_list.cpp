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
  wjsz_showlist.onSelectItem = [this](int) { wjsz_showlistSelectItem(); };
  wjsz_showlist.onEdited = [this](int index, std::wstring& text) {
    wjsz_showlistEdited(index, text);
    return false;  // the row shows what the model holds now
  };
  wjsz_showlist.onDragDrop = [this](int target) { wjsz_showlistDragDrop(target); };
}

void FileInfoPage::fitColumns() { FitListColumn(wjsz_showlist, 8); }

void FileInfoPage::menuPopup() {
  SimulationPage::menuPopup();
  wjsz_menu.item(wjsz_menuchange).visible = wjsz_mnobj.index() == 0;
}

void FileInfoPage::wjsz_showlistSelectItem() {
  const int row = wjsz_showlist.selected();
  if (row < 0 || static_cast<std::size_t>(row) >= wjsz_files.size()) {
    wjsz_namehlpedt.setText(L"");
    return;
  }
  wjsz_namehlpedt.setText(WorkingPart(wjsz_files.at(static_cast<std::size_t>(row)).newName,
                                      wjsz_nametypsel.index() == 1));
}

void FileInfoPage::wjsz_showlistEdited(int index, std::wstring text) {
  if (index < 0 || static_cast<std::size_t>(index) >= wjsz_files.size()) return;
  (void)ApplyEditedName(wjsz_files, static_cast<std::size_t>(index), std::move(text), wjsz_nameechchk.checked(),
                        AskWithMsgBox);
  wjsz_showlistSelectItem();
}

void FileInfoPage::sortRows(int column) { SortFileInfoRows(wjsz_files, column); }

void FileInfoPage::wjsz_showlistDragDrop(int target) {
  if (wjsz_runstate != 0) return;
  const int source = wjsz_showlist.selected();
  if (source < 0 || wjsz_files.empty()) return;
  // A drop below the last row counts as a drop on the last row.
  if (target < 0 || static_cast<std::size_t>(target) >= wjsz_files.size()) target = static_cast<int>(wjsz_files.size()) - 1;
  const int place = wjsz_files.moveTo(source, target);
  if (place >= 0) wjsz_showlist.select(place);
}

}  // namespace wv
