#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "gui/zel_graphics.hpp"

namespace zel {
namespace {

// '.' white, '#' black, 'r' red, '?' anything else.
std::string Picture(const TBitmap& b) {
  std::string s;
  for (int y = 0; y < b.GetHeight(); ++y) {
    for (int x = 0; x < b.GetWidth(); ++x) {
      const TColor c = b.GetPixel(x, y);
      s += c == clWhite ? '.' : c == clBlack ? '#' : c == clRed ? 'r' : '?';
    }
    s += '\n';
  }
  return s;
}

TBitmap Noise(int w, int h, uint32_t seed) {
  TBitmap b(w, h);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, static_cast<TColor>(rng() & 0xFFFFFF));
  return b;
}

void RedBrush(TCanvas& c) { c.GetBrush().SetColor(clRed); }

// Inside the ellipse of box [x1,x2) x [y1,y2): the pixel centre satisfies
// (u/W)^2 + (v/H)^2 <= 1 with u, v twice the offsets from the centre.
bool InEllipse(int x, int y, int x1, int y1, int x2, int y2) {
  const long long W = x2 - x1, H = y2 - y1;
  const long long u = 2LL * x + 1 - (x1 + x2), v = 2LL * y + 1 - (y1 + y2);
  return u * u * H * H + v * v * W * W <= W * W * H * H;
}

// Even-odd test of the integer point (x, y): edges count for
// ylo <= y < yhi when their crossing lies at or left of x.
bool InPolygon(const std::vector<TPoint>& p, int x, int y) {
  bool in = false;
  for (size_t i = 0; i < p.size(); ++i) {
    TPoint a = p[i], b = p[(i + 1) % p.size()];
    if (a.y == b.y) continue;
    if (a.y > b.y) std::swap(a, b);
    if (y < a.y || y >= b.y) continue;
    // crossing xc = a.x + (y - a.y)(b.x - a.x)/(b.y - a.y) <= x
    if (static_cast<long long>(x - a.x) * (b.y - a.y) >=
        static_cast<long long>(y - a.y) * (b.x - a.x))
      in = !in;
  }
  return in;
}

TEST(CanvasRectangle, ExcludesRightAndBottomEdges) {
  TBitmap b(7, 6);
  TCanvas& c = b.GetCanvas();
  RedBrush(c);
  c.Rectangle(1, 1, 6, 5);
  EXPECT_EQ(Picture(b),
            ".......\n"
            ".#####.\n"
            ".#rrr#.\n"
            ".#rrr#.\n"
            ".#####.\n"
            ".......\n");
  TBitmap rev(7, 6);
  RedBrush(rev.GetCanvas());
  rev.GetCanvas().Rectangle(6, 5, 1, 1);
  EXPECT_TRUE(rev.SameImage(b));
  // The pen position is not touched.
  EXPECT_EQ(c.GetPenPos().x, 0);
}

TEST(CanvasRectangle, ClearPenFillsTheWholeBoxClearBrushNone) {
  TBitmap b(5, 4);
  TCanvas& c = b.GetCanvas();
  RedBrush(c);
  c.GetPen().SetStyle(TPenStyle::psClear);
  c.Rectangle(1, 1, 4, 3);
  EXPECT_EQ(Picture(b), ".....\n.rrr.\n.rrr.\n.....\n");
  TBitmap d(5, 4);
  d.GetCanvas().GetBrush().SetStyle(TBrushStyle::bsClear);
  d.SetPixel(2, 2, clRed);
  d.GetCanvas().Rectangle(0, 0, 5, 4);
  EXPECT_EQ(Picture(d), "#####\n#...#\n#.r.#\n#####\n");
}

TEST(CanvasRectangle, ThinBoxesAreAllOutline) {
  TBitmap b(6, 4);
  TCanvas& c = b.GetCanvas();
  RedBrush(c);
  c.Rectangle(1, 1, 5, 2);
  c.Rectangle(0, 3, 1, 4);
  c.Rectangle(3, 3, 3, 4);  // empty
  EXPECT_EQ(Picture(b), "......\n.####.\n......\n#.....\n");
}

TEST(CanvasRectangle, OutlineDashesRunClockwiseFromTopLeft) {
  TBitmap b(8, 5);
  TCanvas& c = b.GetCanvas();
  c.GetBrush().SetStyle(TBrushStyle::bsClear);
  c.GetPen().SetStyle(TPenStyle::psDot);
  c.Rectangle(0, 0, 8, 5);
  // Path: top x 0..6 (positions 0..6), right y 0..3 (7..10), bottom
  // x 7..1 (11..17), left y 4..1 (18..21); dots are on at 0-2, 6-8, 12-14,
  // 18-20.
  EXPECT_EQ(Picture(b),
            "###...##\n"
            ".......#\n"
            "#.......\n"
            "#.......\n"
            "#...###.\n");
}

TEST(CanvasRectangle, WidePenReachesHalfOutside) {
  TBitmap b(9, 8);
  TCanvas& c = b.GetCanvas();
  RedBrush(c);
  c.GetPen().SetWidth(3);
  c.Rectangle(2, 2, 7, 6);
  // Path columns 2 and 6, rows 2 and 5; squares reach one pixel beyond on
  // each side, which covers the small interior too.
  EXPECT_EQ(Picture(b),
            ".........\n"
            ".#######.\n"
            ".#######.\n"
            ".#######.\n"
            ".#######.\n"
            ".#######.\n"
            ".#######.\n"
            ".........\n");
  // A larger box keeps brush inside the squares' reach.
  TBitmap big(12, 10);
  RedBrush(big.GetCanvas());
  big.GetCanvas().GetPen().SetWidth(3);
  big.GetCanvas().Rectangle(1, 1, 11, 9);
  EXPECT_EQ(big.GetPixel(0, 0), clBlack);
  EXPECT_EQ(big.GetPixel(2, 2), clBlack);
  EXPECT_EQ(big.GetPixel(3, 3), clRed);
  EXPECT_EQ(big.GetPixel(8, 6), clRed);
  EXPECT_EQ(big.GetPixel(9, 7), clBlack);
  EXPECT_EQ(big.GetPixel(11, 9), clBlack);
}

TEST(CanvasFill, FillRectAndFrameRectUseTheBrushOnly) {
  TBitmap b(6, 5);
  TCanvas& c = b.GetCanvas();
  RedBrush(c);
  c.GetPen().SetMode(TPenMode::pmXor);  // not used by either
  c.FillRect(TRect{1, 1, 3, 4});
  c.FillRect(TRect{5, 4, 4, 3});  // reversed: nothing
  c.GetBrush().SetColor(clBlack);
  c.FrameRect(TRect{2, 0, 6, 4});
  EXPECT_EQ(Picture(b),
            "..####\n"
            ".r#..#\n"
            ".r#..#\n"
            ".r####\n"
            "......\n");
  c.GetBrush().SetStyle(TBrushStyle::bsClear);
  c.FillRect(TRect{0, 0, 6, 5});
  c.FrameRect(TRect{0, 0, 6, 5});
  EXPECT_EQ(b.GetPixel(0, 0), clWhite);
}

TEST(CanvasEllipse, MatchesTheCentreSamplingRule) {
  for (int w = 1; w <= 13; ++w) {
    for (int h = 1; h <= 11; ++h) {
      const int x1 = 2, y1 = 3, x2 = x1 + w, y2 = y1 + h;
      TBitmap b(20, 18);
      TCanvas& c = b.GetCanvas();
      RedBrush(c);
      c.Ellipse(x1, y1, x2, y2);
      for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 20; ++x) {
          const bool in = InEllipse(x, y, x1, y1, x2, y2);
          const bool edge =
              in && (!InEllipse(x - 1, y, x1, y1, x2, y2) || !InEllipse(x + 1, y, x1, y1, x2, y2) ||
                     !InEllipse(x, y - 1, x1, y1, x2, y2) || !InEllipse(x, y + 1, x1, y1, x2, y2));
          const TColor want = !in ? clWhite : edge ? clBlack : clRed;
          ASSERT_EQ(b.GetPixel(x, y), want) << w << "x" << h << " at " << x << "," << y;
        }
    }
  }
}

TEST(CanvasEllipse, SmallCircleLooksRound) {
  TBitmap b(8, 8);
  TCanvas& c = b.GetCanvas();
  RedBrush(c);
  c.Ellipse(0, 0, 8, 8);
  EXPECT_EQ(Picture(b),
            "..####..\n"
            ".#rrrr#.\n"
            "#rrrrrr#\n"
            "#rrrrrr#\n"
            "#rrrrrr#\n"
            "#rrrrrr#\n"
            ".#rrrr#.\n"
            "..####..\n");
}

TEST(CanvasEllipse, ClearPenFillsTheRegionAndClearBrushKeepsIt) {
  TBitmap a(12, 9), b(12, 9);
  RedBrush(a.GetCanvas());
  a.GetCanvas().GetPen().SetStyle(TPenStyle::psClear);
  a.GetCanvas().Ellipse(1, 1, 11, 8);
  b.GetCanvas().GetBrush().SetStyle(TBrushStyle::bsClear);
  b.GetCanvas().Ellipse(1, 1, 11, 8);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 12; ++x) {
      const bool in = InEllipse(x, y, 1, 1, 11, 8);
      EXPECT_EQ(a.GetPixel(x, y), in ? clRed : clWhite);
      if (!in) {
        EXPECT_EQ(b.GetPixel(x, y), clWhite);
      }
    }
  EXPECT_EQ(b.GetPixel(6, 4), clWhite);  // centre untouched
}

TEST(CanvasPolygon, FillsHalfOpenAndOutlinesTheClosedPath) {
  TBitmap b(7, 7), f(7, 7);
  RedBrush(b.GetCanvas());
  b.GetCanvas().Polygon({{1, 1}, {5, 1}, {5, 5}, {1, 5}});
  EXPECT_EQ(Picture(b),
            ".......\n"
            ".#####.\n"
            ".#rrr#.\n"
            ".#rrr#.\n"
            ".#rrr#.\n"
            ".#####.\n"
            ".......\n");
  RedBrush(f.GetCanvas());
  f.GetCanvas().GetPen().SetStyle(TPenStyle::psClear);
  f.GetCanvas().Polygon({{1, 1}, {5, 1}, {5, 5}, {1, 5}});
  EXPECT_EQ(Picture(f),
            ".......\n"
            ".rrrr..\n"
            ".rrrr..\n"
            ".rrrr..\n"
            ".rrrr..\n"
            ".......\n"
            ".......\n");
}

TEST(CanvasPolygon, FillMatchesEvenOddAtPixelCentres) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> u(-3, 33);
  for (int k = 0; k < 120; ++k) {
    std::vector<TPoint> pts(3 + k % 6);
    for (auto& p : pts) p = TPoint{u(rng), u(rng)};
    TBitmap b(30, 30);
    TCanvas& c = b.GetCanvas();
    RedBrush(c);
    c.GetPen().SetStyle(TPenStyle::psClear);
    c.Polygon(pts);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 30; ++x)
        ASSERT_EQ(b.GetPixel(x, y), InPolygon(pts, x, y) ? clRed : clWhite)
            << k << ": " << x << "," << y;
  }
}

TEST(CanvasPolygon, SelfCrossingStarLeavesItsCentreEmpty) {
  TBitmap b(21, 21);
  TCanvas& c = b.GetCanvas();
  RedBrush(c);
  c.GetPen().SetStyle(TPenStyle::psClear);
  // A pentagram: the inner pentagon is covered twice (even-odd: outside).
  c.Polygon({{10, 0}, {16, 20}, {0, 7}, {20, 7}, {4, 20}});
  EXPECT_EQ(b.GetPixel(10, 11), clWhite);
  EXPECT_EQ(b.GetPixel(10, 3), clRed);
  EXPECT_EQ(b.GetPixel(2, 7), clRed);
}

TEST(CanvasPolygon, OutlineIsTheClosedPolyline) {
  const std::vector<TPoint> pts = {{2, 3}, {25, 5}, {14, 27}, {5, 18}};
  TBitmap a(30, 30), b(30, 30);
  a.GetCanvas().GetBrush().SetStyle(TBrushStyle::bsClear);
  a.GetCanvas().GetPen().SetStyle(TPenStyle::psDashDot);
  a.GetCanvas().Polygon(pts);
  std::vector<TPoint> closed = pts;
  closed.push_back(pts[0]);
  b.GetCanvas().GetPen().SetStyle(TPenStyle::psDashDot);
  b.GetCanvas().Polyline(closed);
  EXPECT_TRUE(a.SameImage(b));
}

TEST(CanvasShapes, XorShapesTwiceRestoreThePicture) {
  for (int width : {1, 3}) {
    TBitmap b = Noise(50, 40, 9);
    const TBitmap before = b;
    TCanvas& c = b.GetCanvas();
    c.GetPen().SetMode(TPenMode::pmXor);
    c.GetPen().SetWidth(width);
    c.GetPen().SetColor(0x00A0B0C0);
    c.GetBrush().SetColor(0x00123456);
    for (int pass = 0; pass < 2; ++pass) {
      c.Rectangle(3, 4, 30, 25);
      c.Rectangle(10, 10, 11, 30);
      c.Ellipse(-5, 2, 45, 38);
      c.Polygon({{0, 0}, {48, 39}, {48, 0}, {0, 39}});
      c.Polygon({{5, 5}, {20, 5}});
    }
    EXPECT_TRUE(b.SameImage(before)) << width;
  }
}

TEST(CanvasShapes, PixelsAreEitherOutlineOrInterior) {
  // pmXor with pen and brush of the same colour: a pixel painted by both
  // would come back to white.
  TBitmap b(40, 30);
  TCanvas& c = b.GetCanvas();
  c.GetPen().SetMode(TPenMode::pmXor);
  c.GetPen().SetColor(clWhite);
  c.GetBrush().SetColor(clWhite);
  c.GetPen().SetWidth(3);
  c.Ellipse(5, 5, 35, 25);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      if (InEllipse(x, y, 5, 5, 35, 25)) {
        ASSERT_EQ(b.GetPixel(x, y), clBlack) << x << "," << y;
      }
}

TEST(CanvasShapes, HugeShapesClipFast) {
  TBitmap b(64, 48);
  TCanvas& c = b.GetCanvas();
  RedBrush(c);
  const auto t0 = std::chrono::steady_clock::now();
  c.Rectangle(-2000000000, -2000000000, 2000000000, 2000000000);
  EXPECT_EQ(b.GetPixel(0, 0), clRed);
  EXPECT_EQ(b.GetPixel(63, 47), clRed);
  c.GetBrush().SetColor(clBlack);
  c.Ellipse(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
  EXPECT_EQ(b.GetPixel(0, 0), clBlack);
  c.GetBrush().SetColor(clWhite);
  c.Polygon({{-2000000000, 47}, {2000000000, 47}, {0, -2000000000}});
  c.Rectangle(-2000000000, 20, 2000000000, 30);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_LT(seconds, 0.5);
  EXPECT_EQ(b.GetPixel(30, 0), clWhite);
  EXPECT_EQ(b.GetPixel(5, 20), clBlack);   // the last rectangle's top edge
  EXPECT_EQ(b.GetPixel(5, 25), clWhite);   // its interior
  EXPECT_EQ(b.GetPixel(63, 47), clBlack);  // the triangle's base row is outline
}

// The pixels a shape call sets, read back from a white bitmap large enough
// for the whole shape (logical coordinates), as a set of points.
template <class Draw>
std::vector<TPoint> ShapePixels(Draw draw, bool pen, bool brush) {
  TBitmap b(120, 100);
  TCanvas& c = b.GetCanvas();
  c.SetOrigin({40, 40});
  c.GetPen().SetColor(clBlack);
  c.GetPen().SetStyle(pen ? TPenStyle::psSolid : TPenStyle::psClear);
  c.GetBrush().SetColor(clBlack);
  c.GetBrush().SetStyle(brush ? TBrushStyle::bsSolid : TBrushStyle::bsClear);
  draw(c);
  std::vector<TPoint> pts;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 120; ++x)
      if (b.GetPixel(x, y) == clBlack) pts.push_back({x - 40, y - 40});
  return pts;
}

TEST(CanvasShapes, WideOutlinesAreSquaresOnTheOnePixelOutline) {
  std::mt19937 rng(1818);
  auto coord = [&](int lo, int hi) {
    return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1));
  };
  for (int trial = 0; trial < 240; ++trial) {
    const bool ellipse = trial % 2 == 0;
    int x1 = coord(-10, 30), y1 = coord(-8, 22);
    // Thin boxes now and then: one pixel wide or high.
    int x2 = trial % 7 == 3 ? x1 + 1 : coord(-10, 40),
        y2 = trial % 11 == 5 ? y1 + 1 : coord(-8, 30);
    const int width = coord(2, 12);
    const bool xorMode = rng() % 2 == 0, brush = rng() % 3 != 0;
    const TPoint origin{coord(-3, 3), coord(-3, 3)};
    const TRect clip{coord(-5, 8), coord(-5, 6), coord(14, 35), coord(10, 25)};
    auto draw = [&](TCanvas& c) {
      if (ellipse)
        c.Ellipse(x1, y1, x2, y2);
      else
        c.Rectangle(x1, y1, x2, y2);
    };
    const std::vector<TPoint> outline = ShapePixels(draw, true, false);
    const std::vector<TPoint> region = ShapePixels(draw, false, true);

    const TColor pen = 0x00102030, fill = 0x00C0A080;
    TBitmap actual = Noise(30, 20, static_cast<uint32_t>(trial));
    TBitmap expected = actual;
    TCanvas& c = actual.GetCanvas();
    c.SetOrigin(origin);
    c.SetClipRect(clip);
    c.GetPen().SetWidth(width);
    c.GetPen().SetColor(pen);
    c.GetPen().SetMode(xorMode ? TPenMode::pmXor : TPenMode::pmCopy);
    c.GetBrush().SetColor(fill);
    c.GetBrush().SetStyle(brush ? TBrushStyle::bsSolid : TBrushStyle::bsClear);
    draw(c);

    // 2: under a pen square; 1: in the region and under none.
    std::vector<uint8_t> kind(30 * 20, 0);
    auto put = [&](int x, int y, uint8_t v) {
      if (x < clip.Left || x >= clip.Right || y < clip.Top || y >= clip.Bottom) return;
      const int dx = x + origin.x, dy = y + origin.y;
      if (dx < 0 || dx >= 30 || dy < 0 || dy >= 20) return;
      uint8_t& k = kind[static_cast<size_t>(dy * 30 + dx)];
      k = std::max(k, v);
    };
    const int lo = (width - 1) / 2, hi = width / 2;
    for (const TPoint& p : region) put(p.x, p.y, 1);
    for (const TPoint& p : outline)
      for (int y = p.y - lo; y <= p.y + hi; ++y)
        for (int x = p.x - lo; x <= p.x + hi; ++x) put(x, y, 2);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x) {
        const uint8_t k = kind[static_cast<size_t>(y * 30 + x)];
        const TColor old = expected.GetPixel(x, y);
        if (k == 2) expected.SetPixel(x, y, xorMode ? old ^ pen : pen);
        if (k == 1 && brush) expected.SetPixel(x, y, xorMode ? old ^ fill : fill);
      }
    ASSERT_TRUE(actual.SameImage(expected))
        << "trial " << trial << (ellipse ? " ellipse " : " rectangle ") << x1 << "," << y1 << ","
        << x2 << "," << y2 << " width " << width;
  }
}

TEST(CanvasShapes, HugePenWidthsCostOnlyTheVisiblePixels) {
  const TBitmap noise = Noise(300, 200, 5);
  const TColor all = 0x00FFFFFF;
  // XOR through the pixel mask: every pixel under the pen changes once.
  auto everyPixelInverted = [&](const TBitmap& b) {
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 300; ++x)
        if (b.GetPixel(x, y) != (noise.GetPixel(x, y) ^ all)) return false;
    return true;
  };
  auto xorCanvas = [&](TBitmap& b, int width) -> TCanvas& {
    TCanvas& c = b.GetCanvas();
    c.GetPen().SetWidth(width);
    c.GetPen().SetMode(TPenMode::pmXor);
    c.GetPen().SetColor(all);
    c.GetBrush().SetStyle(TBrushStyle::bsClear);
    return c;
  };
  TBitmap r = noise;
  xorCanvas(r, 10000000).Rectangle(10, 10, 50, 50);
  EXPECT_TRUE(everyPixelInverted(r));
  TBitmap thin = noise;
  xorCanvas(thin, 2000000000).Rectangle(-2000000000, 5, 2000000000, 6);
  EXPECT_TRUE(everyPixelInverted(thin));
  TBitmap e = noise;
  xorCanvas(e, 10000000).Ellipse(10, 10, 50, 50);
  EXPECT_TRUE(everyPixelInverted(e));
  TBitmap p = noise;
  xorCanvas(p, 10000000).Polygon({{10, 10}, {200, 30}, {40, 150}});
  EXPECT_TRUE(everyPixelInverted(p));
  // The bitmap deep inside a huge circle, its wide outline far away: only
  // the brush shows.
  TBitmap inside = noise;
  TCanvas& c = inside.GetCanvas();
  c.GetPen().SetWidth(100000000);
  c.GetBrush().SetColor(clRed);
  c.Ellipse(150 - 1000000000, 100 - 1000000000, 150 + 1000000000, 100 + 1000000000);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) ASSERT_EQ(inside.GetPixel(x, y), clRed) << x << "," << y;
}

TEST(CanvasPolygon, OutlineOfManyVerticesFillsItsInside) {
  // A map-like outline of 100 000 vertices on 2000 rows: a circle, filled
  // inside and nowhere outside.
  const int n = 100000;
  const double cx = 1000, cy = 1000, radius = 950;
  std::vector<TPoint> circle(n);
  for (int i = 0; i < n; ++i) {
    const double t = 2 * 3.14159265358979323846 * i / n;
    circle[static_cast<size_t>(i)] = {static_cast<int>(std::lround(cx + radius * std::cos(t))),
                                      static_cast<int>(std::lround(cy + radius * std::sin(t)))};
  }
  TBitmap big(2000, 2000);
  TCanvas& bc = big.GetCanvas();
  bc.GetPen().SetStyle(TPenStyle::psClear);
  bc.GetBrush().SetColor(clBlack);
  bc.Polygon(circle);
  for (int y = 0; y < 2000; y += 7)
    for (int x = 0; x < 2000; x += 3) {
      const double d = std::hypot(x - cx, y - cy);
      if (d < radius - 2) {
        ASSERT_EQ(big.GetPixel(x, y), clBlack) << x << "," << y;
      } else if (d > radius + 2) {
        ASSERT_EQ(big.GetPixel(x, y), clWhite) << x << "," << y;
      }
    }
}

TEST(CanvasShapes, FifteenBitTargetsQuantiseShapes) {
  TBitmap b(6, 6, TPixelFormat::pf15bit);
  TCanvas& c = b.GetCanvas();
  c.GetPen().SetColor(0x00070707);
  c.GetBrush().SetColor(0x00FEFEFE);
  c.Rectangle(0, 0, 6, 6);
  EXPECT_EQ(b.GetPixel(0, 0), 0);
  EXPECT_EQ(b.GetPixel(2, 2), 0x00FFFFFF);
}

}  // namespace
}  // namespace zel
