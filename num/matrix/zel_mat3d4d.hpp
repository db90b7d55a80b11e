/// @file
/// Zel_matrix, part 3: TMat3D and TMat4D, the three- and four-dimensional
/// matrices of doubles. Include num/matrix/zel_matrix.hpp, which gives the
/// whole unit.
///
/// Families, in the order of this header:
///   1. Status codes of the block, layer, pixel and array copies
///   2. TMat3D4DBase, what both classes share: sizes, events, fills
///   3. TMat3D: columns x rows x layers
///   4. TMat4D: columns x rows x layers x time slots, with layer and block
///      operations, resampling, addressing and the threaded per-pixel
///      reductions over layers and time slots
///   5. Unit routines on plain arrays, and the layer readers of the binary
///      file (Read4DLayer, Read4DLayerAndAccumulate)
///
/// Both classes store themselves in the binary record file and the XML form
/// described at section 1b of zel_matrix.hpp.
///
/// Conventions (those of TMatrix, with one more index per dimension):
/// - Storage: one flat std::vector<double> per matrix. TMat3D keeps the
///   order [x - 1][y - 1][z - 1] (the layer index innermost); TMat4D keeps
///   [t - 1][z - 1][y - 1][x - 1] (the column index innermost, so every row
///   of a layer is one contiguous run). GetData() shows that storage. Every
///   count and linear address is computed in 64 bits. Nested arrays
///   (TDouble2DArray, TDouble3DArray) appear only at the interface; a 2-D
///   array is [column][row] and a 3-D array [column][row][layer], all
///   0-based, as the library's arrays are.
/// - Indices are 1-based. Reading outside the matrix gives 0, writing there
///   is ignored; ranges are clamped by MakeValidColRange and its siblings
///   (both bounds 0: the whole dimension; a bound <= 0 becomes 1, one above
///   the count the count; reversed bounds are exchanged). A matrix always
///   holds at least 1 element per dimension (a new one is 1 x 1 x 1 (x 1)
///   holding 0), so "empty matrix" cases never occur.
/// - Events (all on the caller's thread, also for the threaded reductions):
///   OnChange after every operation that alters element values (SetVal per
///   element, every other operation once at its end), OnResize after every
///   change of dimensions, always after the OnChange of the same step;
///   OnPercentDone where an operation says so. A handler must not destroy
///   the matrix. OnChange and OnResize fire when an operation has done its
///   work, so a handler may change the matrix there; an operation that
///   fires OnPercentDone while it runs (CRCofData, Cut, Resample) checks
///   after each call that the matrix kept its sizes and storage, and stops
///   at once when a handler changed them (as documented per routine).
/// - Errors that abort an operation throw EZELMatrixError with
///   'Component "\<Name>": \<text>' (TComponent::ComponentMessage). Resize
///   and every operation that changes the size build the new storage first
///   and swap it in, so a failed allocation leaves the matrix as it was.
/// - Statistics accumulate in long double; variances take the mean first
///   and then the centred sum (never Sum x^2 - (Sum x)^2 / n); the sample
///   variance is exactly 1 for fewer than 3 values and exactly 0 for
///   constant data. A NaN in a range makes MinMax, MeanVar, Sum and
///   Percentile NaN.
/// - Aliasing: a copy whose source is the receiving matrix reads the source
///   completely first.
/// - Threads: only the four per-pixel reductions of TMat4D run workers. They
///   only read this matrix (which must not change meanwhile) and write
///   their own result cells; they never fire events, never call SetVal
///   and never touch ProcStat or MathFeedBackProc. Each call has its own
///   lock; every path out joins all workers. See MeanOfLayersToMatrix.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "num/matrix/zel_matrix.hpp"

namespace zel {

// ===========================================================================
// 1. Status codes
// ===========================================================================

///@{
/// Status codes of the pixel and array copies of TMat4D (CopyPixelToVector,
/// CopyPixelTo1DArray, CopyVectorToPixel, Copy1DArrayToPixel,
/// CopyTimeSlotToArray, CopyArrayToTimeSlot, CopyLayerToArray,
/// CopyArrayToLayer). -1 to -3 are the values fixed for the pixel copies;
/// the others are this library's. Mat4DCopyStatusText turns one into a
/// sentence. Nothing is written on error.
constexpr int32_t kMat4DCopyOk = 0;            ///< done
constexpr int32_t kMat4DCopyBadColumn = -1;    ///< a column index lies outside the matrix
constexpr int32_t kMat4DCopyBadRow = -2;       ///< a row index lies outside the matrix
constexpr int32_t kMat4DCopyBadTimeSlot = -3;  ///< the time slot lies outside the matrix
constexpr int32_t kMat4DCopyBadLayer = -4;     ///< a layer index lies outside the matrix
constexpr int32_t kMat4DCopyNoData =
    -5;  ///< the source is null, empty or ragged, or the destination vector is null
///@}

/// A short English sentence (no final period) for a kMat4DCopy... code;
/// "unknown copy status" for any other value. The text is static.
const char* Mat4DCopyStatusText(int32_t status);

///@{
/// Status codes of TMat4D::FillLayer(Layer, TimeSlot, Mode, par1, par2)
/// (values fixed). Mat4DFillLayerStatusText turns one into a sentence.
constexpr int32_t kMat4DFillOk = 0;            ///< done
constexpr int32_t kMat4DFillBadLayer = -1;     ///< the layer lies outside the matrix
constexpr int32_t kMat4DFillBadTimeSlot = -2;  ///< the time slot lies outside the matrix
constexpr int32_t kMat4DFillBadMode = -3;      ///< Mode is not 0, 1 or 2
///@}

/// A short English sentence (no final period) for a kMat4DFill... code;
/// "unknown fill status" for any other value. The text is static.
const char* Mat4DFillLayerStatusText(int32_t status);

///@{
/// Status codes of TMat4D::AccumulateLayer (values fixed).
/// Mat4DAccumulateStatusText turns one into a sentence.
constexpr int32_t kMat4DAccumOk = 0;  ///< done
constexpr int32_t kMat4DAccumBadArray =
    -1;  ///< the array is not NrOfColumns x NrOfRows (or is ragged)
constexpr int32_t kMat4DAccumBadLayer = -2;     ///< the layer lies outside the matrix
constexpr int32_t kMat4DAccumBadTimeSlot = -3;  ///< the time slot lies outside the matrix
///@}

/// A short English sentence (no final period) for a kMat4DAccum... code;
/// "unknown accumulation status" for any other value. The text is static.
const char* Mat4DAccumulateStatusText(int32_t status);

///@{
/// Status codes of TMat4D::MultiplyLayersByArray (values fixed).
/// Mat4DMultiplyStatusText turns one into a sentence.
constexpr int32_t kMat4DMultOk = 0;  ///< done
constexpr int32_t kMat4DMultBadArray =
    -1;  ///< the factor array is not NrOfColumns x NrOfRows (or is ragged)
constexpr int32_t kMat4DMultBadColumns = -2;    ///< a column bound lies outside the matrix
constexpr int32_t kMat4DMultBadRows = -3;       ///< a row bound lies outside the matrix
constexpr int32_t kMat4DMultBadLayers = -4;     ///< a layer bound lies outside the matrix
constexpr int32_t kMat4DMultBadTimeSlots = -5;  ///< a time-slot bound lies outside the matrix
///@}

/// A short English sentence (no final period) for a kMat4DMult... code;
/// "unknown multiplication status" for any other value. The text is static.
const char* Mat4DMultiplyStatusText(int32_t status);

///@{
/// The negative results of TMat4D::Lin3DAddr (values fixed).
/// Lin3DAddrStatusText turns one into a sentence.
constexpr int32_t kLin3DAddrOutside = -1;   ///< an index lies outside the matrix
constexpr int32_t kLin3DAddrTooLarge = -2;  ///< columns x rows x layers exceed 2^31 - 1
///@}

/// A short English sentence (no final period) for kLin3DAddrOutside or
/// kLin3DAddrTooLarge, "a valid linear address" for any value >= 0 and
/// "unknown address status" otherwise. The text is static.
const char* Lin3DAddrStatusText(int32_t status);

///@{
/// Status codes of the unit routines CopyArr3DLayerToMatrix,
/// CopyArr3DLayerToArr2D and CopyMatrixToArray (this library's values).
/// MatArrCopyStatusText turns one into a sentence. Nothing is written on
/// error.
constexpr int32_t kMatArrCopyOk = 0;         ///< done
constexpr int32_t kMatArrCopyBadArray = -1;  ///< the source array is empty or ragged
constexpr int32_t kMatArrCopyBadLayer = -2;  ///< the layer lies outside the source array
constexpr int32_t kMatArrCopyNoMatrix = -3;  ///< the matrix argument is null
///@}

/// A short English sentence (no final period) for a kMatArrCopy... code;
/// "unknown array copy status" for any other value. The text is static.
const char* MatArrCopyStatusText(int32_t status);

///@{
/// Result of TMat4D::ReadBinary (values fixed).
constexpr int32_t kMat4DReadOk = 0;        ///< every element of the range was reported
constexpr int32_t kMat4DReadBadSlot = -1;  ///< TSlotStart lies beyond the file's time slots
///@}

///@{
/// Results of TMat4D::ReadLayer (values fixed). Mat4DReadLayerStatusText
/// turns one into a sentence.
constexpr int32_t kMat4DLayerOk = 0;        ///< the layer was read
constexpr int32_t kMat4DLayerBadSlot = -1;  ///< TSlot outside the file's or the matrix's time slots
constexpr int32_t kMat4DLayerBadLayer = -2;  ///< Layer outside the file's or the matrix's layers
constexpr int32_t kMat4DLayerBadSize = -3;  ///< the file's columns or rows differ from the matrix's
constexpr int32_t kMat4DLayerIOError = -4;  ///< missing, unreadable, damaged or short file
///@}

/// A short English sentence (no final period) for a kMat4DLayer... code;
/// "unknown layer read status" for any other value. The text is static.
const char* Mat4DReadLayerStatusText(int32_t status);

///@{
/// Results of Read4DLayer (values fixed). Read4DLayerStatusText turns one
/// into a sentence.
constexpr int32_t kRead4DOk = 0;         ///< Arr holds the layer
constexpr int32_t kRead4DBadSlot = -1;   ///< TSlot outside 1..NrTimeSlots of the file
constexpr int32_t kRead4DBadLayer = -2;  ///< Layer outside 1..NrLayers of the file
constexpr int32_t kRead4DIOError = -3;   ///< missing, unreadable, damaged or short file
///@}

/// A short English sentence (no final period) for a kRead4D... code;
/// "unknown layer read status" for any other value. The text is static.
const char* Read4DLayerStatusText(int32_t status);

///@{
/// Results of Read4DLayerAndAccumulate (values fixed; -1 and -2 are the
/// other way round than for Read4DLayer). Accumulate4DLayerStatusText turns
/// one into a sentence.
constexpr int32_t kAcc4DOk = 0;         ///< the layer was added to Arr
constexpr int32_t kAcc4DBadLayer = -1;  ///< Layer outside 1..NrLayers of the file
constexpr int32_t kAcc4DBadSlot = -2;   ///< TSlot outside 1..NrTimeSlots of the file
constexpr int32_t kAcc4DBadArray = -3;  ///< Arr is not NrColumns x NrRows (or ragged)
constexpr int32_t kAcc4DIOError = -4;   ///< missing, unreadable, damaged or short file
///@}

/// A short English sentence (no final period) for a kAcc4D... code;
/// "unknown layer accumulation status" for any other value. The text is
/// static.
const char* Accumulate4DLayerStatusText(int32_t status);

// ===========================================================================
// 2. TMat3D4DBase: what TMat3D and TMat4D share
// ===========================================================================

/// TMat3D4DBase: the flat storage, sizes, events, ranges and whole-matrix
/// fills that TMat3D and TMat4D share. Use those classes; this one is not
/// created on its own. A TMat3D has one time slot.
class TMat3D4DBase : public TComponent {
 public:
  /// Fired after any change of element values (sender: the matrix).
  TNotifyEvent OnChange;
  /// Fired after a change of the dimensions, after the OnChange of the
  /// same step.
  TNotifyEvent OnResize;
  /// Progress of long operations in percent (CRCofData with a sample,
  /// Cut, Resample), fired through PercDone.
  TOnPercentDoneEvent OnPercentDone;

  ///@{
  /// Number of columns, rows and layers (properties NrOfColumns, NrOfRows,
  /// NrOfLayers), each at least 1.
  int32_t GetNrOfColumns() const { return FNumX; }
  int32_t GetNrOfRows() const { return FNumY; }
  int32_t GetNrOfLayers() const { return FNumZ; }
  ///@}

  ///@{
  /// Free identifier of the data (property DataID), stored with it in
  /// files.
  const std::string& GetDataID() const { return FDataID; }
  /// Sets the data id.
  void SetDataID(const std::string& Value) { FDataID = Value; }
  ///@}

  /// The elements in storage order (see the unit's conventions), read
  /// only. For fast loops; the view stays valid until the next size change.
  std::span<const double> GetData() const { return Mat; }
  /// The number of elements, the product of the sizes (64 bits).
  int64_t GetElemCount() const { return static_cast<int64_t>(Mat.size()); }

  ///@{
  /// Fire OnChange, OnResize and OnPercentDone (with the given sender and
  /// percentage) when a handler is assigned.
  void Changed();
  void Resized();
  void PercDone(TObject* Sender, int32_t Percent) const;
  ///@}

  ///@{
  /// Normalise a column (row, layer) range in place with the rules of
  /// TMatrix::MakeValidColRange: both 0 gives 1..count and the result false;
  /// otherwise each bound <= 0 becomes 1 and each bound above the count the
  /// count, then reversed bounds are exchanged; the result is true when
  /// anything was corrected or exchanged.
  bool MakeValidColRange(int32_t& LowCol, int32_t& HighCol) const;
  bool MakeValidRowRange(int32_t& LowRow, int32_t& HighRow) const;
  bool MakeValidLayerRange(int32_t& LowLayer, int32_t& HighLayer) const;
  ///@}

  /// Every element = Value; OnChange once.
  void Fill(double Value);
  /// The elements whose indices are all equal, (i, i, i) or (i, i, i, i)
  /// for i = 1 .. the smallest count, = Value; the others stay. OnChange
  /// once.
  void FillDiag(double Value);
  /// Element = RangeLow + u (RangeHigh - RangeLow), u = Random() of core's
  /// generator (not reseeded), drawn in storage order. OnChange once.
  void FillRandomUniform(double RangeLow, double RangeHigh);
  /// Element = g StdDev + Mean, g = GRandom() of the math unit, drawn in
  /// storage order. OnChange once.
  void FillRandomGauss(double Mean, double StdDev);
  /// The i-th element in storage order (i = 0, 1, ...) becomes
  /// Offset + i Diff, each value computed directly. OnChange once.
  void FillSerial(double Offset, double Diff);

  // -------------------------------------------------------------------------
  // XML form (layout and reader rules at section 1b of zel_matrix.hpp)
  // -------------------------------------------------------------------------

  /// The tag handler behind every XML reader, as TMatrixT::ProcessXmlTag
  /// with one more dimension: "numplanes" announces the layers (FAuxNz) and,
  /// for TMat4D, "numtimeslots" the time slots (FAuxNt); "matrix" sets all
  /// announced sizes to 0 and FirstCell. The resize on the first cell needs
  /// every announced size of the class positive (TMat3D: columns, rows,
  /// layers; TMat4D also time slots), else the matrix keeps its size; more
  /// than max(current element count, kMatXmlMaxElements) elements give
  /// kMatXmlTooLarge (-2) with nothing changed. A cell's position comes
  /// from ix, iy and iz (TMat3D) or ix, iy, il and it (TMat4D); a cell
  /// outside the matrix is dropped, each stored cell fires OnChange. Result
  /// 1 for "/matrix", -1 for xmlInvalid, 0 otherwise. Throws as Resize
  /// when the storage cannot be had.
  int32_t ProcessXmlTag(TMatXmlTag Tag, const std::string& Attributes, const std::string& Content);

  ///@{
  /// XML readers, as those of TMatrixT: the read runs on a scratch copy and
  /// is moved in on success (DataID from the element, OnChange once, then
  /// OnResize when the size changed); a failure leaves the matrix as it was
  /// and fires nothing.
  bool ReadFromXMLStream(TStream& InStream, const std::string& DataID);
  bool ReadFromOpenXMLFile(TTextFile& f, const std::string& DataID);
  bool LoadFromXMLFile(const std::string& FName, const std::string& DataID);
  ///@}
  ///@{
  /// XML writers, as those of TMatrixT; the cells follow in storage order.
  bool WriteToOpenXMLFile(TTextFile& f, bool CreateHeader, const std::string& DataID) const;
  bool WriteToXMLStream(TStream& OutStream, bool CreateHeader, const std::string& DataID) const;
  bool SaveAsXMLFile(const std::string& FName, const std::string& DataID) const;
  ///@}

 protected:
  /// The XML reader behind the three public ones.
  bool ReadXml(TMatXmlSource& Src, const std::string& DataID);
  /// The XML text of the writers.
  std::string XmlText(bool CreateHeader, const std::string& DataID) const;
  /// Moves the storage, sizes and DataID of Source in, then OnChange and
  /// (when the size changed) OnResize.
  void TakeFrom(TMat3D4DBase& Source, const std::string& DataID);

  /// A 1 x 1 x 1 x 1 matrix holding 0; ColumnInnermost selects the storage
  /// order of TMat4D (true) or TMat3D (false).
  TMat3D4DBase(TComponent* AOwner, bool ColumnInnermost);

  /// Throws EZELMatrixError with 'Component "\<Name>": \<Text>'.
  [[noreturn]] void Fail(const std::string& Text) const;
  /// Zeroed storage for Nx x Ny x Nz x Nt elements; throws 'not enough
  /// memory on heap' when a size is < 1, the count exceeds 2^58 or the
  /// allocation fails.
  std::vector<double> NewStorage(int64_t Nx, int64_t Ny, int64_t Nz, int64_t Nt) const;
  /// Moves Data in as the storage of Nx x Ny x Nz x Nt elements.
  void SwapIn(std::vector<double>& Data, int32_t Nx, int32_t Ny, int32_t Nz, int32_t Nt);
  /// Fires OnChange, then OnResize.
  void NotifySizeChange();
  /// The Resize of both classes: false for a size < 1, true without any
  /// change for equal sizes; otherwise new storage keeping the overlap,
  /// then OnChange and OnResize.
  bool ResizeTo(int32_t Nx, int32_t Ny, int32_t Nz, int32_t Nt);
  /// The rule of MakeValidColRange for a count.
  static bool MakeValidRange(int32_t& Lo, int32_t& Hi, int32_t Count);

  /// Offset of the valid 1-based element (x, y, z, t) in Mat.
  int64_t Offset(int32_t x, int32_t y, int32_t z, int32_t t) const {
    return (x - 1) * FStride[0] + (y - 1) * FStride[1] + (z - 1) * FStride[2] +
           (t - 1) * FStride[3];
  }
  /// The storage and sizes, to see whether an event handler changed them.
  struct TShape {
    const double* Data;  ///< the storage
    int32_t N[4];        ///< the sizes
    /// Equal storage and sizes.
    bool operator==(const TShape&) const = default;
  };
  /// The storage and sizes of M now.
  static TShape ShapeOf(const TMat3D4DBase& M) {
    return {M.Mat.data(), {M.FNumX, M.FNumY, M.FNumZ, M.FNumT}};
  }
  /// True when (x, y, z, t) lies inside the matrix.
  bool Inside(int32_t x, int32_t y, int32_t z, int32_t t) const {
    return x >= 1 && x <= FNumX && y >= 1 && y <= FNumY && z >= 1 && z <= FNumZ && t >= 1 &&
           t <= FNumT;
  }

  ///@{
  /// Box operations on valid 1-based inclusive bounds Lo[d]..Hi[d] for the
  /// dimensions column, row, layer, time slot (see the public members that
  /// call them).
  double BoxSum(const int32_t (&Lo)[4], const int32_t (&Hi)[4]) const;
  double BoxSquaredSum(const int32_t (&Lo)[4], const int32_t (&Hi)[4]) const;
  void BoxMinMax(const int32_t (&Lo)[4], const int32_t (&Hi)[4], double& Minimum,
                 double& Maximum) const;
  void BoxMeanVar(const int32_t (&Lo)[4], const int32_t (&Hi)[4], double& Mean,
                  double& Variance) const;
  int64_t BoxCountValues(const int32_t (&Lo)[4], const int32_t (&Hi)[4], double RangeLow,
                         double RangeHigh) const;
  void BoxFind(const int32_t (&Lo)[4], const int32_t (&Hi)[4], double Value,
               int32_t (&Ix)[4]) const;
  double BoxPercentile(double Prob, const int32_t (&Lo)[4], const int32_t (&Hi)[4],
                       int32_t SampleSize, const double* AbundantVal) const;
  std::vector<double> BoxCopy(const int32_t (&Lo)[4], const int32_t (&Hi)[4]) const;
  ///@}

  ///@{
  /// Sizes of columns, rows, layers and time slots (FNumT is 1 for TMat3D).
  int32_t FNumX = 1;
  int32_t FNumY = 1;
  int32_t FNumZ = 1;
  int32_t FNumT = 1;
  ///@}
  ///@{
  /// Sizes announced by an XML file while it is read.
  int32_t FAuxNx = 0;
  int32_t FAuxNy = 0;
  int32_t FAuxNz = 0;
  int32_t FAuxNt = 0;
  ///@}
  /// The data identifier.
  std::string FDataID;
  /// Set while an XML file is read, cleared by its first cell.
  bool FirstCell = false;
  /// Elements ProcessXmlTag may resize to (beyond the current count).
  int64_t FXmlMaxElems = kMatXmlMaxElements;
  /// True for TMat4D's order (column innermost), false for TMat3D's.
  bool FColumnInnermost;
  /// Distance in Mat between neighbours along column, row, layer, time slot.
  int64_t FStride[4] = {1, 1, 1, 1};
  /// The elements in storage order.
  std::vector<double> Mat;
};

// ===========================================================================
// 3. TMat3D: columns x rows x layers
// ===========================================================================

/// TMat3D: a three-dimensional matrix of doubles, element (x, y, z) for
/// column x, row y and layer z. Storage [x - 1][y - 1][z - 1].
class TMat3D : public TMat3D4DBase {
 public:
  ///@{
  /// 1 x 1 x 1 holding 0, an empty DataID, no handlers. Registers with
  /// AOwner, which then deletes the matrix; with a null owner the caller
  /// owns it (hold it in a std::unique_ptr).
  explicit TMat3D(TComponent* AOwner) : TMat3D4DBase(AOwner, false) {}
  std::string ClassName() const override { return "TMat3D"; }
  ///@}

  /// Reads the header record of the binary matrix file FName (section 1b of
  /// zel_matrix.hpp). False, outputs untouched, when the file does not
  /// exist; otherwise every output is set from the header and the result
  /// tells whether TMat3D accepts the file: NrLayers > 0, NrTimeSlots = 0,
  /// Format 1, NrColumns and NrRows >= 1. Throws EInOutError when the file
  /// cannot be opened or is shorter than one record ('Stream read error').
  static bool ReadBinaryHeader(const std::string& FName, int32_t& NrColumns, int32_t& NrRows,
                               int32_t& NrLayers, int32_t& NrTimeSlots, std::string& DataID,
                               int32_t& Format);
  /// Writes the matrix as a binary matrix file (NrTimeSlots 0, Format 1;
  /// the layers one after the other, each row by row, the column index
  /// innermost). True when the file was created and every write and the
  /// flush succeeded.
  bool SaveBinary(const std::string& FName) const;
  /// Loads a file that ReadBinaryHeader accepts (sizes, elements, DataID);
  /// OnChange, then OnResize when the size changed. False, matrix unchanged
  /// and no event, when the file is missing, unreadable, not acceptable,
  /// does not hold every record of its data area, or the storage cannot be
  /// had.
  bool LoadBinary(const std::string& FName);

  ///@{
  /// Resize changing one size (the others kept); n <= 0 does nothing.
  void SetNrOfColumns(int32_t n);
  void SetNrOfRows(int32_t n);
  void SetNrOfLayers(int32_t n);
  ///@}

  /// Element (ix, iy, il) (property Elem); 0 outside the matrix.
  double GetVal(int32_t ix, int32_t iy, int32_t il) const {
    return Inside(ix, iy, il, 1) ? Mat[static_cast<size_t>(Offset(ix, iy, il, 1))] : 0.0;
  }
  /// Stores Value and fires OnChange; outside the matrix nothing happens.
  void SetVal(int32_t ix, int32_t iy, int32_t il, double Value);

  /// Sets the size to Nx x Ny x Nz. A size <= 0: nothing, false. Equal
  /// sizes: nothing (no event), true. Otherwise the overlapping values are
  /// kept, new ones are 0, OnChange and OnResize fire, true. Throws
  /// EZELMatrixError 'Component "\<Name>": not enough memory on heap'
  /// (matrix unchanged) when the storage cannot be had (also beyond 2^58
  /// elements).
  bool Resize(int32_t Nx, int32_t Ny, int32_t Nz);
  /// Resize, then every element 0 (OnChange once more).
  void ResizeAndClear(int32_t Nx, int32_t Ny, int32_t Nz);

  /// Makes this matrix a copy of MatSource's sizes and elements (not its
  /// DataID or handlers), then OnChange and OnResize fire. A null source
  /// (or this matrix) does nothing.
  void Clone(const TMat3D* MatSource);

  /// The element of the range (each pair made valid) closest to Value:
  /// smallest |x - Value|, the first in column, row, layer order on ties.
  /// NaN elements are never closest; when all are NaN the range's first
  /// element is reported.
  void Find(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow, int32_t LowLayer,
            int32_t HighLayer, double Value, int32_t& ColIx, int32_t& RowIx,
            int32_t& LayerIx) const;
  /// Smallest and largest element of the range, strict comparisons from
  /// +uc_MaxReal and -uc_MaxReal; a NaN in the range makes both NaN.
  void MinMax(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow, int32_t LowLayer,
              int32_t HighLayer, double& Minimum, double& Maximum) const;
  /// Mean = Sum / n; Variance exactly 1 when n < 3, else the sample
  /// variance Sum (x - Mean)^2 / (n - 1) from the centred sum (mean first,
  /// long double), exactly 0 for constant data.
  void MeanVar(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow, int32_t LowLayer,
               int32_t HighLayer, double& Mean, double& Variance) const;
  /// Sum of the range (long double accumulation).
  double Sum(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow, int32_t LowLayer,
             int32_t HighLayer) const;
  /// Sum of the squares of the range (long double accumulation, so no
  /// square overflows).
  double SquaredSum(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                    int32_t LowLayer, int32_t HighLayer) const;
  /// Number of elements x of the range with RangeLow <= x <= RangeHigh (64
  /// bits).
  int64_t CountValues(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                      int32_t LowLayer, int32_t HighLayer, double RangeLow, double RangeHigh) const;
  /// The element of 0-based ascending rank min(Round(n Prob / 100), n - 1)
  /// of the range (Prob clamped to 0..100) by QuickSelect on a copy, as
  /// TMatrix::Percentile. NaN for a NaN Prob or a NaN in the range. Throws
  /// 'not enough memory on heap' when the copy cannot be had (also for more
  /// than 2^31 - 1 elements, which the selection cannot index).
  double Percentile(double Prob, int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                    int32_t LowLayer, int32_t HighLayer) const;
  /// With SampleSize in 1..n - 1 an estimate from a sample drawn with
  /// replacement after reseeding core's generator from the clock (for each
  /// draw a random column, row and layer of the range, in that order), with
  /// the zero rule of TMatrix::Percentile: when Prob / 100 lies strictly
  /// between the sample's share of negative values and its share of values
  /// <= 0 the result is 0. SampleSize <= 0 or >= n gives the plain form.
  /// A NaN anywhere in the range gives NaN.
  double Percentile(double Prob, int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                    int32_t LowLayer, int32_t HighLayer, int32_t SampleSize) const;

  /// Fingerprint of the elements as TMatrix::CRCofData (TDoubleFingerprint)
  /// in the order column, row, layer (the storage order): 64 hexadecimal
  /// characters.
  std::string CRCofData() const;

  /// DestMat is resized to the range (LowCol..HighCol x LowRow..HighRow,
  /// made valid) and receives layer Layer through its CopyFromArray (its
  /// events as that copy fires them). A null DestMat does nothing. Throws
  /// EZELMatrixError 'Component "\<Name>": specified layer beyond data range'
  /// (DestMat untouched) for a layer outside 1..NrOfLayers.
  void CopyLayerToMatrix(TMatrix* DestMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                         int32_t HighRow, int32_t Layer) const;
  /// Copies the range SrcLowCol..SrcHighCol x SrcLowRow..SrcHighRow of
  /// SrcMat (made valid by SrcMat) into layer Layer so that its first cell
  /// lands on (LayLowCol, LayLowRow); cells outside this matrix are dropped.
  /// OnChange once. A null SrcMat does nothing. A layer outside
  /// 1..NrOfLayers throws as CopyLayerToMatrix (nothing changed).
  void CopyMatrixToLayer(const TMatrix* SrcMat, int32_t SrcLowCol, int32_t SrcHighCol,
                         int32_t SrcLowRow, int32_t SrcHighRow, int32_t Layer, int32_t LayLowCol,
                         int32_t LayLowRow);

 private:
  friend class TMat4D;
};

// ===========================================================================
// 4. TMat4D: columns x rows x layers x time slots
// ===========================================================================

/// TMat4D: a four-dimensional matrix of doubles, element (x, y, z, t) for
/// column x, row y, layer z and time slot t; an image-like stack (a layer
/// is a columns x rows plane, a time slot a stack of layers). Storage
/// [t - 1][z - 1][y - 1][x - 1], so every row of a layer is contiguous.
class TMat4D : public TMat3D4DBase {
 public:
  ///@{
  /// 1 x 1 x 1 x 1 holding 0, an empty DataID, no handlers. Registers with
  /// AOwner, which then deletes the matrix; with a null owner the caller
  /// owns it (hold it in a std::unique_ptr).
  explicit TMat4D(TComponent* AOwner) : TMat3D4DBase(AOwner, true) {}
  std::string ClassName() const override { return "TMat4D"; }
  ///@}

  /// Fired by ReadElement (the binary reader's per-element path):
  /// column, row, layer, time slot and value.
  TOnReadMat4DElementEvent OnReadElement;

  // -------------------------------------------------------------------------
  // Binary file (layout at section 1b of zel_matrix.hpp). A time-slot range
  // TSlotStart..TSlotEnd of a file: either bound below 1 takes every time
  // slot, otherwise TSlotStart..min(TSlotEnd, NrTimeSlots of the file).
  // -------------------------------------------------------------------------

  /// As TMat3D::ReadBinaryHeader; TMat4D accepts NrLayers > 0, NrTimeSlots
  /// > 0, Format 1, NrColumns and NrRows >= 1.
  static bool ReadBinaryHeader(const std::string& FName, int32_t& NrColumns, int32_t& NrRows,
                               int32_t& NrLayers, int32_t& NrTimeSlots, std::string& DataID,
                               int32_t& Format);
  /// Writes time slots TSlotStart..TSlotEnd (made valid with
  /// MakeValidTSlotRange; both 0 for all) as a binary matrix file whose
  /// NrTimeSlots is their count. True when the file was created and every
  /// write and the flush succeeded.
  bool SaveBinary(const std::string& FName, int32_t TSlotStart, int32_t TSlotEnd) const;
  /// LoadBinaryIntern with the format check.
  bool LoadBinary(const std::string& FName, int32_t TSlotStart, int32_t TSlotEnd);
  /// LoadBinaryIntern without the format check.
  bool LoadBinaryNoFmtCheck(const std::string& FName, int32_t TSlotStart, int32_t TSlotEnd);
  /// Loads the time-slot range of the file: the matrix becomes NrColumns x
  /// NrRows x NrLayers x (slots read) with the file's DataID; OnChange, then
  /// OnResize when the size changed. With FmtCheck the file must be one
  /// that ReadBinaryHeader accepts; without it the Format field is not
  /// looked at (the elements are read as doubles) and a layer or time-slot
  /// count of 0 counts as 1, so that a TMatrix or TMat3D file loads as one
  /// time slot. False, matrix unchanged and no event, when the file is
  /// missing or unreadable, not acceptable, the range is empty or starts
  /// beyond the file's time slots, the file does not hold every record of
  /// its data area, or the storage cannot be had.
  bool LoadBinaryIntern(const std::string& FName, int32_t TSlotStart, int32_t TSlotEnd,
                        bool FmtCheck);
  /// Adds time slots TSlotStart..TSlotEnd (made valid as for SaveBinary) at
  /// the end of the existing file FName, which must be accepted by
  /// ReadBinaryHeader, hold its whole data area and have this matrix's
  /// columns, rows and layers; the header's NrTimeSlots grows by the count
  /// (written last, so a failed append leaves the old content readable).
  /// False when the file is missing, unreadable or does not fit, the count
  /// would exceed 2^31 - 1, or a write or the flush fails.
  bool AppendToBinaryFile(const std::string& FName, int32_t TSlotStart, int32_t TSlotEnd) const;

  /// Reports the elements of a time-slot range of the file through
  /// OnReadElement(this, ix, iy, il, it, Value), in file order, with it
  /// counted from 1 for the first slot read; the matrix is not changed. The
  /// header is read without the acceptance check, but its sizes must be
  /// valid (columns, rows, layers and time slots >= 1) and the file must
  /// hold every record of its data area, all checked before any event.
  /// OnPercentDone fires after every max(1, total / 100) elements with
  /// Round(count * 100 / total); with no element to read no event fires.
  /// Result 0, or -1 (kMat4DReadBadSlot, nothing read) when NrTimeSlots <
  /// TSlotStart. Throws EInOutError when the file cannot be opened ('Cannot
  /// open file ...'), its header is short or invalid or its data area is
  /// incomplete ('Stream read error', ErrorCode 100).
  int32_t ReadBinary(const std::string& FName, int32_t TSlotStart, int32_t TSlotEnd);
  /// Reads layer Layer of time slot TSlot of the file (the block at linear
  /// position ((TSlot - 1) NrLayers + Layer - 1) NrColumns NrRows) into
  /// layer Layer, time slot TSlot of the matrix. The block is read into a
  /// buffer first, with OnPercentDone every max(1, block size / 100)
  /// values, and stored only when it was read whole; then OnChange fires.
  /// The checks are made again after the last progress event, so a handler
  /// that resized the matrix gets the code of the check that now fails.
  /// Result 0, or (matrix unchanged):
  ///   -1  TSlot outside 1..NrTimeSlots of the file or of the matrix
  ///   -2  Layer outside 1..NrLayers of the file or of the matrix
  ///   -3  the file's columns or rows differ from the matrix's
  ///   -4  the file is missing, unreadable, has invalid sizes or an
  ///       incomplete data area, or a read fails (no exception)
  int32_t ReadLayer(const std::string& FName, int32_t Layer, int32_t TSlot);

  /// Number of time slots (property NrOfTimeSlots), at least 1.
  int32_t GetNrOfTimeSlots() const { return FNumT; }
  ///@{
  /// Resize changing one size (the others kept); n <= 0 does nothing.
  void SetNrOfColumns(int32_t n);
  void SetNrOfRows(int32_t n);
  void SetNrOfLayers(int32_t n);
  void SetNrOfTimeSlots(int32_t n);
  ///@}

  /// The rule of MakeValidColRange for time slots.
  bool MakeValidTSlotRange(int32_t& LowTSlot, int32_t& HighTSlot) const;

  /// Element (ix, iy, il, it) (property Elem); 0 outside the matrix.
  double GetVal(int32_t ix, int32_t iy, int32_t il, int32_t it) const {
    return Inside(ix, iy, il, it) ? Mat[static_cast<size_t>(Offset(ix, iy, il, it))] : 0.0;
  }
  /// Stores Value and fires OnChange; outside the matrix nothing happens.
  void SetVal(int32_t ix, int32_t iy, int32_t il, int32_t it, double Value);

  /// Sets the size to Nx x Ny x Nz x Nt with the rules of TMat3D::Resize
  /// (false for a size <= 0, true and no event for equal sizes, overlap
  /// kept, OnChange then OnResize; 'not enough memory on heap' with the
  /// matrix unchanged).
  bool Resize(int32_t Nx, int32_t Ny, int32_t Nz, int32_t Nt);
  /// Resize, then every element 0 (OnChange once more).
  void ResizeAndClear(int32_t Nx, int32_t Ny, int32_t Nz, int32_t Nt);

  /// Makes this matrix a copy of MatSource's sizes and elements (not its
  /// DataID or handlers), then OnChange and OnResize fire. A null source
  /// (or this matrix) does nothing.
  void Clone(const TMat4D* MatSource);
  /// From another TMat4D: sizes, DataID, elements and the four handlers;
  /// then OnChange (the copied handler) and OnResize when the size changed.
  /// Assigning a matrix to itself does nothing. Any other source throws
  /// Exception('Cannot assign \<class> to TMat4D'), as TPersistent does.
  void Assign(const TPersistent* Source) override;

  /// Fires OnReadElement(Sender, ix, iy, il, it, Value) when assigned.
  void ReadElement(TObject* Sender, int32_t ix, int32_t iy, int32_t il, int32_t it, double Value);

  // -------------------------------------------------------------------------
  // Statistics and search over a four-dimensional range (each pair made
  // valid; the rules of the TMat3D members of the same name)
  // -------------------------------------------------------------------------

  /// The element closest to Value; ties go to the first in column, row,
  /// layer, time-slot order.
  void Find(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow, int32_t LowLayer,
            int32_t HighLayer, int32_t LowTimeSlot, int32_t HighTimeSlot, double Value,
            int32_t& ColIx, int32_t& RowIx, int32_t& LayerIx, int32_t& TimeSlotIx) const;
  /// Smallest and largest element (NaN in the range: both NaN).
  void MinMax(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow, int32_t LowLayer,
              int32_t HighLayer, int32_t LowTimeSlot, int32_t HighTimeSlot, double& Minimum,
              double& Maximum) const;
  /// Mean and sample variance (exactly 1 for n < 3).
  void MeanVar(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow, int32_t LowLayer,
               int32_t HighLayer, int32_t LowTimeSlot, int32_t HighTimeSlot, double& Mean,
               double& Variance) const;
  /// Sum (long double accumulation).
  double Sum(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow, int32_t LowLayer,
             int32_t HighLayer, int32_t LowTimeSlot, int32_t HighTimeSlot) const;
  /// Sum of squares (long double accumulation).
  double SquaredSum(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                    int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot,
                    int32_t HighTimeSlot) const;
  /// Number of elements with RangeLow <= x <= RangeHigh.
  int64_t CountValues(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                      int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot,
                      int32_t HighTimeSlot, double RangeLow, double RangeHigh) const;
  /// The percentile by QuickSelect on a copy of the range.
  double Percentile(double Prob, int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                    int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot,
                    int32_t HighTimeSlot) const;
  /// The percentile from a random sample of SampleSize elements (each
  /// draw: a random column, row, layer and time slot of the range).
  double Percentile(double Prob, int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                    int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot, int32_t HighTimeSlot,
                    int32_t SampleSize) const;
  /// The same with the selection variant of QuickSelect that treats
  /// AbundantVal as abundant (its elements are counted in bulk, not
  /// copied; fast when, for example, most elements are 0). The result is
  /// the same element as without AbundantVal.
  double Percentile(double Prob, int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                    int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot, int32_t HighTimeSlot,
                    int32_t SampleSize, double AbundantVal) const;

  ///@{
  /// Fingerprint of the elements (TDoubleFingerprint, 64 hexadecimal
  /// characters) in the order column (outermost), row, layer, time slot
  /// (innermost). Only layers whose number is a multiple of Sample are
  /// included, with Sample = max(1, min(Sample, NrOfLayers div 2)), so
  /// Sample 1 (the form without argument) takes all layers. OnPercentDone
  /// (sender: this matrix) fires each time another whole percent of the
  /// column x row positions is done, so at most 100 times; when its handler
  /// changes the matrix the result is the empty string.
  std::string CRCofData() const;
  std::string CRCofData(int32_t Sample) const;
  ///@}

  // -------------------------------------------------------------------------
  // Copies between matrices
  // -------------------------------------------------------------------------

  /// DestMat is resized to the range (made valid) and receives layer Layer
  /// of time slot TimeSlot through its CopyFromArray (its events as that
  /// copy fires them). A null DestMat does nothing. Throws EZELMatrixError
  /// 'Component "\<Name>": specified layer beyond data range' or '...:
  /// specified time slot beyond data range' (layer checked first; DestMat
  /// untouched).
  void CopyLayerToMatrix(TMatrix* DestMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                         int32_t HighRow, int32_t Layer, int32_t TimeSlot) const;
  /// Copies the range of SrcMat (made valid by SrcMat) into layer Layer of
  /// time slot TimeSlot from (LayLowCol, LayLowRow) on; cells outside are
  /// dropped; OnChange once. A null SrcMat does nothing. Bad layer or time
  /// slot: the messages of CopyLayerToMatrix (nothing changed).
  void CopyMatrixToLayer(const TMatrix* SrcMat, int32_t SrcLowCol, int32_t SrcHighCol,
                         int32_t SrcLowRow, int32_t SrcHighRow, int32_t Layer, int32_t TimeSlot,
                         int32_t LayLowCol, int32_t LayLowRow);
  /// DestMat becomes the range (made valid) of time slot TimeSlot: its size
  /// is set to the range and every element stored, then it fires OnChange
  /// (and OnResize when its size changed) once. A null DestMat does
  /// nothing. Throws '...: specified time slot beyond data range' (DestMat
  /// untouched) for a bad time slot.
  void CopyTimeSlotToMat3D(TMat3D* DestMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                           int32_t HighRow, int32_t LowLay, int32_t HighLay,
                           int32_t TimeSlot) const;
  /// Copies the range of SrcMat (made valid by SrcMat) into time slot
  /// TimeSlot so that its first element lands on (DestCol, DestRow,
  /// DestLayer); elements outside this matrix are dropped; OnChange once.
  /// A null SrcMat does nothing; a bad time slot throws as
  /// CopyTimeSlotToMat3D.
  void CopyMat3DToTimeSlot(const TMat3D* SrcMat, int32_t SrcLowCol, int32_t SrcHighCol,
                           int32_t SrcLowRow, int32_t SrcHighRow, int32_t SrcLowLay,
                           int32_t SrcHighLay, int32_t TimeSlot, int32_t DestCol, int32_t DestRow,
                           int32_t DestLayer);
  /// Block copy from MatSource (which may be this matrix: the block is read
  /// first): the source ranges are made valid by MatSource, and source
  /// element (x, y, z, t) goes to (x - SrcLowCol + DestCol, ...,
  /// t - SrcLowTSlot + DestTSlot) of the made-valid bounds; elements
  /// outside this matrix are dropped. OnChange once. A null source does
  /// nothing (no event).
  void CopyFrom(const TMat4D* MatSource, int32_t SrcLowCol, int32_t SrcHighCol, int32_t SrcLowRow,
                int32_t SrcHighRow, int32_t SrcLowLayer, int32_t SrcHighLayer, int32_t SrcLowTSlot,
                int32_t SrcHighTSlot, int32_t DestCol, int32_t DestRow, int32_t DestLayer,
                int32_t DestTSlot);

  // -------------------------------------------------------------------------
  // Copies to and from arrays and vectors (status: the kMat4DCopy... codes;
  // nothing is written on error)
  // -------------------------------------------------------------------------

  /// DestArray becomes the range (made valid) of time slot TimeSlot,
  /// [column][row][layer] from 0. -3 for a bad time slot (DestArray
  /// untouched).
  int32_t CopyTimeSlotToArray(TDouble3DArray& DestArray, int32_t LowCol, int32_t HighCol,
                              int32_t LowRow, int32_t HighRow, int32_t LowLay, int32_t HighLay,
                              int32_t TimeSlot) const;
  /// Copies SrcArray ([column][row][layer] from 0) into time slot TimeSlot
  /// from element (1, 1, 1) on; what lies beyond the matrix is dropped.
  /// OnChange once. -3 for a bad time slot, -5 for an empty or ragged
  /// array.
  int32_t CopyArrayToTimeSlot(const TDouble3DArray& SrcArray, int32_t TimeSlot);
  /// DestArray becomes the range (made valid) of layer Layer of time slot
  /// TimeSlot, [column][row] from 0. -4 for a bad layer, -3 for a bad time
  /// slot (in this order).
  int32_t CopyLayerToArray(TDouble2DArray& DestArray, int32_t LowCol, int32_t HighCol,
                           int32_t LowRow, int32_t HighRow, int32_t Layer, int32_t TimeSlot) const;
  /// Copies SrcArray ([column][row] from 0) into layer Layer of time slot
  /// TimeSlot from (1, 1) on; what lies beyond is dropped. OnChange once.
  /// -4 bad layer, -3 bad time slot, -5 empty or ragged array.
  int32_t CopyArrayToLayer(const TDouble2DArray& SrcArray, int32_t Layer, int32_t TimeSlot);

  /// Dest (resized to NrOfLayers; its events fire) receives the values of
  /// pixel (ix, iy) in every layer of time slot TimeSlot. -5 null Dest,
  /// -1 bad column, -2 bad row, -3 bad time slot (checked in this order).
  int32_t CopyPixelToVector(TVector* Dest, int32_t ix, int32_t iy, int32_t TimeSlot) const;
  /// The same into an array (resized to NrOfLayers, element 0 = layer 1).
  int32_t CopyPixelTo1DArray(TDoubleArray& Dest, int32_t ix, int32_t iy, int32_t TimeSlot) const;
  /// Writes the elements of Src (1, 2, ...) to pixel (ix, iy) of time slot
  /// TimeSlot in the layers FirstLayer, FirstLayer + 1, ...; those beyond
  /// the last layer are dropped. OnChange once. -5 null (or empty) Src,
  /// -1 bad column, -2 bad row, -4 FirstLayer outside 1..NrOfLayers, -3 bad
  /// time slot (checked in this order).
  int32_t CopyVectorToPixel(const TVector* Src, int32_t ix, int32_t iy, int32_t FirstLayer,
                            int32_t TimeSlot);
  /// The same from an array (element 0 goes to FirstLayer); -5 for an
  /// empty array.
  int32_t Copy1DArrayToPixel(const TDoubleArray& Src, int32_t ix, int32_t iy, int32_t FirstLayer,
                             int32_t TimeSlot);

  // -------------------------------------------------------------------------
  // Layer and block operations
  // -------------------------------------------------------------------------

  /// Every element of layer Layer in every time slot = Value; OnChange
  /// once. A layer outside 1..NrOfLayers does nothing (no event).
  void FillLayer(int32_t Layer, double Value);
  /// Fills layer Layer of time slot TimeSlot: Mode 0 with par1, Mode 1
  /// with par1 + u (par2 - par1), u = Random() of core's generator (not
  /// reseeded), Mode 2 with g par2 + par1, g = GRandom() of the math unit,
  /// drawn row by row. OnChange once. Result: the kMat4DFill... codes, -1
  /// bad layer, -2 bad time slot, -3 bad mode (checked in this order;
  /// nothing changes on error).
  int32_t FillLayer(int32_t Layer, int32_t TimeSlot, int32_t Mode, double par1, double par2);
  /// Adds Src[x - 1][y - 1] to element (x, y) of layer Layer of time slot
  /// TimeSlot. Src must be NrOfColumns x NrOfRows and rectangular (else
  /// -1); -2 bad layer, -3 bad time slot; 0 done, OnChange once.
  int32_t AccumulateLayer(int32_t Layer, int32_t TimeSlot, const TDouble2DArray& Src);
  /// Multiplies element (x, y) of every layer and time slot of the ranges
  /// by FactorArray[x - 1][y - 1]. FactorArray must be NrOfColumns x
  /// NrOfRows and rectangular (else -1). Per dimension both bounds 0 mean
  /// the whole range, reversed bounds are exchanged, and a bound outside
  /// 1..count gives -2 (columns), -3 (rows), -4 (layers) or -5 (time slots),
  /// checked in this order. 0 done, OnChange once; nothing changes on
  /// error.
  int32_t MultiplyLayersByArray(const TDouble2DArray& FactorArray, int32_t LowCol, int32_t HighCol,
                                int32_t LowRow, int32_t HighRow, int32_t LowLayer,
                                int32_t HighLayer, int32_t LowTimeSlot, int32_t HighTimeSlot);

  /// Reduces the matrix to the block (each pair made valid), built as new
  /// storage and swapped in. OnPercentDone reports the copy per (time slot,
  /// layer) of the block; then OnChange and OnResize fire (OnResize only
  /// when the size changed). When an OnPercentDone handler changes the
  /// matrix, the cut stops and the handler's matrix stays. Throws 'not
  /// enough memory on heap' (matrix unchanged).
  void Cut(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow, int32_t LowLayer,
           int32_t HighLayer, int32_t LowTimeslot, int32_t HighTimeslot);

  /// Resamples every dimension by its divisor. A divisor < 1 in any
  /// dimension does nothing (no event). Each offset is first brought into
  /// 0..Div - 1 by a mathematical modulo (so -1 with divisor 2 is 1), and
  /// the new count is (count - offset - 1) div Div + 1 (at least 1).
  /// Average false: new element k of a dimension is old element
  /// offset + (k - 1) Div + 1, and 0 when that lies beyond the old size.
  /// Average true: the sum of the old elements of the block
  /// offset + (k - 1) Div + 1 .. offset + k Div in every dimension
  /// (positions beyond the old size skipped, long double sum) divided by
  /// the full block volume XDiv YDiv ZDiv TDiv, also at the edges, where the
  /// block is partly outside (so 5 columns with XDiv 2 give 3 columns, the
  /// last the old column 5 divided by 2). The new storage is built first;
  /// OnPercentDone reports per (time slot, layer) of the result (when its
  /// handler changes the matrix, resampling stops and the handler's matrix
  /// stays); then OnChange, and OnResize when the size changed. Throws 'not
  /// enough memory on heap' (matrix unchanged).
  void Resample(int32_t XDiv, int32_t XOffset, int32_t YDiv, int32_t YOffset, int32_t ZDiv,
                int32_t ZOffset, int32_t TDiv, int32_t TOffset, bool Average);

  /// Exchanges columns and rows in every layer and time slot (element
  /// (x, y, z, t) moves to (y, x, z, t)); OnChange and OnResize fire (also
  /// for square layers). Throws 'not enough memory on heap' (unchanged).
  void Transpose();
  ///@{
  /// Reverse the order of the columns (rows, layers, time slots); OnChange.
  void MirrorColumns();
  void MirrorRows();
  void MirrorLayers();
  void MirrorTimeSlots();
  ///@}

  // -------------------------------------------------------------------------
  // Addressing and size
  // -------------------------------------------------------------------------

  /// The linear address il - 1 + ((iy - 1) NrOfColumns + ix - 1) NrOfLayers
  /// of (ix, iy, il) in a columns x rows x layers block (layer innermost),
  /// computed in 64 bits: Lin3DAddr(1, 1, 1) is 0. -1 (kLin3DAddrOutside)
  /// for an index outside the matrix; -2 (kLin3DAddrTooLarge) when
  /// NrOfColumns NrOfRows NrOfLayers exceeds 2^31 - 1, so that an address
  /// would not fit the result.
  int32_t Lin3DAddr(int32_t ix, int32_t iy, int32_t il) const;
  /// Inverts Lin3DAddr: il = LinAddr mod NrOfLayers + 1, ix = (LinAddr div
  /// NrOfLayers) mod NrOfColumns + 1, iy = LinAddr div NrOfLayers div
  /// NrOfColumns + 1. False, with all three 0, for every address outside
  /// 0 .. NrOfColumns NrOfRows NrOfLayers - 1 (negative, the count, and
  /// beyond).
  bool ConvertLinTo3DAddr(int64_t LinAddr, int32_t& ix, int32_t& iy, int32_t& il) const;
  /// Size of the elements in MiB: NrOfColumns / 1048576 x NrOfRows x
  /// NrOfLayers x NrOfTimeSlots x 8, in floating point (1024 x 1024 x 1 x 1
  /// gives 8).
  double MemoryConsumed() const;

  // -------------------------------------------------------------------------
  // Per-pixel reductions over layers and time slots
  // -------------------------------------------------------------------------

  ///@{
  /// For every column c and row r of the ranges (each pair made valid) one
  /// value over all layers and time slots of the ranges goes to
  /// DestMat(c - LowCol + 1, r - LowRow + 1); DestMat becomes (HighCol -
  /// LowCol + 1) x (HighRow - LowRow + 1). With N = layers x time slots of
  /// the ranges:
  ///   MeanOfLayersToMatrix     Sum / N
  ///   StdDevOfLayersToMatrix   population standard deviation
  ///                            sqrt(Sum (x - mean)^2 / N), the mean first
  ///                            (two passes, long double); exactly 0 for a
  ///                            single layer and time slot and for
  ///                            constant values
  ///   MinimumOfLayersToMatrix  smallest value, starting from +uc_MaxReal
  ///   MaximumOfLayersToMatrix  largest value, starting from -uc_MaxReal
  /// Every pixel is accumulated by one thread in a fixed order (layers
  /// outer, time slots inner, sums in long double), so the result is the
  /// same bit for bit for every thread count. A NaN among a pixel's values
  /// makes its mean, standard deviation, minimum and maximum NaN.
  ///
  /// Threads: NThreads <= 0 counts as 1 and is limited to ProcessorCount();
  /// the overload without NThreads uses ProcessorCount(). The pixels are
  /// cut into blocks of up to 512 adjacent columns by a few adjacent rows
  /// (about 2048 pixels, at least 16 blocks when the range allows; the cut
  /// does not depend on the thread count), so that each block reads whole row pieces, the contiguous
  /// dimension, as long runs; the workers take the blocks from a shared
  /// counter, never more workers than blocks. With one thread the calling
  /// thread does the work. Workers only read this matrix (it must not
  /// change meanwhile) and write the result cells of their own blocks into
  /// a buffer. The calling thread adds 1 to ProcStat per block done (core's
  /// ReportProgress, which also calls MathFeedBackProc), calls
  /// MathFeedBackProc about every 10 ms while it waits and once at the end,
  /// and checks AbortMathProc before the first block and after every
  /// progress step (never clearing it): when it is set the work stops,
  /// every worker is joined, DestMat stays as it was and the result is false
  /// (also when the workers had finished). Every other way out (an
  /// exception from MathFeedBackProc, no memory) joins all workers first as
  /// well. Two reductions may run at the same time from different threads
  /// (each call has its own lock), but ProcStat and MathFeedBackProc are
  /// process-wide and then shared by both callers.
  ///
  /// On success the result, computed apart, is stored into DestMat without
  /// per-cell events; then DestMat fires OnChange once (and OnResize after
  /// it when DestMat's size changed), on the calling thread; true. False
  /// (DestMat untouched) for a null DestMat or an abort. Throws
  /// EZELMatrixError 'Component "\<Name>": not enough memory on heap'
  /// (DestMat untouched) when the result cannot be allocated. When no
  /// thread can be created the calling thread (or the workers already
  /// started) do all blocks.
  bool MeanOfLayersToMatrix(TMatrix* DestMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                            int32_t HighRow, int32_t LowLayer, int32_t HighLayer,
                            int32_t LowTimeSlot, int32_t HighTimeSlot, int32_t NThreads) const;
  bool MeanOfLayersToMatrix(TMatrix* DestMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                            int32_t HighRow, int32_t LowLayer, int32_t HighLayer,
                            int32_t LowTimeSlot, int32_t HighTimeSlot) const;
  bool StdDevOfLayersToMatrix(TMatrix* DestMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                              int32_t HighRow, int32_t LowLayer, int32_t HighLayer,
                              int32_t LowTimeSlot, int32_t HighTimeSlot, int32_t NThreads) const;
  bool StdDevOfLayersToMatrix(TMatrix* DestMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                              int32_t HighRow, int32_t LowLayer, int32_t HighLayer,
                              int32_t LowTimeSlot, int32_t HighTimeSlot) const;
  bool MinimumOfLayersToMatrix(TMatrix* DestMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                               int32_t HighRow, int32_t LowLayer, int32_t HighLayer,
                               int32_t LowTimeSlot, int32_t HighTimeSlot, int32_t NThreads) const;
  bool MinimumOfLayersToMatrix(TMatrix* DestMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                               int32_t HighRow, int32_t LowLayer, int32_t HighLayer,
                               int32_t LowTimeSlot, int32_t HighTimeSlot) const;
  bool MaximumOfLayersToMatrix(TMatrix* DestMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                               int32_t HighRow, int32_t LowLayer, int32_t HighLayer,
                               int32_t LowTimeSlot, int32_t HighTimeSlot, int32_t NThreads) const;
  bool MaximumOfLayersToMatrix(TMatrix* DestMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                               int32_t HighRow, int32_t LowLayer, int32_t HighLayer,
                               int32_t LowTimeSlot, int32_t HighTimeSlot) const;
  ///@}

 private:
  /// The four reductions: 0 mean, 1 standard deviation, 2 minimum, 3
  /// maximum.
  bool ReduceLayers(int32_t Kind, TMatrix* DestMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                    int32_t HighRow, int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot,
                    int32_t HighTimeSlot, int32_t NThreads) const;
  /// Throws 'specified layer beyond data range' or 'specified time slot
  /// beyond data range' for a bad layer (checked first) or time slot.
  void CheckLayerAndSlot(int32_t Layer, int32_t TimeSlot) const;
  /// The valid 1-based bounds of the four ranges.
  void ValidBox(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow, int32_t LowLayer,
                int32_t HighLayer, int32_t LowTimeSlot, int32_t HighTimeSlot, int32_t (&Lo)[4],
                int32_t (&Hi)[4]) const;
};

// ===========================================================================
// 5. Unit routines on plain arrays (status: the kMatArrCopy... codes)
// ===========================================================================

/// DestMat becomes LowCol..HighCol x LowRow..HighRow (1-based, each pair
/// made valid against the array with the rules of MakeValidColRange) of
/// layer Layer (1-based) of Arr ([column][row][layer] from 0): resized to
/// the range and stored through its CopyFromArray (its events as that copy
/// fires them). -1 Arr empty or ragged, -2 Layer outside the array, -3
/// DestMat null.
int32_t CopyArr3DLayerToMatrix(const TDouble3DArray& Arr, TMatrix* DestMat, int32_t LowCol,
                               int32_t HighCol, int32_t LowRow, int32_t HighRow, int32_t Layer);
/// The same into Dest ([column][row] from 0, set to the range's size).
/// -1 Arr empty or ragged, -2 Layer outside the array.
int32_t CopyArr3DLayerToArr2D(const TDouble3DArray& Arr, TDouble2DArray& Dest, int32_t LowCol,
                              int32_t HighCol, int32_t LowRow, int32_t HighRow, int32_t Layer);
/// Dest ([column][row] from 0) becomes the range (made valid by Mat) of
/// Mat. -3 for a null Mat.
int32_t CopyMatrixToArray(const TMatrix* Mat, TDouble2DArray& Dest, int32_t LowCol, int32_t HighCol,
                          int32_t LowRow, int32_t HighRow);

/// Reads layer Layer of time slot TSlot of the four-dimensional binary
/// matrix file FName into Arr, which becomes NrColumns x NrRows
/// ([column][row] from 0). The header is read without the acceptance check
/// (sizes must be >= 1 and the data area complete). Result 0, or (Arr
/// unchanged): -1 TSlot outside 1..NrTimeSlots, -2 Layer outside
/// 1..NrLayers, -3 the file is missing, unreadable or damaged, a read fails
/// or Arr cannot be allocated (no exception).
int32_t Read4DLayer(const std::string& FName, int32_t Layer, int32_t TSlot, TDouble2DArray& Arr);
/// As Read4DLayer, but adds the layer's values to Arr, which must already
/// be NrColumns x NrRows (rectangular). The layer is read whole before Arr
/// is touched. Result 0, or (Arr unchanged): -1 Layer outside 1..NrLayers,
/// -2 TSlot outside 1..NrTimeSlots, -3 Arr's sizes differ, -4 the file is
/// missing, unreadable or damaged, or a read fails.
int32_t Read4DLayerAndAccumulate(const std::string& FName, int32_t Layer, int32_t TSlot,
                                 TDouble2DArray& Arr);

}  // namespace zel
