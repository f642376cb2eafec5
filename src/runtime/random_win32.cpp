#include "runtime/random_platform.h"

#include <windows.h>

std::uint64_t clock_ticks() {
  LARGE_INTEGER counter = {};
  QueryPerformanceCounter(&counter);
  return static_cast<std::uint64_t>(counter.QuadPart);
}

std::uint64_t process_id() { return GetCurrentProcessId(); }
