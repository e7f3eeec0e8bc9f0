#include "cleaning/rjqlpage.h"

#include "app/mainform.h"
#include "ui/theme.h"

namespace wv {

RjqlPage::RjqlPage(Tfrmmain& form)
    : Page(form, L"rjql", L"软件卸载清理", L"查看本机已安装的软件，卸载软件、访问其网址或删除无效的卸载记录。") {}

void RjqlPage::build() {
  HWND h = handle();
  rjql_showlist.create(h, ListStyle{},
                       {{L"待添加/删除的软件     (共 0 项)", 230},
                        {L"发布商", 150},
                        {L"版本", 90},
                        {L"安装日期", 80},
                        {L"网址", 180},
                        {L"命令参数", 260}});
  rjql_showtype.create(h, {L"隐藏更新补丁", L"隐藏微软相关", L"显示所有软件"}, 0);
  rjql_sx.create(h, L"刷新");
  rjql_xz.create(h, L"卸载该软件");
  rjql_sc.create(h, L"删除该记录");
  rjql_wz.create(h, L"访问该网址");
  for (Button* b : {&rjql_sx, &rjql_xz, &rjql_sc, &rjql_wz}) b->setEnabled(false);
  rjql_sx.onClick = [this] { rjql_sxClick(); };
  // Behind the list while it is being filled (the list is hidden then).
  onPaint = [this](HDC dc, const RECT&) {
    RECT r = rjql_showlist.bounds();
    SetTextColor(dc, theme::kMutedText);
    DrawTextW(dc, L"软件信息获取中,请稍等...", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  };
}

void RjqlPage::layout(int width, int height) {
  const int right = width - kMargin;
  const int buttonsX = right - kButtonW;
  rjql_showlist.setBounds(kMargin + 1, kTop + 1, buttonsX - kGap - kMargin - 2, height - kTop - kMargin - 2);
  rjql_showtype.setBounds(buttonsX, kTop + 2, kButtonW, 200);
  StackButtons({&rjql_sx, &rjql_xz, &rjql_sc, &rjql_wz}, buttonsX, kTop + 36);
}

void RjqlPage::initialise() {
  // Its own pictures: each program's icon.
  rjql_images.reset(ImageList_Create(16, 16, ILC_COLOR32, 16, 16));
  rjql_showlist.setImageList(rjql_images.get());
}

void RjqlPage::activated() {
  if (rjql_showlist.count() == 0) rjql_sxClick();
}

void RjqlPage::rjql_sxClick() {
  // Reading the uninstall list is the software manager's.
}

}  // namespace wv
