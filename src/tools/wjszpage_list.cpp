// The file-information page's list: the engine's rows shown through a RowModel,
// the popup menu, in-place editing of new names, sorting, dragging and the name
// preview of the selected row.
#include "core/publline.h"
#include "tools/wjszpage.h"

namespace wv {
namespace {

ListRow Shown(const FileInfoRow& row) {
  ListRow out;
  out.caption = row.newName;
  out.sub.reserve(kFileInfoColumns - 1);
  for (int c = 1; c < kFileInfoColumns; ++c) out.sub.push_back(FileInfoColumnText(row, c));
  out.image = row.image;
  return out;
}

}  // namespace

void WjszPage::buildList() {
  wjsz_showlist.create(handle(), ListStyle{.multiSelect = true, .editLabels = true},
                       {{L"新文件名！", 240},
                        {L"原文件名", 240},
                        {L"新修改时间！", 126},
                        {L"原修改时间", 126},
                        {L"新创建时间！", 126},
                        {L"原创建时间", 126},
                        {L"新属性！", 60},
                        {L"原属性", 60},
                        {L"原目录", 500}},
                       wjsz_rows);
  wjsz_files.setObserver([this](FileInfoRows::Change change, std::size_t index) { followRows(change, index); });
  wjsz_fileselRun.setFollow(&wjsz_showlist);
  wjsz_showlist.onSelectItem = [this](int) { wjsz_showlistSelectItem(); };
  wjsz_showlist.onEditing = [this](int) { return wjsz_showlistEditing(); };
  wjsz_showlist.onEdited = [this](int index, std::wstring& text) {
    wjsz_showlistEdited(index, text);
    return false;  // the row shows what the model holds now
  };
  wjsz_showlist.onColumnClick = [this](int column) { wjsz_showlistColumnClick(column); };
  wjsz_showlist.onDragOver = [this] { return wjsz_showlistDragOver(); };
  wjsz_showlist.onDragDrop = [this](int target) { wjsz_showlistDragDrop(target); };
  wjsz_showlist.onContextMenu = [this](POINT at) { wjsz_menu.popup(handle(), at); };

  wjsz_menuchange = wjsz_menu.add(L"修改", [this] { wjsz_menuchangeClick(); });
  wjsz_menudelsel = wjsz_menu.add(L"排除选中", [this] { wjsz_menudelselClick(); });
  wjsz_menudelunsel = wjsz_menu.add(L"排除未选", [this] { wjsz_menudelunselClick(); });
  wjsz_menudelall = wjsz_menu.add(L"清空", [this] { wjsz_menudelallClick(); });
  wjsz_menurefresh = wjsz_menu.add(L"刷新", [this] { wjsz_menurefreshClick(); });
  wjsz_menu.onPopup = [this] { wjsz_menuPopup(); };
}

void WjszPage::fitColumns() { FitListColumn(wjsz_showlist, 8); }

void WjszPage::followRows(FileInfoRows::Change change, std::size_t index) {
  FollowRows(wjsz_files, wjsz_rows, change, index, Shown);
  if (change != FileInfoRows::Change::Updated) UpdateFileInfoCount();
}

void WjszPage::UpdateFileInfoCount() { wjsz_showlist.setColumnCaption(1, FileInfoCountCaption(wjsz_files.size())); }

void WjszPage::wjsz_menuPopup() {
  const bool usable = wjsz_runstate == 0 && !wjsz_files.empty();
  for (int item : {wjsz_menuchange, wjsz_menudelsel, wjsz_menudelunsel, wjsz_menudelall, wjsz_menurefresh})
    wjsz_menu.item(item).enabled = usable;
  wjsz_menu.item(wjsz_menuchange).visible = wjsz_mnobj.index() == 0;
}

void WjszPage::wjsz_menuchangeClick() { EditSelectedCaption(wjsz_showlist); }

void WjszPage::wjsz_menudelselClick() { removeRows(true); }

void WjszPage::wjsz_menudelunselClick() { removeRows(false); }

void WjszPage::removeRows(bool selected) {
  if (!RemoveBySelection(wjsz_files, wjsz_showlist, selected)) return wjsz_menudelallClick();
  UpdateFileInfoCount();
  wjsz_showlistSelectItem();
}

void WjszPage::wjsz_menudelallClick() {
  wjsz_files.clear();
  for (Button* b : {&wjsz_mnchg, &wjsz_mnret, &wjsz_zschg}) b->setEnabled(false);
  SetRunInfo(L"");
  UpdateFileInfoCount();
  wjsz_showlistSelectItem();
}

void WjszPage::wjsz_showlistSelectItem() {
  const int row = wjsz_showlist.selected();
  if (row < 0 || static_cast<std::size_t>(row) >= wjsz_files.size()) {
    wjsz_namehlpedt.setText(L"");
    return;
  }
  wjsz_namehlpedt.setText(WorkingPart(wjsz_files.at(static_cast<std::size_t>(row)).newName,
                                      wjsz_nametypsel.index() == 1));
}

bool WjszPage::wjsz_showlistEditing() const { return wjsz_runstate == 0 && wjsz_mnobj.index() == 0; }

void WjszPage::wjsz_showlistEdited(int index, std::wstring text) {
  if (index < 0 || static_cast<std::size_t>(index) >= wjsz_files.size()) return;
  (void)ApplyEditedName(wjsz_files, static_cast<std::size_t>(index), std::move(text), wjsz_nameechchk.checked(),
                        AskWithMsgBox);
  wjsz_showlistSelectItem();
}

void WjszPage::wjsz_showlistColumnClick(int column) {
  if (wjsz_runstate != 0) return;
  wjsz_showlist.selectAll(false);
  SortFileInfoRows(wjsz_files, column);
  wjsz_showlistSelectItem();
}

void WjszPage::wjsz_showlistDragDrop(int target) {
  if (wjsz_runstate != 0) return;
  const int source = wjsz_showlist.selected();
  if (source < 0 || wjsz_files.empty()) return;
  // A drop below the last row counts as a drop on the last row.
  if (target < 0 || static_cast<std::size_t>(target) >= wjsz_files.size()) target = static_cast<int>(wjsz_files.size()) - 1;
  const int place = wjsz_files.moveTo(source, target);
  if (place >= 0) wjsz_showlist.select(place);
}

}  // namespace wv
