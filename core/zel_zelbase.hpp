/// @file
/// Shared types of the whole library: dynamic arrays, enumerations, records,
/// event types, the general exception EZELError and the progress globals that
/// long-running loops serve.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "core/zel_classes.hpp"
#include "core/zel_system.hpp"

namespace zel {

// ---------------------------------------------------------------------------
// Dynamic arrays. Indexed from 0; a 2-D array is an array of columns,
// a[column][row]. Columns may differ in length ("ragged"): routines that need
// a rectangular array check it with IsRectangular.
// ---------------------------------------------------------------------------

using TDoubleArray = std::vector<double>;            ///< doubles
using TDouble2DArray = std::vector<TDoubleArray>;    ///< doubles, [column][row]
using TDouble3DArray = std::vector<TDouble2DArray>;  ///< doubles, three indices
using TDouble4DArray = std::vector<TDouble3DArray>;  ///< doubles, four indices
using TIntArray = std::vector<int32_t>;              ///< 32-bit integers
using TInt2DArray = std::vector<TIntArray>;          ///< 32-bit integers, [column][row]
using TInt3DArray = std::vector<TInt2DArray>;        ///< 32-bit integers, three indices
using TInt4DArray = std::vector<TInt3DArray>;        ///< 32-bit integers, four indices
using TSingleArray = std::vector<float>;             ///< single-precision values
///@{
/// Booleans as bytes holding 0 or 1, so that elements can be referenced.
using TBoolArray = std::vector<uint8_t>;
using TBool2DArray = std::vector<TBoolArray>;
using TStrArray = std::vector<std::string>;
using TStr2DArray = std::vector<TStrArray>;
///@}

// True when every sub-array at each depth has the same length as its
// siblings (an empty array is rectangular). Deeper arrays are checked to the
// innermost level, so a 3-D array is rectangular when all its columns' rows
// have one length.
namespace detail {
template <class T>
struct IsStdVector : std::false_type {};
template <class T, class A>
struct IsStdVector<std::vector<T, A>> : std::true_type {};

/// Same length at every nesting level of vectors.
template <class T>
bool SameShape(const std::vector<T>& a, const std::vector<T>& b) {
  if (a.size() != b.size()) return false;
  if constexpr (IsStdVector<T>::value) {
    for (size_t i = 0; i < a.size(); ++i)
      if (!SameShape(a[i], b[i])) return false;
  }
  return true;
}
}  // namespace detail

template <class T>
/// True when the array is rectangular at every depth (see the note above).
bool IsRectangular(const std::vector<T>& a) {
  if constexpr (!detail::IsStdVector<T>::value) {
    return true;
  } else {
    if (a.empty()) return true;
    if (!IsRectangular(a.front())) return false;
    for (const auto& sub : a)
      if (!detail::SameShape(sub, a.front())) return false;
    return true;
  }
}

// ---------------------------------------------------------------------------
// Ranges
// ---------------------------------------------------------------------------

/// The library's default rule for an index range lo..hi over first..last:
/// both 0 means the whole range; bounds are exchanged when reversed, then
/// clamped to first..last. Routines that state a rule of their own (returning
/// a status for a bad range) do not use this.
void NormalizeRange(int32_t& Lo, int32_t& Hi, int32_t First, int32_t Last);

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

/// A point with double coordinates.
struct TPointDouble {
  double x = 0;  ///< x coordinate
  double y = 0;  ///< y coordinate
};

/// Two x bounds and two y bounds; either bound of a pair may be the larger.
struct TRectDouble {
  double Left = 0;    ///< first x bound
  double Top = 0;     ///< first y bound
  double Right = 0;   ///< second x bound
  double Bottom = 0;  ///< second y bound
};

/// The platform's integer point and rectangle.
struct TPoint {
  int32_t x = 0;  ///< x coordinate
  int32_t y = 0;  ///< y coordinate
};

/// Integer rectangle; each routine states whether Right and Bottom lie inside.
struct TRect {
  int32_t Left = 0;    ///< left edge
  int32_t Top = 0;     ///< top edge
  int32_t Right = 0;   ///< right edge
  int32_t Bottom = 0;  ///< bottom edge
};

// ---------------------------------------------------------------------------
// Enumerations
//
// Ordinals are part of the interface: callers index by them, store them in
// files and compare them with numbers. A type whose values no caller has
// fixed yet is declared without enumerators; its values are added when the
// unit that needs them is written (until then only the zero value exists).
// ---------------------------------------------------------------------------

/// Decimal separator accepted by the number scanners and validators of the
/// math unit (ScanFPNum, IsValidDouble, IsValidFPNum): only '.', only ',', or
/// either of them. The library never consults the locale.
enum class TDecPSep : int32_t { dpsPoint = 0, dpsComma = 1, dpsBoth = 2 };

/// Language of month and day names for the date scanner (ScanDateTime).
enum class TLanguage : int32_t { lanEnglish = 0, lanGerman = 1 };

/// Angle texts (DegreeToStr, ConvertDegrees, geographic GeoLatitude/
/// GeoLongitude): 0 decimal degrees; 1 whole degrees and decimal minutes;
/// 2 whole degrees, whole minutes and decimal seconds; 3 a plain decimal
/// number without unit signs (text output only).
enum class TDegreeFormat : int32_t { dfDeg = 0, dfDegMin = 1, dfDegMinSec = 2, dfPlain = 3 };

/// Which way a 2-D reduction runs (array and matrix EdgeVector):
/// orRowwise gives one result per row, orColwise one per column.
enum class TOrientation : int32_t { orRowwise = 0, orColwise = 1 };

/// Frame drawn around a visual component by DrawFrame (map display default 1,
/// structure drawing default 3). How each style looks is DrawFrame's choice.
enum class TFrameStyle : int32_t { fsNone = 0, fsSimple = 1, fsLowered = 2, fsRaised = 3 };

/// Frame colours of the structure drawing: csGrayWhite uses a grey
/// (0x808080) and a white (0xFFFFFF) line; any other value the system's
/// shadow and highlight colours.
enum class TColorScheme : int32_t { csGrayWhite = 0, csSystem = 1 };

/// Direction of a vector relative to a matrix (TMatrix CopyFromVec, MeanVec):
/// dimColumns runs across the columns (one entry per column, along a row),
/// dimRows down the rows (one entry per row, along a column).
enum class TDims : int32_t { dimColumns = 0, dimRows = 1 };

/// Whether an operation acts on each column or on each row (array
/// PermuteArray, TMatrix Diff: acrColumns differences each column along its
/// rows, acrRows each row along its columns).
enum class TApplyColRow : int32_t { acrColumns = 0, acrRows = 1 };

/// Reduction of EdgeVector (arrays, TMatrix): minimum (start value the
/// largest double), maximum (start value its negation), sum, mean of the
/// cells used, sample standard deviation of the cells used.
enum class TEdgeOp : int32_t { eoMin = 0, eoMax = 1, eoSum = 2, eoMean = 3, eoStdDev = 4 };

/// Distance or similarity between two rows (array DistanceOfObjects, TMatrix
/// DistanceOfObjects/CalcDistMat, clustering): Tanimoto, city block,
/// Euclidean, squared Euclidean, Dice; dmUserDef asks the matrix's
/// OnCalcDistance event.
enum class TDistMode : int32_t {
  dmTanimoto = 0,
  dmManhattan = 1,
  dmEuclid = 2,
  dmSqrEuclid = 3,
  dmDice = 4,
  dmUserDef = 5
};

/// Element type of an untyped buffer (math unit SortArray, SortIntoArray,
/// InsertIntoArray): 0 and 1 are 64-bit floats (vkReal is the second name of
/// double, not the 80-bit format), 2 32-bit floats, 3 and 4 32-bit signed
/// integers. Routines do nothing for any other ordinal.
enum class TVarKind : int32_t {
  vkDouble = 0,
  vkReal = 1,
  vkSingle = 2,
  vkInteger = 3,
  vkLongInt = 4
};

/// Shape set in a boolean mask (array CreateMaskShape): rectangle, ellipse
/// inscribed in a rectangle, disc, ring.
enum class TShapeKind : int32_t { skRectangle = 0, skEllipse = 1, skDisc = 2, skRing = 3 };

/// How the array RescaleArray maps values to the new range. Values are added
/// with RescaleArray.
enum class TRescaleMode : int32_t { rmLinear = 0, rmStandardize = 1, rmMeanCenter = 2 };

/// Field delimiter of the data table's CSV import and export: ',' (csvComma),
/// ';' (csvSemicolon), TAB (csvTab) or ' ' (csvSpace).
enum class TCSVDelimiters : int32_t { csvComma = 0, csvSemicolon = 1, csvTab = 2, csvSpace = 3 };

/// Vertical alignment of a landmark caption relative to its anchor
/// (landmark default vaTop).
enum class TVerticalAlignment : int32_t { vaTop = 0, vaBottom = 1, vaCenter = 2 };

/// What the mouse does on the map display (default maPan; AllowPan writes
/// maPan or maNone). The gaps between the ordinals are modes the map display
/// does not use.
enum class TMouseActMode : int32_t {
  maNone = 0,
  maPan = 1,          ///< pan in both directions while the left button is held
  maPanHoriz = 2,     ///< pan horizontally only
  maPanVert = 3,      ///< pan vertically only
  maRubberBand = 5,   ///< rubber band line, toggled by left presses
  maZoomWindow = 7,   ///< zoom to a rectangle drawn with the left button
  maZoomDrag = 9,     ///< zoom by dragging
  maSelectRect = 16,  ///< select a rectangle (OnSelectRect)
  maMouseTrace = 17   ///< record a mouse trace
};

/// State of the map display's zoom-window interaction: zsRectStarted while a
/// zoom rectangle is being drawn.
enum class TZoomState : int32_t { zsIdle = 0, zsRectStarted = 1 };

/// State of the map display's modal box entry (MouseBox): mbsStarted while
/// waiting for the box, mbsDone when it is complete, mbsOff when no entry
/// runs or it was aborted (MouseBoxAbort). Ordinal 2 is left for a dragging
/// state should the map display need one.
enum class TMouseBoxState : int32_t { mbsOff = 0, mbsStarted = 1, mbsDone = 3 };

/// Matrix norm (TMatrix Norm): maximum column sum, maximum row sum, spectral
/// norm, Frobenius norm.
enum class TNormType : int32_t { ntColwise = 0, ntRowwise = 1, ntSpectral = 2, ntFrobenius = 3 };

/// Quadrature rule of TVector Integrate: rectangles, trapezoids, Simpson.
enum class TIntegMethod : int32_t { imSimple = 0, imTrapezoidal = 1, imSimpson = 2 };

// ---------------------------------------------------------------------------
// Event types shared by several units. The first argument is the object
// that fires the event; a handler must not delete it during the event.
// ---------------------------------------------------------------------------

/// Percentage of a long operation done, 0..100 (matrices, data tables,
/// learners, filters).
using TOnPercentDoneEvent = std::function<void(TObject* Sender, int32_t Percent)>;

/// Fired after every exchange of a sort (TVector, TMatrix, TIntMatrix,
/// TDataTable), so that an owner can move its own per-row or per-column
/// information in step. ExchgKind: 0 two vector elements (First and Last are
/// 0), 1 two columns, 2 two rows. Index1 and Index2 are the exchanged
/// positions (1-based); First..Last is the range of the other dimension that
/// moved with them (the rows of two exchanged columns, and so on).
using TSortExchgEvent = std::function<void(TObject* Sender, int32_t ExchgKind, int32_t Index1,
                                           int32_t Index2, int32_t First, int32_t Last)>;

/// User-defined distance between two rows (TMatrix with dmUserDef): the
/// handler sets Distance.
using TOnCalcDistanceEvent =
    std::function<void(TObject* Sender, int32_t Row1, int32_t Row2, double& Distance)>;

/// One element of a four-dimensional binary file read through the event
/// instead of into the matrix (TMat4D ReadBinary): column, row, layer, time
/// slot (counted from the first slot read), all 1-based, and the value.
using TOnReadMat4DElementEvent = std::function<void(TObject* Sender, int32_t ix, int32_t iy,
                                                    int32_t il, int32_t it, double Value)>;

/// Asked between steps of a long run (cross-validation); setting Abort stops it.
using TOnCheckAbortEvent = std::function<void(TObject* Sender, bool& Abort)>;

/// Text produced by an export of the data table. When it fires and which
/// texts it receives is fixed by the data-table file routines.
using TExportTextEvent = std::function<void(TObject* Sender, const std::string& Text)>;

// ---------------------------------------------------------------------------
// The general exception of the library; every unit's exception derives from
// it, so one catch (const EZELError&) catches all library errors.
// ---------------------------------------------------------------------------

class EZELError : public Exception {
 public:
  using Exception::Exception;
};

// ---------------------------------------------------------------------------
// Progress and abort
// ---------------------------------------------------------------------------

/// Called with the progress counter by long loops on the caller's thread.
using TMathFeedBackProc = std::function<void(double Counter)>;

/// Process-wide progress counter. Long loops (sorts, inversions, clustering)
/// add to it on the calling thread; worker threads never touch it.
extern double ProcStat;
/// Called with ProcStat after each step of a long loop, when set. The library
/// never resets it; the application owns it.
extern TMathFeedBackProc MathFeedBackProc;
/// Polled by abortable loops, which then stop with their status result.
/// It is cleared only by the routines whose documentation says so (the array
/// sort of the array unit); every other abortable routine only reads it, so an
/// application that sets it clears it again before starting new work.
extern std::atomic<bool> AbortMathProc;

/// One step of a long loop: ProcStat += 1, then MathFeedBackProc(ProcStat)
/// when set.
void ReportProgress();

/// The work of one worker thread of RunTicketsOnWorkers: called with the
/// ticket numbers the worker draws from the shared counter (0, 1, ...);
/// returns the number of progress steps the ticket was worth (0 or more).
using TTicketWork = std::function<int64_t(int32_t Ticket)>;

/// Runs the tickets 0..Tickets-1 on NThreads worker threads (below 1 counts
/// as 1) that draw them from a shared counter, the threading rule of the
/// numeric units: MakeWork is called once in each worker (so each builds its
/// own scratch) and gives the function the worker applies to its tickets.
/// Workers never touch ProcStat or MathFeedBackProc and fire no events: the
/// calling thread adds the steps of every finished ticket to ProcStat one by
/// one (ReportProgress), calls MathFeedBackProc about every 10 ms while it
/// waits without news and once at the end, and reads AbortMathProc after
/// every wake-up (never clearing it). Result true when every ticket ran;
/// false when AbortMathProc was found set (checked before completion, so an
/// abort that the hook asks for is honoured however fast the workers were):
/// the workers stop after their current ticket. When no thread can be
/// created the calling thread runs all tickets itself (without progress
/// until the end); when only some can, those share all tickets. Every path
/// out joins all workers first; a std::bad_alloc in a worker stops the run
/// and is rethrown after the join, as is an exception of MathFeedBackProc.
bool RunTicketsOnWorkers(int32_t Tickets, int32_t NThreads,
                         const std::function<TTicketWork()>& MakeWork);

}  // namespace zel
