#pragma once
// The music page: music files added by the file button or a drop, and the list
// managed by hand (remove, sort, reorder, rename in place). The naming rule's
// controls are there, but no operation acts on them yet: simulate, execute and
// refresh end at once. The side bar has no way to it.

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

  void onResetSimulationClicked();
  void onNameEdited(int index, const std::wstring& text);
  void onRowDropped(int target);

  // The sentence's captions between the tag choices.
  std::vector<std::unique_ptr<Label>> pieces_;
};

}  // namespace wv
