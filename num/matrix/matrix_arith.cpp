// TMatrix: precisions, assignment, random fills, element-wise arithmetic
// and the matrix and vector products.
#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "core/zel_random.hpp"
#include "num/math1/zel_math1.hpp"
#include "num/matrix/matrix_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {

// ---------------------------------------------------------------------------
// Precisions and assignment
// ---------------------------------------------------------------------------

void TMatrix::SetPrecision(int32_t ix, int32_t Value) {
  Value = std::clamp(Value, -1, 25);
  if (ix <= 1)
    FPrecis = Value;
  else
    FPrecis2 = Value;
}

void TMatrix::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TMatrix*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);  // throws unless Source knows how to assign itself
    return;
  }
  if (src == this) return;
  T2DArray copy;
  try {
    copy = src->Mat;
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  const bool resized = src->FNCol != FNCol || src->FNRow != FNRow;
  SwapIn(copy);
  FDataID = src->FDataID;
  FPrecis = src->FPrecis;
  FPrecis2 = src->FPrecis2;
  OnChange = src->OnChange;
  OnResize = src->OnResize;
  OnSortExchange = src->OnSortExchange;
  OnCalcDistance = src->OnCalcDistance;
  OnPercentDone = src->OnPercentDone;
  Changed();
  if (resized) Resized();
}

bool TMatrix::ReplaceData(TDouble2DArray&& Data) {
  if (Data.empty() || Data.front().empty() || !IsRectangular(Data) ||
      Data.size() > static_cast<size_t>(INT32_MAX) ||
      Data.front().size() > static_cast<size_t>(INT32_MAX))
    return false;
  const bool resized = static_cast<size_t>(FNCol) != Data.size() ||
                       static_cast<size_t>(FNRow) != Data.front().size();
  SwapIn(Data);
  Data = TDouble2DArray();
  if (resized)
    NotifySizeChange();
  else
    Changed();
  return true;
}

bool TMatrix::AssignTo(TPersistent* Dest) const {
  auto* dst = dynamic_cast<TMatrix*>(Dest);
  if (dst == nullptr) return false;
  dst->Assign(this);
  return true;
}

// ---------------------------------------------------------------------------
// Random fills
// ---------------------------------------------------------------------------

void TMatrix::FillRandomUniform(double RangeLow, double RangeHigh) {
  FillRandomUniform(1, FNCol, 1, FNRow, RangeLow, RangeHigh);
}

void TMatrix::FillRandomUniform(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                                double RangeLow, double RangeHigh) {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  const double width = RangeHigh - RangeLow;
  for (int32_t c = LowCol; c <= HighCol; ++c) {
    double* p = Mat[static_cast<size_t>(c - 1)].data();
    for (int32_t r = LowRow - 1; r < HighRow; ++r) p[r] = RangeLow + Random() * width;
  }
  Changed();
}

void TMatrix::FillRandomGauss(double Mean, double StdDev) {
  FillRandomGauss(1, FNCol, 1, FNRow, Mean, StdDev);
}

void TMatrix::FillRandomGauss(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                              double Mean, double StdDev) {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  for (int32_t c = LowCol; c <= HighCol; ++c) {
    double* p = Mat[static_cast<size_t>(c - 1)].data();
    for (int32_t r = LowRow - 1; r < HighRow; ++r) p[r] = GRandom() * StdDev + Mean;
  }
  Changed();
}

// ---------------------------------------------------------------------------
// Element-wise arithmetic (shared with the integer matrix)
// ---------------------------------------------------------------------------

using matrix_detail::ElemAdd;
using matrix_detail::ElemMul;
using matrix_detail::ElemSub;

template <class T>
bool TMatrixT<T>::AddElems(const TMatrixT* MatB, bool Negate) {
  if (MatB == nullptr || !HasStorage() || !MatB->HasStorage() || MatB->FNCol != FNCol ||
      MatB->FNRow != FNRow)
    return false;
  for (size_t c = 0; c < Mat.size(); ++c) {
    T* a = Mat[c].data();
    const T* b = MatB->Mat[c].data();
    const size_t n = Mat[c].size();
    if (Negate)
      for (size_t r = 0; r < n; ++r) a[r] = ElemSub(a[r], b[r]);
    else
      for (size_t r = 0; r < n; ++r) a[r] = ElemAdd(a[r], b[r]);
  }
  Changed();
  return true;
}

template <class T>
void TMatrixT<T>::ScaleElems(T Scalar) {
  if (!HasStorage()) return;
  for (auto& column : Mat)
    for (T& x : column) x = ElemMul(x, Scalar);
  Changed();
}

template <class T>
void TMatrixT<T>::ShiftElems(T Scalar) {
  if (!HasStorage()) return;
  for (auto& column : Mat)
    for (T& x : column) x = ElemAdd(x, Scalar);
  Changed();
}

template <class T>
bool TMatrixT<T>::EMultInto(const TMatrixT* MatB, TMatrixT* MatRes) const {
  if (MatB == nullptr || MatRes == nullptr || !HasStorage() || !MatB->HasStorage() ||
      !MatRes->HasStorage() || MatB->FNCol != FNCol || MatB->FNRow != FNRow)
    return false;
  T2DArray res = NewStorage(FNCol, FNRow);
  for (size_t c = 0; c < Mat.size(); ++c) {
    const T* a = Mat[c].data();
    const T* b = MatB->Mat[c].data();
    T* out = res[c].data();
    for (size_t r = 0; r < Mat[c].size(); ++r) out[r] = ElemMul(a[r], b[r]);
  }
  if (!MatRes->StoreAll(std::move(res))) return false;
  MatRes->Changed();
  return true;
}

#define ZEL_MATRIX_ARITH_MEMBERS(T)                              \
  template bool TMatrixT<T>::AddElems(const TMatrixT<T>*, bool); \
  template void TMatrixT<T>::ScaleElems(T);                      \
  template void TMatrixT<T>::ShiftElems(T);                      \
  template bool TMatrixT<T>::EMultInto(const TMatrixT<T>*, TMatrixT<T>*) const;

ZEL_MATRIX_ARITH_MEMBERS(double)
ZEL_MATRIX_ARITH_MEMBERS(int32_t)
#undef ZEL_MATRIX_ARITH_MEMBERS

bool TMatrix::Add(const TMatrix* MatB) { return AddElems(MatB, false); }

bool TMatrix::Subtract(const TMatrix* MatB) { return AddElems(MatB, true); }

void TMatrix::SMult(double Scalar) { ScaleElems(Scalar); }

void TMatrix::SAdd(double Scalar) { ShiftElems(Scalar); }

// ---------------------------------------------------------------------------
// Products
// ---------------------------------------------------------------------------

namespace {

using matrix_detail::ColumnPointers;
using matrix_detail::StoreIntoVector;

}  // namespace

bool TMatrix::EMult(const TMatrix* MatB, TMatrix* MatRes) const { return EMultInto(MatB, MatRes); }

bool TMatrix::Multiply(const TMatrix* MatB, TMatrix* MatRes) const {
  if (MatB == nullptr || MatRes == nullptr || FNCol != MatB->FNRow) return false;
  T2DArray res = NewStorage(MatB->FNCol, FNRow);
  try {
    const auto a = ColumnPointers(Mat);
    const auto b = ColumnPointers(MatB->Mat);
    const auto c = ColumnPointers(res);
    matrix_detail::Gemm(FNRow, MatB->FNCol, FNCol, a.data(), false, b.data(), false, c.data());
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  if (!MatRes->StoreAll(std::move(res))) return false;
  MatRes->Changed();
  return true;
}

bool TMatrix::MultiplyTransposed(const TMatrix* MatB, TMatrix* MatRes) const {
  if (MatB == nullptr || MatRes == nullptr || FNCol != MatB->FNCol) return false;
  T2DArray res = NewStorage(MatB->FNRow, FNRow);
  try {
    const auto a = ColumnPointers(Mat);
    const auto b = ColumnPointers(MatB->Mat);
    const auto c = ColumnPointers(res);
    matrix_detail::Gemm(FNRow, MatB->FNRow, FNCol, a.data(), false, b.data(), true, c.data());
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  if (!MatRes->StoreAll(std::move(res))) return false;
  MatRes->Changed();
  return true;
}

bool TMatrix::TransposeAndMultiply(const TMatrix* MatB, TMatrix* MatRes) const {
  if (MatB == nullptr || MatRes == nullptr || FNRow != MatB->FNRow) return false;
  T2DArray res = NewStorage(MatB->FNCol, FNCol);
  try {
    const auto a = ColumnPointers(Mat);
    const auto b = ColumnPointers(MatB->Mat);
    const auto c = ColumnPointers(res);
    matrix_detail::Gemm(FNCol, MatB->FNCol, FNRow, a.data(), true, b.data(), false, c.data());
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  if (!MatRes->StoreAll(std::move(res))) return false;
  MatRes->Changed();
  return true;
}

bool TMatrix::Multiply(const TVector* VecB, TVector* VecRes) const {
  if (VecB == nullptr || VecRes == nullptr || VecB->GetNrOfElem() != FNCol) return false;
  // Computed completely before VecRes (which may be VecB) is touched.
  std::vector<double> res(static_cast<size_t>(FNRow), 0.0);
  for (int32_t k = 0; k < FNCol; ++k) {
    const double b = VecB->GetVal(k + 1);
    const double* a = Mat[static_cast<size_t>(k)].data();
    for (size_t r = 0; r < res.size(); ++r) res[r] += a[r] * b;
  }
  return StoreIntoVector(res, *VecRes);
}

bool TMatrix::TransposeAndMultiply(const TVector* VecB, TVector* VecRes) const {
  if (VecB == nullptr || VecRes == nullptr || VecB->GetNrOfElem() != FNRow) return false;
  std::vector<double> b(static_cast<size_t>(FNRow));
  for (int32_t k = 0; k < FNRow; ++k) b[static_cast<size_t>(k)] = VecB->GetVal(k + 1);
  std::vector<double> res(static_cast<size_t>(FNCol), 0.0);
  for (size_t c = 0; c < res.size(); ++c) {
    const double* a = Mat[c].data();
    double s = 0;
    for (size_t k = 0; k < b.size(); ++k) s += a[k] * b[k];
    res[c] = s;
  }
  return StoreIntoVector(res, *VecRes);
}

}  // namespace zel
