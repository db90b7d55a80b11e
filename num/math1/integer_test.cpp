#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "num/math1/zel_math1.hpp"

namespace zel {
namespace {

bool IsPrimeByTrialDivision(int64_t n) {
  if (n < 2) return false;
  for (int64_t d = 2; d * d <= n; ++d)
    if (n % d == 0) return false;
  return true;
}

TEST(Math1IntegerGcd, UsesAbsoluteValuesAndHandlesInt32Min) {
  EXPECT_EQ(GreatestCommonDivisor(12, 18), 6);
  EXPECT_EQ(GreatestCommonDivisor(-12, 18), 6);
  EXPECT_EQ(GreatestCommonDivisor(0, -5), 5);
  EXPECT_EQ(GreatestCommonDivisor(0, 0), 0);
  EXPECT_EQ(GreatestCommonDivisor(INT32_MIN, 6), 2);
  // 2^31 does not fit and wraps, as two's complement would.
  EXPECT_EQ(GreatestCommonDivisor(INT32_MIN, 0), INT32_MIN);
}

TEST(Math1IntegerGcd, ArrayFormFoldsAndKeepsASingleElement) {
  EXPECT_EQ(GreatestCommonDivisor(TIntArray{}), 0);
  EXPECT_EQ(GreatestCommonDivisor(TIntArray{-6}), -6);
  EXPECT_EQ(GreatestCommonDivisor(TIntArray{12, 18, 30}), 6);
  EXPECT_EQ(GreatestCommonDivisor(TIntArray{-4, 6}), 2);
  EXPECT_EQ(GreatestCommonDivisor(TIntArray{7, 0, 0}), 7);
}

TEST(Math1FloatGcd, FindsCommonStepWithinTolerance) {
  EXPECT_NEAR(GreatestCommonDivisor(0.3, 0.2, 6), 0.1, 1e-6);
  EXPECT_NEAR(GreatestCommonDivisor(-1.5, 0.5, 6), 0.5, 1e-12);
  EXPECT_EQ(GreatestCommonDivisor(-2.5, 0.0, 6), 2.5);
  // decimals is clamped: 20 acts as 12, -3 as 0 (tolerance 1, so 0.2 counts
  // as zero at once).
  EXPECT_EQ(GreatestCommonDivisor(0.3, 0.2, 20), GreatestCommonDivisor(0.3, 0.2, 12));
  EXPECT_EQ(GreatestCommonDivisor(0.3, 0.2, -3), 0.3);
}

// Non-finite input used to loop for ever on NaN remainders; a quotient of
// 1e300 would overflow the naive remainder formula.
TEST(Math1FloatGcd, TerminatesOnNonFiniteAndExtremeInput) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(std::isnan(GreatestCommonDivisor(nan, 1.0, 6)));
  EXPECT_TRUE(std::isnan(GreatestCommonDivisor(1.0, inf, 6)));
  EXPECT_TRUE(std::isfinite(GreatestCommonDivisor(1e300, 0.75, 2)));
  EXPECT_TRUE(std::isfinite(GreatestCommonDivisor(1e300, std::sqrt(2.0), 12)));
}

TEST(Math1FloatGcd, ArrayFormFoldsLikeTheIntegerOne) {
  EXPECT_EQ(GreatestCommonDivisor(TDoubleArray{}, 6), 0.0);
  EXPECT_EQ(GreatestCommonDivisor(TDoubleArray{-2.5}, 6), -2.5);
  EXPECT_NEAR(GreatestCommonDivisor(TDoubleArray{0.6, 0.9, 1.5}, 6), 0.3, 1e-6);
}

// The classic reduction: passes that try every d from 2 to min(|n|, |d|)
// until one divides nothing.
void CancelByTrialPasses(int32_t& n, int32_t& d) {
  bool divided = true;
  while (divided) {
    divided = false;
    for (int32_t t = 2; t <= std::min(std::abs(n), std::abs(d)); ++t) {
      if (n % t == 0 && d % t == 0) {
        n /= t;
        d /= t;
        divided = true;
      }
    }
  }
}

TEST(Math1CancelFraction, AgreesWithTrialDivisionPasses) {
  for (int32_t n = -40; n <= 40; ++n) {
    for (int32_t d = -40; d <= 40; ++d) {
      int32_t en = n, ed = d;
      CancelByTrialPasses(en, ed);
      int32_t gn = n, gd = d;
      CancelFraction(gn, gd);
      EXPECT_EQ(gn, en) << n << "/" << d;
      EXPECT_EQ(gd, ed) << n << "/" << d;
    }
  }
}

TEST(Math1CancelFraction, KeepsSignsAndHandlesExtremes) {
  int32_t n = 6, d = -8;
  CancelFraction(n, d);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(d, -4);
  n = 0;
  d = 6;  // no divisor is tried for a zero numerator
  CancelFraction(n, d);
  EXPECT_EQ(d, 6);
  n = INT32_MAX;  // coprime neighbours: must be fast, not 2^31 trials
  d = INT32_MAX - 1;
  CancelFraction(n, d);
  EXPECT_EQ(n, INT32_MAX);
  EXPECT_EQ(d, INT32_MAX - 1);
  n = INT32_MIN;
  d = 6;
  CancelFraction(n, d);
  EXPECT_EQ(n, -1073741824);
  EXPECT_EQ(d, 3);
}

TEST(Math1Primes, IsPrimeCountsZeroOneAndNegativesAsDocumented) {
  EXPECT_TRUE(IsPrime(0));
  EXPECT_TRUE(IsPrime(1));
  EXPECT_TRUE(IsPrime(-1));
  EXPECT_TRUE(IsPrime(-7));
  EXPECT_FALSE(IsPrime(-8));
  EXPECT_TRUE(IsPrime(2147483647));   // 2^31 - 1 is prime
  EXPECT_FALSE(IsPrime(2147117569));  // 46337^2
  EXPECT_FALSE(IsPrime(INT32_MIN));
  for (int32_t n = 2; n < 20000; ++n) EXPECT_EQ(IsPrime(n), IsPrimeByTrialDivision(n)) << n;
}

TEST(Math1Primes, TableHoldsExactlyThePrimesUpToSqrtOfInt32Max) {
  EXPECT_EQ(ListOfPrimes(1), 2);
  EXPECT_EQ(ListOfPrimes(4792), 46337);
  EXPECT_EQ(ListOfPrimes(0), 0);
  EXPECT_EQ(ListOfPrimes(-1), 0);
  EXPECT_EQ(ListOfPrimes(4793), 0);
  // Complete and ascending: every number up to 46340 is a prime exactly when
  // it is the next table entry.
  int32_t index = 1;
  for (int32_t n = 2; n <= 46340; ++n) {
    if (IsPrimeByTrialDivision(n)) {
      ASSERT_EQ(ListOfPrimes(index), n);
      ++index;
    }
  }
  EXPECT_EQ(index, 4793);
}

TEST(Math1Primes, FindPrimeFactorsInAscendingOrder) {
  TIntArray f{99, 99};
  FindPrimeFactors(360, f);
  EXPECT_EQ(f, (TIntArray{2, 2, 2, 3, 3, 5}));
  FindPrimeFactors(97, f);
  EXPECT_EQ(f, TIntArray{97});
  FindPrimeFactors(2 * 46349, f);  // rest above the table's reach
  EXPECT_EQ(f, (TIntArray{2, 46349}));
  FindPrimeFactors(INT32_MAX, f);
  EXPECT_EQ(f, TIntArray{INT32_MAX});
  FindPrimeFactors(1 << 30, f);
  EXPECT_EQ(f, TIntArray(30, 2));
  FindPrimeFactors(1, f);
  EXPECT_TRUE(f.empty());
  FindPrimeFactors(-12, f);
  EXPECT_TRUE(f.empty());

  std::mt19937 rng(7);
  std::uniform_int_distribution<int32_t> dist(2, INT32_MAX);
  for (int i = 0; i < 300; ++i) {
    const int32_t n = dist(rng);
    FindPrimeFactors(n, f);
    int64_t product = 1;
    for (size_t k = 0; k < f.size(); ++k) {
      EXPECT_TRUE(IsPrimeByTrialDivision(f[k])) << n;
      if (k > 0) {
        EXPECT_LE(f[k - 1], f[k]) << n;
      }
      product *= f[k];
    }
    EXPECT_EQ(product, n);
  }
}

TEST(Math1Bits, PowersAndBitIndices) {
  EXPECT_TRUE(CheckPowerOfTwo(0));  // documented: 0 counts
  EXPECT_TRUE(CheckPowerOfTwo(1));
  EXPECT_TRUE(CheckPowerOfTwo(0x80000000u));
  EXPECT_FALSE(CheckPowerOfTwo(6));
  EXPECT_FALSE(CheckPowerOfTwo(0xFFFFFFFFu));
  EXPECT_EQ(DecodeBit(-1), 0);
  EXPECT_EQ(DecodeBit(0), 1);
  EXPECT_EQ(DecodeBit(7), 128);
  EXPECT_EQ(DecodeBit(8), 0);
  EXPECT_EQ(DecodeLong(30), 1 << 30);
  EXPECT_EQ(DecodeLong(31), INT32_MIN);
  EXPECT_EQ(DecodeLong(32), 0);
  EXPECT_EQ(DecodeLong(-1), 0);
  EXPECT_EQ(EncodeLong(0), 31);
  EXPECT_EQ(EncodeLong(0x80000000u), 31);
  EXPECT_EQ(EncodeLong(1), 0);
  EXPECT_EQ(EncodeLong(12), 2);
  for (int32_t i = 0; i < 32; ++i) EXPECT_EQ(EncodeLong(static_cast<uint32_t>(DecodeLong(i))), i);
}

TEST(Math1Bits, CountReverseAndGray) {
  EXPECT_EQ(CountBits(0), 0);
  EXPECT_EQ(CountBits(0xFF), 8);
  EXPECT_EQ(CountBits(0xA5), 4);
  EXPECT_EQ(BitReversal(0x01), 0x80);
  EXPECT_EQ(BitReversal(0x0F), 0xF0);
  EXPECT_EQ(BitReversal(0x06), 0x60);
  for (int i = 0; i < 256; ++i) {
    const auto b = static_cast<uint8_t>(i);
    EXPECT_EQ(BitReversal(BitReversal(b)), b);
    EXPECT_EQ(CountBits(BitReversal(b)), CountBits(b));
    EXPECT_EQ((BitReversal(b) >> 7) & 1, b & 1);
  }
  EXPECT_EQ(GrayCode(2), 3);
  EXPECT_EQ(GrayCode(3), 2);
  for (uint32_t w = 0; w < 65535; ++w) {
    const uint16_t a = GrayCode(static_cast<uint16_t>(w));
    const uint16_t b = GrayCode(static_cast<uint16_t>(w + 1));
    ASSERT_EQ(std::popcount(static_cast<unsigned>(a ^ b)), 1) << w;
  }
}

TEST(Math1Bits, ConvertEndianReversesBytes) {
  EXPECT_EQ(ConvertEndian(int32_t{0x01020304}), 0x04030201);
  EXPECT_EQ(ConvertEndian(uint16_t{0x1234}), 0x3412);
  const double d = 1.0;  // 3FF0000000000000
  const double rd = ConvertEndian(d);
  uint64_t bits;
  std::memcpy(&bits, &rd, 8);
  EXPECT_EQ(bits, 0x000000000000F03FULL);
  EXPECT_EQ(ConvertEndian(rd), d);
  const float f = -2.5f;  // C0200000
  const float rf = ConvertEndian(f);
  uint32_t fbits;
  std::memcpy(&fbits, &rf, 4);
  EXPECT_EQ(fbits, 0x000020C0u);
  EXPECT_EQ(ConvertEndian(rf), f);
}

}  // namespace
}  // namespace zel
