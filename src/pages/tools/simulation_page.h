#pragma once
// What the file-information and music pages share beyond the file-tool base: the
// rule settings in a scrolling area; the action bar (the object that simulate and
// reset act on, simulate, reset, where executed files go, execute); the list of
// the engine's rows with its popup menu; and the steps around every operation.
// Each page adds its rule controls, its list columns and its engine
// (runOperation).

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/files.h"
#include "ui/notify.h"
#include "ui/list_rows.h"
#include "platform/text.h"
#include "pages/tools/file_tool_page.h"
#include "pages/tools/tool_page_kit.h"
#include "engines/tools/tool_rows.h"
#include "engines/tools/file_info.h"
#include "ui/popup_menu.h"

namespace wv {

// The execute question of a page: its box title and text.
struct ExecuteQuestion {
  std::wstring_view title, text;
};

// The old-name column's name; its caption adds the row count.
inline constexpr std::wstring_view kOldNameColumn = L"原文件名";

template <class Row>
class SimulationPage : public FileToolPage {
 public:
  using Rows = ToolRows<Row>;
  using Format = ListRow (*)(const Row&);

  SimulationPage(MainWindow& form, const FileToolOptions& options, ExecuteQuestion question, Format format)
      : FileToolPage(form, options),
        mnchgRun(form, mnchg, L"模拟", runstate),
        zschgRun(form, zschg, L"正式执行", runstate),
        question_(question),
        format_(format) {}

  ScrollBox setscl;  // the rule settings
  ComboBox mnobj;    // what simulate and reset act on
  Button mnchg;      // simulate
  Button mnret;      // reset
  ComboBox zspth;    // where executed files go
  Button zschg;      // execute
  Rows files;        // the engine's rows
  RowModel rows;     // what the list shows of them
  OwnerDataListView showlist;
  PopupMenu menu;
  int menuchange = -1, menudelsel = -1, menudelunsel = -1, menudelall = -1, menurefresh = -1;

  std::wstring targetdir;  // execute's folder when the files are moved or copied
  RunControl mnchgRun;     // 2 simulate
  RunControl zschgRun;     // 3 execute

  void stopRuns() override { StopRunning({&fileselRun, &mnchgRun, &zschgRun}); }

  // Simulate: a stop request while it runs; else the simulation, once the settings pass.
  void mnchgClick() {
    if (!mnchgRun.canStart()) return mnchgRun.requestStop();
    if (!settingsValid()) return;
    runstate = 2;
    RunTask();
  }

  // Execute: a stop request while it runs; else the question, the folder when
  // the files move or are copied, and the execution.
  void zschgClick() {
    if (!zschgRun.canStart()) return zschgRun.requestStop();
    if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, question_.title, question_.text))) return;
    targetdir.clear();
    if (zspth.index() != 0) {
      std::wstring folder;
      if (!ChooseFolder(L"请选择一个您要保存的目录...", L"", folder)) return;
      targetdir = IncludeTrailingBackslash(folder);
    }
    runstate = 3;
    RunTask();
  }

  void menurefreshClick() {
    if (runstate != 0) return;
    if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"信息刷新", L"刷新的同时会重置当前所有的模拟信息，您确定吗？")))
      return;
    runstate = 4;
    RunTask();
  }

  // The items are usable while the page is idle and the list has rows.
  virtual void menuPopup() {
    const bool usable = runstate == 0 && !files.empty();
    for (int item : {menuchange, menudelsel, menudelunsel, menudelall, menurefresh}) menu.item(item).enabled = usable;
  }
  void menuchangeClick() { EditSelectedCaption(showlist); }
  void menudelselClick() { removeRows(true); }
  void menudelunselClick() { removeRows(false); }
  void menudelallClick() {
    files.clear();
    for (Button* b : {&mnchg, &mnret, &zschg}) b->setEnabled(false);
    showInfo(L"");
    UpdateCount();
    selectionChanged();
  }

  // New names are edited in place while the page is idle and names are the object.
  [[nodiscard]] bool showlistEditing() const { return runstate == 0 && mnobj.index() == 0; }
  void showlistColumnClick(int column) {
    if (runstate != 0) return;
    showlist.selectAll(false);
    sortRows(column);
    selectionChanged();
  }

  // The old-name column's caption with the row count.
  void UpdateCount() { showlist.setColumnCaption(1, CountedCaption(kOldNameColumn, files.size())); }

 protected:
  // The engine's share of the operation that runstate names, the run started;
  // answers the status-line text of its end.
  virtual std::wstring runOperation(RunControl& run) = 0;
  // Whether the settings allow a simulation (a page says why not).
  virtual bool settingsValid() { return true; }
  // A line of information on the page's result.
  virtual void showInfo(std::wstring_view text) = 0;
  // The rows or the selection changed: what shows the selected row follows.
  virtual void selectionChanged() {}
  virtual void sortRows(int column) = 0;

  // The operation that runstate names, from its start step to its end step.
  void RunTask() override {
    RunControl* run = &fileselRun;
    switch (runstate) {
      case 1:
        fileselRun.start(1, {&mnchg, &mnret, &zschg});
        break;
      case 2:
        run = &mnchgRun;
        run->start(2, {&filesel, &mnobj, &mnret, &zschg, &setscl});
        break;
      case 3:
        run = &zschgRun;
        run->start(3, {&filesel, &mnchg, &mnret, &setscl, &zspth});
        break;
      case 4:
        // Nothing can stop it: the file button only stands in for its run protocol.
        fileselRun.start(4, {&filesel, &mnchg, &mnret, &zschg});
        filesel.setCaption(importCaption());
        break;
      default:
        runstate = 0;
        return;
    }
    run->finish(runOperation(*run));
    showlist.flush();
    UpdateCount();
    for (Control* c : std::initializer_list<Control*>{&filesel, &setscl, &zspth, &mnobj}) c->setEnabled(true);
    selectionChanged();
    const bool any = !files.empty();
    for (Button* b : {&mnchg, &mnret, &zschg}) b->setEnabled(any);
  }

  // The action bar with the objects to choose from; from build().
  void createActionBar(std::initializer_list<std::wstring> objects) {
    HWND h = handle();
    mnobj.create(h, objects, 0);
    mnchg.create(h, L"模拟");
    mnret.create(h, L"重置");
    zspth.create(h, {L"目录保持不变", L"目录更改剪切", L"目录更改复制"}, 0);
    zschg.create(h, L"正式执行");
    for (Button* b : {&mnchg, &mnret, &zschg}) b->setEnabled(false);
    mnchg.onClick = [this] { mnchgClick(); };
    zschg.onClick = [this] { zschgClick(); };
  }

  // The list and its popup menu; from build(). The page adds its own list handlers.
  void createList(const std::vector<ListColumn>& columns) {
    showlist.create(handle(), ListStyle{.multiSelect = true, .editLabels = true}, columns, rows);
    // The count is written once an operation or a removal ends, not once per row.
    files.setObserver(
        [this](typename Rows::Change change, std::size_t index) { FollowRows(files, rows, change, index, format_); });
    fileselRun.setFollow(&showlist);
    showlist.onEditing = [this](int) { return showlistEditing(); };
    showlist.onColumnClick = [this](int column) { showlistColumnClick(column); };
    showlist.onDragOver = [this] { return runstate == 0; };
    showlist.onContextMenu = [this](POINT at) { menu.popup(handle(), at); };
    menuchange = menu.add(L"修改", [this] { menuchangeClick(); });
    menudelsel = menu.add(L"排除选中", [this] { menudelselClick(); });
    menudelunsel = menu.add(L"排除未选", [this] { menudelunselClick(); });
    menudelall = menu.add(L"清空", [this] { menudelallClick(); });
    menurefresh = menu.add(L"刷新", [this] { menurefreshClick(); });
    menu.onPopup = [this] { menuPopup(); };
  }

  // The action bar at y, then the list down to the page's bottom.
  void layoutActionBarAndList(int y, int width, int height) {
    const int right = width - kMargin;
    mnobj.setBounds(kMargin, y + 3, 90, 200);
    mnchg.setBounds(kMargin + 98, y, 80, kButtonH);
    mnret.setBounds(kMargin + 186, y, 80, kButtonH);
    zschg.setBounds(right - kButtonW, y, kButtonW, kButtonH);
    zspth.setBounds(right - kButtonW - kGap - 120, y + 3, 120, 200);
    const int listY = y + kButtonH + 8;
    showlist.setBounds(kMargin + 1, listY + 1, right - kMargin - 2, height - listY - kMargin - 2);
  }

 private:
  void removeRows(bool selected) {
    if (!RemoveBySelection(files, showlist, selected)) return menudelallClick();
    UpdateCount();
    selectionChanged();
  }

  ExecuteQuestion question_;
  Format format_;
};

}  // namespace wv
