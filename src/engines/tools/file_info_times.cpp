// Time and attribute values of the file-information editor: their texts, their
// reading and setting on disk, the time edits' validation and the generator of
// random times.
#include <memory>

#include "core/utilities.h"
#include "platform/platform.h"
#include "engines/tools/file_info_internal.h"

namespace wv {
namespace {

wchar_t LocaleChar(LCTYPE type, wchar_t fallback) {
  wchar_t buffer[8]{};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 8) > 1 && buffer[0] != L' ') return buffer[0];
  return fallback;
}

void AppendTwo(std::wstring& out, int value) {
  out += static_cast<wchar_t>(L'0' + value / 10 % 10);
  out += static_cast<wchar_t>(L'0' + value % 10);
}

// Three fields of two digits each, the separator between them.
void AppendThree(std::wstring& out, int first, int second, int third, wchar_t separator) {
  AppendTwo(out, first);
  out += separator;
  AppendTwo(out, second);
  out += separator;
  AppendTwo(out, third);
}

bool IsDigit(wchar_t ch) { return ch >= L'0' && ch <= L'9'; }

// The number written by count digits from pos, or -1.
int Digits(std::wstring_view text, std::size_t pos, std::size_t count) {
  if (pos + count > text.size()) return -1;
  int value = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (!IsDigit(text[i])) return -1;
    value = value * 10 + (text[i] - L'0');
  }
  return value;
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

bool ValidDate(const LocalTime& t) {
  return t.year >= 1 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= DaysInMonth(t.year, t.month);
}

bool ValidClock(const LocalTime& t) {
  return t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second < 60;
}

// The text without blanks and without the separator.
std::wstring Compact(std::wstring_view text, wchar_t separator) {
  std::wstring out;
  for (const wchar_t ch : text)
    if (ch != L' ' && ch != separator) out += ch;
  return out;
}

LocalTime FromSystemTime(const SYSTEMTIME& st) {
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

SYSTEMTIME ToSystemTime(const LocalTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  return st;
}

}  // namespace

wchar_t DateSeparator() {
  static const wchar_t separator = LocaleChar(LOCALE_SDATE, L'-');
  return separator;
}

wchar_t TimeSeparator() {
  static const wchar_t separator = LocaleChar(LOCALE_STIME, L':');
  return separator;
}

std::wstring DateText(const LocalTime& t) {
  std::wstring out;
  AppendTwo(out, t.year / 100);
  AppendThree(out, t.year, t.month, t.day, DateSeparator());
  return out;
}

std::wstring TimeText(const LocalTime& t) {
  std::wstring out;
  AppendThree(out, t.hour, t.minute, t.second, TimeSeparator());
  return out;
}

std::wstring FileTimeText(const LocalTime& time) { return DateText(time) + L' ' + TimeText(time); }

std::optional<LocalTime> ParseDateText(std::wstring_view text) {
  const std::wstring digits = Compact(text, DateSeparator());
  if (digits.size() != 8) return std::nullopt;
  const LocalTime t{Digits(digits, 0, 4), Digits(digits, 4, 2), Digits(digits, 6, 2), 0, 0, 0};
  if (!ValidDate(t)) return std::nullopt;
  return t;
}

std::optional<LocalTime> ParseTimeText(std::wstring_view text) {
  const std::wstring digits = Compact(text, TimeSeparator());
  if (digits.size() != 6) return std::nullopt;
  const LocalTime t{0, 0, 0, Digits(digits, 0, 2), Digits(digits, 2, 2), Digits(digits, 4, 2)};
  if (!ValidClock(t)) return std::nullopt;
  return t;
}

bool IsValidDateText(std::wstring_view text) {
  const std::optional<LocalTime> date = ParseDateText(text);
  return date && date->year >= 1980 && date->year <= 2100;
}

bool IsValidTimeText(std::wstring_view text) { return ParseTimeText(text).has_value(); }

int FirstInvalidTimeEdit(const FileInfoSettings& s) {
  if (!IsValidDateText(s.beginDate)) return static_cast<int>(TimeEdit::BeginDate);
  if (s.randomTime && !IsValidDateText(s.endDate)) return static_cast<int>(TimeEdit::EndDate);
  if (!IsValidTimeText(s.beginTime)) return static_cast<int>(TimeEdit::BeginTime);
  if (s.randomTime && !IsValidTimeText(s.endTime)) return static_cast<int>(TimeEdit::EndTime);
  return -1;
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t DayNumber(const LocalTime& t) {
  const std::int64_t y = t.year - (t.month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t mp = (t.month + 9) % 12;
  const std::int64_t doy = (153 * mp + 2) / 5 + t.day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

LocalTime DateOfDayNumber(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  LocalTime t;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2 ? 1 : 0));
  return t;
}

std::wstring AttrText(DWORD attributes) {
  std::wstring out = L"ARHS";
  if (!(attributes & FILE_ATTRIBUTE_ARCHIVE)) out[0] = L'-';
  if (!(attributes & FILE_ATTRIBUTE_READONLY)) out[1] = L'-';
  if (!(attributes & FILE_ATTRIBUTE_HIDDEN)) out[2] = L'-';
  if (!(attributes & FILE_ATTRIBUTE_SYSTEM)) out[3] = L'-';
  return out;
}

std::optional<LocalTime> LocalTimeOf(const FILETIME& utc) {
  SYSTEMTIME local{};
  if (!FileTimeToDateTime(utc, local)) return std::nullopt;
  return FromSystemTime(local);
}

std::optional<FindEntry> ReadFileEntry(std::wstring_view path) {
  // A pattern would find whichever file it met first.
  if (path.empty() || path.find_first_of(L"*?") != std::wstring_view::npos) return std::nullopt;
  std::unique_ptr<DirSearch> search = Fs().search(path);
  FindEntry entry;
  if (!search || !search->next(entry) || entry.isFolder()) return std::nullopt;
  return entry;
}

bool WriteFileTime(std::wstring_view path, int which, const LocalTime& time) {
  FILETIME utc{};
  if (!DateTimeToFileTime(ToSystemTime(time), utc)) return false;
  // Opened for its attributes only, which a read-only file allows: its marks stay as they are.
  return which == 0 ? Fs().setFileTimes(path, nullptr, nullptr, &utc) : Fs().setFileTimes(path, &utc, nullptr, nullptr);
}

bool WriteFileAttr(std::wstring_view path, DWORD attributes) {
  attributes &= kFileInfoAttributes;
  return Fs().setAttributes(path, attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
}

std::uint32_t FileInfoRandom::next(std::uint32_t n) {
  state_ = state_ * 134775813u + 1u;
  return static_cast<std::uint32_t>((static_cast<std::uint64_t>(n) * state_) >> 32);
}

FileInfoRandom& TimeRandom() {
  static FileInfoRandom generator;
  return generator;
}

}  // namespace wv
