// TCanvas: text through the font engine of gui/zel_fonts.hpp.
#include <algorithm>
#include <cmath>
#include <utility>

#include "gui/canvas_impl.hpp"
#include "gui/zel_fonts.hpp"
#include "gui/zel_graphics.hpp"

namespace zel {

using namespace detail;

namespace {

// Pixels whose centre lies inside the quadrilateral (even-odd, left and top
// edges inside), filled with Op.
void FillQuad(const TSurface& s, const TPointDouble (&q)[4], const TPixelOp& op) {
  double ymin = q[0].y, ymax = q[0].y;
  for (const auto& p : q) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
    ymin = std::min(ymin, p.y);
    ymax = std::max(ymax, p.y);
  }
  const int64_t y0 =
      std::max<int64_t>(s.Clip.t, static_cast<int64_t>(std::floor(std::max(ymin, -4e18))));
  const int64_t y1 =
      std::min<int64_t>(s.Clip.b, static_cast<int64_t>(std::ceil(std::min(ymax, 4e18))) + 1);
  double xs[4];
  for (int64_t y = y0; y < y1; ++y) {
    const double yc = static_cast<double>(y) + 0.5;
    int n = 0;
    for (int i = 0; i < 4; ++i) {
      const TPointDouble& a = q[i];
      const TPointDouble& b = q[(i + 1) % 4];
      const bool down = a.y <= yc && yc < b.y, up = b.y <= yc && yc < a.y;
      if (!down && !up) continue;
      xs[n++] = a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y);
    }
    // At most four crossings: insertion sort (std::sort trips a false
    // array-bounds warning of GCC 12 here).
    for (int i = 1; i < n; ++i)
      for (int j = i; j > 0 && xs[j] < xs[j - 1]; --j) std::swap(xs[j], xs[j - 1]);
    for (int k = 0; k + 1 < n; k += 2) {
      const double l = std::ceil(xs[k] - 0.5), r = std::ceil(xs[k + 1] - 0.5);
      const int64_t xl = std::max<int64_t>(s.Clip.l, static_cast<int64_t>(std::max(l, -4e18)));
      const int64_t xr = std::min<int64_t>(s.Clip.r, static_cast<int64_t>(std::min(r, 4e18)));
      if (xl < xr) s.Span(xl, xr, y, op);
    }
  }
}

}  // namespace

void TCanvas::TextOut(int32_t X, int32_t Y, std::string_view Utf8) {
  const TSurface s = CanvasSurface(*this);
  const int64_t dx = DevX(*this, X), dy = DevY(*this, Y);
  if (s.Valid() && dx >= INT32_MIN && dx <= INT32_MAX && dy >= INT32_MIN && dy <= INT32_MAX) {
    const TRect clip{static_cast<int32_t>(s.Clip.l), static_cast<int32_t>(s.Clip.t),
                     static_cast<int32_t>(s.Clip.r), static_cast<int32_t>(s.Clip.b)};
    const TTextMask m = FontRenderText(FState.Font.GetSpec(), Utf8, static_cast<int32_t>(dx),
                                       static_cast<int32_t>(dy), clip);
    if (FState.Brush.GetStyle() != TBrushStyle::bsClear)
      FillQuad(s, m.Box, CopyOp(ColorWord(FState.Brush.GetColor())));
    const uint32_t f = ColorWord(FState.Font.GetColor());
    const uint32_t fc[3] = {f & 0xFF, (f >> 8) & 0xFF, (f >> 16) & 0xFF};
    const TBox box =
        TBox{m.Left, m.Top, int64_t{m.Left} + m.Width, int64_t{m.Top} + m.Height}.Intersect(s.Clip);
    for (int64_t y = box.t; y < box.b; ++y) {
      const uint8_t* cov = m.Coverage.data() + (y - m.Top) * int64_t{m.Width};
      uint32_t* row = s.Row(y);
      for (int64_t x = box.l; x < box.r; ++x) {
        const uint32_t c = cov[x - m.Left];
        if (c == 0) continue;
        if (c == 255) {
          row[x] = s.Quantize(f);
          continue;
        }
        const uint32_t d = row[x];
        uint32_t out = 0;
        for (int ch = 0; ch < 3; ++ch) {
          const uint32_t dv = (d >> (8 * ch)) & 0xFF;
          out |= ((dv * (255 - c) + fc[ch] * c + 127) / 255) << (8 * ch);
        }
        row[x] = s.Quantize(out);
      }
    }
  }
  FPenPos = TPoint{WrapAdd(X, TextWidth(Utf8)), Y};
  FPatternPos = 0;
}

int32_t TCanvas::TextWidth(std::string_view Utf8) const {
  return FontTextExtent(FState.Font.GetSpec(), Utf8).cx;
}

int32_t TCanvas::TextHeight(std::string_view Utf8) const {
  return FontTextExtent(FState.Font.GetSpec(), Utf8).cy;
}

TSize TCanvas::TextExtent(std::string_view Utf8) const {
  return FontTextExtent(FState.Font.GetSpec(), Utf8);
}

}  // namespace zel
