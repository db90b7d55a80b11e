// TCanvas: surface and clipping, pixels, lines and polylines.
#include <algorithm>
#include <memory>

#include "gui/canvas_impl.hpp"
#include "gui/zel_graphics.hpp"

namespace zel {

namespace detail {

TSurface CanvasSurface(const TCanvas& Canvas) {
  TSurface s;
  TBitmap* bmp = Canvas.GetTarget();
  if (bmp == nullptr || bmp->GetEmpty()) return s;
  s.Bits = bmp->GetBits();
  s.Stride = bmp->GetWidth();
  s.Q15 = bmp->GetPixelFormat() == TPixelFormat::pf15bit;
  s.Clip = TBox{0, 0, bmp->GetWidth(), bmp->GetHeight()};
  if (Canvas.HasClipRect()) {
    // GetClipRect is already intersected with the bitmap, in logical units.
    const TRect c = Canvas.GetClipRect();
    s.Clip = s.Clip.Intersect(TBox{DevX(Canvas, c.Left), DevY(Canvas, c.Top), DevX(Canvas, c.Right),
                                   DevY(Canvas, c.Bottom)});
  }
  if (s.Clip.Empty()) s.Bits = nullptr;
  return s;
}

void TPixelMask::Apply(const TSurface& s, const TPixelOp& PenOp, const TPixelOp* BrushOp) const {
  if (FBox.Empty()) return;
  for (int64_t y = FBox.t; y < FBox.b; ++y) {
    const uint8_t* m = &FData[static_cast<size_t>((y - FBox.t) * FW)];
    uint32_t* row = s.Row(y) + FBox.l;
    for (int64_t i = 0; i < FW; ++i) {
      if (m[i] == 2)
        row[i] = s.Quantize(PenOp.Apply(row[i]));
      else if (m[i] == 1 && BrushOp != nullptr)
        row[i] = s.Quantize(BrushOp->Apply(row[i]));
    }
  }
}

int64_t DrawPathLine(const TSurface& s, TPixelMask* Mask, int64_t x0, int64_t y0, int64_t x1,
                     int64_t y1, const TDashPattern& Pattern, int64_t Pos, int64_t Width,
                     const TPixelOp& Op) {
  if (Width <= 1) {
    const TBox box = Mask != nullptr ? Mask->Box() : s.Clip;
    if (Mask != nullptr) {
      return TraceLine(x0, y0, x1, y1, box, [&](int64_t x, int64_t y, int64_t i) {
        if (Pattern.On(Pos + i)) Mask->Mark(x, y, 2);
      });
    }
    if (Pattern.Solid()) {
      // The common case, stepping a pixel pointer without per-pixel tests.
      const TLineSpan L = ClipLine(x0, y0, x1, y1, box);
      if (L.ILo >= L.IHi) return L.N;
      const int64_t x = L.XMajor ? L.Maj0 + L.SMaj * L.ILo : L.Min0 + L.SMin * L.K0;
      const int64_t y = L.XMajor ? L.Min0 + L.SMin * L.K0 : L.Maj0 + L.SMaj * L.ILo;
      // An index, not a pointer: after the last pixel it may leave the bitmap.
      int64_t p = y * s.Stride + x;
      const int64_t stepMaj = L.XMajor ? L.SMaj : L.SMaj * s.Stride;
      const int64_t stepMin = L.XMajor ? L.SMin * s.Stride : L.SMin;
      const int64_t twoA = 2 * L.A, twoN = 2 * L.N;
      int64_t r = L.R0;
      for (int64_t i = L.ILo; i < L.IHi; ++i) {
        s.Bits[p] = s.Quantize(Op.Apply(s.Bits[p]));
        p += stepMaj;
        r += twoA;
        // Branch-free: the carry is as good as random for most slopes.
        const int64_t carry = r >= twoN ? 1 : 0;
        r -= carry * twoN;
        p += carry * stepMin;
      }
      return L.N;
    }
    return TraceLine(x0, y0, x1, y1, box, [&](int64_t x, int64_t y, int64_t i) {
      if (Pattern.On(Pos + i)) s.Plot(x, y, Op);
    });
  }
  const TBox box = Mask != nullptr ? Mask->Box() : s.Clip;
  return WideLineSpans(x0, y0, x1, y1, box, Pattern, Pos, Width,
                       [&](int64_t xa, int64_t xb, int64_t y) {
                         if (Mask != nullptr)
                           Mask->MarkSpan(xa, xb, y, 2);
                         else
                           s.Span(xa, xb, y, Op);
                       });
}

}  // namespace detail

using namespace detail;

namespace {

int64_t Steps(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  const int64_t dx = x1 > x0 ? x1 - x0 : x0 - x1, dy = y1 > y0 ? y1 - y0 : y0 - y1;
  return std::max(dx, dy);
}

}  // namespace

void TCanvas::SetClipRect(const TRect& R) {
  FHasClip = true;
  FClip = R;
}

TRect TCanvas::GetClipRect() const {
  if (FTarget == nullptr || FTarget->GetEmpty()) return TRect{};
  // Bitmap bounds in logical units, then the clip rectangle.
  TBox b{-int64_t{FOrigin.x}, -int64_t{FOrigin.y}, int64_t{FTarget->GetWidth()} - FOrigin.x,
         int64_t{FTarget->GetHeight()} - FOrigin.y};
  if (FHasClip) b = b.Intersect(TBox{FClip.Left, FClip.Top, FClip.Right, FClip.Bottom});
  if (b.Empty()) return TRect{};
  auto c32 = [](int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
  };
  return TRect{c32(b.l), c32(b.t), c32(b.r), c32(b.b)};
}

TColor TCanvas::GetPixels(int32_t X, int32_t Y) const {
  if (FTarget == nullptr) return 0;
  const int64_t x = DevX(*this, X), y = DevY(*this, Y);
  if (x < 0 || y < 0 || x >= FTarget->GetWidth() || y >= FTarget->GetHeight()) return 0;
  return FTarget->GetPixel(static_cast<int32_t>(x), static_cast<int32_t>(y));
}

void TCanvas::SetPixels(int32_t X, int32_t Y, TColor Color) {
  const TSurface s = CanvasSurface(*this);
  const int64_t x = DevX(*this, X), y = DevY(*this, Y);
  if (s.Valid() && s.Clip.Contains(x, y)) s.Plot(x, y, CopyOp(ColorWord(Color)));
}

void TCanvas::MoveTo(int32_t X, int32_t Y) {
  FPenPos = TPoint{X, Y};
  FPatternPos = 0;
}

void TCanvas::LineTo(int32_t X, int32_t Y) {
  const int64_t x0 = DevX(*this, FPenPos.x), y0 = DevY(*this, FPenPos.y);
  const int64_t x1 = DevX(*this, X), y1 = DevY(*this, Y);
  const TPen& pen = FState.Pen;
  const TSurface s = CanvasSurface(*this);
  if (s.Valid() && pen.GetStyle() != TPenStyle::psClear) {
    const TPixelOp op = MakePenOp(pen.GetMode(), ColorWord(pen.GetColor()));
    const TDashPattern pattern = PatternOf(pen.GetStyle());
    const int64_t w = pen.GetWidth();
    if (w > 1 && !op.Idempotent()) {
      const TBox bbox{std::min(x0, x1) - w, std::min(y0, y1) - w, std::max(x0, x1) + w + 1,
                      std::max(y0, y1) + w + 1};
      TPixelMask mask(bbox.Intersect(s.Clip));
      DrawPathLine(s, &mask, x0, y0, x1, y1, pattern, FPatternPos, w, op);
      mask.Apply(s, op, nullptr);
    } else {
      DrawPathLine(s, nullptr, x0, y0, x1, y1, pattern, FPatternPos, w, op);
    }
  }
  FPatternPos += Steps(x0, y0, x1, y1);
  FPenPos = TPoint{X, Y};
}

void TCanvas::Line(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  MoveTo(X1, Y1);
  LineTo(X2, Y2);
}

void TCanvas::Polyline(std::span<const TPoint> Points) {
  if (Points.empty()) return;
  MoveTo(Points[0].x, Points[0].y);
  if (Points.size() < 2) return;
  const TPen& pen = FState.Pen;
  const TSurface s = CanvasSurface(*this);
  if (s.Valid() && pen.GetStyle() != TPenStyle::psClear) {
    const TPixelOp op = MakePenOp(pen.GetMode(), ColorWord(pen.GetColor()));
    const TDashPattern pattern = PatternOf(pen.GetStyle());
    const int64_t w = pen.GetWidth();
    // Segments may cross or overlap: a mask keeps non-idempotent modes to
    // one change per pixel.
    std::unique_ptr<TPixelMask> mask;
    if (!op.Idempotent()) {
      TBox bbox{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
      for (const TPoint& p : Points) {
        bbox.l = std::min(bbox.l, DevX(*this, p.x));
        bbox.t = std::min(bbox.t, DevY(*this, p.y));
        bbox.r = std::max(bbox.r, DevX(*this, p.x) + 1);
        bbox.b = std::max(bbox.b, DevY(*this, p.y) + 1);
      }
      mask = std::make_unique<TPixelMask>(bbox.Inflate(w).Intersect(s.Clip));
    }
    int64_t pos = 0;
    for (size_t i = 1; i < Points.size(); ++i) {
      pos += DrawPathLine(s, mask.get(), DevX(*this, Points[i - 1].x), DevY(*this, Points[i - 1].y),
                          DevX(*this, Points[i].x), DevY(*this, Points[i].y), pattern, pos, w, op);
    }
    if (mask) mask->Apply(s, op, nullptr);
    FPatternPos = pos;
  } else {
    int64_t pos = 0;
    for (size_t i = 1; i < Points.size(); ++i)
      pos += Steps(Points[i - 1].x, Points[i - 1].y, Points[i].x, Points[i].y);
    FPatternPos = pos;
  }
  FPenPos = Points.back();
}

}  // namespace zel
