#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include "core/zel_filesys.hpp"
#include "core/zel_stringl.hpp"
#include "gui/zel_resources.hpp"
#include "map/geomap/zel_geoatlas.hpp"

namespace zel {

namespace {

// Below the zoom-out start value of 1e10 metres per pixel every real map fits.
constexpr double kZoomOutStart = 1e10;

}  // namespace

// ---------------------------------------------------------------------------
// Creation
// ---------------------------------------------------------------------------

TGeoAtlas::TGeoAtlas(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(100, 50, 480, 320);

  FGeoMap = new TGeoMap(this);
  FGeoMap->SetParent(this);
  FGeoMap->SetAlign(TAlign::alClient);

  FCPanel = new TPanel(this);
  FCPanel->SetParent(this);
  FCPanel->SetHeight(kAtlasPanelHeight);
  FCPanel->SetAlign(TAlign::alTop);

  FSBPoint = new TSpeedButton(this);
  FSBPoint->SetParent(FCPanel);
  FSBPoint->SetBounds(4, 4, kAtlasButtonSize, kAtlasButtonSize);
  FSBPoint->SetGroupIndex(1);
  FSBPoint->SetGlyph(ResourceBitmap("POINTR"));

  FSBZoom = new TSpeedButton(this);
  FSBZoom->SetParent(FCPanel);
  FSBZoom->SetBounds(4 + kAtlasButtonSize, 4, kAtlasButtonSize, kAtlasButtonSize);
  FSBZoom->SetGroupIndex(1);
  FSBZoom->SetGlyph(ResourceBitmap("ZOOMIN"));
  FSBPoint->SetDown(true);

  FCboxMaps = new TComboBox(this);
  FCboxMaps->SetParent(FCPanel);
  FCboxMaps->SetStyle(TComboBoxStyle::csDropDownList);
  FCboxMaps->SetBounds(FSBZoom->GetLeft() + FSBZoom->GetWidth() + 10, 5, kAtlasSelectorWidth,
                       FCboxMaps->GetHeight());

  Screen().SetCursors(crGeoZoom, ResourceCursor("CURGEOZOOM"));
  Screen().SetCursors(crGeoHand, ResourceCursor("CURGEOHAND"));

  FSBPoint->OnClick = [this](TObject* Sender) { ButtonClick(Sender); };
  FSBZoom->OnClick = [this](TObject* Sender) { ButtonClick(Sender); };
  FCboxMaps->OnChange = [this](TObject*) { SelectorChange(); };
  FGeoMap->OnMapImageRequest = [this](TObject*, std::string& FileName) {
    MapImageRequest(FileName);
  };
  FGeoMap->OnDataRendered = [this](TObject*, TCanvas& Canvas) { DrawOutlines(Canvas); };
  FGeoMap->OnMouseDown = [this](TObject*, TMouseButton Button, TShiftState Shift, int32_t X,
                                int32_t Y) { MapMouseDown(Button, Shift, X, Y); };
  FGeoMap->OnMouseMove = [this](TObject*, TShiftState Shift, int32_t X, int32_t Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X + FGeoMap->GetLeft(), Y + FGeoMap->GetTop());
  };
  FGeoMap->OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState Shift, int32_t X,
                              int32_t Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X + FGeoMap->GetLeft(), Y + FGeoMap->GetTop());
  };
  FGeoMap->OnClick = [this](TObject*) { Click(); };
  FGeoMap->OnDblClick = [this](TObject*) { DblClick(); };
}

TGeoAtlas::~TGeoAtlas() {
  // The parts outlive this destructor body (the owner frees them later):
  // nothing of theirs may call back into the half-destroyed atlas.
  FSBPoint->OnClick = nullptr;
  FSBZoom->OnClick = nullptr;
  FCboxMaps->OnChange = nullptr;
  FGeoMap->OnMapImageRequest = nullptr;
  FGeoMap->OnDataRendered = nullptr;
  FGeoMap->OnMouseDown = nullptr;
  FGeoMap->OnMouseMove = nullptr;
  FGeoMap->OnMouseUp = nullptr;
  FGeoMap->OnClick = nullptr;
  FGeoMap->OnDblClick = nullptr;
}

// ---------------------------------------------------------------------------
// Look
// ---------------------------------------------------------------------------

void TGeoAtlas::SetMapOutlineColor(TColor Value) {
  FMapOLColor = Value;
  FGeoMap->Invalidate();
}

void TGeoAtlas::SetMapOutlineVisible(bool Value) {
  FMapOLVisible = Value;
  FGeoMap->Invalidate();
}

void TGeoAtlas::SetMinResDiff(double Value) {
  if (std::isfinite(Value)) FMinResDiff = Value;
}

// ---------------------------------------------------------------------------
// The map table
// ---------------------------------------------------------------------------

TMapDefinition TGeoAtlas::GetMapDef(int32_t ix) const {
  if (ix < 1 || ix > GetNumRegMaps()) return {};
  return FRegMaps[static_cast<size_t>(ix - 1)];
}

void TGeoAtlas::FillSelector() {
  const int32_t shown = FCboxMaps->GetItemIndex();
  std::vector<std::string> items;
  items.reserve(FRegMaps.size());
  for (const TMapDefinition& m : FRegMaps)
    items.push_back(m.Caption.empty() ? m.MapFName : m.Caption);
  FCboxMaps->SetItems(items);
  FCboxMaps->SetItemIndex(shown);
}

bool TGeoAtlas::RegisterMap(const std::string& MapFName) {
  TCalibData data;
  TCalibModel model = TCalibModel::cmUndefined;
  if (!ParseCalibData(MapFName, "", data, model)) return false;
  const std::string key = LowerCaseAscii(MapFName);
  auto it = std::find_if(FRegMaps.begin(), FRegMaps.end(), [&](const TMapDefinition& m) {
    return LowerCaseAscii(m.MapFName) == key;
  });
  if (it == FRegMaps.end()) {
    if (GetNumRegMaps() >= kMaxAtlasMaps) return false;
    FRegMaps.push_back(TMapDefinition{MapFName, {}, 0, {}});
    it = FRegMaps.end() - 1;
  }
  it->Caption = data.Caption;
  it->Resolution = data.Resolution;
  it->Corners = data.Corners;
  FillSelector();
  FGeoMap->Invalidate();
  return true;
}

void TGeoAtlas::UnregisterMap(int32_t Index) {
  if (Index < 1 || Index > GetNumRegMaps()) return;
  const bool wasCurrent = Index == FCurrentMapIdx;
  // The entry shown in the selector moves with its map.
  int32_t shown = FCboxMaps->GetItemIndex() + 1;
  if (shown == Index)
    shown = 0;
  else if (shown > Index)
    --shown;
  FRegMaps.erase(FRegMaps.begin() + (Index - 1));
  if (Index < FCurrentMapIdx) --FCurrentMapIdx;
  FillSelector();
  FCboxMaps->SetItemIndex(shown - 1);
  if (!wasCurrent) {
    FGeoMap->Invalidate();
    return;
  }
  if (FRegMaps.empty()) {
    FCurrentMapIdx = 0;
    FGeoMap->Clear();
    return;
  }
  SelectMap(std::min(Index, GetNumRegMaps()));
}

bool TGeoAtlas::SelectMap(int32_t Index) {
  if (Index < 1 || Index > GetNumRegMaps()) return false;
  FCurrentMapIdx = Index;
  const std::string file = FRegMaps[static_cast<size_t>(Index - 1)].MapFName;
  if (!FGeoMap->LoadCalDataFromXML(file, "")) return false;
  // A handler run by the load may have unregistered maps: show only what exists.
  if (FCurrentMapIdx >= 1 && FCurrentMapIdx <= GetNumRegMaps())
    FCboxMaps->SetItemIndex(FCurrentMapIdx - 1);
  return true;
}

void TGeoAtlas::SelectorChange() {
  const int32_t ix = FCboxMaps->GetItemIndex() + 1;
  if (ix < 1 || ix > GetNumRegMaps()) return;
  FCurrentMapIdx = ix;
  // A copy: handlers run by the load may change the table.
  const std::string file = FRegMaps[static_cast<size_t>(ix - 1)].MapFName;
  FGeoMap->LoadCalDataFromXML(file, "");
  if (OnCBoxMapsChange) OnCBoxMapsChange(this);
}

void TGeoAtlas::MapImageRequest(std::string& FileName) const {
  if (FCurrentMapIdx < 1 || FCurrentMapIdx > GetNumRegMaps()) return;
  const std::string bare = StripPath(FileName);
  if (bare.empty()) return;
  // The calibration's directory, taken apart like the name itself so that a
  // '\\'-separated registration works too.
  const std::string& cal = FRegMaps[static_cast<size_t>(FCurrentMapIdx - 1)].MapFName;
  const std::string dir = cal.substr(0, cal.size() - StripPath(cal).size());
  // Nothing beside the calibration: keep what the map found itself (an
  // image in a subfolder that the calibration names).
  const std::string found = LocateCalibFile(dir + bare);
  if (!found.empty()) FileName = found;
}

// ---------------------------------------------------------------------------
// Buttons, mouse, outlines
// ---------------------------------------------------------------------------

void TGeoAtlas::ButtonClick(TObject* Sender) {
  if (FSBZoom->GetDown()) {
    SetCursor(crGeoZoom);
    FGeoMap->SetAllowPan(false);
  } else {
    SetCursor(crHandPoint);
    FGeoMap->SetAllowPan(true);
  }
  Click();
  if (Sender == FSBZoom) {
    if (OnZoomButClick) OnZoomButClick(this);
  } else if (OnPointerButClick) {
    OnPointerButClick(this);
  }
}

void TGeoAtlas::MapMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (FSBZoom->GetDown()) {
    bool vLat = false, vLong = false;
    const int32_t px = FGeoMap->GetLastClickPosX(), py = FGeoMap->GetLastClickPosY();
    const double lat = FGeoMap->CalcLatitude(px, py, vLat);
    const double lon = FGeoMap->CalcLongitude(px, py, vLong);
    // A press where the map has no position must not zoom to (0, 0).
    if (vLat && vLong) {
      const double r = GetMapDef(FCurrentMapIdx).Resolution;
      if (Button == TMouseButton::mbLeft)
        ZoomIn(r, lon, lat);
      else
        ZoomOut(r, lon, lat);
    }
  }
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X + FGeoMap->GetLeft(), Y + FGeoMap->GetTop());
}

void TGeoAtlas::DrawOutlines(TCanvas& Canvas) const {
  if (!FMapOLVisible) return;
  const TPen saved = Canvas.GetPen();
  TPen pen = saved;
  pen.SetColor(FMapOLColor);
  pen.SetStyle(TPenStyle::psSolid);
  pen.SetMode(TPenMode::pmCopy);
  pen.SetWidth(1);
  Canvas.SetPen(pen);
  const int32_t shown = FCboxMaps->GetItemIndex() + 1;
  static constexpr TCorners kPath[] = {TCorners::gcoTopRight, TCorners::gcoTopLeft,
                                       TCorners::gcoBottomLeft, TCorners::gcoBottomRight,
                                       TCorners::gcoTopRight};
  for (int32_t i = 1; i <= GetNumRegMaps(); ++i) {
    if (i == shown) continue;
    const TCornerArray& c = FRegMaps[static_cast<size_t>(i - 1)].Corners;
    bool started = false;
    for (TCorners k : kPath) {
      const TCoords& p = c[static_cast<size_t>(k)];
      int32_t x = 0, y = 0;
      if (!FGeoMap->CalcPixelCoords(p.Latit, p.Longit, x, y)) continue;
      const TPoint q = FGeoMap->MapImageToControl(TPoint{x, y});
      if (started) {
        Canvas.LineTo(q.x, q.y);
      } else {
        Canvas.MoveTo(q.x, q.y);
        started = true;
      }
    }
  }
  Canvas.SetPen(saved);
}

// ---------------------------------------------------------------------------
// Zooming
// ---------------------------------------------------------------------------

bool TGeoAtlas::ZoomTo(int32_t Index, double Long, double Lat) {
  if (Index < 1 || !SelectMap(Index)) return false;
  FGeoMap->BringLocationToCenter(Lat, Long);
  return true;
}

bool TGeoAtlas::ZoomIn(double CurrentResolution, double CurrentLong, double CurrentLat) {
  const double r = CurrentResolution;
  if (!(std::isfinite(r) && r > 0)) return false;
  double best = 0;
  int32_t pick = 0;
  for (int32_t i = 1; i <= GetNumRegMaps(); ++i) {
    const TMapDefinition& m = FRegMaps[static_cast<size_t>(i - 1)];
    if (!PositionInMap(CurrentLat, CurrentLong, m.Corners)) continue;
    const double b = m.Resolution;
    if ((r - b) / r > FMinResDiff / 100 && b > best) {
      best = b;
      pick = i;
    }
  }
  return ZoomTo(pick, CurrentLong, CurrentLat);
}

bool TGeoAtlas::ZoomOut(double CurrentResolution, double CurrentLong, double CurrentLat) {
  const double r = CurrentResolution;
  if (!(std::isfinite(r) && r > 0)) return false;
  double best = kZoomOutStart;
  int32_t pick = 0;
  for (int32_t i = 1; i <= GetNumRegMaps(); ++i) {
    const TMapDefinition& m = FRegMaps[static_cast<size_t>(i - 1)];
    if (!PositionInMap(CurrentLat, CurrentLong, m.Corners)) continue;
    const double b = m.Resolution;
    if (b > r && b < best) {
      best = b;
      pick = i;
    }
  }
  return ZoomTo(pick, CurrentLong, CurrentLat);
}

}  // namespace zel
