#include "app/main_window.h"

#include "app/about_window.h"
#include "app/page.h"
#include "app/page_table.h"
#include "app/run_protocol.h"
#include "app/startup_trace.h"
#include "core/settings_store.h"
#include "platform/text.h"
#include "platform/platform.h"
#include "ui/dpi.h"
#include "ui/pictures.h"
#include "ui/theme.h"

namespace wv {
namespace {

constexpr UINT_PTR kGateTimer = 1;
constexpr UINT_PTR kPageTimer = 2;

std::wstring ProgramFolder() { return std::wstring(ExtractFilePath(ProgramPath())); }

}  // namespace

// ---------------------------------------------------------------- PageHost

void PageHost::setActivePage(Page& page) {
  if (active_ == &page) return;
  Page* previous = active_;
  active_ = &page;
  page.setVisible(true);
  if (previous) previous->setVisible(false);
}

void PageHost::resized(int width, int height) {
  for (Page* p : pages_) p->setBounds(0, 0, width, height);
  Panel::resized(width, height);
}

// ---------------------------------------------------------------- MainWindow

MainWindow::MainWindow(FormOptions options) : options_(std::move(options)) {}

MainWindow::~MainWindow() {
  if (hooked_) SetMessageHook(std::move(previousHook_));
  if (hwnd_) {
    closingSteps_ = false;
    options_.quitOnDestroy = false;
    DestroyWindow(hwnd_);
  }
  if (sinkInstalled_) {
    SetRunInfoSink(std::move(previousSink_));
    SetFaultSink(std::move(previousFaultSink_));
  }
  SetMsgBoxOwner(nullptr);
}

AboutWindow& MainWindow::about() {
  if (options_.about) return *options_.about;
  if (!ownAbout_) ownAbout_ = std::make_unique<AboutWindow>();
  return *ownAbout_;
}

void MainWindow::create() {
  // The window font follows the system before any control is made with it.
  theme::SetFontFace(GetUIFontName().c_str());
  // The window is laid out at its screen's DPI; it moves to its monitor's on WM_DPICHANGED.
  dpi::SetCurrent(dpi::ForScreen());
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  StartupMark(L"font, DPI, common controls");
  rowPictures_ = LoadImageStrip(IDB_IMAGELIST, 16);
  programFolder = ProgramFolder();
  StartupMark(L"row pictures");

  // Client area 800 x 563 (design units) without a frame, centred on the desktop.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - dpi::S(kClientWidth)) / 2;
  const int y = work.top + (work.bottom - work.top - dpi::S(kClientHeight)) / 2;
  createOwn(nullptr, WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
            WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, L"WindowsVantorra", x, y, kClientWidth, kClientHeight);
  if (!hwnd_) return;
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(AppIcon(false)));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(AppIcon(true)));
  StartupMark(L"main window");

  titleBar.create(*this);
  StartupMark(L"title bar");
  sideBar.create(*this);
  StartupMark(L"side bar");
  pageHost.create(hwnd_, theme::kPage);
  statusBar.create(hwnd_, theme::kStatusBar);
  statusBar.onPaint = [](HDC dc, const RECT& r) {
    RECT line{0, 0, r.right, 1};
    theme::FillSolid(dc, line, theme::kStatusLine);
  };
  statusLine.create(statusBar.handle(), theme::kStatusBar);
  progressGauge.create(statusBar.handle());
  progressGauge.setVisible(false);
  progressGauge.onVisibility = [this] { layoutStatusBar(); };
  StartupMark(L"page area, status bar");
  buildPages();

  previousSink_ = SetRunInfoSink([this](std::wstring_view text) { statusLine.setText(text); });
  // A fault outside any run is told on the status line as well, and so is a log that cannot be written.
  previousFaultSink_ = SetFaultSink([this](const FaultReport& fault) {
    SetRunInfo(AppendFaultLog(programFolder, fault) ? kFaultStatusText : kFaultUnloggedStatusText);
  });
  sinkInstalled_ = true;
  SetMsgBoxOwner(hwnd_);
  about().mainVisible = [this] { return hwnd_ && IsWindowVisible(hwnd_); };
  layout(kClientWidth, kClientHeight);
  // A monitor of another DPI than the screen's (a second monitor): its scale from the start.
  if (const int own = dpi::ForWindow(hwnd_); own != dpi::Current()) {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    const RECT scaled{r.left, r.top, r.left + dpi::Scale(kClientWidth, own), r.top + dpi::Scale(kClientHeight, own)};
    changeDpi(own, scaled);
  }
  StartupMark(L"layout");
  startUp();
  if (options_.adminGate) SetTimer(hwnd_, kGateTimer, 1, nullptr);
}

void MainWindow::buildPages() {
  for (const PageEntry& entry : options_.pages) pages_.push_back(entry.make(*this));
  completePage(*pages_.front());
  pageHost.setActivePage(*pages_.front());
}

void MainWindow::completePage(Page& page) {
  if (page.created()) return;
  page.create(pageHost.handle());
  pageHost.add(page);
  // The page area has its size once the window is laid out; the start page gets it then.
  if (const RECT area = pageHost.clientRect(); area.right > 0 && area.bottom > 0)
    page.setBounds(0, 0, area.right, area.bottom);
  StartupMark(L"page built: " + std::wstring(page.title()));
  if (!startedUp_) return;
  page.initialise();
  if (settings_ && settings_->readable()) page.loadSettings(*settings_);
  page.fitColumns();
  StartupMark(L"page initialised: " + std::wstring(page.title()));
}

void MainWindow::onPageTimer() {
  for (const std::unique_ptr<Page>& p : pages_) {
    if (!p->created()) {
      completePage(*p);
      return;  // one page a turn: input and painting come between
    }
  }
  KillTimer(hwnd_, kPageTimer);
}

const std::vector<std::unique_ptr<Page>>& MainWindow::pages() {
  for (const std::unique_ptr<Page>& p : pages_) completePage(*p);
  return pages_;
}

Page* MainWindow::findPage(Module module) {
  for (const std::unique_ptr<Page>& p : pages_) {
    if (p->module() != module) continue;
    completePage(*p);
    return p.get();
  }
  return nullptr;
}

bool MainWindow::pageMade(Module module) const {
  for (const std::unique_ptr<Page>& p : pages_)
    if (p->module() == module) return p->created();
  return false;
}

void MainWindow::layout(int width, int height) {
  titleBar.setBounds(0, 0, width, kTitleHeight);
  const int bodyH = height - kTitleHeight - kStatusHeight;
  sideBar.setBounds(width - kSideWidth, kTitleHeight, kSideWidth, bodyH);
  pageHost.setBounds(0, kTitleHeight, width - kSideWidth, bodyH);
  statusBar.setBounds(0, height - kStatusHeight, width, kStatusHeight);
  layoutStatusBar();
}

void MainWindow::changeDpi(int newDpi, const RECT& suggested) {
  const int oldDpi = dpi::Current();
  if (newDpi == oldDpi || !hwnd_) return;
  dpi::SetCurrent(newDpi);
  // Every window gets the same font at the new size; the picture lists are filled
  // anew in place, and the lists that show them measure their rows again.
  EnumChildWindows(
      hwnd_,
      [](HWND child, LPARAM dpis) -> BOOL {
        const int from = LOWORD(dpis), to = HIWORD(dpis);
        auto* font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        if (HFONT same = theme::SameFontAt(font, from, to))
          SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(same), FALSE);
        return TRUE;
      },
      MAKELPARAM(oldDpi, newDpi));
  ReloadImageStrip(rowPictures_.get(), IDB_IMAGELIST, 16, newDpi);
  sideBar.reloadIcons();
  EnumChildWindows(
      hwnd_,
      [](HWND child, LPARAM) -> BOOL {
        wchar_t name[32] = {};
        GetClassNameW(child, name, 32);
        if (lstrcmpiW(name, WC_LISTVIEWW) == 0)
          if (HIMAGELIST images = ListView_GetImageList(child, LVSIL_SMALL))
            ListView_SetImageList(child, images, LVSIL_SMALL);
        return TRUE;
      },
      0);
  // The suggested rectangle, then every layout again: a control whose device size
  // stays the same still moves.
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  const RECT client = clientRect();
  layout(client.right, client.bottom);
  for (const std::unique_ptr<Page>& p : pages_)
    if (p->created()) p->relayout();
  fitColumns();
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void MainWindow::layoutStatusBar() {
  const int width = statusBar.clientRect().right;
  const bool gauge = progressGauge.visible();
  statusLine.setBounds(0, 1, gauge ? width - kGaugeWidth : width, kStatusHeight - 1);
  progressGauge.setBounds(width - kGaugeWidth, 3, kGaugeWidth, kStatusHeight - 6);
}

void MainWindow::startUp() {
  // Appearance: the fonts followed the system in create(); the title caption is white.
  titleBar.onApplicationActivated(true);
  // Run states and the drag flag start idle (they are members initialised so).

  knownFolders = ResolveKnownFolders();
  setBackupBase(programFolder + L"Backup");
  StartupMark(L"known folders");
  loadSettings();
  StartupMark(L"settings read");
  // The start page's share (catalogue rows, pictures, drop targets, resets) and
  // its choices; the other pages take theirs when they are made.
  startedUp_ = true;
  Page& first = *pages_.front();
  first.initialise();
  if (settings_->readable()) first.loadSettings(*settings_);
  StartupMark(L"page initialised: " + std::wstring(first.title()));

  previousHook_ = SetMessageHook([this](MSG& m) { return onFilesDropped(m) || onTabKey(m); });
  hooked_ = true;

  titleBar.drawNormalGlyphs();
  fitColumns();
  if (Control* first = pages_.front()->firstControl()) {
    first->focus();
    focusSaved_ = first->handle();
  }
  StartupMark(L"title glyphs, columns, focus");
}

void MainWindow::loadSettings() {
  settings_ = std::make_unique<SettingsFile>(settingsFile());
  // Saving over a file whose choices were never read would replace them with defaults.
  settingsHeld_ = settings_->held();
  if (!settings_->readable()) return;
  // What the window needs of a page's choices before the page is made (the backup folders).
  for (const std::unique_ptr<Page>& p : pages_) p->loadWindowSettings(*settings_);
}

void MainWindow::saveSettings() {
  if (settingsHeld_) return;
  std::vector<SettingsSection> sections;
  // A page never opened saves what it read at start (its defaults where the file had nothing).
  for (const std::unique_ptr<Page>& p : pages()) p->saveSettings(sections);
  SortSettingsSections(sections);
  if (!wv::SaveSettings(settingsFile(), sections)) ShowErrorText(SettingsWriteError(settingsFile()));
}

bool MainWindow::onTabKey(MSG& message) {
  // Tab and Shift+Tab move between the controls of the window's panels.
  if (message.message != WM_KEYDOWN || message.wParam != VK_TAB || !hwnd_) return false;
  if (message.hwnd != hwnd_ && !IsChild(hwnd_, message.hwnd)) return false;
  return IsDialogMessageW(hwnd_, &message) != FALSE;
}

void MainWindow::setBackupBase(std::wstring_view base) {
  backupBase.assign(base);
  registryBackupFolder = std::wstring(base) + L"\\Registry\\";
  startupBackupFolder = std::wstring(base) + L"\\AutoRun\\";
}

void MainWindow::fitColumns() {
  for (const std::unique_ptr<Page>& p : pages_)
    if (p->created()) p->fitColumns();
}

void MainWindow::showMain() {
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd_);
  BringWindowToTop(hwnd_);
  StartupMark(L"window shown");
  // The other pages once the window is up: a timer's turn comes only when no input or painting waits.
  SetTimer(hwnd_, kPageTimer, 1, nullptr);
}

bool MainWindow::isMaximized() const { return hwnd_ && IsZoomed(hwnd_); }

Page& MainWindow::activePage() const { return *pageHost.activePage(); }

void MainWindow::setActivePage(Page& page) { pageHost.setActivePage(page); }

void MainWindow::switchToPage(Page& page) {
  if (&activePage() == &page) return;
  SetRunInfo(L"");
  setActivePage(page);
  if (FlatButton* b = sideBar.buttonOf(page)) b->setDown(true);
  page.activated();
}

void MainWindow::setSideBarEnabled(bool enabled) { sideBar.setButtonsEnabled(enabled); }

bool MainWindow::sideBarEnabled() const { return sideBar.buttonsEnabled(); }

void MainWindow::toggleMaximized() {
  if (!isMaximized()) {
    titleBar.setDecorVisible(false);
    ShowWindow(hwnd_, SW_MAXIMIZE);
    titleBar.setDecorVisible(true);
    fitColumns();
    titleBar.maximizeButton.drawGlyph(glyphs::kRestoreNormal);
  } else {
    ShowWindow(hwnd_, SW_RESTORE);
    fitColumns();
    titleBar.maximizeButton.drawGlyph(glyphs::kMaxNormal);
  }
}

void MainWindow::onAdminGateTimer() {
  KillTimer(hwnd_, kGateTimer);
  StartupMark(L"message loop reached the gate");
  if (Sys().version().platformId == VER_PLATFORM_WIN32_NT && !IsAdmin()) {
    MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"权限不够", L"只有以系统管理员的身份登录才能使用本软件！");
    closingSteps_ = false;  // nothing is saved
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    return;
  }
  showMain();
}

void MainWindow::onCloseRequested() {
  ShowWindow(hwnd_, SW_HIDE);
  for (const std::unique_ptr<Page>& p : pages_)
    if (p->created()) p->stopRuns();
  if (options_.onSaveSettings) options_.onSaveSettings();
  saveSettings();
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) layout(dpi::USize(LOWORD(lParam)), dpi::USize(HIWORD(lParam)));
      return 0;
    case WM_DPICHANGED:
      changeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_GETMINMAXINFO: {
      // Maximised means the work area: the task bar stays visible.
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      HMONITOR monitor = MonitorFromWindow(hwnd_ ? hwnd_ : GetDesktopWindow(), MONITOR_DEFAULTTONEAREST);
      MONITORINFO mi{};
      mi.cbSize = sizeof mi;
      if (GetMonitorInfoW(monitor, &mi)) {
        info->ptMaxPosition.x = mi.rcWork.left - mi.rcMonitor.left;
        info->ptMaxPosition.y = mi.rcWork.top - mi.rcMonitor.top;
        info->ptMaxSize.x = mi.rcWork.right - mi.rcWork.left;
        info->ptMaxSize.y = mi.rcWork.bottom - mi.rcWork.top;
        info->ptMaxTrackSize = info->ptMaxSize;
      }
      return 0;
    }
    case WM_ACTIVATE:
      // The focused control is kept while another window is active.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) focusSaved_ = focus;
      } else if (focusSaved_ && IsWindow(focusSaved_) && IsChild(hwnd_, focusSaved_)) {
        SetFocus(focusSaved_);
        return 0;
      }
      break;
    case WM_ACTIVATEAPP:
      titleBar.onApplicationActivated(wParam != FALSE);
      return 0;
    case WM_TIMER:
      if (wParam == kGateTimer) {
        onAdminGateTimer();
        return 0;
      }
      if (wParam == kPageTimer) {
        onPageTimer();
        return 0;
      }
      break;
    case WM_CLOSE:
      if (closingSteps_) onCloseRequested();
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      if (options_.quitOnDestroy) PostQuitMessage(0);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    default:
      break;
  }
  return Control::handleMessage(message, wParam, lParam);
}

}  // namespace wv
