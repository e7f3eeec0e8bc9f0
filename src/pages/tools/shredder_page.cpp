#include "pages/tools/shredder_page.h"

#include <algorithm>

#include "app/main_window.h"
#include "core/protected_folders.h"
#include "core/utilities.h"
#include "platform/platform.h"
#include "pages/tools/tool_page_kit.h"

namespace wv {
namespace {

constexpr std::wstring_view kChooseFilesCaption = L"文件选择";
constexpr std::wstring_view kShredSelectedCaption = L"选定粉碎";
constexpr std::wstring_view kShredAllCaption = L"全部粉碎";
constexpr std::wstring_view kRefreshCaption = L"刷新";
// The list's first column; its caption adds the row count.
constexpr std::wstring_view kEntryColumn = L"待粉碎的文件或目录名";
constexpr std::wstring_view kFailedHeading = L"粉碎失败";
constexpr std::wstring_view kShredHeading = L"文件粉碎";

// The engine's view of the page's rows: every change goes through ResultRows,
// so that entry i is always shown as row i.
class EntryRows : public ShredRows {
 public:
  explicit EntryRows(ResultRows<ShredRow>& rows) : rows_(rows) {}
  [[nodiscard]] std::size_t size() const override { return rows_.size(); }
  [[nodiscard]] const ShredRow& at(std::size_t index) const override { return rows_.at(index); }
  void append(ShredRow row) override { rows_.append(std::move(row)); }
  void update(std::size_t index, ShredRow row) override { rows_.update(index, std::move(row)); }
  void erase(std::vector<std::size_t> indices) override { rows_.eraseMany(std::move(indices)); }

 private:
  ResultRows<ShredRow>& rows_;
};

std::wstring Quoted(std::wstring_view path) { return L"\"" + std::wstring(path) + L"\""; }

// A row as the list shows it: the path, the size text or "目录", the shell's icon.
ListRow ShredListRow(const ShredRow& row) {
  ListRow shown;
  shown.caption = row.path;
  shown.sub.push_back(row.isFolder ? L"目录" : FormatSize(row.size));
  shown.image = GetSysIconIndex(row.path);
  shown.size = row.size;
  return shown;
}

}  // namespace

ShredderControls::ShredderControls(MainWindow& form, std::int32_t& runState)
    : entries(shownRows, ShredListRow),
      shredSelectedRun(form, shredSelectedButton, std::wstring(kShredSelectedCaption), runState),
      shredAllRun(form, shredAllButton, std::wstring(kShredAllCaption), runState),
      refreshRun(form, refreshButton, std::wstring(kRefreshCaption), runState) {}

ShredderPage::ShredderPage(MainWindow& form)
    : FileToolPage(form, {.module = Module::Shredder,
                          .description = L"彻底粉碎文件和目录，使其内容无法再被恢复。可将文件或目录拖放到此页。",
                          .importCaption = kChooseFilesCaption,
                          .dialogTitle = L"请选择您要粉碎的文件...",
                          .filterName = L"所有格式",
                          .filterPattern = L"*.*",
                          .followShortcuts = true,
                          .expandFolders = false}),
      ShredderControls(form, runState) {}

void ShredderPage::build() {
  HWND h = handle();
  createChooseFilesButton();
  entryList.create(h, ListStyle{}, {{std::wstring(kEntryColumn), 400}, {L"大小", 90, LVCFMT_RIGHT}}, shownRows);
  shredSelectedButton.create(h, kShredSelectedCaption);
  shredAllButton.create(h, kShredAllCaption);
  refreshButton.create(h, kRefreshCaption);
  importRun.setFollow(&entryList);

  removeSelectedItem = listMenu.add(L"排除选中", [this] { onRemoveSelectedChosen(); });
  removeUnselectedItem = listMenu.add(L"排除未选", [this] { onRemoveUnselectedChosen(); });
  clearItem = listMenu.add(L"清空", [this] { onClearChosen(); });
  refreshItem = listMenu.add(L"刷新", [this] { onRefreshClicked(); });
  listMenu.onPopup = [this] { onMenuPopup(); };

  shredSelectedButton.onClick = [this] { onShredSelectedClicked(); };
  shredAllButton.onClick = [this] { onShredAllClicked(); };
  refreshButton.onClick = [this] { onRefreshClicked(); };
  entryList.onContextMenu = [this](POINT screen) { listMenu.popup(handle(), screen); };
  entryList.onColumnClick = [this](int column) { onColumnClicked(column); };
  enableActions();
}

void ShredderPage::layout(int width, int height) {
  const int right = width - kMargin;
  chooseFilesButton.setBounds(right - kButtonW, kTop, kButtonW, kButtonH);
  const int listY = kTop + kButtonH + 10;
  const int buttonsY = height - kMargin - kButtonH;
  entryList.setBounds(kMargin + 1, listY + 1, right - kMargin - 2, buttonsY - kGap - listY - 2);
  RowButtonsRight({&shredSelectedButton, &shredAllButton, &refreshButton}, right, buttonsY);
}

void ShredderPage::initialise() {
  FileToolPage::initialise();
  entryList.setImageList(Sh().smallIconList());
}

void ShredderPage::fitColumns() { FitListColumn(entryList, 0); }

void ShredderPage::stopRuns() { StopRunning({&importRun, &shredSelectedRun, &shredAllRun}); }

void ShredderPage::enableActions() {
  const bool active = runState == 0 && !entries.empty();
  for (Button* b : {&shredSelectedButton, &shredAllButton, &refreshButton}) b->setEnabled(active);
}

void ShredderPage::showCount() { entryList.setColumnCaption(0, CountedCaption(kEntryColumn, entries.size())); }

void ShredderPage::startShred(RunControl& run, std::int32_t operation, std::wstring_view question) {
  if (!run.canStart()) {
    run.requestStop();
    return;
  }
  if (operation == 2 && entryList.selected() < 0) return;
  if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, kShredHeading, question))) return;
  runState = operation;
  runOperation();
}

void ShredderPage::onShredSelectedClicked() {
  startShred(shredSelectedRun, 2, L"您确定对当前选中的文件或目录进行不可恢复性删除吗？");
}

void ShredderPage::onShredAllClicked() {
  startShred(shredAllRun, 3, L"您确定对当前所有的文件或目录进行不可恢复性删除吗？");
}

void ShredderPage::onRefreshClicked() {
  if (runState != 0) return;
  runState = 4;
  runOperation();
}

void ShredderPage::shredFailed(ShredFailure failure, std::wstring_view path) {
  std::wstring text;
  switch (failure) {
    case ShredFailure::File: text = L"文件 " + Quoted(path) + L" 正在运行或对其操作权限不够，无法粉碎！"; break;
    case ShredFailure::Folder: text = L"目录 " + Quoted(path) + L" 正在运行或对其操作权限不够，无法完全粉碎！"; break;
    case ShredFailure::SomeEntries: text = L"某些文件或目录正在运行或对其操作权限不够，无法全部粉碎！"; break;
    case ShredFailure::StoredElsewhere:
      text = L"文件 " + Quoted(path) + L" 经压缩、加密或为稀疏文件，其内容不在原处，无法覆盖粉碎，已保留原样！";
      break;
    case ShredFailure::Protected:
      text = L"目录 " + Quoted(path) + L" " + std::wstring(FolderProtectionText(ProtectedFolders::Resolve().check(path))) +
             L"，不能粉碎，未加入列表！";
      break;
  }
  MsgBox(MsgIcon::Warning, MsgButtons::Ok, kFailedHeading, text);
}

void ShredderPage::runOperation() {
  ShredJob job;
  job.task = static_cast<ShredTask>(runState);
  const auto runWith = [&](RunControl& run, std::wstring_view handler, std::initializer_list<Control*> disable) {
    // The end step puts the run's own caption back; no other button showed "停止".
    RunGuard guard(run, handler, runState, disable, [this] {
      chooseFilesButton.setEnabled(true);
      showCount();
      enableActions();
    });
    // Refresh cannot be stopped: its button keeps its caption, and the engine
    // does not ask whether a stop was requested.
    if (job.task == ShredTask::Refresh) refreshButton.setCaption(kRefreshCaption);
    ShredEvents events;
    events.countChanged = [this](std::size_t rows) {
      entryList.setColumnCaption(0, CountedCaption(kEntryColumn, rows));
    };
    events.failed = [this](ShredFailure failure, std::wstring_view path) { shredFailed(failure, path); };
    EntryRows rows(entries);
    const ShredResult result = wv::RunShredTask(std::move(job), rows, run, events);
    guard.finish(result.status);
  };
  switch (job.task) {
    case ShredTask::Import:
      job.pending = std::move(pendingFiles);  // consumed by the import
      pendingFiles.clear();
      runWith(importRun, L"ShredderPage::onChooseFilesClicked",
              {&shredSelectedButton, &shredAllButton, &refreshButton});
      break;
    case ShredTask::ShredSelected:
      job.selected = static_cast<std::size_t>(std::max(entryList.selected(), 0));
      runWith(shredSelectedRun, L"ShredderPage::onShredSelectedClicked",
              {&chooseFilesButton, &shredAllButton, &refreshButton});
      break;
    case ShredTask::ShredAll:
      runWith(shredAllRun, L"ShredderPage::onShredAllClicked",
              {&chooseFilesButton, &shredSelectedButton, &refreshButton});
      break;
    case ShredTask::Refresh:
      runWith(refreshRun, L"ShredderPage::onRefreshClicked",
              {&chooseFilesButton, &shredSelectedButton, &shredAllButton, &refreshButton});
      break;
    default:
      runState = 0;
      break;
  }
}

void ShredderPage::onMenuPopup() {
  const bool active = runState == 0 && !entries.empty();
  for (int item : {removeSelectedItem, removeUnselectedItem, clearItem, refreshItem})
    listMenu.item(item).enabled = active;
}

void ShredderPage::removeRows(std::vector<std::size_t> indices) {
  // Only the list changes: nothing on disk is touched.
  entries.eraseMany(std::move(indices));
  entryList.flush();
  showCount();
  enableActions();
}

void ShredderPage::onRemoveSelectedChosen() { removeBySelection(true); }

void ShredderPage::onRemoveUnselectedChosen() { removeBySelection(false); }

void ShredderPage::removeBySelection(bool selected) {
  if (runState != 0) return;
  std::optional<std::vector<std::size_t>> gone = RowsToExclude(entryList.selection(), entries.size(), selected);
  if (!gone) return onClearChosen();
  removeRows(std::move(*gone));
}

void ShredderPage::onClearChosen() {
  if (runState != 0) return;
  entries.clear();
  showCount();
  enableActions();
}

void ShredderPage::onColumnClicked(int column) {
  if (runState != 0) return;
  // Sorted by the text shown (sizes as text, as every list of the program), the
  // entries following their rows.
  std::vector<ListRow> shown = shownRows.rows();
  for (std::size_t i = 0; i < shown.size(); ++i) shown[i].state = static_cast<int>(i);
  SortListByColumn(shown, column);
  std::vector<std::size_t> order;
  order.reserve(shown.size());
  for (const ListRow& row : shown) order.push_back(static_cast<std::size_t>(row.state));
  // The rows keep their texts and icons: formatting them again asks the shell for every icon.
  entries.reorder(order);
  entryList.flush();  // the view knows its rows before the next click lands
}

}  // namespace wv
