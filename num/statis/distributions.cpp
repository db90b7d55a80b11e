// Chi-square, t, F, binomial and Mann-Whitney U distributions.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "num/statis/statis_impl.hpp"
#include "num/statis/zel_statis.hpp"

namespace zel {

using statis_detail::kInf;
using statis_detail::kNaN;

namespace {

constexpr double kLnPi = 1.1447298858494002;

// Lower and upper chi-square tails at x > 0.
void Chi2PQ(double x, double df, double& p, double& q) {
  if (std::isinf(x)) {
    p = 1.0;
    q = 0.0;
    return;
  }
  statis_detail::GammaPQ(0.5 * df, 0.5 * x, p, q);
}

double Chi2Density(double x, double df) {
  if (x < 0.0) return 0.0;
  const double k = 0.5 * df;
  if (x == 0.0) return df < 2.0 ? kInf : (df == 2.0 ? 0.5 : 0.0);
  if (std::isinf(x)) return 0.0;
  // (x/2)^k e^(-x/2) / Gamma(k) / x.
  return statis_detail::GammaPrefix(k, 0.5 * x) / x;
}

// Lower and upper F tails at x > 0, with 1 - w computed on its own.
void FPQ(double x, double d1, double d2, double& p, double& q) {
  if (std::isinf(x)) {
    p = 1.0;
    q = 0.0;
    return;
  }
  const double u = d1 * x;
  const double den = u + d2;
  statis_detail::BetaPQ(u / den, d2 / den, 0.5 * d1, 0.5 * d2, p, q);
}

double FDensity(double x, double d1, double d2) {
  if (x < 0.0) return 0.0;
  if (x == 0.0) return d1 < 2.0 ? kInf : (d1 == 2.0 ? 1.0 : 0.0);
  if (std::isinf(x)) return 0.0;
  // d/dx I_w(a, b) with w = d1 x/(d1 x + d2): w^a (1 - w)^b / B(a, b) / x.
  const double u = d1 * x;
  const double den = u + d2;
  if (std::isinf(den)) {
    const double lnx = std::log(x);
    const double lnw = -std::log1p(d2 / u);
    const double lny = std::log(d2) - std::log(d1) - lnx + lnw;
    return statis_detail::BetaPrefix(0.5 * d1, 0.5 * d2, 1.0, 0.0, lnw, lny) / x;
  }
  return statis_detail::BetaPrefix(0.5 * d1, 0.5 * d2, u / den, d2 / den) / x;
}

// The upper t tail at t >= 0: I_x(df/2, 1/2)/2 with x = 1/(1 + u), u =
// t^2/df, and ln x = -ln(1 + u) taken directly (ln of a rounded x near 1
// would be multiplied by df/2).
double TUpper(double t, double df) {
  if (t == 0.0) return 0.5;
  if (std::isinf(t)) return 0.0;
  double p, q;
  if (t < 1e150) {
    const double u = t * t / df;
    const double lnx = -std::log1p(u);
    statis_detail::BetaPQ(1.0 / (1.0 + u), u / (1.0 + u), 0.5 * df, 0.5, p, q, lnx,
                          std::log(u) + lnx);
  } else {
    // r = df/t^2 may underflow: hand the beta function ln x as well.
    const double lnr = std::log(df) - 2.0 * std::log(t);
    const double r = std::exp(lnr);
    const double l1r = std::log1p(r);
    statis_detail::BetaPQ(r / (1.0 + r), 1.0 / (1.0 + r), 0.5 * df, 0.5, p, q, lnr - l1r, -l1r);
  }
  return 0.5 * p;
}

double TDensity(double t, double df) {
  const double a = std::fabs(t);
  if (std::isinf(a)) return 0.0;
  // (df + 1)/2 ln(1 + t^2/df), scale-safe for large |t|.
  const double lnTerm = a > 1e150 ? 2.0 * std::log(a) - std::log(df) + std::log1p(df / a / a)
                                  : std::log1p(a * a / df);
  const double h = 0.5 * df;
  // ln Gamma(h + 1/2) - ln Gamma(h); for large h from Stirling's series, as
  // the difference of two large logarithms would cancel.
  const double lnRatio = h >= statis_detail::kStirlingMin
                             ? 0.5 * std::log(h) + h * std::log1p(0.5 / h) - 0.5 +
                                   statis_detail::StirlingTail(h + 0.5) -
                                   statis_detail::StirlingTail(h)
                             : LnGamma(h + 0.5) - LnGamma(h);
  return std::exp(lnRatio - 0.5 * (std::log(df) + kLnPi) - 0.5 * (df + 1.0) * lnTerm);
}

bool BadProb(double p) { return !(p >= 0.0 && p <= 1.0); }

}  // namespace

// ---------------------------------------------------------------------------
// Chi-square
// ---------------------------------------------------------------------------

double chi2DistriIntegral(double x, int32_t df) {
  if (df < 1 || std::isnan(x)) return kNaN;
  if (x <= 0.0) return 0.0;
  double p, q;
  Chi2PQ(x, df, p, q);
  return p;
}

double Chi2DistriDensity(double x, int32_t df) {
  if (df < 1 || std::isnan(x)) return kNaN;
  return Chi2Density(x, df);
}

double chi2DistriQuantile(double p, int32_t df) {
  if (df < 1 || std::isnan(p)) return kNaN;
  if (p <= 0.0) return 0.0;
  if (p >= 1.0) return kInf;
  const double d = df;
  const bool upper = p > 0.5;
  const double target = upper ? 1.0 - p : p;
  // Wilson-Hilferty start; near 0 the lower tail is (x/2)^k / Gamma(k + 1).
  const double z =
      upper ? statis_detail::NormalTailApprox(target) : -statis_detail::NormalTailApprox(target);
  const double c = 2.0 / (9.0 * d);
  const double w = 1.0 - c + z * std::sqrt(c);
  double x0 = d * w * w * w;
  if (!upper && (w <= 0.0 || x0 < 0.5 * d)) {
    const double k = 0.5 * d;
    const double small = 2.0 * std::exp((std::log(target) + LnGamma(k + 1.0)) / k);
    if (w <= 0.0 || small < x0) x0 = small;
  }
  auto tail = [d, upper](double x) {
    double lp, uq;
    Chi2PQ(x, d, lp, uq);
    return upper ? uq : lp;
  };
  auto dens = [d](double x) { return Chi2Density(x, d); };
  return statis_detail::SolveTail(tail, dens, upper, target, x0);
}

// ---------------------------------------------------------------------------
// F
// ---------------------------------------------------------------------------

double FDistriIntegral(double x, int32_t df1, int32_t df2) {
  if (df1 < 1 || df2 < 1 || std::isnan(x)) return kNaN;
  if (x <= 0.0) return 0.0;
  double p, q;
  FPQ(x, df1, df2, p, q);
  return p;
}

double FDistriDensity(double x, int32_t df1, int32_t df2) {
  if (df1 < 1 || df2 < 1 || std::isnan(x)) return kNaN;
  return FDensity(x, df1, df2);
}

double FDistriQuantile(double p, int32_t df1, int32_t df2) {
  if (df1 < 1 || df2 < 1 || std::isnan(p)) return kNaN;
  if (p <= 0.0) return 0.0;
  if (p >= 1.0) return kInf;
  const double d1 = df1, d2 = df2;
  const bool upper = p > 0.5;
  const double target = upper ? 1.0 - p : p;
  // Start from the chi-square quantile of the numerator, scaled: close for
  // large df2 and good enough for the log-space Newton steps otherwise.
  double x0 = chi2DistriQuantile(p, df1) / d1;
  if (!(x0 > 0.0) || !std::isfinite(x0)) x0 = 1.0;
  auto tail = [d1, d2, upper](double x) {
    double lp, uq;
    FPQ(x, d1, d2, lp, uq);
    return upper ? uq : lp;
  };
  auto dens = [d1, d2](double x) { return FDensity(x, d1, d2); };
  return statis_detail::SolveTail(tail, dens, upper, target, x0);
}

// ---------------------------------------------------------------------------
// t
// ---------------------------------------------------------------------------

double tDistriIntegral(double t, int32_t df) {
  if (df < 1 || std::isnan(t)) return kNaN;
  const double u = TUpper(std::fabs(t), df);
  return t < 0.0 ? u : 1.0 - u;
}

double tDistriDensity(double t, int32_t df) {
  if (df < 1 || std::isnan(t)) return kNaN;
  return TDensity(t, df);
}

double tDistriQuantile(double p, int32_t df) {
  if (df < 1 || std::isnan(p)) return kNaN;
  if (p <= 0.0) return -kInf;
  if (p >= 1.0) return kInf;
  if (p == 0.5) return 0.0;
  const double d = df;
  const double target = p < 0.5 ? p : 1.0 - p;
  // Normal start, or the power-law tail C t^-df where that is further out.
  double x0 = statis_detail::NormalTailApprox(target);
  const double lnC = LnGamma(0.5 * (d + 1.0)) - LnGamma(0.5 * d) - 0.5 * (std::log(d) + kLnPi) +
                     0.5 * (d - 1.0) * std::log(d);
  const double far = std::exp((lnC - std::log(d) - std::log(target)) / d);
  if (std::isfinite(far) && far > x0) x0 = far;
  auto tail = [d](double x) { return TUpper(x, d); };
  auto dens = [d](double x) { return TDensity(x, d); };
  const double x = statis_detail::SolveTail(tail, dens, true, target, x0);
  return p < 0.5 ? -x : x;
}

// ---------------------------------------------------------------------------
// Binomial
// ---------------------------------------------------------------------------

double BinomDistriDensity(int32_t n, double p, int32_t k) {
  if (n < 0 || BadProb(p)) return kNaN;
  if (k < 0 || k > n) return 0.0;
  if (p == 0.0) return k == 0 ? 1.0 : 0.0;
  if (p == 1.0) return k == n ? 1.0 : 0.0;
  // C(n, k) p^k q^(n-k) = p^(k+1) q^(n-k+1) / B(k + 1, n - k + 1) / ((n + 1) p q).
  const double dk = k, dn = n, q = 1.0 - p;
  return statis_detail::BetaPrefix(dk + 1.0, dn - dk + 1.0, p, q, std::log(p), std::log1p(-p)) /
         ((dn + 1.0) * p * q);
}

double BinomDistriIntegral(int32_t n, double p, int32_t k) {
  if (n < 0 || BadProb(p)) return kNaN;
  if (k < 0) return 0.0;
  if (k >= n) return 1.0;
  if (p == 0.0) return 1.0;
  if (p == 1.0) return 0.0;
  double lp, uq;
  statis_detail::BetaPQ(1.0 - p, p, static_cast<double>(n) - k, static_cast<double>(k) + 1.0, lp,
                        uq, std::log1p(-p), std::log(p));
  return lp;
}

int32_t BinomDistriQuantile(int32_t n, double p, double q, double& k) {
  k = 0.0;
  if (n < 0) return kDistriQuantileBadCount;
  if (BadProb(p) || BadProb(q)) return kDistriQuantileBadProb;
  int32_t lo = 0, hi = n;  // the answer lies in lo..hi
  while (lo < hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    if (BinomDistriIntegral(n, p, mid) >= q) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  k = lo;
  return kDistriQuantileOk;
}

// ---------------------------------------------------------------------------
// Mann-Whitney U
// ---------------------------------------------------------------------------

namespace {

__extension__ typedef __int128 Int128;

// Exact counts need C(n1 + n2, n1) below this, with headroom for the signed
// intermediate values of the division.
constexpr double kUMaxTotal = 4e37;

// P(U = u) for u = 0..n1 n2 from the exact frequencies: the generating
// function prod (1 - q^(n + i)) / (1 - q^i), i = 1..m, m = min(n1, n2),
// n = max(n1, n2), in 128-bit integers (in doubles the alternating signs
// cancel catastrophically beyond about 60 values per sample).
bool UTable(int32_t n1, int32_t n2, std::vector<double>& pr) {
  if (n1 < 0 || n2 < 0 || (n1 == 0 && n2 == 0)) return false;
  const int32_t m = std::min(n1, n2), n = std::max(n1, n2);
  if (LnBinomCoeff(m + n, m) > std::log(kUMaxTotal)) return false;
  const size_t top = static_cast<size_t>(m) * static_cast<size_t>(n);
  std::vector<Int128> c(top + 1, 0);
  c[0] = 1;
  for (int32_t i = 1; i <= m; ++i) {
    const size_t shift = static_cast<size_t>(n) + static_cast<size_t>(i);
    const size_t deg = static_cast<size_t>(i) * static_cast<size_t>(n);
    const size_t si = static_cast<size_t>(i);
    for (size_t j = deg + 1; j-- > shift;) c[j] -= c[j - shift];
    for (size_t j = si; j <= deg; ++j) c[j] += c[j - si];
  }
  Int128 total = 0;
  for (const Int128 v : c) total += v;
  const long double t = static_cast<long double>(total);
  pr.resize(top + 1);
  for (size_t j = 0; j <= top; ++j) pr[j] = static_cast<double>(static_cast<long double>(c[j]) / t);
  return true;
}

}  // namespace

double UDistriDensity(int32_t n1, int32_t n2, int32_t u) {
  std::vector<double> pr;
  if (!UTable(n1, n2, pr)) return kNaN;
  if (u < 0 || static_cast<size_t>(u) >= pr.size()) return 0.0;
  // The distribution is symmetric; the lower half is the accurate one.
  const size_t j = std::min<size_t>(static_cast<size_t>(u), pr.size() - 1 - static_cast<size_t>(u));
  return pr[j];
}

double UDistriIntegral(int32_t n1, int32_t n2, int32_t u) {
  std::vector<double> pr;
  if (!UTable(n1, n2, pr)) return kNaN;
  if (u < 0) return 0.0;
  const size_t top = pr.size() - 1;
  if (static_cast<size_t>(u) >= top) return 1.0;
  long double s = 0.0L;
  if (2 * static_cast<size_t>(u) <= top) {
    for (size_t j = 0; j <= static_cast<size_t>(u); ++j) s += pr[j];
    return static_cast<double>(s);
  }
  // P(U <= u) = 1 - P(U <= top - u - 1) by symmetry.
  for (size_t j = 0; j + static_cast<size_t>(u) < top; ++j) s += pr[j];
  return static_cast<double>(1.0L - s);
}

int32_t UDistriQuantile(int32_t n1, int32_t n2, double alpha) {
  if (BadProb(alpha)) return kUQuantileBadArgs;
  std::vector<double> pr;
  if (!UTable(n1, n2, pr)) return kUQuantileBadArgs;
  long double s = 0.0L;
  int32_t u = -1;
  for (size_t j = 0; j < pr.size(); ++j) {
    s += pr[j];
    // Rounding of the sums must not push an exact critical value out.
    if (s > alpha * (1.0 + 1e-12)) break;
    u = static_cast<int32_t>(j);
  }
  return u;
}

}  // namespace zel
