#include "ui/controls.h"

#include <algorithm>

#include "ui/theme.h"

namespace wv {

// ---------------------------------------------------------------- Button

void Button::create(HWND parent, std::wstring_view caption, int x, int y, int w, int h) {
  caption_ = caption;
  createSystem(parent, WC_BUTTONW, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, caption, x, y, w, h);
}

void Button::setCaption(std::wstring_view caption) {
  if (caption == caption_) return;
  caption_ = caption;
  if (hwnd_) SetWindowTextW(hwnd_, caption_.c_str());
}

void Button::setHint(std::wstring_view hint) {
  if (!hwnd_) return;
  if (!tip_) {
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                           hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  std::wstring text(hint);
  TOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = GetParent(hwnd_);
  ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
  ti.lpszText = text.data();
  SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void Button::click() {
  if (usable() && onClick) onClick();
}

bool Button::onCommand(int code) {
  if (code != BN_CLICKED) return false;
  // A press queued before the button was disabled does not count.
  if (usable() && onClick) onClick();
  return true;
}

// ---------------------------------------------------------------- Label

void Label::create(HWND parent, std::wstring_view caption, int x, int y, int w, int h, DWORD align, bool wraps) {
  caption_ = caption;
  // SS_CENTERIMAGE keeps a static to one line.
  createSystem(parent, WC_STATICW, WS_VISIBLE | align | SS_NOPREFIX | (wraps ? 0 : SS_CENTERIMAGE), 0, caption, x,
               y, w, h);
}

void Label::setCaption(std::wstring_view caption) {
  if (caption == caption_) return;
  caption_ = caption;
  if (hwnd_) {
    SetWindowTextW(hwnd_, caption_.c_str());
    // Transparent text leaves the old caption behind unless the parent repaints.
    RECT r = bounds();
    InvalidateRect(GetParent(hwnd_), &r, FALSE);
  }
}

void Label::setColour(COLORREF colour) {
  colour_ = colour;
  invalidate();
}

HBRUSH Label::onColor(HDC dc, HBRUSH parentBrush) {
  SetTextColor(dc, IsWindowEnabled(hwnd_) ? colour_ : theme::kDisabledText);
  SetBkMode(dc, TRANSPARENT);
  return parentBrush ? parentBrush : reinterpret_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

// ---------------------------------------------------------------- LinkLabel

void LinkLabel::create(HWND parent, std::wstring_view caption, int x, int y, int w, int h) {
  Label::create(parent, caption, x, y, w, h, SS_LEFT | SS_NOTIFY);
  colour_ = theme::kLink;
}

void LinkLabel::click() {
  if (usable() && onClick) onClick();
}

bool LinkLabel::onCommand(int code) {
  if (code != STN_CLICKED) return false;
  if (onClick) onClick();
  return true;
}

LRESULT LinkLabel::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETCURSOR) {
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
  }
  return Label::handleMessage(message, wParam, lParam);
}

// ---------------------------------------------------------------- TickButton, CheckBox

void TickButton::createButton(HWND parent, DWORD style, std::wstring_view caption, int x, int y, int w, int h) {
  caption_ = caption;
  createSystem(parent, WC_BUTTONW, WS_VISIBLE | style, 0, caption, x, y, w, h);
}

bool TickButton::checked() const { return hwnd_ && SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TickButton::setChecked(bool checked) {
  if (hwnd_) SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TickButton::onCommand(int code) {
  if (code != BN_CLICKED) return false;
  if (onClick) onClick();
  return true;
}

void CheckBox::create(HWND parent, std::wstring_view caption, int x, int y, int w, int h) {
  createButton(parent, WS_TABSTOP | BS_AUTOCHECKBOX, caption, x, y, w, h);
}

// ---------------------------------------------------------------- RadioButton, RadioGroup

void RadioButton::create(HWND parent, std::wstring_view caption, bool firstOfGroup, int x, int y, int w, int h) {
  createButton(parent, BS_AUTORADIOBUTTON | (firstOfGroup ? WS_GROUP | WS_TABSTOP : 0), caption, x, y, w, h);
}

int RadioGroup::index() const {
  for (std::size_t i = 0; i < buttons_.size(); ++i)
    if (buttons_[i]->checked()) return static_cast<int>(i);
  return -1;
}

void RadioGroup::select(int index) {
  for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->setChecked(static_cast<int>(i) == index);
}

// ---------------------------------------------------------------- ComboBox

void ComboBox::create(HWND parent, const std::vector<std::wstring>& items, int selected, int x, int y, int w,
                      bool editable) {
  createSystem(parent, WC_COMBOBOXW,
               WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | (editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST),
               0, L"", x, y, w, 240);
  setItems(items);
  setIndex(selected);
}

void ComboBox::setItems(const std::vector<std::wstring>& items) {
  items_ = items;
  if (!hwnd_) return;
  SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
  for (const std::wstring& item : items_) SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int ComboBox::index() const { return hwnd_ ? static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)) : -1; }

void ComboBox::setIndex(int index) {
  if (hwnd_) SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::wstring ComboBox::text() const { return WindowText(hwnd_); }

bool ComboBox::selectText(std::wstring_view text) {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i] == text) {
      setIndex(static_cast<int>(i));
      return true;
    }
  }
  return false;
}

bool ComboBox::onCommand(int code) {
  if (code != CBN_SELCHANGE && code != CBN_EDITCHANGE) return false;
  if (onChange) onChange();
  return true;
}

// ---------------------------------------------------------------- Edit

void Edit::create(HWND parent, std::wstring_view text, int maxLength, int x, int y, int w, int h,
                  DWORD extraStyle) {
  createSystem(parent, WC_EDITW, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | extraStyle, WS_EX_CLIENTEDGE, text, x,
               y, w, h);
  if (maxLength > 0) setMaxLength(maxLength);
}

std::wstring Edit::text() const { return WindowText(hwnd_); }

void Edit::setText(std::wstring_view text) {
  const std::wstring t(text);
  if (hwnd_) SetWindowTextW(hwnd_, t.c_str());
}

void Edit::setReadOnly(bool readOnly) {
  if (hwnd_) SendMessageW(hwnd_, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

void Edit::setMaxLength(int maxLength) {
  if (hwnd_) SendMessageW(hwnd_, EM_SETLIMITTEXT, static_cast<WPARAM>(maxLength), 0);
}

bool Edit::onCommand(int code) {
  if (code != EN_CHANGE) return false;
  if (onChange) onChange();
  return true;
}

HBRUSH Edit::onColor(HDC dc, HBRUSH parentBrush) {
  (void)parentBrush;
  // Read-only edits keep a white field; only disabled ones turn grey.
  if (!IsWindowEnabled(hwnd_)) return nullptr;
  SetBkColor(dc, theme::kPage);
  SetTextColor(dc, theme::kText);
  return theme::Brush(theme::kPage);
}

// ---------------------------------------------------------------- SpinEdit

void SpinEdit::create(HWND parent, int minimum, int maximum, int value, int x, int y, int w, int h) {
  createSystem(parent, WC_EDITW, WS_VISIBLE | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, L"", x, y,
               w, h);
  updown_ = CreateWindowExW(0, UPDOWN_CLASSW, nullptr,
                            WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                            0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(updown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(hwnd_), 0);
  setRange(minimum, maximum);
  setValue(value);
}

void SpinEdit::setRange(int minimum, int maximum) {
  min_ = minimum;
  max_ = maximum;
  if (updown_) SendMessageW(updown_, UDM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
}

int SpinEdit::value() const {
  const std::wstring t = WindowText(hwnd_);
  int v = 0;
  bool any = false;
  for (wchar_t c : t) {
    if (c < L'0' || c > L'9') continue;
    any = true;
    if (v < 100000000) v = v * 10 + (c - L'0');
  }
  if (!any) return min_;
  return std::clamp(v, min_, max_);
}

void SpinEdit::setValue(int value) {
  value = std::clamp(value, min_, max_);
  if (hwnd_) SetWindowTextW(hwnd_, std::to_wstring(value).c_str());
  if (updown_) SendMessageW(updown_, UDM_SETPOS32, 0, value);
}

void SpinEdit::setBounds(int x, int y, int width, int height) {
  Control::setBounds(x, y, width, height);
  if (updown_) SendMessageW(updown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(hwnd_), 0);
}

void SpinEdit::setVisible(bool visible) {
  Control::setVisible(visible);
  if (updown_) ShowWindow(updown_, visible ? SW_SHOWNA : SW_HIDE);
}

void SpinEdit::setEnabled(bool enabled) {
  Control::setEnabled(enabled);
  if (updown_) EnableWindow(updown_, enabled ? TRUE : FALSE);
}

bool SpinEdit::onCommand(int code) {
  if (code != EN_CHANGE) return false;
  if (onChange) onChange();
  return true;
}

// ---------------------------------------------------------------- Gauge

void Gauge::create(HWND parent, int x, int y, int w, int h) {
  createSystem(parent, PROGRESS_CLASSW, PBS_SMOOTH, 0, L"", x, y, w, h);
  applyRange();
}

void Gauge::setMaximum(std::uint32_t maximum) {
  max_ = maximum;
  if (pos_ > max_) pos_ = max_;
  applyRange();
}

void Gauge::setPosition(std::uint32_t position) {
  position = std::min(position, max_);
  if (position == pos_) return;
  pos_ = position;
  if (hwnd_) SendMessageW(hwnd_, PBM_SETPOS, pos_ >> shift_, 0);
}

void Gauge::step(std::uint32_t by) { setPosition(pos_ + by >= pos_ ? pos_ + by : max_); }

void Gauge::applyRange() {
  // The bar's range is signed 32-bit: very large counts are scaled down.
  shift_ = 0;
  while ((max_ >> shift_) > 0x7fffffffu) ++shift_;
  if (!hwnd_) return;
  SendMessageW(hwnd_, PBM_SETRANGE32, 0, static_cast<LPARAM>(max_ >> shift_));
  SendMessageW(hwnd_, PBM_SETPOS, pos_ >> shift_, 0);
}

}  // namespace wv
