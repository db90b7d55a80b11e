// Search, the indexed comb sort, duplicate removal and shuffling.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string_view>

#include "core/zel_random.hpp"
#include "num/arrays/arrays_impl.hpp"

namespace zel {

int32_t FindInArray(int32_t key, const TIntArray& a) {
  if (a.empty()) return -1;
  const auto it = std::find(a.begin(), a.end(), key);
  if (it == a.end()) return -2;
  return static_cast<int32_t>(it - a.begin());
}

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualFolded(std::string_view x, std::string_view y) {
  return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), [](char p, char q) {
           return FoldAscii(p) == FoldAscii(q);
         });
}

bool ContainsFolded(std::string_view text, std::string_view key) {
  const auto it = std::search(text.begin(), text.end(), key.begin(), key.end(),
                              [](char p, char q) { return FoldAscii(p) == FoldAscii(q); });
  return it != text.end() || key.empty();
}

}  // namespace

int32_t FindInArray(const std::string& key, const TStrArray& a, bool caseSensitive,
                    bool exactMatch) {
  if (a.empty()) return -1;
  for (size_t i = 0; i < a.size(); ++i) {
    const std::string& s = a[i];
    bool hit;
    if (exactMatch) {
      hit = caseSensitive ? s == key : EqualFolded(s, key);
    } else {
      hit = caseSensitive ? s.find(key) != std::string::npos : ContainsFolded(s, key);
    }
    if (hit) return static_cast<int32_t>(std::min<size_t>(i, INT32_MAX));
  }
  return -2;
}

int32_t FindInSortedArray(double x, const TDoubleArray& a, bool ascending) {
  if (a.empty()) return kSortTooShort;
  const double lowEnd = ascending ? a.front() : a.back();
  const double highEnd = ascending ? a.back() : a.front();
  if (!(x >= lowEnd && x <= highEnd)) return kSortAbortedOrOutside;
  size_t lo = 0;
  size_t hi = a.size() - 1;
  while (hi - lo > 1) {
    const size_t mid = lo + (hi - lo) / 2;
    if (a[mid] == x) return static_cast<int32_t>(mid);
    if (ascending ? a[mid] < x : a[mid] > x) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  if (a[lo] == x) return static_cast<int32_t>(lo);
  if (a[hi] == x) return static_cast<int32_t>(hi);
  return static_cast<int32_t>(std::fabs(a[hi] - x) <= std::fabs(x - a[lo]) ? hi : lo);
}

namespace {

// One comb-sort pass with the given gap; true when anything was exchanged.
template <bool Ascending, class T>
bool CombPass(T* data, int32_t* index, size_t n, size_t gap) {
  bool exchanged = false;
  for (size_t i = 0; i + gap < n; ++i) {
    if (Ascending ? data[i + gap] < data[i] : data[i] < data[i + gap]) {
      std::swap(data[i], data[i + gap]);
      std::swap(index[i], index[i + gap]);
      exchanged = true;
    }
  }
  return exchanged;
}

template <class T>
int32_t CombSortWithIndex(bool ascending, Array1D<T>& data, TIntArray& index) {
  AbortMathProc = false;
  const size_t n = data.size();
  index.resize(n);
  for (size_t i = 0; i < n; ++i) index[i] = static_cast<int32_t>(i + 1);
  if (n < 2) return kSortTooShort;
  size_t gap = n - 1;
  for (;;) {
    ReportProgress();
    if (AbortMathProc) return kSortAbortedOrOutside;
    const bool exchanged = ascending ? CombPass<true>(data.data(), index.data(), n, gap)
                                     : CombPass<false>(data.data(), index.data(), n, gap);
    // Sorted once a pass with gap 1 exchanges nothing.
    if (gap == 1 && !exchanged) break;
    if (gap > 1)
      gap = std::max<size_t>(1, static_cast<size_t>(Trunc(static_cast<double>(gap) / 1.3)));
  }
  return 0;
}

}  // namespace

int32_t SortArray(bool ascending, TDoubleArray& data, TIntArray& index) {
  return CombSortWithIndex(ascending, data, index);
}

int32_t SortArray(bool ascending, TIntArray& data, TIntArray& index) {
  return CombSortWithIndex(ascending, data, index);
}

int32_t SortAndRemoveDuplicates(TIntArray& a, bool ascending) {
  if (a.size() < 2) return kSortTooShort;
  if (ascending) {
    std::sort(a.begin(), a.end());
  } else {
    std::sort(a.begin(), a.end(), std::greater<>());
  }
  const size_t before = a.size();
  a.erase(std::unique(a.begin(), a.end()), a.end());
  return static_cast<int32_t>(std::min<size_t>(before - a.size(), INT32_MAX));
}

template <NumElement T>
int32_t ShuffleArray(Array1D<T>& a) {
  if (a.size() < 2) return kSortTooShort;
  for (size_t k = a.size() - 1; k >= 1; --k) {
    // j in 0..k-1, never k itself: Sattolo's variant gives one cycle.
    const auto j =
        static_cast<size_t>(Random(static_cast<int32_t>(std::min<size_t>(k, INT32_MAX))));
    std::swap(a[k], a[j]);
  }
  return 0;
}
template int32_t ShuffleArray(Array1D<double>&);
template int32_t ShuffleArray(Array1D<int32_t>&);

}  // namespace zel
