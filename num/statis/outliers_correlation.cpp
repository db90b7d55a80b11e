// Dean-Dixon and Grubbs outlier tests, correlation, Durbin-Watson and
// Theil-Sen.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/zel_system.hpp"
#include "num/arrays/zel_openarrays.hpp"
#include "num/vector/vector_kernels_impl.hpp"
#include "num/statis/dixon_table_impl.hpp"
#include "num/statis/statis_impl.hpp"
#include "num/statis/zel_statis.hpp"

namespace zel {

using statis_detail::kNaN;

namespace {

// A true median (mean of the two middle values for even n), O(n).
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

TDoubleArray ToArray(const TVector& v) {
  TDoubleArray a(static_cast<size_t>(v.GetNrOfElem()));
  for (int32_t i = 1; i <= v.GetNrOfElem(); ++i) a[static_cast<size_t>(i - 1)] = v.GetVal(i);
  return a;
}

}  // namespace

// ---------------------------------------------------------------------------
// Dean-Dixon
// ---------------------------------------------------------------------------

double DeanDixonCriticalValues(int32_t n, TSignifLevelEx level) {
  const auto j = static_cast<int32_t>(level);
  if (n < 3 || n > 100 || j < 0 || j > 8) return -1.0;
  return statis_detail::kDeanDixonCritical[static_cast<size_t>(n - 3)][static_cast<size_t>(j)];
}

int32_t DeanDixonTest(const TDoubleArray& data, TSignifLevelEx level, double& Q) {
  Q = 0.0;
  const size_t n = data.size();
  if (n < 3) throw EZELStatisError("DeanDixonTest: number of data points is too low");
  if (n > 100) throw EZELStatisError("DeanDixonTest: number of data points is too high");
  const double crit = DeanDixonCriticalValues(static_cast<int32_t>(n), level);
  if (crit < 0.0) return kDeanDixonBadArgument;
  if (!std::all_of(data.begin(), data.end(), [](double x) { return std::isfinite(x); })) {
    return kDeanDixonBadArgument;
  }
  std::vector<long double> x(data.begin(), data.end());
  std::sort(x.begin(), x.end());
  // 0-based: x[0] = x1, x[n - 1] = xn. Long double differences cannot
  // overflow for finite doubles.
  const size_t hi = n - 1;
  const size_t lowNum = n >= 11 ? 2 : 1;   // x3 or x2
  const size_t highNum = n >= 11 ? 2 : 1;  // x(n-2) or x(n-1)
  size_t lowDen = hi, highDen = 0;         // x(n-k) and x(k + 1)
  if (n >= 14) {
    lowDen = hi - 2;
    highDen = 2;
  } else if (n >= 8) {
    lowDen = hi - 1;
    highDen = 1;
  }
  const auto ratio = [](long double num, long double den) {
    return den == 0.0L ? 0.0L : num / den;
  };
  const long double low = ratio(x[lowNum] - x[0], x[lowDen] - x[0]);
  const long double high = ratio(x[hi] - x[hi - highNum], x[hi] - x[highDen]);
  const bool highSide = high > low;
  Q = static_cast<double>(highSide ? high : low);
  if (!(Q > crit)) return kDeanDixonNone;
  const double extreme = static_cast<double>(highSide ? x[hi] : x[0]);
  const auto it = std::find(data.begin(), data.end(), extreme);
  return static_cast<int32_t>(it - data.begin());
}

int32_t DeanDixonTest(const TVector& data, TSignifLevelEx level, double& Q) {
  const int32_t r = DeanDixonTest(ToArray(data), level, Q);
  return r >= 0 ? r + 1 : r;
}

// ---------------------------------------------------------------------------
// Grubbs
// ---------------------------------------------------------------------------

double GrubbsCriticalValues(int32_t n, double alpha, bool twosided) {
  if (!(alpha > 0.0 && alpha < 1.0) || n <= 2) return -1.0;
  const double dn = n;
  const double m = twosided ? 2.0 : 1.0;
  const double t = -tDistriQuantile(alpha / (m * dn), n - 2);
  const double t2 = t * t;
  return (dn - 1.0) / std::sqrt(dn) * std::sqrt(t2 / (dn - 2.0 + t2));
}

int32_t GrubbsTest(const TDoubleArray& data, double alpha, double& G, int32_t& index) {
  G = 0.0;
  index = -1;
  const size_t n = data.size();
  if (n <= 3) return kGrubbsTooFew;
  if (!(alpha > 0.0 && alpha < 1.0)) return kGrubbsBadAlpha;
  if (!std::all_of(data.begin(), data.end(), [](double x) { return std::isfinite(x); })) {
    return kGrubbsNotFinite;
  }
  long double mean = 0.0L;
  for (double x : data) mean += x;
  mean /= static_cast<long double>(n);
  long double ss = 0.0L, dmax = -1.0L;
  size_t imax = 0;
  for (size_t i = 0; i < n; ++i) {
    const long double d = data[i] - mean;
    ss += d * d;
    if (std::fabs(d) > dmax) {
      dmax = std::fabs(d);
      imax = i;
    }
  }
  const long double s = std::sqrt(ss / static_cast<long double>(n - 1));
  if (!(s > 0.0L)) return kGrubbsOk;
  G = static_cast<double>(dmax / s);
  if (G > GrubbsCriticalValues(static_cast<int32_t>(n), alpha, true)) {
    index = static_cast<int32_t>(imax);
  }
  return kGrubbsOk;
}

int32_t GrubbsTest(const TVector& data, double alpha, double& G, int32_t& index) {
  const int32_t r = GrubbsTest(ToArray(data), alpha, G, index);
  if (index >= 0) ++index;
  return r;
}

// ---------------------------------------------------------------------------
// Correlation and regression diagnostics
// ---------------------------------------------------------------------------

int32_t PearsonCorrCoeff(const TDoubleArray& x, const TDoubleArray& y, double& r) {
  r = 0.0;
  if (x.size() != y.size()) return kCorrSizeDiffers;
  const size_t n = x.size();
  if (n < 3) return kCorrTooFew;
  // The library's one Pearson kernel: means first, centred sums in long
  // double, 0 for a constant series, NaN in gives NaN, |r| <= 1.
  r = vector_detail::PearsonOf(x.data(), y.data(), n);
  return kCorrOk;
}

int32_t CorrTest(const TDoubleArray& x, const TDoubleArray& y, double r0, double& r, double& p) {
  r = p = 0.0;
  const int32_t code = PearsonCorrCoeff(x, y, r);
  if (code != kCorrOk) return code;
  if (!(r0 >= -1.0 && r0 <= 1.0)) {
    r = 0.0;
    return kCorrBadR0;
  }
  if (std::isnan(r)) {
    p = kNaN;
    return kCorrOk;
  }
  if (r == r0) {
    p = 1.0;
    return kCorrOk;
  }
  if (r * r >= 1.0 || std::fabs(r0) == 1.0) return kCorrOk;  // p = 0
  const auto n = static_cast<int32_t>(x.size());
  const double t = std::sqrt(static_cast<double>(n - 2)) * (r - r0) /
                   (std::sqrt(1.0 - r * r) * std::sqrt(1.0 - r0 * r0));
  p = std::min(1.0, 2.0 * tDistriIntegral(-std::fabs(t), n - 2));
  return kCorrOk;
}

double DurbinWatson(const TDoubleArray& residuals) {
  const size_t n = residuals.size();
  if (n <= 2) return 2.0;
  double scale = 0.0;
  for (double e : residuals) {
    if (std::isnan(e)) return kNaN;
    scale = std::max(scale, std::fabs(e));
  }
  if (scale == 0.0) return 0.0;
  if (std::isinf(scale)) return kNaN;
  long double num = 0.0L, den = 0.0L;
  for (size_t i = 0; i < n; ++i) {
    const long double e = residuals[i] / scale;
    den += e * e;
    if (i > 0) {
      const long double d = e - residuals[i - 1] / scale;
      num += d * d;
    }
  }
  return static_cast<double>(num / den);
}

int32_t TheilSenEstimator(const TDoubleArray& x, const TDoubleArray& y, double& slope,
                          double& intercept, double& slopeLow, double& slopeHigh, double& icptLow,
                          double& icptHigh) {
  slope = intercept = slopeLow = slopeHigh = icptLow = icptHigh = 0.0;
  const size_t n = x.size();
  if (n <= 2) return kTheilSenTooFew;
  if (y.size() != n) return kTheilSenSizeDiffers;
  if (!IsMonotone(x)) return kTheilSenNotMonotone;
  if (n > 10000) return kTheilSenTooMany;
  std::vector<double> slopes;
  slopes.reserve(n * (n - 1) / 2);
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = i + 1; j < n; ++j) {
      const double dx = x[j] - x[i];
      slopes.push_back(dx == 0.0 ? 1e100 : (y[j] - y[i]) / dx);
    }
  }
  std::sort(slopes.begin(), slopes.end());
  const size_t N = slopes.size();
  slope = N % 2 ? slopes[N / 2] : 0.5 * (slopes[N / 2 - 1] + slopes[N / 2]);
  const double dn = static_cast<double>(n), dN = static_cast<double>(N);
  const double w = std::sqrt(dn * (dn - 1.0) * (2.0 * dn + 5.0) / 18.0);
  const double hiRank = std::min(Round((1.96 * w + dN) / 2.0 + 1.0), dN);
  const double loRank = std::max(Round((dN - 1.96 * w) / 2.0), 1.0);
  slopeHigh = slopes[static_cast<size_t>(hiRank) - 1];
  slopeLow = slopes[static_cast<size_t>(loRank) - 1];
  auto icpt = [&](double b) {
    std::vector<double> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = y[i] - b * x[i];
    return Median(std::move(v));
  };
  intercept = icpt(slope);
  icptLow = icpt(slopeLow);
  icptHigh = icpt(slopeHigh);
  return n < 10 ? kTheilSenSmall : kTheilSenOk;
}

}  // namespace zel

#include "num/statis/dw_tables_impl.hpp"

namespace zel {

bool DurbinWatsonCrit5pct(int32_t n, int32_t k, double& dL, double& dU) {
  dL = dU = 0.0;
  if (k < 1 || k > 20 || n < 5 || n > 2000 || n - k < 5) return false;
  const auto kk = static_cast<size_t>(k - 1);
  if (n <= 100) {
    dL = statis_detail::kDWLower[static_cast<size_t>(n - 6)][kk];
    dU = statis_detail::kDWUpper[static_cast<size_t>(n - 6)][kk];
    return true;
  }
  const double dn = n;
  const double c = 2.0 + std::sqrt(4.0 / dn) * nDistriQuantile(0.05);
  if (n <= 500) {
    const auto& co = n <= 200 ? statis_detail::kDWPoly150[kk] : statis_detail::kDWPoly350[kk];
    const double x = dn - (n <= 200 ? 150.0 : 350.0);
    double pl = 0.0, pu = 0.0;
    for (size_t j = 7; j-- > 0;) {
      pl = pl * x + co[j];
      pu = pu * x + co[7 + j];
    }
    dL = c + pl;
    dU = c + pu;
    return true;
  }
  const auto& ab = statis_detail::kDWAB[kk];
  dL = c + 1.0 / (dn * ab[0] + ab[1]);
  dU = c + 1.0 / (dn * ab[2] + ab[3]);
  return true;
}

}  // namespace zel
