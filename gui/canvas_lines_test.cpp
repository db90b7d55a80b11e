#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "gui/zel_graphics.hpp"

namespace zel {
namespace {

// Rows of the bitmap, '#' where the pixel is not white, '.' where it is.
std::string Picture(const TBitmap& b) {
  std::string s;
  for (int y = 0; y < b.GetHeight(); ++y) {
    for (int x = 0; x < b.GetWidth(); ++x) s += b.GetPixel(x, y) == clWhite ? '.' : '#';
    s += '\n';
  }
  return s;
}

// A bitmap filled with reproducible noise.
TBitmap Noise(int w, int h, TPixelFormat f = TPixelFormat::pf24bit, uint32_t seed = 1) {
  TBitmap b(w, h, f);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, static_cast<TColor>(rng() & 0xFFFFFF));
  return b;
}

// Pixels of the line (x0, y0) -> (x1, y1), end excluded, computed the
// obvious way in floating point: along the major axis one pixel per step,
// the minor coordinate rounded to nearest with halves away from the start.
std::vector<TPoint> ReferenceLine(int x0, int y0, int x1, int y1) {
  std::vector<TPoint> pts;
  const int dx = x1 - x0, dy = y1 - y0;
  const int n = std::max(std::abs(dx), std::abs(dy));
  for (int i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / n;
    auto near = [](double v, int sign) {  // half away from the start
      return sign >= 0 ? static_cast<int>(std::floor(v + 0.5))
                       : -static_cast<int>(std::floor(-v + 0.5));
    };
    if (std::abs(dx) >= std::abs(dy))
      pts.push_back({x0 + (dx > 0 ? i : -i), y0 + near(t * dy, dy)});
    else
      pts.push_back({x0 + near(t * dx, dx), y0 + (dy > 0 ? i : -i)});
  }
  return pts;
}

TEST(CanvasLine, ExcludesTheEndPixel) {
  TBitmap b(8, 4);
  TCanvas& c = b.GetCanvas();
  c.MoveTo(1, 1);
  c.LineTo(6, 1);
  c.MoveTo(6, 3);
  c.LineTo(2, 3);  // leftwards: 6..3
  EXPECT_EQ(Picture(b),
            "........\n"
            ".#####..\n"
            "........\n"
            "...####.\n");
  EXPECT_EQ(c.GetPenPos().x, 2);
  EXPECT_EQ(c.GetPenPos().y, 3);
}

TEST(CanvasLine, ZeroLengthDrawsNothingButMovesNothingElse) {
  TBitmap b(4, 4);
  TCanvas& c = b.GetCanvas();
  c.MoveTo(2, 2);
  c.LineTo(2, 2);
  EXPECT_EQ(Picture(b), "....\n....\n....\n....\n");
}

TEST(CanvasLine, DiagonalAndSteepLinesFollowTheNearestPixelRule) {
  // "The far end one pixel longer": a line drawn one step further covers
  // the old end pixel, and the common part is identical.
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> u(0, 39);
  for (int k = 0; k < 300; ++k) {
    const int x0 = u(rng), y0 = u(rng), x1 = u(rng), y1 = u(rng);
    TBitmap b(40, 40);
    b.GetCanvas().Line(x0, y0, x1, y1);
    const std::vector<TPoint> ref = ReferenceLine(x0, y0, x1, y1);
    int set = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) set += b.GetPixel(x, y) != clWhite;
    ASSERT_EQ(set, static_cast<int>(ref.size())) << x0 << "," << y0 << " -> " << x1 << "," << y1;
    for (const TPoint& p : ref) ASSERT_EQ(b.GetPixel(p.x, p.y), clBlack) << p.x << "," << p.y;
  }
}

TEST(CanvasLine, TiesRoundAwayFromTheStart) {
  // (0,0) -> (4,2): the exact minor coordinate at step 1 is 0.5.
  TBitmap b(5, 3);
  b.GetCanvas().Line(0, 0, 4, 2);
  EXPECT_EQ(Picture(b),
            "#....\n"
            ".##..\n"
            "...#.\n");
}

TEST(CanvasLine, ClipsHugeCoordinatesExactlyAndFast) {
  TBitmap b(100, 100);
  TCanvas& c = b.GetCanvas();
  const auto t0 = std::chrono::steady_clock::now();
  c.Line(-2000000000, -2000000000, 2000000000, 2000000000);
  // Slope 1/2 from far away: at x the row is ceil(x/2) (ties away from the
  // start, which lies up-left).
  c.Line(-2000000000, -1000000000, 2000000000, 1000000000);
  c.Line(INT32_MIN, 50, INT32_MAX, 50);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_LT(seconds, 0.5);
  for (int x = 0; x < 100; ++x) {
    EXPECT_EQ(b.GetPixel(x, x), clBlack) << x;
    EXPECT_EQ(b.GetPixel(x, (x + 1) / 2), clBlack) << x;
    EXPECT_EQ(b.GetPixel(x, 50), clBlack) << x;
  }
  int set = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) set += b.GetPixel(x, y) != clWhite;
  // 100 + 100 + 100 pixels minus the shared ones: the diagonal and the half
  // slope share (0,0) and (1,1); row 50 meets the diagonal at (50,50) and
  // the half slope at (99,50).
  EXPECT_EQ(set, 300 - 4);
}

// The exact pixel of step i, in 128-bit arithmetic: the reference for
// lines whose end points lie billions of pixels away.
TEST(CanvasLine, FarAwayLinesMatchTheExactFormula) {
  __extension__ typedef __int128 I128;
  std::mt19937_64 rng(13);
  std::uniform_int_distribution<int64_t> far(INT32_MIN, INT32_MAX), near(-40, 100);
  int visible = 0;
  for (int k = 0; k < 400; ++k) {
    // One end far away, the other far or near, so that many lines cross.
    const int64_t x0 = far(rng), y0 = far(rng);
    const int64_t x1 = k % 2 ? near(rng) : far(rng), y1 = k % 2 ? near(rng) : -y0 / 3 + near(rng);
    TBitmap b(64, 64);
    b.GetCanvas().Line(static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1),
                       static_cast<int32_t>(y1));
    TBitmap want(64, 64);
    const int64_t dx = x1 - x0, dy = y1 - y0;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const int64_t n = std::max(std::llabs(dx), std::llabs(dy)),
                  a = std::min(std::llabs(dx), std::llabs(dy));
    for (int64_t m = 0; m < 64 && n > 0; ++m) {
      // Major coordinate m: step i, then the minor coordinate.
      const int64_t i = xMajor ? (dx > 0 ? m - x0 : x0 - m) : (dy > 0 ? m - y0 : y0 - m);
      if (i < 0 || i >= n) continue;
      const int64_t kk = static_cast<int64_t>((I128{2} * i * a + n) / (I128{2} * n));
      const int64_t mn = xMajor ? y0 + (dy < 0 ? -kk : kk) : x0 + (dx < 0 ? -kk : kk);
      if (mn < 0 || mn >= 64) continue;
      if (xMajor)
        want.SetPixel(static_cast<int32_t>(m), static_cast<int32_t>(mn), clBlack);
      else
        want.SetPixel(static_cast<int32_t>(mn), static_cast<int32_t>(m), clBlack);
    }
    ASSERT_TRUE(b.SameImage(want)) << x0 << "," << y0 << " -> " << x1 << "," << y1;
    visible += !b.SameImage(TBitmap(64, 64));
  }
  EXPECT_GT(visible, 60);  // many lines with a near end cross the bitmap
}

TEST(CanvasLine, ClippedLinesMatchUnclippedOnesInsideTheClip) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> u(-60, 100);
  for (int k = 0; k < 200; ++k) {
    const int x0 = u(rng), y0 = u(rng), x1 = u(rng), y1 = u(rng);
    TBitmap full(200, 200), clipped(40, 40);
    // Full: origin shifted so logical (-60..140) lands inside.
    full.GetCanvas().SetOrigin(TPoint{60, 60});
    full.GetCanvas().Line(x0, y0, x1, y1);
    TCanvas& c = clipped.GetCanvas();
    c.SetOrigin(TPoint{-10, -10});
    c.SetClipRect(TRect{12, 12, 48, 48});
    c.Line(x0, y0, x1, y1);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) {
        const bool inClip = x + 10 >= 12 && x + 10 < 48 && y + 10 >= 12 && y + 10 < 48;
        const TColor want = inClip ? full.GetPixel(x + 70, y + 70) : clWhite;
        ASSERT_EQ(clipped.GetPixel(x, y), want) << k << ": " << x << "," << y;
      }
  }
}

TEST(CanvasLine, DashPatternsHaveTheDocumentedLengths) {
  struct Case {
    TPenStyle style;
    const char* row;
  };
  const Case cases[] = {
      {TPenStyle::psDash, "##################......##################......##"},
      {TPenStyle::psDot, "###...###...###...###...###...###...###...###...##"},
      {TPenStyle::psDashDot, "#########......###......#########......###......##"},
      {TPenStyle::psDashDotDot, "#########...###...###...#########...###...###...##"},
      {TPenStyle::psSolid, "##################################################"},
      {TPenStyle::psClear, ".................................................."},
  };
  for (const auto& cs : cases) {
    TBitmap b(50, 1);
    b.GetCanvas().GetPen().SetStyle(cs.style);
    b.GetCanvas().Line(0, 0, 50, 0);
    EXPECT_EQ(Picture(b), std::string(cs.row) + "\n") << static_cast<int>(cs.style);
  }
}

TEST(CanvasLine, DashPatternContinuesAcrossLineToAndRestartsAtMoveTo) {
  TBitmap joined(60, 2), single(60, 2);
  TCanvas& j = joined.GetCanvas();
  j.GetPen().SetStyle(TPenStyle::psDashDot);
  j.MoveTo(0, 0);
  for (int x : {5, 13, 14, 31, 60}) j.LineTo(x, 0);
  single.GetCanvas().GetPen().SetStyle(TPenStyle::psDashDot);
  single.GetCanvas().Line(0, 0, 60, 0);
  EXPECT_TRUE(joined.SameImage(single));

  // A corner: the count runs on around it.
  TBitmap corner(30, 30);
  TCanvas& c = corner.GetCanvas();
  c.GetPen().SetStyle(TPenStyle::psDot);
  c.MoveTo(0, 0);
  c.LineTo(4, 0);   // positions 0..3: ###.
  c.LineTo(4, 10);  // positions 4..13 at y 0..9: ..###...##
  EXPECT_EQ(corner.GetPixel(3, 0), clWhite);
  EXPECT_EQ(corner.GetPixel(4, 0), clWhite);
  EXPECT_EQ(corner.GetPixel(4, 1), clWhite);
  EXPECT_EQ(corner.GetPixel(4, 2), clBlack);
  EXPECT_EQ(corner.GetPixel(4, 4), clBlack);
  EXPECT_EQ(corner.GetPixel(4, 5), clWhite);
  EXPECT_EQ(corner.GetPixel(4, 8), clBlack);

  // MoveTo restarts: two separate lines both begin with a dot.
  TBitmap restart(20, 2);
  TCanvas& r = restart.GetCanvas();
  r.GetPen().SetStyle(TPenStyle::psDot);
  r.Line(0, 0, 4, 0);
  r.MoveTo(4, 0);
  r.LineTo(8, 0);
  EXPECT_EQ(Picture(restart), "###.###.............\n....................\n");
}

TEST(CanvasLine, PolylineIsTheChainOfLineTos) {
  const std::vector<TPoint> pts = {{1, 1}, {15, 3}, {4, 12}, {18, 18}, {2, 17}};
  TBitmap a(20, 20), b(20, 20);
  a.GetCanvas().GetPen().SetStyle(TPenStyle::psDash);
  a.GetCanvas().Polyline(pts);
  TCanvas& c = b.GetCanvas();
  c.GetPen().SetStyle(TPenStyle::psDash);
  c.MoveTo(pts[0].x, pts[0].y);
  for (size_t i = 1; i < pts.size(); ++i) c.LineTo(pts[i].x, pts[i].y);
  EXPECT_TRUE(a.SameImage(b));
  EXPECT_EQ(a.GetCanvas().GetPenPos().x, 2);
  EXPECT_EQ(a.GetCanvas().GetPenPos().y, 17);
}

TEST(CanvasLine, WidePensStampSquaresOnThePath) {
  TBitmap b3(9, 9), b2(9, 9);
  b3.GetCanvas().GetPen().SetWidth(3);
  b3.GetCanvas().Line(2, 4, 6, 4);
  EXPECT_EQ(Picture(b3),
            ".........\n"
            ".........\n"
            ".........\n"
            ".######..\n"
            ".######..\n"
            ".######..\n"
            ".........\n"
            ".........\n"
            ".........\n");
  b2.GetCanvas().GetPen().SetWidth(2);
  b2.GetCanvas().Line(2, 4, 2, 7);
  EXPECT_EQ(Picture(b2),
            ".........\n"
            ".........\n"
            ".........\n"
            ".........\n"
            "..##.....\n"
            "..##.....\n"
            "..##.....\n"
            "..##.....\n"
            ".........\n");
  TPen p;
  p.SetWidth(0);
  EXPECT_EQ(p.GetWidth(), 1);
}

TEST(CanvasLine, WideDashesScaleWithTheWidth) {
  TBitmap b(60, 3);
  TCanvas& c = b.GetCanvas();
  c.GetPen().SetWidth(2);
  c.GetPen().SetStyle(TPenStyle::psDot);
  c.Line(0, 0, 60, 0);
  // Dots of 3 become 6 pixels of the path; each puts a 2 x 2 square on
  // itself and its right neighbour, so runs of 7 and gaps of 5.
  EXPECT_EQ(Picture(b).substr(0, 61),
            "#######.....#######.....#######.....#######.....#######.....\n");
}

// ---- Wide pens against a reference built from one-pixel drawings -------

// The steps of a one-pixel solid line in order, read back from a drawing.
std::vector<TPoint> LineSteps(TPoint a, TPoint b) {
  const int pad = 2, minX = std::min(a.x, b.x), minY = std::min(a.y, b.y);
  TBitmap bmp(std::abs(b.x - a.x) + 1 + 2 * pad, std::abs(b.y - a.y) + 1 + 2 * pad);
  TCanvas& c = bmp.GetCanvas();
  c.SetOrigin({pad - minX, pad - minY});
  c.GetPen().SetColor(clBlack);
  c.Line(a.x, a.y, b.x, b.y);
  std::vector<TPoint> steps;
  for (int y = 0; y < bmp.GetHeight(); ++y)
    for (int x = 0; x < bmp.GetWidth(); ++x)
      if (bmp.GetPixel(x, y) == clBlack) steps.push_back({x - pad + minX, y - pad + minY});
  const bool xMajor = std::abs(b.x - a.x) >= std::abs(b.y - a.y);
  std::sort(steps.begin(), steps.end(), [&](TPoint p, TPoint q) {
    return xMajor ? std::abs(p.x - a.x) < std::abs(q.x - a.x)
                  : std::abs(p.y - a.y) < std::abs(q.y - a.y);
  });
  return steps;
}

// Which positions of a pen style's pattern are on, from a one-pixel line.
std::vector<bool> DashOn(TPenStyle style, int n) {
  TBitmap bmp(n, 1);
  bmp.GetCanvas().GetPen().SetStyle(style);
  bmp.GetCanvas().Line(0, 0, n, 0);
  std::vector<bool> on(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) on[static_cast<size_t>(i)] = bmp.GetPixel(i, 0) != clWhite;
  return on;
}

TEST(CanvasLine, WidePensMatchSquaresStampedOnEveryStep) {
  const TPenStyle styles[] = {TPenStyle::psSolid, TPenStyle::psDash, TPenStyle::psDot,
                              TPenStyle::psDashDot, TPenStyle::psDashDotDot};
  std::mt19937 rng(18);
  auto coord = [&](int lo, int hi) {
    return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1));
  };
  for (int trial = 0; trial < 300; ++trial) {
    const int width = coord(2, 12);
    const TPenStyle style = styles[rng() % 5];
    const bool xorMode = rng() % 2 == 0;
    std::vector<TPoint> pts(static_cast<size_t>(coord(2, 4)));
    for (TPoint& p : pts) p = {coord(-15, 45), coord(-12, 32)};
    const TPoint origin{coord(-3, 3), coord(-3, 3)};
    const TRect clip{coord(-5, 10), coord(-5, 8), coord(15, 35), coord(10, 25)};
    const TColor colour = 0x00204060;

    TBitmap actual = Noise(30, 20, TPixelFormat::pf24bit, static_cast<uint32_t>(trial));
    TBitmap expected = actual;
    TCanvas& c = actual.GetCanvas();
    c.SetOrigin(origin);
    c.SetClipRect(clip);
    c.GetPen().SetWidth(width);
    c.GetPen().SetStyle(style);
    c.GetPen().SetColor(colour);
    c.GetPen().SetMode(xorMode ? TPenMode::pmXor : TPenMode::pmCopy);
    if (pts.size() == 2) {
      c.MoveTo(pts[0].x, pts[0].y);
      c.LineTo(pts[1].x, pts[1].y);
    } else {
      c.Polyline(pts);
    }

    // The union of the squares of the "on" steps, each pixel changed once.
    const std::vector<bool> on = DashOn(style, 72);  // a whole number of every period
    std::vector<uint8_t> covered(30 * 20, 0);
    const int lo = (width - 1) / 2, hi = width / 2;
    int pos = 0;
    for (size_t k = 0; k + 1 < pts.size(); ++k) {
      const std::vector<TPoint> steps = LineSteps(pts[k], pts[k + 1]);
      const int n = std::max(std::abs(pts[k + 1].x - pts[k].x), std::abs(pts[k + 1].y - pts[k].y));
      ASSERT_EQ(static_cast<int>(steps.size()), n);  // the end pixel is excluded
      for (int i = 0; i < n; ++i) {
        if (!on[static_cast<size_t>(((pos + i) / width) % 72)]) continue;
        for (int y = steps[static_cast<size_t>(i)].y - lo;
             y <= steps[static_cast<size_t>(i)].y + hi; ++y)
          for (int x = steps[static_cast<size_t>(i)].x - lo;
               x <= steps[static_cast<size_t>(i)].x + hi; ++x) {
            const int dx = x + origin.x, dy = y + origin.y;
            if (x < clip.Left || x >= clip.Right || y < clip.Top || y >= clip.Bottom) continue;
            if (dx >= 0 && dx < 30 && dy >= 0 && dy < 20)
              covered[static_cast<size_t>(dy * 30 + dx)] = 1;
          }
      }
      pos += n;
    }
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x)
        if (covered[static_cast<size_t>(y * 30 + x)] != 0)
          expected.SetPixel(x, y, xorMode ? (expected.GetPixel(x, y) ^ colour) : colour);
    ASSERT_TRUE(actual.SameImage(expected)) << "trial " << trial << " width " << width << " style "
                                            << static_cast<int>(style) << " points " << pts.size();
  }
}

TEST(CanvasLine, HugePenWidthsCostOnlyTheVisiblePixels) {
  // Squares reaching a billion pixels each way cover the whole bitmap.
  TBitmap b(300, 200);
  TCanvas& c = b.GetCanvas();
  c.GetPen().SetColor(clBlack);
  c.GetPen().SetWidth(2000000000);
  c.MoveTo(0, 0);
  c.LineTo(100, 100);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) ASSERT_EQ(b.GetPixel(x, y), clBlack) << x << "," << y;
  // Through the pixel mask (XOR): every pixel changes exactly once, also
  // for a dashed polyline whose first dash cell spans all its steps.
  const TBitmap noise = Noise(300, 200);
  TBitmap x = noise;
  TCanvas& cx = x.GetCanvas();
  cx.GetPen().SetWidth(100000000);
  cx.GetPen().SetMode(TPenMode::pmXor);
  cx.GetPen().SetColor(0x00FFFFFF);
  cx.GetPen().SetStyle(TPenStyle::psDash);
  const std::vector<TPoint> path{{-50000000, 7}, {3, 150}, {290, -40000000}, {60, 60}};
  cx.Polyline(path);
  for (int y = 0; y < 200; ++y)
    for (int xx = 0; xx < 300; ++xx)
      ASSERT_EQ(x.GetPixel(xx, y), noise.GetPixel(xx, y) ^ 0x00FFFFFF) << xx << "," << y;
  // A wide line far from the bitmap leaves it alone.
  TBitmap far = noise;
  far.GetCanvas().GetPen().SetWidth(1000000);
  far.GetCanvas().Line(-2000000000, -2000000000, 2000000000, -2000000000);
  EXPECT_TRUE(far.SameImage(noise));
}

TEST(CanvasLine, PenModesCombineBitwise) {
  const uint32_t P = 0x00C3A50F, D = 0x005AF0CC, M = 0xFFFFFF;
  struct Case {
    TPenMode mode;
    uint32_t want;
  };
  const Case cases[] = {
      {TPenMode::pmBlack, 0},
      {TPenMode::pmWhite, M},
      {TPenMode::pmNop, D},
      {TPenMode::pmNot, ~D & M},
      {TPenMode::pmCopy, P},
      {TPenMode::pmNotCopy, ~P & M},
      {TPenMode::pmMergePenNot, (P | ~D) & M},
      {TPenMode::pmMaskPenNot, P & ~D & M},
      {TPenMode::pmMergeNotPen, (~P | D) & M},
      {TPenMode::pmMaskNotPen, ~P & D & M},
      {TPenMode::pmMerge, P | D},
      {TPenMode::pmNotMerge, ~(P | D) & M},
      {TPenMode::pmMask, P & D},
      {TPenMode::pmNotMask, ~(P & D) & M},
      {TPenMode::pmXor, P ^ D},
      {TPenMode::pmNotXor, ~(P ^ D) & M},
  };
  for (const auto& cs : cases) {
    TBitmap b(3, 1);
    b.SetPixel(0, 0, static_cast<TColor>(D));
    TCanvas& c = b.GetCanvas();
    c.GetPen().SetColor(static_cast<TColor>(P));
    c.GetPen().SetMode(cs.mode);
    c.Line(0, 0, 1, 0);
    EXPECT_EQ(static_cast<uint32_t>(b.GetPixel(0, 0)), cs.want) << static_cast<int>(cs.mode);
    EXPECT_EQ(b.GetPixel(1, 0), clWhite);
  }
}

TEST(CanvasLine, XorTwiceRestoresThePicture) {
  for (TPixelFormat f : {TPixelFormat::pf24bit, TPixelFormat::pf15bit}) {
    for (int width : {1, 2, 5}) {
      TBitmap b = Noise(64, 48, f, 3);
      const TBitmap before = b;
      TCanvas& c = b.GetCanvas();
      c.GetPen().SetMode(TPenMode::pmXor);
      c.GetPen().SetColor(0x00FF8040);
      c.GetPen().SetWidth(width);
      c.GetPen().SetStyle(TPenStyle::psDashDot);
      const std::vector<TPoint> pts = {{-5, 3}, {70, 40}, {10, 45}, {30, -10}, {20, 30}, {60, 30}};
      for (int pass = 0; pass < 2; ++pass) {
        c.Polyline(pts);
        c.Line(3, 3, 50, 44);
      }
      EXPECT_TRUE(b.SameImage(before)) << "width " << width << " format " << static_cast<int>(f);
      c.Polyline(pts);
      EXPECT_FALSE(b.SameImage(before));
    }
  }
}

TEST(CanvasLine, OnePolylineChangesEachPixelOnce) {
  // Two crossing segments in one XOR polyline: the crossing pixel is
  // inverted once.
  TBitmap b(10, 10);
  TCanvas& c = b.GetCanvas();
  c.GetPen().SetMode(TPenMode::pmXor);
  c.GetPen().SetColor(clWhite);
  c.Polyline({{0, 5}, {10, 5}, {5, 10}, {5, 0}});
  EXPECT_EQ(b.GetPixel(5, 5), clBlack);
  EXPECT_EQ(b.GetPixel(5, 4), clBlack);
  EXPECT_EQ(b.GetPixel(4, 5), clBlack);
}

TEST(CanvasLine, XorIn15BitWorksOnTheFiveBitValues) {
  TBitmap b(2, 1, TPixelFormat::pf15bit);
  b.SetPixel(0, 0, 0x00808080);
  TCanvas& c = b.GetCanvas();
  c.GetPen().SetMode(TPenMode::pmXor);
  c.GetPen().SetColor(0x00FFFFFF);
  c.Line(0, 0, 1, 0);
  // 0x80 = level 16 (10000b); xor 31 gives 01111b = 0x78 | 0x03.
  EXPECT_EQ(b.GetPixel(0, 0), 0x007B7B7B);
}

TEST(CanvasLine, PixelsHonourOriginAndClip) {
  TBitmap b(5, 5);
  TCanvas& c = b.GetCanvas();
  c.SetOrigin(TPoint{2, 1});
  c.SetPixels(0, 0, clRed);
  EXPECT_EQ(b.GetPixel(2, 1), clRed);
  EXPECT_EQ(c.GetPixels(0, 0), clRed);
  EXPECT_EQ(c.GetPixels(-3, 0), 0);  // outside the bitmap
  c.SetClipRect(TRect{1, 1, 2, 2});
  c.SetPixels(0, 0, clBlue);  // clipped away
  c.SetPixels(1, 1, clBlue);
  EXPECT_EQ(b.GetPixel(2, 1), clRed);
  EXPECT_EQ(b.GetPixel(3, 2), clBlue);
  const TRect r = c.GetClipRect();
  EXPECT_EQ(r.Left, 1);
  EXPECT_EQ(r.Right, 2);
  c.ClearClipRect();
  const TRect all = c.GetClipRect();
  EXPECT_EQ(all.Left, -2);
  EXPECT_EQ(all.Top, -1);
  EXPECT_EQ(all.Right, 3);
  EXPECT_EQ(all.Bottom, 4);
  c.SetClipRect(TRect{3, 3, 1, 1});  // reversed: nothing
  c.SetPixels(1, 1, clLime);
  EXPECT_EQ(b.GetPixel(3, 2), clBlue);
}

TEST(CanvasLine, StateSaverRestoresPenBrushAndFont) {
  TBitmap b(2, 2);
  TCanvas& c = b.GetCanvas();
  c.GetPen().SetColor(clRed);
  c.GetFont().SetSize(17);
  const TCanvasState before = c.SaveState();
  {
    TCanvasStateSaver guard(c);
    c.GetPen().SetColor(clBlue);
    c.GetPen().SetMode(TPenMode::pmXor);
    c.GetBrush().SetStyle(TBrushStyle::bsClear);
    c.GetFont().SetName("Liberation Mono");
  }
  EXPECT_EQ(c.SaveState(), before);
}

}  // namespace
}  // namespace zel
