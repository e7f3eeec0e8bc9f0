#include "pages/tools/tool_page_kit.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/text.h"
#include "ui/dpi.h"

namespace wv {

void ScrollBox::create(HWND parent) {
  Panel::create(parent, theme::kPage);
  SetWindowLongPtrW(handle(), GWL_STYLE, GetWindowLongPtrW(handle(), GWL_STYLE) | WS_VSCROLL | WS_CLIPCHILDREN);
  content.create(handle(), theme::kPage);
}

void ScrollBox::setContentHeight(int height) {
  contentHeight_ = height;
  scrollTo(offset_);
}

void ScrollBox::scrollTo(int offset) {
  const RECT client = clientRect();  // design units, as the content's height
  const int most = std::max(0, contentHeight_ - static_cast<int>(client.bottom));
  offset_ = std::clamp(offset, 0, most);
  content.setBounds(0, -offset_, client.right, contentHeight_);
  updateBar();
}

int ScrollBox::widthBesideBar(int width) const {
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  const int d = dpi::Current();
  if (d == dpi::kDesign || !handle()) return width - bar;
  // As the wrappers place and measure it: on the top-level window's grid.
  const int left = OriginOnGrid(handle()).design.x;
  const int right = dpi::Scale(left + width, d) - bar;  // the client's right edge in the top-level window
  return dpi::UnscaleSize(right, d) - left;
}

void ScrollBox::scrollLines(int lines) { scrollTo(offset_ + lines * kLine); }

void ScrollBox::updateBar() {
  const RECT client = clientRect();
  SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, contentHeight_ - 1),
                  static_cast<UINT>(client.bottom), offset_, 0};
  SetScrollInfo(handle(), SB_VERT, &info, TRUE);
}

void ScrollBox::resized(int width, int height) {
  (void)width, (void)height;
  scrollTo(offset_);
}

LRESULT ScrollBox::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_VSCROLL: {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_ALL;
      GetScrollInfo(handle(), SB_VERT, &info);
      switch (LOWORD(wParam)) {
        case SB_LINEUP: scrollLines(-1); break;
        case SB_LINEDOWN: scrollLines(1); break;
        case SB_PAGEUP: scrollTo(offset_ - static_cast<int>(info.nPage)); break;
        case SB_PAGEDOWN: scrollTo(offset_ + static_cast<int>(info.nPage)); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: scrollTo(info.nTrackPos); break;
        case SB_TOP: scrollTo(0); break;
        case SB_BOTTOM: scrollTo(contentHeight_); break;
        default: break;
      }
      return 0;
    }
    case WM_MOUSEWHEEL:
      // One line per notch; a turn towards the user scrolls down.
      scrollLines(-GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
      return 0;
    case WM_LBUTTONDOWN:
      focus();
      break;
    default:
      break;
  }
  return Panel::handleMessage(message, wParam, lParam);
}

std::optional<std::vector<std::size_t>> RowsToExclude(const std::vector<int>& chosen, std::size_t count,
                                                      bool selected) {
  if (selected ? chosen.size() == count : chosen.empty()) return std::nullopt;
  std::vector<bool> isChosen(count);
  for (const int r : chosen)
    if (r >= 0 && static_cast<std::size_t>(r) < count) isChosen[static_cast<std::size_t>(r)] = true;
  std::vector<std::size_t> gone;
  for (std::size_t r = 0; r < count; ++r)
    if (isChosen[r] == selected) gone.push_back(r);
  return gone;
}

void EditSelectedCaption(ListViewBase& list) {
  const int row = list.selected();
  if (row < 0) return;
  list.focus();
  ListView_EditLabel(list.handle(), row);
}

std::wstring CountedCaption(std::wstring_view name, std::size_t rows) {
  std::wstring caption(name);
  if (rows > 0) caption += L"     (共 " + ToDecimal(static_cast<std::int64_t>(rows)) + L" 项)";
  return caption;
}

}  // namespace wv
