#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

#include "num/analysis/analysis_test_impl.hpp"
#include "num/analysis/zel_math2.hpp"

namespace zel {
namespace {

using analysis_test::Points;
using analysis_test::ProgressReset;
using analysis_test::RowsMatrix;

std::unique_ptr<TMatrix> Square(int32_t n, double fill) {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(n, n);
  m->Fill(fill);
  return m;
}

// The symmetric 5 x 5 matrix of testdata/reference_values.py (row by row).
std::unique_ptr<TMatrix> Sym5() {
  return RowsMatrix(
      5, {-0.88, 1.75,  -1.45, -1.16, -0.77, 1.75, 1.44,  -1.64, 0.26, 0.77,  -1.45, -1.64, -1.04,
          -2.03, -0.61, -1.16, 0.26,  -2.03, 5.96, -1.62, -0.77, 0.77, -0.61, -1.62, 0.8});
}

// Compares eigenvector ix of the store with want (up to sign).
void ExpectEigenvector(int32_t ix, const std::vector<double>& want, double tol) {
  const double sign = GetEigenResult(ix, 1) * want[0] < 0 ? -1.0 : 1.0;
  for (size_t j = 0; j < want.size(); ++j)
    EXPECT_NEAR(sign * GetEigenResult(ix, static_cast<int32_t>(j + 1)), want[j], tol)
        << "vector " << ix << " component " << j + 1;
}

TEST(CalcCovar, MatchesNumpyCovAndCorrcoef) {
  auto data = RowsMatrix(3, Points());
  auto cov = Square(3, 0.0);
  ASSERT_TRUE(CalcCovar(data.get(), cov.get(), 0, 0, 0, 0, 1));
  // numpy.cov / numpy.corrcoef(points, rowvar=False), testdata/reference_values.py.
  const std::vector<double> c{4.466027272727273,  1.8477863636363636, 2.2943409090909093,
                              1.8477863636363636, 6.328935606060606,  2.189917424242424,
                              2.2943409090909093, 2.189917424242424,  1.7299901515151517};
  const std::vector<double> r{1.0, 0.34755675509924794, 0.8254208749706329, 0.34755675509924794,
                              1.0, 0.661821063619184,   0.8254208749706329, 0.661821063619184,
                              1.0};
  for (int32_t i = 0; i < 9; ++i)
    EXPECT_NEAR(cov->GetVal(i % 3 + 1, i / 3 + 1), c[size_t(i)], 1e-14 * 6.4) << i;
  ASSERT_TRUE(CalcCovar(data.get(), cov.get(), 0, 0, 0, 0, 2));
  for (int32_t i = 0; i < 9; ++i)
    EXPECT_NEAR(cov->GetVal(i % 3 + 1, i / 3 + 1), r[size_t(i)], 1e-14) << i;
  for (int32_t i = 1; i <= 3; ++i) EXPECT_EQ(cov->GetVal(i, i), 1.0);  // exactly
  ASSERT_TRUE(CalcCovar(data.get(), cov.get(), 0, 0, 0, 0, 3));
  EXPECT_NEAR(cov->GetVal(1, 2), r[1] * r[1], 1e-14);
}

TEST(CalcCovar, RawAndDifferenceModesOnARange) {
  // Columns 2..3 over rows 2..4 of a 3-column matrix: (1, 2), (3, 5), (4, 4).
  auto data = RowsMatrix(3, {9, 9, 9, 0, 1, 2, 0, 3, 5, 0, 4, 4, 9, 9, 9});
  auto big = Square(3, 7.0);
  ASSERT_TRUE(CalcCovar(data.get(), big.get(), 2, 3, 2, 4, 0));
  EXPECT_EQ(big->GetVal(1, 1), (1 + 9 + 16) / 2.0);
  EXPECT_EQ(big->GetVal(1, 2), (2 + 15 + 16) / 2.0);
  EXPECT_EQ(big->GetVal(2, 2), (4 + 25 + 16) / 2.0);
  EXPECT_EQ(big->GetVal(3, 3), 7.0);                             // outside the k x k part: kept
  ASSERT_TRUE(CalcCovar(data.get(), big.get(), 3, 2, 4, 2, 4));  // reversed bounds
  EXPECT_EQ(big->GetVal(1, 1), 0.0);
  EXPECT_EQ(big->GetVal(2, 1), (1 + 4 + 0) / 2.0);
  ASSERT_TRUE(CalcCovar(data.get(), big.get(), 2, 3, 2, 4, 9));
  EXPECT_EQ(big->GetVal(1, 2), 0.0);
}

TEST(CalcCovar, LargeMeansAndDegenerateInput) {
  // The one-pass formula gives 0 here; the centred sums give exactly 1.
  auto data = RowsMatrix(1, {1e10 + 1, 1e10 + 2, 1e10 + 3});
  auto cov = Square(1, 0.0);
  ASSERT_TRUE(CalcCovar(data.get(), cov.get(), 0, 0, 0, 0, 1));
  EXPECT_EQ(cov->GetVal(1, 1), 1.0);
  // A constant column has no spread: its correlation divides by 1e-38.
  auto flat = RowsMatrix(2, {1, 5, 2, 5, 3, 5});
  auto c2 = Square(2, 0.0);
  ASSERT_TRUE(CalcCovar(flat.get(), c2.get(), 0, 0, 0, 0, 2));
  EXPECT_EQ(c2->GetVal(2, 2), 0.0);
  EXPECT_EQ(c2->GetVal(1, 1), 1.0);
  // One row, a too small target, null: false and nothing written.
  auto one = RowsMatrix(2, {1, 2});
  auto keep = Square(2, 7.0);
  EXPECT_FALSE(CalcCovar(one.get(), keep.get(), 0, 0, 0, 0, 1));
  EXPECT_FALSE(CalcCovar(flat.get(), Square(1, 7.0).get(), 0, 0, 0, 0, 1));
  EXPECT_FALSE(CalcCovar(nullptr, keep.get(), 0, 0, 0, 0, 1));
  EXPECT_EQ(keep->GetVal(1, 1), 7.0);
  // NaN propagates.
  auto nan = RowsMatrix(1, {1.0, std::numeric_limits<double>::quiet_NaN(), 3.0});
  ASSERT_TRUE(CalcCovar(nan.get(), cov.get(), 0, 0, 0, 0, 1));
  EXPECT_TRUE(std::isnan(cov->GetVal(1, 1)));
}

TEST(CalcCovar, ProgressPerColumnAndAbort) {
  ProgressReset reset;
  auto data = RowsMatrix(3, Points());
  auto cov = Square(3, 7.0);
  ASSERT_TRUE(CalcCovar(data.get(), cov.get(), 0, 0, 0, 0, 1));
  EXPECT_EQ(ProcStat, 3.0);
  cov->Fill(7.0);
  MathFeedBackProc = [](double c) {
    if (c >= 5) AbortMathProc = true;
  };
  EXPECT_FALSE(CalcCovar(data.get(), cov.get(), 0, 0, 0, 0, 1));
  EXPECT_EQ(cov->GetVal(1, 1), 7.0);
  EXPECT_TRUE(AbortMathProc.load());
}

TEST(ClassScatterMatrices, MatchNumpyAndAddUpToTheTotalScatter) {
  // Six points in classes 7, 7, 2, 2, 2, 5; the values from numpy (class
  // means, then D^T D per class and n_c (m_c - m)(m_c - m)^T), as in
  // testdata/reference_values.py.
  auto data = RowsMatrix(2, {1.0, 2.0, 2.0, 1.5, 4.0, 5.0, 5.0, 4.5, 4.5, 6.0, 9.0, 1.0});
  const TIntArray classes{7, 7, 2, 2, 2, 5};
  TMatrix within(nullptr), between(nullptr);
  int32_t changes = 0;
  within.OnChange = [&](TObject*) { ++changes; };
  ASSERT_TRUE(ClassScatterMatrices(data.get(), 0, 0, 0, 0, classes, &within, &between));
  EXPECT_EQ(changes, 1);
  const double w[2][2] = {{1.0, -0.5}, {-0.5, 1.2916666666666667}};
  const double b[2][2] = {{37.875, -1.0}, {-1.0, 20.54166666666667}};
  const double total[2][2] = {{38.875, -1.5}, {-1.5, 21.833333333333336}};
  for (int32_t i = 1; i <= 2; ++i)
    for (int32_t j = 1; j <= 2; ++j) {
      EXPECT_NEAR(within.GetVal(i, j), w[i - 1][j - 1], 1e-15 * 2) << i << j;
      EXPECT_NEAR(between.GetVal(i, j), b[i - 1][j - 1], 1e-15 * 40) << i << j;
      EXPECT_NEAR(within.GetVal(i, j) + between.GetVal(i, j), total[i - 1][j - 1], 1e-13);
    }
  // A sub-range: column 2 over rows 3..5, all of class 2: no spread between.
  ASSERT_TRUE(ClassScatterMatrices(data.get(), 2, 2, 3, 5, TIntArray{2, 2, 2}, &within, &between));
  EXPECT_EQ(within.GetNrOfColumns(), 1);
  EXPECT_NEAR(within.GetVal(1, 1), 1.1666666666666667, 1e-15);  // 4.5, 6 and 5 around 31/6
  EXPECT_EQ(between.GetVal(1, 1), 0.0);
}

TEST(ClassScatterMatrices, RefuseWhatTheyCannotComputeAndPassNaNOn) {
  auto data = RowsMatrix(2, {1.0, 2.0, 3.0, 4.0, 5.0, 6.0});
  TMatrix within(nullptr), between(nullptr);
  within.SetVal(1, 1, 42.0);
  EXPECT_FALSE(ClassScatterMatrices(data.get(), 0, 0, 0, 0, TIntArray{1, 2}, &within, &between));
  EXPECT_FALSE(ClassScatterMatrices(nullptr, 0, 0, 0, 0, TIntArray{1, 2, 3}, &within, &between));
  EXPECT_FALSE(ClassScatterMatrices(data.get(), 0, 0, 0, 0, TIntArray{1, 2, 3}, &within, &within));
  EXPECT_FALSE(ClassScatterMatrices(data.get(), 0, 0, 0, 0, TIntArray{1, 2, 3}, nullptr, &between));
  EXPECT_EQ(within.GetVal(1, 1), 42.0);  // untouched
  data->SetVal(1, 2, std::numeric_limits<double>::quiet_NaN());
  ASSERT_TRUE(ClassScatterMatrices(data.get(), 0, 0, 0, 0, TIntArray{1, 1, 2}, &within, &between));
  EXPECT_TRUE(std::isnan(within.GetVal(1, 1)));
  EXPECT_TRUE(std::isnan(between.GetVal(1, 2)));
  EXPECT_FALSE(std::isnan(within.GetVal(2, 2)));  // column 2 has no NaN
}

TEST(CalcEigVec, MatchesNumpyEigh) {
  ASSERT_TRUE(CalcEigVec(Sym5().get()));
  ASSERT_EQ(GetEigenSize(), 5);
  // numpy.linalg.eigh (ascending), testdata/reference_values.py; ours are
  // unsorted, so each is matched by value.
  const std::vector<double> w{-3.455507017234639, -1.5927687061155664, 0.9289812450590275,
                              3.4937618200917444, 6.905532658199435};
  const std::vector<std::vector<double>> v{
      {0.6344023659008498, -0.07787549174465125, 0.6406613295756689, 0.27438472245098594,
       0.32516938785310745},
      {-0.45626216190503904, 0.6304315283222314, 0.6025674563307513, 0.03289618980198904,
       -0.17381377672277687},
      {-0.4553705752873236, -0.036646414090462986, -0.06269850449626564, 0.15304274758587022,
       0.8740374674132124},
      {-0.42183808749308477, -0.7689017636175346, 0.41364231446444955, 0.06912323968660256,
       -0.23444555714652168},
      {-0.06362974819856236, 0.06275837890655986, -0.22679165455512212, 0.946272032730865,
       -0.21247923784867884}};
  for (size_t k = 0; k < 5; ++k) {
    int32_t ix = 0;
    for (int32_t i = 1; i <= 5; ++i)
      if (std::fabs(GetEigenResult(i, 0) - w[k]) < 1e-6) ix = i;
    ASSERT_NE(ix, 0) << "eigenvalue " << w[k];
    EXPECT_NEAR(GetEigenResult(ix, 0), w[k], 1e-13 * 6.9);
    ExpectEigenvector(ix, v[k], 1e-12);
  }
}

TEST(CalcEigVec, DiagonalScaledAndDegenerateMatrices) {
  auto diag = Square(3, 0.0);
  diag->SetVal(1, 1, 3.0);
  diag->SetVal(2, 2, -1.0);
  diag->SetVal(3, 3, 2.0);
  ASSERT_TRUE(CalcEigVec(diag.get()));
  for (int32_t i = 1; i <= 3; ++i) {
    EXPECT_EQ(GetEigenResult(i, 0), diag->GetVal(i, i));
    for (int32_t j = 1; j <= 3; ++j) EXPECT_EQ(GetEigenResult(i, j), i == j ? 1.0 : 0.0);
  }
  EXPECT_EQ(GetEigenResult(4, 0), 0.0);
  EXPECT_EQ(GetEigenResult(1, 4), 0.0);
  EXPECT_EQ(GetEigenResult(0, 1), 0.0);

  // [[2, 1], [1, 2]] times 1e300 and 1e-300: eigenvalues 3 and 1 scaled.
  for (double s : {1e300, 1e-300}) {
    auto m = RowsMatrix(2, {2 * s, s, s, 2 * s});
    ASSERT_TRUE(CalcEigVec(m.get())) << s;
    const double a = GetEigenResult(1, 0), b = GetEigenResult(2, 0);
    EXPECT_NEAR(std::max(a, b) / s, 3.0, 1e-14);
    EXPECT_NEAR(std::min(a, b) / s, 1.0, 1e-14);
  }

  // Non-square, NaN and null: false, and the store is emptied.
  EXPECT_FALSE(CalcEigVec(RowsMatrix(2, {1, 2, 3, 4, 5, 6}).get()));
  EXPECT_EQ(GetEigenSize(), 0);
  ASSERT_TRUE(CalcEigVec(diag.get()));
  EXPECT_FALSE(CalcEigVec(RowsMatrix(2, {1, std::numeric_limits<double>::infinity(), 0, 1}).get()));
  EXPECT_EQ(GetEigenResult(1, 0), 0.0);
  EXPECT_FALSE(CalcEigVec(nullptr));
  ASSERT_TRUE(CalcEigVec(diag.get()));
  RemoveEigenMatrix();
  EXPECT_EQ(GetEigenSize(), 0);
  EXPECT_EQ(GetEigenResult(1, 0), 0.0);
}

TEST(CalcEigVec, AbortAndConcurrentCallers) {
  {
    ProgressReset reset;
    AbortMathProc = true;
    EXPECT_FALSE(CalcEigVec(Sym5().get()));
    EXPECT_EQ(GetEigenSize(), 0);
  }
  // A reader on another thread while this one decomposes two matrices in
  // turn: every value it reads belongs to one of the two results (the store
  // is swapped under its lock, never read half-replaced).
  auto a = RowsMatrix(2, {2, 1, 1, 2});
  auto b = RowsMatrix(3, {5, 0, 0, 0, 5, 0, 0, 0, 5});
  ASSERT_TRUE(CalcEigVec(a.get()));
  std::atomic<bool> done{false};
  int32_t bad = 0;
  std::thread reader([&] {
    while (!done.load()) {
      const double v = GetEigenResult(1, 0);
      if (v != 1.0 && v != 3.0 && v != 5.0 && v != 0.0) ++bad;
      if (GetEigenSize() > 3) ++bad;
    }
  });
  for (int32_t round = 0; round < 200; ++round) {
    CalcEigVec(round % 2 ? a.get() : b.get());
    RemoveEigenMatrix();
  }
  done = true;
  reader.join();
  EXPECT_EQ(bad, 0);
}

TEST(CalcPrincComp, MatchesScikitLearnPCA) {
  auto data = RowsMatrix(3, Points());
  ASSERT_TRUE(CalcPrincComp(data.get(), 0, 0, 0, 0, 1));
  // sklearn.decomposition.PCA().fit(points): explained_variance_ratio_ and
  // components_ (testdata/reference_values.py).
  const std::vector<double> ratio{0.7039691100910632, 0.2782969299446295, 0.017733959964307353};
  const std::vector<std::vector<double>> comp{
      {-0.5293148377829406, -0.7470409417076201, -0.40218855517705976},
      {-0.750011175301712, 0.6336062865635994, -0.1898059813325971},
      {0.39662203598055856, 0.20117878874194883, -0.8956662634792932}};
  for (int32_t i = 1; i <= 3; ++i) {
    EXPECT_NEAR(GetEigenResult(i, 0), ratio[size_t(i - 1)], 1e-14);
    ExpectEigenvector(i, comp[size_t(i - 1)], 1e-12);
  }
  ASSERT_TRUE(CalcPrincComp(data.get(), 0, 0, 0, 0, 1, false));
  const std::vector<double> var{8.817180038674787, 3.4856559760340162, 0.22211701559422392};
  for (int32_t i = 1; i <= 3; ++i) EXPECT_NEAR(GetEigenResult(i, 0), var[size_t(i - 1)], 1e-13);
}

TEST(CalcPrincComp, ConstantDataAndFailedCovariance) {
  auto flat = RowsMatrix(2, {3, 3, 3, 3, 3, 3});
  ASSERT_TRUE(CalcPrincComp(flat.get(), 0, 0, 0, 0, 1));
  EXPECT_EQ(GetEigenResult(1, 0), 0.0);  // 0/0 avoided: left at 0
  EXPECT_EQ(GetEigenResult(2, 0), 0.0);
  // One row: CalcCovar fails, nothing is decomposed and the store stays.
  ASSERT_TRUE(CalcEigVec(Sym5().get()));
  EXPECT_FALSE(CalcPrincComp(RowsMatrix(3, {1, 2, 3}).get(), 0, 0, 0, 0, 1));
  EXPECT_EQ(GetEigenSize(), 5);
  // Sorted descending with the vectors: a diagonal covariance 4/3, 12, 16/3.
  auto data = RowsMatrix(3, {1, 3, 2, -1, -3, 2, 1, -3, -2, -1, 3, -2});
  ASSERT_TRUE(CalcPrincComp(data.get(), 0, 0, 0, 0, 1, false));
  EXPECT_NEAR(GetEigenResult(1, 0), 12.0, 1e-12);
  EXPECT_NEAR(std::fabs(GetEigenResult(1, 2)), 1.0, 1e-12);
  EXPECT_NEAR(GetEigenResult(2, 0), 16.0 / 3.0, 1e-12);
  EXPECT_NEAR(std::fabs(GetEigenResult(2, 3)), 1.0, 1e-12);
  EXPECT_NEAR(GetEigenResult(3, 0), 4.0 / 3.0, 1e-12);
  EXPECT_NEAR(std::fabs(GetEigenResult(3, 1)), 1.0, 1e-12);
}

}  // namespace
}  // namespace zel
