// The pixel layer at screen sizes: filling a 2000 x 1500 24-bit bitmap,
// stretching it onto a 1920 x 1080 "screen" (shrunk to fit, and a 2x
// zoomed-in part) in the nearest-pixel and area-averaging modes, a 1:1
// copy of the screen, 1e5 random lines, polygons of up to 1e6 vertices,
// lines with pens up to 2e9 pixels wide and 1e4 short text runs.
// No peer library: the rules (end pixels, exclusive edges, raster modes)
// are our own.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_bitmap.hpp"
#include "gui/zel_graphics.hpp"

namespace {

using namespace zel;

constexpr int kW = zel_bench::kImageW, kH = zel_bench::kImageH, kScreenW = 1920, kScreenH = 1080;

void BM_Fill(benchmark::State& state) {
  TBitmap b(kW, kH);
  TCanvas& c = b.GetCanvas();
  int k = 0;
  for (auto _ : state) {
    c.GetBrush().SetColor(static_cast<TColor>(0x102030 + k++));
    c.FillRect(TRect{0, 0, kW, kH});
    benchmark::DoNotOptimize(b.GetBits());
  }
  state.SetItemsProcessed(state.iterations() * int64_t{kW} * kH);
}

// Source rectangle onto the whole screen in the given mode.
void Stretch(benchmark::State& state, TStretchMode mode, TRect from) {
  TBitmap screen(kScreenW, kScreenH);
  TCanvas& c = screen.GetCanvas();
  c.SetStretchMode(mode);
  TBitmap src = zel_bench::RampImage();
  for (auto _ : state) {
    c.CopyRect(TRect{0, 0, kScreenW, kScreenH}, src.GetCanvas(), from);
    benchmark::DoNotOptimize(screen.GetBits());
  }
  state.SetItemsProcessed(state.iterations() * int64_t{kScreenW} * kScreenH);
}

void BM_StretchShrinkNearest(benchmark::State& s) {
  Stretch(s, TStretchMode::smColorOnColor, TRect{0, 0, kW, kH});
}
void BM_StretchShrinkHalftone(benchmark::State& s) {
  Stretch(s, TStretchMode::smHalftone, TRect{0, 0, kW, kH});
}
void BM_StretchZoom2Nearest(benchmark::State& s) {
  Stretch(s, TStretchMode::smColorOnColor, TRect{100, 100, 1060, 640});
}
void BM_StretchZoom2Halftone(benchmark::State& s) {
  Stretch(s, TStretchMode::smHalftone, TRect{100, 100, 1060, 640});
}

// The cached view: a 1:1 copy of the visible part.
void BM_CopyScreen(benchmark::State& state) {
  TBitmap screen(kScreenW, kScreenH);
  TBitmap src = zel_bench::RampImage();
  for (auto _ : state) {
    screen.GetCanvas().CopyRect(TRect{0, 0, kScreenW, kScreenH}, src.GetCanvas(),
                                TRect{40, 30, 40 + kScreenW, 30 + kScreenH});
    benchmark::DoNotOptimize(screen.GetBits());
  }
  state.SetItemsProcessed(state.iterations() * int64_t{kScreenW} * kScreenH);
}

void BM_RandomLines(benchmark::State& state) {
  TBitmap b(kW, kH);
  TCanvas& c = b.GetCanvas();
  std::mt19937 rng(2);
  std::vector<TPoint> pts(200000);
  for (auto& p : pts)
    p = TPoint{static_cast<int32_t>(rng() % kW), static_cast<int32_t>(rng() % kH)};
  c.GetPen().SetMode(static_cast<TPenMode>(state.range(0)));
  for (auto _ : state) {
    for (size_t i = 0; i < pts.size(); i += 2) {
      c.GetPen().SetColor(static_cast<TColor>(i * 2654435761u & 0xFFFFFF));
      c.MoveTo(pts[i].x, pts[i].y);
      c.LineTo(pts[i + 1].x, pts[i + 1].y);
    }
    benchmark::DoNotOptimize(b.GetBits());
  }
  state.SetItemsProcessed(state.iterations() * 100000);
}

// A map-like outline: a closed wavy ring of n vertices across the bitmap,
// filled with the brush (even-odd). Each row meets only a few edges, which
// the active edge list visits; BM_Fill is the cost of writing the pixels.
void BM_PolygonFill(benchmark::State& state) {
  const int64_t n = state.range(0);
  std::vector<TPoint> pts(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) {
    const double t = 6.283185307179586 * static_cast<double>(i) / static_cast<double>(n);
    const double r = 0.45 * kH * (1.0 + 0.05 * std::sin(40 * t));
    pts[static_cast<size_t>(i)] = TPoint{static_cast<int32_t>(kW / 2 + r * std::cos(t) * kW / kH),
                                         static_cast<int32_t>(kH / 2 + r * std::sin(t))};
  }
  TBitmap b(kW, kH);
  TCanvas& c = b.GetCanvas();
  c.GetPen().SetStyle(TPenStyle::psClear);
  int k = 0;
  for (auto _ : state) {
    c.GetBrush().SetColor(static_cast<TColor>(0x102030 + k++));
    c.Polygon(pts);
    benchmark::DoNotOptimize(b.GetBits());
  }
  state.SetItemsProcessed(state.iterations() * n);
}

// One line across half the bitmap with a pen of the given width, copied
// (spans written directly) or XORed (through the pixel mask). Beyond the
// bitmap's size the cost stays that of covering the bitmap once.
void BM_WidePenLine(benchmark::State& state) {
  const int32_t width = static_cast<int32_t>(state.range(0));
  TBitmap b(kW, kH);
  TCanvas& c = b.GetCanvas();
  c.GetPen().SetWidth(width);
  c.GetPen().SetMode(state.range(1) != 0 ? TPenMode::pmXor : TPenMode::pmCopy);
  c.GetPen().SetColor(0x00FFFFFF);
  for (auto _ : state) {
    c.MoveTo(kW / 4, kH / 4);
    c.LineTo(3 * kW / 4, 3 * kH / 4);
    benchmark::DoNotOptimize(b.GetBits());
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_TextRuns(benchmark::State& state) {
  TBitmap b(kW, kH);
  TCanvas& c = b.GetCanvas();
  c.GetFont().SetName("Arial");
  c.GetFont().SetSize(10);
  c.GetBrush().SetStyle(TBrushStyle::bsClear);
  std::mt19937 rng(3);
  std::vector<std::string> texts;
  std::vector<TPoint> at;
  for (int i = 0; i < 10000; ++i) {
    texts.push_back("N " + std::to_string(i % 90) + "\u00B0 " + std::to_string(i % 60) + "'");
    at.push_back(
        TPoint{static_cast<int32_t>(rng() % (kW - 100)), static_cast<int32_t>(rng() % (kH - 20))});
  }
  for (auto _ : state) {
    for (int i = 0; i < 10000; ++i)
      c.TextOut(at[static_cast<size_t>(i)].x, at[static_cast<size_t>(i)].y,
                texts[static_cast<size_t>(i)]);
    benchmark::DoNotOptimize(b.GetBits());
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}

}  // namespace

BENCHMARK(BM_Fill)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StretchShrinkNearest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StretchShrinkHalftone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StretchZoom2Nearest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StretchZoom2Halftone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RandomLines)
    ->Arg(static_cast<int>(TPenMode::pmCopy))
    ->Arg(static_cast<int>(TPenMode::pmXor))
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PolygonFill)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WidePenLine)
    ->ArgsProduct({{8, 1000, 100000, 2000000000}, {0, 1}})
    ->ArgNames({"width", "xor"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextRuns)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
