// Jumps into the shell: the file browser and the registry editor.
#include "core/utilities.h"
#include "platform/platform.h"

namespace wv {
namespace {

constexpr unsigned kLeft = VK_LEFT;    // 37
constexpr unsigned kRight = VK_RIGHT;  // 39
constexpr unsigned kHome = VK_HOME;    // 36

}  // namespace

void ShowInExplorer(std::wstring_view path) {
  std::wstring params = L"/n,/select,";
  params += path;
  // The file browser of the Windows folder: an "Explorer.exe" beside the program must not answer.
  (void)StartSystemProgram(SystemProgram::FileBrowser, params, SW_SHOWNORMAL);
}

void OpenRegeditAt(std::wstring_view keyPath, std::wstring_view valueName, int selectValue) {
  if (keyPath.empty()) return;
  Shell& shell = Sh();
  HWND main = shell.findWindow(L"RegEdit_RegEdit");
  if (!main) {
    shell.startRegedit();
    main = shell.findWindow(L"RegEdit_RegEdit");
    if (!main) return;  // the editor did not come up: nothing to drive
  }
  shell.showAndActivate(main);
  HWND tree = shell.findChild(main, L"SysTreeView32");
  if (tree) {
    shell.showAndActivate(tree);
    // Collapse everything, then walk down from the top by expanding and typing.
    for (int i = 0; i < 50; ++i) shell.sendKeyDown(tree, kLeft);
    shell.sendKeyDown(tree, kHome);
    shell.sendKeyDown(tree, kRight);
    for (const wchar_t ch : keyPath) {
      if (ch == L'\\') shell.sendKeyDown(tree, kRight);
      else shell.sendChar(tree, ch);
    }
  }
  if (selectValue == 1) {
    HWND list = shell.findChild(main, L"SysListView32");
    if (list) {
      shell.showAndActivate(list);
      shell.sleep(300);
      shell.sendKeyDown(list, kHome);
      for (const wchar_t ch : valueName) shell.sendChar(list, ch);
    }
  }
  shell.showAndActivate(main);
}

}  // namespace wv
