// Landmark symbols and captions on a canvas.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/zel_stringl.hpp"
#include "core/zel_system.hpp"
#include "map/geomap/zel_landmarks.hpp"

namespace zel {

namespace {

// Degrees reduced exactly before the conversion, so that huge directions
// keep their meaning and right angles give exact axes.
void SinCosDeg(int64_t Deg, long double& s, long double& c) {
  const int64_t d = ((Deg % 360) + 360) % 360;
  switch (d) {
    case 0: s = 0, c = 1; return;
    case 90: s = 1, c = 0; return;
    case 180: s = 0, c = -1; return;
    case 270: s = -1, c = 0; return;
    default: break;
  }
  const long double r = static_cast<long double>(d) * std::numbers::pi_v<long double> / 180.0L;
  s = std::sin(r);
  c = std::cos(r);
}

int64_t RoundL(long double v) { return RoundToInt64(v); }

TPoint Pt(int64_t x, int64_t y) {
  return TPoint{SaturateToInt32(static_cast<long double>(x)),
                SaturateToInt32(static_cast<long double>(y))};
}

// The point at distance r in direction Deg (clockwise from up).
TPoint DirPoint(int64_t x, int64_t y, long double r, int64_t Deg) {
  long double s, c;
  SinCosDeg(Deg, s, c);
  return Pt(x + RoundL(r * s), y - RoundL(r * c));
}

void Line(TCanvas& C, TPoint a, TPoint b) {
  C.MoveTo(a.x, a.y);
  C.LineTo(b.x, b.y);
}

void SetPen(TCanvas& C, TColor Color) {
  TPen& p = C.GetPen();
  p.SetColor(Color);
  p.SetWidth(1);
  p.SetStyle(TPenStyle::psSolid);
  p.SetMode(TPenMode::pmCopy);
}

void SetBrush(TCanvas& C, TColor Color, bool Clear) {
  C.GetBrush().SetColor(Color);
  C.GetBrush().SetStyle(Clear ? TBrushStyle::bsClear : TBrushStyle::bsSolid);
}

// Lines drawn at the 8 neighbour offsets: a one-pixel halo around them.
template <class F>
void Halo(TCanvas& C, TColor Color, F DrawAt) {
  SetPen(C, Color);
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (dx != 0 || dy != 0) DrawAt(dx, dy);
}

void SquarePath(TCanvas& C, int64_t x, int64_t y, int64_t s) {
  C.Polyline(
      {Pt(x - s, y - s), Pt(x + s, y - s), Pt(x + s, y + s), Pt(x - s, y + s), Pt(x - s, y - s)});
}

}  // namespace

TLandMarkElement LMTypeFromName(std::string_view Name) {
  const std::string n = LowerCaseAscii(StripLTBlanks(Name));
  for (size_t i = 0; i < LMTypeNames.size(); ++i)
    if (n == LowerCaseAscii(LMTypeNames[i])) return static_cast<TLandMarkElement>(i);
  return TLandMarkElement::lmCross;
}

void DrawLandMarkSymbolOnCanvas(TCanvas& Canvas, int32_t x, int32_t y, TLandMarkElement Element,
                                TColor ColorFG, TColor ColorBG, int32_t Size, int32_t Direction,
                                int32_t Length, bool Transparent) {
  const int64_t X = x, Y = y;
  const int64_t s = std::clamp(Size, 0, kMaxSymbolExtent);
  const int64_t len = std::clamp(Length, 0, kMaxSymbolExtent);
  const int64_t th = Direction;
  TCanvas& C = Canvas;
  SetPen(C, ColorFG);
  SetBrush(C, ColorBG, Transparent);
  switch (Element) {
    case TLandMarkElement::lmPlus: {
      auto plus = [&](int64_t ox, int64_t oy) {
        Line(C, Pt(X - s + ox, Y + oy), Pt(X + s + 1 + ox, Y + oy));
        Line(C, Pt(X + ox, Y - s + oy), Pt(X + ox, Y + s + 1 + oy));
      };
      if (!Transparent) Halo(C, ColorBG, plus);
      SetPen(C, ColorFG);
      plus(0, 0);
      break;
    }
    case TLandMarkElement::lmSquare:
      if (Transparent) {
        SquarePath(C, X, Y, s);
      } else {
        SetPen(C, ColorBG);
        SquarePath(C, X, Y, s);
        SetPen(C, ColorFG);
        const TPoint a = Pt(X - s + 1, Y - s + 1), b = Pt(X + s, Y + s);
        C.Rectangle(a.x, a.y, b.x, b.y);
      }
      break;
    case TLandMarkElement::lmTriangle:
      C.Polygon({DirPoint(X, Y, s, th), DirPoint(X, Y, s, th + 120), DirPoint(X, Y, s, th - 120)});
      break;
    case TLandMarkElement::lmCircle: {
      const TPoint a = Pt(X - s, Y - s), b = Pt(X + s + 1, Y + s + 1);
      C.Ellipse(a.x, a.y, b.x, b.y);
      break;
    }
    case TLandMarkElement::lmArrowFrom:
    case TLandMarkElement::lmArrowTo: {
      const TPoint far = DirPoint(X, Y, len, th);
      const bool from = Element == TLandMarkElement::lmArrowFrom;
      const TPoint tip = from ? far : Pt(X, Y);
      // The head's sides run back along the shaft: towards the landmark for
      // ArrowFrom, towards the far point for ArrowTo.
      const int64_t sign = from ? -1 : 1;
      auto side = [&](int64_t deg) {
        long double sn, cs;
        SinCosDeg(deg, sn, cs);
        return Pt(tip.x + sign * RoundL(s * sn), tip.y - sign * RoundL(s * cs));
      };
      const TPoint h1 = side(th + 20), h2 = side(th - 20);
      if (from)
        Line(C, Pt(X, Y), far);
      else
        Line(C, far, Pt(X, Y));
      if (Transparent) {
        Line(C, tip, h1);
        Line(C, tip, h2);
      } else {
        C.Polygon({tip, h1, h2});
      }
      break;
    }
    case TLandMarkElement::lmCrossBox:
      if (!Transparent) {
        SetPen(C, ColorBG);
        const TPoint a = Pt(X - s - 1, Y - s - 1), b = Pt(X + s + 2, Y + s + 2);
        C.Rectangle(a.x, a.y, b.x, b.y);
        SetPen(C, ColorFG);
      }
      SquarePath(C, X, Y, s);
      Line(C, Pt(X - s, Y - s), Pt(X + s, Y + s));
      Line(C, Pt(X - s, Y + s), Pt(X + s, Y - s));
      break;
    case TLandMarkElement::lmSpade:
      C.Polygon({Pt(X, Y - s), Pt(X + s, Y), Pt(X, Y + s), Pt(X - s, Y)});
      break;
    case TLandMarkElement::lmCross: {
      auto cross = [&](int64_t ox, int64_t oy) {
        Line(C, Pt(X - s + ox, Y - s + oy), Pt(X + s + ox, Y + s + oy));
        Line(C, Pt(X - s + ox, Y + s + oy), Pt(X + s + ox, Y - s + oy));
      };
      if (!Transparent) Halo(C, ColorBG, cross);
      SetPen(C, ColorFG);
      cross(0, 0);
      break;
    }
    case TLandMarkElement::lmUserDef: break;
    default:
      Line(C, Pt(X - 4, Y), Pt(X + 5, Y));
      Line(C, Pt(X, Y - 4), Pt(X, Y + 5));
      break;
  }
}

TPoint LMCaptionOrigin(int32_t x, int32_t y, const TLMTextProperties& Caption, int32_t TextWidth,
                       int32_t TextHeight) {
  const int64_t B = TextWidth / 2, Cc = TextHeight / 2;
  int64_t h = 0;
  if (Caption.HAlignment == TAlignment::taRightJustify) h = 2 * B;
  if (Caption.HAlignment == TAlignment::taCenter) h = B;
  int64_t v = 0;
  if (Caption.VAlignment == TLMVertAlignment::lvaCenter) v = Cc;
  if (Caption.VAlignment == TLMVertAlignment::lvaBottom) v = 2 * Cc;
  long double s, c;
  SinCosDeg(Caption.Direction, s, c);
  const long double hl = static_cast<long double>(h), vl = static_cast<long double>(v);
  return Pt(int64_t{x} + Caption.dx + RoundL(-hl * c - vl * s),
            int64_t{y} + Caption.dy + RoundL(hl * s - vl * c));
}

void DrawLandMarkCaption(TCanvas& Canvas, int32_t x, int32_t y, const TLMTextProperties& Caption) {
  if (Caption.Text.empty()) return;
  TCanvasStateSaver keep(Canvas);
  TFont& f = Canvas.GetFont();
  f.SetName(Caption.FontName);
  f.SetSize(Caption.Size);
  f.SetStyle(Caption.FontStyles);
  f.SetColor(Caption.FGColor);
  f.SetOrientation(0);
  const TSize ext = Canvas.TextExtent(Caption.Text);
  // Orientation in tenths of a degree, kept in one turn so that it fits.
  f.SetOrientation(static_cast<int32_t>(((int64_t{Caption.Direction} % 360) + 360) % 360 * 10));
  SetBrush(Canvas, Caption.BGColor, Caption.Transparent);
  const TPoint o = LMCaptionOrigin(x, y, Caption, ext.cx, ext.cy);
  Canvas.TextOut(o.x, o.y, Caption.Text);
}

}  // namespace zel
