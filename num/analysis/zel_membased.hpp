/// @file
/// Memory-based learner of the analysis unit (Zel_math2): TMemBasedLearner
/// predicts the target columns of a query from the k nearest stored
/// examples (k-nearest-neighbour prediction with a local model).
///
/// Families, in the order of this header:
///   1. Enumerations, display names, events and status codes
///   2. TMemBasedLearner: the model and its training data
///   3. Search and local models
///   4. Model files (XML and binary)
///
/// Conventions of this part of the unit:
/// - The examples live in the learner's own TDataTable (ModelData), one
///   example per row; each column's attribute holds its TMBLVarType
///   ordinal (ignored, independent or target). Columns and rows count from
///   1, the neighbour ranks of the lists from 1 as well.
/// - Sensors (queries) are std::vector<double> with one element per column
///   of the table (ordered as the columns); only the independent columns
///   enter the distance, only the target columns are written.
/// - Scaling statistics (the mean and the sample standard deviation of every
///   column over all rows, mean first in long double; the SD is exactly 1
///   for fewer than 3 rows; a NaN in the column makes both NaN) follow the
///   table: any change of it marks them stale and they are taken again,
///   once, when next needed. The neighbour lists of CalcNNOfModelData are
///   dropped with every change of the table.
/// - Neighbour lists hold at most 100 entries, ascending by distance; on
///   equal distances the earlier row comes first; a NaN distance comes after
///   every number. Empty slots hold row 0 and the largest double.
/// - Results are status codes (kMBL constants; MemBasedStatusText gives a
///   sentence); no routine throws for bad input. Out of memory gives
///   std::bad_alloc.
/// - Events fire on the caller's thread. The table's OnPercentDone is
///   forwarded to the learner's OnPercentDone.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/zel_classes.hpp"
#include "core/zel_zelbase.hpp"
#include "num/analysis/zel_math2.hpp"
#include "num/datatable/zel_datatable.hpp"

namespace zel {

// ===========================================================================
// 1. Enumerations, display names, events and status codes
// ===========================================================================

/// Role of a column (stored as the column attribute of ModelData).
enum class TMBLVarType : int32_t {
  mblVarIgnore = 0,  ///< not used
  mblVarIndep = 1,   ///< enters the distance
  mblVarTarget = 2   ///< predicted by the local model
};

/// Distance between a sensor and an example over the independent columns.
enum class TMBLDistMode : int32_t {
  mblDistEuclid = 0,      ///< square root of the sum of squared differences
  mblDistManhattan = 1,   ///< sum of absolute differences
  mblDistMahalanobis = 2  ///< computed exactly as mblDistEuclid (kept for stored models)
};

/// Scaling of the independent columns before the distance.
enum class TMBLScalingMode : int32_t {
  mblUnscaled = 0,     ///< raw values
  mblStandardized = 1  ///< (v - mean) / sqrt(variance) of the column
};

/// Local model that turns the k nearest examples into an estimate.
enum class TMBLLocalModel : int32_t {
  mblLMAverage = 0,   ///< mean of the neighbours
  mblLMWgtGauss = 1,  ///< Gaussian-weighted mean
  mblLMMajority = 2,  ///< majority vote within one column standard deviation
  mblLMRegress = 3    ///< linear regression over the neighbours
};

/// Tags of the XML model file, in the order of MBLxmlTagNames.
enum class TMBLxmlTags : int32_t {
  xmlMBLId = 0,
  xmlComment = 1,
  xmlModelName = 2,
  xmlModelData = 3,
  xmlDistMode = 4,
  xmlSclMode = 5,
  xmlLocalModel = 6,
  xmlNumNNb = 7,
  xmlInvalid = 8
};

/// Display names of TMBLDistMode: "Euclidean", "Manhattan", "Mahalanobis".
extern const std::array<const char*, 3> MBLDistModeID;
/// Display names of TMBLScalingMode: "Unscaled", "Standardized".
extern const std::array<const char*, 2> MBLScalingModeID;
/// Display names of TMBLLocalModel: "Average", "Weighted Average",
/// "Majority Vote", "Regression".
extern const std::array<const char*, 4> MBLLocalModelID;
/// Tag names of TMBLxmlTags: "membasedlearner", "comment", "modelname",
/// "modeldata", "distmode", "scaling", "locmodel", "numnnb",
/// "$invalidtag$".
extern const std::array<const char*, 9> MBLxmlTagNames;

/// Fired by ApplyModel after every call: the Tag passed to it, the rows of
/// the (up to 100) nearest examples and their distances (empty when the
/// search was not reached), and the result code as errnum.
using TOnMBLModelApplied =
    std::function<void(TObject* Sender, int32_t Tag, const TIntArray& NearNix,
                       const TDoubleArray& NearNDist, int32_t errnum)>;

///@{
/// Results of the learner (MemBasedStatusText gives the sentence).
constexpr int32_t kMBLOk = 0;                 ///< done
constexpr int32_t kMBLBadColumn = -1;         ///< the column is not part of the table
constexpr int32_t kMBLNotCategorical = -2;    ///< the column is neither nominal nor ordinal
constexpr int32_t kMBLBadLevelRange = -3;     ///< the levels do not span 2..100 values
constexpr int32_t kMBLNonPositiveLevel = -4;  ///< the smallest level is 0 or negative
constexpr int32_t kMBLTooFewExamples = -2;    ///< k is not below the number of examples
constexpr int32_t kMBLBadSensor = -3;         ///< the sensor's length is not the column count
constexpr int32_t kMBLUnderdetermined =
    -4;  ///< local regression with k not above the independent columns
constexpr int32_t kMBLFileBadHeader =
    -1;                                  ///< the file is not a learner model (or has no model data)
constexpr int32_t kMBLFileDamaged = -2;  ///< the file is missing, damaged or ends early
constexpr int32_t kMBLFileWriteFailed = -5;  ///< the file could not be created or written
///@}

/// A short English sentence (no final period) for a result of the learner;
/// Context selects the family the code came from: 0 ApplyModel, 1
/// CalcContingencyTable, 2 the model files. "unknown learner status" for
/// any other pair. The text is static.
const char* MemBasedStatusText(int32_t Context, int32_t status);

// ===========================================================================
// 2. TMemBasedLearner: the model and its training data
// ===========================================================================

/// k-nearest-neighbour learner over a table of examples.
///
/// Typical use: fill ModelData (one example per row), mark the columns
/// with SetVarType (or SetAllVars and then the targets), choose k, the
/// distance, the scaling and the local model, then call ApplyModel with a
/// sensor that holds the query's values in the independent columns.
class TMemBasedLearner : public TComponent {
 public:
  /// An empty model: a 1 x 1 table (column ignored), k = 3, mblLMAverage,
  /// mblDistEuclid, mblUnscaled, model name "undefined", empty comment.
  explicit TMemBasedLearner(TComponent* AOwner);
  /// Frees the table.
  ~TMemBasedLearner() override;
  /// "TMemBasedLearner".
  std::string ClassName() const override { return "TMemBasedLearner"; }

  /// The examples (owned; never null). Change them freely: the learner
  /// follows through the table's events (do not replace the table's OnChange,
  /// OnChangeSetup, OnChangeAttrib, OnChangeCellState, OnResize or
  /// OnPercentDone handlers).
  TDataTable* GetModelData() const { return FModelData.get(); }

  TOnPercentDoneEvent OnPercentDone;  ///< progress forwarded from ModelData
  TOnMBLModelApplied OnModelApplied;  ///< after every ApplyModel (see the type)

  ///@{
  /// Free text kept with the model (property Comment).
  const std::string& GetComment() const { return FComment; }
  void SetComment(const std::string& Value) { FComment = Value; }
  ///@}
  ///@{
  /// Name of the model (property ModelName), "undefined" by default.
  const std::string& GetModelName() const { return FModelName; }
  void SetModelName(const std::string& Value) { FModelName = Value; }
  ///@}
  ///@{
  /// Distance mode (property DistMode). A value outside the enumeration is
  /// ignored.
  TMBLDistMode GetDistMode() const { return FDistMode; }
  void SetDistMode(TMBLDistMode Value);
  ///@}
  ///@{
  /// Scaling mode (property ScalingMode). A value outside the enumeration
  /// is ignored.
  TMBLScalingMode GetScalingMode() const { return FScalingMode; }
  void SetScalingMode(TMBLScalingMode Value);
  ///@}
  ///@{
  /// Local model (property LocalModel). A value outside the enumeration is
  /// ignored.
  TMBLLocalModel GetLocalModel() const { return FLocModel; }
  void SetLocalModel(TMBLLocalModel Value);
  ///@}
  ///@{
  /// k, the number of neighbours the local model uses (property
  /// NumNearestNb, default 3). Set: limited to the number of rows, then to
  /// 100, and at least 1 (500 with 20 rows stores 20, 0 stores 1). The
  /// limit is not applied again when the table shrinks later: ApplyModel
  /// then answers kMBLTooFewExamples.
  int32_t GetNumNearestNb() const { return FNumNearestNb; }
  void SetNumNearestNb(int32_t Value);
  ///@}

  ///@{
  /// Role of column ix (property VarType): the column attribute read as a
  /// TMBLVarType. Get gives mblVarIgnore for a column outside 1..columns or
  /// an attribute outside the enumeration; Set outside the table or with a
  /// value outside the enumeration is ignored.
  TMBLVarType GetVarType(int32_t ix) const;
  void SetVarType(int32_t ix, TMBLVarType Value);
  ///@}
  /// Gives every column the role VarType (a value outside the enumeration
  /// is ignored).
  void SetAllVars(TMBLVarType VarType);
  ///@{
  /// Number of independent (target) columns.
  int32_t CountIndependentVars() const;
  int32_t CountTargetVars() const;
  ///@}

  // =========================================================================
  // 3. Search and local models
  // =========================================================================

  /// Distance between Sensor (one value per column) and row obj over the
  /// independent columns, in the current distance and scaling mode. With
  /// mblStandardized both values become (v - mean) / SD of the column
  /// first (v - mean when the SD is 0; the SD is formed in long double, so
  /// columns near 1e200 scale correctly). Euclidean distances
  /// are taken scaled, so values near 1e200 or 1e-200 neither overflow nor
  /// underflow. NaN when obj is not a row, when Sensor is shorter than the
  /// column count, or when a value used is NaN; 0 without independent
  /// columns.
  double CalcDist(const std::vector<double>& Sensor, int32_t obj);

  /// The neighbour lists of every row: the distances to all rows (itself
  /// included) with the row's own values as the sensor, the 100 smallest
  /// kept (see the unit's list order). Work O(rows^2 x columns). Fires
  /// OnPercentDone (0..100) about every 1% of the rows when set. The lists
  /// stay valid until the table changes.
  void CalcNNOfModelData();
  ///@{
  /// Row (distance) of the k-th nearest example of row obj from the last
  /// CalcNNOfModelData; -1 when k lies outside 1..100, obj outside the rows,
  /// or the lists are not (or no longer) computed. A row is its own first
  /// neighbour unless an earlier row holds the same independent values.
  int32_t GetkNNOfModelData(int32_t k, int32_t obj) const;
  double GetkNNDistOfModelData(int32_t k, int32_t obj) const;
  ///@}

  /// Neighbour contingency table of the categorical column VarIx: with a
  /// and b the rounded smallest and largest value of its valid cells and
  /// m = b - a + 1 levels, ContTab becomes (m + 1) x (m + 1) (outer index
  /// first), zeroed; then CalcNNOfModelData, and for every row with a valid
  /// value v in a..b and each of its NumNb nearest neighbours (the row
  /// itself skipped by index, so an earlier duplicate of it counts as a
  /// neighbour) with a valid value w in a..b, ContTab[v - a][w - a] += 1.
  /// ContTab[m][i] holds the sums over the first index, ContTab[i][m] over
  /// the second, ContTab[m][m] the total. NumNb is clamped to
  /// 1..min(99, rows - 1) (with one row nothing is counted).
  /// Results: kMBLOk; kMBLBadColumn (VarIx outside 0..columns; column 0
  /// then gives kMBLNotCategorical), kMBLNotCategorical, kMBLNonPositiveLevel
  /// (a <= 0), kMBLBadLevelRange (m outside 2..100, or no valid cell); on
  /// failure ContTab is emptied.
  int32_t CalcContingencyTable(int32_t VarIx, int32_t NumNb, TInt2DArray& ContTab);

  /// Predicts the target columns of Sensor (one value per column) in place
  /// from the k nearest rows, row ExcludeObj left out (0 or any number that
  /// is not a row leaves none out).
  /// The up to 100 nearest rows are found as in CalcNNOfModelData; s is the
  /// sample standard deviation of all distances computed (0 for fewer than
  /// 3). From the k nearest rows r_1..r_k with distances d_i, every target
  /// column j of Sensor becomes:
  /// - mblLMAverage: the mean of column j over the neighbours;
  /// - mblLMWgtGauss: the mean weighted by exp(-(d_i / s)^2), formed as
  ///   exp(-(d_i^2 - d_1^2) / s^2) so that far neighbours cannot underflow
  ///   every weight to 0; the plain mean when s is 0 (or NaN distances make
  ///   it NaN: then the result is NaN);
  /// - mblLMMajority: sigma = the standard deviation of the whole column; 0
  ///   gives the value of r_1, NaN (a NaN in the column) gives NaN; otherwise each neighbour counts the
  ///   neighbours (itself included) whose value differs from its own by
  ///   less than sigma, and the value of the first neighbour with the
  ///   highest count is taken;
  /// - mblLMRegress: MultiLinReg of column j on the raw independent
  ///   columns over the neighbours (intercept first), evaluated at the
  ///   sensor's raw values; rank-deficient neighbours use the minimum-norm
  ///   fit; non-finite neighbour values give NaN.
  /// A NaN among the k distances (a NaN in the sensor's or a row's
  /// independent values) makes every target NaN; the result stays kMBLOk.
  /// Work: one pass over the rows per call (O(rows x independent columns)),
  /// a second one for mblLMWgtGauss; no index is kept. Measured 0.54 ms per
  /// query on 1e5 examples in 3 dimensions (bench_membased, release build,
  /// k = 5): 2.2 times a plain loop that keeps only 5 neighbours, while the
  /// learner keeps the 100 its event reports.
  /// Agrees with scikit-learn's KNeighborsRegressor (weights='uniform') to
  /// 2e-16 relative (measured) on the data of the tests; a majority vote on well
  /// separated classes agrees with KNeighborsClassifier.
  /// Results: kMBLOk; kMBLBadSensor (Sensor's length is not the column
  /// count: Sensor filled with 0); kMBLTooFewExamples (k not below the
  /// number of rows: Sensor filled with 0); kMBLUnderdetermined (mblLMRegress
  /// with k <= the number of independent columns: the target elements
  /// become 0). OnModelApplied fires in every case, after Sensor is written.
  int32_t ApplyModel(std::vector<double>& Sensor, int32_t ExcludeObj, int32_t Tag);

  // =========================================================================
  // 4. Model files
  // =========================================================================

  /// Writes the model as an XML-like text file: the XML declaration, the
  /// element \<membasedlearner sig="ZELCSuite" vers="1.001" id="DataID">,
  /// a comment line, one line each for comment, modelname, numnnb,
  /// distmode, scaling, locmodel (display names in lower case), then
  /// modeldata holding the table's XML form with the id "MBLModel".
  /// Texts are escaped ('&' "&amp;", '<' "&lt;", '>' "&gt;", '"' "&quot;"
  /// in the id) and line breaks in them become blanks. Result kMBLOk or
  /// kMBLFileWriteFailed (file not created or a write failed).
  int32_t StoreModelXML(const std::string& FName, const std::string& DataID);
  /// Reads a file of StoreModelXML: the outer element's id attribute
  /// (quotes removed, blanks inside quotes kept, entities decoded) becomes
  /// DataId; comment and model name are decoded, with line breaks read as
  /// blanks and blanks at both ends removed; distmode, scaling and
  /// locmodel match the display names without regard to case (unknown
  /// names are ignored); numnnb is read as an integer and clamped as
  /// SetNumNearestNb does, against the loaded rows; modeldata is read by
  /// the table's XML reader. An unknown tag inside the outer element ends
  /// the reading. Everything is read apart and taken over only when the
  /// modeldata element was read: result kMBLOk; otherwise kMBLFileBadHeader
  /// (no outer element or no model data; missing file too) and the model
  /// and DataId stay as they were. The scaling statistics are taken anew.
  int32_t LoadModelXML(const std::string& FName, std::string& DataId);
  /// Writes the model as a binary file (core's TMixedFStream layout; a
  /// string record is the byte length as an integer and the text as a
  /// line): "TMemBasedLearner/Kovimex", "vers=1.001", "DataID=" + DataID,
  /// comment, model name; k, distance, scaling and local-model ordinals;
  /// the table's comment; column count, row count, 151; per column the
  /// scale type and, for a categorical column, its 151 level slots as
  /// lines; column names, row names (blanks at both ends removed); column
  /// attributes, row attributes; all values row by row as doubles; all
  /// cell states as bytes in the same order. Line breaks in the texts
  /// become blanks. Result kMBLOk or kMBLFileWriteFailed.
  int32_t StoreModelBin(const std::string& FName, const std::string& DataID);
  /// Reads a file of StoreModelBin ("vers=1.000" and "vers=1.001"): DataId =
  /// the third string with "dataid=" (any case) removed. Every count,
  /// length and enumeration ordinal is checked against the rest of the file
  /// and its range (sizes >= 1, level count 151, scale types 0..4, column
  /// roles 0..2, the three mode ordinals); names and levels are cut to
  /// their capacities by the table; a line break inside a text record reads
  /// as a blank; k is clamped as SetNumNearestNb does.
  /// Results: kMBLOk; kMBLFileBadHeader (first string wrong); kMBLFileDamaged
  /// (missing file, a failed read, a bad count or ordinal). The model and
  /// DataId change only on success; the scaling statistics are taken anew.
  int32_t LoadModelBin(const std::string& FName, std::string& DataId);

 private:
  struct TSearch;
  void ConnectTable();
  void TableChanged();
  void EnsureStats();
  // Finds up to 100 nearest rows to Sensor (skipping row Exclude); Sd gets
  // the sample SD of the distances computed.
  void Search(const std::vector<double>& Sensor, int32_t Exclude, TIntArray& Rows,
              TDoubleArray& Dists, double* Sd);
  std::vector<int32_t> ColumnsOf(TMBLVarType Type) const;
  double LocalEstimate(int32_t Col, const TIntArray& Rows, const TDoubleArray& Dists, double Sd,
                       const std::vector<double>& Sensor, int32_t K);
  void TakeOver(const TDataTable& Data, int32_t K);

  std::unique_ptr<TDataTable> FModelData;
  std::vector<double> FMean, FSd;  // per column; valid while !FStatsStale
  // The independent columns scaled for the search (table column indices
  // from 0, their offsets and divisors); valid with the statistics.
  std::unique_ptr<TMatrix> FIndep;
  std::vector<size_t> FIndepCols;
  std::vector<double> FOffset, FDivisor;
  bool FStatsStale = true;
  std::string FModelName = "undefined";
  std::string FComment;
  int32_t FNumNearestNb = 3;
  TMBLLocalModel FLocModel = TMBLLocalModel::mblLMAverage;
  TMBLDistMode FDistMode = TMBLDistMode::mblDistEuclid;
  TMBLScalingMode FScalingMode = TMBLScalingMode::mblUnscaled;
  TInt2DArray FNNList;     // [rank - 1][row - 1]; empty when stale
  TDouble2DArray FNNDist;  // likewise
};

}  // namespace zel
