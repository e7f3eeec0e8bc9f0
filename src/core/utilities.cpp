// Message box, status line, system names, sizes, drives and the administrator test.
#include "core/utilities.h"

#include <charconv>
#include <cstdio>
#include <utility>

#include "core/utilities_internal.h"
#include "platform/platform.h"

namespace wv {
namespace {

HWND g_owner = nullptr;
MsgBoxHandler g_msgBoxHandler;
RunInfoSink g_runInfoSink;

UINT IconStyle(int iconKind) {
  switch (iconKind) {
    case 1: return MB_ICONQUESTION;
    case 2: return MB_ICONWARNING;
    case 3: return MB_ICONERROR;
    default: return MB_ICONINFORMATION;
  }
}

UINT ButtonStyle(int buttonSet) {
  switch (buttonSet) {
    case 2: return MB_OKCANCEL;
    case 3: return MB_YESNOCANCEL;
    case 4: return MB_ABORTRETRYIGNORE;
    case 5: return MB_RETRYCANCEL;
    case 6: return MB_YESNO;
    default: return MB_OK;
  }
}

int ShowBox(std::wstring_view text, UINT style) {
  // Without an owner the box still has to block the whole program, not just float.
  if (!g_owner) style |= MB_TASKMODAL;
  return Sh().messageBox(g_owner, text, L"WindowsVantorra", style);
}

std::wstring DriveRoot(wchar_t driveLetter) { return std::wstring(1, driveLetter) + L":\\"; }

}  // namespace

HWND detail::AppOwner() { return g_owner; }

// ---------------------------------------------------------------- messages and status

int MsgBox(int iconKind, int buttonSet, std::wstring_view heading, std::wstring_view text) {
  if (g_msgBoxHandler) return g_msgBoxHandler(iconKind, buttonSet, heading, text);
  std::wstring body(heading);
  body += L" -- ";
  body += text;
  return ShowBox(body, IconStyle(iconKind) | ButtonStyle(buttonSet));
}

int MsgBox(MsgIcon icon, MsgButtons buttons, std::wstring_view heading, std::wstring_view text) {
  return MsgBox(static_cast<int>(icon), static_cast<int>(buttons), heading, text);
}

void ShowErrorText(std::wstring_view text) {
  constexpr int kError = static_cast<int>(MsgIcon::Error), kOk = static_cast<int>(MsgButtons::Ok);
  if (g_msgBoxHandler) {
    g_msgBoxHandler(kError, kOk, L"", text);
    return;
  }
  ShowBox(text, IconStyle(kError) | ButtonStyle(kOk));
}

MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler) { return std::exchange(g_msgBoxHandler, std::move(handler)); }

void SetMsgBoxOwner(HWND owner) { g_owner = owner; }

void SetRunInfo(std::wstring_view text) {
  if (g_runInfoSink) g_runInfoSink(text);
}

RunInfoSink SetRunInfoSink(RunInfoSink sink) { return std::exchange(g_runInfoSink, std::move(sink)); }

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
