#include "app/page.h"

#include "app/run_protocol.h"
#include "app/catalogue.h"
#include "platform/handles.h"
#include "platform/platform.h"
#include "ui/theme.h"

namespace wv {

Page::Page(MainWindow& form, Module module, std::wstring_view description)
    : form_(form), module_(module), description_(description) {}

std::wstring_view Page::title() const { return ModuleInfoOf(module_).title; }

Page::~Page() = default;

void Page::create(HWND parent) {
  Panel::create(parent, theme::kPage);
  // The heading band is painted; its title is the page's window text for screen readers.
  SetWindowTextW(handle(), std::wstring(title()).c_str());
  setVisible(false);
  build();
}

void Page::paint(HDC dc, const RECT& client) {
  Panel::paint(dc, client);
  if (tabLine_.right > tabLine_.left) theme::FillSolid(dc, tabLine_, theme::kFrame);
  RECT band{0, 0, client.right, kBand};
  theme::FillSolid(dc, band, theme::kBand);
  RECT line{0, kBand - 1, client.right, kBand};
  theme::FillSolid(dc, line, theme::kSideHeading);
  RECT accent{0, 10, 4, kBand - 10};
  theme::FillSolid(dc, accent, theme::kAccent);
  {
    SelectGuard font(dc, theme::HeadingFont());
    SetTextColor(dc, theme::kSideHeadingText);
    RECT t{kMargin + 2, 6, client.right - kMargin, 26};
    DrawTextW(dc, title().data(), static_cast<int>(title().size()), &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  SelectGuard font(dc, theme::UiFont());
  SetTextColor(dc, theme::kMutedText);
  RECT d{kMargin + 2, 27, client.right - kMargin, kBand - 4};
  DrawTextW(dc, description_.c_str(), static_cast<int>(description_.size()), &d,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void Page::resized(int width, int height) {
  if (width > 0 && height > 0) layout(width, height);
  Panel::resized(width, height);
}

void Page::relayout() {
  const RECT client = clientRect();
  resized(client.right, client.bottom);
  invalidate();
}

LRESULT Page::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DROPFILES) {
    // Reaches the page only when the application's hook left it (a busy page): nothing changes.
    Sh().finishDrop(reinterpret_cast<HDROP>(wParam));
    return 0;
  }
  return Panel::handleMessage(message, wParam, lParam);
}

void Page::StopRunning(std::initializer_list<RunControl*> runs) {
  for (RunControl* run : runs)
    if (!run->canStart()) run->requestStop();
}

int Page::StackButtons(std::initializer_list<Control*> buttons, int x, int y, int w, int h) {
  for (Control* b : buttons) {
    b->setBounds(x, y, w, h);
    y += h + kGap;
  }
  return y;
}

int Page::RowButtonsRight(std::initializer_list<Control*> buttons, int right, int y, int w, int h) {
  int x = right - static_cast<int>(buttons.size()) * (w + kGap) + kGap;
  const int left = x;
  for (Control* b : buttons) {
    b->setBounds(x, y, w, h);
    x += w + kGap;
  }
  return left;
}

void Page::RowTabs(std::initializer_list<FlatButton*> tabs, int x, int y, int right) {
  for (FlatButton* t : tabs) {
    t->setBounds(x, y, kTabW, kTabH);
    x += kTabW;
  }
  tabLine_ = RECT{x, y + kTabH - 1, right, y + kTabH};
}

void FillCatalogue(Module module, ListView& list) {
  std::vector<ListRow> rows = list.rows();
  FillCatalogue(module, rows);
  list.setRows(rows);
}

void RestoreDefaults(ListView& list) {
  const int n = list.count();
  for (int i = 0; i < n; ++i) list.setChecked(i, list.state(i) == 1);
}


}  // namespace wv
