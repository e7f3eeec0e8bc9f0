#include "pages/tools/file_tool_page.h"

#include "app/main_window.h"
#include "core/utilities.h"

namespace wv {

FileToolPage::FileToolPage(MainWindow& form, const FileToolOptions& options)
    : Page(form, options.module, options.description),
      fileselRun(form, filesel, std::wstring(options.importCaption), runstate),
      options_(options) {}

void FileToolPage::createFileButton() {
  filesel.create(handle(), options_.importCaption);
  filesel.onClick = [this] { fileselClick(); };
}

void FileToolPage::initialise() { Sh().acceptDrops(handle(), true); }

void FileToolPage::drop(const std::vector<std::wstring>& paths) {
  std::vector<std::wstring> pending;
  for (const std::wstring& p : paths) {
    if (options_.expandFolders) {
      // Every file of a folder (its own first, then its subfolders'; "Recycled" skipped) or the file itself.
      if (DirectoryExists(p)) CollectFiles(p, pending);
      else if (FileExists(p)) pending.push_back(p);
    } else if (DirectoryExists(p) || FileExists(p)) {
      pending.push_back(p);  // files and folders as dropped, folders whole
    }
  }
  filelist = std::move(pending);
  if (!filelist.empty()) StartImport();
}

void FileToolPage::fileselClick() {
  if (!fileselRun.canStart()) {
    fileselRun.requestStop();
    return;
  }
  std::vector<std::wstring> chosen = form().pickFiles(dialogRequest());
  if (chosen.empty()) return;  // cancelled: the pending files stay as they are
  filelist = std::move(chosen);
  StartImport();
}

void FileToolPage::StartImport() {
  fileselRun.markStarted(1);
  RunTask();
}

OpenFilesRequest FileToolPage::dialogRequest() const {
  OpenFilesRequest request;
  request.title = options_.dialogTitle;
  request.filterName = options_.filterName;
  request.filterPattern = options_.filterPattern;
  request.followShortcuts = options_.followShortcuts;
  return request;
}

}  // namespace wv
