// Shapiro-Wilk against scipy.stats.shapiro (single precision there;
// testdata/reference_values.py).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <span>

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

TDoubleArray Column(std::span<const RefRow4> rows) {
  TDoubleArray v;
  for (const RefRow4& r : rows) v.push_back(r.a);
  return v;
}

TEST(ShapiroWilk, MatchesScipyFromThreeToOneHundredValues) {
  const TDoubleArray sets[] = {Column(kShapiroData0), Column(kShapiroData1), Column(kShapiroData2),
                               Column(kShapiroData3), Column(kShapiroData4)};
  for (size_t i = 0; i < std::size(sets); ++i) {
    double W = 0, p = 0;
    ASSERT_EQ(ShapiroWilkTest(sets[i], 0, W, p), kShapiroOk) << i;
    EXPECT_EQ(static_cast<double>(sets[i].size()), kShapiroW[i].b);
    EXPECT_NEAR(W, kShapiroW[i].value, 2e-6) << "set " << i;
    EXPECT_NEAR(p, kShapiroP[i].value, 2e-5 * kShapiroP[i].value + 1e-7) << "set " << i;
  }
}

TEST(ShapiroWilk, UsesTheFirstNValuesAndRejectsBadInput) {
  const TDoubleArray d = Column(kShapiroData2);
  double W = 0, p = 0, W7 = 0, p7 = 0;
  ASSERT_EQ(ShapiroWilkTest(d, 7, W, p), kShapiroOk);
  ASSERT_EQ(ShapiroWilkTest(Column(kShapiroData1), 0, W7, p7), kShapiroOk);
  EXPECT_EQ(W, W7);  // the 15-value set starts with the 7-value one
  auto v = std::make_unique<TVector>(nullptr);
  v->Resize(static_cast<int32_t>(d.size()));
  for (size_t i = 0; i < d.size(); ++i) v->SetVal(static_cast<int32_t>(i + 1), d[i]);
  double Wv = 0, pv = 0;
  ASSERT_EQ(ShapiroWilkTest(*v, 0, Wv, pv), kShapiroOk);
  EXPECT_NEAR(Wv, kShapiroW[2].value, 2e-6);
  EXPECT_EQ(v->GetVal(1), d[0]);  // not sorted
  EXPECT_EQ(ShapiroWilkTest({1.0, 2.0}, 0, W, p), kShapiroBadCount);
  EXPECT_EQ(W, 0.0);
  EXPECT_EQ(ShapiroWilkTest({1.0, 2.0, NAN, 4.0}, 0, W, p), kShapiroNotFinite);
  EXPECT_EQ(ShapiroWilkTest(TDoubleArray(10, 3.0), 0, W, p), kShapiroConstant);
  EXPECT_EQ(ShapiroWilkIntegral(0.9, 2), -1.0);
  EXPECT_EQ(ShapiroWilkIntegral(1.5, 10), -1.0);
  EXPECT_EQ(ShapiroWilkIntegral(1.0, 20), 1.0);
  // n = 3: W = 3/4 is the smallest possible value, p = 0.
  EXPECT_EQ(ShapiroWilkIntegral(0.75, 3), 0.0);
}

}  // namespace
}  // namespace zel
