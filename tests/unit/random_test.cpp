#include "runtime/random_platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace {

__extension__ typedef unsigned __int128 wide_product;

std::vector<std::uint64_t> five_numbers() {
  std::vector<std::uint64_t> numbers;
  for (int k = 0; k < 5; ++k)
    numbers.push_back(random_number(9999, 1000));
  return numbers;
}

TEST(Random, KnownSequences) {
  random_seed(1);
  EXPECT_EQ(five_numbers(), (std::vector<std::uint64_t>{7495, 2629, 6470, 9220, 1003}));
  random_seed(0);
  EXPECT_EQ(five_numbers(), (std::vector<std::uint64_t>{5906, 8055, 6943, 4407, 3125}));
  random_seed(1);
  EXPECT_EQ(random_draw(4294967295u), 3099668639u);
  EXPECT_EQ(random_platform::generator().lane_i, 2); // 31 warm-up steps end at 3, then one draw
  EXPECT_EQ(random_platform::generator().lane_j, 12);
}

TEST(Random, DegenerateRangesStillAdvance) {
  random_seed(1);
  EXPECT_EQ(random_number(5, 5), 5u);
  EXPECT_EQ(random_draw(0), 0u);
  EXPECT_EQ(random_number(1000, 9999), 1000u);
  // Three steps taken: the next number is the fourth of the seed-1 sequence.
  EXPECT_EQ(random_number(9999, 1000), 9220u);
}

TEST(Random, FullRangeArithmetic) {
  // For n = 2^64 - 2, m = 2^64 - 1: the result is the high part of (z:y) * m.
  random_seed(1);
  generator_state copy = random_platform::generator();
  std::uint32_t z, y;
  random_step(copy, z, y);
  wide_product expected = ((static_cast<wide_product>(z) << 32) | y) * 0xFFFFFFFFFFFFFFFFull >> 64;
  std::uint64_t got = random_draw(0xFFFFFFFFFFFFFFFEull);
  EXPECT_LE(got, static_cast<std::uint64_t>(expected));
  EXPECT_GE(got + 2, static_cast<std::uint64_t>(expected)); // the three floors lose at most 2
  for (int k = 0; k < 1000; ++k) {
    std::uint64_t value = random_number(9999, 1000);
    ASSERT_GE(value, 1000u);
    ASSERT_LE(value, 9999u);
  }
}

TEST(Random, FirstDrawSeedsItselfOnce) {
  random_platform::seeded() = false;
  random_platform::generator() = generator_state();
  random_number(9999, 1000);
  ASSERT_TRUE(random_platform::seeded());
  EXPECT_EQ(random_platform::generator().lane_i, 2);
  // A later draw continues the same sequence instead of seeding again.
  generator_state copy = random_platform::generator();
  std::uint32_t z, y;
  random_step(copy, z, y);
  EXPECT_EQ(random_number(9999, 1000), 1000 + (std::uint64_t{z} * 9000 >> 32));
  EXPECT_EQ(std::memcmp(&copy, &random_platform::generator(), sizeof copy), 0);
}

TEST(Random, RunsStartedTogetherGetDifferentSeeds) {
  // Consecutive process ids a millisecond, or a nanosecond, apart: a plain XOR of the two
  // gives many such pairs one seed, and the two runs every temporary name alike.
  std::set<std::uint32_t> seeds;
  for (std::uint64_t k = 0; k < 1000; ++k) {
    seeds.insert(seed_from(1765000000000000000 + k, 4000 + k));
    seeds.insert(seed_from(1765000000000000000 + k * 1000000 + 500, 9000 + k));
  }
  EXPECT_EQ(seeds.size(), 2000u);
}

} // namespace
