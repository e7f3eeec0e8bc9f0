#pragma once
// The music page (yysztab): music files added by the file button or a drop, and
// the list managed by hand (remove, sort, reorder, rename in place). The naming
// rule's controls are there, but no operation acts on them yet: simulate, execute
// and refresh end at once. The side bar has no way to it.

#include <cstdint>
#include <string>
#include <vector>

#include "core/rows.h"
#include "tools/filetoolpage.h"
#include "tools/toolpagekit.h"
#include "tools/yyszline.h"
#include "ui/popupmenu.h"

namespace wv {

class YyszPage : public FileToolPage {
 public:
  explicit YyszPage(Tfrmmain& form);

  Button& yysz_filesel = filesel;
  std::vector<std::wstring>& yysz_filelist = filelist;
  std::int32_t& yysz_runstate = runstate;
  RunControl& yysz_fileselRun = fileselRun;  // 1 import

  ScrollBox yysz_setscl;
  Panel& yysz_setpnl = yysz_setscl.content;
  RadioButton FlatRadioButton2, FlatRadioButton1;
  RadioGroup yysz_rules;
  ComboBox FlatComboBox1, FlatComboBox2, FlatComboBox3;
  Edit FlatEdit2;
  CheckBox yysz_nameechchk;
  Label Label11, yysz_ss;
  Gauge yysz_szjd;

  ComboBox yysz_mnobj;
  Button yysz_mnchg;
  Button yysz_mnret;
  ComboBox yysz_zspth;
  Button yysz_zschg;
  MusicRows yysz_files;
  RowModel yysz_rows;
  OwnerDataListView yysz_showlist;
  PopupMenu yysz_menu;
  int yysz_menuchange = -1, yysz_menudelsel = -1, yysz_menudelunsel = -1, yysz_menudelall = -1,
      yysz_menurefresh = -1;

  std::wstring yysz_targetdir;
  RunControl yysz_mnchgRun;  // 2 simulate
  RunControl yysz_zschgRun;  // 3 execute

  void initialise() override;
  void stopRuns() override;

  void yysz_fileselClick() { fileselClick(); }
  void yysz_mnchgClick();
  void yysz_zschgClick();
  void yysz_mnretClick();
  void yysz_menuPopup();
  void yysz_menuchangeClick();
  void yysz_menudelselClick();
  void yysz_menudelunselClick();
  void yysz_menudelallClick();
  void yysz_menurefreshClick();
  [[nodiscard]] bool yysz_showlistEditing() const { return yysz_runstate == 0 && yysz_mnobj.index() == 0; }
  void yysz_showlistEdited(int index, const std::wstring& text);
  void yysz_showlistColumnClick(int column);
  void yysz_showlistDragDrop(int target);
  void UpdateMusicCount();
  // The operation that yysz_runstate names.
  void RunMusicTask();

 protected:
  void RunTask() override { RunMusicTask(); }
  void build() override;
  void layout(int width, int height) override;
  void fitColumns() override;

 private:
  void followRows(MusicRows::Change change, std::size_t index);
  void removeRows(bool selected);
  std::vector<std::unique_ptr<Label>> pieces_;
};

}  // namespace wv
