#pragma once
// The file-information page (wjsztab): files are added by the file button or a
// drop; a rule for their names, one of their times or their attributes is
// simulated into the list, corrected by hand if wanted, and executed. The rows
// are the engine's (FileInfoRows); the list view shows them through a RowModel
// that follows every change (the simulation page base).

#include <cstdint>
#include <string>
#include <vector>

#include "pages/tools/simulation_page.h"
#include "engines/tools/file_info.h"

namespace wv {

// The read-only name preview: reports where the user's selection ends up.
class PreviewEdit : public Edit {
 public:
  std::function<void()> onSelectionDone;  // mouse button or key released
  // The selection as character positions.
  void selection(int& start, int& length) const;

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class FileInfoPage : public SimulationPage<FileInfoRow> {
 public:
  explicit FileInfoPage(MainWindow& form);

  Button& wjsz_filesel = filesel;
  std::vector<std::wstring>& wjsz_filelist = filelist;
  std::int32_t& wjsz_runstate = runstate;
  RunControl& wjsz_fileselRun = fileselRun;  // 1 import

  LinkLabel wjsz_reset;
  ScrollBox& wjsz_setscl = setscl;
  Panel& wjsz_setpnl = wjsz_setscl.content;
  Panel wjsz_namepnl, wjsz_timepnl, wjsz_attrpnl;

  // Name panel: top row.
  ComboBox wjsz_nametypsel;
  PreviewEdit wjsz_namehlpedt;
  CheckBox wjsz_nameechchk;
  // The eight rules, each a radio button and the controls in its sentence.
  RadioButton wjsz_namereprbt, wjsz_nameralrbt, wjsz_nameuprrbt, wjsz_nameistrbt, wjsz_namenmbrbt,
      wjsz_nametqbrbt, wjsz_nametqarbt, wjsz_nametiqrbt;
  RadioGroup wjsz_namerules;
  Edit wjsz_namerepbeg, wjsz_namerepend;
  SpinEdit wjsz_nameralsei, wjsz_namerallen;
  Edit wjsz_nameraledt;
  SpinEdit wjsz_nameuprsei, wjsz_nameuprlen;
  ComboBox wjsz_nameuprtyp;
  SpinEdit wjsz_nameistsei;
  Edit wjsz_nameistedt;
  SpinEdit wjsz_namenmbsei, wjsz_namenmbbeg, wjsz_namenmbadd, wjsz_namenmblen;
  Edit wjsz_nametqbbeg, wjsz_nametqbend;
  ComboBox wjsz_nametqbsel;
  SpinEdit wjsz_nametqasei, wjsz_nametqalen;
  ComboBox wjsz_nametqasel;
  ComboBox wjsz_nametiqsel, wjsz_nametiqtyp;

  // Time panel.
  ComboBox wjsz_timedatsel, wjsz_timedattyp;
  Edit wjsz_timedatbeg, wjsz_timetimbeg, wjsz_timedatend, wjsz_timetimend;
  Label wjsz_timedatfwa, wjsz_timedatfwb;

  // Attribute panel.
  CheckBox wjsz_attrsavechk, wjsz_attrreadchk, wjsz_attrhidechk, wjsz_attrsystchk;

  // Action bar.
  ComboBox& wjsz_mnobj = mnobj;
  Button& wjsz_mnchg = mnchg;
  Button& wjsz_mnret = mnret;
  ComboBox& wjsz_zspth = zspth;
  Button& wjsz_zschg = zschg;

  FileInfoRows& wjsz_files = files;
  RowModel& wjsz_rows = rows;
  OwnerDataListView& wjsz_showlist = showlist;
  PopupMenu& wjsz_menu = menu;
  int& wjsz_menuchange = menuchange;
  RunControl& wjsz_mnchgRun = mnchgRun;  // 2 simulate
  RunControl& wjsz_zschgRun = zschgRun;  // 3 execute

  void initialise() override;

  void wjsz_fileselClick() { fileselClick(); }
  void wjsz_resetClick();
  void wjsz_mnchgClick() { mnchgClick(); }
  void wjsz_zschgClick() { zschgClick(); }
  void wjsz_mnretClick();
  void wjsz_mnobjChange();
  void wjsz_timedattypChange();
  void wjsz_nametypselChange() { wjsz_showlistSelectItem(); }
  void wjsz_namehlpedtMouseUp();
  void wjsz_setsclMouseDown() { wjsz_setscl.focus(); }
  // "修改" shows only while names are the object.
  void menuPopup() override;
  void wjsz_menuPopup() { menuPopup(); }
  void wjsz_menudelselClick() { menudelselClick(); }
  void wjsz_menudelunselClick() { menudelunselClick(); }
  void wjsz_menudelallClick() { menudelallClick(); }
  void wjsz_showlistSelectItem();
  [[nodiscard]] bool wjsz_showlistEditing() const { return showlistEditing(); }
  void wjsz_showlistEdited(int index, std::wstring text);
  void wjsz_showlistDragDrop(int target);

  // The rule settings as the controls hold them, and back.
  [[nodiscard]] FileInfoSettings ReadSettings() const;
  void WriteSettings(const FileInfoSettings& settings);

 protected:
  std::wstring runOperation(RunControl& run) override;
  // The time object's date and time edits must read as dates and times.
  bool settingsValid() override;
  void showInfo(std::wstring_view text) override;
  void selectionChanged() override { wjsz_showlistSelectItem(); }
  void sortRows(int column) override;
  void build() override;
  void layout(int width, int height) override;
  void fitColumns() override;

 private:
  void buildNamePanel();
  void buildTimePanel();
  void buildAttrPanel();
  void buildList();
  void layoutNamePanel(int width);
  void layoutTimePanel();
  void layoutAttrPanel();
  // The panel of the chosen object.
  [[nodiscard]] Panel& visiblePanel();
  // Captions of the sentences' pieces; kept so that the page owns them.
  std::vector<std::unique_ptr<Label>> pieces_;
  struct SentenceRow {
    RadioButton* radio;
    std::vector<std::pair<Control*, int>> items;  // each control with its width
  };
  std::vector<SentenceRow> sentences_;
  Label* piece(std::wstring_view caption);
};

// The engine's question in a message box with its heading, text, icon and buttons.
bool AskWithMsgBox(const FileInfoAsk& ask);

}  // namespace wv
