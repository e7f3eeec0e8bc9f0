#pragma once
// The about window: a borderless, always-on-top picture of 430 x 250 with rounded
// corners and two lines of text. It is the splash while the main window is
// created, and later the modal about box, which one click closes.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_APP, "the main window and its pages are above every other layer");

#include <functional>
#include <string>

#include "platform/handles.h"
#include "ui/pictures.h"
#include "ui/window.h"

namespace wv {

class AboutWindow : public Control {
 public:
  static constexpr int kWidth = 430;
  static constexpr int kHeight = 250;
  static constexpr wchar_t kVersion[] = L"Ver 3.15 Build 9.1220";

  AboutWindow();
  ~AboutWindow() override;

  // The splash: shown and painted at once.
  void showSplash();
  void hideSplash();
  // The about box, modal to the owner until a click closes it.
  void showModal(HWND owner);
  [[nodiscard]] bool showing() const { return visible(); }
  [[nodiscard]] bool modal() const { return modal_; }

  // Tells the click rule whether the main window is visible (the splash ignores clicks).
  std::function<bool()> mainVisible;

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void ensureCreated();
  void centre();
  // Each time the window shows: the system's face and the rounded corners.
  void prepareShow();
  // A click anywhere (picture or text): closes the about box, but not the splash.
  void onClicked();
  void paint(HDC dc, const RECT& client);

  Picture picture_;
  // Made at each show in the face the system should use.
  UniqueFont textFont_;
  UniqueFont titleFont_;
  std::wstring versionLine_ = kVersion;
  std::wstring secondLine_ = L"感谢您使用本软件";
  bool modal_ = false;
  bool closed_ = false;
};

}  // namespace wv
