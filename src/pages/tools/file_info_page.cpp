#include "pages/tools/file_info_page.h"

#include <windowsx.h>

#include "app/main_window.h"
#include "core/utilities.h"
#include "platform/platform.h"

namespace wv {
namespace {

ListRow FileInfoListRow(const FileInfoRow& row) {
  ListRow out;
  out.caption = row.newName;
  out.sub.reserve(kFileInfoColumns - 1);
  for (int c = 1; c < kFileInfoColumns; ++c) out.sub.push_back(FileInfoColumnText(row, c));
  out.image = row.image;
  return out;
}

}  // namespace

// ---------------------------------------------------------------- preview

void PreviewEdit::selection(int& start, int& length) const {
  DWORD from = 0, to = 0;
  SendMessageW(handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  start = static_cast<int>(std::min(from, to));
  length = static_cast<int>(from > to ? from - to : to - from);
}

LRESULT PreviewEdit::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = Edit::handleMessage(message, wParam, lParam);
  if ((message == WM_LBUTTONUP || message == WM_KEYUP) && onSelectionDone) onSelectionDone();
  return result;
}

// ---------------------------------------------------------------- the page

FileInfoPage::FileInfoPage(MainWindow& form)
    : SimulationPage(form, {.module = Module::FileInfo,
                          .description = L"批量修改文件的名称、时间和属性：先模拟，确认无误后再正式执行。可将文件拖放到此页。",
                          .importCaption = L"文件选择",
                          .dialogTitle = L"请选择您要设置的文件...",
                          .filterName = L"所有格式",
                          .filterPattern = L"*.*",
                          .followShortcuts = false,
                          .expandFolders = true},
                     {L"文件设置", L"您确定对当前所有的文件信息进行正式设置吗？"}, FileInfoListRow) {}

void FileInfoPage::build() {
  HWND h = handle();
  resetSettingsLink.create(h, L"重置");
  createChooseFilesButton();
  settingsArea.create(h);
  settingsArea.onClick = [this](int, int) { onSettingsAreaPressed(); };
  for (Panel* p : {&namePanel, &timePanel, &attributePanel}) {
    p->create(settingsArea.content.handle(), theme::kPage);
    p->setVisible(false);
    p->onClick = [this](int, int) { onSettingsAreaPressed(); };
  }
  buildNamePanel();
  buildTimePanel();
  buildAttributePanel();

  createActionBar({L"名称", L"时间", L"属性"});
  resetSettingsLink.onClick = [this] { onResetSettingsClicked(); };
  objectChoice.onChange = [this] { onObjectChanged(); };
  resetSimulationButton.onClick = [this] { onResetSimulationClicked(); };
  buildList();
}

// The settings area is as high as the panel shown, at most the name panel's
// first rows: its other rules are scrolled to.
constexpr int kMostSettingsHeight = 6 * ScrollBox::kLine + 8;

void FileInfoPage::layout(int width, int height) {
  const int right = width - kMargin;
  resetSettingsLink.setBounds(kMargin, kTop + 5, 30, 18);
  chooseFilesButton.setBounds(right - kButtonW, kTop, kButtonW, kButtonH);
  const int setY = kTop + kButtonH + 8;
  const int setW = right - kMargin;
  // The name rules end left of the scroll bar that the name panel always needs
  // (measured with the box in its place: where it lies decides the rounding).
  settingsArea.setBounds(kMargin, setY, setW, std::max(1, settingsArea.height()));
  layoutNamePanel(settingsArea.widthBesideBar(setW));
  layoutTimePanel();
  layoutAttributePanel();
  const int contentH = visiblePanel().height();
  const int setH = std::min(contentH, kMostSettingsHeight);
  settingsArea.setBounds(kMargin, setY, setW, setH);
  settingsArea.setContentHeight(contentH);

  layoutActionBarAndList(setY + setH + 8, width, height);
}

void FileInfoPage::initialise() {
  FileToolPage::initialise();
  fileList.setImageList(Sh().smallIconList());
  onResetSettingsClicked();
  onObjectChanged();
}

Panel& FileInfoPage::visiblePanel() {
  switch (objectChoice.index()) {
    case 1: return timePanel;
    case 2: return attributePanel;
    default: return namePanel;
  }
}

void FileInfoPage::onObjectChanged() {
  Panel& show = visiblePanel();
  if (show.visible()) return;
  for (Panel* p : {&namePanel, &timePanel, &attributePanel}) p->setVisible(p == &show);
  settingsArea.scrollTo(0);
  relayout();  // the settings area takes the shown panel's height
}

// ---------------------------------------------------------------- operations

bool FileInfoPage::settingsValid() {
  if (objectChoice.index() != 1) return true;
  Edit* edits[] = {&beginDateEdit, &endDateEdit, &beginTimeEdit, &endTimeEdit};
  const int bad = FirstInvalidTimeEdit(readSettings());
  if (bad < 0) return true;
  (void)MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"模拟失败", L"时间格式填写有误，请重新填写！");
  edits[bad]->focus();
  return false;
}

void FileInfoPage::onResetSimulationClicked() {
  if (runState != 0) return;
  const FileInfoObject object = static_cast<FileInfoObject>(std::max(0, objectChoice.index()));
  ResetSimulated(entries, object);
  if (object == FileInfoObject::Names) showNamePreview();
  showInformation(std::wstring(ObjectCaption(object)) + L"模拟信息重置完成");
}

void FileInfoPage::showInformation(std::wstring_view text) { SetRunInfo(text); }

std::wstring FileInfoPage::runEngine(RunControl& run) {
  FileInfoTask task;
  task.op = static_cast<FileInfoOp>(runState);
  task.ask = AskWithMsgBox;
  task.imageOf = GetSysIconIndex;
  switch (task.op) {
    case FileInfoOp::Import:
      task.files = std::move(pendingFiles);
      pendingFiles.clear();
      break;
    case FileInfoOp::Simulate:
      task.settings = readSettings();
      break;
    case FileInfoOp::Execute:
      task.placement = static_cast<FilePlacement>(std::max(0, placementChoice.index()));
      task.targetDir = targetFolder;
      break;
    default:
      break;
  }
  return wv::RunFileInfoTask(task, run, entries).summary;
}

bool AskWithMsgBox(const FileInfoAsk& ask) {
  const std::wstring heading = FileInfoAskHeading(ask.kind), text = FileInfoAskText(ask);
  if (ask.kind == FileInfoAskKind::InvalidName || ask.kind == FileInfoAskKind::EditInvalid) {
    (void)MsgBox(MsgIcon::Warning, MsgButtons::Ok, heading, text);
    return false;
  }
  return Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, heading, text));
}

}  // namespace wv
