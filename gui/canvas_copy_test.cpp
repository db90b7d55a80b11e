#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "gui/zel_graphics.hpp"

// Bytes held through operator new, and the most held since a reset: lets a
// test pin the scratch memory of an operation. The replacement serves the
// whole test program; it only counts and forwards to malloc.
namespace {
std::atomic<int64_t> gHeapHeld{0};
std::atomic<int64_t> gHeapPeak{0};

void* CountedNew(std::size_t n) {
  void* p = std::malloc(n == 0 ? 1 : n);
  if (p == nullptr) throw std::bad_alloc();
  const auto size = static_cast<int64_t>(::malloc_usable_size(p));
  const int64_t held = gHeapHeld.fetch_add(size) + size;
  int64_t peak = gHeapPeak.load();
  while (held > peak && !gHeapPeak.compare_exchange_weak(peak, held)) {
  }
  return p;
}

void CountedDelete(void* p) noexcept {
  if (p == nullptr) return;
  gHeapHeld.fetch_sub(static_cast<int64_t>(::malloc_usable_size(p)));
  std::free(p);
}

// Scratch bytes of Fn beyond what was held when it started.
template <class Fn>
int64_t PeakScratch(Fn&& fn) {
  const int64_t start = gHeapHeld.load();
  gHeapPeak.store(start);
  fn();
  return gHeapPeak.load() - start;
}
}  // namespace

void* operator new(std::size_t n) { return CountedNew(n); }
void* operator new[](std::size_t n) { return CountedNew(n); }
void operator delete(void* p) noexcept { CountedDelete(p); }
void operator delete[](void* p) noexcept { CountedDelete(p); }
void operator delete(void* p, std::size_t) noexcept { CountedDelete(p); }
void operator delete[](void* p, std::size_t) noexcept { CountedDelete(p); }

namespace zel {
namespace {

TBitmap Noise(int w, int h, uint32_t seed, TPixelFormat f = TPixelFormat::pf24bit) {
  TBitmap b(w, h, f);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, static_cast<TColor>(rng() & 0xFFFFFF));
  return b;
}

// A grey bitmap whose pixel values are given row by row.
TBitmap Grey(int w, int h, std::initializer_list<int> v) {
  TBitmap b(w, h);
  auto it = v.begin();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x, ++it) b.SetPixel(x, y, RGB(*it, *it, *it));
  return b;
}

int GreyAt(const TBitmap& b, int x, int y) { return GetRValue(b.GetPixel(x, y)); }

TEST(CanvasCopy, OneToOneCopiesWithOffsetsAndClipsAtTheSource) {
  TBitmap src = Noise(10, 8, 1);
  TBitmap dst(12, 12);
  dst.GetCanvas().CopyRect(TRect{3, 2, 9, 7}, src.GetCanvas(), TRect{2, 1, 8, 6});
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      const bool in = x >= 3 && x < 9 && y >= 2 && y < 7;
      ASSERT_EQ(dst.GetPixel(x, y), in ? src.GetPixel(x - 1, y - 1) : clWhite) << x << "," << y;
    }
  // Source rectangle partly outside the source: those destination pixels
  // keep their colour.
  TBitmap d2(6, 6);
  d2.GetCanvas().CopyRect(TRect{0, 0, 6, 6}, src.GetCanvas(), TRect{7, -2, 13, 4});
  EXPECT_EQ(d2.GetPixel(0, 2), src.GetPixel(7, 0));
  EXPECT_EQ(d2.GetPixel(2, 5), src.GetPixel(9, 3));
  EXPECT_EQ(d2.GetPixel(0, 1), clWhite);
  EXPECT_EQ(d2.GetPixel(3, 3), clWhite);
}

TEST(CanvasCopy, RespectsDestinationClipAndBothOrigins) {
  TBitmap src = Noise(8, 8, 2);
  TBitmap dst(8, 8);
  src.GetCanvas().SetOrigin(TPoint{1, 1});   // source logical (0,0) = pixel (1,1)
  dst.GetCanvas().SetOrigin(TPoint{-2, 0});  // destination logical (2,0) = pixel (0,0)
  dst.GetCanvas().SetClipRect(TRect{3, 0, 6, 3});
  dst.GetCanvas().CopyRect(TRect{2, 0, 8, 6}, src.GetCanvas(), TRect{0, 0, 6, 6});
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool in = x >= 1 && x < 4 && y < 3;
      ASSERT_EQ(dst.GetPixel(x, y), in ? src.GetPixel(x + 1, y + 1) : clWhite) << x << "," << y;
    }
}

TEST(CanvasCopy, RasterOperationsCombineSourceDestinationAndBrush) {
  const uint32_t S = 0x00C3A50F, D = 0x005AF0CC, P = 0x00336699, M = 0xFFFFFF;
  struct Case {
    TCopyMode mode;
    uint32_t want;
  };
  const Case cases[] = {
      {TCopyMode::cmBlackness, 0},
      {TCopyMode::cmDstInvert, ~D & M},
      {TCopyMode::cmMergeCopy, S & P},
      {TCopyMode::cmMergePaint, (~S | D) & M},
      {TCopyMode::cmNotSrcCopy, ~S & M},
      {TCopyMode::cmNotSrcErase, ~(S | D) & M},
      {TCopyMode::cmPatCopy, P},
      {TCopyMode::cmPatInvert, P ^ D},
      {TCopyMode::cmPatPaint, (P | ~S | D) & M},
      {TCopyMode::cmSrcAnd, S & D},
      {TCopyMode::cmSrcCopy, S},
      {TCopyMode::cmSrcErase, S & ~D & M},
      {TCopyMode::cmSrcInvert, S ^ D},
      {TCopyMode::cmSrcPaint, S | D},
      {TCopyMode::cmWhiteness, M},
  };
  for (const auto& cs : cases) {
    for (bool stretched : {false, true}) {
      TBitmap src(1, 1), dst(2, 1);
      src.SetPixel(0, 0, static_cast<TColor>(S));
      dst.SetPixel(0, 0, static_cast<TColor>(D));
      dst.SetPixel(1, 0, static_cast<TColor>(D));
      TCanvas& c = dst.GetCanvas();
      c.SetCopyMode(cs.mode);
      c.GetBrush().SetColor(static_cast<TColor>(P));
      c.CopyRect(TRect{0, 0, stretched ? 2 : 1, 1}, src.GetCanvas(), TRect{0, 0, 1, 1});
      EXPECT_EQ(static_cast<uint32_t>(dst.GetPixel(0, 0)), cs.want)
          << std::hex << static_cast<int>(cs.mode);
      EXPECT_EQ(static_cast<uint32_t>(dst.GetPixel(1, 0)), stretched ? cs.want : D);
    }
  }
}

TEST(CanvasCopy, AndThenOrMasksATransparentLayer) {
  // The two-pass transparent copy: the mask (black where the layer is
  // opaque, white elsewhere) ANDed in, then the layer (black elsewhere)
  // ORed in.
  TBitmap back = Noise(4, 1, 3);
  const TBitmap before = back;
  TBitmap mask = Grey(4, 1, {0, 255, 0, 255});
  TBitmap layer(4, 1);
  layer.SetPixel(0, 0, clRed);
  layer.SetPixel(1, 0, clBlack);
  layer.SetPixel(2, 0, clBlue);
  layer.SetPixel(3, 0, clBlack);
  TCanvas& c = back.GetCanvas();
  c.SetCopyMode(TCopyMode::cmSrcAnd);
  c.Draw(0, 0, mask);
  c.SetCopyMode(TCopyMode::cmSrcPaint);
  c.Draw(0, 0, layer);
  EXPECT_EQ(back.GetPixel(0, 0), clRed);
  EXPECT_EQ(back.GetPixel(1, 0), before.GetPixel(1, 0));
  EXPECT_EQ(back.GetPixel(2, 0), clBlue);
  EXPECT_EQ(back.GetPixel(3, 0), before.GetPixel(3, 0));
}

TEST(CanvasCopy, InvertingTwiceRestores) {
  TBitmap b = Noise(9, 7, 4, TPixelFormat::pf15bit);
  const TBitmap before = b;
  TBitmap s = Noise(9, 7, 5);
  TCanvas& c = b.GetCanvas();
  c.SetCopyMode(TCopyMode::cmSrcInvert);
  c.Draw(0, 0, s);
  c.Draw(0, 0, s);
  c.SetCopyMode(TCopyMode::cmDstInvert);
  c.Draw(2, 2, s);
  c.Draw(2, 2, s);
  EXPECT_TRUE(b.SameImage(before));
}

TEST(CanvasCopy, OverlappingCopyWithinOneBitmapReadsTheSourceFirst) {
  TBitmap b = Noise(20, 10, 6);
  const TBitmap before = b;
  b.GetCanvas().CopyRect(TRect{3, 2, 18, 10}, b.GetCanvas(), TRect{0, 0, 15, 8});
  for (int y = 2; y < 10; ++y)
    for (int x = 3; x < 18; ++x)
      ASSERT_EQ(b.GetPixel(x, y), before.GetPixel(x - 3, y - 2)) << x << "," << y;
  // Stretched self-copy too.
  TBitmap c = before;
  c.GetCanvas().CopyRect(TRect{0, 0, 20, 10}, c.GetCanvas(), TRect{0, 0, 10, 5});
  EXPECT_EQ(c.GetPixel(19, 9), before.GetPixel(9, 4));
  EXPECT_EQ(c.GetPixel(1, 1), before.GetPixel(0, 0));
}

TEST(CanvasStretch, NearestPicksThePixelUnderTheCentre) {
  // 4 -> 2: destination i takes floor((2i+1)*4/4) = 1, 3.
  TBitmap src = Grey(4, 1, {10, 20, 30, 40});
  TBitmap dst(2, 1);
  dst.GetCanvas().CopyRect(TRect{0, 0, 2, 1}, src.GetCanvas(), TRect{0, 0, 4, 1});
  EXPECT_EQ(GreyAt(dst, 0, 0), 20);
  EXPECT_EQ(GreyAt(dst, 1, 0), 40);
  // 3 -> 7: floor((2i+1)*3/14) = 0,0,1,1,1,2,2.
  TBitmap up(7, 1);
  const int want[7] = {10, 10, 20, 20, 20, 30, 30};
  up.GetCanvas().CopyRect(TRect{0, 0, 7, 1}, src.GetCanvas(), TRect{0, 0, 3, 1});
  for (int i = 0; i < 7; ++i) EXPECT_EQ(GreyAt(up, i, 0), want[i]) << i;
  // Integer magnification repeats each pixel in both directions.
  TBitmap n = Noise(5, 4, 7);
  TBitmap big(15, 8);
  big.GetCanvas().StretchDraw(TRect{0, 0, 15, 8}, n);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 15; ++x) ASSERT_EQ(big.GetPixel(x, y), n.GetPixel(x / 3, y / 2));
}

TEST(CanvasStretch, NearestClipsWithoutShiftingTheMapping) {
  TBitmap n = Noise(7, 5, 8);
  TBitmap full(23, 17), clipped(23, 17);
  full.GetCanvas().StretchDraw(TRect{-3, -2, 20, 15}, n);
  clipped.GetCanvas().SetClipRect(TRect{4, 3, 11, 9});
  clipped.GetCanvas().StretchDraw(TRect{-3, -2, 20, 15}, n);
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 23; ++x) {
      const bool in = x >= 4 && x < 11 && y >= 3 && y < 9;
      ASSERT_EQ(clipped.GetPixel(x, y), in ? full.GetPixel(x, y) : clWhite);
    }
}

TEST(CanvasStretch, HalftoneAveragesTheFootprint) {
  TCanvas* c;
  // 2:1 in both directions: the mean of each 2 x 2 block, half rounded up.
  TBitmap src = Grey(4, 2, {0, 1, 10, 20, 0, 0, 30, 40});
  TBitmap dst(2, 1);
  c = &dst.GetCanvas();
  c->SetStretchMode(TStretchMode::smHalftone);
  c->CopyRect(TRect{0, 0, 2, 1}, src.GetCanvas(), TRect{0, 0, 4, 2});
  EXPECT_EQ(GreyAt(dst, 0, 0), 0);   // 0.25
  EXPECT_EQ(GreyAt(dst, 1, 0), 25);  // 25
  TBitmap half = Grey(2, 1, {1, 2});
  TBitmap one(1, 1);
  one.GetCanvas().SetStretchMode(TStretchMode::smHalftone);
  one.GetCanvas().StretchDraw(TRect{0, 0, 1, 1}, half);
  EXPECT_EQ(GreyAt(one, 0, 0), 2);  // 1.5 rounds up
  // 3 -> 2: footprints [0, 1.5) and [1.5, 3): weights 2/3, 1/3.
  TBitmap three = Grey(3, 1, {0, 90, 255});
  TBitmap two(2, 1);
  two.GetCanvas().SetStretchMode(TStretchMode::smHalftone);
  two.GetCanvas().StretchDraw(TRect{0, 0, 2, 1}, three);
  EXPECT_EQ(GreyAt(two, 0, 0), 30);   // (0 * 2 + 90) / 3
  EXPECT_EQ(GreyAt(two, 1, 0), 200);  // (90 + 255 * 2) / 3
}

TEST(CanvasStretch, HalftoneKeepsUniformAreasExactly) {
  TBitmap src(97, 61);
  src.GetCanvas().GetBrush().SetColor(0x00A1B2C3);
  src.GetCanvas().FillRect(TRect{0, 0, 97, 61});
  for (TRect d : {TRect{0, 0, 13, 7}, TRect{0, 0, 300, 211}, TRect{0, 0, 96, 60}}) {
    TBitmap dst(d.Right, d.Bottom);
    dst.GetCanvas().SetStretchMode(TStretchMode::smHalftone);
    dst.GetCanvas().StretchDraw(d, src);
    for (int y = 0; y < d.Bottom; ++y)
      for (int x = 0; x < d.Right; ++x)
        ASSERT_EQ(dst.GetPixel(x, y), 0x00A1B2C3) << d.Right << ": " << x << "," << y;
  }
}

TEST(CanvasStretch, HalftoneMatchesAnIndependentAreaAverage) {
  // Shrinks by non-integer ratios (footprints of three source rows), strong
  // shrinks and enlargements.
  const TBitmap src = Noise(23, 17, 9);
  struct TCase {
    int Dw, Dh;
  };
  for (const TCase k : {TCase{9, 7}, TCase{23, 2}, TCase{2, 1}, TCase{41, 37}, TCase{7, 30}}) {
    const int dw = k.Dw, dh = k.Dh;
    TBitmap dst(dw, dh);
    dst.GetCanvas().SetStretchMode(TStretchMode::smHalftone);
    dst.GetCanvas().StretchDraw(TRect{0, 0, dw, dh}, src);
    for (int y = 0; y < dh; ++y)
      for (int x = 0; x < dw; ++x) {
        // Exact area weights in doubles.
        double sum[3] = {0, 0, 0}, area = 0;
        const double fx0 = x * 23.0 / dw, fx1 = (x + 1) * 23.0 / dw, fy0 = y * 17.0 / dh,
                     fy1 = (y + 1) * 17.0 / dh;
        for (int sy = 0; sy < 17; ++sy)
          for (int sx = 0; sx < 23; ++sx) {
            const double ox = std::max(0.0, std::min(fx1, sx + 1.0) - std::max(fx0, double(sx)));
            const double oy = std::max(0.0, std::min(fy1, sy + 1.0) - std::max(fy0, double(sy)));
            const TColor c = src.GetPixel(sx, sy);
            sum[0] += ox * oy * GetRValue(c);
            sum[1] += ox * oy * GetGValue(c);
            sum[2] += ox * oy * GetBValue(c);
            area += ox * oy;
          }
        const TColor got = dst.GetPixel(x, y);
        // 16.16 weights: within one unit of the exact mean.
        EXPECT_NEAR(GetRValue(got), sum[0] / area, 1.0) << dw << "x" << dh;
        EXPECT_NEAR(GetGValue(got), sum[1] / area, 1.0) << dw << "x" << dh;
        EXPECT_NEAR(GetBValue(got), sum[2] / area, 1.0) << dw << "x" << dh;
      }
  }
}

TEST(CanvasStretch, HalftoneShrinkKeepsAboutOneDestinationRowOfScratch) {
  // 2000 x 2000 onto 2000 x 1: every source row is filtered, but only a few
  // rows of three channel sums (12 bytes a pixel) are kept, plus the weight
  // tables (about one entry per source pixel of a row or column).
  const int n = 2000;
  TBitmap src(n, n);
  src.GetCanvas().GetBrush().SetColor(0x00405060);
  src.GetCanvas().FillRect(TRect{0, 0, n, n});
  TBitmap dst(n, 1);
  dst.GetCanvas().SetStretchMode(TStretchMode::smHalftone);
  const int64_t scratch = PeakScratch([&] { dst.GetCanvas().StretchDraw(TRect{0, 0, n, 1}, src); });
  EXPECT_EQ(dst.GetPixel(0, 0), 0x00405060);
  EXPECT_EQ(dst.GetPixel(n - 1, 0), 0x00405060);
  EXPECT_GT(scratch, 0);
  EXPECT_LT(scratch, int64_t{8} * 12 * n) << "scratch of " << scratch << " bytes";
  // The same the other way round: 1 x 2000 rows into one row of 2000.
  TBitmap tall(1, n);
  TBitmap wide(n, 1);
  wide.GetCanvas().SetStretchMode(TStretchMode::smHalftone);
  const int64_t scratch2 = PeakScratch([&] {
    wide.GetCanvas().StretchDraw(TRect{0, 0, n, 1}, tall);
  });
  EXPECT_LT(scratch2, int64_t{8} * 12 * n) << "scratch of " << scratch2 << " bytes";
}

TEST(CanvasStretch, HalftoneIgnoresTheFootprintOutsideTheSource) {
  // Source rectangle twice the bitmap's width: the right half of the
  // destination has no source and stays; the left half averages pairs.
  TBitmap src = Grey(2, 1, {100, 200});
  TBitmap dst(2, 1);
  dst.GetCanvas().SetStretchMode(TStretchMode::smHalftone);
  dst.GetCanvas().CopyRect(TRect{0, 0, 2, 1}, src.GetCanvas(), TRect{0, 0, 4, 1});
  EXPECT_EQ(GreyAt(dst, 0, 0), 150);
  EXPECT_EQ(dst.GetPixel(1, 0), clWhite);
  // A footprint half outside averages only the inside part.
  TBitmap one(1, 1);
  one.GetCanvas().SetStretchMode(TStretchMode::smHalftone);
  one.GetCanvas().CopyRect(TRect{0, 0, 1, 1}, src.GetCanvas(), TRect{1, 0, 3, 1});
  EXPECT_EQ(GreyAt(one, 0, 0), 200);
}

TEST(CanvasStretch, LargeHalftoneCopiesSplitIntoBandsInvisibly) {
  // Large copies run in bands of rows on several threads; pieces drawn
  // through small clip rectangles run in one. The pixels must agree.
  const TBitmap src = Noise(300, 200, 12);
  TBitmap whole(600, 460), pieces(600, 460);
  whole.GetCanvas().SetStretchMode(TStretchMode::smHalftone);
  whole.GetCanvas().StretchDraw(TRect{0, 3, 600, 457}, src);
  TCanvas& c = pieces.GetCanvas();
  c.SetStretchMode(TStretchMode::smHalftone);
  for (int y = 0; y < 460; y += 70) {
    c.SetClipRect(TRect{0, y, 600, y + 70});
    c.StretchDraw(TRect{0, 3, 600, 457}, src);
  }
  EXPECT_TRUE(whole.SameImage(pieces));
}

TEST(CanvasStretch, StretchedCopiesInto15BitQuantise) {
  TBitmap src = Noise(10, 10, 10);
  for (TStretchMode m : {TStretchMode::smColorOnColor, TStretchMode::smHalftone}) {
    TBitmap dst(7, 13, TPixelFormat::pf15bit);
    dst.GetCanvas().SetStretchMode(m);
    dst.GetCanvas().StretchDraw(TRect{0, 0, 7, 13}, src);
    for (int y = 0; y < 13; ++y)
      for (int x = 0; x < 7; ++x) {
        const uint32_t p = static_cast<uint32_t>(dst.GetPixel(x, y));
        ASSERT_EQ(p, QuantizeColor(TPixelFormat::pf15bit, p));
      }
  }
}

TEST(CanvasCopy, DrawTransparentSkipsTheKeyColour) {
  TBitmap glyph = Grey(3, 1, {255, 0, 255});
  glyph.SetPixel(1, 0, clRed);
  TBitmap dst(5, 2);
  dst.GetCanvas().GetBrush().SetColor(clBlue);
  dst.GetCanvas().FillRect(TRect{0, 0, 5, 2});
  dst.GetCanvas().DrawTransparent(1, 1, glyph, clWhite);
  EXPECT_EQ(dst.GetPixel(1, 1), clBlue);
  EXPECT_EQ(dst.GetPixel(2, 1), clRed);
  EXPECT_EQ(dst.GetPixel(3, 1), clBlue);
}

TEST(CanvasCopy, EmptyOrReversedRectanglesCopyNothing) {
  TBitmap src = Noise(4, 4, 11);
  TBitmap dst(4, 4);
  const TBitmap before = dst;
  dst.GetCanvas().CopyRect(TRect{4, 0, 0, 4}, src.GetCanvas(), TRect{0, 0, 4, 4});
  dst.GetCanvas().CopyRect(TRect{0, 0, 4, 4}, src.GetCanvas(), TRect{0, 0, 0, 4});
  TBitmap empty;
  dst.GetCanvas().Draw(0, 0, empty);
  dst.GetCanvas().StretchDraw(TRect{0, 0, 4, 4}, empty);
  EXPECT_TRUE(dst.SameImage(before));
}

}  // namespace
}  // namespace zel
