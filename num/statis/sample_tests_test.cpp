// t, F, one-sample chi-square and Mann-Whitney tests against scipy.stats
// (ttest_1samp, ttest_rel, ttest_ind, f, chi2, mannwhitneyu;
// testdata/reference_values.py) and the Siegel-Tukey test by hand.
#include <gtest/gtest.h>

#include <cmath>
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

const TDoubleArray kSa = {5.1, 4.8, 6.2, 5.9, 5.5, 6.8, 5.0, 5.7, 6.1};
const TDoubleArray kSb = {4.2, 4.9, 5.05, 3.8, 4.6, 5.3, 4.4, 4.1, 4.85, 3.9, 5.2};
const TDoubleArray kSc = {4.9, 4.7, 5.8, 5.0, 5.6, 6.0, 5.1, 5.2, 5.4};

void ExpectRel(double got, double want, double tol) {
  EXPECT_NEAR(got, want, tol * std::fabs(want));
}

TEST(SampleTests, TTestsMatchScipy) {
  double t = 0, df = 0, p = 0;
  ASSERT_EQ(Perform1SampleTTest(kSa, 5.0, t, p), kTestOk);
  ExpectRel(t, kT1[0].value, 1e-12);
  ExpectRel(p, kT1P[0].value, 5e-8);
  ASSERT_EQ(Perform2SampleTTest(kSa, kSc, TtTestVersion::ttPaired, t, df, p), kTestOk);
  ExpectRel(t, kT2Paired[0].value, 1e-12);
  ExpectRel(p, kT2PairedP[0].value, 5e-8);
  EXPECT_EQ(df, 8.0);
  ASSERT_EQ(Perform2SampleTTest(kSa, kSb, TtTestVersion::ttHomoScedastic, t, df, p), kTestOk);
  ExpectRel(t, kT2Pooled[0].value, 1e-12);
  ExpectRel(p, kT2PooledP[0].value, 5e-8);
  EXPECT_EQ(df, 18.0);
  ASSERT_EQ(Perform2SampleTTest(kSa, kSb, TtTestVersion::ttHeteroScedastic, t, df, p), kTestOk);
  ExpectRel(t, kT2Welch[0].value, 1e-12);
  ExpectRel(p, kT2WelchP[0].value, 5e-8);
  ExpectRel(df, kWelchDf[0].value, 1e-12);
  // The vector overload agrees with the array one.
  auto va = std::make_unique<TVector>(nullptr);
  auto vb = std::make_unique<TVector>(nullptr);
  va->Resize(9);
  vb->Resize(11);
  for (int32_t i = 1; i <= 9; ++i) va->SetVal(i, kSa[static_cast<size_t>(i - 1)]);
  for (int32_t i = 1; i <= 11; ++i) vb->SetVal(i, kSb[static_cast<size_t>(i - 1)]);
  double tv = 0, dfv = 0, pv = 0;
  ASSERT_EQ(Perform2SampleTTest(*va, *vb, TtTestVersion::ttHeteroScedastic, tv, dfv, pv), kTestOk);
  EXPECT_EQ(tv, t);
  EXPECT_EQ(pv, p);
}

TEST(SampleTests, TTestsFailCleanly) {
  double t = 1, df = 1, p = 1;
  EXPECT_EQ(Perform1SampleTTest({1.0}, 0.0, t, p), kTestTooFew);
  EXPECT_EQ(Perform1SampleTTest({2.0, 2.0, 2.0}, 0.0, t, p), kTestNoVariance);
  EXPECT_EQ(Perform1SampleTTest({1.0, NAN}, 0.0, t, p), kTestNotFinite);
  EXPECT_EQ(t, 0.0);
  EXPECT_EQ(Perform2SampleTTest(kSa, kSb, TtTestVersion::ttPaired, t, df, p), kTestSizeDiffers);
  EXPECT_EQ(Perform2SampleTTest(1, 1, 5, 2, 1, 5, TtTestVersion::ttPaired, t, df, p),
            kTestBadParameter);
  EXPECT_EQ(Perform2SampleTTest(1, 0, 5, 2, 0, 5, TtTestVersion::ttHomoScedastic, t, df, p),
            kTestNoVariance);
  EXPECT_EQ(df, 0.0);
  // Means 1e9 apart from the origin still give the right t.
  TDoubleArray a = kSa, b = kSb;
  for (double& x : a) x += 1e9;
  for (double& x : b) x += 1e9;
  ASSERT_EQ(Perform2SampleTTest(a, b, TtTestVersion::ttHomoScedastic, t, df, p), kTestOk);
  ExpectRel(t, kT2Pooled[0].value, 1e-6);
}

TEST(SampleTests, VarianceTestsMatchScipy) {
  double F = 0, p = 0, chi2 = 0;
  ASSERT_EQ(PerformFTest(kSa, kSb, F, p), kTestOk);
  ExpectRel(F, kFTest[0].value, 1e-12);
  ExpectRel(p, kFTestP[0].value, 5e-8);
  EXPECT_EQ(PerformFTest(kSa, {3.0, 3.0}, F, p), kTestNoVariance);
  ASSERT_EQ(Perform1SampleChi2Test(kSa, 0.4, chi2, p), kTestOk);
  ExpectRel(chi2, kChi2Test[0].value, 1e-12);
  ExpectRel(p, kChi2TestP[0].value, 5e-8);
  EXPECT_EQ(Perform1SampleChi2Test(kSa, 0.0, chi2, p), kTestBadParameter);
  EXPECT_EQ(chi2, 0.0);
}

TEST(SampleTests, MannWhitneyExactAndWithTiesMatchScipy) {
  double U = 0, p = 0;
  ASSERT_EQ(PerformMannWhitneyUTest(kSa, kSb, U, p), kTestOk);
  EXPECT_EQ(U, kMWExact[0].value);
  ExpectRel(p, kMWExactP[0].value, 1e-12);
  const TDoubleArray ta = {1, 2, 2, 3, 5, 5, 5, 8, 9, 12, 3, 7};
  const TDoubleArray tb = {2, 4, 4, 6, 6, 7, 10, 11, 11, 13, 14, 5, 9};
  ASSERT_EQ(PerformMannWhitneyUTest(ta, tb, U, p), kTestOk);
  EXPECT_EQ(U, kMWTies[0].value);
  ExpectRel(p, kMWTiesP[0].value, 5e-8);
  EXPECT_EQ(PerformMannWhitneyUTest(ta, {}, U, p), kTestTooFew);
  EXPECT_EQ(PerformMannWhitneyUTest(ta, {1.0, INFINITY}, U, p), kTestNotFinite);
  // All values equal: no variance, p = 1.
  ASSERT_EQ(PerformMannWhitneyUTest({2, 2, 2}, {2, 2}, U, p), kTestOk);
  EXPECT_EQ(U, 3.0);
  EXPECT_EQ(p, 1.0);
}

}  // namespace
}  // namespace zel

namespace zel {
namespace {

TEST(SampleTests, SiegelTukeyRanksFromBothEnds) {
  // Pooled 1 2 4 5 6 7 9 10 get the ranks 1 4 5 8 7 6 3 2: the spread
  // sample holds 1, 4, 3, 2, so U = 10 - 10 = 0 and p = 2/C(8, 4).
  double U = -1, p = -1;
  ASSERT_EQ(PerformSiegelTukeyTest(TDoubleArray{1, 2, 9, 10}, TDoubleArray{4, 5, 6, 7}, U, p),
            kTestOk);
  EXPECT_EQ(U, 0.0);
  EXPECT_NEAR(p, 2.0 / 70.0, 1e-15);
  ASSERT_EQ(PerformSiegelTukeyTest(TDoubleArray{4, 5, 6, 7}, TDoubleArray{1, 2, 9, 10}, U, p),
            kTestOk);
  EXPECT_EQ(U, 16.0);
  EXPECT_NEAR(p, 2.0 / 70.0, 1e-15);
  // Without ties the test is the Mann-Whitney test on the Siegel-Tukey
  // ranks (by hand: pooled 0.2 1.7 2.5 3.1 4.4 5.0 5.5 6.1 7.4 8.8 9.9 ->
  // 1 4 5 8 9 11 10 7 6 3 2).
  const TDoubleArray a = {3.1, 7.4, 0.2, 9.9, 5.0};
  const TDoubleArray b = {4.4, 6.1, 1.7, 8.8, 2.5, 5.5};
  double Umw = 0, pmw = 0;
  ASSERT_EQ(PerformMannWhitneyUTest(TDoubleArray{8, 6, 1, 2, 11}, TDoubleArray{9, 7, 4, 3, 5, 10},
                                    Umw, pmw),
            kTestOk);
  ASSERT_EQ(PerformSiegelTukeyTest(a, b, U, p), kTestOk);
  EXPECT_EQ(U, Umw);
  EXPECT_EQ(p, pmw);
  // Scale and shift do not change ranks: values near 1e154 and 1e-160.
  for (double scale : {1e154, 1e-160}) {
    TDoubleArray as = a, bs = b;
    for (double& x : as) x *= scale;
    for (double& x : bs) x *= scale;
    double Us = 0, ps = 0;
    ASSERT_EQ(PerformSiegelTukeyTest(as, bs, Us, ps), kTestOk);
    EXPECT_EQ(Us, U);
    EXPECT_EQ(ps, p);
  }
  auto va = std::make_unique<TVector>(nullptr);
  auto vb = std::make_unique<TVector>(nullptr);
  va->Resize(5);
  vb->Resize(6);
  for (int32_t i = 1; i <= 5; ++i) va->SetVal(i, a[static_cast<size_t>(i - 1)]);
  for (int32_t i = 1; i <= 6; ++i) vb->SetVal(i, b[static_cast<size_t>(i - 1)]);
  ASSERT_EQ(PerformSiegelTukeyTest(*va, *vb, Umw, pmw), kTestOk);
  EXPECT_EQ(Umw, U);
  EXPECT_EQ(pmw, p);
}

TEST(SampleTests, SiegelTukeyWithTiesAndDegenerateSamples) {
  // Ties share the mean of ranks that are not consecutive: the two 1s hold
  // ranks 1 and 4 (2.5 each), the three 5s ranks 9, 11, 10 (10 each); R1 =
  // 2.5 + 2.5 + 10 + 3 + 2 = 20, U = 5. p from the normal approximation with
  // the permutation variance of these scores (computed independently in
  // Python with scipy.stats.norm).
  double U = 0, p = 0;
  ASSERT_EQ(
      PerformSiegelTukeyTest(TDoubleArray{1, 1, 5, 9, 9.5}, TDoubleArray{3, 5, 5, 7, 6, 4}, U, p),
      kTestOk);
  EXPECT_EQ(U, 5.0);
  EXPECT_NEAR(p, 0.0737616406462559, 2e-15);
  // All values equal: no information, U at its mean and p = 1.
  ASSERT_EQ(PerformSiegelTukeyTest(TDoubleArray{2, 2, 2}, TDoubleArray{2, 2}, U, p), kTestOk);
  EXPECT_EQ(U, 3.0);
  EXPECT_EQ(p, 1.0);
  // One value each: exact, p = 1.
  ASSERT_EQ(PerformSiegelTukeyTest(TDoubleArray{1}, TDoubleArray{2}, U, p), kTestOk);
  EXPECT_EQ(p, 1.0);
  U = p = 9;
  EXPECT_EQ(PerformSiegelTukeyTest(TDoubleArray{}, TDoubleArray{1, 2}, U, p), kTestTooFew);
  EXPECT_EQ(U, 0.0);
  EXPECT_EQ(p, 0.0);
  EXPECT_EQ(PerformSiegelTukeyTest(TDoubleArray{1, std::nan("")}, TDoubleArray{1, 2}, U, p),
            kTestNotFinite);
  EXPECT_EQ(PerformSiegelTukeyTest(TDoubleArray{1, 2}, TDoubleArray{HUGE_VAL, 2}, U, p),
            kTestNotFinite);
  // Large samples (beyond the exact table): a sample ten times as spread
  // is found; the same spread is not.
  TDoubleArray wide, narrow, narrow2;
  for (int32_t i = 0; i < 200; ++i) {
    const double u = std::sin(1.7 * i + 0.3);  // spread over [-1, 1], no ties
    wide.push_back(10.0 * u);
    narrow.push_back(u + 1e-3);
    narrow2.push_back(std::sin(2.3 * i + 0.1));
  }
  ASSERT_EQ(PerformSiegelTukeyTest(wide, narrow, U, p), kTestOk);
  EXPECT_LT(p, 1e-10);
  EXPECT_LT(U, 0.3 * 200 * 200);
  ASSERT_EQ(PerformSiegelTukeyTest(narrow2, narrow, U, p), kTestOk);
  EXPECT_GT(p, 0.01);
}

TEST(ShapeTests, SkewnessAndKurtosisMatchScipy) {
  const TDoubleArray d = {2.1, 3.4, 1.9, 5.6,  2.8, 9.7, 3.1, 2.2,
                          4.4, 2.6, 3.9, 12.5, 2.4, 3.0, 1.7};
  double s = 0, z = 0, p = 0;
  ASSERT_EQ(CalcAndTestSkewness(d, false, s, z, p), kTestOk);
  ExpectRel(s, kSkew[0].value, 1e-12);
  ExpectRel(z, kSkewZ[0].value, 1e-12);
  ExpectRel(p, kSkewP[0].value, 5e-8);
  ASSERT_EQ(CalcAndTestSkewness(d, true, s, z, p), kTestOk);
  ExpectRel(s, kSkewUnbiased[0].value, 1e-12);
  ASSERT_EQ(CalcAndTestKurtosis(d, false, s, z, p), kTestOk);
  ExpectRel(s, kKurt[0].value, 1e-12);
  ExpectRel(z, kKurtZ[0].value, 1e-12);
  ExpectRel(p, kKurtP[0].value, 5e-8);
  ASSERT_EQ(CalcAndTestKurtosis(d, true, s, z, p), kTestOk);
  ExpectRel(s, kKurtUnbiased[0].value, 1e-12);
  EXPECT_EQ(CalcAndTestSkewness({1, 2, 3, 4, 5, 6, 7}, false, s, z, p), kTestTooFew);
  EXPECT_EQ(CalcAndTestKurtosis({1, 2, 3, 4}, false, s, z, p), kTestTooFew);
  EXPECT_EQ(CalcAndTestKurtosis(TDoubleArray(9, 4.0), false, s, z, p), kTestNoVariance);
  EXPECT_EQ(CalcAndTestSkewness({1, 2, 3, 4, 5, 6, 7, NAN}, false, s, z, p), kTestNotFinite);
  EXPECT_EQ(s, 0.0);
}

}  // namespace
}  // namespace zel
