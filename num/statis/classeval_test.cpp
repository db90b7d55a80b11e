// Classifier evaluation against scikit-learn 1.2 (roc_curve, roc_auc_score,
// confusion_matrix, matthews_corrcoef, ...; testdata/classeval_reference.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "num/statis/zel_classeval.hpp"

namespace zel {
namespace {

// Two-class data with tie groups (positive = 1).
const TDoubleArray kY = {1, 0, 1, 1, 0, 0, 1, 0, 1, 0, 0, 1, 1, 0, 1, 0, 0, 1, 0, 1};
const TDoubleArray kS = {0.9, 0.8, 0.8, 0.7, 0.7, 0.7, 0.6, 0.55, 0.5,  0.5,
                         0.4, 0.4, 0.4, 0.3, 0.3, 0.2, 0.1, 0.1,  0.05, 0.95};
// roc_curve(drop_intermediate=False) without its leading (0, 0).
const TDoubleArray kFpr = {0.0, 0.0, 0.1, 0.3, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0};
const TDoubleArray kTpr = {0.1, 0.2, 0.3, 0.4, 0.5, 0.5, 0.6, 0.8, 0.9, 0.9, 1.0, 1.0};
const TDoubleArray kThr = {0.95, 0.9, 0.8, 0.7, 0.6, 0.55, 0.5, 0.4, 0.3, 0.2, 0.1, 0.05};

void Load(TCFEvaluator& ev, const TDoubleArray& t, const TDoubleArray& e) {
  ev.SetNData(static_cast<int32_t>(t.size()));
  for (size_t i = 0; i < t.size(); ++i) {
    ev.SetTrueData(static_cast<int32_t>(i + 1), t[i]);
    ev.SetEstimData(static_cast<int32_t>(i + 1), e[i]);
  }
}

struct TRocResult {
  int32_t status, best;
  TDouble2DArray roc;
  double auc, tMcc, tAcc, tInf;
};

TRocResult Roc(TCFEvaluator& ev) {
  TRocResult r{};
  r.status = ev.OptimizeThresholds(r.roc, r.best, r.auc, r.tMcc, r.tAcc, r.tInf);
  return r;
}

TEST(CFEvaluator, DataAccessIsOneBasedAndLengthsAreTracked) {
  TCFEvaluator ev(nullptr);
  EXPECT_EQ(ev.GetNData(), 1);
  EXPECT_EQ(ev.GetTrueData(1), 0.0);
  ev.SetNData(3);
  ev.SetEstimData(3, 7.5);
  ev.SetEstimData(4, 9.0);  // ignored
  EXPECT_EQ(ev.GetEstimData(3), 7.5);
  EXPECT_EQ(ev.GetEstimData(0), 0.0);
  EXPECT_EQ(ev.GetEstimData(4), 0.0);
  ev.SetNData(-5);  // ignored
  EXPECT_EQ(ev.GetNData(), 3);

  TMatrix m(nullptr);
  m.Resize(2, 5);
  EXPECT_EQ(ev.CopyEstFromMatrix(3, &m), kCFEvalFailed);
  EXPECT_EQ(ev.CopyEstFromMatrix(1, nullptr), kCFEvalFailed);
  EXPECT_EQ(ev.GetNData(), 3);
  EXPECT_EQ(ev.CopyEstFromMatrix(2, &m), kCFEvalOk);
  EXPECT_EQ(ev.GetNData(), -1);  // 3 true values, 5 estimates
  m.SetVal(1, 2, 4.0);
  EXPECT_EQ(ev.CopyTrueFromMatrix(1, &m), kCFEvalOk);
  EXPECT_EQ(ev.GetNData(), 5);
  EXPECT_EQ(ev.GetDichoV1(), 0.0);
  EXPECT_EQ(ev.GetDichoV2(), 4.0);
  m.SetVal(1, 3, 5.0);
  EXPECT_EQ(ev.CopyTrueFromMatrix(1, &m), kCFEvalNotDicho);
  EXPECT_EQ(ev.CalcConfusionMatrix(0.5), kCFEvalNotDicho);
}

TEST(CFEvaluator, ActualDichoValuesAscendAndRejectThirdValueAndNaN) {
  TCFEvaluator ev(nullptr);
  double v1 = -1, v2 = -1;
  EXPECT_FALSE(ev.GetActualDichoValues(v1, v2));
  EXPECT_EQ(v1, 0.0);
  EXPECT_EQ(v2, 0.0);
  Load(ev, {5, 2, 5, 2}, {0, 0, 0, 0});
  EXPECT_TRUE(ev.GetActualDichoValues(v1, v2));
  EXPECT_EQ(v1, 2.0);
  EXPECT_EQ(v2, 5.0);
  ev.SetTrueData(4, 3);
  EXPECT_FALSE(ev.GetActualDichoValues(v1, v2));
  ev.SetTrueData(4, 2);
  ev.SetTrueData(1, std::nan(""));
  EXPECT_FALSE(ev.GetActualDichoValues(v1, v2));
  EXPECT_EQ(ev.CalcConfusionMatrix(0), kCFEvalNotDicho);
}

TEST(CFEvaluator, SmallExampleGivesRocAucAndConfusionMatrix) {
  TCFEvaluator ev(nullptr);
  Load(ev, {0, 0, 1, 1}, {0.1, 0.4, 0.35, 0.8});
  const TRocResult r = Roc(ev);
  ASSERT_EQ(r.status, kROCOk);
  const TDouble2DArray want = {
      {0, 0.5, 0.5, 1, 1}, {0.5, 0.5, 1, 1, 1}, {0.8, 0.4, 0.35, 0.1, 0.1}};
  EXPECT_EQ(r.roc, want);
  EXPECT_EQ(r.auc, 0.75);
  EXPECT_EQ(r.best, 0);  // |0 - 0.5| first reaches 0.5
  // Sorting is visible to the caller.
  EXPECT_EQ(ev.GetEstimData(1), 0.8);
  EXPECT_EQ(ev.GetTrueData(2), 0.0);

  ASSERT_EQ(ev.CalcConfusionMatrix(0.5), kCFEvalOk);
  int64_t tp, fp, tn, fn;
  double th;
  ASSERT_EQ(ev.GetConfMatValues(tp, fp, tn, fn, th), kCFEvalOk);
  EXPECT_EQ((std::vector<int64_t>{tp, fp, tn, fn}), (std::vector<int64_t>{1, 0, 2, 1}));
  EXPECT_EQ(th, 0.5);
  EXPECT_EQ(ev.Accuracy(), 0.75);
  EXPECT_EQ(ev.Precision(), 1.0);
  // An estimate equal to the threshold predicts positive.
  ASSERT_EQ(ev.CalcConfusionMatrix(0.4), kCFEvalOk);
  EXPECT_EQ(ev.FpRate(), 0.5);
  ASSERT_EQ(ev.CalcConfusionMatrix(0.35), kCFEvalOk);
  EXPECT_EQ(ev.TpRate(), 1.0);
}

TEST(CFEvaluator, TiedScoresFormOnePointAndHalfCreditWhateverTheOrder) {
  // The same pairs in three orders: sorting leaves ties in different orders.
  for (size_t rot : {0, 7, 13}) {
    TDoubleArray t(kY.size()), e(kY.size());
    for (size_t i = 0; i < kY.size(); ++i) {
      // Classes relabelled: the larger true value is the positive one.
      t[i] = kY[(i + rot) % kY.size()] == 1 ? 3.0 : -1.0;
      e[i] = kS[(i + rot) % kY.size()];
    }
    if (rot == 13) {
      std::reverse(t.begin(), t.end());
      std::reverse(e.begin(), e.end());
    }
    TCFEvaluator ev(nullptr);
    Load(ev, t, e);
    const TRocResult r = Roc(ev);
    ASSERT_EQ(r.status, kROCOk);
    ASSERT_EQ(r.roc[0].size(), kFpr.size() + 1);
    for (size_t k = 0; k < kFpr.size(); ++k) {
      EXPECT_NEAR(r.roc[0][k], kFpr[k], 1e-15) << k;
      EXPECT_NEAR(r.roc[1][k], kTpr[k], 1e-15) << k;
      EXPECT_EQ(r.roc[2][k], kThr[k]) << k;
    }
    EXPECT_EQ(r.roc[0].back(), 1.0);
    EXPECT_EQ(r.roc[2].back(), 0.05);
    EXPECT_NEAR(r.auc, 0.64, 1e-15);  // roc_auc_score
    EXPECT_EQ(r.best, 1);             // (0, 0.2) is the first point 0.2 off the diagonal
    // Independent scan of the same rule (classeval_reference.py).
    EXPECT_NEAR(r.tMcc, 0.8510000000000001, 1e-12);
    EXPECT_NEAR(r.tAcc, 0.8015, 1e-12);
    EXPECT_NEAR(r.tInf, 0.34700000000000003, 1e-12);
  }
  for (const TDoubleArray& e : {TDoubleArray{0.5, 0.5}}) {
    for (const TDoubleArray& t : {TDoubleArray{1, 0}, TDoubleArray{0, 1}}) {
      TCFEvaluator ev(nullptr);
      Load(ev, t, e);
      const TRocResult r = Roc(ev);
      ASSERT_EQ(r.status, kROCOk);
      EXPECT_EQ(r.auc, 0.5);
      EXPECT_EQ(r.roc[0], (TDoubleArray{1, 1}));
      EXPECT_EQ(r.roc[1], (TDoubleArray{1, 1}));
    }
  }
}

TEST(CFEvaluator, IndicesMatchScikitLearn) {
  struct Case {
    double thresh;
    int64_t tp, fp, tn, fn;
    double acc, f1, prec, mcc, inf, nmi;
  };
  const Case cases[] = {
      {0.5, 6, 5, 5, 4, 0.55, 0.5714285714285713, 0.5454545454545454, 0.10050378152592121,
       0.10000000000000009, 0.00732562257195491},
      {0.4, 8, 6, 4, 2, 0.6, 0.6666666666666666, 0.5714285714285714, 0.2182178902359924,
       0.20000000000000018, 0.03705068107641294},
  };
  TCFEvaluator ev(nullptr);
  Load(ev, kY, kS);
  for (const Case& c : cases) {
    ASSERT_EQ(ev.CalcConfusionMatrix(c.thresh), kCFEvalOk);
    int64_t tp, fp, tn, fn;
    double th;
    ASSERT_EQ(ev.GetConfMatValues(tp, fp, tn, fn, th), kCFEvalOk);
    EXPECT_EQ((std::vector<int64_t>{tp, fp, tn, fn}),
              (std::vector<int64_t>{c.tp, c.fp, c.tn, c.fn}));
    EXPECT_NEAR(ev.Accuracy(), c.acc, 1e-15);
    EXPECT_NEAR(ev.F1Score(), c.f1, 1e-15);
    EXPECT_NEAR(ev.Precision(), c.prec, 1e-15);
    EXPECT_NEAR(ev.MatthewsCorr(), c.mcc, 1e-15);
    EXPECT_NEAR(ev.Informedness(), c.inf, 1e-15);
    EXPECT_NEAR(ev.UncertCoeff(), c.nmi, 1e-14);
    const double n = static_cast<double>(tp + fp + tn + fn);
    EXPECT_DOUBLE_EQ(ev.TpRate() + ev.FnRate(), 1.0);
    EXPECT_DOUBLE_EQ(ev.TnRate() + ev.FpRate(), 1.0);
    EXPECT_DOUBLE_EQ(ev.NegPredVal(), static_cast<double>(tn) / static_cast<double>(tn + fn));
    EXPECT_DOUBLE_EQ(ev.ThreatScore(), static_cast<double>(tp) / (n - static_cast<double>(tn)));
  }
}

TEST(CFEvaluator, StatusCodesOfIndicesAndMatrixValidity) {
  TCFEvaluator ev(nullptr);
  // Not dichotomous: -2, except Informedness -3.
  EXPECT_EQ(ev.Accuracy(), -2.0);
  EXPECT_EQ(ev.UncertCoeff(), -2.0);
  EXPECT_EQ(ev.MatthewsCorr(), -2.0);
  EXPECT_EQ(ev.Informedness(), -3.0);
  Load(ev, {0, 1, 1}, {0.2, 0.9, 0.1});
  // No matrix yet: -1, except Informedness -2 and MatthewsCorr -3.
  EXPECT_EQ(ev.TpRate(), -1.0);
  EXPECT_EQ(ev.Informedness(), -2.0);
  EXPECT_EQ(ev.MatthewsCorr(), -3.0);
  int64_t tp, fp, tn, fn;
  double th;
  EXPECT_EQ(ev.GetConfMatValues(tp, fp, tn, fn, th), kCFEvalFailed);
  // Sorting does not make a matrix current.
  EXPECT_EQ(ev.SortEstimated(), kCFEvalOk);
  EXPECT_EQ(ev.Accuracy(), -1.0);
  ASSERT_EQ(ev.CalcConfusionMatrix(0.5), kCFEvalOk);
  EXPECT_NEAR(ev.Accuracy(), 2.0 / 3.0, 1e-15);
  ev.SetEstimData(1, 0.95);
  EXPECT_EQ(ev.Accuracy(), -1.0);
  ASSERT_EQ(ev.CalcConfusionMatrix(0.5), kCFEvalOk);
  ev.SetTrueData(3, 0);
  EXPECT_EQ(ev.Accuracy(), -1.0);
  ev.SetEstimData(2, std::nan(""));
  EXPECT_EQ(ev.CalcConfusionMatrix(0.5), kCFEvalNaNEstimate);
  EXPECT_EQ(ev.Accuracy(), -1.0);

  TRocResult r = Roc(ev);
  EXPECT_EQ(r.status, kROCNotFinite);
  ev.SetEstimData(2, std::numeric_limits<double>::infinity());
  EXPECT_EQ(Roc(ev).status, kROCNotFinite);
  ev.SetTrueData(2, 7);  // true values 1, 7, 0
  EXPECT_EQ(Roc(ev).status, kROCNotDicho);
  TMatrix m(nullptr);
  m.Resize(1, 4);
  m.SetVal(1, 1, 1.0);
  ASSERT_EQ(ev.CopyTrueFromMatrix(1, &m), kCFEvalOk);
  EXPECT_EQ(Roc(ev).status, kROCLengthsDiffer);
  EXPECT_EQ(ev.CalcConfusionMatrix(0.5), kCFEvalFailed);
  EXPECT_EQ(ev.SortEstimated(), kCFEvalFailed);
  EXPECT_STREQ(ROCStatusText(kROCLengthsDiffer), "true values and estimates differ in length");
  EXPECT_STREQ(CFEvalStatusText(5), "unknown classifier evaluation status");
}

TEST(CFEvaluator, ExtremeValuesStayFinite) {
  // The mean of the two classes overflows; the larger value stays positive.
  const double big = std::numeric_limits<double>::max();
  TCFEvaluator ev(nullptr);
  Load(ev, {-big, big, big, -big}, {-big, big, 0.5 * big, -0.5 * big});
  TRocResult r = Roc(ev);
  ASSERT_EQ(r.status, kROCOk);
  EXPECT_EQ(r.auc, 1.0);
  EXPECT_GT(r.tMcc, -0.5 * big);
  EXPECT_LE(r.tMcc, 0.5 * big);
  ASSERT_EQ(ev.CalcConfusionMatrix(0.0), kCFEvalOk);
  EXPECT_EQ(ev.Accuracy(), 1.0);
  // Classes one denormal apart, scores near underflow.
  Load(ev, {0, 5e-324, 5e-324, 0}, {1e-300, 3e-300, 2e-300, 0});
  r = Roc(ev);
  ASSERT_EQ(r.status, kROCOk);
  EXPECT_EQ(r.auc, 1.0);
  EXPECT_GT(r.tAcc, 1e-300);
  EXPECT_LE(r.tAcc, 2e-300);
  // Scores too close for g to move a large minimum: the scan still ends.
  Load(ev, {0, 1, 0, 1}, {1e16, 1e16 + 2, 1e16, 1e16 + 4});
  r = Roc(ev);
  ASSERT_EQ(r.status, kROCOk);
  EXPECT_EQ(r.auc, 1.0);
}

TEST(CFFunctions, IndicesFromCountsAndLargeCounts) {
  EXPECT_EQ(CFAccuracy(0, 0, 0, 0), 0.0);
  EXPECT_EQ(CFF1Score(0, 0, 9, 0), 0.0);
  EXPECT_EQ(CFMatthewsCorr(5, 0, 0, 3), 0.0);  // one empty margin
  EXPECT_EQ(CFInformedness(4, 0, 0, 0), 0.0);  // no negatives: that ratio counts 0
  EXPECT_EQ(CFMatthewsCorr(3, 0, 4, 0), 1.0);
  EXPECT_EQ(CFMatthewsCorr(0, 3, 0, 4), -1.0);
  // The four-fold product is about 2.2e35; exact value from Python integers.
  EXPECT_NEAR(CFMatthewsCorr(700000000, 300000000, 650000000, 350000000), 0.35043832202523123,
              1e-15);
  // Past int32 sums and past the int64 product of balanced halves.
  EXPECT_NEAR(CFMatthewsCorr(60000, 0, 60000, 0), 1.0, 1e-15);
  EXPECT_NEAR(CFInformedness(3000000000, 1, 2999999999, 0), 1.0, 1e-9);
}

TEST(ExtractClassifPerformance, PerClassCountsMatchScikitLearn) {
  // confusion_matrix C[true][pred] of classeval_reference.py; columns of
  // the integer matrix are predicted classes.
  const int32_t C[3][3] = {{3, 1, 0}, {1, 2, 1}, {1, 0, 3}};
  const int64_t want[3][4] = {{3, 2, 6, 1}, {2, 1, 7, 2}, {3, 1, 7, 1}};  // tp fp tn fn
  TIntMatrix m(nullptr);
  m.Resize(3, 3);
  TInt2DArray a(3, TIntArray(3)), withTotals(3, TIntArray(4, 0));
  for (int32_t t = 0; t < 3; ++t)
    for (int32_t p = 0; p < 3; ++p) {
      m.SetVal(p + 1, t + 1, C[t][p]);
      a[static_cast<size_t>(p)][static_cast<size_t>(t)] = C[t][p];
      withTotals[static_cast<size_t>(p)][static_cast<size_t>(t)] = C[t][p];
      withTotals[static_cast<size_t>(p)][3] += C[t][p];
    }
  int64_t tp, fp, tn, fn;
  for (int32_t k = 0; k < 3; ++k) {
    const std::vector<int64_t> w(want[k], want[k] + 4);
    ASSERT_EQ(ExtractClassifPerformance(k + 1, &m, tp, fp, tn, fn), kClassifPerfOk);
    EXPECT_EQ((std::vector<int64_t>{tp, fp, tn, fn}), w) << k;
    ASSERT_EQ(ExtractClassifPerformance(k, a, tp, fp, tn, fn), kClassifPerfOk);
    EXPECT_EQ((std::vector<int64_t>{tp, fp, tn, fn}), w) << k;
    ASSERT_EQ(ExtractClassifPerformance(k, withTotals, tp, fp, tn, fn), kClassifPerfTotalsCol);
    EXPECT_EQ((std::vector<int64_t>{tp, fp, tn, fn}), w) << k;
  }
  EXPECT_EQ(ExtractClassifPerformance(0, &m, tp, fp, tn, fn), kClassifPerfBadClass);
  EXPECT_EQ(ExtractClassifPerformance(3, a, tp, fp, tn, fn), kClassifPerfBadClass);
  EXPECT_EQ(ExtractClassifPerformance(0, TInt2DArray{}, tp, fp, tn, fn), kClassifPerfBadClass);
  EXPECT_EQ(ExtractClassifPerformance(1, nullptr, tp, fp, tn, fn), kClassifPerfNotSquare);
  a[1].pop_back();  // ragged
  EXPECT_EQ(ExtractClassifPerformance(0, a, tp, fp, tn, fn), kClassifPerfNotSquare);
  EXPECT_EQ(tp + fp + tn + fn, 0);
  m.Resize(3, 4);
  EXPECT_EQ(ExtractClassifPerformance(1, &m, tp, fp, tn, fn), kClassifPerfNotSquare);
  // Sums past int32 stay exact.
  TInt2DArray huge(2, TIntArray(2, 2000000000));
  ASSERT_EQ(ExtractClassifPerformance(0, huge, tp, fp, tn, fn), kClassifPerfOk);
  EXPECT_EQ(tn, 2000000000);
  EXPECT_EQ(fp + fn, 4000000000);
}

}  // namespace
}  // namespace zel
