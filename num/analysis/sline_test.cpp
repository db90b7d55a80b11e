#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <string>

#include "num/analysis/zel_sline.hpp"

namespace zel {
namespace {

constexpr double kPi = std::numbers::pi;

std::string MessageOf(auto&& call) {
  try {
    call();
  } catch (const EZELSLineError& e) {
    return e.what();
  }
  return "no exception";
}

TEST(SLineParameters, RefusesBothZeroAndKeepsTheOldValue) {
  TSLine l(nullptr);
  EXPECT_EQ(l.GetParA(), 0.0);
  EXPECT_EQ(l.GetParB(), 1.0);
  EXPECT_EQ(l.GetParC(), 0.0);
  l.SetParA(3.0);
  l.SetParB(0.0);  // allowed: A is not 0
  EXPECT_EQ(MessageOf([&] { l.SetParA(0.0); }),
            "Component \"TSLine\": parameter A and B must not both be zero");
  EXPECT_EQ(l.GetParA(), 3.0);
  l.SetName("edge");
  EXPECT_EQ(MessageOf([&] { l.SetParA(0.0); }),
            "Component \"edge\": parameter A and B must not both be zero");
  l.SetParB(2.0);
  l.SetParA(0.0);
  EXPECT_EQ(MessageOf([&] { l.SetParB(0.0); }),
            "Component \"edge\": parameter A and B must not both be zero");
  EXPECT_EQ(l.GetParB(), 2.0);
}

TEST(SLineConstruction, TwoPointsSlopeAndPointAngle) {
  TSLine l(nullptr);
  ASSERT_TRUE(l.LineFrom2Points(0, 0, 1, 1));
  EXPECT_EQ(l.GetParA(), -1.0);
  EXPECT_EQ(l.GetParB(), 1.0);
  EXPECT_EQ(l.GetParC(), 0.0);
  EXPECT_EQ(l.GetSlope(), 1.0);
  EXPECT_EQ(l.CalcY(2.0), 2.0);
  EXPECT_FALSE(l.LineFrom2Points(3, 4, 3, 4));
  EXPECT_EQ(l.GetParA(), -1.0);  // unchanged

  ASSERT_TRUE(l.LineFrom2Points(1, 5, 3, 9));  // y = 2x + 3
  double k = 0, d = 0;
  l.CalcKDForm(k, d);
  EXPECT_DOUBLE_EQ(k, 2.0);
  EXPECT_DOUBLE_EQ(d, 3.0);
  EXPECT_DOUBLE_EQ(l.GetIntercept(), 3.0);
  EXPECT_DOUBLE_EQ(l.CalcX(9.0), 3.0);

  l.LineFromSlopeIcpt(-0.5, 4.0);
  EXPECT_DOUBLE_EQ(l.CalcY(2.0), 3.0);
  EXPECT_DOUBLE_EQ(l.GetSlope(), -0.5);

  l.LineThroughPoint(2.0, 1.0, kPi / 4);
  EXPECT_NEAR(l.GetSlope(), 1.0, 1e-15);
  EXPECT_NEAR(l.CalcY(5.0), 4.0, 1e-14);
  EXPECT_NEAR(l.Distance(2.0, 1.0), 0.0, 1e-15);
}

TEST(SLineConstruction, NormalAndParallelIncludingSelfAndNull) {
  TSLine base(nullptr), l(nullptr);
  base.LineFromSlopeIcpt(2.0, 1.0);
  l.NormalLine(1.0, 1.0, &base);
  EXPECT_DOUBLE_EQ(l.GetSlope(), -0.5);
  EXPECT_DOUBLE_EQ(l.CalcY(1.0), 1.0);
  l.ParallelLine(0.0, 5.0, &base);
  EXPECT_DOUBLE_EQ(l.GetSlope(), 2.0);
  EXPECT_DOUBLE_EQ(l.GetIntercept(), 5.0);
  // The line itself as the other line: its own parameters are read first.
  base.NormalLine(0.0, 0.0, &base);
  EXPECT_DOUBLE_EQ(base.GetSlope(), -0.5);
  EXPECT_DOUBLE_EQ(base.GetIntercept(), 0.0);
  EXPECT_EQ(MessageOf([&] { l.NormalLine(0, 0, nullptr); }),
            "Component \"TSLine\": no other line given");
  EXPECT_EQ(MessageOf([&] { l.ParallelLine(0, 0, nullptr); }),
            "Component \"TSLine\": no other line given");
  EXPECT_DOUBLE_EQ(l.GetIntercept(), 5.0);
}

TEST(SLineVertical, ThrowsUnlessInfinityIsSubstituted) {
  TSLine l(nullptr);
  ASSERT_TRUE(l.LineFrom2Points(2, 0, 2, 5));  // x = 2: A = -5, B = 0, C = 10
  EXPECT_EQ(MessageOf([&] { l.CalcY(1.0); }), "Component \"TSLine\": cannot calculate y");
  EXPECT_EQ(MessageOf([&] { l.GetSlope(); }), "Component \"TSLine\": slope is infinite");
  EXPECT_EQ(MessageOf([&] { l.GetIntercept(); }),
            "Component \"TSLine\": cannot calculate intercept (line is parallel to y axis)");
  double k = 7, d = 8;
  EXPECT_EQ(MessageOf([&] { l.CalcKDForm(k, d); }),
            "Component \"TSLine\": cannot convert to k-d-form if ParB is zero");
  EXPECT_EQ(k, 7.0);
  EXPECT_DOUBLE_EQ(l.CalcX(123.0), 2.0);
  l.SetSubstituteInf(true);
  EXPECT_DOUBLE_EQ(l.CalcY(1.0), (5.0 * 1.0 - 10.0) / 1e-100);

  TSLine h(nullptr);  // the x axis: A = 0
  EXPECT_EQ(MessageOf([&] { h.CalcX(1.0); }), "Component \"TSLine\": cannot calculate x");
  h.SetSubstituteInf(true);
  EXPECT_DOUBLE_EQ(h.CalcX(1.0), -1.0 / 1e-100);
}

TEST(SLineDerived, DirectionIsAtan2OfTheLineVectorInZeroTwoPi) {
  TSLine l(nullptr), back(nullptr);
  for (double ang = 0.0; ang < 2 * kPi; ang += kPi / 12) {
    l.LineThroughPoint(1.0, -2.0, ang);
    const double ref = std::fmod(std::atan2(-l.GetParA(), l.GetParB()) + 2 * kPi, 2 * kPi);
    EXPECT_NEAR(l.GetDirect(), ref, 1e-14) << ang;
    EXPECT_NEAR(l.GetDirect(), ang, 1e-13) << ang;
  }
  // Exactly vertical in both orientations, and exactly horizontal leftwards.
  l.SetParA(1.0);
  l.SetParB(0.0);
  EXPECT_DOUBLE_EQ(l.GetDirect(), 1.5 * kPi);
  l.SetParA(-1.0);
  EXPECT_DOUBLE_EQ(l.GetDirect(), 0.5 * kPi);
  l.SetParB(-1.0);
  l.SetParA(0.0);
  EXPECT_DOUBLE_EQ(l.GetDirect(), kPi);
}

TEST(SLineDerived, DistanceIsSignedAndScaleSafe) {
  TSLine l(nullptr);
  l.LineFromSlopeIcpt(0.0, 0.0);  // A = 0, B = -1: y = 0, normal points down
  EXPECT_DOUBLE_EQ(l.Distance(5.0, 3.0), -3.0);
  EXPECT_DOUBLE_EQ(l.Distance(5.0, -3.0), 3.0);
  l.SetParA(3e200);
  l.SetParB(4e200);
  l.SetParC(-5e200);  // 3x + 4y = 5, distance of the origin 1
  EXPECT_DOUBLE_EQ(l.Distance(0.0, 0.0), -1.0);
  l.SetParA(3e-200);
  l.SetParB(4e-200);
  l.SetParC(-5e-200);
  EXPECT_DOUBLE_EQ(l.Distance(0.0, 0.0), -1.0);
}

TEST(SLineTwoLines, IntersectionAndAngle) {
  TSLine a(nullptr), b(nullptr);
  a.LineFromSlopeIcpt(1.0, 0.0);
  b.LineFromSlopeIcpt(-1.0, 2.0);
  double x = -9, y = -9;
  ASSERT_TRUE(a.InterSection(&b, x, y));
  EXPECT_DOUBLE_EQ(x, 1.0);
  EXPECT_DOUBLE_EQ(y, 1.0);
  EXPECT_DOUBLE_EQ(a.AngleBetweenLines(&b), kPi / 2);

  b.LineFrom2Points(2, 0, 2, 7);  // vertical
  ASSERT_TRUE(a.InterSection(&b, x, y));
  EXPECT_DOUBLE_EQ(x, 2.0);
  EXPECT_DOUBLE_EQ(y, 2.0);
  EXPECT_NEAR(a.AngleBetweenLines(&b), kPi / 4, 1e-15);

  b.LineFromSlopeIcpt(1.0, 5.0);  // parallel
  x = y = -9;
  EXPECT_FALSE(a.InterSection(&b, x, y));
  EXPECT_EQ(x, -9.0);
  EXPECT_EQ(a.AngleBetweenLines(&b), 0.0);
  EXPECT_FALSE(a.InterSection(nullptr, x, y));
  EXPECT_EQ(a.AngleBetweenLines(nullptr), 0.0);
}

struct Seg {
  bool hit;
  double x1, y1, x2, y2;
};

Seg Clip(TSLine& l, double bllx, double blly, double burx, double bury) {
  Seg s{};
  s.hit = l.ClipBox(bllx, blly, burx, bury, s.x1, s.y1, s.x2, s.y2);
  return s;
}

TEST(SLineTwoLines, LinesThroughPointsAtTheEdgesOfTheRangeStillCross) {
  // Diagonals of the square (0, 0)..(2s, 2s) cross at (s, s), and (0, 2s)
  // lies sqrt(2) s from the first one, whatever the scale.
  for (const double s : {1.0, 1e154, 1e-160, 1e300}) {
    TSLine a(nullptr), b(nullptr);
    ASSERT_TRUE(a.LineFrom2Points(0, 0, 2 * s, 2 * s));
    ASSERT_TRUE(b.LineFrom2Points(0, 2 * s, 2 * s, 0));
    double x = 0, y = 0;
    ASSERT_TRUE(a.InterSection(&b, x, y)) << s;
    EXPECT_NEAR(x / s, 1.0, 1e-15) << s;
    EXPECT_NEAR(y / s, 1.0, 1e-15) << s;
    EXPECT_NEAR(a.Distance(0, 2 * s) / s, std::sqrt(2.0), 1e-15) << s;
    EXPECT_NEAR(a.AngleBetweenLines(&b), std::numbers::pi / 2, 1e-15) << s;
  }
  // A line off the origin: C = x1 y2 - x2 y1 would be 4e308; the parameters
  // are scaled together and still describe the line y = 1e154 + x.
  TSLine c(nullptr);
  ASSERT_TRUE(c.LineFrom2Points(1e154, 2e154, 2e154, 3e154));
  EXPECT_TRUE(std::isfinite(c.GetParC()));
  EXPECT_NEAR(c.Distance(0, 1e154) / 1e154, 0.0, 1e-15);
  EXPECT_NEAR(c.Distance(1e154, 0) / 1e154, -std::sqrt(2.0), 1e-15);
  // In the normal range the parameters are exactly those of the two points.
  ASSERT_TRUE(c.LineFrom2Points(1, 2, 4, 8));
  EXPECT_EQ(c.GetParA(), -6.0);
  EXPECT_EQ(c.GetParB(), 3.0);
  EXPECT_EQ(c.GetParC(), 0.0);
}

TEST(SLineClipBox, DiagonalCornersAndTheExitPointAfterACorner) {
  TSLine l(nullptr);
  l.LineFrom2Points(0, 0, 1, 1);
  Seg s = Clip(l, 0, 0, 1, 1);
  ASSERT_TRUE(s.hit);
  EXPECT_EQ(s.x1, 0.0);
  EXPECT_EQ(s.y1, 0.0);
  EXPECT_EQ(s.x2, 1.0);
  EXPECT_EQ(s.y2, 1.0);
  // Through the lower-left corner and out through the top: the corner is
  // found twice, the exit point must still be reported.
  l.LineFromSlopeIcpt(2.0, 0.0);
  s = Clip(l, 0, 0, 1, 1);
  ASSERT_TRUE(s.hit);
  EXPECT_EQ(s.x1, 0.0);
  EXPECT_EQ(s.y1, 0.0);
  EXPECT_DOUBLE_EQ(s.x2, 0.5);
  EXPECT_DOUBLE_EQ(s.y2, 1.0);
  // Touching only one corner: one point, the second output 0.
  l.LineFrom2Points(0, 2, 2, 0);  // x + y = 2
  s = Clip(l, -3, -3, 1, 1);
  ASSERT_TRUE(s.hit);
  EXPECT_DOUBLE_EQ(s.x1, 1.0);
  EXPECT_DOUBLE_EQ(s.y1, 1.0);
  EXPECT_EQ(s.x2, 0.0);
  EXPECT_EQ(s.y2, 0.0);
  // Missing the box: false, all outputs 0.
  l.LineFromSlopeIcpt(1.0, 5.0);
  s = Clip(l, 0, 0, 1, 1);
  EXPECT_FALSE(s.hit);
  EXPECT_EQ(s.x1 + s.y1 + s.x2 + s.y2, 0.0);
}

TEST(SLineClipBox, LinesOnEdgesAndVerticalLinesRestoreSubstituteInf) {
  TSLine l(nullptr);
  l.LineFrom2Points(0, -5, 0, 5);  // x = 0, the left edge
  Seg s = Clip(l, 0, 0, 1, 1);
  ASSERT_TRUE(s.hit);
  EXPECT_EQ(s.x1, 0.0);
  EXPECT_EQ(s.x2, 0.0);
  EXPECT_EQ(std::min(s.y1, s.y2), 0.0);
  EXPECT_EQ(std::max(s.y1, s.y2), 1.0);
  EXPECT_FALSE(l.GetSubstituteInf());
  // y = 0 on the bottom edge of a box spanning x = -1..1: the candidate from
  // the bottom edge lands at x = 0 and must not shorten the segment.
  l.LineFrom2Points(-5, 0, 5, 0);
  l.SetSubstituteInf(true);
  s = Clip(l, -1, 0, 1, 1);
  ASSERT_TRUE(s.hit);
  EXPECT_EQ(std::min(s.x1, s.x2), -1.0);
  EXPECT_EQ(std::max(s.x1, s.x2), 1.0);
  EXPECT_EQ(s.y1, 0.0);
  EXPECT_EQ(s.y2, 0.0);
  EXPECT_TRUE(l.GetSubstituteInf());
  // A vertical line through the middle of a box.
  l.LineFrom2Points(0.25, 0, 0.25, 1);
  s = Clip(l, 0, -2, 1, 2);
  ASSERT_TRUE(s.hit);
  EXPECT_DOUBLE_EQ(s.x1, 0.25);
  EXPECT_DOUBLE_EQ(s.y1, -2.0);
  EXPECT_DOUBLE_EQ(s.x2, 0.25);
  EXPECT_DOUBLE_EQ(s.y2, 2.0);
}

// Liang-Barsky clipping of the segment between two far points of the line,
// an independent computation of the part inside the box.
bool LiangBarsky(double px, double py, double dx, double dy, double xmin, double ymin, double xmax,
                 double ymax, std::array<double, 4>& out) {
  double t0 = -1e6, t1 = 1e6;
  const std::array<double, 4> p = {-dx, dx, -dy, dy};
  const std::array<double, 4> q = {px - xmin, xmax - px, py - ymin, ymax - py};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, r);
    else
      t1 = std::min(t1, r);
  }
  if (t0 > t1) return false;
  out = {px + t0 * dx, py + t0 * dy, px + t1 * dx, py + t1 * dy};
  return true;
}

TEST(SLineClipBox, AgreesWithLiangBarskyOnRandomLines) {
  std::mt19937_64 gen(20261208);
  std::uniform_real_distribution<double> u(-3.0, 3.0);
  TSLine l(nullptr);
  int hits = 0;
  for (int i = 0; i < 2000; ++i) {
    const double px = u(gen), py = u(gen), ang = u(gen);
    l.LineThroughPoint(px, py, ang);
    std::array<double, 4> ref{};
    const bool refHit = LiangBarsky(px, py, std::cos(ang), std::sin(ang), -1, -0.5, 2, 1.5, ref);
    Seg s = Clip(l, -1, -0.5, 2, 1.5);
    ASSERT_EQ(s.hit, refHit) << i;
    if (!refHit) continue;
    ++hits;
    // The same two end points, in either order.
    const double direct =
        std::hypot(s.x1 - ref[0], s.y1 - ref[1]) + std::hypot(s.x2 - ref[2], s.y2 - ref[3]);
    const double swapped =
        std::hypot(s.x1 - ref[2], s.y1 - ref[3]) + std::hypot(s.x2 - ref[0], s.y2 - ref[1]);
    EXPECT_LT(std::min(direct, swapped), 1e-9) << i;
  }
  EXPECT_GT(hits, 500);
}

}  // namespace
}  // namespace zel
