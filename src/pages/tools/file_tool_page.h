#pragma once
// What the three file-tool pages (file information, shredder, music) share:
// the files waiting for the import, from the shared open-file dialog or a drop;
// the run-state word; the import's start control; the dialog's title and
// filter; what a dropped folder becomes. Each page adds its own controls and
// runs its own engine in runOperation().

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

// The status line after the user stopped collecting the files of a dropped folder.
inline constexpr std::wstring_view kDropStoppedText = L"添加文件被停止";

// The controls and state every file-tool page has.
struct FileToolControls {
  FileToolControls(MainWindow& form, const FileToolOptions& options);

  Button chooseFilesButton;                // the start control of the import
  std::vector<std::wstring> pendingFiles;  // from the file dialog or a drop, consumed by the import
  std::int32_t runState = 0;               // 0 idle, else the number of the running operation
  RunControl importRun;                    // operation 1
  // The open-file dialog for this page (the main window adds owner and folder).
  OpenFilesRequest fileDialog;
};

class FileToolPage : public Page, protected FileToolControls {
 public:
  FileToolPage(MainWindow& form, const FileToolOptions& options);

  // The page takes drops (it is a drop target from the start) while idle.
  void initialise() override;
  [[nodiscard]] bool acceptsDrop() const override { return runState == 0; }
  void drop(const std::vector<std::wstring>& paths) override;

 protected:
  // The operation that the run state names.
  virtual void runOperation() = 0;
  // The file button with its idle caption and handler; from build().
  void createChooseFilesButton();
  [[nodiscard]] std::wstring_view importCaption() const { return options_.importCaption; }

 private:
  friend class PageTestAccess;
  // A stop request while an import runs; else the open-file dialog and, when
  // files were chosen, the import.
  void onChooseFilesClicked();
  // The import of the pending files (the file button and drops).
  void startImport();
  // What the import takes of the dropped paths, into pending; false when the
  // user stopped the collection.
  bool collectDropped(const std::vector<std::wstring>& paths, std::vector<std::wstring>& pending);

  FileToolOptions options_;
};

}  // namespace wv
