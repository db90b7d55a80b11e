// Element-wise and whole-array operations: arithmetic with arrays and
// scalars, normalisation, centring, flipping, removal of rows and columns,
// serialisation, boolean conversion, dichotomisation and discretisation.
#include <algorithm>
#include <cmath>
#include <vector>

#include "num/arrays/arrays_impl.hpp"

namespace zel {

using namespace arrays_detail;

namespace {

// c = op(a, b) element by element after the two-operand checks.
template <class A, class Op>
int32_t Binary(const A& a, const A& b, A& c, Op op) {
  using T = ArrayElem<A>;
  if (const int32_t s = CheckPair(a, b)) return s;
  ResizeLike(c, a);
  ForEachRun3(a, b, c, [op](const T* x, const T* y, T* z, size_t n) {
    for (size_t i = 0; i < n; ++i) z[i] = op(x[i], y[i]);
  });
  return 0;
}

// result = op(a) element by element.
template <class A, class Op>
int32_t Unary(const A& a, A& result, Op op) {
  using T = ArrayElem<A>;
  if (const int32_t s = CheckShape(a)) return s;
  ResizeLike(result, a);
  ForEachRun2(a, result, [op](const T* x, T* z, size_t n) {
    for (size_t i = 0; i < n; ++i) z[i] = op(x[i]);
  });
  return 0;
}

template <class A, class Op>
int32_t InPlace(A& a, Op op) {
  using T = ArrayElem<A>;
  if (const int32_t s = CheckShape(a)) return s;
  ForEachRun(a, [op](T* x, size_t n) {
    for (size_t i = 0; i < n; ++i) x[i] = op(x[i]);
  });
  return 0;
}

template <class V>
void FlipAlong(V& v, int32_t dim) {
  if (dim == 1) {
    std::reverse(v.begin(), v.end());
  } else if constexpr (RankOf<V> > 1) {
    for (auto& sub : v) FlipAlong(sub, dim - 1);
  }
}

}  // namespace

template <NumArray A>
int32_t AddArrays(const A& a, const A& b, A& c) {
  return Binary(a, b, c, [](auto x, auto y) { return AddElem(x, y); });
}

template <NumArray A>
int32_t SubtractArrays(const A& a, const A& b, A& c) {
  return Binary(a, b, c, [](auto x, auto y) { return SubElem(x, y); });
}

template <NumArray12 A>
int32_t MultiplyArraysElemw(const A& a, const A& b, A& c) {
  return Binary(a, b, c, [](auto x, auto y) { return MulElem(x, y); });
}

template <NumArray A>
int32_t AddScalarToArray(const A& a, ArrayElem<A> s, A& result) {
  return Unary(a, result, [s](auto x) { return AddElem(x, s); });
}

template <NumArray A>
int32_t MultiplyArrayByScalar(const A& a, ArrayElem<A> s, A& result) {
  return Unary(a, result, [s](auto x) { return MulElem(x, s); });
}

template <NumArray A>
int32_t MultiplyArrayByScalar(A& a, ArrayElem<A> s) {
  return InPlace(a, [s](auto x) { return MulElem(x, s); });
}

template <NumArray A>
int32_t IncArray(A& a, ArrayElem<A> s) {
  return InPlace(a, [s](auto x) { return AddElem(x, s); });
}

template <NumArray A>
int32_t AbsValArray(A& a) {
  return InPlace(a, [](auto x) {
    if constexpr (std::is_same_v<decltype(x), int32_t>) {
      return x < 0 ? WrapNeg(x) : x;
    } else {
      return std::fabs(x);
    }
  });
}

template <DoubleArrayND A>
int32_t ReciprocalArray(A& a, double substitute) {
  return InPlace(a, [substitute](double x) { return x == 0 ? substitute : 1.0 / x; });
}

template <NumArray A>
int32_t FlipDimArray(A& a, int32_t dim) {
  if (const int32_t s = CheckShape(a)) return s;
  if (dim < 1 || dim > static_cast<int32_t>(RankOf<A>)) return -2;
  FlipAlong(a, dim);
  return 0;
}

#define ZEL_INST(A)                                                   \
  template int32_t AddArrays(const A&, const A&, A&);                 \
  template int32_t SubtractArrays(const A&, const A&, A&);            \
  template int32_t AddScalarToArray(const A&, ArrayElem<A>, A&);      \
  template int32_t MultiplyArrayByScalar(const A&, ArrayElem<A>, A&); \
  template int32_t MultiplyArrayByScalar(A&, ArrayElem<A>);           \
  template int32_t IncArray(A&, ArrayElem<A>);                        \
  template int32_t AbsValArray(A&);                                   \
  template int32_t FlipDimArray(A&, int32_t);
ZEL_NUM_ARRAYS(ZEL_INST)
#undef ZEL_INST
#define ZEL_INST(A) template int32_t ReciprocalArray(A&, double);
ZEL_DOUBLE_ARRAYS(ZEL_INST)
#undef ZEL_INST
template int32_t MultiplyArraysElemw(const TDoubleArray&, const TDoubleArray&, TDoubleArray&);
template int32_t MultiplyArraysElemw(const TDouble2DArray&, const TDouble2DArray&, TDouble2DArray&);
template int32_t MultiplyArraysElemw(const TIntArray&, const TIntArray&, TIntArray&);
template int32_t MultiplyArraysElemw(const TInt2DArray&, const TInt2DArray&, TInt2DArray&);

// ---------------------------------------------------------------------------
// Columns and rows
// ---------------------------------------------------------------------------

int32_t NormalizeColumns(TDouble2DArray& a) {
  if (const int32_t s = CheckShape(a)) return s;
  int32_t result = 0;
  for (auto& col : a) {
    long double ss = 0;
    for (const double x : col) ss += static_cast<long double>(x) * x;
    if (ss == 0) {
      result = -1;
      continue;
    }
    // Divided in long double: the norm of a column of huge (or subnormal)
    // values need not be a finite (or exact) double.
    const long double norm = std::sqrt(ss);
    for (double& x : col) x = static_cast<double>(x / norm);
  }
  return result;
}

int32_t NormalizeRows(TDouble2DArray& a) {
  if (const int32_t s = CheckShape(a)) return s;
  const size_t rows = a[0].size();
  // Column by column, so that every pass is over contiguous storage.
  std::vector<long double> ss(rows, 0.0L);
  for (const auto& col : a)
    for (size_t r = 0; r < rows; ++r) ss[r] += static_cast<long double>(col[r]) * col[r];
  std::vector<long double> norm(rows);
  int32_t result = 0;
  for (size_t r = 0; r < rows; ++r) {
    if (ss[r] == 0) result = -1;
    norm[r] = ss[r] == 0 ? 1.0L : std::sqrt(ss[r]);
  }
  for (auto& col : a)
    for (size_t r = 0; r < rows; ++r)
      if (ss[r] != 0) col[r] = static_cast<double>(col[r] / norm[r]);
  return result;
}

int32_t MeanCenterColumnsOfArray(TDouble2DArray& a, TDoubleArray& means) {
  if (const int32_t s = CheckShape(a)) return s;
  const bool store = !means.empty();
  if (store) means.resize(a.size());
  for (size_t c = 0; c < a.size(); ++c) {
    long double sum = 0;
    for (const double x : a[c]) sum += x;
    const double mean = static_cast<double>(sum / static_cast<long double>(a[c].size()));
    for (double& x : a[c]) x -= mean;
    if (store) means[c] = mean;
  }
  return 0;
}

int32_t MeanCenterRowsOfArray(TDouble2DArray& a, TDoubleArray& means) {
  if (const int32_t s = CheckShape(a)) return s;
  const size_t rows = a[0].size();
  std::vector<long double> sum(rows, 0.0L);
  for (const auto& col : a)
    for (size_t r = 0; r < rows; ++r) sum[r] += col[r];
  std::vector<double> mean(rows);
  for (size_t r = 0; r < rows; ++r)
    mean[r] = static_cast<double>(sum[r] / static_cast<long double>(a.size()));
  for (auto& col : a)
    for (size_t r = 0; r < rows; ++r) col[r] -= mean[r];
  if (!means.empty()) means = std::move(mean);
  return 0;
}

template <NumElement T>
bool RemoveRow(Array2D<T>& a, int32_t index) {
  if (CheckShape(a) != 0 || index < 0 || static_cast<size_t>(index) >= a[0].size()) return false;
  for (auto& col : a) col.erase(col.begin() + index);
  return true;
}

template <NumElement T>
bool RemoveColumn(Array2D<T>& a, int32_t index) {
  if (CheckShape(a) != 0 || index < 0 || static_cast<size_t>(index) >= a.size()) return false;
  a.erase(a.begin() + index);
  return true;
}

template <NumElement T>
int32_t SerializeArray(const Array2D<T>& a, bool columnwise, Array1D<T>& out) {
  if (const int32_t s = CheckShape(a)) return s;
  const size_t cols = a.size();
  const size_t rows = a[0].size();
  Array1D<T> v(cols * rows);
  for (size_t c = 0; c < cols; ++c)
    for (size_t r = 0; r < rows; ++r) v[columnwise ? c * rows + r : r * cols + c] = a[c][r];
  out = std::move(v);
  return 0;
}

// ---------------------------------------------------------------------------
// Boolean conversions
// ---------------------------------------------------------------------------

template <NumElement T>
int32_t BoolToNumArray(const TBoolArray& a, std::type_identity_t<T> falseValue,
                       std::type_identity_t<T> trueValue, Array1D<T>& out) {
  if (const int32_t s = CheckShape(a)) return s;
  ResizeLike(out, a);
  ForEachRun2(a, out, [=](const uint8_t* b, T* z, size_t n) {
    for (size_t i = 0; i < n; ++i) z[i] = b[i] != 0 ? trueValue : falseValue;
  });
  return 0;
}

template <NumElement T>
int32_t BoolToNumArray(const TBool2DArray& a, std::type_identity_t<T> falseValue,
                       std::type_identity_t<T> trueValue, Array2D<T>& out) {
  if (const int32_t s = CheckShape(a)) return s;
  ResizeLike(out, a);
  ForEachRun2(a, out, [=](const uint8_t* b, T* z, size_t n) {
    for (size_t i = 0; i < n; ++i) z[i] = b[i] != 0 ? trueValue : falseValue;
  });
  return 0;
}

namespace {
template <class A, class Pred>
int32_t Dichotomize(const A& a,
                    std::conditional_t<ArrayRank<A> == 1, TBoolArray, TBool2DArray>& out,
                    Pred pred) {
  if (const int32_t s = CheckShape(a)) return s;
  ResizeLike(out, a);
  ForEachRun2(a, out, [pred](const ArrayElem<A>* x, uint8_t* z, size_t n) {
    for (size_t i = 0; i < n; ++i) z[i] = pred(static_cast<double>(x[i])) ? 1 : 0;
  });
  return 0;
}
}  // namespace

template <NumArray12 A>
int32_t DichotomizeArray(const A& a, double threshold,
                         std::conditional_t<ArrayRank<A> == 1, TBoolArray, TBool2DArray>& out) {
  return Dichotomize(a, out, [threshold](double x) { return x > threshold; });
}

template <NumArray12 A>
int32_t DichotomizeArray(const A& a, double low, double high,
                         std::conditional_t<ArrayRank<A> == 1, TBoolArray, TBool2DArray>& out) {
  if (low > high) std::swap(low, high);
  return Dichotomize(a, out, [low, high](double x) { return low <= x && x <= high; });
}

#define ZEL_INST(T)                                                                  \
  template bool RemoveRow(Array2D<T>&, int32_t);                                     \
  template bool RemoveColumn(Array2D<T>&, int32_t);                                  \
  template int32_t SerializeArray(const Array2D<T>&, bool, Array1D<T>&);             \
  template int32_t BoolToNumArray<T>(const TBoolArray&, T, T, Array1D<T>&);          \
  template int32_t BoolToNumArray<T>(const TBool2DArray&, T, T, Array2D<T>&);        \
  template int32_t DichotomizeArray(const Array1D<T>&, double, TBoolArray&);         \
  template int32_t DichotomizeArray(const Array2D<T>&, double, TBool2DArray&);       \
  template int32_t DichotomizeArray(const Array1D<T>&, double, double, TBoolArray&); \
  template int32_t DichotomizeArray(const Array2D<T>&, double, double, TBool2DArray&);
ZEL_NUM_ELEMENTS(ZEL_INST)
#undef ZEL_INST

int32_t DiscretizeArray(TDouble2DArray& a, int32_t n, double t1, double t2, double level1,
                        double level2) {
  if (!(t1 < t2)) return -2;
  if (n < 3) return -1;
  const int32_t s = CheckShape(a);
  if (s == -1) return -1;
  if (s == -2) return -3;
  // Differences of doubles taken in long double cannot overflow: with
  // thresholds or levels of both signs near the double limit (t2 - t1 or
  // level2 - level1 beyond 1.8e308) the double forms gave inf and NaN.
  const long double step = (static_cast<long double>(t2) - t1) / (static_cast<long double>(n) - 2);
  const long double levelStep =
      (static_cast<long double>(level2) - level1) / (static_cast<long double>(n) - 1);
  const long double topM = static_cast<long double>(n) - 3;
  for (auto& col : a) {
    for (double& x : col) {
      if (x <= t1) {
        x = level1;
      } else if (x >= t2) {
        x = level2;
      } else if (!std::isnan(x)) {
        const long double m = std::min(std::floor((static_cast<long double>(x) - t1) / step), topM);
        x = static_cast<double>(level1 + levelStep * (m + 1));
      }
    }
  }
  return 0;
}

}  // namespace zel
