#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "num/math1/zel_math1.hpp"

namespace zel {
namespace {

constexpr double kPi = 3.14159265358979323846;

TEST(Math1Distances, EuclideanAndToSegment) {
  EXPECT_EQ(EuclideanDistance(0, 0, 3, 4), 5.0);
  EXPECT_EQ(EuclideanDistance(TPointDouble{1, 1}, TPointDouble{4, 5}), 5.0);
  EXPECT_DOUBLE_EQ(EuclideanDistance(0, 0, 3e200, 4e200), 5e200);  // no overflow

  const TPointDouble a{0, 0}, b{10, 0};
  EXPECT_EQ(DistanceToSegment({5, 3}, a, b), 3.0);    // foot inside
  EXPECT_EQ(DistanceToSegment({-3, 4}, a, b), 5.0);   // beyond a
  EXPECT_EQ(DistanceToSegment({13, -4}, a, b), 5.0);  // beyond b
  EXPECT_EQ(DistanceToSegment({3, 4}, a, a), 5.0);    // degenerate segment
}

// The squared length overflowed (NaN) or underflowed (a segment taken for
// its first end) in double.
TEST(Math1Geometry, DistanceToSegmentHoldsAtEveryScale) {
  EXPECT_EQ(DistanceToSegment({5e199, 1}, {0, 0}, {1e200, 0}), 1.0);
  EXPECT_EQ(DistanceToSegment({5e-201, 1e-201}, {0, 0}, {1e-200, 0}), 1e-201);
  EXPECT_EQ(DistanceToSegment({0, -1e300}, {-1.5e308, 0}, {1.5e308, 0}), 1e300);
  // Scaling by a power of two is exact in every step, so the result scales
  // exactly; 2^+-900 pushes the squares far beyond the double range.
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(-1, 1);
  for (int trial = 0; trial < 200; ++trial) {
    const TPointDouble p{u(rng), u(rng)}, a{u(rng), u(rng)}, b{u(rng), u(rng)};
    const double d = DistanceToSegment(p, a, b);
    ASSERT_TRUE(std::isfinite(d));
    for (const int e : {-900, -300, 300, 900}) {
      const auto s = [e](const TPointDouble& q) {
        return TPointDouble{std::ldexp(q.x, e), std::ldexp(q.y, e)};
      };
      EXPECT_EQ(DistanceToSegment(s(p), s(a), s(b)), std::ldexp(d, e)) << trial << " " << e;
    }
  }
  EXPECT_TRUE(std::isnan(DistanceToSegment({std::nan(""), 0}, {0, 0}, {1, 0})));
}

TEST(Math1Orientation, CcwTriangleSigns) {
  EXPECT_EQ(CcwTriangle({0, 0}, {1, 0}, {0, 1}), 1);
  EXPECT_EQ(CcwTriangle({0, 0}, {0, 1}, {1, 0}), -1);
  EXPECT_EQ(CcwTriangle({0, 0}, {1, 1}, {3, 3}), 0);
}

TEST(Math1Orientation, SegmentsIntersectCountsTouchingAndCollinear) {
  EXPECT_TRUE(SegmentsIntersect({0, 0}, {2, 2}, {0, 2}, {2, 0}));   // crossing
  EXPECT_FALSE(SegmentsIntersect({0, 0}, {2, 0}, {0, 1}, {2, 1}));  // parallel
  EXPECT_FALSE(SegmentsIntersect({0, 0}, {1, 1}, {3, 0}, {2, 1}));  // apart
  EXPECT_TRUE(SegmentsIntersect({0, 0}, {2, 0}, {2, 0}, {3, 5}));   // shared end
  EXPECT_TRUE(SegmentsIntersect({0, 0}, {2, 0}, {1, 0}, {1, 5}));   // T
  // Documented: collinear segments count as intersecting even when apart.
  EXPECT_TRUE(SegmentsIntersect({0, 0}, {1, 0}, {5, 0}, {6, 0}));
}

TEST(Math1DistFromRect, BandsCornersAndBorder) {
  const TRect r{10, 20, 30, 40};
  EXPECT_EQ(DistFromRect({15, 25}, r), 0);
  EXPECT_EQ(DistFromRect({10, 30}, r), 0);  // on the left edge
  EXPECT_EQ(DistFromRect({30, 40}, r), 0);  // corner
  EXPECT_EQ(DistFromRect({15, 5}, r), 15);  // above, in the vertical band
  EXPECT_EQ(DistFromRect({15, 47}, r), 7);
  EXPECT_EQ(DistFromRect({2, 30}, r), 8);   // left, in the horizontal band
  EXPECT_EQ(DistFromRect({33, 44}, r), 5);  // 3-4-5 from the corner
  EXPECT_EQ(DistFromRect({9, 19}, r), 1);   // sqrt 2 rounds to 1
  EXPECT_EQ(DistFromRect({8, 21}, TRect{10, 20, 30, 40}), 2);
  EXPECT_EQ(DistFromRect({15, 5}, TRect{30, 40, 10, 20}), 15);  // reversed bounds
  EXPECT_EQ(DistFromRect({INT32_MIN, INT32_MIN}, TRect{INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX}),
            INT32_MAX);
  EXPECT_EQ(DistFromRect({0, INT32_MIN}, TRect{-5, INT32_MAX, 5, INT32_MAX}), INT32_MAX);
}

TEST(Math1DistFromEllipse, DocumentedSpecialPoints) {
  TPointDouble foot;
  EXPECT_EQ(DistFromEllipse({2, 3}, 2, 3, 5, 3, foot), 3.0);  // centre: smaller axis
  EXPECT_EQ(foot.x, 2.0);
  EXPECT_EQ(foot.y, 6.0);
  EXPECT_EQ(DistFromEllipse({0, 0}, 0, 0, 3, 5, foot), 3.0);
  EXPECT_EQ(std::fabs(foot.x), 3.0);
  EXPECT_EQ(foot.y, 0.0);
  EXPECT_EQ(DistFromEllipse({5, 0}, 0, 0, 5, 3, foot), 0.0);  // on the ellipse
  EXPECT_EQ(foot.x, 5.0);
  EXPECT_EQ(foot.y, 0.0);
  EXPECT_EQ(DistFromEllipse({0, -3}, 0, 0, 5, 3, foot), 0.0);
  EXPECT_EQ(foot.y, -3.0);
  EXPECT_LT(DistFromEllipse({3, 2.4}, 0, 0, 5, 3, foot), 1e-14);
  EXPECT_NEAR(foot.x, 3.0, 1e-14);
  EXPECT_NEAR(foot.y, 2.4, 1e-14);
  EXPECT_EQ(DistFromEllipse({9, 0}, 0, 0, 5, 3, foot), 4.0);
  EXPECT_EQ(DistFromEllipse({0, 7}, 0, 0, 5, 3, foot), 4.0);
}

TEST(Math1DistFromEllipse, CircleAndDegenerateAxes) {
  TPointDouble foot;
  EXPECT_DOUBLE_EQ(DistFromEllipse({3, 4}, 0, 0, 2, 2, foot), 3.0);
  EXPECT_NEAR(foot.x, 1.2, 1e-15);
  EXPECT_NEAR(foot.y, 1.6, 1e-15);
  EXPECT_DOUBLE_EQ(DistFromEllipse({0.3, -0.4}, 0, 0, 2, 2, foot), 1.5);
  EXPECT_NEAR(foot.x, 1.2, 1e-15);
  EXPECT_NEAR(foot.y, -1.6, 1e-15);
  // A zero semi-axis leaves a segment, both zero a point.
  EXPECT_EQ(DistFromEllipse({2, 3}, 0, 0, 5, 0, foot), 3.0);
  EXPECT_EQ(foot.x, 2.0);
  EXPECT_EQ(foot.y, 0.0);
  EXPECT_EQ(DistFromEllipse({-7, 0}, 0, 0, 5, 0, foot), 2.0);
  EXPECT_EQ(foot.x, -5.0);
  EXPECT_EQ(DistFromEllipse({0, 9}, 0, 0, 0, 5, foot), 4.0);
  EXPECT_EQ(DistFromEllipse({3, 4}, 0, 0, 0, 0, foot), 5.0);
  // Negative semi-axes are taken by magnitude.
  EXPECT_EQ(DistFromEllipse({9, 0}, 0, 0, -5, -3, foot), 4.0);
}

struct EllipseCase {
  double a, b;
};

// Against a dense sampling of the ellipse: the true minimum can never exceed
// a sampled distance, and the nearest sample is at most one sample spacing
// (arc <= max(a, b)*dt) from the foot. The foot must also satisfy the
// ellipse equation and the normal condition (p - foot parallel to the
// gradient (x/a^2, y/b^2)).
TEST(Math1DistFromEllipse, FootIsOnTheEllipseAndMinimal) {
  std::mt19937_64 rng(3);
  const EllipseCase cases[] = {{5, 3}, {3, 5}, {1, 0.01}, {0.02, 7}, {4, 3.999}, {1e6, 1}};
  constexpr int kSamples = 20000;
  std::vector<double> cosT(kSamples), sinT(kSamples);
  for (int k = 0; k < kSamples; ++k) {
    cosT[k] = std::cos(2 * kPi * k / kSamples);
    sinT[k] = std::sin(2 * kPi * k / kSamples);
  }
  for (const auto& c : cases) {
    const double scale = std::max(c.a, c.b);
    std::uniform_real_distribution<double> coord(-2.5 * scale, 2.5 * scale);
    for (int i = 0; i < 60; ++i) {
      const TPointDouble p{coord(rng), coord(rng) * (i % 3 == 0 ? 0.01 : 1)};
      TPointDouble foot;
      const double d = DistFromEllipse(p, 0, 0, c.a, c.b, foot);
      SCOPED_TRACE(testing::Message()
                   << "a=" << c.a << " b=" << c.b << " p=(" << p.x << ", " << p.y << ")");

      const double onEllipse = (foot.x / c.a) * (foot.x / c.a) + (foot.y / c.b) * (foot.y / c.b);
      EXPECT_NEAR(onEllipse, 1.0, 2e-15);  // a few ulps
      EXPECT_NEAR(d, std::hypot(p.x - foot.x, p.y - foot.y), 1e-12 * scale);
      if (d > 1e-6 * scale) {
        const double gx = foot.x / (c.a * c.a), gy = foot.y / (c.b * c.b);
        const double cross = (p.x - foot.x) * gy - (p.y - foot.y) * gx;
        EXPECT_LE(std::fabs(cross), 1e-9 * d * std::hypot(gx, gy));
      }
      double sampled = std::numeric_limits<double>::infinity();
      for (int k = 0; k < kSamples; ++k)
        sampled = std::min(sampled, std::hypot(p.x - c.a * cosT[k], p.y - c.b * sinT[k]));
      EXPECT_LE(d, sampled + 1e-12 * scale);
      EXPECT_LE(sampled, d + scale * 2 * kPi / kSamples);
    }
  }
}

TEST(Math1DistFromEllipse, SymmetricUnderMirroringAndAxisExchange) {
  std::mt19937_64 rng(9);
  std::uniform_real_distribution<double> coord(-8, 8);
  for (int i = 0; i < 200; ++i) {
    const double x = coord(rng), y = coord(rng);
    TPointDouble f0, f1, f2, f3, fs;
    const double d0 = DistFromEllipse({x, y}, 0, 0, 5, 2, f0);
    EXPECT_EQ(DistFromEllipse({-x, y}, 0, 0, 5, 2, f1), d0);
    EXPECT_EQ(DistFromEllipse({x, -y}, 0, 0, 5, 2, f2), d0);
    EXPECT_EQ(DistFromEllipse({-x, -y}, 0, 0, 5, 2, f3), d0);
    EXPECT_EQ(f1.x, -f0.x);
    EXPECT_EQ(f1.y, f0.y);
    EXPECT_EQ(f2.x, f0.x);
    EXPECT_EQ(f2.y, -f0.y);
    EXPECT_EQ(f3.x, -f0.x);
    EXPECT_EQ(f3.y, -f0.y);
    // a < b is the same problem with x and y exchanged.
    EXPECT_EQ(DistFromEllipse({y, x}, 0, 0, 2, 5, fs), d0);
    EXPECT_EQ(fs.x, f0.y);
    EXPECT_EQ(fs.y, f0.x);
    // Moving point and centre together changes nothing but rounding.
    TPointDouble fc;
    EXPECT_NEAR(DistFromEllipse({x + 100, y - 50}, 100, -50, 5, 2, fc), d0, 1e-12);
    EXPECT_NEAR(fc.x - 100, f0.x, 1e-12);
    EXPECT_NEAR(fc.y + 50, f0.y, 1e-12);
  }
}

TEST(Math1Bounds, WithinAndConfineTakeBoundsInEitherOrder) {
  EXPECT_TRUE(WithinBounds(2, 3, 1));
  EXPECT_TRUE(WithinBounds(3, 3, 1));
  EXPECT_FALSE(WithinBounds(3.5, 3, 1));
  EXPECT_TRUE(WithinBounds(3.5, 3, 1, 0.5));
  EXPECT_FALSE(WithinBounds(0.4, 3, 1, 0.5));
  EXPECT_FALSE(WithinBounds(std::nan(""), -1e300, 1e300));
  EXPECT_EQ(ConfineValue(5.0, 3.0, 1.0), 3.0);
  EXPECT_EQ(ConfineValue(-5.0f, 3.0f, 1.0f), 1.0f);
  EXPECT_EQ(ConfineValue(2, 3, 1), 2);
  EXPECT_EQ(ConfineValue(INT32_MIN, 3, 1), 1);
}

TEST(Math1Bounds, RectangleTestsAndConfinement) {
  const TRectDouble r{4, 5, 1, 2};  // x in 1..4, y in 2..5
  EXPECT_TRUE(WithinRect({1, 5}, r));
  EXPECT_FALSE(WithinRect({0.99, 3}, r));
  EXPECT_FALSE(WithinRect({2, 5.01}, r));
  TPointDouble p{3, 3};
  EXPECT_FALSE(ConfinePointToRect(p, r));
  EXPECT_EQ(p.x, 3.0);
  p = {7, -1};
  EXPECT_TRUE(ConfinePointToRect(p, r));
  EXPECT_EQ(p.x, 4.0);
  EXPECT_EQ(p.y, 2.0);
  p = {2, 9};
  EXPECT_TRUE(ConfinePointToRect(p, r));
  EXPECT_EQ(p.x, 2.0);
  EXPECT_EQ(p.y, 5.0);
}

}  // namespace
}  // namespace zel
