/// @file
/// Zel_math2, curve fitting: TCurveFit collects (x, y) points one at a time
/// and fits regression models to them (straight lines, parabola, circle,
/// polynomials by singular value decomposition, nine linearisable models),
/// evaluates and predicts with the current model, and computes descriptive
/// and rank statistics, cubic and smoothing splines and the ASC text files
/// of its points.
///
/// Families, in the order of this header:
///   1. Enumerations, tables and status codes
///   2. TCurveFit: points and running sums
///   3. TCurveFit: descriptive and rank statistics
///   4. TCurveFit: fits, evaluation, prediction and analysis of variance
///   5. TCurveFit: splines
///   6. TCurveFit: ASC files
///
/// Conventions of TCurveFit:
/// - Points are numbered from 1 in the order they were entered.
/// - Numbers: every statistic and every fit is computed from the stored
///   points, the means first, then centred sums in long double (80-bit),
///   whose exponent range holds the fourth power of any double, so data near
///   1e154 or 1e-160 neither overflow nor underflow. The running sums
///   (GetRunningSum) are kept as a record of the data and for the validity
///   counters; they are never used where raw sums would cancel.
/// - Non-finite points are stored and propagate: a NaN or infinite x or y
///   makes the statistics that use it NaN, never a silently skipped value;
///   the closed-form fits (line, line through the origin, parabola, circle)
///   then give NaN outputs and no model, the polynomial fits return false,
///   the linearisable fits throw their domain message. Such points do not
///   enter the running sums (which therefore stay removable), see
///   GetNonFiniteCount.
/// - A model stays current until the next fit, Init, or any change of the
///   data (EnterStatValue, RemoveStatValue, FlipXY, a successful ImportASC),
///   which discards it with its residuals. A fit that fails leaves no model.
/// - Errors that abort an operation throw EZELMath2Error with the message
///   '\<routine>: \<text>' as quoted per routine; the current model is
///   discarded before the throw. Routines with status results never throw
///   for bad input.
/// - Events: OnChange fires after every change of the data, once the object
///   is consistent again; a handler may call back into the object (even
///   change its data).
/// - No routine touches the progress globals; the object is not thread-safe
///   (one thread at a time).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/zel_classes.hpp"
#include "core/zel_filesys.hpp"
#include "core/zel_zelbase.hpp"
#include "num/analysis/zel_math2.hpp"

namespace zel {

// ===========================================================================
// 1. Enumerations, tables and status codes
// ===========================================================================

/// The regression models of TCurveFit (ordinals fixed). Evaluate gives their
/// formulas.
enum class TRegModel : int32_t {
  rmNone = 0,            ///< no model
  rmLinear = 1,          ///< k0 + k1 x
  rmParabolic = 2,       ///< k0 + k1 x + k2 x^2
  rmGaussian = 3,        ///< k0 exp(-(x - k1)^2 / k2)
  rmReciLin = 4,         ///< 1 / (k0 + k1 x)
  rmHyperbolic = 5,      ///< k0 + k1 / x
  rmReciHyperbolic = 6,  ///< x / (k1 + k0 x)
  rmLog = 7,             ///< k0 + k1 ln x
  rmReciLog = 8,         ///< 1 / (k0 + k1 ln x)
  rmPower = 9,           ///< k0 x^k1
  rmExpo = 10,           ///< k0 exp(k1 x)
  rmHoerl = 11,          ///< k0 k1^x x^k2
  rmCircle = 12,         ///< circle with centre (k0, k1) and radius k2
  rmPolynomial = 13,     ///< k0 + k1 x + ... + kn x^n
  rmCenteredPoly = 14,   ///< k0 + k1 (x - s) + ... + kn (x - s)^n, s = CPXShift
  rmLinearOrigin = 15    ///< k1 x
};

/// Number of TRegModel values.
inline constexpr int32_t kNumRegModels = 16;

/// Reasons why a transformed running sum lacks points (ordinals fixed); the
/// linearisable fits that need the transformation fail while one is set.
enum class TCurveFitError : int32_t {
  cfeXLE0 = 0,  ///< an x value <= 0 (no ln x)
  cfeYLE0 = 1,  ///< a y value <= 0 (no ln y)
  cfeXEQ0 = 2,  ///< an x value of magnitude <= 1e-30 (no 1/x)
  cfeYEQ0 = 3   ///< a y value of magnitude <= 1e-30 (no 1/y)
};

/// A set of TCurveFitError values as bit flags (bit i = ordinal i).
enum class TCurveFitErrors : uint8_t { None = 0 };
/// Union of two sets.
constexpr TCurveFitErrors operator|(TCurveFitErrors a, TCurveFitErrors b) {
  return static_cast<TCurveFitErrors>(static_cast<uint8_t>(a) | static_cast<uint8_t>(b));
}
/// The set holding one value.
constexpr TCurveFitErrors ToSet(TCurveFitError e) {
  return static_cast<TCurveFitErrors>(1u << static_cast<uint32_t>(e));
}
/// True when e is in s.
constexpr bool Contains(TCurveFitErrors s, TCurveFitError e) {
  return (static_cast<uint8_t>(s) & static_cast<uint8_t>(ToSet(e))) != 0;
}

/// The model names, identical to the enumeration names, indexed by ordinal.
inline constexpr std::array<const char*, kNumRegModels> IDS_REGMODEL = {
    "rmNone",    "rmLinear",     "rmParabolic",      "rmGaussian",
    "rmReciLin", "rmHyperbolic", "rmReciHyperbolic", "rmLog",
    "rmReciLog", "rmPower",      "rmExpo",           "rmHoerl",
    "rmCircle",  "rmPolynomial", "rmCenteredPoly",   "rmLinearOrigin"};

/// Minimum number of points per model (indexed by ordinal); -1 for the
/// polynomial models, whose fits check n > order themselves.
inline constexpr std::array<int32_t, kNumRegModels> REG_MINDP = {0, 2, 3, 3, 3, 3,  3,  3,
                                                                 3, 3, 3, 3, 3, -1, -1, 2};

/// The running sums of TCurveFit (GetRunningSum), over the finite points.
/// The reciprocal and logarithmic sums leave out the points where the term
/// is undefined (see TCurveFitError): 1/y needs |y| > 1e-30, 1/x |x| > 1e-30,
/// ln x needs x > 0, ln y y > 0, and a product needs both of its factors.
enum class TCurveFitSum : int32_t {
  sumx,
  sumy,
  sumxq,
  sumyq,
  sumDiff,
  SumDiffq,
  sumxy,
  sumx2y,
  sumxy2,
  sumx3,
  sumy3,
  sumx4,
  sumy4,
  sum1byy,
  sum1byxy,
  sum1byyq,
  sumxbyy,
  sumybyx,
  sum1byx,
  sum1byxq,
  sumlnx,
  sumlnxlny,
  sumlnxq,
  sumylny,
  sumylnx,
  sumxlnx,
  sumlnxbyy,
  sumlnybyx,
  sumlny,
  sumlnyq,
  sumxlny,
  sumxqlny,
  sumyqlnx
};
/// Number of running sums.
inline constexpr int32_t kNumCurveFitSums = 33;

///@{
/// Results of TCurveFit::CalcRegModel (values fixed).
constexpr int32_t kRegModelOk = 0;             ///< model current, residuals set
constexpr int32_t kRegModelTooFewPoints = -1;  ///< fewer points than REG_MINDP
constexpr int32_t kRegModelNone = -2;          ///< rmNone requested
/// The fit gave no model (a polynomial fit on non-finite data); -5 so that
/// Predict can pass it on without meeting its own codes.
constexpr int32_t kRegModelFitFailed = -5;
///@}
/// A short English sentence for a result of CalcRegModel; "unknown
/// regression model status" for any other value. The text is static.
const char* RegModelStatusText(int32_t status);

///@{
/// Results of TCurveFit::Predict (values -1..-3 fixed).
constexpr int32_t kPredictOk = 0;                          ///< prediction and intervals computed
constexpr int32_t kPredictBadProbability = -1;             ///< p outside [0.5, 1)
constexpr int32_t kPredictTooFewPoints = -2;               ///< fewer points than REG_MINDP
constexpr int32_t kPredictNoModel = -3;                    ///< rmNone requested
constexpr int32_t kPredictNoDegreesOfFreedom = -4;         ///< n - 2 <= 0 or Sxx = 0: intervals 0
constexpr int32_t kPredictFitFailed = kRegModelFitFailed;  ///< passed on from CalcRegModel
///@}
/// A short English sentence for a result of Predict; "unknown prediction
/// status" for any other value. The text is static.
const char* PredictStatusText(int32_t status);

///@{
/// Results of TCurveFit::CalcAnovaReg.
constexpr int32_t kAnovaOk = 0;                   ///< every output computed
constexpr int32_t kAnovaNoDegreesOfFreedom = -1;  ///< dfreg <= 0 or dfres <= 0: MSE, MSR, F are 0
///@}
/// A short English sentence for a result of CalcAnovaReg; "unknown analysis
/// of variance status" for any other value. The text is static.
const char* AnovaRegStatusText(int32_t status);

///@{
/// Results of TCurveFit::ImportASC beyond core's header codes kAscOk and
/// kAscCannotRead..kAscBadFlags (0, -1..-4), which are passed on unchanged.
constexpr int32_t kCurveFitAscBadAttribute = -5;  ///< a row attribute is missing or no number
constexpr int32_t kCurveFitAscBadValue = -6;      ///< a row, its name or a value is missing or bad
constexpr int32_t kCurveFitAscNominal = -7;       ///< the file declares nominal variables
///@}
/// A short English sentence for a result of ImportASC (core's header codes
/// included); "unknown curve fit file status" for any other value. The text
/// is static.
const char* CurveFitAscStatusText(int32_t status);

// ===========================================================================
// 2. TCurveFit
// ===========================================================================

/// Collects (x, y) points and fits curves to them. See the file comment for
/// the conventions (numbers, models, errors, events).
class TCurveFit : public TComponent {
 public:
  ///@{
  /// Registers with AOwner (which then deletes it; null: the caller owns it)
  /// and starts empty (Init without the event).
  explicit TCurveFit(TComponent* AOwner);
  ~TCurveFit() override;
  std::string ClassName() const override { return "TCurveFit"; }
  ///@}

  // ---- points and running sums -------------------------------------------

  /// Removes every point, zeroes the running sums and counters, resets the
  /// extremes (MinX = MinY = +largest double, MaxX = MaxY = -largest double),
  /// discards the model, the residuals and every cache; fires OnChange.
  void Init();
  /// Appends the point (x, y), adds it to the running sums and extremes,
  /// discards the model and the caches, fires OnChange, and returns the
  /// number of points after the append. Throws EZELMath2Error
  /// "EnterStatValue: too many data points" at 2^31 - 1 points.
  int32_t EnterStatValue(double x, double y);
  /// Removes point ix (1..NumData): later points move up by one; the running
  /// sums, validity counters and extremes are recomputed from the remaining
  /// points (so nothing of the removed point stays behind); the model and
  /// caches are discarded; fires OnChange. Another ix only clears the caches.
  void RemoveStatValue(int32_t ix);
  /// Exchanges x and y: the stored columns, the extremes, every running sum
  /// with its counterpart (sumDiff is negated, symmetric sums stay) and the
  /// counters; discards the model and caches; fires OnChange. Twice restores
  /// everything.
  void FlipXY();
  /// Number of points.
  int32_t GetNumData() const { return static_cast<int32_t>(FX.size()); }
  ///@{
  /// The x or y of point ix; 0 outside 1..NumData.
  double GetDataX(int32_t ix) const;
  double GetDataY(int32_t ix) const;
  ///@}
  ///@{
  /// Extremes of x and y over the points (NaN when a value is NaN); +largest
  /// double (minima) and -largest double (maxima) without points.
  double GetMinX() const { return FMinX; }
  double GetMaxX() const { return FMaxX; }
  double GetMinY() const { return FMinY; }
  double GetMaxY() const { return FMaxY; }
  ///@}
  /// One running sum (long double, over the finite points, see
  /// TCurveFitSum). Kept exactly: removal recomputes them from the points.
  long double GetRunningSum(TCurveFitSum s) const { return FSums[static_cast<size_t>(s)]; }
  /// Which transformed sums lack points: e is in the set while at least one
  /// stored finite point has that property; removing the last such point
  /// clears it.
  TCurveFitErrors GetErrIndic() const;
  /// Number of stored points with that property (see GetErrIndic).
  int64_t GetErrCount(TCurveFitError e) const { return FErrCount[static_cast<size_t>(e)]; }
  /// Number of stored points with a NaN or infinite x or y (left out of the
  /// running sums).
  int64_t GetNonFiniteCount() const { return FNonFinite; }

  // ---- descriptive and rank statistics ------------------------------------

  /// All outputs 0 first; with n > 0 the means of x, y and x - y; with n > 2
  /// the sample standard deviations (divisor n - 1) of x, y and x - y and
  /// Pearson's rxy (0 when a centred sum of squares is 0). Means first, then
  /// centred sums in long double ({1e10+1, 1e10+2, 1e10+3} gives sd 1).
  /// Equal to hand-computed values to 1 ulp in the tests.
  void CalcStatistics(int32_t& NumData, double& MeanX, double& MeanY, double& StdevX,
                      double& StdevY, double& MeanDiff, double& StdevDiff, double& rxy) const;
  ///@{
  /// Means of x, y and x - y as CalcStatistics (0 without points).
  double GetMeanX() const;
  double GetMeanY() const;
  double GetMeanDiff() const;
  ///@}
  /// sqrt(Sum (x - y)^2 / n), scale-safe; 0 without points.
  double GetRMSDiff() const;
  ///@{
  /// Sample standard deviations as CalcStatistics (0 for n < 3).
  double GetStdDevX() const;
  double GetStdDevY() const;
  double GetStdDevDiff() const;
  ///@}
  /// Pearson's correlation of x and y as CalcStatistics (0 for n <= 2).
  double GetCorrCoeff() const;
  ///@{
  /// The mean direction of the x (y) values taken as angles in degrees:
  /// atan2(Sum sin, Sum cos) mapped to [0, 360). 350 and 20 give 5, 170 and
  /// 200 give 185, 0 and 180 give 90, no points give 0.
  double GetMeanAngleX() const;
  double GetMeanAngleY() const;
  ///@}
  /// Kendall's tau-b (C - D)/sqrt((C + D + T1)(C + D + T2)) over all pairs,
  /// C concordant, D discordant, T1 pairs tied only in y, T2 only in x
  /// (64-bit counts by Knight's O(n log n) algorithm, cached until the data
  /// change). p = 1 -
  /// ErfApprox(|tau/sigma|/sqrt 2) with sigma = sqrt((4n + 10)/(9n(n - 1))),
  /// the variance without tie correction. tau = p = 0 when the root is 0;
  /// both NaN when a value is NaN. tau agrees with scipy.stats.kendalltau
  /// to 1e-15, p (without ties) to 2e-7 (the accuracy of ErfApprox).
  double KendallsTau(double& p);
  /// Goodman and Kruskal's gamma (C - D)/(C + D) from the same counts; 0
  /// when C + D = 0, NaN when a value is NaN.
  double GetKruskalGamma();
  /// Spearman's rank correlation with mid-ranks for ties: D = Sum (rx -
  /// ry)^2 by compensated summation (TKahanSum); without ties 1 - 6D/(n(n^2 -
  /// 1)), with ties (w - 6(D + Tx + Ty))/sqrt((w - 12Tx)(w - 12Ty)), w =
  /// n(n^2 - 1), T = Sum (t^3 - t)/12 per tie group; 0 if w = 12Tx or 12Ty
  /// and for n < 3; NaN when a value is NaN. Equals scipy.stats.spearmanr to
  /// 1e-15.
  double GetSpearmanRankCorr() const;
  ///@{
  /// TMatrix::Percentile of the x (y) values: the value of 0-based rank
  /// min(Round(n prob/100), n - 1), prob clamped to 0..100 (100 gives the
  /// maximum); 0 without points, NaN for a NaN prob or value.
  double PercentileX(double prob) const;
  double PercentileY(double prob) const;
  ///@}
  ///@{
  /// TMatrix::Quartiles of the x (y) values (equal to numpy.percentile with
  /// method 'weibull' inside the data range); all 0 without points.
  void QuartilesX(double& q1, double& q2, double& q3) const;
  void QuartilesY(double& q1, double& q2, double& q3) const;
  ///@}
  ///@{
  /// TMatrix::SkewKurtSample of the x (y) values (equal to scipy.stats.skew
  /// and kurtosis with bias=False); 0 for fewer than 4 points.
  double GetSkewnessX() const;
  double GetSkewnessY() const;
  double GetKurtosisX() const;
  double GetKurtosisY() const;
  ///@}

  // ---- fits ------------------------------------------------------------------

  /// Least-squares line y = k x + d (centred sums: k = Sxy/Sxx, d = mean y -
  /// k mean x); FitQual = r^2 (1 when y is constant). Model rmLinear with
  /// k0 = d, k1 = k. Outputs 0 first. Throws "CalcLinFit: not enough data
  /// points" (n < 2) and "CalcLinFit: slope is infinite" (all x equal).
  /// Agrees with scipy.stats.linregress to 1e-14 relative.
  void CalcLinFit(double& k, double& d, double& FitQual);
  /// Line through the origin y = k x: k = Sum xy / Sum x^2, FitQual = 1 -
  /// Sum (y - kx)^2 / Sum y^2. Model rmLinearOrigin with k1 = k (k0 = 0).
  /// Throws "CalcLinFitThroughOrigin: not enough data points" (n < 2),
  /// "...: slope is infinite" (Sum x^2 = 0), "...: slope is undefined"
  /// (Sum y^2 = 0).
  void CalcLinFitThroughOrigin(double& k, double& FitQual);
  /// Least-squares parabola y = k0 + k1 x + k2 x^2 (LeastSquaresParabola of
  /// the statistics unit). With only two distinct x the line through them
  /// (k2 = 0), with one the mean of y (k1 = k2 = 0). FitQual = squared
  /// correlation of fitted and observed y. Model rmParabolic. Throws
  /// "CalcParabolFit: not enough data points" (n < 3). Non-finite data give
  /// NaN outputs and no model. Agrees with numpy.polyfit(deg 2) to 1e-12.
  void CalcParabolFit(double& k0, double& k1, double& k2, double& FitQual);
  /// Algebraic (Kasa) circle: least squares of x^2 + y^2 = a x + b y + c on
  /// centred data; centre (dx, dy), radius r. Model rmCircle with k0 = dx,
  /// k1 = dy, k2 = r; FitQual 0. Throws "CalcCircleFit: not enough data
  /// points" (n < 3) and "CalcCircleFit: radius is infinite" when the points
  /// are collinear (determinant <= 1e-13 Suu Svv). Agrees with
  /// numpy.linalg.lstsq on [x, y, 1] to 1e-12.
  void CalcCircleFit(double& r, double& dx, double& dy);
  /// Polynomial of order nOrder (0..10) by SVDLeastSquares on the design
  /// columns x^1..x^nOrder and a column of ones, each column (and y) scaled
  /// by a power of two first so that x^10 near 1e154 cannot overflow; the
  /// relative cut-off 1e-14 of the singular values applies to the scaled
  /// design (NearSingular reports it). kArray[i] = coefficient of x^i;
  /// Alpha[i] = two-sided p value 2 tDistriIntegral(-|k_i / (s v_i)|, df)
  /// with df = n - nOrder - 1, s = sqrt(SSE/df), v_i the SVD scale factor
  /// (zeroed singular values left out); 0 when df <= 0, s = 0 or v_i = 0.
  /// FitQual = squared correlation of fitted and observed y (0 when
  /// undefined). Model rmPolynomial, ModelPar row 1 = kArray, row 2 = Alpha.
  /// Returns false (outputs empty/0, no model) when the data are not finite
  /// or the decomposition fails. Against numpy.polyfit(cov=True): cubic on
  /// 15 points, coefficients 1.1e-15 and Alpha 1.2e-11 relative; cubic on x
  /// = 1000..1001.9 (scaled design condition 6e10), coefficients 6e-6
  /// relative and fitted values 2.5e-8 absolute, the bound that conditioning
  /// sets; there CalcCenteredPolyFit agrees with numpy on centred x to
  /// 1.7e-12. Throws "CalcPolyFit: invalid order" (outside 0..10) and
  /// "CalcPolyFit: not enough data points" (nOrder >= NumData).
  bool CalcPolyFit(int32_t nOrder, TDoubleArray& kArray, TDoubleArray& Alpha, double& FitQual,
                   bool& NearSingular);
  /// The same without Alpha.
  bool CalcPolyFit(int32_t nOrder, TDoubleArray& kArray, double& FitQual, bool& NearSingular);
  /// As CalcPolyFit in the variable (x - XShift): XShift is the mean of x
  /// unless the caller passes a non-zero one; the fit runs on (x - XShift)/sd
  /// (sd of x, 1 when 0) and y - mean y, and the coefficients are scaled
  /// back (constant plus mean y). Model rmCenteredPoly, CPXShift = XShift.
  /// Same results and exceptions ("CalcCenteredPolyFit: invalid order",
  /// "CalcCenteredPolyFit: not enough data points").
  bool CalcCenteredPolyFit(int32_t nOrder, TDoubleArray& kArray, TDoubleArray& alpha,
                           double& XShift, double& FitQual, bool& NearSingular);
  /// The same without alpha.
  bool CalcCenteredPolyFit(int32_t nOrder, TDoubleArray& kArray, double& XShift, double& FitQual,
                           bool& NearSingular);

  /// @name Linearisable models
  /// Each fit transforms the data, fits a least-squares line (Gauss and
  /// Hoerl: two regressors) to the transformed points with centred long
  /// double sums, and transforms the coefficients back (so these are not
  /// the nonlinear least-squares solutions of scipy.optimize.curve_fit).
  /// FitQual = squared correlation of the model's values and the observed y
  /// (0 when undefined). Each sets its model with k0, k1 (, k2). Outputs 0
  /// first. Each throws EZELMath2Error '\<Fit>: not enough data points'
  /// below REG_MINDP (3 points), '\<Fit>: data outside the domain of the
  /// model' while the needed TCurveFitError is set or a value is not
  /// finite, and '\<Fit>: regression is singular' when the transformed
  /// abscissae are all equal (Gauss: fewer than 3 distinct x; Gauss also
  /// when the fitted curvature is 0).
  ///@{
  /// y = k0 exp(k1 x) from ln y = ln k0 + k1 x; needs y > 0.
  void CalcExponentialFit(double& k0, double& k1, double& FitQual);
  /// y = k0 exp(-(x - k1)^2 / k2) from the parabola ln y = a + b x + c x^2
  /// (k2 = -1/c, k1 = -b/(2c)); needs y > 0. k2 < 0 (a trough) is allowed.
  void CalcGaussFit(double& k0, double& k1, double& k2, double& FitQual);
  /// y = k0 k1^x x^k2 from ln y = ln k0 + x ln k1 + k2 ln x; needs x, y > 0.
  void CalcHoerlFit(double& k0, double& k1, double& k2, double& FitQual);
  /// y = k0 + k1 ln x; needs x > 0.
  void CalcLogFit(double& k0, double& k1, double& FitQual);
  /// y = k0 x^k1 from ln y = ln k0 + k1 ln x; needs x, y > 0.
  void CalcPowerFit(double& k0, double& k1, double& FitQual);
  /// y = 1/(k0 + k1 x) from 1/y = k0 + k1 x; needs |y| > 1e-30.
  void CalcReciLinFit(double& k0, double& k1, double& FitQual);
  /// y = 1/(k0 + k1 ln x) from 1/y; needs x > 0 and |y| > 1e-30.
  void CalcReciLogFit(double& k0, double& k1, double& FitQual);
  /// y = k0 + k1/x; needs |x| > 1e-30.
  void CalcHyperbolFit(double& k0, double& k1, double& FitQual);
  /// y = x/(k1 + k0 x) from 1/y = k0 + k1/x; needs |x|, |y| > 1e-30.
  void CalcReciHyperbolFit(double& k0, double& k1, double& FitQual);
  ///@}

  /// The current model at XVal (D = the largest double): rmLinear k0 + k1 x;
  /// rmLinearOrigin k1 x; rmParabolic k0 + k1 x + k2 x^2; rmGaussian k0
  /// exp(-(x - k1)^2/k2); rmReciLin 1/(k0 + k1 x) (D if the denominator is
  /// 0); rmHyperbolic k0 + k1/x (D at x = 0); rmReciHyperbolic x/(k1 + k0 x)
  /// (D if the denominator is 0); rmLog k0 + k1 ln x (-D for x <= 0);
  /// rmReciLog 1/(k0 + k1 ln x) (-D for x <= 0, D for a zero denominator);
  /// rmPower k0 x^k1 and rmHoerl k0 k1^x x^k2 (NaN for x < 0); rmExpo k0
  /// exp(k1 x); rmPolynomial Polynomial of row 1 up to PolyOrder;
  /// rmCenteredPoly CenteredPolynomial around CPXShift; 0 for rmNone and
  /// rmCircle (not a function of x).
  double Evaluate(double XVal) const;
  /// Makes RegModel current (runs its fit unless it, and for the polynomial
  /// models the order PolyOrder, is current already) and sets the residuals
  /// y_i - Evaluate(x_i); for rmCircle the residuals are the distances from
  /// the centre minus the radius. kRegModelTooFewPoints below REG_MINDP,
  /// kRegModelNone for rmNone (and for a value outside the enumeration),
  /// kRegModelFitFailed (no residuals) when a polynomial fit returns false.
  /// Exceptions of the fit propagate.
  int32_t CalcRegModel(TRegModel RegModel, int32_t PolyOrder);
  /// Prediction of RegModel at XVal with intervals at probability p: status
  /// kPredictBadProbability unless 0.5 <= p < 1, kPredictTooFewPoints below
  /// REG_MINDP, kPredictNoModel for rmNone; then CalcRegModel; PredVal =
  /// Evaluate(XVal); over the m points with |fitted| < D/2: Sxx = Sum (x -
  /// mean x)^2, SSE = Sum (y - fitted)^2, s = sqrt(SSE/(m - 2)), t =
  /// |tDistriQuantile((1 - p)/2, m - 2)|; PredIv = t s sqrt(1 + 1/m + (XVal -
  /// mean x)^2/Sxx), ConfIv = t s sqrt(1/m + (XVal - mean x)^2/Sxx) (the
  /// straight-line formulas, also for the other models). With m <= 2 or
  /// Sxx = 0 the intervals are 0 and the result kPredictNoDegreesOfFreedom.
  /// All outputs 0 first. Exceptions of the fit propagate.
  int32_t Predict(TRegModel RegModel, double XVal, double p, int32_t PolyOrder, double& PredVal,
                  double& PredIv, double& ConfIv);
  /// Analysis of variance of a regression whose observed values are stored
  /// as x and fitted values as y: dfreg = NumVars, dftotal = n - 1 with
  /// constant (n without), dfres = dftotal - dfreg; c = mean x with
  /// constant, else 0; SSE = Sum (x - y)^2, SSR = Sum (y - c)^2, SST = Sum
  /// (x - c)^2; MSE = SSE/dfres, MSR = SSR/dfreg; F = MSR/MSE, 0 if MSR = 0,
  /// 1e10 if MSE = 0. With dfreg <= 0 or dfres <= 0: MSE = MSR = F = 0 and
  /// kAnovaNoDegreesOfFreedom.
  int32_t CalcAnovaReg(int32_t NumVars, bool IncludeConst, int32_t& dfreg, int32_t& dfres,
                       int32_t& dftotal, double& SSE, double& SSR, double& SST, double& MSE,
                       double& MSR, double& F) const;

  /// The current model (rmNone when there is none).
  TRegModel GetRegModel() const { return FRegMod; }
  /// Parameter (ix = 1) or its significance (ix = 2) number iy: -1 unless ix
  /// is 1 or 2; the stored value for 0 <= iy <= 10 with a current model;
  /// else 0 (ix = 1) or -1 (ix = 2).
  double GetModelPar(int32_t ix, int32_t iy) const;
  /// Fit quality of the current model; 0 without one.
  double GetFitQual() const;
  /// Residual of point ix from the last CalcRegModel; 0 without a model or
  /// outside 1..NumData.
  double GetResidual(int32_t ix) const;
  /// Sample standard deviation (StdDevArray) of the residuals; 0 without
  /// residuals or when it fails.
  double GetStdDevResid() const;
  /// Order of the last polynomial fit.
  int32_t GetPolyOrder() const { return FPolyOrder; }
  /// Centring shift of the current rmCenteredPoly model; 0 otherwise.
  double GetCPXShift() const;

  // ---- splines ---------------------------------------------------------------

  /// The interpolating cubic spline through the points sorted by x (points
  /// with equal x merged into their mean y), at x: end conditions natural
  /// (second derivative 0) or the given first derivatives (SplineNatural1/N,
  /// SplineDerivY1/N); beyond the data the end cubics continue. Coefficients
  /// are cached until the data or an end condition change. One distinct x
  /// gives its y, no points 0, non-finite data or x NaN. Agrees with
  /// scipy.interpolate.CubicSpline to 4.5e-16 on the test data.
  double CubicSpline(double x);
  /// The smoothing spline through the points sorted by x, equal x merged
  /// into their mean y with their count as weight, at x: PenalizedCubicSpline
  /// (zel_regression.hpp, Reinsch's algorithm) with Lambda = (1 -
  /// SplineSmoothingFactor)/SplineSmoothingFactor, evaluated as SplineValue
  /// does (linear beyond the data; an infinite x gives the end value on a
  /// flat end). Factor 1 interpolates; factor 0 (Lambda infinite) gives the
  /// weighted least-squares line exactly, also beyond the data, and so do
  /// two distinct x (the line through them); one distinct x gives its y.
  /// Like Lambda, the effect of a factor depends on the units of x and y
  /// (the penalty grows as (y/x^2)^2 x). Agrees with
  /// scipy.interpolate.make_smoothing_spline to 2.2e-15 on the test data.
  /// FitQual = squared correlation of the spline's values and y at the
  /// points. valid is false (result and FitQual 0) without points, with
  /// non-finite data, or (a safeguard, not met even at factor 1e-300) when
  /// the banded system is not positive definite. Cached until the data or
  /// the factor change.
  double SmoothedSpline(double x, double& FitQual, bool& valid);
  ///@{
  /// Spline end conditions (default natural at both ends, derivatives 0);
  /// setting one clears the cubic spline cache.
  bool GetSplineNatural1() const { return FNatural1; }
  void SetSplineNatural1(bool Value);
  bool GetSplineNaturalN() const { return FNaturalN; }
  void SetSplineNaturalN(bool Value);
  double GetSplineDerivY1() const { return FY1Dash; }
  void SetSplineDerivY1(double Value);
  double GetSplineDerivYN() const { return FYNDash; }
  void SetSplineDerivYN(double Value);
  ///@}
  ///@{
  /// Smoothing factor of SmoothedSpline, clamped to 0..1 (default 0.5, NaN
  /// ignored); setting it clears that cache.
  double GetSplineSmoothingFactor() const { return FPSplineSmooth; }
  void SetSplineSmoothingFactor(double Value);
  ///@}

  // ---- ASC files ---------------------------------------------------------------

  /// Writes the points as an ASC text file (fields separated by one TAB,
  /// lines ended by a line feed): the comment (line breaks made blanks;
  /// empty: "Exported by ZEL TCurveFit component: " and FName), "2" TAB
  /// ";nr. of columns", the point count TAB ";nr. of rows", "FALSE TRUE
  /// FALSE" TAB ";row attributes, column names, row names", "x   y", then
  /// per point x TAB y, each strff(v, 1, Precision)
  /// (Precision clamped to 64), or with Precision < 0 in scientific notation
  /// with 18 significant digits, which reads back exactly. Result: "" on
  /// success, else 'TCurveFit.ExportAsASC: cannot create file "\<FName>"' or
  /// 'TCurveFit.ExportAsASC: writing file "\<FName>" failed' (a failed write
  /// or close).
  std::string ExportAsASC(const std::string& FName, const std::string& Comment,
                          int32_t Precision) const;
  /// Replaces the points by those of an ASC file (the object is reset first,
  /// so the sums match the points). Header by ReadHeaderOfASC (a flag line
  /// with three flags is read as the fourth FALSE); its codes are returned
  /// unchanged; kCurveFitAscNominal when the fourth flag is TRUE. Throws
  /// "TCurveFit.ImportASC: number of columns must be 2 (is actually \<n>)."
  /// With column names, the next line is the names line (quoted names, or
  /// any text without a quote, such as the "x   y" that ExportAsASC writes).
  /// Then one line per row (blank lines skipped): the row attribute (a
  /// number; kCurveFitAscBadAttribute), the quoted row name, and x and y;
  /// anything missing, not a number, or more words give kCurveFitAscBadValue.
  /// Out-of-range numbers read as +-inf or +-0; NAN and INF are values. The
  /// rows go into a temporary and replace the points only on success (then
  /// OnChange fires once); on failure the points are unchanged. Returns 0 on
  /// success; the caches are cleared in every case.
  int32_t ImportASC(const std::string& FName);

  /// Fires after every change of the data (see the file comment).
  TNotifyEvent OnChange;

 private:
  void ResetState();
  void AddToSums(double x, double y);
  void RecomputeSums();
  void ClearCaches();
  void DiscardModel();
  void Changed();
  void RequirePoints(int32_t n, const char* routine);
  void SetModel(TRegModel m, std::span<const double> pars, bool fitQual = true);
  double MeanOf(const std::vector<double>& v) const;
  double StdDevOf(const std::vector<double>& v) const;
  double DiffMean() const;
  void RankCounts();
  double Percentile(const std::vector<double>& v, double prob) const;
  void Quartiles(const std::vector<double>& v, double& q1, double& q2, double& q3) const;
  std::pair<double, double> SkewKurt(const std::vector<double>& v) const;
  double ModelFitQual() const;
  void CheckDomain(const char* routine, TRegModel model);
  void FitTransformedLine(const char* routine, TRegModel model, long double (*u)(double),
                          long double (*v)(double), bool expIntercept, double& k0, double& k1,
                          double& FitQual);
  bool PolyCore(int32_t nOrder, const std::vector<double>& x, const std::vector<double>& y,
                TDoubleArray& k, TDoubleArray& alpha, bool& nearSingular);
  bool BuildSpline();
  bool BuildPenSpline();
  double PenSplineAt(double x) const;
  void SortedDistinct(std::vector<double>& xs, std::vector<double>& ys,
                      std::vector<double>& ws) const;

  std::vector<double> FX, FY;
  double FMinX = 0, FMaxX = 0, FMinY = 0, FMaxY = 0;
  std::array<long double, kNumCurveFitSums> FSums{};
  std::array<int64_t, 4> FErrCount{};
  int64_t FNonFinite = 0;
  std::array<std::array<double, 11>, 2> FModPars{};
  TRegModel FRegMod = TRegModel::rmNone;
  int32_t FPolyOrder = 0;
  std::vector<double> FResids;
  double FModR2 = 0;
  double FXShift = 0;
  bool FNatural1 = true, FNaturalN = true;
  double FY1Dash = 0, FYNDash = 0;
  double FPSplineSmooth = 0.5;
  bool FSplineValid = false, FPenSplineValid = false, FKendallValid = false;
  int64_t FKendallConcord = 0, FKendallDiscord = 0, FKendallTies1 = 0, FKendallTies2 = 0;
  bool FKendallNaN = false;
  // Spline caches: knots, values and second derivatives.
  std::vector<double> FSplX, FSplY, FSplD2;
  std::vector<double> FPenX, FPenY, FPenD2;
  double FPenR2 = 0;
};

}  // namespace zel
