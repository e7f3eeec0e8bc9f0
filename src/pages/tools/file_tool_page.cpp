#include "pages/tools/file_tool_page.h"

#include "app/main_window.h"
#include "core/utilities.h"

namespace wv {

FileToolControls::FileToolControls(MainWindow& form, const FileToolOptions& options)
    : importRun(form, chooseFilesButton, std::wstring(options.importCaption), runState) {
  fileDialog.title = options.dialogTitle;
  fileDialog.filterName = options.filterName;
  fileDialog.filterPattern = options.filterPattern;
  fileDialog.followShortcuts = options.followShortcuts;
}

FileToolPage::FileToolPage(MainWindow& form, const FileToolOptions& options)
    : Page(form, options.module, options.description), FileToolControls(form, options), options_(options) {}

void FileToolPage::createChooseFilesButton() {
  chooseFilesButton.create(handle(), options_.importCaption);
  chooseFilesButton.onClick = [this] { onChooseFilesClicked(); };
}

void FileToolPage::initialise() { Sh().acceptDrops(handle(), true); }

void FileToolPage::drop(const std::vector<std::wstring>& paths) {
  std::vector<std::wstring> pending;
  if (!collectDropped(paths, pending)) return;
  pendingFiles = std::move(pending);
  if (!pendingFiles.empty()) startImport();
}

bool FileToolPage::collectDropped(const std::vector<std::wstring>& paths, std::vector<std::wstring>& pending) {
  if (!options_.expandFolders) {
    for (const std::wstring& p : paths)
      if (DirectoryExists(p) || FileExists(p)) pending.push_back(p);  // files and folders as dropped, folders whole
    return true;
  }
  // Every file of a folder (its own first, then its subfolders'; "Recycled"
  // skipped) or the file itself. A folder may hold a great many files: they are
  // collected as a run, the file button its stop button.
  bool complete = true;
  RunGuard run(importRun, L"FileToolPage::drop", 1);
  for (const std::wstring& p : paths) {
    if (!importRun.proceed()) complete = false;
    else if (DirectoryExists(p)) complete = CollectFiles(p, pending, &importRun);
    else if (FileExists(p)) pending.push_back(p);
    if (!complete) break;
  }
  run.finish(complete ? L"" : kDropStoppedText);
  return complete;
}

void FileToolPage::onChooseFilesClicked() {
  if (!importRun.canStart()) {
    importRun.requestStop();
    return;
  }
  std::vector<std::wstring> chosen = form().pickFiles(fileDialog);
  if (chosen.empty()) return;  // cancelled: the pending files stay as they are
  pendingFiles = std::move(chosen);
  startImport();
}

void FileToolPage::startImport() {
  importRun.markStarted(1);
  runOperation();
}

}  // namespace wv
