// File times to local date-times and classic date-format texts.
#include "core/utilities.h"

namespace wv {
namespace {

struct DateParts {
  int year, month, day, hour, minute, second;
};

void AppendNumber(std::wstring& out, int value, std::size_t width) {
  std::wstring digits = std::to_wstring(value);
  if (digits.size() < width) out.append(width - digits.size(), L'0');
  out += digits;
}

std::size_t RunLength(std::wstring_view format, std::size_t pos) {
  const wchar_t c = FoldCase(format[pos]);
  std::size_t n = 1;
  while (pos + n < format.size() && FoldCase(format[pos + n]) == c) ++n;
  return n;
}

// y, m, d, h, n, s as the classic date formats have them: a doubled letter pads to
// two digits ("yy" two-digit year, "yyyy" four), "m" right after an hour is minutes,
// and text in single or double quotes is copied as it stands.
std::wstring Render(const DateParts& d, std::wstring_view format) {
  std::wstring out;
  bool afterHour = false;
  std::size_t i = 0;
  while (i < format.size()) {
    const wchar_t ch = format[i];
    if (ch == L'\'' || ch == L'"') {
      const std::size_t close = format.find(ch, i + 1);
      const std::size_t end = close == std::wstring_view::npos ? format.size() : close;
      out.append(format.substr(i + 1, end - i - 1));
      i = end == format.size() ? end : end + 1;
      continue;
    }
    const std::size_t run = RunLength(format, i);
    const int width = run >= 2 ? 2 : 1;
    const wchar_t letter = FoldCase(ch);
    switch (letter) {
      case L'Y':
        if (run <= 2) AppendNumber(out, d.year % 100, 2);
        else AppendNumber(out, d.year, 4);
        break;
      case L'M': AppendNumber(out, afterHour ? d.minute : d.month, width); break;
      case L'D': AppendNumber(out, d.day, width); break;
      case L'H': AppendNumber(out, d.hour, width); break;
      case L'N': AppendNumber(out, d.minute, width); break;
      case L'S': AppendNumber(out, d.second, width); break;
      default:
        // Separators between an hour and its minutes keep the "m" a minute.
        out.append(format.substr(i, run));
        i += run;
        continue;
    }
    afterHour = letter == L'H';
    i += run;
  }
  return out;
}

}  // namespace

bool FileTimeToDateTime(const FILETIME& utc, SYSTEMTIME& local) {
  FILETIME localTime{};
  if (!FileTimeToLocalFileTime(&utc, &localTime)) return false;
  return FileTimeToSystemTime(&localTime, &local) != FALSE;
}

bool DateTimeToFileTime(const SYSTEMTIME& local, FILETIME& utc) {
  FILETIME localTime{};
  if (!SystemTimeToFileTime(&local, &localTime)) return false;
  return LocalFileTimeToFileTime(&localTime, &utc) != FALSE;
}

std::wstring FormatFileTime(const FILETIME& utc, std::wstring_view format) {
  SYSTEMTIME local{};
  if (!FileTimeToDateTime(utc, local)) return {};
  // The classic file date holds 1980 to 2107 in steps of two seconds.
  if (local.wYear < 1980 || local.wYear > 2107) return {};
  const DateParts d{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond / 2 * 2};
  return Render(d, format);
}

}  // namespace wv
