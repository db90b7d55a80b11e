#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <vector>

#include "core/zel_random.hpp"
#include "num/arrays/zel_openarrays.hpp"

namespace zel {
namespace {

// Builds a column-stored matrix from rows as written on paper.
TDouble2DArray FromRows(const std::vector<std::vector<double>>& rows) {
  TDouble2DArray a(rows[0].size(), TDoubleArray(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c) a[c][r] = rows[r][c];
  return a;
}

TDouble2DArray RandomMatrix(size_t n, uint64_t seed) {
  SetRandSeed(seed);
  TDouble2DArray a(n, TDoubleArray(n));
  for (auto& col : a)
    for (double& v : col) v = Random() * 2 - 1;
  return a;
}

double MaxAbsDiff(const TDouble2DArray& a, const TDouble2DArray& b) {
  double d = 0;
  for (size_t j = 0; j < a.size(); ++j)
    for (size_t i = 0; i < a[j].size(); ++i) d = std::max(d, std::fabs(a[j][i] - b[j][i]));
  return d;
}

TDouble2DArray Identity(size_t n) {
  TDouble2DArray e(n, TDoubleArray(n, 0.0));
  for (size_t i = 0; i < n; ++i) e[i][i] = 1;
  return e;
}

class ProgressGuard : public ::testing::Test {
 protected:
  void TearDown() override {
    MathFeedBackProc = nullptr;
    AbortMathProc = false;
  }
};

// ---------------------------------------------------------------------------
// InvertArray
// ---------------------------------------------------------------------------

TEST(InvertArray, DiagonalZeroRowAndNonSquare) {
  TDouble2DArray a = FromRows({{2, 0}, {0, 4}});
  ASSERT_EQ(InvertArray(a), kInvertOk);
  EXPECT_EQ(a, FromRows({{0.5, 0}, {0, 0.25}}));

  const TDouble2DArray zeroRow = FromRows({{1, 2}, {0, 0}});
  TDouble2DArray b = zeroRow;
  EXPECT_EQ(InvertArray(b), kInvertSingular);
  EXPECT_EQ(b, zeroRow);

  TDouble2DArray wide(3, TDoubleArray(2, 1.0));  // 3 columns, 2 rows
  EXPECT_EQ(InvertArray(wide), kInvertNotSquare);
  TDouble2DArray empty;
  EXPECT_EQ(InvertArray(empty), kInvertNotSquare);
  TDouble2DArray ragged{{1, 2}, {3}};
  EXPECT_EQ(InvertArray(ragged), kInvertNotSquare);
}

TEST(InvertArray, HilbertMatrixAgainstItsIntegerInverse) {
  // The inverse of the 4 x 4 Hilbert matrix has these integer entries
  // (symmetric, so rows and columns read alike); cond = 1.55e4.
  TDouble2DArray h(4, TDoubleArray(4));
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) h[c][r] = 1.0 / (r + c + 1);
  const TDouble2DArray expected = FromRows({{16, -120, 240, -140},
                                            {-120, 1200, -2700, 1680},
                                            {240, -2700, 6480, -4200},
                                            {-140, 1680, -4200, 2800}});
  ASSERT_EQ(InvertArray(h), kInvertOk);
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) EXPECT_NEAR(h[c][r], expected[c][r], 1e-11 * 6480);
}

TEST(InvertArray, ResidualOfRandomMatricesIsAtRoundingLevel) {
  for (size_t n : {1u, 3u, 5u, 8u, 37u, 100u}) {
    const TDouble2DArray a = RandomMatrix(n, 100 + n);
    TDouble2DArray inv = a;
    ASSERT_EQ(InvertArray(inv), kInvertOk) << n;
    TDouble2DArray prod;
    ASSERT_EQ(MultiplyArrays(a, inv, prod), 0);
    EXPECT_LT(MaxAbsDiff(prod, Identity(n)), 1e-12) << n;
  }
}

// The textbook loops of the method, one column and one unit vector at a
// time; InvertArray groups the same operations for the cache and must give
// the same bits.
TDouble2DArray PlainCroutInverse(TDouble2DArray m) {
  const size_t n = m.size();
  std::vector<double> scale(n, 0);
  std::vector<size_t> perm(n);
  for (size_t j = 0; j < n; ++j)
    for (size_t i = 0; i < n; ++i) scale[i] = std::max(scale[i], std::fabs(m[j][i]));
  for (double& s : scale) s = 1 / s;
  for (size_t j = 0; j < n; ++j) {
    double* x = m[j].data();
    for (size_t k = 0; k < j; ++k)
      for (size_t i = k + 1; i < n; ++i) x[i] -= m[k][i] * x[k];
    size_t p = j;
    double big = 0;
    for (size_t i = j; i < n; ++i)
      if (scale[i] * std::fabs(x[i]) >= big) {
        big = scale[i] * std::fabs(x[i]);
        p = i;
      }
    perm[j] = p;
    for (auto& col : m) std::swap(col[j], col[p]);
    std::swap(scale[j], scale[p]);
    for (size_t i = j + 1; i < n; ++i) x[i] /= x[j];
  }
  TDouble2DArray inv(n, TDoubleArray(n, 0.0));
  for (size_t j = 0; j < n; ++j) {
    double* x = inv[j].data();
    x[j] = 1;
    for (size_t k = 0; k < n; ++k) std::swap(x[k], x[perm[k]]);
    size_t s = 0;
    while (x[s] == 0) ++s;
    for (size_t k = s; k < n; ++k)
      for (size_t i = k + 1; i < n; ++i) x[i] -= m[k][i] * x[k];
    for (size_t k = n; k-- > 0;) {
      x[k] /= m[k][k];
      for (size_t i = 0; i < k; ++i) x[i] -= m[k][i] * x[k];
    }
  }
  return inv;
}

TEST(InvertArray, GroupedColumnsGiveTheBitsOfThePlainLoops) {
  for (size_t n : {2u, 4u, 7u, 8u, 9u, 17u, 40u}) {
    const TDouble2DArray a = RandomMatrix(n, 300 + n);
    TDouble2DArray inv = a;
    ASSERT_EQ(InvertArray(inv), kInvertOk);
    EXPECT_EQ(inv, PlainCroutInverse(a)) << n;  // exact equality, element by element
  }
}

TEST(InvertArray, NeedsRowExchanges) {
  // A zero leading element: without pivoting this fails.
  TDouble2DArray a = FromRows({{0, 1, 0}, {0, 0, 1}, {1, 0, 0}});
  ASSERT_EQ(InvertArray(a), kInvertOk);
  EXPECT_EQ(a, FromRows({{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}));
}

TEST(InvertArray, ImplicitScalingChoosesPivotAndTinyPivotIsSingular) {
  // Scaled by its largest element, row 0 has the larger first element
  // (1e-101 / 1e-101 = 1 against 1 / 1e10), so it becomes the pivot; being
  // below 1e-100 it is reported singular although det = 1e-91 - 1e-300.
  // An unscaled partial pivot (row 1) would invert the matrix.
  const TDouble2DArray a = FromRows({{1e-101, 1e-300}, {1, 1e10}});
  TDouble2DArray b = a;
  EXPECT_EQ(InvertArray(b), kInvertSingular);
  EXPECT_EQ(b, a);  // the caller's matrix survives
  // Exactly at the threshold the pivot is accepted.
  TDouble2DArray c = FromRows({{1e-100, 0}, {0, 1}});
  ASSERT_EQ(InvertArray(c), kInvertOk);
  EXPECT_DOUBLE_EQ(c[0][0], 1e100);
}

TEST(InvertArray, NonFiniteInputIsSingular) {
  TDouble2DArray a = FromRows({{1, 2}, {std::numeric_limits<double>::quiet_NaN(), 1}});
  EXPECT_EQ(InvertArray(a), kInvertSingular);
}

TEST_F(ProgressGuard, InvertArrayServesProgressPerColumnAndAbortKeepsInput) {
  const TDouble2DArray a = RandomMatrix(5, 7);
  TDouble2DArray b = a;
  int calls = 0;
  MathFeedBackProc = [&](double) { ++calls; };
  const double before = ProcStat;
  ASSERT_EQ(InvertArray(b), kInvertOk);
  EXPECT_EQ(calls, 10);  // 5 decomposition + 5 solution columns
  EXPECT_EQ(ProcStat - before, 10.0);

  b = a;
  calls = 0;
  MathFeedBackProc = [&](double) {
    if (++calls == 7) AbortMathProc = true;  // during the solution phase
  };
  EXPECT_EQ(InvertArray(b), kInvertAborted);
  EXPECT_EQ(b, a);
  EXPECT_TRUE(AbortMathProc);  // read, never cleared
  calls = 0;
  EXPECT_EQ(InvertArray(b), kInvertAborted);
  EXPECT_EQ(calls, 1);
}

TEST(InvertArray, BooleanFormsNegate) {
  TBoolArray v{1, 0, 0};
  ASSERT_EQ(InvertArray(v), 0);
  EXPECT_EQ(v, (TBoolArray{0, 1, 1}));
  TBool2DArray m{{1, 0}, {0, 0}};
  ASSERT_EQ(InvertArray(m), 0);
  EXPECT_EQ(m, (TBool2DArray{{0, 1}, {1, 1}}));
  TBoolArray e;
  EXPECT_EQ(InvertArray(e), -1);
  TBool2DArray ragged{{1}, {0, 1}};
  EXPECT_EQ(InvertArray(ragged), -2);
  EXPECT_EQ(ragged, (TBool2DArray{{1}, {0, 1}}));
}

// ---------------------------------------------------------------------------
// Transpose, trace, hat matrix
// ---------------------------------------------------------------------------

TEST(TransposeArray, ExchangesColumnsAndRows) {
  TDouble2DArray a{{1, 2, 3}, {4, 5, 6}};  // 2 columns x 3 rows
  ASSERT_EQ(TransposeArray(a), 0);
  EXPECT_EQ(a, (TDouble2DArray{{1, 4}, {2, 5}, {3, 6}}));
  TInt2DArray b{{7, 8}};
  ASSERT_EQ(TransposeArray(b), 0);
  EXPECT_EQ(b, (TInt2DArray{{7}, {8}}));
  TBool2DArray m{{1, 0, 1}};
  ASSERT_EQ(TransposeArray(m), 0);
  EXPECT_EQ(m, (TBool2DArray{{1}, {0}, {1}}));
  TDouble2DArray e(2);
  EXPECT_EQ(TransposeArray(e), -1);
  TInt2DArray ragged{{1, 2}, {3}};
  EXPECT_EQ(TransposeArray(ragged), -2);
}

TEST(TraceOfArray, SumsDiagonalOfSquareArrays) {
  double t = -1;
  ASSERT_EQ(TraceOfArray(FromRows({{1, 2}, {3, 4.5}}), t), 0);
  EXPECT_EQ(t, 5.5);
  EXPECT_EQ(TraceOfArray(TDouble2DArray(2, TDoubleArray(3)), t), -2);
  EXPECT_EQ(t, 0.0);
  EXPECT_EQ(TraceOfArray(TDouble2DArray{}, t), -1);
  int32_t ti = -1;
  ASSERT_EQ(TraceOfArray(TInt2DArray{{std::numeric_limits<int32_t>::max(), 0}, {0, 1}}, ti), 0);
  EXPECT_EQ(ti, std::numeric_limits<int32_t>::min());  // wraps as 32-bit
  EXPECT_EQ(TraceOfArray(TInt2DArray{{1, 2}, {3}}, ti), -2);
}

TEST(CalcHatMatrix, IsSymmetricIdempotentProjectionWithTraceRank) {
  // 7 observations of an intercept and two variables.
  SetRandSeed(11);
  TDouble2DArray x(3, TDoubleArray(7));
  for (size_t r = 0; r < 7; ++r) {
    x[0][r] = 1;
    x[1][r] = Random() * 10;
    x[2][r] = Random() - 0.5;
  }
  TDouble2DArray h;
  ASSERT_EQ(CalcHatMatrix(x, h), kHatOk);
  ASSERT_EQ(h.size(), 7u);
  ASSERT_EQ(h[0].size(), 7u);
  TDouble2DArray hh;
  ASSERT_EQ(MultiplyArrays(h, h, hh), 0);
  EXPECT_LT(MaxAbsDiff(hh, h), 1e-12);
  double trace = 0;
  ASSERT_EQ(TraceOfArray(h, trace), 0);
  EXPECT_NEAR(trace, 3.0, 1e-12);
  for (size_t i = 0; i < 7; ++i)
    for (size_t j = 0; j < 7; ++j) EXPECT_NEAR(h[i][j], h[j][i], 1e-13);
  // H projects onto the column space: H X = X.
  TDouble2DArray hx;
  ASSERT_EQ(MultiplyArrays(h, x, hx), 0);
  EXPECT_LT(MaxAbsDiff(hx, x), 1e-11);
}

TEST(CalcHatMatrix, DependentColumnsLeaveResultUnchanged) {
  TDouble2DArray x{{1, 2, 3}, {2, 4, 6}};
  TDouble2DArray h{{42}};
  EXPECT_EQ(CalcHatMatrix(x, h), kHatSingular);
  EXPECT_EQ(h, (TDouble2DArray{{42}}));
  EXPECT_EQ(CalcHatMatrix(TDouble2DArray{}, h), kHatEmpty);
  EXPECT_EQ(CalcHatMatrix(TDouble2DArray{{1, 2}, {3}}, h), kHatRaggedOrNoMemory);
}

// ---------------------------------------------------------------------------
// LU, LUP, determinant
// ---------------------------------------------------------------------------

TEST(LUdecomposition, UnitLowerTimesUpperGivesTheMatrixWithoutExchanges) {
  const TDouble2DArray a = FromRows({{4, 3, 2}, {2, 1, 3}, {3, 2, 1}});
  TDouble2DArray l, u;
  ASSERT_EQ(LUdecomposition(a, l, u), kDecompOk);
  for (size_t j = 0; j < 3; ++j) {
    EXPECT_EQ(l[j][j], 1.0);
    for (size_t i = 0; i < j; ++i) EXPECT_EQ(l[j][i], 0.0);      // above the diagonal
    for (size_t i = j + 1; i < 3; ++i) EXPECT_EQ(u[j][i], 0.0);  // below the diagonal
  }
  EXPECT_DOUBLE_EQ(l[0][1], 0.5);  // row 1 / row 0: no row was exchanged
  TDouble2DArray lu;
  ASSERT_EQ(MultiplyArrays(l, u, lu), 0);
  EXPECT_LT(MaxAbsDiff(lu, a), 1e-15);

  TDouble2DArray keepL{{9}}, keepU{{9}};
  EXPECT_EQ(LUdecomposition(FromRows({{0, 1}, {1, 0}}), keepL, keepU), kDecompUnsuitable);
  EXPECT_EQ(keepL, (TDouble2DArray{{9}}));
  EXPECT_EQ(LUdecomposition(TDouble2DArray(2, TDoubleArray(3)), keepL, keepU), kDecompNotSquare);
  EXPECT_EQ(LUdecomposition(TDouble2DArray{}, keepL, keepU), kDecompEmpty);
  // A singular matrix whose zero pivot comes last still decomposes.
  ASSERT_EQ(LUdecomposition(FromRows({{1, 2}, {2, 4}}), l, u), kDecompOk);
  EXPECT_EQ(u[1][1], 0.0);
}

TEST(LUPdecomposition, PermutedMatrixEqualsLowerTimesUpper) {
  const TDouble2DArray a = RandomMatrix(9, 5);
  TDouble2DArray l, u;
  TInt2DArray p;
  int32_t sign = 0;
  ASSERT_EQ(LUPdecomposition(a, l, u, p, sign), kDecompOk);
  TDouble2DArray pa, lu;
  ASSERT_EQ(MultiplyArrays(p, a, pa), 0);
  ASSERT_EQ(MultiplyArrays(l, u, lu), 0);
  EXPECT_LT(MaxAbsDiff(pa, lu), 1e-14);
  for (size_t j = 0; j < 9; ++j)
    for (size_t i = j + 1; i < 9; ++i) EXPECT_LE(std::fabs(l[j][i]), 1.0);
  EXPECT_TRUE(sign == 1 || sign == -1);
}

TEST(LUPdecomposition, PivotIsLargestMagnitudeFirstOnTies) {
  // Column 0 holds 1, 3, -3: row 1 (the first of the two 3s) is the pivot.
  const TDouble2DArray a = FromRows({{1, 1, 1}, {3, 1, 2}, {-3, 5, 1}});
  TDouble2DArray l, u;
  TInt2DArray p;
  int32_t sign = 0;
  ASSERT_EQ(LUPdecomposition(a, l, u, p, sign), kDecompOk);
  EXPECT_EQ(p[1][0], 1);  // row 0 of P*A is row 1 of A
  EXPECT_EQ(u[0][0], 3.0);
  // Singular input: status 0 and a zero on u's diagonal.
  ASSERT_EQ(LUPdecomposition(FromRows({{1, 2}, {2, 4}}), l, u, p, sign), kDecompOk);
  EXPECT_EQ(u[1][1], 0.0);
  EXPECT_EQ(LUPdecomposition(TDouble2DArray{{1, 2}}, l, u, p, sign), kDecompNotSquare);
  EXPECT_EQ(sign, 0);
}

TEST(Determinant, SignOfPermutationAndEdgeCases) {
  EXPECT_DOUBLE_EQ(Determinant(FromRows({{1, 2}, {3, 4}})), -2.0);
  EXPECT_EQ(Determinant(FromRows({{0, 1}, {1, 0}})), -1.0);
  EXPECT_EQ(Determinant(FromRows({{0, 1, 0}, {0, 0, 1}, {1, 0, 0}})), 1.0);
  EXPECT_NEAR(Determinant(FromRows({{2, -3, 1}, {2, 0, -1}, {1, 4, 5}})), 49.0, 1e-13);
  EXPECT_EQ(Determinant(FromRows({{1, 2}, {2, 4}})), 0.0);
  EXPECT_EQ(Determinant(TDouble2DArray(2, TDoubleArray(3, 1.0))), 0.0);
  EXPECT_EQ(Determinant(TDouble2DArray{}), 0.0);
  // The product is formed in extended precision: 1e-400 is no underflow.
  TDouble2DArray d(80, TDoubleArray(80, 0.0));
  for (size_t i = 0; i < 80; ++i) d[i][i] = i < 40 ? 1e-10 : 1e10;
  EXPECT_NEAR(Determinant(d), 1.0, 1e-12);
}

TEST(Determinant, MatchesProductOfEigenvaluesOfSymmetricMatrix) {
  TDouble2DArray a = RandomMatrix(12, 3);
  for (size_t j = 0; j < 12; ++j)
    for (size_t i = 0; i < j; ++i) a[j][i] = a[i][j];
  TDouble2DArray vec;
  TDoubleArray val;
  ASSERT_EQ(EigenDecomposition(a, true, vec, val), kDecompOk);
  double prod = 1;
  for (double v : val) prod *= v;
  EXPECT_NEAR(Determinant(a), prod, 1e-12 * std::fabs(prod) + 1e-15);
}

// ---------------------------------------------------------------------------
// EigenDecomposition
// ---------------------------------------------------------------------------

TEST(EigenDecomposition, SecondDifferenceMatrixAgainstClosedForm) {
  // tridiag(-1, 2, -1) of order 3: eigenvalues 2 - 2 cos(k pi / 4), vectors
  // sin(i k pi / 4), i, k = 1..3.
  const TDouble2DArray a = FromRows({{2, -1, 0}, {-1, 2, -1}, {0, -1, 2}});
  TDouble2DArray vec;
  TDoubleArray val;
  ASSERT_EQ(EigenDecomposition(a, false, vec, val), kDecompOk);
  for (int k = 1; k <= 3; ++k) {
    const auto kk = static_cast<size_t>(k - 1);
    EXPECT_NEAR(val[kk], 2 - 2 * std::cos(k * std::numbers::pi / 4), 4e-15);
    double ref[3], norm = 0, dot = 0;
    for (int i = 0; i < 3; ++i) {
      ref[i] = std::sin((i + 1) * k * std::numbers::pi / 4);
      norm += ref[i] * ref[i];
    }
    for (int i = 0; i < 3; ++i)
      dot += (ref[i] /= std::sqrt(norm)) * vec[kk][static_cast<size_t>(i)];
    const double s = dot < 0 ? -1 : 1;
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(vec[kk][static_cast<size_t>(i)], s * ref[i], 4e-15);
    // Sign convention: the component of largest magnitude is positive.
    size_t big = 0;
    for (size_t i = 1; i < 3; ++i)
      if (std::fabs(vec[kk][i]) > std::fabs(vec[kk][big])) big = i;
    EXPECT_GT(vec[kk][big], 0);
  }
  EXPECT_EQ(vec[0][1], std::fabs(vec[0][1]));  // (1/2, 1/sqrt 2, 1/2): no tie, all positive
  ASSERT_EQ(EigenDecomposition(a, true, vec, val), kDecompOk);
  EXPECT_NEAR(val[0], 2 + std::sqrt(2.0), 4e-15);
  EXPECT_NEAR(val[2], 2 - std::sqrt(2.0), 4e-15);
}

TEST(EigenDecomposition, RandomSymmetricMatrixToWorkingPrecision) {
  const size_t n = 50;
  TDouble2DArray a = RandomMatrix(n, 99);
  for (size_t j = 0; j < n; ++j)
    for (size_t i = 0; i < j; ++i) a[j][i] = a[i][j];
  TDouble2DArray vec;
  TDoubleArray val;
  ASSERT_EQ(EigenDecomposition(a, true, vec, val), kDecompOk);
  double normA = 0, trace = 0, sum = 0;
  for (size_t j = 0; j < n; ++j) {
    trace += a[j][j];
    sum += val[j];
    for (size_t i = 0; i < n; ++i) normA = std::max(normA, std::fabs(a[j][i]));
  }
  normA *= n;  // bounds the 2-norm
  EXPECT_NEAR(trace, sum, 1e-13 * normA);
  for (size_t k = 0; k + 1 < n; ++k) EXPECT_GE(val[k], val[k + 1]);
  double resid = 0, orth = 0;
  for (size_t k = 0; k < n; ++k) {
    for (size_t i = 0; i < n; ++i) {
      double av = 0;
      for (size_t j = 0; j < n; ++j) av += a[j][i] * vec[k][j];
      resid = std::max(resid, std::fabs(av - val[k] * vec[k][i]));
    }
    for (size_t m = 0; m < n; ++m) {
      double dot = 0;
      for (size_t i = 0; i < n; ++i) dot += vec[k][i] * vec[m][i];
      orth = std::max(orth, std::fabs(dot - (k == m ? 1.0 : 0.0)));
    }
  }
  EXPECT_LT(resid, 1e-14 * normA);
  EXPECT_LT(orth, 1e-13);
}

TEST(EigenDecomposition, RefusesNonSymmetricAndBadShapes) {
  TDouble2DArray vec{{5}};
  TDoubleArray val{5};
  EXPECT_EQ(EigenDecomposition(FromRows({{1, 2}, {0, 1}}), true, vec, val), kDecompUnsuitable);
  EXPECT_EQ(EigenDecomposition(FromRows({{1, INFINITY}, {INFINITY, 1}}), true, vec, val),
            kDecompUnsuitable);
  EXPECT_EQ(EigenDecomposition(TDouble2DArray(2, TDoubleArray(3)), true, vec, val),
            kDecompNotSquare);
  EXPECT_EQ(EigenDecomposition(TDouble2DArray{}, true, vec, val), kDecompEmpty);
  EXPECT_EQ(vec, (TDouble2DArray{{5}}));
  EXPECT_EQ(val, (TDoubleArray{5}));
  // Rounding-level asymmetry is accepted.
  ASSERT_EQ(EigenDecomposition(FromRows({{2, 1}, {1 + 1e-15, 2}}), true, vec, val), kDecompOk);
  EXPECT_NEAR(val[0], 3.0, 1e-14);
  ASSERT_EQ(EigenDecomposition(TDouble2DArray{{-4}}, true, vec, val), kDecompOk);
  EXPECT_EQ(val, (TDoubleArray{-4}));
  EXPECT_EQ(vec, (TDouble2DArray{{1}}));
}

TEST_F(ProgressGuard, EigenDecompositionPollsAbortPerSweep) {
  TDouble2DArray a = RandomMatrix(6, 4);
  for (size_t j = 0; j < 6; ++j)
    for (size_t i = 0; i < j; ++i) a[j][i] = a[i][j];
  TDouble2DArray vec;
  TDoubleArray val;
  int sweeps = 0;
  MathFeedBackProc = [&](double) { ++sweeps; };
  ASSERT_EQ(EigenDecomposition(a, true, vec, val), kDecompOk);
  EXPECT_GE(sweeps, 3);
  EXPECT_LT(sweeps, 20);
  AbortMathProc = true;
  EXPECT_EQ(EigenDecomposition(a, true, vec, val), kDecompAborted);
  EXPECT_TRUE(AbortMathProc);
}

}  // namespace
}  // namespace zel

// ---------------------------------------------------------------------------
// Non-finite input: refused before the first progress step
// ---------------------------------------------------------------------------

namespace zel {
namespace {

TEST_F(ProgressGuard, DecompositionsRefuseNonFiniteInputBeforeAnyStep) {
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity()};
  int calls = 0;
  MathFeedBackProc = [&](double) { ++calls; };
  for (const double x : bad) {
    SCOPED_TRACE(x);
    calls = 0;
    // In the last column above the diagonal: no pivot of the first
    // columns sees it.
    TDouble2DArray a = RandomMatrix(4, 5);
    a[3][0] = x;
    const TDouble2DArray kept = a;
    EXPECT_EQ(InvertArray(a), kInvertSingular);
    for (size_t c = 0; c < 4; ++c)  // bit for bit: NaN == NaN is false
      EXPECT_EQ(std::memcmp(a[c].data(), kept[c].data(), 4 * sizeof(double)), 0);
    TDouble2DArray l{{7}}, u{{7}};
    TInt2DArray p{{7}};
    int32_t sign = 5;
    EXPECT_EQ(LUdecomposition(a, l, u), kDecompUnsuitable);
    EXPECT_EQ(LUPdecomposition(a, l, u, p, sign), kDecompUnsuitable);
    EXPECT_EQ(sign, 0);
    EXPECT_EQ(l, TDouble2DArray{{7}});
    EXPECT_EQ(p, TInt2DArray{{7}});
    EXPECT_TRUE(std::isnan(Determinant(a)));
    TDouble2DArray x6(3, TDoubleArray(6));
    for (size_t c = 0; c < 3; ++c)
      for (size_t r = 0; r < 6; ++r)
        x6[c][r] = static_cast<double>((c + 1) * (r + 2) % 7) + 0.5 * c;
    x6[1][4] = x;
    TDouble2DArray h{{7}};
    EXPECT_EQ(CalcHatMatrix(x6, h), kHatSingular);
    EXPECT_EQ(h, TDouble2DArray{{7}});
    TDouble2DArray sym = FromRows({{2, x}, {x, 2}});
    TDouble2DArray vecs;
    TDoubleArray vals;
    EXPECT_EQ(EigenDecomposition(sym, true, vecs, vals), kDecompUnsuitable);
    EXPECT_EQ(calls, 0);
  }
}

}  // namespace
}  // namespace zel
