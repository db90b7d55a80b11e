// TGeoMap: rendering into the off-screen buffer, graticules and grids, the
// mouse trace, and the generated empty map.
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/zel_filesys.hpp"
#include "core/zel_system.hpp"
#include "gui/zel_imagefiles.hpp"
#include "map/geomap/zel_geomap.hpp"
#include "num/analysis/zel_sline.hpp"
#include "num/math1/zel_math1.hpp"

namespace zel {

namespace {

// Coordinates handed to the canvas stay well inside 32 bits; segments that
// reach further are cut in floating point first, so their visible part keeps
// its slope.
constexpr double kDrawLimit = 1 << 20;

bool Near(const TPointDouble& p) {
  return std::fabs(p.x) <= kDrawLimit && std::fabs(p.y) <= kDrawLimit;
}

// Liang-Barsky clipping of a segment to the square |x|, |y| <= kDrawLimit.
bool ClipSegment(TPointDouble& a, TPointDouble& b) {
  if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y))
    return false;
  const double dx = b.x - a.x, dy = b.y - a.y;
  double t0 = 0, t1 = 1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x + kDrawLimit, kDrawLimit - a.x, a.y + kDrawLimit, kDrawLimit - a.y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, r);
    else
      t1 = std::min(t1, r);
    if (t0 > t1) return false;
  }
  const TPointDouble a0 = a;
  a = {a0.x + t0 * dx, a0.y + t0 * dy};
  b = {a0.x + t1 * dx, a0.y + t1 * dy};
  return true;
}

TPoint ToPoint(const TPointDouble& p) { return {RoundToInt32(p.x), RoundToInt32(p.y)}; }

}  // namespace

// ---------------------------------------------------------------------------
// Paint and the buffer
// ---------------------------------------------------------------------------

void TGeoMap::Paint() {
  if (FSuppressPaint) return;
  const int32_t w = GetWidth(), h = GetHeight();
  if (w <= 0 || h <= 0) return;
  ConstructInternalMapImg();
  TCanvas& c = GetCanvas();
  c.SetCopyMode(TCopyMode::cmSrcCopy);
  c.CopyRect({0, 0, w, h}, FAuxBmp.GetCanvas(), {0, 0, w, h});
  FFeedbackShown = false;
  FRectDrawn = false;
}

void TGeoMap::ConstructInternalMapImg() {
  const int32_t w = GetWidth(), h = GetHeight();
  if (w <= 0 || h <= 0) return;
  if (FAuxBmp.GetWidth() < w || FAuxBmp.GetHeight() < h)
    FAuxBmp.SetSize(std::max(w, FAuxBmp.GetWidth()), std::max(h, FAuxBmp.GetHeight()));
  FAuxBmp.SetPixelFormat(TPixelFormat::pf15bit);
  TCanvas& c = FAuxBmp.GetCanvas();
  c.SetClipRect({0, 0, w, h});
  c.SetCopyMode(TCopyMode::cmSrcCopy);
  c.GetPen().SetStyle(TPenStyle::psSolid);
  c.GetPen().SetMode(TPenMode::pmCopy);
  c.GetPen().SetWidth(1);
  c.GetBrush().SetStyle(TBrushStyle::bsSolid);
  c.GetBrush().SetColor(FColorBakGnd);
  c.FillRect({0, 0, w, h});
  if (FGrafBmp.GetEmpty() || IsDesigning()) {
    c.GetFont().SetColor(FFrameColor);
    c.TextOut(10, 10, FEmptyMsg);
  } else {
    DrawImage(c, w, h);
    if (OnBeforeRenderData) OnBeforeRenderData(this, c);
    DrawGraticule(c, w, h);
    DrawLandmarkLayer(c, false);
    if (OnDataRendered) OnDataRendered(this, c);
    DrawLandmarkLayer(c, true);
    DrawMouseTrace(c);
  }
  c.GetPen().SetMode(TPenMode::pmCopy);
  DrawFrame(c, FFrameStyle, {0, 0, w - 1, h - 1}, FColBlackLine, FColGrayLine, clSilver,
            FColWhiteLine);
  c.ClearClipRect();
}

void TGeoMap::DrawImage(TCanvas& c, int32_t w, int32_t h) {
  const TStretchMode mode = FAntiAlias ? TStretchMode::smHalftone : TStretchMode::smColorOnColor;
  const long double m = FMagnify;
  if (FMagnify < FCacheMagLimit && (FCacheMag != FMagnify || FCacheAA != FAntiAlias)) {
    const int32_t cw = std::max(1, RoundToInt32(FMapImgWidth * m));
    const int32_t ch = std::max(1, RoundToInt32(FMapImgHeight * m));
    FImgCache.SetSize(cw, ch);
    TCanvas& cc = FImgCache.GetCanvas();
    cc.SetStretchMode(mode);
    cc.StretchDraw({0, 0, cw, ch}, FGrafBmp);
    FCacheMag = FMagnify;
    FCacheAA = FAntiAlias;
  }
  if (!FImgCache.GetEmpty() && FCacheMag == FMagnify && FCacheAA == FAntiAlias) {
    const int64_t sx = RoundToInt64(m * FTopLeft.x), sy = RoundToInt64(m * FTopLeft.y);
    if (sx >= FImgCache.GetWidth() || sy >= FImgCache.GetHeight() || sx + w <= 0 || sy + h <= 0)
      return;
    const auto x = static_cast<int32_t>(sx), y = static_cast<int32_t>(sy);
    c.CopyRect({0, 0, w, h}, FImgCache.GetCanvas(), {x, y, x + w, y + h});
    return;
  }
  // Whole source pixels from TopLeft, each exactly M control pixels wide, so
  // the picture lies where MapImageToControl puts the graticule.
  const int64_t sw = std::max<int64_t>(1, static_cast<int64_t>(std::ceil(w / m)));
  const int64_t sh = std::max<int64_t>(1, static_cast<int64_t>(std::ceil(h / m)));
  const int64_t x0 = FTopLeft.x, y0 = FTopLeft.y;
  if (x0 >= FMapImgWidth || y0 >= FMapImgHeight || x0 + sw <= 0 || y0 + sh <= 0) return;
  // Cut the source to the image (plus one pixel) so that every number fits
  // 32 bits; the destination follows at the same scale.
  const int64_t cx0 = std::max<int64_t>(x0, -1), cy0 = std::max<int64_t>(y0, -1);
  const int64_t cx1 = std::min<int64_t>(x0 + sw, FMapImgWidth + 1);
  const int64_t cy1 = std::min<int64_t>(y0 + sh, FMapImgHeight + 1);
  const auto dx0 = RoundToInt32((cx0 - x0) * m), dy0 = RoundToInt32((cy0 - y0) * m);
  const auto dx1 = RoundToInt32((cx1 - x0) * m), dy1 = RoundToInt32((cy1 - y0) * m);
  c.SetStretchMode(mode);
  c.CopyRect({dx0, dy0, dx1, dy1}, FGrafBmp.GetCanvas(),
             {static_cast<int32_t>(cx0), static_cast<int32_t>(cy0), static_cast<int32_t>(cx1),
              static_cast<int32_t>(cy1)});
}

// ---------------------------------------------------------------------------
// Lines in control coordinates of any size
// ---------------------------------------------------------------------------

void TGeoMap::DrawSegmentF(TCanvas& c, TPointDouble a, TPointDouble b) const {
  if (!(Near(a) && Near(b)) && !ClipSegment(a, b)) return;
  const TPoint p = ToPoint(a), q = ToPoint(b);
  c.MoveTo(p.x, p.y);
  c.LineTo(q.x, q.y);
}

void TGeoMap::DrawPolylineF(TCanvas& c, const std::vector<TPointDouble>& pts) const {
  if (pts.size() < 2) return;
  if (std::all_of(pts.begin(), pts.end(), Near)) {
    std::vector<TPoint> ip(pts.size());
    std::transform(pts.begin(), pts.end(), ip.begin(), ToPoint);
    c.Polyline(ip);
    return;
  }
  for (size_t i = 1; i < pts.size(); ++i) DrawSegmentF(c, pts[i - 1], pts[i]);
}

// ---------------------------------------------------------------------------
// Graticules
// ---------------------------------------------------------------------------

void TGeoMap::DrawGraticule(TCanvas& c, int32_t w, int32_t h) {
  if (FShowGrat == TShowGrat::sgNone) return;
  c.GetPen().SetColor(FColorGratLine);
  c.GetPen().SetStyle(TPenStyle::psSolid);
  c.GetPen().SetMode(TPenMode::pmCopy);
  const TCalibModel model = FCalib->GetCalibModel();
  const bool lines = FShowGrat == TShowGrat::sgLines || FShowGrat == TShowGrat::sgPointsAndLines;
  const bool utm = FShowGrat == TShowGrat::sgUTMGrid || FShowGrat == TShowGrat::sgPointsAndUTMGrid;
  if (lines) {
    if (model == TCalibModel::cmParabolicIp)
      DrawParabolicGrat(c, w, h);
    else
      DrawLatLongGrat(c, w, h);
  } else if (utm && model == TCalibModel::cmUTM) {
    DrawUTMGrid(c, w, h);
  }
  if (FShowGrat == TShowGrat::sgPoints || FShowGrat == TShowGrat::sgPointsAndLines ||
      FShowGrat == TShowGrat::sgPointsAndUTMGrid)
    DrawCalibPoints(c);
}

void TGeoMap::DrawParabolicGrat(TCanvas& c, int32_t w, int32_t h) {
  const long double m = FMagnify;
  std::vector<TPointDouble> pts;
  for (const TMapCalibration::TGratCurve& g : FCalib->GetGratCurves()) {
    const long double start = g.Parallel ? FTopLeft.x : FTopLeft.y;
    const long double span = (g.Parallel ? w : h) / m;
    // One point per map pixel, or per span/65536 when zoomed far out.
    const long double step = std::max(1.0L, span / 65536);
    const auto n = static_cast<int64_t>(std::ceil(span / step));
    pts.clear();
    for (int64_t i = 0; i <= n; ++i) {
      const long double u = start + i * step;
      const long double v = g.k0 + g.k1 * u + g.k2 * u * u;
      pts.push_back(g.Parallel
                        ? MapImageToControlF(static_cast<double>(u), static_cast<double>(v))
                        : MapImageToControlF(static_cast<double>(v), static_cast<double>(u)));
    }
    DrawPolylineF(c, pts);
  }
}

void TGeoMap::DrawLatLongGrat(TCanvas& c, int32_t, int32_t) {
  const TCalibModel model = FCalib->GetCalibModel();
  const TCalibData& d = FCalib->GetCalibData();
  if (model == TCalibModel::cmUndefined || model == TCalibModel::cmParabolicIp) return;
  if (d.NumCalQuads <= (model == TCalibModel::cmBiquadraticPn ? 5 : 2)) return;
  const auto& k = d.Corners;
  const auto tl = k[static_cast<size_t>(TCorners::gcoTopLeft)];
  const auto bl = k[static_cast<size_t>(TCorners::gcoBottomLeft)];
  const auto br = k[static_cast<size_t>(TCorners::gcoBottomRight)];
  const auto tr = k[static_cast<size_t>(TCorners::gcoTopRight)];
  const double south = std::min(bl.Latit, br.Latit), north = std::max(tl.Latit, tr.Latit);
  const double west = std::min(tl.Longit, bl.Longit), east = std::max(tr.Longit, br.Longit);
  // A north-down or mirrored image has its extent the other way round.
  const double latMin = std::min(south, north), latMax = std::max(south, north);
  const double lonMin = std::min(west, east), lonMax = std::max(west, east);
  const auto spacing = [&](double extent) {
    if (!std::isfinite(extent) || extent <= 0) return 0.0;
    if (FGratLineDist > 0) return FGratLineDist;
    double s = 1;
    for (int i = 0; i < kMaxGratDivisions && extent / s < 1; ++i) s /= 10;
    return s;
  };
  const double sLat = spacing(latMax - latMin), sLon = spacing(lonMax - lonMin);
  if (sLat <= 0 || sLon <= 0) return;
  int32_t stepsPar = 10, stepsMer = 10;
  if (model == TCalibModel::cmBiquadraticPn || model == TCalibModel::cmMillerCylindrical)
    stepsPar = stepsMer = 100;
  if (model == TCalibModel::cmConicConformal) {
    stepsPar = 100;
    stepsMer = 1;
  }
  std::vector<TPointDouble> pts;
  const auto trace = [&](bool parallel, double value, double from, double to, int32_t steps) {
    pts.clear();
    for (int32_t i = 0; i <= steps; ++i) {
      const double t = from + (to - from) * i / steps;
      int32_t x = 0, y = 0;
      if (parallel ? FCalib->CalcPixelCoords(value, t, x, y)
                   : FCalib->CalcPixelCoords(t, value, x, y))
        pts.push_back(MapImageToControlF(x, y));
    }
    DrawPolylineF(c, pts);
  };
  for (int pass = 0; pass < 2; ++pass) {
    const bool parallel = pass == 0;
    const double s = parallel ? sLat : sLon;
    const double lo = parallel ? latMin : lonMin, hi = parallel ? latMax : lonMax;
    // The first multiple of the spacing inside the extent: truncation would put
    // a line outside the map whenever the extent starts above 0.
    const double first = std::ceil(lo / s) * s;
    for (int32_t i = 0; i < kMaxGratLines; ++i) {
      const double v = first + i * s;
      if (!(v < hi)) break;
      if (parallel)
        trace(true, v, lonMin, lonMax, stepsPar);
      else
        trace(false, v, latMin, latMax, stepsMer);
    }
  }
}

void TGeoMap::DrawUTMGrid(TCanvas& c, int32_t, int32_t) {
  const int32_t W = FMapImgWidth, H = FMapImgHeight;
  double nLo = std::numeric_limits<double>::infinity(), nHi = -nLo, eLo = nLo, eHi = -nLo;
  const TPoint corners[4] = {{0, 0}, {0, H}, {W, H}, {W, 0}};
  for (const TPoint& p : corners) {
    double n = 0, e = 0;
    if (!FCalib->CalcUTMCoords(p.x, p.y, n, e)) return;
    nLo = std::min(nLo, n);
    nHi = std::max(nHi, n);
    eLo = std::min(eLo, e);
    eHi = std::max(eHi, e);
  }
  TSLine line(nullptr);
  const auto draw = [&](bool northing, double lo, double hi) {
    double s = FUTMGridDist;
    if (s <= 0) s = std::max(1.0, Round125((hi - lo) / 10));
    if (!std::isfinite(s) || !(hi - lo >= 0)) return;
    const double first = std::ceil(lo / s) * s;
    for (int32_t i = 0; i < kMaxGratLines; ++i) {
      const double v = first + i * s;
      if (v > hi) break;
      double ax, ay, bx, by;
      if (northing) {
        ax = 0;
        ay = FCalib->CalcUTMyFromNorthingX(v, 0);
        bx = W;
        by = FCalib->CalcUTMyFromNorthingX(v, W);
      } else {
        ay = 0;
        ax = FCalib->CalcUTMxFromEastingY(v, 0);
        by = H;
        bx = FCalib->CalcUTMxFromEastingY(v, H);
      }
      double x1, y1, x2, y2;
      if (!line.LineFrom2Points(ax, ay, bx, by)) continue;
      if (!line.ClipBox(0, 0, W, H, x1, y1, x2, y2)) continue;
      DrawSegmentF(c, MapImageToControlF(x1, y1), MapImageToControlF(x2, y2));
    }
  };
  draw(true, nLo, nHi);
  draw(false, eLo, eHi);
}

void TGeoMap::DrawCalibMarker(TCanvas& c, TPointDouble p) {
  if (!Near(p)) return;
  const TPoint q = ToPoint(p);
  const int32_t a = q.x, b = q.y;
  c.GetPen().SetColor(FColorGratPoints);
  c.Line(a - 8, b, a + 9, b);
  c.Line(a, b - 8, a, b + 9);
  for (int32_t d = 8; d <= 10; ++d) {
    c.GetPen().SetColor(d == 9 ? clWhite : FColorGratPoints);
    c.Polyline({{a, b - d}, {a + d, b}, {a, b + d}, {a - d, b}, {a, b - d}});
  }
}

void TGeoMap::DrawCalibPoints(TCanvas& c) {
  const TCalibData& d = FCalib->GetCalibData();
  if (FCalib->GetCalibModel() == TCalibModel::cmParabolicIp) {
    for (int32_t k = 0; k < d.NumCalLines; ++k) {
      const TCalibLine& l = d.CalLines[static_cast<size_t>(k)];
      for (int32_t i = 0; i < l.NumPoints; ++i) {
        const TPoint& p = l.CalPoints[static_cast<size_t>(i)];
        DrawCalibMarker(c, MapImageToControlF(p.x, p.y));
      }
    }
  } else {
    for (int32_t k = 0; k < d.NumCalQuads; ++k) {
      const TCalQuad& q = d.CalQuads[static_cast<size_t>(k)];
      DrawCalibMarker(c, MapImageToControlF(q.MapX, q.MapY));
    }
  }
  c.GetPen().SetColor(FColorGratLine);
}

// ---------------------------------------------------------------------------
// Mouse trace
// ---------------------------------------------------------------------------

void TGeoMap::DrawMouseTrace(TCanvas& Canvas) const {
  if (FMTrace.size() < 2) return;
  TCanvasStateSaver keep(Canvas);
  Canvas.GetPen().SetStyle(TPenStyle::psSolid);
  Canvas.GetPen().SetWidth(1);
  for (size_t i = 1; i < FMTrace.size(); ++i) {
    const TMTracePoint& p = FMTrace[i - 1];
    const TMTracePoint& q = FMTrace[i];
    if (p.Flags & kMTraceEndOfStroke) continue;
    Canvas.GetPen().SetColor(q.Color);
    Canvas.GetPen().SetMode((q.Flags & kMTraceInvert) ? TPenMode::pmXor : TPenMode::pmCopy);
    DrawSegmentF(Canvas, MapImageToControlF(p.x, p.y), MapImageToControlF(q.x, q.y));
  }
}

// ---------------------------------------------------------------------------
// Generated empty maps
// ---------------------------------------------------------------------------

TBitmap TGeoMap::MakeEmptyMap(double& LatLow, double& LongLow, double& LatHigh, double& LongHigh,
                              double dLat, double dLong, int32_t& Wid, int32_t& Hgt, bool ShowGrid,
                              const TOnDrawMapDataEvent& OnDrawMapData) {
  if (!std::isfinite(LatLow) || !std::isfinite(LongLow) || !std::isfinite(LatHigh) ||
      !std::isfinite(LongHigh))
    throw EZELGeoMapError(ComponentMessage("invalid bounds of the empty map"));
  if (LatLow > LatHigh) std::swap(LatLow, LatHigh);
  if (LongLow > LongHigh) std::swap(LongLow, LongHigh);
  if (!(dLat > 0) || !std::isfinite(dLat)) dLat = 1;
  if (!(dLong > 0) || !std::isfinite(dLong)) dLong = 1;
  // A zero span would divide by zero in every position below.
  if (LatHigh - LatLow <= 0) LatHigh = LatLow + dLat;
  if (LongHigh - LongLow <= 0) LongHigh = LongLow + dLong;
  if (!std::isfinite(LatHigh - LatLow) || !std::isfinite(LongHigh - LongLow) ||
      LatHigh - LatLow <= 0 || LongHigh - LongLow <= 0)
    throw EZELGeoMapError(ComponentMessage("invalid bounds of the empty map"));
  Wid = std::max(Wid, 100);
  Hgt = std::max(Hgt, 100);
  CheckImageSize(Wid, Hgt);
  TBitmap bmp(Wid, Hgt, TPixelFormat::pf24bit);
  TCanvas& c = bmp.GetCanvas();
  if (ShowGrid) {
    c.GetBrush().SetStyle(TBrushStyle::bsClear);
    c.GetPen().SetColor(clBlack);
    c.Rectangle(30, 30, Wid - 30, Hgt - 30);
    c.GetPen().SetStyle(TPenStyle::psDot);
    c.Rectangle(26, 26, Wid - 26, Hgt - 26);
    const auto label = [](double v, double spacing, const char* neg, const char* pos) {
      const TDegreeFormat f = spacing <= 0.06                  ? TDegreeFormat::dfDegMinSec
                              : spacing != std::trunc(spacing) ? TDegreeFormat::dfDegMin
                                                               : TDegreeFormat::dfDeg;
      return " " + DegreeToStr(std::fabs(v), f, 0) + (v < 0 ? neg : pos);
    };
    c.GetFont().SetColor(clBlack);
    for (int pass = 0; pass < 2; ++pass) {
      const bool parallel = pass == 0;
      const double s = parallel ? dLat : dLong;
      const double lo = parallel ? LatLow : LongLow, hi = parallel ? LatHigh : LongHigh;
      const double first = std::trunc(lo / s) * s;
      for (int32_t i = 0; i < kMaxGratLines; ++i) {
        const double v = first + i * s;
        if (v > hi) break;
        c.GetPen().SetColor(clSilver);
        c.GetPen().SetStyle(TPenStyle::psDash);
        if (parallel) {
          const int32_t y = Hgt - 30 - RoundToInt32((v - LatLow) / (LatHigh - LatLow) * (Hgt - 60));
          if (y <= 30 || y >= Hgt - 30) continue;
          c.Line(30, y, Wid - 30, y);
          const std::string t = label(v, s, " S ", " N ");
          c.TextOut(36, y - c.TextHeight(t) / 2, t);
          c.TextOut(Wid - 36 - c.TextWidth(t), y - c.TextHeight(t) / 2, t);
        } else {
          const int32_t x = 30 + RoundToInt32((v - LongLow) / (LongHigh - LongLow) * (Wid - 60));
          if (x <= 30 || x >= Wid - 30) continue;
          c.Line(x, 30, x, Hgt - 30);
          const std::string t = label(v, s, " W ", " E ");
          c.TextOut(x - c.TextWidth(t) / 2, 32, t);
          c.TextOut(x - c.TextWidth(t) / 2, Hgt - 32 - c.TextHeight(t), t);
        }
      }
    }
    c.GetPen().SetStyle(TPenStyle::psSolid);
    c.GetBrush().SetStyle(TBrushStyle::bsSolid);
  }
  if (OnDrawMapData) OnDrawMapData(this, c, Wid, Hgt, LatLow, LongLow, LatHigh, LongHigh);
  return bmp;
}

void TGeoMap::CreateEmptyMapInMemory(double LatLow, double LongLow, double LatHigh, double LongHigh,
                                     double dLat, double dLong, int32_t Wid, int32_t Hgt,
                                     bool ShowGrid, const TOnDrawMapDataEvent& OnDrawMapData) {
  TBitmap bmp = MakeEmptyMap(LatLow, LongLow, LatHigh, LongHigh, dLat, dLong, Wid, Hgt, ShowGrid,
                             OnDrawMapData);
  UseImage(std::move(bmp), "$unknown$");
  const TNotifyEvent onChange = std::move(FCalib->OnChange);
  FCalib->OnChange = nullptr;
  FCalib->ClearCalibData();
  FCalib->SetMapFName("$unknown$");
  FCalib->SetCaption("Map generated by TGeoMap");
  FCalib->SetCalibModel(TCalibModel::cmEquiRect);
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) {
      const double lat = LatLow + (i - 1) * (LatHigh - LatLow) / 2;
      const double lon = LongLow + (j - 1) * (LongHigh - LongLow) / 2;
      int32_t x, y;
      if (ShowGrid) {
        x = RoundToInt32((j - 1) * (Wid - 60) / 2.0 + 30);
        y = RoundToInt32(Hgt - 30 - (i - 1) * (Hgt - 60) / 2.0);
      } else {
        x = RoundToInt32((j - 1) * Wid / 2.0);
        y = RoundToInt32(Hgt - Hgt * (i - 1) / 2.0);
      }
      FCalib->AddCalibPoint(lat, lon, x, y);
    }
  FCalib->OnChange = onChange;
  FCalib->RecalcCalibration();
}

bool TGeoMap::CreateAndLoadEmptyMap(const std::string& FName, double LatLow, double LongLow,
                                    double LatHigh, double LongHigh, double dLat, double dLong,
                                    int32_t Wid, int32_t Hgt, bool ShowGrid,
                                    const TOnDrawMapDataEvent& OnDrawMapData) {
  CreateEmptyMapInMemory(LatLow, LongLow, LatHigh, LongHigh, dLat, dLong, Wid, Hgt, ShowGrid,
                         OnDrawMapData);
  const std::string bmpName = StripExtension(FName) + ".bmp";
  const std::string xmlName = StripExtension(FName) + ".xml";
  try {
    WriteFileBytes(bmpName, EncodeBMP(FGrafBmp));
  } catch (const EZELError&) {
    return false;
  }
  // The calibration must name the image it is stored with, or reloading the
  // pair finds no picture.
  FCalib->SetMapFName(StripPath(bmpName));
  if (!SaveCalDataAsXML(xmlName, "ZEL_geomap_caldata")) return false;
  return LoadCalDataFromXML(xmlName, "ZEL_geomap_caldata");
}

}  // namespace zel
