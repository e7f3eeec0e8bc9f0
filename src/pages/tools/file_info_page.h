#pragma once
// The file-information page: files are added by the file button or a drop; a
// rule for their names, one of their times or their attributes is simulated
// into the list, corrected by hand if wanted, and executed. The rows are the
// engine's (FileInfoRows); the list view shows them through a RowModel that
// follows every change (the simulation page base).

#include <functional>
#include <memory>
#include <string>
#include <utility>
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

struct FileInfoControls {
  LinkLabel resetSettingsLink;  // every rule setting back to its default
  // Inside the settings area; only the chosen object's panel shows.
  Panel namePanel, timePanel, attributePanel;

  // Name panel, top row: which part of the name the rules work on, that part of
  // the selected row's new name, and the duplicate check of a simulation.
  ComboBox namePartChoice;  // the name without its extension, or the extension
  PreviewEdit namePreview;
  CheckBox duplicateCheckBox;
  // The eight name rules: a radio button each, and the controls in the gaps of its sentence.
  RadioButton replaceRule, overwriteRule, changeCaseRule, insertTextRule, insertNumberRule, markersRule, rangeRule,
      charClassRule;
  RadioGroup nameRules;
  Edit replaceFrom, replaceTo;
  SpinEdit overwritePosition, overwriteLength;
  Edit overwriteText;
  SpinEdit casePosition, caseLength;
  ComboBox caseChoice;  // upper or lower case
  SpinEdit insertPosition;
  Edit insertText;
  SpinEdit numberPosition, numberBegin, numberStep, numberWidth;
  Edit markerBegin, markerEnd;
  ComboBox markerKeepOrDrop;
  SpinEdit rangePosition, rangeLength;
  ComboBox rangeKeepOrDrop;
  ComboBox charClassKeepOrDrop, charClassChoice;  // digits or letters

  // Time panel.
  ComboBox whichTimeChoice;  // the modified or the creation time
  ComboBox timeKindChoice;   // fixed or random between two bounds
  Edit beginDateEdit, beginTimeEdit, endDateEdit, endTimeEdit;
  Label dateDash, timeDash;  // "--" between the bounds of a random time

  // Attribute panel: the attributes to set.
  CheckBox archiveBox, readOnlyBox, hiddenBox, systemBox;
};

class FileInfoPage : public SimulationPage<FileInfoRow>, private FileInfoControls {
 public:
  explicit FileInfoPage(MainWindow& form);

  void initialise() override;

 protected:
  std::wstring runEngine(RunControl& run) override;
  // The time object's date and time edits must read as dates and times.
  bool settingsValid() override;
  void showInformation(std::wstring_view text) override;
  void selectionChanged() override { showNamePreview(); }
  void sortRows(int column) override;
  void build() override;
  void layout(int width, int height) override;
  void fitColumns() override;

 private:
  using Controls = FileInfoControls;
  friend class PageTestAccess;

  void onResetSettingsClicked();
  void onResetSimulationClicked();
  // Shows only the chosen object's settings panel.
  void onObjectChanged();
  void onTimeKindChanged();
  void onSettingsAreaPressed() { settingsArea.focus(); }
  // The selection in the name preview fills every rule's fields.
  void onPreviewSelectionDone();
  // "修改" shows only while names are the object.
  void onMenuPopup() override;
  void onNameEdited(int index, std::wstring text);
  void onRowDropped(int target);
  // The working part of the selected row's new name in the preview.
  void showNamePreview();

  // The rule settings as the controls hold them, and back.
  [[nodiscard]] FileInfoSettings readSettings() const;
  void writeSettings(const FileInfoSettings& settings);

  void buildNamePanel();
  void buildTimePanel();
  void buildAttributePanel();
  void buildList();
  void layoutNamePanel(int width);
  void layoutTimePanel();
  void layoutAttributePanel();
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
