// Tests on groups against scipy.stats (bartlett, levene(center='mean'),
// f_oneway, friedmanchisquare, median_test, chisquare;
// testdata/reference_values.py).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "core/zel_univconst.hpp"
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

const TDoubleArray kG1 = {10.2, 11.5, 9.8, 10.9, 12.1, 10.4, 11.1};
const TDoubleArray kG2 = {14.2, 9.1, 13.5, 7.7, 12.8, 8.4, 15.0, 10.0};
const TDoubleArray kG3 = {10.0, 10.3, 10.1, 9.9, 10.2, 10.05};

// The three groups as one vector with labels 7, 3, 5 (order of first
// occurrence matters, the values of the labels do not).
void Labelled(TVector& v, TIntVector& g) {
  const TDoubleArray* groups[] = {&kG1, &kG2, &kG3};
  const int32_t labels[] = {7, 3, 5};
  v.Resize(21);
  g.Resize(21);
  int32_t i = 1;
  for (int k = 0; k < 3; ++k) {
    for (double x : *groups[k]) {
      v.SetVal(i, x);
      g.SetVal(i, labels[k]);
      ++i;
    }
  }
}

TEST(GroupTests, BartlettMatchesScipyAndRejectsDegenerateGroups) {
  double chi2 = 0;
  const double p = BartlettTest({kG1, kG2, kG3}, {7, 8, 6}, chi2);
  EXPECT_NEAR(chi2, kBartlett[0].value, 1e-12 * kBartlett[0].value);
  EXPECT_NEAR(p, kBartlettP[0].value, 5e-8 * kBartlettP[0].value);
  EXPECT_EQ(BartlettTest({kG1, kG2}, {7, 8, 6}, chi2), kBartlettCountsDiffer);
  EXPECT_EQ(BartlettTest({kG1, kG2, kG3}, {7, 8, 5}, chi2), kBartlettTooSmall);
  // A size beyond its group used to read past the array.
  EXPECT_EQ(BartlettTest({kG1, kG2, kG3}, {7, 9, 6}, chi2), kBartlettSizeTooLarge);
  // One group divided by 3(k - 1) = 0; a constant group took ln 0.
  EXPECT_EQ(BartlettTest({kG1}, {7}, chi2), kBartlettDegenerate);
  EXPECT_EQ(BartlettTest({kG1, TDoubleArray(6, 2.5)}, {7, 6}, chi2), kBartlettDegenerate);
  EXPECT_EQ(chi2, 0.0);
  // Only the first sizes[i] values count.
  TDoubleArray longer = kG3;
  longer.push_back(1e6);
  BartlettTest({kG1, kG2, longer}, {7, 8, 6}, chi2);
  EXPECT_NEAR(chi2, kBartlett[0].value, 1e-12 * kBartlett[0].value);
}

TEST(GroupTests, LeveneAndAnovaMatchScipy) {
  auto v = std::make_unique<TVector>(nullptr);
  auto g = std::make_unique<TIntVector>(nullptr);
  Labelled(*v, *g);
  double F = 0;
  double p = LeveneTest(*v, *g, F);
  EXPECT_NEAR(F, kLevene[0].value, 1e-12 * kLevene[0].value);
  EXPECT_NEAR(p, kLeveneP[0].value, 5e-8 * kLeveneP[0].value);
  double ssb, ssw, sst;
  int32_t dfb, dfw, dft;
  p = Anova1F(*v, *g, ssb, ssw, sst, dfb, dfw, dft, F);
  EXPECT_NEAR(F, kAnova[0].value, 1e-12 * kAnova[0].value);
  EXPECT_NEAR(p, kAnovaP[0].value, 5e-8 * kAnovaP[0].value);
  EXPECT_NEAR(ssw, kAnovaSSw[0].value, 1e-12 * kAnovaSSw[0].value);
  EXPECT_NEAR(sst, kAnovaSSt[0].value, 1e-12 * kAnovaSSt[0].value);
  EXPECT_NEAR(ssb + ssw, sst, 1e-12 * sst);
  EXPECT_EQ(dfb, 2);
  EXPECT_EQ(dfw, 18);
  EXPECT_EQ(dft, 20);
  // Far from the origin the centred sums still see the spread (the raw
  // sum-of-squares form loses it all at 1e9).
  for (int32_t i = 1; i <= v->GetNrOfElem(); ++i) v->SetVal(i, v->GetVal(i) + 1e9);
  p = Anova1F(*v, *g, ssb, ssw, sst, dfb, dfw, dft, F);
  EXPECT_NEAR(F, kAnova[0].value, 1e-6 * kAnova[0].value);
}

TEST(GroupTests, LeveneAndAnovaDegenerateGroupings) {
  auto v = std::make_unique<TVector>(nullptr);
  auto g = std::make_unique<TIntVector>(nullptr);
  v->Resize(4);
  g->Resize(4);
  for (int32_t i = 1; i <= 4; ++i) v->SetVal(i, i);
  double F = 7, ssb, ssw, sst;
  int32_t dfb, dfw, dft;
  EXPECT_EQ(LeveneTest(*v, *g, F), kGroupsOneGroup);  // all labels 0
  for (int32_t i = 1; i <= 4; ++i) g->SetVal(i, i);
  EXPECT_EQ(Anova1F(*v, *g, ssb, ssw, sst, dfb, dfw, dft, F), kGroupsAllSingle);
  g->SetVal(2, 1);
  g->SetVal(4, 3);  // groups {1, 2}, {3, 4}
  for (int32_t i = 1; i <= 4; ++i) v->SetVal(i, 5.0);
  EXPECT_EQ(Anova1F(*v, *g, ssb, ssw, sst, dfb, dfw, dft, F), kGroupsNoVariation);
  EXPECT_EQ(F, 0.0);
  v->SetVal(3, 6.0);
  v->SetVal(4, 6.0);  // no spread within, some between
  EXPECT_EQ(Anova1F(*v, *g, ssb, ssw, sst, dfb, dfw, dft, F), 0.0);
  EXPECT_EQ(F, uc_MaxReal);
  EXPECT_EQ(LeveneTest(*v, *g, F), kGroupsNoVariation);  // all deviations 0
  g->Resize(3);
  EXPECT_EQ(LeveneTest(*v, *g, F), kGroupsSizeDiffers);
}

TEST(GroupTests, FriedmanMatchesScipyWithTies) {
  const double rows[6][4] = {{7, 9, 8, 6}, {6, 5, 7, 6},         {9, 7, 6, 9},
                             {8, 5, 6, 8}, {7.5, 8.5, 6.5, 7.5}, {6, 6, 6, 7}};
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(4, 6);
  for (int32_t r = 1; r <= 6; ++r) {
    for (int32_t c = 1; c <= 4; ++c) m->SetVal(c, r, rows[r - 1][c - 1]);
  }
  double chi2 = 0;
  const double p = FriedmanTest(m.get(), chi2);
  EXPECT_NEAR(chi2, kFriedman[0].value, 1e-12 * kFriedman[0].value);
  EXPECT_NEAR(p, kFriedmanP[0].value, 5e-8 * kFriedmanP[0].value);
  // Every row fully tied: 0/0 before; now Q = 0 and p = 1.
  for (int32_t r = 1; r <= 6; ++r) {
    for (int32_t c = 1; c <= 4; ++c) m->SetVal(c, r, r);
  }
  EXPECT_EQ(FriedmanTest(m.get(), chi2), 1.0);
  EXPECT_EQ(chi2, 0.0);
  m->Resize(2, 6);
  EXPECT_EQ(FriedmanTest(m.get(), chi2), -1.0);
  EXPECT_EQ(FriedmanTest(nullptr, chi2), -1.0);
}

TEST(GroupTests, MedianTestMatchesScipy) {
  const TDoubleArray a = {3.1, 4.5, 2.2, 5.8, 3.3, 4.0, 6.1, 2.9, 5.2};
  const TDoubleArray b = {5.5, 6.3, 4.8, 7.7, 6.9, 5.1, 4.4, 8.0};
  double c, pc, cy, py, pf;
  ASSERT_EQ(MedianTest(a, b, c, pc, cy, py, pf), kMedianTestOk);
  EXPECT_NEAR(c, kMedianChi2[0].value, 1e-12 * kMedianChi2[0].value);
  EXPECT_NEAR(pc, kMedianChi2P[0].value, 5e-8 * kMedianChi2P[0].value);
  EXPECT_NEAR(cy, kMedianYates[0].value, 1e-12 * kMedianYates[0].value);
  EXPECT_NEAR(py, kMedianYatesP[0].value, 5e-8 * kMedianYatesP[0].value);
  EXPECT_NEAR(pf, kMedianFisher[0].value, 1e-9 * kMedianFisher[0].value);
  EXPECT_EQ(MedianTest(a, {}, c, pc, cy, py, pf), kMedianTestEmpty);
  EXPECT_EQ(pf, -1.0);
  EXPECT_EQ(MedianTest(a, {1.0, std::nan("")}, c, pc, cy, py, pf), kMedianTestNotFinite);
  // All values equal: nothing is above the median, a margin is 0.
  EXPECT_EQ(MedianTest({2, 2, 2}, {2, 2}, c, pc, cy, py, pf), kMedianTestNoYates);
  EXPECT_EQ(cy, 0.0);
}

TEST(GroupTests, HistogramComparisonMergesSparseBins) {
  const TIntArray h1 = {1, 4, 9, 15, 22, 18, 10, 5, 2, 0, 1};
  const TIntArray h2 = {3, 6, 12, 20, 25, 20, 14, 6, 3, 1, 0};
  double chi2 = 0, p = 0;
  int32_t df = 0, n1 = 0, n2 = 0;
  ASSERT_EQ(PerformChi2DistComp(h1, h2, chi2, p, df, n1, n2), kDistCompOk);
  EXPECT_EQ(df, static_cast<int32_t>(kDistComp[0].a));
  EXPECT_NEAR(chi2, kDistComp[0].value, 1e-12 * kDistComp[0].value);
  EXPECT_NEAR(p, kDistCompP[0].value, 5e-8 * kDistCompP[0].value);
  EXPECT_EQ(n1, 87);
  EXPECT_EQ(n2, 110);
  EXPECT_EQ(PerformChi2DistComp(h1, {1, 2}, chi2, p, df, n1, n2), kDistCompSizeDiffers);
  EXPECT_EQ(PerformChi2DistComp({}, {}, chi2, p, df, n1, n2), kDistCompEmpty);
  EXPECT_EQ(PerformChi2DistComp({0, 0}, {1, 2}, chi2, p, df, n1, n2), kDistCompZeroTotal);
  EXPECT_EQ(df, 0);
  // Bins of obs2 = 0 are merged into their left neighbour, never divided
  // by: bins {3 | 6} and {4 + 5 + 2 | 7 + 0 + 0}.
  ASSERT_EQ(PerformChi2DistComp({3, 4, 5, 2}, {6, 7, 0, 0}, chi2, p, df, n1, n2), kDistCompOk);
  const double k1 = std::sqrt(13.0 / 14.0), k2 = std::sqrt(14.0 / 13.0);
  const double expect =
      (k1 * 3 - k2 * 6) * (k1 * 3 - k2 * 6) / 6 + (k1 * 11 - k2 * 7) * (k1 * 11 - k2 * 7) / 7;
  EXPECT_NEAR(chi2, expect, 1e-12 * expect);
  EXPECT_EQ(df, 1);
}

}  // namespace
}  // namespace zel
