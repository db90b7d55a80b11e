// Helpers shared by the matrix unit's .cpp files and its tests. Not part of
// the interface: include num/matrix/zel_matrix.hpp instead.
#pragma once

#include <cmath>
#include <cstdint>
#include <type_traits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/zel_system.hpp"

namespace zel::matrix_detail {

// The range rule of every matrix class: both 0 give 1..Count (false);
// otherwise each bound is clamped into 1..Count and reversed bounds are
// exchanged, true when anything was corrected.
bool MakeValidRange(int32_t& Lo, int32_t& Hi, int32_t Count);

using LD = long double;

// A double or integer value converted to the element type: integers take
// doubles rounded (halves to even) and saturated, NaN giving 0.
template <class T, class U>
T ConvertElem(U x) {
  if constexpr (std::is_same_v<T, int32_t> && std::is_floating_point_v<U>)
    return RoundToInt32(static_cast<long double>(x));
  else
    return static_cast<T>(x);
}

// a - b, wrapping for 32-bit integers as the hardware does.
template <class T>
T ElemSub(T a, T b) {
  if constexpr (std::is_same_v<T, int32_t>)
    return WrapSub(a, b);
  else
    return a - b;
}

// a + b and a * b, wrapping for 32-bit integers as the hardware does.
template <class T>
T ElemAdd(T a, T b) {
  if constexpr (std::is_same_v<T, int32_t>)
    return WrapAdd(a, b);
  else
    return a + b;
}
template <class T>
T ElemMul(T a, T b) {
  if constexpr (std::is_same_v<T, int32_t>)
    return WrapMul(a, b);
  else
    return a * b;
}

// |a - b| without overflow: exact in int64 for integers, long double for
// doubles (where the difference of two doubles cannot overflow).
template <class T>
auto AbsDiff(T a, T b) {
  if constexpr (std::is_same_v<T, int32_t>) {
    const int64_t d = int64_t{a} - int64_t{b};
    return d < 0 ? -d : d;
  } else {
    return std::fabs(static_cast<LD>(a) - static_cast<LD>(b));
  }
}

// VecRes becomes res through its SetVal (one OnChange per element, one
// more at the end). False when a handler changes its size meanwhile, which
// ends the storing.
template <class V, class E>
bool StoreIntoVector(const std::vector<E>& res, V& VecRes) {
  const auto n = static_cast<int32_t>(res.size());
  VecRes.Resize(n);
  for (int32_t i = 0; i < n; ++i) {
    if (VecRes.GetNrOfElem() != n) return false;
    VecRes.SetVal(i + 1, res[static_cast<size_t>(i)]);
  }
  if (VecRes.GetNrOfElem() != n) return false;
  VecRes.Changed();
  return true;
}

// Means, variances and correlations use the centred-sum kernels of
// num/vector/vector_kernels_impl.hpp (mean first, then the deviations), never
// sums of squares minus the squared sum.

// ---------------------------------------------------------------------------
// The matrix product kernel
//
// C += op(A) op(B) (or C -= op(A) op(B)) for column-major operands given as arrays of column
// pointers: op(A) is m x k with op(A)(i, p) = A[p][i], or A[i][p] when
// TransA; op(B) is k x n with op(B)(p, j) = B[j][p], or B[p][j] when TransB;
// C[j][i] is cell (i, j) of the m x n result. Every cell accumulates
// C(i, j) = C(i, j) + op(A)(i, p) * op(B)(p, j) in increasing p with a
// separate multiply and add (no fused multiply-add), so with C zero on
// entry the result equals the textbook triple loop bit for bit on every
// path. Large products are split into cache blocks (packed panels of A and
// B) and computed by a register-blocked micro-kernel.
// ---------------------------------------------------------------------------

enum class TGemmPath : int32_t {
  gpAuto = 0,    // AVX2 when the processor has it, SSE2 otherwise
  gpSimple = 1,  // plain column loops (used for small products)
  gpSse2 = 2,    // 4 x 6 micro-kernel on 128-bit registers
  gpAvx2 = 3     // 8 x 6 micro-kernel on 256-bit registers
};

// y[k] += f x[k] for k < n on the widest vector unit, a separate multiply
// and add per element, so equal to the plain loop bit for bit (and
// y - f x is exactly y + (-f) x). One kernel for the whole unit: it is the
// SVD's (matrix_svd_kernels.cpp).
void Axpy(double f, const double* x, double* y, int64_t n);

// True when the AVX2 kernel can run on this processor.
bool GemmHasAvx2();

// Pack buffers kept by a caller that makes many products in a row, so that
// each product does not allocate (and fault in) its own. One per thread.
struct TGemmBuffers {
  std::vector<double> A;
  std::vector<double> B;
};

// Throws std::bad_alloc when the pack buffers cannot be had. Buffers may be
// null (the product allocates its own).
void Gemm(int64_t m, int64_t n, int64_t k, const double* const* A, bool TransA,
          const double* const* B, bool TransB, double* const* C, TGemmPath Path = TGemmPath::gpAuto,
          TGemmBuffers* Buffers = nullptr);
// C -= op(A) op(B) in the same way: C(i, j) = C(i, j) - op(A)(i, p) *
// op(B)(p, j) term by term in increasing p.
void GemmSubtract(int64_t m, int64_t n, int64_t k, const double* const* A, bool TransA,
                  const double* const* B, bool TransB, double* const* C,
                  TGemmPath Path = TGemmPath::gpAuto, TGemmBuffers* Buffers = nullptr);

// x[i] /= d for i < n (each quotient correctly rounded, as the plain loop).
inline void DivideBy(double* x, double d, int64_t n) {
  int64_t i = 0;
#if defined(__SSE2__)
  const __m128d vd = _mm_set1_pd(d);
  for (; i + 2 <= n; i += 2) _mm_storeu_pd(x + i, _mm_div_pd(_mm_loadu_pd(x + i), vd));
#endif
  for (; i < n; ++i) x[i] /= d;
}

// Pointers to the columns' first elements.
inline std::vector<const double*> ColumnPointers(const std::vector<std::vector<double>>& a) {
  std::vector<const double*> p(a.size());
  for (size_t c = 0; c < a.size(); ++c) p[c] = a[c].data();
  return p;
}
inline std::vector<double*> ColumnPointers(std::vector<std::vector<double>>& a) {
  std::vector<double*> p(a.size());
  for (size_t c = 0; c < a.size(); ++c) p[c] = a[c].data();
  return p;
}

// True when every element of the columns is finite (neither NaN nor
// infinite): the decompositions refuse other input before any work.
inline bool AllFinite(const std::vector<std::vector<double>>& Cols) {
  for (const auto& col : Cols)
    for (const double x : col)
      if (!std::isfinite(x)) return false;
  return true;
}

// The shape of a matrix when an operation that fires events inside its
// loop starts. A handler may resize the matrix (or swap in new storage);
// the operation then re-checks after every event and stops, because its
// indices and pointers refer to the old storage.
template <class M>
class TShapeOf {
 public:
  explicit TShapeOf(const M& m)
      : m_(m),
        cols_(m.GetNrOfColumns()),
        rows_(m.GetNrOfRows()),
        data_(m.GetMat().data()),
        gen_(m.GetStorageGeneration()) {}
  // The address alone cannot tell: storage freed by a shrink and taken
  // again by a grow back may lie where the old one did.
  bool Same() const {
    return m_.GetNrOfColumns() == cols_ && m_.GetNrOfRows() == rows_ &&
           m_.GetMat().data() == data_ && m_.GetStorageGeneration() == gen_;
  }

 private:
  const M& m_;
  int32_t cols_;
  int32_t rows_;
  const void* data_;
  uint64_t gen_;
};

// ---------------------------------------------------------------------------
// LU decomposition, inversion and determinant (matrix_lu.cpp)
//
// Square matrices given as n column pointers (Cols[c][r] is row r, column
// c). The decomposition is left-looking (Crout's order: every element loses
// L(i, k) U(k, j) one by one in increasing k, with a separate multiply and
// subtract), computed in blocks whose products go through GemmSubtract, so
// it equals the plain column-by-column loop bit for bit.
// ---------------------------------------------------------------------------

// How LuFactor chooses its pivot in column j.
enum class TLuPivot : int32_t {
  lpNone = 0,     // no exchanges (Doolittle); stops at a zero or non-finite pivot
  lpPartial = 1,  // largest |x|, the first on ties; a zero column stays as it is
  lpCrout = 2     // largest Scale[i] |x|, the later on ties; pivots below 1e-100 are raised to it
};

struct TLuResult {
  int32_t Sign = 1;       // of the row permutation
  bool Singular = false;  // lpCrout: a pivot below 1e-100 or not finite; lpNone: a zero pivot
  bool Aborted = false;   // AbortMathProc was found set
};

// L (unit, below the diagonal) and U in place; Perm[j] is the row exchanged
// with row j at step j (whole rows, L included). Scale (lpCrout only, else
// null) holds the row weights and is exchanged with the rows. With
// Progress, core's ReportProgress is called and AbortMathProc read before
// each column is pivoted. lpNone stops at its first bad pivot; the other
// modes run to the end.
TLuResult LuFactor(int64_t n, double* const* Cols, TLuPivot Mode, double* Scale, int64_t* Perm,
                   bool Progress);
// The inverse from LuFactor's factors into the n columns Inv (each n
// elements, overwritten): for every unit vector the exchanges, forward
// substitution with L from its 1 on, back substitution with U taking the
// products in decreasing k and dividing by the diagonal last, all as the
// textbook loops do them. With Progress one ReportProgress per column;
// false when AbortMathProc was found set.
bool LuInverse(int64_t n, const double* const* LU, const int64_t* Perm, double* const* Inv,
               bool Progress);
// Crout inversion with implicit row scaling (row weights 1 / largest |a|).
// Status: 0 done (Inv replaced); -1 not square; -2 out of memory; -3 a zero
// row, a pivot below 1e-100 or not finite; -4 aborted. Inv is untouched
// unless 0.
int32_t LuInvert(const std::vector<std::vector<double>>& A, std::vector<std::vector<double>>& Inv);
// det from lpPartial: the permutation's sign times U's diagonal, the product
// in long double. 0 when not square.
double LuDeterminant(const std::vector<std::vector<double>>& A);
// Doolittle without exchanges: L unit lower, U upper, both n x n. False
// (L, U untouched) when not square or a pivot is zero (the last excepted) or
// not finite.
bool LuDoolittle(const std::vector<std::vector<double>>& A, std::vector<std::vector<double>>& L,
                 std::vector<std::vector<double>>& U);

}  // namespace zel::matrix_detail
