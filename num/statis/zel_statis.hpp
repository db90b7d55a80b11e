/// @file
/// Zel_statis (distributions and statistical tests): special functions
/// (log-gamma, regularised incomplete gamma and beta functions, the error
/// function), the normal, chi-square, t, F, binomial, Mann-Whitney U,
/// Weibull and hypergeometric distributions, Kolmogorov-Smirnov and
/// Lilliefors normality tests, Grubbs' outlier test, correlation and
/// regression diagnostics, and small descriptive helpers.
///
/// Families, in the order of this header:
///   - (1) The exception class, the enumerations, the constant tables and the
///     status codes
///   - (2) Special functions
///   - (3) The normal distribution
///   - (4) Binomial coefficients and discrete densities
///   - (5) Chi-square, t and F distributions
///   - (6) Binomial and Mann-Whitney U distributions
///   - (7) Descriptive helpers (Fisher transform, Akaike criterion, confidence
///     interval) and the least-squares parabola
///   - (8) Kolmogorov-Smirnov and Lilliefors
///   - (9) Outlier tests (Dean-Dixon, Grubbs)
///   - (10) Correlation and regression diagnostics
///   - (11) Contingency tables
///   - (12) Rank, run and sign tests, Gini coefficient, percentiles
///   - (13) Tests on groups (Bartlett, Levene, ANOVA, Friedman, median test,
///     distribution comparison)
///   - (14) Density estimation
///   - (15) t, F, one-sample chi-square, Mann-Whitney and Siegel-Tukey
///     tests, skewness and kurtosis tests, Shapiro-Wilk
///   - (16) Model files (the comment of a PLS model file)
///
/// Conventions of the whole unit:
/// - Every routine is a plain function without state; all may run
///   concurrently.
/// - Accuracy: the special functions stop their series and continued
///   fractions at a relative change of 2^-53, take ln Gamma from the C
///   library (lgamma_r) and form the factors x^a e^-x / Gamma(a) and x^a
///   (1 - x)^b / B(a, b) from Stirling's series for large parameters, so that
///   no large logarithms cancel. Each routine states the largest relative
///   error measured on the test grids against Boost.Math evaluated in 80-bit
///   long double (libboost-math-dev 1.74; its 64-bit mantissa settles the
///   last digits) and against scipy 1.10 (whose double evaluation itself
///   errs by up to 1e-10 at large parameters). The errors grow with the
///   size of the exponent of the result (about |ln P| times 2e-16) and with
///   the parameters. Tail probabilities are computed directly, never as 1
///   minus a number near 1, so they keep their relative accuracy down to
///   about 1e-300.
/// - Non-finite input: a NaN argument gives NaN (or the routine's failure
///   result where it has one); the iterative methods look for NaN and
///   infinity before they start and cap their iteration counts.
/// - Quantiles (chi-square, t, F) are found by Newton steps on the logarithm
///   of the tail probability, safeguarded by bisection on a bracket, at most
///   200 steps, until the tail is met to 2e-16 relative or a step changes x
///   by less than 1e-15 relative.
/// - Errors that abort an operation throw EZELStatisError with the message
///   '\<routine>: \<text>'; the others report through their results.
#pragma once

#include <array>
#include <functional>
#include <cstdint>
#include <span>
#include <string>

#include "core/zel_dstruct.hpp"
#include "core/zel_zelbase.hpp"
#include "num/matrix/zel_matrix.hpp"
#include "num/vector/zel_vector.hpp"

namespace zel {

// ===========================================================================
// 1. The exception class, the enumerations, the constant tables and the
//    status codes
// ===========================================================================

/// Raised by the routines of this unit. Derives from EZELError, so one
/// catch (const EZELError&) catches every library error.
class EZELStatisError : public EZELError {
 public:
  using EZELError::EZELError;
};

/// Significance levels of the Kolmogorov-Smirnov tables (ordinals fixed).
enum class TSignifLevel : int32_t {
  Dot20 = 0,  ///< 0.20
  Dot15 = 1,  ///< 0.15
  Dot10 = 2,  ///< 0.10
  Dot05 = 3,  ///< 0.05
  Dot01 = 4   ///< 0.01
};

/// Significance levels of the Dean-Dixon table (ordinals fixed).
enum class TSignifLevelEx : int32_t {
  Dot001 = 0,  ///< 0.001
  Dot002 = 1,  ///< 0.002
  Dot005 = 2,  ///< 0.005
  Dot010 = 3,  ///< 0.01
  Dot020 = 4,  ///< 0.02
  Dot050 = 5,  ///< 0.05
  Dot100 = 6,  ///< 0.1
  Dot200 = 7,  ///< 0.2
  Dot500 = 8   ///< 0.5
};

/// Variant of the two-sample t-test (ordinals fixed).
enum class TtTestVersion : int32_t {
  ttPaired = 0,          ///< paired samples
  ttHomoScedastic = 1,   ///< independent samples, equal variances
  ttHeteroScedastic = 2  ///< independent samples, unequal variances (Welch)
};

/// The probabilities of TSignifLevel, indexed by its ordinal.
inline constexpr std::array<double, 5> SignifLevelValue = {0.20, 0.15, 0.10, 0.05, 0.01};

/// The six coefficients of the classic log-gamma series (Lanczos, as given
/// by Press et al., Numerical Recipes, 2nd ed., section 6.1; good to about
/// 2e-10). Kept as data; LnGamma no longer uses them (see there).
inline constexpr std::array<double, 6> LnGammaCoefficients = {
    76.18009173, -86.50532033, 24.01409822, -1.231739516, 0.00120858003, -0.00000536382};

///@{
/// Results of BinomDistriQuantile (value 0 fixed). DistriQuantileStatusText
/// turns one into a sentence.
constexpr int32_t kDistriQuantileOk = 0;         ///< the quantile was found
constexpr int32_t kDistriQuantileBadCount = -1;  ///< the number of trials is negative
constexpr int32_t kDistriQuantileBadProb = -2;   ///< a probability is NaN or outside [0, 1]
///@}

///@{
/// Negative results of UDistriQuantile besides a critical value.
constexpr int32_t kUQuantileNone = -1;     ///< even P(U = 0) exceeds alpha
constexpr int32_t kUQuantileBadArgs = -2;  ///< bad sizes (see UDistriDensity) or alpha
///@}

///@{
/// Results of PerformKSNormalityTest and PerformLillieforsTest (value 0
/// fixed). NormalityTestStatusText turns one into a sentence.
constexpr int32_t kNormTestOk = 0;          ///< D and p were computed
constexpr int32_t kNormTestTooFew = -1;     ///< no values (Lilliefors: fewer than 6)
constexpr int32_t kNormTestNotFinite = -2;  ///< a value is NaN or infinite
constexpr int32_t kNormTestConstant = -3;   ///< Lilliefors: all values are equal
///@}

/// A short English sentence (no final period) for a result of
/// PerformKSNormalityTest or PerformLillieforsTest; "unknown normality test
/// status" for any other value. The text is static.
const char* NormalityTestStatusText(int32_t status);

/// A short English sentence (no final period) for a result of
/// BinomDistriQuantile; "unknown distribution quantile status" for any other
/// value. The text is static.
const char* DistriQuantileStatusText(int32_t status);

// ===========================================================================
// 2. Special functions
// ===========================================================================

/// ln Gamma(x), from the C library's lgamma_r (the reentrant form, which
/// leaves the global signgam alone). The six-term series of
/// LnGammaCoefficients is not used: it is good only to about 2e-10 absolute,
/// which the incomplete gamma and beta functions and the binomial
/// coefficients would carry into every probability.
/// Accuracy: largest relative error 2.2e-16 against Boost.Math (long
/// double) and 4.6e-15 against scipy.special.gammaln on 1e-3..1e100; near
/// the zeros at 1 and 2 the relative accuracy is kept (LnGamma(1 + h) =
/// -0.5772... h to 1e-9 relative for h = 1e-10).
/// Edges: 0 for x <= 0 (no reflection), NaN for NaN, +inf for +inf.
double LnGamma(double x);

/// Regularised lower incomplete gamma function P(a, x) (note the order of
/// the arguments: x first). Method: the power series for x < a + 1, the
/// continued fraction for Q = 1 - P otherwise (Press et al., Numerical
/// Recipes, 2nd ed., section 6.2). The series stops when a bound of its
/// remaining terms (geometric, ratio x/(a + n)) falls below 2^-53 of the
/// sum, the fraction at a relative change of 2^-53; the series is capped at
/// min(10 sqrt(a), 2e6) + 1000 terms and the fraction at min(10 sqrt(a),
/// 2e6) + 100 steps (the last value is used). The factor x^a e^-x /
/// Gamma(a) is taken for a >= 10 as sqrt(a/(2 pi)) exp(-a (t - ln(1 + t))
/// - s(a)), t = x/a - 1 and s the Stirling series remainder (Temme's form),
/// else as x^a e^-x / tgamma(a).
/// Accuracy: largest relative error 2.5e-13 against Boost.Math (long
/// double) and 4.6e-13 against scipy.special.gammainc (a = 0.1..1e4, values
/// down to 1e-300; below a = 10 and 1e-30 the errors are below 1e-14).
/// Edges: 0 if x <= 0 or a <= 0; 1 for x = +inf and finite a; NaN if either
/// argument is NaN or a is infinite.
double IncompleteGamma(double x, double a);

/// The upper regularised incomplete gamma function Q(a, x) = 1 - P(a, x),
/// computed without cancellation (from the continued fraction, or as 1
/// minus the series), so small values keep their relative accuracy down to
/// about 1e-300 (largest relative error 5.9e-13 against Boost.Math in long
/// double, at a = 1000 and Q = 1e-300; 4.0e-12 against
/// scipy.special.gammaincc, whose own error it is). Edges: 1 if x <= 0 or
/// a <= 0, 0 for x = +inf, NaN as for IncompleteGamma.
double IncompleteGammaCompl(double x, double a);

/// The error function, sign(x) P(1/2, x^2) through IncompleteGamma.
/// Accuracy: largest relative error 2.9e-16 against Boost.Math (long
/// double) and 2.6e-16 against scipy.special.erf. NaN gives NaN.
double Erf(double x);

/// The error function by the rational-exponential approximation of
/// Numerical Recipes (erfcc): z = |x|, t = 1/(1 + z/2), r = t exp(-z^2 -
/// 1.26551223 + t(1.00002368 + ...)), result 1 - r for x >= 0, r - 1 else.
/// Accuracy: absolute error below 1.2e-7 everywhere. NaN gives NaN.
double ErfApprox(double x);

/// ln B(a, b) = LnGamma(a) + LnGamma(b) - LnGamma(a + b). 0 if a < 0 or
/// b < 0 (and, through LnGamma, the terms of a = 0 or b = 0 are 0).
double LnBeta(double a, double b);

/// Regularised incomplete beta function I_x(a, b). Method: the continued
/// fraction of Press et al. (Numerical Recipes, 2nd ed., section 6.4),
/// evaluated by the modified Lentz method,
/// applied to x when x < (a + 1)/(a + b + 2) and to the mirror 1 - I_(1-x)
/// (b, a) otherwise, stopped at a relative change of 2^-53 and capped at
/// 100 + min(10 sqrt(max(a, b)), 2e6) steps. The factor x^a (1 - x)^b /
/// B(a, b) comes from Stirling's series around the mode a/(a + b) when both
/// a and b are at least 10, from the ratio Gamma(s + l)/Gamma(l) in Stirling
/// form when one is, else from lgamma; ln(1 - x) is taken from x itself.
/// Accuracy: largest relative error 1.1e-13 against Boost.Math (long
/// double) and 1.8e-11 against scipy.special.betainc (scipy's error, at
/// b = 1e4) on a, b in 0.5..1e4.
/// Edges: 0 for x <= 0, 1 for x >= 1; NaN if a <= 0 or b <= 0 (the
/// fraction divides by a and b), if any argument is NaN or a or b is
/// infinite.
double IncompleteBeta(double x, double a, double b);

// ===========================================================================
// 3. The normal distribution
// ===========================================================================

/// The standard normal density exp(-x^2/2)/sqrt(2 pi). NaN gives NaN.
double nDistriDensity(double x);

/// The standard normal distribution function. x > 0: (1 + P(1/2, x^2/2))/2;
/// x <= 0: Q(1/2, x^2/2)/2 taken straight from IncompleteGammaCompl, so the
/// lower tail keeps its relative accuracy down to x = -37.5 (about 1e-308);
/// below that the result is 0. The factor e^(-x^2/2) is formed from x split
/// into two halves, so the rounding of x^2 (1e-13 relative at x = -37) does
/// not enter.
/// Accuracy: largest relative error 8.3e-16 against Boost.Math (long
/// double) on -37..8 and about 5e-15 near x = -1.7 (where Q = 1 - P with
/// P near 0.9); against scipy.stats.norm.cdf 1.1e-13, scipy's own error at
/// x = -37. NaN gives NaN; -inf gives 0, +inf 1.
double nDistriIntegral(double x);

/// The inverse of nDistriIntegral. Start value: Wichura's algorithm AS241
/// (PPND16, Appl. Stat. 37 (1988) 477, its published coefficients), with
/// the tail argument min(p, 1 - p) taken from p itself, so tiny p do not
/// collapse to ln 0; then one Halley step x - e/(1 + x e/2), e = (P(x) -
/// p)/phi(x), against the tail on the side of p from the C library's erfc
/// (accurate to a few units in the last place of x: the rounding of the
/// argument moves the tail by x^2 eps, the quantile by eps).
/// Accuracy: largest relative error 2.6e-16 against Boost.Math (long
/// double) and 2.3e-16 against scipy.stats.norm.ppf for p in 1e-300..1 -
/// 1e-15; nDistriIntegral of the result meets p to 1e-14 + 4e-16 x^2
/// relative.
/// Edges: 0 for p <= 0, p >= 1 and NaN.
double nDistriQuantile(double p);

// ===========================================================================
// 4. Binomial coefficients and discrete densities
// ===========================================================================

/// The binomial coefficient C(n, k), computed exactly by the multiplicative
/// formula in 64-bit integers with k = min(k, n - k) (a partial product
/// never exceeds the final value times k, so nothing overflows before the
/// limit is reached). 0 if n < 0, k < 0 or n < k; -1 if the value exceeds
/// 2147483647.
int32_t BinomCoeff(int32_t n, int32_t k);

/// ln C(n, k) = LnGamma(n + 1) - LnGamma(k + 1) - LnGamma(n - k + 1);
/// -1 if n < 0, k < 0 or n < k. Absolute error about ln(n!) times 2e-16
/// (the three logarithms cancel).
double LnBinomCoeff(int32_t n, int32_t k);

/// The Weibull density k x^(k-1) / l^k exp(-(x/l)^k) with shape k and scale
/// l. 0 if x <= 0 or l <= 0 (also for k <= 0). Largest relative error
/// against scipy.stats.weibull_min.pdf 1.7e-15. NaN gives NaN.
double WeibullDensity(double x, double shape, double scale);

/// Hypergeometric probability of k successes in a sample of nsample drawn
/// without replacement from npop objects, M = round(p npop) of which are
/// successes: C(M, k) C(npop - M, nsample - k) / C(npop, nsample), taken as
/// b(k; M, q) b(nsample - k; npop - M, q) / b(nsample; npop, q) with the
/// binomial probabilities b of BinomDistriDensity and q = nsample/npop
/// (Loader's decomposition): the logarithms of the factorials would cancel
/// to about ln(npop!) eps, 1e-9 relative at npop = 1e6.
/// 0 when k < 0, k > M, k > nsample or k < nsample + M - npop.
/// Accuracy: largest relative error 6.0e-14 against Boost.Math (long
/// double) for npop up to 1e6; 1.2e-10 against scipy.stats.hypergeom.pmf
/// (scipy's error).
/// @throws EZELStatisError "HyperGeoDistriDensity: probability p must be
///   between 0.0 and 1.0" (also for NaN), "HyperGeoDistriDensity: npop must
///   be greater than 0", "HyperGeoDistriDensity: nsample must not be greater
///   than npop", "HyperGeoDistriDensity: nsample must not be less than 1",
///   checked in that order.
double HyperGeoDistriDensity(double p, int32_t npop, int32_t nsample, int32_t k);

// ===========================================================================
// 5. Chi-square, t and F distributions
// ===========================================================================

/// The chi-square distribution function with df degrees of freedom,
/// P(df/2, x/2). 0 for x <= 0; NaN for df < 1 or NaN x; 1 for x = +inf.
/// Largest relative error 5.8e-14 against Boost.Math (long double), 2.5e-13
/// against scipy.stats.chi2.cdf (df = 1..1000).
double chi2DistriIntegral(double x, int32_t df);

/// The chi-square density with df degrees of freedom, (x/2)^k e^(-x/2) /
/// Gamma(k) / x with k = df/2 and that factor formed as in IncompleteGamma.
/// 0 for x < 0 (and at x = 0 unless df <= 2: 1/2 for df = 2, +inf for
/// df = 1); NaN for df < 1 or NaN x. Largest relative error 5.9e-14 against
/// Boost.Math (long double), 3.1e-13 against scipy.stats.chi2.pdf.
double Chi2DistriDensity(double x, int32_t df);

/// The chi-square quantile: the x with chi2DistriIntegral(x, df) = p,
/// found in the smaller tail (Newton on the log tail, safeguarded). 0 for
/// p <= 0, +inf for p >= 1 (uc_MaxDouble is not a quantile); NaN for df < 1
/// or NaN p. Largest relative error 5.0e-14 against Boost.Math (long
/// double), 8.6e-14 against scipy.stats.chi2.ppf for p in 1e-300..1 -
/// 1e-12.
double chi2DistriQuantile(double p, int32_t df);

/// The F distribution function with df1 and df2 degrees of freedom,
/// I_(df1 x/(df1 x + df2))(df1/2, df2/2). 0 for x <= 0, 1 for +inf; NaN for
/// df1 < 1, df2 < 1 or NaN x. Largest relative error 4.6e-14 against
/// Boost.Math (long double), 5.1e-13 against scipy.stats.f.cdf.
double FDistriIntegral(double x, int32_t df1, int32_t df2);

/// The F density with df1 and df2 degrees of freedom, w^a (1 - w)^b /
/// B(a, b) / x with w = df1 x/(df1 x + df2), a = df1/2, b = df2/2 and that
/// factor formed as in IncompleteBeta. 0 for x < 0 (at x = 0: +inf for
/// df1 = 1, 1 for df1 = 2, 0 above); NaN for df1 < 1, df2 < 1 or NaN x.
/// Largest relative error 9.2e-14 against Boost.Math (long double), 7.4e-13
/// against scipy.stats.f.pdf.
double FDistriDensity(double x, int32_t df1, int32_t df2);

/// The F quantile: the x with FDistriIntegral(x, df1, df2) = p. 0 for
/// p <= 0, +inf for p >= 1; NaN for df1 < 1, df2 < 1 or NaN p. Largest
/// relative error 1.9e-14 against Boost.Math (long double), 5.6e-13 against
/// scipy.stats.f.ppf.
double FDistriQuantile(double p, int32_t df1, int32_t df2);

/// Student's t distribution function with df degrees of freedom: the tail
/// I_(df/(df + t^2))(df/2, 1/2)/2 for t < 0, one minus it for t > 0
/// (computed with 1 - x = t^2/(df + t^2) and ln x = -ln(1 + t^2/df) taken
/// directly). NaN for df < 1 or NaN t; 0 and 1 at -inf and +inf. Largest
/// relative error 2.7e-14 against Boost.Math (long double), 5.5e-14 against
/// scipy.stats.t.cdf.
double tDistriIntegral(double t, int32_t df);

/// Student's t density with df degrees of freedom, computed in logs with
/// ln Gamma((df + 1)/2) - ln Gamma(df/2) from Stirling's series for df >= 20.
/// NaN for df < 1 or NaN t. Largest relative error 1.2e-13 against
/// Boost.Math (long double, at t = -1e10 where the result is 3e-288),
/// 4.3e-13 against scipy.stats.t.pdf (scipy's error at df = 1000).
double tDistriDensity(double t, int32_t df);

/// The t quantile (inverse of the lower-tail distribution function): the t
/// with tDistriIntegral(t, df) = p; negative for p < 1/2. -inf for p <= 0,
/// +inf for p >= 1; NaN for df < 1 or NaN p. Largest relative error 9.6e-15
/// against Boost.Math (long double), 3.6e-12 against scipy.stats.t.ppf
/// (where scipy's ppf inverts its own cdf; the difference is scipy's).
double tDistriQuantile(double p, int32_t df);

// ===========================================================================
// 6. Binomial and Mann-Whitney U distributions
// ===========================================================================

/// The binomial probability P(X = k) of k successes in n trials with
/// success probability p: C(n, k) p^k (1 - p)^(n-k) = p^(k+1) (1 -
/// p)^(n-k+1) / B(k + 1, n - k + 1) / ((n + 1) p (1 - p)), that factor
/// formed as in IncompleteBeta; exact 0 and 1 at p = 0 and p = 1. 0 for
/// k < 0 or k > n; NaN for n < 0, NaN p or p outside [0, 1]. Largest
/// relative error 1.7e-13 against Boost.Math (long double, at n = 1e5 and
/// P = 6e-271) and 2.2e-13 against scipy.stats.binom.pmf.
double BinomDistriDensity(int32_t n, double p, int32_t k);

/// The binomial distribution function P(X <= k) = I_(1-p)(n - k, k + 1).
/// 0 for k < 0, 1 for k >= n; NaN for n < 0, NaN p or p outside [0, 1].
/// Largest relative error 7.2e-14 against Boost.Math (long double), 2.8e-13
/// against scipy.stats.binom.cdf.
double BinomDistriIntegral(int32_t n, double p, int32_t k);

/// The binomial quantile: k receives the smallest count with
/// BinomDistriIntegral(n, p, k) >= q (the definition of scipy.stats.binom
/// .ppf), found by bisection over 0..n. Result kDistriQuantileOk,
/// kDistriQuantileBadCount for n < 0, kDistriQuantileBadProb for p or q NaN
/// or outside [0, 1]; k is 0 on failure.
int32_t BinomDistriQuantile(int32_t n, double p, double q, double& k);

/// The exact probability P(U = u) of the Mann-Whitney statistic U (the
/// number of pairs in which a value of the first sample exceeds one of the
/// second) for samples of n1 and n2 values without ties, under the null
/// hypothesis (Mann and Whitney, Ann. Math. Stat. 18 (1947) 50). Method:
/// the exact frequencies from the generating function prod over i =
/// 1..min(n1, n2) of (1 - q^(n + i)) / (1 - q^i), n = max(n1, n2), in
/// 128-bit integers, divided by their total C(n1 + n2, n1). 0 for u outside
/// 0..n1 n2; NaN for a negative size, both sizes 0, or C(n1 + n2, n1) above
/// 4e37 (for example beyond 63 values in each sample): use the normal
/// approximation there.
double UDistriDensity(int32_t n1, int32_t n2, int32_t u);

/// The exact probability P(U <= u), as UDistriDensity. 0 for u < 0, 1 for
/// u >= n1 n2; NaN as for UDistriDensity. Matches exact rational counts
/// to 2.3e-16 relative.
double UDistriIntegral(int32_t n1, int32_t n2, int32_t u);

/// The lower critical value of U: the largest u with P(U <= u) <= alpha
/// (exact, as UDistriIntegral; a relative slack of 1e-12 keeps exact
/// critical values from being lost to rounding), kUQuantileNone when even
/// P(U = 0) exceeds alpha, kUQuantileBadArgs for bad sizes or alpha NaN or
/// outside [0, 1].
int32_t UDistriQuantile(int32_t n1, int32_t n2, double alpha);

// ===========================================================================
// 7. Descriptive helpers and the least-squares parabola
// ===========================================================================

/// Fisher's z transform 0.5 ln((1 + r)/(1 - r)) (computed as atanh).
/// @throws EZELStatisError "FisherTransform: argument out of range" unless
///   -1 < x < 1 (also for NaN).
double FisherTransform(double x);

/// The inverse Fisher transform (e^(2z) - 1)/(e^(2z) + 1), computed as tanh
/// so that large |z| give +-1, not NaN. NaN gives NaN.
double FisherTransformInv(double x);

/// Fisher's separation measure (m1 - m2)^2 / max(s1^2 + s2^2, 1e-6). The same
/// name and behaviour exist in Zel_math2.
double CalcFishQ(double mean1, double mean2, double sd1, double sd2);

/// Akaike's information criterion n ln(rss/n) + 2 npar of a least-squares
/// fit. NaN for n <= 0 or rss <= 0 (the logarithm is undefined there).
double AkaikeInfCrit(int32_t n, int32_t npar, double rss);

/// The half width nDistriQuantile(1 - alpha/2) sd / sqrt(n) of the normal
/// confidence interval of a mean. 0 for n <= 0 or alpha outside (0, 1).
double ConfidenceInterval(double alpha, double sd, int32_t n);

/// The least-squares parabola y = k0 + k1 x + k2 x^2 through the points
/// (x_i, y_i): the normal equations with x centred on its mean (long double
/// sums, Cramer's rule), shifted back. Returns false, with k0 = k1 = k2 = 0,
/// when the spans differ in length, fewer than 3 points are given, a value
/// is not finite or fewer than 3 distinct x make the system singular.
bool LeastSquaresParabola(std::span<const double> x, std::span<const double> y, double& k0,
                          double& k1, double& k2);

// ===========================================================================
// 8. Kolmogorov-Smirnov and Lilliefors
// ===========================================================================

/// The p-value P(D_n >= d) of the two-sided one-sample Kolmogorov-Smirnov
/// statistic for n values. With s = n d^2: for s > 7.24, or s > 3.76 and
/// n >= 100, the tail formula 2 exp(-(2.000071 + 0.331/sqrt(n) + 1.409/n) s)
/// (capped at 1); otherwise the exact distribution by the matrix method of
/// Marsaglia, Tsang and Wang (J. Stat. Softw. 8 (2003) 18), H^n by repeated
/// squaring with a decimal exponent kept aside, result 1 minus the
/// distribution function. Where that matrix would exceed order 401 (n d >
/// 200, so n above about 10000) Kolmogorov's limit with Stephens' correction
/// 2 sum (-1)^(j-1) exp(-2 j^2 l^2), l = (sqrt(n) + 0.12 + 0.11/sqrt(n)) d,
/// is used instead (Stephens, J. R. Stat. Soc. B 32 (1970) 115), absolute
/// error below 1e-3 there.
/// Accuracy: largest absolute error 2e-7 against scipy.stats.kstwo.sf on the
/// test grid (n = 1..1000).
/// Edges: -1 for n < 1; 1 for d <= 0; 0 for d >= 1; NaN for NaN d.
double KSPValue(int32_t n, double d);

/// The critical value of the Kolmogorov-Smirnov statistic for n values at
/// a level: the table value for 1 <= n <= 20 (rows 1..3 the printed table,
/// rows 4..20 the exact quantiles rounded to 3 decimals, written by
/// num/statis/tools/make_tables.py), c/sqrt(n) above with c = 1.073, 1.138,
/// 1.224, 1.358, 1.628 for Dot20..Dot01. -1 for n < 1 or a level outside
/// the enumeration.
double KolmogSmir1SampleTestStat(int32_t n, TSignifLevel level);

/// The Kolmogorov-Smirnov critical value refined on KSPValue: from d =
/// KolmogSmir1SampleTestStat(n, level), d = (v + 1) d with v = KSPValue(n,
/// d) - alpha(level) until |v| <= 1e-4, at most 200 steps. -1 for n < 1 or
/// an unknown level.
double KSQuantile(int32_t n, TSignifLevel level);

/// The Dallal-Wilkinson approximation of the Lilliefors p-value (Am. Stat.
/// 40 (1986) 294): for n > 100, d becomes d (n/100)^0.49 and n 100; then
/// e = -7.01256 d^2 (n + 2.78019) + 2.99587 d sqrt(n + 2.78019) - 0.122119 +
/// 0.974598/sqrt(n) + 1.67997/n (the published constant), result
/// exp(min(e, 0)). Meant for p below 0.1, where it matches statsmodels'
/// lilliefors(pvalmethod='approx') to 1e-12. -1 for n < 6; NaN for NaN d.
double LillieforsPValue(int32_t n, double d);

/// The Lilliefors critical value 1/sqrt(n P1(x) + P2(x)) with x = 1 - alpha
/// and the two polynomials of LillieforsP1/LillieforsP2. -1 for n < 1,
/// alpha NaN or outside (0, 1), or a non-positive sum under the root.
double LillieforsQuantile(int32_t n, double alpha);

/// Coefficients of the first Lilliefors quantile polynomial, constant term
/// first.
inline constexpr std::array<double, 7> LillieforsP1 = {
    6.32207539843126, -17.1398870006148, 38.42812675101057, -45.93241384693391,
    7.88697700041829, 29.79317711037858, -18.48090137098585};
/// Coefficients of the second Lilliefors quantile polynomial, constant term
/// first.
inline constexpr std::array<double, 7> LillieforsP2 = {
    12.940399038404,  -53.458334259532,  186.923866119699, -410.582178349305,
    517.377862566267, -343.581476222384, 92.123451358715};

/// Kolmogorov-Smirnov test of data against the standard normal
/// distribution (the data are taken as already standardised): unless sorted
/// is true a sorted copy is used; D = max over i = 1..n of max(|i/n -
/// F(x_i)|, |(i-1)/n - F(x_i)|) with F = nDistriIntegral, p = KSPValue(n, D).
/// Results: kNormTestOk, kNormTestTooFew (no values), kNormTestNotFinite; D
/// and p are 0 on failure. Data given as sorted but not sorted give a
/// meaningless D.
int32_t PerformKSNormalityTest(const TDoubleArray& data, bool sorted, double& D, double& p);
/// The same on a vector, which is sorted in place (SortElems, ascending)
/// unless sorted is true; a vector with a non-finite value is left as it is.
int32_t PerformKSNormalityTest(TVector& data, bool sorted, double& D, double& p);

/// Lilliefors test for normality: the data are standardised to mean 0 and
/// standard deviation 1 (sample, n - 1; mean first, in long double), then D
/// as in PerformKSNormalityTest and p = LillieforsPValue(n, D). Results:
/// kNormTestOk, kNormTestTooFew (fewer than 6 values), kNormTestNotFinite,
/// kNormTestConstant; D and p are 0 on failure.
int32_t PerformLillieforsTest(const TDoubleArray& data, bool sorted, double& D, double& p);
/// The same on a vector, which is standardised in place (TVector::
/// Standardize) and, unless sorted is true, sorted; a vector that fails a
/// check is left as it is.
int32_t PerformLillieforsTest(TVector& data, bool sorted, double& D, double& p);

// ===========================================================================
// 9. Outlier tests (Dean-Dixon, Grubbs)
// ===========================================================================

/// The critical value of the Dean-Dixon ratio for n values at a level: the
/// upper level-quantile of the one-sided ratio of n standard normal values,
/// r10 for n = 3..7, r11 for 8..10, r21 for 11..13 and r22 for 14..100 (see
/// DeanDixonTest). Rows n = 3, 4, 8, 11, 14 and 100 are the printed table of
/// Dean and Dixon (Anal. Chem. 23 (1951) 636) and its extensions; the other
/// rows are Monte Carlo quantiles from 10^7 samples per n, rounded to three
/// decimals, written by num/statis/tools/make_dixon_table.cpp (which
/// reproduces the printed rows to 0.002). The n = 5 value at Dot050 is 0.642
/// (0.710, often quoted for it, is the 0.025 point). -1 for n outside
/// 3..100 or a level outside the enumeration.
double DeanDixonCriticalValues(int32_t n, TSignifLevelEx level);

///@{
/// Results of DeanDixonTest besides an outlier position (fixed values).
constexpr int32_t kDeanDixonNone = -1;         ///< Q does not exceed the critical value
constexpr int32_t kDeanDixonBadArgument = -2;  ///< a value is NaN or infinite, or a bad level
///@}

/// Dean and Dixon's test for one outlier (Anal. Chem. 23 (1951) 636) among
/// 3..100 values. On a sorted copy x1 <= ... <= xn, the low and high ratios
/// are, for n = 3..7, (x2 - x1)/(xn - x1) and (xn - x(n-1))/(xn - x1); for
/// n = 8..10, (x2 - x1)/(x(n-1) - x1) and (xn - x(n-1))/(xn - x2); for
/// n = 11..13, (x3 - x1)/(x(n-1) - x1) and (xn - x(n-2))/(xn - x2); for
/// n = 14..100, (x3 - x1)/(x(n-2) - x1) and (xn - x(n-2))/(xn - x3), each 0
/// when its denominator is 0 (differences in long double, so values near
/// +-1e308 do not overflow). Q is the high ratio when it is greater than
/// the low one, else the low ratio. When Q exceeds DeanDixonCriticalValues
/// (n, level) the result is the 0-based position of the first element equal
/// to xn (high side) or x1 (low side), else kDeanDixonNone. Example: [1, 2,
/// 3, 4, 100] at Dot050 gives Q = 96/99 = 0.9697 > 0.642 and the result 4.
/// kDeanDixonBadArgument (Q = 0) for a NaN or infinite value or a level
/// outside the enumeration.
/// @throws EZELStatisError "DeanDixonTest: number of data points is too
///   low" for fewer than 3 values, "DeanDixonTest: number of data points is
///   too high" for more than 100.
int32_t DeanDixonTest(const TDoubleArray& data, TSignifLevelEx level, double& Q);
/// The same on a vector (not changed); the position is 1-based, the
/// negative results are unchanged.
int32_t DeanDixonTest(const TVector& data, TSignifLevelEx level, double& Q);

///@{
/// Results of GrubbsTest (values 0, -1 and -2 fixed).
constexpr int32_t kGrubbsOk = 0;          ///< G computed (index -1: no outlier)
constexpr int32_t kGrubbsBadAlpha = -1;   ///< alpha is not in (0, 1)
constexpr int32_t kGrubbsTooFew = -2;     ///< 3 values or fewer
constexpr int32_t kGrubbsNotFinite = -3;  ///< a value is NaN or infinite
///@}

/// The critical value of Grubbs' statistic for n values at level alpha
/// (Grubbs, Technometrics 11 (1969) 1): with m = 2 for a two-sided and 1 for
/// a one-sided test, t the upper alpha/(m n) quantile of the t distribution
/// with n - 2 degrees of freedom (taken from the lower tail, so small alpha
/// keep their digits), the result is (n - 1)/sqrt(n) sqrt(t^2/(n - 2 + t^2)).
/// -1 unless 0 < alpha < 1 and n > 2.
double GrubbsCriticalValues(int32_t n, double alpha, bool twosided);

/// Grubbs' test for one outlier: G = max |x_i - mean| / s with s the sample
/// standard deviation (n - 1; mean first, long double). index receives the
/// 0-based position of the first value with the largest deviation when G
/// exceeds GrubbsCriticalValues(n, alpha, true), else -1. When s is 0 the
/// result is kGrubbsOk with G = 0 and index -1. Results: kGrubbsOk,
/// kGrubbsTooFew, kGrubbsBadAlpha, kGrubbsNotFinite (checked in that order);
/// G = 0 and index = -1 on failure.
int32_t GrubbsTest(const TDoubleArray& data, double alpha, double& G, int32_t& index);
/// The same on a vector; index is 1-based (-1 stays -1).
int32_t GrubbsTest(const TVector& data, double alpha, double& G, int32_t& index);

// ===========================================================================
// 10. Correlation and regression diagnostics
// ===========================================================================

///@{
/// Results of PearsonCorrCoeff and CorrTest (values fixed).
constexpr int32_t kCorrOk = 0;            ///< r (and p) computed
constexpr int32_t kCorrTooFew = -1;       ///< fewer than 3 value pairs
constexpr int32_t kCorrSizeDiffers = -2;  ///< x and y differ in length
constexpr int32_t kCorrBadR0 = -3;        ///< CorrTest: r0 outside [-1, 1] or NaN
///@}

/// Pearson's correlation coefficient r of x and y: Sxy'/sqrt(Sxx' Syy')
/// with centred sums (means first, long double; the square root taken as a
/// product of roots). r = 0 when all x or all y are 0, or either centred sum
/// of squares is 0. NaN values give r = NaN. Results kCorrOk, kCorrSizeDiffers,
/// kCorrTooFew (in that order); r = 0 on failure.
int32_t PearsonCorrCoeff(const TDoubleArray& x, const TDoubleArray& y, double& r);

/// Test of H0: rho = r0 for the Pearson correlation r of x and y:
/// t = sqrt(n - 2)(r - r0)/sqrt((1 - r^2)(1 - r0^2)) (0 for r = r0) and the
/// two-sided probability p = 2 P(T <= -|t|) with n - 2 degrees of freedom.
/// When r^2 >= 1 or |r0| = 1 and r differs from r0, p = 0 (a sample from a
/// perfect correlation is perfect, and a perfect sample excludes any other
/// rho). Results as PearsonCorrCoeff plus kCorrBadR0; r and p are 0 on
/// failure.
int32_t CorrTest(const TDoubleArray& x, const TDoubleArray& y, double r0, double& r, double& p);

/// The Durbin-Watson statistic of residuals: sum over i >= 2 of (e_i -
/// e_(i-1))^2 / sum of e_i^2, with the residuals scaled by their largest
/// magnitude first (no overflow or underflow of the squares). 2.0 for 2
/// values or fewer; 0 when all residuals are 0; NaN when one is NaN.
double DurbinWatson(const TDoubleArray& residuals);

/// The 5 % critical bounds dL and dU of the Durbin-Watson statistic for n
/// observations and k regressors besides the intercept. n <= 100: the exact
/// bounds (the 5 % points of the bounding distributions of Durbin and
/// Watson, computed by Imhof's method in num/statis/tools/make_dw_tables.py,
/// 5 decimals; n = 15, k = 1 gives 1.07697 and 1.36054). Above, with c = 2 +
/// sqrt(4/n) nDistriQuantile(0.05): 100 < n <= 200: c plus a degree-6
/// polynomial in n - 150; 200 < n <= 500: the same in n - 350; n > 500:
/// c + 1/(n A + B); all fitted to the exact bounds by the same script (its
/// header states the largest deviation). False, with dL = dU = 0, unless
/// 1 <= k <= 20, 5 <= n <= 2000 and n - k >= 5.
bool DurbinWatsonCrit5pct(int32_t n, int32_t k, double& dL, double& dU);

///@{
/// Results of TheilSenEstimator (values fixed).
constexpr int32_t kTheilSenOk = 0;            ///< all outputs computed
constexpr int32_t kTheilSenTooFew = -1;       ///< 2 values or fewer
constexpr int32_t kTheilSenSizeDiffers = -2;  ///< x and y differ in length
constexpr int32_t kTheilSenNotMonotone = -3;  ///< x is not monotone (IsMonotone)
constexpr int32_t kTheilSenSmall = -4;    ///< fewer than 10 values: outputs computed, bounds rough
constexpr int32_t kTheilSenTooMany = -5;  ///< more than 10000 values (10^8 pairwise slopes)
///@}

/// The Theil-Sen estimator (Sen, J. Am. Stat. Assoc. 63 (1968) 1379): the
/// slopes (y_j - y_i)/(x_j - x_i) of all N = n(n-1)/2 pairs i < j (1e100 for
/// equal x), sorted; slope = their median; intercept = the median of y_i -
/// slope x_i (a true median: the mean of the two middle values for even n).
/// Confidence bounds with w = sqrt(n(n-1)(2n+5)/18): slopeHigh = sorted slope
/// number round((1.96 w + N)/2 + 1) (at most N), slopeLow = number
/// round((N - 1.96 w)/2) (at least 1), 1-based; icptLow and icptHigh are the
/// medians of y - slopeLow x and y - slopeHigh x. Results: kTheilSenOk,
/// kTheilSenTooFew, kTheilSenSizeDiffers, kTheilSenNotMonotone,
/// kTheilSenTooMany (outputs 0), and kTheilSenSmall for 3..9 values (outputs
/// computed). Non-finite values make x non-monotone or give NaN outputs.
int32_t TheilSenEstimator(const TDoubleArray& x, const TDoubleArray& y, double& slope,
                          double& intercept, double& slopeLow, double& slopeHigh, double& icptLow,
                          double& icptHigh);

// ===========================================================================
// 11. Contingency tables
// ===========================================================================
//
// A contingency table is a TInt2DArray a[column][row] whose last row holds
// the column totals and whose last column the row totals (the bottom-right
// cell the grand total). A 2 x 2 table is therefore a 3 x 3 array with
// a = t[0][0], b = t[1][0], c = t[0][1], d = t[1][1].

///@{
/// Results of the contingency-table routines (values as listed per routine).
constexpr int32_t kContTabOk = 0;            ///< computed
constexpr int32_t kContTabBadShape = -1;     ///< wrong size, ragged, or (chi-square) total <= 0
constexpr int32_t kContTabTooLarge = -2;     ///< Prob2x2Contingency, FisherExactTest: N > 1000
constexpr int32_t kContTabNegative = -3;     ///< Prob2x2Contingency, FisherExactTest: a cell < 0
constexpr int32_t kContTabZeroMargin = -2;   ///< Chi2OfContTabYates: a margin is 0
constexpr int32_t kContTabBadTotals = -1;    ///< Lambda: a total differs from its cells
constexpr int32_t kContTabLambdaShape = -2;  ///< Lambda: fewer than 2 x 2 cells, or ragged
///@}

/// Pearson's chi-square statistic of a table with totals: expected counts
/// e = rowtotal coltotal / grandtotal from the table's totals, cells with
/// e <= 0 skipped, chi2 = sum (o - e)^2 / e, df = (rows - 2)(cols - 2) of
/// the array, p = the upper chi-square tail (IncompleteGammaCompl, no
/// cancellation). kContTabBadShape for fewer than 3 rows or columns, a
/// ragged array or a grand total <= 0; chi2 and p are 0 on failure.
int32_t Chi2OfContTab(const TInt2DArray& table, double& chi2, double& p);

/// The chi-square statistic of a 2 x 2 table with Yates' continuity
/// correction, max(0, |ad - bc| - N/2)^2 N / (product of the four margins)
/// (clamped at 0 as in scipy.stats.chi2_contingency, so the correction never
/// raises the statistic), p its upper tail with 1 degree of freedom.
/// kContTabBadShape unless a 3 x 3 array, kContTabZeroMargin when a margin
/// is 0; chi2 and p are 0 on failure.
int32_t Chi2OfContTabYates(const TInt2DArray& table, double& chi2, double& p);

/// The hypergeometric probability of a 2 x 2 table given its margins,
/// (a+b)! (c+d)! (a+c)! (b+d)! / (a! b! c! d! N!), from core's ln(n!) table.
/// kContTabBadShape unless 3 x 3, kContTabNegative for a negative cell,
/// kContTabTooLarge for N > 1000 (checked in that order); p = 0 on failure.
int32_t Prob2x2Contingency(const TInt2DArray& table, double& p);

/// Fisher's exact test of a 2 x 2 table: every table with the same margins
/// is enumerated; pLeft = P(X <= a), pRight = P(X >= a) for the top-left
/// cell, pTwoSided = the sum of the probabilities that do not exceed the
/// observed one times (1 + 1e-7) (the tolerance of R and scipy, so that
/// tables of equal probability are not lost to rounding); all capped at 1.
/// kContTabBadShape unless 3 x 3, kContTabTooLarge for N > 1000,
/// kContTabNegative for a negative cell; outputs 0 on failure.
int32_t FisherExactTest(const TInt2DArray& table, double& pLeft, double& pRight, double& pTwoSided);

/// The adjusted Rand index (Hubert and Arabie, J. Classif. 2 (1985) 193) of
/// the two partitions a table with totals cross-classifies: (sum C(n_ij, 2) -
/// E) / (0.5 (sum C(a_i, 2) + sum C(b_j, 2)) - E), E = sum C(a_i, 2) sum
/// C(b_j, 2) / C(N, 2), with the margins a_i, b_j and N summed from the
/// cells; pair counts in 64-bit integers. 1 when numerator and denominator
/// are both 0 (both partitions trivial, as scikit-learn's
/// adjusted_rand_score), 0 for N < 2; NaN for a table with fewer than 2 x 2
/// entries, a ragged one or a negative cell.
double AdjustedRandIx(const TInt2DArray& table);

/// Goodman and Kruskal's lambda in both directions: lambdaRows = (sum of the
/// row maxima - largest column total)/(N - largest column total), lambdaCols
/// = (sum of the column maxima - largest row total)/(N - largest row total),
/// each 0 when its denominator is 0 (everything in one category).
/// kContTabBadTotals when a row or column total differs from the sum of its
/// cells, kContTabLambdaShape for fewer than 3 x 3 entries or a ragged
/// array; both outputs 0 on failure.
int32_t Lambda(const TInt2DArray& table, double& lambdaRows, double& lambdaCols);

// ===========================================================================
// 12. Rank, run and sign tests, Gini coefficient, percentiles
// ===========================================================================

///@{
/// Results of WilcoxonSignedRankTest (values -1..-3 fixed).
constexpr int32_t kWilcoxonOk = 0;            ///< all outputs computed
constexpr int32_t kWilcoxonTooFew = -1;       ///< a sample has fewer than 8 values
constexpr int32_t kWilcoxonSizeDiffers = -2;  ///< the samples differ in length
constexpr int32_t kWilcoxonBadAlpha = -3;     ///< alpha not in (0, 1]
constexpr int32_t kWilcoxonNoQuantile =
    -4;  ///< 7 or fewer non-zero differences, or no critical value for alpha
constexpr int32_t kWilcoxonNotFinite = -5;  ///< a difference is NaN or infinite
///@}

/// The lower critical value of the Wilcoxon signed-rank statistic for n
/// pairs. n <= 100: a least-squares parabola T = k0 + k1 ln a + k2 ln^2 a
/// (LeastSquaresParabola) through the exact two-sided critical values of n
/// at 0.1, 0.05, 0.02, 0.01, 0.001 (the first 3 levels for n = 8, 4 for
/// n = 9 and 10; the table comes from the exact distribution, written by
/// num/statis/tools/make_tables.py), evaluated at a = alpha (two-sided) or
/// 2 alpha (one-sided), rounded, at least 0. n > 100: round(n(n+1)/4 -
/// z sqrt(n(n+1)(2n+1)/24)) with z = -nDistriQuantile(alpha/2) (two-sided)
/// or -nDistriQuantile(alpha), computed in double. -1 for n <= 7,
/// n > 1000000, alpha outside 0.000499999..0.20000001 (or NaN), or a value
/// above 2147483647.
int32_t WilcoxonSRQuantile(int32_t n, double alpha, bool twosided);

/// Wilcoxon's signed-rank test of paired samples a and b: zero differences
/// a_i - b_i are dropped, the m others ranked by magnitude (mid-ranks for
/// ties); Wplus = the rank sum of the positive differences; median = the
/// median of the non-zero differences (the middle quartile); critLow =
/// WilcoxonSRQuantile(m, alpha, !onesided), critHigh = m(m+1)/2 - critLow.
/// H0 is rejected at alpha when Wplus <= critLow or Wplus >= critHigh.
/// Results: kWilcoxonTooFew, kWilcoxonSizeDiffers, kWilcoxonBadAlpha (in that
/// order), kWilcoxonNotFinite, kWilcoxonNoQuantile (m <= 7 or the quantile
/// fails, for example alpha > 0.2), kWilcoxonOk; outputs 0 on failure.
int32_t WilcoxonSignedRankTest(const TDoubleArray& a, const TDoubleArray& b, double alpha,
                               bool onesided, double& median, double& Wplus, double& critLow,
                               double& critHigh);

/// The probability of at most r runs in a random arrangement of n1 and n2
/// objects of two kinds (lower tail only): with n1 <= n2, sum over i = 2..r
/// of the number of arrangements with i runs (even i: 2 C(n1-1, i/2-1)
/// C(n2-1, i/2-1); odd i: C(n1-1, (i-1)/2) C(n2-1, (i-3)/2) + C(n1-1,
/// (i-3)/2) C(n2-1, (i-1)/2)) over C(n1+n2, n1); binomials in long double
/// (exact up to 2^64). One kind only: 1 for r >= 1, else 0. -1 for a
/// negative count.
double ExactRunsTest(int32_t n1, int32_t n2, int32_t r);

/// The runs test for randomness of a sequence of two kinds (Wald and
/// Wolfowitz): r runs, n1 true and n2 false values; if both counts are at
/// most 25 p = ExactRunsTest(n1, n2, r) (lower tail: too few runs); else
/// z = (r - 2 n1 n2/(n1+n2) - 1)/sd with sd^2 = 2 n1 n2 (2 n1 n2 - n1 -
/// n2)/((n1+n2)^2 (n1+n2-1)) and p = the normal tail on the side of z (both
/// sides: the smaller tail); p = 0 when sd is 0. Result p < 0.05.
bool RunsTest(const TBoolArray& bools, double& p);
/// The same on the bits 1..GetSize() of a bit field.
bool RunsTest(const TBitFld& bits, double& p);

/// RunsTest on "value above the median" (a true median: the mean of the two
/// middle values for an even count, so three values are not all "not
/// above"). p is -1 and the result false for an empty array or a NaN value.
bool RunsTestSerial(const TDoubleArray& values, double& p);
/// The same on a vector (the median is its middle quartile, the same value).
bool RunsTestSerial(const TVector& values, double& p);

/// The binomial point probability P(X = k) of the number k of true values
/// among n signs under success probability p0 (not a tail p-value):
/// exp(k ln p0 + LnBinomCoeff(n, k) + (n - k) ln(1 - p0)), in logs so that
/// large n do not underflow to the error value. -1 for fewer than 3 values,
/// -2 for p0 outside [0, 1] or NaN, -2.125 for p0 = 0 with k > 0 or p0 = 1
/// with k < n (an impossible outcome).
double BinomSignTest(const TBoolArray& signs, double p0);

/// The Gini coefficient sum over i, j of |x_i - x_j| / (sum x_i) / 2 / n,
/// computed from the sorted values in O(n log n) (long double). 0 for an
/// empty array or a zero sum; NaN when a value is NaN.
double GiniCoeff(const TDoubleArray& values);

///@{
/// Results of PercentileOfArray (values fixed).
constexpr int32_t kPercentileOk = 0;           ///< value found
constexpr int32_t kPercentileBadIndex = -1;    ///< first or last outside the array
constexpr int32_t kPercentileBadPercent = -2;  ///< percent outside [0, 100] or NaN
constexpr int32_t kPercentileReversed = -3;    ///< last < first
///@}

/// The element of rank min(round(percent m/100), m - 1) (0-based) among the
/// m = last - first + 1 elements data[first..last] (0-based), found by
/// QuickSelect on a copy (NaN sorts last). Results as listed (indices
/// checked first, then the order, then percent); value 0 on failure.
int32_t PercentileOfArray(const TDoubleArray& data, double percent, int32_t first, int32_t last,
                          double& value);

// ===========================================================================
// 13. Tests on groups
// ===========================================================================

///@{
/// Results of BartlettTest (returned as double; -1 and -2 fixed).
constexpr double kBartlettCountsDiffer = -1.0;  ///< number of groups differs from number of sizes
constexpr double kBartlettTooSmall = -2.0;      ///< a size is below 6
constexpr double kBartlettDegenerate = -3.0;    ///< fewer than 2 groups, or a group variance is 0
constexpr double kBartlettSizeTooLarge = -4.0;  ///< a size exceeds the length of its group
///@}

/// Bartlett's test of equal variances (Snedecor and Cochran, Statistical
/// Methods, 8th ed., 13.6): group i holds the first sizes[i] values of
/// groups[i]; s_i^2 the group variances (mean first, long double), s_p^2 =
/// sum (n_i - 1) s_i^2/(N - k), chi2 = ((N - k) ln s_p^2 - sum (n_i - 1) ln
/// s_i^2)/(1 + (sum 1/(n_i - 1) - 1/(N - k))/(3(k - 1))). Result: the upper
/// chi-square tail with k - 1 degrees of freedom, or one of the codes above
/// (checked in their order; the size check before the variances); chi2 = 0
/// on failure. NaN values give NaN.
double BartlettTest(const TDouble2DArray& groups, const TIntArray& sizes, double& chi2);

///@{
/// Results of LeveneTest and Anova1F besides a probability (fixed values).
constexpr double kGroupsOneGroup = -1.0;     ///< only one group
constexpr double kGroupsAllSingle = -2.0;    ///< as many groups as values
constexpr double kGroupsNoVariation = -3.0;  ///< every value equal: F = 0
constexpr double kGroupsSizeDiffers = -4.0;  ///< values and groups differ in length
///@}

/// Levene's test of equal variances with deviations from the group means
/// (scipy.stats.levene(center='mean')): z_i = |x_i - mean of its group|,
/// groups the distinct labels in order of first occurrence, F = (sum n_g
/// (zbar_g - zbar)^2/(k - 1)) / (sum (z_i - zbar_g)^2/(N - k)) (centred
/// sums, long double). Result: the upper F tail with k - 1 and N - k degrees
/// of freedom; when the within term is 0 but the between term is not, F =
/// uc_MaxReal and the result 0; when both are 0, F = 0 and
/// kGroupsNoVariation. Codes as listed (size first); F = 0 on failure.
double LeveneTest(const TVector& values, const TIntVector& groups, double& F);

/// One-way analysis of variance: groups as in LeveneTest; SSbetween = sum
/// n_g (mean_g - mean)^2, SSwithin = sum (x - mean_g)^2, SStotal = sum (x -
/// mean)^2 (centred, long double), dfBetween = k - 1, dfWithin = N - k,
/// dfTotal = N - 1, F = MSbetween/MSwithin. Result: the upper F tail; F =
/// uc_MaxReal and 0 when MSwithin is 0 and MSbetween is not;
/// kGroupsNoVariation (F = 0) when both are 0; the other codes as listed,
/// with every output 0.
double Anova1F(const TVector& values, const TIntVector& groups, double& SSbetween, double& SSwithin,
               double& SStotal, int32_t& dfBetween, int32_t& dfWithin, int32_t& dfTotal, double& F);

/// Friedman's rank test of k treatments (columns) in n blocks (rows) of a
/// matrix: each row ranked from 1 (mid-ranks for ties, tie term sum t^3 - t
/// per row), R_j the column rank sums, Q = 12 sum R_j^2/(n k (k + 1)) -
/// 3 n (k + 1), divided by 1 - T/(n k (k^2 - 1)) for the summed tie term T.
/// Result: the upper chi-square tail with k - 1 degrees of freedom; when
/// every row is fully tied Q = 0 and the result 1. -1 for fewer than 3
/// columns, fewer than 1 row or a null matrix (chi2 = 0).
double FriedmanTest(const TMatrix* data, double& chi2);

///@{
/// Results of MedianTest (values 0, -1 and -2 fixed).
constexpr int32_t kMedianTestOk = 0;          ///< all outputs computed
constexpr int32_t kMedianTestEmpty = -1;      ///< a sample is empty
constexpr int32_t kMedianTestNoYates = -2;    ///< the Yates statistic failed (a margin is 0)
constexpr int32_t kMedianTestNotFinite = -3;  ///< a value is NaN or infinite
///@}

/// Mood's median test of two samples: the grand median (the middle quartile
/// of both samples together) splits each sample into values above it and
/// the others; on that 2 x 2 table chi2/pChi2 = Chi2OfContTab, chi2Yates/
/// pYates = Chi2OfContTabYates (both 0 and the result kMedianTestNoYates
/// when it fails), pFisher = the two-sided FisherExactTest (-1 when it
/// fails, for example for more than 1000 values). Outputs 0 (pFisher -1)
/// on the other failures.
int32_t MedianTest(const TDoubleArray& a, const TDoubleArray& b, double& chi2, double& pChi2,
                   double& chi2Yates, double& pYates, double& pFisher);

///@{
/// Results of PerformChi2DistComp (fixed values).
constexpr int32_t kDistCompOk = 0;            ///< computed
constexpr int32_t kDistCompSizeDiffers = -1;  ///< the histograms differ in length
constexpr int32_t kDistCompEmpty = -2;        ///< a histogram is empty
constexpr int32_t kDistCompZeroTotal = -3;    ///< a histogram's total is 0
///@}

/// Chi-square comparison of two histograms over the same bins, obs1 against
/// obs2 scaled to the total of obs1: bins are merged from the left until the
/// accumulated obs2 count b exceeds 5 and the next obs2 bin (if any) is
/// non-zero; each closed bin with obs1 count a adds (K1 a - K2 b)^2/b, K1 =
/// sqrt(n2/n1), K2 = sqrt(n1/n2); a remainder with b > 0 forms a last bin,
/// one with b = 0 joins the last closed bin (or is the only bin). df = bins
/// - 1, p = the upper chi-square tail (1 when df = 0); n1, n2 the totals.
/// Outputs 0 on failure.
int32_t PerformChi2DistComp(const TIntArray& obs1, const TIntArray& obs2, double& chi2, double& p,
                            int32_t& df, int32_t& n1, int32_t& n2);

// ===========================================================================
// 14. Density estimation
// ===========================================================================

/// Progress of EstimateProbDensity: a null sender and the percentage done
/// (0..100).
using TStatisFeedback = std::function<void(TObject* Sender, int32_t Percent)>;

///@{
/// Results of EstimateProbDensity (values -1 and -2 fixed).
constexpr int32_t kDensityOk = 0;          ///< density computed
constexpr int32_t kDensityBadSteps = -1;   ///< nsteps outside 10..10000
constexpr int32_t kDensityBadFactor = -2;  ///< factor <= 0 or NaN
constexpr int32_t kDensityNotFinite = -3;  ///< a value, low, high or window is not finite
constexpr int32_t kDensityNoObject = -4;   ///< density is null
///@}

/// Kernel density estimate with adaptive Gaussian kernels. The data vector
/// is sorted in place (SortElems). For each x_i the local spacing is the
/// mean gap between consecutive sorted values within distance < window of
/// x_i (the span of those values over their count - 1); when that mean is 0
/// (no gap, or all equal) the spacing is window divided by their count. The
/// density vector is resized to nsteps + 1; element j (1-based) at t = low +
/// (j - 1)(high - low)/nsteps is (1/n) sum phi((t - x_i)/s_i)/s_i with s_i =
/// factor times the spacing (factor itself where that is 0) and phi the
/// standard normal density. ixMax and ixMin receive the 1-based positions of
/// the largest and the smallest density (first occurrence). feedback, when
/// set, is called with a null sender and min(100, round(100 c/(nsteps + n +
/// 1))) after each of the n spacing steps and each of the nsteps + 1
/// density steps (c counting on through both), so it ends at exactly 100.
/// Results as listed (checked in the order nsteps, factor, null density,
/// finiteness); on failure nothing is changed and ixMin = ixMax = 0.
int32_t EstimateProbDensity(TVector& data, TVector* density, double low, double high, double factor,
                            double window, int32_t nsteps, int32_t& ixMin, int32_t& ixMax,
                            const TStatisFeedback& feedback = nullptr);

// ===========================================================================
// 15. t, F, one-sample chi-square and Mann-Whitney tests
// ===========================================================================
//
// Every p-value here is two-sided and computed from the smaller tail
// directly (no 1 - F cancellation). Means and variances take the mean first
// and accumulate centred sums in long double.

///@{
/// Results of the tests of this family (fixed values).
constexpr int32_t kTestOk = 0;            ///< statistic and p computed
constexpr int32_t kTestTooFew = -1;       ///< a sample has fewer than 2 values (paired: pairs)
constexpr int32_t kTestSizeDiffers = -2;  ///< paired samples differ in length
constexpr int32_t kTestNotFinite = -3;    ///< a value or parameter is NaN or infinite
constexpr int32_t kTestNoVariance = -4;   ///< a variance (or the pooled one) is 0
constexpr int32_t kTestBadParameter =
    -5;  ///< sigma0 <= 0, a count < 2, or a paired test from summaries
///@}

/// One-sample t-test of H0: mean = mu0: t = (mean - mu0)/(s/sqrt(n)), n - 1
/// degrees of freedom. Results as listed; t and p are 0 on failure.
int32_t Perform1SampleTTest(const TDoubleArray& data, double mu0, double& t, double& p);

/// Two-sample t-test of equal means: ttPaired on the differences a_i - b_i
/// (df = n - 1), ttHomoScedastic with the pooled variance (df = n1 + n2 -
/// 2), ttHeteroScedastic by Welch with Satterthwaite's df (as
/// scipy.stats.ttest_ind(equal_var=False)). Results as listed; outputs 0 on
/// failure.
int32_t Perform2SampleTTest(const TDoubleArray& a, const TDoubleArray& b, TtTestVersion version,
                            double& t, double& df, double& p);
/// The same on two vectors.
int32_t Perform2SampleTTest(const TVector& a, const TVector& b, TtTestVersion version, double& t,
                            double& df, double& p);
/// The same from summary statistics (means, sample standard deviations,
/// sizes); ttPaired needs the pairs and gives kTestBadParameter.
int32_t Perform2SampleTTest(double mean1, double sd1, int32_t n1, double mean2, double sd2,
                            int32_t n2, TtTestVersion version, double& t, double& df, double& p);

/// F-test of equal variances: F = s_a^2/s_b^2 with n_a - 1 and n_b - 1
/// degrees of freedom, p = 2 min(P(F' <= F), P(F' >= F)) capped at 1.
/// Results as listed (kTestNoVariance when s_b^2 is 0); F and p 0 on failure.
int32_t PerformFTest(const TDoubleArray& a, const TDoubleArray& b, double& F, double& p);

/// One-sample chi-square test of H0: standard deviation = sigma0: chi2 =
/// (n - 1) s^2/sigma0^2 with n - 1 degrees of freedom, p = 2 min(lower,
/// upper tail) capped at 1. Results as listed (kTestBadParameter for sigma0
/// <= 0); outputs 0 on failure.
int32_t Perform1SampleChi2Test(const TDoubleArray& data, double sigma0, double& chi2, double& p);

/// The Mann-Whitney U test of two independent samples: U = the number of
/// pairs (a_i, b_j) with a_i > b_j plus half the ties (U of the first
/// sample, as scipy.stats.mannwhitneyu). Without ties and with an exact
/// table in range (UDistriIntegral) p = 2 min(P(U' <= U), P(U' >= U)),
/// capped at 1; otherwise the normal approximation with the tie-corrected
/// variance and a continuity correction of 1/2 (scipy's 'asymptotic'
/// method). Results: kTestOk, kTestTooFew (an empty sample),
/// kTestNotFinite; U and p 0 on failure.
int32_t PerformMannWhitneyUTest(const TDoubleArray& a, const TDoubleArray& b, double& U, double& p);
/// The same on two vectors.
int32_t PerformMannWhitneyUTest(const TVector& a, const TVector& b, double& U, double& p);

/// The Siegel-Tukey test of equal dispersion of two independent samples
/// (Siegel and Tukey, J. Am. Stat. Assoc. 55 (1960) 429): the pooled values
/// are ranked from both ends inwards, 1 to the smallest, 2 and 3 to the two
/// largest, 4 and 5 to the next two smallest, and so on (tied values share
/// the mean of their ranks); U = R1 - n1(n1 + 1)/2 with R1 the rank sum of
/// the first sample, so a small U means that a is the more spread out.
/// Without ties the ranks are a permutation of 1..n and p is the exact
/// two-sided Mann-Whitney probability (UDistriIntegral), as
/// PerformMannWhitneyUTest gives on the ranks; with ties, or beyond the
/// exact table, the normal approximation with the permutation variance of
/// the rank scores, n1 n2 sum (s - (n + 1)/2)^2/(n(n - 1)), and a continuity
/// correction of 1/2 (p = 1 when every value is equal). Results:
/// kTestOk, kTestTooFew (an empty sample), kTestNotFinite; U and p 0 on
/// failure.
int32_t PerformSiegelTukeyTest(const TDoubleArray& a, const TDoubleArray& b, double& U, double& p);
/// The same on two vectors.
int32_t PerformSiegelTukeyTest(const TVector& a, const TVector& b, double& U, double& p);

/// The skewness of data and D'Agostino's test of zero skewness (D'Agostino,
/// Belanger and D'Agostino, Am. Stat. 44 (1990) 316; scipy.stats.skewtest):
/// skew = m3/m2^(3/2) from central moments (mean first, long double), or with
/// unbiased the adjusted G1 = skew sqrt(n(n-1))/(n-2); z from the Johnson
/// S_U transformation of the population skewness, p = 2 P(Z > |z|).
/// Results: kTestOk, kTestTooFew (fewer than 8 values), kTestNotFinite,
/// kTestNoVariance; outputs 0 on failure.
int32_t CalcAndTestSkewness(const TDoubleArray& data, bool unbiased, double& skew, double& z,
                            double& p);

/// The kurtosis of data and Anscombe and Glynn's test of normal kurtosis
/// (Biometrika 70 (1983) 227; scipy.stats.kurtosistest): kurt = m4/m2^2 - 3
/// (excess), or with unbiased the adjusted G2 = ((n+1) kurt + 6)(n-1)/((n-2)
/// (n-3)); z from the Wilson-Hilferty cube root of the standardised
/// population kurtosis, p = 2 P(Z > |z|). Results: kTestOk, kTestTooFew
/// (fewer than 5 values), kTestNotFinite, kTestNoVariance; outputs 0 on
/// failure.
int32_t CalcAndTestKurtosis(const TDoubleArray& data, bool unbiased, double& kurt, double& z,
                            double& p);

/// The p-value of the Shapiro-Wilk statistic w for n values by Royston's
/// normalising transformations (Royston, Stat. Comput. 2 (1992) 117;
/// algorithm AS R94, Appl. Stat. 44 (1995) 547): n = 3 exactly, 6/pi
/// (asin(sqrt(w)) - asin(sqrt(3/4))); 4 <= n <= 11 from -ln(gamma - ln(1 -
/// w)); n >= 12 from ln(1 - w), each compared with a normal of fitted mean
/// and spread. -1 for n < 3 or n > 5000, or w NaN or outside (0, 1].
double ShapiroWilkIntegral(double w, int32_t n);

///@{
/// Results of ShapiroWilkTest (fixed values).
constexpr int32_t kShapiroOk = 0;          ///< W and p computed
constexpr int32_t kShapiroBadCount = -1;   ///< fewer than 3 or more than 5000 values used
constexpr int32_t kShapiroNotFinite = -2;  ///< a value is NaN or infinite
constexpr int32_t kShapiroConstant = -3;   ///< all values are equal
///@}

/// The Shapiro-Wilk test for normality of the first n values of data (n = 0
/// or n > size: all): the coefficients of AS R94 (Royston's polynomial
/// approximations of the two extreme weights, expected normal order
/// statistics from nDistriQuantile((i - 3/8)/(n + 1/4)) for the others), W =
/// (sum a_i (x_(n+1-i) - x_(i)))^2 / sum (x - mean)^2 on a sorted copy
/// (centred, long double), p = ShapiroWilkIntegral(W, n). Agrees with
/// scipy.stats.shapiro (which works in single precision) to 1e-6 in W.
/// Results as listed; W and p 0 on failure.
int32_t ShapiroWilkTest(const TDoubleArray& data, int32_t n, double& W, double& p);
/// The same on a vector (not changed).
int32_t ShapiroWilkTest(const TVector& data, int32_t n, double& W, double& p);

// ===========================================================================
// 16. Model files
// ===========================================================================

/// The longest model comment LoadPLSModelComment reads, in bytes (1 MiB).
constexpr int64_t kMaxPLSCommentBytes = int64_t{1} << 20;

///@{
/// Results of LoadPLSModelComment (value 0 fixed). PLSCommentStatusText
/// turns one into a sentence.
constexpr int32_t kPLSCommentOk = 0;        ///< the comment was read
constexpr int32_t kPLSCommentNoFile = -1;   ///< the file cannot be opened or read
constexpr int32_t kPLSCommentNotPLS = -2;   ///< empty, or no plsmodel element with the signature
constexpr int32_t kPLSCommentDamaged = -3;  ///< the comment is missing, unterminated or too long
///@}

/// A short English sentence (no final period) for a result of
/// LoadPLSModelComment; "unknown PLS model file status" for any other
/// value. The text is static.
const char* PLSCommentStatusText(int32_t status);

/// Reads the comment of a PLS model file without reading the model. The
/// file (written by the PLS model routines; UTF-8, XML-like as the other
/// files of the library) begins
/// \code
/// <?xml version="1.0" encoding="UTF-8"?>
/// <!-- PLS model, ZEL Component Suite -->
/// <plsmodel sig="ZELCSuite" vers="1.0" id="...">
/// <comment>the model comment</comment>
/// \endcode
/// and continues with the model's own elements. The prolog (XML
/// declaration, comments) is optional; the first element must be plsmodel
/// with the attribute sig="ZELCSuite", the first element inside it the
/// comment (\<comment/> for an empty one). The comment is the text between
/// its tags as the tag reader of core returns it (line breaks kept, "\r\n"
/// read as "\n"), with the entities &amp;lt; &amp;gt; &amp;amp; &amp;quot;
/// &amp;apos; and decimal or hexadecimal character references
/// (&amp;\#233; &amp;\#xE9;) decoded; other text after '&amp;' is kept as
/// written, and a tag inside the comment is an error. Only the first kMaxPLSCommentBytes + 64 KiB bytes of the
/// file are read, so a huge or endless file costs no more. Results:
/// kPLSCommentOk, kPLSCommentNoFile (missing file, a directory, no
/// permission, a read error), kPLSCommentNotPLS (an empty file, another
/// element first, no or another signature), kPLSCommentDamaged (no comment
/// element first, no closing tag within the part read, a comment above
/// kMaxPLSCommentBytes); Comment is empty on failure.
int32_t LoadPLSModelComment(const std::string& FileName, std::string& Comment);

}  // namespace zel
