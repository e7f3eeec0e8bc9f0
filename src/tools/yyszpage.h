#pragma once
// The music page (yysztab): music files added by the file button or a drop. The
// side bar has no way to it.

#include <cstdint>
#include <string>
#include <vector>

#include "app/page.h"
#include "app/runprotocol.h"
#include "core/rows.h"

namespace wv {

class YyszPage : public Page {
 public:
  explicit YyszPage(Tfrmmain& form);

  Button yysz_filesel;
  ComboBox yysz_mnobj;
  Button yysz_mnchg;
  Button yysz_mnret;
  ComboBox yysz_zspth;
  Button yysz_zschg;
  RowModel yysz_rows;
  OwnerDataListView yysz_showlist;

  std::vector<std::wstring> yysz_filelist;
  std::int32_t yysz_runstate = 0;
  RunControl yysz_fileselRun;  // 1 import
  RunControl yysz_mnchgRun;    // 2 simulate
  RunControl yysz_zschgRun;    // 3 execute

  void yysz_fileselClick();
  void StartImport();
  // The operation that yysz_runstate names.
  void RunMusicTask();

 protected:
  void build() override;
  void layout(int width, int height) override;
};

}  // namespace wv
