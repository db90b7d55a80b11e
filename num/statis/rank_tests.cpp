// Wilcoxon signed-rank, runs and sign tests, Gini coefficient, percentiles.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/zel_system.hpp"
#include "num/math1/zel_math1.hpp"
#include "num/statis/statis_impl.hpp"
#include "num/statis/tables_impl.hpp"
#include "num/statis/zel_statis.hpp"

namespace zel {

using statis_detail::kNaN;

namespace {

constexpr std::array<double, 5> kWilcoxonLevels = {0.1, 0.05, 0.02, 0.01, 0.001};

double Median(std::vector<double> v) {
  const size_t n = v.size();
  if (n == 0) return 0.0;
  auto mid = v.begin() + static_cast<std::ptrdiff_t>(n / 2);
  std::nth_element(v.begin(), mid, v.end());
  const double hi = *mid;
  if (n % 2) return hi;
  const double lo = *std::max_element(v.begin(), mid);
  return lo + 0.5 * (hi - lo);
}

// C(n, k) in long double by the multiplicative formula; 0 outside 0..n.
long double Choose(int64_t n, int64_t k) {
  if (k < 0 || n < 0 || k > n) return 0.0L;
  k = std::min(k, n - k);
  long double c = 1.0L;
  for (int64_t i = 1; i <= k; ++i) c = c * static_cast<long double>(n - k + i) / i;
  return c;
}

bool RunsOfSequence(int64_t nTrue, int64_t nFalse, int64_t runs, double& p) {
  if (nTrue <= 25 && nFalse <= 25) {
    p = ExactRunsTest(static_cast<int32_t>(nTrue), static_cast<int32_t>(nFalse),
                      static_cast<int32_t>(runs));
    return p < 0.05;
  }
  const double n1 = static_cast<double>(nTrue), n2 = static_cast<double>(nFalse), n = n1 + n2;
  const double var = 2.0 * n1 * n2 * (2.0 * n1 * n2 - n1 - n2) / (n * n * (n - 1.0));
  if (!(var > 0.0)) {
    p = 0.0;
    return true;
  }
  const double z = (static_cast<double>(runs) - 2.0 * n1 * n2 / n - 1.0) / std::sqrt(var);
  // The smaller tail, taken directly rather than as 1 - F(z).
  p = nDistriIntegral(-std::fabs(z));
  return p < 0.05;
}

}  // namespace

int32_t WilcoxonSRQuantile(int32_t n, double alpha, bool twosided) {
  if (n <= 7 || n > 1000000) return -1;
  if (!(alpha >= 0.000499999 && alpha <= 0.20000001)) return -1;
  if (n <= 100) {
    const size_t levels = n == 8 ? 3 : (n <= 10 ? 4 : 5);
    const auto& row = statis_detail::kWilcoxonCritical[static_cast<size_t>(n - 8)];
    double lx[5], ly[5];
    for (size_t i = 0; i < levels; ++i) {
      lx[i] = std::log(kWilcoxonLevels[i]);
      ly[i] = row[i];
    }
    double k0, k1, k2;
    if (!LeastSquaresParabola(std::span<const double>(lx, levels),
                              std::span<const double>(ly, levels), k0, k1, k2)) {
      return -1;
    }
    const double la = std::log(twosided ? alpha : 2.0 * alpha);
    const double v = Round(k0 + k1 * la + k2 * la * la);
    return v < 0.0 ? 0 : static_cast<int32_t>(v);
  }
  const double dn = n;
  const double z = -nDistriQuantile(twosided ? 0.5 * alpha : alpha);
  // In double: n(n+1)(2n+1) overflows 32 bits from n = 1024.
  const double v =
      Round(dn * (dn + 1.0) / 4.0 - z * std::sqrt(dn * (dn + 1.0) * (2.0 * dn + 1.0) / 24.0));
  if (v > 2147483647.0) return -1;
  return v < 0.0 ? 0 : static_cast<int32_t>(v);
}

int32_t WilcoxonSignedRankTest(const TDoubleArray& a, const TDoubleArray& b, double alpha,
                               bool onesided, double& median, double& Wplus, double& critLow,
                               double& critHigh) {
  median = Wplus = critLow = critHigh = 0.0;
  if (a.size() < 8 || b.size() < 8) return kWilcoxonTooFew;
  if (a.size() != b.size()) return kWilcoxonSizeDiffers;
  if (!(alpha > 0.0 && alpha <= 1.0)) return kWilcoxonBadAlpha;
  std::vector<double> d;
  for (size_t i = 0; i < a.size(); ++i) {
    const double v = a[i] - b[i];
    if (!std::isfinite(v)) return kWilcoxonNotFinite;
    if (v != 0.0) d.push_back(v);
  }
  const auto m = static_cast<int32_t>(d.size());
  // Too few non-zero differences, or a level beyond the table: no test.
  const int32_t q = WilcoxonSRQuantile(m, alpha, !onesided);
  if (m <= 7 || q < 0) return kWilcoxonNoQuantile;
  std::vector<size_t> order(d.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [&](size_t x, size_t y) { return std::fabs(d[x]) < std::fabs(d[y]); });
  long double wplus = 0.0L;
  for (size_t i = 0; i < order.size();) {
    size_t j = i;
    while (j + 1 < order.size() && std::fabs(d[order[j + 1]]) == std::fabs(d[order[i]])) ++j;
    const long double rank = 0.5L * static_cast<long double>(i + j + 2);  // mid-rank, 1-based
    for (size_t k = i; k <= j; ++k) {
      if (d[order[k]] > 0.0) wplus += rank;
    }
    i = j + 1;
  }
  median = Median(d);
  Wplus = static_cast<double>(wplus);
  critLow = q;
  critHigh = static_cast<double>(m) * (static_cast<double>(m) + 1.0) / 2.0 - critLow;
  return kWilcoxonOk;
}

double ExactRunsTest(int32_t n1, int32_t n2, int32_t r) {
  if (n1 < 0 || n2 < 0) return -1.0;
  if (n1 > n2) std::swap(n1, n2);
  if (n1 == 0) return r >= 1 ? 1.0 : 0.0;
  long double sum = 0.0L;
  for (int64_t i = 2; i <= r; ++i) {
    if (i % 2 == 0) {
      sum += 2.0L * Choose(n1 - 1, i / 2 - 1) * Choose(n2 - 1, i / 2 - 1);
    } else {
      sum += Choose(n1 - 1, (i - 1) / 2) * Choose(n2 - 1, (i - 3) / 2) +
             Choose(n1 - 1, (i - 3) / 2) * Choose(n2 - 1, (i - 1) / 2);
    }
  }
  return static_cast<double>(std::min(1.0L, sum / Choose(static_cast<int64_t>(n1) + n2, n1)));
}

bool RunsTest(const TBoolArray& bools, double& p) {
  int64_t nTrue = 0, runs = 0;
  for (size_t i = 0; i < bools.size(); ++i) {
    if (bools[i]) ++nTrue;
    if (i == 0 || (bools[i] != 0) != (bools[i - 1] != 0)) ++runs;
  }
  return RunsOfSequence(nTrue, static_cast<int64_t>(bools.size()) - nTrue, runs, p);
}

bool RunsTest(const TBitFld& bits, double& p) {
  TBoolArray b(static_cast<size_t>(std::max(0, bits.GetSize())));
  for (int32_t i = 1; i <= bits.GetSize(); ++i) b[static_cast<size_t>(i - 1)] = bits.GetBit(i);
  return RunsTest(b, p);
}

bool RunsTestSerial(const TDoubleArray& values, double& p) {
  p = -1.0;
  if (values.empty()) return false;
  if (std::any_of(values.begin(), values.end(), [](double x) { return std::isnan(x); })) {
    return false;
  }
  const double med = Median(values);
  TBoolArray above(values.size());
  for (size_t i = 0; i < values.size(); ++i) above[i] = values[i] > med ? 1 : 0;
  return RunsTest(above, p);
}

bool RunsTestSerial(const TVector& values, double& p) {
  TDoubleArray a(static_cast<size_t>(values.GetNrOfElem()));
  for (int32_t i = 1; i <= values.GetNrOfElem(); ++i)
    a[static_cast<size_t>(i - 1)] = values.GetVal(i);
  return RunsTestSerial(a, p);
}

double BinomSignTest(const TBoolArray& signs, double p0) {
  if (signs.size() < 3) return -1.0;
  if (!(p0 >= 0.0 && p0 <= 1.0)) return -2.0;
  const auto n = static_cast<int32_t>(signs.size());
  const auto k = static_cast<int32_t>(
      std::count_if(signs.begin(), signs.end(), [](uint8_t s) { return s != 0; }));
  if ((p0 == 0.0 && k > 0) || (p0 == 1.0 && k < n)) return -2.125;
  // k ln p0 and (n - k) ln(1 - p0) directly: the powers underflow for large n.
  double e = LnBinomCoeff(n, k);
  if (k > 0) e += k * std::log(p0);
  if (n - k > 0) e += (n - k) * std::log1p(-p0);
  return std::exp(e);
}

double GiniCoeff(const TDoubleArray& values) {
  const size_t n = values.size();
  if (n == 0) return 0.0;
  std::vector<double> x = values;
  if (std::any_of(x.begin(), x.end(), [](double v) { return std::isnan(v); })) return kNaN;
  std::sort(x.begin(), x.end());
  long double pairs = 0.0L, sum = 0.0L;
  for (size_t i = 0; i < n; ++i) {
    pairs += (2.0L * static_cast<long double>(i) + 1.0L - static_cast<long double>(n)) * x[i];
    sum += x[i];
  }
  if (sum == 0.0L) return 0.0;
  // sum over i, j of |x_i - x_j| = 2 sum (2i - n - 1) x_(i), i 1-based.
  return static_cast<double>(2.0L * pairs / sum / 2.0L / static_cast<long double>(n));
}

int32_t PercentileOfArray(const TDoubleArray& data, double percent, int32_t first, int32_t last,
                          double& value) {
  value = 0.0;
  const auto size = static_cast<int64_t>(data.size());
  if (first < 0 || last < 0 || first >= size || last >= size) return kPercentileBadIndex;
  if (last < first) return kPercentileReversed;
  if (!(percent >= 0.0 && percent <= 100.0)) return kPercentileBadPercent;
  const int64_t m = static_cast<int64_t>(last) - first + 1;
  const auto k = static_cast<int32_t>(std::min<double>(
      Round(percent * static_cast<double>(m) / 100.0), static_cast<double>(m - 1)));
  std::vector<double> copy(data.begin() + first, data.begin() + last + 1);
  value = QuickSelect(std::span<double>(copy), k, 0, static_cast<int32_t>(m - 1));
  return kPercentileOk;
}

}  // namespace zel
