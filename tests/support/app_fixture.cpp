#include "support/app_fixture.h"

#include "pages/page_table.h"
#include "ui/messages.h"

namespace wv::test {

std::wstring SettingsFileOfTests() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
  return path.substr(0, path.rfind(L'\\') + 1) + L"Config.ini";
}

void RemoveSavedSettings() {
  SetFileAttributesW(SettingsFileOfTests().c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(SettingsFileOfTests().c_str());
}

ListViewBase* ListHeaded(const Control& root, std::wstring_view firstColumn) {
  for (ListViewBase* list : Descendants<ListViewBase>(root))
    if (list->columnCount() > 0 && list->columnCaption(0) == firstColumn) return list;
  return nullptr;
}

PageTable FormTest::pageTable() const { return AllPages(); }

void FormTest::SetUp() {
  RemoveSavedSettings();  // a window an earlier test closed saved its choices
  FormOptions options = FormOptions::Hosted(pageTable());
  options.onSaveSettings = [this] {
    ++saves;
    visibleAtSave = IsWindowVisible(form->handle()) != FALSE;
    if (atSave) atSave();
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
