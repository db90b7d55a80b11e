#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "core/zel_random.hpp"
#include "num/arrays/zel_openarrays.hpp"

namespace zel {
namespace {

TEST(FillArray, WholeAndRangedFills) {
  TDouble3DArray a(2, TDouble2DArray(3, TDoubleArray(4, 0.0)));
  ASSERT_EQ(FillArray(a, 1, 1, 2, 1, 2, 3, 5.0), 0);
  EXPECT_EQ(a[1][1][2], 5.0);
  EXPECT_EQ(a[1][2][3], 5.0);
  EXPECT_EQ(a[1][1][1], 0.0);
  EXPECT_EQ(a[0][1][2], 0.0);
  EXPECT_EQ(FillArray(a, 0, 0, 0, 1, 3, 3, 1.0), -2);  // second dimension has 3
  EXPECT_EQ(FillArray(a, 1, 0, 0, 0, 0, 0, 1.0), -2);  // reversed
  ASSERT_EQ(FillArray(a, -2.0), 0);
  EXPECT_EQ(a[1][2][3], -2.0);
  TInt4DArray b(1, TInt3DArray(1, TInt2DArray(2, TIntArray(2, 0))));
  ASSERT_EQ(FillArray(b, 0, 0, 1, 0, 0, 0, 1, 1, 9), 0);
  EXPECT_EQ(b[0][0][1], (TIntArray{9, 9}));
  EXPECT_EQ(b[0][0][0], (TIntArray{0, 0}));
  TBool2DArray m(2, TBoolArray(2));
  ASSERT_EQ(FillArray(m, 7), 0);  // stored as 1
  EXPECT_EQ(m[1][1], 1);
  ASSERT_EQ(FillArray(m, 0, 1, 1, 1, 0), 0);
  EXPECT_EQ(m, (TBool2DArray{{1, 0}, {1, 0}}));
  TIntArray e;
  EXPECT_EQ(FillArray(e, 1), -1);
  TInt2DArray ragged{{1}, {2, 3}};
  EXPECT_EQ(FillArray(ragged, 0), -2);
}

TEST(FillArraySerial, StorageOrderIsColumnByColumn) {
  TDouble2DArray a(2, TDoubleArray(3));
  ASSERT_EQ(FillArraySerial(a, 1.0, 0.5), 0);
  EXPECT_EQ(a, (TDouble2DArray{{1, 1.5, 2}, {2.5, 3, 3.5}}));
  TInt3DArray b(2, TInt2DArray(2, TIntArray(2)));
  ASSERT_EQ(FillArraySerial(b), 0);
  EXPECT_EQ(b[1][0][1], 5);
  EXPECT_EQ(b[1][1][1], 7);
  TIntArray w(3);
  ASSERT_EQ(FillArraySerial(w, std::numeric_limits<int32_t>::max(), 1), 0);
  EXPECT_EQ(w[1], std::numeric_limits<int32_t>::min());  // wraps
  TDoubleArray e;
  EXPECT_EQ(FillArraySerial(e), -1);
}

TEST(FillDiagArray, NeedsEqualDimensions) {
  TDouble2DArray a(3, TDoubleArray(3, 7.0));
  ASSERT_EQ(FillDiagArray(a, 2.0), 0);
  EXPECT_EQ(a, (TDouble2DArray{{2, 0, 0}, {0, 2, 0}, {0, 0, 2}}));
  TInt3DArray c(2, TInt2DArray(2, TIntArray(2, 5)));
  ASSERT_EQ(FillDiagArray(c, 1), 0);
  EXPECT_EQ(c[1][1][1], 1);
  EXPECT_EQ(c[0][0][0], 1);
  EXPECT_EQ(c[1][1][0], 0);
  TInt4DArray d(2, TInt3DArray(2, TInt2DArray(2, TIntArray(2, 5))));
  ASSERT_EQ(FillDiagArray(d, 3), 0);
  EXPECT_EQ(d[1][1][1][1], 3);
  EXPECT_EQ(d[1][1][0][1], 0);
  TDouble2DArray r(2, TDoubleArray(3));
  EXPECT_EQ(FillDiagArray(r, 1.0), -2);
  TDouble2DArray e;
  EXPECT_EQ(FillDiagArray(e, 1.0), -1);
}

TEST(FillArrayMasked, FalseCellsReceiveTheValue) {
  TInt2DArray a{{1, 2}, {3, 4}};
  EXPECT_EQ(FillArrayMasked(a, 0, TBool2DArray{{1, 0}, {0, 1}}), 2);
  EXPECT_EQ(a, (TInt2DArray{{1, 0}, {0, 4}}));
  EXPECT_EQ(FillArrayMasked(a, 9, TBool2DArray{}), 4);
  EXPECT_EQ(a, (TInt2DArray{{9, 9}, {9, 9}}));
  EXPECT_EQ(FillArrayMasked(a, 9, TBool2DArray{{1}}), -1);
  TDouble2DArray e;
  EXPECT_EQ(FillArrayMasked(e, 1.0, TBool2DArray{}), -2);
}

TEST(RandomFills, UniformDoublesStayInRangeAndEveryCallReseeds) {
  TDouble2DArray a(4, TDoubleArray(5000));
  SetRandSeed(12345);
  ASSERT_EQ(FillRandomUniform(a, -2.0, 3.0), 0);
  EXPECT_NE(GetRandSeed(), 12345u);  // the caller's seed is replaced
  double lo = 10, hi = -10, sum = 0;
  for (const auto& col : a)
    for (const double x : col) {
      lo = std::min(lo, x);
      hi = std::max(hi, x);
      sum += x;
    }
  EXPECT_GE(lo, -2.0);
  EXPECT_LT(hi, 3.0);
  EXPECT_NEAR(sum / 20000, 0.5, 0.05);  // mean of U(-2, 3); sd of the mean ~0.01
  // Two calls in quick succession (same clock tick possible) still differ,
  // even when the caller sets the same seed before each.
  TDoubleArray x(8), y(8);
  SetRandSeed(1);
  ASSERT_EQ(FillRandomUniform(x, 0.0, 1.0), 0);
  SetRandSeed(1);
  ASSERT_EQ(FillRandomUniform(y, 0.0, 1.0), 0);
  EXPECT_NE(x, y);
  EXPECT_EQ(FillRandomUniform(x, 1.0, 0.0), -2);
  EXPECT_EQ(FillRandomUniform(x, std::nan(""), 0.0), -2);
  TDoubleArray e;
  EXPECT_EQ(FillRandomUniform(e, 0.0, 1.0), -1);
}

TEST(RandomFills, NormalFillHasRequestedMoments) {
  TDouble3DArray a(2, TDouble2DArray(5, TDoubleArray(4000)));
  ASSERT_EQ(FillRandomNormal(a, 10.0, 2.0), 0);
  double m = 0, v = 0;
  ASSERT_EQ(MeanVarArray(a[0], 0, 0, 4, 3999, m, v), 0);
  EXPECT_NEAR(m, 10.0, 0.1);  // sd of the mean 2/sqrt(20000) ~ 0.014
  EXPECT_NEAR(std::sqrt(v), 2.0, 0.1);
  EXPECT_EQ(FillRandomNormal(a, 0.0, -1.0), -2);
  ASSERT_EQ(FillRandomNormal(a, 5.0, 0.0), 0);
  EXPECT_EQ(a[1][4][3999], 5.0);
}

TEST(RandomFills, IntegerUniformRunsFromLowToHighMinusOne) {
  TInt2DArray a(2, TIntArray(3000));
  ASSERT_EQ(FillRandomUniform(a, -2, 3), 0);
  std::set<int32_t> seen;
  for (const auto& col : a) seen.insert(col.begin(), col.end());
  EXPECT_EQ(seen, (std::set<int32_t>{-2, -1, 0, 1, 2}));
  ASSERT_EQ(FillRandomUniform(a, 4, 4), 0);
  EXPECT_EQ(a[1][2999], 4);
  EXPECT_EQ(FillRandomUniform(a, 4, 3), -2);
  // The full int32 span must neither overflow nor collapse.
  TIntArray w(1000);
  ASSERT_EQ(FillRandomUniform(w, std::numeric_limits<int32_t>::min(),
                              std::numeric_limits<int32_t>::max()),
            0);
  EXPECT_LT(*std::min_element(w.begin(), w.end()), -1000000000);
  EXPECT_GT(*std::max_element(w.begin(), w.end()), 1000000000);
}

TEST(RandomFills, IntegerFillWithoutDuplicatesGivesDistinctValues) {
  TIntArray a(5);
  EXPECT_EQ(FillRandomUniform(a, 1, 3, false), -3);
  EXPECT_EQ(FillRandomUniform(a, 0, 2000000, false), -4);
  EXPECT_EQ(FillRandomUniform(a, 3, 1, true), -2);
  ASSERT_EQ(FillRandomUniform(a, 10, 14, false), 0);
  std::set<int32_t> s(a.begin(), a.end());
  EXPECT_EQ(s, (std::set<int32_t>{10, 11, 12, 13, 14}));
  TIntArray b(2000);
  ASSERT_EQ(FillRandomUniform(b, 0, 2, true), 0);
  std::set<int32_t> d(b.begin(), b.end());
  EXPECT_EQ(d, (std::set<int32_t>{0, 1, 2}));  // high included
  TIntArray w(100);
  ASSERT_EQ(FillRandomUniform(w, std::numeric_limits<int32_t>::min(),
                              std::numeric_limits<int32_t>::max(), true),
            0);
  TIntArray e;
  EXPECT_EQ(FillRandomUniform(e, 0, 5, true), -1);
}

// Draws without repetition must be uniform over ordered choices: for n
// values from a span of m there are m!/(m - n)! outcomes of equal
// probability. The fill reseeds from the clock on every call, so the draws
// cannot be fixed by a seed; the chi-square bound is the quantile of upper
// tail 1e-9 (computed from the regularized incomplete gamma function), so a
// correct fill fails one case in a billion runs. A Sattolo-based draw gives
// zero counts for every outcome with a[i] = low + i and a statistic in the
// thousands.
TEST(RandomFills, DrawWithoutRepetitionIsUniformOverOrderedChoices) {
  struct Case {
    int32_t low, high;
    size_t n;
    double bound;  // chi-square quantile, upper tail 1e-9, outcomes - 1 df
  };
  const Case cases[] = {
      {0, 1, 2, 37.32},   // 2 outcomes, 1 df
      {1, 3, 3, 50.69},   // 6 permutations, 5 df
      {1, 4, 2, 65.17},   // 12 ordered pairs, 11 df
      {-2, 2, 2, 81.56},  // 20 ordered pairs, 19 df
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.low);
    std::map<TIntArray, int> counts;
    int outcomes = 1;  // m!/(m - n)!
    for (size_t i = 0; i < c.n; ++i) outcomes *= c.high - c.low + 1 - static_cast<int>(i);
    const int draws = 500 * outcomes;
    TIntArray a(c.n);
    for (int d = 0; d < draws; ++d) {
      ASSERT_EQ(FillRandomUniform(a, c.low, c.high, false), 0);
      ++counts[a];
    }
    ASSERT_LE(counts.size(), static_cast<size_t>(outcomes));
    const double expected = static_cast<double>(draws) / outcomes;
    double chi2 = (outcomes - static_cast<double>(counts.size())) * expected;  // unseen ones
    for (const auto& [tuple, k] : counts) {
      EXPECT_EQ(std::set<int32_t>(tuple.begin(), tuple.end()).size(), c.n);
      chi2 += (k - expected) * (k - expected) / expected;
    }
    EXPECT_LT(chi2, c.bound) << counts.size() << " of " << outcomes << " outcomes seen";
  }
}

// Each element is uniform over the whole span, its own "home" value
// included: with n = 3 from 0..9, position i holds i with probability 1/10.
TEST(RandomFills, DrawWithoutRepetitionReachesEveryValueAtEveryPosition) {
  constexpr int kDraws = 20000;
  int home[3] = {0, 0, 0};
  TIntArray a(3);
  for (int d = 0; d < kDraws; ++d) {
    ASSERT_EQ(FillRandomUniform(a, 0, 9, false), 0);
    for (int i = 0; i < 3; ++i) home[i] += a[static_cast<size_t>(i)] == i;
  }
  // Binomial(20000, 0.1): mean 2000, sd 42.4; +-300 is more than 7 sd.
  for (const int h : home) EXPECT_NEAR(h, 2000, 300);
}

}  // namespace
}  // namespace zel
