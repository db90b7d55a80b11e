#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/zel_dstruct.hpp"
#include "core/zel_random.hpp"
#include "core/zel_system.hpp"
#include "num/statis/zel_classeval.hpp"

namespace zel {

// ---------------------------------------------------------------------------
// Status texts
// ---------------------------------------------------------------------------

const char* ClassifPerfStatusText(int32_t status) {
  switch (status) {
    case kClassifPerfOk: return "the class counts were derived";
    case kClassifPerfNotSquare: return "the confusion matrix is missing or not square";
    case kClassifPerfBadClass: return "the class index is outside the confusion matrix";
    case kClassifPerfTotalsCol: return "the counts were derived; a totals column was ignored";
    default: return "unknown classifier performance status";
  }
}

const char* CFEvalStatusText(int32_t status) {
  switch (status) {
    case kCFEvalOk: return "done";
    case kCFEvalFailed:
      return "bad column, true values and estimates differ in length, or no confusion matrix "
             "is current";
    case kCFEvalNotDicho: return "the true values do not take exactly two values";
    case kCFEvalNaNEstimate: return "an estimate is not a number";
    default: return "unknown classifier evaluation status";
  }
}

const char* ROCStatusText(int32_t status) {
  switch (status) {
    case kROCOk: return "the ROC curve and the thresholds were computed";
    case kROCNotDicho: return "the true values do not take exactly two values";
    case kROCEmptyClass: return "one class has no object";
    case kROCLengthsDiffer: return "true values and estimates differ in length";
    case kROCNotFinite: return "an estimate is not finite";
    default: return "unknown ROC status";
  }
}

// ---------------------------------------------------------------------------
// TCrossValidator
// ---------------------------------------------------------------------------

TCrossValidator::TCrossValidator(TComponent* AOwner)
    : TComponent(AOwner),
      FOwnX(std::make_unique<TMatrix>(nullptr)),
      FOwnY(std::make_unique<TMatrix>(nullptr)),
      FXMat(FOwnX.get()),
      FYMat(FOwnY.get()) {}

// Only the two default matrices are owned; the caller's are never freed.
TCrossValidator::~TCrossValidator() = default;

void TCrossValidator::MarkNoResult() {
  for (auto* v : {&FTPCnt, &FFPCnt, &FTNCnt, &FFNCnt}) v->assign(v->size(), -1);
  FPress.assign(FPress.size(), -1.0L);
}

void TCrossValidator::SetSizeTestSet(int32_t Size) {
  FTestSize = Size < 1 ? 1 : Size;
  MarkNoResult();
}

namespace {

// Restores the running flag on every way out, exceptions included.
struct TRunningGuard {
  bool& flag;
  explicit TRunningGuard(bool& f) : flag(f) { flag = true; }
  ~TRunningGuard() { flag = false; }
  TRunningGuard(const TRunningGuard&) = delete;
  TRunningGuard& operator=(const TRunningGuard&) = delete;
};

// A handler may not fail forever: after this many refusals in a row the run
// ends as aborted instead of drawing rounds without end.
constexpr int32_t kMaxCreateFailures = 100;

}  // namespace

bool TCrossValidator::Execute() {
  if (FIsRunning) return false;
  if (FXMat == nullptr || FYMat == nullptr)
    throw EZELStatisError("TCrossValidator.Execute: data matrix not assigned");
  if (FXMat->GetNrOfRows() != FYMat->GetNrOfRows())
    throw EZELStatisError("TCrossValidator.Execute: number of rows of XMat and YMat not equal");
  if (!OnModelApplyRequest)
    throw EZELStatisError("TCrossValidator: OnModelApplyRequest event is not assigned");
  if (!OnModelCreateRequest)
    throw EZELStatisError("TCrossValidator: OnModelCreateRequest event is not assigned");

  TMatrix* const x = FXMat;
  TMatrix* const y = FYMat;
  const int32_t rows = x->GetNrOfRows();
  const int32_t nx = x->GetNrOfColumns();
  const int32_t ny = y->GetNrOfColumns();
  const auto nyz = static_cast<size_t>(ny > 0 ? ny : 0);
  const int32_t testSize = std::min(FTestSize, rows / 2 + 1);

  TRunningGuard running(FIsRunning);
  FRowsRun = rows;
  FPress.assign(nyz, 0.0L);
  FTPCnt.assign(nyz, 0);
  FFPCnt.assign(nyz, 0);
  FTNCnt.assign(nyz, 0);
  FFNCnt.assign(nyz, 0);
  // The results hold the no-result marker until the run completes, so an
  // exception from a handler leaves nothing half-counted behind.
  std::vector<long double> press(nyz, 0.0L);
  std::vector<int64_t> tpc(nyz, 0), fpc(nyz, 0), tnc(nyz, 0), fnc(nyz, 0);
  MarkNoResult();

  const auto sizesChanged = [&] {
    return FXMat != x || FYMat != y || x->GetNrOfRows() != rows || y->GetNrOfRows() != rows ||
           x->GetNrOfColumns() != nx || y->GetNrOfColumns() != ny;
  };

  // Test objects as a sorted list rather than a second bit field: a round
  // then costs O(rows) for the training list and O(test size) besides.
  TBitFld used(rows);
  TIntArray test;
  int64_t usedCount = 0, tested = 0;
  int32_t failures = 0;
  bool abort = false;
  TIntArray training;
  TDoubleArray predictors(static_cast<size_t>(nx > 0 ? nx : 0));
  TDoubleArray response, thresh;
  const auto percent = [&] {
    return rows > 0 ? static_cast<int32_t>(Round(100.0 * static_cast<double>(tested) / rows)) : 0;
  };

  while (usedCount < rows && !abort) {
    test.clear();
    if (testSize >= rows - usedCount) {
      for (int32_t i = 1; i <= rows; ++i)
        if (!used.GetBit(i)) {
          test.push_back(i);
          used.SetBit(i, true);
        }
      usedCount = rows;
    } else {
      for (int32_t d = 0; d < testSize; ++d) {
        int32_t r = Random(rows) + 1;
        while (used.GetBit(r)) r = r % rows + 1;
        used.SetBit(r, true);
        test.push_back(r);
        ++usedCount;
      }
      std::sort(test.begin(), test.end());
    }
    training.clear();
    training.reserve(static_cast<size_t>(rows) - test.size());
    auto next = test.begin();
    for (int32_t i = 1; i <= rows; ++i) {
      if (next != test.end() && *next == i)
        ++next;
      else
        training.push_back(i);
    }

    bool success = false;
    OnModelCreateRequest(this, percent(), training, success);
    if (sizesChanged())
      throw EZELStatisError("TCrossValidator.Execute: data matrices changed during the run");
    if (!success) {
      for (int32_t r : test) used.SetBit(r, false);
      usedCount -= static_cast<int64_t>(test.size());
      if (++failures >= kMaxCreateFailures) abort = true;
      continue;
    }
    failures = 0;
    for (size_t t = 0; t < test.size() && !abort; ++t) {
      const int32_t r = test[t];
      ++tested;
      for (int32_t c = 1; c <= nx; ++c) predictors[static_cast<size_t>(c - 1)] = x->GetVal(c, r);
      response.assign(nyz, 0.0);
      thresh.assign(nyz, 0.0);
      OnModelApplyRequest(this, percent(), predictors, response, thresh);
      if (sizesChanged())
        throw EZELStatisError("TCrossValidator.Execute: data matrices changed during the run");
      if (response.size() < nyz || thresh.size() < nyz)
        throw EZELStatisError(
            "TCrossValidator.Execute: response arrays shorter than the number of response "
            "columns");
      for (size_t c = 0; c < nyz; ++c) {
        const double yv = y->GetVal(static_cast<int32_t>(c + 1), r);
        const long double e = static_cast<long double>(response[c]) - yv;
        press[c] += e * e;
        if (yv != 1.0)
          (response[c] >= thresh[c] ? fpc : tnc)[c] += 1;
        else
          (response[c] > thresh[c] ? tpc : fnc)[c] += 1;
      }
      if (OnCheckAbort) OnCheckAbort(this, abort);
      if (sizesChanged())
        throw EZELStatisError("TCrossValidator.Execute: data matrices changed during the run");
    }
  }
  if (abort) return false;
  FPress = std::move(press);
  FTPCnt = std::move(tpc);
  FFPCnt = std::move(fpc);
  FTNCnt = std::move(tnc);
  FFNCnt = std::move(fnc);
  return true;
}

bool TCrossValidator::HasResult(int32_t ix) const {
  return ix >= 1 && static_cast<size_t>(ix) <= FTPCnt.size();
}

namespace {

// Rates of the validator: `none` when the denominator is empty.
double CountRate(int64_t num, int64_t den, double none) {
  return den > 0 ? static_cast<double>(num) / static_cast<double>(den) : none;
}

}  // namespace

#define ZEL_CV_RESULT(Name, Expr)                                                                  \
  double TCrossValidator::Name(int32_t ix) const {                                                 \
    if (!HasResult(ix)) return 0.0;                                                                \
    const auto i = static_cast<size_t>(ix - 1);                                                    \
    [[maybe_unused]] const int64_t tp = FTPCnt[i], fp = FFPCnt[i], tn = FTNCnt[i], fn = FFNCnt[i]; \
    if (tp < 0) return -1.0;                                                                       \
    return Expr;                                                                                   \
  }

ZEL_CV_RESULT(GetTPRate, CountRate(tp, tp + fn, 0.0))
ZEL_CV_RESULT(GetFPRate, CountRate(fp, tn + fp, 1.0))
ZEL_CV_RESULT(GetTNRate, CountRate(tn, tn + fp, 0.0))
ZEL_CV_RESULT(GetFNRate, CountRate(fn, tp + fn, 1.0))
ZEL_CV_RESULT(GetAccuracy, CFAccuracy(tp, fp, tn, fn))
ZEL_CV_RESULT(GetF1Score, CFF1Score(tp, fp, tn, fn))
ZEL_CV_RESULT(GetMatthewsCorr, CFMatthewsCorr(tp, fp, tn, fn))

#undef ZEL_CV_RESULT

double TCrossValidator::GetRMSEP(int32_t ix) const {
  if (!HasResult(ix)) return 0.0;
  const long double press = FPress[static_cast<size_t>(ix - 1)];
  // PRESS -1 is the no-result marker, not a sum: never take its root.
  if (press < 0.0L) return -1.0;
  if (FRowsRun <= 0) return 0.0;
  return static_cast<double>(std::sqrt(press / static_cast<long double>(FRowsRun)));
}

int64_t TCrossValidator::GetTPCnt(int32_t ix) const {
  return HasResult(ix) ? FTPCnt[static_cast<size_t>(ix - 1)] : 0;
}
int64_t TCrossValidator::GetTNCnt(int32_t ix) const {
  return HasResult(ix) ? FTNCnt[static_cast<size_t>(ix - 1)] : 0;
}
int64_t TCrossValidator::GetFPCnt(int32_t ix) const {
  return HasResult(ix) ? FFPCnt[static_cast<size_t>(ix - 1)] : 0;
}
int64_t TCrossValidator::GetFNCnt(int32_t ix) const {
  return HasResult(ix) ? FFNCnt[static_cast<size_t>(ix - 1)] : 0;
}

}  // namespace zel
