// TMatrix::Square: the cross-product matrix A^T A / Norm, on one thread or
// on a small pool of workers that take columns from a shared counter.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/zel_zelbase.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {

namespace {

// Columns packed in groups of kGroup, interleaved row by row
// (P[g][r * kGroup + q] is row r of column g kGroup + q, zero beyond the
// last column), so that the sums of one column against a whole group run
// as independent lanes that the compiler keeps in vector registers.
constexpr size_t kGroup = 8;  // the SSE2 kernel below assumes 8

std::vector<TDoubleArray> PackGroups(const TDouble2DArray &a) {
  const size_t n = a.size();
  const size_t rows = a.front().size();
  std::vector<TDoubleArray> p((n + kGroup - 1) / kGroup, TDoubleArray(rows * kGroup, 0.0));
  for (size_t c = 0; c < n; ++c) {
    double *dst = p[c / kGroup].data() + c % kGroup;
    const double *src = a[c].data();
    for (size_t r = 0; r < rows; ++r) dst[r * kGroup] = src[r];
  }
  return p;
}

// Entries (c, j) and (j, c) for j >= c of the columns c = i .. i + cnt - 1
// (cnt 1 or 2, which share the loads of the packed groups). Every cell is
// the plain double sum over the rows in increasing order (one lane per
// cell), so neither the grouping nor the thread changes a bit of it.
void SquareColumns(const TDouble2DArray &a, const std::vector<TDoubleArray> &packed,
                   TDouble2DArray &res, size_t i, size_t cnt, double norm) {
  const size_t n = a.size();
  const size_t rows = a[i].size();
  const double *x0 = a[i].data();
  const double *x1 = a[cnt > 1 ? i + 1 : i].data();
  for (size_t g = i / kGroup; g < packed.size(); ++g) {
    const double *y = packed[g].data();
    double s[2][kGroup] = {};
#if defined(__SSE2__)
    // The lane sums in 128-bit registers (multiply, then add).
    __m128d s0 = _mm_setzero_pd(), s1 = s0, s2 = s0, s3 = s0;
    __m128d t0 = s0, t1 = s0, t2 = s0, t3 = s0;
    for (size_t r = 0; r < rows; ++r) {
      const __m128d xa = _mm_set1_pd(x0[r]);
      const __m128d xb = _mm_set1_pd(x1[r]);
      const double *yr = y + r * kGroup;
      const __m128d y0 = _mm_loadu_pd(yr);
      const __m128d y1 = _mm_loadu_pd(yr + 2);
      const __m128d y2 = _mm_loadu_pd(yr + 4);
      const __m128d y3 = _mm_loadu_pd(yr + 6);
      s0 = _mm_add_pd(s0, _mm_mul_pd(xa, y0));
      s1 = _mm_add_pd(s1, _mm_mul_pd(xa, y1));
      s2 = _mm_add_pd(s2, _mm_mul_pd(xa, y2));
      s3 = _mm_add_pd(s3, _mm_mul_pd(xa, y3));
      t0 = _mm_add_pd(t0, _mm_mul_pd(xb, y0));
      t1 = _mm_add_pd(t1, _mm_mul_pd(xb, y1));
      t2 = _mm_add_pd(t2, _mm_mul_pd(xb, y2));
      t3 = _mm_add_pd(t3, _mm_mul_pd(xb, y3));
    }
    _mm_storeu_pd(s[0], s0);
    _mm_storeu_pd(s[0] + 2, s1);
    _mm_storeu_pd(s[0] + 4, s2);
    _mm_storeu_pd(s[0] + 6, s3);
    _mm_storeu_pd(s[1], t0);
    _mm_storeu_pd(s[1] + 2, t1);
    _mm_storeu_pd(s[1] + 4, t2);
    _mm_storeu_pd(s[1] + 6, t3);
#else
    for (size_t r = 0; r < rows; ++r) {
      const double *yr = y + r * kGroup;
      for (size_t q = 0; q < kGroup; ++q) {
        s[0][q] += x0[r] * yr[q];
        s[1][q] += x1[r] * yr[q];
      }
    }
#endif
    for (size_t h = 0; h < cnt; ++h)
      for (size_t q = 0; q < kGroup; ++q) {
        const size_t c = i + h;
        const size_t j = g * kGroup + q;
        if (j < c || j >= n) continue;
        const double v = s[h][q] / norm;
        res[c][j] = v;
        res[j][c] = v;
      }
  }
}

int32_t DefaultThreads() {
  const unsigned hc = std::thread::hardware_concurrency();
  return hc > 1 ? static_cast<int32_t>(hc - 1) : 1;
}

// Runs the workers; false when AbortMathProc stopped the run. Every path
// out, exceptions of MathFeedBackProc included, joins all workers first.
bool SquareThreaded(const TDouble2DArray &a, const std::vector<TDoubleArray> &packed,
                    TDouble2DArray &res, double norm, int32_t nThreads) {
  const auto n = static_cast<int32_t>(a.size());
  std::atomic<int32_t> next{0};
  std::atomic<bool> stop{false};
  std::mutex mu;
  std::condition_variable cv;
  int32_t finished = 0;  // guarded by mu
  auto work = [&]() {
    while (!stop.load(std::memory_order_relaxed)) {
      const int32_t i = 2 * next.fetch_add(1);
      if (i >= n) break;
      const int32_t cnt = std::min(2, n - i);
      SquareColumns(a, packed, res, static_cast<size_t>(i), static_cast<size_t>(cnt), norm);
      {
        const std::lock_guard<std::mutex> lock(mu);
        finished += cnt;
      }
      cv.notify_one();
    }
  };
  std::vector<std::thread> workers;
  struct Joiner {
    std::vector<std::thread> &w;
    std::atomic<bool> &stop;
    ~Joiner() {
      stop = true;
      for (auto &t : w)
        if (t.joinable()) t.join();
    }
  } joiner{workers, stop};
  workers.reserve(static_cast<size_t>(nThreads));
  for (int32_t k = 0; k < nThreads; ++k) {
    try {
      workers.emplace_back(work);
    } catch (const std::system_error &) {
      break;  // the threads that did start share all columns
    }
  }
  if (workers.empty()) work();  // no thread could be had: do it here

  int32_t reported = 0;
  for (;;) {
    int32_t done = 0;
    {
      std::unique_lock<std::mutex> lock(mu);
      cv.wait_for(lock, std::chrono::milliseconds(10), [&] { return finished != reported; });
      done = finished;
    }
    if (done == reported && MathFeedBackProc) MathFeedBackProc(ProcStat);
    for (; reported < done; ++reported) ReportProgress();
    if (AbortMathProc.load()) return false;  // the joiner stops and joins
    if (reported == n) break;
  }
  if (MathFeedBackProc) MathFeedBackProc(ProcStat);
  return true;
}

}  // namespace

bool TMatrix::Square(TMatrix *MatRes, double Norm) const {
  return Square(MatRes, Norm, DefaultThreads());
}

bool TMatrix::Square(TMatrix *MatRes, double Norm, int32_t NThreads) const {
  if (MatRes == nullptr || Norm == 0.0 || std::isnan(Norm)) return false;
  const auto n = static_cast<size_t>(FNCol);
  // Computed apart from MatRes, so MatRes may be this matrix.
  TDouble2DArray res = NewStorage(FNCol, FNCol);
  std::vector<TDoubleArray> packed;
  try {
    packed = PackGroups(Mat);
  } catch (const std::bad_alloc &) {
    Fail("not enough memory on heap");
  }
  // Work comes in pairs of columns; no more threads than pairs.
  const int32_t nt = std::clamp(NThreads, 1, (FNCol + 1) / 2);
  bool ok = true;
  if (nt == 1) {
    for (size_t i = 0; i < n; i += 2) {
      if (AbortMathProc.load()) {
        ok = false;
        break;
      }
      const size_t cnt = std::min<size_t>(2, n - i);
      for (size_t h = 0; h < cnt; ++h) ReportProgress();
      SquareColumns(Mat, packed, res, i, cnt, Norm);
    }
  } else {
    ok = SquareThreaded(Mat, packed, res, Norm, nt);
  }
  const bool resized = MatRes->FNCol != FNCol || MatRes->FNRow != FNCol;
  MatRes->SwapIn(res);
  if (resized)
    MatRes->NotifySizeChange();
  else
    MatRes->Changed();
  return ok;
}

}  // namespace zel
