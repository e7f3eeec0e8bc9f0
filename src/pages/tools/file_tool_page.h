#pragma once
// What the three file-tool pages (file information, shredder, music) share:
// the files waiting for the import, from the shared open-file dialog or a drop;
// the run-state word; the import's start control; the dialog's title and
// filter; what a dropped folder becomes. Each page adds its own controls and
// runs its own engine in RunTask().

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/page.h"
#include "app/run_protocol.h"
#include "platform/platform.h"

namespace wv {

struct FileToolOptions {
  Module module;
  std::wstring_view description;  // as for every page
  std::wstring_view importCaption;            // the idle caption of the file button
  std::wstring_view dialogTitle;
  std::wstring_view filterName, filterPattern;
  bool followShortcuts = true;  // false: a chosen shortcut stays itself
  bool expandFolders = true;    // a dropped folder: every file below it, or (false) the folder itself
};

class FileToolPage : public Page {
 public:
  FileToolPage(MainWindow& form, const FileToolOptions& options);

  Button filesel;  // the file button, start control of the import
  // Files waiting for the import, from the file dialog or a drop.
  std::vector<std::wstring> filelist;
  std::int32_t runstate = 0;
  RunControl fileselRun;  // 1 import

  // The page takes drops (it is a drop target from the start) while idle.
  void initialise() override;
  [[nodiscard]] bool acceptsDrop() const override { return runstate == 0; }
  void drop(const std::vector<std::wstring>& paths) override;

  // The file button: a stop request while an import runs; else the open-file
  // dialog and, when files were chosen, the import.
  void fileselClick();
  // Starts the import of the pending files (the file button and drops).
  void StartImport();
  // The dialog for this page (owner and folder are the main window's).
  [[nodiscard]] OpenFilesRequest dialogRequest() const;

 protected:
  // The operation that the run state names.
  virtual void RunTask() = 0;
  // The file button with its idle caption and handler; from build().
  void createFileButton();
  [[nodiscard]] std::wstring_view importCaption() const { return options_.importCaption; }

 private:
  FileToolOptions options_;
};

}  // namespace wv
