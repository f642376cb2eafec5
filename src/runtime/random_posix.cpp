#include "runtime/random_platform.h"

#include <ctime>
#include <unistd.h>

std::uint64_t random_platform::clock_ticks() {
  struct timespec now = {};
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u + static_cast<std::uint64_t>(now.tv_nsec);
}

std::uint64_t random_platform::process_id() { return static_cast<std::uint64_t>(getpid()); }
