// Integer arithmetic, primes and bits.
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "num/math1/zel_math1.hpp"

namespace zel {
namespace {

// All primes up to floor(sqrt(INT32_MAX)) = 46340: enough to decide any
// int32 by trial division.
constexpr int32_t kPrimeLimit = 46340;
constexpr int32_t kPrimeCount = 4792;

struct PrimeTable {
  std::array<int32_t, kPrimeCount> Primes{};
  int32_t Found = 0;  // primes the sieve saw; must equal kPrimeCount
};

constexpr PrimeTable MakePrimeTable() {
  PrimeTable t;
  std::array<bool, kPrimeLimit + 1> composite{};
  for (int32_t i = 2; i <= kPrimeLimit; ++i) {
    if (composite[i]) continue;
    if (t.Found < kPrimeCount) t.Primes[t.Found] = i;
    ++t.Found;
    if (i > kPrimeLimit / i) continue;
    for (int32_t j = i * i; j <= kPrimeLimit; j += i) composite[j] = true;
  }
  return t;
}

constexpr PrimeTable kPrimes = MakePrimeTable();
static_assert(kPrimes.Found == kPrimeCount, "prime table must hold exactly 4792 primes");
static_assert(kPrimes.Primes.front() == 2 && kPrimes.Primes.back() == 46337);

constexpr std::array<uint8_t, 256> MakeBitReversal() {
  std::array<uint8_t, 256> t{};
  for (int i = 0; i < 256; ++i) {
    int r = 0;
    for (int bit = 0; bit < 8; ++bit)
      if (i & (1 << bit)) r |= 1 << (7 - bit);
    t[i] = static_cast<uint8_t>(r);
  }
  return t;
}

constexpr std::array<uint8_t, 256> kBitReversal = MakeBitReversal();

int64_t Gcd64(int64_t a, int64_t b) {
  while (b != 0) {
    const int64_t t = a % b;
    a = b;
    b = t;
  }
  return a;
}

template <class T>
T ReverseBytes(T x) {
  unsigned char b[sizeof(T)];
  std::memcpy(b, &x, sizeof(T));
  std::reverse(b, b + sizeof(T));
  std::memcpy(&x, b, sizeof(T));
  return x;
}

}  // namespace

int32_t GreatestCommonDivisor(int32_t a, int32_t b) {
  // 2^31 (from INT32_MIN) wraps to INT32_MIN, as two's complement would.
  return static_cast<int32_t>(static_cast<uint32_t>(Gcd64(Abs64(a), Abs64(b))));
}

int32_t GreatestCommonDivisor(const TIntArray& e) {
  if (e.empty()) return 0;
  int32_t g = e[0];
  for (size_t i = 1; i < e.size(); ++i) g = GreatestCommonDivisor(e[i], g);
  return g;
}

double GreatestCommonDivisor(double a, double b, int32_t decimals) {
  if (!std::isfinite(a) || !std::isfinite(b)) return std::numeric_limits<double>::quiet_NaN();
  const double tolerance = std::pow(10.0, -std::clamp(decimals, 0, 12));
  double big = std::fabs(a);
  double small = std::fabs(b);
  if (big < small) std::swap(big, small);
  // fmod is the exact remainder big - small*floor(big/small): no overflow of
  // the quotient and no rounding noise, so the remainders strictly decrease
  // and the loop ends long before the guard.
  for (int step = 0; step < 10000; ++step) {
    if (small < tolerance) return big;
    const double r = std::fmod(big, small);
    big = small;
    small = r;
  }
  return big;
}

double GreatestCommonDivisor(const TDoubleArray& e, int32_t decimals) {
  if (e.empty()) return 0;
  double g = e[0];
  for (size_t i = 1; i < e.size(); ++i) g = GreatestCommonDivisor(e[i], g, decimals);
  return g;
}

void CancelFraction(int32_t& numerator, int32_t& denominator) {
  // Trial division by 2..min(|n|, |d|) tries no divisor when either is 0;
  // dividing by the gcd gives the same results for everything else.
  if (numerator == 0 || denominator == 0) return;
  const int64_t g = Gcd64(Abs64(numerator), Abs64(denominator));
  if (g <= 1) return;
  numerator = static_cast<int32_t>(numerator / g);
  denominator = static_cast<int32_t>(denominator / g);
}

bool IsPrime(int32_t n) {
  const int64_t m = Abs64(n);
  for (const int32_t p : kPrimes.Primes) {
    if (static_cast<int64_t>(p) * p > m) break;
    if (m % p == 0) return false;
  }
  return true;
}

int32_t ListOfPrimes(int32_t index) {
  if (index < 1 || index > kPrimeCount) return 0;
  return kPrimes.Primes[static_cast<size_t>(index - 1)];
}

void FindPrimeFactors(int32_t n, TIntArray& factors) {
  factors.clear();
  if (n < 2) return;
  int32_t rest = n;
  for (const int32_t p : kPrimes.Primes) {
    if (static_cast<int64_t>(p) * p > n || rest == 1) break;
    while (rest % p == 0) {
      factors.push_back(p);
      rest /= p;
    }
  }
  if (rest > 1) factors.push_back(rest);
}

bool CheckPowerOfTwo(uint32_t n) { return (n & (n - 1)) == 0; }

int32_t DecodeBit(int32_t i) { return i >= 0 && i <= 7 ? 1 << i : 0; }

int32_t DecodeLong(int32_t i) {
  if (i < 0 || i > 31) return 0;
  return static_cast<int32_t>(uint32_t{1} << i);
}

int32_t EncodeLong(uint32_t value) { return value == 0 ? 31 : std::countr_zero(value); }

int32_t CountBits(uint8_t b) { return std::popcount(b); }

uint8_t BitReversal(uint8_t b) { return kBitReversal[b]; }

uint16_t GrayCode(uint16_t w) { return static_cast<uint16_t>(w ^ (w >> 1)); }

double ConvertEndian(double x) { return ReverseBytes(x); }
float ConvertEndian(float x) { return ReverseBytes(x); }
uint16_t ConvertEndian(uint16_t x) { return ReverseBytes(x); }
int32_t ConvertEndian(int32_t x) { return ReverseBytes(x); }

}  // namespace zel
