// Random numbers of the unit: BRandom, CRandom and GRandom draw on core's
// process-wide uniform generator; LongRand runs on three seeds of its own.
// The unit state (the LongRand seeds and the GRandom cache) is set up when
// the library is loaded.
#include <cmath>
#include <mutex>

#include "core/zel_random.hpp"
#include "num/math1/zel_math1.hpp"

namespace zel {
namespace {

constexpr uint32_t kModulus1 = 1001003;
constexpr uint32_t kModulus2 = 990923;
constexpr uint32_t kModulus3 = 1400423;

// A zero seed would make its generator return 0 for ever.
uint32_t NonZero(uint32_t seed) { return seed == 0 ? 1 : seed; }

uint32_t StartSeed() { return NonZero(static_cast<uint32_t>(RoundToInt32(Random() * 990000.0))); }

struct UnitState {
  // One lock for both generators keeps "one shared stream" for concurrent
  // callers without data races.
  std::mutex Lock;
  // Each seed stays below its modulus, so seed*multiplier < 2^31 and the
  // steps never overflow 32 bits.
  uint32_t Seed1;
  uint32_t Seed2;
  uint32_t Seed3;
  bool HasCached = false;
  double Cached = 0;

  UnitState() : Seed1(StartSeed()), Seed2(StartSeed()), Seed3(StartSeed()) {}
};

UnitState& State() {
  static UnitState state;
  return state;
}

// Seeds from core's generator when the library is loaded (core, a dependency,
// is initialised first; its generator is a function-local static anyway).
[[maybe_unused]] const bool kStateReadyAtLoad = (State(), true);

}  // namespace

bool BRandom(double p) {
  if (p >= 1) return true;
  return Random() < p;
}

double CRandom(double location, double scale) {
  constexpr double kPi = 3.14159265358979323846;
  return location + scale * std::tan(kPi * (Random() - 0.5));
}

double GRandom() {
  UnitState& st = State();
  std::lock_guard lock(st.Lock);
  if (st.HasCached) {
    st.HasCached = false;
    return st.Cached;
  }
  double p;
  double q;
  double s;
  // s = 0 would give ln 0 and 0/0; it is drawn again like s >= 1.
  do {
    p = 2 * Random() - 1;
    q = 2 * Random() - 1;
    s = p * p + q * q;
  } while (!(s > 0 && s < 1));
  const double f = std::sqrt(-2 * std::log(s) / s);
  st.Cached = p * f;
  st.HasCached = true;
  return q * f;
}

double LongRand(int32_t seed) {
  UnitState& st = State();
  std::lock_guard lock(st.Lock);
  if (seed != 0) {
    const int32_t a = seed % static_cast<int32_t>(kModulus2);  // sign of seed
    // Shifts of a negative int are done on the unsigned bit pattern.
    const uint32_t ua = static_cast<uint32_t>(a);
    st.Seed1 = NonZero(static_cast<uint32_t>(Abs64(a)));
    st.Seed2 =
        NonZero(static_cast<uint32_t>(Abs64(static_cast<int32_t>(ua ^ (ua << 8))) % kModulus2));
    st.Seed3 =
        NonZero(static_cast<uint32_t>(Abs64(static_cast<int32_t>(ua ^ (ua << 16))) % kModulus2));
  }
  st.Seed1 = st.Seed1 * 1187 % kModulus1;
  st.Seed2 = st.Seed2 * 983 % kModulus2;
  st.Seed3 = st.Seed3 * 1283 % kModulus3;
  const long double sum = static_cast<long double>(st.Seed1) / kModulus1 +
                          static_cast<long double>(st.Seed2) / kModulus2 +
                          static_cast<long double>(st.Seed3) / kModulus3;
  const double r = static_cast<double>(Frac(sum));
  // A fraction within half an ulp of 1 would round up to 1.0.
  return r < 1 ? r : std::nextafter(1.0, 0.0);
}

}  // namespace zel
