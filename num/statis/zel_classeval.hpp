/// @file
/// Zel_statis, classifier evaluation and cross-validation: TCFEvaluator
/// judges a two-class classifier from pairs (true value, estimated score),
/// TCrossValidator runs a repeated hold-out cross-validation of a model that
/// the caller supplies through events, and free functions derive the usual
/// indices from four confusion counts.
///
/// Families, in the order of this header:
///   - (1) Status codes and event types
///   - (2) Indices from four counts and from a multi-class confusion matrix
///   - (3) TCFEvaluator
///   - (4) TCrossValidator
///
/// Conventions of this part of the unit:
/// - Confusion counts are given in the order tp, fp, tn, fn and held as
///   64-bit integers.
/// - The positive class of TCFEvaluator is the larger of the two true
///   values; the positive class of TCrossValidator is a true value equal to
///   1 (exact comparison), every other value is negative.
/// - Indices are ratios of counts; a ratio whose denominator is 0 is 0
///   unless a routine says otherwise. Matthews' correlation takes the root of
///   each pair of margins separately in double precision, so it neither
///   overflows nor loses sign for any count that fits in 64 bits.
/// - The components run on the caller's thread; an object is not safe for
///   concurrent use, distinct objects are.
/// - Errors that abort an operation throw EZELStatisError; the others report
///   through negative results named below.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/zel_classes.hpp"
#include "core/zel_zelbase.hpp"
#include "num/analysis/zel_regression.hpp"
#include "num/matrix/zel_intmatrix.hpp"
#include "num/matrix/zel_matrix.hpp"
#include "num/statis/zel_statis.hpp"

namespace zel {

// ===========================================================================
// 1. Status codes and event types
// ===========================================================================

///@{
/// Results of ExtractClassifPerformance (value 0 fixed).
/// ClassifPerfStatusText turns one into a sentence.
constexpr int32_t kClassifPerfOk = 0;          ///< the four counts were derived
constexpr int32_t kClassifPerfNotSquare = -1;  ///< the matrix is missing, not square or ragged
constexpr int32_t kClassifPerfBadClass = -2;   ///< the class index is outside the matrix
constexpr int32_t kClassifPerfTotalsCol = -3;  ///< array overload: a totals column was ignored
///@}

/// A short English sentence (no final period) for a result of
/// ExtractClassifPerformance; "unknown classifier performance status" for
/// any other value. The text is static.
const char* ClassifPerfStatusText(int32_t status);

///@{
/// Results of TCFEvaluator's CopyTrueFromMatrix, CopyEstFromMatrix,
/// CalcConfusionMatrix, GetConfMatValues and SortEstimated (value 0 fixed;
/// each routine lists which of these it returns). CFEvalStatusText turns one
/// into a sentence.
constexpr int32_t kCFEvalOk = 0;  ///< done
constexpr int32_t kCFEvalFailed =
    -1;  ///< bad column, lengths differ, or no current matrix (see the routine)
constexpr int32_t kCFEvalNotDicho = -2;  ///< the true values do not take exactly two values
constexpr int32_t kCFEvalNaNEstimate =
    -4;  ///< an estimate is NaN (OptimizeThresholds: NaN or infinite)
///@}

/// A short English sentence (no final period) for a result of the
/// TCFEvaluator routines named at kCFEvalOk; "unknown classifier evaluation
/// status" for any other value. The text is static.
const char* CFEvalStatusText(int32_t status);

///@{
/// Results of TCFEvaluator::OptimizeThresholds (value 0 fixed). Its codes
/// differ from those of the other TCFEvaluator routines.
constexpr int32_t kROCOk = 0;              ///< ROC, AUC and the thresholds were computed
constexpr int32_t kROCNotDicho = -1;       ///< the true values do not take exactly two values
constexpr int32_t kROCEmptyClass = -2;     ///< one class has no object
constexpr int32_t kROCLengthsDiffer = -3;  ///< true values and estimates differ in length
constexpr int32_t kROCNotFinite = -4;      ///< an estimate is NaN or infinite
///@}

/// A short English sentence (no final period) for a result of
/// OptimizeThresholds; "unknown ROC status" for any other value. The text is
/// static.
const char* ROCStatusText(int32_t status);

/// Fired by TCrossValidator::Execute before each round: build a model from
/// the training objects ObjectList (1-based row numbers of XMat and YMat,
/// ascending) and set Success. PercentDone is round(100 tested / rows),
/// tested counting the objects predicted so far.
using TOnModelCreateRequestEvent = std::function<void(TObject* Sender, int32_t PercentDone,
                                                      const TIntArray& ObjectList, bool& Success)>;

/// Fired by TCrossValidator::Execute for each test object: Predictors is
/// the object's row of XMat; the handler writes one estimate per response
/// column into Response and the class threshold of that column into Thresh.
/// Both arrive sized to the number of columns of YMat and filled with 0.
using TOnModelApplyRequestEvent =
    std::function<void(TObject* Sender, int32_t PercentDone, const TDoubleArray& Predictors,
                       TDoubleArray& Response, TDoubleArray& Thresh)>;

// ===========================================================================
// 2. Indices from four counts and from a multi-class confusion matrix
// ===========================================================================

/// Accuracy (tp + tn) / (tp + fp + tn + fn); 0 when the sum is <= 0.
double CFAccuracy(int64_t tp, int64_t fp, int64_t tn, int64_t fn);

/// F1 score 2 tp / (2 tp + fp + fn); 0 when the denominator is <= 0.
double CFF1Score(int64_t tp, int64_t fp, int64_t tn, int64_t fn);

/// Matthews' correlation (tp tn - fp fn) / sqrt((tp + fp)(tp + fn)(fp +
/// tn)(tn + fn)), in [-1, 1]; 0 when the product under the root is <= 0.
/// The root is taken as sqrt((tp + fp)(tp + fn)) sqrt((fp + tn)(tn + fn))
/// in double, so balanced counts of 10^9 objects (where the 64-bit product
/// would overflow) give the exact value to about 1e-15.
double CFMatthewsCorr(int64_t tp, int64_t fp, int64_t tn, int64_t fn);

/// Informedness tp / (tp + fn) + tn / (fp + tn) - 1, in [-1, 1]; a ratio
/// whose denominator is <= 0 counts 0.
double CFInformedness(int64_t tp, int64_t fp, int64_t tn, int64_t fn);

/// The counts of class ClassIx (1-based) from a multi-class confusion
/// matrix whose columns are predicted and rows true classes: tp = element
/// (ClassIx, ClassIx), fp = sum of column ClassIx - tp, fn = sum of row
/// ClassIx - tp, tn = total - tp - fp - fn, all summed in 64 bits. The
/// counts are set to 0 first. Returns kClassifPerfBadClass for ClassIx
/// outside 1..columns (checked first), kClassifPerfNotSquare for a null or
/// non-square matrix, else kClassifPerfOk. A sparse matrix is read through
/// GetVal.
int32_t ExtractClassifPerformance(int32_t ClassIx, const TIntMatrix* ConfMat, int64_t& tp,
                                  int64_t& fp, int64_t& tn, int64_t& fn);

/// The same for a 2-D array M of n inner arrays and a 0-based ClassIx:
/// tp = M[ix][ix], fp = sum over j of M[ix][j] - tp, fn = sum over j of
/// M[j][ix] - tp, tn = total - tp - fp - fn, j and the total running over
/// 0..n-1. Returns kClassifPerfBadClass for ClassIx outside 0..n-1 (checked
/// first), kClassifPerfNotSquare when the inner arrays are not all of
/// length n; when all have length n + 1 (a totals element at the end) the
/// extra elements are ignored, the counts are computed and the result is
/// kClassifPerfTotalsCol. The counts are set to 0 first.
int32_t ExtractClassifPerformance(int32_t ClassIx, const TInt2DArray& M, int64_t& tp, int64_t& fp,
                                  int64_t& tn, int64_t& fn);

// ===========================================================================
// 3. TCFEvaluator
// ===========================================================================

/// Evaluates a two-class classifier from pairs (true value, estimated
/// score): the confusion matrix at a threshold, the rates and indices
/// derived from it, the ROC curve with its area, and the thresholds that
/// maximise Matthews' correlation, accuracy and informedness.
///
/// State: the true values and estimates (both of length 1, holding 0, after
/// creation), whether the estimates are sorted, the dichotomy of the true
/// values (determined when first needed after a change of the true values),
/// and the current confusion matrix. The confusion matrix is current only
/// from a successful CalcConfusionMatrix until the next change of any true
/// value, estimate or length; sorting alone neither makes it current nor
/// invalidates it. Sorting (SortEstimated, and CalcConfusionMatrix and
/// OptimizeThresholds when the estimates are not sorted) reorders the
/// pairs that TrueData and EstimData show.
class TCFEvaluator : public TComponent {
 public:
  /// True values and estimates of length 1 holding 0; no confusion matrix.
  explicit TCFEvaluator(TComponent* AOwner);
  /// "TCFEvaluator".
  std::string ClassName() const override { return "TCFEvaluator"; }

  // -------------------------------------------------------------------------
  // Data
  // -------------------------------------------------------------------------

  /// True value ix (1-based); 0 outside the array.
  double GetTrueData(int32_t ix) const;
  /// Stores true value ix (1-based; ignored outside the array). The
  /// dichotomy is re-determined and the confusion matrix stops being current.
  void SetTrueData(int32_t ix, double Value);
  /// Estimate ix (1-based); 0 outside the array.
  double GetEstimData(int32_t ix) const;
  /// Stores estimate ix (1-based; ignored outside the array); clears the
  /// sorted state and the current confusion matrix.
  void SetEstimData(int32_t ix, double Value);
  /// The common length of true values and estimates; -1 when they differ.
  int32_t GetNData() const;
  /// Values > 0 set both lengths (kept elements stay, new ones are 0) and
  /// clear the sorted state and the current confusion matrix; other values
  /// are ignored. May throw std::bad_alloc for a huge n.
  void SetNData(int32_t n);
  /// The smaller of the two true values when they are dichotomous, else 0.
  double GetDichoV1() const;
  /// The larger of the two true values (the positive class) when they are
  /// dichotomous, else 0.
  double GetDichoV2() const;
  /// Threshold of the last successful CalcConfusionMatrix (0 before any).
  double GetThreshold() const { return FCFThresh; }

  /// Copies column Col of SrcMat into the true values (the length becomes
  /// the row count) and determines dichotomy. Returns kCFEvalFailed for a
  /// null SrcMat or Col outside 1..columns (nothing changes),
  /// kCFEvalNotDicho when the copied values are not dichotomous, else
  /// kCFEvalOk. Clears the sorted state and the current confusion matrix.
  int32_t CopyTrueFromMatrix(int32_t Col, const TMatrix* SrcMat);
  /// Copies column Col of SrcMat into the estimates. Returns kCFEvalFailed
  /// for a null SrcMat or Col outside 1..columns (nothing changes), else
  /// kCFEvalOk. Clears the sorted state and the current confusion matrix.
  int32_t CopyEstFromMatrix(int32_t Col, const TMatrix* SrcMat);
  /// Scans the true values: v1 = the first value, v2 = the first value
  /// different from it (v1 when there is none); true only if no third value
  /// exists, v1 differs from v2 and no value is NaN. The two are returned in
  /// ascending order; both are 0 for fewer than 2 values.
  bool GetActualDichoValues(double& v1, double& v2) const;

  // -------------------------------------------------------------------------
  // Confusion matrix and indices
  // -------------------------------------------------------------------------

  /// Counts the confusion matrix at CFThresh: an object whose true value is
  /// the larger one is positive and counts a true positive when its
  /// estimate is >= CFThresh, else a false negative; a negative object
  /// counts a true negative when its estimate is < CFThresh, else a false
  /// positive (an estimate equal to the threshold predicts positive).
  /// Sorts the estimates first when they are not sorted. Returns
  /// kCFEvalNotDicho, kCFEvalFailed when the lengths differ,
  /// kCFEvalNaNEstimate when an estimate is NaN, else kCFEvalOk; only the
  /// last makes the matrix current and sets Threshold. O(n) when sorted.
  int32_t CalcConfusionMatrix(double CFThresh);
  /// The counts and threshold of the current confusion matrix (all 0 first).
  /// Returns kCFEvalNotDicho, kCFEvalFailed when no matrix is current, else
  /// kCFEvalOk.
  int32_t GetConfMatValues(int64_t& tp, int64_t& fp, int64_t& tn, int64_t& fn,
                           double& Thresh) const;

  ///@{
  /// Indices of the current confusion matrix: -2 when the true values are
  /// not dichotomous, -1 when no confusion matrix is current; a ratio whose
  /// denominator is 0 is 0. TpRate = tp/(tp + fn), FnRate = fn/(tp + fn),
  /// TnRate = tn/(tn + fp), FpRate = fp/(tn + fp), Precision = tp/(tp + fp),
  /// NegPredVal = tn/(tn + fn), ThreatScore = tp/(tp + fn + fp), Accuracy =
  /// (tp + tn)/n, F1Score = 2 tp/(2 tp + fn + fp).
  double TpRate() const;
  double FnRate() const;
  double TnRate() const;
  double FpRate() const;
  double Precision() const;
  double NegPredVal() const;
  double ThreatScore() const;
  double Accuracy() const;
  double F1Score() const;
  ///@}
  /// tp/(tp + fn) + tn/(tn + fp) - 1 (as CFInformedness); -3 when the true
  /// values are not dichotomous, -2 when no confusion matrix is current.
  double Informedness() const;
  /// Matthews' correlation (as CFMatthewsCorr); -2 when the true values are
  /// not dichotomous, -3 when no confusion matrix is current.
  double MatthewsCorr() const;
  /// Symmetric uncertainty 2 (Hp + Ht - Hj) / (Hp + Ht + 1e-15), with the
  /// entropies -sum p ln p over the non-empty cells of the predicted classes
  /// (Hp), the true classes (Ht) and the four cells (Hj); equals the
  /// normalised mutual information with arithmetic mean (scikit-learn
  /// 1.2 agrees to 1e-14). -2 when not dichotomous, -1 when no confusion
  /// matrix is current.
  double UncertCoeff() const;

  // -------------------------------------------------------------------------
  // Sorting, ROC and thresholds
  // -------------------------------------------------------------------------

  /// Sorts the estimates in descending order, moving the true values along,
  /// by comb sort (gap n - 1, divided by 1.3 and truncated after each pass,
  /// at least 1, until a pass with gap 1 makes no exchange); the order of
  /// equal estimates is not specified, and a NaN estimate leaves the order
  /// around it unspecified. Returns kCFEvalFailed when the lengths differ
  /// (nothing changes), else kCFEvalOk.
  int32_t SortEstimated();

  /// The ROC curve, its area and the best thresholds.
  ///
  /// Objects whose true value is the larger one are positive (nP), the
  /// others negative (nN). Walking the objects by descending estimate, one
  /// point is appended after the last object of each group of equal
  /// estimates: ROCCoords[0][k] = false positive rate, ROCCoords[1][k] = true
  /// positive rate, ROCCoords[2][k] = the group's estimate; after the walk a
  /// final point (1, 1, last estimate) is appended, so the last two points
  /// coincide. The points are those of scikit-learn's
  /// roc_curve(drop_intermediate=False) without its leading (0, 0). BestROC
  /// is the index of the first point with the largest |fpr - tpr|, compared
  /// exactly on the counts so that rounding cannot pick the point. AUC is
  /// the trapezoid area, one trapezoid per group, which equals the
  /// Mann-Whitney probability with half credit for ties; it is summed
  /// exactly in 64-bit integers and divided once (error <= 1 ulp).
  ///
  /// Thresholds: with g = (max - min)/100 of the estimates, h runs through
  /// min + (k - 5) g, k = 0, 1, ... while h < max + 5 g (at most 111 values;
  /// none when all estimates are equal); at each h the confusion matrix is
  /// counted and for Matthews' correlation, accuracy and informedness
  /// separately a value above the best so far (starting at 0) starts a new
  /// run, an equal value extends the current run or starts one after a
  /// lower value, and the result threshold is the mean of the thresholds of
  /// the last run that reached the best value (0 when no h reached a value
  /// >= 0). Afterwards the current confusion matrix is that of the last h.
  ///
  /// Sorts the estimates when they are not sorted. Returns kROCNotDicho,
  /// kROCLengthsDiffer, kROCNotFinite (checked in this order, outputs
  /// untouched), kROCEmptyClass, else kROCOk. O(n log n) for the sort plus
  /// O(n) per threshold.
  int32_t OptimizeThresholds(TDouble2DArray& ROCCoords, int32_t& BestROC, double& AUC,
                             double& ThreshMMC, double& ThreshAccuracy, double& ThreshInformedness);

 private:
  void Invalidate(bool Estimates);
  void EnsureDicho() const;
  bool CMReady(double& code, double notDicho, double noMatrix) const;

  TDoubleArray FTrueVec;
  TDoubleArray FEstVec;
  bool FIsSorted = false;
  bool FCMValid = false;
  mutable bool FDichoKnown = false;
  mutable bool FIsDicho = false;
  mutable double FDichoV1 = 0.0;
  mutable double FDichoV2 = 0.0;
  int64_t Ftp = 0;
  int64_t Ffp = 0;
  int64_t Ftn = 0;
  int64_t Ffn = 0;
  double FCFThresh = 0.0;
};

// ===========================================================================
// 4. TCrossValidator
// ===========================================================================

/// Repeated hold-out cross-validation of a model supplied through events.
///
/// Execute draws test sets of SizeTestSet objects (rows) at random, without
/// replacement across rounds, asks OnModelCreateRequest for a model of the
/// remaining objects, and asks OnModelApplyRequest for the responses of
/// each test object; it accumulates per response column (column of YMat)
/// the prediction error sum of squares and the classification counts,
/// until every object was tested once. Results stay until the next Execute
/// or SetSizeTestSet.
///
/// Ownership: XMat and YMat refer to the caller's matrices, which must
/// outlive their use; the validator never frees them. Until the caller sets
/// them they refer to 1 x 1 matrices holding 0 that the validator owns.
/// Setting null makes Execute throw.
///
/// Random draws use the process-wide generator of core/zel_random.hpp
/// (Random(n)), so SetRandSeed fixes the test sets.
class TCrossValidator : public TComponent {
 public:
  /// Test size 2; no results; XMat and YMat refer to owned 1 x 1 matrices.
  explicit TCrossValidator(TComponent* AOwner);
  ~TCrossValidator() override;
  /// "TCrossValidator".
  std::string ClassName() const override { return "TCrossValidator"; }

  /// The predictor matrix (objects in rows); null when unset by the caller.
  TMatrix* GetXMat() const { return FXMat; }
  /// Refers to Mat (not owned; null allowed).
  void SetXMat(TMatrix* Mat) { FXMat = Mat; }
  /// The response matrix (objects in rows, one column per response).
  TMatrix* GetYMat() const { return FYMat; }
  /// Refers to Mat (not owned; null allowed).
  void SetYMat(TMatrix* Mat) { FYMat = Mat; }
  /// The requested test-set size (Execute uses at most rows/2 + 1).
  int32_t GetSizeTestSet() const { return FTestSize; }
  /// Values below 1 become 1; clears the results to the no-result marker
  /// (counts and PRESS -1, so every derived value is -1).
  void SetSizeTestSet(int32_t Size);
  /// True while Execute runs.
  bool IsExecuting() const { return FIsRunning; }

  /// Fired before each round (see TOnModelCreateRequestEvent).
  TOnModelCreateRequestEvent OnModelCreateRequest;
  /// Fired for each test object (see TOnModelApplyRequestEvent).
  TOnModelApplyRequestEvent OnModelApplyRequest;
  /// Fired after each test object when assigned; setting Abort ends the run.
  TOnCheckAbortEvent OnCheckAbort;

  /// Runs the cross-validation.
  ///
  /// Each round draws the test set: when the test size (capped at rows/2 +
  /// 1) is at least the number of untested objects, all of them; else that
  /// many objects, each a uniformly random row moved forward (wrapping) to
  /// the next untested one. The training list is every other row. When the
  /// model is created, each test object is applied in ascending order and
  /// per column c with true value y: PRESS[c] += (Response[c] - y)^2; y == 1
  /// is positive and counts a true positive when Response[c] > Thresh[c],
  /// else a false negative; any other y is negative and counts a false
  /// positive when Response[c] >= Thresh[c], else a true negative (a NaN
  /// response counts as a negative prediction and makes PRESS NaN). When
  /// the model is not created, the round's objects return to the pool; after
  /// 100 consecutive failures the run ends as aborted.
  ///
  /// Returns true when every object was tested, false when OnCheckAbort
  /// aborted (or creation kept failing; all counts and PRESS then hold the
  /// no-result marker -1) or when Execute is called from one of its own
  /// handlers (nothing changes).
  /// @throws EZELStatisError, before anything changes, in this order:
  ///   "TCrossValidator.Execute: data matrix not assigned",
  ///   "TCrossValidator.Execute: number of rows of XMat and YMat not equal",
  ///   "TCrossValidator: OnModelApplyRequest event is not assigned",
  ///   "TCrossValidator: OnModelCreateRequest event is not assigned".
  /// @throws EZELStatisError "TCrossValidator.Execute: response arrays
  ///   shorter than the number of response columns" when an apply handler
  ///   shrinks Response or Thresh, and "TCrossValidator.Execute: data
  ///   matrices changed during the run" when a handler changes the size of
  ///   XMat or YMat or replaces them; the results then hold the no-result
  ///   marker. Exceptions of the handlers pass through, with the same
  ///   results.
  bool Execute();

  ///@{
  /// Results per response column ix (1-based); 0 outside 1..columns of the
  /// last run. While the counts hold the no-result marker (after an aborted
  /// run or SetSizeTestSet) every value is -1. RMSEP = sqrt(PRESS/rows)
  /// (0 for a run over no rows); TPRate = tp/(tp + fn) (0 without
  /// positives); FPRate = fp/(tn + fp) (1 without negatives); TNRate =
  /// tn/(tn + fp) (0 without negatives); FNRate = fn/(tp + fn) (1 without
  /// positives); Accuracy, F1Score and MatthewsCorr as CFAccuracy,
  /// CFF1Score and CFMatthewsCorr.
  double GetRMSEP(int32_t ix) const;
  double GetTPRate(int32_t ix) const;
  double GetFPRate(int32_t ix) const;
  double GetTNRate(int32_t ix) const;
  double GetFNRate(int32_t ix) const;
  double GetAccuracy(int32_t ix) const;
  double GetF1Score(int32_t ix) const;
  double GetMatthewsCorr(int32_t ix) const;
  ///@}
  ///@{
  /// Counts per response column ix (1-based); 0 outside, -1 as no-result
  /// marker.
  int64_t GetTPCnt(int32_t ix) const;
  int64_t GetTNCnt(int32_t ix) const;
  int64_t GetFPCnt(int32_t ix) const;
  int64_t GetFNCnt(int32_t ix) const;
  ///@}

 private:
  bool HasResult(int32_t ix) const;
  void MarkNoResult();

  int32_t FTestSize = 2;
  int32_t FRowsRun = 0;
  std::vector<long double> FPress;
  std::vector<int64_t> FTPCnt;
  std::vector<int64_t> FFPCnt;
  std::vector<int64_t> FTNCnt;
  std::vector<int64_t> FFNCnt;
  bool FIsRunning = false;
  std::unique_ptr<TMatrix> FOwnX;
  std::unique_ptr<TMatrix> FOwnY;
  TMatrix* FXMat = nullptr;
  TMatrix* FYMat = nullptr;
};

}  // namespace zel
