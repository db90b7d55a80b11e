// Data tables: copies of values between the table and arrays, vectors and
// matrices, and slices.
#include <algorithm>
#include <functional>
#include <new>
#include <type_traits>
#include <utility>

#include "num/datatable/datatable_impl.hpp"
#include "num/datatable/zel_datatable.hpp"

namespace zel {

namespace {

template <class E>
E FromDouble(double v) {
  if constexpr (std::is_same_v<E, int32_t>)
    return RoundToInt32(static_cast<long double>(v));
  else
    return v;
}

}  // namespace

template <class A>
int32_t TDataTable::LineTo(bool Column, int32_t Ix, int32_t First, int32_t Last, A& Dest,
                           int32_t DestElem, bool Whole) const {
  const int32_t n = Column ? FNrOfRows : FNrOfCols;
  if (Column ? !ValidCol(Ix) : !ValidRow(Ix)) return kDTCopyBadIndex;
  if (Whole) {
    First = 1;
    Last = n;
    DestElem = 0;
    try {
      Dest.assign(static_cast<size_t>(n), 0);
    } catch (const std::bad_alloc&) {
      Fail("not enough memory on heap");
    }
  } else {
    if (First == 0 && Last == 0) {
      First = 1;
      Last = n;
    }
    if (First < 1 || First > n || Last < 1 || Last > n) return kDTCopyBadBound;
    if (First > Last) std::swap(First, Last);
    if (Dest.empty()) return kDTCopyEmpty;
    if (DestElem < 0 || static_cast<size_t>(DestElem) >= Dest.size()) return kDTCopyBadElement;
  }
  using E = typename A::value_type;
  for (int32_t k = First; k <= Last; ++k) {
    const size_t d = static_cast<size_t>(DestElem) + static_cast<size_t>(k - First);
    if (d >= Dest.size()) break;
    Dest[d] = FromDouble<E>(Column ? Val(Ix, k) : Val(k, Ix));
  }
  return kDTCopyOk;
}

template <class V>
int32_t TDataTable::LineToVector(bool Column, int32_t Ix, int32_t First, int32_t Last, V* Dest,
                                 int32_t DestElem, bool Whole) const {
  if (Column ? !ValidCol(Ix) : !ValidRow(Ix)) return kDTCopyBadIndex;
  typename V::TArray values;
  const int32_t n = Column ? FNrOfRows : FNrOfCols;
  if (Whole) {
    if (Dest == nullptr) return kDTCopyEmpty;
    const int32_t res = LineTo(Column, Ix, 1, n, values, 0, true);
    if (res != kDTCopyOk) return res;
    Dest->Resize(n);
    Dest->CopyFrom(values, 0, static_cast<int32_t>(values.size()) - 1, 1);
    return kDTCopyOk;
  }
  if (First == 0 && Last == 0) {
    First = 1;
    Last = n;
  }
  if (First < 1 || First > n || Last < 1 || Last > n) return kDTCopyBadBound;
  if (First > Last) std::swap(First, Last);
  if (Dest == nullptr) return kDTCopyEmpty;
  if (DestElem < 1 || DestElem > Dest->GetNrOfElem()) return kDTCopyBadElement;
  const int32_t count = std::min(Last - First + 1, Dest->GetNrOfElem() - DestElem + 1);
  try {
    values.assign(static_cast<size_t>(count), 0);
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  LineTo(Column, Ix, First, First + count - 1, values, 0, false);
  Dest->CopyFrom(values, 0, count - 1, DestElem);
  return kDTCopyOk;
}

template <class A>
int32_t TDataTable::LineFrom(bool Column, int32_t Ix, int32_t First, int32_t Last, const A& Src,
                             int32_t SrcElem, bool Whole) {
  MatrixResized();  // in step with a matrix resized behind the table's back
  const int32_t n = Column ? FNrOfRows : FNrOfCols;
  if (Column ? !ValidCol(Ix) : !ValidRow(Ix)) return kDTCopyBadIndex;
  if (Whole) {
    First = 1;
    Last = n;
    SrcElem = 0;
  } else {
    if (First == 0 && Last == 0) {
      First = 1;
      Last = n;
    }
    if (First < 1 || First > n || Last < 1 || Last > n) return kDTCopyBadBound;
    if (First > Last) std::swap(First, Last);
  }
  if (Src.empty()) return kDTCopyEmpty;
  if (SrcElem < 0 || static_cast<size_t>(SrcElem) >= Src.size()) return kDTCopyBadElement;
  auto& mat = MatrixStorage(*FData);
  const auto ix = static_cast<size_t>(Ix - 1);
  for (int32_t k = First; k <= Last; ++k) {
    const size_t s = static_cast<size_t>(SrcElem) + static_cast<size_t>(k - First);
    if (s >= Src.size()) break;
    const auto kx = static_cast<size_t>(k - 1);
    (Column ? mat[ix][kx] : mat[kx][ix]) = static_cast<double>(Src[s]);
  }
  ChangedData();
  return kDTCopyOk;
}

template <class V>
int32_t TDataTable::LineFromVector(bool Column, int32_t Ix, int32_t First, int32_t Last,
                                   const V* Src, int32_t SrcElem, bool Whole) {
  if (Column ? !ValidCol(Ix) : !ValidRow(Ix)) return kDTCopyBadIndex;
  if (Src == nullptr) {
    // The bound check comes first for the ranged forms, as with arrays.
    const int32_t n = Column ? FNrOfRows : FNrOfCols;
    const bool all = First == 0 && Last == 0;
    if (!Whole && !all && (First < 1 || First > n || Last < 1 || Last > n)) return kDTCopyBadBound;
    return kDTCopyEmpty;
  }
  typename V::TArray values;
  try {
    values.resize(static_cast<size_t>(Src->GetNrOfElem()));
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  for (int32_t e = 1; e <= Src->GetNrOfElem(); ++e)
    values[static_cast<size_t>(e - 1)] = Src->GetVal(e);
  return LineFrom(Column, Ix, First, Last, values, Whole ? 0 : SrcElem - 1, Whole);
}

// Column and row copies ----------------------------------------------------

int32_t TDataTable::CopyDataColumnToArray(int32_t Col, TDoubleArray& Dest) const {
  return LineTo(true, Col, 0, 0, Dest, 0, true);
}
int32_t TDataTable::CopyDataColumnToArray(int32_t Col, TIntArray& Dest) const {
  return LineTo(true, Col, 0, 0, Dest, 0, true);
}
int32_t TDataTable::CopyDataColumnToArray(int32_t Col, int32_t FirstRow, int32_t LastRow,
                                          TDoubleArray& Dest, int32_t DestElem) const {
  return LineTo(true, Col, FirstRow, LastRow, Dest, DestElem, false);
}
int32_t TDataTable::CopyDataColumnToArray(int32_t Col, int32_t FirstRow, int32_t LastRow,
                                          TIntArray& Dest, int32_t DestElem) const {
  return LineTo(true, Col, FirstRow, LastRow, Dest, DestElem, false);
}
int32_t TDataTable::CopyDataColumnToVector(int32_t Col, TVector* Dest) const {
  return LineToVector(true, Col, 0, 0, Dest, 1, true);
}
int32_t TDataTable::CopyDataColumnToVector(int32_t Col, TIntVector* Dest) const {
  return LineToVector(true, Col, 0, 0, Dest, 1, true);
}
int32_t TDataTable::CopyDataColumnToVector(int32_t Col, int32_t FirstRow, int32_t LastRow,
                                           TVector* Dest, int32_t DestElem) const {
  return LineToVector(true, Col, FirstRow, LastRow, Dest, DestElem, false);
}
int32_t TDataTable::CopyDataColumnToVector(int32_t Col, int32_t FirstRow, int32_t LastRow,
                                           TIntVector* Dest, int32_t DestElem) const {
  return LineToVector(true, Col, FirstRow, LastRow, Dest, DestElem, false);
}

int32_t TDataTable::CopyDataRowToArray(int32_t Row, TDoubleArray& Dest) const {
  return LineTo(false, Row, 0, 0, Dest, 0, true);
}
int32_t TDataTable::CopyDataRowToArray(int32_t Row, TIntArray& Dest) const {
  return LineTo(false, Row, 0, 0, Dest, 0, true);
}
int32_t TDataTable::CopyDataRowToArray(int32_t Row, int32_t FirstCol, int32_t LastCol,
                                       TDoubleArray& Dest, int32_t DestElem) const {
  return LineTo(false, Row, FirstCol, LastCol, Dest, DestElem, false);
}
int32_t TDataTable::CopyDataRowToArray(int32_t Row, int32_t FirstCol, int32_t LastCol,
                                       TIntArray& Dest, int32_t DestElem) const {
  return LineTo(false, Row, FirstCol, LastCol, Dest, DestElem, false);
}
int32_t TDataTable::CopyDataRowToVector(int32_t Row, TVector* Dest) const {
  return LineToVector(false, Row, 0, 0, Dest, 1, true);
}
int32_t TDataTable::CopyDataRowToVector(int32_t Row, TIntVector* Dest) const {
  return LineToVector(false, Row, 0, 0, Dest, 1, true);
}
int32_t TDataTable::CopyDataRowToVector(int32_t Row, int32_t FirstCol, int32_t LastCol,
                                        TVector* Dest, int32_t DestElem) const {
  return LineToVector(false, Row, FirstCol, LastCol, Dest, DestElem, false);
}
int32_t TDataTable::CopyDataRowToVector(int32_t Row, int32_t FirstCol, int32_t LastCol,
                                        TIntVector* Dest, int32_t DestElem) const {
  return LineToVector(false, Row, FirstCol, LastCol, Dest, DestElem, false);
}

int32_t TDataTable::CopyDataColumnFromArray(int32_t Col, const TDoubleArray& Src) {
  return LineFrom(true, Col, 0, 0, Src, 0, true);
}
int32_t TDataTable::CopyDataColumnFromArray(int32_t Col, const TIntArray& Src) {
  return LineFrom(true, Col, 0, 0, Src, 0, true);
}
int32_t TDataTable::CopyDataColumnFromArray(int32_t Col, int32_t FirstRow, int32_t LastRow,
                                            const TDoubleArray& Src, int32_t SrcElem) {
  return LineFrom(true, Col, FirstRow, LastRow, Src, SrcElem, false);
}
int32_t TDataTable::CopyDataColumnFromArray(int32_t Col, int32_t FirstRow, int32_t LastRow,
                                            const TIntArray& Src, int32_t SrcElem) {
  return LineFrom(true, Col, FirstRow, LastRow, Src, SrcElem, false);
}
int32_t TDataTable::CopyDataColumnFromVector(int32_t Col, const TVector* Src) {
  return LineFromVector(true, Col, 0, 0, Src, 1, true);
}
int32_t TDataTable::CopyDataColumnFromVector(int32_t Col, const TIntVector* Src) {
  return LineFromVector(true, Col, 0, 0, Src, 1, true);
}
int32_t TDataTable::CopyDataColumnFromVector(int32_t Col, int32_t FirstRow, int32_t LastRow,
                                             const TVector* Src, int32_t SrcElem) {
  return LineFromVector(true, Col, FirstRow, LastRow, Src, SrcElem, false);
}
int32_t TDataTable::CopyDataColumnFromVector(int32_t Col, int32_t FirstRow, int32_t LastRow,
                                             const TIntVector* Src, int32_t SrcElem) {
  return LineFromVector(true, Col, FirstRow, LastRow, Src, SrcElem, false);
}

int32_t TDataTable::CopyDataRowFromArray(int32_t Row, const TDoubleArray& Src) {
  return LineFrom(false, Row, 0, 0, Src, 0, true);
}
int32_t TDataTable::CopyDataRowFromArray(int32_t Row, const TIntArray& Src) {
  return LineFrom(false, Row, 0, 0, Src, 0, true);
}
int32_t TDataTable::CopyDataRowFromArray(int32_t Row, int32_t FirstCol, int32_t LastCol,
                                         const TDoubleArray& Src, int32_t SrcElem) {
  return LineFrom(false, Row, FirstCol, LastCol, Src, SrcElem, false);
}
int32_t TDataTable::CopyDataRowFromArray(int32_t Row, int32_t FirstCol, int32_t LastCol,
                                         const TIntArray& Src, int32_t SrcElem) {
  return LineFrom(false, Row, FirstCol, LastCol, Src, SrcElem, false);
}
int32_t TDataTable::CopyDataRowFromVector(int32_t Row, const TVector* Src) {
  return LineFromVector(false, Row, 0, 0, Src, 1, true);
}
int32_t TDataTable::CopyDataRowFromVector(int32_t Row, const TIntVector* Src) {
  return LineFromVector(false, Row, 0, 0, Src, 1, true);
}
int32_t TDataTable::CopyDataRowFromVector(int32_t Row, int32_t FirstCol, int32_t LastCol,
                                          const TVector* Src, int32_t SrcElem) {
  return LineFromVector(false, Row, FirstCol, LastCol, Src, SrcElem, false);
}
int32_t TDataTable::CopyDataRowFromVector(int32_t Row, int32_t FirstCol, int32_t LastCol,
                                          const TIntVector* Src, int32_t SrcElem) {
  return LineFromVector(false, Row, FirstCol, LastCol, Src, SrcElem, false);
}

// Matrices and 2-D arrays: the matrix routines, with the per-cell events
// collected into one OnChange of the table --------------------------------

void TDataTable::CopyDataFromVector(const TVector* Src, int32_t FirstElem, int32_t LastElem,
                                    int32_t DestCol, int32_t DestRow, bool AsColumn) {
  if (Src == nullptr) return;
  TChangeSuppressor s(*this);
  FData->CopyFromVec(Src, FirstElem, LastElem, DestCol, DestRow, AsColumn);
  s.Finish();
}

void TDataTable::CopyDataToMatrix(TMatrix* Dest) const {
  if (Dest != nullptr && Dest != FData) Dest->Clone(FData);
}

void TDataTable::CopyDataFromMatrix(const TMatrix* Src, int32_t SourceColLo, int32_t SourceRowLo,
                                    int32_t SourceColHi, int32_t SourceRowHi, int32_t DestCol,
                                    int32_t DestRow) {
  if (Src == nullptr) return;
  TChangeSuppressor s(*this);
  FData->CopyFrom(Src, SourceColLo, SourceRowLo, SourceColHi, SourceRowHi, DestCol, DestRow);
  s.Finish();
}

int32_t TDataTable::CopyDataToArray(TDouble2DArray& Dest, int32_t SrcColLo, int32_t SrcRowLo,
                                    int32_t SrcColHi, int32_t SrcRowHi, int32_t DestCol,
                                    int32_t DestRow) const {
  return FData->CopyToArray(Dest, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, DestCol, DestRow);
}

int32_t TDataTable::CopyDataToArray(TInt2DArray& Dest, int32_t SrcColLo, int32_t SrcRowLo,
                                    int32_t SrcColHi, int32_t SrcRowHi, int32_t DestCol,
                                    int32_t DestRow) const {
  return FData->CopyToArray(Dest, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, DestCol, DestRow);
}

int32_t TDataTable::CopyDataFromArray(const TDoubleArray& Src, int32_t FirstElem, int32_t LastElem,
                                      int32_t Col, int32_t Row, bool AsColumn) {
  TChangeSuppressor s(*this);
  const int32_t res = FData->CopyFromArray(Src, FirstElem, LastElem, Col, Row, AsColumn);
  s.Finish();
  return res;
}

int32_t TDataTable::CopyDataFromArray(const TIntArray& Src, int32_t FirstElem, int32_t LastElem,
                                      int32_t Col, int32_t Row, bool AsColumn) {
  TChangeSuppressor s(*this);
  const int32_t res = FData->CopyFromArray(Src, FirstElem, LastElem, Col, Row, AsColumn);
  s.Finish();
  return res;
}

int32_t TDataTable::CopyDataFromArray(const TDouble2DArray& Src, int32_t SrcColLo, int32_t SrcRowLo,
                                      int32_t SrcColHi, int32_t SrcRowHi, int32_t DestCol,
                                      int32_t DestRow) {
  TChangeSuppressor s(*this);
  const int32_t res =
      FData->CopyFromArray(Src, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, DestCol, DestRow);
  s.Finish();
  return res;
}

int32_t TDataTable::CopyDataFromArray(const TInt2DArray& Src, int32_t SrcColLo, int32_t SrcRowLo,
                                      int32_t SrcColHi, int32_t SrcRowHi, int32_t DestCol,
                                      int32_t DestRow) {
  TChangeSuppressor s(*this);
  const int32_t res =
      FData->CopyFromArray(Src, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, DestCol, DestRow);
  s.Finish();
  return res;
}

int32_t TDataTable::DuplicateDataAsArray(TDouble2DArray& Dest) const {
  return FData->DuplicateDataAsArray(Dest);
}

int64_t TDataTable::CopyCellsToVector(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                      int32_t HighRow, uint8_t CellState, TVector* DestVect) const {
  ClampColRange(LowCol, HighCol);
  ClampRowRange(LowRow, HighRow);
  TDoubleArray values;
  try {
    for (int32_t c = LowCol; c <= HighCol; ++c)
      for (int32_t r = LowRow; r <= HighRow; ++r)
        if (MarkedCell(c, r, CellState)) values.push_back(Val(c, r));
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  const auto n = static_cast<int64_t>(values.size());
  // A vector holds at most 2^31 - 1 elements.
  if (DestVect == nullptr || n == 0 || n > INT32_MAX) return n;
  DestVect->Resize(static_cast<int32_t>(n));
  DestVect->CopyFrom(values, 0, static_cast<int32_t>(n - 1), 1);
  return n;
}

namespace {
int32_t Slice(int32_t n, int32_t First, int32_t Last, int32_t Step, TDoubleArray& Dst,
              const std::function<double(int32_t)>& Get) {
  if (First == 0 && Last == 0) {
    First = 1;
    Last = n;
  }
  if (First < 1 || First > n || Last < 1 || Last > n) return kDTSliceBadBound;
  if (Step <= 0) return kDTSliceBadStep;
  if (First > Last) std::swap(First, Last);
  const int64_t count = (int64_t{Last} - First) / Step + 1;
  Dst.resize(static_cast<size_t>(count));
  for (int64_t k = 0; k < count; ++k)
    Dst[static_cast<size_t>(k)] = Get(static_cast<int32_t>(First + k * Step));
  return static_cast<int32_t>(count);
}
}  // namespace

int32_t TDataTable::SliceCol(int32_t Col, int32_t FirstRow, int32_t LastRow, int32_t Step,
                             TDoubleArray& DstVec) const {
  if (!ValidCol(Col)) return kDTSliceBadIndex;
  try {
    return Slice(FNrOfRows, FirstRow, LastRow, Step, DstVec,
                 [&](int32_t r) { return Val(Col, r); });
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
}

int32_t TDataTable::SliceRow(int32_t Row, int32_t FirstCol, int32_t LastCol, int32_t Step,
                             TDoubleArray& DstVec) const {
  if (!ValidRow(Row)) return kDTSliceBadIndex;
  try {
    return Slice(FNrOfCols, FirstCol, LastCol, Step, DstVec,
                 [&](int32_t c) { return Val(c, Row); });
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
}

}  // namespace zel
