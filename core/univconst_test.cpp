#include "core/zel_univconst.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <numbers>

namespace zel {
namespace {

TEST(UnivConst, LimitsAreFiniteExtremes) {
  EXPECT_EQ(uc_MaxDouble, DBL_MAX);
  // The largest extended value stored into a double is the largest double.
  EXPECT_EQ(uc_MaxReal, DBL_MAX);
  EXPECT_TRUE(std::isfinite(uc_MaxReal));
  EXPECT_TRUE(std::isfinite(static_cast<long double>(uc_MaxReal) * uc_MaxReal));
  EXPECT_EQ(uc_MinDouble, std::ldexp(1.0, -1074));
  EXPECT_GT(uc_MinDouble, 0.0);
  EXPECT_EQ(uc_MinDouble / 2, 0.0);
  EXPECT_EQ(uc_MaxSingle, FLT_MAX);
  EXPECT_EQ(uc_MaxInt64, INT64_MAX);
}

TEST(UnivConst, MathConstantsAreCorrectlyRounded) {
  // Rounding the 64-bit-mantissa values to double gives the nearest double.
  EXPECT_EQ(uc_sqrt2, static_cast<double>(std::sqrt(2.0L)));
  EXPECT_EQ(uc_sqrt2pitom1,
            static_cast<double>(1.0L / std::sqrt(2.0L * std::numbers::pi_v<long double>)));
  // mpmath, 200 bits: 1/sqrt(2 pi) = 0.3989422804014327 as double.
  EXPECT_EQ(uc_sqrt2pitom1, 0.3989422804014327);
}

TEST(UnivConst, LnFactorialMatchesIndependentValues) {
  ASSERT_EQ(uc_LnFactorial.size(), 1001u);
  EXPECT_EQ(uc_LnFactorial[0], 0.0);
  EXPECT_EQ(uc_LnFactorial[1], 0.0);
  EXPECT_EQ(uc_LnFactorial[2], std::log(2.0));
  // ln(n!) of mpmath at 200 bits, rounded to double.
  EXPECT_EQ(uc_LnFactorial[10], 15.104412573075516);
  EXPECT_EQ(uc_LnFactorial[100], 363.73937555556347);
  EXPECT_EQ(uc_LnFactorial[500], 2611.330458460156);
  EXPECT_EQ(uc_LnFactorial[1000], 5912.128178488163);
  // The whole table against the double lgamma of the C library (a few ulp).
  for (int n = 2; n <= 1000; ++n)
    EXPECT_NEAR(uc_LnFactorial[n], std::lgamma(n + 1.0), 4e-15 * uc_LnFactorial[n]) << n;
  // The table is exact ln n!: consecutive entries differ by ln n.
  for (int n = 2; n <= 1000; ++n)
    EXPECT_NEAR(uc_LnFactorial[n] - uc_LnFactorial[n - 1], std::log(static_cast<double>(n)), 2e-12)
        << n;
}

}  // namespace
}  // namespace zel
