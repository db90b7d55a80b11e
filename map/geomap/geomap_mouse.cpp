// TGeoMap: mouse interaction, XOR feedback on the control's surface, the
// mouse trace and the modal box entry.
#include <algorithm>
#include <cmath>

#include "core/zel_system.hpp"
#include "map/geomap/zel_geomap.hpp"

namespace zel {

namespace {

bool IsPan(TMouseActMode m) {
  return m == TMouseActMode::maPan || m == TMouseActMode::maPanHoriz ||
         m == TMouseActMode::maPanVert;
}

}  // namespace

double TGeoMap::GetLastClickLatitude() const {
  bool valid = false;
  const double v = FCalib->CalcLatitude(FLastMClickPosX, FLastMClickPosY, valid);
  return valid ? v : 0.0;
}

double TGeoMap::GetLastClickLongitude() const {
  bool valid = false;
  const double v = FCalib->CalcLongitude(FLastMClickPosX, FLastMClickPosY, valid);
  return valid ? v : 0.0;
}

TPoint TGeoMap::ClampToControl(int32_t X, int32_t Y) const {
  return {std::clamp(X, 0, std::max(0, GetWidth() - 1)),
          std::clamp(Y, 0, std::max(0, GetHeight() - 1))};
}

// ---------------------------------------------------------------------------
// XOR feedback, drawn on the surface between paints (drawing it twice
// restores the picture)
// ---------------------------------------------------------------------------

void TGeoMap::XorRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, bool Dotted) {
  TCanvas& c = GetCanvas();
  TCanvasStateSaver keep(c);
  c.GetPen().SetMode(TPenMode::pmXor);
  c.GetPen().SetColor(clWhite);
  c.GetPen().SetWidth(1);
  c.GetPen().SetStyle(Dotted ? TPenStyle::psDot : TPenStyle::psSolid);
  c.GetBrush().SetStyle(TBrushStyle::bsClear);
  c.Rectangle(std::min(x0, x1), std::min(y0, y1), std::max(x0, x1) + 1, std::max(y0, y1) + 1);
  SurfaceChanged();
}

void TGeoMap::XorLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  TCanvas& c = GetCanvas();
  TCanvasStateSaver keep(c);
  c.GetPen().SetMode(TPenMode::pmXor);
  c.GetPen().SetColor(clWhite);
  c.GetPen().SetWidth(1);
  c.GetPen().SetStyle(TPenStyle::psSolid);
  c.Line(x0, y0, x1, y1);
  SurfaceChanged();
}

void TGeoMap::EndGesture() {
  if (FRectDrawn)
    XorRect(FAnchor.x, FAnchor.y, FLastPos.x, FLastPos.y,
            FMouseAction == TMouseActMode::maSelectRect);
  if (FFeedbackShown) XorLine(FAnchor.x, FAnchor.y, FLastPos.x, FLastPos.y);
  FRectDrawn = FFeedbackShown = false;
  FZoomState = TZoomState::zsIdle;
  FRubberBandOn = false;
  FLeftDown = false;
  FPanAnchored = false;
}

// ---------------------------------------------------------------------------
// Mouse entry points
// ---------------------------------------------------------------------------

void TGeoMap::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  const TPoint p = ControlToMapImage({X, Y});
  FLastMClickPosX = p.x;
  FLastMClickPosY = p.y;
  const bool left = Button == TMouseButton::mbLeft;
  const bool inside = X >= 0 && Y >= 0 && X < GetWidth() && Y < GetHeight();
  if (FMouseBoxState == TMouseBoxState::mbsStarted) {
    if (left) {
      Update();
      FLeftDown = true;
      FAnchor = FLastPos = ClampToControl(X, Y);
      XorRect(FAnchor.x, FAnchor.y, FLastPos.x, FLastPos.y, false);
      FRectDrawn = true;
    }
  } else if (IsPan(FMouseAction)) {
    if (left) {
      FLeftDown = true;
      FPanAnchored = false;
    }
  } else if (FMouseAction == TMouseActMode::maRubberBand) {
    if (left) {
      Update();
      if (!FRubberBandOn) {
        FRubberBandOn = true;
        FAnchor = FLastPos = {X, Y};
        FFeedbackShown = false;
        if (OnBeginRubberBand) OnBeginRubberBand(this, p);
      } else if (Shift.Contains(TShiftStateItem::ssCtrl)) {
        // The segment drawn so far stays; the band goes on from here.
        FAnchor = FLastPos = {X, Y};
        FFeedbackShown = false;
        if (OnContinueRubberBand) OnContinueRubberBand(this, p);
      } else {
        if (FFeedbackShown) XorLine(FAnchor.x, FAnchor.y, FLastPos.x, FLastPos.y);
        FFeedbackShown = false;
        FRubberBandOn = false;
        if (OnEndRubberBand) OnEndRubberBand(this, p);
      }
    }
  } else if (FMouseAction == TMouseActMode::maZoomWindow) {
    if (left && inside) {
      Update();
      FZoomState = TZoomState::zsRectStarted;
      FAnchor = FLastPos = {X, Y};
      XorRect(FAnchor.x, FAnchor.y, FLastPos.x, FLastPos.y, false);
      FRectDrawn = true;
    }
  } else if (FMouseAction == TMouseActMode::maZoomDrag) {
    if (left) {
      FLeftDown = true;
      FLastPos = {X, Y};
      FDragCentre = {FTopLeft.x + GetWidth() / 2.0 / FMagnify,
                     FTopLeft.y + GetHeight() / 2.0 / FMagnify};
    }
  } else if (FMouseAction == TMouseActMode::maSelectRect) {
    if (left) {
      Update();
      FLeftDown = true;
      FAnchor = FLastPos = ClampToControl(X, Y);
      XorRect(FAnchor.x, FAnchor.y, FLastPos.x, FLastPos.y, true);
      FRectDrawn = true;
      if (OnBeginRubberBand) OnBeginRubberBand(this, p);
    }
  } else if (FMouseAction == TMouseActMode::maMouseTrace) {
    if (left) FLeftDown = true;
  }
  TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TGeoMap::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  const TPoint p = ControlToMapImage({X, Y});
  FLastMMousePosX = p.x;
  FLastMMousePosY = p.y;
  const int32_t w = GetWidth(), h = GetHeight();
  const bool inside = X >= 0 && Y >= 0 && X < w && Y < h;
  const auto moveRect = [&](bool dotted) {
    const TPoint q = ClampToControl(X, Y);
    if (FRectDrawn) XorRect(FAnchor.x, FAnchor.y, FLastPos.x, FLastPos.y, dotted);
    FLastPos = q;
    XorRect(FAnchor.x, FAnchor.y, FLastPos.x, FLastPos.y, dotted);
    FRectDrawn = true;
  };
  if (FMouseBoxState == TMouseBoxState::mbsStarted) {
    if (FLeftDown) moveRect(false);
  } else if (IsPan(FMouseAction)) {
    if (FLeftDown && !FPanAnchored) {
      FPanAnchored = true;
      FAnchor = {X, Y};
      FAnchorTopLeft = FTopLeft;
    } else if (FLeftDown && inside) {
      const auto axis = [&](int32_t top, int32_t a, int32_t m) {
        return SaturateToInt32(static_cast<long double>(top) +
                               Round((static_cast<long double>(a) - m) / FMagnify));
      };
      if (FMouseAction != TMouseActMode::maPanVert)
        FTopLeft.x = axis(FAnchorTopLeft.x, FAnchor.x, X);
      if (FMouseAction != TMouseActMode::maPanHoriz)
        FTopLeft.y = axis(FAnchorTopLeft.y, FAnchor.y, Y);
      if (FConfinePan) PanMapToFillWindow();
      Invalidate();
      if (OnZoomPan) OnZoomPan(this);
    }
  } else if (FMouseAction == TMouseActMode::maRubberBand) {
    if (FRubberBandOn) {
      if (FFeedbackShown) XorLine(FAnchor.x, FAnchor.y, FLastPos.x, FLastPos.y);
      FLastPos = {X, Y};
      XorLine(FAnchor.x, FAnchor.y, FLastPos.x, FLastPos.y);
      FFeedbackShown = true;
    }
  } else if (FMouseAction == TMouseActMode::maZoomWindow) {
    if (FZoomState == TZoomState::zsRectStarted) moveRect(false);
  } else if (FMouseAction == TMouseActMode::maZoomDrag) {
    if (FLeftDown && w > 0 && h > 0) {
      const double f = std::clamp(
          1.0 + static_cast<double>(X - FLastPos.x) / w + static_cast<double>(FLastPos.y - Y) / h,
          0.5, 2.0);
      FLastPos = {X, Y};
      FMagnify = std::clamp(FMagnify * f, kMinMagnification, kMaxMagnification);
      FTopLeft = {RoundToInt32(FDragCentre.x - w / 2.0 / FMagnify),
                  RoundToInt32(FDragCentre.y - h / 2.0 / FMagnify)};
      Invalidate();
      if (OnZoomPan) OnZoomPan(this);
    }
  } else if (FMouseAction == TMouseActMode::maSelectRect) {
    if (FLeftDown) moveRect(true);
  } else if (FMouseAction == TMouseActMode::maMouseTrace) {
    if (FLeftDown && FZoomState == TZoomState::zsIdle &&
        FMTrace.size() < static_cast<size_t>(kMaxMTracePoints)) {
      FMTrace.push_back({FTopLeft.x + X / FMagnify, FTopLeft.y + Y / FMagnify,
                         FMTraceInvert ? kMTraceInvert : 0u, FColorMTrace});
      Invalidate();
    }
  }
  TGraphicControl::MouseMove(Shift, X, Y);
}

void TGeoMap::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  const bool left = Button == TMouseButton::mbLeft;
  const int32_t w = GetWidth(), h = GetHeight();
  if (FMouseBoxState == TMouseBoxState::mbsStarted) {
    if (left && FLeftDown) {
      if (FRectDrawn) XorRect(FAnchor.x, FAnchor.y, FLastPos.x, FLastPos.y, false);
      FRectDrawn = false;
      FLeftDown = false;
      const TPoint q = ClampToControl(X, Y);
      FBoxLo = {std::min(FAnchor.x, q.x), std::min(FAnchor.y, q.y)};
      FBoxHi = {std::max(FAnchor.x, q.x), std::max(FAnchor.y, q.y)};
      FMouseBoxState = TMouseBoxState::mbsDone;
    }
  } else if (IsPan(FMouseAction) || FMouseAction == TMouseActMode::maZoomDrag) {
    if (left && FLeftDown) {
      FLeftDown = false;
      FPanAnchored = false;
      ZoomStateOnStack();
    }
  } else if (FMouseAction == TMouseActMode::maZoomWindow) {
    if (FZoomState == TZoomState::zsRectStarted && (left || Button == TMouseButton::mbRight)) {
      if (FRectDrawn) XorRect(FAnchor.x, FAnchor.y, FLastPos.x, FLastPos.y, false);
      FRectDrawn = false;
      FZoomState = TZoomState::zsIdle;
      const TPoint q = ClampToControl(X, Y);
      if (left && q.x != FAnchor.x && q.y != FAnchor.y) {
        const TPoint a = ControlToMapImage(FAnchor), b = ControlToMapImage(q);
        const int64_t dx = std::abs(int64_t{a.x} - b.x), dy = std::abs(int64_t{a.y} - b.y);
        // Below one map pixel there is nothing to zoom to (and dx = 0 would
        // divide by zero).
        if (dx >= 1 && dy >= 1) {
          const double m = std::clamp(std::min(static_cast<double>(w) / static_cast<double>(dx),
                                               static_cast<double>(h) / static_cast<double>(dy)),
                                      kMinMagnification, kMaxMagnification);
          const long double left0 = std::min(a.x, b.x), top0 = std::min(a.y, b.y);
          FMagnify = m;
          FTopLeft = {SaturateToInt32(left0 + Round((dx - w / static_cast<long double>(m)) / 2)),
                      SaturateToInt32(top0 + Round((dy - h / static_cast<long double>(m)) / 2))};
          Invalidate();
          if (OnZoomPan) OnZoomPan(this);
        }
      }
    }
  } else if (FMouseAction == TMouseActMode::maSelectRect) {
    if (left && FLeftDown) {
      FLeftDown = false;
      if (FRectDrawn) XorRect(FAnchor.x, FAnchor.y, FLastPos.x, FLastPos.y, true);
      FRectDrawn = false;
      const TPoint a = ControlToMapImage(FAnchor), b = ControlToMapImage(ClampToControl(X, Y));
      bool v1 = false, v2 = false, v3 = false, v4 = false;
      const double lat1 = FCalib->CalcLatitude(a.x, a.y, v1);
      const double lon1 = FCalib->CalcLongitude(a.x, a.y, v2);
      const double lat2 = FCalib->CalcLatitude(b.x, b.y, v3);
      const double lon2 = FCalib->CalcLongitude(b.x, b.y, v4);
      if (OnSelectRect) {
        if (v1 && v2 && v3 && v4)
          OnSelectRect(this, true, lat1, lon1, lat2, lon2);
        else
          OnSelectRect(this, false, a.x, a.y, b.x, b.y);
      }
    }
  } else if (FMouseAction == TMouseActMode::maMouseTrace) {
    if (left && FLeftDown) {
      FLeftDown = false;
      if (!FMTrace.empty()) FMTrace.back().Flags |= kMTraceEndOfStroke;
    }
  }
  TGraphicControl::MouseUp(Button, Shift, X, Y);
}

// ---------------------------------------------------------------------------
// Box entry and trace
// ---------------------------------------------------------------------------

bool TGeoMap::MouseBox(int32_t& xLo, int32_t& yLo, int32_t& xHi, int32_t& yHi) {
  if (FMouseBoxState != TMouseBoxState::mbsOff) return false;
  const TMouseActMode saved = FMouseAction;
  SetMouseAction(TMouseActMode::maNone);
  FMouseBoxState = TMouseBoxState::mbsStarted;
  Application().ProcessMessagesUntil(
      [this] { return FMouseBoxState != TMouseBoxState::mbsStarted; });
  const bool done = FMouseBoxState == TMouseBoxState::mbsDone;
  if (FRectDrawn) XorRect(FAnchor.x, FAnchor.y, FLastPos.x, FLastPos.y, false);
  FRectDrawn = false;
  FLeftDown = false;
  FMouseBoxState = TMouseBoxState::mbsOff;
  FMouseAction = saved;
  if (done) {
    xLo = FBoxLo.x;
    yLo = FBoxLo.y;
    xHi = FBoxHi.x;
    yHi = FBoxHi.y;
  }
  return done;
}

void TGeoMap::MouseBoxAbort() {
  if (FMouseBoxState == TMouseBoxState::mbsStarted) FMouseBoxState = TMouseBoxState::mbsOff;
}

TMTracePoint TGeoMap::GetMTracePoint(int32_t Index) const {
  if (Index < 0 || Index >= GetNumMTracePoints()) return {};
  return FMTrace[static_cast<size_t>(Index)];
}

void TGeoMap::ClearMouseTrace() {
  FMTrace.clear();
  Invalidate();
}

}  // namespace zel
