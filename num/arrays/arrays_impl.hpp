// Shape checks and run visitors shared by the array unit's .cpp files. Not
// part of the interface: include num/arrays/zel_openarrays.hpp instead.
//
// Every rank-generic routine walks an array as a sequence of "runs": the
// contiguous storage of its innermost vectors, visited column by column. That
// keeps the inner loops simple enough for the compiler to vectorise and never
// copies the array.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "core/zel_system.hpp"
#include "core/zel_zelbase.hpp"
#include "num/arrays/zel_openarrays.hpp"

namespace zel::arrays_detail {

template <class A>
inline constexpr size_t RankOf = ArrayRank<std::remove_const_t<A>>;

template <class A>
using Extent = std::array<size_t, RankOf<A>>;

template <size_t D, class V, size_t R>
void CollectExtents(const V& v, std::array<size_t, R>& e) {
  e[D] = v.size();
  if constexpr (D + 1 < R) {
    if (v.empty()) {
      for (size_t k = D + 1; k < R; ++k) e[k] = 0;
    } else {
      CollectExtents<D + 1>(v.front(), e);
    }
  }
}

// Lengths along the first element of every level (the shape of a
// rectangular array).
template <class A>
Extent<A> Extents(const A& a) {
  Extent<A> e{};
  CollectExtents<0>(a, e);
  return e;
}

// 0, -1 when the array has no element (no column, or columns of length 0),
// -2 when it is ragged.
template <class A>
int32_t CheckShape(const A& a) {
  if (a.empty()) return -1;
  if (!IsRectangular(a)) return -2;
  for (size_t e : Extents(a))
    if (e == 0) return -1;
  return 0;
}

// Two operands: -1 when either is empty, -2 when either is ragged or their
// shapes differ.
template <class A, class B>
int32_t CheckPair(const A& a, const B& b) {
  const int32_t sa = CheckShape(a);
  const int32_t sb = CheckShape(b);
  if (sa == -1 || sb == -1) return -1;
  if (sa != 0 || sb != 0) return -2;
  return Extents(a) == Extents(b) ? 0 : -2;
}

// -2 unless 0 <= lo[d] <= hi[d] < ext[d] in every dimension.
template <size_t R>
int32_t CheckRange(const std::array<size_t, R>& ext, const TArrayIndex<R>& lo,
                   const TArrayIndex<R>& hi) {
  for (size_t d = 0; d < R; ++d)
    if (lo[d] < 0 || hi[d] < lo[d] || static_cast<size_t>(hi[d]) >= ext[d]) return -2;
  return 0;
}

// f(pointer, count) for every innermost vector, in storage order.
template <class V, class F>
void ForEachRun(V& v, F&& f) {
  if constexpr (RankOf<V> == 1) {
    f(v.data(), v.size());
  } else {
    for (auto& sub : v) ForEachRun(sub, f);
  }
}

// f(pa, pb, count) over two arrays of the same shape.
template <class V, class W, class F>
void ForEachRun2(V& a, W& b, F&& f) {
  if constexpr (RankOf<V> == 1) {
    f(a.data(), b.data(), a.size());
  } else {
    for (size_t i = 0; i < a.size(); ++i) ForEachRun2(a[i], b[i], f);
  }
}

// f(pa, pb, pc, count) over three arrays of the same shape.
template <class V, class W, class X, class F>
void ForEachRun3(V& a, W& b, X& c, F&& f) {
  if constexpr (RankOf<V> == 1) {
    f(a.data(), b.data(), c.data(), a.size());
  } else {
    for (size_t i = 0; i < a.size(); ++i) ForEachRun3(a[i], b[i], c[i], f);
  }
}

// f(pointer, count, pos) for the part of every innermost vector inside the
// checked range lo..hi; pos holds the indices of the run's first element.
template <size_t D = 0, class V, size_t R, class F>
void ForEachRunIn(V& v, const TArrayIndex<R>& lo, const TArrayIndex<R>& hi, TArrayIndex<R>& pos,
                  F&& f) {
  if constexpr (D + 1 == R) {
    pos[D] = lo[D];
    f(v.data() + lo[D], static_cast<size_t>(hi[D] - lo[D]) + 1, pos);
  } else {
    for (int32_t i = lo[D]; i <= hi[D]; ++i) {
      pos[D] = i;
      ForEachRunIn<D + 1>(v[static_cast<size_t>(i)], lo, hi, pos, f);
    }
  }
}

template <class V, size_t R, class F>
void ForEachRunIn(V& v, const TArrayIndex<R>& lo, const TArrayIndex<R>& hi, F&& f) {
  TArrayIndex<R> pos{};
  ForEachRunIn<0>(v, lo, hi, pos, f);
}

// f(pointer, count, pos) for every innermost vector of a possibly ragged
// array, each visited with its own length.
template <size_t D = 0, class V, size_t R, class F>
void ForEachRunPos(V& v, TArrayIndex<R>& pos, F&& f) {
  if constexpr (D + 1 == R) {
    pos[D] = 0;
    f(v.data(), v.size(), pos);
  } else {
    for (size_t i = 0; i < v.size(); ++i) {
      pos[D] = static_cast<int32_t>(i);
      ForEachRunPos<D + 1>(v[i], pos, f);
    }
  }
}

// Gives dst the shape of src (element values of existing entries are kept;
// callers overwrite them). Safe when dst is src.
template <class D, class S>
void ResizeLike(D& dst, const S& src) {
  dst.resize(src.size());
  if constexpr (RankOf < D >> 1) {
    for (size_t i = 0; i < src.size(); ++i) ResizeLike(dst[i], src[i]);
  }
}

// Element arithmetic: int32_t wraps as two's complement hardware does.
template <class T>
inline T AddElem(T a, T b) {
  if constexpr (std::is_same_v<T, int32_t>) {
    return WrapAdd(a, b);
  } else {
    return a + b;
  }
}
template <class T>
inline T SubElem(T a, T b) {
  if constexpr (std::is_same_v<T, int32_t>) {
    return WrapSub(a, b);
  } else {
    return a - b;
  }
}
template <class T>
inline T MulElem(T a, T b) {
  if constexpr (std::is_same_v<T, int32_t>) {
    return WrapMul(a, b);
  } else {
    return a * b;
  }
}

// Element conversion of the clone family.
template <class D, class S>
inline D ConvertElem(S x) {
  if constexpr (std::is_same_v<D, S>) {
    return x;
  } else if constexpr (std::is_same_v<D, int32_t>) {
    return RoundToInt32(static_cast<long double>(x));
  } else {
    return static_cast<D>(x);
  }
}

}  // namespace zel::arrays_detail

// Explicit instantiation lists: X(type) for every array type of a concept.
#define ZEL_DOUBLE_ARRAYS(X) X(TDoubleArray) X(TDouble2DArray) X(TDouble3DArray) X(TDouble4DArray)
#define ZEL_INT_ARRAYS(X) X(TIntArray) X(TInt2DArray) X(TInt3DArray) X(TInt4DArray)
#define ZEL_NUM_ARRAYS(X) ZEL_DOUBLE_ARRAYS(X) ZEL_INT_ARRAYS(X)
#define ZEL_BOOL_ARRAYS(X) X(TBoolArray) X(TBool2DArray)
#define ZEL_NUM_ELEMENTS(X) X(double) X(int32_t)
#define ZEL_COPY_ELEMENTS(X) X(double) X(int32_t) X(uint8_t)
