// Clustering: k-means and agglomerative hierarchical clustering.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <numeric>
#include <vector>

#include "core/zel_random.hpp"
#include "core/zel_system.hpp"
#include "core/zel_univconst.hpp"
#include "num/analysis/math2_impl.hpp"
#include "num/analysis/zel_math2.hpp"

namespace zel {

namespace {

constexpr int32_t kMaxKMeansPasses = 1000;

// Squared Euclidean distance of row r (0-based, column storage) to a centre
// held row-major in c, in long double: squares of coordinates near 1e154
// would overflow a double (every distance inf, every row in cluster 1) and
// those near 1e-160 would underflow.
long double SqrDistToCentre(const TDouble2DArray& data, size_t r, const double* c) {
  long double s = 0.0L;
  for (size_t j = 0; j < data.size(); ++j) {
    const long double t = static_cast<long double>(data[j][r]) - c[j];
    s += t * t;
  }
  return s;
}

}  // namespace

double kMeansClustering(const TMatrix* Data, int32_t /*Unused1*/, int32_t /*Unused2*/,
                        int32_t NumClust, int32_t RandSeed, TMatrix* Centers,
                        TIntVector* ClassAssign, TIntVector* ClusterSize) {
  if (Data == nullptr || Centers == nullptr || ClassAssign == nullptr || ClusterSize == nullptr)
    return 0.0;
  const int32_t n = Data->GetNrOfRows();
  const int32_t m = Data->GetNrOfColumns();
  if (NumClust > n)
    throw EZELMath2Error("kMeansClustering: number of clusters is greater than number of objects");
  if (NumClust < 1) throw EZELMath2Error("kMeansClustering: number of clusters is less than 1");
  const TDouble2DArray& x = Data->GetMat();
  if (x.empty()) return 0.0;
  if (!math2_detail::AllFinite(x)) return std::numeric_limits<double>::quiet_NaN();

  Centers->Resize(m, NumClust);
  ClassAssign->Resize(n);
  ClusterSize->Resize(NumClust);

  const auto k = static_cast<size_t>(NumClust);
  const auto mm = static_cast<size_t>(m);
  // Centres row-major (centre i at c[i * m]) so that a distance reads one
  // contiguous run.
  std::vector<double> c(k * mm);
  if (RandSeed > 0) {
    SetRandSeed(static_cast<uint64_t>(RandSeed));
    for (size_t i = 0; i < k; ++i) {
      const auto r = static_cast<size_t>(Random(n));
      for (size_t j = 0; j < mm; ++j) c[i * mm + j] = x[j][r];
    }
  } else {
    for (size_t i = 0; i < k; ++i)
      for (size_t j = 0; j < mm; ++j) c[i * mm + j] = x[j][i];
  }
  std::vector<int32_t> assign(static_cast<size_t>(n));
  for (int32_t r = 1; r <= n; ++r) assign[static_cast<size_t>(r - 1)] = ClassAssign->GetVal(r);
  std::vector<int32_t> sizes(k, 0);

  // Writes the current state to the outputs (also what an abort leaves).
  auto store = [&](const std::vector<double>& cen, const std::vector<int32_t>& asg,
                   const std::vector<int32_t>& sz) {
    TDouble2DArray cols(mm, TDoubleArray(k));
    for (size_t i = 0; i < k; ++i)
      for (size_t j = 0; j < mm; ++j) cols[j][i] = cen[i * mm + j];
    Centers->ReplaceData(std::move(cols));
    for (int32_t r = 1; r <= n; ++r) ClassAssign->SetVal(r, asg[static_cast<size_t>(r - 1)]);
    for (size_t i = 0; i < k; ++i) ClusterSize->SetVal(static_cast<int32_t>(i + 1), sz[i]);
  };

  int32_t pass = 0;
  bool changed = true;
  while (changed && pass < kMaxKMeansPasses) {
    ++pass;
    ReportProgress();
    if (AbortMathProc.load()) {
      store(c, assign, sizes);
      return 0.0;
    }
    changed = false;
    for (size_t r = 0; r < static_cast<size_t>(n); ++r) {
      long double best = std::numeric_limits<long double>::infinity();
      int32_t bestIx = 1;
      for (size_t i = 0; i < k; ++i) {
        const long double d = SqrDistToCentre(x, r, &c[i * mm]);
        if (d < best) {
          best = d;
          bestIx = static_cast<int32_t>(i + 1);
        }
      }
      if (assign[r] != bestIx) {
        assign[r] = bestIx;
        changed = true;
      }
    }
    // The centres are recomputed after the first pass even when nothing
    // changed: assignments reused from an earlier call must not leave the
    // seed rows as centres and the sizes uncounted.
    if (changed || pass == 1) {
      std::vector<long double> sum(k * mm, 0.0L);
      std::fill(sizes.begin(), sizes.end(), 0);
      for (size_t r = 0; r < static_cast<size_t>(n); ++r) {
        const auto i = static_cast<size_t>(assign[r] - 1);
        ++sizes[i];
        for (size_t j = 0; j < mm; ++j) sum[i * mm + j] += x[j][r];
      }
      for (size_t i = 0; i < k; ++i)
        for (size_t j = 0; j < mm; ++j)
          c[i * mm + j] = sizes[i] > 0 ? static_cast<double>(sum[i * mm + j] / sizes[i]) : 0.0;
    }
  }

  long double wcss = 0.0L;
  for (size_t r = 0; r < static_cast<size_t>(n); ++r)
    wcss += SqrDistToCentre(x, r, &c[static_cast<size_t>(assign[r] - 1) * mm]);

  // Renumber by decreasing size; stable, so equal sizes keep their order.
  std::vector<size_t> order(k);
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return sizes[a] > sizes[b]; });
  std::vector<int32_t> newNumber(k);
  std::vector<double> c2(k * mm);
  std::vector<int32_t> sizes2(k);
  for (size_t i = 0; i < k; ++i) {
    newNumber[order[i]] = static_cast<int32_t>(i + 1);
    sizes2[i] = sizes[order[i]];
    for (size_t j = 0; j < mm; ++j) c2[i * mm + j] = c[order[i] * mm + j];
  }
  for (int32_t& a : assign) a = newNumber[static_cast<size_t>(a - 1)];
  store(c2, assign, sizes2);

  if (changed && pass >= kMaxKMeansPasses)
    throw EZELMath2Error("kMeansClustering: max. number of iterations exceeded");
  return static_cast<double>(wcss);
}

double kMeansClustering(const TMatrix* Data, int32_t Unused1, int32_t Unused2, int32_t NumClust,
                        TMatrix* Centers, TIntVector* ClassAssign) {
  TIntVector sizes(nullptr);
  return kMeansClustering(Data, Unused1, Unused2, NumClust, 0, Centers, ClassAssign, &sizes);
}

int32_t kMeansEstimatedSteps(int32_t a, int32_t b, int32_t c) {
  const double da = a, db = b, dc = c;
  const double est = 0.18232 * std::sqrt(da * db) - 108.0 - 0.00092427 * da - 0.00017557 * da * dc +
                     0.38775 * std::sqrt(da * dc);
  if (std::isnan(est)) return 20;
  return std::max(20, RoundToInt32(est));
}

namespace {

void ClearAgglomOutputs(TIntMatrix* Dendrogram, TVector* Heights, TVector* Positions) {
  if (Dendrogram != nullptr)
    Dendrogram->ResizeAndClear(Dendrogram->GetNrOfColumns(), Dendrogram->GetNrOfRows());
  if (Heights != nullptr) Heights->Clear();
  if (Positions != nullptr) Positions->Clear();
}

}  // namespace

int32_t AgglomClustering(TObject* Sender, TMatrix* Data, TDistMode DistMode,
                         TClusterMethod ClusterMethod, double FlexParam, TIntMatrix* Dendrogram,
                         TVector* Heights, TVector* Positions, const TClusterFeedback& Feedback,
                         const TCalcDistFunc& OnCalcDist) {
  if (Data == nullptr || Dendrogram == nullptr || Heights == nullptr || Positions == nullptr) {
    ClearAgglomOutputs(Dendrogram, Heights, Positions);
    return kAgglomNoObject;
  }
  const int32_t n = Data->GetNrOfRows();
  // One object has no merge, and its leaf order would start from a merge
  // that does not exist.
  if (n < 2) {
    ClearAgglomOutputs(Dendrogram, Heights, Positions);
    return kAgglomTooFewObjects;
  }
  if (Feedback) Feedback(Sender, 0.0, 0.0);
  const double a = FlexParam >= 0.5 ? std::min(FlexParam, 1.0) : 0.5;

  const auto nn = static_cast<size_t>(n);
  std::vector<double> d(nn * nn);
  {
    auto dmat = std::make_unique<TMatrix>(nullptr);
    dmat->Resize(n, n);
    TCalcDistFunc saved = Data->OnCalcDistance;
    math2_detail::ScopeGuard restore([&] { Data->OnCalcDistance = std::move(saved); });
    Data->OnCalcDistance = OnCalcDist;
    Data->CalcDistMat(DistMode, dmat.get());
    const TDouble2DArray& dm = dmat->GetMat();
    for (size_t p = 0; p < nn; ++p)
      for (size_t q = 0; q < nn; ++q) d[p * nn + q] = dm[q][p];
  }

  Heights->Resize(n - 1);
  Positions->Resize(2 * n - 1);
  if (Dendrogram->GetNrOfColumns() != 3 || Dendrogram->GetNrOfRows() != n - 1)
    Dendrogram->Resize(3, n - 1);

  std::vector<uint8_t> active(nn, 1);
  std::vector<double> size(nn, 1.0);
  std::vector<int32_t> ident(nn);
  std::iota(ident.begin(), ident.end(), 1);
  std::vector<int32_t> first(nn), second(nn);  // members of merge i (0-based)
  std::vector<double> height(nn);

  for (int32_t step = 1; step < n; ++step) {
    if (Feedback) Feedback(Sender, 100.0 * step / n, step - 1);
    if (AbortMathProc.load()) {
      ClearAgglomOutputs(Dendrogram, Heights, Positions);
      return kAgglomAborted;
    }
    double best = uc_MaxReal;
    size_t bp = nn, bq = nn;
    for (size_t p = 0; p < nn; ++p) {
      if (!active[p]) continue;
      const double* row = &d[p * nn];
      for (size_t q = p + 1; q < nn; ++q)
        if (active[q] && row[q] < best) {
          best = row[q];
          bp = p;
          bq = q;
        }
    }
    if (bp == nn) {
      ClearAgglomOutputs(Dendrogram, Heights, Positions);
      return kAgglomNoPair;
    }
    const double dpq = best, np = size[bp], nq = size[bq];
    for (size_t k = 0; k < nn; ++k) {
      if (!active[k] || k == bp || k == bq) continue;
      const double dpk = d[bp * nn + k], dqk = d[bq * nn + k], nk = size[k];
      double v = 0.0;
      switch (ClusterMethod) {
        case TClusterMethod::cmSingleLink: v = std::min(dpk, dqk); break;
        case TClusterMethod::cmCompleteLink: v = std::max(dpk, dqk); break;
        case TClusterMethod::cmWard:
          v = ((np + nk) * dpk + (nq + nk) * dqk - nk * dpq) / (np + nq + nk);
          break;
        case TClusterMethod::cmAvgLink: v = (dpk + dqk) / 2.0; break;
        case TClusterMethod::cmFlexLink: v = a * (dpk + dqk) + (1.0 - 2.0 * a) * dpq; break;
        case TClusterMethod::cmUpgma: v = (np * dpk + nq * dqk) / (np + nq); break;
      }
      d[bq * nn + k] = v;
      d[k * nn + bq] = v;
    }
    const auto i = static_cast<size_t>(step - 1);
    first[i] = ident[bp];
    second[i] = ident[bq];
    height[i] = dpq;
    ident[bq] = n + step;
    size[bq] = np + nq;
    active[bp] = 0;
  }

  for (int32_t i = 1; i < n; ++i) {
    const auto ii = static_cast<size_t>(i - 1);
    Dendrogram->SetVal(1, i, first[ii]);
    Dendrogram->SetVal(2, i, second[ii]);
    Dendrogram->SetVal(3, i, n + i);
    Heights->SetVal(i, height[ii]);
  }

  // Leaf order: each cluster is replaced in place by its second and then its
  // first member; expanded depth first with an explicit stack, since a
  // chained tree is n deep.
  std::vector<int32_t> order;
  order.reserve(nn);
  std::vector<int32_t> stack{second[nn - 2], first[nn - 2]};
  while (!stack.empty()) {
    const int32_t id = stack.back();
    stack.pop_back();
    if (id <= n) {
      order.push_back(id);
    } else {
      const auto mi = static_cast<size_t>(id - n - 1);
      stack.push_back(first[mi]);
      stack.push_back(second[mi]);
    }
  }
  std::vector<double> pos(2 * nn - 1);
  for (size_t p = 0; p < order.size(); ++p) pos[static_cast<size_t>(order[p] - 1)] = double(p + 1);
  for (size_t i = 0; i + 1 < nn; ++i)
    pos[nn + i] =
        (pos[static_cast<size_t>(first[i] - 1)] + pos[static_cast<size_t>(second[i] - 1)]) / 2.0;
  for (size_t p = 0; p < pos.size(); ++p) Positions->SetVal(static_cast<int32_t>(p + 1), pos[p]);
  return kAgglomOk;
}

}  // namespace zel
