#pragma once
// The real main window with its registry pages and backup manager, a backup base
// and a key of the test's own, message boxes answered by script, and a
// stand-in for the registry editor's windows.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "engines/registry/registry_fixtures.h"
#include "pages/registry/backup_manager_page.h"
#include "pages/registry/redundancy_page.h"
#include "pages/registry/registry_traces_page.h"
#include "platform/win32/win32_platform.h"
#include "support/app_fixture.h"

namespace wv::test {

// What the registry editor was made to type: into its key tree and its value list.
struct EditorShell : Win32Shell {
  static HWND At(std::uintptr_t n) { return reinterpret_cast<HWND>(n); }  // 1: the editor, 2: its tree, 3: its list
  std::wstring tree, list;
  HWND findWindow(std::wstring_view) override { return At(1); }
  HWND findChild(HWND, std::wstring_view name) override {
    return At(name == L"SysTreeView32" ? 2 : name == L"SysListView32" ? 3 : 0);
  }
  void showAndActivate(HWND) override {}
  void sendKeyDown(HWND window, unsigned key) override {
    if (window == At(3) && key == VK_HOME) list += L"<home>";
    if (window == At(2) && key == VK_RIGHT) tree += L'\\';
  }
  void sendChar(HWND window, wchar_t ch) override { (window == At(2) ? tree : list) += ch; }
  void sleep(unsigned) override {}
};

// A direct child of a page that is a control of kind C with this caption (any
// caption when empty). Pages of other areas are driven so, as a user sees them.
template <class C>
C& ChildOf(const Page& page, std::wstring_view caption = {}) {
  for (HWND h = GetWindow(page.handle(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    auto* control = dynamic_cast<C*>(Control::fromHandle(h));
    if (!control) continue;
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
    if (caption.empty() || text == caption) return *control;
  }
  ADD_FAILURE() << "no such control: " << ToUtf8(caption);
  throw std::runtime_error("no such control");
}

class RegistryPages : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form->setBackupBase(base_.path());
  }
  RedundancyPage& redundancyPage() { return form->page<RedundancyPage>(); }
  BackupManagerPage& managerPage() { return form->page<BackupManagerPage>(); }
  auto& redundancy() { return Controls(redundancyPage()); }
  auto& traces() { return Controls(form->page<RegistryTracesPage>()); }
  auto& manager() { return Controls(managerPage()); }
  std::wstring key() const { return L"\\" + temp_.path(); }
  // The row of a registry result list that stands for this entry; -1 when none.
  static int row(const RegistryResults& r, std::wstring_view keyPath, std::wstring_view valueName = {}) {
    for (std::size_t i = 0; i < r.size(); ++i)
      if (r.entry(i).keyPath == keyPath && r.entry(i).valueName == valueName) return static_cast<int>(i);
    return -1;
  }
  int row(std::wstring_view valueName) { return row(redundancy().results, key(), valueName); }
  static int row(ListView& list, std::wstring_view caption, int column = 0) {
    for (int i = 0; i < list.count(); ++i)
      if (list.text(i, column) == caption) return i;
    return -1;
  }
  bool hasValue(std::wstring_view name) { return RawValue(kCU, key(), name).has_value(); }
  // Idle and every button of the page usable: after a scan, a backup or a restore.
  bool redundancyUsable() {
    auto& page = redundancy();
    return form->sideBarEnabled() && page.scanButton.caption() == L"扫描" && page.runState == 0 &&
           page.backupButton.enabled() && page.restoreButton.enabled();
  }
  void answers(std::initializer_list<int> buttons) {
    for (const int b : buttons) boxes_.answer(b);
  }
  // What the registry editor was made to type when the list's row was double-clicked: "tree|list".
  static std::wstring opened(OwnerDataListView& list, int row) {
    EditorShell editor;
    Substitute<Shell> use(&Platform::shell, editor);
    list.select(row);
    list.onDblClick();
    return editor.tree + L"|" + editor.list;
  }
  static std::vector<std::wstring> records(const std::wstring& dir, const wchar_t* section) {
    return Ini().sectionLines(dir + L"BackupInfo.ZINF", section);
  }

  TempFolder base_{L"backup base "}, folder_{L"pages"};
  TempKey temp_{L"pages"};
  std::wstring gone_ = folder_ / L"gone.exe";
  PlantedRegistry plant_;
  ScriptedMsgBox boxes_;
};

}  // namespace wv::test
