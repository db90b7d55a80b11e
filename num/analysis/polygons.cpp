// Polygon geometry, the convex hull and the great-circle distance.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "num/analysis/zel_polygons.hpp"
#include "num/math1/zel_math1.hpp"

namespace zel {

namespace {

using LD = long double;
__extension__ typedef __int128 Int128;

// Edge test of the crossing-product algorithm: 0 on the edge, -1 when a ray
// from q to the right crosses it, +1 otherwise.
int32_t EdgeTest(const TPointDouble& q, TPointDouble b, TPointDouble c) {
  if (q.y == b.y && q.y == c.y) {
    if ((b.x <= q.x && q.x <= c.x) || (c.x <= q.x && q.x <= b.x)) return 0;
    return 1;
  }
  if (b.y > c.y) std::swap(b, c);
  if (q.x == b.x && q.y == b.y) return 0;
  if (q.y <= b.y || q.y > c.y) return 1;
  const LD d = (static_cast<LD>(b.x) - q.x) * (static_cast<LD>(c.y) - q.y) -
               (static_cast<LD>(b.y) - q.y) * (static_cast<LD>(c.x) - q.x);
  if (d > 0) return -1;
  if (d < 0) return 1;
  return 0;
}

}  // namespace

bool PointIsInsidePolygon(double x, double y, std::span<const TPointDouble> Polygon) {
  const size_t n = Polygon.size();
  if (n < 3) return false;
  const TPointDouble q{x, y};
  int32_t t = -EdgeTest(q, Polygon[n - 1], Polygon[0]);
  for (size_t i = 0; i + 1 < n && t != 0; ++i) t *= EdgeTest(q, Polygon[i], Polygon[i + 1]);
  return t == 1;
}

double PolygonArea(std::span<const TPointDouble> Polygon) {
  const size_t n = Polygon.size();
  if (n < 3) return 0.0;
  const LD y0 = Polygon[0].y;
  LD s = 0.0L;
  for (size_t i = 0; i < n; ++i) {
    const TPointDouble& a = Polygon[i];
    const TPointDouble& b = Polygon[(i + 1) % n];
    s += (static_cast<LD>(a.x) - b.x) * ((a.y - y0) + (b.y - y0));
  }
  return static_cast<double>(s / 2.0L);
}

double PolygonArea(std::span<const TPointDouble> Polygon, int32_t& NumIntersect) {
  NumIntersect = 0;
  const size_t n = Polygon.size();
  if (n < 3) return 0.0;
  int64_t count = -static_cast<int64_t>(n);
  for (size_t i = 0; i < n; ++i)
    for (size_t j = i + 1; j < n; ++j)
      if (SegmentsIntersect(Polygon[i], Polygon[(i + 1) % n], Polygon[j], Polygon[(j + 1) % n]))
        ++count;
  NumIntersect = static_cast<int32_t>(std::clamp<int64_t>(count, INT32_MIN, INT32_MAX));
  return PolygonArea(Polygon);
}

double PolygonLength(std::span<const TPointDouble> Polygon, bool Closed) {
  const size_t n = Polygon.size();
  if (n < 2) return 0.0;
  LD s = 0.0L;
  for (size_t i = 0; i + 1 < n; ++i) s += EuclideanDistance(Polygon[i], Polygon[i + 1]);
  if (Closed) s += EuclideanDistance(Polygon[n - 1], Polygon[0]);
  return static_cast<double>(s);
}

void OuterRectOfPolygon(std::span<const TPointDouble> Polygon, double& MinX, double& MinY,
                        double& MaxY, double& MaxX) {
  MinX = MinY = MaxY = MaxX = 0.0;
  if (Polygon.empty()) return;
  MinX = MaxX = Polygon[0].x;
  MinY = MaxY = Polygon[0].y;
  bool nanX = false;
  bool nanY = false;
  for (const auto& p : Polygon) {
    nanX = nanX || std::isnan(p.x);
    nanY = nanY || std::isnan(p.y);
    MinX = std::min(MinX, p.x);
    MaxX = std::max(MaxX, p.x);
    MinY = std::min(MinY, p.y);
    MaxY = std::max(MaxY, p.y);
  }
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  if (nanX) MinX = MaxX = nan;
  if (nanY) MinY = MaxY = nan;
}

namespace {

// a * b == c * d exactly: the double-double forms of both products match.
bool ProductsEqual(double a, double b, double c, double d) {
  const double p = a * b;
  const double q = c * d;
  if (!std::isfinite(p) || !std::isfinite(q))
    return static_cast<LD>(a) * b == static_cast<LD>(c) * d;
  return p == q && std::fma(a, b, -p) == std::fma(c, d, -q);
}

}  // namespace

int32_t ConvertToDiffPolygon(std::span<const TPointDouble> Polygon, TPolygonDouble& DiffPoly,
                             int32_t Mode) {
  TPolygonDouble out;
  if (Polygon.size() >= 2) {
    out.reserve(Polygon.size() - 1);
    TPointDouble prev{};
    bool havePrev = false;
    for (size_t i = 1; i < Polygon.size(); ++i) {
      const TPointDouble d{Polygon[i].x - Polygon[i - 1].x, Polygon[i].y - Polygon[i - 1].y};
      if (Mode > 0 && d.x == 0.0 && d.y == 0.0) continue;
      const bool sameWay = Mode == 2 && havePrev && ProductsEqual(prev.x, d.y, prev.y, d.x) &&
                           static_cast<LD>(prev.x) * d.x + static_cast<LD>(prev.y) * d.y > 0;
      if (sameWay) {
        out.back().x += d.x;
        out.back().y += d.y;
      } else {
        out.push_back(d);
      }
      prev = d;
      havePrev = true;
    }
  }
  DiffPoly.swap(out);
  return static_cast<int32_t>(DiffPoly.size());
}

int32_t ConvertFromDiffPolygon(const TPointDouble& Start, std::span<const TPointDouble> DiffPoly,
                               TPolygonDouble& Polygon) {
  TPolygonDouble out;
  out.reserve(DiffPoly.size() + 1);
  out.push_back(Start);
  for (const auto& d : DiffPoly) out.push_back({out.back().x + d.x, out.back().y + d.y});
  Polygon.swap(out);
  return static_cast<int32_t>(Polygon.size());
}

double DistanceToPolygon(const TPointDouble& Point, std::span<const TPointDouble> Polygon,
                         bool Closed) {
  const size_t n = Polygon.size();
  if (n == 0) return 0.0;
  if (n == 1) return EuclideanDistance(Point, Polygon[0]);
  double best = std::numeric_limits<double>::infinity();
  const size_t edges = Closed ? n : n - 1;
  for (size_t i = 0; i < edges; ++i) {
    const double d = DistanceToSegment(Point, Polygon[i], Polygon[(i + 1) % n]);
    if (std::isnan(d)) return d;
    best = std::min(best, d);
  }
  return best;
}

bool PointIsInsideConvexHull(double x, double y, std::span<const TPointDouble> Hull) {
  const size_t n = Hull.size();
  if (n < 3) return false;
  for (size_t e = 0; e < n; ++e) {
    // The closing edge first.
    const TPointDouble& a = Hull[(e + n - 1) % n];
    const TPointDouble& b = Hull[e];
    const LD c = (static_cast<LD>(b.x) - a.x) * (static_cast<LD>(y) - a.y) -
                 (static_cast<LD>(b.y) - a.y) * (static_cast<LD>(x) - a.x);
    if (!(c > 0)) return false;
  }
  return true;
}

namespace {

template <class P, class Collinear>
int32_t Reduce(std::vector<P>& poly, Collinear collinear) {
  std::vector<P> dedup;
  dedup.reserve(poly.size());
  for (const P& p : poly)
    if (dedup.empty() || !(dedup.back().x == p.x && dedup.back().y == p.y)) dedup.push_back(p);
  std::vector<P> out;
  out.reserve(dedup.size());
  for (size_t i = 0; i < dedup.size(); ++i) {
    if (i > 0 && i + 1 < dedup.size() && collinear(out.back(), dedup[i], dedup[i + 1])) continue;
    out.push_back(dedup[i]);
  }
  poly.swap(out);
  return static_cast<int32_t>(poly.size());
}

}  // namespace

int32_t ReducePolygon(std::vector<TPoint>& Polygon) {
  return Reduce(Polygon, [](const TPoint& a, const TPoint& b, const TPoint& c) {
    const Int128 d1x = static_cast<Int128>(b.x) - a.x;
    const Int128 d1y = static_cast<Int128>(b.y) - a.y;
    const Int128 d2x = static_cast<Int128>(c.x) - b.x;
    const Int128 d2y = static_cast<Int128>(c.y) - b.y;
    return d1x * d2y - d1y * d2x == 0 && d1x * d2x + d1y * d2y > 0;
  });
}

int32_t ReducePolygon(TPolygonDouble& Polygon) {
  return Reduce(Polygon, [](const TPointDouble& a, const TPointDouble& b, const TPointDouble& c) {
    const LD d1x = static_cast<LD>(b.x) - a.x;
    const LD d1y = static_cast<LD>(b.y) - a.y;
    const LD d2x = static_cast<LD>(c.x) - b.x;
    const LD d2y = static_cast<LD>(c.y) - b.y;
    const LD cross = d1x * d2y - d1y * d2x;
    const LD len = std::hypot(d1x, d1y) * std::hypot(d2x, d2y);
    return std::fabs(cross) <= 1e-10L * len && d1x * d2x + d1y * d2y > 0;
  });
}

void Convex2DHull(std::span<const TPointDouble> Points, TPolygonDouble& Hull) {
  if (Points.size() <= 3) {
    Hull.assign(Points.begin(), Points.end());
    return;
  }
  TPolygonDouble pts(Points.begin(), Points.end());
  LD sx = 0.0L;
  LD sy = 0.0L;
  for (const auto& p : pts) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
      Hull.clear();
      return;
    }
    sx += p.x;
    sy += p.y;
  }
  std::sort(pts.begin(), pts.end(), [](const TPointDouble& a, const TPointDouble& b) {
    return a.x < b.x || (a.x == b.x && a.y < b.y);
  });
  pts.erase(std::unique(pts.begin(), pts.end(),
                        [](const TPointDouble& a, const TPointDouble& b) {
                          return a.x == b.x && a.y == b.y;
                        }),
            pts.end());
  TPolygonDouble h;
  if (pts.size() == 1) {
    h = pts;
  } else {
    h.resize(2 * pts.size());
    size_t k = 0;
    for (size_t i = 0; i < pts.size(); ++i) {
      while (k >= 2 && CcwTriangle(h[k - 2], h[k - 1], pts[i]) <= 0) --k;
      h[k++] = pts[i];
    }
    for (size_t i = pts.size() - 1, lower = k + 1; i-- > 0;) {
      while (k >= lower && CcwTriangle(h[k - 2], h[k - 1], pts[i]) <= 0) --k;
      h[k++] = pts[i];
    }
    h.resize(k - 1);
  }
  const LD n = static_cast<LD>(Points.size());
  const LD mx = sx / n;
  const LD my = sy / n;
  constexpr double kTwoPi = 2.0 * 3.14159265358979323846;
  std::vector<std::pair<double, TPointDouble>> keyed;
  keyed.reserve(h.size());
  for (const auto& p : h) {
    double a =
        AngleToXAxis(static_cast<double>(p.x - mx), static_cast<double>(p.y - my)) + kTwoPi / 4.0;
    if (a > kTwoPi) a -= kTwoPi;
    keyed.emplace_back(a, p);
  }
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  Hull.clear();
  for (const auto& kp : keyed) Hull.push_back(kp.second);
}

double SphereGreatCircleDist(double Long1, double Lat1, double Long2, double Lat2, double Radius) {
  constexpr double kPi = 3.1415926535897932385;
  const double d2r = kPi / 180.0;
  const double la1 = Lat1 * d2r;
  const double la2 = Lat2 * d2r;
  double g = std::cos(la1) * std::cos(la2) * std::cos((Long2 - Long1) * d2r) +
             std::sin(la1) * std::sin(la2);
  if (!std::isnan(g)) g = std::clamp(g, -1.0, 1.0);
  return Radius * std::acos(g);
}

}  // namespace zel
