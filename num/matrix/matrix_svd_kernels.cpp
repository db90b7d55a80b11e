// Inner loops of the singular value decomposition: plain C++, SSE2 and AVX2
// forms that give the same bits (see matrix_svd_kernels_impl.hpp).
#include "num/matrix/matrix_svd_kernels_impl.hpp"

#include <algorithm>

#include "num/matrix/matrix_impl.hpp"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ZEL_SVD_X86 1
#endif

namespace zel::matrix_detail {

namespace {

// ---------------------------------------------------------------------------
// Plain C++: the reference for the others and the path off x86.
// ---------------------------------------------------------------------------

double DotScalar(const double* __restrict x, const double* __restrict y, int64_t n) {
  double p[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  int64_t k = 0;
  for (; k + 8 <= n; k += 8)
    for (int q = 0; q < 8; ++q) p[q] += x[k + q] * y[k + q];
  double s = ((p[0] + p[4]) + (p[2] + p[6])) + ((p[1] + p[5]) + (p[3] + p[7]));
  for (; k < n; ++k) s += x[k] * y[k];
  return s;
}

void AxpyScalar(double f, const double* __restrict x, double* __restrict y, int64_t n) {
  for (int64_t k = 0; k < n; ++k) y[k] += f * x[k];
}

// One row through the whole sequence of rotations.
inline void RotateRow(double* const* cols, int64_t r, int64_t count, const double* c,
                      const double* s) {
  double x = cols[0][r];
  for (int64_t t = 0; t < count; ++t) {
    const double y = cols[t + 1][r];
    cols[t][r] = x * c[t] + y * s[t];
    x = y * c[t] - x * s[t];
  }
  cols[count][r] = x;
}

void RotateSeqScalar(double* const* cols, int64_t rows, int64_t count, const double* c,
                     const double* s) {
  for (int64_t r = 0; r < rows; ++r) RotateRow(cols, r, count, c, s);
}

inline void ReflectRow(double* const* cols, int64_t count, int64_t r, const double* u,
                       const double* e) {
  double t = 0.0;
  for (int64_t k = 0; k < count; ++k) t += cols[k][r] * u[k];
  for (int64_t k = 0; k < count; ++k) cols[k][r] += t * e[k];
}

void ReflectRowsScalar(double* const* cols, int64_t count, int64_t r0, int64_t r1, const double* u,
                       const double* e) {
  for (int64_t r = r0; r < r1; ++r) ReflectRow(cols, count, r, u, e);
}

#ifdef ZEL_SVD_X86

// ---------------------------------------------------------------------------
// SSE2 (always there on x86-64): two doubles per register.
// ---------------------------------------------------------------------------

double DotSse2(const double* __restrict x, const double* __restrict y, int64_t n) {
  // a0 holds p0, p1; a1 p2, p3; a2 p4, p5; a3 p6, p7.
  __m128d a0 = _mm_setzero_pd(), a1 = _mm_setzero_pd(), a2 = _mm_setzero_pd(),
          a3 = _mm_setzero_pd();
  int64_t k = 0;
  for (; k + 8 <= n; k += 8) {
    a0 = _mm_add_pd(a0, _mm_mul_pd(_mm_loadu_pd(x + k), _mm_loadu_pd(y + k)));
    a1 = _mm_add_pd(a1, _mm_mul_pd(_mm_loadu_pd(x + k + 2), _mm_loadu_pd(y + k + 2)));
    a2 = _mm_add_pd(a2, _mm_mul_pd(_mm_loadu_pd(x + k + 4), _mm_loadu_pd(y + k + 4)));
    a3 = _mm_add_pd(a3, _mm_mul_pd(_mm_loadu_pd(x + k + 6), _mm_loadu_pd(y + k + 6)));
  }
  const __m128d u = _mm_add_pd(_mm_add_pd(a0, a2), _mm_add_pd(a1, a3));
  double s = _mm_cvtsd_f64(u) + _mm_cvtsd_f64(_mm_unpackhi_pd(u, u));
  for (; k < n; ++k) s += x[k] * y[k];
  return s;
}

void AxpySse2(double f, const double* __restrict x, double* __restrict y, int64_t n) {
  const __m128d vf = _mm_set1_pd(f);
  int64_t k = 0;
  for (; k + 4 <= n; k += 4) {
    _mm_storeu_pd(y + k, _mm_add_pd(_mm_loadu_pd(y + k), _mm_mul_pd(vf, _mm_loadu_pd(x + k))));
    _mm_storeu_pd(y + k + 2,
                  _mm_add_pd(_mm_loadu_pd(y + k + 2), _mm_mul_pd(vf, _mm_loadu_pd(x + k + 2))));
  }
  for (; k < n; ++k) y[k] += f * x[k];
}

// (x, y) -> (x c + y s, y c - x s) on one register of rows; x is the
// running value, y the next column's, p where x goes.
inline void RotSse2(__m128d& x, __m128d y, __m128d c, __m128d s, double* p) {
  _mm_storeu_pd(p, _mm_add_pd(_mm_mul_pd(x, c), _mm_mul_pd(y, s)));
  x = _mm_sub_pd(_mm_mul_pd(y, c), _mm_mul_pd(x, s));
}

void RotateSeqSse2(double* const* cols, int64_t rows, int64_t count, const double* c,
                   const double* s) {
  int64_t r = 0;
  for (; r + 8 <= rows; r += 8) {
    __m128d x0 = _mm_loadu_pd(cols[0] + r), x1 = _mm_loadu_pd(cols[0] + r + 2);
    __m128d x2 = _mm_loadu_pd(cols[0] + r + 4), x3 = _mm_loadu_pd(cols[0] + r + 6);
    for (int64_t t = 0; t < count; ++t) {
      const __m128d ct = _mm_set1_pd(c[t]), st = _mm_set1_pd(s[t]);
      double* p = cols[t] + r;
      const double* q = cols[t + 1] + r;
      const __m128d y0 = _mm_loadu_pd(q), y1 = _mm_loadu_pd(q + 2);
      const __m128d y2 = _mm_loadu_pd(q + 4), y3 = _mm_loadu_pd(q + 6);
      RotSse2(x0, y0, ct, st, p);
      RotSse2(x1, y1, ct, st, p + 2);
      RotSse2(x2, y2, ct, st, p + 4);
      RotSse2(x3, y3, ct, st, p + 6);
    }
    double* p = cols[count] + r;
    _mm_storeu_pd(p, x0);
    _mm_storeu_pd(p + 2, x1);
    _mm_storeu_pd(p + 4, x2);
    _mm_storeu_pd(p + 6, x3);
  }
  for (; r + 2 <= rows; r += 2) {
    __m128d x = _mm_loadu_pd(cols[0] + r);
    for (int64_t t = 0; t < count; ++t)
      RotSse2(x, _mm_loadu_pd(cols[t + 1] + r), _mm_set1_pd(c[t]), _mm_set1_pd(s[t]), cols[t] + r);
    _mm_storeu_pd(cols[count] + r, x);
  }
  for (; r < rows; ++r) RotateRow(cols, r, count, c, s);
}

void ReflectRowsSse2(double* const* cols, int64_t count, int64_t r0, int64_t r1, const double* u,
                     const double* e) {
  int64_t r = r0;
  for (; r + 8 <= r1; r += 8) {
    __m128d t0 = _mm_setzero_pd(), t1 = _mm_setzero_pd(), t2 = _mm_setzero_pd(),
            t3 = _mm_setzero_pd();
    for (int64_t k = 0; k < count; ++k) {
      const __m128d uk = _mm_set1_pd(u[k]);
      const double* p = cols[k] + r;
      t0 = _mm_add_pd(t0, _mm_mul_pd(_mm_loadu_pd(p), uk));
      t1 = _mm_add_pd(t1, _mm_mul_pd(_mm_loadu_pd(p + 2), uk));
      t2 = _mm_add_pd(t2, _mm_mul_pd(_mm_loadu_pd(p + 4), uk));
      t3 = _mm_add_pd(t3, _mm_mul_pd(_mm_loadu_pd(p + 6), uk));
    }
    for (int64_t k = 0; k < count; ++k) {
      const __m128d ek = _mm_set1_pd(e[k]);
      double* p = cols[k] + r;
      _mm_storeu_pd(p, _mm_add_pd(_mm_loadu_pd(p), _mm_mul_pd(t0, ek)));
      _mm_storeu_pd(p + 2, _mm_add_pd(_mm_loadu_pd(p + 2), _mm_mul_pd(t1, ek)));
      _mm_storeu_pd(p + 4, _mm_add_pd(_mm_loadu_pd(p + 4), _mm_mul_pd(t2, ek)));
      _mm_storeu_pd(p + 6, _mm_add_pd(_mm_loadu_pd(p + 6), _mm_mul_pd(t3, ek)));
    }
  }
  for (; r + 2 <= r1; r += 2) {
    __m128d t = _mm_setzero_pd();
    for (int64_t k = 0; k < count; ++k)
      t = _mm_add_pd(t, _mm_mul_pd(_mm_loadu_pd(cols[k] + r), _mm_set1_pd(u[k])));
    for (int64_t k = 0; k < count; ++k) {
      double* p = cols[k] + r;
      _mm_storeu_pd(p, _mm_add_pd(_mm_loadu_pd(p), _mm_mul_pd(t, _mm_set1_pd(e[k]))));
    }
  }
  for (; r < r1; ++r) ReflectRow(cols, count, r, u, e);
}

// ---------------------------------------------------------------------------
// AVX2: four doubles per register. Only "avx2" is enabled, not "fma", so the
// compiler cannot fuse a multiply and an add.
// ---------------------------------------------------------------------------

__attribute__((target("avx2"))) double DotAvx2(const double* __restrict x,
                                               const double* __restrict y, int64_t n) {
  // b0 holds p0..p3, b1 p4..p7.
  __m256d b0 = _mm256_setzero_pd(), b1 = _mm256_setzero_pd();
  int64_t k = 0;
  for (; k + 8 <= n; k += 8) {
    b0 = _mm256_add_pd(b0, _mm256_mul_pd(_mm256_loadu_pd(x + k), _mm256_loadu_pd(y + k)));
    b1 = _mm256_add_pd(b1, _mm256_mul_pd(_mm256_loadu_pd(x + k + 4), _mm256_loadu_pd(y + k + 4)));
  }
  const __m256d t = _mm256_add_pd(b0, b1);  // p0+p4, p1+p5, p2+p6, p3+p7
  const __m128d u = _mm_add_pd(_mm256_castpd256_pd128(t), _mm256_extractf128_pd(t, 1));
  double s = _mm_cvtsd_f64(u) + _mm_cvtsd_f64(_mm_unpackhi_pd(u, u));
  for (; k < n; ++k) s += x[k] * y[k];
  return s;
}

__attribute__((target("avx2"))) void AxpyAvx2(double f, const double* __restrict x,
                                              double* __restrict y, int64_t n) {
  const __m256d vf = _mm256_set1_pd(f);
  int64_t k = 0;
  for (; k + 8 <= n; k += 8) {
    _mm256_storeu_pd(
        y + k, _mm256_add_pd(_mm256_loadu_pd(y + k), _mm256_mul_pd(vf, _mm256_loadu_pd(x + k))));
    _mm256_storeu_pd(y + k + 4, _mm256_add_pd(_mm256_loadu_pd(y + k + 4),
                                              _mm256_mul_pd(vf, _mm256_loadu_pd(x + k + 4))));
  }
  for (; k + 4 <= n; k += 4)
    _mm256_storeu_pd(
        y + k, _mm256_add_pd(_mm256_loadu_pd(y + k), _mm256_mul_pd(vf, _mm256_loadu_pd(x + k))));
  for (; k < n; ++k) y[k] += f * x[k];
}

__attribute__((target("avx2"))) inline void RotAvx2(__m256d& x, __m256d y, __m256d c, __m256d s,
                                                    double* p) {
  _mm256_storeu_pd(p, _mm256_add_pd(_mm256_mul_pd(x, c), _mm256_mul_pd(y, s)));
  x = _mm256_sub_pd(_mm256_mul_pd(y, c), _mm256_mul_pd(x, s));
}

__attribute__((target("avx2"))) void RotateSeqAvx2(double* const* cols, int64_t rows, int64_t count,
                                                   const double* c, const double* s) {
  int64_t r = 0;
  for (; r + 16 <= rows; r += 16) {
    __m256d x0 = _mm256_loadu_pd(cols[0] + r), x1 = _mm256_loadu_pd(cols[0] + r + 4);
    __m256d x2 = _mm256_loadu_pd(cols[0] + r + 8), x3 = _mm256_loadu_pd(cols[0] + r + 12);
    for (int64_t t = 0; t < count; ++t) {
      const __m256d ct = _mm256_set1_pd(c[t]), st = _mm256_set1_pd(s[t]);
      double* p = cols[t] + r;
      const double* q = cols[t + 1] + r;
      const __m256d y0 = _mm256_loadu_pd(q), y1 = _mm256_loadu_pd(q + 4);
      const __m256d y2 = _mm256_loadu_pd(q + 8), y3 = _mm256_loadu_pd(q + 12);
      RotAvx2(x0, y0, ct, st, p);
      RotAvx2(x1, y1, ct, st, p + 4);
      RotAvx2(x2, y2, ct, st, p + 8);
      RotAvx2(x3, y3, ct, st, p + 12);
    }
    double* p = cols[count] + r;
    _mm256_storeu_pd(p, x0);
    _mm256_storeu_pd(p + 4, x1);
    _mm256_storeu_pd(p + 8, x2);
    _mm256_storeu_pd(p + 12, x3);
  }
  for (; r + 4 <= rows; r += 4) {
    __m256d x = _mm256_loadu_pd(cols[0] + r);
    for (int64_t t = 0; t < count; ++t)
      RotAvx2(x, _mm256_loadu_pd(cols[t + 1] + r), _mm256_set1_pd(c[t]), _mm256_set1_pd(s[t]),
              cols[t] + r);
    _mm256_storeu_pd(cols[count] + r, x);
  }
  for (; r < rows; ++r) RotateRow(cols, r, count, c, s);
}

__attribute__((target("avx2"))) void ReflectRowsAvx2(double* const* cols, int64_t count, int64_t r0,
                                                     int64_t r1, const double* u, const double* e) {
  int64_t r = r0;
  for (; r + 16 <= r1; r += 16) {
    __m256d t0 = _mm256_setzero_pd(), t1 = _mm256_setzero_pd();
    __m256d t2 = _mm256_setzero_pd(), t3 = _mm256_setzero_pd();
    for (int64_t k = 0; k < count; ++k) {
      const __m256d uk = _mm256_set1_pd(u[k]);
      const double* p = cols[k] + r;
      t0 = _mm256_add_pd(t0, _mm256_mul_pd(_mm256_loadu_pd(p), uk));
      t1 = _mm256_add_pd(t1, _mm256_mul_pd(_mm256_loadu_pd(p + 4), uk));
      t2 = _mm256_add_pd(t2, _mm256_mul_pd(_mm256_loadu_pd(p + 8), uk));
      t3 = _mm256_add_pd(t3, _mm256_mul_pd(_mm256_loadu_pd(p + 12), uk));
    }
    for (int64_t k = 0; k < count; ++k) {
      const __m256d ek = _mm256_set1_pd(e[k]);
      double* p = cols[k] + r;
      _mm256_storeu_pd(p, _mm256_add_pd(_mm256_loadu_pd(p), _mm256_mul_pd(t0, ek)));
      _mm256_storeu_pd(p + 4, _mm256_add_pd(_mm256_loadu_pd(p + 4), _mm256_mul_pd(t1, ek)));
      _mm256_storeu_pd(p + 8, _mm256_add_pd(_mm256_loadu_pd(p + 8), _mm256_mul_pd(t2, ek)));
      _mm256_storeu_pd(p + 12, _mm256_add_pd(_mm256_loadu_pd(p + 12), _mm256_mul_pd(t3, ek)));
    }
  }
  for (; r + 4 <= r1; r += 4) {
    __m256d t = _mm256_setzero_pd();
    for (int64_t k = 0; k < count; ++k)
      t = _mm256_add_pd(t, _mm256_mul_pd(_mm256_loadu_pd(cols[k] + r), _mm256_set1_pd(u[k])));
    for (int64_t k = 0; k < count; ++k) {
      double* p = cols[k] + r;
      _mm256_storeu_pd(p,
                       _mm256_add_pd(_mm256_loadu_pd(p), _mm256_mul_pd(t, _mm256_set1_pd(e[k]))));
    }
  }
  for (; r < r1; ++r) ReflectRow(cols, count, r, u, e);
}

#endif  // ZEL_SVD_X86

const TSvdKernels kScalar{DotScalar, AxpyScalar, RotateSeqScalar, ReflectRowsScalar};
#ifdef ZEL_SVD_X86
const TSvdKernels kSse2{DotSse2, AxpySse2, RotateSeqSse2, ReflectRowsSse2};
const TSvdKernels kAvx2{DotAvx2, AxpyAvx2, RotateSeqAvx2, ReflectRowsAvx2};
#endif

}  // namespace

TDeferredRotations::TDeferredRotations(double* const* cols, int32_t rows, int32_t ncols,
                                       const TSvdKernels& kernels, const TSvdBlocking& blocking)
    : FCols(cols), FRows(rows), FNCols(ncols), FK(kernels) {
  if (blocking.RowBlock > 0) {
    FRowBlock = blocking.RowBlock;
  } else {
    // A multiple of the widest kernel block (16 rows), at least one.
    const int64_t fit =
        kSvdCacheBytes / (static_cast<int64_t>(sizeof(double)) * std::max(ncols, 1));
    FRowBlock = static_cast<int32_t>(std::max<int64_t>(16, fit / 16 * 16));
  }
  // About eight sweeps over all columns: a flush then costs little beside
  // its arithmetic, and c and s (16 bytes a rotation) stay in the
  // second-level cache beside the block of rows (256 KiB at 2000 columns).
  FCapacity = blocking.MaxRotations > 0 ? blocking.MaxRotations
                                        : std::max<int64_t>(8 * int64_t{ncols}, 1024);
  FShifted.resize(static_cast<size_t>(ncols));
}

void TDeferredRotations::Reserve(int64_t count) {
  if (FUsed + count > FCapacity) Flush();
  const int64_t need = 2 * (FUsed + count);
  if (static_cast<int64_t>(FBuf.size()) < need)
    FBuf.resize(static_cast<size_t>(std::max(need, 2 * FCapacity)));
}

double* TDeferredRotations::AddSweep(int32_t first, int32_t count) {
  Reserve(count);
  FOps.push_back({TKind::kSweep, first, count, 2 * FUsed});
  double* c = FBuf.data() + 2 * FUsed;
  FUsed += count;
  return c;
}

void TDeferredRotations::AddRotation(int32_t p, int32_t q, double c, double s) {
  Reserve(1);
  FOps.push_back({TKind::kPair, p, q, 2 * FUsed});
  FBuf[static_cast<size_t>(2 * FUsed)] = c;
  FBuf[static_cast<size_t>(2 * FUsed + 1)] = s;
  ++FUsed;
}

void TDeferredRotations::AddNegation(int32_t col) { FOps.push_back({TKind::kNegate, col, 0, 0}); }

void TDeferredRotations::Flush() {
  if (FOps.empty()) return;
  for (int32_t r0 = 0; r0 < FRows; r0 += FRowBlock) {
    const int32_t h = std::min(FRowBlock, FRows - r0);
    for (int32_t c = 0; c < FNCols; ++c) FShifted[static_cast<size_t>(c)] = FCols[c] + r0;
    for (const TOp& op : FOps) {
      const double* cs = FBuf.data() + op.Off;
      switch (op.Kind) {
        case TKind::kSweep: FK.RotateSeq(FShifted.data() + op.P, h, op.Q, cs, cs + op.Q); break;
        case TKind::kPair: {
          double* const pair[2] = {FShifted[static_cast<size_t>(op.P)],
                                   FShifted[static_cast<size_t>(op.Q)]};
          FK.RotateSeq(pair, h, 1, cs, cs + 1);
          break;
        }
        case TKind::kNegate: {
          double* x = FShifted[static_cast<size_t>(op.P)];
          for (int32_t r = 0; r < h; ++r) x[r] = -x[r];
          break;
        }
      }
    }
  }
  FOps.clear();
  FUsed = 0;
}

void Axpy(double f, const double* x, double* y, int64_t n) {
  SvdKernels(TSvdPath::spAuto).Axpy(f, x, y, n);
}

const TSvdKernels& SvdKernels(TSvdPath path) {
#ifdef ZEL_SVD_X86
  switch (path) {
    case TSvdPath::spScalar: return kScalar;
    case TSvdPath::spSse2: return kSse2;
    case TSvdPath::spAvx2:
    case TSvdPath::spAuto:
    default: return GemmHasAvx2() ? kAvx2 : kSse2;
  }
#else
  (void)path;
  return kScalar;
#endif
}

}  // namespace zel::matrix_detail
