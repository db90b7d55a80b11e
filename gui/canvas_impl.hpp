// Internal helpers shared by the canvas sources: the device surface of a
// canvas (clipped target pixels), the bitwise pixel operations, the digital
// line tracer and the per-call pixel mask. Not part of the public interface.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "gui/zel_graphics.hpp"

namespace zel::detail {

__extension__ typedef __int128 Int128;

// floor(a / b) and ceil(a / b) for b > 0.
inline Int128 FloorDiv(Int128 a, Int128 b) {
  Int128 q = a / b;
  if ((a % b != 0) && (a < 0)) --q;
  return q;
}
inline Int128 CeilDiv(Int128 a, Int128 b) {
  Int128 q = a / b;
  if ((a % b != 0) && (a > 0)) ++q;
  return q;
}

// RGB word of a colour: system colours resolved, high byte 0.
inline uint32_t ColorWord(TColor c) { return static_cast<uint32_t>(ColorToRGB(c)) & 0xFFFFFFu; }

// A device rectangle, Right and Bottom exclusive.
struct TBox {
  int64_t l = 0, t = 0, r = 0, b = 0;
  bool Empty() const { return r <= l || b <= t; }
  TBox Intersect(const TBox& o) const {
    return TBox{std::max(l, o.l), std::max(t, o.t), std::min(r, o.r), std::min(b, o.b)};
  }
  TBox Inflate(int64_t d) const { return TBox{l - d, t - d, r + d, b + d}; }
  bool Contains(int64_t x, int64_t y) const { return x >= l && x < r && y >= t && y < b; }
};

// A bitwise operation d' = (d & M) ^ X (every two-operand raster mode has
// this form once the pen colour is fixed).
struct TPixelOp {
  uint32_t M = 0;
  uint32_t X = 0;
  // The result does not depend on the destination.
  bool Replaces() const { return M == 0; }
  // Applying the operation twice gives the same as once.
  bool Idempotent() const { return (X & M) == 0; }
  uint32_t Apply(uint32_t d) const { return ((d & M) ^ X) & 0xFFFFFFu; }
};

TPixelOp MakePenOp(TPenMode Mode, uint32_t Rgb);
inline TPixelOp CopyOp(uint32_t Rgb) { return TPixelOp{0, Rgb & 0xFFFFFFu}; }

// The clipped pixels of a canvas's target in device coordinates.
struct TSurface {
  uint32_t* Bits = nullptr;
  int64_t Stride = 0;
  TBox Clip;  // inside the bitmap
  bool Q15 = false;

  bool Valid() const { return Bits != nullptr && !Clip.Empty(); }
  uint32_t* Row(int64_t y) const { return Bits + y * Stride; }
  uint32_t Quantize(uint32_t w) const {
    if (!Q15) return w;
    const uint32_t t = w & 0xF8F8F8u;
    return t | ((t >> 5) & 0x070707u);
  }
  // Pixel inside Clip.
  void Plot(int64_t x, int64_t y, const TPixelOp& op) const {
    uint32_t& p = Row(y)[x];
    p = Quantize(op.Apply(p));
  }
  // Pixels x0..x1-1 of row y, already clipped.
  void Span(int64_t x0, int64_t x1, int64_t y, const TPixelOp& op) const {
    uint32_t* p = Row(y);
    if (op.Replaces()) {
      std::fill(p + x0, p + x1, Quantize(op.X));
    } else {
      for (int64_t x = x0; x < x1; ++x) p[x] = Quantize(op.Apply(p[x]));
    }
  }
  // Clipped span.
  void ClipSpan(int64_t x0, int64_t x1, int64_t y, const TPixelOp& op) const {
    if (y < Clip.t || y >= Clip.b) return;
    x0 = std::max(x0, Clip.l);
    x1 = std::min(x1, Clip.r);
    if (x0 < x1) Span(x0, x1, y, op);
  }
  void FillBox(const TBox& box, const TPixelOp& op) const {
    const TBox c = box.Intersect(Clip);
    if (c.Empty()) return;
    for (int64_t y = c.t; y < c.b; ++y) Span(c.l, c.r, y, op);
  }
};

// The surface a canvas draws on (invalid without target or when clipped
// away), and the canvas origin as 64-bit offsets.
TSurface CanvasSurface(const TCanvas& Canvas);
inline int64_t DevX(const TCanvas& c, int64_t x) { return x + c.GetOrigin().x; }
inline int64_t DevY(const TCanvas& c, int64_t y) { return y + c.GetOrigin().y; }

// Dash pattern of a pen style: bit j of Bits is "on" for position j of a
// pattern of Length pixels (Length 1 with bit 0 set: solid).
struct TDashPattern {
  uint32_t Bits = 1;
  int32_t Length = 1;
  bool Solid() const { return Length == 1; }
  bool On(int64_t pos) const {
    return Solid() || ((Bits >> static_cast<int>(pos % Length)) & 1u) != 0;
  }
};
TDashPattern PatternOf(TPenStyle Style);

// The visible part of the digital line from (x0, y0) towards (x1, y1),
// end excluded: n steps in all; steps iLo..iHi-1 lie inside the box. Step i
// is at major coordinate maj0 + sMaj*i and minor coordinate
// min0 + sMin*k(i) with k(i) = floor((2 i a + n) / (2 n)) (a = |minor
// extent|), the nearest pixel with halves away from the start.
struct TLineSpan {
  bool XMajor = true;
  int64_t N = 0, A = 0, SMaj = 1, SMin = 1, Maj0 = 0, Min0 = 0;
  int64_t ILo = 0, IHi = 0;  // empty when ILo >= IHi
  int64_t K0 = 0, R0 = 0;    // k(ILo) and the remainder (2 ILo a + n) mod 2n
};

inline TLineSpan ClipLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1, const TBox& Box) {
  TLineSpan L;
  const int64_t dx = x1 - x0, dy = y1 - y0;
  const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  L.XMajor = adx >= ady;
  L.N = L.XMajor ? adx : ady;
  if (L.N == 0 || Box.Empty()) return L;
  L.A = L.XMajor ? ady : adx;
  L.SMaj = (L.XMajor ? dx : dy) < 0 ? -1 : 1;
  L.SMin = (L.XMajor ? dy : dx) < 0 ? -1 : 1;
  L.Maj0 = L.XMajor ? x0 : y0;
  L.Min0 = L.XMajor ? y0 : x0;
  const int64_t majLo = L.XMajor ? Box.l : Box.t, majHi = L.XMajor ? Box.r : Box.b;
  const int64_t minLo = L.XMajor ? Box.t : Box.l, minHi = L.XMajor ? Box.b : Box.r;
  // Steps whose major coordinate lies in [majLo, majHi).
  Int128 lo, hi;
  if (L.SMaj > 0) {
    lo = Int128{majLo} - L.Maj0;
    hi = Int128{majHi} - L.Maj0;
  } else {
    lo = Int128{L.Maj0} - majHi + 1;
    hi = Int128{L.Maj0} - majLo + 1;
  }
  // Steps whose minor offset k lies in [kLo, kHi).
  Int128 kLo, kHi;
  if (L.SMin > 0) {
    kLo = Int128{minLo} - L.Min0;
    kHi = Int128{minHi} - L.Min0;
  } else {
    kLo = Int128{L.Min0} - minHi + 1;
    kHi = Int128{L.Min0} - minLo + 1;
  }
  if (L.A == 0) {
    if (kLo > 0 || kHi <= 0) return L;
  } else {
    // k(i) >= m  <=>  i >= ceil((2m - 1) n / (2a)).
    const Int128 twoA = Int128{2} * L.A;
    lo = std::max(lo, CeilDiv((2 * kLo - 1) * L.N, twoA));
    hi = std::min(hi, CeilDiv((2 * kHi - 1) * L.N, twoA));
  }
  lo = std::max<Int128>(lo, 0);
  hi = std::min<Int128>(hi, L.N);
  if (lo >= hi) return L;
  L.ILo = static_cast<int64_t>(lo);
  L.IHi = static_cast<int64_t>(hi);
  const Int128 num = Int128{2} * L.ILo * L.A + L.N;
  L.K0 = static_cast<int64_t>(num / (Int128{2} * L.N));
  L.R0 = static_cast<int64_t>(num % (Int128{2} * L.N));
  return L;
}

// The pixels of that line inside Box: Fn(x, y, i) for step i. Returns the
// number of steps n of the whole line. Cost is bounded by the visible
// pixels, whatever the coordinates.
template <class Fn>
int64_t TraceLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1, const TBox& Box, Fn&& fn) {
  const TLineSpan L = ClipLine(x0, y0, x1, y1, Box);
  if (L.ILo >= L.IHi) return L.N;
  int64_t maj = L.Maj0 + L.SMaj * L.ILo, mn = L.Min0 + L.SMin * L.K0, r = L.R0;
  const int64_t twoA = 2 * L.A, twoN = 2 * L.N;
  for (int64_t i = L.ILo; i < L.IHi; ++i) {
    if (L.XMajor)
      fn(maj, mn, i);
    else
      fn(mn, maj, i);
    maj += L.SMaj;
    r += twoA;
    if (r >= twoN) {
      r -= twoN;
      mn += L.SMin;
    }
  }
  return L.N;
}

// The pixels a pen of Width > 1 puts on the line from (x0, y0) towards
// (x1, y1) (end excluded): the union of the Width x Width squares centred
// on its steps - reaching (Width-1)/2 up and left, Width/2 down and right -
// of the steps whose dash cell (Pos + i) / Width is on. Fn(xa, xb, y) gets
// the union's spans [xa, xb) of row y, cut to Box. Returns the line's step
// count. Per visible row: one clipped line trace and one call per dash run
// that shows, so the cost follows the visible pixels, whatever the width.
template <class Fn>
int64_t WideLineSpans(int64_t x0, int64_t y0, int64_t x1, int64_t y1, const TBox& Box,
                      const TDashPattern& Pattern, int64_t Pos, int64_t Width, Fn&& fn) {
  const int64_t dx = x1 - x0, dy = y1 - y0;
  const int64_t n = std::max(dx < 0 ? -dx : dx, dy < 0 ? -dy : dy);
  const int64_t lo = (Width - 1) / 2, hi = Width / 2;
  if (n == 0 || Box.Empty()) return n;
  const TBox reach = TBox{std::min(x0, x1) - lo, std::min(y0, y1) - lo, std::max(x0, x1) + hi + 1,
                          std::max(y0, y1) + hi + 1}
                         .Intersect(Box);
  if (reach.Empty()) return n;
  for (int64_t y = reach.t; y < reach.b; ++y) {
    // The steps whose square covers row y and reaches into the box's columns;
    // they are consecutive, and consecutive squares overlap.
    const TLineSpan L = ClipLine(x0, y0, x1, y1, TBox{Box.l - hi, y - hi, Box.r + lo, y + lo + 1});
    if (L.ILo >= L.IHi) continue;
    auto xOf = [&L](int64_t i) -> int64_t {
      if (L.XMajor) return L.Maj0 + L.SMaj * i;
      const Int128 k = (Int128{2} * i * L.A + L.N) / (Int128{2} * L.N);
      return L.Min0 + L.SMin * static_cast<int64_t>(k);
    };
    auto emit = [&](int64_t ia, int64_t ib) {  // steps ia..ib-1
      const int64_t xa = xOf(ia), xb = xOf(ib - 1);
      const int64_t l = std::max(std::min(xa, xb) - lo, Box.l),
                    r = std::min(std::max(xa, xb) + hi + 1, Box.r);
      if (l < r) fn(l, r, y);
    };
    if (Pattern.Solid()) {
      emit(L.ILo, L.IHi);
      continue;
    }
    const int64_t jEnd = (Pos + L.IHi - 1) / Width;
    for (int64_t j = (Pos + L.ILo) / Width; j <= jEnd; ++j) {
      if (!Pattern.On(j)) continue;
      const int64_t first = j;
      while (j < jEnd && Pattern.On(j + 1)) ++j;
      emit(std::max(L.ILo, first * Width - Pos), std::min(L.IHi, (j + 1) * Width - Pos));
    }
  }
  return n;
}

// One byte per pixel of a device box: 0 untouched, 1 interior (brush),
// 2 outline (pen). Lets one call change each pixel at most once.
class TPixelMask {
 public:
  explicit TPixelMask(const TBox& Box)
      : FBox(Box),
        FW(Box.Empty() ? 0 : Box.r - Box.l),
        FData(static_cast<size_t>(Box.Empty() ? 0 : FW * (Box.b - Box.t)), 0) {}
  const TBox& Box() const { return FBox; }
  void Mark(int64_t x, int64_t y, uint8_t v) {
    if (FBox.Contains(x, y)) {
      uint8_t& m = FData[static_cast<size_t>((y - FBox.t) * FW + (x - FBox.l))];
      m = std::max(m, v);
    }
  }
  // Marks x0..x1-1 of row y (clipped to the box).
  void MarkSpan(int64_t x0, int64_t x1, int64_t y, uint8_t v) {
    if (y < FBox.t || y >= FBox.b) return;
    x0 = std::max(x0, FBox.l);
    x1 = std::min(x1, FBox.r);
    uint8_t* row = &FData[static_cast<size_t>((y - FBox.t) * FW)];
    for (int64_t x = x0; x < x1; ++x) row[x - FBox.l] = std::max(row[x - FBox.l], v);
  }
  // Applies PenOp to the outline pixels and BrushOp to the interior ones
  // (BrushOp may be null: interior not drawn). The box must lie inside the
  // surface's clip.
  void Apply(const TSurface& s, const TPixelOp& PenOp, const TPixelOp* BrushOp) const;

 private:
  TBox FBox;
  int64_t FW;
  std::vector<uint8_t> FData;
};

// Stamps or plots the pixels of one line of a path. Pos is the dash count
// at the line's start; returns the line's step count.
int64_t DrawPathLine(const TSurface& s, TPixelMask* Mask, int64_t x0, int64_t y0, int64_t x1,
                     int64_t y1, const TDashPattern& Pattern, int64_t Pos, int64_t Width,
                     const TPixelOp& Op);

}  // namespace zel::detail
