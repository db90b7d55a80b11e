// Grid operations on 2-D arrays: distances of row objects, bounding
// rectangle, flood fill, local mean and median, linearity breaks, cell
// lists, edge vectors, mask shapes, resampling and colour maps.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <new>
#include <vector>

#include "num/arrays/arrays_impl.hpp"

namespace zel {

using namespace arrays_detail;

// ---------------------------------------------------------------------------
// Distances
// ---------------------------------------------------------------------------

int32_t DistanceOfObjects(const TDouble2DArray& a, TDistMode mode, int32_t o1, int32_t o2,
                          int32_t c1, int32_t c2, double& d) {
  d = 0;
  const int32_t shape = CheckShape(a);
  if (shape == -1) return -1;
  if (shape != 0) return -2;
  const auto cols = static_cast<int64_t>(a.size());
  const auto rows = static_cast<int64_t>(a[0].size());
  if (o1 < 0 || o2 < 0 || o1 >= rows || o2 >= rows) return -2;
  if (c1 < 0 || c2 < 0 || c1 >= cols || c2 >= cols) return -3;
  if (c2 < c1) return -4;
  long double sxy = 0, sxx = 0, syy = 0, sabs = 0, ssq = 0;
  for (int32_t c = c1; c <= c2; ++c) {
    const long double x = a[static_cast<size_t>(c)][static_cast<size_t>(o1)];
    const long double y = a[static_cast<size_t>(c)][static_cast<size_t>(o2)];
    sxy += x * y;
    sxx += x * x;
    syy += y * y;
    sabs += std::fabs(x - y);
    ssq += (x - y) * (x - y);
  }
  switch (mode) {
    case TDistMode::dmTanimoto: {
      const long double den = sxx + syy - sxy;
      // Zero only when both objects are all zero, i.e. identical.
      d = den == 0 ? 1.0 : static_cast<double>(sxy / den);
      return 0;
    }
    case TDistMode::dmManhattan: d = static_cast<double>(sabs); return 0;
    case TDistMode::dmEuclid: d = static_cast<double>(std::sqrt(ssq)); return 0;
    case TDistMode::dmSqrEuclid: d = static_cast<double>(ssq); return 0;
    case TDistMode::dmDice: {
      const long double den = sxx + syy;
      d = den == 0 ? 1.0 : static_cast<double>(2 * sxy / den);
      return 0;
    }
    default: return -5;
  }
}

// ---------------------------------------------------------------------------
// Bounding rectangle
// ---------------------------------------------------------------------------

template <NumElement T>
void BoundingRect(const Array2D<T>& a, int32_t& firstCol, int32_t& lastCol, int32_t& firstRow,
                  int32_t& lastRow) {
  firstCol = lastCol = firstRow = lastRow = -1;
  for (size_t c = 0; c < a.size(); ++c) {
    const T* p = a[c].data();
    const size_t n = a[c].size();
    size_t lo = 0;
    while (lo < n && !(p[lo] != 0)) ++lo;
    if (lo == n) continue;
    size_t hi = n - 1;
    while (!(p[hi] != 0)) --hi;
    const auto ci = static_cast<int32_t>(c);
    if (firstCol < 0) firstCol = ci;
    lastCol = ci;
    if (firstRow < 0 || static_cast<int32_t>(lo) < firstRow) firstRow = static_cast<int32_t>(lo);
    lastRow = std::max(lastRow, static_cast<int32_t>(hi));
  }
}
template void BoundingRect(const Array2D<double>&, int32_t&, int32_t&, int32_t&, int32_t&);
template void BoundingRect(const Array2D<int32_t>&, int32_t&, int32_t&, int32_t&, int32_t&);

// ---------------------------------------------------------------------------
// Flood fill
// ---------------------------------------------------------------------------

namespace {

// Scan-line fill over runs along a column. `match(value)` decides whether
// an unvisited cell joins the region; each cell is visited at most once, so
// the fill ends whatever the fill value is.
template <class T, class Match>
int32_t FloodRuns(Array2D<T>& a, int32_t col, int32_t row, T fill, bool fourNeighbour, Match match,
                  int32_t& highestRow, int32_t& lowestRow, int32_t& lowestCol,
                  int32_t& highestCol) {
  const size_t cols = a.size();
  const size_t rows = a[0].size();
  std::vector<uint64_t> visited((cols * rows + 63) / 64, 0);
  const auto seen = [&](size_t c, size_t r) {
    const size_t bit = c * rows + r;
    return (visited[bit >> 6] >> (bit & 63)) & 1u;
  };
  const auto mark = [&](size_t c, size_t r) {
    const size_t bit = c * rows + r;
    visited[bit >> 6] |= uint64_t{1} << (bit & 63);
  };
  const auto joins = [&](size_t c, size_t r) { return !seen(c, r) && match(a[c][r]); };

  struct Seed {
    size_t c, r;
  };
  std::vector<Seed> stack;
  stack.push_back({static_cast<size_t>(col), static_cast<size_t>(row)});
  int64_t count = 0;
  size_t minR = rows, maxR = 0, minC = cols, maxC = 0;
  while (!stack.empty()) {
    const Seed s = stack.back();
    stack.pop_back();
    if (!joins(s.c, s.r)) continue;
    T* column = a[s.c].data();
    size_t r0 = s.r, r1 = s.r;
    while (r0 > 0 && joins(s.c, r0 - 1)) --r0;
    while (r1 + 1 < rows && joins(s.c, r1 + 1)) ++r1;
    for (size_t r = r0; r <= r1; ++r) {
      mark(s.c, r);
      column[r] = fill;
    }
    count += static_cast<int64_t>(r1 - r0 + 1);
    minR = std::min(minR, r0);
    maxR = std::max(maxR, r1);
    minC = std::min(minC, s.c);
    maxC = std::max(maxC, s.c);
    const size_t lo = fourNeighbour || r0 == 0 ? r0 : r0 - 1;
    const size_t hi = fourNeighbour || r1 + 1 == rows ? r1 : r1 + 1;
    for (int side = 0; side < 2; ++side) {
      if (side == 0 && s.c == 0) continue;
      if (side == 1 && s.c + 1 == cols) continue;
      const size_t nc = side == 0 ? s.c - 1 : s.c + 1;
      bool inRun = false;
      for (size_t r = lo; r <= hi; ++r) {
        if (joins(nc, r)) {
          if (!inRun) stack.push_back({nc, r});
          inRun = true;
        } else {
          inRun = false;
        }
      }
    }
  }
  if (count > 0) {
    highestRow = static_cast<int32_t>(maxR);
    lowestRow = static_cast<int32_t>(minR);
    lowestCol = static_cast<int32_t>(minC);
    highestCol = static_cast<int32_t>(maxC);
  } else {
    highestRow = lowestRow = row;
    lowestCol = highestCol = col;
  }
  return static_cast<int32_t>(count);
}

template <class T>
int32_t SeedStatus(const Array2D<T>& a, int32_t col, int32_t row) {
  if (col < 0 || row < 0 || static_cast<size_t>(col) >= a.size()) return -1;
  if (!IsRectangular(a)) return -3;
  if (static_cast<size_t>(row) >= a[0].size()) return -1;
  return 0;
}

}  // namespace

int32_t FloodFillArray(int32_t col, int32_t row, int32_t fill, bool fourNeighbour, TInt2DArray& a,
                       int32_t& highestRow, int32_t& lowestRow, int32_t& lowestCol,
                       int32_t& highestCol) {
  highestRow = lowestRow = lowestCol = highestCol = 0;
  if (const int32_t s = SeedStatus(a, col, row)) return s;
  const int32_t seed = a[static_cast<size_t>(col)][static_cast<size_t>(row)];
  if (seed == fill) return -2;
  try {
    return FloodRuns(
        a, col, row, fill, fourNeighbour, [seed](int32_t v) { return v == seed; }, highestRow,
        lowestRow, lowestCol, highestCol);
  } catch (const std::bad_alloc&) {
    return -4;
  }
}

int32_t FloodFillArray(int32_t col, int32_t row, double tolerance, double fill, bool fourNeighbour,
                       TDouble2DArray& a, int32_t& highestRow, int32_t& lowestRow,
                       int32_t& lowestCol, int32_t& highestCol) {
  highestRow = lowestRow = lowestCol = highestCol = 0;
  if (const int32_t s = SeedStatus(a, col, row)) return s;
  const double seed = a[static_cast<size_t>(col)][static_cast<size_t>(row)];
  const double tol = std::fabs(tolerance);
  try {
    return FloodRuns(
        a, col, row, fill, fourNeighbour,
        [seed, tol](double v) { return v == seed || std::fabs(v - seed) <= tol; }, highestRow,
        lowestRow, lowestCol, highestCol);
  } catch (const std::bad_alloc&) {
    return -4;
  }
}

// ---------------------------------------------------------------------------
// Local mean and median
// ---------------------------------------------------------------------------

namespace {

// The values LocalMean and LocalMedian combine: the centre and its
// neighbours within the half width that lie inside lo..hi.
template <class T>
std::vector<T> LocalWindow(const Array1D<T>& data, int32_t centre, int32_t halfWidth, int32_t lo,
                           int32_t hi) {
  const auto last = static_cast<int64_t>(data.size()) - 1;
  const auto clamp = [last](int64_t v) { return std::clamp<int64_t>(v, 0, last); };
  const int64_t c = clamp(centre);
  const int64_t w = clamp(halfWidth);
  int64_t l = clamp(lo), h = clamp(hi);
  if (l > h) std::swap(l, h);
  // Only the distances k at which c - k or c + k lies in l..h are visited,
  // so the work follows the window and not the requested half width; the
  // order of the values (centre, then c - k before c + k) stays that of the
  // plain loop, and with it the rounding of the mean.
  const int64_t leftFrom = std::max<int64_t>(1, c - h), leftTo = std::min(w, c - l);
  const int64_t rightFrom = std::max<int64_t>(1, l - c), rightTo = std::min(w, h - c);
  int64_t kFrom = INT64_MAX, kTo = 0;
  if (leftFrom <= leftTo) {
    kFrom = leftFrom;
    kTo = leftTo;
  }
  if (rightFrom <= rightTo) {
    kFrom = std::min(kFrom, rightFrom);
    kTo = std::max(kTo, rightTo);
  }
  std::vector<T> out;
  out.reserve(static_cast<size_t>(std::max<int64_t>(0, kTo - kFrom + 1)) * 2 + 1);
  out.push_back(data[static_cast<size_t>(c)]);
  for (int64_t k = kFrom; k <= kTo; ++k) {
    if (c - k >= l && c - k <= h) out.push_back(data[static_cast<size_t>(c - k)]);
    if (c + k >= l && c + k <= h) out.push_back(data[static_cast<size_t>(c + k)]);
  }
  return out;
}

}  // namespace

template <NumElement T>
double LocalMean(const Array1D<T>& data, int32_t centre, int32_t halfWidth, int32_t lo,
                 int32_t hi) {
  if (data.empty()) return 0;
  const std::vector<T> w = LocalWindow(data, centre, halfWidth, lo, hi);
  long double sum = 0;
  for (T v : w) sum += v;
  return static_cast<double>(sum / static_cast<long double>(w.size()));
}
template double LocalMean(const Array1D<double>&, int32_t, int32_t, int32_t, int32_t);
template double LocalMean(const Array1D<int32_t>&, int32_t, int32_t, int32_t, int32_t);

template <NumElement T>
double LocalMedian(const Array1D<T>& data, int32_t centre, int32_t halfWidth, int32_t lo,
                   int32_t hi) {
  if (data.empty()) return 0;
  std::vector<T> w = LocalWindow(data, centre, halfWidth, lo, hi);
  // NaN after every number (as QuickSelect orders it): a plain < is no
  // strict weak order with NaN, which std::sort requires.
  std::sort(w.begin(), w.end(), [](T x, T y) {
    if constexpr (std::is_floating_point_v<T>) {
      if (std::isnan(x)) return false;
      if (std::isnan(y)) return true;
    }
    return x < y;
  });
  const size_t m = w.size() / 2;
  if (w.size() % 2 == 1) return static_cast<double>(w[m]);
  return static_cast<double>((static_cast<long double>(w[m - 1]) + w[m]) / 2);
}
template double LocalMedian(const Array1D<double>&, int32_t, int32_t, int32_t, int32_t);
template double LocalMedian(const Array1D<int32_t>&, int32_t, int32_t, int32_t, int32_t);

// ---------------------------------------------------------------------------
// Linearity breaks
// ---------------------------------------------------------------------------

int32_t CheckLinearity(const TDoubleArray& data, double tolerance, TIntArray& breaks) {
  if (data.size() < 3) return 0;
  TIntArray found;
  double d = data[1] - data[0];
  for (size_t j = 2; j < data.size(); ++j) {
    const double step = data[j] - data[j - 1];
    if (std::fabs(step - d) > tolerance) {
      found.push_back(static_cast<int32_t>(j - 1));
      d = step;
    }
  }
  breaks = std::move(found);
  return static_cast<int32_t>(breaks.size());
}

int32_t CheckLinearity(const TIntArray& data, TIntArray& breaks) {
  if (data.size() < 3) return 0;
  TIntArray found;
  int64_t d = int64_t{data[1]} - data[0];
  for (size_t j = 2; j < data.size(); ++j) {
    const int64_t step = int64_t{data[j]} - data[j - 1];
    if (step != d) {
      found.push_back(static_cast<int32_t>(j - 1));
      d = step;
    }
  }
  breaks = std::move(found);
  return static_cast<int32_t>(breaks.size());
}

// ---------------------------------------------------------------------------
// Cell lists
// ---------------------------------------------------------------------------

int32_t ListCellPositions(const TBoolArray& a, bool value, int32_t maxCount, int32_t offset,
                          TIntArray& positions) {
  if (a.empty()) return -1;
  const size_t limit = maxCount < 1 || static_cast<size_t>(maxCount) > a.size()
                           ? a.size()
                           : static_cast<size_t>(maxCount);
  TIntArray found;
  for (size_t i = 0; i < a.size() && found.size() < limit; ++i)
    if ((a[i] != 0) == value) found.push_back(WrapAdd(static_cast<int32_t>(i), offset));
  positions = std::move(found);
  return static_cast<int32_t>(positions.size());
}

int32_t ListCellPositions(const TBool2DArray& a, bool value, int32_t maxCount, int32_t offset,
                          TInt2DArray& positions) {
  if (const int32_t s = CheckShape(a)) return s;
  const size_t cells = a.size() * a[0].size();
  const size_t limit =
      maxCount < 1 || static_cast<size_t>(maxCount) > cells ? cells : static_cast<size_t>(maxCount);
  TInt2DArray found(2);
  for (size_t c = 0; c < a.size() && found[0].size() < limit; ++c)
    for (size_t r = 0; r < a[c].size() && found[0].size() < limit; ++r)
      if ((a[c][r] != 0) == value) {
        found[0].push_back(WrapAdd(static_cast<int32_t>(c), offset));
        found[1].push_back(WrapAdd(static_cast<int32_t>(r), offset));
      }
  positions = std::move(found);
  return static_cast<int32_t>(positions[0].size());
}

// ---------------------------------------------------------------------------
// Edge vectors
// ---------------------------------------------------------------------------

template <NumElement T>
int32_t EdgeVector(const Array2D<T>& a, TOrientation orientation, TEdgeOp op,
                   const TIntArray& positions, TDoubleArray& result) {
  if (const int32_t s = CheckShape(a)) return s;
  const int32_t opCode = static_cast<int32_t>(op);
  if (opCode < 0 || opCode > static_cast<int32_t>(TEdgeOp::eoStdDev)) return -3;
  const bool perColumn = orientation == TOrientation::orColwise;
  const size_t cols = a.size();
  const size_t rows = a[0].size();
  const size_t outer = perColumn ? cols : rows;  // one result each
  const size_t inner = perColumn ? rows : cols;  // the positions run over these
  std::vector<size_t> used;
  int32_t status = 0;
  if (positions.empty()) {
    used.resize(inner);
    for (size_t k = 0; k < inner; ++k) used[k] = k;
  } else {
    for (int32_t p : positions) {
      if (p < 0 || static_cast<size_t>(p) >= inner) {
        status = -2;
      } else {
        used.push_back(static_cast<size_t>(p));
      }
    }
  }
  TDoubleArray out(outer);
  for (size_t o = 0; o < outer; ++o) {
    auto at = [&](size_t k) -> double { return perColumn ? a[o][k] : a[k][o]; };
    long double sum = 0;
    double mn = DBL_MAX, mx = -DBL_MAX;
    const double first = used.empty() ? 0.0 : at(used.front());
    bool varies = !std::isfinite(first);
    for (size_t k : used) {
      const double x = at(k);
      sum += x;
      // NaN has no place in the order: it becomes the minimum and maximum.
      if (x < mn || std::isnan(x)) mn = x;
      if (x > mx || std::isnan(x)) mx = x;
      varies = varies || !(x == first);
    }
    const auto n = static_cast<long double>(used.size());
    switch (op) {
      case TEdgeOp::eoMin: out[o] = mn; break;
      case TEdgeOp::eoMax: out[o] = mx; break;
      case TEdgeOp::eoSum: out[o] = static_cast<double>(sum); break;
      case TEdgeOp::eoMean: out[o] = used.empty() ? 0.0 : static_cast<double>(sum / n); break;
      case TEdgeOp::eoStdDev: {
        // Mean first, then the deviations from it; constant values have
        // exactly none.
        long double ss = 0;
        if (used.size() >= 3 && varies) {
          const long double mean = sum / n;
          for (size_t k : used) {
            const long double d = at(k) - mean;
            ss += d * d;
          }
        }
        const long double var = used.size() < 3 ? 0.0L : ss / (n - 1);
        out[o] = var < 0 ? 0.0 : static_cast<double>(std::sqrt(var));
        break;
      }
    }
  }
  result = std::move(out);
  return status;
}
template int32_t EdgeVector(const Array2D<double>&, TOrientation, TEdgeOp, const TIntArray&,
                            TDoubleArray&);
template int32_t EdgeVector(const Array2D<int32_t>&, TOrientation, TEdgeOp, const TIntArray&,
                            TDoubleArray&);

template <NumElement T>
int32_t EdgeVector(const Array2D<T>& a, TOrientation orientation, TEdgeOp op,
                   TDoubleArray& result) {
  return EdgeVector(a, orientation, op, TIntArray{}, result);
}
template int32_t EdgeVector(const Array2D<double>&, TOrientation, TEdgeOp, TDoubleArray&);
template int32_t EdgeVector(const Array2D<int32_t>&, TOrientation, TEdgeOp, TDoubleArray&);

// ---------------------------------------------------------------------------
// Mask shapes
// ---------------------------------------------------------------------------

namespace {

// Calls set(c, r) for every cell of c1..c2 x r1..r2 (inclusive, 64-bit
// bounds) that exists in the mask and satisfies inside(c, r).
template <class Inside>
void PaintCells(TBool2DArray& mask, int64_t c1, int64_t r1, int64_t c2, int64_t r2, Inside inside) {
  const int64_t cLo = std::max<int64_t>(c1, 0);
  const int64_t cHi = std::min<int64_t>(c2, static_cast<int64_t>(mask.size()) - 1);
  for (int64_t c = cLo; c <= cHi; ++c) {
    TBoolArray& column = mask[static_cast<size_t>(c)];
    const int64_t rLo = std::max<int64_t>(r1, 0);
    const int64_t rHi = std::min<int64_t>(r2, static_cast<int64_t>(column.size()) - 1);
    for (int64_t r = rLo; r <= rHi; ++r)
      if (inside(c, r)) column[static_cast<size_t>(r)] = 1;
  }
}

}  // namespace

int32_t CreateMaskShape(TBool2DArray& mask, TShapeKind kind, const TIntArray& params) {
  switch (kind) {
    case TShapeKind::skRectangle:
    case TShapeKind::skEllipse: {
      if (params.size() != 4) return -1;
      int64_t c1 = params[0], r1 = params[1], c2 = params[2], r2 = params[3];
      if (c1 > c2) std::swap(c1, c2);
      if (r1 > r2) std::swap(r1, r2);
      if (kind == TShapeKind::skRectangle) {
        PaintCells(mask, c1, r1, c2, r2, [](int64_t, int64_t) { return true; });
        return 0;
      }
      // Integer division for the centre, as the shape has always been drawn.
      const int64_t cx = (c1 + c2) / 2;
      const int64_t cy = (r1 + r2) / 2;
      const double ea = static_cast<double>(c2 - c1) / 2.0;
      const double eb = static_cast<double>(r2 - r1) / 2.0;
      const auto term = [](int64_t d, double semi) {
        if (semi == 0) return d == 0 ? 0.0 : 2.0;  // degenerate axis: the centre line only
        const double q = static_cast<double>(d) / semi;
        return q * q;
      };
      PaintCells(mask, c1, r1, c2, r2,
                 [&](int64_t c, int64_t r) { return term(c - cx, ea) + term(r - cy, eb) <= 1.0; });
      return 0;
    }
    case TShapeKind::skDisc:
    case TShapeKind::skRing: {
      const bool disc = kind == TShapeKind::skDisc;
      if (params.size() != (disc ? 3u : 4u)) return -1;
      const int64_t cx = params[0], cy = params[1];
      int64_t rIn = disc ? 0 : params[2];
      int64_t rOut = disc ? params[2] : params[3];
      if (rIn < 0 || rOut < 0) return -2;
      if (rIn > rOut) std::swap(rIn, rOut);
      const int64_t in2 = disc ? -1 : rIn * rIn;
      const int64_t out2 = rOut * rOut;
      PaintCells(mask, cx - rOut, cy - rOut, cx + rOut, cy + rOut, [&](int64_t c, int64_t r) {
        const int64_t d2 = (c - cx) * (c - cx) + (r - cy) * (r - cy);
        return d2 >= in2 && d2 <= out2;
      });
      return 0;
    }
    default: return -3;
  }
}

// ---------------------------------------------------------------------------
// Resampling
// ---------------------------------------------------------------------------

int32_t Resample2DArray(const TDouble2DArray& src, TDouble2DArray& dst, double colPercent,
                        double rowPercent, bool rowsWithReplacement, TIntArray& colNumbers,
                        TIntArray& rowNumbers) {
  if (CheckShape(src) != 0) return -3;
  if (dst.empty()) return -4;
  if (colNumbers.empty() || rowNumbers.empty()) return -5;
  const size_t cols = src.size();
  const size_t rows = src[0].size();
  // Counts decided in double, before any conversion, so that huge or NaN
  // percentages cannot overflow.
  const double ncD = Round(static_cast<double>(cols) * colPercent / 100.0);
  if (!(colPercent <= 100.0) || !(ncD >= 1.0)) return -1;
  const double nrD = Round(static_cast<double>(rows) * rowPercent / 100.0);
  if (!(rowPercent <= 100.0) || !(nrD >= 1.0)) return -2;
  const auto nc = static_cast<size_t>(ncD);
  const auto nr = static_cast<size_t>(nrD);

  TIntArray cn(nc), rn(nr);
  if (nc == cols) {
    for (size_t i = 0; i < nc; ++i) cn[i] = static_cast<int32_t>(i + 1);
  } else if (FillRandomUniform(cn, 1, static_cast<int32_t>(cols), false) != 0) {
    return -6;
  }
  if (FillRandomUniform(rn, 1, static_cast<int32_t>(rows), rowsWithReplacement) != 0) return -6;

  TDouble2DArray out(nc, TDoubleArray(nr));
  for (size_t i = 0; i < nc; ++i) {
    const TDoubleArray& column = src[static_cast<size_t>(cn[i] - 1)];
    for (size_t j = 0; j < nr; ++j) out[i][j] = column[static_cast<size_t>(rn[j] - 1)];
  }
  dst = std::move(out);
  colNumbers = std::move(cn);
  rowNumbers = std::move(rn);
  return 0;
}

// ---------------------------------------------------------------------------
// Colour maps
// ---------------------------------------------------------------------------

int32_t ConvertToColorMap(TInt2DArray& a, const TColorArray* colors) {
  bool anyCell = false;
  for (const auto& column : a) anyCell = anyCell || !column.empty();
  if (!anyCell) return -1;
  if (colors == nullptr || colors->GetNrOfColors() < 1) return -2;
  const int32_t last = colors->GetNrOfColors();
  for (auto& column : a)
    for (int32_t& v : column) v = colors->GetColorElem(std::clamp(v, 1, last));
  return 0;
}

}  // namespace zel
