/// @file
/// Zel_kohonen: TKohonen, a self-organising (Kohonen) map. A rectangular
/// grid of SizeX x SizeY neurons, each holding one weight per input
/// variable, is trained on the rows of a training matrix and then finds the
/// neuron nearest to a new input (T. Kohonen, Self-Organizing Maps, 3rd ed.,
/// Springer 2001, ch. 3).
///
/// Families, in the order of this header:
///   1. Status codes, the file vocabulary
///   2. TKohonen: sizes, parameters, data and weights
///   3. TKohonen: training and application
///   4. TKohonen: the XML file
///
/// Conventions of the unit:
/// - Grid positions (ix, iy), weight indices wi, vector elements and matrix
///   rows and columns count from 1. The training matrix holds one object per
///   row and one input variable per column.
/// - Units: the weights are kept in the units of the training data as given
///   to the map. After StandardizeData they are in standardised units
///   (x - mean) / stddev; GetWeight maps a weight back to data units and
///   ApplyIt standardises its input, so a caller always works in data units.
/// - Object arguments are pointers that may be null: the routine then does
///   nothing (ApplyIt reports Distance -1).
/// - Non-finite input: training looks for NaN and infinity in the training
///   data, the weights and the rate before any work and then fails with
///   kKohNonFinite; ApplyIt gives Distance NaN for a non-finite input.
/// - Squared distances never overflow or vanish: training sums them in
///   double while every data value and weight is below 2^480 in magnitude
///   and the largest is at least 2^-400 (checked before every step; what
///   underflows then lies below the rounding of the largest value), and in
///   long double otherwise; ApplyIt always sums in long double.
/// - Random numbers come from core's process-wide generator (Random());
///   after SetRandSeed the weights and so the whole training are
///   reproducible. The constructor draws the first random weights.
/// - Progress and abort: training fires OnFeedback after every step and
///   stops after the current step once AbortTraining was called (from the
///   handler or from another thread). The global AbortMathProc is not used.
/// - Events: OnFeedback is the only event. A handler may call back into the
///   map; when it changes sizes, data or weights, the training stops with
///   kKohChanged. Deleting the map inside its own handler is not allowed.
/// - Errors: setters ignore values they cannot take (stated per setter);
///   running out of memory for the weights throws EZELMatrixError
///   'Component "\<Name>": not enough memory on heap' from the matrix, for
///   anything else std::bad_alloc.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/zel_classes.hpp"
#include "core/zel_streams.hpp"
#include "core/zel_zelbase.hpp"
#include "num/matrix/zel_mat3d4d.hpp"
#include "num/matrix/zel_matrix.hpp"
#include "num/vector/zel_vector.hpp"

namespace zel {

struct TMatXmlSource;

// ===========================================================================
// 1. Status codes, the file vocabulary
// ===========================================================================

/// @name Results of Trainit and ContinueTraining
/// KohonenStatusText turns one into a sentence.
///@{
constexpr int32_t kKohOk = 0;          ///< every step was done
constexpr int32_t kKohAborted = -1;    ///< AbortTraining stopped the training after a step
constexpr int32_t kKohNonFinite = -2;  ///< data, weights or rate hold NaN or infinity
constexpr int32_t kKohChanged = -3;    ///< a handler changed sizes, data or weights
constexpr int32_t kKohBusy = -4;       ///< called from a handler while training runs
///@}

/// A short English sentence (no final period) for a kKoh... code; "unknown
/// Kohonen map status" for any other value. The text is static.
const char* KohonenStatusText(int32_t status);

/// The elements of the map's XML file (ordinals fixed). The file is
/// \code
/// <?xml version="1.0" encoding="UTF-8"?>
/// <!-- Kohonen map, ZEL Component Suite -->
/// <kohonen sig="ZELCSuite" vers="1.0" id="DataID">
/// <sizex>20</sizex> <sizey>20</sizey> <comment>text</comment>
/// <nrinsens>2</nrinsens> <maxneighb>2</maxneighb> <maxsteps>200</maxsteps>
/// <maxalpha>1</maxalpha> <curstep>200</curstep> <cyclic>FALSE</cyclic>
/// <meanstddev iw="1">mean stddev</meanstddev>        (one per input variable)
/// <cell ix="1" iy="1">w1 w2 ... wNrInSens</cell>     (one per neuron)
/// </kohonen>
/// \endcode
/// each element on a line of its own. Weights are stored as the map holds
/// them (standardised units after StandardizeData), with MeanVec and
/// StdDevVec beside them, so GetWeight gives the same values after reading.
/// Numbers are written in the shortest form that reads back exactly ("NAN",
/// "INF", "-INF" for non-finite values).
enum class TKohonenXMLTag : int32_t {
  xmlSizeX,       ///< "sizex": SizeX
  xmlSizeY,       ///< "sizey": SizeY
  xmlComment,     ///< "comment": Comment, XML-escaped
  xmlNrInsens,    ///< "nrinsens": NrOfInSens
  xmlMaxNeighb,   ///< "maxneighb": InitialNeighbors
  xmlMaxSteps,    ///< "maxsteps": NrOfTrnSteps
  xmlMaxAlpha,    ///< "maxalpha": InitialAlpha
  xmlCurStep,     ///< "curstep": the current training step
  xmlCyclic,      ///< "cyclic": TRUE or FALSE
  xmlCell,        ///< "cell": the weights of neuron (ix, iy)
  xmlMeanStdDev,  ///< "meanstddev": MeanVec[iw] and StdDevVec[iw]
  xmlEndKohonen,  ///< "/kohonen": the end of the map
  xmlInvalid      ///< any other element
};

// ===========================================================================
// 2. TKohonen: sizes, parameters, data and weights
// ===========================================================================

/// TKohonen: a self-organising map of SizeX x SizeY neurons with NrOfInSens
/// weights each, trained on a private copy of a training matrix. The map
/// owns its weight matrix, training matrix and scaling vectors.
class TKohonen : public TComponent {
 public:
  /// Progress of the training: (Sender, percent), fired after every step.
  TOnPercentDoneEvent OnFeedback;

  /// A 1 x 1 map with one input variable and one training object (0),
  /// MeanVec 0, StdDevVec 1, InitialNeighbors 2, NrOfTrnSteps 200,
  /// InitialAlpha 1.0, not cyclic, current step 1, empty Comment, and
  /// random weights (SetWeigtsToRandom, one draw of the global generator).
  /// Registers with AOwner; with a null owner the caller owns the map.
  explicit TKohonen(TComponent* AOwner);
  ~TKohonen() override;
  /// "TKohonen".
  std::string ClassName() const override { return "TKohonen"; }

  ///@{
  /// Grid size (properties SizeX, SizeY), at least 1. A value <= 0 is
  /// ignored; any other recreates the weights at the new size, all 0.
  int32_t GetSizeX() const { return FSizeX; }
  int32_t GetSizeY() const { return FSizeY; }
  void SetSizeX(int32_t Value);
  void SetSizeY(int32_t Value);
  ///@}

  ///@{
  /// Number of input variables (property NrOfInSens). SetNumInsens(n),
  /// n > 0, recreates the weights (0), the training data (n columns x
  /// NrOfTrnObj rows, 0), MeanVec (0) and StdDevVec (1); n <= 0 is ignored.
  /// SetNrOfInSens is the same.
  int32_t GetNrOfInSens() const { return FNrInSens; }
  void SetNumInsens(int32_t n);
  void SetNrOfInSens(int32_t n) { SetNumInsens(n); }
  ///@}

  /// Number of training objects, the rows of the training data.
  int32_t GetNrOfTrnObj() const { return FNrTrnObj; }

  ///@{
  /// Initial neighbourhood radius (property InitialNeighbors), default 2.
  /// Any value is taken; a radius that comes out negative counts as 0.
  int32_t GetInitialNeighbors() const { return FMaxNeighb; }
  void SetInitialNeighbors(int32_t Value) { FMaxNeighb = Value; }
  ///@}

  ///@{
  /// Number of training steps (property NrOfTrnSteps), default 200. Values
  /// below 1 are stored as 1, so the rate schedule never divides by 0.
  int32_t GetNrOfTrnSteps() const { return FMaxSteps; }
  void SetNrOfTrnSteps(int32_t Value);
  ///@}

  ///@{
  /// Initial learning rate (property InitialAlpha), default 1.0. NaN and
  /// infinity are ignored. Rates above 2 let the weights overshoot.
  double GetInitialAlpha() const { return FMaxAlpha; }
  void SetInitialAlpha(double Value);
  ///@}

  ///@{
  /// Toroidal grid (property Cyclic), default false: the neighbourhood wraps
  /// around the edges instead of being clipped.
  bool GetCyclic() const { return FCyclic; }
  void SetCyclic(bool Value) { FCyclic = Value; }
  ///@}

  ///@{
  /// Free text stored with the map (property Comment).
  const std::string& GetComment() const { return FComment; }
  void SetComment(const std::string& Value) { FComment = Value; }
  ///@}

  ///@{
  /// The training state: the step the next ContinueTraining starts with
  /// (1 after creation; NrOfTrnSteps after a full training), and the radius
  /// and rate of the last step done (0 before any).
  int32_t GetCurStep() const { return FCurStep; }
  int32_t GetCurNeighb() const { return FCurNeighb; }
  double GetCurAlpha() const { return FCurAlpha; }
  ///@}

  /// Copies Value as the training data (property TrainData): NrOfInSens
  /// becomes its column count, NrOfTrnObj its row count; the weights are
  /// recreated (0), MeanVec 0, StdDevVec 1. Null does nothing.
  void SetDataMat(const TMatrix* Value);
  /// The private copy of the training data (standardised after
  /// StandardizeData), read only.
  const TMatrix& GetDataMat() const { return *FDataMat; }

  /// Standardises the columns of the training data in place with
  /// TMatrix::StandardizeColumns and stores the column means and standard
  /// deviations in MeanVec and StdDevVec. A column of zero variance is
  /// centred as well (it becomes 0 with standard deviation 0), so training
  /// sees the same values ApplyIt computes from its input. Columns near
  /// 1e300 or 1e-300 standardise as well as columns near 1 (the matrix
  /// takes the standard deviation in long double). NaN in a column gives
  /// NaN there (and training then fails with kKohNonFinite).
  void StandardizeData();

  ///@{
  /// The scaling of the data (MeanVec, StdDevVec), NrOfInSens elements.
  const TVector& GetMeanVec() const { return *FMeanVec; }
  const TVector& GetStdDevVec() const { return *FStdDevVec; }
  ///@}

  /// Weight wi of neuron (ix, iy) in data units (property Weights):
  /// w StdDevVec[wi] + MeanVec[wi]; 0 outside the map.
  double GetWeight(int32_t ix, int32_t iy, int32_t wi) const;
  /// The weights as the map holds them (SizeX columns x SizeY rows x
  /// NrOfInSens layers), read only.
  const TMat3D& GetKohMat() const { return *FKohMat; }

  /// Every weight becomes (u - 0.5) 0.2 with u = Random() of core's global
  /// generator, drawn in the order ix, then iy, then wi (innermost).
  void SetWeigtsToRandom();

  // =========================================================================
  // 3. TKohonen: training and application
  // =========================================================================

  /// Sets the current step to 1, randomises the weights (SetWeigtsToRandom)
  /// and calls ContinueTraining: NrOfTrnSteps - 1 steps. Result as there.
  int32_t Trainit();

  /// Trains from the current step on. The abort request is cleared. Each
  /// step s: r = (NrOfTrnSteps - s) / NrOfTrnSteps clamped to [0, 1];
  /// radius R = round(r^2 (InitialNeighbors - 1) + 1) (halves to even, at
  /// least 0); rate a = r^2 InitialAlpha. For every training row x in order,
  /// the winner is the first neuron (ix ascending, then iy) with the smallest
  /// squared Euclidean distance f to x. On a plain grid the square of
  /// radius R around the winner is clipped to the grid; on a cyclic grid the
  /// radius becomes SizeX / 2 - 1 (integer halving, at least 0) when R >=
  /// SizeX / 2 (likewise in y) and indices wrap. Each neuron of the square
  /// with squared distance d moves: w += (x - w) a / (sqrt(d - f) + 1).
  /// After all rows OnFeedback(this, round(100 s / NrOfTrnSteps)) fires
  /// (clamped to 0..100) and s grows by 1; training goes on while no abort
  /// is requested and s < NrOfTrnSteps (at least one step is always done).
  /// The abort request is cleared at the end.
  /// Result: kKohOk; kKohAborted; kKohNonFinite, nothing trained, when the
  /// data, the weights or the rate are not finite, or the weights stopped
  /// being finite during a step (training stops after it); kKohChanged
  /// when the feedback handler changed sizes, data or weights; kKohBusy,
  /// nothing done, when called from the handler of a running training.
  /// CurStep, CurNeighb and CurAlpha follow the steps; the weights are
  /// stored after every step, before the feedback.
  int32_t ContinueTraining();

  /// Requests the training to stop after the current step. Thread-safe.
  void AbortTraining() { FAbort.store(true); }

  /// The neuron nearest to InData (NrOfInSens elements in data units).
  /// Each element is standardised with MeanVec and StdDevVec (only centred
  /// where the standard deviation is 0); Distance receives the smallest
  /// squared Euclidean distance to a neuron's weights and BestIx, BestIy its
  /// position (the first minimum in ix, then iy order wins). A null InData
  /// or one of another length gives Distance -1; a non-finite element, or
  /// weights that give no finite distance (NaN or infinite weights read from
  /// a file), give Distance NaN; BestIx and BestIy are then left as they
  /// are. A winner farther than the double range gives Distance +inf.
  void ApplyIt(const TVector* InData, int32_t& BestIx, int32_t& BestIy, double& Distance) const;

  // =========================================================================
  // 4. TKohonen: the XML file (format at TKohonenXMLTag)
  // =========================================================================

  ///@{
  /// Write the map as one "kohonen" element with the id DataID (escaped);
  /// CreateHeader adds the XML declaration and the comment line first.
  /// WriteToOpenXMLFile writes into a text file open for writing and leaves
  /// it open; WriteToXMLStream writes at the stream's position and flushes a
  /// file stream; SaveAsXMLFile creates FName. False when any write, flush
  /// or the creation fails.
  bool WriteToXMLStream(TStream& OutStream, bool CreateHeader, const std::string& DataID) const;
  bool WriteToOpenXMLFile(TTextFile& f, bool CreateHeader, const std::string& DataID) const;
  bool SaveAsXMLFile(const std::string& FName, const std::string& DataID) const;
  ///@}

  ///@{
  /// Read the first "kohonen" element with sig="ZELCSuite" and the id
  /// DataID (any id when DataID is empty) from the current position. Every
  /// scalar element must appear once and parse in full, sizes must be
  /// positive and announced before any cell, every cell and every
  /// meanstddev must appear exactly once inside the sizes, and the element
  /// must be closed; the sizes are checked against the input's byte count
  /// before anything is allocated. The map is read into a temporary and
  /// taken over only when all of this holds (result true): sizes,
  /// parameters, comment, current step, cyclic flag, weights and scaling;
  /// when NrOfInSens changes the training data becomes zeros as with
  /// SetNumInsens. Otherwise the result is false and the map is unchanged.
  /// LoadFromXMLFile reads the file FName (false when it cannot be read).
  bool ReadFromXMLStream(TStream& InStream, const std::string& DataID);
  bool ReadFromOpenXMLFile(TTextFile& f, const std::string& DataID);
  bool LoadFromXMLFile(const std::string& FName, const std::string& DataID);
  ///@}

 private:
  bool ReadXml(TMatXmlSource& Src, const std::string& DataID);
  std::string XmlText(bool CreateHeader, const std::string& DataID) const;
  void RecreateWeights();
  void ResetScaling();

  int32_t FSizeX = 1;
  int32_t FSizeY = 1;
  int32_t FNrInSens = 1;
  int32_t FNrTrnObj = 1;
  TMat3D* FKohMat = nullptr;
  TMatrix* FDataMat = nullptr;
  TVector* FMeanVec = nullptr;
  TVector* FStdDevVec = nullptr;
  int32_t FMaxNeighb = 2;
  int32_t FMaxSteps = 200;
  double FMaxAlpha = 1.0;
  bool FCyclic = false;
  int32_t FCurStep = 1;
  int32_t FCurNeighb = 0;
  double FCurAlpha = 0.0;
  std::atomic<bool> FAbort{false};
  std::string FComment;
  /// Grows with every change of sizes, data or weights from outside the
  /// training loop, so the loop sees what a handler did.
  uint64_t FGeneration = 0;
  bool FTraining = false;
};

}  // namespace zel
