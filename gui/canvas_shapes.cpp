// TCanvas: rectangles, ellipses, polygons and plain fills.
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "gui/canvas_impl.hpp"
#include "gui/zel_graphics.hpp"

namespace zel {

using namespace detail;

namespace {

// What a shape call paints with: the pen (outline) and, unless the brush is
// clear, the interior, both combined through the pen mode.
struct TShapeOps {
  bool PenOn = false;
  bool BrushOn = false;
  TPixelOp Pen;
  TPixelOp Brush;
  TDashPattern Pattern;
  int64_t Width = 1;
};

TShapeOps ShapeOps(const TCanvas& c) {
  TShapeOps o;
  const TPen& pen = c.GetPen();
  o.PenOn = pen.GetStyle() != TPenStyle::psClear;
  o.BrushOn = c.GetBrush().GetStyle() != TBrushStyle::bsClear;
  o.Pen = MakePenOp(pen.GetMode(), ColorWord(pen.GetColor()));
  o.Brush = MakePenOp(pen.GetMode(), ColorWord(c.GetBrush().GetColor()));
  o.Pattern = PatternOf(pen.GetStyle());
  o.Width = pen.GetWidth();
  return o;
}

// Outline span x0..x1-1 of row y (already widened by the pen): marked, or
// painted clipped.
void PutOutline(const TSurface& s, TPixelMask* mask, int64_t x0, int64_t x1, int64_t y,
                const TShapeOps& o) {
  if (x0 >= x1) return;
  if (mask != nullptr)
    mask->MarkSpan(x0, x1, y, 2);
  else
    s.ClipSpan(x0, x1, y, o.Pen);
}

// Interior span x0..x1-1 of row y: marked, or painted clipped.
void PutInterior(const TSurface& s, TPixelMask* mask, int64_t x0, int64_t x1, int64_t y,
                 const TShapeOps& o) {
  if (!o.BrushOn || x0 >= x1) return;
  if (mask != nullptr)
    mask->MarkSpan(x0, x1, y, 1);
  else
    s.ClipSpan(x0, x1, y, o.Brush);
}

// ---- Ellipse rows -----------------------------------------------------------

// floor(sqrt(v)) for v >= 0.
Int128 ISqrt(Int128 v) {
  if (v <= 0) return 0;
  Int128 r = static_cast<Int128>(std::sqrt(static_cast<long double>(v)));
  while (r > 0 && r * r > v) --r;
  while ((r + 1) * (r + 1) <= v) ++r;
  return r;
}

// The pixels of row y inside the ellipse of box [x1, x2) x [y1, y2):
// [L, R] inclusive, or nothing.
struct TRowSpan {
  bool Any = false;
  int64_t L = 0, R = 0;
};

class TEllipseRows {
 public:
  TEllipseRows(int64_t x1, int64_t y1, int64_t x2, int64_t y2)
      : FW(x2 - x1),
        FH(y2 - y1),
        FSx(x1 + x2),
        FSy(y1 + y2),
        FExact(FW <= (int64_t{1} << 30) && FH <= (int64_t{1} << 30)) {}

  TRowSpan Row(int64_t y) const {
    TRowSpan s;
    const int64_t v = 2 * y + 1 - FSy;
    const int64_t av = v < 0 ? -v : v;
    if (av > FH) return s;
    // |u| <= umax with u = 2x + 1 - Sx, u^2 H^2 <= W^2 (H^2 - v^2).
    int64_t umax;
    if (FExact) {
      const Int128 h2 = Int128{FH} * FH;
      const Int128 q = Int128{FW} * FW * (h2 - Int128{v} * v) / h2;
      umax = static_cast<int64_t>(ISqrt(q));
    } else {
      const long double t = static_cast<long double>(v) / static_cast<long double>(FH);
      const long double r = static_cast<long double>(FW) * std::sqrt(std::max(0.0L, 1.0L - t * t));
      umax = static_cast<int64_t>(std::floor(r));
    }
    // u has the parity of 1 - Sx.
    const int64_t parity = (FSx & 1) == 0 ? 1 : 0;
    if (((umax & 1) != 0) != (parity != 0)) --umax;
    if (umax < 0) return s;
    s.Any = true;
    s.L = (-umax + FSx - 1) / 2;
    s.R = (umax + FSx - 1) / 2;
    return s;
  }

 private:
  int64_t FW, FH, FSx, FSy;
  bool FExact;
};

// The outline part of a row: the row's pixels minus those whose four
// neighbours all lie in the region.
void RowOutline(const TRowSpan& up, const TRowSpan& cur, const TRowSpan& down, int64_t& il,
                int64_t& ir) {
  // Interior il..ir (empty when il > ir).
  if (!up.Any || !down.Any) {
    il = 1;
    ir = 0;
    return;
  }
  il = std::max({cur.L + 1, up.L, down.L});
  ir = std::min({cur.R - 1, up.R, down.R});
}

}  // namespace

void TCanvas::FillRect(const TRect& R) {
  const TSurface s = CanvasSurface(*this);
  if (!s.Valid() || FState.Brush.GetStyle() == TBrushStyle::bsClear) return;
  s.FillBox(
      TBox{DevX(*this, R.Left), DevY(*this, R.Top), DevX(*this, R.Right), DevY(*this, R.Bottom)},
      CopyOp(ColorWord(FState.Brush.GetColor())));
}

void TCanvas::FrameRect(const TRect& R) {
  const TSurface s = CanvasSurface(*this);
  if (!s.Valid() || FState.Brush.GetStyle() == TBrushStyle::bsClear) return;
  const TBox b{DevX(*this, R.Left), DevY(*this, R.Top), DevX(*this, R.Right),
               DevY(*this, R.Bottom)};
  if (b.Empty()) return;
  const TPixelOp op = CopyOp(ColorWord(FState.Brush.GetColor()));
  s.FillBox(TBox{b.l, b.t, b.r, b.t + 1}, op);
  if (b.b - b.t > 1) s.FillBox(TBox{b.l, b.b - 1, b.r, b.b}, op);
  s.FillBox(TBox{b.l, b.t + 1, b.l + 1, b.b - 1}, op);
  if (b.r - b.l > 1) s.FillBox(TBox{b.r - 1, b.t + 1, b.r, b.b - 1}, op);
}

void TCanvas::Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  const TSurface s = CanvasSurface(*this);
  if (!s.Valid()) return;
  TBox b{DevX(*this, std::min(X1, X2)), DevY(*this, std::min(Y1, Y2)),
         DevX(*this, std::max(X1, X2)), DevY(*this, std::max(Y1, Y2))};
  if (b.Empty()) return;
  const TShapeOps o = ShapeOps(*this);
  if (!o.PenOn) {
    if (o.BrushOn) s.FillBox(b, o.Brush);
    return;
  }
  const bool thin = b.r - b.l == 1 || b.b - b.t == 1;
  // With a one-pixel pen the outline path and the interior are disjoint;
  // wide pens overlap the interior and need the mask unless the pen replaces.
  const bool direct = o.Width == 1 || o.Pen.Replaces();
  std::optional<TPixelMask> mask;
  if (!direct) mask.emplace(b.Inflate(o.Width).Intersect(s.Clip));
  TPixelMask* m = mask ? &*mask : nullptr;
  if (thin) {
    // A box one pixel wide or high is all outline, solid: with the pen's
    // squares on every pixel it grows by (Width-1)/2 up and left, Width/2
    // down and right.
    const int64_t lo = (o.Width - 1) / 2, hi = o.Width / 2;
    const TBox pen = TBox{b.l - lo, b.t - lo, b.r + hi, b.b + hi}.Intersect(s.Clip);
    for (int64_t y = pen.t; y < pen.b; ++y) PutOutline(s, m, pen.l, pen.r, y, o);
  } else {
    for (int64_t y = std::max(b.t + 1, s.Clip.t); y < std::min(b.b - 1, s.Clip.b); ++y)
      PutInterior(s, m, b.l + 1, b.r - 1, y, o);
    const int64_t xs[5] = {b.l, b.r - 1, b.r - 1, b.l, b.l};
    const int64_t ys[5] = {b.t, b.t, b.b - 1, b.b - 1, b.t};
    int64_t pos = 0;
    for (int k = 0; k < 4; ++k)
      pos += DrawPathLine(s, m, xs[k], ys[k], xs[k + 1], ys[k + 1], o.Pattern, pos, o.Width, o.Pen);
  }
  if (m != nullptr) m->Apply(s, o.Pen, o.BrushOn ? &o.Brush : nullptr);
}

void TCanvas::Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  const TSurface s = CanvasSurface(*this);
  if (!s.Valid()) return;
  const TBox b{DevX(*this, std::min(X1, X2)), DevY(*this, std::min(Y1, Y2)),
               DevX(*this, std::max(X1, X2)), DevY(*this, std::max(Y1, Y2))};
  if (b.Empty()) return;
  TShapeOps o = ShapeOps(*this);
  if (!o.PenOn && !o.BrushOn) return;
  const TEllipseRows rows(b.l, b.t, b.r, b.b);
  const bool direct = !o.PenOn || o.Width == 1 || o.Pen.Replaces();
  std::optional<TPixelMask> mask;
  if (!direct) mask.emplace(b.Inflate(o.Width).Intersect(s.Clip));
  TPixelMask* m = mask ? &*mask : nullptr;
  // The interior first: wide squares of a replacing pen go over it.
  const TBox inner = b.Intersect(s.Clip);
  for (int64_t y = inner.t; y < inner.b; ++y) {
    const TRowSpan cur = rows.Row(y);
    if (!cur.Any) continue;
    int64_t il = cur.L, ir = cur.R;  // inclusive
    if (o.PenOn) RowOutline(rows.Row(y - 1), cur, rows.Row(y + 1), il, ir);
    if (il <= ir) PutInterior(s, m, std::max(il, s.Clip.l), std::min(ir + 1, s.Clip.r), y, o);
  }
  if (o.PenOn) {
    // Outline pixels are those of the ellipse with a 4-neighbour outside it.
    // A square of the pen covers pixel (X, Y) exactly when the box
    // [X - hi, X + lo] x [Y - hi, Y + lo] meets the ellipse without lying
    // inside its interior (a path from an interior pixel out of the interior
    // crosses the outline). Rows and interiors are nested runs about one
    // centre, so the widest row of that window lies nearest the centre and
    // the narrowest interior at one of its ends: each visible row costs a
    // few square roots, whatever the width.
    const int64_t lo = (o.Width - 1) / 2, hi = o.Width / 2;
    const int64_t yMid = static_cast<int64_t>(FloorDiv(Int128{b.t} + b.b - 1, 2));
    const TBox reach = TBox{b.l - lo, b.t - lo, b.r + hi, b.b + hi}.Intersect(s.Clip);
    auto interior = [&](int64_t y, int64_t& il, int64_t& ir) {
      const TRowSpan cur = rows.Row(y);
      il = cur.L;
      ir = cur.R;
      if (cur.Any)
        RowOutline(rows.Row(y - 1), cur, rows.Row(y + 1), il, ir);
      else
        il = ir + 1;
    };
    for (int64_t y = reach.t; y < reach.b; ++y) {
      const int64_t wa = y - hi, wb = y + lo;  // rows of the window, inclusive
      const int64_t ca = std::max(wa, b.t), cb = std::min(wb, b.b - 1);
      if (ca > cb) continue;
      const TRowSpan widest = rows.Row(std::clamp(yMid, ca, cb));
      if (!widest.Any) continue;
      const int64_t xa = widest.L - lo, xb = widest.R + hi;  // inclusive
      int64_t ha = 1, hb = 0;                                // the part no square reaches
      if (wa > b.t && wb < b.b - 1) {
        int64_t il0, ir0, il1, ir1;
        interior(wa, il0, ir0);
        interior(wb, il1, ir1);
        ha = std::max(il0, il1) + hi;
        hb = std::min(ir0, ir1) - lo;
      }
      // The interior lies strictly inside every row, so a hole splits the row.
      if (ha <= hb) {
        PutOutline(s, m, std::max(xa, s.Clip.l), std::min(ha, s.Clip.r), y, o);
        PutOutline(s, m, std::max(hb + 1, s.Clip.l), std::min(xb + 1, s.Clip.r), y, o);
      } else {
        PutOutline(s, m, std::max(xa, s.Clip.l), std::min(xb + 1, s.Clip.r), y, o);
      }
    }
  }
  if (m != nullptr) m->Apply(s, o.Pen, o.BrushOn ? &o.Brush : nullptr);
}

void TCanvas::Polygon(std::span<const TPoint> Points) {
  const TSurface s = CanvasSurface(*this);
  if (!s.Valid() || Points.size() < 2) return;
  const TShapeOps o = ShapeOps(*this);
  if (!o.PenOn && !o.BrushOn) return;
  const size_t n = Points.size();
  std::vector<int64_t> px(n), py(n);
  TBox bbox{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
  for (size_t i = 0; i < n; ++i) {
    px[i] = DevX(*this, Points[i].x);
    py[i] = DevY(*this, Points[i].y);
    bbox.l = std::min(bbox.l, px[i]);
    bbox.t = std::min(bbox.t, py[i]);
    bbox.r = std::max(bbox.r, px[i] + 1);
    bbox.b = std::max(bbox.b, py[i] + 1);
  }
  // The outline path may cross itself and the interior: a mask unless every
  // operation replaces the destination (then the outline simply goes last).
  const bool direct = !o.PenOn || o.Pen.Replaces();
  std::optional<TPixelMask> mask;
  if (!direct) mask.emplace(bbox.Inflate(o.Width).Intersect(s.Clip));
  TPixelMask* m = mask ? &*mask : nullptr;

  if (o.BrushOn) {
    // Even-odd spans at integer sample points; an edge counts for
    // ylo <= y < yhi, a span covers [ceil(xa), ceil(xb)). The edges that
    // reach the visible rows are sorted by their first row and join an
    // active list when the scan gets there (at once, for those starting
    // above); the list drops them after their last row, so each row looks
    // only at the edges that cross it.
    const TBox rowsBox = bbox.Intersect(s.Clip);
    struct TEdge {
      int64_t Xa, Ya, Xb, Yb;  // Ya < Yb
    };
    std::vector<TEdge> edges;
    for (size_t i = 0; i < n; ++i) {
      const size_t j = (i + 1) % n;
      TEdge e{px[i], py[i], px[j], py[j]};
      if (e.Ya == e.Yb) continue;
      if (e.Ya > e.Yb) {
        std::swap(e.Xa, e.Xb);
        std::swap(e.Ya, e.Yb);
      }
      if (e.Yb <= rowsBox.t || e.Ya >= rowsBox.b) continue;
      edges.push_back(e);
    }
    std::sort(edges.begin(), edges.end(),
              [](const TEdge& a, const TEdge& b) { return a.Ya < b.Ya; });
    std::vector<const TEdge*> active;
    std::vector<int64_t> xs;
    size_t next = 0;
    for (int64_t y = rowsBox.t; y < rowsBox.b; ++y) {
      while (next < edges.size() && edges[next].Ya <= y) active.push_back(&edges[next++]);
      std::erase_if(active, [y](const TEdge* e) { return e->Yb <= y; });
      if (active.empty()) {
        // Nothing until the next edge starts.
        if (next == edges.size()) break;
        y = std::max(y, edges[next].Ya - 1);
        continue;
      }
      xs.clear();
      for (const TEdge* e : active) {
        const Int128 num = Int128{e->Xa} * (e->Yb - e->Ya) + Int128{y - e->Ya} * (e->Xb - e->Xa);
        xs.push_back(static_cast<int64_t>(CeilDiv(num, e->Yb - e->Ya)));
      }
      std::sort(xs.begin(), xs.end());
      for (size_t k = 0; k + 1 < xs.size(); k += 2) {
        const int64_t x0 = std::max(xs[k], s.Clip.l), x1 = std::min(xs[k + 1], s.Clip.r);
        if (x0 < x1) PutInterior(s, m, x0, x1, y, o);
      }
    }
  }
  if (o.PenOn) {
    int64_t pos = 0;
    for (size_t i = 0; i < n; ++i) {
      const size_t j = (i + 1) % n;
      pos += DrawPathLine(s, m, px[i], py[i], px[j], py[j], o.Pattern, pos, o.Width, o.Pen);
    }
  }
  if (m != nullptr) m->Apply(s, o.Pen, o.BrushOn ? &o.Brush : nullptr);
}

}  // namespace zel
