/// @file
/// Zel_math2 (polygon geometry): point in polygon, area with a count of
/// crossing edges, length, bounding rectangle, difference encoding,
/// distance to the outline, the convex hull and the point-in-hull test,
/// polygon reduction, and the great-circle distance on a sphere.
///
/// Conventions of this part of the unit:
/// - A polygon is the array of its corners (TPointDouble, or TPoint for the
///   integer ReducePolygon), closed implicitly from the last corner back to
///   the first. Areas are positive for counter-clockwise corners in a
///   y-up frame.
/// - Empty and too short polygons are valid input: they give false, 0 or
///   empty outputs as stated per routine, never a read outside the array.
/// - Sums and cross products are formed in long double (80-bit), where no
///   product of two double differences overflows or underflows, so
///   coordinates near 1e154 or 1e-160 give correct signs and areas.
/// - NaN coordinates propagate into lengths, areas and distances; tests
///   (inside, hull) treat a NaN comparison as failing.
/// - Nothing here throws for bad input except memory exhaustion
///   (std::bad_alloc); no routine touches the progress globals.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/zel_zelbase.hpp"

namespace zel {

/// The corners of a polygon.
using TPolygonDouble = std::vector<TPointDouble>;

/// True when (x, y) lies strictly inside the polygon: the crossing-product
/// test (the product of -1 and one edge test per edge, the closing edge from
/// the last to the first corner first, then 0-1, 1-2, ...): with B, C the
/// edge ordered so that B.y <= C.y, an edge gives 0 when the point lies on
/// it, +1 when a ray to the right misses it and -1 when the ray crosses it.
/// The point is inside when the product is +1; the boundary counts as
/// outside. Self-intersecting polygons follow the even-odd rule. The edge
/// sign is an exact orientation for coordinates whose differences are exact
/// in 64 bits (integers up to 2^31, for instance). Fewer than 3 corners
/// give false.
bool PointIsInsidePolygon(double x, double y, std::span<const TPointDouble> Polygon);

/// Signed area: half the sum over all edges, the closing one included, of
/// (x_i - x_(i+1))(y_i + y_(i+1)), positive for counter-clockwise corners
/// (y up). The y coordinates are taken relative to the first corner, which
/// leaves the sum unchanged but keeps polygons far from the origin exact.
/// Fewer than 3 corners give 0.
double PolygonArea(std::span<const TPointDouble> Polygon);

/// The signed area, and in NumIntersect the number of unordered pairs of
/// edges that meet (SegmentsIntersect of the math unit: touching and
/// collinear edges count, even disjoint collinear ones) minus the number of
/// corners, so that the n touching neighbours of a simple polygon give 0
/// (a triangle 0, a bow tie 1). O(n^2) pairs. Fewer than 3 corners give
/// area 0 and NumIntersect 0.
double PolygonArea(std::span<const TPointDouble> Polygon, int32_t& NumIntersect);

/// Sum of the edge lengths (hypot, summed in long double); with Closed the
/// closing edge is added. Fewer than 2 corners give 0.
double PolygonLength(std::span<const TPointDouble> Polygon, bool Closed);

/// The extremes of x and y over all corners (note the argument order
/// MinX, MinY, MaxY, MaxX). An empty polygon gives 0 for all four; a NaN
/// coordinate makes both extremes of its axis NaN.
void OuterRectOfPolygon(std::span<const TPointDouble> Polygon, double& MinX, double& MinY,
                        double& MaxY, double& MaxX);

/// DiffPoly receives the n - 1 differences of consecutive corners; with
/// Mode > 0 differences (0, 0) are dropped; with Mode 2 a difference
/// exactly parallel to the one before it and pointing the same way (cross
/// product exactly 0, dot product positive) is added to the last kept one.
/// Result: the number of differences kept (DiffPoly's new length); fewer
/// than 2 corners give 0 and an empty DiffPoly.
int32_t ConvertToDiffPolygon(std::span<const TPointDouble> Polygon, TPolygonDouble& DiffPoly,
                             int32_t Mode);

/// Polygon becomes Start followed by the running sums of DiffPoly (plain
/// double additions, so integer-valued differences reproduce the original
/// corners exactly). Result: the number of corners, n + 1. DiffPoly may not
/// be Polygon.
int32_t ConvertFromDiffPolygon(const TPointDouble& Start, std::span<const TPointDouble> DiffPoly,
                               TPolygonDouble& Polygon);

/// Smallest DistanceToSegment (math unit) from Point to the edges 0-1, 1-2,
/// ..., and with Closed also the closing edge. One corner gives the
/// distance to it; an empty polygon gives 0. A NaN distance makes the
/// result NaN.
double DistanceToPolygon(const TPointDouble& Point, std::span<const TPointDouble> Polygon,
                         bool Closed);

/// True when (x, y) lies strictly on the inner (left) side of every edge of
/// a counter-clockwise convex hull as Convex2DHull gives it, the closing
/// edge first; a cross product <= 0 (or NaN) for any edge gives false.
/// Fewer than 3 corners give false.
bool PointIsInsideConvexHull(double x, double y, std::span<const TPointDouble> Hull);

///@{
/// Removes corners equal to their predecessor, then interior corners that
/// are collinear with their neighbours and lie between them (the first and
/// last corners always stay). Collinear: for real corners |d1 x d2| <=
/// 1e-10 |d1| |d2| with d1, d2 the differences to the previous kept and to
/// the next corner (so vertical edges need no slope); for integer corners
/// the cross product is exactly 0 (128-bit arithmetic). A corner where the
/// outline doubles back (a spike, dot product <= 0) is kept. Result: the new
/// number of corners.
int32_t ReducePolygon(std::vector<TPoint>& Polygon);
int32_t ReducePolygon(TPolygonDouble& Polygon);
///@}

/// Convex hull of Points. With 3 points or fewer Hull is a copy of Points.
/// Otherwise Andrew's monotone chain (A. M. Andrew, Inf. Process. Lett. 9
/// (1979) 216; orientations from CcwTriangle in 80 bits), which drops
/// duplicates and points on the hull's edges, and the corners are then
/// ordered by their angle about the mean of all points: AngleToXAxis of the
/// centred position plus pi/2, less 2 pi when above 2 pi, ascending, which
/// is counter-clockwise (y up). All points equal give one corner; all
/// collinear the two end points. O(n log n). Of more than 3 points, a NaN
/// or infinite coordinate gives an empty Hull. Hull may not be Points. Agrees with
/// scipy.spatial.ConvexHull's vertices on the test sets.
void Convex2DHull(std::span<const TPointDouble> Points, TPolygonDouble& Hull);

/// Great-circle distance by the spherical law of cosines: with angles in
/// degrees, g = cos(lat1) cos(lat2) cos(long2 - long1) + sin(lat1)
/// sin(lat2) clamped to [-1, 1], result Radius arccos(g), in the unit of
/// Radius. Agrees with the haversine formula to 1e-9 relative for distances
/// above 10 km on the Earth; below, arccos near 1 loses digits (about 0.1 m
/// absolute on the Earth). NaN in gives NaN.
double SphereGreatCircleDist(double Long1, double Lat1, double Long2, double Lat2, double Radius);

}  // namespace zel
