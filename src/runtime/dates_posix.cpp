#include "runtime/dates_platform.h"

#include <ctime>

namespace {

// The offset from UTC in force now, taken once. Files are converted with it, not with
// the offset of their own date: FAT and exFAT camera cards store local wall-clock stamps
// that the system read as UTC-shifted by the offset in force, and this gives them back
// as the camera wrote them, the way Windows' FileTimeToLocalFileTime does.
std::int64_t current_offset() {
  static bool known = false;
  static std::int64_t offset = 0;
  if (!known) {
    std::time_t now = std::time(nullptr);
    struct tm local;
    if (localtime_r(&now, &local))
      offset = local.tm_gmtoff;
    known = true;
  }
  return offset;
}

std::int64_t floor_divide(std::int64_t value, std::int64_t divisor) {
  std::int64_t quotient = value / divisor;
  return quotient * divisor > value ? quotient - 1 : quotient;
}

} // namespace

bool dates_platform::local_fields(std::int64_t ticks, wall_clock &fields) {
  constexpr std::int64_t seconds_1601_to_1970 = 11644473600;
  return utc_fields(floor_divide(ticks, 10000000) - seconds_1601_to_1970 + current_offset(), fields);
}

bool dates_platform::local_fields_at(std::int64_t utc_seconds, wall_clock &fields) {
  auto instant = static_cast<std::time_t>(utc_seconds);
  struct tm local;
  if (instant != utc_seconds || !localtime_r(&instant, &local))
    return false;
  fields = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
  return true;
}
