#include "runtime/dates_platform.h"

#include <windows.h>

bool dates_platform::local_fields(std::int64_t ticks, wall_clock &fields) {
  FILETIME utc;
  utc.dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) & 0xFFFFFFFF);
  utc.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32);
  // FileTimeToLocalFileTime applies the offset and daylight-saving state in force now,
  // not at the file's date: that gives back the local stamps FAT and exFAT cards store.
  FILETIME local;
  SYSTEMTIME broken;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &broken))
    return false;
  fields = {broken.wYear, broken.wMonth, broken.wDay, broken.wHour, broken.wMinute, broken.wSecond};
  return true;
}

bool dates_platform::local_fields_at(std::int64_t utc_seconds, wall_clock &fields) {
  wall_clock utc;
  if (!utc_fields(utc_seconds, utc) || utc.year < 1601 || utc.year > 30827)
    return false;
  SYSTEMTIME universal = {};
  universal.wYear = static_cast<WORD>(utc.year);
  universal.wMonth = static_cast<WORD>(utc.month);
  universal.wDay = static_cast<WORD>(utc.day);
  universal.wHour = static_cast<WORD>(utc.hour);
  universal.wMinute = static_cast<WORD>(utc.minute);
  universal.wSecond = static_cast<WORD>(utc.second);
  // The zone's rules for that date: summer time applies when it applied then.
  SYSTEMTIME local;
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
    return false;
  fields = {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
  return true;
}
