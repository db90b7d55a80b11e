// TGeoMap: the landmark list wired into the control (events, repaint) and
// into rendering steps 6 and 8.
#include "map/geomap/zel_geomap.hpp"

namespace zel {

void TGeoMap::WireLandMarks() {
  // The list's events stay installed for the control's lifetime and pass
  // through to the control's own members, so a handler assigned or replaced
  // at any time (even from inside another handler) is the one asked.
  FLandMarks.OnLandMarkAction = [this](TObject* Sender, bool& Allow, const TLandMark& LandMark,
                                       TLandMarkAction Action) {
    if (OnLandMarkAction) OnLandMarkAction(Sender, Allow, LandMark, Action);
  };
  FLandMarks.OnDrawLandmark = [this](TObject* Sender, bool& Handled, const TLandMark& LandMark,
                                     TPoint Position, TCanvas& Canvas) {
    if (OnDrawLandmark) OnDrawLandmark(Sender, Handled, LandMark, Position, Canvas);
  };
  FLandMarks.OnChanged = [this] { Invalidate(); };
}

void TGeoMap::DrawLandmarkLayer(TCanvas& c, bool HighlightOnly) {
  TLandMarkView view;
  view.Width = GetWidth();
  view.Height = GetHeight();
  view.ToControl = [this](double Lat, double Long, TPoint& Pixel) {
    int32_t x = 0, y = 0;
    if (!CalcPixelCoords(Lat, Long, x, y)) return false;
    Pixel = MapImageToControl({x, y});
    return true;
  };
  if (HighlightOnly) {
    FLandMarks.DrawHighLightedLandMark(c, view);
    return;
  }
  // The thinning counts only what lies inside the view: the geographic
  // positions of the control's corners, in TCorners order.
  TCornerArray corners{};
  const TPoint ctrl[4] = {{0, 0}, {0, view.Height}, {view.Width, view.Height}, {view.Width, 0}};
  bool allValid = true;
  for (size_t i = 0; i < 4 && allValid; ++i) {
    const TPoint p = ControlToMapImage(ctrl[i]);
    bool vLat = false, vLong = false;
    corners[i].Latit = CalcLatitude(p.x, p.y, vLat);
    corners[i].Longit = CalcLongitude(p.x, p.y, vLong);
    allValid = vLat && vLong;
  }
  if (allValid)
    view.InView = [corners](double Lat, double Long) { return PositionInMap(Lat, Long, corners); };
  FLandMarks.DrawLandMarks(c, view);
}

}  // namespace zel
