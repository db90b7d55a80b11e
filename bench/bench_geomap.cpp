// Map display redraw: a 2000 x 1500 map image shown in a 1280 x 1024 control
// with a graticule, per frame (Paint through a snapshot of the control):
//   - Cached: magnification 0.64 (the whole map fits), served from the
//     scaled-image cache as the control does below CacheMagLimit;
//   - Halftone / ColorOnColor: the same view with the cache switched off
//     (CacheMagLimit 0), so every frame stretches the image;
//   - ZoomedIn: magnification 2.5, a part of the map stretched up.
// Baseline: a plain nearest-pixel resample loop of the same 2000 x 1500
// image onto 1280 x 960 pixels (no clipping, no modes, no overlays).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "bench/bench_bitmap.hpp"
#include "gui/zel_controls.hpp"
#include "map/geomap/zel_geomap.hpp"

namespace {

using namespace zel;

constexpr int kW = zel_bench::kImageW, kH = zel_bench::kImageH, kCtlW = 1280, kCtlH = 1024;

std::unique_ptr<TGeoMap> MakeMap() {
  auto map = std::make_unique<TGeoMap>(nullptr);
  map->SetBounds(0, 0, kCtlW, kCtlH);
  map->SetMapBitmap(zel_bench::RampImage());
  TMapCalibration& c = map->GetCalibration();
  c.SetCalibModel(TCalibModel::cmEquiRect);
  c.AddCalibPoint(48.0, 14.0, 0, 0);
  c.AddCalibPoint(46.0, 14.0, 0, kH);
  c.AddCalibPoint(46.0, 17.0, kW, kH);
  c.AddCalibPoint(48.0, 17.0, kW, 0);
  map->SetGratLineDist(0.25);
  map->SetShowGraticule(TShowGrat::sgPointsAndLines);
  return map;
}

void Redraw(benchmark::State& state, double mag, double cacheLimit, bool antiAlias) {
  auto map = MakeMap();
  map->SetCacheMagLimit(cacheLimit);
  map->SetAntiAlias(antiAlias);
  map->SetMagnification(mag);
  map->SetTopLeft({mag > 1 ? 400 : 0, mag > 1 ? 300 : 0});
  TBitmap screen(kCtlW, kCtlH);
  for (auto _ : state) {
    map->Invalidate();
    map->PaintTo(screen.GetCanvas(), 0, 0);
    benchmark::DoNotOptimize(screen.GetBits());
  }
}

void BM_RedrawCached(benchmark::State& s) { Redraw(s, 0.64, 2.0 / 3.0, true); }
void BM_RedrawHalftone(benchmark::State& s) { Redraw(s, 0.64, 0, true); }
void BM_RedrawColorOnColor(benchmark::State& s) { Redraw(s, 0.64, 0, false); }
void BM_RedrawZoomedIn(benchmark::State& s) { Redraw(s, 2.5, 2.0 / 3.0, true); }

void BM_BaselineNearestResample(benchmark::State& state) {
  const TBitmap& src = zel_bench::RampImage();
  const int dw = 1280, dh = 960;
  std::vector<uint32_t> dst(static_cast<size_t>(dw) * dh);
  std::vector<int> xs(dw);
  for (int i = 0; i < dw; ++i) xs[static_cast<size_t>(i)] = (2 * i + 1) * kW / (2 * dw);
  for (auto _ : state) {
    for (int j = 0; j < dh; ++j) {
      const uint32_t* row = src.GetScanLine((2 * j + 1) * kH / (2 * dh));
      uint32_t* out = dst.data() + static_cast<size_t>(j) * dw;
      for (int i = 0; i < dw; ++i) out[i] = row[xs[static_cast<size_t>(i)]];
    }
    benchmark::DoNotOptimize(dst.data());
  }
}

}  // namespace

BENCHMARK(BM_RedrawCached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawHalftone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawColorOnColor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawZoomedIn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineNearestResample)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
