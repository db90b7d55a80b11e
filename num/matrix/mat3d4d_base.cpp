// Three- and four-dimensional matrices: what both share -- storage, sizes,
// events, ranges, whole-matrix fills and the statistics over a box.
#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <span>
#include <stdexcept>
#include <tuple>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/zel_random.hpp"
#include "num/matrix/matrix_impl.hpp"
#include "num/math1/zel_math1.hpp"
#include "num/matrix/mat3d4d_impl.hpp"
#include "num/matrix/zel_matrix.hpp"
#include "num/vector/vector_kernels_impl.hpp"

namespace zel {

using mat3d4d_detail::BoxOf;
using mat3d4d_detail::ForEachRun;
using mat3d4d_detail::LayoutFor;
using mat3d4d_detail::TBox;
using mat3d4d_detail::TLayout;
using LD = long double;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The largest element count accepted: far beyond any memory, yet small
// enough that byte counts and index arithmetic cannot overflow int64.
constexpr int64_t kMaxElems = std::numeric_limits<int64_t>::max() / 4 / 8;

// Folds p[0..n) into lo and hi with strict comparisons (a NaN is passed
// over, as x < lo is false for it) and sets nan when one occurs. Minimum and
// maximum do not depend on the order, so the vector lanes give the bits of
// the plain loop.
void RunMinMax(const double* p, int64_t n, double& lo, double& hi, bool& nan) {
  int64_t i = 0;
#if defined(__SSE2__)
  if (n >= 4) {
    // minpd(x, lo) is x < lo ? x : lo, the scalar rule, NaN included.
    __m128d lo0 = _mm_set1_pd(lo), lo1 = lo0, hi0 = _mm_set1_pd(hi), hi1 = hi0;
    __m128d unordered = _mm_setzero_pd();
    for (; i + 4 <= n; i += 4) {
      const __m128d a = _mm_loadu_pd(p + i);
      const __m128d b = _mm_loadu_pd(p + i + 2);
      lo0 = _mm_min_pd(a, lo0);
      lo1 = _mm_min_pd(b, lo1);
      hi0 = _mm_max_pd(a, hi0);
      hi1 = _mm_max_pd(b, hi1);
      unordered = _mm_or_pd(unordered, _mm_or_pd(_mm_cmpunord_pd(a, a), _mm_cmpunord_pd(b, b)));
    }
    alignas(16) double l[2], h[2];
    _mm_store_pd(l, _mm_min_pd(lo0, lo1));
    _mm_store_pd(h, _mm_max_pd(hi0, hi1));
    lo = l[1] < l[0] ? l[1] : l[0];
    hi = h[1] > h[0] ? h[1] : h[0];
    nan = nan || _mm_movemask_pd(unordered) != 0;
  }
#endif
  for (; i < n; ++i) {
    const double x = p[i];
    lo = x < lo ? x : lo;
    hi = x > hi ? x : hi;
    nan = nan || x != x;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Creation, storage, notification
// ---------------------------------------------------------------------------

TMat3D4DBase::TMat3D4DBase(TComponent* AOwner, bool ColumnInnermost)
    : TComponent(AOwner), FColumnInnermost(ColumnInnermost) {
  std::vector<double> data = NewStorage(1, 1, 1, 1);
  SwapIn(data, 1, 1, 1, 1);
}

void TMat3D4DBase::Fail(const std::string& Text) const {
  throw EZELMatrixError(ComponentMessage(Text));
}

std::vector<double> TMat3D4DBase::NewStorage(int64_t Nx, int64_t Ny, int64_t Nz, int64_t Nt) const {
  const int64_t n = mat3d4d_detail::CountWithin({Nx, Ny, Nz, Nt}, kMaxElems);
  if (n < 0) Fail("not enough memory on heap");
  try {
    return std::vector<double>(static_cast<size_t>(n), 0.0);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  Fail("not enough memory on heap");
}

void TMat3D4DBase::SwapIn(std::vector<double>& Data, int32_t Nx, int32_t Ny, int32_t Nz,
                          int32_t Nt) {
  Mat.swap(Data);
  FNumX = Nx;
  FNumY = Ny;
  FNumZ = Nz;
  FNumT = Nt;
  const TLayout L = LayoutFor(Nx, Ny, Nz, Nt, FColumnInnermost);
  for (int32_t d = 0; d < 4; ++d) FStride[d] = L.Stride[d];
}

void TMat3D4DBase::NotifySizeChange() {
  Changed();
  Resized();
}

void TMat3D4DBase::Changed() {
  if (OnChange) OnChange(this);
}

void TMat3D4DBase::Resized() {
  if (OnResize) OnResize(this);
}

void TMat3D4DBase::PercDone(TObject* Sender, int32_t Percent) const {
  if (OnPercentDone) OnPercentDone(Sender, Percent);
}

bool TMat3D4DBase::ResizeTo(int32_t Nx, int32_t Ny, int32_t Nz, int32_t Nt) {
  if (Nx <= 0 || Ny <= 0 || Nz <= 0 || Nt <= 0) return false;
  if (Nx == FNumX && Ny == FNumY && Nz == FNumZ && Nt == FNumT) return true;
  std::vector<double> data = NewStorage(Nx, Ny, Nz, Nt);
  const TLayout to = LayoutFor(Nx, Ny, Nz, Nt, FColumnInnermost);
  const TLayout from = LayoutFor(FNumX, FNumY, FNumZ, FNumT, FColumnInnermost);
  // The overlap is copied run by run along the innermost dimension, which
  // is contiguous in both layouts.
  TBox overlap{};
  const int32_t oldN[4] = {FNumX, FNumY, FNumZ, FNumT};
  const int32_t newN[4] = {Nx, Ny, Nz, Nt};
  for (int32_t d = 0; d < 4; ++d) {
    overlap.Lo[d] = 0;
    overlap.Hi[d] = std::min(oldN[d], newN[d]) - 1;
  }
  const int32_t inner = from.Order[0];
  const int64_t len = mat3d4d_detail::Extent(overlap, inner);
  TBox outer = overlap;
  outer.Hi[inner] = 0;
  int64_t idx[4];
  for (int32_t d = 0; d < 4; ++d) idx[d] = 0;
  for (;;) {
    int64_t src = 0, dst = 0;
    for (int32_t d = 0; d < 4; ++d) {
      src += idx[d] * from.Stride[d];
      dst += idx[d] * to.Stride[d];
    }
    std::copy_n(Mat.begin() + src, len, data.begin() + dst);
    int32_t j = 1;
    for (; j < 4; ++j) {
      const int32_t d = from.Order[j];
      if (++idx[d] <= outer.Hi[d]) break;
      idx[d] = 0;
    }
    if (j == 4) break;
  }
  SwapIn(data, Nx, Ny, Nz, Nt);
  NotifySizeChange();
  return true;
}

// ---------------------------------------------------------------------------
// Ranges
// ---------------------------------------------------------------------------

bool TMat3D4DBase::MakeValidRange(int32_t& Lo, int32_t& Hi, int32_t Count) {
  return matrix_detail::MakeValidRange(Lo, Hi, Count);
}

bool TMat3D4DBase::MakeValidColRange(int32_t& LowCol, int32_t& HighCol) const {
  return MakeValidRange(LowCol, HighCol, FNumX);
}

bool TMat3D4DBase::MakeValidRowRange(int32_t& LowRow, int32_t& HighRow) const {
  return MakeValidRange(LowRow, HighRow, FNumY);
}

bool TMat3D4DBase::MakeValidLayerRange(int32_t& LowLayer, int32_t& HighLayer) const {
  return MakeValidRange(LowLayer, HighLayer, FNumZ);
}

// ---------------------------------------------------------------------------
// Whole-matrix fills
// ---------------------------------------------------------------------------

void TMat3D4DBase::Fill(double Value) {
  std::fill(Mat.begin(), Mat.end(), Value);
  Changed();
}

void TMat3D4DBase::FillDiag(double Value) {
  // A TMat3D has its one time slot only: its diagonal is (i, i, i, 1).
  const int32_t n =
      FColumnInnermost ? std::min({FNumX, FNumY, FNumZ, FNumT}) : std::min({FNumX, FNumY, FNumZ});
  for (int32_t i = 1; i <= n; ++i)
    Mat[static_cast<size_t>(Offset(i, i, i, FColumnInnermost ? i : 1))] = Value;
  Changed();
}

void TMat3D4DBase::FillRandomUniform(double RangeLow, double RangeHigh) {
  const double width = RangeHigh - RangeLow;
  for (double& x : Mat) x = RangeLow + Random() * width;
  Changed();
}

void TMat3D4DBase::FillRandomGauss(double Mean, double StdDev) {
  for (double& x : Mat) x = GRandom() * StdDev + Mean;
  Changed();
}

void TMat3D4DBase::FillSerial(double Offset, double Diff) {
  for (size_t i = 0; i < Mat.size(); ++i) Mat[i] = Offset + static_cast<double>(i) * Diff;
  Changed();
}

// ---------------------------------------------------------------------------
// Statistics over a box
// ---------------------------------------------------------------------------

double TMat3D4DBase::BoxSum(const int32_t (&Lo)[4], const int32_t (&Hi)[4]) const {
  const TLayout L = LayoutFor(FNumX, FNumY, FNumZ, FNumT, FColumnInnermost);
  const double* p = Mat.data();
  LD sum = 0;
  ForEachRun(L, BoxOf(Lo, Hi), [&](int64_t off, int64_t len) {
    sum += vector_detail::LaneSum(p + off, static_cast<size_t>(len),
                                  [](double x) { return static_cast<LD>(x); });
  });
  return static_cast<double>(sum);
}

double TMat3D4DBase::BoxSquaredSum(const int32_t (&Lo)[4], const int32_t (&Hi)[4]) const {
  const TLayout L = LayoutFor(FNumX, FNumY, FNumZ, FNumT, FColumnInnermost);
  const double* p = Mat.data();
  LD sum = 0;
  ForEachRun(L, BoxOf(Lo, Hi), [&](int64_t off, int64_t len) {
    sum += vector_detail::LaneSum(p + off, static_cast<size_t>(len), [](double x) {
      const LD v = x;
      return v * v;
    });
  });
  return static_cast<double>(sum);
}

void TMat3D4DBase::BoxMinMax(const int32_t (&Lo)[4], const int32_t (&Hi)[4], double& Minimum,
                             double& Maximum) const {
  const TLayout L = LayoutFor(FNumX, FNumY, FNumZ, FNumT, FColumnInnermost);
  const double* p = Mat.data();
  // For doubles these are +-uc_MaxReal, the largest finite value.
  double lo = std::numeric_limits<double>::max();
  double hi = std::numeric_limits<double>::lowest();
  bool nan = false;
  ForEachRun(L, BoxOf(Lo, Hi),
             [&](int64_t off, int64_t len) { RunMinMax(p + off, len, lo, hi, nan); });
  // The comparisons pass over NaN; a NaN in the box is the result.
  Minimum = nan ? kNaN : lo;
  Maximum = nan ? kNaN : hi;
}

void TMat3D4DBase::BoxMeanVar(const int32_t (&Lo)[4], const int32_t (&Hi)[4], double& Mean,
                              double& Variance) const {
  const TLayout L = LayoutFor(FNumX, FNumY, FNumZ, FNumT, FColumnInnermost);
  const TBox box = BoxOf(Lo, Hi);
  const double* p = Mat.data();
  const double first = Mat[static_cast<size_t>(Offset(Lo[0], Lo[1], Lo[2], Lo[3]))];
  bool constant = true;
  LD sum = 0;
  ForEachRun(L, box, [&](int64_t off, int64_t len) {
    const auto n = static_cast<size_t>(len);
    constant = constant && vector_detail::AllEqualTo(p + off, n, first);
    sum += vector_detail::LaneSum(p + off, n, [](double x) { return static_cast<LD>(x); });
  });
  const int64_t n = mat3d4d_detail::Volume(box);
  // A constant box has no spread; its mean rounded once could leave a tiny
  // positive sum of squares.
  if (constant) {
    Mean = first;
    Variance = vector_detail::SampleVariance(0, n);
    return;
  }
  const LD mean = sum / static_cast<LD>(n);
  LD ss = 0;
  ForEachRun(L, box, [&](int64_t off, int64_t len) {
    ss += vector_detail::CentredSumSq(p + off, static_cast<size_t>(len), mean);
  });
  Mean = static_cast<double>(mean);
  Variance = vector_detail::SampleVariance(ss, n);
}

int64_t TMat3D4DBase::BoxCountValues(const int32_t (&Lo)[4], const int32_t (&Hi)[4],
                                     double RangeLow, double RangeHigh) const {
  const TLayout L = LayoutFor(FNumX, FNumY, FNumZ, FNumT, FColumnInnermost);
  const double* p = Mat.data();
  int64_t count = 0;
  ForEachRun(L, BoxOf(Lo, Hi), [&](int64_t off, int64_t len) {
    const double* q = p + off;
    for (int64_t i = 0; i < len; ++i) count += (q[i] >= RangeLow && q[i] <= RangeHigh) ? 1 : 0;
  });
  return count;
}

void TMat3D4DBase::BoxFind(const int32_t (&Lo)[4], const int32_t (&Hi)[4], double Value,
                           int32_t (&Ix)[4]) const {
  const TLayout L = LayoutFor(FNumX, FNumY, FNumZ, FNumT, FColumnInnermost);
  const double* p = Mat.data();
  for (int32_t d = 0; d < 4; ++d) Ix[d] = Lo[d];
  // In long double the difference of two doubles cannot overflow.
  LD best = std::numeric_limits<LD>::infinity();
  int64_t bestOff = -1;
  const LD v = Value;
  // The key that decides ties: column first, then row, layer, time slot.
  auto key = [&](int64_t off) {
    int64_t idx[4];
    mat3d4d_detail::Decode(L, off, idx);
    return std::make_tuple(idx[0], idx[1], idx[2], idx[3]);
  };
  ForEachRun(L, BoxOf(Lo, Hi), [&](int64_t off, int64_t len) {
    for (int64_t i = 0; i < len; ++i) {
      const LD d = std::fabs(static_cast<LD>(p[off + i]) - v);
      if (d < best || (d == best && bestOff >= 0 && key(off + i) < key(bestOff))) {
        best = d;
        bestOff = off + i;
      }
    }
  });
  if (bestOff < 0) return;
  int64_t idx[4];
  mat3d4d_detail::Decode(L, bestOff, idx);
  for (int32_t d = 0; d < 4; ++d) Ix[d] = static_cast<int32_t>(idx[d] + 1);
}

std::vector<double> TMat3D4DBase::BoxCopy(const int32_t (&Lo)[4], const int32_t (&Hi)[4]) const {
  const TLayout L = LayoutFor(FNumX, FNumY, FNumZ, FNumT, FColumnInnermost);
  const TBox box = BoxOf(Lo, Hi);
  std::vector<double> out;
  try {
    out.resize(static_cast<size_t>(mat3d4d_detail::Volume(box)));
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  } catch (const std::length_error&) {
    Fail("not enough memory on heap");
  }
  auto dst = out.begin();
  ForEachRun(L, box,
             [&](int64_t off, int64_t len) { dst = std::copy_n(Mat.begin() + off, len, dst); });
  return out;
}

namespace {

// The 0-based rank of the Prob-th percentile among n values, capped at
// n - 1 so that Prob near 100 cannot select past the end.
int32_t PercentileRank(double Prob, int64_t n) {
  const double k = Round(static_cast<double>(n) * Prob / 100);
  return static_cast<int32_t>(std::min<double>(k, static_cast<double>(n - 1)));
}

double Select(std::vector<double>& a, int32_t k, const double* AbundantVal) {
  if (AbundantVal != nullptr)
    return QuickSelect(std::span<const double>(a), k, 0, static_cast<int32_t>(a.size() - 1),
                       *AbundantVal);
  return QuickSelect(std::span<double>(a), k, 0, static_cast<int32_t>(a.size() - 1));
}

}  // namespace

double TMat3D4DBase::BoxPercentile(double Prob, const int32_t (&Lo)[4], const int32_t (&Hi)[4],
                                   int32_t SampleSize, const double* AbundantVal) const {
  if (std::isnan(Prob)) return kNaN;
  Prob = std::clamp(Prob, 0.0, 100.0);
  const TBox box = BoxOf(Lo, Hi);
  const int64_t n = mat3d4d_detail::Volume(box);
  // The selection cannot place NaN; the sampled form checks the whole box
  // too, so that its answer does not depend on the draw.
  double lo = 0, hi = 0;
  BoxMinMax(Lo, Hi, lo, hi);
  if (std::isnan(lo)) return kNaN;
  if (SampleSize <= 0 || SampleSize >= n) {
    // The selection indexes with 32-bit integers.
    if (n > std::numeric_limits<int32_t>::max()) Fail("not enough memory on heap");
    std::vector<double> a = BoxCopy(Lo, Hi);
    return Select(a, PercentileRank(Prob, n), AbundantVal);
  }
  std::vector<double> sample;
  try {
    sample.resize(static_cast<size_t>(SampleSize));
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  SetRandSeed(ClockSeed());
  int64_t negative = 0;
  int64_t zero = 0;
  int32_t ext[4];
  for (int32_t d = 0; d < 4; ++d) ext[d] = Hi[d] - Lo[d] + 1;
  for (double& x : sample) {
    const int32_t c = Lo[0] + Random(ext[0]);
    const int32_t r = Lo[1] + Random(ext[1]);
    const int32_t l = Lo[2] + Random(ext[2]);
    const int32_t t = ext[3] > 1 ? Lo[3] + Random(ext[3]) : Lo[3];
    x = Mat[static_cast<size_t>(Offset(c, r, l, t))];
    negative += x < 0 ? 1 : 0;
    zero += x == 0 ? 1 : 0;
  }
  const double share = Prob / 100;
  const double negShare = static_cast<double>(negative) / SampleSize;
  const double nonPosShare = static_cast<double>(negative + zero) / SampleSize;
  if (share > negShare && share < nonPosShare) return 0;
  return Select(sample, PercentileRank(Prob, SampleSize), AbundantVal);
}

}  // namespace zel
