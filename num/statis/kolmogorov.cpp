// Kolmogorov-Smirnov and Lilliefors distributions and tests.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "num/statis/statis_impl.hpp"
#include "num/statis/tables_impl.hpp"
#include "num/statis/zel_statis.hpp"

namespace zel {

using statis_detail::kNaN;

namespace {

constexpr int32_t kKSMaxOrder = 401;
constexpr std::array<double, 5> kKSAsymptotic = {1.073, 1.138, 1.224, 1.358, 1.628};

bool ValidLevel(TSignifLevel level) {
  const auto v = static_cast<int32_t>(level);
  return v >= 0 && v < 5;
}

using Matrix = std::vector<double>;

void MatMul(const Matrix& a, const Matrix& b, Matrix& c, int32_t m) {
  const size_t sm = static_cast<size_t>(m);
  c.assign(sm * sm, 0.0);
  for (size_t i = 0; i < sm; ++i) {
    for (size_t k = 0; k < sm; ++k) {
      const double aik = a[i * sm + k];
      if (aik == 0.0) continue;
      for (size_t j = 0; j < sm; ++j) c[i * sm + j] += aik * b[k * sm + j];
    }
  }
}

// v = a^n with the decimal exponent of the scale kept in ev.
void MatPower(const Matrix& a, int32_t m, int32_t n, Matrix& v, int32_t& ev) {
  if (n == 1) {
    v = a;
    ev = 0;
    return;
  }
  MatPower(a, m, n / 2, v, ev);
  Matrix b;
  MatMul(v, v, b, m);
  int32_t eb = 2 * ev;
  if (n % 2 == 0) {
    v.swap(b);
    ev = eb;
  } else {
    MatMul(a, b, v, m);
    ev = eb;
  }
  const size_t centre =
      static_cast<size_t>(m / 2) * static_cast<size_t>(m) + static_cast<size_t>(m / 2);
  if (v[centre] > 1e140) {
    for (double& x : v) x *= 1e-140;
    ev += 140;
  }
}

double KSExactCdf(int32_t n, double d) {
  const double nd = static_cast<double>(n) * d;
  const int32_t k = static_cast<int32_t>(nd) + 1;
  const int32_t m = 2 * k - 1;
  const double h = static_cast<double>(k) - nd;
  const size_t sm = static_cast<size_t>(m);
  Matrix H(sm * sm, 0.0);
  for (int32_t i = 0; i < m; ++i) {
    for (int32_t j = 0; j < m; ++j) {
      if (i - j + 1 >= 0) H[static_cast<size_t>(i) * sm + static_cast<size_t>(j)] = 1.0;
    }
  }
  for (int32_t i = 0; i < m; ++i) {
    H[static_cast<size_t>(i) * sm] -= std::pow(h, i + 1);
    H[(sm - 1) * sm + static_cast<size_t>(i)] -= std::pow(h, m - i);
  }
  if (2.0 * h - 1.0 > 0.0) H[(sm - 1) * sm] += std::pow(2.0 * h - 1.0, m);
  for (int32_t i = 0; i < m; ++i) {
    for (int32_t j = 0; j < m; ++j) {
      const int32_t span = i - j + 1;
      if (span > 0) {
        double& x = H[static_cast<size_t>(i) * sm + static_cast<size_t>(j)];
        for (int32_t g = 1; g <= span; ++g) x /= g;
      }
    }
  }
  Matrix Q;
  int32_t eq = 0;
  MatPower(H, m, n, Q, eq);
  double s = Q[static_cast<size_t>(k - 1) * sm + static_cast<size_t>(k - 1)];
  for (int32_t i = 1; i <= n; ++i) {
    s = s * static_cast<double>(i) / static_cast<double>(n);
    if (s < 1e-140) {
      s *= 1e140;
      eq -= 140;
    }
  }
  return s * std::pow(10.0, eq);
}

double KolmogorovLimitSf(double lambda) {
  double sum = 0.0;
  for (int32_t j = 1; j <= 100; ++j) {
    const double term = std::exp(-2.0 * j * j * lambda * lambda);
    sum += (j % 2 ? term : -term);
    if (term < 1e-17) break;
  }
  return std::clamp(2.0 * sum, 0.0, 1.0);
}

// D of the sorted, standardised values.
double KSStatistic(const double* x, size_t n) {
  const double dn = static_cast<double>(n);
  double d = 0.0;
  for (size_t i = 0; i < n; ++i) {
    const double f = nDistriIntegral(x[i]);
    const double lo = std::fabs(static_cast<double>(i) / dn - f);
    const double hi = std::fabs(static_cast<double>(i + 1) / dn - f);
    d = std::max(d, std::max(lo, hi));
  }
  return d;
}

bool AllFinite(const TDoubleArray& v) {
  return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
}

// Sample mean and standard deviation (n - 1), mean first, long double.
void MeanSd(const TDoubleArray& v, double& mean, double& sd) {
  long double m = 0.0L;
  for (double x : v) m += x;
  m /= static_cast<long double>(v.size());
  long double ss = 0.0L;
  for (double x : v) ss += (x - m) * (x - m);
  mean = static_cast<double>(m);
  sd = static_cast<double>(std::sqrt(ss / static_cast<long double>(v.size() - 1)));
}

TDoubleArray ToArray(const TVector& v) {
  TDoubleArray a(static_cast<size_t>(v.GetNrOfElem()));
  for (int32_t i = 1; i <= v.GetNrOfElem(); ++i) a[static_cast<size_t>(i - 1)] = v.GetVal(i);
  return a;
}

}  // namespace

double KSPValue(int32_t n, double d) {
  if (n < 1) return -1.0;
  if (std::isnan(d)) return kNaN;
  if (d <= 0.0) return 1.0;
  if (d >= 1.0) return 0.0;
  const double dn = static_cast<double>(n);
  const double s = d * d * dn;
  if (s > 7.24 || (s > 3.76 && n >= 100)) {
    return std::min(1.0, 2.0 * std::exp(-(2.000071 + 0.331 / std::sqrt(dn) + 1.409 / dn) * s));
  }
  // The exact matrix grows as (2 n d)^2 and its power as (2 n d)^3 log n.
  if (2 * (static_cast<int64_t>(dn * d) + 1) - 1 > kKSMaxOrder) {
    const double sq = std::sqrt(dn);
    return KolmogorovLimitSf((sq + 0.12 + 0.11 / sq) * d);
  }
  return 1.0 - KSExactCdf(n, d);
}

double KolmogSmir1SampleTestStat(int32_t n, TSignifLevel level) {
  if (n < 1 || !ValidLevel(level)) return -1.0;
  const auto l = static_cast<size_t>(level);
  if (n <= 20) return statis_detail::kKSCritical[static_cast<size_t>(n - 1)][l];
  return kKSAsymptotic[l] / std::sqrt(static_cast<double>(n));
}

double KSQuantile(int32_t n, TSignifLevel level) {
  if (n < 1 || !ValidLevel(level)) return -1.0;
  const double alpha = SignifLevelValue[static_cast<size_t>(level)];
  double d = KolmogSmir1SampleTestStat(n, level);
  for (int32_t it = 0; it < 200; ++it) {
    const double v = KSPValue(n, d) - alpha;
    if (std::fabs(v) <= 1e-4) break;
    d *= v + 1.0;
  }
  return d;
}

double LillieforsPValue(int32_t n, double d) {
  if (n < 6) return -1.0;
  if (std::isnan(d)) return kNaN;
  double dn = static_cast<double>(n);
  if (n > 100) {
    d *= std::pow(dn / 100.0, 0.49);
    dn = 100.0;
  }
  const double e = -7.01256 * d * d * (dn + 2.78019) + 2.99587 * d * std::sqrt(dn + 2.78019) -
                   0.122119 + 0.974598 / std::sqrt(dn) + 1.67997 / dn;
  return std::exp(std::min(e, 0.0));
}

double LillieforsQuantile(int32_t n, double alpha) {
  if (n < 1 || !(alpha > 0.0 && alpha < 1.0)) return -1.0;
  const double x = 1.0 - alpha;
  double p1 = 0.0, p2 = 0.0;
  for (size_t i = LillieforsP1.size(); i-- > 0;) {
    p1 = p1 * x + LillieforsP1[i];
    p2 = p2 * x + LillieforsP2[i];
  }
  const double arg = static_cast<double>(n) * p1 + p2;
  if (!(arg > 0.0)) return -1.0;
  return 1.0 / std::sqrt(arg);
}

int32_t PerformKSNormalityTest(const TDoubleArray& data, bool sorted, double& D, double& p) {
  D = p = 0.0;
  if (data.empty()) return kNormTestTooFew;
  if (!AllFinite(data)) return kNormTestNotFinite;
  TDoubleArray x = data;
  if (!sorted) std::sort(x.begin(), x.end());
  D = KSStatistic(x.data(), x.size());
  p = KSPValue(static_cast<int32_t>(x.size()), D);
  return kNormTestOk;
}

int32_t PerformKSNormalityTest(TVector& data, bool sorted, double& D, double& p) {
  D = p = 0.0;
  if (!AllFinite(ToArray(data))) return kNormTestNotFinite;
  if (!sorted) data.SortElems(true, 0, 0);
  return PerformKSNormalityTest(ToArray(data), true, D, p);
}

int32_t PerformLillieforsTest(const TDoubleArray& data, bool sorted, double& D, double& p) {
  D = p = 0.0;
  if (data.size() < 6) return kNormTestTooFew;
  if (!AllFinite(data)) return kNormTestNotFinite;
  double mean, sd;
  MeanSd(data, mean, sd);
  if (!(sd > 0.0)) return kNormTestConstant;
  TDoubleArray x(data.size());
  for (size_t i = 0; i < x.size(); ++i) x[i] = (data[i] - mean) / sd;
  if (!sorted) std::sort(x.begin(), x.end());
  D = KSStatistic(x.data(), x.size());
  p = LillieforsPValue(static_cast<int32_t>(x.size()), D);
  return kNormTestOk;
}

int32_t PerformLillieforsTest(TVector& data, bool sorted, double& D, double& p) {
  D = p = 0.0;
  const TDoubleArray a = ToArray(data);
  if (a.size() < 6) return kNormTestTooFew;
  if (!AllFinite(a)) return kNormTestNotFinite;
  double mean, sd;
  MeanSd(a, mean, sd);
  if (!(sd > 0.0)) return kNormTestConstant;
  double vm, vsd;
  data.Standardize(vm, vsd);
  if (!sorted) data.SortElems(true, 0, 0);
  const TDoubleArray x = ToArray(data);
  D = KSStatistic(x.data(), x.size());
  p = LillieforsPValue(static_cast<int32_t>(x.size()), D);
  return kNormTestOk;
}

}  // namespace zel
