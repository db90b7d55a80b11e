/// @file
/// Regression and decomposition routines of the analysis unit (Zel_math2):
/// the singular value decomposition of a matrix and an equation solver with
/// a singular-value threshold, multiple linear regression, ridge regression
/// on raw and on standardised variables, variance inflation factors,
/// partial least squares (SIMPLS), vertex component analysis, the penalised
/// cubic (smoothing) spline, and the operator vocabulary of the unit's
/// expressions with ExtractVarNames.
///
/// Families, in the order of this header:
///   1. Enumerations and status codes
///   2. Singular value decomposition and equation solving
///   3. Linear models: MultiLinReg, RidgeReg, RidgeRegStd, VarInflatFactor
///   4. Partial least squares and vertex component analysis
///   5. Penalised cubic spline
///   6. Expression vocabulary
///
/// Conventions of this part of the unit:
/// - A data matrix (TMatrix) holds one object per row and one variable per
///   column; rows, columns and vector elements count from 1. A response is a
///   TVector with one element per row (several responses: a TMatrix with one
///   column per response).
/// - Coefficient vectors of the linear models have k + 1 elements for k
///   variables: element 1 is the intercept, element j + 1 the coefficient of
///   column j. A prediction is Coeffs(1) + Sum_j Coeffs(j + 1) x_j.
/// - Results are status codes (kReg constants; RegressionStatusText gives a
///   sentence) or bool as stated per routine; no routine here throws for bad
///   input. Outputs are resized by the routine; on a failure result they are
///   left unchanged unless stated otherwise.
/// - Null object arguments give kRegNoObject (false) except where an output
///   is documented as optional.
/// - Non-finite input (NaN or infinity in any element used) is rejected
///   before any work with kRegNonFinite (false).
/// - Magnitudes: the decompositions divide their input by a power of two
///   (exact) and multiply back, and norms are taken scaled, so data near
///   1e154 or 1e-160 give the same relative accuracy as data near 1.
/// - Means are taken first and centred sums formed in long double; sample
///   standard deviations divide by n - 1.
/// - Rank: a singular value at or below 1e-13 times the largest (on
///   variables scaled to a common size, see each routine) counts as 0. A
///   rank-deficient problem is never reported as plain success: the
///   routines state what they return with kRegRankDeficient.
/// - Accuracy figures below are the largest differences measured against
///   the named reference on the data of the tests, relative to the largest
///   element of the reference result.
/// - Events: an output fires only its own events (a vector OnChange and
///   OnResize from its resize and one OnChange for its values; a matrix
///   OnChange and OnResize once). No process-wide state, no progress
///   reports, AbortMathProc is not read: the routines are reentrant.
#pragma once

#include <cstdint>
#include <string>

#include "core/zel_zelbase.hpp"
#include "num/analysis/zel_math2.hpp"
#include "num/matrix/zel_matrix.hpp"
#include "num/vector/zel_vector.hpp"

namespace zel {

// ===========================================================================
// 1. Enumerations and status codes
// ===========================================================================

/// Kind of a linear model (ordinals fixed).
enum class TRegModelType : int32_t {
  rmMLR = 0,  ///< multiple linear regression (MultiLinReg)
  rmLDA = 1,  ///< linear discriminant analysis
  rmRR = 2    ///< ridge regression (RidgeReg, RidgeRegStd)
};

/// Scaling of the variables before partial least squares (ordinals fixed).
enum class TPLSSclMode : int32_t {
  scmCenter = 0,      ///< subtract the column means
  scmStandardize = 1  ///< subtract the means and divide by the sample standard deviations
};

///@{
/// Results of the routines of this header (RegressionStatusText gives the
/// sentence).
constexpr int32_t kRegOk = 0;              ///< done
constexpr int32_t kRegNoObject = -1;       ///< a required object argument is null
constexpr int32_t kRegBadSize = -2;        ///< sizes do not match or there are too few rows
constexpr int32_t kRegNonFinite = -3;      ///< an input element is NaN or infinite
constexpr int32_t kRegNoConvergence = -4;  ///< a singular value did not converge
constexpr int32_t kRegRankDeficient =
    -5;                                   ///< done, but the problem is rank-deficient (see routine)
constexpr int32_t kRegBadParameter = -6;  ///< a numeric parameter is out of its range
constexpr int32_t kRegNotIncreasing = -7;  ///< abscissae are not strictly increasing
///@}

/// A short English sentence (no final period) for a result of this header;
/// "unknown regression status" for any other value. The text is static.
const char* RegressionStatusText(int32_t status);

// ===========================================================================
// 2. Singular value decomposition and equation solving
// ===========================================================================

/// Thin singular value decomposition Mat = U diag(W) V^T of the m x n
/// matrix Mat (m rows, n columns), with p = min(m, n): U is resized to p
/// columns x m rows, W to p elements, V to p columns x n rows. The singular
/// values are sorted descending (>= 0), the columns of U and V follow them,
/// and each column of V has its element of largest magnitude (the first
/// such) positive, the sign of the U column following, so the result is
/// unique for distinct singular values. Method: the matrix unit's
/// SVDecompose (Golub-Reinsch; of the transpose when m < n), with its
/// power-of-two scaling for any magnitude (1e154 and 1e-160 times a matrix
/// give its U and V and W times the factor). Agrees with
/// numpy.linalg.svd(full_matrices=False): singular values to 7e-16, U and
/// V within 1e-14 (after the sign rule), on a 4 x 3 and a 3 x 4 matrix.
/// False, outputs unchanged: a null argument, U, W and V not distinct
/// objects, a non-finite element, or a singular value that did not
/// converge in 30 sweeps. Mat may be U or V.
bool SingValDecomp(const TMatrix* Mat, TMatrix* U, TVector* W, TMatrix* V);

/// Least-squares solution x of A x = b with minimum norm (m rows, n
/// columns of A; b has m elements), through SingValDecomp: singular values
/// w_j <= Thresh w_max are dropped, then x = V diag(1/w) U^T b over the
/// kept ones. Thresh <= 0 uses max(m, n) 2.2e-16, the default of
/// numpy.linalg.lstsq; Thresh >= 1 keeps only singular values above the
/// largest, i.e. none. Rank receives the number of singular values kept.
/// x is resized to n. b is divided by a power of two of its largest
/// element first, so a right-hand side near 1e300 does not overflow.
/// Agrees with numpy.linalg.lstsq (same rcond) to 1.5e-15 on a
/// rank-deficient 5 x 3 system.
/// Results: kRegOk with Rank = min(m, n); kRegRankDeficient with x the
/// minimum-norm solution over the kept directions when Rank is smaller
/// (Rank 0, for A = 0, gives x = 0); kRegNoObject, kRegBadSize (b not of
/// length m), kRegNonFinite (A, b or a NaN Thresh), kRegNoConvergence
/// with x unchanged and Rank 0.
int32_t SingValEquSolve(const TMatrix* A, const TVector* b, double Thresh, TVector* x,
                        int32_t& Rank);

// ===========================================================================
// 3. Linear models
// ===========================================================================

/// Multiple linear regression with intercept: least squares fit of
/// y = b_0 + Sum_j b_j x_j to the n rows and k columns of X and the n
/// elements of Y. Coeffs is resized to k + 1 (intercept first, see the
/// conventions). StdErrors (optional, may be null) receives the k + 1
/// standard errors sqrt(s^2 diag((Z^T Z)^-1)) with Z = [1 X] and s^2 =
/// RSS / (n - k - 1); RSqr receives the coefficient of determination
/// 1 - RSS / TSS (1 when Y is constant, the fit then being exact).
/// Method: the columns of X are centred and each divided by a power of two
/// near its largest magnitude; the slopes come from the thin SVD of that
/// matrix (SingValDecomp) against the centred Y, the intercept from the
/// means; RSS is taken from the residuals, scaled, so it neither overflows
/// nor underflows (X or Y times 1e154, 1e-160 or 1e-310 fits as well).
/// Agrees with numpy.linalg.lstsq (coefficients, 7e-16) and the textbook
/// formulas in numpy (standard errors 2e-16, R^2 to the last digit) on 12
/// rows of 3 variables. Used by the memory-based learner for local
/// regression.
/// Results: kRegOk; kRegRankDeficient when a singular value of the scaled,
/// centred X is at or below 1e-13 times the largest (a constant column,
/// collinear columns, or n <= k): Coeffs then hold the minimum-norm
/// solution (its predictions inside the span of the data are the least
/// squares ones), StdErrors are NaN and RSqr is computed. With n = k + 1
/// and full rank the fit is exact, RSqr is 1 and the standard errors are
/// NaN (no degree of freedom is left); the result is kRegOk. kRegNoObject
/// (X, Y or Coeffs null), kRegBadSize (Y not of length n), kRegNonFinite,
/// kRegNoConvergence: outputs unchanged and RSqr 0.
int32_t MultiLinReg(const TMatrix* X, const TVector* Y, TVector* Coeffs, TVector* StdErrors,
                    double& RSqr);

/// Ridge regression on the raw variables: minimises
/// Sum_i (y_i - b_0 - Sum_j b_j x_ij)^2 + Lambda Sum_{j >= 1} b_j^2, the
/// intercept not penalised, the same objective as
/// sklearn.linear_model.Ridge(alpha = Lambda, fit_intercept = True). Coeffs
/// is resized to k + 1 (intercept first). Method: thin SVD of the centred X
/// (SingValDecomp); b = V diag(w / (w^2 + Lambda)) U^T (y - mean y), formed
/// as 1 / (w + Lambda / w) so it neither overflows nor underflows, then
/// b_0 = mean y - mean x . b. Agrees with scikit-learn to 3e-16 on the
/// test data. Lambda = 0 is MultiLinReg's least squares (with
/// directions whose singular value is at or below 1e-13 times the largest
/// dropped). Results: kRegOk; kRegRankDeficient only for Lambda = 0 and a
/// rank-deficient X (minimum-norm coefficients, as MultiLinReg); with
/// Lambda > 0 the problem is always well posed. kRegBadParameter for
/// Lambda < 0, NaN or infinite, kRegNoObject, kRegBadSize, kRegNonFinite,
/// kRegNoConvergence: Coeffs unchanged.
int32_t RidgeReg(const TMatrix* X, const TVector* Y, double Lambda, TVector* Coeffs);

/// Ridge regression on standardised variables: every column of X is
/// centred and divided by its sample standard deviation (divisor n - 1), Y
/// is centred, and the ridge problem of RidgeReg is solved for those
/// variables with penalty Lambda. StdCoeffs (optional, may be null) is
/// resized to k and receives the coefficients of the standardised
/// variables; Coeffs (k + 1, intercept first) the same model in the raw
/// units (b_j = beta_j / sd_j, b_0 = mean y - Sum_j b_j mean x_j). A
/// constant column (sd 0) takes no part: its coefficients are 0. Agrees
/// with sklearn.linear_model.Ridge on the columns standardised with
/// ddof = 1 to 4e-16 on the test data. Results as RidgeReg (with Lambda =
/// 0, rank deficiency is judged among the columns that vary); kRegBadSize
/// also for fewer than 2 rows (no standard deviation).
int32_t RidgeRegStd(const TMatrix* X, const TVector* Y, double Lambda, TVector* Coeffs,
                    TVector* StdCoeffs);

/// Variance inflation factors of the k columns of X: VIF_j = 1 / (1 -
/// R_j^2), R_j^2 the coefficient of determination of column j regressed on
/// the other columns with intercept, which equals the j-th diagonal
/// element of the inverse correlation matrix. Computed as TSS_j / RSS_j of
/// that regression (MultiLinReg's method), so values near 1 and very large
/// values keep their digits. VIF is resized to k. A column that the others
/// reproduce (RSS_j at or below (1e-13)^2 TSS_j, collinear columns) gives
/// +infinity; a constant column gives NaN; a single column gives 1.
/// Agrees with numpy.diag(numpy.linalg.inv(numpy.corrcoef(X.T))) to the
/// last digit on the test data, also with X times 1e-160.
/// Results: kRegOk (also with infinite or NaN factors, which are the
/// answer); kRegNoObject, kRegBadSize (fewer than 2 rows), kRegNonFinite,
/// kRegNoConvergence: VIF unchanged.
int32_t VarInflatFactor(const TMatrix* X, TVector* VIF);

// ===========================================================================
// 4. Partial least squares and vertex component analysis
// ===========================================================================

/// Partial least squares regression of the m columns of Y on the k
/// columns of X (both n rows) with NumComp components by SIMPLS (S. de
/// Jong, Chemometr. Intell. Lab. Syst. 18 (1993) 251). The columns are
/// first centred (scmCenter) or centred and divided by their sample
/// standard deviations (scmStandardize; a constant column is left at 0).
/// Per component a: the weight r is S q with q the dominant right singular
/// vector of S = X0^T Y0 (deflated), the score t = X0 r normalised to unit
/// length (r with it), the loadings p = X0^T t and q = Y0^T t, and S is
/// deflated by the orthonormalised p.
/// Outputs: Coeffs (required) is resized to m columns x (k + 1) rows and
/// holds the regression in the raw units, row 1 the intercepts, row j + 1
/// the coefficients of column j of X; Weights (k rows), Scores (n rows,
/// orthonormal columns), XLoadings (k rows) and YLoadings (m rows) are
/// optional (may be null) and get NumComp columns, in the scaled
/// variables (plain centring divides by no factor, so these are the
/// weights and loadings of the centred data). For one response SIMPLS
/// equals the NIPALS algorithm: the raw-unit coefficients agree with
/// sklearn.cross_decomposition.PLSRegression (scale = True for
/// scmStandardize, False for scmCenter) to 1.3e-16 on the test data. With
/// NumComp = k on full-rank data the coefficients are those of MultiLinReg
/// for every response. Internally plain centring divides X and Y by powers
/// of two, so data near 1e154 or 1e-160 work.
/// Results: kRegOk; kRegRankDeficient when a component has nothing left to
/// explain: its weight S q is at or below 1e-13 times that of the first
/// component (or 0), or X0 maps it to a score below 1e-13 ||X0||_F ||r||.
/// The outputs then hold the components before it (their columns beyond
/// are 0) and Coeffs the model from those (only the intercepts, the means
/// of Y, when no component was found); kRegBadParameter for NumComp
/// outside 1..k; kRegBadSize (row counts differ, fewer than 2 rows),
/// kRegNoObject, kRegNonFinite, kRegNoConvergence: outputs unchanged.
int32_t SimPLS(const TMatrix* X, const TMatrix* Y, int32_t NumComp, TPLSSclMode Mode,
               TMatrix* Coeffs, TMatrix* Weights, TMatrix* Scores, TMatrix* XLoadings,
               TMatrix* YLoadings);

/// Vertex component analysis (J. M. P. Nascimento, J. M. Bioucas-Dias,
/// IEEE Trans. Geosci. Remote Sens. 43 (2005) 898): finds NumEndm rows of
/// Data (pixels in rows, bands in columns, values >= 0 as mixtures of
/// endmember spectra) that are the purest, i.e. the vertices of the
/// simplex the data fill. Steps: the data are divided by a power of two of
/// their largest magnitude; the signal-to-noise ratio is estimated from the
/// projection of the centred data onto their first NumEndm principal
/// directions (P_y the mean power of the pixels, P_x that of the
/// projection plus that of the mean, SNR = 10 log10((P_x - p/L P_y) /
/// (P_y - P_x)) for p endmembers and L bands; +infinity when P_y <= P_x,
/// -infinity when the numerator is <= 0). At or above 15 + 10
/// log10(NumEndm) dB the data are projected onto the first NumEndm right
/// singular vectors of the uncentred data and each pixel divided by its
/// inner product with the mean projection (projective projection);
/// below, onto the first NumEndm - 1 principal directions with the largest
/// projected norm appended as a constant coordinate. Then NumEndm times a
/// random direction orthogonal to the endmembers found so far (to the last
/// coordinate axis the first time) is drawn and the first pixel with the
/// largest |projection| on it is taken. On noise-free mixtures of 3
/// spectra in 6 bands with pure pixels present, the pure pixels are found
/// for every seed tried, also with the data times 1e154 or 1e-160 and with
/// noise of 0.1 % of the signal. The principal directions are taken from
/// the bands x bands Gram matrices of the (centred) data, so 10^5 pixels in
/// 50 bands take about 0.5 s on one core. The directions come
/// from a local generator (Gaussian by Box-Muller from std::mt19937_64)
/// seeded with RandSeed, so a seed fixes the result; the process-wide
/// generator is not touched.
/// Outputs: Indices (resized to NumEndm) the 1-based row numbers in the
/// order found; Endmembers (optional, may be null) NumEndm columns x (bands)
/// rows, column i the spectrum of row Indices(i); SNR (dB) the estimate.
/// Results: kRegOk; kRegBadParameter for NumEndm < 2 or above the number
/// of bands or of rows; kRegRankDeficient when the data span fewer than
/// NumEndm directions (a projection is 0 for every pixel; the outputs then
/// hold the endmembers found before, Indices a single 0 when none was);
/// kRegNoObject, kRegNonFinite, kRegNoConvergence: outputs unchanged and
/// SNR 0. The work is O(pixels bands^2) for the two Gram matrices plus
/// O(pixels bands NumEndm) for the projections.
int32_t VertexCompAnalysis(const TMatrix* Data, int32_t NumEndm, uint64_t RandSeed,
                           TIntVector* Indices, TMatrix* Endmembers, double& SNR);

// ===========================================================================
// 5. Penalised cubic spline
// ===========================================================================

/// Penalised cubic (smoothing) spline: the natural cubic spline g with
/// knots at the n abscissae X (strictly increasing) that minimises
///   Sum_i w_i (Y_i - g(X_i))^2 + Lambda Integral g''(x)^2 dx,
/// with Lambda >= 0 (finite) the plain weight of the roughness integral
/// taken over x in its own units: scaling x by c needs Lambda times c^3
/// for the same curve, scaling all weights by c needs Lambda times c. This
/// is the parametrisation of scipy.interpolate.make_smoothing_spline(lam =
/// Lambda) (other packages use a weight relative to the number of points
/// or to the span, e.g. smoothing parameters p with Lambda = (1 - p) / p).
/// Lambda = 0 interpolates (the natural cubic spline through the points);
/// Lambda -> infinity tends to the weighted least-squares line.
/// Method: Reinsch's algorithm in the form of P. J. Green, B. W.
/// Silverman, "Nonparametric Regression and Generalized Linear Models"
/// (1994), section 2.3: (R + Lambda Q^T W^-1 Q) gamma = Q^T Y solved by a
/// banded Cholesky factorisation in long double, then g = Y - Lambda W^-1 Q
/// gamma. X is first divided by a power of two of its span (and Lambda
/// adjusted by its cube), Y by one of its magnitude and the weights by one
/// of their largest, so data near 1e154 or 1e-160 work as well as data
/// near 1. Work and memory O(n).
/// Weights (optional, may be null: all 1) must be positive. Fitted is
/// resized to n and receives g(X_i); SecDeriv (optional) receives g''(X_i)
/// (0 at both ends). Agrees with scipy's make_smoothing_spline to 2e-16
/// (values) and 1.6e-15 (second derivatives) on 10 weighted points.
/// SplineValue evaluates the curve in between.
/// Results: kRegOk; kRegNoObject (X, Y or Fitted null), kRegBadSize
/// (fewer than 3 points, lengths differ),
/// kRegNonFinite (an element of X, Y or Weights), kRegBadParameter (Lambda
/// < 0, NaN or infinite, a weight <= 0), kRegNotIncreasing (checked in
/// this order): outputs unchanged.
int32_t PenalizedCubicSpline(const TVector* X, const TVector* Y, const TVector* Weights,
                             double Lambda, TVector* Fitted, TVector* SecDeriv);

/// Value at t of the natural cubic spline with knots X, values G and
/// second derivatives Gamma (as PenalizedCubicSpline returns them):
/// within [X_1, X_n] the cubic of the interval holding t, outside the
/// straight continuation with the end slope (the natural spline's own
/// extension; scipy's BSpline extrapolates the end cubic instead). Binary
/// search, O(log n). 0 for a null argument, fewer than 2 knots or lengths
/// that differ; NaN for a NaN t; an infinite t gives the end value when
/// the end slope is 0, else the infinity of the slope's sign. X must be
/// increasing.
double SplineValue(const TVector* X, const TVector* G, const TVector* Gamma, double t);

// ===========================================================================
// 6. Expression vocabulary
// ===========================================================================

/// The elements an expression of the unit is built from (ordinals fixed in
/// this order). The spelling each one has in text is given; words are
/// matched without regard to case (OperatorOfToken).
enum class TOperator : int32_t {
  opNone = 0,        ///< not an element of the vocabulary
  opNumber = 1,      ///< a number literal: 12, 0.5, .5, 1e-3, 2.5E+4
  opListElem = 2,    ///< a variable: an element of the list ExtractVarNames returns
  opAdd = 3,         ///< "+" (binary)
  opSub = 4,         ///< "-" (binary)
  opMult = 5,        ///< "*"
  opDiv = 6,         ///< "/"
  opPower = 7,       ///< "^"
  opNeg = 8,         ///< "-" in front of an operand (unary)
  opOpenPar = 9,     ///< "("
  opClosePar = 10,   ///< ")"
  opComma = 11,      ///< "," between function arguments
  opEqual = 12,      ///< "="
  opNotEqual = 13,   ///< "<>"
  opLess = 14,       ///< "<"
  opLessEq = 15,     ///< "<="
  opGreater = 16,    ///< ">"
  opGreaterEq = 17,  ///< ">="
  opAbs = 18,        ///< "abs(x)"
  opSqrt = 19,       ///< "sqrt(x)"
  opSqr = 20,        ///< "sqr(x)", x^2
  opExp = 21,        ///< "exp(x)"
  opLn = 22,         ///< "ln(x)", natural logarithm
  opLog = 23,        ///< "log(x)", decimal logarithm
  opSin = 24,        ///< "sin(x)", radians
  opCos = 25,        ///< "cos(x)"
  opTan = 26,        ///< "tan(x)"
  opArcTan = 27,     ///< "arctan(x)"
  opMin = 28,        ///< "min(x, y)"
  opMax = 29,        ///< "max(x, y)"
  opNot = 30,        ///< "not"
  opAnd = 31,        ///< "and"
  opOr = 32,         ///< "or"
  opXor = 33         ///< "xor"
};

/// The operator a single token spells: the symbols and words listed at
/// TOperator (words without regard to case), opNumber for a complete number
/// literal, opListElem for any other name (a letter or '_' followed by
/// letters, digits and '_'), opNone for anything else. "-" gives opSub (the
/// tokenizer of ExtractVarNames does not need to tell opNeg apart).
TOperator OperatorOfToken(const std::string& Token);

/// The distinct variable names of the expression Expr, in the order of
/// their first appearance, into VarNames (replaced). A name is a letter
/// (ASCII) or '_' followed by letters, digits and '_'; names that are
/// words of TOperator ("and", "SQRT") are not variables, and neither is the
/// exponent of a number literal ("1e5", "2.5E-3"). Names are compared with
/// case (x and X are two variables). Any other character (blanks,
/// operators, parentheses, non-ASCII bytes) separates tokens. Result: the
/// number of names. "2*alpha + sin(beta)/alpha" gives alpha, beta (2).
int32_t ExtractVarNames(const std::string& Expr, TStrArray& VarNames);

}  // namespace zel
