/// @file
/// Zel_openarrays: statistics, element-wise arithmetic, fills, copies,
/// searching and sorting on the library's dynamic arrays.
///
/// Families, in the order of this header:
///  1. Array shapes: the nested-vector aliases and the element-type concepts
///  2. Statistics
///  3. Further statistics and products (mean/variance, accumulation, matrix
///      product, permutation, rescaling, dot and cross product)
///  4. Element-wise and whole-array operations
///  5. Fills, including random fills
///  6. Copies and type conversions
///  7. Search, sort and shuffle
///  8. Retired routines
///  9. Linear algebra on 2-D arrays (inversion, transposition, trace, hat
///      matrix, LU and LUP decompositions, determinant, eigen-decomposition)
///  10. Grid operations (distances of row objects, bounding rectangle, flood
///      fill, local mean and median, linearity breaks, cell lists, edge
///      vectors, mask shapes, resampling, colour maps, images)
///  11. Array files
///
/// Conventions of the whole unit:
/// - Every dimension counts from 0. A 2-D array is an array of columns,
///   a[column][row]; 3-D and 4-D arrays nest the same way, and every argument
///   list gives the outer index first. "Row" operations run across the outer
///   index, "column" operations along one inner vector.
/// - Element types: double and int32_t (the "numeric" arrays, TDoubleArray ..
///   TInt4DArray), uint8_t holding 0/1 for booleans (TBoolArray,
///   TBool2DArray), float (TSingleArray) and std::string where a family lists
///   them. Each family is written once over element type and rank; the
///   overloads below only spell out the argument lists the ranks need.
/// - Arrays are passed by reference: const& when only read, & when elements
///   are written or the array is resized.
/// - Status results: 0 success; -1 an input array is empty (length 0 in any
///   inspected dimension); -2 an index or range lies outside the array, a high
///   index is below its low index, or two arrays differ in size; -3 and beyond
///   are family-specific. Families with their own meaning of -1/-2 say so.
///   kArrayOk, kArrayEmpty and kArrayBadRange name the general codes, and
///   ArrayStatusText gives their sentences.
///   Scalar outputs are set to 0 before anything is checked; output arrays are
///   left untouched when a routine fails (so that an output may also be an
///   input), and are sized by the routine on success unless stated otherwise.
/// - Ragged arrays (columns of different lengths at any depth) are rejected
///   by every status-returning routine with the code for arrays that differ in
///   size (-2 unless the family says otherwise). Routines that return a value
///   instead of a status say what they do with ragged input.
/// - Ranges are inclusive index pairs: low indices of every dimension first,
///   then the high indices (2-D: column low, row low, column high, row high),
///   except CountValues and CountTrueCellsOfArray, which take one (low, high)
///   pair per dimension in dimension order. A range is checked, not clamped,
///   unless the family says it clamps.
/// - Integer arithmetic wraps around as 32-bit hardware does (no undefined
///   signed overflow); conversions from double to int32_t round halves to
///   even and saturate, NaN giving 0.
/// - Means and sums of statistics accumulate in long double (80-bit).
///   Variances, standard deviations and correlations take the mean first and
///   then sum the deviations from it (never sum x^2 - (sum x)^2/n), so a
///   large mean against a small spread keeps its digits; constant data give
///   exactly 0.
/// - NaN propagates through the statistics (means, deviations, extremes,
///   correlation, EdgeVector): a NaN element gives NaN (the extremes report
///   the position of the first NaN), never a skipped value. Histograms count
///   NaN as overflow.
/// - Whole-array statistics and element-wise operations run in one pass over
///   each inner vector's contiguous storage, column by column; nothing is
///   copied unless a routine says so.
/// - State: the routines keep none. SortArray with an index touches core's
///   ProcStat, MathFeedBackProc and AbortMathProc; the random fills reseed
///   core's process-wide generator. InvertArray and EigenDecomposition serve
///   the progress globals and read AbortMathProc (never clearing it),
///   Resample2DArray reseeds the generator, and SaveArrayAsImg with an empty
///   file name replaces the content of the process's clipboard.
#pragma once

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "core/zel_zelbase.hpp"
#include "core/zel_zelcolors.hpp"

namespace zel {

// ===========================================================================
// 1. Array shapes
// ===========================================================================

///@{
/// Nested vectors of rank 1..4: Array2D\<double> is TDouble2DArray.
template <class T>
using Array1D = std::vector<T>;
template <class T>
using Array2D = std::vector<std::vector<T>>;
template <class T>
using Array3D = std::vector<std::vector<std::vector<T>>>;
template <class T>
using Array4D = std::vector<std::vector<std::vector<std::vector<T>>>>;
///@}

namespace arrays_detail {
template <class A>
struct Shape {
  static constexpr size_t Rank = 0;
  using Elem = A;
};
template <class T>
struct Shape<std::vector<T>> {
  static constexpr size_t Rank = Shape<T>::Rank + 1;
  using Elem = typename Shape<T>::Elem;
};
}  // namespace arrays_detail

///@{
/// Nesting depth of an array type (0 for a scalar) and its element type.
template <class A>
inline constexpr size_t ArrayRank = arrays_detail::Shape<A>::Rank;
template <class A>
using ArrayElem = typename arrays_detail::Shape<A>::Elem;
///@}

/// One index per dimension, outer first.
template <size_t R>
using TArrayIndex = std::array<int32_t, R>;

template <class T>
concept NumElement = std::same_as<T, double> || std::same_as<T, int32_t>;
/// Element types of the copy families: numeric and boolean.
template <class T>
concept CopyElement = NumElement<T> || std::same_as<T, uint8_t>;

///@{
/// TDoubleArray .. TDouble4DArray and TIntArray .. TInt4DArray.
template <class A>
concept NumArray = ArrayRank<A>
>= 1 && ArrayRank<A> <= 4 && NumElement<ArrayElem<A>>;
template <class A>
concept DoubleArrayND = NumArray<A> && std::same_as < ArrayElem<A>,
double > ;
template <class A>
concept IntArrayND = NumArray<A> && std::same_as<ArrayElem<A>, int32_t>;
///@}
/// Numeric arrays of rank 1 and 2 only.
template <class A>
concept NumArray12 = NumArray<A> && ArrayRank<A>
<= 2;
/// Numeric arrays of rank 2..4 (the ones that have a diagonal).
template <class A>
concept NumArray234 = NumArray<A> && ArrayRank<A>
>= 2;
/// Numeric arrays, TBoolArray and TBool2DArray.
template <class A>
concept FillableArray = NumArray<A> || std::same_as<A, TBoolArray> || std::same_as<A, TBool2DArray>;
/// The whole-array MinMaxArray also takes TSingleArray.
template <class A>
concept MinMaxArrayType = NumArray<A> || std::same_as<A, TSingleArray>;

/// Source/destination pairs of CloneArray: the same type (numeric 1-4 D,
/// boolean 1-2 D), or of the same rank with the conversions float -> double,
/// double -> float, double -> int32_t, int32_t -> double.
template <class S, class D>
concept ClonePair = ArrayRank<S>
== ArrayRank<D>&& ArrayRank<S> >= 1 && ArrayRank<S> <= 4 &&
    ((std::same_as<S, D> && FillableArray<S>) ||
     (std::same_as<ArrayElem<S>, float> && std::same_as<ArrayElem<D>, double>) ||
     (std::same_as<ArrayElem<S>, double> && std::same_as<ArrayElem<D>, float>) ||
     (std::same_as<ArrayElem<S>, double> && std::same_as<ArrayElem<D>, int32_t>) ||
     (std::same_as<ArrayElem<S>, int32_t> && std::same_as<ArrayElem<D>, double>));
/// The 1-D pairs of CloneAndReverseArray: the same type for bool, int and
/// double, and the conversions of ClonePair.
template <class S, class D>
concept CloneReversePair = ClonePair<std::vector<S>, std::vector<D>>;

/// The rank-generic implementations behind the overloads of this header.
/// Call the overloads; these take the ranges as index arrays.
namespace arrays_detail {
template <class A>
using Ix = TArrayIndex<ArrayRank<A>>;

template <NumArray A>
int32_t MeanArray(const A& a, const Ix<A>& lo, const Ix<A>& hi, double& mean);
template <NumArray A>
int32_t StdDevArray(const A& a, const Ix<A>& lo, const Ix<A>& hi, double& stdDev);
template <NumArray A>
int32_t MeanVarArray(const A& a, const Ix<A>& lo, const Ix<A>& hi, double& mean, double& variance);
///@{
/// Extreme of the whole array; false (value and pos untouched) when empty.
template <NumArray A>
bool ExtremeOf(const A& a, bool maximum, ArrayElem<A>& value, Ix<A>& pos);
template <NumArray A>
int32_t MinMaxRange(const A& a, const Ix<A>& lo, const Ix<A>& hi, double& min, double& max,
                    Ix<A>& minPos, Ix<A>& maxPos);
template <NumArray A>
int32_t CountValues(const A& a, const Ix<A>& lo, const Ix<A>& hi, double low, double high);
template <FillableArray A>
int32_t FillRange(A& a, const Ix<A>& lo, const Ix<A>& hi, ArrayElem<A> value);
template <FillableArray A>
int32_t CopyBlock(const A& src, const Ix<A>& lo, const Ix<A>& hi, const Ix<A>& pos, A& dst);
template <FillableArray A>
int32_t CopyWhole(const A& src, const Ix<A>& pos, A& dst);
template <class A>
int32_t RescaleRange(A& a, const Ix<A>& lo, const Ix<A>& hi, TRescaleMode mode, double& offset,
                     double& scale);
///@}
}  // namespace arrays_detail

// ===========================================================================
// 2. Statistics
// ===========================================================================

///@{
/// The general status codes (values fixed) of the statistics routines and of
/// every routine below that does not give -1/-2 a meaning of its own.
/// ArrayStatusText turns one into a sentence.
constexpr int32_t kArrayOk = 0;      ///< success
constexpr int32_t kArrayEmpty = -1;  ///< an input array is empty
/// An index or range lies outside the array or is reversed, or the arrays
/// are ragged or differ in size.
constexpr int32_t kArrayBadRange = -2;
///@}

/// A short English sentence (no final period) for a general status code;
/// "unknown array status" for any other value. The text is static.
const char* ArrayStatusText(int32_t status);

///@{
/// MeanArray: arithmetic mean of the inclusive range, summed in long double.
/// Status -1 for an empty array, -2 for any index outside its dimension, a
/// high index below its low index, or a ragged array. low = high selects one
/// element (there is no "0, 0 means all" rule here).
/// Members: double and int, 1-4 D.
template <NumElement T>
int32_t MeanArray(const Array1D<T>& a, int32_t lo, int32_t hi, double& mean) {
  return arrays_detail::MeanArray(a, {lo}, {hi}, mean);
}
template <NumElement T>
int32_t MeanArray(const Array2D<T>& a, int32_t lo1, int32_t lo2, int32_t hi1, int32_t hi2,
                  double& mean) {
  return arrays_detail::MeanArray(a, {lo1, lo2}, {hi1, hi2}, mean);
}
template <NumElement T>
int32_t MeanArray(const Array3D<T>& a, int32_t lo1, int32_t lo2, int32_t lo3, int32_t hi1,
                  int32_t hi2, int32_t hi3, double& mean) {
  return arrays_detail::MeanArray(a, {lo1, lo2, lo3}, {hi1, hi2, hi3}, mean);
}
template <NumElement T>
int32_t MeanArray(const Array4D<T>& a, int32_t lo1, int32_t lo2, int32_t lo3, int32_t lo4,
                  int32_t hi1, int32_t hi2, int32_t hi3, int32_t hi4, double& mean) {
  return arrays_detail::MeanArray(a, {lo1, lo2, lo3, lo4}, {hi1, hi2, hi3, hi4}, mean);
}
///@}

///@{
/// StdDevArray: sample standard deviation (divisor n - 1) of the range,
/// computed in two passes in long double (mean, then the sum of squared
/// deviations), so no cancellation. A range of one element gives 0. Status
/// codes as MeanArray. Members: double and int, 1-4 D.
template <NumElement T>
int32_t StdDevArray(const Array1D<T>& a, int32_t lo, int32_t hi, double& stdDev) {
  return arrays_detail::StdDevArray(a, {lo}, {hi}, stdDev);
}
template <NumElement T>
int32_t StdDevArray(const Array2D<T>& a, int32_t lo1, int32_t lo2, int32_t hi1, int32_t hi2,
                    double& stdDev) {
  return arrays_detail::StdDevArray(a, {lo1, lo2}, {hi1, hi2}, stdDev);
}
template <NumElement T>
int32_t StdDevArray(const Array3D<T>& a, int32_t lo1, int32_t lo2, int32_t lo3, int32_t hi1,
                    int32_t hi2, int32_t hi3, double& stdDev) {
  return arrays_detail::StdDevArray(a, {lo1, lo2, lo3}, {hi1, hi2, hi3}, stdDev);
}
template <NumElement T>
int32_t StdDevArray(const Array4D<T>& a, int32_t lo1, int32_t lo2, int32_t lo3, int32_t lo4,
                    int32_t hi1, int32_t hi2, int32_t hi3, int32_t hi4, double& stdDev) {
  return arrays_detail::StdDevArray(a, {lo1, lo2, lo3, lo4}, {hi1, hi2, hi3, hi4}, stdDev);
}
///@}

///@{
/// MaxArray / MinArray: the largest (smallest) element by a linear scan in
/// storage order (column by column); the first occurrence wins (strict
/// comparison). A NaN element is the result of both, with its position (the
/// first NaN's). The index forms report its position: 1-D the index, 2-D the column
/// and the row. An empty array returns -2147483648 (MaxArray) or 2147483647
/// (MinArray) -- as a double for double arrays -- and leaves the index
/// outputs unchanged. Ragged arrays are scanned element by element as they
/// are (every element is visited, none beyond a column's end).
/// Members: double and int, 1-4 D; index forms 1-D and 2-D.
template <NumArray A>
ArrayElem<A> MaxArray(const A& a);
template <NumArray A>
ArrayElem<A> MinArray(const A& a);
template <NumElement T>
T MaxArray(const Array1D<T>& a, int32_t& index);
template <NumElement T>
T MinArray(const Array1D<T>& a, int32_t& index);
template <NumElement T>
T MaxArray(const Array2D<T>& a, int32_t& column, int32_t& row);
template <NumElement T>
T MinArray(const Array2D<T>& a, int32_t& column, int32_t& row);
///@}

///@{
/// MinMaxArray (whole array): smallest and largest element in one pass,
/// starting from the first element (min and max set to 0 first). Status -1
/// for an empty array, -2 for a ragged one. A NaN element makes both NaN.
/// Members: double 1-4 D, single 1-D, int 1-4 D, and the open-array forms
/// (std::span) for double and int.
template <MinMaxArrayType A>
int32_t MinMaxArray(const A& a, ArrayElem<A>& min, ArrayElem<A>& max);
int32_t MinMaxArray(std::span<const double> a, double& min, double& max);
int32_t MinMaxArray(std::span<const int32_t> a, int32_t& min, int32_t& max);
///@}

///@{
/// MinMaxArray (ranged): min starts at the largest double, max at its
/// negation; the first occurrences win; the outputs are the values and their
/// positions (indices set to 0 first). Status -1 for an empty array, -2 for
/// an index outside the array (or a ragged array). A high index below its low
/// index is NOT an error: nothing is scanned and the status is 0 with the
/// start values (min = DBL_MAX, max = -DBL_MAX, positions 0). The values are
/// returned as double for int arrays as well, so that the start values are
/// representable. A NaN in the range makes min and max NaN, both positions
/// those of the first NaN. Members: double and int, 1-D and 2-D.
template <NumElement T>
int32_t MinMaxArray(const Array1D<T>& a, int32_t lo, int32_t hi, double& min, double& max,
                    int32_t& minIndex, int32_t& maxIndex);
template <NumElement T>
int32_t MinMaxArray(const Array2D<T>& a, int32_t lo1, int32_t lo2, int32_t hi1, int32_t hi2,
                    double& min, double& max, int32_t& minColumn, int32_t& minRow,
                    int32_t& maxColumn, int32_t& maxRow);
///@}

///@{
/// PercentileArray(p, data): the p-th percentile as an element of the data.
/// p is clamped to 0..100 (NaN counts as 0). The elements (of the range) are
/// copied to a scratch array of n values; k = round(n*p/100) (halves to
/// even), capped at n - 1; the result is the k-th smallest value (from 0),
/// found with QuickSelect. Hence p = 0 gives the minimum, p = 100 the
/// maximum, and PercentileArray(50, [4, 1, 3, 2]) = 3 (k = 2). A NaN
/// element of the range gives NaN for every p (as the vector and matrix
/// percentiles do). The selection is O(n) expected also with many equal
/// values.
/// The ranged forms normalise their range with the library's default rule:
/// both 0 means the whole extent, a reversed pair is exchanged, and the
/// bounds are clamped into the array (2-D: per dimension).
/// An empty array gives 0; a ragged 2-D array gives 0.
/// Members: double 1-D (whole or range), int 1-D (whole), double 2-D (range).
template <NumElement T>
double PercentileArray(double p, const Array1D<T>& a);
double PercentileArray(double p, const TDoubleArray& a, int32_t lo, int32_t hi);
double PercentileArray(double p, const TDouble2DArray& a, int32_t lo1, int32_t lo2, int32_t hi1,
                       int32_t hi2);
///@}

///@{
/// Status codes of FrequDistOfArray, in the order they are checked (values
/// fixed). FrequDistStatusText turns one into a sentence.
constexpr int32_t kFrequDistOk = 0;              ///< success
constexpr int32_t kFrequDistBadIndex = -1;       ///< an index outside the array, or a ragged array
constexpr int32_t kFrequDistReversedIndex = -2;  ///< a high index below its low index
constexpr int32_t kFrequDistBadLimits = -3;      ///< low >= high, or either NaN
constexpr int32_t kFrequDistBadBinWidth = -4;    ///< binWidth <= 0 or NaN
constexpr int32_t kFrequDistTooManyBins = -5;    ///< more than 1000 bins
constexpr int32_t kFrequDistMaskSize = -6;       ///< the mask differs in size or is ragged
///@}

/// A short English sentence (no final period) for a status code of
/// FrequDistOfArray; "unknown frequency distribution status" for any other
/// value. The text is static.
const char* FrequDistStatusText(int32_t status);

///@{
/// FrequDistOfArray: histogram of the range into bins of binWidth from low.
/// Validation, in this order: an index outside the array (or a ragged array)
/// -> -1 (kFrequDistBadIndex); a high index below its low index -> -2
/// (kFrequDistReversedIndex); low >= high (or either NaN) -> -3
/// (kFrequDistBadLimits); binWidth <= 0 (or NaN) -> -4
/// (kFrequDistBadBinWidth); bins = round(|high - low| / binWidth) + 1 above
/// 1000 -> -5 (kFrequDistTooManyBins; decided in double before any
/// conversion, so tiny widths cannot overflow an int); the masked form: a
/// mask of another size (or ragged) -> -6 (kFrequDistMaskSize). A range of
/// all zeros means the whole array.
/// On success freq gets `bins` entries, and each value x of the range is
/// classified: x < low -> underflow; otherwise bin floor((x - low)/binWidth)
/// when that bin exists and x < high + binWidth; otherwise overflow (NaN
/// counts as overflow). maxFreq is the largest bin count. So low 0, high 10,
/// width 1 gives 11 bins, 10.5 lands in the last bin and 11 in overflow.
/// The masked form counts only the cells whose mask value is false (true
/// excludes a cell). underflow, overflow and maxFreq are set to 0 first.
int32_t FrequDistOfArray(const TDoubleArray& a, int32_t lo, int32_t hi, double low, double high,
                         double binWidth, TIntArray& freq, int32_t& underflow, int32_t& overflow,
                         int32_t& maxFreq);
int32_t FrequDistOfArray(const TDouble2DArray& a, int32_t lo1, int32_t lo2, int32_t hi1,
                         int32_t hi2, double low, double high, double binWidth, TIntArray& freq,
                         int32_t& underflow, int32_t& overflow, int32_t& maxFreq);
int32_t FrequDistOfArray(const TDouble2DArray& a, const TBool2DArray& mask, int32_t lo1,
                         int32_t lo2, int32_t hi1, int32_t hi2, double low, double high,
                         double binWidth, TIntArray& freq, int32_t& underflow, int32_t& overflow,
                         int32_t& maxFreq);
///@}

///@{
/// CountValues: number of elements x of the range with low <= x <= high.
/// The range is one (low, high) index pair per dimension, in dimension order.
/// -1 for an empty array; -2 for an index outside the array, a reversed index
/// pair, a ragged array, or low > high. Members: double and int, 1-4 D.
template <NumElement T>
int32_t CountValues(const Array1D<T>& a, int32_t lo, int32_t hi, double low, double high) {
  return arrays_detail::CountValues(a, {lo}, {hi}, low, high);
}
template <NumElement T>
int32_t CountValues(const Array2D<T>& a, int32_t lo1, int32_t hi1, int32_t lo2, int32_t hi2,
                    double low, double high) {
  return arrays_detail::CountValues(a, {lo1, lo2}, {hi1, hi2}, low, high);
}
template <NumElement T>
int32_t CountValues(const Array3D<T>& a, int32_t lo1, int32_t hi1, int32_t lo2, int32_t hi2,
                    int32_t lo3, int32_t hi3, double low, double high) {
  return arrays_detail::CountValues(a, {lo1, lo2, lo3}, {hi1, hi2, hi3}, low, high);
}
template <NumElement T>
int32_t CountValues(const Array4D<T>& a, int32_t lo1, int32_t hi1, int32_t lo2, int32_t hi2,
                    int32_t lo3, int32_t hi3, int32_t lo4, int32_t hi4, double low, double high) {
  return arrays_detail::CountValues(a, {lo1, lo2, lo3, lo4}, {hi1, hi2, hi3, hi4}, low, high);
}
///@}

///@{
/// Error results of SumOfSquaredDiffs, which come back as the (otherwise
/// non-negative) double result (values fixed). SquaredDiffsStatusText turns
/// one into a sentence.
constexpr int32_t kSquaredDiffsEmpty = -1;      ///< either array (or the column) is empty
constexpr int32_t kSquaredDiffsLengths = -2;    ///< the lengths differ
constexpr int32_t kSquaredDiffsBadColumn = -3;  ///< the column index lies outside the 2-D array
///@}

/// A short English sentence (no final period) for an error result of
/// SumOfSquaredDiffs; "unknown squared differences status" for any other
/// value. The text is static.
const char* SquaredDiffsStatusText(int32_t status);

///@{
/// SumOfSquaredDiffs: sum of (a[i] - b[i])^2 in long double, against a 1-D
/// array or against one column of a 2-D array. Errors come back as the
/// result: -1 when either array (or the column) is empty, -2 when the lengths
/// differ, -3 when the column index is outside the 2-D array (checked before
/// the column is touched); the kSquaredDiffs constants name them.
double SumOfSquaredDiffs(const TDoubleArray& a, const TDoubleArray& b);
double SumOfSquaredDiffs(const TDoubleArray& a, const TDouble2DArray& b, int32_t column);
///@}

/// PearsonCorrCoeffColsOfArray(a, c1, c2): Pearson's correlation of columns
/// c1 and c2 over their n rows: Sxy / sqrt|Sxx Syy| from the centred sums
/// Sxx = sum (x - mean x)^2, Syy likewise, Sxy = sum (x - mean x)(y - mean y),
/// means first, in long double. An offset added to the data does not change
/// it: x = off + [0, 1, 2, 3, 4], y = off + [0, 2, 2, 6, 4] gives
/// 0.8320502943378437 (= 3/sqrt(13)) for off = 0, 1e9 and 1e10 alike. 0 when
/// n <= 2 or either column is constant (all zero included); two identical
/// columns give exactly 1; NaN in either column gives NaN. A column index
/// outside the array or a ragged array also gives 0.
double PearsonCorrCoeffColsOfArray(const TDouble2DArray& a, int32_t c1, int32_t c2);

///@{
/// Error results of SumArrayMasked and FillArrayMasked, whose other results
/// count cells (values fixed; note the order, which differs from the general
/// codes). MaskedStatusText turns one into a sentence.
constexpr int32_t kMaskedBadMask = -1;    ///< the mask differs in size, or an array is ragged
constexpr int32_t kMaskedEmptyData = -2;  ///< the data array is empty
///@}

/// A short English sentence (no final period) for an error result of
/// SumArrayMasked and FillArrayMasked; "unknown masked array status" for any
/// other value. The text is static.
const char* MaskedStatusText(int32_t status);

/// SumArrayMasked(a, mask, sum): sums the cells whose mask value is false
/// (true excludes a cell) and returns their number; an empty mask sums all
/// cells and returns columns x rows. Own codes: -2 when the data array is
/// empty, -1 when the mask's size differs from the data's (also for a ragged
/// data array or mask) (the kMasked constants). sum (long double
/// accumulation) is 0 first, so an all-true mask gives 0 cells and sum 0.
/// Members: double and int 2-D.
template <NumElement T>
int32_t SumArrayMasked(const Array2D<T>& a, const TBool2DArray& mask, double& sum);

///@{
/// CountTrueCellsOfArray: the number of true (non-zero) cells. The plain
/// forms count every cell, also of a ragged array. The ranged 2-D form takes
/// (first column, last column, first row, last row): a pair of zeros means
/// the whole extent of that dimension, a reversed pair is exchanged; -1 for
/// an empty array, -2 for an index outside the array or a ragged array.
int32_t CountTrueCellsOfArray(const TBoolArray& a);
int32_t CountTrueCellsOfArray(const TBool2DArray& a);
int32_t CountTrueCellsOfArray(const TBool2DArray& a, int32_t c1, int32_t c2, int32_t r1,
                              int32_t r2);
///@}

///@{
/// IsMonotone: arrays of up to 2 elements are monotone; otherwise the sign of
/// the first non-zero difference a[i] - a[i+1] fixes the direction and the
/// array is monotone when no later non-zero difference has the other sign
/// (equal neighbours allowed). IsStrictlyMonotone: arrays of up to 2 elements
/// are strictly monotone -- [5, 5] included; otherwise every difference must
/// be non-zero and of the sign of the first. A NaN element (a difference
/// without sign) makes both false for arrays of 3 or more.
/// Members: double and int 1-D.
template <NumElement T>
bool IsMonotone(const Array1D<T>& a);
template <NumElement T>
bool IsStrictlyMonotone(const Array1D<T>& a);
///@}

/// IsDichotomous: true when the array holds exactly two distinct values,
/// returned in ascending order; false for fewer than 2 elements, for one
/// distinct value, for more than two, or when a NaN occurs. first and second
/// are 0 unless the result is true. (The vector unit's routine of this name
/// accepts one distinct value; this one does not.) Members: double and int.
template <NumElement T>
bool IsDichotomous(const Array1D<T>& a, T& first, T& second);

/// EqualArrays: true when both arrays have the same length in every column
/// at every depth and all elements are equal; two empty arrays are equal.
/// Members: int 1-4 D.
template <IntArrayND A>
bool EqualArrays(const A& a, const A& b) {
  return a == b;
}

// ===========================================================================
// 3. Further statistics and products
// ===========================================================================

///@{
/// MeanVarArray(a, range, mean, variance): mean and sample variance of the
/// range, sum (x - mean)^2/(n - 1) with the mean taken first, in long double;
/// following the library's sample-variance rule the variance is exactly 1
/// when fewer than 3 values are used (never negative, exactly 0 for a
/// constant range, NaN for a NaN element). Status codes as MeanArray. Members: double and int, 1-D,
/// 2-D.
template <NumElement T>
int32_t MeanVarArray(const Array1D<T>& a, int32_t lo, int32_t hi, double& mean, double& variance) {
  return arrays_detail::MeanVarArray(a, {lo}, {hi}, mean, variance);
}
template <NumElement T>
int32_t MeanVarArray(const Array2D<T>& a, int32_t lo1, int32_t lo2, int32_t hi1, int32_t hi2,
                     double& mean, double& variance) {
  return arrays_detail::MeanVarArray(a, {lo1, lo2}, {hi1, hi2}, mean, variance);
}
///@}

/// MeanAbsDev(a, n, mad): mean absolute deviation from the mean,
/// sum |x - mean| / n, over the first n elements (mean and sum in long
/// double). -1 for an empty array, -2 when n < 1 or n exceeds the length.
/// Members: double and int 1-D.
template <NumElement T>
int32_t MeanAbsDev(const Array1D<T>& a, int32_t n, double& mad);

/// AccumulateArray(target, source, scalar): target += scalar * source,
/// element by element (int: wrapping 32-bit arithmetic). An empty target is
/// first sized like the source and zeroed, so a sum of weighted arrays can
/// start from an empty accumulator. -1 for an empty source, -2 when the
/// shapes differ or either array is ragged. Members: double and int, 1-4 D.
template <NumArray A>
int32_t AccumulateArray(A& target, const A& source, ArrayElem<A> scalar);

///@{
/// MultiplyArrays(a, b, c): the matrix product c = a * b in column storage.
/// a has ca columns and ra rows, b must have ca rows (b.rows == a.columns);
/// c gets b's column count and a's row count: c[j][i] = sum_k a[k][i] *
/// b[j][k]. Each column of c is built as a sum of scaled columns of a (unit
/// stride, k ascending). Double results sum in double; int x int wraps as
/// 32-bit arithmetic. The 1-D forms give the outer product of a (as one
/// column) and b (as one row): c[j][i] = a[i] * b[j], b.size() columns of
/// a.size() rows. c may be a or b (the product is built in a temporary).
/// -1 when an operand is empty, -2 when the inner sizes differ or an operand
/// is ragged.
int32_t MultiplyArrays(const TDouble2DArray& a, const TDouble2DArray& b, TDouble2DArray& c);
int32_t MultiplyArrays(const TInt2DArray& a, const TDouble2DArray& b, TDouble2DArray& c);
int32_t MultiplyArrays(const TDouble2DArray& a, const TInt2DArray& b, TDouble2DArray& c);
int32_t MultiplyArrays(const TInt2DArray& a, const TInt2DArray& b, TInt2DArray& c);
int32_t MultiplyArrays(const TDoubleArray& a, const TDoubleArray& b, TDouble2DArray& c);
int32_t MultiplyArrays(const TIntArray& a, const TIntArray& b, TInt2DArray& c);
///@}

/// PermuteArray's own code (with the general -1 and -2).
/// ArrayStatusText does not know it; PermuteStatusText gives all three.
constexpr int32_t kPermuteNotPermutation = -3;

/// A short English sentence (no final period) for a result of PermuteArray
/// (the general codes and kPermuteNotPermutation); "unknown permutation
/// status" for any other value. The text is static.
const char* PermuteStatusText(int32_t status);

/// PermuteArray(a, perm, mode, inverse, result): reorders the elements of
/// every column (acrColumns: rows move within a column) or of every row
/// (acrRows: columns move within a row). perm holds 0-based permutations:
/// either one per column (row) or a single one used for all. Forward:
/// result[c][r] = a[c][p[r]] (acrColumns) or a[p[c]][r] (acrRows); with
/// inverse true the inverse permutation is applied (result[c][p[r]] =
/// a[c][r]), so a forward and an inverse call restore the array. result may
/// be a. -1 for an empty array; -2 for a ragged array, a number of
/// permutations that is neither 1 nor the column (row) count, or a
/// permutation of the wrong length; -3 (kPermuteNotPermutation) when a
/// permutation does not hold each index exactly once.
int32_t PermuteArray(const TDouble2DArray& a, const TInt2DArray& perm, TApplyColRow mode,
                     bool inverse, TDouble2DArray& result);

///@{
/// Status codes of RescaleArray (values fixed). RescaleStatusText turns one
/// into a sentence.
constexpr int32_t kRescaleOk = 0;         ///< success
constexpr int32_t kRescaleEmpty = -1;     ///< the array is empty
constexpr int32_t kRescaleBadRange = -2;  ///< an index outside the array, or a ragged array
constexpr int32_t kRescaleNoScale = -3;   ///< the scale is 0 or not finite
constexpr int32_t kRescaleBadMode = -4;   ///< an unknown mode
///@}

/// A short English sentence (no final period) for a status code of
/// RescaleArray; "unknown rescaling status" for any other value. The text is
/// static.
const char* RescaleStatusText(int32_t status);

///@{
/// RescaleArray(a, range, mode, offset, scale): rescales the elements of the
/// range in place as x := (x - offset) / scale, with offset and scale taken
/// from the range and returned so that x = rescaled * scale + offset undoes
/// it:
///   rmLinear       offset = min, scale = max - min (onto 0..1);
///   rmStandardize  offset = mean, scale = sample standard deviation;
///   rmMeanCenter   offset = mean, scale = 1.
/// Statistics in long double. Status -1 empty (kRescaleEmpty), -2 bad range
/// as MeanArray (kRescaleBadRange), -3 when the scale is 0 or not finite
/// (kRescaleNoScale: constant values, a single value for rmStandardize; the
/// array is then unchanged), -4 for an unknown mode (kRescaleBadMode).
/// offset and scale are 0 unless the status is 0 (kRescaleOk). Members: double 1-D, 2-D.
inline int32_t RescaleArray(TDoubleArray& a, int32_t lo, int32_t hi, TRescaleMode mode,
                            double& offset, double& scale) {
  return arrays_detail::RescaleRange(a, {lo}, {hi}, mode, offset, scale);
}
inline int32_t RescaleArray(TDouble2DArray& a, int32_t lo1, int32_t lo2, int32_t hi1, int32_t hi2,
                            TRescaleMode mode, double& offset, double& scale) {
  return arrays_detail::RescaleRange(a, {lo1, lo2}, {hi1, hi2}, mode, offset, scale);
}
///@}

///@{
/// VectorDotProduct(a, b, result): sum a[i]*b[i] (double: long double
/// accumulation; int: wrapping 32-bit arithmetic). -1 either empty, -2 the
/// lengths differ. VectorCrossProduct(a, b, result): the 3-D cross product
/// a x b into result (sized 3); -1 either empty, -2 unless both have exactly
/// 3 elements. result may be a or b. Members: double and int 1-D.
template <NumElement T>
int32_t VectorDotProduct(const Array1D<T>& a, const Array1D<T>& b, T& result);
template <NumElement T>
int32_t VectorCrossProduct(const Array1D<T>& a, const Array1D<T>& b, Array1D<T>& result);
///@}

// ===========================================================================
// 4. Element-wise and whole-array operations
// ===========================================================================
// Status of every routine here unless stated: -1 an (input) array is empty,
// -2 a ragged array or, for two arrays, different sizes in any dimension.

///@{
/// AddArrays, SubtractArrays, MultiplyArraysElemw: c = a + b, a - b, a * b
/// element by element; c is sized like a and may be a or b.
/// Members: double and int, 1-4 D (MultiplyArraysElemw 1-2 D).
template <NumArray A>
int32_t AddArrays(const A& a, const A& b, A& c);
template <NumArray A>
int32_t SubtractArrays(const A& a, const A& b, A& c);
template <NumArray12 A>
int32_t MultiplyArraysElemw(const A& a, const A& b, A& c);
///@}

///@{
/// AddScalarToArray / MultiplyArrayByScalar: result = a + s or a * s
/// (result sized like a, may be a); MultiplyArrayByScalar(a, s) works in
/// place. IncArray(a, s) adds s in place. AbsValArray(a) takes absolute
/// values in place (int: |INT32_MIN| wraps to INT32_MIN). ReciprocalArray(a,
/// substitute): x := 1/x, a 0 element becomes substitute (double only).
/// Members: double and int, 1-4 D.
template <NumArray A>
int32_t AddScalarToArray(const A& a, ArrayElem<A> s, A& result);
template <NumArray A>
int32_t MultiplyArrayByScalar(const A& a, ArrayElem<A> s, A& result);
template <NumArray A>
int32_t MultiplyArrayByScalar(A& a, ArrayElem<A> s);
template <NumArray A>
int32_t IncArray(A& a, ArrayElem<A> s);
template <NumArray A>
int32_t AbsValArray(A& a);
template <DoubleArrayND A>
int32_t ReciprocalArray(A& a, double substitute);
///@}

///@{
/// NormalizeColumns / NormalizeRows: each column (row) divided by the square
/// root of its sum of squares to unit Euclidean length; squares, norm and
/// quotient are long double, so columns of values near the double limit
/// ({1.5e308, 1.5e308} gives {0.7071..., 0.7071...}) or of subnormals are
/// normalised like any other, each element rounded once. A
/// column (row) whose sum of squares is 0 is left unchanged and makes the
/// result -1 (else 0). An empty array gives -1, a ragged one -2.
int32_t NormalizeColumns(TDouble2DArray& a);
int32_t NormalizeRows(TDouble2DArray& a);
///@}

///@{
/// MeanCenterColumnsOfArray / MeanCenterRowsOfArray: subtracts each column's
/// (row's) mean (long double) from its elements in place. The means are
/// stored into `means` only when the caller passes a non-empty array there;
/// it is then resized to the number of columns (rows).
int32_t MeanCenterColumnsOfArray(TDouble2DArray& a, TDoubleArray& means);
int32_t MeanCenterRowsOfArray(TDouble2DArray& a, TDoubleArray& means);
///@}

/// FlipDimArray(a, dim): reverses the order along dimension dim (1 = outer,
/// so on a 2-D array 1 reverses the columns and 2 the rows of every column).
/// -1 empty, -2 ragged or dim outside 1..rank -- the 4-D forms included.
/// Members: double and int, 1-4 D.
template <NumArray A>
int32_t FlipDimArray(A& a, int32_t dim);

///@{
/// RemoveRow / RemoveColumn: removes row (column) index from a rectangular
/// array; false (nothing changed) for an empty or ragged array or an index
/// outside it. Removing the last row leaves columns of length 0; removing the
/// last column leaves an empty array. Members: double and int 2-D.
template <NumElement T>
bool RemoveRow(Array2D<T>& a, int32_t index);
template <NumElement T>
bool RemoveColumn(Array2D<T>& a, int32_t index);
///@}

/// SerializeArray(a, columnwise, out): out gets columns x rows elements;
/// column-wise, column c and row r go to position c*rows + r (column 0 first),
/// row-wise to r*columns + c. An empty array gives -1 and leaves out
/// unchanged; ragged -2. Members: double and int 2-D.
template <NumElement T>
int32_t SerializeArray(const Array2D<T>& a, bool columnwise, Array1D<T>& out);

///@{
/// BoolToNumArray(a, falseValue, trueValue, out): out is sized like a and
/// gets trueValue where a is true (non-zero), falseValue elsewhere. -1 for an
/// empty source, -2 for a ragged one. Members: bool 1-D and 2-D to double or
/// int (the element type follows out).
template <NumElement T>
int32_t BoolToNumArray(const TBoolArray& a, std::type_identity_t<T> falseValue,
                       std::type_identity_t<T> trueValue, Array1D<T>& out);
template <NumElement T>
int32_t BoolToNumArray(const TBool2DArray& a, std::type_identity_t<T> falseValue,
                       std::type_identity_t<T> trueValue, Array2D<T>& out);
///@}

///@{
/// DichotomizeArray: with one threshold out is true where x > threshold; with
/// two the bounds are put in order and out is true where low <= x <= high.
/// out is sized like a. Members: double and int 1-D and 2-D.
template <NumArray12 A>
int32_t DichotomizeArray(const A& a, double threshold,
                         std::conditional_t<ArrayRank<A> == 1, TBoolArray, TBool2DArray>& out);
template <NumArray12 A>
int32_t DichotomizeArray(const A& a, double low, double high,
                         std::conditional_t<ArrayRank<A> == 1, TBoolArray, TBool2DArray>& out);
///@}

///@{
/// Status codes of DiscretizeArray (values fixed). DiscretizeStatusText
/// turns one into a sentence.
constexpr int32_t kDiscretizeOk = 0;              ///< success
constexpr int32_t kDiscretizeFewLevels = -1;      ///< n < 3, or the array is empty
constexpr int32_t kDiscretizeBadThresholds = -2;  ///< t1 >= t2, or either is NaN
constexpr int32_t kDiscretizeRagged = -3;         ///< the array is ragged
///@}

/// A short English sentence (no final period) for a status code of
/// DiscretizeArray; "unknown discretization status" for any other value.
/// The text is static.
const char* DiscretizeStatusText(int32_t status);

/// DiscretizeArray(a, n, t1, t2, level1, level2): in place, each x <= t1
/// becomes level1, each x >= t2 level2, and x in between level1 + (level2 -
/// level1)/(n - 1) * (m + 1) with m = floor((x - t1)/((t2 - t1)/(n - 2))),
/// limited to n - 3 (rounding just below t2 cannot reach level2), giving n
/// equally spaced levels. Differences, m and the level are computed in long
/// double, so thresholds and levels anywhere in the double range work
/// (DiscretizeArray(a, 3, 0, 1, -1e308, 1e308) maps 0.5 to 0, where
/// level2 - level1 overflows a double); each level is rounded once to
/// double. NaN stays NaN. Own codes: -2 when
/// t1 >= t2 (or either NaN), -1 when n < 3 or the array is empty, -3 for a
/// ragged array.
int32_t DiscretizeArray(TDouble2DArray& a, int32_t n, double t1, double t2, double level1,
                        double level2);

// ===========================================================================
// 5. Fills
// ===========================================================================

///@{
/// FillArray: sets every element, or those of the range (low indices then
/// high indices, checked as MeanArray), to value; booleans store value != 0.
/// -1 empty, -2 ragged or bad range. Members: bool 1-2 D, double and int 1-4 D.
template <FillableArray A>
int32_t FillArray(A& a, ArrayElem<A> value);
template <CopyElement T>
int32_t FillArray(Array1D<T>& a, int32_t lo, int32_t hi, std::type_identity_t<T> value) {
  return arrays_detail::FillRange(a, {lo}, {hi}, value);
}
template <CopyElement T>
int32_t FillArray(Array2D<T>& a, int32_t lo1, int32_t lo2, int32_t hi1, int32_t hi2,
                  std::type_identity_t<T> value) {
  return arrays_detail::FillRange(a, {lo1, lo2}, {hi1, hi2}, value);
}
template <NumElement T>
int32_t FillArray(Array3D<T>& a, int32_t lo1, int32_t lo2, int32_t lo3, int32_t hi1, int32_t hi2,
                  int32_t hi3, std::type_identity_t<T> value) {
  return arrays_detail::FillRange(a, {lo1, lo2, lo3}, {hi1, hi2, hi3}, value);
}
template <NumElement T>
int32_t FillArray(Array4D<T>& a, int32_t lo1, int32_t lo2, int32_t lo3, int32_t lo4, int32_t hi1,
                  int32_t hi2, int32_t hi3, int32_t hi4, std::type_identity_t<T> value) {
  return arrays_detail::FillRange(a, {lo1, lo2, lo3, lo4}, {hi1, hi2, hi3, hi4}, value);
}
///@}

///@{
/// FillArraySerial(a, first, step): the i-th element in storage order
/// (column by column) becomes first + step*i (each value computed directly,
/// not by repeated addition; int wraps as 32-bit arithmetic). Without
/// arguments first = 0 and step = 1. -1 empty, -2 ragged.
/// Members: double and int, 1-4 D.
template <NumArray A>
int32_t FillArraySerial(A& a, ArrayElem<A> first, ArrayElem<A> step);
template <NumArray A>
int32_t FillArraySerial(A& a);
///@}

/// FillDiagArray(a, value): value where all indices are equal, 0 elsewhere.
/// -1 empty; -2 unless every dimension has the same length (or ragged).
/// Members: double and int, 2-4 D.
template <NumArray234 A>
int32_t FillDiagArray(A& a, ArrayElem<A> value);

///@{
/// Own codes of FillRandomUniform for distinct integers (with the general
/// -1 and -2). RandomFillStatusText gives all four.
constexpr int32_t kRandomFillSpanTooSmall = -3;  ///< fewer distinct values than elements
constexpr int32_t kRandomFillSpanTooLarge = -4;  ///< more than 1 000 000 distinct values
///@}

/// A short English sentence (no final period) for a result of the random
/// fills (the general codes and the kRandomFill constants); "unknown random
/// fill status" for any other value. The text is static.
const char* RandomFillStatusText(int32_t status);

///@{
/// Random fills. Every call first reseeds core's process-wide generator with
/// SetRandSeed(ClockSeed()) -- a seed that differs on every call, also within
/// one clock tick -- so two fills never repeat each other and the sequence
/// cannot be fixed by a seed the caller set. -1 for an empty array, -2 for a
/// ragged one.
///   FillRandomUniform (double): low + (high - low)*u, u uniform in [0, 1);
///     -2 when low > high (or either NaN).
///   FillRandomNormal (double): RandG(mean, stdDev); -2 when stdDev < 0 (or
///     NaN).
///   FillRandomUniform (int): floor(low + (high - low)*u), so low..high - 1
///     (only low when high = low); -2 when high < low. The span is computed
///     in 64 bits, so the full int32 range works.
///   FillRandomUniform (TIntArray, low, high, allowDuplicates): -2 when
///     high < low. With duplicates each element is low plus a uniform integer
///     in 0..high - low (high included). Without, the span high - low + 1 must
///     be at least the array length (-3, kRandomFillSpanTooSmall) and at most
///     1 000 000 (-4, kRandomFillSpanTooLarge); the
///     values are drawn by a partial Fisher-Yates shuffle of the span's
///     values (element i takes a uniform pick among the values not yet
///     taken), so all elements differ and every ordered choice of n distinct
///     values is equally likely: each element is uniform over low..high, and
///     a[i] = low + i is as likely as any other value. (ShuffleArray, a
///     Sattolo cycle, would never leave a value in its place.)
template <DoubleArrayND A>
int32_t FillRandomUniform(A& a, double low, double high);
template <DoubleArrayND A>
int32_t FillRandomNormal(A& a, double mean, double stdDev);
template <IntArrayND A>
int32_t FillRandomUniform(A& a, int32_t low, int32_t high);
int32_t FillRandomUniform(TIntArray& a, int32_t low, int32_t high, bool allowDuplicates);
///@}

/// FillArrayMasked(a, value, mask): sets the cells whose mask value is false
/// to value (an empty mask: all cells) and returns their number; -2 for an
/// empty data array, -1 for a mask of another size (as SumArrayMasked).
/// Members: double and int 2-D.
template <NumElement T>
int32_t FillArrayMasked(Array2D<T>& a, std::type_identity_t<T> value, const TBool2DArray& mask);

// ===========================================================================
// 6. Copies and type conversions
// ===========================================================================

/// CloneArray(src, dst): dst becomes a copy of src with the same shape,
/// converted element by element: double -> int32_t rounds halves to even and
/// saturates (NaN gives 0); double -> float rounds to nearest (beyond the
/// float range: infinity). -1 for an empty source, -2 for a ragged one.
/// Members: ClonePair above (same type bool 1-2 D, double and int 1-4 D;
/// single <-> double, double -> int, int -> double, 1-4 D).
// clang-format off
template <class S, class D>
  requires ClonePair<S, D>
int32_t CloneArray(const S& src, D& dst);
// clang-format on

/// CloneAndReverseArray(src, dst): dst gets src's elements in reverse order,
/// converted like CloneArray. dst may be src. -1 for an empty source.
// clang-format off
template <class S, class D>
  requires CloneReversePair<S, D>
int32_t CloneAndReverseArray(const Array1D<S>& src, Array1D<D>& dst);
// clang-format on

///@{
/// CopyArray: copies into an existing destination, which is never resized.
/// Plain forms (src, one start position per dimension, dst): the whole
/// source, its first element landing at the start position. Ranged forms
/// (src, low indices, high indices, start positions, dst): the inclusive
/// block. -1 when the source or the destination is empty; -2 when an index
/// lies outside the source, a start position is negative or outside the
/// destination, a high index is below its low index, the block does not fit,
/// or either array is ragged. src may be dst (overlapping blocks are copied
/// as if through a temporary). Members: bool 1-2 D, double and int 1-4 D.
template <CopyElement T>
int32_t CopyArray(const Array1D<T>& src, int32_t pos, Array1D<T>& dst) {
  return arrays_detail::CopyWhole(src, {pos}, dst);
}
template <CopyElement T>
int32_t CopyArray(const Array2D<T>& src, int32_t pos1, int32_t pos2, Array2D<T>& dst) {
  return arrays_detail::CopyWhole(src, {pos1, pos2}, dst);
}
template <NumElement T>
int32_t CopyArray(const Array3D<T>& src, int32_t pos1, int32_t pos2, int32_t pos3,
                  Array3D<T>& dst) {
  return arrays_detail::CopyWhole(src, {pos1, pos2, pos3}, dst);
}
template <NumElement T>
int32_t CopyArray(const Array4D<T>& src, int32_t pos1, int32_t pos2, int32_t pos3, int32_t pos4,
                  Array4D<T>& dst) {
  return arrays_detail::CopyWhole(src, {pos1, pos2, pos3, pos4}, dst);
}
template <CopyElement T>
int32_t CopyArray(const Array1D<T>& src, int32_t lo, int32_t hi, int32_t pos, Array1D<T>& dst) {
  return arrays_detail::CopyBlock(src, {lo}, {hi}, {pos}, dst);
}
template <CopyElement T>
int32_t CopyArray(const Array2D<T>& src, int32_t lo1, int32_t lo2, int32_t hi1, int32_t hi2,
                  int32_t pos1, int32_t pos2, Array2D<T>& dst) {
  return arrays_detail::CopyBlock(src, {lo1, lo2}, {hi1, hi2}, {pos1, pos2}, dst);
}
template <NumElement T>
int32_t CopyArray(const Array3D<T>& src, int32_t lo1, int32_t lo2, int32_t lo3, int32_t hi1,
                  int32_t hi2, int32_t hi3, int32_t pos1, int32_t pos2, int32_t pos3,
                  Array3D<T>& dst) {
  return arrays_detail::CopyBlock(src, {lo1, lo2, lo3}, {hi1, hi2, hi3}, {pos1, pos2, pos3}, dst);
}
template <NumElement T>
int32_t CopyArray(const Array4D<T>& src, int32_t lo1, int32_t lo2, int32_t lo3, int32_t lo4,
                  int32_t hi1, int32_t hi2, int32_t hi3, int32_t hi4, int32_t pos1, int32_t pos2,
                  int32_t pos3, int32_t pos4, Array4D<T>& dst) {
  return arrays_detail::CopyBlock(src, {lo1, lo2, lo3, lo4}, {hi1, hi2, hi3, hi4},
                                  {pos1, pos2, pos3, pos4}, dst);
}
///@}

///@{
/// Status codes of CopyArrayColumn, CopyArrayRow, Copy2DColTo1DArray and
/// Copy2DRowTo1DArray (values fixed; -4 only from the last two).
/// LineCopyStatusText turns one into a sentence.
constexpr int32_t kLineCopyOk = 0;         ///< success
constexpr int32_t kLineCopyEmpty = -1;     ///< the source array is empty
constexpr int32_t kLineCopyBadRange = -2;  ///< ragged source, or lo > hi or either outside the line
constexpr int32_t kLineCopyBadIndex = -3;  ///< the column (row) lies outside the array
constexpr int32_t kLineCopyBadPos = -4;    ///< pos lies outside dst (or dst is empty)
///@}

/// A short English sentence (no final period) for a status code of the
/// column and row copies out of a 2-D array; "unknown column or row copy
/// status" for any other value. The text is static.
const char* LineCopyStatusText(int32_t status);

///@{
/// Status codes of CopyToArrayColumn and CopyToArrayRow (values fixed).
/// LineWriteStatusText turns one into a sentence.
constexpr int32_t kLineWriteOk = 0;         ///< success
constexpr int32_t kLineWriteBadRange = -1;  ///< the source range lies outside the source
constexpr int32_t kLineWriteBadDest = -2;   ///< the line or start lies outside dst, or dst is bad
///@}

/// A short English sentence (no final period) for a status code of
/// CopyToArrayColumn or CopyToArrayRow; "unknown column or row write status"
/// for any other value. The text is static.
const char* LineWriteStatusText(int32_t status);

///@{
/// CopyArrayColumn(a, column, lo, hi, out): out = a[column][lo..hi], resized
/// to hi - lo + 1. CopyArrayRow(a, row, lo, hi, out): out = a[lo..hi][row].
/// Checked in this order: -1 empty array, -2 ragged, -3 column (row) index
/// outside the array -- before the column is touched --, -2 lo > hi or either
/// outside the column (row). Members: double, int, bool 2-D.
template <CopyElement T>
int32_t CopyArrayColumn(const Array2D<T>& a, int32_t column, int32_t lo, int32_t hi,
                        Array1D<T>& out);
template <CopyElement T>
int32_t CopyArrayRow(const Array2D<T>& a, int32_t row, int32_t lo, int32_t hi, Array1D<T>& out);
///@}

///@{
/// Copy2DColTo1DArray(a, column, lo, hi, dst, pos) / Copy2DRowTo1DArray(a,
/// row, lo, hi, dst, pos): writes a[column][lo..hi] (a[lo..hi][row]) into the
/// existing dst from position pos on, shortening the run to what fits (dst is
/// never resized). -1 empty source, -2 ragged source or a bad lo/hi (lo > hi
/// or outside), -3 column (row) outside the array (checked first), -4 pos
/// outside dst (also for an empty dst).
int32_t Copy2DColTo1DArray(const TDouble2DArray& a, int32_t column, int32_t lo, int32_t hi,
                           TDoubleArray& dst, int32_t pos);
int32_t Copy2DRowTo1DArray(const TDouble2DArray& a, int32_t row, int32_t lo, int32_t hi,
                           TDoubleArray& dst, int32_t pos);
///@}

///@{
/// CopyToArrayColumn(src, lo, hi, column, startRow, dst): writes src[lo..hi]
/// down dst[column] from startRow on, stopping at the column's end.
/// CopyToArrayRow(src, lo, hi, row, startColumn, dst) writes along dst's row.
/// lo = hi = 0 means the whole source. -1 for a source range outside the
/// source (an empty source, lo < 0, hi beyond it, or hi < lo); -2 for a
/// column (row) or start position outside the destination, or an empty or
/// ragged destination. src may be a column of dst. dst is never resized.
/// Members: double, int, bool.
template <CopyElement T>
int32_t CopyToArrayColumn(const Array1D<T>& src, int32_t lo, int32_t hi, int32_t column,
                          int32_t startRow, Array2D<T>& dst);
template <CopyElement T>
int32_t CopyToArrayRow(const Array1D<T>& src, int32_t lo, int32_t hi, int32_t row,
                       int32_t startColumn, Array2D<T>& dst);
///@}

// ===========================================================================
// 7. Search, sort and shuffle
// ===========================================================================

///@{
/// FindInArray(key, a): index of the first element equal to key; -1 for an
/// empty array, -2 when absent. The string form takes (caseSensitive,
/// exactMatch): exactMatch compares whole elements, otherwise an element
/// matches when it contains key as a substring; case-insensitive comparison
/// folds the ASCII letters only (other bytes of UTF-8 text compare exactly).
int32_t FindInArray(int32_t key, const TIntArray& a);
int32_t FindInArray(const std::string& key, const TStrArray& a, bool caseSensitive,
                    bool exactMatch);
///@}

///@{
/// Status codes of the sorting and search routines below (values fixed):
/// FindInSortedArray, SortArray with an index, SortAndRemoveDuplicates and
/// ShuffleArray. SortStatusText turns one into a sentence.
constexpr int32_t kSortTooShort = -1;  ///< too few elements (FindInSortedArray: the array is empty)
/// SortArray with an index: AbortMathProc was set (data and index partly
/// sorted, still paired); FindInSortedArray: x lies outside the array's
/// range or is NaN.
constexpr int32_t kSortAbortedOrOutside = -2;
///@}

/// A short English sentence (no final period) for a status code of the
/// sorting and search routines; "unknown sort status" for any other
/// negative value. The text is static.
const char* SortStatusText(int32_t status);

/// FindInSortedArray(x, a, ascending): a is sorted in the given direction.
/// -1 for an empty array; -2 when x lies outside the range of the first and
/// last elements (or is NaN). Otherwise a bisection: an exact match returns
/// its index, else the nearer of the two final bracketing elements, the later
/// one on a tie. So in [1, 2, 3]: 2.6 -> 2, 2.5 -> 2, 0.5 -> -2.
int32_t FindInSortedArray(double x, const TDoubleArray& a, bool ascending);

///@{
/// SortArray(ascending, data, index): sorts data and carries a 1-based index
/// of the original positions along. In this order: AbortMathProc is cleared;
/// index is resized to the data length and filled with 1, 2, ..., n; fewer
/// than 2 elements return -1 (kSortTooShort). Then a comb sort: the first pass compares
/// elements n - 1 apart, every later pass uses the previous gap divided by
/// 1.3 (cut toward zero, at least 1), and passes with gap 1 repeat until one
/// exchanges nothing. Before each pass ReportProgress() is called (ProcStat
/// += 1, then MathFeedBackProc) and AbortMathProc is read: when it is set
/// the routine returns -2 (kSortAbortedOrOutside), data and index partly
/// sorted but still paired. Else 0. NaNs compare false and are not ordered. [3, 1, 2] ascending gives
/// data [1, 2, 3] and index [2, 3, 1]. Members: double and int data.
int32_t SortArray(bool ascending, TDoubleArray& data, TIntArray& index);
int32_t SortArray(bool ascending, TIntArray& data, TIntArray& index);
///@}

/// SortAndRemoveDuplicates(a, ascending): sorts a, reduces runs of equal
/// values to one, shortens a and returns the number of removed elements; -1
/// (kSortTooShort) for fewer than 2 elements (a unchanged).
int32_t SortAndRemoveDuplicates(TIntArray& a, bool ascending);

/// ShuffleArray(a): Sattolo's algorithm -- for k from n - 1 down to 1, a[k]
/// is exchanged with a[j], j = Random(k) uniform in 0..k - 1 -- so the result
/// is a single cycle through all positions and no element keeps its place.
/// Draws from core's generator (no reseeding). -1 (kSortTooShort) for fewer
/// than 2 elements.
template <NumElement T>
int32_t ShuffleArray(Array1D<T>& a);

// ===========================================================================
// 8. Retired routines
// ===========================================================================

///@{
/// CopyVectorToArrayColumn / CopyVectorToArrayRow: replaced by
/// CopyToArrayColumn / CopyToArrayRow (same arguments). Always throw
/// EZELError("deprecated function, see help for details").
template <CopyElement T>
int32_t CopyVectorToArrayColumn(const Array1D<T>& src, int32_t lo, int32_t hi, int32_t column,
                                int32_t startRow, Array2D<T>& dst);
template <CopyElement T>
int32_t CopyVectorToArrayRow(const Array1D<T>& src, int32_t lo, int32_t hi, int32_t row,
                             int32_t startColumn, Array2D<T>& dst);
///@}

// ===========================================================================
// 9. Linear algebra on 2-D arrays
// ===========================================================================
// A 2-D array is read as a matrix with a[column][row]: a[j][i] is the element
// in row i and column j. "Square" means as many columns as rows, every
// column of the same length. Every routine here leaves its output arguments
// untouched when it fails and replaces them only on success, so an output
// may also be an input.

///@{
/// Status codes of InvertArray on a TDouble2DArray (values fixed; the
/// boolean forms keep the general codes). InvertStatusText turns one into a
/// sentence.
constexpr int32_t kInvertOk = 0;          ///< success
constexpr int32_t kInvertNotSquare = -1;  ///< the array is empty, not square or ragged
constexpr int32_t kInvertNoMemory = -2;   ///< the work arrays cannot be allocated
constexpr int32_t kInvertSingular = -3;   ///< singular, or holding NaN or infinity
constexpr int32_t kInvertAborted = -4;    ///< AbortMathProc was set
///@}

/// A short English sentence (no final period) for a status code of
/// InvertArray on a TDouble2DArray; "unknown inversion status" for any
/// other value. The text is static.
const char* InvertStatusText(int32_t status);

/// InvertArray(a): replaces a by its inverse.
/// Method: Crout's LU decomposition with implicit row scaling and partial
/// pivoting (Press et al., "Numerical Recipes", ludcmp/lubksb), followed by a
/// forward and a back substitution for every unit vector:
/// - every row's largest absolute element gives its scale; a row of zeros
///   makes the matrix singular (-3) before the decomposition starts;
/// - column by column, the elements are reduced by the parts already
///   computed, and the row whose reduced element times its scale (1/largest
///   element) is largest becomes the pivot -- on equal values the later row;
///   the rows and their scales are exchanged and the exchange recorded;
/// - a pivot whose absolute value is below 1e-100 is replaced by 1e-100 and
///   the matrix is reported singular (-3) once the decomposition is complete;
/// - each column of the inverse solves with one unit vector: the recorded
///   exchanges, a forward substitution that starts at the first non-zero
///   entry, and a back substitution.
/// The storage is column-wise, so the reductions run as updates of whole
/// columns (a[k] scaled into a[j]) over contiguous memory, the subtractions
/// of the decomposition in the order of Crout's dot products. Groups of eight
/// columns (and of eight unit vectors) receive the updates together, so that
/// each finished column is read once per group; every element still gets
/// the same operations in the same order as in the plain column-by-column
/// loops, so the grouping changes no bit of the result. Accuracy: as any
/// partially pivoted LU, the residual |A * inv(A) - I| is a modest multiple
/// of n * eps * cond(A) (measured: largest element of A * inv(A) - I at most
/// 3.1e-14 for order 100 and 8.1e-14 for order 200, five random matrices each
/// with elements uniform in (-1, 1)).
/// Progress: 2n steps -- before each column of the decomposition is pivoted,
/// and for each column of the solution just before its group is solved --
/// call core's ReportProgress() (ProcStat += 1, then MathFeedBackProc) and
/// read AbortMathProc; when it is set the routine returns -4. It never
/// clears AbortMathProc.
/// Status: 0 success (kInvertOk); -1 a is empty, not square or ragged
/// (kInvertNotSquare); -2 the work arrays cannot be allocated
/// (kInvertNoMemory); -3 singular (a zero row, a pivot below 1e-100), or a
/// holds NaN or infinity (found before any work, without a progress step)
/// (kInvertSingular); -4 aborted (kInvertAborted). The decomposition works
/// on a copy: on any non-zero status a is left exactly as it was.
int32_t InvertArray(TDouble2DArray& a);

///@{
/// InvertArray (boolean forms): negates every element in place (0 <-> 1).
/// -1 for an empty array, -2 for a ragged 2-D array (nothing changed).
int32_t InvertArray(TBoolArray& a);
int32_t InvertArray(TBool2DArray& a);
///@}

/// TransposeArray(a): a becomes its transpose -- an array of c columns and r
/// rows turns into one of r columns and c rows, a[c][r] moving to [r][c].
/// -1 empty (no column, or columns without rows), -2 ragged (unchanged).
/// Members: double, int and bool 2-D.
template <CopyElement T>
int32_t TransposeArray(Array2D<T>& a);

///@{
/// TraceOfArray(a, trace): the sum of the diagonal of a square array (double:
/// accumulated in long double; int: wrapping 32-bit arithmetic). trace is 0
/// first; -1 empty, -2 not square (or ragged).
int32_t TraceOfArray(const TDouble2DArray& a, double& trace);
int32_t TraceOfArray(const TInt2DArray& a, int32_t& trace);
///@}

///@{
/// Status codes of CalcHatMatrix on a TDouble2DArray (values fixed; -2 and
/// -3 each cover two causes). HatStatusText turns one into a sentence.
constexpr int32_t kHatOk = 0;      ///< success
constexpr int32_t kHatEmpty = -1;  ///< X is empty
constexpr int32_t kHatRaggedOrNoMemory =
    -2;                               ///< X is ragged, or the work arrays cannot be allocated
constexpr int32_t kHatSingular = -3;  ///< X holds NaN or infinity, or its columns are dependent
constexpr int32_t kHatAborted = -4;   ///< AbortMathProc was set during the inversion
///@}

/// A short English sentence (no final period) for a status code of
/// CalcHatMatrix on a TDouble2DArray; "unknown hat matrix status" for any
/// other value. The text is static.
const char* HatStatusText(int32_t status);

/// CalcHatMatrix(x, h): the hat (projection) matrix h = X (X'X)^-1 X' of the
/// design matrix X with p columns (variables) and n rows (observations); h is
/// n x n, symmetric, idempotent (h*h = h) and its trace is the rank p. X' X
/// is formed with MultiplyArrays from a transposed copy of X, inverted with
/// InvertArray, and the two products X (X'X)^-1 and that times X' come from
/// MultiplyArrays. Status: -1 X empty, -2 X ragged, -3 X holds NaN or
/// infinity (before any product is formed), else the status of InvertArray
/// (-2 no memory, -3 when X'X is singular, i.e. the columns of X are
/// linearly dependent, -4 aborted); the kHat constants name them. h is
/// replaced only on success.
int32_t CalcHatMatrix(const TDouble2DArray& x, TDouble2DArray& h);

///@{
/// Status codes of LUdecomposition, LUPdecomposition and EigenDecomposition
/// (values fixed; each routine's text says which it can return).
/// DecompositionStatusText turns one into a sentence.
constexpr int32_t kDecompOk = 0;              ///< success
constexpr int32_t kDecompEmpty = -1;          ///< the matrix is empty
constexpr int32_t kDecompNotSquare = -2;      ///< the matrix is not square, or ragged
constexpr int32_t kDecompUnsuitable = -3;     ///< zero pivot, not symmetric, NaN or infinity
constexpr int32_t kDecompAborted = -4;        ///< AbortMathProc was set
constexpr int32_t kDecompNoConvergence = -5;  ///< no convergence within the sweep limit
///@}

/// A short English sentence (no final period) for a status code of the
/// decompositions; "unknown decomposition status" for any other value. The
/// text is static.
const char* DecompositionStatusText(int32_t status);

/// LUdecomposition(a, l, u): Doolittle's decomposition without pivoting,
/// l * u = a exactly as stated (no rows exchanged), with l unit lower
/// triangular (ones on the diagonal) and u upper triangular, both n x n.
/// Computed column by column with the same contiguous column updates as
/// InvertArray. It exists only when the leading principal minors of orders
/// 1..n-1 are non-zero; otherwise use LUPdecomposition. Status: 0 success
/// (kDecompOk); -1 a empty (kDecompEmpty); -2 a not square or ragged
/// (kDecompNotSquare); -3 a pivot u[k][k] (k < n - 1) is exactly zero, a
/// non-finite value appeared, or a holds NaN or infinity (found before any
/// work) (kDecompUnsuitable). l and u are replaced only on success.
int32_t LUdecomposition(const TDouble2DArray& a, TDouble2DArray& l, TDouble2DArray& u);

/// LUPdecomposition(a, l, u, p, sign): the decomposition with partial
/// pivoting (Golub and Van Loan, "Matrix Computations", algorithm 3.4.1):
/// p * a = l * u, l unit lower triangular with |l[j][i]| <= 1, u upper
/// triangular, p a permutation matrix of 0s and 1s (p[j][i] = 1 when row i of
/// p * a is row j of a). In every column the pivot is the element of largest
/// absolute value on or below the diagonal, the first one on ties. sign is
/// the sign of the permutation, +1 for an even and -1 for an odd number of row
/// exchanges, so det(a) = sign * product of u's diagonal. A singular matrix
/// decomposes as well: a column without a non-zero candidate is left as it
/// is and u gets a zero on its diagonal. Status: 0 success (kDecompOk); -1
/// a empty (kDecompEmpty); -2 a not square or ragged (kDecompNotSquare); -3
/// a holds NaN or infinity (found before any work) (kDecompUnsuitable).
/// sign is 0 first; l, u and p are replaced only on success.
int32_t LUPdecomposition(const TDouble2DArray& a, TDouble2DArray& l, TDouble2DArray& u,
                         TInt2DArray& p, int32_t& sign);

/// Determinant(a): det(a) from the LU decomposition with partial pivoting
/// (as LUPdecomposition) as sign times the product of u's diagonal, that
/// product formed in long double so that it overflows or underflows only
/// when the determinant itself lies outside the double range. 0 for an empty,
/// non-square or ragged array and for an exactly singular matrix (a zero
/// pivot column); NaN when a holds NaN or infinity (no elimination is
/// tried). det [[1, 2], [3, 4]] (rows) = -2.
double Determinant(const TDouble2DArray& a);

/// EigenDecomposition(a, descending, vectors, values): eigenvalues and
/// eigenvectors of a real symmetric matrix.
/// Arguments: a -- the square matrix (read only); descending -- true sorts
/// the eigenvalues from the largest to the smallest, false from the smallest
/// to the largest (the vectors move with them); vectors -- receives n columns
/// of n rows, column k (vectors[k]) the unit eigenvector of values[k];
/// values -- receives the n eigenvalues.
/// Method: the cyclic Jacobi method with threshold (Rutishauser, Numer.
/// Math. 9 (1966) 1-10; the form of "Numerical Recipes", jacobi): sweeps of
/// plane rotations that annihilate every off-diagonal element in turn until
/// all of them are zero in double precision. It is accurate to working
/// precision (measured on random symmetric matrices of order 10, 50 and 100
/// with elements uniform in (-1, 1): every component of a v - lambda v at
/// most 2.2e-16 * ||a||_1, every element of V'V - I at most 1.6e-15).
/// Each eigenvector is normalised to length 1 with its component of largest
/// absolute value (the first of equal ones) positive, so the result is
/// deterministic. A general (non-symmetric) matrix is refused: symmetry is
/// accepted when |a[j][i] - a[i][j]| <= 1e-12 * max |a| for all i, j, and
/// the mean of the two is used.
/// Progress: before each sweep ReportProgress() is called and AbortMathProc
/// read (never cleared).
/// Status: 0 success (kDecompOk); -1 a empty (kDecompEmpty); -2 a not
/// square or ragged (kDecompNotSquare); -3 a not symmetric or holding a
/// non-finite value (kDecompUnsuitable); -4 aborted (kDecompAborted); -5 no
/// convergence within 50 sweeps (kDecompNoConvergence; never observed;
/// Jacobi converges quadratically).
/// vectors and values are replaced only on success.
int32_t EigenDecomposition(const TDouble2DArray& a, bool descending, TDouble2DArray& vectors,
                           TDoubleArray& values);

// ===========================================================================
// 10. Grid operations
// ===========================================================================
// Here a 2-D array is a raster: a[column][row], column = x to the right,
// row = y downwards.

/// DistanceOfObjects(a, mode, o1, o2, c1, c2, d): distance or similarity of
/// the objects stored in rows o1 and o2, over their values in columns
/// c1..c2 (x = a[c][o1], y = a[c][o2]; sums in long double):
///   dmTanimoto   sum xy / (sum x^2 + sum y^2 - sum xy)  (similarity, 1 for
///                identical rows)
///   dmManhattan  sum |x - y|
///   dmEuclid     sqrt(sum (x - y)^2)
///   dmSqrEuclid  sum (x - y)^2
///   dmDice       2 sum xy / (sum x^2 + sum y^2)  (similarity)
/// Both similarity denominators are 0 only when both rows are all zero over
/// the columns; the objects are then identical and d = 1 (never NaN).
/// d is 0 first. Status: -1 a empty (kDistanceEmpty); -2 a ragged or a row
/// index outside it (kDistanceBadObject); -3 a column index outside it
/// (kDistanceBadColumn); -4 c2 < c1 (kDistanceReversedColumns); -5 any other
/// mode (dmUserDef, which needs a matrix's event, included)
/// (kDistanceBadMode).
int32_t DistanceOfObjects(const TDouble2DArray& a, TDistMode mode, int32_t o1, int32_t o2,
                          int32_t c1, int32_t c2, double& d);

///@{
/// Status codes of DistanceOfObjects (values fixed). DistanceStatusText
/// turns one into a sentence.
constexpr int32_t kDistanceOk = 0;                ///< success
constexpr int32_t kDistanceEmpty = -1;            ///< the array is empty
constexpr int32_t kDistanceBadObject = -2;        ///< ragged, or an object row outside the array
constexpr int32_t kDistanceBadColumn = -3;        ///< a column index outside the array
constexpr int32_t kDistanceReversedColumns = -4;  ///< c2 < c1
constexpr int32_t kDistanceBadMode = -5;          ///< a mode this routine does not compute
///@}

/// A short English sentence (no final period) for a status code of
/// DistanceOfObjects; "unknown distance status" for any other value. The
/// text is static.
const char* DistanceStatusText(int32_t status);

/// BoundingRect(a, firstCol, lastCol, firstRow, lastRow): the smallest
/// rectangle holding every non-zero cell (for double arrays NaN counts as
/// non-zero): the first and last column and the first and last row that
/// contain a non-zero element. All four are -1 first and stay -1 when the
/// array has no non-zero element (also when it is empty). A ragged array is
/// scanned cell by cell as it is. Members: int and double 2-D.
template <NumElement T>
void BoundingRect(const Array2D<T>& a, int32_t& firstCol, int32_t& lastCol, int32_t& firstRow,
                  int32_t& lastRow);

/// FloodFillArray (integer form) (col, row, fill, fourNeighbour, a,
/// highestRow, lowestRow, lowestCol, highestCol): sets every cell connected
/// to the seed (col, row) that holds the seed's value to fill and returns the
/// number of cells filled. Connection is through the four edge neighbours
/// when fourNeighbour is true and through all eight (diagonals included)
/// otherwise, so on a chessboard pattern the four-neighbour fill changes one
/// cell and the eight-neighbour fill every cell of the seed's colour.
/// The four bounds return the bounding box of the filled cells as indices:
/// highestRow the largest and lowestRow the smallest row index, lowestCol and
/// highestCol the smallest and largest column index (all 0 first; the seed
/// when no cell was filled).
/// Method: a scan-line fill over runs of matching cells along a column
/// (contiguous storage), neighbouring columns examined over the run -- widened
/// by one cell at each end for eight neighbours -- with an explicit stack of
/// run seeds and a visited bitmap, so every cell is filled at most once, the
/// call stack does not grow with the region, and the extra memory is one bit
/// per cell plus the pending runs. Status: -1 the seed lies outside the
/// array, also for an empty array (kFloodFillSeedOutside); -2 the seed's
/// value equals fill (kFloodFillSeedIsFill); -3 the array is ragged
/// (kFloodFillRagged); -4 memory ran out (kFloodFillNoMemory; for the
/// bitmap, before anything is filled; or, on a nearly full heap, for the
/// run stack, when the cells filled so far keep the fill value).
int32_t FloodFillArray(int32_t col, int32_t row, int32_t fill, bool fourNeighbour, TInt2DArray& a,
                       int32_t& highestRow, int32_t& lowestRow, int32_t& lowestCol,
                       int32_t& highestCol);

/// FloodFillArray (tolerance form) (col, row, tolerance, fill, fourNeighbour,
/// a, the same four bounds): fills the connected cells whose value x lies
/// within |tolerance| of the seed's value s (x == s or |x - s| <= |tolerance|),
/// compared with the values before the fill. Because each cell is visited
/// once, the fill ends also when fill itself lies within the tolerance of s
/// (fill == s included). A NaN seed matches no cell (0 cells, a unchanged);
/// a NaN tolerance acts as 0. Status: -1 seed outside the array
/// (kFloodFillSeedOutside), -3 ragged (kFloodFillRagged), -4 no memory
/// (kFloodFillNoMemory); there is no -2.
int32_t FloodFillArray(int32_t col, int32_t row, double tolerance, double fill, bool fourNeighbour,
                       TDouble2DArray& a, int32_t& highestRow, int32_t& lowestRow,
                       int32_t& lowestCol, int32_t& highestCol);

///@{
/// Failure codes of FloodFillArray (values fixed); a result >= 0 is the
/// number of cells filled. FloodFillStatusText turns a result into a
/// sentence.
constexpr int32_t kFloodFillSeedOutside = -1;  ///< the seed lies outside the array
constexpr int32_t kFloodFillSeedIsFill = -2;   ///< the seed already holds the fill value
constexpr int32_t kFloodFillRagged = -3;       ///< the array is ragged
constexpr int32_t kFloodFillNoMemory = -4;     ///< memory ran out
///@}

/// A short English sentence (no final period) for a result of
/// FloodFillArray: the same success sentence for every count >= 0, and
/// "unknown flood fill status" for a negative value without a name. The
/// text is static.
const char* FloodFillStatusText(int32_t status);

/// LocalMean(data, centre, halfWidth, lo, hi): the mean (long double) of the
/// element at centre and of the elements centre +- 1 .. centre +- halfWidth
/// that lie within lo..hi. centre, lo and hi are clamped into 0..n-1 (a
/// reversed lo, hi is exchanged) and halfWidth into 0..n-1; the centre
/// element always counts, also when it lies outside lo..hi. The work is
/// proportional to the cells collected, whatever halfWidth is (INT32_MAX on
/// a window of 3 cells costs 3 cells). An empty array gives 0. Members:
/// double and int 1-D.
template <NumElement T>
double LocalMean(const Array1D<T>& data, int32_t centre, int32_t halfWidth, int32_t lo, int32_t hi);

/// LocalMedian: the same selection as LocalMean; the collected values are
/// sorted and the middle one returned, or the mean of the two middle ones for
/// an even count. NaN sorts after every number (as in QuickSelect), so a NaN
/// in the upper half of the window gives NaN ({1, NaN, NaN} gives NaN,
/// {1, 2, NaN} gives 2). An empty array gives 0. Members: double and int 1-D.
template <NumElement T>
double LocalMedian(const Array1D<T>& data, int32_t centre, int32_t halfWidth, int32_t lo,
                   int32_t hi);

///@{
/// CheckLinearity(data, tolerance, breaks): the positions where a sequence
/// changes its step. With d = x[1] - x[0], for j = 2 .. n-1: when
/// |(x[j] - x[j-1]) - d| > tolerance, position j - 1 is recorded and d
/// becomes x[j] - x[j-1]. breaks receives the positions (cut to their
/// number) and the number is returned. Fewer than 3 values give 0 with breaks
/// unchanged. The tolerance is used as given (a negative one makes every
/// position a break). The integer form has no tolerance: any change of the
/// step counts (steps computed in 64 bits, no overflow).
int32_t CheckLinearity(const TDoubleArray& data, double tolerance, TIntArray& breaks);
int32_t CheckLinearity(const TIntArray& data, TIntArray& breaks);
///@}

///@{
/// ListCellPositions(a, value, maxCount, offset, positions): lists where a
/// holds value (true: non-zero; false: zero). 1-D: positions gets the indices
/// i + offset in ascending order, at most maxCount of them (maxCount < 1 or
/// above the length means the length); cut to the number found, which is
/// returned. 2-D: scans column by column (all rows of column 0, then column
/// 1, ...); positions becomes a 2 x n array with positions[0][j] the column
/// and positions[1][j] the row of the j-th match, both plus offset (maxCount
/// < 1 or above the number of cells means the number of cells).
/// -1 for an empty array, -2 for a ragged one (positions unchanged).
int32_t ListCellPositions(const TBoolArray& a, bool value, int32_t maxCount, int32_t offset,
                          TIntArray& positions);
int32_t ListCellPositions(const TBool2DArray& a, bool value, int32_t maxCount, int32_t offset,
                          TInt2DArray& positions);
///@}

///@{
/// Status codes of EdgeVector on a 2-D array (values fixed; -2 covers a
/// ragged array and a skipped position). EdgeStatusText turns one into a
/// sentence.
constexpr int32_t kEdgeOk = 0;                ///< success
constexpr int32_t kEdgeEmpty = -1;            ///< the array is empty
constexpr int32_t kEdgeRaggedOrSkipped = -2;  ///< ragged (result unchanged), or a position skipped
constexpr int32_t kEdgeBadOp = -3;            ///< op is not a TEdgeOp (result unchanged)
///@}

/// A short English sentence (no final period) for a status code of
/// EdgeVector on a 2-D array; "unknown edge vector status" for any other
/// value. The text is static.
const char* EdgeStatusText(int32_t status);

///@{
/// EdgeVector(a, orientation, op, [positions,] result): reduces the array to
/// one value per column (orColwise: result has one entry per column,
/// combining the cells of that column at the listed row positions) or per
/// row (orRowwise: one entry per row, combining the cells of that row at the
/// listed column positions). Without positions (or with an empty list) all
/// rows (columns) are used. Listed positions outside the array are skipped
/// and make the status -2; the other results are still computed. op:
///   eoMin     minimum (start value DBL_MAX, which stays when no cell is
///             used); NaN when a cell used is NaN
///   eoMax     maximum (start value -DBL_MAX, likewise); NaN likewise
///   eoSum     sum (long double)
///   eoMean    mean of the cells used; 0 when no cell is used
///   eoStdDev  sample standard deviation, the square root of
///             sum (x - mean)^2/(n - 1) over the cells used, the mean taken
///             first; 0 for fewer than 3 cells and for constant cells, and
///             a negative variance counts as 0.
/// Status: 0; -1 empty array; -2 a ragged array (result unchanged) or a
/// skipped position; -3 an unknown op (result unchanged).
/// Members: double and int 2-D.
template <NumElement T>
int32_t EdgeVector(const Array2D<T>& a, TOrientation orientation, TEdgeOp op,
                   const TIntArray& positions, TDoubleArray& result);
template <NumElement T>
int32_t EdgeVector(const Array2D<T>& a, TOrientation orientation, TEdgeOp op, TDoubleArray& result);
///@}

///@{
/// Status codes of CreateMaskShape (values fixed). MaskShapeStatusText turns
/// one into a sentence.
constexpr int32_t kMaskShapeOk = 0;               ///< success
constexpr int32_t kMaskShapeBadParamCount = -1;   ///< params has the wrong length for the kind
constexpr int32_t kMaskShapeNegativeRadius = -2;  ///< a radius is negative
constexpr int32_t kMaskShapeBadKind = -3;         ///< kind is not a TShapeKind
///@}

/// A short English sentence (no final period) for a status code of
/// CreateMaskShape; "unknown mask shape status" for any other value. The
/// text is static.
const char* MaskShapeStatusText(int32_t status);

/// CreateMaskShape(mask, kind, params): sets the cells of one shape to true
/// and leaves every other cell unchanged; cells of the shape outside the mask
/// are not written (a ragged mask is written cell by cell as it is).
///   skRectangle params {c1, r1, c2, r2}: the cells c1..c2 x r1..r2
///               (inclusive; reversed pairs are exchanged).
///   skEllipse   params {c1, r1, c2, r2}: the ellipse inscribed in that
///               rectangle (pairs ordered): centre cx = (c1 + c2) div 2, cy =
///               (r1 + r2) div 2 (integer division toward zero: for an odd
///               non-negative sum the lower of the two middle cells, so the
///               shape is lopsided by one cell), semi-axes ea = (c2 - c1)/2
///               and eb = (r2 - r1)/2; a cell (x, y) of the rectangle is set when (x - cx)^2/ea^2 +
///               (y - cy)^2/eb^2 <= 1. A zero semi-axis makes its term 0 on
///               the centre line and excludes the cell elsewhere, so a
///               rectangle of zero width or height gives a straight segment
///               through the centre.
///   skDisc      params {cx, cy, radius}: cells with (x - cx)^2 + (y - cy)^2 <=
///               radius^2.
///   skRing      params {cx, cy, r1, r2}: cells whose squared distance from
///               the centre lies between the squares of the two radii
///               (ordered), both included.
/// Squares are formed in 64 bits. Status: -1 a parameter list of the wrong
/// length (4, 4, 3, 4); -2 a negative radius; -3 an unknown kind.
int32_t CreateMaskShape(TBool2DArray& mask, TShapeKind kind, const TIntArray& params);

/// Resample2DArray(src, dst, colPercent, rowPercent, rowsWithReplacement,
/// colNumbers, rowNumbers): a random sub-array. In this order: -3
/// (kResampleEmptySource) for an empty (or ragged) source; -4
/// (kResampleEmptyDest) when dst is empty on entry; -5
/// (kResampleEmptyNumbers) when either number array is empty on entry (dst
/// and the number arrays only have to be non-empty; their contents are
/// replaced); nc = round(columns * colPercent / 100) must be positive and
/// colPercent <= 100 (-1, kResampleBadColPercent), nr = round(rows *
/// rowPercent / 100) likewise (-2, kResampleBadRowPercent). colNumbers gets
/// nc 1-based column numbers: all columns in order when nc equals the column
/// count, otherwise nc distinct random columns (FillRandomUniform without
/// duplicates); rowNumbers gets nr random 1-based rows, with duplicates
/// allowed when rowsWithReplacement is true (FillRandomUniform). -6
/// (kResampleSelectionFailed) when the random selection fails
/// (FillRandomUniform refuses spans above 1 000 000 values without
/// duplicates). On success dst becomes nc x nr with dst[i][j] =
/// src[colNumbers[i] - 1][rowNumbers[j] - 1]; on failure dst and the number
/// arrays are unchanged. The random fills reseed core's generator.
int32_t Resample2DArray(const TDouble2DArray& src, TDouble2DArray& dst, double colPercent,
                        double rowPercent, bool rowsWithReplacement, TIntArray& colNumbers,
                        TIntArray& rowNumbers);

///@{
/// Status codes of Resample2DArray (values fixed). ResampleStatusText turns
/// one into a sentence.
constexpr int32_t kResampleOk = 0;                ///< success
constexpr int32_t kResampleBadColPercent = -1;    ///< no column selected, or colPercent > 100
constexpr int32_t kResampleBadRowPercent = -2;    ///< no row selected, or rowPercent > 100
constexpr int32_t kResampleEmptySource = -3;      ///< the source is empty or ragged
constexpr int32_t kResampleEmptyDest = -4;        ///< dst is empty on entry
constexpr int32_t kResampleEmptyNumbers = -5;     ///< a number array is empty on entry
constexpr int32_t kResampleSelectionFailed = -6;  ///< the random selection failed
///@}

/// A short English sentence (no final period) for a status code of
/// Resample2DArray; "unknown resampling status" for any other value. The
/// text is static.
const char* ResampleStatusText(int32_t status);

/// ConvertToColorMap(a, colors): replaces every cell value v by the colour
/// table's entry min(max(v, 1), number of entries) (colors->GetColorElem).
/// Each cell is converted on its own, so a ragged array is fine. -1 for an
/// empty array (no cell); -2 without a colour table (nullptr) or for a table
/// without entries.
int32_t ConvertToColorMap(TInt2DArray& a, const TColorArray* colors);

/// SaveArrayAsImg(fileName, a, m): an image of (columns * m) x (rows * m)
/// pixels whose pixel (x, y) has the colour a[x div m][y div m] (red in the
/// low byte; a system colour, high byte 0xFF, is resolved through the
/// graphics layer's ColorToRGB, any other high byte is ignored), made as a
/// 24-bit TBitmap (gui/zel_graphics.hpp). The format follows the extension of
/// fileName, case ignored: ".bmp" (the graphics layer's own writer), ".png"
/// (libpng), ".jpg" (libjpeg, quality 90); a name without an extension is
/// written as BMP under that name. The extension is taken by the image
/// writer's rule (ImageFileExtension, gui/zel_imagefiles.hpp): from the last
/// '.' of the last path component, a leading dot included, so "dir/.png" is
/// a PNG and "dir/.gif" and "dir/.jpeg" give -1 like "x.gif" and "x.jpeg". An empty fileName puts
/// the bitmap on the
/// process's clipboard (gui/zel_clipbrd.hpp, Clipboard().Assign), replacing
/// its content. Checked in this order: -2 m outside 1..10
/// (kArrayImageBadMagnification); -1 another extension
/// (kArrayImageBadExtension); -3 an empty or ragged array, or an image
/// beyond the bitmap's limit of 2^30 pixels (kArrayImageBadArray); then -4
/// when the file could not be written (no permission, no space, a missing
/// folder) or the memory for the bitmap ran out (kArrayImageWriteFailed). 0
/// on success (kArrayImageOk).
int32_t SaveArrayAsImg(const std::string& fileName, const TInt2DArray& a, int32_t m);

///@{
/// Status codes of SaveArrayAsImg (values fixed). ArrayImageStatusText
/// turns one into a sentence.
constexpr int32_t kArrayImageOk = 0;                 ///< success
constexpr int32_t kArrayImageBadExtension = -1;      ///< not a .bmp, .png or .jpg file name
constexpr int32_t kArrayImageBadMagnification = -2;  ///< m outside 1..10
constexpr int32_t kArrayImageBadArray = -3;          ///< empty, ragged or too large an array
constexpr int32_t kArrayImageWriteFailed = -4;       ///< the file could not be written
///@}

/// A short English sentence (no final period) for a status code of
/// SaveArrayAsImg; "unknown array image status" for any other value. The
/// text is static.
const char* ArrayImageStatusText(int32_t status);

// ===========================================================================
// 11. Array files
// ===========================================================================
// Two formats, binary and text, with the same content: an element type
// (double or int32), a rank (1..4), the dimensions, a comment (UTF-8, any bytes, line
// breaks included) and the elements, and both carry CRC-32 checksums
// (core's CalcCRC32: reflected polynomial 0xEDB88320) so that damage is
// detected. Elements are stored in storage order: the innermost index runs
// fastest (a 2-D array column by column, each column's rows in order).
//
// Binary format, every integer a little-endian int32, version 1:
//   offset  size  field
//   0       8     magic 89 5A 45 4C 41 52 52 0A ("\x89ZELARR\n"; the first
//                 byte catches 7-bit transfers, the last line-end changes)
//   8       4     version, 1
//   12      4     element type: 1 double (IEEE 754 binary64), 2 int32
//   16      4     rank R, 1..4
//   20      16    dimensions 1..4; the first R are >= 1 (outer first), the
//                 others 0
//   36      4     comment length L in bytes, >= 0
//   40      L     comment
//   40+L    4     CRC-32 of bytes 0 .. 39+L (the header)
//   44+L    N*S   the N = product of the dimensions elements, S = 8 (double,
//                 least significant byte first) or 4 (int32)
//   44+L+NS 4     CRC-32 of the element bytes
// The file is exactly 48 + L + N*S bytes long.
//
// Text format (StoreArray unless binary is asked for), lines ending in "\n"
// ("\r\n" is read as well):
//   ZELARRAY-TEXT 1
//   double 2 3 4                   element type, rank, dimensions
//   comment <text>                 "\" written as "\\", LF as "\n", CR as "\r"
//   <one line per innermost vector: its values separated by one blank;
//    doubles in the shortest form that reads back to the same value
//    ("inf", "-inf", "nan", "-nan" for non-finite values; a NaN keeps its
//    sign but not its payload bits), ints in decimal>
//   crc32 1a2b3c4d                 CRC-32 (8 lower-case hex digits) of every
//                                  line before it, each counted with "\n"
// Nothing may follow the checksum line.
//
// Writers: -1 (kArrayFileEmpty) for an empty array (length 0 in any
// dimension), -2 (kArrayFileBadShape) for a ragged array, a dimension or a
// comment longer than 2^31 - 1; -3 (kArrayFileCannotOpen) when the file
// cannot be created; -4 (kArrayFileWriteFailed) when writing fails (disk
// full, I/O error) -- the incomplete file is then removed. An existing file is overwritten (and so
// is gone after a failed write).
//
// Readers treat the file as hostile: every count is checked against the
// bytes that remain before anything is allocated, the data is read into a
// temporary, and the destination (array and comment) is replaced only when
// the whole file checked out. On any non-zero status the destination is
// unchanged. A double of the text format beyond the double range (written
// by another tool) reads as +-inf, one below it as +-0. A file without a
// known size (a pipe or FIFO) is read into memory first (at most
// kMaxUnsizedFileBytes; more fails as -3). Status codes:
//    0 success (kArrayFileOk)
//   -3 the file cannot be opened (kArrayFileCannotOpen)
//   -5 not an array file of this library (wrong magic or first line)
//      (kArrayFileNotArrayFile)
//   -6 an array file of a version this library does not read
//      (kArrayFileBadVersion)
//   -7 the file holds the other element type than the destination
//      (kArrayFileWrongType)
//   -8 the file holds an array of another rank than the destination
//      (kArrayFileWrongRank)
//   -9 damaged (kArrayFileDamaged): truncated, a checksum mismatch, an invalid header field
//      (element type, rank, a dimension < 1), dimensions whose element count
//      does not match the file's size, bytes after the end, or text that
//      does not parse
//  -10 the memory for an array of the announced (and present) size ran out
//      (kArrayFileNoMemory)
// Binary files are checked in this order: magic (-5; a file shorter than
// the magic whose bytes agree with it counts as truncated, -9), version
// (-6), header checksum (-9), fields (-9), element type (-7), rank (-8),
// size (-9), element checksum (-9). Text files: the first line (-5, -6;
// a prefix of it as the whole file -9), the checksum line against all lines
// before it (-9), fields (-9), element type (-7), rank (-8), the element
// count against the bytes left (-9), the value lines (-9).

///@{
/// Status codes of the array-file writers and readers (StoreArray,
/// LoadArray, SaveBinaryArray, LoadBinaryArray, ReadBinaryArrayHeader); the
/// values are fixed, so callers may compare against either the names or the
/// numbers. ArrayFileStatusText turns one into a sentence.
constexpr int32_t kArrayFileOk = 0;      ///< success
constexpr int32_t kArrayFileEmpty = -1;  ///< writers: the array is empty
constexpr int32_t kArrayFileBadShape =
    -2;  ///< writers: ragged array, a dimension or comment too long
constexpr int32_t kArrayFileCannotOpen = -3;    ///< the file cannot be created or opened
constexpr int32_t kArrayFileWriteFailed = -4;   ///< writing failed; the incomplete file was removed
constexpr int32_t kArrayFileNotArrayFile = -5;  ///< not an array file of this library
constexpr int32_t kArrayFileBadVersion = -6;    ///< an array file of a version not read here
constexpr int32_t kArrayFileWrongType = -7;     ///< the file holds the other element type
constexpr int32_t kArrayFileWrongRank = -8;     ///< the file holds an array of another rank
constexpr int32_t kArrayFileDamaged = -9;       ///< truncated, checksum mismatch or invalid content
constexpr int32_t kArrayFileNoMemory = -10;     ///< memory for the announced array ran out
///@}

/// A short English sentence (no final period) for a status code of the
/// array-file routines, for an application's message to its user;
/// "unknown array file status" for any other value. The text is static.
const char* ArrayFileStatusText(int32_t status);

///@{
/// StoreArray(fileName, a, [binary,] comment): writes a in the text format,
/// or in the binary format when binary is true (3-D and 4-D forms).
/// LoadArray(fileName, a, comment): reads either format (told apart by the
/// first bytes) into a of the matching element type and rank.
/// Members: double and int, 1-4 D.
int32_t StoreArray(const std::string& fileName, const TDoubleArray& a, const std::string& comment);
int32_t StoreArray(const std::string& fileName, const TDouble2DArray& a,
                   const std::string& comment);
int32_t StoreArray(const std::string& fileName, const TIntArray& a, const std::string& comment);
int32_t StoreArray(const std::string& fileName, const TInt2DArray& a, const std::string& comment);
int32_t StoreArray(const std::string& fileName, const TDouble3DArray& a,
                   const std::string& comment);
int32_t StoreArray(const std::string& fileName, const TDouble4DArray& a,
                   const std::string& comment);
int32_t StoreArray(const std::string& fileName, const TInt3DArray& a, const std::string& comment);
int32_t StoreArray(const std::string& fileName, const TInt4DArray& a, const std::string& comment);
int32_t StoreArray(const std::string& fileName, const TDouble3DArray& a, bool binary,
                   const std::string& comment);
int32_t StoreArray(const std::string& fileName, const TDouble4DArray& a, bool binary,
                   const std::string& comment);
int32_t StoreArray(const std::string& fileName, const TInt3DArray& a, bool binary,
                   const std::string& comment);
int32_t StoreArray(const std::string& fileName, const TInt4DArray& a, bool binary,
                   const std::string& comment);
///@}

///@{
/// Reads an array file written by StoreArray into a (same type and rank) and its comment into
/// comment.
int32_t LoadArray(const std::string& fileName, TIntArray& a, std::string& comment);
int32_t LoadArray(const std::string& fileName, TInt2DArray& a, std::string& comment);
int32_t LoadArray(const std::string& fileName, TInt3DArray& a, std::string& comment);
int32_t LoadArray(const std::string& fileName, TInt4DArray& a, std::string& comment);
int32_t LoadArray(const std::string& fileName, TDoubleArray& a, std::string& comment);
int32_t LoadArray(const std::string& fileName, TDouble2DArray& a, std::string& comment);
int32_t LoadArray(const std::string& fileName, TDouble3DArray& a, std::string& comment);
int32_t LoadArray(const std::string& fileName, TDouble4DArray& a, std::string& comment);
///@}

///@{
/// SaveBinaryArray(fileName, a, comment): writes a in the binary format.
int32_t SaveBinaryArray(const std::string& fileName, const TInt2DArray& a,
                        const std::string& comment);
int32_t SaveBinaryArray(const std::string& fileName, const TDouble2DArray& a,
                        const std::string& comment);
int32_t SaveBinaryArray(const std::string& fileName, const TDouble3DArray& a,
                        const std::string& comment);
int32_t SaveBinaryArray(const std::string& fileName, const TDouble4DArray& a,
                        const std::string& comment);
///@}

///@{
/// LoadBinaryArray(fileName, a, comment, headerCheckOnly): reads a binary
/// array file (a text array file gives -5). With headerCheckOnly true the
/// checksum of the elements is not computed -- faster for large files, but a
/// damaged element then goes unnoticed; magic, version, header checksum,
/// type, rank and the exact file size are still checked, so the result is
/// never partial.
int32_t LoadBinaryArray(const std::string& fileName, TDouble2DArray& a, std::string& comment,
                        bool headerCheckOnly);
int32_t LoadBinaryArray(const std::string& fileName, TInt2DArray& a, std::string& comment,
                        bool headerCheckOnly);
int32_t LoadBinaryArray(const std::string& fileName, TDouble3DArray& a, std::string& comment,
                        bool headerCheckOnly);
int32_t LoadBinaryArray(const std::string& fileName, TDouble4DArray& a, std::string& comment,
                        bool headerCheckOnly);
///@}

/// ReadBinaryArrayHeader(fileName, dim1, dim2, dim3, dim4, comment,
/// elemType): the header of a binary array file without its elements: the
/// dimensions (outer first; those beyond the rank 0, so the rank is the
/// number of non-zero dimensions), the comment and the element type (1
/// double, 2 int32). The header checksum is verified, the elements are not
/// read. All outputs are 0 (comment empty) first and stay so unless the
/// status is 0; status codes as the readers (a file too short for the
/// elements its header announces is -9).
int32_t ReadBinaryArrayHeader(const std::string& fileName, int32_t& dim1, int32_t& dim2,
                              int32_t& dim3, int32_t& dim4, std::string& comment,
                              int32_t& elemType);

}  // namespace zel
