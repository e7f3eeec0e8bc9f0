#include "app/side_bar.h"

#include <cstdlib>

#include "app/main_window.h"
#include "app/page.h"
#include "app/page_table.h"
#include "ui/dpi.h"
#include "ui/theme.h"

namespace wv {

void SideBar::create(MainWindow& form) {
  form_ = &form;
  picture_ = Picture(IDB_SIDEBAR);
  icons_ = LoadImageStrip(IDB_SIDEBUTTONS, 24);
  Panel::create(form.handle(), theme::kSideBar);
  moduleButtons.create(handle(), theme::kSideBar);
  moduleButtons.onPaint = [this](HDC dc, const RECT& r) { paintHeadings(dc, r); };

  // The first heading's buttons, then the second's: the table lists them so.
  for (const PageEntry& page : form.pageTable()) {
    if (page.group == SideGroup::None) continue;
    Entry& e = entries_.emplace_back();
    e.module = page.module;
    e.secondGroup = page.group == SideGroup::FileTools;
    e.button = std::make_unique<FlatButton>();
    FlatButton* b = e.button.get();
    b->create(moduleButtons.handle(), ModuleInfoOf(page.module).sideCaption, FlatButton::Look::SideBar, &group);
    b->setIcon(icons_.get(), static_cast<int>(page.picture));
    b->setVisible(page.buttonShown);
    b->onClick = [this, b] {
      if (Page* target = pageOf(*b)) form_->switchToPage(*target);
    };
  }
  entries_.front().button->setDown(true);  // the start page's
}

void SideBar::reloadIcons() {
  ReloadImageStrip(icons_.get(), IDB_SIDEBUTTONS, 24, dpi::Current());
  RedrawWindow(moduleButtons.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

std::vector<FlatButton*> SideBar::buttons() const {
  std::vector<FlatButton*> out;
  for (const Entry& e : entries_) out.push_back(e.button.get());
  return out;
}

Page* SideBar::pageOf(const FlatButton& b) const {
  for (const Entry& e : entries_)
    if (e.button.get() == &b) return form_->findPage(e.module);
  return nullptr;
}

FlatButton* SideBar::buttonOf(const Page& page) const {
  for (const Entry& e : entries_)
    if (e.module == page.module()) return e.button.get();
  return nullptr;
}

FlatButton& SideBar::button(Module module) const {
  for (const Entry& e : entries_)
    if (e.module == module) return *e.button;
  std::abort();  // a key without a button is a programming error
}

void SideBar::setButtonsEnabled(bool enabled) {
  moduleButtons.setEnabled(enabled);
  // The buttons draw themselves greyed while their panel is off.
  RedrawWindow(moduleButtons.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void SideBar::resized(int width, int height) {
  moduleButtons.setBounds(0, kPictureHeight, width, height - kPictureHeight);
  layoutButtons(width);
  Panel::resized(width, height);
}

void SideBar::layoutButtons(int width) {
  int y = kHeadingHeight;
  bool second = false;
  for (const Entry& e : entries_) {
    if (e.secondGroup && !second) {
      second = true;
      fileToolsHeadingTop_ = y + 6;
      y = fileToolsHeadingTop_ + kHeadingHeight;
    }
    e.button->setBounds(0, y, width, kButtonHeight);
    if (e.button->visible()) y += kButtonHeight;  // a hidden button takes no room
  }
}

void SideBar::paint(HDC dc, const RECT& client) {
  theme::FillSolid(dc, client, theme::kSideBar);
  RECT pic{0, 0, client.right, kPictureHeight};
  if (picture_.loaded()) {
    picture_.draw(dc, pic);
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

void SideBar::paintHeadings(HDC dc, const RECT& client) {
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
  heading(fileToolsHeadingTop_, L"文件处理");
  RECT edge{0, 0, 1, client.bottom};
  theme::FillSolid(dc, edge, theme::kStatusLine);
}

}  // namespace wv
