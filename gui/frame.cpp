// DrawFrame: the frame styles of the visual components.
#include <algorithm>

#include "gui/canvas_impl.hpp"
#include "gui/zel_graphics.hpp"

namespace zel {

using namespace detail;

namespace {

// One ring on the inclusive box l..r x t..b: top row and left column in
// TopLeft (up to, not including, the other corners), bottom row and right
// column in BottomRight (corners included).
void Ring(const TSurface& s, int64_t l, int64_t t, int64_t r, int64_t b, uint32_t TopLeft,
          uint32_t BottomRight) {
  if (r < l || b < t) return;
  const TPixelOp tl = CopyOp(TopLeft), br = CopyOp(BottomRight);
  s.FillBox(TBox{l, t, r, t + 1}, tl);      // top, without the top-right corner
  s.FillBox(TBox{l, t + 1, l + 1, b}, tl);  // left, without the bottom-left corner
  s.FillBox(TBox{l, b, r + 1, b + 1}, br);  // bottom, both corners
  s.FillBox(TBox{r, t, r + 1, b}, br);      // right, from the top-right corner
}

}  // namespace

void DrawFrame(TCanvas& Canvas, TFrameStyle Style, const TRect& R, TColor Dark, TColor Shadow,
               TColor Light, TColor Highlight) {
  const TSurface s = CanvasSurface(Canvas);
  if (!s.Valid()) return;
  const int64_t l = DevX(Canvas, std::min(R.Left, R.Right)),
                r = DevX(Canvas, std::max(R.Left, R.Right));
  const int64_t t = DevY(Canvas, std::min(R.Top, R.Bottom)),
                b = DevY(Canvas, std::max(R.Top, R.Bottom));
  const uint32_t dark = ColorWord(Dark), shadow = ColorWord(Shadow), light = ColorWord(Light),
                 high = ColorWord(Highlight);
  switch (Style) {
    case TFrameStyle::fsNone: break;
    case TFrameStyle::fsSimple: Ring(s, l, t, r, b, dark, dark); break;
    case TFrameStyle::fsLowered:
      Ring(s, l, t, r, b, shadow, high);
      Ring(s, l + 1, t + 1, r - 1, b - 1, dark, light);
      break;
    case TFrameStyle::fsRaised:
      Ring(s, l, t, r, b, light, dark);
      Ring(s, l + 1, t + 1, r - 1, b - 1, high, shadow);
      break;
  }
}

}  // namespace zel
