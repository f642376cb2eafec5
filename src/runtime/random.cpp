#include "runtime/random_platform.h"

namespace {

generator_state the_generator;
bool the_generator_seeded = false;

// The finaliser of splitmix64: every input bit moves about half the output bits.
std::uint64_t mix(std::uint64_t value) {
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
  return value ^ (value >> 31);
}

std::uint32_t rotate_left(std::uint32_t word, int count) { return (word << count) | (word >> (32 - count)); }

} // namespace

generator_state &random_platform::generator() { return the_generator; }

bool &random_platform::seeded() { return the_generator_seeded; }

void random_step(generator_state &state, std::uint32_t &z, std::uint32_t &y) {
  auto i = static_cast<std::size_t>(state.lane_i);
  auto j = static_cast<std::size_t>(state.lane_j);
  z = rotate_left(state.lane_b[i], 19) + state.lane_b[j];
  y = rotate_left(state.lane_a[i], 27) + state.lane_a[j];
  state.lane_a[i] = z;
  state.lane_b[i] = y;
  state.lane_i = state.lane_i == 0 ? 16 : state.lane_i - 1;
  state.lane_j = state.lane_j == 0 ? 16 : state.lane_j - 1;
}

std::uint32_t seed_from(std::uint64_t clock_ticks, std::uint64_t process_id) {
  std::uint64_t mixed = mix(mix(clock_ticks) ^ process_id);
  return static_cast<std::uint32_t>(mixed ^ (mixed >> 32));
}

void random_seed(std::uint32_t seed) {
  the_generator_seeded = true;
  generator_state &generator = the_generator;
  std::uint32_t x = seed;
  for (int k = 0; k < 17; ++k) {
    x = x * 2891336453u + 1;
    generator.lane_b[k] = x;
    x = x * 2891336453u + 1;
    generator.lane_a[k] = x;
  }
  generator.lane_i = 0;
  generator.lane_j = 10;
  std::uint32_t z, y;
  for (int k = 0; k < 31; ++k)
    random_step(generator, z, y);
}

std::uint64_t random_draw(std::uint64_t n) {
  if (!the_generator_seeded)
    random_seed(seed_from(random_platform::clock_ticks(), random_platform::process_id()));
  std::uint32_t z, y;
  random_step(the_generator, z, y);
  std::uint64_t m = n + 1;
  std::uint64_t m_hi = m >> 32;
  std::uint64_t m_lo = m & 0xFFFFFFFF;
  // floor((z * 2^32 + y) * m / 2^64), from products that are each exact in 64 bits.
  return ((std::uint64_t{z} * m_lo) >> 32) + ((std::uint64_t{y} * m_hi) >> 32) + std::uint64_t{z} * m_hi;
}

std::uint64_t random_number(std::uint64_t maximum, std::uint64_t minimum) {
  std::uint64_t low = maximum < minimum ? maximum : minimum;
  return low + random_draw(maximum - low);
}
