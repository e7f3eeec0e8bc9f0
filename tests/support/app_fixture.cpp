#include "support/app_fixture.h"
#include "pages/page_table.h"

#include "pages/cleaning/daily_files_page.h"
#include "ui/messages.h"

namespace wv::test {

void Pump(int milliseconds) { PumpUntil([] { return false; }, milliseconds); }

bool PumpUntil(const std::function<bool()>& condition, int milliseconds) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
  for (;;) {
    DrainMessages();
    if (condition()) return true;
    if (GetTickCount64() >= end) return condition();
    Sleep(5);
  }
}

std::wstring SettingsFileOfTests() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
  return path.substr(0, path.rfind(L'\\') + 1) + L"Config.ini";
}

void RemoveSavedSettings() {
  SetFileAttributesW(SettingsFileOfTests().c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(SettingsFileOfTests().c_str());
}

void FormTest::SetUp() {
  RemoveSavedSettings();  // a window an earlier test closed saved its choices
  FormOptions options = FormOptions::Hosted(AllPages());
  options.onSaveSettings = [this] {
    ++saves;
    captionAtSave = Controls(form->page<DailyFilesPage>()).scanButton.caption();
    visibleAtSave = IsWindowVisible(form->handle()) != FALSE;
  };
  form = std::make_unique<MainWindow>(std::move(options));
  form->create();
  form->showMain();
  Pump(20);
}

void FormTest::TearDown() {
  form.reset();
  Pump(10);
  ClearQuitRequest();
}

}  // namespace wv::test
