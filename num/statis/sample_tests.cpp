// t-tests, F-test, one-sample chi-square test and the Mann-Whitney U test.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "num/statis/statis_impl.hpp"
#include "num/statis/zel_statis.hpp"

namespace zel {

namespace {

bool Finite(const TDoubleArray& v) {
  return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
}

void MeanVar(const TDoubleArray& v, long double& mean, long double& var) {
  mean = 0.0L;
  for (double x : v) mean += x;
  mean /= static_cast<long double>(v.size());
  long double ss = 0.0L;
  for (double x : v) ss += (x - mean) * (x - mean);
  var = ss / static_cast<long double>(v.size() - 1);
}

TDoubleArray ToArray(const TVector& v) {
  TDoubleArray a(static_cast<size_t>(v.GetNrOfElem()));
  for (int32_t i = 1; i <= v.GetNrOfElem(); ++i) a[static_cast<size_t>(i - 1)] = v.GetVal(i);
  return a;
}

double TwoSidedT(double t, double df) {
  // The t distribution function takes whole degrees of freedom; Welch's df
  // is fractional, so the tail comes from the beta function directly.
  const double x = df / (df + t * t);
  const double tail = 0.5 * IncompleteBeta(x, 0.5 * df, 0.5);
  return std::min(1.0, 2.0 * tail);
}

double TwoSidedFromTails(double lower, double upper) {
  return std::min(1.0, 2.0 * std::min(lower, upper));
}

}  // namespace

int32_t Perform1SampleTTest(const TDoubleArray& data, double mu0, double& t, double& p) {
  t = p = 0.0;
  if (data.size() < 2) return kTestTooFew;
  if (!Finite(data) || !std::isfinite(mu0)) return kTestNotFinite;
  long double m, v;
  MeanVar(data, m, v);
  if (!(v > 0.0L)) return kTestNoVariance;
  const long double n = static_cast<long double>(data.size());
  t = static_cast<double>((m - mu0) / std::sqrt(v / n));
  p = TwoSidedT(t, static_cast<double>(n - 1.0L));
  return kTestOk;
}

int32_t Perform2SampleTTest(double mean1, double sd1, int32_t n1, double mean2, double sd2,
                            int32_t n2, TtTestVersion version, double& t, double& df, double& p) {
  t = df = p = 0.0;
  if (version == TtTestVersion::ttPaired) return kTestBadParameter;
  if (n1 < 2 || n2 < 2) return kTestTooFew;
  if (!std::isfinite(mean1) || !std::isfinite(mean2) || !std::isfinite(sd1) ||
      !std::isfinite(sd2)) {
    return kTestNotFinite;
  }
  const double a = n1, b = n2, v1 = sd1 * sd1, v2 = sd2 * sd2;
  double se;
  if (version == TtTestVersion::ttHomoScedastic) {
    df = a + b - 2.0;
    const double pooled = ((a - 1.0) * v1 + (b - 1.0) * v2) / df;
    se = std::sqrt(pooled * (1.0 / a + 1.0 / b));
  } else {
    const double q1 = v1 / a, q2 = v2 / b;
    se = std::sqrt(q1 + q2);
    df = (q1 + q2) * (q1 + q2) / (q1 * q1 / (a - 1.0) + q2 * q2 / (b - 1.0));
  }
  if (!(se > 0.0)) {
    df = 0.0;
    return kTestNoVariance;
  }
  t = (mean1 - mean2) / se;
  p = TwoSidedT(t, df);
  return kTestOk;
}

int32_t Perform2SampleTTest(const TDoubleArray& a, const TDoubleArray& b, TtTestVersion version,
                            double& t, double& df, double& p) {
  t = df = p = 0.0;
  if (version == TtTestVersion::ttPaired) {
    if (a.size() != b.size()) return kTestSizeDiffers;
    TDoubleArray d(a.size());
    for (size_t i = 0; i < a.size(); ++i) d[i] = a[i] - b[i];
    const int32_t r = Perform1SampleTTest(d, 0.0, t, p);
    if (r == kTestOk) df = static_cast<double>(d.size() - 1);
    return r;
  }
  if (a.size() < 2 || b.size() < 2) return kTestTooFew;
  if (!Finite(a) || !Finite(b)) return kTestNotFinite;
  long double m1, v1, m2, v2;
  MeanVar(a, m1, v1);
  MeanVar(b, m2, v2);
  // The difference of the means in long double keeps close means apart.
  const double diff = static_cast<double>(m1 - m2);
  const int32_t r = Perform2SampleTTest(
      diff, static_cast<double>(std::sqrt(v1)), static_cast<int32_t>(a.size()), 0.0,
      static_cast<double>(std::sqrt(v2)), static_cast<int32_t>(b.size()), version, t, df, p);
  return r;
}

int32_t Perform2SampleTTest(const TVector& a, const TVector& b, TtTestVersion version, double& t,
                            double& df, double& p) {
  return Perform2SampleTTest(ToArray(a), ToArray(b), version, t, df, p);
}

int32_t PerformFTest(const TDoubleArray& a, const TDoubleArray& b, double& F, double& p) {
  F = p = 0.0;
  if (a.size() < 2 || b.size() < 2) return kTestTooFew;
  if (!Finite(a) || !Finite(b)) return kTestNotFinite;
  long double m1, v1, m2, v2;
  MeanVar(a, m1, v1);
  MeanVar(b, m2, v2);
  if (!(v2 > 0.0L)) return kTestNoVariance;
  F = static_cast<double>(v1 / v2);
  const auto d1 = static_cast<int32_t>(a.size() - 1), d2 = static_cast<int32_t>(b.size() - 1);
  const double lower = FDistriIntegral(F, d1, d2);
  // The upper tail from the mirrored beta, not 1 - lower.
  const double upper = F > 0.0 ? IncompleteBeta(d2 / (d2 + d1 * F), 0.5 * d2, 0.5 * d1) : 1.0;
  p = TwoSidedFromTails(lower, upper);
  return kTestOk;
}

int32_t Perform1SampleChi2Test(const TDoubleArray& data, double sigma0, double& chi2, double& p) {
  chi2 = p = 0.0;
  if (data.size() < 2) return kTestTooFew;
  if (!Finite(data) || !std::isfinite(sigma0)) return kTestNotFinite;
  if (!(sigma0 > 0.0)) return kTestBadParameter;
  long double m, v;
  MeanVar(data, m, v);
  const long double n1 = static_cast<long double>(data.size() - 1);
  chi2 = static_cast<double>(n1 * v / (static_cast<long double>(sigma0) * sigma0));
  const auto df = static_cast<int32_t>(data.size() - 1);
  p = TwoSidedFromTails(chi2DistriIntegral(chi2, df), IncompleteGammaCompl(0.5 * chi2, 0.5 * df));
  return kTestOk;
}

namespace {

// U = r1 - n1(n1 + 1)/2 from the rank-score sum r1 of the first sample and
// its two-sided p: exact (UDistriIntegral) when the scores are the ranks
// 1..n without ties and the table reaches n1 and n2, else normal with the
// permutation variance n1 n2 ss/(n (n - 1)) of the scores (ss their centred
// sum of squares) and a continuity correction of 1/2.
void RankSumP(long double r1, long double ss, bool tied, size_t n1, size_t n2, double& U,
              double& p) {
  const long double dn1 = n1, dn2 = n2, dn = n1 + n2;
  const long double u = r1 - dn1 * (dn1 + 1.0L) / 2.0L;
  U = static_cast<double>(u);
  if (!tied) {
    const auto i1 = static_cast<int32_t>(n1), i2 = static_cast<int32_t>(n2);
    const auto iu = static_cast<int32_t>(u);
    const double lower = UDistriIntegral(i1, i2, iu);
    if (!std::isnan(lower)) {
      // P(U' >= u) = P(U' <= n1 n2 - u) by symmetry.
      const double upper = UDistriIntegral(i1, i2, i1 * i2 - iu);
      p = TwoSidedFromTails(lower, upper);
      return;
    }
  }
  const long double mean = dn1 * dn2 / 2.0L;
  const long double var = dn < 2.0L ? 0.0L : dn1 * dn2 * ss / (dn * (dn - 1.0L));
  if (!(var > 0.0L)) {
    p = 1.0;
    return;
  }
  const long double z = (std::fabs(u - mean) - 0.5L) / std::sqrt(var);
  p = std::min(1.0, 2.0 * nDistriIntegral(-static_cast<double>(std::max(z, 0.0L))));
}

// The pooled sample sorted by value, each entry marked 0 (from a) or 1.
std::vector<std::pair<double, size_t>> Pooled(const TDoubleArray& a, const TDoubleArray& b) {
  std::vector<std::pair<double, size_t>> pooled(a.size() + b.size());
  for (size_t i = 0; i < a.size(); ++i) pooled[i] = {a[i], 0};
  for (size_t j = 0; j < b.size(); ++j) pooled[a.size() + j] = {b[j], 1};
  std::sort(pooled.begin(), pooled.end());
  return pooled;
}

// Calls f(first, last) for each run of equal values of the sorted pool.
template <class F>
void ForEachTieGroup(const std::vector<std::pair<double, size_t>>& pooled, F f) {
  for (size_t i = 0; i < pooled.size();) {
    size_t j = i;
    while (j + 1 < pooled.size() && pooled[j + 1].first == pooled[i].first) ++j;
    f(i, j);
    i = j + 1;
  }
}

}  // namespace

int32_t PerformMannWhitneyUTest(const TDoubleArray& a, const TDoubleArray& b, double& U,
                                double& p) {
  U = p = 0.0;
  if (a.empty() || b.empty()) return kTestTooFew;
  if (!Finite(a) || !Finite(b)) return kTestNotFinite;
  const size_t n = a.size() + b.size();
  const auto pooled = Pooled(a, b);
  long double r1 = 0.0L, ties = 0.0L;
  ForEachTieGroup(pooled, [&](size_t i, size_t j) {
    const long double rank = 0.5L * static_cast<long double>(i + j + 2);
    const auto t = static_cast<long double>(j - i + 1);
    ties += t * t * t - t;
    for (size_t k = i; k <= j; ++k) {
      if (pooled[k].second == 0) r1 += rank;
    }
  });
  // Centred sum of squares of the mid-ranks: (n^3 - n - ties)/12.
  const long double dn = n;
  RankSumP(r1, (dn * dn * dn - dn - ties) / 12.0L, ties != 0.0L, a.size(), b.size(), U, p);
  return kTestOk;
}

int32_t PerformMannWhitneyUTest(const TVector& a, const TVector& b, double& U, double& p) {
  return PerformMannWhitneyUTest(ToArray(a), ToArray(b), U, p);
}

int32_t PerformSiegelTukeyTest(const TDoubleArray& a, const TDoubleArray& b, double& U, double& p) {
  U = p = 0.0;
  if (a.empty() || b.empty()) return kTestTooFew;
  if (!Finite(a) || !Finite(b)) return kTestNotFinite;
  const auto pooled = Pooled(a, b);
  const auto n = static_cast<int64_t>(pooled.size());
  // Ranks from the extremes inwards: 1 to the smallest, 2 and 3 to the two
  // largest, 4 and 5 to the next two smallest, and so on.
  std::vector<long double> score(pooled.size());
  int64_t lo = 0, hi = n - 1, rank = 1, take = 1;
  bool fromLow = true;
  while (lo <= hi) {
    for (int64_t k = 0; k < take && lo <= hi; ++k) {
      score[static_cast<size_t>(fromLow ? lo++ : hi--)] = static_cast<long double>(rank++);
    }
    fromLow = !fromLow;
    take = 2;
  }
  // Tied values share the mean of their ranks; those ranks are not
  // consecutive, so the variance comes from the scores themselves.
  bool tied = false;
  ForEachTieGroup(pooled, [&](size_t i, size_t j) {
    if (i == j) return;
    tied = true;
    long double sum = 0.0L;
    for (size_t k = i; k <= j; ++k) sum += score[k];
    const long double mean = sum / static_cast<long double>(j - i + 1);
    for (size_t k = i; k <= j; ++k) score[k] = mean;
  });
  const long double mid = 0.5L * static_cast<long double>(n + 1);
  long double r1 = 0.0L, ss = 0.0L;
  for (size_t k = 0; k < pooled.size(); ++k) {
    if (pooled[k].second == 0) r1 += score[k];
    ss += (score[k] - mid) * (score[k] - mid);
  }
  RankSumP(r1, ss, tied, a.size(), b.size(), U, p);
  return kTestOk;
}

int32_t PerformSiegelTukeyTest(const TVector& a, const TVector& b, double& U, double& p) {
  return PerformSiegelTukeyTest(ToArray(a), ToArray(b), U, p);
}

}  // namespace zel

namespace zel {

namespace {

// Central moments m2, m3, m4 (mean first, long double).
bool Moments(const TDoubleArray& v, long double& m2, long double& m3, long double& m4) {
  long double mean = 0.0L;
  for (double x : v) mean += x;
  mean /= static_cast<long double>(v.size());
  m2 = m3 = m4 = 0.0L;
  for (double x : v) {
    const long double d = x - mean, d2 = d * d;
    m2 += d2;
    m3 += d2 * d;
    m4 += d2 * d2;
  }
  const long double n = static_cast<long double>(v.size());
  m2 /= n;
  m3 /= n;
  m4 /= n;
  return m2 > 0.0L;
}

}  // namespace

int32_t CalcAndTestSkewness(const TDoubleArray& data, bool unbiased, double& skew, double& z,
                            double& p) {
  skew = z = p = 0.0;
  if (data.size() < 8) return kTestTooFew;
  if (!std::all_of(data.begin(), data.end(), [](double x) { return std::isfinite(x); })) {
    return kTestNotFinite;
  }
  long double m2, m3, m4;
  if (!Moments(data, m2, m3, m4)) return kTestNoVariance;
  const double n = static_cast<double>(data.size());
  const double b = static_cast<double>(m3 / std::pow(m2, 1.5L));
  double y = b * std::sqrt((n + 1.0) * (n + 3.0) / (6.0 * (n - 2.0)));
  const double beta2 = 3.0 * (n * n + 27.0 * n - 70.0) * (n + 1.0) * (n + 3.0) /
                       ((n - 2.0) * (n + 5.0) * (n + 7.0) * (n + 9.0));
  const double w2 = -1.0 + std::sqrt(2.0 * (beta2 - 1.0));
  const double delta = 1.0 / std::sqrt(0.5 * std::log(w2));
  const double alpha = std::sqrt(2.0 / (w2 - 1.0));
  if (y == 0.0) y = 1.0;  // as scipy: the transform is evaluated at 1
  const double ya = y / alpha;
  z = delta * std::log(ya + std::sqrt(ya * ya + 1.0));
  if (b == 0.0) z = 0.0;
  p = std::min(1.0, 2.0 * nDistriIntegral(-std::fabs(z)));
  skew = unbiased ? b * std::sqrt(n * (n - 1.0)) / (n - 2.0) : b;
  return kTestOk;
}

int32_t CalcAndTestKurtosis(const TDoubleArray& data, bool unbiased, double& kurt, double& z,
                            double& p) {
  kurt = z = p = 0.0;
  if (data.size() < 5) return kTestTooFew;
  if (!std::all_of(data.begin(), data.end(), [](double x) { return std::isfinite(x); })) {
    return kTestNotFinite;
  }
  long double m2, m3, m4;
  if (!Moments(data, m2, m3, m4)) return kTestNoVariance;
  const double n = static_cast<double>(data.size());
  const double b2 = static_cast<double>(m4 / (m2 * m2));
  const double e = 3.0 * (n - 1.0) / (n + 1.0);
  const double varb2 =
      24.0 * n * (n - 2.0) * (n - 3.0) / ((n + 1.0) * (n + 1.0) * (n + 3.0) * (n + 5.0));
  const double x = (b2 - e) / std::sqrt(varb2);
  const double sb1 = 6.0 * (n * n - 5.0 * n + 2.0) / ((n + 7.0) * (n + 9.0)) *
                     std::sqrt(6.0 * (n + 3.0) * (n + 5.0) / (n * (n - 2.0) * (n - 3.0)));
  const double a = 6.0 + 8.0 / sb1 * (2.0 / sb1 + std::sqrt(1.0 + 4.0 / (sb1 * sb1)));
  const double term1 = 1.0 - 2.0 / (9.0 * a);
  const double denom = 1.0 + x * std::sqrt(2.0 / (a - 4.0));
  const double term2 =
      denom == 0.0 ? 99.0 : std::copysign(std::cbrt((1.0 - 2.0 / a) / std::fabs(denom)), denom);
  z = (term1 - term2) / std::sqrt(2.0 / (9.0 * a));
  p = std::min(1.0, 2.0 * nDistriIntegral(-std::fabs(z)));
  const double g2 = b2 - 3.0;
  kurt = unbiased ? ((n + 1.0) * g2 + 6.0) * (n - 1.0) / ((n - 2.0) * (n - 3.0)) : g2;
  return kTestOk;
}

}  // namespace zel
