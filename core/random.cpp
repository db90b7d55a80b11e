#include "core/zel_random.hpp"

#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>

namespace zel {
namespace {

uint64_t SplitMix64(uint64_t& x) {
  uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

constexpr uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

struct Generator {
  std::mutex Lock;
  uint64_t Seed = 0;
  uint64_t S[4] = {};

  Generator() { Reseed(0); }

  void Reseed(uint64_t seed) {
    Seed = seed;
    uint64_t x = seed;
    for (auto& s : S) s = SplitMix64(x);
  }

  uint64_t Next() {
    const uint64_t result = Rotl(S[1] * 5, 7) * 9;
    const uint64_t t = S[1] << 17;
    S[2] ^= S[0];
    S[3] ^= S[1];
    S[1] ^= S[2];
    S[0] ^= S[3];
    S[2] ^= t;
    S[3] = Rotl(S[3], 45);
    return result;
  }

  double NextDouble() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
};

Generator& TheGenerator() {
  static Generator g;
  return g;
}

}  // namespace

void SetRandSeed(uint64_t Seed) {
  auto& g = TheGenerator();
  std::lock_guard lock(g.Lock);
  g.Reseed(Seed);
}

uint64_t GetRandSeed() {
  auto& g = TheGenerator();
  std::lock_guard lock(g.Lock);
  return g.Seed;
}

uint64_t ClockSeed() {
  static std::atomic<uint64_t> counter{0};
  uint64_t x =
      static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count()) ^
      (counter.fetch_add(1, std::memory_order_relaxed) * 0x9E3779B97F4A7C15ULL);
  return SplitMix64(x);
}

void Randomize() { SetRandSeed(ClockSeed()); }

double Random() {
  auto& g = TheGenerator();
  std::lock_guard lock(g.Lock);
  return g.NextDouble();
}

int32_t Random(int32_t n) {
  if (n <= 0) return 0;
  auto& g = TheGenerator();
  std::lock_guard lock(g.Lock);
  // Lemire's multiply-and-reject keeps every value equally likely.
  const auto range = static_cast<uint64_t>(n);
  const uint64_t threshold = (0x100000000ULL - range) % range;
  for (;;) {
    const uint64_t x = g.Next() >> 32;
    const uint64_t m = x * range;
    if ((m & 0xFFFFFFFFULL) >= threshold) return static_cast<int32_t>(m >> 32);
  }
}

double RandG(double Mean, double StdDev) {
  auto& g = TheGenerator();
  std::lock_guard lock(g.Lock);
  double p = 0, s = 0;
  do {
    p = 2 * g.NextDouble() - 1;
    const double q = 2 * g.NextDouble() - 1;
    s = p * p + q * q;
  } while (s >= 1 || s == 0);
  return Mean + StdDev * p * std::sqrt(-2 * std::log(s) / s);
}

}  // namespace zel
