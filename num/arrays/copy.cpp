// Copies and type conversions: clones, block copies between arrays,
// column and row extraction and insertion, and the retired vector copies.
#include <algorithm>
#include <vector>

#include "num/arrays/arrays_impl.hpp"

namespace zel {

using namespace arrays_detail;

namespace {

// Pointer to the element at idx of a rectangular array.
template <class V, size_t R>
auto ElementPtr(V& v, const TArrayIndex<R>& idx, size_t d = 0) {
  if constexpr (RankOf<V> == 1) {
    return v.data() + idx[d];
  } else {
    return ElementPtr(v[static_cast<size_t>(idx[d])], idx, d + 1);
  }
}

int32_t Int32Size(size_t n) { return static_cast<int32_t>(std::min<size_t>(n, INT32_MAX)); }

}  // namespace

// ---------------------------------------------------------------------------
// Clones
// ---------------------------------------------------------------------------

// clang-format off
template <class S, class D>
  requires ClonePair<S, D>
int32_t CloneArray(const S& src, D& dst) {  // clang-format on
  using TS = ArrayElem<S>;
  using TD = ArrayElem<D>;
  if (const int32_t s = CheckShape(src)) return s;
  ResizeLike(dst, src);
  ForEachRun2(src, dst, [](const TS* x, TD* z, size_t n) {
    for (size_t i = 0; i < n; ++i) z[i] = ConvertElem<TD>(x[i]);
  });
  return 0;
}

#define ZEL_INST(S, D) template int32_t CloneArray(const S&, D&);
#define ZEL_SAME(A) ZEL_INST(A, A)
ZEL_NUM_ARRAYS(ZEL_SAME)
ZEL_BOOL_ARRAYS(ZEL_SAME)
#undef ZEL_SAME
#define ZEL_CONVERSIONS(TS, TD)      \
  ZEL_INST(Array1D<TS>, Array1D<TD>) \
  ZEL_INST(Array2D<TS>, Array2D<TD>) \
  ZEL_INST(Array3D<TS>, Array3D<TD>) \
  ZEL_INST(Array4D<TS>, Array4D<TD>)
ZEL_CONVERSIONS(float, double)
ZEL_CONVERSIONS(double, float)
ZEL_CONVERSIONS(double, int32_t)
ZEL_CONVERSIONS(int32_t, double)
#undef ZEL_CONVERSIONS
#undef ZEL_INST

// clang-format off
template <class S, class D>
  requires CloneReversePair<S, D>
int32_t CloneAndReverseArray(const Array1D<S>& src, Array1D<D>& dst) {  // clang-format on
  if (src.empty()) return -1;
  Array1D<D> r(src.size());
  std::transform(src.rbegin(), src.rend(), r.begin(), [](S x) { return ConvertElem<D>(x); });
  dst = std::move(r);
  return 0;
}

#define ZEL_INST(S, D) template int32_t CloneAndReverseArray(const Array1D<S>&, Array1D<D>&);
ZEL_INST(uint8_t, uint8_t)
ZEL_INST(int32_t, int32_t)
ZEL_INST(double, double)
ZEL_INST(float, double)
ZEL_INST(double, float)
ZEL_INST(double, int32_t)
ZEL_INST(int32_t, double)
#undef ZEL_INST

// ---------------------------------------------------------------------------
// Block copies
// ---------------------------------------------------------------------------

namespace arrays_detail {

template <FillableArray A>
int32_t CopyBlock(const A& src, const Ix<A>& lo, const Ix<A>& hi, const Ix<A>& pos, A& dst) {
  using T = ArrayElem<A>;
  const int32_t ss = CheckShape(src);
  const int32_t sd = CheckShape(dst);
  if (ss == -1 || sd == -1) return -1;
  if (ss != 0 || sd != 0) return -2;
  if (CheckRange(Extents(src), lo, hi) != 0) return -2;
  const Extent<A> ed = Extents(dst);
  for (size_t d = 0; d < RankOf<A>; ++d) {
    if (pos[d] < 0 || static_cast<size_t>(pos[d]) >= ed[d]) return -2;
    const int64_t end = static_cast<int64_t>(pos[d]) + (static_cast<int64_t>(hi[d]) - lo[d]);
    if (end >= static_cast<int64_t>(ed[d])) return -2;
  }
  if (&src == &dst) {
    // Overlapping blocks of one array: copy from a snapshot.
    const A snapshot = src;
    return CopyBlock(snapshot, lo, hi, pos, dst);
  }
  ForEachRunIn(src, lo, hi, [&](const T* p, size_t n, const Ix<A>& runPos) {
    Ix<A> target;
    for (size_t d = 0; d < RankOf<A>; ++d) target[d] = runPos[d] - lo[d] + pos[d];
    std::copy_n(p, n, ElementPtr(dst, target));
  });
  return 0;
}

template <FillableArray A>
int32_t CopyWhole(const A& src, const Ix<A>& pos, A& dst) {
  if (CheckShape(src) == -1) return -1;
  const Extent<A> es = Extents(src);
  Ix<A> lo{};
  Ix<A> hi{};
  for (size_t d = 0; d < RankOf<A>; ++d) hi[d] = Int32Size(es[d]) - 1;
  return CopyBlock(src, lo, hi, pos, dst);
}

#define ZEL_INST(A)                                                                   \
  template int32_t CopyBlock(const A&, const Ix<A>&, const Ix<A>&, const Ix<A>&, A&); \
  template int32_t CopyWhole(const A&, const Ix<A>&, A&);
ZEL_NUM_ARRAYS(ZEL_INST)
ZEL_BOOL_ARRAYS(ZEL_INST)
#undef ZEL_INST

}  // namespace arrays_detail

// ---------------------------------------------------------------------------
// Columns and rows to and from 1-D arrays
// ---------------------------------------------------------------------------

template <CopyElement T>
int32_t CopyArrayColumn(const Array2D<T>& a, int32_t column, int32_t lo, int32_t hi,
                        Array1D<T>& out) {
  if (a.empty()) return -1;
  if (!IsRectangular(a)) return -2;
  if (column < 0 || static_cast<size_t>(column) >= a.size()) return -3;
  const Array1D<T>& col = a[static_cast<size_t>(column)];
  if (col.empty()) return -1;
  if (lo < 0 || lo > hi || static_cast<size_t>(hi) >= col.size()) return -2;
  out.assign(col.begin() + lo, col.begin() + hi + 1);
  return 0;
}

template <CopyElement T>
int32_t CopyArrayRow(const Array2D<T>& a, int32_t row, int32_t lo, int32_t hi, Array1D<T>& out) {
  if (const int32_t s = CheckShape(a)) return s;
  if (row < 0 || static_cast<size_t>(row) >= a[0].size()) return -3;
  if (lo < 0 || lo > hi || static_cast<size_t>(hi) >= a.size()) return -2;
  Array1D<T> r(static_cast<size_t>(hi - lo) + 1);
  for (int32_t c = lo; c <= hi; ++c)
    r[static_cast<size_t>(c - lo)] = a[static_cast<size_t>(c)][static_cast<size_t>(row)];
  out = std::move(r);
  return 0;
}

int32_t Copy2DColTo1DArray(const TDouble2DArray& a, int32_t column, int32_t lo, int32_t hi,
                           TDoubleArray& dst, int32_t pos) {
  if (a.empty()) return -1;
  if (column < 0 || static_cast<size_t>(column) >= a.size()) return -3;
  if (!IsRectangular(a)) return -2;
  const TDoubleArray& col = a[static_cast<size_t>(column)];
  if (col.empty()) return -1;
  if (lo < 0 || lo > hi || static_cast<size_t>(hi) >= col.size()) return -2;
  if (pos < 0 || static_cast<size_t>(pos) >= dst.size()) return -4;
  const size_t n =
      std::min(static_cast<size_t>(hi - lo) + 1, dst.size() - static_cast<size_t>(pos));
  // dst may be one of a's columns: copy through a temporary.
  const TDoubleArray run(col.begin() + lo, col.begin() + lo + static_cast<ptrdiff_t>(n));
  std::copy(run.begin(), run.end(), dst.begin() + pos);
  return 0;
}

int32_t Copy2DRowTo1DArray(const TDouble2DArray& a, int32_t row, int32_t lo, int32_t hi,
                           TDoubleArray& dst, int32_t pos) {
  if (const int32_t s = CheckShape(a)) return s;
  if (row < 0 || static_cast<size_t>(row) >= a[0].size()) return -3;
  if (lo < 0 || lo > hi || static_cast<size_t>(hi) >= a.size()) return -2;
  if (pos < 0 || static_cast<size_t>(pos) >= dst.size()) return -4;
  const size_t n =
      std::min(static_cast<size_t>(hi - lo) + 1, dst.size() - static_cast<size_t>(pos));
  TDoubleArray run(n);
  for (size_t i = 0; i < n; ++i) run[i] = a[static_cast<size_t>(lo) + i][static_cast<size_t>(row)];
  std::copy(run.begin(), run.end(), dst.begin() + pos);
  return 0;
}

namespace {

// Checks the source range of CopyToArrayColumn/Row (lo = hi = 0: all).
template <class T>
bool SourceRange(const Array1D<T>& src, int32_t& lo, int32_t& hi) {
  if (lo == 0 && hi == 0) hi = Int32Size(src.size()) - 1;
  return lo >= 0 && lo <= hi && static_cast<size_t>(hi) < src.size();
}

}  // namespace

template <CopyElement T>
int32_t CopyToArrayColumn(const Array1D<T>& src, int32_t lo, int32_t hi, int32_t column,
                          int32_t startRow, Array2D<T>& dst) {
  if (!SourceRange(src, lo, hi)) return -1;
  if (CheckShape(dst) != 0) return -2;
  if (column < 0 || static_cast<size_t>(column) >= dst.size()) return -2;
  Array1D<T>& col = dst[static_cast<size_t>(column)];
  if (startRow < 0 || static_cast<size_t>(startRow) >= col.size()) return -2;
  const size_t n =
      std::min(static_cast<size_t>(hi - lo) + 1, col.size() - static_cast<size_t>(startRow));
  // src may be a column of dst.
  const Array1D<T> run(src.begin() + lo, src.begin() + lo + static_cast<ptrdiff_t>(n));
  std::copy(run.begin(), run.end(), col.begin() + startRow);
  return 0;
}

template <CopyElement T>
int32_t CopyToArrayRow(const Array1D<T>& src, int32_t lo, int32_t hi, int32_t row,
                       int32_t startColumn, Array2D<T>& dst) {
  if (!SourceRange(src, lo, hi)) return -1;
  if (CheckShape(dst) != 0) return -2;
  if (row < 0 || static_cast<size_t>(row) >= dst[0].size()) return -2;
  if (startColumn < 0 || static_cast<size_t>(startColumn) >= dst.size()) return -2;
  const size_t n =
      std::min(static_cast<size_t>(hi - lo) + 1, dst.size() - static_cast<size_t>(startColumn));
  const Array1D<T> run(src.begin() + lo, src.begin() + lo + static_cast<ptrdiff_t>(n));
  for (size_t i = 0; i < n; ++i)
    dst[static_cast<size_t>(startColumn) + i][static_cast<size_t>(row)] = run[i];
  return 0;
}

// ---------------------------------------------------------------------------
// Retired routines
// ---------------------------------------------------------------------------

template <CopyElement T>
int32_t CopyVectorToArrayColumn(const Array1D<T>&, int32_t, int32_t, int32_t, int32_t,
                                Array2D<T>&) {
  throw EZELError("deprecated function, see help for details");
}

template <CopyElement T>
int32_t CopyVectorToArrayRow(const Array1D<T>&, int32_t, int32_t, int32_t, int32_t, Array2D<T>&) {
  throw EZELError("deprecated function, see help for details");
}

#define ZEL_INST(T)                                                                               \
  template int32_t CopyArrayColumn(const Array2D<T>&, int32_t, int32_t, int32_t, Array1D<T>&);    \
  template int32_t CopyArrayRow(const Array2D<T>&, int32_t, int32_t, int32_t, Array1D<T>&);       \
  template int32_t CopyToArrayColumn(const Array1D<T>&, int32_t, int32_t, int32_t, int32_t,       \
                                     Array2D<T>&);                                                \
  template int32_t CopyToArrayRow(const Array1D<T>&, int32_t, int32_t, int32_t, int32_t,          \
                                  Array2D<T>&);                                                   \
  template int32_t CopyVectorToArrayColumn(const Array1D<T>&, int32_t, int32_t, int32_t, int32_t, \
                                           Array2D<T>&);                                          \
  template int32_t CopyVectorToArrayRow(const Array1D<T>&, int32_t, int32_t, int32_t, int32_t,    \
                                        Array2D<T>&);
ZEL_COPY_ELEMENTS(ZEL_INST)
#undef ZEL_INST

}  // namespace zel
