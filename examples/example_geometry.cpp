// Polygon geometry: area, point in polygon, length and distance of an L-shaped
// outline, its difference encoding and reduction, the convex hull of a point
// cloud with a test against it, and the great-circle distance Vienna-London.
#include <cstdio>
#include <vector>

#include "num/analysis/zel_polygons.hpp"

int main() {
  using namespace zel;
  const TPolygonDouble ell{{0, 0}, {4, 0}, {4, 1}, {2, 1}, {1, 1}, {1, 3}, {0, 3}};
  int32_t crossings = 0;
  std::printf("L shape: area %.1f, %d crossing edges, outline %.1f\n", PolygonArea(ell, crossings),
              crossings, PolygonLength(ell, true));
  std::printf("(0.5, 2) inside: %s, (2, 2) inside: %s, (4, 0.5) inside: %s (on the border)\n",
              PointIsInsidePolygon(0.5, 2, ell) ? "yes" : "no",
              PointIsInsidePolygon(2, 2, ell) ? "yes" : "no",
              PointIsInsidePolygon(4, 0.5, ell) ? "yes" : "no");
  std::printf("distance of (3, 3) to the outline: %.4f\n", DistanceToPolygon({3, 3}, ell, true));

  TPolygonDouble diffs;
  const int nd = ConvertToDiffPolygon(ell, diffs, 2);
  std::printf("%d steps after merging (4,1)-(2,1)-(1,1):", nd);
  for (const auto& d : diffs) std::printf(" (%g, %g)", d.x, d.y);
  std::printf("\n");
  TPolygonDouble reduced = ell;
  std::printf("ReducePolygon keeps %d of %zu corners\n", ReducePolygon(reduced), ell.size());

  // The hull of a cloud: corners counter-clockwise, ordered by their angle
  // about the mean of the points.
  TPolygonDouble cloud;
  for (int i = 0; i < 40; ++i) cloud.push_back({(i * 37 % 17) - 8.0, (i * 23 % 13) - 6.0});
  cloud.push_back({12, 0});
  TPolygonDouble hull;
  Convex2DHull(cloud, hull);
  std::printf("hull of %zu points: %zu corners, area %.1f;", cloud.size(), hull.size(),
              PolygonArea(hull));
  std::printf(" (10, 0) %s, (13, 0) %s\n",
              PointIsInsideConvexHull(10, 0, hull) ? "inside" : "outside",
              PointIsInsideConvexHull(13, 0, hull) ? "inside" : "outside");

  // Vienna (16.37 E, 48.21 N) to London (0.13 W, 51.51 N) on a sphere of
  // 6371 km.
  std::printf("Vienna-London: %.1f km\n", SphereGreatCircleDist(16.37, 48.21, -0.13, 51.51, 6371));
  return 0;
}
