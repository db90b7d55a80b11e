#include <cmath>
#include <numbers>

#include "map/geobasics/datums_impl.hpp"
#include "map/geobasics/zel_geobasics.hpp"

namespace zel {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;
constexpr double kRadToDeg = 180.0 / std::numbers::pi;
constexpr double kArcSecToRad = std::numbers::pi / 180.0 / 3600.0;

const TDatumRec* FindDatum(int32_t Index) {
  if (Index < 1 || Index > kDatumCount) {
    return nullptr;
  }
  return &kDatumTable[static_cast<size_t>(Index)];
}

}  // namespace

void GeoToCartesian(double Lat, double Long, double Height, TGeoEllipsoid Ellipsoid, double& X,
                    double& Y, double& Z) {
  const TEllAxes ax = GeoEllAxes(Ellipsoid);
  const double e2 = GeoEllEccSquared(ax.a, ax.b);
  const double phi = Lat * kDegToRad;
  const double lambda = Long * kDegToRad;
  const double sphi = std::sin(phi);
  const double cphi = std::cos(phi);
  const double n = ax.a / std::sqrt(1.0 - e2 * sphi * sphi);
  X = (n + Height) * cphi * std::cos(lambda);
  Y = (n + Height) * cphi * std::sin(lambda);
  Z = (n * (1.0 - e2) + Height) * sphi;
}

void CartesianToGeo(double X, double Y, double Z, TGeoEllipsoid Ellipsoid, double& Lat,
                    double& Long, double& Height) {
  const TEllAxes ax = GeoEllAxes(Ellipsoid);
  const double a = ax.a;
  const double e2 = GeoEllEccSquared(a, ax.b);
  // From the axes, not from the reciprocal flattening, which is 0 (not
  // infinite) for a sphere.
  const double f = (a - ax.b) / a;
  const double p = std::hypot(X, Y);
  const double r = std::hypot(p, Z);
  if (std::isnan(p) || std::isnan(Z)) {
    Lat = Long = Height = std::numeric_limits<double>::quiet_NaN();
    return;
  }
  if (p == 0.0) {
    // On the axis the atan2 forms below would still work, but the closed
    // form of the height loses the b it needs; the centre takes the north
    // pole like any other point of the axis with Z >= 0.
    Lat = Z >= 0.0 ? 90.0 : -90.0;
    Long = 0.0;
    Height = std::fabs(Z) - ax.b;
    return;
  }
  const double u = std::atan2(((1.0 - f) + e2 * a / r) * Z, p);
  const double su = std::sin(u);
  const double cu = std::cos(u);
  const double num = Z * (1.0 - f) + e2 * a * su * su * su;
  // Inside the evolute (within e^2 a of the centre) the denominator can turn
  // negative, which would put the latitude beyond +-90 degrees.
  const double den = std::max((1.0 - f) * (p - e2 * a * cu * cu * cu), 0.0);
  const double phi = std::atan2(num, den);
  const double sphi = std::sin(phi);
  Lat = phi * kRadToDeg;
  Long = std::atan2(Y, X) * kRadToDeg;
  if (Long == -180.0) {
    Long = 180.0;
  }
  Height = p * std::cos(phi) + Z * sphi - a * std::sqrt(1.0 - e2 * sphi * sphi);
}

std::string_view DatumName(int32_t Index) {
  const TDatumRec* d = FindDatum(Index);
  return d ? d->Name : std::string_view();
}

std::string_view DatumRegion(int32_t Index) {
  const TDatumRec* d = FindDatum(Index);
  return d ? d->Region : std::string_view();
}

TGeoEllipsoid DatumEllipsoid(int32_t Index) {
  const TDatumRec* d = FindDatum(Index);
  return d ? d->Ellipsoid : TGeoEllipsoid::gelWGS84;
}

bool DatumHasShift(int32_t Index) {
  const TDatumRec* d = FindDatum(Index);
  return d != nullptr && d->HasShift;
}

int32_t HelmertTransform(int32_t SourceDatum, double Lat, double Long, double Height,
                         int32_t TargetDatum, double& LatOut, double& LongOut, double& HeightOut) {
  const TDatumRec* src = FindDatum(SourceDatum);
  const TDatumRec* dst = FindDatum(TargetDatum);
  int32_t status = kHelmertOk;
  if (src == nullptr) {
    status = kHelmertBadSource;
  }
  if (dst == nullptr) {
    status = kHelmertBadTarget;
  }
  if (status != kHelmertOk) {
    return status;
  }
  if (!src->HasShift || !dst->HasShift) {
    return kHelmertNoParameters;
  }
  // The position checks never hide an index error (those returned above).
  if (!(Lat >= -90.0 && Lat <= 90.0)) {
    status = kHelmertBadLatitude;
  }
  if (!(Long >= -180.0 && Long <= 180.0)) {
    status = kHelmertBadLongitude;
  }

  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  GeoToCartesian(Lat, Long, Height, src->Ellipsoid, x, y, z);

  double k = 1.0 + src->Scale * 1e-6;
  double rx = src->RotX * kArcSecToRad;
  double ry = src->RotY * kArcSecToRad;
  double rz = src->RotZ * kArcSecToRad;
  const double x1 = k * (x - y * rz + z * ry) + src->DX;
  const double y1 = k * (y + x * rz - z * rx) + src->DY;
  const double z1 = k * (z - x * ry + y * rx) + src->DZ;

  k = 1.0 - dst->Scale * 1e-6;
  rx = -dst->RotX * kArcSecToRad;
  ry = -dst->RotY * kArcSecToRad;
  rz = -dst->RotZ * kArcSecToRad;
  const double x2 = k * (x1 - y1 * rz + z1 * ry) - dst->DX;
  const double y2 = k * (y1 + x1 * rz - z1 * rx) - dst->DY;
  const double z2 = k * (z1 - x1 * ry + y1 * rx) - dst->DZ;

  CartesianToGeo(x2, y2, z2, dst->Ellipsoid, LatOut, LongOut, HeightOut);
  return status;
}

}  // namespace zel
