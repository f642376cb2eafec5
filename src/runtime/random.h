#pragma once

#include <cstdint>

// One process-wide RANROT generator: two lanes of 17 words of 32 bits, a lagged Fibonacci
// step with rotations, mapped onto a range by multiplication rather than by remainder.

/// The generator's words; `seeded` is kept beside them.
struct generator_state {
  std::int32_t lane_i = 0;
  std::int32_t lane_j = 0;
  std::uint32_t lane_a[17] = {};
  std::uint32_t lane_b[17] = {};
};

/// The seed of a run: a nanosecond clock (or performance counter) and the process id,
/// mixed so that runs started in the same millisecond, or with consecutive ids and ticks,
/// still get different seeds (a plain XOR of the two gives many such pairs the same one).
std::uint32_t seed_from(std::uint64_t clock_ticks, std::uint64_t process_id);

/// Fills and warms up the generator from a 32-bit seed and marks it seeded.
void random_seed(std::uint32_t seed);

/// One step of the generator: the new high word z and low word y.
void random_step(generator_state &state, std::uint32_t &z, std::uint32_t &y);

/// A whole number from 0 to n, both included (n below 2^64 - 1); one step per call.
std::uint64_t random_draw(std::uint64_t n);

/// A whole number from minimum to maximum, both included; always the first argument when
/// the maximum is below the minimum. One step per call.
std::uint64_t random_number(std::uint64_t maximum, std::uint64_t minimum);
