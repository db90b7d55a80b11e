// Convex hull of 1e6 points (Convex2DHull, which also orders the corners by
// angle, against a plain monotone chain on doubles) and a 3 x 3 and a 7 x 7
// correlation of a 2000 x 2000 array (KernelConvolve, which sums in long
// double, against a plain loop that clamps every index and sums in double).
#include <benchmark/benchmark.h>

#include "bench/bench_data.hpp"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/zel_random.hpp"
#include "num/analysis/zel_filters.hpp"
#include "num/analysis/zel_polygons.hpp"

namespace {

constexpr int32_t kHullPoints = 1000000;
constexpr int64_t kSide = 2000;

// Points uniform in a disc of radius 1000 (about 150 hull corners).
const zel::TPolygonDouble& HullPoints() {
  static const zel::TPolygonDouble pts = [] {
    zel::SetRandSeed(22);
    zel::TPolygonDouble p;
    p.reserve(kHullPoints);
    while (p.size() < size_t(kHullPoints)) {
      const double x = zel::Random() * 2 - 1;
      const double y = zel::Random() * 2 - 1;
      if (x * x + y * y <= 1) p.push_back({1000 * x, 1000 * y});
    }
    return p;
  }();
  return pts;
}

double Cross(const zel::TPointDouble& o, const zel::TPointDouble& a, const zel::TPointDouble& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Andrew's monotone chain in doubles, corners in its own order.
zel::TPolygonDouble PlainHull(zel::TPolygonDouble p) {
  std::sort(p.begin(), p.end(),
            [](const auto& a, const auto& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  zel::TPolygonDouble h(2 * p.size());
  size_t k = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    while (k >= 2 && Cross(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    h[k++] = p[i];
  }
  for (size_t i = p.size() - 1, t = k + 1; i-- > 0;) {
    while (k >= t && Cross(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    h[k++] = p[i];
  }
  h.resize(k - 1);
  return h;
}

void BM_Convex2DHull(benchmark::State& state) {
  const auto& pts = HullPoints();
  zel::TPolygonDouble hull;
  for (auto _ : state) {
    zel::Convex2DHull(pts, hull);
    benchmark::DoNotOptimize(hull.data());
  }
  state.counters["corners"] = double(hull.size());
}
BENCHMARK(BM_Convex2DHull)->Unit(benchmark::kMillisecond);

void BM_PlainMonotoneChain(benchmark::State& state) {
  const auto& pts = HullPoints();
  zel::TPolygonDouble hull;
  for (auto _ : state) {
    hull = PlainHull(pts);
    benchmark::DoNotOptimize(hull.data());
  }
  state.counters["corners"] = double(hull.size());
}
BENCHMARK(BM_PlainMonotoneChain)->Unit(benchmark::kMillisecond);

const zel::TDouble2DArray& Image() {
  static const zel::TDouble2DArray img = [] {
    const auto& v = zel_bench::UniformData(int32_t(kSide * kSide), 5);
    zel::TDouble2DArray a(kSide, zel::TDoubleArray(kSide));
    for (int64_t r = 0; r < kSide; ++r)
      std::copy_n(v.begin() + r * kSide, kSide, a[size_t(r)].begin());
    return a;
  }();
  return img;
}

zel::TDouble2DArray Kernel(int64_t k) {
  zel::TDouble2DArray kern(size_t(k), zel::TDoubleArray(static_cast<size_t>(k)));
  for (int64_t p = 0; p < k; ++p)
    for (int64_t q = 0; q < k; ++q) kern[size_t(p)][size_t(q)] = 1.0 / double(1 + p + 2 * q);
  return kern;
}

void BM_KernelConvolve(benchmark::State& state) {
  const auto kern = Kernel(state.range(0));
  const auto& img = Image();
  zel::TDouble2DArray out;
  for (auto _ : state) {
    zel::KernelConvolve(kern, img, out, nullptr);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_KernelConvolve)->Arg(3)->Arg(7)->Unit(benchmark::kMillisecond);

void BM_PlainClampedCorrelation(benchmark::State& state) {
  const int64_t k = state.range(0);
  const int64_t h = k / 2;
  const auto kern = Kernel(k);
  const auto& img = Image();
  zel::TDouble2DArray out(kSide, zel::TDoubleArray(kSide));
  for (auto _ : state) {
    for (int64_t r = 0; r < kSide; ++r)
      for (int64_t c = 0; c < kSide; ++c) {
        double s = 0;
        for (int64_t p = 0; p < k; ++p)
          for (int64_t q = 0; q < k; ++q)
            s += kern[size_t(p)][size_t(q)] *
                 img[size_t(std::clamp(r + p - h, int64_t{0}, kSide - 1))]
                    [size_t(std::clamp(c + q - h, int64_t{0}, kSide - 1))];
        out[size_t(r)][size_t(c)] = s;
      }
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_PlainClampedCorrelation)->Arg(3)->Arg(7)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return zel_bench::RunBenchmarks(argc, argv); }
