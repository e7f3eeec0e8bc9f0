#pragma once
// The base of the pages. A page is a panel of the main window's page area with a
// heading band (title and one line of description) over its content. Each page
// creates its own children in build(), places them in layout() (called on every
// resize: the window can be maximised) and fits its list columns in
// fitColumns(). Controls are named by role (scanButton, resultList), handlers by
// event (onScanClicked). The main window knows pages only through this interface
// and the page table (app/page_table.h): creation, start-up, settings, closing and drops.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_APP, "the main window and its pages are above every other layer");

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/modules.h"
#include "core/settings_store.h"

#include "ui/controls.h"
#include "ui/flat_button.h"
#include "ui/list_view.h"
#include "ui/notify.h"
#include "ui/panel.h"
#include "ui/pictures.h"

namespace wv {

class MainWindow;

// Pages keep their controls private: a page's controls are a private base of it
// (`using Controls = …Controls;`), and program code talks to a page only through
// its public methods. Tests reach the controls through this class
// (tests/support/page_access.h), which every page names a friend.
class PageTestAccess;
class RunControl;

class Page : public Panel {
 public:
  // The heading shows the module's title over the one-line description.
  Page(MainWindow& form, Module module, std::wstring_view description);
  ~Page() override;

  // Creates the page (hidden) in the page area, then its children.
  void create(HWND parent);
  [[nodiscard]] Module module() const { return module_; }
  [[nodiscard]] std::wstring_view title() const;
  // The page's section of Config.ini (empty for a page that keeps none).
  [[nodiscard]] std::wstring_view settingsSection() const { return ModuleInfoOf(module_).section; }
  [[nodiscard]] MainWindow& form() const { return form_; }

  // Once the page's controls exist and the window's start-up work has run (known
  // folders, the settings file read): the page's share of the start (catalogue
  // rows, pictures, drop target, resets). The start page's runs before the window
  // shows, the others' when they are made.
  virtual void initialise() {}
  // The control focused at start when this is the start page.
  [[nodiscard]] virtual Control* firstControl() { return nullptr; }
  // FitListColumn on the page's lists: at creation and after every maximise or restore.
  virtual void fitColumns() {}
  // The side bar made this page the active one.
  virtual void activated() {}
  // layout() again at the present size (after a change of DPI, or when the page's
  // own controls changed what they need).
  void relayout();

  // The settings store: the page reads its sections once after initialise() and
  // adds them, filled from its controls, once at close.
  virtual void loadSettings(SettingsFile& file) { (void)file; }
  // At start, for every page, made or not: the choices the window itself holds
  // (the backup base that other pages back up below).
  virtual void loadWindowSettings(const SettingsFile& file) { (void)file; }
  virtual void saveSettings(std::vector<SettingsSection>& sections) { (void)sections; }

  // Closing: a stop request to every operation of the page that runs.
  virtual void stopRuns() {}

  // Files dropped from the shell on the page: whether it takes them now (false
  // for pages without drops and while the page is busy), then the paths.
  [[nodiscard]] virtual bool acceptsDrop() const { return false; }
  virtual void drop(const std::vector<std::wstring>& paths) { (void)paths; }

 protected:
  virtual void build() = 0;
  virtual void layout(int width, int height) = 0;

  void paint(HDC dc, const RECT& client) override;
  void resized(int width, int height) override;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  static constexpr int kBand = 48;       // heading band
  static constexpr int kMargin = 12;     // page edges
  static constexpr int kTop = kBand + 10;
  static constexpr int kGap = 8;
  static constexpr int kButtonW = 96;
  static constexpr int kButtonH = 28;
  static constexpr int kEditH = 22;
  static constexpr int kTabH = 26;
  static constexpr int kTabW = 92;

  // The closing step of the run protocol: a stop request to each of the page's
  // runs while its module runs (what a second press of its start control does);
  // an idle run is left alone, so closing never starts anything.
  static void StopRunning(std::initializer_list<RunControl*> runs);

  // Buttons one below the other from (x, y); returns the y below the last.
  static int StackButtons(std::initializer_list<Control*> buttons, int x, int y, int w = kButtonW,
                          int h = kButtonH);
  // Buttons in a row that ends at right; returns the x left of the first.
  static int RowButtonsRight(std::initializer_list<Control*> buttons, int right, int y, int w = kButtonW,
                             int h = kButtonH);
  // Tab-like toggle buttons in a row from x; they sit on a line that the page draws up to right.
  void RowTabs(std::initializer_list<FlatButton*> tabs, int x, int y, int right);

 private:
  MainWindow& form_;
  Module module_;
  std::wstring description_;
  RECT tabLine_{};
};

// The catalogue's rows of a module appended to a list, recommended ones ticked.
void FillCatalogue(Module module, ListView& list);
// Ticks exactly the rows whose recommended flag is set.
void RestoreDefaults(ListView& list);
// The "全选"/"全否" toggle of a label or button over a list's ticks: ticks all
// rows or none as the control offers, then offers the other.
template <class Base>
void ToggleAllTicks(SelectAllToggle<Base>& toggle, ListView& list) {
  const bool all = toggle.offersAll();
  list.setAllChecked(all);
  toggle.setOffersAll(!all);
}

}  // namespace wv
