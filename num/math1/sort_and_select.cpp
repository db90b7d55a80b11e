// Routines on open arrays and untyped buffers: selection, comb sort, sorted
// insertion and exchange.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "num/math1/zel_math1.hpp"

namespace zel {
namespace {

template <bool Ascending, class T>
void CombSortPasses(std::span<T> a) {
  const size_t n = a.size();
  size_t gap = n;
  bool exchanged;
  do {
    gap = static_cast<size_t>(Trunc(static_cast<double>(gap) / 1.3));
    if (gap < 1) gap = 1;
    exchanged = false;
    for (size_t i = 0; i + gap < n; ++i) {
      T& x = a[i];
      T& y = a[i + gap];
      if (Ascending ? y < x : x < y) {
        std::swap(x, y);
        exchanged = true;
      }
    }
    ReportProgress();
  } while (gap > 1 || exchanged);
}

template <class T>
void CombSort(std::span<T> a, bool ascending) {
  if (a.size() < 2) return;
  if (ascending) {
    CombSortPasses<true>(a);
  } else {
    CombSortPasses<false>(a);
  }
}

template <class T>
int32_t SortInto(std::span<T> a, T value, bool ascending, bool allowDuplicates) {
  const size_t n = a.size();
  size_t pos = 0;
  while (pos < n && !(ascending ? a[pos] >= value : a[pos] <= value)) ++pos;
  if (pos == n) return -1;
  if (a[pos] == value && !allowDuplicates) return -1;
  std::move_backward(a.begin() + static_cast<std::ptrdiff_t>(pos), a.end() - 1, a.end());
  a[pos] = value;
  return static_cast<int32_t>(pos);
}

template <class T>
void InsertInto(std::span<T> a, T value, int32_t position) {
  if (position < 0 || static_cast<size_t>(position) >= a.size()) return;
  std::move_backward(a.begin() + position, a.end() - 1, a.end());
  a[static_cast<size_t>(position)] = value;
}

// Bentley and McIlroy's three-way partition ("Engineering a sort
// function", 1993) of data[lo..hi] around the value data[lo]: a Hoare scan
// that parks the elements equal to the pivot at both ends and swaps them
// into the middle at the end. On return data[lo..lessEnd) < pivot,
// data[lessEnd..greaterBegin) equal, data[greaterBegin..hi] > pivot in the
// order that le, ge and eq define (x <= pivot, x >= pivot, x == pivot).
template <class Le, class Ge, class Eq>
void PartitionThreeWay(std::span<double> data, ptrdiff_t lo, ptrdiff_t hi, Le le, Ge ge, Eq eq,
                       ptrdiff_t& lessEnd, ptrdiff_t& greaterBegin) {
  const auto at = [data](ptrdiff_t i) -> double& { return data[static_cast<size_t>(i)]; };
  ptrdiff_t a = lo + 1, b = lo + 1, c = hi, d = hi;
  for (;;) {
    while (b <= c && le(at(b))) {
      if (eq(at(b))) std::swap(at(a++), at(b));
      ++b;
    }
    while (c >= b && ge(at(c))) {
      if (eq(at(c))) std::swap(at(c), at(d--));
      --c;
    }
    if (b > c) break;
    std::swap(at(b++), at(c--));
  }
  // Equal blocks [lo, a) and (d, hi] move next to the middle.
  ptrdiff_t s = std::min(a - lo, b - a);
  for (ptrdiff_t i = 0; i < s; ++i) std::swap(at(lo + i), at(b - s + i));
  s = std::min(d - c, hi - d);
  for (ptrdiff_t i = 0; i < s; ++i) std::swap(at(b + i), at(hi - s + 1 + i));
  lessEnd = lo + (b - a);
  greaterBegin = hi - (d - c) + 1;
}

template <class T>
std::span<T> Typed(void* data, int32_t count) {
  return {static_cast<T*>(data), static_cast<size_t>(count)};
}

template <class T>
T ReadValue(const void* value) {
  T v;
  std::memcpy(&v, value, sizeof(T));
  return v;
}

}  // namespace

double QuickSelect(std::span<double> data, int32_t k, int32_t low, int32_t high) {
  const int64_t lastIndex = static_cast<int64_t>(data.size()) - 1;
  if (!(0 <= low && low <= k && k <= high && high <= lastIndex)) return 0;
  const double first = data[static_cast<size_t>(low)];
  if (std::all_of(data.begin() + low, data.begin() + high + 1,
                  [first](double v) { return v == first; }))
    return first;
  // Three-way partition, so that every pass drops the whole block of values
  // equal to the pivot: with many ties a two-way partition sends them all to
  // one side and the selection turns quadratic. NaN orders after every
  // number, which keeps the order total and the passes finite.
  auto lo = static_cast<ptrdiff_t>(low);
  auto hi = static_cast<ptrdiff_t>(high);
  const auto target = static_cast<ptrdiff_t>(k);
  for (;;) {
    std::swap(data[static_cast<size_t>(lo)], data[static_cast<size_t>(lo + (hi - lo) / 2)]);
    const double pivot = data[static_cast<size_t>(lo)];
    ptrdiff_t lessEnd = 0, greaterBegin = 0;
    if (std::isnan(pivot)) {
      PartitionThreeWay(
          data, lo, hi, [](double) { return true; }, [](double v) { return std::isnan(v); },
          [](double v) { return std::isnan(v); }, lessEnd, greaterBegin);
    } else {
      PartitionThreeWay(
          data, lo, hi, [pivot](double v) { return v <= pivot; },
          [pivot](double v) { return !(v < pivot); }, [pivot](double v) { return v == pivot; },
          lessEnd, greaterBegin);
    }
    if (target < lessEnd) {
      hi = lessEnd - 1;
    } else if (target >= greaterBegin) {
      lo = greaterBegin;
    } else {
      return data[static_cast<size_t>(target)];
    }
  }
}

double QuickSelect(std::span<const double> data, int32_t k, int32_t low, int32_t /*unused*/,
                   double x) {
  if (k < 0 || static_cast<size_t>(k) >= data.size()) return 0;
  std::vector<double> others;
  others.reserve(data.size());
  int64_t below = 0;
  for (const double v : data) {
    if (v != x) {
      others.push_back(v);
      if (v < x) ++below;
    }
  }
  const int64_t equal = static_cast<int64_t>(data.size() - others.size());
  const int32_t otherLast = static_cast<int32_t>(others.size()) - 1;
  if (k < below) return QuickSelect(others, k, low, otherLast);
  if (k >= below + equal)
    return QuickSelect(others, static_cast<int32_t>(k - equal), low, otherLast);
  return x;
}

void SortArray(std::span<double> data, bool ascending) { CombSort(data, ascending); }
void SortArray(std::span<float> data, bool ascending) { CombSort(data, ascending); }
void SortArray(std::span<int32_t> data, bool ascending) { CombSort(data, ascending); }

// The untyped forms switch on the kind's ordinal: 0, 1 double; 2 float;
// 3, 4 int32; anything else does nothing.
void SortArray(void* data, int32_t count, TVarKind kind, bool ascending) {
  if (data == nullptr || count < 2) return;
  switch (static_cast<int32_t>(kind)) {
    case 0:
    case 1: CombSort(Typed<double>(data, count), ascending); break;
    case 2: CombSort(Typed<float>(data, count), ascending); break;
    case 3:
    case 4: CombSort(Typed<int32_t>(data, count), ascending); break;
    default: break;
  }
}

int32_t SortIntoArray(std::span<double> data, double value, bool ascending, bool allowDuplicates) {
  return SortInto(data, value, ascending, allowDuplicates);
}
int32_t SortIntoArray(std::span<float> data, float value, bool ascending, bool allowDuplicates) {
  return SortInto(data, value, ascending, allowDuplicates);
}
int32_t SortIntoArray(std::span<int32_t> data, int32_t value, bool ascending,
                      bool allowDuplicates) {
  return SortInto(data, value, ascending, allowDuplicates);
}

int32_t SortIntoArray(void* data, int32_t count, TVarKind kind, const void* value, bool ascending,
                      bool allowDuplicates) {
  if (data == nullptr || value == nullptr || count < 1) return -1;
  switch (static_cast<int32_t>(kind)) {
    case 0:
    case 1:
      return SortInto(Typed<double>(data, count), ReadValue<double>(value), ascending,
                      allowDuplicates);
    case 2:
      return SortInto(Typed<float>(data, count), ReadValue<float>(value), ascending,
                      allowDuplicates);
    case 3:
    case 4:
      return SortInto(Typed<int32_t>(data, count), ReadValue<int32_t>(value), ascending,
                      allowDuplicates);
    default: return -1;
  }
}

void InsertIntoArray(std::span<double> data, double value, int32_t position) {
  InsertInto(data, value, position);
}
void InsertIntoArray(std::span<float> data, float value, int32_t position) {
  InsertInto(data, value, position);
}
void InsertIntoArray(std::span<int32_t> data, int32_t value, int32_t position) {
  InsertInto(data, value, position);
}

void InsertIntoArray(void* data, int32_t count, TVarKind kind, const void* value,
                     int32_t position) {
  if (data == nullptr || value == nullptr || count < 1) return;
  switch (static_cast<int32_t>(kind)) {
    case 0:
    case 1: InsertInto(Typed<double>(data, count), ReadValue<double>(value), position); break;
    case 2: InsertInto(Typed<float>(data, count), ReadValue<float>(value), position); break;
    case 3:
    case 4: InsertInto(Typed<int32_t>(data, count), ReadValue<int32_t>(value), position); break;
    default: break;
  }
}

bool SortSwap(double& a, double& b, bool ascending) {
  const bool exchange = ascending ? !(a < b) : !(a >= b);
  if (exchange) std::swap(a, b);
  return exchange;
}

void ExChange(void* a, void* b, uint16_t len) {
  if (a == nullptr || b == nullptr) return;
  auto* pa = static_cast<unsigned char*>(a);
  std::swap_ranges(pa, pa + len, static_cast<unsigned char*>(b));
}

}  // namespace zel
