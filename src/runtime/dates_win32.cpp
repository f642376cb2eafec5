#include "runtime/dates_platform.h"

#include <windows.h>

bool dates_detail::local_fields(std::int64_t ticks, wall_clock &fields) {
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
