#include "ui/popup_menu.h"

#include "platform/handles.h"

namespace wv {

int PopupMenu::add(std::wstring_view caption, std::function<void()> onClick) {
  items_.push_back(Item{std::wstring(caption), std::move(onClick)});
  return count() - 1;
}

int PopupMenu::popup(HWND owner, POINT screen, UINT align) {
  if (onPopup) onPopup();
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return -1;
  bool lastWasSeparator = true;  // no separator first or twice in a row
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const Item& it = items_[i];
    if (!it.visible) continue;
    if (it.caption == L"-") {
      if (!lastWasSeparator) AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
      lastWasSeparator = true;
      continue;
    }
    AppendMenuW(menu.get(), MF_STRING | (it.enabled ? 0 : MF_GRAYED), i + 1, it.caption.c_str());
    lastWasSeparator = false;
  }
  SetForegroundWindow(owner);
  const int chosen = static_cast<int>(
      TrackPopupMenu(menu.get(), align | TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, screen.x, screen.y, 0,
                     owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  if (chosen <= 0) return -1;
  choose(chosen - 1);
  return chosen - 1;
}

void PopupMenu::choose(int index) {
  if (index < 0 || index >= count()) return;
  Item& it = items_[static_cast<std::size_t>(index)];
  if (it.visible && it.enabled && it.onClick) it.onClick();
}

}  // namespace wv
