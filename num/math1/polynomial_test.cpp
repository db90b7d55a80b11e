#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "num/math1/zel_math1.hpp"

namespace zel {
namespace {

template <class F>
void ExpectMath1Error(F&& f, const std::string& message) {
  try {
    f();
    ADD_FAILURE() << "expected EZELMath1Error \"" << message << "\"";
  } catch (const EZELMath1Error& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
}

TEST(Math1Polynomial, SumsPowersUpToTheOrder) {
  const TDoubleArray c{1, 2, 3};
  EXPECT_EQ(Polynomial(c, 2, 2), 17.0);
  EXPECT_EQ(Polynomial(c, 1, 2), 5.0);
  EXPECT_EQ(Polynomial(c, 0, 2), 1.0);
  EXPECT_EQ(CenteredPolynomial(c, 2, 1, 3), 17.0);
  EXPECT_EQ(CenteredPolynomial(c, 2, -1, 1), 17.0);
  const std::string message = "Polynomial: invalid order of polynomial";
  ExpectMath1Error([&] { Polynomial(c, 3, 1); }, message);
  ExpectMath1Error([&] { Polynomial(c, -1, 1); }, message);
  ExpectMath1Error([&] { CenteredPolynomial(c, 3, 0, 1); }, message);
  ExpectMath1Error([] { Polynomial(TDoubleArray{}, 0, 1); }, message);
}

TEST(Math1LinearBetween, EndsAreExactAndTheGapNeverOverflows) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(LinearBetween(1, 3, 0.25), 1.5);
  EXPECT_EQ(LinearBetween(0.1, 0.7, 1), 0.7);  // 0.1 + 0.6 would not give 0.7
  EXPECT_EQ(LinearBetween(3, inf, 0), 3.0);
  EXPECT_EQ(LinearBetween(inf, inf, 0.5), inf);
  EXPECT_EQ(LinearBetween(2, inf, 0.5), inf);
  EXPECT_EQ(LinearBetween(-1e308, 1e308, 0.5), 0.0);
  EXPECT_DOUBLE_EQ(LinearBetween(-1e308, 1e308, 0.75), 5e307);
  EXPECT_TRUE(std::isnan(LinearBetween(1, 2, std::nan(""))));
}

TEST(Math1InterpolTable, InterpolatesAndExtendsTheEndLines) {
  const TDoubleArray v{10, 20, 40};
  EXPECT_EQ(InterpolTable(0.5, 0, 2, v), 15.0);
  EXPECT_EQ(InterpolTable(1.5, 0, 2, v), 30.0);
  EXPECT_EQ(InterpolTable(2, 0, 2, v), 40.0);  // the last value, no read past it
  EXPECT_EQ(InterpolTable(3, 0, 2, v), 60.0);  // line through 20 and 40
  EXPECT_EQ(InterpolTable(-1, 0, 2, v), 0.0);  // line through 10 and 20
  // Reversed abscissae: the first value belongs to x1.
  EXPECT_EQ(InterpolTable(2, 2, 0, v), 10.0);
  EXPECT_EQ(InterpolTable(0.5, 2, 0, v), 30.0);
  EXPECT_EQ(InterpolTable(0, 2, 0, v), 40.0);
  EXPECT_EQ(InterpolTable(0.25, 0, 1, TIntArray{1, 3}), 1.5);
  EXPECT_EQ(InterpolTable(2, 0, 1, TIntArray{INT32_MIN, INT32_MAX}), 3.0 * INT32_MAX + 1);
  EXPECT_TRUE(std::isnan(InterpolTable(std::nan(""), 0, 2, v)));
}

TEST(Math1InterpolTable, RejectsShortTablesAndEmptyRange) {
  ExpectMath1Error([] { InterpolTable(0, 0, 1, TDoubleArray{5}); },
                   "InterpolTable: pivot array must contain at least 2 values");
  ExpectMath1Error([] { InterpolTable(0, 0, 1, TIntArray{}); },
                   "InterpolTable: pivot array must contain at least 2 values");
  ExpectMath1Error(
      [] {
        InterpolTable(0, 1, 1, TDoubleArray{5, 6});
      },
      "InterpolTable: specified range of pivot array is zero");
}

TEST(Math1InterpolXYTable, InterpolatesAscendingAndDescendingAlike) {
  const TDouble2DArray up{{1, 2, 4}, {5, 7, 11}};
  const TDouble2DArray down{{4, 2, 1}, {11, 7, 5}};
  for (const auto* t : {&up, &down}) {
    EXPECT_EQ(InterpolXYTable(3, *t, false), 9.0);
    EXPECT_EQ(InterpolXYTable(1.5, *t, false), 6.0);
    EXPECT_EQ(InterpolXYTable(2, *t, false), 7.0);
    EXPECT_EQ(InterpolXYTable(5, *t, true), 13.0);  // line through (2,7), (4,11)
    EXPECT_EQ(InterpolXYTable(0, *t, true), 3.0);   // line through (1,5), (2,7)
    EXPECT_EQ(InterpolXYTable(4, *t, true), 11.0);
    EXPECT_EQ(InterpolXYTable(1, *t, true), 5.0);
    EXPECT_EQ(InterpolXYTable(5, *t, false), 0.0);
  }
}

// Documented oddity: without extrapolation even the end abscissae give 0.
TEST(Math1InterpolXYTable, ReturnsZeroAtTheEndAbscissaWithoutExtrapolation) {
  const TDouble2DArray t{{1, 2, 4}, {5, 7, 11}};
  EXPECT_EQ(InterpolXYTable(1, t, false), 0.0);
  EXPECT_EQ(InterpolXYTable(4, t, false), 0.0);
  EXPECT_EQ(InterpolXYTable(1.000001, t, false), 5.000002);
}

TEST(Math1InterpolXYTable, ReturnsTheEndOrdinateForAVerticalEndPair) {
  const TDouble2DArray t{{1, 1, 3}, {5, 6, 9}};
  EXPECT_EQ(InterpolXYTable(0, t, true), 5.0);
  EXPECT_EQ(InterpolXYTable(2, t, true), 7.5);
  const TDouble2DArray d{{3, 1, 1}, {9, 6, 5}};
  EXPECT_EQ(InterpolXYTable(0, d, true), 5.0);
}

// An empty outer array used to be indexed before its length was checked,
// and a short ordinate column was read past its end.
TEST(Math1InterpolXYTable, RejectsMalformedTablesBeforeIndexing) {
  const std::string rows = "InterpolXYTable: pivot array must contain at least 2 rows";
  const std::string columns = "InterpolXYTable: pivot array must contain 2 columns";
  ExpectMath1Error([] { InterpolXYTable(0, TDouble2DArray{}, true); }, rows);
  ExpectMath1Error([] { InterpolXYTable(0, TDouble2DArray{{1}, {2}}, true); }, rows);
  ExpectMath1Error([] { InterpolXYTable(0, TDouble2DArray{{}, {}, {}}, true); }, rows);
  ExpectMath1Error([] { InterpolXYTable(0, TDouble2DArray{{1, 2, 3}}, true); }, columns);
  ExpectMath1Error(
      [] {
        InterpolXYTable(0, TDouble2DArray{{1, 2}, {1, 2}, {1, 2}}, true);
      },
      columns);
  ExpectMath1Error(
      [] {
        InterpolXYTable(2.5, TDouble2DArray{{1, 2, 3}, {1, 2}}, true);
      },
      "InterpolXYTable: columns of pivot array differ in length");
}

TEST(Math1Interpolation, BilinearCornersAndHistogramBins) {
  EXPECT_EQ(InterpolZofXYRect(1, 2, 3, 4, 0, 0), 1.0);
  EXPECT_EQ(InterpolZofXYRect(1, 2, 3, 4, 1, 0), 3.0);
  EXPECT_EQ(InterpolZofXYRect(1, 2, 3, 4, 0, 1), 2.0);
  EXPECT_EQ(InterpolZofXYRect(1, 2, 3, 4, 1, 1), 4.0);
  EXPECT_EQ(InterpolZofXYRect(1, 2, 3, 4, 0.5, 0.5), 2.5);

  double offset = 0;
  EXPECT_EQ(HistoBinRef(7.5, 1, 2, offset), 7.0);
  EXPECT_EQ(offset, 0.5);
  EXPECT_EQ(HistoBinRef(-0.5, 0, 1, offset), -1.0);
  EXPECT_EQ(offset, 0.5);
  EXPECT_EQ(HistoBinRef(3, 3, 0.25, offset), 3.0);
  EXPECT_EQ(offset, 0.0);
  EXPECT_TRUE(std::isnan(HistoBinRef(7.5, 1, 0, offset)));
  EXPECT_TRUE(std::isnan(offset));
}

struct Scale {
  long double First = -1;
  long double Distance = -1;
  uint16_t Sub = 0;
};

Scale Scales(int32_t ticks, long double low, long double high) {
  Scale s;
  CalcScalePars(ticks, low, high, s.First, s.Distance, s.Sub);
  return s;
}

TEST(Math1CalcScalePars, ReproducesTheWorkedExamples) {
  Scale s = Scales(10, 0, 97);
  EXPECT_EQ(s.Distance, 5.0L);
  EXPECT_EQ(s.First, 0.0L);
  EXPECT_FALSE(std::signbit(s.First));
  EXPECT_EQ(s.Sub, 5);
  s = Scales(4, 0, 10);
  EXPECT_EQ(s.Distance, 2.0L);
  EXPECT_EQ(s.Sub, 4);
  s = Scales(10, 0, 100);
  EXPECT_EQ(s.Distance, 10.0L);
  EXPECT_EQ(s.Sub, 5);
  s = Scales(5, 0, 1);  // a ratio of exactly 2 is the 1-step
  EXPECT_EQ(s.Distance, 1.0L / 10);
  EXPECT_EQ(s.Sub, 5);
  s = Scales(0, 2.5, 7);
  EXPECT_EQ(s.Distance, 1.0L);
  EXPECT_EQ(s.First, 3.0L);
  EXPECT_EQ(s.Sub, 5);
  s = Scales(10, 100, 0);
  EXPECT_EQ(s.Distance, -10.0L);
  EXPECT_EQ(s.First, 100.0L);
}

TEST(Math1CalcScalePars, HandlesDegenerateAndNegativeTickCounts) {
  Scale s = Scales(10, 3, 3);
  EXPECT_EQ(s.First, 3.0L);
  EXPECT_EQ(s.Distance, 0.0L);
  EXPECT_EQ(s.Sub, 1);
  s = Scales(-4, 2.5, 7);  // treated as 0 ticks
  EXPECT_EQ(s.Distance, 1.0L);
  EXPECT_EQ(s.First, 3.0L);
  s = Scales(0, 0, 50);
  EXPECT_EQ(s.Sub, 1);
  s = Scales(0, 7, 2.5);  // unit step, start below low
  EXPECT_EQ(s.Distance, 1.0L);
  EXPECT_EQ(s.First, 6.0L);
  s = Scales(10, std::numeric_limits<long double>::quiet_NaN(), 1);
  EXPECT_EQ(s.Distance, 0.0L);
  s = Scales(10, 0, std::numeric_limits<long double>::infinity());
  EXPECT_EQ(s.Distance, 0.0L);
  EXPECT_EQ(s.First, 0.0L);
}

// Stepping the first tick up by the distance never ended once the distance
// was below half the resolution of low.
TEST(Math1CalcScalePars, TerminatesWhenTheStepIsBelowTheResolutionOfLow) {
  const long double low = 222429834607960685.844L;
  Scale s = Scales(10, low, low + 0.094L);
  EXPECT_GT(s.Distance, 0.0L);
  EXPECT_LE(std::fabs(s.First - low), 4 * std::fabs(s.Distance) + 0.05L);

  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> exponent(15, 22);
  std::uniform_real_distribution<double> span(1e-3, 10);
  for (int i = 0; i < 2000; ++i) {
    const double lo = std::pow(10.0, exponent(rng));
    const double hi = lo + span(rng) * std::pow(10.0, exponent(rng) - 17);
    if (hi == lo) continue;
    for (const bool reversed : {false, true}) {
      s = reversed ? Scales(10, hi, lo) : Scales(10, lo, hi);
      const long double from = reversed ? hi : lo;
      EXPECT_NE(s.Distance, 0.0L);
      // Within a few steps or a few ulps of low, whichever is larger.
      const long double slack =
          4 * std::fabs(s.Distance) + 8 * std::ldexp(1.0L, std::ilogb(from) - 63);
      EXPECT_LE(std::fabs(s.First - from), slack) << lo << " " << hi;
    }
  }
}

// Where the classic stepping loop terminates, the closed form agrees with it.
TEST(Math1CalcScalePars, AgreesWithStepwiseSearchOnOrdinaryRanges) {
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> value(-1e4, 1e4);
  std::uniform_int_distribution<int> tickCount(0, 12);
  for (int i = 0; i < 3000; ++i) {
    const long double low = value(rng);
    const long double high = low + value(rng) * std::pow(10.0, tickCount(rng) - 8);
    const int ticks = tickCount(rng);
    const Scale s = Scales(ticks, low, high);
    if (low == high) continue;
    const long double dir = low < high ? 1 : -1;
    long double first = ticks == 0 ? Int(low) - 1 : (Int(low / s.Distance) - 1) * s.Distance;
    while ((low - first) * dir > 0.001L * std::fabs(s.Distance)) first += s.Distance;
    // The two differ only by the rounding of k*d against repeated addition.
    const long double tolerance =
        std::max(1e-9L * std::fabs(s.Distance), 8 * std::ldexp(1.0L, std::ilogb(low) - 63));
    EXPECT_LE(std::fabs(s.First - first), tolerance)
        << "ticks=" << ticks << " low=" << static_cast<double>(low)
        << " high=" << static_cast<double>(high);
    if (ticks > 0) {
      // 1, 2 or 5 times a power of ten, between 0.4 (the 2-step) and one ratio.
      const long double ratio = std::fabs(high - low) / ticks;
      EXPECT_GT(std::fabs(s.Distance), ratio * 0.4L * (1 - 1e-12L));
      EXPECT_LE(std::fabs(s.Distance), ratio * (1 + 1e-9L));
      EXPECT_EQ(s.Distance > 0, low < high);
    }
  }
}

}  // namespace
}  // namespace zel
