// Nearest neighbours: search, estimation, mean distances and representative
// centres.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "core/zel_univconst.hpp"
#include "num/analysis/math2_impl.hpp"
#include "num/analysis/zel_math2.hpp"
#include "num/math1/zel_math1.hpp"

namespace zel {

namespace {

constexpr int32_t kMaxNeighbors = 100;
constexpr int32_t kMaxMeanDistK = 50;

struct TNeighbors {
  std::vector<double> dist;
  std::vector<int32_t> row;
  int32_t count = 0;
};

// The k nearest rows of lo..hi (1-based, valid) by sorted insertion; an
// equal distance goes after the ones already kept, so the earlier row stays
// first.
TNeighbors Nearest(int32_t k, const TMatrix& data, int32_t lo, int32_t hi, const TVector* pattern,
                   const TRowDistFunc& calcDist) {
  TNeighbors nb;
  nb.dist.assign(static_cast<size_t>(k), uc_MaxDouble);
  nb.row.assign(static_cast<size_t>(k), 0);
  auto keep = [&](double d, int32_t r) {
    const auto filled = nb.dist.begin() + nb.count;
    const auto pos = static_cast<int32_t>(
        std::upper_bound(nb.dist.begin(), filled, d, math2_detail::DistLess) - nb.dist.begin());
    if (pos >= k) return;
    InsertIntoArray(std::span<double>(nb.dist), d, pos);
    InsertIntoArray(std::span<int32_t>(nb.row), r, pos);
    nb.count = std::min(nb.count + 1, k);
  };
  if (calcDist) {
    for (int32_t r = lo; r <= hi; ++r) keep(calcDist(r), r);
    return nb;
  }
  const TDouble2DArray& x = data.GetMat();
  const int32_t np = pattern->GetNrOfElem();
  const int32_t shared = std::min(np, data.GetNrOfColumns());
  // Pattern elements beyond the data's columns meet zeros.
  double beyond = 0.0;
  for (int32_t j = shared + 1; j <= np; ++j) beyond += pattern->GetVal(j) * pattern->GetVal(j);
  std::vector<double> p(static_cast<size_t>(np));
  for (int32_t j = 1; j <= np; ++j) p[static_cast<size_t>(j - 1)] = pattern->GetVal(j);

  // Sums of squares a block of rows at a time, column by column, so that
  // each pass streams one contiguous column.
  constexpr int32_t kBlock = 512;
  std::vector<double> s(kBlock);
  for (int32_t b = lo; b <= hi; b += kBlock) {
    const int32_t e = std::min(hi, b + kBlock - 1);
    const auto len = static_cast<size_t>(e - b + 1);
    std::fill(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(len), beyond);
    for (int32_t j = 0; j < shared; ++j) {
      const double* col = x[static_cast<size_t>(j)].data() + (b - 1);
      const double pj = p[static_cast<size_t>(j)];
      for (size_t i = 0; i < len; ++i) {
        const double t = col[i] - pj;
        s[i] += t * t;
      }
    }
    for (size_t i = 0; i < len; ++i) {
      const int32_t r = b + static_cast<int32_t>(i);
      const double si = s[i];
      double d;
      if (si < 1e300 && si > 1e-290) {
        d = std::sqrt(si);
      } else {
        d = math2_detail::ScaledNorm(np, [&](int32_t j) {
          const double xv =
              j < shared ? x[static_cast<size_t>(j)][static_cast<size_t>(r - 1)] : 0.0;
          return xv - p[static_cast<size_t>(j)];
        });
      }
      // Most rows of a long scan lose against a full list: skip the search.
      if (nb.count == k && !math2_detail::DistLess(d, nb.dist[static_cast<size_t>(k - 1)]))
        continue;
      keep(d, r);
    }
  }
  return nb;
}

double RowDistance(const TDouble2DArray& x, size_t r1, size_t r2) {
  return math2_detail::ScaledNorm(static_cast<int32_t>(x.size()), [&](int32_t j) {
    const auto& col = x[static_cast<size_t>(j)];
    return col[r1] - col[r2];
  });
}

}  // namespace

void FindNearestNeighbors(int32_t K, const TMatrix* Data, int32_t FirstObj, int32_t LastObj,
                          const TVector* Pattern, TMatrix* KNNList, const TRowDistFunc& CalcDist) {
  if (Data == nullptr || KNNList == nullptr || (!CalcDist && Pattern == nullptr)) return;
  if (Data->GetMat().empty()) return;
  const int32_t n = Data->GetNrOfRows();
  NormalizeRange(FirstObj, LastObj, 1, n);
  K = std::min({K, kMaxNeighbors, n, LastObj - FirstObj + 1});
  if (K < 1) return;
  const TNeighbors nb = Nearest(K, *Data, FirstObj, LastObj, Pattern, CalcDist);
  for (int32_t i = 1; i <= nb.count; ++i) {
    KNNList->SetVal(1, i, nb.row[static_cast<size_t>(i - 1)]);
    KNNList->SetVal(2, i, nb.dist[static_cast<size_t>(i - 1)]);
  }
}

void EstimateByKNN(const TMatrix* Data, const TVector* Target, int32_t K, TKnnWMode WMode,
                   double Width, const TVector* Pattern, double& Estimate, double& MeanDist) {
  Estimate = 0.0;
  MeanDist = 0.0;
  if (Data == nullptr || Target == nullptr || Pattern == nullptr || Data->GetMat().empty()) return;
  const int32_t n = Data->GetNrOfRows();
  K = std::clamp(K, 1, std::min(kMaxNeighbors, n));
  if (!(Width > 0.0)) Width = 1.0;
  const TNeighbors nb = Nearest(K, *Data, 1, n, Pattern, nullptr);
  const int32_t cnt = nb.count;
  long double sum = 0.0L;
  for (int32_t i = 0; i < cnt; ++i) sum += nb.dist[static_cast<size_t>(i)];
  MeanDist = static_cast<double>(sum / cnt);
  const double md = MeanDist == 0.0 ? 0.001 : MeanDist;
  auto t = [&](int32_t i) { return Target->GetVal(nb.row[static_cast<size_t>(i)]); };
  auto weighted = [&](auto weight) {
    long double sw = 0.0L, swt = 0.0L;
    for (int32_t i = 0; i < cnt; ++i) {
      const double w = weight(nb.dist[static_cast<size_t>(i)]);
      if (!(w > 0.0) && !std::isnan(w)) continue;
      sw += w;
      swt += static_cast<long double>(w) * t(i);
    }
    // Weights that all underflow (a wide Gaussian) or that are all cut off
    // give 0 rather than 0/0.
    return sw == 0.0L ? 0.0 : static_cast<double>(swt / sw);
  };
  switch (WMode) {
    case TKnnWMode::kwmGauss:
      Estimate = weighted([&](double d) {
        const double z = Width * d / md;
        return std::exp(-z * z);
      });
      break;
    case TKnnWMode::kwmAverage: {
      long double st = 0.0L;
      for (int32_t i = 0; i < cnt; ++i) st += t(i);
      Estimate = static_cast<double>(st / cnt);
      break;
    }
    case TKnnWMode::kwmMedian: {
      TVector v(nullptr);
      v.Resize(cnt);
      for (int32_t i = 0; i < cnt; ++i) v.SetVal(i + 1, t(i));
      double q1 = 0, q2 = 0, q3 = 0;
      v.Quartiles(1, cnt, q1, q2, q3);
      Estimate = q2;
      break;
    }
    case TKnnWMode::kwmLinear:
      Estimate = weighted([&](double d) { return 1.0 - d / md / Width; });
      break;
    case TKnnWMode::kwmBiQuad: {
      const int32_t m = Data->GetNrOfColumns();
      const auto terms = static_cast<size_t>(1 + 2 * m + m * (m - 1) / 2);
      // The terms of one point in a fixed order: 1, x_i, x_i^2, x_i x_j.
      auto expand = [&](auto value, std::vector<double>& out) {
        out.clear();
        out.push_back(1.0);
        for (int32_t i = 1; i <= m; ++i) out.push_back(value(i));
        for (int32_t i = 1; i <= m; ++i) out.push_back(value(i) * value(i));
        for (int32_t i = 1; i <= m; ++i)
          for (int32_t j = i + 1; j <= m; ++j) out.push_back(value(i) * value(j));
      };
      TDouble2DArray a(terms, TDoubleArray(static_cast<size_t>(cnt)));
      TDoubleArray y(static_cast<size_t>(cnt));
      std::vector<double> row;
      for (int32_t r = 0; r < cnt; ++r) {
        const int32_t obj = nb.row[static_cast<size_t>(r)];
        expand([&](int32_t c) { return Data->GetVal(c, obj); }, row);
        for (size_t c = 0; c < terms; ++c) a[c][static_cast<size_t>(r)] = row[c];
        y[static_cast<size_t>(r)] = t(r);
      }
      TDoubleArray coef, scale;
      bool nearSingular = false;
      if (!SVDLeastSquares(a, y, coef, scale, nearSingular)) break;
      expand([&](int32_t c) { return Pattern->GetVal(c); }, row);
      long double e = 0.0L;
      for (size_t c = 0; c < terms; ++c) e += static_cast<long double>(coef[c]) * row[c];
      Estimate = static_cast<double>(e);
      break;
    }
  }
}

void MeanDistanceKNN(const TMatrix* Data, int32_t K, int32_t FirstObj, int32_t LastObj,
                     TVector* MeanDist) {
  if (Data == nullptr || MeanDist == nullptr || Data->GetMat().empty()) return;
  const int32_t n = Data->GetNrOfRows();
  NormalizeRange(FirstObj, LastObj, 1, n);
  const int32_t cnt = LastObj - FirstObj + 1;
  K = std::clamp(K, 1, kMaxMeanDistK);
  K = std::min({K, n, cnt});
  if (MeanDist->GetNrOfElem() < LastObj) MeanDist->Resize(LastObj);
  const TDouble2DArray& x = Data->GetMat();
  std::vector<double> d(static_cast<size_t>(cnt));
  for (int32_t i = FirstObj; i <= LastObj; ++i) {
    for (int32_t j = FirstObj; j <= LastObj; ++j)
      d[static_cast<size_t>(j - FirstObj)] =
          RowDistance(x, static_cast<size_t>(i - 1), static_cast<size_t>(j - 1));
    const double kth = QuickSelect(std::span<double>(d), K - 1, 0, cnt - 1);
    // The K smallest are those below the K-th plus as many copies of it as
    // are needed, whatever order the selection left behind.
    long double sum = 0.0L;
    int32_t below = 0;
    for (double v : d)
      if (math2_detail::DistLess(v, kth)) {
        sum += v;
        ++below;
      }
    sum += static_cast<long double>(K - below) * kth;
    MeanDist->SetVal(i, static_cast<double>(sum / K));
  }
}

void FindCenters(const TMatrix* Data, int32_t FirstObj, int32_t LastObj, int32_t NumCenters,
                 TMatrix* Centers, double& MeanDist) {
  MeanDist = 0.0;
  if (Data == nullptr || Centers == nullptr || Data->GetMat().empty()) return;
  const int32_t n = Data->GetNrOfRows();
  const int32_t m = Data->GetNrOfColumns();
  NormalizeRange(FirstObj, LastObj, 1, n);
  const int32_t cnt = LastObj - FirstObj + 1;
  NumCenters = std::clamp(NumCenters, 1, cnt);
  const auto mm = static_cast<size_t>(m);
  // A row-major copy: Data itself never changes, so its owner sees no events.
  std::vector<double> p(static_cast<size_t>(cnt) * mm);
  const TDouble2DArray& x = Data->GetMat();
  for (int32_t r = 0; r < cnt; ++r)
    for (size_t j = 0; j < mm; ++j)
      p[static_cast<size_t>(r) * mm + j] = x[j][static_cast<size_t>(FirstObj - 1 + r)];
  std::vector<double> weight(static_cast<size_t>(cnt), 1.0);
  auto dist = [&](size_t a, size_t b) {
    return math2_detail::ScaledNorm(m, [&](int32_t j) {
      return p[a * mm + static_cast<size_t>(j)] - p[b * mm + static_cast<size_t>(j)];
    });
  };

  auto remain = static_cast<size_t>(cnt);
  while (remain > static_cast<size_t>(NumCenters)) {
    ReportProgress();
    double best = uc_MaxDouble;
    size_t bi = remain, bj = remain;
    for (size_t i = 0; i < remain; ++i)
      for (size_t j = i + 1; j < remain; ++j) {
        const double d = dist(i, j);
        if (d < best) {
          best = d;
          bi = i;
          bj = j;
        }
      }
    if (bi == remain) break;  // only NaN or infinite distances are left
    const double wi = weight[bi], wj = weight[bj], w = wi + wj;
    for (size_t j = 0; j < mm; ++j)
      p[bi * mm + j] = (wi * p[bi * mm + j] + wj * p[bj * mm + j]) / w;
    weight[bi] = w;
    --remain;
    if (bj != remain) {
      for (size_t j = 0; j < mm; ++j) p[bj * mm + j] = p[remain * mm + j];
      weight[bj] = weight[remain];
    }
  }

  const auto k = static_cast<size_t>(NumCenters);
  TDouble2DArray cols(mm, TDoubleArray(k));
  for (size_t i = 0; i < k; ++i)
    for (size_t j = 0; j < mm; ++j) cols[j][i] = p[i * mm + j];
  Centers->ReplaceData(std::move(cols));
  if (k < 2) return;
  long double sum = 0.0L;
  for (size_t i = 0; i < k; ++i) {
    double best = uc_MaxDouble;
    for (size_t j = 0; j < k; ++j)
      if (j != i) best = std::min(best, dist(i, j));
    sum += best;
  }
  MeanDist = static_cast<double>(sum / static_cast<long double>(k));
}

}  // namespace zel
