#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "num/analysis/analysis_test_impl.hpp"
#include "num/analysis/zel_math2.hpp"

namespace zel {
namespace {

using analysis_test::MakeVector;
using analysis_test::Points;
using analysis_test::RowsMatrix;

TEST(SVDLeastSquares, MatchesNumpyLstsqWithScaleFactors) {
  const TDoubleArray xs{0, 1, 2, 3, 4, 5};
  TDouble2DArray a(3);
  for (double x : xs) {
    a[0].push_back(1.0);
    a[1].push_back(x);
    a[2].push_back(x * x);
  }
  const TDoubleArray y{1.1, 2.9, 9.2, 19.1, 32.8, 51.2};
  TDoubleArray coef, scale;
  bool nearSingular = true;
  ASSERT_TRUE(SVDLeastSquares(a, y, coef, scale, nearSingular));
  EXPECT_FALSE(nearSingular);
  // numpy.linalg.lstsq and sqrt(sum_j V_ij^2 / w_j^2) from numpy.linalg.svd
  // (testdata/reference_values.py).
  const TDoubleArray wantCoef{1.078571428571442, -0.050714285714289487, 2.0107142857142843};
  const TDoubleArray wantScale{0.9063269671749633, 0.852517280930841, 0.16366341767699427};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_NEAR(coef[i], wantCoef[i], 1e-13);
    EXPECT_NEAR(scale[i], wantScale[i], 1e-14);
  }
}

TEST(SVDLeastSquares, DependentAndWideDesigns) {
  // Two equal columns: one singular value is zeroed, the solution splits
  // the weight evenly and no scale factor divides by zero.
  TDouble2DArray a{{1, 1, 1, 1}, {1, 2, 3, 4}, {1, 2, 3, 4}};
  const TDoubleArray y{3, 5, 7, 9};  // 1 + 2 x
  TDoubleArray coef, scale;
  bool nearSingular = false;
  ASSERT_TRUE(SVDLeastSquares(a, y, coef, scale, nearSingular));
  EXPECT_TRUE(nearSingular);
  EXPECT_NEAR(coef[0], 1.0, 1e-12);
  EXPECT_NEAR(coef[1], 1.0, 1e-12);
  EXPECT_NEAR(coef[2], 1.0, 1e-12);
  for (double s : scale) EXPECT_TRUE(std::isfinite(s));

  // More terms than equations: an exact (minimum-norm) solution.
  TDouble2DArray wide{{1, 0}, {0, 1}, {1, 1}};
  ASSERT_TRUE(SVDLeastSquares(wide, {3, 6}, coef, scale, nearSingular));
  ASSERT_EQ(coef.size(), 3u);
  EXPECT_NEAR(coef[0] + coef[2], 3.0, 1e-12);
  EXPECT_NEAR(coef[1] + coef[2], 6.0, 1e-12);
  EXPECT_NEAR(coef[0], 0.0, 1e-12);  // minimum norm: (0, 3, 3)
  EXPECT_NEAR(coef[2], 3.0, 1e-12);
}

TEST(SVDLeastSquares, RejectsBadShapesAndNonFiniteInput) {
  TDoubleArray coef{9}, scale{9};
  bool nearSingular = true;
  EXPECT_FALSE(SVDLeastSquares({{1, 2}, {1}}, {1, 2}, coef, scale, nearSingular));
  EXPECT_TRUE(coef.empty());
  EXPECT_FALSE(nearSingular);
  EXPECT_FALSE(SVDLeastSquares({{1, 2}}, {1, 2, 3}, coef, scale, nearSingular));
  EXPECT_FALSE(SVDLeastSquares({}, {}, coef, scale, nearSingular));
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(SVDLeastSquares({{1, inf}, {0, 1}}, {1, 2}, coef, scale, nearSingular));
  EXPECT_FALSE(SVDLeastSquares({{1, 0}, {0, 1}}, {1, std::nan("")}, coef, scale, nearSingular));
}

// numpy.linalg.pinv(a, rcond=max(a.shape) * 1.2e-16), testdata/reference_values.py.
TEST(PseudoInverse, MatchesNumpyPinvForTallAndWideMatrices) {
  auto tall = RowsMatrix(3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 0, 1});
  TMatrix p(nullptr);
  ASSERT_TRUE(PseudoInverse(tall.get(), &p, 0.0));
  ASSERT_EQ(p.GetNrOfColumns(), 4);
  ASSERT_EQ(p.GetNrOfRows(), 3);
  const std::vector<double> pt{-0.5833333333333336, -0.1666666666666666,  0.2499999999999999,
                               0.4999999999999998,  -0.16666666666666666, -2.2524407271399084e-16,
                               0.1666666666666669,  -1.0000000000000004,  0.5833333333333337,
                               0.1666666666666669,  -0.25000000000000017, 0.5000000000000007};
  for (int32_t i = 0; i < 12; ++i)
    EXPECT_NEAR(p.GetVal(i % 4 + 1, i / 4 + 1), pt[size_t(i)], 1e-13) << i;

  auto wide = RowsMatrix(5, {2, -1, 0, 1, 3, 1, 1, 1, 0, -2, 0.5, 0, 2, 1, 1});
  ASSERT_TRUE(PseudoInverse(wide.get(), wide.get(), 0.0));  // into itself
  ASSERT_EQ(wide->GetNrOfColumns(), 3);
  ASSERT_EQ(wide->GetNrOfRows(), 5);
  const std::vector<double> pw{0.34430379746835466,   0.40506329113924067,  -0.22784810126582286,
                               -0.032911392405063314, 0.11814345991561188,  0.016877637130801627,
                               -0.13924050632911397,  0.012658227848101125, 0.43037974683544306,
                               0.020253164556962078,  0.004219409282700381, 0.14345991561181434,
                               0.08607594936708879,   -0.23206751054852323, 0.109704641350211};
  for (int32_t i = 0; i < 15; ++i)
    EXPECT_NEAR(wide->GetVal(i % 3 + 1, i / 3 + 1), pw[size_t(i)], 1e-13) << i;
}

TEST(PseudoInverse, ThresholdDropsSmallSingularValuesAndNaNFails) {
  // diag(4, 1e-3): a threshold of 0.01 drops the second direction.
  auto d = RowsMatrix(2, {4, 0, 0, 1e-3});
  TMatrix p(nullptr);
  ASSERT_TRUE(PseudoInverse(d.get(), &p, 0.01));
  EXPECT_EQ(p.GetVal(1, 1), 0.25);
  EXPECT_EQ(p.GetVal(2, 2), 0.0);
  ASSERT_TRUE(PseudoInverse(d.get(), &p, 0.0));
  EXPECT_NEAR(p.GetVal(2, 2), 1000.0, 1e-9);
  // The zero matrix inverts to zeros (no division by a zero singular value).
  ASSERT_TRUE(PseudoInverse(RowsMatrix(2, {0, 0, 0, 0}).get(), &p, -1.0));
  EXPECT_EQ(p.GetVal(1, 1), 0.0);
  p.Fill(7.0);
  EXPECT_FALSE(PseudoInverse(RowsMatrix(2, {1, std::nan(""), 0, 1}).get(), &p, 0.0));
  EXPECT_EQ(p.GetVal(1, 1), 7.0);
  EXPECT_FALSE(PseudoInverse(nullptr, &p, 0.0));
}

TEST(MahalanobisDistance, MatchesScipyAndRaisesTheVectorErrors) {
  // scipy.spatial.distance.mahalanobis(u1, u2, inv(cov(points))).
  auto data = RowsMatrix(3, Points());
  TMatrix cov(nullptr);
  cov.Resize(3, 3);
  ASSERT_TRUE(CalcCovar(data.get(), &cov, 0, 0, 0, 0, 1));
  ASSERT_TRUE(cov.Invert());
  auto u1 = MakeVector({0.5, 1.0, -0.5});
  auto u2 = MakeVector({3.0, 2.0, 1.0});
  EXPECT_NEAR(MahalanobisDistance(u1.get(), u2.get(), &cov), 1.257471682827106, 1e-13);
  EXPECT_EQ(MahalanobisDistance(u1.get(), u1.get(), &cov), 0.0);

  auto expectError = [](const TVector* a, const TVector* b, const TMatrix* m, const char* text) {
    try {
      MahalanobisDistance(a, b, m);
      ADD_FAILURE() << "no exception for " << text;
    } catch (const EZELVectorError& e) {
      EXPECT_STREQ(e.what(), text);
    }
  };
  auto two = MakeVector({1.0, 2.0});
  expectError(u1.get(), two.get(), &cov, "MahalanobisDistance: dimensions of vectors do not match");
  expectError(u1.get(), u2.get(), RowsMatrix(3, {1, 0, 0, 0, 1, 0}).get(),
              "MahalanobisDistance: inverse covariance matrix is not quadratric");
  expectError(u1.get(), u2.get(), RowsMatrix(2, {1, 0, 0, 1}).get(),
              "MahalanobisDistance: dimension of vectors and inverse covariance matrix do not "
              "match");
  expectError(two.get(), MakeVector({0.0, 0.0}).get(), RowsMatrix(2, {-1, 0, 0, -1}).get(),
              "MahalanobisDistance: the inverse covariance matrix must be symmetric and positive "
              "definite");
  EXPECT_TRUE(std::isnan(MahalanobisDistance(MakeVector({std::nan(""), 0.0}).get(), two.get(),
                                             RowsMatrix(2, {1, 0, 0, 1}).get())));
  EXPECT_EQ(MahalanobisDistance(nullptr, two.get(), &cov), 0.0);
}

}  // namespace
}  // namespace zel
