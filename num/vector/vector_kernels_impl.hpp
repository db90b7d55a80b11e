// Summation kernels shared by the vector, matrix and array units' .cpp
// files. Not part of the interface: include num/vector/zel_vector.hpp
// instead.
//
// Every sum runs in long double over interleaved partial sums (element i
// goes to lane i mod k) that are combined in a fixed order at the end. The
// independent lanes let the x87 unit overlap its additions, which makes one
// pass as fast as a plain serial double loop while keeping 64 mantissa
// bits; the fixed order keeps results reproducible.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "core/zel_system.hpp"

namespace zel::vector_detail {

using LD = long double;

// Sum of f(p[i]) for i < n, four lanes.
template <class T, class F>
LD LaneSum(const T* p, size_t n, F f) {
  LD s0 = 0, s1 = 0, s2 = 0, s3 = 0;
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    s0 += f(p[i]);
    s1 += f(p[i + 1]);
    s2 += f(p[i + 2]);
    s3 += f(p[i + 3]);
  }
  for (; i < n; ++i) s0 += f(p[i]);
  return (s0 + s1) + (s2 + s3);
}

// Sum a[i] * b[i] for i < n, four lanes.
template <class T>
LD LaneDot(const T* a, const T* b, size_t n) {
  LD s0 = 0, s1 = 0, s2 = 0, s3 = 0;
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    s0 += static_cast<LD>(a[i]) * static_cast<LD>(b[i]);
    s1 += static_cast<LD>(a[i + 1]) * static_cast<LD>(b[i + 1]);
    s2 += static_cast<LD>(a[i + 2]) * static_cast<LD>(b[i + 2]);
    s3 += static_cast<LD>(a[i + 3]) * static_cast<LD>(b[i + 3]);
  }
  for (; i < n; ++i) s0 += static_cast<LD>(a[i]) * static_cast<LD>(b[i]);
  return (s0 + s1) + (s2 + s3);
}

// ---------------------------------------------------------------------------
// Centred sums
//
// Every variance, standard deviation and correlation of the library takes
// the mean first and then sums the deviations from it, in long double. The
// one-pass form Sum x^2 - (Sum x)^2 / n cancels when the mean is large
// against the spread: {1e10+1, 1e10+2, 1e10+3} loses every digit of its
// variance 1 that way.
// ---------------------------------------------------------------------------

// Sum (p[i] - mean)^2 for i < n, four lanes.
template <class T>
LD CentredSumSq(const T* p, size_t n, LD mean) {
  return LaneSum(p, n, [mean](T x) {
    const LD d = static_cast<LD>(x) - mean;
    return d * d;
  });
}

// Sum (a[i] - ma)(b[i] - mb) for i < n, in the lanes and order of
// CentredSumSq, so that a series with itself gives exactly its sum of
// squares (and a correlation of exactly 1).
template <class T>
LD CentredCross(const T* a, const T* b, size_t n, LD ma, LD mb) {
  LD s0 = 0, s1 = 0, s2 = 0, s3 = 0;
  auto term = [&](size_t i) { return (static_cast<LD>(a[i]) - ma) * (static_cast<LD>(b[i]) - mb); };
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    s0 += term(i);
    s1 += term(i + 1);
    s2 += term(i + 2);
    s3 += term(i + 3);
  }
  for (; i < n; ++i) s0 += term(i);
  return (s0 + s1) + (s2 + s3);
}

// True when every p[i] equals v and v is finite. A constant series has no
// spread, but its mean, rounded once, may differ from the value by an ulp
// and leave a tiny positive sum of squares; callers set it to 0 instead.
template <class T>
bool AllEqualTo(const T* p, size_t n, T v) {
  if constexpr (std::is_floating_point_v<T>) {
    if (!std::isfinite(v)) return false;
  }
  for (size_t i = 0; i < n; ++i)
    if (!(p[i] == v)) return false;
  return true;
}

// Mean and centred sum of squares of p[0..n-1], n >= 1; a constant run
// gives its value and exactly 0.
template <class T>
void MeanAndSumSq(const T* p, size_t n, LD& mean, LD& ss) {
  if (AllEqualTo(p, n, p[0])) {
    mean = static_cast<LD>(p[0]);
    ss = 0;
    return;
  }
  mean = LaneSum(p, n, [](T x) { return static_cast<LD>(x); }) / static_cast<LD>(n);
  ss = CentredSumSq(p, n, mean);
}

// The sample variance of n values from their centred sum of squares: the
// library's rules are exactly 1 for fewer than 3 values and 0 for a
// negative result; NaN stays NaN.
inline double SampleVariance(LD ss, int64_t n) {
  if (n < 3) return 1.0;
  const LD v = ss / static_cast<LD>(n - 1);
  return v < 0 ? 0.0 : static_cast<double>(v);
}

// The sample standard deviation with SampleVariance's rules, its root taken
// in long double: a spread beyond about 1.3e154 has a variance no double
// holds, but a standard deviation that is finite.
inline double SampleStdDev(LD ss, int64_t n) {
  if (n < 3) return 1.0;
  const LD v = ss / static_cast<LD>(n - 1);
  return v < 0 ? 0.0 : static_cast<double>(std::sqrt(v));
}

// Pearson's r from centred sums: 0 when either sum of squares is 0 (a
// constant series), NaN when any sum is NaN; rounding cannot push |r|
// beyond 1.
inline double PearsonFromCentred(LD sxx, LD syy, LD sxy) {
  if (std::isnan(sxx) || std::isnan(syy) || std::isnan(sxy))
    return std::numeric_limits<double>::quiet_NaN();
  if (sxx == 0 || syy == 0) return 0;
  const LD r = sxy / std::sqrt(std::fabs(sxx * syy));
  return static_cast<double>(r > 1 ? 1 : (r < -1 ? -1 : r));
}

// Pearson's r of a[0..n-1] and b[0..n-1] with the rules of
// PearsonFromCentred.
template <class T>
double PearsonOf(const T* a, const T* b, size_t n) {
  const auto ln = static_cast<LD>(n);
  auto toLD = [](T x) { return static_cast<LD>(x); };
  const LD ma = LaneSum(a, n, toLD) / ln;
  const LD mb = LaneSum(b, n, toLD) / ln;
  const LD saa = AllEqualTo(a, n, a[0]) ? 0 : CentredSumSq(a, n, ma);
  const LD sbb = AllEqualTo(b, n, b[0]) ? 0 : CentredSumSq(b, n, mb);
  return PearsonFromCentred(saa, sbb, CentredCross(a, b, n, ma, mb));
}

// 32-bit wrapping sum and dot product of integers (unsigned arithmetic, so
// the compiler may vectorise it and no signed overflow occurs).
inline int32_t WrapSum(const int32_t* p, size_t n) {
  uint32_t s = 0;
  for (size_t i = 0; i < n; ++i) s += static_cast<uint32_t>(p[i]);
  return static_cast<int32_t>(s);
}

inline int32_t WrapDot(const int32_t* a, const int32_t* b, size_t n) {
  uint32_t s = 0;
  for (size_t i = 0; i < n; ++i) s += static_cast<uint32_t>(a[i]) * static_cast<uint32_t>(b[i]);
  return static_cast<int32_t>(s);
}

}  // namespace zel::vector_detail
