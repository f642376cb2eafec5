#pragma once

// The contract beneath the random service: what each platform's random file defines (both
// all of it), and the generator itself, which the service's tests look at. Nothing but the
// random service and its tests includes this header.

#include "runtime/random.h"

namespace random_platform {
/// A clock that moves at least every microsecond: nanoseconds, or the performance counter.
std::uint64_t clock_ticks();
/// The process's id.
std::uint64_t process_id();

/// The process's generator (random.cpp).
generator_state &generator();
/// Whether it has been seeded; the first draw seeds it (random.cpp).
bool &seeded();
} // namespace random_platform
