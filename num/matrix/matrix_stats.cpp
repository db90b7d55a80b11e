// Matrices: statistics over rectangular ranges and the row and column sort.
#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <span>
#include <type_traits>
#include <utility>

#include "core/zel_random.hpp"
#include "num/math1/zel_math1.hpp"
#include "num/matrix/matrix_impl.hpp"
#include "num/matrix/zel_matrix.hpp"
#include "num/vector/vector_kernels_impl.hpp"

namespace zel {

using matrix_detail::LD;

// ---------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------

template <class T>
std::vector<double> TMatrixT<T>::RangeCopy(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                           int32_t HighRow, bool RowMajor) const {
  const auto nc = static_cast<size_t>(HighCol - LowCol + 1);
  const auto nr = static_cast<size_t>(HighRow - LowRow + 1);
  std::vector<double> out;
  try {
    out.resize(nc * nr);
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  } catch (const std::length_error&) {
    Fail("not enough memory on heap");
  }
  for (size_t c = 0; c < nc; ++c) {
    const T* p = Mat[static_cast<size_t>(LowCol - 1) + c].data() + (LowRow - 1);
    for (size_t r = 0; r < nr; ++r)
      out[RowMajor ? r * nc + c : c * nr + r] = static_cast<double>(p[r]);
  }
  return out;
}

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Mean and centred sum of squares of a valid range, column by column: the
// mean first, then the squared deviations from it, in long double. A
// constant range gives its value and exactly 0.
template <class T>
void RangeMeanAndSumSq(const std::vector<std::vector<T>>& Mat, int32_t LowCol, int32_t LowRow,
                       int32_t HighCol, int32_t HighRow, LD& mean, LD& ss) {
  const auto len = static_cast<size_t>(HighRow - LowRow + 1);
  auto column = [&](int32_t c) { return Mat[static_cast<size_t>(c - 1)].data() + (LowRow - 1); };
  const T first = *column(LowCol);
  bool constant = true;
  LD sum = 0;
  for (int32_t c = LowCol; c <= HighCol; ++c) {
    constant = constant && vector_detail::AllEqualTo(column(c), len, first);
    sum += vector_detail::LaneSum(column(c), len, [](T x) { return static_cast<LD>(x); });
  }
  ss = 0;
  if (constant) {
    mean = static_cast<LD>(first);
    return;
  }
  mean = sum / static_cast<LD>(int64_t{HighCol - LowCol + 1} * static_cast<int64_t>(len));
  for (int32_t c = LowCol; c <= HighCol; ++c)
    ss += vector_detail::CentredSumSq(column(c), len, mean);
}

// True when a valid range holds a NaN.
template <class T>
bool RangeHasNaN(const std::vector<std::vector<T>>& Mat, int32_t LowCol, int32_t LowRow,
                 int32_t HighCol, int32_t HighRow) {
  if constexpr (std::is_floating_point_v<T>) {
    for (int32_t c = LowCol; c <= HighCol; ++c) {
      const T* p = Mat[static_cast<size_t>(c - 1)].data();
      for (int32_t r = LowRow - 1; r < HighRow; ++r)
        if (std::isnan(p[r])) return true;
    }
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// Statistics over a rectangular range
// ---------------------------------------------------------------------------

template <class T>
double TMatrixT<T>::Sum(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow) const {
  if (!HasStorage()) return 0;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  const auto len = static_cast<size_t>(HighRow - LowRow + 1);
  LD sum = 0;
  for (int32_t c = LowCol; c <= HighCol; ++c)
    sum += vector_detail::LaneSum(Mat[static_cast<size_t>(c - 1)].data() + (LowRow - 1), len,
                                  [](T x) { return static_cast<LD>(x); });
  return static_cast<double>(sum);
}

template <class T>
void TMatrixT<T>::MinMax(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                         T& Minimum, T& Maximum) const {
  if (!HasStorage()) {
    Minimum = Maximum = T{0};
    return;
  }
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  // For doubles these are +-uc_MaxReal, the largest finite value.
  T lo = std::numeric_limits<T>::max();
  T hi = std::numeric_limits<T>::lowest();
  for (int32_t c = LowCol; c <= HighCol; ++c) {
    const T* p = Mat[static_cast<size_t>(c - 1)].data();
    for (int32_t r = LowRow - 1; r < HighRow; ++r) {
      if (p[r] < lo) lo = p[r];
      if (p[r] > hi) hi = p[r];
    }
  }
  // The comparisons above pass over NaN; a NaN in the range is the result.
  if constexpr (std::is_floating_point_v<T>) {
    if (RangeHasNaN(Mat, LowCol, LowRow, HighCol, HighRow)) lo = hi = kNaN;
  }
  Minimum = lo;
  Maximum = hi;
}

template <class T>
void TMatrixT<T>::MeanVar(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                          double& Mean, double& Variance) const {
  if (!HasStorage()) {
    Mean = Variance = 0;
    return;
  }
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  LD mean = 0, ss = 0;
  RangeMeanAndSumSq(Mat, LowCol, LowRow, HighCol, HighRow, mean, ss);
  Mean = static_cast<double>(mean);
  Variance =
      vector_detail::SampleVariance(ss, int64_t{HighCol - LowCol + 1} * (HighRow - LowRow + 1));
}

template <class T>
double TMatrixT<T>::GeometricMean(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                  int32_t HighRow) const {
  if (!HasStorage()) return 0;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  bool zero = false;
  bool nan = false;
  for (int32_t c = LowCol; c <= HighCol; ++c) {
    const T* p = Mat[static_cast<size_t>(c - 1)].data();
    for (int32_t r = LowRow - 1; r < HighRow; ++r) {
      if (p[r] < 0) Fail("negative argument passed to GeometricMean");
      if (p[r] == 0) zero = true;
      if (std::isnan(p[r])) nan = true;
    }
  }
  // A NaN is no evidence of a zero product: it makes the mean NaN.
  if (nan) return kNaN;
  if (zero) return 0;
  LD sumLn = 0;
  for (int32_t c = LowCol; c <= HighCol; ++c) {
    const T* p = Mat[static_cast<size_t>(c - 1)].data();
    for (int32_t r = LowRow - 1; r < HighRow; ++r) sumLn += std::log(static_cast<LD>(p[r]));
  }
  const auto n = static_cast<LD>(int64_t{HighCol - LowCol + 1} * (HighRow - LowRow + 1));
  return static_cast<double>(std::exp(sumLn / n));
}

template <class T>
double TMatrixT<T>::HarmonicMean(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                 int32_t HighRow) const {
  if (!HasStorage()) return 0;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  LD sumInv = 0;
  for (int32_t c = LowCol; c <= HighCol; ++c) {
    const T* p = Mat[static_cast<size_t>(c - 1)].data();
    for (int32_t r = LowRow - 1; r < HighRow; ++r) {
      // NaN is neither negative nor zero: it passes on into the result.
      if (p[r] <= 0) Fail("negative or zero argument passed to HarmonicMean");
      sumInv += 1 / static_cast<LD>(p[r]);
    }
  }
  const auto n = static_cast<LD>(int64_t{HighCol - LowCol + 1} * (HighRow - LowRow + 1));
  return static_cast<double>(n / sumInv);
}

namespace {

// Third and fourth central moments of a range as SkewKurt defines them;
// false (g = k = 0) when n < 2 or the sample standard deviation is 0.
template <class T>
bool RangeMoments(const std::vector<std::vector<T>>& Mat, int32_t LowCol, int32_t LowRow,
                  int32_t HighCol, int32_t HighRow, LD& g, LD& k) {
  g = 0;
  k = 0;
  const int64_t n = int64_t{HighCol - LowCol + 1} * (HighRow - LowRow + 1);
  if (n < 2) return false;
  const auto len = static_cast<size_t>(HighRow - LowRow + 1);
  const auto ln = static_cast<LD>(n);
  LD mean = 0, m2 = 0;
  RangeMeanAndSumSq(Mat, LowCol, LowRow, HighCol, HighRow, mean, m2);
  if (std::isnan(m2)) {
    g = k = m2;
    return false;
  }
  if (!(m2 > 0)) return false;
  LD m3 = 0, m4 = 0;
  for (int32_t c = LowCol; c <= HighCol; ++c) {
    const T* p = Mat[static_cast<size_t>(c - 1)].data() + (LowRow - 1);
    for (size_t r = 0; r < len; ++r) {
      const LD d = static_cast<LD>(p[r]) - mean;
      const LD d2 = d * d;
      m3 += d2 * d;
      m4 += d2 * d2;
    }
  }
  const LD s = std::sqrt(m2 / (ln - 1));
  if (!(s > 0)) return false;
  g = m3 / ln / (s * s * s);
  k = m4 / ln / (s * s * s * s) - 3;
  return true;
}

}  // namespace

template <class T>
void TMatrixT<T>::SkewKurt(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                           double& Skewness, double& Kurtosis) const {
  if (!HasStorage()) {
    Skewness = Kurtosis = 0;
    return;
  }
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  LD g = 0, k = 0;
  RangeMoments(Mat, LowCol, LowRow, HighCol, HighRow, g, k);
  Skewness = static_cast<double>(g);
  Kurtosis = static_cast<double>(k);
}

template <class T>
void TMatrixT<T>::SkewKurtSample(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                                 double& Skewness, double& Kurtosis) const {
  Skewness = 0;
  Kurtosis = 0;
  if (!HasStorage()) return;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  const auto n = static_cast<LD>(int64_t{HighCol - LowCol + 1} * (HighRow - LowRow + 1));
  LD g = 0, k = 0;
  // Constant data (no moments) stays at 0 rather than turning into the
  // correction term alone.
  if (n < 4) return;
  if (!RangeMoments(Mat, LowCol, LowRow, HighCol, HighRow, g, k)) {
    if (std::isnan(g)) Skewness = Kurtosis = kNaN;
    return;
  }
  Skewness = static_cast<double>(n * (g * n) / ((n - 1) * (n - 2)));
  Kurtosis = static_cast<double>(n * (k + 3) * n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) -
                                 3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3)));
}

template <class T>
bool TMatrixT<T>::Quartiles(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                            double& Q1, double& Q2, double& Q3) const {
  if (!HasStorage()) {
    Q1 = Q2 = Q3 = 0;
    return false;
  }
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  if (RangeHasNaN(Mat, LowCol, LowRow, HighCol, HighRow)) {
    Q1 = Q2 = Q3 = kNaN;
    return true;
  }
  std::vector<double> a = RangeCopy(LowCol, LowRow, HighCol, HighRow, true);
  SortArray(std::span<double>(a), true);
  const size_t n = a.size();
  auto quartile = [&](double p) -> double {
    if (n == 1) return a[0];
    const double pos = static_cast<double>(n + 1) * p;
    auto t = static_cast<size_t>(Trunc(pos));
    double f = Frac(pos);
    if (t == 0) {
      t = 1;
      f = 0;
    }
    // t = n would read a[n + 1]: the largest value is the answer there (the
    // third quartile of two or three values must not fall below the median).
    if (t >= n) return a[n - 1];
    return LinearBetween(a[t - 1], a[t], f);
  };
  Q1 = quartile(0.25);
  Q2 = quartile(0.5);
  Q3 = quartile(0.75);
  return true;
}

namespace {

// The 0-based rank of the Prob-th percentile among n values, capped at
// n - 1 so that Prob near 100 cannot select past the end.
int32_t PercentileRank(double Prob, int64_t n) {
  const double k = Round(static_cast<double>(n) * Prob / 100);
  return static_cast<int32_t>(std::min<double>(k, static_cast<double>(n - 1)));
}

}  // namespace

template <class T>
double TMatrixT<T>::Percentile(double Prob, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                               int32_t HighRow) const {
  return Percentile(Prob, LowCol, LowRow, HighCol, HighRow, 0);
}

template <class T>
double TMatrixT<T>::Percentile(double Prob, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                               int32_t HighRow, int32_t SampleSize) const {
  if (!HasStorage()) return 0;
  if (std::isnan(Prob)) return kNaN;
  Prob = std::clamp(Prob, 0.0, 100.0);
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  const int32_t nc = HighCol - LowCol + 1;
  const int32_t nr = HighRow - LowRow + 1;
  const int64_t n = int64_t{nc} * nr;
  // The selection cannot place NaN; the sampled form checks the whole
  // range too, so that its answer does not depend on the draw.
  if (RangeHasNaN(Mat, LowCol, LowRow, HighCol, HighRow)) return kNaN;
  if (SampleSize <= 0 || SampleSize >= n) {
    std::vector<double> a = RangeCopy(LowCol, LowRow, HighCol, HighRow, false);
    return QuickSelect(std::span<double>(a), PercentileRank(Prob, n), 0,
                       static_cast<int32_t>(n - 1));
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
  for (double& x : sample) {
    const int32_t c = LowCol + Random(nc);
    const int32_t r = LowRow + Random(nr);
    x = static_cast<double>(Mat[static_cast<size_t>(c - 1)][static_cast<size_t>(r - 1)]);
    negative += x < 0 ? 1 : 0;
    zero += x == 0 ? 1 : 0;
  }
  const double share = Prob / 100;
  const double negShare = static_cast<double>(negative) / SampleSize;
  const double nonPosShare = static_cast<double>(negative + zero) / SampleSize;
  if (share > negShare && share < nonPosShare) return 0;
  return QuickSelect(std::span<double>(sample), PercentileRank(Prob, SampleSize), 0,
                     SampleSize - 1);
}

template <class T>
void TMatrixT<T>::MeanVec(TDims Dim, TVector* Means) const {
  if (Means == nullptr || !HasStorage()) return;
  TDoubleArray means;
  if (Dim == TDims::dimColumns) {
    means.resize(static_cast<size_t>(FNCol));
    const auto len = static_cast<size_t>(FNRow);
    for (size_t c = 0; c < means.size(); ++c) {
      const LD s =
          vector_detail::LaneSum(Mat[c].data(), len, [](T x) { return static_cast<LD>(x); });
      means[c] = static_cast<double>(s / static_cast<LD>(len));
    }
  } else {
    std::vector<LD> sums(static_cast<size_t>(FNRow), 0);
    for (const auto& column : Mat)
      for (size_t r = 0; r < sums.size(); ++r) sums[r] += static_cast<LD>(column[r]);
    means.resize(sums.size());
    for (size_t r = 0; r < sums.size(); ++r) means[r] = static_cast<double>(sums[r] / FNCol);
  }
  const auto n = static_cast<int32_t>(means.size());
  Means->Resize(n);
  Means->CopyFrom(means, 0, n - 1, 1);
}

// ---------------------------------------------------------------------------
// Sorting
// ---------------------------------------------------------------------------

namespace {

// The next comb-sort gap: Trunc(gap / 1.3), at least 1.
int32_t NextGap(int32_t gap) { return std::max(1, static_cast<int32_t>(Trunc(gap / 1.3))); }

}  // namespace

template <class T>
void TMatrixT<T>::SortRows(int32_t SortColIx, bool Ascending, int32_t LowCol, int32_t LowRow,
                           int32_t HighCol, int32_t HighRow) {
  if (!HasStorage() || SortColIx < 1 || SortColIx > FNCol) return;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  if (HighRow - LowRow < 1) return;
  const bool keyOutside = SortColIx < LowCol || SortColIx > HighCol;
  const matrix_detail::TShapeOf<TMatrixT> shape(*this);
  int32_t gap = HighRow - LowRow;
  bool exchanged = false;
  do {
    gap = NextGap(gap);
    exchanged = false;
    for (int32_t i = LowRow; i + gap <= HighRow; ++i) {
      const auto a = static_cast<size_t>(i - 1);
      const auto b = static_cast<size_t>(i + gap - 1);
      const auto& key = Mat[static_cast<size_t>(SortColIx - 1)];
      if (Ascending ? key[a] > key[b] : key[a] < key[b]) {
        for (int32_t c = LowCol; c <= HighCol; ++c)
          std::swap(Mat[static_cast<size_t>(c - 1)][a], Mat[static_cast<size_t>(c - 1)][b]);
        if (keyOutside)
          std::swap(Mat[static_cast<size_t>(SortColIx - 1)][a],
                    Mat[static_cast<size_t>(SortColIx - 1)][b]);
        exchanged = true;
        SortExchange(2, i, i + gap, LowCol, HighCol);
        if (!shape.Same()) return;  // the handler resized the matrix
      }
    }
    ReportProgress();
  } while (gap > 1 || exchanged);
  Changed();
}

template <class T>
void TMatrixT<T>::SortCols(int32_t SortRowIx, bool Ascending, int32_t LowCol, int32_t LowRow,
                           int32_t HighCol, int32_t HighRow) {
  if (!HasStorage() || SortRowIx < 1 || SortRowIx > FNRow) return;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  if (HighCol - LowCol < 1) return;
  const bool keyOutside = SortRowIx < LowRow || SortRowIx > HighRow;
  const bool wholeColumns = LowRow == 1 && HighRow == FNRow;
  const auto key = static_cast<size_t>(SortRowIx - 1);
  const matrix_detail::TShapeOf<TMatrixT> shape(*this);
  int32_t gap = HighCol - LowCol;
  bool exchanged = false;
  do {
    gap = NextGap(gap);
    exchanged = false;
    for (int32_t i = LowCol; i + gap <= HighCol; ++i) {
      auto& a = Mat[static_cast<size_t>(i - 1)];
      auto& b = Mat[static_cast<size_t>(i + gap - 1)];
      if (Ascending ? a[key] > b[key] : a[key] < b[key]) {
        if (wholeColumns) {
          a.swap(b);
        } else {
          std::swap_ranges(a.begin() + (LowRow - 1), a.begin() + HighRow, b.begin() + (LowRow - 1));
          if (keyOutside) std::swap(a[key], b[key]);
        }
        exchanged = true;
        SortExchange(1, i, i + gap, LowRow, HighRow);
        if (!shape.Same()) return;
      }
    }
    ReportProgress();
  } while (gap > 1 || exchanged);
  Changed();
}

// ---------------------------------------------------------------------------
// Instantiation of the members defined in this file
// ---------------------------------------------------------------------------

#define ZEL_MATRIX_STATS_MEMBERS(T)                                                                \
  template std::vector<double> TMatrixT<T>::RangeCopy(int32_t, int32_t, int32_t, int32_t, bool)    \
      const;                                                                                       \
  template double TMatrixT<T>::Sum(int32_t, int32_t, int32_t, int32_t) const;                      \
  template void TMatrixT<T>::MinMax(int32_t, int32_t, int32_t, int32_t, T&, T&) const;             \
  template void TMatrixT<T>::MeanVar(int32_t, int32_t, int32_t, int32_t, double&, double&) const;  \
  template double TMatrixT<T>::GeometricMean(int32_t, int32_t, int32_t, int32_t) const;            \
  template double TMatrixT<T>::HarmonicMean(int32_t, int32_t, int32_t, int32_t) const;             \
  template void TMatrixT<T>::SkewKurt(int32_t, int32_t, int32_t, int32_t, double&, double&) const; \
  template void TMatrixT<T>::SkewKurtSample(int32_t, int32_t, int32_t, int32_t, double&, double&)  \
      const;                                                                                       \
  template bool TMatrixT<T>::Quartiles(int32_t, int32_t, int32_t, int32_t, double&, double&,       \
                                       double&) const;                                             \
  template double TMatrixT<T>::Percentile(double, int32_t, int32_t, int32_t, int32_t) const;       \
  template double TMatrixT<T>::Percentile(double, int32_t, int32_t, int32_t, int32_t, int32_t)     \
      const;                                                                                       \
  template void TMatrixT<T>::MeanVec(TDims, TVector*) const;                                       \
  template void TMatrixT<T>::SortRows(int32_t, bool, int32_t, int32_t, int32_t, int32_t);          \
  template void TMatrixT<T>::SortCols(int32_t, bool, int32_t, int32_t, int32_t, int32_t);

ZEL_MATRIX_STATS_MEMBERS(double)
ZEL_MATRIX_STATS_MEMBERS(int32_t)
#undef ZEL_MATRIX_STATS_MEMBERS

}  // namespace zel
