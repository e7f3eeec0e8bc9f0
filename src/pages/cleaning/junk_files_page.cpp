#include "pages/cleaning/junk_files_page.h"

#include "app/main_window.h"
#include "pages/cleaning/clean_page.h"
#include "engines/cleaning/junk_scan.h"
#include "core/utilities.h"
#include "platform/text.h"
#include "platform/platform.h"

namespace wv {

ListRow FormatJunkRow(const FoundRow& row) { return FoundRowText(row, picture::JunkFile); }

std::wstring JunkScanSummary(const JunkScanResult& result) {
  return FoundSummary(L"垃圾文件", result.rows, result.total);
}

JunkFilesPage::JunkFilesPage(MainWindow& form)
    : Page(form, Module::JunkFiles, L"扫描磁盘分区中的临时文件、备份文件、错误日志等垃圾文件，并安全地清除它们。"),
      wjql_run(form, wjql_sm, L"扫描", wjql_runstate) {}

void JunkFilesPage::build() {
  HWND h = handle();
  wjql_select.create(h, ListStyle{.checkBoxes = true, .headers = false}, {{L"磁盘分区列表", 300}, {L"可用空间", 130}});
  wjql_sel.create(h, L"全选");
  wjql_sm.create(h, L"扫描");
  wjql_smsel.create(h, L"...");
  wjql_smsel.setHint(L"选项自定");
  wjql_delsel.create(h, L"选定删除");
  wjql_delall.create(h, L"全部删除");
  wjql_delsel.setEnabled(false);
  wjql_delall.setEnabled(false);

  FlatButton1.create(h, L"扫描结果", FlatButton::Look::Tab, &tabs);
  FlatButton3.create(h, L"扫描类型", FlatButton::Look::Tab, &tabs);
  FlatButton6.create(h, L"删除方式", FlatButton::Look::Tab, &tabs);
  FlatButton9.create(h, L"扫描排除", FlatButton::Look::Tab, &tabs);
  FlatButton1.setDown(true);
  PageControl6.create(h, 4);

  Panel& results = PageControl6.page(0);
  wjql_showlist.create(results.handle(), ListStyle{.multiSelect = true},
                       {{L"垃圾文件名", 400}, {L"大小", 90, LVCFMT_RIGHT}}, wjql_results);
  results.onSize = [this](int w, int hh) { wjql_showlist.setBounds(1, 1, w - 2, hh - 2); };

  Panel& types = PageControl6.page(1);
  wjql_wjlxlist.create(types.handle(), ListStyle{.checkBoxes = true}, {{L"垃圾文件类型", 120}, {L"类型说明", 200}});
  wjql_lxsel.create(types.handle(), L"全选");
  wjql_lxtj.create(types.handle(), L"推荐");
  types.onSize = [this](int w, int hh) {
    const int bx = w - kButtonW;
    wjql_wjlxlist.setBounds(1, 1, bx - kGap - 2, hh - 2);
    StackButtons({&wjql_lxsel, &wjql_lxtj}, bx, 0);
  };

  const RemovalControls removal{wjql_scszzj, wjql_scszpath, wjql_scszhs, wjql_scsz, wjql_scszpath_pathname,
                                 wjql_scszpath_pathsel};
  CreateRemovalPage(PageControl6.page(2), removal, kEditH);

  Panel& jump = PageControl6.page(3);
  wjql_jumplist.create(jump.handle(), ListStyle{.multiSelect = true}, {{L"排除对以下目录的扫描", 300}});
  wjql_jumpadd.create(jump.handle(), L"增加");
  wjql_jumpdel.create(jump.handle(), L"删除");
  jump.onSize = [this](int w, int hh) {
    const int bx = w - kButtonW;
    wjql_jumplist.setBounds(1, 1, bx - kGap - 2, hh - 2);
    StackButtons({&wjql_jumpadd, &wjql_jumpdel}, bx, 0);
  };

  wjql_sm.onClick = [this] { wjql_smClick(); };
  wjql_smsel.onClick = [this] { wjql_smselClick(); };
  wjql_sel.onClick = [this] { wjql_selClick(); };
  wjql_lxsel.onClick = [this] { wjql_lxselClick(); };
  wjql_lxtj.onClick = [this] { wjql_lxtjClick(); };
  wjql_delsel.onClick = [this] { wjql_delselClick(); };
  wjql_delall.onClick = [this] { wjql_delallClick(); };
  wjql_scszpath_pathsel.onClick = [this] { wjql_scszpath_pathselClick(); };
  wjql_jumpadd.onClick = [this] { wjql_jumpaddClick(); };
  wjql_jumpdel.onClick = [this] { wjql_jumpdelClick(); };
  wjql_showlist.onDblClick = [this] { wjql_showlistDblClick(); };
  FlatButton1.onClick = [this] { FlatButton1Click(); };
  FlatButton3.onClick = [this] { FlatButton3Click(); };
  FlatButton6.onClick = [this] { FlatButton6Click(); };
  FlatButton9.onClick = [this] { FlatButton9Click(); };
  wjql_run.setFollow(&wjql_showlist);
}

void JunkFilesPage::layout(int width, int height) {
  const int right = width - kMargin;
  const int buttonsX = right - kButtonW;
  const int listW = buttonsX - kGap - kMargin;
  wjql_select.setBounds(kMargin + 1, kTop + 1, listW - 2, 98);
  wjql_sm.setBounds(buttonsX, kTop, kButtonW - kButtonH - 4, kButtonH);
  wjql_smsel.setBounds(right - kButtonH, kTop, kButtonH, kButtonH);
  StackButtons({&wjql_delsel, &wjql_delall}, buttonsX, kTop + kButtonH + kGap);
  wjql_sel.setBounds(kMargin, kTop + 104, 30, 18);
  const int tabsY = kTop + 130;
  RowTabs({&FlatButton1, &FlatButton3, &FlatButton6, &FlatButton9}, kMargin, tabsY, right);
  PageControl6.setBounds(kMargin, tabsY + kTabH, width - 2 * kMargin, height - tabsY - kTabH - kMargin);
}

void JunkFilesPage::initialise() {
  fillDriveRows();
  FillCatalogue(Module::JunkFiles, wjql_wjlxlist);
  for (ListViewBase* list : std::initializer_list<ListViewBase*>{&wjql_select, &wjql_wjlxlist, &wjql_jumplist,
                                                                 &wjql_showlist})
    list->setImageList(form().rowPictures());
}

void JunkFilesPage::fillDriveRows() {
  const std::uint32_t mask = Vol().logicalDrives();
  for (int bit = 0; bit < 26; ++bit) {
    if (!(mask & (1u << bit))) continue;
    const wchar_t letter = static_cast<wchar_t>(L'A' + bit);
    const std::wstring root = std::wstring(1, letter) + L":\\";
    if (Vol().driveType(root) != DRIVE_FIXED) continue;
    VolumeDetails details;
    std::wstring label;
    if (GetVolumeInfo(letter, details)) label = Trim(details.label);
    if (label.empty()) label = L"本地磁盘";
    std::uint64_t total = 0, free = 0;
    GetDiskSpace(letter, total, free);
    ListRow row;
    row.caption = label + L" (" + letter + L":)";
    row.sub.push_back(FormatSize(free) + L"  剩余");
    row.image = picture::FixedDrive;
    row.checked = true;
    wjql_select.appendRow(row);
  }
}

void JunkFilesPage::stopRuns() { StopRunning({&wjql_run}); }

void JunkFilesPage::fitColumns() {
  FitListColumn(wjql_select, 0);
  FitListColumn(wjql_showlist, 0);
  FitListColumn(wjql_wjlxlist, 1);
  FitListColumn(wjql_jumplist, 0);
}

void JunkFilesPage::wjql_smClick() {
  if (!wjql_run.canStart()) {
    wjql_run.requestStop();
    wjql_smsel.setEnabled(true);
    return;
  }
  scan(1);
}

void JunkFilesPage::wjql_smselClick() {
  std::wstring folder = wjql_folder;
  if (!ChooseFolder(L"请选择一个您要扫描的目录...", L"", folder)) return;
  if (!wjql_run.canStart()) return;
  wjql_folder = folder;
  scan(2);
}

void JunkFilesPage::scan(std::int32_t operation) {
  RunGuard run(wjql_run, operation == 2 ? L"wjql_smselClick" : L"wjql_smClick", operation,
               {&wjql_delsel, &wjql_delall, &wjql_smsel}, [this] {
                 wjql_smsel.setEnabled(true);
                 wjql_delsel.setEnabled(!wjql_found.empty());
                 wjql_delall.setEnabled(!wjql_found.empty());
               });
  FlatButton1.setDown(true);
  PageControl6.show(0);

  // Masks and exclusions as they are now; a drive's tick when the walk reaches its row.
  JunkScanInput input;
  input.mode = operation == 2 ? JunkScanMode::ChosenFolder : JunkScanMode::TickedDrives;
  input.folder = wjql_folder;
  for (int i = 0; i < wjql_select.count(); ++i) input.drives.push_back(DriveFromCaption(wjql_select.text(i, 0)));
  for (int i = 0; i < wjql_select.count(); ++i) input.driveTicks.push_back(wjql_select.checked(i));
  wjql_run.setTickedRows(&wjql_select);
  for (int i = 0; i < wjql_wjlxlist.count(); ++i)
    if (wjql_wjlxlist.checked(i)) input.masks.push_back(wjql_wjlxlist.text(i, 0));
  for (int i = 0; i < wjql_jumplist.count(); ++i) input.exclusions.push_back(wjql_jumplist.text(i, 0));
  input.known = form().knownFolders;

  wjql_found.clear();
  const JunkScanResult result = JunkFileScan(input, wjql_run, wjql_found.sink());
  run.finish(JunkScanSummary(result));
}

void JunkFilesPage::removeRows(bool allRows) {
  RemoveResultRows(wjql_showlist, wjql_found, allRows, ReadRemovalOptions(wjql_scsz, wjql_scszpath_pathname, form().handle()),
                   {wjql_sm, wjql_delsel, wjql_delall}, kJunkCleanedText);
}

void JunkFilesPage::wjql_delselClick() { removeRows(false); }

void JunkFilesPage::wjql_delallClick() { removeRows(true); }

void JunkFilesPage::wjql_scszpath_pathselClick() {
  std::wstring folder = wjql_scszpath_pathname.text();
  if (ChooseFolder(L"请选择一个您要存放垃圾文件的目录...", L"", folder)) wjql_scszpath_pathname.setText(folder);
}

void JunkFilesPage::wjql_jumpaddClick() {
  std::wstring folder;
  if (!ChooseFolder(L"请选择一个扫描时要排除的目录...", L"", folder)) return;
  if (FindFolderRow(wjql_jumplist, folder) >= 0) {
    MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"扫描排除", L"您选择的扫描排除项已存在！");
    return;
  }
  ListRow row;
  row.caption = folder;
  row.image = picture::Folder;
  wjql_jumplist.appendRow(row);
}

void JunkFilesPage::wjql_jumpdelClick() {
  if (wjql_jumplist.selectedCount() == 0) return;
  if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"扫描排除", L"您“确定”删除当前选中的扫描排除项吗？"))) return;
  DeleteSelectedRows(wjql_jumplist);
}

void JunkFilesPage::wjql_showlistDblClick() {
  const int i = wjql_showlist.selected();
  if (i >= 0 && static_cast<std::size_t>(i) < wjql_found.size()) ShowInExplorer(wjql_found.at(i).path);
}

void JunkFilesPage::wjql_selClick() { ToggleAllTicks(wjql_sel, wjql_select); }

void JunkFilesPage::wjql_lxselClick() { ToggleAllTicks(wjql_lxsel, wjql_wjlxlist); }

void JunkFilesPage::wjql_lxtjClick() { RestoreDefaults(wjql_wjlxlist); }

void JunkFilesPage::FlatButton1Click() { PageControl6.show(0); }

void JunkFilesPage::FlatButton3Click() { PageControl6.show(1); }

void JunkFilesPage::FlatButton6Click() { PageControl6.show(2); }

void JunkFilesPage::FlatButton9Click() { PageControl6.show(3); }

}  // namespace wv
