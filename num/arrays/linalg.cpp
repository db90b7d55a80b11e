// Linear algebra on 2-D arrays held as columns: Crout inversion, the
// boolean negations, transposition, trace, hat matrix, LU and LUP
// decompositions, determinant and the Jacobi eigen-decomposition.
#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <numeric>
#include <vector>

#include "num/arrays/arrays_impl.hpp"

namespace zel {

using namespace arrays_detail;

namespace {

// ---------------------------------------------------------------------------
// Column kernels. All elimination and substitution work of this file is done
// by "x -= column * factor" updates over contiguous storage. They are
// element-wise (no reductions), so the vectorised clones give results
// identical to the scalar code. Four columns per call keep x in registers
// while the columns stream past, and several x are updated while the same
// four columns are in the cache; every element still receives its
// subtractions one by one in column order, exactly as the textbook loop
// does them, so the grouping never changes a result.
// ---------------------------------------------------------------------------

// The AVX2 forms are chosen at run time by a flag read once, not by
// target_clones: the loader runs ifunc resolvers before a sanitizer's runtime
// is up (a ThreadSanitizer build crashed there).
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ZEL_LINALG_X86 1
#endif

#define ZEL_KERNEL_BODY __attribute__((always_inline)) inline

// Columns of the matrix (or right-hand sides) updated together.
constexpr size_t kPanel = 8;

ZEL_KERNEL_BODY void Axpy1Body(double* __restrict x, const double* __restrict c, double f,
                               size_t n) {
  for (size_t i = 0; i < n; ++i) x[i] -= c[i] * f;
}

ZEL_KERNEL_BODY void Axpy4Body(double* __restrict x, const double* __restrict c0,
                               const double* __restrict c1, const double* __restrict c2,
                               const double* __restrict c3, const double* f, size_t n) {
  const double f0 = f[0], f1 = f[1], f2 = f[2], f3 = f[3];
  for (size_t i = 0; i < n; ++i)
    x[i] = (((x[i] - c0[i] * f0) - c1[i] * f1) - c2[i] * f2) - c3[i] * f3;
}

ZEL_KERNEL_BODY void Axpy4x2Body(double* __restrict x, double* __restrict y,
                                 const double* __restrict c0, const double* __restrict c1,
                                 const double* __restrict c2, const double* __restrict c3,
                                 const double* f, const double* g, size_t n) {
  const double f0 = f[0], f1 = f[1], f2 = f[2], f3 = f[3];
  const double g0 = g[0], g1 = g[1], g2 = g[2], g3 = g[3];
  for (size_t i = 0; i < n; ++i) {
    const double a0 = c0[i], a1 = c1[i], a2 = c2[i], a3 = c3[i];
    x[i] = (((x[i] - a0 * f0) - a1 * f1) - a2 * f2) - a3 * f3;
    y[i] = (((y[i] - a0 * g0) - a1 * g1) - a2 * g2) - a3 * g3;
  }
}

ZEL_KERNEL_BODY void DivideByBody(double* __restrict x, double d, size_t n) {
  for (size_t i = 0; i < n; ++i) x[i] /= d;
}

#ifdef ZEL_LINALG_X86
// Only "avx2" is enabled, not "fma": the compiler must not fuse a multiply
// and a subtraction, so both forms give the same bits.
#define ZEL_AVX2 __attribute__((target("avx2")))
ZEL_AVX2 void Axpy1Avx2(double* __restrict x, const double* __restrict c, double f, size_t n) {
  Axpy1Body(x, c, f, n);
}
ZEL_AVX2 void Axpy4Avx2(double* __restrict x, const double* __restrict c0,
                        const double* __restrict c1, const double* __restrict c2,
                        const double* __restrict c3, const double* f, size_t n) {
  Axpy4Body(x, c0, c1, c2, c3, f, n);
}
ZEL_AVX2 void Axpy4x2Avx2(double* __restrict x, double* __restrict y, const double* __restrict c0,
                          const double* __restrict c1, const double* __restrict c2,
                          const double* __restrict c3, const double* f, const double* g, size_t n) {
  Axpy4x2Body(x, y, c0, c1, c2, c3, f, g, n);
}
ZEL_AVX2 void DivideByAvx2(double* __restrict x, double d, size_t n) { DivideByBody(x, d, n); }

// Read once when the library is loaded (a plain constructor, after the
// sanitizer runtimes are up), so the kernels test a constant.
const bool kHasAvx2 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}();
#define ZEL_DISPATCH(name, ...) (kHasAvx2 ? name##Avx2(__VA_ARGS__) : name##Body(__VA_ARGS__))
#else
#define ZEL_DISPATCH(name, ...) name##Body(__VA_ARGS__)
#endif

void Axpy1(double* __restrict x, const double* __restrict c, double f, size_t n) {
  ZEL_DISPATCH(Axpy1, x, c, f, n);
}

void Axpy4(double* __restrict x, const double* __restrict c0, const double* __restrict c1,
           const double* __restrict c2, const double* __restrict c3, const double* f, size_t n) {
  ZEL_DISPATCH(Axpy4, x, c0, c1, c2, c3, f, n);
}

void Axpy4x2(double* __restrict x, double* __restrict y, const double* __restrict c0,
             const double* __restrict c1, const double* __restrict c2, const double* __restrict c3,
             const double* f, const double* g, size_t n) {
  ZEL_DISPATCH(Axpy4x2, x, y, c0, c1, c2, c3, f, g, n);
}

void DivideBy(double* __restrict x, double d, size_t n) { ZEL_DISPATCH(DivideBy, x, d, n); }

// x[b..n) -= sum of c_q[b..n) * f[t][q] for every x of xs, four columns c.
void UpdateMany(double* const* xs, size_t m, const double* const* c, const double (*f)[4], size_t b,
                size_t n) {
  if (b >= n) return;
  size_t t = 0;
  for (; t + 2 <= m; t += 2)
    Axpy4x2(xs[t] + b, xs[t + 1] + b, c[0] + b, c[1] + b, c[2] + b, c[3] + b, f[t], f[t + 1],
            n - b);
  if (t < m) Axpy4(xs[t] + b, c[0] + b, c[1] + b, c[2] + b, c[3] + b, f[t], n - b);
}

// Applies the finished unit-lower columns k = from..to-1 of `cols` to each
// of the m <= kPanel columns xs, k ascending: x[i] -= L(i, k) * x[k] for
// i > k. Used for Crout's reduction of a column and for forward
// substitution.
void LowerUpdateMany(double* const* xs, size_t m, const std::vector<double*>& cols, size_t n,
                     size_t from, size_t to) {
  double f[kPanel][4];
  size_t k = from;
  for (; k + 4 <= to; k += 4) {
    const double* c[4] = {cols[k], cols[k + 1], cols[k + 2], cols[k + 3]};
    for (size_t t = 0; t < m; ++t) {
      double* x = xs[t];
      f[t][0] = x[k];
      x[k + 1] -= c[0][k + 1] * f[t][0];
      f[t][1] = x[k + 1];
      x[k + 2] = (x[k + 2] - c[0][k + 2] * f[t][0]) - c[1][k + 2] * f[t][1];
      f[t][2] = x[k + 2];
      x[k + 3] =
          ((x[k + 3] - c[0][k + 3] * f[t][0]) - c[1][k + 3] * f[t][1]) - c[2][k + 3] * f[t][2];
      f[t][3] = x[k + 3];
    }
    UpdateMany(xs, m, c, f, k + 4, n);
  }
  for (; k < to; ++k)
    if (k + 1 < n)
      for (size_t t = 0; t < m; ++t) Axpy1(xs[t] + k + 1, cols[k] + k + 1, xs[t][k], n - k - 1);
}

void LowerUpdate(double* x, const std::vector<double*>& cols, size_t n, size_t from, size_t to) {
  LowerUpdateMany(&x, 1, cols, n, from, to);
}

// Back substitution with the upper triangle of `cols` (diagonal included)
// for each of the m <= kPanel columns xs, k descending: x[k] /= U(k, k),
// then x[i] -= U(i, k) * x[k] for i < k.
void UpperSolveMany(double* const* xs, size_t m, const std::vector<double*>& cols, size_t n) {
  double f[kPanel][4];
  size_t k = n;
  for (; k >= 4; k -= 4) {
    const size_t k3 = k - 1, k2 = k - 2, k1 = k - 3, k0 = k - 4;
    const double* c[4] = {cols[k3], cols[k2], cols[k1], cols[k0]};
    for (size_t t = 0; t < m; ++t) {
      double* x = xs[t];
      x[k3] /= c[0][k3];
      f[t][0] = x[k3];
      x[k2] -= c[0][k2] * f[t][0];
      x[k2] /= c[1][k2];
      f[t][1] = x[k2];
      x[k1] = (x[k1] - c[0][k1] * f[t][0]) - c[1][k1] * f[t][1];
      x[k1] /= c[2][k1];
      f[t][2] = x[k1];
      x[k0] = ((x[k0] - c[0][k0] * f[t][0]) - c[1][k0] * f[t][1]) - c[2][k0] * f[t][2];
      x[k0] /= c[3][k0];
      f[t][3] = x[k0];
    }
    UpdateMany(xs, m, c, f, 0, k0);  // rows 0..k0-1
  }
  for (; k > 0; --k) {
    const size_t j = k - 1;
    for (size_t t = 0; t < m; ++t) {
      xs[t][j] /= cols[j][j];
      if (j > 0) Axpy1(xs[t], cols[j], xs[t][j], j);
    }
  }
}

std::vector<double*> ColumnPointers(TDouble2DArray& m) {
  std::vector<double*> p(m.size());
  for (size_t j = 0; j < m.size(); ++j) p[j] = m[j].data();
  return p;
}

void SwapRows(const std::vector<double*>& cols, size_t r1, size_t r2) {
  for (double* c : cols) std::swap(c[r1], c[r2]);
}

bool IsSquare(const TDouble2DArray& a) {
  return !a.empty() && IsRectangular(a) && a[0].size() == a.size();
}

// -1 empty, -2 not square or ragged, 0 square.
int32_t SquareStatus(const TDouble2DArray& a) {
  if (CheckShape(a) == -1) return -1;
  return IsSquare(a) ? 0 : -2;
}

// True when no element is NaN or infinite: the decompositions refuse
// other input before any work (it could only end in NaN or a non-finite
// pivot, after the whole O(n^3) run).
bool AllFinite(const TDouble2DArray& a) {
  for (const auto& column : a)
    for (const double x : column)
      if (!std::isfinite(x)) return false;
  return true;
}

// How Factor chooses pivots.
enum class TPivoting {
  None,     // no exchanges (Doolittle)
  Partial,  // largest |x|, the first on ties; a zero column is left as it is
  Crout     // largest scale * |x|, the later on ties; pivots below 1e-100 raised
};

struct TFactorResult {
  int32_t sign = 1;       // of the permutation
  bool singular = false;  // Crout: a tiny or non-finite pivot; None: a zero pivot
  bool aborted = false;   // AbortMathProc was found set
};

// Left-looking LU of the n x n columns in place: L (unit, below the
// diagonal) and U. perm[j] is the row exchanged with row j at step j. Each
// column is first reduced by all finished columns -- kPanel columns at a
// time, so that each finished column is read once per panel -- then by the
// finished columns of its own panel, then pivoted. With `progress`,
// ReportProgress is served and AbortMathProc read before every column.
TFactorResult Factor(const std::vector<double*>& cols, size_t n, TPivoting mode,
                     std::vector<double>* scale, std::vector<size_t>& perm, bool progress) {
  constexpr double kTinyPivot = 1e-100;
  TFactorResult r;
  perm.assign(n, 0);
  for (size_t j0 = 0; j0 < n; j0 += kPanel) {
    const size_t jb = std::min(kPanel, n - j0);
    LowerUpdateMany(&cols[j0], jb, cols, n, 0, j0);
    for (size_t j = j0; j < j0 + jb; ++j) {
      if (progress) {
        ReportProgress();
        if (AbortMathProc) {
          r.aborted = true;
          return r;
        }
      }
      double* x = cols[j];
      LowerUpdate(x, cols, n, j0, j);
      size_t p = j;
      if (mode == TPivoting::Crout) {
        const std::vector<double>& sc = *scale;
        double big = 0;
        for (size_t i = j; i < n; ++i) {
          const double t = sc[i] * std::fabs(x[i]);
          if (t >= big) {
            big = t;
            p = i;
          }
        }
      } else if (mode == TPivoting::Partial) {
        double big = std::fabs(x[j]);
        for (size_t i = j + 1; i < n; ++i) {
          const double t = std::fabs(x[i]);
          if (t > big) {
            big = t;
            p = i;
          }
        }
      }
      perm[j] = p;
      if (p != j) {
        SwapRows(cols, j, p);
        if (scale) std::swap((*scale)[j], (*scale)[p]);
        r.sign = -r.sign;
      }
      if (mode == TPivoting::Crout) {
        if (!std::isfinite(x[j])) {
          r.singular = true;
        } else if (std::fabs(x[j]) < kTinyPivot) {
          x[j] = kTinyPivot;
          r.singular = true;
        }
      } else if (mode == TPivoting::None) {
        if (!std::isfinite(x[j]) || (x[j] == 0 && j + 1 < n)) {
          r.singular = true;
          return r;
        }
      }
      // A partially pivoted column without a non-zero candidate is already
      // eliminated.
      if (x[j] != 0 && j + 1 < n) DivideBy(x + j + 1, x[j], n - j - 1);
    }
  }
  return r;
}

}  // namespace

// ---------------------------------------------------------------------------
// Inversion
// ---------------------------------------------------------------------------

int32_t InvertArray(TDouble2DArray& a) {
  if (!IsSquare(a) || a[0].empty()) return -1;
  if (!AllFinite(a)) return -3;
  const size_t n = a.size();
  try {
    TDouble2DArray lu = a;
    TDouble2DArray inv(n, TDoubleArray(n, 0.0));
    std::vector<double> scale(n, 0.0);
    std::vector<size_t> perm;
    const std::vector<double*> cols = ColumnPointers(lu);

    for (size_t j = 0; j < n; ++j) {
      const double* c = cols[j];
      for (size_t i = 0; i < n; ++i) scale[i] = std::max(scale[i], std::fabs(c[i]));
    }
    for (double& s : scale) {
      if (s == 0) return -3;
      s = 1.0 / s;
    }

    const TFactorResult f = Factor(cols, n, TPivoting::Crout, &scale, perm, true);
    if (f.aborted) return -4;
    if (f.singular) return -3;

    // Each column of the inverse solves with a unit vector. The exchanges
    // move its single 1; everything above stays zero, so forward
    // substitution starts at the first 1 of the panel (zeros above a 1 are
    // left exactly as they are).
    for (size_t j0 = 0; j0 < n; j0 += kPanel) {
      const size_t jb = std::min(kPanel, n - j0);
      double* xs[kPanel];
      size_t first = n;
      for (size_t j = j0; j < j0 + jb; ++j) {
        ReportProgress();
        if (AbortMathProc) return -4;
        size_t s = j;
        for (size_t k = 0; k < n; ++k) {
          if (s == k) {
            s = perm[k];
          } else if (s == perm[k]) {
            s = k;
          }
        }
        xs[j - j0] = inv[j].data();
        xs[j - j0][s] = 1.0;
        first = std::min(first, s);
      }
      LowerUpdateMany(xs, jb, cols, n, first, n);
      UpperSolveMany(xs, jb, cols, n);
    }
    a = std::move(inv);
    return 0;
  } catch (const std::bad_alloc&) {
    return -2;
  }
}

int32_t InvertArray(TBoolArray& a) {
  if (a.empty()) return -1;
  for (uint8_t& v : a) v = v != 0 ? 0 : 1;
  return 0;
}

int32_t InvertArray(TBool2DArray& a) {
  if (const int32_t s = CheckShape(a)) return s;
  for (auto& column : a)
    for (uint8_t& v : column) v = v != 0 ? 0 : 1;
  return 0;
}

// ---------------------------------------------------------------------------
// Transposition, trace, hat matrix
// ---------------------------------------------------------------------------

template <CopyElement T>
int32_t TransposeArray(Array2D<T>& a) {
  if (const int32_t s = CheckShape(a)) return s;
  const size_t cols = a.size();
  const size_t rows = a[0].size();
  Array2D<T> t(rows, Array1D<T>(cols));
  for (size_t c = 0; c < cols; ++c) {
    const T* src = a[c].data();
    for (size_t r = 0; r < rows; ++r) t[r][c] = src[r];
  }
  a = std::move(t);
  return 0;
}
#define ZEL_INST(T) template int32_t TransposeArray(Array2D<T>&);
ZEL_COPY_ELEMENTS(ZEL_INST)
#undef ZEL_INST

int32_t TraceOfArray(const TDouble2DArray& a, double& trace) {
  trace = 0;
  if (const int32_t s = SquareStatus(a)) return s;
  long double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += a[i][i];
  trace = static_cast<double>(sum);
  return 0;
}

int32_t TraceOfArray(const TInt2DArray& a, int32_t& trace) {
  trace = 0;
  if (CheckShape(a) == -1) return -1;
  if (!IsRectangular(a) || a[0].size() != a.size()) return -2;
  int32_t sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum = WrapAdd(sum, a[i][i]);
  trace = sum;
  return 0;
}

int32_t CalcHatMatrix(const TDouble2DArray& x, TDouble2DArray& h) {
  if (const int32_t s = CheckShape(x)) return s;
  if (!AllFinite(x)) return -3;
  try {
    TDouble2DArray xt = x;
    TransposeArray(xt);
    TDouble2DArray xtx;
    if (const int32_t s = MultiplyArrays(xt, x, xtx)) return s;
    if (const int32_t s = InvertArray(xtx)) return s;
    TDouble2DArray xi;
    if (const int32_t s = MultiplyArrays(x, xtx, xi)) return s;
    TDouble2DArray result;
    if (const int32_t s = MultiplyArrays(xi, xt, result)) return s;
    h = std::move(result);
    return 0;
  } catch (const std::bad_alloc&) {
    return -2;
  }
}

// ---------------------------------------------------------------------------
// LU, LUP, determinant
// ---------------------------------------------------------------------------

namespace {

// Splits the packed factors (unit lower below the diagonal, upper on and
// above) into two full n x n arrays.
void SplitLU(const TDouble2DArray& lu, TDouble2DArray& l, TDouble2DArray& u) {
  const size_t n = lu.size();
  TDouble2DArray lo(n, TDoubleArray(n, 0.0));
  TDouble2DArray up(n, TDoubleArray(n, 0.0));
  for (size_t j = 0; j < n; ++j) {
    std::copy(lu[j].begin(), lu[j].begin() + static_cast<std::ptrdiff_t>(j) + 1, up[j].begin());
    lo[j][j] = 1.0;
    std::copy(lu[j].begin() + static_cast<std::ptrdiff_t>(j) + 1, lu[j].end(),
              lo[j].begin() + static_cast<std::ptrdiff_t>(j) + 1);
  }
  l = std::move(lo);
  u = std::move(up);
}

}  // namespace

int32_t LUdecomposition(const TDouble2DArray& a, TDouble2DArray& l, TDouble2DArray& u) {
  if (const int32_t s = SquareStatus(a)) return s;
  if (!AllFinite(a)) return -3;
  const size_t n = a.size();
  TDouble2DArray lu = a;
  std::vector<size_t> perm;
  if (Factor(ColumnPointers(lu), n, TPivoting::None, nullptr, perm, false).singular) return -3;
  SplitLU(lu, l, u);
  return 0;
}

int32_t LUPdecomposition(const TDouble2DArray& a, TDouble2DArray& l, TDouble2DArray& u,
                         TInt2DArray& p, int32_t& sign) {
  sign = 0;
  if (const int32_t s = SquareStatus(a)) return s;
  if (!AllFinite(a)) return -3;
  const size_t n = a.size();
  TDouble2DArray lu = a;
  std::vector<size_t> perm;
  const int32_t sg = Factor(ColumnPointers(lu), n, TPivoting::Partial, nullptr, perm, false).sign;
  // row[i] = the row of a that became row i of p * a.
  std::vector<size_t> row(n);
  std::iota(row.begin(), row.end(), size_t{0});
  for (size_t k = 0; k < n; ++k) std::swap(row[k], row[perm[k]]);
  TInt2DArray pm(n, TIntArray(n, 0));
  for (size_t i = 0; i < n; ++i) pm[row[i]][i] = 1;
  SplitLU(lu, l, u);
  p = std::move(pm);
  sign = sg;
  return 0;
}

double Determinant(const TDouble2DArray& a) {
  if (SquareStatus(a) != 0) return 0;
  if (!AllFinite(a)) return std::numeric_limits<double>::quiet_NaN();
  const size_t n = a.size();
  TDouble2DArray lu = a;
  std::vector<size_t> perm;
  const int32_t sign = Factor(ColumnPointers(lu), n, TPivoting::Partial, nullptr, perm, false).sign;
  long double det = sign;
  for (size_t j = 0; j < n; ++j) det *= lu[j][j];
  return static_cast<double>(det);
}

// ---------------------------------------------------------------------------
// Eigen-decomposition
// ---------------------------------------------------------------------------

int32_t EigenDecomposition(const TDouble2DArray& a, bool descending, TDouble2DArray& vectors,
                           TDoubleArray& values) {
  constexpr int kMaxSweeps = 50;
  if (const int32_t s = SquareStatus(a)) return s;
  const size_t n = a.size();
  double maxAbs = 0;
  for (const auto& column : a)
    for (double v : column) {
      if (!std::isfinite(v)) return -3;
      maxAbs = std::max(maxAbs, std::fabs(v));
    }
  const double symTol = 1e-12 * maxAbs;
  // The working matrix is kept full and symmetric so that both rotated
  // columns are contiguous; rows are mirrored from them.
  TDouble2DArray m(n, TDoubleArray(n));
  for (size_t j = 0; j < n; ++j)
    for (size_t i = 0; i < n; ++i) {
      if (std::fabs(a[j][i] - a[i][j]) > symTol) return -3;
      m[j][i] = 0.5 * (a[j][i] + a[i][j]);
    }

  TDouble2DArray v(n, TDoubleArray(n, 0.0));
  for (size_t i = 0; i < n; ++i) v[i][i] = 1.0;
  // d holds the diagonal as rotated; b and z accumulate its updates per
  // sweep, which keeps the diagonal accurate (Rutishauser).
  std::vector<double> d(n), b(n), z(n, 0.0);
  for (size_t i = 0; i < n; ++i) d[i] = b[i] = m[i][i];

  bool converged = n == 1;
  for (int sweep = 1; sweep <= kMaxSweeps && !converged; ++sweep) {
    ReportProgress();
    if (AbortMathProc) return -4;
    long double off = 0;
    for (size_t q = 1; q < n; ++q)
      for (size_t p = 0; p < q; ++p) off += std::fabs(m[q][p]);
    if (off == 0) {
      converged = true;
      break;
    }
    // Small rotations are skipped in the first sweeps (threshold Jacobi).
    const double thresh =
        sweep < 4 ? 0.2 * static_cast<double>(off) / static_cast<double>(n * n) : 0.0;
    for (size_t p = 0; p + 1 < n; ++p) {
      for (size_t q = p + 1; q < n; ++q) {
        const double apq = m[q][p];
        const double g = 100.0 * std::fabs(apq);
        if (sweep > 4 && std::fabs(d[p]) + g == std::fabs(d[p]) &&
            std::fabs(d[q]) + g == std::fabs(d[q])) {
          m[q][p] = m[p][q] = 0.0;
          continue;
        }
        if (std::fabs(apq) <= thresh) continue;
        double h = d[q] - d[p];
        double t;
        if (std::fabs(h) + g == std::fabs(h)) {
          t = apq / h;
        } else {
          const double theta = 0.5 * h / apq;
          t = 1.0 / (std::fabs(theta) + std::sqrt(1.0 + theta * theta));
          if (theta < 0) t = -t;
        }
        const double c = 1.0 / std::sqrt(1.0 + t * t);
        const double s = t * c;
        const double tau = s / (1.0 + c);
        h = t * apq;
        z[p] -= h;
        z[q] += h;
        d[p] -= h;
        d[q] += h;
        double* mp = m[p].data();
        double* mq = m[q].data();
        for (size_t k = 0; k < n; ++k) {
          if (k == p || k == q) continue;
          const double gk = mp[k];
          const double hk = mq[k];
          mp[k] = gk - s * (hk + gk * tau);
          mq[k] = hk + s * (gk - hk * tau);
          m[k][p] = mp[k];
          m[k][q] = mq[k];
        }
        mq[p] = mp[q] = 0.0;
        double* vp = v[p].data();
        double* vq = v[q].data();
        for (size_t k = 0; k < n; ++k) {
          const double gk = vp[k];
          const double hk = vq[k];
          vp[k] = gk - s * (hk + gk * tau);
          vq[k] = hk + s * (gk - hk * tau);
        }
      }
    }
    for (size_t i = 0; i < n; ++i) {
      b[i] += z[i];
      d[i] = b[i];
      z[i] = 0.0;
    }
  }
  if (!converged) {
    // The last sweep may have finished the job.
    long double off = 0;
    for (size_t q = 1; q < n; ++q)
      for (size_t p = 0; p < q; ++p) off += std::fabs(m[q][p]);
    if (off != 0) return -5;
  }

  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t x, size_t y) { return descending ? d[x] > d[y] : d[x] < d[y]; });
  TDoubleArray vals(n);
  TDouble2DArray vecs(n);
  for (size_t k = 0; k < n; ++k) {
    vals[k] = d[order[k]];
    TDoubleArray& col = v[order[k]];
    size_t big = 0;
    for (size_t i = 1; i < n; ++i)
      if (std::fabs(col[i]) > std::fabs(col[big])) big = i;
    if (col[big] < 0)
      for (double& x : col) x = -x;
    vecs[k] = std::move(col);
  }
  vectors = std::move(vecs);
  values = std::move(vals);
  return 0;
}

}  // namespace zel
