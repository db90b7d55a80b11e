// Contingency tables against scipy.stats (chi2_contingency, fisher_exact,
// hypergeom) and scikit-learn's adjusted_rand_score
// (testdata/reference_values.py).
#include <gtest/gtest.h>

#include <cmath>

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

// A table with totals from its cells, given as rows of cells.
TInt2DArray WithTotals(const std::vector<std::vector<int32_t>>& rows) {
  const size_t R = rows.size(), C = rows[0].size();
  TInt2DArray t(C + 1, TIntArray(R + 1, 0));
  for (size_t r = 0; r < R; ++r) {
    for (size_t c = 0; c < C; ++c) {
      t[c][r] = rows[r][c];
      t[C][r] += rows[r][c];
      t[c][R] += rows[r][c];
      t[C][R] += rows[r][c];
    }
  }
  return t;
}

TInt2DArray Table2x2(const RefRow5& r) {
  return WithTotals({{static_cast<int32_t>(r.a), static_cast<int32_t>(r.b)},
                     {static_cast<int32_t>(r.c), static_cast<int32_t>(r.d)}});
}

TEST(ContingencyTables, ChiSquareMatchesScipy) {
  double chi2 = 0, p = 0;
  const TInt2DArray t = WithTotals({{12, 5, 7, 3}, {4, 9, 6, 11}, {8, 2, 10, 5}});
  ASSERT_EQ(Chi2OfContTab(t, chi2, p), kContTabOk);
  EXPECT_NEAR(chi2, kChi2Table[0].value, 1e-12 * kChi2Table[0].value);
  EXPECT_NEAR(p, kChi2TableP[0].value, 5e-8 * kChi2TableP[0].value);
  for (size_t i = 0; i < std::size(kYates); ++i) {
    const TInt2DArray t2 = Table2x2(kYates[i]);
    ASSERT_EQ(Chi2OfContTabYates(t2, chi2, p), kContTabOk);
    EXPECT_NEAR(chi2, kYates[i].value, 1e-12 * kYates[i].value) << i;
    EXPECT_NEAR(p, kYatesP[i].value, 5e-8 * kYatesP[i].value) << i;
  }
}

TEST(ContingencyTables, YatesCorrectionNeverRaisesTheStatistic) {
  // |ad - bc| = 0 < N/2: the unclamped formula gave 0.2, above the plain 0.
  double chi2 = -1, p = -1, plain = -1, pp = -1;
  const TInt2DArray t = WithTotals({{5, 5}, {5, 5}});
  ASSERT_EQ(Chi2OfContTabYates(t, chi2, p), kContTabOk);
  ASSERT_EQ(Chi2OfContTab(t, plain, pp), kContTabOk);
  EXPECT_EQ(chi2, 0.0);
  EXPECT_EQ(p, 1.0);
  EXPECT_EQ(plain, 0.0);
  EXPECT_EQ(Chi2OfContTabYates(WithTotals({{0, 0}, {3, 4}}), chi2, p), kContTabZeroMargin);
  EXPECT_EQ(Chi2OfContTabYates(WithTotals({{1, 2, 3}, {3, 4, 5}}), chi2, p), kContTabBadShape);
}

TEST(ContingencyTables, EmptyOrMalformedTablesFail) {
  double chi2 = 7, p = 7;
  // A grand total of 0 made every expected count 0/0.
  EXPECT_EQ(Chi2OfContTab(WithTotals({{0, 0}, {0, 0}}), chi2, p), kContTabBadShape);
  EXPECT_EQ(chi2, 0.0);
  EXPECT_EQ(p, 0.0);
  EXPECT_EQ(Chi2OfContTab(TInt2DArray{{1, 1}, {1, 1}}, chi2, p), kContTabBadShape);
  TInt2DArray ragged = WithTotals({{1, 2}, {3, 4}});
  ragged[1].pop_back();
  EXPECT_EQ(Chi2OfContTab(ragged, chi2, p), kContTabBadShape);
  EXPECT_EQ(Chi2OfContTabYates(ragged, chi2, p), kContTabBadShape);
}

TEST(FisherExact, MatchesScipyInAllThreeDirections) {
  for (size_t i = 0; i < std::size(kFisherTwo); ++i) {
    double l = 0, r = 0, two = 0, point = 0;
    const TInt2DArray t = Table2x2(kFisherTwo[i]);
    ASSERT_EQ(FisherExactTest(t, l, r, two), kContTabOk);
    EXPECT_NEAR(two, kFisherTwo[i].value, 1e-9 * kFisherTwo[i].value) << i;
    EXPECT_NEAR(l, kFisherLeft[i].value, 1e-9 * kFisherLeft[i].value) << i;
    EXPECT_NEAR(r, kFisherRight[i].value, 1e-9 * kFisherRight[i].value) << i;
    ASSERT_EQ(Prob2x2Contingency(t, point), kContTabOk);
    EXPECT_NEAR(point, kProb2x2[i].value, 1e-9 * kProb2x2[i].value) << i;
  }
}

TEST(FisherExact, ChecksSizeAndSigns) {
  double l = 5, r = 5, two = 5, p = 5;
  // Total 1001 is one above the ln(n!) table.
  EXPECT_EQ(FisherExactTest(WithTotals({{500, 1}, {0, 500}}), l, r, two), kContTabTooLarge);
  EXPECT_EQ(two, 0.0);
  EXPECT_EQ(FisherExactTest(WithTotals({{500, 0}, {0, 500}}), l, r, two), kContTabOk);
  EXPECT_EQ(FisherExactTest(WithTotals({{-1, 3}, {2, 4}}), l, r, two), kContTabNegative);
  EXPECT_EQ(Prob2x2Contingency(WithTotals({{-1, 3}, {2, 4}}), p), kContTabNegative);
  EXPECT_EQ(Prob2x2Contingency(WithTotals({{600, 1}, {0, 400}}), p), kContTabTooLarge);
  EXPECT_EQ(Prob2x2Contingency(WithTotals({{1, 2, 3}, {4, 5, 6}}), p), kContTabBadShape);
  EXPECT_EQ(p, 0.0);
}

TEST(AdjustedRand, MatchesScikitLearnAndHandlesTrivialPartitions) {
  EXPECT_NEAR(AdjustedRandIx(WithTotals({{10, 1, 0}, {2, 8, 3}, {0, 1, 9}})), kARI[0].value, 1e-14);
  EXPECT_DOUBLE_EQ(AdjustedRandIx(WithTotals({{4, 0}, {0, 6}})), 1.0);
  // Everything in one cluster on both sides: 0/0 before, 1 like scikit-learn.
  EXPECT_EQ(AdjustedRandIx(WithTotals({{7}})), 1.0);
  EXPECT_EQ(AdjustedRandIx(WithTotals({{1}})), 0.0);  // N < 2
  EXPECT_EQ(AdjustedRandIx(WithTotals({{0, 0}, {0, 0}})), 0.0);
  EXPECT_TRUE(std::isnan(AdjustedRandIx(WithTotals({{1, -2}, {3, 4}}))));
  EXPECT_TRUE(std::isnan(AdjustedRandIx(TInt2DArray{{1}})));
}

TEST(GoodmanKruskalLambda, BothDirectionsAndDegenerateTables) {
  // Row maxima 30 + 25 + 25 = 80, largest column total 50, N = 120:
  // (80 - 50)/(120 - 50); column maxima 30 + 25 + 25 = 80, largest row
  // total 50: the same.
  double lr = 0, lc = 0;
  const TInt2DArray t = WithTotals({{30, 10, 10}, {15, 25, 0}, {5, 0, 25}});
  ASSERT_EQ(Lambda(t, lr, lc), kContTabOk);
  EXPECT_NEAR(lr, 30.0 / 70.0, 1e-15);
  EXPECT_NEAR(lc, 30.0 / 70.0, 1e-15);
  // One category holds every object: lambda 0, not 0/0.
  ASSERT_EQ(Lambda(WithTotals({{9, 0}, {0, 0}}), lr, lc), kContTabOk);
  EXPECT_EQ(lr, 0.0);
  EXPECT_EQ(lc, 0.0);
  TInt2DArray bad = t;
  bad[3][0] += 1;  // a row total that does not match its cells
  EXPECT_EQ(Lambda(bad, lr, lc), kContTabBadTotals);
  EXPECT_EQ(lr, 0.0);
  EXPECT_EQ(Lambda(TInt2DArray{{1, 1}, {1, 1}}, lr, lc), kContTabLambdaShape);
}

}  // namespace
}  // namespace zel
