// TGeoMap: properties, the map image, the view and the zoom history, output.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>

#include "core/zel_filesys.hpp"
#include "core/zel_stringl.hpp"
#include "core/zel_system.hpp"
#include "gui/zel_clipbrd.hpp"
#include "gui/zel_imagefiles.hpp"
#include "map/geomap/zel_geomap.hpp"

namespace zel {

namespace {

double ClampMag(double m) { return std::clamp(m, kMinMagnification, kMaxMagnification); }

bool FileExists(const std::string& Name) {
  std::error_code ec;
  return !Name.empty() && std::filesystem::is_regular_file(Name, ec);
}

// Lower-cased extension of the last path component, '\\' counting as a separator too.
std::string LowerExt(const std::string& Name) {
  const std::string base = StripPath(Name);
  const size_t dot = base.rfind('.');
  if (dot == std::string::npos) return "";
  std::string e = base.substr(dot);
  for (char& ch : e)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return e;
}

std::string DirOf(const std::string& Name) {
  const std::string base = StripPath(Name);
  return Name.substr(0, Name.size() - base.size());
}

}  // namespace

bool PositionInMap(double Latit, double Longit, const TCornerArray& Corners) {
  const auto cross = [&](const TCoords& A, const TCoords& B) {
    return (static_cast<long double>(A.Longit) - Longit) *
               (static_cast<long double>(B.Latit) - A.Latit) +
           (static_cast<long double>(B.Longit) - A.Longit) *
               (static_cast<long double>(Latit) - A.Latit);
  };
  const long double ref = cross(Corners[3], Corners[0]);
  for (int i = 0; i < 3; ++i)
    if (!(cross(Corners[static_cast<size_t>(i)], Corners[static_cast<size_t>(i) + 1]) * ref > 0))
      return false;
  return true;
}

// ---------------------------------------------------------------------------
// Creation and calibration
// ---------------------------------------------------------------------------

TGeoMap::TGeoMap(TComponent* AOwner)
    : TGraphicControl(AOwner), FCalib(std::make_unique<TMapCalibration>(nullptr)) {
  SetBounds(0, 0, 500, 400);
  FCalib->OnChange = [this](TObject* Sender) { CalibChanged(Sender); };
  WireLandMarks();
}

TGeoMap::~TGeoMap() {
  if (FCalib) FCalib->OnChange = nullptr;
}

void TGeoMap::CalibChanged(TObject*) { Invalidate(); }

void TGeoMap::SetUTMZone(int32_t Value) {
  FCalib->SetUTMZone(Value);
  Invalidate();
}

void TGeoMap::SetUTMHemisphere(THemisphere Value) {
  FCalib->SetUTMHemisphere(Value);
  Invalidate();
}

void TGeoMap::SetCalibDataFile(const std::string& Value) {
  if (FileExists(Value)) {
    FCalibDataFile = Value;
    LoadCalDataFromXML(Value, "");
  } else {
    ClearImage();
  }
  Invalidate();
}

bool TGeoMap::LoadCalDataFromXML(const std::string& FName, const std::string& DataID) {
  if (!FCalib->LoadCalDataFromXML(FName, DataID)) return false;
  const std::string located = LocateCalibFile(FName);
  FCalibDataFile = located.empty() ? FName : located;
  const std::string mapName = FCalib->GetCalibData().MapFName;
  const std::string image = LocateCalibFile(mapName, FCalibDataFile);
  SetMapImgFile(image.empty() ? mapName : image);
  return true;
}

bool TGeoMap::SaveCalDataAsXML(const std::string& FileName, const std::string& DataID) {
  FCalib->SetImageSize(FMapImgWidth, FMapImgHeight);
  return FCalib->SaveCalDataAsXML(FileName, DataID);
}

// ---------------------------------------------------------------------------
// Look
// ---------------------------------------------------------------------------

void TGeoMap::SetAllowPan(bool Value) {
  SetMouseAction(Value ? TMouseActMode::maPan : TMouseActMode::maNone);
}

void TGeoMap::SetAntiAlias(bool Value) {
  FAntiAlias = Value;
  Invalidate();
}

void TGeoMap::SetCacheMagLimit(double Value) {
  if (std::isnan(Value)) return;
  FCacheMagLimit = std::clamp(Value, 0.0, 2.0 / 3.0);
  if (FMagnify < 2.0 / 3.0) Invalidate();
}

void TGeoMap::SetColorBackGnd(TColor Value) {
  FColorBakGnd = Value;
  Invalidate();
}

void TGeoMap::SetColorGraticule(TColor Value) {
  FColorGratLine = Value;
  Invalidate();
}

void TGeoMap::SetColorCalibPoints(TColor Value) {
  FColorGratPoints = Value;
  Invalidate();
}

void TGeoMap::SetColorFrame(TColor Value) {
  FFrameColor = Value;
  Invalidate();
}

void TGeoMap::SetEmptyMsg(const std::string& Value) {
  FEmptyMsg = Value;
  Invalidate();
}

void TGeoMap::SetFrameStyle(TFrameStyle Value) {
  FFrameStyle = Value;
  Invalidate();
}

void TGeoMap::SetGratLineDist(double Value) {
  FGratLineDist = std::isnan(Value) ? 0.0 : std::clamp(Value, 0.0, 60.0);
  Invalidate();
}

void TGeoMap::SetUTMGridDist(double Value) {
  FUTMGridDist = std::isnan(Value) ? 0.0 : std::clamp(Value, 0.0, 10000000.0);
  Invalidate();
}

void TGeoMap::SetMouseAction(TMouseActMode Value) {
  if (Value == FMouseAction) return;
  EndGesture();
  FMouseAction = Value;
}

void TGeoMap::SetShowGraticule(TShowGrat Value) {
  FShowGrat = Value;
  Invalidate();
}

void TGeoMap::SetSuppressPaint(bool Value) {
  FSuppressPaint = Value;
  if (!Value) Invalidate();
}

// ---------------------------------------------------------------------------
// The map image
// ---------------------------------------------------------------------------

void TGeoMap::CheckImageSize(int64_t w, int64_t h) const {
  if (w * h > kMaxMapImagePixels)
    throw EZELGeoMapError(ComponentMessage(
        "Cannot use map image, maximum of " + std::to_string(kMaxMapImagePixels) +
        " pixels exceeded (size of map is " + std::to_string(w) + " x " + std::to_string(h) + ")"));
}

void TGeoMap::UseImage(TBitmap&& Image, const std::string& Name) {
  Image.SetPixelFormat(TPixelFormat::pf24bit);
  FGrafBmp = std::move(Image);
  FImgCache = TBitmap();
  FCacheMag = 0;
  FMapImgName = Name;
  FMapImgWidth = FGrafBmp.GetWidth();
  FMapImgHeight = FGrafBmp.GetHeight();
  FAuxBmp.SetSize(FMapImgWidth, FMapImgHeight);
  FTopLeft = {};
  FCalib->SetImageSize(FMapImgWidth, FMapImgHeight);
  Invalidate();
}

void TGeoMap::ClearImage() {
  FGrafBmp = TBitmap();
  FImgCache = TBitmap();
  FCacheMag = 0;
  FMapImgName.clear();
  FMapImgWidth = FMapImgHeight = 0;
  FCalib->SetImageSize(0, 0);
  Invalidate();
}

void TGeoMap::SetMapImgFile(const std::string& Value) {
  std::string file = Value;
  if (OnMapImageRequest) OnMapImageRequest(this, file);
  FImgCache = TBitmap();
  FCacheMag = 0;
  if (!FileExists(file)) {
    ClearImage();
    return;
  }
  TBitmap image;
  try {
    const std::vector<uint8_t> bytes = ReadFileBytes(file);
    const TImageInfo info = ReadImageInfo(bytes);
    // The header decides before any pixel memory is taken: a small crafted
    // file must not make the decoder allocate gigabytes.
    CheckImageSize(info.Width, info.Height);
    const std::string ext = LowerExt(file);
    if (ext == ".jpg" || ext == ".jpeg")
      image = DecodeJPEG(bytes, OnDataLoading);
    else if (ext == ".bmp")
      image = DecodeBMP(bytes, OnDataLoading);
    else
      image = DecodeImage(bytes, OnDataLoading);
  } catch (const EZELGeoMapError&) {
    throw;
  } catch (const std::exception& e) {
    throw EZELGeoMapError(
        ComponentMessage("Cannot load map image \"" + file + "\": " + std::string(e.what())));
  }
  CheckImageSize(image.GetWidth(), image.GetHeight());
  UseImage(std::move(image), Value);
}

void TGeoMap::SetMapBitmap(const TBitmap& Value) {
  if (Value.GetEmpty()) {
    ClearImage();
    return;
  }
  CheckImageSize(Value.GetWidth(), Value.GetHeight());
  UseImage(TBitmap(Value), "$unknown$");
}

void TGeoMap::Clear() {
  ClearImage();
  FMTrace.clear();
  FTopLeft = {};
  FMagnify = 1.0;
  FCalib->ClearCalibData();
  Invalidate();
}

void TGeoMap::ResizeMap(double Magnification) {
  if (FGrafBmp.GetEmpty() || !std::isfinite(Magnification) || !(Magnification > 0)) return;
  const long double nw = Round(static_cast<long double>(FMapImgWidth) * Magnification);
  const long double nh = Round(static_cast<long double>(FMapImgHeight) * Magnification);
  if (nw < 1 || nh < 1) return;
  // Compared in long double: a factor of 1e300 must not wrap the product.
  if (nw * nh > static_cast<long double>(kMaxMapImagePixels))
    CheckImageSize(SaturateToInt64(nw), SaturateToInt64(nh));
  const auto w = static_cast<int32_t>(nw), h = static_cast<int32_t>(nh);
  TBitmap scaled(w, h);
  TCanvas& c = scaled.GetCanvas();
  c.SetStretchMode(FAntiAlias ? TStretchMode::smHalftone : TStretchMode::smColorOnColor);
  c.StretchDraw({0, 0, w, h}, FGrafBmp);

  // Points are rewritten through the public calibration members, which refit
  // after each change; OnChange is held back until the last one.
  TCalibData data = FCalib->GetCalibData();
  const auto scale = [&](int32_t v) {
    return RoundToInt32(static_cast<long double>(v) * Magnification);
  };
  const TCalibModel model = FCalib->GetCalibModel();
  const TNotifyEvent onChange = std::move(FCalib->OnChange);
  FCalib->OnChange = nullptr;
  try {
    FCalib->ClearCalibData();
    FCalib->SetUTMZone(data.UTMZone);
    FCalib->SetUTMHemisphere(data.UTMSouth ? THemisphere::hemiSouth : THemisphere::hemiNorth);
    FCalib->SetEllipsoid(data.Ellipsoid);
    FCalib->SetCalibModel(TCalibModel::cmParabolicIp);
    for (int32_t k = 0; k < data.NumCalLines; ++k) {
      const TCalibLine& l = data.CalLines[static_cast<size_t>(k)];
      for (int32_t i = 0; i < l.NumPoints; ++i)
        FCalib->AddCalibPoint(l.LineType, l.LineValue, scale(l.CalPoints[static_cast<size_t>(i)].x),
                              scale(l.CalPoints[static_cast<size_t>(i)].y));
    }
    const bool utm = model == TCalibModel::cmUTM;
    FCalib->SetCalibModel(utm ? TCalibModel::cmUTM : TCalibModel::cmEquiRect);
    for (int32_t k = 0; k < data.NumCalQuads; ++k) {
      const TCalQuad& q = data.CalQuads[static_cast<size_t>(k)];
      if (utm)
        FCalib->AddCalibPoint(q.Latitude, q.Longitude, data.UTMZone,
                              data.UTMSouth ? THemisphere::hemiSouth : THemisphere::hemiNorth,
                              scale(q.MapX), scale(q.MapY));
      else
        FCalib->AddCalibPoint(q.Latitude, q.Longitude, scale(q.MapX), scale(q.MapY));
    }
    FCalib->SetCalibModel(model);
  } catch (...) {
    FCalib->OnChange = onChange;
    throw;
  }
  FCalib->OnChange = onChange;
  const TPoint keep = FTopLeft;
  UseImage(std::move(scaled), FMapImgName);
  FTopLeft = keep;
  FCalib->RecalcCalibration();
}

void TGeoMap::ResizeMap(int32_t LongerEdgeLength) {
  if (FGrafBmp.GetEmpty() || LongerEdgeLength < 1) return;
  ResizeMap(static_cast<double>(LongerEdgeLength) / std::max(FMapImgWidth, FMapImgHeight));
}

bool TGeoMap::SaveMap(const std::string& FileName, const std::string& DataID) {
  if (FGrafBmp.GetEmpty()) return false;
  const std::string imgName = StripExtension(StripPath(FileName)) + ".jpg";
  const std::string dir = DirOf(FileName);
  const std::string oldCalName = FCalib->GetCalibData().MapFName;
  FCalib->SetMapFName(imgName);
  if (!SaveCalDataAsXML(StripExtension(FileName) + ".xml", DataID)) {
    FCalib->SetMapFName(oldCalName);
    return false;
  }
  try {
    WriteFileBytes(dir + imgName, EncodeJPEG(FGrafBmp, kMapJPEGQuality));
  } catch (const EZELError&) {
    FCalib->SetMapFName(oldCalName);
    return false;
  }
  FMapImgName = dir + imgName;
  return true;
}

bool TGeoMap::RenameMapImg(const std::string& Name) {
  std::string base = ReduceStringToFN83CompliantChars(StripExtension(StripPath(Name)));
  if (base.empty() || FMapImgName.empty() || !FileExists(FMapImgName)) return false;
  const std::string base0 = StripPath(FMapImgName);
  const size_t dot = base0.rfind('.');
  const std::string ext = dot == std::string::npos ? "" : base0.substr(dot);
  const std::string target = DirOf(FMapImgName) + base + ext;
  if (target == FMapImgName) return false;
  // rename() would silently replace an existing file of that name.
  if (::renameat2(AT_FDCWD, FMapImgName.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno != EINVAL && errno != ENOSYS) return false;
    // The file system cannot rename without replacing: a hard link fails when
    // the target exists.
    if (::link(FMapImgName.c_str(), target.c_str()) != 0) return false;
    if (::unlink(FMapImgName.c_str()) != 0) {
      ::unlink(target.c_str());
      return false;
    }
  }
  FMapImgName = target;
  return true;
}

// ---------------------------------------------------------------------------
// The view
// ---------------------------------------------------------------------------

void TGeoMap::SetMagnification(double Value) {
  if (std::isnan(Value)) return;
  FMagnify = ClampMag(Value);
  Invalidate();
}

void TGeoMap::SetTopLeft(TPoint Value) {
  FTopLeft = Value;
  Invalidate();
}

void TGeoMap::ApplyView(TPoint TopLeft, double Mag) {
  FTopLeft = TopLeft;
  if (!std::isnan(Mag)) FMagnify = ClampMag(Mag);
  Invalidate();
}

void TGeoMap::ZoomFitPage() {
  if (FMapImgWidth <= 0 || FMapImgHeight <= 0) return;
  ApplyView({}, std::min(static_cast<double>(GetHeight()) / FMapImgHeight,
                         static_cast<double>(GetWidth()) / FMapImgWidth));
}

void TGeoMap::PanMapToFillWindow() {
  const auto clampAxis = [&](int32_t v, int32_t size, int32_t extent) {
    const int64_t r = std::min<int64_t>(
        v, int64_t{size} - RoundToInt64(extent / static_cast<long double>(FMagnify)));
    return static_cast<int32_t>(std::max<int64_t>(r, 0));
  };
  const TPoint old = FTopLeft;
  FTopLeft = {clampAxis(FTopLeft.x, FMapImgWidth, GetWidth()),
              clampAxis(FTopLeft.y, FMapImgHeight, GetHeight())};
  if (old.x != FTopLeft.x || old.y != FTopLeft.y) Invalidate();
}

void TGeoMap::BringMapPixelToCenter(TPoint APoint) {
  const auto axis = [&](int32_t p, int32_t extent) {
    return SaturateToInt32(static_cast<long double>(p) -
                           RoundToInt64(extent / static_cast<long double>(FMagnify) / 2));
  };
  FTopLeft = {axis(APoint.x, GetWidth()), axis(APoint.y, GetHeight())};
  PanMapToFillWindow();
  Invalidate();
}

void TGeoMap::BringLocationToCenter(double Latitude, double Longitude) {
  int32_t x = 0, y = 0;
  if (!FCalib->CalcPixelCoords(Latitude, Longitude, x, y)) return;
  const auto axis = [&](int32_t p, int32_t extent, int32_t size) {
    const long double view = extent / static_cast<long double>(FMagnify);
    long double t = static_cast<long double>(p) - Round(view / 2);
    t = std::min(t, static_cast<long double>(size) - Round(view));
    return SaturateToInt32(std::max(t, 0.0L));
  };
  FTopLeft = {axis(x, GetWidth(), FMapImgWidth), axis(y, GetHeight(), FMapImgHeight)};
  Invalidate();
}

bool TGeoMap::IsPositionWithinMap(double Latit, double Longit) const {
  return PositionInMap(Latit, Longit, FCalib->GetCalibData().Corners);
}

TPointDouble TGeoMap::MapImageToControlF(double x, double y) const {
  return {static_cast<double>((static_cast<long double>(x) - FTopLeft.x) * FMagnify),
          static_cast<double>((static_cast<long double>(y) - FTopLeft.y) * FMagnify)};
}

TPoint TGeoMap::MapImageToControl(TPoint MapPos) const {
  return {RoundToInt32((static_cast<long double>(MapPos.x) - FTopLeft.x) * FMagnify),
          RoundToInt32((static_cast<long double>(MapPos.y) - FTopLeft.y) * FMagnify)};
}

TPoint TGeoMap::ControlToMapImage(TPoint CtrlPos) const {
  return {SaturateToInt32(Round(CtrlPos.x / static_cast<long double>(FMagnify)) + FTopLeft.x),
          SaturateToInt32(Round(CtrlPos.y / static_cast<long double>(FMagnify)) + FTopLeft.y)};
}

void TGeoMap::ZoomStateOnStack() {
  if (IsLoading()) return;
  FZoomStack[static_cast<size_t>(FZStackPoi - 1)] = {FTopLeft.x, FTopLeft.y, FMagnify};
  FZStackPoi = FZStackPoi % kZoomStackSize + 1;
}

void TGeoMap::ClearZoomHistory() {
  FZoomStack.fill({});
  FZStackPoi = 1;
  ZoomStateOnStack();
}

TgmZoomStackEntry TGeoMap::GetZoomStackEntry(int32_t StackIx) const {
  if (StackIx < -(kZoomStackSize - 1) || StackIx > 0) return {};
  int32_t slot = FZStackPoi + StackIx - 1;
  if (slot < 1) slot += kZoomStackSize;
  return FZoomStack[static_cast<size_t>(slot - 1)];
}

void TGeoMap::ZoomHistory(int32_t Index) {
  if (Index < -(kZoomStackSize - 1) || Index > 0) return;
  const TgmZoomStackEntry e = GetZoomStackEntry(Index);
  if (e.Left == 0 && e.Top == 0 && e.MagF == 0) return;
  ApplyView({e.Left, e.Top}, e.MagF);
  if (OnZoomPan) OnZoomPan(this);
}

// ---------------------------------------------------------------------------
// Output
// ---------------------------------------------------------------------------

TBitmap TGeoMap::CopyToBMP() {
  Update();
  const int32_t w = GetWidth(), h = GetHeight();
  TBitmap bmp(w, h);
  if (w > 0 && h > 0) {
    ConstructInternalMapImg();
    bmp.GetCanvas().CopyRect({0, 0, w, h}, FAuxBmp.GetCanvas(), {0, 0, w, h});
  }
  return bmp;
}

void TGeoMap::CopyToClipboard() {
  const int32_t w = GetWidth(), h = GetHeight();
  if (w <= 0 || h <= 0) return;
  ConstructInternalMapImg();
  TBitmap bmp(w, h);
  TCanvas& c = bmp.GetCanvas();
  c.CopyRect({2, 2, w - 2, h - 2}, FAuxBmp.GetCanvas(), {2, 2, w - 2, h - 2});
  c.GetPen().SetColor(clBlack);
  c.GetBrush().SetStyle(TBrushStyle::bsClear);
  c.Rectangle(1, 1, w - 1, h - 1);
  Clipboard().Assign(bmp);
}

void TGeoMap::CopyEntireMapToClipboard() {
  if (!FGrafBmp.GetEmpty()) Clipboard().Assign(FGrafBmp);
}

bool TGeoMap::PrintIt(TPrinter& Printer) {
  if (Printer.GetPrinting() || GetWidth() <= 0 || GetHeight() <= 0) return false;
  const TBitmap view = CopyToBMP();
  Printer.BeginDoc();
  try {
    TCanvas& c = Printer.GetCanvas();
    const double pw = Printer.GetPageWidth() * 0.9, ph = Printer.GetPageHeight() * 0.9;
    const double f = std::min(pw / view.GetWidth(), ph / view.GetHeight());
    const int32_t w = std::max(1, RoundToInt32(view.GetWidth() * f));
    const int32_t h = std::max(1, RoundToInt32(view.GetHeight() * f));
    const int32_t x = (Printer.GetPageWidth() - w) / 2, y = (Printer.GetPageHeight() - h) / 2;
    const TStretchMode mode = c.GetStretchMode();
    c.SetStretchMode(TStretchMode::smHalftone);
    c.StretchDraw({x, y, x + w, y + h}, view);
    c.SetStretchMode(mode);
    Printer.EndDoc();
  } catch (...) {
    Printer.Abort();
    throw;
  }
  return true;
}

}  // namespace zel
