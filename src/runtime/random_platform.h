#pragma once

// What each platform's random file provides to random.cpp. Nothing outside the random
// service includes this header.

#include "runtime/random.h"

/// Seed material for a fresh sequence per run: a millisecond tick count XOR a thread or
/// process id, each as 32 bits.
std::uint32_t random_seed_material();
