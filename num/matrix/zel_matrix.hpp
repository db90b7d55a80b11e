/// @file
/// Zel_matrix: the general two-dimensional matrix of doubles (TMatrix) with
/// element access, resizing, copies to and from vectors, arrays and other
/// matrices, fills, element-wise and product arithmetic, row and column
/// operations, statistics over rectangular ranges, sorting and a checksum.
///
/// Families, in the order of this header:
///   1. The exception class
///   1b. The stored forms shared by all matrix classes: the layout of the
///      binary record file and of the XML form, their parsers and codes
///   2. TMatrixT\<T>, the dense [column][row] storage and everything that does
///      not depend on the element type (the integer matrix shares it):
///      a. creation, size and element access, notification
///      b. ranges
///      c. copies between matrices, vectors and arrays
///      d. fills
///      e. row and column operations (transpose, remove, exchange, mirror,
///         differences, dichotomisation, counting, search, edge vectors,
///         checksum)
///      f. statistics over a rectangular range
///      g. sorting
///      h. stored forms: binary file, XML, stream, text and ASC files
///   3. TMatrix: what only the double matrix has (precisions, Assign, random
///      fills, arithmetic and products, histogram, standardisation,
///      Q-normalisation, correlation, random sub-matrices; numerics:
///      determinant, LU, inversion, hat matrix, Cholesky, balancing, norms,
///      singular value decomposition, the threaded cross product Square,
///      distances between rows)
///   4. The singular value decomposition on plain column storage
///
/// Conventions of the whole unit:
/// - Storage: Mat is an array of columns, each a contiguous std::vector of
///   rows: element (c, r), both counted from 1 in every public routine, is
///   Mat[c - 1][r - 1]. A dense matrix always holds at least 1 x 1 elements
///   (a new one is 1 x 1 holding 0). Only an integer matrix in sparse mode
///   (TIntMatrix) has no dense storage; every routine of TMatrixT then takes
///   its "unallocated" path and never touches Mat: reads give 0 (GetVal,
///   GetMat is empty), the statistics give 0 (Sum, Trace, MinMax, MeanVar,
///   the means, moments, quartiles (false), percentiles, CountValues,
///   Dichotomize (ResultArray emptied), Find (ColIx = RowIx = 0),
///   FindInSortedColumn), CRCofData gives "", EdgeVector -1, Diff -3,
///   CopyFromArray -7, CopyToArray -5, DuplicateDataAsArray -2, and fills,
///   copies (into or out of it), sorts, Resize, Clone, Transpose and the
///   row and column operations do nothing, fire no event and return false
///   where they return a bool. TIntMatrix's own GetVal, SetVal, Resize,
///   Clone and Transpose serve the sparse mode. Every loop
///   over a matrix runs column by column and, within a column, row by row;
///   the order is visible in CRCofData and in the order in which events fire
///   and random numbers are drawn.
/// - Reading outside the matrix gives 0, writing there is ignored; ranges
///   are clamped (MakeValidColRange, MakeValidRowRange); no routine raises for
///   a wrong index.
/// - Events (all on the caller's thread; a handler must not destroy the
///   matrix):
///   OnChange fires after every operation that alters element values.
///   Operations that store cell by cell through SetVal -- Clone, the
///   CopyFrom... family, ResampleExtMat and the products into MatRes -- fire
///   it once per stored cell of the receiving matrix and once more at their
///   end; operations that work on the storage directly (fills, arithmetic in
///   place, sorts, Transpose, the standardisations) fire it once at the end.
///   OnResize fires after every change of dimensions, always after the
///   OnChange of the same step. With no OnChange handler the per-cell path
///   costs nothing: the handler is tested once per operation, never called
///   per cell.
/// - Aliasing: a routine whose result matrix (or vector) may also be an
///   operand (A.Multiply(A, &A), A.CopyFrom(&A, ...), A.Clone(&A),
///   A.ResampleExtMat(&A, ...)) reads its operands completely before it
///   writes, so the result equals that of distinct objects.
/// - Sums of the statistics accumulate in long double (80-bit) with
///   interleaved partial sums in a fixed order; results are reproducible.
///   The products accumulate each cell as a plain double sum in increasing
///   k, exactly as the textbook triple loop does (bit for bit).
/// - Sample variance is Sum (x - mean)^2 / (n - 1): the mean first, then the
///   centred sum in long double (two passes), so a large mean against a
///   small spread keeps its digits ({1e10+1, 1e10+2, 1e10+3} gives exactly
///   1). It is exactly 1 when fewer than 3 values are used, 0 where it would
///   be negative, and exactly 0 for constant data. Standard deviations and
///   correlations use the same centred sums.
/// - NaN propagates through the statistics: a NaN cell makes the result NaN
///   (MinMax, MeanVar, the means, moments, quartiles, percentiles,
///   Correlate, EdgeVector), never a skipped value. Histogram counts it as
///   overflow.
/// - Errors that abort an operation throw EZELMatrixError with the message
///   'Component "\<Name>": \<text>' (TComponent::ComponentMessage). Resize,
///   Transpose and every operation that resizes build the new storage first
///   and swap it in, so a failed allocation leaves the matrix as it was.
/// - Objects passed by pointer may be null: the routine then does nothing
///   and returns its neutral result (false, 0), as documented per routine.
/// - State touched: SortRows, SortCols and Quartiles call core's
///   ReportProgress (ProcStat, MathFeedBackProc) once per sorting pass;
///   FillRandomUniform draws from core's process-wide generator without
///   reseeding it; FillRandomGauss draws from GRandom of the math unit;
///   Percentile with a sample and ResampleExtMat reseed core's generator from
///   the clock. Invert, CalcHatMatrix, SVDecomposeMatrix, Norm(ntSpectral)
///   and Square serve ProcStat and MathFeedBackProc and stop when they find
///   AbortMathProc true; nothing clears it.
/// - Threads: only Square runs workers; they read this matrix (which must
///   not change meanwhile) and write their own result cells, never fire
///   events and are all joined before Square returns, on every path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "core/zel_classes.hpp"
#include "core/zel_zelbase.hpp"
#include "num/vector/zel_vector.hpp"

namespace zel {

// ===========================================================================
// 1. The exception class
// ===========================================================================

/// Raised by the matrix classes. Derives from EZELError, so one
/// catch (const EZELError&) catches every library error.
class EZELMatrixError : public EZELError {
 public:
  using EZELError::EZELError;
};

///@{
/// Status codes of TMatrixT::CopyFromArray (values fixed; -3 is not used).
/// MatrixCopyFromStatusText turns one into a sentence.
constexpr int32_t kMatCopyFromOk = 0;           ///< done
constexpr int32_t kMatCopyFromEmpty = -1;       ///< the source array is empty
constexpr int32_t kMatCopyFromRagged = -2;      ///< the source 2-D array is ragged
constexpr int32_t kMatCopyFromBadElement = -4;  ///< FirstElem or LastElem outside the array
constexpr int32_t kMatCopyFromOutside = -5;     ///< the first target cell lies outside the matrix
constexpr int32_t kMatCopyFromResized = -6;     ///< an OnChange handler resized the matrix
constexpr int32_t kMatCopyFromNoStorage = -7;   ///< the matrix has no dense storage (sparse mode)
///@}

/// A short English sentence (no final period) for a status code of
/// TMatrixT::CopyFromArray; "unknown matrix copy status" for any other
/// value. The text is static.
const char* MatrixCopyFromStatusText(int32_t status);

///@{
/// Status codes of TMatrixT::CopyToArray (values fixed).
/// MatrixCopyToStatusText turns one into a sentence.
constexpr int32_t kMatCopyToOk = 0;              ///< done
constexpr int32_t kMatCopyToBadDest = -1;        ///< Dest has no columns or no rows, or is ragged
constexpr int32_t kMatCopyToColsCorrected = -2;  ///< the column bounds had to be corrected
constexpr int32_t kMatCopyToRowsCorrected = -3;  ///< the row bounds had to be corrected
constexpr int32_t kMatCopyToOutside = -4;        ///< (DestCol, DestRow) lies outside Dest
constexpr int32_t kMatCopyToNoStorage = -5;      ///< the matrix has no dense storage (sparse mode)
///@}

/// A short English sentence (no final period) for a status code of
/// TMatrixT::CopyToArray; "unknown matrix copy status" for any other value.
/// The text is static.
const char* MatrixCopyToStatusText(int32_t status);

///@{
/// Status codes of TMatrix::ResampleExtMat (values fixed).
/// MatrixResampleStatusText turns one into a sentence.
constexpr int32_t kMatResampleOk = 0;              ///< done
constexpr int32_t kMatResampleBadColPercent = -1;  ///< no column selected, or colpct > 100
constexpr int32_t kMatResampleBadRowPercent = -2;  ///< no row selected, or rowpct > 100
constexpr int32_t kMatResampleNoSource = -3;       ///< SrcMat is null
constexpr int32_t kMatResampleTooMany = -4;        ///< distinct numbers from more than 1 000 000
constexpr int32_t kMatResampleEmptyNumbers = -5;   ///< RndColIx or RndRowIx is empty on entry
constexpr int32_t kMatResampleResized = -6;        ///< an event handler resized the matrix
///@}

/// A short English sentence (no final period) for a status code of
/// TMatrix::ResampleExtMat; "unknown matrix resampling status" for any other
/// value. The text is static.
const char* MatrixResampleStatusText(int32_t status);

///@{
/// Status codes of TMatrix::CalcHatMatrix (values fixed; a matrix is never
/// ragged, so -2 only means no memory). MatrixHatStatusText turns one into a
/// sentence.
constexpr int32_t kMatHatOk = 0;         ///< done
constexpr int32_t kMatHatNoTarget = -1;  ///< HatMat is null
constexpr int32_t kMatHatNoMemory = -2;  ///< the work arrays cannot be allocated
constexpr int32_t kMatHatSingular =
    -3;  ///< an element is NaN or infinite, or the columns are dependent
constexpr int32_t kMatHatAborted = -4;  ///< AbortMathProc was set during the inversion
constexpr int32_t kMatHatResized = -5;  ///< an event handler resized HatMat while it was stored
///@}

/// A short English sentence (no final period) for a status code of
/// TMatrix::CalcHatMatrix; "unknown hat matrix status" for any other value.
/// The text is static.
const char* MatrixHatStatusText(int32_t status);

///@{
/// Status codes of TMatrixT::DuplicateDataAsArray (values fixed).
/// MatrixDuplicateStatusText turns one into a sentence.
constexpr int32_t kMatDuplicateOk = 0;          ///< done
constexpr int32_t kMatDuplicateEmptyDest = -1;  ///< Dest is empty on entry (left untouched)
constexpr int32_t kMatDuplicateNoStorage = -2;  ///< no dense storage (sparse mode; Dest untouched)
///@}

/// A short English sentence (no final period) for a status code of
/// TMatrixT::DuplicateDataAsArray; "unknown matrix duplication status" for
/// any other value. The text is static.
const char* MatrixDuplicateStatusText(int32_t status);

///@{
/// Status codes of TMatrixT::EdgeVector (values fixed). MatrixEdgeStatusText
/// turns one into a sentence. -1, an unallocated matrix, occurs only for an
/// integer matrix in sparse mode.
constexpr int32_t kMatEdgeOk = 0;            ///< done
constexpr int32_t kMatEdgeUnallocated = -1;  ///< no dense storage (sparse mode; Dest untouched)
constexpr int32_t kMatEdgeSkipped = -2;  ///< an index of EdgeIx lay outside the matrix (skipped)
constexpr int32_t kMatEdgeNoDest = -3;   ///< Dest is null (nothing done)
///@}

/// A short English sentence (no final period) for a status code of
/// TMatrix::EdgeVector; "unknown matrix edge vector status" for any other
/// value. The text is static.
const char* MatrixEdgeStatusText(int32_t status);

///@{
/// Status codes of TMatrix::CalcDistMat (values fixed).
/// MatrixDistMatStatusText turns one into a sentence.
constexpr int32_t kMatDistMatOk = 0;          ///< done
constexpr int32_t kMatDistMatBadTarget = -1;  ///< DMat is null or not square
constexpr int32_t kMatDistMatWrongSize = -2;  ///< DMat's size differs from the row count
///@}

/// A short English sentence (no final period) for a status code of
/// TMatrix::CalcDistMat; "unknown distance matrix status" for any other
/// value. The text is static.
const char* MatrixDistMatStatusText(int32_t status);

///@{
/// Status codes of TMatrixT::Diff (values fixed).
/// MatrixDiffStatusText turns one into a sentence.
constexpr int32_t kMatDiffOk = 0;          ///< done (or a mode outside the enumeration)
constexpr int32_t kMatDiffBadOrder = -1;   ///< Order lies outside 1..10
constexpr int32_t kMatDiffTooShort = -2;   ///< Order is not smaller than the rows (columns)
constexpr int32_t kMatDiffNoStorage = -3;  ///< no dense storage (sparse mode)
///@}

/// A short English sentence (no final period) for a status code of
/// TMatrixT::Diff; "unknown matrix difference status" for any other value.
/// The text is static.
const char* MatrixDiffStatusText(int32_t status);

// ===========================================================================
// 1b. Stored forms shared by all matrix classes: the binary record file and
//     the XML element vocabulary
// ===========================================================================
//
// Binary matrix file: records of exactly kMatRecordBytes bytes, all numbers
// little-endian. Record 0 is the header:
//   offset   0  int32  NrColumns
//   offset   4  int32  NrRows
//   offset   8  int32  NrLayers     (0 in two-dimensional files)
//   offset  12  int32  NrTimeSlots  (0 in two- and three-dimensional files)
//   offset  16  a length byte (0..255) and up to 255 bytes of DataID in
//               Windows-1252 (UTF-8 converted at the file boundary; a
//               character Windows-1252 lacks is written "?", the text is
//               cut to 255 bytes after the conversion)
//   offset 272  int32  Format: 1 double elements, 2 int32 elements
//   the rest of the record is written as zeros and never read.
// A class accepts a file when (NrLayers, NrTimeSlots, Format) are
// TMatrix (0, 0, 1), TIntMatrix (0, 0, 2), TMat3D (> 0, 0, 1) and TMat4D
// (> 0, > 0, 1). From record 1 on the elements follow, 512 doubles (1024
// int32 for Format 2) per record, with the column index innermost: element
// (ix, iy, il, it) has the linear position
//   p = (((it - 1) NrLayers + il - 1) NrRows + iy - 1) NrColumns + ix - 1
// (the layer and time-slot terms vanish for fewer dimensions) and lies at
// byte 4096 + p * width of the file (record 1 + p div 512, slot p mod 512
// for doubles). The last record is padded with zeros to its full length.
// Positions and byte offsets are 64-bit. A reader checks the sizes (columns
// and rows >= 1, layers and time slots >= 0) and that the file holds every
// record of the announced data area before it allocates, seeks or fires
// anything, reads into a buffer and changes the matrix only on success.
//
// XML form (one element per cell; any text may surround the matrix):
//   <?xml version="1.0" encoding="UTF-8"?>          (with CreateHeader)
//   <!-- matrix, ZEL Component Suite -->            (with CreateHeader)
//   <matrix sig="ZELCSuite" vers="1.0" id="DATAID">
//   <numcols>NC</numcols>
//   <numrows>NR</numrows>
//   <numplanes>NZ</numplanes>                       (TMat3D, TMat4D)
//   <numtimeslots>NT</numtimeslots>                 (TMat4D)
//   <cell ix="1" iy="1">VALUE</cell>                (TMat3D: iz; TMat4D: il, it)
//   ...
//   </matrix>
// The writer lists every cell in storage order (TMatrix, TIntMatrix: column
// by column; TMat3D: layer innermost; TMat4D: column innermost), one
// element per line. Doubles are written in the shortest form that reads
// back to the same double ("0.1", "-2.5e-07"), NaN and infinities as "NAN",
// "INF" and "-INF"; integers in decimal. DATAID is escaped as core's
// AppendXmlEscaped does. A reader takes the first "matrix" element whose id
// equals DataID byte for byte (an empty DataID takes the first matrix),
// hands every element up to "</matrix>" to ProcessXmlTag, and fails (false,
// matrix unchanged, no event) when the input ends first, an element is
// unknown or left open, or ProcessXmlTag refuses the announced sizes.

///@{
/// Status codes that TMatrixT::ImportASC adds to ReadHeaderOfASC's -1..-4
/// (kAscCannotRead .. kAscBadFlags, returned as they are); values of this
/// library. MatrixImportStatusText turns any of them into a sentence.
constexpr int32_t kMatAscBadRowAttribute = -5;  ///< a row attribute is missing or not a number
constexpr int32_t kMatAscBadValue = -6;         ///< a value or quoted name is missing or malformed
constexpr int32_t kMatAscBadCustData = -7;      ///< the custom data section is malformed
constexpr int32_t kMatAscNoFile = -8;           ///< the file does not exist
constexpr int32_t kMatAscEmpty = -9;            ///< the column or row count is 0
///@}

/// A short English sentence (no final period) for a result of
/// TMatrixT::ImportASC, the header's codes (-1..-4) included; "unknown ASC
/// import status" for any other value. The text is static.
const char* MatrixImportStatusText(int32_t status);

/// Bytes of one record of the binary matrix file.
constexpr int64_t kMatRecordBytes = 4096;
///@{
/// Element formats of the binary matrix file.
constexpr int32_t kMatFormatDouble = 1;  ///< 8-byte IEEE doubles, 512 per record
constexpr int32_t kMatFormatInt = 2;     ///< 4-byte int32 values, 1024 per record
///@}

/// The XML elements of a matrix, in this order (ordinals fixed): the
/// element names are "numcols", "numrows", "numplanes", "numtimeslots",
/// "cell", "matrix" and "/matrix"; xmlInvalid stands for any other element.
enum class TMatXmlTag : int32_t {
  xmlMatNumCols = 0,       ///< "numcols": number of columns
  xmlMatNumRows = 1,       ///< "numrows": number of rows
  xmlMatNumLayers = 2,     ///< "numplanes": number of layers (TMat3D, TMat4D)
  xmlMatNumTimeSlots = 3,  ///< "numtimeslots": number of time slots (TMat4D)
  xmlMatCell = 4,          ///< "cell": one element, its position in attributes
  xmlMatBegin = 5,         ///< "matrix": start of a matrix
  xmlMatEnd = 6,           ///< "/matrix": end of a matrix
  xmlInvalid = 7,          ///< any other element
};

///@{
/// Results of ProcessXmlTag (all four matrix classes; values 1, 0, -1 fixed).
constexpr int32_t kMatXmlComplete = 1;   ///< "/matrix": the matrix is complete
constexpr int32_t kMatXmlContinue = 0;   ///< the element was taken, read on
constexpr int32_t kMatXmlInvalid = -1;   ///< an element outside the vocabulary
constexpr int32_t kMatXmlTooLarge = -2;  ///< the announced sizes exceed the element limit
///@}

/// Most elements that ProcessXmlTag resizes a matrix to on its own (2^26,
/// 512 MiB of doubles), unless the matrix already holds more. The readers
/// use a tighter limit: at most max(current element count, bytes of the
/// input) elements, since an input of n bytes cannot describe more cells.
constexpr int64_t kMatXmlMaxElements = int64_t{1} << 26;

/// A short English sentence (no final period) for a result of
/// ProcessXmlTag; "unknown matrix XML status" for any other value. The text
/// is static.
const char* MatrixXmlStatusText(int32_t status);

/// The integer parser of the matrix XML forms (sizes, cell positions and the
/// values of TIntMatrix): blanks (space, TAB) are skipped, an optional "-"
/// or "+" is taken, then decimal digits up to the first other character.
/// No digits, or a value outside the int32 range, give 0 (so an overflowing
/// position such as ix="99999999999" never wraps into the matrix; the cell
/// is dropped as out of range). "12abc" gives 12.
int32_t MatXmlStrToInt(std::string_view Text);

/// The number parser of the matrix XML forms (cell values of TMatrix, TMat3D
/// and TMat4D), a small state machine with "." as the only decimal
/// separator: optional blanks (space, TAB, CR, LF); an optional sign;
/// digits; optionally "." and more digits (".5" is 0.5, "5." is 5);
/// optionally "E" or "e", an optional sign and exponent digits, taken only
/// while the exponent's absolute value stays at most 4200. Anything else
/// after the mantissa or exponent ends the number ("1,5" gives 1, "2x" 2).
/// The value is 0 for no mantissa digits ("-", ".", ""), a second decimal
/// separator ("1.2.3"), a blank or sign directly after the sign ("- 5",
/// "+-5") and an "E" at the start ("E5"). The digits are converted exactly
/// (correctly rounded); a finite result beyond the double range is clamped
/// to +-uc_MaxDouble ("1e400" gives the largest double), one below the
/// smallest subnormal gives +-0. The words "NAN" and "INF" (any case, after
/// the optional sign) give NaN and +-infinity, so that what the writers
/// write reads back unchanged.
double MatXmlStrToNum(std::string_view Text);

struct TMatXmlSource;

// ===========================================================================
// 2. TMatrixT<T>: the dense matrix behaviour that does not depend on the
//    element type. Use TMatrix; this template is its base (instantiated for
//    double; the integer matrix instantiates it for int32_t).
// ===========================================================================

/// TMatrixT\<T>: the dense matrix behaviour that does not depend on the
/// element type. Use TMatrix; this template is its base (instantiated for
/// double; the integer matrix instantiates it for int32_t).
template <class T>
class TMatrixT : public TComponent {
  static_assert(std::is_same_v<T, double> || std::is_same_v<T, int32_t>,
                "TMatrixT is instantiated for double and int32_t only");

 public:
  using TElem = T;                               ///< the element type
  using TArray = std::vector<T>;                 ///< TDoubleArray or TIntArray
  using T2DArray = std::vector<std::vector<T>>;  ///< TDouble2DArray or TInt2DArray
  /// The vector type of the same element type (TVector or TIntVector).
  using TVec = std::conditional_t<std::is_same_v<T, double>, TVector, TIntVector>;

  // -------------------------------------------------------------------------
  // a. Creation, size and element access, notification
  // -------------------------------------------------------------------------

  /// 1 column, 1 row holding 0, an empty DataID, no handlers. Registers with
  /// AOwner, which then deletes the matrix; with a null owner the caller
  /// owns it (hold it in a std::unique_ptr).
  explicit TMatrixT(TComponent* AOwner);

  /// Fired after any change of element values (see the unit's conventions
  /// for which operations fire once per cell). A handler may resize this
  /// matrix (or another one the running operation uses) even while an
  /// operation fires per cell: after every event the operation checks that
  /// its matrices (and vectors) still have the sizes and storage it started
  /// with and otherwise stops at once with its failure result (false, a
  /// negative status, or, for routines without a result, no further work),
  /// never reading or writing the old storage. A handler must not destroy
  /// the matrix; MathFeedBackProc must not resize the matrices of a running
  /// operation (progress steps are not checked).
  TNotifyEvent OnChange;
  /// Fired after a change of the dimensions, after the OnChange of the same
  /// step.
  TNotifyEvent OnResize;
  /// Fired by SortRows and SortCols after every exchange: ExchgKind 2 for
  /// two rows, 1 for two columns, the two exchanged indices, then the low
  /// and high bound of the other dimension that moved with them.
  TSortExchgEvent OnSortExchange;
  /// Progress of long operations, 0..100 (fired through PercDone).
  TOnPercentDoneEvent OnPercentDone;

  /// Number of columns (property NrOfColumns), at least 1.
  int32_t GetNrOfColumns() const { return FNCol; }
  /// Resize(n, NrOfRows) for n > 0; n <= 0 leaves the matrix unchanged.
  void SetNrOfColumns(int32_t n);
  /// Number of rows (property NrOfRows), at least 1.
  int32_t GetNrOfRows() const { return FNRow; }
  /// Resize(NrOfColumns, n) for n > 0; n <= 0 leaves the matrix unchanged.
  void SetNrOfRows(int32_t n);

  ///@{
  /// Free identifier of the data (property DataID), stored with it in files.
  const std::string& GetDataID() const { return FDataID; }
  /// Sets the data id.
  void SetDataID(const std::string& Value) { FDataID = Value; }
  ///@}

  /// Element (Nc, Nr) (property Elem); 0 when an index lies outside the
  /// matrix. Fires nothing.
  T GetVal(int32_t Nc, int32_t Nr) const {
    return (Nc >= 1 && Nc <= FNCol && Nr >= 1 && Nr <= FNRow && HasStorage())
               ? Mat[static_cast<size_t>(Nc - 1)][static_cast<size_t>(Nr - 1)]
               : T{0};
  }
  /// Stores Value at (Nc, Nr) and fires OnChange; outside the matrix
  /// nothing happens (no event).
  void SetVal(int32_t Nc, int32_t Nr, T Value);

  /// The elements, read only: Mat[c - 1][r - 1] is element (c, r). For fast
  /// loops; the reference stays valid until the next size change.
  const T2DArray& GetMat() const { return Mat; }
  /// Counts the changes of the storage: every size change that fires
  /// OnResize and every replacement of the data. Operations that fire events
  /// inside their loops compare it to find a handler that resized the
  /// matrix, also when the new storage happens to lie at the old address
  /// (a shrink and a grow back).
  uint64_t GetStorageGeneration() const { return FStorageGen; }

  /// Sets the size to Nc x Nr. Either size <= 0: nothing happens, result
  /// false. Both equal to the current sizes: nothing happens (no event),
  /// result true. Otherwise values in the overlapping part are kept, new
  /// cells are 0, OnChange and then OnResize fire, and the result is true.
  /// Throws EZELMatrixError
  /// 'Component "\<Name>": not enough memory on heap' (matrix unchanged) when
  /// the storage cannot be obtained (also when Nc * Nr elements exceed the
  /// address space).
  bool Resize(int32_t Nc, int32_t Nr);
  /// Resize, then every element 0 (and OnChange once more).
  void ResizeAndClear(int32_t Nc, int32_t Nr);

  ///@{
  /// Fire OnChange, OnResize, OnPercentDone (with the given sender) and
  /// OnSortExchange when a handler is assigned.
  void Changed();
  void Resized();
  void PercDone(TObject* Sender, int32_t Percent);
  void SortExchange(int32_t ExchgKind, int32_t Index1, int32_t Index2, int32_t First, int32_t Last);
  ///@}

  // -------------------------------------------------------------------------
  // b. Ranges
  // -------------------------------------------------------------------------

  ///@{
  /// Normalise a column (row) range in place. Both 0 gives 1..count and the
  /// result false. Otherwise each bound <= 0 becomes 1 and each bound above
  /// the count becomes the count, then reversed bounds are exchanged; the
  /// result is true when anything was corrected or exchanged. So on 5
  /// columns: (0, 0) -> (1, 5) false; (2, 4) -> (2, 4) false; (4, 2) ->
  /// (2, 4) true; (0, 3) -> (1, 3) true; (2, 9) -> (2, 5) true. (The vector's
  /// MakeValidElemRange reports an exchange alone as no correction.)
  bool MakeValidColRange(int32_t& LowCol, int32_t& HighCol) const;
  bool MakeValidRowRange(int32_t& LowRow, int32_t& HighRow) const;
  ///@}

  // -------------------------------------------------------------------------
  // c. Copies between matrices, vectors and arrays
  //
  // Every routine here that stores into this matrix stores cell by cell:
  // a cell outside this matrix is dropped silently, and with an OnChange
  // handler the event fires for every stored cell (column by column of the
  // source) and once more at the end. A handler that changes the size of
  // this matrix (or of the source matrix) ends the copy at that cell: the
  // rest is not copied and the final OnChange does not fire (see OnChange).
  // -------------------------------------------------------------------------

  /// Makes this matrix a copy of MatSource's sizes and elements (not its
  /// DataID, precisions or handlers): Resize (its events when the size
  /// changes), every cell stored, then OnChange and OnResize fire. A null
  /// source does nothing; MatSource may be this matrix.
  void Clone(const TMatrixT* MatSource);

  /// Copies the source rectangle SourceColLo..SourceColHi x
  /// SourceRowLo..SourceRowHi to this matrix, cell (c, r) going to
  /// (c + DestCol - SourceColLo, r + DestRow - SourceRowLo) of the clamped
  /// bounds. Source bounds: both 0 of a pair means the whole source
  /// dimension; otherwise a bound <= 0 becomes 1, a bound above the source
  /// size becomes the size, and reversed bounds are exchanged. Cells that
  /// fall outside this matrix are dropped. MatSource may be this matrix,
  /// also with overlapping rectangles (the source is read first). A null
  /// source does nothing (no event).
  void CopyFrom(const TMatrixT* MatSource, int32_t SourceColLo, int32_t SourceRowLo,
                int32_t SourceColHi, int32_t SourceRowHi, int32_t DestCol, int32_t DestRow);

  /// Copies rows FirstRow..LastRow (made valid by MakeValidRowRange) of
  /// column Col (below 1 counts as 1, above the count as the last column) to
  /// DestVec: the whole vector is first filled with 0 (DestVec->Fill, its
  /// OnChange fires), then the rows go to elements DestElem, DestElem + 1,
  /// ... as far as the vector reaches (one more OnChange of the vector).
  /// Positions below 1 are skipped; with DestElem beyond the vector only the
  /// zero fill happens. A null DestVec does nothing. When the vector's
  /// handler resizes this matrix at the zero fill, nothing is copied.
  void CopyColToVec(TVec* DestVec, int32_t Col, int32_t FirstRow, int32_t LastRow,
                    int32_t DestElem = 1) const;
  /// The same along row Row over the columns FirstCol..LastCol.
  void CopyRowToVec(TVec* DestVec, int32_t Row, int32_t FirstCol, int32_t LastCol,
                    int32_t DestElem = 1) const;
  ///@{
  /// The same into an array that keeps its length: every element becomes 0,
  /// then the values go to the 0-based positions DestElem, DestElem + 1, ...
  /// as far as the array reaches (negative positions are skipped).
  void CopyColTo1DArray(TArray& Dest, int32_t Col, int32_t FirstRow, int32_t LastRow,
                        int32_t DestElem) const;
  void CopyRowTo1DArray(TArray& Dest, int32_t Row, int32_t FirstCol, int32_t LastCol,
                        int32_t DestElem) const;
  ///@}

  /// Copies the vector elements FirstElem..LastElem (made valid by the
  /// vector's MakeValidElemRange) into this matrix: with dimColumns element e
  /// goes to (DestCol + e - FirstElem, DestRow), along a row; with dimRows to
  /// (DestCol, DestRow + e - FirstElem), down a column. A null Src does
  /// nothing (no event).
  void CopyFromVec(TDims Dim, const TVec* Src, int32_t FirstElem, int32_t LastElem, int32_t DestCol,
                   int32_t DestRow);
  /// The same down a column (AsColumn true, dimRows) or along a row (false).
  void CopyFromVec(const TVec* Src, int32_t FirstElem, int32_t LastElem, int32_t DestCol,
                   int32_t DestRow, bool AsColumn = true);

  ///@{
  /// Copies Src[FirstElem..LastElem] (0-based; both 0 means the whole array,
  /// reversed bounds are exchanged) down column Col from row Row (AsColumn)
  /// or along row Row from column Col: element i goes to row
  /// Row + (i - FirstElem) (column Col + (i - FirstElem)); cells beyond the
  /// matrix are dropped. Values from a TDoubleArray into an integer matrix
  /// are rounded (halves to even) and saturated. Result: 0 done
  /// (kMatCopyFromOk); -1 Src is empty (kMatCopyFromEmpty); -4 FirstElem or
  /// LastElem outside 0..length - 1 (kMatCopyFromBadElement); -5 (Col, Row)
  /// outside the matrix (kMatCopyFromOutside; checked in this order; nothing
  /// changes on error); -6 an OnChange handler resized this matrix during
  /// the copy, which stopped there (kMatCopyFromResized).
  int32_t CopyFromArray(const TDoubleArray& Src, int32_t FirstElem, int32_t LastElem, int32_t Col,
                        int32_t Row, bool AsColumn);
  int32_t CopyFromArray(const TIntArray& Src, int32_t FirstElem, int32_t LastElem, int32_t Col,
                        int32_t Row, bool AsColumn);
  ///@}
  ///@{
  /// Copies the rectangle SrcColLo..SrcColHi x SrcRowLo..SrcRowHi of a 2-D
  /// array (0-based, [col][row]) so that Src[SrcColLo][SrcRowLo] lands on
  /// (DestCol, DestRow); cells beyond the matrix are dropped. Both 0 of a
  /// pair means the whole dimension; otherwise bounds are clamped into the
  /// array and reversed bounds exchanged. Src may be this matrix's GetMat().
  /// Result: 0 done (kMatCopyFromOk); -1 Src has no columns or no rows
  /// (kMatCopyFromEmpty); -2 Src is ragged (kMatCopyFromRagged; nothing
  /// changes on error); -6 an OnChange handler resized this matrix during the
  /// copy, which stopped there (kMatCopyFromResized).
  int32_t CopyFromArray(const TDouble2DArray& Src, int32_t SrcColLo, int32_t SrcRowLo,
                        int32_t SrcColHi, int32_t SrcRowHi, int32_t DestCol, int32_t DestRow);
  int32_t CopyFromArray(const TInt2DArray& Src, int32_t SrcColLo, int32_t SrcRowLo,
                        int32_t SrcColHi, int32_t SrcRowHi, int32_t DestCol, int32_t DestRow);
  ///@}

  ///@{
  /// Copies the source rectangle (bounds made valid by MakeValidColRange and
  /// MakeValidRowRange) into an existing 2-D array (0-based [col][row], never
  /// resized) from (DestCol, DestRow) on; the rectangle is cut where it
  /// would leave Dest. The TInt2DArray form rounds each value (halves to
  /// even), saturates it to the 32-bit range and maps NaN to 0. Result: 0
  /// done (kMatCopyToOk); -1 Dest has no columns or no rows, or is ragged
  /// (kMatCopyToBadDest); -2 the column bounds had to be corrected
  /// (MakeValidColRange true; kMatCopyToColsCorrected); -3 likewise the row
  /// bounds (kMatCopyToRowsCorrected); -4 (DestCol, DestRow) lies outside
  /// Dest (kMatCopyToOutside). Nothing is written on error.
  int32_t CopyToArray(TDouble2DArray& Dest, int32_t SrcColLo, int32_t SrcRowLo, int32_t SrcColHi,
                      int32_t SrcRowHi, int32_t DestCol, int32_t DestRow) const;
  int32_t CopyToArray(TInt2DArray& Dest, int32_t SrcColLo, int32_t SrcRowLo, int32_t SrcColHi,
                      int32_t SrcRowHi, int32_t DestCol, int32_t DestRow) const;
  ///@}

  /// Dest becomes NrOfColumns arrays of NrOfRows values, a copy of Mat.
  /// Result 0 (kMatDuplicateOk); -1 (kMatDuplicateEmptyDest, Dest untouched)
  /// when Dest is empty on entry -- the caller must hand in an array with at
  /// least one column.
  int32_t DuplicateDataAsArray(T2DArray& Dest) const;

  // -------------------------------------------------------------------------
  // d. Fills (each fires OnChange once)
  // -------------------------------------------------------------------------

  /// Every element = Value.
  void Fill(T Value);
  /// Every element of LowCol..HighCol x LowRow..HighRow = Value (ranges
  /// made valid first; note the order of the arguments: both column bounds
  /// first).
  void Fill(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow, T Value);
  /// Elements (i, i) for i = 1..min(NrOfColumns, NrOfRows) = Value; the
  /// others are untouched.
  void FillDiag(T Value);
  /// The i-th element in storage order (i = 0, 1, ..., column by column)
  /// becomes Offset + i * Diff (the array unit's FillArraySerial).
  void FillSerial(T Offset, T Diff);

  // -------------------------------------------------------------------------
  // e. Row and column operations
  // -------------------------------------------------------------------------

  /// Transposes in place: sizes exchanged, element (c, r) moves to (r, c);
  /// OnChange and OnResize fire (also for a square matrix). Throws
  /// EZELMatrixError 'Component "\<Name>": not enough memory on heap' (matrix
  /// unchanged) when the new storage cannot be obtained.
  void Transpose();
  /// Sum of the diagonal (long double accumulation); 0 when the matrix is
  /// not square.
  double Trace() const;

  ///@{
  /// Remove column Col (row Row): the later columns (rows) move up by one
  /// and the matrix shrinks by one; OnChange and OnResize fire. False,
  /// nothing changed, when the index lies outside 1..count or the matrix has
  /// a single column (row).
  bool RemoveColumn(int32_t Col);
  bool RemoveRow(int32_t Row);
  ///@}
  ///@{
  /// Exchange two whole columns (rows) and fire OnChange. An index outside
  /// 1..count does nothing (no event). Exchanging an index with itself
  /// fires OnChange and changes nothing.
  void ExchangeColumns(int32_t c1, int32_t c2);
  void ExchangeRows(int32_t r1, int32_t r2);
  ///@}
  ///@{
  /// Reverse the order of the columns (rows); OnChange fires.
  void MirrorColumns();
  void MirrorRows();
  ///@}

  /// Order-fold first differences. acrColumns: each column becomes its
  /// differences along the rows (element r is element r + 1 minus element r),
  /// Order times, and the matrix loses Order rows; acrRows: the same along
  /// each row, losing Order columns. Result 0 (kMatDiffOk; OnChange and
  /// OnResize fire once); -1 when Order lies outside 1..10
  /// (kMatDiffBadOrder); -2 when Order is not smaller than the number of
  /// rows (acrColumns) or columns (acrRows) (kMatDiffTooShort); -3 without
  /// dense storage (kMatDiffNoStorage); a mode outside the enumeration
  /// returns 0 and does nothing.
  int32_t Diff(int32_t Order, TApplyColRow Mode);

  /// ResultArray becomes NrOfColumns x NrOfRows ([col][row]) holding 1 where
  /// the element is greater than Threshold and 0 elsewhere (NaN gives 0).
  /// Result: the number of 1 cells (saturated to the 32-bit range).
  int32_t Dichotomize(T Threshold, TBool2DArray& ResultArray) const;

  /// Number of elements x of the range with RangeLow <= x <= RangeHigh
  /// (argument order: both column bounds first; ranges made valid).
  int32_t CountValues(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow, T RangeLow,
                      T RangeHigh) const;

  /// The element of the range (both column bounds first; made valid)
  /// closest to Value: smallest |x - Value|, the first in column-then-row
  /// order on ties. NaN elements are never closest; when all are NaN the
  /// range's first cell is reported.
  void Find(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow, T Value,
            int32_t& ColIx, int32_t& RowIx) const;

  /// Bisection in column Col, which must be sorted ascending
  /// (ColIsAscending) or descending: the interval starts as rows
  /// 1..NrOfRows and is halved at mid = (low + high) div 2 while
  /// high - low > 1; an element equal to Value at mid returns mid at once.
  /// Then the result is whichever of low and high holds the value closer to
  /// Value, high on a tie (a one-row column gives 1; a two-row column is
  /// decided without probing). 0 when Col lies outside the matrix.
  int32_t FindInSortedColumn(int32_t Col, bool ColIsAscending, T Value) const;

  ///@{
  /// One result per row (orRowwise, computed over the columns listed in
  /// EdgeIx, 1-based) or per column (orColwise, over the listed rows); an
  /// empty EdgeIx means all columns (rows) in order. Dest is resized to the
  /// number of results and receives them (its events fire). EdgeOp:
  ///   eoMin     minimum, starting from uc_MaxDouble (which stays when no
  ///             value is used); NaN when a used value is NaN
  ///   eoMax     maximum, starting from -uc_MaxDouble; NaN likewise
  ///   eoSum     sum
  ///   eoMean    sum / number of values used (0 when none)
  ///   eoStdDev  sqrt of the sample variance Sum (x - mean)^2 / (n - 1), the
  ///             mean taken first; 0 for fewer than 3 values and for
  ///             constant values, a negative variance counts as 0
  /// Result 0; -2 when an index of EdgeIx lies outside the matrix (that
  /// index is skipped, the rest still computed); -3 (nothing done) when Dest
  /// is null; -1 (nothing done) for an integer matrix in sparse mode, which
  /// has no dense storage (the kMatEdge constants).
  int32_t EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, const TIntArray& EdgeIx,
                     TVector* Dest) const;
  int32_t EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, TVector* Dest) const;
  ///@}

  /// Fingerprint of the elements: one CRC-32 register per byte of the
  /// element (8 for doubles, 4 for integers), all starting at FFFFFFFF; for every element in
  /// column-then-row order byte k of its little-endian representation is fed
  /// into register k by core's CalcNextCRC32; each register is then inverted
  /// and written as 8 upper-case hexadecimal digits, register 0 first (64
  /// characters for doubles, 32 for integers). A 1 x 1 matrix holding 0.0
  /// gives "D202EF8D" eight times (an integer 0: four times).
  std::string CRCofData() const;

  // -------------------------------------------------------------------------
  // f. Statistics over a rectangular range
  //
  // Argument order LowCol, LowRow, HighCol, HighRow; the ranges are made
  // valid first (both 0 of a pair: the whole dimension). n is the number of
  // cells of the range.
  // -------------------------------------------------------------------------

  /// Sum of the cells of the range.
  double Sum(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow) const;
  /// Smallest and largest element with strict comparisons starting from
  /// +uc_MaxReal and -uc_MaxReal (for integers the largest and smallest
  /// int32); a NaN anywhere in the range makes both NaN.
  void MinMax(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow, T& Minimum,
              T& Maximum) const;
  /// Mean = Sum / n; Variance exactly 1 when n < 3, otherwise
  /// Sum (x - Mean)^2 / (n - 1) from the centred sum (mean first, long
  /// double), exactly 0 for a constant range. Exact to the last bit for
  /// {1e10+1, 1e10+2, 1e10+3} (1) and {1.7e12, +1000, +2000} (1e6).
  void MeanVar(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow, double& Mean,
               double& Variance) const;
  /// exp(Sum ln x / n) over the n cells of the range. Any negative element
  /// (the whole range is checked first) throws EZELMatrixError
  /// 'Component "\<Name>": negative argument passed to GeometricMean';
  /// otherwise any NaN element gives NaN, and else any zero element 0.
  double GeometricMean(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow) const;
  /// n / Sum (1/x). Any element <= 0 throws EZELMatrixError
  /// 'Component "\<Name>": negative or zero argument passed to HarmonicMean';
  /// a NaN element (neither) gives NaN.
  double HarmonicMean(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow) const;
  /// Population moments around the mean, two passes: with d = x - mean and
  /// s = sqrt(Sum d^2 / (n - 1)), Skewness = Sum d^3 / n / s^3 and Kurtosis =
  /// Sum d^4 / n / s^4 - 3. Both 0 when n < 2 or s = 0. (Two values a != b
  /// give 0 and -2.75. The vector's SkewKurt needs 4 values; this one 2.)
  /// Both NaN for a NaN element (n >= 2).
  void SkewKurt(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow, double& Skewness,
                double& Kurtosis) const;
  /// The bias-corrected forms from g and k of SkewKurt: for n >= 4
  /// Skewness = n (g n) / ((n - 1)(n - 2)) and Kurtosis =
  /// n (k + 3) n (n + 1) / ((n - 1)(n - 2)(n - 3)) - 3 (n - 1)^2 / ((n - 2)(n - 3));
  /// both 0 for n < 4 and for constant data (s = 0), where the formula would
  /// give the correction term alone; both NaN for a NaN element (n >= 4).
  void SkewKurtSample(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                      double& Skewness, double& Kurtosis) const;
  /// Quartiles from a sorted copy a[1..n] of the range (copied row by row of
  /// the range, then comb-sorted ascending): one value gives it three times;
  /// otherwise for p = 0.25, 0.5, 0.75: t = Trunc((n + 1) p), f =
  /// Frac((n + 1) p); t = 0 becomes 1 with f = 0; t >= n gives a[n], the
  /// largest; otherwise a[t] + (a[t + 1] - a[t]) f. So 1, 2, 3, 4 gives 1.25,
  /// 2.5, 3.75 and 1, 2, 3 gives 1, 2, 3. A NaN element makes all three NaN.
  /// True (false, all three 0, only without dense storage). Throws EZELMatrixError
  /// 'Component "\<Name>": not enough memory on heap' when the copy cannot be
  /// allocated.
  bool Quartiles(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow, double& Q1,
                 double& Q2, double& Q3) const;
  /// The element of 0-based ascending rank k = min(Round(n Prob / 100), n - 1)
  /// of the range (Prob clamped to 0..100), chosen by QuickSelect on a copy
  /// (no full sort): Prob 0 gives the minimum, 100 the maximum, 50 of 1, 2,
  /// 3, 4 gives 3 (k = 2). A NaN Prob or a NaN element of the range gives
  /// NaN. Memory errors throw as Quartiles.
  double Percentile(double Prob, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                    int32_t HighRow) const;
  /// With SampleSize in 1..n - 1 an estimate from a random sample: core's
  /// generator is reseeded from the clock and SampleSize cells are drawn
  /// with replacement (for each draw a random column of the range, then a
  /// random row of the range). When Prob/100 lies strictly between the
  /// sample's share of negative values and its share of values <= 0, the
  /// result is 0 without a selection; otherwise the sample element of rank
  /// min(Round(SampleSize Prob / 100), SampleSize - 1). SampleSize <= 0 or
  /// >= n gives the plain Percentile. A NaN anywhere in the range (drawn or
  /// not) gives NaN.
  double Percentile(double Prob, int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                    int32_t SampleSize) const;
  /// One mean per column (dimColumns; Means gets NrOfColumns elements) or
  /// per row (dimRows; NrOfRows elements); Means' events fire. A null Means
  /// does nothing.
  void MeanVec(TDims Dim, TVector* Means) const;

  // -------------------------------------------------------------------------
  // g. Sorting
  // -------------------------------------------------------------------------

  /// Sorts the rows LowRow..HighRow (made valid) by the values in column
  /// SortColIx, moving the elements of the columns LowCol..HighCol (made
  /// valid) and, when SortColIx lies outside them, of the key column as
  /// well; other columns stay. Comb sort: the gap starts at HighRow - LowRow
  /// and before every pass becomes max(1, Trunc(gap / 1.3)); a pass compares
  /// key[i] with key[i + gap] for i = LowRow, LowRow + 1, ... while
  /// i + gap <= HighRow and exchanges the two rows when key[i] > key[i + gap]
  /// (ascending) or key[i] < key[i + gap] (descending), so equal keys and
  /// NaN keys never move; passes repeat until a pass with gap 1 exchanged
  /// nothing. After every exchange OnSortExchange(this, 2, i, i + gap,
  /// LowCol, HighCol) fires; after every pass ReportProgress(); OnChange
  /// once at the end. Nothing happens (no event) when SortColIx lies outside
  /// the matrix or the range holds fewer than two rows. An OnSortExchange
  /// handler that resizes the matrix ends the sort at that exchange (no
  /// OnChange).
  void SortRows(int32_t SortColIx, bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                int32_t HighRow);
  /// The same with rows and columns exchanged: sorts the columns
  /// LowCol..HighCol by row SortRowIx, moving rows LowRow..HighRow (and the
  /// key row); OnSortExchange(this, 1, i, i + gap, LowRow, HighRow).
  void SortCols(int32_t SortRowIx, bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                int32_t HighRow);

  // -------------------------------------------------------------------------
  // h. Stored forms: the binary record file and the XML form (layouts at
  //    section 1b). An integer matrix in sparse mode has no dense storage:
  //    every writer and reader here then returns false at once.
  // -------------------------------------------------------------------------

  /// Reads the header record of the binary matrix file FName. False, with
  /// the outputs untouched, when the file does not exist. Otherwise every
  /// output is set from the header (DataID converted from Windows-1252) and
  /// the result tells whether the file is acceptable for this class:
  /// NrLayers = NrTimeSlots = 0, Format 1 (TMatrix) or 2 (TIntMatrix), and
  /// NrColumns, NrRows >= 1. Throws EInOutError when the file exists but
  /// cannot be opened ('Cannot open file ...') or is shorter than one record
  /// ('Stream read error', ErrorCode 100).
  static bool ReadBinaryHeader(const std::string& FName, int32_t& NrColumns, int32_t& NrRows,
                               std::string& DataID, int32_t& Format);
  /// Writes the matrix as a binary matrix file (header with DataID and
  /// Format 1 for TMatrix, 2 for TIntMatrix; elements row by row, the column
  /// index innermost). True when the file was created and every write and
  /// the final flush succeeded; a failure leaves a partial file behind.
  bool SaveBinary(const std::string& FName) const;
  /// Loads a binary matrix file that ReadBinaryHeader accepts: the matrix
  /// takes its sizes, elements and DataID; OnChange fires, then OnResize when
  /// the size changed. False, with the matrix unchanged and no event, when
  /// the file is missing, cannot be opened, is not acceptable for this
  /// class, does not hold every record of its data area, or the storage
  /// cannot be had. Never throws for the file's contents.
  bool LoadBinary(const std::string& FName);

  /// The tag handler behind every XML reader; Attributes is the element's
  /// attribute text, Content the text between its tags.
  ///   "matrix": starts a matrix: the announced sizes (FAuxCol, FAuxRow)
  ///       become 0 and FirstCell true; result 0.
  ///   "numcols", "numrows": Content (MatXmlStrToInt) becomes the announced
  ///       size; nothing is resized yet; result 0.
  ///   "cell": while FirstCell is set, the matrix is resized to the announced
  ///       sizes when both are positive (otherwise it keeps its size) and the
  ///       flag is cleared; announced sizes of more than max(current element
  ///       count, kMatXmlMaxElements) elements give kMatXmlTooLarge (-2)
  ///       with nothing changed. Then the positions are found by searching
  ///       Attributes for ix=" and iy=" and parsing the integers that follow
  ///       (MatXmlStrToInt; missing or overflowing gives 0), the value is
  ///       Content (MatXmlStrToNum, TIntMatrix MatXmlStrToInt) and it is
  ///       stored with SetVal: a cell outside the matrix is dropped, each
  ///       stored cell fires OnChange. Result 0.
  ///   "/matrix": result 1. xmlInvalid: result -1. Any other tag: result 0.
  /// Throws as Resize when the storage cannot be had.
  int32_t ProcessXmlTag(TMatXmlTag Tag, const std::string& Attributes, const std::string& Content);

  ///@{
  /// XML readers (layout and failures at section 1b): read the matrix with
  /// id DataID through ProcessXmlTag into a scratch copy of this matrix and
  /// move the result in on success, so that a failed read leaves this
  /// matrix as it was and fires nothing. On success the DataID becomes the
  /// element's id, OnChange fires once (not per cell) and OnResize after it
  /// when the size changed; cells the input does not list keep their values
  /// (0 for new cells). The announced sizes may give at most max(current
  /// element count, bytes of the input) elements; a text file whose size is
  /// not known (a pipe) cannot grow the matrix. The stream and the text
  /// file are left after "</matrix>" on success; LoadFromXMLFile is false
  /// when the file cannot be read.
  bool ReadFromXMLStream(TStream& InStream, const std::string& DataID);
  bool ReadFromOpenXMLFile(TTextFile& f, const std::string& DataID);
  bool LoadFromXMLFile(const std::string& FName, const std::string& DataID);
  ///@}
  ///@{
  /// XML writers: the element of section 1b with id DataID, preceded by the
  /// XML declaration and the comment line when CreateHeader is true
  /// (SaveAsXMLFile always writes them). True when every byte was written:
  /// a file stream is flushed and the flush checked, a text file the caller
  /// opened reports a late failure through its Close.
  bool WriteToOpenXMLFile(TTextFile& f, bool CreateHeader, const std::string& DataID) const;
  bool WriteToXMLStream(TStream& OutStream, bool CreateHeader, const std::string& DataID) const;
  bool SaveAsXMLFile(const std::string& FName, const std::string& DataID) const;
  ///@}

  /// Stream format, little-endian: LowCol, LowRow, HighCol, HighRow as
  /// int32, then the elements of that range column by column (rows
  /// innermost), 8-byte doubles for TMatrix, int32 for TIntMatrix. The range
  /// is made valid first (MakeValidColRange, MakeValidRowRange). True when
  /// every byte was written (a TFileStream is flushed and the flush checked).
  bool SaveToStream(TStream& OutStream, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                    int32_t HighRow) const;
  /// The same; a null OutStream receives a new TMemoryStream, which the
  /// caller owns (delete it, or hand it to a std::unique_ptr\<TStream>).
  bool SaveToStream(TStream*& OutStream, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                    int32_t HighRow) const;
  ///@{
  /// Reads the stream format from the stream's position into the range it
  /// names. Rejected (false, matrix unchanged, no event) unless 1 <= Low <=
  /// High for columns and rows, the values fit into the bytes that remain,
  /// and the matrix can hold HighCol x HighRow: with AdjustMatrixSize it is
  /// resized to exactly HighCol x HighRow (overlap kept, new cells 0), which
  /// may grow it only up to as many elements as the stream has bytes;
  /// otherwise it must be at least that large. On success OnChange fires,
  /// then OnResize when the size changed. A null stream gives false.
  bool LoadFromStream(TStream* InStream, bool AdjustMatrixSize);
  bool LoadFromStream(TStream& InStream, bool AdjustMatrixSize);
  ///@}

  /// Reads the text format of StoreOnFile: a first line with LowCol, LowRow,
  /// HighCol and HighRow (four decimal integers separated by blanks), then
  /// the values of rows LowRow..HighRow, columns LowCol..HighCol in each row
  /// (any whitespace separates them). Each word must be a number as core's
  /// TryStrToFloat reads it ("NAN" and "INF" in any case; a magnitude beyond
  /// the double range as +-INF or +-0); TIntMatrix rounds (halves to even)
  /// and saturates to the 32-bit range (NaN gives 0). The size rules are
  /// those of LoadFromStream, with the file's bytes as the growth limit.
  /// False (matrix unchanged, no event) when the file cannot be opened, the
  /// header is malformed, the range is invalid or cannot fit, a word before
  /// the last needed value is not a number, or values are missing.
  bool LoadFromFile(const std::string& FileName, bool AdjustMatrixSize);

  /// Reads the ASC text format written by ExportAsASC: the header through
  /// core's ReadHeaderOfASC; with its flags, a line of NrOfColumns quoted
  /// column names (skipped) and per row a row attribute (a number, skipped)
  /// and a quoted row name (skipped) before the row's NrOfColumns values.
  /// A value is a number as for LoadFromFile; "NAN" and "###" store 0,
  /// "INF"/"-INF" infinities (TIntMatrix: values rounded, saturated). After
  /// the rows, "#custdata" may follow with the custom data (see
  /// ExportAsASC), which CustData receives (emptied otherwise). The matrix
  /// becomes NrOfColumns x NrOfRows, its DataID unchanged; OnChange, then
  /// OnResize when the size changed. Comment receives the header's comment
  /// on success (empty otherwise). A pipe or FIFO cannot be checked
  /// against its size, so there the cell count may not exceed the matrix's
  /// current one (-3 otherwise). Result (matrix unchanged on error):
  ///    0  success
  ///   -1..-4  ReadHeaderOfASC's code, returned as is
  ///   -5  a row attribute is missing or not a number (kMatAscBadRowAttribute)
  ///   -6  a value or a quoted name is missing or malformed, or the file
  ///       announces nominal variables (kMatAscBadValue)
  ///   -7  the custom data are malformed (kMatAscBadCustData)
  ///   -8  the file does not exist (kMatAscNoFile)
  ///   -9  the column or row count is 0 (kMatAscEmpty)
  int32_t ImportASC(const std::string& FName, std::string& Comment, TStr2DArray& CustData);
  /// The same, custom data dropped.
  int32_t ImportASC(const std::string& FName, std::string& Comment);

 protected:
  /// The text writer behind StoreOnFile: the header line, then one line per
  /// row of the range with the values separated by one blank; Format
  /// writes one value.
  bool StoreText(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                 const std::string& FileName, const std::function<std::string(T)>& Format) const;
  /// The ASC writer behind ExportAsASC; Who names the class in the default
  /// comment, Format writes one value.
  int32_t ExportASCText(const std::string& FName, const std::string& Comment,
                        const TStr2DArray* CustData, const char* Who,
                        const std::function<std::string(T)>& Format) const;
  /// Moves Data in as the new storage (sizes from Data) and fires OnChange,
  /// then OnResize when the size changed.
  void TakeLoaded(T2DArray& Data);
  /// False while there is no dense storage (an integer matrix in sparse
  /// mode): every dense routine then takes its "unallocated" path.
  bool HasStorage() const { return !Mat.empty(); }
  /// Resize without events: true when the size changed (false for a size
  /// <= 0, the current size, or no dense storage). Throws as Resize.
  bool ResizeStorage(int32_t Nc, int32_t Nr);
  ///@{
  /// The element-wise arithmetic both element types share (integers wrap
  /// as 32-bit values would): this += MatB (Negate: -=); every element
  /// times Scalar; every element plus Scalar; MatRes = this .* MatB. False
  /// (and the scalar forms nothing) for a null operand, different sizes or
  /// a matrix without dense storage; OnChange once (EMult: as StoreAll,
  /// then once more).
  bool AddElems(const TMatrixT* MatB, bool Negate);
  void ScaleElems(T Scalar);
  void ShiftElems(T Scalar);
  bool EMultInto(const TMatrixT* MatB, TMatrixT* MatRes) const;
  ///@}
  /// Throws EZELMatrixError with 'Component "\<Name>": \<Text>'.
  [[noreturn]] void Fail(const std::string& Text) const;
  /// A Cols x Rows block of zeros; throws as Resize when it cannot be had.
  T2DArray NewStorage(int64_t Cols, int64_t Rows) const;
  /// Moves Data (rectangular, at least 1 x 1) in as the new storage.
  void SwapIn(T2DArray& Data);
  /// The XML reader behind the three public ones.
  bool ReadXml(TMatXmlSource& Src, const std::string& DataID);
  /// The XML text of the writers.
  std::string XmlText(bool CreateHeader, const std::string& DataID) const;
  /// Fires OnChange, then OnResize (the order of a size change).
  void NotifySizeChange();
  /// Replaces the contents by Data as a routine that stores every cell
  /// through SetVal does: Resize to Data's size (its events), then each cell
  /// in column-then-row order with one OnChange per cell when a handler is
  /// set. Without a handler the storage is moved in as a whole. False when
  /// a handler changed the size (or the storage) meanwhile: storing stopped
  /// there; false at once when this matrix has no dense storage.
  bool StoreAll(T2DArray&& Data);
  /// Stores one cell of a cell-by-cell copy: dropped outside the matrix,
  /// OnChange when Fire.
  void PutCell(int64_t Nc, int64_t Nr, T Value, bool Fire) {
    if (Nc < 1 || Nc > FNCol || Nr < 1 || Nr > FNRow) return;
    Mat[static_cast<size_t>(Nc - 1)][static_cast<size_t>(Nr - 1)] = Value;
    if (Fire) Changed();
  }
  ///@{
  /// The cells of a range, row by row of the range (for Quartiles) or
  /// column by column, as doubles.
  std::vector<double> RangeCopy(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                                bool RowMajor) const;
  template <class A>
  int32_t CopyFrom1D(const A& Src, int32_t FirstElem, int32_t LastElem, int32_t Col, int32_t Row,
                     bool AsColumn);
  template <class A>
  int32_t CopyFrom2D(const A& Src, int32_t SrcColLo, int32_t SrcRowLo, int32_t SrcColHi,
                     int32_t SrcRowHi, int32_t DestCol, int32_t DestRow);
  template <class A>
  int32_t CopyTo2D(A& Dest, int32_t SrcColLo, int32_t SrcRowLo, int32_t SrcColHi, int32_t SrcRowHi,
                   int32_t DestCol, int32_t DestRow) const;
  ///@}

  int32_t FNCol = 1;         ///< number of columns
  int32_t FNRow = 1;         ///< number of rows
  uint64_t FStorageGen = 0;  ///< see GetStorageGeneration
  ///@{
  /// Sizes announced by an XML file while it is read.
  int32_t FAuxCol = 0;
  int32_t FAuxRow = 0;
  std::string FDataID;
  ///@}
  /// The elements, [column][row], always rectangular and at least 1 x 1.
  T2DArray Mat;
  /// Set while an XML file is read, cleared by its first cell.
  bool FirstCell = false;
  /// Elements ProcessXmlTag may resize to (beyond the current count).
  int64_t FXmlMaxElems = kMatXmlMaxElements;
};

// ===========================================================================
// 3. TMatrix: a matrix of doubles
// ===========================================================================

class TIntMatrix;
class TMat3D;

/// A matrix of doubles: everything of TMatrixT plus what only doubles have
/// (precisions, Assign, random fills, products, histogram, standardisation,
/// correlation, random sub-matrices and the numerics of section 3).
class TMatrix : public TMatrixT<double> {
  // A data table keeps the matrix of its values in step with its own
  // per-cell data and fires its own events: it moves storage in and works
  // on it without the matrix's events.
  friend class TDataTable;

 public:
  ///@{
  /// 1 x 1 holding 0, Precision[1] = 15, Precision[2] = -1, no handlers.
  explicit TMatrix(TComponent* AOwner) : TMatrixT<double>(AOwner) {}
  std::string ClassName() const override { return "TMatrix"; }
  ///@}

  /// User-defined distance between two rows for the distance routines
  /// (dmUserDef): the handler sets Distance.
  TOnCalcDistanceEvent OnCalcDistance;

  // -------------------------------------------------------------------------
  // Precisions and assignment
  // -------------------------------------------------------------------------

  ///@{
  /// Output precisions for numbers written as text (property Precision):
  /// ix <= 1 selects the first (default 15), ix > 1 the second (default -1).
  /// Written values are clamped to -1..25.
  int32_t GetPrecision(int32_t ix) const { return ix <= 1 ? FPrecis : FPrecis2; }
  void SetPrecision(int32_t ix, int32_t Value);
  ///@}

  /// From another TMatrix: copies sizes, DataID, all elements, both
  /// precisions and the five handlers, then fires OnChange (the copied
  /// handler) and OnResize when the size changed. Assigning a matrix to
  /// itself does nothing. Any other source throws Exception('Cannot assign
  /// \<class> to \<class>'), as TPersistent does.
  void Assign(const TPersistent* Source) override;
  /// Dest->Assign(this) when Dest is a TMatrix (true); false otherwise.
  bool AssignTo(TPersistent* Dest) const override;

  /// Moves Data ([column][row], rectangular, at least 1 x 1, at most
  /// 2^31 - 1 columns and rows) in as the elements, in one step without a
  /// copy: OnChange fires once, then OnResize when the size changed. For
  /// results built apart (the layer reductions of TMat4D, a bulk load).
  /// False, with the matrix and Data unchanged and no event, for an empty or
  /// ragged Data. Data is left empty on success.
  bool ReplaceData(TDouble2DArray&& Data);

  using TMatrixT<double>::CopyFrom;
  /// CopyFrom with an integer matrix as the source: the values become
  /// doubles (exactly); bounds, placement, the cells dropped and the events
  /// are those of the TMatrix source. A null source or one in sparse mode
  /// does nothing (no event).
  void CopyFrom(const TIntMatrix* MatSource, int32_t SourceColLo, int32_t SourceRowLo,
                int32_t SourceColHi, int32_t SourceRowHi, int32_t DestCol, int32_t DestRow);
  /// A literal null source (which would fit either source type) does
  /// nothing, as a null source of either type does.
  void CopyFrom(std::nullptr_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
  /// CopyFrom with layer SourceLayer of a three-dimensional matrix as the
  /// source: bounds, placement, the cells dropped and the events are those
  /// of the TMatrix source. A null source or a layer outside
  /// 1..NrOfLayers does nothing (no event).
  void CopyFrom(const TMat3D* MatSource, int32_t SourceColLo, int32_t SourceRowLo,
                int32_t SourceColHi, int32_t SourceRowHi, int32_t SourceLayer, int32_t DestCol,
                int32_t DestRow);

  // -------------------------------------------------------------------------
  // Text files (the binary, XML and stream forms are those of TMatrixT)
  // -------------------------------------------------------------------------

  /// Writes the range LowCol..HighCol x LowRow..HighRow (made valid) in the
  /// text format that LoadFromFile reads: "LowCol LowRow HighCol HighRow",
  /// then one line per row with the values separated by one blank, each
  /// written strff(x, Precision[1], Precision[2]) (defaults 15 and -1:
  /// scientific with 7 significant digits; Precision[1] = 25 keeps every
  /// double exactly), non-finite values as "NAN", "INF", "-INF". True only
  /// when the file was created and every write and the close succeeded.
  bool StoreOnFile(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                   const std::string& FileName) const;
  using TMatrixT<double>::LoadFromFile;
  /// LoadFromFile; with AutoDetect a header-free reader instead: every line
  /// that holds a digit is a row, its numbers the columns (words without a
  /// digit are labels and skipped; a word with a digit that is not a number
  /// fails the load, since skipping it would shift the values). Every row
  /// must hold the same count of numbers. With AdjustMatrixSize the matrix
  /// becomes that count x the number of rows (growth limited by the file's
  /// bytes); otherwise the values fill the overlap with the matrix and the
  /// other cells keep theirs. False (matrix unchanged, no event) when the
  /// file cannot be read, holds no row, rows differ in length or a word is
  /// malformed.
  bool LoadFromFile(const std::string& FileName, bool AdjustMatrixSize, bool AutoDetect);
  ///@{
  /// ASC text format: the comment (control characters replaced by blanks;
  /// when empty "Exported by ZEL TMatrix component: " and FName),
  /// "\<NrOfColumns>\t;nr. of columns", "\<NrOfRows>\t;nr. of rows",
  /// "FALSE FALSE FALSE FALSE\t;row attributes, column names, row names,
  /// nominal variables", then one line per row with its values separated by
  /// one blank (strff width 12 with Precision decimals; Precision below -2
  /// counts as 2 and above 20 as 20, -1 and -2 write scientific notation of
  /// width 13 and 26, the latter exact). With CustData the line "#custdata"
  /// follows, then the number of its columns and per column the number of
  /// its strings and the strings, each in double quotes on a line of its
  /// own, escaped as core's AppendXmlEscaped does (so quotes and line breaks
  /// survive). Result 0, or -1 when the file cannot be created or a write or
  /// the close fails.
  int32_t ExportAsASC(const std::string& FName, int32_t Precision,
                      const std::string& Comment) const;
  int32_t ExportAsASC(const std::string& FName, int32_t Precision, const std::string& Comment,
                      const TStr2DArray& CustData) const;
  ///@}

  // -------------------------------------------------------------------------
  // Random fills (OnChange once)
  // -------------------------------------------------------------------------

  ///@{
  /// Element = RangeLow + u (RangeHigh - RangeLow), u = Random() of core's
  /// generator (not reseeded), drawn in column-then-row order.
  void FillRandomUniform(double RangeLow, double RangeHigh);
  void FillRandomUniform(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                         double RangeLow, double RangeHigh);
  ///@}
  ///@{
  /// Element = g StdDev + Mean, g = GRandom() of the math unit.
  void FillRandomGauss(double Mean, double StdDev);
  void FillRandomGauss(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                       double Mean, double StdDev);
  ///@}

  // -------------------------------------------------------------------------
  // Arithmetic. False means a null argument or mismatching sizes, and then
  // nothing changes (no event).
  // -------------------------------------------------------------------------

  ///@{
  /// this += MatB (this -= MatB) element by element; sizes must be equal;
  /// MatB may be this. OnChange once.
  bool Add(const TMatrix* MatB);
  bool Subtract(const TMatrix* MatB);
  ///@}
  ///@{
  /// Every element times (plus) Scalar; OnChange once.
  void SMult(double Scalar);
  void SAdd(double Scalar);
  ///@}

  // Products. MatRes (VecRes) receives the result cell by cell as the
  // copies do (Resize with its events, one OnChange per cell when a handler
  // is set, one OnChange at the end); any operand may be MatRes (VecRes).
  // False when a handler resizes MatRes (VecRes) while the result is
  // stored: storing stops at that cell. Each cell is the plain double sum over k in increasing k, so the
  // results equal those of the textbook loops bit for bit. The matrix
  // products run on packed cache blocks with a register-blocked kernel
  // (AVX2 when the processor has it, SSE2 otherwise; the same operations in
  // the same order on both). Throws EZELMatrixError 'Component "<Name>":
  // not enough memory on heap' (nothing changed) when the result storage
  // cannot be had.

  /// MatRes (sized like this matrix) = this .* MatB element by element;
  /// the sizes of this matrix and MatB must be equal.
  bool EMult(const TMatrix* MatB, TMatrix* MatRes) const;
  /// MatRes = this x MatB: requires NrOfColumns = MatB's rows; MatRes gets
  /// MatB's columns x this's rows and cell (c, r) = Sum_k this(k, r) MatB(c, k).
  bool Multiply(const TMatrix* MatB, TMatrix* MatRes) const;
  /// VecRes = this x VecB: VecB must have NrOfColumns elements; VecRes gets
  /// NrOfRows elements (stored through its SetVal).
  bool Multiply(const TVector* VecB, TVector* VecRes) const;
  /// MatRes = this x MatB^T: requires equal column counts; MatRes gets MatB's
  /// rows x this's rows.
  bool MultiplyTransposed(const TMatrix* MatB, TMatrix* MatRes) const;
  /// MatRes = this^T x MatB: requires equal row counts; MatRes gets MatB's
  /// columns x this's columns.
  bool TransposeAndMultiply(const TMatrix* MatB, TMatrix* MatRes) const;
  /// VecRes = this^T x VecB: VecB must have NrOfRows elements; VecRes gets
  /// NrOfColumns elements.
  bool TransposeAndMultiply(const TVector* VecB, TVector* VecRes) const;

  // -------------------------------------------------------------------------
  // Histogram
  // -------------------------------------------------------------------------

  /// Histogram of the range (argument order: both column bounds first;
  /// made valid). Bins: Round(|LastBin - FirstBin| / BinWidth) + 1. Each
  /// value x counts as Underflow when x < FirstBin, as Overflow when
  /// x >= LastBin + BinWidth or its bin Floor((x - FirstBin) / BinWidth)
  /// (0-based) does not exist (rounding of the bin count can leave the top
  /// of the last interval without a bin) or x is NaN, and in that bin
  /// otherwise. MaxCnt is the largest bin count. Histo is resized to the bin
  /// count and zeroed first. False, with nothing changed, when BinWidth <= 0,
  /// any bin argument is not finite, or there would be more than 500 bins.
  /// So 0, 10, 1 gives 11 bins, 10.5 falls into bin 10 and 11 is overflow;
  /// 0, 10, 3 gives 4 bins and 12 is overflow. Counts saturate at 2^31 - 1.
  bool Histogram(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow, double FirstBin,
                 double LastBin, double BinWidth, TIntArray& Histo, int32_t& Underflow,
                 int32_t& Overflow, int32_t& MaxCnt) const;
  /// The same into a TIntVector (resized to the bin count, elements 1..n;
  /// its events fire). False when Histo is null.
  bool Histogram(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow, double FirstBin,
                 double LastBin, double BinWidth, TIntVector* Histo, int32_t& Underflow,
                 int32_t& Overflow, int32_t& MaxCnt) const;

  // -------------------------------------------------------------------------
  // Standardisation and correlation (OnChange once per call)
  //
  // The optional vectors are null or receive one value per column
  // (respectively row); they are resized to that count.
  // -------------------------------------------------------------------------

  ///@{
  /// Per column (row): Mean and Variance of MeanVar over it; when Variance > 0
  /// every element becomes (x - Mean) / sqrt(Variance). Means and StdDevs
  /// receive Mean and sqrt(Variance). (A column of two rows has variance 1
  /// by the variance rule and is only centred.) The square root is taken in
  /// long double, so a spread beyond 1e154, whose variance no double holds,
  /// still standardises.
  void StandardizeColumns(TVector* Means, TVector* StdDevs);
  void StandardizeRows(TVector* Means, TVector* StdDevs);
  ///@}
  ///@{
  /// Subtracts the mean of each column (row); Means receives the means.
  void MeanCenterColumns(TVector* Means);
  void MeanCenterRows(TVector* Means);
  ///@}
  ///@{
  /// Per column (row): m = Percentile(50), q = Percentile(RefQuant), d =
  /// |m - q|; when d > 0 every element becomes (x - m) / d. Medians and
  /// QuantDiffs receive m and d.
  void QNormalizeColumns(double RefQuant, TVector* Medians, TVector* QuantDiffs);
  void QNormalizeRows(double RefQuant, TVector* Medians, TVector* QuantDiffs);
  ///@}

  /// Pearson's r of the elements of the two matrices taken as n = columns x
  /// rows pairs: Sxy / sqrt(|Sxx Syy|) from the centred sums Sxx =
  /// Sum (x - mean x)^2, Syy likewise, Sxy = Sum (x - mean x)(y - mean y)
  /// (means first, long double), so an offset added to either matrix does
  /// not change it. 0 when OtherMat is null, n <= 2, or either matrix is
  /// constant (all zero included); a matrix with itself gives exactly 1; NaN
  /// in either gives NaN. Different sizes throw
  /// EZELMatrixError 'Component "\<Name>": matrices do not match'.
  double Correlate(const TMatrix* OtherMat) const;

  // -------------------------------------------------------------------------
  // Random sub-matrix
  // -------------------------------------------------------------------------

  /// Makes this matrix a random sub-matrix of SrcMat (which may be this
  /// matrix): nc = Round(columns colpct / 100) column numbers -- 1, 2, ... in
  /// order when nc is the column count, otherwise nc distinct random
  /// columns -- and nr = Round(rows rowpct / 100) random row numbers, with
  /// replacement when BootStrap, distinct otherwise (the array unit's
  /// FillRandomUniform, which reseeds core's generator). RndColIx and
  /// RndRowIx receive the 1-based numbers; this matrix becomes nc x nr with
  /// cell (i + 1, j + 1) = SrcMat(RndColIx[i], RndRowIx[j]) stored cell by
  /// cell, then OnChange and OnResize fire. Result (checked in this order;
  /// nothing changes on error):
  ///    0  done (kMatResampleOk)
  ///   -3  SrcMat is null (kMatResampleNoSource)
  ///   -5  RndColIx or RndRowIx is empty on entry (the caller must hand in
  ///       arrays with at least one element; they are resized here)
  ///       (kMatResampleEmptyNumbers)
  ///   -2  nr < 1 or rowpct > 100 (or NaN) (kMatResampleBadRowPercent)
  ///   -1  nc < 1 or colpct > 100 (or NaN) (kMatResampleBadColPercent)
  ///   -4  distinct rows (or columns) were asked for from more than
  ///       1 000 000 (the random fill's limit) (kMatResampleTooMany)
  ///   -6  an event handler resized this matrix while the cells were being
  ///       stored: storing stopped there, no OnResize fires, and RndColIx
  ///       and RndRowIx hold the numbers drawn (kMatResampleResized)
  int32_t ResampleExtMat(const TMatrix* SrcMat, double colpct, double rowpct, bool BootStrap,
                         TIntArray& RndColIx, TIntArray& RndRowIx);

  // -------------------------------------------------------------------------
  // Numerics: determinant, decompositions, inversion, balancing, norms
  // (declared here, defined in matrix_numerics.cpp)
  // -------------------------------------------------------------------------

  /// det of a square matrix from the LU decomposition with partial pivoting
  /// (as the array unit's Determinant, with the same bits): the sign of the
  /// row permutation times the product of U's diagonal, formed in long
  /// double, so [[1, 2], [3, 4]] (rows) gives -2 and [[0, 1], [1, 0]] gives
  /// -1. 0 for a non-square or exactly singular matrix (a zero pivot); NaN
  /// when an element is NaN or infinite (no elimination is tried). The
  /// decomposition is left-looking (every element loses L(i, k) U(k, j) one
  /// by one in increasing k, a separate multiply and subtract) and runs in
  /// blocks of 192 columns, halved down to panels of 8, whose products go
  /// through the unit's packed product kernel; the result equals the plain
  /// column loop bit for bit. Work on a copy: n^3 / 3 multiply-adds, 8 n^2
  /// bytes.
  double Determinant() const;
  /// Doolittle's decomposition without pivoting (as the array unit's
  /// LUdecomposition, with the same bits, computed in blocks as for
  /// Determinant): MatL (unit lower triangular) x MatU (upper triangular) =
  /// this. False, with MatL and MatU untouched, when the matrix is not
  /// square, MatL or MatU is null or the same object as this matrix or each
  /// other, or a leading principal minor is zero or a value is not finite
  /// (use Determinant for such matrices). On success both are resized to
  /// n x n and stored cell by cell (their events as the copies fire them);
  /// false when a handler resizes one of them meanwhile (storing stops there).
  bool LUdecomposition(TMatrix* MatL, TMatrix* MatU) const;
  /// Replaces the elements by the inverse: Crout's LU with implicit row
  /// scaling and partial pivoting (Press et al., "Numerical Recipes",
  /// ludcmp/lubksb), as the array unit's InvertArray and with the same bits:
  /// row weights 1 / largest |a| of the row (a zero row is singular); in
  /// each column the row with the largest weight x |reduced element| is the
  /// pivot, the later one on ties; a pivot below 1e-100 is raised to 1e-100
  /// and makes the inversion fail once the decomposition is complete, as a
  /// pivot that is not finite does. Every column of the inverse is then the
  /// solution for a unit vector: the exchanges, forward substitution with L
  /// from its 1 on, back substitution with U taking the products in
  /// decreasing k and dividing by the diagonal last. The decomposition runs
  /// in blocks as for Determinant, the substitutions in groups of 240
  /// columns (forward: 120) with the products between halves of the rows in
  /// the packed product kernel; the order of the operations on each element
  /// is that of the plain loops, so the grouping changes no bit. About
  /// n^3 multiply-adds; a copy of the matrix, the inverse and U (3 x 8 n^2
  /// bytes). Accuracy: the residual |A inv(A) - I| is a modest multiple of
  /// n eps cond(A) (see InvertArray for measured values). Progress: 2n
  /// steps (one before each column of the decomposition is pivoted, one per
  /// column of the inverse as its group starts) call core's ReportProgress
  /// (ProcStat, MathFeedBackProc) and read AbortMathProc, never clearing it.
  /// True on success, then OnChange fires once; false for a non-square,
  /// singular or aborted inversion or when the work storage cannot be had,
  /// and at once (no progress step) when an element is NaN or infinite;
  /// then nothing changes.
  bool Invert();
  /// HatMat becomes the rows x rows hat matrix X (X'X)^-1 X' of this matrix
  /// (the array unit's CalcHatMatrix) and its status is returned: 0 done,
  /// -3 X'X singular (the columns are linearly dependent) or an element NaN
  /// or infinite (found before any work), -4 aborted. A null HatMat gives
  /// -1, -2 when the work storage cannot be had (the kMatHat constants name
  /// them). HatMat is resized and stored cell by cell only on success; -5
  /// when its handler resized it meanwhile (storing stopped there).
  int32_t CalcHatMatrix(TMatrix* HatMat) const;
  /// Cholesky decomposition of a symmetric positive definite matrix, read
  /// from its lower triangle and diagonal: L(j, i) = (a(j, i) - Sum_{k\<i}
  /// L(i, k) L(j, k)) / L(i, i), L(i, i) = sqrt of the same sum, the
  /// products taken off one by one in increasing k. Computed in blocks of
  /// columns with the packed matrix product kernel; the result equals the
  /// plain column loop bit for bit. On success
  /// MatL is resized to n x n and receives L with its strict upper triangle
  /// zero (stored cell by cell), the strict upper triangle of this matrix
  /// is overwritten by L^T (its lower triangle and diagonal stay, OnChange
  /// once) and the result is true. False, with MatL and this matrix
  /// untouched, when the matrix is not square, MatL is null or this matrix,
  /// an element of the lower triangle or diagonal (the part that is read)
  /// is NaN or infinite (checked before any work), or a pivot is <= 0 or
  /// NaN (not positive definite; the work stops at the first such pivot,
  /// never dividing by it); false also when MatL's handler resizes it while
  /// L is stored.
  bool CholeskyDecomp(TMatrix* MatL);
  /// Balances a square matrix by diagonal similarity scaling (eigenvalues
  /// unchanged): Tolerance is clamped to 1.000001..1.05; per pass and
  /// column j, with c and r the off-diagonal absolute sums of column j and
  /// row j, f = sqrt(r) / sqrt(c) (a ratio of roots, so that r / c cannot
  /// overflow or underflow: [[1, 1e160], [1e-160, 1]] balances to ones);
  /// row j's off-diagonal elements are divided by f and column j's
  /// multiplied by f. Passes repeat while the largest f of the previous
  /// pass exceeded Tolerance (factors below 1 never prolong it), at most
  /// 100. A pair whose f is 0 or not finite is left alone: a zero
  /// off-diagonal sum (a triangular matrix), a sum that overflowed, or a
  /// NaN in row or column j (so NaN never spreads to other elements). True when fewer
  /// than 100 passes ran; false for a non-square matrix (nothing changes).
  /// OnChange fires once when the matrix is square.
  bool Balance(double Tolerance);
  /// Matrix norms: ntColwise the largest column sum of absolute values,
  /// ntRowwise the largest row sum, ntFrobenius sqrt(Sum a^2), ntSpectral
  /// the largest singular value (SVDecomposeMatrix of a copy, or of its
  /// transpose when there are more columns than rows; the matrix is not
  /// changed and fires nothing). Any other value gives 0.
  /// Non-finite elements: every norm is NaN when an element is NaN, else
  /// inf when one is infinite (ntSpectral then decomposes nothing).
  /// ntFrobenius scales every element by the power of two of the largest
  /// and sums the squares and takes the root in long double, so it neither
  /// overflows nor underflows while the norm is representable
  /// ([[3e160, 4e160]] gives 5e160, [[1e-170]] 1e-170). ntSpectral decomposes
  /// matrices of any magnitude (see SVDecompose). Throws EZELMatrixError
  /// 'Component "\<Name>": spectral norm: the singular value decomposition
  /// was aborted (AbortMathProc)' when AbortMathProc stopped it, and '...:
  /// spectral norm: the singular value decomposition did not converge' when
  /// a singular value needed more than 30 sweeps.
  double Norm(TNormType nt) const;

  /// Singular value decomposition of this m x n matrix (any shape, m < n
  /// included) by SVDecompose below: this matrix is overwritten by U (m x n),
  /// W receives the n singular values (unsorted, >= 0) and V the right
  /// singular vectors, so that the original equals U diag(W) V^T. V must be
  /// an n x n matrix other than this one and W hold n elements, both sized
  /// by the caller; otherwise the result is false and nothing changes.
  /// Works on the storage directly; with an OnChange handler set, this
  /// matrix's (V's) handler fires after every element written, and both
  /// fire once at the end. Result false, with partial results left, when a
  /// singular value did not converge in 30 sweeps or the run was aborted,
  /// and at once when a handler changed the size of this matrix, of V or of
  /// W (the decomposition stops at that element; no final events). False
  /// with nothing changed and no event when an element is NaN or infinite.
  bool SVDecomposeMatrix(TMatrix* V, TDoubleArray& W);

  // -------------------------------------------------------------------------
  // Cross-product matrix (matrix_square.cpp)
  // -------------------------------------------------------------------------

  /// MatRes becomes the columns x columns matrix this^T this / Norm: cell
  /// (i, j) = (j, i) = Sum over rows of a(r, i) a(r, j) (a plain double sum
  /// in increasing r, separate multiply and add) / Norm. The work is cut
  /// into blocks of 48 result columns (down to 6 for very long columns, so
  /// that a block stays short), each computed by the packed matrix
  /// product kernel (the one Multiply uses); NThreads workers (below 1
  /// counts as 1; never more than there are blocks) take blocks from a
  /// shared counter, widest first. The results are identical for every
  /// thread count. Workers never fire events nor touch the progress
  /// globals: the calling thread adds 1 to ProcStat per finished column
  /// (ReportProgress), calls MathFeedBackProc about every 10 ms while it
  /// waits and once at the end, and checks AbortMathProc; when that is true
  /// it stops the workers, joins them all and returns false (with one
  /// thread: checked before every block). The result is computed apart and
  /// then swapped into MatRes (which may be this matrix), also the partial
  /// result of an aborted run; MatRes fires OnChange (and OnResize when its
  /// size changed) once. False, with nothing changed, when MatRes is null,
  /// Norm is 0 or NaN, or an element of this matrix is NaN or infinite
  /// (checked before any work). This matrix must not be changed by another thread
  /// meanwhile. When a thread cannot be created, the workers already
  /// started (or the caller) do all columns. Throws EZELMatrixError 'not
  /// enough memory on heap' when the result or a work buffer cannot be
  /// allocated.
  bool Square(TMatrix* MatRes, double Norm, int32_t NThreads) const;
  /// The same with the processor count minus 1 threads (at least 1).
  bool Square(TMatrix* MatRes, double Norm) const;

  // -------------------------------------------------------------------------
  // Distances between rows (matrix_distance.cpp)
  // -------------------------------------------------------------------------

  /// Distance or similarity between rows obj1 and obj2 over all columns
  /// (the array unit's DistanceOfObjects, sums in long double): dmTanimoto
  /// Sum xy / (Sum x^2 + Sum y^2 - Sum xy), dmManhattan Sum |x - y|, dmEuclid
  /// sqrt(Sum (x - y)^2), dmSqrEuclid Sum (x - y)^2, dmDice 2 Sum xy /
  /// (Sum x^2 + Sum y^2); the two similarities are 1 for two all-zero rows.
  /// dmUserDef: 0, or what OnCalcDistance(this, obj1, obj2, Distance) sets
  /// when assigned (called with any indices). A row outside the matrix or
  /// any other mode gives 0.
  double DistanceOfObjects(TDistMode Mode, int32_t obj1, int32_t obj2) const;
  /// Fills DMat, which must already be rows x rows (it is never resized),
  /// with DistanceOfObjects of every pair i < j at (i, j) and (j, i) and 0 on
  /// the diagonal, writing the storage directly and firing DMat's OnChange
  /// once; result 0. -2 when DMat's column count differs from the row
  /// count, -1 when DMat is not square or null (DMat untouched) (the
  /// kMatDistMat constants).
  int32_t CalcDistMat(TDistMode Mode, TMatrix* DMat) const;

 protected:
  ///@{
  /// The output precisions, GetPrecision(1) and GetPrecision(2).
  int32_t FPrecis = 15;
  int32_t FPrecis2 = -1;
  ///@}
};

// ===========================================================================
// 4. Numerics on column storage (shared with other units)
// ===========================================================================

/// Called after every element written to A (OnWriteA) or V (OnWriteV) when
/// set. With either set the loops run element by element; with neither set
/// (or no hooks at all) they run in vector kernels, with the same result
/// bit for bit.
struct TSvdHooks {
  std::function<void()> OnWriteA;  ///< after each element written to A
  std::function<void()> OnWriteV;  ///< after each element written to V
};

/// SVDecompose(m, n, a, w, v, hooks): singular value decomposition A = U
/// diag(w) V^T of the m x n matrix A given as n column pointers a[c] of m
/// rows each (a[c][r] is row r, column c, counted from 0).
/// Method: Golub-Reinsch. Householder reduction to bidiagonal form, each
/// column and row part first scaled by its sum of absolute values (skipped
/// when that sum is 0), accumulation of the right-hand transformations into
/// v and of the left-hand ones into a, then implicit-shift QR sweeps on the
/// bidiagonal form from the last singular value down (shift from the
/// trailing 2 x 2 block; an element counts as zero when adding it to the
/// largest |w_i| + |e_i| leaves that unchanged in double). Any m, n >= 1;
/// for m < n the trailing n - m singular values are 0.
/// Output: a holds U (m x n), w the n singular values (>= 0, not sorted; a
/// converged negative one is negated with its column of v), v (n column
/// pointers of n rows) the right singular vectors.
/// Arithmetic: inner products use eight partial sums in a fixed order.
/// Without hooks the element loops run in cache-sized blocks that give
/// every element the same operations in the same order as step by step,
/// so the result equals the hooked one bit for bit:
/// - a row reflector of the bidiagonal reduction is applied a block of
///   rows at a time while the trailing matrix fits in 512 KiB; beyond, its
///   row sums are formed column by column and the update is applied in the
///   pass of the next column reflector (after that step's progress call);
/// - the accumulations of the right- and left-hand transformations run in
///   blocks of reflectors (as many as fit in 256 KiB, 1 to 64), each column
///   going through a whole block while it is in cache;
/// - the rotations of the QR sweeps and the sign changes of v are kept for
///   several sweeps (until 8 n rotations, at least 1024, are kept) and then
///   applied a block of rows at a time (about 256 KiB of a or v).
/// The bits are the same on every processor (SSE2 or AVX2, no fused
/// multiply-add).
/// Magnitude: a matrix whose largest element lies outside 2^-256 .. 2^256
/// is first divided by that element's power of two (exact), decomposed,
/// and w multiplied back (exact unless w itself leaves the double range),
/// so [[1, 2], [3, 4]] times 1e154 or 1e-165 decomposes as well as the
/// matrix itself; u and v do not depend on the scale. Matrices within that
/// band are not touched, and their results are bit for bit those of the
/// plain method.
/// Non-finite input: false at once, before any progress step, with a, w and
/// v untouched, when an element of a is NaN or infinite.
/// State: before every outer step of each of the four phases ProcStat
/// increases by 1 and MathFeedBackProc is called (ReportProgress); when
/// AbortMathProc is then true the result is false at once (never cleared),
/// with the steps before it complete. Without hooks, the calls for a block
/// of reflectors come before its work, and a and v are up to date only
/// when the routine returns.
/// Result false also when m or n < 1 or a singular value did not converge in
/// 30 sweeps (the others are still computed); partial results remain.
bool SVDecompose(int32_t m, int32_t n, double* const* a, double* w, double* const* v,
                 const TSvdHooks* hooks = nullptr);
/// The same on arrays: a is n columns of m rows, w has n elements and v is
/// n x n ([col][row]); any other shape gives false with nothing changed.
bool SVDecompose(int32_t m, int32_t n, TDouble2DArray& a, TDoubleArray& w, TDouble2DArray& v);

}  // namespace zel

// The integer matrix and the three- and four-dimensional matrices belong to
// this unit: including this header gives them all.
#include "num/matrix/zel_intmatrix.hpp"
#include "num/matrix/zel_mat3d4d.hpp"
