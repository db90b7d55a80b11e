#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/zel_random.hpp"
#include "core/zel_zelbase.hpp"
#include "num/matrix/matrix_svd_kernels_impl.hpp"
#include "num/matrix/matrix_test_impl.hpp"
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

// ---------------------------------------------------------------------------
// Kernels and instruction-set paths
// ---------------------------------------------------------------------------

using matrix_detail::SVDecomposeOn;
using matrix_detail::SvdKernels;
using matrix_detail::TDeferredRotations;
using matrix_detail::TSvdBlocking;
using matrix_detail::TSvdKernels;
using matrix_detail::TSvdPath;

// spAvx2 falls back to SSE2 where the processor lacks AVX2.
constexpr TSvdPath kAllPaths[] = {TSvdPath::spScalar, TSvdPath::spSse2, TSvdPath::spAvx2,
                                  TSvdPath::spAuto};

bool SameBits(double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; }

bool SameBits(const TDoubleArray& x, const TDoubleArray& y) {
  return x.size() == y.size() &&
         (x.empty() || std::memcmp(x.data(), y.data(), x.size() * sizeof(double)) == 0);
}

bool SameBits(const TDouble2DArray& x, const TDouble2DArray& y) {
  if (x.size() != y.size()) return false;
  for (size_t i = 0; i < x.size(); ++i)
    if (!SameBits(x[i], y[i])) return false;
  return true;
}

TDoubleArray RandomVec(size_t n, uint64_t seed) {
  SetRandSeed(seed);
  TDoubleArray x(n);
  for (double& e : x) e = Random() - 0.5;
  return x;
}

std::vector<double*> Ptrs(TDouble2DArray& cols, size_t offset = 0) {
  std::vector<double*> p;
  for (auto& c : cols) p.push_back(c.data() + offset);
  return p;
}

// Lengths up to 41 cover every block size (16, 8, 4, 2) with every tail;
// the data start one element in, off the allocation's alignment.
TEST(MatrixSvdKernels, DotIsAccurateAndIdenticalOnEveryPath) {
  for (int64_t n = 0; n <= 41; ++n) {
    const TDoubleArray x = RandomVec(static_cast<size_t>(n) + 1, 100 + static_cast<uint64_t>(n));
    const TDoubleArray y = RandomVec(static_cast<size_t>(n) + 1, 200 + static_cast<uint64_t>(n));
    long double exact = 0;
    double magnitude = 0;
    for (int64_t k = 1; k <= n; ++k) {
      exact += static_cast<long double>(x[k]) * y[k];
      magnitude += std::fabs(x[k] * y[k]);
    }
    const double ref = SvdKernels(TSvdPath::spScalar).Dot(x.data() + 1, y.data() + 1, n);
    EXPECT_NEAR(ref, static_cast<double>(exact), 2 * static_cast<double>(n + 1) * kEps * magnitude)
        << n;
    for (TSvdPath path : kAllPaths)
      EXPECT_TRUE(SameBits(SvdKernels(path).Dot(x.data() + 1, y.data() + 1, n), ref))
          << "n " << n << " path " << static_cast<int>(path);
  }
}

TEST(MatrixSvdKernels, ElementLoopsMatchTheTextbookLoopsBitForBit) {
  for (TSvdPath path : kAllPaths) {
    const TSvdKernels& K = SvdKernels(path);
    for (int64_t n = 0; n <= 41; ++n) {
      // y += f x; the guard element behind y must stay.
      const TDoubleArray x = RandomVec(static_cast<size_t>(n) + 1, 300 + static_cast<uint64_t>(n));
      TDoubleArray y = RandomVec(static_cast<size_t>(n) + 2, 400 + static_cast<uint64_t>(n));
      TDoubleArray want = y;
      for (int64_t k = 0; k < n; ++k) want[k + 1] += 0.37 * x[k + 1];
      K.Axpy(0.37, x.data() + 1, y.data() + 1, n);
      EXPECT_TRUE(SameBits(y, want)) << "axpy n " << n << " path " << static_cast<int>(path);
    }
    for (int64_t rows = 0; rows <= 37; ++rows)
      for (int64_t count = 0; count <= 4; ++count) {
        const size_t nc = static_cast<size_t>(count) + 1;
        TDouble2DArray cols(nc);
        for (size_t c = 0; c < nc; ++c) cols[c] = RandomVec(static_cast<size_t>(rows) + 2, 500 + c);
        // Rotation c, s (any values: the kernels do not rely on c^2 + s^2 = 1)
        // and then the Householder u, e.
        const TDoubleArray cs = RandomVec(nc, 600 + static_cast<uint64_t>(rows));
        const TDoubleArray sn = RandomVec(nc, 700 + static_cast<uint64_t>(rows));
        // Reference: one rotation after the other over whole columns.
        TDouble2DArray want = cols;
        for (int64_t t = 0; t < count; ++t)
          for (int64_t r = 1; r <= rows; ++r) {
            const double p = want[t][r], q = want[t + 1][r];
            want[t][r] = p * cs[t] + q * sn[t];
            want[t + 1][r] = q * cs[t] - p * sn[t];
          }
        std::vector<double*> p = Ptrs(cols, 1);
        K.RotateSeq(p.data(), rows, count, cs.data(), sn.data());
        EXPECT_TRUE(SameBits(cols, want)) << "rotations rows " << rows << " count " << count;

        // Householder update of rows r0 .. r1 - 1 over nc columns.
        const int64_t r0 = rows % 3;
        cols = want;
        for (int64_t r = r0; r < rows; ++r) {
          double t = 0;
          for (size_t k = 0; k < nc; ++k) t += want[k][r] * cs[k];
          for (size_t k = 0; k < nc; ++k) want[k][r] += t * sn[k];
        }
        p = Ptrs(cols);
        K.ReflectRows(p.data(), static_cast<int64_t>(nc), r0, rows, cs.data(), sn.data());
        EXPECT_TRUE(SameBits(cols, want))
            << "reflection rows " << r0 << ".." << rows << " columns " << nc;
      }
  }
}

// Kept operations, applied by blocks of rows, against the same operations
// applied at once over whole columns: sweeps of every length (the empty one
// included), rotations of distant pairs and sign changes, with batches that
// fill up in the middle of the list and row blocks with ragged ends.
TEST(MatrixSvdKernels, DeferredRotationsMatchOneByOneApplication) {
  constexpr int32_t kCols = 9;
  const TSvdBlocking blockings[] = {{1, 1}, {3, 2}, {5, 7}, {16, 3}, {40, 100}, {0, 0}};
  for (TSvdPath path : kAllPaths)
    for (int32_t rows : {1, 7, 19, 37})
      for (const TSvdBlocking& blocking : blockings) {
        TDouble2DArray got(kCols), want;
        for (size_t c = 0; c < kCols; ++c) got[c] = RandomVec(static_cast<size_t>(rows), 800 + c);
        want = got;
        std::vector<double*> p = Ptrs(got);
        TDeferredRotations q(p.data(), rows, kCols, SvdKernels(path), blocking);
        auto rotate = [&](size_t x, size_t y, double c, double s) {
          for (size_t r = 0; r < static_cast<size_t>(rows); ++r) {
            const double u = want[x][r], v = want[y][r];
            want[x][r] = u * c + v * s;
            want[y][r] = v * c - u * s;
          }
        };
        SetRandSeed(900 + static_cast<uint64_t>(rows));
        for (int step = 0; step < 30; ++step) {
          const int32_t kind = step % 5;
          if (kind == 3) {
            const auto col = static_cast<size_t>(Random(kCols));
            q.AddNegation(static_cast<int32_t>(col));
            for (double& x : want[col]) x = -x;
          } else if (kind == 4) {
            const auto x = static_cast<size_t>(Random(kCols)),
                       y = (x + 1 + static_cast<size_t>(Random(kCols - 1))) % kCols;
            const double c = Random() - 0.5, s = Random() - 0.5;
            q.AddRotation(static_cast<int32_t>(x), static_cast<int32_t>(y), c, s);
            rotate(x, y, c, s);
          } else {
            const int32_t first = Random(kCols);
            const int32_t count = Random(kCols - first);  // 0 .. columns left - 1
            double* cs = q.AddSweep(first, count);
            for (int32_t t = 0; t < count; ++t) {
              cs[t] = Random() - 0.5;
              cs[count + t] = Random() - 0.5;
              rotate(static_cast<size_t>(first + t), static_cast<size_t>(first + t + 1), cs[t],
                     cs[count + t]);
            }
          }
        }
        q.Flush();
        EXPECT_TRUE(SameBits(got, want))
            << "rows " << rows << " block " << blocking.RowBlock << " batch "
            << blocking.MaxRotations << " path " << static_cast<int>(path);
        q.Flush();  // nothing kept: no change
        EXPECT_TRUE(SameBits(got, want));
      }
}

// Shapes with every kind of vector tail, and an upper bidiagonal matrix
// with a zero on the diagonal, which takes the cancellation branch.
std::vector<TDouble2DArray> OddShapes() {
  std::vector<TDouble2DArray> out = {
      RandomCols(1, 1, 21), RandomCols(7, 1, 22),   RandomCols(1, 7, 23),   RandomCols(5, 7, 24),
      RandomCols(7, 5, 25), RandomCols(21, 37, 26), RandomCols(37, 21, 27), RandomCols(45, 70, 28)};
  out.push_back({{1, 0, 0, 0}, {0.5, 0, 0, 0}, {0, 0.7, 2, 0}, {0, 0, 0.4, 3}});
  return out;
}

struct TSvdRun {
  TDouble2DArray u, v;
  TDoubleArray w;
  bool ok = false;
};

TSvdRun RunSvd(const TDouble2DArray& a0, TSvdPath path, const TSvdHooks* hooks,
               const TSvdBlocking& blocking = {}) {
  TSvdRun r;
  const size_t n = a0.size();
  r.u = a0;
  r.v.assign(n, TDoubleArray(n, -1.0));
  r.w.assign(n, -1.0);
  std::vector<double*> pa = Ptrs(r.u), pv = Ptrs(r.v);
  r.ok = SVDecomposeOn(path, static_cast<int32_t>(a0.front().size()), static_cast<int32_t>(n),
                       pa.data(), r.w.data(), pv.data(), hooks, blocking);
  return r;
}

TEST(MatrixSvd, DecomposesShapesWithVectorTails) {
  for (const auto& a : OddShapes()) CheckDecomposition(a);
}

TEST(MatrixSvd, EveryPathHookedOrNotGivesTheSameBits) {
  int64_t writes = 0;
  TSvdHooks both;
  both.OnWriteA = [&] { ++writes; };
  both.OnWriteV = [&] { ++writes; };
  TSvdHooks onlyV;
  onlyV.OnWriteV = [&] { ++writes; };
  const TSvdHooks none;
  const TSvdHooks* const hookSets[] = {nullptr, &none, &both, &onlyV};
  for (const auto& a : OddShapes()) {
    const TSvdRun ref = RunSvd(a, TSvdPath::spScalar, nullptr);
    ASSERT_TRUE(ref.ok);
    for (TSvdPath path : kAllPaths)
      for (const TSvdHooks* hooks : hookSets) {
        writes = 0;
        const TSvdRun r = RunSvd(a, path, hooks);
        const std::string what = std::to_string(a.front().size()) + "x" + std::to_string(a.size()) +
                                 " path " + std::to_string(static_cast<int>(path));
        EXPECT_TRUE(r.ok) << what;
        EXPECT_TRUE(SameBits(r.u, ref.u)) << what;
        EXPECT_TRUE(SameBits(r.w, ref.w)) << what;
        EXPECT_TRUE(SameBits(r.v, ref.v)) << what;
        if (hooks == &both || hooks == &onlyV) {
          EXPECT_GT(writes, 0) << what;
        }
      }
  }
}

// The QR rotations kept over several sweeps and the accumulations in
// blocks of reflectors give the bits of the hooked run, which goes step by
// step, whatever the batch, row block and reflector block.
TEST(MatrixSvd, BlockedArithmeticGivesTheHookedBitsForEveryBlockSize) {
  TSvdHooks counting;
  int64_t writes = 0;
  counting.OnWriteA = [&] { ++writes; };
  std::vector<TDouble2DArray> shapes = OddShapes();
  shapes.push_back(RandomCols(33, 50, 29));
  const TSvdBlocking blockings[] = {{1, 1, 1, 1},      {3, 5, 2, 1},  {16, 40, 3, -1},
                                    {7, 100000, 5, 1}, {0, 0, 64, 0}, {0, 0, 0, 1}};
  for (const auto& a : shapes) {
    const TSvdRun ref = RunSvd(a, TSvdPath::spScalar, &counting);
    ASSERT_TRUE(ref.ok);
    for (TSvdPath path : kAllPaths)
      for (const TSvdBlocking& blocking : blockings) {
        const TSvdRun r = RunSvd(a, path, nullptr, blocking);
        const std::string what = std::to_string(a.front().size()) + "x" + std::to_string(a.size()) +
                                 " path " + std::to_string(static_cast<int>(path)) + " block " +
                                 std::to_string(blocking.RowBlock) + " batch " +
                                 std::to_string(blocking.MaxRotations) + " reflectors " +
                                 std::to_string(blocking.Reflectors) + " defer rows " +
                                 std::to_string(blocking.DeferRows);
        EXPECT_TRUE(r.ok) << what;
        EXPECT_TRUE(SameBits(r.u, ref.u)) << what;
        EXPECT_TRUE(SameBits(r.w, ref.w)) << what;
        EXPECT_TRUE(SameBits(r.v, ref.v)) << what;
      }
  }
}

// At 400 x 200 the trailing matrix starts above the cache size and ends
// below it, so the default switches from deferred to immediate row
// reflectors in mid-run; both pure forms are checked against the hooked
// run above.
TEST(MatrixSvd, SwitchingRowReflectorFormsInMidRunKeepsTheBits) {
  const TDouble2DArray a = RandomCols(200, 400, 51);
  const TSvdRun ref = RunSvd(a, TSvdPath::spAuto, nullptr, {0, 0, 0, -1});
  ASSERT_TRUE(ref.ok);
  for (const TSvdBlocking& blocking : {TSvdBlocking{}, TSvdBlocking{0, 0, 0, 1}}) {
    const TSvdRun r = RunSvd(a, TSvdPath::spAuto, nullptr, blocking);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(SameBits(r.u, ref.u)) << blocking.DeferRows;
    EXPECT_TRUE(SameBits(r.w, ref.w)) << blocking.DeferRows;
    EXPECT_TRUE(SameBits(r.v, ref.v)) << blocking.DeferRows;
  }
}

// An abort in any phase leaves the partial U and V of the hooked run: a
// pending row reflector and the steps of a block before the aborted one
// run, and in the QR sweeps the rotations kept so far are applied before
// returning.
TEST(MatrixSvd, AbortLeavesTheResultsOfTheStepsBeforeIt) {
  const TDouble2DArray a = RandomCols(30, 40, 41);
  const int64_t n = 30;
  struct TRestore {
    ~TRestore() {
      MathFeedBackProc = nullptr;
      AbortMathProc = false;
    }
  } restore;
  auto run = [&](const TSvdHooks* hooks, int64_t stopAt, const TSvdBlocking& blocking) {
    int64_t steps = 0;
    MathFeedBackProc = [&](double) {
      if (++steps == stopAt) AbortMathProc = true;
    };
    AbortMathProc = false;
    TSvdRun r = RunSvd(a, TSvdPath::spAuto, hooks, blocking);
    MathFeedBackProc = nullptr;
    AbortMathProc = false;
    EXPECT_EQ(steps, stopAt);
    EXPECT_FALSE(r.ok);
    return r;
  };
  TSvdHooks hooked;
  hooked.OnWriteV = [] {};
  // Steps: n (bidiagonal form) + n (V) + n (U), then one per singular
  // value. Stops with a row reflector pending, inside a block of 4
  // reflectors for V and for U, at the first step of a block, and before
  // the 13th singular value.
  for (const int64_t stopAt : {int64_t{7}, n + 6, n + 9, 2 * n + 7, 3 * n + 13}) {
    const TSvdBlocking blocking{0, 0, 4, 1};
    const TSvdRun ref = run(&hooked, stopAt, blocking);
    const TSvdRun r = run(nullptr, stopAt, blocking);
    EXPECT_TRUE(SameBits(r.u, ref.u)) << stopAt;
    EXPECT_TRUE(SameBits(r.v, ref.v)) << stopAt;
    EXPECT_TRUE(SameBits(r.w, ref.w)) << stopAt;
  }
  // Rotations had been made by then: U and V differ from the accumulated
  // transformations at the start of the sweeps.
  const TSvdRun sweeps = run(nullptr, 3 * n + 13, {});
  const TSvdRun start = run(nullptr, 3 * n + 1, {});
  EXPECT_FALSE(SameBits(sweeps.u, start.u));
  EXPECT_FALSE(SameBits(sweeps.v, start.v));
}

// Between two hook calls at most one element changes, in the matrix whose
// hook fired, and nothing changes after the last call.
TEST(MatrixSvd, HooksFireAfterEveryElementWritten) {
  const std::vector<TDouble2DArray> shapes = {RandomCols(5, 7, 31), RandomCols(7, 5, 32),
                                              OddShapes().back()};
  for (const auto& a0 : shapes) {
    const size_t n = a0.size();
    TDouble2DArray u = a0, v(n, TDoubleArray(n, 0.0));
    TDoubleArray w(n);
    TDouble2DArray seenU = u, seenV = v;
    int64_t callsA = 0, callsV = 0, bad = 0;
    auto changes = [](const TDouble2DArray& now, TDouble2DArray& seen) {
      int64_t d = 0;
      for (size_t c = 0; c < now.size(); ++c)
        for (size_t r = 0; r < now[c].size(); ++r)
          if (!SameBits(now[c][r], seen[c][r])) ++d;
      seen = now;
      return d;
    };
    TSvdHooks hooks;
    hooks.OnWriteA = [&] {
      ++callsA;
      const int64_t du = changes(u, seenU), dv = changes(v, seenV);
      if (du > 1 || dv != 0) ++bad;
    };
    hooks.OnWriteV = [&] {
      ++callsV;
      const int64_t du = changes(u, seenU), dv = changes(v, seenV);
      if (dv > 1 || du != 0) ++bad;
    };
    std::vector<double*> pa = Ptrs(u), pv = Ptrs(v);
    ASSERT_TRUE(SVDecompose(static_cast<int32_t>(a0.front().size()), static_cast<int32_t>(n),
                            pa.data(), w.data(), pv.data(), &hooks));
    EXPECT_EQ(bad, 0);
    EXPECT_TRUE(SameBits(u, seenU));
    EXPECT_TRUE(SameBits(v, seenV));
    // At least one call per element of U and of V.
    EXPECT_GE(callsA, static_cast<int64_t>(a0.front().size() * n));
    EXPECT_GE(callsV, static_cast<int64_t>(n * n));
  }
}

}  // namespace
}  // namespace zel
