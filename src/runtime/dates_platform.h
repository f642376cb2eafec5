#pragma once

// The contract beneath the dates service: what each platform's dates file defines (both all
// of it), and the calendar breakdown they share (dates.cpp). Nothing but the dates service
// includes this header.

#include "runtime/dates.h"

namespace dates_platform {
/// Calendar fields of a local wall-clock time.
struct wall_clock {
  std::int32_t year, month, day, hour, minute, second;
};
/// A file time (100 ns ticks since 1601-01-01 UTC) as local wall-clock fields, with the
/// offset in force now. False when it cannot be converted.
bool local_fields(std::int64_t ticks, wall_clock &fields);
/// An instant (UTC seconds since 1970) as local wall-clock fields, with the offset in force
/// at that instant. False when it cannot be converted.
bool local_fields_at(std::int64_t utc_seconds, wall_clock &fields);
/// UTC seconds since 1970 broken down by the calendar alone (shared code, dates.cpp).
bool utc_fields(std::int64_t seconds, wall_clock &fields);
} // namespace dates_platform
