/// @file
/// Zel_wavelet: the one-dimensional discrete wavelet transform with
/// Daubechies filters (TWavelet1D), computed in place level by level
/// (Mallat's pyramid algorithm) on extended-precision data, and its inverse.
///
/// Families, in the order of this header:
///   1. The exception class and the enumerations
///   2. TWavelet1D: size, order and data, the transforms
///
/// Conventions of the whole unit:
/// - Data are addressed 1..N; reads outside give 0, writes outside are
///   ignored. Values are stored as long double (x87 80-bit) and read and
///   written as double; a coefficient beyond the double range reads as
///   +-inf.
/// - Layout after a transform of L levels of an N-value signal: the
///   approximation of the coarsest level first, then the details from the
///   coarsest to the finest level (the last N/2 values are the details of
///   the first level).
/// - Relation to PyWavelets (measured against pywt 1.1.1, largest
///   difference 1.8e-15 for N = 32, coefficients up to 6.5, every order and mode): one level on n
///   values equals pywt.dwt with wavelet 'dbK', keeping the first n/2
///   approximations and the first n/2 details, in mode 'periodization' of the
///   input delayed by K - 1 samples (np.roll(x, K - 1)) for wseWrap, and in
///   modes 'zero' and 'symmetric' for wseZeroPad and wseSymmetric.
/// - Errors throw EZELWaveletError with the message
///   'Component "\<Name>": \<text>' (TComponent::ComponentMessage).
/// - NaN propagates to every coefficient it contributes to.
/// - No events, no progress reports, no process-wide state. An object is not
///   safe to use from two threads at once; different objects are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/zel_classes.hpp"
#include "core/zel_zelbase.hpp"

namespace zel {

// ===========================================================================
// 1. The exception class and the enumerations
// ===========================================================================

/// Raised by TWavelet1D. Derives from EZELError, so one
/// catch (const EZELError&) catches every library error.
class EZELWaveletError : public EZELError {
 public:
  using EZELError::EZELError;
};

/// The wavelet family (ordinals fixed).
enum class TWaveletFamily : int32_t {
  wlfDaubechies = 0  ///< Daubechies' orthogonal wavelets with K vanishing moments
};

/// How a step continues the signal before its start (a filter never reaches
/// beyond the end of the block; ordinals fixed).
enum class TWLSigExtMode : int32_t {
  /// Periodic: index i < 0 reads i + n. The transform is orthogonal and
  /// InverseTransform undoes Transform exactly.
  wseWrap = 0,
  /// Zeros before the start.
  wseZeroPad = 1,
  /// The block mirrored with its edge value repeated (index i < 0 reads
  /// -i - 1), reflected again at the block's end where the filter is longer
  /// than the block (index j >= n reads 2n - 1 - j), so a step never reads
  /// or writes outside its block.
  wseSymmetric = 2
};

// ===========================================================================
// 2. TWavelet1D
// ===========================================================================

/// A signal of N = 2^0 .. 2^23 values and its in-place Daubechies wavelet
/// transform of order K = 1..3 (2K taps: D2 = Haar, D4, D6).
///
/// Method: one step on the first n values (n a power of two, 2 <= n <= N)
/// computes, for l = 0..n/2-1 and m = 0..2K-1 with source index
/// i = 2l + 2 - 2K + m, the approximation t[l] += LP[m] x[i] and the detail
/// t[n/2 + l] += HP[m] x[i]; indices i < 0 are continued as SignalExtMode
/// says. The inverse step is the transpose: t[i] += LP[m] x[l] +
/// HP[m] x[n/2 + l]. (Mallat, IEEE Trans. PAMI 11 (1989) 674; Daubechies,
/// Ten Lectures on Wavelets, SIAM 1992, table 6.1.)
///
/// Filters: LP are Daubechies' minimum-phase low-pass coefficients (sum
/// sqrt 2), computed in long double from their closed forms (for K = 2:
/// (1 + sqrt 3, 3 + sqrt 3, 3 - sqrt 3, 1 - sqrt 3)/(4 sqrt 2)), so they are
/// orthonormal to about 1e-19; rounded to double they are 0.7071067811865476
/// (twice) for K = 1, 0.48296291314453416, 0.8365163037378079,
/// 0.2241438680420134, -0.12940952255126037 for K = 2 and
/// 0.33267055295008263, 0.8068915093110925, 0.45987750211849154,
/// -0.13501102001025458, -0.08544127388202666, 0.03522629188570953 for
/// K = 3. HP is the alternating reversal HP[2K - 1 - e] = (-1)^(e + 1) LP[e]
/// (0-based).
///
/// Reconstruction: with wseWrap, InverseTransform(log2 N) after
/// Transform(log2 N) restores the signal (largest error measured 6.5e-19
/// relative to the signal's largest value, N up to 4096, every order). With
/// wseZeroPad and wseSymmetric the step is not orthogonal (the continuation
/// acts on the left edge only) and the inverse step is only its transpose:
/// a round trip does not restore the signal there (largest errors 1.1 to
/// 53 measured on 64 unit-variance values, K = 2 and 3). The Haar filter
/// (K = 1) never leaves its block, so it restores the signal in every mode.
class TWavelet1D : public TComponent {
 public:
  /// N = 256, K = 2, wseWrap, wlfDaubechies, data 0.
  explicit TWavelet1D(TComponent* AOwner);
  /// "TWavelet1D".
  std::string ClassName() const override { return "TWavelet1D"; }

  // --- size, order and data ------------------------------------------------

  /// N, the number of values (property Size).
  int32_t GetNumData() const { return static_cast<int32_t>(FData.size()); }
  /// Sets N: a power of two from 1 to 8388608 (2^23), else throws
  /// EZELWaveletError "data length must be power of 2". Reallocates the data
  /// (all 0), also when N is unchanged. An allocation failure throws "not
  /// enough memory on heap" and leaves the object as it was.
  void SetNumData(int32_t Value);
  /// Same as GetNumData.
  int32_t GetSize() const { return GetNumData(); }
  /// Same as SetNumData.
  void SetSize(int32_t Value) { SetNumData(Value); }

  /// K, the order: the filters have 2K taps.
  int32_t GetOrder() const { return FOrder; }
  /// Sets K and rebuilds both filters. K outside 1..3 throws
  /// EZELWaveletError "invalid order of Daubechies wavelet family" and
  /// changes nothing. The data are not touched.
  void SetOrder(int32_t Value);

  /// The wavelet family (only wlfDaubechies exists).
  TWaveletFamily GetWaveletFamily() const { return FWaveletFam; }
  /// Sets the wavelet family.
  void SetWaveletFamily(TWaveletFamily Value) { FWaveletFam = Value; }
  /// How a step continues the signal before its start.
  TWLSigExtMode GetSignalExtMode() const { return FWLSigExtMode; }
  /// Chooses the continuation.
  void SetSignalExtMode(TWLSigExtMode Value) { FWLSigExtMode = Value; }

  /// Value ix (1..N) rounded to double; 0 outside.
  double GetData(int32_t ix) const;
  /// Sets value ix (1..N; ignored outside).
  void SetData(int32_t ix, double Value);
  /// Low-pass tap e (1..2K) rounded to double; 0 outside.
  double GetCoeffLP(int32_t e) const;
  /// High-pass tap e (1..2K) rounded to double; 0 outside.
  double GetCoeffHP(int32_t e) const;
  /// Sets all data to 0.
  void Clear();

  // --- transforms ----------------------------------------------------------

  /// Forward pyramid: with n = N, repeats Level times while n > 1 a forward
  /// step on the first n values, then n = n/2. Level below 1 counts as 1;
  /// Level log2 N (or more) is the full transform. N = 1 does nothing.
  /// @throws EZELWaveletError "not enough memory on heap" if the scratch
  ///   block of N values cannot be allocated (the data are then unchanged).
  void Transform(int32_t Level);
  /// Inverse pyramid from the coarse end: with n = 2, repeats Level times
  /// while n <= N an inverse step on the first n values, then n = 2n. Level
  /// below 1 counts as 1. It always starts at the coarsest level, so it
  /// undoes a full Transform(log2 N), but after a partial Transform(L) with
  /// L < log2 N, InverseTransform(L) works on the wrong levels and does not
  /// restore the signal; use SingleStep(true) level by level for that.
  /// @throws EZELWaveletError "not enough memory on heap" as Transform.
  void InverseTransform(int32_t Level);
  /// One step on all N values, inverse when Inverse is true (nothing for
  /// N = 1). @throws EZELWaveletError "not enough memory on heap" as
  /// Transform.
  void SingleStep(bool Inverse);

 private:
  void Fail(const char* Text) const;
  std::vector<long double> Scratch() const;
  void PartialWLT(int32_t n, bool Inverse, std::vector<long double>& t);
  int32_t Continue(int32_t i, int32_t n) const;

  std::vector<long double> FData;
  int32_t FOrder = 2;
  std::vector<long double> FCoeffsLP, FCoeffsHP;
  TWLSigExtMode FWLSigExtMode = TWLSigExtMode::wseWrap;
  TWaveletFamily FWaveletFam = TWaveletFamily::wlfDaubechies;
};

}  // namespace zel
