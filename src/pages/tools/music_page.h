#pragma once
// The music page: music files added by the file button or a drop, listed with
// their tags; new names built from the tags (or the names without blanks) are
// simulated into the list, corrected by hand if wanted, and executed by renaming,
// moving or copying the files. The rows are the engine's (MusicRows).

#include <memory>
#include <string>
#include <vector>

#include "pages/tools/simulation_page.h"
#include "engines/tools/music.h"

namespace wv {

struct MusicControls {
  // The naming rules: a name made of up to three tags joined by a separator, or
  // the name with its blanks removed.
  RadioButton tagNameRule, removeBlanksRule;
  RadioGroup nameRules;
  ComboBox firstTag, secondTag, thirdTag;
  Edit tagSeparator;
  CheckBox duplicateCheckBox;
  // The page's own status text after "信息:", and its own progress gauge.
  Label informationLabel, informationLine;
  Gauge progressGauge;
};

class MusicPage : public SimulationPage<MusicRow>, private MusicControls {
 public:
  explicit MusicPage(MainWindow& form);

  void initialise() override;

 protected:
  std::wstring runEngine(RunControl& run) override;
  void showInformation(std::wstring_view text) override { informationLine.setCaption(text); }
  void sortRows(int column) override { SortMusicRows(entries, column); }
  void build() override;
  void layout(int width, int height) override;
  void fitColumns() override;

 private:
  using Controls = MusicControls;
  friend class PageTestAccess;

  // Names: every new name back to the file's name. Tags: the tags read again.
  void onResetSimulationClicked();
  void onNameEdited(int index, const std::wstring& text);
  void onRowDropped(int target);
  // The rule settings as the controls hold them.
  [[nodiscard]] MusicSettings readSettings() const;

  // The next refresh (run state 4) only reads the tags again: the tag object's reset.
  bool tagsOnly_ = false;

  // The sentence's captions between the tag choices.
  std::vector<std::unique_ptr<Label>> pieces_;
};

}  // namespace wv
