#pragma once
// What the parts of the file-information engine share among themselves.

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/platform.h"
#include "engines/tools/file_info.h"

namespace wv {

// The date or time edit's text without blanks and separators; nullopt unless it is
// a valid date (time fields 0) or a valid time (date fields 0).
std::optional<LocalTime> ParseDateText(std::wstring_view text);
std::optional<LocalTime> ParseTimeText(std::wstring_view text);
// Days since 1970-01-01 and back (proleptic Gregorian calendar).
std::int64_t DayNumber(const LocalTime& date);
LocalTime DateOfDayNumber(std::int64_t days);
std::optional<LocalTime> LocalTimeOf(const FILETIME& utc);
// The directory entry of exactly this file; nullopt for a folder or nothing.
std::optional<FindEntry> ReadFileEntry(std::wstring_view path);

}  // namespace wv
