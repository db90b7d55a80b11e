// TIntMatrix: the sparse mode, the mode switches, and the integer
// arithmetic that TMatrix computes in doubles.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#if defined(__unix__)
#include <unistd.h>
#endif

#include "core/zel_system.hpp"
#include "core/zel_zelbase.hpp"
#include "num/matrix/matrix_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {

namespace {

constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();

bool KeyLess(const TSpMatElemInt& e, int32_t Nc, int32_t Nr) {
  return e.colidx < Nc || (e.colidx == Nc && e.rowidx < Nr);
}

bool KeyGreater(const TSpMatElemInt& a, const TSpMatElemInt& b) {
  return a.colidx > b.colidx || (a.colidx == b.colidx && a.rowidx > b.rowidx);
}

// Bytes of physical memory, or the largest value where it cannot be told:
// a dense array larger than the machine is refused before it is tried (an
// over-committing system would otherwise hand out pages it cannot back).
int64_t PhysicalMemoryBytes() {
#if defined(__unix__) && defined(_SC_PHYS_PAGES) && defined(_SC_PAGESIZE)
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages > 0 && pageSize > 0 && pages <= std::numeric_limits<int64_t>::max() / pageSize)
    return static_cast<int64_t>(pages) * pageSize;
#endif
  return std::numeric_limits<int64_t>::max();
}

// The comb sort of the row and column sorts (gap factor 1.3) over the
// (column, row) keys of the entries; the keys are distinct.
void CombSortEntries(std::vector<TSpMatElemInt>& a) {
  if (a.size() < 2) return;
  auto gap = static_cast<int64_t>(a.size() - 1);
  bool exchanged = false;
  do {
    gap = std::max<int64_t>(1, static_cast<int64_t>(Trunc(static_cast<double>(gap) / 1.3)));
    exchanged = false;
    for (size_t i = 0; i + static_cast<size_t>(gap) < a.size(); ++i) {
      if (KeyGreater(a[i], a[i + static_cast<size_t>(gap)])) {
        std::swap(a[i], a[i + static_cast<size_t>(gap)]);
        exchanged = true;
      }
    }
  } while (gap > 1 || exchanged);
}

}  // namespace

// ---------------------------------------------------------------------------
// Creation and mode
// ---------------------------------------------------------------------------

TIntMatrix::TIntMatrix(TComponent* AOwner, int32_t AllocBy) : TMatrixT<int32_t>(AOwner) {
  Mat.clear();
  Mat.shrink_to_fit();
  FIsSparse = true;
  FAllocBy = std::max(1, AllocBy);
  FNumAllocated = FAllocBy;
  ClearSparse();
}

void TIntMatrix::ClearSparse() {
  SpMat.clear();
  FSparseNumElem = 0;
  FSparseLowCol = kInt32Max;
  FSparseLowRow = kInt32Max;
  FSparseHighCol = 1;
  FSparseHighRow = 1;
  FNCol = 0;
  FNRow = 0;
}

void TIntMatrix::AdoptSparse(std::vector<TSpMatElemInt>& Entries, int32_t AllocBy, int32_t Cols,
                             int32_t Rows) {
  int32_t lowCol = kInt32Max, highCol = 1, lowRow = kInt32Max, highRow = 1;
  for (const TSpMatElemInt& e : Entries) {
    lowCol = std::min(lowCol, e.colidx);
    highCol = std::max(highCol, e.colidx);
    lowRow = std::min(lowRow, e.rowidx);
    highRow = std::max(highRow, e.rowidx);
  }
  const auto n = static_cast<int64_t>(Entries.size());
  T2DArray().swap(Mat);
  FIsSparse = true;
  FAllocBy = AllocBy;
  FNumAllocated = std::max<int64_t>(1, (n + AllocBy - 1) / AllocBy) * AllocBy;
  ClearSparse();
  SpMat.swap(Entries);
  FSparseNumElem = n;
  FSparseLowCol = lowCol;
  FSparseHighCol = highCol;
  FSparseLowRow = lowRow;
  FSparseHighRow = highRow;
  FNCol = Cols;
  FNRow = Rows;
  Resized();
}

size_t TIntMatrix::LowerBound(int32_t Nc, int32_t Nr) const {
  const auto it =
      std::lower_bound(SpMat.begin(), SpMat.end(), std::pair{Nc, Nr},
                       [](const TSpMatElemInt& e, const std::pair<int32_t, int32_t>& k) {
                         return KeyLess(e, k.first, k.second);
                       });
  return static_cast<size_t>(it - SpMat.begin());
}

void TIntMatrix::ArrayToSparse(int32_t AllocBy) {
  if (FIsSparse) return;
  std::vector<TSpMatElemInt> entries;
  try {
    for (int32_t c = 0; c < FNCol; ++c) {
      const int32_t* p = Mat[static_cast<size_t>(c)].data();
      for (int32_t r = 0; r < FNRow; ++r)
        if (p[r] != 0) entries.push_back({c + 1, r + 1, p[r]});
    }
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  } catch (const std::length_error&) {
    Fail("not enough memory on heap");
  }
  AdoptSparse(entries, std::max(1, AllocBy), FNCol, FNRow);
}

void TIntMatrix::SparseToArray() {
  if (!FIsSparse) return;
  const int64_t cols = std::max({int64_t{FNCol}, int64_t{FSparseHighCol}, int64_t{1}});
  const int64_t rows = std::max({int64_t{FNRow}, int64_t{FSparseHighRow}, int64_t{1}});
  // Both are at most 2^31 - 1, so the product fits in int64. Each column
  // also costs its vector header.
  const long double bytes = static_cast<long double>(cols) * rows * sizeof(int32_t) +
                            static_cast<long double>(cols) * sizeof(std::vector<int32_t>);
  if (bytes > static_cast<long double>(PhysicalMemoryBytes())) Fail("not enough memory on heap");
  T2DArray data = NewStorage(cols, rows);
  for (const TSpMatElemInt& e : SpMat)
    data[static_cast<size_t>(e.colidx - 1)][static_cast<size_t>(e.rowidx - 1)] = e.value;
  std::vector<TSpMatElemInt>().swap(SpMat);
  FIsSparse = false;
  FNumAllocated = 0;
  FAllocBy = 0;
  FSparseNumElem = 0;
  FSparseLowCol = FSparseHighCol = FSparseLowRow = FSparseHighRow = 0;
  SwapIn(data);
  Resized();
}

// ---------------------------------------------------------------------------
// Element access and size
// ---------------------------------------------------------------------------

int32_t TIntMatrix::GetVal(int32_t Nc, int32_t Nr) const {
  if (!FIsSparse) return TMatrixT<int32_t>::GetVal(Nc, Nr);
  if (Nc < FSparseLowCol || Nc > FSparseHighCol || Nr < FSparseLowRow || Nr > FSparseHighRow)
    return 0;
  const size_t i = LowerBound(Nc, Nr);
  return (i < SpMat.size() && SpMat[i].colidx == Nc && SpMat[i].rowidx == Nr) ? SpMat[i].value : 0;
}

void TIntMatrix::SetVal(int32_t Nc, int32_t Nr, int32_t Value) {
  if (!FIsSparse) {
    TMatrixT<int32_t>::SetVal(Nc, Nr, Value);
    return;
  }
  if (Nc < 1 || Nr < 1) return;
  const size_t i = LowerBound(Nc, Nr);
  if (i < SpMat.size() && SpMat[i].colidx == Nc && SpMat[i].rowidx == Nr) {
    SpMat[i].value = Value;
  } else {
    try {
      SpMat.insert(SpMat.begin() + static_cast<std::ptrdiff_t>(i), TSpMatElemInt{Nc, Nr, Value});
    } catch (const std::bad_alloc&) {
      Fail("not enough memory on heap");
    } catch (const std::length_error&) {
      Fail("not enough memory on heap");
    }
    if (FSparseNumElem == FNumAllocated) FNumAllocated += FAllocBy;
    FSparseNumElem = static_cast<int64_t>(SpMat.size());
    FSparseLowCol = std::min(FSparseLowCol, Nc);
    FSparseHighCol = std::max(FSparseHighCol, Nc);
    FSparseLowRow = std::min(FSparseLowRow, Nr);
    FSparseHighRow = std::max(FSparseHighRow, Nr);
    // The sizes follow the high bounds but never shrink: a matrix that came
    // from a dense one keeps its zero border.
    FNCol = std::max(FNCol, FSparseHighCol);
    FNRow = std::max(FNRow, FSparseHighRow);
  }
  Changed();
}

bool TIntMatrix::Resize(int32_t Nc, int32_t Nr) {
  if (Nc <= 0 || Nr <= 0) return false;
  if (!FIsSparse) {
    if (ResizeStorage(Nc, Nr)) {
      Resized();
      Changed();
    }
    return true;
  }
  if (Nc == FNCol && Nr == FNRow) return true;
  FNCol = Nc;
  FNRow = Nr;
  FSparseHighCol = std::min(FSparseHighCol, Nc);
  FSparseLowCol = std::min(FSparseLowCol, FSparseHighCol);
  FSparseHighRow = std::min(FSparseHighRow, Nr);
  FSparseLowRow = std::min(FSparseLowRow, FSparseHighRow);
  std::erase_if(SpMat, [&](const TSpMatElemInt& e) { return e.colidx > Nc || e.rowidx > Nr; });
  FSparseNumElem = static_cast<int64_t>(SpMat.size());
  return true;
}

void TIntMatrix::ResizeAndClear(int32_t Nc, int32_t Nr) {
  Resize(Nc, Nr);
  Fill(0);
}

void TIntMatrix::SetNrOfColumns(int32_t n) {
  if (n > 0) Resize(n, FNRow);
}

void TIntMatrix::SetNrOfRows(int32_t n) {
  if (n > 0) Resize(FNCol, n);
}

void TIntMatrix::Clone(const TIntMatrix* MatSource) {
  if (MatSource == nullptr || MatSource->FIsSparse != FIsSparse) return;
  if (!FIsSparse) {
    TMatrixT<int32_t>::Clone(MatSource);
    return;
  }
  if (MatSource != this) {
    try {
      SpMat = MatSource->SpMat;
    } catch (const std::bad_alloc&) {
      Fail("not enough memory on heap");
    }
    FNumAllocated = MatSource->FNumAllocated;
    FAllocBy = MatSource->FAllocBy;
    FSparseNumElem = MatSource->FSparseNumElem;
    FSparseLowCol = MatSource->FSparseLowCol;
    FSparseHighCol = MatSource->FSparseHighCol;
    FSparseLowRow = MatSource->FSparseLowRow;
    FSparseHighRow = MatSource->FSparseHighRow;
    FNCol = MatSource->FNCol;
    FNRow = MatSource->FNRow;
  }
  Changed();
  Resized();
}

void TIntMatrix::Transpose() {
  if (!FIsSparse) {
    TMatrixT<int32_t>::Transpose();
    return;
  }
  for (TSpMatElemInt& e : SpMat) std::swap(e.colidx, e.rowidx);
  std::swap(FSparseLowCol, FSparseLowRow);
  std::swap(FSparseHighCol, FSparseHighRow);
  std::swap(FNCol, FNRow);
  CombSortEntries(SpMat);
  Changed();
  Resized();
}

// ---------------------------------------------------------------------------
// Counting
// ---------------------------------------------------------------------------

int32_t TIntMatrix::CountMaskedZeros(int32_t LowCol, int32_t HighCol, int32_t LowRow,
                                     int32_t HighRow, int32_t Bitmask) const {
  if (!HasStorage()) return 0;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  int64_t count = 0;
  for (int32_t c = LowCol; c <= HighCol; ++c) {
    const int32_t* p = Mat[static_cast<size_t>(c - 1)].data();
    for (int32_t r = LowRow - 1; r < HighRow; ++r) count += (p[r] & Bitmask) == 0 ? 1 : 0;
  }
  return static_cast<int32_t>(std::min<int64_t>(count, kInt32Max));
}

// ---------------------------------------------------------------------------
// Arithmetic
// ---------------------------------------------------------------------------

bool TIntMatrix::Add(const TIntMatrix* MatB) { return AddElems(MatB, false); }

bool TIntMatrix::Subtract(const TIntMatrix* MatB) { return AddElems(MatB, true); }

void TIntMatrix::SMult(int32_t Scalar) { ScaleElems(Scalar); }

void TIntMatrix::SAdd(int32_t Scalar) { ShiftElems(Scalar); }

bool TIntMatrix::EMult(const TIntMatrix* MatB, TIntMatrix* MatRes) const {
  return EMultInto(MatB, MatRes);
}

namespace {

// The product of op(A) (m x k) and op(B) (k x n) as n columns of m values,
// every cell summed modulo 2^32 (unsigned, so no signed overflow; the
// order of the terms does not matter). op(A)(i, p) = A[p][i], or A[i][p]
// when TransA; op(B)(p, j) = B[j][p], or B[p][j] when TransB.
std::vector<std::vector<int32_t>> WrapProduct(const std::vector<std::vector<int32_t>>& A,
                                              bool TransA,
                                              const std::vector<std::vector<int32_t>>& B,
                                              bool TransB, int64_t m, int64_t n, int64_t k) {
  std::vector<std::vector<int32_t>> C(static_cast<size_t>(n),
                                      std::vector<int32_t>(static_cast<size_t>(m)));
  std::vector<uint32_t> acc(static_cast<size_t>(m));
  for (int64_t j = 0; j < n; ++j) {
    std::fill(acc.begin(), acc.end(), 0u);
    for (int64_t p = 0; p < k; ++p) {
      const auto b =
          static_cast<uint32_t>(TransB ? B[static_cast<size_t>(p)][static_cast<size_t>(j)]
                                       : B[static_cast<size_t>(j)][static_cast<size_t>(p)]);
      if (!TransA) {
        const int32_t* a = A[static_cast<size_t>(p)].data();
        for (int64_t i = 0; i < m; ++i)
          acc[static_cast<size_t>(i)] += static_cast<uint32_t>(a[i]) * b;
      } else {
        for (int64_t i = 0; i < m; ++i)
          acc[static_cast<size_t>(i)] +=
              static_cast<uint32_t>(A[static_cast<size_t>(i)][static_cast<size_t>(p)]) * b;
      }
    }
    for (int64_t i = 0; i < m; ++i)
      C[static_cast<size_t>(j)][static_cast<size_t>(i)] =
          static_cast<int32_t>(acc[static_cast<size_t>(i)]);
  }
  return C;
}

}  // namespace

bool TIntMatrix::Multiply(const TIntMatrix* MatB, TIntMatrix* MatRes) const {
  if (MatB == nullptr || MatRes == nullptr || !HasStorage() || !MatB->HasStorage() ||
      !MatRes->HasStorage() || FNCol != MatB->FNRow)
    return false;
  T2DArray res;
  try {
    res = WrapProduct(Mat, false, MatB->Mat, false, FNRow, MatB->FNCol, FNCol);
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  if (!MatRes->StoreAll(std::move(res))) return false;
  MatRes->Changed();
  return true;
}

bool TIntMatrix::MultiplyTransposed(const TIntMatrix* MatB, TIntMatrix* MatRes) const {
  if (MatB == nullptr || MatRes == nullptr || !HasStorage() || !MatB->HasStorage() ||
      !MatRes->HasStorage() || FNCol != MatB->FNCol)
    return false;
  T2DArray res;
  try {
    res = WrapProduct(Mat, false, MatB->Mat, true, FNRow, MatB->FNRow, FNCol);
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  if (!MatRes->StoreAll(std::move(res))) return false;
  MatRes->Changed();
  return true;
}

bool TIntMatrix::TransposeAndMultiply(const TIntMatrix* MatB, TIntMatrix* MatRes) const {
  if (MatB == nullptr || MatRes == nullptr || !HasStorage() || !MatB->HasStorage() ||
      !MatRes->HasStorage() || FNRow != MatB->FNRow)
    return false;
  T2DArray res;
  try {
    res = WrapProduct(Mat, true, MatB->Mat, false, FNCol, MatB->FNCol, FNRow);
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  if (!MatRes->StoreAll(std::move(res))) return false;
  MatRes->Changed();
  return true;
}

bool TIntMatrix::Multiply(const TIntVector* VecB, TIntVector* VecRes) const {
  if (VecB == nullptr || VecRes == nullptr || !HasStorage() || VecB->GetNrOfElem() != FNCol)
    return false;
  // Computed completely before VecRes (which may be VecB) is touched.
  std::vector<uint32_t> acc(static_cast<size_t>(FNRow), 0u);
  for (int32_t k = 0; k < FNCol; ++k) {
    const auto b = static_cast<uint32_t>(VecB->GetVal(k + 1));
    const int32_t* a = Mat[static_cast<size_t>(k)].data();
    for (size_t r = 0; r < acc.size(); ++r) acc[r] += static_cast<uint32_t>(a[r]) * b;
  }
  const std::vector<int32_t> res(acc.begin(), acc.end());
  return matrix_detail::StoreIntoVector(res, *VecRes);
}

bool TIntMatrix::TransposeAndMultiply(const TIntVector* VecB, TIntVector* VecRes) const {
  if (VecB == nullptr || VecRes == nullptr || !HasStorage() || VecB->GetNrOfElem() != FNRow)
    return false;
  std::vector<int32_t> res(static_cast<size_t>(FNCol));
  for (size_t c = 0; c < res.size(); ++c) {
    const int32_t* a = Mat[c].data();
    uint32_t s = 0;
    for (int32_t k = 0; k < FNRow; ++k)
      s += static_cast<uint32_t>(a[k]) * static_cast<uint32_t>(VecB->GetVal(k + 1));
    res[c] = static_cast<int32_t>(s);
  }
  return matrix_detail::StoreIntoVector(res, *VecRes);
}

// ---------------------------------------------------------------------------
// The double matrix from an integer one
// ---------------------------------------------------------------------------

void TMatrix::CopyFrom(const TIntMatrix* MatSource, int32_t SourceColLo, int32_t SourceRowLo,
                       int32_t SourceColHi, int32_t SourceRowHi, int32_t DestCol, int32_t DestRow) {
  if (MatSource == nullptr || MatSource->GetMat().empty()) return;
  NormalizeRange(SourceColLo, SourceColHi, 1, MatSource->GetNrOfColumns());
  NormalizeRange(SourceRowLo, SourceRowHi, 1, MatSource->GetNrOfRows());
  // The rectangle as a 0-based block whose first cell lands on (DestCol,
  // DestRow); the array copy then drops and fires as the matrix copy does.
  TDouble2DArray block;
  try {
    block.resize(static_cast<size_t>(SourceColHi - SourceColLo + 1));
    for (int32_t c = SourceColLo; c <= SourceColHi; ++c) {
      const auto& src = MatSource->GetMat()[static_cast<size_t>(c - 1)];
      block[static_cast<size_t>(c - SourceColLo)].assign(src.begin() + (SourceRowLo - 1),
                                                         src.begin() + SourceRowHi);
    }
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  const auto w = static_cast<int32_t>(block.size());
  const auto h = static_cast<int32_t>(block.front().size());
  CopyFromArray(block, 0, 0, w - 1, h - 1, DestCol, DestRow);
}

}  // namespace zel
