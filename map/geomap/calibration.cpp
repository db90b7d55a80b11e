// Calibration models of the map display: data, fits, conversions, points,
// corners and quality.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <numbers>

#include "core/zel_system.hpp"
#include "map/geomap/zel_mapcalib.hpp"
#include "num/analysis/zel_curvefit.hpp"
#include "num/analysis/zel_math2.hpp"
#include "num/analysis/zel_polygons.hpp"

namespace zel {

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
constexpr double kEarthR = 6378000.0;
constexpr double kFullCircle = 40074155.889191403;  // 2 pi kEarthR
// Beyond this a pixel result is treated as unusable rather than rounded.
constexpr double kMaxPixel = 1e9;

bool ToPixel(double v, int32_t& p) {
  if (!std::isfinite(v) || std::fabs(v) > kMaxPixel) return false;
  p = static_cast<int32_t>(Round(v));
  return true;
}

bool IsQuadModel(TCalibModel m) {
  return m >= TCalibModel::cmBiquadraticPn && m <= TCalibModel::cmUTM;
}

// Least squares over the given basis columns; a failed fit (non-finite data,
// no convergence) leaves the parameters at 0.
template <size_t K>
bool FitBasis(const TDouble2DArray& A, const TDoubleArray& y, double (&p)[K]) {
  std::fill(std::begin(p), std::end(p), 0.0);
  TDoubleArray x, sf;
  bool near = false;
  if (!SVDLeastSquares(A, y, x, sf, near) || x.size() != K) return false;
  std::copy(x.begin(), x.end(), p);
  return true;
}

// Straight line y = k x + d through Fit (refilled), or false when it is
// undetermined (fewer than two points, all x equal, a non-finite value):
// TCurveFit throws there.
bool LineFit(TCurveFit& Fit, const std::vector<double>& xs, const std::vector<double>& ys,
             double& k, double& d) {
  k = d = 0;
  if (xs.size() < 2) return false;
  double lo = xs[0], hi = xs[0];
  for (size_t i = 0; i < xs.size(); ++i) {
    if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) return false;
    lo = std::min(lo, xs[i]);
    hi = std::max(hi, xs[i]);
  }
  if (lo == hi) return false;
  Fit.Init();
  for (size_t i = 0; i < xs.size(); ++i) Fit.EnterStatValue(xs[i], ys[i]);
  double q = 0;
  Fit.CalcLinFit(k, d, q);
  return std::isfinite(k) && std::isfinite(d);
}

}  // namespace

TMapCalibration::TMapCalibration(TComponent* AOwner) : TComponent(AOwner) {
  FGratMat.assign(1, GratRow{});
}

TMapCalibration::~TMapCalibration() = default;

void TMapCalibration::Changed() {
  if (OnChange) OnChange(this);
}

void TMapCalibration::SetCalibModel(TCalibModel Value) {
  if (Value < TCalibModel::cmParabolicIp || Value > TCalibModel::cmUndefined)
    Value = TCalibModel::cmUndefined;
  if (Value != FModel) FRestoreBiQuadOK = FRestoreParaIpOK = false;
  FModel = Value;
  RecalcCalibration();
}

void TMapCalibration::SetImageSize(int32_t Width, int32_t Height) {
  FWidth = std::max(Width, 0);
  FHeight = std::max(Height, 0);
  CalcExtentsAndResolution();
}

void TMapCalibration::SetEllipsoid(TGeoEllipsoid Value) {
  auto i = static_cast<int32_t>(Value);
  if (i >= 0 && i < static_cast<int32_t>(GeoEllipsoidId.size())) FData.Ellipsoid = Value;
}

void TMapCalibration::RecalcCalibration() {
  RecalcGratMat();
  FitModel();
  CalcExtentsAndResolution();
  Changed();
}

bool TMapCalibration::RecalcGratMat() {
  std::vector<GratRow> rows(static_cast<size_t>(FData.NumCalLines));
  int32_t npar = 0, nmer = 0;
  for (int32_t k = 0; k < FData.NumCalLines; ++k) {
    const TCalibLine& L = FData.CalLines[k];
    GratRow& r = rows[k];
    r.Parallel = L.LineType == TGratLineKind::gtlParallel;
    r.Value = L.LineValue;
    if (L.NumPoints > 2) {
      TCurveFit cf(nullptr);
      for (int32_t i = 0; i < L.NumPoints; ++i) {
        const TPoint& p = L.CalPoints[i];
        if (r.Parallel)
          cf.EnterStatValue(p.x, p.y);
        else
          cf.EnterStatValue(p.y, p.x);
      }
      double q = 0;
      cf.CalcParabolFit(r.k0, r.k1, r.k2, q);
      r.Fitted = std::isfinite(r.k0) && std::isfinite(r.k1) && std::isfinite(r.k2) &&
                 std::isfinite(r.Value);
      if (r.Fitted) ++(r.Parallel ? npar : nmer);
    }
  }
  if (npar > 1 && nmer > 1) {
    FGratMat = std::move(rows);
    return true;
  }
  FGratMat.assign(1, GratRow{});
  return false;
}

void TMapCalibration::FitModel() {
  std::fill(&FCalParsPLSP[0][0], &FCalParsPLSP[0][0] + 12, 0.0);
  std::fill(&FCalParsSPPL[0][0], &FCalParsSPPL[0][0] + 12, 0.0);
  std::fill(&FEquRectPLSP[0][0], &FEquRectPLSP[0][0] + 6, 0.0);
  std::fill(&FEquRectSPPL[0][0], &FEquRectSPPL[0][0] + 6, 0.0);
  std::fill(std::begin(FMillercylPar), std::end(FMillercylPar), 0.0);
  std::fill(std::begin(FConicPars), std::end(FConicPars), 0.0);
  FConicFitted = false;
  FLinFitted = false;
  const int32_t n = FData.NumCalQuads;
  const auto& Q = FData.CalQuads;
  switch (FModel) {
    case TCalibModel::cmBiquadraticPn:
    case TCalibModel::cmEquiRect:
    case TCalibModel::cmUTM: {
      if (n < 1) return;
      const bool biq = FModel == TCalibModel::cmBiquadraticPn;
      const size_t k = biq ? 6 : 3;
      TDouble2DArray Apix(k, TDoubleArray(n)), Ageo(k, TDoubleArray(n));
      TDoubleArray lat(n), lon(n), px(n), py(n);
      auto fill = [&](TDouble2DArray& A, int32_t i, double u, double v) {
        A[0][i] = 1;
        A[1][i] = u;
        A[2][i] = v;
        if (biq) {
          A[3][i] = u * u;
          A[4][i] = u * v;
          A[5][i] = v * v;
        }
      };
      for (int32_t i = 0; i < n; ++i) {
        fill(Apix, i, Q[i].MapX, Q[i].MapY);
        fill(Ageo, i, Q[i].Latitude, Q[i].Longitude);
        lat[i] = Q[i].Latitude;
        lon[i] = Q[i].Longitude;
        px[i] = Q[i].MapX;
        py[i] = Q[i].MapY;
      }
      if (biq) {
        FLinFitted = FitBasis(Apix, lat, FCalParsPLSP[0]) & FitBasis(Apix, lon, FCalParsPLSP[1]) &
                     FitBasis(Ageo, px, FCalParsSPPL[0]) & FitBasis(Ageo, py, FCalParsSPPL[1]);
      } else {
        FLinFitted = FitBasis(Apix, lat, FEquRectPLSP[0]) & FitBasis(Apix, lon, FEquRectPLSP[1]) &
                     FitBasis(Ageo, px, FEquRectSPPL[0]) & FitBasis(Ageo, py, FEquRectSPPL[1]);
      }
      return;
    }
    case TCalibModel::cmMillerCylindrical: {
      if (n < 3) return;
      std::vector<double> lam(n), mer(n), xs(n), ys(n);
      for (int32_t i = 0; i < n; ++i) {
        lam[i] = Q[i].Longitude * kDeg;
        mer[i] = std::log(std::tan(0.4 * Q[i].Latitude * kDeg + std::numbers::pi / 4));
        xs[i] = Q[i].MapX;
        ys[i] = Q[i].MapY;
      }
      double k = 0, d = 0;
      TCurveFit fit(nullptr);
      if (LineFit(fit, lam, xs, k, d)) {
        FMillercylPar[2] = k;
        FMillercylPar[3] = d;
      }
      if (LineFit(fit, mer, ys, k, d)) {
        FMillercylPar[0] = k;
        FMillercylPar[1] = d;
      }
      return;
    }
    case TCalibModel::cmConicConformal: FitConic(); return;
    default: return;
  }
}

void TMapCalibration::FitConic() {
  const int32_t n = FData.NumCalQuads;
  if (n < 3) return;
  const auto& Q = FData.CalQuads;
  for (int32_t i = 0; i < n; ++i)
    if (!std::isfinite(Q[i].Latitude) || !std::isfinite(Q[i].Longitude)) return;

  TCurveFit fit(nullptr);
  std::vector<double> r(n), lat(n), th, lon;
  th.reserve(n);
  lon.reserve(n);
  // Cost of a trial apex, or false when a line fit is undetermined there.
  auto evaluate = [&](int64_t x0, int64_t y0, double(&p)[6], double& cost) {
    for (int32_t i = 0; i < n; ++i) {
      r[i] = std::hypot(double(Q[i].MapX - x0), double(Q[i].MapY - y0));
      lat[i] = Q[i].Latitude;
    }
    th.clear();
    lon.clear();
    for (int32_t i = 0; i < n; ++i)
      if (Q[i].MapY != y0) {
        th.push_back(std::atan(double(Q[i].MapX - x0) / double(Q[i].MapY - y0)));
        lon.push_back(Q[i].Longitude);
      }
    double c1, c2, c3, c4;
    if (!LineFit(fit, r, lat, c1, c2) || !LineFit(fit, th, lon, c3, c4)) return false;
    long double sl = 0, sg = 0;
    for (int32_t i = 0; i < n; ++i) {
      long double e = lat[i] - (c1 * r[i] + c2);
      sl += e * e;
    }
    for (size_t i = 0; i < th.size(); ++i) {
      long double e = lon[i] - (c3 * th[i] + c4);
      sg += e * e;
    }
    // Mean squares: eLat^2 + eLong^2, both divided by the count of all points.
    cost = static_cast<double>((sl + sg) / n);
    p[0] = double(x0);
    p[1] = double(y0);
    p[2] = c1;
    p[3] = c2;
    p[4] = c3;
    p[5] = c4;
    return std::isfinite(cost);
  };

  int64_t minx = FWidth, maxx = 0, miny = FHeight, maxy = 0;
  for (int32_t i = 0; i < n; ++i) {
    minx = std::min<int64_t>(minx, Q[i].MapX);
    maxx = std::max<int64_t>(maxx, Q[i].MapX);
    miny = std::min<int64_t>(miny, Q[i].MapY);
    maxy = std::max<int64_t>(maxy, Q[i].MapY);
  }
  int64_t cx = (minx + maxx) / 2, cy = (miny + maxy) / 2;
  double best = 1e10, bestp[6] = {}, p[6];
  bool found = false;
  int64_t bx = cx, by = cy;
  for (int64_t step = 1000000; step >= 1; step /= 2) {
    for (int i = -2; i <= 2; ++i)
      for (int j = -2; j <= 2; ++j) {
        double cost = 0;
        if (evaluate(cx + i * step, cy + j * step, p, cost) && cost < best) {
          best = cost;
          std::copy(std::begin(p), std::end(p), bestp);
          bx = cx + i * step;
          by = cy + j * step;
          found = true;
        }
      }
    cx = bx;
    cy = by;
  }
  if (found) {
    std::copy(std::begin(bestp), std::end(bestp), FConicPars);
    FConicFitted = FConicPars[2] != 0 && FConicPars[4] != 0;
  }
}

// ---------------------------------------------------------------------------
// Conversions
// ---------------------------------------------------------------------------

bool TMapCalibration::GratLatLong(bool Latitude, int32_t x, int32_t y, double& Value) const {
  // Latitude: the parallels nearest in y; longitude: the meridians nearest in x.
  const double along = Latitude ? x : y, across = Latitude ? y : x;
  int32_t a = -1, b = -1;
  double da = 1e20, db = 1e20, ca = 0, cb = 0;
  for (size_t k = 0; k < FGratMat.size(); ++k) {
    const GratRow& r = FGratMat[k];
    if (!r.Fitted || r.Parallel != Latitude) continue;
    double c = r.k0 + r.k1 * along + r.k2 * along * along;
    double d = std::fabs(across - c);
    if (d < da) {
      b = a, db = da, cb = ca;
      a = int32_t(k), da = d, ca = c;
    } else if (d < db) {
      b = int32_t(k), db = d, cb = c;
    }
  }
  if (a < 0 || b < 0 || ca == cb) return false;
  Value = (FGratMat[a].Value - FGratMat[b].Value) * (across - cb) / (ca - cb) + FGratMat[b].Value;
  return std::isfinite(Value);
}

double TMapCalibration::CalcLatLong(bool Latitude, int32_t x, int32_t y, bool& valid) const {
  double v = 0;
  valid = false;
  const double X = x, Y = y;
  const int row = Latitude ? 0 : 1;
  if ((FModel == TCalibModel::cmBiquadraticPn || FModel == TCalibModel::cmEquiRect ||
       FModel == TCalibModel::cmUTM) &&
      !FLinFitted)
    return 0;
  switch (FModel) {
    case TCalibModel::cmParabolicIp: valid = GratLatLong(Latitude, x, y, v); break;
    case TCalibModel::cmBiquadraticPn: {
      const double* p = FCalParsPLSP[row];
      v = p[0] + p[1] * X + p[2] * Y + p[3] * X * X + p[4] * X * Y + p[5] * Y * Y;
      valid = true;
      break;
    }
    case TCalibModel::cmConicConformal:
      if (FConicFitted) {
        v = Latitude
                ? FConicPars[2] * std::hypot(X - FConicPars[0], Y - FConicPars[1]) + FConicPars[3]
                : FConicPars[4] * std::atan((X - FConicPars[0]) / (Y - FConicPars[1])) +
                      FConicPars[5];
        valid = true;
      }
      break;
    case TCalibModel::cmMillerCylindrical:
      if (Latitude && FMillercylPar[0] != 0) {
        v = 2.5 *
            (std::atan(std::exp((Y - FMillercylPar[1]) / FMillercylPar[0])) -
             std::numbers::pi / 4) /
            kDeg;
        valid = true;
      } else if (!Latitude && FMillercylPar[2] != 0) {
        v = (X - FMillercylPar[3]) / FMillercylPar[2] / kDeg;
        valid = true;
      }
      break;
    case TCalibModel::cmEquiRect:
      v = FEquRectPLSP[row][0] + FEquRectPLSP[row][1] * X + FEquRectPLSP[row][2] * Y;
      valid = true;
      break;
    case TCalibModel::cmUTM: {
      double lat = 0, lon = 0;
      UTMToLatLong(FEquRectPLSP[1][0] + FEquRectPLSP[1][1] * X + FEquRectPLSP[1][2] * Y,
                   FEquRectPLSP[0][0] + FEquRectPLSP[0][1] * X + FEquRectPLSP[0][2] * Y,
                   FData.UTMZone, FData.UTMSouth, FData.Ellipsoid, lat, lon);
      v = Latitude ? lat : lon;
      valid = true;
      break;
    }
    default: break;
  }
  if (!valid || !std::isfinite(v)) {
    valid = false;
    return 0;
  }
  return v;
}

double TMapCalibration::CalcLatitude(int32_t x, int32_t y, bool& valid) const {
  return CalcLatLong(true, x, y, valid);
}

double TMapCalibration::CalcLongitude(int32_t x, int32_t y, bool& valid) const {
  return CalcLatLong(false, x, y, valid);
}

double TMapCalibration::CalcLatitude(const TPoint& APoint, bool& valid) const {
  return CalcLatitude(APoint.x, APoint.y, valid);
}

double TMapCalibration::CalcLongitude(const TPoint& APoint, bool& valid) const {
  return CalcLongitude(APoint.x, APoint.y, valid);
}

bool TMapCalibration::GratPixel(double Lat, double Long, int32_t& x, int32_t& y) const {
  // The two fitted lines of a kind whose values lie nearest to V.
  auto nearest = [&](bool parallel, double V, int32_t& a, int32_t& b) {
    a = b = -1;
    double da = 1e20, db = 1e20;
    for (size_t k = 0; k < FGratMat.size(); ++k) {
      const GratRow& r = FGratMat[k];
      if (!r.Fitted || r.Parallel != parallel) continue;
      double d = std::fabs(V - r.Value);
      if (d < da) {
        b = a, db = da;
        a = int32_t(k), da = d;
      } else if (d < db) {
        b = int32_t(k), db = d;
      }
    }
    return a >= 0 && b >= 0 && FGratMat[a].Value != FGratMat[b].Value;
  };
  int32_t ma, mb, pa, pb;
  if (!nearest(false, Long, ma, mb) || !nearest(true, Lat, pa, pb)) return false;
  auto interp = [&](int32_t a, int32_t b, double V, double c[3]) {
    const GratRow &A = FGratMat[a], &B = FGratMat[b];
    const double t = (V - B.Value) / (A.Value - B.Value);
    c[0] = (A.k0 - B.k0) * t + B.k0;
    c[1] = (A.k1 - B.k1) * t + B.k1;
    c[2] = (A.k2 - B.k2) * t + B.k2;
  };
  double m[3], p[3];
  interp(ma, mb, Long, m);
  interp(pa, pb, Lat, p);
  double X = 0, Y = 500;
  for (int round = 0; round < 15; ++round) {
    X = m[0] + m[1] * Y + m[2] * Y * Y;
    Y = p[0] + p[1] * X + p[2] * X * X;
    if (std::fabs(X) > 50000 && std::fabs(Y) > 50000) return false;
  }
  int32_t xi, yi;
  if (!ToPixel(X, xi) || !ToPixel(Y, yi)) return false;
  x = xi;
  y = yi;
  return true;
}

bool TMapCalibration::CalcPixelCoords(double Lat, double Long, int32_t& x, int32_t& y) const {
  double X = 0, Y = 0;
  if ((FModel == TCalibModel::cmBiquadraticPn || FModel == TCalibModel::cmEquiRect ||
       FModel == TCalibModel::cmUTM) &&
      !FLinFitted)
    return false;
  switch (FModel) {
    case TCalibModel::cmParabolicIp: return GratPixel(Lat, Long, x, y);
    case TCalibModel::cmBiquadraticPn: {
      const double* a = FCalParsSPPL[0];
      const double* b = FCalParsSPPL[1];
      X = a[0] + a[1] * Lat + a[2] * Long + a[3] * Lat * Lat + a[4] * Lat * Long +
          a[5] * Long * Long;
      Y = b[0] + b[1] * Lat + b[2] * Long + b[3] * Lat * Lat + b[4] * Lat * Long +
          b[5] * Long * Long;
      break;
    }
    case TCalibModel::cmConicConformal: {
      if (!FConicFitted) return false;
      const double* c = FConicPars;
      const double t = std::tan((Long - c[5]) / c[4]);
      const double s = std::sqrt(t * t + 1);
      const double r = (Lat - c[3]) / c[2];
      // The calibration lies on the side of the apex where latitude falls
      // with r when C1 < 0 (apex towards the north), whatever the point's sign.
      const double dy = c[2] < 0 ? r / s : -r / s;
      int32_t yi, xi;
      if (!ToPixel(c[1] + dy, yi)) return false;
      if (!ToPixel(t * (yi - c[1]) + c[0], xi)) return false;
      x = xi;
      y = yi;
      return true;
    }
    case TCalibModel::cmMillerCylindrical:
      if (FMillercylPar[0] == 0 || FMillercylPar[2] == 0) return false;
      X = Long * kDeg * FMillercylPar[2] + FMillercylPar[3];
      Y = std::log(std::tan(0.4 * Lat * kDeg + std::numbers::pi / 4)) * FMillercylPar[0] +
          FMillercylPar[1];
      break;
    case TCalibModel::cmEquiRect:
      X = FEquRectSPPL[0][0] + FEquRectSPPL[0][1] * Lat + FEquRectSPPL[0][2] * Long;
      Y = FEquRectSPPL[1][0] + FEquRectSPPL[1][1] * Lat + FEquRectSPPL[1][2] * Long;
      break;
    case TCalibModel::cmUTM: {
      // The calibration's own zone: a sheet that reaches past the zone edge
      // must not jump to the neighbouring zone's grid.
      double tx = 0, ty = 0;
      LatLongToTM(Lat * kDeg, Long * kDeg, UTMCentralMeridian(FData.UTMZone), FData.Ellipsoid, tx,
                  ty);
      const double E = 0.9996 * tx + 500000.0;
      const double N = 0.9996 * ty + (FData.UTMSouth ? 1e7 : 0.0);
      X = FEquRectSPPL[0][0] + FEquRectSPPL[0][1] * N + FEquRectSPPL[0][2] * E;
      Y = FEquRectSPPL[1][0] + FEquRectSPPL[1][1] * N + FEquRectSPPL[1][2] * E;
      break;
    }
    default: return false;
  }
  int32_t xi, yi;
  if (!ToPixel(X, xi) || !ToPixel(Y, yi)) return false;
  x = xi;
  y = yi;
  return true;
}

bool TMapCalibration::CalcUTMCoords(int32_t x, int32_t y, double& Northing, double& Easting) const {
  Northing = Easting = 0;
  if (FModel != TCalibModel::cmUTM || !FLinFitted) return false;
  const double X = x, Y = y;
  const double n = FEquRectPLSP[0][0] + FEquRectPLSP[0][1] * X + FEquRectPLSP[0][2] * Y;
  const double e = FEquRectPLSP[1][0] + FEquRectPLSP[1][1] * X + FEquRectPLSP[1][2] * Y;
  if (!std::isfinite(n) || !std::isfinite(e)) return false;
  Northing = n;
  Easting = e;
  return true;
}

std::vector<TMapCalibration::TGratCurve> TMapCalibration::GetGratCurves() const {
  std::vector<TGratCurve> curves;
  for (const GratRow& r : FGratMat)
    if (r.Fitted) curves.push_back({r.Parallel, r.Value, r.k0, r.k1, r.k2});
  return curves;
}

bool TMapCalibration::CalcPixelCoordsUTM(double Northing, double Easting, int32_t& x,
                                         int32_t& y) const {
  if (FModel != TCalibModel::cmUTM || !FLinFitted) {
    x = y = 0;
    return false;
  }
  int32_t xi, yi;
  if (!ToPixel(FEquRectSPPL[0][0] + FEquRectSPPL[0][1] * Northing + FEquRectSPPL[0][2] * Easting,
               xi) ||
      !ToPixel(FEquRectSPPL[1][0] + FEquRectSPPL[1][1] * Northing + FEquRectSPPL[1][2] * Easting,
               yi))
    return false;
  x = xi;
  y = yi;
  return true;
}

int32_t TMapCalibration::CalcUTMyFromNorthingX(double Northing, int32_t x) const {
  const double(&a)[3] = FEquRectSPPL[0];
  const double(&b)[3] = FEquRectSPPL[1];
  if (a[2] == 0) return 0;
  const double E = (x - a[0] - a[1] * Northing) / a[2];
  int32_t y = 0;
  return ToPixel(b[0] + b[1] * Northing + b[2] * E, y) ? y : 0;
}

int32_t TMapCalibration::CalcUTMxFromEastingY(double Easting, int32_t y) const {
  const double(&a)[3] = FEquRectSPPL[0];
  const double(&b)[3] = FEquRectSPPL[1];
  if (b[1] == 0) return 0;
  const double N = (y - b[0] - b[2] * Easting) / b[1];
  int32_t x = 0;
  return ToPixel(a[0] + a[1] * N + a[2] * Easting, x) ? x : 0;
}

// ---------------------------------------------------------------------------
// Points
// ---------------------------------------------------------------------------

bool TMapCalibration::StoreLinePoint(TGratLineKind Kind, double Value, int32_t x, int32_t y) {
  int32_t k = 0;
  while (k < FData.NumCalLines &&
         !(FData.CalLines[k].LineType == Kind && FData.CalLines[k].LineValue == Value))
    ++k;
  if (k == FData.NumCalLines) {
    if (k >= kMaxCalLines) return false;
    FData.CalLines[k] = TCalibLine{Kind, Value, 0, {}};
    ++FData.NumCalLines;
  }
  TCalibLine& L = FData.CalLines[k];
  if (L.NumPoints >= kMaxLinePoints) return false;
  L.CalPoints[L.NumPoints++] = TPoint{x, y};
  return true;
}

bool TMapCalibration::StoreQuad(double a, double b, int32_t x, int32_t y) {
  if (FData.NumCalQuads >= kMaxCalQuads) return false;
  FData.CalQuads[FData.NumCalQuads++] = TCalQuad{a, b, x, y};
  return true;
}

void TMapCalibration::RemoveLinePointAt(int32_t Line, int32_t Point) {
  TCalibLine& L = FData.CalLines[Line];
  L.CalPoints[Point] = L.CalPoints[L.NumPoints - 1];
  if (--L.NumPoints == 0) {
    FData.CalLines[Line] = FData.CalLines[FData.NumCalLines - 1];
    --FData.NumCalLines;
  }
}

bool TMapCalibration::AddCalibPoint(TGratLineKind GratLineKind, double LineValue, int32_t PixPosX,
                                    int32_t PixPosY) {
  if (FModel != TCalibModel::cmParabolicIp)
    throw EZELGeoMapError(ComponentMessage(
        "current calibration model does not support this version of AddCalibPoint"));
  const bool ok = StoreLinePoint(GratLineKind, LineValue, PixPosX, PixPosY);
  RecalcCalibration();
  return ok;
}

bool TMapCalibration::AddCalibPoint(double Latit, double Longit, int32_t PixPosX, int32_t PixPosY) {
  if (FModel < TCalibModel::cmBiquadraticPn || FModel > TCalibModel::cmEquiRect)
    throw EZELGeoMapError(ComponentMessage(
        "current calibration model does not support this version of AddCalibPoint"));
  const bool ok = StoreQuad(Latit, Longit, PixPosX, PixPosY);
  RecalcCalibration();
  return ok;
}

bool TMapCalibration::AddCalibPoint(double Northing, double Easting, int32_t Zone,
                                    THemisphere Hemisphere, int32_t PixPosX, int32_t PixPosY) {
  if (FModel != TCalibModel::cmUTM)
    throw EZELGeoMapError(ComponentMessage(
        "current calibration model does not support this version of AddCalibPoint"));
  if (Zone != FData.UTMZone || (Hemisphere == THemisphere::hemiSouth) != FData.UTMSouth)
    throw EZELGeoMapError(ComponentMessage("UTM zone parameter changed"));
  const bool ok = StoreQuad(Northing, Easting, PixPosX, PixPosY);
  RecalcCalibration();
  return ok;
}

bool TMapCalibration::RemoveCalibPoint(TGratLineKind GratLineKind, double LineValue,
                                       int32_t PixPosX, int32_t PixPosY) {
  if (FModel != TCalibModel::cmParabolicIp)
    throw EZELGeoMapError(ComponentMessage(
        "current calibration model does not support this version of RemoveCalibPoint"));
  bool done = false;
  for (int32_t k = 0; k < FData.NumCalLines && !done; ++k) {
    const TCalibLine& L = FData.CalLines[k];
    if (L.LineType != GratLineKind || L.LineValue != LineValue) continue;
    for (int32_t i = 0; i < L.NumPoints; ++i)
      if (L.CalPoints[i].x == PixPosX && L.CalPoints[i].y == PixPosY) {
        RemoveLinePointAt(k, i);
        done = true;
        break;
      }
  }
  RecalcCalibration();
  return done;
}

bool TMapCalibration::RemoveCalibPoint(int32_t PixPosX, int32_t PixPosY) {
  auto dist2 = [&](int32_t x, int32_t y) {
    const int64_t dx = int64_t(x) - PixPosX, dy = int64_t(y) - PixPosY;
    // Squares of differences of int32 values fit in uint64 without overflow.
    return uint64_t(dx * dx) + uint64_t(dy * dy);
  };
  bool done = false;
  if (FModel == TCalibModel::cmParabolicIp) {
    int32_t bl = -1, bp = -1;
    uint64_t best = 0;
    for (int32_t k = 0; k < FData.NumCalLines; ++k)
      for (int32_t i = 0; i < FData.CalLines[k].NumPoints; ++i) {
        const TPoint& p = FData.CalLines[k].CalPoints[i];
        const uint64_t d = dist2(p.x, p.y);
        if (bl < 0 || d < best) bl = k, bp = i, best = d;
      }
    if (bl >= 0) {
      FParaIpOops = FData.CalLines[bl].CalPoints[bp];
      FParaIpOopsKind = FData.CalLines[bl].LineType;
      FParaIpOopsValue = FData.CalLines[bl].LineValue;
      FRestoreParaIpOK = true;
      RemoveLinePointAt(bl, bp);
      done = true;
    }
  } else if (IsQuadModel(FModel)) {
    int32_t bi = -1;
    uint64_t best = 0;
    for (int32_t i = 0; i < FData.NumCalQuads; ++i) {
      const uint64_t d = dist2(FData.CalQuads[i].MapX, FData.CalQuads[i].MapY);
      if (bi < 0 || d < best) bi = i, best = d;
    }
    if (bi >= 0) {
      FBiQuadOops = FData.CalQuads[bi];
      FRestoreBiQuadOK = true;
      FData.CalQuads[bi] = FData.CalQuads[FData.NumCalQuads - 1];
      --FData.NumCalQuads;
      done = true;
    }
  } else {
    return false;
  }
  RecalcCalibration();
  return done;
}

bool TMapCalibration::RestoreLastDeletedCalPoint() {
  if (FModel == TCalibModel::cmParabolicIp && FRestoreParaIpOK) {
    FRestoreParaIpOK = false;
    return AddCalibPoint(FParaIpOopsKind, FParaIpOopsValue, FParaIpOops.x, FParaIpOops.y);
  }
  if (IsQuadModel(FModel) && FRestoreBiQuadOK) {
    FRestoreBiQuadOK = false;
    const TCalQuad q = FBiQuadOops;
    if (FModel == TCalibModel::cmUTM)
      return AddCalibPoint(q.Latitude, q.Longitude, FData.UTMZone, GetUTMHemisphere(), q.MapX,
                           q.MapY);
    return AddCalibPoint(q.Latitude, q.Longitude, q.MapX, q.MapY);
  }
  return false;
}

void TMapCalibration::ClearCalibData() {
  std::string name = std::move(FData.MapFName), caption = std::move(FData.Caption);
  FData = TCalibData{};
  FData.MapFName = std::move(name);
  FData.Caption = std::move(caption);
  FRestoreBiQuadOK = FRestoreParaIpOK = false;
  RecalcGratMat();
  FitModel();
  Changed();
}

// ---------------------------------------------------------------------------
// Corners, resolution, quality
// ---------------------------------------------------------------------------

void TMapCalibration::CalcExtentsAndResolution() {
  bool v = false;
  const int32_t px[4] = {0, 0, FWidth, FWidth}, py[4] = {0, FHeight, FHeight, 0};
  for (int c = 0; c < 4; ++c) {
    FData.Corners[c].Latit = CalcLatitude(px[c], py[c], v);
    FData.Corners[c].Longit = CalcLongitude(px[c], py[c], v);
  }
  if (FWidth < 1) {
    FData.Resolution = 0;
    return;
  }
  const int32_t ym = FHeight / 2;
  const double la1 = CalcLatitude(0, ym, v), lo1 = CalcLongitude(0, ym, v);
  const double la2 = CalcLatitude(FWidth, ym, v), lo2 = CalcLongitude(FWidth, ym, v);
  double D = SphereGreatCircleDist(lo1, la1, lo2, la2, kEarthR);
  const double dl = lo2 - lo1;
  // The great circle takes the short way round; a map wider than 180 degrees
  // spans the long way.
  if (dl > 360)
    D += kFullCircle;
  else if (dl > 180)
    D = kFullCircle - D;
  FData.Resolution = D / FWidth;
}

void TMapCalibration::CalibQuality(double& QualX, double& QualY) const {
  QualX = QualY = 0;
  TCurveFit fx(nullptr), fy(nullptr);
  if (IsQuadModel(FModel))
    for (int32_t i = 0; i < FData.NumCalQuads; ++i) {
      const TCalQuad& q = FData.CalQuads[i];
      int32_t x = 0, y = 0;
      const bool ok = FModel == TCalibModel::cmUTM
                          ? CalcPixelCoordsUTM(q.Latitude, q.Longitude, x, y)
                          : CalcPixelCoords(q.Latitude, q.Longitude, x, y);
      if (!ok) continue;
      fx.EnterStatValue(q.MapX, x);
      fy.EnterStatValue(q.MapY, y);
    }
  int32_t nd;
  double mx, my, sx, sy, md, rxy;
  fx.CalcStatistics(nd, mx, my, sx, sy, md, QualX, rxy);
  fy.CalcStatistics(nd, mx, my, sx, sy, md, QualY, rxy);
}

}  // namespace zel
