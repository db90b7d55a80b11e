// Summation kernels shared by the vector unit's .cpp files. Not part of the
// interface: include num/vector/zel_vector.hpp instead.
//
// Every sum runs in long double over interleaved partial sums (element i
// goes to lane i mod k) that are combined in a fixed order at the end. The
// independent lanes let the x87 unit overlap its additions, which makes one
// pass as fast as a plain serial double loop while keeping 64 mantissa
// bits; the fixed order keeps results reproducible.
#pragma once

#include <cstddef>
#include <cstdint>

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

// Sum x and Sum x^2 in one pass, two lanes each (four accumulators leave
// the x87 stack room for the temporaries).
template <class T>
void SumAndSquares(const T* p, size_t n, LD& sum, LD& sumSq) {
  LD a0 = 0, a1 = 0, q0 = 0, q1 = 0;
  size_t i = 0;
  for (; i + 2 <= n; i += 2) {
    const LD x0 = static_cast<LD>(p[i]);
    const LD x1 = static_cast<LD>(p[i + 1]);
    a0 += x0;
    q0 += x0 * x0;
    a1 += x1;
    q1 += x1 * x1;
  }
  if (i < n) {
    const LD x = static_cast<LD>(p[i]);
    a0 += x;
    q0 += x * x;
  }
  sum = a0 + a1;
  sumSq = q0 + q1;
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
