// Helpers shared by the matrix unit's .cpp files and its tests. Not part of
// the interface: include num/matrix/zel_matrix.hpp instead.
#pragma once

#include <cmath>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "core/zel_system.hpp"

namespace zel::matrix_detail {

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

// Means, variances and correlations use the centred-sum kernels of
// num/vector/vector_kernels.hpp (mean first, then the deviations), never
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
  gpAuto = 0,     // AVX2 when the processor has it, SSE2 otherwise
  gpSimple = 1,   // plain column loops (used for small products)
  gpSse2 = 2,     // 4 x 6 micro-kernel on 128-bit registers
  gpAvx2 = 3      // 8 x 6 micro-kernel on 256-bit registers
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
          const double* const* B, bool TransB, double* const* C,
          TGemmPath Path = TGemmPath::gpAuto, TGemmBuffers* Buffers = nullptr);
// C -= op(A) op(B) in the same way: C(i, j) = C(i, j) - op(A)(i, p) *
// op(B)(p, j) term by term in increasing p.
void GemmSubtract(int64_t m, int64_t n, int64_t k, const double* const* A, bool TransA,
                  const double* const* B, bool TransB, double* const* C,
                  TGemmPath Path = TGemmPath::gpAuto, TGemmBuffers* Buffers = nullptr);

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
      : m_(m), cols_(m.GetNrOfColumns()), rows_(m.GetNrOfRows()), data_(m.GetMat().data()) {}
  bool Same() const {
    return m_.GetNrOfColumns() == cols_ && m_.GetNrOfRows() == rows_ && m_.GetMat().data() == data_;
  }

private:
  const M& m_;
  int32_t cols_;
  int32_t rows_;
  const void* data_;
};

}  // namespace zel::matrix_detail
