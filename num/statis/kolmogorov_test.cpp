// Kolmogorov-Smirnov and Lilliefors: against scipy.stats.kstwo (exact
// finite-n distribution, testdata/reference_values.py) and Lilliefors'
// published critical values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "num/statis/zel_statis.hpp"

namespace zel {
namespace {

struct RefRow4 {
  double a, b, c, value;
};
struct RefRow5 {
  double a, b, c, d, value;
};

#include "num/statis/testdata/reference_values.inc"

const TDoubleArray kSample = {0.23,  -1.31, 0.57, 2.02,  -0.44, 0.11,
                              -0.87, 1.36,  0.49, -0.12, 0.95,  -2.2};

TEST(KolmogorovSmirnov, PValueMatchesTheExactDistribution) {
  double worst = 0.0;
  for (const RefRow4& r : kKSPValue) {
    const double got = KSPValue(static_cast<int32_t>(r.a), r.b);
    worst = std::max(worst, std::fabs(got - r.value));
    // 1 minus the exact distribution function, and the tail formula, are
    // good in absolute terms only (tiny p-values carry large relative
    // errors).
    EXPECT_NEAR(got, r.value, 1e-6) << "n " << r.a << " d " << r.b;
  }
  std::printf("[ accuracy ] KSPValue largest absolute error %.2e\n", worst);
}

TEST(KolmogorovSmirnov, DegenerateArgumentsReturnAtOnce) {
  // n <= 0 recursed forever and d < 0 gave a negative matrix size.
  EXPECT_EQ(KSPValue(0, 0.3), -1.0);
  EXPECT_EQ(KSPValue(-5, 0.3), -1.0);
  EXPECT_EQ(KSPValue(10, -0.2), 1.0);
  EXPECT_EQ(KSPValue(10, 0.0), 1.0);
  EXPECT_EQ(KSPValue(10, 1.0), 0.0);
  EXPECT_EQ(KSPValue(10, 7.0), 0.0);
  EXPECT_TRUE(std::isnan(KSPValue(10, std::nan(""))));
  // Large n in the central region: the limit distribution, not a matrix of
  // order thousands (scipy.stats.kstwo.sf(0.005, 100000) = 0.01290...).
  EXPECT_NEAR(KSPValue(100000, 0.005), 0.012897, 1e-3);
  EXPECT_EQ(KolmogSmir1SampleTestStat(0, TSignifLevel::Dot05), -1.0);
  EXPECT_EQ(KolmogSmir1SampleTestStat(-3, TSignifLevel::Dot05), -1.0);
  EXPECT_EQ(KolmogSmir1SampleTestStat(5, static_cast<TSignifLevel>(7)), -1.0);
  EXPECT_EQ(KSQuantile(0, TSignifLevel::Dot05), -1.0);
}

TEST(KolmogorovSmirnov, SwitchesToTheTailFormulaAtTheDocumentedBounds) {
  // Just above s = 7.24 the tail formula holds for every n.
  const double d = std::sqrt(7.25 / 50.0);
  const double tail50 = 2.0 * std::exp(-(2.000071 + 0.331 / std::sqrt(50.0) + 1.409 / 50.0) * 7.25);
  EXPECT_NEAR(KSPValue(50, d), tail50, 1e-12 * tail50);
  // s = 4 is exact below n = 100 and the formula from n = 100 on.
  const double d99 = std::sqrt(4.0 / 99.0), d100 = std::sqrt(4.0 / 100.0);
  const double tail99 = 2.0 * std::exp(-(2.000071 + 0.331 / std::sqrt(99.0) + 1.409 / 99.0) * 4.0);
  EXPECT_GT(std::fabs(KSPValue(99, d99) - tail99), 1e-5 * tail99);  // exact, 3e-4 apart
  const double tail100 = 2.0 * std::exp(-(2.000071 + 0.331 / 10.0 + 1.409 / 100.0) * 4.0);
  EXPECT_NEAR(KSPValue(100, d100), tail100, 1e-12 * tail100);
}

TEST(KolmogorovSmirnov, CriticalValuesFollowTheTableAndTheExactQuantiles) {
  EXPECT_DOUBLE_EQ(KolmogSmir1SampleTestStat(1, TSignifLevel::Dot20), 0.900);
  EXPECT_DOUBLE_EQ(KolmogSmir1SampleTestStat(2, TSignifLevel::Dot01), 0.929);
  // Row 3 is the printed table (0.642), not the exact 0.636.
  EXPECT_DOUBLE_EQ(KolmogSmir1SampleTestStat(3, TSignifLevel::Dot10), 0.642);
  // Rows 4..20 are exact quantiles rounded to 3 decimals.
  EXPECT_DOUBLE_EQ(KolmogSmir1SampleTestStat(4, TSignifLevel::Dot05), 0.624);
  EXPECT_DOUBLE_EQ(KolmogSmir1SampleTestStat(20, TSignifLevel::Dot01), 0.352);
  EXPECT_DOUBLE_EQ(KolmogSmir1SampleTestStat(21, TSignifLevel::Dot05), 1.358 / std::sqrt(21.0));
  for (const RefRow4& r : kKSQuantile) {
    const auto n = static_cast<int32_t>(r.a);
    const auto level = static_cast<TSignifLevel>(static_cast<int32_t>(r.b));
    const double q = KSQuantile(n, level);
    EXPECT_NEAR(KSPValue(n, q), SignifLevelValue[static_cast<size_t>(r.b)], 1e-4)
        << "n " << n << " level " << r.b;
    EXPECT_NEAR(q, r.value, 2e-3 * r.value) << "n " << n << " level " << r.b;
  }
}

TEST(Lilliefors, PValueAndQuantileAgreeWithPublishedCriticalValues) {
  // Lilliefors (J. Am. Stat. Assoc. 62 (1967) 399), 5 % critical values:
  // n = 10: 0.258, n = 20: 0.190, n = 30: 0.161; Dallal and Wilkinson's
  // corrected values are close to these.
  EXPECT_NEAR(LillieforsPValue(10, 0.258), 0.05, 0.01);
  EXPECT_NEAR(LillieforsPValue(20, 0.190), 0.05, 0.01);
  EXPECT_NEAR(LillieforsPValue(30, 0.161), 0.05, 0.01);
  EXPECT_NEAR(LillieforsQuantile(20, 0.05), 0.190, 0.005);
  EXPECT_NEAR(LillieforsQuantile(30, 0.05), 0.161, 0.005);
  EXPECT_EQ(LillieforsPValue(5, 0.3), -1.0);
  // n = 400 uses n = 100 and d 4^0.49.
  EXPECT_DOUBLE_EQ(LillieforsPValue(400, 0.05), LillieforsPValue(100, 0.05 * std::pow(4.0, 0.49)));
  EXPECT_EQ(LillieforsPValue(50, 0.0), 1.0);  // e > 0 is clipped
  EXPECT_EQ(LillieforsQuantile(0, 0.05), -1.0);
  EXPECT_EQ(LillieforsQuantile(20, 1.0), -1.0);
}

TEST(NormalityTests, MatchScipyOnASample) {
  double D = -1, p = -1;
  ASSERT_EQ(PerformKSNormalityTest(kSample, false, D, p), kNormTestOk);
  EXPECT_NEAR(D, kKSTest[0].value, 1e-8);
  EXPECT_NEAR(p, kKSTestP[0].value, 1e-7);
  ASSERT_EQ(PerformLillieforsTest(kSample, false, D, p), kNormTestOk);
  EXPECT_NEAR(D, kLillieforsD[0].value, 1e-8);
  EXPECT_DOUBLE_EQ(p, LillieforsPValue(12, D));

  // The vector forms change the caller's vector as documented.
  auto v = std::make_unique<TVector>(nullptr);
  v->Resize(static_cast<int32_t>(kSample.size()));
  for (size_t i = 0; i < kSample.size(); ++i) v->SetVal(static_cast<int32_t>(i + 1), kSample[i]);
  ASSERT_EQ(PerformKSNormalityTest(*v, false, D, p), kNormTestOk);
  EXPECT_NEAR(D, kKSTest[0].value, 1e-8);
  EXPECT_EQ(v->GetVal(1), -2.2);
  EXPECT_EQ(v->GetVal(12), 2.02);
  ASSERT_EQ(PerformLillieforsTest(*v, true, D, p), kNormTestOk);
  EXPECT_NEAR(D, kLillieforsD[0].value, 1e-8);
  EXPECT_LT(v->GetVal(1), -1.5);  // standardised in place
  EXPECT_GT(v->GetVal(12), 1.0);
}

TEST(NormalityTests, RejectBadDataWithoutTouchingIt) {
  double D = 5, p = 5;
  EXPECT_EQ(PerformKSNormalityTest(TDoubleArray{}, false, D, p), kNormTestTooFew);
  EXPECT_EQ(D, 0.0);
  EXPECT_EQ(p, 0.0);
  EXPECT_EQ(PerformKSNormalityTest(TDoubleArray{0.1, std::nan(""), 0.3}, false, D, p),
            kNormTestNotFinite);
  EXPECT_EQ(PerformLillieforsTest(TDoubleArray{1, 2, 3, 4, 5}, false, D, p), kNormTestTooFew);
  EXPECT_EQ(PerformLillieforsTest(TDoubleArray(8, 3.5), false, D, p), kNormTestConstant);
  EXPECT_EQ(PerformLillieforsTest(TDoubleArray{1, 2, 3, 4, 5, INFINITY}, false, D, p),
            kNormTestNotFinite);
  auto v = std::make_unique<TVector>(nullptr);
  v->Resize(7);
  for (int32_t i = 1; i <= 7; ++i) v->SetVal(i, 8.0 - i);
  v->SetVal(3, std::nan(""));
  EXPECT_EQ(PerformLillieforsTest(*v, false, D, p), kNormTestNotFinite);
  EXPECT_EQ(v->GetVal(1), 7.0);  // neither sorted nor standardised
  EXPECT_STREQ(NormalityTestStatusText(kNormTestConstant), "all values are equal");
}

}  // namespace
}  // namespace zel
