#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "core/zel_random.hpp"
#include "core/zel_zelbase.hpp"
#include "num/matrix/matrix_test_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {
namespace {

using matrix_test::Cols;
using matrix_test::EventLog;
using matrix_test::MakeMatrix;

// Columns of a matrix given by rows (easier to read in tests).
TDouble2DArray FromRows(const TDouble2DArray& rows) {
  TDouble2DArray c(rows.front().size(), TDoubleArray(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t k = 0; k < rows[r].size(); ++k) c[k][r] = rows[r][k];
  return c;
}

TDouble2DArray Product(const TDouble2DArray& a, const TDouble2DArray& b) {
  TDouble2DArray c(b.size(), TDoubleArray(a.front().size(), 0.0));
  for (size_t j = 0; j < b.size(); ++j)
    for (size_t k = 0; k < a.size(); ++k)
      for (size_t i = 0; i < a[k].size(); ++i) c[j][i] += a[k][i] * b[j][k];
  return c;
}

TDouble2DArray Transposed(const TDouble2DArray& a) {
  TDouble2DArray t(a.front().size(), TDoubleArray(a.size()));
  for (size_t c = 0; c < a.size(); ++c)
    for (size_t r = 0; r < a[c].size(); ++r) t[r][c] = a[c][r];
  return t;
}

double MaxDiff(const TDouble2DArray& a, const TDouble2DArray& b) {
  double d = 0;
  for (size_t c = 0; c < a.size(); ++c)
    for (size_t r = 0; r < a[c].size(); ++r) d = std::max(d, std::fabs(a[c][r] - b[c][r]));
  return d;
}

TDouble2DArray RandomCols(size_t cols, size_t rows, uint64_t seed) {
  SetRandSeed(seed);
  TDouble2DArray a(cols, TDoubleArray(rows));
  for (auto& col : a)
    for (double& x : col) x = Random() - 0.5;
  return a;
}

// A random symmetric positive definite matrix B^T B + n I.
TDouble2DArray RandomSpd(size_t n, uint64_t seed) {
  const auto b = RandomCols(n, n, seed);
  auto a = Product(Transposed(b), b);
  for (size_t i = 0; i < n; ++i) a[i][i] += static_cast<double>(n);
  return a;
}

TEST(MatrixDeterminant, CarriesThePermutationSign) {
  EXPECT_DOUBLE_EQ(MakeMatrix(FromRows({{1, 2}, {3, 4}}))->Determinant(), -2.0);
  EXPECT_DOUBLE_EQ(MakeMatrix(FromRows({{0, 1}, {1, 0}}))->Determinant(), -1.0);
  EXPECT_DOUBLE_EQ(MakeMatrix(FromRows({{0, 0, 1}, {0, 1, 0}, {2, 0, 0}}))->Determinant(), -2.0);
  EXPECT_EQ(MakeMatrix(FromRows({{1, 2}, {2, 4}}))->Determinant(), 0.0);
  EXPECT_EQ(MakeMatrix(FromRows({{1, 2, 3}, {4, 5, 6}}))->Determinant(), 0.0);
}

TEST(MatrixLU, ReproducesTheMatrixAndRejectsZeroLeadingMinor) {
  auto a = MakeMatrix(RandomSpd(4, 7));
  auto l = MakeMatrix({{9}});
  auto u = MakeMatrix({{9}});
  ASSERT_TRUE(a->LUdecomposition(l.get(), u.get()));
  ASSERT_EQ(l->GetNrOfColumns(), 4);
  EXPECT_LT(MaxDiff(Product(Cols(*l), Cols(*u)), Cols(*a)), 1e-13);
  for (size_t c = 0; c < 4; ++c) {
    EXPECT_EQ(Cols(*l)[c][c], 1.0);
    for (size_t r = 0; r < c; ++r) EXPECT_EQ(Cols(*l)[c][r], 0.0);
    for (size_t r = c + 1; r < 4; ++r) EXPECT_EQ(Cols(*u)[c][r], 0.0);
  }
  auto p = MakeMatrix(FromRows({{0, 1}, {1, 0}}));
  auto l2 = MakeMatrix({{9}});
  EXPECT_FALSE(p->LUdecomposition(l2.get(), u.get()));
  EXPECT_EQ(Cols(*l2), TDouble2DArray({{9}}));
  EXPECT_FALSE(a->LUdecomposition(nullptr, u.get()));
  EXPECT_FALSE(a->LUdecomposition(l.get(), l.get()));
  EXPECT_FALSE(MakeMatrix(RandomCols(2, 3, 1))->LUdecomposition(l.get(), u.get()));
}

TEST(MatrixInvert, GivesTheInverseOrLeavesSingularUntouched) {
  const auto src = RandomCols(5, 5, 11);
  auto a = MakeMatrix(src);
  EventLog log;
  log.Attach(*a);
  ASSERT_TRUE(a->Invert());
  EXPECT_EQ(log.Seq, "C");
  auto prod = Product(src, Cols(*a));
  for (size_t i = 0; i < 5; ++i) prod[i][i] -= 1.0;
  EXPECT_LT(MaxDiff(prod, TDouble2DArray(5, TDoubleArray(5, 0.0))), 1e-12);
  const auto sing = FromRows({{1, 2}, {2, 4}});
  auto s = MakeMatrix(sing);
  EXPECT_FALSE(s->Invert());
  EXPECT_EQ(Cols(*s), sing);
  EXPECT_FALSE(MakeMatrix(RandomCols(2, 3, 1))->Invert());
}

TEST(MatrixHat, IsIdempotentWithTraceOfTheRank) {
  auto x = MakeMatrix(RandomCols(2, 6, 3));
  auto h = MakeMatrix({{1}});
  ASSERT_EQ(x->CalcHatMatrix(h.get()), kMatHatOk);
  ASSERT_EQ(h->GetNrOfColumns(), 6);
  ASSERT_EQ(h->GetNrOfRows(), 6);
  EXPECT_LT(MaxDiff(Product(Cols(*h), Cols(*h)), Cols(*h)), 1e-12);
  double tr = 0;
  for (size_t i = 0; i < 6; ++i) tr += Cols(*h)[i][i];
  EXPECT_NEAR(tr, 2.0, 1e-12);
  EXPECT_EQ(x->CalcHatMatrix(nullptr), kMatHatNoTarget);
  auto dep = MakeMatrix({{1, 2, 3}, {2, 4, 6}});
  auto h2 = MakeMatrix({{5}});
  EXPECT_EQ(dep->CalcHatMatrix(h2.get()), kMatHatSingular);
  EXPECT_EQ(Cols(*h2), TDouble2DArray({{5}}));
}

TEST(MatrixCholesky, FactorsAndZeroesAReusedUpperTriangle) {
  const auto spd = RandomSpd(4, 5);
  auto a = MakeMatrix(spd);
  auto l = MakeMatrix(TDouble2DArray(4, TDoubleArray(4, 7.0)));  // stale values
  ASSERT_TRUE(a->CholeskyDecomp(l.get()));
  const auto lc = Cols(*l);
  for (size_t c = 0; c < 4; ++c)
    for (size_t r = 0; r < c; ++r) EXPECT_EQ(lc[c][r], 0.0);
  EXPECT_LT(MaxDiff(Product(lc, Transposed(lc)), spd), 1e-13);
  // The source keeps its lower triangle and diagonal and holds L^T above.
  const auto ac = Cols(*a);
  for (size_t c = 0; c < 4; ++c)
    for (size_t r = 0; r < 4; ++r) EXPECT_EQ(ac[c][r], r >= c ? spd[c][r] : lc[r][c]);
}

// The textbook factor: L(j, i) = (a(j, i) - L(j, 0) L(i, 0) - ...) / L(i, i),
// the products taken off one by one in increasing k.
TDouble2DArray TextbookCholesky(const TDouble2DArray& a) {
  const size_t n = a.size();
  TDouble2DArray l(n, TDoubleArray(n, 0.0));
  for (size_t i = 0; i < n; ++i) {
    double s = a[i][i];
    for (size_t k = 0; k < i; ++k) s -= l[k][i] * l[k][i];
    const double d = std::sqrt(s);
    l[i][i] = d;
    for (size_t j = i + 1; j < n; ++j) {
      double t = a[i][j];
      for (size_t k = 0; k < i; ++k) t -= l[k][j] * l[k][i];
      l[i][j] = t / d;
    }
  }
  return l;
}

// Sizes across the blocks and halvings of the factorisation: the blocking
// must not change a bit.
TEST(MatrixCholesky, BlockedFactorEqualsTheTextbookLoopBitForBit) {
  for (size_t n : {1, 2, 11, 12, 13, 47, 48, 49, 100, 131}) {
    const auto spd = RandomSpd(n, n);
    auto a = MakeMatrix(spd);
    auto l = MakeMatrix({{0}});
    ASSERT_TRUE(a->CholeskyDecomp(l.get())) << n;
    EXPECT_EQ(Cols(*l), TextbookCholesky(spd)) << n;
  }
}

TEST(MatrixCholesky, RejectsWithoutTouchingAnything) {
  const auto bad = FromRows({{1, 2}, {2, 1}});  // indefinite
  auto a = MakeMatrix(bad);
  auto l = MakeMatrix({{3}});
  EXPECT_FALSE(a->CholeskyDecomp(l.get()));
  EXPECT_EQ(Cols(*l), TDouble2DArray({{3}}));
  EXPECT_EQ(Cols(*a), bad);
  auto z = MakeMatrix(FromRows({{0, 0}, {0, 1}}));  // zero pivot: no division by it
  EXPECT_FALSE(z->CholeskyDecomp(l.get()));
  EXPECT_EQ(Cols(*l), TDouble2DArray({{3}}));
  EXPECT_FALSE(a->CholeskyDecomp(nullptr));
  // Not positive definite only in the last block: still nothing changes.
  auto late = RandomSpd(120, 9);
  late[110][110] = -1.0;
  auto b = MakeMatrix(late);
  EXPECT_FALSE(b->CholeskyDecomp(l.get()));
  EXPECT_EQ(Cols(*b), late);
  EXPECT_EQ(Cols(*l), TDouble2DArray({{3}}));
  EXPECT_FALSE(MakeMatrix(RandomCols(2, 3, 1))->CholeskyDecomp(l.get()));
}

TEST(MatrixBalance, LeavesTriangularMatricesFinite) {
  const auto tri = FromRows({{1, 0}, {5, 2}});
  auto a = MakeMatrix(tri);
  EXPECT_TRUE(a->Balance(1.01));
  EXPECT_EQ(Cols(*a), tri);
  EXPECT_FALSE(MakeMatrix(RandomCols(2, 3, 1))->Balance(1.01));
}

TEST(MatrixBalance, KeepsTheSpectrumAndEqualisesRowsAndColumns) {
  const auto src = FromRows({{1, 100, 1e4}, {1e-2, 2, 100}, {1e-4, 1e-2, 3}});
  auto a = MakeMatrix(src);
  ASSERT_TRUE(a->Balance(1.000001));
  const auto b = Cols(*a);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(b[i][i], src[i][i]);
  EXPECT_NEAR(a->Determinant(), MakeMatrix(src)->Determinant(), 1e-9);
  EXPECT_LT(a->Norm(TNormType::ntFrobenius), 0.01 * MakeMatrix(src)->Norm(TNormType::ntFrobenius));
  for (size_t j = 0; j < 3; ++j) {
    double c = 0, r = 0;
    for (size_t k = 0; k < 3; ++k)
      if (k != j) {
        c += std::fabs(b[j][k]);
        r += std::fabs(b[k][j]);
      }
    EXPECT_NEAR(r / c, 1.0, 1e-4);
  }
}

TEST(MatrixBalance, EqualisesATwoByTwoInOnePass) {
  // f = sqrt(1 / 4) = 0.5 < 1 for the first column, then 1: one pass.
  auto a = MakeMatrix(FromRows({{1, 1}, {4, 1}}));
  EXPECT_TRUE(a->Balance(1.01));
  EXPECT_EQ(Cols(*a), FromRows({{1, 2}, {2, 1}}));
}

TEST(MatrixBalance, ClampsTheTolerance) {
  const auto src = FromRows({{1, 100, 1e4}, {1e-2, 2, 100}, {1e-4, 1e-2, 3}});
  auto a = MakeMatrix(src), b = MakeMatrix(src), c = MakeMatrix(src), d = MakeMatrix(src);
  a->Balance(2.0);
  b->Balance(1.05);
  c->Balance(0.5);
  d->Balance(1.000001);
  EXPECT_EQ(Cols(*a), Cols(*b));
  EXPECT_EQ(Cols(*c), Cols(*d));
  EXPECT_NE(Cols(*a), Cols(*c));
}

TEST(MatrixNorm, ComputesEveryKind) {
  auto a = MakeMatrix(FromRows({{1, -2}, {-3, 4}, {0, 5}}));
  EXPECT_EQ(a->Norm(TNormType::ntColwise), 11.0);
  EXPECT_EQ(a->Norm(TNormType::ntRowwise), 7.0);
  EXPECT_DOUBLE_EQ(a->Norm(TNormType::ntFrobenius), std::sqrt(55.0));
  EXPECT_DOUBLE_EQ(MakeMatrix(FromRows({{1, 0}, {0, 1}}))->Norm(TNormType::ntFrobenius),
                   std::sqrt(2.0));
  EXPECT_DOUBLE_EQ(
      MakeMatrix(FromRows({{2, 0, 0}, {0, -7, 0}, {0, 0, 3}}))->Norm(TNormType::ntSpectral), 7.0);
  // A single row (m < n): its Euclidean length.
  EXPECT_DOUBLE_EQ(MakeMatrix(FromRows({{3, 4, 12}}))->Norm(TNormType::ntSpectral), 13.0);
  EXPECT_EQ(a->Norm(static_cast<TNormType>(9)), 0.0);
}

TEST(MatrixNorm, SpectralIsTheSquareRootOfTheLargestEigenvalueOfAtA) {
  // [[2, 1], [1, 2]] has eigenvalues 3 and 1; A = [[1, 1], [0, 1]] gives
  // A^T A = [[1, 1], [1, 2]] with largest eigenvalue (3 + sqrt 5) / 2.
  auto a = MakeMatrix(FromRows({{1, 1}, {0, 1}}));
  EventLog log;
  log.Attach(*a);
  EXPECT_NEAR(a->Norm(TNormType::ntSpectral), std::sqrt((3 + std::sqrt(5.0)) / 2), 1e-15);
  EXPECT_EQ(log.Seq, "");
  EXPECT_EQ(Cols(*a), FromRows({{1, 1}, {0, 1}}));
}

TEST(MatrixNorm, SpectralSaysTheDecompositionWasAborted) {
  auto a = MakeMatrix(RandomCols(3, 3, 2));
  AbortMathProc = true;
  try {
    a->Norm(TNormType::ntSpectral);
    ADD_FAILURE() << "no exception";
  } catch (const EZELMatrixError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Component \"M\": spectral norm: the singular value decomposition was aborted "
              "(AbortMathProc)");
  }
  AbortMathProc = false;
}

}  // namespace
}  // namespace zel
