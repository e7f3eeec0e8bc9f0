#pragma once
// The main window: its own title bar across the top, the side bar on the right,
// the page area with the pages of the page table (no visible tabs) and the status
// bar at the bottom. Created hidden; shown by the one-shot administrator gate.
// Only the start page's controls are made before the window shows; every other
// page is made once the window is up and the queue is idle (one page a turn), or
// at once when something reaches for it first (the side bar, another page, closing).

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_APP, "the main window and its pages are above every other layer");

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/page.h"
#include "app/page_table.h"
#include "platform/platform.h"
#include "app/side_bar.h"
#include "app/title_bar.h"
#include "core/known_folders.h"
#include "core/utilities.h"
#include "platform/handles.h"
#include "ui/controls.h"
#include "ui/messages.h"
#include "ui/panel.h"

namespace wv {

class Page;
class AboutWindow;

struct FormOptions {
  // The pages, in side-bar order (AllPages() of the pages library).
  PageTable pages;
  // The one-shot timer that checks for administrator rights and then shows the
  // window. Tests create the window without it and show it themselves.
  bool adminGate = true;
  // Destroying the window ends the message loop (the program).
  bool quitOnDestroy = true;
  // The about window to use (the program's splash); the window makes its own when null.
  AboutWindow* about = nullptr;
  // Runs where closing saves the settings (tests watch it).
  std::function<void()> onSaveSettings;

  // A window driven by its host (tests, benchmarks, the screenshot driver): shown
  // by the host without the gate, and closing it does not end the host's loop.
  static FormOptions Hosted(PageTable pages) {
    FormOptions options;
    options.pages = pages;
    options.adminGate = false;
    options.quitOnDestroy = false;
    return options;
  }
};

// The page area: the pages stacked, one visible.
class PageHost : public Panel {
 public:
  void add(Page& page) { pages_.push_back(&page); }
  [[nodiscard]] Page* activePage() const { return active_; }
  void setActivePage(Page& page);
  [[nodiscard]] const std::vector<Page*>& pages() const { return pages_; }

 protected:
  void resized(int width, int height) override;

 private:
  std::vector<Page*> pages_;
  Page* active_ = nullptr;
};

// The gauge of the status bar: showing or hiding it tells the bar, so that the
// status text has the whole width while the gauge is hidden.
class StatusGauge : public Gauge {
 public:
  void setVisible(bool visible) override {
    Gauge::setVisible(visible);
    if (onVisibility) onVisibility();
  }
  std::function<void()> onVisibility;
};

class MainWindow : public Control {
 public:
  static constexpr int kClientWidth = 800;
  static constexpr int kClientHeight = 563;
  static constexpr int kTitleHeight = 22;
  static constexpr int kSideWidth = 142;
  static constexpr int kStatusHeight = 21;
  static constexpr int kGaugeWidth = 142;

  explicit MainWindow(FormOptions options = {});
  ~MainWindow() override;

  // Creates the window and its start page (hidden), then does the start-up work.
  void create();
  // Shows the window normally and brings it to the front.
  void showMain();
  [[nodiscard]] bool isMaximized() const;

  // Regions.
  TitleBar titleBar;
  SideBar sideBar;
  PageHost pageHost;
  Panel statusBar;
  StatusPanel statusLine;
  StatusGauge progressGauge;

  // The pages, in the order of the page table, each complete (those not made yet are made now).
  [[nodiscard]] const std::vector<std::unique_ptr<Page>>& pages();
  // The page of a module, complete; null when the window has none.
  [[nodiscard]] Page* findPage(Module module);
  [[nodiscard]] PageTable pageTable() const { return options_.pages; }
  // The page of a type, complete, for code that knows it (pages opening each other, tests).
  template <class P>
  [[nodiscard]] P* findPage() {
    for (const std::unique_ptr<Page>& p : pages_)
      if (auto* page = dynamic_cast<P*>(p.get())) {
        completePage(*page);
        return page;
      }
    return nullptr;
  }
  template <class P>
  [[nodiscard]] P& page() {
    return *findPage<P>();
  }
  // Whether the page's controls exist yet (without making them).
  [[nodiscard]] bool pageMade(Module module) const;

  [[nodiscard]] Page& activePage() const;
  // Makes a page the active one (no status change: page code switching pages).
  void setActivePage(Page& page);
  // The side bar's switch: nothing when already active; otherwise the status text
  // is cleared, the page shown and told so (the software and startup pages then
  // refresh an empty list).
  void switchToPage(Page& page);

  // The side bar's module buttons: off while an operation runs, so no page changes mid-run.
  void setSideBarEnabled(bool enabled);
  [[nodiscard]] bool sideBarEnabled() const;

  // The shared open-file dialog of the file-tool pages with a page's title and
  // filter, opening in the folder of the last choice; the files chosen (none
  // when the user cancelled).
  std::vector<std::wstring> pickFiles(OpenFilesRequest request);

  // Resolved at start; the cleaners work inside these folders.
  KnownFolders knownFolders;
  // Program folder with its trailing backslash.
  std::wstring programFolder;
  // The backup base folder (the backup page shows it) and, below it, each with
  // a trailing backslash, the folders of the registry backups and of the
  // startup-item backups.
  std::wstring backupBase;
  std::wstring registryBackupFolder;
  std::wstring startupBackupFolder;
  // Sets the base folder and recomputes both backup folders.
  void setBackupBase(std::wstring_view base);

  // The shared picture list of the catalogue and result rows (23 icons of 16 px).
  [[nodiscard]] HIMAGELIST rowPictures() const { return rowPictures_.get(); }
  [[nodiscard]] AboutWindow& about();

  // Maximise (to the work area) or restore, as the title bar's button does.
  void toggleMaximized();

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Every page object; only the start page gets its controls.
  void buildPages();
  // Makes the page's controls when it has none yet: at the page area's size, and
  // once the start-up work has run also its share of the start and its settings.
  void completePage(Page& page);
  // The idle timer: the next page without controls gets them; none left, the timer stops.
  void onPageTimer();
  // The start-up work once the controls exist: known folders, backup folders,
  // each page's share, the settings, the message hook, the title glyphs, columns, focus.
  void startUp();
  // The one-shot timer: an administrator gets the window shown; anyone else is
  // told and the program ends without saving.
  void onAdminGateTimer();
  // Closing: the window hidden, every run asked to stop, the settings saved.
  void onCloseRequested();
  // The application's message hook: files dropped on a page that takes them (the
  // file-tool pages), and Tab between controls (the window is no dialog); true when handled.
  bool onFilesDropped(MSG& message);
  bool onTabKey(MSG& message);
  void layout(int width, int height);
  void layoutStatusBar();
  // FitListColumn on every page's stretching lists (at start, after maximise and restore).
  void fitColumns();
  // The window's monitor has another DPI (WM_DPICHANGED): fonts, pictures and
  // layout at the new scale, the window in the suggested rectangle.
  void changeDpi(int newDpi, const RECT& suggested);
  // Config.ini beside the program.
  [[nodiscard]] std::wstring settingsFile() const { return programFolder + L"Config.ini"; }
  void loadSettings();
  void saveSettings();
  // The pages' choices as read at start: a page made later takes its own from here.
  std::unique_ptr<SettingsFile> settings_;
  bool startedUp_ = false;

  FormOptions options_;
  std::vector<std::unique_ptr<Page>> pages_;
  std::unique_ptr<AboutWindow> ownAbout_;
  UniqueImageList rowPictures_;
  bool closingSteps_ = true;    // closing hides, stops and saves (not after a failed administrator check)
  bool settingsHeld_ = false;   // Config.ini could not be read at start: closing leaves it alone
  std::wstring pickFolder_ = L"c:";
  RunInfoSink previousSink_;
  FaultSink previousFaultSink_;
  bool sinkInstalled_ = false;
  MessageHook previousHook_;
  bool hooked_ = false;
  HWND focusSaved_ = nullptr;
};

}  // namespace wv
