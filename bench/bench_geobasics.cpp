// 10^6 conversions per iteration on WGS 1984, all in the same run: UTM
// forward and inverse (LatLongToUTM, UTMToLatLong) against GeographicLib's
// UTMUPS (its 6th-order Krueger series) and PROJ's +proj=utm through
// proj_trans_generic; geographic <-> geocentric (GeoToCartesian,
// CartesianToGeo) against GeographicLib's Geocentric. The points are spread
// over -80..84 degrees and every longitude; each routine gets the zone the
// grid rules give, so the peers project the same points in the same zones.
// PROJ is handed one zone at a time (its transform is made per zone, outside
// the timing). A peer that is not installed is left out.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "map/geobasics/zel_geobasics.hpp"

#ifdef ZEL_HAVE_GEOGRAPHICLIB
#include <GeographicLib/Geocentric.hpp>
#include <GeographicLib/UTMUPS.hpp>
#endif
#ifdef ZEL_HAVE_PROJ
#include <proj.h>
#endif

namespace {

constexpr size_t kPoints = 1000000;

struct Points {
  std::vector<double> lat, lon, h;
  std::vector<int32_t> zone;
  std::vector<double> e, n, x, y, z;
};

const Points& TestPoints() {
  static const Points p = [] {
    Points q;
    std::mt19937_64 gen(42);
    std::uniform_real_distribution<double> ulat(-80.0, 84.0);
    std::uniform_real_distribution<double> ulon(-180.0, 179.999);
    std::uniform_real_distribution<double> uh(-100.0, 9000.0);
    for (size_t i = 0; i < kPoints; ++i) {
      const double lat = ulat(gen);
      const double lon = ulon(gen);
      int32_t zone = 0;
      double e = 0, n = 0, x = 0, y = 0, z = 0;
      zel::LatLongToUTM(lat, lon, zel::TGeoEllipsoid::gelWGS84, zone, e, n);
      const double h = uh(gen);
      zel::GeoToCartesian(lat, lon, h, zel::TGeoEllipsoid::gelWGS84, x, y, z);
      q.lat.push_back(lat);
      q.lon.push_back(lon);
      q.h.push_back(h);
      q.zone.push_back(zone);
      q.e.push_back(e);
      q.n.push_back(n);
      q.x.push_back(x);
      q.y.push_back(y);
      q.z.push_back(z);
    }
    return q;
  }();
  return p;
}

void BM_UTMForward_Zel(benchmark::State& state) {
  const Points& p = TestPoints();
  for (auto _ : state) {
    double sum = 0;
    for (size_t i = 0; i < kPoints; ++i) {
      int32_t zone = 0;
      double e = 0, n = 0;
      zel::LatLongToUTM(p.lat[i], p.lon[i], zel::TGeoEllipsoid::gelWGS84, zone, e, n);
      sum += e + n;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kPoints));
}
BENCHMARK(BM_UTMForward_Zel)->Unit(benchmark::kMillisecond);

void BM_UTMReverse_Zel(benchmark::State& state) {
  const Points& p = TestPoints();
  for (auto _ : state) {
    double sum = 0;
    for (size_t i = 0; i < kPoints; ++i) {
      double lat = 0, lon = 0;
      zel::UTMToLatLong(p.e[i], p.n[i], p.zone[i], p.lat[i] < 0, zel::TGeoEllipsoid::gelWGS84, lat,
                        lon);
      sum += lat + lon;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kPoints));
}
BENCHMARK(BM_UTMReverse_Zel)->Unit(benchmark::kMillisecond);

void BM_GeocentricForward_Zel(benchmark::State& state) {
  const Points& p = TestPoints();
  for (auto _ : state) {
    double sum = 0;
    for (size_t i = 0; i < kPoints; ++i) {
      double x = 0, y = 0, z = 0;
      zel::GeoToCartesian(p.lat[i], p.lon[i], p.h[i], zel::TGeoEllipsoid::gelWGS84, x, y, z);
      sum += x + y + z;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kPoints));
}
BENCHMARK(BM_GeocentricForward_Zel)->Unit(benchmark::kMillisecond);

void BM_GeocentricReverse_Zel(benchmark::State& state) {
  const Points& p = TestPoints();
  for (auto _ : state) {
    double sum = 0;
    for (size_t i = 0; i < kPoints; ++i) {
      double lat = 0, lon = 0, h = 0;
      zel::CartesianToGeo(p.x[i], p.y[i], p.z[i], zel::TGeoEllipsoid::gelWGS84, lat, lon, h);
      sum += lat + lon + h;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kPoints));
}
BENCHMARK(BM_GeocentricReverse_Zel)->Unit(benchmark::kMillisecond);

#ifdef ZEL_HAVE_GEOGRAPHICLIB
void BM_UTMForward_GeographicLib(benchmark::State& state) {
  const Points& p = TestPoints();
  for (auto _ : state) {
    double sum = 0;
    for (size_t i = 0; i < kPoints; ++i) {
      int zone = 0;
      bool north = false;
      double e = 0, n = 0;
      GeographicLib::UTMUPS::Forward(p.lat[i], p.lon[i], zone, north, e, n, p.zone[i]);
      sum += e + n;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kPoints));
}
BENCHMARK(BM_UTMForward_GeographicLib)->Unit(benchmark::kMillisecond);

void BM_UTMReverse_GeographicLib(benchmark::State& state) {
  const Points& p = TestPoints();
  for (auto _ : state) {
    double sum = 0;
    for (size_t i = 0; i < kPoints; ++i) {
      double lat = 0, lon = 0;
      GeographicLib::UTMUPS::Reverse(p.zone[i], p.lat[i] >= 0, p.e[i], p.n[i], lat, lon);
      sum += lat + lon;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kPoints));
}
BENCHMARK(BM_UTMReverse_GeographicLib)->Unit(benchmark::kMillisecond);

void BM_GeocentricForward_GeographicLib(benchmark::State& state) {
  const Points& p = TestPoints();
  const GeographicLib::Geocentric& g = GeographicLib::Geocentric::WGS84();
  for (auto _ : state) {
    double sum = 0;
    for (size_t i = 0; i < kPoints; ++i) {
      double x = 0, y = 0, z = 0;
      g.Forward(p.lat[i], p.lon[i], p.h[i], x, y, z);
      sum += x + y + z;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kPoints));
}
BENCHMARK(BM_GeocentricForward_GeographicLib)->Unit(benchmark::kMillisecond);

void BM_GeocentricReverse_GeographicLib(benchmark::State& state) {
  const Points& p = TestPoints();
  const GeographicLib::Geocentric& g = GeographicLib::Geocentric::WGS84();
  for (auto _ : state) {
    double sum = 0;
    for (size_t i = 0; i < kPoints; ++i) {
      double lat = 0, lon = 0, h = 0;
      g.Reverse(p.x[i], p.y[i], p.z[i], lat, lon, h);
      sum += lat + lon + h;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kPoints));
}
BENCHMARK(BM_GeocentricReverse_GeographicLib)->Unit(benchmark::kMillisecond);
#endif

#ifdef ZEL_HAVE_PROJ
// The points grouped by zone and hemisphere, with one transform each, made
// outside the timing; the timing covers proj_trans_generic on the groups.
struct ProjGroups {
  PJ_CONTEXT* ctx = nullptr;
  std::vector<PJ*> fwd;
  std::vector<std::vector<double>> x, y;  // radians for the forward run
  std::vector<std::vector<double>> e, n;
};

ProjGroups& Groups() {
  static ProjGroups g = [] {
    ProjGroups q;
    q.ctx = proj_context_create();
    const Points& p = TestPoints();
    q.fwd.assign(120, nullptr);
    q.x.resize(120);
    q.y.resize(120);
    q.e.resize(120);
    q.n.resize(120);
    for (size_t i = 0; i < kPoints; ++i) {
      const size_t k = static_cast<size_t>(p.zone[i] - 1) * 2 + (p.lat[i] < 0 ? 1 : 0);
      q.x[k].push_back(p.lon[i] * 0.017453292519943295);
      q.y[k].push_back(p.lat[i] * 0.017453292519943295);
      q.e[k].push_back(p.e[i]);
      q.n[k].push_back(p.n[i]);
    }
    for (size_t k = 0; k < 120; ++k) {
      const std::string def =
          "+proj=utm +ellps=WGS84 +zone=" + std::to_string(k / 2 + 1) + (k % 2 ? " +south" : "");
      q.fwd[k] = proj_create(q.ctx, def.c_str());
    }
    return q;
  }();
  return g;
}

void BM_UTMForward_PROJ(benchmark::State& state) {
  ProjGroups& g = Groups();
  std::vector<std::vector<double>> bx = g.x, by = g.y;
  for (auto _ : state) {
    state.PauseTiming();
    bx = g.x;
    by = g.y;
    state.ResumeTiming();
    for (size_t k = 0; k < 120; ++k) {
      if (bx[k].empty() || g.fwd[k] == nullptr) {
        continue;
      }
      proj_trans_generic(g.fwd[k], PJ_FWD, bx[k].data(), sizeof(double), bx[k].size(), by[k].data(),
                         sizeof(double), by[k].size(), nullptr, 0, 0, nullptr, 0, 0);
    }
    benchmark::DoNotOptimize(bx[0].data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kPoints));
}
BENCHMARK(BM_UTMForward_PROJ)->Unit(benchmark::kMillisecond);

void BM_UTMReverse_PROJ(benchmark::State& state) {
  ProjGroups& g = Groups();
  std::vector<std::vector<double>> be = g.e, bn = g.n;
  for (auto _ : state) {
    state.PauseTiming();
    be = g.e;
    bn = g.n;
    state.ResumeTiming();
    for (size_t k = 0; k < 120; ++k) {
      if (be[k].empty() || g.fwd[k] == nullptr) {
        continue;
      }
      proj_trans_generic(g.fwd[k], PJ_INV, be[k].data(), sizeof(double), be[k].size(), bn[k].data(),
                         sizeof(double), bn[k].size(), nullptr, 0, 0, nullptr, 0, 0);
    }
    benchmark::DoNotOptimize(be[0].data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kPoints));
}
BENCHMARK(BM_UTMReverse_PROJ)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
