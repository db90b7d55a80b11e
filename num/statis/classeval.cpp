#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <utility>

#include "num/arrays/zel_openarrays.hpp"
#include "num/statis/zel_classeval.hpp"

namespace zel {

// ---------------------------------------------------------------------------
// Indices from four counts
// ---------------------------------------------------------------------------

namespace {

double Ratio(int64_t num, int64_t den) {
  return den > 0 ? static_cast<double>(num) / static_cast<double>(den) : 0.0;
}

}  // namespace

double CFAccuracy(int64_t tp, int64_t fp, int64_t tn, int64_t fn) {
  return Ratio(tp + tn, tp + fp + tn + fn);
}

double CFF1Score(int64_t tp, int64_t fp, int64_t tn, int64_t fn) {
  (void)tn;
  return Ratio(2 * tp, 2 * tp + fp + fn);
}

double CFMatthewsCorr(int64_t tp, int64_t fp, int64_t tn, int64_t fn) {
  // The four-fold product overflows int64 near 110,000 balanced objects:
  // take the root of each pair of margins in double instead.
  const double a = static_cast<double>(tp + fp) * static_cast<double>(tp + fn);
  const double b = static_cast<double>(fp + tn) * static_cast<double>(tn + fn);
  if (!(a > 0.0) || !(b > 0.0)) return 0.0;
  const long double num = static_cast<long double>(tp) * static_cast<long double>(tn) -
                          static_cast<long double>(fp) * static_cast<long double>(fn);
  return static_cast<double>(
      num / (std::sqrt(static_cast<long double>(a)) * std::sqrt(static_cast<long double>(b))));
}

double CFInformedness(int64_t tp, int64_t fp, int64_t tn, int64_t fn) {
  return Ratio(tp, tp + fn) + Ratio(tn, fp + tn) - 1.0;
}

int32_t ExtractClassifPerformance(int32_t ClassIx, const TIntMatrix* ConfMat, int64_t& tp,
                                  int64_t& fp, int64_t& tn, int64_t& fn) {
  tp = fp = tn = fn = 0;
  if (ConfMat == nullptr) return kClassifPerfNotSquare;
  const int32_t n = ConfMat->GetNrOfColumns();
  if (ClassIx < 1 || ClassIx > n) return kClassifPerfBadClass;
  if (ConfMat->GetNrOfRows() != n) return kClassifPerfNotSquare;
  int64_t colSum = 0, rowSum = 0, total = 0;
  for (int32_t c = 1; c <= n; ++c)
    for (int32_t r = 1; r <= n; ++r) {
      const int64_t v = ConfMat->GetVal(c, r);
      total += v;
      if (c == ClassIx) colSum += v;
      if (r == ClassIx) rowSum += v;
    }
  tp = ConfMat->GetVal(ClassIx, ClassIx);
  fp = colSum - tp;
  fn = rowSum - tp;
  tn = total - tp - fp - fn;
  return kClassifPerfOk;
}

int32_t ExtractClassifPerformance(int32_t ClassIx, const TInt2DArray& M, int64_t& tp, int64_t& fp,
                                  int64_t& tn, int64_t& fn) {
  tp = fp = tn = fn = 0;
  const auto n = static_cast<int64_t>(M.size());
  if (ClassIx < 0 || ClassIx >= n) return kClassifPerfBadClass;
  const auto len = static_cast<int64_t>(M[0].size());
  if (len != n && len != n + 1) return kClassifPerfNotSquare;
  for (const auto& col : M)
    if (static_cast<int64_t>(col.size()) != len) return kClassifPerfNotSquare;
  // A totals element at the end of each inner array stays out of every sum,
  // so it cannot count fp or fn twice.
  const auto ix = static_cast<size_t>(ClassIx);
  int64_t colSum = 0, rowSum = 0, total = 0;
  for (size_t i = 0; i < M.size(); ++i)
    for (size_t j = 0; j < M.size(); ++j) {
      const int64_t v = M[i][j];
      total += v;
      if (i == ix) colSum += v;
      if (j == ix) rowSum += v;
    }
  tp = M[ix][ix];
  fp = colSum - tp;
  fn = rowSum - tp;
  tn = total - tp - fp - fn;
  return len == n ? kClassifPerfOk : kClassifPerfTotalsCol;
}

// ---------------------------------------------------------------------------
// TCFEvaluator: data
// ---------------------------------------------------------------------------

TCFEvaluator::TCFEvaluator(TComponent* AOwner)
    : TComponent(AOwner), FTrueVec(1, 0.0), FEstVec(1, 0.0) {}

void TCFEvaluator::Invalidate(bool Estimates) {
  FCMValid = false;
  if (Estimates)
    FIsSorted = false;
  else
    FDichoKnown = false;
}

void TCFEvaluator::EnsureDicho() const {
  // Determined lazily: re-scanning after every single write would make
  // filling n values O(n^2).
  if (FDichoKnown) return;
  FIsDicho = IsDichotomous(FTrueVec, FDichoV1, FDichoV2);
  FDichoKnown = true;
}

double TCFEvaluator::GetTrueData(int32_t ix) const {
  return (ix >= 1 && static_cast<size_t>(ix) <= FTrueVec.size())
             ? FTrueVec[static_cast<size_t>(ix - 1)]
             : 0.0;
}

void TCFEvaluator::SetTrueData(int32_t ix, double Value) {
  if (ix < 1 || static_cast<size_t>(ix) > FTrueVec.size()) return;
  FTrueVec[static_cast<size_t>(ix - 1)] = Value;
  Invalidate(false);
}

double TCFEvaluator::GetEstimData(int32_t ix) const {
  return (ix >= 1 && static_cast<size_t>(ix) <= FEstVec.size())
             ? FEstVec[static_cast<size_t>(ix - 1)]
             : 0.0;
}

void TCFEvaluator::SetEstimData(int32_t ix, double Value) {
  if (ix < 1 || static_cast<size_t>(ix) > FEstVec.size()) return;
  FEstVec[static_cast<size_t>(ix - 1)] = Value;
  Invalidate(true);
}

int32_t TCFEvaluator::GetNData() const {
  return FTrueVec.size() == FEstVec.size() ? static_cast<int32_t>(FTrueVec.size()) : -1;
}

void TCFEvaluator::SetNData(int32_t n) {
  if (n <= 0) return;
  FTrueVec.resize(static_cast<size_t>(n), 0.0);
  FEstVec.resize(static_cast<size_t>(n), 0.0);
  Invalidate(true);
  Invalidate(false);
}

double TCFEvaluator::GetDichoV1() const {
  EnsureDicho();
  return FDichoV1;
}

double TCFEvaluator::GetDichoV2() const {
  EnsureDicho();
  return FDichoV2;
}

int32_t TCFEvaluator::CopyTrueFromMatrix(int32_t Col, const TMatrix* SrcMat) {
  if (SrcMat == nullptr || Col < 1 || Col > SrcMat->GetNrOfColumns()) return kCFEvalFailed;
  TDoubleArray v(static_cast<size_t>(std::max(0, SrcMat->GetNrOfRows())));
  for (size_t r = 0; r < v.size(); ++r) v[r] = SrcMat->GetVal(Col, static_cast<int32_t>(r + 1));
  FTrueVec = std::move(v);
  Invalidate(true);
  Invalidate(false);
  EnsureDicho();
  return FIsDicho ? kCFEvalOk : kCFEvalNotDicho;
}

int32_t TCFEvaluator::CopyEstFromMatrix(int32_t Col, const TMatrix* SrcMat) {
  if (SrcMat == nullptr || Col < 1 || Col > SrcMat->GetNrOfColumns()) return kCFEvalFailed;
  TDoubleArray v(static_cast<size_t>(std::max(0, SrcMat->GetNrOfRows())));
  for (size_t r = 0; r < v.size(); ++r) v[r] = SrcMat->GetVal(Col, static_cast<int32_t>(r + 1));
  FEstVec = std::move(v);
  Invalidate(true);
  return kCFEvalOk;
}

bool TCFEvaluator::GetActualDichoValues(double& v1, double& v2) const {
  v1 = v2 = 0.0;
  if (FTrueVec.size() < 2) return false;
  v1 = FTrueVec[0];
  v2 = v1;
  bool haveSecond = false, ok = !std::isnan(v1);
  for (size_t i = 1; i < FTrueVec.size(); ++i) {
    const double x = FTrueVec[i];
    if (std::isnan(x)) ok = false;
    if (x == v1) continue;
    if (!haveSecond) {
      v2 = x;
      haveSecond = true;
    } else if (x != v2) {
      ok = false;
    }
  }
  if (v2 < v1) std::swap(v1, v2);
  return ok && haveSecond;
}

// ---------------------------------------------------------------------------
// TCFEvaluator: confusion matrix and indices
// ---------------------------------------------------------------------------

int32_t TCFEvaluator::CalcConfusionMatrix(double CFThresh) {
  EnsureDicho();
  if (!FIsDicho) return kCFEvalNotDicho;
  if (FTrueVec.size() != FEstVec.size()) return kCFEvalFailed;
  for (double e : FEstVec)
    if (std::isnan(e)) return kCFEvalNaNEstimate;
  if (!FIsSorted) SortEstimated();
  int64_t tp = 0, fp = 0, tn = 0, fn = 0;
  for (size_t i = 0; i < FEstVec.size(); ++i) {
    // The larger true value is positive: for exactly two values this is the
    // comparison with their mean, without the overflow of (v1 + v2)/2.
    const bool predictedPos = FEstVec[i] >= CFThresh;
    if (FTrueVec[i] == FDichoV2)
      predictedPos ? ++tp : ++fn;
    else
      predictedPos ? ++fp : ++tn;
  }
  Ftp = tp;
  Ffp = fp;
  Ftn = tn;
  Ffn = fn;
  FCFThresh = CFThresh;
  FCMValid = true;
  return kCFEvalOk;
}

int32_t TCFEvaluator::GetConfMatValues(int64_t& tp, int64_t& fp, int64_t& tn, int64_t& fn,
                                       double& Thresh) const {
  tp = fp = tn = fn = 0;
  Thresh = 0.0;
  EnsureDicho();
  if (!FIsDicho) return kCFEvalNotDicho;
  if (!FCMValid) return kCFEvalFailed;
  tp = Ftp;
  fp = Ffp;
  tn = Ftn;
  fn = Ffn;
  Thresh = FCFThresh;
  return kCFEvalOk;
}

bool TCFEvaluator::CMReady(double& code, double notDicho, double noMatrix) const {
  EnsureDicho();
  if (!FIsDicho) {
    code = notDicho;
    return false;
  }
  if (!FCMValid) {
    code = noMatrix;
    return false;
  }
  return true;
}

#define ZEL_CF_INDEX(Name, Expr)                 \
  double TCFEvaluator::Name() const {            \
    double code = 0.0;                           \
    if (!CMReady(code, -2.0, -1.0)) return code; \
    return Expr;                                 \
  }

ZEL_CF_INDEX(TpRate, Ratio(Ftp, Ftp + Ffn))
ZEL_CF_INDEX(FnRate, Ratio(Ffn, Ftp + Ffn))
ZEL_CF_INDEX(TnRate, Ratio(Ftn, Ftn + Ffp))
ZEL_CF_INDEX(FpRate, Ratio(Ffp, Ftn + Ffp))
ZEL_CF_INDEX(Precision, Ratio(Ftp, Ftp + Ffp))
ZEL_CF_INDEX(NegPredVal, Ratio(Ftn, Ftn + Ffn))
ZEL_CF_INDEX(ThreatScore, Ratio(Ftp, Ftp + Ffn + Ffp))
ZEL_CF_INDEX(Accuracy, CFAccuracy(Ftp, Ffp, Ftn, Ffn))
ZEL_CF_INDEX(F1Score, CFF1Score(Ftp, Ffp, Ftn, Ffn))

#undef ZEL_CF_INDEX

double TCFEvaluator::Informedness() const {
  double code = 0.0;
  if (!CMReady(code, -3.0, -2.0)) return code;
  return CFInformedness(Ftp, Ffp, Ftn, Ffn);
}

double TCFEvaluator::MatthewsCorr() const {
  double code = 0.0;
  if (!CMReady(code, -2.0, -3.0)) return code;
  return CFMatthewsCorr(Ftp, Ffp, Ftn, Ffn);
}

namespace {

long double Entropy(std::initializer_list<int64_t> cells, int64_t n) {
  long double h = 0.0L;
  for (int64_t c : cells)
    if (c > 0) {
      const long double p = static_cast<long double>(c) / static_cast<long double>(n);
      h -= p * std::log(p);
    }
  return h;
}

}  // namespace

double TCFEvaluator::UncertCoeff() const {
  double code = 0.0;
  if (!CMReady(code, -2.0, -1.0)) return code;
  const int64_t n = Ftp + Ffp + Ftn + Ffn;
  if (n <= 0) return 0.0;
  const long double hp = Entropy({Ftp + Ffp, Ffn + Ftn}, n);
  const long double ht = Entropy({Ftp + Ffn, Ffp + Ftn}, n);
  const long double hj = Entropy({Ftp, Ffp, Ftn, Ffn}, n);
  return static_cast<double>(2.0L * (hp + ht - hj) / (hp + ht + 1e-15L));
}

// ---------------------------------------------------------------------------
// TCFEvaluator: sorting, ROC and thresholds
// ---------------------------------------------------------------------------

int32_t TCFEvaluator::SortEstimated() {
  if (FTrueVec.size() != FEstVec.size()) return kCFEvalFailed;
  const size_t n = FEstVec.size();
  size_t gap = n > 1 ? n - 1 : 1;
  for (bool done = n < 2; !done;) {
    bool exchanged = false;
    for (size_t i = 0; i + gap < n; ++i)
      if (FEstVec[i] < FEstVec[i + gap]) {
        std::swap(FEstVec[i], FEstVec[i + gap]);
        std::swap(FTrueVec[i], FTrueVec[i + gap]);
        exchanged = true;
      }
    done = gap == 1 && !exchanged;
    gap = std::max<size_t>(1, static_cast<size_t>(static_cast<double>(gap) / 1.3));
  }
  FIsSorted = true;
  return kCFEvalOk;
}

namespace {

// One index of the threshold scan: the mean threshold of the last run of
// consecutive thresholds that reach the best value.
struct TThreshRun {
  double best = 0.0;
  long double sum = 0.0L;  // long double: thresholds near the double limit
  int64_t len = 0;
  bool inRun = false;
  double thresh = 0.0;

  void Add(double value, double h) {
    if (value > best || (value == best && !inRun)) {
      best = value;
      sum = h;
      len = 1;
      inRun = true;
    } else if (value == best) {
      sum += h;
      ++len;
    } else {
      inRun = false;
      return;
    }
    thresh = static_cast<double>(sum / static_cast<long double>(len));
  }
};

}  // namespace

int32_t TCFEvaluator::OptimizeThresholds(TDouble2DArray& ROCCoords, int32_t& BestROC, double& AUC,
                                         double& ThreshMMC, double& ThreshAccuracy,
                                         double& ThreshInformedness) {
  EnsureDicho();
  if (!FIsDicho) return kROCNotDicho;
  if (FTrueVec.size() != FEstVec.size()) return kROCLengthsDiffer;
  for (double e : FEstVec)
    if (!std::isfinite(e)) return kROCNotFinite;
  if (!FIsSorted) SortEstimated();

  const size_t n = FEstVec.size();
  int64_t nP = 0;
  for (double t : FTrueVec)
    if (t == FDichoV2) ++nP;
  const auto nN = static_cast<int64_t>(n) - nP;
  if (nP == 0 || nN == 0) return kROCEmptyClass;

  TDouble2DArray roc(3);
  for (auto& c : roc) c.reserve(n + 1);
  int64_t cP = 0, cN = 0, cPBefore = 0, cNBefore = 0;
  // Twice the area times nN nP: at most 2 nN nP <= n^2/2, so int64 holds it
  // exactly for any int32 number of objects.
  int64_t area2 = 0;
  int64_t bestDiff = -1;
  int32_t best = 0;
  for (size_t i = 0; i < n; ++i) {
    (FTrueVec[i] == FDichoV2 ? cP : cN) += 1;
    // A point closes a group of equal estimates, so that it belongs to a
    // threshold and the tied objects' order cannot matter.
    if (i + 1 < n && FEstVec[i + 1] == FEstVec[i]) continue;
    area2 += (cN - cNBefore) * (cP + cPBefore);
    cNBefore = cN;
    cPBefore = cP;
    const double fpr = static_cast<double>(cN) / static_cast<double>(nN);
    const double tpr = static_cast<double>(cP) / static_cast<double>(nP);
    roc[0].push_back(fpr);
    roc[1].push_back(tpr);
    roc[2].push_back(FEstVec[i]);
    // Compared as exact integers: |cN nP - cP nN| / (nN nP) would let rounding
    // noise pick among points that are equally far from the diagonal.
    const int64_t diff = std::abs(cN * nP - cP * nN);
    if (diff > bestDiff) {
      bestDiff = diff;
      best = static_cast<int32_t>(roc[0].size() - 1);
    }
  }
  roc[0].push_back(1.0);
  roc[1].push_back(1.0);
  roc[2].push_back(FEstVec[n - 1]);
  for (auto& c : roc) c.shrink_to_fit();

  // The estimates are sorted descending: the extremes are at the ends.
  const double mx = FEstVec[0];
  const double mn = FEstVec[n - 1];
  const double g = mx / 100.0 - mn / 100.0;  // no overflow for extreme ranges
  const double hEnd = mx + 5.0 * g;
  TThreshRun mcc, acc, inf;
  for (int32_t k = 0; k <= 110; ++k) {
    // Each threshold from min directly, so that g below the spacing of
    // doubles near min cannot stall the scan.
    const double h = mn + static_cast<double>(k - 5) * g;
    if (!(h < hEnd)) break;
    CalcConfusionMatrix(h);
    mcc.Add(CFMatthewsCorr(Ftp, Ffp, Ftn, Ffn), h);
    acc.Add(CFAccuracy(Ftp, Ffp, Ftn, Ffn), h);
    inf.Add(CFInformedness(Ftp, Ffp, Ftn, Ffn), h);
  }

  ROCCoords = std::move(roc);
  BestROC = best;
  AUC = static_cast<double>(static_cast<long double>(area2) /
                            (2.0L * static_cast<long double>(nN) * static_cast<long double>(nP)));
  ThreshMMC = mcc.thresh;
  ThreshAccuracy = acc.thresh;
  ThreshInformedness = inf.thresh;
  return kROCOk;
}

}  // namespace zel
