#include "runtime/random_platform.h"

#include <windows.h>

std::uint64_t random_platform::clock_ticks() {
  LARGE_INTEGER counter = {};
  QueryPerformanceCounter(&counter);
  return static_cast<std::uint64_t>(counter.QuadPart);
}

std::uint64_t random_platform::process_id() { return GetCurrentProcessId(); }
