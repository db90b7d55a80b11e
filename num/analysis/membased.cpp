// Memory-based learner: the model, the neighbour search and the local
// models.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "core/zel_system.hpp"
#include "core/zel_univconst.hpp"
#include "num/analysis/math2_impl.hpp"
#include "num/analysis/zel_membased.hpp"
#include "num/analysis/zel_regression.hpp"

namespace zel {

const std::array<const char*, 3> MBLDistModeID = {"Euclidean", "Manhattan", "Mahalanobis"};
const std::array<const char*, 2> MBLScalingModeID = {"Unscaled", "Standardized"};
const std::array<const char*, 4> MBLLocalModelID = {"Average", "Weighted Average", "Majority Vote",
                                                    "Regression"};
const std::array<const char*, 9> MBLxmlTagNames = {"membasedlearner", "comment",  "modelname",
                                                   "modeldata",       "distmode", "scaling",
                                                   "locmodel",        "numnnb",   "$invalidtag$"};

const char* MemBasedStatusText(int32_t Context, int32_t status) {
  if (status == kMBLOk) return "done";
  switch (Context) {
    case 0:
      switch (status) {
        case kMBLTooFewExamples: return "k is not below the number of examples";
        case kMBLBadSensor: return "the sensor's length differs from the number of columns";
        case kMBLUnderdetermined:
          return "the local regression needs more neighbours than independent columns";
        default: break;
      }
      break;
    case 1:
      switch (status) {
        case kMBLBadColumn: return "the column is not part of the table";
        case kMBLNotCategorical: return "the column is neither nominal nor ordinal";
        case kMBLBadLevelRange: return "the levels do not span 2 to 100 values";
        case kMBLNonPositiveLevel: return "the smallest level is not positive";
        default: break;
      }
      break;
    case 2:
      switch (status) {
        case kMBLFileBadHeader: return "the file holds no learner model";
        case kMBLFileDamaged: return "the file is missing, damaged or ends early";
        case kMBLFileWriteFailed: return "the file could not be written";
        default: break;
      }
      break;
    default: break;
  }
  return "unknown learner status";
}

namespace {

constexpr int32_t kMaxNb = 100;

template <class E, size_t N>
bool InEnum(E v, const std::array<const char*, N>&) {
  const auto i = static_cast<int32_t>(v);
  return i >= 0 && i < static_cast<int32_t>(N);
}

// Sample standard deviation, mean first in long double; 0 below 3 values
// (the learner's rule for the spread of its distances).
double SampleSd(const std::vector<double>& x) {
  if (x.size() < 3) return 0.0;
  long double m = 0.0L;
  for (double v : x) m += v;
  m /= static_cast<long double>(x.size());
  long double s = 0.0L;
  for (double v : x) s += (v - m) * (v - m);
  return static_cast<double>(std::sqrt(s / static_cast<long double>(x.size() - 1)));
}

}  // namespace

TMemBasedLearner::TMemBasedLearner(TComponent* AOwner)
    : TComponent(AOwner),
      FModelData(std::make_unique<TDataTable>(nullptr)),
      FIndep(std::make_unique<TMatrix>(nullptr)) {
  FModelData->SetColAttrib(1, static_cast<int32_t>(TMBLVarType::mblVarIgnore));
  ConnectTable();
}

TMemBasedLearner::~TMemBasedLearner() = default;

void TMemBasedLearner::ConnectTable() {
  auto changed = [this](TObject*) { TableChanged(); };
  FModelData->OnChange = changed;
  FModelData->OnChangeSetup = changed;
  FModelData->OnChangeAttrib = changed;
  FModelData->OnChangeCellState = changed;
  FModelData->OnResize = [this](TObject*, int32_t, int32_t, int32_t, int32_t) { TableChanged(); };
  FModelData->OnPercentDone = [this](TObject*, int32_t Percent) {
    if (OnPercentDone) OnPercentDone(this, Percent);
  };
}

// The table fires per cell while it is filled: only mark the statistics
// stale here and take them once when needed.
void TMemBasedLearner::TableChanged() {
  FStatsStale = true;
  FNNList.clear();
  FNNDist.clear();
}

void TMemBasedLearner::EnsureStats() {
  if (!FStatsStale) return;
  const int32_t nc = FModelData->GetNrOfColumns();
  const int32_t nr = FModelData->GetNrOfRows();
  FMean.assign(static_cast<size_t>(nc), 0.0);
  FSd.assign(static_cast<size_t>(nc), 1.0);
  const TDouble2DArray& x = FModelData->GetNumericData()->GetMat();
  // The SD is formed in long double and only then narrowed: a variance of
  // values near 1e200 has no double.
  for (size_t c = 0; c < static_cast<size_t>(nc); ++c) {
    long double m = 0.0L;
    for (double v : x[c]) m += v;
    m /= nr;
    FMean[c] = static_cast<double>(m);
    if (nr < 3) continue;
    long double s = 0.0L;
    for (double v : x[c]) s += (v - m) * (v - m);
    FSd[c] = static_cast<double>(std::sqrt(s / (nr - 1)));
  }
  // The independent columns as the search sees them, scaled once per change
  // of the table instead of once per row and query.
  const bool standardize = FScalingMode == TMBLScalingMode::mblStandardized;
  FIndepCols.clear();
  FOffset.clear();
  FDivisor.clear();
  TDouble2DArray cols;
  for (int32_t c : ColumnsOf(TMBLVarType::mblVarIndep)) {
    const auto i = static_cast<size_t>(c - 1);
    FIndepCols.push_back(i);
    FOffset.push_back(standardize ? FMean[i] : 0.0);
    // Only the mean is taken off a column without spread.
    FDivisor.push_back(standardize && FSd[i] != 0.0 ? FSd[i] : 1.0);
    TDoubleArray col(x[i]);
    if (standardize)
      for (double& v : col) v = (v - FOffset.back()) / FDivisor.back();
    cols.push_back(std::move(col));
  }
  // Without independent columns every distance is 0; the cache keeps one
  // column of zeros so that the search has rows to walk.
  if (cols.empty()) cols.assign(1, TDoubleArray(static_cast<size_t>(nr), 0.0));
  FIndep->ReplaceData(std::move(cols));
  FStatsStale = false;
}

void TMemBasedLearner::SetDistMode(TMBLDistMode Value) {
  if (InEnum(Value, MBLDistModeID)) FDistMode = Value;
}

void TMemBasedLearner::SetScalingMode(TMBLScalingMode Value) {
  if (!InEnum(Value, MBLScalingModeID) || Value == FScalingMode) return;
  FScalingMode = Value;
  FStatsStale = true;
}

void TMemBasedLearner::SetLocalModel(TMBLLocalModel Value) {
  if (InEnum(Value, MBLLocalModelID)) FLocModel = Value;
}

void TMemBasedLearner::SetNumNearestNb(int32_t Value) {
  FNumNearestNb = std::max(1, std::min({Value, FModelData->GetNrOfRows(), kMaxNb}));
}

TMBLVarType TMemBasedLearner::GetVarType(int32_t ix) const {
  if (ix < 1 || ix > FModelData->GetNrOfColumns()) return TMBLVarType::mblVarIgnore;
  const int32_t a = FModelData->GetColAttrib(ix);
  return (a >= 0 && a <= 2) ? static_cast<TMBLVarType>(a) : TMBLVarType::mblVarIgnore;
}

void TMemBasedLearner::SetVarType(int32_t ix, TMBLVarType Value) {
  const auto v = static_cast<int32_t>(Value);
  if (ix < 1 || ix > FModelData->GetNrOfColumns() || v < 0 || v > 2) return;
  FModelData->SetColAttrib(ix, v);
}

void TMemBasedLearner::SetAllVars(TMBLVarType VarType) {
  const auto v = static_cast<int32_t>(VarType);
  if (v < 0 || v > 2) return;
  FModelData->SetColAttributes(v);
}

std::vector<int32_t> TMemBasedLearner::ColumnsOf(TMBLVarType Type) const {
  std::vector<int32_t> cols;
  for (int32_t c = 1; c <= FModelData->GetNrOfColumns(); ++c)
    if (GetVarType(c) == Type) cols.push_back(c);
  return cols;
}

int32_t TMemBasedLearner::CountIndependentVars() const {
  return static_cast<int32_t>(ColumnsOf(TMBLVarType::mblVarIndep).size());
}

int32_t TMemBasedLearner::CountTargetVars() const {
  return static_cast<int32_t>(ColumnsOf(TMBLVarType::mblVarTarget).size());
}

// The distance of one row to a prepared sensor over the cached (scaled)
// independent columns.
struct TMemBasedLearner::TSearch {
  const TDouble2DArray* x = nullptr;
  std::vector<double> q;
  bool manhattan = false;

  TSearch(TMemBasedLearner& L, const std::vector<double>& Sensor) {
    L.EnsureStats();
    x = &L.FIndep->GetMat();
    manhattan = L.FDistMode == TMBLDistMode::mblDistManhattan;
    for (size_t j = 0; j < L.FIndepCols.size(); ++j) {
      const size_t i = L.FIndepCols[j];
      q.push_back(((i < Sensor.size() ? Sensor[i] : 0.0) - L.FOffset[j]) / L.FDivisor[j]);
    }
  }

  double operator()(size_t r) const {
    const auto n = static_cast<int32_t>(q.size());
    auto diff = [&](int32_t j) {
      const auto uj = static_cast<size_t>(j);
      return (*x)[uj][r] - q[uj];
    };
    if (manhattan) {
      double s = 0.0;
      for (int32_t j = 0; j < n; ++j) s += std::fabs(diff(j));
      return s;
    }
    return math2_detail::ScaledNorm(n, diff);
  }
};

double TMemBasedLearner::CalcDist(const std::vector<double>& Sensor, int32_t obj) {
  const int32_t nc = FModelData->GetNrOfColumns();
  if (obj < 1 || obj > FModelData->GetNrOfRows() || Sensor.size() < static_cast<size_t>(nc))
    return std::numeric_limits<double>::quiet_NaN();
  const TSearch s(*this, Sensor);
  return s(static_cast<size_t>(obj - 1));
}

void TMemBasedLearner::Search(const std::vector<double>& Sensor, int32_t Exclude, TIntArray& Rows,
                              TDoubleArray& Dists, double* Sd) {
  const TSearch s(*this, Sensor);
  const int32_t n = FModelData->GetNrOfRows();
  const int32_t k = std::min(kMaxNb, n);
  Rows.assign(kMaxNb, 0);
  Dists.assign(kMaxNb, uc_MaxDouble);
  if (Sd != nullptr) {
    std::vector<double> all;
    all.reserve(static_cast<size_t>(n));
    for (int32_t r = 1; r <= n; ++r)
      if (r != Exclude) all.push_back(s(static_cast<size_t>(r - 1)));
    *Sd = SampleSd(all);
  }
  TMatrix list(nullptr);
  // Up to k neighbours among the rows lo..hi, in list order.
  auto nearest = [&](int32_t lo, int32_t hi, const TVector* pattern, const TRowDistFunc& dist) {
    std::vector<std::pair<int32_t, double>> out;
    if (lo > hi) return out;
    const int32_t m = std::min(k, hi - lo + 1);
    list.Resize(2, m);
    list.Fill(0.0);
    FindNearestNeighbors(m, FIndep.get(), lo, hi, pattern, &list, dist);
    for (int32_t i = 1; i <= m; ++i) {
      const int32_t r = RoundToInt32(list.GetVal(1, i));
      if (r >= 1 && r != Exclude) out.emplace_back(r, list.GetVal(2, i));
    }
    return out;
  };
  std::vector<std::pair<int32_t, double>> found;
  if (s.manhattan || s.q.empty()) {
    // The excluded row sorts behind every number and is dropped.
    found = nearest(1, n, nullptr, [&](int32_t r) -> double {
      return r == Exclude ? std::numeric_limits<double>::infinity() : s(static_cast<size_t>(r - 1));
    });
  } else {
    // The Euclidean search runs on the unit's blocked scan, around the
    // excluded row; the two lists merge with the earlier rows first on ties.
    TVector pattern(nullptr);
    pattern.Resize(static_cast<int32_t>(s.q.size()));
    for (size_t j = 0; j < s.q.size(); ++j) pattern.SetVal(static_cast<int32_t>(j + 1), s.q[j]);
    const bool split = Exclude >= 1 && Exclude <= n;
    const auto a = nearest(1, split ? Exclude - 1 : n, &pattern, nullptr);
    const auto b = split ? nearest(Exclude + 1, n, &pattern, nullptr)
                         : std::vector<std::pair<int32_t, double>>{};
    size_t i = 0, j = 0;
    while (found.size() < static_cast<size_t>(k) && (i < a.size() || j < b.size())) {
      if (j >= b.size() || (i < a.size() && !math2_detail::DistLess(b[j].second, a[i].second)))
        found.push_back(a[i++]);
      else
        found.push_back(b[j++]);
    }
  }
  for (size_t i = 0; i < found.size(); ++i) {
    Rows[i] = found[i].first;
    Dists[i] = found[i].second;
  }
}

void TMemBasedLearner::CalcNNOfModelData() {
  const int32_t nc = FModelData->GetNrOfColumns();
  const int32_t nr = FModelData->GetNrOfRows();
  TInt2DArray list(kMaxNb, TIntArray(static_cast<size_t>(nr), 0));
  TDouble2DArray dist(kMaxNb, TDoubleArray(static_cast<size_t>(nr), uc_MaxDouble));
  const TDouble2DArray& x = FModelData->GetNumericData()->GetMat();
  std::vector<double> sensor(static_cast<size_t>(nc));
  TIntArray rows;
  TDoubleArray d;
  int32_t lastPct = -1;
  for (int32_t i = 1; i <= nr; ++i) {
    for (int32_t c = 0; c < nc; ++c)
      sensor[static_cast<size_t>(c)] = x[static_cast<size_t>(c)][static_cast<size_t>(i - 1)];
    Search(sensor, 0, rows, d, nullptr);
    for (size_t k = 0; k < kMaxNb; ++k) {
      list[k][static_cast<size_t>(i - 1)] = rows[k];
      dist[k][static_cast<size_t>(i - 1)] = d[k];
    }
    const auto pct = static_cast<int32_t>(int64_t{100} * i / nr);
    if (OnPercentDone && pct != lastPct) {
      lastPct = pct;
      OnPercentDone(this, pct);
      // A handler may have changed the table: its lists are void then.
      if (FModelData->GetNrOfRows() != nr || FModelData->GetNrOfColumns() != nc) return;
    }
  }
  FNNList = std::move(list);
  FNNDist = std::move(dist);
}

int32_t TMemBasedLearner::GetkNNOfModelData(int32_t k, int32_t obj) const {
  if (k < 1 || k > kMaxNb || FNNList.empty() || obj < 1 ||
      obj > static_cast<int32_t>(FNNList[0].size()))
    return -1;
  return FNNList[static_cast<size_t>(k - 1)][static_cast<size_t>(obj - 1)];
}

double TMemBasedLearner::GetkNNDistOfModelData(int32_t k, int32_t obj) const {
  if (k < 1 || k > kMaxNb || FNNDist.empty() || obj < 1 ||
      obj > static_cast<int32_t>(FNNDist[0].size()))
    return -1.0;
  return FNNDist[static_cast<size_t>(k - 1)][static_cast<size_t>(obj - 1)];
}

int32_t TMemBasedLearner::CalcContingencyTable(int32_t VarIx, int32_t NumNb, TInt2DArray& ContTab) {
  ContTab.clear();
  const int32_t nc = FModelData->GetNrOfColumns();
  const int32_t nr = FModelData->GetNrOfRows();
  if (VarIx < 0 || VarIx > nc) return kMBLBadColumn;
  const TMScaleType st = FModelData->GetMScaleType(VarIx);
  if (VarIx == 0 || (st != TMScaleType::stNominal && st != TMScaleType::stOrdinal))
    return kMBLNotCategorical;
  // Levels of the valid cells; NaN and other invalid values take no part.
  std::vector<int32_t> level(static_cast<size_t>(nr), 0);
  std::vector<uint8_t> ok(static_cast<size_t>(nr), 0);
  int32_t a = 0, b = 0;
  bool any = false;
  for (int32_t r = 1; r <= nr; ++r) {
    const double v = FModelData->GetElem(VarIx, r);
    if ((FModelData->GetCellState(VarIx, r) & (kCellNoNumber | kCellEmpty)) != 0 || std::isnan(v))
      continue;
    const int32_t lv = RoundToInt32(v);
    level[static_cast<size_t>(r - 1)] = lv;
    ok[static_cast<size_t>(r - 1)] = 1;
    a = any ? std::min(a, lv) : lv;
    b = any ? std::max(b, lv) : lv;
    any = true;
  }
  if (any && a <= 0) return kMBLNonPositiveLevel;
  const int64_t m = int64_t{b} - a + 1;
  if (!any || m < 2 || m > 100) return kMBLBadLevelRange;
  CalcNNOfModelData();
  const auto um = static_cast<size_t>(m);
  TInt2DArray tab(um + 1, TIntArray(um + 1, 0));
  const int32_t nb = std::max(1, std::min(kMaxNb - 1, nr - 1));
  NumNb = std::clamp(NumNb, 1, nb);
  for (int32_t r = 1; r <= nr && nr > 1 && !FNNList.empty(); ++r) {
    if (!ok[static_cast<size_t>(r - 1)]) continue;
    const auto own = static_cast<size_t>(level[static_cast<size_t>(r - 1)] - a);
    int32_t taken = 0;
    // The row itself is left out by index: an earlier duplicate may rank
    // before it.
    for (int32_t rank = 1; rank <= kMaxNb && taken < NumNb; ++rank) {
      const int32_t nbRow = FNNList[static_cast<size_t>(rank - 1)][static_cast<size_t>(r - 1)];
      if (nbRow < 1) break;
      if (nbRow == r) continue;
      ++taken;
      if (!ok[static_cast<size_t>(nbRow - 1)]) continue;
      ++tab[own][static_cast<size_t>(level[static_cast<size_t>(nbRow - 1)] - a)];
    }
  }
  for (size_t i = 0; i < um; ++i)
    for (size_t j = 0; j < um; ++j) {
      tab[i][um] += tab[i][j];
      tab[um][j] += tab[i][j];
      tab[um][um] += tab[i][j];
    }
  ContTab = std::move(tab);
  return kMBLOk;
}

double TMemBasedLearner::LocalEstimate(int32_t Col, const TIntArray& Rows,
                                       const TDoubleArray& Dists, double Sd,
                                       const std::vector<double>& Sensor, int32_t K) {
  const TDouble2DArray& x = FModelData->GetNumericData()->GetMat();
  const auto uk = static_cast<size_t>(K);
  std::vector<double> v(uk);
  for (size_t i = 0; i < uk; ++i)
    v[i] = x[static_cast<size_t>(Col - 1)][static_cast<size_t>(Rows[i] - 1)];
  auto mean = [&] {
    long double s = 0.0L;
    for (double t : v) s += t;
    return static_cast<double>(s / static_cast<long double>(uk));
  };
  switch (FLocModel) {
    case TMBLLocalModel::mblLMAverage: return mean();
    case TMBLLocalModel::mblLMWgtGauss: {
      if (std::isnan(Sd)) return Sd;
      if (Sd == 0.0) return mean();
      // Weights relative to the nearest one: the common factor cancels and
      // the first weight stays 1 however far the neighbours are.
      long double sw = 0.0L, swv = 0.0L;
      for (size_t i = 0; i < uk; ++i) {
        double w = 1.0;
        if (Dists[i] != Dists[0])
          w = std::exp(-((Dists[i] - Dists[0]) / Sd) * ((Dists[i] + Dists[0]) / Sd));
        sw += w;
        swv += static_cast<long double>(w) * v[i];
      }
      return static_cast<double>(swv / sw);
    }
    case TMBLLocalModel::mblLMMajority: {
      const double sigma = FSd[static_cast<size_t>(Col - 1)];
      if (std::isnan(sigma)) return sigma;  // a NaN in the column
      if (sigma == 0.0) return v[0];
      size_t best = 0;
      int32_t bestCount = -1;
      for (size_t i = 0; i < uk; ++i) {
        int32_t cnt = 0;
        for (size_t j = 0; j < uk; ++j)
          if (std::fabs(v[j] - v[i]) < sigma) ++cnt;
        if (cnt > bestCount) {
          bestCount = cnt;
          best = i;
        }
      }
      return v[best];
    }
    case TMBLLocalModel::mblLMRegress: {
      const std::vector<int32_t> ind = ColumnsOf(TMBLVarType::mblVarIndep);
      TMatrix X(nullptr);
      TVector Y(nullptr);
      TVector coef(nullptr);
      TDouble2DArray cols(ind.size(), TDoubleArray(uk));
      for (size_t j = 0; j < ind.size(); ++j)
        for (size_t i = 0; i < uk; ++i)
          cols[j][i] = x[static_cast<size_t>(ind[j] - 1)][static_cast<size_t>(Rows[i] - 1)];
      X.ReplaceData(std::move(cols));
      Y.Resize(K);
      for (int32_t i = 1; i <= K; ++i) Y.SetVal(i, v[static_cast<size_t>(i - 1)]);
      double r2 = 0.0;
      const int32_t st = MultiLinReg(&X, &Y, &coef, nullptr, r2);
      if (st != kRegOk && st != kRegRankDeficient) return std::numeric_limits<double>::quiet_NaN();
      long double y = coef.GetVal(1);
      for (size_t j = 0; j < ind.size(); ++j)
        y += static_cast<long double>(coef.GetVal(static_cast<int32_t>(j) + 2)) *
             Sensor[static_cast<size_t>(ind[j] - 1)];
      return static_cast<double>(y);
    }
  }
  return 0.0;
}

int32_t TMemBasedLearner::ApplyModel(std::vector<double>& Sensor, int32_t ExcludeObj, int32_t Tag) {
  TIntArray rows;
  TDoubleArray dists;
  auto finish = [&](int32_t res) {
    if (OnModelApplied) OnModelApplied(this, Tag, rows, dists, res);
    return res;
  };
  const int32_t nr = FModelData->GetNrOfRows();
  if (Sensor.size() != static_cast<size_t>(FModelData->GetNrOfColumns())) {
    std::fill(Sensor.begin(), Sensor.end(), 0.0);
    return finish(kMBLBadSensor);
  }
  // Only the Gaussian weights need the spread of all distances.
  double sd = 0.0;
  Search(Sensor, ExcludeObj, rows, dists,
         FLocModel == TMBLLocalModel::mblLMWgtGauss ? &sd : nullptr);
  const int32_t k = FNumNearestNb;
  if (k >= nr || rows[static_cast<size_t>(k - 1)] < 1) {
    std::fill(Sensor.begin(), Sensor.end(), 0.0);
    return finish(kMBLTooFewExamples);
  }
  const std::vector<int32_t> targets = ColumnsOf(TMBLVarType::mblVarTarget);
  if (FLocModel == TMBLLocalModel::mblLMRegress && k <= CountIndependentVars()) {
    for (int32_t c : targets) Sensor[static_cast<size_t>(c - 1)] = 0.0;
    return finish(kMBLUnderdetermined);
  }
  // Estimates first: a target is never a regressor, but the sensor must stay
  // as given while the estimates are formed.
  // A NaN distance among the k nearest leaves the choice of neighbours
  // undefined: the estimates are NaN then.
  const bool undefined =
      std::any_of(dists.begin(), dists.begin() + k, [](double d) { return std::isnan(d); });
  std::vector<double> est;
  for (int32_t c : targets)
    est.push_back(undefined ? std::numeric_limits<double>::quiet_NaN()
                            : LocalEstimate(c, rows, dists, sd, Sensor, k));
  for (size_t i = 0; i < targets.size(); ++i) Sensor[static_cast<size_t>(targets[i] - 1)] = est[i];
  return finish(kMBLOk);
}

}  // namespace zel
