#include "tracesoft_support.h"

#include <gtest/gtest.h>

#include "support/testsupport.h"

namespace wv::test {
namespace {

class FakeEventLog : public EventLog {
 public:
  FakeEventLog(FakeEventLogs& owner, std::wstring name) : owner_(owner), name_(std::move(name)) {}
  std::optional<std::uint32_t> recordCount() override { return owner_.logs[name_].records; }
  bool clear() override {
    FakeEventLogs::Log& log = owner_.logs[name_];
    if (!log.clearable) return false;
    owner_.cleared.push_back(name_);
    log.records = 0;
    return true;
  }

 private:
  FakeEventLogs& owner_;
  std::wstring name_;
};

}  // namespace

std::unique_ptr<EventLog> FakeEventLogs::open(std::wstring_view name) {
  opened.emplace_back(name);
  if (!logs.contains(std::wstring(name))) return nullptr;
  return std::make_unique<FakeEventLog>(*this, std::wstring(name));
}

void PlantCacheEntry(const std::wstring& url, DWORD type, const std::optional<std::string>& content) {
  wchar_t local[MAX_PATH] = {};
  if (content) {
    ASSERT_TRUE(CreateUrlCacheEntryW(url.c_str(), static_cast<DWORD>(content->size()), L"txt", local, 0));
    WriteBytes(local, *content);
  }
  const FILETIME never{};
  ASSERT_TRUE(CommitUrlCacheEntryW(url.c_str(), content ? local : nullptr, never, never, type, nullptr, 0, nullptr,
                                   nullptr))
      << GetLastError();
}

namespace {

std::optional<std::wstring> LocalFileOf(const std::wstring& url) {
  DWORD size = 0;
  GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size);
  if (size == 0) return std::nullopt;
  std::vector<std::uint64_t> buffer(size / sizeof(std::uint64_t) + 1);
  auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
  if (!GetUrlCacheEntryInfoW(url.c_str(), info, &size)) return std::nullopt;
  return std::wstring(info->lpszLocalFileName ? info->lpszLocalFileName : L"");
}

}  // namespace

std::wstring CacheLocalFile(const std::wstring& url) { return LocalFileOf(url).value_or(L""); }

bool CacheHas(const std::wstring& url) { return LocalFileOf(url).has_value(); }

std::wstring TestUrl(std::wstring_view prefix, std::wstring_view tail) {
  static int counter = 0;
  std::wstring url(prefix);
  if (prefix.starts_with(L"Visited:") || prefix.starts_with(L"Cookie:")) url += L"tester@";
  url += L"http://wv-trace-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) +
         L".invalid/";
  url += tail;
  return url;
}

}  // namespace wv::test
