// Singular values against LAPACK's dgesvd, an independent implementation.
// Runs only where the build found LAPACKE (Debian liblapacke-dev).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "core/zel_random.hpp"
#include "num/matrix/zel_matrix.hpp"

#ifdef ZEL_HAVE_LAPACKE
#include <lapacke.h>
#endif

namespace zel {
namespace {

#ifdef ZEL_HAVE_LAPACKE
// Singular values of an m x n column-major matrix, descending, by dgesvd.
std::vector<double> LapackSingularValues(int m, int n, const TDouble2DArray& a) {
  std::vector<double> colMajor(static_cast<size_t>(m) * n);
  for (int c = 0; c < n; ++c)
    for (int r = 0; r < m; ++r) colMajor[static_cast<size_t>(c) * m + r] = a[c][r];
  std::vector<double> s(static_cast<size_t>(std::min(m, n))), superb(s.size() + 1);
  const lapack_int info = LAPACKE_dgesvd(LAPACK_COL_MAJOR, 'N', 'N', m, n, colMajor.data(), m,
                                         s.data(), nullptr, 1, nullptr, 1, superb.data());
  EXPECT_EQ(info, 0);
  return s;
}

std::vector<double> OurSingularValues(int m, int n, TDouble2DArray a) {
  TDoubleArray w(static_cast<size_t>(n));
  TDouble2DArray v(static_cast<size_t>(n), TDoubleArray(static_cast<size_t>(n)));
  EXPECT_TRUE(SVDecompose(m, n, a, w, v));
  std::sort(w.begin(), w.end(), std::greater<>());
  // For m < n the trailing n - m values are exact zeros; LAPACK reports min(m, n).
  w.resize(static_cast<size_t>(std::min(m, n)));
  return w;
}

TDouble2DArray RandomMatrix(int m, int n, uint64_t seed, double columnScaleDecades = 0) {
  SetRandSeed(seed);
  TDouble2DArray a(static_cast<size_t>(n), TDoubleArray(static_cast<size_t>(m)));
  for (int c = 0; c < n; ++c) {
    const double scale = n > 1 ? std::pow(10.0, columnScaleDecades * c / (n - 1)) : 1.0;
    for (double& x : a[c]) x = (2 * Random() - 1) * scale;
  }
  return a;
}
#endif

TEST(SvdAgainstLapack, SingularValuesAgreeOnManyShapes) {
#ifndef ZEL_HAVE_LAPACKE
  GTEST_SKIP() << "LAPACKE not found at build time";
#else
  struct Case {
    int m, n;
    double decades;
  };
  // 400 x 300 is large enough for the cache-blocked forms of every phase.
  const Case cases[] = {{1, 1, 0},  {7, 7, 0},   {40, 25, 0},  {25, 40, 0},
                        {3, 12, 0}, {60, 60, 0}, {30, 20, 12}, {400, 300, 0}};
  uint64_t seed = 11;
  for (const Case& k : cases) {
    const TDouble2DArray a = RandomMatrix(k.m, k.n, seed++, k.decades);
    const std::vector<double> ours = OurSingularValues(k.m, k.n, a);
    const std::vector<double> ref = LapackSingularValues(k.m, k.n, a);
    ASSERT_EQ(ours.size(), ref.size());
    // Backward-stable methods agree to a few ulps of the largest value.
    const double tol = 64 * 2.2e-16 * std::max(k.m, k.n) * ref.front();
    for (size_t i = 0; i < ref.size(); ++i)
      EXPECT_NEAR(ours[i], ref[i], tol) << k.m << "x" << k.n << " value " << i;
  }
  // Rank-deficient: the third column is the sum of the first two.
  TDouble2DArray r = RandomMatrix(9, 3, 99);
  for (int i = 0; i < 9; ++i) r[2][i] = r[0][i] + r[1][i];
  const std::vector<double> ours = OurSingularValues(9, 3, r);
  const std::vector<double> ref = LapackSingularValues(9, 3, r);
  EXPECT_NEAR(ours[0], ref[0], 1e-13 * ref[0]);
  EXPECT_NEAR(ours[1], ref[1], 1e-13 * ref[0]);
  EXPECT_LT(ours[2], 1e-14 * ref[0]);
#endif
}

}  // namespace
}  // namespace zel
