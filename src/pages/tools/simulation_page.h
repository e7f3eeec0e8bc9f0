#pragma once
// What the file-information and music pages share beyond the file-tool base: the
// rule settings in a scrolling area; the action bar (the object that simulate and
// reset act on, simulate, reset, where executed files go, execute); the list of
// the engine's rows with its popup menu; and the steps around every operation.
// Each page adds its rule controls, its list columns and its engine
// (runEngine).

#include <cstddef>
#include <cstdint>
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
struct SimulationControls {
  SimulationControls(MainWindow& form, std::int32_t& runState)
      : simulateRun(form, simulateButton, L"模拟", runState), executeRun(form, executeButton, L"正式执行", runState) {}

  ScrollBox settingsArea;        // the rule settings
  ComboBox objectChoice;         // what simulate and its reset act on
  Button simulateButton;
  Button resetSimulationButton;  // undoes what was simulated for the object
  ComboBox placementChoice;      // where executed files go
  Button executeButton;
  ToolRows<Row> entries;         // the engine's rows
  RowModel shownRows;            // what the list shows of them
  OwnerDataListView fileList;
  PopupMenu listMenu;
  int editNameItem = -1, removeSelectedItem = -1, removeUnselectedItem = -1, clearItem = -1, refreshItem = -1;

  std::wstring targetFolder;  // execute's folder when the files are moved or copied
  RunControl simulateRun;     // operation 2
  RunControl executeRun;      // operation 3
};

template <class Row>
class SimulationPage : public FileToolPage, protected SimulationControls<Row> {
 public:
  using Rows = ToolRows<Row>;
  using Format = ListRow (*)(const Row&);

  SimulationPage(MainWindow& form, const FileToolOptions& options, ExecuteQuestion question, Format format)
      : FileToolPage(form, options), SimulationControls<Row>(form, runState), question_(question), format_(format) {}

  void stopRuns() override { StopRunning({&importRun, &simulateRun, &executeRun}); }

 protected:
  using Shared = SimulationControls<Row>;
  using Shared::settingsArea, Shared::objectChoice, Shared::simulateButton, Shared::resetSimulationButton,
      Shared::placementChoice, Shared::executeButton, Shared::entries, Shared::shownRows, Shared::fileList,
      Shared::listMenu, Shared::editNameItem, Shared::removeSelectedItem, Shared::removeUnselectedItem,
      Shared::clearItem, Shared::refreshItem, Shared::targetFolder, Shared::simulateRun, Shared::executeRun;

  // The engine's share of the operation that runState names, the run started;
  // answers the status-line text of its end.
  virtual std::wstring runEngine(RunControl& run) = 0;
  // Whether the settings allow a simulation (a page says why not).
  virtual bool settingsValid() { return true; }
  // A line of information on the page's result.
  virtual void showInformation(std::wstring_view text) = 0;
  // The rows or the selection changed: what shows the selected row follows.
  virtual void selectionChanged() {}
  virtual void sortRows(int column) = 0;
  // The popup's items are usable while the page is idle and the list has rows.
  virtual void onMenuPopup() {
    const bool usable = runState == 0 && !entries.empty();
    for (int item : {editNameItem, removeSelectedItem, removeUnselectedItem, clearItem, refreshItem})
      listMenu.item(item).enabled = usable;
  }
  // New names are edited in place while the page is idle and names are the object.
  [[nodiscard]] bool canEditName() const { return runState == 0 && objectChoice.index() == 0; }
  // The old-name column's caption with the row count.
  void showCount() { fileList.setColumnCaption(1, CountedCaption(kOldNameColumn, entries.size())); }

  // The operation that runState names, from its start step to its end step.
  void runOperation() override {
    RunControl* run = &importRun;
    switch (runState) {
      case 1:
        importRun.start(1, {&simulateButton, &resetSimulationButton, &executeButton});
        break;
      case 2:
        run = &simulateRun;
        run->start(2, {&chooseFilesButton, &objectChoice, &resetSimulationButton, &executeButton, &settingsArea});
        break;
      case 3:
        run = &executeRun;
        run->start(3, {&chooseFilesButton, &simulateButton, &resetSimulationButton, &settingsArea, &placementChoice});
        break;
      case 4:
        // Nothing can stop it: the file button only stands in for its run protocol.
        importRun.start(4, {&chooseFilesButton, &simulateButton, &resetSimulationButton, &executeButton});
        chooseFilesButton.setCaption(importCaption());
        break;
      default:
        runState = 0;
        return;
    }
    run->finish(runEngine(*run));
    fileList.flush();
    showCount();
    for (Control* c :
         std::initializer_list<Control*>{&chooseFilesButton, &settingsArea, &placementChoice, &objectChoice})
      c->setEnabled(true);
    selectionChanged();
    const bool any = !entries.empty();
    for (Button* b : {&simulateButton, &resetSimulationButton, &executeButton}) b->setEnabled(any);
  }

  // The action bar with the objects to choose from; from build().
  void createActionBar(std::initializer_list<std::wstring> objects) {
    HWND h = handle();
    objectChoice.create(h, objects, 0);
    simulateButton.create(h, L"模拟");
    resetSimulationButton.create(h, L"重置");
    placementChoice.create(h, {L"目录保持不变", L"目录更改剪切", L"目录更改复制"}, 0);
    executeButton.create(h, L"正式执行");
    for (Button* b : {&simulateButton, &resetSimulationButton, &executeButton}) b->setEnabled(false);
    simulateButton.onClick = [this] { onSimulateClicked(); };
    executeButton.onClick = [this] { onExecuteClicked(); };
  }

  // The list and its popup menu; from build(). The page adds its own list handlers.
  void createList(const std::vector<ListColumn>& columns) {
    fileList.create(handle(), ListStyle{.multiSelect = true, .editLabels = true}, columns, shownRows);
    // The count is written once an operation or a removal ends, not once per row.
    entries.setObserver([this](typename Rows::Change change, std::size_t index) {
      FollowRows(entries, shownRows, change, index, format_);
    });
    importRun.setFollow(&fileList);
    fileList.onEditing = [this](int) { return canEditName(); };
    fileList.onColumnClick = [this](int column) { onColumnClicked(column); };
    fileList.onDragOver = [this] { return runState == 0; };
    fileList.onContextMenu = [this](POINT at) { listMenu.popup(handle(), at); };
    editNameItem = listMenu.add(L"修改", [this] { onEditNameChosen(); });
    removeSelectedItem = listMenu.add(L"排除选中", [this] { onRemoveSelectedChosen(); });
    removeUnselectedItem = listMenu.add(L"排除未选", [this] { onRemoveUnselectedChosen(); });
    clearItem = listMenu.add(L"清空", [this] { onClearChosen(); });
    refreshItem = listMenu.add(L"刷新", [this] { onRefreshChosen(); });
    listMenu.onPopup = [this] { onMenuPopup(); };
  }

  // The action bar at y, then the list down to the page's bottom.
  void layoutActionBarAndList(int y, int width, int height) {
    const int right = width - kMargin;
    objectChoice.setBounds(kMargin, y + 3, 90, 200);
    simulateButton.setBounds(kMargin + 98, y, 80, kButtonH);
    resetSimulationButton.setBounds(kMargin + 186, y, 80, kButtonH);
    executeButton.setBounds(right - kButtonW, y, kButtonW, kButtonH);
    placementChoice.setBounds(right - kButtonW - kGap - 120, y + 3, 120, 200);
    const int listY = y + kButtonH + 8;
    fileList.setBounds(kMargin + 1, listY + 1, right - kMargin - 2, height - listY - kMargin - 2);
  }

 private:
  friend class PageTestAccess;

  // A stop request while it runs; else the simulation, once the settings pass.
  void onSimulateClicked() {
    if (!simulateRun.canStart()) return simulateRun.requestStop();
    if (!settingsValid()) return;
    runState = 2;
    runOperation();
  }

  // A stop request while it runs; else the question, the folder when the files
  // move or are copied, and the execution.
  void onExecuteClicked() {
    if (!executeRun.canStart()) return executeRun.requestStop();
    if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, question_.title, question_.text))) return;
    targetFolder.clear();
    if (placementChoice.index() != 0) {
      std::wstring folder;
      if (!ChooseFolder(L"请选择一个您要保存的目录...", L"", folder)) return;
      targetFolder = IncludeTrailingBackslash(folder);
    }
    runState = 3;
    runOperation();
  }

  void onRefreshChosen() {
    if (runState != 0) return;
    if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"信息刷新", L"刷新的同时会重置当前所有的模拟信息，您确定吗？")))
      return;
    runState = 4;
    runOperation();
  }

  void onEditNameChosen() { EditSelectedCaption(fileList); }
  void onRemoveSelectedChosen() { removeRows(true); }
  void onRemoveUnselectedChosen() { removeRows(false); }
  void onClearChosen() {
    entries.clear();
    for (Button* b : {&simulateButton, &resetSimulationButton, &executeButton}) b->setEnabled(false);
    showInformation(L"");
    showCount();
    selectionChanged();
  }

  void onColumnClicked(int column) {
    if (runState != 0) return;
    fileList.selectAll(false);
    sortRows(column);
    selectionChanged();
  }

  // "排除选中" (selected) or "排除未选"; the whole list when every row or none is chosen.
  void removeRows(bool selected) {
    if (!RemoveBySelection(entries, fileList, selected)) return onClearChosen();
    showCount();
    selectionChanged();
  }

  ExecuteQuestion question_;
  Format format_;
};

}  // namespace wv
