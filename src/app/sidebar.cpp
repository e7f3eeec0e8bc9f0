#include "app/sidebar.h"

#include "app/mainform.h"
#include "app/page.h"
#include "cleaning/qdszpage.h"
#include "cleaning/qtrcpage.h"
#include "cleaning/rjqlpage.h"
#include "cleaning/wjqlpage.h"
#include "cleaning/wjrcpage.h"
#include "registry/zcqlpage.h"
#include "registry/zcrcpage.h"
#include "tools/wjfspage.h"
#include "tools/wjszpage.h"
#include "tools/yyszpage.h"
#include "ui/theme.h"

namespace wv {

void SideBar::create(Tfrmmain& form) {
  form_ = &form;
  Image1 = Picture(IDB_SIDEBAR);
  icons_ = LoadImageStrip(IDB_SIDEBUTTONS, 24);
  Panel::create(form.handle(), theme::kSideBar);
  zdk_bartools.create(handle(), theme::kSideBar);
  zdk_bartools.onPaint = [this](HDC dc, const RECT& r) { paintTools(dc, r); };

  struct Entry {
    FlatButton* button;
    const wchar_t* caption;
  };
  const Entry entries[] = {
      {&zdk_wjrc, L" 文件日常清理 "}, {&zdk_zcrc, L" 注册日常清理 "}, {&zdk_qtrc, L" 其它日常清理 "},
      {&zdk_qdsz, L" 启动项目清理 "}, {&zdk_rjql, L" 软件卸载清理 "}, {&zdk_wjql, L" 磁盘文件清理 "},
      {&zdk_zcql, L" 注册信息清理 "}, {&zdk_wjsz, L" 文件信息设置 "}, {&zdk_wjfs, L" 文件资料粉碎 "},
      {&zdk_yysz, L" 音乐信息设置 "},
  };
  int index = 0;
  for (const Entry& e : entries) {
    e.button->create(zdk_bartools.handle(), e.caption, FlatButton::Look::SideBar, &group);
    e.button->setIcon(icons_.get(), index++);
    FlatButton* b = e.button;
    b->onClick = [this, b] {
      if (Page* page = pageOf(*b)) form_->SwitchToPage(*page);
    };
  }
  zdk_yysz.setVisible(false);  // the music page has no way in
  zdk_wjrc.setDown(true);
}

std::vector<FlatButton*> SideBar::buttons() {
  return {&zdk_wjrc, &zdk_zcrc, &zdk_qtrc, &zdk_qdsz, &zdk_rjql, &zdk_wjql, &zdk_zcql, &zdk_wjsz, &zdk_wjfs, &zdk_yysz};
}

Page* SideBar::pageOf(const FlatButton& b) const {
  Tfrmmain& f = *form_;
  if (&b == &zdk_wjrc) return f.wjrctab.get();
  if (&b == &zdk_zcrc) return f.zcrctab.get();
  if (&b == &zdk_qtrc) return f.qtrctab.get();
  if (&b == &zdk_qdsz) return f.qdsztab.get();
  if (&b == &zdk_rjql) return f.rjqltab.get();
  if (&b == &zdk_wjql) return f.wjqltab.get();
  if (&b == &zdk_zcql) return f.zcqltab.get();
  if (&b == &zdk_wjsz) return f.wjsztab.get();
  if (&b == &zdk_wjfs) return f.wjfstab.get();
  if (&b == &zdk_yysz) return f.yysztab.get();
  return nullptr;
}

FlatButton* SideBar::buttonOf(const Page& page) {
  for (FlatButton* b : buttons())
    if (pageOf(*b) == &page) return b;
  return nullptr;
}

void SideBar::setToolsEnabled(bool enabled) {
  zdk_bartools.setEnabled(enabled);
  // The buttons draw themselves greyed while their panel is off.
  RedrawWindow(zdk_bartools.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void SideBar::resized(int width, int height) {
  zdk_bartools.setBounds(0, kPictureHeight, width, height - kPictureHeight);
  layoutTools(width, height - kPictureHeight);
  Panel::resized(width, height);
}

void SideBar::layoutTools(int width, int height) {
  (void)height;
  int y = kHeadingHeight;
  for (FlatButton* b : {&zdk_wjrc, &zdk_zcrc, &zdk_qtrc, &zdk_qdsz, &zdk_rjql, &zdk_wjql, &zdk_zcql}) {
    b->setBounds(0, y, width, kButtonHeight);
    y += kButtonHeight;
  }
  heading2Top_ = y + 6;
  y = heading2Top_ + kHeadingHeight;
  for (FlatButton* b : {&zdk_wjsz, &zdk_wjfs, &zdk_yysz}) {
    b->setBounds(0, y, width, kButtonHeight);
    if (b->visible()) y += kButtonHeight;
  }
}

void SideBar::paint(HDC dc, const RECT& client) {
  theme::FillSolid(dc, client, theme::kSideBar);
  RECT pic{0, 0, client.right, kPictureHeight};
  if (Image1.loaded()) {
    Image1.draw(dc, pic);
  } else {
    theme::FillGradient(dc, pic, RGB(0xf7, 0xfa, 0xfe), RGB(0xdc, 0xe7, 0xf5));
    SetBkMode(dc, TRANSPARENT);
    SelectGuard font(dc, theme::HeadingFont());
    SetTextColor(dc, theme::kAccentDark);
    RECT t{0, 10, client.right, 32};
    DrawTextW(dc, L"Vantorra", -1, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectGuard small(dc, theme::UiFont());
    SetTextColor(dc, theme::kMutedText);
    t = RECT{0, 32, client.right, 52};
    DrawTextW(dc, L"系统清理 · 文件处理", -1, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  // The bar's edge toward the page area.
  RECT edge{0, 0, 1, client.bottom};
  theme::FillSolid(dc, edge, theme::kStatusLine);
}

void SideBar::paintTools(HDC dc, const RECT& client) {
  auto heading = [&](int top, const wchar_t* text) {
    RECT band{0, top, client.right, top + kHeadingHeight};
    theme::FillSolid(dc, band, theme::kSideHeading);
    SelectGuard font(dc, theme::BoldFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, theme::kSideHeadingText);
    RECT t{14, top, client.right, top + kHeadingHeight};
    DrawTextW(dc, text, -1, &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  };
  heading(0, L"系统清理");
  heading(heading2Top_, L"文件处理");
  RECT edge{0, 0, 1, client.bottom};
  theme::FillSolid(dc, edge, theme::kStatusLine);
}

}  // namespace wv
