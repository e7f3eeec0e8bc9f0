#include <algorithm>

#include <urlhist.h>
#include <wininet.h>

#include "platform/libraries.h"
#include "platform/win32/win32_platform.h"

namespace wv {
namespace {

// ---------------------------------------------------------------- URL cache

// wininet.dll is not one of Windows' known DLLs: imported, it would be taken from
// the program's folder first. It is loaded from the system folder when the cache
// is first used, and stays for the rest of the run.
struct WinInet {
  SystemLibrary library{L"wininet.dll"};
  decltype(&FindFirstUrlCacheEntryW) findFirst = nullptr;
  decltype(&FindNextUrlCacheEntryW) findNext = nullptr;
  decltype(&FindCloseUrlCache) findClose = nullptr;
  decltype(&DeleteUrlCacheEntryW) deleteEntry = nullptr;
  const bool usable = library.find(findFirst, "FindFirstUrlCacheEntryW") &&
                      library.find(findNext, "FindNextUrlCacheEntryW") && library.find(findClose, "FindCloseUrlCache") &&
                      library.find(deleteEntry, "DeleteUrlCacheEntryW");
};

const WinInet& Inet() {
  static const WinInet inet;
  return inet;
}

// The plain search: the Ex form with its filter does not work everywhere, and
// the pattern alone already picks the container ("Visited:", "Cookie:", content).
class Win32UrlCacheSearch : public UrlCacheSearch {
 public:
  Win32UrlCacheSearch(std::wstring_view pattern, std::uint32_t filter) : pattern_(pattern), filter_(filter) {}

  bool next(UrlCacheEntry& entry) override {
    while (!done_) {
      if (!fetch()) {
        done_ = true;
        break;
      }
      const auto* info = reinterpret_cast<const INTERNET_CACHE_ENTRY_INFOW*>(buffer_.data());
      if ((info->CacheEntryType & filter_) == 0) continue;
      entry.url = info->lpszSourceUrlName ? info->lpszSourceUrlName : L"";
      entry.localFile = info->lpszLocalFileName ? info->lpszLocalFileName : L"";
      entry.entryType = info->CacheEntryType;
      entry.size = (static_cast<std::uint64_t>(info->dwSizeHigh) << 32) | info->dwSizeLow;
      return true;
    }
    return false;
  }

 private:
  // The first or next entry into the buffer, which grows to what the cache asks.
  bool fetch() {
    for (;;) {
      auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer_.data());
      DWORD size = static_cast<DWORD>(buffer_.size() * sizeof(buffer_[0]));
      bool ok;
      if (!find_) {
        find_.reset(Inet().findFirst(pattern_.empty() ? nullptr : pattern_.c_str(), info, &size));
        ok = find_.valid();
      } else {
        ok = Inet().findNext(find_.get(), info, &size) != FALSE;
      }
      if (ok) return true;
      if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= buffer_.size() * sizeof(buffer_[0])) return false;
      buffer_.resize(size / sizeof(buffer_[0]) + 1);
    }
  }

  std::wstring pattern_;
  std::uint32_t filter_;
  UniqueUrlCacheFind find_;
  std::vector<std::uint64_t> buffer_ = std::vector<std::uint64_t>(512);  // aligned for the entry header
  bool done_ = false;
};

// ---------------------------------------------------------------- event logs

class Win32EventLog : public EventLog {
 public:
  explicit Win32EventLog(UniqueEventLog log) : log_(std::move(log)) {}
  std::optional<std::uint32_t> recordCount() override {
    DWORD count = 0;
    if (!GetNumberOfEventLogRecords(log_.get(), &count)) return std::nullopt;
    return count;
  }
  bool clear() override { return ClearEventLogW(log_.get(), nullptr) != FALSE; }

 private:
  UniqueEventLog log_;
};

SidBytes CopySid(PSID sid) {
  if (!sid || !IsValidSid(sid)) return {};
  const auto* bytes = static_cast<const std::uint8_t*>(sid);
  return SidBytes(bytes, bytes + GetLengthSid(sid));
}

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);

}  // namespace

void CloseUrlCacheFind(HANDLE find) noexcept {
  if (Inet().usable) Inet().findClose(find);
}

std::unique_ptr<UrlCacheSearch> Win32UrlCache::find(std::wstring_view pattern, std::uint32_t filter) {
  if (!Inet().usable) return nullptr;  // a system without the URL cache's DLL has no cache to search
  return std::make_unique<Win32UrlCacheSearch>(pattern, filter);
}

bool Win32UrlCache::deleteEntry(std::wstring_view url) {
  return Inet().usable && Inet().deleteEntry(std::wstring(url).c_str()) != FALSE;
}

bool Win32UrlCache::clearHistory() {
  // The system's URL-history object and its storage interface, named by their identifiers.
  static constexpr CLSID kUrlHistory = {0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
  static constexpr IID kUrlHistoryStg2 = {0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  IUrlHistoryStg2* history = nullptr;
  const bool found = SUCCEEDED(CoCreateInstance(kUrlHistory, nullptr, CLSCTX_INPROC_SERVER, kUrlHistoryStg2,
                                                reinterpret_cast<void**>(&history))) &&
                     history;
  if (found) {
    history->ClearHistory();  // what it left is deleted entry by entry afterwards
    history->Release();
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return found;
}

std::unique_ptr<EventLog> Win32EventLogs::open(std::wstring_view name) {
  UniqueEventLog log(OpenEventLogW(nullptr, std::wstring(name).c_str()));
  if (!log) return nullptr;
  return std::make_unique<Win32EventLog>(std::move(log));
}

// ---------------------------------------------------------------- security and version

std::optional<std::vector<SidBytes>> Win32SystemInfo::tokenGroups() {
  UniqueHandle token;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token.put())) {
    if (GetLastError() != ERROR_NO_TOKEN || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
      return std::nullopt;
  }
  // The whole list, however many groups the user has: a fixed buffer would turn
  // an administrator with many groups away.
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenGroups, nullptr, 0, &size);
  std::vector<std::uint64_t> buffer;
  for (;;) {
    if (size == 0) return std::nullopt;
    buffer.assign(size / sizeof(std::uint64_t) + 1, 0);
    const DWORD capacity = static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t));
    if (GetTokenInformation(token.get(), TokenGroups, buffer.data(), capacity, &size)) break;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= capacity) return std::nullopt;
  }
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  std::vector<SidBytes> sids;
  sids.reserve(groups->GroupCount);
  for (DWORD i = 0; i < groups->GroupCount; ++i) sids.push_back(CopySid(groups->Groups[i].Sid));
  return sids;
}

SidBytes Win32SystemInfo::administratorsGroup() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID sid = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &sid))
    return {};
  SidBytes bytes = CopySid(sid);
  FreeSid(sid);
  return bytes;
}

OsVersion Win32SystemInfo::version() {
  // The true version: GetVersionEx answers what the manifest claims to support.
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  bool known = false;
  if (const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    known = rtlGetVersion && rtlGetVersion(&info) == 0;
  }
  if (!known) {
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
    known = GetVersionExW(&info) != FALSE;
  }
  OsVersion v;
  if (!known) return v;
  v.platformId = info.dwPlatformId;
  v.major = info.dwMajorVersion;
  v.minor = info.dwMinorVersion;
  v.build = info.dwBuildNumber;
  v.servicePack = info.szCSDVersion;
  return v;
}

// ---------------------------------------------------------------- volumes

std::uint32_t Win32Volumes::logicalDrives() { return GetLogicalDrives(); }

unsigned Win32Volumes::driveType(std::wstring_view root) { return GetDriveTypeW(std::wstring(root).c_str()); }

std::optional<VolumeInformation> Win32Volumes::volumeInformation(std::wstring_view root) {
  std::wstring label(MAX_PATH + 1, L'\0');  // the largest the call fills
  std::wstring fileSystem(MAX_PATH + 1, L'\0');
  DWORD serial = 0;
  if (!GetVolumeInformationW(std::wstring(root).c_str(), label.data(), static_cast<DWORD>(label.size()), &serial,
                             nullptr, nullptr, fileSystem.data(), static_cast<DWORD>(fileSystem.size())))
    return std::nullopt;
  VolumeInformation v;
  v.label = label.c_str();
  v.serial = serial;
  v.fileSystem = fileSystem.c_str();
  return v;
}

std::optional<std::wstring> Win32Volumes::fileSystemName(std::wstring_view root) {
  std::wstring name(MAX_PATH + 1, L'\0');
  if (!GetVolumeInformationW(std::wstring(root).c_str(), nullptr, 0, nullptr, nullptr, nullptr, name.data(),
                             static_cast<DWORD>(name.size())))
    return std::nullopt;
  return std::wstring(name.c_str());
}

bool Win32Volumes::diskSpace(std::wstring_view root, std::uint64_t& total, std::uint64_t& free) {
  ULARGE_INTEGER available{}, totalBytes{}, freeBytes{};
  if (!GetDiskFreeSpaceExW(std::wstring(root).c_str(), &available, &totalBytes, &freeBytes)) return false;
  total = totalBytes.QuadPart;
  free = freeBytes.QuadPart;
  return true;
}

std::unique_ptr<File> Win32Volumes::openVolume(wchar_t letter) {
  if (!((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z'))) return nullptr;
  const std::wstring device = std::wstring(L"\\\\.\\") + letter + L':';
  // Shared for reading and writing: the volume stays in use by everyone else.
  UniqueFile file(CreateFileW(device.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return nullptr;
  return std::make_unique<Win32File>(std::move(file));
}

}  // namespace wv
