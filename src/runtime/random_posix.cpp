#include "runtime/random_platform.h"

#include <ctime>
#include <unistd.h>

std::uint32_t random_seed_material() {
  struct timespec now = {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  auto ticks = static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000 +
                                          static_cast<std::uint64_t>(now.tv_nsec) / 1000000);
  return ticks ^ static_cast<std::uint32_t>(getpid());
}
