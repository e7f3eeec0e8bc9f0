#include "cleaning/wjqlpage.h"

#include <algorithm>

#include "app/mainform.h"

namespace wv {

WjqlPage::WjqlPage(Tfrmmain& form)
    : Page(form, L"wjql", L"磁盘文件清理", L"扫描磁盘分区中的临时文件、备份文件、错误日志等垃圾文件，并安全地清除它们。"),
      wjql_run(form, wjql_sm, L"扫描", wjql_runstate) {}

void WjqlPage::build() {
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

  Panel& removal = PageControl6.page(2);
  wjql_scszzj.create(removal.handle(), L"将垃圾文件直接删除", true);
  wjql_scszpath.create(removal.handle(), L"将垃圾文件移动到指定的目录", false);
  wjql_scszhs.create(removal.handle(), L"将垃圾文件放进回收站", false);
  for (RadioButton* r : {&wjql_scszzj, &wjql_scszpath, &wjql_scszhs}) wjql_scsz.add(*r);
  wjql_scsz.select(2);
  wjql_scszpath_pathname.create(removal.handle(), L"", 300);
  wjql_scszpath_pathsel.create(removal.handle(), L"...");
  removal.onSize = [this](int w, int hh) { layoutRemoval(w, hh); };

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
  wjql_sel.onClick = [this] { wjql_selClick(); };
  wjql_lxsel.onClick = [this] { wjql_lxselClick(); };
  wjql_lxtj.onClick = [this] { wjql_lxtjClick(); };
  FlatButton1.onClick = [this] { FlatButton1Click(); };
  FlatButton3.onClick = [this] { FlatButton3Click(); };
  FlatButton6.onClick = [this] { FlatButton6Click(); };
  FlatButton9.onClick = [this] { FlatButton9Click(); };
  wjql_run.setFollow(&wjql_showlist);
}

void WjqlPage::layout(int width, int height) {
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

void WjqlPage::layoutRemoval(int width, int height) {
  (void)height;
  wjql_scszzj.setBounds(16, 16, 320, 20);
  wjql_scszpath.setBounds(16, 46, 320, 20);
  const int editW = std::min(420, width - 40 - kEditH - 8 - 16);
  wjql_scszpath_pathname.setBounds(36, 72, editW, kEditH);
  wjql_scszpath_pathsel.setBounds(36 + editW + 6, 72, kEditH, kEditH);
  wjql_scszhs.setBounds(16, 106, 320, 20);
}

void WjqlPage::fitColumns() {
  FitListColumn(wjql_select, 0);
  FitListColumn(wjql_showlist, 0);
  FitListColumn(wjql_wjlxlist, 1);
  FitListColumn(wjql_jumplist, 0);
}

void WjqlPage::wjql_smClick() {
  if (!wjql_run.canStart()) {
    wjql_run.requestStop();
    wjql_smsel.setEnabled(true);
    return;
  }
  // The scan itself is the junk-file scanner's.
}

void WjqlPage::wjql_selClick() { ToggleAllTicks(wjql_sel, wjql_select); }

void WjqlPage::wjql_lxselClick() { ToggleAllTicks(wjql_lxsel, wjql_wjlxlist); }

void WjqlPage::wjql_lxtjClick() { RestoreDefaults(wjql_wjlxlist); }

void WjqlPage::FlatButton1Click() { PageControl6.show(0); }

void WjqlPage::FlatButton3Click() { PageControl6.show(1); }

void WjqlPage::FlatButton6Click() { PageControl6.show(2); }

void WjqlPage::FlatButton9Click() { PageControl6.show(3); }

}  // namespace wv
