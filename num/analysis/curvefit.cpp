// TCurveFit: points, running sums, descriptive and rank statistics, ASC
// files, status texts.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "core/zel_filesys.hpp"
#include "core/zel_stringl.hpp"
#include "num/analysis/curvefit_impl.hpp"
#include "num/analysis/zel_curvefit.hpp"
#include "num/arrays/zel_openarrays.hpp"
#include "num/math1/zel_math1.hpp"
#include "num/matrix/zel_matrix.hpp"
#include "num/statis/zel_statis.hpp"
#include "num/vector/vector_kernels_impl.hpp"
#include "num/vector/zel_vector.hpp"

namespace zel {

using S = TCurveFitSum;
using curvefit_detail::kNearZero;

namespace {

constexpr double kLargest = std::numeric_limits<double>::max();

constexpr size_t Ix(S s) { return static_cast<size_t>(s); }
constexpr size_t Ix(TCurveFitError e) { return static_cast<size_t>(e); }

// Extremes that stay NaN once a NaN arrived.
void TakeMin(double& m, double v) {
  if (std::isnan(m)) return;
  if (std::isnan(v) || v < m) m = v;
}
void TakeMax(double& m, double v) {
  if (std::isnan(m)) return;
  if (std::isnan(v) || v > m) m = v;
}

// A column of 1..n values as a one-column matrix, for the delegated order
// statistics.
std::unique_ptr<TMatrix> ColumnMatrix(const std::vector<double>& v) {
  auto m = std::make_unique<TMatrix>(nullptr);
  TDouble2DArray a(1, v);
  m->ReplaceData(std::move(a));
  return m;
}

// Mid-ranks (1-based) and the tie term Sum (t^3 - t)/12.
void MidRanks(const std::vector<double>& v, std::vector<double>& rank, double& tieTerm) {
  const size_t n = v.size();
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return v[a] < v[b]; });
  rank.assign(n, 0.0);
  long double t = 0.0L;
  for (size_t i = 0; i < n;) {
    size_t j = i + 1;
    while (j < n && v[order[j]] == v[order[i]]) ++j;
    const double r = (static_cast<double>(i) + static_cast<double>(j) + 1.0) / 2.0;
    for (size_t k = i; k < j; ++k) rank[order[k]] = r;
    const auto g = static_cast<long double>(j - i);
    t += (g * g * g - g) / 12.0L;
    i = j;
  }
  tieTerm = static_cast<double>(t);
}

}  // namespace

// ---------------------------------------------------------------------------
// Status texts
// ---------------------------------------------------------------------------

const char* RegModelStatusText(int32_t status) {
  switch (status) {
    case kRegModelOk: return "success";
    case kRegModelTooFewPoints: return "there are too few data points for the model";
    case kRegModelNone: return "no regression model was requested";
    case kRegModelFitFailed: return "the fit gave no model (data not finite)";
    default: return "unknown regression model status";
  }
}

const char* PredictStatusText(int32_t status) {
  switch (status) {
    case kPredictOk: return "success";
    case kPredictBadProbability: return "the probability must lie in [0.5, 1)";
    // The model's own failures read as CalcRegModel's.
    case kPredictTooFewPoints: return RegModelStatusText(kRegModelTooFewPoints);
    case kPredictNoModel: return RegModelStatusText(kRegModelNone);
    case kPredictFitFailed: return RegModelStatusText(kRegModelFitFailed);
    case kPredictNoDegreesOfFreedom:
      return "too few points or no spread in x: the intervals could not be computed";
    default: return "unknown prediction status";
  }
}

const char* AnovaRegStatusText(int32_t status) {
  switch (status) {
    case kAnovaOk: return "success";
    case kAnovaNoDegreesOfFreedom:
      return "a degree of freedom is zero or negative: mean squares and F are not defined";
    default: return "unknown analysis of variance status";
  }
}

static_assert(kCurveFitAscBadAttribute == kVecAscBadRowAttribute);

const char* CurveFitAscStatusText(int32_t status) {
  switch (status) {
    // The header's codes and the row attribute read as the vector import
    // words them (the same codes for the same faults).
    case kAscOk:
    case kAscCannotRead:
    case kAscBadColumnCount:
    case kAscBadRowCount:
    case kAscBadFlags:
    case kCurveFitAscBadAttribute: return VectorImportStatusText(status);
    case kCurveFitAscBadValue: return "a row, a name or a value is missing or not valid";
    case kCurveFitAscNominal: return "the file declares nominal variables";
    default: return "unknown curve fit file status";
  }
}

// ---------------------------------------------------------------------------
// Construction, points and running sums
// ---------------------------------------------------------------------------

TCurveFit::TCurveFit(TComponent* AOwner) : TComponent(AOwner) { ResetState(); }

TCurveFit::~TCurveFit() = default;

void TCurveFit::ResetState() {
  FX.clear();
  FY.clear();
  FSums.fill(0.0L);
  FErrCount.fill(0);
  FNonFinite = 0;
  FMinX = FMinY = kLargest;
  FMaxX = FMaxY = -kLargest;
  DiscardModel();
  ClearCaches();
}

void TCurveFit::Init() {
  ResetState();
  Changed();
}

void TCurveFit::ClearCaches() { FSplineValid = FPenSplineValid = FKendallValid = false; }

void TCurveFit::DiscardModel() {
  FRegMod = TRegModel::rmNone;
  for (auto& v : FModPars[0]) v = 0.0;
  for (auto& v : FModPars[1]) v = -1.0;
  FResids.clear();
  FModR2 = 0.0;
  FXShift = 0.0;
}

void TCurveFit::Changed() {
  if (OnChange) OnChange(this);
}

// The reciprocal and logarithmic terms are added only where they exist; the
// points where they do not are counted per reason instead, so that a
// removal restores the flags exactly and no sentinel value ever enters a
// sum.
void TCurveFit::AddToSums(double x, double y) {
  TakeMin(FMinX, x);
  TakeMax(FMaxX, x);
  TakeMin(FMinY, y);
  TakeMax(FMaxY, y);
  if (!std::isfinite(x) || !std::isfinite(y)) {
    ++FNonFinite;
    return;
  }
  auto& s = FSums;
  const long double X = x, Y = y;
  s[Ix(S::sumx)] += X;
  s[Ix(S::sumy)] += Y;
  s[Ix(S::sumxq)] += X * X;
  s[Ix(S::sumyq)] += Y * Y;
  s[Ix(S::sumDiff)] += X - Y;
  s[Ix(S::SumDiffq)] += (X - Y) * (X - Y);
  s[Ix(S::sumxy)] += X * Y;
  s[Ix(S::sumx2y)] += X * X * Y;
  s[Ix(S::sumxy2)] += X * Y * Y;
  s[Ix(S::sumx3)] += X * X * X;
  s[Ix(S::sumy3)] += Y * Y * Y;
  s[Ix(S::sumx4)] += X * X * X * X;
  s[Ix(S::sumy4)] += Y * Y * Y * Y;
  const bool xz = std::fabs(x) <= kNearZero, yz = std::fabs(y) <= kNearZero;
  const bool xp = x > 0.0, yp = y > 0.0;
  if (xz) ++FErrCount[Ix(TCurveFitError::cfeXEQ0)];
  if (yz) ++FErrCount[Ix(TCurveFitError::cfeYEQ0)];
  if (!xp) ++FErrCount[Ix(TCurveFitError::cfeXLE0)];
  if (!yp) ++FErrCount[Ix(TCurveFitError::cfeYLE0)];
  if (!yz) {
    s[Ix(S::sum1byy)] += 1.0L / Y;
    s[Ix(S::sum1byyq)] += 1.0L / (Y * Y);
    s[Ix(S::sumxbyy)] += X / Y;
  }
  if (!xz) {
    s[Ix(S::sum1byx)] += 1.0L / X;
    s[Ix(S::sum1byxq)] += 1.0L / (X * X);
    s[Ix(S::sumybyx)] += Y / X;
  }
  if (!xz && !yz) s[Ix(S::sum1byxy)] += 1.0L / (X * Y);
  const long double lx = xp ? std::log(X) : 0.0L, ly = yp ? std::log(Y) : 0.0L;
  if (xp) {
    s[Ix(S::sumlnx)] += lx;
    s[Ix(S::sumlnxq)] += lx * lx;
    s[Ix(S::sumylnx)] += Y * lx;
    s[Ix(S::sumxlnx)] += X * lx;
    s[Ix(S::sumyqlnx)] += Y * Y * lx;
    if (!yz) s[Ix(S::sumlnxbyy)] += lx / Y;
  }
  if (yp) {
    s[Ix(S::sumlny)] += ly;
    s[Ix(S::sumlnyq)] += ly * ly;
    s[Ix(S::sumxlny)] += X * ly;
    s[Ix(S::sumylny)] += Y * ly;
    s[Ix(S::sumxqlny)] += X * X * ly;
    if (!xz) s[Ix(S::sumlnybyx)] += ly / X;
  }
  if (xp && yp) s[Ix(S::sumlnxlny)] += lx * ly;
}

void TCurveFit::RecomputeSums() {
  FSums.fill(0.0L);
  FErrCount.fill(0);
  FNonFinite = 0;
  FMinX = FMinY = kLargest;
  FMaxX = FMaxY = -kLargest;
  for (size_t i = 0; i < FX.size(); ++i) AddToSums(FX[i], FY[i]);
}

TCurveFitErrors TCurveFit::GetErrIndic() const {
  auto s = TCurveFitErrors::None;
  for (int32_t e = 0; e < 4; ++e)
    if (FErrCount[static_cast<size_t>(e)] > 0) s = s | ToSet(static_cast<TCurveFitError>(e));
  return s;
}

int32_t TCurveFit::EnterStatValue(double x, double y) {
  if (FX.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    throw EZELMath2Error("EnterStatValue: too many data points");
  FX.push_back(x);
  FY.push_back(y);
  AddToSums(x, y);
  DiscardModel();
  ClearCaches();
  const int32_t n = GetNumData();
  Changed();
  return n;
}

void TCurveFit::RemoveStatValue(int32_t ix) {
  ClearCaches();
  if (ix < 1 || ix > GetNumData()) return;
  FX.erase(FX.begin() + (ix - 1));
  FY.erase(FY.begin() + (ix - 1));
  // Subtracting the point's terms would leave rounding residue (and an
  // extreme could not be subtracted at all); removal shifts every later
  // point anyway, so one more pass costs no more in order.
  RecomputeSums();
  DiscardModel();
  Changed();
}

void TCurveFit::FlipXY() {
  std::swap(FX, FY);
  std::swap(FMinX, FMinY);
  std::swap(FMaxX, FMaxY);
  auto& s = FSums;
  const std::pair<S, S> pairs[] = {
      {S::sumx, S::sumy},           {S::sumxq, S::sumyq},      {S::sumx2y, S::sumxy2},
      {S::sumx3, S::sumy3},         {S::sumx4, S::sumy4},      {S::sum1byy, S::sum1byx},
      {S::sum1byyq, S::sum1byxq},   {S::sumxbyy, S::sumybyx},  {S::sumlnx, S::sumlny},
      {S::sumlnxq, S::sumlnyq},     {S::sumylnx, S::sumxlny},  {S::sumxlnx, S::sumylny},
      {S::sumlnxbyy, S::sumlnybyx}, {S::sumxqlny, S::sumyqlnx}};
  for (const auto& [a, b] : pairs) std::swap(s[Ix(a)], s[Ix(b)]);
  s[Ix(S::sumDiff)] = -s[Ix(S::sumDiff)];
  std::swap(FErrCount[Ix(TCurveFitError::cfeXLE0)], FErrCount[Ix(TCurveFitError::cfeYLE0)]);
  std::swap(FErrCount[Ix(TCurveFitError::cfeXEQ0)], FErrCount[Ix(TCurveFitError::cfeYEQ0)]);
  DiscardModel();
  ClearCaches();
  Changed();
}

double TCurveFit::GetDataX(int32_t ix) const {
  return ix >= 1 && ix <= GetNumData() ? FX[static_cast<size_t>(ix - 1)] : 0.0;
}

double TCurveFit::GetDataY(int32_t ix) const {
  return ix >= 1 && ix <= GetNumData() ? FY[static_cast<size_t>(ix - 1)] : 0.0;
}

// ---------------------------------------------------------------------------
// Descriptive statistics
// ---------------------------------------------------------------------------

double TCurveFit::MeanOf(const std::vector<double>& v) const {
  return static_cast<double>(curvefit_detail::Mean(v));
}

double TCurveFit::StdDevOf(const std::vector<double>& v) const {
  const size_t n = v.size();
  if (n < 3) return 0.0;
  const long double m = curvefit_detail::Mean(v);
  long double ss = 0.0L;
  for (double a : v) ss += (a - m) * (a - m);
  return static_cast<double>(std::sqrt(ss / static_cast<long double>(n - 1)));
}

double TCurveFit::DiffMean() const {
  const size_t n = FX.size();
  if (n == 0) return 0.0;
  long double m = 0.0L;
  for (size_t i = 0; i < n; ++i) m += static_cast<long double>(FX[i]) - FY[i];
  return static_cast<double>(m / static_cast<long double>(n));
}

void TCurveFit::CalcStatistics(int32_t& NumData, double& MeanX, double& MeanY, double& StdevX,
                               double& StdevY, double& MeanDiff, double& StdevDiff,
                               double& rxy) const {
  NumData = GetNumData();
  MeanX = MeanY = StdevX = StdevY = MeanDiff = StdevDiff = rxy = 0.0;
  if (NumData == 0) return;
  MeanX = GetMeanX();
  MeanY = GetMeanY();
  MeanDiff = GetMeanDiff();
  if (NumData < 3) return;
  StdevX = GetStdDevX();
  StdevY = GetStdDevY();
  StdevDiff = GetStdDevDiff();
  rxy = GetCorrCoeff();
}

double TCurveFit::GetMeanX() const { return MeanOf(FX); }
double TCurveFit::GetMeanY() const { return MeanOf(FY); }
double TCurveFit::GetMeanDiff() const { return DiffMean(); }

double TCurveFit::GetRMSDiff() const {
  const size_t n = FX.size();
  if (n == 0) return 0.0;
  long double ss = 0.0L;
  for (size_t i = 0; i < n; ++i) {
    const long double d = static_cast<long double>(FX[i]) - FY[i];
    ss += d * d;
  }
  return static_cast<double>(std::sqrt(ss / static_cast<long double>(n)));
}

double TCurveFit::GetStdDevX() const { return StdDevOf(FX); }
double TCurveFit::GetStdDevY() const { return StdDevOf(FY); }

double TCurveFit::GetStdDevDiff() const {
  const size_t n = FX.size();
  if (n < 3) return 0.0;
  long double m = 0.0L;
  for (size_t i = 0; i < n; ++i) m += static_cast<long double>(FX[i]) - FY[i];
  m /= static_cast<long double>(n);
  long double ss = 0.0L;
  for (size_t i = 0; i < n; ++i) {
    const long double e = static_cast<long double>(FX[i]) - FY[i] - m;
    ss += e * e;
  }
  return static_cast<double>(std::sqrt(ss / static_cast<long double>(n - 1)));
}

double TCurveFit::GetCorrCoeff() const {
  const size_t n = FX.size();
  return n <= 2 ? 0.0 : vector_detail::PearsonOf(FX.data(), FY.data(), n);
}

namespace {

// atan2 cannot divide by zero: C = 0 gives 90 or 270, S = C = 0 gives 0.
double MeanAngle(const std::vector<double>& v) {
  constexpr long double kPi = 3.1415926535897932385L;
  long double s = 0.0L, c = 0.0L;
  for (double a : v) {
    const long double r = static_cast<long double>(a) * kPi / 180.0L;
    s += std::sin(r);
    c += std::cos(r);
  }
  long double deg = std::atan2(s, c) * 180.0L / kPi;
  if (deg < 0.0L) deg += 360.0L;
  const auto d = static_cast<double>(deg);
  return d >= 360.0 ? 0.0 : d;
}

}  // namespace

double TCurveFit::GetMeanAngleX() const { return MeanAngle(FX); }
double TCurveFit::GetMeanAngleY() const { return MeanAngle(FY); }

// ---------------------------------------------------------------------------
// Rank statistics
// ---------------------------------------------------------------------------

// Pair counts in O(n log n) (Knight, JASA 61, 1966): sort by (x, y), count
// the x ties and joint ties, count the discordant pairs as the inversions of
// y in that order by merge sort, then the y ties; concordant pairs are what
// remains. Counts are 64-bit: n = 65,536 already has 2^31 pairs.
void TCurveFit::RankCounts() {
  if (FKendallValid) return;
  FKendallConcord = FKendallDiscord = FKendallTies1 = FKendallTies2 = 0;
  FKendallNaN = false;
  const size_t n = FX.size();
  for (size_t i = 0; i < n; ++i)
    if (std::isnan(FX[i]) || std::isnan(FY[i])) FKendallNaN = true;
  FKendallValid = true;
  if (FKendallNaN || n < 2) return;
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), size_t{0});
  std::sort(order.begin(), order.end(),
            [&](size_t a, size_t b) { return FX[a] < FX[b] || (FX[a] == FX[b] && FY[a] < FY[b]); });
  const auto pairs = [](int64_t t) { return t * (t - 1) / 2; };
  int64_t tiedX = 0, tiedBoth = 0, tiedY = 0, discord = 0;
  for (size_t i = 0; i < n;) {
    size_t j = i;
    while (j < n && FX[order[j]] == FX[order[i]]) ++j;
    tiedX += pairs(static_cast<int64_t>(j - i));
    for (size_t k = i; k < j;) {
      size_t l = k;
      while (l < j && FY[order[l]] == FY[order[k]]) ++l;
      tiedBoth += pairs(static_cast<int64_t>(l - k));
      k = l;
    }
    i = j;
  }
  std::vector<double> y(n), buf(n);
  for (size_t i = 0; i < n; ++i) y[i] = FY[order[i]];
  for (size_t width = 1; width < n; width *= 2) {
    for (size_t lo = 0; lo < n; lo += 2 * width) {
      const size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
      size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) {
        if (y[i] <= y[j]) {
          buf[k++] = y[i++];
        } else {
          discord += static_cast<int64_t>(mid - i);
          buf[k++] = y[j++];
        }
      }
      while (i < mid) buf[k++] = y[i++];
      while (j < hi) buf[k++] = y[j++];
    }
    std::swap(y, buf);
  }
  for (size_t i = 0; i < n;) {
    size_t j = i;
    while (j < n && y[j] == y[i]) ++j;
    tiedY += pairs(static_cast<int64_t>(j - i));
    i = j;
  }
  FKendallDiscord = discord;
  FKendallTies1 = tiedY - tiedBoth;
  FKendallTies2 = tiedX - tiedBoth;
  FKendallConcord = pairs(static_cast<int64_t>(n)) - tiedX - tiedY + tiedBoth - discord;
}

double TCurveFit::KendallsTau(double& p) {
  p = 0.0;
  RankCounts();
  if (FKendallNaN) {
    p = std::numeric_limits<double>::quiet_NaN();
    return p;
  }
  const auto c = static_cast<double>(FKendallConcord), d = static_cast<double>(FKendallDiscord);
  const double root = std::sqrt((c + d + static_cast<double>(FKendallTies1)) *
                                (c + d + static_cast<double>(FKendallTies2)));
  if (root == 0.0) return 0.0;
  const double tau = (c - d) / root;
  const auto n = static_cast<double>(FX.size());
  const double sigma = std::sqrt((4.0 * n + 10.0) / (9.0 * n * (n - 1.0)));
  p = 1.0 - ErfApprox(std::fabs(tau / sigma) / std::sqrt(2.0));
  return tau;
}

double TCurveFit::GetKruskalGamma() {
  RankCounts();
  if (FKendallNaN) return std::numeric_limits<double>::quiet_NaN();
  const auto c = static_cast<double>(FKendallConcord), d = static_cast<double>(FKendallDiscord);
  return c + d == 0.0 ? 0.0 : (c - d) / (c + d);
}

double TCurveFit::GetSpearmanRankCorr() const {
  const size_t n = FX.size();
  if (n < 3) return 0.0;
  for (size_t i = 0; i < n; ++i)
    if (std::isnan(FX[i]) || std::isnan(FY[i])) return std::numeric_limits<double>::quiet_NaN();
  std::vector<double> rx, ry;
  double tx = 0, ty = 0;
  MidRanks(FX, rx, tx);
  MidRanks(FY, ry, ty);
  TKahanSum dsum;
  for (size_t i = 0; i < n; ++i) dsum.Add((rx[i] - ry[i]) * (rx[i] - ry[i]));
  const double D = dsum.Sum;
  const auto nn = static_cast<double>(n);
  const double w = nn * (nn * nn - 1.0);
  if (tx == 0.0 && ty == 0.0) return 1.0 - 6.0 * D / w;
  if (w == 12.0 * tx || w == 12.0 * ty) return 0.0;
  return (w - 6.0 * (D + tx + ty)) / (std::sqrt(w - 12.0 * tx) * std::sqrt(w - 12.0 * ty));
}

double TCurveFit::Percentile(const std::vector<double>& v, double prob) const {
  if (v.empty()) return 0.0;
  const auto m = ColumnMatrix(v);
  return m->Percentile(prob, 1, 1, 1, static_cast<int32_t>(v.size()));
}

double TCurveFit::PercentileX(double prob) const { return Percentile(FX, prob); }
double TCurveFit::PercentileY(double prob) const { return Percentile(FY, prob); }

void TCurveFit::Quartiles(const std::vector<double>& v, double& q1, double& q2, double& q3) const {
  q1 = q2 = q3 = 0.0;
  if (v.empty()) return;
  const auto m = ColumnMatrix(v);
  m->Quartiles(1, 1, 1, static_cast<int32_t>(v.size()), q1, q2, q3);
}

void TCurveFit::QuartilesX(double& q1, double& q2, double& q3) const { Quartiles(FX, q1, q2, q3); }
void TCurveFit::QuartilesY(double& q1, double& q2, double& q3) const { Quartiles(FY, q1, q2, q3); }

// Sample skewness and kurtosis (TMatrix::SkewKurtSample); 0, 0 for no values.
std::pair<double, double> TCurveFit::SkewKurt(const std::vector<double>& v) const {
  double skew = 0.0, kurt = 0.0;
  if (!v.empty())
    ColumnMatrix(v)->SkewKurtSample(1, 1, 1, static_cast<int32_t>(v.size()), skew, kurt);
  return {skew, kurt};
}

double TCurveFit::GetSkewnessX() const { return SkewKurt(FX).first; }
double TCurveFit::GetSkewnessY() const { return SkewKurt(FY).first; }
double TCurveFit::GetKurtosisX() const { return SkewKurt(FX).second; }
double TCurveFit::GetKurtosisY() const { return SkewKurt(FY).second; }

// ---------------------------------------------------------------------------
// ASC files
// ---------------------------------------------------------------------------

namespace {

std::string AscNumber(double v, int32_t precision) {
  if (precision >= 0) return strff(v, 1, std::min(precision, 64));
  // Width 26 gives 18 significant digits: enough to read back every double.
  std::string s = strff(v, 26, -1);
  const size_t first = s.find_first_not_of(' ');
  return first == std::string::npos ? s : s.substr(first);
}

// Splits a row line into words; a double-quoted name is one word (with its
// quotes). False when a quote is not closed.
bool SplitRow(const std::string& line, std::vector<std::string>& words) {
  words.clear();
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i >= line.size()) break;
    const size_t start = i;
    if (line[i] == '"') {
      const size_t close = line.find('"', i + 1);
      if (close == std::string::npos) return false;
      i = close + 1;
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    }
    words.push_back(line.substr(start, i - start));
  }
  return true;
}

bool IsBlankLine(const std::string& line) {
  return line.find_first_not_of(" \t\r") == std::string::npos;
}

}  // namespace

std::string TCurveFit::ExportAsASC(const std::string& FName, const std::string& Comment,
                                   int32_t Precision) const {
  std::string comment = Comment.empty() ? "Exported by ZEL TCurveFit component: " + FName : Comment;
  for (char& c : comment)
    if (c == '\n' || c == '\r') c = ' ';
  TTextFile f;
  if (!f.Rewrite(FName)) return "TCurveFit.ExportAsASC: cannot create file \"" + FName + "\"";
  bool ok = f.WriteLn(comment) && f.WriteLn("2\t;nr. of columns") &&
            f.WriteLn(std::to_string(FX.size()) + "\t;nr. of rows") &&
            f.WriteLn("FALSE TRUE FALSE\t;row attributes, column names, row names") &&
            f.WriteLn("x   y");
  for (size_t i = 0; ok && i < FX.size(); ++i)
    ok = f.WriteLn(AscNumber(FX[i], Precision) + "\t" + AscNumber(FY[i], Precision));
  const bool closed = f.Close();
  if (!ok || !closed) return "TCurveFit.ExportAsASC: writing file \"" + FName + "\" failed";
  return "";
}

int32_t TCurveFit::ImportASC(const std::string& FName) {
  ClearCaches();
  TTextFile f;
  if (!f.Reset(FName)) return kAscCannotRead;
  TAscHeader h;
  const int32_t status = ReadHeaderOfASC(f, h);
  if (status != kAscOk) return status;
  if (h.NrOfColumns != 2) {
    DiscardModel();
    throw EZELMath2Error("TCurveFit.ImportASC: number of columns must be 2 (is actually " +
                         std::to_string(h.NrOfColumns) + ").");
  }
  if (h.NominalVars) return kCurveFitAscNominal;
  std::string line;
  std::vector<std::string> words;
  if (h.ColumnNames) {
    if (!f.ReadLn(line)) return kCurveFitAscBadValue;
    if (line.find('"') != std::string::npos) {
      int32_t pos = 1;
      std::string name;
      for (int c = 0; c < 2; ++c)
        if (!ParseQuotedName(line, pos, name)) return kCurveFitAscBadValue;
    }
  }
  std::vector<double> xs, ys;
  // The header has checked the count against the file size; a pipe has no
  // size, so there the arrays grow with the rows.
  const size_t reserve =
      f.IsSequential() ? std::min<size_t>(h.NrOfRows, 4096) : static_cast<size_t>(h.NrOfRows);
  xs.reserve(reserve);
  ys.reserve(reserve);
  const size_t expect = 2 + (h.RowAttributes ? 1 : 0) + (h.RowNames ? 1 : 0);
  for (int32_t row = 0; row < h.NrOfRows; ++row) {
    do {
      if (!f.ReadLn(line)) return h.RowAttributes ? kCurveFitAscBadAttribute : kCurveFitAscBadValue;
    } while (IsBlankLine(line));
    if (!SplitRow(line, words)) return kCurveFitAscBadValue;
    size_t w = 0;
    double v = 0;
    if (h.RowAttributes) {
      if (words.empty() || !TryStrToFloat(words[0], v)) return kCurveFitAscBadAttribute;
      ++w;
    }
    if (h.RowNames) {
      if (w >= words.size() || words[w].front() != '"') return kCurveFitAscBadValue;
      ++w;
    }
    if (words.size() != expect) return kCurveFitAscBadValue;
    double x = 0, y = 0;
    if (!TryStrToFloat(words[w], x) || !TryStrToFloat(words[w + 1], y)) return kCurveFitAscBadValue;
    xs.push_back(x);
    ys.push_back(y);
  }
  if (f.HasReadError()) return kCurveFitAscBadValue;
  // Commit: reset, then the points and their sums in one go.
  ResetState();
  FX = std::move(xs);
  FY = std::move(ys);
  RecomputeSums();
  Changed();
  return kAscOk;
}

}  // namespace zel
