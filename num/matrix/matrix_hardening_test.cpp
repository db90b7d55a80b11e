// Matrices at the limits of the double range, with NaN and infinity, and
// with event handlers that resize the matrices of a running operation (the
// latter would read or write freed storage; the test program runs under
// AddressSanitizer).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/zel_zelbase.hpp"
#include "num/matrix/matrix_test_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {
namespace {

using matrix_test::Cols;
using matrix_test::MakeMatrix;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Columns of a matrix given by rows.
TDouble2DArray FromRows(const TDouble2DArray& rows) {
  TDouble2DArray c(rows.front().size(), TDoubleArray(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t k = 0; k < rows[r].size(); ++k) c[k][r] = rows[r][k];
  return c;
}

// Equal element by element, NaN equal to NaN.
bool SameValues(const TDouble2DArray& a, const TDouble2DArray& b) {
  if (a.size() != b.size()) return false;
  for (size_t c = 0; c < a.size(); ++c) {
    if (a[c].size() != b[c].size()) return false;
    for (size_t r = 0; r < a[c].size(); ++r)
      if (!(a[c][r] == b[c][r] || (std::isnan(a[c][r]) && std::isnan(b[c][r])))) return false;
  }
  return true;
}

bool AllFinite(const TDouble2DArray& a) {
  for (const auto& col : a)
    for (double x : col)
      if (!std::isfinite(x)) return false;
  return true;
}

// Clears the progress hooks a test sets.
class ProgressHooks : public ::testing::Test {
 protected:
  void TearDown() override {
    MathFeedBackProc = nullptr;
    AbortMathProc = false;
  }
};

// ---------------------------------------------------------------------------
// Norms
// ---------------------------------------------------------------------------

TEST(MatrixNormLimits, NaNPropagatesThroughEveryNorm) {
  struct Case {
    const char* name;
    TDouble2DArray rows;
  };
  const Case cases[] = {
      {"NaN in the second column", {{1, kNaN}, {1, 0}}},
      {"single NaN", {{kNaN}}},
      {"NaN in the first row", {{kNaN, 0}, {5, 0}}},
      {"NaN in the last row", {{5, 0}, {kNaN, 0}}},
      {"NaN beside infinity", {{kInf, 1}, {kNaN, 1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto m = MakeMatrix(FromRows(c.rows));
    EXPECT_TRUE(std::isnan(m->Norm(TNormType::ntColwise)));
    EXPECT_TRUE(std::isnan(m->Norm(TNormType::ntRowwise)));
    EXPECT_TRUE(std::isnan(m->Norm(TNormType::ntFrobenius)));
    EXPECT_TRUE(std::isnan(m->Norm(TNormType::ntSpectral)));
  }
  // Infinity without NaN: every norm is infinite.
  auto m = MakeMatrix(FromRows({{kInf, 1}, {1, 1}}));
  for (TNormType nt :
       {TNormType::ntColwise, TNormType::ntRowwise, TNormType::ntFrobenius, TNormType::ntSpectral})
    EXPECT_EQ(m->Norm(nt), kInf);
}

TEST(MatrixNormLimits, FrobeniusNeitherOverflowsNorUnderflows) {
  // 3-4-5 triangles: exact results at every scale (powers of two scale
  // exactly; 5e160 within the rounding of the decimal inputs).
  EXPECT_DOUBLE_EQ(MakeMatrix({{3e160}, {4e160}})->Norm(TNormType::ntFrobenius), 5e160);
  EXPECT_EQ(
      MakeMatrix({{std::ldexp(3.0, 1020)}, {std::ldexp(4.0, 1020)}})->Norm(TNormType::ntFrobenius),
      std::ldexp(5.0, 1020));
  EXPECT_EQ(MakeMatrix({{std::ldexp(3.0, -1070)}, {std::ldexp(4.0, -1070)}})
                ->Norm(TNormType::ntFrobenius),
            std::ldexp(5.0, -1070));
  EXPECT_EQ(MakeMatrix({{1e-170}})->Norm(TNormType::ntFrobenius), 1e-170);
  EXPECT_EQ(MakeMatrix({{0, 0}, {0, 0}})->Norm(TNormType::ntFrobenius), 0.0);
  // Many equal elements: sqrt(n) * x, with n = 10000 -> 100 x.
  EXPECT_DOUBLE_EQ(
      MakeMatrix(TDouble2DArray(100, TDoubleArray(100, 1e300)))->Norm(TNormType::ntFrobenius),
      1e302);
}

// ---------------------------------------------------------------------------
// Balancing
// ---------------------------------------------------------------------------

TEST(MatrixBalanceLimits, KeepsAFiniteMatrixFinite) {
  // The off-diagonal pair's product is invariant (here 1), and a balanced
  // 2 x 2 has both equal: 1 and 1.
  const TDouble2DArray cases[] = {FromRows({{1, 1e160}, {1e-160, 1}}),
                                  FromRows({{1, 1e-170}, {1e170, 1}}),
                                  FromRows({{1, 1e300}, {1e-300, 1}})};
  for (const auto& rows : cases) {
    auto m = MakeMatrix(rows);
    EXPECT_TRUE(m->Balance(1.01));
    const auto a = Cols(*m);
    ASSERT_TRUE(AllFinite(a));
    EXPECT_EQ(a[0][0], 1.0);
    EXPECT_EQ(a[1][1], 1.0);
    EXPECT_NEAR(a[1][0], 1.0, 1e-12);
    EXPECT_NEAR(a[0][1], 1.0, 1e-12);
  }
}

TEST(MatrixBalanceLimits, LeavesThePairsOfANaNAlone) {
  // NaN at row 1, column 2: row 1 and column 2 have NaN sums and keep
  // their scale; the other elements may be scaled but never become NaN.
  auto m = MakeMatrix(FromRows({{1, kNaN, 2}, {4, 1, 8}, {16, 32, 1}}));
  EXPECT_TRUE(m->Balance(1.01));
  int nans = 0;
  for (const auto& col : Cols(*m))
    for (double x : col) nans += std::isnan(x) ? 1 : 0;
  EXPECT_EQ(nans, 1);
  EXPECT_TRUE(std::isnan(Cols(*m)[1][0]));
}

// ---------------------------------------------------------------------------
// Singular value decomposition
// ---------------------------------------------------------------------------

// Singular values of [[1, 2], [3, 4]] (rows): sqrt(15 +- sqrt(221)), the
// roots of the eigenvalues of A^T A = [[10, 14], [14, 20]] (by hand).
const double kSigma1 = std::sqrt(15.0 + std::sqrt(221.0));
const double kSigma2 = std::sqrt(15.0 - std::sqrt(221.0));

TEST(MatrixSvdLimits, DecomposesLargeAndSmallMagnitudes) {
  for (const double s : {1e154, 1e-165, 1e300, 1e-300, 4.9e-322}) {
    SCOPED_TRACE(s);
    auto m = MakeMatrix(FromRows({{1 * s, 2 * s}, {3 * s, 4 * s}}));
    auto v = MakeMatrix({{0, 0}, {0, 0}});
    TDoubleArray w(2);
    ASSERT_TRUE(m->SVDecomposeMatrix(v.get(), w));
    const double big = std::max(w[0], w[1]);
    const double small = std::min(w[0], w[1]);
    // A subnormal scale carries the rounding of its own few bits.
    const double tol = s < 1e-307 ? 0.2 : 1e-14;
    EXPECT_NEAR(big / s, kSigma1, tol * kSigma1);
    EXPECT_NEAR(small / s, kSigma2, tol * kSigma1);
    if (s > 1e-307) {
      auto n = MakeMatrix(FromRows({{1 * s, 2 * s}, {3 * s, 4 * s}}));
      EXPECT_NEAR(n->Norm(TNormType::ntSpectral) / s, kSigma1, 1e-14 * kSigma1);
    }
  }
}

TEST(MatrixSvdLimits, ScalingByAPowerOfTwoIsExact) {
  // The same matrix times 2^600 and 2^-600: U and V bit for bit, W scaled
  // exactly.
  const TDouble2DArray base = FromRows({{1, 2, -1}, {3, 4, 0.5}, {0.25, -7, 2}, {5, 1, 1}});
  TDouble2DArray a0 = base;
  TDouble2DArray v0(3, TDoubleArray(3));
  TDoubleArray w0(3);
  ASSERT_TRUE(SVDecompose(4, 3, a0, w0, v0));
  for (const int e : {600, -600, 1000}) {
    SCOPED_TRACE(e);
    TDouble2DArray a = base;
    for (auto& col : a)
      for (double& x : col) x = std::ldexp(x, e);
    TDouble2DArray v(3, TDoubleArray(3));
    TDoubleArray w(3);
    ASSERT_TRUE(SVDecompose(4, 3, a, w, v));
    EXPECT_EQ(a, a0);
    EXPECT_EQ(v, v0);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(w[i], std::ldexp(w0[i], e));
  }
}

TEST_F(ProgressHooks, SvdRefusesNonFiniteInputBeforeAnyStep) {
  int calls = 0;
  MathFeedBackProc = [&](double) { ++calls; };
  for (const double x : {kNaN, kInf, -kInf}) {
    SCOPED_TRACE(x);
    TDouble2DArray a(6, TDoubleArray(8, 1.0));
    for (size_t c = 0; c < 6; ++c) a[c][c] = 3.0 + static_cast<double>(c);
    a[4][7] = x;
    TDouble2DArray v(6, TDoubleArray(6, 9.0));
    TDoubleArray w(6, 9.0);
    EXPECT_FALSE(SVDecompose(8, 6, a, w, v));
    EXPECT_EQ(w, TDoubleArray(6, 9.0));
    auto m = MakeMatrix(a);
    auto mv = MakeMatrix(TDouble2DArray(6, TDoubleArray(6, 0.0)));
    int changes = 0;
    m->OnChange = [&](TObject*) { ++changes; };
    EXPECT_FALSE(m->SVDecomposeMatrix(mv.get(), w));
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(SameValues(Cols(*m), a));
  }
  EXPECT_EQ(calls, 0);
}

// ---------------------------------------------------------------------------
// Non-finite input of the other decompositions
// ---------------------------------------------------------------------------

TEST_F(ProgressHooks, DecompositionsRefuseNonFiniteInput) {
  int calls = 0;
  MathFeedBackProc = [&](double) { ++calls; };
  for (const double x : {kNaN, kInf, -kInf}) {
    SCOPED_TRACE(x);
    // An infinite last pivot: the factorisation itself would accept it.
    const TDouble2DArray spd = FromRows({{4, 1, 0}, {1, 4, 1}, {0, 1, x}});
    auto a = MakeMatrix(spd);
    auto l = MakeMatrix({{7}});
    EXPECT_FALSE(a->CholeskyDecomp(l.get()));
    EXPECT_EQ(Cols(*l), TDouble2DArray({{7}}));
    EXPECT_TRUE(SameValues(Cols(*a), spd));
    EXPECT_FALSE(a->Invert());
    EXPECT_TRUE(SameValues(Cols(*a), spd));
    EXPECT_TRUE(std::isnan(a->Determinant()));
    auto u = MakeMatrix({{7}});
    EXPECT_FALSE(a->LUdecomposition(l.get(), u.get()));
    EXPECT_EQ(Cols(*u), TDouble2DArray({{7}}));
    auto res = MakeMatrix({{7}});
    EXPECT_FALSE(a->Square(res.get(), 1.0, 1));
    EXPECT_FALSE(a->Square(res.get(), 1.0, 2));
    EXPECT_EQ(Cols(*res), TDouble2DArray({{7}}));
  }
  EXPECT_EQ(calls, 0);
  // A NaN in the upper triangle is not read by the Cholesky decomposition.
  auto a = MakeMatrix(FromRows({{4, kNaN}, {2, 5}}));
  auto l = MakeMatrix({{7}});
  EXPECT_TRUE(a->CholeskyDecomp(l.get()));
  EXPECT_EQ(Cols(*l), FromRows({{2, 0}, {1, 2}}));
}

// ---------------------------------------------------------------------------
// Handlers that resize the matrices of a running operation
// ---------------------------------------------------------------------------

TEST(MatrixEventResize, CopyFromStopsWhenTheSourceShrinks) {
  auto src = MakeMatrix(TDouble2DArray(50, TDoubleArray(50, 2.0)), "S");
  auto dst = MakeMatrix(TDouble2DArray(50, TDoubleArray(50, 0.0)), "D");
  int changes = 0;
  dst->OnChange = [&](TObject*) {
    if (++changes == 3) src->Resize(1, 1);
  };
  dst->CopyFrom(src.get(), 0, 0, 0, 0, 1, 1);
  EXPECT_EQ(changes, 3);  // no final event after the stop
  const auto d = Cols(*dst);
  EXPECT_EQ(d[0][2], 2.0);
  EXPECT_EQ(d[0][3], 0.0);
}

TEST(MatrixEventResize, CopiesStopWhenTheDestinationResizes) {
  auto src = MakeMatrix(TDouble2DArray(20, TDoubleArray(20, 2.0)), "S");
  // Shrinking, growing, and shrinking then growing back (new storage of
  // the old size) each end the copy after its second cell: cell (3, 1),
  // which every one of the copies would reach, is never written.
  const std::vector<std::pair<int32_t, int32_t>> sizes[] = {
      {{3, 3}}, {{40, 40}}, {{1, 1}, {20, 20}}};
  for (const auto& steps : sizes) {
    SCOPED_TRACE(steps.size());
    for (int kind = 0; kind < 3; ++kind) {
      SCOPED_TRACE(kind);
      auto dst = MakeMatrix(TDouble2DArray(20, TDoubleArray(20, 0.0)), "D");
      int changes = 0;
      dst->OnChange = [&](TObject*) {
        if (++changes == 2)
          for (const auto& [c, r] : steps) dst->Resize(c, r);
      };
      if (kind == 0) dst->CopyFrom(src.get(), 0, 0, 0, 0, 1, 1);
      if (kind == 1) {
        EXPECT_EQ(dst->CopyFromArray(Cols(*src), 0, 0, 0, 0, 1, 1), kMatCopyFromResized);
      }
      if (kind == 2) {
        EXPECT_EQ(dst->CopyFromArray(TDoubleArray(20, 2.0), 0, 0, 1, 1, false),
                  kMatCopyFromResized);
      }
      dst->OnChange = nullptr;
      const auto d = Cols(*dst);
      EXPECT_EQ(d[2][0], 0.0);
      EXPECT_EQ(d[0][0], 2.0);
    }
  }
}

// The copies above tell a handler's resize by the storage counter: the
// address cannot, since a shrink and a grow back may get the old storage
// again (the thread sanitizer's allocator does, and the copies then ran on).
TEST(MatrixEventResize, StorageCounterSeesAShrinkAndGrowBack) {
  auto m = MakeMatrix(TDouble2DArray(20, TDoubleArray(20, 1.0)), "M");
  const uint64_t g = m->GetStorageGeneration();
  m->Resize(20, 20);  // no change, nothing to see
  EXPECT_EQ(m->GetStorageGeneration(), g);
  m->Resize(1, 1);
  m->Resize(20, 20);
  EXPECT_EQ(m->GetNrOfColumns(), 20);
  EXPECT_GT(m->GetStorageGeneration(), g);
}

TEST(MatrixEventResize, ResampleReportsAHandlerThatResizes) {
  auto src = MakeMatrix(TDouble2DArray(10, TDoubleArray(10, 1.0)), "S");
  auto dst = MakeMatrix({{0}}, "D");
  int changes = 0;
  dst->OnChange = [&](TObject*) {
    if (++changes == 2) dst->Resize(1, 1);
  };
  TIntArray cols(1), rows(1);
  EXPECT_EQ(dst->ResampleExtMat(src.get(), 100, 100, true, cols, rows), kMatResampleResized);
  EXPECT_EQ(dst->GetNrOfColumns(), 1);
  changes = 10;  // no more resizing: the same call succeeds
  EXPECT_EQ(dst->ResampleExtMat(src.get(), 100, 100, true, cols, rows), kMatResampleOk);
  EXPECT_EQ(dst->GetNrOfColumns(), 10);
}

TEST(MatrixEventResize, CopyColToVecStopsWhenTheZeroFillShrinksTheSource) {
  auto m = MakeMatrix(TDouble2DArray(40, TDoubleArray(40, 3.0)));
  TVector vec(nullptr);
  vec.Resize(40);
  vec.OnChange = [&](TObject*) { m->Resize(1, 1); };
  m->CopyColToVec(&vec, 40, 1, 40);
  for (int32_t i = 1; i <= 40; ++i) EXPECT_EQ(vec.GetVal(i), 0.0);
  m->Resize(40, 40);
  m->Fill(3.0);
  m->CopyRowToVec(&vec, 40, 1, 40);
  for (int32_t i = 1; i <= 40; ++i) EXPECT_EQ(vec.GetVal(i), 0.0);
}

TEST(MatrixEventResize, ProductsStopWhenTheResultResizes) {
  auto a = MakeMatrix(FromRows({{1, 2}, {3, 4}, {5, 6}}), "A");
  auto b = MakeMatrix(FromRows({{1, 0}, {0, 1}}), "B");
  auto res = MakeMatrix({{0}}, "R");
  int changes = 0;
  res->OnChange = [&](TObject*) {
    if (++changes == 4) res->Resize(1, 1);
  };
  EXPECT_FALSE(a->Multiply(b.get(), res.get()));
  res->OnChange = nullptr;
  EXPECT_TRUE(a->Multiply(b.get(), res.get()));
  EXPECT_EQ(Cols(*res), Cols(*a));

  // The vector product's handler grows the matrix itself: the result was
  // computed first and is stored whole.
  TVector x(nullptr);
  x.Resize(2);
  x.SetVal(1, 1.0);
  x.SetVal(2, 1.0);
  TVector y(nullptr);
  y.OnChange = [&](TObject*) { a->Resize(2, 50); };
  EXPECT_TRUE(a->Multiply(&x, &y));
  ASSERT_EQ(y.GetNrOfElem(), 3);
  EXPECT_EQ(y.GetVal(1), 3.0);
  EXPECT_EQ(y.GetVal(3), 11.0);
  // A handler that resizes the result vector ends the storing.
  y.OnChange = nullptr;
  y.Resize(50);
  int sets = 0;
  x.OnChange = [&](TObject*) {
    if (++sets == 2) x.Resize(9);
  };
  EXPECT_FALSE(a->TransposeAndMultiply(&y, &x));
  EXPECT_EQ(x.GetNrOfElem(), 9);
}

TEST(MatrixEventResize, CloneAndDecompositionResultsStopWhenResized) {
  auto src = MakeMatrix(FromRows({{4, 2}, {2, 5}}), "S");
  auto dst = MakeMatrix({{0}}, "D");
  int changes = 0;
  dst->OnChange = [&](TObject*) {
    if (++changes == 3) dst->Resize(5, 5);
  };
  dst->Clone(src.get());
  EXPECT_EQ(dst->GetNrOfColumns(), 5);
  changes = 0;
  auto l = MakeMatrix({{0}}, "L");
  l->OnChange = [&](TObject*) {
    if (++changes == 2) l->Resize(3, 1);
  };
  EXPECT_FALSE(src->CholeskyDecomp(l.get()));
  changes = 0;
  auto u = MakeMatrix({{0}}, "U");
  EXPECT_FALSE(src->LUdecomposition(l.get(), u.get()));
  changes = 0;
  l->OnChange = [&](TObject*) {
    if (++changes == 3) l->Resize(1, 1);
  };
  EXPECT_EQ(src->CalcHatMatrix(l.get()), kMatHatResized);
}

TEST(MatrixEventResize, HookedSvdStopsWhenAMatrixOrWResizes) {
  const TDouble2DArray rows = FromRows({{1, 2, 3}, {4, 5, 6}, {7, 8, 10}, {1, 0, 1}});
  for (int which = 0; which < 4; ++which) {
    SCOPED_TRACE(which);
    auto a = MakeMatrix(rows, "A");
    auto v = MakeMatrix(TDouble2DArray(3, TDoubleArray(3, 0.0)), "V");
    TDoubleArray w(3);
    int events = 0;
    bool resized = false;
    int late = 0;  // events after the one that resized
    auto resize = [&](TObject*) {
      if (resized) ++late;
      if (++events != 5) return;
      if (which == 0) a->Resize(1, 1);
      if (which == 1) a->Resize(3, 200);
      if (which == 2) v->Resize(1, 1);
      if (which == 3) w.assign(1000, 0.0);
      resized = true;
    };
    if (which == 2)
      v->OnChange = resize;
    else
      a->OnChange = resize;
    EXPECT_FALSE(a->SVDecomposeMatrix(v.get(), w));
    EXPECT_EQ(late, 0);
  }
  // Handlers that only watch do not stop it.
  auto a = MakeMatrix(rows, "A");
  auto v = MakeMatrix(TDouble2DArray(3, TDoubleArray(3, 0.0)), "V");
  TDoubleArray w(3);
  int events = 0;
  a->OnChange = [&](TObject*) { ++events; };
  v->OnChange = [&](TObject*) { ++events; };
  EXPECT_TRUE(a->SVDecomposeMatrix(v.get(), w));
  EXPECT_GT(events, 12);
}

TEST(MatrixEventResize, SortsStopWhenTheExchangeHandlerResizes) {
  for (const bool rows : {true, false}) {
    SCOPED_TRACE(rows);
    auto m = MakeMatrix(TDouble2DArray(30, TDoubleArray(30, 0.0)));
    for (int32_t c = 1; c <= 30; ++c)
      for (int32_t r = 1; r <= 30; ++r) m->SetVal(c, r, 1000.0 - c - r);
    int exchanges = 0;
    int changes = 0;
    m->OnChange = [&](TObject*) { ++changes; };
    m->OnSortExchange = [&](TObject*, int32_t, int32_t, int32_t, int32_t, int32_t) {
      if (++exchanges == 2) m->Resize(2, 2);
    };
    changes = 0;
    if (rows)
      m->SortRows(1, true, 0, 0, 0, 0);
    else
      m->SortCols(1, true, 0, 0, 0, 0);
    EXPECT_EQ(exchanges, 2);
    EXPECT_EQ(changes, 1);  // the resize's own; none for the abandoned sort
  }
}

}  // namespace
}  // namespace zel
