#pragma once
// Containers: a plain panel that paints its background (double-buffered), draws
// the frames of its framed children and lays them out on resize; pages without
// tabs (InnerPages); and the status-line text panel.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_UI, WV_WINDOW_CODE);

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/theme.h"
#include "ui/window.h"

namespace wv {

class Panel : public Control {
 public:
  void create(HWND parent, COLORREF background, int x = 0, int y = 0, int w = 0, int h = 0);
  [[nodiscard]] COLORREF background() const { return background_; }

  // Extra painting over the background, before the children's frames.
  std::function<void(HDC dc, const RECT& client)> onPaint;
  // Called with the new client size; lay the children out here.
  std::function<void(int width, int height)> onSize;
  // Left clicks on the panel itself (not its children), in client coordinates.
  std::function<void(int x, int y)> onClick;

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  HBRUSH backgroundBrush() override { return theme::Brush(background_); }
  virtual void paint(HDC dc, const RECT& client);
  virtual void resized(int width, int height);

 private:
  COLORREF background_ = theme::kPage;
};

// Stacked panels of which one is shown; switched by code (toggle buttons), never by tabs.
class InnerPages : public Panel {
 public:
  void create(HWND parent, int count, COLORREF background = theme::kPage);
  [[nodiscard]] Panel& page(int index) { return *pages_.at(static_cast<std::size_t>(index)); }
  [[nodiscard]] int count() const { return static_cast<int>(pages_.size()); }
  void show(int index);
  [[nodiscard]] int active() const { return active_; }

 protected:
  void resized(int width, int height) override;

 private:
  std::vector<std::unique_ptr<Panel>> pages_;
  int active_ = 0;
};

// One line of text on a flat background (the status line), painted without flicker.
class StatusPanel : public Panel {
 public:
  void create(HWND parent, COLORREF background);
  void setText(std::wstring_view text);
  [[nodiscard]] const std::wstring& text() const { return text_; }

 protected:
  void paint(HDC dc, const RECT& client) override;

 private:
  std::wstring text_;
};

}  // namespace wv
