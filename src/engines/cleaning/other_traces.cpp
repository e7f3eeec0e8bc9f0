#include "engines/cleaning/other_traces.h"

#include <windows.h>
#include <wininet.h>  // the cache entry types only: the DLL itself is the platform's

#include <memory>

#include "core/utilities.h"
#include "platform/text.h"
#include "platform/platform.h"

namespace wv {

std::wstring_view TraceSource(TraceItem item) {
  switch (item) {
    case TraceItem::TemporaryFiles: return L"";
    case TraceItem::History: return L"Visited:";
    case TraceItem::TypedAddresses: return L"";
    case TraceItem::Cookies: return L"Cookie:";
    case TraceItem::ApplicationLog: return L"Application";
    case TraceItem::SecurityLog: return L"Security";
    case TraceItem::SystemLog: return L"System";
  }
  return L"";
}

namespace {

// Wine's cache walks every container for an empty pattern, where Windows keeps to
// the content: the history and the cookies are left to their own items there.
bool InOtherContainer(const UrlCacheEntry& entry) {
  return (entry.entryType & (COOKIE_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY)) != 0 ||
         StartsWithNoCase(entry.url, L"Visited:") || StartsWithNoCase(entry.url, L"Cookie:");
}

}  // namespace

TraceResult UrlCacheTrace(std::wstring_view pattern, TraceRun mode, RunContext& run) {
  TraceResult result;
  std::unique_ptr<UrlCacheSearch> search = UrlCacheOps().find(pattern, UrlCache::kAllEntries);
  UrlCacheEntry entry;
  for (bool first = true; search; first = false) {
    // The first entry is taken at once; a stop is heard before each further one.
    if (!first && !run.proceed()) return {TraceStatus::Interrupted, 0, 0};
    if (!search->next(entry)) break;
    if (pattern.empty() && InOtherContainer(entry)) continue;
    if (mode == TraceRun::Scan) {
      ++result.count;
      if (!entry.localFile.empty()) result.bytes += GetFileSizeOf(entry.localFile);
    } else {
      // An entry in use may refuse; the cache drops it once it is free.
      (void)UrlCacheOps().deleteEntry(entry.url);
    }
  }
  if (mode == TraceRun::Clean) result.status = TraceStatus::Cleaned;
  else result.status = result.count == 0 ? TraceStatus::Nothing : TraceStatus::Found;
  return result;
}

TraceResult TypedAddressTrace(TraceRun mode) {
  RegistryHandle reg;
  reg.setRoot(RegRoot::CurrentUser);
  if (mode == TraceRun::Scan) {
    // Counting needs no write access: a key we could not clean is still reported.
    const std::size_t count = reg.openKeyReadOnly(kTypedUrlsKey) ? reg.valueNames().size() : 0;
    return count == 0 ? TraceResult{TraceStatus::Nothing, 0, 0} : TraceResult{TraceStatus::Found, count, 0};
  }
  if (const SysResult opened = reg.openKey(kTypedUrlsKey); !opened) {
    // Missing is clean; present but closed to us is not.
    const bool missing = opened.notFound() && !reg.keyExists(kTypedUrlsKey);
    return {missing ? TraceStatus::Cleaned : TraceStatus::CleanFailed, 0, 0};
  }
  for (const std::wstring& name : reg.valueNames()) (void)reg.deleteValue(name);
  // Judged by looking again: values that stayed are not reported as cleaned.
  const std::size_t left = reg.valueNames().size();
  return {left == 0 ? TraceStatus::Cleaned : TraceStatus::CleanFailed, left, 0};
}

TraceResult EventLogTrace(std::wstring_view logName, TraceRun mode) {
  const TraceStatus failed = mode == TraceRun::Scan ? TraceStatus::ScanFailed : TraceStatus::CleanFailed;
  // A log we cannot open may well hold records: never call it clean.
  std::unique_ptr<EventLog> log = EventLogOps().open(logName);
  if (!log) return {failed, 0, 0};
  const std::optional<std::uint32_t> records = log->recordCount();
  if (!records) return {failed, 0, 0};
  if (mode == TraceRun::Scan)
    return *records == 0 ? TraceResult{TraceStatus::Nothing, 0, 0} : TraceResult{TraceStatus::Found, *records, 0};
  if (*records > 0 && !log->clear()) return {failed, *records, 0};
  return {TraceStatus::Cleaned, 0, 0};
}

TraceResults RunTraces(TraceRun mode, const std::array<bool, kTraceItemCount>& ticked, RunContext& run,
                       const TraceSink& sink) {
  TraceResults results;
  bool stopped = false;
  for (std::size_t position = 0; position < kTraceItemCount && !stopped; ++position) {
    if (mode == TraceRun::Clean && !ticked[position]) continue;
    const auto item = static_cast<TraceItem>(position);
    const auto tell = [&](const TraceResult& r) {
      results[position] = r;
      if (sink) sink(item, r);
    };
    TraceResult r;
    switch (item) {
      case TraceItem::TemporaryFiles:
      case TraceItem::History:
      case TraceItem::Cookies:
        tell({TraceStatus::Working, 0, 0});
        if (mode == TraceRun::Clean && item == TraceItem::History) (void)UrlCacheOps().clearHistory();
        r = UrlCacheTrace(TraceSource(item), mode, run);
        stopped = r.status == TraceStatus::Interrupted;
        break;
      case TraceItem::TypedAddresses:
        r = TypedAddressTrace(mode);
        break;
      case TraceItem::ApplicationLog:
      case TraceItem::SecurityLog:
      case TraceItem::SystemLog:
        r = EventLogTrace(TraceSource(item), mode);
        break;
    }
    tell(r);
  }
  return results;
}

}  // namespace wv
