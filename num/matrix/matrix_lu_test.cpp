// The blocked LU, inversion and determinant against plain textbook loops
// kept here, bit for bit, across sizes that cross the blocks, halvings and
// solve splits; and TMatrix's Invert, Determinant and LUdecomposition
// against the array unit's unblocked routines.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/zel_random.hpp"
#include "core/zel_zelbase.hpp"
#include "num/arrays/zel_openarrays.hpp"
#include "num/matrix/matrix_impl.hpp"
#include "num/matrix/matrix_test_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

#ifdef ZEL_HAVE_LAPACKE
#include <lapacke.h>
#endif

namespace zel {
namespace {

using matrix_detail::TLuPivot;
using matrix_test::Cols;
using matrix_test::MakeMatrix;

enum class TKind { Dense, Sparse, Graded };

// n x n columns: Dense uniform in (-0.5, 0.5); Sparse with about 60 %
// exact zeros and a dominant anti-diagonal (every column needs an
// exchange, and zeros meet the substitutions); Graded with rows scaled by
// powers of two from 2^-20 to 2^20, where the implicit row scaling picks
// other pivots than plain partial pivoting.
TDouble2DArray MakeInput(size_t n, TKind kind, uint64_t seed) {
  SetRandSeed(seed);
  TDouble2DArray a(n, TDoubleArray(n));
  for (auto& col : a)
    for (double& x : col) x = Random() - 0.5;
  if (kind == TKind::Sparse) {
    for (auto& col : a)
      for (double& x : col)
        if (Random() < 0.6) x = 0.0;
    for (size_t i = 0; i < n; ++i) a[n - 1 - i][i] += 2.0;
  } else if (kind == TKind::Graded) {
    for (size_t i = 0; i < n; ++i) {
      const double s = std::ldexp(1.0, Random(41) - 20);
      for (auto& col : a) col[i] *= s;
    }
  }
  return a;
}

struct TTextbookLu {
  TDouble2DArray LU;
  std::vector<int64_t> Perm;
  int32_t Sign = 1;
  bool Singular = false;
};

// Crout's column loop with whole-row exchanges, each element a dot product
// taken in increasing k.
TTextbookLu TextbookFactor(TDouble2DArray a, TLuPivot mode) {
  const size_t n = a.size();
  TTextbookLu r;
  r.Perm.assign(n, 0);
  std::vector<double> scale(n, 0.0);
  for (const auto& col : a)
    for (size_t i = 0; i < n; ++i) scale[i] = std::max(scale[i], std::fabs(col[i]));
  for (double& s : scale) s = 1.0 / s;
  for (size_t j = 0; j < n; ++j) {
    for (size_t i = 0; i < n; ++i) {
      double s = a[j][i];
      for (size_t k = 0; k < std::min(i, j); ++k) s -= a[k][i] * a[j][k];
      a[j][i] = s;
    }
    size_t p = j;
    if (mode == TLuPivot::lpCrout) {
      double big = 0;
      for (size_t i = j; i < n; ++i)
        if (scale[i] * std::fabs(a[j][i]) >= big) {
          big = scale[i] * std::fabs(a[j][i]);
          p = i;
        }
    } else if (mode == TLuPivot::lpPartial) {
      for (size_t i = j + 1; i < n; ++i)
        if (std::fabs(a[j][i]) > std::fabs(a[j][p])) p = i;
    }
    r.Perm[j] = static_cast<int64_t>(p);
    if (p != j) {
      for (auto& col : a) std::swap(col[j], col[p]);
      std::swap(scale[j], scale[p]);
      r.Sign = -r.Sign;
    }
    double& d = a[j][j];
    if (mode == TLuPivot::lpCrout && !std::isfinite(d)) r.Singular = true;
    if (mode == TLuPivot::lpCrout && std::fabs(d) < 1e-100) {
      d = 1e-100;
      r.Singular = true;
    }
    if (mode == TLuPivot::lpNone && (!std::isfinite(d) || (d == 0 && j + 1 < n))) {
      r.Singular = true;
      break;
    }
    if (d != 0)
      for (size_t i = j + 1; i < n; ++i) a[j][i] /= d;
  }
  r.LU = std::move(a);
  return r;
}

// Column j of the inverse: the exchanges on e_j, forward substitution with
// the unit L, then back substitution with U taking the products in
// decreasing k and dividing last.
TDouble2DArray TextbookInverse(const TTextbookLu& f) {
  const TDouble2DArray& a = f.LU;
  const size_t n = a.size();
  TDouble2DArray inv(n, TDoubleArray(n));
  for (size_t j = 0; j < n; ++j) {
    TDoubleArray b(n, 0.0);
    b[j] = 1.0;
    for (size_t k = 0; k < n; ++k) std::swap(b[k], b[static_cast<size_t>(f.Perm[k])]);
    for (size_t i = 0; i < n; ++i)
      for (size_t k = 0; k < i; ++k) b[i] -= a[k][i] * b[k];
    for (size_t i = n; i-- > 0;) {
      for (size_t k = n - 1; k > i; --k) b[i] -= a[k][i] * b[k];
      b[i] /= a[i][i];
    }
    inv[j] = std::move(b);
  }
  return inv;
}

// The number of elements whose bits differ (NaNs of equal payload and the
// sign of zero included), with the first one described.
size_t BitDifferences(const TDouble2DArray& a, const TDouble2DArray& b, std::string& first) {
  if (a.size() != b.size()) return SIZE_MAX;
  size_t count = 0;
  for (size_t c = 0; c < a.size(); ++c) {
    if (a[c].size() != b[c].size()) return SIZE_MAX;
    for (size_t r = 0; r < a[c].size(); ++r)
      if (std::bit_cast<uint64_t>(a[c][r]) != std::bit_cast<uint64_t>(b[c][r]) && count++ == 0)
        first = "col " + std::to_string(c) + " row " + std::to_string(r) + ": " +
                std::to_string(a[c][r]) + " vs " + std::to_string(b[c][r]);
  }
  return count;
}

matrix_detail::TLuResult BlockedFactor(TDouble2DArray& lu, TLuPivot mode,
                                       std::vector<int64_t>& perm) {
  const size_t n = lu.size();
  std::vector<double> scale(n, 0.0);
  for (const auto& col : lu)
    for (size_t i = 0; i < n; ++i) scale[i] = std::max(scale[i], std::fabs(col[i]));
  for (double& s : scale) s = 1.0 / s;
  std::vector<double*> cols(n);
  for (size_t c = 0; c < n; ++c) cols[c] = lu[c].data();
  perm.assign(n, -1);
  return matrix_detail::LuFactor(static_cast<int64_t>(n), cols.data(), mode,
                                 mode == TLuPivot::lpCrout ? scale.data() : nullptr, perm.data(),
                                 false);
}

// Across the narrow panels (8), the halvings of a block, the blocks (192),
// the plain solves (32 rows) and the product kernel's cache blocks (256
// deep).
constexpr size_t kSizes[] = {1, 2, 7, 8, 9, 33, 96, 97, 191, 192, 193, 300};

TEST(MatrixLUBlocked, FactorEqualsTheTextbookLoopBitForBit) {
  for (TLuPivot mode : {TLuPivot::lpCrout, TLuPivot::lpPartial})
    for (TKind kind : {TKind::Dense, TKind::Sparse, TKind::Graded})
      for (size_t n : kSizes) {
        SCOPED_TRACE("mode " + std::to_string(static_cast<int>(mode)) + " kind " +
                     std::to_string(static_cast<int>(kind)) + " n " + std::to_string(n));
        const TDouble2DArray a = MakeInput(n, kind, n * 3 + static_cast<uint64_t>(kind));
        const TTextbookLu want = TextbookFactor(a, mode);
        TDouble2DArray lu = a;
        std::vector<int64_t> perm;
        const auto got = BlockedFactor(lu, mode, perm);
        std::string first;
        EXPECT_EQ(BitDifferences(lu, want.LU, first), 0u) << first;
        EXPECT_EQ(perm, want.Perm);
        EXPECT_EQ(got.Sign, want.Sign);
        EXPECT_EQ(got.Singular, want.Singular);
        EXPECT_FALSE(got.Aborted);
      }
}

// Integer factors whose product is exact: U(k, k) = 0 at k = 210 stops the
// decomposition without exchanges there, inside the second block.
TEST(MatrixLUBlocked, WithoutExchangesStopsAtTheFirstZeroPivot) {
  const size_t n = 250;
  SetRandSeed(5);
  TDouble2DArray l(n, TDoubleArray(n, 0.0)), u(n, TDoubleArray(n, 0.0));
  for (size_t c = 0; c < n; ++c) {
    l[c][c] = 1;
    u[c][c] = c == 210 ? 0 : 1 + Random(2);  // 1 or 2: every division exact
    // Column 210 of L is zero below the diagonal, so that raising
    // a(210, 210) by 1 only raises U(210, 210) by 1.
    for (size_t r = c + 1; r < n; ++r) l[c][r] = c == 210 ? 0 : Random(3) - 1;
    for (size_t r = 0; r < c; ++r) u[c][r] = Random(3) - 1;
  }
  TDouble2DArray a(n, TDoubleArray(n, 0.0));
  for (size_t j = 0; j < n; ++j)
    for (size_t k = 0; k <= j; ++k)
      for (size_t i = 0; i < n; ++i) a[j][i] += l[k][i] * u[j][k];
  for (size_t stop : {size_t{210}, n}) {
    TDouble2DArray in = a;
    if (stop == n) in[210][210] += 1;  // the same with a non-zero pivot there
    const TTextbookLu want = TextbookFactor(in, TLuPivot::lpNone);
    TDouble2DArray lu = in;
    std::vector<int64_t> perm;
    const auto got = BlockedFactor(lu, TLuPivot::lpNone, perm);
    EXPECT_EQ(got.Singular, stop == 210);
    EXPECT_EQ(want.Singular, stop == 210);
    if (stop == n) {
      std::string first;
      EXPECT_EQ(BitDifferences(lu, want.LU, first), 0u) << first;
    }
  }
}

TEST(MatrixLUBlocked, InverseEqualsTheTextbookSubstitutionBitForBit) {
  for (TKind kind : {TKind::Dense, TKind::Sparse, TKind::Graded})
    // Across the column groups of the substitutions (120 and 240).
    for (size_t n : {1, 2, 9, 33, 120, 121, 241, 260}) {
      SCOPED_TRACE("kind " + std::to_string(static_cast<int>(kind)) + " n " + std::to_string(n));
      const TDouble2DArray a = MakeInput(n, kind, n * 7 + static_cast<uint64_t>(kind));
      const TTextbookLu f = TextbookFactor(a, TLuPivot::lpCrout);
      ASSERT_FALSE(f.Singular);
      TDouble2DArray inv;
      ASSERT_EQ(matrix_detail::LuInvert(a, inv), 0);
      std::string first;
      EXPECT_EQ(BitDifferences(inv, TextbookInverse(f), first), 0u) << first;
    }
}

// The array unit's InvertArray, Determinant and LUdecomposition are the
// unblocked column loops: the matrix routines must give their very bits.
TEST(MatrixLUBlocked, MatrixRoutinesEqualTheArrayRoutines) {
  for (size_t n : {3, 70, 250}) {
    SCOPED_TRACE(n);
    for (TKind kind : {TKind::Dense, TKind::Sparse}) {
      const TDouble2DArray a = MakeInput(n, kind, 40 + n);
      TDouble2DArray want = a;
      ASSERT_EQ(InvertArray(want), 0);
      auto m = MakeMatrix(a);
      ASSERT_TRUE(m->Invert());
      std::string first;
      EXPECT_EQ(BitDifferences(Cols(*m), want, first), 0u) << first;
      const double det = MakeMatrix(a)->Determinant();
      EXPECT_EQ(std::bit_cast<uint64_t>(det), std::bit_cast<uint64_t>(Determinant(a)));
    }
    // Diagonally dominant, so that the leading minors are non-zero.
    TDouble2DArray d = MakeInput(n, TKind::Dense, n);
    for (size_t i = 0; i < n; ++i) d[i][i] += static_cast<double>(n);
    TDouble2DArray wl, wu;
    ASSERT_EQ(LUdecomposition(d, wl, wu), 0);
    auto l = MakeMatrix({{0}}), u = MakeMatrix({{0}});
    ASSERT_TRUE(MakeMatrix(d)->LUdecomposition(l.get(), u.get()));
    std::string first;
    EXPECT_EQ(BitDifferences(Cols(*l), wl, first), 0u) << first;
    EXPECT_EQ(BitDifferences(Cols(*u), wu, first), 0u) << first;
  }
}

#ifdef ZEL_HAVE_LAPACKE
// LAPACK's dgetrf + dgetri (an independent implementation, through
// LAPACKE) on the same matrix of order 300: the inverses differ by 1.8e-13
// of their largest element (measured; the bound leaves a factor of about
// 10), and the determinants (dgetrf's diagonal and exchanges) by 4.5e-13
// relative (bound 5e-12).
TEST(MatrixLUBlocked, AgreesWithLapack) {
  const int n = 300;
  const TDouble2DArray a = MakeInput(n, TKind::Dense, 99);
  std::vector<double> packed;
  for (const auto& col : a) packed.insert(packed.end(), col.begin(), col.end());
  std::vector<lapack_int> ipiv(n);
  ASSERT_EQ(LAPACKE_dgetrf(LAPACK_COL_MAJOR, n, n, packed.data(), n, ipiv.data()), 0);
  long double det = 1;
  for (int i = 0; i < n; ++i)
    det *=
        (ipiv[static_cast<size_t>(i)] != i + 1 ? -1 : 1) * packed[static_cast<size_t>(i) * (n + 1)];
  ASSERT_EQ(LAPACKE_dgetri(LAPACK_COL_MAJOR, n, packed.data(), n, ipiv.data()), 0);
  auto m = MakeMatrix(a);
  const double ours = m->Determinant();
  EXPECT_LT(std::fabs(ours - static_cast<double>(det)), 5e-12 * std::fabs(ours));
  ASSERT_TRUE(m->Invert());
  double big = 0, diff = 0;
  for (size_t j = 0; j < static_cast<size_t>(n); ++j)
    for (size_t i = 0; i < static_cast<size_t>(n); ++i) {
      const double ref = packed[j * n + i];
      big = std::max(big, std::fabs(ref));
      diff = std::max(
          diff,
          std::fabs(m->GetVal(static_cast<int32_t>(j + 1), static_cast<int32_t>(i + 1)) - ref));
    }
  EXPECT_LT(diff, 2e-12 * big);
}
#endif

// One progress step per column of the decomposition and one per column of
// the solution; an abort found at any step leaves the matrix as it was.
TEST(MatrixLUBlocked, InvertServesProgressAndStopsWhenAborted) {
  const size_t n = 150;
  const TDouble2DArray a = MakeInput(n, TKind::Dense, 8);
  int64_t steps = 0;
  int64_t stopAt = -1;
  MathFeedBackProc = [&](double) {
    if (++steps == stopAt) AbortMathProc = true;
  };
  auto m = MakeMatrix(a);
  ASSERT_TRUE(m->Invert());
  EXPECT_EQ(steps, 2 * static_cast<int64_t>(n));
  for (int64_t at : {int64_t{1}, int64_t{100}, int64_t{n + 1}, int64_t{2 * n}}) {
    steps = 0;
    stopAt = at;
    auto s = MakeMatrix(a);
    EXPECT_FALSE(s->Invert()) << at;
    AbortMathProc = false;
    EXPECT_EQ(steps, at);
    EXPECT_EQ(Cols(*s), a) << at;
  }
  MathFeedBackProc = nullptr;
}

// Singular input: a zero row, a zero column (an exact zero pivot in the
// second block) and a NaN are refused, and nothing changes.
TEST(MatrixLUBlocked, InvertRefusesSingularMatrices) {
  const size_t n = 100;
  TDouble2DArray zeroRow = MakeInput(n, TKind::Dense, 3);
  for (auto& col : zeroRow) col[40] = 0.0;
  TDouble2DArray zeroCol = MakeInput(n, TKind::Dense, 4);
  std::fill(zeroCol[90].begin(), zeroCol[90].end(), 0.0);
  TDouble2DArray withNaN = MakeInput(n, TKind::Dense, 5);
  withNaN[80][20] = std::nan("");
  for (const TDouble2DArray& a : {zeroRow, zeroCol, withNaN}) {
    TDouble2DArray inv;
    EXPECT_EQ(matrix_detail::LuInvert(a, inv), -3);
    auto m = MakeMatrix(a);
    EXPECT_FALSE(m->Invert());
    std::string first;
    EXPECT_EQ(BitDifferences(Cols(*m), a, first), 0u) << first;
  }
}

}  // namespace
}  // namespace zel
