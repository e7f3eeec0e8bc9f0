#pragma once
// The music page (yysztab): music files added by the file button or a drop. The
// side bar has no way to it.

#include <cstdint>
#include <string>
#include <vector>

#include "core/rows.h"
#include "tools/filetoolpage.h"

namespace wv {

class YyszPage : public FileToolPage {
 public:
  explicit YyszPage(Tfrmmain& form);

  // The shared file-tool parts under this page's names.
  Button& yysz_filesel = filesel;
  std::vector<std::wstring>& yysz_filelist = filelist;
  std::int32_t& yysz_runstate = runstate;
  RunControl& yysz_fileselRun = fileselRun;  // 1 import

  ComboBox yysz_mnobj;
  Button yysz_mnchg;
  Button yysz_mnret;
  ComboBox yysz_zspth;
  Button yysz_zschg;
  RowModel yysz_rows;
  OwnerDataListView yysz_showlist;

  RunControl yysz_mnchgRun;    // 2 simulate
  RunControl yysz_zschgRun;    // 3 execute

  void initialise() override;
  // Closing stops only the import: the music page's other runs end by themselves.
  void stopRuns() override;

  void yysz_fileselClick() { fileselClick(); }
  // The operation that yysz_runstate names.
  void RunMusicTask();

 protected:
  void RunTask() override { RunMusicTask(); }
  void build() override;
  void layout(int width, int height) override;
};

}  // namespace wv
