/// @file
/// Zel_vector: resizable vectors of doubles (TVector) and of 32-bit signed
/// integers (TIntVector) with statistics, elementary vector algebra, sorting
/// and searching, numerical integration, a checksum, and stream, text and ASC
/// files.
///
/// Families, in the order of this header:
///   1. The exception class
///   2. TVectorT\<T>, the behaviour both vectors share:
///      a. creation, size and element access, notification
///      b. ranges
///      c. assignment and copies
///      d. fills and in-place operations
///      e. vector algebra
///      f. statistics
///      g. search and sort
///      h. checksum
///      i. persistence (stream, text and ASC files)
///   3. TVector: what only the double vector has (Leng as a setter,
///      random fills, centring and normalisation, histogram, integration,
///      its text and ASC writers, the auto-detecting text reader)
///   4. TIntVector: what only the integer vector has (integer histogram,
///      its text and ASC writers)
///
/// Conventions of the whole unit:
/// - Elements are addressed 1..NrOfElem. A vector always holds at least one
///   element: a new vector has one element 0 and IsEmpty true, and Resize
///   refuses sizes below 1. Reading outside 1..NrOfElem gives 0, writing
///   there is ignored.
/// - "Range" arguments (LowElem, HighElem) are normalised by
///   MakeValidElemRange: both 0 means the whole vector, each bound is clamped
///   into 1..NrOfElem and reversed bounds are exchanged. A normalised range is
///   never empty.
/// - Events: OnChange fires after every change of the data, OnResize after a
///   change of the size (OnChange first). An operation that changes many
///   elements fires once at its end. Handlers run on the caller's thread; a
///   handler must not destroy the vector. A handler that resizes the vector
///   while an operation fires events inside its loop (SortElems, and the
///   matrix routines that store into a vector element by element) ends
///   that operation at once with its failure result. No handler set costs
///   one test per operation, never one per element.
/// - Sums run over the contiguous storage and accumulate in long double
///   (80 bit) with four interleaved partial sums, in a fixed order, so
///   results are reproducible. TIntVector's statistics with floating-point results
///   accumulate in long double as well (exact for sums below 2^64).
/// - TIntVector's integer results (Sum, DotProduct, Correlate, Add,
///   Subtract, SMult, FillSerial, AbsVal) wrap around as 32-bit two's
///   complement hardware does: Sum of 2147483647 and 1 is -2147483648,
///   AbsVal of -2147483648 stays -2147483648.
/// - Sample variance is Sum (x - mean)^2 / (n - 1), the mean taken first and
///   the centred sum in long double (two passes), so a large mean against a
///   small spread keeps its digits: {1e10+1, 1e10+2, 1e10+3} gives exactly 1,
///   millisecond time stamps {1.7e12, +1000, +2000} exactly 1e6. It is
///   exactly 1 when fewer than 3 values are used, 0 where it would be
///   negative, and exactly 0 for a constant range. Correlations use the same
///   centred sums.
/// - NaN propagates: a NaN element makes every statistic of its range NaN
///   (means, variance, moments, correlation, MinMax, quartiles, percentiles,
///   Mode, GeometricMean); none skips it. Histogram counts it as overflow.
/// - Errors that abort an operation throw EZELVectorError with the message
///   'Component "\<Name>": \<text>' (TComponent::ComponentMessage). File
///   routines never throw for bad input or I/O errors: they return false or a
///   negative code and then leave the vector exactly as it was (size, values,
///   IsEmpty; no event fires).
/// - Objects passed by pointer may be null: the routine then does nothing and
///   returns its neutral result (0, false), as documented per routine.
/// - State touched: SortElems, Percentile, Quartiles and Mode call core's
///   ReportProgress (ProcStat, MathFeedBackProc) once per pass of their comb
///   sort; ShuffleElems reseeds core's process-wide generator from the clock;
///   FillRandomUniform draws from it; FillRandomGauss draws from GRandom of
///   the math unit. Nothing reads or clears AbortMathProc.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "core/zel_classes.hpp"
#include "core/zel_streams.hpp"
#include "core/zel_zelbase.hpp"

namespace zel {

// ===========================================================================
// 1. The exception class
// ===========================================================================

/// Raised by TVector and TIntVector. Derives from EZELError, so one
/// catch (const EZELError&) catches every library error.
class EZELVectorError : public EZELError {
 public:
  using EZELError::EZELError;
};

///@{
/// Status codes that TVectorT::ImportASC adds to ReadHeaderOfASC's -1..-4
/// (kAscCannotRead .. kAscBadFlags, returned as they are); values fixed.
/// VectorImportStatusText turns any of them into a sentence.
constexpr int32_t kVecAscBadRowAttribute = -5;  ///< a row attribute is missing or not a number
constexpr int32_t kVecAscBadValue = -6;      ///< a value or a quoted name is missing or malformed
constexpr int32_t kVecAscNotOneColumn = -7;  ///< the column count is not 1
constexpr int32_t kVecAscNoFile = -8;        ///< the file does not exist
constexpr int32_t kVecAscNoRows = -9;        ///< the row count is 0
///@}

/// A short English sentence (no final period) for a result of
/// TVectorT::ImportASC, the header's codes (-1..-4) included; "unknown ASC
/// import status" for any other value. The text is static.
const char* VectorImportStatusText(int32_t status);

///@{
/// Status codes of TVectorT::CopyFrom (values fixed). VectorCopyStatusText
/// turns one into a sentence.
constexpr int32_t kVecCopyOk = 0;         ///< done
constexpr int32_t kVecCopyNoSource = -1;  ///< the source is null or an empty array
constexpr int32_t kVecCopyBadBound = -2;  ///< a source bound lies outside the source
constexpr int32_t kVecCopyBadDest = -3;   ///< DestElem lies outside 1..NrOfElem
///@}

/// A short English sentence (no final period) for a status code of
/// TVectorT::CopyFrom; "unknown vector copy status" for any other value. The
/// text is static.
const char* VectorCopyStatusText(int32_t status);

class TIntVector;

// ===========================================================================
// 2. TVectorT<T>: the behaviour TVector (T = double) and TIntVector
//    (T = int32_t) share. Use TVector and TIntVector; this template is only
//    their common base (instantiated for exactly these two types).
// ===========================================================================

/// TVectorT\<T>: the behaviour TVector (T = double) and TIntVector
/// (T = int32_t) share. Use TVector and TIntVector; this template is only
/// their common base (instantiated for exactly these two types).
template <class T>
class TVectorT : public TComponent {
  static_assert(std::is_same_v<T, double> || std::is_same_v<T, int32_t>,
                "TVectorT is instantiated for double and int32_t only");

 public:
  using TElem = T;                               ///< the element type
  using TArray = std::vector<T>;                 ///< TDoubleArray or TIntArray
  using T2DArray = std::vector<std::vector<T>>;  ///< TDouble2DArray or TInt2DArray

  // -------------------------------------------------------------------------
  // a. Creation, size and element access, notification
  // -------------------------------------------------------------------------

  /// One element with value 0, IsEmpty true, no handlers. Registers with
  /// AOwner, which then deletes the vector; with a null owner the caller owns
  /// it (hold it in a std::unique_ptr). Throws EZELVectorError
  /// 'Component "": not enough memory on heap' when the storage cannot be
  /// allocated.
  explicit TVectorT(TComponent* AOwner);

  /// Fired after any change of the data (sender: the vector).
  TNotifyEvent OnChange;
  /// Fired after a change of the size, always after the OnChange of the same
  /// operation.
  TNotifyEvent OnResize;
  /// Fired by SortElems for every exchange: ExchgKind 0, the two 1-based
  /// positions, then 0, 0.
  TSortExchgEvent OnSortExchange;

  /// The number of elements (property NrOfElem), at least 1.
  int32_t GetNrOfElem() const { return static_cast<int32_t>(FVec.size()); }
  ///@{
  /// Writes NrOfElem: Resize(n) for a positive n that differs from the
  /// current count; any other value is ignored. SetNrOfElem is the same.
  void SetVecSize(int32_t n);
  /// Sets the nr of elem.
  void SetNrOfElem(int32_t n) { SetVecSize(n); }
  ///@}

  /// Sets the count to n: n equal to the count returns true at once (no
  /// event); n <= 0 returns false and changes nothing; otherwise existing
  /// values are kept, new elements are 0, OnChange and then OnResize fire and
  /// the result is true. IsEmpty is not changed. Throws EZELVectorError
  /// 'Component "\<Name>": not enough memory' (vector unchanged) when the
  /// storage cannot grow.
  bool Resize(int32_t n);

  /// True from creation (and Clear) until a value is stored (SetVal, Fill,
  /// FillSerial, the random fills, copies and loaders that store data).
  bool GetIsEmpty() const { return FIsEmpty; }

  /// Element Elem (1-based; property Elem); 0 outside 1..NrOfElem. Fires
  /// nothing.
  T GetVal(int32_t Elem) const {
    return (Elem >= 1 && Elem <= GetNrOfElem()) ? FVec[static_cast<size_t>(Elem - 1)] : T{0};
  }
  /// Stores Value at Elem, clears IsEmpty and fires OnChange; outside
  /// 1..NrOfElem nothing happens (no event).
  void SetVal(int32_t Elem, T Value);

  /// Euclidean length sqrt(Sum x^2) of the whole vector (property Leng; read
  /// only on TIntVector), accumulated in long double.
  double GetLeng() const;

  ///@{
  /// Fire OnChange, OnResize and OnSortExchange when a handler is assigned.
  void Changed();
  void Resized();
  void SortExchange(int32_t ExchgKind, int32_t Index1, int32_t Index2, int32_t First, int32_t Last);
  ///@}

  // -------------------------------------------------------------------------
  // b. Ranges
  // -------------------------------------------------------------------------

  /// Normalises an element range in place. LowElem = HighElem = 0 gives
  /// (1, NrOfElem) and result 0. Otherwise each bound is clamped into
  /// 1..NrOfElem, every clamp making the result -1, and reversed bounds are
  /// exchanged (an exchange alone keeps 0). On a 10-element vector: (0, 0) ->
  /// (1, 10) and 0; (5, 2) -> (2, 5) and 0; (-3, 20) -> (1, 10) and -1.
  int32_t MakeValidElemRange(int32_t& LowElem, int32_t& HighElem) const;

  // -------------------------------------------------------------------------
  // c. Assignment and copies
  // -------------------------------------------------------------------------

  /// Copies count, IsEmpty, elements and the three event handlers of Source,
  /// which must be a vector of the same element type (a TVector into a
  /// TVector, a TIntVector into a TIntVector); then fires OnChange (the
  /// copied handler) and OnResize when the count changed. Assigning a vector
  /// to itself does nothing. Any other source throws Exception('Cannot assign
  /// \<class> to \<class>'), as TPersistent does.
  void Assign(const TPersistent* Source) override;
  /// Copies this vector into Dest as Dest->Assign(this) does; false (Dest
  /// unchanged) when Dest is null or not a vector of the same element type.
  bool AssignTo(TPersistent* Dest) const override;

  /// Makes this vector a copy of VecSource's elements and IsEmpty (not its
  /// handlers): OnChange fires, then OnResize when the count changed. A null
  /// source does nothing.
  void Clone(const TVectorT* VecSource);

  /// Copies the source elements SrcElemLo..SrcElemHi (1-based; both 0 means
  /// the whole source; reversed bounds are exchanged) into this vector from
  /// position DestElem on; elements that would fall beyond the end are
  /// dropped. Src may be this vector: overlapping ranges are copied through a
  /// temporary. Status: 0 done (kVecCopyOk; IsEmpty cleared, OnChange
  /// fired); -1 Src is null (kVecCopyNoSource); -3 DestElem lies outside
  /// 1..NrOfElem (kVecCopyBadDest); -2 a source bound lies outside the source
  /// (kVecCopyBadBound; checked in this order; nothing changes on error).
  int32_t CopyFrom(const TVectorT* Src, int32_t SrcElemLo, int32_t SrcElemHi, int32_t DestElem);
  /// The same from an array (TDoubleArray for TVector, TIntArray for
  /// TIntVector) whose bounds are 0-based indices, taken literally (0, 0
  /// copies element 0): -1 the array is empty (kVecCopyNoSource), -2 a bound
  /// lies outside it (kVecCopyBadBound), -3 DestElem lies outside
  /// 1..NrOfElem (kVecCopyBadDest).
  int32_t CopyFrom(const TArray& Src, int32_t SrcElemLo, int32_t SrcElemHi, int32_t DestElem);

  /// Copies SrcArray[Col][FirstRow..LastRow] (0-based; the column index and
  /// the row bounds are clamped into the array, the row bounds ordered) to
  /// the elements from DestElem on; positions outside 1..NrOfElem are
  /// skipped, and nothing happens when DestElem > NrOfElem or the array (or
  /// the chosen column) is empty. Fires OnChange and clears IsEmpty when an
  /// element was written.
  void CopyFrom2DArrayColumn(const T2DArray& SrcArray, int32_t Col, int32_t FirstRow,
                             int32_t LastRow, int32_t DestElem);
  /// Copies the row SrcArray[FirstCol..LastCol][Row] in the same way (the row
  /// index clamped into the first column's length). A ragged array (columns
  /// of different lengths) or an empty one does nothing.
  void CopyFrom2DArrayRow(const T2DArray& SrcArray, int32_t Row, int32_t FirstCol, int32_t LastCol,
                          int32_t DestElem);

  /// Writes the normalised range LowElem..HighElem into DestArray from index
  /// DestElem on (a negative DestElem counts as 0); DestArray is resized to
  /// DestElem + the range's length (cells below DestElem are kept).
  void CopyToArray(TArray& DestArray, int32_t LowElem, int32_t HighElem, int32_t DestElem) const;
  /// Writes the normalised range into an existing 2-D array (a[column][row],
  /// never resized): with AsColumn down column DestCol from row DestRow,
  /// otherwise along row DestRow from column DestCol. DestCol is clamped into
  /// the array's columns and DestRow into the length of column DestCol; cells
  /// beyond the array (or beyond a shorter column of a ragged array) are
  /// skipped. An empty array, or an empty column DestCol, does nothing.
  void CopyToArray(T2DArray& DestArray, int32_t LowElem, int32_t HighElem, int32_t DestCol,
                   int32_t DestRow, bool AsColumn) const;

  // -------------------------------------------------------------------------
  // d. Fills and in-place operations (each fires OnChange once)
  // -------------------------------------------------------------------------

  /// Every element = Value; clears IsEmpty.
  void Fill(T Value);
  /// Element i = Offset + (i - 1) * Diff; clears IsEmpty. TIntVector wraps
  /// around in 32 bits.
  void FillSerial(T Offset, T Diff);
  /// Every element 0; sets IsEmpty.
  void Clear();
  /// Every element = |element| (TIntVector: -2147483648 stays as it is).
  void AbsVal();
  /// Reverses the order of the elements.
  void Mirror();
  /// Reseeds core's process-wide generator from the clock (SetRandSeed(
  /// ClockSeed())), then makes NrOfElem exchanges of two positions drawn
  /// uniformly with Random(NrOfElem).
  void ShuffleElems();

  // -------------------------------------------------------------------------
  // e. Vector algebra (whole vectors)
  // -------------------------------------------------------------------------

  ///@{
  /// Element-wise this += OtherVec (this -= OtherVec); OtherVec may be this.
  /// Throws EZELVectorError 'Component "\<Name>": vectors have different
  /// dimensions' when the counts differ; a null OtherVec does nothing.
  void Add(const TVectorT* OtherVec);
  void Subtract(const TVectorT* OtherVec);
  ///@}
  /// Multiplies every element by Scalar.
  void SMult(T Scalar);

  /// Sum a_i * b_i. Different counts throw as Add; null gives 0. TIntVector:
  /// products and sum wrap around in 32 bits.
  T DotProduct(const TVectorT* OtherVec) const;
  /// sqrt(Sum (a_i - b_i)^2). Different counts throw EZELVectorError
  /// 'EuclideanDistance: dimensions of vectors do not match' (no component
  /// name); null gives 0.
  double EuclideanDistance(const TVectorT* OtherVec) const;
  /// Pearson's r = Sab / sqrt(|Saa * Sbb|) from the centred sums Saa =
  /// Sum (a - mean a)^2, Sbb likewise, Sab = Sum (a - mean a)(b - mean b)
  /// (means first, long double). 0 when OtherVec is null, the counts differ
  /// or are below 2, or either vector is constant (all zero included); a
  /// vector with itself gives exactly 1; NaN in either gives NaN. The result
  /// does not depend on an offset added to either vector.
  double PearsonCorrCoeff(const TVectorT* OtherVec) const;
  /// Sum a[i] * other[i - ElemShift] over i = max(1, ElemShift + 1) \.\.
  /// min(NrOfElem, ElemShift + other's count); 0 when that span holds fewer
  /// than two elements (a one-element overlap gives 0, not the product) or
  /// OtherVec is null. TIntVector wraps around in 32 bits.
  T Correlate(const TVectorT* OtherVec, int32_t ElemShift) const;

  // -------------------------------------------------------------------------
  // f. Statistics over a normalised range
  // -------------------------------------------------------------------------

  /// Sum of the range (TIntVector: wrapping 32-bit sum).
  T Sum(int32_t LowElem, int32_t HighElem) const;
  ///@{
  /// Smallest and largest value of the range, starting from its first
  /// element with strict comparisons, so the first occurrence wins (and
  /// every value, +-Inf and values beyond 1.7e308 included, is reported with
  /// its position). MinIx and MaxIx are 1-based element positions. A NaN
  /// anywhere in the range is both results, with the position of the first
  /// NaN.
  void MinMax(int32_t LowElem, int32_t HighElem, T& Minimum, T& Maximum) const;
  void MinMax(int32_t LowElem, int32_t HighElem, T& Minimum, T& Maximum, int32_t& MinIx,
              int32_t& MaxIx) const;
  ///@}
  /// Mean = Sum x / n and the sample variance from the centred sum (see the
  /// unit's conventions: exactly 1 for n < 3, exactly 0 for a constant
  /// range).
  void MeanVar(int32_t LowElem, int32_t HighElem, double& Mean, double& Variance) const;
  /// Skewness = Sum d^3 / n / s^3 and excess kurtosis = Sum d^4 / n / s^4 - 3
  /// with d = x - mean and s the sample standard deviation (divisor n - 1),
  /// two passes. Both 0 for fewer than 4 values or when s = 0; both NaN for
  /// a NaN element in a range of 4 or more.
  void SkewKurt(int32_t LowElem, int32_t HighElem, double& Skewness, double& Kurtosis) const;
  /// SkewKurt corrected for sample size (the usual G1 and G2):
  /// skewness * n^2 / ((n-1)(n-2)) and (kurtosis + 3) n^2 (n+1) /
  /// ((n-1)(n-2)(n-3)) - 3 (n-1)^2 / ((n-2)(n-3)). Both 0 where SkewKurt
  /// gives 0.
  void SkewKurtSample(int32_t LowElem, int32_t HighElem, double& Skewness, double& Kurtosis) const;

  /// Quartiles of the range from a sorted copy s[1..n] (comb sort): for
  /// q = 0.25, 0.5, 0.75 with p = (n + 1) q, e = floor(p), f = p - e: e = 0
  /// gives s[1]; e >= n gives s[n], the largest; otherwise
  /// s[e] + (s[e+1] - s[e]) f. n = 1 gives that value three times. So 1, 2, 3
  /// gives 1, 2, 3; 1, 5 gives 1, 3, 5; 1, 2, 3, 4 gives 1.25, 2.5, 3.75.
  /// A NaN element makes all three NaN. Always true (a range always holds
  /// data). Throws EZELVectorError
  /// 'Component "\<Name>": not enough memory on heap' when the copy cannot be
  /// allocated.
  bool Quartiles(int32_t LowElem, int32_t HighElem, double& Quart1, double& Quart2,
                 double& Quart3) const;
  /// The Prob-th percentile (Prob in percent, clamped into 0..100) from a
  /// sorted copy s[0..n-1] (comb sort): with p = Prob (n - 1) / 100,
  /// i = floor(p), f = p - i the result is s[i] + (s[i+1] - s[i]) f; one value
  /// gives that value, Prob = 100 the largest. Percentile(50) of 1, 2, 3, 4 is
  /// 2.5. A NaN Prob or a NaN element gives NaN. Memory errors throw as
  /// Quartiles.
  double Percentile(double Prob, int32_t LowElem, int32_t HighElem) const;
  /// The most frequent value: the range is sorted and the longest run of
  /// equal values wins, the first (smallest) on a tie, so without repeats it
  /// is the smallest value. Mode of 1, 2, 2, 3, 3 is 2. A NaN element gives
  /// NaN.
  T Mode(int32_t LowElem, int32_t HighElem) const;
  /// exp(mean of ln x). A negative element throws EZELVectorError
  /// 'Component "\<Name>": negative argument passed to GeometricMean'
  /// (checked over the whole range first); otherwise a NaN element gives NaN
  /// ({NaN, 1} is NaN, not 1), and else a zero element gives 0.
  double GeometricMean(int32_t LowElem, int32_t HighElem) const;
  /// n / Sum (1/x). An element <= 0 throws EZELVectorError
  /// 'Component "\<Name>": negative or zero argument passed to HarmonicMean'.
  double HarmonicMean(int32_t LowElem, int32_t HighElem) const;

  /// True when the whole vector holds at most two distinct values: Value1 is
  /// the first element, Value2 the first one that differs from it (or Value1
  /// again when all are equal, which also gives true). False, with both set
  /// to 0, for fewer than 2 elements or a third distinct value.
  bool IsDichotomous(T& Value1, T& Value2) const;

  // -------------------------------------------------------------------------
  // g. Search and sort
  // -------------------------------------------------------------------------

  /// Position of the element of the range nearest to Value (smallest
  /// |x - Value|, the first on ties). NaN elements are never nearest unless
  /// all are NaN, when the range's first position is returned.
  int32_t Find(int32_t LowElem, int32_t HighElem, T Value) const;
  /// Position of the first element of the range equal to Value; 0 when none.
  int32_t FindExact(int32_t LowElem, int32_t HighElem, T Value) const;
  /// Bisection over the whole vector, which must be sorted in the given
  /// direction: an exact hit returns its position, otherwise the nearer of
  /// the two final neighbours, the one at the higher position on a tie
  /// (values beyond either end give that end).
  int32_t FindInSortedVector(bool Ascending, T Value) const;

  /// Comb sort of RangeFirst..RangeLast (both 0: the whole vector; ordered
  /// and clamped into 1..NrOfElem): the gap starts at the range's length and
  /// shrinks to max(1, trunc(gap / 1.3)) before each pass; a pass exchanges
  /// every pair (i, i + gap) that is out of order (strictly, so equal values
  /// never move) and fires OnSortExchange(this, 0, i, i + gap, 0, 0) for each
  /// exchange; sorting stops after a pass with gap 1 without exchanges. NaN
  /// elements compare false and stay where they are. ReportProgress() after
  /// every pass; OnChange at the end. A handler that resizes the vector ends
  /// the sort at that exchange (no OnChange).
  void SortElems(bool Ascending, int32_t RangeFirst, int32_t RangeLast);

  // -------------------------------------------------------------------------
  // h. Checksum
  // -------------------------------------------------------------------------

  /// 64 upper-case hexadecimal digits: eight CRC-32 registers (core's
  /// CalcNextCRC32) start at FFFFFFFF; for every element in order, byte k
  /// (k = 0..7, least significant first) of its IEEE 754 double is fed into
  /// register k; each register is complemented and written as 8 digits,
  /// register 0 first. TIntVector feeds each element converted to double, so
  /// a TIntVector and a TVector holding the same values give the same text.
  std::string CRCofData() const;

  // -------------------------------------------------------------------------
  // i. Persistence
  //
  // Readers treat every input as hostile: counts are checked against the
  // bytes that remain before anything is allocated, values are read into a
  // temporary and stored only when everything was read, and a damaged input
  // gives the error result with the vector left as it was. No reader grows
  // the vector beyond max(NrOfElem, size of the input in bytes) elements, so
  // a small damaged file cannot cause a huge allocation; to load a range
  // that starts far beyond the end of a short file, size the vector first.
  // On success the loaded values are stored, IsEmpty is cleared, OnChange
  // fires and then OnResize when the count changed.
  // -------------------------------------------------------------------------

  /// Stream format, little-endian: LowElem, HighElem, then the elements
  /// LowElem..HighElem. TVector writes all of them as 80-bit extended values
  /// (the ten x87 bytes), TIntVector as 32-bit integers. The range is
  /// normalised first. True when every byte was written (a TFileStream is
  /// flushed and its flush checked).
  bool SaveToStream(TStream& OutStream, int32_t LowElem, int32_t HighElem) const;
  /// The same; a null OutStream receives a new TMemoryStream, which the
  /// caller owns (delete it, or hand it to a std::unique_ptr\<TStream>). The
  /// new stream is positioned at its end.
  bool SaveToStream(TStream*& OutStream, int32_t LowElem, int32_t HighElem) const;

  ///@{
  /// Reads the stream format from the stream's position. TVector's bounds
  /// are rounded to integers (halves to even). The input is rejected (false)
  /// unless 1 <= LowElem <= HighElem, the HighElem - LowElem + 1 values fit
  /// into the bytes that remain (10 bytes each for TVector, 4 for
  /// TIntVector), and the vector can hold HighElem elements: with
  /// AdjustVectorSize the count becomes HighElem (subject to the growth limit
  /// above), otherwise NrOfElem must be at least HighElem. A null stream
  /// gives false. After a failure the stream's position is unspecified.
  bool LoadFromStream(TStream* InStream, bool AdjustVectorSize);
  bool LoadFromStream(TStream& InStream, bool AdjustVectorSize);
  ///@}

  /// Reads the text format of StoreOnFile: a first line with FirstElem and
  /// LastElem (two decimal integers separated by blanks, nothing else), then
  /// the numbers for FirstElem..LastElem, one per line as written (any
  /// whitespace separates them when read). Each word must be a number as
  /// core's TryStrToFloat reads it ('.' decimal point, optional sign and
  /// exponent, "NAN" and "INF" in any case); a magnitude beyond the double
  /// range reads as +-INF, one below it as +-0. TIntVector rounds each number
  /// (halves to even) and saturates it to the 32-bit range (NaN gives 0).
  /// False (vector unchanged) when the file cannot be opened, the header is
  /// malformed, 1 <= FirstElem <= LastElem fails, the count cannot fit into
  /// the file, the vector cannot hold LastElem elements (AdjustVectorSize
  /// resizes to LastElem, subject to the growth limit), a word before the
  /// last needed number is not a number (a decimal comma "2,5" fails the
  /// load rather than shifting the values after it), or the file ends before
  /// LastElem - FirstElem + 1 numbers were read. Words after those are
  /// ignored. A pipe or FIFO is read as it streams in; the size checks are
  /// then made against the bytes read.
  bool LoadFromFile(const std::string& FileName, bool AdjustVectorSize);

  /// Reads the ASC text format written by ExportAsASC (and by the matrix
  /// classes, one column): the header through core's ReadHeaderOfASC, then
  /// per row an optional row attribute (a number) and an optional
  /// double-quoted row name, as the header's flags announce, and the value:
  /// "NAN" and "###" store 0, "INF"/"-INF" store infinities (TIntVector: the
  /// saturated limits), anything else must be a number (out-of-range
  /// magnitudes as +-INF or +-0, as in LoadFromFile). The file is opened once,
  /// so a pipe or FIFO can be imported. Comment receives the
  /// header's comment on success (empty otherwise). The vector's count
  /// becomes the row count. Result:
  ///    0  success
  ///   -1..-4  ReadHeaderOfASC's code, returned as is (-1 unreadable, -2 bad
  ///       column count, -3 bad or implausible row count, -4 bad flag line)
  ///   -5  a row attribute is missing or not a number (kVecAscBadRowAttribute)
  ///   -6  a value (or a quoted column or row name) is missing or malformed
  ///       (kVecAscBadValue)
  ///   -7  the column count is not 1 (kVecAscNotOneColumn)
  ///   -8  the file does not exist (kVecAscNoFile)
  ///   -9  the row count is 0 (kVecAscNoRows)
  /// On any error the vector is left as it was.
  int32_t ImportASC(const std::string& FName, std::string& Comment);

 protected:
  /// Stores Values at positions First.. (1-based) after resizing to NewCount
  /// (NewCount <= 0 keeps the count), clears IsEmpty and fires OnChange, then
  /// OnResize when the count changed. Values must fit.
  void StoreLoaded(int32_t NewCount, int32_t First, const std::vector<T>& Values);
  /// The count a reader may give the vector: true when NewCount elements are
  /// acceptable for an input of InputBytes bytes (growth limit above).
  bool GrowthAllowed(int64_t NewCount, int64_t InputBytes) const;
  /// The text writer behind StoreOnFile: header line, then one line per
  /// element formatted with Precision (ignored by TIntVector).
  bool StoreText(int32_t FirstElem, int32_t LastElem, int32_t Precision,
                 const std::string& FileName) const;
  /// The ASC writer behind ExportAsASC; Who names the class in the default
  /// comment ("TVector", "TIntVector").
  int32_t ExportASCText(const std::string& FName, int32_t Precision, const std::string& Comment,
                        const char* Who) const;
  /// Throws EZELVectorError with 'Component "\<Name>": \<Text>'.
  [[noreturn]] void Fail(const std::string& Text) const;

  std::vector<T> FVec;   ///< the elements, element i at FVec[i - 1]
  bool FIsEmpty = true;  ///< no value stored since creation or the last Clear
};

// ===========================================================================
// 3. TVector: a vector of doubles
// ===========================================================================

/// A vector of doubles: everything of TVectorT plus what only doubles have
/// (length, random fills, centring and standardisation, the histogram, the
/// text and ASC files).
class TVector : public TVectorT<double> {
 public:
  /// A vector owned by AOwner (see TVectorT).
  explicit TVector(TComponent* AOwner) : TVectorT<double>(AOwner) {}
  std::string ClassName() const override { return "TVector"; }

  /// Writes Leng: rescales every element by Value / GetLeng() so that the
  /// length becomes Value, and fires OnChange; nothing happens when the
  /// current length is 0.
  void SetLeng(double Value);

  /// Element = RangeLow + u (RangeHigh - RangeLow) with u = Random() of
  /// core's generator (not reseeded); clears IsEmpty, fires OnChange.
  void FillRandomUniform(double RangeLow, double RangeHigh);
  /// Element = Mean + StdDev g with g = GRandom() of the math unit; clears
  /// IsEmpty, fires OnChange.
  void FillRandomGauss(double Mean, double StdDev);

  /// Subtracts the mean of the whole vector from every element and returns
  /// it; fires OnChange.
  double MeanCenter();
  /// MeanVar over the whole vector, StdDev = sqrt(variance); when StdDev > 0
  /// every element becomes (x - Mean) / StdDev and OnChange fires. Two
  /// elements use variance 1, so they are only centred.
  void Standardize(double& Mean, double& StdDev);
  /// Median = Percentile(50), QuantDiff = |Median - Percentile(RefQuant)|
  /// over the whole vector; when QuantDiff > 0 every element becomes
  /// (x - Median) / QuantDiff and OnChange fires.
  void QNormalize(double RefQuant, double& Median, double& QuantDiff);

  /// Histogram of the elements FirstElem..LastElem. Both 0 means the whole
  /// vector; otherwise the positions are used as given (ordered, not
  /// clamped), and positions outside the vector count as value 0. Bins:
  /// round(|LastBin - FirstBin| / BinWidth) + 1. Each value x counts as
  /// Underflow when x < FirstBin, in bin floor((x - FirstBin) / BinWidth)
  /// (0-based) when x < LastBin + BinWidth and that bin exists, otherwise as
  /// Overflow (NaN included). MaxCnt is the largest bin count. Histo is
  /// resized to the bin count and zeroed first. False, with nothing changed,
  /// when BinWidth <= 0, any bin argument is not finite, or there would be
  /// more than 500 bins. With bin width 1 over 0..9 there are 10 bins, 9.5
  /// falls into the last and 10 is overflow. Counts saturate at 2147483647.
  bool Histogram(int32_t FirstElem, int32_t LastElem, double FirstBin, double LastBin,
                 double BinWidth, TIntArray& Histo, int32_t& Underflow, int32_t& Overflow,
                 int32_t& MaxCnt) const;
  /// The same into a TIntVector, which is resized to the bin count and
  /// receives the counts (its events fire). False when Histo is null.
  bool Histogram(int32_t FirstElem, int32_t LastElem, double FirstBin, double LastBin,
                 double BinWidth, TIntVector* Histo, int32_t& Underflow, int32_t& Overflow,
                 int32_t& MaxCnt) const;

  /// Integral of the samples v[1..n] at the positions 1..n (unit spacing)
  /// between BoundLow and BoundHigh, both clamped into [1, n] and ordered.
  /// With w = BoundHigh - BoundLow, lo = ceil(BoundLow), hi = floor(BoundHigh),
  /// L(t) the linear interpolation and the end pieces E = (BoundHigh - hi)
  /// (v[hi] + L(BoundHigh))/2 + (lo - BoundLow)(L(BoundLow) + v[lo])/2:
  ///   imSimple       both bounds in one cell (hi < lo): w (v[hi] + v[lo])/2,
  ///                  else w times the mean of v[lo..hi];
  ///   imTrapezoidal  one cell: w (L(BoundLow) + L(BoundHigh))/2, else E plus
  ///                  the trapezoids of v[lo..hi];
  ///   imSimpson      by m = hi - lo: -1 as the trapezoidal single cell,
  ///                  0 E, 1 E + a trapezoid, 2 Simpson's rule, 3 Simpson's
  ///                  3/8 rule, 4 Boole's rule, >= 5 the extended rule with
  ///                  end weights 3/8, 7/6, 23/24 and 1 inside (Numerical
  ///                  Recipes eq. 4.1.14), each plus E.
  /// Simpson's forms integrate cubics exactly between integer bounds (Boole
  /// quintics); the trapezoidal rule is exact for linear data. A NaN bound
  /// gives NaN.
  double Integrate(double BoundLow, double BoundHigh, TIntegMethod Method) const;

  /// Text format: a line "FirstElem LastElem" (the range normalised), then
  /// one line per element. Precision below -2 counts as 2 and above 20 as
  /// 20; -1 writes scientific notation of width 13 (5 significant digits),
  /// -2 of width 26 (18 significant digits, enough to restore every double),
  /// 0..20 fixed notation with that many decimals (strff, width 1).
  /// Non-finite values are written "NAN", "INF", "-INF". True only when the
  /// file was created and every write and the close succeeded.
  bool StoreOnFile(int32_t FirstElem, int32_t LastElem, int32_t Precision,
                   const std::string& FileName) const;

  ///@{
  /// The plain reader of TVectorT, and with AutoDetect true a reader that
  /// ignores any header: it counts the non-empty lines that hold a digit
  /// (core's StringContains(line, "//dig")), resizes to that count when
  /// AdjustVectorSize, then reads numbers across those lines into the
  /// elements 1..min(count, NrOfElem). Words without a digit are labels and
  /// skipped ("Run 1" gives 1); a word with a digit that is not a number
  /// ("2,5", "x1") fails the load, since skipping it would shift the values
  /// that follow. False (vector unchanged) when the file cannot be opened or
  /// read, holds no line with a digit, holds such a malformed word, or has
  /// fewer numbers than elements to fill. The file is read once (a pipe
  /// works).
  using TVectorT<double>::LoadFromFile;
  /// The reader described above: with AutoDetect the header-free one.
  bool LoadFromFile(const std::string& FileName, bool AdjustVectorSize, bool AutoDetect);
  ///@}

  /// ASC text format with one column: the comment (control characters such
  /// as CR, LF and TAB replaced by blanks; when empty "Exported by ZEL
  /// TVector component: " and FName), "1\\t;nr. of columns",
  /// "\<NrOfElem>\\t;nr. of rows", "FALSE FALSE FALSE FALSE\\t;row attributes,
  /// column names, row names, nominal variables", then one value per line:
  /// strff width 12 with Precision decimals; Precision is clamped as in
  /// StoreOnFile, and -1 and -2 write scientific notation of width 13 and
  /// 26. Non-finite values are written "NAN", "INF", "-INF". Result 0, or -1
  /// when the file cannot be created or a write or the close fails.
  int32_t ExportAsASC(const std::string& FName, int32_t Precision,
                      const std::string& Comment) const;
};

// ===========================================================================
// 4. TIntVector: a vector of 32-bit signed integers
// ===========================================================================

/// A vector of 32-bit signed integers: everything of TVectorT plus the
/// integer histogram and the text and ASC files with plain integers.
class TIntVector : public TVectorT<int32_t> {
  /// TVector::Histogram stores its counts into a TIntVector.
  friend class TVector;

 public:
  /// A vector owned by AOwner (see TVectorT).
  explicit TIntVector(TComponent* AOwner) : TVectorT<int32_t>(AOwner) {}
  std::string ClassName() const override { return "TIntVector"; }

  /// Integer histogram of FirstElem..LastElem (positions as for TVector).
  /// BinWidth <= 0 counts as 1; bins = |LastBin - FirstBin| div BinWidth + 1;
  /// x < FirstBin is Underflow, x < LastBin + BinWidth with an existing bin
  /// (x - FirstBin) div BinWidth counts there, anything else is Overflow
  /// (all computed in 64 bits). More than 500 bins throw EZELVectorError
  /// 'Component "\<Name>.Histogram": invalid number of bins' (nothing
  /// changed). Otherwise true.
  bool Histogram(int32_t FirstElem, int32_t LastElem, int32_t FirstBin, int32_t LastBin,
                 int32_t BinWidth, TIntArray& Histo, int32_t& Underflow, int32_t& Overflow,
                 int32_t& MaxCnt) const;
  /// The same into a TIntVector, which is resized to the bin count and
  /// receives the counts (its events fire); it may be this vector, whose data
  /// the counts then replace. False when Histo is null.
  bool Histogram(int32_t FirstElem, int32_t LastElem, int32_t FirstBin, int32_t LastBin,
                 int32_t BinWidth, TIntVector* Histo, int32_t& Underflow, int32_t& Overflow,
                 int32_t& MaxCnt) const;

  /// Text format as TVector::StoreOnFile with plain decimal integers.
  bool StoreOnFile(int32_t FirstElem, int32_t LastElem, const std::string& FileName) const;
  /// ASC format as TVector::ExportAsASC with plain decimal integers and the
  /// default comment "Exported by ZEL TIntVector component: " and FName.
  int32_t ExportAsASC(const std::string& FName, const std::string& Comment) const;
};

}  // namespace zel
