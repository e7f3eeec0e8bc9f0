// The daily page's share of the rule file winapp2.ini: its tab (path, what
// reading gave, the entries not read), its entries below the catalogue rows with
// their ticks and warnings, their scan after the built-in items, and the removal
// of result rows, registry rows through an undo file first.

#include <algorithm>
#include <map>

#include "app/main_window.h"
#include "core/utilities.h"
#include "engines/cleaning/removal.h"
#include "pages/cleaning/clean_page.h"
#include "engines/cleaning/winapp2_detect.h"
#include "engines/registry/redundancy_scan.h"
#include "pages/cleaning/daily_files_page.h"
#include "pages/registry/registry_reports.h"
#include "platform/text.h"
#include "ui/notify.h"

namespace wv {
namespace {

constexpr std::wstring_view kRegistryQuestion =
    L"您“确定”删除选中的注册表项目吗？删除之前会先把它们写入可以撤销的备份文件。";

std::wstring Count(std::size_t n) { return ToDecimal(static_cast<std::int64_t>(n)); }

ListRow HeadingRow(const std::wstring& group, std::size_t entries) {
  return ListRow{group, {Count(entries) + L" 项"}, picture::UserFolders};
}

ListRow EntryRow(const Winapp2Entry& entry) {
  // "注意": the entry has a warning the user reads before ticking it.
  return ListRow{RuleEntryCaption(entry.name), {entry.warning.empty() ? L"可选" : L"注意"}, picture::Program};
}

std::wstring RefusalText(const FoundRow& row) {
  if (row.kind == FoundKind::RefusedKey) return L"系统共用的注册表键";
  return std::wstring(FolderProtectionText(row.protection));
}

bool IsRegistryRow(const FoundRow& row) {
  return row.registry && (row.kind == FoundKind::RegistryKey || row.kind == FoundKind::RegistryValue);
}

}  // namespace

std::wstring RuleEntryCaption(std::wstring_view name) {
  if (name.size() > 2 && name.ends_with(L" *")) name.remove_suffix(2);
  return std::wstring(TrimView(name));
}

std::wstring RuleGroupCaption(const Winapp2Entry& entry) {
  if (!entry.section.empty()) return entry.section;
  switch (entry.langSecRef) {
    case 3021: return L"应用程序";
    case 3022: return L"网络";
    case 3023: return L"多媒体";
    case 3024: return L"实用工具";
    case 3025: return L"Windows";
    default: return L"其它";
  }
}

ListRow FormatRuleRow(const FoundRow& row) {
  ListRow shown;
  std::wstring kind = RuleEntryCaption(row.rule.entry);
  switch (row.kind) {
    case FoundKind::File:
      shown = FoundRowText(row, picture::JunkFile);
      break;
    case FoundKind::WasteFolder:
      shown = FoundRowText(row, picture::Folder);
      break;
    case FoundKind::RegistryKey:
      shown = ListRow{row.path, {L"注册表键"}, picture::RegistryHive};
      break;
    case FoundKind::RegistryValue:
      shown = ListRow{row.path + L"|" +
                          (row.registry->valueName.empty() ? std::wstring(kDefaultValueMarker) : row.registry->valueName),
                      {L"注册表值"}, picture::RegistryHive};
      break;
    case FoundKind::RefusedFolder:
    case FoundKind::RefusedKey:
      shown = ListRow{row.path, {L"已拒绝"}, picture::MissingTarget};
      kind += L"（" + row.rule.key + L" " + RefusalText(row) + L"）";
      break;
  }
  shown.sub.push_back(std::move(kind));
  return shown;
}

void DailyFilesPage::buildRuleFileTab(Panel& page) {
  const HWND h = page.handle();
  ruleFileLabel.create(h, L"规则文件");
  ruleFileEdit.create(h, L"", 300);
  ruleFileBrowseButton.create(h, L"...");
  ruleFileReadButton.create(h, L"读取");
  ruleFileSummary.create(h, L"", 0, 0, 80, 36, SS_LEFT, /*wraps=*/true);  // the counts take two lines
  ruleProblemList.create(h, ListStyle{}, {{L"无法读取的项目", 200}, {L"原因", 410}});
  page.onSize = [this](int w, int hh) { layoutRuleFileTab(w, hh); };
  ruleFileBrowseButton.onClick = [this] { onRuleFileBrowseClicked(); };
  ruleFileReadButton.onClick = [this] { readRuleFile(Trim(ruleFileEdit.text())); };
}

void DailyFilesPage::layoutRuleFileTab(int width, int height) {
  constexpr int labelW = 52;
  int y = 8;
  const int readX = width - 1 - 64;
  ruleFileReadButton.setBounds(readX, y - 3, 64, 28);
  const int pickX = readX - kGap - kEditH;
  ruleFileBrowseButton.setBounds(pickX, y, kEditH, kEditH);
  ruleFileLabel.setBounds(0, y + 3, labelW, kEditH);
  ruleFileEdit.setBounds(labelW + 4, y, pickX - 4 - labelW - 4, kEditH);
  y += kEditH + 10;
  ruleFileSummary.setBounds(0, y, width - 1, 36);
  y += 40;
  ruleProblemList.setBounds(1, y, width - 2, height - y - 1);
}

void DailyFilesPage::onRuleFileBrowseClicked() {
  OpenFilesRequest request;
  request.title = L"请选择 winapp2.ini 文件...";
  request.filterName = L"winapp2.ini (*.ini)";
  request.filterPattern = L"*.ini";
  const std::vector<std::wstring> files = form().pickFiles(std::move(request));
  if (!files.empty()) readRuleFile(files.front());
}

const Winapp2Entry* DailyFilesPage::ruleEntryAt(int row) const {
  if (row < kCatalogueItems) return nullptr;
  const auto r = static_cast<std::size_t>(row - kCatalogueItems);
  if (r >= ruleRows.size() || ruleRows[r] < 0) return nullptr;
  return &rules.entries.at(static_cast<std::size_t>(ruleRows[r]));
}

std::vector<std::wstring> DailyFilesPage::tickedRuleNames() const {
  std::set<std::wstring> names = keptTicks;
  for (int i = kCatalogueItems; i < itemList.count(); ++i) {
    const Winapp2Entry* entry = ruleEntryAt(i);
    if (!entry) continue;
    if (itemList.checked(i)) names.insert(entry->name);
    else names.erase(entry->name);
  }
  return {names.begin(), names.end()};
}

void DailyFilesPage::applyRuleTicks() {
  tickingQuietly = true;
  for (int i = kCatalogueItems; i < itemList.count(); ++i)
    if (const Winapp2Entry* entry = ruleEntryAt(i)) itemList.setChecked(i, keptTicks.contains(entry->name));
  tickingQuietly = false;
}

void DailyFilesPage::readRuleFile(std::wstring_view path) {
  // The ticks of the entries shown now stay for the file read next.
  const std::vector<std::wstring> ticked = tickedRuleNames();
  keptTicks = {ticked.begin(), ticked.end()};
  ruleFilePath.assign(path);
  ruleFileEdit.setText(path);
  rules = ReadWinapp2(path);
  const std::vector<bool> detected = DetectEntries(rules.entries, ruleFolders, Sys().version());

  // Groups in the order of their captions, entries in the file's order.
  std::map<std::wstring, std::pair<std::wstring, std::vector<int>>> groups;
  for (std::size_t i = 0; i < rules.entries.size(); ++i) {
    if (!detected[i]) continue;
    const std::wstring caption = RuleGroupCaption(rules.entries[i]);
    auto& group = groups[ToUpper(caption)];
    group.first = caption;
    group.second.push_back(static_cast<int>(i));
  }
  tickingQuietly = true;
  while (itemList.count() > kCatalogueItems) itemList.deleteRow(itemList.count() - 1);
  ruleRows.clear();
  std::size_t shown = 0;
  for (const auto& [key, group] : groups) {
    itemList.setCheckBoxShown(itemList.appendRow(HeadingRow(group.first, group.second.size())), false);
    ruleRows.push_back(-1);
    for (const int index : group.second) {
      itemList.appendRow(EntryRow(rules.entries[static_cast<std::size_t>(index)]));
      ruleRows.push_back(index);
      ++shown;
    }
  }
  tickingQuietly = false;
  applyRuleTicks();

  std::vector<ListRow> problems;
  for (const Winapp2Problem& p : rules.problems) problems.push_back(ListRow{p.entry, {p.reason}});
  ruleProblemList.setRows(problems);
  if (rules.refused()) {
    const bool missing = !path.empty() && !FileExists(path);
    ruleFileSummary.setCaption(missing ? L"未找到规则文件。把 winapp2.ini 放在本程序旁边，或选择它所在的位置后按“读取”。"
                                       : L"无法使用此文件：" + rules.refusal + L"。其它清理项目照常可用。");
  } else {
    ruleFileSummary.setCaption(
        (rules.version.empty() ? std::wstring() : L"版本 " + rules.version + L"，") + L"共 " + Count(rules.sections) +
        L" 项：已读取 " + Count(rules.entries.size()) + L" 项，其中 " + Count(shown) + L" 项适用于本机（列在扫描项目下方，默认不选）；" +
        Count(rules.problems.size()) + L" 项无法读取，列在下面。");
  }
  relayout();
}

void DailyFilesPage::onItemCheckChanged(int index) {
  if (tickingQuietly || index < kCatalogueItems) return;
  const auto r = static_cast<std::size_t>(index - kCatalogueItems);
  if (r >= ruleRows.size()) return;
  if (ruleRows[r] < 0) {
    // A heading takes no tick: a click or Space on it put the box back.
    if (itemList.checkBoxShown(index)) {
      tickingQuietly = true;
      itemList.setCheckBoxShown(index, false);
      tickingQuietly = false;
    }
    return;
  }
  const Winapp2Entry& entry = *ruleEntryAt(index);
  if (entry.warning.empty() || !itemList.checked(index)) return;
  if (Confirmed(MsgBox(MsgIcon::Warning, MsgButtons::OkCancel, L"注意",
                       RuleEntryCaption(entry.name) + L"：" + entry.warning + L"\n\n您“确定”要选中此项吗？")))
    return;
  tickingQuietly = true;
  itemList.setChecked(index, false);
  tickingQuietly = false;
}

void DailyFilesPage::onItemsToggleClicked() {
  // Entries with a warning are ticked one by one, after their question.
  const bool all = itemsToggle.offersAll();
  tickingQuietly = true;
  for (int i = 0; i < itemList.count(); ++i) {
    const Winapp2Entry* entry = ruleEntryAt(i);
    if (i < kCatalogueItems) itemList.setChecked(i, all);
    else if (entry) itemList.setChecked(i, all && entry->warning.empty());
  }
  tickingQuietly = false;
  itemsToggle.setOffersAll(!all);
}

void DailyFilesPage::onDefaultsClicked() {
  // The catalogue's recommendations; no entry of the rule file is recommended.
  tickingQuietly = true;
  for (int i = 0; i < itemList.count(); ++i) {
    if (i < kCatalogueItems) itemList.setChecked(i, itemList.state(i) == 1);
    else if (ruleEntryAt(i)) itemList.setChecked(i, false);
  }
  tickingQuietly = false;
}

// The entries go in the list's order, group by group, so that their result rows
// follow the ticks as the user sees them (as the built-in items' rows do).
Winapp2ScanResult DailyFilesPage::scanRuleEntries(RunContext& run) {
  Winapp2ScanInput input;
  for (int i = kCatalogueItems; i < itemList.count(); ++i)
    if (const Winapp2Entry* entry = ruleEntryAt(i))
      input.entries.push_back({entry, static_cast<std::size_t>(i), itemList.checked(i)});
  if (input.entries.empty()) return {};
  input.folders = ruleFolders;
  input.protection = ProtectedFolders::Resolve();
  input.item = kRuleFileItem;
  std::wstring folded;
  for (const FoundRow& row : foundRows.rows()) {
    FoldInto(row.path, folded);
    input.alreadyListed.insert(folded);
  }
  return Winapp2Scan(input, run, foundRows.sink());
}

void DailyFilesPage::removeRows(bool allRows) {
  RunControl& control = allRows ? removeAllRun : removeSelectedRun;
  // A second press of the running removal's button stops it.
  if (!control.canStart()) {
    control.requestStop();
    return;
  }
  // The control's row numbers are the model's once both hold the same rows.
  resultList.flush();
  std::vector<std::size_t> indices;
  if (allRows) indices = AllRowIndices(foundRows.size());
  else
    for (int i : resultList.selection()) indices.push_back(static_cast<std::size_t>(i));
  const auto chosen = [&](auto test) {
    return std::any_of(indices.begin(), indices.end(),
                       [&](std::size_t i) { return i < foundRows.size() && test(foundRows.at(i)); });
  };
  const bool files = chosen([](const FoundRow& r) { return IsFileKind(r.kind); });
  const bool registry = chosen(IsRegistryRow);
  if (!files && !registry) return;
  const RemovalOptions options = removal.options(form().handle());
  if (files && !ConfirmRemoval(options, foundRows.rows(), indices, allRows)) return;
  if (registry && !Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"注册清理", kRegistryQuestion))) return;

  const DailyRemoval operation = allRows ? DailyRemoval::All : DailyRemoval::Selected;
  Button& other = allRows ? deleteSelectedButton : deleteAllButton;
  RunGuard run(control, allRows ? L"DailyFilesPage::onDeleteAllClicked" : L"DailyFilesPage::onDeleteSelectedClicked",
               static_cast<std::int32_t>(operation), {&scanButton, &other, &exportButton}, [this] {
                 scanButton.setEnabled(true);
                 deleteSelectedButton.setEnabled(!foundRows.empty());
                 deleteAllButton.setEnabled(!foundRows.empty());
                 exportButton.setEnabled(!foundRows.empty());
               });
  // The undo file comes first: when it cannot be written, nothing at all is removed.
  RegistryRemoval keys = RemoveRegistryRows(foundRows.rows(), indices, form().registryBackupFolder);
  if (!keys.undo.written) {
    ReportUndoFailure(keys.undo);
    run.finish(L"注册表项目的撤销文件未能写入，未清理任何项目");
    return;
  }
  // The file rows (rule-file rows among them) each checked as they go, like the built-in items'.
  RemovalReport report;
  if (files) report = RemoveFoundRows(foundRows.rows(), indices, options, control);
  report.removed += keys.gone.size();
  report.gone.insert(report.gone.end(), keys.gone.begin(), keys.gone.end());
  std::sort(report.gone.begin(), report.gone.end());
  std::wstring text = ApplyRemoval(foundRows, report, kDailyCleanedText);
  // Refused rules stay listed, to be read; they are nothing left to clean.
  const bool left = std::any_of(foundRows.rows().begin(), foundRows.rows().end(),
                                [](const FoundRow& r) { return IsFileKind(r.kind) || IsRegistryRow(r); });
  run.finish(left ? text : std::wstring(kDailyCleanedText));
}

}  // namespace wv
