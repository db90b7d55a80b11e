// The geographic database on disk: adding 10^6 named towns with LazyWrite
// on, and looking up 10^5 of them by position (binary search in the LatLow
// index held in memory, then the longitude compared) and by name. The format keeps no name index, so a
// name look-up is a scan of the summary records; it is timed on 10^3 names
// and reported per name. Adding in ascending key order (a sorted gazetteer)
// appends every index record at the end; adding 10^5 towns at random
// positions shows the cost of the tail shifts of the sorted insertion
// (linear per item, so quadratic for a bulk load). The files go to a
// directory below the system's temporary directory.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "map/geodb/zel_geodb.hpp"

namespace {

struct Town {
  std::string name;
  float lat, lon;
};

std::vector<Town> Towns(size_t n, bool sorted) {
  std::mt19937_64 gen(42);
  std::uniform_real_distribution<float> ulat(-80, 80), ulon(-180, 180);
  std::vector<Town> t(n);
  for (size_t i = 0; i < n; ++i) {
    t[i].name = "Town " + std::to_string(i);
    t[i].lat = sorted ? -80.0f + 160.0f * static_cast<float>(i) / static_cast<float>(n) : ulat(gen);
    t[i].lon =
        sorted ? -180.0f + 360.0f * static_cast<float>(i) / static_cast<float>(n) : ulon(gen);
  }
  return t;
}

std::string TempBase(const std::string& name) {
  std::string tmpl = (std::filesystem::temp_directory_path() / "zelgeodb_bench_XXXXXX").string();
  if (::mkdtemp(tmpl.data()) == nullptr) return name;
  return tmpl + "/" + name;
}

void AddAll(zel::TGeoDB& db, const std::vector<Town>& towns) {
  db.SetLazyWrite(true);
  for (const Town& t : towns) {
    std::string n = t.name;
    db.AddData(n, {}, false, zel::TgdbItem::gitTown, 0, 45000, 0, t.lat, t.lat, t.lon, t.lon, 0, 0,
               {}, nullptr, 0, false);
  }
  db.SetLazyWrite(false);  // writes the five index files
}

void RunAdd(benchmark::State& state, bool sorted) {
  const auto towns = Towns(static_cast<size_t>(state.range(0)), sorted);
  for (auto _ : state) {
    const std::string base = TempBase("add");
    zel::TGeoDB db(nullptr);
    db.SetGDBName(base);
    AddAll(db, towns);
    benchmark::DoNotOptimize(db.GetNumEntries());
    db.Close();
    state.PauseTiming();
    std::filesystem::remove_all(std::filesystem::path(base).parent_path());
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_AddTownsSortedKeys(benchmark::State& state) { RunAdd(state, true); }
BENCHMARK(BM_AddTownsSortedKeys)->Arg(1000000)->Iterations(1)->Unit(benchmark::kSecond);

void BM_AddTownsRandomKeys(benchmark::State& state) { RunAdd(state, false); }
BENCHMARK(BM_AddTownsRandomKeys)->Arg(100000)->Iterations(1)->Unit(benchmark::kSecond);

// One database of 10^6 towns for the look-ups, built once from keys in
// ascending order (random keys would take the quadratic path above).
struct LookupDb {
  std::vector<Town> towns = Towns(1000000, true);
  zel::TGeoDB db{nullptr};
  std::string base = TempBase("lookup");
  LookupDb() {
    db.SetGDBName(base);
    AddAll(db, towns);
  }
  ~LookupDb() {
    db.Close();
    std::filesystem::remove_all(std::filesystem::path(base).parent_path());
  }
};
LookupDb& Db() {
  static LookupDb d;
  return d;
}

void BM_LookupByPosition(benchmark::State& state) {
  LookupDb& d = Db();
  const auto& ix = d.db.LLIndex(1);
  for (auto _ : state) {
    int64_t found = 0;
    for (size_t i = 0; i < 100000; ++i) {
      const Town& t = d.towns[i * 7];
      const auto it =
          std::lower_bound(ix.begin(), ix.end(), t.lat,
                           [](const zel::TIxLLRec& r, float v) { return r.LLValue < v; });
      for (auto j = it; j != ix.end() && j->LLValue == t.lat; ++j)
        if (d.db.SumData()[static_cast<size_t>(j->index)].LongLow == t.lon) ++found;
    }
    if (found < 100000) state.SkipWithError("a town was not found");
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_LookupByPosition)->Unit(benchmark::kMillisecond);

void BM_LookupByNameScan(benchmark::State& state) {
  LookupDb& d = Db();
  const auto& sum = d.db.SumData();
  for (auto _ : state) {
    int64_t found = 0;
    for (size_t i = 0; i < 1000; ++i) {
      const std::string& name = d.towns[i * 997].name;
      found += std::find_if(sum.begin(), sum.end(),
                            [&](const zel::TgdbData& r) { return r.Name == name; }) != sum.end();
    }
    if (found != 1000) state.SkipWithError("a name was not found");
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_LookupByNameScan)->Unit(benchmark::kMillisecond);

// A polygon of 10^5 points read back, beside a plain fread of the same
// bytes into a fresh buffer.
void BM_RetrievePolygon(benchmark::State& state, bool plain) {
  const std::string base = TempBase("poly");
  zel::TGeoDB db(nullptr);
  db.SetGDBName(base);
  zel::TgdbPolygon p(100000);
  for (size_t i = 0; i < p.size(); ++i)
    p[i] = {static_cast<float>(i % 90), static_cast<float>(i % 180)};
  std::string name = "line";
  db.AddData(name, p, false, zel::TgdbItem::gitRoad, 0, 0, 0, 0, 0, 0, 0, 0, 0, {}, nullptr, 0,
             false);
  for (auto _ : state) {
    if (plain) {
      std::vector<uint8_t> raw(p.size() * 8);  // fresh, as a returned polygon is
      FILE* f = std::fopen((base + ".zelgdd").c_str(), "rb");
      std::fseek(f, 260, SEEK_SET);
      benchmark::DoNotOptimize(std::fread(raw.data(), 1, raw.size(), f));
      std::fclose(f);
    } else {
      zel::TgdbPolygon q;
      benchmark::DoNotOptimize(db.RetrievePolygon(1, q));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(p.size()));
  db.Close();
  std::filesystem::remove_all(std::filesystem::path(base).parent_path());
}
BENCHMARK_CAPTURE(BM_RetrievePolygon, zel, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RetrievePolygon, fread, true)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
