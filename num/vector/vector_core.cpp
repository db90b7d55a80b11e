// Vectors: creation, size and element access, notification, ranges,
// assignment and copies, fills and in-place operations, and the double
// vector's centring and normalisation.
#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

#include "core/zel_random.hpp"
#include "num/math1/zel_math1.hpp"
#include "num/vector/vector_kernels_impl.hpp"
#include "num/vector/zel_vector.hpp"

namespace zel {

using vector_detail::LD;

// ---------------------------------------------------------------------------
// Creation, size and element access, notification
// ---------------------------------------------------------------------------

template <class T>
TVectorT<T>::TVectorT(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FVec.assign(1, T{0});
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
}

template <class T>
void TVectorT<T>::Fail(const std::string& Text) const {
  throw EZELVectorError(ComponentMessage(Text));
}

template <class T>
void TVectorT<T>::SetVecSize(int32_t n) {
  if (n > 0 && n != GetNrOfElem()) Resize(n);
}

template <class T>
bool TVectorT<T>::Resize(int32_t n) {
  if (n == GetNrOfElem()) return true;
  if (n <= 0) return false;
  try {
    FVec.resize(static_cast<size_t>(n), T{0});
  } catch (const std::bad_alloc&) {
    Fail("not enough memory");
  }
  Changed();
  Resized();
  return true;
}

template <class T>
void TVectorT<T>::SetVal(int32_t Elem, T Value) {
  if (Elem < 1 || Elem > GetNrOfElem()) return;
  FVec[static_cast<size_t>(Elem - 1)] = Value;
  FIsEmpty = false;
  Changed();
}

template <class T>
double TVectorT<T>::GetLeng() const {
  const LD sq = vector_detail::LaneSum(FVec.data(), FVec.size(), [](T x) {
    const LD v = static_cast<LD>(x);
    return v * v;
  });
  return static_cast<double>(std::sqrt(sq));
}

template <class T>
void TVectorT<T>::Changed() {
  if (OnChange) OnChange(this);
}

template <class T>
void TVectorT<T>::Resized() {
  if (OnResize) OnResize(this);
}

template <class T>
void TVectorT<T>::SortExchange(int32_t ExchgKind, int32_t Index1, int32_t Index2, int32_t First,
                               int32_t Last) {
  if (OnSortExchange) OnSortExchange(this, ExchgKind, Index1, Index2, First, Last);
}

// ---------------------------------------------------------------------------
// Ranges
// ---------------------------------------------------------------------------

template <class T>
int32_t TVectorT<T>::MakeValidElemRange(int32_t& LowElem, int32_t& HighElem) const {
  const int32_t n = GetNrOfElem();
  if (LowElem == 0 && HighElem == 0) {
    LowElem = 1;
    HighElem = n;
    return 0;
  }
  int32_t result = 0;
  auto clamp = [&](int32_t& b) {
    if (b < 1) {
      b = 1;
      result = -1;
    } else if (b > n) {
      b = n;
      result = -1;
    }
  };
  clamp(LowElem);
  clamp(HighElem);
  if (LowElem > HighElem) std::swap(LowElem, HighElem);
  return result;
}

// ---------------------------------------------------------------------------
// Assignment and copies
// ---------------------------------------------------------------------------

template <class T>
void TVectorT<T>::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TVectorT*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);  // throws unless Source knows how to assign itself
    return;
  }
  if (src == this) return;
  std::vector<T> copy;
  try {
    copy = src->FVec;
  } catch (const std::bad_alloc&) {
    Fail("not enough memory");
  }
  const bool resized = copy.size() != FVec.size();
  FVec = std::move(copy);
  FIsEmpty = src->FIsEmpty;
  OnChange = src->OnChange;
  OnResize = src->OnResize;
  OnSortExchange = src->OnSortExchange;
  Changed();
  if (resized) Resized();
}

template <class T>
bool TVectorT<T>::AssignTo(TPersistent* Dest) const {
  auto* dst = dynamic_cast<TVectorT*>(Dest);
  if (dst == nullptr) return false;
  dst->Assign(this);
  return true;
}

template <class T>
void TVectorT<T>::Clone(const TVectorT* VecSource) {
  if (VecSource == nullptr || VecSource == this) return;
  std::vector<T> copy;
  try {
    copy = VecSource->FVec;
  } catch (const std::bad_alloc&) {
    Fail("not enough memory");
  }
  const bool resized = copy.size() != FVec.size();
  FVec = std::move(copy);
  FIsEmpty = VecSource->FIsEmpty;
  Changed();
  if (resized) Resized();
}

template <class T>
int32_t TVectorT<T>::CopyFrom(const TVectorT* Src, int32_t SrcElemLo, int32_t SrcElemHi,
                              int32_t DestElem) {
  if (Src == nullptr) return -1;
  const int32_t n = GetNrOfElem();
  if (DestElem < 1 || DestElem > n) return -3;
  const int32_t sn = Src->GetNrOfElem();
  if (SrcElemLo == 0 && SrcElemHi == 0) {
    SrcElemLo = 1;
    SrcElemHi = sn;
  }
  if (SrcElemLo > SrcElemHi) std::swap(SrcElemLo, SrcElemHi);
  if (SrcElemLo < 1 || SrcElemHi > sn) return -2;
  const int64_t len =
      std::min<int64_t>(int64_t{SrcElemHi} - SrcElemLo + 1, int64_t{n} - DestElem + 1);
  const auto first = Src->FVec.begin() + (SrcElemLo - 1);
  // A copy within this vector may overlap; go through a temporary.
  if (Src == this) {
    const std::vector<T> tmp(first, first + len);
    std::copy(tmp.begin(), tmp.end(), FVec.begin() + (DestElem - 1));
  } else {
    std::copy(first, first + len, FVec.begin() + (DestElem - 1));
  }
  FIsEmpty = false;
  Changed();
  return 0;
}

template <class T>
int32_t TVectorT<T>::CopyFrom(const TArray& Src, int32_t SrcElemLo, int32_t SrcElemHi,
                              int32_t DestElem) {
  if (Src.empty()) return -1;
  if (SrcElemLo > SrcElemHi) std::swap(SrcElemLo, SrcElemHi);
  if (SrcElemLo < 0 || static_cast<size_t>(SrcElemHi) >= Src.size()) return -2;
  const int32_t n = GetNrOfElem();
  if (DestElem < 1 || DestElem > n) return -3;
  const int64_t len =
      std::min<int64_t>(int64_t{SrcElemHi} - SrcElemLo + 1, int64_t{n} - DestElem + 1);
  const auto first = Src.begin() + SrcElemLo;
  std::copy(first, first + len, FVec.begin() + (DestElem - 1));
  FIsEmpty = false;
  Changed();
  return 0;
}

namespace {

// Clamps an index into 0..count-1 (count >= 1).
int64_t ClampIndex(int64_t ix, int64_t count) { return std::clamp<int64_t>(ix, 0, count - 1); }

}  // namespace

template <class T>
void TVectorT<T>::CopyFrom2DArrayColumn(const T2DArray& SrcArray, int32_t Col, int32_t FirstRow,
                                        int32_t LastRow, int32_t DestElem) {
  const int64_t n = GetNrOfElem();
  if (SrcArray.empty() || DestElem > n) return;
  const auto& column =
      SrcArray[static_cast<size_t>(ClampIndex(Col, static_cast<int64_t>(SrcArray.size())))];
  if (column.empty()) return;
  const auto rows = static_cast<int64_t>(column.size());
  int64_t r0 = ClampIndex(FirstRow, rows);
  int64_t r1 = ClampIndex(LastRow, rows);
  if (r0 > r1) std::swap(r0, r1);
  bool written = false;
  for (int64_t r = r0; r <= r1; ++r) {
    const int64_t pos = DestElem + (r - r0);
    if (pos > n) break;
    if (pos < 1) continue;
    FVec[static_cast<size_t>(pos - 1)] = column[static_cast<size_t>(r)];
    written = true;
  }
  if (!written) return;
  FIsEmpty = false;
  Changed();
}

template <class T>
void TVectorT<T>::CopyFrom2DArrayRow(const T2DArray& SrcArray, int32_t Row, int32_t FirstCol,
                                     int32_t LastCol, int32_t DestElem) {
  const int64_t n = GetNrOfElem();
  if (SrcArray.empty() || SrcArray.front().empty() || DestElem > n) return;
  if (!IsRectangular(SrcArray)) return;
  const auto cols = static_cast<int64_t>(SrcArray.size());
  const auto row =
      static_cast<size_t>(ClampIndex(Row, static_cast<int64_t>(SrcArray.front().size())));
  int64_t c0 = ClampIndex(FirstCol, cols);
  int64_t c1 = ClampIndex(LastCol, cols);
  if (c0 > c1) std::swap(c0, c1);
  bool written = false;
  for (int64_t c = c0; c <= c1; ++c) {
    const int64_t pos = DestElem + (c - c0);
    if (pos > n) break;
    if (pos < 1) continue;
    FVec[static_cast<size_t>(pos - 1)] = SrcArray[static_cast<size_t>(c)][row];
    written = true;
  }
  if (!written) return;
  FIsEmpty = false;
  Changed();
}

template <class T>
void TVectorT<T>::CopyToArray(TArray& DestArray, int32_t LowElem, int32_t HighElem,
                              int32_t DestElem) const {
  MakeValidElemRange(LowElem, HighElem);
  const auto dest = static_cast<size_t>(std::max(DestElem, 0));
  const auto span = static_cast<size_t>(HighElem - LowElem + 1);
  try {
    DestArray.resize(dest + span);
  } catch (const std::bad_alloc&) {
    Fail("not enough memory");
  }
  std::copy_n(FVec.begin() + (LowElem - 1), span, DestArray.begin() + static_cast<ptrdiff_t>(dest));
}

template <class T>
void TVectorT<T>::CopyToArray(T2DArray& DestArray, int32_t LowElem, int32_t HighElem,
                              int32_t DestCol, int32_t DestRow, bool AsColumn) const {
  if (DestArray.empty()) return;
  MakeValidElemRange(LowElem, HighElem);
  const auto cols = static_cast<int64_t>(DestArray.size());
  const int64_t c0 = ClampIndex(DestCol, cols);
  const auto rows0 = static_cast<int64_t>(DestArray[static_cast<size_t>(c0)].size());
  if (rows0 == 0) return;
  const int64_t r0 = ClampIndex(DestRow, rows0);
  const int64_t span = int64_t{HighElem} - LowElem + 1;
  const T* src = FVec.data() + (LowElem - 1);
  if (AsColumn) {
    auto& column = DestArray[static_cast<size_t>(c0)];
    const int64_t count = std::min<int64_t>(span, rows0 - r0);
    std::copy_n(src, count, column.begin() + r0);
  } else {
    const int64_t count = std::min<int64_t>(span, cols - c0);
    for (int64_t k = 0; k < count; ++k) {
      auto& column = DestArray[static_cast<size_t>(c0 + k)];
      if (static_cast<int64_t>(column.size()) > r0) column[static_cast<size_t>(r0)] = src[k];
    }
  }
}

// ---------------------------------------------------------------------------
// Fills and in-place operations
// ---------------------------------------------------------------------------

template <class T>
void TVectorT<T>::Fill(T Value) {
  std::fill(FVec.begin(), FVec.end(), Value);
  FIsEmpty = false;
  Changed();
}

template <class T>
void TVectorT<T>::FillSerial(T Offset, T Diff) {
  const size_t n = FVec.size();
  for (size_t i = 0; i < n; ++i) {
    if constexpr (std::is_same_v<T, int32_t>)
      FVec[i] = WrapAdd(Offset, WrapMul(static_cast<int32_t>(i), Diff));
    else
      FVec[i] = Offset + static_cast<double>(i) * Diff;
  }
  FIsEmpty = false;
  Changed();
}

template <class T>
void TVectorT<T>::Clear() {
  std::fill(FVec.begin(), FVec.end(), T{0});
  FIsEmpty = true;
  Changed();
}

template <class T>
void TVectorT<T>::AbsVal() {
  for (T& x : FVec) {
    if constexpr (std::is_same_v<T, int32_t>)
      x = x < 0 ? WrapNeg(x) : x;
    else
      x = std::fabs(x);
  }
  Changed();
}

template <class T>
void TVectorT<T>::Mirror() {
  std::reverse(FVec.begin(), FVec.end());
  Changed();
}

template <class T>
void TVectorT<T>::ShuffleElems() {
  SetRandSeed(ClockSeed());
  const int32_t n = GetNrOfElem();
  for (int32_t k = 0; k < n; ++k) {
    const auto i = static_cast<size_t>(Random(n));
    const auto j = static_cast<size_t>(Random(n));
    std::swap(FVec[i], FVec[j]);
  }
  Changed();
}

// ---------------------------------------------------------------------------
// TVector: length, random fills, centring and normalisation
// ---------------------------------------------------------------------------

void TVector::SetLeng(double Value) {
  const double len = GetLeng();
  if (len == 0) return;
  const LD factor = static_cast<LD>(Value) / static_cast<LD>(len);
  for (double& x : FVec) x = static_cast<double>(static_cast<LD>(x) * factor);
  Changed();
}

void TVector::FillRandomUniform(double RangeLow, double RangeHigh) {
  const double width = RangeHigh - RangeLow;
  for (double& x : FVec) x = RangeLow + Random() * width;
  FIsEmpty = false;
  Changed();
}

void TVector::FillRandomGauss(double Mean, double StdDev) {
  for (double& x : FVec) x = Mean + StdDev * GRandom();
  FIsEmpty = false;
  Changed();
}

double TVector::MeanCenter() {
  const LD sum =
      vector_detail::LaneSum(FVec.data(), FVec.size(), [](double x) { return static_cast<LD>(x); });
  const double mean = static_cast<double>(sum / static_cast<LD>(FVec.size()));
  for (double& x : FVec) x -= mean;
  Changed();
  return mean;
}

void TVector::Standardize(double& Mean, double& StdDev) {
  double variance = 0;
  MeanVar(0, 0, Mean, variance);
  StdDev = std::sqrt(variance);
  if (!(StdDev > 0)) return;
  for (double& x : FVec) x = (x - Mean) / StdDev;
  Changed();
}

void TVector::QNormalize(double RefQuant, double& Median, double& QuantDiff) {
  Median = Percentile(50, 0, 0);
  QuantDiff = std::fabs(Median - Percentile(RefQuant, 0, 0));
  if (!(QuantDiff > 0)) return;
  for (double& x : FVec) x = (x - Median) / QuantDiff;
  Changed();
}

// ---------------------------------------------------------------------------
// Instantiation of the members defined in this file
// ---------------------------------------------------------------------------

#define ZEL_VECTOR_CORE_MEMBERS(T)                                                                \
  template TVectorT<T>::TVectorT(TComponent*);                                                    \
  template void TVectorT<T>::Fail(const std::string&) const;                                      \
  template void TVectorT<T>::SetVecSize(int32_t);                                                 \
  template bool TVectorT<T>::Resize(int32_t);                                                     \
  template void TVectorT<T>::SetVal(int32_t, T);                                                  \
  template double TVectorT<T>::GetLeng() const;                                                   \
  template void TVectorT<T>::Changed();                                                           \
  template void TVectorT<T>::Resized();                                                           \
  template void TVectorT<T>::SortExchange(int32_t, int32_t, int32_t, int32_t, int32_t);           \
  template int32_t TVectorT<T>::MakeValidElemRange(int32_t&, int32_t&) const;                     \
  template void TVectorT<T>::Assign(const TPersistent*);                                          \
  template bool TVectorT<T>::AssignTo(TPersistent*) const;                                        \
  template void TVectorT<T>::Clone(const TVectorT<T>*);                                           \
  template int32_t TVectorT<T>::CopyFrom(const TVectorT<T>*, int32_t, int32_t, int32_t);          \
  template int32_t TVectorT<T>::CopyFrom(const std::vector<T>&, int32_t, int32_t, int32_t);       \
  template void TVectorT<T>::CopyFrom2DArrayColumn(const std::vector<std::vector<T>>&, int32_t,   \
                                                   int32_t, int32_t, int32_t);                    \
  template void TVectorT<T>::CopyFrom2DArrayRow(const std::vector<std::vector<T>>&, int32_t,      \
                                                int32_t, int32_t, int32_t);                       \
  template void TVectorT<T>::CopyToArray(std::vector<T>&, int32_t, int32_t, int32_t) const;       \
  template void TVectorT<T>::CopyToArray(std::vector<std::vector<T>>&, int32_t, int32_t, int32_t, \
                                         int32_t, bool) const;                                    \
  template void TVectorT<T>::Fill(T);                                                             \
  template void TVectorT<T>::FillSerial(T, T);                                                    \
  template void TVectorT<T>::Clear();                                                             \
  template void TVectorT<T>::AbsVal();                                                            \
  template void TVectorT<T>::Mirror();                                                            \
  template void TVectorT<T>::ShuffleElems();

ZEL_VECTOR_CORE_MEMBERS(double)
ZEL_VECTOR_CORE_MEMBERS(int32_t)
#undef ZEL_VECTOR_CORE_MEMBERS

}  // namespace zel
