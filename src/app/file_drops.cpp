// Files that reach the file-tool pages: dropped from the shell, or chosen in the
// shared open-file dialog.

#include "app/main_window.h"
#include "platform/text.h"
#include "platform/platform.h"

namespace wv {

bool MainWindow::onFilesDropped(MSG& message) {
  if (message.message != WM_DROPFILES || !message.hwnd) return false;
  for (const std::unique_ptr<Page>& page : pages_) {
    if (!page->created() || page->handle() != message.hwnd) continue;
    // A busy page leaves the drop alone (the page itself releases it).
    if (!page->acceptsDrop()) return false;
    auto drop = reinterpret_cast<HDROP>(message.wParam);
    const std::vector<std::wstring> dropped = Sh().droppedFiles(drop);
    Sh().finishDrop(drop);
    page->drop(dropped);
    return true;
  }
  return false;
}

std::vector<std::wstring> MainWindow::pickFiles(OpenFilesRequest request) {
  request.owner = hwnd_;
  request.initialFolder = pickFolder_;
  std::vector<std::wstring> files = Sh().openFiles(request);
  if (!files.empty()) pickFolder_ = ExcludeTrailingBackslash(ExtractFilePath(files.front()));
  return files;
}

}  // namespace wv
