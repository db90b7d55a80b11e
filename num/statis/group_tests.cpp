// Tests on groups: Bartlett, Levene, one-way ANOVA, Friedman, the median
// test and the chi-square comparison of two histograms.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/zel_univconst.hpp"
#include "num/statis/statis_impl.hpp"
#include "num/statis/zel_statis.hpp"

namespace zel {

using statis_detail::kNaN;

namespace {

double UpperChi2(double chi2, int32_t df) {
  if (df < 1) return 1.0;
  if (std::isnan(chi2)) return kNaN;
  return IncompleteGammaCompl(0.5 * chi2, 0.5 * df);
}

double UpperF(double f, int32_t df1, int32_t df2) {
  if (std::isnan(f)) return kNaN;
  // 1 - FDistriIntegral cancels in the tail; use the mirrored beta instead:
  // P(F > f) = I_(df2/(df2 + df1 f))(df2/2, df1/2).
  const double u = df1 * f;
  return IncompleteBeta(df2 / (df2 + u), 0.5 * df2, 0.5 * df1);
}

// Group index of every value (labels in order of first occurrence).
struct Grouping {
  std::vector<size_t> of;
  size_t count = 0;
};

Grouping GroupLabels(const TIntVector& groups) {
  Grouping g;
  std::vector<int32_t> labels;
  g.of.resize(static_cast<size_t>(groups.GetNrOfElem()));
  for (int32_t i = 1; i <= groups.GetNrOfElem(); ++i) {
    const int32_t l = groups.GetVal(i);
    auto it = std::find(labels.begin(), labels.end(), l);
    if (it == labels.end()) {
      labels.push_back(l);
      it = labels.end() - 1;
    }
    g.of[static_cast<size_t>(i - 1)] = static_cast<size_t>(it - labels.begin());
  }
  g.count = labels.size();
  return g;
}

// Group sizes and means of x (long double).
void GroupMeans(const std::vector<long double>& x, const Grouping& g, std::vector<long double>& n,
                std::vector<long double>& mean) {
  n.assign(g.count, 0.0L);
  mean.assign(g.count, 0.0L);
  for (size_t i = 0; i < x.size(); ++i) {
    n[g.of[i]] += 1.0L;
    mean[g.of[i]] += x[i];
  }
  for (size_t k = 0; k < g.count; ++k) mean[k] /= n[k];
}

double Median(std::vector<double> v) {
  const size_t n = v.size();
  auto mid = v.begin() + static_cast<std::ptrdiff_t>(n / 2);
  std::nth_element(v.begin(), mid, v.end());
  const double hi = *mid;
  if (n % 2) return hi;
  const double lo = *std::max_element(v.begin(), mid);
  return lo + 0.5 * (hi - lo);
}

}  // namespace

double BartlettTest(const TDouble2DArray& groups, const TIntArray& sizes, double& chi2) {
  chi2 = 0.0;
  if (groups.size() != sizes.size()) return kBartlettCountsDiffer;
  for (int32_t s : sizes) {
    if (s < 6) return kBartlettTooSmall;
  }
  for (size_t i = 0; i < sizes.size(); ++i) {
    if (static_cast<size_t>(sizes[i]) > groups[i].size()) return kBartlettSizeTooLarge;
  }
  const size_t k = groups.size();
  if (k < 2) return kBartlettDegenerate;
  long double N = 0.0L, pooled = 0.0L, sumLn = 0.0L, sumInv = 0.0L;
  for (size_t i = 0; i < k; ++i) {
    const auto ni = static_cast<size_t>(sizes[i]);
    long double m = 0.0L;
    for (size_t j = 0; j < ni; ++j) m += groups[i][j];
    m /= static_cast<long double>(ni);
    long double ss = 0.0L;
    for (size_t j = 0; j < ni; ++j) ss += (groups[i][j] - m) * (groups[i][j] - m);
    if (std::isnan(static_cast<double>(ss))) {
      chi2 = kNaN;
      return kNaN;
    }
    const long double var = ss / static_cast<long double>(ni - 1);
    // ln 0 of a constant group has no meaning.
    if (!(var > 0.0L)) return kBartlettDegenerate;
    N += static_cast<long double>(ni);
    pooled += ss;
    sumLn += static_cast<long double>(ni - 1) * std::log(var);
    sumInv += 1.0L / static_cast<long double>(ni - 1);
  }
  const long double nk = N - static_cast<long double>(k);
  const long double sp = pooled / nk;
  const long double lnsp = sp > 0.0L ? std::log(sp) : -9999999.0L;
  const long double c = 1.0L + (sumInv - 1.0L / nk) / (3.0L * static_cast<long double>(k - 1));
  chi2 = static_cast<double>((nk * lnsp - sumLn) / c);
  return UpperChi2(chi2, static_cast<int32_t>(k - 1));
}

double LeveneTest(const TVector& values, const TIntVector& groups, double& F) {
  F = 0.0;
  if (values.GetNrOfElem() != groups.GetNrOfElem()) return kGroupsSizeDiffers;
  const Grouping g = GroupLabels(groups);
  const auto N = static_cast<size_t>(values.GetNrOfElem());
  if (g.count == 1) return kGroupsOneGroup;
  if (g.count == N) return kGroupsAllSingle;
  std::vector<long double> x(N), n, mean;
  for (size_t i = 0; i < N; ++i) x[i] = values.GetVal(static_cast<int32_t>(i + 1));
  GroupMeans(x, g, n, mean);
  std::vector<long double> z(N);
  for (size_t i = 0; i < N; ++i) z[i] = std::fabs(x[i] - mean[g.of[i]]);
  std::vector<long double> zn, zmean;
  GroupMeans(z, g, zn, zmean);
  long double zall = 0.0L;
  for (long double v : z) zall += v;
  zall /= static_cast<long double>(N);
  long double between = 0.0L, within = 0.0L;
  for (size_t k = 0; k < g.count; ++k) between += zn[k] * (zmean[k] - zall) * (zmean[k] - zall);
  for (size_t i = 0; i < N; ++i) within += (z[i] - zmean[g.of[i]]) * (z[i] - zmean[g.of[i]]);
  const auto df1 = static_cast<int32_t>(g.count - 1), df2 = static_cast<int32_t>(N - g.count);
  between /= df1;
  within /= df2;
  if (within != 0.0L) {
    F = static_cast<double>(between / within);
    return UpperF(F, df1, df2);
  }
  if (between != 0.0L) {
    F = uc_MaxReal;
    return 0.0;
  }
  return kGroupsNoVariation;
}

double Anova1F(const TVector& values, const TIntVector& groups, double& SSbetween, double& SSwithin,
               double& SStotal, int32_t& dfBetween, int32_t& dfWithin, int32_t& dfTotal,
               double& F) {
  SSbetween = SSwithin = SStotal = F = 0.0;
  dfBetween = dfWithin = dfTotal = 0;
  if (values.GetNrOfElem() != groups.GetNrOfElem()) return kGroupsSizeDiffers;
  const Grouping g = GroupLabels(groups);
  const auto N = static_cast<size_t>(values.GetNrOfElem());
  if (g.count == 1) return kGroupsOneGroup;
  if (g.count == N) return kGroupsAllSingle;
  std::vector<long double> x(N), n, mean;
  for (size_t i = 0; i < N; ++i) x[i] = values.GetVal(static_cast<int32_t>(i + 1));
  GroupMeans(x, g, n, mean);
  long double all = 0.0L;
  for (long double v : x) all += v;
  all /= static_cast<long double>(N);
  long double ssb = 0.0L, ssw = 0.0L, sst = 0.0L;
  for (size_t k = 0; k < g.count; ++k) ssb += n[k] * (mean[k] - all) * (mean[k] - all);
  for (size_t i = 0; i < N; ++i) {
    ssw += (x[i] - mean[g.of[i]]) * (x[i] - mean[g.of[i]]);
    sst += (x[i] - all) * (x[i] - all);
  }
  SSbetween = static_cast<double>(ssb);
  SSwithin = static_cast<double>(ssw);
  SStotal = static_cast<double>(sst);
  dfBetween = static_cast<int32_t>(g.count - 1);
  dfWithin = static_cast<int32_t>(N - g.count);
  dfTotal = static_cast<int32_t>(N - 1);
  const long double msb = ssb / dfBetween, msw = ssw / dfWithin;
  if (msw != 0.0L) {
    F = static_cast<double>(msb / msw);
    return UpperF(F, dfBetween, dfWithin);
  }
  if (msb != 0.0L) {
    F = uc_MaxReal;
    return 0.0;
  }
  return kGroupsNoVariation;
}

double FriedmanTest(const TMatrix* data, double& chi2) {
  chi2 = 0.0;
  if (data == nullptr || data->GetNrOfColumns() < 3 || data->GetNrOfRows() < 1) return -1.0;
  const int32_t k = data->GetNrOfColumns(), n = data->GetNrOfRows();
  std::vector<long double> R(static_cast<size_t>(k), 0.0L);
  long double ties = 0.0L;
  std::vector<std::pair<double, int32_t>> row(static_cast<size_t>(k));
  for (int32_t r = 1; r <= n; ++r) {
    for (int32_t c = 1; c <= k; ++c) row[static_cast<size_t>(c - 1)] = {data->GetVal(c, r), c - 1};
    std::sort(row.begin(), row.end());
    for (size_t i = 0; i < row.size();) {
      size_t j = i;
      while (j + 1 < row.size() && row[j + 1].first == row[i].first) ++j;
      const long double rank = 0.5L * static_cast<long double>(i + j + 2);
      const auto t = static_cast<long double>(j - i + 1);
      ties += t * t * t - t;
      for (size_t q = i; q <= j; ++q) R[static_cast<size_t>(row[q].second)] += rank;
      i = j + 1;
    }
  }
  const long double dn = n, dk = k;
  long double sumR2 = 0.0L;
  for (long double v : R) sumR2 += v * v;
  long double q = 12.0L * sumR2 / (dn * dk * (dk + 1.0L)) - 3.0L * dn * (dk + 1.0L);
  if (ties > 0.0L) {
    const long double corr = 1.0L - ties / (dn * dk * (dk * dk - 1.0L));
    // Every row fully tied: no ranking information at all.
    if (corr <= 0.0L) {
      chi2 = 0.0;
      return 1.0;
    }
    q /= corr;
  }
  chi2 = static_cast<double>(std::max(q, 0.0L));
  return UpperChi2(chi2, k - 1);
}

int32_t MedianTest(const TDoubleArray& a, const TDoubleArray& b, double& chi2, double& pChi2,
                   double& chi2Yates, double& pYates, double& pFisher) {
  chi2 = pChi2 = chi2Yates = pYates = 0.0;
  pFisher = -1.0;
  if (a.empty() || b.empty()) return kMedianTestEmpty;
  std::vector<double> all(a);
  all.insert(all.end(), b.begin(), b.end());
  if (!std::all_of(all.begin(), all.end(), [](double x) { return std::isfinite(x); })) {
    return kMedianTestNotFinite;
  }
  const double med = Median(all);
  auto above = [med](const TDoubleArray& v) {
    return static_cast<int32_t>(
        std::count_if(v.begin(), v.end(), [med](double x) { return x > med; }));
  };
  const int32_t aa = above(a), ba = above(b);
  const int32_t an = static_cast<int32_t>(a.size()) - aa, bn = static_cast<int32_t>(b.size()) - ba;
  // Columns: sample 1, sample 2, totals; rows: above, not above, totals.
  const TInt2DArray t = {
      {aa, an, aa + an}, {ba, bn, ba + bn}, {aa + ba, an + bn, aa + an + ba + bn}};
  Chi2OfContTab(t, chi2, pChi2);
  double l, r, two;
  if (FisherExactTest(t, l, r, two) == kContTabOk) pFisher = two;
  if (Chi2OfContTabYates(t, chi2Yates, pYates) != kContTabOk) {
    chi2Yates = pYates = 0.0;
    return kMedianTestNoYates;
  }
  return kMedianTestOk;
}

int32_t PerformChi2DistComp(const TIntArray& obs1, const TIntArray& obs2, double& chi2, double& p,
                            int32_t& df, int32_t& n1, int32_t& n2) {
  chi2 = p = 0.0;
  df = n1 = n2 = 0;
  if (obs1.size() != obs2.size()) return kDistCompSizeDiffers;
  if (obs1.empty()) return kDistCompEmpty;
  int64_t t1 = 0, t2 = 0;
  for (size_t i = 0; i < obs1.size(); ++i) {
    t1 += obs1[i];
    t2 += obs2[i];
  }
  if (t1 == 0 || t2 == 0) return kDistCompZeroTotal;
  const double k1 = std::sqrt(static_cast<double>(t2) / static_cast<double>(t1));
  const double k2 = std::sqrt(static_cast<double>(t1) / static_cast<double>(t2));
  auto term = [&](int64_t a, int64_t b) {
    const double d = k1 * static_cast<double>(a) - k2 * static_cast<double>(b);
    return d * d / static_cast<double>(b);
  };
  std::vector<std::pair<int64_t, int64_t>> bins;
  int64_t a = 0, b = 0;
  for (size_t i = 0; i < obs1.size(); ++i) {
    a += obs1[i];
    b += obs2[i];
    const bool nextNonZero = i + 1 >= obs2.size() || obs2[i + 1] != 0;
    if (b > 5 && nextNonZero) {
      bins.push_back({a, b});
      a = b = 0;
    }
  }
  if (a != 0 || b != 0) {
    // A tail without obs2 counts has no expected value of its own.
    if (b == 0 && !bins.empty()) {
      bins.back().first += a;
    } else {
      bins.push_back({a, b});
    }
  }
  long double sum = 0.0L;
  for (const auto& [ba, bb] : bins) sum += bb > 0 ? term(ba, bb) : 0.0;
  chi2 = static_cast<double>(sum);
  df = static_cast<int32_t>(bins.size()) - 1;
  n1 = static_cast<int32_t>(std::min<int64_t>(t1, INT32_MAX));
  n2 = static_cast<int32_t>(std::min<int64_t>(t2, INT32_MAX));
  p = UpperChi2(chi2, df);
  return kDistCompOk;
}

}  // namespace zel
