#pragma once
// The everyday controls the pages are built of. Each wrapper owns its window and
// keeps what pages read often (a button's caption, a check mark) so that reading
// it costs no message; handlers are plain std::function members.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_UI, WV_WINDOW_CODE);

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/window.h"

namespace wv {

// A push button. Its caption is cached: the run protocol compares it before every item.
class Button : public Control {
 public:
  void create(HWND parent, std::wstring_view caption, int x = 0, int y = 0, int w = 88, int h = 28);
  [[nodiscard]] const std::wstring& caption() const { return caption_; }
  void setCaption(std::wstring_view caption);
  void setHint(std::wstring_view hint);
  // What a press does: runs the handler when the button can be pressed.
  void click();
  std::function<void()> onClick;

 protected:
  bool onCommand(int code) override;

 private:
  std::wstring caption_;
  HWND tip_ = nullptr;
};

// Static text; transparent over its parent's background.
class Label : public Control {
 public:
  // One line centred in its height, unless wraps: then lines from the top, broken at its width.
  void create(HWND parent, std::wstring_view caption, int x = 0, int y = 0, int w = 80, int h = 18,
              DWORD align = SS_LEFT, bool wraps = false);
  [[nodiscard]] const std::wstring& caption() const { return caption_; }
  void setCaption(std::wstring_view caption);
  void setColour(COLORREF colour);

 protected:
  HBRUSH onColor(HDC dc, HBRUSH parentBrush) override;
  COLORREF colour_ = RGB(0x20, 0x20, 0x20);

 private:
  std::wstring caption_;
};

// A label that acts as a link ("全选", "默认"): link colour, hand cursor, click handler.
class LinkLabel : public Label {
 public:
  void create(HWND parent, std::wstring_view caption, int x = 0, int y = 0, int w = 40, int h = 18);
  void click();
  std::function<void()> onClick;

 protected:
  bool onCommand(int code) override;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A "全选"/"全否" link or button over a list's ticks. Which of the two it offers
// next is its state; the caption only shows it.
template <class Base>
class SelectAllToggle : public Base {
 public:
  [[nodiscard]] bool offersAll() const { return offersAll_; }
  void setOffersAll(bool all) {
    offersAll_ = all;
    this->setCaption(all ? L"全选" : L"全否");
  }

 private:
  bool offersAll_ = true;
};
using SelectAllLabel = SelectAllToggle<LinkLabel>;
using SelectAllButton = SelectAllToggle<Button>;

// What a check box and a radio button share: the tick, the caption, the click.
class TickButton : public Control {
 public:
  [[nodiscard]] bool checked() const;
  void setChecked(bool checked);
  [[nodiscard]] const std::wstring& caption() const { return caption_; }
  std::function<void()> onClick;

 protected:
  void createButton(HWND parent, DWORD style, std::wstring_view caption, int x, int y, int w, int h);
  bool onCommand(int code) override;

 private:
  std::wstring caption_;
};

class CheckBox : public TickButton {
 public:
  void create(HWND parent, std::wstring_view caption, int x = 0, int y = 0, int w = 160, int h = 20);
};

// One radio button; buttons that share a RadioGroup exclude each other.
class RadioButton : public TickButton {
 public:
  void create(HWND parent, std::wstring_view caption, bool firstOfGroup, int x = 0, int y = 0, int w = 200,
              int h = 20);
};

// Radio buttons that form one choice; index() is the ticked one or -1.
class RadioGroup {
 public:
  void add(RadioButton& button) { buttons_.push_back(&button); }
  [[nodiscard]] int index() const;
  void select(int index);
  [[nodiscard]] int count() const { return static_cast<int>(buttons_.size()); }
  [[nodiscard]] RadioButton& button(int index) { return *buttons_.at(static_cast<std::size_t>(index)); }

 private:
  std::vector<RadioButton*> buttons_;
};

// A drop-down list (fixed items) or, with editable, a combo with an edit field.
class ComboBox : public Control {
 public:
  void create(HWND parent, const std::vector<std::wstring>& items, int selected = 0, int x = 0, int y = 0,
              int w = 120, bool editable = false);
  void setItems(const std::vector<std::wstring>& items);
  [[nodiscard]] const std::vector<std::wstring>& items() const { return items_; }
  [[nodiscard]] int index() const;
  void setIndex(int index);
  // The chosen item's text (or the typed text of an editable combo).
  [[nodiscard]] std::wstring text() const;
  // Selects the item with this text; false (and no change) when there is none.
  bool selectText(std::wstring_view text);
  std::function<void()> onChange;

 protected:
  bool onCommand(int code) override;

 private:
  std::vector<std::wstring> items_;
};

class Edit : public Control {
 public:
  void create(HWND parent, std::wstring_view text = {}, int maxLength = 0, int x = 0, int y = 0, int w = 200,
              int h = 22, DWORD extraStyle = 0);
  [[nodiscard]] std::wstring text() const;
  void setText(std::wstring_view text);
  void setReadOnly(bool readOnly);
  void setMaxLength(int maxLength);
  std::function<void()> onChange;

 protected:
  bool onCommand(int code) override;
  HBRUSH onColor(HDC dc, HBRUSH parentBrush) override;
};

// A number edit with up-down arrows and a range.
class SpinEdit : public Control {
 public:
  void create(HWND parent, int minimum, int maximum, int value, int x = 0, int y = 0, int w = 60, int h = 22);
  [[nodiscard]] int value() const;
  void setValue(int value);
  void setRange(int minimum, int maximum);
  [[nodiscard]] int minimum() const { return min_; }
  [[nodiscard]] int maximum() const { return max_; }
  void setBounds(int x, int y, int width, int height) override;
  void setVisible(bool visible) override;
  void setEnabled(bool enabled) override;
  std::function<void()> onChange;

 protected:
  bool onCommand(int code) override;

 private:
  HWND updown_ = nullptr;
  int min_ = 0;
  int max_ = 100;
};

// The progress gauge; hidden and at 0 when idle.
class Gauge : public Control {
 public:
  void create(HWND parent, int x = 0, int y = 0, int w = 142, int h = 16);
  void setMaximum(std::uint32_t maximum);
  [[nodiscard]] std::uint32_t maximum() const { return max_; }
  void setPosition(std::uint32_t position);
  [[nodiscard]] std::uint32_t position() const { return pos_; }
  void step(std::uint32_t by = 1);

 private:
  void applyRange();
  std::uint32_t max_ = 100;
  std::uint32_t pos_ = 0;
  int shift_ = 0;
};

}  // namespace wv
