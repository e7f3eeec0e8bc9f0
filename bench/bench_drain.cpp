// What the run protocol's per-item step costs on the real main window: the
// throttled drain against a drain before every item (one PeekMessage and more
// per call), for a walk of a million items.

#include <cstdio>

#include "app/main_window.h"
#include "pages/page_table.h"
#include "pages/cleaning/daily_files_page.h"
#include "harness/bench.h"
#include "ui/messages.h"
// The page's own run, reached as the tests reach it.
#include "../tests/support/page_access.h"

int main() {
  using namespace wv;
  FormOptions options = FormOptions::Hosted(AllPages());
  MainWindow form(std::move(options));
  form.create();
  form.showMain();
  DrainMessages();
  RunControl& run = test::Controls(form.page<DailyFilesPage>()).scanRun;
  run.start(1);  // "停止" on the start control: every call answers go on

  constexpr int kThrottled = 1000000;
  constexpr int kEvery = 20000;
  const double interval = DrainInterval();
  int seen = 0;
  const double throttled = bench::BestSeconds(
      [&] {
        for (int i = 0; i < kThrottled; ++i) seen += run.proceed() ? 1 : 0;
      },
      3);
  SetDrainInterval(0);
  const double every = bench::BestSeconds(
      [&] {
        for (int i = 0; i < kEvery; ++i) seen += run.proceed() ? 1 : 0;
      },
      3);
  SetDrainInterval(interval);
  run.finish(L"");
  const double perThrottled = throttled / kThrottled * 1e6;
  const double perEvery = every / kEvery * 1e6;
  std::printf("proceed(): %.3f us per item with a drain every %.0f ms, %.1f us with a drain per item\n",
              perThrottled, interval, perEvery);
  std::printf("a million items: %.2f s against %.1f s (%d calls went on)\n", throttled, perEvery, seen);
  bench::Report({"proceed_throttled_vs_every_item", throttled, perEvery * kThrottled / 1e6, 0.05});
  bench::ReportAbsolute("proceed_million_items", throttled, 1.0);
  return 0;
}
