// Mean absolute deviation, accumulation, matrix and vector products,
// permutation and rescaling of arrays.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

#include "num/arrays/arrays_impl.hpp"

namespace zel {

using namespace arrays_detail;

template <NumElement T>
int32_t MeanAbsDev(const Array1D<T>& a, int32_t n, double& mad) {
  mad = 0;
  if (a.empty()) return -1;
  if (n < 1 || static_cast<size_t>(n) > a.size()) return -2;
  long double sum = 0;
  for (int32_t i = 0; i < n; ++i) sum += a[static_cast<size_t>(i)];
  const long double mean = sum / n;
  long double dev = 0;
  for (int32_t i = 0; i < n; ++i) dev += std::fabs(a[static_cast<size_t>(i)] - mean);
  mad = static_cast<double>(dev / n);
  return 0;
}
template int32_t MeanAbsDev(const Array1D<double>&, int32_t, double&);
template int32_t MeanAbsDev(const Array1D<int32_t>&, int32_t, double&);

template <NumArray A>
int32_t AccumulateArray(A& target, const A& source, ArrayElem<A> scalar) {
  using T = ArrayElem<A>;
  if (const int32_t s = CheckShape(source)) return s;
  if (CheckShape(target) == -1) {
    ResizeLike(target, source);
    ForEachRun(target, [](T* p, size_t n) { std::fill(p, p + n, T{}); });
  }
  if (CheckPair(target, source) != 0) return -2;
  ForEachRun2(target, source, [scalar](T* t, const T* x, size_t n) {
    for (size_t i = 0; i < n; ++i) t[i] = AddElem(t[i], MulElem(scalar, x[i]));
  });
  return 0;
}
#define ZEL_INST(A) template int32_t AccumulateArray(A&, const A&, ArrayElem<A>);
ZEL_NUM_ARRAYS(ZEL_INST)
#undef ZEL_INST

// ---------------------------------------------------------------------------
// Matrix products
// ---------------------------------------------------------------------------

namespace {

// c[j] = sum_k a[k] * b[j][k]: each result column is a sum of scaled columns
// of a, so every inner loop runs over contiguous storage.
template <class TA, class TB, class TC>
int32_t MatMul(const Array2D<TA>& a, const Array2D<TB>& b, Array2D<TC>& c) {
  const int32_t sa = CheckShape(a);
  const int32_t sb = CheckShape(b);
  if (sa == -1 || sb == -1) return -1;
  if (sa != 0 || sb != 0) return -2;
  const size_t inner = a.size();
  const size_t rows = a[0].size();
  if (b[0].size() != inner) return -2;
  Array2D<TC> r(b.size(), Array1D<TC>(rows, TC{}));
  for (size_t j = 0; j < b.size(); ++j) {
    TC* out = r[j].data();
    for (size_t k = 0; k < inner; ++k) {
      const TC f = static_cast<TC>(b[j][k]);
      const TA* col = a[k].data();
      for (size_t i = 0; i < rows; ++i)
        out[i] = AddElem(out[i], MulElem(static_cast<TC>(col[i]), f));
    }
  }
  c = std::move(r);
  return 0;
}

template <class T>
int32_t OuterProduct(const Array1D<T>& a, const Array1D<T>& b, Array2D<T>& c) {
  if (a.empty() || b.empty()) return -1;
  Array2D<T> r(b.size(), Array1D<T>(a.size()));
  for (size_t j = 0; j < b.size(); ++j)
    for (size_t i = 0; i < a.size(); ++i) r[j][i] = MulElem(a[i], b[j]);
  c = std::move(r);
  return 0;
}

}  // namespace

int32_t MultiplyArrays(const TDouble2DArray& a, const TDouble2DArray& b, TDouble2DArray& c) {
  return MatMul(a, b, c);
}
int32_t MultiplyArrays(const TInt2DArray& a, const TDouble2DArray& b, TDouble2DArray& c) {
  return MatMul(a, b, c);
}
int32_t MultiplyArrays(const TDouble2DArray& a, const TInt2DArray& b, TDouble2DArray& c) {
  return MatMul(a, b, c);
}
int32_t MultiplyArrays(const TInt2DArray& a, const TInt2DArray& b, TInt2DArray& c) {
  return MatMul(a, b, c);
}
int32_t MultiplyArrays(const TDoubleArray& a, const TDoubleArray& b, TDouble2DArray& c) {
  return OuterProduct(a, b, c);
}
int32_t MultiplyArrays(const TIntArray& a, const TIntArray& b, TInt2DArray& c) {
  return OuterProduct(a, b, c);
}

// ---------------------------------------------------------------------------
// Permutation
// ---------------------------------------------------------------------------

int32_t PermuteArray(const TDouble2DArray& a, const TInt2DArray& perm, TApplyColRow mode,
                     bool inverse, TDouble2DArray& result) {
  if (const int32_t s = CheckShape(a)) return s;
  const bool byColumn = mode == TApplyColRow::acrColumns;
  const size_t cols = a.size();
  const size_t rows = a[0].size();
  // Each permutation reorders `len` elements; there is one per line (column
  // or row), or one shared by all.
  const size_t lines = byColumn ? cols : rows;
  const size_t len = byColumn ? rows : cols;
  if (perm.size() != 1 && perm.size() != lines) return -2;
  std::vector<uint8_t> seen(len);
  for (const auto& p : perm) {
    if (p.size() != len) return -2;
    std::fill(seen.begin(), seen.end(), uint8_t{0});
    for (const int32_t k : p) {
      if (k < 0 || static_cast<size_t>(k) >= len || seen[static_cast<size_t>(k)] != 0)
        return kPermuteNotPermutation;
      seen[static_cast<size_t>(k)] = 1;
    }
  }
  TDouble2DArray r(cols, TDoubleArray(rows));
  for (size_t line = 0; line < lines; ++line) {
    const TIntArray& p = perm.size() == 1 ? perm[0] : perm[line];
    for (size_t i = 0; i < len; ++i) {
      const auto k = static_cast<size_t>(p[i]);
      const size_t from = inverse ? i : k;
      const size_t to = inverse ? k : i;
      if (byColumn) {
        r[line][to] = a[line][from];
      } else {
        r[to][line] = a[from][line];
      }
    }
  }
  result = std::move(r);
  return 0;
}

// ---------------------------------------------------------------------------
// Rescaling
// ---------------------------------------------------------------------------

namespace arrays_detail {

template <class A>
int32_t RescaleRange(A& a, const Ix<A>& lo, const Ix<A>& hi, TRescaleMode mode, double& offset,
                     double& scale) {
  offset = 0;
  scale = 0;
  if (const int32_t s = CheckShape(a)) return s;
  if (CheckRange(Extents(a), lo, hi) != 0) return -2;
  if (mode != TRescaleMode::rmLinear && mode != TRescaleMode::rmStandardize &&
      mode != TRescaleMode::rmMeanCenter)
    return -4;
  long double sum = 0;
  long double mn = 0;
  long double mx = 0;
  size_t n = 0;
  ForEachRunIn(a, lo, hi, [&](const double* p, size_t m, const Ix<A>&) {
    for (size_t i = 0; i < m; ++i) {
      if (n == 0 && i == 0) mn = mx = p[i];
      sum += p[i];
      mn = std::min<long double>(mn, p[i]);
      mx = std::max<long double>(mx, p[i]);
    }
    n += m;
  });
  const long double mean = sum / static_cast<long double>(n);
  long double off = mean;
  long double sc = 1;
  if (mode == TRescaleMode::rmLinear) {
    off = mn;
    sc = mx - mn;
  } else if (mode == TRescaleMode::rmStandardize) {
    long double ss = 0;
    ForEachRunIn(a, lo, hi, [&](const double* p, size_t m, const Ix<A>&) {
      for (size_t i = 0; i < m; ++i) ss += (p[i] - mean) * (p[i] - mean);
    });
    sc = n < 2 ? 0 : std::sqrt(ss / static_cast<long double>(n - 1));
  }
  const double o = static_cast<double>(off);
  const double s = static_cast<double>(sc);
  if (!(s != 0) || !std::isfinite(s) || !std::isfinite(o)) return -3;
  ForEachRunIn(a, lo, hi, [o, s](double* p, size_t m, const Ix<A>&) {
    for (size_t i = 0; i < m; ++i) p[i] = (p[i] - o) / s;
  });
  offset = o;
  scale = s;
  return 0;
}
template int32_t RescaleRange(TDoubleArray&, const Ix<TDoubleArray>&, const Ix<TDoubleArray>&,
                              TRescaleMode, double&, double&);
template int32_t RescaleRange(TDouble2DArray&, const Ix<TDouble2DArray>&, const Ix<TDouble2DArray>&,
                              TRescaleMode, double&, double&);

}  // namespace arrays_detail

// ---------------------------------------------------------------------------
// Vector products
// ---------------------------------------------------------------------------

template <NumElement T>
int32_t VectorDotProduct(const Array1D<T>& a, const Array1D<T>& b, T& result) {
  result = 0;
  if (a.empty() || b.empty()) return -1;
  if (a.size() != b.size()) return -2;
  if constexpr (std::is_same_v<T, int32_t>) {
    int32_t s = 0;
    for (size_t i = 0; i < a.size(); ++i) s = WrapAdd(s, WrapMul(a[i], b[i]));
    result = s;
  } else {
    long double s = 0;
    for (size_t i = 0; i < a.size(); ++i) s += static_cast<long double>(a[i]) * b[i];
    result = static_cast<double>(s);
  }
  return 0;
}

template <NumElement T>
int32_t VectorCrossProduct(const Array1D<T>& a, const Array1D<T>& b, Array1D<T>& result) {
  if (a.empty() || b.empty()) return -1;
  if (a.size() != 3 || b.size() != 3) return -2;
  Array1D<T> r{SubElem(MulElem(a[1], b[2]), MulElem(a[2], b[1])),
               SubElem(MulElem(a[2], b[0]), MulElem(a[0], b[2])),
               SubElem(MulElem(a[0], b[1]), MulElem(a[1], b[0]))};
  result = std::move(r);
  return 0;
}

#define ZEL_INST(T)                                                            \
  template int32_t VectorDotProduct(const Array1D<T>&, const Array1D<T>&, T&); \
  template int32_t VectorCrossProduct(const Array1D<T>&, const Array1D<T>&, Array1D<T>&);
ZEL_NUM_ELEMENTS(ZEL_INST)
#undef ZEL_INST

}  // namespace zel
