#pragma once
// The file-information page (wjsztab): files are added by the file button or a
// drop, their names, times and attributes changed by simulate and execute.

#include <cstdint>
#include <string>
#include <vector>

#include "app/page.h"
#include "app/runprotocol.h"
#include "core/rows.h"

namespace wv {

class WjszPage : public Page {
 public:
  explicit WjszPage(Tfrmmain& form);

  LinkLabel wjsz_reset;
  Button wjsz_filesel;
  ComboBox wjsz_mnobj;
  Button wjsz_mnchg;
  Button wjsz_mnret;
  ComboBox wjsz_zspth;
  Button wjsz_zschg;
  RowModel wjsz_rows;
  OwnerDataListView wjsz_showlist;

  // Files waiting for the import, from the file dialog or a drop.
  std::vector<std::wstring> wjsz_filelist;
  std::int32_t wjsz_runstate = 0;
  RunControl wjsz_fileselRun;  // 1 import
  RunControl wjsz_mnchgRun;    // 2 simulate
  RunControl wjsz_zschgRun;    // 3 execute

  void wjsz_fileselClick();
  void wjsz_resetClick();
  void wjsz_mnobjChange();
  // Starts the import of wjsz_filelist (the file button and drops).
  void StartImport();
  // The operation that wjsz_runstate names.
  void RunFileInfoTask();

 protected:
  void build() override;
  void layout(int width, int height) override;
};

}  // namespace wv
