// Vectors: algebra, statistics, search and sort, the checksum, histograms
// and integration.
#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <span>
#include <utility>

#include "core/zel_binary.hpp"
#include "num/math1/zel_math1.hpp"
#include "num/vector/vector_kernels_impl.hpp"
#include "num/vector/zel_vector.hpp"

namespace zel {

using vector_detail::LD;

namespace {

constexpr bool kAscending = true;

template <class T>
constexpr bool IsInt = std::is_same_v<T, int32_t>;

// Skewness and excess kurtosis with the sample standard deviation; false
// (both 0) for fewer than 4 values or a zero deviation.
template <class T>
bool SkewKurtOf(std::span<const T> x, double& skewness, double& kurtosis) {
  skewness = 0;
  kurtosis = 0;
  const size_t n = x.size();
  if (n < 4) return false;
  const LD nn = static_cast<LD>(n);
  LD mean = 0, d2 = 0;
  vector_detail::MeanAndSumSq(x.data(), n, mean, d2);
  // NaN data give NaN moments rather than the zeros of constant data.
  if (std::isnan(d2)) {
    skewness = kurtosis = std::numeric_limits<double>::quiet_NaN();
    return false;
  }
  if (!(d2 > 0)) return false;
  LD d3 = 0, d4 = 0;
  for (const T v : x) {
    const LD d = static_cast<LD>(v) - mean;
    const LD dd = d * d;
    d3 += dd * d;
    d4 += dd * dd;
  }
  const LD s2 = d2 / (nn - 1);
  const LD s = std::sqrt(s2);
  skewness = static_cast<double>(d3 / nn / (s2 * s));
  kurtosis = static_cast<double>(d4 / nn / (s2 * s2) - 3);
  return true;
}

// Comb sort of p[0..len-1] with the gap rule of SortElems; each exchange is
// reported to onExchange(i, j) with 0-based positions when Events is set.
template <bool Asc, bool Events, class T, class F>
void CombSortRange(T* p, size_t len, [[maybe_unused]] F&& onExchange) {
  size_t gap = len;
  bool exchanged = true;
  while (gap > 1 || exchanged) {
    gap = std::max<size_t>(1, static_cast<size_t>(static_cast<double>(gap) / 1.3));
    exchanged = false;
    for (size_t i = 0; i + gap < len; ++i) {
      const bool outOfOrder = Asc ? (p[i] > p[i + gap]) : (p[i] < p[i + gap]);
      if (outOfOrder) {
        std::swap(p[i], p[i + gap]);
        exchanged = true;
        if constexpr (Events) onExchange(i, i + gap);
      }
    }
    ReportProgress();
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Vector algebra
// ---------------------------------------------------------------------------

template <class T>
void TVectorT<T>::Add(const TVectorT* OtherVec) {
  if (OtherVec == nullptr) return;
  if (OtherVec->FVec.size() != FVec.size()) Fail("vectors have different dimensions");
  const T* b = OtherVec->FVec.data();
  const size_t n = FVec.size();
  for (size_t i = 0; i < n; ++i) {
    if constexpr (IsInt<T>)
      FVec[i] = WrapAdd(FVec[i], b[i]);
    else
      FVec[i] += b[i];
  }
  Changed();
}

template <class T>
void TVectorT<T>::Subtract(const TVectorT* OtherVec) {
  if (OtherVec == nullptr) return;
  if (OtherVec->FVec.size() != FVec.size()) Fail("vectors have different dimensions");
  const T* b = OtherVec->FVec.data();
  const size_t n = FVec.size();
  for (size_t i = 0; i < n; ++i) {
    if constexpr (IsInt<T>)
      FVec[i] = WrapSub(FVec[i], b[i]);
    else
      FVec[i] -= b[i];
  }
  Changed();
}

template <class T>
void TVectorT<T>::SMult(T Scalar) {
  for (T& x : FVec) {
    if constexpr (IsInt<T>)
      x = WrapMul(x, Scalar);
    else
      x *= Scalar;
  }
  Changed();
}

template <class T>
T TVectorT<T>::DotProduct(const TVectorT* OtherVec) const {
  if (OtherVec == nullptr) return 0;
  if (OtherVec->FVec.size() != FVec.size()) Fail("vectors have different dimensions");
  if constexpr (IsInt<T>)
    return vector_detail::WrapDot(FVec.data(), OtherVec->FVec.data(), FVec.size());
  else
    return static_cast<double>(
        vector_detail::LaneDot(FVec.data(), OtherVec->FVec.data(), FVec.size()));
}

template <class T>
double TVectorT<T>::EuclideanDistance(const TVectorT* OtherVec) const {
  if (OtherVec == nullptr) return 0;
  if (OtherVec->FVec.size() != FVec.size())
    throw EZELVectorError("EuclideanDistance: dimensions of vectors do not match");
  const T* a = FVec.data();
  const T* b = OtherVec->FVec.data();
  LD s0 = 0, s1 = 0;
  const size_t n = FVec.size();
  size_t i = 0;
  for (; i + 2 <= n; i += 2) {
    const LD d0 = static_cast<LD>(a[i]) - static_cast<LD>(b[i]);
    const LD d1 = static_cast<LD>(a[i + 1]) - static_cast<LD>(b[i + 1]);
    s0 += d0 * d0;
    s1 += d1 * d1;
  }
  if (i < n) {
    const LD d = static_cast<LD>(a[i]) - static_cast<LD>(b[i]);
    s0 += d * d;
  }
  return static_cast<double>(std::sqrt(s0 + s1));
}

template <class T>
double TVectorT<T>::PearsonCorrCoeff(const TVectorT* OtherVec) const {
  if (OtherVec == nullptr) return 0;
  const size_t n = FVec.size();
  if (OtherVec->FVec.size() != n || n < 2) return 0;
  return vector_detail::PearsonOf(FVec.data(), OtherVec->FVec.data(), n);
}

template <class T>
T TVectorT<T>::Correlate(const TVectorT* OtherVec, int32_t ElemShift) const {
  if (OtherVec == nullptr) return 0;
  const int64_t first = std::max<int64_t>(1, int64_t{ElemShift} + 1);
  const int64_t last =
      std::min<int64_t>(GetNrOfElem(), int64_t{ElemShift} + OtherVec->GetNrOfElem());
  if (last - first + 1 < 2) return 0;
  const auto len = static_cast<size_t>(last - first + 1);
  const T* a = FVec.data() + (first - 1);
  const T* b = OtherVec->FVec.data() + (first - ElemShift - 1);
  if constexpr (IsInt<T>)
    return vector_detail::WrapDot(a, b, len);
  else
    return static_cast<double>(vector_detail::LaneDot(a, b, len));
}

// ---------------------------------------------------------------------------
// Statistics
// ---------------------------------------------------------------------------

namespace {

// The normalised range of a vector's storage as a span.
template <class T>
std::span<const T> RangeSpan(const std::vector<T>& v, int32_t lo, int32_t hi) {
  return {v.data() + (lo - 1), static_cast<size_t>(hi - lo + 1)};
}

}  // namespace

template <class T>
T TVectorT<T>::Sum(int32_t LowElem, int32_t HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  const auto x = RangeSpan(FVec, LowElem, HighElem);
  if constexpr (IsInt<T>)
    return vector_detail::WrapSum(x.data(), x.size());
  else
    return static_cast<double>(
        vector_detail::LaneSum(x.data(), x.size(), [](double v) { return static_cast<LD>(v); }));
}

template <class T>
void TVectorT<T>::MinMax(int32_t LowElem, int32_t HighElem, T& Minimum, T& Maximum) const {
  int32_t minIx = 0, maxIx = 0;
  MinMax(LowElem, HighElem, Minimum, Maximum, minIx, maxIx);
}

template <class T>
void TVectorT<T>::MinMax(int32_t LowElem, int32_t HighElem, T& Minimum, T& Maximum, int32_t& MinIx,
                         int32_t& MaxIx) const {
  MakeValidElemRange(LowElem, HighElem);
  T mn = FVec[static_cast<size_t>(LowElem - 1)];
  T mx = mn;
  int32_t imn = LowElem, imx = LowElem;
  for (int32_t i = LowElem; i <= HighElem; ++i) {
    const T x = FVec[static_cast<size_t>(i - 1)];
    if constexpr (!IsInt<T>) {
      // NaN has no place in the order: it is the result wherever it stands.
      if (std::isnan(x)) {
        mn = mx = x;
        imn = imx = i;
        break;
      }
    }
    if (x < mn) {
      mn = x;
      imn = i;
    }
    if (x > mx) {
      mx = x;
      imx = i;
    }
  }
  Minimum = mn;
  Maximum = mx;
  MinIx = imn;
  MaxIx = imx;
}

template <class T>
void TVectorT<T>::MeanVar(int32_t LowElem, int32_t HighElem, double& Mean, double& Variance) const {
  MakeValidElemRange(LowElem, HighElem);
  const auto x = RangeSpan(FVec, LowElem, HighElem);
  LD mean = 0, ss = 0;
  vector_detail::MeanAndSumSq(x.data(), x.size(), mean, ss);
  Mean = static_cast<double>(mean);
  Variance = vector_detail::SampleVariance(ss, static_cast<int64_t>(x.size()));
}

template <class T>
void TVectorT<T>::SkewKurt(int32_t LowElem, int32_t HighElem, double& Skewness,
                           double& Kurtosis) const {
  MakeValidElemRange(LowElem, HighElem);
  SkewKurtOf(RangeSpan(FVec, LowElem, HighElem), Skewness, Kurtosis);
}

template <class T>
void TVectorT<T>::SkewKurtSample(int32_t LowElem, int32_t HighElem, double& Skewness,
                                 double& Kurtosis) const {
  MakeValidElemRange(LowElem, HighElem);
  const auto x = RangeSpan(FVec, LowElem, HighElem);
  if (!SkewKurtOf(x, Skewness, Kurtosis)) return;
  const double n = static_cast<double>(x.size());
  Kurtosis = (Kurtosis + 3) * n * n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) -
             3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3));
  Skewness = Skewness * n * n / ((n - 1) * (n - 2));
}

namespace {

// A sorted copy of a range (comb sort, so NaNs cannot break the sort);
// nullopt-free: throws std::bad_alloc when the copy cannot be made.
template <class T>
std::vector<T> SortedCopy(std::span<const T> x) {
  std::vector<T> s(x.begin(), x.end());
  SortArray(std::span<T>(s), kAscending);
  return s;
}

// True when a double range holds a NaN: order statistics of such a range
// are NaN (the sort cannot place it).
template <class T>
bool HasNaN(std::span<const T> x) {
  if constexpr (IsInt<T>) {
    return false;
  } else {
    for (const T v : x)
      if (std::isnan(v)) return true;
    return false;
  }
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

template <class T>
bool TVectorT<T>::Quartiles(int32_t LowElem, int32_t HighElem, double& Quart1, double& Quart2,
                            double& Quart3) const {
  MakeValidElemRange(LowElem, HighElem);
  if (HasNaN(RangeSpan(FVec, LowElem, HighElem))) {
    Quart1 = Quart2 = Quart3 = kNaN;
    return true;
  }
  std::vector<T> s;
  try {
    s = SortedCopy(RangeSpan(FVec, LowElem, HighElem));
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  const size_t n = s.size();
  auto quartile = [&](double q) -> double {
    if (n == 1) return static_cast<double>(s[0]);
    const double p = static_cast<double>(n + 1) * q;
    auto e = static_cast<size_t>(std::floor(p));
    double f = p - static_cast<double>(e);
    if (e == 0) {
      e = 1;
      f = 0;
    }
    // The largest value for e >= n: the third quartile of two or three
    // values must not fall below the median.
    if (e >= n) return static_cast<double>(s[n - 1]);
    return LinearBetween(static_cast<double>(s[e - 1]), static_cast<double>(s[e]), f);
  };
  Quart1 = quartile(0.25);
  Quart2 = quartile(0.5);
  Quart3 = quartile(0.75);
  return true;
}

template <class T>
double TVectorT<T>::Percentile(double Prob, int32_t LowElem, int32_t HighElem) const {
  if (std::isnan(Prob)) return std::numeric_limits<double>::quiet_NaN();
  Prob = std::clamp(Prob, 0.0, 100.0);
  MakeValidElemRange(LowElem, HighElem);
  if (HasNaN(RangeSpan(FVec, LowElem, HighElem))) return kNaN;
  std::vector<T> s;
  try {
    s = SortedCopy(RangeSpan(FVec, LowElem, HighElem));
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  const size_t n = s.size();
  if (n == 1 || Prob == 100) return static_cast<double>(s[n - 1]);
  const double p = Prob * static_cast<double>(n - 1) / 100;
  const auto i = static_cast<size_t>(std::floor(p));
  // The interpolation reads s[i + 1]; never index past the end.
  if (i >= n - 1) return static_cast<double>(s[n - 1]);
  const double f = p - static_cast<double>(i);
  return LinearBetween(static_cast<double>(s[i]), static_cast<double>(s[i + 1]), f);
}

template <class T>
T TVectorT<T>::Mode(int32_t LowElem, int32_t HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  if constexpr (!IsInt<T>) {
    if (HasNaN(RangeSpan(FVec, LowElem, HighElem))) return kNaN;
  }
  std::vector<T> s;
  try {
    s = SortedCopy(RangeSpan(FVec, LowElem, HighElem));
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  T best = s[0];
  size_t bestLen = 1, runLen = 1;
  for (size_t i = 1; i < s.size(); ++i) {
    runLen = (s[i] == s[i - 1]) ? runLen + 1 : 1;
    if (runLen > bestLen) {
      bestLen = runLen;
      best = s[i];
    }
  }
  return best;
}

template <class T>
double TVectorT<T>::GeometricMean(int32_t LowElem, int32_t HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  const auto x = RangeSpan(FVec, LowElem, HighElem);
  bool negative = false, zero = false, nan = false;
  LD sumLn = 0;
  for (const T v : x) {
    negative |= v < 0;
    zero |= v == 0;
    if (v > 0) sumLn += std::log(static_cast<LD>(v));
    if constexpr (!IsInt<T>) nan |= std::isnan(v);
  }
  if (negative) Fail("negative argument passed to GeometricMean");
  // A NaN element is no evidence of a zero product: it makes the mean NaN.
  if (nan) return kNaN;
  if (zero) return 0;
  return static_cast<double>(std::exp(sumLn / static_cast<LD>(x.size())));
}

template <class T>
double TVectorT<T>::HarmonicMean(int32_t LowElem, int32_t HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  const auto x = RangeSpan(FVec, LowElem, HighElem);
  LD sumInv = 0;
  for (const T v : x) {
    if (v <= 0) Fail("negative or zero argument passed to HarmonicMean");
    sumInv += 1 / static_cast<LD>(v);
  }
  return static_cast<double>(static_cast<LD>(x.size()) / sumInv);
}

template <class T>
bool TVectorT<T>::IsDichotomous(T& Value1, T& Value2) const {
  Value1 = 0;
  Value2 = 0;
  if (FVec.size() < 2) return false;
  const T v1 = FVec[0];
  T v2 = v1;
  bool second = false;
  for (size_t i = 1; i < FVec.size(); ++i) {
    const T x = FVec[i];
    if (x == v1 || (second && x == v2)) continue;
    if (second) return false;
    v2 = x;
    second = true;
  }
  Value1 = v1;
  Value2 = v2;
  return true;
}

// ---------------------------------------------------------------------------
// Search and sort
// ---------------------------------------------------------------------------

template <class T>
int32_t TVectorT<T>::Find(int32_t LowElem, int32_t HighElem, T Value) const {
  MakeValidElemRange(LowElem, HighElem);
  const LD target = static_cast<LD>(Value);
  int32_t best = LowElem;
  LD bestDist = std::fabs(static_cast<LD>(FVec[static_cast<size_t>(LowElem - 1)]) - target);
  for (int32_t i = LowElem + 1; i <= HighElem; ++i) {
    const LD d = std::fabs(static_cast<LD>(FVec[static_cast<size_t>(i - 1)]) - target);
    if (d < bestDist || (std::isnan(bestDist) && !std::isnan(d))) {
      bestDist = d;
      best = i;
    }
  }
  return best;
}

template <class T>
int32_t TVectorT<T>::FindExact(int32_t LowElem, int32_t HighElem, T Value) const {
  MakeValidElemRange(LowElem, HighElem);
  for (int32_t i = LowElem; i <= HighElem; ++i)
    if (FVec[static_cast<size_t>(i - 1)] == Value) return i;
  return 0;
}

template <class T>
int32_t TVectorT<T>::FindInSortedVector(bool Ascending, T Value) const {
  const int32_t n = GetNrOfElem();
  auto v = [&](int32_t i) { return FVec[static_cast<size_t>(i - 1)]; };
  int32_t lo = 1, hi = n;
  if (n == 1) return 1;
  while (hi - lo > 1) {
    const int32_t mid = lo + (hi - lo) / 2;
    if (v(mid) == Value) return mid;
    if (Ascending ? v(mid) < Value : v(mid) > Value)
      lo = mid;
    else
      hi = mid;
  }
  if (v(lo) == Value) return lo;
  if (v(hi) == Value) return hi;
  const LD target = static_cast<LD>(Value);
  const LD dLo = std::fabs(static_cast<LD>(v(lo)) - target);
  const LD dHi = std::fabs(static_cast<LD>(v(hi)) - target);
  return dLo < dHi ? lo : hi;
}

template <class T>
void TVectorT<T>::SortElems(bool Ascending, int32_t RangeFirst, int32_t RangeLast) {
  MakeValidElemRange(RangeFirst, RangeLast);
  T* p = FVec.data() + (RangeFirst - 1);
  const auto len = static_cast<size_t>(RangeLast - RangeFirst + 1);
  // A handler that resizes the vector ends the sort: p would point into
  // freed storage.
  struct TResized {};
  const size_t size0 = FVec.size();
  const T* data0 = FVec.data();
  const auto report = [this, RangeFirst, size0, data0](size_t i, size_t j) {
    SortExchange(0, RangeFirst + static_cast<int32_t>(i), RangeFirst + static_cast<int32_t>(j), 0,
                 0);
    if (FVec.size() != size0 || FVec.data() != data0) throw TResized{};
  };
  // The event test is hoisted out of the loops: without a handler the sort
  // runs without any per-exchange call.
  const bool events = static_cast<bool>(OnSortExchange);
  try {
    if (Ascending) {
      if (events)
        CombSortRange<true, true>(p, len, report);
      else
        CombSortRange<true, false>(p, len, report);
    } else {
      if (events)
        CombSortRange<false, true>(p, len, report);
      else
        CombSortRange<false, false>(p, len, report);
    }
  } catch (const TResized&) {
    return;
  }
  Changed();
}

// ---------------------------------------------------------------------------
// Checksum
// ---------------------------------------------------------------------------

template <class T>
std::string TVectorT<T>::CRCofData() const {
  TDoubleFingerprint fingerprint;
  for (const T x : FVec) fingerprint.Add(static_cast<double>(x));
  return fingerprint.Text();
}

// ---------------------------------------------------------------------------
// Histograms
// ---------------------------------------------------------------------------

namespace {

// Counts of one histogram before they are stored; 64-bit so that billions
// of positions outside the vector cannot overflow them.
struct HistoCounts {
  std::vector<int64_t> Bins;
  int64_t Underflow = 0;
  int64_t Overflow = 0;
};

// Visits the values at the positions FirstElem..LastElem (both 0: the
// whole vector; ordered, not clamped) as classify(value, weight): the
// positions outside the vector are one visit of 0 with their count.
template <class T, class F>
void VisitPositions(const std::vector<T>& v, int32_t FirstElem, int32_t LastElem, F&& classify) {
  const auto n = static_cast<int64_t>(v.size());
  int64_t first = FirstElem, last = LastElem;
  if (first == 0 && last == 0) {
    first = 1;
    last = n;
  }
  if (first > last) std::swap(first, last);
  const int64_t inLo = std::max<int64_t>(first, 1);
  const int64_t inHi = std::min<int64_t>(last, n);
  const int64_t inside = inHi >= inLo ? inHi - inLo + 1 : 0;
  const int64_t outside = (last - first + 1) - inside;
  for (int64_t i = inLo; i <= inHi; ++i) classify(v[static_cast<size_t>(i - 1)], int64_t{1});
  if (outside > 0) classify(T{0}, outside);
}

// Stores the counts with saturation at the int32 range.
void StoreCounts(const HistoCounts& c, TIntArray& Histo, int32_t& Underflow, int32_t& Overflow,
                 int32_t& MaxCnt) {
  Histo.assign(c.Bins.size(), 0);
  MaxCnt = 0;
  for (size_t i = 0; i < c.Bins.size(); ++i) {
    Histo[i] = SaturateToInt32(static_cast<long double>(c.Bins[i]));
    MaxCnt = std::max(MaxCnt, Histo[i]);
  }
  Underflow = SaturateToInt32(static_cast<long double>(c.Underflow));
  Overflow = SaturateToInt32(static_cast<long double>(c.Overflow));
}

}  // namespace

bool TVector::Histogram(int32_t FirstElem, int32_t LastElem, double FirstBin, double LastBin,
                        double BinWidth, TIntArray& Histo, int32_t& Underflow, int32_t& Overflow,
                        int32_t& MaxCnt) const {
  // A zero, negative or non-finite width has no bin count (and would make
  // the rounding below undefined).
  if (!(BinWidth > 0) || !std::isfinite(BinWidth) || !std::isfinite(FirstBin) ||
      !std::isfinite(LastBin))
    return false;
  const double ratio = std::fabs(LastBin - FirstBin) / BinWidth;
  if (!(ratio <= 1000)) return false;
  const auto bins = static_cast<int64_t>(Round(ratio)) + 1;
  if (bins > 500) return false;
  HistoCounts c;
  c.Bins.assign(static_cast<size_t>(bins), 0);
  const double upper = LastBin + BinWidth;
  VisitPositions(FVec, FirstElem, LastElem, [&](double x, int64_t w) {
    if (x < FirstBin) {
      c.Underflow += w;
      return;
    }
    if (x < upper) {
      const double b = std::floor((x - FirstBin) / BinWidth);
      if (b < static_cast<double>(bins)) {
        c.Bins[static_cast<size_t>(b)] += w;
        return;
      }
    }
    c.Overflow += w;
  });
  StoreCounts(c, Histo, Underflow, Overflow, MaxCnt);
  return true;
}

bool TVector::Histogram(int32_t FirstElem, int32_t LastElem, double FirstBin, double LastBin,
                        double BinWidth, TIntVector* Histo, int32_t& Underflow, int32_t& Overflow,
                        int32_t& MaxCnt) const {
  if (Histo == nullptr) return false;
  TIntArray counts;
  int32_t under = 0, over = 0, maxCnt = 0;
  if (!Histogram(FirstElem, LastElem, FirstBin, LastBin, BinWidth, counts, under, over, maxCnt))
    return false;
  Underflow = under;
  Overflow = over;
  MaxCnt = maxCnt;
  Histo->StoreLoaded(static_cast<int32_t>(counts.size()), 1, counts);
  return true;
}

bool TIntVector::Histogram(int32_t FirstElem, int32_t LastElem, int32_t FirstBin, int32_t LastBin,
                           int32_t BinWidth, TIntArray& Histo, int32_t& Underflow,
                           int32_t& Overflow, int32_t& MaxCnt) const {
  const int64_t width = BinWidth <= 0 ? 1 : BinWidth;
  const int64_t first = FirstBin;
  const int64_t bins = std::llabs(int64_t{LastBin} - first) / width + 1;
  if (bins < 1 || bins > 500)
    throw EZELVectorError(
        zel::ComponentMessage(MessageName() + ".Histogram", "invalid number of bins"));
  HistoCounts c;
  c.Bins.assign(static_cast<size_t>(bins), 0);
  const int64_t upper = int64_t{LastBin} + width;
  VisitPositions(FVec, FirstElem, LastElem, [&](int32_t x, int64_t w) {
    if (x < first) {
      c.Underflow += w;
      return;
    }
    const int64_t b = (x - first) / width;
    if (x < upper && b < bins)
      c.Bins[static_cast<size_t>(b)] += w;
    else
      c.Overflow += w;
  });
  StoreCounts(c, Histo, Underflow, Overflow, MaxCnt);
  return true;
}

bool TIntVector::Histogram(int32_t FirstElem, int32_t LastElem, int32_t FirstBin, int32_t LastBin,
                           int32_t BinWidth, TIntVector* Histo, int32_t& Underflow,
                           int32_t& Overflow, int32_t& MaxCnt) const {
  if (Histo == nullptr) return false;
  TIntArray counts;
  Histogram(FirstElem, LastElem, FirstBin, LastBin, BinWidth, counts, Underflow, Overflow, MaxCnt);
  Histo->StoreLoaded(static_cast<int32_t>(counts.size()), 1, counts);
  return true;
}

// ---------------------------------------------------------------------------
// Integration
// ---------------------------------------------------------------------------

double TVector::Integrate(double BoundLow, double BoundHigh, TIntegMethod Method) const {
  if (std::isnan(BoundLow) || std::isnan(BoundHigh))
    return std::numeric_limits<double>::quiet_NaN();
  const int32_t n = GetNrOfElem();
  auto v = [&](int64_t k) { return static_cast<LD>(FVec[static_cast<size_t>(k - 1)]); };
  const double top = static_cast<double>(n);
  double bl = std::clamp(BoundLow, 1.0, top);
  double bh = std::clamp(BoundHigh, 1.0, top);
  if (bl > bh) std::swap(bl, bh);
  const LD w = static_cast<LD>(bh) - static_cast<LD>(bl);
  const auto lo = static_cast<int64_t>(std::ceil(bl));
  const auto hi = static_cast<int64_t>(std::floor(bh));
  // Linear interpolation of the samples at position t in [1, n].
  auto interp = [&](double t) -> LD {
    const auto k = static_cast<int64_t>(std::floor(t));
    if (k >= n) return v(n);
    return v(k) + (static_cast<LD>(t) - static_cast<LD>(k)) * (v(k + 1) - v(k));
  };
  const LD lBl = interp(bl);
  const LD lBh = interp(bh);
  if (hi < lo) {
    // Both bounds inside one cell.
    if (Method == TIntegMethod::imSimple) return static_cast<double>(w * (v(hi) + v(lo)) / 2);
    return static_cast<double>(w * (lBl + lBh) / 2);
  }
  const LD ends = (static_cast<LD>(bh) - static_cast<LD>(hi)) * (v(hi) + lBh) / 2 +
                  (static_cast<LD>(lo) - static_cast<LD>(bl)) * (lBl + v(lo)) / 2;
  LD sum = 0;
  switch (Method) {
    case TIntegMethod::imSimple: {
      for (int64_t k = lo; k <= hi; ++k) sum += v(k);
      return static_cast<double>(w * sum / static_cast<LD>(hi - lo + 1));
    }
    case TIntegMethod::imTrapezoidal: {
      for (int64_t k = lo; k < hi; ++k) sum += (v(k) + v(k + 1)) / 2;
      return static_cast<double>(ends + sum);
    }
    case TIntegMethod::imSimpson: {
      const int64_t m = hi - lo;
      switch (m) {
        case 0: return static_cast<double>(ends);
        case 1: return static_cast<double>(ends + (v(lo) + v(lo + 1)) / 2);
        case 2: return static_cast<double>(ends + (v(lo) + 4 * v(lo + 1) + v(lo + 2)) / 3);
        case 3:
          return static_cast<double>(
              ends + 3.0L / 8 * (v(lo) + 3 * v(lo + 1) + 3 * v(lo + 2) + v(lo + 3)));
        case 4:
          return static_cast<double>(ends + 2.0L / 45 *
                                                (7 * v(lo) + 32 * v(lo + 1) + 12 * v(lo + 2) +
                                                 32 * v(lo + 3) + 7 * v(lo + 4)));
        default:
          for (int64_t k = lo + 3; k <= hi - 3; ++k) sum += v(k);
          return static_cast<double>(ends + 3.0L / 8 * (v(lo) + v(hi)) +
                                     7.0L / 6 * (v(lo + 1) + v(hi - 1)) +
                                     23.0L / 24 * (v(lo + 2) + v(hi - 2)) + sum);
      }
    }
  }
  return 0;  // an ordinal outside the enumeration
}

// ---------------------------------------------------------------------------
// Instantiation of the members defined in this file
// ---------------------------------------------------------------------------

#define ZEL_VECTOR_STATS_MEMBERS(T)                                                        \
  template void TVectorT<T>::Add(const TVectorT<T>*);                                      \
  template void TVectorT<T>::Subtract(const TVectorT<T>*);                                 \
  template void TVectorT<T>::SMult(T);                                                     \
  template T TVectorT<T>::DotProduct(const TVectorT<T>*) const;                            \
  template double TVectorT<T>::EuclideanDistance(const TVectorT<T>*) const;                \
  template double TVectorT<T>::PearsonCorrCoeff(const TVectorT<T>*) const;                 \
  template T TVectorT<T>::Correlate(const TVectorT<T>*, int32_t) const;                    \
  template T TVectorT<T>::Sum(int32_t, int32_t) const;                                     \
  template void TVectorT<T>::MinMax(int32_t, int32_t, T&, T&) const;                       \
  template void TVectorT<T>::MinMax(int32_t, int32_t, T&, T&, int32_t&, int32_t&) const;   \
  template void TVectorT<T>::MeanVar(int32_t, int32_t, double&, double&) const;            \
  template void TVectorT<T>::SkewKurt(int32_t, int32_t, double&, double&) const;           \
  template void TVectorT<T>::SkewKurtSample(int32_t, int32_t, double&, double&) const;     \
  template bool TVectorT<T>::Quartiles(int32_t, int32_t, double&, double&, double&) const; \
  template double TVectorT<T>::Percentile(double, int32_t, int32_t) const;                 \
  template T TVectorT<T>::Mode(int32_t, int32_t) const;                                    \
  template double TVectorT<T>::GeometricMean(int32_t, int32_t) const;                      \
  template double TVectorT<T>::HarmonicMean(int32_t, int32_t) const;                       \
  template bool TVectorT<T>::IsDichotomous(T&, T&) const;                                  \
  template int32_t TVectorT<T>::Find(int32_t, int32_t, T) const;                           \
  template int32_t TVectorT<T>::FindExact(int32_t, int32_t, T) const;                      \
  template int32_t TVectorT<T>::FindInSortedVector(bool, T) const;                         \
  template void TVectorT<T>::SortElems(bool, int32_t, int32_t);                            \
  template std::string TVectorT<T>::CRCofData() const;

ZEL_VECTOR_STATS_MEMBERS(double)
ZEL_VECTOR_STATS_MEMBERS(int32_t)
#undef ZEL_VECTOR_STATS_MEMBERS

}  // namespace zel
