// Array statistics: means, deviations, extremes, percentiles, histograms,
// counts, correlation, masks, monotonicity and dichotomy.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <span>
#include <vector>

#include "num/arrays/arrays_impl.hpp"
#include "num/math1/zel_math1.hpp"
#include "num/vector/vector_kernels_impl.hpp"

namespace zel {
namespace arrays_detail {

using vector_detail::LD;

// Sum of a run in long double with the library's lane kernel.
template <class T>
LD SumRun(const T* p, size_t m) {
  return vector_detail::LaneSum(p, m, [](T x) { return static_cast<LD>(x); });
}

// Sum and count of a checked range, in long double.
template <class A>
LD RangeSum(const A& a, const Ix<A>& lo, const Ix<A>& hi, size_t& n) {
  LD sum = 0;
  n = 0;
  ForEachRunIn(a, lo, hi, [&](const auto* p, size_t m, const auto&) {
    sum += SumRun(p, m);
    n += m;
  });
  return sum;
}

// Mean and centred sum of squares of a checked range of n values: the mean
// first, then the squared deviations from it. A constant range gives its
// value and exactly 0.
template <class A>
void RangeMeanAndSumSq(const A& a, const Ix<A>& lo, const Ix<A>& hi, LD& mean, LD& ss, size_t& n) {
  using T = ArrayElem<A>;
  // One sweep gives the sum, the count and whether the range is constant.
  LD sum = 0;
  n = 0;
  bool constant = true;
  T first{};
  ForEachRunIn(a, lo, hi, [&](const T* p, size_t m, const auto&) {
    if (n == 0 && m > 0) first = p[0];
    constant = constant && vector_detail::AllEqualTo(p, m, first);
    sum += SumRun(p, m);
    n += m;
  });
  ss = 0;
  if (constant) {
    mean = static_cast<LD>(first);
    return;
  }
  mean = sum / static_cast<LD>(n);
  ForEachRunIn(a, lo, hi, [&](const T* p, size_t m, const auto&) {
    ss += vector_detail::CentredSumSq(p, m, mean);
  });
}

template <class A>
int32_t CheckShapeAndRange(const A& a, const Ix<A>& lo, const Ix<A>& hi) {
  if (const int32_t s = CheckShape(a)) return s;
  return CheckRange(Extents(a), lo, hi);
}

template <NumArray A>
int32_t MeanArray(const A& a, const Ix<A>& lo, const Ix<A>& hi, double& mean) {
  mean = 0;
  if (const int32_t s = CheckShapeAndRange(a, lo, hi)) return s;
  size_t n = 0;
  const LD sum = RangeSum(a, lo, hi, n);
  mean = static_cast<double>(sum / static_cast<LD>(n));
  return 0;
}

template <NumArray A>
int32_t StdDevArray(const A& a, const Ix<A>& lo, const Ix<A>& hi, double& stdDev) {
  stdDev = 0;
  if (const int32_t s = CheckShapeAndRange(a, lo, hi)) return s;
  size_t n = 0;
  LD mean = 0, ss = 0;
  RangeMeanAndSumSq(a, lo, hi, mean, ss, n);
  if (n < 2) return 0;
  stdDev = static_cast<double>(std::sqrt(ss / static_cast<LD>(n - 1)));
  return 0;
}

template <NumArray A>
int32_t MeanVarArray(const A& a, const Ix<A>& lo, const Ix<A>& hi, double& mean, double& variance) {
  mean = 0;
  variance = 0;
  if (const int32_t s = CheckShapeAndRange(a, lo, hi)) return s;
  size_t n = 0;
  LD m = 0, ss = 0;
  RangeMeanAndSumSq(a, lo, hi, m, ss, n);
  mean = static_cast<double>(m);
  // The kernel's rules: 1 below 3 values, never negative, NaN kept.
  variance = vector_detail::SampleVariance(ss, static_cast<int64_t>(n));
  return 0;
}

template <class T>
bool IsNaNElem(T x) {
  if constexpr (std::is_floating_point_v<T>)
    return std::isnan(x);
  else
    return false;
}

template <NumArray A>
bool ExtremeOf(const A& a, bool maximum, ArrayElem<A>& value, Ix<A>& pos) {
  using T = ArrayElem<A>;
  bool found = false;
  bool nan = false;
  T best{};
  Ix<A> cur{};
  ForEachRunPos(a, cur, [&](const T* p, size_t n, const Ix<A>& runPos) {
    for (size_t i = 0; i < n && !nan; ++i) {
      const T x = p[i];
      // NaN has no place in the order: the first one is the extreme.
      nan = IsNaNElem(x);
      if (!found || nan || (maximum ? x > best : x < best)) {
        found = true;
        best = x;
        pos = runPos;
        pos[RankOf<A> - 1] = static_cast<int32_t>(i);
      }
    }
  });
  if (found) value = best;
  return found;
}

template <NumArray A>
int32_t MinMaxRange(const A& a, const Ix<A>& lo, const Ix<A>& hi, double& min, double& max,
                    Ix<A>& minPos, Ix<A>& maxPos) {
  using T = ArrayElem<A>;
  min = 0;
  max = 0;
  minPos = {};
  maxPos = {};
  if (const int32_t s = CheckShape(a)) return s;
  const Extent<A> ext = Extents(a);
  for (size_t d = 0; d < RankOf<A>; ++d)
    if (lo[d] < 0 || hi[d] < 0 || static_cast<size_t>(lo[d]) >= ext[d] ||
        static_cast<size_t>(hi[d]) >= ext[d])
      return -2;
  min = DBL_MAX;
  max = -DBL_MAX;
  for (size_t d = 0; d < RankOf<A>; ++d)
    if (hi[d] < lo[d]) return 0;
  bool nan = false;
  ForEachRunIn(a, lo, hi, [&](const T* p, size_t n, const Ix<A>& runPos) {
    for (size_t i = 0; i < n && !nan; ++i) {
      const double x = static_cast<double>(p[i]);
      if (std::isnan(x)) {
        // NaN is both results, at the position of the first one.
        nan = true;
        min = max = x;
        minPos = runPos;
        minPos[RankOf<A> - 1] += static_cast<int32_t>(i);
        maxPos = minPos;
        break;
      }
      if (x < min) {
        min = x;
        minPos = runPos;
        minPos[RankOf<A> - 1] += static_cast<int32_t>(i);
      }
      if (x > max) {
        max = x;
        maxPos = runPos;
        maxPos[RankOf<A> - 1] += static_cast<int32_t>(i);
      }
    }
  });
  return 0;
}

template <NumArray A>
int32_t CountValues(const A& a, const Ix<A>& lo, const Ix<A>& hi, double low, double high) {
  if (const int32_t s = CheckShapeAndRange(a, lo, hi)) return s;
  if (low > high) return -2;
  int64_t count = 0;
  ForEachRunIn(a, lo, hi, [&](const ArrayElem<A>* p, size_t n, const Ix<A>&) {
    for (size_t i = 0; i < n; ++i) {
      const double x = static_cast<double>(p[i]);
      count += (low <= x && x <= high) ? 1 : 0;
    }
  });
  return static_cast<int32_t>(std::min<int64_t>(count, INT32_MAX));
}

#define ZEL_INST(A)                                                                            \
  template int32_t MeanArray(const A&, const Ix<A>&, const Ix<A>&, double&);                   \
  template int32_t StdDevArray(const A&, const Ix<A>&, const Ix<A>&, double&);                 \
  template int32_t MeanVarArray(const A&, const Ix<A>&, const Ix<A>&, double&, double&);       \
  template bool ExtremeOf(const A&, bool, ArrayElem<A>&, Ix<A>&);                              \
  template int32_t MinMaxRange(const A&, const Ix<A>&, const Ix<A>&, double&, double&, Ix<A>&, \
                               Ix<A>&);                                                        \
  template int32_t CountValues(const A&, const Ix<A>&, const Ix<A>&, double, double);
ZEL_NUM_ARRAYS(ZEL_INST)
#undef ZEL_INST

// The empty-array results of MaxArray and MinArray: the int32 limits, for
// double arrays as double values.
template <class T>
T EmptyMax() {
  return static_cast<T>(std::numeric_limits<int32_t>::min());
}
template <class T>
T EmptyMin() {
  return static_cast<T>(std::numeric_limits<int32_t>::max());
}

template <class T>
int32_t MinMaxOfSpan(std::span<const T> a, T& min, T& max) {
  min = 0;
  max = 0;
  if (a.empty()) return -1;
  T mn = a[0];
  T mx = a[0];
  for (const T x : a) {
    // NaN sticks: no later comparison replaces it.
    mn = x < mn || IsNaNElem(x) ? x : mn;
    mx = x > mx || IsNaNElem(x) ? x : mx;
  }
  min = mn;
  max = mx;
  return 0;
}

// Scratch copy of the rows lo2..hi2 of the columns lo1..hi1 (bounds checked).
std::vector<double> CollectBlock(const TDouble2DArray& a, int32_t lo1, int32_t lo2, int32_t hi1,
                                 int32_t hi2) {
  std::vector<double> v;
  v.reserve(static_cast<size_t>(hi1 - lo1 + 1) * static_cast<size_t>(hi2 - lo2 + 1));
  for (int32_t c = lo1; c <= hi1; ++c) {
    const auto& col = a[static_cast<size_t>(c)];
    v.insert(v.end(), col.begin() + lo2, col.begin() + hi2 + 1);
  }
  return v;
}

double PercentileOf(double p, std::vector<double>& scratch) {
  const size_t n = scratch.size();
  if (n == 0) return 0;
  // NaN has no rank: like the vector and matrix percentiles, any NaN in the
  // data gives NaN, whatever p.
  if (std::any_of(scratch.begin(), scratch.end(), [](double x) { return std::isnan(x); }))
    return std::numeric_limits<double>::quiet_NaN();
  if (std::isnan(p)) p = 0;
  p = std::clamp(p, 0.0, 100.0);
  double k = Round(static_cast<double>(n) * p / 100.0);
  k = std::min(k, static_cast<double>(n - 1));
  const auto last = static_cast<int32_t>(n - 1);
  return QuickSelect(std::span<double>(scratch), static_cast<int32_t>(k), 0, last);
}

// One histogram over values delivered by a visitor.
struct Histogram {
  double Low;
  double High;
  double Width;
  TIntArray Freq;
  int32_t Under = 0;
  int32_t Over = 0;

  void Add(double x) {
    if (x < Low) {
      ++Under;
      return;
    }
    const double bin = std::floor((x - Low) / Width);
    if (x < High + Width && bin < static_cast<double>(Freq.size())) {
      ++Freq[static_cast<size_t>(bin)];
    } else {
      ++Over;  // also NaN
    }
  }
};

// Validates low, high and width; on success bins is the number of bins.
int32_t CheckBins(double low, double high, double width, size_t& bins) {
  if (!(low < high)) return -3;
  if (!(width > 0)) return -4;
  const double b = Round(std::fabs(high - low) / width) + 1;
  if (!(b <= 1000)) return -5;
  bins = static_cast<size_t>(b);
  return 0;
}

// The 2-D histogram, with an optional mask (nullptr: every cell counts).
int32_t FrequDist2D(const TDouble2DArray& a, const TBool2DArray* mask, int32_t lo1, int32_t lo2,
                    int32_t hi1, int32_t hi2, double low, double high, double width,
                    TIntArray& freq, int32_t& underflow, int32_t& overflow, int32_t& maxFreq) {
  underflow = 0;
  overflow = 0;
  maxFreq = 0;
  if (!IsRectangular(a)) return -1;
  const int32_t cols = static_cast<int32_t>(std::min<size_t>(a.size(), INT32_MAX));
  const int32_t rows =
      a.empty() ? 0 : static_cast<int32_t>(std::min<size_t>(a[0].size(), INT32_MAX));
  if (lo1 == 0 && lo2 == 0 && hi1 == 0 && hi2 == 0) {
    hi1 = cols - 1;
    hi2 = rows - 1;
  }
  for (const int32_t c : {lo1, hi1})
    if (c < 0 || c >= cols) return -1;
  for (const int32_t r : {lo2, hi2})
    if (r < 0 || r >= rows) return -1;
  if (hi1 < lo1 || hi2 < lo2) return -2;
  size_t bins = 0;
  if (const int32_t s = CheckBins(low, high, width, bins)) return s;
  if (mask != nullptr) {
    if (!IsRectangular(*mask) || mask->size() != a.size() || (*mask)[0].size() != a[0].size())
      return -6;
  }
  Histogram h{low, high, width, TIntArray(bins, 0)};
  for (int32_t c = lo1; c <= hi1; ++c) {
    const auto& col = a[static_cast<size_t>(c)];
    for (int32_t r = lo2; r <= hi2; ++r) {
      if (mask != nullptr && (*mask)[static_cast<size_t>(c)][static_cast<size_t>(r)] != 0) continue;
      h.Add(col[static_cast<size_t>(r)]);
    }
  }
  freq = std::move(h.Freq);
  underflow = h.Under;
  overflow = h.Over;
  maxFreq = freq.empty() ? 0 : *std::max_element(freq.begin(), freq.end());
  return 0;
}

// Sign of a - b: +1, -1, 0 for equal, 2 when unordered (NaN).
template <class T>
int SignOfDiff(T a, T b) {
  if (a > b) return 1;
  if (a < b) return -1;
  if (a == b) return 0;
  return 2;
}

}  // namespace arrays_detail

using namespace arrays_detail;

// ---------------------------------------------------------------------------
// Extremes
// ---------------------------------------------------------------------------

template <NumArray A>
ArrayElem<A> MaxArray(const A& a) {
  ArrayElem<A> v{};
  Ix<A> pos{};
  return ExtremeOf(a, true, v, pos) ? v : EmptyMax<ArrayElem<A>>();
}

template <NumArray A>
ArrayElem<A> MinArray(const A& a) {
  ArrayElem<A> v{};
  Ix<A> pos{};
  return ExtremeOf(a, false, v, pos) ? v : EmptyMin<ArrayElem<A>>();
}

template <NumElement T>
T MaxArray(const Array1D<T>& a, int32_t& index) {
  T v{};
  TArrayIndex<1> pos{};
  if (!ExtremeOf(a, true, v, pos)) return EmptyMax<T>();
  index = pos[0];
  return v;
}

template <NumElement T>
T MinArray(const Array1D<T>& a, int32_t& index) {
  T v{};
  TArrayIndex<1> pos{};
  if (!ExtremeOf(a, false, v, pos)) return EmptyMin<T>();
  index = pos[0];
  return v;
}

template <NumElement T>
T MaxArray(const Array2D<T>& a, int32_t& column, int32_t& row) {
  T v{};
  TArrayIndex<2> pos{};
  if (!ExtremeOf(a, true, v, pos)) return EmptyMax<T>();
  column = pos[0];
  row = pos[1];
  return v;
}

template <NumElement T>
T MinArray(const Array2D<T>& a, int32_t& column, int32_t& row) {
  T v{};
  TArrayIndex<2> pos{};
  if (!ExtremeOf(a, false, v, pos)) return EmptyMin<T>();
  column = pos[0];
  row = pos[1];
  return v;
}

template <MinMaxArrayType A>
int32_t MinMaxArray(const A& a, ArrayElem<A>& min, ArrayElem<A>& max) {
  using T = ArrayElem<A>;
  min = 0;
  max = 0;
  if (const int32_t s = CheckShape(a)) return s;
  const T* first = nullptr;
  ForEachRun(a, [&](const T* p, size_t) {
    if (first == nullptr) first = p;
  });
  T mn = *first;
  T mx = *first;
  ForEachRun(a, [&](const T* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      const T x = p[i];
      mn = x < mn || IsNaNElem(x) ? x : mn;
      mx = x > mx || IsNaNElem(x) ? x : mx;
    }
  });
  min = mn;
  max = mx;
  return 0;
}

int32_t MinMaxArray(std::span<const double> a, double& min, double& max) {
  return MinMaxOfSpan(a, min, max);
}

int32_t MinMaxArray(std::span<const int32_t> a, int32_t& min, int32_t& max) {
  return MinMaxOfSpan(a, min, max);
}

template <NumElement T>
int32_t MinMaxArray(const Array1D<T>& a, int32_t lo, int32_t hi, double& min, double& max,
                    int32_t& minIndex, int32_t& maxIndex) {
  TArrayIndex<1> pmin{};
  TArrayIndex<1> pmax{};
  const int32_t s = MinMaxRange(a, {lo}, {hi}, min, max, pmin, pmax);
  minIndex = pmin[0];
  maxIndex = pmax[0];
  return s;
}

template <NumElement T>
int32_t MinMaxArray(const Array2D<T>& a, int32_t lo1, int32_t lo2, int32_t hi1, int32_t hi2,
                    double& min, double& max, int32_t& minColumn, int32_t& minRow,
                    int32_t& maxColumn, int32_t& maxRow) {
  TArrayIndex<2> pmin{};
  TArrayIndex<2> pmax{};
  const int32_t s = MinMaxRange(a, {lo1, lo2}, {hi1, hi2}, min, max, pmin, pmax);
  minColumn = pmin[0];
  minRow = pmin[1];
  maxColumn = pmax[0];
  maxRow = pmax[1];
  return s;
}

#define ZEL_INST(A)                         \
  template ArrayElem<A> MaxArray(const A&); \
  template ArrayElem<A> MinArray(const A&); \
  template int32_t MinMaxArray(const A&, ArrayElem<A>&, ArrayElem<A>&);
ZEL_NUM_ARRAYS(ZEL_INST)
#undef ZEL_INST
template int32_t MinMaxArray(const TSingleArray&, float&, float&);

#define ZEL_INST(T)                                                                             \
  template T MaxArray(const Array1D<T>&, int32_t&);                                             \
  template T MinArray(const Array1D<T>&, int32_t&);                                             \
  template T MaxArray(const Array2D<T>&, int32_t&, int32_t&);                                   \
  template T MinArray(const Array2D<T>&, int32_t&, int32_t&);                                   \
  template int32_t MinMaxArray(const Array1D<T>&, int32_t, int32_t, double&, double&, int32_t&, \
                               int32_t&);                                                       \
  template int32_t MinMaxArray(const Array2D<T>&, int32_t, int32_t, int32_t, int32_t, double&,  \
                               double&, int32_t&, int32_t&, int32_t&, int32_t&);
ZEL_NUM_ELEMENTS(ZEL_INST)
#undef ZEL_INST

// ---------------------------------------------------------------------------
// Percentiles and histograms
// ---------------------------------------------------------------------------

template <NumElement T>
double PercentileArray(double p, const Array1D<T>& a) {
  std::vector<double> scratch(a.begin(), a.end());
  return PercentileOf(p, scratch);
}
template double PercentileArray(double, const Array1D<double>&);
template double PercentileArray(double, const Array1D<int32_t>&);

double PercentileArray(double p, const TDoubleArray& a, int32_t lo, int32_t hi) {
  if (a.empty()) return 0;
  NormalizeRange(lo, hi, 0, static_cast<int32_t>(std::min<size_t>(a.size(), INT32_MAX) - 1));
  std::vector<double> scratch(a.begin() + lo, a.begin() + hi + 1);
  return PercentileOf(p, scratch);
}

double PercentileArray(double p, const TDouble2DArray& a, int32_t lo1, int32_t lo2, int32_t hi1,
                       int32_t hi2) {
  if (CheckShape(a) != 0) return 0;
  NormalizeRange(lo1, hi1, 0, static_cast<int32_t>(std::min<size_t>(a.size(), INT32_MAX) - 1));
  NormalizeRange(lo2, hi2, 0, static_cast<int32_t>(std::min<size_t>(a[0].size(), INT32_MAX) - 1));
  std::vector<double> scratch = CollectBlock(a, lo1, lo2, hi1, hi2);
  return PercentileOf(p, scratch);
}

int32_t FrequDistOfArray(const TDoubleArray& a, int32_t lo, int32_t hi, double low, double high,
                         double binWidth, TIntArray& freq, int32_t& underflow, int32_t& overflow,
                         int32_t& maxFreq) {
  // A 1-D array is a single column.
  underflow = 0;
  overflow = 0;
  maxFreq = 0;
  const int32_t n = static_cast<int32_t>(std::min<size_t>(a.size(), INT32_MAX));
  if (lo == 0 && hi == 0) hi = n - 1;
  if (lo < 0 || lo >= n || hi < 0 || hi >= n) return -1;
  if (hi < lo) return -2;
  size_t bins = 0;
  if (const int32_t s = CheckBins(low, high, binWidth, bins)) return s;
  Histogram h{low, high, binWidth, TIntArray(bins, 0)};
  for (int32_t i = lo; i <= hi; ++i) h.Add(a[static_cast<size_t>(i)]);
  freq = std::move(h.Freq);
  underflow = h.Under;
  overflow = h.Over;
  maxFreq = *std::max_element(freq.begin(), freq.end());
  return 0;
}

int32_t FrequDistOfArray(const TDouble2DArray& a, int32_t lo1, int32_t lo2, int32_t hi1,
                         int32_t hi2, double low, double high, double binWidth, TIntArray& freq,
                         int32_t& underflow, int32_t& overflow, int32_t& maxFreq) {
  return FrequDist2D(a, nullptr, lo1, lo2, hi1, hi2, low, high, binWidth, freq, underflow, overflow,
                     maxFreq);
}

int32_t FrequDistOfArray(const TDouble2DArray& a, const TBool2DArray& mask, int32_t lo1,
                         int32_t lo2, int32_t hi1, int32_t hi2, double low, double high,
                         double binWidth, TIntArray& freq, int32_t& underflow, int32_t& overflow,
                         int32_t& maxFreq) {
  return FrequDist2D(a, &mask, lo1, lo2, hi1, hi2, low, high, binWidth, freq, underflow, overflow,
                     maxFreq);
}

// ---------------------------------------------------------------------------
// Differences, correlation, masks
// ---------------------------------------------------------------------------

double SumOfSquaredDiffs(const TDoubleArray& a, const TDoubleArray& b) {
  if (a.empty() || b.empty()) return kSquaredDiffsEmpty;
  if (a.size() != b.size()) return kSquaredDiffsLengths;
  long double s = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    const long double d = static_cast<long double>(a[i]) - b[i];
    s += d * d;
  }
  return static_cast<double>(s);
}

double SumOfSquaredDiffs(const TDoubleArray& a, const TDouble2DArray& b, int32_t column) {
  if (a.empty() || b.empty()) return kSquaredDiffsEmpty;
  if (column < 0 || static_cast<size_t>(column) >= b.size()) return kSquaredDiffsBadColumn;
  return SumOfSquaredDiffs(a, b[static_cast<size_t>(column)]);
}

double PearsonCorrCoeffColsOfArray(const TDouble2DArray& a, int32_t c1, int32_t c2) {
  if (c1 < 0 || c2 < 0 || static_cast<size_t>(c1) >= a.size() ||
      static_cast<size_t>(c2) >= a.size() || !IsRectangular(a))
    return 0;
  const TDoubleArray& x = a[static_cast<size_t>(c1)];
  const TDoubleArray& y = a[static_cast<size_t>(c2)];
  const size_t n = x.size();
  if (n <= 2) return 0;
  return vector_detail::PearsonOf(x.data(), y.data(), n);
}

template <NumElement T>
int32_t SumArrayMasked(const Array2D<T>& a, const TBool2DArray& mask, double& sum) {
  sum = 0;
  const int32_t s = CheckShape(a);
  if (s == kArrayEmpty) return kMaskedEmptyData;
  if (s == kArrayBadRange) return kMaskedBadMask;
  const bool useMask = !mask.empty();
  if (useMask && CheckPair(a, mask) != 0) return kMaskedBadMask;
  long double total = 0;
  int64_t cells = 0;
  for (size_t c = 0; c < a.size(); ++c) {
    const T* p = a[c].data();
    const size_t rows = a[c].size();
    if (!useMask) {
      for (size_t r = 0; r < rows; ++r) total += p[r];
      cells += static_cast<int64_t>(rows);
    } else {
      const uint8_t* m = mask[c].data();
      for (size_t r = 0; r < rows; ++r) {
        if (m[r] != 0) continue;
        total += p[r];
        ++cells;
      }
    }
  }
  sum = static_cast<double>(total);
  return static_cast<int32_t>(std::min<int64_t>(cells, INT32_MAX));
}
template int32_t SumArrayMasked(const Array2D<double>&, const TBool2DArray&, double&);
template int32_t SumArrayMasked(const Array2D<int32_t>&, const TBool2DArray&, double&);

int32_t CountTrueCellsOfArray(const TBoolArray& a) {
  int64_t n = 0;
  for (const uint8_t b : a) n += b != 0 ? 1 : 0;
  return static_cast<int32_t>(std::min<int64_t>(n, INT32_MAX));
}

int32_t CountTrueCellsOfArray(const TBool2DArray& a) {
  int64_t n = 0;
  for (const auto& col : a)
    for (const uint8_t b : col) n += b != 0 ? 1 : 0;
  return static_cast<int32_t>(std::min<int64_t>(n, INT32_MAX));
}

int32_t CountTrueCellsOfArray(const TBool2DArray& a, int32_t c1, int32_t c2, int32_t r1,
                              int32_t r2) {
  if (const int32_t s = CheckShape(a)) return s;
  const auto cols = static_cast<int32_t>(std::min<size_t>(a.size(), INT32_MAX));
  const auto rows = static_cast<int32_t>(std::min<size_t>(a[0].size(), INT32_MAX));
  if (c1 == 0 && c2 == 0) c2 = cols - 1;
  if (r1 == 0 && r2 == 0) r2 = rows - 1;
  if (c1 > c2) std::swap(c1, c2);
  if (r1 > r2) std::swap(r1, r2);
  if (c1 < 0 || c2 >= cols || r1 < 0 || r2 >= rows) return -2;
  int64_t n = 0;
  for (int32_t c = c1; c <= c2; ++c) {
    const uint8_t* p = a[static_cast<size_t>(c)].data();
    for (int32_t r = r1; r <= r2; ++r) n += p[r] != 0 ? 1 : 0;
  }
  return static_cast<int32_t>(std::min<int64_t>(n, INT32_MAX));
}

// ---------------------------------------------------------------------------
// Monotonicity and dichotomy
// ---------------------------------------------------------------------------

template <NumElement T>
bool IsMonotone(const Array1D<T>& a) {
  if (a.size() <= 2) return true;
  int direction = 0;
  for (size_t i = 0; i + 1 < a.size(); ++i) {
    const int d = SignOfDiff(a[i], a[i + 1]);
    if (d == 2) return false;
    if (d == 0) continue;
    if (direction == 0) {
      direction = d;
    } else if (d != direction) {
      return false;
    }
  }
  return true;
}

template <NumElement T>
bool IsStrictlyMonotone(const Array1D<T>& a) {
  if (a.size() <= 2) return true;
  const int first = SignOfDiff(a[0], a[1]);
  if (first == 0 || first == 2) return false;
  for (size_t i = 1; i + 1 < a.size(); ++i)
    if (SignOfDiff(a[i], a[i + 1]) != first) return false;
  return true;
}

template <NumElement T>
bool IsDichotomous(const Array1D<T>& a, T& first, T& second) {
  first = 0;
  second = 0;
  if (a.size() < 2) return false;
  const T v1 = a[0];
  bool haveSecond = false;
  T v2{};
  for (const T x : a) {
    if constexpr (std::is_floating_point_v<T>) {
      if (std::isnan(x)) return false;
    }
    if (x == v1) continue;
    if (!haveSecond) {
      v2 = x;
      haveSecond = true;
    } else if (x != v2) {
      return false;
    }
  }
  if (!haveSecond) return false;
  first = std::min(v1, v2);
  second = std::max(v1, v2);
  return true;
}

#define ZEL_INST(T)                                    \
  template bool IsMonotone(const Array1D<T>&);         \
  template bool IsStrictlyMonotone(const Array1D<T>&); \
  template bool IsDichotomous(const Array1D<T>&, T&, T&);
ZEL_NUM_ELEMENTS(ZEL_INST)
#undef ZEL_INST

}  // namespace zel
