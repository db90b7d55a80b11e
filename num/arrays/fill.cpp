// Fills: constant, ranged, serial, diagonal, masked and random.
#include <algorithm>
#include <cmath>
#include <vector>

#include "core/zel_random.hpp"
#include "num/arrays/arrays_impl.hpp"

namespace zel {

using namespace arrays_detail;

namespace {

// Booleans are stored as 0 and 1 whatever the caller passed.
template <class T>
T Normalized(T value) {
  if constexpr (std::is_same_v<T, uint8_t>) {
    return value != 0 ? 1 : 0;
  } else {
    return value;
  }
}

template <class V, size_t R, class T>
void SetDiagonal(V& v, const TArrayIndex<R>& idx, size_t d, T value) {
  if constexpr (RankOf<V> == 1) {
    v[static_cast<size_t>(idx[d])] = value;
  } else {
    SetDiagonal(v[static_cast<size_t>(idx[d])], idx, d + 1, value);
  }
}

// A uniform integer in 0..span - 1 from u in [0, 1); span <= 2^32.
int64_t UniformBelow(int64_t span) {
  const auto k = static_cast<int64_t>(std::floor(Random() * static_cast<double>(span)));
  return std::min(k, span - 1);
}

}  // namespace

template <FillableArray A>
int32_t FillArray(A& a, ArrayElem<A> value) {
  using T = ArrayElem<A>;
  if (const int32_t s = CheckShape(a)) return s;
  const T v = Normalized(value);
  ForEachRun(a, [v](T* p, size_t n) { std::fill(p, p + n, v); });
  return 0;
}

namespace arrays_detail {
template <FillableArray A>
int32_t FillRange(A& a, const Ix<A>& lo, const Ix<A>& hi, ArrayElem<A> value) {
  using T = ArrayElem<A>;
  if (const int32_t s = CheckShape(a)) return s;
  if (CheckRange(Extents(a), lo, hi) != 0) return -2;
  const T v = Normalized(value);
  ForEachRunIn(a, lo, hi, [v](T* p, size_t n, const Ix<A>&) { std::fill(p, p + n, v); });
  return 0;
}
}  // namespace arrays_detail

template <NumArray A>
int32_t FillArraySerial(A& a, ArrayElem<A> first, ArrayElem<A> step) {
  using T = ArrayElem<A>;
  if (const int32_t s = CheckShape(a)) return s;
  uint64_t i = 0;
  ForEachRun(a, [&](T* p, size_t n) {
    for (size_t k = 0; k < n; ++k, ++i) {
      if constexpr (std::is_same_v<T, int32_t>) {
        // step * i modulo 2^32 depends only on i modulo 2^32.
        p[k] = WrapAdd(first, WrapMul(step, static_cast<int32_t>(static_cast<uint32_t>(i))));
      } else {
        p[k] = first + step * static_cast<double>(i);
      }
    }
  });
  return 0;
}

template <NumArray A>
int32_t FillArraySerial(A& a) {
  return FillArraySerial(a, ArrayElem<A>{0}, ArrayElem<A>{1});
}

template <NumArray234 A>
int32_t FillDiagArray(A& a, ArrayElem<A> value) {
  using T = ArrayElem<A>;
  if (const int32_t s = CheckShape(a)) return s;
  const Extent<A> ext = Extents(a);
  for (const size_t e : ext)
    if (e != ext[0]) return -2;
  ForEachRun(a, [](T* p, size_t n) { std::fill(p, p + n, T{}); });
  for (size_t i = 0; i < ext[0]; ++i) {
    Ix<A> idx;
    idx.fill(static_cast<int32_t>(i));
    SetDiagonal(a, idx, 0, value);
  }
  return 0;
}

template <NumElement T>
int32_t FillArrayMasked(Array2D<T>& a, std::type_identity_t<T> value, const TBool2DArray& mask) {
  const int32_t s = CheckShape(a);
  if (s == kArrayEmpty) return kMaskedEmptyData;
  if (s == kArrayBadRange) return kMaskedBadMask;
  const bool useMask = !mask.empty();
  if (useMask && CheckPair(a, mask) != 0) return kMaskedBadMask;
  int64_t cells = 0;
  for (size_t c = 0; c < a.size(); ++c) {
    for (size_t r = 0; r < a[c].size(); ++r) {
      if (useMask && mask[c][r] != 0) continue;
      a[c][r] = value;
      ++cells;
    }
  }
  return static_cast<int32_t>(std::min<int64_t>(cells, INT32_MAX));
}

// ---------------------------------------------------------------------------
// Random fills. Each call reseeds core's generator from ClockSeed(), which
// mixes the clock with a call counter, so that two calls in one clock tick
// still give different arrays.
// ---------------------------------------------------------------------------

template <DoubleArrayND A>
int32_t FillRandomUniform(A& a, double low, double high) {
  SetRandSeed(ClockSeed());
  if (const int32_t s = CheckShape(a)) return s;
  if (!(low <= high)) return -2;
  const double width = high - low;
  ForEachRun(a, [=](double* p, size_t n) {
    for (size_t i = 0; i < n; ++i) p[i] = low + width * Random();
  });
  return 0;
}

template <DoubleArrayND A>
int32_t FillRandomNormal(A& a, double mean, double stdDev) {
  SetRandSeed(ClockSeed());
  if (const int32_t s = CheckShape(a)) return s;
  if (!(stdDev >= 0)) return -2;
  ForEachRun(a, [=](double* p, size_t n) {
    for (size_t i = 0; i < n; ++i) p[i] = RandG(mean, stdDev);
  });
  return 0;
}

template <IntArrayND A>
int32_t FillRandomUniform(A& a, int32_t low, int32_t high) {
  SetRandSeed(ClockSeed());
  if (const int32_t s = CheckShape(a)) return s;
  if (high < low) return -2;
  const int64_t span = static_cast<int64_t>(high) - low;
  ForEachRun(a, [=](int32_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i)
      p[i] = static_cast<int32_t>(low + (span > 0 ? UniformBelow(span) : 0));
  });
  return 0;
}

int32_t FillRandomUniform(TIntArray& a, int32_t low, int32_t high, bool allowDuplicates) {
  SetRandSeed(ClockSeed());
  if (a.empty()) return -1;
  if (high < low) return -2;
  const int64_t span = static_cast<int64_t>(high) - low + 1;
  if (allowDuplicates) {
    for (int32_t& x : a) x = static_cast<int32_t>(low + UniformBelow(span));
    return 0;
  }
  if (span < static_cast<int64_t>(a.size())) return kRandomFillSpanTooSmall;
  if (span > 1000000) return kRandomFillSpanTooLarge;
  TIntArray values(static_cast<size_t>(span));
  for (size_t i = 0; i < values.size(); ++i)
    values[i] = static_cast<int32_t>(low + static_cast<int64_t>(i));
  // Partial Fisher-Yates: position i draws from all values not yet taken,
  // itself included, so every ordered choice of distinct values is equally
  // likely. (Sattolo's shuffle never leaves a value in its place: a[i] could
  // never be low + i.)
  const auto total = static_cast<int32_t>(span);
  for (size_t i = 0; i < a.size(); ++i) {
    const auto j = i + static_cast<size_t>(Random(total - static_cast<int32_t>(i)));
    std::swap(values[i], values[j]);
    a[i] = values[i];
  }
  return 0;
}

#define ZEL_INST(A)                             \
  template int32_t FillArray(A&, ArrayElem<A>); \
  template int32_t arrays_detail::FillRange(A&, const Ix<A>&, const Ix<A>&, ArrayElem<A>);
ZEL_NUM_ARRAYS(ZEL_INST)
ZEL_BOOL_ARRAYS(ZEL_INST)
#undef ZEL_INST

#define ZEL_INST(A)                                                 \
  template int32_t FillArraySerial(A&, ArrayElem<A>, ArrayElem<A>); \
  template int32_t FillArraySerial(A&);
ZEL_NUM_ARRAYS(ZEL_INST)
#undef ZEL_INST

#define ZEL_INST(A) template int32_t FillDiagArray(A&, ArrayElem<A>);
ZEL_INST(TDouble2DArray)
ZEL_INST(TDouble3DArray)
ZEL_INST(TDouble4DArray)
ZEL_INST(TInt2DArray)
ZEL_INST(TInt3DArray)
ZEL_INST(TInt4DArray)
#undef ZEL_INST

#define ZEL_INST(A)                                       \
  template int32_t FillRandomUniform(A&, double, double); \
  template int32_t FillRandomNormal(A&, double, double);
ZEL_DOUBLE_ARRAYS(ZEL_INST)
#undef ZEL_INST
#define ZEL_INST(A) template int32_t FillRandomUniform(A&, int32_t, int32_t);
ZEL_INT_ARRAYS(ZEL_INST)
#undef ZEL_INST

template int32_t FillArrayMasked<double>(Array2D<double>&, double, const TBool2DArray&);
template int32_t FillArrayMasked<int32_t>(Array2D<int32_t>&, int32_t, const TBool2DArray&);

}  // namespace zel
