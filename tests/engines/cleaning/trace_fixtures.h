#pragma once
// The other traces' world for one test: the prefix's own URL cache (emptied
// before and after) and typed-address key (put back as it was), and a substitute
// for the event logs (Wine's are stubs).

#include <windows.h>
#include <wininet.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engines/cleaning/other_traces.h"
#include "platform/win32/win32_platform.h"
#include "support/test_support.h"

namespace wv::test {

using Texts = std::vector<std::wstring>;

// Event logs by name: records (nullopt: unreadable), whether a clear works; one not named cannot be opened.
struct FakeEventLogs : EventLogs {
  std::map<std::wstring, std::pair<std::optional<std::uint32_t>, bool>> logs;
  Texts cleared;
  std::unique_ptr<EventLog> open(std::wstring_view name) override {
    struct One : EventLog {
      One(FakeEventLogs& a, std::wstring_view n) : all(a), name(n) {}
      FakeEventLogs& all;
      std::wstring name;
      std::optional<std::uint32_t> recordCount() override { return all.logs[name].first; }
      bool clear() override { return all.logs[name].second && (all.cleared.push_back(name), true); }
    };
    return logs.contains(std::wstring(name)) ? std::make_unique<One>(*this, name) : nullptr;
  }
};

// The real cache, with the history's clear and each deletion recorded in order.
struct RecordingCache : Win32UrlCache {
  Texts calls;
  std::function<void()> onClearHistory;
  bool deleteEntry(std::wstring_view url) override {
    calls.emplace_back(url);
    return Win32UrlCache::deleteEntry(url);
  }
  bool clearHistory() override {
    calls.emplace_back(L"<clear history>");
    if (onClearHistory) onClearHistory();
    return Win32UrlCache::clearHistory();
  }
};

// Plants an entry of the type's container, unique to this run; with content, a
// local file holding it (deleted again when fileGone). Returns its URL.
inline std::wstring Plant(DWORD type, const char* content = nullptr, bool fileGone = false) {
  static int planted = 0;
  std::wstring url = type == COOKIE_CACHE_ENTRY ? L"Cookie:tester@" : type == URLHISTORY_CACHE_ENTRY ? L"Visited: tester@" : L"";
  url += L"http://wv" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++planted) + L".invalid/";
  wchar_t local[MAX_PATH] = {};
  if (content) {
    EXPECT_TRUE(CreateUrlCacheEntryW(url.c_str(), 0, L"txt", local, 0));
    WriteBytes(local, content);
  }
  const FILETIME never{};
  EXPECT_TRUE(CommitUrlCacheEntryW(url.c_str(), content ? local : nullptr, never, never, type, nullptr, 0, nullptr, nullptr));
  if (fileGone && !DeleteFileW(local)) ADD_FAILURE() << "its file stays";
  return url;
}

// The entry's local file ("" when it has none); nullopt when the cache no longer holds the URL.
inline std::optional<std::wstring> Entry(const std::wstring& url) {
  DWORD size = 0;
  GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size);
  std::vector<std::uint64_t> buffer(size / sizeof(std::uint64_t) + 1);
  auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
  if (size == 0 || !GetUrlCacheEntryInfoW(url.c_str(), info, &size)) return std::nullopt;
  return info->lpszLocalFileName ? info->lpszLocalFileName : L"";
}

inline void EmptyCache() {
  for (std::wstring_view pattern : {L"", L"Visited:", L"Cookie:"}) {
    Texts urls;
    UrlCacheEntry e;
    for (auto search = UrlCacheOps().find(pattern); search && search->next(e);) urls.push_back(e.url);
    for (const std::wstring& url : urls) (void)UrlCacheOps().deleteEntry(url);
  }
}

// Values that cannot be deleted (a policy, another program holding them).
struct StubbornKey : Win32RegKey {
  using Win32RegKey::Win32RegKey;
  SysResult deleteValue(std::wstring_view) override { return SysResult(ERROR_ACCESS_DENIED); }
};
struct StubbornRegistry : Win32Registry {
  std::unique_ptr<RegKey> openKey(RegRoot root, std::wstring_view path, SysResult* why) override {
    const auto key = Win32Registry::openKey(root, path, why);
    HKEY same = nullptr;
    if (!key || RegOpenKeyExW(static_cast<Win32RegKey&>(*key).handle(), L"", 0, KEY_ALL_ACCESS, &same)) return nullptr;
    return std::make_unique<StubbornKey>(UniqueHKey(same));
  }
};

// The cache emptied and the typed addresses kept aside while a test runs; the
// event logs and the cache substituted meanwhile.
class TraceWorld {
 public:
  TraceWorld() {
    EmptyCache();
    typedExisted_ = Reg().keyExists(RegRoot::CurrentUser, kTypedUrlsKey);
    if (auto key = Reg().openKey(RegRoot::CurrentUser, kTypedUrlsKey))
      for (const auto& name : key->valueNames()) typedBefore_.emplace_back(name, key->readText(name).value_or(L""));
  }
  ~TraceWorld() {
    EmptyCache();
    (void)Reg().deleteKey(RegRoot::CurrentUser, kTypedUrlsKey);  // the typed addresses as they were
    if (auto key = typedExisted_ ? Reg().createKey(RegRoot::CurrentUser, kTypedUrlsKey) : nullptr)
      for (const auto& [name, text] : typedBefore_) (void)key->writeText(name, text);
  }
  TraceWorld(const TraceWorld&) = delete;
  TraceWorld& operator=(const TraceWorld&) = delete;

  void plantTyped(int count) {
    auto key = Reg().createKey(RegRoot::CurrentUser, kTypedUrlsKey);
    for (int i = 1; i <= count; ++i) ASSERT_TRUE(key && key->writeText(L"url" + std::to_wstring(i), L"www.t.invalid"));
  }

  FakeEventLogs logs;
  RecordingCache cache;

 private:
  bool typedExisted_ = false;
  std::vector<std::pair<std::wstring, std::wstring>> typedBefore_;
  Substitute<EventLogs> logsInPlace_{&Platform::eventLogs, logs};
  Substitute<UrlCache> cacheInPlace_{&Platform::urlCache, cache};
};

}  // namespace wv::test
