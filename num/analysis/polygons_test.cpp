// Polygon geometry, convex hull and great-circle distance. Hull references
// come from testdata/polygons_reference.py (scipy.spatial.ConvexHull).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "num/analysis/zel_polygons.hpp"

namespace zel {
namespace {

const TPolygonDouble kSquare{{0, 0}, {1, 0}, {1, 1}, {0, 1}};

TEST(Polygon, UnitSquareExample) {
  EXPECT_DOUBLE_EQ(PolygonArea(kSquare), 1.0);
  EXPECT_TRUE(PointIsInsidePolygon(0.5, 0.5, kSquare));
  EXPECT_FALSE(PointIsInsidePolygon(1.0, 0.5, kSquare));
  EXPECT_DOUBLE_EQ(PolygonLength(kSquare, true), 4.0);
  EXPECT_DOUBLE_EQ(PolygonLength(kSquare, false), 3.0);
}

TEST(Polygon, PointInsideOnEdgesVerticesAndConcaveParts) {
  // A "U": the notch (1..2 x 1..3) is outside.
  const TPolygonDouble u{{0, 0}, {3, 0}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}};
  struct Case {
    double x, y;
    bool inside;
  };
  const Case cases[] = {{0.5, 2, true},  {1.5, 2, false}, {1.5, 0.5, true}, {2.5, 2.9, true},
                        {1.5, 1, false}, {2, 2, false},   {0, 0, false},    {3, 3, false},
                        {-1, 1, false},  {1.5, 3, false}, {0.5, 3, false},  {4, 1, false}};
  for (const auto& c : cases)
    EXPECT_EQ(PointIsInsidePolygon(c.x, c.y, u), c.inside) << c.x << " " << c.y;
  // Far from the origin and at tiny scale the sign tests stay exact.
  TPolygonDouble far;
  for (const auto& p : kSquare) far.push_back({p.x + 1e15, p.y - 1e15});
  EXPECT_TRUE(PointIsInsidePolygon(1e15 + 0.5, -1e15 + 0.5, far));
  TPolygonDouble tiny;
  for (const auto& p : kSquare) tiny.push_back({p.x * 1e-160, p.y * 1e-160});
  EXPECT_TRUE(PointIsInsidePolygon(0.5e-160, 0.5e-160, tiny));
  EXPECT_FALSE(PointIsInsidePolygon(0.5e-160, 1.5e-160, tiny));
  EXPECT_FALSE(PointIsInsidePolygon(0, 0, TPolygonDouble{}));
  EXPECT_FALSE(PointIsInsidePolygon(std::nan(""), 0.5, kSquare));
}

TEST(Polygon, AreaSignOffsetAndIntersections) {
  TPolygonDouble cw(kSquare.rbegin(), kSquare.rend());
  EXPECT_DOUBLE_EQ(PolygonArea(cw), -1.0);
  // Offset by 1e9: the plain formula loses the unit area in (y_i + y_j).
  TPolygonDouble off;
  for (const auto& p : kSquare) off.push_back({p.x + 1e9, p.y + 1e9});
  EXPECT_EQ(PolygonArea(off), 1.0);
  TPolygonDouble big;
  for (const auto& p : kSquare) big.push_back({p.x * 1e154, p.y * 1e154});
  EXPECT_DOUBLE_EQ(PolygonArea(big), 1e308);
  int32_t ni = 99;
  EXPECT_DOUBLE_EQ(PolygonArea(kSquare, ni), 1.0);
  EXPECT_EQ(ni, 0);
  const TPolygonDouble bowTie{{0, 0}, {2, 2}, {2, 0}, {0, 2}};
  EXPECT_DOUBLE_EQ(PolygonArea(bowTie, ni), 0.0);
  EXPECT_EQ(ni, 1);
  // Collinear but disjoint edges count as meeting (edges 0-1 and 2-3).
  const TPolygonDouble comb{{0, 0}, {1, 0}, {1, 1}, {2, 0}, {3, 0}, {3, 2}, {0, 2}};
  PolygonArea(comb, ni);
  EXPECT_EQ(ni, 1);
  EXPECT_EQ(PolygonArea(TPolygonDouble{{1, 1}, {2, 2}}, ni), 0.0);
  EXPECT_EQ(ni, 0);
  EXPECT_EQ(PolygonArea(TPolygonDouble{}), 0.0);
  EXPECT_EQ(PolygonLength(TPolygonDouble{{3, 4}}, true), 0.0);
  EXPECT_DOUBLE_EQ(PolygonLength(TPolygonDouble{{0, 0}, {3e200, 4e200}}, false), 5e200);
}

TEST(Polygon, OuterRectDiffEncodingAndDistance) {
  double minX = 1, minY = 1, maxY = 1, maxX = 1;
  OuterRectOfPolygon(TPolygonDouble{{3, -1}, {-2, 5}, {0, 0}}, minX, minY, maxY, maxX);
  EXPECT_EQ(minX, -2.0);
  EXPECT_EQ(minY, -1.0);
  EXPECT_EQ(maxY, 5.0);
  EXPECT_EQ(maxX, 3.0);
  OuterRectOfPolygon(TPolygonDouble{}, minX, minY, maxY, maxX);
  EXPECT_EQ(minX + minY + maxY + maxX, 0.0);
  OuterRectOfPolygon(TPolygonDouble{{1, 1}, {std::nan(""), 2}}, minX, minY, maxY, maxX);
  EXPECT_TRUE(std::isnan(minX) && std::isnan(maxX));
  EXPECT_EQ(maxY, 2.0);

  const TPolygonDouble path{{0, 0}, {1, 0}, {1, 0}, {3, 0}, {3, 1}, {3, 3}, {2, 2}, {3, 3}};
  TPolygonDouble d;
  EXPECT_EQ(ConvertToDiffPolygon(path, d, 0), 7);
  EXPECT_EQ(ConvertToDiffPolygon(path, d, 1), 6);
  ASSERT_EQ(ConvertToDiffPolygon(path, d, 2), 4);
  // (1,0)+(2,0) merge, (0,1)+(0,2) merge; (-1,-1) and (1,1) are opposite.
  EXPECT_EQ(d[0].x, 3.0);
  EXPECT_EQ(d[1].y, 3.0);
  EXPECT_EQ(d[3].x, 1.0);
  TPolygonDouble back;
  EXPECT_EQ(ConvertFromDiffPolygon({0, 0}, d, back), 5);
  EXPECT_EQ(back.back().x, 3.0);
  EXPECT_EQ(back.back().y, 3.0);
  // Nearly parallel is not parallel.
  EXPECT_EQ(ConvertToDiffPolygon(TPolygonDouble{{0, 0}, {1, 1}, {2, 2 + 1e-15}}, d, 2), 2);
  EXPECT_EQ(ConvertToDiffPolygon(TPolygonDouble{{5, 5}}, d, 2), 0);
  EXPECT_TRUE(d.empty());

  const TPointDouble p{0.5, -2};
  EXPECT_DOUBLE_EQ(DistanceToPolygon(p, kSquare, true), 2.0);
  EXPECT_DOUBLE_EQ(DistanceToPolygon({-1, 0.5}, kSquare, false), std::hypot(1.0, 0.5));
  EXPECT_DOUBLE_EQ(DistanceToPolygon({-1, 0.5}, kSquare, true), 1.0);
  EXPECT_DOUBLE_EQ(DistanceToPolygon({3, 4}, TPolygonDouble{{0, 0}}, false), 5.0);
  EXPECT_EQ(DistanceToPolygon(p, TPolygonDouble{}, true), 0.0);
}

TEST(Polygon, ReduceDropsDuplicatesAndCollinearCornersButKeepsSpikes) {
  TPolygonDouble v{{0, 0}, {0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 3}, {2, 3}, {1, 3}, {1, 5}};
  // Vertical run collapses; (1,3) between (0,3) and (2,3) goes; the spike at (2,3) stays.
  EXPECT_EQ(ReducePolygon(v), 5);
  const TPolygonDouble want{{0, 0}, {0, 3}, {2, 3}, {1, 3}, {1, 5}};
  for (size_t i = 0; i < want.size(); ++i)
    EXPECT_TRUE(v[i].x == want[i].x && v[i].y == want[i].y) << i;
  TPolygonDouble nearly{{0, 0}, {1, 1e-12}, {2, 0}, {3, 1e-6}, {4, 0}};
  EXPECT_EQ(ReducePolygon(nearly), 4);
  TPolygonDouble huge{{0, 0}, {1e154, 1e154}, {3e154, 3e154}};
  EXPECT_EQ(ReducePolygon(huge), 2);
  // Integer corners: the cross product of these differences overflows 64 bits.
  std::vector<TPoint> ip{
      {INT32_MIN, INT32_MIN}, {0, 0}, {INT32_MAX, INT32_MAX}, {INT32_MAX, INT32_MIN}};
  EXPECT_EQ(ReducePolygon(ip), 3);
  std::vector<TPoint> ip2{{INT32_MIN, INT32_MIN}, {0, 1}, {INT32_MAX, INT32_MAX}};
  EXPECT_EQ(ReducePolygon(ip2), 3);
  std::vector<TPoint> single{{4, 4}, {4, 4}};
  EXPECT_EQ(ReducePolygon(single), 1);
}

// Independent oracle: every point on or inside every edge of a strictly
// convex counter-clockwise hull whose corners are input points.
void ExpectValidHull(const TPolygonDouble& pts, const TPolygonDouble& hull) {
  const size_t n = hull.size();
  ASSERT_GE(n, 3u);
  for (size_t e = 0; e < n; ++e) {
    const TPointDouble& a = hull[e];
    const TPointDouble& b = hull[(e + 1) % n];
    const TPointDouble& c = hull[(e + 2) % n];
    EXPECT_GT((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x), 0.0) << "corner " << e;
    for (const auto& p : pts) ASSERT_GE((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x), 0.0);
    EXPECT_TRUE(std::any_of(pts.begin(), pts.end(),
                            [&](const TPointDouble& p) { return p.x == a.x && p.y == a.y; }));
  }
}

struct Lcg {  // the generator of polygons_reference.py
  uint64_t s;
  double Next() {
    s = (1103515245u * s + 12345u) % 2147483648u;
    return static_cast<double>(s) / 2147483648.0;
  }
};

TPolygonDouble ClusterWithOutliers(uint64_t seed, int n) {
  Lcg g{seed};
  TPolygonDouble p;
  for (int i = 0; i < n; ++i) {
    const double x = 0.45 + 0.1 * g.Next();
    p.push_back({x, 0.45 + 0.1 * g.Next()});
  }
  for (int i = 0; i < 3; ++i) {
    const double x = -10 + 20 * g.Next();
    p.push_back({x, -10 + 20 * g.Next()});
  }
  return p;
}

TEST(ConvexHull, CounterExampleOfTheCentroidWalk) {
  const TPolygonDouble pts{{5, -3}, {1, 1}, {2, 4}, {-5, -2}, {0, 3}, {2, 5}};
  TPolygonDouble hull;
  Convex2DHull(pts, hull);
  ASSERT_EQ(hull.size(), 3u);
  // Order by the angle key about the mean (5/6, 4/3): (5,-3), (2,5), (-5,-2).
  EXPECT_TRUE(hull[0].x == 5 && hull[0].y == -3);
  EXPECT_TRUE(hull[1].x == 2 && hull[1].y == 5);
  EXPECT_TRUE(hull[2].x == -5 && hull[2].y == -2);
  EXPECT_TRUE(PointIsInsideConvexHull(1, 1, hull));
  EXPECT_TRUE(PointIsInsideConvexHull(2, 4, hull));
  EXPECT_FALSE(PointIsInsideConvexHull(2, 5, hull));  // a corner is not strictly inside
  EXPECT_FALSE(PointIsInsideConvexHull(6, 0, hull));
}

TEST(ConvexHull, AgreesWithScipyAndAnOracleOnClusteredSets) {
  struct Case {
    TPolygonDouble pts;
    std::vector<int> vertices;  // sorted indices of ConvexHull.vertices
    double area;
  };
  TPolygonDouble uni;
  Lcg g{3};
  for (int i = 0; i < 500; ++i) {
    const double x = g.Next();
    uni.push_back({x, g.Next()});
  }
  const std::vector<Case> cases{
      {ClusterWithOutliers(7, 200), {200, 201, 202}, 110.87506692856552},
      {ClusterWithOutliers(11, 50), {17, 46, 47, 50, 52}, 49.25191931926424},
      {uni,
       {23, 35, 51, 53, 115, 126, 166, 195, 207, 219, 254, 402, 480, 491},
       0.9812270621769131}};
  for (const auto& c : cases) {
    TPolygonDouble hull;
    Convex2DHull(c.pts, hull);
    ASSERT_EQ(hull.size(), c.vertices.size());
    for (int v : c.vertices)
      EXPECT_TRUE(std::any_of(hull.begin(), hull.end(), [&](const TPointDouble& p) {
        return p.x == c.pts[v].x && p.y == c.pts[v].y;
      })) << v;
    EXPECT_NEAR(PolygonArea(hull), c.area, 1e-13 * c.area);
    ExpectValidHull(c.pts, hull);
  }
  // A dense cluster plus three outliers defeated the centroid walk in about
  // one set of six; the monotone chain must hold on every one.
  for (uint64_t seed = 1; seed <= 300; ++seed) {
    const auto pts = ClusterWithOutliers(seed, 40);
    TPolygonDouble hull;
    Convex2DHull(pts, hull);
    ExpectValidHull(pts, hull);
    if (HasFatalFailure()) FAIL() << "seed " << seed;
  }
}

TEST(ConvexHull, DegenerateSets) {
  TPolygonDouble hull;
  const TPolygonDouble three{{0, 0}, {1, 1}, {2, 2}};
  Convex2DHull(three, hull);  // three points or fewer are copied as they are
  EXPECT_EQ(hull.size(), 3u);
  Convex2DHull(TPolygonDouble{{0, 0}, {3, 3}, {1, 1}, {2, 2}, {1, 1}}, hull);
  ASSERT_EQ(hull.size(), 2u);
  EXPECT_DOUBLE_EQ(hull[0].x + hull[1].x, 3.0);
  Convex2DHull(TPolygonDouble(6, TPointDouble{2, -1}), hull);
  ASSERT_EQ(hull.size(), 1u);
  // Duplicates and points on edges are dropped.
  Convex2DHull(TPolygonDouble{{0, 0}, {2, 0}, {1, 0}, {2, 2}, {0, 2}, {0, 2}, {1, 1}, {2, 1}},
               hull);
  EXPECT_EQ(hull.size(), 4u);
  EXPECT_DOUBLE_EQ(PolygonArea(hull), 4.0);
  Convex2DHull(TPolygonDouble{{0, 0}, {2, 0}, {1, std::nan("")}, {2, 2}}, hull);
  EXPECT_TRUE(hull.empty());
  EXPECT_FALSE(PointIsInsideConvexHull(0, 0, hull));
}

double Haversine(double lon1, double lat1, double lon2, double lat2, double r) {
  const double d = 3.14159265358979323846 / 180;
  const double a =
      std::pow(std::sin((lat2 - lat1) * d / 2), 2) +
      std::cos(lat1 * d) * std::cos(lat2 * d) * std::pow(std::sin((lon2 - lon1) * d / 2), 2);
  return 2 * r * std::asin(std::sqrt(a));
}

TEST(GreatCircle, QuarterCircleAndHaversine) {
  EXPECT_DOUBLE_EQ(SphereGreatCircleDist(0, 0, 90, 0, 6371), 6371 * 3.14159265358979323846 / 2);
  EXPECT_DOUBLE_EQ(SphereGreatCircleDist(10, 20, -170, -20, 1),
                   3.14159265358979323846);  // antipodes
  const double pairs[][4] = {{16.37, 48.21, -0.13, 51.51},
                             {-122.42, 37.77, 151.21, -33.87},
                             {0, 89.9, 180, 89.9},
                             {13.4, 52.5, 13.5, 52.5}};
  for (const auto& p : pairs)
    EXPECT_NEAR(SphereGreatCircleDist(p[0], p[1], p[2], p[3], 6371.0),
                Haversine(p[0], p[1], p[2], p[3], 6371.0), 1e-9 * 6371.0);
  // A metre apart: the law of cosines keeps metre accuracy (km units).
  EXPECT_NEAR(SphereGreatCircleDist(13.4, 52.5, 13.4, 52.5 + 9e-6, 6371.0),
              Haversine(13.4, 52.5, 13.4, 52.5 + 9e-6, 6371.0), 1e-3);
  EXPECT_TRUE(std::isnan(SphereGreatCircleDist(std::nan(""), 0, 0, 0, 1)));
}

}  // namespace
}  // namespace zel
