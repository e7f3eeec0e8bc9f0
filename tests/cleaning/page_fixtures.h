#pragma once
// Fixtures of the tests that drive the two file-cleaning pages in the real main
// window: a shell that answers the folder browser and records jumps into the
// file browser, a status line that can act while a scan runs, a planted tree
// outside the temporary folder (the junk scan leaves that one out), and real
// list-view notifications for column clicks and drags.

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cleaning/cleaning_fixtures.h"
#include "core/publline.h"
#include "ui/listview.h"

namespace wv::test {

// The recording shell, plus answers for the folder browser (in order; none left
// or an empty one is Cancel) and a record of what the shell was asked to open.
class PageShell : public RecordingShell {
 public:
  std::deque<std::wstring> folders;
  std::vector<std::wstring> browseTitles;
  std::vector<std::wstring> opened;  // file + " " + parameters
  // Runs as the file operation starts (the page's buttons can be looked at then).
  std::function<void()> duringFileOperation;

  std::wstring browseForFolder(HWND owner, std::wstring_view title, std::wstring_view root,
                               std::wstring_view initial) override;
  void open(std::wstring_view verb, std::wstring_view file, std::wstring_view params, int show) override;
  int fileOperation(HWND owner, FileOpFunc func, const std::vector<std::wstring>& sources, std::wstring_view target,
                    unsigned flags) override;
};

// Every status text still reaches the status line; onText sees it afterwards.
class StatusHook {
 public:
  explicit StatusHook(std::function<void(std::wstring_view text)> onText);
  ~StatusHook();
  StatusHook(const StatusHook&) = delete;
  StatusHook& operator=(const StatusHook&) = delete;

 private:
  RunInfoSink previous_;
};

// A tree below C:\VantorraPageTests, removed with everything in it at the end.
class PlantedTree {
 public:
  explicit PlantedTree(std::wstring_view tag);
  ~PlantedTree();
  PlantedTree(const PlantedTree&) = delete;
  PlantedTree& operator=(const PlantedTree&) = delete;
  [[nodiscard]] const std::wstring& path() const { return root_; }
  [[nodiscard]] std::wstring operator/(std::wstring_view relative) const;
  // A file of `bytes` bytes (and its folders); its full path.
  std::wstring file(std::wstring_view relative, std::size_t bytes = 4);
  std::wstring folder(std::wstring_view relative);

 private:
  std::wstring root_;
};

// The notifications a mouse produces: a click on a column header, and a row
// dragged onto another (target -1: below the last row).
void ClickColumn(ListViewBase& list, int column);
void DoubleClick(ListViewBase& list);
void DragRow(ListViewBase& list, int source, int target);
// What a user's choice in a drop-down list sends.
void ChooseComboItem(HWND combo, int index);

// Captions of a list's rows, in order.
std::vector<std::wstring> ListCaptions(const ListView& list);

}  // namespace wv::test
