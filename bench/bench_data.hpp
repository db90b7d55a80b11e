// Input data and the main() body shared by the benchmark programs.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <utility>

#include "core/zel_random.hpp"
#include "core/zel_zelbase.hpp"

namespace zel_bench {

// Uniform data in -500..500, generated once per (length, seed) with the
// library's seeded generator; map nodes keep the references stable.
inline const zel::TDoubleArray& UniformData(int32_t n, uint64_t seed) {
  static std::map<std::pair<int32_t, uint64_t>, zel::TDoubleArray> cache;
  auto [it, inserted] = cache.try_emplace({n, seed});
  if (inserted) {
    zel::SetRandSeed(seed);
    it->second.resize(static_cast<size_t>(n));
    for (double& x : it->second) x = zel::Random() * 1000.0 - 500.0;
  }
  return it->second;
}

}  // namespace zel_bench

namespace zel_bench {

// The body of every benchmark program's main().
inline int RunBenchmarks(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace zel_bench
