/// @file
/// Zel_math2 (clustering, nearest neighbours and principal components):
/// k-means and agglomerative hierarchical clustering with a dendrogram
/// layout, k-nearest-neighbour search and estimation, representative
/// centres, covariance-type matrices of a column range, the symmetric
/// eigen-decomposition by cyclic Jacobi rotations with its process-wide
/// results, principal components, least squares by singular value
/// decomposition, the pseudo-inverse and the Mahalanobis distance.
///
/// Families, in the order of this header:
///   1. The exception class, the enumerations and the status codes
///   2. k-means clustering
///   3. Agglomerative clustering
///   4. Nearest neighbours and representative centres
///   5. Covariance, eigenvectors and principal components
///   6. Least squares by SVD, pseudo-inverse, Mahalanobis distance
///
/// The rest of the unit has its own headers, each of which includes this
/// one for the exception class: zel_curvefit.hpp (TCurveFit),
/// zel_regression.hpp (SVD, linear models, PLS, smoothing spline),
/// zel_filters.hpp (smoothing and derivative filters, kernels, Chebyshev
/// filters) and zel_polygons.hpp (polygon geometry, convex hull, great
/// circle).
///
/// Conventions of the whole unit:
/// - A data matrix (TMatrix) holds one object per row and one variable per
///   column; rows, columns and vector elements count from 1.
/// - Object arguments are pointers that may be null: a routine then does
///   nothing and gives its neutral result (0, false, a status code), as
///   stated per routine.
/// - Ranges of objects (FirstObj, LastObj) follow core's NormalizeRange over
///   1..rows: both 0 means all rows, reversed bounds are exchanged, then both
///   are clamped.
/// - Non-finite input: the iterative methods (k-means, the Jacobi
///   decomposition, the SVD and what is built on them) look for NaN and
///   infinity before any work and then fail with the result stated per
///   routine; the other routines let NaN propagate into their results.
/// - Variances and covariances take the means first (long double) and then
///   sum centred products in long double; never Sum x^2 - (Sum x)^2 / n.
/// - Progress and abort (core's globals): k-means, FindCenters, CalcCovar
///   and CalcEigVec add 1 to ProcStat and call MathFeedBackProc per step
///   (ReportProgress); k-means, AgglomClustering, CalcCovar and CalcEigVec
///   stop when they find AbortMathProc true. No routine of this unit clears
///   AbortMathProc: the application that sets it clears it before starting
///   new work. ProcStat and MathFeedBackProc belong to the calling thread.
/// - The eigen-decomposition results are one process-wide store (see
///   CalcEigVec) guarded by a mutex: concurrent callers never see torn
///   arrays, but the routines are not reentrant in meaning, since the
///   last decomposition stored is the one every caller reads.
/// - Errors that abort an operation throw EZELMath2Error with the message
///   '\<routine>: \<text>'; MahalanobisDistance throws EZELVectorError.
///   Running out of memory gives std::bad_alloc except where a message is
///   stated.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "core/zel_classes.hpp"
#include "core/zel_zelbase.hpp"
#include "num/matrix/zel_matrix.hpp"
#include "num/vector/zel_vector.hpp"

namespace zel {

// ===========================================================================
// 1. The exception class, the enumerations and the status codes
// ===========================================================================

/// Raised by the routines of this unit (MahalanobisDistance excepted).
/// Derives from EZELError, so one catch (const EZELError&) catches every
/// library error.
class EZELMath2Error : public EZELError {
 public:
  using EZELError::EZELError;
};

/// Merge rule of AgglomClustering (Lance-Williams updates; ordinals fixed).
enum class TClusterMethod : int32_t {
  cmSingleLink = 0,    ///< nearest neighbour: min(d_pk, d_qk)
  cmCompleteLink = 1,  ///< furthest neighbour: max(d_pk, d_qk)
  cmWard = 2,          ///< Ward's minimum variance (use squared Euclidean distances)
  cmAvgLink = 3,       ///< weighted average (WPGMA): (d_pk + d_qk) / 2
  cmFlexLink = 4,      ///< flexible strategy: a (d_pk + d_qk) + (1 - 2a) d_pq
  cmUpgma = 5          ///< unweighted pair group average (UPGMA)
};

/// Display names of TClusterMethod, indexed by its ordinal.
inline constexpr std::array<const char*, 6> ClusterMethodID = {
    "single linkage",  "complete linkage",  "Ward's method",
    "average linkage", "flexible strategy", "unweighted pair group"};

/// Weighting of the neighbours' targets in EstimateByKNN (ordinals fixed).
enum class TKnnWMode : int32_t {
  kwmGauss = 0,    ///< Gaussian weights exp(-(w d / MeanDist)^2)
  kwmAverage = 1,  ///< plain mean
  kwmMedian = 2,   ///< median (middle quartile)
  kwmLinear = 3,   ///< linear weights 1 - d / MeanDist / w, positive ones only
  kwmBiQuad = 4    ///< local quadratic least-squares model
};

/// User distance between rows Row1 and Row2 of the data matrix (the shape of
/// TMatrix::OnCalcDistance): the handler sets Distance.
using TCalcDistFunc = TOnCalcDistanceEvent;

/// Progress of AgglomClustering: Percentage 0..100 and the number of merges
/// done so far as Counter.
using TClusterFeedback = std::function<void(TObject* Sender, double Percentage, double Counter)>;

/// Distance of row Row of the data matrix to the pattern (FindNearestNeighbors).
using TRowDistFunc = std::function<double(int32_t Row)>;

///@{
/// Results of AgglomClustering (values 0 and -1 fixed).
/// AgglomStatusText turns one into a sentence.
constexpr int32_t kAgglomOk = 0;              ///< done
constexpr int32_t kAgglomAborted = -1;        ///< AbortMathProc was found set
constexpr int32_t kAgglomTooFewObjects = -2;  ///< fewer than two rows: nothing to merge
constexpr int32_t kAgglomNoPair = -3;         ///< no pair with a finite distance was left to merge
constexpr int32_t kAgglomNoObject = -4;       ///< Data or an output object is null
///@}

/// A short English sentence (no final period) for a result of
/// AgglomClustering; "unknown clustering status" for any other value. The
/// text is static.
const char* AgglomStatusText(int32_t status);

// ===========================================================================
// 2. k-means clustering
// ===========================================================================

/// k-means clustering (Lloyd's algorithm; S. P. Lloyd, IEEE Trans. Inf.
/// Theory 28 (1982) 129) of the rows of Data into NumClust clusters.
/// Centers is resized to (columns of Data) x NumClust (centre i is row i),
/// ClassAssign to the row count, ClusterSize to NumClust.
/// Start centres: with RandSeed > 0 core's generator is seeded with RandSeed
/// (SetRandSeed) and centre i is a copy of row Random(rows) + 1 (repetitions
/// possible); otherwise centre i is row i.
/// Iteration: ReportProgress, then every row goes to the centre with the
/// smallest squared Euclidean distance (the lower-numbered centre on a tie).
/// After the first pass, and after every pass that changed an assignment,
/// the centres become the means of their members (all zeros without
/// members) and the sizes are counted. It ends when a pass changes nothing
/// or after the 1000th pass. Assignments already in ClassAssign (from an
/// earlier call with as many rows) are the starting state.
/// Result: the within-cluster sum of squared distances (long double sum).
/// Clusters are then renumbered by decreasing size (stable: on equal sizes
/// the lower old number comes first); ClusterSize, the rows of Centers and
/// ClassAssign follow. Agrees with scipy.cluster.vq.kmeans2 (minit='matrix')
/// on the test data sets to 1e-12.
/// Abort (AbortMathProc found set at the start of a pass): result 0, the
/// outputs as they were at that moment, no renumbering.
/// Non-finite element in Data: result NaN, nothing changed.
/// Null Data, Centers, ClassAssign or ClusterSize: result 0, nothing done.
/// Throws EZELMath2Error "kMeansClustering: number of clusters is greater
/// than number of objects", "kMeansClustering: number of clusters is less
/// than 1" (nothing changed) and, after the renumbering, "kMeansClustering:
/// max. number of iterations exceeded" when the 1000th pass still changed an
/// assignment. The two integer arguments after Data have no effect.
double kMeansClustering(const TMatrix* Data, int32_t Unused1, int32_t Unused2, int32_t NumClust,
                        int32_t RandSeed, TMatrix* Centers, TIntVector* ClassAssign,
                        TIntVector* ClusterSize);

/// The same with the rows 1..NumClust as start centres and the cluster sizes
/// kept internally.
double kMeansClustering(const TMatrix* Data, int32_t Unused1, int32_t Unused2, int32_t NumClust,
                        TMatrix* Centers, TIntVector* ClassAssign);

/// Empirical number of k-means passes for a progress display:
/// max(20, round(0.18232 sqrt(a b) - 108 - 0.00092427 a - 0.00017557 a c +
/// 0.38775 sqrt(a c))), computed in double (a b cannot overflow); negative
/// products under a root give 20.
int32_t kMeansEstimatedSteps(int32_t a, int32_t b, int32_t c);

// ===========================================================================
// 3. Agglomerative clustering
// ===========================================================================

/// Agglomerative hierarchical clustering of the n rows of Data with the
/// Lance-Williams update of ClusterMethod (G. N. Lance, W. T. Williams,
/// Computer J. 9 (1967) 373), and the leaf order and positions of its
/// dendrogram.
/// Distances: Data->CalcDistMat(DistMode); while it runs, Data's
/// OnCalcDistance is OnCalcDist (restored on every path, exceptions
/// included), so dmUserDef asks OnCalcDist.
/// Outputs (resized where they differ): Heights n - 1, Positions 2n - 1,
/// Dendrogram 3 columns x (n - 1) rows. Objects are 1..n; merge i
/// (1..n - 1) forms cluster n + i: Dendrogram row i = (identifier of slot
/// p, identifier of slot q, n + i), Heights[i] = the merge distance. Each
/// step takes the active pair p < q with the smallest distance (scanning p,
/// then q, ascending; a later pair only wins when strictly smaller), and the
/// merged cluster takes slot q. Updates, with sizes n_p, n_q, n_k:
/// single min(d_pk, d_qk); complete max; Ward ((n_p + n_k) d_pk + (n_q +
/// n_k) d_qk - n_k d_pq) / (n_p + n_q + n_k); average (d_pk + d_qk) / 2;
/// flexible a (d_pk + d_qk) + (1 - 2a) d_pq with a = FlexParam clamped to
/// [0.5, 1] (NaN gives 0.5); UPGMA (n_p d_pk + n_q d_qk) / (n_p + n_q).
/// Heights agree with scipy.cluster.hierarchy.linkage (single, complete,
/// weighted, average; ward on squared Euclidean distances gives the squares
/// of scipy's heights) to 1e-12 on data with distinct distances.
/// Leaf order: the two identifiers of the last merge, each cluster replaced
/// by the second and then the first identifier of its merge until only
/// objects remain; Positions[object] = its place 1..n in that order,
/// Positions[n + i] = the mean of the positions of the two members of merge
/// i. Points 0, 1, 5 with single linkage give rows (1, 2, 4), (4, 3, 5),
/// heights 1, 4 and positions 2, 1, 3, 1.5, 2.25.
/// Feedback (may be empty) is called with (Sender, 0, 0) at the start and
/// with (Sender, 100 i / n, i - 1) before merge i; AbortMathProc is checked
/// after each call.
/// Results (kAgglom constants): 0 done; -1 aborted, -3 no pair with a
/// finite distance below the largest double left (NaN distances): in both
/// cases Heights and Positions are cleared (TVector::Clear) and Dendrogram
/// filled with 0; -2 fewer than two rows, -4 a null object: nothing
/// resized, the outputs that exist cleared the same way.
int32_t AgglomClustering(TObject* Sender, TMatrix* Data, TDistMode DistMode,
                         TClusterMethod ClusterMethod, double FlexParam, TIntMatrix* Dendrogram,
                         TVector* Heights, TVector* Positions, const TClusterFeedback& Feedback,
                         const TCalcDistFunc& OnCalcDist);

// ===========================================================================
// 4. Nearest neighbours and representative centres
// ===========================================================================

/// The K rows of Data (among FirstObj..LastObj, see the unit's range rule)
/// nearest to Pattern, written to KNNList: row i (1..K) receives the row
/// index in column 1 and the distance in column 2. KNNList needs at least 2
/// columns and K rows; it is not resized (cells outside it are dropped).
/// K is capped at 100, at the row count and at the number of rows in the
/// range; K < 1 or a null Data or KNNList does nothing.
/// Distance: CalcDist(r) when set, else the Euclidean distance between row
/// r and Pattern over the elements of Pattern (a column beyond Data reads
/// as 0), scaled so that it neither overflows nor underflows. Kept by
/// sorted insertion, ascending; on equal distances the earlier row stays
/// first, and NaN distances come after all numbers. Without CalcDist a null
/// Pattern does nothing.
void FindNearestNeighbors(int32_t K, const TMatrix* Data, int32_t FirstObj, int32_t LastObj,
                          const TVector* Pattern, TMatrix* KNNList, const TRowDistFunc& CalcDist);

/// Estimate of the target at Pattern from its K nearest rows of Data
/// (FindNearestNeighbors over all rows; K clamped to 1..min(100, rows)).
/// MeanDist = the mean of their distances; the weights use 0.001 instead
/// when that mean is 0. With d_j the distances, t_j = Target[row j] and w =
/// Width (Width <= 0 or NaN counts as 1):
/// kwmGauss weights exp(-(w d_j / MeanDist)^2); kwmAverage the plain mean;
/// kwmMedian the middle quartile (TVector::Quartiles); kwmLinear weights
/// 1 - d_j / MeanDist / w, positive ones only; kwmBiQuad a quadratic model
/// in all m columns (terms 1, x_i, x_i^2, x_i x_j for i < j) fitted to the
/// neighbours by SVDLeastSquares and evaluated at Pattern. A weighted mean
/// whose weights sum to 0 gives 0, as does a failed fit.
/// Estimate and MeanDist are 0 first; a null Data, Target or Pattern leaves
/// them so.
void EstimateByKNN(const TMatrix* Data, const TVector* Target, int32_t K, TKnnWMode WMode,
                   double Width, const TVector* Pattern, double& Estimate, double& MeanDist);

/// For every object of FirstObj..LastObj (the unit's range rule), the mean
/// Euclidean distance to its K nearest objects of that range, itself
/// included (distance 0), stored in MeanDist at the object's index. K is
/// clamped to 1..50, to the row count and to the range size. MeanDist grows
/// to LastObj elements when shorter; its other elements are kept. Sorting
/// is done by selection (QuickSelect), so the work is O(range^2). A null
/// argument does nothing.
void MeanDistanceKNN(const TMatrix* Data, int32_t K, int32_t FirstObj, int32_t LastObj,
                     TVector* MeanDist);

/// Reduces the rows FirstObj..LastObj of Data (the unit's range rule) to
/// NumCenters representatives (clamped to 1..range size), on a copy (Data is
/// not touched): each row starts with weight 1; while more rows remain,
/// ReportProgress, then the two closest rows (Euclidean distance, scaled so
/// that it cannot overflow, which orders pairs as the squared one does; the
/// first pair found in row order wins; the minimum starts at the largest
/// double)
/// are replaced by their weighted mean in the place of the first (weight =
/// the sum) and the last remaining row moves into the place of the second.
/// Centers is resized to (columns) x NumCenters and receives the remaining
/// rows. MeanDist = the mean over centres of the Euclidean distance to the
/// nearest other centre; 0 for a single centre. When NaN leaves no pair
/// with a finite distance, the merging stops early and the first
/// NumCenters rows are taken. A null Data or Centers does nothing (MeanDist
/// 0).
void FindCenters(const TMatrix* Data, int32_t FirstObj, int32_t LastObj, int32_t NumCenters,
                 TMatrix* Centers, double& MeanDist);

// ===========================================================================
// 5. Covariance, eigenvectors and principal components
// ===========================================================================

/// Covariance-type matrix of the columns LoCol..HiCol over the rows
/// LoRow..HiRow of InMat (each pair made valid by TMatrix::
/// MakeValidColRange/MakeValidRowRange, so both 0 means all). With k
/// columns and n rows, the k x k top-left part of CovMat receives, for
/// columns i, j (symmetric): Mode 0 Sum x_i x_j / (n - 1); Mode 1 the
/// covariance Sum (x_i - m_i)(x_j - m_j) / (n - 1); Mode 2 the correlation,
/// the covariance divided by sqrt(v_i v_j) (0 when either variance is 0,
/// which is what dividing its zero covariance by 1e-38 gives; |r| <= 1 and
/// exactly 1 on the diagonal); Mode 3 the square of Mode 2; Mode 4 Sum
/// (x_i - x_j)^2 / (n - 1); any other mode 0. Means first, then centred
/// sums, all in long double with the library's shared kernels (the sums of
/// the vector and matrix statistics). Mode 1 and 2 agree with numpy.cov and
/// numpy.corrcoef to 1e-14 relative on the test data. The rest of CovMat is
/// kept; CovMat fires OnChange once.
/// ReportProgress per column; AbortMathProc found set stops it with false
/// and CovMat unchanged.
/// False with nothing computed: a null matrix, CovMat smaller than k x k, or
/// fewer than 2 rows.
bool CalcCovar(const TMatrix* InMat, TMatrix* CovMat, int32_t LoCol, int32_t HiCol, int32_t LoRow,
               int32_t HiRow, int32_t Mode);

/// Within- and between-class scatter matrices of the columns LoCol..HiCol
/// over the rows LoRow..HiRow of Data (each pair made valid as in
/// CalcCovar, so both 0 means all), the rows grouped by Classes: row r of the
/// range belongs to class Classes[r - LoRow]; rows with equal numbers (any
/// values) form one class. With k columns, n rows, class means m_c over the
/// n_c rows of class c and the overall mean m:
///   Within  = Sum_c Sum_{r in c} (x_r - m_c)(x_r - m_c)^T,
///   Between = Sum_c n_c (m_c - m)(m_c - m)^T
/// (Duda, Hart and Stork, "Pattern Classification", 2nd ed., section 3.8.3),
/// so that Within + Between is the total scatter Sum_r (x_r - m)(x_r - m)^T.
/// Means first, then the centred sums in long double; a NaN element makes
/// the sums it enters NaN. Within and Between become k x k (OnChange once,
/// OnResize when the size changed). Agrees with numpy on the test data to
/// 1e-15 relative. False with nothing changed: Data, Within or Between null,
/// Within and Between the same matrix, or Classes not holding one number per
/// row of the range.
bool ClassScatterMatrices(const TMatrix* Data, int32_t LoCol, int32_t HiCol, int32_t LoRow,
                          int32_t HiRow, const TIntArray& Classes, TMatrix* Within,
                          TMatrix* Between);

/// Eigenvalues and eigenvectors of the symmetric matrix Mat by cyclic Jacobi
/// rotations (H. Rutishauser, Handbook for Automatic Computation II (1971)
/// 202): at most 100 sweeps; in the first three sweeps only elements above
/// 0.2 S / n^2 are rotated (S the sum of the absolute off-diagonal
/// elements), later all; after the fourth sweep an element is set to 0
/// without rotation when 200 times its magnitude does not change either
/// diagonal element; the iteration ends when S is 0. Only the part above
/// the diagonal (row < column) and the diagonal are read. Eigenvalues agree
/// with numpy.linalg.eigh to 1e-13 relative to the largest, eigenvectors to
/// 1e-12 (up to sign), on the test matrices.
/// On success the process-wide store holds n = Mat's size, the eigenvalues
/// (unsorted) and the unit eigenvectors (read them with GetEigenResult);
/// on any false result the store is emptied.
/// ReportProgress per sweep; AbortMathProc is checked before every row of a
/// sweep.
/// False: a null or non-square matrix, more than 10000 columns, a non-finite
/// element, no convergence in 100 sweeps, abort. Throws EZELMath2Error
/// "CalcEigVec: not enough memory" when the work arrays cannot be had.
bool CalcEigVec(const TMatrix* Mat);

/// From the process-wide store: GetEigenResult(ix, 0) is eigenvalue ix,
/// GetEigenResult(ix, iy) for iy >= 1 component iy of eigenvector ix; 0
/// outside 1..n or when nothing is stored.
double GetEigenResult(int32_t ix, int32_t iy);

/// The size n of the process-wide store (0 when empty).
int32_t GetEigenSize();

/// Empties the process-wide store.
void RemoveEigenMatrix();

/// Principal components of the columns LoCol..HiCol over the rows
/// LoRow..HiRow of InMat: CalcCovar of that range with Mode into a
/// temporary matrix, then CalcEigVec; when Normalize, every eigenvalue is
/// divided by the sum of the absolute eigenvalues (left unchanged when that
/// sum is 0); then the eigenvalues are sorted descending (selection of the
/// first maximum), each eigenvector moving with its eigenvalue, and stored
/// (one update of the store, under its lock). Mode 1 with Normalize gives
/// scikit-learn PCA's explained_variance_ratio_, and the eigenvectors its
/// components_ up to sign (checked to 1e-12).
/// False: CalcCovar fails (nothing decomposed, the store unchanged) or
/// CalcEigVec fails (the store emptied).
bool CalcPrincComp(const TMatrix* InMat, int32_t LoCol, int32_t HiCol, int32_t LoRow, int32_t HiRow,
                   int32_t Mode, bool Normalize);

/// The same with Normalize true.
bool CalcPrincComp(const TMatrix* InMat, int32_t LoCol, int32_t HiCol, int32_t LoRow, int32_t HiRow,
                   int32_t Mode);

// ===========================================================================
// 6. Least squares by SVD, pseudo-inverse, Mahalanobis distance
// ===========================================================================

/// Least-squares solution x of A x = y for the m x k design matrix A given
/// as k columns of m rows (A[col][row]), by the singular value
/// decomposition of the matrix unit (SVDecompose: Golub-Reinsch, at most 30
/// QR sweeps per singular value; m < k allowed). Singular values below
/// 1e-14 times the largest are set to 0 and NearSingular becomes true; then
/// x = V diag(1/w) U^T y and ScaleFactors[i] = sqrt(Sum_j V_ij^2 / w_j^2),
/// terms with w_j = 0 left out of both (so a zeroed direction never divides
/// by 0).
/// False, with x and ScaleFactors emptied and NearSingular false: A empty
/// or ragged, y not of length m, a non-finite element, or a singular value
/// that did not converge. Otherwise x and ScaleFactors have k elements.
bool SVDLeastSquares(const TDouble2DArray& A, const TDoubleArray& y, TDoubleArray& x,
                     TDoubleArray& ScaleFactors, bool& NearSingular);

/// Moore-Penrose pseudo-inverse of Mat (m rows, n columns) through the SVD
/// of a copy (SVDecompose): with Thresh = 0 the threshold is max(m, n) times
/// the largest singular value times 1.2e-16; singular values with |w_j| >
/// Thresh (and w_j != 0) are inverted, the others dropped. PInv is resized
/// to m columns x n rows (may be Mat itself) and fires its events once.
/// Agrees with numpy.linalg.pinv(rcond = max(m, n) 1.2e-16) to 1e-13 on the
/// test matrices, wide ones included.
/// Result: the success flag of the decomposition; false (PInv unchanged)
/// also for a null argument or a non-finite element.
bool PseudoInverse(const TMatrix* Mat, TMatrix* PInv, double Thresh);

/// Mahalanobis distance sqrt(d^T S d) with d = Vec1 - Vec2 and S =
/// InvCovMat (element (column j, row i) multiplies d_i d_j), summed in long
/// double. Agrees with scipy.spatial.distance.mahalanobis. NaN in gives NaN.
/// A null argument gives 0. Throws EZELVectorError
/// "MahalanobisDistance: dimensions of vectors do not match",
/// "MahalanobisDistance: inverse covariance matrix is not quadratric",
/// "MahalanobisDistance: dimension of vectors and inverse covariance matrix
/// do not match", and "MahalanobisDistance: the inverse covariance matrix
/// must be symmetric and positive definite" when d^T S d < 0.
double MahalanobisDistance(const TVector* Vec1, const TVector* Vec2, const TMatrix* InvCovMat);

}  // namespace zel
