#include "pages/tools/shredder_page.h"

#include <algorithm>

#include "app/main_window.h"
#include "core/utilities.h"
#include "platform/platform.h"
#include "pages/tools/tool_page_kit.h"

namespace wv {
namespace {

constexpr std::wstring_view kFileselCaption = L"文件选择";
constexpr std::wstring_view kSelfsCaption = L"选定粉碎";
constexpr std::wstring_view kAllselfsCaption = L"全部粉碎";
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

}  // namespace

ShredderPage::ShredderPage(MainWindow& form)
    : FileToolPage(form, {.module = Module::Shredder,
                          .description = L"彻底粉碎文件和目录，使其内容无法再被恢复。可将文件或目录拖放到此页。",
                          .importCaption = kFileselCaption,
                          .dialogTitle = L"请选择您要粉碎的文件...",
                          .filterName = L"所有格式",
                          .filterPattern = L"*.*",
                          .followShortcuts = true,
                          .expandFolders = false}),
      wjfs_selfsRun(form, wjfs_selfs, std::wstring(kSelfsCaption), wjfs_runstate),
      wjfs_allselfsRun(form, wjfs_allselfs, std::wstring(kAllselfsCaption), wjfs_runstate),
      wjfs_refreshRun(form, wjfs_refresh, std::wstring(kRefreshCaption), wjfs_runstate) {}

ListRow ShredderPage::FormatShredRow(const ShredRow& row) {
  ListRow shown;
  shown.caption = row.path;
  shown.sub.push_back(row.isFolder ? L"目录" : FormatSize(row.size));
  shown.image = GetSysIconIndex(row.path);
  shown.size = row.size;
  return shown;
}

void ShredderPage::build() {
  HWND h = handle();
  createFileButton();
  wjfs_showlist.create(h, ListStyle{}, {{std::wstring(kEntryColumn), 400}, {L"大小", 90, LVCFMT_RIGHT}},
                       wjfs_rows);
  wjfs_selfs.create(h, kSelfsCaption);
  wjfs_allselfs.create(h, kAllselfsCaption);
  wjfs_refresh.create(h, kRefreshCaption);
  wjfs_fileselRun.setFollow(&wjfs_showlist);

  wjfs_menu.add(L"排除选中", [this] { wjfs_menudelselClick(); });
  wjfs_menu.add(L"排除未选", [this] { wjfs_menudelunselClick(); });
  wjfs_menu.add(L"清空", [this] { wjfs_menudelallClick(); });
  wjfs_menu.add(L"刷新", [this] { wjfs_menurefreshClick(); });
  wjfs_menu.onPopup = [this] { wjfs_menuPopup(); };

  wjfs_selfs.onClick = [this] { wjfs_selfsClick(); };
  wjfs_allselfs.onClick = [this] { wjfs_allselfsClick(); };
  wjfs_refresh.onClick = [this] { wjfs_menurefreshClick(); };
  wjfs_showlist.onContextMenu = [this](POINT screen) { wjfs_menu.popup(handle(), screen); };
  wjfs_showlist.onColumnClick = [this](int column) { wjfs_showlistColumnClick(column); };
  enableActions();
}

void ShredderPage::layout(int width, int height) {
  const int right = width - kMargin;
  wjfs_filesel.setBounds(right - kButtonW, kTop, kButtonW, kButtonH);
  const int listY = kTop + kButtonH + 10;
  const int buttonsY = height - kMargin - kButtonH;
  wjfs_showlist.setBounds(kMargin + 1, listY + 1, right - kMargin - 2, buttonsY - kGap - listY - 2);
  RowButtonsRight({&wjfs_selfs, &wjfs_allselfs, &wjfs_refresh}, right, buttonsY);
}

void ShredderPage::initialise() {
  FileToolPage::initialise();
  wjfs_showlist.setImageList(Sh().smallIconList());
}

void ShredderPage::fitColumns() { FitListColumn(wjfs_showlist, 0); }

void ShredderPage::stopRuns() { StopRunning({&wjfs_fileselRun, &wjfs_selfsRun, &wjfs_allselfsRun}); }

void ShredderPage::enableActions() {
  const bool active = wjfs_runstate == 0 && !wjfs_entries.empty();
  for (Button* b : {&wjfs_selfs, &wjfs_allselfs, &wjfs_refresh}) b->setEnabled(active);
}

void ShredderPage::UpdateShredCount() { wjfs_showlist.setColumnCaption(0, CountedCaption(kEntryColumn, wjfs_entries.size())); }

void ShredderPage::startShred(RunControl& run, std::int32_t operation, std::wstring_view question) {
  if (!run.canStart()) {
    run.requestStop();
    return;
  }
  if (operation == 2 && wjfs_showlist.selected() < 0) return;
  if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, kShredHeading, question))) return;
  wjfs_runstate = operation;
  RunShredTask();
}

void ShredderPage::wjfs_selfsClick() {
  startShred(wjfs_selfsRun, 2, L"您确定对当前选中的文件或目录进行不可恢复性删除吗？");
}

void ShredderPage::wjfs_allselfsClick() {
  startShred(wjfs_allselfsRun, 3, L"您确定对当前所有的文件或目录进行不可恢复性删除吗？");
}

void ShredderPage::wjfs_menurefreshClick() {
  if (wjfs_runstate != 0) return;
  wjfs_runstate = 4;
  RunShredTask();
}

void ShredderPage::shredFailed(ShredFailure failure, std::wstring_view path) {
  std::wstring text;
  switch (failure) {
    case ShredFailure::File: text = L"文件 " + Quoted(path) + L" 正在运行或对其操作权限不够，无法粉碎！"; break;
    case ShredFailure::Folder: text = L"目录 " + Quoted(path) + L" 正在运行或对其操作权限不够，无法完全粉碎！"; break;
    case ShredFailure::SomeEntries: text = L"某些文件或目录正在运行或对其操作权限不够，无法全部粉碎！"; break;
  }
  MsgBox(MsgIcon::Warning, MsgButtons::Ok, kFailedHeading, text);
}

void ShredderPage::RunShredTask() {
  ShredJob job;
  job.task = static_cast<ShredTask>(wjfs_runstate);
  const auto runWith = [&](RunControl& run, std::wstring_view handler, std::initializer_list<Control*> disable) {
    // The end step puts the run's own caption back; no other button showed "停止".
    RunGuard guard(run, handler, wjfs_runstate, disable, [this] {
      wjfs_filesel.setEnabled(true);
      UpdateShredCount();
      enableActions();
    });
    // Refresh cannot be stopped: its button keeps its caption, and the engine
    // does not ask whether a stop was requested.
    if (job.task == ShredTask::Refresh) wjfs_refresh.setCaption(kRefreshCaption);
    ShredEvents events;
    events.countChanged = [this](std::size_t rows) { wjfs_showlist.setColumnCaption(0, CountedCaption(kEntryColumn, rows)); };
    events.failed = [this](ShredFailure failure, std::wstring_view path) { shredFailed(failure, path); };
    EntryRows rows(wjfs_entries);
    const ShredResult result = wv::RunShredTask(std::move(job), rows, run, events);
    guard.finish(result.status);
  };
  switch (job.task) {
    case ShredTask::Import:
      job.pending = std::move(wjfs_filelist);  // consumed by the import
      wjfs_filelist.clear();
      runWith(wjfs_fileselRun, L"wjfs_fileselClick", {&wjfs_selfs, &wjfs_allselfs, &wjfs_refresh});
      break;
    case ShredTask::ShredSelected:
      job.selected = static_cast<std::size_t>(std::max(wjfs_showlist.selected(), 0));
      runWith(wjfs_selfsRun, L"wjfs_selfsClick", {&wjfs_filesel, &wjfs_allselfs, &wjfs_refresh});
      break;
    case ShredTask::ShredAll:
      runWith(wjfs_allselfsRun, L"wjfs_allselfsClick", {&wjfs_filesel, &wjfs_selfs, &wjfs_refresh});
      break;
    case ShredTask::Refresh:
      runWith(wjfs_refreshRun, L"wjfs_menurefreshClick", {&wjfs_filesel, &wjfs_selfs, &wjfs_allselfs, &wjfs_refresh});
      break;
    default:
      wjfs_runstate = 0;
      break;
  }
}

void ShredderPage::wjfs_menuPopup() {
  const bool active = wjfs_runstate == 0 && !wjfs_entries.empty();
  for (int i : {kMenuDelSel, kMenuDelUnsel, kMenuDelAll, kMenuRefresh}) wjfs_menu.item(i).enabled = active;
}

void ShredderPage::removeRows(std::vector<std::size_t> indices) {
  // Only the list changes: nothing on disk is touched.
  wjfs_entries.eraseMany(std::move(indices));
  wjfs_showlist.flush();
  UpdateShredCount();
  enableActions();
}

void ShredderPage::wjfs_menudelselClick() { removeBySelection(true); }

void ShredderPage::wjfs_menudelunselClick() { removeBySelection(false); }

void ShredderPage::removeBySelection(bool selected) {
  if (wjfs_runstate != 0) return;
  std::optional<std::vector<std::size_t>> gone = RowsToExclude(wjfs_showlist.selection(), wjfs_entries.size(), selected);
  if (!gone) return wjfs_menudelallClick();
  removeRows(std::move(*gone));
}

void ShredderPage::wjfs_menudelallClick() {
  if (wjfs_runstate != 0) return;
  wjfs_entries.clear();
  UpdateShredCount();
  enableActions();
}

void ShredderPage::wjfs_showlistColumnClick(int column) {
  if (wjfs_runstate != 0) return;
  // Sorted by the text shown (sizes as text, as every list of the program), the
  // entries following their rows.
  std::vector<ListRow> shown = wjfs_rows.rows();
  for (std::size_t i = 0; i < shown.size(); ++i) shown[i].state = static_cast<int>(i);
  SortListByColumn(shown, column);
  std::vector<std::size_t> order;
  order.reserve(shown.size());
  for (const ListRow& row : shown) order.push_back(static_cast<std::size_t>(row.state));
  // The rows keep their texts and icons: formatting them again asks the shell for every icon.
  wjfs_entries.reorder(order);
  wjfs_showlist.flush();  // the view knows its rows before the next click lands
}

}  // namespace wv
