// Special functions, the normal distribution, binomial coefficients and the
// small densities of Zel_statis.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/zel_system.hpp"
#include "core/zel_univconst.hpp"
#include "num/statis/statis_impl.hpp"
#include "num/statis/zel_statis.hpp"

namespace zel {

using statis_detail::kInf;
using statis_detail::kNaN;
using statis_detail::kSeriesEps;

double LnGamma(double x) {
  if (std::isnan(x)) return kNaN;
  if (x <= 0.0) return 0.0;
  if (std::isinf(x)) return kInf;
  double s = 1.0;
  for (size_t i = 0; i < LnGammaCoefficients.size(); ++i) {
    s += LnGammaCoefficients[i] / (x + static_cast<double>(i));
  }
  return (x - 0.5) * std::log(x + 4.5) - (x + 4.5) + std::log(2.5066282746310007 * s);
}

namespace statis_detail {

void GammaPQ(double a, double x, double& p, double& q) {
  const double lnG = a * std::log(x) - x - LnGamma(a);
  const double g = std::exp(lnG);
  const double cap = 10.0 * std::sqrt(a);
  if (x < a + 1.0) {
    // A huge a no longer changes under a' + 1, so the series needs a cap.
    const int64_t maxTerms = static_cast<int64_t>(std::min(cap, 2e6)) + 1000;
    double ap = a;
    double term = 1.0 / a;
    double sum = term;
    for (int64_t n = 0; n < maxTerms; ++n) {
      ap += 1.0;
      term *= x / ap;
      sum += term;
      // The terms fall like (x/a')^n: bound the whole remainder, not the
      // last term, or x near a large a stops far too early.
      const double rest = term * (ap + 1.0) / (ap + 1.0 - x);
      if (std::fabs(rest) < std::fabs(sum) * kSeriesEps) break;
    }
    p = g * sum;
    q = 1.0 - p;
  } else {
    const int64_t maxSteps = static_cast<int64_t>(std::min(cap, 2e6)) + 100;
    double a0 = 1.0, a1 = x, b0 = 0.0, b1 = 1.0, fac = 1.0, gold = 0.0, gv = 0.0;
    for (int64_t i = 1; i <= maxSteps; ++i) {
      const double di = static_cast<double>(i);
      const double ana = di - a;
      a0 = (a1 + a0 * ana) * fac;
      b0 = (b1 + b0 * ana) * fac;
      const double anf = di * fac;
      a1 = x * a0 + anf * a1;
      b1 = x * b0 + anf * b1;
      if (a1 != 0.0) {
        fac = 1.0 / a1;
        gv = b1 * fac;
        if (std::fabs((gv - gold) / gv) < kSeriesEps) break;
        gold = gv;
      }
    }
    q = g * gv;
    p = 1.0 - q;
  }
}

namespace {

// Continued fraction of the incomplete beta function (modified Lentz).
double BetaCF(double a, double b, double x) {
  constexpr double kTiny = 1e-300;
  const double qab = a + b;
  const double qap = a + 1.0;
  const double qam = a - 1.0;
  double c = 1.0;
  double d = 1.0 - qab * x / qap;
  if (std::fabs(d) < kTiny) d = kTiny;
  d = 1.0 / d;
  double h = d;
  const int64_t maxSteps =
      100 + static_cast<int64_t>(std::min(10.0 * std::sqrt(std::max(a, b)), 2e6));
  for (int64_t m = 1; m <= maxSteps; ++m) {
    const double dm = static_cast<double>(m);
    const double m2 = 2.0 * dm;
    double aa = dm * (b - dm) * x / ((qam + m2) * (a + m2));
    d = 1.0 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1.0 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1.0 / d;
    h *= d * c;
    aa = -(a + dm) * (qab + dm) * x / ((a + m2) * (qap + m2));
    d = 1.0 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1.0 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1.0 / d;
    const double del = d * c;
    h *= del;
    if (std::fabs(del - 1.0) < kSeriesEps) break;
  }
  return h;
}

}  // namespace

void BetaPQ(double x, double y, double a, double b, double& p, double& q, double lnx, double lny) {
  if (std::isnan(lnx)) lnx = std::log(x);
  if (std::isnan(lny)) lny = std::log(y);
  if (x <= 0.0 && std::isinf(lnx)) {
    p = 0.0;
    q = 1.0;
    return;
  }
  if (y <= 0.0 && std::isinf(lny)) {
    p = 1.0;
    q = 0.0;
    return;
  }
  const double bt = std::exp(LnGamma(a + b) - LnGamma(a) - LnGamma(b) + a * lnx + b * lny);
  if (x < (a + 1.0) / (a + b + 2.0)) {
    p = bt * BetaCF(a, b, x) / a;
    q = 1.0 - p;
  } else {
    q = bt * BetaCF(b, a, y) / b;
    p = 1.0 - q;
  }
}

double NormalTailApprox(double q) {
  const double t = std::sqrt(-2.0 * std::log(q));
  return t - (2.515517 + 0.802853 * t + 0.010328 * t * t) /
                 (1.0 + 1.432788 * t + 0.189269 * t * t + 0.001308 * t * t * t);
}

}  // namespace statis_detail

double IncompleteGamma(double x, double a) {
  if (std::isnan(x) || std::isnan(a) || std::isinf(a)) return kNaN;
  if (x <= 0.0 || a <= 0.0) return 0.0;
  if (std::isinf(x)) return 1.0;
  double p, q;
  statis_detail::GammaPQ(a, x, p, q);
  return p;
}

double IncompleteGammaCompl(double x, double a) {
  if (std::isnan(x) || std::isnan(a) || std::isinf(a)) return kNaN;
  if (x <= 0.0 || a <= 0.0) return 1.0;
  if (std::isinf(x)) return 0.0;
  double p, q;
  statis_detail::GammaPQ(a, x, p, q);
  return q;
}

double Erf(double x) {
  if (std::isnan(x)) return kNaN;
  if (x == 0.0) return 0.0;
  const double r = IncompleteGamma(x * x, 0.5);
  return x < 0.0 ? -r : r;
}

double ErfApprox(double x) {
  if (std::isnan(x)) return kNaN;
  const double z = std::fabs(x);
  const double t = 1.0 / (1.0 + 0.5 * z);
  const double r =
      t *
      std::exp(
          -z * z - 1.26551223 +
          t * (1.00002368 +
               t * (0.37409196 +
                    t * (0.09678418 +
                         t * (-0.18628806 +
                              t * (0.27886807 + t * (-1.13520398 +
                                                     t * (1.48851587 + t * (-0.82215223 +
                                                                            t * 0.17087277)))))))));
  return x >= 0.0 ? 1.0 - r : r - 1.0;
}

double LnBeta(double a, double b) {
  if (a < 0.0 || b < 0.0) return 0.0;
  return LnGamma(a) + LnGamma(b) - LnGamma(a + b);
}

double IncompleteBeta(double x, double a, double b) {
  if (std::isnan(x) || std::isnan(a) || std::isnan(b)) return kNaN;
  // The fraction divides by a and b: no value is defined there.
  if (a <= 0.0 || b <= 0.0 || std::isinf(a) || std::isinf(b)) return kNaN;
  if (x <= 0.0) return 0.0;
  if (x >= 1.0) return 1.0;
  double p, q;
  statis_detail::BetaPQ(x, 1.0 - x, a, b, p, q);
  return p;
}

// ---------------------------------------------------------------------------
// The normal distribution
// ---------------------------------------------------------------------------

double nDistriDensity(double x) { return uc_sqrt2pitom1 * std::exp(-0.5 * x * x); }

double nDistriIntegral(double x) {
  if (std::isnan(x)) return kNaN;
  if (x == 0.0) return 0.5;
  if (std::isinf(x)) return x > 0.0 ? 1.0 : 0.0;
  double p, q;
  statis_detail::GammaPQ(0.5, 0.5 * x * x, p, q);
  // The lower tail straight from Q: 0.5 (1 - P) cancels to nothing below -8.
  return x > 0.0 ? 0.5 * (1.0 + p) : 0.5 * q;
}

double nDistriQuantile(double p) {
  if (!(p > 0.0 && p < 1.0)) return 0.0;
  if (p == 0.5) return 0.0;
  // Work in the smaller tail; 1 - p is exact for p >= 0.5.
  const bool upper = p > 0.5;
  const double tail = upper ? 1.0 - p : p;
  const double b = statis_detail::NormalTailApprox(tail);
  const double e = 0.1 * std::max(b, 0.1);
  // x is the magnitude of the quantile; the lower tail at -x is the target.
  double lo = std::max(b - e, 0.0);
  double hi = b + e;
  double x = b;
  for (int32_t it = 0; it < 200; ++it) {
    const double t = nDistriIntegral(-x);
    if (std::fabs(t - tail) < 1e-8 * tail) break;
    if (t > tail) {
      lo = x;
    } else {
      hi = x;
    }
    // Newton on ln t, kept inside the bracket; bisection otherwise.
    double next = 0.5 * (lo + hi);
    const double f = nDistriDensity(x);
    if (t > 0.0 && f > 0.0) {
      const double cand = x + (std::log(t) - std::log(tail)) * t / f;
      if (cand > lo && cand < hi) next = cand;
    }
    if (next == x || next == lo || next == hi) break;
    x = next;
  }
  return upper ? x : -x;
}

// ---------------------------------------------------------------------------
// Binomial coefficients and discrete densities
// ---------------------------------------------------------------------------

int32_t BinomCoeff(int32_t n, int32_t k) {
  if (n < 0 || k < 0 || n < k) return 0;
  const int64_t kk = std::min<int64_t>(k, static_cast<int64_t>(n) - k);
  // c stays C(n - kk + i, i) after step i: an exact integer, increasing, so
  // the first value above the limit ends it; c * (n - kk + i) < 2^31 * 2^31.
  int64_t c = 1;
  for (int64_t i = 1; i <= kk; ++i) {
    c = c * (static_cast<int64_t>(n) - kk + i) / i;
    if (c > 2147483647) return -1;
  }
  return static_cast<int32_t>(c);
}

double LnBinomCoeff(int32_t n, int32_t k) {
  if (n < 0 || k < 0 || n < k) return -1.0;
  return LnGamma(static_cast<double>(n) + 1.0) - LnGamma(static_cast<double>(k) + 1.0) -
         LnGamma(static_cast<double>(n) - static_cast<double>(k) + 1.0);
}

double WeibullDensity(double x, double shape, double scale) {
  if (std::isnan(x) || std::isnan(shape) || std::isnan(scale)) return kNaN;
  if (x <= 0.0 || scale <= 0.0 || shape <= 0.0) return 0.0;
  const double z = x / scale;
  // In logs, so that z^(k-1) and z^k cannot overflow separately.
  const double lnz = std::log(z);
  return shape / scale * std::exp((shape - 1.0) * lnz - std::exp(shape * lnz));
}

double HyperGeoDistriDensity(double p, int32_t npop, int32_t nsample, int32_t k) {
  if (!(p >= 0.0 && p <= 1.0)) {
    throw EZELStatisError("HyperGeoDistriDensity: probability p must be between 0.0 and 1.0");
  }
  if (npop <= 0) throw EZELStatisError("HyperGeoDistriDensity: npop must be greater than 0");
  if (nsample > npop) {
    throw EZELStatisError("HyperGeoDistriDensity: nsample must not be greater than npop");
  }
  if (nsample < 1) {
    throw EZELStatisError("HyperGeoDistriDensity: nsample must not be less than 1");
  }
  const int64_t m = static_cast<int64_t>(Round(p * static_cast<double>(npop)));
  const int64_t N = npop, n = nsample, kk = k;
  if (kk < 0 || kk > m || kk > n || kk < n + m - N) return 0.0;
  auto lf = [](int64_t v) { return LnGamma(static_cast<double>(v) + 1.0); };
  const double ln = lf(m) - lf(kk) - lf(m - kk) + lf(N - m) - lf(n - kk) - lf(N - m - n + kk) -
                    (lf(N) - lf(n) - lf(N - n));
  return std::exp(ln);
}

// ---------------------------------------------------------------------------
// Descriptive helpers
// ---------------------------------------------------------------------------

double FisherTransform(double x) {
  if (!(x > -1.0 && x < 1.0)) throw EZELStatisError("FisherTransform: argument out of range");
  return std::atanh(x);
}

double FisherTransformInv(double x) { return std::tanh(x); }

double CalcFishQ(double mean1, double mean2, double sd1, double sd2) {
  const double d = mean1 - mean2;
  double den = sd1 * sd1 + sd2 * sd2;
  if (den < 1e-6) den = 1e-6;
  return d * d / den;
}

double AkaikeInfCrit(int32_t n, int32_t npar, double rss) {
  if (n <= 0 || !(rss > 0.0)) return kNaN;
  const double dn = static_cast<double>(n);
  return dn * std::log(rss / dn) + 2.0 * static_cast<double>(npar);
}

double ConfidenceInterval(double alpha, double sd, int32_t n) {
  if (n <= 0 || !(alpha > 0.0 && alpha < 1.0)) return 0.0;
  return nDistriQuantile(1.0 - 0.5 * alpha) * sd / std::sqrt(static_cast<double>(n));
}

bool LeastSquaresParabola(std::span<const double> x, std::span<const double> y, double& k0,
                          double& k1, double& k2) {
  k0 = k1 = k2 = 0.0;
  const size_t n = x.size();
  if (n != y.size() || n < 3) return false;
  long double mean = 0.0L;
  for (size_t i = 0; i < n; ++i) {
    if (!std::isfinite(x[i]) || !std::isfinite(y[i])) return false;
    mean += x[i];
  }
  mean /= static_cast<long double>(n);
  // Centred sums keep the normal equations well conditioned far from 0.
  long double s1 = 0, s2 = 0, s3 = 0, s4 = 0, t0 = 0, t1 = 0, t2 = 0;
  for (size_t i = 0; i < n; ++i) {
    const long double u = x[i] - mean;
    const long double u2 = u * u;
    s1 += u;
    s2 += u2;
    s3 += u2 * u;
    s4 += u2 * u2;
    t0 += y[i];
    t1 += u * y[i];
    t2 += u2 * y[i];
  }
  const long double s0 = static_cast<long double>(n);
  const long double det =
      s0 * (s2 * s4 - s3 * s3) - s1 * (s1 * s4 - s2 * s3) + s2 * (s1 * s3 - s2 * s2);
  const long double scale = s0 * s2 * s4;
  if (!(std::fabs(det) > 1e-12L * std::fabs(scale)) || scale == 0.0L) return false;
  const long double c0 =
      (t0 * (s2 * s4 - s3 * s3) - s1 * (t1 * s4 - s3 * t2) + s2 * (t1 * s3 - s2 * t2)) / det;
  const long double c1 =
      (s0 * (t1 * s4 - s3 * t2) - t0 * (s1 * s4 - s2 * s3) + s2 * (s1 * t2 - t1 * s2)) / det;
  const long double c2 =
      (s0 * (s2 * t2 - t1 * s3) - s1 * (s1 * t2 - t1 * s2) + t0 * (s1 * s3 - s2 * s2)) / det;
  // y = c0 + c1 u + c2 u^2 with u = x - mean.
  k2 = static_cast<double>(c2);
  k1 = static_cast<double>(c1 - 2.0L * c2 * mean);
  k0 = static_cast<double>(c0 - c1 * mean + c2 * mean * mean);
  return true;
}

}  // namespace zel
