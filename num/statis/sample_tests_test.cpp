// t, F, one-sample chi-square and Mann-Whitney tests against scipy.stats
// (ttest_1samp, ttest_rel, ttest_ind, f, chi2, mannwhitneyu;
// testdata/reference_values.py).
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
