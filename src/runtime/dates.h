#pragma once

#include "runtime/listing.h"
#include "runtime/text.h"

#include <cstdint>

/// Seconds from 1970-01-01 00:00:00 to a local wall-clock date and time, every day 86,400
/// seconds, no zone or daylight-saving shift in it: 0 to 253,402,300,799 (9999-12-31
/// 23:59:59). -1 means no valid date.
using date_value = std::int64_t;

/// The latest valid date value, 9999-12-31 23:59:59. Cameras whose clock jumped ahead
/// write far-future stamps; nothing here stops at 2038.
constexpr date_value latest_date = 253402300799;

/// The date value that stands for no valid date.
constexpr date_value no_date = -1;

/// The date value of six calendar fields (month and day from 1); -1 for a date that does
/// not exist or lies outside the range. Nothing is wrapped: 31 April is refused.
date_value make_date(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
                     std::int32_t minute, std::int32_t second);

/// The full year of a date value; -1 for -1 or a value that cannot be broken down.
std::int32_t date_year(date_value value);
/// The month, 1 to 12; -1 as date_year.
std::int32_t date_month(date_value value);
/// The day of the month, 1 to 31; -1 as date_year.
std::int32_t date_day(date_value value);
/// The hour, 0 to 23; -1 as date_year.
std::int32_t date_hour(date_value value);
/// The minute, 0 to 59; -1 as date_year.
std::int32_t date_minute(date_value value);
/// The second, 0 to 59; -1 as date_year.
std::int32_t date_second(date_value value);

/// Writes a date value through a mask whose tokens, in any letter case, are %yyyy, %yy,
/// %mm, %dd, %hh (hour), %ii (minute) and %ss; any other "%" is copied. The empty text
/// for an empty mask or the value -1.
text format_date(std::u16string_view mask, date_value value);

/// The date value of a file time of a listing's current entry (a time_selector), as
/// local wall-clock time with the offset in force now; 0 when nothing is open, -1 when the
/// time cannot be read or lies outside the range or outside any calendar.
date_value entry_date(std::int64_t listing, time_selector selector);

/// The date value of a file time of the file a path names, as entry_date gives it; -1 when
/// the file is not there or its time cannot be read or converted.
date_value file_date(std::u16string_view path, time_selector selector);

/// The local wall-clock date value of an instant (seconds since 1970-01-01 00:00:00 UTC),
/// with the offset in force on that date, summer time included; -1 when it cannot be
/// converted or lies outside the range. Unlike entry_date, which takes the offset in force
/// now, this gives the wall clock of the place at that moment.
date_value local_date_at(std::int64_t utc_seconds);
