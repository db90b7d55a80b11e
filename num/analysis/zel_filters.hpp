/// @file
/// Zel_math2 (smoothing filters and signal routines): moving-window and
/// Savitzky-Golay smoothing and derivatives of a vector range, a moving
/// kernel filter, ranks, peak and sigmoid generators, Gaussian kernels, a
/// parenthesis checker, windowed-sinc kernels, 2-D convolution with the
/// compass and Kirsch operators, the correlation of two image areas, and
/// the recursive Chebyshev (Butterworth for ripple 0) filter with its
/// zero-phase application.
///
/// Families, in the order of this header:
///   1. Types, tables and status codes
///   2. Smoothing and derivative filters of a vector range
///   3. Ranks, peaks, sigmoid, Gaussian kernels, parenthesis checker
///   4. Windowed-sinc kernels
///   5. 2-D kernel convolution and edge operators
///   6. Image correlation
///   7. Chebyshev filter
///
/// Conventions of this part of the unit:
/// - Vectors (TVector) count their elements from 1; arrays (TDoubleArray,
///   TDouble2DArray) from 0, a 2-D array being Data[first index][second
///   index] with every inner array of one length.
/// - Errors that abort an operation throw EZELMath2Error (declared in
///   num/analysis/zel_math2.hpp) with the message '\<routine>: \<text>';
///   routines that report through a status result never throw for bad input.
/// - Non-finite input propagates: a NaN inside a window or a kernel's reach
///   gives NaN there; nothing is skipped silently.
/// - No routine here reads or changes the progress globals; KernelConvolve
///   reports through its own feedback argument.
/// - Everything runs on the calling thread and holds no state between calls.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/zel_zelbase.hpp"
#include "num/analysis/zel_math2.hpp"
#include "num/matrix/zel_matrix.hpp"
#include "num/vector/zel_vector.hpp"

namespace zel {

class TBitmap;

// ===========================================================================
// 1. Types, tables and status codes
// ===========================================================================

/// Parameters of one Gaussian peak of CreateGaussianPeaks: position (1-based
/// element index, may be fractional), width, height.
using TGaussPeakParams = std::array<double, 3>;
/// The peaks of CreateGaussianPeaks.
using TPeakParamsList = std::vector<TGaussPeakParams>;

/// The quantity compared by CalcImgCorrelation (ordinals fixed).
enum class TImgCompareMode : int32_t {
  icmRed = 0,         ///< red byte
  icmBlue = 1,        ///< blue byte
  icmGreen = 2,       ///< green byte
  icmHue = 3,         ///< hue in degrees (RGBtoHSI)
  icmLightness = 4,   ///< intensity 0..1 (RGBtoHSI)
  icmSaturation = 5,  ///< saturation 0..1 (RGBtoHSI)
  icmGrayValues = 6   ///< grey value (RGBtoGray)
};

/// Savitzky-Golay quadratic/cubic smoothing coefficients (A. Savitzky and
/// M. J. E. Golay, Anal. Chem. 36 (1964) 1627, Table I, corrected values):
/// row r (0..10) is the window W = 5 + 2 r; element 0 the normalising
/// divisor, element 1 + k the coefficient of offset +-k (k = 0..(W - 1)/2),
/// the rest 0. Equal to scipy.signal.savgol_coeffs(W, 2) exactly.
extern const std::array<std::array<int32_t, 14>, 11> GolayPoly;
/// Savitzky-Golay second-derivative coefficients (quadratic/cubic fit, unit
/// spacing), laid out as GolayPoly. Equal to
/// scipy.signal.savgol_coeffs(W, 2, deriv=2) exactly.
extern const std::array<std::array<int32_t, 14>, 11> Golay2ndDeriv;

///@{
/// Results of CalcSinc*Kernel besides the centre index.
constexpr int32_t kSincBadLength = -1;  ///< NumPoints < 1 or the kernel vector is null
///@}

///@{
/// Results of KernelConvolve, ApplyCompassKernel and ApplyKirschKernel.
/// KernelStatusText turns one into a sentence.
constexpr int32_t kConvolveOk = 0;             ///< done
constexpr int32_t kConvolveNotSquare = -1;     ///< kernel not square (KernelConvolve)
constexpr int32_t kConvolveBadDirection = -1;  ///< direction outside 0..7 (compass, Kirsch)
constexpr int32_t kConvolveEvenSize = -2;      ///< kernel size even
constexpr int32_t kConvolveTooSmall = -3;      ///< kernel smaller than 3 x 3
constexpr int32_t kConvolveRaggedData = -4;    ///< inner arrays of Data differ in length
///@}

///@{
/// Results of the generators of family 3. GeneratorStatusText turns one
/// into a sentence (the meaning of -1 and -2 depends on the routine).
constexpr int32_t kGenOk = 0;             ///< done
constexpr int32_t kGenNoPeaks = -1;       ///< CreateGaussianPeaks: empty peak list
constexpr int32_t kGenBadWidth = -1;      ///< Gauss2D: Width <= 0 or NaN
constexpr int32_t kGenTooShort = -1;      ///< CreateSigmoidArray: fewer than 3 elements
constexpr int32_t kGenDataTooSmall = -2;  ///< CreateGaussianPeaks, Gauss2D: Data too small
constexpr int32_t kGenBadPeakWidth = -3;  ///< CreateGaussianPeaks: a peak width <= 0 or NaN
///@}

/// A short English sentence (no final period) for a result of
/// KernelConvolve; for -1 it names both meanings. "unknown convolution
/// status" for any other value. The text is static.
const char* KernelStatusText(int32_t status);

/// A short English sentence (no final period) for a result of
/// CreateGaussianPeaks, Gauss2D or CreateSigmoidArray; "unknown generator
/// status" for any other value. The text is static.
const char* GeneratorStatusText(int32_t status);

// ===========================================================================
// 2. Smoothing and derivative filters of a vector range
// ===========================================================================
//
// The filter frame, shared by the six window filters (h = (W - 1)/2):
// 1. SourceVec or DestVec null throws '<routine>: either SourceVec or
//    DestVec is undefined'.
// 2. FirstElem and LastElem are clamped to 1..NrOfElem of SourceVec, then
//    exchanged when reversed; both 0 means the whole vector (the library's
//    range rule).
// 3. LastElem - FirstElem < W throws the range message (so the range needs
//    W + 1 elements; this check comes before the window checks).
// 4. W outside its range throws the out-of-range message; an even W the
//    odd-length message.
// 5. For every centre i = FirstElem + h .. LastElem - h the value is stored
//    at DestVec[i - FirstElem + 1]; the first h places repeat place h + 1,
//    the last h places repeat place m - h (m = LastElem - FirstElem + 1).
//    DestVec is not resized: places beyond its end are dropped. The result
//    is formed in a temporary first, so DestVec may be SourceVec. DestVec
//    fires OnChange once at the end; SourceVec is not touched. Work O(m W)
//    (every window is summed or selected afresh, so no error accumulates).

/// Moving average: the mean of x[i - h .. i + h] (long double sum). W odd,
/// >= 3. 1..10 with W = 3 gives 2, 2, 3, 4, 5, 6, 7, 8, 9, 9 (equal to
/// scipy.ndimage.uniform_filter1d in the interior).
/// Throws EZELMath2Error "MovingAverageSmooth: either SourceVec or DestVec is
/// undefined", "MovingAverageSmooth: specified range for smoothing is smaller
/// than the length of the smoothing windows", "MovingAverageSmooth: length
/// of smoothing window is out of range", "MovingAverageSmooth: length of
/// smoothing window must be odd".
void MovingAverageSmooth(const TVector* SourceVec, int32_t FirstElem, int32_t LastElem,
                         TVector* DestVec, int32_t W);

/// Moving median: the middle of the W sorted values (QuickSelect, O(W) per
/// position with ties), W odd, >= 3; a NaN in the window gives NaN. Equal to
/// scipy.ndimage.median_filter in the interior.
/// Throws as MovingAverageSmooth with the name MovingMedianSmooth.
void MovingMedianSmooth(const TVector* SourceVec, int32_t FirstElem, int32_t LastElem,
                        TVector* DestVec, int32_t W);

/// Triangular weights: (Sum_{k=-h..h} (h + 1 - |k|) x[i + k]) 4 / (W + 1)^2,
/// W odd, >= 3 (the weights sum to 1).
/// Throws as MovingAverageSmooth with the name WeightedAverageSmooth.
void WeightedAverageSmooth(const TVector* SourceVec, int32_t FirstElem, int32_t LastElem,
                           TVector* DestVec, int32_t W);

/// Savitzky-Golay quadratic smoothing: (Sum_k c_|k| x[i + k]) / norm from
/// the GolayPoly row of W, W odd, 5..25. Agrees with
/// scipy.signal.savgol_filter(x, W, 2) in the interior to 1e-13 on a test
/// signal of magnitude up to 36 (as do both derivatives).
/// Throws EZELMath2Error "PolynomialSmooth: either SourceVec or DestVec is
/// undefined", "PolynomialSmooth: specified range for smoothing is smaller
/// than the length of the polynomial", "PolynomialSmooth: length of
/// polynomial is out of range", "PolynomialSmooth: length of polynomial must
/// be odd". W = 27 on a vector of 28 or more elements gives the
/// out-of-range message; on a shorter one the range message comes first.
void PolynomialSmooth(const TVector* SourceVec, int32_t FirstElem, int32_t LastElem,
                      TVector* DestVec, int32_t W);

/// First derivative (unit spacing) of the quadratic Savitzky-Golay fit:
/// (Sum_{k=-h..h} k x[i + k]) / (Sum k^2), W odd, 5..25. Agrees with
/// scipy.signal.savgol_filter(x, W, 2, deriv=1) in the interior.
/// Throws EZELMath2Error "FirstDeriv: either SourceVec or DestVec is
/// undefined", "FirstDeriv: specified range for calculation is smaller than
/// the length of the polynomial", "FirstDeriv: length of polynomial is out
/// of range", "FirstDeriv: length of polynomial must be odd".
void FirstDeriv(const TVector* SourceVec, int32_t FirstElem, int32_t LastElem, TVector* DestVec,
                int32_t W);

/// Second derivative (unit spacing) of the quadratic Savitzky-Golay fit:
/// (Sum_k c_|k| x[i + k]) / norm from the Golay2ndDeriv row of W, W odd,
/// 5..25. Agrees with scipy.signal.savgol_filter(x, W, 2, deriv=2) in the
/// interior.
/// Throws EZELMath2Error "SecondDeriv: either SourceVec or DestVec is
/// undefined", "SecondDeriv: specified range for smoothing is smaller than
/// the length of the polynomial", "SecondDeriv: length of polynomial is out
/// of range", "SecondDeriv: length of polynomial must be odd".
void SecondDeriv(const TVector* SourceVec, int32_t FirstElem, int32_t LastElem, TVector* DestVec,
                 int32_t W);

/// Moving kernel filter with a kernel of L = NrOfElem(FilterKernel)
/// elements. FirstElem and LastElem follow the range rule of the filter
/// frame; LastElem - FirstElem < L throws. DestVec is resized to the length
/// of SourceVec and, for i = FirstElem..LastElem,
/// DestVec[i - FirstElem + 1] = Sum_{k=1..L} FilterKernel[k]
/// x[clamp(i + k - 1 - L/2, FirstElem, LastElem)] (integer L/2; values
/// beyond the range edges repeat the edge value; no kernel flip, so this is
/// a correlation). Places beyond LastElem - FirstElem + 1 keep their values.
/// DestVec may be SourceVec or FilterKernel (computed into a temporary);
/// DestVec fires OnChange (and OnResize when resized), then OnChange once
/// for the values.
/// Throws EZELMath2Error "MovingKernelfilter: SourceVec, DestVec and/or
/// FilterKernel is undefined" and "MovingKernelfilter: specified range for
/// smoothing is smaller than the length of the kernel" (spelling as given).
void MovingKernelFilter(const TVector* SourceVec, int32_t FirstElem, int32_t LastElem,
                        TVector* DestVec, const TVector* FilterKernel);

// ===========================================================================
// 3. Ranks, peaks, sigmoid, Gaussian kernels, parenthesis checker
// ===========================================================================

/// Ranks of the elements of Data in their order (1 for the smallest); tied
/// values get the mean of their ranks (scipy.stats.rankdata, method
/// 'average'). Ranks is resized to NrOfElem(Data) and fires its events once
/// (may be Data itself). Result: the tie term Sum over groups of t >= 2
/// equal values of t (t^2 - 1), 0 without ties (exact in double up to
/// 2^17 ties per group, accurate to one rounding beyond). O(n log n).
/// A NaN element makes every rank and the result NaN. A null argument gives
/// 0 and changes nothing.
double CalcRanks(const TVector* Data, TVector* Ranks);

/// Sums Gaussian peaks into Data: element i (1-based) becomes Sum over peaks
/// of height exp(-((i - position)/width)^2); Data keeps its length.
/// Results (kGen constants): 0 done; -1 empty peak list; -2 Data has fewer
/// than 3 elements; -3 a peak width <= 0 or NaN (checked before anything is
/// written). On a non-zero result Data is unchanged.
int32_t CreateGaussianPeaks(const TPeakParamsList& Peaks, TDoubleArray& Data);

/// Data[i - 1][j - 1] = Amplitude exp(-(((i - CenterX)/Width)^2 + ((j -
/// CenterY)/Width)^2)) for all i, j (1-based), the quotients taken before
/// squaring so that widths near 1e-160 or 1e154 neither underflow nor
/// overflow. Results: 0 done; -2 Data has fewer than 2 inner arrays, an
/// inner array fewer than 2 elements, or inner arrays of different lengths;
/// -1 Width <= 0 or NaN (after the size check). Data is unchanged on a
/// non-zero result.
int32_t Gauss2D(int32_t CenterX, int32_t CenterY, double Width, double Amplitude,
                TDouble2DArray& Data);

/// Element i (1-based) of Data becomes Offset + Height / (exp(-Steepness (i
/// - Center)) + 1) (an overflowing exponential gives Offset). Results: 0
/// done; -1 fewer than 3 elements (Data unchanged).
int32_t CreateSigmoidArray(TDoubleArray& Data, double Steepness, double Offset, double Height,
                           int32_t Center);

/// Gaussian (RBF) kernel exp(-min(20, Sum_k ((Vec1[k] - Vec2[k]) / Sigma)^2))
/// over the elements k = 1..NrOfElem(Vec2) (an element beyond Vec1 reads 0);
/// the quotient is taken before squaring, so the sum is scale-safe. Sigma =
/// 0 gives 1 when the vectors agree and exp(-20) otherwise. NaN in gives
/// NaN. A null vector gives 0.
double CalcGaussKernel(const TVector* Vec1, const TVector* Vec2, double Sigma);

/// CalcGaussKernel with Vec2 replaced by row Row of Mat (the sum runs over
/// the columns of Mat; an element beyond Vec or a row outside Mat reads 0).
/// A null argument gives 0.
double CalcGaussKernelMat(const TVector* Vec, const TMatrix* Mat, int32_t Row, double Sigma);

/// Scans Expr from the left, +1 for '(' and -1 for ')'; when the count would
/// become negative the result is minus the 1-based byte position of that
/// ')'; otherwise the final count (0 balanced, > 0 unclosed). "(a)(b" gives
/// 1, "a)(" gives -2. Counts above INT32_MAX saturate.
int32_t CheckParanthInExp(const std::string& Expr);

// ===========================================================================
// 4. Windowed-sinc kernels
// ===========================================================================
//
// The low-pass kernel of NumPoints taps (S. W. Smith, "The Scientist and
// Engineer's Guide to Digital Signal Processing", ch. 16): Cutoff (fraction
// of the sampling rate) clamped to [0, 0.5]; with the centre c = NumPoints/2
// + 1 (1-based, integer halving) h[i] = sin(2 pi Cutoff (i - c)) / (i - c),
// h[c] = 2 pi Cutoff; Window 1 multiplies by the Hamming window 0.54 - 0.46
// cos(2 pi i / (NumPoints + 1)), Window 2 by the Blackman window 0.42 - 0.5
// cos(2 pi i / (NumPoints + 1)) + 0.08 cos(4 pi i / (NumPoints + 1)), any
// other value leaves it unwindowed; then the kernel is divided by its sum
// (unless the sum is 0, as for Cutoff 0). An even NumPoints gives a kernel
// whose window is centred at (NumPoints + 1)/2 but whose sinc is centred at
// c: it is not symmetric. The magnitude response of a 51-tap Hamming
// low-pass at Cutoff 0.1 agrees with scipy.signal.firwin(51, 0.2) to 0.01
// (largest near the transition: the windows span NumPoints + 1 intervals
// here and NumPoints - 1 there).
// A NaN cutoff gives a NaN kernel.
// Results: the centre index, 0-based NumPoints/2 for the array overloads and
// 1-based NumPoints/2 + 1 for the TVector overloads; kSincBadLength (-1,
// kernel unchanged) for NumPoints < 1 or a null vector. The TVector
// overloads resize the vector and fire its events once more for the values.

/// Low-pass kernel (see above).
int32_t CalcSincLPKernel(int32_t NumPoints, double Cutoff, int32_t Window, TDoubleArray& Kernel);
/// Low-pass kernel into a vector.
int32_t CalcSincLPKernel(int32_t NumPoints, double Cutoff, int32_t Window, TVector* Kernel);
/// High-pass kernel: the low-pass kernel negated with 1 added at the centre
/// (spectral inversion), so its taps sum to 0 (up to rounding).
int32_t CalcSincHPKernel(int32_t NumPoints, double Cutoff, int32_t Window, TDoubleArray& Kernel);
/// High-pass kernel into a vector.
int32_t CalcSincHPKernel(int32_t NumPoints, double Cutoff, int32_t Window, TVector* Kernel);
/// Band-stop kernel: the cutoffs ordered, then the low-pass kernel of the
/// lower plus the high-pass kernel of the higher.
int32_t CalcSincBSKernel(int32_t NumPoints, double Cutoff1, double Cutoff2, int32_t Window,
                         TDoubleArray& Kernel);
/// Band-stop kernel into a vector.
int32_t CalcSincBSKernel(int32_t NumPoints, double Cutoff1, double Cutoff2, int32_t Window,
                         TVector* Kernel);
/// Band-pass kernel: the band-stop kernel spectrally inverted.
int32_t CalcSincBPKernel(int32_t NumPoints, double Cutoff1, double Cutoff2, int32_t Window,
                         TDoubleArray& Kernel);
/// Band-pass kernel into a vector.
int32_t CalcSincBPKernel(int32_t NumPoints, double Cutoff1, double Cutoff2, int32_t Window,
                         TVector* Kernel);

// ===========================================================================
// 5. 2-D kernel convolution and edge operators
// ===========================================================================

/// 2-D correlation (no kernel flip) of Data with a square kernel of odd size
/// k >= 3, h = k/2: Result[r][c] = Sum_{p,q=0..k-1} Kernel[p][q]
/// Data[r + p - h][c + q - h], an index outside Data replaced by the nearest
/// valid one. Equal to scipy.ndimage.correlate(Data, Kernel, mode='nearest')
/// (to 2e-14 relative on the test data); sums in long double. Result gets
/// the size of Data and is replaced only at the end, so it may be Data
/// itself, and an exception of Feedback leaves it as it was. Empty Data
/// gives an empty Result and 0; a negative result empties Result. Work
/// O(R C k^2).
/// Feedback (may be empty) is called with a null sender after every step =
/// max(1, (R - k)(C - k)/100) interior elements (those at least h away from
/// every edge, R x C the size of Data), with the count done divided by step;
/// the last call can pass slightly more than 100.
/// Results (kConvolve constants), checked in this order: -1 the kernel is
/// not square (a ragged kernel included), -2 k even, -3 k < 3, -4 the inner
/// arrays of Data differ in length; 0 done.
int32_t KernelConvolve(const TDouble2DArray& Kernel, const TDouble2DArray& Data,
                       TDouble2DArray& Result, const TOnPercentDoneEvent& Feedback);

/// KernelConvolve with a compass gradient kernel. Direction 0 is
/// {{-1, -1, -1}, {1, -2, 1}, {1, 1, 1}} (Kernel[p][q], first index first);
/// direction d (0..7) is direction 0 with its eight outer elements moved d
/// places along the ring (0,0), (1,0), (2,0), (2,1), (2,2), (1,2), (0,2),
/// (0,1) -- clockwise when the first index runs to the right and the second
/// downwards, as on a bitmap -- so direction 2 is direction 0 turned by 90
/// degrees. Results: -1 (kConvolveBadDirection) for a direction outside
/// 0..7 (Result emptied), else those of KernelConvolve.
int32_t ApplyCompassKernel(int32_t Direction, const TDouble2DArray& Data, TDouble2DArray& Result,
                           const TOnPercentDoneEvent& Feedback);

/// As ApplyCompassKernel with the Kirsch operator, direction 0 being
/// {{-3, -3, -3}, {-3, 0, -3}, {5, 5, 5}}.
int32_t ApplyKirschKernel(int32_t Direction, const TDouble2DArray& Data, TDouble2DArray& Result,
                          const TOnPercentDoneEvent& Feedback);

// ===========================================================================
// 6. Image correlation
// ===========================================================================

/// Pearson correlation of a quantity over two equally sized areas of two
/// bitmaps (gui/zel_graphics.hpp; link zelgui_rt to create them). Pixel
/// (x, y) of Area1 (Left..Right and Top..Bottom inclusive) of Img1 is paired
/// with pixel (x + Area2.Left - Area1.Left, y + Area2.Top - Area1.Top) of
/// Img2; pairs where either pixel lies outside its bitmap are left out (the
/// areas are clipped in step). The quantity of a pixel colour (red in the
/// low byte): the red, blue or green byte; for icmHue, icmLightness and
/// icmSaturation the hue, intensity and saturation of RGBtoHSI; for
/// icmGrayValues RGBtoGray. The coefficient is formed with the means first
/// and centred sums in long double (equal to numpy.corrcoef on the channel
/// arrays to 1e-14, on grey values to 1e-12); 0 when it is undefined (fewer than 2 pairs, or either
/// quantity constant), or when a bitmap is null or an area has Right < Left
/// or Bottom < Top.
/// Throws EZELMath2Error "CalcImgCorrelation: image ranges to compare are not
/// of equal size" when the widths (Right - Left) or the heights (Bottom -
/// Top) of the two areas differ.
double CalcImgCorrelation(const TBitmap* Img1, const TBitmap* Img2, const TRect& Area1,
                          const TRect& Area2, TImgCompareMode CompareMode);

// ===========================================================================
// 7. Chebyshev filter
// ===========================================================================

/// Recursive Chebyshev type I low-pass or high-pass design (S. W. Smith,
/// "The Scientist and Engineer's Guide to Digital Signal Processing",
/// ch. 20): NPoles/2 biquad stages from the analog poles (for Ripple > 0
/// warped to the ellipse of the ripple and scaled so that the response is
/// 3 dB below the pass band at Cutoff), bilinear transform, a low-pass to
/// low-pass or low-pass to high-pass transform to Cutoff, cascaded into two
/// arrays of 23 terms; the leading term of b is cleared before the arrays
/// are shifted down by 2 and b negated, and a is divided by the gain g =
/// Sum a / (1 - Sum b) (low-pass: unit gain at DC) or Sum (-1)^i a_i / (1 -
/// Sum (-1)^i b_i) (high-pass: unit gain at the Nyquist frequency). g is
/// formed as the product of the stages' gains, equal in exact arithmetic;
/// the plain sums cancel to nothing when many poles crowd near z = 1.
/// The recursion is y[n] = A0 x[n] + Sum_{k=1..NPoles} (a_k x[n - k] + b_k
/// y[n - k]). Coeffs is resized to 2 columns x NPoles rows: column 1 holds
/// a_1..a_NPoles, column 2 b_1..b_NPoles (the events of Resize, then one
/// OnChange per column).
/// With Ripple 0 the design is the Butterworth filter: it agrees with
/// scipy.signal.butter(NPoles, 2 Cutoff) coefficient for coefficient (to
/// 2e-15 relative to the largest coefficient, measured for 2 to 20 poles at
/// cutoffs 0.01 to 0.45). With Ripple > 0 the
/// denominator agrees with scipy.signal.cheby1(NPoles, -20 log10(1 -
/// Ripple/100), Wn) with Wn = (2/pi) atan(tan(pi Cutoff)/c) (low-pass) or
/// (2/pi) atan(c tan(pi Cutoff)) (high-pass), c = cosh(acosh(1/e)/NPoles),
/// e = sqrt((100/(100 - Ripple))^2 - 1), and the numerator is cheby1's
/// divided by 1 - Ripple/100 (an even order has that gain at DC in cheby1,
/// here 1); both to 1e-12 relative to the largest coefficient on the test
/// designs.
/// Ripple is in percent; Cutoff a fraction of the sampling rate.
/// Throws EZELMath2Error, before anything is changed:
/// "CalcChebFilterCoeffs: NPoles must be even" for an odd NPoles and also
/// for NPoles outside 2..20 (the arrays hold 20 poles; 0 poles would leave
/// stale coefficients); "CalcChebFilterCoeffs: invalid Ripple value" for
/// Ripple outside [0, 29] or NaN; "CalcChebFilterCoeffs: invalid cutoff
/// frequency" for Cutoff outside the open range (0, 0.5) or NaN (at 0 or
/// 0.5 the gain normalisation would divide by 0).
/// A null Coeffs: A0 is set, nothing else.
void CalcChebFilterCoeffs(int32_t NPoles, bool HighPass, double Cutoff, double Ripple, double& A0,
                          TMatrix* Coeffs);

/// Zero-phase application of the recursion of CalcChebFilterCoeffs (P =
/// rows of Coeffs, a_k = Coeffs(1, k), b_k = Coeffs(2, k)): forward y[n] =
/// A0 x[n] + Sum_{k=1..P} (a_k x[n - k] + b_k y[n - k]) over the source
/// positions n = 1 - P .. LastElem + P + 1 (x outside the vector is 0, y
/// before the start 0), then backward z[n] = A0 y[n] + Sum_k (a_k y[n + k]
/// + b_k z[n + k]) from the end down to 1 - P (z after the end 0).
/// FirstElem and LastElem follow the filter frame's range rule. DestVec is resized to the length of SourceVec and receives
/// DestVec[i] = z[i] for i = FirstElem..LastElem (the positions of the
/// source; the other elements keep their values), then fires OnChange once.
/// Agrees with two passes of scipy.signal.lfilter over the zero-padded
/// signal to 1e-13 relative. Sums in long double. A null SourceVec, DestVec
/// or Coeffs does nothing; DestVec may be SourceVec.
void ChebychevFilter(const TVector* SourceVec, int32_t FirstElem, int32_t LastElem,
                     TVector* DestVec, double A0, const TMatrix* Coeffs);

}  // namespace zel
