#pragma once
// The shredder page (wjfstab): files and folders collected by the file button or
// a drop, then overwritten, truncated, renamed and deleted.

#include <cstdint>
#include <string>
#include <vector>

#include "app/page.h"
#include "app/runprotocol.h"
#include "core/rows.h"

namespace wv {

class WjfsPage : public Page {
 public:
  explicit WjfsPage(Tfrmmain& form);

  Button wjfs_filesel;
  RowModel wjfs_rows;
  OwnerDataListView wjfs_showlist;
  Button wjfs_selfs;
  Button wjfs_allselfs;
  Button wjfs_refresh;

  std::vector<std::wstring> wjfs_filelist;
  std::int32_t wjfs_runstate = 0;
  RunControl wjfs_fileselRun;    // 1 import
  RunControl wjfs_selfsRun;      // 2 shred the selected row
  RunControl wjfs_allselfsRun;   // 3 shred all rows

  void fitColumns() override;

  void wjfs_fileselClick();
  void StartImport();
  // The operation that wjfs_runstate names.
  void RunShredTask();

 protected:
  void build() override;
  void layout(int width, int height) override;
};

}  // namespace wv
