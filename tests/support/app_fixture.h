#pragma once
// The real main window, created in this process for one test: without the administrator
// gate, and closing it does not end the loop. Helpers pump messages as the program's loop does.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "support/page_access.h"
#include "support/window_support.h"

namespace wv::test {

// Processes pending messages for about the given time.
void Pump(int milliseconds = 50);
// Pumps until the condition holds or the time is up; the condition's last answer.
bool PumpUntil(const std::function<bool()>& condition, int milliseconds = 2000);

// Config.ini beside the test program, where the window reads and saves its settings.
std::wstring SettingsFileOfTests();
// Removes it (marks cleared first), so that the next window starts from the defaults.
void RemoveSavedSettings();

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::unique_ptr<MainWindow> form;
  int saves = 0;
  // When closing saved the settings: the daily-file page's start caption, and the window's visibility.
  std::wstring captionAtSave;
  bool visibleAtSave = true;
};

}  // namespace wv::test
