// The junk-file page's result list taking 100,000 rows the way a scan hands
// them over: the real main window with its pictures, the page's own RunControl
// (proceed() before each row, so the window drains its queue, paints and keeps
// the last row in view), a row built and appended per item. Also measured while
// it runs: how long a repainted status line and a 10 ms timer wait for the window;
// and taking half the rows out again in one step.

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/main_window.h"
#include "pages/page_table.h"
#include "engines/cleaning/junk_scan.h"
#include "pages/cleaning/junk_files_page.h"
#include "core/utilities.h"
#include "harness/bench.h"
#include "ui/messages.h"
// The page's own run and result list, reached as the tests reach them.
#include "../tests/support/page_access.h"

namespace {

double NowMs() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

struct Response {
  double lastTick = 0;
  double longestTimerGap = 0;
  int ticks = 0;
  double longestPaintWait = 0;
  double longestClear = 0;
  bool counting = false;  // only while rows arrive
};
Response g_response;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_response.counting) return;
  const double now = NowMs();
  if (g_response.lastTick > 0)
    g_response.longestTimerGap = std::max(g_response.longestTimerGap, now - g_response.lastTick);
  g_response.lastTick = now;
  ++g_response.ticks;
}

}  // namespace

int main() {
  using namespace wv;
  FormOptions options = FormOptions::Hosted(AllPages());
  MainWindow form(std::move(options));
  form.create();
  form.showMain();
  form.sideBar.button(Module::JunkFiles).click();
  DrainMessages();
  JunkFilesControls& page = test::Controls(form.page<JunkFilesPage>());
  RunControl& run = page.scanRun;
  HWND status = form.statusLine.handle();
  constexpr int kRows = 100000;

  int shown = 0;
  bool lastInView = false;
  auto scan = [&] {
    run.start(1, {&page.deleteSelectedButton, &page.deleteAllButton, &page.scanFolderButton});
    const double clearStart = NowMs();
    page.resultModel.clear();  // the previous run's rows, as a new scan starts
    g_response.longestClear = std::max(g_response.longestClear, NowMs() - clearStart);
    g_response.lastTick = 0;
    g_response.counting = true;
    std::uint64_t total = 0;
    double invalidatedAt = 0;
    const std::wstring base = L"C:\\Documents and Settings\\user\\Local Settings\\Temp\\";
    std::wstring folder;
    for (int i = 0; i < kRows; ++i) {
      if (!run.proceed()) break;
      if (invalidatedAt > 0 && !GetUpdateRect(status, nullptr, FALSE)) {
        g_response.longestPaintWait = std::max(g_response.longestPaintWait, NowMs() - invalidatedAt);
        invalidatedAt = 0;
      }
      if (i % 10000 == 5000 && invalidatedAt == 0) {
        SetRunInfo(L"已扫描到 " + std::to_wstring(i) + L" 项");
        invalidatedAt = NowMs();
      }
      if (i % 1000 == 0) folder = base + L"VBE" + std::to_wstring(i / 1000) + L"\\";
      ListRow row;
      row.caption = folder + L"~DF" + std::to_wstring(i) + L".tmp";
      const std::uint64_t size = 512 + static_cast<std::uint64_t>(i % 4096) * 37;
      row.sub.push_back(FormatSize(size));
      row.size = size;
      row.image = picture::JunkFile;
      page.resultModel.append(std::move(row));
      run.rowAdded();
      total += size;
    }
    g_response.counting = false;
    JunkScanResult result;
    result.rows = page.resultModel.size();
    result.total = total;
    run.finish(JunkScanSummary(result));
    shown = page.resultList.count();
    const HWND list = page.resultList.handle();
    lastInView = ListView_GetTopIndex(list) + ListView_GetCountPerPage(list) >= shown;
  };

  const UINT_PTR timer = SetTimer(nullptr, 0, 10, Tick);
  const double seconds = bench::BestSeconds(scan, 3);
  KillTimer(nullptr, timer);

  // Removal afterwards: every second row highlighted and taken out in one step
  // (what the delete buttons do once the shell has removed the files).
  int leftSelected = -1;
  const double removeSeconds = bench::BestSeconds(
      [&] {
        std::vector<std::size_t> chosen;
        for (std::size_t i = 0; i < page.resultModel.size(); i += 2) chosen.push_back(i);
        page.resultModel.eraseMany(std::move(chosen));
        page.resultList.flush();
      },
      3,
      [&] {
        scan();
        SendMessageW(page.resultList.handle(), WM_SETREDRAW, FALSE, 0);
        for (int i = 0; i < shown; i += 2) page.resultList.setSelected(i, true);
        SendMessageW(page.resultList.handle(), WM_SETREDRAW, TRUE, 0);
        DrainMessages();
      });
  leftSelected = page.resultList.selectedCount();
  const int left = page.resultList.count();

  std::printf("%d rows shown, last row in view: %s; during the appends: %d timer ticks, longest gap %.1f ms, "
              "status repainted within %.1f ms; clearing the rows of a run: %.1f ms\n",
              shown, lastInView ? "yes" : "no", g_response.ticks, g_response.longestTimerGap,
              g_response.longestPaintWait, g_response.longestClear);
  std::printf("removing every second row: %d rows left, %d of them highlighted\n", left, leftSelected);
  bench::ReportAbsolute("result_list", seconds, 1.0);
  bench::ReportAbsolute("result_list_remove_half", removeSeconds, 1.0);
  const double longestWait = std::max(g_response.longestTimerGap, g_response.longestPaintWait);
  bench::ReportAbsolute("result_list_response", longestWait / 1000.0, 0.1);
  return shown == kRows && lastInView && left == kRows / 2 && leftSelected == 0 ? 0 : 1;
}
