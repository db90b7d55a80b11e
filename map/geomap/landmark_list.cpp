// The landmark list: adding, removing, finding, classes, highlight, drawing.
#include <algorithm>
#include <cmath>
#include <new>

#include "core/zel_dstruct.hpp"
#include "core/zel_stringl.hpp"
#include "map/geomap/zel_landmarks.hpp"
#include "num/math1/zel_math1.hpp"

namespace zel {

namespace {

constexpr int32_t kStep = 1000;

void CutTexts(TLandMark& LM) {
  LM.Caption.Text = Utf8Truncate(LM.Caption.Text, kLMTextCapacity);
  LM.Identifier = Utf8Truncate(LM.Identifier, kLMIdentifierCapacity);
}

// -1 (any class) for values outside 0..255.
int32_t ClassSelector(int32_t ClassFlag) {
  return ClassFlag < 0 || ClassFlag > 255 ? -1 : ClassFlag;
}

bool InClass(const TLandMark& LM, int32_t Selector) {
  return Selector < 0 || LM.ClassFlag == Selector;
}

// The default landmark LM at a place, optionally named and dated.
TLandMark Placed(TLandMark LM, double Lat, double Long, double Altitude) {
  LM.Latitude = Lat;
  LM.Longitude = Long;
  LM.Altitude = Altitude;
  return LM;
}

TLandMark Placed(const TLandMark& LM, double Lat, double Long, double Altitude,
                 const std::string& Identifier, TDateTime Time) {
  TLandMark r = Placed(LM, Lat, Long, Altitude);
  r.Identifier = Utf8Truncate(Identifier, kLMIdentifierCapacity);
  r.Time = Time;
  return r;
}

}  // namespace

TLandMarkList::TLandMarkList(TObject* Sender) : FSender(Sender) {
  FLMClassVisible.fill(1);
  FLandMarks.reserve(kStep);
}

std::string TLandMarkList::Msg(const std::string& Text) const {
  if (const auto* c = dynamic_cast<const TComponent*>(FSender)) return c->ComponentMessage(Text);
  return ComponentMessage("TGeoMap", Text);
}

bool TLandMarkList::Ask(const TLandMark& LM, TLandMarkAction Action) {
  bool allow = true;
  if (OnLandMarkAction) {
    const TLandMark copy = LM;  // the handler may change the list under the reference
    OnLandMarkAction(FSender, allow, copy, Action);
  }
  return allow;
}

void TLandMarkList::Changed() {
  if (OnChanged) OnChanged();
}

void TLandMarkList::SetCapacityFor(size_t Count) {
  const size_t cap = Count <= kStep ? kStep : (Count + kStep - 1) / kStep * kStep;
  if (cap > static_cast<size_t>(INT32_MAX)) throw EZELGeoMapError(Msg("insufficient memory"));
  try {
    if (cap > FLandMarks.capacity()) FLandMarks.reserve(cap);
  } catch (const std::bad_alloc&) {
    throw EZELGeoMapError(Msg("insufficient memory"));
  } catch (const std::length_error&) {
    throw EZELGeoMapError(Msg("insufficient memory"));
  }
  FCapacity = static_cast<int32_t>(cap);
}

void TLandMarkList::Append(const TLandMark& LM) {
  if (!Ask(LM, TLandMarkAction::lmaAdd)) return;
  if (FLandMarks.size() >= static_cast<size_t>(INT32_MAX))
    throw EZELGeoMapError(Msg("insufficient memory"));
  SetCapacityFor(FLandMarks.size() + 1);
  FLandMarks.push_back(LM);
  Changed();
}

void TLandMarkList::AddLandMark(double Lat, double Long, double Altitude) {
  Append(Placed(FDefaultLM, Lat, Long, Altitude));
}

void TLandMarkList::AddLandMark(double Lat, double Long, double Altitude,
                                const std::string& Identifier, TDateTime Time) {
  Append(Placed(FDefaultLM, Lat, Long, Altitude, Identifier, Time));
}

void TLandMarkList::AddLandMark(double Lat, double Long, double Altitude,
                                const std::string& CaptionText, int32_t CaptionSize,
                                TColor CaptionColor) {
  AddLandMark(Lat, Long, Altitude, FDefaultLM.Identifier, FDefaultLM.Time, CaptionText, CaptionSize,
              CaptionColor);
}

void TLandMarkList::AddLandMark(double Lat, double Long, double Altitude,
                                const std::string& Identifier, TDateTime Time,
                                const std::string& CaptionText, int32_t CaptionSize,
                                TColor CaptionColor) {
  TLandMark lm = Placed(FDefaultLM, Lat, Long, Altitude, Identifier, Time);
  lm.Caption.Text = Utf8Truncate(CaptionText, kLMTextCapacity);
  lm.Caption.Size = CaptionSize;
  lm.Caption.FGColor = CaptionColor;
  Append(lm);
}

void TLandMarkList::AddLandMark(double Lat, double Long, double Altitude, TLandMarkElement Element,
                                uint8_t ClassFlag, const std::string& Identifier, TDateTime Time,
                                int32_t Tag, TColor ColorFG, TColor ColorBG, int32_t Size,
                                bool Transparent, int32_t Direction, int32_t Length) {
  TLandMark lm = Placed(FDefaultLM, Lat, Long, Altitude, Identifier, Time);
  lm.ClassFlag = ClassFlag;
  lm.Tag = Tag;
  lm.SymbolProps =
      TSymbolProperties{Element, Size, ColorFG, ColorBG, Transparent, Direction, Length};
  Append(lm);
}

// ---------------------------------------------------------------------------
// Removing
// ---------------------------------------------------------------------------

void TLandMarkList::RemoveMatching(const std::function<bool(const TLandMark&)>& Match) {
  const auto n = static_cast<int32_t>(FLandMarks.size());
  if (n == 0) return;
  TBitFld marks(n);
  int32_t marked = 0;
  for (int32_t i = 1; i <= n; ++i) {
    if (!Match(FLandMarks[i - 1])) continue;
    if (!Ask(FLandMarks[i - 1], TLandMarkAction::lmaRemove)) continue;
    // A handler that added or removed landmarks made the marks stale.
    if (static_cast<int32_t>(FLandMarks.size()) != n) return;
    marks.SetBit(i, true);
    ++marked;
  }
  if (marked == 0) return;
  if (marked == n) {
    FLandMarks.clear();
  } else {
    // Fill the lowest marked slot from the highest unmarked landmark.
    int32_t lo = marks.FirstTrueBit();
    int32_t hi = n;
    while (hi > 0 && marks.GetBit(hi)) --hi;
    while (lo != 0 && lo < hi) {
      FLandMarks[lo - 1] = std::move(FLandMarks[hi - 1]);
      marks.SetBit(lo, false);
      marks.SetBit(hi, true);
      while (hi > 0 && marks.GetBit(hi)) --hi;
      lo = marks.FirstTrueBit();
    }
    FLandMarks.resize(static_cast<size_t>(n - marked));
  }
  FHighLM = 0;
  if (FLandMarks.empty()) {
    std::vector<TLandMark>().swap(FLandMarks);
    FLandMarks.reserve(kStep);
    FCapacity = kStep;
  }
  Changed();
}

void TLandMarkList::RemoveLandMark(double Lat, double Long, int32_t ClassFlag, double Radius) {
  const int32_t sel = ClassSelector(ClassFlag);
  const long double r2 = static_cast<long double>(Radius) * Radius;
  RemoveMatching([&](const TLandMark& lm) {
    const long double a = static_cast<long double>(lm.Latitude) - Lat;
    const long double b = static_cast<long double>(lm.Longitude) - Long;
    return InClass(lm, sel) && a * a + b * b < r2;
  });
}

void TLandMarkList::RemoveLandMark(const TRectDouble& Rect, int32_t ClassFlag) {
  const int32_t sel = ClassSelector(ClassFlag);
  const double lonLo = std::min(Rect.Left, Rect.Right), lonHi = std::max(Rect.Left, Rect.Right);
  const double latLo = std::min(Rect.Top, Rect.Bottom), latHi = std::max(Rect.Top, Rect.Bottom);
  RemoveMatching([&](const TLandMark& lm) {
    return InClass(lm, sel) && lm.Longitude >= lonLo && lm.Longitude <= lonHi &&
           lm.Latitude >= latLo && lm.Latitude <= latHi;
  });
}

void TLandMarkList::RemoveLandMark(double Lat, double Long, int32_t ClassFlag) {
  RemoveLandMark(FindLandMark(Lat, Long, ClassFlag));
}

void TLandMarkList::RemoveLandMark(int32_t LmIndex) {
  if (LmIndex < 1 || LmIndex > GetNumLandMarks()) return;
  int32_t k = 0;
  RemoveMatching([&](const TLandMark&) { return ++k == LmIndex; });
}

void TLandMarkList::RemoveLastLandMark() { RemoveLandMark(GetNumLandMarks()); }

void TLandMarkList::RemoveAllLandMarks(uint8_t ClassFlag) {
  RemoveMatching([&](const TLandMark& lm) { return lm.ClassFlag == ClassFlag; });
}

void TLandMarkList::RemoveAllLandMarks() {
  RemoveMatching([](const TLandMark&) { return true; });
}

// ---------------------------------------------------------------------------
// Finding and data
// ---------------------------------------------------------------------------

int32_t TLandMarkList::FindLandMark(double Lat, double Long, int32_t ClassFlag) const {
  const int32_t sel = ClassSelector(ClassFlag);
  long double best = 1e10L;
  int32_t ix = 0;
  for (size_t i = 0; i < FLandMarks.size(); ++i) {
    const TLandMark& lm = FLandMarks[i];
    if (!InClass(lm, sel)) continue;
    const long double a = static_cast<long double>(lm.Latitude) - Lat;
    const long double b = static_cast<long double>(lm.Longitude) - Long;
    const long double d = a * a + b * b;
    if (d < best) {
      best = d;
      ix = static_cast<int32_t>(i) + 1;
    }
  }
  return ix;
}

const TLandMark& TLandMarkList::GetLandMarkData(int32_t i) const {
  if (i < 1 || i > GetNumLandMarks()) return FDefaultLM;
  return FLandMarks[static_cast<size_t>(i) - 1];
}

void TLandMarkList::SetLandMarkData(int32_t i, const TLandMark& LandMark) {
  if (i < 1 || i > GetNumLandMarks()) return;
  TLandMark lm = LandMark;
  CutTexts(lm);
  FLandMarks[static_cast<size_t>(i) - 1] = std::move(lm);
  Changed();
}

void TLandMarkList::SetLandMarkDefault(const TLandMark& Value) {
  FDefaultLM = Value;
  CutTexts(FDefaultLM);
}

void TLandMarkList::SetClassVisibility(uint8_t ClassFlag, bool Visible) {
  if ((FLMClassVisible[ClassFlag] != 0) == Visible) return;
  FLMClassVisible[ClassFlag] = Visible ? 1 : 0;
  Changed();
}

void TLandMarkList::SetHighLightLandMark(int32_t Value) {
  if (Value < 0 || Value > GetNumLandMarks()) Value = 0;
  if (Value == FHighLM) return;
  FHighLM = Value;
  Changed();
}

void TLandMarkList::SetHighLightProperties(TColor ColorFG, TColor ColorBG, bool Transparent) {
  FHighLMColFG = ColorFG;
  FHighLMColBG = ColorBG;
  FHighLMTrans = Transparent;
  Changed();
}

void TLandMarkList::SetLMRandomDisplayThreshold(int32_t Value) {
  FLMRandSampleLimit = std::max(Value, 0);
}

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

void TLandMarkList::DrawLandMark(TCanvas& Canvas, const TLandMark& LandMark, int32_t x, int32_t y,
                                 int32_t Width, int32_t Height) {
  const TLandMark* lm = &LandMark;
  TLandMark copy;
  if (OnDrawLandmark) {
    // The handler may change the list that LandMark lives in.
    copy = LandMark;
    lm = &copy;
    bool handled = false;
    OnDrawLandmark(FSender, handled, copy, TPoint{x, y}, Canvas);
    if (handled) return;
  }
  if (x <= 0 || x >= Width || y <= 0 || y >= Height) return;
  const TSymbolProperties& s = lm->SymbolProps;
  DrawLandMarkSymbolOnCanvas(Canvas, x, y, s.Kind, s.FGColor, s.BGColor, s.Size, s.Direction,
                             s.Length, s.Transparent);
  DrawLandMarkCaption(Canvas, x, y, lm->Caption);
}

void TLandMarkList::DrawLandMarks(TCanvas& Canvas, const TLandMarkView& View) {
  TPen& pen = Canvas.GetPen();
  pen.SetColor(clLime);
  pen.SetStyle(TPenStyle::psSolid);
  pen.SetMode(TPenMode::pmCopy);
  if (!View.ToControl) return;
  const auto n = static_cast<int64_t>(FLandMarks.size());
  double p = 1;
  if (n > FLMRandSampleLimit) {
    int64_t inView = 0;
    for (const TLandMark& lm : FLandMarks)
      if (FLMClassVisible[lm.ClassFlag] != 0 &&
          (!View.InView || View.InView(lm.Latitude, lm.Longitude)))
        ++inView;
    if (inView > FLMRandSampleLimit)
      p = static_cast<double>(FLMRandSampleLimit) / static_cast<double>(inView);
  }
  for (int64_t i = 0; i < n; ++i) {
    if (static_cast<int64_t>(FLandMarks.size()) != n) return;  // a handler changed the list
    const TLandMark& lm = FLandMarks[static_cast<size_t>(i)];
    if (FLMClassVisible[lm.ClassFlag] == 0) continue;
    if (p < 1 && !BRandom(p)) continue;
    TPoint px;
    if (!View.ToControl(lm.Latitude, lm.Longitude, px)) continue;
    DrawLandMark(Canvas, lm, px.x, px.y, View.Width, View.Height);
  }
}

void TLandMarkList::DrawHighLightedLandMark(TCanvas& Canvas, const TLandMarkView& View) {
  if (FHighLM < 1 || FHighLM > GetNumLandMarks() || !View.ToControl) return;
  const TLandMark& lm = FLandMarks[static_cast<size_t>(FHighLM) - 1];
  TPoint px;
  if (!View.ToControl(lm.Latitude, lm.Longitude, px)) return;
  if (px.x <= 0 || px.x >= View.Width || px.y <= 0 || px.y >= View.Height) return;
  const TSymbolProperties& s = lm.SymbolProps;
  DrawLandMarkSymbolOnCanvas(Canvas, px.x, px.y, s.Kind, FHighLMColFG, FHighLMColBG, s.Size,
                             s.Direction, s.Length, FHighLMTrans);
  DrawLandMarkCaption(Canvas, px.x, px.y, lm.Caption);
}

}  // namespace zel
