#pragma once
// The real main window, created in this process for one test: without the administrator
// gate, and closing it does not end the loop. Helpers pump messages as the program's loop
// does, and find a page's controls as a user would: by their kind and their text.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window.h"
#include "support/page_access.h"
#include "support/window_support.h"
#include "ui/list_view.h"

namespace wv::test {

// Config.ini beside the test program, where the window reads and saves its settings.
std::wstring SettingsFileOfTests();
// Removes it (marks cleared first), so that the next window starts from the defaults.
void RemoveSavedSettings();

// Every control below root (at any depth) whose wrapper is a T, in window order.
template <class T>
std::vector<T*> Descendants(const Control& root) {
  std::vector<T*> found;
  EnumChildWindows(
      root.handle(),
      [](HWND child, LPARAM out) -> BOOL {
        if (auto* control = dynamic_cast<T*>(Control::fromHandle(child)))
          reinterpret_cast<std::vector<T*>*>(out)->push_back(control);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}
// The first of them whose window text is text (a button's or label's caption); null when none.
template <class T>
T* FindByText(const Control& root, std::wstring_view text) {
  for (T* control : Descendants<T>(root))
    if (WindowText(control->handle()) == text) return control;
  return nullptr;
}
// The list below root whose first column has this heading; null when none.
ListViewBase* ListHeaded(const Control& root, std::wstring_view firstColumn);

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The window's pages: every page of the program, unless a test hosts pages of its own.
  [[nodiscard]] virtual PageTable pageTable() const;

  std::unique_ptr<MainWindow> form;
  // What closing saw when it saved the settings: how often, and whether the window still showed.
  int saves = 0;
  bool visibleAtSave = true;
  // Runs at that moment too.
  std::function<void()> atSave;
};

}  // namespace wv::test
