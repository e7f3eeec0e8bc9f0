// Files that reach the file-tool pages: dropped from the shell, or chosen in the
// shared open-file dialog.

#include "app/mainform.h"
#include "core/text.h"
#include "platform/platform.h"
#include "tools/filetoolpage.h"

namespace wv {

bool Tfrmmain::OnFilesDropped(MSG& message) {
  if (message.message != WM_DROPFILES || !message.hwnd) return false;
  for (const std::unique_ptr<Page>& page : pages_) {
    if (page->handle() != message.hwnd) continue;
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

bool Tfrmmain::PickFiles(std::wstring_view moduleKey) {
  auto* page = dynamic_cast<FileToolPage*>(findPage(moduleKey));
  if (!page) return false;

  OpenFilesRequest request = page->dialogRequest();
  request.owner = hwnd_;
  request.initialFolder = pickFolder_;
  std::vector<std::wstring> files = Sh().openFiles(request);
  if (files.empty()) return false;
  pickFolder_ = ExcludeTrailingBackslash(ExtractFilePath(files.front()));
  page->filelist = std::move(files);
  return true;
}

}  // namespace wv
