#include "pages/cleaning/software_page.h"

#include <algorithm>

#include "app/main_window.h"
#include "core/utilities.h"
#include "ui/dpi.h"
#include "ui/pictures.h"
#include "ui/messages.h"
#include "ui/theme.h"

namespace wv {
namespace {

constexpr int kWebColumn = 4;

// Lets the window work before each registration; ends the reading only when the program closes.
class RefreshRun : public RunContext {
 public:
  bool proceed() override { return DrainMessagesIfDue(); }
  void status(std::wstring_view text) override { SetRunInfo(text); }
};

}  // namespace

std::wstring SoftwareHeader(int rows) { return L"待添加/删除的软件     (共 " + ToDecimal(rows) + L" 项)"; }

SoftwarePage::SoftwarePage(MainWindow& form)
    : Page(form, Module::Software, L"查看本机已安装的软件，卸载软件、访问其网址或删除无效的卸载记录。") {}

void SoftwarePage::build() {
  HWND h = handle();
  programList.create(h, ListStyle{},
                     {{SoftwareHeader(0), 200},
                      {L"发布商", 120},
                      {L"版本", 70},
                      {L"安装日期", 80},
                      {L"网址", 170},
                      {L"命令参数", 260}});
  filterCombo.create(h, {L"隐藏更新补丁", L"隐藏微软相关", L"显示所有软件"}, 0);
  refreshButton.create(h, L"刷新");
  uninstallButton.create(h, L"卸载该软件");
  deleteRecordButton.create(h, L"删除该记录");
  visitAddressButton.create(h, L"访问该网址");
  for (Button* b : {&refreshButton, &uninstallButton, &deleteRecordButton, &visitAddressButton}) b->setEnabled(false);
  filterCombo.setEnabled(false);
  refreshButton.onClick = [this] { refresh(); };
  uninstallButton.onClick = [this] { onUninstallClicked(); };
  deleteRecordButton.onClick = [this] { onDeleteRecordClicked(); };
  visitAddressButton.onClick = [this] { onVisitAddressClicked(); };
  filterCombo.onChange = [this] { refresh(); };
  programList.onSelectItem = [this](int) { onProgramSelected(); };
  programList.onDblClick = [this] { onUninstallClicked(); };
  programList.onColumnClick = [this](int column) { onColumnClicked(column); };
  // Behind the list while it is being filled (the list is hidden then).
  onPaint = [this](HDC dc, const RECT&) {
    RECT r = programList.bounds();
    SetTextColor(dc, theme::kMutedText);
    DrawTextW(dc, L"软件信息获取中,请稍等...", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  };
}

void SoftwarePage::layout(int width, int height) {
  constexpr int kSideW = 112;  // the filter's longest item must show whole beside its arrow
  const int right = width - kMargin;
  const int buttonsX = right - kSideW;
  programList.setBounds(kMargin + 1, kTop + 1, buttonsX - kGap - kMargin - 2, height - kTop - kMargin - 2);
  filterCombo.setBounds(buttonsX, kTop + 1, kSideW, 200);
  StackButtons({&refreshButton, &uninstallButton, &deleteRecordButton, &visitAddressButton}, buttonsX, kTop + 36, kSideW);
}

void SoftwarePage::initialise() { resetImages(); }

void SoftwarePage::fitColumns() { FitListColumn(programList, 5); }

void SoftwarePage::activated() {
  if (programList.count() == 0) refresh();
}

void SoftwarePage::resetImages() {
  // Index 0 is the program's default picture, for programs without an icon file.
  programIcons.reset(ImageList_Create(dpi::S(16), dpi::S(16), ILC_COLOR32, 32, 32));
  if (HICON fallback = ImageList_GetIcon(form().rowPictures(), 0, ILD_NORMAL)) {
    ImageList_AddIcon(programIcons.get(), fallback);
    DestroyIcon(fallback);
  }
  programList.setImageList(programIcons.get());
}

void SoftwarePage::writeHeader() { programList.setColumnCaption(0, SoftwareHeader(programList.count())); }

void SoftwarePage::refresh() {
  form().setSideBarEnabled(false);
  for (Button* b : {&refreshButton, &uninstallButton, &deleteRecordButton, &visitAddressButton}) b->setEnabled(false);
  filterCombo.setEnabled(false);
  programList.clear();
  registrations.clear();
  resetImages();
  writeHeader();
  programList.setVisible(false);  // the waiting text behind it shows meanwhile

  RefreshRun run;
  const auto filter = static_cast<SoftwareFilter>(std::clamp(filterCombo.index(), 0, 2));
  ReadInstalledSoftware(filter, run, [this](SoftwareRow software) {
    ListRow row;
    row.caption = software.displayName;
    row.sub = {software.publisher, software.version,
               software.hasInstalled ? FormatFileTime(software.installed, L"yyyy-mm-dd") : std::wstring(),
               software.webAddress, software.uninstallCommand};
    row.image = 0;
    if (!software.iconFile.empty())
      if (UniqueBitmap icon = FitSquare(GetFileIconBitmap(software.iconFile), dpi::S(16)))
        row.image = std::max(0, ImageList_Add(programIcons.get(), icon.get(), nullptr));
    row.state = static_cast<int>(registrations.size());
    registrations.push_back(std::move(software));
    programList.appendRow(row);
  });

  programList.setVisible(true);
  invalidate();  // the list's frame, which the page draws only around what is shown
  writeHeader();
  filterCombo.setEnabled(true);
  refreshButton.setEnabled(true);
  form().setSideBarEnabled(true);
}

const SoftwareRow* SoftwarePage::registrationOf(int row) const {
  if (row < 0 || row >= programList.count()) return nullptr;
  const int index = programList.state(row);
  if (index < 0 || static_cast<std::size_t>(index) >= registrations.size()) return nullptr;
  return &registrations[static_cast<std::size_t>(index)];
}

void SoftwarePage::onProgramSelected() {
  for (Button* b : {&uninstallButton, &deleteRecordButton, &visitAddressButton}) b->setEnabled(false);
  const int row = programList.selected();
  if (row < 0) return;
  uninstallButton.setEnabled(true);
  deleteRecordButton.setEnabled(true);
  visitAddressButton.setEnabled(!TrimView(programList.text(row, kWebColumn)).empty());
}

void SoftwarePage::onUninstallClicked() {
  if (!refreshButton.enabled()) return;  // a refresh is running
  const SoftwareRow* software = registrationOf(programList.selected());
  if (!software) return;
  if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"软件卸载", L"您确定从计算机中卸载该软件吗？"))) return;
  switch (RunUninstaller(*software)) {
    case UninstallOutcome::Started: break;
    case UninstallOutcome::NoCommand:
      MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"软件卸载", L"该软件没有登记卸载命令，无法在这里卸载。");
      break;
    case UninstallOutcome::RegistrationGone:
      MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"软件卸载", L"该软件的注册信息已不存在，请刷新列表。");
      break;
    case UninstallOutcome::UninstallerMissing:
      MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"软件卸载",
             L"找不到该软件的卸载程序：卸载命令须写明程序的完整位置，或使用 Windows 自带的程序。未执行卸载。");
      break;
  }
}

void SoftwarePage::onDeleteRecordClicked() {
  if (!refreshButton.enabled()) return;
  const int row = programList.selected();
  const SoftwareRow* software = registrationOf(row);
  if (!software) return;
  if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"信息删除", L"您确定从注册表中删除该软件的注册信息吗？"))) return;
  // The row goes only with its key (or when the key was gone already): a
  // registration that stays must not seem deleted.
  if (const SysResult deleted = DeleteRegistration(*software); deleted)
    programList.deleteRow(row);
  else
    MsgBox(MsgIcon::Error, MsgButtons::Ok, L"信息删除",
           L"该软件的注册信息未能删除。" + SystemErrorText(deleted.error()));
  writeHeader();
  onProgramSelected();
}

void SoftwarePage::onVisitAddressClicked() {
  if (!refreshButton.enabled()) return;
  const int row = programList.selected();
  if (row < 0) return;
  const WebAddressCheck check = CheckWebAddress(programList.text(row, kWebColumn));
  if (check.kind == WebAddressKind::Empty) return;
  if (check.kind == WebAddressKind::NotWeb) {
    MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"访问网址",
           L"“" + check.address + L"”不是网页或邮件地址（http、https、ftp、mailto），为安全起见不予打开。");
    return;
  }
  (void)OpenWebAddress(check.address);
}

void SoftwarePage::onColumnClicked(int column) {
  std::vector<ListRow> rows = programList.rows();
  SortListByColumn(rows, column);
  programList.setRows(rows);
  onProgramSelected();
}

}  // namespace wv
