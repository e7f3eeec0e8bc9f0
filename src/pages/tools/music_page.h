#pragma once
// The music page (yysztab): music files added by the file button or a drop, and
// the list managed by hand (remove, sort, reorder, rename in place). The naming
// rule's controls are there, but no operation acts on them yet: simulate, execute
// and refresh end at once. The side bar has no way to it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pages/tools/simulation_page.h"
#include "engines/tools/music.h"

namespace wv {

class MusicPage : public SimulationPage<MusicRow> {
 public:
  explicit MusicPage(MainWindow& form);

  Button& yysz_filesel = filesel;
  std::vector<std::wstring>& yysz_filelist = filelist;
  std::int32_t& yysz_runstate = runstate;
  RunControl& yysz_fileselRun = fileselRun;  // 1 import

  ScrollBox& yysz_setscl = setscl;
  Panel& yysz_setpnl = setscl.content;
  RadioButton FlatRadioButton2, FlatRadioButton1;
  RadioGroup yysz_rules;
  ComboBox FlatComboBox1, FlatComboBox2, FlatComboBox3;
  Edit FlatEdit2;
  CheckBox yysz_nameechchk;
  Label Label11, yysz_ss;
  Gauge yysz_szjd;

  ComboBox& yysz_mnobj = mnobj;
  Button& yysz_mnchg = mnchg;
  Button& yysz_mnret = mnret;
  ComboBox& yysz_zspth = zspth;
  Button& yysz_zschg = zschg;
  MusicRows& yysz_files = files;
  RowModel& yysz_rows = rows;
  OwnerDataListView& yysz_showlist = showlist;
  PopupMenu& yysz_menu = menu;
  RunControl& yysz_mnchgRun = mnchgRun;  // 2 simulate
  RunControl& yysz_zschgRun = zschgRun;  // 3 execute

  void initialise() override;

  void yysz_fileselClick() { fileselClick(); }
  void yysz_mnchgClick() { mnchgClick(); }
  void yysz_zschgClick() { zschgClick(); }
  void yysz_mnretClick();
  void yysz_showlistEdited(int index, const std::wstring& text);
  void yysz_showlistDragDrop(int target);

 protected:
  std::wstring runOperation(RunControl& run) override;
  void showInfo(std::wstring_view text) override { yysz_ss.setCaption(text); }
  void sortRows(int column) override { SortMusicRows(yysz_files, column); }
  void build() override;
  void layout(int width, int height) override;
  void fitColumns() override;

 private:
  std::vector<std::unique_ptr<Label>> pieces_;
};

}  // namespace wv
