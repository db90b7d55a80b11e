// Matrices: creation, size and element access, notification, ranges,
// copies, fills, and the row and column operations.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "core/zel_binary.hpp"
#include "core/zel_univconst.hpp"
#include "core/zel_zelbase.hpp"
#include "num/arrays/zel_openarrays.hpp"
#include "num/math1/zel_math1.hpp"
#include "num/matrix/matrix_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {

using matrix_detail::ConvertElem;
using matrix_detail::LD;
using matrix_detail::TShapeOf;

namespace {

int32_t SaturateCount(int64_t n) {
  return static_cast<int32_t>(std::min<int64_t>(n, std::numeric_limits<int32_t>::max()));
}

}  // namespace

// ---------------------------------------------------------------------------
// Creation, size and element access, notification
// ---------------------------------------------------------------------------

template <class T>
TMatrixT<T>::TMatrixT(TComponent* AOwner) : TComponent(AOwner) {
  Mat = NewStorage(1, 1);
}

template <class T>
void TMatrixT<T>::Fail(const std::string& Text) const {
  throw EZELMatrixError(ComponentMessage(Text));
}

template <class T>
typename TMatrixT<T>::T2DArray TMatrixT<T>::NewStorage(int64_t Cols, int64_t Rows) const {
  // A size the address space cannot hold is refused before any allocation.
  constexpr int64_t kMaxElems =
      std::numeric_limits<int64_t>::max() / 4 / static_cast<int64_t>(sizeof(T));
  if (Cols <= 0 || Rows <= 0 || Cols > kMaxElems / Rows) Fail("not enough memory on heap");
  try {
    return T2DArray(static_cast<size_t>(Cols), std::vector<T>(static_cast<size_t>(Rows), T{0}));
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  Fail("not enough memory on heap");
}

template <class T>
void TMatrixT<T>::SwapIn(T2DArray& Data) {
  ++FStorageGen;
  Mat.swap(Data);
  FNCol = static_cast<int32_t>(Mat.size());
  FNRow = static_cast<int32_t>(Mat.front().size());
}

template <class T>
void TMatrixT<T>::NotifySizeChange() {
  ++FStorageGen;
  Changed();
  Resized();
}

template <class T>
void TMatrixT<T>::SetNrOfColumns(int32_t n) {
  if (n > 0) Resize(n, FNRow);
}

template <class T>
void TMatrixT<T>::SetNrOfRows(int32_t n) {
  if (n > 0) Resize(FNCol, n);
}

template <class T>
void TMatrixT<T>::SetVal(int32_t Nc, int32_t Nr, T Value) {
  if (!HasStorage() || Nc < 1 || Nc > FNCol || Nr < 1 || Nr > FNRow) return;
  Mat[static_cast<size_t>(Nc - 1)][static_cast<size_t>(Nr - 1)] = Value;
  Changed();
}

template <class T>
bool TMatrixT<T>::Resize(int32_t Nc, int32_t Nr) {
  if (!HasStorage()) return false;
  if (Nc <= 0 || Nr <= 0) return false;
  if (ResizeStorage(Nc, Nr)) NotifySizeChange();
  return true;
}

template <class T>
bool TMatrixT<T>::ResizeStorage(int32_t Nc, int32_t Nr) {
  if (!HasStorage() || Nc <= 0 || Nr <= 0) return false;
  if (Nc == FNCol && Nr == FNRow) return false;
  const int64_t keepCols = std::min(Nc, FNCol);
  const auto keepRows = static_cast<size_t>(std::min(Nr, FNRow));
  T2DArray data;
  if (Nr == FNRow) {
    // Only the column count changes: the kept columns move over, and only
    // the new ones are allocated (before anything is moved).
    T2DArray added;
    if (Nc > keepCols) added = NewStorage(Nc - keepCols, Nr);
    try {
      data.reserve(static_cast<size_t>(Nc));
    } catch (const std::bad_alloc&) {
      Fail("not enough memory on heap");
    }
    data.resize(static_cast<size_t>(keepCols));
    for (auto& column : added) data.push_back(std::move(column));
    for (int64_t c = 0; c < keepCols; ++c)
      data[static_cast<size_t>(c)].swap(Mat[static_cast<size_t>(c)]);
  } else {
    data = NewStorage(Nc, Nr);
    for (int64_t c = 0; c < keepCols; ++c)
      std::copy_n(Mat[static_cast<size_t>(c)].begin(), keepRows,
                  data[static_cast<size_t>(c)].begin());
  }
  SwapIn(data);
  return true;
}

template <class T>
void TMatrixT<T>::ResizeAndClear(int32_t Nc, int32_t Nr) {
  Resize(Nc, Nr);
  Fill(T{0});
}

template <class T>
void TMatrixT<T>::Changed() {
  if (OnChange) OnChange(this);
}

template <class T>
void TMatrixT<T>::Resized() {
  if (OnResize) OnResize(this);
}

template <class T>
void TMatrixT<T>::PercDone(TObject* Sender, int32_t Percent) {
  if (OnPercentDone) OnPercentDone(Sender, Percent);
}

template <class T>
void TMatrixT<T>::SortExchange(int32_t ExchgKind, int32_t Index1, int32_t Index2, int32_t First,
                               int32_t Last) {
  if (OnSortExchange) OnSortExchange(this, ExchgKind, Index1, Index2, First, Last);
}

template <class T>
bool TMatrixT<T>::StoreAll(T2DArray&& Data) {
  if (!HasStorage()) return false;
  const auto nc = static_cast<int32_t>(Data.size());
  const auto nr = static_cast<int32_t>(Data.front().size());
  if (!OnChange) {
    const bool resized = nc != FNCol || nr != FNRow;
    SwapIn(Data);
    if (resized) NotifySizeChange();
    return true;
  }
  Resize(nc, nr);
  if (FNCol != nc || FNRow != nr) return false;
  const TShapeOf<TMatrixT> shape(*this);
  for (int32_t c = 0; c < nc; ++c) {
    const auto& column = Data[static_cast<size_t>(c)];
    for (int32_t r = 0; r < nr; ++r) {
      PutCell(c + 1, r + 1, column[static_cast<size_t>(r)], true);
      if (!shape.Same()) return false;
    }
  }
  return true;
}

// ---------------------------------------------------------------------------
// Ranges
// ---------------------------------------------------------------------------

bool matrix_detail::MakeValidRange(int32_t& Lo, int32_t& Hi, int32_t Count) {
  if (Lo == 0 && Hi == 0) {
    Lo = 1;
    Hi = Count;
    return false;
  }
  bool corrected = false;
  auto clamp = [&](int32_t& b) {
    if (b <= 0) {
      b = 1;
      corrected = true;
    } else if (b > Count) {
      b = Count;
      corrected = true;
    }
  };
  clamp(Lo);
  clamp(Hi);
  if (Hi < Lo) {
    std::swap(Lo, Hi);
    corrected = true;
  }
  return corrected;
}

template <class T>
bool TMatrixT<T>::MakeValidColRange(int32_t& LowCol, int32_t& HighCol) const {
  return matrix_detail::MakeValidRange(LowCol, HighCol, FNCol);
}

template <class T>
bool TMatrixT<T>::MakeValidRowRange(int32_t& LowRow, int32_t& HighRow) const {
  return matrix_detail::MakeValidRange(LowRow, HighRow, FNRow);
}

// ---------------------------------------------------------------------------
// Copies
// ---------------------------------------------------------------------------

template <class T>
void TMatrixT<T>::Clone(const TMatrixT* MatSource) {
  if (MatSource == nullptr || !HasStorage() || !MatSource->HasStorage()) return;
  T2DArray copy;
  try {
    copy = MatSource->Mat;
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  if (!StoreAll(std::move(copy))) return;
  Changed();
  Resized();
}

template <class T>
void TMatrixT<T>::CopyFrom(const TMatrixT* MatSource, int32_t SourceColLo, int32_t SourceRowLo,
                           int32_t SourceColHi, int32_t SourceRowHi, int32_t DestCol,
                           int32_t DestRow) {
  if (MatSource == nullptr || !HasStorage() || !MatSource->HasStorage()) return;
  NormalizeRange(SourceColLo, SourceColHi, 1, MatSource->FNCol);
  NormalizeRange(SourceRowLo, SourceRowHi, 1, MatSource->FNRow);
  const int64_t dc = int64_t{DestCol} - SourceColLo;
  const int64_t dr = int64_t{DestRow} - SourceRowLo;
  // Only the rows that land inside this matrix are read.
  const int64_t r0 = std::max<int64_t>(SourceRowLo, 1 - dr);
  const int64_t r1 = std::min<int64_t>(SourceRowHi, FNRow - dr);
  const int64_t c0 = std::max<int64_t>(SourceColLo, 1 - dc);
  const int64_t c1 = std::min<int64_t>(SourceColHi, FNCol - dc);
  if (r0 <= r1 && c0 <= c1) {
    const bool fire = static_cast<bool>(OnChange);
    const auto len = static_cast<size_t>(r1 - r0 + 1);
    const TShapeOf<TMatrixT> shape(*this);
    const TShapeOf<TMatrixT> srcShape(*MatSource);
    if (MatSource == this) {
      // Overlapping rectangles of one matrix: read the whole block first.
      T2DArray block;
      try {
        block.resize(static_cast<size_t>(c1 - c0 + 1));
        for (int64_t c = c0; c <= c1; ++c) {
          const auto& src = Mat[static_cast<size_t>(c - 1)];
          block[static_cast<size_t>(c - c0)].assign(
              src.begin() + (r0 - 1), src.begin() + (r0 - 1) + static_cast<ptrdiff_t>(len));
        }
      } catch (const std::bad_alloc&) {
        Fail("not enough memory on heap");
      }
      for (int64_t c = c0; c <= c1; ++c) {
        const auto& src = block[static_cast<size_t>(c - c0)];
        for (size_t i = 0; i < len; ++i) {
          PutCell(c + dc, r0 + static_cast<int64_t>(i) + dr, src[i], fire);
          if (fire && !shape.Same()) return;
        }
      }
    } else {
      for (int64_t c = c0; c <= c1; ++c) {
        const T* src = MatSource->Mat[static_cast<size_t>(c - 1)].data() + (r0 - 1);
        if (fire) {
          // src points into the source, which the handler may resize too.
          for (size_t i = 0; i < len; ++i) {
            PutCell(c + dc, r0 + static_cast<int64_t>(i) + dr, src[i], true);
            if (!shape.Same() || !srcShape.Same()) return;
          }
        } else {
          std::copy_n(src, len, Mat[static_cast<size_t>(c + dc - 1)].begin() + (r0 + dr - 1));
        }
      }
    }
  }
  Changed();
}

template <class T>
void TMatrixT<T>::CopyColToVec(TVec* DestVec, int32_t Col, int32_t FirstRow, int32_t LastRow,
                               int32_t DestElem) const {
  if (DestVec == nullptr || !HasStorage()) return;
  MakeValidRowRange(FirstRow, LastRow);
  Col = std::clamp(Col, 1, FNCol);
  const TShapeOf<TMatrixT> shape(*this);
  DestVec->Fill(T{0});
  // The vector's handler may have resized this matrix: the range is stale.
  if (!shape.Same()) return;
  const int64_t n = DestVec->GetNrOfElem();
  const int64_t skip = DestElem < 1 ? 1 - int64_t{DestElem} : 0;
  const int64_t pos = int64_t{DestElem} + skip;
  const int64_t len = std::min<int64_t>(int64_t{LastRow} - FirstRow + 1 - skip, n - pos + 1);
  if (len <= 0) return;
  const auto& column = Mat[static_cast<size_t>(Col - 1)];
  const auto first = column.begin() + (FirstRow - 1 + skip);
  const TArray values(first, first + len);
  DestVec->CopyFrom(values, 0, static_cast<int32_t>(len - 1), static_cast<int32_t>(pos));
}

template <class T>
void TMatrixT<T>::CopyRowToVec(TVec* DestVec, int32_t Row, int32_t FirstCol, int32_t LastCol,
                               int32_t DestElem) const {
  if (DestVec == nullptr || !HasStorage()) return;
  MakeValidColRange(FirstCol, LastCol);
  Row = std::clamp(Row, 1, FNRow);
  const TShapeOf<TMatrixT> shape(*this);
  DestVec->Fill(T{0});
  if (!shape.Same()) return;
  const int64_t n = DestVec->GetNrOfElem();
  const int64_t skip = DestElem < 1 ? 1 - int64_t{DestElem} : 0;
  const int64_t pos = int64_t{DestElem} + skip;
  const int64_t len = std::min<int64_t>(int64_t{LastCol} - FirstCol + 1 - skip, n - pos + 1);
  if (len <= 0) return;
  TArray values(static_cast<size_t>(len));
  for (int64_t i = 0; i < len; ++i)
    values[static_cast<size_t>(i)] =
        Mat[static_cast<size_t>(FirstCol - 1 + skip + i)][static_cast<size_t>(Row - 1)];
  DestVec->CopyFrom(values, 0, static_cast<int32_t>(len - 1), static_cast<int32_t>(pos));
}

template <class T>
void TMatrixT<T>::CopyColTo1DArray(TArray& Dest, int32_t Col, int32_t FirstRow, int32_t LastRow,
                                   int32_t DestElem) const {
  if (!HasStorage()) return;
  MakeValidRowRange(FirstRow, LastRow);
  Col = std::clamp(Col, 1, FNCol);
  std::fill(Dest.begin(), Dest.end(), T{0});
  const auto& column = Mat[static_cast<size_t>(Col - 1)];
  for (int64_t r = FirstRow; r <= LastRow; ++r) {
    const int64_t pos = DestElem + (r - FirstRow);
    if (pos >= static_cast<int64_t>(Dest.size())) break;
    if (pos >= 0) Dest[static_cast<size_t>(pos)] = column[static_cast<size_t>(r - 1)];
  }
}

template <class T>
void TMatrixT<T>::CopyRowTo1DArray(TArray& Dest, int32_t Row, int32_t FirstCol, int32_t LastCol,
                                   int32_t DestElem) const {
  if (!HasStorage()) return;
  MakeValidColRange(FirstCol, LastCol);
  Row = std::clamp(Row, 1, FNRow);
  std::fill(Dest.begin(), Dest.end(), T{0});
  for (int64_t c = FirstCol; c <= LastCol; ++c) {
    const int64_t pos = DestElem + (c - FirstCol);
    if (pos >= static_cast<int64_t>(Dest.size())) break;
    if (pos >= 0)
      Dest[static_cast<size_t>(pos)] =
          Mat[static_cast<size_t>(c - 1)][static_cast<size_t>(Row - 1)];
  }
}

template <class T>
void TMatrixT<T>::CopyFromVec(TDims Dim, const TVec* Src, int32_t FirstElem, int32_t LastElem,
                              int32_t DestCol, int32_t DestRow) {
  if (Src == nullptr || !HasStorage()) return;
  Src->MakeValidElemRange(FirstElem, LastElem);
  const bool fire = static_cast<bool>(OnChange);
  // Src may be a vector this matrix's handlers change; read it first.
  TArray values(static_cast<size_t>(LastElem - FirstElem + 1));
  for (int32_t e = FirstElem; e <= LastElem; ++e)
    values[static_cast<size_t>(e - FirstElem)] = Src->GetVal(e);
  const TShapeOf<TMatrixT> shape(*this);
  for (size_t i = 0; i < values.size(); ++i) {
    const auto off = static_cast<int64_t>(i);
    if (Dim == TDims::dimColumns)
      PutCell(DestCol + off, DestRow, values[i], fire);
    else
      PutCell(DestCol, DestRow + off, values[i], fire);
    if (fire && !shape.Same()) return;
  }
  Changed();
}

template <class T>
void TMatrixT<T>::CopyFromVec(const TVec* Src, int32_t FirstElem, int32_t LastElem, int32_t DestCol,
                              int32_t DestRow, bool AsColumn) {
  CopyFromVec(AsColumn ? TDims::dimRows : TDims::dimColumns, Src, FirstElem, LastElem, DestCol,
              DestRow);
}

template <class T>
template <class A>
int32_t TMatrixT<T>::CopyFrom1D(const A& Src, int32_t FirstElem, int32_t LastElem, int32_t Col,
                                int32_t Row, bool AsColumn) {
  if (Src.empty()) return -1;
  const auto size = static_cast<int64_t>(Src.size());
  if (FirstElem == 0 && LastElem == 0)
    LastElem =
        static_cast<int32_t>(std::min<int64_t>(size - 1, std::numeric_limits<int32_t>::max()));
  if (FirstElem < 0 || FirstElem >= size || LastElem < 0 || LastElem >= size) return -4;
  if (FirstElem > LastElem) std::swap(FirstElem, LastElem);
  if (!HasStorage()) return kMatCopyFromNoStorage;
  if (Col < 1 || Col > FNCol || Row < 1 || Row > FNRow) return -5;
  // Only what fits is copied; it is read before anything is written, so the
  // source may be a column of this matrix.
  const int64_t room = AsColumn ? FNRow - Row + 1 : FNCol - Col + 1;
  const int64_t len = std::min<int64_t>(int64_t{LastElem} - FirstElem + 1, room);
  TArray values(static_cast<size_t>(len));
  for (int64_t i = 0; i < len; ++i)
    values[static_cast<size_t>(i)] = ConvertElem<T>(Src[static_cast<size_t>(FirstElem + i)]);
  const bool fire = static_cast<bool>(OnChange);
  const TShapeOf<TMatrixT> shape(*this);
  for (int64_t i = 0; i < len; ++i) {
    if (AsColumn)
      PutCell(Col, Row + i, values[static_cast<size_t>(i)], fire);
    else
      PutCell(Col + i, Row, values[static_cast<size_t>(i)], fire);
    if (fire && !shape.Same()) return -6;
  }
  Changed();
  return 0;
}

template <class T>
int32_t TMatrixT<T>::CopyFromArray(const TDoubleArray& Src, int32_t FirstElem, int32_t LastElem,
                                   int32_t Col, int32_t Row, bool AsColumn) {
  return CopyFrom1D(Src, FirstElem, LastElem, Col, Row, AsColumn);
}

template <class T>
int32_t TMatrixT<T>::CopyFromArray(const TIntArray& Src, int32_t FirstElem, int32_t LastElem,
                                   int32_t Col, int32_t Row, bool AsColumn) {
  return CopyFrom1D(Src, FirstElem, LastElem, Col, Row, AsColumn);
}

template <class T>
template <class A>
int32_t TMatrixT<T>::CopyFrom2D(const A& Src, int32_t SrcColLo, int32_t SrcRowLo, int32_t SrcColHi,
                                int32_t SrcRowHi, int32_t DestCol, int32_t DestRow) {
  if (Src.empty() || Src.front().empty()) return -1;
  if (!IsRectangular(Src)) return -2;
  if (!HasStorage()) return kMatCopyFromNoStorage;
  const auto cols =
      static_cast<int32_t>(std::min<size_t>(Src.size(), std::numeric_limits<int32_t>::max()));
  const auto rows = static_cast<int32_t>(
      std::min<size_t>(Src.front().size(), std::numeric_limits<int32_t>::max()));
  // 0-based bounds: clamp as 1-based ones and shift back.
  auto clamp0 = [](int32_t& lo, int32_t& hi, int32_t count) {
    if (lo == 0 && hi == 0) {
      hi = count - 1;
      return;
    }
    lo = std::clamp(lo, 0, count - 1);
    hi = std::clamp(hi, 0, count - 1);
    if (lo > hi) std::swap(lo, hi);
  };
  clamp0(SrcColLo, SrcColHi, cols);
  clamp0(SrcRowLo, SrcRowHi, rows);
  const int64_t dc = int64_t{DestCol} - SrcColLo;  // matrix column of Src column i: i + dc
  const int64_t dr = int64_t{DestRow} - SrcRowLo;
  const int64_t c0 = std::max<int64_t>(SrcColLo, 1 - dc),
                c1 = std::min<int64_t>(SrcColHi, FNCol - dc);
  const int64_t r0 = std::max<int64_t>(SrcRowLo, 1 - dr),
                r1 = std::min<int64_t>(SrcRowHi, FNRow - dr);
  if (c0 <= c1 && r0 <= r1) {
    // Read the block first: Src may be this matrix's own storage.
    T2DArray block(static_cast<size_t>(c1 - c0 + 1), TArray(static_cast<size_t>(r1 - r0 + 1)));
    for (int64_t c = c0; c <= c1; ++c)
      for (int64_t r = r0; r <= r1; ++r)
        block[static_cast<size_t>(c - c0)][static_cast<size_t>(r - r0)] =
            ConvertElem<T>(Src[static_cast<size_t>(c)][static_cast<size_t>(r)]);
    const bool fire = static_cast<bool>(OnChange);
    const TShapeOf<TMatrixT> shape(*this);
    for (int64_t c = c0; c <= c1; ++c)
      for (int64_t r = r0; r <= r1; ++r) {
        PutCell(c + dc, r + dr, block[static_cast<size_t>(c - c0)][static_cast<size_t>(r - r0)],
                fire);
        if (fire && !shape.Same()) return -6;
      }
  }
  Changed();
  return 0;
}

template <class T>
int32_t TMatrixT<T>::CopyFromArray(const TDouble2DArray& Src, int32_t SrcColLo, int32_t SrcRowLo,
                                   int32_t SrcColHi, int32_t SrcRowHi, int32_t DestCol,
                                   int32_t DestRow) {
  return CopyFrom2D(Src, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, DestCol, DestRow);
}

template <class T>
int32_t TMatrixT<T>::CopyFromArray(const TInt2DArray& Src, int32_t SrcColLo, int32_t SrcRowLo,
                                   int32_t SrcColHi, int32_t SrcRowHi, int32_t DestCol,
                                   int32_t DestRow) {
  return CopyFrom2D(Src, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, DestCol, DestRow);
}

template <class T>
template <class A>
int32_t TMatrixT<T>::CopyTo2D(A& Dest, int32_t SrcColLo, int32_t SrcRowLo, int32_t SrcColHi,
                              int32_t SrcRowHi, int32_t DestCol, int32_t DestRow) const {
  using D = typename A::value_type::value_type;
  if (Dest.empty() || Dest.front().empty() || !IsRectangular(Dest)) return -1;
  if (!HasStorage()) return kMatCopyToNoStorage;
  if (MakeValidColRange(SrcColLo, SrcColHi)) return -2;
  if (MakeValidRowRange(SrcRowLo, SrcRowHi)) return -3;
  const auto cols = static_cast<int64_t>(Dest.size());
  const auto rows = static_cast<int64_t>(Dest.front().size());
  if (DestCol < 0 || DestCol >= cols || DestRow < 0 || DestRow >= rows) return -4;
  const int64_t nc = std::min<int64_t>(int64_t{SrcColHi} - SrcColLo + 1, cols - DestCol);
  const int64_t nr = std::min<int64_t>(int64_t{SrcRowHi} - SrcRowLo + 1, rows - DestRow);
  for (int64_t c = 0; c < nc; ++c) {
    const T* src = Mat[static_cast<size_t>(SrcColLo - 1 + c)].data() + (SrcRowLo - 1);
    D* dst = Dest[static_cast<size_t>(DestCol + c)].data() + DestRow;
    for (int64_t r = 0; r < nr; ++r) dst[r] = ConvertElem<D>(src[r]);
  }
  return 0;
}

template <class T>
int32_t TMatrixT<T>::CopyToArray(TDouble2DArray& Dest, int32_t SrcColLo, int32_t SrcRowLo,
                                 int32_t SrcColHi, int32_t SrcRowHi, int32_t DestCol,
                                 int32_t DestRow) const {
  return CopyTo2D(Dest, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, DestCol, DestRow);
}

template <class T>
int32_t TMatrixT<T>::CopyToArray(TInt2DArray& Dest, int32_t SrcColLo, int32_t SrcRowLo,
                                 int32_t SrcColHi, int32_t SrcRowHi, int32_t DestCol,
                                 int32_t DestRow) const {
  return CopyTo2D(Dest, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, DestCol, DestRow);
}

template <class T>
int32_t TMatrixT<T>::DuplicateDataAsArray(T2DArray& Dest) const {
  if (Dest.empty()) return -1;
  if (!HasStorage()) return kMatDuplicateNoStorage;
  T2DArray copy;
  try {
    copy = Mat;
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  Dest.swap(copy);
  return 0;
}

// ---------------------------------------------------------------------------
// Fills
// ---------------------------------------------------------------------------

template <class T>
void TMatrixT<T>::Fill(T Value) {
  if (!HasStorage()) return;
  for (auto& column : Mat) std::fill(column.begin(), column.end(), Value);
  Changed();
}

template <class T>
void TMatrixT<T>::Fill(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow, T Value) {
  if (!HasStorage()) return;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  for (int32_t c = LowCol; c <= HighCol; ++c) {
    auto& column = Mat[static_cast<size_t>(c - 1)];
    std::fill(column.begin() + (LowRow - 1), column.begin() + HighRow, Value);
  }
  Changed();
}

template <class T>
void TMatrixT<T>::FillDiag(T Value) {
  if (!HasStorage()) return;
  const int32_t n = std::min(FNCol, FNRow);
  for (int32_t i = 0; i < n; ++i) Mat[static_cast<size_t>(i)][static_cast<size_t>(i)] = Value;
  Changed();
}

template <class T>
void TMatrixT<T>::FillSerial(T Offset, T Diff) {
  if (!HasStorage()) return;
  FillArraySerial(Mat, Offset, Diff);
  Changed();
}

// ---------------------------------------------------------------------------
// Row and column operations
// ---------------------------------------------------------------------------

template <class T>
void TMatrixT<T>::Transpose() {
  if (!HasStorage()) return;
  T2DArray data = NewStorage(FNRow, FNCol);
  // Tiles keep both the columns read and the columns written in cache.
  constexpr int32_t kTile = 32;
  for (int32_t c0 = 0; c0 < FNCol; c0 += kTile) {
    const int32_t c1 = std::min(FNCol, c0 + kTile);
    for (int32_t r0 = 0; r0 < FNRow; r0 += kTile) {
      const int32_t r1 = std::min(FNRow, r0 + kTile);
      for (int32_t c = c0; c < c1; ++c) {
        const auto& src = Mat[static_cast<size_t>(c)];
        for (int32_t r = r0; r < r1; ++r)
          data[static_cast<size_t>(r)][static_cast<size_t>(c)] = src[static_cast<size_t>(r)];
      }
    }
  }
  SwapIn(data);
  NotifySizeChange();
}

template <class T>
double TMatrixT<T>::Trace() const {
  if (FNCol != FNRow || !HasStorage()) return 0;
  LD sum = 0;
  for (int32_t i = 0; i < FNCol; ++i)
    sum += static_cast<LD>(Mat[static_cast<size_t>(i)][static_cast<size_t>(i)]);
  return static_cast<double>(sum);
}

template <class T>
bool TMatrixT<T>::RemoveColumn(int32_t Col) {
  if (!HasStorage() || Col < 1 || Col > FNCol || FNCol == 1) return false;
  Mat.erase(Mat.begin() + (Col - 1));
  FNCol = static_cast<int32_t>(Mat.size());
  NotifySizeChange();
  return true;
}

template <class T>
bool TMatrixT<T>::RemoveRow(int32_t Row) {
  if (!HasStorage() || Row < 1 || Row > FNRow || FNRow == 1) return false;
  for (auto& column : Mat) column.erase(column.begin() + (Row - 1));
  FNRow -= 1;
  NotifySizeChange();
  return true;
}

template <class T>
void TMatrixT<T>::ExchangeColumns(int32_t c1, int32_t c2) {
  if (!HasStorage() || c1 < 1 || c1 > FNCol || c2 < 1 || c2 > FNCol) return;
  Mat[static_cast<size_t>(c1 - 1)].swap(Mat[static_cast<size_t>(c2 - 1)]);
  Changed();
}

template <class T>
void TMatrixT<T>::ExchangeRows(int32_t r1, int32_t r2) {
  if (!HasStorage() || r1 < 1 || r1 > FNRow || r2 < 1 || r2 > FNRow) return;
  for (auto& column : Mat)
    std::swap(column[static_cast<size_t>(r1 - 1)], column[static_cast<size_t>(r2 - 1)]);
  Changed();
}

template <class T>
void TMatrixT<T>::MirrorColumns() {
  if (!HasStorage()) return;
  std::reverse(Mat.begin(), Mat.end());
  Changed();
}

template <class T>
void TMatrixT<T>::MirrorRows() {
  if (!HasStorage()) return;
  for (auto& column : Mat) std::reverse(column.begin(), column.end());
  Changed();
}

template <class T>
int32_t TMatrixT<T>::Diff(int32_t Order, TApplyColRow Mode) {
  if (Order < 1 || Order > 10) return kMatDiffBadOrder;
  if (!HasStorage()) return kMatDiffNoStorage;
  using matrix_detail::ElemSub;
  T2DArray data;
  switch (Mode) {
    case TApplyColRow::acrColumns: {
      if (Order >= FNRow) return -2;
      data = NewStorage(FNCol, FNRow - Order);
      std::vector<T> work;
      for (int32_t c = 0; c < FNCol; ++c) {
        work = Mat[static_cast<size_t>(c)];
        for (int32_t pass = 0; pass < Order; ++pass)
          for (int32_t r = 0; r + pass + 1 < FNRow; ++r)
            work[static_cast<size_t>(r)] =
                ElemSub(work[static_cast<size_t>(r + 1)], work[static_cast<size_t>(r)]);
        std::copy_n(work.begin(), FNRow - Order, data[static_cast<size_t>(c)].begin());
      }
      break;
    }
    case TApplyColRow::acrRows: {
      if (Order >= FNCol) return -2;
      data = NewStorage(FNCol - Order, FNRow);
      std::vector<T> work(static_cast<size_t>(FNCol));
      for (int32_t r = 0; r < FNRow; ++r) {
        for (int32_t c = 0; c < FNCol; ++c)
          work[static_cast<size_t>(c)] = Mat[static_cast<size_t>(c)][static_cast<size_t>(r)];
        for (int32_t pass = 0; pass < Order; ++pass)
          for (int32_t c = 0; c + pass + 1 < FNCol; ++c)
            work[static_cast<size_t>(c)] =
                ElemSub(work[static_cast<size_t>(c + 1)], work[static_cast<size_t>(c)]);
        for (int32_t c = 0; c < FNCol - Order; ++c)
          data[static_cast<size_t>(c)][static_cast<size_t>(r)] = work[static_cast<size_t>(c)];
      }
      break;
    }
    default: return 0;
  }
  SwapIn(data);
  NotifySizeChange();
  return 0;
}

template <class T>
int32_t TMatrixT<T>::Dichotomize(T Threshold, TBool2DArray& ResultArray) const {
  if (!HasStorage()) {
    ResultArray.clear();
    return 0;
  }
  TBool2DArray result;
  try {
    result.assign(static_cast<size_t>(FNCol), TBoolArray(static_cast<size_t>(FNRow), 0));
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  int64_t count = 0;
  for (size_t c = 0; c < Mat.size(); ++c) {
    const auto& column = Mat[c];
    auto& out = result[c];
    for (size_t r = 0; r < column.size(); ++r) {
      const bool above = column[r] > Threshold;
      out[r] = above ? 1 : 0;
      count += above ? 1 : 0;
    }
  }
  ResultArray.swap(result);
  return SaturateCount(count);
}

template <class T>
int32_t TMatrixT<T>::CountValues(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                                 T RangeLow, T RangeHigh) const {
  if (!HasStorage()) return 0;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  int64_t count = 0;
  for (int32_t c = LowCol; c <= HighCol; ++c) {
    const T* p = Mat[static_cast<size_t>(c - 1)].data();
    for (int32_t r = LowRow - 1; r < HighRow; ++r)
      count += (p[r] >= RangeLow && p[r] <= RangeHigh) ? 1 : 0;
  }
  return SaturateCount(count);
}

template <class T>
void TMatrixT<T>::Find(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow, T Value,
                       int32_t& ColIx, int32_t& RowIx) const {
  if (!HasStorage()) {
    ColIx = RowIx = 0;
    return;
  }
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  ColIx = LowCol;
  RowIx = LowRow;
  using matrix_detail::AbsDiff;
  using D = decltype(AbsDiff(Value, Value));
  D best = std::numeric_limits<D>::has_infinity ? std::numeric_limits<D>::infinity()
                                                : std::numeric_limits<D>::max();
  for (int32_t c = LowCol; c <= HighCol; ++c) {
    const T* p = Mat[static_cast<size_t>(c - 1)].data();
    for (int32_t r = LowRow; r <= HighRow; ++r) {
      const auto d = AbsDiff(p[r - 1], Value);
      if (d < best) {
        best = d;
        ColIx = c;
        RowIx = r;
      }
    }
  }
}

template <class T>
int32_t TMatrixT<T>::FindInSortedColumn(int32_t Col, bool ColIsAscending, T Value) const {
  if (Col < 1 || Col > FNCol || !HasStorage()) return 0;
  const auto& a = Mat[static_cast<size_t>(Col - 1)];
  int32_t lo = 1;
  int32_t hi = FNRow;
  while (hi - lo > 1) {
    const int32_t mid = lo + (hi - lo) / 2;
    const T x = a[static_cast<size_t>(mid - 1)];
    if (x == Value) return mid;
    if (ColIsAscending ? (Value > x) : (Value < x))
      lo = mid;
    else
      hi = mid;
  }
  const auto dLo = matrix_detail::AbsDiff(a[static_cast<size_t>(lo - 1)], Value);
  const auto dHi = matrix_detail::AbsDiff(a[static_cast<size_t>(hi - 1)], Value);
  return dLo < dHi ? lo : hi;
}

template <class T>
int32_t TMatrixT<T>::EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, const TIntArray& EdgeIx,
                                TVector* Dest) const {
  if (Dest == nullptr) return -3;
  if (!HasStorage()) return kMatEdgeUnallocated;
  const bool rowwise = Orient == TOrientation::orRowwise;
  const int32_t nResults = rowwise ? FNRow : FNCol;
  const int32_t nOther = rowwise ? FNCol : FNRow;
  int32_t status = 0;
  std::vector<int32_t> used;
  if (EdgeIx.empty()) {
    used.resize(static_cast<size_t>(nOther));
    for (int32_t i = 0; i < nOther; ++i) used[static_cast<size_t>(i)] = i + 1;
  } else {
    for (const int32_t ix : EdgeIx) {
      if (ix >= 1 && ix <= nOther)
        used.push_back(ix);
      else
        status = -2;
    }
  }
  struct Acc {
    double Min = uc_MaxDouble;
    double Max = -uc_MaxDouble;
    LD Sum = 0;
    LD Mean = 0;
    LD SumSq = 0;  // of the deviations from Mean
    double First = 0;
    bool Varies = false;
  };
  std::vector<Acc> acc(static_cast<size_t>(nResults));
  const bool stdDev = EdgeOp == TEdgeOp::eoStdDev;
  // Visits every used value as visit(accumulator, value), in storage order.
  auto sweep = [&](auto&& visit) {
    if (rowwise) {
      for (const int32_t c : used) {
        const auto& column = Mat[static_cast<size_t>(c - 1)];
        for (int32_t r = 0; r < nResults; ++r)
          visit(acc[static_cast<size_t>(r)], static_cast<double>(column[static_cast<size_t>(r)]));
      }
    } else {
      for (int32_t c = 0; c < nResults; ++c) {
        const auto& column = Mat[static_cast<size_t>(c)];
        for (const int32_t r : used)
          visit(acc[static_cast<size_t>(c)],
                static_cast<double>(column[static_cast<size_t>(r - 1)]));
      }
    }
  };
  if (!used.empty()) {
    const int32_t firstIx = used.front() - 1;
    for (int32_t i = 0; i < nResults; ++i) {
      Acc& a = acc[static_cast<size_t>(i)];
      a.First =
          static_cast<double>(rowwise ? Mat[static_cast<size_t>(firstIx)][static_cast<size_t>(i)]
                                      : Mat[static_cast<size_t>(i)][static_cast<size_t>(firstIx)]);
      a.Varies = !std::isfinite(a.First);
    }
  }
  sweep([](Acc& a, double x) {
    // NaN has no place in the order: it becomes the minimum and maximum.
    if (x < a.Min || std::isnan(x)) a.Min = x;
    if (x > a.Max || std::isnan(x)) a.Max = x;
    a.Sum += static_cast<LD>(x);
    a.Varies = a.Varies || !(x == a.First);
  });
  const auto n = static_cast<LD>(used.size());
  // The standard deviation takes the deviations from the mean in a second
  // sweep; a constant series has exactly none.
  if (stdDev && used.size() >= 3) {
    for (Acc& a : acc) a.Mean = a.Sum / n;
    sweep([](Acc& a, double x) {
      if (!a.Varies) return;
      const LD d = static_cast<LD>(x) - a.Mean;
      a.SumSq += d * d;
    });
  }
  TDoubleArray results(static_cast<size_t>(nResults), 0.0);
  for (size_t i = 0; i < results.size(); ++i) {
    const Acc& a = acc[i];
    switch (EdgeOp) {
      case TEdgeOp::eoMin: results[i] = a.Min; break;
      case TEdgeOp::eoMax: results[i] = a.Max; break;
      case TEdgeOp::eoSum: results[i] = static_cast<double>(a.Sum); break;
      case TEdgeOp::eoMean: results[i] = used.empty() ? 0.0 : static_cast<double>(a.Sum / n); break;
      case TEdgeOp::eoStdDev:
        if (used.size() >= 3) {
          const LD var = a.SumSq / (n - 1);
          results[i] = var < 0 ? 0.0 : static_cast<double>(std::sqrt(var));
        }
        break;
    }
  }
  Dest->Resize(nResults);
  Dest->CopyFrom(results, 0, nResults - 1, 1);
  return status;
}

template <class T>
int32_t TMatrixT<T>::EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, TVector* Dest) const {
  return EdgeVector(Orient, EdgeOp, TIntArray{}, Dest);
}

template <class T>
std::string TMatrixT<T>::CRCofData() const {
  if (!HasStorage()) return {};
  // One register per byte of the element: 8 for doubles, 4 for integers.
  std::conditional_t<std::is_same_v<T, double>, TDoubleFingerprint, TInt32Fingerprint> fingerprint;
  for (const auto& column : Mat)
    for (const T x : column) fingerprint.Add(x);
  return fingerprint.Text();
}

// ---------------------------------------------------------------------------
// Instantiation of the members defined in this file
// ---------------------------------------------------------------------------

#define ZEL_MATRIX_CORE_MEMBERS(T)                                                                \
  template TMatrixT<T>::TMatrixT(TComponent*);                                                    \
  template void TMatrixT<T>::Fail(const std::string&) const;                                      \
  template TMatrixT<T>::T2DArray TMatrixT<T>::NewStorage(int64_t, int64_t) const;                 \
  template void TMatrixT<T>::SwapIn(T2DArray&);                                                   \
  template void TMatrixT<T>::NotifySizeChange();                                                  \
  template void TMatrixT<T>::SetNrOfColumns(int32_t);                                             \
  template void TMatrixT<T>::SetNrOfRows(int32_t);                                                \
  template void TMatrixT<T>::SetVal(int32_t, int32_t, T);                                         \
  template bool TMatrixT<T>::Resize(int32_t, int32_t);                                            \
  template bool TMatrixT<T>::ResizeStorage(int32_t, int32_t);                                     \
  template void TMatrixT<T>::ResizeAndClear(int32_t, int32_t);                                    \
  template void TMatrixT<T>::Changed();                                                           \
  template void TMatrixT<T>::Resized();                                                           \
  template void TMatrixT<T>::PercDone(TObject*, int32_t);                                         \
  template void TMatrixT<T>::SortExchange(int32_t, int32_t, int32_t, int32_t, int32_t);           \
  template bool TMatrixT<T>::StoreAll(T2DArray&&);                                                \
  template bool TMatrixT<T>::MakeValidColRange(int32_t&, int32_t&) const;                         \
  template bool TMatrixT<T>::MakeValidRowRange(int32_t&, int32_t&) const;                         \
  template void TMatrixT<T>::Clone(const TMatrixT<T>*);                                           \
  template void TMatrixT<T>::CopyFrom(const TMatrixT<T>*, int32_t, int32_t, int32_t, int32_t,     \
                                      int32_t, int32_t);                                          \
  template void TMatrixT<T>::CopyColToVec(TVec*, int32_t, int32_t, int32_t, int32_t) const;       \
  template void TMatrixT<T>::CopyRowToVec(TVec*, int32_t, int32_t, int32_t, int32_t) const;       \
  template void TMatrixT<T>::CopyColTo1DArray(TArray&, int32_t, int32_t, int32_t, int32_t) const; \
  template void TMatrixT<T>::CopyRowTo1DArray(TArray&, int32_t, int32_t, int32_t, int32_t) const; \
  template void TMatrixT<T>::CopyFromVec(TDims, const TVec*, int32_t, int32_t, int32_t, int32_t); \
  template void TMatrixT<T>::CopyFromVec(const TVec*, int32_t, int32_t, int32_t, int32_t, bool);  \
  template int32_t TMatrixT<T>::CopyFromArray(const TDoubleArray&, int32_t, int32_t, int32_t,     \
                                              int32_t, bool);                                     \
  template int32_t TMatrixT<T>::CopyFromArray(const TIntArray&, int32_t, int32_t, int32_t,        \
                                              int32_t, bool);                                     \
  template int32_t TMatrixT<T>::CopyFromArray(const TDouble2DArray&, int32_t, int32_t, int32_t,   \
                                              int32_t, int32_t, int32_t);                         \
  template int32_t TMatrixT<T>::CopyFromArray(const TInt2DArray&, int32_t, int32_t, int32_t,      \
                                              int32_t, int32_t, int32_t);                         \
  template int32_t TMatrixT<T>::CopyToArray(TDouble2DArray&, int32_t, int32_t, int32_t, int32_t,  \
                                            int32_t, int32_t) const;                              \
  template int32_t TMatrixT<T>::CopyToArray(TInt2DArray&, int32_t, int32_t, int32_t, int32_t,     \
                                            int32_t, int32_t) const;                              \
  template int32_t TMatrixT<T>::DuplicateDataAsArray(T2DArray&) const;                            \
  template void TMatrixT<T>::Fill(T);                                                             \
  template void TMatrixT<T>::Fill(int32_t, int32_t, int32_t, int32_t, T);                         \
  template void TMatrixT<T>::FillDiag(T);                                                         \
  template void TMatrixT<T>::FillSerial(T, T);                                                    \
  template void TMatrixT<T>::Transpose();                                                         \
  template double TMatrixT<T>::Trace() const;                                                     \
  template bool TMatrixT<T>::RemoveColumn(int32_t);                                               \
  template bool TMatrixT<T>::RemoveRow(int32_t);                                                  \
  template void TMatrixT<T>::ExchangeColumns(int32_t, int32_t);                                   \
  template void TMatrixT<T>::ExchangeRows(int32_t, int32_t);                                      \
  template void TMatrixT<T>::MirrorColumns();                                                     \
  template void TMatrixT<T>::MirrorRows();                                                        \
  template int32_t TMatrixT<T>::Diff(int32_t, TApplyColRow);                                      \
  template int32_t TMatrixT<T>::Dichotomize(T, TBool2DArray&) const;                              \
  template int32_t TMatrixT<T>::CountValues(int32_t, int32_t, int32_t, int32_t, T, T) const;      \
  template void TMatrixT<T>::Find(int32_t, int32_t, int32_t, int32_t, T, int32_t&, int32_t&)      \
      const;                                                                                      \
  template int32_t TMatrixT<T>::FindInSortedColumn(int32_t, bool, T) const;                       \
  template int32_t TMatrixT<T>::EdgeVector(TOrientation, TEdgeOp, const TIntArray&, TVector*)     \
      const;                                                                                      \
  template int32_t TMatrixT<T>::EdgeVector(TOrientation, TEdgeOp, TVector*) const;                \
  template std::string TMatrixT<T>::CRCofData() const;

ZEL_MATRIX_CORE_MEMBERS(double)
ZEL_MATRIX_CORE_MEMBERS(int32_t)
#undef ZEL_MATRIX_CORE_MEMBERS

}  // namespace zel
