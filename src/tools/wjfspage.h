#pragma once
// The shredder page (wjfstab): files and folders collected by the file button or
// a drop, then overwritten, truncated, renamed and deleted.

#include <cstdint>
#include <string>
#include <vector>

#include "core/rows.h"
#include "tools/filetoolpage.h"

namespace wv {

class WjfsPage : public FileToolPage {
 public:
  explicit WjfsPage(Tfrmmain& form);

  // The shared file-tool parts under this page's names.
  Button& wjfs_filesel = filesel;
  std::vector<std::wstring>& wjfs_filelist = filelist;
  std::int32_t& wjfs_runstate = runstate;
  RunControl& wjfs_fileselRun = fileselRun;  // 1 import

  RowModel wjfs_rows;
  OwnerDataListView wjfs_showlist;
  Button wjfs_selfs;
  Button wjfs_allselfs;
  Button wjfs_refresh;

  RunControl wjfs_selfsRun;      // 2 shred the selected row
  RunControl wjfs_allselfsRun;   // 3 shred all rows

  void initialise() override;
  void fitColumns() override;
  void stopRuns() override;

  void wjfs_fileselClick() { fileselClick(); }
  // The operation that wjfs_runstate names.
  void RunShredTask();

 protected:
  void RunTask() override { RunShredTask(); }
  void build() override;
  void layout(int width, int height) override;
};

}  // namespace wv
