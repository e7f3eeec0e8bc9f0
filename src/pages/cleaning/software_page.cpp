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
  rjql_showlist.create(h, ListStyle{},
                       {{SoftwareHeader(0), 200},
                        {L"发布商", 120},
                        {L"版本", 70},
                        {L"安装日期", 80},
                        {L"网址", 170},
                        {L"命令参数", 260}});
  rjql_showtype.create(h, {L"隐藏更新补丁", L"隐藏微软相关", L"显示所有软件"}, 0);
  rjql_sx.create(h, L"刷新");
  rjql_xz.create(h, L"卸载该软件");
  rjql_sc.create(h, L"删除该记录");
  rjql_wz.create(h, L"访问该网址");
  for (Button* b : {&rjql_sx, &rjql_xz, &rjql_sc, &rjql_wz}) b->setEnabled(false);
  rjql_showtype.setEnabled(false);
  rjql_sx.onClick = [this] { rjql_sxClick(); };
  rjql_xz.onClick = [this] { rjql_xzClick(); };
  rjql_sc.onClick = [this] { rjql_scClick(); };
  rjql_wz.onClick = [this] { rjql_wzClick(); };
  rjql_showtype.onChange = [this] { rjql_sxClick(); };
  rjql_showlist.onSelectItem = [this](int) { rjql_showlistSelectItem(); };
  rjql_showlist.onDblClick = [this] { rjql_xzClick(); };
  rjql_showlist.onColumnClick = [this](int column) { rjql_showlistColumnClick(column); };
  // Behind the list while it is being filled (the list is hidden then).
  onPaint = [this](HDC dc, const RECT&) {
    RECT r = rjql_showlist.bounds();
    SetTextColor(dc, theme::kMutedText);
    DrawTextW(dc, L"软件信息获取中,请稍等...", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  };
}

void SoftwarePage::layout(int width, int height) {
  constexpr int kSideW = 112;  // the filter's longest item must show whole beside its arrow
  const int right = width - kMargin;
  const int buttonsX = right - kSideW;
  rjql_showlist.setBounds(kMargin + 1, kTop + 1, buttonsX - kGap - kMargin - 2, height - kTop - kMargin - 2);
  rjql_showtype.setBounds(buttonsX, kTop + 1, kSideW, 200);
  StackButtons({&rjql_sx, &rjql_xz, &rjql_sc, &rjql_wz}, buttonsX, kTop + 36, kSideW);
}

void SoftwarePage::initialise() { resetImages(); }

void SoftwarePage::fitColumns() { FitListColumn(rjql_showlist, 5); }

void SoftwarePage::activated() {
  if (rjql_showlist.count() == 0) rjql_sxClick();
}

void SoftwarePage::resetImages() {
  // Index 0 is the program's default picture, for programs without an icon file.
  rjql_images.reset(ImageList_Create(dpi::S(16), dpi::S(16), ILC_COLOR32, 32, 32));
  if (HICON fallback = ImageList_GetIcon(form().rowPictures(), 0, ILD_NORMAL)) {
    ImageList_AddIcon(rjql_images.get(), fallback);
    DestroyIcon(fallback);
  }
  rjql_showlist.setImageList(rjql_images.get());
}

void SoftwarePage::writeHeader() { rjql_showlist.setColumnCaption(0, SoftwareHeader(rjql_showlist.count())); }

void SoftwarePage::rjql_sxClick() {
  form().setSideBarEnabled(false);
  for (Button* b : {&rjql_sx, &rjql_xz, &rjql_sc, &rjql_wz}) b->setEnabled(false);
  rjql_showtype.setEnabled(false);
  rjql_showlist.clear();
  rjql_registrations.clear();
  resetImages();
  writeHeader();
  rjql_showlist.setVisible(false);  // the waiting text behind it shows meanwhile

  RefreshRun run;
  const auto filter = static_cast<SoftwareFilter>(std::clamp(rjql_showtype.index(), 0, 2));
  ReadInstalledSoftware(filter, run, [this](SoftwareRow software) {
    ListRow row;
    row.caption = software.displayName;
    row.sub = {software.publisher, software.version,
               software.hasInstalled ? FormatFileTime(software.installed, L"yyyy-mm-dd") : std::wstring(),
               software.webAddress, software.uninstallCommand};
    row.image = 0;
    if (!software.iconFile.empty())
      if (UniqueBitmap icon = FitSquare(GetFileIconBitmap(software.iconFile), dpi::S(16)))
        row.image = std::max(0, ImageList_Add(rjql_images.get(), icon.get(), nullptr));
    row.state = static_cast<int>(rjql_registrations.size());
    rjql_registrations.push_back(std::move(software));
    rjql_showlist.appendRow(row);
  });

  rjql_showlist.setVisible(true);
  invalidate();  // the list's frame, which the page draws only around what is shown
  writeHeader();
  rjql_showtype.setEnabled(true);
  rjql_sx.setEnabled(true);
  form().setSideBarEnabled(true);
}

const SoftwareRow* SoftwarePage::registrationOf(int row) const {
  if (row < 0 || row >= rjql_showlist.count()) return nullptr;
  const int index = rjql_showlist.state(row);
  if (index < 0 || static_cast<std::size_t>(index) >= rjql_registrations.size()) return nullptr;
  return &rjql_registrations[static_cast<std::size_t>(index)];
}

void SoftwarePage::rjql_showlistSelectItem() {
  for (Button* b : {&rjql_xz, &rjql_sc, &rjql_wz}) b->setEnabled(false);
  const int row = rjql_showlist.selected();
  if (row < 0) return;
  rjql_xz.setEnabled(true);
  rjql_sc.setEnabled(true);
  rjql_wz.setEnabled(!TrimView(rjql_showlist.text(row, kWebColumn)).empty());
}

void SoftwarePage::rjql_xzClick() {
  if (!rjql_sx.enabled()) return;  // a refresh is running
  const SoftwareRow* software = registrationOf(rjql_showlist.selected());
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
  }
}

void SoftwarePage::rjql_scClick() {
  if (!rjql_sx.enabled()) return;
  const int row = rjql_showlist.selected();
  const SoftwareRow* software = registrationOf(row);
  if (!software) return;
  if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"信息删除", L"您确定从注册表中删除该软件的注册信息吗？"))) return;
  // The row goes only with its key: a registration that stays must not seem deleted.
  if (DeleteRegistration(*software)) rjql_showlist.deleteRow(row);
  else MsgBox(MsgIcon::Error, MsgButtons::Ok, L"信息删除", L"该软件的注册信息未能删除。");
  writeHeader();
  rjql_showlistSelectItem();
}

void SoftwarePage::rjql_wzClick() {
  if (!rjql_sx.enabled()) return;
  const int row = rjql_showlist.selected();
  if (row < 0) return;
  const WebAddressCheck check = CheckWebAddress(rjql_showlist.text(row, kWebColumn));
  if (check.kind == WebAddressKind::Empty) return;
  if (check.kind == WebAddressKind::NotWeb) {
    MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"访问网址",
           L"“" + check.address + L"”不是网页或邮件地址（http、https、ftp、mailto），为安全起见不予打开。");
    return;
  }
  (void)OpenWebAddress(check.address);
}

void SoftwarePage::rjql_showlistColumnClick(int column) {
  std::vector<ListRow> rows = rjql_showlist.rows();
  SortListByColumn(rows, column);
  rjql_showlist.setRows(rows);
  rjql_showlistSelectItem();
}

}  // namespace wv
