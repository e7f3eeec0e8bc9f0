#pragma once
// The other traces: the browser's URL cache (content, history, cookies), the
// addresses typed into its address bar, and the three event logs. Seven items,
// known by their position in the page's list; each scan or clean ends in a result
// of plain values that the page turns into the text of the item's result cell.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "core/run_context.h"

namespace wv {

// The items by catalogue position (the page's list order).
enum class TraceItem : std::size_t {
  TemporaryFiles = 0,  // URL cache, every container's content entries
  History = 1,         // URL cache "Visited:" entries, after the URL-history object's own clear
  TypedAddresses = 2,  // values of HKEY_CURRENT_USER's TypedURLs key
  Cookies = 3,         // URL cache "Cookie:" entries
  ApplicationLog = 4,
  SecurityLog = 5,
  SystemLog = 6,
};
inline constexpr std::size_t kTraceItemCount = 7;

enum class TraceRun { Scan = 1, Clean = 2 };  // the page's run-state numbers

enum class TraceStatus {
  Untouched,    // not reached, not ticked, or skipped after a stop: the cell stays as it is
  Working,      // a URL-cache item has started ("扫描中..." / "清理中...")
  Nothing,      // scanned, nothing found
  Found,        // scanned: count, and bytes for the URL-cache items
  Cleaned,
  ScanFailed,   // an event log that could not be opened or counted
  CleanFailed,  // an event log that could not be opened, counted or cleared; values that stayed
  Interrupted,  // a URL-cache item stopped part way: the cell is emptied
};

struct TraceResult {
  TraceStatus status = TraceStatus::Untouched;
  std::uint64_t count = 0;
  std::uint64_t bytes = 0;  // local files of the counted URL-cache entries
};

using TraceResults = std::array<TraceResult, kTraceItemCount>;
// Hears each result as it is reached (Working first for the URL-cache items), so
// the page can write the cell at once.
using TraceSink = std::function<void(TraceItem item, const TraceResult& result)>;

// The driver: items in order; a scan handles every item, a clean only the ticked
// ones. Only a URL-cache enumeration asks run.proceed(), so a stop is noticed
// there, interrupts that item and leaves every later item untouched.
TraceResults RunTraces(TraceRun mode, const std::array<bool, kTraceItemCount>& ticked, RunContext& run,
                       const TraceSink& sink = {});

// One item each; proceed is asked only by the URL-cache item, before each entry
// after the first. A stopped URL-cache item answers Interrupted.
TraceResult UrlCacheTrace(std::wstring_view pattern, TraceRun mode, RunContext& run);
TraceResult TypedAddressTrace(TraceRun mode);
TraceResult EventLogTrace(std::wstring_view logName, TraceRun mode);

// The URL-cache search pattern or event-log name behind an item (empty for the typed addresses).
std::wstring_view TraceSource(TraceItem item);

// Relative to HKEY_CURRENT_USER.
inline constexpr std::wstring_view kTypedUrlsKey = L"\\Software\\Microsoft\\Internet Explorer\\TypedURLs";

}  // namespace wv
