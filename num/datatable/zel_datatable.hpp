/// @file
/// Zel_datatable: the data set of the statistics and learning units
/// (TDataTable): a rectangle of cells with typed columns (variables), named
/// rows (objects), integer attributes per row and per column, a state byte
/// per cell and up to 151 named levels per categorical column. The numbers
/// live in a TMatrix that the table owns or borrows; everything else the
/// table keeps itself.
///
/// Families, in the order of this header:
///   1. The exception class, the types and the status codes
///   2. TDataTable:
///      a. creation, notification, the numeric matrix
///      b. size and structure (resizing, inserting and removing rows and
///         columns, exchanging, mirroring, clearing, assignment and copies
///         between tables)
///      c. values and levels
///      d. names and attributes
///      e. cell states
///      f. copies between the table and arrays, vectors and matrices
///      g. statistics over numeric or marked cells
///      h. transformations and column tests
///      i. analysis (covariance-type matrices, contingency tables, level
///         counts, cell search, fingerprints, long format)
///      j. sorting
///      k. files: XML, ASC, CSV, the clipboard, splitting into files
///
/// Conventions of the whole unit:
/// - Cells are addressed (column, row), both counted from 1. A table always
///   holds at least 1 x 1 cells: no operation (resizing, removing rows or
///   columns, rebuilding in long format) leaves it with fewer. Reading
///   outside the table gives 0, an empty string or false; writing there is
///   ignored; ranges are clamped (both bounds 0 of a pair: the whole
///   dimension; bounds below 1 become 1, bounds above the count become the
///   count, reversed bounds are exchanged).
/// - Strings are UTF-8. Row and column names hold at most 50 characters and
///   level names at most 10 (counted in code points); longer texts are cut.
///   Case-insensitive comparisons fold the ASCII letters only.
/// - Cell states (one byte per cell): bit 0 (1) no valid number, bit 1 (2)
///   empty, bits 2..4 (4, 8, 16) free state bits, bit 5 (32) imputed, bit 6
///   (64) first marking, bit 7 (128) second marking. A cell is valid when
///   bits 0 and 1 are clear; numeric when it is valid and its column is of
///   scale type stInterval or stRatio; marked (for a state mask M) when it
///   is numeric and its bits 2..7 share a bit with bits 2..7 of M.
/// - Categorical coding: a cell of a nominal or ordinal column holds the
///   ordinal (0..150) of its level as a number; the level's name is in that
///   slot of the column's TVTypeSpec. Ordinals are read with core's Round
///   (halves to even).
/// - The numeric matrix: the table creates its own TMatrix (owned, freed with
///   the table) unless AssignAnotherDataMatrix lends it one. The table
///   connects the matrix's OnChange, OnResize and OnSortExchange to itself;
///   no operation of the table copies another matrix's handlers onto it
///   (Assign copies values, not the matrix), and they must not be replaced
///   from outside (TMatrix::Assign on this matrix would do so: call
///   AssignAnotherDataMatrix or the table's Assign instead). A borrowed matrix must outlive its
///   use by the table; the table disconnects it when it is destroyed or
///   given another matrix. When the matrix is resized behind the table's
///   back (through the matrix itself) the table follows: its names, states,
///   attributes and types are cut or extended at the ends as by Resize.
/// - Events fire on the caller's thread, in this order when one operation
///   fires several: OnChange (values), OnChangeSetup (types, levels,
///   comment, structure), OnChangeNames, OnChangeAttrib, OnChangeCellState,
///   then OnResize (old and new sizes). Operations that change many cells
///   fire each event once at their end; during them the matrix's per-cell
///   notifications are collected, not passed on. A handler may call back
///   into the table, resize it or change its cells; an operation that fires
///   inside its loop (the sorts) checks the sizes after every event and stops
///   when they changed. A handler must not destroy the table.
/// - Errors that abort an operation throw EZELDataTableError with the
///   message 'Component "\<Name>": \<text>' (the class name when the table
///   is unnamed); the statistics raise EZELMatrixError where stated. Every
///   operation that changes the size builds its new storage first, so a
///   failed allocation leaves the table as it was.
/// - Statistics take the mean first and accumulate in long double; a NaN
///   in a used cell makes the result NaN. Counts of cells are 64-bit.
/// - State touched: CalcCovar clears AbortMathProc when it starts, reads it
///   and serves ProcStat and MathFeedBackProc (core's ReportProgress) once
///   per variable; the sorts call ReportProgress once per comb-sort pass.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/zel_classes.hpp"
#include "core/zel_dstruct.hpp"
#include "core/zel_filesys.hpp"
#include "core/zel_streams.hpp"
#include "core/zel_zelbase.hpp"
#include "num/matrix/zel_matrix.hpp"
#include "num/vector/zel_vector.hpp"

namespace zel {

// ===========================================================================
// 1. The exception class, the types and the status codes
// ===========================================================================

/// Raised by TDataTable. Derives from EZELError, so one
/// catch (const EZELError&) catches every library error.
class EZELDataTableError : public EZELError {
 public:
  using EZELError::EZELError;
};

/// Measurement scale of a column. Nominal and ordinal columns are
/// categorical, interval and ratio columns numeric.
enum class TMScaleType : int32_t {
  stUnknown = 0,
  stNominal = 1,
  stOrdinal = 2,
  stInterval = 3,
  stRatio = 4
};

/// Display names of the scale types, indexed by ordinal: "Unknown",
/// "Nominal", "Ordinal", "Interval", "Ratio".
extern const std::array<const char*, 5> MScaleTypeNames;

/// Comparison of FindCells: v < Limit, v > Limit, v <= Limit, v >= Limit,
/// v = Limit, v != Limit, Limit <= v <= Limit2, v < Limit or v > Limit2.
enum class TCompareMode : int32_t {
  cmLT = 0,
  cmGT = 1,
  cmLE = 2,
  cmGE = 3,
  cmEQ = 4,
  cmNE = 5,
  cmInRange = 6,
  cmOutOfRange = 7
};

/// Display names of the comparisons, indexed by ordinal ("cmLT" .. "cmOutOfRange").
extern const std::array<const char*, 8> CompareModeNames;

/// Number of level slots of a categorical column (ordinals 0..150).
constexpr int32_t kMaxNominalIDs = 151;
/// Longest row or column name, in characters (code points).
constexpr int32_t kMaxDTNameLength = 50;
/// Longest level name, in characters (code points).
constexpr int32_t kMaxNominalIDLength = 10;

///@{
/// Cell-state bits.
constexpr uint8_t kCellNoNumber = 1;  ///< bit 0: the cell holds no valid number
constexpr uint8_t kCellEmpty = 2;     ///< bit 1: the cell is empty
constexpr uint8_t kCellImputed = 32;  ///< bit 5: the value is imputed
constexpr uint8_t kCellMark1 = 64;    ///< bit 6: first marking
constexpr uint8_t kCellMark2 = 128;   ///< bit 7: second marking
///@}

/// The type of a column: its scale and its 151 level names (ordinals
/// 0..150; an empty string is an empty slot).
struct TVTypeSpec {
  TMScaleType MScaleType = TMScaleType::stInterval;    ///< the scale
  std::array<std::string, kMaxNominalIDs> NominalIDs;  ///< level names by ordinal
};

/// OnResize of the table: the sizes before and after the change.
using TDataTableResizeEvent = std::function<void(
    TObject* Sender, int32_t OldColumns, int32_t OldRows, int32_t NewColumns, int32_t NewRows)>;

///@{
/// Results of TDataTable::RemoveRows and the RemoveMarked/Unmarked family
/// besides the number of rows (columns) removed (values fixed).
/// DataTableRemoveStatusText turns one into a sentence.
constexpr int32_t kDTRemoveBadBound = -1;  ///< a bound lies outside the table
constexpr int32_t kDTRemoveAll = -2;       ///< every row (column) would go; nothing removed
///@}

/// A short English sentence (no final period) for a negative result of the
/// removal routines, or "rows or columns removed" for 0 and up; "unknown
/// data table removal status" for any other value. The text is static.
const char* DataTableRemoveStatusText(int32_t status);

///@{
/// Results of TDataTable::CreateContingencyTable (values fixed).
/// DataTableContTabStatusText turns one into a sentence.
constexpr int32_t kDTContTabOk = 0;               ///< done
constexpr int32_t kDTContTabBadColumn = -1;       ///< Col1 or Col2 is not a column of the table
constexpr int32_t kDTContTabNotCategorical = -2;  ///< Col1 or Col2 is not nominal or ordinal
constexpr int32_t kDTContTabOutOfRange = -3;      ///< a value lay outside 0..150 (not counted)
constexpr int32_t kDTContTabOrdinalZero = -4;     ///< a pair held ordinal 0 (not counted)
///@}

/// A short English sentence (no final period) for a result of
/// CreateContingencyTable; "unknown contingency table status" otherwise.
/// The text is static.
const char* DataTableContTabStatusText(int32_t status);

///@{
/// Results of TDataTable::FindCells besides the number of hits (values
/// fixed). DataTableFindCellsStatusText turns one into a sentence.
constexpr int32_t kDTFindBadOp = -1;        ///< CompareOp is not a TCompareMode
constexpr int32_t kDTFindTooManyHits = -2;  ///< more than 10 000 hits; the first 10 000 are kept
///@}

/// A short English sentence (no final period) for a negative result of
/// FindCells, or "number of cells found" for 0 and up. The text is static.
const char* DataTableFindCellsStatusText(int32_t status);

///@{
/// Results of the column and row copies of TDataTable (CopyDataColumnToArray
/// and its relatives; values fixed). DataTableCopyStatusText turns one into
/// a sentence.
constexpr int32_t kDTCopyOk = 0;           ///< done
constexpr int32_t kDTCopyBadIndex = -1;    ///< the column (row) is not part of the table
constexpr int32_t kDTCopyBadBound = -2;    ///< a row (column) bound lies outside the table
constexpr int32_t kDTCopyBadElement = -3;  ///< the array or vector index lies outside it
constexpr int32_t kDTCopyEmpty = -4;       ///< the array is empty or the vector null
///@}

/// A short English sentence (no final period) for a result of the column
/// and row copies; "unknown data table copy status" otherwise. The text is
/// static.
const char* DataTableCopyStatusText(int32_t status);

///@{
/// Results of TDataTable::SliceCol and SliceRow besides the number of
/// values (values fixed). DataTableSliceStatusText turns one into a sentence.
constexpr int32_t kDTSliceBadIndex = -1;  ///< the column (row) is not in the table
constexpr int32_t kDTSliceBadBound = -2;  ///< a bound lies outside the table
constexpr int32_t kDTSliceBadStep = -3;   ///< Step <= 0
///@}

/// A short English sentence (no final period) for a negative result of
/// SliceCol/SliceRow, or "number of values copied" for 0 and up. The text
/// is static.
const char* DataTableSliceStatusText(int32_t status);

// ---------------------------------------------------------------------------
// Types and status codes of the file routines (family k)
// ---------------------------------------------------------------------------

/// The elements of the data-table XML form, in this order; xmlInvalid stands
/// for every other element. DTxmlTagNames holds their names.
enum class TDTxmlTags : int32_t {
  xmlDataTableId = 0,     ///< "datatable": start of a table
  xmlDataTableEndId = 1,  ///< "/datatable": end of a table
  xmlComment = 2,         ///< "comment": the comment
  xmlSize = 3,            ///< "size": numbers of columns and rows
  xmlColNames = 4,        ///< "colnames": block of column names
  xmlRowNames = 5,        ///< "rownames": block of row names
  xmlColAttrib = 6,       ///< "colattrib": block of column attributes
  xmlRowAttrib = 7,       ///< "rowattrib": block of row attributes
  xmlColId = 8,           ///< "col": one column entry inside a block
  xmlRowId = 9,           ///< "row": one row entry inside a block
  xmlDataCells = 10,      ///< "datacells": block of cells
  xmlCellID = 11,         ///< "cell": one cell
  xmlVarType = 12,        ///< "vardef": scale type and levels of a column
  xmlVarIdentifier = 13,  ///< "idf": one level of a categorical column
  xmlInvalid = 14         ///< any other element
};

/// Element names of TDTxmlTags, indexed by ordinal: "datatable" to "idf",
/// and "invalid" for xmlInvalid, which matches no element.
extern const std::array<const char*, 15> DTxmlTagNames;

/// What SplitDataSet divides: the columns, the rows, or the rows into a
/// test and a training set.
enum class TDataSetSplitMode : int32_t { splitColumns = 0, splitRows = 1, splitTstTrn = 2 };

/// How SplitDataSet chooses the rows (columns) of each part: at random,
/// in consecutive blocks, or interleaved.
enum class TDataSelMode : int32_t { selmRandSel = 0, selmBlocked = 1, selmInterleave = 2 };

///@{
/// Results of ImportASC and ReadFromASC besides ReadHeaderOfASC's codes
/// -1..-4 (kAscCannotRead .. kAscBadFlags, returned as they are; values
/// fixed). DataTableAscStatusText turns any of them into a sentence.
constexpr int32_t kDTAscOk = 0;                ///< done
constexpr int32_t kDTAscBadRowAttribute = -5;  ///< a row attribute is missing or not an integer
constexpr int32_t kDTAscBadValue = -6;         ///< a value or quoted name is missing or malformed
constexpr int32_t kDTAscBadTypes = -7;  ///< the section of scale types and levels is malformed
constexpr int32_t kDTAscNoFile = -8;    ///< the file does not exist
constexpr int32_t kDTAscNoCells = -9;   ///< the column or row count is 0
constexpr int32_t kDTAscBadTrailer =
    -10;  ///< text after the rows is no valid state or custom section
constexpr int32_t kDTAscBadPosition =
    -11;                               ///< PosX or PosY below 1, or the table would grow too large
constexpr int32_t kDTAscNoText = -12;  ///< the clipboard holds no text
///@}

/// A short English sentence (no final period) for a result of ImportASC
/// and ReadFromASC, the header's codes included; "unknown data table ASC
/// status" otherwise. The text is static.
const char* DataTableAscStatusText(int32_t status);

///@{
/// Results of ImportFromCSV (values fixed). DataTableCsvStatusText turns
/// one into a sentence.
constexpr int32_t kDTCsvOk = 0;           ///< done
constexpr int32_t kDTCsvCannotRead = -1;  ///< the file is missing or cannot be read
constexpr int32_t kDTCsvNoData = -2;      ///< no data line (after the skipped lines and headers)
constexpr int32_t kDTCsvOpenQuote = -3;   ///< a quoted field is not closed before the end
constexpr int32_t kDTCsvRagged = -4;      ///< a line holds another number of fields than the first
constexpr int32_t kDTCsvTooManyLevels = -5;  ///< a text column holds more than 151 distinct levels
constexpr int32_t kDTCsvBadAttribute = -6;   ///< a row attribute is not a 32-bit integer
constexpr int32_t kDTCsvBadArgument = -7;    ///< NLinesSkip < 0 or the delimiter is unknown
constexpr int32_t kDTCsvBadQuote = -8;       ///< text between a closing quote and the delimiter
constexpr int32_t kDTCsvTooLarge = -9;       ///< more rows or columns than a table can hold
///@}

/// A short English sentence (no final period) for a result of
/// ImportFromCSV; "unknown data table CSV status" otherwise. The text is
/// static.
const char* DataTableCsvStatusText(int32_t status);

///@{
/// Results of SplitDataSet and PrepareSplitCounts besides the number of
/// parts (values fixed). DataTableSplitStatusText turns one into a sentence.
constexpr int32_t kDTSplitOk = 0;            ///< done (SplitDataSet)
constexpr int32_t kDTSplitBadMode = -1;      ///< the split or selection mode is not known
constexpr int32_t kDTSplitBadSize = -2;      ///< SplitSize does not suit the mode and the table
constexpr int32_t kDTSplitExists = -3;       ///< a target file exists; nothing was written
constexpr int32_t kDTSplitWriteFailed = -4;  ///< a file could not be written; none is left
constexpr int32_t kDTSplitBadName = -5;      ///< the template names no file
///@}

/// A short English sentence (no final period) for a negative result of
/// SplitDataSet or PrepareSplitCounts, "success" for 0 and "number of
/// parts" above; "unknown data table split status" for other values. The
/// text is static.
const char* DataTableSplitStatusText(int32_t status);

/// The delimiter byte of a TCSVDelimiters value (',' ';' TAB ' '); 0 for a
/// value outside the enumeration.
char CSVDelimiterChar(TCSVDelimiters Delimiter);

class TClipboard;

// ===========================================================================
// 2. TDataTable
// ===========================================================================

/// TDataTable: typed columns, named rows, attributes, cell states and levels
/// around a numeric TMatrix (see the unit's conventions).
class TDataTable : public TComponent {
 public:
  // -------------------------------------------------------------------------
  // a. Creation, notification, the numeric matrix
  // -------------------------------------------------------------------------

  /// 1 column and 1 row: value 0, state 0, column name "C-1", row name
  /// "R-1", attributes 0, the column stInterval without levels, an empty
  /// comment and an owned matrix. Throws EZELDataTableError
  /// 'Component "\<Name>": failed to initialize (out of memory)' when the
  /// storage cannot be had (nothing is left allocated).
  explicit TDataTable(TComponent* AOwner);
  /// Frees an owned matrix and disconnects a borrowed one.
  ~TDataTable() override;
  /// "TDataTable".
  std::string ClassName() const override { return "TDataTable"; }

  TNotifyEvent OnChange;              ///< values changed (ChangedData)
  TNotifyEvent OnChangeSetup;         ///< types, levels, comment or structure changed
  TNotifyEvent OnChangeNames;         ///< row or column names changed
  TNotifyEvent OnChangeCellState;     ///< cell states changed
  TNotifyEvent OnChangeAttrib;        ///< row or column attributes changed
  TOnPercentDoneEvent OnPercentDone;  ///< progress of long operations, 0..100
  TDataTableResizeEvent OnResize;     ///< after every change of size, with the old and new sizes
  /// After every exchange of a sort (see family i), with the arguments the
  /// exchange was reported with.
  TSortExchgEvent OnSortExchange;
  /// Text produced by an export of the table (fired by the file routines).
  TExportTextEvent OnExportText;

  ///@{
  /// Fire OnChange, OnChangeSetup, OnChangeNames, OnChangeAttrib,
  /// OnChangeCellState when a handler is set. ChangedData is only recorded
  /// while a bulk operation runs and fires once at its end.
  void ChangedData();
  void ChangedSetup();
  void ChangedNames();
  void ChangedAttrib();
  void ChangedCellStates();
  ///@}

  /// The matrix holding the values (NumericData): owned by the table or
  /// borrowed (GetExtMatAssigned). Its sizes equal the table's. Change its
  /// values freely (the table's OnChange follows); leave its three handlers
  /// to the table.
  TMatrix* GetNumericData() const { return FData; }
  /// True when the matrix is borrowed (AssignAnotherDataMatrix).
  bool GetExtMatAssigned() const { return FExtMatAssigned; }

  ///@{
  /// The comment (property Comment); control characters (TAB and line
  /// breaks included) are removed when it is set; OnChangeSetup fires.
  const std::string& GetComment() const { return FComment; }
  void SetComment(const std::string& Value);
  ///@}

  // -------------------------------------------------------------------------
  // b. Size and structure
  // -------------------------------------------------------------------------

  /// Number of columns (property NrOfColumns), at least 1.
  int32_t GetNrOfColumns() const { return FNrOfCols; }
  /// Resize(n, NrOfRows).
  void SetNrOfColumns(int32_t n) { Resize(n, FNrOfRows); }
  /// Number of rows (property NrOfRows), at least 1.
  int32_t GetNrOfRows() const { return FNrOfRows; }
  /// Resize(NrOfColumns, n).
  void SetNrOfRows(int32_t n) { Resize(FNrOfCols, n); }

  /// Sets the size to NrCols x NrRows. Nothing happens (no event, result
  /// false) when the sizes do not change or either is below 1. Otherwise
  /// the values, states, names, attributes and types keep their places;
  /// new cells hold 0 with state 0, new columns are named "C-" and their
  /// number and are stInterval without levels, new rows are named "R-" and
  /// their number, new attributes are 0; then OnResize(this, old columns,
  /// old rows, new columns, new rows) fires (no OnChange) and the result is
  /// true. Throws EZELDataTableError 'Component "\<Name>": not enough
  /// memory on heap' (table unchanged) when the storage cannot be had.
  bool Resize(int32_t NrCols, int32_t NrRows);

  ///@{
  /// Insert a row (column) at ix in 1..count + 1: the rows (columns) from ix
  /// on move one place on with their names, attributes, values and states;
  /// the new one has an empty name, attribute 0, values 0 and states 0 (a
  /// new column is stInterval without levels). OnChange, OnChangeSetup and
  /// OnResize fire once. False, nothing changed, for any other ix.
  bool InsertRow(int32_t ix);
  bool InsertColumn(int32_t ix);
  ///@}
  ///@{
  /// Remove row (column) ix: the later ones move up with their names,
  /// attributes, values, states (and types); OnChange, OnChangeSetup and
  /// OnResize fire once. False, nothing changed, when ix lies outside the
  /// table or the table has a single row (column).
  bool RemoveRow(int32_t ix);
  bool RemoveColumn(int32_t ix);
  ///@}
  /// Removes the rows FirstRow..LastRow (reversed bounds exchanged; both 0:
  /// every row) in one step, as RemoveRow does for one. Result: the number
  /// removed; kDTRemoveBadBound (-1) when a bound lies outside 1..NrOfRows;
  /// kDTRemoveAll (-2) when the block holds every row (a table keeps at
  /// least one row). Nothing changes on a negative result.
  int32_t RemoveRows(int32_t FirstRow, int32_t LastRow);

  ///@{
  /// Remove the rows of FirstRow..LastRow (both 0: all rows; reversed
  /// bounds exchanged) that hold a cell, in any column, whose state shares
  /// a bit with CSMask (RemoveUnmarkedRows: that hold no such cell). The
  /// remaining rows close up in order with their names, attributes, values
  /// and states; OnChange, OnChangeSetup and OnResize fire once. Result:
  /// the number removed (0 when none matched; the table is then untouched);
  /// kDTRemoveBadBound (-1) when a bound lies outside the table;
  /// kDTRemoveAll (-2), nothing removed, when every row of the table would
  /// go.
  int32_t RemoveMarkedRows(int32_t FirstRow, int32_t LastRow, uint8_t CSMask);
  int32_t RemoveUnmarkedRows(int32_t FirstRow, int32_t LastRow, uint8_t CSMask);
  ///@}
  ///@{
  /// The same for the columns of FirstCol..LastCol (all rows inspected);
  /// columns move with their types and levels.
  int32_t RemoveMarkedColumns(int32_t FirstCol, int32_t LastCol, uint8_t CSMask);
  int32_t RemoveUnmarkedColumns(int32_t FirstCol, int32_t LastCol, uint8_t CSMask);
  ///@}

  ///@{
  /// Reverse the order of the columns (rows) with their values, states,
  /// names, attributes (and types). OnChange, OnChangeSetup, OnChangeNames,
  /// OnChangeAttrib and OnChangeCellState fire once.
  void MirrorColumns();
  void MirrorRows();
  ///@}
  ///@{
  /// Exchange two columns (rows) with their values, states, names,
  /// attributes (and types); the events of the mirrors fire. An index
  /// outside 1..count does nothing (no event).
  void ExchangeColumns(int32_t c1, int32_t c2);
  void ExchangeRows(int32_t r1, int32_t r2);
  ///@}

  /// Default names, states 0, attributes 0, every column stInterval without
  /// levels, every value 0; the sizes and the comment stay. OnChange,
  /// OnChangeSetup, OnChangeNames, OnChangeAttrib and OnChangeCellState
  /// fire.
  void Clear();

  /// Lends the table NewDMat: the table resizes to its sizes (names, states
  /// and so on as Resize; its values are NewDMat's), frees its own matrix
  /// when it owned one, disconnects a previously borrowed one and works on
  /// NewDMat from then on without owning it (its OnChange, OnResize and
  /// OnSortExchange handlers become the table's); every column becomes
  /// stInterval without levels. OnChange, OnChangeSetup, OnChangeNames,
  /// OnChangeAttrib, OnChangeCellState and OnResize fire. A null NewDMat,
  /// or the matrix the table already uses, does nothing.
  void AssignAnotherDataMatrix(TMatrix* NewDMat);

  /// From another TDataTable: copies the comment, the sizes, the header
  /// flag of the sorts, all values with the matrix's DataID and precisions
  /// (what the matrix's Assign copies, but never the source matrix's
  /// handlers, which the matrix's Assign would fire), attributes, names,
  /// types with their levels, cell states and the nine event handlers; no
  /// event fires. The table keeps its own matrix (owned or
  /// borrowed), which stays connected to this table. Assigning a table to
  /// itself does nothing; any other source throws Exception('Cannot assign
  /// \<class> to \<class>').
  void Assign(const TPersistent* Source) override;
  /// Dest->Assign(this) when Dest is a TDataTable (true); false otherwise.
  bool AssignTo(TPersistent* Dest) const override;

  ///@{
  /// Make this table a copy of ExtTab's sizes, comment, names, attributes,
  /// types and levels, values and states (not its handlers); then OnChange,
  /// OnChangeSetup, OnChangeNames, OnChangeAttrib, OnChangeCellState and
  /// OnResize fire (OnResize with the sizes before and after). A null
  /// ExtTab or the table itself does nothing. The two names are one
  /// operation.
  void Clone(const TDataTable* ExtTab);
  void CopyContentsFrom(const TDataTable* ExtTab) { Clone(ExtTab); }
  ///@}
  /// Copies ExtTab's cell states into the cells both tables have;
  /// OnChangeCellState fires. A null ExtTab does nothing.
  void CopyCellStatesFrom(const TDataTable* ExtTab);
  /// Copies column SrcCol of ExtTab (name, attribute, type and levels, the
  /// values and states of the rows both tables have) to column DestCol;
  /// OnChange, OnChangeSetup, OnChangeNames, OnChangeAttrib and
  /// OnChangeCellState fire. False, nothing changed, when ExtTab is null or
  /// either column does not exist. ExtTab may be this table.
  bool CopyColumnFrom(const TDataTable* ExtTab, int32_t SrcCol, int32_t DestCol);
  /// Copies the values and states of a rectangle of ExtTab (which may be
  /// this table, also overlapping): source bounds as TMatrix::CopyFrom
  /// (both 0: the whole dimension; otherwise clamped into the source and
  /// exchanged when reversed); cell (c, r) goes to (c + DestCol -
  /// SourceColLo, r + DestRow - SourceRowLo); cells outside this table are
  /// dropped. OnChange and OnChangeCellState fire once. A null ExtTab does
  /// nothing.
  void CopyFrom(const TDataTable* ExtTab, int32_t SourceColLo, int32_t SourceRowLo,
                int32_t SourceColHi, int32_t SourceRowHi, int32_t DestCol, int32_t DestRow);

  // -------------------------------------------------------------------------
  // c. Values and levels
  // -------------------------------------------------------------------------

  /// The value of (ACol, ARow) (property Elem), rounded (halves to even) in
  /// categorical columns; 0 outside the table.
  double GetElem(int32_t ACol, int32_t ARow) const;
  /// Stores Value (as given, also in categorical columns) and fires
  /// OnChange; ignored outside the table. The cell state is not changed.
  void SetElem(int32_t ACol, int32_t ARow, double Value);

  /// In a categorical column the name of the level whose ordinal the cell
  /// holds (empty for an empty slot); when the rounded value lies outside
  /// 0..150, its shortest decimal text ("200", "-3", "1e+20", "nan") cut to
  /// 10 characters. Empty for numeric columns and outside the table.
  std::string GetElemNominal(int32_t ACol, int32_t ARow) const;
  /// Looks Value up among the column's levels (ASCII case ignored; Value is
  /// cut to 10 characters first); an unknown level goes into the first empty
  /// slot. A column that is not categorical becomes stNominal. Then the
  /// ordinal is stored and OnChange fires (OnChangeSetup first when a level
  /// was added or the type changed). Throws EZELDataTableError
  /// 'Component "\<Name>": number of available nominal values exceeded'
  /// (nothing changed) when the level is new and all 151 slots are taken.
  /// Ignored outside the table and for an empty Value.
  void SetElemNominal(int32_t ACol, int32_t ARow, const std::string& Value);

  /// The first ordinal whose level equals ID (compared with the ASCII letters
  /// folded when IgnoreCase); -1 when none does, for an empty ID, and for a
  /// column that is missing or not categorical.
  int32_t OrdinalOfNominalID(int32_t Col, const std::string& ID, bool IgnoreCase) const;
  /// The ordinal of level MScaleID in column Col (ASCII case ignored; the
  /// text is cut to 10 characters): the existing one when the level is
  /// known, otherwise the first empty slot, which receives it. A column of
  /// scale type unknown, interval or ratio becomes stNominal (an ordinal
  /// column stays ordinal); OnChangeSetup fires when anything changed. -1
  /// for a missing column, an empty MScaleID, or when all 151 slots are
  /// taken (nothing changed).
  int32_t AddNominalID(int32_t Col, const std::string& MScaleID);
  ///@{
  /// Level OrdVal (0..150) of column ColIx (property NominalID). Set: a
  /// non-empty level (cut to 10 characters) is stored only in categorical
  /// columns, an empty one always clears the slot; OnChangeSetup fires when
  /// the slot changed. Get: empty for an empty slot or invalid indices.
  std::string GetNominalID(int32_t ColIx, int32_t OrdVal) const;
  void SetNominalID(int32_t ColIx, int32_t OrdVal, const std::string& MScaleID);
  ///@}
  /// Empties every level slot of column Col (the type stays);
  /// OnChangeSetup fires. Ignored for a missing column.
  void ClearNominalIDs(int32_t Col);
  /// The number of non-empty level slots of column Col; 0 for a missing one.
  int32_t CountNominalIDs(int32_t Col) const;
  /// The numbers of the nominal and ordinal columns, ascending (the name
  /// keeps the spelling the other units use).
  TIntArray ListOfCategorialVars() const;

  ///@{
  /// Scale type of column ColNr (property MScaleType); stUnknown (0) for a
  /// missing column. Set fires OnChangeSetup when the type changes; levels
  /// stay. A value outside the enumeration is ignored.
  TMScaleType GetMScaleType(int32_t ColNr) const;
  void SetMScaleType(int32_t ColNr, TMScaleType MScaleType);
  ///@}
  ///@{
  /// The highest (lowest) scale type of the columns FirstCol..LastCol (range
  /// clamped). The highest starts from stNominal, so a range of unknown
  /// columns gives stNominal; the lowest starts from stRatio.
  TMScaleType FindHighestMLevel(int32_t FirstCol, int32_t LastCol) const;
  TMScaleType FindLowestMLevel(int32_t FirstCol, int32_t LastCol) const;
  ///@}

  // -------------------------------------------------------------------------
  // d. Names and attributes
  // -------------------------------------------------------------------------

  ///@{
  /// Name of column ColNr (row RowNr) (properties ColName, RowName); empty
  /// outside the table. Set cuts the text to 50 characters and fires
  /// OnChangeNames when the name changes; ignored outside the table.
  std::string GetColName(int32_t ColNr) const;
  void SetColName(int32_t ColNr, const std::string& Value);
  std::string GetRowName(int32_t RowNr) const;
  void SetRowName(int32_t RowNr, const std::string& Value);
  ///@}
  ///@{
  /// Length of the longest column (row) name, in characters.
  int32_t MaxColNameLength() const;
  int32_t MaxRowNameLength() const;
  ///@}
  ///@{
  /// The first column (row) whose name, with blanks at both ends removed and
  /// ASCII letters in upper case, equals ColID (RowID) treated the same way;
  /// 0 when none does.
  int32_t FindColIndex(const std::string& ColID) const;
  int32_t FindRowIndex(const std::string& RowID) const;
  ///@}

  ///@{
  /// Attribute of row RowNr (column ColNr) (properties RowAttrib,
  /// ColAttrib); 0 outside the table. Set fires OnChangeAttrib when the
  /// value changes; ignored outside the table.
  int32_t GetRowAttrib(int32_t RowNr) const;
  void SetRowAttrib(int32_t RowNr, int32_t Value);
  int32_t GetColAttrib(int32_t ColNr) const;
  void SetColAttrib(int32_t ColNr, int32_t Value);
  ///@}
  ///@{
  /// Every row (column) attribute becomes Attrib; with Mask only the bits
  /// of Mask are replaced (a = (a and not Mask) or (Attrib and Mask)).
  /// OnChangeAttrib fires.
  void SetRowAttributes(int32_t Attrib);
  void SetRowAttributes(int32_t Attrib, int32_t Mask);
  void SetColAttributes(int32_t Attrib);
  void SetColAttributes(int32_t Attrib, int32_t Mask);
  ///@}
  ///@{
  /// The largest (smallest) attribute of the rows FirstRow..LastRow (columns;
  /// range clamped) and in RowIx (ColIx) the first index holding it.
  int32_t MaxRowAttrib(int32_t FirstRow, int32_t LastRow, int32_t& RowIx) const;
  int32_t MinRowAttrib(int32_t FirstRow, int32_t LastRow, int32_t& RowIx) const;
  int32_t MaxColAttrib(int32_t FirstCol, int32_t LastCol, int32_t& ColIx) const;
  int32_t MinColAttrib(int32_t FirstCol, int32_t LastCol, int32_t& ColIx) const;
  ///@}
  ///@{
  /// The number of distinct attribute values of the rows (columns) of the
  /// range (clamped; both 0: all). Only values 0..255 are counted; any other
  /// value is skipped.
  int32_t RowAttribLevels(int32_t FirstRow, int32_t LastRow) const;
  int32_t ColAttribLevels(int32_t FirstCol, int32_t LastCol) const;
  ///@}

  // -------------------------------------------------------------------------
  // e. Cell states
  // -------------------------------------------------------------------------

  ///@{
  /// The state byte of a cell (property CellState); 0 outside the table.
  /// Set fires OnChangeCellState only when the byte changes.
  uint8_t GetCellState(int32_t ACol, int32_t ARow) const;
  void SetCellState(int32_t ACol, int32_t ARow, uint8_t Value);
  ///@}
  ///@{
  /// Bit 1 (empty) and bit 5 (imputed) of a cell; false outside the table.
  /// Set sets or clears the bit, then fires OnChange.
  bool GetIsEmpty(int32_t ACol, int32_t ARow) const;
  void SetIsEmpty(int32_t ACol, int32_t ARow, bool Value);
  bool GetIsImputed(int32_t ACol, int32_t ARow) const;
  void SetIsImputed(int32_t ACol, int32_t ARow, bool Value);
  ///@}
  /// True when bits 0 and 1 of the cell are clear (false outside the table).
  bool GetIsNumber(int32_t ACol, int32_t ARow) const;

  /// Every state becomes CellState; OnChangeCellState fires.
  void SetAllCellStates(uint8_t CellState);
  /// Clears bits 6 and 7 of every state; OnChangeCellState fires.
  void UnmarkAllCells();
  /// Every state becomes state xor StateMask; OnChangeCellState fires.
  void InvertCellStates(uint8_t StateMask);
  /// Swaps bits 6 and 7 of every state; OnChangeCellState fires.
  void ExchangeMarkings();
  /// Combines every state of the range (clamped) with CellState: and, or,
  /// xor, and-not (state and not CellState), or-not, xor-not, by the
  /// ordinals of TLogicOp; OnChangeCellState fires. Another ordinal does
  /// nothing.
  void SetCellStates(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                     uint8_t CellState, TLogicOp LogicOp);
  ///@{
  /// True when the or of the states of the row (column, range) shares a bit
  /// with CellState; false for a missing row (column).
  bool IfRowHasCellState(int32_t Row, uint8_t CellState) const;
  bool IfColHasCellState(int32_t Col, uint8_t CellState) const;
  bool IfAnyCellHasCellState(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                             uint8_t CellState) const;
  ///@}
  ///@{
  /// The number of marked cells (for StateMask) of a row (column); 0 for a
  /// missing one.
  int32_t CountMarkedCellsInRow(int32_t Row, uint8_t StateMask) const;
  int32_t CountMarkedCellsInColumn(int32_t Col, uint8_t StateMask) const;
  ///@}
  /// Sets every cell whose state shares a bit with StateMask (any column,
  /// any state bit) to Value; OnChange fires once when any was set. Result:
  /// the number of cells set.
  int64_t FillMarkedCells(double Value, uint8_t StateMask);
  ///@{
  /// The number of empty (bit 1), imputed (bit 5), numeric and valid cells
  /// of the range (clamped).
  int64_t CountEmptyCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow) const;
  int64_t CountImputedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow) const;
  int64_t CountNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow) const;
  int64_t CountValidCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow) const;
  ///@}

  // -------------------------------------------------------------------------
  // f. Copies between the table and arrays, vectors and matrices
  //
  // They work on the values only: cell states are neither read nor changed.
  // A copy into the table fires OnChange once. Column and row forms:
  //  - the whole-column (row) forms size the destination array (vector) to
  //    the column (row) length; result kDTCopyOk, kDTCopyBadIndex for a
  //    missing column (row), kDTCopyEmpty for a null vector;
  //  - the ranged forms copy rows FirstRow..LastRow (columns
  //    FirstCol..LastCol; both 0: all; reversed bounds exchanged) to the
  //    destination from DestElem on (0-based in arrays, 1-based in vectors),
  //    cut where the destination ends; destinations keep their size.
  //    Results, checked in this order: kDTCopyBadIndex, kDTCopyBadBound (a
  //    bound outside the table), kDTCopyEmpty (empty array, null vector),
  //    kDTCopyBadElement (DestElem outside the destination), kDTCopyOk;
  //    nothing changes on error;
  //  - the From forms run the other way: the source array (vector) from
  //    SrcElem on fills the rows (columns) of the range, cut where the
  //    source ends (the whole forms fill from row 1 as far as both reach);
  //    kDTCopyEmpty then means an empty source.
  // Integer destinations receive the values rounded (halves to even) and
  // saturated, NaN as 0.
  // -------------------------------------------------------------------------

  ///@{
  /// Column Col to an array or vector (see the family).
  int32_t CopyDataColumnToArray(int32_t Col, TDoubleArray& Dest) const;
  int32_t CopyDataColumnToArray(int32_t Col, TIntArray& Dest) const;
  int32_t CopyDataColumnToArray(int32_t Col, int32_t FirstRow, int32_t LastRow, TDoubleArray& Dest,
                                int32_t DestElem) const;
  int32_t CopyDataColumnToArray(int32_t Col, int32_t FirstRow, int32_t LastRow, TIntArray& Dest,
                                int32_t DestElem) const;
  int32_t CopyDataColumnToVector(int32_t Col, TVector* Dest) const;
  int32_t CopyDataColumnToVector(int32_t Col, TIntVector* Dest) const;
  int32_t CopyDataColumnToVector(int32_t Col, int32_t FirstRow, int32_t LastRow, TVector* Dest,
                                 int32_t DestElem) const;
  int32_t CopyDataColumnToVector(int32_t Col, int32_t FirstRow, int32_t LastRow, TIntVector* Dest,
                                 int32_t DestElem) const;
  ///@}
  ///@{
  /// Row Row to an array or vector (see the family).
  int32_t CopyDataRowToArray(int32_t Row, TDoubleArray& Dest) const;
  int32_t CopyDataRowToArray(int32_t Row, TIntArray& Dest) const;
  int32_t CopyDataRowToArray(int32_t Row, int32_t FirstCol, int32_t LastCol, TDoubleArray& Dest,
                             int32_t DestElem) const;
  int32_t CopyDataRowToArray(int32_t Row, int32_t FirstCol, int32_t LastCol, TIntArray& Dest,
                             int32_t DestElem) const;
  int32_t CopyDataRowToVector(int32_t Row, TVector* Dest) const;
  int32_t CopyDataRowToVector(int32_t Row, TIntVector* Dest) const;
  int32_t CopyDataRowToVector(int32_t Row, int32_t FirstCol, int32_t LastCol, TVector* Dest,
                              int32_t DestElem) const;
  int32_t CopyDataRowToVector(int32_t Row, int32_t FirstCol, int32_t LastCol, TIntVector* Dest,
                              int32_t DestElem) const;
  ///@}
  ///@{
  /// An array or vector into column Col (see the family).
  int32_t CopyDataColumnFromArray(int32_t Col, const TDoubleArray& Src);
  int32_t CopyDataColumnFromArray(int32_t Col, const TIntArray& Src);
  int32_t CopyDataColumnFromArray(int32_t Col, int32_t FirstRow, int32_t LastRow,
                                  const TDoubleArray& Src, int32_t SrcElem);
  int32_t CopyDataColumnFromArray(int32_t Col, int32_t FirstRow, int32_t LastRow,
                                  const TIntArray& Src, int32_t SrcElem);
  int32_t CopyDataColumnFromVector(int32_t Col, const TVector* Src);
  int32_t CopyDataColumnFromVector(int32_t Col, const TIntVector* Src);
  int32_t CopyDataColumnFromVector(int32_t Col, int32_t FirstRow, int32_t LastRow,
                                   const TVector* Src, int32_t SrcElem);
  int32_t CopyDataColumnFromVector(int32_t Col, int32_t FirstRow, int32_t LastRow,
                                   const TIntVector* Src, int32_t SrcElem);
  ///@}
  ///@{
  /// An array or vector into row Row (see the family).
  int32_t CopyDataRowFromArray(int32_t Row, const TDoubleArray& Src);
  int32_t CopyDataRowFromArray(int32_t Row, const TIntArray& Src);
  int32_t CopyDataRowFromArray(int32_t Row, int32_t FirstCol, int32_t LastCol,
                               const TDoubleArray& Src, int32_t SrcElem);
  int32_t CopyDataRowFromArray(int32_t Row, int32_t FirstCol, int32_t LastCol, const TIntArray& Src,
                               int32_t SrcElem);
  int32_t CopyDataRowFromVector(int32_t Row, const TVector* Src);
  int32_t CopyDataRowFromVector(int32_t Row, const TIntVector* Src);
  int32_t CopyDataRowFromVector(int32_t Row, int32_t FirstCol, int32_t LastCol, const TVector* Src,
                                int32_t SrcElem);
  int32_t CopyDataRowFromVector(int32_t Row, int32_t FirstCol, int32_t LastCol,
                                const TIntVector* Src, int32_t SrcElem);
  ///@}

  /// The vector elements FirstElem..LastElem (made valid by the vector) go
  /// down column DestCol from row DestRow (AsColumn) or along row DestRow
  /// from column DestCol, as TMatrix::CopyFromVec; cells outside the table
  /// are dropped. A null Src does nothing.
  void CopyDataFromVector(const TVector* Src, int32_t FirstElem, int32_t LastElem, int32_t DestCol,
                          int32_t DestRow, bool AsColumn);
  /// Dest becomes a copy of the values (TMatrix::Clone: sizes and values,
  /// its events fire). A null Dest does nothing.
  void CopyDataToMatrix(TMatrix* Dest) const;
  /// A rectangle of Src into the values, with the bound rules of
  /// TMatrix::CopyFrom (Src may be the table's own matrix). A null Src does
  /// nothing.
  void CopyDataFromMatrix(const TMatrix* Src, int32_t SourceColLo, int32_t SourceRowLo,
                          int32_t SourceColHi, int32_t SourceRowHi, int32_t DestCol,
                          int32_t DestRow);
  ///@{
  /// A rectangle of the values into an existing 2-D array: TMatrix::CopyToArray
  /// with its results (the kMatCopyTo codes).
  int32_t CopyDataToArray(TDouble2DArray& Dest, int32_t SrcColLo, int32_t SrcRowLo,
                          int32_t SrcColHi, int32_t SrcRowHi, int32_t DestCol,
                          int32_t DestRow) const;
  int32_t CopyDataToArray(TInt2DArray& Dest, int32_t SrcColLo, int32_t SrcRowLo, int32_t SrcColHi,
                          int32_t SrcRowHi, int32_t DestCol, int32_t DestRow) const;
  ///@}
  ///@{
  /// Arrays into the values: TMatrix::CopyFromArray with its results (the
  /// kMatCopyFrom codes: 1-D -1 empty source, -4 element index outside it,
  /// -5 start cell outside the table; 2-D -1 empty, -2 ragged).
  int32_t CopyDataFromArray(const TDoubleArray& Src, int32_t FirstElem, int32_t LastElem,
                            int32_t Col, int32_t Row, bool AsColumn);
  int32_t CopyDataFromArray(const TIntArray& Src, int32_t FirstElem, int32_t LastElem, int32_t Col,
                            int32_t Row, bool AsColumn);
  int32_t CopyDataFromArray(const TDouble2DArray& Src, int32_t SrcColLo, int32_t SrcRowLo,
                            int32_t SrcColHi, int32_t SrcRowHi, int32_t DestCol, int32_t DestRow);
  int32_t CopyDataFromArray(const TInt2DArray& Src, int32_t SrcColLo, int32_t SrcRowLo,
                            int32_t SrcColHi, int32_t SrcRowHi, int32_t DestCol, int32_t DestRow);
  ///@}
  /// Dest becomes NrOfColumns arrays of NrOfRows values (TMatrix::
  /// DuplicateDataAsArray: result 0, or -1 with Dest untouched when Dest is
  /// empty on entry).
  int32_t DuplicateDataAsArray(TDouble2DArray& Dest) const;
  /// The values of the marked cells (for the mask CellState) of the range
  /// (clamped), column by column, go to DestVect, which is resized to their
  /// number (one OnChange of the vector). Result: that number; with none,
  /// or a null DestVect, the vector is not touched.
  int64_t CopyCellsToVector(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                            uint8_t CellState, TVector* DestVect) const;
  ///@{
  /// DstVec becomes the values of column Col at FirstRow, FirstRow + Step,
  /// ... up to LastRow (both 0: all rows; reversed bounds exchanged). Result
  /// the number of values, or kDTSliceBadIndex (-1) for a missing column,
  /// kDTSliceBadBound (-2) for a bound outside the table, kDTSliceBadStep
  /// (-3) for Step <= 0 (DstVec untouched). SliceRow: the same along row
  /// Row over the columns.
  int32_t SliceCol(int32_t Col, int32_t FirstRow, int32_t LastRow, int32_t Step,
                   TDoubleArray& DstVec) const;
  int32_t SliceRow(int32_t Row, int32_t FirstCol, int32_t LastCol, int32_t Step,
                   TDoubleArray& DstVec) const;
  ///@}

  // -------------------------------------------------------------------------
  // g. Statistics over numeric or marked cells
  //
  // Each works on a range LowCol, LowRow, HighCol, HighRow (clamped; both 0
  // of a pair: the whole dimension) and uses its numeric cells (the
  // "NumCells" forms), its marked cells for the mask CellState (the
  // "MarkedCells" forms) or its valid cells (MinMaxOfValidCells); each
  // reports the number of cells used (NumData or the result). The formulas
  // are those of the TMatrix counterparts applied to exactly the cells used
  // (so means divide by that number, not by the size of the range): the
  // mean first, sums in long double, variance 1 for fewer than 3 values, 0
  // where negative; a NaN cell makes the result NaN. With no cell used:
  // sums, means, quartiles and percentiles 0, variance 1, the extremes
  // +uc_MaxReal and -uc_MaxReal.
  // -------------------------------------------------------------------------

  ///@{
  /// Sum of the values (of their squares) of the cells used.
  double SumOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                       int64_t& NumData) const;
  double SumOfMarkedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                          uint8_t CellState, int64_t& NumData) const;
  double SumOfSquaredNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                              int64_t& NumData) const;
  double SumOfSquaredMarkedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                                 uint8_t CellState, int64_t& NumData) const;
  ///@}
  ///@{
  /// Smallest and largest value of the cells used (TMatrix::MinMax); the
  /// result is their number.
  int64_t MinMaxOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                           double& Minimum, double& Maximum) const;
  int64_t MinMaxOfMarkedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                              uint8_t CellState, double& Minimum, double& Maximum) const;
  int64_t MinMaxOfValidCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                             double& Minimum, double& Maximum) const;
  ///@}
  ///@{
  /// Mean and sample variance of the cells used (TMatrix::MeanVar); the
  /// result is their number.
  int64_t MeanVarOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                            double& Mean, double& Variance) const;
  int64_t MeanVarOfMarkedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                               uint8_t CellState, double& Mean, double& Variance) const;
  ///@}
  /// exp(Sum ln x / n) over the n numeric cells; 0 when one is 0. Throws
  /// EZELMatrixError 'Component "\<Name>": negative argument passed to
  /// GeometricMean' (Name: the table's) when a cell used is negative.
  double GeometricMeanOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                                 int64_t& NumData) const;
  /// n / Sum (1/x) over the n numeric cells. Throws EZELMatrixError
  /// 'Component "\<Name>": negative or zero argument passed to HarmonicMean'
  /// when a cell used is <= 0.
  double HarmonicMeanOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                                int64_t& NumData) const;
  ///@{
  /// Quartiles of the cells used (TMatrix::Quartiles: 1, 2, 3, 4 gives 1.25,
  /// 2.5, 3.75); the result is their number. Throws EZELDataTableError
  /// 'Component "\<Name>": not enough memory on heap' when the work copy
  /// cannot be had.
  int64_t QuartilesOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                              double& Q1, double& Q2, double& Q3) const;
  int64_t QuartilesOfMarkedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                                 uint8_t CellState, double& Q1, double& Q2, double& Q3) const;
  ///@}
  ///@{
  /// The value of 0-based ascending rank min(Round(n Prob / 100), n - 1) of
  /// the cells used (TMatrix::Percentile, Prob clamped to 0..100). Throws
  /// EZELMatrixError 'Component "\<Name>": not enough memory on heap' when
  /// the work copy cannot be had.
  double PercentileOfNumCells(double Prob, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                              int32_t HighRow, int64_t& NumData) const;
  double PercentileOfMarkedCells(double Prob, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                 int32_t HighRow, uint8_t CellState, int64_t& NumData) const;
  ///@}

  // -------------------------------------------------------------------------
  // h. Transformations and column tests
  // -------------------------------------------------------------------------

  ///@{
  /// Per interval or ratio column: mean and variance of its numeric cells
  /// (as MeanVarOfNumCells, so fewer than 3 cells give variance 1); when the
  /// variance is > 0 each numeric cell becomes (x - mean) / sqrt(variance)
  /// (MeanCenter: x - mean, whatever the variance). Other columns and
  /// cells are untouched. Means and StdDevs, when not null, receive the
  /// mean and sqrt(variance) of every such column at its number (they are
  /// not resized: numbers beyond them are dropped) after the table's
  /// values have changed and before OnChange fires once.
  void StandardizeNumCellColumns(TVector* Means, TVector* StdDevs);
  void MeanCenterNumCellColumns(TVector* Means);
  ///@}
  ///@{
  /// The same per row over its numeric cells. Throws EZELDataTableError
  /// 'Component "\<Name>": standardization of rows is not possible with
  /// nominal or ordinal variables' (respectively '... mean centering of rows
  /// is not possible with nominal or ordinal variables'), with nothing
  /// changed, when any column is nominal or ordinal.
  void StandardizeNumCellRows(TVector* Means, TVector* StdDevs);
  void MeanCenterNumCellRows(TVector* Means);
  ///@}
  ///@{
  /// True when every value of the column (row) equals its first one (as
  /// stored, NaN never equal); ConstVal then receives it (0 otherwise).
  /// False for a missing column (row).
  bool IsConstantColumn(int32_t ColIx) const;
  bool IsConstantColumn(int32_t ColIx, double& ConstVal) const;
  bool IsConstantRow(int32_t RowIx) const;
  bool IsConstantRow(int32_t RowIx, double& ConstVal) const;
  ///@}
  ///@{
  /// True when the column holds exactly two distinct values (as stored; a
  /// NaN makes it false); CheckDichotomousColumn returns them ascending in
  /// Low and High (both 0 when false). False for a missing column, a table
  /// of one row and a constant column.
  bool IsDichotomousColumn(int32_t ColIx) const;
  bool CheckDichotomousColumn(int32_t ColIx, double& Low, double& High) const;
  ///@}

  // -------------------------------------------------------------------------
  // i. Analysis
  // -------------------------------------------------------------------------

  /// Fills CovarMat(i, j) and (j, i), i, j = 1..n, with a measure between
  /// the columns LowCol - 1 + i and LowCol - 1 + j (note the argument order:
  /// both column bounds first; ranges clamped; n = HighCol - LowCol + 1).
  /// For every pair the rows LowRow..HighRow are scanned, skipping each row
  /// in which either cell has state bit 0 or 1 set; m counts the rows used.
  /// Sums are centred and accumulated in long double. Mode:
  ///   0  Sum xy / (m - 1) (cross products about zero)
  ///   1  Sum (x - mx)(y - my) / (m - 1), mx and my the means of the
  ///      numeric cells of each column in LowRow..HighRow (a nominal or
  ///      ordinal column has none, so its mean is 0)
  ///   2  Pearson's r of the m pairs, Sxy / sqrt(|Sxx Syy|) about the pair
  ///      means; 0 when m <= 2 or either column is constant over the pairs;
  ///      the diagonal is 1
  ///   3  the square of mode 2; the diagonal is 1
  ///   4  Sum (x - y)^2 / (m - 1)
  ///   other  0
  /// Modes 0, 1 and 4 give 0 for a pair with m <= 1 (no division by m - 1).
  /// A NaN in a row used gives NaN. The results are computed apart and then
  /// stored into CovarMat cell by cell (its events fire as for
  /// TMatrix::CopyFromArray); cells beyond n x n stay. AbortMathProc is
  /// cleared first; after each variable i ProcStat grows by 1 and
  /// MathFeedBackProc is called (ReportProgress); when AbortMathProc is then
  /// true, or MathFeedBackProc changed the table's size, the result is false
  /// and CovarMat is not touched. False also,
  /// with nothing done, for a null CovarMat or one with fewer than n
  /// columns or rows. True otherwise.
  bool CalcCovar(TMatrix* CovarMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                 int32_t HighRow, int32_t Mode);

  /// Cross-tabulates the categorical columns Col1 and Col2 over the rows
  /// LowRow..HighRow (clamped). A row is skipped when either cell has state
  /// bit 0 or 1 set; otherwise both values are rounded to ordinals a and b.
  /// A pair with an ordinal outside 0..150 (or NaN) is skipped and makes the
  /// result kDTContTabOutOfRange (-3); a pair holding ordinal 0 has no cell
  /// in this layout and is skipped, making the result kDTContTabOrdinalZero
  /// (-4) unless -3 applies; every other pair adds 1 to ContTab[a - 1][b - 1].
  /// ContTab is then A + 1 by B + 1 (A and B the largest ordinals counted,
  /// 0 when none): ContTab[i][B] is the sum over j of ContTab[i][j],
  /// ContTab[A][j] the sum over i, ContTab[A][B] the total. Result 0 when
  /// every pair was counted; kDTContTabBadColumn (-1) for a missing column,
  /// kDTContTabNotCategorical (-2) for a column that is not nominal or
  /// ordinal (ContTab untouched on -1 and -2).
  int32_t CreateContingencyTable(int32_t Col1, int32_t Col2, int32_t LowRow, int32_t HighRow,
                                 TInt2DArray& ContTab) const;

  /// Level counts of column ACol over the rows LowRow..HighRow (clamped):
  /// OrdList becomes 151 counters, entry k the number of cells whose
  /// rounded value is k; cells with state bit 0 or 1 set are skipped. The
  /// result is the number of cells (not skipped) whose rounded value lies
  /// outside 0..150 or is NaN. -1 for a missing column; 0 with OrdList
  /// untouched for a column that is not nominal or ordinal.
  int32_t ScanForCatValues(int32_t ACol, int32_t LowRow, int32_t HighRow, TIntArray& OrdList) const;

  /// Lists the cells of the range (clamped) whose value v (as stored)
  /// satisfies the comparison: cmLT v < Limit, cmGT v > Limit, cmLE v <=
  /// Limit, cmGE v >= Limit, cmEQ v = Limit, cmNE v != Limit, cmInRange
  /// Limit <= v <= Limit2, cmOutOfRange v < Limit or v > Limit2 (a NaN value
  /// satisfies cmNE only). Cells are visited column by column, row by row
  /// within a column. CellList becomes 2 x hits: CellList[0][k] the column,
  /// CellList[1][k] the row of hit k. Result: the number of hits; at most
  /// 10 000 are kept and a further hit stops the search with
  /// kDTFindTooManyHits (-2); kDTFindBadOp (-1), with two empty lists, for
  /// a CompareOp outside the enumeration.
  int32_t FindCells(double Limit, double Limit2, TCompareMode CompareOp, int32_t LowCol,
                    int32_t LowRow, int32_t HighCol, int32_t HighRow, TInt2DArray& CellList) const;

  /// Fingerprint of the descriptive information: eight CRC-32 registers
  /// (core's CalcNextCRC32) start at FFFFFFFF and are fed, in this order:
  /// the comment (the low byte of its UTF-16 code unit k into register
  /// k mod 8, k from 0), each column name (likewise, k restarting at 0 for
  /// each name), the low byte of each column attribute (column s, counted
  /// from 0, into register s mod 8), the row names, the low byte of each row
  /// attribute, the scale type of each column (column s into register
  /// s mod 8), and for every column every non-empty level name (character k
  /// into register k mod 8). The registers are inverted and written as 8
  /// upper-case hexadecimal digits each, register 0 first (64 characters).
  std::string CRCofNamesAndAttributes() const;
  /// Fingerprint of the cell states: column by column, the state of row r
  /// (counted from 0) into register r mod 8; then as above.
  std::string CRCofCellStates() const;

  /// Rebuilds the table in long format: one row per former cell, column by
  /// column and row by row within a column. The new columns: with
  /// ColHeadsAsVar first "(column)", nominal, holding the former column
  /// number c, whose level c (slot 0 stays empty) is the former column's
  /// name, ":" and c, cut to 10 characters; with IncludeColRowNumbers
  /// "(col. index)" and "(row index)" with the former column and row
  /// numbers; last "(data)" with the values and states of the former
  /// cells, of the highest scale type of the former columns and without
  /// levels. Every new row takes the name and attribute of the former row
  /// it came from; other cells have state 0, column attributes are 0, the
  /// comment stays. Then OnChange, OnChangeSetup, OnChangeNames,
  /// OnChangeAttrib, OnChangeCellState and OnResize fire once. False, with
  /// the table untouched, when ColHeadsAsVar is set and the table has more
  /// than 150 columns, or when columns x rows exceeds 2^31 - 1. Throws
  /// EZELDataTableError 'Component "\<Name>": not enough memory on heap'
  /// (table untouched) when the new table cannot be built.
  bool Serialize(bool ColHeadsAsVar, bool IncludeColRowNumbers);

  // -------------------------------------------------------------------------
  // j. Sorting
  // -------------------------------------------------------------------------

  /// Sorts the rows LowRow..HighRow by the values of column SortColIx with
  /// the matrix's SortRows (comb sort; equal and NaN keys never move),
  /// moving the values of the columns LowCol..HighCol and of the key column.
  /// The cell states move with the values: those of LowCol..HighCol and of
  /// the key column (also when it lies outside that range). With
  /// IncludeHeaders the row names and attributes move as well (the choice
  /// is kept for ExchangeDuringSort). Every exchange fires OnSortExchange(this
  /// or the matrix, 2, i, j, LowCol, HighCol); at the end OnChange, then
  /// (with IncludeHeaders) OnChangeNames and OnChangeAttrib, then
  /// OnChangeCellState. A handler that resizes the table ends the sort at
  /// that exchange. Nothing happens for a key column outside the table.
  void SortRows(int32_t SortColIx, bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                int32_t HighRow, bool IncludeHeaders);
  /// The same with rows and columns exchanged: sorts the columns
  /// LowCol..HighCol by row SortRowIx; with IncludeHeaders the column names,
  /// attributes and complete types move as well.
  void SortCols(int32_t SortRowIx, bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                int32_t HighRow, bool IncludeHeaders);

  /// The handler of the matrix's OnSortExchange. Kind 2 (rows Index1 and
  /// Index2 exchanged): their states are swapped for the columns
  /// First..Last, and for the key column of a running SortRows outside that
  /// range; with the header flag also their names and attributes. Kind 1
  /// (columns): the same with rows and columns exchanged, types included.
  /// Then OnSortExchange of the table fires with the same arguments.
  /// Indices outside the table are not touched. (When the matrix is sorted
  /// directly, not through the table, the key column's states outside
  /// First..Last are not known to the table and stay.)
  void ExchangeDuringSort(TObject* Sender, int32_t ExchgKind, int32_t Index1, int32_t Index2,
                          int32_t First, int32_t Last);

  ///@{
  /// Sort the rows LowRow..HighRow by their names (compared byte by byte,
  /// after folding the ASCII letters when IgnoreCase; the form without
  /// IgnoreCase is case-sensitive), comb sort as the matrix's. An exchange
  /// swaps the two names and attributes and the values and states of the
  /// columns LowCol..HighCol, then fires OnSortExchange(this, 2, i, j,
  /// LowCol, HighCol). At the end OnChange, OnChangeNames and OnChangeAttrib
  /// fire. A handler (or MathFeedBackProc) that resizes the table ends the
  /// sort at once, without the final events.
  void SortRowNames(bool Ascending, bool IgnoreCase, int32_t LowCol, int32_t LowRow,
                    int32_t HighCol, int32_t HighRow);
  void SortRowNames(bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                    int32_t HighRow);
  ///@}
  ///@{
  /// The same for the columns LowCol..HighCol by their names, moving the
  /// rows LowRow..HighRow (OnSortExchange kind 1); types move with names.
  void SortColNames(bool Ascending, bool IgnoreCase, int32_t LowCol, int32_t LowRow,
                    int32_t HighCol, int32_t HighRow);
  void SortColNames(bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                    int32_t HighRow);
  ///@}
  ///@{
  /// The same keyed by the row (column) attributes.
  void SortRowAttributes(bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                         int32_t HighRow);
  void SortColAttributes(bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                         int32_t HighRow);
  ///@}

  // -------------------------------------------------------------------------
  // k. Files: XML, ASC, CSV, the clipboard, splitting into files
  //
  // Common rules of every reader and writer here:
  //  - Numbers are written and read without the locale ('.' as the decimal
  //    point). Precision is the count of significant digits (1..17; more
  //    counts as 17); Precision < 1 writes the shortest text that reads back
  //    to the same double, so such files keep every value bit for bit. NaN
  //    is written "nan" (read back as a quiet NaN: sign and payload are not
  //    kept), infinities "inf" and "-inf". Readers accept what core's
  //    TryStrToFloat accepts; a magnitude beyond the double range reads as
  //    +-inf, one below it as +-0.
  //  - A reader treats its input as hostile. It builds the new table apart
  //    and puts it in place only when the whole input was read: on failure
  //    the table is as it was and no event fires. Counts are checked against
  //    the bytes that hold them before anything is allocated; names are cut
  //    to 50 characters and level names to 10 (code points).
  //  - On success a reader fires OnChange, OnChangeSetup, OnChangeNames,
  //    OnChangeAttrib and OnChangeCellState once, then OnResize when the size
  //    changed.
  //  - A writer builds the whole text first and then writes it; it returns
  //    false when the file cannot be created or a write or flush fails (a
  //    stream that is a file is flushed; a text file the caller opened is
  //    buffered, so a failure that shows only when it is written out is
  //    reported by its Close). After a successful write OnExportText fires once with the
  //    complete text written (for a split: once per file, in the order of
  //    FileNames). A failed write fires nothing.
  //  - Text files are written with "\n" line ends; readers accept "\r\n".
  //
  // XML form (one element per table; any text may surround it):
  //   <?xml version="1.0" encoding="UTF-8"?>           (with CreateHeader)
  //   <!-- data table, ZEL Component Suite -->         (with CreateHeader)
  //   <datatable sig="ZELCSuite" vers="1.0" id="DATAID">
  //   <comment>TEXT</comment>
  //   <size cols="NC" rows="NR"/>
  //   <vardef col="C" scale="Nominal">                 (see below)
  //   <idf ord="K">LEVEL</idf>                         (non-empty slots only)
  //   </vardef>
  //   <colnames><col ix="C">NAME</col> ... </colnames>
  //   <rownames><row ix="R">NAME</row> ... </rownames>
  //   <colattrib><col ix="C">INT</col> ... </colattrib> (non-zero ones only)
  //   <rowattrib><row ix="R">INT</row> ... </rowattrib> (non-zero ones only)
  //   <datacells>
  //   <cell c="C" r="R" st="STATE">VALUE</cell>        (st only when non-zero)
  //   </datacells>
  //   </datatable>
  // The writer puts each element on a line of its own, in this order, and
  // lists every cell; it writes a vardef only for columns that are not
  // stInterval or that hold a level. Element and attribute names are matched without regard
  // to ASCII case; attribute values are quoted with '"' or '\''. Text and
  // attribute values are escaped: '&' as "&amp;", '<' "&lt;", '>' "&gt;",
  // '"' "&quot;" and every control character as "&#N;" (decimal), so names
  // keep line breaks and TABs; the reader decodes these, "&apos;" and any
  // "&#N;" / "&#xH;" of a valid code point (other '&' text stays literal).
  // Scale types are written by name ("Unknown", "Nominal", "Ordinal",
  // "Interval", "Ratio"); the reader also takes the ordinals 0..4. The
  // reader finds the first datatable element whose id equals DataID (byte
  // for byte; an empty DataID takes the first table) and skips the others.
  // Inside it, "size" must come first and exactly once, with cols and rows
  // 1..2147483647; the text from the end of the size element to the end of
  // "</datatable>" must hold at least 8 bytes per cell (cols x rows x 8),
  // which every document with all its cells listed does. A table is then
  // built of that size with default names ("C-n", "R-n"), attributes 0,
  // stInterval columns, values 0 and states 0, and the elements fill it:
  // entries whose index lies outside the table, "idf" with an ord outside
  // 0..150, and elements outside their block ("col" outside colnames or
  // colattrib, "cell" outside datacells, "idf" outside vardef) are ignored,
  // as are unknown elements; a later entry for the same place wins. A cell
  // with empty content is an empty cell (value 0, state st or, without st, 2).
  // The load fails on: no matching table, input ending before
  // "</datatable>", a missing, repeated or bad size, an index, state,
  // attribute, ord or value that is not a number of its kind (states
  // 0..255, attributes 32-bit), an unknown scale name, an element left open
  // (its closing tag does not follow its content), or a table nested in the
  // table. On success the numeric matrix's DataID becomes the table's id.
  //
  // ASC form (text; the header is core's ReadHeaderOfASC's):
  //   COMMENT                                  the comment (line breaks as blanks)
  //   NC<TAB>;nr. of columns
  //   NR<TAB>;nr. of rows
  //   RA CN RN NV<TAB>;row attributes, column names, row names, nominal variables
  // RA, CN, RN and NV are TRUE or FALSE: the writer sets RA when any row
  // attribute is non-zero, CN and RN always, NV when any column is not
  // stInterval or holds a level. A header line with three flags (RA CN RN)
  // is read as well, NV then FALSE. Then, each announced section in turn:
  //   - CN: the column names, each in double quotes, separated by blanks
  //     (the writer puts them on one line);
  //   - NV: one line per column: the scale type ordinal (0..4), the number
  //     of non-empty level slots, and that many pairs of ordinal (0..150)
  //     and quoted level name, in any order;
  //   - the rows, one line each: with RA the row attribute (a 32-bit
  //     integer), with RN the quoted row name, then NC values. A value is a
  //     number as above, or "###" for an empty cell (value 0, state 2);
  //     categorical cells hold their ordinals. The writer writes "###" for a
  //     cell whose state is exactly 2 and whose value is 0.
  //   - optionally "#cellstates" followed by NR x NC state bytes (0..255),
  //     row by row; the writer adds it when any state differs from what the
  //     rows imply (2 for "###", 0 otherwise);
  //   - optionally (ExportAsASC with CustData) "#custdata", the number of
  //     columns of CustData, and per column the number of its strings and
  //     those strings quoted.
  // Column attributes have no place in this form: a table read from it has
  // them 0. Quoted texts may hold any byte; a '"' inside is written twice (""),
  // which a one-column file without quotes in names keeps readable by
  // TVector::ImportASC. Items are separated by any whitespace (bytes
  // 0x00-0x20), so line breaks only matter inside quotes. Nothing but
  // whitespace may follow the last section.
  //
  // CSV text (RFC 4180 with the delimiter of TCSVDelimiters):
  //   #COMMENT                        (with IncludeComment)
  //   [corner,][(row attribute),]NAME1,...,NAMEn   (with IncludeColHeaders)
  //   [ROWNAME,][ATTRIB,]VALUE1,...,VALUEn         (one line per row)
  // The row-name field comes with IncludeRowHeaders (the header's corner
  // field is then empty), the attribute field with IncludeRowAttributes; its
  // header field is "(row attribute)". A field is quoted when it holds the
  // delimiter, '"', a line break, or when it is the first field of the first
  // line and begins with '#'; a '"' inside is doubled; a line that would be
  // empty is written as "" so that it is not taken for a blank line.
  // Numeric columns hold numbers; an empty cell (state bit 1) is an empty
  // field; categorical columns hold their level names, always quoted (the
  // ordinal as text when the slot is empty). Other cell states, scale types
  // beyond numeric/nominal, unused levels and level ordinals are not kept.
  // The reader: skips NLinesSkip physical lines; takes a first line that
  // begins with '#' as the comment; reads the headers as flagged (with
  // IncludeColHeaders, a header field "(row attribute)" right after the
  // row-name field, or first without row headers, makes that column the row
  // attributes); skips lines that hold nothing; and stops before the first
  // record that starts after physical line LastImportLine (lines counted
  // from 1 over the whole file; LastImportLine < 1: read to the end). Every
  // record must have the field count of the first. Quoted fields may hold
  // delimiters, doubled quotes and line breaks. An empty field, quoted or
  // not, is an empty cell (value 0, state 2). A column whose non-empty
  // fields are all unquoted numbers (blanks around them allowed) is
  // stInterval; any other column is stNominal and every non-empty field
  // becomes a level (in order of first appearance, case ignored as in
  // SetElemNominal). Names default to "C-n" and "R-n" when not read.
  // -------------------------------------------------------------------------

  ///@{
  /// Read a table of the XML form (see the family) whose id is DataID
  /// (empty: the first table). LoadFromXMLFile reads the file FName;
  /// ReadFromOpenXMLFile reads a text file open for reading from its
  /// position and ReadFromXMLStream a stream from its position, both leaving
  /// the input just after "</datatable>" on success (at an unspecified
  /// place on failure). True on success; false with the table untouched
  /// otherwise.
  bool LoadFromXMLFile(const std::string& FName, const std::string& DataID);
  bool ReadFromOpenXMLFile(TTextFile& f, const std::string& DataID);
  bool ReadFromXMLStream(TStream& InStream, const std::string& DataID);
  ///@}
  /// The same from InString, beginning at the 1-based byte position StartAt,
  /// which on success moves just after "</datatable>". StartAt below 1 or
  /// beyond the text reads nothing and fails; on every failure StartAt stays.
  bool ReadFromXMLString(const std::string& InString, int64_t& StartAt, const std::string& DataID);
  ///@{
  /// Write the table in the XML form with DataID as its id and values with
  /// Precision (see the family). SaveAsXMLFile creates (or empties) FName and
  /// writes the document header; the others append at the position of the
  /// open text file (stream) and write the header only with CreateHeader.
  /// False when the file cannot be created or written.
  bool SaveAsXMLFile(const std::string& FName, int32_t Precision, const std::string& DataID);
  bool WriteToOpenXMLFile(TTextFile& f, bool CreateHeader, int32_t Precision,
                          const std::string& DataID);
  bool WriteToXMLStream(TStream& OutStream, bool CreateHeader, int32_t Precision,
                        const std::string& DataID);
  ///@}

  ///@{
  /// Write the table in the ASC form (see the family) to a new file FName
  /// (with CustData: and its "#custdata" section), to a stream at its
  /// position, or to a text file open for writing. False when the file
  /// cannot be created or written.
  bool ExportAsASC(const std::string& FName, int32_t Precision);
  bool ExportAsASC(const std::string& FName, int32_t Precision, const TStr2DArray& CustData);
  bool ExportAsASC(TStream& OutStream, int32_t Precision);
  bool ExportAsASC(TTextFile& f, int32_t Precision);
  ///@}
  ///@{
  /// Replace the table by the ASC text (see the family) of the file FName,
  /// of a stream from its position to its end (the stream is then left
  /// after the text read, or at its end when it cannot seek back), or of
  /// the clipboard's text. The comment, names, attributes, types, levels,
  /// values and states all come from the text; names the text does not give
  /// are the defaults. CustData receives the "#custdata" section (empty
  /// when there is none). Result kDTAscOk or a negative code (see
  /// DataTableAscStatusText: -1..-4 from the header, kDTAscNoFile for a
  /// missing file, kDTAscNoText for a clipboard without text); CustData is
  /// emptied first.
  int32_t ImportASC(const std::string& FName);
  int32_t ImportASC(const std::string& FName, TStr2DArray& CustData);
  int32_t ImportASC(TStream& InStream);
  int32_t ImportASC(TClipboard& ClipBd);
  ///@}
  ///@{
  /// Read an ASC text into the table with its first cell at column PosX and
  /// row PosY (1-based): the table grows where the block needs more columns
  /// or rows (new cells as Resize makes them); the block's values and states
  /// replace those of the cells it covers; the comment and everything outside
  /// the block stay. With ReplaceIDs the text's column names, row names, row
  /// attributes, scale types and levels (those its header announces) replace
  /// the table's for the columns and rows of the block; without it only values
  /// and states are written. Results as ImportASC, and kDTAscBadPosition
  /// (nothing read) for PosX or PosY below 1 or a block that would end
  /// beyond 2147483647.
  int32_t ReadFromASC(const std::string& FName, int32_t PosX, int32_t PosY, bool ReplaceIDs);
  int32_t ReadFromASC(TStream& InStream, int32_t PosX, int32_t PosY, bool ReplaceIDs);
  int32_t ReadFromASC(TClipboard& ClipBd, int32_t PosX, int32_t PosY, bool ReplaceIDs);
  ///@}

  ///@{
  /// Write the table as CSV text (see the family) to a new file FName with
  /// values of Precision and the given delimiter, the column headers, the row
  /// names, the row attributes and the comment as flagged. False for a
  /// delimiter outside TCSVDelimiters and when the file cannot be created or
  /// written.
  bool ExportAsCSV(const std::string& FName, int32_t Precision, TCSVDelimiters Delimiter,
                   bool IncludeColHeaders, bool IncludeRowHeaders);
  bool ExportAsCSV(const std::string& FName, int32_t Precision, TCSVDelimiters Delimiter,
                   bool IncludeColHeaders, bool IncludeRowHeaders, bool IncludeRowAttributes);
  bool ExportAsCSV(const std::string& FName, int32_t Precision, TCSVDelimiters Delimiter,
                   bool IncludeColHeaders, bool IncludeRowHeaders, bool IncludeRowAttributes,
                   bool IncludeComment);
  ///@}
  ///@{
  /// Replace the table by the CSV file FName (see the family); the second
  /// form skips NLinesSkip lines first and stops after line LastImportLine
  /// (< 1: at the end). The comment becomes that of the file, or empty.
  /// Result kDTCsvOk or a negative code (DataTableCsvStatusText); the table
  /// is untouched on failure.
  int32_t ImportFromCSV(const std::string& FName, TCSVDelimiters Delimiter, bool IncludeColHeaders,
                        bool IncludeRowHeaders);
  int32_t ImportFromCSV(const std::string& FName, TCSVDelimiters Delimiter, int32_t NLinesSkip,
                        int32_t LastImportLine, bool IncludeColHeaders, bool IncludeRowHeaders);
  ///@}

  /// Writes parts of the table to files, each a table of the same kind
  /// (names, attributes, types, levels, values and states of its rows or
  /// columns, the comment), in the form the extension of FNameTemplate
  /// chooses: ".xml" the XML form (id = the template's file name without
  /// directory and extension), ".csv" CSV with commas, headers, row names,
  /// attributes and comment, anything else the ASC form; values at full
  /// precision. The parts, as PrepareSplitCounts counts them:
  ///  - splitRows (splitColumns): the rows (columns) are divided into
  ///    SplitSize parts (2..count) whose sizes differ by at most one, the
  ///    first parts the larger; each part is a file. With CreateAllPairs
  ///    each part instead gives a pair of files: the part (test) and all
  ///    other rows (columns; training).
  ///  - splitTstTrn: a test set of Round(count x SplitSize / 100) rows
  ///    (SplitSize 1..99 percent; at least 1 row and at most count - 1) and a
  ///    training set of the others. With CreateAllPairs the rows are divided
  ///    into k = Round(100 / SplitSize) parts (at least 2, at most the rows)
  ///    and every part is paired with the rest, as for splitRows.
  /// Which rows (columns) a part takes (SelMode): selmBlocked consecutive
  /// blocks in order; selmInterleave each row in turn goes to the part that
  /// is furthest behind its share (size_j x i / count - taken_j; the lower
  /// part first on ties), so equal parts are dealt round-robin; selmRandSel
  /// the rows in the order of a random permutation (Fisher-Yates with core's
  /// Random) cut into blocks. Within a part, rows (columns) keep the table's
  /// order.
  /// File names: the template without its extension, "_" and the part
  /// number, then the extension ("data.asc" gives "data_1.asc",
  /// "data_2.asc"); pairs are "_tst<k>" and "_trn<k>", the single test and
  /// training set "_tst" and "_trn". Part numbers are padded with zeros to
  /// the width of the largest.
  /// Safety: with AllowOverWrite false the call fails with kDTSplitExists
  /// before writing anything when any target exists, and every file is
  /// created exclusively (a file appearing meanwhile also fails the call);
  /// with AllowOverWrite true each file is written under a temporary name and
  /// renamed over the target. A failure removes every file this call
  /// created. FileNames lists the files written, in order (empty on
  /// failure). Result kDTSplitOk or a negative code
  /// (DataTableSplitStatusText).
  int32_t SplitDataSet(TDataSetSplitMode SplitMode, TDataSelMode SelMode, int32_t SplitSize,
                       bool CreateAllPairs, const std::string& FNameTemplate, bool AllowOverWrite,
                       std::vector<std::string>& FileNames);
  /// The rows (columns) of each file of SplitDataSet, in the order the files
  /// are written (pairs: test, then training): DataCnts receives them and
  /// the result is the number of files; kDTSplitBadMode or kDTSplitBadSize
  /// (DataCnts empty) otherwise.
  int32_t PrepareSplitCounts(TDataSetSplitMode SplitMode, int32_t SplitSize, bool CreateAllPairs,
                             TIntArray& DataCnts) const;

 private:
  class TChangeSuppressor;
  friend class TChangeSuppressor;
  // The file routines (family k) build tables apart and swap them in.
  struct TFiles;
  friend struct TFiles;
  struct TLayout;
  using TIndexMap = std::vector<int32_t>;

  [[noreturn]] void Fail(const std::string& Text) const;
  // The table keeps its matrix in step with its own per-cell data and fires
  // its own events, so it reaches the matrix's storage without the matrix's
  // events (TMatrix names the table a friend for this).
  static void SwapMatrixStorage(TMatrix& M, TDouble2DArray& Data);
  static TDouble2DArray& MatrixStorage(TMatrix& M);
  void ConnectMatrix();
  void DisconnectMatrix();
  void MatrixResized();
  void MatrixChanged();
  bool IsCategorical(int32_t Col) const;
  void ClampColRange(int32_t& Lo, int32_t& Hi) const;
  void ClampRowRange(int32_t& Lo, int32_t& Hi) const;
  bool ValidCol(int32_t c) const { return c >= 1 && c <= FNrOfCols; }
  bool ValidRow(int32_t r) const { return r >= 1 && r <= FNrOfRows; }
  uint8_t& St(int32_t c, int32_t r) {
    return FCState[static_cast<size_t>(c - 1)][static_cast<size_t>(r - 1)];
  }
  uint8_t St(int32_t c, int32_t r) const {
    return FCState[static_cast<size_t>(c - 1)][static_cast<size_t>(r - 1)];
  }
  double Val(int32_t c, int32_t r) const { return FData->GetVal(c, r); }
  bool NumericCell(int32_t c, int32_t r) const;
  bool MarkedCell(int32_t c, int32_t r, uint8_t Mask) const;
  TLayout Remap(const TIndexMap& Cols, const TIndexMap& Rows, bool DefaultNames,
                bool WithVals) const;
  void ApplyLayout(TLayout& L);
  TDouble2DArray ValuesCopy() const;
  void Restructure(const TIndexMap& Cols, const TIndexMap& Rows, bool Names);
  int32_t RemoveSelected(bool Rows, const TBitFld& Selected, int32_t Count);
  int32_t RemoveByMarks(bool Rows, int32_t First, int32_t Last, uint8_t CSMask, bool Marked);
  void SwapColumns(int32_t c1, int32_t c2);
  void SwapRows(int32_t r1, int32_t r2);
  void FireAllChanges();
  int32_t LevelSlot(int32_t Col, const std::string& Level, bool& Added);
  template <class A>
  int32_t LineTo(bool Column, int32_t Ix, int32_t First, int32_t Last, A& Dest, int32_t DestElem,
                 bool Whole) const;
  template <class A>
  int32_t LineFrom(bool Column, int32_t Ix, int32_t First, int32_t Last, const A& Src,
                   int32_t SrcElem, bool Whole);
  template <class V>
  int32_t LineToVector(bool Column, int32_t Ix, int32_t First, int32_t Last, V* Dest,
                       int32_t DestElem, bool Whole) const;
  template <class V>
  int32_t LineFromVector(bool Column, int32_t Ix, int32_t First, int32_t Last, const V* Src,
                         int32_t SrcElem, bool Whole);
  struct TStatSample;
  template <class Pred>
  TStatSample Sample(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow, Pred In,
                     bool MatrixError) const;
  template <class Pred>
  double SumOf(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow, Pred In,
               bool Squared, int64_t& NumData) const;
  void StandardizeLines(bool Rows, bool Scale, TVector* Means, TVector* StdDevs);
  template <class Key>
  void SortHeaders(bool Rows, bool Ascending, std::vector<Key> Keys, int32_t LowCol, int32_t LowRow,
                   int32_t HighCol, int32_t HighRow);

  std::unique_ptr<TMatrix> FOwnMat;  // the matrix when owned
  TMatrix* FData = nullptr;          // the matrix in use (owned or borrowed)
  bool FExtMatAssigned = false;
  std::string FComment;
  TIntArray FRowAtt;
  TIntArray FColAtt;
  std::vector<TVTypeSpec> FVType;
  std::vector<std::vector<uint8_t>> FCState;  // [col][row]
  std::vector<std::string> FColName;
  std::vector<std::string> FRowName;
  int32_t FNrOfCols = 1;
  int32_t FNrOfRows = 1;
  bool FSortIncludeHd = false;
  int32_t FSuppress = 0;        // open bulk operations
  bool FPendingChange = false;  // a value changed while suppressed
  bool FInResize = false;       // the table itself resizes the matrix
  int32_t FSortKey = 0;         // key column (row) of a running SortRows (SortCols)
  int32_t FSortKind = 0;        // 2 while SortRows runs, 1 while SortCols runs
};

}  // namespace zel
