// Judging a toy classifier: a nearest-class-mean rule on one feature,
// cross-validated by repeated hold-out, then its scores evaluated with the
// ROC curve and the best thresholds.
#include <cstdio>

#include "core/zel_random.hpp"
#include "num/statis/zel_classeval.hpp"

int main() {
  using namespace zel;

  // 40 objects: a feature around 1 for class 0 and around 2 for class 1.
  const int32_t n = 40;
  TMatrix x(nullptr), y(nullptr);
  x.Resize(1, n);
  y.Resize(1, n);
  SetRandSeed(11);
  for (int32_t r = 1; r <= n; ++r) {
    const double cls = r % 2;
    y.SetVal(1, r, cls);
    x.SetVal(1, r, 1.0 + cls + 0.6 * (Random() - 0.5) * 2.0);
  }

  // The "model" is the midpoint between the class means of the training set.
  double cut = 0.0;
  TCrossValidator cv(nullptr);
  cv.SetXMat(&x);
  cv.SetYMat(&y);
  cv.SetSizeTestSet(5);
  cv.OnModelCreateRequest = [&](TObject*, int32_t, const TIntArray& train, bool& ok) {
    double sum[2] = {0, 0};
    int cnt[2] = {0, 0};
    for (int32_t r : train) {
      const int c = y.GetVal(1, r) == 1.0 ? 1 : 0;
      sum[c] += x.GetVal(1, r);
      ++cnt[c];
    }
    ok = cnt[0] > 0 && cnt[1] > 0;
    if (ok) cut = 0.5 * (sum[0] / cnt[0] + sum[1] / cnt[1]);
  };
  cv.OnModelApplyRequest = [&](TObject*, int32_t, const TDoubleArray& p, TDoubleArray& resp,
                               TDoubleArray& thresh) {
    resp[0] = p[0] - cut + 0.5;  // a score around the class values 0 and 1
    thresh[0] = 0.5;
  };
  if (cv.Execute()) {
    std::printf("cross-validation: tp %lld fp %lld tn %lld fn %lld\n",
                static_cast<long long>(cv.GetTPCnt(1)), static_cast<long long>(cv.GetFPCnt(1)),
                static_cast<long long>(cv.GetTNCnt(1)), static_cast<long long>(cv.GetFNCnt(1)));
    std::printf("  accuracy %.3f, F1 %.3f, Matthews %.3f, RMSEP %.3f\n", cv.GetAccuracy(1),
                cv.GetF1Score(1), cv.GetMatthewsCorr(1), cv.GetRMSEP(1));
  }

  // The raw feature as a score: ROC, AUC and the thresholds.
  TCFEvaluator ev(nullptr);
  ev.CopyTrueFromMatrix(1, &y);
  ev.CopyEstFromMatrix(1, &x);
  TDouble2DArray roc;
  int32_t best = 0;
  double auc = 0, tMcc = 0, tAcc = 0, tInf = 0;
  const int32_t st = ev.OptimizeThresholds(roc, best, auc, tMcc, tAcc, tInf);
  if (st != kROCOk) {
    std::printf("ROC failed: %s\n", ROCStatusText(st));
    return 1;
  }
  std::printf("ROC: %zu points, AUC %.4f, best point (%.3f, %.3f) at score %.3f\n", roc[0].size(),
              auc, roc[0][static_cast<size_t>(best)], roc[1][static_cast<size_t>(best)],
              roc[2][static_cast<size_t>(best)]);
  std::printf("thresholds: Matthews %.3f, accuracy %.3f, informedness %.3f\n", tMcc, tAcc, tInf);
  ev.CalcConfusionMatrix(tMcc);
  std::printf("at %.3f: accuracy %.3f, precision %.3f, Matthews %.3f, uncertainty %.3f\n", tMcc,
              ev.Accuracy(), ev.Precision(), ev.MatthewsCorr(), ev.UncertCoeff());
  return 0;
}
