#pragma once

// What each platform's random file provides to random.cpp. Nothing outside the random
// service includes this header.

#include "runtime/random.h"

/// A clock that moves at least every microsecond: nanoseconds, or the performance counter.
std::uint64_t clock_ticks();

/// The process's id.
std::uint64_t process_id();
