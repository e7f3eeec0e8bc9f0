#pragma once
// The file-information page (wjsztab): files are added by the file button or a
// drop, their names, times and attributes changed by simulate and execute.

#include <cstdint>
#include <string>
#include <vector>

#include "core/rows.h"
#include "tools/filetoolpage.h"

namespace wv {

class WjszPage : public FileToolPage {
 public:
  explicit WjszPage(Tfrmmain& form);

  // The shared file-tool parts under this page's names.
  Button& wjsz_filesel = filesel;
  std::vector<std::wstring>& wjsz_filelist = filelist;
  std::int32_t& wjsz_runstate = runstate;
  RunControl& wjsz_fileselRun = fileselRun;  // 1 import

  LinkLabel wjsz_reset;
  ComboBox wjsz_mnobj;
  Button wjsz_mnchg;
  Button wjsz_mnret;
  ComboBox wjsz_zspth;
  Button wjsz_zschg;
  RowModel wjsz_rows;
  OwnerDataListView wjsz_showlist;

  RunControl wjsz_mnchgRun;    // 2 simulate
  RunControl wjsz_zschgRun;    // 3 execute

  // The file editor's rule controls to their start: part of the window's start.
  void initialise() override;
  void stopRuns() override;

  void wjsz_fileselClick() { fileselClick(); }
  void wjsz_resetClick();
  void wjsz_mnobjChange();
  // The operation that wjsz_runstate names.
  void RunFileInfoTask();

 protected:
  void RunTask() override { RunFileInfoTask(); }
  void build() override;
  void layout(int width, int height) override;
};

}  // namespace wv
