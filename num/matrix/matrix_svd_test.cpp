#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>

#include "core/zel_random.hpp"
#include "core/zel_zelbase.hpp"
#include "num/matrix/matrix_test_detail.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {
namespace {

using matrix_test::Cols;
using matrix_test::MakeMatrix;

constexpr double kEps = std::numeric_limits<double>::epsilon();

TDouble2DArray RandomCols(size_t cols, size_t rows, uint64_t seed) {
  SetRandSeed(seed);
  TDouble2DArray a(cols, TDoubleArray(rows));
  for (auto& col : a)
    for (double& x : col) x = Random() - 0.5;
  return a;
}

double MaxAbs(const TDouble2DArray& a) {
  double m = 0;
  for (const auto& c : a)
    for (double x : c) m = std::max(m, std::fabs(x));
  return m;
}

// Checks A = U diag(W) V^T, V^T V = I and the orthonormality of the
// columns of U that belong to non-zero singular values (for m >= n all).
void CheckDecomposition(const TDouble2DArray& a0, double tolFactor = 50) {
  const size_t n = a0.size();
  const size_t m = a0.front().size();
  TDouble2DArray u = a0;
  TDouble2DArray v(n, TDoubleArray(n, -1.0));
  TDoubleArray w(n, -1.0);
  ASSERT_TRUE(SVDecompose(static_cast<int32_t>(m), static_cast<int32_t>(n), u, w, v));
  const double scale = std::max(MaxAbs(a0), std::numeric_limits<double>::min());
  const double tol = tolFactor * kEps * static_cast<double>(std::max(m, n));
  double recon = 0;
  for (size_t c = 0; c < n; ++c)
    for (size_t r = 0; r < m; ++r) {
      double s = 0;
      for (size_t k = 0; k < n; ++k) s += u[k][r] * w[k] * v[k][c];
      recon = std::max(recon, std::fabs(s - a0[c][r]));
    }
  EXPECT_LT(recon / scale, tol);
  const double wmax = *std::max_element(w.begin(), w.end());
  for (size_t i = 0; i < n; ++i) {
    EXPECT_GE(w[i], 0.0);
    for (size_t j = 0; j < n; ++j) {
      double vv = 0;
      for (size_t k = 0; k < n; ++k) vv += v[i][k] * v[j][k];
      EXPECT_NEAR(vv, i == j ? 1.0 : 0.0, tol);
      if (w[i] > 1e-10 * wmax && w[j] > 1e-10 * wmax) {
        double uu = 0;
        for (size_t k = 0; k < m; ++k) uu += u[i][k] * u[j][k];
        EXPECT_NEAR(uu, i == j ? 1.0 : 0.0, tol);
      }
    }
  }
}

TEST(MatrixSvd, DecomposesRandomMatricesOfEveryShape) {
  CheckDecomposition(RandomCols(6, 6, 1));
  CheckDecomposition(RandomCols(4, 9, 2));  // tall
  CheckDecomposition(RandomCols(7, 3, 3));  // wide (m < n)
  CheckDecomposition(RandomCols(1, 5, 4));  // one column
  CheckDecomposition(RandomCols(5, 1, 5));  // one row
  CheckDecomposition({{-2.5}});
  CheckDecomposition(RandomCols(40, 60, 6));
}

TEST(MatrixSvd, HandlesRankDeficientAndBadlyScaledMatrices) {
  auto a = RandomCols(5, 8, 7);
  a[3] = a[1];  // duplicated column
  for (size_t r = 0; r < 8; ++r) a[4][r] = 2 * a[0][r] - a[2][r];
  CheckDecomposition(a);
  TDouble2DArray zero(3, TDoubleArray(4, 0.0));
  CheckDecomposition(zero);
  auto b = RandomCols(6, 6, 8);
  for (size_t c = 0; c < 6; ++c)
    for (size_t r = 0; r < 6; ++r) b[c][r] *= std::pow(10.0, 3.0 * static_cast<double>(c) - 8.0);
  CheckDecomposition(b);
  // Rank deficiency shows as singular values at rounding level.
  auto u = a;
  TDouble2DArray v(5, TDoubleArray(5));
  TDoubleArray w(5);
  ASSERT_TRUE(SVDecompose(8, 5, u, w, v));
  std::sort(w.begin(), w.end());
  EXPECT_LT(w[1], 1e-14 * w[4]);
  EXPECT_GT(w[2], 1e-3 * w[4]);
}

TEST(MatrixSvd, KnownSingularValues) {
  // Rows (3, 0), (4, 5): singular values sqrt 45 and sqrt 5.
  TDouble2DArray a = {{3, 4}, {0, 5}};
  TDouble2DArray v(2, TDoubleArray(2));
  TDoubleArray w(2);
  ASSERT_TRUE(SVDecompose(2, 2, a, w, v));
  std::sort(w.begin(), w.end());
  EXPECT_NEAR(w[0], std::sqrt(5.0), 1e-14);
  EXPECT_NEAR(w[1], std::sqrt(45.0), 1e-14);
}

TEST(MatrixSvd, RejectsMisshapenArguments) {
  TDouble2DArray a = RandomCols(3, 4, 1);
  TDouble2DArray v(3, TDoubleArray(3));
  TDoubleArray w(2);
  EXPECT_FALSE(SVDecompose(4, 3, a, w, v));
  w.resize(3);
  EXPECT_FALSE(SVDecompose(3, 3, a, w, v));
  auto m = MakeMatrix(a);
  auto vm = MakeMatrix(RandomCols(2, 2, 1));
  EXPECT_FALSE(m->SVDecomposeMatrix(vm.get(), w));
  EXPECT_FALSE(m->SVDecomposeMatrix(nullptr, w));
  EXPECT_EQ(Cols(*m), a);
}

TEST(MatrixSvd, MatrixFormFiresOnChangePerElementAndReportsProgress) {
  const auto a0 = RandomCols(3, 4, 9);
  auto a = MakeMatrix(a0);
  auto v = MakeMatrix(RandomCols(3, 3, 1));
  int32_t na = 0, nv = 0;
  a->OnChange = [&](TObject*) { ++na; };
  v->OnChange = [&](TObject*) { ++nv; };
  TDoubleArray w(3);
  const double before = ProcStat;
  ASSERT_TRUE(a->SVDecomposeMatrix(v.get(), w));
  EXPECT_GT(na, 12);
  EXPECT_GT(nv, 9);
  EXPECT_GE(ProcStat - before, 4 * 3.0);  // four phases of n outer steps each
  // Same numbers as the array form.
  auto u = a0;
  TDouble2DArray va(3, TDoubleArray(3));
  TDoubleArray wa(3);
  ASSERT_TRUE(SVDecompose(4, 3, u, wa, va));
  EXPECT_EQ(Cols(*a), u);
  EXPECT_EQ(Cols(*v), va);
  EXPECT_EQ(w, wa);
}

TEST(MatrixSvd, StopsWhenAborted) {
  auto a = RandomCols(3, 3, 4);
  TDouble2DArray v(3, TDoubleArray(3));
  TDoubleArray w(3);
  AbortMathProc = true;
  const bool ok = SVDecompose(3, 3, a, w, v);
  AbortMathProc = false;
  EXPECT_FALSE(ok);
}

}  // namespace
}  // namespace zel
