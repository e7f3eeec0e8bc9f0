// System names, sizes, drives and the administrator test.
#include "core/utilities.h"

#include <charconv>
#include <cstdio>
#include <utility>

#include "platform/platform.h"

namespace wv {
namespace {

std::wstring DriveRoot(wchar_t driveLetter) { return std::wstring(1, driveLetter) + L":\\"; }

}  // namespace

// ---------------------------------------------------------------- system names

std::wstring GetUIFontName() {
  const OsVersion v = Sys().version();
  // Every NT system since Vista carries the font; Windows 10 and 11 report major 10.
  return (v.platformId == 2 && v.major >= 6) ? L"微软雅黑" : L"宋体";
}

std::wstring GetOSName() {
  const OsVersion v = Sys().version();
  switch (v.platformId) {
    case 0:
      return L"Windows 3.11";
    case 1:
      if (v.minor == 0) return L"Windows 95";
      if (v.minor == 10) {
        const bool secondEdition = v.servicePack.size() >= 2 && v.servicePack[1] == L'A';
        return secondEdition ? L"Windows 98 第二版" : L"Windows 98 第一版";
      }
      if (v.minor == 90) return L"Windows ME";
      return L"Unknown Version";
    case 2:
      if (v.major == 3 || v.major == 4) return L"Windows NT ";
      if (v.major == 5) {
        if (v.minor == 0) return L"Windows 2000";
        if (v.minor == 1) return L"Windows XP";
        if (v.minor == 2) return L"Windows 2003";
      }
      if (v.major == 6) {
        if (v.minor == 0) return L"Windows Vista";
        if (v.minor == 1) return L"Windows 7";
      }
      return L"Unknown Version";
    default:
      return L"Unknown Platform";
  }
}

bool IsAdmin() {
  const std::optional<std::vector<SidBytes>> groups = Sys().tokenGroups();
  if (!groups) return false;
  const SidBytes admins = Sys().administratorsGroup();
  if (admins.empty()) return false;
  for (const SidBytes& sid : *groups)
    if (sid == admins) return true;
  return false;
}

std::wstring ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// ---------------------------------------------------------------- sizes and drives

std::wstring FormatSize(std::uint64_t bytes) {
  static const wchar_t* const kUnits[] = {L" B", L" KB", L" MB", L" GB", L" TB"};
  double value = static_cast<double>(bytes);
  int unit = 0;
  if (value >= 1024) {
    value /= 1024;
    unit = 1;
    while (value >= 1024 && unit < 4) {
      value /= 1024;
      ++unit;
    }
    if (value >= 1024) return {};
  }
  // to_chars rounds the exact binary value to nearest and never looks at the locale.
  char digits[64];
  const auto result = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 2);
  std::wstring out(digits, result.ptr);
  out += kUnits[unit];
  return out;
}

bool GetVolumeInfo(wchar_t driveLetter, VolumeDetails& out) {
  const std::optional<VolumeInformation> info = Vol().volumeInformation(DriveRoot(driveLetter));
  if (!info) return false;
  wchar_t serial[16];
  std::swprintf(serial, 16, L"%08X", static_cast<unsigned>(info->serial));
  out.label = info->label;
  out.serial = serial;
  out.fileSystem = info->fileSystem;
  return true;
}

void GetDiskSpace(wchar_t driveLetter, std::uint64_t& total, std::uint64_t& totalFree) {
  if (!Vol().diskSpace(DriveRoot(driveLetter), total, totalFree)) {
    total = 0;
    totalFree = 0;
  }
}

}  // namespace wv
