/// @file
/// Zel_matrix, part 2: TIntMatrix, the matrix of 32-bit integers with a dense
/// and a sparse storage mode. Include num/matrix/zel_matrix.hpp, which gives
/// the whole unit.
///
/// Dense mode follows TMatrix operation by operation (see TMatrixT for all
/// shared routines; statistics return doubles). Integer arithmetic wraps as
/// 32-bit two's complement hardware does (Add, Subtract, SMult, SAdd, EMult
/// and the products are computed modulo 2^32); sums, means and the other
/// statistics are accumulated in long double, exact for every int32 sum of
/// up to 2^32 terms, and never overflow.
///
/// Sparse mode holds a list of (column, row, value) entries sorted by column
/// and, within a column, by row, each pair at most once, with a bounding box
/// of the stored entries. The list has a logical capacity that grows by a
/// fixed step (AllocBy); the storage below it grows geometrically, so
/// inserting n entries copies O(n) entries for growth (insertion itself
/// moves the later entries one place up). Entries are never removed by
/// SetVal, even when set to 0. In sparse mode there is no dense storage:
/// every routine of TMatrixT takes its "unallocated" path (see the unit's
/// conventions); convert with SparseToArray first. All element counts are
/// 64-bit.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "num/matrix/zel_matrix.hpp"

namespace zel {

/// One entry of the sparse list: column, row (both from 1) and value.
struct TSpMatElemInt {
  int32_t colidx;  ///< column, 1-based
  int32_t rowidx;  ///< row, 1-based
  int32_t value;   ///< the element
};

/// TIntMatrix: a matrix of 32-bit integers (counts, class maps, label
/// images) with a dense mode (as TMatrix) and a sparse mode (a sorted list
/// of entries).
class TIntMatrix : public TMatrixT<int32_t> {
 public:
  // -------------------------------------------------------------------------
  // Creation and mode
  // -------------------------------------------------------------------------

  /// Dense mode (Create): 1 x 1 holding 0, no handlers.
  explicit TIntMatrix(TComponent* AOwner) : TMatrixT<int32_t>(AOwner) {}
  /// Sparse mode (CreateSparse): AllocBy below 1 counts as 1; the list's
  /// capacity is AllocBy slots, it holds no entries; the bounding box is
  /// empty (low bounds 2^31 - 1, high bounds 1); NrOfColumns and NrOfRows
  /// are 0.
  TIntMatrix(TComponent* AOwner, int32_t AllocBy);
  std::string ClassName() const override { return "TIntMatrix"; }

  /// True in sparse mode.
  bool IsSparse() const { return FIsSparse; }
  /// Number of entries of the sparse list (0 in dense mode).
  int64_t GetSparseNumElem() const { return FSparseNumElem; }
  /// Logical capacity of the sparse list (0 in dense mode): it grows by
  /// GetAllocBy() whenever an entry is inserted into a full list.
  int64_t GetNumAllocated() const { return FNumAllocated; }
  /// Growth step of the sparse list (at least 1; 0 in dense mode).
  int32_t GetAllocBy() const { return FAllocBy; }
  ///@{
  /// Bounding box of the sparse entries: the smallest and largest column
  /// and row written. Empty: low bounds 2^31 - 1, high bounds 1. Sparse
  /// Resize cuts the high bounds to the new sizes (and the low ones to the
  /// high ones), so after a Resize the box may be wider than the entries.
  int32_t GetSparseLowCol() const { return FSparseLowCol; }
  int32_t GetSparseHighCol() const { return FSparseHighCol; }
  int32_t GetSparseLowRow() const { return FSparseLowRow; }
  int32_t GetSparseHighRow() const { return FSparseHighRow; }
  ///@}
  /// The sparse entries in their sorted order (empty in dense mode); valid
  /// until the next change of the matrix.
  std::span<const TSpMatElemInt> GetSparseEntries() const { return SpMat; }

  /// Switches a dense matrix to sparse mode: every non-zero element becomes
  /// an entry (column by column, row by row, so the list is sorted), the
  /// bounding box follows the entries, the capacity is the smallest
  /// multiple of AllocBy (below 1 counts as 1) that holds them (at least
  /// AllocBy), and the dense storage is released. NrOfColumns and NrOfRows
  /// keep their values. OnResize fires. Nothing happens in sparse mode.
  /// Throws EZELMatrixError 'Component "\<Name>": not enough memory on
  /// heap' (matrix unchanged) when the list cannot be allocated.
  void ArrayToSparse(int32_t AllocBy);
  /// Switches back to dense mode: the dense storage gets max(NrOfColumns,
  /// high column bound) x max(NrOfRows, high row bound) zeros, at least
  /// 1 x 1 (so the sizes never shrink and an entry is never lost), every
  /// entry is written into it, the list is released and NrOfColumns /
  /// NrOfRows become those sizes. OnResize fires. Nothing happens in dense
  /// mode. Throws EZELMatrixError 'Component "\<Name>": not enough memory
  /// on heap' and stays in sparse mode with everything unchanged when the
  /// dense storage cannot be had: more elements than the address space
  /// holds, more bytes than the machine's physical memory, or a failed
  /// allocation.
  void SparseToArray();

  // -------------------------------------------------------------------------
  // Element access and size (both modes)
  // -------------------------------------------------------------------------

  /// Element (Nc, Nr) (property Elem). Dense mode: as TMatrixT::GetVal.
  /// Sparse mode: 0 outside the bounding box, otherwise the value of the
  /// entry found by binary search over (column, row), 0 when absent.
  int32_t GetVal(int32_t Nc, int32_t Nr) const;
  /// Stores Value at (Nc, Nr). Dense mode: as TMatrixT::SetVal. Sparse mode:
  /// any Nc, Nr >= 1 (others are ignored, no event): an existing entry takes
  /// the new value (also 0: entries are never removed); otherwise, when the
  /// list is full its capacity grows by AllocBy, the entry is inserted at
  /// its sorted position (later entries move one place up), the bounding
  /// box widens, and NrOfColumns / NrOfRows become at least the high bounds
  /// (they never shrink). OnChange fires in both cases. Throws
  /// EZELMatrixError 'Component "\<Name>": not enough memory on heap'
  /// (nothing changed) when the list cannot grow.
  void SetVal(int32_t Nc, int32_t Nr, int32_t Value);

  /// Dense mode: as TMatrixT::Resize, except that OnResize fires before
  /// OnChange. Sparse mode: either size <= 0 does nothing (false); otherwise
  /// the sizes are set, the high bounds of the bounding box are cut to them
  /// (and the low bounds to the high ones), entries outside the new sizes
  /// are dropped keeping the order of the rest, and no event fires (true).
  bool Resize(int32_t Nc, int32_t Nr);
  /// Resize, then (dense mode) every element 0 with one more OnChange; in
  /// sparse mode only the Resize.
  void ResizeAndClear(int32_t Nc, int32_t Nr);
  /// Resize(n, NrOfRows) for n > 0 (property NrOfColumns).
  void SetNrOfColumns(int32_t n);
  /// Resize(NrOfColumns, n) for n > 0 (property NrOfRows).
  void SetNrOfRows(int32_t n);

  /// Makes this matrix a copy of MatSource. Nothing happens when MatSource
  /// is null or the two are in different modes. Dense: as TMatrixT::Clone.
  /// Sparse: copies the sizes, the capacity, the growth step, the bounding
  /// box and all entries, then OnChange and OnResize fire. MatSource may be
  /// this matrix.
  void Clone(const TIntMatrix* MatSource);

  /// Dense mode: as TMatrixT::Transpose. Sparse mode: the column and row of
  /// every entry are exchanged, the bounding box is mirrored, NrOfColumns and
  /// NrOfRows are exchanged, and the list is sorted again by (column, row)
  /// with a comb sort (gap factor 1.3); OnChange and OnResize fire.
  void Transpose();

  // -------------------------------------------------------------------------
  // Counting
  // -------------------------------------------------------------------------

  /// Number of elements x of the range (both column bounds first; made
  /// valid) with (x and Bitmask) = 0: Bitmask 1 counts the even elements.
  /// 0 in sparse mode. Saturated to the 32-bit range.
  int32_t CountMaskedZeros(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                           int32_t Bitmask) const;

  // -------------------------------------------------------------------------
  // Arithmetic (dense mode; modulo 2^32). False means a null argument,
  // mismatching sizes or an operand in sparse mode, and then nothing changes
  // (no event).
  // -------------------------------------------------------------------------

  ///@{
  /// this += MatB (this -= MatB) element by element; sizes must be equal;
  /// MatB may be this. OnChange once.
  bool Add(const TIntMatrix* MatB);
  bool Subtract(const TIntMatrix* MatB);
  ///@}
  ///@{
  /// Every element times (plus) Scalar; OnChange once; nothing in sparse
  /// mode.
  void SMult(int32_t Scalar);
  void SAdd(int32_t Scalar);
  ///@}

  // Products. MatRes (VecRes) receives the result cell by cell as TMatrix's
  // products do (Resize with its events, one OnChange per cell when a
  // handler is set, one OnChange at the end); any operand may be MatRes
  // (VecRes). False also when MatRes is in sparse mode or a handler resizes
  // MatRes (VecRes) while the result is stored. Every cell is the sum of
  // its products modulo 2^32, so the result does not depend on the order
  // of the terms.

  /// MatRes (sized like this matrix) = this .* MatB element by element.
  bool EMult(const TIntMatrix* MatB, TIntMatrix* MatRes) const;
  /// MatRes = this x MatB: requires NrOfColumns = MatB's rows; MatRes gets
  /// MatB's columns x this's rows, cell (c, r) = Sum_k this(k, r) MatB(c, k).
  bool Multiply(const TIntMatrix* MatB, TIntMatrix* MatRes) const;
  /// VecRes = this x VecB: VecB must have NrOfColumns elements; VecRes gets
  /// NrOfRows elements.
  bool Multiply(const TIntVector* VecB, TIntVector* VecRes) const;
  /// MatRes = this x MatB^T: requires equal column counts; MatRes gets MatB's
  /// rows x this's rows.
  bool MultiplyTransposed(const TIntMatrix* MatB, TIntMatrix* MatRes) const;
  /// MatRes = this^T x MatB: requires equal row counts; MatRes gets MatB's
  /// columns x this's columns.
  bool TransposeAndMultiply(const TIntMatrix* MatB, TIntMatrix* MatRes) const;
  /// VecRes = this^T x VecB: VecB must have NrOfRows elements; VecRes gets
  /// NrOfColumns elements.
  bool TransposeAndMultiply(const TIntVector* VecB, TIntVector* VecRes) const;

  // -------------------------------------------------------------------------
  // Text and sparse files (the binary, XML and stream forms are those of
  // TMatrixT and need dense mode)
  // -------------------------------------------------------------------------

  /// Text format as TMatrix::StoreOnFile with plain decimal integers. False
  /// in sparse mode.
  bool StoreOnFile(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                   const std::string& FileName) const;
  ///@{
  /// ASC format as TMatrix::ExportAsASC with plain decimal integers and the
  /// default comment "Exported by ZEL TIntMatrix component: " and FName.
  /// -1 in sparse mode.
  int32_t ExportAsASC(const std::string& FName, const std::string& Comment) const;
  int32_t ExportAsASC(const std::string& FName, const std::string& Comment,
                      const TStr2DArray& CustData) const;
  ///@}

  /// Writes the sparse form: little-endian int32 NrOfColumns and NrOfRows,
  /// int64 N, then N entries of three int32 (column, row, value) sorted by
  /// column, then row. Sparse mode writes its entries (explicit zeros
  /// included), dense mode its non-zero elements; the matrix is not
  /// changed. True when the file was created and every write and the flush
  /// succeeded.
  bool StoreSparseMat(const std::string& FileName) const;
  /// Reads the sparse form: the matrix switches to sparse mode (growth step
  /// kept when it was sparse, else 1) with the file's sizes and entries,
  /// then OnResize fires. False, matrix unchanged and no event, when the
  /// file is missing or unreadable, a size is below 0, N is negative or the
  /// entries do not fit into the file, an entry lies outside the sizes, the
  /// entries are not strictly sorted, or bytes follow them.
  bool LoadSparseMat(const std::string& FileName);

 private:
  /// The position of (Nc, Nr) in the list, or where it belongs.
  size_t LowerBound(int32_t Nc, int32_t Nr) const;
  /// Empty list and bounding box, NrOfColumns = NrOfRows = 0.
  void ClearSparse();
  /// Switches to sparse mode with Entries (sorted by (column, row), each
  /// inside Cols x Rows; taken over, Entries is left empty), growth step
  /// AllocBy >= 1 and the bounding box of the entries, then fires OnResize.
  void AdoptSparse(std::vector<TSpMatElemInt>& Entries, int32_t AllocBy, int32_t Cols,
                   int32_t Rows);

  bool FIsSparse = false;
  int64_t FNumAllocated = 0;
  int32_t FAllocBy = 0;
  int64_t FSparseNumElem = 0;
  ///@{
  /// The bounding box of the entries.
  int32_t FSparseLowCol = 0;
  int32_t FSparseHighCol = 0;
  int32_t FSparseLowRow = 0;
  int32_t FSparseHighRow = 0;
  ///@}
  /// The entries, sorted by (column, row); size() = FSparseNumElem.
  std::vector<TSpMatElemInt> SpMat;
};

}  // namespace zel
