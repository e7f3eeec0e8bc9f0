#include "tracesoft_support.h"

#include <gtest/gtest.h>

#include "cleaning/qtrcline.h"
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

void EmptyCacheContainer(std::wstring_view pattern) {
  std::vector<std::wstring> urls;
  UrlCacheEntry e;
  for (auto search = UrlCacheOps().find(pattern); search && search->next(e);) urls.push_back(e.url);
  for (const std::wstring& url : urls) (void)UrlCacheOps().deleteEntry(url);
}

TypedUrlsGuard::TypedUrlsGuard() {
  existed_ = Reg().keyExists(RegRoot::CurrentUser, kTypedUrlsKey);
  if (auto key = Reg().openKey(RegRoot::CurrentUser, kTypedUrlsKey))
    for (const std::wstring& name : key->valueNames()) saved_.emplace_back(name, key->readText(name).value_or(L""));
}

TypedUrlsGuard::~TypedUrlsGuard() {
  if (!existed_) {
    (void)Reg().deleteKey(RegRoot::CurrentUser, kTypedUrlsKey);
    return;
  }
  auto key = Reg().createKey(RegRoot::CurrentUser, kTypedUrlsKey);
  if (!key) return;
  for (const std::wstring& name : key->valueNames()) (void)key->deleteValue(name);
  for (const auto& [name, text] : saved_) (void)key->writeText(name, text);
}

void TypedUrlsGuard::plant(int count) {
  auto key = Reg().createKey(RegRoot::CurrentUser, kTypedUrlsKey);
  ASSERT_TRUE(key);
  for (const std::wstring& name : key->valueNames()) ASSERT_TRUE(key->deleteValue(name));
  for (int i = 1; i <= count; ++i)
    ASSERT_TRUE(key->writeText(L"url" + std::to_wstring(i), L"http://typed" + std::to_wstring(i) + L".invalid/"));
}

std::wstring TestUrl(std::wstring_view prefix, std::wstring_view tail) {
  static int counter = 0;
  std::wstring url(prefix);
  if (prefix.starts_with(L"Visited:") || prefix.starts_with(L"Cookie:")) url += L"tester@";
  url += L"http://wv-trace-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) +
         L".invalid/";
  url += tail;
  return url;
}

PlantedRegistrations::PlantedRegistrations()
    : prefix_(L"WVTest-" + std::to_wstring(GetCurrentProcessId()) + L"-"),
      wowExisted_(Reg().keyExists(RegRoot::LocalMachine, kUninstallKeyWow32)) {}

PlantedRegistrations::~PlantedRegistrations() {
  for (const auto& [view, name] : planted_) (void)Reg().deleteKey(RegRoot::LocalMachine, RegistrationPath(view, name));
  if (!wowExisted_) (void)Reg().deleteKey(RegRoot::LocalMachine, kUninstallKeyWow32);
}

std::wstring PlantedRegistrations::plant(std::wstring_view tag, const RegistrationValues& values,
                                         UninstallView view) {
  const std::wstring name = prefix_ + std::wstring(tag);
  auto key = Reg().createKey(RegRoot::LocalMachine, RegistrationPath(view, name));
  EXPECT_TRUE(key) << name;
  if (!key) return name;
  for (const auto& [value, text] : values) EXPECT_TRUE(key->writeText(value, text));
  planted_.emplace_back(view, name);
  return name;
}

void ExpectAskedOnce(const ScriptedMsgBox& box, std::wstring_view heading, std::wstring_view text) {
  ASSERT_EQ(box.shown().size(), 1u);
  EXPECT_EQ(box.shown()[0].heading, heading);
  EXPECT_EQ(box.shown()[0].text, text);
}

std::wstring SelfPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

std::wstring RecorderCommand(std::wstring_view recordFile, std::wstring_view tag) {
  return L"\"" + SelfPath() + L"\" --record \"" + std::wstring(recordFile) + L"\" " + std::wstring(tag);
}

std::wstring WaitForRecord(const std::wstring& recordFile) {
  for (int i = 0; i < 400; ++i) {
    const std::string bytes = ReadBytes(recordFile);
    if (!bytes.empty()) return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    Sleep(50);
  }
  return {};
}

}  // namespace wv::test
