// The matrix product kernel: packed cache blocks and register-blocked
// micro-kernels in the manner of Goto and van de Geijn ("Anatomy of
// high-performance matrix multiplication", ACM TOMS 34(3), 2008), kept to a
// separate multiply and add per term in increasing k so that every result
// cell is the plain sum of the textbook loop.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "num/matrix/matrix_impl.hpp"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ZEL_GEMM_X86 1
#endif

namespace zel::matrix_detail {

namespace {

// Block sizes: a KC x NR sliver of packed B stays in L1 while the MC x KC
// packed block of A stays in L2; NC bounds the packed B buffer.
constexpr int64_t kKC = 256;
constexpr int64_t kMC = 96;
constexpr int64_t kNC = 1536;
constexpr int64_t kNR = 6;
// Below this many multiply-adds packing costs more than it saves.
constexpr int64_t kSmall = 32 * 32 * 32;

struct Operands {
  const double* const* A;
  bool TransA;
  const double* const* B;
  bool TransB;
};

// c += p, or c -= p when subtracting.
template <bool Sub>
inline void Acc(double& c, double p) {
  if constexpr (Sub)
    c -= p;
  else
    c += p;
}

inline double AElem(const Operands& o, int64_t i, int64_t p) {
  return o.TransA ? o.A[i][p] : o.A[p][i];
}

inline double BElem(const Operands& o, int64_t p, int64_t j) {
  return o.TransB ? o.B[p][j] : o.B[j][p];
}

// Plain loops, each cell summed in increasing p.
template <bool Sub>
void GemmSimple(int64_t m, int64_t n, int64_t k, const Operands& o, double* const* C) {
  for (int64_t j = 0; j < n; ++j) {
    double* c = C[j];
    for (int64_t p = 0; p < k; ++p) {
      const double b = BElem(o, p, j);
      if (!o.TransA) {
        // c - a b is exactly c + a (-b).
        Axpy(Sub ? -b : b, o.A[p], c, m);
      } else {
        for (int64_t i = 0; i < m; ++i) Acc<Sub>(c[i], o.A[i][p] * b);
      }
    }
  }
}

// Packs rows i0..i0+mc-1, columns p0..p0+kc-1 of op(A) into panels of MR
// rows: panel q holds, for each p, the MR values of its rows (zeros below
// the last row).
template <int64_t MR>
void PackA(const Operands& o, int64_t i0, int64_t mc, int64_t p0, int64_t kc, double* dst) {
  if (!o.TransA) {
    // Column by column, so each column of A is read in one stretch.
    const int64_t full = mc / MR * MR;
    for (int64_t p = 0; p < kc; ++p) {
      const double* a = o.A[p0 + p] + i0;
      for (int64_t q = 0; q < full; q += MR)
        std::memcpy(dst + q * kc + p * MR, a + q, MR * sizeof(double));
      if (full < mc) {
        double* out = dst + full * kc + p * MR;
        for (int64_t r = 0; r < MR; ++r) out[r] = full + r < mc ? a[full + r] : 0.0;
      }
    }
    return;
  }
  for (int64_t q = 0; q < mc; q += MR) {
    const int64_t rows = std::min(MR, mc - q);
    double* panel = dst + q * kc;
    for (int64_t r = 0; r < MR; ++r) {
      if (r < rows) {
        const double* a = o.A[i0 + q + r] + p0;
        for (int64_t p = 0; p < kc; ++p) panel[p * MR + r] = a[p];
      } else {
        for (int64_t p = 0; p < kc; ++p) panel[p * MR + r] = 0.0;
      }
    }
  }
}

// Packs rows p0..p0+kc-1, columns j0..j0+nc-1 of op(B) into panels of NR
// columns: panel q holds, for each p, the NR values of its columns.
void PackB(const Operands& o, int64_t p0, int64_t kc, int64_t j0, int64_t nc, double* dst) {
  for (int64_t q = 0; q < nc; q += kNR) {
    const int64_t cols = std::min(kNR, nc - q);
    double* panel = dst + q * kc;
    if (!o.TransB) {
      for (int64_t c = 0; c < kNR; ++c) {
        if (c < cols) {
          const double* b = o.B[j0 + q + c] + p0;
          for (int64_t p = 0; p < kc; ++p) panel[p * kNR + c] = b[p];
        } else {
          for (int64_t p = 0; p < kc; ++p) panel[p * kNR + c] = 0.0;
        }
      }
    } else {
      for (int64_t p = 0; p < kc; ++p) {
        const double* b = o.B[p0 + p] + j0 + q;
        double* out = panel + p * kNR;
        for (int64_t c = 0; c < cols; ++c) out[c] = b[c];
        for (int64_t c = cols; c < kNR; ++c) out[c] = 0.0;
      }
    }
  }
}

// A micro-kernel: c[j][0..MR) += sum over p of Ap[p][0..MR) * Bp[p][j],
// j < NR, term by term in increasing p.
using KernelFn = void (*)(int64_t kc, const double* Ap, const double* Bp, double* const* c);

#ifndef ZEL_GEMM_X86
// The portable kernel (processors without SSE2).
template <int64_t MR, bool Sub>
void KernelPortable(int64_t kc, const double* Ap, const double* Bp, double* const* c) {
  double acc[kNR][MR];
  for (int64_t j = 0; j < kNR; ++j)
    for (int64_t i = 0; i < MR; ++i) acc[j][i] = c[j][i];
  for (int64_t p = 0; p < kc; ++p) {
    for (int64_t j = 0; j < kNR; ++j) {
      const double b = Bp[p * kNR + j];
      for (int64_t i = 0; i < MR; ++i) Acc<Sub>(acc[j][i], Ap[p * MR + i] * b);
    }
  }
  for (int64_t j = 0; j < kNR; ++j)
    for (int64_t i = 0; i < MR; ++i) c[j][i] = acc[j][i];
}
#endif

#ifdef ZEL_GEMM_X86

template <bool Sub>
inline __m128d Acc2(__m128d c, __m128d p) {
  if constexpr (Sub)
    return _mm_sub_pd(c, p);
  else
    return _mm_add_pd(c, p);
}

// 4 x 6 on 128-bit registers: 12 accumulators, two A registers, one B.
template <bool Sub>
void KernelSse2(int64_t kc, const double* Ap, const double* Bp, double* const* c) {
  __m128d c00 = _mm_loadu_pd(c[0]), c01 = _mm_loadu_pd(c[0] + 2);
  __m128d c10 = _mm_loadu_pd(c[1]), c11 = _mm_loadu_pd(c[1] + 2);
  __m128d c20 = _mm_loadu_pd(c[2]), c21 = _mm_loadu_pd(c[2] + 2);
  __m128d c30 = _mm_loadu_pd(c[3]), c31 = _mm_loadu_pd(c[3] + 2);
  __m128d c40 = _mm_loadu_pd(c[4]), c41 = _mm_loadu_pd(c[4] + 2);
  __m128d c50 = _mm_loadu_pd(c[5]), c51 = _mm_loadu_pd(c[5] + 2);
  for (int64_t p = 0; p < kc; ++p) {
    const __m128d a0 = _mm_loadu_pd(Ap);
    const __m128d a1 = _mm_loadu_pd(Ap + 2);
    __m128d b = _mm_set1_pd(Bp[0]);
    c00 = Acc2<Sub>(c00, _mm_mul_pd(a0, b));
    c01 = Acc2<Sub>(c01, _mm_mul_pd(a1, b));
    b = _mm_set1_pd(Bp[1]);
    c10 = Acc2<Sub>(c10, _mm_mul_pd(a0, b));
    c11 = Acc2<Sub>(c11, _mm_mul_pd(a1, b));
    b = _mm_set1_pd(Bp[2]);
    c20 = Acc2<Sub>(c20, _mm_mul_pd(a0, b));
    c21 = Acc2<Sub>(c21, _mm_mul_pd(a1, b));
    b = _mm_set1_pd(Bp[3]);
    c30 = Acc2<Sub>(c30, _mm_mul_pd(a0, b));
    c31 = Acc2<Sub>(c31, _mm_mul_pd(a1, b));
    b = _mm_set1_pd(Bp[4]);
    c40 = Acc2<Sub>(c40, _mm_mul_pd(a0, b));
    c41 = Acc2<Sub>(c41, _mm_mul_pd(a1, b));
    b = _mm_set1_pd(Bp[5]);
    c50 = Acc2<Sub>(c50, _mm_mul_pd(a0, b));
    c51 = Acc2<Sub>(c51, _mm_mul_pd(a1, b));
    Ap += 4;
    Bp += kNR;
  }
  _mm_storeu_pd(c[0], c00);
  _mm_storeu_pd(c[0] + 2, c01);
  _mm_storeu_pd(c[1], c10);
  _mm_storeu_pd(c[1] + 2, c11);
  _mm_storeu_pd(c[2], c20);
  _mm_storeu_pd(c[2] + 2, c21);
  _mm_storeu_pd(c[3], c30);
  _mm_storeu_pd(c[3] + 2, c31);
  _mm_storeu_pd(c[4], c40);
  _mm_storeu_pd(c[4] + 2, c41);
  _mm_storeu_pd(c[5], c50);
  _mm_storeu_pd(c[5] + 2, c51);
}

template <bool Sub>
__attribute__((target("avx2"), always_inline)) inline __m256d Acc4(__m256d c, __m256d p) {
  if constexpr (Sub)
    return _mm256_sub_pd(c, p);
  else
    return _mm256_add_pd(c, p);
}

// 8 x 6 on 256-bit registers. Only "avx2" is enabled, not "fma", so the
// compiler cannot fuse the multiply and the add.
template <bool Sub>
__attribute__((target("avx2"))) void KernelAvx2(int64_t kc, const double* Ap, const double* Bp,
                                                double* const* c) {
  __m256d c00 = _mm256_loadu_pd(c[0]), c01 = _mm256_loadu_pd(c[0] + 4);
  __m256d c10 = _mm256_loadu_pd(c[1]), c11 = _mm256_loadu_pd(c[1] + 4);
  __m256d c20 = _mm256_loadu_pd(c[2]), c21 = _mm256_loadu_pd(c[2] + 4);
  __m256d c30 = _mm256_loadu_pd(c[3]), c31 = _mm256_loadu_pd(c[3] + 4);
  __m256d c40 = _mm256_loadu_pd(c[4]), c41 = _mm256_loadu_pd(c[4] + 4);
  __m256d c50 = _mm256_loadu_pd(c[5]), c51 = _mm256_loadu_pd(c[5] + 4);
  for (int64_t p = 0; p < kc; ++p) {
    const __m256d a0 = _mm256_loadu_pd(Ap);
    const __m256d a1 = _mm256_loadu_pd(Ap + 4);
    __m256d b = _mm256_broadcast_sd(Bp);
    c00 = Acc4<Sub>(c00, _mm256_mul_pd(a0, b));
    c01 = Acc4<Sub>(c01, _mm256_mul_pd(a1, b));
    b = _mm256_broadcast_sd(Bp + 1);
    c10 = Acc4<Sub>(c10, _mm256_mul_pd(a0, b));
    c11 = Acc4<Sub>(c11, _mm256_mul_pd(a1, b));
    b = _mm256_broadcast_sd(Bp + 2);
    c20 = Acc4<Sub>(c20, _mm256_mul_pd(a0, b));
    c21 = Acc4<Sub>(c21, _mm256_mul_pd(a1, b));
    b = _mm256_broadcast_sd(Bp + 3);
    c30 = Acc4<Sub>(c30, _mm256_mul_pd(a0, b));
    c31 = Acc4<Sub>(c31, _mm256_mul_pd(a1, b));
    b = _mm256_broadcast_sd(Bp + 4);
    c40 = Acc4<Sub>(c40, _mm256_mul_pd(a0, b));
    c41 = Acc4<Sub>(c41, _mm256_mul_pd(a1, b));
    b = _mm256_broadcast_sd(Bp + 5);
    c50 = Acc4<Sub>(c50, _mm256_mul_pd(a0, b));
    c51 = Acc4<Sub>(c51, _mm256_mul_pd(a1, b));
    Ap += 8;
    Bp += kNR;
  }
  _mm256_storeu_pd(c[0], c00);
  _mm256_storeu_pd(c[0] + 4, c01);
  _mm256_storeu_pd(c[1], c10);
  _mm256_storeu_pd(c[1] + 4, c11);
  _mm256_storeu_pd(c[2], c20);
  _mm256_storeu_pd(c[2] + 4, c21);
  _mm256_storeu_pd(c[3], c30);
  _mm256_storeu_pd(c[3] + 4, c31);
  _mm256_storeu_pd(c[4], c40);
  _mm256_storeu_pd(c[4] + 4, c41);
  _mm256_storeu_pd(c[5], c50);
  _mm256_storeu_pd(c[5] + 4, c51);
}

#endif

// The blocked product with a micro-kernel of MR rows.
template <int64_t MR>
void GemmBlocked(int64_t m, int64_t n, int64_t k, const Operands& o, double* const* C,
                 TGemmBuffers& buffers, KernelFn kernel) {
  const int64_t mcMax = std::min(kMC, (m + MR - 1) / MR * MR);
  const int64_t ncMax = std::min(kNC, (n + kNR - 1) / kNR * kNR);
  const int64_t kcMax = std::min(kKC, k);
  std::vector<double>& packA = buffers.A;
  std::vector<double>& packB = buffers.B;
  // Grown, never shrunk: a caller's buffers serve many products.
  if (packA.size() < static_cast<size_t>(mcMax * kcMax))
    packA.resize(static_cast<size_t>(mcMax * kcMax));
  if (packB.size() < static_cast<size_t>(ncMax * kcMax))
    packB.resize(static_cast<size_t>(ncMax * kcMax));
  double edge[kNR][MR];
  double* edgeCols[kNR];
  for (int64_t j = 0; j < kNR; ++j) edgeCols[j] = edge[j];
  double* cols[kNR];

  for (int64_t jc = 0; jc < n; jc += kNC) {
    const int64_t nc = std::min(kNC, n - jc);
    for (int64_t pc = 0; pc < k; pc += kKC) {
      const int64_t kc = std::min(kKC, k - pc);
      PackB(o, pc, kc, jc, nc, packB.data());
      for (int64_t ic = 0; ic < m; ic += kMC) {
        const int64_t mc = std::min(kMC, m - ic);
        PackA<MR>(o, ic, mc, pc, kc, packA.data());
        for (int64_t jr = 0; jr < nc; jr += kNR) {
          const int64_t nr = std::min(kNR, nc - jr);
          const double* bp = packB.data() + jr * kc;
          for (int64_t ir = 0; ir < mc; ir += MR) {
            const int64_t mr = std::min(MR, mc - ir);
            const double* ap = packA.data() + ir * kc;
            const int64_t i0 = ic + ir;
            if (mr == MR && nr == kNR) {
              for (int64_t j = 0; j < kNR; ++j) cols[j] = C[jc + jr + j] + i0;
              kernel(kc, ap, bp, cols);
            } else {
              // Edge tile: work on a full-size copy; the padding rows and
              // columns of the packs are zero and never stored back.
              for (int64_t j = 0; j < kNR; ++j)
                for (int64_t i = 0; i < MR; ++i)
                  edge[j][i] = (j < nr && i < mr) ? C[jc + jr + j][i0 + i] : 0.0;
              kernel(kc, ap, bp, edgeCols);
              for (int64_t j = 0; j < nr; ++j)
                for (int64_t i = 0; i < mr; ++i) C[jc + jr + j][i0 + i] = edge[j][i];
            }
          }
        }
      }
    }
  }
}

}  // namespace

bool GemmHasAvx2() {
#ifdef ZEL_GEMM_X86
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
}

namespace {

template <bool Sub>
void GemmAny(int64_t m, int64_t n, int64_t k, const Operands& o, double* const* C, TGemmPath Path,
             TGemmBuffers* Buffers) {
  if (m <= 0 || n <= 0 || k <= 0) return;
  TGemmBuffers local;
  TGemmBuffers& buffers = Buffers != nullptr ? *Buffers : local;
  if (Path == TGemmPath::gpAuto) {
    if (m * n * k <= kSmall)
      Path = TGemmPath::gpSimple;
    else
      Path = GemmHasAvx2() ? TGemmPath::gpAvx2 : TGemmPath::gpSse2;
  }
  switch (Path) {
    case TGemmPath::gpSimple: GemmSimple<Sub>(m, n, k, o, C); return;
#ifdef ZEL_GEMM_X86
    case TGemmPath::gpAvx2:
      if (GemmHasAvx2()) {
        GemmBlocked<8>(m, n, k, o, C, buffers, KernelAvx2<Sub>);
        return;
      }
      GemmBlocked<4>(m, n, k, o, C, buffers, KernelSse2<Sub>);
      return;
    case TGemmPath::gpSse2:
    default: GemmBlocked<4>(m, n, k, o, C, buffers, KernelSse2<Sub>); return;
#else
    default: GemmBlocked<4>(m, n, k, o, C, buffers, KernelPortable<4, Sub>); return;
#endif
  }
}

}  // namespace

void Gemm(int64_t m, int64_t n, int64_t k, const double* const* A, bool TransA,
          const double* const* B, bool TransB, double* const* C, TGemmPath Path,
          TGemmBuffers* Buffers) {
  GemmAny<false>(m, n, k, Operands{A, TransA, B, TransB}, C, Path, Buffers);
}

void GemmSubtract(int64_t m, int64_t n, int64_t k, const double* const* A, bool TransA,
                  const double* const* B, bool TransB, double* const* C, TGemmPath Path,
                  TGemmBuffers* Buffers) {
  GemmAny<true>(m, n, k, Operands{A, TransA, B, TransB}, C, Path, Buffers);
}

}  // namespace zel::matrix_detail
