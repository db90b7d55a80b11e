#include <cmath>
#include <numbers>

#include "core/zel_univconst.hpp"
#include "map/geobasics/zel_geobasics.hpp"

namespace zel {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;
constexpr double kRadToDeg = 180.0 / std::numbers::pi;
constexpr double kUTMScale = 0.9996;
constexpr double kUTMFalseEasting = 500000.0;
constexpr double kUTMFalseNorthing = 10000000.0;
constexpr double kUPSScale = 0.994;
constexpr double kUPSFalseOrigin = 2000000.0;

// The quantities of the series in the third flattening n.
struct TMeridianSeries {
  double n;
  double alpha;
};

TMeridianSeries MeridianSeries(const TEllAxes& ax) {
  const double n = (ax.a - ax.b) / (ax.a + ax.b);
  const double n2 = n * n;
  return {n, ((ax.a + ax.b) / 2.0) * (1.0 + n2 / 4.0 + n2 * n2 / 64.0)};
}

double FootpointLatitude(double Y, const TEllAxes& ax) {
  const TMeridianSeries s = MeridianSeries(ax);
  const double n = s.n;
  const double n2 = n * n;
  const double n3 = n2 * n;
  const double n4 = n3 * n;
  const double n5 = n4 * n;
  const double y = Y / s.alpha;
  const double beta = 3.0 * n / 2.0 - 27.0 * n3 / 32.0 + 269.0 * n5 / 512.0;
  const double gamma = 21.0 * n2 / 16.0 - 55.0 * n4 / 32.0;
  const double delta = 151.0 * n3 / 96.0 - 417.0 * n5 / 128.0;
  const double epsilon = 1097.0 * n4 / 512.0;
  return y + beta * std::sin(2.0 * y) + gamma * std::sin(4.0 * y) + delta * std::sin(6.0 * y) +
         epsilon * std::sin(8.0 * y);
}

// The latitude terms of the series at latitude phi: cos phi, nu^2 = e'^2
// cos^2 phi, the radius of curvature in the prime vertical N, and the
// powers of t = tan phi.
struct TLatitudeTerms {
  double c, nu2, nn, t, t2, t4, t6;
};

TLatitudeTerms LatitudeTerms(double phi, const TEllAxes& ax) {
  const double ep2 = (ax.a - ax.b) * (ax.a + ax.b) / (ax.b * ax.b);
  const double c = std::cos(phi);
  const double nu2 = ep2 * c * c;
  const double t = std::tan(phi);
  const double t2 = t * t;
  return {c, nu2, ax.a * ax.a / (ax.b * std::sqrt(1.0 + nu2)), t, t2, t2 * t2, t2 * t2 * t2};
}

// exp(e artanh(e x)), the factor of the conformal latitude; 1 on a sphere.
double ConformalFactor(double e, double x) { return std::exp(e * std::atanh(e * x)); }

}  // namespace

double ArcLengthOfMeridian(double Phi, TGeoEllipsoid Ellipsoid) {
  const TMeridianSeries s = MeridianSeries(GeoEllAxes(Ellipsoid));
  const double n = s.n;
  const double n2 = n * n;
  const double n3 = n2 * n;
  const double n4 = n3 * n;
  const double n5 = n4 * n;
  const double beta = -3.0 * n / 2.0 + 9.0 * n3 / 16.0 - 3.0 * n5 / 32.0;
  const double gamma = 15.0 * n2 / 16.0 - 15.0 * n4 / 32.0;
  const double delta = -35.0 * n3 / 48.0 + 105.0 * n5 / 256.0;
  const double epsilon = 315.0 * n4 / 512.0;
  return s.alpha * (Phi + beta * std::sin(2.0 * Phi) + gamma * std::sin(4.0 * Phi) +
                    delta * std::sin(6.0 * Phi) + epsilon * std::sin(8.0 * Phi));
}

double UTMCentralMeridian(int32_t Zone) {
  if (Zone < 1 || Zone > 60) {
    return 0.0;
  }
  return (6.0 * Zone - 183.0) * kDegToRad;
}

void LatLongToTM(double Phi, double Lambda, double Lambda0, TGeoEllipsoid Ellipsoid, double& X,
                 double& Y) {
  const auto [c, nu2, nn, t, t2, t4, t6] = LatitudeTerms(Phi, GeoEllAxes(Ellipsoid));
  const double l = Lambda - Lambda0;
  const double l2 = l * l;
  const double c2 = c * c;

  // Coefficients of l^1 .. l^8 (Snyder's series carried to the 8th order).
  const double x1 = nn * c;
  const double x3 = nn / 6.0 * c * c2 * (1.0 - t2 + nu2);
  const double x5 =
      nn / 120.0 * c * c2 * c2 * (5.0 - 18.0 * t2 + t4 + 14.0 * nu2 - 58.0 * t2 * nu2);
  const double x7 = nn / 5040.0 * c * c2 * c2 * c2 * (61.0 - 479.0 * t2 + 179.0 * t4 - t6);
  const double y2 = t / 2.0 * nn * c2;
  const double y4 = t / 24.0 * nn * c2 * c2 * (5.0 - t2 + 9.0 * nu2 + 4.0 * nu2 * nu2);
  const double y6 =
      t / 720.0 * nn * c2 * c2 * c2 * (61.0 - 58.0 * t2 + t4 + 270.0 * nu2 - 330.0 * t2 * nu2);
  const double y8 = t / 40320.0 * nn * c2 * c2 * c2 * c2 * (1385.0 - 3111.0 * t2 + 543.0 * t4 - t6);

  X = l * (x1 + l2 * (x3 + l2 * (x5 + l2 * x7)));
  Y = ArcLengthOfMeridian(Phi, Ellipsoid) + l2 * (y2 + l2 * (y4 + l2 * (y6 + l2 * y8)));
}

void TMToLatLong(double X, double Y, double Lambda0, TGeoEllipsoid Ellipsoid, double& Phi,
                 double& Lambda) {
  const TEllAxes ax = GeoEllAxes(Ellipsoid);
  const double phif = FootpointLatitude(Y, ax);
  const auto [cf, nuf2, nf, tf, tf2, tf4, tf6] = LatitudeTerms(phif, ax);

  // Each power of X is divided by the matching power of Nf step by step, so
  // that Nf^8 (about 1e54) is never formed.
  const double u1 = X / nf;
  const double u2 = u1 * u1;
  const double phi2 = tf / 2.0 * (-1.0 - nuf2) * u2;
  const double phi4 = tf / 24.0 *
                      (5.0 + 3.0 * tf2 + 6.0 * nuf2 - 6.0 * tf2 * nuf2 - 3.0 * nuf2 * nuf2 -
                       9.0 * tf2 * nuf2 * nuf2) *
                      u2 * u2;
  const double phi6 = tf / 720.0 *
                      (-61.0 - 90.0 * tf2 - 45.0 * tf4 - 107.0 * nuf2 + 162.0 * tf2 * nuf2) * u2 *
                      u2 * u2;
  const double phi8 =
      tf / 40320.0 * (1385.0 + 3633.0 * tf2 + 4095.0 * tf4 + 1575.0 * tf6) * u2 * u2 * u2 * u2;
  Phi = phif + phi2 + phi4 + phi6 + phi8;

  const double l1 = u1;
  const double l3 = (-1.0 - 2.0 * tf2 - nuf2) * u1 * u2 / 6.0;
  const double l5 =
      (5.0 + 28.0 * tf2 + 24.0 * tf4 + 6.0 * nuf2 + 8.0 * tf2 * nuf2) * u1 * u2 * u2 / 120.0;
  const double l7 = (-61.0 - 662.0 * tf2 - 1320.0 * tf4 - 720.0 * tf6) * u1 * u2 * u2 * u2 / 5040.0;
  Lambda = Lambda0 + (l1 + l3 + l5 + l7) / cf;
}

void GeoToUTMZone(double Lat, double Long, int32_t& Zone, char16_t& Band) {
  Zone = 0;
  Band = u' ';
  // Written so that NaN falls outside as well.
  if (!(Lat >= -80.0 && Lat <= 84.0 && Long >= -180.0 && Long < 180.0)) {
    return;
  }
  const int32_t band_deg = static_cast<int32_t>(std::floor(Lat + 80.0));
  int32_t index = band_deg / 8;
  if (band_deg >= 48) {
    ++index;  // no band "I"
  }
  if (index > 11) {
    ++index;  // no band "O"
  }
  Band = index < 21 ? static_cast<char16_t>(u'C' + index) : u'X';
  Zone = static_cast<int32_t>(std::floor((Long + 180.0) / 6.0)) + 1;
  if (Band == u'V' && Long >= 3.0 && Long < 12.0) {
    Zone = 32;
  }
  if (Band == u'X' && Long >= 0.0 && Long < 42.0) {
    Zone = static_cast<int32_t>(std::floor((Long + 3.0) / 12.0)) * 2 + 31;
  }
}

std::string GeoToUTMZone(double Lat, double Long) {
  int32_t zone = 0;
  char16_t band = u' ';
  GeoToUTMZone(Lat, Long, zone, band);
  if (zone == 0) {
    return {};
  }
  return std::to_string(zone) + static_cast<char>(band);
}

void LatLongToUTM(double Lat, double Long, TGeoEllipsoid Ellipsoid, int32_t& Zone, double& Easting,
                  double& Northing) {
  char16_t band = u' ';
  GeoToUTMZone(Lat, Long, Zone, band);
  double x = 0.0;
  double y = 0.0;
  LatLongToTM(Lat * kDegToRad, Long * kDegToRad, UTMCentralMeridian(Zone), Ellipsoid, x, y);
  Easting = x * kUTMScale + kUTMFalseEasting;
  Northing = y * kUTMScale;
  if (Northing < 0.0) {
    Northing += kUTMFalseNorthing;
  }
}

void UTMToLatLong(double Easting, double Northing, int32_t Zone, bool SouthernHemisphere,
                  TGeoEllipsoid Ellipsoid, double& Lat, double& Long) {
  const double y =
      SouthernHemisphere ? (Northing - kUTMFalseNorthing) / kUTMScale : Northing / kUTMScale;
  const double x = (Easting - kUTMFalseEasting) / kUTMScale;
  double phi = 0.0;
  double lambda = 0.0;
  TMToLatLong(x, y, UTMCentralMeridian(Zone), Ellipsoid, phi, lambda);
  Lat = phi * kRadToDeg;
  Long = lambda * kRadToDeg;
}

void LatLongToUPS(double Lat, double Long, TGeoEllipsoid Ellipsoid, double& Easting,
                  double& Northing) {
  const TEllAxes ax = GeoEllAxes(Ellipsoid);
  const double e2 = GeoEllEccSquared(ax.a, ax.b);
  const double e = std::sqrt(std::fabs(e2));
  const double chi = (Lat < 0.0 ? 90.0 + Lat : 90.0 - Lat) * kDegToRad;
  const double rho = ax.a * kUPSScale * 2.0 * std::tan(chi / 2.0) *
                     ConformalFactor(e, std::cos(chi)) /
                     (std::sqrt(1.0 - e2) * ConformalFactor(e, 1.0));
  if (Long >= 180.0) {
    Long -= 360.0;
  } else if (Long < -180.0) {
    Long += 360.0;
  }
  const double lambda = Long * kDegToRad;
  // sin(-pi) and cos(pi/2) are not exactly 0 in floating point.
  Easting = Long == -180.0 ? 0.0 : rho * std::sin(lambda);
  Northing = (Long == 90.0 || Long == -90.0) ? 0.0 : rho * std::cos(lambda);
  if (Lat >= 0.0) {
    Northing = -Northing;
  }
  Easting += kUPSFalseOrigin;
  Northing += kUPSFalseOrigin;
}

void UPSToLatLong(double Easting, double Northing, bool SouthernHemisphere, TGeoEllipsoid Ellipsoid,
                  double& Lat, double& Long) {
  const TEllAxes ax = GeoEllAxes(Ellipsoid);
  const double de = Easting - kUPSFalseOrigin;
  const double dn = Northing - kUPSFalseOrigin;
  const double r = std::hypot(de, dn);
  const double e2 = GeoEllEccSquared(ax.a, ax.b);
  const double e = std::sqrt(std::fabs(e2));
  const double t = std::sqrt(1.0 - e2) * r * ConformalFactor(e, 1.0) / (kUPSScale * ax.a);
  const double stop = 0.1 * std::sqrt(uc_MinDouble);
  double chi = 2.0 * std::atan(t / 2.0);
  for (int round = 0; round < 6; ++round) {
    const double cchi = std::cos(chi);
    const double ch = std::cos(chi / 2.0);
    const double g = ConformalFactor(e, cchi);
    const double fval = 2.0 * std::tan(chi / 2.0) * g - t;
    const double deriv = (1.0 - e2) * g / (ch * ch * (1.0 - e2 * cchi * cchi));
    const double step = -fval / deriv;
    chi += step;
    if (std::fabs(step) < stop) {
      break;
    }
  }
  Lat = 90.0 - chi * kRadToDeg;
  if (SouthernHemisphere) {
    Lat = -Lat;
    Long = -std::atan2(-de, dn) * kRadToDeg;
  } else {
    Long = -std::atan2(-de, -dn) * kRadToDeg;
  }
}

}  // namespace zel
