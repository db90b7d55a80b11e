#include "core/zel_random.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

namespace zel {
namespace {

TEST(RandomGenerator, SeedFixesTheSequence) {
  SetRandSeed(12345);
  EXPECT_EQ(GetRandSeed(), 12345u);
  std::vector<double> first;
  for (int i = 0; i < 10; ++i) first.push_back(Random());
  SetRandSeed(12345);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Random(), first[i]);
  SetRandSeed(12346);
  EXPECT_NE(Random(), first[0]);
}

TEST(RandomGenerator, UniformStaysInRangeWithTheRightMoments) {
  SetRandSeed(7);
  const int n = 200000;
  double sum = 0, sum2 = 0;
  for (int i = 0; i < n; ++i) {
    const double u = Random();
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
    sum += u;
    sum2 += u * u;
  }
  const double mean = sum / n, var = sum2 / n - mean * mean;
  // Standard error of the mean is sqrt(1/12/n) ~ 6.5e-4: allow 5 sigma.
  EXPECT_NEAR(mean, 0.5, 3.3e-3);
  EXPECT_NEAR(var, 1.0 / 12, 2e-3);
}

TEST(RandomGenerator, IntegerDrawsCoverTheRangeEvenly) {
  SetRandSeed(99);
  int counts[6] = {};
  const int n = 60000;
  for (int i = 0; i < n; ++i) {
    const int32_t k = Random(6);
    ASSERT_GE(k, 0);
    ASSERT_LT(k, 6);
    ++counts[k];
  }
  // Each count is binomial(60000, 1/6): sd ~ 91; allow 5 sd.
  for (int c : counts) EXPECT_NEAR(c, n / 6, 460);
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-5), 0);
  EXPECT_EQ(Random(1), 0);
}

TEST(RandomGenerator, NormalVariatesHaveTheRequestedMoments) {
  SetRandSeed(2024);
  const int n = 100000;
  double sum = 0, sum2 = 0;
  for (int i = 0; i < n; ++i) {
    const double g = RandG(3.0, 2.0);
    sum += g;
    sum2 += g * g;
  }
  const double mean = sum / n, sd = std::sqrt(sum2 / n - mean * mean);
  EXPECT_NEAR(mean, 3.0, 5 * 2.0 / std::sqrt(n));
  EXPECT_NEAR(sd, 2.0, 0.03);
}

TEST(RandomGenerator, ClockSeedsDifferWithinOneTick) {
  std::set<uint64_t> seeds;
  for (int i = 0; i < 1000; ++i) seeds.insert(ClockSeed());
  EXPECT_EQ(seeds.size(), 1000u);
}

}  // namespace
}  // namespace zel
