// Window filters, the moving kernel filter, ranks, generators, Gaussian
// kernels and the parenthesis checker. Reference values come from
// testdata/filters_reference.py (scipy 1.10).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "num/analysis/analysis_test_impl.hpp"
#include "num/analysis/zel_filters.hpp"

namespace zel {
namespace {

using analysis_test::MakeVector;
using FilterFn = void (*)(const TVector*, int32_t, int32_t, TVector*, int32_t);

// The signal of filters_reference.py.
std::unique_ptr<TVector> Signal() {
  std::vector<double> x;
  for (int i = 1; i <= 60; ++i)
    x.push_back(std::sin(0.37 * i) + 0.3 * std::cos(1.7 * i) + 0.01 * i * i);
  return MakeVector(x);
}

std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EZELMath2Error& e) {
    return e.what();
  }
  return "no exception";
}

TEST(WindowFilters, MovingAverageGivesTheDocumentedExample) {
  auto src = MakeVector({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  auto dst = MakeVector(std::vector<double>(10, -1.0));
  int changes = 0;
  dst->OnChange = [&changes](TObject*) { ++changes; };
  MovingAverageSmooth(src.get(), 0, 99, dst.get(), 3);
  const std::vector<double> want{2, 2, 3, 4, 5, 6, 7, 8, 9, 9};
  for (int i = 1; i <= 10; ++i) EXPECT_DOUBLE_EQ(dst->GetVal(i), want[i - 1]) << i;
  EXPECT_EQ(changes, 1);
  // A sub-range lands at the start of DestVec; reversed bounds are ordered.
  auto dst2 = MakeVector(std::vector<double>(10, -1.0));
  MovingAverageSmooth(src.get(), 8, 3, dst2.get(), 3);
  const std::vector<double> want2{4, 4, 5, 6, 7, 7, -1, -1, -1, -1};
  for (int i = 1; i <= 10; ++i) EXPECT_DOUBLE_EQ(dst2->GetVal(i), want2[i - 1]) << i;
  // In place.
  MovingAverageSmooth(src.get(), 1, 10, src.get(), 3);
  EXPECT_DOUBLE_EQ(src->GetVal(2), 2.0);
  EXPECT_DOUBLE_EQ(src->GetVal(3), 3.0);
}

TEST(WindowFilters, InteriorAgreesWithScipy) {
  auto x = Signal();
  auto y = MakeVector(std::vector<double>(60, 0.0));
  const int pos[3] = {13, 30, 48};
  struct Case {
    FilterFn f;
    int w;
    std::vector<double> want;
    double tol;
  };
  const std::vector<Case> cases{
      {PolynomialSmooth, 7, {0.728736134516293, 7.9933127947115485, 22.133861470157555}, 1e-13},
      {FirstDeriv, 7, {0.28526324712378487, 0.6657273445372706, 1.1013841839503544}, 1e-13},
      {SecondDeriv, 7, {0.13804702162999583, 0.14481899792815534, 0.1325720118595224}, 1e-13},
      {PolynomialSmooth, 25, {1.420882204637915, 8.708366978456938, 22.77568957572177}, 1e-13},
      {FirstDeriv, 25, {0.2596775026449244, 0.5973559285925626, 0.9571975076986503}, 1e-13},
      {SecondDeriv, 25, {0.03823043751794458, 0.03981080303889535, 0.03796458614750828}, 1e-13},
      {MovingMedianSmooth, 5, {0.705984420632426, 8.228093670840146, 22.452584988041515}, 1e-14},
      {MovingAverageSmooth, 5, {0.9168690722421019, 8.103364679568267, 22.219063582522388}, 1e-13},
  };
  for (const auto& c : cases) {
    c.f(x.get(), 1, 60, y.get(), c.w);
    for (int k = 0; k < 3; ++k)
      EXPECT_NEAR(y->GetVal(pos[k]), c.want[k], c.tol) << "W " << c.w << " position " << pos[k];
  }
}

TEST(WindowFilters, GolayTablesMatchSavgolCoeffs) {
  // savgol_coeffs(W, 2, deriv) at the centre and the outermost tap.
  const double centre0[11] = {0.4857142857142856,  0.3333333333333336,  0.25541125541125503,
                              0.207459207459208,   0.17482517482517443, 0.1511312217194578,
                              0.13312693498451952, 0.11897390535161483, 0.10755148741418634,
                              0.0981366459627316,  0.09024154589371969};
  const double edge0[11] = {-0.08571428571428574, -0.09523809523809523,  -0.09090909090909072,
                            -0.08391608391608407, -0.07692307692307668,  -0.07058823529411806,
                            -0.06501547987616069, -0.060150375939849926, -0.05590062111801175,
                            -0.05217391304347754, -0.04888888888888879};
  const double centre2[11] = {-0.28571428571428575,   -0.0952380952380952,   -0.04329004329004327,
                              -0.023310023310023294,  -0.013986013986013951, -0.009049773755656153,
                              -0.006191950464396276,  -0.004422821760283056, -0.003269042170643961,
                              -0.0024844720496894268, -0.0019323671497584577};
  const double edge2[11] = {0.2857142857142856,   0.11904761904761899,   0.0606060606060606,
                            0.03496503496503497,  0.021978021978021976,  0.014705882352941194,
                            0.010319917440660475, 0.0075187969924812035, 0.005646527385657797,
                            0.004347826086956513, 0.0034188034188034192};
  for (int r = 0; r < 11; ++r) {
    const int h = r + 2;
    EXPECT_NEAR(double(GolayPoly[r][1]) / GolayPoly[r][0], centre0[r], 1e-14) << r;
    EXPECT_NEAR(double(GolayPoly[r][h + 1]) / GolayPoly[r][0], edge0[r], 1e-14) << r;
    EXPECT_NEAR(double(Golay2ndDeriv[r][1]) / Golay2ndDeriv[r][0], centre2[r], 1e-14) << r;
    EXPECT_NEAR(double(Golay2ndDeriv[r][h + 1]) / Golay2ndDeriv[r][0], edge2[r], 1e-14) << r;
    for (int k = h + 2; k < 14; ++k) EXPECT_EQ(GolayPoly[r][k], 0);
  }
}

TEST(WindowFilters, FrameChecksComeInOrderWithTheirMessages) {
  struct Case {
    FilterFn f;
    std::string name;
    std::string range;
    std::string word;
  };
  const std::string s = "smoothing is smaller than the length of the smoothing windows";
  const std::vector<Case> cases{
      {MovingAverageSmooth, "MovingAverageSmooth", s, "smoothing window"},
      {MovingMedianSmooth, "MovingMedianSmooth", s, "smoothing window"},
      {WeightedAverageSmooth, "WeightedAverageSmooth", s, "smoothing window"},
      {PolynomialSmooth, "PolynomialSmooth",
       "smoothing is smaller than the length of the polynomial", "polynomial"},
      {FirstDeriv, "FirstDeriv", "calculation is smaller than the length of the polynomial",
       "polynomial"},
      {SecondDeriv, "SecondDeriv", "smoothing is smaller than the length of the polynomial",
       "polynomial"},
  };
  auto big = MakeVector(std::vector<double>(40, 1.0));
  auto small = MakeVector(std::vector<double>(27, 1.0));
  for (const auto& c : cases) {
    EXPECT_EQ(MessageOf([&] { c.f(nullptr, 1, 40, big.get(), 5); }),
              c.name + ": either SourceVec or DestVec is undefined");
    EXPECT_EQ(MessageOf([&] { c.f(big.get(), 1, 40, nullptr, 5); }),
              c.name + ": either SourceVec or DestVec is undefined");
    // The range needs W + 1 elements, and it is checked before the window.
    EXPECT_EQ(MessageOf([&] { c.f(small.get(), 1, 27, small.get(), 27); }),
              c.name + ": specified range for " + c.range);
    EXPECT_EQ(MessageOf([&] { c.f(big.get(), 3, 7, big.get(), 5); }),
              c.name + ": specified range for " + c.range);
    EXPECT_EQ(MessageOf([&] { c.f(big.get(), 0, 0, big.get(), 1); }),
              c.name + ": length of " + c.word + " is out of range");
    EXPECT_EQ(MessageOf([&] { c.f(big.get(), 0, 0, big.get(), -3); }),
              c.name + ": length of " + c.word + " is out of range");
    EXPECT_EQ(MessageOf([&] { c.f(big.get(), 0, 0, big.get(), 6); }),
              c.name + ": length of " + c.word + " must be odd");
    EXPECT_EQ(MessageOf([&] { c.f(big.get(), 1, 6, big.get(), 5); }), "no exception");
  }
  // Savitzky-Golay windows stop at 25, which shows from 28 elements on;
  // moving windows have no upper bound.
  auto v28 = MakeVector(std::vector<double>(28, 2.0));
  EXPECT_EQ(MessageOf([&] { PolynomialSmooth(v28.get(), 1, 28, v28.get(), 27); }),
            "PolynomialSmooth: length of polynomial is out of range");
  MovingAverageSmooth(v28.get(), 1, 28, v28.get(), 27);
  EXPECT_DOUBLE_EQ(v28->GetVal(28), 2.0);
  EXPECT_EQ(MessageOf([&] { MovingAverageSmooth(v28.get(), 1, 28, v28.get(), 4); }),
            "MovingAverageSmooth: length of smoothing window must be odd");
}

TEST(WindowFilters, NaNAndLargeValuesPropagateOrSurvive) {
  std::vector<double> v(12, 1e300);
  v[5] = std::numeric_limits<double>::quiet_NaN();
  auto x = MakeVector(v);
  auto y = MakeVector(std::vector<double>(12, 0.0));
  for (FilterFn f :
       {MovingAverageSmooth, MovingMedianSmooth, WeightedAverageSmooth, PolynomialSmooth}) {
    f(x.get(), 1, 12, y.get(), 5);
    EXPECT_TRUE(std::isnan(y->GetVal(6)));
    EXPECT_TRUE(std::isnan(y->GetVal(8)));   // window 4..8 holds the NaN
    EXPECT_DOUBLE_EQ(y->GetVal(10), 1e300);  // sums of 1e300 do not overflow
  }
  // Ties: the median of equal values is that value.
  auto ties = MakeVector({2, 2, 2, 7, 2, 2, 2, 2});
  MovingMedianSmooth(ties.get(), 1, 8, y.get(), 5);
  EXPECT_DOUBLE_EQ(y->GetVal(4), 2.0);
  // Triangular weights: 1, 2, 3, 2, 1 over 9.
  auto delta = MakeVector({0, 0, 0, 0, 9, 0, 0, 0, 0, 0});
  WeightedAverageSmooth(delta.get(), 1, 10, y.get(), 5);
  EXPECT_DOUBLE_EQ(y->GetVal(4), 2.0);
  EXPECT_DOUBLE_EQ(y->GetVal(5), 3.0);
  EXPECT_DOUBLE_EQ(y->GetVal(7), 1.0);
}

TEST(MovingKernelFilter, RepeatsEdgeValuesAndResizesDest) {
  auto x = MakeVector({1, 2, 4, 8, 16, 32, 64});
  auto kern = MakeVector({1, 10, 100});
  auto y = MakeVector({-1});
  MovingKernelFilter(x.get(), 2, 6, y.get(), kern.get());
  ASSERT_EQ(y->GetNrOfElem(), 7);
  // i = 2: x[2], x[2], x[3] (edge repeated) -> 2 + 20 + 400.
  EXPECT_DOUBLE_EQ(y->GetVal(1), 422.0);
  EXPECT_DOUBLE_EQ(y->GetVal(2), 2 + 40 + 800.0);
  EXPECT_DOUBLE_EQ(y->GetVal(5), 16 + 320 + 3200.0);  // i = 6: x[5], x[6], x[6]
  EXPECT_DOUBLE_EQ(y->GetVal(6), 0.0);
  // An even kernel reaches one further to the left than to the right.
  auto k2 = MakeVector({1, 0, 0, 0});
  MovingKernelFilter(x.get(), 1, 7, y.get(), k2.get());
  EXPECT_DOUBLE_EQ(y->GetVal(5), 4.0);  // i = 5 reads x[5 + 1 - 1 - 2]
  EXPECT_EQ(MessageOf([&] { MovingKernelFilter(x.get(), 1, 3, y.get(), kern.get()); }),
            "MovingKernelfilter: specified range for smoothing is smaller than the length of the "
            "kernel");
  EXPECT_EQ(MessageOf([&] { MovingKernelFilter(x.get(), 1, 7, y.get(), nullptr); }),
            "MovingKernelfilter: SourceVec, DestVec and/or FilterKernel is undefined");
}

TEST(Ranks, AverageTiesAndTieTerm) {
  auto d = MakeVector({3.0, 1.0, 4.0, 1.0, 5.0, 9.0, 2.0, 6.0, 5.0, 3.0, 5.0});
  auto r = MakeVector({0});
  const double want[11] = {4.5, 1.5, 6.0, 1.5, 8.0, 11.0, 3.0, 10.0, 8.0, 4.5, 8.0};  // rankdata
  // Groups of 2, 2 and 3: 6 + 6 + 24.
  EXPECT_DOUBLE_EQ(CalcRanks(d.get(), r.get()), 36.0);
  ASSERT_EQ(r->GetNrOfElem(), 11);
  for (int i = 0; i < 11; ++i) EXPECT_DOUBLE_EQ(r->GetVal(i + 1), want[i]);
  EXPECT_DOUBLE_EQ(CalcRanks(d.get(), d.get()), 36.0);  // in place
  EXPECT_DOUBLE_EQ(d->GetVal(6), 11.0);
  auto n = MakeVector({1.0, std::numeric_limits<double>::quiet_NaN(), 0.5});
  EXPECT_TRUE(std::isnan(CalcRanks(n.get(), r.get())));
  EXPECT_TRUE(std::isnan(r->GetVal(1)));
  EXPECT_EQ(CalcRanks(nullptr, r.get()), 0.0);
}

TEST(Generators, PeaksGaussAndSigmoid) {
  TDoubleArray data(9, 5.0);
  EXPECT_EQ(CreateGaussianPeaks({}, data), kGenNoPeaks);
  TDoubleArray two(2, 5.0);
  EXPECT_EQ(CreateGaussianPeaks({{1, 1, 1}}, two), kGenDataTooSmall);
  EXPECT_EQ(CreateGaussianPeaks({{3, 2, 1}, {5, 0, 1}}, data), kGenBadPeakWidth);
  EXPECT_EQ(data[0], 5.0);
  ASSERT_EQ(CreateGaussianPeaks({{3, 2, 4}, {7.5, 0.5, 1}}, data), kGenOk);
  EXPECT_DOUBLE_EQ(data[2], 4.0 + std::exp(-81.0));
  EXPECT_DOUBLE_EQ(data[4], 4.0 * std::exp(-1.0) + std::exp(-25.0));
  EXPECT_DOUBLE_EQ(data[7], 4.0 * std::exp(-6.25) + std::exp(-1.0));

  TDouble2DArray g(4, TDoubleArray(3, 0.0));
  EXPECT_EQ(Gauss2D(2, 2, 0.0, 1.0, g), kGenBadWidth);
  TDouble2DArray ragged{{1, 2}, {1}};
  EXPECT_EQ(Gauss2D(2, 2, 1.0, 1.0, ragged), kGenDataTooSmall);
  ASSERT_EQ(Gauss2D(2, 3, 2.0, 10.0, g), kGenOk);
  EXPECT_DOUBLE_EQ(g[1][2], 10.0);
  EXPECT_DOUBLE_EQ(g[3][0], 10.0 * std::exp(-(4.0 + 4.0) / 4.0));
  // A tiny width is a sharp peak, not 0/0 at the centre.
  ASSERT_EQ(Gauss2D(2, 3, 1e-160, 1.0, g), kGenOk);
  EXPECT_EQ(g[1][2], 1.0);
  EXPECT_EQ(g[0][2], 0.0);

  TDoubleArray s(5, 0.0);
  ASSERT_EQ(CreateSigmoidArray(s, 1000.0, 1.0, 2.0, 3), kGenOk);
  EXPECT_DOUBLE_EQ(s[0], 1.0);  // exp(2000) overflows to infinity: the offset
  EXPECT_DOUBLE_EQ(s[2], 2.0);
  EXPECT_DOUBLE_EQ(s[4], 3.0);
  EXPECT_EQ(CreateSigmoidArray(two, 1, 0, 1, 1), kGenTooShort);
  EXPECT_STREQ(GeneratorStatusText(kGenBadPeakWidth), "a peak width is not positive");
}

TEST(GaussKernel, ScaleSafeCappedAndNaN) {
  auto a = MakeVector({1.0, 2.0, 3.0});
  auto b = MakeVector({1.0, 2.5, 3.0});
  EXPECT_DOUBLE_EQ(CalcGaussKernel(a.get(), b.get(), 0.5), std::exp(-1.0));
  auto c = MakeVector({1e200, 0.0});
  auto d = MakeVector({0.0, 0.0});
  EXPECT_DOUBLE_EQ(CalcGaussKernel(c.get(), d.get(), 1e200), std::exp(-1.0));
  auto e = MakeVector({1e-170, 0.0});
  EXPECT_DOUBLE_EQ(CalcGaussKernel(e.get(), d.get(), 1e-170), std::exp(-1.0));
  EXPECT_DOUBLE_EQ(CalcGaussKernel(a.get(), d.get(), 0.1), std::exp(-20.0));  // capped
  EXPECT_DOUBLE_EQ(CalcGaussKernel(a.get(), a.get(), 0.0), 1.0);
  auto n = MakeVector({std::numeric_limits<double>::quiet_NaN(), 2.0, 3.0});
  EXPECT_TRUE(std::isnan(CalcGaussKernel(n.get(), b.get(), 100.0)));
  auto m = analysis_test::RowsMatrix(3, {0, 0, 0, 1.0, 2.5, 3.0});
  EXPECT_DOUBLE_EQ(CalcGaussKernelMat(a.get(), m.get(), 2, 0.5), std::exp(-1.0));
  EXPECT_EQ(CalcGaussKernelMat(a.get(), nullptr, 2, 0.5), 0.0);
}

TEST(Parentheses, CountsAndFirstUnmatchedPosition) {
  EXPECT_EQ(CheckParanthInExp(""), 0);
  EXPECT_EQ(CheckParanthInExp("(a+(b))*c"), 0);
  EXPECT_EQ(CheckParanthInExp("(a)(b"), 1);
  EXPECT_EQ(CheckParanthInExp("a)("), -2);
  EXPECT_EQ(CheckParanthInExp("(()))("), -5);
  EXPECT_EQ(CheckParanthInExp("(((("), 4);
}

}  // namespace
}  // namespace zel
