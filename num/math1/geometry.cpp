// Plane geometry on points, segments, rectangles and ellipses.
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "num/math1/zel_math1.hpp"

namespace zel {
namespace {

// D. Eberly's robust ellipse distance solves
//   (r*z0/(s + r))^2 + (z1/(s + 1))^2 = 1,  s > -1,
// by bisection. Here it is solved for u = s + 1 instead: near the major axis
// inside the ellipse the root lies close to s = -1, where s itself cannot
// carry the digits of s + 1 that the foot's y = y/(s + 1) needs. rm1 is
// r - 1 and g = z0^2 + z1^2 - 1 (its sign fixes the bracket).
long double EllipseRootShifted(long double rm1, long double n0, long double z1, long double g) {
  long double u0 = z1;
  long double u1 = g < 0 ? 1 : std::hypot(n0, z1);
  long double u = u0;
  // 1075 halvings reach the smallest double spacing from any double-sized
  // bracket; more cannot improve a double result.
  for (int i = 0; i < 1075; ++i) {
    u = (u0 + u1) / 2;
    if (u == u0 || u == u1) break;
    const long double ratio0 = n0 / (u + rm1);
    const long double ratio1 = z1 / u;
    const long double f = ratio0 * ratio0 + ratio1 * ratio1 - 1;
    if (f > 0) {
      u0 = u;
    } else if (f < 0) {
      u1 = u;
    } else {
      break;
    }
  }
  return u;
}

}  // namespace

double EuclideanDistance(double x1, double y1, double x2, double y2) {
  return std::hypot(x2 - x1, y2 - y1);
}

double EuclideanDistance(const TPointDouble& p1, const TPointDouble& p2) {
  return std::hypot(p2.x - p1.x, p2.y - p1.y);
}

double DistanceToSegment(const TPointDouble& p, const TPointDouble& a, const TPointDouble& b) {
  // In long double the squares of any two double differences neither
  // overflow nor underflow, so the projection works at every scale.
  const long double dx = static_cast<long double>(b.x) - a.x;
  const long double dy = static_cast<long double>(b.y) - a.y;
  const long double px = static_cast<long double>(p.x) - a.x;
  const long double py = static_cast<long double>(p.y) - a.y;
  const long double len2 = dx * dx + dy * dy;
  const long double t = len2 == 0 ? -1 : (px * dx + py * dy) / len2;
  if (t < 0) return static_cast<double>(std::hypot(px, py));
  if (t > 1)
    return static_cast<double>(
        std::hypot(static_cast<long double>(p.x) - b.x, static_cast<long double>(p.y) - b.y));
  // The distance to the line as |cross|/|d|: the foot a + t*d would carry
  // the rounding of t times the segment's length.
  return static_cast<double>(std::fabs(px * dy - py * dx) / std::sqrt(len2));
}

int32_t CcwTriangle(const TPointDouble& p1, const TPointDouble& p2, const TPointDouble& p3) {
  // In 80 bits the coordinate differences are usually exact and the products
  // keep 11 more bits, so fewer nearly collinear triples get a spurious sign.
  const long double cross =
      (static_cast<long double>(p2.x) - p1.x) * (static_cast<long double>(p3.y) - p1.y) -
      (static_cast<long double>(p3.x) - p1.x) * (static_cast<long double>(p2.y) - p1.y);
  return cross > 0 ? 1 : cross < 0 ? -1 : 0;
}

bool SegmentsIntersect(const TPointDouble& p1, const TPointDouble& p2, const TPointDouble& p3,
                       const TPointDouble& p4) {
  if (CcwTriangle(p1, p2, p3) * CcwTriangle(p1, p2, p4) > 0) return false;
  return CcwTriangle(p3, p4, p1) * CcwTriangle(p3, p4, p2) <= 0;
}

int32_t DistFromRect(const TPoint& p, const TRect& r) {
  // 64-bit throughout: differences of int32 coordinates need 33 bits.
  const int64_t left = std::min(r.Left, r.Right);
  const int64_t right = std::max(r.Left, r.Right);
  const int64_t top = std::min(r.Top, r.Bottom);
  const int64_t bottom = std::max(r.Top, r.Bottom);
  const int64_t x = p.x;
  const int64_t y = p.y;
  int64_t d;
  if (x >= left && x <= right && y >= top && y <= bottom) {
    d = 0;
  } else if (x > left && x < right) {
    d = std::min(std::abs(y - top), std::abs(y - bottom));
  } else if (y > top && y < bottom) {
    d = std::min(std::abs(x - left), std::abs(x - right));
  } else {
    const double dx = static_cast<double>(std::min(std::abs(x - left), std::abs(x - right)));
    const double dy = static_cast<double>(std::min(std::abs(y - top), std::abs(y - bottom)));
    d = RoundToInt64(std::hypot(dx, dy));
  }
  return static_cast<int32_t>(std::min<int64_t>(d, std::numeric_limits<int32_t>::max()));
}

double DistFromEllipse(const TPointDouble& p, double centreX, double centreY, double semiAxisX,
                       double semiAxisY, TPointDouble& foot) {
  long double a = std::fabs(static_cast<long double>(semiAxisX));
  long double b = std::fabs(static_cast<long double>(semiAxisY));
  long double x = static_cast<long double>(p.x) - centreX;
  long double y = static_cast<long double>(p.y) - centreY;
  const bool negX = x < 0;
  const bool negY = y < 0;
  x = std::fabs(x);
  y = std::fabs(y);
  const bool swapped = a < b;
  if (swapped) {
    std::swap(a, b);
    std::swap(x, y);
  }
  long double fx;
  long double fy;
  if (b == 0) {
    // The ellipse has collapsed to the segment -a..a on the x axis.
    fx = std::min(x, a);
    fy = 0;
  } else if (y <= 0) {
    const long double a2b2 = a * a - b * b;
    if (a * x >= a2b2) {
      fx = a;
      fy = 0;
    } else {
      const long double l = a * x / a2b2;
      fx = a * l;
      fy = b * std::sqrt(1 - l * l);
    }
  } else if (x <= 0) {
    fx = 0;
    fy = b;
  } else {
    const long double z0 = x / a;
    const long double z1 = y / b;
    const long double g = z0 * z0 + z1 * z1 - 1;
    if (g == 0) {
      fx = x;
      fy = y;
    } else {
      const long double ab = a / b;
      const long double r = ab * ab;
      const long double rm1 = (a - b) * (a + b) / (b * b);  // r - 1 without cancellation
      const long double u = EllipseRootShifted(rm1, r * z0, z1, g);
      fx = r * x / (u + rm1);
      fy = y / u;
    }
  }
  const long double dist = std::hypot(fx - x, fy - y);
  if (swapped) std::swap(fx, fy);
  if (negX) fx = -fx;
  if (negY) fy = -fy;
  foot.x = static_cast<double>(fx + centreX);
  foot.y = static_cast<double>(fy + centreY);
  return static_cast<double>(dist);
}

bool WithinBounds(double x, double bound1, double bound2) {
  return x >= std::min(bound1, bound2) && x <= std::max(bound1, bound2);
}

bool WithinBounds(double x, double bound1, double bound2, double tolerance) {
  return x >= std::min(bound1, bound2) - tolerance && x <= std::max(bound1, bound2) + tolerance;
}

namespace {
template <class T>
T Confine(T x, T bound1, T bound2) {
  const T lo = std::min(bound1, bound2);
  const T hi = std::max(bound1, bound2);
  if (x < lo) return lo;
  if (x > hi) return hi;
  return x;
}
}  // namespace

double ConfineValue(double x, double bound1, double bound2) { return Confine(x, bound1, bound2); }
float ConfineValue(float x, float bound1, float bound2) { return Confine(x, bound1, bound2); }
int32_t ConfineValue(int32_t x, int32_t bound1, int32_t bound2) {
  return Confine(x, bound1, bound2);
}

bool WithinRect(const TPointDouble& p, const TRectDouble& r) {
  return WithinBounds(p.x, r.Left, r.Right) && WithinBounds(p.y, r.Top, r.Bottom);
}

bool ConfinePointToRect(TPointDouble& p, const TRectDouble& r) {
  bool moved = false;
  auto confine = [&moved](double& v, double bound1, double bound2) {
    const double lo = std::min(bound1, bound2);
    const double hi = std::max(bound1, bound2);
    if (v < lo) {
      v = lo;
      moved = true;
    } else if (v > hi) {
      v = hi;
      moved = true;
    }
  };
  confine(p.x, r.Left, r.Right);
  confine(p.y, r.Top, r.Bottom);
  return moved;
}

}  // namespace zel
