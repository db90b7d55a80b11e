#include <algorithm>
#include <cmath>
#include <limits>

#include "map/geobasics/zel_geobasics.hpp"

namespace zel {

namespace {

const char* const kBadEcc = "invalid eccentricity";
const char* const kBadRecipFlat = "invalid reciprocal flattening";

// Written so that NaN fails the test as well.
bool IsValidEccSquared(double EccSquared) { return EccSquared >= 0.0 && EccSquared <= 1.0; }

}  // namespace

double GeoEllEccSquared(TGeoEllipsoid Ellipsoid) {
  const TEllAxes ax = GeoEllAxes(Ellipsoid);
  return GeoEllEccSquared(ax.a, ax.b);
}

double GeoEllEccSquared(double Axis1, double Axis2) {
  if (std::isnan(Axis1) || std::isnan(Axis2)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  const double larger = std::max(Axis1, Axis2);
  const double smaller = std::min(Axis1, Axis2);
  // Two zero axes describe no ellipse; the neutral answer is a circle.
  if (larger == 0.0) {
    return 0.0;
  }
  const double q = smaller / larger;
  return (1.0 - q) * (1.0 + q);
}

double GeoEllEccSquared(double RecipFlattening) {
  if (RecipFlattening == 0.0) {
    return 0.0;
  }
  const double f = 1.0 / RecipFlattening;
  return f * (2.0 - f);
}

double RecipFlattening(TGeoEllipsoid Ellipsoid) {
  const TEllAxes ax = GeoEllAxes(Ellipsoid);
  return RecipFlattening(ax.a, ax.b);
}

double RecipFlattening(double MajorAxis, double MinorAxis) {
  if (!(MajorAxis > 0.0)) {
    throw EZELGeoBasicsError(kBadRecipFlat);
  }
  if (MinorAxis == MajorAxis) {
    return 0.0;
  }
  return MajorAxis / (MajorAxis - MinorAxis);
}

double RecipFlattening(double EccSquared) {
  if (!IsValidEccSquared(EccSquared)) {
    throw EZELGeoBasicsError(kBadEcc);
  }
  if (EccSquared == 0.0) {
    return 0.0;
  }
  return 1.0 / (1.0 - std::sqrt(1.0 - EccSquared));
}

double EllipsoidMinAxFlat(double MajorAxis, double RecipFlattening) {
  // Below 1 (but above 0) the flattening exceeds 1 and the minor axis would
  // be negative.
  if (RecipFlattening == 0.0) {
    return MajorAxis;
  }
  if (!(RecipFlattening >= 1.0)) {
    throw EZELGeoBasicsError(kBadRecipFlat);
  }
  return MajorAxis * (1.0 - 1.0 / RecipFlattening);
}

double EllipsoidMinAxEcc(double MajorAxis, double EccSquared) {
  if (!IsValidEccSquared(EccSquared)) {
    throw EZELGeoBasicsError(kBadEcc);
  }
  return MajorAxis * std::sqrt(1.0 - EccSquared);
}

}  // namespace zel
